// A small theme with a file form, for the manager and engine tests: "TST1", then the
// title as a length-prefixed string; files "*.tst".
#pragma once

#include "framework/ui/graphics.h"
#include "skin/engine/te_theme.h"
#include "skin/engine/te_utils.h"

#include <mutex>
#include <string>
#include <vector>

namespace dvr::skin::testing {

class TTestFileTheme : public TteTheme {
    TE_THEME_CLASS(TTestFileTheme, TteTheme)
public:
    TTestFileTheme() { ++Live; }
    ~TTestFileTheme() override { --Live; }
    static inline int Live = 0;

    static std::string GetThemeName() { return "TestFile"; }
    static void GetThemeOptions(TteThemeOptions& o) {
        o = TteThemeOptions{};
        o.HasFileFormat = 1;
        o.FileFilter = "Test themes (*.TST)|*.TST";
        o.DefaultExtension = "tst";
    }
    static bool CanLoadFromStream(fw::TStream& s) {
        char magic[4] = {};
        return s.Read(magic, 4) == 4 && std::string(magic, 4) == "TST1";
    }
    bool LoadFromStream(fw::TStream& s) override {
        char magic[4] = {};
        if (s.Read(magic, 4) != 4 || std::string(magic, 4) != "TST1") return false;
        ReadString(s, Title);
        return !Title.empty();
    }
    bool SaveToStream(fw::TStream& s) override {
        s.WriteBuffer("TST1", 4);
        WriteString(s, Title);
        return true;
    }
    bool LoadFromFile(const std::string& FileName) override;
};

// Registered once for the test program.
inline void RegisterTestThemes() {
    static std::once_flag once;
    std::call_once(once, [] { RegisterThemeClass(TTestFileTheme::StaticClass()); });
}

// Bytes of a test theme stream titled Title.
std::string TestThemeBytes(const std::string& Title);
// Writes Bytes to a file (GBK name) and answers whether it worked.
bool WriteFileBytes(const std::string& Name, const std::string& Bytes);

// Hears TM_THEMECHANGE: a plain component and a control.
class TThemeListener : public fw::TComponent {
    FW_CLASS(TThemeListener, fw::TComponent)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(TM_THEMECHANGE, TMThemeChange)
    FW_MESSAGES_END
public:
    explicit TThemeListener(fw::TComponent* AOwner = nullptr) : fw::TComponent(AOwner) {}
    ~TThemeListener() override { RemoveThemeNotification(this); }
    std::vector<std::pair<int, intptr_t>> Codes;
    void TMThemeChange(fw::TMessage& M) {
        Codes.push_back({int(M.WParam), M.LParam});
        M.Result = 77;
    }
};

class TThemedSwatch : public fw::TGraphicControl {
    FW_CLASS(TThemedSwatch, fw::TGraphicControl)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(TM_THEMECHANGE, TMThemeChange)
    FW_MESSAGES_END
public:
    explicit TThemedSwatch(fw::TComponent* AOwner = nullptr) : fw::TGraphicControl(AOwner) {}
    ~TThemedSwatch() override { RemoveThemeNotification(this); }
    std::vector<int> Codes;
    void TMThemeChange(fw::TMessage& M) { Codes.push_back(int(M.WParam)); }
};

// A 32-bit bitmap to paint on, cleared to a colour no theme uses.
struct TPaintTarget {
    fw::TBitmap Bitmap;
    explicit TPaintTarget(int W = 120, int H = 80, fw::TColor Clear = 0x123456) {
        Bitmap.SetPixelFormat(fw::TPixelFormat::pf32bit);
        Bitmap.SetSize(W, H);
        Bitmap.Canvas()->Brush()->SetColor(Clear);
        Bitmap.Canvas()->FillRect(TRect{0, 0, W, H});
    }
    fw::TCanvas& Canvas() { return *Bitmap.Canvas(); }
    fw::TColor At(int X, int Y) { return Bitmap.Canvas()->Pixels(X, Y); }
    // How many pixels of Rect have Color.
    int Count(TRect R, fw::TColor Color) {
        int n = 0;
        for (int y = R.Top; y < R.Bottom; ++y)
            for (int x = R.Left; x < R.Right; ++x)
                n += At(x, y) == Color;
        return n;
    }
};

} // namespace dvr::skin::testing
