#include "sdk/dorsk/board_command.h"

#include <gtest/gtest.h>

namespace dvr::dorsk {
namespace {

TEST(BoardCommand, Word0ShapesPlaceCodeSubChannelAndValue) {
    struct Case {
        uint32_t word0;
        uint32_t expected;
    } cases[] = {
        {Word0SubValue(kCmdCapture, 3, 1), 0x00010301},
        {Word0SubValue(kCmdStreamType, 2, 3), 0x00040203},
        {Word0Sub(kCmdKeyFrameNow, 3), 0x00170003},
        {Word0ChannelValue(kCmdAuxEncoder, 63, 1), 0x001B3F01},
        {Word0Value(kCmdBoardStart, 15), 0x0020000F},
        {Word0Value(kCmdBoardStop, 0), 0x00120000},
        // Values wider than their field must not spill into the neighbouring field.
        {Word0SubValue(kCmdPreview, 0x101, 0x1FF), 0x000201FF},
        {Word0Value(kCmdLanguage, 0x12345), 0x001D2345},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.word0, c.expected) << std::hex << c.expected;
}

TEST(BoardCommand, MessagesFromTheBoardAreSortedByCodeAlone) {
    struct Case {
        uint32_t word0;
        BoardMessageAction action;
    } cases[] = {
        {11u << 16, BoardMessageAction::SignalReply},
        {18u << 16, BoardMessageAction::SignalReply},
        {35u << 16 | 0x01, BoardMessageAction::SignalReply},
        {35u << 16 | 0x00, BoardMessageAction::SignalReply},
        {36u << 16, BoardMessageAction::SignalReply},
        {37u << 16 | 0xFFFF, BoardMessageAction::SignalReply},
        {28u << 16, BoardMessageAction::AnswerTime},
        {28u << 16 | 0x0302, BoardMessageAction::AnswerTime},
        {0, BoardMessageAction::Ignore},
        {10u << 16, BoardMessageAction::Ignore},
        {12u << 16, BoardMessageAction::Ignore},
        {27u << 16, BoardMessageAction::Ignore},
        {34u << 16, BoardMessageAction::Ignore},
        {38u << 16, BoardMessageAction::Ignore},
        {0xFFFFu << 16, BoardMessageAction::Ignore},
        // Code 11 in the low half is not code 11.
        {11u, BoardMessageAction::Ignore},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ClassifyBoardMessage(MakeCommand(c.word0)), c.action) << std::hex << c.word0;
    }
}

TEST(BoardCommand, LocalOffsetFollowsTheZoneAndDaylightState) {
    struct Case {
        int32_t bias, daylight_bias;
        bool daylight;
        int32_t offset;
    } cases[] = {
        {-480, 0, false, 8 * 3600},   // UTC+8, no daylight time
        {0, -60, false, 0},           // UTC+0 in winter
        {0, -60, true, 3600},         // the same zone in summer
        {300, -60, true, -4 * 3600},  // UTC-5 in summer
        {300, -60, false, -5 * 3600}, // UTC-5 in winter
        {-330, 0, false, 5 * 3600 + 1800},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LocalTimeOffsetSeconds(c.bias, c.daylight_bias, c.daylight), c.offset)
            << c.bias << " " << c.daylight_bias << " " << c.daylight;
    }
}

TEST(BoardCommand, TimeAnswerCarriesLocalSecondsAndEchoesTheRequest) {
    BoardCommand request =
        MakeCommand(28u << 16 | 0x0102, 0xDEADBEEF, 0x11111111, 0x22222222, 0x80000000, 7);
    BoardCommand answer = MakeTimeAnswer(request, 1'700'000'000, 8 * 3600);
    EXPECT_EQ(answer.words[0], 0x001C0000u);
    EXPECT_EQ(answer.words[1], 1'700'000'000u + 8 * 3600);
    for (size_t w = 2; w < kBoardCommandWords; ++w)
        EXPECT_EQ(answer.words[w], request.words[w]);
    // West of Greenwich the local count is below the UTC count.
    EXPECT_EQ(MakeTimeAnswer(request, 1'700'000'000, -5 * 3600).words[1],
              1'700'000'000u - 5 * 3600);
}

} // namespace
} // namespace dvr::dorsk
