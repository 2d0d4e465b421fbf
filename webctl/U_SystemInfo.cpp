#include "webctl/U_SystemInfo.h"

#include "host/engine/U_SystemInfo.h"

#include <algorithm>

namespace vantrel::webctl {

TSystemInfo::TSystemInfo(const TNetClientSet& netClientSet) : netClientSet_(netClientSet) {
    UpdateChannelLayout();
    ReadLocalAddresses(HostName, LocalIPs);
    if (!LocalIPs.empty()) OwnIP = LocalIPs.front();
}

void TSystemInfo::UpdateChannelLayout() {
    ChannelCount = std::clamp(netClientSet_.NetChannelCount, 0, kSettingsChannels);
    PaneRects.assign(static_cast<size_t>(ChannelCount), PaneRect{});
    if (ChannelCount == 0) return;
    const int panes = LayoutPanes(VideoArea, PaneRects.data(), ChannelCount - 1);
    PaneRects.assign(static_cast<size_t>(panes), PaneRect{});
    LayoutPanes(VideoArea, PaneRects.data(), panes - 1);
}

} // namespace vantrel::webctl
