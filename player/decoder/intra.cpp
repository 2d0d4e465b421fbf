// Intra macroblocks (of I- and P-VOPs) and the decoding of intra blocks.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "player/decoder/decoder.h"
#include "player/decoder/idct.h"
#include "player/decoder/instance.h"
#include "player/decoder/vlc.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace dvr::decoder {
namespace {

int DcScaler(int q, bool luma) {
    if (q < 5) return 8;
    if (luma) return q < 9 ? 2 * q : q < 25 ? q + 8 : 2 * q - 16;
    return q < 25 ? (q + 13) / 2 : q - 6;
}

// Every nonzero level L of positions 1..63 becomes 2q|L| + (q odd ? q : q - 1) with the
// sign of L, in 16-bit arithmetic.
void DequantiseIntra(int16_t* block, int q) {
    const int16_t add = static_cast<int16_t>((q & 1) ? q : q - 1);
    const int16_t dc = block[0];
#if defined(__SSE2__)
    const __m128i mul = _mm_set1_epi16(static_cast<int16_t>(2 * q));
    const __m128i plus = _mm_set1_epi16(add);
    const __m128i zero = _mm_setzero_si128();
    __m128i* b = reinterpret_cast<__m128i*>(block);
    for (int i = 0; i < 8; ++i) {
        __m128i l = _mm_load_si128(b + i);
        __m128i pos = _mm_and_si128(_mm_cmpgt_epi16(l, zero), plus);
        __m128i neg = _mm_and_si128(_mm_cmplt_epi16(l, zero), plus);
        _mm_store_si128(b + i, _mm_sub_epi16(_mm_add_epi16(_mm_mullo_epi16(l, mul), pos), neg));
    }
#else
    for (int i = 0; i < 64; ++i) {
        const int l = block[i];
        block[i] = static_cast<int16_t>(2 * q * l + (l > 0 ? add : l < 0 ? -add : 0));
    }
#endif
    block[0] = dc;
}

void StoreBlock(const int16_t* block, uint8_t* dst, int stride) {
#if defined(__SSE2__)
    const __m128i* b = reinterpret_cast<const __m128i*>(block);
    for (int y = 0; y < 8; y += 2, dst += 2 * stride) {
        __m128i px = _mm_packus_epi16(_mm_load_si128(b + y), _mm_load_si128(b + y + 1));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(dst), px);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(dst + stride), _mm_srli_si128(px, 8));
    }
#else
    for (int y = 0; y < 8; ++y, dst += stride)
        for (int x = 0; x < 8; ++x)
            dst[x] = static_cast<uint8_t>(std::clamp<int>(block[8 * y + x], 0, 255));
#endif
}

// The predictor grids of one block: its own entry and the strides to its neighbours.
struct GridRef {
    int16_t* dc;
    AcLevels* ac;
    int stride;
    int index;
};

