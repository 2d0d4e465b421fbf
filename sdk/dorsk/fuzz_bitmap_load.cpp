// Feeds arbitrary files to the bitmap loader: besides memory errors, a loaded picture
// must fill exactly the planes of the size it reports, and every refusal must leave the
// caller's buffer alone.
#include "sdk/dorsk/picture_convert.h"

#include <cstdlib>
#include <cstring>
#include <vector>

using namespace dvr::dorsk;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The buffer size comes from the first two bytes, the file from the rest, so both
    // small and large buffers meet every header.
    if (size < 2) return 0;
    const size_t out_size = (size_t(data[0]) << 8 | data[1]) * 64;
    std::span<const uint8_t> file(data + 2, size - 2);
    constexpr uint8_t kUntouched = 0xA5;
    std::vector<uint8_t> out(out_size + 64, kUntouched);
    PictureSize padded{};
    BitmapLoad result = BitmapFileToYuv(file, out.data(), out_size, padded);
    size_t touched = 0;
    if (result == BitmapLoad::Ok) {
        touched = 2 * size_t(padded.width) * size_t(padded.height);
        if (padded.width % 16 != 0 || padded.height % 2 != 0 || touched > out_size) std::abort();
    }
    for (size_t i = touched; i < out.size(); ++i)
        if (out[i] != kUntouched) std::abort();
    return 0;
}
