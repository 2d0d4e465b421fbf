#include "common/adpcm/adpcm.h"

#include <cstring>

namespace dvr {
namespace {

// The board's 16-bit samples are halved into the coder's 14-bit range; loud input is
// limited rather than wrapped.
inline int ScaleSample(int s) {
    int x = s >> 1;
    return x < -6144 ? -6144 : x > 6143 ? 6143 : x;
}

template <typename SampleAt>
size_t EncodePacked(SampleAt sample_at, uint8_t* output, size_t count, G726State& state) {
    uint32_t acc = 0;
    unsigned bits = 0;
    size_t written = 0;
    for (size_t i = 0; i < count; ++i) {
        acc |= static_cast<uint32_t>(G726Encode24(state, ScaleSample(sample_at(i)))) << bits;
        bits += 3;
        if (bits >= 8) {
            output[written++] = static_cast<uint8_t>(acc);
            acc >>= 8;
            bits -= 8;
        }
    }
    // Pad with zero codes until the words end on a byte boundary.
    while (bits != 0) {
        bits += 3;
        if (bits >= 8) {
            output[written++] = static_cast<uint8_t>(acc);
            acc >>= 8;
            bits -= 8;
        }
    }
    return written;
}

} // namespace

void AdpcmInitState(AdpcmChannelState& channel) {
    G726Reset(channel.g726);
}

size_t AdpcmEncodeBlock(const int16_t* samples, uint8_t* output, size_t count, size_t capacity,
                        AdpcmChannelState& channel) {
    if (capacity < AdpcmEncodedSize(count)) return 0;
    return EncodePacked([samples](size_t i) { return int{samples[i]}; }, output, count,
                        channel.g726);
}

void AdpcmEncodeRecord(const uint8_t* raw, uint8_t* encoded, AdpcmChannelState& channel) {
    for (size_t k = 0; k < kAudioBlocksPerRecord; ++k) {
        const uint8_t* in = raw + k * kRawAudioBlockSize;
        uint8_t* out = encoded + k * kEncodedAudioBlockSize;
        std::memcpy(out, in, kAudioFrameHeadSize);
        const uint8_t* pcm = in + kAudioFrameHeadSize;
        auto sample_at = [pcm](size_t i) {
            return int{static_cast<int16_t>(pcm[2 * i] | (pcm[2 * i + 1] << 8))};
        };
        EncodePacked(sample_at, out + kAudioFrameHeadSize, kAudioBlockSamples, channel.g726);
    }
}

size_t G723Decoder::Decode(const uint8_t* codes, size_t n, int16_t* out, size_t capacity) {
    uint32_t acc = 0;
    unsigned bits = 0;
    size_t produced = 0;
    size_t next = 0;
    while (produced < capacity) {
        while (bits < 3 && next < n) {
            acc |= static_cast<uint32_t>(codes[next++]) << bits;
            bits += 8;
        }
        if (bits < 3) break;
        int sr = G726Decode24(state_, static_cast<int>(acc & 7));
        acc >>= 3;
        bits -= 3;
        // Times 4 back to 16 bits; an overshooting signal clips instead of wrapping.
        int v = sr * 4;
        out[produced++] = static_cast<int16_t>(v < -32768 ? -32768 : v > 32767 ? 32767 : v);
    }
    return produced;
}

} // namespace dvr
