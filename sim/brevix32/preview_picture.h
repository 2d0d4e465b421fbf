// The live picture a simulated sub-channel shows in its preview rectangle: the pictures of
// the stream it encodes, decoded as they come due.
#pragma once

#include "sim/brevix32/board_script.h"

#include <cstdint>

namespace sim {

class PreviewPicture {
public:
    PreviewPicture();
    ~PreviewPicture();
    PreviewPicture(const PreviewPicture&) = delete;
    PreviewPicture& operator=(const PreviewPicture&) = delete;

    // Decodes a video record (FrameHead and MPEG-4 data); false when it gave no picture
    // (no decoder left, a damaged or foreign record).
    bool Feed(const ScriptRecord& record);
    bool HasPicture() const { return have_; }
    // The last picture, planar YUV 4:2:0.
    const uint8_t* Yuv() const;
    int Width() const { return width_; }
    int Height() const { return height_; }
    // Paints the last picture scaled into the rectangle (nearest pixel) in one of the preview
    // formats; false without a picture or for another format.
    bool Paint(uint8_t* first, uint32_t pitch, uint32_t format, int width, int height) const;

private:
    int handle_ = 0;
    uint8_t* input_ = nullptr;
    uint8_t* rgb_ = nullptr;
    bool have_ = false;
    int width_ = 0, height_ = 0;
};

} // namespace sim
