// The control's system information: every channel is a network channel, the program folder is
// fixed and the panes lie on the control's face.
#pragma once

#include "host/engine/U_NetClientSet.h"
#include "host/engine/U_PaneLayout.h"
#include "host/engine/U_SettingsRecords.h"

#include <string>
#include <vector>

namespace vantrel::webctl {

constexpr PaneRect ControlVideoArea{13, 12, 770, 571};
constexpr PaneRect ControlFaceArea{0, 0, 896, 644};
constexpr const char* kControlProgramPath = "C:\\Vantrel\\";

class TSystemInfo {
public:
    explicit TSystemInfo(const TNetClientSet& netClientSet);

    int ChannelCount = 0;
    std::string ProgramPath = kControlProgramPath;
    PaneRect VideoArea = ControlVideoArea;
    // Every cell of the layout chosen for ChannelCount, so the empty cells can be shown too.
    std::vector<PaneRect> PaneRects;
    std::string OwnIP;
    std::vector<std::string> LocalIPs;
    std::string HostName;

    // Channel count from the host list, then the pane rectangles over the area in force.
    void UpdateChannelLayout();

private:
    const TNetClientSet& netClientSet_;
};

} // namespace vantrel::webctl
