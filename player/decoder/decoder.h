// The decoder calls: up to 16 instances, each addressed by a handle (1000 + slot), each
// turning one compressed video record at a time into a planar YUV 4:2:0 picture.
// Portable; the player library exports these calls unchanged.
#pragma once

#include <cstdint>

namespace dvr::decoder {

constexpr int kInstanceCount = 16;
constexpr int kFirstHandle = 1000;

// Creates an instance for pictures up to width x height; returns its handle or 0. On
// success *input receives the input buffer (width * height * 3 / 2 bytes) and *rgb the
// RGB buffer (width * height * 3 bytes).
int InitDecoder(uint8_t** input, uint8_t** rgb, int width, int height);
int FreeDecoder(int handle);

// Decodes the record of `length` bytes in the input buffer. 1 on success, 0 when the
// record was damaged or cannot be decoded.
int DecoderOneFrame(int handle, int length);

// The next picture in display order (Y, then Cb, then Cr, rows contiguous); null for an
// unknown handle.
uint8_t* GetYUV(int handle);
int GetWH(int handle, int* width, int* height);
// The output picture into the RGB buffer in RgbOutputFormat, honouring the flip setting.
int TransYUVtoRGB(int handle);

int SetVideoFormat(int format);
int SetPostProcess(int handle, int value);
int SetFlip(int handle, int value);
int SetBright(int handle, int step);
int SetContrast(int handle, int step);
// B pictures packed after the P picture of the next record (0, 1 or 2).
int SetBFrameType(int handle, int count);
// How many of those B pictures to leave out.
int GetThrowBNum(int handle, int count);
int TestIfNeedMMX();

// Library-wide: the RGB layout (555, 565, 888 or 8888) and the SIMD level (0 plain,
// 1 MMX, 2 SSE2) chosen once from the processor.
extern int RgbOutputFormat;
extern int SimdLevel;

} // namespace dvr::decoder
