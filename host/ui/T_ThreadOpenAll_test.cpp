#include "host/ui/T_ThreadOpenAll.h"

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

namespace vantrel {
namespace {

// Steps are recorded in order; "window disabled" holds while a batch runs.
struct FakeBatchHost : TBatchHost {
    std::mutex lock;
    std::vector<std::string> calls;
    int channels = 16, board = 16;
    bool enabled = true;
    bool previewing[kBatchChannels] = {};
    bool fileOpen[kBatchChannels] = {};
    bool cycle = false;
    int stepsWhileEnabled = 0;
    std::vector<std::pair<WPARAM, LPARAM>> rebuilds;
    TBatchBusy* busy = nullptr;
    bool busyAtRebuild = true;
    HANDLE gate = nullptr; // when set, the first step waits for it

    void Synchronize(const std::function<void()>& step) override {
        if (gate) ::WaitForSingleObject(gate, 5000);
        std::lock_guard g(lock);
        step();
    }
    void Pause(DWORD) override {}
    int ChannelCount() override { return channels; }
    int BoardChannelCount() override { return board; }
    void SetMainEnabled(bool on) override {
        enabled = on;
        calls.push_back(on ? "enable" : "disable");
    }
    void Note(const std::string& s) {
        if (enabled) ++stepsWhileEnabled;
        calls.push_back(s);
    }
    bool PanePreviewing(int ch) override { return previewing[ch]; }
    bool PanePlaying(int ch) override { return previewing[ch]; }
    void OpenPreview(int ch) override {
        Note("open" + std::to_string(ch));
        previewing[ch] = true;
    }
    void ClosePreview(int ch, bool) override {
        Note("close" + std::to_string(ch));
        previewing[ch] = false;
    }
    bool CaptureRunning(int ch) override { return fileOpen[ch]; }
    bool FileOpen(int ch) override { return fileOpen[ch]; }
    void StartChannel(int ch, char r, int) override {
        Note(std::string("rec") + r + std::to_string(ch));
        fileOpen[ch] = true;
    }
    void StopChannel(int ch, char r) override {
        Note(std::string("stop") + r + std::to_string(ch));
        fileOpen[ch] = false;
    }
    bool Armed(int) override { return false; }
    bool Alarming(int) override { return false; }
    void StartDetection(int ch, int) override { Note("detect" + std::to_string(ch)); }
    void StopDetection(int ch) override { Note("undetect" + std::to_string(ch)); }
    bool CycleMode() override { return cycle; }
    void EnableCycleTimer() override { calls.push_back("cycle-timer"); }
    void PostRebuild(WPARAM w, LPARAM l) override {
        busyAtRebuild = busy && busy->Any();
        rebuilds.emplace_back(w, l);
    }
};

bool WaitIdle(const TBatchBusy& busy, FakeBatchHost& host, size_t minCalls) {
    for (int i = 0; i < 500; ++i) {
        {
            std::lock_guard g(host.lock);
            if (!busy.Any() && host.calls.size() >= minCalls && host.enabled) return true;
        }
        ::Sleep(10);
    }
    return false;
}

TEST(BatchThreads, OpenAllPreviewsEveryChannelInOrderWithTheWindowDisabled) {
    FakeBatchHost host;
    host.previewing[3] = true; // already open: skipped
    TBatchBusy busy;
    TThreadOpenAll open(host, busy);
    TThreadCloseAll close(host, busy);
    open.Request(-1, true, false, false);
    ASSERT_TRUE(WaitIdle(busy, host, 17));
    std::lock_guard g(host.lock);
    ASSERT_EQ(host.calls.front(), "disable");
    EXPECT_EQ(host.calls.back(), "enable");
    std::vector<std::string> opened(host.calls.begin() + 1, host.calls.end() - 1);
    std::vector<std::string> expected;
    for (int ch = 0; ch < 16; ++ch)
        if (ch != 3) expected.push_back("open" + std::to_string(ch));
    EXPECT_EQ(opened, expected);
    EXPECT_EQ(host.stepsWhileEnabled, 0);
}

TEST(BatchThreads, RecordingUsesTheBoardOrNetworkRequestAndSkipsOpenFiles) {
    FakeBatchHost host;
    host.channels = 4;
    host.board = 2;
    host.fileOpen[1] = true;
    TBatchBusy busy;
    TThreadOpenAll open(host, busy);
    TThreadCloseAll close(host, busy);
    open.Request(-1, false, true, false);
    ASSERT_TRUE(WaitIdle(busy, host, 5));
    std::lock_guard g(host.lock);
    EXPECT_EQ(host.calls,
              (std::vector<std::string>{"disable", "rec)0", "rec+2", "rec+3", "enable"}));
}

TEST(BatchThreads, ARequestWhileEitherWorkerIsBusyIsDropped) {
    FakeBatchHost host;
    host.gate = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    TBatchBusy busy;
    TThreadOpenAll open(host, busy);
    TThreadCloseAll close(host, busy);
    open.Request(-1, true, false, false);
    for (int i = 0; i < 200 && !busy.Open; ++i)
        ::Sleep(5);
    ASSERT_TRUE(busy.Open);
    close.CloseChannels(-1, true, false, false, false, false, -1);
    open.Request(0, false, true, false);
    ::SetEvent(host.gate);
    ASSERT_TRUE(WaitIdle(busy, host, 18));
    ::Sleep(100);
    std::lock_guard g(host.lock);
    for (const std::string& c : host.calls) {
        EXPECT_EQ(c.rfind("close", 0), std::string::npos) << c;
        EXPECT_EQ(c.rfind("rec", 0), std::string::npos) << c;
    }
    ::CloseHandle(host.gate);
}

TEST(BatchThreads, SwitchingToAGroupClosesEverythingThenAsksForTheRebuildAfterBusyCleared) {
    struct Case {
        bool cycleMode, cycling;
        int32_t group;
        std::vector<std::pair<WPARAM, LPARAM>> rebuilds;
    } cases[] = {
        {false, false, 2, {{1, 3}}},
        {false, false, -1, {{0, 0}}},
        {true, true, -1, {{1, 0}}},
        {true, false, -1, {}}, // the cycling view ended meanwhile
    };
    for (const Case& c : cases) {
        FakeBatchHost host;
        host.channels = 3;
        host.board = 3;
        host.cycle = c.cycling;
        for (int ch = 0; ch < 3; ++ch)
            host.previewing[ch] = host.fileOpen[ch] = true;
        TBatchBusy busy;
        host.busy = &busy;
        TThreadOpenAll open(host, busy);
        TThreadCloseAll close(host, busy);
        close.CloseChannels(-1, true, true, true, true, c.cycleMode, c.group);
        ASSERT_TRUE(WaitIdle(busy, host, 8));
        std::lock_guard g(host.lock);
        EXPECT_EQ(host.rebuilds, c.rebuilds) << c.group;
        if (!c.rebuilds.empty()) {
            EXPECT_FALSE(host.busyAtRebuild);
        }
        EXPECT_EQ(host.calls, (std::vector<std::string>{"disable", "close0", "close1", "close2",
                                                        "stop)0", "stop)1", "stop)2", "enable"}));
    }
}

TEST(BatchThreads, AStopDuringABatchEndsItAndLeavesTheWindowDisabled) {
    FakeBatchHost host;
    host.gate = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    TBatchBusy busy;
    {
        TThreadOpenAll open(host, busy);
        open.Request(-1, true, false, false);
        for (int i = 0; i < 200 && !busy.Open; ++i)
            ::Sleep(5);
        open.Stop();
        ::SetEvent(host.gate);
        for (int i = 0; i < 200 && !open.Stopped(); ++i)
            ::Sleep(5);
        EXPECT_TRUE(open.Stopped());
    }
    std::lock_guard g(host.lock);
    EXPECT_FALSE(host.enabled);
    EXPECT_LE(host.calls.size(), 2u);
    ::CloseHandle(host.gate);
}

} // namespace
} // namespace vantrel
