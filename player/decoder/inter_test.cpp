// P pictures built bit by bit over a textured reference.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "player/decoder/motion.h"
#include "player/decoder/test_bitstream.h"
#include "player/decoder/test_pictures.h"

namespace dvr::decoder {
namespace {

using testing::BitWriter;
using testing::Busy;
using testing::Inter;
using testing::Inter4v;
using testing::IntraRecord;
using testing::PVop;
using testing::Skipped;
using testing::TestInstance;
using testing::VopFields;

// A decoder holding the texture as its reference picture, ready for a P-VOP.
class PTest {
public:
    PTest(int width, int height, int quant_type = 0) : d_(width, height) {
        // MPEG quantisation fails the intra blocks too; the texture replaces them anyway.
        const int decoded = d_.Decode(IntraRecord(width, height, quant_type));
        if (quant_type == 0) {
            EXPECT_EQ(decoded, 1);
        }
        testing::Paint(d_.state(), *d_.state().reference, Busy);
    }
    int Decode(BitWriter& w) {
        w.Stuff();
        return d_.Decode(w.Data());
    }
    TestInstance& d() { return d_; }
    MotionVector Vector(int mbx, int mby, int b) {
        return d_.state().mv[mby * kMaxMbCols + mbx][b];
    }

private:
    TestInstance d_;
};

// The picture that the vectors of each macroblock make from the texture.
testing::Yuv Expected(int w, int h, const std::vector<std::vector<MotionVector>>& vectors,
                      int rounding) {
    testing::Yuv out(w, h);
    const int cols = w / 16;
    for (int m = 0; m < int(vectors.size()); ++m) {
        const int mx = m % cols, my = m / cols;
        const std::vector<MotionVector>& v = vectors[m];
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const MotionVector bv = v.size() == 4 ? v[(y / 8) * 2 + x / 8] : v[0];
                out.At(0, 16 * mx + x, 16 * my + y) = static_cast<uint8_t>(testing::Interpolate(
                    Busy, 0, w, h, 16 * mx + x, 16 * my + y, bv.x, bv.y, rounding));
            }
        int cx, cy;
        if (v.size() == 4) {
            cx = ChromaVectorOfSum(v[0].x + v[1].x + v[2].x + v[3].x);
            cy = ChromaVectorOfSum(v[0].y + v[1].y + v[2].y + v[3].y);
        } else {
            cx = ChromaVector(v[0].x);
            cy = ChromaVector(v[0].y);
        }
        for (int p = 1; p < 3; ++p)
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x)
                    out.At(p, 8 * mx + x, 8 * my + y) = static_cast<uint8_t>(testing::Interpolate(
                        Busy, p, w / 2, h / 2, 8 * mx + x, 8 * my + y, cx, cy, rounding));
    }
    return out;
}

class PPictures : public ::testing::TestWithParam<int> {};

TEST_P(PPictures, SkippedMacroblocksCopyTheReference) {
    testing::SimdScope level(GetParam());
    PTest t(48, 32);
    BitWriter w;
    PutVop(w, PVop(1));
    for (int i = 0; i < 6; ++i)
        Skipped(w);
    ASSERT_EQ(t.Decode(w), 1);
    EXPECT_EQ(t.d().Picture(),
              Expected(48, 32, std::vector<std::vector<MotionVector>>(6, {{0, 0}}), 1).data);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(t.d().state().mode[(i / 3) * kModeStride + i % 3], -1);
}

// Vectors predict from the left, above and above-right blocks, and the picture is the
// texture moved by them, four-vector chroma from the sum of the four.
TEST_P(PPictures, VectorsPredictFromNeighboursAndMoveThePicture) {
    testing::SimdScope level(GetParam());
    for (int rounding : {0, 1}) {
        SCOPED_TRACE(::testing::Message() << "rounding " << rounding);
        PTest t(48, 32);
        BitWriter w;
        PutVop(w, PVop(rounding));
        Inter(w, 2, -1);                               // predicts 0: (2, -1)
        Inter4v(w, {{1, 0}, {0, 2}, {-1, 0}, {0, 0}}); // see below
        Inter(w, 0, 0);                                // row 0: the left block alone
        Inter(w, 0, 0);                                // median of 0, above, above right
        Skipped(w);                                    // zero vectors
        Inter(w, 1, 1);                                // last column: above right is 0
        ASSERT_EQ(t.Decode(w), 1);
        const std::vector<std::vector<MotionVector>> expected = {
            {{2, -1}}, {{3, -1}, {3, 1}, {2, -1}, {3, -1}}, {{3, 1}}, {{2, -1}}, {{0, 0}}, {{1, 1}},
        };
        for (int m = 0; m < 6; ++m)
            for (int b = 0; b < 4; ++b) {
                const MotionVector v = t.Vector(m % 3, m / 3, b);
                const MotionVector e = expected[m][expected[m].size() == 4 ? b : 0];
                EXPECT_EQ(v.x, e.x) << "macroblock " << m << " block " << b;
                EXPECT_EQ(v.y, e.y) << "macroblock " << m << " block " << b;
                const MotionVector c = t.d().state().colocated[(m / 3) * kMaxMbCols + m % 3][b];
                EXPECT_EQ(c.x, e.x);
                EXPECT_EQ(c.y, e.y);
            }
        EXPECT_EQ(t.d().Picture(), Expected(48, 32, expected, rounding).data);
    }
}

