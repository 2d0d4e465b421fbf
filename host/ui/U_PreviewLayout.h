// The split layouts the console offers and how a layout choice picks its first channel.
#pragma once

#include <array>

namespace vantrel {

constexpr int kLayoutChannels = 49;
// Pane counts of the 18 split layouts, in menu order.
constexpr std::array<int, 18> kLayoutCounts{1,  4,  6,  9,  10, 13, 16, 19, 22,
                                            25, 27, 30, 33, 36, 40, 43, 46, 49};

// The first channel of an n-pane layout chosen with `selected` selected: moved back so that
// the layout does not reach past the channels, and never below 0.
int LayoutFirstChannel(int selected, int n, int channelCount);
// A layout item is offered only when its panes fit the pane rectangles.
inline bool LayoutItemEnabled(int n, int paneRectCount) {
    return n <= paneRectCount;
}
// The next page of board channels for the cycling view: `first` is the first visible board
// pane, n the layout's pane count.
int NextCyclePage(int first, int n, int boardChannels);

} // namespace vantrel
