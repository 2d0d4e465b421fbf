#include "webctl/U_FaceLayout.h"

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

} // namespace vantrel::webctl
