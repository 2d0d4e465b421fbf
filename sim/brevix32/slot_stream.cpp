#include "sim/brevix32/slot_stream.h"

#include "sim/brevix32/board_layout.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace sim {
namespace {

std::atomic_ref<int32_t> Word(uint8_t* block, uint32_t offset) {
    return std::atomic_ref<int32_t>(*reinterpret_cast<int32_t*>(block + offset));
}

// Into s, reusing its buffer.
void PutHeaderSlot(Slot& s, uint16_t type, int sub, int32_t payloadLength, const uint8_t* payload,
                   size_t n) {
    StreamSlotHeader h{kSlotMarker, kStreamMagic, payloadLength, type, uint8_t(sub), 0};
    s.data.resize(sizeof h + n);
    std::memcpy(s.data.data(), &h, sizeof h);
    if (n) std::memcpy(s.data.data() + sizeof h, payload, n);
    s.byteCount = int32_t(s.data.size());
}

void PutContinuation(Slot& s, const uint8_t* p, size_t n) {
    s.data.assign(p, p + n);
    s.byteCount = int32_t(n);
}

Slot HeaderSlot(uint16_t type, int sub, int32_t payloadLength, const uint8_t* payload, size_t n) {
    Slot s;
    PutHeaderSlot(s, type, sub, payloadLength, payload, n);
    return s;
}

Slot Continuation(const uint8_t* p, size_t n) {
    Slot s;
    PutContinuation(s, p, n);
    return s;
}

size_t SequenceBytes(const SlotSequence& seq) {
    size_t n = 0;
    for (const Slot& s : seq)
        n += s.data.size();
    return n;
}

} // namespace

void CutRecord(uint16_t type, int sub, const std::vector<uint8_t>& bytes, SlotSequence& seq) {
    int32_t declared = int32_t(bytes.size());
    if (type == kTypeAudio && bytes.size() == kAudioRecordSize) declared = kAudioDeclaredLength;
    size_t first = std::min<size_t>(bytes.size(), kSlotPayload);
    size_t continuations = (bytes.size() - first + kSlotSize - 1) / kSlotSize;
    seq.resize(1 + continuations);
    PutHeaderSlot(seq[0], type, sub, declared, bytes.data(), first);
    size_t k = 1;
    for (size_t pos = first; pos < bytes.size(); pos += kSlotSize)
        PutContinuation(seq[k++], bytes.data() + pos,
                        std::min<size_t>(kSlotSize, bytes.size() - pos));
}

SlotSequence SlotsForRecord(uint16_t type, int sub, const std::vector<uint8_t>& bytes) {
    SlotSequence seq;
    CutRecord(type, sub, bytes, seq);
    return seq;
}

SlotSequence MalformedSlots(int kind, int processorType) {
    // A small P-frame-like payload for the shapes that need one.
    std::vector<uint8_t> small(100, 0x55);
    std::vector<uint8_t> big(kSlotSize, 0x66);
    SlotSequence seq;
    switch (kind) {
    case kShortCount: {
        Slot s = HeaderSlot(kTypePFrame, 0, 100, small.data(), small.size());
        s.byteCount = 8;
        seq.push_back(s);
        break;
    }
    case kLongCount: {
        Slot s = HeaderSlot(kTypePFrame, 0, 100, small.data(), small.size());
        s.byteCount = 5000;
        seq.push_back(s);
        break;
    }
    case kEmptyPayload:
        seq.push_back(HeaderSlot(kTypePFrame, 0, 0, nullptr, 0));
        break;
    case kNegativePayload:
        seq.push_back(HeaderSlot(kTypePFrame, 0, -1, small.data(), small.size()));
        break;
    case kHugePayload:
        seq.push_back(HeaderSlot(kTypePFrame, 0, (1 << 20) + 1, big.data(), kSlotPayload));
        break;
    case kOverrun:
        // 4200 announced: 4080 in the header slot, then 4096 instead of 120.
        seq.push_back(HeaderSlot(kTypePFrame, 0, 4200, big.data(), kSlotPayload));
        seq.push_back(Continuation(big.data(), kSlotSize));
        break;
    case kNewHeader:
        seq.push_back(HeaderSlot(kTypePFrame, 0, 6000, big.data(), kSlotPayload));
        seq.push_back(
            HeaderSlot(kTypePFrame, 0, int32_t(small.size()), small.data(), small.size()));
        break;
    case kBadSubChannel:
        seq.push_back(HeaderSlot(kTypePFrame, std::clamp(processorType, 0, 255),
                                 int32_t(small.size()), small.data(), small.size()));
        break;
    case kBadAudioPair: {
        std::vector<uint8_t> raw(kAudioRecordSize, 0);
        seq.push_back(HeaderSlot(kTypeAudio, 0, kAudioDeclaredLength, raw.data(), 4000));
        seq.push_back(Continuation(raw.data() + 4000, raw.size() - 4000));
        break;
    }
    default:
        break;
    }
    return seq;
}

