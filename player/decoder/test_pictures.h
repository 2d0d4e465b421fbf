// Textured frame stores and a straightforward model of motion-compensated prediction,
// for the tests of P and B pictures.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "player/decoder/decoder.h"
#include "player/decoder/instance.h"
#include "player/decoder/simd.h"
#include "player/decoder/test_bitstream.h"

namespace dvr::decoder::testing {

// One instance for the length of a test.
class TestInstance {
public:
    TestInstance(int width, int height) { handle_ = InitDecoder(&input_, &rgb_, width, height); }
    ~TestInstance() {
        if (handle_) FreeDecoder(handle_);
    }
    int handle() const { return handle_; }
    DecoderInstance& state() { return *InstanceOf(handle_); }
    int Decode(const std::vector<uint8_t>& record, int packed_b = 0) {
        if (!record.empty()) std::memcpy(input_, record.data(), record.size());
        SetBFrameType(handle_, packed_b);
        return DecoderOneFrame(handle_, static_cast<int>(record.size()));
    }
    std::vector<uint8_t> Picture() {
        int w, h;
        GetWH(handle_, &w, &h);
        const uint8_t* p = GetYUV(handle_);
        return std::vector<uint8_t>(p, p + w * h * 3 / 2);
    }

private:
    int handle_ = 0;
    uint8_t* input_ = nullptr;
    uint8_t* rgb_ = nullptr;
};

// Keeps SimdLevel as it was.
class SimdScope {
public:
    explicit SimdScope(int level) : saved_(SimdLevel) { OverrideSimdLevel(level); }
    ~SimdScope() { SimdLevel = saved_; }

private:
    int saved_;
};

// A picture given by a pixel function per plane (0 Y, 1 Cb, 2 Cr).
using Texture = std::function<uint8_t(int plane, int x, int y)>;

inline uint8_t Busy(int plane, int x, int y) {
    return static_cast<uint8_t>((x * 37 + y * 91 + x * y * 7 + plane * 50) % 251);
}
inline uint8_t Other(int plane, int x, int y) {
    return static_cast<uint8_t>((x * 13 + y * y * 5 + plane * 77 + 3) % 241);
}

// The texture at (x, y) of a picture of w x h: positions outside take the edge pixel,
// as the borders of a store and the vectors beyond them do.
inline int Sample(const Texture& t, int plane, int w, int h, int x, int y) {
    return t(plane, std::clamp(x, 0, w - 1), std::clamp(y, 0, h - 1));
}

// Fills a store of the instance with the texture, borders included.
inline void Paint(DecoderInstance& d, FrameStore& s, const Texture& t) {
    if (d.current_source == &s) MaterialiseCurrent(d);
    const int w = d.hdr.width, h = d.hdr.height;
    for (int p = 0; p < 3; ++p) {
        const int border = p ? kChromaBorder : kLumaBorder;
        const int stride = p ? d.chroma_stride : d.luma_stride;
        const int pw = p ? w / 2 : w, ph = p ? h / 2 : h;
        uint8_t* first = p == 0 ? s.y : p == 1 ? s.cb : s.cr;
        for (int y = -border; y < ph + border; ++y)
            for (int x = -border; x < pw + border; ++x)
                first[y * stride + x] = static_cast<uint8_t>(Sample(t, p, pw, ph, x, y));
    }
}

// The half-pel prediction of one pixel at (x, y) moved by the vector (vx, vy).
inline int Interpolate(const Texture& t, int plane, int w, int h, int x, int y, int vx, int vy,
                       int rounding) {
    const int sx = x + (vx >> 1), sy = y + (vy >> 1);
    const int a = Sample(t, plane, w, h, sx, sy), b = Sample(t, plane, w, h, sx + 1, sy),
              c = Sample(t, plane, w, h, sx, sy + 1), d = Sample(t, plane, w, h, sx + 1, sy + 1);
    switch ((vx & 1) | (vy & 1) << 1) {
    case 0:
        return a;
    case 1:
        return (a + b + 1 - rounding) >> 1;
    case 2:
        return (a + c + 1 - rounding) >> 1;
    default:
        return (a + b + c + d + 2 - rounding) >> 2;
    }
}

// Motion vector codes of small differences.
inline std::string MotionCode(int v) {
    switch (v) {
    case 0:
        return "1";
    case 1:
        return "010";
    case -1:
        return "011";
    case 2:
        return "0010";
    case -2:
        return "0011";
    case 3:
        return "00010";
    case -3:
        return "00011";
    case 4:
        return "0000110";
    case -4:
        return "0000111";
    case 31:
        return "0000000000110";
    case -31:
        return "0000000000111";
    case 32:
        return "0000000000100";
    }
    ADD_FAILURE() << "no code for " << v;
    return "";
}

inline VolFields Vol(int width, int height, int quant_type = 0) {
    VolFields f;
    f.width = width;
    f.height = height;
    f.quant_type = quant_type;
    return f;
}

// VOL and an I-VOP of flat macroblocks: a picture to replace with a texture.
inline std::vector<uint8_t> IntraRecord(int width, int height, int quant_type = 0) {
    BitWriter w;
    PutVol(w, Vol(width, height, quant_type));
    w.Stuff();
    PutVop(w, VopFields{});
    for (int i = 0; i < (width / 16) * (height / 16); ++i)
        testing::PutFlatIntraMacroblock(w);
    w.Stuff();
    return w.Data();
}

inline VopFields PVop(int rounding = 0, int fcode = 1, int quant = 4) {
    VopFields v;
    v.type = 1;
    v.rounding = rounding;
    v.fcode_forward = fcode;
    v.quant = quant;
    return v;
}

// Inter macroblocks without coefficients.
inline void Inter(BitWriter& w, int dx, int dy) {
    w.Code("0").Code("1").Code("11").Code(MotionCode(dx).c_str()).Code(MotionCode(dy).c_str());
}
inline void Inter4v(BitWriter& w, const int (&d)[4][2]) {
    w.Code("0").Code("010").Code("11");
    for (const auto& v : d)
        w.Code(MotionCode(v[0]).c_str()).Code(MotionCode(v[1]).c_str());
}
inline void Skipped(BitWriter& w) {
    w.Code("1");
}

// A YUV picture (the output layout) of w x h.
struct Yuv {
    int w, h;
    std::vector<uint8_t> data;
    Yuv(int width, int height) : w(width), h(height), data(size_t(width) * height * 3 / 2) {}
    uint8_t& At(int plane, int x, int y) {
        const size_t luma = size_t(w) * h;
        if (plane == 0) return data[size_t(y) * w + x];
        return data[luma + (plane == 2 ? luma / 4 : 0) + size_t(y) * (w / 2) + x];
    }
};

} // namespace dvr::decoder::testing
