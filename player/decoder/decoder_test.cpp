#include "player/decoder/decoder.h"
#include "player/decoder/idct.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <thread>
#include <vector>

#include "player/decoder/instance.h"
#include "player/decoder/simd.h"
#include "player/decoder/test_bitstream.h"
#include "player/decoder/test_pictures.h"

namespace dvr::decoder {
namespace {

using testing::BitWriter;
using testing::PutFlatIntraMacroblock;
using testing::PutVol;
using testing::PutVop;
using testing::VolFields;
using testing::VopFields;

using Instance = testing::TestInstance;
using testing::SimdScope;

VolFields Vol(int width, int height) {
    VolFields f;
    f.width = width;
    f.height = height;
    return f;
}

// VOL (unless null) and an I-VOP of flat macroblocks at quantiser q.
std::vector<uint8_t> FlatIntraRecord(const VolFields* vol, int macroblocks, int q = 4,
                                     int increment_bits = 5) {
    BitWriter w;
    if (vol) {
        PutVol(w, *vol);
        w.Stuff();
    }
    VopFields v;
    v.quant = q;
    v.increment_bits = increment_bits;
    PutVop(w, v);
    for (int i = 0; i < macroblocks; ++i)
        PutFlatIntraMacroblock(w);
    w.Stuff();
    return w.Data();
}

bool AllEqual(const std::vector<uint8_t>& v, uint8_t value) {
    return std::all_of(v.begin(), v.end(), [&](uint8_t x) { return x == value; });
}

TEST(DecoderInstances, SixteenSlotsThenRefusalThenReuse) {
    std::vector<int> handles;
    for (int i = 0; i < kInstanceCount; ++i) {
        uint8_t *in, *rgb;
        handles.push_back(InitDecoder(&in, &rgb, 352, 288));
        EXPECT_EQ(handles.back(), kFirstHandle + i);
    }
    uint8_t *in = nullptr, *rgb = nullptr;
    EXPECT_EQ(InitDecoder(&in, &rgb, 352, 288), 0);
    // The sixteen still work.
    int w = 0, h = 0;
    EXPECT_EQ(GetWH(handles[15], &w, &h), 1);
    EXPECT_EQ(w, 352);
    EXPECT_EQ(FreeDecoder(handles[5]), 1);
    EXPECT_EQ(InitDecoder(&in, &rgb, 352, 288), kFirstHandle + 5);
    for (int hnd : handles)
        EXPECT_EQ(FreeDecoder(hnd), 1);
    EXPECT_EQ(FreeDecoder(handles[0]), 0);
}

// Ports open on their own threads: each concurrent InitDecoder gets a slot of its own.
TEST(DecoderInstances, ConcurrentCreationNeverSharesASlot) {
    for (int round = 0; round < 20; ++round) {
        std::vector<int> handles(kInstanceCount + 2);
        std::vector<std::thread> threads;
        for (size_t i = 0; i < handles.size(); ++i)
            threads.emplace_back([&, i] {
                uint8_t *in, *rgb;
                handles[i] = InitDecoder(&in, &rgb, 64, 64);
            });
        for (auto& t : threads)
            t.join();
        std::vector<int> got;
        for (int h : handles)
            if (h) got.push_back(h);
        std::sort(got.begin(), got.end());
        ASSERT_EQ(got.size(), size_t(kInstanceCount));
        EXPECT_EQ(std::adjacent_find(got.begin(), got.end()), got.end());
        for (int h : got)
            EXPECT_EQ(FreeDecoder(h), 1);
    }
}

TEST(DecoderInstances, UnknownHandlesFailEveryCall) {
    for (int bad : {0, 999, 1016, 1003}) {
        int w, h;
        EXPECT_EQ(DecoderOneFrame(bad, 10), 0);
        EXPECT_EQ(GetYUV(bad), nullptr);
        EXPECT_EQ(GetWH(bad, &w, &h), 0);
        EXPECT_EQ(SetPostProcess(bad, 1), 0);
        EXPECT_EQ(SetFlip(bad, 1), 0);
        EXPECT_EQ(SetBright(bad, 8), 0);
        EXPECT_EQ(SetContrast(bad, 8), 0);
        EXPECT_EQ(SetBFrameType(bad, 1), 0);
        EXPECT_EQ(GetThrowBNum(bad, 1), 0);
        EXPECT_EQ(FreeDecoder(bad), 0);
    }
}

TEST(DecoderInstances, SizesTheStoresCannotHoldAreRefused) {
    uint8_t *in, *rgb;
    for (auto [w, h] : {std::pair{0, 288}, {352, 0}, {-16, 288}, {800, 288}, {352, 656}}) {
        EXPECT_EQ(InitDecoder(&in, &rgb, w, h), 0) << w << "x" << h;
    }
}

TEST(DecoderSettings, StepsOutsideTheirRangeChangeNothing) {
    Instance d(352, 288);
    struct Case {
        int step, result, brightness, contrast;
    };
    for (Case c : {Case{1, 1, -105, -6160}, Case{8, 1, 0, 8}, Case{17, 1, 135, 7920},
                   Case{0, 0, 135, 7920}, Case{18, 0, 135, 7920}}) {
        EXPECT_EQ(SetBright(d.handle(), c.step), c.result) << c.step;
        EXPECT_EQ(SetContrast(d.handle(), c.step), c.result) << c.step;
        EXPECT_EQ(d.state().brightness, c.brightness) << c.step;
        EXPECT_EQ(d.state().contrast, c.contrast) << c.step;
    }
    for (int f : {555, 565, 8888, 888})
        EXPECT_EQ(SetVideoFormat(f), 1);
    EXPECT_EQ(SetVideoFormat(24), 0);
    EXPECT_EQ(RgbOutputFormat, 888);
}

TEST(DecoderFrames, RecordsWithoutAPictureFailAndChangeNothing) {
    Instance d(32, 32);
    VolFields vol = Vol(32, 32);
    ASSERT_EQ(d.Decode(FlatIntraRecord(&vol, 4)), 1);
    const std::vector<uint8_t> before = d.Picture();
    BitWriter novop;
    novop.StartCode(0x000001B0).Put(1, 8).StartCode(0x000001B2).Put(0x55AA, 16);
    EXPECT_EQ(d.Decode(novop.Data()), 0);
    EXPECT_EQ(d.Decode({}), 0);
    EXPECT_EQ(DecoderOneFrame(d.handle(), 32 * 32 * 3 / 2 + 1), 0); // beyond the input buffer
    EXPECT_EQ(DecoderOneFrame(d.handle(), -1), 0);
    EXPECT_EQ(d.Picture(), before);
}

// Without any VOL the creation size and 4-bit time increments apply; a flat intra
// macroblock predicted from the border reconstructs to mid-grey.
TEST(DecoderFrames, WithoutVolTheDefaultsDecode) {
    Instance d(32, 16);
    ASSERT_EQ(d.Decode(FlatIntraRecord(nullptr, 2, 4, 4)), 1);
    int w, h;
    GetWH(d.handle(), &w, &h);
    EXPECT_EQ(w, 32);
    EXPECT_EQ(h, 16);
    EXPECT_TRUE(AllEqual(d.Picture(), 128));
}

TEST(DecoderFrames, VolSizeSwitchesThePictureAndOversizeIsRefused) {
    Instance d(720, 576);
    VolFields small = Vol(16, 32);
    ASSERT_EQ(d.Decode(FlatIntraRecord(&small, 2)), 1);
    int w, h;
    GetWH(d.handle(), &w, &h);
    EXPECT_EQ(w, 16);
    EXPECT_EQ(h, 32);
    EXPECT_EQ(d.Picture().size(), 16u * 32 * 3 / 2);

    VolFields big = Vol(736, 576);
    EXPECT_EQ(d.Decode(FlatIntraRecord(&big, 1)), 0);
    GetWH(d.handle(), &w, &h);
    EXPECT_EQ(w, 16);
    EXPECT_EQ(h, 32);
}

TEST(DecoderFrames, RefusedFeaturesFailTheRecord) {
    struct Case {
        const char* name;
        void (*set)(VolFields&);
    };
    const Case cases[] = {
        {"sprite", [](VolFields& f) { f.sprite = 1; }},
        {"quarter sample", [](VolFields& f) { f.verid = 2, f.quarter_sample = 1; }},
        {"MPEG quantisation", [](VolFields& f) { f.quant_type = 1; }},
        {"complexity estimation", [](VolFields& f) { f.complexity_disable = 0; }},
        {"interlaced", [](VolFields& f) { f.interlaced = 1; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Instance d(16, 16);
        VolFields vol = Vol(16, 16);
        c.set(vol);
        EXPECT_EQ(d.Decode(FlatIntraRecord(&vol, 1)), 0);
    }
}

// I-VOP, then a P-VOP with vop_coded 0: the second picture repeats the first.
TEST(DecoderFrames, UncodedVopRepeatsTheReference) {
    Instance d(16, 16);
    BitWriter w;
    VolFields vol = Vol(16, 16);
    PutVol(w, vol);
    w.Stuff();
    VopFields v;
    PutVop(w, v);
    w.Code("1").Code("0").Code("0011");
    w.Code("010").Code("101"); // block 0: DC size 3, +5
    for (int b = 1; b < 4; ++b)
        w.Code("011");
    w.Code("11").Code("11");
    w.Stuff();
    ASSERT_EQ(d.Decode(w.Data()), 1);
    const std::vector<uint8_t> first = d.Picture();
    // Blocks 1 to 3 predict their DC from block 0 or each other.
    EXPECT_EQ(first[0], 128 + 5);
    EXPECT_EQ(first[15 * 16 + 15], 128 + 5);
    EXPECT_EQ(first[256], 128);

    BitWriter p;
    VopFields skip;
    skip.type = 1;
    skip.coded = 0;
    PutVop(p, skip);
    p.Stuff();
    ASSERT_EQ(d.Decode(p.Data()), 1);
    EXPECT_EQ(d.Picture(), first);
}

// Macroblock-level rules on a single 16x16 picture, at both transforms.
struct MacroblockCase {
    const char* name;
    int q;
    void (*write)(BitWriter&);
    int ok;
    int luma0, luma1, chroma; // pixel values of block 0, block 1 and both chroma blocks
};

void Grey(BitWriter& w) {
    PutFlatIntraMacroblock(w);
}

const MacroblockCase kMacroblockCases[] = {
    {"flat", 4, Grey, 1, 128, 128, 128},
    {"stuffing before MCBPC", 4,
     [](BitWriter& w) {
         w.Code("000000001").Code("000000001");
         PutFlatIntraMacroblock(w);
     },
     1, 128, 128, 128},
    // DC 1024 / 8 = 128 + differential -5 (size 3, bits 010); block 1 predicts from it
    {"negative DC differential", 4,
     [](BitWriter& w) {
         w.Code("1").Code("0").Code("0011").Code("010").Code("010");
         for (int b = 1; b < 4; ++b)
             w.Code("011");
         w.Code("11").Code("11");
     },
     1, 123, 123, 128},
    // Quantiser 31 with dquant +2 stays 31 (scaler 46: 1024 -> 22 * 46 = 1012 -> 127);
    // at 33 it would be scaler 50 and 125.
    {"dquant clamps at 31", 31,
     [](BitWriter& w) {
         w.Code("0001").Code("0").Code("0011").Code("11");
         for (int b = 0; b < 4; ++b)
             w.Code("011");
         w.Code("11").Code("11");
     },
     1, 127, 127, 128},
    // A fixed-length escape whose run passes position 63 ends the block in place.
    {"run past the last position", 4,
     [](BitWriter& w) {
         w.Code("1").Code("0").Code("00011"); // CBPY 0100: block 1 coded
         w.Code("011");                       // block 0
         w.Code("011");                       // block 1, then its coefficient
         w.Code("0000011").Code("11").Code("1").Put(63, 6).Code("1").Put(100, 12).Code("1");
         for (int b = 2; b < 4; ++b)
             w.Code("011");
         w.Code("11").Code("11");
     },
     1, 128, 128, 128},
    // A coefficient code that is in no table ends the block; it is not a failure.
    {"invalid coefficient code ends the block", 4,
     [](BitWriter& w) {
         w.Code("001").Code("0").Code("0011"); // Cr coded
         for (int b = 0; b < 4; ++b)
             w.Code("011");
         w.Code("11").Code("11").Code("000000000000");
     },
     1, 128, 128, 128},
    {"invalid MCBPC", 4, [](BitWriter& w) { w.Code("0000000000"); }, 0, -1, -1, -1},
    {"invalid CBPY", 4, [](BitWriter& w) { w.Code("1").Code("0").Code("000000"); }, 0, -1, -1, -1},
};

class Macroblocks : public ::testing::TestWithParam<int> {};

TEST_P(Macroblocks, DecodeAsTheRulesSay) {
    SimdScope simd(GetParam());
    for (const MacroblockCase& c : kMacroblockCases) {
        SCOPED_TRACE(c.name);
        Instance d(16, 16);
        BitWriter w;
        VopFields v;
        v.quant = c.q;
        v.increment_bits = 4;
        PutVop(w, v);
        c.write(w);
        w.Stuff();
        ASSERT_EQ(d.Decode(w.Data()), c.ok);
        if (!c.ok) continue;
        std::vector<uint8_t> pic = d.Picture();
        EXPECT_EQ(pic[0], c.luma0);
        EXPECT_EQ(pic[16 * 7 + 7], c.luma0);
        EXPECT_EQ(pic[8], c.luma1);
        EXPECT_EQ(pic[256], c.chroma);
        EXPECT_EQ(pic[256 + 64 + 63], c.chroma);
    }
}

INSTANTIATE_TEST_SUITE_P(SimdLevels, Macroblocks, ::testing::Values(0, 1, 2));

// Two macroblocks, one above the other. The upper one (q 4) codes level 3 at position 1
// of its block 2; the lower one changes the quantiser to 6 and predicts block 0 from
// above with AC prediction: the level is taken as it is (3, not rescaled to 2) and
// dequantised at 6: 2 * 6 * 3 + 5 = 41.
TEST(IntraPrediction, AcPredictionTakesLevelsAcrossAQuantiserChangeUnscaled) {
    SimdScope simd(0);
    Instance d(16, 32);
    BitWriter w;
    VopFields v;
    v.quant = 4;
    v.increment_bits = 4;
    PutVop(w, v);
    w.Code("1").Code("0").Code("00100"); // intra, no AC prediction, block 2 coded
    w.Code("011").Code("011");           // blocks 0 and 1: DC 128
    w.Code("010").Code("101");           // block 2: DC 128 + 5 ...
    w.Code("00010110").Code("0");        // ... and (last, run 0, level +3)
    w.Code("011").Code("11").Code("11");
    w.Code("0001").Code("1").Code("0011").Code("11"); // intra+q, AC prediction, +2
    for (int b = 0; b < 4; ++b)
        w.Code("011");
    w.Code("11").Code("11");
    w.Stuff();
    ASSERT_EQ(d.Decode(w.Data()), 1);

    // Block 0 of the lower macroblock: DC from above, 1064 at scaler 12 -> 89 * 12.
    alignas(16) int16_t expected[64] = {};
    expected[0] = 89 * 12;
    expected[1] = 41;
    IdctChenWang(expected);
    const std::vector<uint8_t> pic = d.Picture();
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(pic[(16 + y) * 16 + x], std::clamp<int>(expected[8 * y + x], 0, 255))
                << x << "," << y;
}

// A packed record of P-VOP (time 3), B-VOP (time 1) and B-VOP (time 2), all uncoded so
// that only the order of their headers and of the anchor delivery is seen.
std::vector<uint8_t> PackedRecord(int b_count) {
    BitWriter w;
    VopFields p;
    p.type = 1;
    p.coded = 0;
    p.increment = 3;
    PutVop(w, p);
    for (int i = 1; i <= b_count; ++i) {
        VopFields b;
        b.type = 2;
        b.coded = 0;
        b.increment = i;
        PutVop(w, b);
    }
    w.Stuff();
    return w.Data();
}

TEST(PackedRecords, PicturesComeInDisplayOrder) {
    struct Case {
        int b_count, drop;
        std::vector<int> order; // time increment of each delivered B, 0 for the anchor
    };
    const Case cases[] = {
        {2, 0, {1, 2, 0}}, {1, 0, {1, 0}},
        {2, 1, {1, 0}}, // the first B-VOP of the record is the one kept
        {1, 1, {0}},       {2, 2, {0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.b_count << " B, " << c.drop << " dropped");
        Instance d(16, 16);
        VolFields vol = Vol(16, 16);
        ASSERT_EQ(d.Decode(FlatIntraRecord(&vol, 1)), 1);
        GetThrowBNum(d.handle(), c.drop);
        ASSERT_EQ(d.Decode(PackedRecord(c.b_count), c.b_count), 1);
        // Mark the anchor: uncoded B pictures show the reference, the anchor shows this.
        InstanceOf(d.handle())->anchor->y[0] = 7;
        if (c.b_count - c.drop <= 0) {
            // The P picture alone, already in the output.
            EXPECT_EQ(d.state().packed_b_count, 0);
            EXPECT_EQ(d.state().pending_pictures, 0);
            EXPECT_EQ(d.state().hdr.vop_time_increment, 3);
            continue;
        }
        std::vector<int> seen;
        for (size_t i = 0; i < c.order.size(); ++i) {
            const std::vector<uint8_t> pic = d.Picture();
            seen.push_back(pic[0] == 7 ? 0 : d.state().hdr.vop_time_increment);
        }
        EXPECT_EQ(seen, c.order);
        // The next P picture predicts from the anchor.
        EXPECT_EQ(d.state().reference->y[0], 7);
    }
}

TEST(PackedRecords, MissingBPiecesFailTheRecord) {
    Instance d(16, 16);
    VolFields vol = Vol(16, 16);
    ASSERT_EQ(d.Decode(FlatIntraRecord(&vol, 1)), 1);
    EXPECT_EQ(d.Decode(PackedRecord(1), 2), 0); // two announced, one there
    EXPECT_EQ(d.Decode(PackedRecord(0), 1), 0);
    // An I-VOP where a packed record was announced is a single picture.
    ASSERT_EQ(d.Decode(FlatIntraRecord(&vol, 1), 2), 1);
    EXPECT_EQ(d.state().pending_pictures, 0);
    EXPECT_TRUE(AllEqual(d.Picture(), 128));
}

} // namespace
} // namespace dvr::decoder
