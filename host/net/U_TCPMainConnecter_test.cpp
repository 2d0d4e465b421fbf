#include "host/net/U_TCPMainConnecter.h"

#include "host/net/live_testing.h"

#include <gtest/gtest.h>

#include <vector>

namespace vantrel {
namespace {

using testing::FakeLiveHost;

TEST(DropStages, ByFrameRate) {
    struct Case {
        int setting, c, l1, l2, l3, l4;
    };
    for (Case k : {Case{25, 25, 50, 60, 75, 90}, Case{30, 30, 60, 72, 90, 108},
                   Case{5, 5, 10, 12, 15, 18}, Case{31, 25, 50, 60, 75, 90},
                   Case{0, 25, 50, 60, 75, 90}, Case{256 + 10, 10, 20, 24, 30, 36}}) {
        TDropStages s = DropStagesFor(k.setting);
        EXPECT_EQ(s.FrameRate, k.c) << k.setting;
        EXPECT_EQ(s.L1, k.l1) << k.setting;
        EXPECT_EQ(s.L2, k.l2) << k.setting;
        EXPECT_EQ(s.L3, k.l3) << k.setting;
        EXPECT_EQ(s.L4, k.l4) << k.setting;
    }
}

// One channel's list with viewers that nobody drains: the queues show what the fan-out kept.
struct FanOut : ::testing::Test {
    FakeLiveHost host;
    TTCPMainConnecter list{host, INVALID_SOCKET, 1};
    uint8_t record[32] = {0, 0, 1, 0xC7};

    TTCPConnecter& AddViewer(bool admitted = true) {
        auto* v = new TTCPConnecter(kViewerQueueCapacity);
        v->Admitted = admitted ? 1 : 0;
        v->Request.Channel = 1;
        list.LinkViewer(v);
        return *v;
    }
    void Feed(int type, int times = 1) {
        for (int i = 0; i < times; ++i)
            list.FanOutFrame(type, record, sizeof(record));
    }
    size_t KeyRequests() { return host.Copy(host.KeyFrameRequests).size(); }
};

TEST_F(FanOut, StageHoldsUntilARequestedKeyFrame) {
    TTCPConnecter& v = AddViewer();
    TChain& q = *v.Queue;
    host.SinceKey = 100;
    Feed(2, 49);
    Feed(2); // the 50th still goes in: the stage is tested before the push
    EXPECT_EQ(q.VideoCount(), 50);
    Feed(2);
    EXPECT_EQ(q.VideoCount(), 50);
    EXPECT_EQ(v.DropLevel, 50);
    EXPECT_EQ(v.DropCount, 1);

    for (int i = 0; i < 20; ++i)
        q.DeleteHead(); // the queue drains below the stage
    Feed(1);            // a natural key frame before any request
    EXPECT_EQ(q.VideoCount(), 30);
    EXPECT_EQ(KeyRequests(), 0u);

    Feed(2, 48); // 50 dropped in a row: no request yet
    EXPECT_EQ(v.DropCount, 50);
    EXPECT_EQ(KeyRequests(), 0u);
    Feed(2); // the 51st
    EXPECT_EQ(KeyRequests(), 1u);
    EXPECT_EQ(host.Copy(host.KeyFrameRequests)[0], 1);
    EXPECT_EQ(v.DropCount, -1);
    Feed(2, 30);
    EXPECT_EQ(KeyRequests(), 1u);
    EXPECT_EQ(q.VideoCount(), 30);

    Feed(1); // the key frame asked for ends the stage
    EXPECT_EQ(q.VideoCount(), 31);
    EXPECT_EQ(q.KeyFrameCount(), 1);
    EXPECT_EQ(v.DropLevel, 0);
    EXPECT_EQ(v.DropCount, 0);
    Feed(2);
    EXPECT_EQ(q.VideoCount(), 32);
}

TEST_F(FanOut, NoRequestWhileTheChannelHadAKeyFrameRecently) {
    TTCPConnecter& v = AddViewer();
    host.SinceKey = 25; // not more than c
    Feed(2, 50 + 60);
    EXPECT_EQ(v.DropCount, 60);
    EXPECT_EQ(KeyRequests(), 0u);
    host.SinceKey = 26;
    Feed(2);
    EXPECT_EQ(KeyRequests(), 1u);
}

TEST_F(FanOut, KeyFrameIntoADeepQueueStartsANewStage) {
    TTCPConnecter& v = AddViewer();
    host.SinceKey = 100;
    Feed(2, 50);
    Feed(2, 51); // request made
    ASSERT_EQ(v.DropCount, -1);
    Feed(1); // queued although 50 still wait
    EXPECT_EQ(v.Queue->VideoCount(), 51);
    Feed(2);
    EXPECT_EQ(v.Queue->VideoCount(), 51);
    EXPECT_EQ(v.DropCount, 1);
    EXPECT_EQ(v.DropLevel, 50);
}

TEST_F(FanOut, AudioGoesByCountOnlyWhateverTheStage) {
    TTCPConnecter& v = AddViewer();
    Feed(8, 25);
    EXPECT_EQ(v.Queue->Count(), 25);
    Feed(8); // 25 queued: not more than c
    EXPECT_EQ(v.Queue->Count(), 26);
    Feed(8, 5);
    EXPECT_EQ(v.Queue->Count(), 26);
    EXPECT_EQ(v.Queue->VideoCount(), 0);

    for (int i = 0; i < 26; ++i)
        v.Queue->DeleteHead();
    Feed(2, 51); // stage L1 in force
    ASSERT_EQ(v.DropLevel, 50);
    for (int i = 0; i < 40; ++i)
        v.Queue->DeleteHead();
    Feed(8);
    EXPECT_EQ(v.Queue->Count(), 11); // audio still queued in the stage
}

TEST_F(FanOut, HighStageTakenFirstAndRateAbove30CountsAs25) {
    host.Rate = 60;
    TTCPConnecter& v = AddViewer();
    Feed(2, 50);
    Feed(2);
    EXPECT_EQ(v.DropLevel, 50);
    // A viewer whose queue reached 90 video records is at L4.
    TTCPConnecter& w = AddViewer();
    for (int i = 0; i < 90; ++i)
        w.Queue->Push(record, sizeof(record), 2);
    Feed(2);
    EXPECT_EQ(w.DropLevel, 90);
}

TEST_F(FanOut, UnadmittedAndClosedViewersGetNothing) {
    TTCPConnecter& waiting = AddViewer(false);
    TTCPConnecter& closed = AddViewer();
    closed.Closed = 1;
    TTCPConnecter& open = AddViewer();
    ::WSAResetEvent(waiting.SendEvent.get());
    Feed(2, 3);
    EXPECT_EQ(waiting.Queue->Count(), 0);
    // Not even woken: thousands of silent connections must cost the stream nothing per record.
    EXPECT_EQ(::WaitForSingleObject(waiting.SendEvent.get(), 0), DWORD(WAIT_TIMEOUT));
    EXPECT_EQ(closed.Queue->Count(), 0);
    EXPECT_EQ(open.Queue->Count(), 3);
}

} // namespace
} // namespace vantrel
