#include "host/engine/U_Capture.h"

#include "host/engine/recording_testing.h"

#include "common/win/textconv.h"

#include <gtest/gtest.h>

#include <atomic>
#include <numeric>
#include <thread>

namespace vantrel {
namespace {

using namespace vantrel::testing;
using Bytes = std::vector<uint8_t>;

struct FakeEncoders : TBoardEncoders {
    int channels = 4;
    bool failStart = false;
    std::vector<int> starts, stops, keyFrames;
    int ChannelCount() const override { return channels; }
    int StartCapture(int ch) override {
        starts.push_back(ch);
        return failStart ? -1 : 0;
    }
    int StopCapture(int ch) override {
        stops.push_back(ch);
        return 0;
    }
    int RequestKeyFrame(int ch) override {
        keyFrames.push_back(ch);
        return 0;
    }
};

// A record of `type` whose bytes say which one it is.
Bytes Record(uint8_t type, uint8_t n, size_t size = 40) {
    Bytes b(size, n);
    b[0] = type;
    return b;
}

class CaptureTest : public ::testing::Test {
protected:
    CaptureTest()
        : storage("rec_capture"), capture(board, *storage.manager, *storage.files, host) {}
    ~CaptureTest() override {
        for (int ch = 0; ch < 4; ++ch)
            capture.StopRecording(ch, ')'), capture.StopRecording(ch, '*');
    }

    void Feed(int ch, const Bytes& r) {
        capture.InputFrame(ch, r[0] == 0x80 ? 128 : r[0], r.data(), int(r.size()));
    }
    static Bytes Join(std::initializer_list<Bytes> parts) {
        Bytes out;
        for (const Bytes& p : parts)
            out.insert(out.end(), p.begin(), p.end());
        return out;
    }

