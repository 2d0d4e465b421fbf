// Variable-length code tables and the flat lookup tables built from them.
#pragma once

#include <cstdint>

namespace dvr::decoder {

// One code word: its bits (first bit read is the most significant of len bits) and
// up to three values.
struct VlcCode {
    uint32_t code;
    uint8_t len;
    int16_t v0, v1, v2;
};

namespace tables {
// MCBPC value: mb_type | cbpc << 4; -1 is macroblock stuffing.
extern const VlcCode kMcbpcIntra[];
extern const int kMcbpcIntraSize;
extern const VlcCode kMcbpcInter[];
extern const int kMcbpcInterSize;
extern const VlcCode kCbpy[]; // intra meaning
extern const int kCbpySize;
extern const VlcCode kMotionCode[];
extern const int kMotionCodeSize;
extern const VlcCode kDcSizeLuma[];
extern const int kDcSizeLumaSize;
extern const VlcCode kDcSizeChroma[];
extern const int kDcSizeChromaSize;
// (last, run, level); the sign bit follows each code. The escape 0000011 is not listed.
extern const VlcCode kTcoefInter[];
extern const int kTcoefInterSize;
extern const VlcCode kTcoefIntra[];
extern const int kTcoefIntraSize;
// [last][run] and [last][level]; 0 where the table has no such entry.
extern const uint8_t kLmaxIntra[2][64];
extern const uint8_t kLmaxInter[2][64];
extern const uint8_t kRmaxIntra[2][64];
extern const uint8_t kRmaxInter[2][64];
// Scan position -> raster index.
extern const uint8_t kScanZigzag[64];
extern const uint8_t kScanHorizontal[64];
extern const uint8_t kScanVertical[64];
} // namespace tables

// Flat lookups indexed by the next `bits` bits of the stream. len 0: no code starts there.
struct VlcEntry {
    int16_t value;
    uint8_t len;
};
struct TcoefEntry {
    uint8_t len; // 0: invalid
    uint8_t last;
    uint8_t run;
    uint8_t level; // 0: the escape code
};

constexpr int kMcbpcBits = 9;
constexpr int kCbpyBits = 6;
constexpr int kDcSizeLumaBits = 11;
constexpr int kDcSizeChromaBits = 12;
constexpr int kMotionCodeBits = 13;
constexpr int kTcoefBits = 12;
constexpr int kTcoefEscapeLen = 7;
// Coefficient events by the next 13 bits (the longest code and its sign bit), packed in
// one word: bits 0..4 the length with the sign bit (0: the escape or no code), bit 7
// last, bits 8..13 the run, bits 16..31 the signed level.
constexpr int kTcoefSignedBits = kTcoefBits + 1;
inline int TcoefLength(int32_t e) { return e & 31; }
inline int TcoefLast(int32_t e) { return (e >> 7) & 1; }
inline int TcoefRun(int32_t e) { return (e >> 8) & 63; }
inline int TcoefLevel(int32_t e) { return e >> 16; }

struct VlcLookups {
    VlcEntry mcbpc_intra[1 << kMcbpcBits];
    VlcEntry mcbpc_inter[1 << kMcbpcBits];
    VlcEntry cbpy[1 << kCbpyBits];
    VlcEntry dc_size_luma[1 << kDcSizeLumaBits];
    VlcEntry dc_size_chroma[1 << kDcSizeChromaBits];
    VlcEntry motion_code[1 << kMotionCodeBits];
    TcoefEntry tcoef_intra[1 << kTcoefBits];
    TcoefEntry tcoef_inter[1 << kTcoefBits];
    int32_t tcoef_intra_signed[1 << kTcoefSignedBits];
    int32_t tcoef_inter_signed[1 << kTcoefSignedBits];
};

extern const VlcLookups& kVlc;

} // namespace dvr::decoder
