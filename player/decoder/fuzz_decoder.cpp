// Fuzz target: one instance fed arbitrary records, packed or not, with B pictures dropped
// or not, post-processed and adjusted or not; then every picture the record claims is
// fetched and converted.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "player/decoder/decoder.h"

using namespace dvr::decoder;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static uint8_t* input;
    static uint8_t* rgb;
    static const int handle = InitDecoder(&input, &rgb, 128, 96);
    if (!handle || size < 2) return 0;
    const int packed = data[0] & 3, drop = (data[0] >> 2) & 3;
    SetPostProcess(handle, (data[0] >> 4) & 1);
    SetFlip(handle, (data[0] >> 5) & 1);
    static const int kFormats[] = {555, 565, 888, 8888};
    SetVideoFormat(kFormats[data[0] >> 6]);
    SetBright(handle, 1 + data[1] % 17);
    SetContrast(handle, 1 + (data[1] >> 4) % 17);
    data += 2;
    size -= 2;
    const size_t room = 128 * 96 * 3 / 2;
    if (size > room) size = room;
    std::memcpy(input, data, size);
    SetBFrameType(handle, packed);
    GetThrowBNum(handle, drop);
    if (DecoderOneFrame(handle, static_cast<int>(size)))
        for (int i = 0; i < 3; ++i) {
            GetYUV(handle);
            TransYUVtoRGB(handle);
        }
    return 0;
}
