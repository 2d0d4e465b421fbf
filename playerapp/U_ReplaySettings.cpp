#include "playerapp/U_ReplaySettings.h"

namespace playerqz {

std::string FormatLayoutNumbers(const int32_t* values, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        const std::string s = "0000" + std::to_string(values[i]);
        out += s.substr(s.size() - 4);
    }
    return out;
}

int ParseLayoutNumbers(std::string_view text, int32_t* values, int count) {
    for (int i = 0; i < count; ++i) {
        if (text.size() < 4) return i;
        int32_t v = 0;
        for (char c : text.substr(0, 4)) {
            if (c < '0' || c > '9') return i;
            v = v * 10 + (c - '0');
        }
        values[i] = v;
        text.remove_prefix(4);
    }
    return count;
}

std::string ChooseFileWindowText(const TPlayerWindowLayout& layout) {
    int32_t v[ChooseFileWindowCount];
    for (int i = 0; i < ChooseFileWindowCount; ++i)
        v[i] = layout.Values[i];
    return FormatLayoutNumbers(v, ChooseFileWindowCount);
}

std::string ReplayWindowText(const TPlayerWindowLayout& layout) {
    int32_t v[ReplayWindowCount];
    for (int i = 0; i < ReplayWindowCount; ++i)
        v[i] = layout.Values[ChooseFileWindowCount + i];
    return FormatLayoutNumbers(v, ReplayWindowCount);
}

void ParseWindowLayout(std::string_view chooseFileWindow, std::string_view replayWindow,
                       TPlayerWindowLayout& layout) {
    // The packed array is copied through locals: no references into a packed record.
    int32_t v[LayoutValueCount];
    for (int i = 0; i < LayoutValueCount; ++i)
        v[i] = layout.Values[i];
    layout.Valid = 1;
    if (ParseLayoutNumbers(chooseFileWindow, v, ChooseFileWindowCount) < ChooseFileWindowCount ||
        ParseLayoutNumbers(replayWindow, v + ChooseFileWindowCount, ReplayWindowCount) <
            ReplayWindowCount)
        layout.Valid = 0;
    for (int i = 0; i < LayoutValueCount; ++i)
        layout.Values[i] = v[i];
}

} // namespace playerqz
