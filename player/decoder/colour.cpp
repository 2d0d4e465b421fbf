#include "player/decoder/colour.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "player/decoder/decoder.h"
#include "player/decoder/instance.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#include <tmmintrin.h>
#endif

namespace dvr::decoder {
namespace {

// Chroma factors over 2^20.
constexpr int kVtoR = 1441792; // 1.375
constexpr int kUtoG = 360448;  // 0.34375
constexpr int kVtoG = 737280;  // 0.703125
constexpr int kUtoB = 1818624; // 1.734375

inline uint8_t Clamp(int v) {
    return static_cast<uint8_t>(std::clamp(v, 0, 255));
}

struct Terms {
    int r, g, b;
};

inline Terms ChromaTerms(int cb, int cr) {
    const int u = cb - 128, v = cr - 128;
    return {(v * kVtoR) >> 20, -((u * kUtoG) >> 20) - ((v * kVtoG) >> 20), (u * kUtoB) >> 20};
}

inline void PutPixel(uint8_t* out, int x, int luma, Terms t, RgbLayout layout) {
    const int r = Clamp(luma + t.r), g = Clamp(luma + t.g), b = Clamp(luma + t.b);
    switch (layout) {
    case RgbLayout::k24:
        out[3 * x] = static_cast<uint8_t>(b);
        out[3 * x + 1] = static_cast<uint8_t>(g);
        out[3 * x + 2] = static_cast<uint8_t>(r);
        break;
    case RgbLayout::k565: {
        const unsigned w = (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3);
        out[2 * x] = static_cast<uint8_t>(w);
        out[2 * x + 1] = static_cast<uint8_t>(w >> 8);
        break;
    }
    case RgbLayout::k555: {
        const unsigned w = (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3);
        out[2 * x] = static_cast<uint8_t>(w);
        out[2 * x + 1] = static_cast<uint8_t>(w >> 8);
        break;
    }
    }
}

// Pixels [from, to) of the row pair whose chroma row is cb/cr.
void PairPlain(const uint8_t* y0, const uint8_t* y1, const uint8_t* cb, const uint8_t* cr,
               uint8_t* out0, uint8_t* out1, int from, int to, RgbLayout layout) {
    for (int x = from; x < to; x += 2) {
        const Terms t = ChromaTerms(cb[x / 2], cr[x / 2]);
        PutPixel(out0, x, y0[x], t, layout);
        PutPixel(out0, x + 1, y0[x + 1], t, layout);
        PutPixel(out1, x, y1[x], t, layout);
        PutPixel(out1, x + 1, y1[x + 1], t, layout);
    }
}

#if defined(__SSE2__)

// 16 pixels of one row from their luma and the doubled chroma terms.
inline void Put16(const uint8_t* luma, const __m128i term[3][2], uint8_t* out, RgbLayout layout) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i yv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(luma));
    const __m128i ylo = _mm_unpacklo_epi8(yv, zero), yhi = _mm_unpackhi_epi8(yv, zero);
    const __m128i r =
        _mm_packus_epi16(_mm_add_epi16(ylo, term[0][0]), _mm_add_epi16(yhi, term[0][1]));
    const __m128i g =
        _mm_packus_epi16(_mm_add_epi16(ylo, term[1][0]), _mm_add_epi16(yhi, term[1][1]));
    const __m128i b =
        _mm_packus_epi16(_mm_add_epi16(ylo, term[2][0]), _mm_add_epi16(yhi, term[2][1]));
    if (layout == RgbLayout::k24) {
        // B, G, R, 0 words joined in pairs of six bytes, each pair written as eight bytes
        // six apart: every store's last two bytes are overwritten by the next, and the
        // last pair writes its six alone, so nothing past the 16 pixels is touched.
        const __m128i bg_lo = _mm_unpacklo_epi8(b, g), bg_hi = _mm_unpackhi_epi8(b, g);
        const __m128i r_lo = _mm_unpacklo_epi8(r, zero), r_hi = _mm_unpackhi_epi8(r, zero);
        alignas(16) uint32_t px[16];
        _mm_store_si128(reinterpret_cast<__m128i*>(px), _mm_unpacklo_epi16(bg_lo, r_lo));
        _mm_store_si128(reinterpret_cast<__m128i*>(px + 4), _mm_unpackhi_epi16(bg_lo, r_lo));
        _mm_store_si128(reinterpret_cast<__m128i*>(px + 8), _mm_unpacklo_epi16(bg_hi, r_hi));
        _mm_store_si128(reinterpret_cast<__m128i*>(px + 12), _mm_unpackhi_epi16(bg_hi, r_hi));
        for (int i = 0; i < 14; i += 2) {
            const uint64_t pair = px[i] | uint64_t{px[i + 1]} << 24;
            std::memcpy(out + 3 * i, &pair, 8);
        }
        const uint64_t last = px[14] | uint64_t{px[15]} << 24;
        std::memcpy(out + 42, &last, 4);
        const uint16_t tail = static_cast<uint16_t>(last >> 32);
        std::memcpy(out + 46, &tail, 2);
        return;
    }
    const bool is565 = layout == RgbLayout::k565;
    const __m128i top5 = _mm_set1_epi8(static_cast<char>(0xF8));
    const __m128i gmask = is565 ? _mm_set1_epi8(static_cast<char>(0xFC)) : top5;
    const __m128i rm = _mm_and_si128(r, top5), gm = _mm_and_si128(g, gmask);
    const __m128i bm = _mm_srli_epi16(_mm_and_si128(b, top5), 3); // bytes hold b >> 3
    for (int half = 0; half < 2; ++half) {
        const __m128i r16 = half ? _mm_unpackhi_epi8(rm, zero) : _mm_unpacklo_epi8(rm, zero);
        const __m128i g16 = half ? _mm_unpackhi_epi8(gm, zero) : _mm_unpacklo_epi8(gm, zero);
        const __m128i b16 = half ? _mm_unpackhi_epi8(bm, zero) : _mm_unpacklo_epi8(bm, zero);
        const __m128i w =
            is565 ? _mm_or_si128(_mm_or_si128(_mm_slli_epi16(r16, 8), _mm_slli_epi16(g16, 3)), b16)
                  : _mm_or_si128(_mm_or_si128(_mm_slli_epi16(r16, 7), _mm_slli_epi16(g16, 2)), b16);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16 * half), w);
    }
}

