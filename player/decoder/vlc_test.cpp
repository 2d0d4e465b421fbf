#include "player/decoder/vlc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <utility>
#include <vector>

#include "player/decoder/instance.h"
#include "player/decoder/test_bitstream.h"

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

// Coefficient events read from a register window: table codes and the three escapes,
// with where each leaves the reader (the next block starts there).
TEST(BlockCoefficients, EscapesDecodeAndConsumeTheirBits) {
    using testing::BitWriter;
    struct Case {
        const char* name;
        void (*write)(BitWriter&);
        std::vector<std::pair<int, int>> levels; // scan position, level
        int end;                                 // scan position after the last level
        size_t consumed;
    };
    constexpr const char* kEscape = "0000011";
    const Case cases[] = {
        {"level grows by LMAX",
         [](BitWriter& w) { w.Code(kEscape).Code("0").Code("100").Code("01110"); },
         {{0, 13}, {1, 1}},
         2,
         16},
        {"negative level grows away from zero",
         [](BitWriter& w) { w.Code(kEscape).Code("0").Code("101").Code("01110"); },
         {{0, -13}, {1, 1}},
         2,
         16},
        {"run grows by RMAX + 1",
         [](BitWriter& w) { w.Code(kEscape).Code("10").Code("1100").Code("01110"); },
         {{28, 1}, {29, 1}},
         30,
         18},
        {"fixed length, last",
         [](BitWriter& w) {
             w.Code(kEscape).Code("11").Code("1").Put(5, 6).Code("1").Put(0xF9C, 12).Code("1");
         },
         {{5, -100}},
         6,
         30},
        {"no code after the escape ends the block past the escape",
         [](BitWriter& w) { w.Code(kEscape).Code("0").Code("000000000000"); },
         {},
         0,
         8},
        {"no code ends the block where it starts",
         [](BitWriter& w) { w.Code("100").Code("000000000000"); },
         {{0, 1}},
         1,
         3},
        {"escapes between table codes across window refills",
         [](BitWriter& w) {
             w.Code("1111").Code("0"); // level 2
             w.Code("1111").Code("1"); // level -2
             for (int level : {2047, -2048, 500}) {
                 w.Code(kEscape).Code("11").Code("0").Put(1, 6).Code("1");
                 w.Put(static_cast<uint32_t>(level) & 0xFFF, 12).Code("1");
             }
             w.Code(kEscape).Code("10").Code("1100"); // run 1 + 27
             w.Code(kEscape).Code("11").Code("1").Put(0, 6).Code("1").Put(7, 12).Code("1");
         },
         {{0, 2}, {1, -2}, {3, 2047}, {5, -2048}, {7, 500}, {36, 1}, {37, 7}},
         38,
         10 + 3 * 30 + 13 + 30},
    };
    for (const Case& c : cases) {
        BitWriter w;
        c.write(w);
        w.Code("1").ZeroAlign(); // a bit that belongs to what follows
        BitReader br;
        br.Point(w.Data().data(), w.Data().size());
        alignas(16) int16_t block[64] = {};
        const int end = ReadBlockCoefficients(br, kVlc.tcoef_inter_signed, tables::kLmaxInter,
                                              tables::kRmaxInter, block, tables::kScanZigzag, 0,
                                              [](int l) { return l; });
        EXPECT_EQ(end, c.end) << c.name;
        EXPECT_EQ(br.Consumed(), c.consumed) << c.name;
        int16_t expected[64] = {};
        for (auto [pos, level] : c.levels)
            expected[tables::kScanZigzag[pos]] = static_cast<int16_t>(level);
        EXPECT_TRUE(std::equal(block, block + 64, expected)) << c.name;
    }
}

} // namespace
} // namespace dvr::decoder
