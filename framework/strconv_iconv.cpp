// GBK <-> UTF-16 through glibc's iconv (the native tree has no Win32 code pages).
#include "framework/strutils.h"

#include <cerrno>
#include <iconv.h>

namespace dvr::fw {

namespace {

// Converts with iconv; a sequence it cannot convert becomes `bad` in the target and
// the input moves on by `skip` bytes.
std::string Convert(const char* to, const char* from, std::string_view in, std::string_view bad,
                    size_t skip) {
    iconv_t cd = iconv_open(to, from);
    if (cd == iconv_t(-1)) return {};
    std::string out;
    char* src = const_cast<char*>(in.data());
    size_t left = in.size();
    char buf[256];
    while (left > 0) {
        char* dst = buf;
        size_t room = sizeof buf;
        size_t r = iconv(cd, &src, &left, &dst, &room);
        out.append(buf, size_t(dst - buf));
        if (r == size_t(-1) && errno != E2BIG) {
            out.append(bad);
            size_t n = skip < left ? skip : left;
            src += n;
            left -= n;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(cd);
    return out;
}

} // namespace

std::u16string GbkToUtf16(std::string_view gbk) {
    std::string bytes = Convert("UTF-16LE", "CP936", gbk, std::string("\x3F\x00", 2), 1);
    std::u16string out(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = char16_t(uint8_t(bytes[2 * i]) | (uint8_t(bytes[2 * i + 1]) << 8));
    return out;
}

std::string Utf16ToGbk(std::u16string_view wide) {
    std::string bytes;
    bytes.reserve(wide.size() * 2);
    for (char16_t c : wide) {
        bytes.push_back(char(c & 0xFF));
        bytes.push_back(char(c >> 8));
    }
    return Convert("CP936", "UTF-16LE", bytes, "?", 2);
}

} // namespace dvr::fw
