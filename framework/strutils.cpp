#include "framework/strutils.h"

#include "common/gbk.h"
#include "framework/exceptions.h"

#include <cstdio>
#include <limits>

namespace dvr::fw {

namespace {

char ToUpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}
char ToLowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

template <class F> std::string MapCase(std::string_view s, F f) {
    std::string out(s);
    for (size_t i = 0; i < out.size(); ++i) {
        if (IsGbkLeadByte(uint8_t(out[i])) && i + 1 < out.size()) {
            ++i; // skip the trail byte
            continue;
        }
        out[i] = f(out[i]);
    }
    return out;
}

// Next comparable unit of s at i: an ASCII byte folded to upper case, or a whole
// two-byte character as is.
unsigned NextFolded(std::string_view s, size_t& i) {
    uint8_t b = uint8_t(s[i++]);
    if (IsGbkLeadByte(b) && i < s.size()) return (unsigned(b) << 8) | uint8_t(s[i++]);
    return uint8_t(ToUpperAscii(char(b)));
}

bool IsBlank(char c) {
    return uint8_t(c) <= 0x20;
}

} // namespace

std::string UpperCase(std::string_view s) {
    return MapCase(s, ToUpperAscii);
}
std::string LowerCase(std::string_view s) {
    return MapCase(s, ToLowerAscii);
}

int CompareText(std::string_view a, std::string_view b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        unsigned x = NextFolded(a, i), y = NextFolded(b, j);
        if (x != y) return x < y ? -1 : 1;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}

bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CompareText(a, b) == 0;
}

int CompareStr(std::string_view a, std::string_view b) {
    int r = a.compare(b);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

std::string TrimLeft(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && IsBlank(s[i]))
        ++i;
    return std::string(s.substr(i));
}

std::string TrimRight(std::string_view s) {
    size_t n = s.size();
    while (n > 0 && IsBlank(s[n - 1]))
        --n;
    return std::string(s.substr(0, n));
}

std::string Trim(std::string_view s) {
    return TrimLeft(TrimRight(s));
}

std::string IntToStr(int64_t v) {
    return std::to_string(v);
}

std::string IntToHex(uint64_t v, int digits) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    do {
        out.insert(out.begin(), hex[v & 15]);
        v >>= 4;
    } while (v);
    while (int(out.size()) < digits)
        out.insert(out.begin(), '0');
    return out;
}

bool TryStrToInt64(std::string_view s, int64_t& out) {
    size_t i = 0;
    bool neg = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) neg = s[i++] == '-';
    unsigned base = 10;
    if (i < s.size() && s[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= s.size()) return false;
    // Hexadecimal may spell the full 64-bit pattern; decimal must fit the signed range.
    const uint64_t limit = base == 16 ? std::numeric_limits<uint64_t>::max()
                                      : uint64_t(std::numeric_limits<int64_t>::max()) + neg;
    uint64_t v = 0;
    for (; i < s.size(); ++i) {
        char c = s[i];
        unsigned d;
        if (c >= '0' && c <= '9')
            d = unsigned(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f')
            d = unsigned(c - 'a' + 10);
        else if (base == 16 && c >= 'A' && c <= 'F')
            d = unsigned(c - 'A' + 10);
        else
            return false;
        if (v > (limit - d) / base) return false;
        v = v * base + d;
    }
    out = neg ? int64_t(0 - v) : int64_t(v);
    return true;
}

bool TryStrToInt(std::string_view s, int32_t& out) {
    int64_t v;
    if (!TryStrToInt64(s, v)) return false;
    bool hex = s.find_first_of("$xX") != std::string_view::npos;
    // Hexadecimal spells a 32-bit pattern ($FFFFFFFF is -1), decimal a value in range.
    if (hex && v >= 0 && v <= int64_t(UINT32_MAX)) {
        out = int32_t(uint32_t(v));
        return true;
    }
    if (v < INT32_MIN || v > INT32_MAX) return false;
    out = int32_t(v);
    return true;
}

int32_t StrToInt(std::string_view s) {
    int32_t v;
    if (!TryStrToInt(s, v))
        throw EConvertError("'" + std::string(s) + "' is not a valid integer value");
    return v;
}

int64_t StrToInt64(std::string_view s) {
    int64_t v;
    if (!TryStrToInt64(s, v))
        throw EConvertError("'" + std::string(s) + "' is not a valid integer value");
    return v;
}

int32_t StrToIntDef(std::string_view s, int32_t def) {
    int32_t v;
    return TryStrToInt(s, v) ? v : def;
}

std::u16string Utf8ToUtf16(std::string_view s) {
    std::u16string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        uint8_t b = uint8_t(s[i]);
        uint32_t cp;
        size_t n;
        if (b < 0x80) {
            cp = b;
            n = 1;
        } else if ((b & 0xE0) == 0xC0) {
            cp = b & 0x1F;
            n = 2;
        } else if ((b & 0xF0) == 0xE0) {
            cp = b & 0x0F;
            n = 3;
        } else if ((b & 0xF8) == 0xF0) {
            cp = b & 0x07;
            n = 4;
        } else {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        bool ok = i + n <= s.size();
        for (size_t k = 1; ok && k < n; ++k) {
            uint8_t c = uint8_t(s[i + k]);
            if ((c & 0xC0) != 0x80)
                ok = false;
            else
                cp = (cp << 6) | (c & 0x3F);
        }
        static const uint32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
        if (!ok || cp < kMin[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        i += n;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(char16_t(0xD800 + (cp >> 10)));
            out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(char16_t(cp));
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view w) {
    std::string out;
    out.reserve(w.size());
    for (size_t i = 0; i < w.size(); ++i) {
        uint32_t cp = w[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < w.size() && w[i + 1] >= 0xDC00 &&
            w[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (w[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD; // lone surrogate
        }
        if (cp < 0x80) {
            out.push_back(char(cp));
        } else if (cp < 0x800) {
            out.push_back(char(0xC0 | (cp >> 6)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(char(0xE0 | (cp >> 12)));
            out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(char(0xF0 | (cp >> 18)));
            out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

std::string Utf8ToGbk(std::string_view utf8) {
    return Utf16ToGbk(Utf8ToUtf16(utf8));
}

} // namespace dvr::fw
