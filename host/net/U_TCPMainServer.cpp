#include "host/net/U_TCPMainServer.h"

#include <mutex>

namespace vantrel {

std::unique_ptr<TSocketThread> TThreadMainListen::Create(TTCPMainServer& server) {
    return std::make_unique<TSocketThread>(
        [&server](TSocketThread& self) { server.ListenLoop(self); }, THREAD_PRIORITY_NORMAL);
}

TTCPMainServer::TTCPMainServer(TLiveHost& host, std::shared_ptr<TRefusalThrottle> throttle)
    : host_(host), throttle_(std::move(throttle)) {}

TTCPMainServer::~TTCPMainServer() {
    if (Started) Stop();
}

bool TTCPMainServer::Start(int port, int channel) {
    if (Started) return true;
    if (channel > kLiveChannels || channel < 0 || port < 0 || port > 0xFFFF) return false;
    if (!Bind(static_cast<uint16_t>(port))) return false;
    Viewers = std::make_unique<TTCPMainConnecter>(host_, Socket.get(),
                                                  static_cast<uint8_t>(channel), throttle_);
    if (::listen(Socket.get(), kListenBacklog) == SOCKET_ERROR) Close();
    ListenThread = TThreadMainListen::Create(*this);
    if (ListenThread->Started())
        ListenThread->Start();
    else
        Close();
    Started = 1;
    return true;
}

void TTCPMainServer::Stop() {
    if (!Started) return;
    if (ListenThread) ListenThread->Stopped = true;
    if (StopEvent) ::WSASetEvent(StopEvent.get());
    // The accept thread changes the list: it ends before the list goes.
    ListenThread.reset();
    Viewers.reset();
    Close();
    Started = 0;
}

int TTCPMainServer::WaitNetEvents() {
    WSAEVENT pair[2] = {NetEvent.get(), StopEvent.get()};
    const DWORD r = ::WSAWaitForMultipleEvents(2, pair, FALSE, WSA_INFINITE, FALSE);
    if (r == WSA_WAIT_EVENT_0) return 0;
    if (r == WSA_WAIT_EVENT_0 + 1) return 1;
    return -1;
}

void TTCPMainServer::ResetNetEvent(int index) {
    HANDLE e = index == 0 ? NetEvent.get() : StopEvent.get();
    if (e) ::WSAResetEvent(e);
}

void TTCPMainServer::ListenLoop(TSocketThread& self) {
    for (;;) {
        const int index = WaitNetEvents();
        if (index >= 0) ResetNetEvent(index);
        if (index != 0 || self.Stopped) return;
        if (Viewers) Viewers->AcceptViewer();
    }
}

bool TLiveServers::StartLiveServers(int portBase, int count) {
    std::unique_lock guard(lock_);
    bool all = true;
    for (int channel = 0; channel < count && channel < kLiveChannels; ++channel) {
        if (!servers_[channel])
            servers_[channel] = std::make_unique<TTCPMainServer>(host_, throttle_);
        if (!servers_[channel]->Start(portBase + channel, channel)) all = false;
    }
    return all;
}

TTCPMainServer* TLiveServers::Server(int channel) {
    if (channel < 0 || channel >= kLiveChannels) return nullptr;
    return servers_[channel].get();
}

TTCPMainConnecter* TLiveServers::Viewers(int channel) {
    TTCPMainServer* server = Server(channel);
    return server && server->Started ? server->Viewers.get() : nullptr;
}

bool TLiveServers::CloseViewer(int channel, TTCPConnecter& viewer) {
    if (stopping_) return false;
    std::shared_lock guard(lock_);
    TTCPMainConnecter* list = Viewers(channel);
    if (!list) return false;
    std::lock_guard<std::mutex> hold(list->LinkLock);
    for (TTCPConnecter* v = list->Head.load(); v; v = v->Next.load()) {
        if (v != &viewer) continue;
        list->CloseViewer(viewer);
        return true;
    }
    return false;
}

void TLiveServers::FanOutFrame(int channel, int frameType, const uint8_t* data, int length) {
    if (stopping_) return;
    std::shared_lock guard(lock_);
    if (TTCPMainConnecter* viewers = Viewers(channel))
        viewers->FanOutFrame(frameType, data, length);
}

void TLiveServers::StopViewers() {
    std::unique_lock guard(lock_);
    for (auto& server : servers_) {
        if (!server || !server->Viewers) continue;
        for (TTCPConnecter* v = server->Viewers->Head.load(); v; v = v->Next.load()) {
            // The reader may still be creating the sender: it ends first.
            TThreadMainTCPConnecter::Stop(*v);
            if (v->ReadThread) v->ReadThread->Wait(2000);
            server->Viewers->CloseViewer(*v);
        }
    }
}

void TLiveServers::StopAll() {
    stopping_ = true;
    std::unique_lock guard(lock_);
    for (auto& server : servers_)
        if (server) server->Stop();
}

} // namespace vantrel
