// The control's PTZ unit: 20 control pictures on the PTZ panel, a 20 ms repeat timer, and the
// commands sent as PTZ datagrams to the host of the selected pane's channel.
#pragma once

#include "common/win/handles.h"
#include "host/engine/U_SettingsRecords.h"
#include "framework/object.h"
#include "framework/ui/extctrls.h"
#include "framework/ui/timer.h"

#include <array>
#include <cstdint>

namespace vantrel::webctl {

class TVantrelIE_QZ;
class TControlChannels;

constexpr int kPtzPictures = 20;
constexpr uint16_t kDefaultUdpServerPort = 57000;

class TYunTai : public dvr::fw::TObject {
public:
    TYunTai(TVantrelIE_QZ& form, TControlChannels& channels);
    ~TYunTai() override;

    int PtzChannel = 0;
    // The control's PTZ settings: each channel's protocol number goes with its commands.
    const TYunTaiSetRecord* PtzSettings = nullptr;
    int CurrentCommand = 0;
    int RepeatChannel = 0;
    bool Toggle = false;
    bool MousePtz = false;
    bool Locked = false;
    std::array<dvr::fw::TPanel*, kPtzPictures> Pictures{};
    dvr::fw::TTimer* RepeatTimer = nullptr;
    int RepeatTag = 0;

    // Commands 0..9 repeat every 20 ms until stopped.
    void StartCommand(int channel, int command, int value1, int value2);
    void StopCommand(int channel, int command, int value1, int value2);
    // Template 0 start, 1 stop; nothing for a channel outside the channels in use.
    void SendCommand(int channel, int command, int templ, int value1, int value2);

    // The panel's picture `tag` pressed and let go (also by the mouse PTZ on a pane).
    void Press(int tag);
    void Release(int tag);
    // One datagram to the host of the channel, at the message port of the first host
    // configured at that address; false when the channel has no host.
    bool SendToChannelHost(int channel, const void* data, size_t length);

    void PictureMouseDown(dvr::fw::TObject* sender, dvr::fw::TMouseButton button,
                          dvr::fw::TShiftState shift, int x, int y);
    void PictureMouseUp(dvr::fw::TObject* sender, dvr::fw::TMouseButton button,
                        dvr::fw::TShiftState shift, int x, int y);
    void PictureClick(dvr::fw::TObject* sender);
    void RepeatTimerTimer(dvr::fw::TObject* sender);

private:
    void ShowDown(int tag, bool down);
    TVantrelIE_QZ& form_;
    TControlChannels& channels_;
    dvr::win::Socket socket_;
};

} // namespace vantrel::webctl
