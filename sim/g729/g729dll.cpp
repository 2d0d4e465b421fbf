#define G729DLL_BUILD
#include "sim/g729/G729Dll.h"

#include "sim/g729/g729_coder.h"

#include <cstdint>

// Frames carry no state between calls: the initialisations have nothing to do.
int __stdcall G729InitEncoder() {
    return 0;
}
int __stdcall G729InitDecoder() {
    return 0;
}

int __stdcall G729Encode(const void* pcm, int length, void* out, int* outLength) {
    if (outLength) *outLength = 0;
    if (!outLength || length < 0 ||
        !g729sim::EncodeFrame(static_cast<const uint8_t*>(pcm), static_cast<size_t>(length),
                              static_cast<uint8_t*>(out), g729sim::kCodeBytes))
        return -1;
    *outLength = static_cast<int>(g729sim::kCodeBytes);
    return 0;
}

int __stdcall G729Decode(const void* code, int length, void* out, int* outLength) {
    if (outLength) *outLength = 0;
    if (!outLength || length < static_cast<int>(g729sim::kCodeBytes) ||
        !g729sim::DecodeFrame(static_cast<const uint8_t*>(code), g729sim::kCodeBytes,
                              static_cast<uint8_t*>(out), g729sim::kPcmBytes))
        return -1;
    *outLength = static_cast<int>(g729sim::kPcmBytes);
    return 0;
}
