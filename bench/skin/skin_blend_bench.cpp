// Speed of the skin engine's pixel work, in megapixels per second: the blend row in its
// plain and packed forms, key-colour and copy rows, and scaled drawing between bitmaps.
// Run from a Release tree without sanitizers.
#include "skin/engine/te_bitmap.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace dvr::skin;

// Runs fn until at least 0.3 s have passed; pixels per second.
double Rate(double pixels, const std::function<void()>& fn) {
    size_t runs = 0;
    auto start = Clock::now();
    double secs = 0;
    do {
        fn();
        ++runs;
        secs = std::chrono::duration<double>(Clock::now() - start).count();
    } while (secs < 0.3);
    return pixels * double(runs) / secs;
}

} // namespace

int main() {
    constexpr int kW = 1024, kH = 768;
    std::vector<TteColor> src(size_t(kW) * kH), dst(src.size());
    uint32_t x = 1;
    for (auto& p : src) {
        x = x * 1664525 + 1013904223;
        p = x; // every alpha, so all three blend cases occur
    }
    double n = double(src.size());
    for (bool packed : {false, true}) {
        TPixelRoutineScope scope(packed);
        double r =
            Rate(n, [&] { PixelRoutines.BlendRow(src.data(), dst.data(), int(src.size())); });
        std::printf("BlendRow %-6s %8.1f Mpx/s\n", packed ? "packed" : "plain", r / 1e6);
    }
    double key =
        Rate(n, [&] { PixelRoutines.TransparentRow(src.data(), dst.data(), int(src.size())); });
    std::printf("TransparentRow  %8.1f Mpx/s\n", key / 1e6);
    double copy = Rate(n, [&] { PixelRoutines.CopyRow(src.data(), dst.data(), int(src.size())); });
    std::printf("CopyRow         %8.1f Mpx/s\n", copy / 1e6);

    TteBitmap from, to;
    from.SetSize(300, 200);
    to.SetSize(kW, kH);
    for (int y = 0; y < 200; ++y)
        for (int i = 0; i < 300; ++i)
            from.SetPixel(i, y, src[size_t(y) * 300 + size_t(i)]);
    for (bool alpha : {false, true}) {
        from.AlphaBlend = alpha;
        double r = Rate(double(kW) * kH, [&] {
            from.DrawToBitmap(&to, TRect{0, 0, kW, kH}, TRect{0, 0, 300, 200});
        });
        std::printf("scaled %-8s %8.1f Mpx/s\n", alpha ? "alpha" : "copy", r / 1e6);
    }
    return 0;
}
