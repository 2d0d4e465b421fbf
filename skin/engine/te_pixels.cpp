#include "skin/engine/te_pixels.h"

#include "skin/engine/te_platform.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace dvr::skin {

int32_t MulDiv(int32_t a, int32_t b, int32_t c) {
    if (c == 0) return -1;
    int64_t p = int64_t(a) * b;
    bool neg = (p < 0) != (c < 0);
    uint64_t ap = uint64_t(p < 0 ? -p : p);
    uint64_t ac = uint64_t(c < 0 ? -int64_t(c) : int64_t(c));
    uint64_t q = (ap + ac / 2) / ac;
    if (q > 0x7FFFFFFFull) return -1;
    return neg ? -int32_t(q) : int32_t(q);
}

int32_t RoundEven(double v) {
    return int32_t(std::nearbyint(v));
}

fw::TColor ColorToRGB(fw::TColor Color) {
    if (uint32_t(Color) & 0x80000000u) return SystemColorRGB(int(uint32_t(Color) & 0xFF));
    return Color;
}

TteColor ColorToPixel(fw::TColor Color, uint8_t Alpha) {
    uint32_t c = uint32_t(ColorToRGB(Color));
    uint32_t r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
    return (uint32_t(Alpha) << 24) | (r << 16) | (g << 8) | b;
}

fw::TColor PixelToColor(TteColor Pixel) {
    return fw::TColor(PixelR(Pixel) + PixelG(Pixel) * 0x100 + PixelB(Pixel) * 0x10000);
}

TteColor MakePixel(int16_t R, int16_t G, int16_t B, uint8_t A) {
    auto clamp = [](int v) { return uint32_t(std::clamp(v, 0, 255)); };
    return (uint32_t(A) << 24) | (clamp(R) << 16) | (clamp(G) << 8) | clamp(B);
}

void PixelToHSL(TteColor Pixel, float& H, float& S, float& L) {
    float r = PixelR(Pixel) / 255.0f, g = PixelG(Pixel) / 255.0f, b = PixelB(Pixel) / 255.0f;
    float mx = std::max({r, g, b}), mn = std::min({r, g, b});
    L = (mx + mn) / 2;
    if (mx == mn) {
        H = 0;
        S = 0;
        return;
    }
    float d = mx - mn;
    S = L < 0.5f ? d / (mx + mn) : d / (2 - mx - mn);
    if (mx == r)
        H = (g - b) / d;
    else if (mx != g)
        H = (r - g) / d + 4;
    else
        H = (b - r) / d + 2;
    H /= 6;
    if (H < 0) H += 1;
}

namespace {

int HueToChannel(float m1, float m2, float h) {
    h -= std::floor(h);
    float v;
    if (6 * h < 1)
        v = m1 + (m2 - m1) * h * 6;
    else if (2 * h < 1)
        v = m2;
    else if (3 * h < 2)
        v = m1 + (m2 - m1) * (2.0f / 3 - h) * 6;
    else
        v = m1;
    return RoundEven(double(v) * 255);
}

} // namespace

TteColor HSLToPixel(float H, float S, float L) {
    if (S == 0) {
        int v = RoundEven(double(L) * 255);
        return MakePixel(int16_t(v), int16_t(v), int16_t(v), 255);
    }
    float m2 = L > 0.5f ? L + S - L * S : L * (1 + S);
    float m1 = 2 * L - m2;
    int r = HueToChannel(m1, m2, H + 1.0f / 3);
    int g = HueToChannel(m1, m2, H);
    int b = HueToChannel(m1, m2, H - 1.0f / 3);
    return MakePixel(int16_t(r), int16_t(g), int16_t(b), 255);
}

TteColor ShiftHue(TteColor Pixel, int Delta) {
    float h, s, l;
    PixelToHSL(Pixel, h, s, l);
    int hv = RoundEven(double(h) * 255) + Delta;
    if (hv > 255) hv -= 255;
    if (hv < 0) hv += 255;
    return HSLToPixel(float(hv) / 255, s, l);
}

