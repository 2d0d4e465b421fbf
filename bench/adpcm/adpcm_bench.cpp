// Encode and decode speed of the ADPCM coder against ffmpeg's g726le at 3 bits, on the
// same 60 s of voice-like sound, in samples per second. Run from a Release tree without
// sanitizers.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "bench/thread_clock.h"
#include "common/adpcm/adpcm.h"

namespace {

using Clock = dvr::bench::ThreadClock; // CPU time of this thread

constexpr double kPi = 3.14159265358979323846;
constexpr int kRate = 8000;
constexpr size_t kSamples = 60 * kRate; // a whole number of 320-sample blocks

// Two wandering harmonics under a syllable envelope, plus a little noise.
std::vector<int16_t> VoiceLike() {
    std::vector<int16_t> pcm(kSamples);
    uint32_t lcg = 12345;
    double phase = 0;
    for (size_t i = 0; i < kSamples; ++i) {
        double t = double(i) / kRate;
        double pitch = 140 + 40 * std::sin(2 * kPi * 0.7 * t);
        phase += 2 * kPi * pitch / kRate;
        double env = std::fabs(std::sin(2 * kPi * 2.5 * t));
        lcg = lcg * 1664525 + 1013904223;
        double noise = (double(lcg >> 16) / 32768.0 - 1.0) * 0.05;
        double v = env * (0.6 * std::sin(phase) + 0.3 * std::sin(3 * phase) + noise);
        pcm[i] = static_cast<int16_t>(v * 11000);
    }
    return pcm;
}

// Runs fn until at least 0.2 s have passed and returns samples per second.
double Rate(size_t samples_per_run, const std::function<void()>& fn) {
    size_t runs = 0;
    auto start = Clock::now();
    double secs = 0;
    do {
        fn();
        ++runs;
        secs = std::chrono::duration<double>(Clock::now() - start).count();
    } while (secs < 0.2);
    return double(samples_per_run) * double(runs) / secs;
}

void Check(int err, const char* what) {
    if (err < 0) {
        std::fprintf(stderr, "%s failed: %d\n", what, err);
        std::exit(1);
    }
}

struct FfEncoder {
    AVCodecContext* ctx = nullptr;
    AVFrame* frame = av_frame_alloc();
    AVPacket* pkt = av_packet_alloc();

    FfEncoder() {
        const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_ADPCM_G726LE);
        ctx = avcodec_alloc_context3(codec);
        ctx->sample_rate = kRate;
        ctx->sample_fmt = AV_SAMPLE_FMT_S16;
        av_channel_layout_default(&ctx->ch_layout, 1);
        AVDictionary* opts = nullptr;
        av_dict_set(&opts, "code_size", "3", 0);
        Check(avcodec_open2(ctx, codec, &opts), "opening ffmpeg's encoder");
        av_dict_free(&opts);
    }
    ~FfEncoder() {
        avcodec_free_context(&ctx);
        av_frame_free(&frame);
        av_packet_free(&pkt);
    }
    // ffmpeg takes 16-bit samples and divides them by 4; feed it the coder's input times 4.
    std::vector<uint8_t> Encode(const std::vector<int16_t>& in16) {
        std::vector<uint8_t> out;
        size_t fs = ctx->frame_size;
        for (size_t at = 0; at < in16.size(); at += fs) {
            size_t n = std::min(fs, in16.size() - at);
            frame->nb_samples = int(n);
            frame->format = ctx->sample_fmt;
            av_channel_layout_copy(&frame->ch_layout, &ctx->ch_layout);
            Check(av_frame_get_buffer(frame, 0), "frame buffer");
            std::memcpy(frame->data[0], &in16[at], n * 2);
            Check(avcodec_send_frame(ctx, frame), "encoding");
            av_frame_unref(frame);
            while (avcodec_receive_packet(ctx, pkt) == 0) {
                out.insert(out.end(), pkt->data, pkt->data + pkt->size);
                av_packet_unref(pkt);
            }
        }
        return out;
    }
};

struct FfDecoder {
    AVCodecContext* ctx = nullptr;
    AVFrame* frame = av_frame_alloc();
    AVPacket* pkt = av_packet_alloc();

    FfDecoder() {
        const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_ADPCM_G726LE);
        ctx = avcodec_alloc_context3(codec);
        ctx->sample_rate = kRate;
        ctx->bits_per_coded_sample = 3;
        av_channel_layout_default(&ctx->ch_layout, 1);
        Check(avcodec_open2(ctx, codec, nullptr), "opening ffmpeg's decoder");
    }
    ~FfDecoder() {
        avcodec_free_context(&ctx);
        av_frame_free(&frame);
        av_packet_free(&pkt);
    }
    size_t Decode(const std::vector<uint8_t>& codes, size_t packet, std::vector<int16_t>& out) {
        size_t n = 0;
        for (size_t at = 0; at < codes.size(); at += packet) {
            size_t len = std::min(packet, codes.size() - at);
            Check(av_new_packet(pkt, int(len)), "packet");
            std::memcpy(pkt->data, &codes[at], len);
            Check(avcodec_send_packet(ctx, pkt), "decoding");
            av_packet_unref(pkt);
            while (avcodec_receive_frame(ctx, frame) == 0) {
                std::memcpy(&out[n], frame->data[0], size_t(frame->nb_samples) * 2);
                n += size_t(frame->nb_samples);
                av_frame_unref(frame);
            }
        }
        return n;
    }
};

