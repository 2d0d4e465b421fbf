// The bytes of a live channel connection: the request that opens a channel or asks for a key
// frame, and the head that tells a refused viewer. Portable.
#pragma once

#include "common/gbk.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vantrel {

using dvr::PString;

#pragma pack(push, 1)
struct TChannelOpenRequest {
    PString<50> HostAddress; // the host as the viewer knows it
    uint8_t Pad51;
    int32_t PortBase;       // the host's live port base as the viewer has it
    PString<50> OwnAddress; // the host overwrites it with the peer address it sees
    uint8_t Pad107;
    int32_t Channel;
    PString<50> Keyword; // empty to open, "IFrame" for a key frame
    PString<10> User;
    PString<10> Password;
    uint8_t Pad185[3];
};
#pragma pack(pop)
static_assert(sizeof(TChannelOpenRequest) == 188);
static_assert(offsetof(TChannelOpenRequest, HostAddress) == 0);
static_assert(offsetof(TChannelOpenRequest, PortBase) == 52);
static_assert(offsetof(TChannelOpenRequest, OwnAddress) == 56);
static_assert(offsetof(TChannelOpenRequest, Channel) == 108);
static_assert(offsetof(TChannelOpenRequest, Keyword) == 112);
static_assert(offsetof(TChannelOpenRequest, User) == 163);
static_assert(offsetof(TChannelOpenRequest, Password) == 174);

constexpr int kChannelOpenRequestSize = sizeof(TChannelOpenRequest);
constexpr int kStreamHeadSize = 19;
constexpr int kDefaultLivePortBase = 50000;
constexpr std::string_view kKeyFrameKeyword = "IFrame";
// The byte a viewer sends before it hangs up.
constexpr uint8_t kViewerCloseByte = 'C';

// 19 bytes of 0xFF in place of the stream head of a refused viewer.
extern const uint8_t StreamRefusalHead[kStreamHeadSize];

// A request as sent: zero padding, strings cut to their capacity.
TChannelOpenRequest MakeChannelOpenRequest(std::string_view hostAddress, int32_t portBase,
                                           std::string_view ownAddress, int32_t channel,
                                           std::string_view keyword, std::string_view user,
                                           std::string_view password);

// The first 188 bytes of what a read brought; false when fewer arrived. The rest is ignored.
bool ReadChannelOpenRequest(const uint8_t* data, size_t length, TChannelOpenRequest& request);

// The keyword compared exactly, case and length.
bool IsKeyFrameRequest(const TChannelOpenRequest& request);

// A viewer's test of the first data it receives: its first 10 bytes are all 0xFF.
bool IsStreamRefusal(const uint8_t* data, size_t length);

} // namespace vantrel
