#include "webctl/U_FaceLayout.h"

#include <gtest/gtest.h>

namespace vantrel::webctl {
namespace {

TEST(PageHeaders, EachHeaderClickShowsItsPageWithTheHeadersWhereTheyBelong) {
    struct Case {
        ToolPage from, to;
        std::array<int, 4> tops;
        int openClose;
    };
    const Case cases[] = {
        {ToolPage::Preview, ToolPage::Preview, {27, 288, 313, 338}, 266},
        {ToolPage::Preview, ToolPage::Recording, {27, 52, 313, 338}, 291},
        {ToolPage::Preview, ToolPage::Alarm, {27, 52, 77, 338}, 316},
        {ToolPage::Preview, ToolPage::Picture, {27, 52, 77, 102}, -1},
        {ToolPage::Picture, ToolPage::Preview, {27, 288, 313, 338}, 266},
        {ToolPage::Picture, ToolPage::Recording, {27, 52, 313, 338}, 291},
        {ToolPage::Picture, ToolPage::Alarm, {27, 52, 77, 338}, 316},
        {ToolPage::Alarm, ToolPage::Recording, {27, 52, 313, 338}, 291},
        {ToolPage::Recording, ToolPage::Picture, {27, 52, 77, 102}, -1},
    };
    for (const Case& c : cases) {
        PageHeaders h;
        h.Select(c.from);
        h.Select(c.to);
        EXPECT_EQ(h.Top, c.tops) << int(c.from) << "->" << int(c.to);
        EXPECT_EQ(h.OpenCloseTop, c.openClose) << int(c.from) << "->" << int(c.to);
        EXPECT_EQ(h.Current(), c.to) << int(c.from) << "->" << int(c.to);
    }
}

TEST(ColourSliders, ThumbsShowValuesAndDragsStayOnTheBar) {
    EXPECT_EQ(SliderThumbLeft(0, 255), 772);
    EXPECT_EQ(SliderThumbLeft(255, 255), 865);
    EXPECT_EQ(SliderThumbLeft(150, 255), 772 + 55); // 54.7 rounds up
    EXPECT_EQ(SliderThumbLeft(80, 127), 772 + 59);  // 58.58

    // Far left and far right of an 8-pixel thumb, brightness.
    EXPECT_EQ(DragSlider(780, -200, 255).Left, 771);
    EXPECT_EQ(DragSlider(780, -200, 255).Value, -3);
    EXPECT_EQ(DragSlider(780, 500, 255).Left, 864);
    EXPECT_EQ(DragSlider(780, 500, 255).Value, 252);
    // Contrast in the middle of the bar.
    const SliderMove mid = DragSlider(772, 46, 127);
    EXPECT_EQ(mid.Left, 818);
    EXPECT_EQ(mid.Value, 63); // 62.8
}

TEST(SplitLayout, TheChosenSplitStartsAtTheSelectedChannelWithinTheChannels) {
    EXPECT_EQ(FirstChannelForSplit(14, 4, 16), 12); // channels 12 to 15
    EXPECT_EQ(FirstChannelForSplit(3, 4, 16), 3);
    EXPECT_EQ(FirstChannelForSplit(12, 4, 16), 12); // reaching the last channel exactly
    EXPECT_EQ(FirstChannelForSplit(5, 9, 7), 0);    // more panes than channels
}

TEST(Clock, DateTimeAndWeekday) {
    EXPECT_EQ(ClockText(2026, 3, 7, 9, 5, 1), "2026-03-07 09:05:01");
    EXPECT_EQ(WeekText(0), "星期日");
    EXPECT_EQ(WeekText(6), "星期六");
    EXPECT_EQ(WeekText(7), "");
}

} // namespace
} // namespace vantrel::webctl

namespace vantrel::webctl {
namespace {

TEST(MousePtz, EachRegionOfThePaneHasItsCursorAndPanelButtons) {
    // A 300 x 240 pane: thirds of 100 x 80.
    struct Case {
        int x, y, cursor, left, right;
    } cases[] = {
        {10, 10, 1, 19, -1},   {150, 10, 3, 12, 10},  {290, 10, 5, 13, -1},
        {10, 120, 7, 18, 8},   {150, 120, 0, -1, -1}, {290, 120, 9, 14, 9},
        {10, 230, 11, 17, -1}, {150, 230, 13, 16, 11}, {299, 239, 15, 15, -1},
    };
    for (const Case& c : cases) {
        const int cursor = PtzRegionCursor(c.x, c.y, 300, 240);
        EXPECT_EQ(cursor, c.cursor) << c.x << "," << c.y;
        EXPECT_EQ(PtzPanelButton(cursor, false), c.left) << c.x << "," << c.y;
        EXPECT_EQ(PtzPanelButton(cursor, true), c.right) << c.x << "," << c.y;
    }
    // A width that is no multiple of three keeps its last pixels in the last column; points
    // outside the pane (the mouse held past its edge) have no region.
    EXPECT_EQ(PtzRegionCursor(301, 10, 302, 240), 5);
    EXPECT_EQ(PtzRegionCursor(-1, 10, 300, 240), 0);
    EXPECT_EQ(PtzRegionCursor(10, 240, 300, 240), 0);
    EXPECT_EQ(PtzRegionCursor(1, 1, 2, 2), 0);
}

TEST(RegionZoom, TheBandIsOrderedClampedAndScaledToThePicture) {
    EXPECT_EQ(ScaleZoomBand(PaneRect{0, 0, 376, 278}, 376, 278), (PaneRect{0, 0, 352, 288}));
    EXPECT_EQ(ScaleZoomBand(PaneRect{188, 139, 0, 0}, 376, 278), (PaneRect{0, 0, 176, 144}));
    // Dragged beyond the pane's edges.
    EXPECT_EQ(ScaleZoomBand(PaneRect{-20, -5, 500, 400}, 376, 278), (PaneRect{0, 0, 352, 288}));
    // Each edge to the nearest picture pixel: 100 * 352 / 376 = 93.6.
    EXPECT_EQ(ScaleZoomBand(PaneRect{100, 0, 200, 100}, 376, 278).Left, 94);
}

} // namespace
} // namespace vantrel::webctl
