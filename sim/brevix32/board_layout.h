// The board's side of the memory it shares with the host: the stream slot
// block, the control block and the per-sub-channel areas in board memory.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sim {

// Shared block "Memory".
constexpr uint32_t kSharedBlockSize = 60000;
constexpr int kSlotCount = 14;
constexpr uint32_t kSlotSize = 4096;
constexpr uint32_t kFullFlagsOffset = 0;
constexpr uint32_t kByteCountsOffset = 64;
constexpr uint32_t kLastTakenOffset = 128;
constexpr uint32_t kSlotsOffset = 136;
constexpr uint32_t kControlBlockOffset = 58000;
constexpr uint32_t kStreamMagic = 0x13145201;
constexpr int32_t kSlotMarker = 2;
constexpr int kFirstSlotAfterBoot = 1; // the host reads (last + 1) mod 14 with last = 0

static_assert(kSlotsOffset + kSlotCount * kSlotSize == 57480);

#pragma pack(push, 1)
struct StreamSlotHeader {
    int32_t marker;
    uint32_t magic;
    int32_t payloadLength;
    uint16_t frameType;
    uint8_t subChannel;
    uint8_t unused;
};
#pragma pack(pop)
static_assert(sizeof(StreamSlotHeader) == 16);
static_assert(offsetof(StreamSlotHeader, payloadLength) == 8);
static_assert(offsetof(StreamSlotHeader, frameType) == 12);
static_assert(offsetof(StreamSlotHeader, subChannel) == 14);

constexpr uint32_t kSlotPayload = kSlotSize - sizeof(StreamSlotHeader); // 4080

// Board addresses of one sub-channel's areas, in control-block order.
enum ChannelArea {
    kTextLine1,
    kTextLine2,
    kLogo,
    kStatistics,
    kGrabBuffer,
    kStatusBlock,
    kAreaCount
};

#pragma pack(push, 1)
struct BoardControlBlock {
    uint32_t magic;
    uint32_t infoA;
    uint32_t infoB;
    uint32_t areas[4][kAreaCount];
};
#pragma pack(pop)
static_assert(sizeof(BoardControlBlock) == 108);
static_assert(offsetof(BoardControlBlock, infoA) == 4);
static_assert(offsetof(BoardControlBlock, infoB) == 8);
static_assert(offsetof(BoardControlBlock, areas) == 12);

// Board memory of one processor, as offsets from its base. The shared block
// lies at the start, then four sub-channel area sets, then free memory for
// board programs.
constexpr uint32_t kBoardMemorySize = 8u << 20;
constexpr uint32_t kBoardBase = 0x10000000; // the board's own view of its memory
constexpr uint32_t kChannelAreasOffset = 0x10000;
constexpr uint32_t kChannelAreasStride = 0xD0000;
constexpr uint32_t kAreaOffsets[kAreaCount] = {0x0, 0x80, 0x100, 0x4200, 0x4300, 0x4210};
constexpr uint32_t kTextAreaSize = 0x80;
constexpr uint32_t kLogoAreaSize = 0x4100;
constexpr uint32_t kGrabCapacity = 829440; // bytes after the length word
constexpr uint32_t kProgramAreaOffset = 0x400000;
constexpr uint32_t kProgramAreaSize = kBoardMemorySize - kProgramAreaOffset;

static_assert(kTextAreaSize >= 92 && kLogoAreaSize >= 16392);
static_assert(kAreaOffsets[kGrabBuffer] + 4 + kGrabCapacity <= kChannelAreasStride);
static_assert(kChannelAreasOffset + 4 * kChannelAreasStride <= kProgramAreaOffset);
static_assert(kSharedBlockSize <= kChannelAreasOffset);

constexpr uint32_t ChannelAreaOffset(int sub, ChannelArea area) {
    return kChannelAreasOffset + uint32_t(sub) * kChannelAreasStride + kAreaOffsets[area];
}

// Stream record types.
enum : uint16_t {
    kTypeKeyFrame = 1,
    kTypePFrame = 2,
    kTypePBFrame = 0x20,
    kTypePBBFrame = 4,
    kTypeAudio = 8,
    kTypeFileHead = 128,
    kTypeMotion = 4096,
};

// Raw audio as the board delivers it and the length it declares for it.
constexpr uint32_t kAudioBlockCount = 8;
constexpr uint32_t kAudioBlockSize = 18 + 640;
constexpr uint32_t kAudioRecordSize = kAudioBlockCount * kAudioBlockSize; // 5264
constexpr int32_t kAudioDeclaredLength = 1104;
constexpr uint32_t kAudioPeriodMs = 320;

// Message codes (bits 16-31 of word 0).
enum : uint32_t {
    kCmdCapture = 0x01,
    kCmdPreview = 0x02,
    kCmdVideoStandard = 0x03,
    kCmdMotion = 0x07,
    kCmdEncoder = 0x0A,
    kCmdGrab = 0x0B,
    kCmdBoardStop = 0x12,
    kCmdKeyFrame = 0x17,
    kCmdTime = 0x1C,
    kCmdBoardStart = 0x20,
    kMsgPictureReady = 11,
    kMsgBoardStopped = 18,
    kMsgTimeRequest = 28,
};

constexpr uint32_t CommandCode(uint32_t word0) {
    return word0 >> 16;
}
// Commands that name only a sub-channel carry it in bits 0-7; those that also
// carry a value put the sub-channel in bits 8-15.
constexpr bool SubChannelInLowByte(uint32_t code) {
    return code == 0x05 || code == 0x08 || code == kCmdGrab || code == 0x0D || code == 0x0F ||
           code == kCmdKeyFrame || code == 0x19;
}
constexpr int CommandSub(uint32_t word0) {
    return SubChannelInLowByte(CommandCode(word0)) ? int(word0 & 0xFF) : int((word0 >> 8) & 0xFF);
}
constexpr int CommandValue(uint32_t word0) {
    return int(word0 & 0xFF);
}

} // namespace sim
