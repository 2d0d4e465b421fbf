#include "host/net/F_SearchServerForm.h"

#include "host/net/U_UdpSend.h"

#include <cstring>

namespace vantrel {
namespace {

// "正在搜索，请稍候......"
const char kSearching[] = "\xD5\xFD\xD4\xDA\xCB\xD1\xCB\xF7\xA3\xAC\xC7\xEB\xC9\xD4\xBA\xF2"
                          "......";

std::string Trimmed(const std::string& text) {
    return std::string(TrimSpaces(text));
}

} // namespace

TSearchServerForm::TSearchServerForm(TArithmetic& arithmetic, uint16_t searchPort, Timing timing)
    : arithmetic_(arithmetic), searchPort_(searchPort) {
    WSADATA wsa{};
    wsaStarted_ = ::WSAStartup(MAKEWORD(2, 2), &wsa) == 0;
    ed_ServerAddr = arithmetic_.LogonServer.ServerAddress.Get();
    ed_UserName = arithmetic_.LogonServer.UserName.Get();
    ed_Password = arithmetic_.LogonServer.Password.Get();
    notify_.OnMessage = [this](UINT message, WPARAM, LPARAM) {
        if (message == WM_SEARCHDONE) SearchDone();
    };
    connectTimer_ = std::make_unique<TWindowTimer>(timing.ConnectMs, [this] { ConnectTimer(); });
    timeOutTimer_ = std::make_unique<TWindowTimer>(timing.TimeOutMs, [this] { TimeOutTimer(); });
    // Bound at once, so the reader waits for answers from its first moment.
    socket_.reset(OpenUdpSocket());
    reader_.reset(::CreateThread(nullptr, 0, &ReaderMain, this, 0, nullptr));
}

TSearchServerForm::~TSearchServerForm() {
    stopped_ = true;
    // Closing the socket ends a blocked receive; the reader is waited for so that it never
    // touches the dialog after it has gone.
    socket_.reset();
    if (reader_) ::WaitForSingleObject(reader_.get(), INFINITE);
    connectTimer_.reset();
    timeOutTimer_.reset();
    if (wsaStarted_) ::WSACleanup();
}

std::vector<HostRegistrationRecord> TSearchServerForm::Found() {
    std::lock_guard<std::mutex> hold(foundLock_);
    return found_;
}

bool TSearchServerForm::bt_StartSearchClick() {
    const std::string request = BuildSearchRequest(ed_UserName, ed_Password);
    in_addr server{};
    if (!ResolveIPv4(Trimmed(ed_ServerAddr), server)) return false;
    serverAddress_ = server.s_addr;
    if (!socket_ || SendDatagram(socket_.get(), Trimmed(ed_ServerAddr), searchPort_, request.data(),
                                 request.size()) < 0)
        return false;
    connectTimer_->SetEnabled(true);
    timeOutTimer_->SetEnabled(true);
    bt_ExitEnabled = false;
    lb_SearchInfo = kSearching;
    return true;
}

void TSearchServerForm::bt_ExitClick() {
    lb_SearchInfo.clear();
    Close();
}

void TSearchServerForm::bt_SaveSetClick() {
    TLogonServerRecord login{};
    TArithmetic::ClearLogonServer(login);
    login.ServerAddress.Set(Trimmed(ed_ServerAddr));
    login.UserName.Set(Trimmed(ed_UserName));
    login.Password.Set(Trimmed(ed_Password));
    TArithmetic::SaveLogonServer(login);
    arithmetic_.LoadLogonServer();
}

void TSearchServerForm::SearchDone() {
    lb_SearchInfo.clear();
    if (!Found().empty()) Close();
}

void TSearchServerForm::ConnectTimer() {
    connectTimer_->SetEnabled(false);
    // Nothing yet: the operator may leave; the time-out still closes the dialog at 60 s.
    if (Found().empty()) {
        lb_SearchInfo.clear();
        bt_ExitEnabled = true;
    }
}

void TSearchServerForm::TimeOutTimer() {
    lb_SearchInfo.clear();
    bt_ExitEnabled = true;
    Close();
}

void TSearchServerForm::Close() {
    Closed = true;
    connectTimer_->SetEnabled(false);
    timeOutTimer_->SetEnabled(false);
}

DWORD WINAPI TSearchServerForm::ReaderMain(LPVOID self) {
    static_cast<TSearchServerForm*>(self)->ReadLoop();
    return 0;
}

void TSearchServerForm::ReadLoop() {
    const SOCKET socket = socket_.get();
    HostRegistrationRecord record;
    while (!stopped_) {
        sockaddr_in from{};
        int len = sizeof(from);
        const int n = ::recvfrom(socket, reinterpret_cast<char*>(&record), sizeof(record), 0,
                                 reinterpret_cast<sockaddr*>(&from), &len);
        if (n < 0) {
            // Too long a datagram, or the socket closing under us.
            if (stopped_) return;
            ::Sleep(50);
            continue;
        }
        if (serverAddress_.load() == 0 || from.sin_addr.s_addr != serverAddress_.load() ||
            ::ntohs(from.sin_port) != searchPort_)
            continue;
        if (n < static_cast<int>(sizeof(record))) {
            ::PostMessageW(notify_.Handle(), WM_SEARCHDONE, 0, 0);
            return;
        }
        record.Address.Set(DottedAddress(from.sin_addr));
        std::lock_guard<std::mutex> hold(foundLock_);
        if (found_.size() < kMaxSearchHosts) found_.push_back(record);
    }
}

} // namespace vantrel
