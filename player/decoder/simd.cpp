#include "player/decoder/simd.h"

#include <algorithm>

#include "player/decoder/decoder.h"
#include "player/decoder/idct.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace dvr::decoder {
namespace {

// CPUID function 1, EDX.
unsigned CpuidFeatures() {
#if defined(__x86_64__) || defined(__i386__)
    unsigned a, b, c, d;
    if (__get_cpuid(1, &a, &b, &c, &d)) return d;
#endif
    return 0;
}

} // namespace

int DetectSimdLevel() {
    unsigned edx = CpuidFeatures();
    if ((edx & (1u << 26)) && HaveAp922()) return 2;
    if (edx & (1u << 23)) return 1;
    return 0;
}

int OverrideSimdLevel(int level) {
    SimdLevel = std::clamp(level, 0, DetectSimdLevel());
    return SimdLevel;
}

int TestIfNeedMMX() {
    return (CpuidFeatures() & (1u << 23)) ? 1 : 0;
}

} // namespace dvr::decoder
