#include "host/engine/U_WorkLogLine.h"

#include "host/engine/U_Conversions.h"

#include <cstdio>
#include <vector>

namespace vantrel {
namespace {

bool ReadInt(std::string_view s, long long& out) {
    size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
    if (i == s.size()) return false;
    long long v = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9') return false;
        v = v * 10 + (s[i] - '0');
        if (v > 0x80000000LL) return false; // beyond a 32-bit integer
    }
    v = negative ? -v : v;
    if (v > 0x7FFFFFFFLL) return false;
    out = v;
    return true;
}

// "yyyy-mm-dd hh:nn:ss.zzz"
bool ReadTime(std::string_view s, double& out) {
    int y, mo, d, h, mi, sec, ms;
    char tail;
    const std::string text(s);
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d.%3d%c", &y, &mo, &d, &h, &mi, &sec, &ms,
                    &tail) != 7)
        return false;
    if (mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || sec > 59 || ms > 999 ||
        h < 0 || mi < 0 || sec < 0 || ms < 0)
        return false;
    out = OleDateFromParts(y, mo, d, h, mi, sec, ms);
    return true;
}

} // namespace

std::string WorkLogLine(double time, int event, int clientChannel, int hostChannel, int alarmPoint,
                        std::string_view hostAddress, std::string_view clientAddress,
                        std::string_view userName) {
    const DateTimeParts p = DecodeOleDate(time);
    char head[96];
    std::snprintf(head, sizeof(head), "%04d-%02d-%02d %02d:%02d:%02d.%03d;%d;%d;%d;%d;", p.Year,
                  p.Month, p.Day, p.Hour, p.Minute, p.Second, p.Millisecond, event, clientChannel,
                  hostChannel, alarmPoint);
    std::string line = head;
    for (std::string_view text : {hostAddress, clientAddress, userName}) {
        line += text;
        line += ';';
    }
    return line;
}

bool ParseWorkLogLine(std::string_view line, TWorkLogRecord& record) {
    std::vector<std::string_view> fields;
    size_t at = 0;
    while (fields.size() < 8) {
        const size_t semi = line.find(';', at);
        if (semi == std::string_view::npos) return false;
        fields.push_back(line.substr(at, semi - at));
        at = semi + 1;
    }
    TWorkLogRecord r{};
    if (!ReadTime(fields[0], r.Time)) return false;
    long long n[4];
    for (int i = 0; i < 4; ++i)
        if (!ReadInt(fields[size_t(1 + i)], n[i])) return false;
    r.Event = static_cast<uint8_t>(n[0] & 0xFF);
    r.ClientChannel = static_cast<int8_t>(static_cast<uint8_t>(n[1] & 0xFF));
    r.HostChannel = static_cast<int8_t>(static_cast<uint8_t>(n[2] & 0xFF));
    r.AlarmPoint = static_cast<int8_t>(static_cast<uint8_t>(n[3] & 0xFF));
    r.HostAddress.Set(fields[5]);
    r.ClientAddress.Set(fields[6]);
    r.UserName.Set(fields[7]);
    r.Link = 0;
    record = r;
    return true;
}

std::string FormatDayHeadTime(double time) {
    const DateTimeParts p = DecodeOleDate(time);
    char text[40];
    std::snprintf(text, sizeof(text), "%04d-%02d-%02d %02d:%02d:%02d:%03d", p.Year, p.Month, p.Day,
                  p.Hour, p.Minute, p.Second, p.Millisecond);
    return text;
}

} // namespace vantrel
