#include "sdk/dorsk/board_boot.h"
#include "sdk/dorsk/preview_surface.h"
#include "sdk/dorsk/sim_fixture.h"

#include <algorithm>
#include <thread>

namespace dvr::dorsk {
namespace {

using testing::SimBoardTest;

constexpr uint32_t kBoardStart0 = 0x00200000;
constexpr uint32_t kBoardStart1 = 0x00200001;
constexpr uint32_t kBoardStop = 0x00120000;
constexpr uint32_t kAudioOff0 = 0x00130000;

using LibraryTest = SimBoardTest;

TEST_F(LibraryTest, StartCountsTheChannelsOfEveryProcessor) {
    EXPECT_EQ(RU4Dov_GetTotalDSPs(), 5); // before the library starts
    EXPECT_EQ(RU4Dov_InitDSPs(), 5);
    EXPECT_EQ(RU4Dov_GetTotalDSPs(), 5);
    EXPECT_EQ(RU4Dov_GetTotalChannels(), 0);
    EXPECT_EQ(g_sdk.lastError.load(), 0u);

    // Channel defaults, processor assignment and handles as pointer-sized addresses.
    const SdkChannel& ch4 = g_sdk.channels[4];
    EXPECT_EQ(ch4.board, &g_sdk.boards[1]);
    EXPECT_EQ(ch4.sub, 0);
    EXPECT_EQ(g_sdk.channels[3].sub, 3);
    EXPECT_EQ(ch4.videoStandard, 2);
    EXPECT_EQ(ch4.maxBitRate, 500000);
    EXPECT_EQ(ch4.keyFrameInterval, 100);
    EXPECT_EQ(ch4.bQuantiser, 6);
    EXPECT_EQ(g_sdk.boards[1].bootable, 1);

    intptr_t handle = RU4Dov_ChannelOpen(4);
    EXPECT_EQ(handle, reinterpret_cast<intptr_t>(&g_sdk.channels[4]));
    static_assert(sizeof(intptr_t) == sizeof(void*));

    // A second start changes nothing while the library runs.
    EXPECT_EQ(RU4Dov_InitDSPs(), 5);
    EXPECT_EQ(RU4Dov_GetTotalChannels(), 1);
    int first = 7, second = 7;
    EXPECT_EQ(RU4Dov_GetLastErrorNum(handle, &first, &second), 0);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 0);
}

TEST_F(LibraryTest, StartSurvivesTheDisplayItFinds) {
    ASSERT_EQ(RU4Dov_InitDSPs(), 5);
    // On a 16-bit screen DirectDraw offers an off-screen surface in the screen's format;
    // elsewhere the library runs without preview.
    HDC screen = ::GetDC(nullptr);
    int bits = screen ? ::GetDeviceCaps(screen, BITSPIXEL) : 0;
    if (screen) ::ReleaseDC(nullptr, screen);
    PreviewSurfaceKind kind = CurrentPreviewSurfaceKind();
    if (bits == 16)
        EXPECT_EQ(kind, PreviewSurfaceKind::OffscreenRgb16);
    else
        EXPECT_EQ(kind, PreviewSurfaceKind::None);
    EXPECT_NE(RU4Dov_ChannelOpen(0), kNoChannel);
    EXPECT_EQ(RU4Dov_DeInitDSPs(), 5);
    EXPECT_EQ(CurrentPreviewSurfaceKind(), PreviewSurfaceKind::None);
}

TEST_F(LibraryTest, ChannelsOfAProcessorShareOneBoot) {
    ASSERT_EQ(RU4Dov_InitDSPs(), 5);
    int commands = SimCtl_GetCommandCount(0);

    intptr_t ch0 = RU4Dov_ChannelOpen(0);
    ASSERT_NE(ch0, kNoChannel);
    EXPECT_EQ(CommandWords0(0, commands), std::vector<uint32_t>{kBoardStart0});
    EXPECT_EQ(RU4Dov_ChannelOpen(0), ch0); // reopen: same handle, counted once
    EXPECT_EQ(RU4Dov_GetTotalChannels(), 1);

    commands = SimCtl_GetCommandCount(0);
    int calls = SimCtl_GetCallCount();
    intptr_t ch1 = RU4Dov_ChannelOpen(1);
    ASSERT_NE(ch1, kNoChannel);
    EXPECT_NE(ch1, ch0);
    EXPECT_EQ(RU4Dov_GetTotalChannels(), 2);
    EXPECT_TRUE(CommandWords0(0, commands).empty());
    EXPECT_TRUE(BoardCalls(0, calls).empty());

    // The processor runs until the last of its channels closes; each close turns the
    // channel's audio monitoring off.
    EXPECT_EQ(RU4Dov_ChannelClose(ch0), 0);
    EXPECT_EQ(g_sdk.boards[0].booted, 1);
    EXPECT_EQ(CommandWords0(0, commands), std::vector<uint32_t>{kAudioOff0});
    EXPECT_EQ(RU4Dov_ChannelClose(ch1), 0);
    EXPECT_EQ(g_sdk.boards[0].booted, 0);
    EXPECT_EQ(CommandWords0(0, commands),
              (std::vector<uint32_t>{kAudioOff0, kAudioOff0 | 0x100, kBoardStop}));
    EXPECT_EQ(BoardCalls(0, calls),
              (std::vector<int>{SIMCTL_OP_STOP, SIMCTL_OP_MESSAGE_DESTROY, SIMCTL_OP_EVENT_DESTROY,
                                SIMCTL_OP_SHARED_MEMORY_DESTROY, SIMCTL_OP_CLOSE}));
    EXPECT_EQ(RU4Dov_GetTotalChannels(), 0);

    // Booted again on the next open; processor 1 gets its own index.
    commands = SimCtl_GetCommandCount(0);
    EXPECT_EQ(RU4Dov_ChannelOpen(2), reinterpret_cast<intptr_t>(&g_sdk.channels[2]));
    EXPECT_EQ(CommandWords0(0, commands), std::vector<uint32_t>{kBoardStart0});
    int commands1 = SimCtl_GetCommandCount(1);
    EXPECT_NE(RU4Dov_ChannelOpen(4), kNoChannel);
    EXPECT_EQ(CommandWords0(1, commands1), std::vector<uint32_t>{kBoardStart1});
}

TEST_F(LibraryTest, ConcurrentCallersBootAndStopAProcessorOnce) {
    ASSERT_EQ(RU4Dov_InitDSPs(), 5);
    int commands = SimCtl_GetCommandCount(0);
    intptr_t handles[4] = {};
    {
        std::vector<std::thread> openers;
        for (int n = 0; n < 4; ++n)
            openers.emplace_back([&, n] { handles[n] = RU4Dov_ChannelOpen(n); });
        for (std::thread& t : openers)
            t.join();
    }
    for (int n = 0; n < 4; ++n)
        EXPECT_EQ(handles[n], reinterpret_cast<intptr_t>(&g_sdk.channels[n]));
    EXPECT_EQ(RU4Dov_GetTotalChannels(), 4);
    EXPECT_EQ(CommandWords0(0, commands), std::vector<uint32_t>{kBoardStart0});

    int results[4] = {-2, -2, -2, -2};
    {
        std::vector<std::thread> closers;
        for (int n = 0; n < 4; ++n)
            closers.emplace_back([&, n] { results[n] = RU4Dov_ChannelClose(handles[n]); });
        for (std::thread& t : closers)
            t.join();
    }
    for (int r : results)
        EXPECT_EQ(r, 0);
    EXPECT_EQ(RU4Dov_GetTotalChannels(), 0);
    EXPECT_EQ(g_sdk.boards[0].booted, 0);
    std::vector<uint32_t> words = CommandWords0(0, commands);
    ASSERT_EQ(words.size(), 6u);
    EXPECT_EQ(words.front(), kBoardStart0);
    EXPECT_EQ(words.back(), kBoardStop);
    std::sort(words.begin() + 1, words.end() - 1);
    EXPECT_EQ(words, (std::vector<uint32_t>{kBoardStart0, kAudioOff0, kAudioOff0 | 0x100,
                                            kAudioOff0 | 0x200, kAudioOff0 | 0x300, kBoardStop}));
}

TEST_F(LibraryTest, ChannelNumbersWithoutARecordAreRefused) {
    ASSERT_EQ(RU4Dov_InitDSPs(), 5);
    StoreError(0x12345678);
    for (int n : {-1, 5, 63, 64, 1000})
        EXPECT_EQ(RU4Dov_ChannelOpen(n), kNoChannel) << n;
    EXPECT_EQ(g_sdk.lastError.load(), 0x12345678u);
    EXPECT_EQ(RU4Dov_GetTotalChannels(), 0);
}

TEST_F(LibraryTest, ProcessorsOfOtherTypesCountButOpenNothing) {
    ASSERT_EQ(SimCtl_Configure("processor 4\nprocessor 2\nprocessor 1\n"), 0);
    EXPECT_EQ(RU4Dov_GetTotalDSPs(), 7);
    ASSERT_EQ(RU4Dov_InitDSPs(), 7);
    int calls = SimCtl_GetCallCount();
    EXPECT_EQ(RU4Dov_ChannelOpen(5), kNoChannel);
    EXPECT_EQ(RU4Dov_ChannelOpen(6), kNoChannel);
    EXPECT_TRUE(BoardCalls(1, calls).empty());
    // The one-channel processor after it still takes the next number.
    EXPECT_EQ(g_sdk.channels[4].board, &g_sdk.boards[2]);
    EXPECT_NE(RU4Dov_ChannelOpen(4), kNoChannel);
    EXPECT_EQ(RU4Dov_GetTotalChannels(), 1);
}

TEST_F(LibraryTest, NoChannelsMeansNoStart) {
    ASSERT_EQ(SimCtl_Configure("processor 0\n"), 0);
    EXPECT_EQ(RU4Dov_InitDSPs(), 0);
    EXPECT_EQ(g_sdk.lastError.load(), 0u);
    EXPECT_EQ(RU4Dov_ChannelOpen(0), kNoChannel);
    EXPECT_EQ(RU4Dov_GetTotalChannels(), 0);
    EXPECT_EQ(RU4Dov_DeInitDSPs(), 0);
}

TEST_F(LibraryTest, HandlesNotOpenAreRefused) {
    ASSERT_EQ(RU4Dov_InitDSPs(), 5);
    intptr_t closed = RU4Dov_ChannelOpen(1);
    ASSERT_NE(closed, kNoChannel);
    intptr_t open = RU4Dov_ChannelOpen(0);
    ASSERT_NE(open, kNoChannel);
    ASSERT_EQ(RU4Dov_ChannelClose(closed), 0);

    const int bad = AsResult(kSdkBadHandle);
    const intptr_t handles[] = {
        0,
        closed,
        -1,
        reinterpret_cast<intptr_t>(&g_sdk.channels[4]), // a record, but not open
        open + 1,
        reinterpret_cast<intptr_t>(&open),
    };
    for (intptr_t h : handles) {
        int first = 7, second = 7;
        EXPECT_EQ(RU4Dov_ChannelClose(h), bad) << h;
        EXPECT_EQ(RU4Dov_GetLastErrorNum(h, &first, &second), bad) << h;
        EXPECT_EQ(first, 7);
        EXPECT_EQ(second, 7);
    }
    EXPECT_EQ(RU4Dov_GetTotalChannels(), 1);
    EXPECT_EQ(g_sdk.boards[0].booted, 1);
}

TEST_F(LibraryTest, StopClosesOpenChannelsAndAnswersZeroTheSecondTime) {
    ASSERT_EQ(RU4Dov_InitDSPs(), 5);
    intptr_t ch0 = RU4Dov_ChannelOpen(0);
    ASSERT_NE(ch0, kNoChannel);
    ASSERT_NE(RU4Dov_ChannelOpen(4), kNoChannel);
    int calls = SimCtl_GetCallCount();
    EXPECT_EQ(RU4Dov_DeInitDSPs(), 5);
    EXPECT_EQ(RU4Dov_DeInitDSPs(), 0);
    for (int p : {0, 1}) {
        std::vector<int> ops = BoardCalls(p, calls);
        ASSERT_FALSE(ops.empty());
        EXPECT_EQ(ops.back(), SIMCTL_OP_CLOSE) << p;
    }
    EXPECT_EQ(RU4Dov_GetTotalChannels(), 0);
    EXPECT_EQ(RU4Dov_ChannelClose(ch0), AsResult(kSdkBadHandle));
    EXPECT_EQ(RU4Dov_ChannelOpen(0), kNoChannel);

    // The tables are built afresh by the next start.
    ASSERT_EQ(RU4Dov_InitDSPs(), 5);
    EXPECT_NE(RU4Dov_ChannelOpen(0), kNoChannel);
}

TEST_F(LibraryTest, MissingFirmwareMarksTheProcessorUntilRestart) {
    ASSERT_TRUE(::DeleteFileW(L"MainD1.out"));
    ASSERT_EQ(RU4Dov_InitDSPs(), 5);
    EXPECT_EQ(RU4Dov_ChannelOpen(4), kNoChannel);
    EXPECT_EQ(g_sdk.lastError.load(), kSdkNoFirmware);

    int calls = SimCtl_GetCallCount();
    EXPECT_EQ(RU4Dov_ChannelOpen(4), kNoChannel);
    EXPECT_EQ(g_sdk.lastError.load(), kSdkProcessorOpen);
    EXPECT_TRUE(BoardCalls(1, calls).empty()); // refused before the driver is asked

    // The four-channel processor boots from its own file.
    EXPECT_NE(RU4Dov_ChannelOpen(0), kNoChannel);

    // The file is looked for again at the next start.
    WriteFirmware(L"MainD1.out");
    EXPECT_EQ(RU4Dov_ChannelOpen(4), kNoChannel);
    ASSERT_EQ(RU4Dov_DeInitDSPs(), 5);
    ASSERT_EQ(RU4Dov_InitDSPs(), 5);
    EXPECT_NE(RU4Dov_ChannelOpen(4), kNoChannel);
}

TEST_F(LibraryTest, ARunningProcessorIsHaltedBeforeItsFirmwareLoads) {
    ASSERT_EQ(SimCtl_Configure("processor 4\nprocessor 1 status 2\n"), 0);
    ASSERT_EQ(RU4Dov_InitDSPs(), 5);
    int calls = SimCtl_GetCallCount();
    ASSERT_NE(RU4Dov_ChannelOpen(4), kNoChannel);
    EXPECT_EQ(BoardCalls(1, calls),
              (std::vector<int>{SIMCTL_OP_OPEN, SIMCTL_OP_GET_STATUS, SIMCTL_OP_STOP,
                                SIMCTL_OP_GET_INFO, SIMCTL_OP_LOAD, SIMCTL_OP_EVENT_CREATE,
                                SIMCTL_OP_START, SIMCTL_OP_MESSAGE_CREATE, SIMCTL_OP_EVENT_SIGNAL,
                                SIMCTL_OP_SHARED_MEMORY_CREATE, SIMCTL_OP_EVENT_SIGNAL}));
}

// A boot that fails at one step releases exactly what it created, in this order: the
// firmware is halted first, then the channel, the event, the block and the processor.
struct BootFailure {
    const char* name;
    int failOp;     // driver operation made to fail, or 0
    int skipSignal; // boot signal the board never sends, or 0
    uint32_t error;
    std::vector<int> calls;
};

class BootFailureTest : public SimBoardTest, public ::testing::WithParamInterface<BootFailure> {};

TEST_P(BootFailureTest, UnwindsAndLeavesTheOtherProcessorWorking) {
    const BootFailure& c = GetParam();
    ASSERT_EQ(RU4Dov_InitDSPs(), 5);
    if (c.failOp) {
        ASSERT_EQ(SimCtl_FailOperation(1, c.failOp, 1), 0);
    }
    if (c.skipSignal) {
        ASSERT_EQ(SimCtl_SetFault(1, SIMCTL_FAULT_SKIP_SIGNAL, c.skipSignal), 0);
    }

    int calls = SimCtl_GetCallCount();
    EXPECT_EQ(RU4Dov_ChannelOpen(4), kNoChannel);
    EXPECT_EQ(g_sdk.lastError.load(), c.error);
    EXPECT_EQ(BoardCalls(1, calls), c.calls);
    const SdkBoard& board = g_sdk.boards[1];
    EXPECT_EQ(board.dsp, nullptr);
    EXPECT_EQ(board.booted, 0);
    EXPECT_EQ(board.bootable, 0);
    EXPECT_FALSE(board.replyEvent);
    EXPECT_FALSE(board.messageEvent);
    EXPECT_FALSE(board.messageThread);
    EXPECT_EQ(board.sharedMemory, nullptr);
    EXPECT_EQ(RU4Dov_GetTotalChannels(), 0);

    calls = SimCtl_GetCallCount();
    EXPECT_EQ(RU4Dov_ChannelOpen(4), kNoChannel);
    EXPECT_EQ(g_sdk.lastError.load(), kSdkProcessorOpen);
    EXPECT_TRUE(BoardCalls(1, calls).empty());

    intptr_t ch0 = RU4Dov_ChannelOpen(0);
    EXPECT_NE(ch0, kNoChannel);
    EXPECT_EQ(RU4Dov_ChannelClose(ch0), 0);
}

constexpr int kOpen = SIMCTL_OP_OPEN, kStatus = SIMCTL_OP_GET_STATUS, kInfo = SIMCTL_OP_GET_INFO,
              kLoad = SIMCTL_OP_LOAD, kEvent = SIMCTL_OP_EVENT_CREATE, kStart = SIMCTL_OP_START,
              kMessage = SIMCTL_OP_MESSAGE_CREATE, kSignal = SIMCTL_OP_EVENT_SIGNAL,
              kMemory = SIMCTL_OP_SHARED_MEMORY_CREATE, kStop = SIMCTL_OP_STOP,
              kClose = SIMCTL_OP_CLOSE, kEventGone = SIMCTL_OP_EVENT_DESTROY,
              kMessageGone = SIMCTL_OP_MESSAGE_DESTROY;

INSTANTIATE_TEST_SUITE_P(
    EachStep, BootFailureTest,
    ::testing::Values(
        BootFailure{"Open", kOpen, 0, kSdkProcessorOpen, {kOpen}},
        BootFailure{"Status", kStatus, 0, kSdkDriverFailed, {kOpen, kStatus, kClose}},
        BootFailure{"Info", kInfo, 0, kSdkDriverFailed, {kOpen, kStatus, kInfo, kClose}},
        BootFailure{"Load", kLoad, 0, kSdkDriverFailed, {kOpen, kStatus, kInfo, kLoad, kClose}},
        BootFailure{
            "Event", kEvent, 0, kSdkDriverFailed, {kOpen, kStatus, kInfo, kLoad, kEvent, kClose}},
        BootFailure{"Start",
                    kStart,
                    0,
                    kSdkDriverFailed,
                    {kOpen, kStatus, kInfo, kLoad, kEvent, kStart, kEventGone, kClose}},
        BootFailure{"FirstSignal",
                    0,
                    1,
                    kSdkBoardTimeout,
                    {kOpen, kStatus, kInfo, kLoad, kEvent, kStart, kStop, kEventGone, kClose}},
        BootFailure{
            "Message",
            kMessage,
            0,
            kSdkDriverFailed,
            {kOpen, kStatus, kInfo, kLoad, kEvent, kStart, kMessage, kStop, kEventGone, kClose}},
        BootFailure{"SecondSignal",
                    0,
                    2,
                    kSdkBoardTimeout,
                    {kOpen, kStatus, kInfo, kLoad, kEvent, kStart, kMessage, kSignal, kStop,
                     kMessageGone, kEventGone, kClose}},
        BootFailure{"Memory",
                    kMemory,
                    0,
                    kSdkDriverFailed,
                    {kOpen, kStatus, kInfo, kLoad, kEvent, kStart, kMessage, kSignal, kMemory,
                     kStop, kMessageGone, kEventGone, kClose}}),
    [](const ::testing::TestParamInfo<BootFailure>& info) { return info.param.name; });

} // namespace
} // namespace dvr::dorsk
