#include "skin/controls/te_controlbar.h"

#include "skin/controls/te_barpaint.h"
#include "skin/engine/te_canvas_win.h"
#include "skin/engine/te_theme.h"
#include "skin/engine/te_winapi.h"

#include <windowsx.h>

#include <algorithm>

namespace dvr::skin {

using fw::TMessage;

TTeControlBar::TTeControlBar(fw::TComponent* AOwner) : TTeControl(AOwner) {
    SetControlStyle(fw::TControlStyle{
        fw::TControlStyleItem::csAcceptsControls, fw::TControlStyleItem::csCaptureMouse,
        fw::TControlStyleItem::csClickEvents, fw::TControlStyleItem::csOpaque,
        fw::TControlStyleItem::csDoubleClicks});
    SetBounds(Left(), Top(), 100, 50);
    AddThemeNotification(this);
}

TTeControlBar::~TTeControlBar() {
    RemoveThemeNotification(this);
    for (ControlBarBand* b : bands_)
        delete b;
    bands_.clear();
}

void TTeControlBar::CreateParams(fw::TCreateParams& Params) {
    TTeControl::CreateParams(Params);
    Params.WindowClass.style &= ~UINT(CS_HREDRAW | CS_VREDRAW);
}

void TTeControlBar::SetAutoSize(bool Value) {
    if (Value == auto_size_) return;
    auto_size_ = Value;
    if (Value) AdjustBarSize();
}

void TTeControlBar::SetRowSize(TRowSize Value) {
    row_size_ = std::max<TRowSize>(Value, 1);
}

void TTeControlBar::SetThemeObject(const std::string& Value) {
    if (Value == theme_object_) return;
    theme_object_ = Value;
    Invalidate();
}

int TTeControlBar::GetGrabberWidth() {
    return 11;
}

// ---- events ----

void TTeControlBar::NotifyBandMove(fw::TControl* Control, TRect& ARect) {
    if (OnBandMove) OnBandMove(this, Control, ARect);
}

void TTeControlBar::NotifyBandPaint(fw::TControl* Control, fw::TCanvas* Canvas, TRect& ARect,
                                    TBandPaintOptions& Options) {
    if (OnBandPaint) OnBandPaint(this, Control, Canvas, ARect, Options);
}

bool TTeControlBar::StartBandDrag(fw::TControl* Control, int, int, bool) {
    bool drag = true;
    if (OnBandDrag) OnBandDrag(this, Control, drag);
    if (drag) {
        // The control leaves the band drag; the framework has no drag-and-dock to float it.
        drag_control_ = nullptr;
        SetMouseCapture(false);
    }
    return drag;
}

void TTeControlBar::QueryBandInfo(fw::TControl* Control, TRect& Insets, int& RowCount,
                                  int& PreferredSize) {
    if (RowCount == 0) RowCount = 1;
    if (OnBandInfo) OnBandInfo(this, Control, Insets, PreferredSize, RowCount);
}

// ---- band lookups ----

bool TTeControlBar::BandShown(const ControlBarBand* B) {
    return B->Control && B->Control->Visible();
}

TRect TTeControlBar::BandBounds(const ControlBarBand* B) const {
    TRect r = B->Control->BoundsRect();
    return TRect{r.Left - B->Insets.Left, r.Top - B->Insets.Top, r.Right + B->Insets.Right,
                 r.Bottom + B->Insets.Bottom};
}

ControlBarBand* TTeControlBar::FindBand(fw::TControl* Control) const {
    if (!Control) return nullptr;
    for (ControlBarBand* b : bands_)
        if (b->Control == Control && !b->Parent) return b;
    return nullptr;
}

ControlBarBand* TTeControlBar::BandAtPoint(int X, int Y) const {
    for (ControlBarBand* b : bands_) {
        if (b->Parent || !BandShown(b)) continue;
        TRect r = BandBounds(b);
        if (X >= r.Left && X < r.Right && Y >= r.Top && Y < r.Bottom) return b;
    }
    return nullptr;
}

fw::TControl* TTeControlBar::ControlAtPoint(int X, int Y) const {
    ControlBarBand* b = BandAtPoint(X, Y);
    return b ? b->Control : nullptr;
}

void TTeControlBar::Realign(fw::TControl* Control) {
    if (!HandleAllocated() || Destroying()) return;
    DisableAlign();
    try {
        TRect r = ClientRect();
        AlignControls(Control, r);
    } catch (...) {
        control_state_.Exclude(fw::TControlStateItem::csAlignmentNeeded);
        EnableAlign();
        throw;
    }
    control_state_.Exclude(fw::TControlStateItem::csAlignmentNeeded);
    EnableAlign();
}

void TTeControlBar::ClearBands() {
    for (ControlBarBand* b : bands_)
        delete b;
    bands_.clear();
    drag_control_ = nullptr;
    last_band_control_ = nullptr;
    Realign(nullptr);
}

void TTeControlBar::FreeBandChain(ControlBarBand* Top) {
    for (ControlBarBand* b = Top; b;) {
        ControlBarBand* next = b->SubBand;
        bands_.erase(std::find(bands_.begin(), bands_.end(), b));
        delete b;
        b = next;
    }
}

void TTeControlBar::RemoveBand(fw::TControl* Control) {
    last_band_control_ = Control;
    ControlBarBand* top = FindBand(Control);
    if (!top) return;
    size_t at = size_t(std::find(bands_.begin(), bands_.end(), top) - bands_.begin());
    bool started_row = top->Break;
    FreeBandChain(top);
    if (started_row && at < bands_.size()) bands_[at]->Break = true;
}

// ---- building the band list ----

void TTeControlBar::InsertBand(fw::TControl* Control, TRect Rect, bool Keep, int RowCount,
                               int PreferredSize, TRect Insets, int Extra, bool KeepBreak,
                               ControlBarBand* Parent) {
    if (!Parent) {
        PreferredSize = Rect.Width();
        Insets = default_insets_;
        const int extra = Extra >= 0 ? Extra : Insets.Top + Insets.Bottom;
        const int total = extra + Rect.Height();
        RowCount = 1;
        if (row_snap_) {
            RowCount = std::max(1, total / row_size_);
            if (Keep && row_size_ * RowCount < total) ++RowCount;
        }
        QueryBandInfo(Control, Insets, RowCount, PreferredSize);
        if (RowCount == 0) RowCount = 1;
        if (row_snap_ && Keep && total > row_size_ * RowCount) RowCount = total / row_size_ + 1;
        Rect.Right = Rect.Left + PreferredSize;
        Rect = TRect{Rect.Left - Insets.Left, Rect.Top - Insets.Top, Rect.Right + Insets.Right,
                     Rect.Bottom + Insets.Bottom};
        if (row_snap_) Rect.Bottom = Rect.Top + row_size_ * RowCount;
    }
    // Where it goes: into the row its middle line falls in, after the bands left of it.
    const int mid = Rect.Top + row_size_ / 2;
    const size_t n = bands_.size();
    size_t pos = n;
    bool new_row = true;
    for (size_t i = 0; i < n;) {
        size_t j = i + 1;
        while (j < n && !bands_[j]->Break)
            ++j;
        int bottom = 0;
        for (size_t k = i; k < j; ++k)
            bottom = std::max(bottom, bands_[k]->Position.Y + bands_[k]->Height);
        if (bottom > mid) {
            pos = i;
            for (size_t k = i; k < j; ++k)
                if (bands_[k]->Position.X < Rect.Left && bands_[k]->Position.Y < mid) pos = k + 1;
            new_row = pos == i;
            break;
        }
        i = j;
    }
    if (pos == 0) new_row = true;
    if (new_row && pos < n && pos > 0 && !KeepBreak) bands_[pos]->Break = false;
    if (new_row && pos == 0 && n > 0) bands_[0]->Break = false;

    auto* b = new ControlBarBand();
    b->Control = Control;
    b->Insets = Insets;
    b->Visible = Control->Visible();
    b->Break = new_row;
    b->TempBreak = new_row;
    b->Position = TPoint{Rect.Left, Rect.Top};
    b->TempPosition = b->Position;
    b->Width = Rect.Width();
    b->TempWidth = b->Width;
    b->Height = row_snap_ ? row_size_ : Rect.Height();
    b->RowCount = RowCount;
    b->Parent = Parent;
    if (Parent) Parent->SubBand = b;
    bands_.insert(bands_.begin() + std::ptrdiff_t(pos), b);
    if (RowCount >= 2) {
        TRect below{Rect.Left, Rect.Top + row_size_, Rect.Right, Rect.Bottom + row_size_};
        InsertBand(Control, below, Keep, RowCount - 1, PreferredSize, Insets, -1, KeepBreak, b);
    }
}

bool TTeControlBar::RebuildBands(fw::TControl* Control) {
    default_insets_.Left = GetGrabberWidth();
    // Bands of controls that are no longer children go first.
    for (size_t i = 0; i < bands_.size();) {
        ControlBarBand* b = bands_[i];
        if (!b->Parent &&
            std::find(controls_.begin(), controls_.end(), b->Control) == controls_.end()) {
            RemoveBand(b->Control);
            i = 0;
        } else {
            ++i;
        }
    }
    bool repaint = false;
    std::vector<fw::TControl*> fresh;
    for (fw::TControl* c : controls_) {
        if (ControlBarBand* b = FindBand(c)) {
            if (b->Visible != c->Visible()) repaint = true;
            b->Visible = c->Visible();
            continue;
        }
        auto it = fresh.begin();
        while (it != fresh.end() && ((*it)->Top() < c->Top() ||
                                     ((*it)->Top() == c->Top() && (*it)->Left() <= c->Left())))
            ++it;
        fresh.insert(it, c);
    }
    ControlBarBand* own = FindBand(Control);
    const bool had_none = Control && !own;
    bool keep_break = false;
    int extra = -1;
    TRect rect;
    if (own) {
        keep_break = own->Break;
        extra = own->Insets.Top + own->Insets.Bottom;
        if (drag_control_)
            rect = TRect{own->Position.X + own->Insets.Left, own->Position.Y + own->Insets.Top,
                         own->Position.X + own->Insets.Left + Control->Width(),
                         own->Position.Y + own->Insets.Top + Control->Height()};
        else
            rect = Control->BoundsRect();
        size_t at = size_t(std::find(bands_.begin(), bands_.end(), own) - bands_.begin());
        FreeBandChain(own);
        if (keep_break && at < bands_.size()) bands_[at]->Break = true;
    }
    for (fw::TControl* c : fresh)
        if (c != Control || !own)
            InsertBand(c, c->BoundsRect(), false, 0, 0, default_insets_, -1, false, nullptr);
    if (own) InsertBand(Control, rect, true, 0, 0, default_insets_, extra, keep_break, nullptr);
    if (repaint) Invalidate();
    return had_none;
}

// ---- layout ----

bool TTeControlBar::LayoutBands(TRect Rect, ControlBarBand*& Replace) {
    const size_t n = bands_.size();
    const int avail = Rect.Width();
    int row_top = 0;
    size_t i = 0;
    while (i < n) {
        size_t j = i + 1;
        while (j < n && !(bands_[j]->Break || bands_[j]->TempBreak))
            ++j;
        int K = 0, S = 0, lowest = row_top;
        std::vector<ControlBarBand*> shown;
        for (size_t k = i; k < j; ++k) {
            ControlBarBand* b = bands_[k];
            if (!BandShown(b)) continue;
            TRect R;
            if (b->Parent) {
                ControlBarBand* p = b->Parent;
                b->Position = TPoint{p->TempPosition.X, p->TempPosition.Y + p->Height};
                b->Width = p->Width;
                b->TempWidth = p->TempWidth;
                R = TRect{b->Position.X, b->Position.Y, b->Position.X + b->TempWidth,
                          b->Position.Y + b->Height};
            } else {
                int pref = b->Width - b->Insets.Left - b->Insets.Right;
                int rows = b->RowCount;
                QueryBandInfo(b->Control, b->Insets, rows, pref);
                b->Width = b->Insets.Left + pref + b->Insets.Right;
                R = b == Replace
                        ? TRect{b->TempPosition.X, b->TempPosition.Y,
                                b->TempPosition.X + b->TempWidth, b->TempPosition.Y + b->Height}
                        : TRect{b->Position.X, b->Position.Y, b->Position.X + b->Width,
                                b->Position.Y + b->Height};
                NotifyBandMove(b->Control, R);
                b->TempWidth = R.Width();
                if (b == Replace) {
                    b->TempPosition = TPoint{R.Left, R.Top};
                    Replace = nullptr;
                } else {
                    b->Position = TPoint{R.Left, R.Top};
                }
            }
            if (b->Break || b->TempBreak) b->Position.Y = row_top;
            int X = R.Left;
            const int w = b->TempWidth;
            if (X < K && S > 0) {
                // Push the bands before it to the left into the free space they leave.
                int P = X, A = S, next_start = X;
                bool nearest = true;
                for (auto it = shown.rbegin(); it != shown.rend(); ++it) {
                    ControlBarBand* e = *it;
                    const int end = e->TempPosition.X + e->TempWidth;
                    if (end <= P) break;
                    if (!nearest) A -= next_start - end;
                    next_start = e->TempPosition.X;
                    e->TempPosition.X -= std::max(0, std::min(end - P, A));
                    P -= e->TempWidth;
                    nearest = false;
                }
                const int d = std::min(K - X, S);
                K -= d;
                S -= d;
            }
            if (X < K) X = K;
            lowest = std::max(lowest, row_top + b->Height);
            S += X - K;
            K = X + w;
            if (b->Parent) {
                if (X != b->Parent->TempPosition.X) {
                    // Pushed along in its own row: the whole band follows from the top.
                    ControlBarBand* top = nullptr;
                    for (ControlBarBand* p = b->Parent; p; p = p->Parent) {
                        p->TempPosition.X = X;
                        top = p;
                    }
                    Replace = top;
                    return true;
                }
            }
            b->TempPosition = TPoint{X, row_top};
            b->TempWidth = w;
            shown.push_back(b);
        }
        if (K > avail && !shown.empty()) {
            int V = avail, Q = K, A = S;
            for (auto it = shown.rbegin(); it != shown.rend(); ++it) {
                ControlBarBand* e = *it;
                const int end = e->TempPosition.X + e->TempWidth;
                if (end <= V) continue;
                if (it != shown.rbegin()) A -= Q - end;
                Q = e->TempPosition.X;
                e->TempPosition.X -= std::max(0, std::min(end - V, A));
                V -= e->TempWidth;
            }
            if (V < 0) {
                V = avail;
                for (auto it = shown.rbegin(); it != shown.rend(); ++it) {
                    ControlBarBand* e = *it;
                    const int end = e->TempPosition.X + e->TempWidth;
                    if (end > V) {
                        const int min_w =
                            e->Control->Constraints()->MinWidth + e->Insets.Left + e->Insets.Right;
                        e->TempWidth =
                            std::min(e->TempWidth, std::max(e->TempWidth - (end - V), min_w));
                        const int stick = e->TempPosition.X + e->TempWidth - V;
                        if (stick > 0)
                            e->TempPosition.X = std::max(e->TempPosition.X - stick, Rect.Left);
                    }
                    V -= e->TempWidth;
                }
            }
            if (V < 0 && shown.size() > 1) {
                ControlBarBand* last = shown.back();
                last->TempBreak = true;
                last->TempPosition.X = 0;
                last->TempWidth = last->Width;
                continue; // the same row again, without the wrapped band
            }
        }
        row_top = lowest;
        i = j;
    }
    return false;
}

void TTeControlBar::AlignControls(fw::TControl* AControl, TRect& Rect) {
    if (aligning_) return;
    aligning_ = true;
    try {
        RebuildBands(AControl);
        bool moved = false;
        if (!bands_.empty()) {
            for (ControlBarBand* b : bands_)
                b->TempBreak = b->Break;
            ControlBarBand* replace = nullptr;
            bool restart = LayoutBands(Rect, replace);
            if (restart) restart = LayoutBands(Rect, replace);
            if (!restart) {
                for (ControlBarBand* b : bands_) {
                    if (b->Parent || !BandShown(b)) continue;
                    const int left = b->TempPosition.X + b->Insets.Left;
                    const int top = b->TempPosition.Y + b->Insets.Top;
                    int bottom = b->TempPosition.Y + b->Height - b->Insets.Bottom;
                    for (ControlBarBand* s = b->SubBand; s; s = s->SubBand)
                        bottom += s->Height;
                    fw::TControl* c = b->Control;
                    if (c->Left() != left || c->Top() != top || c->Top() + c->Height() != bottom) {
                        c->SetBounds(left, top, c->Width(), bottom - top);
                        moved = true;
                    }
                }
            }
        }
        if (moved || AControl) Invalidate();
        AdjustBarSize();
    } catch (...) {
        aligning_ = false;
        throw;
    }
    aligning_ = false;
}

void TTeControlBar::CommitBandPositions() {
    for (ControlBarBand* b : bands_) {
        if (b->Parent) {
            b->Position = TPoint{b->Parent->Position.X, b->Parent->Position.Y + b->Parent->Height};
        } else {
            b->Position =
                TPoint{b->Control->Left() - b->Insets.Left, b->Control->Top() - b->Insets.Top};
        }
        b->Width = b->Control->Width() + b->Insets.Left + b->Insets.Right;
        b->Break = b->TempBreak;
    }
}

bool TTeControlBar::CanAutoSize(int& NewWidth, int& NewHeight) {
    if (!HandleAllocated()) return true;
    const fw::TAlign a = Align();
    int most = 0;
    for (ControlBarBand* b : bands_) {
        if (b->Parent || !BandShown(b)) continue;
        if (a == fw::TAlign::alLeft || a == fw::TAlign::alRight)
            most = std::max(most, b->TempPosition.X + b->Control->Width() + b->Insets.Left +
                                      b->Insets.Right);
        else
            most = std::max(most, b->TempPosition.Y + b->Control->Height() + b->Insets.Top +
                                      b->Insets.Bottom);
    }
    if (a == fw::TAlign::alLeft || a == fw::TAlign::alRight)
        NewWidth = most + (Width() - ClientWidth());
    else
        NewHeight = most + (Height() - ClientHeight());
    return true;
}

void TTeControlBar::AdjustBarSize() {
    if (!auto_size_) return;
    int w = Width(), h = Height();
    if (CanAutoSize(w, h) && (w != Width() || h != Height())) SetBounds(Left(), Top(), w, h);
}

// ---- mouse ----

void TTeControlBar::MouseDown(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) {
    TTeControl::MouseDown(Button, Shift, X, Y);
    if (!MouseCapture()) return;
    fw::TControl* dragging = drag_control_; // a band drag handed over from a floating control
    ClearBands();
    drag_control_ = dragging;
    ControlBarBand* b = drag_control_ ? FindBand(drag_control_) : BandAtPoint(X, Y);
    if (!b) return;
    if (Shift.Contains(fw::TShiftStateItem::ssDouble) && StartBandDrag(b->Control, X, Y, false))
        return;
    drag_control_ = b->Control;
    if (drag_control_ == last_band_control_)
        last_band_control_ = nullptr;
    else
        CommitBandPositions();
    drag_offset_ = TPoint{b->TempPosition.X - X, b->TempPosition.Y - Y};
}

void TTeControlBar::MouseMove(fw::TShiftState Shift, int X, int Y) {
    TTeControl::MouseMove(Shift, X, Y);
    if (!MouseCapture() || !drag_control_) return;
    ControlBarBand* b = FindBand(drag_control_);
    if (!b) return;
    const TPoint p{X + drag_offset_.X, Y + drag_offset_.Y};
    b->Position = p;
    b->TempPosition = p;
    b->TempWidth = drag_control_->Width() + b->Insets.Left + b->Insets.Right;
    if (auto_drag_) {
        const int h = drag_control_->Height();
        if (p.X >= -h && p.Y >= -h && p.X <= ClientWidth() + h && p.Y <= ClientHeight() + h)
            Realign(drag_control_);
        else if (!StartBandDrag(drag_control_, X, Y, true))
            Realign(drag_control_);
    } else {
        Realign(drag_control_);
    }
}

void TTeControlBar::MouseUp(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) {
    if (drag_control_) {
        const bool was_last = drag_control_ == last_band_control_;
        drag_control_ = nullptr;
        if (was_last)
            last_band_control_ = nullptr;
        else
            CommitBandPositions();
    }
    TTeControl::MouseUp(Button, Shift, X, Y);
}

// ---- messages ----

void TTeControlBar::TMThemeChange(TMessage& M) {
    if (M.WParam == 0 || M.WParam == 3 || M.WParam == 4 || M.WParam == 5) Invalidate();
}

// Ctrl pressed during a band drag floats the control.
void TTeControlBar::CNKeyDown(TMessage& M) {
    FW_INHERITED(M);
    if (M.WParam == VK_CONTROL && auto_drag_ && drag_control_ && FindBand(drag_control_)) {
        POINT p{};
        ::GetCursorPos(&p);
        TPoint c = ScreenToClient(TPoint{p.x, p.y});
        StartBandDrag(drag_control_, c.X, c.Y, true);
    }
}

void TTeControlBar::CMControlListChange(TMessage& M) {
    FW_INHERITED(M);
    if (M.LParam != 0) return;
    auto* control = reinterpret_cast<fw::TControl*>(M.WParam);
    if (drag_control_ == control) drag_control_ = nullptr;
    RemoveBand(control);
    AdjustBarSize();
    Invalidate();
}

void TTeControlBar::CMDesignHitTest(TMessage& M) {
    const int x = GET_X_LPARAM(M.LParam), y = GET_Y_LPARAM(M.LParam);
    M.Result = drag_control_ || ControlAtPoint(x, y) ? 1 : 0;
}

// ---- painting ----

void TTeControlBar::PaintBackground() {
    PaintBarBackground();
    if (OnPaint) OnPaint(this);
    fw::TCanvas* c = Canvas();
    for (ControlBarBand* b : bands_) {
        if (b->Parent || !BandShown(b)) continue;
        TRect r = BandBounds(b);
        PaintBand(c, b->Control, r);
    }
}

void TTeControlBar::PaintBarBackground() {
    fw::TCanvas& c = *Canvas();
    if (CurrentThemeHasControlBarStyle(1, theme_object_))
        CurrentTheme()->PaintControlBar(1, c, "default",
                                        TRect{0, 0, cached_width_, cached_height_});
    else if (IsSystemThemeActive())
        DrawBarVisualStyle(c.Handle(), L"Rebar", TRect{0, 0, Width(), Height()}, 0, 0);
    else
        FillRectColor(c, TRect{0, 0, Width(), Height()}, Color());
}

void TTeControlBar::PaintBand(fw::TCanvas* Canvas, fw::TControl* Control, TRect& ARect) {
    TBandPaintOptions options{bpoGrabber, bpoFrame};
    NotifyBandPaint(Control, Canvas, ARect, options);
    if (CurrentThemeHasControlBarStyle(1, theme_object_)) {
        CurrentTheme()->PaintToolBar(1, *Canvas, "default", ARect);
        return;
    }
    HDC dc = Canvas->Handle();
    RECT rc{ARect.Left, ARect.Top, ARect.Right, ARect.Bottom};
    if (options.Contains(bpoFrame)) ::DrawEdge(dc, &rc, BDR_RAISEDINNER, BF_RECT);
    if (!options.Contains(bpoGrabber)) return;
    if (IsSystemThemeActive()) {
        DrawBarVisualStyle(dc, L"Rebar",
                           TRect{ARect.Left + 2, ARect.Top + 2, ARect.Left + 8, ARect.Bottom - 2},
                           1, 1);
        return;
    }
    TRect g{ARect.Left + 3, ARect.Top + 2, ARect.Left + 5, ARect.Bottom - 3};
    for (int bar = 0; bar < 2; ++bar) {
        CanvasMoveTo(*Canvas, g.Left + 2, g.Top);
        DrawLineTo(*Canvas, g.Left, g.Top, fw::clBtnHighlight);
        DrawLineTo(*Canvas, g.Left, g.Bottom + 1, fw::clBtnHighlight);
        CanvasMoveTo(*Canvas, g.Right, g.Top);
        DrawLineTo(*Canvas, g.Right, g.Bottom, fw::clBtnShadow);
        DrawLineTo(*Canvas, g.Left, g.Bottom, fw::clBtnShadow);
        g.Left += 3;
        g.Right += 3;
    }
}

} // namespace dvr::skin
