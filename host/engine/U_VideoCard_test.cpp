#include "host/engine/U_VideoCard.h"

#include "host/engine/recording_testing.h"

#include "common/testing/testdata.h"
#include "player/format/file_reader.h"
#include "sdk/dorsk/dorsk_api.h"
#include "sim/brevix32/SimCtl.h"

#include <gtest/gtest.h>

#include <mutex>

namespace vantrel {
namespace {

using namespace vantrel::testing;
using Bytes = std::vector<uint8_t>;

struct Routed {
    int channel, type;
    Bytes bytes;
    bool operator==(const Routed&) const = default;
};

// Keeps what reaches each route; recording also goes on to the engine when there is one.
struct TeeRoutes : TStreamRoutes {
    // Recursive: the capture may fan a record out while InputFrame holds the lock.
    std::recursive_mutex m;
    std::vector<Routed> motion, recorded, fannedOut;
    TCapture* capture = nullptr;
    // Set before the channels stop, so that what is kept here is exactly what the capture took
    // (the board goes on delivering until it closes).
    bool stopTaking = false;
    void AnalyzeMotionData(int ch, const uint8_t* d, int n) override {
        std::lock_guard g(m);
        motion.push_back({ch, kFrameTypeMotion, Bytes(d, d + n)});
    }
    void InputFrame(int ch, int type, const uint8_t* d, int n) override {
        std::lock_guard g(m);
        if (stopTaking) return;
        recorded.push_back({ch, type, Bytes(d, d + n)});
        if (capture) capture->InputFrame(ch, type, d, n);
    }
    void FanOutFrame(int ch, int type, const uint8_t* d, int n) override {
        std::lock_guard g(m);
        fannedOut.push_back({ch, type, Bytes(d, d + n)});
    }
};

// A private current folder with the board program files and a stand-in board of two
// processors (channels 0-3 and 4) replaying the fixture scripts.
class BoardTest : public ::testing::Test {
protected:
    static constexpr const char* kScripts[5] = {"cif_ip.brs", "cif_ipb1.brs", "cif_ipb2.brs",
                                                "cif_ip.brs", "d1_ip.brs"};
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        folder_ = std::wstring(temp) + L"rec_board_" + std::to_wstring(::GetCurrentProcessId());
        ::CreateDirectoryW(folder_.c_str(), nullptr);
        ::GetCurrentDirectoryW(MAX_PATH, previous_);
        ASSERT_TRUE(::SetCurrentDirectoryW(folder_.c_str()));
        for (const char* name : {"Main.out", "MainD1.out"})
            WriteFile(std::string(".\\") + name, "# board program\n");
        std::string config = "processor 4\nprocessor 1\nspeed 4\n";
        for (int ch = 0; ch < 5; ++ch)
            config += "source " + std::to_string(ch / 4) + " " + std::to_string(ch % 4) + " " +
                      dvr::testing::TestDataPath(kScripts[ch]) + "\n";
        ASSERT_EQ(SimCtl_Configure(config.c_str()), 0);
        CallbackClosing = false;
    }
    void TearDown() override {
        RU4Dov_DeInitDSPs();
        ::DeleteFileW(L"Main.out");
        ::DeleteFileW(L"MainD1.out");
        ::SetCurrentDirectoryW(previous_);
        ::RemoveDirectoryW(folder_.c_str());
    }
    std::wstring folder_;
    wchar_t previous_[MAX_PATH] = {};
};

TEST_F(BoardTest, ChannelsOutsideTheBoardFailWithoutReachingIt) {
    TeeRoutes routes;
    TVideoCard card(nullptr, routes);
    ASSERT_EQ(card.ChannelCount(), 5);
    for (int ch : {-1, 5, 49}) {
        EXPECT_EQ(card.OpenChannel(ch), -1);
        EXPECT_EQ(card.StartCapture(ch), -1);
        EXPECT_EQ(card.RequestKeyFrame(ch), -1);
        EXPECT_EQ(card.StreamType(ch, 3), -1);
        EXPECT_EQ(card.ChannelOsd(ch, "x", true, true, false, {}, {}), -1);
        EXPECT_EQ(card.SetVideoStandard(ch, 2), 0) << "the video standard answers 0";
    }
    for (int ch = 0; ch < 5; ++ch)
        EXPECT_EQ(card.OpenChannel(ch), 0);
    EXPECT_EQ(card.ChannelOsd(0, "A\xCD\xA8", true, true, true, {10, 10}, {20, 250}), 0);
    EXPECT_EQ(card.SetVideoStandard(0, 7), 0);
    for (uint8_t s : card.SignalPresent)
        EXPECT_EQ(s, 1);
}

TEST_F(BoardTest, WithoutABoardEveryChannelCallFails) {
    ASSERT_EQ(SimCtl_FailOperation(0, SIMCTL_OP_GET_NUM, -1), 0);
    TeeRoutes routes;
    TVideoCard card(nullptr, routes);
    EXPECT_EQ(card.ChannelCount(), 0);
    EXPECT_EQ(card.OpenChannel(0), -1);
    EXPECT_EQ(card.StartCapture(0), -1);
    EXPECT_EQ(card.PictureFormat(0, 1), -1);
    EXPECT_EQ(card.SetVideoStandard(0, 2), 0);
    EXPECT_EQ(card.RestoreOverlay(), -1);
    SimCtl_FailOperation(0, SIMCTL_OP_GET_NUM, 0);
}

TEST_F(BoardTest, RecordsAreRoutedByType) {
    TeeRoutes routes;
    TVideoCard card(nullptr, routes);
    const uint8_t data[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    struct Case {
        int type;
        bool recorded, motion;
        int framesSinceKey; // after the record
    } cases[] = {
        {2, true, false, 1},   {128, true, false, 2},  {8, true, false, 3}, {0, false, false, 3},
        {64, false, false, 3}, {4096, false, true, 3}, {1, true, false, 0}, {3, true, false, 1},
    };
    for (const Case& c : cases) {
        const size_t rec = routes.recorded.size(), mot = routes.motion.size(),
                     fan = routes.fannedOut.size();
        card.RouteRecord(4, c.type, data, sizeof data);
        EXPECT_EQ(routes.recorded.size() - rec, c.recorded ? 1u : 0u) << c.type;
        EXPECT_EQ(routes.fannedOut.size() - fan, c.recorded ? 1u : 0u) << c.type;
        EXPECT_EQ(routes.motion.size() - mot, c.motion ? 1u : 0u) << c.type;
        EXPECT_EQ(card.FramesSinceKeyFrame(4), c.framesSinceKey) << c.type;
    }
}

// The results of the player's reader walking a recording file to its end; -1 when it does
// not take the file.
int RecordsReadBack(const std::string& path) {
    dvr::StdioFile file;
    if (!file.Open(path)) return -1;
    dvr::PortFileState port;
    if (!dvr::OpenRecordFile(&port, file)) return -1;
    int records = 0;
    while (dvr::ReadOneFrameEx(&port, 0, &file) != dvr::kRecordEnd)
        ++records;
    return records;
}

TEST_F(BoardTest, BoardRecordsBecomeRecordingFilesThePlayerReads) {
    RecordingStorage storage("rec_board_files");
    FakeCaptureHost host;
    TeeRoutes routes;
    TVideoCard card(nullptr, routes);
    TCapture capture(card, *storage.manager, *storage.files, host);
    routes.capture = &capture;
    const int channels[] = {1, 4};
    for (int ch : channels)
        ASSERT_EQ(card.OpenChannel(ch), 0);
    for (int ch : channels)
        ASSERT_EQ(capture.StartChannel(ch, ')', 0), 0);
    ::Sleep(1500);
    std::string first[5], second[5];
    storage.Tick();
    for (int ch : channels) {
        first[ch] = capture.Slots[ch].FileName;
        ASSERT_EQ(capture.StartRecording(ch, 0, false), 0);
        second[ch] = capture.Slots[ch].FileName;
    }
    ::Sleep(1500);
    {
        std::lock_guard g(routes.m);
        routes.stopTaking = true;
    }
    for (int ch : channels)
        ASSERT_EQ(capture.StopChannel(ch, ')'), 0);
    CallbackClosing = true;
    card.CloseBoard();
    CallbackClosing = false;

    for (int ch : channels) {
        SCOPED_TRACE(ch);
        // Records of the channel in arrival order, and the concatenation of the two files.
        std::vector<Bytes> got;
        for (const Routed& r : routes.recorded)
            if (r.channel == ch) got.push_back(r.bytes);
        const Bytes file1 = ReadWholeFile(first[ch]), file2 = ReadWholeFile(second[ch]);
        ASSERT_GT(file1.size(), 0u);
        ASSERT_GT(file2.size(), 0u);
        // The first file: the fresh header, then the script from its first key frame.
        Bytes expected1;
        size_t n = 0;
        for (const Bytes& r : ScriptRecords(kScripts[ch], got.size())) {
            if (expected1.size() >= file1.size()) break;
            expected1.insert(expected1.end(), r.begin(), r.end());
            ++n;
        }
        EXPECT_EQ(file1, expected1);
        // The second file: the saved header, then every later record as it arrived.
        Bytes expected2 = got[0];
        for (size_t i = n; i < got.size(); ++i)
            expected2.insert(expected2.end(), got[i].begin(), got[i].end());
        EXPECT_EQ(file2.size(), expected2.size());
        EXPECT_TRUE(file2 == expected2);
        EXPECT_GT(got.size() - n, 10u);

        // The player's reader takes every record after the header.
        // (It reports audio blocks and pictures one by one, so at least one result a record.)
        EXPECT_GE(RecordsReadBack(first[ch]), int(n - 1));
        EXPECT_GE(RecordsReadBack(second[ch]), int(got.size() - n));
    }
}

TEST_F(BoardTest, WhileClosingNoRecordIsTaken) {
    TeeRoutes routes;
    CallbackClosing = true;
    {
        TVideoCard card(nullptr, routes);
        ASSERT_EQ(card.OpenChannel(0), 0);
        ASSERT_EQ(card.StartCapture(0), 0);
        ::Sleep(800);
        EXPECT_TRUE(routes.recorded.empty());
        int length = kStreamReadBufferSize, type = 0;
        EXPECT_GE(
            RU4Dov_ReadStreamData(card.ChannelHandle(0), StreamReadBuffer.data(), &length, &type),
            0)
            << "the records stay in the board's ring";
        EXPECT_EQ(type, 128);
        card.StopCapture(0);
    }
    CallbackClosing = false;
}

} // namespace
} // namespace vantrel
