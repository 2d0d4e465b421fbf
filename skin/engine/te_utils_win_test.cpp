#include "skin/engine/te_utils_win.h"

#include "common/win/handles.h"
#include "skin/engine/te_bitmap_win.h"
#include "skin/engine/te_effect_win.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace dvr::skin {
namespace {

// Drawing lands in a bitmap's pixels: GDI writes colour bytes into the DIB section.
struct Surface {
    Surface(int w, int h, TteColor fill = 0xFFFFFFFF) {
        b.SetSize(w, h);
        b.FillColor(fill);
    }
    HDC dc() { return BitmapDC(b); }
    uint32_t Rgb(int x, int y) {
        ::GdiFlush();
        return b.GetPixel(x, y) & 0xFFFFFF;
    }
    TteBitmap b;
};

TEST(DrawingHelpers, FramesBevelsAndFills) {
    Surface s(10, 10);
    DrawBevelFrame(s.dc(), TRect{1, 1, 6, 6}, fw::clRed, fw::clBlue);
    EXPECT_EQ(s.Rgb(1, 1), 0xFF0000u);
    EXPECT_EQ(s.Rgb(1, 4), 0xFF0000u);
    EXPECT_EQ(s.Rgb(4, 1), 0xFF0000u);
    EXPECT_EQ(s.Rgb(5, 1), 0x0000FFu); // top-right: the bottom-right colour
    EXPECT_EQ(s.Rgb(1, 5), 0x0000FFu); // bottom-left likewise
    EXPECT_EQ(s.Rgb(5, 5), 0x0000FFu);
    EXPECT_EQ(s.Rgb(3, 3), 0xFFFFFFu);
    FillRectColor(s.dc(), TRect{2, 2, 4, 4}, fw::clLime);
    EXPECT_EQ(s.Rgb(3, 3), 0x00FF00u);
    EXPECT_EQ(s.Rgb(4, 4), 0xFFFFFFu);
    DrawFrameRect(s.dc(), TRect{6, 6, 10, 10}, fw::clBlack);
    EXPECT_EQ(s.Rgb(6, 9), 0u);
    EXPECT_EQ(s.Rgb(8, 8), 0xFFFFFFu);
    FillPolygonColor(s.dc(), {{0, 7}, {3, 7}, {3, 9}}, fw::clRed);
    EXPECT_EQ(s.Rgb(2, 8), 0xFF0000u);
    EXPECT_TRUE(PointInPolygon({1, 1}, {{0, 0}, {4, 0}, {4, 4}, {0, 4}}));
    EXPECT_FALSE(PointInPolygon({5, 1}, {{0, 0}, {4, 0}, {4, 4}, {0, 4}}));
}

TEST(DrawingHelpers, GradientBands) {
    Surface s(1000, 2);
    FillGradientRect(s.dc(), TRect{0, 0, 100, 1}, fw::TColor(0), fw::TColor(0xFF), false);
    // One band per pixel, from the start colour to one step short of the end colour.
    EXPECT_EQ(s.Rgb(0, 0), 0x000000u);
    for (int x = 0; x < 100; ++x)
        EXPECT_EQ(s.Rgb(x, 0) >> 16, uint32_t(RoundEven(x * 255.0 / 100))) << x;
    EXPECT_EQ(s.Rgb(100, 0), 0xFFFFFFu);
    FillGradientRect(s.dc(), TRect{0, 1, 1000, 2}, fw::TColor(0), fw::TColor(0xFF), false);
    // 255 bands of 3 or 4 pixels.
    int bands = 1, run = 1, shortest = 1000, longest = 0;
    for (int x = 1; x < 1000; ++x) {
        if (s.Rgb(x, 1) != s.Rgb(x - 1, 1)) {
            ++bands;
            shortest = std::min(shortest, run);
            longest = std::max(longest, run);
            run = 1;
        } else {
            ++run;
        }
    }
    EXPECT_EQ(bands, 255);
    EXPECT_GE(shortest, 3);
    EXPECT_LE(longest, 4);
    FillGradientRect(s.dc(), TRect{5, 0, 5, 2}, fw::clRed, fw::clRed, true); // empty: nothing
}

TEST(DrawingHelpers, CheckerClipsNegativeCorner) {
    Surface s(8, 8);
    FillCheckerRect(s.dc(), TRect{-3, -3, 5, 5}, fw::clBlack, fw::clWhite);
    EXPECT_EQ(s.Rgb(0, 0), 0xFFFFFFu); // both even: Color2
    EXPECT_EQ(s.Rgb(1, 0), 0x000000u);
    EXPECT_EQ(s.Rgb(1, 1), 0xFFFFFFu);
    EXPECT_EQ(s.Rgb(4, 3), 0x000000u);
    EXPECT_EQ(s.Rgb(5, 4), 0xFFFFFFu); // outside: untouched
    EXPECT_EQ(s.Rgb(4, 5), 0xFFFFFFu);
    EXPECT_EQ(s.Rgb(6, 7), 0xFFFFFFu);
}

TEST(DrawingHelpers, GlyphsAndShadows) {
    Surface s(20, 20);
    DrawFrameControlColored(s.dc(), TRect{2, 2, 18, 18}, DFC_MENU, DFCS_MENUCHECK, fw::clRed);
    int red = 0, other = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) {
            uint32_t c = s.Rgb(x, y);
            if (c == 0xFF0000u)
                ++red;
            else if (c != 0xFFFFFFu)
                ++other;
        }
    EXPECT_GT(red, 0);
    EXPECT_EQ(other, 0);

