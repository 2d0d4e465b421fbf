// The decoder against ffmpeg's own reading of the same streams.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "common/testing/testdata.h"
#include "player/decoder/decoder.h"
#include "player/decoder/instance.h"
#include "player/decoder/records.h"
#include "player/decoder/simd.h"

namespace dvr::decoder {
namespace {

using dvr::testing::TestDataPath;

struct RefVop {
    char type;
    int quant, fcode_forward, fcode_backward, rounding, increment;
};

// What ffmpeg reported for a stream (NAME.hdr).
struct Reference {
    int width = 0, height = 0, increment_bits = -1;
    std::vector<RefVop> vops;
};

bool LoadReference(const std::string& name, Reference& ref) {
    std::ifstream f(TestDataPath(name + ".hdr"));
    if (!f) return false;
    std::string line;
    while (std::getline(f, line)) {
        std::istringstream in(line);
        std::string key;
        in >> key;
        if (key == "size") {
            in >> ref.width >> ref.height;
        } else if (key == "tincrbits") {
            in >> ref.increment_bits;
        } else if (key == "vop") {
            RefVop v;
            in >> v.type >> v.quant >> v.fcode_forward >> v.fcode_backward >> v.rounding >>
                v.increment;
            ref.vops.push_back(v);
        }
    }
    return true;
}

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(f)),
                                std::istreambuf_iterator<char>());
}

class Player {
public:
    Player() { handle_ = InitDecoder(&input_, &rgb_, 720, 576); }
    ~Player() { FreeDecoder(handle_); }
    int handle() const { return handle_; }
    const HeaderState& hdr() const { return InstanceOf(handle_)->hdr; }
    int Decode(const VideoRecord& r) {
        std::memcpy(input_, r.payload.data(), r.payload.size());
        SetBFrameType(handle_, PackedBOf(r));
        return DecoderOneFrame(handle_, static_cast<int>(r.payload.size()));
    }

private:
    int handle_;
    uint8_t *input_, *rgb_;
};

struct HeaderCase {
    const char* file;
    const char* reference; // the .hdr that describes it
};

// Each stream is fed record by record as the player does; the VOP headers are compared
// in coding order (the P picture of a packed record first, then its B pictures).
TEST(FixtureHeaders, ParseToTheValuesFfmpegReports) {
    const HeaderCase cases[] = {
        {"dec_cif_ip.m4v", "dec_cif_ip"},
        {"dec_cif_ipb1.m4v", "dec_cif_ipb1"},
        {"dec_d1_ipb2.m4v", "dec_d1_ipb2"},
        {"dec_d1_ipb2.MPG", "dec_d1_ipb2"},
        {"dec_cif_i_aic_q7.m4v", "dec_cif_i_aic_q7"},
        {"dec_d1_i_q17.m4v", "dec_d1_i_q17"},
        {"dec_pal_ip15.m4v", "dec_pal_ip15"},
        {"dec_pal_novol.m4v", "dec_pal_ip15"},
    };
    for (const HeaderCase& c : cases) {
        SCOPED_TRACE(c.file);
        Reference ref;
        ASSERT_TRUE(LoadReference(c.reference, ref));
        std::vector<VideoRecord> records;
        ASSERT_TRUE(LoadVideoRecords(TestDataPath(c.file), records));
        Player p;
        std::vector<HeaderState> seen;
        for (const VideoRecord& r : records) {
            p.Decode(r);
            seen.push_back(p.hdr());
            for (int i = 1; i < PicturesOf(r); ++i) {
                GetYUV(p.handle());
                seen.push_back(p.hdr());
            }
            GetYUV(p.handle());
        }
        ASSERT_EQ(seen.size(), ref.vops.size());
        int w, h;
        GetWH(p.handle(), &w, &h);
        EXPECT_EQ(w, ref.width);
        EXPECT_EQ(h, ref.height);
        EXPECT_EQ(p.hdr().vop_time_increment_bits, ref.increment_bits);
        for (size_t i = 0; i < seen.size(); ++i) {
            SCOPED_TRACE(::testing::Message() << "VOP " << i);
            const RefVop& v = ref.vops[i];
            const HeaderState& s = seen[i];
            EXPECT_EQ("IPB"[s.vop_coding_type], v.type);
            EXPECT_EQ(s.vop_quant, v.quant);
            EXPECT_EQ(s.vop_time_increment, v.increment);
            if (v.type != 'I') {
                EXPECT_EQ(s.vop_fcode_forward, v.fcode_forward);
            }
            if (v.type == 'B') {
                EXPECT_EQ(s.vop_fcode_backward, v.fcode_backward);
            }
            if (v.type == 'P') {
                EXPECT_EQ(s.vop_rounding_type, v.rounding);
            }
        }
    }
}

