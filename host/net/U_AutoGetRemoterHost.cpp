#include "host/net/U_AutoGetRemoterHost.h"

#include "host/net/U_UdpSend.h"

#include <string>
#include <vector>

namespace vantrel {

TAutoGetRemoterHost::TAutoGetRemoterHost(TArithmetic& arithmetic, TNetClientSet& netClientSet,
                                         const TSystemOtherSet& otherSet, int boardChannels,
                                         uint16_t lookupPort, Timing timing)
    : arithmetic_(arithmetic), netClientSet_(netClientSet), otherSet_(otherSet),
      boardChannels_(boardChannels), lookupPort_(lookupPort), timing_(timing) {
    WSADATA wsa{};
    wsaStarted_ = ::WSAStartup(MAKEWORD(2, 2), &wsa) == 0;
    socket_.reset(OpenUdpSocket());
    // Lookup replies are small, but many groups may answer at once.
    int size = 102400;
    if (socket_)
        ::setsockopt(socket_.get(), SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&size),
                     sizeof(size));
    stopEvent_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    requestThread_.reset(::CreateThread(nullptr, 0, &RequestMain, this, CREATE_SUSPENDED, nullptr));
    if (requestThread_) ::SetThreadPriority(requestThread_.get(), THREAD_PRIORITY_LOWEST);
    readThread_.reset(::CreateThread(nullptr, 0, &ReadMain, this, CREATE_SUSPENDED, nullptr));
}

TAutoGetRemoterHost::~TAutoGetRemoterHost() {
    stopped_ = true;
    ::SetEvent(stopEvent_.get());
    // Closing the socket ends the reader's blocked receive.
    socket_.reset();
    for (dvr::win::Thread* t : {&requestThread_, &readThread_}) {
        if (!*t) continue;
        while (::ResumeThread(t->get()) > 1) {
        }
        ::WaitForSingleObject(t->get(), INFINITE);
    }
    if (wsaStarted_) ::WSACleanup();
}

void TAutoGetRemoterHost::Resume() {
    if (requestThread_) ::ResumeThread(requestThread_.get());
    if (readThread_) ::ResumeThread(readThread_.get());
}

DWORD WINAPI TAutoGetRemoterHost::RequestMain(LPVOID self) {
    static_cast<TAutoGetRemoterHost*>(self)->RequestLoop();
    return 0;
}

DWORD WINAPI TAutoGetRemoterHost::ReadMain(LPVOID self) {
    static_cast<TAutoGetRemoterHost*>(self)->ReadLoop();
    return 0;
}

bool TAutoGetRemoterHost::Pause(DWORD ms) {
    return ::WaitForSingleObject(stopEvent_.get(), ms) == WAIT_TIMEOUT && !stopped_;
}

void TAutoGetRemoterHost::RequestLoop() {
    while (!stopped_) {
        if (!Pause(timing_.StartPauseMs)) return;
        const TLogonServerRecord login = arithmetic_.LogonServer;
        const std::string server(login.ServerAddress.View());
#ifdef VANTREL_CONTROL_BUILD
        // The browser control has no board: it looks up only in client mode, and an empty
        // server address makes every send fail quietly.
        const bool lookUp = otherSet_.Record.ActAsClient != 0;
#else
        if (server.empty()) {
            if (!Pause(timing_.NoServerPauseMs)) return;
            continue;
        }
        const bool lookUp = otherSet_.Record.ActAsClient || boardChannels_ == 0;
#endif
        in_addr resolved{};
        if (ResolveIPv4(server, resolved)) serverAddress_ = resolved.s_addr;
        if (lookUp) {
            for (size_t i = 0;; ++i) {
                if (!Pause(timing_.PerGroupPauseMs)) return;
                std::string request;
                {
                    std::lock_guard<std::mutex> hold(groupsLock_);
                    if (i >= netClientSet_.Groups.size()) break;
                    const TClientGroup& g = netClientSet_.Groups[i];
                    request = BuildLookupRequest(g.Name.View(), login.UserName.View(),
                                                 login.Password.View(), g.HostAddress.View());
                }
                if (SendDatagram(socket_.get(), server, lookupPort_, request.data(),
                                 request.size()) > 0)
                    ++requestsSent_;
            }
        }
        if (!Pause(timing_.RoundPauseMs)) return;
    }
}

void TAutoGetRemoterHost::ReadLoop() {
    std::vector<char> buffer(4096);
    const SOCKET socket = socket_.get();
    while (!stopped_) {
        sockaddr_in from{};
        int fromLength = sizeof(from);
        const int n = ::recvfrom(socket, buffer.data(), static_cast<int>(buffer.size()), 0,
                                 reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (n <= 0) {
            // A closed socket ends the wait; other errors pause briefly and go on.
            if (stopped_ || !Pause(50)) return;
            continue;
        }
        // Only the name server asked may move a group to another address.
        if (serverAddress_.load() == 0 || from.sin_addr.s_addr != serverAddress_.load() ||
            ::ntohs(from.sin_port) != lookupPort_) {
            ++repliesForeign_;
            continue;
        }
        const HostLookupReply reply =
            ParseLookupReply(std::string_view(buffer.data(), static_cast<size_t>(n)));
        std::lock_guard<std::mutex> hold(groupsLock_);
        if (ApplyLookupReply(reply, netClientSet_.Groups, netClientSet_.GroupRecords))
            ++repliesApplied_;
    }
}

} // namespace vantrel
