// B pictures of packed records, built bit by bit between two textured anchors.
#include <gtest/gtest.h>

#include <vector>

#include "player/decoder/motion.h"
#include "player/decoder/test_bitstream.h"
#include "player/decoder/test_pictures.h"

namespace dvr::decoder {
namespace {

using testing::BitWriter;
using testing::Busy;
using testing::Inter;
using testing::MotionCode;
using testing::Other;
using testing::Skipped;
using testing::TestInstance;
using testing::VopFields;

TEST(DirectMode, VectorsTakeTheFixedRatiosOfTheColocatedVector) {
    struct Case {
        BPicture place;
        MotionVector colocated, delta, forward, backward;
    };
    const Case cases[] = {
        {BPicture::kOnly, {4, -2}, {0, 0}, {2, -1}, {-2, 1}},
        {BPicture::kFirstOfTwo, {3, 3}, {0, 0}, {1, 1}, {-1, -1}}, // not -2: single precision
        {BPicture::kSecondOfTwo, {3, 3}, {0, 0}, {2, 2}, {0, 0}},
        {BPicture::kFirstOfTwo, {-3, 6}, {0, 0}, {-1, 2}, {1, -3}},
        {BPicture::kOnly, {5, -5}, {0, 0}, {2, -2}, {-2, 2}}, // truncated toward zero
        {BPicture::kOnly, {4, -2}, {1, 0}, {3, -1}, {-1, 1}}, // a delta: forward - colocated
        {BPicture::kSecondOfTwo, {6, 0}, {-1, 2}, {3, 2}, {-3, 2}},
    };
    TestInstance t(32, 32);
    DecoderInstance& d = t.state();
    d.mb_x = 1;
    d.mb_y = 1;
    for (const Case& c : cases) {
        d.colocated[kMaxMbCols + 1][0] = c.colocated;
        d.colocated[kMaxMbCols + 1][1] = {99, 99}; // blocks 1 to 3 play no part
        d.b_picture = c.place;
        MotionVector f, b;
        DirectVectors(d, c.delta, &f, &b);
        SCOPED_TRACE(::testing::Message() << "colocated " << c.colocated.x << "," << c.colocated.y
                                          << " delta " << c.delta.x << "," << c.delta.y);
        EXPECT_EQ(f.x, c.forward.x);
        EXPECT_EQ(f.y, c.forward.y);
        EXPECT_EQ(b.x, c.backward.x);
        EXPECT_EQ(b.y, c.backward.y);
    }
}

void Code(BitWriter& w, int dx, int dy) {
    w.Code(MotionCode(dx).c_str()).Code(MotionCode(dy).c_str());
}

// Six B macroblocks of a 48 x 32 picture, one of each kind.
void SixMacroblocks(BitWriter& w) {
    w.Code("1"); // direct, no delta
    w.Code("01").Code("0001");
    Code(w, 2, 1); // forward (2, 1)
    w.Code("01").Code("01");
    Code(w, 1, 0);  // interpolate: forward (3, 1)
    Code(w, -3, 2); // backward (-3, 2)
    w.Code("01").Code("0001");
    Code(w, 1, 1); // forward at column 0: the predictor starts again from 0, (1, 1)
    w.Code("01").Code("1");
    Code(w, 1, 0); // direct with delta (1, 0)
    w.Code("00").Code("001").Code("000000");
    Code(w, 1, -1); // backward, no coded blocks: (1, -1)
}

enum Kind { kForward, kBackward, kBoth };
struct Mb {
    Kind kind;
    MotionVector forward, backward;
};

// The picture that each macroblock's vectors make from the reference texture (forward)
// and the anchor texture (backward), averages truncated.
testing::Yuv Expected(int w, int h, const std::vector<Mb>& mbs) {
    testing::Yuv out(w, h);
    const int cols = w / 16;
    for (int m = 0; m < int(mbs.size()); ++m) {
        const Mb& mb = mbs[m];
        for (int p = 0; p < 3; ++p) {
            const int n = p ? 8 : 16, pw = p ? w / 2 : w, ph = p ? h / 2 : h;
            const int x0 = n * (m % cols), y0 = n * (m / cols);
            auto vec = [&](MotionVector v, bool x) {
                const int c = x ? v.x : v.y;
                return p ? ChromaVector(c) : c;
            };
            for (int y = y0; y < y0 + n; ++y)
                for (int x = x0; x < x0 + n; ++x) {
                    const int f = testing::Interpolate(Busy, p, pw, ph, x, y, vec(mb.forward, true),
                                                       vec(mb.forward, false), 0);
                    const int b = testing::Interpolate(
                        Other, p, pw, ph, x, y, vec(mb.backward, true), vec(mb.backward, false), 0);
                    out.At(p, x, y) = static_cast<uint8_t>(mb.kind == kForward    ? f
                                                           : mb.kind == kBackward ? b
                                                                                  : (f + b) >> 1);
                }
        }
    }
    return out;
}

// Texture Busy as the reference, a packed record whose P picture has the vector (4, -2)
// everywhere, and texture Other painted over its anchor before the B pictures decode.
class BTest {
public:
    BTest() : d_(48, 32) {
        EXPECT_EQ(d_.Decode(testing::IntraRecord(48, 32)), 1);
        testing::Paint(d_.state(), *d_.state().reference, Busy);
    }
    int DecodePacked(int count, int drop) {
        BitWriter w;
        PutVop(w, testing::PVop());
        for (int m = 0; m < 6; ++m) {
            if (m == 0)
                Inter(w, 4, -2);
            else
                Inter(w, 0, 0); // every predictor is (4, -2) already
        }
        for (int i = 0; i < count; ++i) {
            VopFields b;
            b.type = 2;
            PutVop(w, b);
            SixMacroblocks(w);
        }
        w.Stuff();
        GetThrowBNum(d_.handle(), drop);
        const int r = d_.Decode(w.Data(), count);
        testing::Paint(d_.state(), *d_.state().anchor, Other);
        return r;
    }
    TestInstance& d() { return d_; }

private:
    TestInstance d_;
};

class BPictures : public ::testing::TestWithParam<int> {};

TEST_P(BPictures, MacroblocksPredictAsTheirModesSay) {
    testing::SimdScope level(GetParam());
    // The direct macroblocks (0 and 4) by the place of the B picture.
    struct Direct {
        MotionVector f0, b0, f4, b4;
    };
    const Direct only{{2, -1}, {-2, 1}, {3, -1}, {-1, 1}};
    const Direct first{{1, 0}, {-2, 1}, {2, 0}, {-2, 1}};
    const Direct second{{2, -1}, {-1, 0}, {3, -1}, {-1, 0}};
    struct Case {
        int count, drop;
        std::vector<Direct> pictures; // the B pictures delivered, in order
    };
    const Case cases[] = {
        {1, 0, {only}},
        {2, 0, {first, second}},
        {2, 1, {first}}, // the kept one is the first B-VOP of the record
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.count << " B, " << c.drop << " dropped");
        BTest t;
        ASSERT_EQ(t.DecodePacked(c.count, c.drop), 1);
        for (const Direct& dv : c.pictures) {
            const std::vector<Mb> mbs = {
                {kBoth, dv.f0, dv.b0},  {kForward, {2, 1}, {}}, {kBoth, {3, 1}, {-3, 2}},
                {kForward, {1, 1}, {}}, {kBoth, dv.f4, dv.b4},  {kBackward, {}, {1, -1}},
            };
            EXPECT_EQ(t.d().Picture(), Expected(48, 32, mbs).data);
        }
        const std::vector<uint8_t> anchor = t.d().Picture();
        testing::Yuv other(48, 32);
        for (int p = 0; p < 3; ++p)
            for (int y = 0; y < (p ? 16 : 32); ++y)
                for (int x = 0; x < (p ? 24 : 48); ++x)
                    other.At(p, x, y) = Other(p, x, y);
        EXPECT_EQ(anchor, other.data);
    }
}

// Where the P picture skipped a macroblock, the B macroblock there carries no bits at all
// and copies the reference picture; the others read their modb as usual.
TEST_P(BPictures, MacroblocksOverSkippedOnesCarryNothing) {
    testing::SimdScope level(GetParam());
    TestInstance d(48, 32);
    ASSERT_EQ(d.Decode(testing::IntraRecord(48, 32)), 1);
    testing::Paint(d.state(), *d.state().reference, Busy);
    BitWriter w;
    PutVop(w, testing::PVop());
    for (int m = 0; m < 6; ++m) {
        if (m == 0 || m == 4)
            Skipped(w);
        else
            Inter(w, 0, 0);
    }
    VopFields b;
    b.type = 2;
    PutVop(w, b);
    w.Code("01").Code("0001");
    Code(w, 2, 1); // macroblock 1: forward (2, 1)
    w.Code("01").Code("0001");
    Code(w, 0, 0); // 2: forward, the predictor again
    w.Code("01").Code("0001");
    Code(w, 1, 1); // 3: column 0, the predictor starts from 0
    w.Code("1");   // 5: direct, the co-located vector 0
    w.Stuff();
    ASSERT_EQ(d.Decode(w.Data(), 1), 1);
    testing::Paint(d.state(), *d.state().anchor, Other);
    const std::vector<Mb> mbs = {
        {kForward, {0, 0}, {}}, {kForward, {2, 1}, {}}, {kForward, {2, 1}, {}},
        {kForward, {1, 1}, {}}, {kForward, {0, 0}, {}}, {kBoth, {0, 0}, {0, 0}},
    };
    EXPECT_EQ(d.Picture(), Expected(48, 32, mbs).data);
    EXPECT_FALSE(d.state().error);
}

// mb_type 0000 is no type: that macroblock keeps what the current store held (here the
// P picture, a copy of the reference) and the next one is read from the following bits.
// Also when nothing but the decoder writes the stores between the P and the B picture.
TEST_P(BPictures, MacroblocksOfNoTypeStayAsTheyWere) {
    testing::SimdScope level(GetParam());
    for (const bool paint_anchor : {true, false}) {
        SCOPED_TRACE(paint_anchor ? "anchor painted" : "stores as decoded");
        TestInstance d(32, 16);
        ASSERT_EQ(d.Decode(testing::IntraRecord(32, 16)), 1);
        testing::Paint(d.state(), *d.state().reference, Busy);
        BitWriter w;
        PutVop(w, testing::PVop());
        Inter(w, 0, 0);
        Inter(w, 0, 0);
        VopFields b;
        b.type = 2;
        PutVop(w, b);
        w.Code("01").Code("0000");
        w.Code("01").Code("0001");
        Code(w, 2, 1);
        w.Stuff();
        ASSERT_EQ(d.Decode(w.Data(), 1), 1);
        if (paint_anchor) testing::Paint(d.state(), *d.state().anchor, Other);
        EXPECT_EQ(d.Picture(),
                  Expected(32, 16, {{kForward, {0, 0}, {}}, {kForward, {2, 1}, {}}}).data);
        EXPECT_FALSE(d.state().error);
    }
}

INSTANTIATE_TEST_SUITE_P(SimdLevels, BPictures, ::testing::Values(0, 1, 2));

// dbquant follows cbpb when the macroblock is not direct and has coded blocks.
TEST(BMacroblocks, QuantiserChangesOnlyWithCodedBlocks) {
    struct Case {
        const char* name;
        const char* bits; // one B macroblock of a 16 x 16 picture
        int quant, expected;
    };
    // Block 5 coded with one event: last, run 0, level 1.
    const Case cases[] = {
        {"forward, dbquant 0",
         "00"
         "0001"
         "000001"
         "0"
         "1"
         "1"
         "01110",
         4, 4},
        {"forward, dbquant -2",
         "00"
         "0001"
         "000001"
         "10"
         "1"
         "1"
         "01110",
         4, 2},
        {"backward, dbquant +2",
         "00"
         "001"
         "000001"
         "11"
         "1"
         "1"
         "01110",
         4, 6},
        {"clamped at 1",
         "00"
         "0001"
         "000001"
         "10"
         "1"
         "1"
         "01110",
         2, 1},
        {"clamped at 31",
         "00"
         "01"
         "000001"
         "11"
         "1"
         "1"
         "1"
         "1"
         "01110",
         30, 31},
        {"no coded blocks, no dbquant",
         "00"
         "0001"
         "000000"
         "1"
         "1",
         4, 4},
        {"direct reads none",
         "00"
         "1"
         "000001"
         "1"
         "1"
         "01110",
         4, 4},
    };
    for (const Case& c : cases) {
        TestInstance d(16, 16);
        ASSERT_EQ(d.Decode(testing::IntraRecord(16, 16)), 1);
        BitWriter w;
        PutVop(w, testing::PVop());
        Inter(w, 0, 0);
        VopFields b;
        b.type = 2;
        b.quant = c.quant;
        PutVop(w, b);
        w.Code(c.bits);
        w.Stuff();
        ASSERT_EQ(d.Decode(w.Data(), 1), 1) << c.name;
        GetYUV(d.handle());
        EXPECT_EQ(d.state().quant, c.expected) << c.name;
        EXPECT_FALSE(d.state().error) << c.name;
    }
}

} // namespace
} // namespace dvr::decoder
