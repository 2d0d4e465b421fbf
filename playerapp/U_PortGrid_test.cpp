#include "playerapp/U_PortGrid.h"

#include <gtest/gtest.h>

#include <vector>

namespace playerqz {
namespace {

// A cell in grid units: columns c0..c1 and rows r0..r1 (ends exclusive) of a k x k grid.
struct Span {
    int c0, r0, c1, r1;
};

struct GridCase {
    int count;
    std::vector<Span> cells;
};

// Pixel cell of a span in an area of k*100+2 square at (10, 20): w = h = 100.
TRect Pixels(const Span& s, int k) {
    const TRect area{10, 20, 10 + k * 100 + 2, 20 + k * 100 + 2};
    return {area.Left + 1 + s.c0 * 100, area.Top + 1 + s.r0 * 100,
            s.c1 == k ? area.Right - 1 : area.Left + s.c1 * 100,
            s.r1 == k ? area.Bottom - 1 : area.Top + s.r1 * 100};
}

TEST(PortGrid, CellsOfEveryLayout) {
    const std::vector<GridCase> cases = {
        {1, {{0, 0, 1, 1}}},
        {2, {{0, 0, 1, 1}, {1, 0, 2, 1}}},
        {3, {{0, 0, 1, 1}, {1, 0, 2, 1}, {0, 1, 1, 2}}},
        {4, {{0, 0, 1, 1}, {1, 0, 2, 1}, {0, 1, 1, 2}, {1, 1, 2, 2}}},
        // one double cell top left, two down the right column, two in the bottom row
        {5, {{0, 0, 2, 2}, {2, 0, 3, 1}, {2, 1, 3, 2}, {0, 2, 1, 3}, {1, 2, 2, 3}}},
        {6, {{0, 0, 2, 2}, {2, 0, 3, 1}, {2, 1, 3, 2}, {0, 2, 1, 3}, {1, 2, 2, 3}, {2, 2, 3, 3}}},
        {7,
         {{0, 0, 1, 1},
          {1, 0, 2, 1},
          {2, 0, 3, 1},
          {0, 1, 1, 2},
          {1, 1, 2, 2},
          {2, 1, 3, 2},
          {0, 2, 1, 3}}},
        // two double cells on top, eight small ones below
        {10,
         {{0, 0, 2, 2},
          {2, 0, 4, 2},
          {0, 2, 1, 3},
          {1, 2, 2, 3},
          {2, 2, 3, 3},
          {3, 2, 4, 3},
          {0, 3, 1, 4},
          {1, 3, 2, 4},
          {2, 3, 3, 4},
          {3, 3, 4, 4}}},
        {11,
         {{0, 0, 2, 2},
          {2, 0, 3, 1},
          {3, 0, 4, 1},
          {2, 1, 3, 2},
          {3, 1, 4, 2},
          {0, 2, 1, 3},
          {1, 2, 2, 3},
          {2, 2, 3, 3},
          {3, 2, 4, 3},
          {0, 3, 1, 4},
          {1, 3, 2, 4}}},
        {13,
         {{0, 0, 2, 2},
          {2, 0, 3, 1},
          {3, 0, 4, 1},
          {2, 1, 3, 2},
          {3, 1, 4, 2},
          {0, 2, 1, 3},
          {1, 2, 2, 3},
          {2, 2, 3, 3},
          {3, 2, 4, 3},
          {0, 3, 1, 4},
          {1, 3, 2, 4},
          {2, 3, 3, 4},
          {3, 3, 4, 4}}},
    };
    for (const GridCase& c : cases) {
        SCOPED_TRACE(c.count);
        const int k = PortGridSide(c.count);
        const TRect area{10, 20, 10 + k * 100 + 2, 20 + k * 100 + 2};
        const std::vector<TRect> cells = LayoutPorts(c.count, area);
        ASSERT_EQ(cells.size(), c.cells.size());
        for (size_t i = 0; i < cells.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(cells[i], Pixels(c.cells[i], k));
        }
    }
}

TEST(PortGrid, UnevenAreaLeavesOnePixelGapsAndEndsOneInside) {
    // 790 wide with 4 ports: w = 394.
    const std::vector<TRect> cells = LayoutPorts(4, {0, 0, 790, 500});
    ASSERT_EQ(cells.size(), 4u);
    EXPECT_EQ(cells[0], (TRect{1, 1, 394, 249}));
    EXPECT_EQ(cells[1], (TRect{395, 1, 789, 249}));
    EXPECT_EQ(cells[3], (TRect{395, 250, 789, 499}));

    // Every count: the cells stay inside the frame and never touch one another.
    const TRect area{0, 0, 777, 531};
    for (int n = 1; n <= MaxPorts; ++n) {
        SCOPED_TRACE(n);
        const std::vector<TRect> c = LayoutPorts(n, area);
        ASSERT_EQ(static_cast<int>(c.size()), n);
        for (int i = 0; i < n; ++i) {
            EXPECT_GE(c[i].Left, 1);
            EXPECT_GE(c[i].Top, 1);
            EXPECT_LE(c[i].Right, 776);
            EXPECT_LE(c[i].Bottom, 530);
            EXPECT_GT(c[i].Width(), 0);
            for (int j = 0; j < i; ++j) {
                const bool apart = c[i].Left > c[j].Right || c[j].Left > c[i].Right ||
                                   c[i].Top > c[j].Bottom || c[j].Top > c[i].Bottom;
                EXPECT_TRUE(apart) << i << " and " << j;
            }
        }
    }
    EXPECT_TRUE(LayoutPorts(0, area).empty());
    EXPECT_TRUE(LayoutPorts(17, area).empty());
}

TEST(PortGrid, FrameLinesRunThroughTheGapsAroundTheCell) {
    const PortFrame f = PortFrameAround({395, 1, 789, 249});
    EXPECT_EQ(f.Right, (TRect{789, 0, 790, 250}));
    EXPECT_EQ(f.Left, (TRect{394, 0, 395, 249}));
    EXPECT_EQ(f.Top, (TRect{394, 0, 789, 1}));
    EXPECT_EQ(f.Bottom, (TRect{394, 249, 789, 250}));
}

} // namespace
} // namespace playerqz
