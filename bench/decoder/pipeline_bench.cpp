// Pictures per second on one I/P/B stream, one thread each: our decoder at the best level
// against libavcodec, first decoding alone, then decoding with deblocking, deringing and
// conversion to 24-bit RGB against libavcodec with libpostproc (when present) and
// libswscale.
//   pipeline_bench [seconds per run] [STREAM.m4v|.MPG ...]
//   pipeline_bench post [seconds per run] [STREAM ...]   (post-processing alone only)
// By default D1 and CIF I/P/B streams at 1 and 4 Mbit/s. A second table compares
// post-processing alone (deblocking, deringing, both) on the stream's decoded pictures.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/log.h>
#include <libswscale/swscale.h>
#if DVR_HAVE_POSTPROC
#include <libpostproc/postprocess.h>
#endif
}

#include "bench/thread_clock.h"
#include "player/decoder/decoder.h"
#include "player/decoder/postprocess.h"
#include "player/decoder/records.h"
#include "player/decoder/simd.h"

using namespace dvr::decoder;
using Clock = dvr::bench::ThreadClock; // CPU time of this thread

namespace {

// Runs the whole stream over and over for at least `seconds`; pictures per second.
template <typename RunAll> double Rate(double seconds, RunAll run_all) {
    long pictures = run_all(); // warm up
    pictures = 0;
    const auto start = Clock::now();
    double elapsed = 0;
    do {
        pictures += run_all();
        elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    } while (elapsed < seconds);
    return pictures / elapsed;
}

double OurRate(const std::vector<VideoRecord>& records, bool output, double seconds) {
    uint8_t *input, *rgb;
    const int handle = InitDecoder(&input, &rgb, 720, 576);
    if (!handle) return 0;
    SetPostProcess(handle, output ? 1 : 0);
    SetVideoFormat(888);
    unsigned checksum = 0;
    long failed = 0;
    const double rate = Rate(seconds, [&] {
        long n = 0;
        for (const VideoRecord& r : records) {
            std::memcpy(input, r.payload.data(), r.payload.size());
            SetBFrameType(handle, PackedBOf(r));
            if (!DecoderOneFrame(handle, static_cast<int>(r.payload.size()))) ++failed;
            for (int p = 0; p < PicturesOf(r); ++p) {
                checksum += GetYUV(handle)[0];
                if (output) {
                    TransYUVtoRGB(handle);
                    checksum += rgb[0];
                }
                ++n;
            }
        }
        return n;
    });
    FreeDecoder(handle);
    if (failed) std::fprintf(stderr, "pipeline_bench: %ld records not decoded\n", failed);
    if (checksum == 0xFFFFFFFFu) std::puts("");
    return rate;
}

// libavcodec, and with `output` its picture post-processed and converted.
class Theirs {
public:
    explicit Theirs(bool output) : output_(output) {
        const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_MPEG4);
        ctx_ = avcodec_alloc_context3(codec);
        ctx_->thread_count = 1;
        // Fed these packets, libavcodec reports errors in some B pictures and conceals
        // them, yet its pictures are byte for byte those of a clean decode of the same
        // file by its command-line program: the concealing is extra work that changes
        // nothing, left out.
        ctx_->error_concealment = 0;
        ok_ = avcodec_open2(ctx_, codec, nullptr) >= 0;
        pkt_ = av_packet_alloc();
        frame_ = av_frame_alloc();
    }
    ~Theirs() {
#if DVR_HAVE_POSTPROC
        if (pp_mode_) pp_free_mode(pp_mode_);
        if (pp_ctx_) pp_free_context(pp_ctx_);
#endif
        if (sws_) sws_freeContext(sws_);
        av_frame_free(&frame_);
        av_packet_free(&pkt_);
        avcodec_free_context(&ctx_);
    }
    bool ok() const { return ok_; }
    // Ready for the stream to start again after a pass was drained.
    void Flush() { avcodec_flush_buffers(ctx_); }

