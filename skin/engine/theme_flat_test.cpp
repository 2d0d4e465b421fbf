#include "skin/engine/theme_flat.h"

#include "skin/engine/te_pixels.h"
#include "skin/engine/te_theme_test_support.h"
#include "skin/engine/theme_officexp.h"

#include <gtest/gtest.h>

namespace dvr::skin {
namespace {

using testing::TPaintTarget;

const std::string d = "default";

TColor Face() {
    return TColor(::GetSysColor(COLOR_BTNFACE));
}
TColor Hilight() {
    return TColor(::GetSysColor(COLOR_HIGHLIGHT));
}
TColor Shift(TColor c, int delta) {
    return PixelToColor(ShiftRGB(ColorToPixel(c, 255), delta));
}

TEST(FlatTheme, ColoursAndFontsAsTheThemesGiveThem) {
    TTeFlatTheme flat;
    TTeOfficeXPTheme xp;
    EXPECT_EQ(flat.Title, "Default theme");
    EXPECT_EQ(flat.LightDelta, 70);
    EXPECT_EQ(flat.DarkDelta, -70);
    EXPECT_EQ(flat.MenuGutterWidth, 0);
    EXPECT_EQ(xp.MenuGutterWidth, 23);

    struct Case {
        int entry;
        TColor flat, xp;
    } cases[] = {
        {ktcCaptionNormal, 0x9CDEF7, 0xFF0000}, {ktcCaptionInactive, Face(), Face()},
        {ktcWindowBorder, 0x808080, 0x808080},  {ktcWindow, Face(), Face()},
        {ktcBorder, 0x8396A0, Hilight()},       {ktcPanelNormal, Face(), Face()},
        {ktcButtonNormal, Face(), Face()},      {ktcButtonHot, 0xE1EAEB, 0xD2BDB6},
        {ktcButtonPressed, Face(), Face()},     {ktcButtonFocused, 0x996633, 0xB59285},
        {ktcButtonDisabled, Face(), Face()},    {ktcEditNormal, 0xFFFFFF, 0xFFFFFF},
        {ktcEditDisabled, 0xFFFFFF, 0xFFFFFF},  {ktcEditSelection, 0xB59285, 0xB59285},
        {ktcList, 0xFFFFFF, 0xFFFFFF},          {ktcGrid, 0xFFFFFF, 0xFFFFFF},
    };
    for (const Case& c : cases) {
        // System colours are stored resolved to plain RGB.
        EXPECT_EQ(flat.Color(c.entry), c.flat) << ThemeEntryNames[c.entry];
        EXPECT_EQ(xp.Color(c.entry), c.xp) << ThemeEntryNames[c.entry];
    }

    struct FontCase {
        int index;
        int size;
        TColor flat, xp;
        bool bold;
    } fonts[] = {
        {ktfCaptionTextNormal, 10, 0x000000, 0xFFFFFF, true},
        {ktfCaptionTextInactive, 10, 0x808080, 0xC0C0C0, true},
        {ktfSmCaptionTextNormal, 8, 0xFFFFFF, 0xFFFFFF, true},
        {ktfSmCaptionTextInactive, 8, 0xC0C0C0, 0xC0C0C0, true},
        {ktfButtonTextNormal, 8, 0x000000, 0x000000, false},
        {ktfButtonTextDisabled, 8, 0x808080, 0x808080, false},
        {ktfEditBoxTextSelected, 8, 0xFFFFFF, 0xFFFFFF, false},
        {ktfEditBoxTextDisabled, 8, 0x808080, 0x808080, false},
        {ktfPopupMenuItemTextDisabled, 8, 0x808080, 0x808080, false},
        {ktfHeaderSectionTextHot, 8, 0x000000, 0x000000, false},
    };
    for (const FontCase& f : fonts) {
        for (TteTheme* t : {static_cast<TteTheme*>(&flat), static_cast<TteTheme*>(&xp)}) {
            TteFont* font = t->Fonts->GetFont(f.index);
            EXPECT_EQ(font->Name, "Tahoma") << f.index;
            EXPECT_EQ(font->Size, f.size) << f.index;
            EXPECT_EQ(font->Color, t == &flat ? f.flat : f.xp) << f.index;
            EXPECT_EQ(font->Style.Contains(TFontStyle::fsBold), f.bold) << f.index;
        }
    }
    TteThemeOptions o;
    TTeOfficeXPTheme::StaticClass()->GetThemeOptions(o);
    EXPECT_EQ(o.Selectable, 1);
    EXPECT_EQ(o.HasFileFormat, 0);
    EXPECT_EQ(TTeOfficeXPTheme::StaticClass()->GetThemeName(), "OfficeXP");

    // A shift of 0 keeps the face colour; the frame's edges are 70 levels off it.
    TPaintTarget p(60, 40);
    flat.PaintFormBorder(0, p.Canvas(), d,
                         MakeWindowInfo(TRect{0, 0, 60, 40}, true, TRect{}, L"", 0));
    EXPECT_EQ(p.At(0, 10), Shift(Face(), -70));
    EXPECT_EQ(p.At(59, 10), Shift(Face(), 70));
    EXPECT_EQ(p.At(1, 10), Face());
    EXPECT_EQ(p.At(30, 10), TColor(0x9CDEF7)); // the caption band
}

TEST(FlatTheme, FormButtonsLineUpFromTheRight) {
    TTeFlatTheme t;
    TteWindowInfo closeOnly = MakeWindowInfo(TRect{0, 0, 300, 200}, true, TRect{}, L"", 0x1C02);
    TRect K;
    t.GetFormContentRect(0, closeOnly, K, d);
    EXPECT_EQ(K, (TRect{3, 23, 297, 197}));
    TRect r;
    t.GetFormButtonRect(0, closeOnly, r, d, 1);
    EXPECT_EQ(r, (TRect{K.Right - 22, 3, K.Right, K.Top}));
    t.GetFormButtonRect(0, closeOnly, r, d, 5);
    EXPECT_EQ(r, (TRect{-1, -1, -1, -1}));
    TteWindowInfo withMax = closeOnly;
    withMax.Buttons |= 1 << 5 | 1 << 3 | 1 << 2;
    t.GetFormButtonRect(0, withMax, r, d, 5);
    EXPECT_EQ(r, (TRect{K.Right - 46, 3, K.Right - 24, K.Top}));
    t.GetFormButtonRect(0, withMax, r, d, 3);
    EXPECT_EQ(r, (TRect{K.Right - 70, 3, K.Right - 48, K.Top}));
    t.GetFormButtonRect(0, withMax, r, d, 2);
    EXPECT_EQ(r, (TRect{K.Right - 94, 3, K.Right - 72, K.Top}));

    // No border: the content is the whole window, the caption band runs up from y = 3.
    t.GetFormContentRect(3, closeOnly, K, d);
    EXPECT_EQ(K, (TRect{0, 0, 300, 200}));
    t.GetFormCaptionRect(3, closeOnly, r, d);
    EXPECT_EQ(r, (TRect{0, 3, 300, 0}));
    t.GetFormContentRect(4, closeOnly, K, d);
    EXPECT_EQ(K, (TRect{3, 19, 297, 197}));

    // A button not shown paints nothing.
    TPaintTarget p;
    t.PaintFormButton(0, p.Canvas(), d, MakeFormButtonInfo(TRect{-1, -1, -1, -1}, 5, 0, nullptr),
                      closeOnly);
    EXPECT_EQ(p.Count(TRect{0, 0, 120, 80}, 0x123456), 120 * 80);
    t.PaintFormButton(0, p.Canvas(), d, MakeFormButtonInfo(TRect{0, 0, 22, 20}, 1, 1, nullptr),
                      closeOnly);
    EXPECT_EQ(p.At(0, 0), t.Color(ktcBorder));
    EXPECT_EQ(p.At(1, 1), Shift(t.Color(ktcButtonHot), 100));
    EXPECT_GT(p.Count(TRect{0, 0, 22, 20}, 0x000000), 0); // the close glyph
}

TEST(FlatTheme, PaintsEveryControlGroup) {
    for (TteTheme* theme : {static_cast<TteTheme*>(new TTeFlatTheme()),
                            static_cast<TteTheme*>(new TTeOfficeXPTheme())}) {
        std::unique_ptr<TteTheme> t(theme);
        TPaintTarget p(200, 120);
        fw::TCanvas& c = p.Canvas();
        TRect r{10, 10, 60, 40};
        TteWindowInfo win = MakeWindowInfo(TRect{0, 0, 200, 120}, false, TRect{}, L"Title", 0x1FFF);
        TteBitmap glyph;
        glyph.SetSize(4, 4);
        glyph.FillColor(0xFF00FF00);
        for (int kind = 0; kind <= 4; ++kind) {
            t->PaintFormBorder(kind, c, d, win);
            TRect cap;
            t->GetFormCaptionRect(kind, win, cap, d);
            t->PaintFormCaption(kind, c, d, cap, win);
        }
        for (int b = 0; b <= 9; ++b)
            for (uint8_t s = 0; s <= 2; ++s) {
                TRect br;
                t->GetFormButtonRect(0, win, br, d, b);
                t->PaintFormButton(0, c, d, MakeFormButtonInfo(br, uint8_t(b), s, &glyph), win);
            }
        t->PaintContainer(0, c, d, r);
        t->PaintSplitter(0, c, d, r);
        for (uint8_t s = 0; s <= 9; ++s) {
            t->PaintButton(s % 3, c, d, MakeButtonInfo(r, s, 0, 0));
            t->PaintButtonText(0, c, d, MakeTextInfo(r, L"OK", 37), MakeButtonInfo(r, s, 0, 0));
            t->PaintCheckBox(s % 2, c, d, MakeCheckBoxInfo(r, s % 3, s));
            t->PaintListBoxItem(0, c, d, MakeListBoxItemInfo(r, s));
            t->PaintListBoxCheck(0, c, d, TteListCheckInfo{r, 4, &glyph, uint8_t(s % 5)},
                                 MakeListBoxItemInfo(r, s));
            t->PaintTreeItem(0, c, d, MakeRectState(r, s));
            t->PaintGridCell(0, c, d, TteGridCellInfo{r, s, uint8_t(s == 9)});
            t->PaintHeaderSection(0, c, d, TteHeaderSectionInfo{r, 0, s});
            t->PaintHeaderText(0, c, d, MakeTextInfo(r, L"H", 0), TteHeaderSectionInfo{r, 0, s}, r);
            t->PaintHeaderImage(0, c, d, MakeButtonGlyphInfo(r, &glyph, 0),
                                TteHeaderSectionInfo{r, 0, s}, r);
            t->PaintTab(0, c, d, MakeTabItemInfo(r, 0, s, 0));
            t->PaintTabScrollButton(0, c, d, MakeTabButtonInfo(r, s % 5, s));
            t->PaintPanelButton(0, c, d, TteTwoByteInfo{r, uint8_t(s % 3), s});
            t->PaintComboButton(0, c, d, MakeComboButtonInfo(r, s, s % 3), MakeEditInfo(r, 0));
            for (uint8_t part : {0, 1, 4, 5, 8})
                t->PaintScrollBarButton(0, c, d, MakeScrollBarButtonInfo(r, s, part),
                                        MakeScrollBarInfo(r, 0));
            for (int menu = 0; menu <= 2; ++menu)
                for (uint8_t item = 0; item <= 4; ++item)
                    t->PaintMenuItem(menu, c, d, MakeMenuItemInfo(r, item, 0, s));
        }
        t->PaintButtonGlyph(0, c, d, MakeButtonGlyphInfo(r, &glyph, 0), MakeButtonInfo(r, 0, 0, 0));
        t->PaintScrollBarTrack(0, c, d, MakeScrollBarInfo(r, 0));
        t->PaintProgressBar(0, c, d, TteProgressInfo{r, 1, 0, 10, 2, 8, 0, 1});
        t->PaintTrackBarTrack(0, c, d, MakeTrackBarInfo(r, 0, 0));
        t->PaintTrackBarThumb(0, c, d, MakeTrackBarThumbInfo(r, 2), MakeTrackBarInfo(r, 0, 0));
        t->PaintHeaderFrame(0, c, d, r);
        t->PaintStatusBar(0, c, d, r);
        t->PaintStatusPanel(0, c, d, r, r);
        t->PaintStatusPanelText(0, c, d, MakeTextInfo(r, L"S", 36), r, r);
        t->PaintStatusPanelImage(0, c, d, MakeButtonGlyphInfo(r, &glyph, 0), r, r);
        t->PaintStatusBarGripper(0, c, d, r);
        t->PaintEditFrame(0, c, d, MakeEditInfo(r, 3));
        t->PaintEditSelection(0, c, d, MakeEditInfo(r, 0));
        TteGroupInfo g{TRect{0, 0, 100, 80}, TRect{10, 0, 40, 20}, 30, L"Group"};
        t->PaintGroupBox(0, c, d, g);
        t->PaintGroupBoxText(0, c, d, MakeTextInfo(g.CaptionRect, g.Caption, 36), g);
        t->PaintEditAreaFrame(0, c, d, MakeEditInfo(r, 0));
        for (int menu = 0; menu <= 3; ++menu)
            t->PaintMenuFrame(menu, c, d, r);
        for (uint8_t k : {0, 1, 2, 3, 4, 13, 14, 15, 20})
            for (uint8_t s : {0, 2})
                t->PaintMenuItemGlyph(2, c, d, MakeMenuGlyphInfo(r, &glyph, 0, k),
                                      MakeMenuItemInfo(r, 0, 0, s));
        t->PaintControlBar(0, c, d, r);
        t->PaintToolBar(1, c, d, r);
        t->PaintPanel(0, c, d, r);
        t->PaintPanelPart(0, c, d, r);
        t->PaintPanelCaption(0, c, d, TteBarCaptionInfo{r, L"Panel"});
        t->PaintTabsFrame(0, c, d, r);
        t->PaintListBoxFrame(0, c, d, r);
        t->PaintTreeFrame(0, c, d, r);
        t->PaintGridFrame(0, c, d, r);
        t->PaintStaticText(0, c, d, MakeTextInfo(r, L"static", 0), MakeRectState(r, 0));
    }
}

TEST(FlatTheme, StatesPickTheirColours) {
    TTeFlatTheme t;
    TRect r{0, 0, 20, 16};
    auto buttonFill = [&](uint8_t state, uint8_t def, uint8_t flag) {
        TPaintTarget p;
        t.PaintButton(0, p.Canvas(), d, MakeButtonInfo(r, state, def, flag));
        EXPECT_EQ(p.At(0, 0), t.Color(ktcBorder));
        return p.At(10, 8);
    };
    // States 5 to 9 pick the colours of 0 to 4.
    for (uint8_t base = 0; base <= 4; ++base)
        EXPECT_EQ(buttonFill(base, 0, 0), buttonFill(uint8_t(base + 5), 0, 0)) << int(base);
    EXPECT_EQ(buttonFill(1, 0, 0), TColor(0xE1EAEB));
    EXPECT_EQ(buttonFill(6, 0, 1), Face());
    EXPECT_EQ(buttonFill(0, 1, 0), TColor(0x996633));
    EXPECT_EQ(buttonFill(4, 0, 0), TColor(0x996633));
    TPaintTarget none;
    t.PaintButton(12, none.Canvas(), d, MakeButtonInfo(r, 0, 0, 0));
    EXPECT_EQ(none.At(10, 8), TColor(0x123456));

    // A disabled button text takes the disabled font colour.
    TPaintTarget text(120, 30, 0xFFFFFF);
    t.PaintButtonText(0, text.Canvas(), d, MakeTextInfo(TRect{0, 0, 120, 30}, L"WWWW", 37),
                      MakeButtonInfo(TRect{0, 0, 120, 30}, 3, 0, 0));
    EXPECT_EQ(text.Canvas().Font()->Color(), TColor(0x808080));
    int ink = 0, darker = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 120; ++x) {
            uint32_t c = uint32_t(text.At(x, y));
            if (c == 0xFFFFFF) continue;
            ++ink;
            if ((c & 0xFF) < 0x80 || ((c >> 8) & 0xFF) < 0x80 || ((c >> 16) & 0xFF) < 0x80)
                ++darker;
        }
    EXPECT_GT(ink, 10);
    EXPECT_EQ(darker, 0); // nothing darker than the disabled grey

