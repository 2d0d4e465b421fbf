// Booting a board processor on the first open of one of its channels, and shutting it
// down with its last channel.
#pragma once

#include "sdk/dorsk/sdk_state.h"

namespace dvr::dorsk {

// Boots the processor and marks sub-channel `sub` open. The caller holds the channel's
// and the processor's mutexes. On failure the error word is stored, everything the boot
// created is released and the processor is marked not bootable.
bool BootBoard(SdkBoard& board, int sub);

// Stops a booted processor whose last channel has closed (processor mutex held).
void ShutdownBoard(SdkBoard& board);

} // namespace dvr::dorsk
