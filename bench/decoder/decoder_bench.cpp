// Pictures per second of our decoder and of libavcodec on the same I-only stream, one
// thread each, and their ratio.
//   decoder_bench [STREAM.m4v] [seconds per run]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "player/decoder/decoder.h"
#include "player/decoder/records.h"
#include "player/decoder/simd.h"

using namespace dvr::decoder;
using Clock = std::chrono::steady_clock;

namespace {

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
            checksum += GetYUV(handle)[0];
            ++n;
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
    if (avcodec_open2(ctx, codec, nullptr) < 0) return 0;
    AVPacket* pkt = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    std::vector<std::vector<uint8_t>> padded;
    for (const VideoRecord& r : records) {
        std::vector<uint8_t> p(r.payload);
        p.resize(p.size() + AV_INPUT_BUFFER_PADDING_SIZE, 0);
        padded.push_back(std::move(p));
    }
    double rate = Rate(seconds, [&] {
        long n = 0;
        for (size_t i = 0; i < records.size(); ++i) {
            pkt->data = padded[i].data();
            pkt->size = static_cast<int>(records[i].payload.size());
            if (avcodec_send_packet(ctx, pkt) < 0) std::abort();
            while (avcodec_receive_frame(ctx, frame) == 0)
                ++n;
        }
        return n;
    });
    av_frame_free(&frame);
    av_packet_free(&pkt);
    avcodec_free_context(&ctx);
    return rate;
}

} // namespace

int main(int argc, char** argv) {
    std::string path = argc > 1 ? argv[1] : "build/testdata/dec_d1_i_q9.m4v";
    double seconds = argc > 2 ? std::atof(argv[2]) : 2.0;
    std::vector<VideoRecord> records;
    if (!LoadVideoRecords(path, records)) {
        std::fprintf(stderr, "decoder_bench: cannot read %s\n", path.c_str());
        return 1;
    }
    for (const VideoRecord& r : records)
        if (r.type != 1) {
            std::fprintf(stderr, "decoder_bench: %s is not I-only\n", path.c_str());
            return 1;
        }
    const int best = DetectSimdLevel();
    const double theirs = FfmpegRate(records, seconds);
    std::printf("%s: %zu pictures\n", path.c_str(), records.size());
    std::printf("libavcodec        %8.1f pictures/s\n", theirs);
    for (int level = 0; level <= best; ++level) {
        const double ours = OurRate(records, level, seconds);
        std::printf("ours, level %d     %8.1f pictures/s   ratio %.2f\n", level, ours,
                    theirs > 0 ? ours / theirs : 0.0);
    }
    return 0;
}
