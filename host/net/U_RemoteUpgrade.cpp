#include "host/net/U_RemoteUpgrade.h"

#include "host/engine/U_ClientCheck.h"
#include "host/engine/U_DiskAccess.h"
#include "host/engine/U_HostServices.h"
#include "host/engine/U_WindowTimer.h"
#include "host/net/U_NetTransferTexts.h"

#include "common/win/handles.h"
#include "common/win/textconv.h"

namespace vantrel {

namespace {

using dvr::win::GbkToWide;
using dvr::win::Utf8ToGbk;

constexpr int kMaxReadPerNotice = 500000;

} // namespace

// ---- receiver

TRemoteUpgradeReceiver::TRemoteUpgradeReceiver(std::string programPath, const TClientCheck& check,
                                               std::function<void()> restart)
    : programPath_(std::move(programPath)), check_(check), restart_(std::move(restart)) {
    socket_.OnClientConnect = [this](const TMsgConnectionPtr& c) { ClientConnect(c); };
    socket_.OnClientRead = [this](const TMsgConnectionPtr& c) { ClientRead(c); };
    socket_.OnClientDisconnect = [this](const TMsgConnectionPtr& c) { ClientDisconnect(c); };
    socket_.OnClientError = [](const TMsgConnectionPtr&, int& error) { error = 0; };
}

TRemoteUpgradeReceiver::~TRemoteUpgradeReceiver() {
    Close();
}

bool TRemoteUpgradeReceiver::Open(int port, std::string_view address) {
    return socket_.Open(port, address);
}

void TRemoteUpgradeReceiver::Close() {
    socket_.Close();
    for (auto& [c, f] : files_)
        ::CloseHandle(f.Handle);
    files_.clear();
    control_.reset();
}

bool TRemoteUpgradeReceiver::UpgradeAllowed(const std::string& address) const {
    if (!check_.ListsInUse()) return true;
    return check_.AddressListed(address) && check_.CheckIP(address, kRemoteRightUpgrade, -1, -1);
}

void TRemoteUpgradeReceiver::AbortUpgrade() {
    for (auto& [c, f] : files_)
        ::CloseHandle(f.Handle);
    files_.clear();
    for (const std::wstring& path : written_)
        ::DeleteFileW(path.c_str());
    written_.clear();
    aborted_ = true;
    endPending_ = false;
    for (const TMsgConnectionPtr& c : socket_.Connections()) {
        if (c != control_) c->SendText("False");
        c->Close();
    }
}

void TRemoteUpgradeReceiver::ClientConnect(const TMsgConnectionPtr& c) {
    if (!control_) {
        if (!UpgradeAllowed(c->PeerAddress())) {
            c->Close();
            return;
        }
        control_ = c;
        written_.clear();
        setBytes_ = 0;
        aborted_ = false;
        c->SendText("OK");
        ForceDirectories(programPath_ + "Temp\\");
        return;
    }
    if (!aborted_ && c->PeerAddress() == control_->PeerAddress()) {
        c->Mark = 0;
    } else {
        c->Close();
    }
}

void TRemoteUpgradeReceiver::ClientRead(const TMsgConnectionPtr& c) {
    if (c == control_) {
        if (c->ReceiveText() == "End") {
            endPending_ = true;
            FinishIfDone();
        }
        return;
    }
    if (c->Mark == 0) {
        const std::string name = c->ReceiveText();
        if (name.empty()) return;
        c->Mark = 1;
        // Only a plain name: nothing may be written outside "Temp".
        if (!IsPlainUpgradeName(name)) {
            c->SendText("False");
            return;
        }
        const std::wstring path = GbkToWide(programPath_ + "Temp\\" + name);
        ::DeleteFileW(path.c_str());
        HANDLE h = ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            c->SendText("False");
            return;
        }
        files_[c.get()].Handle = h;
        written_.push_back(path);
        return;
    }
    std::string bytes;
    char buffer[65536];
    while (bytes.size() < kMaxReadPerNotice) {
        const int n = c->ReceiveBuf(buffer, sizeof buffer);
        if (n <= 0) break;
        bytes.append(buffer, static_cast<size_t>(n));
    }
    const auto it = files_.find(c.get());
    if (it == files_.end() || bytes.empty()) return;
    it->second.Bytes += bytes.size();
    setBytes_ += bytes.size();
    if (it->second.Bytes > MaxFileBytes || setBytes_ > MaxSetBytes) {
        AbortUpgrade();
        return;
    }
    DWORD written = 0;
    ::WriteFile(it->second.Handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                nullptr);
}

