#include "player/format/stream_format.h"

#include <cstring>

namespace dvr {

uint8_t AudioBlockCode(const uint8_t* block, int i) {
    int bit = i * 3;
    unsigned v = block[bit / 8];
    if (bit / 8 + 1 < kAudioBlockBytes) v |= unsigned(block[bit / 8 + 1]) << 8;
    return static_cast<uint8_t>((v >> (bit % 8)) & 7);
}

void PackAudioBlock(const uint8_t* codes, uint8_t* block) {
    uint32_t acc = 0;
    int count = 0, out = 0;
    for (size_t i = 0; i < kAudioBlockSamples; ++i) {
        acc |= uint32_t(codes[i] & 7) << count;
        count += 3;
        if (count >= 8) {
            block[out++] = static_cast<uint8_t>(acc);
            acc >>= 8;
            count -= 8;
        }
    }
}

int PicturesInRecord(uint8_t type) {
    switch (type) {
    case kFrameKey:
    case kFrameP:
        return 1;
    case kFramePB:
        return 2;
    case kFramePBB:
        return 3;
    default:
        return 0;
    }
}

HeaderFlagsInfo DecodeHeaderFlags(uint16_t flags) {
    switch (flags & kHeaderFlagsMask) {
    case 0x0000:
        return {true, false, 0};
    case 0x0001:
        return {true, true, 0};
    case 0x4000:
        return {true, false, 1};
    case 0x6003:
        return {true, true, 0};
    case 0x8000:
        return {true, false, 0};
    case 0xC000:
        return {true, false, 1};
    case 0xE003:
        return {true, true, 2};
    default:
        return {false, false, 0};
    }
}

bool ParseStreamHeader(const uint8_t* head, size_t length, StreamHeaderFields* out) {
    // Shorter headers would leave the size fields outside the caller's bytes.
    if (!head || length < static_cast<size_t>(kFileHeadLength)) return false;
    if (std::memcmp(head, kFileHeadMagic, 4) != 0) return false;
    FileHead h;
    std::memcpy(&h, head, sizeof h);
    StreamHeaderFields f;
    std::memcpy(&f.magic, head, 4);
    f.word4 = h.word4;
    f.flags = h.flags;
    f.word11 = h.word11;
    f.height = h.height;
    f.width = h.width;
    f.headerLength = length > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(length);
    f.noSound = DecodeHeaderFlags(h.flags).sound ? 0 : 1;
    *out = f;
    return true;
}

bool PictureSize(const StreamHeaderFields& head, int* height, int* width) {
    if (head.height > 1000) {
        *height = 576;
        *width = 720;
        return false;
    }
    *height = head.height;
    *width = head.width;
    return true;
}

} // namespace dvr
