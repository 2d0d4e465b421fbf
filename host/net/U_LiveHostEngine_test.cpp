// The live server on the real engine: a stand-in board, the board wrapper's routing, the
// recording engine's encoder for viewers, the remote access lists and the work log.
#include "host/net/U_LiveHostEngine.h"

#include "host/engine/T_ThreadWriteLogRecord.h"
#include "host/engine/U_Arithmetic.h"
#include "host/engine/U_CaptureSet.h"
#include "host/engine/U_ClientCheck.h"
#include "host/engine/U_SystemOtherSet.h"
#include "host/engine/U_VideoCard.h"
#include "host/engine/U_WorkLog.h"
#include "host/engine/recording_testing.h"
#include "host/net/T_ThreadFreeTCPMainConnecter.h"
#include "host/net/U_TCPMainServer.h"
#include "host/net/live_testing.h"

#include "common/testing/testdata.h"
#include "sdk/dorsk/dorsk_api.h"
#include "sim/brevix32/SimCtl.h"

#include <gtest/gtest.h>

#include <random>

namespace vantrel {
namespace {

using namespace vantrel::testing;
using Bytes = std::vector<uint8_t>;

// The host program's routing: recording first, then the channel's viewers.
struct LiveRoutes : TStreamRoutes {
    TCapture* capture = nullptr;
    TLiveServers* live = nullptr;
    void AnalyzeMotionData(int, const uint8_t*, int) override {}
    void InputFrame(int ch, int type, const uint8_t* d, int n) override {
        if (capture) capture->InputFrame(ch, type, d, n);
    }
    void FanOutFrame(int ch, int type, const uint8_t* d, int n) override {
        if (live) live->FanOutFrame(ch, type, d, n);
    }
};

class LiveEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = FreshProgramFolder("live_engine_board");
        ::GetCurrentDirectoryW(MAX_PATH, previous_);
        ASSERT_TRUE(::SetCurrentDirectoryA(folder_.c_str()));
        for (const char* name : {"Main.out", "MainD1.out"}) {
            dvr::win::File f(::CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
        }
        std::string config = "processor 4\nspeed 4\n";
        for (int ch = 0; ch < 2; ++ch)
            config += "source 0 " + std::to_string(ch) + " " +
                      dvr::testing::TestDataPath("cif_ip.brs") + "\n";
        ASSERT_EQ(SimCtl_Configure(config.c_str()), 0);
        CallbackClosing = false;
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VQS\\CAPTURE");
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VQS\\OTHER");
    }
    void TearDown() override {
        RU4Dov_DeInitDSPs();
        ::SetCurrentDirectoryW(previous_);
    }
    static int FreeBase() {
        std::mt19937 rng(::GetTickCount() ^ ::GetCurrentProcessId());
        for (int attempt = 0; attempt < 40; ++attempt) {
            const int b = 20000 + static_cast<int>(rng() % 2000) * 10;
            TTCPServer probes[4];
            bool free = true;
            for (int i = 0; i < 4 && free; ++i)
                free = probes[i].Bind(static_cast<uint16_t>(b + i));
            if (free) return b;
        }
        return 0;
    }

    std::string folder_;
    wchar_t previous_[MAX_PATH] = {};
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
    RecordingStorage storage("live_engine_rec");
    FakeCaptureHost captureHost;
    LiveRoutes routes;
    TVideoCard card(nullptr, routes);
    ASSERT_EQ(card.ChannelCount(), 4);
    for (int ch = 0; ch < 2; ++ch)
        ASSERT_EQ(card.OpenChannel(ch), 0);
    TCapture capture(card, *storage.manager, *storage.files, captureHost);
    TCaptureSet captureSet(card);
    TArithmetic arithmetic;
    TSystemOtherSet other(arithmetic);
    other.Record.BandwidthLimitOn = 0;
    TClientCheckSet checks(folder_, nullptr); // no lists: every viewer may watch
    TClientCheck check(checks);
    TWorkLog log(arithmetic, folder_);
    TThreadWriteLogRecord writer(log, [](DWORD) {});
    TLiveHostEngine engine(card, capture, captureSet, other, check, writer);
    TLiveServers live(engine);
    const int base = FreeBase();
    ASSERT_NE(base, 0);
    ASSERT_TRUE(live.StartLiveServers(base, card.ChannelCount()));
    routes.capture = &capture;
    routes.live = &live;
    TThreadFreeTCPMainConnecter sweeper(live);

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

    sweeper.Stop();
    ASSERT_EQ(capture.StopChannel(1, ')'), 0);
    CallbackClosing = true;
    live.StopViewers();
    live.StopAll();
    card.CloseBoard();
    CallbackClosing = false;

    writer.Stop();
    ASSERT_EQ(log.GetRecordCount(), 2);
    for (int i = 0; i < 2; ++i) {
        TWorkLogRecord r{};
        ASSERT_EQ(log.ReadRecords(i, &r, 1), 1);
        EXPECT_EQ(r.Event, 68);
        EXPECT_EQ(r.ClientAddress.Get(), "127.0.0.1");
        EXPECT_EQ(r.UserName.Get(), "guest");
    }
}

} // namespace
} // namespace vantrel
