// The PTZ request a host sends to the host that owns a network channel's camera (130 bytes).
#pragma once

#include "common/gbk.h"

#include <cstddef>
#include <cstdint>

namespace vantrel {

#pragma pack(push, 1)
struct UdpMsgPtzCommand {
    dvr::PString<50> HostAddress;
    dvr::PString<50> OwnAddress;
    uint8_t Channel;  // on the remote host
    uint8_t Protocol; // ignored by the receiver
    uint8_t Command;
    uint8_t Template; // 0 start, 1 stop
    uint8_t Value1;
    uint8_t Value2;
    dvr::PString<10> UserName;
    dvr::PString<10> Password;
};
#pragma pack(pop)
static_assert(sizeof(UdpMsgPtzCommand) == 130);
static_assert(offsetof(UdpMsgPtzCommand, OwnAddress) == 51);
static_assert(offsetof(UdpMsgPtzCommand, Channel) == 102);
static_assert(offsetof(UdpMsgPtzCommand, Protocol) == 103);
static_assert(offsetof(UdpMsgPtzCommand, Command) == 104);
static_assert(offsetof(UdpMsgPtzCommand, Template) == 105);
static_assert(offsetof(UdpMsgPtzCommand, Value1) == 106);
static_assert(offsetof(UdpMsgPtzCommand, Value2) == 107);
static_assert(offsetof(UdpMsgPtzCommand, UserName) == 108);
static_assert(offsetof(UdpMsgPtzCommand, Password) == 119);

} // namespace vantrel
