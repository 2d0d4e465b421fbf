// Display arithmetic and picture packing for the player ports: rectangles, colour
// keys, brightness steps, the 4:2:2 surface packing, RGB rows and snapshot files.
// Portable; the Win32 display shell uses it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace dvr::strovid {

// The decoded picture size every port works at.
inline constexpr int kPictureWidth = 720;
inline constexpr int kPictureHeight = 576;
// Destinations are kept inside the screen area the library was made for.
inline constexpr int kScreenWidth = 1024;
inline constexpr int kScreenHeight = 768;

// Same layout as a Win32 RECT.
struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    bool operator==(const Rect&) const = default;
};
static_assert(sizeof(Rect) == 16);

// The source rectangle of a local zoom: the asked area cut at the picture's edge, or
// with zoom off the whole last picture (720 x 576 while its size is unknown).
Rect LocalZoomSource(bool zoom, int x, int y, int width, int height, int pictureWidth,
                     int pictureHeight);
// The source rectangle of one drawing: negative origins go to 0, a size that is not
// positive takes the picture's.
Rect DrawSource(int x, int y, int width, int height, int pictureWidth, int pictureHeight);
Rect ClipToScreen(const Rect& r);

// Brightness and contrast steps run 1..15; 8 leaves the picture unchanged.
int ClampStep(int step);

// The caller gives the overlay key as 0x00BBGGRR; the display pixel is 0x00RRGGBB.
uint32_t KeyPixel(uint32_t key);
// The key as the overlay hardware takes it: packed for a 565 display, else the pixel.
uint32_t OverlayKey(int rgbFormat, uint32_t pixel);

// Packs a planar 4:2:0 picture into 4:2:2 rows (YUY2: Y0 U Y1 V; UYVY: U Y0 V Y1),
// each pair of luma rows sharing one chroma row, rows `pitch` bytes apart.
void Pack422(const uint8_t* yuv, int width, int height, uint8_t* dst, size_t pitch, bool uyvy);

// Copies packed RGB rows of the decoder's format into a surface `pitch` bytes a row;
// 8888 widens each 3-byte pixel of a 24-bit picture with a zero top byte.
void CopyRgbRows(const uint8_t* rgb, int width, int height, int rgbFormat, uint8_t* dst,
                 size_t pitch);

// A whole 24-bit bitmap file of a planar 4:2:0 picture, bottom row first; empty when
// the picture is empty or larger than 720 x 576.
std::vector<uint8_t> MakeBmpFile(const uint8_t* yuv, int width, int height);

} // namespace dvr::strovid
