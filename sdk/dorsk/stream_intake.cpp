#include "sdk/dorsk/stream_intake.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace dvr::dorsk {
namespace {

constexpr uint32_t kRingMask = kRingSize - 1;
static_assert((kRingSize & kRingMask) == 0);
static_assert(kMaxRecordPayload + sizeof(RingRecordHeader) <= kRingSize);

void CopyIn(StreamRingState& ring, const void* bytes, uint32_t n) {
    const auto* from = static_cast<const uint8_t*>(bytes);
    uint32_t at = ring.writeOffset & kRingMask;
    uint32_t first = std::min(n, kRingSize - at);
    std::memcpy(ring.buffer + at, from, first);
    std::memcpy(ring.buffer, from + first, n - first);
    ring.writeOffset = (at + n) & kRingMask;
}

void CopyOut(const StreamRingState& ring, uint32_t offset, void* bytes, uint32_t n) {
    auto* to = static_cast<uint8_t*>(bytes);
    uint32_t at = offset & kRingMask;
    uint32_t first = std::min(n, kRingSize - at);
    std::memcpy(to, ring.buffer + at, first);
    std::memcpy(to + first, ring.buffer, n - first);
}

// Sequentially consistent: the notifier, about to sleep, raises its idle flag and then looks
// at the counts, while the reader stores a count and then looks at the flag; one of them
// sees the other's store.
void SetRecordCount(StreamRingState& ring, uint32_t count) {
    __atomic_store_n(&ring.recordCount, count, __ATOMIC_SEQ_CST);
}

bool DroppedAtIntake(uint16_t type) {
    return type == 0 || type == kFrameSkip256 || type == kFrameSkip2048;
}

// The record in progress on this processor is broken: take it back out of its ring.
void AbandonCurrent(ProcessorIntake& processor, StreamIntakeHost& host) {
    int channel = processor.currentChannel;
    processor.currentChannel = -1;
    if (channel < 0) return;
    if (StreamRingState* ring = host.LockRing(channel)) {
        AbandonRecord(*ring);
        host.UnlockRing(channel);
    }
}

SlotAnswer IntakeHeaderSlot(ProcessorIntake& processor, const StreamSlotHeader& head,
                            const uint8_t* slot, int32_t byte_count, StreamIntakeHost& host) {
    if (DroppedAtIntake(head.frameType)) return SlotAnswer::Consumed;
    // A new header ends whatever record was still expecting bytes.
    AbandonCurrent(processor, host);

    if (byte_count < static_cast<int32_t>(sizeof(StreamSlotHeader)) ||
        byte_count > static_cast<int32_t>(kSlotSize))
        return SlotAnswer::Consumed;
    int sub = head.subChannel;
    if (sub >= processor.type || sub >= 4) return SlotAnswer::Consumed;
    if (head.payloadLength <= 0 || static_cast<uint32_t>(head.payloadLength) > kMaxRecordPayload)
        return SlotAnswer::Consumed;
    uint32_t length = static_cast<uint32_t>(head.payloadLength);
    uint32_t in_slot = static_cast<uint32_t>(byte_count) - sizeof(StreamSlotHeader);
    bool audio = head.frameType == kFrameAudio;
    if (audio && (length != kEncodedAudioRecordSize || in_slot != kAudioFirstPart))
        return SlotAnswer::Consumed;

    int channel = processor.channels[sub];
    StreamRingState* ring = host.LockRing(channel);
    if (!ring) return SlotAnswer::Consumed;
    bool completed = false;
    switch (BeginRecord(*ring, head.frameType, length)) {
    case BeginAnswer::NotAccepting:
        break;
    case BeginAnswer::Full:
        host.UnlockRing(channel);
        return SlotAnswer::Keep;
    case BeginAnswer::Audio:
        host.CountRecord(channel, head.frameType);
        std::memcpy(ring->staging, slot + sizeof(StreamSlotHeader), in_slot);
        ring->stagingFill = in_slot;
        ring->pending = static_cast<int32_t>(length);
        processor.currentChannel = channel;
        break;
    case BeginAnswer::Accepted:
        host.CountRecord(channel, head.frameType);
        ring->pending = static_cast<int32_t>(length);
        AppendRecord(*ring, slot + sizeof(StreamSlotHeader), std::min(in_slot, length));
        if (ring->pending <= 0) {
            ring->pending = 0;
            completed = CompleteRecord(*ring);
        } else {
            processor.currentChannel = channel;
        }
        break;
    }
    host.UnlockRing(channel);
    if (completed) host.RecordCompleted(channel);
    return SlotAnswer::Consumed;
}

SlotAnswer IntakeContinuationSlot(ProcessorIntake& processor, const uint8_t* slot,
                                  int32_t byte_count, StreamIntakeHost& host) {
    int channel = processor.currentChannel;
    if (channel < 0) return SlotAnswer::Consumed;
    StreamRingState* ring = host.LockRing(channel);
    if (!ring) {
        processor.currentChannel = -1;
        return SlotAnswer::Consumed;
    }
    bool keep_going = false;
    bool completed = false;
    if (!ring->recordOpen) {
        // Nothing to continue (dropped at its header, or the ring was reset since).
    } else if (byte_count < 0 || byte_count > static_cast<int32_t>(kSlotSize)) {
        AbandonRecord(*ring);
    } else if (ring->stagingFill != 0) {
        if (ring->stagingFill + static_cast<uint32_t>(byte_count) != kRawAudioRecordSize) {
            AbandonRecord(*ring);
        } else {
            std::memcpy(ring->staging + ring->stagingFill, slot, kAudioSecondPart);
            ring->stagingFill = 0;
            uint8_t encoded[kEncodedAudioRecordSize];
            AdpcmEncodeRecord(ring->staging, encoded, ring->adpcm);
            AppendRecord(*ring, encoded, kEncodedAudioRecordSize);
            ring->pending = 0;
            completed = CompleteRecord(*ring);
        }
    } else if (ring->pending < byte_count) {
        // Longer than announced: the record cannot be trusted.
        AbandonRecord(*ring);
    } else {
        AppendRecord(*ring, slot, static_cast<uint32_t>(byte_count));
        if (ring->pending <= 0) {
            ring->pending = 0;
            completed = CompleteRecord(*ring);
        } else {
            keep_going = true;
        }
    }
    host.UnlockRing(channel);
    if (!keep_going) processor.currentChannel = -1;
    if (completed) host.RecordCompleted(channel);
    return SlotAnswer::Consumed;
}

std::atomic_ref<int32_t> BlockWord(uint8_t* block, uint32_t offset) {
    return std::atomic_ref<int32_t>(*reinterpret_cast<int32_t*>(block + offset));
}

} // namespace

