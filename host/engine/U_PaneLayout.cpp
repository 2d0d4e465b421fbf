#include "host/engine/U_PaneLayout.h"

#include <cstddef>
#include <vector>

namespace vantrel {
namespace {

class Grid {
public:
    Grid(const PaneRect& area, int side)
        : area_(area), side_(side), w_((area.Right - area.Left) / side),
          h_((area.Bottom - area.Top) / side) {}

    // The last column and row absorb the remainder of the division.
    int32_t ColLeft(int x) const { return area_.Left + x * w_; }
    int32_t ColRight(int x) const {
        return x == side_ - 1 ? area_.Right : area_.Left + (x + 1) * w_;
    }
    int32_t RowTop(int y) const { return area_.Top + y * h_; }
    int32_t RowBottom(int y) const {
        return y == side_ - 1 ? area_.Bottom : area_.Top + (y + 1) * h_;
    }
    PaneRect Span(int x0, int y0, int x1, int y1) const {
        return {ColLeft(x0), RowTop(y0), ColRight(x1), RowBottom(y1)};
    }
    PaneRect Cell(int x, int y) const { return Span(x, y, x, y); }
    int Side() const { return side_; }

private:
    PaneRect area_;
    int side_;
    int32_t w_, h_;
};

void AddRows(const Grid& g, int fromRow, std::vector<PaneRect>& panes) {
    for (int y = fromRow; y < g.Side(); ++y)
        for (int x = 0; x < g.Side(); ++x)
            panes.push_back(g.Cell(x, y));
}

// k double panes side by side over rows 0 and 1, then the rest of rows 0 and 1, then the grid.
void AddDoublePanes(const Grid& g, int k, std::vector<PaneRect>& panes) {
    for (int i = 0; i < k; ++i)
        panes.push_back(g.Span(2 * i, 0, 2 * i + 1, 1));
    for (int y = 0; y < 2; ++y)
        for (int x = 2 * k; x < g.Side(); ++x)
            panes.push_back(g.Cell(x, y));
    AddRows(g, 2, panes);
}

void AddCentreDouble(const Grid& g, std::vector<PaneRect>& panes) {
    for (int x = 0; x < 4; ++x)
        panes.push_back(g.Cell(x, 0));
    panes.push_back(g.Cell(0, 1));
    panes.push_back(g.Span(1, 1, 2, 2));
    panes.push_back(g.Cell(3, 1));
    panes.push_back(g.Cell(0, 2));
    panes.push_back(g.Cell(3, 2));
    AddRows(g, 3, panes);
}

// Four panes share the 3 x 3 cells at the top-left, split through the middle of cell (1, 1).
void AddFourLarge(const Grid& g, std::vector<PaneRect>& panes) {
    const PaneRect mid = g.Cell(1, 1);
    const int32_t xm = mid.Left + (mid.Right - mid.Left) / 2;
    const int32_t ym = mid.Top + (mid.Bottom - mid.Top) / 2;
    const int32_t left = g.ColLeft(0), top = g.RowTop(0);
    const int32_t right = g.ColRight(2), bottom = g.RowBottom(2);
    panes.push_back({left, top, xm, ym});
    panes.push_back({xm, top, right, ym});
    panes.push_back({left, ym, xm, bottom});
    panes.push_back({xm, ym, right, bottom});
    for (int y = 0; y < 3; ++y)
        panes.push_back(g.Cell(3, y));
    AddRows(g, 3, panes);
}

} // namespace

int PaneGridSide(int count) {
    if (count < 1 || count > 49) return 0;
    int side = 1;
    while (side * side < count)
        ++side;
    return side;
}

int LayoutPanes(const PaneRect& area, PaneRect* list, int highIndex) {
    const int count = highIndex + 1;
    const int side = PaneGridSide(count);
    if (side == 0) return 0;
    const Grid g(area, side);
    std::vector<PaneRect> panes;
    panes.reserve(49);

    // Double panes per count; the other counts of a side use the plain grid.
    int doubles = 0;
    switch (side) {
    case 3:
        doubles = count <= 6 ? 1 : 0;
        break;
    case 5:
        doubles = count <= 19 ? 2 : count <= 22 ? 1 : 0;
        break;
    case 6:
        doubles = count <= 27 ? 3 : count <= 30 ? 2 : count <= 33 ? 1 : 0;
        break;
    case 7:
        doubles = count <= 40 ? 3 : count <= 43 ? 2 : count <= 46 ? 1 : 0;
        break;
    default:
        break;
    }

    if (side == 4 && count == 10)
        AddDoublePanes(g, 2, panes);
    else if (side == 4 && count == 11)
        AddFourLarge(g, panes);
    else if (side == 4 && count <= 13)
        AddCentreDouble(g, panes);
    else if (doubles > 0)
        AddDoublePanes(g, doubles, panes);
    else
        AddRows(g, 0, panes);

    for (int i = 0; i < count; ++i) {
        const PaneRect& p = panes[static_cast<size_t>(i)];
        list[i] = {p.Left, p.Top, p.Right - 1, p.Bottom - 1};
    }
    return static_cast<int>(panes.size());
}

} // namespace vantrel