TEST_P(PPictures, VectorsFarOutsideThePictureSeeItsEdges) {
    testing::SimdScope level(GetParam());
    struct Case {
        const char *x, *y; // codes with their residual bits at f_code 7
        MotionVector v;
    };
    const Case cases[] = {
        {"0000000000110"
         "111111",
         "0000000000111"
         "111111",
         {1984, -1984}},
        {"0000000000111"
         "111111",
         "0000000000110"
         "111110",
         {-1984, 1983}},
        {"0000000000110"
         "000000",
         "011"
         "000101",
         {1921, -6}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "vector " << c.v.x << "," << c.v.y);
        PTest t(32, 32);
        BitWriter w;
        PutVop(w, PVop(0, 7));
        w.Code("0").Code("1").Code("11").Code(c.x).Code(c.y);
        Skipped(w);
        Skipped(w);
        Skipped(w);
        ASSERT_EQ(t.Decode(w), 1);
        EXPECT_EQ(t.Vector(0, 0, 0).x, c.v.x);
        EXPECT_EQ(t.Vector(0, 0, 0).y, c.v.y);
        EXPECT_EQ(t.d().Picture(), Expected(32, 32, {{c.v}, {{0, 0}}, {{0, 0}}, {{0, 0}}}, 0).data);
    }
}

INSTANTIATE_TEST_SUITE_P(SimdLevels, PPictures, ::testing::Values(0, 1, 2));

TEST(PVectors, WrapIntoTheRangeOfTheirFcode) {
    struct Case {
        int fcode;
        const char *first, *second; // x differences of two macroblocks in row 0
        int x0, x1;
    };
    const Case cases[] = {
        {1, "0000000000110", "0010", 31, -31}, // 31 + 2 = 33 wraps
        {1, "0000000000111", "0011", -31, 31}, // -31 - 2 = -33 wraps
        {1, "0000000000100", "1", -32, -32},   // 32 is beyond 31 at once
        {2,
         "0000000000100"
         "1",
         "011"
         "0",
         -64, 63}, // (32 - 1) * 2 + 1 + 1 = 64
        {2,
         "0010"
         "1",
         "0010"
         "0",
         4, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "f_code " << c.fcode << " " << c.first << " " << c.second);
        PTest t(32, 16);
        BitWriter w;
        PutVop(w, PVop(0, c.fcode));
        w.Code("0").Code("1").Code("11").Code(c.first).Code("1");
        w.Code("0").Code("1").Code("11").Code(c.second).Code("1");
        ASSERT_EQ(t.Decode(w), 1);
        EXPECT_EQ(t.Vector(0, 0, 0).x, c.x0);
        EXPECT_EQ(t.Vector(1, 0, 0).x, c.x1);
    }
}

TEST(PMacroblocks, QuantiserChangesStayWithin1To31) {
    struct Case {
        int quant;
        const char* dquant;
        int expected;
    };
    const Case cases[] = {{1, "01", 1},   {2, "01", 1},   {2, "00", 1},  {31, "11", 31},
                          {30, "11", 31}, {30, "10", 31}, {9, "11", 11}, {9, "01", 7}};
    for (const Case& c : cases) {
        PTest t(16, 16);
        BitWriter w;
        PutVop(w, PVop(0, 1, c.quant));
        w.Code("0").Code("011").Code("11").Code(c.dquant).Code("1").Code("1");
        ASSERT_EQ(t.Decode(w), 1);
        EXPECT_EQ(t.d().state().quant, c.expected) << c.quant << " with " << c.dquant;
    }
}

// Stuffing is a macroblock of its own: the next macroblock follows with its not_coded
// bit, and nothing in the picture changes.
TEST(PMacroblocks, StuffingBetweenMacroblocksChangesNothing) {
    std::vector<uint8_t> plain;
    for (int stuffing : {0, 1, 2}) {
        PTest t(32, 16);
        BitWriter w;
        PutVop(w, PVop());
        for (int i = 0; i < stuffing; ++i)
            w.Code("0").Code("000000001");
        Inter(w, 2, 1);
        for (int i = 0; i < stuffing; ++i)
            w.Code("0").Code("000000001");
        Skipped(w);
        ASSERT_EQ(t.Decode(w), 1) << stuffing << " stuffing";
        if (stuffing == 0) plain = t.d().Picture();
        EXPECT_EQ(t.d().Picture(), plain) << stuffing << " stuffing";
        EXPECT_EQ(t.Vector(0, 0, 0).x, 2);
    }
}

TEST(PMacroblocks, CodeWordsInNoTableFailTheRecord) {
    struct Case {
        const char* name;
        const char* bits;
    };
    const Case cases[] = {
        {"MCBPC", "0"
                  "000000000"},
        {"CBPY", "0"
                 "1"
                 "000001"},
    };
    for (const Case& c : cases) {
        PTest t(16, 16);
        BitWriter w;
        PutVop(w, PVop());
        w.Code(c.bits);
        EXPECT_EQ(t.Decode(w), 0) << c.name;
    }
}

// MPEG quantisation is not decoded: every inter macroblock fails, coded blocks or not;
// skipped ones need no blocks.
TEST(PMacroblocks, MpegQuantisationFailsInterMacroblocks) {
    PTest skipped(16, 16, 1);
    BitWriter w1;
    PutVop(w1, PVop());
    Skipped(w1);
    EXPECT_EQ(skipped.Decode(w1), 1);
    PTest inter(16, 16, 1);
    BitWriter w2;
    PutVop(w2, PVop());
    Inter(w2, 0, 0);
    EXPECT_EQ(inter.Decode(w2), 0);
}

} // namespace
} // namespace dvr::decoder
