#include "sdk/dorsk/stream_intake.h"

#include "sim/brevix32/slot_stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace dvr::dorsk {
namespace {

struct Record {
    uint16_t type = 0;
    std::vector<uint8_t> bytes;
    bool operator==(const Record&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Record& r) {
    return os << "{type " << r.type << ", " << r.bytes.size() << " bytes}";
}

// Rings without locks, counting what the intake reports.
class TestRings : public StreamIntakeHost {
public:
    explicit TestRings(int n) : rings(n), buffers(n), stagings(n), pictures(n), audio(n), done(n) {
        for (int i = 0; i < n; ++i) {
            buffers[i].assign(kRingSize, 0xEE);
            stagings[i].assign(kStagingSize, 0);
            rings[i].buffer = buffers[i].data();
            rings[i].staging = stagings[i].data();
            AdpcmInitState(rings[i].adpcm);
        }
    }
    StreamRingState* LockRing(int ch) override {
        EXPECT_FALSE(locked) << "ring lock taken twice";
        if (ch < 0 || ch >= int(rings.size())) return nullptr;
        locked = true;
        return &rings[ch];
    }
    void UnlockRing(int) override { locked = false; }
    void CountRecord(int ch, uint16_t type) override {
        EXPECT_TRUE(locked);
        pictures[ch] += PicturesIn(type);
        audio[ch] += AudioBlocksIn(type);
    }
    void RecordCompleted(int ch) override {
        EXPECT_FALSE(locked);
        ++done[ch];
    }

    std::vector<Record> Drain(int ch) {
        std::vector<Record> out;
        std::vector<uint8_t> buffer(kHostReadBufferSize);
        RingRecordHeader head{};
        while (ReadRecord(rings[ch], buffer.data(), kHostReadBufferSize, head) ==
               ReadAnswer::Read) {
            EXPECT_EQ(head.keyFlag, head.frameType == kFrameKey ? 1 : 0);
            out.push_back({head.frameType, {buffer.begin(), buffer.begin() + head.payloadLength}});
        }
        return out;
    }

    std::vector<StreamRingState> rings;
    std::vector<std::vector<uint8_t>> buffers, stagings;
    std::vector<int> pictures, audio, done;
    bool locked = false;
};

ProcessorIntake FourChannels(int first = 0) {
    ProcessorIntake p;
    p.type = 4;
    for (int s = 0; s < 4; ++s)
        p.channels[s] = first + s;
    return p;
}

SlotAnswer FeedSlot(ProcessorIntake& p, TestRings& rings, const sim::Slot& s) {
    std::vector<uint8_t> slot(kSlotSize, 0);
    std::copy_n(s.data.begin(), std::min<size_t>(s.data.size(), kSlotSize), slot.begin());
    return IntakeStreamSlot(p, slot.data(), s.byteCount, rings);
}

void Feed(ProcessorIntake& p, TestRings& rings, const sim::SlotSequence& seq) {
    for (const sim::Slot& s : seq)
        ASSERT_EQ(FeedSlot(p, rings, s), SlotAnswer::Consumed);
}

void Feed(ProcessorIntake& p, TestRings& rings, const Record& r, int sub = 0) {
    Feed(p, rings, sim::SlotsForRecord(r.type, sub, r.bytes));
}

std::vector<uint8_t> Pattern(size_t n, uint32_t seed) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) {
        seed = seed * 1103515245 + 12345;
        v[i] = uint8_t(seed >> 16);
    }
    return v;
}

// A raw audio record: eight FrameHeads and sawtooth samples.
std::vector<uint8_t> RawAudio(int seed) {
    std::vector<uint8_t> raw(kRawAudioRecordSize);
    for (size_t b = 0; b < kAudioBlocksPerRecord; ++b) {
        uint8_t* block = raw.data() + b * kRawAudioBlockSize;
        for (size_t i = 0; i < kAudioFrameHeadSize; ++i)
            block[i] = uint8_t(0xA0 + b + i + seed);
        for (size_t i = 0; i < kAudioBlockSamples; ++i) {
            int16_t v = int16_t((int(i) * 97 + seed * 1000) % 16000 - 8000);
            std::memcpy(block + kAudioFrameHeadSize + 2 * i, &v, 2);
        }
    }
    return raw;
}

