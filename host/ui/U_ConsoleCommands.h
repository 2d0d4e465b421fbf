// The console's commands: the image buttons with their pictures, the side bars, the colour
// sliders, open all / close all and the popup menus, each behind its user right.
#pragma once

#include "host/engine/U_SettingsRecords.h"

#include "framework/ui/extctrls.h"
#include "framework/ui/forms.h"
#include "framework/ui/menus.h"
#include "framework/ui/stdctrls.h"

#include <windows.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace vantrel {

// The windows the commands open. "Shown" ones live for the program; modal ones for the call.
enum class TConsoleWindow {
    LocalSettings,
    HostGroups,
    RemoteSettings,
    SearchHosts,
    StationMap,
    LocalReplay,
    RemoteReplay,
    ElectronMap,
    LocalAlarmOut,
    RemoteAlarmOut,
    RemoteAlarms,
    Matrix3216,
    MatrixDSD,
    MatrixPelco232,
    RemoteMatrix3216,
    RemoteMatrixDSD,
    RemoteMatrixPelco232,
    VoiceBroadcast,
    Chat,
    LocalDisk,
    RemoteDisk,
    Connections,
    DialUp,
    ClearDataMsg,
    RemoteCtrl,
    IPPing,
    NetDog,
    RemoteUpgrade,
    SendSms,
    AutoFullScreen,
    WebServer,
    SendReceiveFile,
    Users,
    LocalWorkLog,
    RemoteWorkLog,
    ClientCycle,
    ServerCycle,
};

// What a dialog hands back beyond its modal result.
struct TConsoleDialogResult {
    int CycleSeconds = 0;      // the cycling dialogs' interval
    int LayoutIndex = 0;       // the server cycling dialog's layout choice
    int PreviewPageChannel = -1; // the local settings dialog's preview-page channel
    bool HostsFound = false;   // the host search
};

// Opens a window; the modal result for modal ones, mrOk for shown ones, -1 when this host
// has no such window.
class TConsoleWindows {
public:
    virtual ~TConsoleWindows() = default;
    virtual int Open(TConsoleWindow window, TConsoleDialogResult& result) = 0;
};

// What the commands read and drive of the host.
class TConsoleEngine {
public:
    virtual ~TConsoleEngine() = default;
    virtual int BoardCount() = 0;
    virtual int TotalChannels() = 0;
    virtual int NetChannelCount() = 0;
    virtual std::vector<std::string> GroupNames() = 0; // GBK
    virtual bool ClientMode() = 0;                     // byte 56 of the other settings
    // The current user's right.
    virtual bool CheckRight(int right, int item) = 0;
    // A typed user's right; on success that user becomes the current one.
    virtual bool CheckUser(const std::string& name, const std::string& password, int right,
                           int item) = 0;
    // The first account with this name and password has level 0.
    virtual bool ChiefAdministrator(const std::string& name, const std::string& password) = 0;
    virtual std::pair<std::string, std::string> CurrentUser() = 0;
    virtual void ReloadUsers() = 0;
    virtual void WriteLog(int event) = 0;
    virtual void LockConsole() = 0;
    virtual void MinimizeConsole() = 0;

    // Panes.
    virtual int SelectedChannel() = 0;
    virtual int LayoutPaneCount() = 0;
    virtual bool PanePlaying(int channel) = 0;
    virtual bool PanePreviewing(int channel) = 0;
    virtual void OpenPreview(int channel) = 0;
    virtual void ClosePreview(int channel, bool checkRight) = 0;
    virtual void StopBoardPreview(int channel) = 0;
    virtual void RestoreBoardOsd(int channel) = 0;
    virtual void HideAreaOutlines() = 0;
    virtual void PopupLayoutMenu(int x, int y) = 0;
    virtual void LayoutMenuClick(int index) = 0;
    // kind 0 preview, 1 recording, 2 detection.
    virtual void ShowStatusImages(int kind, bool visible) = 0;