// The red, green and blue offsets of eight chroma pairs.
inline void ChromaTerms8(const uint8_t* cb, const uint8_t* cr, __m128i* tr, __m128i* tg,
                         __m128i* tb) {
    const __m128i zero = _mm_setzero_si128(), bias = _mm_set1_epi16(128);
    const __m128i u = _mm_sub_epi16(
        _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(cb)), zero), bias);
    const __m128i v = _mm_sub_epi16(
        _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(cr)), zero), bias);
    // The factors over 2^20 reduce to 11/8, 11/32, 45/64 and 111/64: exact in 16 bits.
    *tr = _mm_srai_epi16(_mm_mullo_epi16(v, _mm_set1_epi16(11)), 3);
    *tg = _mm_sub_epi16(
        _mm_sub_epi16(zero, _mm_srai_epi16(_mm_mullo_epi16(u, _mm_set1_epi16(11)), 5)),
        _mm_srai_epi16(_mm_mullo_epi16(v, _mm_set1_epi16(45)), 6));
    *tb = _mm_srai_epi16(_mm_mullo_epi16(u, _mm_set1_epi16(111)), 6);
}

// Returns how many pixels of the pair it did (a multiple of 16).
int PairSse2(const uint8_t* y0, const uint8_t* y1, const uint8_t* cb, const uint8_t* cr,
             uint8_t* out0, uint8_t* out1, int width, RgbLayout layout) {
    const int bpp = layout == RgbLayout::k24 ? 3 : 2;
    int x = 0;
    for (; x + 16 <= width; x += 16) {
        __m128i tr, tg, tb;
        ChromaTerms8(cb + x / 2, cr + x / 2, &tr, &tg, &tb);
        const __m128i term[3][2] = {{_mm_unpacklo_epi16(tr, tr), _mm_unpackhi_epi16(tr, tr)},
                                    {_mm_unpacklo_epi16(tg, tg), _mm_unpackhi_epi16(tg, tg)},
                                    {_mm_unpacklo_epi16(tb, tb), _mm_unpackhi_epi16(tb, tb)}};
        Put16(y0 + x, term, out0 + x * bpp, layout);
        Put16(y1 + x, term, out1 + x * bpp, layout);
    }
    return x;
}

