#include "host/net/U_NetTalkList.h"

#include <charconv>

namespace vantrel {

std::vector<NetTalkRow> ParseNetTalkList(std::string_view text) {
    std::vector<NetTalkRow> rows;
    NetTalkRow row;
    std::string field;
    for (char c : text) {
        switch (c) {
        case '/':
            row.Name = std::move(field);
            field.clear();
            break;
        case '|':
            row.Address = std::move(field);
            field.clear();
            break;
        case ';':
            row.Port = std::move(field);
            field.clear();
            rows.push_back(std::move(row));
            row = NetTalkRow{};
            break;
        default:
            field += c;
        }
    }
    return rows;
}

std::string FormatNetTalkList(const std::vector<NetTalkRow>& rows) {
    std::string text;
    for (const NetTalkRow& r : rows)
        text += r.Name + "/" + r.Address + "|" + r.Port + ";";
    return text;
}

uint16_t NetTalkRowPort(const NetTalkRow& row, uint16_t fallback) {
    int value = 0;
    const char* end = row.Port.data() + row.Port.size();
    auto [ptr, ec] = std::from_chars(row.Port.data(), end, value);
    if (ec != std::errc() || ptr != end || value < 1 || value > 65535) return fallback;
    return static_cast<uint16_t>(value);
}

} // namespace vantrel
