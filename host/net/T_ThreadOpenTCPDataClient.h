// The thread that connects a network channel's client to the remote live port and sends the
// channel open request; one per open, kept by the client until it ends.
#pragma once

#include "host/net/U_LiveProtocol.h"
#include "host/net/U_TCPDataClient.h"

#include <string>

namespace vantrel {

struct TThreadOpenTCPDataClient {
    // Port = request.PortBase + request.Channel; a dotted HostAddress is used as the address,
    // anything else as a name to resolve. The thread runs at once; a failure only undoes the
    // open it was started for (the client's epoch at creation).
    static void Create(TTCPDataClient& client, const TChannelOpenRequest& request);
    static void Execute(TTCPDataClient& client, const TChannelOpenRequest& request,
                        const std::string& hostName, const std::string& addressText, int port,
                        uint64_t epoch);
};

} // namespace vantrel
