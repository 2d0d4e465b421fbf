// One decoder instance: its stores, buffers, header state and prediction tables.
// Internal to the decoder (and its tests).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "player/decoder/bitreader.h"
#include "player/decoder/headers.h"
#include "player/decoder/vlc.h"

namespace dvr::decoder {

// Three planes with a border on every side (32 luma pixels, 16 chroma), addressed by
// their first picture pixel, so motion compensation may read up to the border unchecked.
struct FrameStore {
    std::unique_ptr<uint8_t[]> y_mem, cb_mem, cr_mem;
    uint8_t* y = nullptr;
    uint8_t* cb = nullptr;
    uint8_t* cr = nullptr;
};

// A piece of the input buffer; length 0 means absent.
struct Piece {
    size_t offset = 0;
    size_t length = 0;
};

constexpr int kLumaBorder = 32;
constexpr int kChromaBorder = 16;
// DC and AC predictor grids: one border column at the left, one border row on top.
constexpr int kLumaGridStride = 2 * kMaxMbCols + 1;
constexpr int kLumaGridRows = 2 * kMaxMbRows + 1;
constexpr int kChromaGridStride = kMaxMbCols + 1;
constexpr int kChromaGridRows = kMaxMbRows + 1;
constexpr int kModeStride = kMaxMbCols + 1;
constexpr int16_t kBorderDc = 1024;
// Macroblock types as coded; intra blocks keep theirs in the mode grid.
constexpr int kMbTypeInterQ = 1;
constexpr int kMbTypeInter4v = 2;
constexpr int kMbTypeIntra = 3;
constexpr int kMbTypeIntraQ = 4;

struct AcLevels {
    int16_t row[7]; // positions 1..7
    int16_t col[7]; // positions 8, 16, ..., 56
};

struct MotionVector {
    int16_t x, y; // half-pels
};

// Where a B picture stands in its record; chooses the direct-mode ratios.
enum class BPicture { kOnly, kFirstOfTwo, kSecondOfTwo };

struct DecoderInstance {
    int creation_width = 0, creation_height = 0;
    int luma_stride = 0, luma_rows = 0, chroma_stride = 0, chroma_rows = 0;

    FrameStore stores[4];
    FrameStore* current = &stores[0];
    FrameStore* reference = &stores[1];
    FrameStore* anchor = &stores[2];
    FrameStore* scratch = &stores[3];

    std::unique_ptr<uint8_t[]> input;
    size_t input_size = 0;
    std::unique_ptr<uint8_t[]> yuv;
    std::unique_ptr<uint8_t[]> rgb;

    HeaderState hdr{};
    BitReader br;
    size_t record_length = 0;
    bool error = false;

    int packed_b_count = 0;
    int b_drop_count = 0;
    int pending_pictures = 0;
    // A delivered anchor picture moves to the reference store by exchanging the two; the
    // anchor store is filled again from there only when something still reads it.
    bool anchor_in_reference = false;
    Piece p_piece, first_b, second_b;

    // Set while the current store stands for a copy of another store (its picture area):
    // a decoded packed P-VOP goes to the anchor by exchanging the two stores, not by
    // copying. Decoding into the current store then counts, per macroblock, the leading
    // blocks it wrote; the rest are taken from the source afterwards.
    const FrameStore* current_source = nullptr;
    uint8_t blocks_written[kMaxMbCols * kMaxMbRows];

    int postprocess = 0;
    int flip = 0;
    int brightness = 0;
    int contrast = 8;

    // Macroblock layer
    int quant = 0;
    int mb_x = 0, mb_y = 0;
    int ac_pred = 0;
    int8_t mode[kModeStride * kMaxMbRows];
    // Per macroblock (row * kMaxMbCols + column), the vectors of its four luma blocks:
    // of the VOP being decoded, and of the last P-VOP for the direct mode of B-VOPs.
    MotionVector mv[kMaxMbCols * kMaxMbRows][4] = {};
    MotionVector colocated[kMaxMbCols * kMaxMbRows][4] = {};
    // Per macroblock, whether the last P-VOP skipped it: the B macroblocks there carry
    // nothing and copy the reference picture.
    bool colocated_skipped[kMaxMbCols * kMaxMbRows] = {};
    MotionVector b_forward_pred{}, b_backward_pred{};
    BPicture b_picture = BPicture::kOnly;

    // Block layer
    alignas(16) int16_t block[64];
    int16_t dc_luma[kLumaGridStride * kLumaGridRows];
    int16_t dc_chroma[2][kChromaGridStride * kChromaGridRows];
    AcLevels ac_luma[kLumaGridStride * kLumaGridRows];
    AcLevels ac_chroma[2][kChromaGridStride * kChromaGridRows];

