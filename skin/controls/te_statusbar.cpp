#include "skin/controls/te_statusbar.h"

#include "framework/exceptions.h"
#include "framework/strutils.h"
#include "framework/ui/forms.h"
#include "skin/controls/te_barpaint.h"
#include "skin/engine/te_canvas_win.h"
#include "skin/engine/te_theme.h"
#include "skin/engine/te_utils_win.h"
#include "skin/engine/te_winapi.h"

#include <algorithm>
#include <vector>

namespace dvr::skin {

using fw::TMessage;

const uint32_t AlignmentDrawFlags[3] = {DT_LEFT, DT_RIGHT, DT_CENTER};

namespace {

constexpr int kStatusTextFontNormal = 49, kStatusTextFontDisabled = 50;

// Halved toward zero, as the panel geometry wants it for negative room too.
int StatusHalf(int V) {
    return V / 2;
}

TRect StatusIntersect(TRect A, const TRect& B) {
    A.Left = std::max(A.Left, B.Left);
    A.Top = std::max(A.Top, B.Top);
    A.Right = std::min(A.Right, B.Right);
    A.Bottom = std::min(A.Bottom, B.Bottom);
    if (A.Right < A.Left) A.Right = A.Left;
    if (A.Bottom < A.Top) A.Bottom = A.Top;
    return A;
}

} // namespace

// ---- panel ----

TTeStatusPanel::TTeStatusPanel() = default;

TTeStatusPanel::~TTeStatusPanel() {
    fw::TControl* old = Control;
    if (old) {
        if (TTeStatusBar* bar = GetStatusBar()) old->RemoveFreeNotification(bar);
        Control = nullptr;
    }
    TTeStatusBar* bar = GetStatusBar();
    SetCollection(nullptr); // leaves the collection, which lays the bar out again
    (void)bar;
    if (old && !old->Destroying()) {
        if (auto* w = dynamic_cast<fw::TWinControl*>(old); w && w->HandleAllocated()) {
            w->BringToFront();
            w->Perform(fw::CM_SHOWINGCHANGED, 0, 0);
        }
    }
}

TTeStatusBar* TTeStatusPanel::GetStatusBar() const {
    auto* panels = dynamic_cast<TTeStatusPanels*>(Collection());
    return panels ? panels->GetStatusBar() : nullptr;
}

std::string TTeStatusPanel::DisplayName() const {
    std::string s = fw::Utf16ToGbk(std::u16string(Text.begin(), Text.end()));
    if (s.empty() && Control) s = "[ " + Control->Name() + " ]";
    if (s.empty()) s = fw::TCollectionItem::DisplayName();
    return s;
}

void TTeStatusPanel::Assign(const fw::TPersistent* Source) {
    auto* src = dynamic_cast<const TTeStatusPanel*>(Source);
    if (!src) {
        fw::TCollectionItem::Assign(Source);
        return;
    }
    SetAlignment(src->Alignment);
    SetImageIndex(src->ImageIndex);
    SetLayout(src->Layout);
    SetMargin(src->Margin);
    SetMaxWidth(src->MaxWidth);
    SetSpacing(src->Spacing);
    SetStyle(src->Style);
    SetShowImage(src->ShowImage);
    SetText(src->Text);
    SetWidth(src->Width);
    SetFramed(src->Framed);
    SetViewPriority(src->ViewPriority);
    SetStretchPriority(src->StretchPriority);
    fw::TControl* c = nullptr;
    TTeStatusBar* bar = GetStatusBar();
    if (src->Control && bar && bar->Owner()) {
        if (fw::TComponent* found = bar->Owner()->FindComponent(src->Control->Name())) {
            c = dynamic_cast<fw::TControl*>(found);
            if (!c) throw fw::EConvertError("Invalid class typecast");
        }
    }
    SetControl(c);
}

void TTeStatusPanel::UpdateControl() {
    if (!Control) return;
    TTeStatusBar* bar = GetStatusBar();
    if (!bar) return;
    TRect r;
    bar->GetPanelClientRect(this, r);
    Control->SetBounds(r.Left, r.Top, r.Width(), r.Height());
    Control->SetVisible(LayoutVisible);
}

#define TE_STATUS_PANEL_SETTER(Name, Type, Field)                                                  \
    void TTeStatusPanel::Set##Name(Type Value) {                                                   \
        if (Field == Value) return;                                                                \
        Field = Value;                                                                             \
        Changed(false);                                                                            \
    }
