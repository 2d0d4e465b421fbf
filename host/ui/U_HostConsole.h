// The console's commands over the host's own objects: the engine they drive and the windows
// they open, read from the host at each call (the objects come into being after the console).
#pragma once

#include "host/ui/U_ConsoleCommands.h"

#include <memory>

namespace vantrel {

class THost;
class TMainForm;
class TThreadReplayVideoCapture;

class THostConsoleEngine : public TConsoleEngine {
public:
    THostConsoleEngine(THost*& host, TMainForm& console) : host_(host), console_(console) {}

    int BoardCount() override;
    int TotalChannels() override;
    int NetChannelCount() override;
    std::vector<std::string> GroupNames() override;
    bool ClientMode() override;
    bool CheckRight(int right, int item) override;
    bool CheckUser(const std::string& name, const std::string& password, int right,
                   int item) override;
    bool ChiefAdministrator(const std::string& name, const std::string& password) override;
    std::pair<std::string, std::string> CurrentUser() override;
    void ReloadUsers() override;
    void WriteLog(int event) override;
    void LockConsole() override;
    void MinimizeConsole() override;
    int SelectedChannel() override;
    int LayoutPaneCount() override;
    bool PanePlaying(int channel) override;
    bool PanePreviewing(int channel) override;
    void OpenPreview(int channel) override;
    void ClosePreview(int channel, bool checkRight) override;
    void StopBoardPreview(int channel) override;
    void RestoreBoardOsd(int channel) override;
    void HideAreaOutlines() override;
    void PopupLayoutMenu(int x, int y) override;
    void LayoutMenuClick(int index) override;
    void ShowStatusImages(int kind, bool visible) override;
    bool CycleMode() override;
    void SetCycleMode(bool on) override;
    void SetCycleTimer(bool on, int intervalMs) override;
    void SetCycleGroup(int group) override;
    int CycleGroup() override;
    std::vector<bool> CycleFlags() override;
    bool Listening() override;
    void StartListen(int channel) override;
    void StopListen(int channel) override;
    bool AutoMode() override;
    void StartAutoWork() override;
    void StopAutoWork() override;
    std::string SnapshotFileName(int channel) override;
    void ForceFolderOf(const std::string& fileName) override;
    void SaveSnapshot(int channel, const std::string& fileName) override;
    void SnapshotNetworkPane(int channel) override;
    void OpenAll(bool preview, bool record, bool detect) override;
    void CloseAll(bool preview, bool record, bool detect, bool rebuild, bool cycle,
                  int group) override;
    void StopNetworkReceivers() override;
    bool BatchBusy() override;
    void ApplyAllSettings() override;
    TPictureParams& Picture(int channel) override;
    void ApplyPicture(int channel) override;
    void SavePictures() override;
    void NotifyPaneColor(int channel) override;
    void Pause(DWORD ms) override;

private:
    THost*& host_;
    TMainForm& console_;
    TPictureParams spare_{};
};

// The windows the host has; the others answer -1.
class THostConsoleWindows : public TConsoleWindows {
public:
    THostConsoleWindows(THost*& host, TMainForm& console);
    ~THostConsoleWindows() override;
    int Open(TConsoleWindow window, TConsoleDialogResult& result) override;

private:
    int OpenLocalReplay(THost& h);

    THost*& host_;
    TMainForm& console_;
    // The clip cutter of the local replay, made at its first opening; it lives as long as
    // the program.
    std::unique_ptr<TThreadReplayVideoCapture> clip_;
};

} // namespace vantrel
