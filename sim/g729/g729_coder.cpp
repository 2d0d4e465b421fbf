#include "sim/g729/g729_coder.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace g729sim {
namespace {

// The frame: step index (1 byte), first reduced sample (int16 little-endian), then 4-bit
// adaptive differential codes of the reduced samples, two per byte, low nibble first.
constexpr int kSamples = 480;
constexpr int kHeader = 3;
constexpr int kReduced = static_cast<int>(kCodeBytes - kHeader) * 2; // 114 points

constexpr int kSteps[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,   21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,   73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,  253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,  876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749, 3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493, 10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};
constexpr int kIndexShift[8] = {-1, -1, -1, -1, 2, 4, 6, 8};

struct State {
    int predicted;
    int index;
};

int Clamp16(int v) {
    return std::clamp(v, -32768, 32767);
}

int Reconstruct(State& s, int code) {
    const int step = kSteps[s.index];
    int diff = step >> 3;
    if (code & 4) diff += step;
    if (code & 2) diff += step >> 1;
    if (code & 1) diff += step >> 2;
    s.predicted = Clamp16((code & 8) ? s.predicted - diff : s.predicted + diff);
    s.index = std::clamp(s.index + kIndexShift[code & 7], 0, 88);
    return s.predicted;
}

int Quantise(const State& s, int sample) {
    const int step = kSteps[s.index];
    int diff = sample - s.predicted;
    int code = 0;
    if (diff < 0) {
        code = 8;
        diff = -diff;
    }
    if (diff >= step) {
        code |= 4;
        diff -= step;
    }
    if (diff >= step >> 1) {
        code |= 2;
        diff -= step >> 1;
    }
    if (diff >= step >> 2) code |= 1;
    return code;
}

// Position of reduced point i on the 0..479 sample axis.
double PointPosition(int i) {
    return i * (kSamples - 1) / double(kReduced - 1);
}

} // namespace

bool EncodeFrame(const uint8_t* pcm, size_t pcmBytes, uint8_t* code, size_t codeCapacity) {
    if (!pcm || !code || pcmBytes != kPcmBytes || codeCapacity < kCodeBytes) return false;
    int16_t samples[kSamples];
    std::memcpy(samples, pcm, kPcmBytes);
    // Average a window around each point: the reduction drops what it cannot carry.
    const double half = (kSamples - 1) / double(kReduced - 1) / 2;
    int reduced[kReduced];
    for (int i = 0; i < kReduced; ++i) {
        const double centre = PointPosition(i);
        const int lo = std::max(0, static_cast<int>(std::ceil(centre - half)));
        const int hi = std::min(kSamples - 1, static_cast<int>(std::floor(centre + half)));
        long sum = 0;
        for (int k = lo; k <= hi; ++k)
            sum += samples[k];
        reduced[i] = static_cast<int>(sum / (hi - lo + 1));
    }
    // Start with a step near the frame's first difference so the frame settles at once.
    int index = 0;
    const int firstDiff = std::abs(reduced[1] - reduced[0]);
    while (index < 88 && kSteps[index] < firstDiff)
        ++index;
    State s{reduced[0], index};
    code[0] = static_cast<uint8_t>(index);
    const uint16_t first = static_cast<uint16_t>(static_cast<int16_t>(reduced[0]));
    code[1] = static_cast<uint8_t>(first & 0xFF);
    code[2] = static_cast<uint8_t>(first >> 8);
    std::memset(code + kHeader, 0, kCodeBytes - kHeader);
    for (int i = 0; i < kReduced; ++i) {
        const int c = Quantise(s, reduced[i]);
        Reconstruct(s, c);
        code[kHeader + i / 2] |= static_cast<uint8_t>((i & 1) ? c << 4 : c);
    }
    return true;
}

bool DecodeFrame(const uint8_t* code, size_t codeBytes, uint8_t* pcm, size_t pcmCapacity) {
    if (!pcm || !code || codeBytes < kCodeBytes || pcmCapacity < kPcmBytes) return false;
    State s{static_cast<int16_t>(code[1] | (code[2] << 8)), std::min<int>(code[0], 88)};
    int reduced[kReduced];
    for (int i = 0; i < kReduced; ++i) {
        const uint8_t b = code[kHeader + i / 2];
        reduced[i] = Reconstruct(s, (i & 1) ? b >> 4 : b & 0x0F);
    }
    int16_t samples[kSamples];
    for (int k = 0; k < kSamples; ++k) {
        const double pos = k * (kReduced - 1) / double(kSamples - 1);
        const int i = std::min(static_cast<int>(pos), kReduced - 2);
        const double f = pos - i;
        samples[k] = static_cast<int16_t>(
            Clamp16(static_cast<int>(std::lround(reduced[i] * (1 - f) + reduced[i + 1] * f))));
    }
    std::memcpy(pcm, samples, kPcmBytes);
    return true;
}

} // namespace g729sim