int PicturesIn(uint16_t type) {
    switch (type) {
    case kFrameKey:
    case kFrameP:
        return 1;
    case kFramePB:
        return 2;
    case kFramePBB:
        return 3;
    default:
        return 0;
    }
}

int AudioBlocksIn(uint16_t type) {
    return type == kFrameAudio ? static_cast<int>(kAudioBlocksPerRecord) : 0;
}

void ResetRing(StreamRingState& ring) {
    ring.writeOffset = 0;
    ring.readOffset = 0;
    SetRecordCount(ring, 0);
    ring.accepting = 0;
    ring.readSinceNotice = 1;
    ring.stagingFill = 0;
    ring.pending = 0;
    ring.recordOpen = false;
    ring.recordStart = 0;
}

BeginAnswer BeginRecord(StreamRingState& ring, uint16_t type, uint32_t payload_length) {
    if (!ring.accepting && type != kFrameFileHead && type != kFrameMotion)
        return BeginAnswer::NotAccepting;
    if (payload_length > kMaxRecordPayload) return BeginAnswer::NotAccepting;
    AbandonRecord(ring);
    uint32_t needed = payload_length + sizeof(RingRecordHeader);
    if (ring.recordCount == 0) {
        // Nothing readable lies between the offsets: start the reader where this record
        // goes, so that it can never read from a stale place.
        ring.readOffset = ring.writeOffset;
    } else if (((ring.readOffset - ring.writeOffset) & kRingMask) < needed) {
        return BeginAnswer::Full;
    }
    RingRecordHeader head{type, 0, payload_length, 0, uint16_t(type == kFrameKey ? 1 : 0)};
    ring.recordStart = ring.writeOffset;
    ring.recordOpen = true;
    CopyIn(ring, &head, sizeof head);
    ring.accepting = 1;
    return type == kFrameAudio ? BeginAnswer::Audio : BeginAnswer::Accepted;
}

