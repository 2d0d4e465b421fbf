// The live server on the real engine: a stand-in board, the board wrapper's routing, the
// recording engine's encoder for viewers, the remote access lists and the work log.
#include "host/net/U_LiveHostEngine.h"

#include "host/net/serving_host_testing.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

using namespace vantrel::testing;
using Bytes = std::vector<uint8_t>;

class LiveEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VQS\\CAPTURE");
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VQS\\OTHER");
    }
};

// Record boundaries of a stream: a 19-byte head, then frame heads with their lengths.
std::vector<uint8_t> FrameTypes(const Bytes& stream, size_t& used) {
    std::vector<uint8_t> types;
    size_t at = 0;
    while (at + 18 <= stream.size()) {
        if (stream[at] != 0 || stream[at + 1] != 0 || stream[at + 2] != 1) break;
        if (stream[at + 3] == 0xC6) {
            at += 19;
            types.push_back(0x80);
            continue;
        }
        if (stream[at + 3] != 0xC7) break;
        uint32_t length = 0;
        std::memcpy(&length, &stream[at + 14], 4);
        if (at + 18 + length > stream.size()) break;
        types.push_back(stream[at + 4]);
        at += 18 + length;
    }
    used = at;
    return types;
}

TEST_F(LiveEngineTest, ViewerOfABoardChannelGetsItsLiveStreamAndItsEncoderStopsAfterIt) {
    TArithmetic arithmetic;
    TSystemOtherSet other(arithmetic);
    other.Record.BandwidthLimitOn = 0;
    BoardServingHost host("live_engine_board", {"cif_ip.brs", "cif_ip.brs"}, arithmetic, other);
    ASSERT_TRUE(host.Ok());
    ASSERT_EQ(host.Card.ChannelCount(), 4);
    TCapture& capture = host.Capture;
    const int base = host.Base;

    // Channel 1 records to file already: its viewer starts with the saved head.
    ASSERT_EQ(capture.StartChannel(1, ')', 0), 0);
    ASSERT_TRUE(WaitUntil([&] { return capture.Slots[1].HeaderSaved.load(); }));

    TestViewer idle(base), recording(base + 1);
    ASSERT_TRUE(idle.SendRequest(0));
    ASSERT_TRUE(recording.SendRequest(1));
    const Bytes a = idle.Read(60000, 3000), b = recording.Read(60000, 3000);
    size_t usedA = 0, usedB = 0;
    const auto typesA = FrameTypes(a, usedA), typesB = FrameTypes(b, usedB);
    ASSERT_GE(typesA.size(), 5u);
    ASSERT_GE(typesB.size(), 5u);
    // The idle channel's encoder started for the viewer: the board's fresh head comes first,
    // then its first key frame.
    EXPECT_EQ(typesA[0], 0x80);
    EXPECT_EQ(typesA[1], 1);
    EXPECT_EQ(capture.Slots[0].State, kStateLive);
    EXPECT_EQ(Bytes(a.begin(), a.begin() + 19),
              Bytes(capture.Slots[0].SavedHeader, capture.Slots[0].SavedHeader + 19));
    EXPECT_EQ(typesB[0], 0x80);
    EXPECT_EQ(Bytes(b.begin(), b.begin() + 19),
              Bytes(capture.Slots[1].SavedHeader, capture.Slots[1].SavedHeader + 19));
    EXPECT_EQ(capture.Slots[1].State, kStateFileLive);

    idle.Close();
    recording.Close();
    ASSERT_TRUE(WaitUntil([&] { return !capture.Slots[0].CaptureRunning.load(); }, 10000));
    EXPECT_EQ(capture.Slots[0].State, kStateIdle);
    ASSERT_TRUE(WaitUntil([&] { return capture.Slots[1].State.load() == kStateFile; }, 10000));
    EXPECT_TRUE(capture.Slots[1].CaptureRunning);

    host.Sweeper->Stop();
    ASSERT_EQ(capture.StopChannel(1, ')'), 0);
    host.Stop();
    ASSERT_EQ(host.Log.GetRecordCount(), 2);
    for (int i = 0; i < 2; ++i) {
        TWorkLogRecord r{};
        ASSERT_EQ(host.Log.ReadRecords(i, &r, 1), 1);
        EXPECT_EQ(r.Event, 68);
        EXPECT_EQ(r.ClientAddress.Get(), "127.0.0.1");
        EXPECT_EQ(r.UserName.Get(), "guest");
    }
}

} // namespace
} // namespace vantrel
