// Division of the console's video area into 1 to 49 panes, some of them merged.
#pragma once

#include <cstdint>

namespace vantrel {

struct PaneRect {
    int32_t Left, Top, Right, Bottom;
    bool operator==(const PaneRect&) const = default;
};

// Lays out the panes for count = highIndex + 1 over area. Writes the first `count`
// rectangles of the chosen layout (each one pixel smaller at right and bottom) and returns
// the layout's pane count, which may exceed `count`; 0 (nothing written) for a count
// outside 1..49. `list` must have room for `count` rectangles.
int LayoutPanes(const PaneRect& area, PaneRect* list, int highIndex);

// Grid side for a pane count: 1..7, or 0 when the count is outside 1..49.
int PaneGridSide(int count);

} // namespace vantrel