    // A pressed thumb or arrow is ButtonFocused, a hot one ButtonHot; a thumb has no glyph.
    TPaintTarget thumb;
    t.PaintScrollBarButton(0, thumb.Canvas(), d, MakeScrollBarButtonInfo(TRect{0, 0, 17, 17}, 1, 8),
                           MakeScrollBarInfo(TRect{}, 0));
    EXPECT_EQ(thumb.Count(TRect{1, 1, 16, 16}, 0x996633), 15 * 15);
    TPaintTarget arrow;
    t.PaintScrollBarButton(0, arrow.Canvas(), d, MakeScrollBarButtonInfo(TRect{0, 0, 17, 17}, 2, 0),
                           MakeScrollBarInfo(TRect{}, 0));
    EXPECT_EQ(arrow.At(2, 2), TColor(0xE1EAEB));
    EXPECT_GT(arrow.Count(TRect{1, 1, 16, 16}, t.Color(ktcBorder)), 0); // the arrow

    // Checked box: the check mark in Border; mixed: the inner square.
    TPaintTarget check;
    t.PaintCheckBox(0, check.Canvas(), d, MakeCheckBoxInfo(TRect{0, 0, 13, 13}, 2, 0));
    EXPECT_EQ(check.Count(TRect{3, 3, 10, 10}, t.Color(ktcBorder)), 49);
    TPaintTarget checked;
    t.PaintCheckBox(0, checked.Canvas(), d, MakeCheckBoxInfo(TRect{0, 0, 13, 13}, 1, 1));
    EXPECT_EQ(checked.At(6, 7), t.Color(ktcBorder)); // the mark's centre (5, 7) + (1, 0)
    EXPECT_EQ(checked.At(2, 2), TColor(0xE1EAEB));
}

TEST(FlatTheme, ProgressBarsOfLargeRangesKeepTheirProportions) {
    TTeFlatTheme t;
    auto barWidth = [&](int32_t max, int32_t pos) {
        TPaintTarget p(220, 20);
        t.PaintProgressBar(0, p.Canvas(), d,
                           TteProgressInfo{TRect{0, 0, 204, 14}, 0, 0, max, 0, pos, 0, 0});
        int w = 0;
        for (int x = 0; x < 220; ++x)
            w += p.At(x, 7) == TColor(0xE1EAEB);
        return w;
    };
    // Inner width 200; the bar is framed, so its inside is 2 narrower.
    EXPECT_EQ(barWidth(100, 50), 100 - 2);
    // 2e9 x 200 does not fit 32 bits: the bar still covers half.
    EXPECT_EQ(barWidth(2000000000, 1000000000), 100 - 2);
    EXPECT_EQ(barWidth(100, 0), 0);
}

TEST(FlatTheme, MenusSeparatorsAndTheOfficeXPColumn) {
    TTeFlatTheme flat;
    TTeOfficeXPTheme xp;
    // A popup separator of odd height draws a one-pixel line; of even height none.
    TPaintTarget odd;
    flat.PaintMenuItem(2, odd.Canvas(), d, MakeMenuItemInfo(TRect{0, 0, 100, 9}, 1, 0, 0));
    EXPECT_EQ(odd.Count(TRect{0, 0, 100, 9}, 0x808080), 100 - 5 - 7);
    EXPECT_EQ(odd.At(7, 4), TColor(0x808080));
    EXPECT_EQ(odd.At(6, 4), TColor(0xFFFFFF));
    TPaintTarget even;
    flat.PaintMenuItem(2, even.Canvas(), d, MakeMenuItemInfo(TRect{0, 0, 100, 8}, 1, 0, 0));
    EXPECT_EQ(even.Count(TRect{0, 0, 100, 8}, 0x808080), 0);
    TPaintTarget xpSep;
    xp.PaintMenuItem(2, xpSep.Canvas(), d, MakeMenuItemInfo(TRect{0, 0, 100, 9}, 1, 0, 0));
    EXPECT_EQ(xpSep.At(30, 4), TColor(0x808080));
    EXPECT_EQ(xpSep.At(29, 4), TColor(0xFFFFFF));

    // A popup item in state 0: white, with OfficeXP's 23-pixel face-coloured column.
    TPaintTarget a, b;
    flat.PaintMenuItem(2, a.Canvas(), d, MakeMenuItemInfo(TRect{0, 0, 100, 18}, 0, 0, 0));
    xp.PaintMenuItem(2, b.Canvas(), d, MakeMenuItemInfo(TRect{0, 0, 100, 18}, 0, 0, 0));
    EXPECT_EQ(a.At(0, 5), TColor(0xFFFFFF));
    EXPECT_EQ(b.At(0, 5), Face());
    EXPECT_EQ(b.At(22, 5), Face());
    EXPECT_EQ(b.At(23, 5), TColor(0xFFFFFF));
    // Highlighted: ButtonHot framed in the theme's border colour.
    TPaintTarget hot;
    xp.PaintMenuItem(2, hot.Canvas(), d, MakeMenuItemInfo(TRect{0, 0, 100, 18}, 0, 0, 1));
    EXPECT_EQ(hot.At(50, 9), TColor(0xD2BDB6));
    EXPECT_EQ(hot.At(0, 0), Hilight());
    // The popup frame's column is the gutter + 2.
    TPaintTarget frame;
    xp.PaintMenuFrame(2, frame.Canvas(), d, TRect{0, 0, 100, 50});
    EXPECT_EQ(frame.At(0, 0), TColor(0x808080));
    EXPECT_EQ(frame.At(24, 10), Face());
    EXPECT_EQ(frame.At(25, 10), TColor(0xFFFFFF));
}

TEST(FlatTheme, ActiveTabLeavesItsBottomRowClipped) {
    TTeFlatTheme t;
    TPaintTarget p;
    t.PaintTab(0, p.Canvas(), d, MakeTabItemInfo(TRect{0, 0, 40, 20}, 0, 0, 1));
    EXPECT_EQ(p.At(20, 0), t.Color(ktcBorder));
    EXPECT_EQ(p.At(20, 19), Face()); // filled before the clip, no frame edge
    // Later drawing on the same canvas still misses that row.
    p.Canvas().Brush()->SetColor(0x00FF00);
    p.Canvas().FillRect(TRect{0, 0, 120, 80});
    EXPECT_EQ(p.At(20, 19), Face());
    EXPECT_EQ(p.At(20, 18), TColor(0x00FF00));
}

TEST(FlatTheme, ToolBarGrabberAndGroupBox) {
    TTeFlatTheme t;
    TPaintTarget p;
    t.PaintToolBar(1, p.Canvas(), d, TRect{0, 0, 60, 20});
    EXPECT_EQ(p.At(3, 3), TColor(0x808080));
    EXPECT_EQ(p.At(5, 3), TColor(0x808080));
    EXPECT_EQ(p.At(6, 3), Shift(Face(), 10)); // end point excluded
    EXPECT_EQ(p.At(3, 4), Shift(Face(), 10)); // even rows stay
    TRect content;
    t.GetToolBarContentRect(1, TRect{0, 0, 60, 20}, content, d);
    EXPECT_EQ(content, (TRect{5, 1, 59, 19}));

    // The caption area is kept out of the group box's outline.
    TPaintTarget g;
    TteGroupInfo info{TRect{0, 0, 100, 60}, TRect{10, 0, 50, 20}, 40, L"G"};
    t.PaintGroupBox(0, g.Canvas(), d, info);
    EXPECT_EQ(g.At(70, 10), t.Color(ktcBorder)); // top edge, right of the caption
    EXPECT_EQ(g.At(30, 10), TColor(0x123456));   // under the caption
    EXPECT_EQ(g.At(2, 35), t.Color(ktcBorder));
    t.GetGroupBoxContentRect(0, info, content, d);
    EXPECT_EQ(content, (TRect{6, 20, 94, 54}));
}

} // namespace
} // namespace dvr::skin