TE_STATUS_PANEL_SETTER(Alignment, TAlignment, Alignment)
TE_STATUS_PANEL_SETTER(ImageIndex, int, ImageIndex)
TE_STATUS_PANEL_SETTER(Layout, TTeStatusGliphLayout, Layout)
TE_STATUS_PANEL_SETTER(Margin, int, Margin)
TE_STATUS_PANEL_SETTER(ShowImage, bool, ShowImage)
TE_STATUS_PANEL_SETTER(Spacing, int, Spacing)
TE_STATUS_PANEL_SETTER(Style, TTeStatusPanelstyle, Style)
TE_STATUS_PANEL_SETTER(Text, const std::wstring&, Text)
#undef TE_STATUS_PANEL_SETTER

void TTeStatusPanel::SetFramed(bool Value) {
    if (Framed == Value) return;
    Framed = Value;
    Changed(false);
    UpdateControl();
}

void TTeStatusPanel::SetWidth(int Value) {
    Width = std::min(MaxWidth, std::max(0, Value));
    Changed(true);
}

void TTeStatusPanel::SetMaxWidth(int Value) {
    MaxWidth = Value;
    if (Value < Width) SetWidth(Value);
    Changed(true);
}

void TTeStatusPanel::SetStretchPriority(TPercent Value) {
    StretchPriority = std::min<TPercent>(Value, 100);
    Changed(true);
}

void TTeStatusPanel::SetViewPriority(TPercent Value) {
    ViewPriority = std::min<TPercent>(Value, 100);
    Changed(true);
}

void TTeStatusPanel::SetControl(fw::TControl* Value) {
    if (Value == Control) return;
    TTeStatusBar* bar = GetStatusBar();
    if (Value) {
        for (fw::TControl* p = bar; p; p = p->Parent())
            if (p == Value) throw fw::EInvalidOperation("Can't insert own parent");
        if (bar)
            if (TTeStatusPanel* other = bar->Panels()->FindControlPanel(Value);
                other && other != this)
                other->SetControl(nullptr);
    }
    fw::TControl* old = Control;
    Control = Value;
    if (Value && bar) Value->FreeNotification(bar);
    Changed(true);
    if (old) old->Perform(fw::CM_SHOWINGCHANGED, 0, 0);
}

// ---- collection ----

TTeStatusPanels::TTeStatusPanels(TTeStatusBar* StatusBar)
    : fw::TCollection(TTeStatusPanel::StaticClass()), bar_(StatusBar) {}

TTeStatusPanel* TTeStatusPanels::AddItem(TTeStatusPanel* Item, int Index) {
    if (!Item) return bar_->CreatePanel();
    Item->SetCollection(this);
    if (Index < Count())
        Item->SetIndex(Count() - 1);
    else
        Item->SetIndex(Index);
    return Item;
}

TTeStatusPanel* TTeStatusPanels::GetItem(int Index) const {
    return static_cast<TTeStatusPanel*>(Items(Index));
}

TTeStatusPanel* TTeStatusPanels::FindControlPanel(fw::TControl* Control) const {
    for (int i = 0; i < Count(); ++i)
        if (GetItem(i)->Control == Control) return GetItem(i);
    return nullptr;
}

void TTeStatusPanels::Update(fw::TCollectionItem* Item) {
    if (!bar_ || bar_->Destroying()) return;
    if (!Item) bar_->UpdatePanels();
    bar_->Invalidate();
}

// ---- bar ----

