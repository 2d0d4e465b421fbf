#include "host/engine/U_StorageNames.h"

#include "host/engine/U_Conversions.h"

#include <charconv>
#include <cstdio>

namespace vantrel {

namespace {
bool ValidLetter(char c) {
    return c >= 'D' && c <= 'Z';
}
bool AllDigits(std::string_view s) {
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return !s.empty();
}
} // namespace

TDriveRange CorrectDriveRange(TDriveRange range) {
    if (!ValidLetter(range.FirstDrive)) range.FirstDrive = 'D';
    if (!ValidLetter(range.LastDrive)) range.LastDrive = 'Z';
    if (range.FirstDrive > range.LastDrive) range.FirstDrive = 'D';
    return range;
}

std::string_view KindFolder(int type) {
    switch (type) {
    case 0:
        return "CC";
    case 1:
        return "AC";
    case 2:
        return "PB";
    case 3:
        return "RB";
    default:
        return {};
    }
}

std::string DayFolderName(double oleDate) {
    const DateTimeParts t = DecodeOleDate(oleDate);
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d%02d", t.Year % 10000, t.Month, t.Day);
    return text;
}

std::string RecordingFilePath(std::string_view root, int channel, int type, double oleDate) {
    const DateTimeParts t = DecodeOleDate(oleDate);
    std::string path(root);
    path += kRecordingTopFolder;
    path += '\\';
    path += DayFolderName(oleDate);
    path += '\\' + std::to_string(channel + 1) + '\\';
    const std::string_view kind = KindFolder(type);
    if (!kind.empty()) {
        path += kind;
        path += '\\';
    }
    char name[64];
    std::snprintf(name, sizeof name, "%d-%d-%d%02d%02d%02d%02d%02d", channel, type, t.Year, t.Month,
                  t.Day, t.Hour, t.Minute, t.Second);
    path += name;
    path += (type == 2 || type == 3) ? ".BMP" : ".MPG";
    return path;
}

bool HasRoomFor(char letter, uint64_t freeBytes, int channelCount) {
    const uint64_t freeMegabytes = freeBytes / 1024 / 1024;
    const int64_t perChannel = (letter == 'D' || letter == 'd') ? 400 : 200;
    const int64_t needed = static_cast<int64_t>(channelCount) * perChannel;
    return needed < 0 || freeMegabytes > static_cast<uint64_t>(needed);
}

std::vector<TDriveRange> MergeRanges(const std::vector<TDriveRange>& ranges) {
    std::vector<TDriveRange> merged;
    for (const TDriveRange& r : ranges) {
        bool inside = false;
        for (const TDriveRange& m : merged)
            if (r.FirstDrive >= m.FirstDrive && r.LastDrive <= m.LastDrive) inside = true;
        if (!inside) merged.push_back(r);
    }
    return merged;
}

bool IsDayFolderName(std::string_view name) {
    return name.size() == 8 && AllDigits(name);
}

bool IsIndexedFileName(std::string_view name) {
    return name.size() == 22 || name.size() == 23;
}

std::string DayToDashed(std::string_view day) {
    if (day.size() < 8) return std::string(day);
    std::string text;
    text.append(day.substr(0, 4)).append("-").append(day.substr(4, 2)).append("-");
    text.append(day.substr(6, 2));
    return text;
}

bool DashedDayToOleDate(std::string_view dashed, double& oleDate) {
    if (dashed.size() != 10 || dashed[4] != '-' || dashed[7] != '-') return false;
    const std::string_view ys = dashed.substr(0, 4), ms = dashed.substr(5, 2),
                           ds = dashed.substr(8, 2);
    if (!AllDigits(ys) || !AllDigits(ms) || !AllDigits(ds)) return false;
    int y = 0, m = 0, d = 0;
    std::from_chars(ys.data(), ys.data() + ys.size(), y);
    std::from_chars(ms.data(), ms.data() + ms.size(), m);
    std::from_chars(ds.data(), ds.data() + ds.size(), d);
    if (y < 1 || m < 1 || m > 12 || d < 1) return false;
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    if (d > kDays[m - 1] + (m == 2 && leap ? 1 : 0)) return false;
    oleDate = OleDateFromParts(y, m, d, 0, 0, 0);
    return true;
}

std::vector<std::string> FolderLevels(std::string_view path) {
    std::vector<std::string> levels;
    if (path.empty()) return levels;
    std::string full(path);
    if (full.back() != '\\') full += '\\';
    size_t pos = 0;
    while (pos < full.size()) {
        size_t slash = full.find('\\', pos);
        if (slash == std::string::npos) slash = full.size() - 1;
        while (slash + 1 < full.size() && full[slash + 1] == '\\')
            ++slash;
        levels.push_back(full.substr(0, slash + 1));
        pos = slash + 1;
    }
    return levels;
}

std::string_view EntryPath(std::string_view entry) {
    const size_t hash = entry.find('#');
    return hash == std::string_view::npos ? entry : entry.substr(0, hash);
}

int64_t EntryHandle(std::string_view entry) {
    const size_t hash = entry.find('#');
    if (hash == std::string_view::npos) return -1;
    const std::string_view digits = entry.substr(hash + 1);
    int64_t value = -1;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec != std::errc() || end != digits.data() + digits.size()) return -1;
    return value;
}

std::string FaultTime(double oleDate) {
    const DateTimeParts t = DecodeOleDate(oleDate);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.Year, t.Month, t.Day,
                  t.Hour, t.Minute, t.Second);
    return text;
}

} // namespace vantrel
