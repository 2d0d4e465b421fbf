#include "sdk/dorsk/motion_analysis.h"

#include <algorithm>
#include <cstring>

namespace dvr::dorsk {

void ClampToPicture(MotionArea& area, PictureSize picture) {
    area.left = std::max(area.left, 0);
    area.top = std::max(area.top, 0);
    area.right = std::min(area.right, picture.width);
    area.bottom = std::min(area.bottom, picture.height);
}

bool AnalyzeMotion(const uint8_t* record, std::span<const MotionArea> areas, int32_t sensitivity,
                   int32_t* results) {
    int32_t per_row = 0;
    std::memcpy(&per_row, record + 4, sizeof per_row);
    if (per_row < 1 || per_row > kMaxBlocksPerRow) return false;
    const int32_t threshold = MotionThreshold(sensitivity);
    const uint8_t* grid = record + kMotionHeaderSize;
    for (size_t i = 0; i < areas.size(); ++i) {
        const MotionArea& a = areas[i];
        int32_t found = 0;
        for (int32_t r = a.top / kMotionBlockSize; !found && r < a.bottom / kMotionBlockSize; ++r) {
            for (int32_t c = a.left / kMotionBlockSize; c < a.right / kMotionBlockSize; ++c) {
                uint16_t v = 0;
                std::memcpy(&v, grid + (size_t(r) * size_t(per_row) + size_t(c)) * 2, sizeof v);
                if (v > threshold) {
                    found = 1;
                    break;
                }
            }
        }
        results[i] = found;
    }
    return true;
}

} // namespace dvr::dorsk
