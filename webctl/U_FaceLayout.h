// The control face's moving parts that are plain arithmetic: the four tool-page headers that
// slide up and down, the colour sliders and the clock texts. Portable.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "host/engine/U_PaneLayout.h"

namespace vantrel::webctl {

// Tool pages in the order of their headers on the face.
enum class ToolPage : int { Preview = 0, Recording = 1, Alarm = 2, Picture = 3 };

constexpr int kHeaderLeft = 773;
constexpr int kHeaderWidth = 121;
constexpr int kHeaderHeight = 25;
constexpr int kPreviewHeaderTop = 27;
// Lower positions of the recording, alarm and picture headers.
constexpr std::array<int, 3> kLowerHeaderTops{288, 313, 338};

// Each header's top and its position state: Tag 1 lower position, 0 moved up under the header
// before it.
struct PageHeaders {
    std::array<int, 4> Top{kPreviewHeaderTop, kLowerHeaderTops[0], kLowerHeaderTops[1],
                           kLowerHeaderTops[2]};
    std::array<int, 4> Tag{1, 1, 1, 1};
    // Top of the open-all and close-all buttons; -1 hides them (picture page).
    int OpenCloseTop = -1;

    // The page the header positions show.
    ToolPage Current() const;
    // A header click: moves the headers so that the page shows.
    void Select(ToolPage page);
};

// Colour sliders: thumbs over bars of 93 pixels from x = 776.
constexpr int kSliderLeft = 776;
constexpr int kSliderSpan = 93;
constexpr int kThumbWidth = 8;
constexpr int kThumbHeight = 12;
// Thumb tops of brightness, contrast, saturation and hue.
constexpr std::array<int, 4> kSliderTops{161, 206, 248, 296};
// Full scale of each slider's value.
constexpr std::array<int, 4> kSliderScales{255, 127, 127, 255};

// Left of a thumb showing value v of full scale s.
int SliderThumbLeft(double v, int scale, int thumbWidth = kThumbWidth);

// A thumb dragged by dx: its new left, kept within the bar (one pixel past either end), and the
// value the new position stands for.
struct SliderMove {
    int Left;
    int Value;
};
SliderMove DragSlider(int left, int dx, int scale, int thumbWidth = kThumbWidth);

// Split counts offered by the layout menu ("1 画面" ... "49 画面").
constexpr std::array<int, 18> kSplitCounts{1,  4,  6,  9,  10, 13, 16, 19, 22,
                                           25, 27, 30, 33, 36, 40, 43, 46, 49};

// First channel shown when a split of `count` panes is chosen with `selected` selected: the
// selected channel first, unless the split would run past the last channel.
int FirstChannelForSplit(int selected, int count, int channelCount);

// Clock texts: "YYYY-MM-DD HH:MM:SS", and the weekday (0 Sunday) as the face writes it (UTF-8).
std::string ClockText(int year, int month, int day, int hour, int minute, int second);
std::string WeekText(int dayOfWeek);

// Mouse PTZ on a pane cut into 3 x 3 regions: the region's "up" cursor (1, 3, 5, 7 for the
// top row and the left, 9, 11, 13, 15 for the right and the bottom row), 0 in the middle or
// outside the pane.
int PtzRegionCursor(int x, int y, int width, int height);
// The PTZ panel picture a region's cursor presses with the left or the right button; -1 none.
int PtzPanelButton(int upCursor, bool rightButton);

// The picture the zoom band is scaled to.
constexpr int kZoomPictureWidth = 352, kZoomPictureHeight = 288;
// The band drawn on a pane of width x height, corners ordered, clamped to the pane and scaled
// to the picture (each edge to the nearest pixel).
PaneRect ScaleZoomBand(const PaneRect& band, int width, int height);

} // namespace vantrel::webctl
