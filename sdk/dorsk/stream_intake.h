// Stream records on their way from a processor's shared slots into the per-channel rings,
// and out of the rings to the host. Portable: the library supplies the ring locks and the
// data signal through StreamIntakeHost.
#pragma once

#include "common/adpcm/adpcm.h"

#include <cstddef>
#include <cstdint>

namespace dvr::dorsk {

constexpr uint32_t kRingSize = 1u << 20;
constexpr uint32_t kStagingSize = 6144;

// The shared block "Memory" as the host sees it.
constexpr int kSlotCount = 14;
constexpr uint32_t kSlotSize = 4096;
constexpr uint32_t kSlotFullOffset = 0;
constexpr uint32_t kSlotByteCountOffset = 64;
constexpr uint32_t kLastTakenOffset = 128;
constexpr uint32_t kSlotsOffset = 136;
constexpr uint32_t kControlBlockOffset = 58000;
constexpr uint32_t kStreamMagic = 0x13145201;
constexpr int32_t kSlotMarker = 2;
static_assert(kSlotsOffset + kSlotCount * kSlotSize == 57480);

// The host reads every record into one buffer of this size; nothing longer can be
// delivered, and it also fits any empty ring with its record header.
constexpr uint32_t kHostReadBufferSize = 1024000;
constexpr uint32_t kMaxRecordPayload = kHostReadBufferSize;

enum StreamFrameType : uint16_t {
    kFrameKey = 1,
    kFrameP = 2,
    kFramePBB = 4,
    kFrameAudio = 8,
    kFramePB = 0x20,
    kFrameFileHead = 0x80,
    kFrameSkip256 = 0x100,
    kFrameSkip2048 = 0x800,
    kFrameMotion = 0x1000,
};

#pragma pack(push, 1)
struct StreamSlotHeader {
    int32_t marker;
    uint32_t magic;
    int32_t payloadLength;
    uint16_t frameType;
    uint8_t subChannel;
    uint8_t unused;
};
struct RingRecordHeader {
    uint16_t frameType;
    uint16_t unused;
    uint32_t payloadLength;
    uint16_t zero;
    uint16_t keyFlag;
};
#pragma pack(pop)
static_assert(sizeof(StreamSlotHeader) == 16);
static_assert(offsetof(StreamSlotHeader, payloadLength) == 8);
static_assert(offsetof(StreamSlotHeader, frameType) == 12);
static_assert(offsetof(StreamSlotHeader, subChannel) == 14);
static_assert(sizeof(RingRecordHeader) == 12);
static_assert(offsetof(RingRecordHeader, payloadLength) == 4);
static_assert(offsetof(RingRecordHeader, keyFlag) == 10);

constexpr uint32_t kSlotPayload = kSlotSize - sizeof(StreamSlotHeader); // 4080
// Raw audio comes as exactly one full header slot and one continuation.
constexpr uint32_t kAudioFirstPart = kSlotPayload;
constexpr uint32_t kAudioSecondPart = kRawAudioRecordSize - kAudioFirstPart; // 1184
static_assert(kRawAudioRecordSize <= kStagingSize);

// Pictures and audio blocks a record stands for in the channel's statistics.
int PicturesIn(uint16_t type);
int AudioBlocksIn(uint16_t type);

// One channel's ring. Every function below expects the ring's lock held.
struct StreamRingState {
    uint8_t* buffer = nullptr;  // kRingSize bytes
    uint8_t* staging = nullptr; // kStagingSize bytes
    uint32_t writeOffset = 0;
    uint32_t readOffset = 0;
    // Changed under the lock only, always by an atomic store: RecordsWaiting may look
    // at it without the lock.
    uint32_t recordCount = 0;
    int32_t accepting = 0;
    int32_t readSinceNotice = 1;
    // Bytes still expected of the record in progress.
    int32_t pending = 0;
    uint32_t stagingFill = 0;
    // A record whose header is in the ring but which is not complete yet: abandoning it
    // moves the write offset back to where it began.
    bool recordOpen = false;
    uint32_t recordStart = 0;
    AdpcmChannelState adpcm{};
};

// Capture start and stop: empty, and closed until the next stream header or motion record.
void ResetRing(StreamRingState& ring);

enum class BeginAnswer { NotAccepting, Full, Accepted, Audio };
BeginAnswer BeginRecord(StreamRingState& ring, uint16_t type, uint32_t payload_length);
void AppendRecord(StreamRingState& ring, const uint8_t* bytes, uint32_t n);
// True when a record was completed and counted.
bool CompleteRecord(StreamRingState& ring);
// Drops the record in progress, if any.
void AbandonRecord(StreamRingState& ring);

enum class ReadAnswer { Empty, TooSmall, Read };
// On Read the payload is in `buffer` and `head` describes it; on TooSmall `head` gives
// the length needed and the record stays.
ReadAnswer ReadRecord(StreamRingState& ring, uint8_t* buffer, uint32_t size,
                      RingRecordHeader& head);

// The notifier's rule for one pass: once after each read by the host, and every 20th
// pass while records wait unread. `counter` is the notifier's own per channel.
constexpr int kNoticeRepeatPasses = 20;
bool NoticeDue(StreamRingState& ring, int& counter);
// Whether complete records wait, read without the lock. Only this process changes its
// rings, so a 0 seen here is what the lock would have shown a moment earlier: the notifier
// need not take the lock of a ring with nothing to tell about.
inline bool RecordsWaiting(const StreamRingState& ring) {
    return __atomic_load_n(&ring.recordCount, __ATOMIC_RELAXED) != 0;
}

// What the library provides around the intake.
class StreamIntakeHost {
public:
    // Takes the channel's ring lock; null (lock not taken) when the channel has no ring.
    virtual StreamRingState* LockRing(int channel) = 0;
    virtual void UnlockRing(int channel) = 0;
    // A record entered the ring (called with the ring locked).
    virtual void CountRecord(int channel, uint16_t type) = 0;
    // A record became readable (called with no ring locked).
    virtual void RecordCompleted(int channel) = 0;

protected:
    ~StreamIntakeHost() = default;
};

// A processor's side of the intake.
struct ProcessorIntake {
    int type = 0; // channel count; sub-channels below it have channels
    int32_t channels[4] = {};
    // Channel of the record in progress, -1 when continuations belong to nothing.
    int currentChannel = -1;
};

enum class SlotAnswer { Consumed, Keep };
// One slot of `byte_count` bytes (the firmware's word, checked here). `slot` points at
// the full 4096 bytes of the slot. Keep: the channel's ring is full, try again later.
SlotAnswer IntakeStreamSlot(ProcessorIntake& processor, const uint8_t* slot, int32_t byte_count,
                            StreamIntakeHost& host);

// Takes every full slot of a shared block in order, starting after the last one taken,
// until one is empty or its ring is full. Answers the number of slots consumed.
int WalkSlots(uint8_t* block, ProcessorIntake& processor, StreamIntakeHost& host);

} // namespace dvr::dorsk
