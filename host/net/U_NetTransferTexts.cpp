#include "host/net/U_NetTransferTexts.h"

#include <string>

#include "common/gbk.h"

namespace vantrel {

std::string BuildFileTransferHeader(int64_t size, std::string_view name) {
    return std::to_string(size) + ";" + std::string(name);
}

bool ParseFileTransferHeader(std::string_view text, int32_t& size, std::string& name) {
    const size_t semi = text.find(';');
    if (semi == std::string_view::npos) return false;
    const std::string_view digits = text.substr(0, semi);
    if (digits.empty() || digits.size() > 10) return false;
    int64_t v = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (v > INT32_MAX) return false;
    size = static_cast<int32_t>(v);
    name = std::string(text.substr(semi + 1));
    return true;
}

std::string BuildChatMessage(std::string_view dateTime, std::string_view nickname,
                             std::string_view text) {
    std::string m = "(";
    m.append(dateTime).append(")   ").append(nickname).append("\r\n");
    m.append(text).append("\r\n");
    return m;
}

bool IsWindowsDeviceName(std::string_view name) {
    // The part before the first dot, blanks at its end ignored, names a device whatever the
    // extension: "nul.txt" and "COM1 .dll" are devices too.
    std::string base(name.substr(0, name.find('.')));
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    for (char& c : base)
        if (c >= 'a' && c <= 'z') c = char(c - 32);
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL" || base == "CONIN$" ||
        base == "CONOUT$")
        return true;
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
           base[3] >= '1' && base[3] <= '9';
}

bool IsPlainUpgradeName(std::string_view name) {
    if (name.empty() || name.size() > 200 || name == "." || name == "..") return false;
    if (IsWindowsDeviceName(name)) return false;
    for (size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        const unsigned char u = static_cast<unsigned char>(c);
        // The second byte of a two-byte character may look like a separator.
        if (dvr::IsGbkLeadByte(u) && i + 1 < name.size()) {
            ++i;
            continue;
        }
        if (u < 0x20 || c == '\\' || c == '/' || c == ':' || c == '*' || c == '?' || c == '"' ||
            c == '<' || c == '>' || c == '|')
            return false;
    }
    // A trailing dot or blank names another file on Windows.
    return name.back() != '.' && name.back() != ' ';
}

} // namespace vantrel
