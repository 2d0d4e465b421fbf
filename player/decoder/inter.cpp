// Macroblocks of P-VOPs: skipped, inter with one or four vectors, and intra; motion
// vector decoding and prediction; the residual of inter blocks.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "player/decoder/decoder.h"
#include "player/decoder/idct.h"
#include "player/decoder/instance.h"
#include "player/decoder/motion.h"
#include "player/decoder/vlc.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace dvr::decoder {
namespace {

constexpr int8_t kModeSkipped = -1;

void AddResidual(const int16_t* block, uint8_t* dst, int stride) {
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i* b = reinterpret_cast<const __m128i*>(block);
    for (int y = 0; y < 8; ++y, dst += stride) {
        __m128i px =
            _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(dst)), zero);
        px = _mm_add_epi16(px, _mm_load_si128(b + y));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(dst), _mm_packus_epi16(px, px));
    }
#else
    for (int y = 0; y < 8; ++y, dst += stride)
        for (int x = 0; x < 8; ++x)
            dst[x] = static_cast<uint8_t>(std::clamp(dst[x] + block[8 * y + x], 0, 255));
#endif
}

// The vector of block b of the macroblock at (x, y) in the table of the VOP being
// decoded; 0 outside the picture.
MotionVector At(const DecoderInstance& d, int x, int y, int b) {
    if (x < 0 || y < 0 || x >= d.hdr.mb_cols) return {0, 0};
    return d.mv[y * kMaxMbCols + x][b];
}

int Median(int a, int b, int c) {
    return a + b + c - std::max({a, b, c}) - std::min({a, b, c});
}

MotionVector Predictor(const DecoderInstance& d, int b) {
    const int x = d.mb_x, y = d.mb_y;
    if (y == 0 && b < 2) return b == 0 ? At(d, x - 1, y, 1) : At(d, x, y, 0);
    MotionVector a, above, right;
    switch (b) {
    case 0:
        a = At(d, x - 1, y, 1), above = At(d, x, y - 1, 2), right = At(d, x + 1, y - 1, 2);
        break;
    case 1:
        a = At(d, x, y, 0), above = At(d, x, y - 1, 3), right = At(d, x + 1, y - 1, 2);
        break;
    case 2:
        a = At(d, x - 1, y, 3), above = At(d, x, y, 0), right = At(d, x, y, 1);
        break;
    default:
        a = At(d, x, y, 2), above = At(d, x, y, 0), right = At(d, x, y, 1);
        break;
    }
    return {static_cast<int16_t>(Median(a.x, above.x, right.x)),
            static_cast<int16_t>(Median(a.y, above.y, right.y))};
}

MotionVector ReadVector(DecoderInstance& d, int b) {
    const MotionVector p = Predictor(d, b);
    const int fcode = d.hdr.vop_fcode_forward;
    const int x = WrapVector(p.x + ReadMotionDifference(d.br, fcode), fcode);
    const int y = WrapVector(p.y + ReadMotionDifference(d.br, fcode), fcode);
    return {static_cast<int16_t>(x), static_cast<int16_t>(y)};
}

