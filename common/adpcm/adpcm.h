// Board audio as it is stored and played: 24 kbit/s ADPCM, 320 three-bit code words per
// 40 ms block, packed least significant bit first into 120 bytes.
//
// Encoding side: the board's raw 16-bit PCM is halved and limited to -6144..6143 before
// the coder, with one AdpcmChannelState per channel that carries over from block to block.
// Decoding side: G723Decoder turns packed code words back into 16-bit samples, the
// reconstructed 14-bit signal times 4.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/adpcm/g726.h"

namespace dvr {

constexpr size_t kAudioBlockSamples = 320;   // 40 ms at 8000 samples per second
constexpr size_t kAudioBlockCodeBytes = 120; // 320 code words of 3 bits
constexpr size_t kAudioFrameHeadSize = 18;   // FrameHead before each block
constexpr size_t kAudioBlocksPerRecord = 8;  // one record is 320 ms
constexpr size_t kRawAudioBlockSize = kAudioFrameHeadSize + 2 * kAudioBlockSamples;        // 658
constexpr size_t kRawAudioRecordSize = kAudioBlocksPerRecord * kRawAudioBlockSize;         // 5264
constexpr size_t kEncodedAudioBlockSize = kAudioFrameHeadSize + kAudioBlockCodeBytes;      // 138
constexpr size_t kEncodedAudioRecordSize = kAudioBlocksPerRecord * kEncodedAudioBlockSize; // 1104
static_assert(kRawAudioBlockSize == 658 && kRawAudioRecordSize == 5264);
static_assert(kEncodedAudioBlockSize == 138 && kEncodedAudioRecordSize == 1104);

// Encoder state of one channel. The packing accumulator starts empty with every block,
// so only the coder's adaptive state lives here.
struct AdpcmChannelState {
    G726State g726;
};

// Resets the channel to the coder's initial state.
void AdpcmInitState(AdpcmChannelState& channel);

// Bytes AdpcmEncodeBlock writes for count samples: the last code words are padded with
// zero codes to a whole group of 8 (3 bytes), so 320 samples give exactly 120 bytes.
constexpr size_t AdpcmEncodedSize(size_t count) {
    return (count + 7) / 8 * 3;
}

// Encodes count samples into packed code words at output and returns the bytes written.
// Writes nothing and leaves the state alone (returns 0) when capacity is below
// AdpcmEncodedSize(count).
size_t AdpcmEncodeBlock(const int16_t* samples, uint8_t* output, size_t count, size_t capacity,
                        AdpcmChannelState& channel);

// Encodes one raw record (8 blocks of FrameHead + 320 little-endian samples, 5264 bytes)
// into the stored form (8 blocks of the same FrameHead + 120 code bytes, 1104 bytes).
// Neither buffer needs any alignment.
void AdpcmEncodeRecord(const uint8_t* raw, uint8_t* encoded, AdpcmChannelState& channel);

// Decoder of one player port.
class G723Decoder {
public:
    G723Decoder() { Reset(); }

    // Back to the coder's initial state; done each time sound starts.
    void Reset(G726Mix mix = G726Mix::kStandard) { G726Reset(state_, mix); }

    // Code words in n bytes: every whole 3 bits; a trailing fragment is dropped.
    static constexpr size_t SamplesFor(size_t n) { return n * 8 / 3; }

    // Decodes the code words of n bytes into at most capacity samples and returns the
    // number written. 120 bytes give 320 samples.
    size_t Decode(const uint8_t* codes, size_t n, int16_t* out, size_t capacity);

private:
    G726State state_;
};

} // namespace dvr
