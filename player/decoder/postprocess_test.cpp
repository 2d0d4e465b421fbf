#include "player/decoder/postprocess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "common/testing/testdata.h"
#include "player/decoder/decoder.h"
#include "player/decoder/instance.h"
#include "player/decoder/records.h"

namespace dvr::decoder {
namespace {

using dvr::testing::TestDataPath;

std::vector<uint8_t> ReadFile(const std::string& name) {
    std::ifstream f(TestDataPath(name), std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(f)),
                                std::istreambuf_iterator<char>());
}

// Where two pictures first differ, for a readable failure.
std::string FirstDifference(const std::vector<uint8_t>& got, const std::vector<uint8_t>& want,
                            int width, int height) {
    if (got.size() != want.size()) return "sizes differ";
    const size_t luma = size_t(width) * height, chroma = luma / 4;
    for (size_t i = 0; i < got.size(); ++i) {
        if (got[i] == want[i]) continue;
        std::string plane = "Y";
        size_t at = i, w = width;
        if (i >= luma) {
            plane = i >= luma + chroma ? "Cr" : "Cb";
            at = (i - luma) % chroma;
            w = width / 2;
        }
        return plane + " x " + std::to_string(at % w) + " y " + std::to_string(at / w) + ": " +
               std::to_string(got[i]) + " instead of " + std::to_string(want[i]);
    }
    return "";
}

struct GoldenCase {
    const char* picture;
    int width, height, qp;
};

// Pictures filtered by every level against results worked out independently: levels 0
// and 2 take the (max + min + 1) >> 1 deringing threshold, level 1 the mean.
TEST(PostProcess, MatchesTheWorkedResultsAtEveryLevel) {
    const GoldenCase cases[] = {
        {"cif", 176, 144, 1},  {"cif", 176, 144, 4}, {"cif", 176, 144, 12},
        {"cif", 176, 144, 31}, {"odd", 104, 72, 8},
    };
    for (const GoldenCase& c : cases) {
        const std::vector<uint8_t> source = ReadFile(std::string("post_") + c.picture + ".yuv");
        ASSERT_EQ(source.size(), size_t(c.width) * c.height * 3 / 2) << c.picture;
        for (int level = 0; level <= 2; ++level) {
            SCOPED_TRACE(::testing::Message() << c.picture << " qp " << c.qp << " level " << level);
            const std::string golden = std::string("post_") + c.picture + "_q" +
                                       std::to_string(c.qp) + (level == 1 ? "_mean" : "_range") +
                                       ".yuv";
            const std::vector<uint8_t> want = ReadFile(golden);
            std::vector<uint8_t> got = source;
            uint8_t* y = got.data();
            uint8_t* cb = y + c.width * c.height;
            PostProcess(y, cb, cb + c.width * c.height / 4, c.width, c.height, c.qp,
                        kAllPostFilters, level);
            EXPECT_EQ(FirstDifference(got, want, c.width, c.height), "");
        }
    }
}

struct EdgeCase {
    const char* what;
    int qp;
    uint8_t before[10], after[10]; // s0..s9 across the edge
};

// One line of pixels across an edge, repeated along the edge, filtered in both
// directions and (vertically) at every level.
TEST(Deblocking, FiltersAnEdgeAsItsModeAndThresholdsSay) {
    const EdgeCase cases[] = {
        {"flat step of 6 at QP 4 is smoothed",
         4,
         {100, 100, 100, 100, 100, 106, 106, 106, 106, 106},
         {100, 100, 101, 102, 102, 104, 105, 105, 106, 106}},
        {"flat step of 6 at QP 2 stays",
         2,
         {100, 100, 100, 100, 100, 106, 106, 106, 106, 106},
         {100, 100, 100, 100, 100, 106, 106, 106, 106, 106}},
        {"flat padding takes s1 when s0 differs by QP or more",
         4,
         {60, 100, 100, 100, 100, 106, 106, 106, 106, 200},
         {60, 100, 101, 102, 102, 104, 105, 105, 106, 200}},
        {"default correction limited to half the step",
         31,
         {0, 25, 100, 130, 100, 110, 80, 40, 10, 0},
         {0, 25, 100, 130, 105, 105, 80, 40, 10, 0}},
        {"default correction below the limit",
         31,
         {0, 25, 80, 130, 100, 130, 90, 80, 5, 0},
         {0, 25, 80, 130, 110, 120, 90, 80, 5, 0}},
        {"default mode skips a0 of 8 QP or more",
         18,
         {0, 25, 100, 130, 100, 110, 80, 40, 10, 0},
         {0, 25, 100, 130, 100, 110, 80, 40, 10, 0}},
        {"default mode skips a step of 1",
         31,
         {0, 25, 100, 130, 100, 101, 80, 40, 10, 0},
         {0, 25, 100, 130, 100, 101, 80, 40, 10, 0}},
    };
    for (const EdgeCase& c : cases) {
        SCOPED_TRACE(c.what);
        for (int level = 0; level <= 2; ++level) {
            // Horizontal: a 16 x 8 plane, the edge at x = 8, s0 at x = 3.
            std::vector<uint8_t> rows(16 * 8, 0);
            for (int y = 0; y < 8; ++y)
                std::memcpy(&rows[y * 16 + 3], c.before, 10);
            DeblockHorizontal(rows.data(), 16, 16, 8, c.qp, level);
            for (int y = 0; y < 8; ++y)
                EXPECT_EQ(0, std::memcmp(&rows[y * 16 + 3], c.after, 10))
                    << "level " << level << " row " << y;
            // Vertical: an 8 x 16 plane, the edge at y = 8, s0 at y = 3.
            std::vector<uint8_t> cols(8 * 16, 0);
            for (int k = 0; k < 10; ++k)
                std::memset(&cols[(3 + k) * 8], c.before[k], 8);
            DeblockVertical(cols.data(), 8, 8, 16, c.qp, level);
            for (int k = 0; k < 10; ++k)
                for (int x = 0; x < 8; ++x)
                    EXPECT_EQ(cols[(3 + k) * 8 + x], c.after[k])
                        << "level " << level << " s" << k << " column " << x;
        }
    }
}

// The two directions decide flat areas differently: horizontally on the first row of
// four, vertically on every one of eight columns.
TEST(Deblocking, FlatModeConditionPerDirection) {
    // A flat step of 6 at QP 3 (|s1 - s8| = 6 = 2 QP): vertically filtered, horizontally not.
    const uint8_t line[10] = {100, 100, 100, 100, 100, 106, 106, 106, 106, 106};
    const uint8_t steep[10] = {100, 100, 100, 100, 100, 110, 110, 110, 110, 110};
    for (int level = 0; level <= 2; ++level) {
        SCOPED_TRACE(::testing::Message() << "level " << level);
        std::vector<uint8_t> rows(16 * 8, 0);
        for (int y = 0; y < 8; ++y)
            std::memcpy(&rows[y * 16 + 3], line, 10);
        DeblockHorizontal(rows.data(), 16, 16, 8, 3, level);
        EXPECT_EQ(0, std::memcmp(&rows[3], line, 10));

        std::vector<uint8_t> cols(8 * 16, 0);
        for (int k = 0; k < 10; ++k)
            std::memset(&cols[(3 + k) * 8], line[k], 8);
        DeblockVertical(cols.data(), 8, 8, 16, 3, level);
        EXPECT_EQ(cols[(3 + 4) * 8], 102);
        // One column with a wider step keeps the whole group of eight unfiltered.
        std::vector<uint8_t> mixed(8 * 16, 0);
        for (int k = 0; k < 10; ++k)
            std::memset(&mixed[(3 + k) * 8], line[k], 8);
        for (int k = 5; k < 10; ++k)
            mixed[(3 + k) * 8 + 7] = 107;
        DeblockVertical(mixed.data(), 8, 8, 16, 3, level);
        EXPECT_EQ(mixed[(3 + 4) * 8], 100);

        // Horizontally only the first row of each group of four counts: rows 0..3 are
        // filtered with their steep rows, rows 4..7 (steep first) are not.
        std::vector<uint8_t> first(16 * 8, 0);
        for (int y = 0; y < 8; ++y)
            std::memcpy(&first[y * 16 + 3], y == 0 || y == 5 ? line : steep, 10);
        DeblockHorizontal(first.data(), 16, 16, 8, 4, level);
        EXPECT_EQ(first[3 + 4], 102);
        EXPECT_NE(first[16 + 3 + 4], 100);
        EXPECT_EQ(0, std::memcmp(&first[4 * 16 + 3], steep, 10));
        EXPECT_EQ(0, std::memcmp(&first[5 * 16 + 3], line, 10));
    }
}

// Planes of any size, the SSE2 forms' remainders among them: nothing is read or written
// outside them (AddressSanitizer watches the exact allocations), and level 2 gives what
// level 0 gives.
TEST(PostProcess, AnySizeStaysInsideAndLevelsAgree) {
    const int sizes[][2] = {{1, 1},   {2, 2},   {8, 8},   {9, 9},   {13, 21}, {17, 17},
                            {24, 16}, {26, 34}, {30, 30}, {40, 44}, {52, 36}, {88, 24}};
    for (const auto& s : sizes) {
        const int w = s[0], h = s[1];
        SCOPED_TRACE(::testing::Message() << w << " x " << h);
        // Blocky content: flat 8 x 8 tiles with small noise, so every filter has work.
        std::vector<uint8_t> plane(size_t(w) * h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                plane[size_t(y) * w + x] = static_cast<uint8_t>(
                    60 + 4 * ((x / 8 + 3 * (y / 8)) % 5) + (x * 7 + y * 13) % 5);
        std::vector<uint8_t> results[3];
        for (int level = 0; level <= 2; level += 2) {
            std::vector<uint8_t> y = plane;
            std::vector<uint8_t> cb(std::vector<uint8_t>(y.begin(), y.begin() + (w / 2) * (h / 2)));
            std::vector<uint8_t> cr(cb);
            PostProcess(y.data(), cb.data(), cr.data(), w, h, 6, kAllPostFilters, level);
            results[level] = y;
            results[level].insert(results[level].end(), cb.begin(), cb.end());
            results[level].insert(results[level].end(), cr.begin(), cr.end());
        }
        EXPECT_TRUE(results[0] == results[2]);
        if (w >= 16 && h >= 16) {
            EXPECT_FALSE(std::equal(plane.begin(), plane.end(), results[0].begin()));
        }
    }
}

struct AdjustCase {
    const char* what;
    int brightness_step, contrast_step; // 8: none
    uint8_t in, out;
};

// Brightness then contrast through the decoder's settings, over a picture whose luma
// plane is not a multiple of 48 samples, at every level; chroma untouched.
TEST(PictureAdjustment, BrightnessThenContrastOnLumaOnly) {
    const AdjustCase cases[] = {
        {"steps 8 leave the picture", 8, 8, 77, 77},
        {"brightness 17 clamps at 255", 17, 8, 200, 255},
        {"brightness 1 clamps at 0", 1, 8, 50, 0},
        {"brightness 9 adds 15", 9, 8, 100, 115},
        {"brightness 7 takes 15", 7, 8, 100, 85},
        {"contrast 17 clamps high", 8, 17, 228, 255},
        {"contrast 17 clamps low", 8, 17, 28, 0},
        {"contrast 9 stretches above the middle", 8, 9, 228, 238},
        {"contrast 9 rounds towards minus infinity below it", 8, 9, 127, 126},
        {"contrast 1 flattens", 8, 1, 228, 152},
        {"brightness before contrast", 9, 9, 113, 128},
    };
    for (const AdjustCase& c : cases) {
        for (int level = 0; level <= 2; ++level) {
            SCOPED_TRACE(::testing::Message() << c.what << ", level " << level);
            const int w = 40, h = 22; // 880 samples: 18 units of 48 and 16 more
            std::vector<uint8_t> luma(size_t(w) * h, c.in);
            const int offset = 15 * c.brightness_step - 120;
            const int factor = c.contrast_step == 8 ? 8 : 880 * (c.contrast_step - 8);
            if (offset) Brighten(luma.data(), luma.size(), offset, level);
            if (factor != 8) Contrast(luma.data(), luma.size(), factor, level);
            for (size_t i = 0; i < luma.size(); ++i)
                ASSERT_EQ(luma[i], c.out) << "sample " << i;
        }
    }
}

// The SIMD forms against the plain one for every sample value and setting.
TEST(PictureAdjustment, LevelsAgreeOverEveryValue) {
    std::vector<uint8_t> ramp(256 * 3 + 5);
    for (size_t i = 0; i < ramp.size(); ++i)
        ramp[i] = static_cast<uint8_t>(i * 7);
    for (int step = 1; step <= 17; ++step) {
        SCOPED_TRACE(::testing::Message() << "step " << step);
        std::vector<uint8_t> plain = ramp, fast = ramp;
        Brighten(plain.data(), plain.size(), 15 * step - 120, 0);
        Brighten(fast.data(), fast.size(), 15 * step - 120, 2);
        EXPECT_EQ(plain, fast);
        plain = ramp;
        fast = ramp;
        Contrast(plain.data(), plain.size(), 880 * (step - 8), 0);
        Contrast(fast.data(), fast.size(), 880 * (step - 8), 2);
        EXPECT_EQ(plain, fast);
    }
}

// ---- the decoder's output path

class Stream {
public:
    explicit Stream(const char* file) {
        handle_ = InitDecoder(&input_, &rgb_, 720, 576);
        LoadVideoRecords(TestDataPath(file), records_);
    }
    ~Stream() { FreeDecoder(handle_); }
    int handle() const { return handle_; }
    size_t size() const { return records_.size(); }
    int Pictures(size_t i) const { return PicturesOf(records_[i]); }
    bool Decode(size_t i) {
        const VideoRecord& r = records_[i];
        std::memcpy(input_, r.payload.data(), r.payload.size());
        SetBFrameType(handle_, PackedBOf(r));
        return DecoderOneFrame(handle_, static_cast<int>(r.payload.size())) == 1;
    }
    std::vector<uint8_t> Picture() {
        int w, h;
        GetWH(handle_, &w, &h);
        const uint8_t* p = GetYUV(handle_);
        return std::vector<uint8_t>(p, p + size_t(w) * h * 3 / 2);
    }
    std::vector<uint8_t> ReferenceLuma() const {
        const DecoderInstance& d = *InstanceOf(handle_);
        return std::vector<uint8_t>(d.reference->y_mem.get(),
                                    d.reference->y_mem.get() + size_t(d.luma_stride) * d.luma_rows);
    }

private:
    int handle_ = 0;
    uint8_t *input_ = nullptr, *rgb_ = nullptr;
    std::vector<VideoRecord> records_;
};

// With post-processing on, every picture (single, B, or anchor delivered after its B
// pictures) is the plain one filtered at the running quantiser of the last VOP decoded;
// the stores the next pictures predict from stay unfiltered, or the P and B pictures
// would drift from the plain ones.
TEST(PostProcess, FiltersTheOutputButNeverTheStores) {
    for (const char* file : {"dec_cif_i_q20.m4v", "dec_cif_ipb1.m4v", "dec_d1_ipb2.MPG"}) {
        SCOPED_TRACE(file);
        Stream plain(file), filtered(file);
        ASSERT_GT(plain.size(), 0u);
        ASSERT_EQ(SetPostProcess(filtered.handle(), 1), 1);
        for (size_t i = 0; i < plain.size(); ++i) {
            ASSERT_TRUE(plain.Decode(i));
            ASSERT_TRUE(filtered.Decode(i));
            for (int n = 0; n < plain.Pictures(i); ++n) {
                SCOPED_TRACE(::testing::Message() << "record " << i << " picture " << n);
                const std::vector<uint8_t> unfiltered = plain.Picture();
                int w, h;
                GetWH(plain.handle(), &w, &h);
                std::vector<uint8_t> want = unfiltered;
                uint8_t* y = want.data();
                PostProcess(y, y + w * h, y + w * h * 5 / 4, w, h,
                            InstanceOf(plain.handle())->quant, kAllPostFilters, SimdLevel);
                const std::vector<uint8_t> got = filtered.Picture();
                EXPECT_NE(got, unfiltered);
                EXPECT_TRUE(got == want);
                EXPECT_TRUE(filtered.ReferenceLuma() == plain.ReferenceLuma());
            }
        }
    }
}

// Any value but 1 leaves the output as decoded.
TEST(PostProcess, OnlyOneTurnsItOn) {
    Stream plain("dec_cif_i_q20.m4v"), other("dec_cif_i_q20.m4v");
    ASSERT_GT(plain.size(), 0u);
    for (int value : {1, 2, -1, 0}) {
        ASSERT_EQ(SetPostProcess(other.handle(), value), 1);
        ASSERT_TRUE(plain.Decode(0));
        ASSERT_TRUE(other.Decode(0));
        EXPECT_EQ(other.Picture() == plain.Picture(), value != 1) << "value " << value;
    }
}

// GetYUV adjusts the output in place on every call, brightness first.
TEST(PictureAdjustment, AppliedByEveryPictureFetch) {
    Stream plain("dec_cif_i_q20.m4v"), adjusted("dec_cif_i_q20.m4v");
    ASSERT_GT(plain.size(), 0u);
    ASSERT_EQ(SetBright(adjusted.handle(), 11), 1);
    ASSERT_EQ(SetContrast(adjusted.handle(), 12), 1);
    ASSERT_EQ(SetBright(adjusted.handle(), 18), 0);  // refused, 11 stays
    ASSERT_EQ(SetContrast(adjusted.handle(), 0), 0); // refused, 12 stays
    ASSERT_TRUE(plain.Decode(0));
    ASSERT_TRUE(adjusted.Decode(0));
    std::vector<uint8_t> want = plain.Picture();
    const size_t luma = 352 * 288;
    for (int fetch = 1; fetch <= 2; ++fetch) {
        Brighten(want.data(), luma, 45, 0);
        Contrast(want.data(), luma, 880 * 4, 0);
        EXPECT_EQ(adjusted.Picture(), want) << "fetch " << fetch;
    }
}

// ---- the fastest forms against the plain ones

// One picture filtered by the plain form, by level 2 kept to SSE2, and by level 2 at its
// best (AVX2 where the processor has it); all three must agree byte for byte.
void ExpectFormsAgree(const std::vector<uint8_t>& picture, int w, int h, int qp, unsigned filters) {
    std::vector<uint8_t> results[3];
    for (int form = 0; form < 3; ++form) {
        results[form] = picture;
        uint8_t* y = results[form].data();
        uint8_t* cb = y + size_t(w) * h;
        AllowAvx2PostProcess(form == 2);
        PostProcess(y, cb, cb + size_t(w / 2) * (h / 2), w, h, qp, filters, form == 0 ? 0 : 2);
    }
    AllowAvx2PostProcess(true);
    EXPECT_EQ(FirstDifference(results[1], results[0], w, h), "") << "SSE2 form";
    EXPECT_EQ(FirstDifference(results[2], results[0], w, h), "") << "fastest form";
}

const unsigned kFilterSets[] = {
    kAllPostFilters, kDeblockLumaH | kDeblockLumaV | kDeblockChromaH | kDeblockChromaV,
    kDeringLuma | kDeringChroma, kDeblockLumaH | kDeringLuma, kDeblockChromaV | kDeringChroma};

// Decoded D1 and CIF pictures, I, P and B, at low, middle and top quantisers.
TEST(PostProcess, FastestFormsMatchThePlainOnesOnDecodedPictures) {
    for (const char* file : {"rate_d1_ipb2_4m.m4v", "inter_cif_ipb2.m4v"}) {
        Stream stream(file);
        ASSERT_GT(stream.size(), 0u) << file;
        int pictures = 0;
        for (size_t i = 0; i < stream.size() && pictures < 6; ++i) {
            ASSERT_TRUE(stream.Decode(i));
            for (int n = 0; n < stream.Pictures(i) && pictures < 6; ++n, ++pictures) {
                int w, h;
                GetWH(stream.handle(), &w, &h);
                const std::vector<uint8_t> picture = stream.Picture();
                for (int qp : {2, 9, 31})
                    for (unsigned filters : kFilterSets) {
                        SCOPED_TRACE(::testing::Message()
                                     << file << " picture " << pictures << " qp " << qp
                                     << " filters " << filters);
                        ExpectFormsAgree(picture, w, h, qp, filters);
                    }
            }
        }
    }
}

// Random pictures of random sizes: tiles, edges and noise in random amounts, so that
// every mode of every filter and every remainder path is taken.
TEST(PostProcess, FastestFormsMatchThePlainOnesOnRandomPictures) {
    std::mt19937 random(25);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    for (int round = 0; round < 300; ++round) {
        const int w = 2 * pick(1, 90), h = 2 * pick(1, 70);
        const int tile = pick(0, 60), noise = pick(0, 12), step = pick(0, 3);
        std::vector<uint8_t> picture(size_t(w) * h * 3 / 2);
        // Luma, then both chroma planes, as one run of rows of varying widths.
        auto fill = [&](uint8_t* plane, int pw, int ph) {
            std::vector<int> tiles(size_t((pw + 7) / 8 + 1) * ((ph + 7) / 8 + 1));
            for (int& t : tiles)
                t = pick(0, 255 - tile);
            for (int y = 0; y < ph; ++y)
                for (int x = 0; x < pw; ++x) {
                    int v = tiles[size_t(y / 8) * ((pw + 7) / 8 + 1) + x / 8] % (tile + 1) + 100 -
                            tile / 2;
                    if (step && (x + y) % (8 * step) == 0) v += pick(-40, 40);
                    v += pick(-noise, noise);
                    plane[size_t(y) * pw + x] = static_cast<uint8_t>(std::clamp(v, 0, 255));
                }
        };
        fill(picture.data(), w, h);
        fill(picture.data() + size_t(w) * h, w / 2, h / 2);
        fill(picture.data() + size_t(w) * h + size_t(w / 2) * (h / 2), w / 2, h / 2);
        const int qp = pick(1, 31);
        const unsigned filters = kFilterSets[pick(0, 4)];
        SCOPED_TRACE(::testing::Message() << "round " << round << ": " << w << " x " << h << " qp "
                                          << qp << " filters " << filters);
        ExpectFormsAgree(picture, w, h, qp, filters);
    }
}

} // namespace
} // namespace dvr::decoder