    // One packet; returns the pictures it produced.
    long Feed(uint8_t* data, int size) {
        pkt_->data = data;
        pkt_->size = size;
        if (avcodec_send_packet(ctx_, pkt_) < 0) std::abort();
        long n = 0;
        while (avcodec_receive_frame(ctx_, frame_) == 0) {
            if (output_) Output();
            ++n;
        }
        return n;
    }

private:
    void Output() {
        const int w = frame_->width, h = frame_->height;
        if (!sws_) {
            sws_ = sws_getContext(w, h, AV_PIX_FMT_YUV420P, w, h, AV_PIX_FMT_BGR24, SWS_POINT,
                                  nullptr, nullptr, nullptr);
            rgb_.resize(size_t(w) * h * 3);
            filtered_.resize(size_t(w) * h * 3 / 2);
#if DVR_HAVE_POSTPROC
            pp_ctx_ = pp_get_context(w, h, PP_FORMAT_420 | PP_CPU_CAPS_AUTO);
            pp_mode_ = pp_get_mode_by_name_and_quality("hb:a,vb:a,dr:a", PP_QUALITY_MAX);
            // One quantiser for the whole picture, as ours takes.
            qp_.assign(size_t((w + 15) / 16) * ((h + 15) / 16), 5);
#endif
        }
        const uint8_t* src[3] = {frame_->data[0], frame_->data[1], frame_->data[2]};
        int src_stride[3] = {frame_->linesize[0], frame_->linesize[1], frame_->linesize[2]};
#if DVR_HAVE_POSTPROC
        uint8_t* dst[3] = {filtered_.data(), filtered_.data() + w * h,
                           filtered_.data() + w * h * 5 / 4};
        int dst_stride[3] = {w, w / 2, w / 2};
        pp_postprocess(src, src_stride, dst, dst_stride, w, h, qp_.data(), (w + 15) / 16,
                       pp_mode_, pp_ctx_, frame_->pict_type);
        for (int i = 0; i < 3; ++i) {
            src[i] = dst[i];
            src_stride[i] = dst_stride[i];
        }
#endif
        uint8_t* out[1] = {rgb_.data()};
        int out_stride[1] = {w * 3};
        sws_scale(sws_, src, src_stride, 0, h, out, out_stride);
    }

    bool output_, ok_ = false;
    AVCodecContext* ctx_ = nullptr;
    AVPacket* pkt_ = nullptr;
    AVFrame* frame_ = nullptr;
    SwsContext* sws_ = nullptr;
    std::vector<uint8_t> rgb_, filtered_;
#if DVR_HAVE_POSTPROC
    pp_context* pp_ctx_ = nullptr;
    pp_mode* pp_mode_ = nullptr;
    std::vector<int8_t> qp_;
#endif
};

double TheirRate(const std::vector<VideoRecord>& records, bool output, double seconds) {
    // libavcodec takes one picture per packet: packed records are cut at each VOP, the
    // headers staying with the first.
    static const uint8_t kVop[4] = {0, 0, 1, 0xB6};
    std::vector<std::vector<uint8_t>> padded;
    std::vector<int> sizes;
    for (const VideoRecord& r : records) {
        const std::vector<uint8_t>& d = r.payload;
        std::vector<size_t> cuts{0};
        auto vop = std::search(d.begin(), d.end(), kVop, kVop + 4);
        while (vop != d.end()) {
            vop = std::search(vop + 4, d.end(), kVop, kVop + 4);
            if (vop != d.end()) cuts.push_back(size_t(vop - d.begin()));
        }
        cuts.push_back(d.size());
        for (size_t k = 0; k + 1 < cuts.size(); ++k) {
            std::vector<uint8_t> p(d.begin() + cuts[k], d.begin() + cuts[k + 1]);
            sizes.push_back(static_cast<int>(p.size()));
            p.resize(p.size() + AV_INPUT_BUFFER_PADDING_SIZE, 0);
            padded.push_back(std::move(p));
        }
    }
    // One decoder, flushed after each pass, as ours is used: a fresh one per pass spent
    // more on its set-up than on decoding some streams.
    Theirs t(output);
    if (!t.ok()) std::abort();
    return Rate(seconds, [&] {
        long n = 0;
        for (size_t i = 0; i < padded.size(); ++i)
            n += t.Feed(padded[i].data(), sizes[i]);
        n += t.Feed(nullptr, 0);
        t.Flush();
        return n;
    });
}