TTeStatusBar::TTeStatusBar(fw::TComponent* AOwner) : TTeControl(AOwner) {
    SetBevelSides(AllBevelSides());
    SetBevelInner(TTeBevelCut::kbvSpace);
    SetBevelOuter(TTeBevelCut::kbvRaised);
    SetBevelWidth(0);
    SetBorderWidth(2);
    SetPerformance(TTePerformance::kpDoubleBuffer);
    SetSystemBorder(false);
    panels_ = new TTeStatusPanels(this);
    SetBounds(Left(), Top(), Width(), 22);
    SetControlStyle(fw::TControlStyle{
        fw::TControlStyleItem::csAcceptsControls, fw::TControlStyleItem::csCaptureMouse,
        fw::TControlStyleItem::csClickEvents, fw::TControlStyleItem::csDoubleClicks});
    SetColor(fw::clBtnFace);
    AddThemeNotification(this);
}

TTeStatusBar::~TTeStatusBar() {
    RemoveThemeNotification(this);
    delete panels_;
    panels_ = nullptr;
}

bool TTeStatusBar::Themed() {
    return CurrentThemeHasStatusBarStyle(0, theme_object_);
}

TRect TTeStatusBar::ContentRect() {
    if (Themed()) {
        TRect content;
        CurrentTheme()->GetStatusBarContentRect(
            0, MakeStatusBarRect(TRect{0, 0, Width(), Height()}).Rect, content, "default");
        return content;
    }
    TRect r;
    TTeControl::GetInnerRect(r);
    return r;
}

void TTeStatusBar::GetInnerRect(TRect& Rect) {
    if (Themed()) {
        Rect = ContentRect();
        return;
    }
    TTeControl::GetInnerRect(Rect);
}

TTeStatusPanel* TTeStatusBar::CreatePanel() {
    TTeStatusPanelClass cls = TTeStatusPanel::StaticClass();
    if (OnCreatePanelClass) OnCreatePanelClass(this, cls);
    auto* panel = dynamic_cast<TTeStatusPanel*>(cls ? cls->Create() : nullptr);
    if (!panel) throw fw::EInvalidOperation("Status panel class cannot be made");
    panel->SetCollection(panels_);
    return panel;
}

void TTeStatusBar::SetImages(fw::TImageList* Value) {
    if (images_) images_->RemoveFreeNotification(this);
    images_ = Value;
    if (images_) images_->FreeNotification(this);
    if (HandleAllocated()) Invalidate();
}

void TTeStatusBar::SetSizeGrip(bool Value) {
    if (Value == size_grip_) return;
    size_grip_ = Value;
    Invalidate();
}

void TTeStatusBar::SetThemeObject(const std::string& Value) {
    if (Value == theme_object_) return;
    theme_object_ = Value;
    Invalidate();
}

// ---- layout ----

void TTeStatusBar::UpdatePanels() {
    if (!panels_) return;
    const TRect cr = ContentRect();
    const int avail = cr.Right - cr.Left;
    std::vector<TTeStatusPanel*> list;
    int sum = 0;
    for (int i = 0; i < panels_->Count(); ++i) {
        TTeStatusPanel* p = panels_->GetItem(i);
        if (p->ViewPriority > 0) {
            p->LayoutWidth = p->Width;
            p->LayoutVisible = true;
            sum += p->Width;
            list.push_back(p);
        } else {
            p->LayoutVisible = false;
        }
    }
    // Highest view priority first; equal priorities keep the collection order.
    std::stable_sort(list.begin(), list.end(), [](TTeStatusPanel* a, TTeStatusPanel* b) {
        return a->ViewPriority > b->ViewPriority;
    });
    while (sum > avail) {
        if (list.size() < 2 || list.back()->ViewPriority >= 100) break;
        TTeStatusPanel* p = list.back();
        p->LayoutVisible = false;
        sum -= p->GetLayoutWidth();
        list.pop_back();
    }
    int spare = avail - sum;
    if (spare > 0) {
        list.erase(std::remove_if(list.begin(), list.end(),
                                  [](TTeStatusPanel* p) { return p->StretchPriority == 0; }),
                   list.end());
        while (!list.empty() && spare > 0) {
            std::stable_sort(list.begin(), list.end(), [](TTeStatusPanel* a, TTeStatusPanel* b) {
                return a->StretchPriority < b->StretchPriority;
            });
            TTeStatusPanel* p = list.back();
            p->LayoutWidth += spare;
            spare = p->LayoutWidth - p->GetLayoutWidth();
            list.pop_back();
        }
    }
    int pos = 0;
    const int last = panels_->Count() - 1;
    for (int i = 0; i <= last; ++i) {
        TTeStatusPanel* p = panels_->GetItem(i);
        if (pos >= avail) p->LayoutVisible = false;
        p->LayoutLeft = cr.Left + pos;
        p->LayoutRight = p->LayoutVisible ? p->LayoutLeft + p->GetLayoutWidth() : p->LayoutLeft;
        if (p->LayoutVisible) pos += p->GetLayoutWidth();
        if (((p->LayoutVisible && pos >= avail) || i == last) && p->StretchPriority > 0)
            p->LayoutRight = cr.Right;
        p->UpdateControl();
    }
}

