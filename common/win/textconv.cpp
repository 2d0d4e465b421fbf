#include "common/win/textconv.h"

#include <windows.h>

namespace dvr::win {
namespace {

std::wstring ToWide(unsigned cp, std::string_view s) {
    if (s.empty()) return {};
    int n = ::MultiByteToWideChar(cp, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) ::MultiByteToWideChar(cp, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
    return out;
}

std::string FromWide(unsigned cp, std::wstring_view w) {
    if (w.empty()) return {};
    int n = ::WideCharToMultiByte(cp, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr,
                                  nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        ::WideCharToMultiByte(cp, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr,
                              nullptr);
    return out;
}

} // namespace

std::wstring GbkToWide(std::string_view gbk) { return ToWide(kGbkCodePage, gbk); }
std::string WideToGbk(std::wstring_view wide) { return FromWide(kGbkCodePage, wide); }
std::wstring Utf8ToWide(std::string_view utf8) { return ToWide(CP_UTF8, utf8); }
std::string WideToUtf8(std::wstring_view wide) { return FromWide(CP_UTF8, wide); }
std::string Utf8ToGbk(std::string_view utf8) { return WideToGbk(Utf8ToWide(utf8)); }

} // namespace dvr::win
