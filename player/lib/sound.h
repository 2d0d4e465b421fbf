// A port's sound: what play control asks of it, and the exported sound calls.
#pragma once

#include <windows.h>

namespace dvr::strovid {

// Stops the sound buffer where it is (pause, step, a speed other than normal).
void StopPortSound(int port);
// Stops it and mutes the port until normal speed comes back.
void MutePortSound(int port);
// Starts again in step with the pictures: clears the mute, marks the sound for
// resynchronisation, resets the write position and, when a buffer exists, refills it
// and plays it looping from its start.
void ResumePortSound(int port);
// Before a seek: buffer to its start, stopped, write position reset, filled with silence.
void SilencePortSound(int port);
// The pictures moved (stepping back): the next chunk starts afresh from the sound
// reader's position, in step with them.
void MarkSoundResync(int port);
// One picture forward: the sound path holds its buffer back.
void StepPortSound(int port);
// Playing stops: the sound stops and releases what it holds for playing.
void EndPortSound(int port);

} // namespace dvr::strovid

extern "C" {
int WINAPI RE4Ravi_PlaySound(int port);
int WINAPI RE4Ravi_PlaySoundShare(int port);
int WINAPI RE4Ravi_StopSound();
int WINAPI RE4Ravi_StopSoundShare(int port);
int WINAPI RE4Ravi_SetVolume(int port, unsigned volume);
int WINAPI RE4Ravi_GetVolume(int port);
} // extern "C"
