#include "host/ui/U_PreviewLayout.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(PreviewLayout, FirstChannelOfALayoutChoice) {
    struct Case {
        int selected, n, channels, first;
    } cases[] = {
        {40, 16, 49, 33}, // the layout may not reach past the last channel
        {3, 4, 16, 3},    // fits as it is
        {2, 25, 20, 0},   // more panes than channels: never below 0
        {0, 1, 1, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LayoutFirstChannel(c.selected, c.n, c.channels), c.first)
            << c.selected << " " << c.n << " " << c.channels;
}

TEST(PreviewLayout, LayoutItemsOfferedOnlyUpToThePaneRectangles) {
    EXPECT_TRUE(LayoutItemEnabled(22, 22));
    EXPECT_FALSE(LayoutItemEnabled(25, 22));
}

TEST(PreviewLayout, CyclingPagesThroughTheBoardChannels) {
    // 16 channels in a 9-pane layout: 0..8, then 7..15 (the last page is full), then 0 again.
    EXPECT_EQ(NextCyclePage(0, 9, 16), 7);
    EXPECT_EQ(NextCyclePage(7, 9, 16), 0);
    EXPECT_EQ(NextCyclePage(0, 4, 16), 4);
    EXPECT_EQ(NextCyclePage(12, 4, 16), 0);
}

} // namespace
} // namespace vantrel
