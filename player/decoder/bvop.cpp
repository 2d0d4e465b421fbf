// Macroblocks of B-VOPs: direct, interpolated, backward and forward prediction.
#include <algorithm>
#include <cmath>

#include "player/decoder/decoder.h"
#include "player/decoder/instance.h"
#include "player/decoder/motion.h"
#include "player/decoder/vlc.h"

namespace dvr::decoder {
namespace {

enum BType { kDirect = 0, kInterpolate = 1, kBackward = 2, kForward = 3 };

// The parts of the co-located vector that the direct mode takes forward (t) and
// backward (u), by the place of the B picture between its anchors. The recorder uses
// these fixed single-precision values rather than the time stamps.
struct Ratio {
    float t, u;
};
Ratio RatioOf(BPicture p) {
    switch (p) {
    case BPicture::kFirstOfTwo:
        return {0.3333333432674408f, -0.6666666269302368f};
    case BPicture::kSecondOfTwo:
        return {0.6666666865348816f, -0.3333333134651184f};
    default:
        return {0.5f, -0.5f};
    }
}

int Truncate(int c, float ratio) {
    return static_cast<int>(std::trunc(static_cast<double>(c) * static_cast<double>(ratio)));
}

MotionVector ReadB(DecoderInstance& d, MotionVector& predictor, int fcode) {
    predictor.x =
        static_cast<int16_t>(WrapVector(predictor.x + ReadMotionDifference(d.br, fcode), fcode));
    predictor.y =
        static_cast<int16_t>(WrapVector(predictor.y + ReadMotionDifference(d.br, fcode), fcode));
    return predictor;
}

// Forward from the reference store into the current one, backward from the anchor into
// a block of its own, and their truncating average into the current store.
void PredictBoth(DecoderInstance& d, MotionVector forward, MotionVector backward) {
    const MotionVector f[4] = {forward, forward, forward, forward};
    PredictMacroblock(d, *d.reference, *d.current, f, false, 0);
    alignas(16) uint8_t y[16 * 16], cb[8 * 8], cr[8 * 8];
    PredictMacroblock(d, *d.anchor, backward, 0, y, 16, cb, cr, 8);
    const int ls = d.luma_stride, cs = d.chroma_stride;
    const size_t luma = size_t(16 * d.mb_y) * ls + 16 * d.mb_x;
    const size_t chroma = size_t(8 * d.mb_y) * cs + 8 * d.mb_x;
    AverageBlock(d.current->y + luma, ls, y, 16, 16, SimdLevel);
    AverageBlock(d.current->cb + chroma, cs, cb, 8, 8, SimdLevel);
    AverageBlock(d.current->cr + chroma, cs, cr, 8, 8, SimdLevel);
}

bool DecodeBMacroblock(DecoderInstance& d) {
    BitReader& br = d.br;
    if (d.mb_x == 0) d.b_forward_pred = d.b_backward_pred = {0, 0};
    // Over a macroblock the P picture skipped, the encoder writes nothing: the B
    // macroblock is the reference's, unmoved. Reading a modb there would lose step
    // with the bitstream for the rest of the picture.
    if (d.colocated_skipped[d.mb_y * kMaxMbCols + d.mb_x]) {
        const MotionVector v[4] = {};
        PredictMacroblock(d, *d.reference, *d.current, v, false, 0);
        MarkWritten(d, 6);
        return true;
    }
    if (br.GetBit()) {
        MotionVector f, b;
        DirectVectors(d, {0, 0}, &f, &b);
        PredictBoth(d, f, b);
        MarkWritten(d, 6);
        return true;
    }
    const bool with_cbpb = br.GetBit() == 0;
    int type = 0;
    while (type < 4 && br.GetBit() == 0)
        ++type;
    if (type == 4) return true; // no such type: the macroblock stays as it was
    const int cbpb = with_cbpb ? static_cast<int>(br.Get(6)) : 0;
    d.mode[d.mb_y * kModeStride + d.mb_x] = 0;
    if (d.hdr.scalability == 1) return true;
    if (type != kDirect && cbpb != 0) {
        int dbquant = 0;
        if (br.GetBit()) dbquant = br.GetBit() ? 2 : -2;
        d.quant = std::clamp(d.quant + dbquant, 1, 31);
    }
    switch (type) {
    case kDirect: {
        MotionVector delta;
        delta.x = static_cast<int16_t>(ReadMotionDifference(br, 1));
        delta.y = static_cast<int16_t>(ReadMotionDifference(br, 1));
        MotionVector f, b;
        DirectVectors(d, delta, &f, &b);
        PredictBoth(d, f, b);
        break;
    }
    case kInterpolate: {
        const MotionVector f = ReadB(d, d.b_forward_pred, d.hdr.vop_fcode_forward);
        const MotionVector b = ReadB(d, d.b_backward_pred, d.hdr.vop_fcode_backward);
        PredictBoth(d, f, b);
        break;
    }
    case kBackward: {
        const MotionVector b = ReadB(d, d.b_backward_pred, d.hdr.vop_fcode_backward);
        const MotionVector v[4] = {b, b, b, b};
        PredictMacroblock(d, *d.anchor, *d.current, v, false, 0);
        break;
    }
    default: {
        const MotionVector f = ReadB(d, d.b_forward_pred, d.hdr.vop_fcode_forward);
        const MotionVector v[4] = {f, f, f, f};
        PredictMacroblock(d, *d.reference, *d.current, v, false, 0);
        break;
    }
    }
    MarkWritten(d, 6);
    for (int b = 0; b < 6; ++b)
        if (!DecodeInterBlock(d, b, cbpb & (32 >> b))) return false;
    return true;
}

} // namespace

void DirectVectors(const DecoderInstance& d, MotionVector delta, MotionVector* forward,
                   MotionVector* backward) {
    const MotionVector c = d.colocated[d.mb_y * kMaxMbCols + d.mb_x][0];
    const Ratio r = RatioOf(d.b_picture);
    auto one = [&](int cv, int dv, int16_t* f, int16_t* b) {
        const int fv = dv + Truncate(cv, r.t);
        *f = static_cast<int16_t>(fv);
        *b = static_cast<int16_t>(dv == 0 ? Truncate(cv, r.u) : fv - cv);
    };
    one(c.x, delta.x, &forward->x, &backward->x);
    one(c.y, delta.y, &forward->y, &backward->y);
}

bool DecodeBVop(DecoderInstance& d) {
    d.quant = d.hdr.vop_quant;
    for (d.mb_y = 0; d.mb_y < d.hdr.mb_rows; ++d.mb_y)
        for (d.mb_x = 0; d.mb_x < d.hdr.mb_cols; ++d.mb_x)
            if (!DecodeBMacroblock(d)) return false;
    return true;
}

} // namespace dvr::decoder
