// The control's station map: the host's station map window over the control's host list, its
// fixed program folder and its panes.
#pragma once

#include "framework/ui/forms.h"

#include <functional>

namespace vantrel {
class TMapCtrlForm;
class TNetClientSet;
} // namespace vantrel

namespace vantrel::webctl {

class TVantrelIE_QZ;

// The window (not yet shown): stations in "C:\Vantrel\StationMap\"; opening a station asks
// `closeAllAndRebuild` for that group; "设置" is refused while `cycleMode` says so.
TMapCtrlForm* MakeControlStationMap(dvr::fw::TComponent* owner, TNetClientSet& hosts,
                                    std::function<bool()> cycleMode,
                                    std::function<void(int group)> closeAllAndRebuild);

// Gives the face's menu item "站点分布图" its action: the window, shown modally and freed.
void InstallStationMap(TVantrelIE_QZ& face, TNetClientSet& hosts);

} // namespace vantrel::webctl