TteColor ShiftBrightness(TteColor Pixel, int Delta) {
    return MakePixel(int16_t(std::clamp(PixelR(Pixel) + Delta, -1, 256)),
                     int16_t(std::clamp(PixelG(Pixel) + Delta, -1, 256)),
                     int16_t(std::clamp(PixelB(Pixel) + Delta, -1, 256)), 255);
}

TteColor ShiftPixel(TteColor Pixel, int DR, int DG, int DB, int DA) {
    return MakePixel(int16_t(std::clamp(PixelR(Pixel) + DR, -1, 256)),
                     int16_t(std::clamp(PixelG(Pixel) + DG, -1, 256)),
                     int16_t(std::clamp(PixelB(Pixel) + DB, -1, 256)), uint8_t(PixelA(Pixel) + DA));
}

TteColor ShiftRGB(TteColor Pixel, int Delta) {
    return ShiftPixel(Pixel, Delta, Delta, Delta, 0);
}

TteColor PixelBlendPlain(TteColor Src, TteColor Dst) {
    uint32_t a = PixelA(Src);
    if (a == 255) return Src;
    if (a == 0) return Dst;
    uint32_t ia = 255 - a;
    uint32_t b = (PixelB(Src) * a + PixelB(Dst) * ia) >> 8;
    uint32_t g = (PixelG(Src) * a + PixelG(Dst) * ia) >> 8;
    uint32_t r = (PixelR(Src) * a + PixelR(Dst) * ia) >> 8;
    return 0xFF000000u | (r << 16) | (g << 8) | b;
}

TteColor PixelBlendPacked(TteColor Src, TteColor Dst) {
    uint32_t a = PixelA(Src), ia = 256 - a;
    TteColor out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        uint32_t s = (Src >> shift) & 0xFF, d = (Dst >> shift) & 0xFF;
        out |= ((s * a + d * ia) >> 8) << shift;
    }
    return out;
}

namespace {

void BlendRowPlain(const TteColor* Src, TteColor* Dst, int Count) {
    for (int i = 0; i < Count; ++i)
        Dst[i] = PixelBlendPlain(Src[i], Dst[i]);
}

inline TteColor BlendPackedRowPixel(TteColor s, TteColor d) {
    uint32_t a = PixelA(s);
    if (a == 0) return d;
    if (a == 255) return s;
    return PixelBlendPacked(s, d);
}

void BlendRowPacked(const TteColor* Src, TteColor* Dst, int Count) {
    int i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i w256 = _mm_set1_epi16(256);
    const __m128i a255 = _mm_set1_epi32(255);
    for (; i + 4 <= Count; i += 4) {
        __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Src + i));
        __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Dst + i));
        __m128i a = _mm_srli_epi32(s, 24);
        __m128i aw = _mm_or_si128(a, _mm_slli_epi32(a, 16)); // a in both halves of a lane
        __m128i alo = _mm_unpacklo_epi32(aw, aw), ahi = _mm_unpackhi_epi32(aw, aw);
        __m128i slo = _mm_unpacklo_epi8(s, zero), shi = _mm_unpackhi_epi8(s, zero);
        __m128i dlo = _mm_unpacklo_epi8(d, zero), dhi = _mm_unpackhi_epi8(d, zero);
        // s*a + d*(256-a) stays below 65281, so 16-bit lanes hold it exactly.
        __m128i rlo = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(slo, alo),
                                                   _mm_mullo_epi16(dlo, _mm_sub_epi16(w256, alo))),
                                     8);
        __m128i rhi = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(shi, ahi),
                                                   _mm_mullo_epi16(dhi, _mm_sub_epi16(w256, ahi))),
                                     8);
        __m128i r = _mm_packus_epi16(rlo, rhi);
        __m128i full = _mm_cmpeq_epi32(a, a255), none = _mm_cmpeq_epi32(a, zero);
        r = _mm_or_si128(_mm_and_si128(full, s), _mm_andnot_si128(full, r));
        r = _mm_or_si128(_mm_and_si128(none, d), _mm_andnot_si128(none, r));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(Dst + i), r);
    }
