#include "sim/brevix32/preview_picture.h"

#include "player/decoder/decoder.h"
#include "sim/brevix32/board_pictures.h"

#include <algorithm>
#include <cstring>

namespace sim {
namespace {

constexpr int kMaxWidth = 720, kMaxHeight = 576;

uint16_t Rgb565(int y, int u, int v) {
    const int c = y - 16, d = u - 128, e = v - 128;
    auto clip = [](int x) { return std::clamp(x, 0, 255); };
    const int r = clip((298 * c + 409 * e + 128) >> 8);
    const int g = clip((298 * c - 100 * d - 208 * e + 128) >> 8);
    const int b = clip((298 * c + 516 * d + 128) >> 8);
    return uint16_t((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3));
}

// An MPEG-4 video object layer start code (00 00 01 20 to 2F).
bool HasLayerHeader(const uint8_t* p, size_t n) {
    for (size_t i = 0; i + 3 < n; ++i)
        if (p[i] == 0 && p[i + 1] == 0 && p[i + 2] == 1 && (p[i + 3] & 0xF0) == 0x20) return true;
    return false;
}

} // namespace

PreviewPicture::PreviewPicture() {
    handle_ = dvr::decoder::InitDecoder(&input_, &rgb_, kMaxWidth, kMaxHeight);
}

PreviewPicture::~PreviewPicture() {
    if (handle_) dvr::decoder::FreeDecoder(handle_);
}

bool PreviewPicture::Feed(const ScriptRecord& r) {
    const int pictures = PicturesOf(r.type);
    if (!handle_ || !pictures || r.bytes.size() <= kFrameHeadSize) return false;
    const size_t length = r.bytes.size() - kFrameHeadSize;
    // Decoding starts at a picture that carries the stream's layer header; a stream without
    // one (the synthetic source's) gives no picture at all.
    if (!have_ && !HasLayerHeader(r.bytes.data() + kFrameHeadSize, length)) return false;
    if (length > size_t(kMaxWidth) * kMaxHeight * 3 / 2) return false;
    std::memcpy(input_, r.bytes.data() + kFrameHeadSize, length);
    const int packed = pictures - 1; // B pictures after the P picture
    dvr::decoder::SetBFrameType(handle_, packed);
    if (!dvr::decoder::DecoderOneFrame(handle_, int(length))) return false;
    int w = 0, h = 0;
    dvr::decoder::GetWH(handle_, &w, &h);
    if (w <= 0 || h <= 0 || !dvr::decoder::GetYUV(handle_)) return false;
    width_ = w;
    height_ = h;
    have_ = true;
    return true;
}

const uint8_t* PreviewPicture::Yuv() const {
    return have_ ? dvr::decoder::GetYUV(handle_) : nullptr;
}

bool PreviewPicture::Paint(uint8_t* first, uint32_t pitch, uint32_t format, int width,
                           int height) const {
    const uint8_t* yuv = Yuv();
    if (!yuv || (format != kPreviewUyvy && format != kPreviewRgb565)) return false;
    const uint8_t* cb = yuv + size_t(width_) * size_t(height_);
    const uint8_t* cr = cb + size_t(width_ / 2) * size_t(height_ / 2);
    for (int y = 0; y < height; ++y) {
        const int sy = int(int64_t(y) * height_ / height);
        const uint8_t* luma = yuv + size_t(sy) * size_t(width_);
        const uint8_t* u = cb + size_t(sy / 2) * size_t(width_ / 2);
        const uint8_t* v = cr + size_t(sy / 2) * size_t(width_ / 2);
        uint8_t* row = first + size_t(y) * pitch;
        if (format == kPreviewRgb565) {
            for (int x = 0; x < width; ++x) {
                const int sx = int(int64_t(x) * width_ / width);
                const uint16_t p = Rgb565(luma[sx], u[sx / 2], v[sx / 2]);
                std::memcpy(row + 2 * x, &p, 2);
            }
        } else {
            for (int x = 0; x + 1 < width; x += 2) {
                const int sa = int(int64_t(x) * width_ / width);
                const int sb = int(int64_t(x + 1) * width_ / width);
                uint8_t* p = row + 2 * x;
                p[0] = u[sa / 2];
                p[1] = luma[sa];
                p[2] = v[sa / 2];
                p[3] = luma[sb];
            }
        }
    }
    return true;
}

} // namespace sim
