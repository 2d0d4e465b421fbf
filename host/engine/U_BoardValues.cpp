#include "host/engine/U_BoardValues.h"

#include <algorithm>

namespace vantrel {

int BoardFrameRate(int frameRate) {
    return frameRate < 1 || frameRate > 30 ? 25 : frameRate;
}
int BoardStreamType(int kind) {
    return static_cast<int16_t>(kind) == 3 ? 3 : 1;
}
int BoardPictureFormat(int format) {
    return format < 0 || format > 3 ? 0 : format;
}
int BoardKeyFrameInterval(int interval) {
    return interval < 12 ? 301 : interval;
}
int BoardBFrames(int bFrames) {
    return bFrames < 0 || bFrames > 2 ? 2 : bFrames;
}
int BoardQuantiser(int quant) {
    return quant < 0 ? 0 : quant > 40 ? 30 : quant;
}
int BoardBitrate(int megabytesPerHour) {
    return (megabytesPerHour == 0 ? 800 : megabytesPerHour) * 2330;
}
int BoardVideoStandard(int standard) {
    return standard == 2 ? 2 : 1;
}
int BoardMotionAreas(int count) {
    return std::min(count, 7);
}
int BoardSensitivity(int sensitivity) {
    return sensitivity < 0 || sensitivity > 100 ? 3 : sensitivity;
}
int BoardPictureParam(int value, int maximum) {
    return std::clamp(value, 0, maximum);
}

TOsdPoint BoardOsdPosition(TOsdPoint p) {
    if (p.x < 0) p.x = 1;
    if (p.x > 344) p.x = 344;
    if (p.y < 0) p.y = 1;
    if (p.y > 270) p.y = 270;
    return p;
}

std::vector<uint16_t> OsdTimeLine(TOsdPoint p, bool shown) {
    if (!shown) return {0, 0, 0};
    p = BoardOsdPosition(p);
    return {uint16_t(p.x), uint16_t(p.y), 0x20, 0x9000, 0x2D, 0x9003, 0x2D, 0x9004,
            0x20,          0x9007,        0x3A, 0x9009, 0x3A, 0x900A, 0x20, 0};
}

std::vector<uint16_t> OsdNameLine(TOsdPoint p, std::string_view gbkName, bool shown) {
    if (!shown) return {0, 0, 0};
    p = BoardOsdPosition(p);
    std::vector<uint16_t> line{uint16_t(p.x), uint16_t(p.y)};
    for (size_t i = 0; i < gbkName.size() && line.size() < 2 + kOsdNameCharacters;) {
        const uint8_t lead = static_cast<uint8_t>(gbkName[i]);
        if (lead < 0x80) {
            line.push_back(lead);
            ++i;
        } else if (i + 1 < gbkName.size()) {
            line.push_back(uint16_t(lead * 256 + static_cast<uint8_t>(gbkName[i + 1])));
            i += 2;
        } else {
            break; // a lead byte without its trail is no character
        }
    }
    line.push_back(0);
    line.resize(2 + kOsdNameCharacters + 1, 0);
    return line;
}

} // namespace vantrel
