#include "webctl/U_FaceLayout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vantrel::webctl {

namespace {

constexpr int kHeaders = 4;
constexpr int kCapture = 1, kAlarm = 2, kPicture = 3;
constexpr std::array<int, 4> kOpenCloseTops{266, 291, 316, -1};

// Ties to even, as the face's arithmetic always did.
int RoundHalfEven(double v) {
    return static_cast<int>(std::nearbyint(v));
}

} // namespace

ToolPage PageHeaders::Current() const {
    if (Tag[kCapture] == 1) return ToolPage::Preview;
    if (Tag[kAlarm] == 1) return ToolPage::Recording;
    if (Tag[kPicture] == 1) return ToolPage::Alarm;
    return ToolPage::Picture;
}

void PageHeaders::Select(ToolPage page) {
    auto lower = [&](int h) {
        Top[h] = kLowerHeaderTops[h - 1];
        Tag[h] = 1;
    };
    auto under = [&](int h) {
        Top[h] = Top[h - 1] + kHeaderHeight;
        Tag[h] = 0;
    };
    switch (page) {
    case ToolPage::Preview:
        if (Tag[kCapture] == 0)
            for (int h = kCapture; h < kHeaders; ++h)
                lower(h);
        break;
    case ToolPage::Recording:
        if (Tag[kAlarm] == 0) {
            lower(kAlarm);
            lower(kPicture);
        }
        if (Tag[kCapture] == 1) under(kCapture);
        break;
    case ToolPage::Alarm:
        if (Tag[kCapture] == 1) under(kCapture);
        if (Tag[kPicture] == 0) lower(kPicture);
        if (Tag[kAlarm] == 1) under(kAlarm);
        break;
    case ToolPage::Picture:
        if (Tag[kPicture] == 1)
            for (int h = kCapture; h < kHeaders; ++h)
                under(h);
        break;
    }
    OpenCloseTop = kOpenCloseTops[static_cast<int>(page)];
}

int SliderThumbLeft(double v, int scale, int thumbWidth) {
    if (scale <= 0) return kSliderLeft - thumbWidth / 2;
    return RoundHalfEven(v / scale * kSliderSpan) + kSliderLeft - thumbWidth / 2;
}

SliderMove DragSlider(int left, int dx, int scale, int thumbWidth) {
    const int m = kSliderLeft - thumbWidth / 2;
    const int wanted = left + dx;
    const int right = m + kSliderSpan; // 865 for an 8-pixel thumb
    SliderMove move{};
    if (wanted <= m)
        move.Left = m - 1;
    else if (wanted >= right)
        move.Left = right - 1;
    else
        move.Left = wanted;
    move.Value = RoundHalfEven(double(move.Left - m) / kSliderSpan * scale);
    return move;
}

int FirstChannelForSplit(int selected, int count, int channelCount) {
    int first = selected;
    if (first + count >= channelCount) first = channelCount - count;
    return first < 0 ? 0 : first;
}

std::string ClockText(int year, int month, int day, int hour, int minute, int second) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", year % 10000, month % 100,
                  day % 100, hour % 100, minute % 100, second % 100);
    return text;
}

std::string WeekText(int dayOfWeek) {
    static const char* const kDays[7] = {"星期日", "星期一", "星期二", "星期三",
                                         "星期四", "星期五", "星期六"};
    return dayOfWeek >= 0 && dayOfWeek < 7 ? kDays[dayOfWeek] : "";
}

int PtzRegionCursor(int x, int y, int width, int height) {
    if (width < 3 || height < 3 || x < 0 || y < 0 || x >= width || y >= height) return 0;
    // A pane whose size is no multiple of three keeps its last pixels in the last column/row.
    const int column = std::min(x / (width / 3), 2);
    const int row = std::min(y / (height / 3), 2);
    const int region = column + 3 * row;
    return region < 4 ? 2 * region + 1 : region > 4 ? 2 * region - 1 : 0;
}

int PtzPanelButton(int upCursor, bool rightButton) {
    // Region cursor (odd) -> panel picture: left button moves, right button zooms and focuses.
    switch (upCursor) {
    case 1: return rightButton ? -1 : 19;
    case 3: return rightButton ? 10 : 12;
    case 5: return rightButton ? -1 : 13;
    case 7: return rightButton ? 8 : 18;
    case 9: return rightButton ? 9 : 14;
    case 11: return rightButton ? -1 : 17;
    case 13: return rightButton ? 11 : 16;
    case 15: return rightButton ? -1 : 15;
    default: return -1;
    }
}

PaneRect ScaleZoomBand(const PaneRect& band, int width, int height) {
    if (width <= 0 || height <= 0) return PaneRect{0, 0, kZoomPictureWidth, kZoomPictureHeight};
    auto scale = [](int v, int from, int to) {
        return static_cast<int>(std::lround(double(v) * to / from));
    };
    const int left = std::clamp(std::min(band.Left, band.Right), 0, width);
    const int right = std::clamp(std::max(band.Left, band.Right), 0, width);
    const int top = std::clamp(std::min(band.Top, band.Bottom), 0, height);
    const int bottom = std::clamp(std::max(band.Top, band.Bottom), 0, height);
    return PaneRect{scale(left, width, kZoomPictureWidth), scale(top, height, kZoomPictureHeight),
                    scale(right, width, kZoomPictureWidth),
                    scale(bottom, height, kZoomPictureHeight)};
}

} // namespace vantrel::webctl