// 24-bit rows with byte shuffles: three stores of 16 bytes for 16 pixels. Chosen once at
// start-up where the processor has them; the results are those of the forms above.
const bool kHaveSsse3 = (__builtin_cpu_init(), __builtin_cpu_supports("ssse3"));

__attribute__((target("ssse3"))) inline void Put16Ssse3(const uint8_t* luma, __m128i tr_lo,
                                                         __m128i tr_hi, __m128i tg_lo,
                                                         __m128i tg_hi, __m128i tb_lo,
                                                         __m128i tb_hi, uint8_t* out) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i yv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(luma));
    const __m128i ylo = _mm_unpacklo_epi8(yv, zero), yhi = _mm_unpackhi_epi8(yv, zero);
    const __m128i r = _mm_packus_epi16(_mm_add_epi16(ylo, tr_lo), _mm_add_epi16(yhi, tr_hi));
    const __m128i g = _mm_packus_epi16(_mm_add_epi16(ylo, tg_lo), _mm_add_epi16(yhi, tg_hi));
    const __m128i b = _mm_packus_epi16(_mm_add_epi16(ylo, tb_lo), _mm_add_epi16(yhi, tb_hi));
    // bg_lo: B0 G0 .. B7 G7, bg_hi: B8 G8 .. B15 G15; -1 leaves a byte 0 for the OR.
    const __m128i bg_lo = _mm_unpacklo_epi8(b, g), bg_hi = _mm_unpackhi_epi8(b, g);
    const __m128i o0 = _mm_or_si128(
        _mm_shuffle_epi8(bg_lo, _mm_setr_epi8(0, 1, -1, 2, 3, -1, 4, 5, -1, 6, 7, -1, 8, 9, -1, 10)),
        _mm_shuffle_epi8(r, _mm_setr_epi8(-1, -1, 0, -1, -1, 1, -1, -1, 2, -1, -1, 3, -1, -1, 4, -1)));
    const __m128i o1 = _mm_or_si128(
        _mm_or_si128(_mm_shuffle_epi8(bg_lo, _mm_setr_epi8(11, -1, 12, 13, -1, 14, 15, -1, -1, -1,
                                                           -1, -1, -1, -1, -1, -1)),
                     _mm_shuffle_epi8(bg_hi, _mm_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, 0, 1,
                                                           -1, 2, 3, -1, 4, 5))),
        _mm_shuffle_epi8(r, _mm_setr_epi8(-1, 5, -1, -1, 6, -1, -1, 7, -1, -1, 8, -1, -1, 9, -1, -1)));
    const __m128i o2 = _mm_or_si128(
        _mm_shuffle_epi8(bg_hi,
                         _mm_setr_epi8(-1, 6, 7, -1, 8, 9, -1, 10, 11, -1, 12, 13, -1, 14, 15, -1)),
        _mm_shuffle_epi8(r, _mm_setr_epi8(10, -1, -1, 11, -1, -1, 12, -1, -1, 13, -1, -1, 14, -1, -1,
                                          15)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), o0);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16), o1);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 32), o2);
}