TTeStatusPanel* TTeStatusBar::PanelAtPos(TPoint P) {
    const TRect cr = ContentRect();
    if (!(cr.Top <= P.Y && P.Y <= cr.Bottom && P.X >= cr.Left && panels_->Count() > 0))
        return nullptr;
    int x = cr.Left, i = -1;
    while (x < P.X) {
        if (i + 1 >= panels_->Count()) break;
        ++i;
        TTeStatusPanel* p = panels_->GetItem(i);
        x += p->LayoutVisible ? p->GetLayoutWidth() : 0;
    }
    if (x < P.X || i < 0) return nullptr;
    return panels_->GetItem(i);
}

void TTeStatusBar::Loaded() {
    TTeControl::Loaded();
    UpdatePanels();
    BringToFront();
}

void TTeStatusBar::Resize() {
    TTeControl::Resize();
    UpdatePanels();
    Invalidate();
}

void TTeStatusBar::AlignControls(fw::TControl* AControl, TRect&) {
    if (Destroying()) return;
    if (AControl || panels_->Count() > 0) UpdatePanels();
}

// ---- geometry of a panel ----

void TTeStatusBar::GetPanelRect(int Index, TRect& Rect) {
    const TRect cr = ContentRect();
    TTeStatusPanel* p = panels_->GetItem(Index);
    Rect = TRect{p->LayoutLeft, cr.Top, p->LayoutRight, cr.Bottom};
}

void TTeStatusBar::GetPanelClientRect(TTeStatusPanel* Panel, TRect& Rect) {
    GetPanelRect(Panel->Index(), Rect);
    if (Panel->Framed) {
        Rect = TRect{Rect.Left + 1, Rect.Top + 1, Rect.Right - 1, Rect.Bottom - 1};
        Rect.Right -= 2;
    }
}

bool TTeStatusBar::HasPanelImage(TTeStatusPanel* Panel) {
    return Panel->ShowImage && images_ && Panel->ImageIndex >= 0 &&
           Panel->ImageIndex < images_->Count();
}

void TTeStatusBar::GetPanelImageSize(TTeStatusPanel* Panel, TPoint& Size) {
    if (images_ && Panel->ImageIndex >= 0 && Panel->ImageIndex < images_->Count())
        Size = TPoint{images_->Width(), images_->Height()};
    else
        Size = TPoint{0, 0};
}

void TTeStatusBar::GetPanelTextSize(TTeStatusPanel* Panel, TPoint& Size) {
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, Font()->Handle());
    SIZE s{};
    const std::wstring& t = Panel->Text;
    if (!t.empty()) ::GetTextExtentPoint32W(dc, t.c_str(), int(t.size()), &s);
    SIZE pq{};
    ::GetTextExtentPoint32W(dc, L"Pq", 2, &pq);
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    TPoint img;
    GetPanelImageSize(Panel, img);
    int cap = Panel->GetLayoutWidth() - 2 * Panel->Margin;
    if (HasPanelImage(Panel)) cap -= img.X + Panel->Spacing;
    Size = TPoint{std::min<int>(s.cx, cap), t.empty() ? 0 : int(pq.cy)};
}

