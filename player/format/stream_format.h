// The byte format of recording files and live streams: one FileHead, then media
// records (FrameHead + payload) in capture order. All fields are little-endian.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

#include "common/adpcm/adpcm.h"

namespace dvr {

static_assert(std::endian::native == std::endian::little, "records are read in place");

inline constexpr uint8_t kFileHeadMagic[4] = {0x00, 0x00, 0x01, 0xC6};
inline constexpr uint8_t kFrameHeadMagic[4] = {0x00, 0x00, 0x01, 0xC7};

// Length of a FileHead without text blocks; the length callers pass to open a stream.
inline constexpr int kFileHeadLength = 19;
inline constexpr int kFrameHeadLength = 18;

// The decoder input buffer holds one D1 picture's worth of 4:2:0 samples.
inline constexpr uint32_t kDecoderInputSize = 720 * 576 * 3 / 2;

inline constexpr uint32_t kTicksPerSecond = 90000;
inline constexpr uint32_t kTicksPerMs = 90;

#pragma pack(push, 1)

// Stream header as it stands when it carries no text blocks.
struct FileHead {
    uint8_t magic[4];
    uint32_t word4; // not interpreted by the player
    uint16_t flags; // HeaderFlags
    uint8_t frameRate;
    uint32_t word11; // not interpreted by the player
    uint16_t height;
    uint16_t width;
};
static_assert(sizeof(FileHead) == 19);
static_assert(offsetof(FileHead, word4) == 4);
static_assert(offsetof(FileHead, flags) == 8);
static_assert(offsetof(FileHead, frameRate) == 10);
static_assert(offsetof(FileHead, word11) == 11);
static_assert(offsetof(FileHead, height) == 15);
static_assert(offsetof(FileHead, width) == 17);

// Header of one text block inside a FileHead; `length` bytes of text follow.
struct HeaderTextBlock {
    uint8_t kind;
    uint8_t length;
};
static_assert(sizeof(HeaderTextBlock) == 2);

struct FrameHead {
    uint8_t magic[4];
    uint8_t type;
    uint32_t frameNumber;
    uint32_t timeStamp; // 90 kHz ticks
    uint8_t flags;      // bit 0: header-only record
    uint32_t length;    // payload bytes that follow
};
static_assert(sizeof(FrameHead) == 18);
static_assert(offsetof(FrameHead, type) == 4);
static_assert(offsetof(FrameHead, frameNumber) == 5);
static_assert(offsetof(FrameHead, timeStamp) == 9);
static_assert(offsetof(FrameHead, flags) == 13);
static_assert(offsetof(FrameHead, length) == 14);

#pragma pack(pop)

// Record type byte values.
enum FrameType : uint8_t {
    kFrameKey = 1,
    kFrameP = 2,
    kFramePBB = 4,
    kFrameAudio = 8,
    kFramePB = 0x20,
};

inline constexpr uint8_t kFrameFlagHeaderOnly = 0x01;

// AudioBlock: 320 3-bit G.726 codes (40 ms at 8000 Hz, kAudioBlockSamples in
// common/adpcm/adpcm.h), packed least significant bit first.
inline constexpr int kAudioBlockBytes = 120;
inline constexpr uint32_t kAudioBlockTicks = 3600;
// The board delivers audio in groups of 8 blocks.
inline constexpr int kAudioBlocksPerGroup = 8;

// Code word i (0..319) of a packed AudioBlock.
uint8_t AudioBlockCode(const uint8_t* block, int i);
// Packs 320 codes (low 3 bits of each) into a 120-byte AudioBlock.
void PackAudioBlock(const uint8_t* codes, uint8_t* block);

// Pictures a video record carries (1, 2 or 3); 0 for anything else.
int PicturesInRecord(uint8_t type);

// HeaderFlags: only flags & 0xE003 counts, and as one value of a table, not as bits.
inline constexpr uint16_t kHeaderFlagsMask = 0xE003;
struct HeaderFlagsInfo {
    bool listed;    // one of the seven values of the table
    bool sound;     // the stream carries audio records
    int textBlocks; // HeaderTextBlocks between the flags and the frame rate
};
HeaderFlagsInfo DecodeHeaderFlags(uint16_t flags);

// What the player keeps of a stream header.
struct StreamHeaderFields {
    uint32_t magic = 0;
    uint32_t word4 = 0;
    uint16_t flags = 0;
    uint8_t frameRate = 0;
    uint32_t word11 = 0;
    uint16_t height = 0;
    uint16_t width = 0;
    int headerLength = 0; // offset of the first record
    int noSound = 0;      // 1 when the stream carries no sound
};

// Header of a live stream as the caller hands it over. Refused (false, nothing
// written) when shorter than 19 bytes or without the magic. Height and width are
// read at offsets 15 and 17 whatever the flags; the frame rate is not taken.
bool ParseStreamHeader(const uint8_t* head, size_t length, StreamHeaderFields* out);

// The picture size to report: the stored one, or 576 x 720 (and false) when the
// stored height is above 1000.
bool PictureSize(const StreamHeaderFields& head, int* height, int* width);

// Played time from the first time stamp t0; the counter wraps at 2^32 ticks.
inline uint32_t PlayedSeconds(uint32_t t, uint32_t t0) {
    return (t - t0) / kTicksPerSecond;
}
inline uint32_t PlayedMs(uint32_t t, uint32_t t0) {
    return (t - t0) / kTicksPerMs;
}

} // namespace dvr