const Record kHead{kFrameFileHead, Pattern(40, 1)};

TEST(StreamIntake, RecordsOfEverySizeArriveWholeOnTheirChannels) {
    struct Case {
        uint16_t type;
        size_t size;
        int sub;
    };
    const Case cases[] = {
        {kFrameKey, 1, 0},
        {kFrameP, 100, 1},
        {kFramePB, kSlotPayload, 2},
        {kFramePBB, kSlotPayload + 1, 3},
        {kFrameKey, kSlotPayload + kSlotSize, 0},
        {kFrameP, kSlotPayload + kSlotSize + 1, 1},
        {0x40, 100000, 2},
        {kFrameKey, kMaxRecordPayload, 3},
        {kFrameMotion, 300, 0},
    };
    TestRings rings(8);
    ProcessorIntake p = FourChannels(4);
    std::vector<Record> expected[4];
    for (int sub = 0; sub < 4; ++sub) {
        Feed(p, rings, kHead, sub);
        expected[sub].push_back(kHead);
    }
    int pictures[4] = {};
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        Record r{c.type, Pattern(c.size, uint32_t(i))};
        Feed(p, rings, r, c.sub);
        expected[c.sub].push_back(r);
        pictures[c.sub] += PicturesIn(c.type);
    }
    for (int sub = 0; sub < 4; ++sub) {
        EXPECT_EQ(rings.Drain(4 + sub), expected[sub]) << "sub-channel " << sub;
        EXPECT_EQ(rings.pictures[4 + sub], pictures[sub]);
        EXPECT_EQ(rings.done[4 + sub], int(expected[sub].size()));
    }
}

TEST(StreamIntake, RingOpensOnlyWithAStreamHeaderOrMotionRecord) {
    struct Case {
        uint16_t first;
        bool opens;
    };
    const Case cases[] = {{kFrameKey, false}, {kFrameP, false},       {kFrameAudio, false},
                          {0x40, false},      {kFrameFileHead, true}, {kFrameMotion, true}};
    for (const Case& c : cases) {
        TestRings rings(1);
        ProcessorIntake p = FourChannels();
        ResetRing(rings.rings[0]);
        Record first{c.first, c.first == kFrameAudio ? RawAudio(1) : Pattern(5000, c.first)};
        Record next{kFrameKey, Pattern(9000, 7)};
        Feed(p, rings, first);
        Feed(p, rings, next);
        std::vector<Record> got = rings.Drain(0);
        if (c.opens) {
            EXPECT_EQ(got, (std::vector<Record>{first, next})) << "type " << c.first;
        } else {
            EXPECT_TRUE(got.empty()) << "type " << c.first;
            EXPECT_EQ(rings.pictures[0], 0);
        }
        EXPECT_EQ(rings.rings[0].writeOffset, rings.rings[0].readOffset);
    }
}

TEST(StreamIntake, AudioIsReencodedWithTheChannelsOwnCoderState) {
    TestRings rings(2);
    ProcessorIntake p = FourChannels();
    Feed(p, rings, kHead, 0);
    Feed(p, rings, kHead, 1);
    AdpcmChannelState coder[2];
    AdpcmInitState(coder[0]);
    AdpcmInitState(coder[1]);
    std::vector<Record> expected[2] = {{kHead}, {kHead}};
    // The same sound twice on channel 0: the second record carries the adapted state.
    const int order[][2] = {{0, 1}, {1, 2}, {0, 1}, {0, 3}};
    for (auto [sub, seed] : order) {
        std::vector<uint8_t> raw = RawAudio(seed);
        Feed(p, rings, {kFrameAudio, raw}, sub);
        Record enc{kFrameAudio, std::vector<uint8_t>(kEncodedAudioRecordSize)};
        AdpcmEncodeRecord(raw.data(), enc.bytes.data(), coder[sub]);
        expected[sub].push_back(enc);
    }
    std::vector<Record> got = rings.Drain(0);
    EXPECT_EQ(got, expected[0]);
    ASSERT_EQ(got.size(), 4u);
    EXPECT_NE(got[1], got[2]);
    EXPECT_EQ(rings.Drain(1), expected[1]);
    EXPECT_EQ(rings.audio[0], 24);
    // FrameHeads pass unchanged.
    EXPECT_EQ(std::memcmp(got[1].bytes.data() + kEncodedAudioBlockSize * 7,
                          RawAudio(1).data() + kRawAudioBlockSize * 7, kAudioFrameHeadSize),
              0);
}

