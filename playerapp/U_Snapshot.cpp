#include "playerapp/U_Snapshot.h"

#include <cstdio>
#include <vector>

namespace playerqz {

bool ForceDirectoryChain(std::wstring path) {
    if (path.empty()) return false;
    if (path.back() != L'\\') path += L'\\';
    for (size_t end = path.find(L'\\'); end != std::wstring::npos;
         end = path.find(L'\\', end + 1)) {
        const std::wstring segment = path.substr(0, end + 1);
        const DWORD a = ::GetFileAttributesW(segment.c_str());
        if (a != INVALID_FILE_ATTRIBUTES) continue;
        ::CreateDirectoryW(segment.c_str(), nullptr);
    }
    const DWORD a = ::GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring ProgramFolder() {
    std::wstring p(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, p.data(), static_cast<DWORD>(p.size()));
        if (n < p.size()) {
            p.resize(n);
            break;
        }
        p.resize(p.size() * 2);
    }
    return p.substr(0, p.find_last_of(L'\\') + 1);
}

dvr::win::Bitmap CaptureScreenRect(const RECT& rect) {
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;
    if (w <= 0 || h <= 0) return {};
    dvr::win::WindowDc screen(nullptr);
    dvr::win::Bitmap bmp(::CreateCompatibleBitmap(screen.get(), w, h));
    dvr::win::MemoryDc mem(::CreateCompatibleDC(screen.get()));
    if (!bmp || !mem) return {};
    dvr::win::SelectObjectScope select(mem.get(), bmp.get());
    ::BitBlt(mem.get(), 0, 0, w, h, screen.get(), rect.left, rect.top, SRCCOPY);
    return bmp;
}

bool SaveBitmapFile(HBITMAP bitmap, const std::wstring& path) {
    BITMAP info{};
    if (!::GetObjectW(bitmap, sizeof info, &info)) return false;
    BITMAPINFOHEADER bih{};
    bih.biSize = sizeof bih;
    bih.biWidth = info.bmWidth;
    bih.biHeight = info.bmHeight; // bottom-up
    bih.biPlanes = 1;
    bih.biBitCount = 24;
    bih.biCompression = BI_RGB;
    const DWORD stride = (static_cast<DWORD>(info.bmWidth) * 3 + 3) & ~3u;
    bih.biSizeImage = stride * info.bmHeight;
    std::vector<BYTE> pixels(bih.biSizeImage);
    {
        dvr::win::WindowDc screen(nullptr);
        if (::GetDIBits(screen.get(), bitmap, 0, info.bmHeight, pixels.data(),
                        reinterpret_cast<BITMAPINFO*>(&bih), DIB_RGB_COLORS) != info.bmHeight)
            return false;
    }
    BITMAPFILEHEADER bfh{};
    bfh.bfType = 0x4D42; // "BM"
    bfh.bfOffBits = sizeof bfh + sizeof bih;
    bfh.bfSize = bfh.bfOffBits + bih.biSizeImage;
    dvr::win::File f(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) return false;
    DWORD done = 0;
    bool ok = ::WriteFile(f.get(), &bfh, sizeof bfh, &done, nullptr) && done == sizeof bfh;
    ok = ok && ::WriteFile(f.get(), &bih, sizeof bih, &done, nullptr) && done == sizeof bih;
    ok = ok && ::WriteFile(f.get(), pixels.data(), bih.biSizeImage, &done, nullptr) &&
         done == bih.biSizeImage;
    return ok;
}

std::wstring SnapshotFileName(int port, const SYSTEMTIME& t) {
    wchar_t name[64];
    std::swprintf(name, 64, L"Camera%02d_%04u%02u%02u_%02u%02u%02u_%03u.bmp", port + 1, t.wYear,
                  t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
    return name;
}

std::wstring SaveWindowSnapshot(HWND window, int port, const std::wstring& folder) {
    RECT r{};
    if (!::GetClientRect(window, &r)) return {};
    ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    dvr::win::Bitmap bmp = CaptureScreenRect(r);
    if (!bmp || !ForceDirectoryChain(folder)) return {};
    std::wstring dir = folder;
    if (dir.back() != L'\\') dir += L'\\';
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    std::wstring path = dir + SnapshotFileName(port, now);
    // Two snapshots within one millisecond keep both pictures.
    for (int n = 2; ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; ++n) {
        std::wstring name = SnapshotFileName(port, now);
        path = dir + name.insert(name.size() - 4, L"_" + std::to_wstring(n));
    }
    return SaveBitmapFile(bmp.get(), path) ? path : std::wstring();
}

} // namespace playerqz
