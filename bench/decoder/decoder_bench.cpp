// Pictures per second of our decoder and of libavcodec on the same streams, one thread
// each, and their ratio; by default the matrix of D1 and CIF, I only, I/P and I/P/B, 1 and
// 4 Mbit/s, with and without noise.
//   decoder_bench [seconds per run] [STREAM.m4v ...]
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
}

#include "bench/thread_clock.h"
#include "player/decoder/decoder.h"
#include "player/decoder/records.h"
#include "player/decoder/simd.h"

using namespace dvr::decoder;
using Clock = dvr::bench::ThreadClock; // CPU time of this thread

namespace {

const uint8_t kVop[4] = {0, 0, 1, 0xB6};

// Decodes the records over and over for at least `seconds`; returns pictures per second.
template <typename DecodeAll> double Rate(double seconds, DecodeAll decode_all) {
    long pictures = 0;
    decode_all(); // warm up
    const auto start = Clock::now();
    double elapsed = 0;
    do {
        pictures += decode_all();
        elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    } while (elapsed < seconds);
    return pictures / elapsed;
}

double OurRate(const std::vector<VideoRecord>& records, int level, double seconds) {
    OverrideSimdLevel(level);
    uint8_t *input, *rgb;
    int handle = InitDecoder(&input, &rgb, 720, 576);
    if (!handle) return 0;
    unsigned checksum = 0;
    double rate = Rate(seconds, [&] {
        long n = 0;
        for (const VideoRecord& r : records) {
            std::memcpy(input, r.payload.data(), r.payload.size());
            SetBFrameType(handle, PackedBOf(r));
            if (!DecoderOneFrame(handle, static_cast<int>(r.payload.size()))) std::abort();
            for (int i = 0; i < PicturesOf(r); ++i, ++n)
                checksum += GetYUV(handle)[0];
        }
        return n;
    });
    FreeDecoder(handle);
    if (checksum == 0xFFFFFFFFu) std::puts("");
    return rate;
}

double FfmpegRate(const std::vector<VideoRecord>& records, double seconds) {
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_MPEG4);
    AVCodecContext* ctx = avcodec_alloc_context3(codec);
    ctx->thread_count = 1;
    // Fed these packets, libavcodec reports errors in some B pictures and conceals them,
    // yet its pictures are byte for byte those of a clean decode of the same file by its
    // command-line program: the concealing is extra work that changes nothing, left out.
    ctx->error_concealment = 0;
    if (avcodec_open2(ctx, codec, nullptr) < 0) return 0;
    AVPacket* pkt = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    // libavcodec takes one picture per packet: packed records are cut at each VOP.
    std::vector<std::vector<uint8_t>> padded;
    std::vector<int> sizes;
    for (const VideoRecord& r : records) {
        const std::vector<uint8_t>& d = r.payload;
        // The headers stay with the first VOP; every further VOP starts a packet.
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
    double rate = Rate(seconds, [&] {
        long n = 0;
        for (size_t i = 0; i < padded.size(); ++i) {
            pkt->data = padded[i].data();
            pkt->size = sizes[i];
            if (avcodec_send_packet(ctx, pkt) < 0) std::abort();
            while (avcodec_receive_frame(ctx, frame) == 0)
                ++n;
        }
        // The pictures held back for reordering, then a fresh start for the next pass.
        avcodec_send_packet(ctx, nullptr);
        while (avcodec_receive_frame(ctx, frame) == 0)
            ++n;
        avcodec_flush_buffers(ctx);
        return n;
    });
    av_frame_free(&frame);
    av_packet_free(&pkt);
    avcodec_free_context(&ctx);
    return rate;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

// The machine is shared: every stream runs ours and libavcodec by turns, seven times
// each, and the medians are compared.
int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 0.3;
    std::vector<std::string> paths;
    for (int i = 2; i < argc; ++i)
        paths.push_back(argv[i]);
    if (paths.empty()) {
        for (const char* size : {"d1", "cif"})
            for (const char* kind : {"i", "ip", "ipb"})
                for (const char* rate : {"1m", "4m"})
                    for (const char* noise : {"", "_noise"})
                        paths.push_back(std::string("build/testdata/bench_") + size + "_" + kind +
                                        "_" + rate + noise + ".m4v");
    }
    av_log_set_level(AV_LOG_QUIET);
    constexpr int kTurns = 7;
    const int level = DetectSimdLevel();
    std::printf("%-28s %9s %9s %7s   (pictures per CPU second, medians of %d turns, ours at level %d)\n",
                "stream", "libavcodec", "ours", "ratio", kTurns, level);
    for (const std::string& path : paths) {
        std::vector<VideoRecord> records;
        if (!LoadVideoRecords(path, records)) {
            std::fprintf(stderr, "decoder_bench: cannot read %s\n", path.c_str());
            return 1;
        }
        std::vector<double> theirs, ours;
        for (int t = 0; t < kTurns; ++t) {
            theirs.push_back(FfmpegRate(records, seconds));
            ours.push_back(OurRate(records, level, seconds));
        }
        const double a = Median(theirs), b = Median(ours);
        const size_t slash = path.find_last_of('/');
        std::printf("%-28s %9.1f %9.1f %7.2f\n",
                    path.substr(slash == std::string::npos ? 0 : slash + 1).c_str(), a, b,
                    a > 0 ? b / a : 0.0);
        std::fflush(stdout);
    }
    return 0;
}
