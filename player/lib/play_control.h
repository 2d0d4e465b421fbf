// Pieces of file playback shared by the play thread and the seeks.
#pragma once

#include "player/lib/play_port.h"

namespace dvr::strovid {

// Posts the port's end-of-file message, when one was set, with the port number.
void PostEndNotice(int port);
// The decoder's next picture becomes the port's current one (and its RGB output).
void TakeDecodedPicture(PlayPort& port);
// The sound reader goes to where the picture reader is.
void MoveSoundToPlayPosition(PlayPort& port);

} // namespace dvr::strovid
