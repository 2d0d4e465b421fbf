#include "player/lib/win_file.h"

#include <algorithm>

#include "common/win/textconv.h"

namespace dvr::strovid {

size_t Win32FileView::Read(void* dst, size_t n) {
    auto* out = static_cast<uint8_t*>(dst);
    size_t total = 0;
    while (total < n) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(n - total, 1u << 30));
        DWORD got = 0;
        if (!::ReadFile(h_, out + total, chunk, &got, nullptr) || got == 0) break;
        total += got;
    }
    return total;
}

bool Win32FileView::Seek(uint64_t pos) {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(pos);
    return ::SetFilePointerEx(h_, to, nullptr, FILE_BEGIN) != 0;
}

uint64_t Win32FileView::Tell() {
    LARGE_INTEGER zero{}, now{};
    if (!::SetFilePointerEx(h_, zero, &now, FILE_CURRENT)) return 0;
    return static_cast<uint64_t>(now.QuadPart);
}

uint64_t Win32FileView::Size() {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(h_, &size)) return 0;
    return static_cast<uint64_t>(size.QuadPart);
}

bool Win32File::Open(const std::string& path) {
    Close();
    file_.reset(::CreateFileW(win::GbkToWide(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    h_ = file_.get();
    return IsOpen();
}

void Win32File::Close() {
    file_.reset();
    h_ = INVALID_HANDLE_VALUE;
}

} // namespace dvr::strovid
