// The firmware's side of the stream slots: records cut into slot sequences
// and a writer that fills the shared block's ring of 14 slots in order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

namespace sim {

struct Slot {
    std::vector<uint8_t> data;
    int32_t byteCount = 0; // what the byte-count word says (normally data.size())
};
using SlotSequence = std::vector<Slot>;

// A record's slots: a header slot (StreamSlotHeader + up to 4080 bytes), then
// continuations without header. Raw audio (5264 bytes) goes as 4080 + 1184
// and declares the 1104 bytes the host turns it into.
SlotSequence SlotsForRecord(uint16_t type, int subChannel, const std::vector<uint8_t>& bytes);
// The same into `seq`, whose slots' buffers are reused (records come hundreds a second).
void CutRecord(uint16_t type, int subChannel, const std::vector<uint8_t>& bytes, SlotSequence& seq);

// Malformed sequences for robustness tests of the host.
enum MalformedKind {
    kShortCount = 1, // header slot with a byte count below 16
    kLongCount,      // byte count above 4096
    kEmptyPayload,   // payload length 0
    kNegativePayload,
    kHugePayload,   // payload length above 1 MB
    kOverrun,       // continuation longer than the rest announced
    kNewHeader,     // a new header while a record is in progress
    kBadSubChannel, // sub-channel not below the processor's type
    kBadAudioPair,  // audio split other than 4080 + 1184
};
// Empty when the kind is unknown.
SlotSequence MalformedSlots(int kind, int processorType);

// Fills the slots of one shared block. The cursor starts at slot 1, the one
// the host reads first after boot, and moves on mod 14; a full slot stops the
// writer until the host clears it. Whole sequences queue up to a bound.
class SlotWriter {
public:
    static constexpr size_t kMaxQueuedBytes = 8u << 20;

    // false (and nothing queued) when the queue is full: the record is lost,
    // as on a board whose host stopped reading.
    bool Enqueue(SlotSequence sequence);
    // Writes queued slots into `block` while the next slot is free; returns
    // the number of slots written.
    int Pump(uint8_t* block);
    // A written sequence to cut the next record into (its buffers kept), or an empty one.
    SlotSequence Spare();
    // Forgets the queue and puts the cursor back to its boot place.
    void Reset();

    size_t QueuedSequences() const { return queue_.size(); }
    uint64_t Dropped() const { return dropped_; }

private:
    static constexpr size_t kMaxSpareSequences = 16;
    std::deque<SlotSequence> queue_;
    std::vector<SlotSequence> spare_; // written sequences whose buffers the next records reuse
    size_t queuedBytes_ = 0;
    size_t progress_ = 0; // slots of queue_.front() already written
    int cursor_ = 1;
    uint64_t dropped_ = 0;
};

// Host side of the protocol, for tests: takes slot (last + 1) mod 14 when it
// is full, returning its bytes and clearing the flag; nullopt-like empty
// result with `taken` false otherwise.
struct TakenSlot {
    bool taken = false;
    int index = 0;
    int32_t byteCount = 0;
    std::vector<uint8_t> data;
};
TakenSlot TakeSlot(uint8_t* block);

} // namespace sim