void TRemoteUpgradeReceiver::ClientDisconnect(const TMsgConnectionPtr& c) {
    const auto it = files_.find(c.get());
    if (it != files_.end()) {
        ::CloseHandle(it->second.Handle);
        files_.erase(it);
    }
    if (c == control_) control_.reset();
    FinishIfDone();
}

void TRemoteUpgradeReceiver::FinishIfDone() {
    if (!endPending_ || restartDone_ || aborted_) return;
    // "End" travels on the control connection while the last file may still be arriving on
    // its own: the restart waits until every data connection has closed.
    for (const TMsgConnectionPtr& c : socket_.Connections())
        if (c != control_) return;
    for (auto& [c, f] : files_)
        ::CloseHandle(f.Handle);
    files_.clear();
    restartDone_ = true;
    if (restart_) restart_();
}

std::function<void()>
TRemoteUpgradeReceiver::MainWindowRestart(TMainFormServices& main,
                                          std::function<HWND()> companionWindow) {
    return [&main, companionWindow = std::move(companionWindow)] {
        main.ShutdownAll();
        ::Sleep(2000);
        if (companionWindow)
            ::PostMessageW(companionWindow(), WM_COMPANION, reinterpret_cast<WPARAM>(main.Handle()),
                           -1);
        ::PostMessageW(main.Handle(), WM_CLOSE, 0, 0);
    };
}

// ---- sending window

std::vector<std::string> ListUpgradeFiles(const std::string& programPath) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW fd;
    dvr::win::FindHandle find(::FindFirstFileW(GbkToWide(programPath + "*").c_str(), &fd));
    if (!find) return names;
    do {
        const std::string name = dvr::win::WideToGbk(fd.cFileName);
        if (name == "." || name == "..") continue;
        if (name.find('.') != std::string::npos) names.push_back(name);
    } while (::FindNextFileW(find.get(), &fd));
    return names;
}

TRemoteUpgradeSender::TRemoteUpgradeSender(TRemoteUpgradeView& view, std::string programPath,
                                           UINT timerMs)
    : view_(view), programPath_(std::move(programPath)),
      timer_(std::make_unique<TWindowTimer>(timerMs, [this] { TimerFired(); })),
      messages_([this](UINT m, WPARAM w, LPARAM) {
          if (m == WM_UPGRADEFILEDONE) FileDone(static_cast<int>(static_cast<INT_PTR>(w)));
          if (m == WM_UPGRADEPROGRESS) view_.StepProgress(static_cast<int>(w));
          if (m == WM_UPGRADEFILELENGTH) {
              view_.SetProgressRange(static_cast<int>(w));
              view_.SetProgress(0);
          }
      }) {
    control_.OnRead = [this] { ControlRead(); };
    control_.OnError = [this](int& code) { SocketError(code); };
    data_.OnConnect = [this] { DataConnected(); };
    data_.OnRead = [this] { DataRead(); };
    data_.OnError = [this](int& code) { SocketError(code); };
}

TRemoteUpgradeSender::~TRemoteUpgradeSender() = default;