bool DecodePMacroblock(DecoderInstance& d) {
    BitReader& br = d.br;
    const int index = d.mb_y * kMaxMbCols + d.mb_x;
    MotionVector* mv = d.mv[index];
    MotionVector* colocated = d.colocated[index];
    int mcbpc;
    for (;;) {
        if (br.GetBit()) { // not coded: a copy of the reference
            std::fill(mv, mv + 4, MotionVector{0, 0});
            std::fill(colocated, colocated + 4, MotionVector{0, 0});
            d.colocated_skipped[index] = true;
            d.mode[d.mb_y * kModeStride + d.mb_x] = kModeSkipped;
            PredictMacroblock(d, *d.reference, *d.current, mv, false, 0);
            MarkWritten(d, 6);
            return true;
        }
        VlcEntry e = kVlc.mcbpc_inter[br.Peek(kMcbpcBits)];
        if (!e.len) return false;
        br.Skip(e.len);
        mcbpc = e.value;
        d.colocated_skipped[index] = false;
        // Stuffing is a macroblock of its own that carries nothing: the real one
        // follows with its own not_coded bit.
        if (mcbpc >= 0) break;
    }
    const int mb_type = mcbpc & 7;
    const int cbpc = (mcbpc >> 4) & 3;
    if (mb_type >= kMbTypeIntra) {
        std::fill(mv, mv + 4, MotionVector{0, 0});
        std::fill(colocated, colocated + 4, MotionVector{0, 0});
        return DecodeIntraMacroblockBody(d, mb_type, cbpc);
    }
    d.mode[d.mb_y * kModeStride + d.mb_x] = static_cast<int8_t>(mb_type);
    VlcEntry e = kVlc.cbpy[br.Peek(kCbpyBits)];
    if (!e.len) return false;
    br.Skip(e.len);
    const int cbp = (15 - e.value) << 2 | cbpc;
    if (mb_type == kMbTypeInterQ) {
        static const int kDquant[4] = {-1, -2, 1, 2};
        d.quant = std::clamp(d.quant + kDquant[br.Get(2)], 1, 31);
    }
    const bool four = mb_type == kMbTypeInter4v;
    if (four) {
        for (int b = 0; b < 4; ++b)
            mv[b] = ReadVector(d, b); // each block predicts from those before it
    } else {
        std::fill(mv, mv + 4, ReadVector(d, 0));
    }
    std::copy(mv, mv + 4, colocated);
    PredictMacroblock(d, *d.reference, *d.current, mv, four, d.hdr.vop_rounding_type);
    MarkWritten(d, 6);
    for (int b = 0; b < 6; ++b)
        if (!DecodeInterBlock(d, b, cbp & (32 >> b))) return false;
    return true;
}

void PredictChroma(const DecoderInstance& d, const FrameStore& from, int cx, int cy, int rounding,
                   uint8_t* cb, uint8_t* cr, int c_stride) {
    const int cs = d.chroma_stride, cw = d.hdr.width / 2, ch = d.hdr.height / 2;
    PredictBlock({from.cb, cs, cw, ch, kChromaBorder}, cb, c_stride, 8, 8 * d.mb_x, 8 * d.mb_y, cx,
                 cy, rounding, SimdLevel);
    PredictBlock({from.cr, cs, cw, ch, kChromaBorder}, cr, c_stride, 8, 8 * d.mb_x, 8 * d.mb_y, cx,
                 cy, rounding, SimdLevel);
}

} // namespace

int ReadMotionDifference(BitReader& br, int fcode) {
    const VlcEntry e = kVlc.motion_code[br.Peek(kMotionCodeBits)];
    if (!e.len) return 0; // not a code: left for the macroblocks after it to show
    br.Skip(e.len);
    const int code = e.value;
    if (fcode <= 1 || code == 0) return code;
    const int r_size = fcode - 1;
    const int residual = static_cast<int>(br.Get(r_size));
    const int magnitude = ((std::abs(code) - 1) << r_size) + residual + 1;
    return code < 0 ? -magnitude : magnitude;
}

int WrapVector(int v, int fcode) {
    const int f = 1 << (std::clamp(fcode, 1, 7) - 1);
    if (v < -32 * f) return v + 64 * f;
    if (v > 32 * f - 1) return v - 64 * f;
    return v;
}