void TTeStatusBar::GetPanelImageRect(TTeStatusPanel* Panel, TRect& Rect) {
    TRect c;
    GetPanelClientRect(Panel, c);
    const int W = c.Width(), H = c.Height(), M = Panel->Margin, S = Panel->Spacing;
    TPoint img, txt;
    GetPanelImageSize(Panel, img);
    GetPanelTextSize(Panel, txt);
    const int w = img.X, h = img.Y, tw = txt.X;
    const bool centred = Panel->Alignment == TAlignment::taCenter;
    int x;
    if (Panel->Layout == sglGlyphLeft)
        x = centred ? StatusHalf(W - (w + S + tw)) : M;
    else
        x = centred ? W - StatusHalf(W - (w + S + tw)) - w : W - M - w;
    int top = StatusHalf(H - h);
    Rect = TRect{x, top, x + w, top + h};
}

void TTeStatusBar::GetPanelTextRect(TTeStatusPanel* Panel, TRect& Rect) {
    TRect c;
    GetPanelClientRect(Panel, c);
    const int W = c.Width(), H = c.Height(), M = Panel->Margin, S = Panel->Spacing;
    TPoint img, txt;
    GetPanelImageSize(Panel, img);
    GetPanelTextSize(Panel, txt);
    const int w = img.X, tw = txt.X, th = txt.Y;
    const bool image = HasPanelImage(Panel);
    const bool centred = Panel->Alignment == TAlignment::taCenter;
    int left, right;
    if (centred) {
        if (!image)
            left = StatusHalf(W - tw);
        else if (Panel->Layout == sglGlyphLeft)
            left = StatusHalf(W - (w + S + tw)) + w + S;
        else
            left = StatusHalf(W - (w + S + tw));
        right = left + tw + 10;
    } else if (image && Panel->Layout == sglGlyphLeft) {
        left = M + w + S;
        right = W - M;
    } else if (image) {
        left = M;
        right = W - M - w - S;
    } else {
        left = M;
        right = W - M;
    }
    int top = StatusHalf(H - th);
    Rect = TRect{left, top, right, top + th};
}

void TTeStatusBar::GetSizeGripRect(TRect& Rect) {
    GetInnerRect(Rect);
    Rect.Left = Rect.Right - (Rect.Bottom - Rect.Top);
}

bool TTeStatusBar::SizeGripShown() {
    if (!size_grip_) return false;
    fw::TCustomForm* form = fw::GetParentForm(this);
    if (!form || !form->HandleAllocated() || form->WindowState() != fw::TWindowState::wsNormal)
        return false;
    if (!HandleAllocated()) return false;
    RECT fc{};
    ::GetClientRect(form->Handle(), &fc);
    POINT fp{fc.right, fc.bottom};
    ::ClientToScreen(form->Handle(), &fp);
    POINT bp{Width(), Height()};
    ::ClientToScreen(Handle(), &bp);
    return fp.x == bp.x && fp.y == bp.y;
}

// ---- painting ----

void TTeStatusBar::PaintBorder() {
    if (!IsSystemThemeActive()) TTeControl::PaintBorder();
}

void TTeStatusBar::PaintBackground() {
    PaintBar();
    PaintPanels();
    if (SizeGripShown()) PaintSizeGrip();
}

void TTeStatusBar::PaintBar() {
    fw::TCanvas& c = *Canvas();
    int saved = ::SaveDC(c.Handle());
    const TRect all{0, 0, Width(), Height()};
    if (Themed())
        CurrentTheme()->PaintStatusBar(0, c, "default", MakeStatusBarRect(all).Rect);
    else if (IsSystemThemeActive())
        DrawBarVisualStyle(c.Handle(), L"Status", all, 0, 0);
    else
        // The whole bar: with no bevel the inherited border leaves its two frame lines
        // unpainted, which showed as a black frame around the bar.
        FillRectColor(c, all, Color());
    ::RestoreDC(c.Handle(), saved);
}

void TTeStatusBar::PaintPanels() {
    for (int i = 0; i < panels_->Count(); ++i)
        PaintPanelAt(i);
}

