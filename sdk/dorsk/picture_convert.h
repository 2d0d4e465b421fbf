// Grabbed pictures and 24-bit bitmap files: picture size by byte count, planar YUV
// 4:2:0 to a bitmap file image and a bitmap file image to planar YUV 4:2:2. Portable.
#pragma once

#include "sdk/dorsk/picture_geometry.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace dvr::dorsk {

// A grabbed picture's size from its byte count (two bytes per pixel); 352 x 288 for any
// count not in the table.
PictureSize GrabPictureSize(uint32_t bytes);

#pragma pack(push, 1)
struct BitmapFileHeader {
    char magic[2];
    uint32_t fileSize;
    uint16_t reserved1, reserved2;
    uint32_t dataOffset;
};
struct BitmapInfoHeader {
    uint32_t size;
    int32_t width, height;
    uint16_t planes, bitsPerPixel;
    uint32_t compression, imageSize;
    int32_t xPixelsPerMetre, yPixelsPerMetre;
    uint32_t coloursUsed, coloursImportant;
};
#pragma pack(pop)
static_assert(sizeof(BitmapFileHeader) == 14);
static_assert(offsetof(BitmapFileHeader, dataOffset) == 10);
static_assert(sizeof(BitmapInfoHeader) == 40);
static_assert(offsetof(BitmapInfoHeader, bitsPerPixel) == 14);
static_assert(offsetof(BitmapInfoHeader, xPixelsPerMetre) == 24);
constexpr uint32_t kBitmapHeadersSize = sizeof(BitmapFileHeader) + sizeof(BitmapInfoHeader);

// Bytes of one bitmap row of 24-bit pixels, padded to 4.
constexpr size_t BitmapRowBytes(int32_t width) {
    return (size_t(width) * 3 + 3) & ~size_t{3};
}

// Largest side the conversions take; keeps every size computation in range.
constexpr int32_t kMaxPictureSide = 16384;

// The whole file image of a bottom-up 24-bit bitmap for planar YUV 4:2:0 (Y plane, then
// U and V of width/2 x height/2). Width and height must be 1 ... kMaxPictureSide.
// Odd last columns and rows take the chroma of their neighbours.
std::vector<uint8_t> YuvToBitmapFile(const uint8_t* yuv, int32_t width, int32_t height);

enum class BitmapLoad { Ok, ReadFailed, NotBitmap24, BufferTooSmall };

// The size a bitmap loads at: each odd side one more, then the width up to a multiple
// of 16.
PictureSize PaddedBitmapSize(int32_t width, int32_t height);

// Reads a 24-bit bitmap file image into planar YUV 4:2:2 (Y plane, then U and V of
// width/2 x height, top row first) at the padded size, which is reported whether or
// not the buffer holds it.
BitmapLoad BitmapFileToYuv(std::span<const uint8_t> file, uint8_t* out, size_t out_size,
                           PictureSize& padded);

} // namespace dvr::dorsk
