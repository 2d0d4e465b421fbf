// Feeds arbitrary slots, reads and ring resets through the stream intake. Besides memory
// errors it checks after every step that each ring's complete records lie back to back
// from the read offset up to where the record in progress began (or the write offset),
// so that no slot sequence can make the host read from the wrong place.
#include "sdk/dorsk/stream_intake.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

using namespace dvr::dorsk;

constexpr int kChannels = 4;

struct Rings : StreamIntakeHost {
    Rings() {
        for (int i = 0; i < kChannels; ++i) {
            buffers[i].resize(kRingSize);
            stagings[i].resize(kStagingSize);
            state[i].buffer = buffers[i].data();
            state[i].staging = stagings[i].data();
            dvr::AdpcmInitState(state[i].adpcm);
        }
    }
    StreamRingState* LockRing(int ch) override {
        if (locked || ch < 0 || ch >= kChannels) std::abort();
        locked = true;
        return &state[ch];
    }
    void UnlockRing(int) override { locked = false; }
    void CountRecord(int, uint16_t) override {}
    void RecordCompleted(int ch) override {
        if (locked || ch < 0 || ch >= kChannels) std::abort();
    }

    std::vector<uint8_t> buffers[kChannels];
    std::vector<uint8_t> stagings[kChannels];
    StreamRingState state[kChannels];
    bool locked = false;
};

void Check(const StreamRingState& ring) {
    uint32_t at = ring.readOffset;
    for (uint32_t i = 0; i < ring.recordCount; ++i) {
        RingRecordHeader head;
        for (uint32_t b = 0; b < sizeof head; ++b)
            reinterpret_cast<uint8_t*>(&head)[b] = ring.buffer[(at + b) % kRingSize];
        if (head.payloadLength == 0 || head.payloadLength > kMaxRecordPayload ||
            head.keyFlag != (head.frameType == kFrameKey ? 1 : 0) || head.zero != 0) {
            std::fprintf(stderr, "bad ring record %u\n", i);
            std::abort();
        }
        at = (at + sizeof head + head.payloadLength) % kRingSize;
    }
    uint32_t end = ring.recordOpen ? ring.recordStart : ring.writeOffset;
    if (at != end) {
        std::fprintf(stderr, "ring out of step: records end at %u, next at %u\n", at, end);
        std::abort();
    }
}

struct Input {
    const uint8_t* p;
    size_t n;
    uint32_t Take(size_t bytes) {
        uint32_t v = 0;
        for (size_t i = 0; i < bytes; ++i)
            v = v << 8 | (i < n ? p[i] : 0);
        size_t used = bytes < n ? bytes : n;
        p += used;
        n -= used;
        return v;
    }
};

const uint16_t kTypes[] = {1, 2, 4, 8, 0x20, 0x80, 0x1000, 0, 0x100, 0x800, 0x40, 0xFFFF};
const int32_t kLengths[] = {1, 100, 1104, 4080, 4081, 8176, 70000, 1024000, 1024001, 0, -1};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Rings* rings = new Rings;
    for (StreamRingState& r : rings->state)
        ResetRing(r);
    Input in{data, size};
    ProcessorIntake processor;
    processor.type = in.Take(1) & 1 ? 1 : 4;
    for (int s = 0; s < 4; ++s)
        processor.channels[s] = s;
    std::vector<uint8_t> slot(kSlotSize);
    static std::vector<uint8_t> out(kHostReadBufferSize);
    while (in.n > 0) {
        uint32_t op = in.Take(1);
        switch (op % 5) {
        case 0: { // header slot
            StreamSlotHeader h{kSlotMarker, kStreamMagic, 0, 0, 0, 0};
            h.frameType = kTypes[in.Take(1) % std::size(kTypes)];
            h.subChannel = uint8_t(in.Take(1) % 6);
            uint32_t len = in.Take(1);
            h.payloadLength =
                len & 0x80 ? int32_t(in.Take(4)) : kLengths[len % std::size(kLengths)];
            uint32_t count = in.Take(2) % 4200;
            std::memset(slot.data(), int(op), slot.size());
            std::memcpy(slot.data(), &h, sizeof h);
            IntakeStreamSlot(processor, slot.data(), int32_t(count), *rings);
            break;
        }
        case 1: { // continuation, often of the sizes that complete records
            uint32_t pick = in.Take(2);
            int32_t count = pick & 0x8000 ? int32_t(pick % 4200) - 50
                                          : int32_t(std::size_t(4096) >> (pick % 4));
            if ((pick & 0x7000) == 0x1000) count = 1184;
            std::memset(slot.data(), int(pick), slot.size());
            IntakeStreamSlot(processor, slot.data(), count, *rings);
            break;
        }
        case 2: { // raw bytes as a slot
            uint32_t count = in.Take(2);
            size_t n = in.n < kSlotSize ? in.n : kSlotSize;
            std::memset(slot.data(), 0, slot.size());
            std::memcpy(slot.data(), in.p, n);
            in.p += n;
            in.n -= n;
            IntakeStreamSlot(processor, slot.data(), int32_t(int16_t(count)), *rings);
            break;
        }
        case 3: { // the host reads
            StreamRingState& ring = rings->state[in.Take(1) % kChannels];
            RingRecordHeader head;
            ReadRecord(ring, out.data(), in.Take(1) & 1 ? 16 : kHostReadBufferSize, head);
            break;
        }
        case 4: // capture start or stop
            ResetRing(rings->state[in.Take(1) % kChannels]);
            break;
        }
        for (const StreamRingState& r : rings->state)
            Check(r);
    }
    return 0;
}
