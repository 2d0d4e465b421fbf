// Fuzz target: one instance fed arbitrary records, packed or not, with B pictures dropped
// or not; then every picture the record claims is fetched.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "player/decoder/decoder.h"

using namespace dvr::decoder;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static uint8_t* input;
    static uint8_t* rgb;
    static const int handle = InitDecoder(&input, &rgb, 128, 96);
    if (!handle || size < 1) return 0;
    const int packed = data[0] & 3, drop = (data[0] >> 2) & 3;
    ++data;
    --size;
    const size_t room = 128 * 96 * 3 / 2;
    if (size > room) size = room;
    std::memcpy(input, data, size);
    SetBFrameType(handle, packed);
    GetThrowBNum(handle, drop);
    if (DecoderOneFrame(handle, static_cast<int>(size)))
        for (int i = 0; i < 3; ++i)
            GetYUV(handle);
    return 0;
}
