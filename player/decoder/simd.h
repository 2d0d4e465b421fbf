// What the processor offers, and the override that lets tests run every level.
#pragma once

namespace dvr::decoder {

// 2 with SSE2, else 1 with MMX, else 0.
int DetectSimdLevel();

// Sets SimdLevel to min(level, what the processor offers); returns the level in force.
int OverrideSimdLevel(int level);

} // namespace dvr::decoder
