// The per-channel stream rings and the threads that fill them and tell the host.
#pragma once

#include "sdk/dorsk/sdk_state.h"

namespace dvr::dorsk {

constexpr DWORD kNotifierPeriodMs = 10;

// Creates all 64 rings; on failure frees what it made.
bool CreateStreamRings();
void FreeStreamRings();

// Starts the slot reader and the notifier; on failure stops what it started and answers
// the error word to store (0 when none is stored).
bool StartStreamThreads(uint32_t& error);
void StopStreamThreads();

// Empties a channel's ring and closes it until the next stream header or motion record;
// with `clear_statistics` also zeroes the channel's frame statistics.
void ResetChannelStream(SdkChannel& channel, bool clear_statistics);
// Back to the audio coder's initial state for the channel's next records.
void ResetChannelAudio(SdkChannel& channel);
// The channel's picture and audio-block counts, read consistently with the intake.
void ReadChannelCounts(const SdkChannel& channel, int32_t& pictures, int32_t& audio_blocks);

unsigned __stdcall StreamSlotReaderThread(void*);
unsigned __stdcall StreamNotifyThread(void*);

} // namespace dvr::dorsk
