// A listening TCP socket whose accept events are bound to the base's network event.
#pragma once

#include "host/net/U_WinSocket.h"

namespace vantrel {

class TTCPServer : public TWinSocket {
public:
    TTCPServer() = default;
    ~TTCPServer() override;

    bool Listening = false;

    // Socket, bind to any address at `port`, accept events selected; listen is the owner's.
    // Already listening, or without events: the current Listening value.
    bool Bind(uint16_t port);
    void Close();
};

} // namespace vantrel
