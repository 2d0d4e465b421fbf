#include "playerapp/U_PlayerStatus.h"

#include <cmath>

#include "common/gbk.h"
#include "playerapp/U_Array.h"

namespace playerqz {

ControlEnables ControlEnablesFor(int state) {
    switch (state) {
    case psPlaying:
        return {false, true, true, true, true};
    case psPaused:
        return {true, false, true, true, true};
    case psStopped:
        return {true, false, false, false, false};
    default:
        return {false, false, false, false, false};
    }
}

std::string FormatPlayTime(unsigned seconds) {
    return std::to_string(seconds / 3600) + ":" + std::to_string(seconds / 60 % 60) + ":" +
           std::to_string(seconds % 60);
}

std::string StatusPrefix(int port) {
    return std::string(MessageCaptions[mcCamera]) + std::to_string(port + 1) + " ) ";
}

std::string StateBeforeFileName(std::string_view stateCaption) {
    std::string s(stateCaption);
    if (!s.empty() && s.back() != ' ') s += ' ';
    return s;
}

std::string_view FileNameOnly(std::string_view gbkPath) {
    size_t start = 0;
    for (size_t i = 0; i < gbkPath.size(); ++i) {
        const auto b = static_cast<uint8_t>(gbkPath[i]);
        if (dvr::IsGbkLeadByte(b) && i + 1 < gbkPath.size()) {
            ++i;
            continue;
        }
        if (b == '\\' || b == '/' || b == ':') start = i + 1;
    }
    return gbkPath.substr(start);
}

int SliderPosition(double playPos, int max) {
    const double v = std::nearbyint(playPos * max);
    if (!(v >= 0)) return 0; // also NaN
    if (v > max) return max;
    return static_cast<int>(v);
}

} // namespace playerqz