void AppendRecord(StreamRingState& ring, const uint8_t* bytes, uint32_t n) {
    if (!ring.accepting || !ring.recordOpen) return;
    CopyIn(ring, bytes, n);
    ring.pending -= static_cast<int32_t>(n);
}

bool CompleteRecord(StreamRingState& ring) {
    if (!ring.accepting || !ring.recordOpen) return false;
    ring.recordOpen = false;
    SetRecordCount(ring, ring.recordCount + 1);
    return true;
}

void AbandonRecord(StreamRingState& ring) {
    if (ring.recordOpen) ring.writeOffset = ring.recordStart;
    ring.recordOpen = false;
    ring.pending = 0;
    ring.stagingFill = 0;
}

ReadAnswer ReadRecord(StreamRingState& ring, uint8_t* buffer, uint32_t size,
                      RingRecordHeader& head) {
    if (ring.recordCount == 0) return ReadAnswer::Empty;
    CopyOut(ring, ring.readOffset, &head, sizeof head);
    if (size < head.payloadLength) return ReadAnswer::TooSmall;
    CopyOut(ring, ring.readOffset + sizeof head, buffer, head.payloadLength);
    ring.readOffset = (ring.readOffset + sizeof head + head.payloadLength) & kRingMask;
    ring.readSinceNotice = 1;
    SetRecordCount(ring, ring.recordCount - 1);
    return ReadAnswer::Read;
}

bool NoticeDue(StreamRingState& ring, int& counter) {
    if (ring.recordCount == 0) return false;
    if (ring.readSinceNotice) {
        ring.readSinceNotice = 0;
        return true;
    }
    if (++counter >= kNoticeRepeatPasses) {
        counter = 0;
        return true;
    }
    return false;
}

SlotAnswer IntakeStreamSlot(ProcessorIntake& processor, const uint8_t* slot, int32_t byte_count,
                            StreamIntakeHost& host) {
    StreamSlotHeader head;
    std::memcpy(&head, slot, sizeof head);
    if (head.marker == kSlotMarker && head.magic == kStreamMagic)
        return IntakeHeaderSlot(processor, head, slot, byte_count, host);
    return IntakeContinuationSlot(processor, slot, byte_count, host);
}

int WalkSlots(uint8_t* block, ProcessorIntake& processor, StreamIntakeHost& host) {
    int32_t last = BlockWord(block, kLastTakenOffset).load(std::memory_order_relaxed);
    if (last < 0 || last >= kSlotCount) last = 0;
    int consumed = 0;
    for (;;) {
        int j = (last + 1) % kSlotCount;
        auto full = BlockWord(block, kSlotFullOffset + 4 * uint32_t(j));
        if (!full.load(std::memory_order_acquire)) break;
        int32_t count = BlockWord(block, kSlotByteCountOffset + 4 * uint32_t(j))
                            .load(std::memory_order_relaxed);
        const uint8_t* slot = block + kSlotsOffset + kSlotSize * uint32_t(j);
        if (IntakeStreamSlot(processor, slot, count, host) == SlotAnswer::Keep) break;
        full.store(0, std::memory_order_release);
        last = j;
        ++consumed;
    }
    BlockWord(block, kLastTakenOffset).store(last, std::memory_order_relaxed);
    return consumed;
}

} // namespace dvr::dorsk
