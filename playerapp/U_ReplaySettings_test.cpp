#include "playerapp/U_ReplaySettings.h"

#include <gtest/gtest.h>

namespace playerqz {
namespace {

TEST(ReplaySettings, NumbersAreTheirLastFourDigits) {
    const int32_t v[] = {5, 0, 12345, 9999, 42, 100};
    EXPECT_EQ(FormatLayoutNumbers(v, 6), "000500002345999900420100");
    EXPECT_EQ(FormatLayoutNumbers(v, 0), "");
}

TEST(ReplaySettings, LayoutTextsRoundTrip) {
    TPlayerWindowLayout a{};
    for (int i = 0; i < LayoutValueCount; ++i)
        a.Values[i] = i * 101;
    const std::string choose = ChooseFileWindowText(a);
    const std::string replay = ReplayWindowText(a);
    EXPECT_EQ(choose.size(), 24u);
    EXPECT_EQ(replay, "06060707080809091010");
    TPlayerWindowLayout b{};
    ParseWindowLayout(choose, replay, b);
    EXPECT_EQ(+b.Valid, 1);
    for (int i = 0; i < LayoutValueCount; ++i)
        EXPECT_EQ(+b.Values[i], +a.Values[i]);
}

TEST(ReplaySettings, AFailureEndsParsingAndClearsTheFlag) {
    struct Case {
        const char* choose;
        const char* replay;
        int parsed; // values of 1..11 taken from the strings
    };
    const Case cases[] = {
        {"00010002000300040005000", "00070008000900100011", 5},       // 23 characters
        {"0001000200030004000500060000", "00070008000900100011", 11}, // extra ignored
        {"000100020003000400050006", "0007000800090010001", 10},
        {"0001x0020003000400050006", "00070008000900100011", 1},
        {"", "00070008000900100011", 0},
        {"0001000200030004000500 6", "00070008000900100011", 5},
        {"-001000200030004000500006", "00070008000900100011", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.choose);
        SCOPED_TRACE(c.replay);
        TPlayerWindowLayout l{};
        for (int i = 0; i < LayoutValueCount; ++i)
            l.Values[i] = -7;
        ParseWindowLayout(c.choose, c.replay, l);
        EXPECT_EQ(+l.Valid, c.parsed == LayoutValueCount ? 1 : 0);
        for (int i = 0; i < LayoutValueCount; ++i)
            EXPECT_EQ(+l.Values[i], i < c.parsed ? i + 1 : -7) << "value " << i + 1;
    }
}

} // namespace
} // namespace playerqz