    // Caption glyphs are shapes, not the symbol font's letters: the close glyph crosses
    // in the middle and reaches its box's four corners; the minimize glyph leaves the
    // middle empty.
    Surface x(24, 24);
    DrawFrameControlColored(x.dc(), TRect{0, 0, 24, 24}, DFC_CAPTION, DFCS_CAPTIONCLOSE,
                            fw::clRed);
    TRect ink{24, 24, 0, 0};
    for (int y = 3; y < 21; ++y)
        for (int c = 3; c < 21; ++c)
            if (x.Rgb(c, y) == 0xFF0000u)
                ink = TRect{std::min(ink.Left, c), std::min(ink.Top, y), std::max(ink.Right, c + 1),
                            std::max(ink.Bottom, y + 1)};
    ASSERT_GE(ink.Width(), 5);
    EXPECT_TRUE(x.Rgb(11, 11) == 0xFF0000u || x.Rgb(12, 12) == 0xFF0000u ||
                x.Rgb(11, 12) == 0xFF0000u || x.Rgb(12, 11) == 0xFF0000u);
    for (TPoint corner : {TPoint{ink.Left, ink.Top}, TPoint{ink.Right - 1, ink.Top},
                          TPoint{ink.Left, ink.Bottom - 1}, TPoint{ink.Right - 1, ink.Bottom - 1}})
        EXPECT_EQ(x.Rgb(corner.X, corner.Y), 0xFF0000u) << corner.X << "," << corner.Y;
    Surface m(24, 24);
    DrawFrameControlColored(m.dc(), TRect{0, 0, 24, 24}, DFC_CAPTION, DFCS_CAPTIONMIN, fw::clRed);
    for (int y = 9; y < 14; ++y)
        for (int c = 9; c < 14; ++c) EXPECT_NE(m.Rgb(c, y), 0xFF0000u);

    TteBitmap glyph;
    glyph.SetSize(3, 1);
    glyph.SetPixel(0, 0, KeyColor);
    glyph.SetPixel(1, 0, 0xFF123456);
    glyph.SetPixel(2, 0, 0xFF7C027D); // near the key: transparent too
    Surface t(3, 1);
    DrawBitmapShadow(t.dc(), 0, 0, glyph, fw::clBlack);
    EXPECT_EQ(t.Rgb(0, 0), 0xFFFFFFu);
    EXPECT_EQ(t.Rgb(1, 0), PixelRoutines.PixelBlend(0x64000000, 0xFFFFFFFF) & 0xFFFFFF);
    EXPECT_EQ(t.Rgb(2, 0), 0xFFFFFFu);
}

