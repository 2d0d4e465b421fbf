// What the simulated encoder shows: motion grids, grabbed pictures and live
// preview pictures, each recognisable per sub-channel.
#pragma once

#include <cstdint>
#include <vector>

namespace sim {

struct PictureSize {
    int width;
    int height;
};
// By processor type and video standard (2 = PAL).
PictureSize PictureSizeFor(int processorType, int videoStandard);

// MotionRecord: 16-byte header (sequence, blocks per row, rows, 0), then one
// u16 activity value per 16x16 block. `raised` holds extra activity per block
// (may be shorter than the grid).
std::vector<uint8_t> MakeMotionRecord(PictureSize size, uint32_t sequence,
                                      const std::vector<uint16_t>& raised);

// A grabbed picture: planar YUV 4:2:0 of the given size, tinted per sub-channel.
std::vector<uint8_t> MakeGrabPicture(PictureSize size, int subChannel, uint32_t counter);

// Pixel formats the host asks for in the preview command.
constexpr uint32_t kPreviewUyvy = 64;
constexpr uint32_t kPreviewRgb565 = 16;

// Colour of a sub-channel's preview as 0xRRGGBB.
uint32_t PreviewColour(int subChannel);

// Paints one preview picture: the sub-channel's colour, with the counter's
// low 32 bits as a row of white (1) and black (0) cells along the top, bit 0
// leftmost, each cell width / 32 pixels wide (at least 1) and up to 8 lines
// high. false for a format other than the two above.
bool PaintPreview(uint8_t* first, uint32_t pitch, uint32_t format, int width, int height,
                  int subChannel, uint32_t counter);

} // namespace sim
