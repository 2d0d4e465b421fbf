// The base of the socket endpoints: its own Winsock start-up, the socket, and the pair of
// event objects a worker thread waits on (network events, stop).
#pragma once

#include "common/win/handles.h"

#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <string>

namespace vantrel {

constexpr int kFdReadClose = FD_READ | FD_CLOSE;

class TWinSocket {
public:
    TWinSocket();
    virtual ~TWinSocket();
    TWinSocket(const TWinSocket&) = delete;
    TWinSocket& operator=(const TWinSocket&) = delete;

    dvr::win::Socket Socket;
    dvr::win::Event NetEvent;
    dvr::win::Event StopEvent;
    // AF_INET, port set by the owner, address any.
    sockaddr_in LocalAddress{};
    WSADATA WsaData{};

    // Without both events every open or bind is refused.
    bool EventsReady() const { return NetEvent && StopEvent; }
    // First IPv4 address of the name, network byte order; 0 when it does not resolve.
    uint32_t ResolveHostName(const std::string& name) const;

private:
    bool wsaStarted_ = false;
};

} // namespace vantrel