void PredictMacroblock(const DecoderInstance& d, const FrameStore& from, FrameStore& to,
                       const MotionVector* mv, bool four, int rounding) {
    const int ls = d.luma_stride, cs = d.chroma_stride;
    uint8_t* y = to.y + 16 * d.mb_y * ls + 16 * d.mb_x;
    const int offset = 8 * d.mb_y * cs + 8 * d.mb_x;
    if (!four) {
        PredictMacroblock(d, from, mv[0], rounding, y, ls, to.cb + offset, to.cr + offset, cs);
        return;
    }
    const int x0 = 16 * d.mb_x, y0 = 16 * d.mb_y;
    const PlaneView luma{from.y, ls, d.hdr.width, d.hdr.height, kLumaBorder};
    int sx = 0, sy = 0;
    for (int b = 0; b < 4; ++b) {
        const int bx = 8 * (b & 1), by = 8 * (b >> 1);
        PredictBlock(luma, y + by * ls + bx, ls, 8, x0 + bx, y0 + by, mv[b].x, mv[b].y, rounding,
                     SimdLevel);
        sx += mv[b].x;
        sy += mv[b].y;
    }
    PredictChroma(d, from, ChromaVectorOfSum(sx), ChromaVectorOfSum(sy), rounding, to.cb + offset,
                  to.cr + offset, cs);
}

void PredictMacroblock(const DecoderInstance& d, const FrameStore& from, MotionVector mv,
                       int rounding, uint8_t* y, int y_stride, uint8_t* cb, uint8_t* cr,
                       int c_stride) {
    const PlaneView luma{from.y, d.luma_stride, d.hdr.width, d.hdr.height, kLumaBorder};
    PredictBlock(luma, y, y_stride, 16, 16 * d.mb_x, 16 * d.mb_y, mv.x, mv.y, rounding, SimdLevel);
    PredictChroma(d, from, ChromaVector(mv.x), ChromaVector(mv.y), rounding, cb, cr, c_stride);
}

// Each row of the 8 x 8 block at dst gets its own value added, as AddResidual would add
// a block of rows[y] repeated.
void AddRows(const int16_t* rows, uint8_t* dst, int stride) {
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (int y = 0; y < 8; ++y, dst += stride) {
        __m128i px =
            _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(dst)), zero);
        px = _mm_add_epi16(px, _mm_set1_epi16(rows[y]));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(dst), _mm_packus_epi16(px, px));
    }
#else
    for (int y = 0; y < 8; ++y, dst += stride)
        for (int x = 0; x < 8; ++x)
            dst[x] = static_cast<uint8_t>(std::clamp(dst[x] + rows[y], 0, 255));
#endif
}

bool DecodeInterBlock(DecoderInstance& d, int b, bool coded) {
    if (d.hdr.quant_type == 1) return false;
    if (!coded) return true; // the residual is 0: the prediction stands
    int16_t* block = d.block;
    ClearBlock(block);
    const int q = d.quant;
    const int add = (q & 1) ? q : q - 1;
    const int end = ReadBlockCoefficients(
        d.br, kVlc.tcoef_inter_signed, tables::kLmaxInter, tables::kRmaxInter, block,
        tables::kScanZigzag, 0, [q, add](int l) { return 2 * q * l + ((l > 0) - (l < 0)) * add; });
    uint8_t* dst;
    int stride;
    if (b < 4) {
        stride = d.luma_stride;
        dst = d.current->y + (16 * d.mb_y + 8 * (b >> 1)) * stride + 16 * d.mb_x + 8 * (b & 1);
    } else {
        stride = d.chroma_stride;
        dst = (b == 4 ? d.current->cb : d.current->cr) + 8 * d.mb_y * stride + 8 * d.mb_x;
    }
    if (end <= 1) {
        // Only the DC (or nothing) was coded: its transform is one value per row.
        int16_t rows[8];
        IdctDcRows(block[0], SimdLevel, rows);
        AddRows(rows, dst, stride);
        return true;
    }
    Idct(block, SimdLevel);
    AddResidual(block, dst, stride);
    return true;
}

bool DecodePVop(DecoderInstance& d) {
    d.quant = d.hdr.vop_quant;
    for (d.mb_y = 0; d.mb_y < d.hdr.mb_rows; ++d.mb_y)
        for (d.mb_x = 0; d.mb_x < d.hdr.mb_cols; ++d.mb_x)
            if (!DecodePMacroblock(d)) return false;
    return true;
}

} // namespace dvr::decoder
