// The per-channel stream rings and the threads that fill them and tell the host.
#pragma once

#include "sdk/dorsk/sdk_state.h"

namespace dvr::dorsk {

// Creates all 64 rings with their named locks; on failure frees what it made.
bool CreateStreamRings();
void FreeStreamRings();

// Starts the slot reader and the notifier; on failure stops what it started and answers
// the error word to store (0 when none is stored).
bool StartStreamThreads(uint32_t& error);
void StopStreamThreads();

} // namespace dvr::dorsk
