#include "sdk/dorsk/stream_rings.h"

#include <cstdio>
#include <new>

namespace dvr::dorsk {

bool CreateStreamRings() {
    for (int ch = 0; ch < kMaxChannels; ++ch) {
        StreamRing& ring = g_sdk.rings[ch];
        wchar_t name[32];
        std::swprintf(name, 32, L"VideoSourceSink%d", ch);
        ring.lock.reset(::CreateMutexW(nullptr, FALSE, name));
        ring.buffer.reset(new (std::nothrow) uint8_t[kRingSize]);
        ring.staging.reset(new (std::nothrow) uint8_t[kStagingSize]);
        if (!ring.lock || !ring.buffer || !ring.staging) {
            FreeStreamRings();
            return false;
        }
        ring.writeOffset = 0;
        ring.readOffset = 0;
        ring.recordCount = 0;
        ring.accepting = 0;
        ring.readSinceNotice = 1;
        ring.pending = 0;
        ring.stagingFill = 0;
    }
    return true;
}

void FreeStreamRings() {
    for (StreamRing& ring : g_sdk.rings) {
        ring.lock.reset();
        ring.buffer.reset();
        ring.staging.reset();
    }
}

bool StartStreamThreads(uint32_t& error) {
    error = 0;
    return true;
}

void StopStreamThreads() {}

} // namespace dvr::dorsk
