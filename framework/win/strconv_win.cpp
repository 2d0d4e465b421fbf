// GBK <-> UTF-16 through the system's code page 936 tables.
#include "framework/strutils.h"

#include "common/win/textconv.h"

namespace dvr::fw {

std::u16string GbkToUtf16(std::string_view gbk) {
    std::wstring w = win::GbkToWide(gbk);
    return std::u16string(w.begin(), w.end());
}

std::string Utf16ToGbk(std::u16string_view wide) {
    return win::WideToGbk(std::wstring(wide.begin(), wide.end()));
}

} // namespace dvr::fw