bool SlotWriter::Enqueue(SlotSequence sequence) {
    size_t n = SequenceBytes(sequence);
    if (sequence.empty() || queuedBytes_ + n > kMaxQueuedBytes) {
        ++dropped_;
        return false;
    }
    queuedBytes_ += n;
    queue_.push_back(std::move(sequence));
    return true;
}

int SlotWriter::Pump(uint8_t* block) {
    int written = 0;
    while (!queue_.empty()) {
        if (Word(block, kFullFlagsOffset + 4 * uint32_t(cursor_)).load(std::memory_order_acquire))
            break;
        const Slot& s = queue_.front()[progress_];
        size_t n = std::min<size_t>(s.data.size(), kSlotSize);
        std::memcpy(block + kSlotsOffset + kSlotSize * uint32_t(cursor_), s.data.data(), n);
        Word(block, kByteCountsOffset + 4 * uint32_t(cursor_))
            .store(s.byteCount, std::memory_order_relaxed);
        Word(block, kFullFlagsOffset + 4 * uint32_t(cursor_)).store(1, std::memory_order_release);
        cursor_ = (cursor_ + 1) % kSlotCount;
        ++written;
        if (++progress_ == queue_.front().size()) {
            queuedBytes_ -= SequenceBytes(queue_.front());
            if (spare_.size() < kMaxSpareSequences) spare_.push_back(std::move(queue_.front()));
            queue_.pop_front();
            progress_ = 0;
        }
    }
    return written;
}

SlotSequence SlotWriter::Spare() {
    if (spare_.empty()) return {};
    SlotSequence seq = std::move(spare_.back());
    spare_.pop_back();
    return seq;
}

void SlotWriter::Reset() {
    queue_.clear();
    queuedBytes_ = 0;
    progress_ = 0;
    cursor_ = kFirstSlotAfterBoot;
}

TakenSlot TakeSlot(uint8_t* block) {
    TakenSlot t;
    auto last = Word(block, kLastTakenOffset);
    int j = (last.load(std::memory_order_relaxed) + 1) % kSlotCount;
    auto full = Word(block, kFullFlagsOffset + 4 * uint32_t(j));
    if (!full.load(std::memory_order_acquire)) return t;
    t.taken = true;
    t.index = j;
    t.byteCount = Word(block, kByteCountsOffset + 4 * uint32_t(j)).load(std::memory_order_relaxed);
    size_t n = size_t(std::clamp<int32_t>(t.byteCount, 0, int32_t(kSlotSize)));
    const uint8_t* p = block + kSlotsOffset + kSlotSize * uint32_t(j);
    t.data.assign(p, p + n);
    full.store(0, std::memory_order_release);
    last.store(j, std::memory_order_relaxed);
    return t;
}

} // namespace sim
