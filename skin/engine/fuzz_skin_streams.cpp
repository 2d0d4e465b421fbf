// Skin streams from arbitrary bytes: an image record, then colour and font tables. Any
// input may be refused with the framework's errors; none may crash or over-allocate.
#include "framework/exceptions.h"
#include "framework/stream.h"
#include "skin/engine/te_bitmap.h"
#include "skin/engine/theme_colors.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace dvr;
    fw::TMemoryStream s(data, size);
    try {
        skin::TteBitmap b;
        b.LoadFromStream(s);
    } catch (const fw::Exception&) {
    }
    s.SetPosition(0);
    try {
        skin::TteThemeColors c;
        c.LoadFromStream(s);
    } catch (const fw::Exception&) {
    }
    s.SetPosition(0);
    try {
        skin::TteThemeFonts f;
        f.LoadFromStream(s);
    } catch (const fw::Exception&) {
    }
    return 0;
}
