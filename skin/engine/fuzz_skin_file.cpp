// Skin files from arbitrary bytes through every filter: any input may be refused with the
// framework's errors; none may crash, hang or over-allocate.
#include "framework/exceptions.h"
#include "framework/stream.h"
#include "skin/engine/theme_se3source.h"

#include <cstddef>
#include <cstdint>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace dvr;
    for (const skin::TSeSkinFilterClass* c : skin::SkinFilters()) {
        fw::TMemoryStream s(data, size);
        skin::TSeSkinSource src;
        std::unique_ptr<skin::TSeSkinFilter> f(c->Create());
        f->Source = &src;
        try {
            f->LoadFromStream(s);
        } catch (const fw::Exception&) {
        }
        // Whatever was read must copy, lay out and draw.
        skin::TSeSkinSource copy;
        copy.Assign(&src);
        copy.SetHue(30);
        skin::TteBitmap target;
        target.SetSize(64, 48);
        skin::TSeBitmapCanvas canvas(target);
        for (int i = 0; i < copy.Count(); ++i) {
            skin::TSeSkinObject* o = copy.SkinObjects(i);
            o->SetBoundsRect(fw::TRect{0, 0, 64, 48});
            o->Draw(canvas, skin::NullRect);
            o->GetTreeRegion();
        }
    }
    return 0;
}
