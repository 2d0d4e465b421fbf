// An outgoing TCP connection; the connect itself belongs to the network-channel client.
#pragma once

#include "host/net/U_WinSocket.h"

#include <string>

namespace vantrel {

class TTCPClient : public TWinSocket {
public:
    TTCPClient() = default;
    ~TTCPClient() override;

    bool Open = false;
    std::string HostName;    // a name to resolve; empty when AddressText is given
    std::string AddressText; // dotted IPv4
    int32_t Port = 0;

    // A new socket; already open, or without events: the current Open value.
    bool OpenSocket();
    // Wakes a thread waiting on the pair (stop event first), then closes the socket.
    void Close();
    int SendBuffer(const void* data, int length);
    // The bytes of the text, no length and no terminator; 0 when the send would block.
    int SendText(const std::string& text);
    int BytesAvailable();
    // 0 when nothing is waiting or the peer closed in order, -1 for a real error.
    int ReceiveBuffer(void* buffer, int size);
    bool SetReceiveBufferSize(int size);
};

} // namespace vantrel
