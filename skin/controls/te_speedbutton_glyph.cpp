// The glyph of a speed button: its cells, its place beside the caption and its painting.
#include "skin/controls/te_speedbutton.h"

#include "skin/engine/te_bitmap_win.h"
#include "skin/engine/te_pixels.h"
#include "skin/engine/te_theme.h"

#include <cmath>

namespace dvr::skin {

using S = TTeButtonState;

void TTeSpeedButton::SetNumGlyphs(int Value) {
    if (Value < 1) Value = 1;
    if (Value > 4) Value = 4;
    if (Value == num_glyphs_) return;
    num_glyphs_ = Value;
    Invalidate();
}

void TTeSpeedButton::SetShowGlyph(bool Value) {
    if (Value == show_glyph_) return;
    show_glyph_ = Value;
    Invalidate();
}

void TTeSpeedButton::SetBlackAndWhiteGlyph(bool Value) {
    if (Value == black_and_white_glyph_) return;
    black_and_white_glyph_ = Value;
    Invalidate();
}

void TTeSpeedButton::SetLayout(TTeButtonLayout Value) {
    if (Value == layout_) return;
    layout_ = Value;
    Invalidate();
}

void TTeSpeedButton::SetMargin(int Value) {
    if (Value == margin_) return;
    margin_ = Value;
    Invalidate();
}

void TTeSpeedButton::SetSpacing(int Value) {
    if (Value == spacing_) return;
    spacing_ = Value;
    Invalidate();
}

void TTeSpeedButton::GlyphChanged(fw::TObject* /*Sender*/) {
    int w = glyph_.Width(), h = glyph_.Height();
    if (!glyph_.Empty() && h != 0 && w % h == 0) {
        int n = w / h;
        num_glyphs_ = n > 4 ? 1 : n;
    }
    Invalidate();
}

SIZE TTeSpeedButton::GetGlyphSize() {
    if (glyph_.Empty()) return SIZE{0, 0};
    return SIZE{glyph_.Width() / num_glyphs_, glyph_.Height()};
}

TRect TTeSpeedButton::GetGlyphRect() {
    SIZE g = show_glyph_ ? GetGlyphSize() : SIZE{0, 0};
    SIZE t = SIZE{0, 0};
    if (show_caption_) {
        PaintFont()->Assign(Font());
        t = GetCaptionSize();
    }
    TRect b = GetButtonRect();
    bool horizontal = layout_ == TTeButtonLayout::blGlyphLeft ||
                      layout_ == TTeButtonLayout::blGlyphRight;
    // Along the layout's axis: the offset of the glyph from the button's start.
    auto along = [&](int start, int extent, int glyph, int text) {
        if (glyph == 0 || !show_glyph_) return start;
        if (margin_ != -1) return margin_;
        if (text == 0 || !show_caption_) return (extent - glyph) / 2;
        if (spacing_ != -1) return (extent - glyph - spacing_ - text) / 2;
        return (extent - glyph - text) / 3;
    };
    int x, y;
    if (horizontal) {
        x = along(b.Left, b.Right - b.Left, g.cx, t.cx);
        y = (b.Bottom - b.Top - g.cy) / 2;
    } else {
        y = along(b.Top, b.Bottom - b.Top, g.cy, t.cy);
        x = (b.Right - b.Left - g.cx) / 2;
    }
    if (layout_ == TTeButtonLayout::blGlyphRight) x = b.Right - x - g.cx - 1;
    if (layout_ == TTeButtonLayout::blGlyphBottom) y = b.Bottom - y - g.cy - 1;
    return TRect{x, y, x + g.cx, y + g.cy};
}

TRect TTeSpeedButton::CaptionRectBesideGlyph(SIZE T) {
    TRect gr = GetGlyphRect();
    TRect b = GetButtonRect();
    int x = 0, y = 0;
    switch (layout_) {
    case TTeButtonLayout::blGlyphLeft:
        x = spacing_ != -1 ? gr.Right + spacing_ : gr.Right + (b.Right - gr.Right - T.cx) / 2;
        y = (b.Bottom - b.Top - T.cy) / 2;
        break;
    case TTeButtonLayout::blGlyphRight:
        x = spacing_ != -1 ? gr.Left - spacing_ - T.cx : (gr.Left - b.Left - T.cx) / 2;
        y = (b.Bottom - b.Top - T.cy) / 2;
        break;
    case TTeButtonLayout::blGlyphTop:
        x = (b.Right - b.Left - T.cx) / 2;
        y = spacing_ != -1 ? gr.Bottom + spacing_ : gr.Bottom + (b.Bottom - gr.Bottom - T.cy) / 2;
        break;
    case TTeButtonLayout::blGlyphBottom:
        x = (b.Right - b.Left - T.cx) / 2;
        y = spacing_ != -1 ? gr.Top - spacing_ - T.cy : (gr.Top - b.Top - T.cy) / 2;
        break;
    }
    return TRect{x, y, x + T.cx, y + T.cy};
}

void TTeSpeedButton::RenderGlyph(TteBitmap& Out) {
    int cw = glyph_.Width() / num_glyphs_, h = glyph_.Height();
    if (cw <= 0 || h <= 0) return;
    bool disabled = !Enabled();
    int cell = 0;
    if (num_glyphs_ > 1 && disabled)
        cell = 1;
    else if (num_glyphs_ == 4 && state_ == S::bsExclusive)
        cell = 3;
    else if (num_glyphs_ >= 3 && state_ == S::bsPressed)
        cell = 2;
    fw::TCanvas* src = glyph_.Canvas();
    fw::TColor transparent = src->Pixels(0, h - 1);
    Out.SetSize(cw, h);
    Out.FillColor(0x007F007F);
    Out.Transparent = true;
    bool gray_hot = black_and_white_glyph_ && !MouseInControl();
    bool gray_disabled = num_glyphs_ == 1 && disabled;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < cw; ++x) {
            fw::TColor c = src->Pixels(cell * cw + x, y);
            if (c == transparent) continue;
            uint8_t r = uint8_t(c), g = uint8_t(c >> 8), bl = uint8_t(c >> 16);
            if (gray_hot || gray_disabled) {
                float hh, ss, ll;
                PixelToHSL(TteColor(bl) | (TteColor(g) << 8) | (TteColor(r) << 16), hh, ss, ll);
                int level = gray_disabled ? (int(std::nearbyint(ll * 50)) + 160) % 256
                                          : int(std::nearbyint(ll * 255));
                r = g = bl = uint8_t(level);
            }
            Out.SetPixel(x, y, 0xFF000000u | (TteColor(r) << 16) | (TteColor(g) << 8) | bl);
        }
}

void TTeSpeedButton::PaintGlyph(int Offset) {
    if (glyph_.Empty()) return;
    TteBitmap bmp;
    RenderGlyph(bmp);
    if (bmp.IsEmpty()) return;
    TRect gr = GetGlyphRect();
    int x = gr.Left + ((gr.Right - gr.Left) - bmp.Width) / 2 + Offset;
    int y = gr.Top + ((gr.Bottom - gr.Top) - bmp.Height) / 2 + Offset;
    TRect r{x, y, x + bmp.Width, y + bmp.Height};
    fw::TCanvas& c = *Canvas();
    if (Themed()) {
        bool hot = MouseInControl();
        uint8_t gs = !Enabled()                            ? 3
                     : state_ == S::bsPressed              ? 2
                     : flat_ && hot                        ? 1
                     : flat_ && state_ == S::bsExclusive   ? 2
                                                           : 0;
        CurrentTheme()->PaintButtonGlyph(
            9, c, ThemeObject(), MakeButtonGlyphInfo(r, &bmp, 4),
            MakeButtonInfo(r, gs, 0, state_ == S::bsExclusive ? 1 : 0));
        return;
    }
    Draw(bmp, c.Handle(), r.Left, r.Top);
}

} // namespace dvr::skin