    // Modes.
    virtual bool CycleMode() = 0;
    virtual void SetCycleMode(bool on) = 0;
    virtual void SetCycleTimer(bool on, int intervalMs) = 0;
    virtual void SetCycleGroup(int group) = 0;
    virtual int CycleGroup() = 0;
    // Per host group: whether it takes part in cycling.
    virtual std::vector<bool> CycleFlags() = 0;
    virtual bool Listening() = 0;
    virtual void StartListen(int channel) = 0;
    virtual void StopListen(int channel) = 0;
    virtual bool AutoMode() = 0;
    virtual void StartAutoWork() = 0;
    virtual void StopAutoWork() = 0;

    // Snapshots: a board channel's picture into a new file; a network pane by its client.
    virtual std::string SnapshotFileName(int channel) = 0; // GBK, empty when none
    virtual void ForceFolderOf(const std::string& fileName) = 0;
    virtual void SaveSnapshot(int channel, const std::string& fileName) = 0;
    virtual void SnapshotNetworkPane(int channel) = 0;

    // Batch work over every channel.
    virtual void OpenAll(bool preview, bool record, bool detect) = 0;
    virtual void CloseAll(bool preview, bool record, bool detect, bool rebuild, bool cycle,
                          int group) = 0;
    virtual void StopNetworkReceivers() = 0;
    // The open-all or close-all worker runs (a request now would be dropped).
    virtual bool BatchBusy() = 0;
    virtual void ApplyAllSettings() = 0;

    // Picture values.
    virtual TPictureParams& Picture(int channel) = 0;
    virtual void ApplyPicture(int channel) = 0;
    virtual void SavePictures() = 0;
    virtual void NotifyPaneColor(int channel) = 0; // WM_PANECOLOR to the console

    virtual void Pause(DWORD ms) = 0;
};

struct TMenuCommand;

class TConsoleCommands : public dvr::fw::TComponent {
    FW_CLASS(TConsoleCommands, dvr::fw::TComponent)
public:
    // Builds the commands' controls on the console; the ten buttons are made when the
    // console has none of that name.
    TConsoleCommands(dvr::fw::TCustomForm* console, TConsoleEngine& engine,
                     TConsoleWindows& windows);

    // Seams: message boxes (UTF-16 texts, MessageBoxW's result), the logon prompt, popups
    // and the cursor.
    std::function<int(const std::wstring& text, const std::wstring& caption, UINT type)> Ask;
    std::function<bool(std::string& name, std::string& password)> AskLogon;
    std::function<void(dvr::fw::TPopupMenu* menu, int x, int y)> PopupMenu;
    std::function<POINT()> CursorPos;
    std::function<void()> ExitSystem;

    std::array<dvr::fw::TImage*, 10> Buttons{}; // by tag
    dvr::fw::TImage *im_Bright = nullptr, *im_Contrast = nullptr, *im_Saturation = nullptr,
                    *im_Hue = nullptr;
    dvr::fw::TShape *im_BrightBar = nullptr, *im_ContrastBar = nullptr,
                    *im_SaturationBar = nullptr, *im_HueBar = nullptr;
    dvr::fw::TShape* im_PreviewParaSign = nullptr;
    dvr::fw::TImage *im_OpenAll = nullptr, *im_CloseAll = nullptr, *im_SaveColor = nullptr,
                    *im_DefaultColor = nullptr, *im_CopyColorToAll = nullptr;
    dvr::fw::TPanel *im_PreviewBar = nullptr, *im_CaptureBar = nullptr, *im_AlarmBar = nullptr,
                    *im_PreviewParaBar = nullptr;
    dvr::fw::TPanel *im_YTCover = nullptr, *im_YTUnconver = nullptr, *im_YTRecover = nullptr;
    dvr::fw::TPanel *im_SystemCtrlBar = nullptr, *im_FunctionCovering = nullptr;
    dvr::fw::TPopupMenu *pm_SystemSet = nullptr, *pm_Replay = nullptr,
                        *pm_OtherFunction = nullptr, *pm_ClientSetGoups = nullptr;
    POINT LastCursorPos{};