void TRemoteUpgradeSender::StartUpgrade(const std::string& host, int port,
                                        const std::vector<std::string>& names) {
    if (host.empty()) return;
    host_ = host;
    port_ = port;
    files_.clear();
    for (const std::string& name : names) {
        if (::GetFileAttributesW(GbkToWide(programPath_ + name).c_str()) ==
            INVALID_FILE_ATTRIBUTES) {
            files_.clear();
            view_.ShowMessage(Utf8ToGbk("文件 <") + name + Utf8ToGbk("> 不存在。"));
            return;
        }
        files_.push_back(name);
    }
    if (files_.empty()) return;
    view_.SetStartEnabled(false);
    view_.SetWindowEnabled(false);
    timerTag_ = 0;
    timer_->SetEnabled(true);
    view_.SetHourglass(true);
    if (!control_.Open(host_, port_)) {
        // An address that cannot be used fails as a connection that never answers.
        TimerFired();
    }
}

void TRemoteUpgradeSender::ControlRead() {
    const auto c = control_.Connection();
    if (!c || c->ReceiveText() != "OK") return;
    view_.SetWindowEnabled(true);
    view_.SetHourglass(false);
    view_.SetFileNameLabel(files_.empty() ? std::string() : files_.front());
    timerTag_ = 1;
    data_.Open(host_, port_);
    waitShown_ = true;
    view_.SetWaitVisible(true);
}

void TRemoteUpgradeSender::DataConnected() {
    if (files_.empty()) {
        data_.Close();
        return;
    }
    timer_->SetEnabled(false);
    const std::string path = programPath_ + files_.front();
    view_.SetFileNameLabel(path);
    files_.erase(files_.begin());
    TThreadSendDataForUpgrade::Create(path, data_.Connection(), messages_.Handle());
}

void TRemoteUpgradeSender::DataRead() {
    const auto c = data_.Connection();
    if (!c || c->ReceiveText() != "False") return;
    timer_->SetEnabled(false);
    view_.SetStartEnabled(true);
    CloseBoth();
    Restore();
    view_.ShowMessage(Utf8ToGbk("升级失败"));
}

void TRemoteUpgradeSender::SocketError(int& code) {
    code = 0;
    timer_->SetEnabled(false);
    view_.SetStartEnabled(true);
    CloseBoth();
    Restore();
    view_.ShowMessage(Utf8ToGbk("通信中断，升级失败！"));
}

void TRemoteUpgradeSender::TimerFired() {
    timer_->SetEnabled(false);
    view_.SetStartEnabled(true);
    CloseBoth();
    Restore();
    view_.ShowMessage(Utf8ToGbk(timerTag_ == 0 ? "连接失败！" : "通信失败，升级中断！"));
}

void TRemoteUpgradeSender::FileDone(int result) {
    view_.SetProgress(0);
    if (result == -1) {
        timer_->SetEnabled(false);
        view_.SetStartEnabled(true);
        CloseBoth();
        Restore();
        view_.ShowMessage(Utf8ToGbk("无法打开文件，升级失败！"));
        return;
    }
    if (!waitShown_) return; // broken off meanwhile
    if (!files_.empty()) {
        timerTag_ = 1;
        timer_->SetEnabled(true);
        view_.SetHourglass(true);
        view_.SetFileNameLabel(files_.front());
        view_.SetWaitVisible(true);
        data_.Open(host_, port_);
        return;
    }
    timer_->SetEnabled(false);
    view_.SetStartEnabled(true);
    Restore();
    const auto c = control_.Connection();
    const int sent = c ? c->SendText("End") : -1;
    CloseBoth();
    view_.ShowMessage(
        Utf8ToGbk(sent >= 1 ? "恭喜！升级成功！远程系统正在重启动中。" : "升级失败！"));
}

void TRemoteUpgradeSender::EndUpgrade() {
    files_.clear();
    timer_->SetEnabled(false);
    view_.SetStartEnabled(true);
    CloseBoth();
    Restore();
}

void TRemoteUpgradeSender::Restore() {
    waitShown_ = false;
    view_.SetWaitVisible(false);
    view_.SetFileNameLabel({});
    view_.SetWindowEnabled(true);
    view_.SetHourglass(false);
}

void TRemoteUpgradeSender::CloseBoth() {
    control_.Close();
    data_.Close();
}

} // namespace vantrel
