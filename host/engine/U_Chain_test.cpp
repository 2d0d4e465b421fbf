#include "host/engine/U_Chain.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace vantrel {
namespace {

// Record i of the threaded test: its own length, its number up front, filled with its low byte.
std::vector<uint8_t> NumberedRecord(int i) {
    std::vector<uint8_t> record(size_t(1 + i % 97), uint8_t(i));
    std::memcpy(record.data(), &i, std::min(sizeof i, record.size()));
    return record;
}

struct Counts {
    int32_t count, video, key;
};

void ExpectCounts(const TChain& chain, Counts want, const std::string& where) {
    EXPECT_EQ(chain.Count(), want.count) << where;
    EXPECT_EQ(chain.VideoCount(), want.video) << where;
    EXPECT_EQ(chain.KeyFrameCount(), want.key) << where;
}

bool PushText(TChain& chain, const std::string& text, uint8_t type) {
    return chain.Push(text.data(), int32_t(text.size()), type);
}

std::string HeadText(const TChain& chain) {
    const TChainNode* head = chain.Head();
    return std::string(reinterpret_cast<const char*>(head->Data.data()), size_t(head->Length));
}

TEST(Chain, CountersFollowTheTypesOfPushedAndDroppedRecords) {
    TChain chain(8);
    // Key frame, P frame, audio, stream header (0x80 counts as video).
    const struct {
        const char* text;
        uint8_t type;
        Counts after;
    } pushes[] = {
        {"key", 1, {1, 1, 1}},
        {"p-frame", 2, {2, 2, 1}},
        {"audio", 8, {3, 2, 1}},
        {"header", 0x80, {4, 3, 1}},
    };
    for (const auto& p : pushes) {
        ASSERT_TRUE(PushText(chain, p.text, p.type));
        ExpectCounts(chain, p.after, std::string("push ") + p.text);
    }
    // Drained in order, each drop lowering the counters by the head's type.
    const Counts afterDrop[] = {{3, 2, 0}, {2, 1, 0}, {1, 1, 0}, {0, 0, 0}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(HeadText(chain), pushes[i].text);
        EXPECT_EQ(chain.Head()->FrameType, pushes[i].type);
        chain.DeleteHead();
        ExpectCounts(chain, afterDrop[i], std::string("drop ") + pushes[i].text);
    }
    chain.DeleteHead(); // empty: nothing happens
    ExpectCounts(chain, {0, 0, 0}, "drop on empty");
}

TEST(Chain, FullChainTakesTheNextRecordOnlyAfterOneLeaves) {
    TChain chain(300);
    for (int i = 0; i < 300; ++i)
        ASSERT_TRUE(PushText(chain, std::to_string(i), 2));
    EXPECT_TRUE(chain.IsFull());
    // A push on a full chain would land on the oldest record's node: refused, nothing lost.
    EXPECT_FALSE(PushText(chain, "overflow", 1));
    ExpectCounts(chain, {300, 300, 0}, "refused push");
    EXPECT_EQ(HeadText(chain), "0");
    chain.DeleteHead();
    EXPECT_FALSE(chain.IsFull());
    ASSERT_TRUE(PushText(chain, "300", 1));
    // The ring wrapped: every record comes out once, in order.
    for (int i = 1; i <= 300; ++i) {
        ASSERT_EQ(HeadText(chain), std::to_string(i));
        chain.DeleteHead();
    }
    EXPECT_EQ(chain.Count(), 0);
}

TEST(Chain, ClearEmptiesAndReopensWhileFreeNodesClosesForGood) {
    TChain chain(4);
    chain.Clear(); // on an empty chain: stays usable
    ASSERT_TRUE(PushText(chain, "a", 1));
    ASSERT_TRUE(PushText(chain, "b", 8));
    ASSERT_TRUE(PushText(chain, "c", 2));
    chain.DeleteHead();
    chain.Clear();
    ExpectCounts(chain, {0, 0, 0}, "after clear");
    EXPECT_EQ(chain.Head()->Length, 0);
    ASSERT_TRUE(PushText(chain, "after", 2));
    EXPECT_EQ(HeadText(chain), "after");

    chain.FreeNodes();
    EXPECT_EQ(chain.Count(), -1);
    EXPECT_EQ(chain.KeyFrameCount(), 0);
    EXPECT_FALSE(chain.IsFull()); // a closed chain is never full
    EXPECT_FALSE(PushText(chain, "late", 1));
    chain.DeleteHead();
    chain.Clear();
    chain.FreeNodes();
    EXPECT_EQ(chain.Count(), -1);
}

TEST(Chain, SmallestRingHoldsOneRecordAndNoCapacityHoldsNone) {
    TChain one(1);
    for (const char* text : {"one", "two"}) {
        ASSERT_TRUE(PushText(one, text, 1));
        EXPECT_TRUE(one.IsFull());
        EXPECT_FALSE(PushText(one, "extra", 1));
        EXPECT_EQ(HeadText(one), text);
        one.DeleteHead();
    }
    // A ring always has a node, but a capacity of nothing is full from the start.
    for (int32_t capacity : {0, -5}) {
        TChain none(capacity);
        EXPECT_TRUE(none.IsFull()) << capacity;
        EXPECT_FALSE(PushText(none, "x", 1)) << capacity;
        EXPECT_EQ(none.Count(), 0);
        none.FreeNodes();
    }
}

TEST(Chain, DropOldestBufferKeepsTheNewestVideo) {
    // The pre-alarm use: drop the head at 250 video records or when full, then push.
    TChain chain(600);
    for (int i = 0; i < 1000; ++i) {
        if (chain.VideoCount() >= 250 || chain.IsFull()) chain.DeleteHead();
        ASSERT_TRUE(PushText(chain, std::to_string(i), i % 25 == 0 ? 1 : 2));
    }
    EXPECT_EQ(chain.Count(), 250);
    EXPECT_EQ(HeadText(chain), "750");
    EXPECT_EQ(chain.KeyFrameCount(), 10);
}

TEST(Chain, ProducerAndConsumerThreadsPassEveryRecordIntact) {
    TChain chain(16);
    constexpr int kRecords = 20000;
    std::thread producer([&] {
        for (int i = 0; i < kRecords;) {
            const std::vector<uint8_t> record = NumberedRecord(i);
            if (!chain.IsFull()) {
                ASSERT_TRUE(chain.Push(record.data(), int32_t(record.size()), uint8_t(i % 3)));
                ++i;
            } else {
                std::this_thread::yield();
            }
        }
    });
    for (int i = 0; i < kRecords;) {
        if (chain.Count() <= 0) {
            std::this_thread::yield();
            continue;
        }
        const TChainNode* head = chain.Head();
        ASSERT_EQ(head->Length, 1 + i % 97) << i;
        ASSERT_EQ(head->FrameType, i % 3) << i;
        ASSERT_EQ(head->Data, NumberedRecord(i)) << i;
        chain.DeleteHead();
        ++i;
    }
    producer.join();
    ExpectCounts(chain, {0, 0, 0}, "drained");
}

} // namespace
} // namespace vantrel
