// String helpers. The framework's strings are std::string holding GBK (code page 936,
// which is also the programs' ANSI code page); wide strings are UTF-16.
// Case changes and case-blind comparisons touch ASCII letters only and never the
// second byte of a two-byte GBK character (which may fall in the ASCII letter range).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace dvr::fw {

// Conversions. GBK <-> UTF-16 uses the platform's code page 936 tables; an unmappable
// character becomes '?'. UTF-8 <-> UTF-16 is exact; invalid UTF-8 becomes U+FFFD.
std::u16string GbkToUtf16(std::string_view gbk);
std::string Utf16ToGbk(std::u16string_view wide);
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view wide);
// Fixed texts written in the UTF-8 sources, as GBK.
std::string Utf8ToGbk(std::string_view utf8);

// Case.
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);
// <0, 0, >0 like strcmp, ignoring ASCII case.
int CompareText(std::string_view a, std::string_view b);
bool SameText(std::string_view a, std::string_view b);
// Byte-wise comparison, case-sensitive.
int CompareStr(std::string_view a, std::string_view b);

// Trimming of spaces and control characters (bytes up to 0x20).
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);

// Numbers. Integers are decimal with an optional sign, or hexadecimal after "$" or "0x";
// surrounding spaces are refused like any other stray character.
std::string IntToStr(int64_t v);
// Upper-case hexadecimal, at least `digits` digits.
std::string IntToHex(uint64_t v, int digits);
bool TryStrToInt(std::string_view s, int32_t& out);
bool TryStrToInt64(std::string_view s, int64_t& out);
// Raises EConvertError for text that is not a 32-bit integer.
int32_t StrToInt(std::string_view s);
int64_t StrToInt64(std::string_view s);
int32_t StrToIntDef(std::string_view s, int32_t def);

} // namespace dvr::fw
