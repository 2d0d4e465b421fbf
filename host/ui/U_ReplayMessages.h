// Messages of the replay windows, shared by the local and the remote replay.
#pragma once

namespace vantrel {

constexpr unsigned WM_REPLAYEND = 0x400 + 4;
constexpr unsigned WM_REPLAYSELECT = 0x400 + 5;
constexpr unsigned WM_REPLAYLAYOUT = 0x400 + 18;
constexpr unsigned WM_REPLAYMENU = 0x400 + 20;

} // namespace vantrel
