#include "framework/ui/forms.h"
#include "skin/controls/te_input_test_support.h"
#include "skin/controls/te_spinbutton.h"
#include "skin/controls/te_speedbutton.h"
#include "skin/engine/te_winapi.h"

#include <gtest/gtest.h>

#include <memory>

namespace dvr::skin {
namespace {

struct FormDeleter {
    void operator()(fw::TForm* f) const { f->Free(); }
};

// A glyph of N cells, each filled with its own colour around a border of the
// transparent colour (magenta at the bottom-left).
void MakeGlyph(fw::TBitmap& B, int W, int H, std::initializer_list<fw::TColor> Cells) {
    B.SetSize(W, H);
    fw::TCanvas* c = B.Canvas();
    c->Brush()->SetColor(fw::TColor(0xFF00FF));
    c->FillRect(TRect{0, 0, W, H});
    int n = int(Cells.size()), cw = W / std::max(n, 1), i = 0;
    for (fw::TColor col : Cells) {
        c->Brush()->SetColor(col);
        c->FillRect(TRect{i * cw + 2, 2, (i + 1) * cw - 2, H - 2});
        ++i;
    }
}

class GlyphTest : public ::testing::Test {
protected:
    void SetUp() override {
        form.reset(new fw::TForm(nullptr));
        form->SetBounds(80, 80, 300, 200);
        form->SetColor(fw::clBtnFace);
        button = new TTeSpeedButton(form.get());
        button->SetParent(form.get());
        button->SetBounds(10, 10, 60, 40);
    }
    std::unique_ptr<fw::TForm, FormDeleter> form;
    TTeSpeedButton* button = nullptr;
};

TEST_F(GlyphTest, CellCountFollowsTheGlyphsShape) {
    struct Case {
        int w, h, before, after;
    } cases[] = {{64, 16, 1, 4}, {80, 16, 2, 1}, {50, 16, 3, 3}, {32, 16, 1, 2}};
    for (const Case& k : cases) {
        button->SetNumGlyphs(k.before);
        fw::TBitmap g;
        g.SetSize(k.w, k.h);
        button->SetGlyph(&g);
        EXPECT_EQ(button->NumGlyphs(), k.after) << k.w << "x" << k.h;
    }
}

TEST_F(GlyphTest, TheStateChoosesTheCellAndTheKeyColourIsTransparent) {
    fw::TBitmap g;
    MakeGlyph(g, 64, 16, {fw::clRed, fw::clLime, fw::clBlue, fw::clYellow});
    button->SetGlyph(&g);
    ASSERT_EQ(button->NumGlyphs(), 4);
    auto cell_colour = [&] {
        TteBitmap out;
        button->RenderGlyph(out);
        EXPECT_EQ(out.GetPixel(0, 15) & 0x00FFFFFF, 0x007F007Fu); // transparent border
        return out.GetPixel(8, 8) & 0x00FFFFFF;
    };
    EXPECT_EQ(cell_colour(), 0x00FF0000u); // red, as B G R A in memory
    button->SetGroupIndex(1);
    button->SetDown(true);
    EXPECT_EQ(cell_colour(), 0x00FFFF00u); // exclusive cell: yellow
    button->SetEnabled(false);
    EXPECT_EQ(cell_colour(), 0x0000FF00u); // disabled wins: lime
}

TEST_F(GlyphTest, OneCellGlyphsTurnGreyWhenDisabled) {
    fw::TBitmap g;
    MakeGlyph(g, 16, 16, {fw::clBlack});
    button->SetGlyph(&g);
    button->SetEnabled(false);
    TteBitmap out;
    button->RenderGlyph(out);
    // lightness 0: (0 x 50 + 160) mod 256
    EXPECT_EQ(out.GetPixel(8, 8) & 0x00FFFFFF, 0x00A0A0A0u);
    button->SetEnabled(true);
    button->SetBlackAndWhiteGlyph(true);
    g.Canvas()->Brush()->SetColor(fw::clRed);
    g.Canvas()->FillRect(TRect{2, 2, 14, 14});
    button->SetGlyph(&g);
    button->RenderGlyph(out);
    EXPECT_EQ(out.GetPixel(8, 8) & 0x00FFFFFF, 0x00808080u); // red: lightness 0.5
}

TEST_F(GlyphTest, GlyphAndCaptionLayouts) {
    fw::TBitmap g;
    MakeGlyph(g, 16, 16, {fw::clRed});
    button->SetGlyph(&g);
    button->SetWideCaption(L"Go");
    SIZE t = button->GetCaptionSize();
    // Left: (60 - 16 - 4 - T) / 2 from the left; the caption 4 pixels after the glyph.
    TRect gr = button->GetGlyphRect();
    EXPECT_EQ(gr.Left, (60 - 16 - 4 - t.cx) / 2);
    EXPECT_EQ(gr.Top, (40 - 16) / 2);
    EXPECT_EQ(button->GetCaptionRect().Left, gr.Right + 4);
    button->SetLayout(TTeButtonLayout::blGlyphRight);
    gr = button->GetGlyphRect();
    EXPECT_EQ(gr.Left, 60 - (60 - 16 - 4 - t.cx) / 2 - 16 - 1);
    EXPECT_EQ(button->GetCaptionRect().Right, gr.Left - 4);
    button->SetLayout(TTeButtonLayout::blGlyphTop);
    button->SetMargin(3);
    gr = button->GetGlyphRect();
    EXPECT_EQ(gr.Top, 3);
    EXPECT_EQ(button->GetCaptionRect().Top, gr.Bottom + 4);
    button->SetShowCaption(false);
    button->SetMargin(-1);
    gr = button->GetGlyphRect();
    EXPECT_EQ(gr.Top, (40 - 16) / 2);
}

TEST_F(GlyphTest, ButtonsShowTheirGlyphsOnScreen) {
    fw::TBitmap g;
    MakeGlyph(g, 16, 16, {fw::clBlue});
    button->SetGlyph(&g);
    button->SetShowCaption(false);
    auto* spin = new TTeSpinButton(form.get());
    spin->SetParent(form.get());
    spin->SetBounds(100, 10, 15, 21);
    form->Show();
    form->Repaint();
    test::Pump();
    TPoint centre = button->ClientToScreen(TPoint{30, 20});
    EXPECT_TRUE(test::ScreenPixelNear(centre, RGB(0, 0, 255)));
    TPoint corner = button->ClientToScreen(TPoint{3, 3});
    EXPECT_FALSE(test::ScreenPixelNear(corner, RGB(255, 0, 255))); // the key colour never shows

    // The spin parts carry the built-in arrows: black triangles, no dark yellow.
    EXPECT_EQ(spin->UpGlyph()->Width(), 9);
    EXPECT_EQ(spin->UpGlyph()->Height(), 6);
    TTeSpeedButton* up = spin->UpButton();
    TRect gr = up->GetGlyphRect();
    bool black = false, yellow = false;
    for (int y = 0; y < up->Height(); ++y)
        for (int x = 0; x < up->Width(); ++x) {
            TPoint p = up->ClientToScreen(TPoint{x, y});
            black = black || test::ScreenPixelNear(p, RGB(0, 0, 0), 4);
            yellow = yellow || test::ScreenPixelNear(p, RGB(128, 128, 0), 4);
        }
    // Under the visual style the parts are the style's own spin arrows, glyphs unpainted.
    EXPECT_EQ(black, !IsSystemThemeActive());
    EXPECT_FALSE(yellow);
    EXPECT_EQ(gr.Right - gr.Left, 9);
    test::SaveScreenshot(form->Handle(), "speed_and_spin_glyphs");
}

TEST_F(GlyphTest, SpinGlyphsCanBeReplacedAndRestored) {
    auto* spin = new TTeSpinButton(form.get());
    fw::TBitmap two;
    MakeGlyph(two, 18, 9, {fw::clRed, fw::clGreen});
    spin->SetUpGlyph(&two);
    spin->SetDownGlyph(&two);
    EXPECT_EQ(spin->UpNumGlyphs(), 2);
    EXPECT_EQ(spin->DownNumGlyphs(), 2);
    spin->SetDownGlyph(nullptr);
    EXPECT_EQ(spin->DownNumGlyphs(), 1);
    EXPECT_EQ(spin->DownGlyph()->Width(), 9);
    EXPECT_EQ(spin->UpNumGlyphs(), 2);
}

} // namespace
} // namespace dvr::skin
