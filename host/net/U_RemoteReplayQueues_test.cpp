#include "host/net/U_RemoteReplayQueues.h"
#include "host/ui/U_ReplayRules.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

std::vector<PlayRow> Rows(std::initializer_list<std::pair<const char*, bool>> list) {
    std::vector<PlayRow> rows;
    int i = 0;
    for (const auto& [caption, checked] : list)
        rows.push_back({caption, "f" + std::to_string(i++) + ";100", checked});
    return rows;
}

TEST(PlayQueues, CheckedRowsOfOneChannelOverlap) {
    auto rows = Rows({{"01", true}, {"01", true}, {"02", true}});
    PlayQueues q;
    EXPECT_EQ(AssignCheckedRows(rows, -1, q), 3);
    EXPECT_EQ(q[0], (std::vector<std::string>{"f0;100", "f1;100"}));
    EXPECT_EQ(q[1], (std::vector<std::string>{"f1;100"}));
    EXPECT_EQ(q[2], (std::vector<std::string>{"f2;100"}));
    for (const PlayRow& r : rows)
        EXPECT_FALSE(r.Checked);
    EXPECT_EQ(ReplayLayoutFor(3), 4);
}

TEST(PlayQueues, TwentyCheckedRowsFillSixteenWindows) {
    std::vector<PlayRow> rows;
    for (int i = 0; i < 20; ++i)
        rows.push_back({std::to_string(i), std::to_string(i), true});
    PlayQueues q;
    EXPECT_EQ(AssignCheckedRows(rows, 0, q), 16);
    EXPECT_EQ(q[15], (std::vector<std::string>{"15"}));
    for (const PlayRow& r : rows)
        EXPECT_FALSE(r.Checked);
    EXPECT_EQ(ReplayLayoutFor(16), 16);
}

TEST(PlayQueues, SelectedRowWithoutChecksPlaysItsChannelOnward) {
    auto rows = Rows({{"01", false}, {"02", false}, {"01", false}, {"01", false}});
    PlayQueues q;
    EXPECT_EQ(AssignCheckedRows(rows, 2, q), 1);
    EXPECT_EQ(q[0], (std::vector<std::string>{"f2;100", "f3;100"}));
    PlayQueues none;
    EXPECT_EQ(AssignCheckedRows(rows, -1, none), 0);
    EXPECT_TRUE(none[0].empty());

    std::vector<std::string> busy;
    AppendFromSelected(rows, 1, busy);
    EXPECT_EQ(busy, (std::vector<std::string>{"f1;100", "f2;100", "f3;100"}));
}

TEST(PlayQueues, LayoutsEntriesAndSpeeds) {
    const int expect[] = {4, 4, 4, 4, 4, 6, 6, 9, 9, 9, 10, 11, 13, 13, 16, 16, 16};
    for (int n = 0; n <= 16; ++n)
        EXPECT_EQ(ReplayLayoutFor(n), expect[n]) << n;
    EXPECT_EQ(QueueEntryPath("D:\\a\\b.MPG;2048"), "D:\\a\\b.MPG");
    EXPECT_EQ(QueueEntrySize("D:\\a\\b.MPG;2048"), 2048);
    EXPECT_EQ(QueueEntrySize("D:\\a\\b.MPG;x"), 0);
    EXPECT_EQ(QueueEntrySize("D:\\a\\b.MPG"), 0);
    EXPECT_EQ(QueueEntryFileName("D:\\a\\b.MPG;2048"), "b.MPG");
    EXPECT_EQ(SpeedText(1), "3\xB1\xB6\xC2\xFD\xCB\xD9");
    EXPECT_EQ(SpeedText(4), "\xB3\xA3\xCB\xD9");
    EXPECT_EQ(SpeedText(8), "4\xB1\xB6\xBF\xEC\xCB\xD9");
    EXPECT_EQ(SpeedText(9), "");
}

} // namespace
} // namespace vantrel
