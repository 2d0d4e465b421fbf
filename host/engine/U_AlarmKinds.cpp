#include "host/engine/U_AlarmKinds.h"

#include <algorithm>
#include <cmath>

namespace vantrel {

void TAlarmLatches::ClearAll() {
    for (int c = 0; c < kSettingsChannels; ++c) {
        Clear(c, kAlarmVideoLoss);
        Clear(c, kAlarmMotion);
        Clear(c, kAlarmProbe);
    }
}

void TAlarmLatches::Clear(int channel, int kind) {
    if (channel < 0 || channel >= kSettingsChannels) return;
    switch (kind) {
    case kAlarmVideoLoss:
        VideoLoss[channel] = 0;
        break;
    case kAlarmMotion:
        for (auto& l : Motion[channel])
            l = 0;
        break;
    case kAlarmProbe:
        for (auto& l : Probe[channel])
            l = 0;
        break;
    default:
        break;
    }
}

std::atomic<uint8_t>* TAlarmLatches::Find(int channel, int kind, int index) {
    if (channel < 0 || channel >= kSettingsChannels || index < 0) return nullptr;
    switch (kind) {
    case kAlarmVideoLoss:
        return &VideoLoss[channel];
    case kAlarmMotion:
        return index < kAlarmAreas ? &Motion[channel][index] : nullptr;
    case kAlarmProbe:
        return index < kBoxPoints ? &Probe[channel][index] : nullptr;
    default:
        return nullptr;
    }
}

std::vector<char> DetectionKindsForMode(int mode, const TAlarmSetRecord& record) {
    switch (mode) {
    case -1: {
        std::vector<char> kinds;
        if (record.VideoLossOn) kinds.push_back(kAlarmVideoLoss);
        if (record.MotionOn) kinds.push_back(kAlarmMotion);
        if (record.ProbeOn) kinds.push_back(kAlarmProbe);
        return kinds;
    }
    case 1:
    case 2:
        return {kAlarmVideoLoss, kAlarmMotion, kAlarmProbe};
    case 3:
    case 4:
        return {kAlarmMotion};
    case 5:
    case 6:
        return {kAlarmProbe};
    case 7:
    case 8:
        return {kAlarmVideoLoss};
    case 9:
    case 10:
        return {kAlarmVideoLoss, kAlarmMotion};
    case 11:
    case 12:
        return {kAlarmMotion, kAlarmProbe};
    default:
        return {};
    }
}

int RoundHalfEven(double v) {
    if (!std::isfinite(v)) return 0;
    v = std::clamp(v, -1e9, 1e9);
    double r = std::round(v);
    if (std::fabs(v - std::trunc(v)) == 0.5) r = 2.0 * std::round(v / 2.0);
    return static_cast<int>(r);
}

std::vector<MotionArea> BuildMotionAreas(const TAlarmSetRecord& record) {
    // A stored count outside 0..7 would read past the area table.
    int count = std::clamp<int>(record.AreaCount, 0, kAlarmAreas);
    if (count == 0) return {{0, 0, 351, 287}};
    std::vector<MotionArea> areas;
    for (int k = 0; k < count; ++k)
        areas.push_back(PlaceOutline(record.Areas[k], 352, 288));
    return areas;
}

MotionArea PlaceOutline(const AlarmAreaFraction& a, int width, int height) {
    return {RoundHalfEven(width * a.Left), RoundHalfEven(height * a.Top),
            RoundHalfEven(width * a.Right), RoundHalfEven(height * a.Bottom)};
}

} // namespace vantrel
