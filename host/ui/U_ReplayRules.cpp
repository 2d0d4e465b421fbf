#include "host/ui/U_ReplayRules.h"

#include "player/format/file_reader.h"
#include "player/format/readable_file.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vantrel {

void ReplayFileChain::Append(ReplayFileRecord* r) {
    r->Next = nullptr;
    if (Tail)
        Tail->Next = r;
    else
        Head = r;
    Tail = r;
}

void ReplayFileChain::Clear() {
    for (ReplayFileRecord* r = Head; r;) {
        ReplayFileRecord* next = r->Next;
        delete r;
        r = next;
    }
    Head = Tail = nullptr;
}

size_t ReplayFileChain::Count() const {
    size_t n = 0;
    for (const ReplayFileRecord* r = Head; r; r = r->Next)
        ++n;
    return n;
}

void ReplayFileChain::MoveDay(std::string_view day, ReplayFileChain& to) {
    ReplayFileChain keep;
    for (ReplayFileRecord* r = Head; r;) {
        ReplayFileRecord* next = r->Next;
        if (DayFromPath(r->Path) == day)
            to.Append(r);
        else
            keep.Append(r);
        r = next;
    }
    *this = keep;
}

std::string_view CaptureTypeName(int type) {
    switch (type) {
    case 0:
        return "\xC6\xD5\xCD\xA8\xC2\xBC\xCF\xF1";
    case 1:
        return "\xB1\xA8\xBE\xAF\xC2\xBC\xCF\xF1";
    case 2:
        return "\xD4\xA4\xC0\xC0\xD7\xA5\xD6\xA1";
    case 3:
        return "\xBB\xD8\xB7\xC5\xD7\xA5\xD6\xA1";
    default:
        return {};
    }
}

int SpeedAfterSlow(int step) {
    return step <= kSpeedSlowest ? step : step - 1;
}
int SpeedAfterFast(int step) {
    return step >= kSpeedFastest ? step : step + 1;
}

std::string ReplaySpeedText(int step) {
    if (step >= 0 && step <= 3) return std::to_string(4 - step) + "\xB1\xB6\xC2\xFD\xCB\xD9";
    if (step == kSpeedNormal) return "\xB3\xA3\xCB\xD9";
    if (step >= 5 && step <= 8) return std::to_string(step - 4) + "\xB1\xB6\xBF\xEC\xCB\xD9";
    if (step == kSpeedStepBack) return "\xB5\xA5\xD6\xA1\xCD\xCB";
    if (step == kSpeedStepForward) return "\xB5\xA5\xD6\xA1\xBD\xF8";
    return {};
}

std::string PlayedTimeText(uint32_t seconds) {
    return std::to_string(seconds / 3600) + ":" + std::to_string(seconds / 60 % 60) + ":" +
           std::to_string(seconds % 60);
}

int ReplayLayoutFor(int windows) {
    static const int kCounts[] = {1, 4, 6, 9, 10, 11, 13, 16};
    const int want = std::max(windows, 4);
    for (int c : kCounts)
        if (c >= want) return c;
    return 16;
}

PaneRect DragRect(int startX, int startY, int x, int y, int width, int height) {
    x = std::clamp(x, 0, std::max(width, 0));
    y = std::clamp(y, 0, std::max(height, 0));
    return {std::min(startX, x), std::min(startY, y), std::max(startX, x), std::max(startY, y)};
}

PaneRect ZoomToPicture(PaneRect r, int width, int height) {
    if (width <= 0 || height <= 0) return {0, 0, 352, 288};
    r.Left = std::max(r.Left, 0);
    r.Top = std::max(r.Top, 0);
    r.Right = std::min(r.Right, width);
    r.Bottom = std::min(r.Bottom, height);
    auto map = [](int v, int full, int size) {
        return static_cast<int32_t>(std::lround(static_cast<double>(v) * full / size));
    };
    return {map(r.Left, 352, width), map(r.Top, 288, height), map(r.Right, 352, width),
            map(r.Bottom, 288, height)};
}