#if DVR_HAVE_POSTPROC
// Our decoder's pictures of the stream (at most 48), unfiltered, one buffer each.
std::vector<std::vector<uint8_t>> DecodedPictures(const std::vector<VideoRecord>& records,
                                                  int& width, int& height) {
    std::vector<std::vector<uint8_t>> pictures;
    uint8_t *input, *rgb;
    const int handle = InitDecoder(&input, &rgb, 720, 576);
    if (!handle) return pictures;
    for (const VideoRecord& r : records) {
        std::memcpy(input, r.payload.data(), r.payload.size());
        SetBFrameType(handle, PackedBOf(r));
        if (!DecoderOneFrame(handle, static_cast<int>(r.payload.size()))) continue;
        GetWH(handle, &width, &height);
        for (int p = 0; p < PicturesOf(r) && pictures.size() < 48; ++p) {
            const uint8_t* yuv = GetYUV(handle);
            pictures.emplace_back(yuv, yuv + size_t(width) * height * 3 / 2);
        }
    }
    FreeDecoder(handle);
    return pictures;
}

// Post-processing alone, copy from the decoded picture included on both sides (ours copies
// and then filters in place, libpostproc filters while it copies); one quantiser, 5.
double OurPostRate(const std::vector<std::vector<uint8_t>>& pictures, int w, int h,
                   unsigned filters, double seconds) {
    std::vector<uint8_t> out(size_t(w) * h * 3 / 2);
    const int level = OverrideSimdLevel(2);
    return Rate(seconds, [&] {
        for (const auto& p : pictures) {
            std::memcpy(out.data(), p.data(), out.size());
            uint8_t* y = out.data();
            uint8_t* cb = y + size_t(w) * h;
            PostProcess(y, cb, cb + size_t(w / 2) * (h / 2), w, h, 5, filters, level);
        }
        return long(pictures.size());
    });
}

