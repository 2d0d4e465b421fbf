// Remote upgrade: the receiving port every host opens (files land in "Temp" beside the
// program, then the host restarts through its companion program) and the logic of the
// sending window.
#pragma once

#include "host/net/U_MsgSocket.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

class TClientCheck;
class TMainFormServices;
class TWindowTimer;

// The remote right an upgrading address needs: an upgrade replaces and restarts the program.
constexpr int kRemoteRightUpgrade = 12;
// One upgrade file, and all files of one upgrade, at most; beyond, the upgrade is refused and
// what it wrote removed.
constexpr uint64_t kMaxUpgradeFileBytes = 64ull << 20;
constexpr uint64_t kMaxUpgradeSetBytes = 256ull << 20;

constexpr UINT WM_COMPANION = 0x423;
constexpr UINT WM_UPGRADEFILEDONE = 0x424;
constexpr UINT WM_UPGRADEPROGRESS = 0x425;

// The receiving side (the main window's upgrade server socket).
class TRemoteUpgradeReceiver {
public:
    // `restart` runs once "End" has come and every file is written whole: the main window's
    // orderly shutdown, the notice to the companion program and the close.
    // No user travels with an upgrade: once a remote list has an entry, only an address of
    // the address list with the upgrade right may send one (`check`).
    TRemoteUpgradeReceiver(std::string programPath, const TClientCheck& check,
                           std::function<void()> restart);
    ~TRemoteUpgradeReceiver();

    bool Open(int port, std::string_view address = {});
    void Close();
    int Port() const { return socket_.LocalPort(); }
    bool RestartRequested() const { return restartDone_; }
    // The size limits in force (the defaults above).
    uint64_t MaxFileBytes = kMaxUpgradeFileBytes;
    uint64_t MaxSetBytes = kMaxUpgradeSetBytes;

    // The restart the main window gives: ShutdownAll, a 2 s pause, WM_COMPANION (the main
    // window, -1) to the companion program's window, then the main window closed.
    static std::function<void()> MainWindowRestart(TMainFormServices& main,
                                                   std::function<HWND()> companionWindow);

private:
    void ClientConnect(const TMsgConnectionPtr& c);
    void ClientRead(const TMsgConnectionPtr& c);
    void ClientDisconnect(const TMsgConnectionPtr& c);
    void FinishIfDone();
    bool UpgradeAllowed(const std::string& address) const;
    // A file or the set grew too large: everything this upgrade wrote goes.
    void AbortUpgrade();

    struct ReceivedFile {
        HANDLE Handle = INVALID_HANDLE_VALUE;
        uint64_t Bytes = 0;
    };

    std::string programPath_;
    const TClientCheck& check_;
    std::function<void()> restart_;
    TMsgServerSocket socket_;
    TMsgConnectionPtr control_;
    // Each data connection writes its own file, so a late byte of one file never lands in the
    // next one.
    std::map<TMsgConnection*, ReceivedFile> files_;
    // Files this upgrade created, and their bytes together.
    std::vector<std::wstring> written_;
    uint64_t setBytes_ = 0;
    bool aborted_ = false;
    bool endPending_ = false;
    bool restartDone_ = false;
};

// What the sending window shows; texts are GBK.
class TRemoteUpgradeView {
public:
    virtual ~TRemoteUpgradeView() = default;
    virtual void ShowMessage(const std::string& text) = 0;
    virtual void SetProgressRange(int max) = 0;
    virtual void SetProgress(int position) = 0;
    virtual void StepProgress(int by) = 0;
    virtual void SetFileNameLabel(const std::string& text) = 0;
    virtual void SetWaitVisible(bool visible) = 0;
    virtual void SetWindowEnabled(bool enabled) = 0;
    virtual void SetStartEnabled(bool enabled) = 0;
    virtual void SetHourglass(bool on) = 0;
};

// Entries of the program folder whose name holds a ".", in the order the search returns them.
std::vector<std::string> ListUpgradeFiles(const std::string& programPath);

// The logic behind the sending window.
class TRemoteUpgradeSender {
public:
    TRemoteUpgradeSender(TRemoteUpgradeView& view, std::string programPath, UINT timerMs = 10000);
    ~TRemoteUpgradeSender();

    // The start button with the checked names in list order.
    void StartUpgrade(const std::string& host, int port, const std::vector<std::string>& names);
    // The break-off button after the operator confirmed.
    void EndUpgrade();
    bool Busy() const { return waitShown_; }

private:
    void ControlRead();
    void DataConnected();
    void DataRead();
    void SocketError(int& code);
    void TimerFired();
    void FileDone(int result);
    void Restore();
    void CloseBoth();

    TRemoteUpgradeView& view_;
    std::string programPath_;
    std::string host_;
    int port_ = 0;
    std::vector<std::string> files_;
    TMsgClientSocket control_, data_;
    std::unique_ptr<TWindowTimer> timer_;
    int timerTag_ = 0;
    bool waitShown_ = false;
    TMsgWindow messages_;
};

// Sends one file on the data connection; posts its progress and its end to `window`.
class TThreadSendDataForUpgrade {
public:
    static void Create(std::string path, TMsgConnectionPtr connection, HWND window);
};

// Private notice of the sending thread: wParam = the file's length for the progress bar.
constexpr UINT WM_UPGRADEFILELENGTH = WM_APP + 0x320;

} // namespace vantrel