bool IsSnapshotPath(std::string_view path) {
    return path.find('B') != std::string_view::npos;
}

namespace {
std::string_view Stamp(std::string_view path) {
    return path.size() < 18 ? std::string_view{} : path.substr(path.size() - 18, 14);
}
} // namespace

std::string StartTimeFromPath(std::string_view path) {
    const std::string_view s = Stamp(path);
    if (s.size() != 14) return {};
    return std::string(s.substr(0, 4)) + "-" + std::string(s.substr(4, 2)) + "-" +
           std::string(s.substr(6, 2)) + " " + std::string(s.substr(8, 2)) + ":" +
           std::string(s.substr(10, 2)) + ":" + std::string(s.substr(12, 2));
}

std::string DayFromPath(std::string_view path) {
    const std::string t = StartTimeFromPath(path);
    return t.substr(0, std::min<size_t>(t.size(), 10));
}

std::string TimeOfDayFromPath(std::string_view path) {
    const std::string t = StartTimeFromPath(path);
    return t.size() < 19 ? std::string() : t.substr(11, 8);
}

int RecordTypeFromPath(std::string_view path) {
    const size_t dash = path.find('-');
    if (dash == std::string_view::npos || dash + 1 >= path.size()) return 1;
    const char c = path[dash + 1];
    return c >= '0' && c <= '9' ? c - '0' : 1;
}

int ChannelFromFileName(std::string_view path) {
    const size_t slash = path.find_last_of("\\/");
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const size_t dash = name.find('-');
    if (dash == 0 || dash == std::string_view::npos || dash > 3) return -1;
    int v = 0;
    for (char c : name.substr(0, dash)) {
        if (c < '0' || c > '9') return -1;
        v = v * 10 + (c - '0');
    }
    return v;
}

std::string SizeText(uint64_t bytes) {
    const auto kb = static_cast<uint64_t>(std::llround(static_cast<double>(bytes) / 1024.0));
    std::string digits = std::to_string(kb), out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out + " KB";
}

namespace {
// Days since 1970-01-01 of a civil date.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

bool ParseTime(std::string_view t, int64_t& seconds) {
    int y, mo, d, h, mi, s;
    if (t.size() != 19) return false;
    const std::string text(t);
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d", &y, &mo, &d, &h, &mi, &s) != 6)
        return false;
    if (mo < 1 || mo > 12 || d < 1 || d > 31) return false;
    seconds = DaysFromCivil(y, static_cast<unsigned>(mo), static_cast<unsigned>(d)) * 86400 +
              h * 3600 + mi * 60 + s;
    return true;
}
} // namespace

int64_t SecondsBetween(std::string_view from, std::string_view to) {
    int64_t a = 0, b = 0;
    if (!ParseTime(from, a) || !ParseTime(to, b)) return 0;
    return b - a;
}

std::string BackupRoot(char drive) {
    return std::string(1, drive) + ":\\VQS_Backup\\";
}

std::string BackupTargetPath(std::string_view root, std::string_view source) {
    std::string rest(source);
    if (rest.size() > 1) rest[1] = '$';
    return std::string(root) + rest;
}

std::string ClipTargetName(char drive, int year, int month, int day, int hour, int minute,
                           int second) {
    char text[64];
    std::snprintf(text, sizeof text, "%c:\\CaptureCut\\%04d-%02d-%02d %02d-%02d-%02d.mpg", drive,
                  year, month, day, hour, minute, second);
    return text;
}

ClipPlan PlanClip(int64_t size, int headerLength, int64_t startPos, int64_t endPos) {
    ClipPlan p;
    if (headerLength <= 0 || size <= headerLength) return p;
    // A start inside the header would copy the header twice.
    p.Start = std::max<int64_t>(startPos, headerLength);
    if (p.Start >= size) return p;
    p.End = endPos < 0 || endPos > size ? size : endPos;
    if (p.End < p.Start) return p;
    p.Blocks = (p.End - p.Start + kClipBlock - 1) / kClipBlock;
    p.Ok = true;
    return p;
}