// After an anchor picture the store it becomes the reference in carries its edge pixels
// out into the border (32 luma, 16 chroma), corners included, so that motion vectors
// may reach outside the picture.
TEST(FixtureBorders, AnchorPicturesExtendIntoTheirBorders) {
    std::vector<VideoRecord> records;
    ASSERT_TRUE(LoadVideoRecords(TestDataPath("dec_cif_i_q7.m4v"), records));
    Player p;
    ASSERT_EQ(p.Decode(records[0]), 1);
    const DecoderInstance& d = *InstanceOf(p.handle());
    struct Plane {
        const uint8_t* first;
        int stride, width, height, border;
    };
    const Plane planes[] = {{d.reference->y, d.luma_stride, 352, 288, 32},
                            {d.reference->cb, d.chroma_stride, 176, 144, 16},
                            {d.reference->cr, d.chroma_stride, 176, 144, 16}};
    for (const Plane& pl : planes) {
        for (int y = -pl.border; y < pl.height + pl.border; ++y)
            for (int x = -pl.border; x < pl.width + pl.border; ++x) {
                const int cy = std::clamp(y, 0, pl.height - 1), cx = std::clamp(x, 0, pl.width - 1);
                ASSERT_EQ(pl.first[y * pl.stride + x], pl.first[cy * pl.stride + cx])
                    << "at " << x << "," << y;
            }
    }
}

TEST(FixtureRecords, RecordingFileHoldsTheStreamsRecords) {
    std::vector<VideoRecord> from_file, from_stream;
    ASSERT_TRUE(LoadVideoRecords(TestDataPath("dec_d1_ipb2.MPG"), from_file));
    ASSERT_TRUE(LoadVideoRecords(TestDataPath("dec_d1_ipb2.m4v"), from_stream));
    ASSERT_EQ(from_file.size(), from_stream.size());
    std::vector<int> types;
    for (size_t i = 0; i < from_file.size(); ++i) {
        EXPECT_EQ(from_file[i].payload, from_stream[i].payload);
        types.push_back(from_file[i].type);
    }
    // I, then P B B three times in coding order
    EXPECT_EQ(types, (std::vector<int>{1, 4, 4, 4}));
}

double Psnr(const uint8_t* a, const uint8_t* b, size_t n) {
    double sum = 0;
    for (size_t i = 0; i < n; ++i) {
        double d = double(a[i]) - double(b[i]);
        sum += d * d;
    }
    if (sum == 0) return 99.0;
    return 10 * std::log10(255.0 * 255.0 / (sum / n));
}

std::vector<std::string> IntraStreams() {
    std::vector<std::string> names;
    for (int q = 1; q <= 31; ++q) {
        names.push_back("dec_cif_i_q" + std::to_string(q));
        names.push_back("dec_cif_i_aic_q" + std::to_string(q));
    }
    for (int q : {2, 9, 17, 31}) {
        names.push_back("dec_d1_i_q" + std::to_string(q));
        names.push_back("dec_d1_i_aic_q" + std::to_string(q));
    }
    return names;
}

class IntraPictures : public ::testing::TestWithParam<int> {};

// Only the inverse transforms differ from ffmpeg's decode: every plane of every picture
// stays at 48 dB or better.
TEST_P(IntraPictures, MatchFfmpegsDecode) {
    const int saved = SimdLevel;
    if (OverrideSimdLevel(GetParam()) != GetParam()) GTEST_SKIP() << "processor lacks the level";
    double worst = 99;
    std::string worst_at;
    for (const std::string& name : IntraStreams()) {
        SCOPED_TRACE(name);
        std::vector<VideoRecord> records;
        ASSERT_TRUE(LoadVideoRecords(TestDataPath(name + ".m4v"), records));
        const std::vector<uint8_t> ref = ReadFile(TestDataPath(name + ".yuv"));
        Player p;
        size_t offset = 0;
        for (size_t n = 0; n < records.size(); ++n) {
            ASSERT_EQ(p.Decode(records[n]), 1) << "record " << n;
            int w, h;
            GetWH(p.handle(), &w, &h);
            const size_t luma = size_t(w) * h, chroma = luma / 4;
            ASSERT_LE(offset + luma + 2 * chroma, ref.size());
            const uint8_t* pic = GetYUV(p.handle());
            const size_t planes[3][2] = {{0, luma}, {luma, chroma}, {luma + chroma, chroma}};
            for (int k = 0; k < 3; ++k) {
                double psnr =
                    Psnr(pic + planes[k][0], ref.data() + offset + planes[k][0], planes[k][1]);
                EXPECT_GE(psnr, 48.0) << "picture " << n << " plane " << k;
                if (psnr < worst) {
                    worst = psnr;
                    worst_at =
                        name + " picture " + std::to_string(n) + " plane " + std::to_string(k);
                }
            }
            offset += luma + 2 * chroma;
        }
        EXPECT_EQ(offset, ref.size()) << "every picture decoded";
    }
    SimdLevel = saved;
    RecordProperty("worst_psnr", std::to_string(worst) + " dB at " + worst_at);
    std::printf("level %d: worst plane PSNR %.2f dB (%s)\n", GetParam(), worst, worst_at.c_str());
}

