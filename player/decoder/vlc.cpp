#include "player/decoder/vlc.h"

#include <memory>

namespace dvr::decoder {
namespace {

template <typename Entry, typename Fill>
void Spread(const VlcCode* codes, int count, int bits, Entry* out, Fill fill) {
    for (int i = 0; i < count; ++i) {
        const VlcCode& c = codes[i];
        int shift = bits - c.len;
        uint32_t first = c.code << shift;
        for (uint32_t k = 0; k < (1u << shift); ++k)
            fill(out[first + k], c);
    }
}

void Plain(const VlcCode* codes, int count, int bits, VlcEntry* out) {
    Spread(codes, count, bits, out, [](VlcEntry& e, const VlcCode& c) {
        e.value = c.v0;
        e.len = c.len;
    });
}

void Tcoef(const VlcCode* codes, int count, TcoefEntry* out) {
    Spread(codes, count, kTcoefBits, out, [](TcoefEntry& e, const VlcCode& c) {
        e = {c.len, static_cast<uint8_t>(c.v0), static_cast<uint8_t>(c.v1),
             static_cast<uint8_t>(c.v2)};
    });
    const VlcCode escape{0b0000011, kTcoefEscapeLen, 0, 0, 0};
    Spread(&escape, 1, kTcoefBits, out, [](TcoefEntry& e, const VlcCode& c) {
        e = {c.len, 0, 0, 0};
    });
}

void Signed(const TcoefEntry* table, int32_t* out) {
    for (uint32_t bits = 0; bits < (1u << kTcoefSignedBits); ++bits) {
        const TcoefEntry e = table[bits >> 1];
        if (!e.len || !e.level) {
            out[bits] = 0;
            continue;
        }
        const bool negative = (bits >> (kTcoefBits - e.len)) & 1;
        const int level = negative ? -e.level : e.level;
        out[bits] = static_cast<int32_t>(static_cast<uint32_t>(level) << 16 | e.run << 8 |
                                         e.last << 7 | (e.len + 1));
    }
}

const VlcLookups* Build() {
    using namespace tables;
    auto* t = new VlcLookups{};
    Plain(kMcbpcIntra, kMcbpcIntraSize, kMcbpcBits, t->mcbpc_intra);
    Plain(kMcbpcInter, kMcbpcInterSize, kMcbpcBits, t->mcbpc_inter);
    Plain(kCbpy, kCbpySize, kCbpyBits, t->cbpy);
    Plain(kDcSizeLuma, kDcSizeLumaSize, kDcSizeLumaBits, t->dc_size_luma);
    Plain(kDcSizeChroma, kDcSizeChromaSize, kDcSizeChromaBits, t->dc_size_chroma);
    Plain(kMotionCode, kMotionCodeSize, kMotionCodeBits, t->motion_code);
    Tcoef(kTcoefIntra, kTcoefIntraSize, t->tcoef_intra);
    Tcoef(kTcoefInter, kTcoefInterSize, t->tcoef_inter);
    Signed(t->tcoef_intra, t->tcoef_intra_signed);
    Signed(t->tcoef_inter, t->tcoef_inter_signed);
    return t;
}

// Built once at load and kept for the life of the process.
const std::unique_ptr<const VlcLookups> lookups(Build());

} // namespace

const VlcLookups& kVlc = *lookups;

} // namespace dvr::decoder