    SizeLimit Limit() const { return {creation_width, creation_height}; }
};

// The macroblock at the current position has its first n blocks in the current store.
inline void MarkWritten(DecoderInstance& d, int n) {
    d.blocks_written[d.mb_y * kMaxMbCols + d.mb_x] = static_cast<uint8_t>(n);
}

// Makes the current store a real copy of the store it stands for, if it stands for one:
// whatever else writes into that store does this first.
void MaterialiseCurrent(DecoderInstance& d);

// Sets the border entries of the predictor stores: DC 1024, AC 0.
void ResetPredictors(DecoderInstance& d);

// Decodes the macroblocks of the I-VOP whose header was just read into the current
// store. False when a macroblock fails; the rest keep the store's earlier content.
bool DecodeIntraVop(DecoderInstance& d);

// Macroblocks of P- and B-VOPs, as DecodeIntraVop.
bool DecodePVop(DecoderInstance& d);
bool DecodeBVop(DecoderInstance& d);

// An intra macroblock after its MCBPC (I- and P-VOPs): ac_pred_flag, CBPY, dquant and
// the six blocks into the current store.
bool DecodeIntraMacroblockBody(DecoderInstance& d, int mb_type, int cbpc);

// The residual of an inter block added to the prediction in the current store.
bool DecodeInterBlock(DecoderInstance& d, int b, bool coded);

// The prediction of the macroblock at the current position from `from` into `to`: one
// vector for the 16 x 16 luma block, or four for its 8 x 8 blocks, chroma derived.
void PredictMacroblock(const DecoderInstance& d, const FrameStore& from, FrameStore& to,
                       const MotionVector* mv, bool four, int rounding);
// The one-vector prediction of the macroblock at the current position from `from` into
// the given luma and chroma blocks.
void PredictMacroblock(const DecoderInstance& d, const FrameStore& from, MotionVector mv,
                       int rounding, uint8_t* y, int y_stride, uint8_t* cb, uint8_t* cr,
                       int c_stride);

// The direct-mode vectors of the B macroblock at the current position from its delta,
// the co-located vector and the place of the B picture in its record.
void DirectVectors(const DecoderInstance& d, MotionVector delta, MotionVector* forward,
                   MotionVector* backward);

// A motion vector difference component coded with f_code `fcode`.
int ReadMotionDifference(BitReader& br, int fcode);
// v wrapped into the range of `fcode`: -32f .. 32f - 1 half-pels, f = 2^(fcode - 1).
int WrapVector(int v, int fcode);

// Reads coefficient events into block[scan[pos]], from scan position `pos` until the
// last one, storing level(L) for each level L. An invalid code word ends the block; so
// does a run that would pass position 63. Code words and escapes are read from a window
// of bits held in a register. Returns
// the scan position after the last level written (above 64 when a run ran past the end).
template <typename Level>
inline int ReadBlockCoefficients(BitReader& br, const int32_t* events, const uint8_t (*lmax)[64],
                                 const uint8_t (*rmax)[64], int16_t* block, const uint8_t* scan,
                                 int pos, Level level) {
    constexpr int kWindowBits = 57;
    size_t at = br.Consumed();
    uint64_t window = br.Window(at);
    int left = kWindowBits;
    for (;;) {
        if (left < kTcoefSignedBits) {
            window = br.Window(at);
            left = kWindowBits;
        }
        // One load gives the length, last, run and the signed level of table codes.
        const int32_t e = events[window >> (64 - kTcoefSignedBits)];
        int last, run, l;
        if (const int n = TcoefLength(e)) {
            window <<= n;
            left -= n;
            at += static_cast<size_t>(n);
            last = TcoefLast(e);
            run = TcoefRun(e);
            l = TcoefLevel(e);
        } else {
            // The escape (or no code): its longest form takes 30 bits, a fresh window
            // holds them all.
            window = br.Window(at);
            left = kWindowBits;
            if ((window >> (64 - kTcoefEscapeLen)) != 0b0000011) break;
            const int type = static_cast<int>(window >> (62 - kTcoefEscapeLen) & 3);
            if (type == 3) { // fixed length: last, run, marker, 12-bit level, marker
                last = static_cast<int>(window >> 54 & 1);
                run = static_cast<int>(window >> 48 & 63);
                l = static_cast<int32_t>(static_cast<uint32_t>(window >> 35) << 20) >> 20;
                window <<= 30;
                left -= 30;
                at += 30;
            } else {
                // 0x: a table code whose level grows by LMAX; 10: whose run grows by RMAX + 1
                const int skip = kTcoefEscapeLen + (type >> 1) + 1;
                window <<= skip;
                left -= skip;
                at += static_cast<size_t>(skip);
                const int32_t x = events[window >> (64 - kTcoefSignedBits)];
                const int n = TcoefLength(x);
                if (!n) break;
                window <<= n;
                left -= n;
                at += static_cast<size_t>(n);
                last = TcoefLast(x);
                run = TcoefRun(x);
                l = TcoefLevel(x);
                if (type < 2) {
                    const int add = lmax[last][run];
                    l += l < 0 ? -add : add;
                } else {
                    run += rmax[last][l < 0 ? -l : l] + 1;
                }
            }
        }
        pos += run;
        if (pos > 63) break;
        block[scan[pos]] = static_cast<int16_t>(level(l));
        ++pos;
        if (last || pos >= 64) break;
    }
    br.Seek(at);
    return pos;
}

// Clears the coefficient block in place (inline: a call to memset costs more than this).
inline void ClearBlock(int16_t* block) {
#if defined(__SSE2__)
    __m128i* b = reinterpret_cast<__m128i*>(block);
    const __m128i zero = _mm_setzero_si128();
    for (int i = 0; i < 8; ++i)
        _mm_store_si128(b + i, zero);
#else
    std::memset(block, 0, 64 * sizeof(int16_t));
#endif
}

// The instance of a handle, or null; for tests.
DecoderInstance* InstanceOf(int handle);

} // namespace dvr::decoder
