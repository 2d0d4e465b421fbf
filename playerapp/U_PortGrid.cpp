#include "playerapp/U_PortGrid.h"

namespace playerqz {

int PortGridSide(int count) {
    if (count < 1 || count > MaxPorts) return 0;
    if (count == 1) return 1;
    if (count <= 4) return 2;
    if (count <= 9) return 3;
    return 4;
}

std::vector<TRect> LayoutPorts(int count, const TRect& area) {
    const int k = PortGridSide(count);
    if (k == 0) return {};
    const int w = (area.Right - area.Left - 2) / k;
    const int h = (area.Bottom - area.Top - 2) / k;
    std::vector<TRect> cells(k * k);
    for (int r = 0; r < k; ++r)
        for (int c = 0; c < k; ++c) {
            TRect& cell = cells[r * k + c];
            cell.Left = area.Left + 1 + c * w;
            cell.Top = area.Top + 1 + r * h;
            cell.Right = c == k - 1 ? area.Right - 1 : area.Left + (c + 1) * w;
            cell.Bottom = r == k - 1 ? area.Bottom - 1 : area.Top + (r + 1) * h;
        }

    // A merged cell keeps its top-left corner and takes another cell's bottom-right.
    auto grow = [&](int to, int from) {
        cells[to].Right = cells[from].Right;
        cells[to].Bottom = cells[from].Bottom;
    };
    auto pick = [&](std::initializer_list<int> order) {
        std::vector<TRect> grid = cells;
        int i = 1;
        for (int from : order)
            cells[i++] = grid[from];
    };
    if (count == 5 || count == 6) {
        grow(0, 4);
        pick({2, 5, 6, 7, 8});
    } else if (count == 10) {
        grow(0, 5);
        grow(2, 7);
        pick({2, 8, 9, 10, 11, 12, 13, 14, 15});
    } else if (count >= 11 && count <= 13) {
        grow(0, 5);
        pick({2, 3, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15});
    }
    cells.resize(count);
    return cells;
}

PortFrame PortFrameAround(const TRect& cell) {
    const int L = cell.Left, T = cell.Top, R = cell.Right, B = cell.Bottom;
    PortFrame f;
    f.Right = {R, T - 1, R + 1, T - 1 + (B - T + 2)};
    f.Left = {L - 1, T - 1, L, T - 1 + (B - T + 1)};
    f.Top = {L - 1, T - 1, L - 1 + (R - L + 1), T};
    f.Bottom = {L - 1, B, L - 1 + (R - L + 1), B + 1};
    return f;
}

} // namespace playerqz