    // A menu item by its component name.
    dvr::fw::TMenuItem* Item(const char* name) const;
    // The picture a button shows: 1-based pair, down or up.
    int PictureOf(int tag) const { return pictures_[size_t(tag)]; }

    // The button handlers.
    void ButtonMouseDown(dvr::fw::TObject* Sender, dvr::fw::TMouseButton Button,
                         dvr::fw::TShiftState Shift, int X, int Y);
    void ButtonMouseUp(dvr::fw::TObject* Sender, dvr::fw::TMouseButton Button,
                       dvr::fw::TShiftState Shift, int X, int Y);
    void im_AutoWorkClick(dvr::fw::TObject* Sender);
    void im_PreviewAudioClick(dvr::fw::TObject* Sender);
    void im_CaptureBMPClick(dvr::fw::TObject* Sender);
    void im_CycleVideoClick(dvr::fw::TObject* Sender);
    // One step of cycling over the host groups (a host without boards): the next group that
    // takes part is shown.
    void CycleNetworkGroups();
    void im_LogonClick(dvr::fw::TObject* Sender);
    void im_ExitSystemClick(dvr::fw::TObject* Sender);
    void im_OpenAllClick(dvr::fw::TObject* Sender);
    void im_CloseAllClick(dvr::fw::TObject* Sender);
    void im_SaveColorClick(dvr::fw::TObject* Sender);
    void im_DefaultColorClick(dvr::fw::TObject* Sender);
    void im_CopyColorToAllClick(dvr::fw::TObject* Sender);
    void BarClick(dvr::fw::TObject* Sender);
    void ThumbMouseMove(dvr::fw::TObject* Sender, dvr::fw::TShiftState Shift, int X, int Y);
    void CoverClick(dvr::fw::TObject* Sender);
    void MenuClick(dvr::fw::TObject* Sender);
    void GroupItemClick(dvr::fw::TObject* Sender);

    // Menu items with steps of their own.
    void LocalSettingsCommand();
    void HostGroupsCommand();
    void SearchHostsCommand();
    void UsersCommand();
    void AutoFullScreenCommand();
    void MinimizeCommand();

    void ShowColorTools();
    void HideColorTools();
    // The thumbs show the channel's picture values (WM_PANECOLOR).
    void ShowPictureValues(int channel);
    // The lock button's picture follows the console lock.
    void ShowLocked(bool locked);
    // Which bar is chosen: 0 preview, 1 capture, 2 alarm, 3 colour.
    int ChosenBar() const { return chosenBar_; }

private:
    dvr::fw::TImage* MakeButton(const char* name, int tag, int left, int top, const char* hint);
    dvr::fw::TPanel* MakeBar(const char* name, const char* caption, int top);
    dvr::fw::TPanel* MakeCover(const char* name, const char* caption, int left, int top, int w,
                               int h);
    dvr::fw::TMenuItem* AddItem(dvr::fw::TMenuItem* parent, const char* name, const char* caption,
                                int tag);
    void BuildMenus();
    void SetPicture(dvr::fw::TImage* image, int pair, bool down);
    void Refuse();
    void Say(const char* utf8);
    int Message(const wchar_t* text, const wchar_t* caption, UINT type);
    void Popup(dvr::fw::TPopupMenu* menu, int x, int y);
    void PlaceBars(int chosen);
    void OpenOrCloseAll(bool open);
    void RunMenuCommand(const TMenuCommand& c);
    void HostGroups(bool afterSearch);
    void StartServerCycle();
    void StartClientCycle();
    int ThumbMin(dvr::fw::TImage* thumb) const;

    dvr::fw::TCustomForm* console_;
    TConsoleEngine& engine_;
    TConsoleWindows& windows_;
    std::array<int, 10> pictures_{};
    int chosenBar_ = 0;
    std::vector<dvr::fw::TMenuItem*> items_;
};

// The thumb position of a picture value and the value of a thumb position (left edge).
int ThumbLeftOfValue(int value, int range, int thumbWidth);
int ThumbValueOfLeft(int left, int range, int thumbWidth);

} // namespace vantrel
