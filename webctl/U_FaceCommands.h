// The face's tools that drive the channels: the host cycle (one host group after another at
// a set interval), the host-group menu, listening to the selected pane, the picture-value
// buttons and the remote alarm list's menu item.
#pragma once

#include "framework/object.h"

#include <functional>

namespace vantrel {
class TNetClientSet;
}

namespace vantrel::webctl {

class TVantrelIE_QZ;
class TControlChannels;
class TControlAlarmList;

class TFaceCommands : public dvr::fw::TObject {
public:
    TFaceCommands(TVantrelIE_QZ& form, TNetClientSet& hosts, TControlChannels& channels);

    // The host group the cycle shows; -1 when none.
    int CycleGroupIndex = -1;
    TControlAlarmList* AlarmList = nullptr;

    void im_CycleVideoClick(dvr::fw::TObject* sender);
    void VideoCycleTimerTimer(dvr::fw::TObject* sender);
    // One item per host group; a choice closes everything and shows that group.
    void RebuildGroupMenu();
    void GroupMenuItemClick(dvr::fw::TObject* sender);
    void im_PreviewAudioClick(dvr::fw::TObject* sender);
    void im_SaveColorClick(dvr::fw::TObject* sender);
    void im_CopyColorToAllClick(dvr::fw::TObject* sender);
    void RemoteAlarmListClick(dvr::fw::TObject* sender);

private:
    // The host's cycle dialog: the groups taking part and the interval in seconds (0 when
    // cancelled).
    int AskCycleInterval();
    TVantrelIE_QZ& form_;
    TNetClientSet& hosts_;
    TControlChannels& channels_;
};

} // namespace vantrel::webctl
