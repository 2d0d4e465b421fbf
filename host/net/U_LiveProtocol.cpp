#include "host/net/U_LiveProtocol.h"

#include <cstring>

namespace vantrel {

const uint8_t StreamRefusalHead[kStreamHeadSize] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                                    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                                    0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

TChannelOpenRequest MakeChannelOpenRequest(std::string_view hostAddress, int32_t portBase,
                                           std::string_view ownAddress, int32_t channel,
                                           std::string_view keyword, std::string_view user,
                                           std::string_view password) {
    TChannelOpenRequest r;
    std::memset(&r, 0, sizeof(r));
    r.HostAddress.Set(hostAddress);
    r.PortBase = portBase;
    r.OwnAddress.Set(ownAddress);
    r.Channel = channel;
    r.Keyword.Set(keyword);
    r.User.Set(user);
    r.Password.Set(password);
    return r;
}

bool ReadChannelOpenRequest(const uint8_t* data, size_t length, TChannelOpenRequest& request) {
    if (!data || length < sizeof(TChannelOpenRequest)) return false;
    std::memcpy(&request, data, sizeof(TChannelOpenRequest));
    return true;
}

bool IsKeyFrameRequest(const TChannelOpenRequest& request) {
    return request.Keyword.View() == kKeyFrameKeyword;
}

bool IsStreamRefusal(const uint8_t* data, size_t length) {
    if (!data || length < 10) return false;
    for (size_t i = 0; i < 10; ++i)
        if (data[i] != 0xFF) return false;
    return true;
}

} // namespace vantrel
