// Geometry of the player's video area: the grid of 1 to 16 port cells and the thin
// selection frame around one of them.
#pragma once

#include <vector>

#include "framework/types.h"

namespace playerqz {

using dvr::fw::TRect;

constexpr int MaxPorts = 16;

// Grid side for a port count: 1, 2 (2..4), 3 (5..9) or 4 (10..16); 0 outside 1..16.
int PortGridSide(int count);

// The cells of count ports inside area: a k x k grid with one pixel between cells and
// around them, some counts with merged cells. Empty for a count outside 1..16.
std::vector<TRect> LayoutPorts(int count, const TRect& area);

// The four one-pixel lines of the selection frame around a cell, as bounds.
struct PortFrame {
    TRect Top, Bottom, Left, Right;
};
PortFrame PortFrameAround(const TRect& cell);

} // namespace playerqz