#endif
    for (; i < Count; ++i)
        Dst[i] = BlendPackedRowPixel(Src[i], Dst[i]);
}

void TransparentRowImpl(const TteColor* Src, TteColor* Dst, int Count) {
    for (int i = 0; i < Count; ++i)
        if (!IsKeyRGB(Src[i])) Dst[i] = Src[i] | 0xFF000000u;
}

void CopyRowImpl(const TteColor* Src, TteColor* Dst, int Count) {
    if (Count <= 0 || Src == Dst) return;
    std::memmove(Dst, Src, size_t(Count) * sizeof(TteColor));
}

void FillRowImpl(TteColor* Dst, int Count, TteColor Value) {
    for (int i = 0; i < Count; ++i)
        Dst[i] = Value;
}

void FillPixelRectImpl(TteColor* Bits, int Width, int /*Height*/, int X1, int Y1, int X2, int Y2,
                       TteColor Value) {
    if (X2 < X1 || Y2 < Y1) return;
    for (int y = Y1; y <= Y2; ++y)
        FillRowImpl(Bits + size_t(y) * Width + X1, X2 - X1 + 1, Value);
}

void SetAlphaRowImpl(TteColor* Dst, int Count, uint8_t Alpha) {
    uint32_t a = uint32_t(Alpha) << 24;
    for (int i = 0; i < Count; ++i)
        Dst[i] = (Dst[i] & 0x00FFFFFF) | a;
}

void SetAlphaPixelRectImpl(TteColor* Bits, int Width, int /*Height*/, int X1, int Y1, int X2,
                           int Y2, uint8_t Alpha) {
    if (X2 < X1 || Y2 < Y1) return;
    for (int y = Y1; y <= Y2; ++y)
        SetAlphaRowImpl(Bits + size_t(y) * Width + X1, X2 - X1 + 1, Alpha);
}

void ClearKeyAlphaImpl(TteColor* Dst, int Count, TteColor Color) {
    for (int i = 0; i < Count; ++i)
        if ((Dst[i] & 0x00FFFFFF) == (Color & 0x00FFFFFF)) Dst[i] &= 0x00FFFFFF;
}

} // namespace

bool CpuHasMMX() {
#if defined(__x86_64__) || defined(__i386__)
    unsigned a, b, c, d;
    if (!__get_cpuid(1, &a, &b, &c, &d)) return false;
    return ((a >> 8) & 0xF) >= 5 && (d & (1u << 23)) != 0;
#else
    return false;
#endif
}

bool MMXEnabled = CpuHasMMX();

namespace {
TPixelRoutines MakeRoutines(bool Packed) {
    TPixelRoutines r;
    r.PixelBlend = Packed ? PixelBlendPacked : PixelBlendPlain;
    r.BlendRow = Packed ? BlendRowPacked : BlendRowPlain;
    r.TransparentRow = TransparentRowImpl;
    r.CopyRow = CopyRowImpl;
    r.FillRow = FillRowImpl;
    r.FillPixelRect = FillPixelRectImpl;
    r.SetAlphaRow = SetAlphaRowImpl;
    r.SetAlphaPixelRect = SetAlphaPixelRectImpl;
    r.ClearKeyAlpha = ClearKeyAlphaImpl;
    return r;
}
} // namespace

TPixelRoutines PixelRoutines = MakeRoutines(MMXEnabled);

void SelectPixelRoutines(bool Packed) {
    PixelRoutines = MakeRoutines(Packed);
}

TPixelRoutineScope::TPixelRoutineScope(bool Packed) : saved_(PixelRoutines) {
    SelectPixelRoutines(Packed);
}
TPixelRoutineScope::~TPixelRoutineScope() {
    PixelRoutines = saved_;
}

} // namespace dvr::skin
