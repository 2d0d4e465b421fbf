#include "player/lib/frame_queue.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "player/format/test_records.h"

namespace dvr::strovid {
namespace {

using testing::Bytes;
using testing::Payload;

TEST(FrameQueue, KeepsOrderCountsAndBytes) {
    FrameQueue q(100000, 1);
    int before = -1;
    Bytes a = Payload(10, 1), b = Payload(25, 2);
    q.Push(a.data(), 10, kFrameKey, 900, &before);
    EXPECT_EQ(before, 0);
    q.Push(b.data(), 25, kFrameP, 4500, &before);
    EXPECT_EQ(before, 1);
    EXPECT_EQ(q.ByteTotal(), 35u);

    uint8_t out[64];
    uint8_t type = 0;
    uint32_t ts = 0;
    int count = 0;
    // A look without removal leaves the queue as it was.
    EXPECT_EQ(q.Pop(out, sizeof out, &type, &ts, &count, false), 10u);
    EXPECT_EQ(q.Count(), 2);
    EXPECT_EQ(q.Pop(out, sizeof out, &type, &ts, &count, true), 10u);
    EXPECT_EQ(Bytes(out, out + 10), a);
    EXPECT_EQ(type, kFrameKey);
    EXPECT_EQ(ts, 900u);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(q.ByteTotal(), 25u);
    EXPECT_EQ(q.Pop(out, sizeof out, &type, &ts, &count, true), 25u);
    EXPECT_EQ(Bytes(out, out + 25), b);
    EXPECT_EQ(q.Pop(out, sizeof out, &type, &ts, &count, true), 0u);
    EXPECT_EQ(type, 0);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(q.ByteTotal(), 0u);

    // The tail is found again after the queue ran empty.
    q.Push(a.data(), 10, kFrameP, 1, nullptr);
    q.Push(b.data(), 25, kFrameP, 2, nullptr);
    q.DropHead();
    EXPECT_EQ(q.Pop(out, sizeof out, &type, &ts, &count, true), 25u);
    EXPECT_EQ(ts, 2u);
}

TEST(FrameQueue, LongPayloadIsCutToTheDestination) {
    FrameQueue q(100000, 1);
    Bytes big = Payload(500, 7);
    q.Push(big.data(), 500, kFrameAudio, 0, nullptr);
    std::vector<uint8_t> out(130, 0xEE);
    uint8_t type;
    uint32_t ts;
    int count;
    EXPECT_EQ(q.Pop(out.data(), 120, &type, &ts, &count, true), 120u);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + 120), Bytes(big.begin(), big.begin() + 120));
    EXPECT_EQ(out[120], 0xEE);
    EXPECT_EQ(q.ByteTotal(), 0u);
}

TEST(FrameQueue, ClearFreesALongQueueAndConcurrentUseKeepsTotals) {
    FrameQueue q(100000, 0);
    uint8_t byte = 1;
    for (int i = 0; i < 200000; ++i)
        q.Push(&byte, 1, kFrameP, i, nullptr);
    q.Clear();
    EXPECT_EQ(q.Count(), 0);
    EXPECT_EQ(q.ByteTotal(), 0u);

    std::thread producer([&] {
        for (int i = 0; i < 20000; ++i)
            q.Push(&byte, 1, kFrameP, i, nullptr);
    });
    int popped = 0;
    uint8_t out[4];
    while (popped < 20000) {
        uint8_t type;
        uint32_t ts;
        int c;
        if (q.Pop(out, sizeof out, &type, &ts, &c, true)) {
            EXPECT_EQ(ts, static_cast<uint32_t>(popped));
            ++popped;
        }
    }
    producer.join();
    EXPECT_EQ(q.ByteTotal(), 0u);
}

} // namespace
} // namespace dvr::strovid
