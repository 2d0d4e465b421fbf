// One set of channel status pictures on the face (49, four to a row under a page header):
// grey while idle, green while the channel is live, red while it records or alarms. The
// preview, recording and alarm pages each have their own row; only the page's row shows.
#pragma once

#include "framework/ui/extctrls.h"

#include <array>

namespace vantrel::webctl {

enum class StatusPicture : int { Idle = 0, Work = 1, Alarm = 2 };

class TStatusImages {
public:
    // The pictures lie on `face` from `top` down (right under their page's header); a click
    // on one calls `click` with the picture as sender (its Tag is the channel).
    TStatusImages(dvr::fw::TWinControl* face, int top, dvr::fw::TNotifyEvent click,
                  dvr::fw::TColor workColor);

    // Pictures of channels 0 .. count - 1 shown, the rest hidden.
    void Show(int count);
    void Hide();
    void Set(int channel, StatusPicture picture);
    // Idle <-> Work only: an alarm picture stays until set otherwise.
    void SetLive(int channel, bool live);
    StatusPicture State(int channel) const;
    dvr::fw::TPanel* Picture(int channel) const;

private:
    std::array<dvr::fw::TPanel*, 49> pictures_{};
    std::array<StatusPicture, 49> states_{};
    dvr::fw::TColor workColor_;
};

} // namespace vantrel::webctl
