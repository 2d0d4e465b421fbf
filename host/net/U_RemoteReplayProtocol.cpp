#include "host/net/U_RemoteReplayProtocol.h"

#include "common/gbk.h"

#include <cctype>
#include <cstdio>

namespace vantrel {

namespace {

bool StartsWith(std::string_view text, std::string_view key) {
    return text.size() >= key.size() && text.substr(0, key.size()) == key;
}

bool AllDigits(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

int Num(std::string_view s) {
    int v = 0;
    for (char c : s)
        v = v * 10 + (c - '0');
    return v;
}

// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

bool ParseDateTime(std::string_view t, int64_t& seconds) {
    if (t.size() != 19) return false;
    const std::string_view parts[] = {t.substr(0, 4),  t.substr(5, 2),  t.substr(8, 2),
                                      t.substr(11, 2), t.substr(14, 2), t.substr(17, 2)};
    for (std::string_view p : parts)
        if (!AllDigits(p)) return false;
    seconds = DaysFromCivil(Num(parts[0]), Num(parts[1]), Num(parts[2])) * 86400 +
              Num(parts[3]) * 3600 + Num(parts[4]) * 60 + Num(parts[5]);
    return true;
}

std::string Cut(std::string_view s, size_t n) {
    return std::string(s.substr(0, dvr::GbkFitLength(s, n)));
}

constexpr std::string_view kDelimiters = "~!@#$%^&";

} // namespace

RemoteReplayCommand ParseRemoteReplayCommand(std::string_view text) {
    RemoteReplayCommand c;
    if (StartsWith(text, "connect")) {
        c.Kind = ReplayCommandKind::Connect;
        const std::string_view rest = text.substr(7);
        const size_t tilde = rest.find('~');
        if (tilde == std::string_view::npos) {
            c.Password = rest;
        } else {
            c.User = rest.substr(0, tilde);
            c.Password = rest.substr(tilde + 1);
        }
    } else if (StartsWith(text, "FileInfo")) {
        c.Kind = ReplayCommandKind::FileInfo;
        std::string* field = &c.User;
        for (char ch : text.substr(8)) {
            if (ch == '~') {
                field = &c.Password;
            } else if (ch == '!') {
                field = &c.Date;
            } else if (ch == '@') {
                break;
            } else {
                field->push_back(ch);
            }
        }
    } else if (StartsWith(text, "PlayFile")) {
        c.Kind = ReplayCommandKind::PlayFile;
        c.Path = text.substr(8);
    } else if (StartsWith(text, "Download")) {
        c.Kind = ReplayCommandKind::Download;
        c.Path = text.substr(8);
    }
    return c;
}

std::string BuildConnectCommand(std::string_view user, std::string_view password) {
    return "connect" + std::string(user) + "~" + std::string(password);
}

std::string BuildFileInfoCommand(std::string_view user, std::string_view password,
                                 std::string_view date) {
    return "FileInfo" + std::string(user) + "~" + std::string(password) + "!" + std::string(date) +
           "@";
}

std::string BuildConnectReply(const std::vector<std::string>& titles, std::string_view datesText) {
    std::string reply;
    for (const std::string& t : titles)
        reply.append(t).push_back(';');
    reply.append(datesText);
    return reply;
}

ConnectReply ParseConnectReply(std::string_view text) {
    ConnectReply r;
    std::string token;
    for (char c : text) {
        if (c == ';') {
            r.Titles.push_back(std::move(token));
            token.clear();
        } else if (c == ',') {
            r.Days.push_back(std::move(token));
            token.clear();
        } else {
            token.push_back(c);
        }
    }
    return r;
}

std::string ChannelItemCaption(int index, std::string_view title) {
    return std::to_string(index + 1) + " <" + std::string(title) + ">";
}

std::string FileInfoDayKey(std::string_view date) {
    if (date.size() < 10) return {};
    return std::string(date.substr(0, 4)) + std::string(date.substr(5, 2)) +
           std::string(date.substr(8, 2));
}

bool FileStartText(std::string_view path, std::string& text) {
    if (path.size() < 18) return false;
    const std::string_view d = path.substr(path.size() - 18, 14);
    if (!AllDigits(d)) return false;
    text = std::string(d.substr(0, 4)) + "-" + std::string(d.substr(4, 2)) + "-" +
           std::string(d.substr(6, 2)) + " " + std::string(d.substr(8, 2)) + ":" +
           std::string(d.substr(10, 2)) + ":" + std::string(d.substr(12, 2));
    return true;
}

int64_t RecordingSeconds(std::string_view a, std::string_view b) {
    int64_t x = 0, y = 0;
    if (!ParseDateTime(a, x) || !ParseDateTime(b, y)) return 0;
    return x > y ? x - y : y - x;
}

std::string FormatFileInfoLine(const RemoteFileInfo& i) {
    std::string line;
    line.append(std::to_string(i.Type)).push_back('~');
    line.append(std::to_string(i.Channel)).push_back('!');
    line.append(i.Start).push_back('@');
    line.append(i.End).push_back('#');
    line.append(i.TypeName).push_back('$');
    line.append(std::to_string(i.Size)).push_back('%');
    line.append(std::to_string(i.Seconds)).push_back('^');
    line.append(i.Path).push_back('&');
    return line;
}

bool FileInfoFieldClean(std::string_view text) {
    return text.find_first_of(kDelimiters) == std::string_view::npos;
}

int64_t NumberOr(std::string_view text, int64_t fallback) {
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (!AllDigits(text) || text.size() > 18) return fallback;
    int64_t v = 0;
    for (char c : text)
        v = v * 10 + (c - '0');
    return negative ? -v : v;
}

void FileInfoParser::Feed(std::string_view text) {
    for (char c : text) {
        if (kDelimiters.find(c) == std::string_view::npos) {
            token_.push_back(c);
            continue;
        }
        if (c == '~') {
            entry_ = RemoteFileEntry{};
            entry_.RecordType = static_cast<uint8_t>(NumberOr(token_, 0));
            open_ = true;
        } else if (open_) {
            switch (c) {
            case '!':
                entry_.Channel = static_cast<uint8_t>(NumberOr(token_, 0));
                break;
            case '@':
                entry_.StartTime = Cut(token_, 20);
                break;
            case '#':
                entry_.EndTime = Cut(token_, 20);
                break;
            case '$':
                entry_.TypeName = Cut(token_, 10);
                break;
            case '%':
                entry_.SizeText = Cut(token_, 10);
                break;
            case '^':
                entry_.Duration = Cut(token_, 10);
                break;
            case '&':
                entry_.Path = Cut(token_, 100);
                open_ = false;
                onEntry_(entry_);
                break;
            }
        }
        token_.clear();
    }
}

std::string ChannelCaption(int channel) {
    const std::string s = "00" + std::to_string(channel + 1);
    return s.substr(s.size() - 2);
}

std::string SizeColumn(std::string_view sizeText, char thousands) {
    const int64_t bytes = NumberOr(sizeText, 1024);
    const double kb = static_cast<double>(bytes) / 1024.0;
    char digits[32];
    std::snprintf(digits, sizeof digits, "%.0f", kb);
    std::string s = digits;
    const bool negative = !s.empty() && s[0] == '-';
    if (negative) s.erase(0, 1);
    std::string grouped;
    for (size_t i = 0; i < s.size(); ++i) {
        if (i > 0 && (s.size() - i) % 3 == 0) grouped.push_back(thousands);
        grouped.push_back(s[i]);
    }
    return (negative ? "-" : "") + grouped + " KB";
}

bool EntryInDayAndTime(const RemoteFileEntry& e, std::string_view day, std::string_view begin,
                       std::string_view end) {
    const std::string_view p = e.Path;
    if (p.size() < 18) return false;
    const std::string_view tail = p.substr(p.size() - 18);
    const std::string fileDay = std::string(tail.substr(0, 4)) + "-" +
                                std::string(tail.substr(4, 2)) + "-" +
                                std::string(tail.substr(6, 2));
    if (fileDay != day) return false;
    const std::string_view t = p.substr(p.size() - 10, 6);
    const std::string start = std::string(t.substr(0, 2)) + ":" + std::string(t.substr(2, 2)) +
                              ":" + std::string(t.substr(4, 2));
    return begin <= std::string_view(start) && std::string_view(start) <= end;
}

std::string RemoteFileName(std::string_view path) {
    const size_t slash = path.find_last_of("\\/");
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    if (name.empty() || name == "." || name == ".." || name.find(':') != std::string_view::npos)
        return {};
    return std::string(name);
}

std::string RecordingPathDayKey(std::string_view path) {
    if (path.find("..") != std::string_view::npos || path.find('/') != std::string_view::npos)
        return {};
    // Walk back over the levels: name, kind, channel folder, day, "DVRDat".
    std::vector<std::string_view> levels;
    size_t end = path.size();
    while (levels.size() < 5) {
        const size_t slash = path.rfind('\\', end == 0 ? 0 : end - 1);
        if (slash == std::string_view::npos || end == 0) return {};
        levels.push_back(path.substr(slash + 1, end - slash - 1));
        end = slash;
    }
    const std::string_view name = levels[0], day = levels[3], top = levels[4];
    if (top.size() != 6) return {};
    for (size_t i = 0; i < 6; ++i)
        if (std::tolower(static_cast<unsigned char>(top[i])) != "dvrdat"[i]) return {};
    if (day.size() != 8 || !AllDigits(day)) return {};
    // <channel>-<type>-<14 digits>.<3 characters>
    if (name.size() < 22 || name.size() > 23) return {};
    const size_t dash1 = name.find('-');
    if (dash1 == std::string_view::npos || !AllDigits(name.substr(0, dash1))) return {};
    if (name.size() < dash1 + 3 || !AllDigits(name.substr(dash1 + 1, 1)) || name[dash1 + 2] != '-')
        return {};
    const std::string_view digits = name.substr(name.size() - 18, 14);
    if (!AllDigits(digits) || name[name.size() - 4] != '.') return {};
    if (digits.substr(0, 8) != day) return {};
    return std::string(day);
}

} // namespace vantrel