void TTeStatusBar::PaintPanelAt(int Index) {
    if (Index < 0 || Index >= panels_->Count()) return;
    TRect r;
    GetPanelRect(Index, r);
    if (r.Right <= r.Left || r.Bottom <= r.Top) return;
    HDC dc = Canvas()->Handle();
    int saved = ::SaveDC(dc);
    try {
        ::IntersectClipRect(dc, r.Left, r.Top, r.Right, r.Bottom);
        PaintPanel(panels_->GetItem(Index), r, Index == panels_->Count() - 1);
    } catch (...) {
        ::RestoreDC(dc, saved);
        throw;
    }
    ::RestoreDC(dc, saved);
}

void TTeStatusBar::PaintPanel(TTeStatusPanel* Panel, TRect R, bool IsLast) {
    fw::TCanvas& c = *Canvas();
    int saved = ::SaveDC(c.Handle());
    if (Panel->Control) {
        TRect b = Panel->Control->BoundsRect();
        ::ExcludeClipRect(c.Handle(), b.Left, b.Top, b.Right, b.Bottom);
    }
    const TRect all{0, 0, Width(), Height()};
    if (Themed()) {
        CurrentTheme()->PaintStatusPanel(0, c, "default", MakeStatusPanelRect(R).Rect,
                                         MakeStatusBarRect(all).Rect);
    } else if (IsSystemThemeActive()) {
        DrawBarVisualStyle(c.Handle(), L"Status", all, 0, 0);
        DrawBarVisualStyle(c.Handle(), L"Status", R, IsLast ? 2 : 1, 0);
    } else {
        FillRectColor(c, R, Color());
        if (Panel->Framed) DrawBevelFrame(c, R, fw::clBtnShadow, fw::clBtnHighlight);
    }
    if (Panel->Style == psOwnerDraw) {
        DrawPanel(Panel, R);
    } else {
        PaintPanelText(Panel, R);
        if (Panel->ShowImage) PaintPanelImage(Panel, R);
    }
    ::RestoreDC(c.Handle(), saved);
}

void TTeStatusBar::PaintPanelText(TTeStatusPanel* Panel, TRect R) {
    fw::TCanvas& c = *Canvas();
    TRect t;
    GetPanelTextRect(Panel, t);
    t = TRect{t.Left + R.Left, t.Top + R.Top, t.Right + R.Left, t.Bottom + R.Top};
    t = StatusIntersect(t, R);
    const uint32_t flags = AlignmentDrawFlags[uint8_t(Panel->Alignment) % 3];
    const bool themed = Themed();
    if (themed) {
        FontToTFont(*CurrentTheme()->Fonts->GetFont(Enabled() ? kStatusTextFontNormal
                                                              : kStatusTextFontDisabled),
                    *c.Font());
    } else {
        c.Font()->Assign(Font());
    }
    std::wstring fitted;
    FitTextWithEllipsis(c.Handle(), Panel->Text, t.Width() - 4, fitted);
    if (themed) {
        CurrentTheme()->PaintStatusPanelText(
            0, c, "default", MakeTextInfo(MakeStatusPanelRect(t).Rect, fitted, flags), t,
            ClientRect());
    } else {
        c.Brush()->SetStyle(fw::TBrushStyle::bsClear);
        ::SetBkMode(c.Handle(), TRANSPARENT);
        DrawWideText(c, fitted, t, flags);
    }
}

void TTeStatusBar::PaintPanelImage(TTeStatusPanel* Panel, TRect R) {
    if (!HasPanelImage(Panel)) return;
    fw::TCanvas& c = *Canvas();
    TRect i;
    GetPanelImageRect(Panel, i);
    i = TRect{i.Left + R.Left, i.Top + R.Top, i.Right + R.Left, i.Bottom + R.Top};
    if (Themed())
        CurrentTheme()->PaintStatusPanelImage(
            0, c, "default",
            MakeStatusPanelImageInfo(MakeStatusPanelRect(i).Rect, images_, Panel->ImageIndex, 4), i,
            ClientRect());
    else
        images_->Draw(&c, i.Left, i.Top, Panel->ImageIndex, Enabled());
}