int RecordingHeaderLength(const uint8_t* data, size_t n) {
    dvr::MemoryFile file(data, n);
    dvr::StreamHeaderFields head;
    if (!dvr::ReadFileHead(file, &head)) return 0;
    return head.headerLength;
}

} // namespace vantrel

namespace vantrel {

std::vector<std::vector<std::string>> AssignPlayLists(std::vector<ReplayListRow>& rows,
                                                      int selected, bool replayAll) {
    std::vector<std::vector<std::string>> lists;
    auto listFrom = [&](size_t i) {
        std::vector<std::string> list{rows[i].Path};
        if (replayAll)
            for (size_t j = i + 1; j < rows.size(); ++j)
                if (rows[j].Channel == rows[i].Channel) list.push_back(rows[j].Path);
        return list;
    };
    bool anyChecked = false;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (!rows[i].Checked) continue;
        anyChecked = true;
        if (lists.size() == static_cast<size_t>(kReplayPorts)) {
            for (size_t j = i; j < rows.size(); ++j)
                rows[j].Checked = false;
            break;
        }
        lists.push_back(listFrom(i));
        rows[i].Checked = false;
    }
    if (!anyChecked && selected >= 0 && static_cast<size_t>(selected) < rows.size())
        lists.push_back(listFrom(static_cast<size_t>(selected)));
    return lists;
}

bool FileListShows(const ReplayFileRecord& r, const std::vector<bool>& channelChecked, bool normal,
                   bool alarm, std::string_view day, std::string_view begin, std::string_view end) {
    if (r.Channel >= channelChecked.size() || !channelChecked[r.Channel]) return false;
    if (!((r.RecordType == 0 && normal) || (r.RecordType == 1 && alarm))) return false;
    if (DayFromPath(r.Path) != day) return false;
    const std::string time = TimeOfDayFromPath(r.Path);
    return time >= begin && time <= end;
}

} // namespace vantrel

namespace vantrel {

namespace {
int64_t NumberOrZero(std::string_view text) {
    if (text.empty() || text.size() > 18) return 0;
    int64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return 0;
        v = v * 10 + (c - '0');
    }
    return v;
}
} // namespace

bool BackupHasRoom(std::string_view freeKb, std::string_view needKb) {
    return NumberOrZero(freeKb) >= NumberOrZero(needKb);
}

} // namespace vantrel

namespace vantrel {

PictureAxis ZoomAxis(PictureAxis a, int panel, double factor) {
    PictureAxis z;
    z.Size = static_cast<int>(std::lround(a.Size * factor));
    if (panel < a.Size && a.Size > 0) {
        const int c = panel / 2;
        z.Pos =
            c - static_cast<int>(std::lround(static_cast<double>(z.Size) * (c - a.Pos) / a.Size));
    } else {
        z.Pos = (panel - z.Size) / 2;
    }
    return z;
}

PictureAxis PlaceAxis(PictureAxis a, int panel) {
    if (a.Size < panel) {
        a.Pos = (panel - a.Size) / 2;
    } else {
        if (a.Pos > 0) a.Pos = 0;
        if (a.Pos + a.Size < panel) a.Pos = panel - a.Size;
    }
    return a;
}

std::string SnapshotStamp(std::string_view path) {
    return path.size() < 18 ? std::string() : std::string(path.substr(path.size() - 18, 14));
}

std::string RecordingFolderFor(std::string_view path, char kind) {
    const size_t slash = path.rfind('\\');
    if (slash == std::string_view::npos || slash < 2) return {};
    std::string folder(path.substr(0, slash + 1));
    folder[folder.size() - 3] = kind;
    folder[folder.size() - 2] = 'C';
    return folder;
}

bool RecordingCovers(std::string_view name, std::string_view lastWrite,
                     std::string_view snapshotName) {
    if (name.size() != snapshotName.size() || name.size() < 18) return false;
    const std::string t = SnapshotStamp(snapshotName);
    const std::string start = SnapshotStamp(name);
    return start <= t && std::string(lastWrite) >= t;
}

} // namespace vantrel
