#include "sdk/dorsk/channel_layout.h"

#include <algorithm>

namespace dvr::dorsk {

ChannelLayout AssignChannels(std::span<const int> types) {
    ChannelLayout layout;
    layout.processor.fill(-1);
    layout.sub.fill(-1);
    size_t count = std::min(types.size(), static_cast<size_t>(kMaxProcessors));
    int next = 0;
    for (size_t p = 0; p < count; ++p) {
        int type = types[p];
        if (type > 0) layout.total += type;
        if (!HasChannelRecords(type)) continue;
        for (int s = 0; s < type; ++s) {
            // 16 processors of at most four records each fit the 64 channel records.
            layout.numbers[p][s] = next;
            layout.processor[next] = static_cast<int8_t>(p);
            layout.sub[next] = static_cast<int8_t>(s);
            ++next;
        }
    }
    return layout;
}

} // namespace dvr::dorsk
