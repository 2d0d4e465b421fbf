#include "framework/ui/extctrls.h"

#include <algorithm>

namespace dvr::fw {

namespace {

const TTypeInfo* BevelCutType() {
    static const TTypeInfo t =
        TTypeInfo::Enumeration("TBevelCut", {"bvNone", "bvLowered", "bvRaised", "bvSpace"});
    return &t;
}
const TTypeInfo* ShapeTypeType() {
    static const TTypeInfo t =
        TTypeInfo::Enumeration("TShapeType", {"stRectangle", "stSquare", "stRoundRect",
                                              "stRoundSquare", "stEllipse", "stCircle"});
    return &t;
}

// A bevel of Width lines: top-left in one colour, bottom-right in the other.
void Frame3D(TCanvas* C, TRect& R, TColor TopLeft, TColor BottomRight, int Width) {
    for (int i = 0; i < Width; ++i) {
        C->Pen()->SetColor(TopLeft);
        C->Pen()->SetStyle(TPenStyle::psSolid);
        C->MoveTo(R.Left, R.Bottom - 1);
        C->LineTo(R.Left, R.Top);
        C->LineTo(R.Right - 1, R.Top);
        C->Pen()->SetColor(BottomRight);
        C->LineTo(R.Right - 1, R.Bottom - 1);
        C->LineTo(R.Left - 1, R.Bottom - 1);
        R.Left += 1;
        R.Top += 1;
        R.Right -= 1;
        R.Bottom -= 1;
    }
}

void BevelColors(TBevelCut Cut, TColor Face, TColor& TopLeft, TColor& BottomRight) {
    switch (Cut) {
    case TBevelCut::bvLowered:
        TopLeft = clBtnShadow;
        BottomRight = clBtnHighlight;
        break;
    case TBevelCut::bvRaised:
        TopLeft = clBtnHighlight;
        BottomRight = clBtnShadow;
        break;
    default:
        TopLeft = BottomRight = Face;
        break;
    }
}

} // namespace

void TPanel::Publish(TPublisher<TPanel>& p) {
    p.Property("Alignment", AlignmentType(), &TPanel::Alignment, &TPanel::SetAlignment)
        .Default(int(TAlignment::taCenter));
    p.Property("BevelInner", BevelCutType(), &TPanel::BevelInner, &TPanel::SetBevelInner)
        .Default(0);
    p.Property("BevelOuter", BevelCutType(), &TPanel::BevelOuter, &TPanel::SetBevelOuter)
        .Default(int(TBevelCut::bvRaised));
    p.Property("BevelWidth", nullptr, &TPanel::BevelWidth, &TPanel::SetBevelWidth).Default(1);
    p.Property("BorderWidth", nullptr, &TPanel::BorderWidth, &TPanel::SetBorderWidth).Default(0);
    p.Property(
        "Caption", nullptr, [](const TPanel& c) { return c.Caption(); }, &TPanel::SetCaption);
}

TPanel::TPanel(TComponent* AOwner) : TCustomControl(AOwner) {
    control_style_.Include(TControlStyleItem::csAcceptsControls)
        .Include(TControlStyleItem::csOpaque);
    parent_color_ = false;
    color_ = clBtnFace;
    brush_.SetColor(color_);
    SetBounds(0, 0, 185, 41);
}

void TPanel::BorderChanged() {
    Realign();
    Invalidate();
}
void TPanel::SetAlignment(TAlignment Value) {
    if (Value == alignment_) return;
    alignment_ = Value;
    Invalidate();
}
void TPanel::SetBevelInner(TBevelCut Value) {
    if (Value == bevel_inner_) return;
    bevel_inner_ = Value;
    BorderChanged();
}
void TPanel::SetBevelOuter(TBevelCut Value) {
    if (Value == bevel_outer_) return;
    bevel_outer_ = Value;
    BorderChanged();
}
void TPanel::SetBevelWidth(int Value) {
    if (Value < 0 || Value == bevel_width_) return;
    bevel_width_ = Value;
    BorderChanged();
}
void TPanel::SetBorderWidth(int Value) {
    if (Value < 0 || Value == border_width_) return;
    border_width_ = Value;
    BorderChanged();
}

void TPanel::AlignControls(TControl* AControl, TRect& Rect) {
    int inset = border_width_;
    if (bevel_outer_ != TBevelCut::bvNone) inset += bevel_width_;
    if (bevel_inner_ != TBevelCut::bvNone) inset += bevel_width_;
    Rect.Left += inset;
    Rect.Top += inset;
    Rect.Right -= inset;
    Rect.Bottom -= inset;
    TCustomControl::AlignControls(AControl, Rect);
}

void TPanel::Paint() {
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    TColor tl, br;
    if (bevel_outer_ != TBevelCut::bvNone) {
        BevelColors(bevel_outer_, color_, tl, br);
        Frame3D(c, r, tl, br, bevel_width_);
    }
    Frame3D(c, r, color_, color_, border_width_);
    if (bevel_inner_ != TBevelCut::bvNone) {
        BevelColors(bevel_inner_, color_, tl, br);
        Frame3D(c, r, tl, br, bevel_width_);
    }
    c->Brush()->SetColor(color_);
    c->Brush()->SetStyle(TBrushStyle::bsSolid);
    c->FillRect(r);
    if (!text_.empty()) {
        static const UINT align[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
        c->SetFont(&font_);
        if (!enabled_) c->Font()->SetColor(clGrayText);
        c->Brush()->SetStyle(TBrushStyle::bsClear);
        c->DrawText(text_, r, DT_VCENTER | DT_SINGLELINE | align[int(alignment_)]);
    }
}

void TPanel::CMTextChanged(TMessage&) {
    Invalidate();
}

// ---- TImage -------------------------------------------------------------------------------

void TImage::Publish(TPublisher<TImage>& p) {
    p.Property("AutoSize", nullptr, &TImage::AutoSize, &TImage::SetAutoSize).Default(0);
    p.Property("Center", nullptr, &TImage::Center, &TImage::SetCenter).Default(0);
    p.Property("Stretch", nullptr, &TImage::Stretch, &TImage::SetStretch).Default(0);
    p.Property("Transparent", nullptr, &TImage::Transparent, &TImage::SetTransparent).Default(0);
}

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner) {
    picture_.OnChange = TNotifyEvent(this, &TImage::PictureChanged);
    SetBounds(0, 0, 105, 105);
}

void TImage::PictureChanged(TObject*) {
    if (auto_size_ && picture_.Width() > 0)
        SetBounds(left_, top_, picture_.Width(), picture_.Height());
    if (TGraphic* g = picture_.Graphic()) g->SetTransparent(transparent_);
    Invalidate();
}

void TImage::SetStretch(bool Value) {
    if (Value == stretch_) return;
    stretch_ = Value;
    Invalidate();
}
void TImage::SetCenter(bool Value) {
    if (Value == center_) return;
    center_ = Value;
    Invalidate();
}
void TImage::SetTransparent(bool Value) {
    if (Value == transparent_) return;
    transparent_ = Value;
    if (TGraphic* g = picture_.Graphic()) g->SetTransparent(Value);
    Invalidate();
}
void TImage::SetAutoSize(bool Value) {
    auto_size_ = Value;
    if (Value) PictureChanged(nullptr);
}

TCanvas* TImage::Canvas() {
    TBitmap* b = picture_.Bitmap();
    if (b->Empty()) b->SetSize(width_, height_);
    return b->Canvas();
}

TRect TImage::DestRect() {
    int w = picture_.Width(), h = picture_.Height();
    if (stretch_) return ClientRect();
    if (center_) return Bounds((width_ - w) / 2, (height_ - h) / 2, w, h);
    return Bounds(0, 0, w, h);
}

void TImage::Paint() {
    TGraphic* g = picture_.Graphic();
    if (!g || g->Empty()) return;
    TGraphicControl::Canvas()->StretchDraw(DestRect(), g);
}

// ---- TShape -------------------------------------------------------------------------------

void TShape::Publish(TPublisher<TShape>& p) {
    p.Object("Brush", &TShape::Brush);
    p.Object("Pen", &TShape::Pen);
    p.Property("Shape", ShapeTypeType(), &TShape::Shape, &TShape::SetShape).Default(0);
}

TShape::TShape(TComponent* AOwner) : TGraphicControl(AOwner) {
    pen_.OnChange = TNotifyEvent(this, &TShape::StyleChanged);
    brush_.OnChange = TNotifyEvent(this, &TShape::StyleChanged);
    SetBounds(0, 0, 65, 65);
}

void TShape::SetShape(TShapeType Value) {
    if (Value == shape_) return;
    shape_ = Value;
    Invalidate();
}

void TShape::Paint() {
    TCanvas* c = Canvas();
    c->Pen()->Assign(&pen_);
    c->Brush()->Assign(&brush_);
    int pw = pen_.Width();
    int x = pw / 2, y = pw / 2;
    int w = width_ - pw + 1, h = height_ - pw + 1;
    if (pw == 0) {
        --w;
        --h;
    }
    bool square = shape_ == TShapeType::stSquare || shape_ == TShapeType::stRoundSquare ||
                  shape_ == TShapeType::stCircle;
    if (square) {
        int s = std::min(w, h);
        x += (w - s) / 2;
        y += (h - s) / 2;
        w = h = s;
    }
    switch (shape_) {
    case TShapeType::stRectangle:
    case TShapeType::stSquare:
        c->Rectangle(x, y, x + w, y + h);
        break;
    case TShapeType::stRoundRect:
    case TShapeType::stRoundSquare:
        c->RoundRect(x, y, x + w, y + h, std::min(w, h) / 4, std::min(w, h) / 4);
        break;
    case TShapeType::stEllipse:
    case TShapeType::stCircle:
        c->Ellipse(x, y, x + w, y + h);
        break;
    }
}

} // namespace dvr::fw