TEST(DrawingHelpers, TextVerticalTextAndEllipsis) {
    Surface s(40, 60);
    win::Font font(
        ::CreateFontW(-16, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
    win::SelectObjectScope use(s.dc(), font.get());
    int h = DrawVerticalText(s.dc(), L"IIII", TRect{0, 0, 40, 60}, DT_LEFT | DT_TOP | DT_SINGLELINE,
                             true);
    EXPECT_GT(h, 0);
    // Clockwise: the first line sits at the right edge, reading downwards.
    int rightInk = 0, leftInk = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 40; ++x)
            if (s.Rgb(x, y) == 0) (x >= 20 ? rightInk : leftInk)++;
    EXPECT_GT(rightInk, 0);
    EXPECT_EQ(leftInk, 0);

    std::wstring fit;
    FitTextWithEllipsis(s.dc(), L"abc", 1000, fit);
    EXPECT_EQ(fit, L"abc");
    FitTextWithEllipsis(s.dc(), L"abcdefghijklmnop", 1, fit);
    EXPECT_EQ(fit, L"...");
    int wide = WideTextWidth(s.dc(), L"abcdefgh", 0);
    FitTextWithEllipsis(s.dc(), L"abcdefghijklmnop", wide, fit);
    EXPECT_LT(fit.size(), 16u);
    EXPECT_EQ(fit.substr(fit.size() - 3), L"...");
    EXPECT_LE(WideTextWidth(s.dc(), fit, 0), wide);
    EXPECT_EQ(WideTextWidth(s.dc(), L"abc", DT_SINGLELINE), WideTextWidth(s.dc(), L"abc", 0));
    EXPECT_GT(WideTextHeight(s.dc(), L"abc"), 0);
    Surface t(60, 20);
    EXPECT_GT(DrawWideText(t.dc(), L"\u4e2d\u6587", TRect{0, 0, 60, 20}, DT_SINGLELINE), 0);
}

TEST(DrawingHelpers, RegionsCaptureAndKeyboard) {
    TteBitmap b;
    b.SetSize(6, 4);
    b.FillColor(KeyColor);
    for (int x = 1; x < 4; ++x)
        b.SetPixel(x, 2, 0xFF000000);
    win::Region rgn(CreateRegionFromBitmap(b, 10, 20));
    ASSERT_TRUE(rgn);
    RECT box{};
    ::GetRgnBox(rgn.get(), &box);
    EXPECT_EQ(box.left, 11);
    EXPECT_EQ(box.top, 22);
    EXPECT_EQ(box.right, 14);
    EXPECT_EQ(box.bottom, 23);

    HWND a = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                               nullptr);
    HWND other = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                   nullptr, nullptr);
    BeginMouseCapture(a);
    BeginMouseCapture(other); // inner: neither captures nor changes the window
    EXPECT_EQ(CaptureWindow(), a);
    EXPECT_EQ(::GetCapture(), a);
    EndMouseCapture();
    EXPECT_EQ(::GetCapture(), a);
    EndMouseCapture();
    EXPECT_EQ(CaptureWindow(), nullptr);
    EXPECT_EQ(::GetCapture(), nullptr);
    EndMouseCapture(); // unbalanced: ignored
    ::DestroyWindow(a);
    ::DestroyWindow(other);

    int delay = GetKeyboardDelayMs();
    EXPECT_TRUE(delay == 200 || delay == 400 || delay == 600 || delay == 800) << delay;
    int repeat = GetKeyboardRepeatMs();
    EXPECT_GE(repeat, 14);
    EXPECT_LE(repeat, 435);
}

TEST(Effects, ExecuteAnimationEndsOnTheNewPicture) {
    TteBitmap from, to;
    from.SetSize(40, 30);
    from.FillColor(0xFF0000FF);
    to.SetSize(40, 30);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            to.SetPixel(x, y, 0xFF000000u | uint32_t(x * 6) << 8 | uint32_t(y * 8));
    Surface screen(50, 40, 0xFFFFFFFF);
    for (const char* name :
         {"CircleSmoothIn", "Push", "Interlace", "[ RANDOM ] - Random selection"}) {
        TteAnimationRec a;
        a.SetEffect(name);
        a.SetTime(120);
        EXPECT_FALSE(ExecuteAnimation(screen.dc(), 5, 6, &from, &to, &a));
        EXPECT_FALSE(AnyAnimationActive());
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x)
                ASSERT_EQ(screen.Rgb(5 + x, 6 + y), to.GetPixel(x, y) & 0xFFFFFF) << name;
        EXPECT_EQ(screen.Rgb(0, 0), 0xFFFFFFu);
    }
    // Nothing to animate: returns at once.
    TteAnimationRec none;
    none.SetEffect("nothing of that name");
    EXPECT_FALSE(ExecuteAnimation(screen.dc(), 0, 0, &from, &to, &none));
}

} // namespace
} // namespace dvr::skin
