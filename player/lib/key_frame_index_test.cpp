#include "player/lib/key_frame_index.h"

#include <gtest/gtest.h>

#include "player/format/test_records.h"

namespace dvr::strovid {
namespace {

using testing::Append;
using testing::Bytes;
using testing::MakeFileHead;
using testing::MakeFrameHead;

constexpr uint32_t kFirstFrame = 1000;
constexpr uint32_t kFirstTime = 324000000;

// A recording of `keys` groups: a key frame then `pPerKey` P frames, 40 ms apart.
Bytes MakeRecording(int keys, int pPerKey = 0, uint32_t payload = 4) {
    Bytes f = MakeFileHead(0x0000);
    uint32_t frame = kFirstFrame;
    uint32_t ts = kFirstTime;
    for (int k = 0; k < keys; ++k) {
        for (int i = 0; i <= pPerKey; ++i) {
            Append(f, MakeFrameHead(i == 0 ? kFrameKey : kFrameP, frame++, ts, payload));
            Append(f, testing::Payload(payload, static_cast<uint8_t>(k)));
            ts += 3600;
        }
    }
    return f;
}

struct Built {
    IndexWalk walk;
    std::unique_ptr<KeyFrameIndex> index = std::make_unique<KeyFrameIndex>();
};

Built Build(
    const Bytes& bytes, std::function<bool()> stop = [] { return false; }) {
    MemoryFile file(bytes);
    PortFileState state;
    EXPECT_TRUE(OpenRecordFile(&state, file));
    Built b;
    b.walk = BuildKeyFrameIndex(&state, file, state.fileSize, b.index.get(), stop);
    return b;
}

TEST(KeyFrameIndex, ThinsLongFilesToAFixedSize) {
    struct Case {
        int keys;
        int entries;
        uint32_t step0; // picture distance between the first two entries
    };
    // 30000: every 2nd of the first 10240, every 8th of the next 10240 and of the rest.
    for (Case c : {Case{10000, 10000, 1}, Case{10240, 5120, 2}, Case{30000, 7590, 2}}) {
        SCOPED_TRACE(c.keys);
        Built b = Build(MakeRecording(c.keys));
        ASSERT_TRUE(b.walk.complete);
        EXPECT_EQ(b.index->count, c.entries);
        EXPECT_EQ(b.index->keyFramesSeen, c.keys);
        EXPECT_EQ(b.walk.pictures, static_cast<uint32_t>(c.keys));
        EXPECT_EQ(b.index->entries[1].picture, c.step0);
        for (int i = 1; i < b.index->count; ++i)
            ASSERT_LT(b.index->entries[i - 1].picture, b.index->entries[i].picture) << i;
    }
}

TEST(KeyFrameIndex, EntriesHoldPictureTimeAndHeaderPosition) {
    Bytes f = MakeFileHead(0x0001);
    // Leading sound does not set the file's first frame number or time stamp.
    Append(f, MakeFrameHead(kFrameAudio, 7, kFirstTime - 3600, 120));
    Append(f, testing::Payload(120, 1));
    const uint32_t firstKeyAt = static_cast<uint32_t>(f.size());
    Append(f, MakeFrameHead(kFrameKey, 500, kFirstTime, 10));
    Append(f, testing::Payload(10, 2));
    Append(f, MakeFrameHead(kFramePBB, 501, kFirstTime + 3600, 10));
    Append(f, testing::Payload(10, 3));
    Append(f, MakeFrameHead(kFramePB, 504, kFirstTime + 7200, 10));
    Append(f, testing::Payload(10, 4));
    const uint32_t secondKeyAt = static_cast<uint32_t>(f.size());
    Append(f, MakeFrameHead(kFrameKey, 506, kFirstTime + 90000, 10));
    Append(f, testing::Payload(10, 5));

    Built b = Build(f);
    ASSERT_TRUE(b.walk.complete);
    EXPECT_EQ(b.walk.firstFrameNumber, 500u);
    EXPECT_EQ(b.walk.firstTime, kFirstTime);
    EXPECT_EQ(b.walk.lastTime, kFirstTime + 90000);
    // 1 + 3 + 2 + 1: the last record counts although the walk ends on it.
    EXPECT_EQ(b.walk.pictures, 7u);
    ASSERT_EQ(b.index->count, 2);
    EXPECT_EQ(b.index->entries[0].picture, 0u);
    EXPECT_EQ(b.index->entries[0].timeOffset, 0u);
    EXPECT_EQ(b.index->entries[0].filePos, firstKeyAt);
    EXPECT_EQ(b.index->entries[1].picture, 6u);
    EXPECT_EQ(b.index->entries[1].timeOffset, 90000u);
    EXPECT_EQ(b.index->entries[1].filePos, secondKeyAt);
}

TEST(KeyFrameIndex, DamagedRecordsDoNotEndTheIndex) {
    Bytes f = MakeFileHead(0x0000);
    uint32_t frame = kFirstFrame, ts = kFirstTime;
    for (int k = 0; k < 6; ++k) {
        Append(f, MakeFrameHead(kFrameKey, frame++, ts, 8));
        Append(f, testing::Payload(8, static_cast<uint8_t>(k)));
        ts += 3600;
        if (k == 2) {
            // A header-only record, then foreign bytes.
            Append(f, MakeFrameHead(kFrameP, 0, 0, 0, kFrameFlagHeaderOnly));
            Append(f, Bytes(37, 0x5A));
        }
    }
    Built b = Build(f);
    EXPECT_TRUE(b.walk.complete);
    EXPECT_EQ(b.index->count, 6);
    EXPECT_EQ(b.walk.pictures, 6u);
}

TEST(KeyFrameIndex, StopOrTornEndLeavesItIncomplete) {
    int asked = 0;
    Built stopped = Build(MakeRecording(50), [&] { return ++asked > 10; });
    EXPECT_FALSE(stopped.walk.complete);

    Bytes torn = MakeRecording(5);
    Append(torn, MakeFrameHead(kFrameKey, 2000, kFirstTime + 90000, 500));
    Append(torn, testing::Payload(100, 9));
    Built b = Build(torn);
    // A file that ends inside a record is not indexed to its end.
    EXPECT_FALSE(b.walk.complete);
    EXPECT_EQ(b.index->keyFramesSeen, 5);
}

// 12-picture groups, 40 ms apart: key frame k is picture 12k, 480k ms.
class Lookup : public ::testing::Test {
protected:
    void SetUp() override { built_ = Build(MakeRecording(40, 11)); }
    const KeyFrameIndex& index() { return *built_.index; }
    Built built_;
};

TEST_F(Lookup, AtOrBeforeByPictureAndTime) {
    struct Case {
        uint32_t value;
        int mode;
        uint32_t picture;
    };
    for (Case c :
         {Case{0, kLookupPicture, 0}, Case{11, kLookupPicture, 0}, Case{12, kLookupPicture, 12},
          Case{13, kLookupPicture, 12}, Case{479, kLookupPicture, 468},
          Case{5000, kLookupPicture, 468}, Case{0, kLookupTime, 0}, Case{479 * 90, kLookupTime, 0},
          Case{480 * 90, kLookupTime, 12}, Case{1000 * 90, kLookupTime, 24},
          Case{100000 * 90, kLookupTime, 468}}) {
        SCOPED_TRACE(::testing::Message() << c.value << " mode " << c.mode);
        KeyFrameInfo info = KeyFrameAtOrBefore(index(), c.value, c.mode);
        EXPECT_EQ(info.picture, c.picture);
        EXPECT_EQ(info.timeMs, static_cast<int32_t>(c.picture / 12 * 480));
        EXPECT_EQ(info.filePos, index().entries[c.picture / 12].filePos);
    }
}

TEST_F(Lookup, AtOrAfter) {
    struct Case {
        uint32_t value;
        bool found;
        uint32_t picture;
    };
    for (Case c : {Case{0, true, 0}, Case{1, true, 12}, Case{12, true, 12}, Case{467, true, 468},
                   Case{468, true, 468}, Case{469, false, 0}}) {
        SCOPED_TRACE(c.value);
        KeyFrameInfo info{};
        ASSERT_EQ(KeyFrameAtOrAfter(index(), c.value, kLookupPicture, &info), c.found);
        if (c.found) {
            EXPECT_EQ(info.picture, c.picture);
        }
    }
}

TEST(KeyFrameLookup, FindsEveryKeyFrameAfterThinning) {
    // 30000 groups of 4 pictures, 10 ms key frame spacing in time would defeat any
    // window that assumes one key frame a second or 400 pictures per entry.
    Built b = Build(MakeRecording(30000, 3, 1));
    ASSERT_TRUE(b.walk.complete);
    const KeyFrameIndex& idx = *b.index;
    for (int i = 0; i < idx.count; i += 97) {
        SCOPED_TRACE(i);
        const KeyFrameEntry& e = idx.entries[i];
        KeyFrameInfo byPicture = KeyFrameAtOrBefore(idx, e.picture + 1, kLookupPicture);
        EXPECT_EQ(byPicture.filePos, e.filePos);
        KeyFrameInfo byTime = KeyFrameAtOrBefore(idx, e.timeOffset + 90, kLookupTime);
        EXPECT_EQ(byTime.filePos, e.filePos);
    }
}

TEST(KeyFrameLookup, StaleEntriesBehindTheCountAreNotRead) {
    KeyFrameIndex idx;
    KeyFrameEntry staged[4] = {{0, 0, 19}, {10, 100, 50}, {20, 200, 90}, {30, 300, 130}};
    idx.CopyUnchanged(staged, 4);
    idx.count = 2; // as a halving leaves it: old entries stay behind the count
    KeyFrameInfo info{};
    EXPECT_FALSE(KeyFrameAtOrAfter(idx, 25, kLookupPicture, &info));
    EXPECT_EQ(KeyFrameAtOrBefore(idx, 25, kLookupPicture).picture, 10u);
}

} // namespace
} // namespace dvr::strovid
