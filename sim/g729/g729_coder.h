// The speech coder behind the G729Dll stand-in: a small lossy coder of our own at 8 kbit/s
// (960 bytes of 8 kHz 16-bit mono PCM in 60 bytes). Every frame decodes on its own, so a lost
// or reordered datagram spoils only its own 60 ms.
#pragma once

#include <cstddef>
#include <cstdint>

namespace g729sim {

constexpr size_t kPcmBytes = 960; // 480 samples, 60 ms
constexpr size_t kCodeBytes = 60;

// Encodes one frame; false when the sizes are not 960 and at least 60.
bool EncodeFrame(const uint8_t* pcm, size_t pcmBytes, uint8_t* code, size_t codeCapacity);
// Decodes one frame; false when the sizes are not at least 60 and 960.
bool DecodeFrame(const uint8_t* code, size_t codeBytes, uint8_t* pcm, size_t pcmCapacity);

} // namespace g729sim