std::vector<uint8_t> OurEncode(const std::vector<int16_t>& pcm, dvr::G726Mix mix) {
    dvr::AdpcmChannelState ch;
    dvr::AdpcmInitState(ch);
    dvr::G726Reset(ch.g726, mix);
    std::vector<uint8_t> out(pcm.size() / dvr::kAudioBlockSamples * dvr::kAudioBlockCodeBytes);
    for (size_t b = 0; b * dvr::kAudioBlockSamples < pcm.size(); ++b)
        dvr::AdpcmEncodeBlock(&pcm[b * dvr::kAudioBlockSamples],
                              &out[b * dvr::kAudioBlockCodeBytes], dvr::kAudioBlockSamples,
                              dvr::kAudioBlockCodeBytes, ch);
    return out;
}

} // namespace

int main() {
    av_log_set_level(AV_LOG_ERROR);
    const std::vector<int16_t> pcm = VoiceLike();
    std::vector<int16_t> scaled4(pcm.size());
    for (size_t i = 0; i < pcm.size(); ++i)
        scaled4[i] = static_cast<int16_t>(4 * std::min(6143, std::max(-6144, pcm[i] >> 1)));

    // Sanity: with ffmpeg's rounding of the step-size mix the bytes are the same.
    FfEncoder check_enc;
    bool same = check_enc.Encode(scaled4) == OurEncode(pcm, dvr::G726Mix::kKeepSlowFraction);

    std::vector<uint8_t> codes = OurEncode(pcm, dvr::G726Mix::kStandard);
    std::vector<int16_t> out(pcm.size() + 4096);

    // The machine is shared: the five measurements run by turns, seven times, and the
    // medians are compared.
    constexpr int kTurns = 7;
    std::vector<double> runs[5];
    for (int t = 0; t < kTurns; ++t) {
        runs[0].push_back(
            Rate(pcm.size(), [&] { codes = OurEncode(pcm, dvr::G726Mix::kStandard); }));
        runs[1].push_back(Rate(pcm.size(), [&] {
            FfEncoder enc;
            enc.Encode(scaled4);
        }));
        runs[2].push_back(Rate(pcm.size(), [&] {
            dvr::G723Decoder dec;
            for (size_t b = 0; b * dvr::kAudioBlockCodeBytes < codes.size(); ++b)
                dec.Decode(&codes[b * dvr::kAudioBlockCodeBytes], dvr::kAudioBlockCodeBytes,
                           &out[b * dvr::kAudioBlockSamples], dvr::kAudioBlockSamples);
        }));
        runs[3].push_back(Rate(pcm.size(), [&] {
            FfDecoder dec;
            dec.Decode(codes, dvr::kAudioBlockCodeBytes, out);
        }));
        runs[4].push_back(Rate(pcm.size(), [&] {
            FfDecoder dec;
            dec.Decode(codes, 3000, out);
        }));
    }
    for (auto& r : runs)
        std::sort(r.begin(), r.end());
    const double our_enc = runs[0][kTurns / 2], ff_enc = runs[1][kTurns / 2],
                 our_dec = runs[2][kTurns / 2], ff_dec_block = runs[3][kTurns / 2],
                 ff_dec_big = runs[4][kTurns / 2];

    std::printf("ADPCM 24 kbit/s, %zu samples (%zu s at 8000/s), medians of %d turns\n",
                pcm.size(), pcm.size() / kRate, kTurns);
    std::printf("ffmpeg's bytes equal ours with its mix rounding: %s\n", same ? "yes" : "NO");
    std::printf("encode  ours   %12.0f samples/s  (320-sample blocks)\n", our_enc);
    std::printf("encode  ffmpeg %12.0f samples/s  (its own frames)   ours/ffmpeg %.2f\n", ff_enc,
                our_enc / ff_enc);
    std::printf("decode  ours   %12.0f samples/s  (120-byte blocks)\n", our_dec);
    std::printf("decode  ffmpeg %12.0f samples/s  (120-byte packets) ours/ffmpeg %.2f\n",
                ff_dec_block, our_dec / ff_dec_block);
    std::printf("decode  ffmpeg %12.0f samples/s  (3000-byte packets) ours/ffmpeg %.2f\n",
                ff_dec_big, our_dec / ff_dec_big);
    return same ? 0 : 1;
}