bool DecodeIntraBlock(DecoderInstance& d, int b, bool coded) {
    BitReader& br = d.br;
    int16_t* block = d.block;
    ClearBlock(block);
    const bool luma = b < 4;
    const int q = d.quant;
    const int s = DcScaler(q, luma);

    // DC differential
    int size;
    if (luma) {
        VlcEntry e = kVlc.dc_size_luma[br.Peek(kDcSizeLumaBits)];
        if (!e.len) return false;
        br.Skip(e.len);
        size = e.value;
    } else {
        VlcEntry e = kVlc.dc_size_chroma[br.Peek(kDcSizeChromaBits)];
        if (!e.len) return false;
        br.Skip(e.len);
        size = e.value;
    }
    int diff = 0;
    if (size) {
        int v = static_cast<int>(br.Get(size));
        diff = (v >> (size - 1)) ? v : -(v ^ ((1 << size) - 1));
        if (size > 8) br.Skip(1);
    }

    // Neighbours: left, above-left, above. In a P-VOP the blocks of non-intra macroblocks
    // predict as the border does.
    GridRef g;
    int gx, gy; // grid position of this block, border excluded
    if (luma) {
        gx = 2 * d.mb_x + (b & 1);
        gy = 2 * d.mb_y + (b >> 1);
        g = {d.dc_luma, d.ac_luma, kLumaGridStride, (gy + 1) * kLumaGridStride + gx + 1};
    } else {
        gx = d.mb_x;
        gy = d.mb_y;
        g = {d.dc_chroma[b - 4], d.ac_chroma[b - 4], kChromaGridStride,
             (gy + 1) * kChromaGridStride + gx + 1};
    }
    auto usable = [&](int nx, int ny) {
        if (nx < 0 || ny < 0) return false; // border entries hold the defaults already
        if (d.hdr.vop_coding_type != kVopP) return true;
        int mx = luma ? nx >> 1 : nx, my = luma ? ny >> 1 : ny;
        int m = d.mode[my * kModeStride + mx];
        return m == kMbTypeIntra || m == kMbTypeIntraQ;
    };
    const int li = g.index - 1, ai = g.index - g.stride, ali = ai - 1;
    const bool left_ok = usable(gx - 1, gy), above_ok = usable(gx, gy - 1),
               al_ok = usable(gx - 1, gy - 1);
    const int left = left_ok || gx == 0 ? g.dc[li] : kBorderDc;
    const int above = above_ok || gy == 0 ? g.dc[ai] : kBorderDc;
    const int above_left = al_ok || gx == 0 || gy == 0 ? g.dc[ali] : kBorderDc;

    const bool from_above = std::abs(left - above_left) < std::abs(above_left - above);
    int pred = from_above ? above : left;
    pred = (pred <= 0 ? pred - s / 2 : pred + s / 2) / s;
    const int16_t dc = static_cast<int16_t>((pred + diff) * s);
    block[0] = dc;
    g.dc[g.index] = dc;

    if (coded) {
        const uint8_t* scan = !d.ac_pred   ? tables::kScanZigzag
                              : from_above ? tables::kScanHorizontal
                                           : tables::kScanVertical;
        ReadBlockCoefficients(br, kVlc.tcoef_intra_signed, tables::kLmaxIntra, tables::kRmaxIntra,
                              block, scan, 1, [](int l) { return l; });
    }

    if (d.ac_pred) {
        // The neighbour's levels are added as stored, whatever its quantiser was.
        if (from_above) {
            if (above_ok) {
                const AcLevels& n = g.ac[ai];
                for (int i = 0; i < 7; ++i)
                    block[1 + i] = static_cast<int16_t>(block[1 + i] + n.row[i]);
            }
        } else if (left_ok) {
            const AcLevels& n = g.ac[li];
            for (int i = 0; i < 7; ++i)
                block[8 * (i + 1)] = static_cast<int16_t>(block[8 * (i + 1)] + n.col[i]);
        }
    }
    AcLevels& mine = g.ac[g.index];
    for (int i = 0; i < 7; ++i) {
        mine.row[i] = block[1 + i];
        mine.col[i] = block[8 * (i + 1)];
    }

    if (d.hdr.quant_type == 1) return false;

    DequantiseIntra(block, q);
    Idct(block, SimdLevel);

    if (luma) {
        uint8_t* dst =
            d.current->y + (16 * d.mb_y + 8 * (b >> 1)) * d.luma_stride + 16 * d.mb_x + 8 * (b & 1);
        StoreBlock(block, dst, d.luma_stride);
    } else {
        uint8_t* plane = b == 4 ? d.current->cb : d.current->cr;
        StoreBlock(block, plane + 8 * d.mb_y * d.chroma_stride + 8 * d.mb_x, d.chroma_stride);
    }
    MarkWritten(d, b + 1);
    return true;
}

bool DecodeIntraMacroblock(DecoderInstance& d) {
    BitReader& br = d.br;
    int mcbpc;
    do {
        VlcEntry e = kVlc.mcbpc_intra[br.Peek(kMcbpcBits)];
        if (!e.len) return false;
        br.Skip(e.len);
        mcbpc = e.value;
    } while (mcbpc < 0); // stuffing
    return DecodeIntraMacroblockBody(d, mcbpc & 7, (mcbpc >> 4) & 3);
}

} // namespace

bool DecodeIntraMacroblockBody(DecoderInstance& d, int mb_type, int cbpc) {
    BitReader& br = d.br;
    d.mode[d.mb_y * kModeStride + d.mb_x] = static_cast<int8_t>(mb_type);
    d.ac_pred = static_cast<int>(br.GetBit());
    VlcEntry e = kVlc.cbpy[br.Peek(kCbpyBits)];
    if (!e.len) return false;
    br.Skip(e.len);
    const int cbp = e.value << 2 | cbpc;
    if (mb_type == kMbTypeIntraQ) {
        static const int kDquant[4] = {-1, -2, 1, 2};
        d.quant = std::clamp(d.quant + kDquant[br.Get(2)], 1, 31);
    }
    for (int b = 0; b < 6; ++b)
        if (!DecodeIntraBlock(d, b, cbp & (32 >> b))) return false;
    return true;
}

void ResetPredictors(DecoderInstance& d) {
    std::fill(std::begin(d.dc_luma), std::end(d.dc_luma), kBorderDc);
    for (auto& plane : d.dc_chroma)
        std::fill(std::begin(plane), std::end(plane), kBorderDc);
    std::memset(d.ac_luma, 0, sizeof d.ac_luma);
    std::memset(d.ac_chroma, 0, sizeof d.ac_chroma);
    std::memset(d.mode, kMbTypeIntra, sizeof d.mode);
}

bool DecodeIntraVop(DecoderInstance& d) {
    d.quant = d.hdr.vop_quant;
    for (d.mb_y = 0; d.mb_y < d.hdr.mb_rows; ++d.mb_y)
        for (d.mb_x = 0; d.mb_x < d.hdr.mb_cols; ++d.mb_x)
            if (!DecodeIntraMacroblock(d)) return false;
    return true;
}

} // namespace dvr::decoder
