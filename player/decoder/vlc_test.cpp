#include "player/decoder/vlc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

namespace dvr::decoder {
namespace {

struct PlainTable {
    const char* name;
    const VlcCode* codes;
    int count;
    const VlcEntry* lookup;
    int bits;
};

// Every code word is found again through its lookup at every continuation of its bits,
// and nothing else claims the code space: a transcription slip (a duplicate, a prefix,
// a wrong length) shows as a mismatch or as a wrong count of filled entries.
TEST(VlcLookups, EveryCodeDecodesToItsValueAndNothingOverlaps) {
    using namespace tables;
    const PlainTable cases[] = {
        {"mcbpc intra", kMcbpcIntra, kMcbpcIntraSize, kVlc.mcbpc_intra, kMcbpcBits},
        {"mcbpc inter", kMcbpcInter, kMcbpcInterSize, kVlc.mcbpc_inter, kMcbpcBits},
        {"cbpy", kCbpy, kCbpySize, kVlc.cbpy, kCbpyBits},
        {"dc size luma", kDcSizeLuma, kDcSizeLumaSize, kVlc.dc_size_luma, kDcSizeLumaBits},
        {"dc size chroma", kDcSizeChroma, kDcSizeChromaSize, kVlc.dc_size_chroma,
         kDcSizeChromaBits},
        {"motion code", kMotionCode, kMotionCodeSize, kVlc.motion_code, kMotionCodeBits},
    };
    for (const PlainTable& t : cases) {
        SCOPED_TRACE(t.name);
        long claimed = 0;
        for (int i = 0; i < t.count; ++i) {
            const VlcCode& c = t.codes[i];
            const int shift = t.bits - c.len;
            for (uint32_t k = 0; k < (1u << shift); ++k) {
                const VlcEntry& e = t.lookup[(c.code << shift) + k];
                ASSERT_EQ(e.len, c.len) << "code " << i;
                ASSERT_EQ(e.value, c.v0) << "code " << i;
            }
            claimed += 1L << shift;
        }
        long filled = std::count_if(t.lookup, t.lookup + (1 << t.bits),
                                    [](const VlcEntry& e) { return e.len != 0; });
        EXPECT_EQ(filled, claimed);
    }
}

TEST(VlcLookups, CoefficientTablesAndTheirEscape) {
    using namespace tables;
    struct Case {
        const char* name;
        const VlcCode* codes;
        int count;
        const TcoefEntry* lookup;
    };
    for (const Case& t : {Case{"intra", kTcoefIntra, kTcoefIntraSize, kVlc.tcoef_intra},
                          Case{"inter", kTcoefInter, kTcoefInterSize, kVlc.tcoef_inter}}) {
        SCOPED_TRACE(t.name);
        EXPECT_EQ(t.count, 102);
        for (int i = 0; i < t.count; ++i) {
            const VlcCode& c = t.codes[i];
            const TcoefEntry& e = t.lookup[c.code << (kTcoefBits - c.len)];
            EXPECT_EQ(e.len, c.len);
            EXPECT_EQ(e.last, c.v0);
            EXPECT_EQ(e.run, c.v1);
            EXPECT_EQ(e.level, c.v2);
        }
        const TcoefEntry& escape = t.lookup[0b0000011 << (kTcoefBits - 7)];
        EXPECT_EQ(escape.len, 7);
        EXPECT_EQ(escape.level, 0);
        // Below 8 (nine leading zeros) nothing is a code word.
        for (int v = 0; v < 8; ++v)
            EXPECT_EQ(t.lookup[v].len, 0);
    }
}

TEST(VlcTables, ScansArePermutations) {
    using namespace tables;
    for (const uint8_t* scan : {kScanZigzag, kScanHorizontal, kScanVertical}) {
        uint8_t sorted[64];
        std::copy(scan, scan + 64, sorted);
        std::sort(sorted, sorted + 64);
        uint8_t expected[64];
        std::iota(expected, expected + 64, 0);
        EXPECT_TRUE(std::equal(sorted, sorted + 64, expected));
    }
    // alternate-horizontal is the transpose of alternate-vertical
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ(kScanHorizontal[i], (kScanVertical[i] % 8) * 8 + kScanVertical[i] / 8);
}

} // namespace
} // namespace dvr::decoder
