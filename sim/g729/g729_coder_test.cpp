#include "sim/g729/g729_coder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <cstring>
#include <vector>

namespace {

using g729sim::kCodeBytes;
using g729sim::kPcmBytes;

std::vector<uint8_t> Tone(double hz, double amplitude, int frame) {
    std::vector<uint8_t> pcm(kPcmBytes);
    for (int k = 0; k < 480; ++k) {
        const int16_t v = static_cast<int16_t>(std::lround(
            amplitude * std::sin(2 * std::numbers::pi * hz * (frame * 480 + k) / 8000.0)));
        std::memcpy(&pcm[2 * k], &v, 2);
    }
    return pcm;
}

double SnrDb(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    double signal = 0, noise = 0;
    for (size_t k = 0; k < a.size() / 2; ++k) {
        int16_t x, y;
        std::memcpy(&x, &a[2 * k], 2);
        std::memcpy(&y, &b[2 * k], 2);
        signal += double(x) * x;
        noise += double(x - y) * (x - y);
    }
    return 10 * std::log10(signal / std::max(noise, 1.0));
}

TEST(G729Coder, SpeechBandTonesSurviveTheRoundTrip) {
    // The coder keeps about 900 Hz of band: low tones come back close, higher ones duller.
    const struct { double hz, minDb; } cases[] = {{150, 15}, {300, 12}, {500, 6}};
    for (const auto& [hz, minDb] : cases) {
        for (int frame = 0; frame < 3; ++frame) {
            const auto pcm = Tone(hz, 8000, frame);
            uint8_t code[kCodeBytes];
            ASSERT_TRUE(g729sim::EncodeFrame(pcm.data(), pcm.size(), code, sizeof(code)));
            std::vector<uint8_t> back(kPcmBytes);
            ASSERT_TRUE(g729sim::DecodeFrame(code, sizeof(code), back.data(), back.size()));
            EXPECT_GT(SnrDb(pcm, back), minDb) << hz << " Hz, frame " << frame;
        }
    }
}

TEST(G729Coder, SilenceStaysSilentAndLoudFramesDoNotWrap) {
    std::vector<uint8_t> silence(kPcmBytes, 0), back(kPcmBytes);
    uint8_t code[kCodeBytes];
    ASSERT_TRUE(g729sim::EncodeFrame(silence.data(), kPcmBytes, code, sizeof(code)));
    ASSERT_TRUE(g729sim::DecodeFrame(code, sizeof(code), back.data(), kPcmBytes));
    EXPECT_EQ(back, silence);

    // A full-scale square wave: the decoder clamps instead of wrapping round.
    std::vector<uint8_t> square(kPcmBytes);
    for (int k = 0; k < 480; ++k) {
        const int16_t v = (k / 40) % 2 ? 32767 : -32768;
        std::memcpy(&square[2 * k], &v, 2);
    }
    ASSERT_TRUE(g729sim::EncodeFrame(square.data(), kPcmBytes, code, sizeof(code)));
    ASSERT_TRUE(g729sim::DecodeFrame(code, sizeof(code), back.data(), kPcmBytes));
    EXPECT_GT(SnrDb(square, back), 3.0);
}

TEST(G729Coder, WrongSizesAreRefused) {
    std::vector<uint8_t> pcm(kPcmBytes + 2), code(kCodeBytes + 10);
    EXPECT_FALSE(g729sim::EncodeFrame(pcm.data(), 958, code.data(), code.size()));
    EXPECT_FALSE(g729sim::EncodeFrame(pcm.data(), 962, code.data(), code.size()));
    EXPECT_FALSE(g729sim::EncodeFrame(pcm.data(), kPcmBytes, code.data(), 59));
    EXPECT_FALSE(g729sim::DecodeFrame(code.data(), 59, pcm.data(), pcm.size()));
    EXPECT_FALSE(g729sim::DecodeFrame(code.data(), kCodeBytes, pcm.data(), 958));
    // Any bytes decode to something: a corrupt datagram cannot crash the receiver.
    for (int fill : {0x00, 0xFF, 0x5A}) {
        std::memset(code.data(), fill, code.size());
        EXPECT_TRUE(g729sim::DecodeFrame(code.data(), code.size(), pcm.data(), pcm.size()));
    }
}

} // namespace
