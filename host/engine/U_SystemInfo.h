// Facts about the running host that nearly every unit reads: channel count, program folder,
// the console's video area with its pane rectangles, host name and addresses.
#pragma once

#include "host/engine/U_Arithmetic.h"
#include "host/engine/U_NetClientSet.h"

#include <string>
#include <vector>

namespace vantrel {

// The host name and its IPv4 addresses in resolver order; both empty when resolution fails.
void ReadLocalAddresses(std::string& hostName, std::vector<std::string>& addresses);

class TSystemInfo {
public:
    TSystemInfo(TArithmetic& arithmetic, const TNetClientSet& netClientSet, int boardChannels);

    int ChannelCount = 0;
    std::string ProgramPath; // GBK, with a trailing "\"
    PaneRect VideoArea{13, 20, 897, 679};
    std::vector<PaneRect> PaneRects;
    std::string OwnIP;
    std::vector<std::string> LocalIPs;
    std::string HostName;

    // Channel count from the boards and the current network channel count, then the panes.
    void UpdateChannelLayout();

private:
    TArithmetic& arithmetic_;
    const TNetClientSet& netClientSet_;
    int boardChannels_;
};

} // namespace vantrel
