// Evaluation of the board's activity grid against a channel's detection areas.
// Portable.
#pragma once

#include "sdk/dorsk/picture_geometry.h"

#include <cstdint>
#include <span>

namespace dvr::dorsk {

// Activity record from the board: a 16-byte header whose second word is the number of
// 16x16 blocks per row, then one u16 per block, row after row.
constexpr uint32_t kMotionHeaderSize = 16;
constexpr int32_t kMotionBlockSize = 16;
constexpr int32_t kMaxBlocksPerRow = kLargestPicture.width / kMotionBlockSize;

// Activity a block must exceed to count as motion.
constexpr int32_t MotionThreshold(int32_t sensitivity) {
    return sensitivity == 100 ? 256 : sensitivity + 20;
}

// Writes 1 or 0 per area: 1 when some block wholly inside the area is above the
// threshold. False (nothing written) when the record's row width cannot be a
// picture's, so that no block index can reach outside the largest grid.
bool AnalyzeMotion(const uint8_t* record, std::span<const MotionArea> areas, int32_t sensitivity,
                   int32_t* results);

} // namespace dvr::dorsk
