// A port's DirectSound state.
#pragma once

#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <atomic>
#include <cstdint>

// Before the handle owners, so that they include the DrawDib one.
#include <vfw.h>

#include "common/win/handles.h"
#include "player/lib/sound_feed.h"

namespace dvr::strovid {

struct PortSound {
    win::ComPtr<IDirectSound> directSound;
    win::ComPtr<IDirectSoundBuffer> buffer;
    win::ComPtr<IDirectSoundNotify> notify;
    int bufferSize = 0;
    int writePos = 0;
    win::Event refillEvent;
    win::Event stopEvent;
    win::Event soundEnd;
    win::Thread thread;
    std::atomic<int> volume{0}; // DirectSound attenuation, -10000..0
    std::atomic<int> mute{0};
    std::atomic<int> soundOff{1};
    std::atomic<int> stopFlag{0};
    std::atomic<int> stepFlag{0};
    std::atomic<int> held{0}; // a block taken from the queue and kept for the next turn
    SoundBlock heldBlock{};
    // Held while a chunk is filled and while the controls restart or silence the feed.
    win::CriticalSection lock;
    SoundFeed feed;
    SoundDecoder decoder;
};

} // namespace dvr::strovid