double TheirPostRate(const std::vector<std::vector<uint8_t>>& pictures, int w, int h,
                     const char* mode_name, double seconds) {
    std::vector<uint8_t> out(size_t(w) * h * 3 / 2);
    pp_context* ctx = pp_get_context(w, h, PP_FORMAT_420 | PP_CPU_CAPS_AUTO);
    pp_mode* mode = pp_get_mode_by_name_and_quality(mode_name, PP_QUALITY_MAX);
    std::vector<int8_t> qp(size_t((w + 15) / 16) * ((h + 15) / 16), 5);
    const double rate = Rate(seconds, [&] {
        for (const auto& p : pictures) {
            const uint8_t* src[3] = {p.data(), p.data() + w * h, p.data() + w * h * 5 / 4};
            int stride[3] = {w, w / 2, w / 2};
            uint8_t* dst[3] = {out.data(), out.data() + w * h, out.data() + w * h * 5 / 4};
            pp_postprocess(src, stride, dst, stride, w, h, qp.data(), (w + 15) / 16, mode, ctx,
                           0);
        }
        return long(pictures.size());
    });
    pp_free_mode(mode);
    pp_free_context(ctx);
    return rate;
}
#endif

} // namespace

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The machine is shared: ours and theirs run by turns, and the medians are compared.
int main(int argc, char** argv) {
    const bool post_only = argc > 1 && std::strcmp(argv[1], "post") == 0;
    if (post_only) --argc, ++argv;
    const double seconds = argc > 1 ? std::atof(argv[1]) : 0.3;
    std::vector<std::string> paths;
    for (int i = 2; i < argc; ++i)
        paths.push_back(argv[i]);
    if (paths.empty())
        for (const char* size : {"d1", "cif"})
            for (const char* rate : {"1m", "4m"})
                paths.push_back(std::string("build/testdata/bench_") + size + "_ipb_" + rate +
                                ".m4v");
    av_log_set_level(AV_LOG_QUIET);
    const int level = OverrideSimdLevel(2);
    constexpr int kTurns = 5;
    const char* their_output = DVR_HAVE_POSTPROC ? "libavcodec + libpostproc + libswscale"
                                                 : "libavcodec + libswscale";
    std::printf("pictures per CPU second, medians of %d turns, ours at level %d; 'full' is decoding, deblocking,\n"
                "deringing and 24-bit RGB, theirs %s\n",
                kTurns, level, their_output);
    std::printf("%-24s %9s %9s %6s   %9s %9s %6s\n", "stream", "decode:av", "ours", "ratio",
                "full:av", "ours", "ratio");
    for (const std::string& path : paths) {
        if (post_only) break;
        std::vector<VideoRecord> records;
        if (!LoadVideoRecords(path, records)) {
            std::fprintf(stderr, "pipeline_bench: cannot read %s\n", path.c_str());
            return 1;
        }
        std::vector<double> runs[2][2]; // [output][theirs, ours]
        for (int t = 0; t < kTurns; ++t)
            for (int output = 0; output < 2; ++output) {
                runs[output][0].push_back(TheirRate(records, output, seconds));
                runs[output][1].push_back(OurRate(records, output, seconds));
            }
        double m[2][2];
        for (int o = 0; o < 2; ++o)
            for (int w = 0; w < 2; ++w)
                m[o][w] = Median(runs[o][w]);
        const size_t slash = path.find_last_of('/');
        std::printf("%-24s %9.1f %9.1f %6.2f   %9.1f %9.1f %6.2f\n",
                    path.substr(slash == std::string::npos ? 0 : slash + 1).c_str(), m[0][0],
                    m[0][1], m[0][0] > 0 ? m[0][1] / m[0][0] : 0.0, m[1][0], m[1][1],
                    m[1][0] > 0 ? m[1][1] / m[1][0] : 0.0);
        std::fflush(stdout);
    }
#if DVR_HAVE_POSTPROC
    std::printf("\npost-processing alone, pictures per CPU second, medians of %d turns, QP 5, "
                "ours against libpostproc\n",
                kTurns);
    std::printf("%-24s %9s %9s %6s   %9s %9s %6s   %9s %9s %6s\n", "stream", "deblock:pp", "ours",
                "ratio", "dering:pp", "ours", "ratio", "both:pp", "ours", "ratio");
    struct Kind {
        const char* their_mode;
        unsigned our_filters;
    };
    const Kind kinds[3] = {
        {"hb:a,vb:a", kDeblockLumaH | kDeblockLumaV | kDeblockChromaH | kDeblockChromaV},
        {"dr:a", kDeringLuma | kDeringChroma},
        {"hb:a,vb:a,dr:a", kAllPostFilters}};
    for (const std::string& path : paths) {
        std::vector<VideoRecord> records;
        if (!LoadVideoRecords(path, records)) {
            std::fprintf(stderr, "pipeline_bench: cannot read %s\n", path.c_str());
            return 1;
        }
        int w = 0, h = 0;
        const auto pictures = DecodedPictures(records, w, h);
        if (pictures.empty()) continue;
        std::vector<double> runs[3][2];
        for (int t = 0; t < kTurns; ++t)
            for (int k = 0; k < 3; ++k) {
                runs[k][0].push_back(TheirPostRate(pictures, w, h, kinds[k].their_mode, seconds));
                runs[k][1].push_back(OurPostRate(pictures, w, h, kinds[k].our_filters, seconds));
            }
        const size_t slash = path.find_last_of('/');
        std::printf("%-24s", path.substr(slash == std::string::npos ? 0 : slash + 1).c_str());
        for (int k = 0; k < 3; ++k) {
            const double theirs = Median(runs[k][0]), ours = Median(runs[k][1]);
            std::printf(" %9.1f %9.1f %6.2f  ", theirs, ours, theirs > 0 ? ours / theirs : 0.0);
        }
        std::printf("\n");
        std::fflush(stdout);
    }
#endif
    return 0;
}