    RecordingStorage storage;
    FakeEncoders board;
    FakeCaptureHost host;
    TCapture capture;
};

TEST_F(CaptureTest, StatesFollowFileAndViewerRequests) {
    struct Step {
        char op; // 's' start, 't' stop
        char request;
        int type;
    };
    struct Case {
        const char* what;
        std::vector<Step> steps;
        int state;
        bool running, fileOpen;
        size_t encoderStarts, encoderStops, keyFrames;
        std::vector<int> events;
    } cases[] = {
        {"file", {{'s', ')', 0}}, 41, true, true, 1, 0, 0, {15}},
        {"encoder only", {{'s', ')', 4}}, 41, true, false, 1, 0, 0, {}},
        {"viewers", {{'s', '*', 0}}, 42, true, false, 1, 0, 0, {}},
        {"file then viewer", {{'s', ')', 0}, {'s', '*', 0}}, 44, true, true, 1, 0, 1, {15}},
        {"viewer then file", {{'s', '*', 0}, {'s', ')', 0}}, 44, true, true, 1, 0, 1, {15}},
        {"viewer leaves file",
         {{'s', ')', 0}, {'s', '*', 0}, {'t', '*', 0}},
         41,
         true,
         true,
         1,
         0,
         1,
         {15}},
        {"file stops under viewers",
         {{'s', '*', 0}, {'s', ')', 0}, {'t', ')', 0}},
         42,
         true,
         false,
         1,
         0,
         1,
         {15}},
        {"file stops", {{'s', ')', 0}, {'t', ')', 0}}, -1, false, false, 1, 1, 0, {15, 16}},
        {"encoder only stops", {{'s', ')', 4}, {'t', ')', 0}}, -1, false, false, 1, 1, 0, {}},
        {"viewers stop", {{'s', '*', 0}, {'t', '*', 0}}, -1, false, false, 1, 1, 0, {}},
        {"file stop without file", {{'s', '*', 0}, {'t', ')', 0}}, 42, true, false, 1, 0, 0, {}},
        {"viewer stop while file", {{'s', ')', 0}, {'t', '*', 0}}, 41, true, true, 1, 0, 0, {15}},
        {"second viewer", {{'s', '*', 0}, {'s', '*', 0}}, 42, true, false, 1, 0, 1, {}},
        {"stop when idle", {{'t', ')', 0}, {'t', '*', 0}}, -1, false, false, 0, 0, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingStorage s("rec_states");
        FakeEncoders b;
        FakeCaptureHost h;
        TCapture cap(b, *s.manager, *s.files, h);
        for (const Step& st : c.steps) {
            s.Tick();
            EXPECT_EQ(st.op == 's' ? cap.StartChannel(1, st.request, st.type)
                                   : cap.StopChannel(1, st.request),
                      0);
        }
        const TCaptureSlot& slot = cap.Slots[1];
        EXPECT_EQ(slot.State, c.state);
        EXPECT_EQ(slot.CaptureRunning, c.running);
        EXPECT_EQ(slot.FileOpen, c.fileOpen);
        EXPECT_EQ(slot.FileHandle != -1, c.fileOpen);
        EXPECT_EQ(b.starts.size(), c.encoderStarts);
        EXPECT_EQ(b.stops.size(), c.encoderStops);
        EXPECT_EQ(b.keyFrames.size(), c.keyFrames);
        std::vector<int> events;
        for (auto [e, ch] : h.log)
            events.push_back(e);
        EXPECT_EQ(events, c.events);
        cap.StopRecording(1, ')');
        cap.StopRecording(1, '*');
    }
}

TEST_F(CaptureTest, RequestsThatDoNotFitTheChannelOrTheUserChangeNothing) {
    board.channels = 2; // 0, 1 board; 2.. network
    host.denied[1] = true;
    struct Case {
        int channel;
        char request;
    } cases[] = {{0, '+'}, {2, ')'}, {2, '*'}, {0, 'x'}, {1, ')'}, {-1, ')'}, {49, '+'}};
    for (const Case& c : cases) {
        EXPECT_EQ(capture.StartChannel(c.channel, c.request, 0), -1)
            << c.channel << " " << c.request;
    }
    EXPECT_TRUE(board.starts.empty());
    EXPECT_TRUE(host.netOpened.empty());

    // Without the right, a stop does nothing; a failing check lets the stop go on.
    host.denied[1] = false;
    ASSERT_EQ(capture.StartChannel(1, ')', 0), 0);
    host.denied[1] = true;
    EXPECT_EQ(capture.StopChannel(1, ')'), -1);
    EXPECT_TRUE(capture.Slots[1].FileOpen);
    host.throwOnCheck = true;
    EXPECT_EQ(capture.StopChannel(1, ')'), 0);
    EXPECT_FALSE(capture.Slots[1].FileOpen);
}

TEST_F(CaptureTest, NetworkChannelsRecordThroughTheirClient) {
    board.channels = 2;
    // Not previewing: the client connects and takes over the slot.
    ASSERT_EQ(capture.StartChannel(3, '+', 0), 0);
    EXPECT_EQ(host.netOpened, std::vector<int>{1});
    EXPECT_NE(capture.Slots[3].FileHandle, -1);
    EXPECT_FALSE(capture.Slots[3].FileOpen) << "the client writes the header and opens it";
    EXPECT_TRUE(board.starts.empty());

    // Previewing: the stream is already there.
    host.previewing = true;
    storage.Tick();
    ASSERT_EQ(capture.StartChannel(2, '+', 0), 0);
    EXPECT_EQ(capture.Slots[2].State, 43);
    EXPECT_TRUE(capture.Slots[2].CaptureRunning);

    // A switch that cannot make its file stops the recording.
    storage.ranges.Ranges[2] = {'E', 'E'};
    WriteFile(storage.drives.Base + "E", "not a drive");
    EXPECT_EQ(capture.StartNetworkRecording(2, 0), -1);
    EXPECT_EQ(host.netClosed, std::vector<int>{0});
    EXPECT_FALSE(capture.Slots[2].CaptureRunning);
    EXPECT_EQ(capture.Slots[2].FileHandle, -1) << "the previous file is closed";
    const auto lines = storage.faults.List.Take();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find(dvr::win::Utf8ToGbk("创建文件失败！文件名为：")), std::string::npos);

    EXPECT_EQ(capture.StopChannel(3, '+'), 0);
    EXPECT_TRUE(host.netClosed.size() == 1) << "slot 3 is not running until its client says so";
    TDiskManager::CloseRecordingFile("", capture.Slots[3].FileHandle.exchange(-1), 0);
}

TEST_F(CaptureTest, FirstFileHoldsTheFreshHeaderAndSwitchedFilesTheSavedOne) {
    const Bytes head = Record(0x80, 1, 19), key = Record(1, 2), p = Record(2, 3),
                audio = Record(8, 4);
    ASSERT_EQ(capture.StartChannel(0, ')', 0), 0);
    const std::string first = capture.Slots[0].FileName;
    for (const Bytes& r : {head, key, p, audio})
        Feed(0, r);
    EXPECT_TRUE(board.keyFrames.empty());

    storage.Tick();
    ASSERT_EQ(capture.StartRecording(0, 0, false), 0);
    const std::string second = capture.Slots[0].FileName;
    ASSERT_NE(first, second);
    EXPECT_EQ(board.keyFrames, std::vector<int>{0}) << "a new file asks for a key frame";
    EXPECT_EQ(board.starts.size(), 1u) << "the encoder keeps running";
    Feed(0, p);
    Feed(0, key);
    capture.StopChannel(0, ')');

    EXPECT_EQ(ReadWholeFile(first), Join({head, key, p, audio}));
    EXPECT_EQ(ReadWholeFile(second), Join({head, p, key}));
    // Both files are in the day's index.
    auto lists = storage.files->GetDayChannelLists("20261210");
    ASSERT_TRUE(lists);
    EXPECT_EQ((*lists)[0].size(), 2u);
    EXPECT_EQ(host.log, (std::vector<std::pair<int, int>>{{15, 0}, {16, 0}}))
        << "a switch writes no line";
}

TEST_F(CaptureTest, AlarmFileStartsWithTheBufferedSecondsBeforeTheAlarm) {
    const Bytes head = Record(0x80, 1, 19);
    capture.PreAlarm[2].PreAlarmArmed = true;
    ASSERT_EQ(capture.StartChannel(2, ')', 4), 0);
    EXPECT_FALSE(capture.Slots[2].FileOpen);
    Feed(2, head);
    // 300 pictures, an audio record after each: the buffer keeps the last 250 pictures and as
    // many records as fit in 600.
    std::vector<Bytes> fed;
    for (int i = 0; i < 300; ++i) {
        fed.push_back(Record(i % 25 ? 2 : 1, uint8_t(i)));
        fed.push_back(Record(8, uint8_t(i)));
    }
    for (const Bytes& r : fed)
        Feed(2, r);
    TChain& chain = *capture.PreAlarm[2].PreAlarmChain;
    EXPECT_LE(chain.VideoCount(), 250);
    EXPECT_LE(chain.Count(), 600);
    const int kept = chain.Count();

    ASSERT_EQ(capture.StartRecording(2, 1, true), 0);
    EXPECT_EQ(chain.Count(), 0);
    EXPECT_FALSE(capture.PreAlarm[2].PreAlarmArmed);
    const Bytes live = Record(2, 0xEE);
    Feed(2, live);
    Bytes expected = head;
    for (size_t i = fed.size() - kept; i < fed.size(); ++i)
        expected.insert(expected.end(), fed[i].begin(), fed[i].end());
    expected.insert(expected.end(), live.begin(), live.end());
    EXPECT_EQ(ReadWholeFile(capture.Slots[2].FileName), expected);
}

TEST_F(CaptureTest, AlarmFileOnAStoppedEncoderGetsTheBufferAfterItsFirstRecord) {
    // Armed while the encoder was stopped: the chain holds what an earlier run left.
    capture.PreAlarm[3].PreAlarmArmed = true;
    const Bytes old1 = Record(1, 7), old2 = Record(2, 8), head = Record(0x80, 1, 19);
    capture.PreAlarm[3].PreAlarmChain->Push(old1.data(), int(old1.size()), 1);
    capture.PreAlarm[3].PreAlarmChain->Push(old2.data(), int(old2.size()), 2);
    ASSERT_EQ(capture.StartChannel(3, ')', 1), 0);
    Feed(3, head);
    EXPECT_EQ(ReadWholeFile(capture.Slots[3].FileName), Join({head, old1, old2}));
    EXPECT_EQ(capture.PreAlarm[3].PreAlarmChain->Count(), 0);
}

TEST_F(CaptureTest, FailedWritesAreReportedOnceAMinuteAndTheFileStaysOpen) {
    ASSERT_EQ(capture.StartChannel(0, ')', 0), 0);
    const std::string name = capture.Slots[0].FileName;
    // Swap in a handle that cannot be written.
    dvr::win::File readOnly(::CreateFileA(name.c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(readOnly);
    const intptr_t real = capture.Slots[0].FileHandle.exchange(intptr_t(readOnly.get()));
    const Bytes p = Record(2, 1);
    for (int i = 0; i < 25; ++i)
        Feed(0, p);
    EXPECT_EQ(storage.faults.Posts.size(), 1u);
    EXPECT_EQ(storage.faults.Posts[0].w, WPARAM(-1));
    const auto lines = storage.faults.List.Take();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find(dvr::win::Utf8ToGbk("写盘失败，文件为：") + name), std::string::npos);
    EXPECT_TRUE(capture.Slots[0].FileOpen);
    // A minute later the fault is told again.
    storage.now += 61.0 / 86400;
    Feed(0, p);
    Feed(0, p);
    EXPECT_EQ(storage.faults.Posts.size(), 2u);
    capture.Slots[0].FileHandle = real;
    Feed(0, p);
    EXPECT_EQ(storage.faults.Posts.size(), 2u);
    EXPECT_EQ(ReadWholeFile(name), p);
}

TEST_F(CaptureTest, ASwitchWhoseFileCannotBeMadeKeepsTheRunningFileAndTriesAgain) {
    host.minutesPerFile = 1;
    ASSERT_EQ(capture.StartChannel(0, ')', 0), 0);
    const std::string first = capture.Slots[0].FileName;
    const Bytes h = Record(0x80, 0, 19), k = Record(1, 1), p = Record(2, 2);
    Feed(0, h);
    Feed(0, k);
    // A folder stands where the next file should be made.
    storage.Tick();
    const std::string blocked = storage.manager->MakeRecordingFileName(0, 0);
    ASSERT_NE(blocked, first);
    ASSERT_EQ(ForceDirectories(blocked + "\\"), 0);
    for (int tick = 0; tick < 3; ++tick) {
        capture.CutPass();
        EXPECT_EQ(capture.Slots[0].FileName, first);
        EXPECT_TRUE(capture.Slots[0].FileOpen);
        std::string current;
        EXPECT_TRUE(capture.CurrentFile(0, current));
        EXPECT_EQ(current, first) << "the disk cycle keeps the file it finds open";
    }
    Feed(0, p);
    EXPECT_EQ(ReadWholeFile(first), Join({h, k, p}));
    EXPECT_EQ(storage.faults.Posts.size(), 1u) << "one fault line a minute";
    EXPECT_EQ(host.shown[0], true);
    // Room again: the next pass switches.
    ASSERT_TRUE(DeleteFolder(blocked));
    capture.CutPass();
    EXPECT_EQ(capture.Slots[0].FileName, blocked);
    Feed(0, p);
    EXPECT_EQ(ReadWholeFile(blocked), Join({h, p}));
}

TEST_F(CaptureTest, WindowChangesAndFileClosesWaitUntilTheSlotLockIsFree) {
    // The window thread may be waiting for the slot lock: anything that waits for the window
    // thread must happen after the lock is let go.
    std::vector<bool> lockFree;
    host.onShow = [&](int ch) {
        bool free = false;
        std::thread other([&] {
            free = capture.Locks[size_t(ch)].try_lock();
            if (free) capture.Locks[size_t(ch)].unlock();
        });
        other.join();
        lockFree.push_back(free);
    };
    ASSERT_EQ(capture.StartChannel(0, ')', 0), 0);
    storage.Tick();
    ASSERT_EQ(capture.StartRecording(0, 0, false), 0);
    ASSERT_EQ(capture.StopChannel(0, ')'), 0);
    ASSERT_EQ(lockFree.size(), 3u);
    for (bool free : lockFree)
        EXPECT_TRUE(free);
}

TEST_F(CaptureTest, AFullDiskWakesTheDiskCycleAtOnce) {
    TThreadDiskCycle cycle(*storage.manager, 600000);
    while (cycle.Passes() < 1)
        ::Sleep(1);
    ASSERT_EQ(capture.StartChannel(0, ')', 0), 0);
    capture.Writer = [](intptr_t, const uint8_t*, int, bool* full) {
        *full = true;
        return false;
    };
    Feed(0, Record(2, 1));
    bool woke = false;
    for (int i = 0; i < 3000 && !woke; ++i) {
        woke = cycle.Passes() >= 2;
        if (!woke) ::Sleep(10);
    }
    EXPECT_TRUE(woke) << "the cycle ran again long before its next turn";
}

TEST_F(CaptureTest, PreAlarmBufferTakesRecordsWhileItIsArmedAndEmptiedFromOtherThreads) {
    ASSERT_EQ(capture.StartChannel(0, ')', kRecordEncoderOnly), 0);
    std::atomic<bool> done{false};
    std::thread feeder([&] {
        const Bytes a = Record(8, 1), v = Record(2, 2);
        for (int i = 0; i < 20000; ++i)
            Feed(0, i % 3 ? v : a);
        done = true;
    });
    while (!done) {
        capture.SetPreAlarmArmed(0, true);
        capture.EmptyPreAlarmChain(0);
        capture.SetPreAlarmArmed(0, false);
    }
    feeder.join();
    capture.SetPreAlarmArmed(0, true);
    for (int i = 0; i < 700; ++i)
        Feed(0, Record(2, 2));
    TChain& chain = *capture.PreAlarm[0].PreAlarmChain;
    EXPECT_EQ(chain.Count(), kPreAlarmVideoRecords);
    EXPECT_EQ(chain.VideoCount(), kPreAlarmVideoRecords);
    // Disarming an encoder that ran for the buffer alone stops it.
    capture.StopPreAlarm(0);
    EXPECT_EQ(chain.Count(), 0);
    EXPECT_FALSE(capture.Slots[0].CaptureRunning);
    EXPECT_EQ(board.stops.size(), 1u);
}

TEST_F(CaptureTest, FilesThatCannotBeMadeOrStartedLeaveNothingBehind) {
    // A file where the recordings folder should be.
    WriteFile(storage.drives.Root('D') + "DVRDat", "not a folder");
    EXPECT_EQ(capture.StartChannel(0, ')', 0), -1);
    EXPECT_EQ(capture.Slots[0].FileName, "");
    EXPECT_FALSE(capture.Slots[0].FileOpen);
    ASSERT_EQ(storage.faults.Posts.size(), 1u);
    EXPECT_NE(storage.faults.List.Take()[0].find(dvr::win::Utf8ToGbk("创建文件失败！文件为：")),
              std::string::npos);
    EXPECT_TRUE(board.starts.empty());
    ::DeleteFileA((storage.drives.Root('D') + "DVRDat").c_str());

    // The encoder will not start: the new file goes again.
    board.failStart = true;
    EXPECT_EQ(capture.StartChannel(0, ')', 0), -1);
    EXPECT_EQ(capture.Slots[0].State, -1);
    EXPECT_FALSE(capture.Slots[0].CaptureRunning);
    EXPECT_EQ(capture.Slots[0].FileHandle, -1);
    const auto left = ListFolder(storage.drives.Root('D') + "DVRDat\\20261210\\1\\CC");
    EXPECT_TRUE(left.empty());
}

TEST_F(CaptureTest, CutPassSwitchesAtTheSetMinuteOrAtOnceWithoutRoom) {
    host.minutesPerFile = 3;
    ASSERT_EQ(capture.StartChannel(0, ')', 0), 0);
    ASSERT_EQ(capture.StartChannel(1, '*', 0), 0); // no file: never switched
    const std::string first = capture.Slots[0].FileName;
    for (int tick = 1; tick <= 2; ++tick) {
        storage.Tick();
        capture.CutPass();
        EXPECT_EQ(capture.Slots[0].FileName, first) << "tick " << tick;
    }
    storage.Tick();
    capture.CutPass();
    const std::string second = capture.Slots[0].FileName;
    EXPECT_NE(second, first);
    EXPECT_EQ(capture.Slots[0].MinutesRecorded, 0);

    storage.freeBytes = 0;
    storage.Tick();
    capture.CutPass();
    EXPECT_NE(capture.Slots[0].FileName, second);
    EXPECT_TRUE(capture.Slots[0].FileOpen);
    EXPECT_EQ(board.starts.size(), 2u);
    EXPECT_TRUE(host.log.size() == 1) << "switches write no work-log line";
}

TEST_F(CaptureTest, CutThreadRunsOnePassPerTick) {
    host.minutesPerFile = 1;
    ASSERT_EQ(capture.StartChannel(0, ')', 0), 0);
    const std::string first = capture.Slots[0].FileName;
    storage.Tick();
    {
        TThreadCapturePackage cutter(capture);
        cutter.CutTimerTick();
        for (int i = 0; i < 500 && cutter.Passes() == 0; ++i)
            ::Sleep(10);
        EXPECT_EQ(cutter.Passes(), 1);
        EXPECT_NE(capture.Slots[0].FileName, first);

        // The timer asks for the next passes.
        capture.StartCutTimer(cutter, 20);
        EXPECT_TRUE(PumpMessagesUntil([&] { return cutter.Passes() >= 3; }, 5000));
        capture.CutTimer.reset();
    }
}

} // namespace
} // namespace vantrel