sim::Slot RawSlot(std::vector<uint8_t> data, int32_t count) {
    sim::Slot s;
    s.data = std::move(data);
    s.byteCount = count;
    return s;
}

sim::Slot HeaderSlot(uint16_t type, int sub, int32_t length, size_t in_slot) {
    StreamSlotHeader h{kSlotMarker, kStreamMagic, length, type, uint8_t(sub), 0};
    std::vector<uint8_t> data(sizeof h + in_slot, 0x44);
    std::memcpy(data.data(), &h, sizeof h);
    return RawSlot(data, int32_t(data.size()));
}

TEST(StreamIntake, MalformedSlotsLeaveTheRecordsAroundThemIntact) {
    struct Case {
        const char* name;
        sim::SlotSequence slots;
        std::vector<Record> survivors; // records of the malformed sequence that stay
    };
    std::vector<Case> cases;
    for (int kind = sim::kShortCount; kind <= sim::kBadAudioPair; ++kind)
        cases.push_back({"stand-in shape", sim::MalformedSlots(kind, 4), {}});
    cases[sim::kNewHeader - 1].survivors = {{kFrameP, std::vector<uint8_t>(100, 0x55)}};
    std::vector<uint8_t> raw = RawAudio(5);
    cases.push_back({"audio continuation short",
                     {HeaderSlot(kFrameAudio, 0, 1104, kAudioFirstPart),
                      RawSlot(std::vector<uint8_t>(1000), 1000)},
                     {}});
    cases.push_back({"audio continuation long",
                     {HeaderSlot(kFrameAudio, 0, 1104, kAudioFirstPart),
                      RawSlot(std::vector<uint8_t>(4096), 4096)},
                     {}});
    cases.push_back({"audio declaring another length",
                     sim::SlotsForRecord(kFrameAudio, 0, std::vector<uint8_t>(5264)),
                     {}});
    {
        StreamSlotHeader h;
        std::memcpy(&h, cases.back().slots[0].data.data(), sizeof h);
        h.payloadLength = 5264;
        std::memcpy(cases.back().slots[0].data.data(), &h, sizeof h);
    }
    cases.push_back({"audio header then a new header",
                     {HeaderSlot(kFrameAudio, 0, 1104, kAudioFirstPart)},
                     {}});
    cases.push_back(
        {"continuation with a negative count",
         {HeaderSlot(kFrameP, 0, 6000, kSlotPayload), RawSlot(std::vector<uint8_t>(100), -5)},
         {}});
    cases.push_back(
        {"continuation above a slot",
         {HeaderSlot(kFrameP, 0, 9000, kSlotPayload), RawSlot(std::vector<uint8_t>(4096), 4097)},
         {}});
    cases.push_back(
        {"empty continuations after a complete record", {RawSlot({}, 0), RawSlot({}, 0)}, {}});
    cases.push_back(
        {"continuation without any record", {RawSlot(std::vector<uint8_t>(50, 1), 50)}, {}});
    cases.push_back({"record cut short by a new header",
                     {HeaderSlot(kFramePB, 1, 20000, kSlotPayload),
                      RawSlot(std::vector<uint8_t>(4096, 3), 4096)},
                     {}});
    cases.push_back(
        {"skipped types are only skipped",
         {HeaderSlot(0, 0, 50, 50), HeaderSlot(256, 0, 50, 50), HeaderSlot(2048, 0, 50, 50)},
         {}});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name + std::string(" #") + std::to_string(&c - cases.data()));
        TestRings rings(4);
        ProcessorIntake p = FourChannels();
        Record before{kFrameKey, Pattern(6000, 1)};
        Record after{kFrameP, Pattern(9000, 2)};
        Feed(p, rings, kHead, 0);
        Feed(p, rings, before, 0);
        Feed(p, rings, c.slots);
        Feed(p, rings, after, 0);
        std::vector<Record> expected{kHead, before};
        expected.insert(expected.end(), c.survivors.begin(), c.survivors.end());
        expected.push_back(after);
        EXPECT_EQ(rings.Drain(0), expected);
        for (int ch = 0; ch < 4; ++ch) {
            EXPECT_EQ(rings.rings[ch].writeOffset, rings.rings[ch].readOffset) << "channel " << ch;
            EXPECT_FALSE(rings.rings[ch].recordOpen);
        }
        EXPECT_EQ(rings.done[0], int(expected.size()));
    }
}

