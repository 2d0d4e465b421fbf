// UdpMsgAlarmSubscribe on the live servers: the viewers of a board channel that a subscribing
// host watches from get that host's alarm address and port.
#pragma once

#include "host/net/U_TCPMainServer.h"

#include <string>

namespace vantrel {

// Every open viewer of the list whose peer address is `address` gets the alarm port and
// address; returns how many did.
int SubscribeViewerAlarms(TTCPMainConnecter& viewers, const std::string& address, int port);
// The same on a channel's running server, under the lists' lock; 0 without a server.
int SubscribeViewerAlarms(TLiveServers& servers, int channel, const std::string& address, int port);

} // namespace vantrel
