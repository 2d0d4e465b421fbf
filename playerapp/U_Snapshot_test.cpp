#include "playerapp/U_Snapshot.h"

#include <gtest/gtest.h>

#include <shellapi.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace playerqz {
namespace {

std::wstring TempFolder() {
    wchar_t buf[MAX_PATH];
    ::GetTempPathW(MAX_PATH, buf);
    return std::wstring(buf) + L"playerqz_snap_" + std::to_wstring(::GetCurrentProcessId()) + L"\\";
}

void RemoveTree(const std::wstring& dir) {
    std::wstring from = dir;
    if (from.back() == L'\\') from.pop_back();
    from.push_back(L'\0');
    from.push_back(L'\0');
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NO_UI;
    ::SHFileOperationW(&op);
}

TEST(Snapshot, FolderChainIsCreatedSegmentBySegment) {
    const std::wstring base = TempFolder();
    const std::wstring deep = base + L"a\\b\\replayBmp";
    EXPECT_TRUE(ForceDirectoryChain(deep));
    EXPECT_NE(::GetFileAttributesW((deep + L"\\").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(ForceDirectoryChain(deep + L"\\")); // already there
    EXPECT_FALSE(ForceDirectoryChain(L""));
    RemoveTree(base);
}

TEST(Snapshot, FileNamesCarryPortAndTime) {
    SYSTEMTIME t{};
    t.wYear = 2026;
    t.wMonth = 12;
    t.wDay = 1;
    t.wHour = 9;
    t.wMinute = 5;
    t.wSecond = 7;
    t.wMilliseconds = 42;
    EXPECT_EQ(SnapshotFileName(0, t), L"Camera01_20261201_090507_042.bmp");
    EXPECT_EQ(SnapshotFileName(15, t), L"Camera16_20261201_090507_042.bmp");
    EXPECT_NE(ProgramFolder().find(L"\\"), std::wstring::npos);
    EXPECT_EQ(ProgramFolder().back(), L'\\');
}

LRESULT CALLBACK RedProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_ERASEBKGND) {
        RECT r;
        ::GetClientRect(w, &r);
        dvr::win::Brush red(::CreateSolidBrush(RGB(255, 0, 0)));
        ::FillRect(reinterpret_cast<HDC>(wp), &r, red.get());
        return 1;
    }
    return ::DefWindowProcW(w, m, wp, lp);
}

TEST(Snapshot, ThePanelsPixelsLandInABitmapFile) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = RedProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"PlayerQzSnapshotTest";
    ::RegisterClassW(&wc);
    HWND w = ::CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 40, 30,
                               64, 48, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(w, nullptr);
    ::UpdateWindow(w);
    for (int i = 0; i < 20; ++i) {
        MSG m;
        while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&m);
        ::Sleep(10);
    }
    const std::wstring folder = TempFolder() + L"x\\replayBmp\\";
    const std::wstring first = SaveWindowSnapshot(w, 2, folder);
    const std::wstring second = SaveWindowSnapshot(w, 2, folder);
    ::DestroyWindow(w);
    ASSERT_FALSE(first.empty());
    ASSERT_FALSE(second.empty());
    EXPECT_NE(first, second);
    EXPECT_EQ(first.rfind(folder + L"Camera03_", 0), 0u);

    std::ifstream in(first.c_str(), std::ios::binary);
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), {}};
    in.close();
    ASSERT_GE(bytes.size(), 54u);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    BITMAPINFOHEADER bih;
    std::memcpy(&bih, bytes.data() + 14, sizeof bih);
    EXPECT_EQ(bih.biWidth, 64);
    EXPECT_EQ(bih.biHeight, 48);
    EXPECT_EQ(bih.biBitCount, 24);
    const size_t stride = (64 * 3 + 3) & ~3u;
    ASSERT_EQ(bytes.size(), 54 + stride * 48);
    // The middle pixel, stored blue, green, red.
    const unsigned char* px = bytes.data() + 54 + 24 * stride + 32 * 3;
    EXPECT_EQ(px[0], 0);
    EXPECT_EQ(px[1], 0);
    EXPECT_EQ(px[2], 255);
    RemoveTree(TempFolder());
}

} // namespace
} // namespace playerqz
