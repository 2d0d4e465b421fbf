// The PTZ speed window: five bars, in percent of the protocol's default speeds, for the
// selected pane's camera.
#pragma once

#include "host/engine/U_YunTai.h"
#include "host/ui/U_Preview.h" // WM_PTZCHANNEL

#include "framework/ui/comctrls.h"
#include "framework/ui/forms.h"
#include "framework/ui/stdctrls.h"

#include <array>
#include <functional>
#include <vector>

namespace vantrel {

class TYunTaiSpeedForm : public dvr::fw::TForm {
    FW_CLASS(TYunTaiSpeedForm, dvr::fw::TForm)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(WM_PTZCHANNEL, WMPtzChannel)
    FW_MESSAGES_END
public:
    // settings and protocols: those the PTZ object was made with.
    TYunTaiSpeedForm(dvr::fw::TComponent* AOwner, TYunTai& ptz, const TYunTaiSetRecord& settings,
                     const std::vector<TYunTaiProtocol>& protocols,
                     std::function<int()> selectedChannel);

    // Up-down, left-right, focus, zoom, automatic.
    std::array<dvr::fw::TTrackBar*, 5> Bars{};
    dvr::fw::TButton* bt_Close;

    // The bars show the channel's speeds.
    void ShowChannel(int channel);
    void BarChange(dvr::fw::TObject* Sender);
    void bt_CloseClick(dvr::fw::TObject* Sender);

private:
    void WMPtzChannel(dvr::fw::TMessage& M);
    const TYunTaiProtocol* ProtocolOf(int channel) const;

    TYunTai& ptz_;
    const TYunTaiSetRecord& settings_;
    const std::vector<TYunTaiProtocol>& protocols_;
    std::function<int()> selected_;
};

} // namespace vantrel
