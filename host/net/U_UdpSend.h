// Sending one UDP datagram to a host given by dotted address or by name.
#pragma once

#include <winsock2.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel {

// The first IPv4 address of a dotted address or host name; false when it does not resolve.
bool ResolveIPv4(std::string_view host, in_addr& address);
// One sendto; the bytes sent, or -1 when the host does not resolve or the send fails.
int SendDatagram(SOCKET socket, std::string_view host, uint16_t port, const void* data,
                 size_t length);
// A UDP socket bound to any local address and a free port; INVALID_SOCKET on failure.
SOCKET OpenUdpSocket(uint16_t port = 0);
// The dotted text of an IPv4 address.
std::string DottedAddress(const in_addr& address);

} // namespace vantrel
