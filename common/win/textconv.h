// Conversion between the GBK bytes of records and the UTF-16 of the wide Win32 API.
// Always code page 936, whatever the machine's ANSI code page.
#pragma once

#include <string>
#include <string_view>

namespace dvr::win {

constexpr unsigned kGbkCodePage = 936;

std::wstring GbkToWide(std::string_view gbk);
std::string WideToGbk(std::wstring_view wide);
std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);
// UTF-8 source text to GBK bytes, for the system's fixed Chinese texts.
std::string Utf8ToGbk(std::string_view utf8);

} // namespace dvr::win