// PairSse2 for the 24-bit layout.
__attribute__((target("ssse3"))) int PairSsse3(const uint8_t* y0, const uint8_t* y1,
                                               const uint8_t* cb, const uint8_t* cr, uint8_t* out0,
                                               uint8_t* out1, int width) {
    int x = 0;
    for (; x + 16 <= width; x += 16) {
        __m128i tr, tg, tb;
        ChromaTerms8(cb + x / 2, cr + x / 2, &tr, &tg, &tb);
        const __m128i tr_lo = _mm_unpacklo_epi16(tr, tr), tr_hi = _mm_unpackhi_epi16(tr, tr);
        const __m128i tg_lo = _mm_unpacklo_epi16(tg, tg), tg_hi = _mm_unpackhi_epi16(tg, tg);
        const __m128i tb_lo = _mm_unpacklo_epi16(tb, tb), tb_hi = _mm_unpackhi_epi16(tb, tb);
        Put16Ssse3(y0 + x, tr_lo, tr_hi, tg_lo, tg_hi, tb_lo, tb_hi, out0 + x * 3);
        Put16Ssse3(y1 + x, tr_lo, tr_hi, tg_lo, tg_hi, tb_lo, tb_hi, out1 + x * 3);
    }
    return x;
}

#endif

} // namespace

RgbLayout LayoutOf(int format) {
    if (format == 555) return RgbLayout::k555;
    if (format == 565) return RgbLayout::k565;
    return RgbLayout::k24;
}

void ConvertYuvToRgb(const uint8_t* yuv, uint8_t* rgb, int width, int height, RgbLayout layout,
                     bool flip, int level) {
    if (width <= 0 || height <= 0) return;
    const int cw = width / 2;
    const uint8_t* luma = yuv;
    const uint8_t* cb = yuv + size_t(width) * height;
    const uint8_t* cr = cb + size_t(cw) * (height / 2);
    const size_t out_stride = size_t(width) * (layout == RgbLayout::k24 ? 3 : 2);
    if (layout == RgbLayout::k555) flip = false;
    // Two rows and two pixels at a time: an odd last row or column has no chroma of its own.
    const int pair_width = width & ~1;
    for (int y = 0; y + 2 <= height; y += 2) {
        const uint8_t* y0 = luma + size_t(y) * width;
        const uint8_t* y1 = y0 + width;
        const uint8_t* crow_b = cb + size_t(y / 2) * cw;
        const uint8_t* crow_r = cr + size_t(y / 2) * cw;
        uint8_t* out0 = rgb + size_t(flip ? height - 1 - y : y) * out_stride;
        uint8_t* out1 = rgb + size_t(flip ? height - 2 - y : y + 1) * out_stride;
        int done = 0;
#if defined(__SSE2__)
        if (level >= 2 && kHaveSsse3 && layout == RgbLayout::k24)
            done = PairSsse3(y0, y1, crow_b, crow_r, out0, out1, pair_width);
        else if (level >= 1)
            done = PairSse2(y0, y1, crow_b, crow_r, out0, out1, pair_width, layout);
#else
        (void)level;
#endif
        PairPlain(y0, y1, crow_b, crow_r, out0, out1, done, pair_width, layout);
    }
}

void ConvertForSnapshot(const uint8_t* yuv, uint8_t* rgb, int width, int height) {
    ConvertYuvToRgb(yuv, rgb, width, height, RgbLayout::k24, true, SimdLevel);
}

int TransYUVtoRGB(int handle) {
    DecoderInstance* d = InstanceOf(handle);
    if (!d) return 0;
    ConvertYuvToRgb(d->yuv.get(), d->rgb.get(), d->hdr.width, d->hdr.height,
                    LayoutOf(RgbOutputFormat), d->flip != 0, SimdLevel);
    return 1;
}

} // namespace dvr::decoder
