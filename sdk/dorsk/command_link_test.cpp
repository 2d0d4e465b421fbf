#include "sdk/dorsk/board_link.h"
#include "sdk/dorsk/sim_fixture.h"

#include <algorithm>

namespace dvr::dorsk {
namespace {

using CommandLinkTest = testing::SimBoardTest;

// Local time as seconds since 1970, reckoned from the broken-down local clock.
int64_t LocalClockSeconds() {
    SYSTEMTIME local;
    ::GetLocalTime(&local);
    FILETIME as_if_utc;
    ::SystemTimeToFileTime(&local, &as_if_utc);
    uint64_t ticks = uint64_t{as_if_utc.dwHighDateTime} << 32 | as_if_utc.dwLowDateTime;
    return static_cast<int64_t>(ticks / 10'000'000 - 11'644'473'600);
}

// Waits for the answer to one time request: the board also asks on its own, so the
// answer is found by the request words it echoes.
bool WaitTimeAnswer(int processor, int from, const uint32_t request[BREVIX_MESSAGE_WORDS],
                    uint32_t answer[BREVIX_MESSAGE_WORDS]) {
    for (;;) {
        int at = SimCtl_WaitCommand(processor, kCmdTime, from, 2000, answer);
        if (at < 0) return false;
        if (std::equal(answer + 2, answer + BREVIX_MESSAGE_WORDS, request + 2)) return true;
        from = at + 1;
    }
}

TEST_F(CommandLinkTest, BusyAnswersAreRetriedTwentyTimes) {
    ASSERT_EQ(RU4Dov_InitDSPs(), 5);
    ASSERT_NE(RU4Dov_ChannelOpen(0), kNoChannel);
    SdkBoard& board = g_sdk.boards[0];
    // The board asks for the time once it starts; its answer must not meet the faults below.
    ASSERT_GE(SimCtl_WaitCommand(0, kCmdTime, 0, 2000, nullptr), 0);

    struct Case {
        int busy;
        int failures;
        bool sent;
    } cases[] = {
        {0, 0, true},   {1, 0, true},   {19, 0, true}, // the twentieth attempt goes through
        {20, 0, false}, {25, 0, false}, {0, 1, false}, // a driver error is not a delivery
    };
    for (const Case& c : cases) {
        ASSERT_EQ(SimCtl_SetFault(0, SIMCTL_FAULT_BUSY, c.busy), 0);
        ASSERT_EQ(SimCtl_FailOperation(0, SIMCTL_OP_MESSAGE_SEND, c.failures), 0);
        int before = SimCtl_GetCommandCount(0);
        BoardCommand key_frame = MakeCommand(Word0Sub(kCmdKeyFrameNow, 2));
        bool sent;
        {
            SectionLock lock(BoardLockOf(board));
            sent = SendBoardCommand(board.messageChannel, key_frame);
        }
        EXPECT_EQ(sent, c.sent) << c.busy << " busy, " << c.failures << " failures";
        EXPECT_EQ(SendResult(sent), c.sent ? 0 : -1);
        EXPECT_EQ(CommandWords0(0, before),
                  c.sent ? std::vector<uint32_t>{0x00170002} : std::vector<uint32_t>{})
            << c.busy << " busy";
        SimCtl_SetFault(0, SIMCTL_FAULT_BUSY, 0);
        SimCtl_FailOperation(0, SIMCTL_OP_MESSAGE_SEND, 0);
    }
}

TEST_F(CommandLinkTest, TimeRequestsAreAnsweredWithLocalTimeAndTheRequestWords) {
    ASSERT_EQ(RU4Dov_InitDSPs(), 5);
    ASSERT_NE(RU4Dov_ChannelOpen(4), kNoChannel);
    const uint32_t requests[][BREVIX_MESSAGE_WORDS] = {
        {28u << 16, 0, 0x11111111, 0x22222222, 0x33333333, 0x44444444},
        {28u << 16 | 0x0101, 0xFFFFFFFF, 0x7FFFFFFF, 0xFFFFFFFF, 1, 0x80000000},
    };
    for (const auto& request : requests) {
        int from = SimCtl_GetCommandCount(1);
        int64_t before = LocalClockSeconds();
        ASSERT_EQ(SimCtl_SendBoardMessage(1, request), 0);
        uint32_t answer[BREVIX_MESSAGE_WORDS] = {};
        ASSERT_TRUE(WaitTimeAnswer(1, from, request, answer));
        int64_t after = LocalClockSeconds();
        EXPECT_EQ(answer[0], 0x001C0000u);
        EXPECT_GE(static_cast<int64_t>(answer[1]), before - 1);
        EXPECT_LE(static_cast<int64_t>(answer[1]), after + 1);
        for (int w = 2; w < BREVIX_MESSAGE_WORDS; ++w)
            EXPECT_EQ(answer[w], request[w]) << w;
    }
}

TEST_F(CommandLinkTest, AcknowledgementsSignalTheReplyEventAndOthersDoNot) {
    ASSERT_EQ(RU4Dov_InitDSPs(), 5);
    ASSERT_NE(RU4Dov_ChannelOpen(4), kNoChannel);
    HANDLE reply = g_sdk.boards[1].replyEvent.get();
    struct Case {
        uint32_t word0;
        bool signals;
    } cases[] = {
        {11u << 16, true},  {18u << 16, true},         {35u << 16 | 1, true}, {36u << 16, true},
        {37u << 16, true},  {10u << 16, false},        {12u << 16, false},    {34u << 16, false},
        {38u << 16, false}, {0x1Bu << 16 | 28, false},
    };
    for (const Case& c : cases) {
        ::WaitForSingleObject(reply, 0);
        const uint32_t message[BREVIX_MESSAGE_WORDS] = {c.word0, 0, 0, 0, 0, 0};
        ASSERT_EQ(SimCtl_SendBoardMessage(1, message), 0);
        // A time request behind it shows when the thread has dealt with the message.
        int from = SimCtl_GetCommandCount(1);
        const uint32_t time_request[BREVIX_MESSAGE_WORDS] = {28u << 16, 0,          0x5A5A5A5A,
                                                             c.word0,   0xA5A5A5A5, 0};
        ASSERT_EQ(SimCtl_SendBoardMessage(1, time_request), 0);
        uint32_t answer[BREVIX_MESSAGE_WORDS] = {};
        ASSERT_TRUE(WaitTimeAnswer(1, from, time_request, answer));
        EXPECT_EQ(::WaitForSingleObject(reply, 0) == WAIT_OBJECT_0, c.signals)
            << std::hex << c.word0;
    }
}

TEST(DorskDll, ExportsEveryEntryByName) {
    win::Module dll(::LoadLibraryW(L"Dorsk.dll"));
    ASSERT_TRUE(dll);
    for (const char* name : {"RU4Dov_InitDSPs", "RU4Dov_DeInitDSPs", "RU4Dov_GetTotalDSPs",
                             "RU4Dov_GetTotalChannels", "RU4Dov_ChannelOpen", "RU4Dov_ChannelClose",
                             "RU4Dov_GetLastErrorNum", "RU4Dov_ResetDSP"}) {
        EXPECT_NE(::GetProcAddress(dll.get(), name), nullptr) << name;
    }
    using NoArgs = int(__stdcall*)();
    auto reset = reinterpret_cast<NoArgs>(
        reinterpret_cast<void*>(::GetProcAddress(dll.get(), "RU4Dov_ResetDSP")));
    ASSERT_NE(reset, nullptr);
    EXPECT_EQ(reset(), 0);
}

} // namespace
} // namespace dvr::dorsk