TEST(StreamIntake, SubChannelsBeyondTheProcessorReachNoChannel) {
    TestRings rings(2);
    ProcessorIntake p;
    p.type = 1;
    p.channels[0] = 1;
    Feed(p, rings, kHead, 0);
    Feed(p, rings, sim::MalformedSlots(sim::kBadSubChannel, 1));
    Feed(p, rings, {kFrameP, Pattern(5000, 9)}, 1);
    Feed(p, rings, {kFrameP, Pattern(5000, 9)}, 255);
    EXPECT_EQ(rings.Drain(1), std::vector<Record>{kHead});
    EXPECT_EQ(rings.rings[0].writeOffset, 0u);
}

TEST(StreamIntake, AFullRingKeepsTheSlotUntilTheHostReads) {
    TestRings rings(1);
    ProcessorIntake p = FourChannels();
    // 1000000 bytes used; a record of exactly the rest is taken.
    Feed(p, rings, {kFrameFileHead, Pattern(1000000 - 12, 3)});
    Record exact{kFrameP, Pattern(kRingSize - 1000000 - 12, 4)};
    Feed(p, rings, exact);
    EXPECT_EQ(rings.rings[0].recordCount, 2u);
    EXPECT_EQ(rings.rings[0].writeOffset, rings.rings[0].readOffset);

    sim::SlotSequence one = sim::SlotsForRecord(kFrameP, 0, {7});
    EXPECT_EQ(FeedSlot(p, rings, one[0]), SlotAnswer::Keep);
    EXPECT_EQ(FeedSlot(p, rings, one[0]), SlotAnswer::Keep);
    std::vector<uint8_t> buffer(kHostReadBufferSize);
    RingRecordHeader head{};
    ASSERT_EQ(ReadRecord(rings.rings[0], buffer.data(), uint32_t(buffer.size()), head),
              ReadAnswer::Read);
    // 1000000 free now, one record waiting: a record needing one byte more is refused.
    sim::SlotSequence too_big = sim::SlotsForRecord(kFrameP, 0, Pattern(1000000 - 11, 5));
    EXPECT_EQ(FeedSlot(p, rings, too_big[0]), SlotAnswer::Keep);
    Record fits{kFrameP, Pattern(1000000 - 12, 6)};
    Feed(p, rings, fits);
    EXPECT_EQ(rings.Drain(0), (std::vector<Record>{exact, fits}));
    // Empty now: even the largest record is taken.
    Record largest{kFrameKey, Pattern(kMaxRecordPayload, 8)};
    Feed(p, rings, largest);
    EXPECT_EQ(rings.Drain(0), std::vector<Record>{largest});
}

TEST(StreamIntake, AnEmptyRingTakesRecordsWhereverItsOffsetsStand) {
    const uint32_t places[][2] = {
        {0, 0}, {kRingSize - 5, kRingSize - 5}, {123, 999999}, {kRingSize - 1, 7}};
    for (auto [read, write] : places) {
        TestRings rings(1);
        ProcessorIntake p = FourChannels();
        StreamRingState& ring = rings.rings[0];
        ring.accepting = 1;
        ring.readOffset = read;
        ring.writeOffset = write;
        std::vector<Record> expected;
        for (int i = 0; i < 15; ++i) {
            Record r{kFrameP, Pattern(size_t(30000 + 997 * i), uint32_t(i))};
            Feed(p, rings, r);
            expected.push_back(r);
        }
        EXPECT_EQ(rings.Drain(0), expected) << read << " " << write;
    }
}