void TTeStatusBar::PaintSizeGrip() {
    fw::TCanvas& c = *Canvas();
    TRect g;
    GetSizeGripRect(g);
    if (Themed()) {
        CurrentTheme()->PaintStatusBarGripper(0, c, "default", MakeStatusBarRect(g).Rect);
    } else if (IsSystemThemeActive()) {
        DrawBarVisualStyle(c.Handle(), L"Status", g, 3, 0);
    } else {
        RECT rc{g.Left + 1, g.Top + 1, g.Right - 1, g.Bottom - 1};
        c.Brush()->SetStyle(fw::TBrushStyle::bsClear);
        ::DrawFrameControl(c.Handle(), &rc, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
    }
}

// ---- events ----

void TTeStatusBar::PanelClick(TTeStatusPanel* Panel) {
    if (OnPanelClick) OnPanelClick(this, Panel);
}
void TTeStatusBar::PanelDblClick(TTeStatusPanel* Panel) {
    if (OnPanelDblClick) OnPanelDblClick(this, Panel);
}
void TTeStatusBar::DrawPanel(TTeStatusPanel* Panel, const TRect& Rect) {
    if (OnDrawPanel) OnDrawPanel(this, Panel, Rect);
}

void TTeStatusBar::MouseDown(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) {
    TTeControl::MouseDown(Button, Shift, X, Y);
    if (Button == fw::TMouseButton::mbLeft && Enabled()) pressed_panel_ = PanelAtPos(TPoint{X, Y});
}

void TTeStatusBar::MouseMove(fw::TShiftState Shift, int X, int Y) {
    TTeControl::MouseMove(Shift, X, Y);
    if (SizeGripShown()) {
        TRect g;
        GetSizeGripRect(g);
        bool in = X >= g.Left && X < g.Right && Y >= g.Top && Y < g.Bottom;
        SetCursor(in ? fw::crSizeNWSE : fw::crDefault);
    }
}

void TTeStatusBar::MouseUp(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) {
    TTeControl::MouseUp(Button, Shift, X, Y);
    if (pressed_panel_ && PanelAtPos(TPoint{X, Y}) == pressed_panel_) PanelClick(pressed_panel_);
}

void TTeStatusBar::DblClick() {
    TTeControl::DblClick();
    POINT p{};
    ::GetCursorPos(&p);
    TPoint c = ScreenToClient(TPoint{p.x, p.y});
    if (TTeStatusPanel* panel = PanelAtPos(c)) PanelDblClick(panel);
}

void TTeStatusBar::Notification(fw::TComponent* AComponent, fw::TOperation Operation) {
    TTeControl::Notification(AComponent, Operation);
    if (Operation != fw::TOperation::opRemove) return;
    if (AComponent == images_) SetImages(nullptr);
    if (Destroying() || !panels_) return;
    // The control is going away: the panel forgets it without sending it anything.
    for (int i = 0; i < panels_->Count(); ++i)
        if (TTeStatusPanel* p = panels_->GetItem(i); p->Control == AComponent) {
            p->Control = nullptr;
            p->Changed(true);
        }
}

void TTeStatusBar::CMRepaint(TMessage&) {
    Invalidate();
}

void TTeStatusBar::CMControlChange(TMessage& M) {
    if (Loading() || Destroying()) return;
    auto* control = reinterpret_cast<fw::TControl*>(M.WParam);
    if (M.LParam && control) {
        if (panels_->FindControlPanel(control)) return; // already placed on a panel
        TTeStatusPanel* p = panels_->Add();
        p->SetControl(control);
    } else if (TTeStatusPanel* p = panels_->FindControlPanel(control)) {
        delete p;
    }
}

// The framework tells a parent of inserted and removed children with this message.
void TTeStatusBar::CMControlListChange(TMessage& M) {
    CMControlChange(M);
}

void TTeStatusBar::TMThemeChange(TMessage& M) {
    if (M.WParam == 0 || M.WParam == 3 || M.WParam == 4) {
        UpdatePanels();
        Invalidate();
    } else if (M.WParam == 5) {
        Invalidate();
    }
}

} // namespace dvr::skin
