// The project's Wine prefix: every font face the programs ask for draws Chinese characters
// (a face without the glyphs draws the same empty box for every one of them), and the
// drive of the Linux root is never a fixed drive that recordings could spill onto.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

struct GlyphCanvas {
    static constexpr int kSize = 48;
    HDC dc = ::CreateCompatibleDC(nullptr);
    HBITMAP bitmap = nullptr;
    uint32_t* bits = nullptr;
    GlyphCanvas() {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = kSize;
        bi.bmiHeader.biHeight = -kSize;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        void* p = nullptr;
        bitmap = ::CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
        bits = static_cast<uint32_t*>(p);
        ::SelectObject(dc, bitmap);
    }
    ~GlyphCanvas() {
        ::DeleteDC(dc);
        ::DeleteObject(bitmap);
    }
    // The pixels of one character drawn black on white in the font.
    std::vector<uint32_t> Draw(HFONT font, const wchar_t* text) {
        RECT r{0, 0, kSize, kSize};
        ::FillRect(dc, &r, HBRUSH(::GetStockObject(WHITE_BRUSH)));
        HGDIOBJ old = ::SelectObject(dc, font);
        ::SetTextColor(dc, RGB(0, 0, 0));
        ::SetBkMode(dc, TRANSPARENT);
        ::TextOutW(dc, 4, 4, text, int(wcslen(text)));
        ::GdiFlush();
        ::SelectObject(dc, old);
        return std::vector<uint32_t>(bits, bits + kSize * kSize);
    }
};

int Differing(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    int n = 0;
    for (size_t i = 0; i < a.size(); ++i)
        n += (a[i] & 0xFFFFFF) != (b[i] & 0xFFFFFF);
    return n;
}

int Inked(const std::vector<uint32_t>& a) {
    int n = 0;
    for (uint32_t p : a)
        n += (p & 0xFFFFFF) != 0xFFFFFF;
    return n;
}

TEST(PrefixFonts, EveryFaceTheProgramsUseDrawsChineseCharacters) {
    // Faces named by the framework, the forms, the skins and the player, and the face
    // behind the default GUI font.
    const std::vector<std::wstring> faces = {
        L"MS Sans Serif", L"MS Shell Dlg", L"MS Shell Dlg 2", L"Tahoma", L"SimSun", L"宋体",
        L"NSimSun", L"SimHei", L"Arial", L"Times New Roman", L"Microsoft Sans Serif", L"System",
        L"Default"};
    GlyphCanvas canvas;
    for (const std::wstring& face : faces) {
        SCOPED_TRACE(std::string(face.begin(), face.end()));
        for (int charset : {DEFAULT_CHARSET, GB2312_CHARSET, ANSI_CHARSET}) {
            SCOPED_TRACE(charset);
            HFONT font = ::CreateFontW(-24, 0, 0, 0, FW_NORMAL, 0, 0, 0, DWORD(charset), 0, 0, 0,
                                       0, face.c_str());
            ASSERT_NE(font, nullptr);
            auto tong = canvas.Draw(font, L"通");
            auto dao = canvas.Draw(font, L"道");
            ::DeleteObject(font);
            EXPECT_GT(Inked(tong), 20);
            EXPECT_GT(Differing(tong, dao), 40) << "the two characters draw alike";
        }
    }
    HFONT gui = HFONT(::GetStockObject(DEFAULT_GUI_FONT));
    auto tong = canvas.Draw(gui, L"通");
    auto dao = canvas.Draw(gui, L"道");
    EXPECT_GT(Differing(tong, dao), 20) << "default GUI font";
}

TEST(PrefixDrives, TheLinuxRootIsNoFixedDrive) {
    // Recordings walk the fixed drives D: to Z:; the root of the machine is never one of them.
    wchar_t root[] = L"D:\\";
    for (wchar_t letter = L'D'; letter <= L'Z'; ++letter) {
        root[0] = letter;
        wchar_t target[MAX_PATH] = {};
        wchar_t device[] = L"D:";
        device[0] = letter;
        if (!::QueryDosDeviceW(device, target, MAX_PATH)) continue;
        if (::GetDriveTypeW(root) != DRIVE_FIXED) continue;
        // A fixed drive must not show the Linux root's own folders.
        std::wstring probe = std::wstring(root) + L"proc\\self";
        std::wstring etc = std::wstring(root) + L"etc\\passwd";
        EXPECT_FALSE(::GetFileAttributesW(probe.c_str()) != INVALID_FILE_ATTRIBUTES &&
                     ::GetFileAttributesW(etc.c_str()) != INVALID_FILE_ATTRIBUTES)
            << "drive " << char(letter) << ": is the Linux root";
    }
}

} // namespace
