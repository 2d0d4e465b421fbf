// The one call the peripheral units make of the UDP message client: a datagram to a host (a
// dotted address or a name) and port. Failures are the sender's to swallow.
#pragma once

#include <string>

namespace vantrel {

class TUdpSender {
public:
    virtual ~TUdpSender() = default;
    virtual void SendTo(const void* buffer, int length, const std::string& host, int port) = 0;
};

} // namespace vantrel
