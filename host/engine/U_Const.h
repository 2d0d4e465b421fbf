// Encoder values of each recording quality level.
#pragma once

#include <cstdint>

namespace vantrel {

// One quality level: quantisers, key-frame interval and a frame rate the encoder never takes.
struct QualityRow {
    int32_t QuantI, QuantB, QuantP, KeyFrameInterval, FrameRate;
};

constexpr int kQualityLevels = 6;      // normal, 4CIF and DCIF modes
constexpr int kUltraQualityLevels = 4; // ultra-high quality mode

extern const QualityRow QualityTable[kQualityLevels];
extern const QualityRow UltraQualityTable[kUltraQualityLevels];

} // namespace vantrel