TEST(StreamIntake, ATooSmallBufferLeavesTheRecordForTheNextRead) {
    TestRings rings(1);
    ProcessorIntake p = FourChannels();
    Feed(p, rings, kHead);
    std::vector<uint8_t> buffer(kHead.bytes.size());
    RingRecordHeader head{};
    EXPECT_EQ(ReadRecord(rings.rings[0], buffer.data(), uint32_t(buffer.size() - 1), head),
              ReadAnswer::TooSmall);
    EXPECT_EQ(head.payloadLength, kHead.bytes.size());
    EXPECT_EQ(ReadRecord(rings.rings[0], buffer.data(), uint32_t(buffer.size()), head),
              ReadAnswer::Read);
    EXPECT_EQ(buffer, kHead.bytes);
    EXPECT_EQ(ReadRecord(rings.rings[0], buffer.data(), uint32_t(buffer.size()), head),
              ReadAnswer::Empty);
}

TEST(StreamIntake, NoticesFollowReadsAndRepeatEveryTwentiethPass) {
    StreamRingState ring;
    int counter = 0;
    EXPECT_FALSE(NoticeDue(ring, counter)); // nothing waits
    ring.recordCount = 2;
    std::vector<int> noticed;
    for (int pass = 1; pass <= 70; ++pass) {
        if (pass == 30) ring.readSinceNotice = 1; // the host read once
        if (NoticeDue(ring, counter)) noticed.push_back(pass);
    }
    EXPECT_EQ(noticed, (std::vector<int>{1, 21, 30, 42, 62}));
}

TEST(StreamIntake, TheSlotWalkFollowsTheFirmwaresOrderAndStopsAtAFullRing) {
    std::vector<int32_t> words(60000 / 4, 0);
    auto* block = reinterpret_cast<uint8_t*>(words.data());
    sim::SlotWriter writer;
    TestRings rings(4);
    ProcessorIntake p = FourChannels();
    std::vector<Record> expected[4];
    for (int sub = 0; sub < 4; ++sub) {
        ASSERT_TRUE(writer.Enqueue(sim::SlotsForRecord(kFrameFileHead, sub, kHead.bytes)));
        expected[sub].push_back(kHead);
    }
    for (int i = 0; i < 60; ++i) {
        Record r{uint16_t(i % 5 ? kFrameP : kFrameKey), Pattern(size_t(200 + 301 * i), i)};
        ASSERT_TRUE(writer.Enqueue(sim::SlotsForRecord(r.type, i % 4, r.bytes)));
        expected[i % 4].push_back(r);
    }
    while (writer.Pump(block) > 0)
        WalkSlots(block, p, rings);
    for (int sub = 0; sub < 4; ++sub)
        EXPECT_EQ(rings.Drain(sub), expected[sub]);

    // A full ring: the walk stops at its slot and leaves it for the next pass.
    rings.rings[1].recordCount = 1;
    rings.rings[1].readOffset = rings.rings[1].writeOffset;
    ASSERT_TRUE(writer.Enqueue(sim::SlotsForRecord(kFrameP, 1, {1, 2, 3})));
    ASSERT_TRUE(writer.Enqueue(sim::SlotsForRecord(kFrameP, 2, {4, 5, 6})));
    writer.Pump(block);
    int32_t last = words[kLastTakenOffset / 4];
    EXPECT_EQ(WalkSlots(block, p, rings), 0);
    EXPECT_EQ(words[kLastTakenOffset / 4], last);
    EXPECT_EQ(words[(last + 1) % kSlotCount], 1);
    rings.rings[1].recordCount = 0;
    EXPECT_EQ(WalkSlots(block, p, rings), 2);
    EXPECT_EQ(rings.Drain(1), (std::vector<Record>{{kFrameP, {1, 2, 3}}}));
    EXPECT_EQ(rings.Drain(2), (std::vector<Record>{{kFrameP, {4, 5, 6}}}));
}

} // namespace
} // namespace dvr::dorsk