INSTANTIATE_TEST_SUITE_P(SimdLevels, IntraPictures, ::testing::Values(0, 1, 2));

struct InterStream {
    const char* file;
    const char* reference; // the stream whose .yuv holds ffmpeg's decode
    double b_floor;        // worst B plane measured against ffmpeg, less a little
};

class InterPictures : public ::testing::TestWithParam<int> {};

// I and P pictures differ from ffmpeg's decode only by the inverse transforms and what
// that difference carries along a group of pictures: every plane stays at 46 dB or
// better. B pictures follow the recorder's rules (fixed direct-mode ratios, truncating
// average), which ffmpeg does not; their floor keeps what was measured.
TEST_P(InterPictures, MatchFfmpegsDecode) {
    const int saved = SimdLevel;
    if (OverrideSimdLevel(GetParam()) != GetParam()) GTEST_SKIP() << "processor lacks the level";
    const InterStream streams[] = {
        {"inter_cif_ip.m4v", "inter_cif_ip", 0},
        {"inter_cif_ip_q2.m4v", "inter_cif_ip_q2", 0},
        {"inter_cif_mv4.m4v", "inter_cif_mv4", 0},
        {"inter_cif_fast.m4v", "inter_cif_fast", 0},
        {"inter_cif_fast_mv4.m4v", "inter_cif_fast_mv4", 0},
        {"inter_cif_ipb1.m4v", "inter_cif_ipb1", 53.5},
        {"inter_cif_ipb2.m4v", "inter_cif_ipb2", 37.5},
        {"dec_pal_novol.m4v", "dec_pal_ip15", 0}, // no VOL: the creation size
        {"dec_cif_ipb1.m4v", "dec_cif_ipb1", 53.5},
        {"dec_d1_ipb2.MPG", "dec_d1_ipb2", 50.5}, // from a recording file
        // rate control: skipped P macroblocks, whose B macroblocks carry nothing
        {"rate_d1_ipb2_4m.m4v", "rate_d1_ipb2_4m", 51.0},
    };
    for (const InterStream& s : streams) {
        SCOPED_TRACE(s.file);
        std::vector<VideoRecord> records;
        ASSERT_TRUE(LoadVideoRecords(TestDataPath(s.file), records));
        const std::vector<uint8_t> ref = ReadFile(TestDataPath(std::string(s.reference) + ".yuv"));
        Player p;
        size_t offset = 0;
        int picture = 0;
        double worst[2] = {99, 99}; // anchors, B pictures
        for (size_t n = 0; n < records.size(); ++n) {
            ASSERT_EQ(p.Decode(records[n]), 1) << "record " << n;
            int w, h;
            GetWH(p.handle(), &w, &h);
            const size_t luma = size_t(w) * h, chroma = luma / 4;
            // A packed record yields its B pictures, then its P picture.
            for (int i = 0; i < PicturesOf(records[n]); ++i, ++picture) {
                const bool b = i + 1 < PicturesOf(records[n]);
                ASSERT_LE(offset + luma + 2 * chroma, ref.size());
                const uint8_t* pic = GetYUV(p.handle());
                const size_t planes[3][2] = {{0, luma}, {luma, chroma}, {luma + chroma, chroma}};
                for (int k = 0; k < 3; ++k) {
                    const double psnr =
                        Psnr(pic + planes[k][0], ref.data() + offset + planes[k][0], planes[k][1]);
                    EXPECT_GE(psnr, b ? s.b_floor : 46.0)
                        << "picture " << picture << " plane " << k;
                    worst[b] = std::min(worst[b], psnr);
                }
                offset += luma + 2 * chroma;
            }
        }
        EXPECT_EQ(offset, ref.size()) << "every picture decoded";
        std::printf("level %d %s: worst plane PSNR %.2f dB (I/P)", GetParam(), s.file, worst[0]);
        if (worst[1] < 99) std::printf(", %.2f dB (B)", worst[1]);
        std::printf("\n");
    }
    SimdLevel = saved;
}

INSTANTIATE_TEST_SUITE_P(SimdLevels, InterPictures, ::testing::Values(0, 1, 2));

} // namespace
} // namespace dvr::decoder
