#include "skin/controls/te_tabcontrol.h"

#include "common/win/textconv.h"
#include "framework/ui/forms.h"
#include "skin/controls/te_drawstyle.h"
#include "skin/engine/te_bitmap_win.h"
#include "skin/engine/te_canvas_win.h"
#include "skin/engine/te_theme.h"
#include "skin/engine/te_winapi.h"

#include <windowsx.h>

#include <algorithm>
#include <stdexcept>

namespace dvr::skin {

using fw::TMessage;

// ---- TTeTabStringList ----

int TTeTabStringList::Add(const std::string& S) {
    int i = fw::TStringList::Add(S);
    if (!quiet_) control_->UpdateTabs();
    return i;
}

void TTeTabStringList::Clear() {
    fw::TStringList::Clear();
    if (!quiet_) control_->UpdateTabs();
}

void TTeTabStringList::Delete(int Index) {
    fw::TStringList::Delete(Index);
    control_->UpdateTabs();
}

void TTeTabStringList::Insert(int Index, const std::string& S) {
    fw::TStringList::Insert(Index, S);
    if (!quiet_) control_->UpdateTabs();
}

void TTeTabStringList::Put(int Index, const std::string& S) {
    fw::TStringList::Put(Index, S);
    control_->UpdateTabs();
}

void TTeTabStringList::Assign(const fw::TPersistent* Source) {
    auto* src = dynamic_cast<const fw::TStrings*>(Source);
    if (!src) {
        fw::TStringList::Assign(Source);
        return;
    }
    BeginUpdate();
    try {
        quiet_ = true;
        Clear();
        for (int i = 0; i < src->GetCount(); ++i) Add(src->Get(i));
        quiet_ = false;
        control_->UpdateTabs();
    } catch (...) {
        quiet_ = false;
        control_->UpdateTabs();
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TTeTabStringList::SetUpdateState(bool Updating) {
    fw::TStringList::SetUpdateState(Updating);
    control_->SetTabsUpdating(Updating);
    if (!Updating) {
        control_->Invalidate();
        control_->UpdateTabs();
    }
}

// ---- TTePageList ----

void TTePageList::Notify(void*, fw::TListNotification) {
    if (control_) control_->UpdateTabs();
}

// ---- TTeTabSheet ----

TTeTabSheet::TTeTabSheet(fw::TComponent* AOwner) : fw::TCustomControl(AOwner) {
    SetAlign(fw::TAlign::alClient);
    control_style_.Include(fw::TControlStyleItem::csAcceptsControls)
        .Include(fw::TControlStyleItem::csNoDesignVisible);
    SetVisible(false);
}

TTeTabSheet::~TTeTabSheet() {
    destroying_ = true;
    if (tab_control_ && !tab_control_->destroying_) tab_control_->RemovePage(this);
}

void TTeTabSheet::CreateParams(fw::TCreateParams& Params) {
    fw::TCustomControl::CreateParams(Params);
    Params.WindowClass.style &= ~UINT(CS_HREDRAW | CS_VREDRAW);
}

void TTeTabSheet::SetTabControl(TTeTabControl* Control) {
    if (Control == tab_control_) return;
    if (tab_control_) {
        // Leaving a control must not free the sheet: it is moving, not going.
        const bool was = destroying_;
        destroying_ = true;
        tab_control_->RemovePage(this);
        destroying_ = was;
        page_visible_ = false;
    }
    tab_control_ = Control;
    if (Control) {
        page_visible_ = true;
        Control->AppendPage(this);
    }
}

int TTeTabSheet::PageIndex() const {
    return tab_control_ ? tab_control_->pages_.IndexOf(this) : -1;
}

void TTeTabSheet::SetPageIndex(int Value) {
    if (Loading() || !tab_control_) return;
    const int old = PageIndex();
    if (Value == old || Value < 0 || Value >= tab_control_->PageCount()) return;
    tab_control_->pages_.Exchange(old, Value);
    tab_control_->UpdateTabs();
}

void TTeTabSheet::SetPageVisible(bool Value) {
    if (Loading()) {
        page_visible_ = Value;
        return;
    }
    if (Value == page_visible_) return;
    page_visible_ = Value;
    if (tab_control_) tab_control_->UpdateTabs();
}

void TTeTabSheet::SetImageIndex(int Value) {
    if (Value == image_index_) return;
    image_index_ = Value;
    if (tab_control_) tab_control_->Invalidate();
}

void TTeTabSheet::DoHide() {
    OnHide(this);
}

void TTeTabSheet::DoShow() {
    OnShow(this);
}

void TTeTabSheet::PaintTabBackground(HDC DC) {
    if (!Parent() || !tab_control_) return;
    const int saved = ::SaveDC(DC);
    try {
        fw::TPoint mine = ClientOrigin(), theirs = tab_control_->ClientOrigin();
        const int ox = mine.X - theirs.X, oy = mine.Y - theirs.Y;
        POINT old{};
        ::OffsetViewportOrgEx(DC, -ox, -oy, &old);
        fw::TCanvas* c = tab_control_->Canvas();
        HDC was = c->Handle();
        c->SetHandle(DC);
        tab_control_->PaintFrame();
        c->SetHandle(was);
        ::SetViewportOrgEx(DC, old.x, old.y, nullptr);
    } catch (...) {
        ::RestoreDC(DC, saved);
        throw;
    }
    ::RestoreDC(DC, saved);
}

bool TabSheetBackgroundPainter(fw::TCanvas& Canvas, const TteBackgroundInfo& Info) {
    auto* sheet = dynamic_cast<TTeTabSheet*>(Info.Parent);
    if (!sheet) return false;
    sheet->PaintTabBackground(Canvas.Handle());
    return true;
}

void TTeTabSheet::WMEraseBkgnd(TMessage& M) {
    M.Result = 1;
}

void TTeTabSheet::WMPaint(TMessage& M) {
    PAINTSTRUCT ps{};
    HDC dc = M.WParam ? HDC(M.WParam) : ::BeginPaint(Handle(), &ps);
    if (tab_control_ && tab_control_->ActivePage() == this) {
        PaintTabBackground(dc);
        PaintControls(dc, nullptr);
    }
    if (!M.WParam) ::EndPaint(Handle(), &ps);
    M.Result = 0;
}

void TTeTabSheet::CMTextChanged(TMessage& M) {
    FW_INHERITED(M);
    if (!tab_control_) return;
    const int t = tab_control_->PageToTabIndex(PageIndex());
    if (t >= 0 && t < tab_control_->TabCount()) tab_control_->tabs_.Put(t, GetText());
}

void TTeTabSheet::CMShowingChanged(TMessage& M) {
    FW_INHERITED(M);
    try {
        if (Showing())
            DoShow();
        else
            DoHide();
    } catch (...) {
        if (fw::Application) fw::Application->HandleException(this);
    }
}

// ---- TTeTabControl ----

TTeTabControl::TTeTabControl(fw::TComponent* AOwner) : TTeControl(AOwner) {
    control_style_.Include(fw::TControlStyleItem::csAcceptsControls)
        .Include(fw::TControlStyleItem::csClickEvents)
        .Include(fw::TControlStyleItem::csDoubleClicks);
    SetParentColor(true);
    SetBounds(Left(), Top(), 289, 193);
    SetTabStop(true);
    AddThemeNotification(this);
    Realign();
}

TTeTabControl::~TTeTabControl() {
    destroying_ = true;
    RemoveThemeNotification(this);
    for (int i = 0; i < pages_.Count(); ++i) pages_.Item<TTeTabSheet>(i)->tab_control_ = nullptr;
    pages_.Detach();
    delete scroll_timer_;
    scroll_timer_ = nullptr;
}

bool TTeTabControl::Themed() {
    return CurrentThemeHasTabsStyle(0, theme_object_);
}

std::wstring TTeTabControl::Caption(int Index) const {
    return win::GbkToWide(tabs_.Get(Index));
}

// ---- settings ----

void TTeTabControl::SetTabIndex(int Value) {
    if (Loading()) loaded_tab_index_ = Value;
    if (Value == tab_index_ || Value < 0 || Value >= TabCount()) return;
    const int old = tab_index_;
    tab_index_ = Value;
    if (!CanChange()) {
        tab_index_ = old;
        return;
    }
    if (!multi_line_) {
        // Bring the tab into view, bounded by the tab count so a tab wider than the
        // strip cannot loop.
        const int count = TabCount();
        for (int guard = 0; guard < count && ScrollButtonsVisible(); ++guard) {
            TRect t = TabRect(tab_index_), l, r, x;
            GetLeftButtonRect(l);
            GetRightButtonRect(r);
            if (!::IntersectRect(reinterpret_cast<RECT*>(&x), reinterpret_cast<RECT*>(&t),
                                 reinterpret_cast<RECT*>(&l)) &&
                !::IntersectRect(reinterpret_cast<RECT*>(&x), reinterpret_cast<RECT*>(&t),
                                 reinterpret_cast<RECT*>(&r)))
                break;
            if (first_visible_tab_ >= count - 1) break;
            ++first_visible_tab_;
        }
        while (first_visible_tab_ > tab_index_) --first_visible_tab_;
        for (int guard = 0; guard < count; ++guard) {
            const int last = GetLastVisibleTab(true);
            if (last == 0 || last >= tab_index_ || first_visible_tab_ >= tab_index_) break;
            ++first_visible_tab_;
        }
    }
    RepaintTabs();
    if (use_pages_) {
        ActivatePageIndex(TabToPageIndex(tab_index_));
        Realign();
    } else {
        Change();
    }
}

void TTeTabControl::SetTabPosition(TteTabPosition Value) {
    if (Value == tab_position_) return;
    tab_position_ = Value;
    if ((Value == kttpLeft || Value == kttpRight) && !multi_line_) multi_line_ = true;
    Invalidate();
    if (use_pages_ && active_page_) PlaceActivePage();
}

void TTeTabControl::PlaceActivePage() {
    DisableAlign();
    try {
        BuildRows();
        TRect r;
        AdjustClientRect(r);
        active_page_->SetBounds(r.Left, r.Top, r.Width(), r.Height());
    } catch (...) {
        EnableAlign();
        throw;
    }
    EnableAlign();
    if (active_page_->HandleAllocated()) {
        HDC dc = ::GetDC(active_page_->Handle());
        active_page_->Perform(WM_ERASEBKGND, uintptr_t(dc), 0);
        ::ReleaseDC(active_page_->Handle(), dc);
    }
    active_page_->Invalidate();
}

void TTeTabControl::SetMultiLine(bool Value) {
    if (!Value && (tab_position_ == kttpLeft || tab_position_ == kttpRight))
        throw std::runtime_error("MultiLine must be True when TabPosition is kttpLeft or kttpRight");
    if (Value == multi_line_) return;
    multi_line_ = Value;
    BuildRows();
    Realign();
    Invalidate();
}

void TTeTabControl::SetScrollOpposite(bool Value) {
    if (Value == scroll_opposite_) return;
    scroll_opposite_ = Value;
    if (Value) multi_line_ = true;
    Realign();
    Invalidate();
}

void TTeTabControl::SetTabHeight(int Value) {
    if (Value == tab_height_) return;
    tab_height_ = Value;
    Invalidate();
    Realign();
}

void TTeTabControl::SetTabWidth(int Value) {
    if (Value == tab_width_) return;
    tab_width_ = Value;
    Invalidate();
    Realign();
}

#define TE_TABS_SETTER(field)                                                                      \
    if (Value == field) return;                                                                    \
    field = Value;                                                                                 \
    Invalidate();

void TTeTabControl::SetRaggedRight(bool Value) {
    TE_TABS_SETTER(ragged_right_)
}
void TTeTabControl::SetHotTrack(bool Value) {
    TE_TABS_SETTER(hot_track_)
}
void TTeTabControl::SetOwnerDraw(bool Value) {
    TE_TABS_SETTER(owner_draw_)
}
void TTeTabControl::SetThemeObject(const std::string& Value) {
    TE_TABS_SETTER(theme_object_)
}
#undef TE_TABS_SETTER

void TTeTabControl::SetImages(fw::TImageList* Value) {
    if (Value == images_) return;
    if (images_) images_->RemoveFreeNotification(this);
    images_ = Value;
    if (images_) images_->FreeNotification(this);
    Invalidate();
}

void TTeTabControl::SetUsePages(bool Value) {
    if (Value == use_pages_) return;
    use_pages_ = Value;
    if (!Loading() && Value) {
        while (ControlCount() > 0) Controls(ControlCount() - 1)->Free();
    }
    UpdateTabs();
}

void TTeTabControl::Notification(fw::TComponent* AComponent, fw::TOperation Operation) {
    TTeControl::Notification(AComponent, Operation);
    if (Operation == fw::TOperation::opRemove && AComponent == images_) images_ = nullptr;
}

void TTeTabControl::Change() {
    OnChange(this);
}

bool TTeTabControl::CanChange() {
    bool allow = true;
    OnChanging(this, allow);
    return allow;
}

void TTeTabControl::DrawTab(int Index, const TRect& Rect, bool Active) {
    OnDrawTab(this, Index, Rect, Active);
}

// ---- sizes and rows ----

bool TTeTabControl::TabHasImage(int Index) const {
    if (!use_pages_ || !images_) return false;
    TTeTabSheet* p = GetPage(TabToPageIndex(Index));
    return p && p->ImageIndex() >= 0;
}

int TTeTabControl::CalcTabHeight() {
    if (tab_height_ > 0) return tab_height_;
    Canvas()->Font()->Assign(Font());
    int h = Canvas()->TextHeight("Pq") + 4;
    if (images_) h = std::max(h, images_->Height() + 4);
    return h;
}

int TTeTabControl::CalcTabWidth(int Index) {
    if (Index < 0 || Index >= TabCount()) return 0;
    if (tab_width_ != 0) return tab_width_;
    UseTabFont(Index);
    int w = WideTextWidth(*Canvas(), Caption(Index), DT_SINGLELINE) + 12;
    if (TabHasImage(Index)) w += images_->Width();
    const int F = GetFrameLeft();
    return std::max(w, 2 * (CalcTabHeight() + F));
}

int TTeTabControl::GetTabExtent(int Index) {
    if (ragged_right_ || tab_width_ != 0 || !multi_line_) return CalcTabWidth(Index);
    const int r = std::max(0, RowOfTab(Index));
    const TRowRecord& row = rows_[size_t(r)];
    int w = CalcTabWidth(Index) + row.ExtraWidth;
    if (row.LastTab == Index) w += row.Remainder;
    return w;
}

void TTeTabControl::BuildRows() {
    const int count = TabCount();
    if (count == 0) return;
    const int F = GetFrameLeft();
    const bool across = tab_position_ == kttpTop || tab_position_ == kttpBottom;
    const int A = (across ? Width() : Height()) - 2 * F;
    int cur = CalcTabWidth(0), start = 0, r = 0;
    auto close_row = [&](int last, int n) {
        if (r >= kMaxRows) return;
        TRowRecord& row = rows_[size_t(r)];
        row.LastTab = last;
        row.ExtraWidth = n > 0 ? (A - cur) / n : 0;
        row.Remainder = A - cur - row.ExtraWidth * n;
    };
    for (int j = 1; j < count; ++j) {
        const int w = CalcTabWidth(j);
        if (cur + w < A) {
            cur += w;
        } else {
            close_row(j - 1, j - start);
            cur = w;
            start = j;
            if (r < kMaxRows - 1) ++r;
        }
    }
    if (cur > 0) close_row(count - 1, count - start);
    row_table_count_ = r + 1;
}

int TTeTabControl::RowOfTab(int Index) {
    const int rows = RowCount();
    if (rows == 0) return -1;
    if (!multi_line_) return 0;
    for (int r = 0; r + 1 < rows; ++r)
        if (rows_[size_t(r)].LastTab < Index && Index <= rows_[size_t(r + 1)].LastTab) return r + 1;
    return 0;
}

int TTeTabControl::GetRowOffset(int Row) {
    const int c = RowOfTab(tab_index_), TH = CalcTabHeight();
    if (Row >= c) return (Row - c + 1) * TH;
    if (!scroll_opposite_) return (Row + RowCount() - c + 1) * TH;
    return (c - Row) * TH;
}

int TTeTabControl::GetTabAreaSize() {
    if (TabCount() == 0) return 0;
    const int c = std::max(0, RowOfTab(tab_index_));
    const int TH = CalcTabHeight();
    return (scroll_opposite_ ? TH * (RowCount() - c) : TH * RowCount()) + GetFrameTop();
}

int TTeTabControl::GetOppositeAreaSize() {
    if (!scroll_opposite_) return 0;
    return std::max(0, RowOfTab(tab_index_)) * CalcTabHeight();
}

bool TTeTabControl::IsOppositeRow(int Index) {
    return multi_line_ && scroll_opposite_ && RowOfTab(Index) < RowOfTab(tab_index_);
}

void TTeTabControl::GetFrameRect(TRect& Rect) {
    BuildRows();
    Rect = TRect{0, 0, CachedWidth(), CachedHeight()};
    const int tab = GetTabAreaSize(), opposite = GetOppositeAreaSize();
    switch (tab_position_) {
    case kttpTop:
        Rect.Top += tab;
        Rect.Bottom -= opposite;
        break;
    case kttpBottom:
        Rect.Bottom -= tab;
        Rect.Top += opposite;
        break;
    case kttpLeft:
        Rect.Left += tab;
        Rect.Right -= opposite;
        break;
    case kttpRight:
        Rect.Right -= tab;
        Rect.Left += opposite;
        break;
    }
}

void TTeTabControl::AdjustClientRect(TRect& Rect) {
    GetFrameRect(Rect);
    const int d = GetFrameLeft() + 1;
    Rect = TRect{Rect.Left + d, Rect.Top + d, Rect.Right - d, Rect.Bottom - d};
}

void TTeTabControl::AlignControls(fw::TControl* AControl, TRect& Rect) {
    AdjustClientRect(Rect);
    TTeControl::AlignControls(AControl, Rect);
}

TteTabPosition TTeTabControl::SideOf(int Index) {
    if (!IsOppositeRow(Index)) return tab_position_;
    switch (tab_position_) {
    case kttpTop:
        return kttpBottom;
    case kttpBottom:
        return kttpTop;
    case kttpLeft:
        return kttpRight;
    case kttpRight:
        return kttpLeft;
    }
    return tab_position_;
}

void TTeTabControl::GetTabRect(int Index, TRect& Rect) {
    BuildRows();
    const int F = GetFrameLeft();
    int b = 0;
    if (multi_line_) {
        const int r = RowOfTab(Index);
        const int first = r > 0 ? rows_[size_t(r - 1)].LastTab + 1 : 0;
        for (int i = first; i < Index; ++i) b += GetTabExtent(i);
    } else if (Index >= first_visible_tab_) {
        for (int i = first_visible_tab_; i < Index; ++i) b += GetTabExtent(i);
    } else {
        for (int i = Index; i < first_visible_tab_; ++i) b -= GetTabExtent(i);
    }
    const bool opposite = IsOppositeRow(Index);
    const TteTabPosition P = SideOf(Index);
    const int m = opposite ? GetOppositeAreaSize() : GetTabAreaSize();
    const int d = m - GetRowOffset(RowOfTab(Index));
    const int e = GetTabExtent(Index);
    const int W = Width(), H = Height();
    switch (P) {
    case kttpTop:
        Rect = TRect{b + F, d, b + F + e, m + F};
        break;
    case kttpBottom:
        Rect = TRect{b + F, H - m - F, b + F + e, H - d};
        break;
    case kttpLeft:
        Rect = TRect{d, b + F, m + F, b + F + e};
        break;
    case kttpRight:
        Rect = TRect{W - m - F, b + F, W - d, b + F + e};
        break;
    }
}

// ---- one-row scrolling ----

void TTeTabControl::GetScrollButtonSize(TPoint& Size) {
    const int s = 2 * std::abs(Font()->Size());
    Size = TPoint{s, s};
}

bool TTeTabControl::ScrollButtonsVisible() {
    if (tab_position_ != kttpTop && tab_position_ != kttpBottom) return false;
    if (TabCount() < 2 || multi_line_) return false;
    if (first_visible_tab_ >= 1) return true;
    return TabRect(TabCount() - 1).Right > Width();
}

void TTeTabControl::GetLeftButtonRect(TRect& Rect) {
    TPoint s;
    GetScrollButtonSize(s);
    const int t = tab_position_ == kttpTop ? GetTabAreaSize() - s.Y - GetFrameTop()
                                           : Height() + GetFrameBottom() - GetTabAreaSize();
    Rect = TRect{Width() - 2 * s.X, t, Width() - s.X, t + s.Y};
}

void TTeTabControl::GetRightButtonRect(TRect& Rect) {
    TPoint s;
    GetScrollButtonSize(s);
    const int t = tab_position_ == kttpTop ? GetTabAreaSize() - s.Y - GetFrameTop()
                                           : Height() + GetFrameBottom() - GetTabAreaSize();
    Rect = TRect{Width() - s.X, t, Width(), t + s.Y};
}

bool TTeTabControl::InLeftButton(int X, int Y) {
    if (!ScrollButtonsVisible()) return false;
    TRect r;
    GetLeftButtonRect(r);
    return X >= r.Left && X < r.Right && Y >= r.Top && Y < r.Bottom;
}

bool TTeTabControl::InRightButton(int X, int Y) {
    if (!ScrollButtonsVisible()) return false;
    TRect r;
    GetRightButtonRect(r);
    return X >= r.Left && X < r.Right && Y >= r.Top && Y < r.Bottom;
}

int TTeTabControl::GetLastVisibleTab(bool FullyVisible) {
    const int count = TabCount();
    if (count == 0) return -1;
    const int F = GetFrameLeft();
    const int A = (tab_position_ == kttpLeft || tab_position_ == kttpRight ? Height() : Width()) -
                  2 * F;
    int i = std::max(0, first_visible_tab_);
    int sum = GetTabExtent(i);
    while (i + 1 < count && sum + GetTabExtent(i + 1) <= A) {
        ++i;
        sum += GetTabExtent(i);
    }
    if (i + 1 < count) ++i;
    if (FullyVisible) {
        TRect l, r;
        const bool buttons = ScrollButtonsVisible();
        GetLeftButtonRect(l);
        GetRightButtonRect(r);
        auto blocked = [&](int k) {
            TRect t = TabRect(k), x;
            if (t.Right > Width()) return true;
            if (!buttons) return false;
            return ::IntersectRect(reinterpret_cast<RECT*>(&x), reinterpret_cast<RECT*>(&t),
                                   reinterpret_cast<RECT*>(&l)) ||
                   ::IntersectRect(reinterpret_cast<RECT*>(&x), reinterpret_cast<RECT*>(&t),
                                   reinterpret_cast<RECT*>(&r));
        };
        while (i > 0 && blocked(i)) --i;
    }
    return i;
}

void TTeTabControl::ScrollTabs(int Delta) {
    if (Delta == 0) return;
    const int count = TabCount();
    if (count == 0) {
        first_visible_tab_ = -1;
        return;
    }
    first_visible_tab_ = std::clamp(first_visible_tab_ + Delta, 0, count - 1);
    bool stepped = false;
    while (first_visible_tab_ > 0 && GetLastVisibleTab(true) == count - 1) {
        --first_visible_tab_;
        stepped = true;
    }
    if (stepped) ++first_visible_tab_;
    RepaintTabs();
}

void TTeTabControl::StartScrollTimer(bool Immediate) {
    if (!scroll_timer_) {
        scroll_timer_ = new fw::TTimer(nullptr);
        scroll_timer_->SetOnTimer(fw::TNotifyEvent(this, &TTeTabControl::ScrollTimerTick));
    }
    scroll_timer_->SetEnabled(false);
    scroll_timer_->SetInterval(100);
    if (Immediate) {
        ScrollTimerTick(nullptr);
        scroll_timer_->SetInterval(300);
    }
    scroll_timer_->SetEnabled(true);
}

void TTeTabControl::ScrollTimerTick(fw::TObject*) {
    try {
        scroll_timer_->SetInterval(100);
        if (LeftButtonDown()) ScrollTabs(-1);
        if (RightButtonDown()) ScrollTabs(1);
    } catch (...) {
        scroll_timer_->SetEnabled(false);
    }
}

int TTeTabControl::TabAtPos(int X, int Y) {
    if (TabCount() == 0) return -1;
    auto in = [X, Y](const TRect& r) {
        return X >= r.Left && X < r.Right && Y >= r.Top && Y < r.Bottom;
    };
    if (ScrollButtonsVisible()) {
        TPoint s;
        GetScrollButtonSize(s);
        const int a = GetTabAreaSize();
        const TRect area = tab_position_ == kttpTop ? TRect{Width() - 2 * s.X, 0, Width(), a}
                                                    : TRect{Width() - 2 * s.X, Height() - a,
                                                            Width(), Height()};
        if (in(area)) return -1;
    }
    if (tab_index_ >= 0 && tab_index_ < TabCount() && in(TabRect(tab_index_))) return tab_index_;
    const int F = GetFrameLeft();
    if (multi_line_) {
        const int c = std::max(0, RowOfTab(tab_index_));
        auto search_row = [&](int r) {
            const int first = r > 0 ? rows_[size_t(r - 1)].LastTab + 1 : 0;
            for (int i = first; i <= rows_[size_t(r)].LastTab; ++i)
                if (in(TabRect(i))) return i;
            return -1;
        };
        std::vector<int> order;
        if (scroll_opposite_)
            for (int r = c - 1; r >= 0; --r) order.push_back(r);
        for (int r = c; r < RowCount(); ++r) order.push_back(r);
        if (!scroll_opposite_)
            for (int r = 0; r < c; ++r) order.push_back(r);
        for (int r : order)
            if (int i = search_row(r); i >= 0) return i;
        return -1;
    }
    const int last = GetLastVisibleTab(false);
    for (int i = std::max(0, first_visible_tab_); i <= last; ++i) {
        TRect r = TabRect(i);
        if (tab_position_ == kttpTop) r.Bottom -= F;
        if (tab_position_ == kttpBottom) r.Top += F;
        if (in(r)) return i;
    }
    return -1;
}

// ---- captions and pages in step ----

void TTeTabControl::UpdateTabs() {
    if (updating_ || destroying_ || Destroying()) return;
    updating_ = true;
    try {
        const int count = TabCount();
        if (count > 0) {
            if (tab_index_ >= count) tab_index_ = count - 1;
            if (tab_index_ == -1) tab_index_ = 0;
        } else {
            tab_index_ = -1;
        }
        if (use_pages_ && !Loading()) {
            for (int k = 0; k < tabs_.GetCount(); ++k) {
                const std::string s = tabs_.Get(k);
                int wanted = 0, have = 0;
                for (int i = 0; i < tabs_.GetCount(); ++i) wanted += tabs_.Get(i) == s;
                for (int i = 0; i < pages_.Count(); ++i)
                    have += pages_.Item<TTeTabSheet>(i)->GetText() == s;
                if (have < wanted) {
                    auto* sheet = new TTeTabSheet(Owner());
                    sheet->SetText(s);
                    InsertPage(k, sheet);
                    // The new page is the one page showing (it would stay hidden until
                    // another tab was chosen).
                    if (active_page_ && active_page_ != sheet) active_page_->SetVisible(false);
                    active_page_ = sheet;
                    sheet->SetVisible(true);
                    tab_index_ = k;
                }
            }
        }
        if (use_pages_) {
            std::vector<std::string> captions;
            for (int i = 0; i < pages_.Count(); ++i) {
                TTeTabSheet* p = pages_.Item<TTeTabSheet>(i);
                if (p->PageVisible()) captions.push_back(p->GetText());
            }
            bool changed = int(captions.size()) != tabs_.GetCount();
            for (size_t i = 0; !changed && i < captions.size(); ++i)
                changed = captions[i] != tabs_.Get(int(i));
            if (changed) {
                tabs_.fw::TStringList::Clear();
                for (const std::string& s : captions) tabs_.fw::TStringList::Add(s);
                if (tab_index_ >= tabs_.GetCount()) tab_index_ = tabs_.GetCount() - 1;
                ActivatePageIndex(TabToPageIndex(tab_index_));
            }
        }
        if (!tabs_updating_) {
            RepaintTabs();
            if (use_pages_) Realign();
        }
    } catch (...) {
        updating_ = false;
        throw;
    }
    updating_ = false;
}

void TTeTabControl::AppendPage(TTeTabSheet* Sheet) {
    InsertPage(pages_.Count(), Sheet);
}

void TTeTabControl::InsertPage(int Index, TTeTabSheet* Sheet) {
    Index = std::clamp(Index, 0, pages_.Count());
    Sheet->tab_control_ = this;
    if (Sheet->GetText().empty())
        Sheet->SetText("New Page " + std::to_string(TabCount() - 1));
    pages_.Insert(Index, Sheet);
    Sheet->SetParent(this);
    Invalidate();
}

void TTeTabControl::RemovePage(TTeTabSheet* Sheet) {
    const int index = pages_.IndexOf(Sheet);
    if (index < 0) return;
    const bool was_active = Sheet == active_page_;
    const bool saved = updating_;
    updating_ = true;
    const int t = PageToTabIndex(index);
    if (t >= 0 && t < tabs_.GetCount()) tabs_.fw::TStringList::Delete(t);
    pages_.Delete(index);
    updating_ = saved;
    Sheet->tab_control_ = nullptr;
    if (was_active) {
        active_page_ = nullptr;
        if (TabCount() == 0) {
            tab_index_ = -1;
        } else {
            tab_index_ = 0;
            ActivatePageIndex(0);
        }
    }
    if (!Sheet->destroying_) delete Sheet;
    Invalidate();
}

TTeTabSheet* TTeTabControl::GetPage(int Index) const {
    if (Index < 0 || Index >= pages_.Count()) return nullptr;
    return pages_.Item<TTeTabSheet>(Index);
}

int TTeTabControl::PageToTabIndex(int PageIndex) const {
    if (pages_.Count() == 0 || PageIndex < 0 || PageIndex >= pages_.Count()) return -1;
    int n = 0;
    for (int i = 0; i <= PageIndex; ++i) n += pages_.Item<TTeTabSheet>(i)->PageVisible();
    return n - 1;
}

int TTeTabControl::TabToPageIndex(int TabIndex) const {
    if (pages_.Count() == 0) return -1;
    int n = 0;
    for (int j = 0; j < pages_.Count(); ++j) {
        n += pages_.Item<TTeTabSheet>(j)->PageVisible();
        if (n - 1 == TabIndex && pages_.Item<TTeTabSheet>(j)->PageVisible()) return j;
    }
    return -1;
}

void TTeTabControl::ActivatePageIndex(int Index) {
    if (Index >= 0 && Index < pages_.Count()) SetActivePage(pages_.Item<TTeTabSheet>(Index));
}

int TTeTabControl::ActivePageIndex() const {
    if (!use_pages_) return -1;
    return pages_.IndexOf(active_page_);
}

TTeTabSheet* TTeTabControl::ActivePage() const {
    return GetPage(ActivePageIndex());
}

void TTeTabControl::SetActivePage(TTeTabSheet* Sheet) {
    if (!Sheet) return; // no page to show; the tabs stay as they are
    if (Sheet == active_page_) {
        Sheet->SetVisible(true);
        Sheet->BringToFront();
        return;
    }
    if (active_page_) active_page_->SetVisible(false);
    active_page_ = Sheet;
    Sheet->SetVisible(true);
    Sheet->BringToFront();
    const int index = pages_.IndexOf(Sheet);
    tab_index_ = Sheet->PageVisible() ? PageToTabIndex(index) : index;
    if (Sheet->PageVisible() || pages_.Count() > 0) RepaintTabs();
    Change();
}

void TTeTabControl::Loaded() {
    TTeControl::Loaded();
    if (use_pages_) ActivatePageIndex(TabToPageIndex(loaded_tab_index_));
    BuildRows();
    Realign();
}

void TTeTabControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    TTeControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    if (multi_line_) {
        const int rows = row_table_count_;
        BuildRows();
        if (rows != row_table_count_) {
            Realign();
            Invalidate();
        }
    }
}

void TTeTabControl::Resize() {
    TTeControl::Resize();
    if (use_pages_ && active_page_) active_page_->Invalidate();
}

// ---- input ----

void TTeTabControl::MouseDown(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) {
    TTeControl::MouseDown(Button, Shift, X, Y);
    if (Button != fw::TMouseButton::mbLeft) return;
    const bool was_left = LeftButtonDown(), was_right = RightButtonDown();
    if (InLeftButton(X, Y)) left_button_pressed_ = left_button_hot_ = true;
    if (InRightButton(X, Y)) right_button_pressed_ = right_button_hot_ = true;
    if ((LeftButtonDown() && !was_left) || (RightButtonDown() && !was_right)) {
        RepaintTabs();
        StartScrollTimer(true);
        return;
    }
    const int i = TabAtPos(X, Y);
    if (i < 0) return;
    if (!HasFocus() && CanFocus() && HandleAllocated()) SetFocus();
    SetTabIndex(i);
}

void TTeTabControl::MouseMove(fw::TShiftState Shift, int X, int Y) {
    TTeControl::MouseMove(Shift, X, Y);
    const bool l = InLeftButton(X, Y), r = InRightButton(X, Y);
    const int h = TabAtPos(X, Y);
    if (l != left_button_hot_ || r != right_button_hot_ || h != hot_tab_) {
        left_button_hot_ = l;
        right_button_hot_ = r;
        hot_tab_ = h;
        RepaintTabs();
    }
}

void TTeTabControl::MouseUp(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) {
    TTeControl::MouseUp(Button, Shift, X, Y);
    if (Button != fw::TMouseButton::mbLeft) return;
    left_button_pressed_ = right_button_pressed_ = false;
    if (scroll_timer_) scroll_timer_->SetEnabled(false);
    RepaintTabs();
}

void TTeTabControl::KeyDown(uint16_t& Key, fw::TShiftState Shift) {
    TTeControl::KeyDown(Key, Shift);
    if (Key == VK_LEFT || Key == VK_UP) SetTabIndex(tab_index_ - 1);
    if (Key == VK_RIGHT || Key == VK_DOWN) SetTabIndex(tab_index_ + 1);
}

void TTeTabControl::DoEnter() {
    TTeControl::DoEnter();
    RepaintTabs();
}

void TTeTabControl::DoExit() {
    TTeControl::DoExit();
    RepaintTabs();
}

void TTeTabControl::WMGetDlgCode(TMessage& M) {
    FW_INHERITED(M);
    M.Result = DLGC_WANTARROWS;
}

void TTeTabControl::CMDialogChar(TMessage& M) {
    for (int i = 0; i < TabCount(); ++i)
        if (IsCaptionAccel(wchar_t(M.WParam), Caption(i)) && CanFocus()) {
            SetTabIndex(i);
            M.Result = 1;
            return;
        }
    FW_INHERITED(M);
}

void TTeTabControl::CMEnabledChanged(TMessage& M) {
    FW_INHERITED(M);
    Invalidate();
}

void TTeTabControl::CMMouseLeave(TMessage& M) {
    if (left_button_hot_ || right_button_hot_ || hot_tab_ >= 0) {
        left_button_hot_ = right_button_hot_ = false;
        hot_tab_ = -1;
        RepaintTabs();
        return;
    }
    FW_INHERITED(M);
}

void TTeTabControl::CMDesignHitTest(TMessage& M) {
    if (::GetKeyState(VK_LBUTTON) < 0) {
        MouseDown(fw::TMouseButton::mbLeft, fw::TShiftState{}, GET_X_LPARAM(M.LParam),
                  GET_Y_LPARAM(M.LParam));
        M.Result = 0;
        return;
    }
    FW_INHERITED(M);
}

void TTeTabControl::TMThemeChange(TMessage& M) {
    switch (M.WParam) {
    case 0:
    case 3:
    case 4:
        Invalidate();
        if (use_pages_ && active_page_) active_page_->Invalidate();
        break;
    case 5:
        Invalidate();
        break;
    default:
        break;
    }
}

// ---- painting ----

int TTeTabControl::TabFontIndex(int Index) {
    // TabTextInactiveNormal 51, ...Hot 52, ...Disabled 53; the active ones 54 to 56.
    const int base = Index == tab_index_ ? 54 : 51;
    return base + (!Enabled() ? 2 : Index == hot_tab_ ? 1 : 0);
}

void TTeTabControl::UseTabFont(int Index) {
    if (Themed()) {
        TteFont f;
        CurrentTheme()->GetStyleFont(f, TabFontIndex(Index), theme_object_);
        FontToTFont(f, *Canvas()->Font());
    } else {
        Canvas()->Font()->Assign(Font());
    }
}

void TTeTabControl::PaintBackground() {
    fw::TCanvas& c = *Canvas();
    int saved = 0;
    if (use_pages_) {
        saved = ::SaveDC(c.Handle());
        TRect p;
        AdjustClientRect(p);
        ::ExcludeClipRect(c.Handle(), p.Left, p.Top, p.Right, p.Bottom);
    }
    DrawParentBackground(this, c.Handle());
    PaintTabs(false);
    PaintFrame();
    PaintTabs(true);
    if (ScrollButtonsVisible()) {
        PaintLeftButton();
        PaintRightButton();
    }
    if (saved) ::RestoreDC(c.Handle(), saved);
}

void TTeTabControl::PaintTabs(bool ActiveOnly) {
    BuildRows();
    const int count = TabCount();
    if (count == 0) return;
    if (ActiveOnly) {
        if (tab_index_ >= 0 && tab_index_ < count) PaintTabAt(tab_index_);
        return;
    }
    if (multi_line_) {
        const int c = std::max(0, RowOfTab(tab_index_));
        auto paint_row = [&](int r) {
            const int first = r > 0 ? rows_[size_t(r - 1)].LastTab + 1 : 0;
            for (int i = first; i <= rows_[size_t(r)].LastTab; ++i) PaintTabAt(i);
        };
        if (!scroll_opposite_) {
            for (int r = c - 1; r >= 0; --r) paint_row(r);
            for (int r = RowCount() - 1; r >= c; --r) paint_row(r);
        } else {
            for (int r = RowCount() - 1; r >= c; --r) paint_row(r);
            for (int r = 0; r < c; ++r) paint_row(r);
        }
        return;
    }
    const int last = GetLastVisibleTab(false);
    for (int i = std::max(0, first_visible_tab_); i <= last; ++i)
        if (i != tab_index_) PaintTabAt(i);
}

void TTeTabControl::RepaintTabs() {
    if (!Parent() || !HandleAllocated()) return;
    if (scroll_opposite_ || Performance() != TTePerformance::kpNoBuffer) {
        Invalidate();
        return;
    }
    TRect u{0, 0, 0, 0};
    bool any = false;
    for (int i = 0; i < TabCount(); ++i) {
        TRect t = TabRect(i);
        if (!any) {
            u = t;
            any = true;
        } else {
            u = TRect{std::min(u.Left, t.Left), std::min(u.Top, t.Top), std::max(u.Right, t.Right),
                      std::max(u.Bottom, t.Bottom)};
        }
    }
    if (!any || u.Width() <= 0 || u.Height() <= 0) return;
    if (tab_position_ == kttpTop || tab_position_ == kttpBottom) {
        u = TRect{0, u.Top - 2, Width(), u.Bottom + 2};
    } else {
        u = TRect{u.Left - 2, 0, u.Right + 2, Height()};
    }
    TteBitmap strip;
    strip.SetSize(u.Width(), u.Height());
    HDC bdc = static_cast<HDC>(strip.DC);
    POINT old{};
    ::SetViewportOrgEx(bdc, -u.Left, -u.Top, &old);
    fw::TCanvas* c = Canvas();
    HDC was = c->Handle();
    c->SetHandle(bdc);
    DrawParentBackground(this, bdc);
    PaintTabs(false);
    PaintFrame();
    PaintTabs(true);
    if (ScrollButtonsVisible()) {
        PaintLeftButton();
        PaintRightButton();
    }
    c->SetHandle(was);
    ::SetViewportOrgEx(bdc, old.x, old.y, nullptr);
    ::GdiFlush();
    HDC dc = ::GetDC(Handle());
    ::BitBlt(dc, u.Left, u.Top, u.Width(), u.Height(), bdc, 0, 0, SRCCOPY);
    ::ReleaseDC(Handle(), dc);
    ++strip_repaints_;
    last_strip_ = u;
}

void TTeTabControl::PaintTabAt(int Index) {
    if (Index < 0) return;
    UseTabFont(Index);
    TRect R = TabRect(Index);
    const TteTabPosition P = SideOf(Index);
    if (owner_draw_) {
        DrawTab(Index, R, Index == tab_index_);
        return;
    }
    PaintTabFace(Index, P, R);
    if (use_pages_ && images_ && TabHasImage(Index)) {
        PaintTabImage(Index, P, R);
        const int TH = CalcTabHeight();
        switch (P) {
        case kttpTop:
        case kttpBottom:
            R.Left += TH;
            break;
        case kttpLeft:
            R.Bottom -= TH;
            break;
        case kttpRight:
            R.Top += TH;
            break;
        }
    }
    const int along = P == kttpTop || P == kttpBottom ? R.Width() : R.Height();
    if (along > 8) PaintTabCaption(Index, P, R);
}

void TTeTabControl::PaintTabFace(int Index, TteTabPosition Position, TRect R) {
    fw::TCanvas& c = *Canvas();
    const bool active = Index == tab_index_;
    if (Themed()) {
        const uint8_t state = !Enabled() ? 2 : Index == hot_tab_ ? 1 : 0;
        CurrentTheme()->PaintTab(0, c, theme_object_, MakeTabItemInfo(R, 1, state, active),
                                 MakeTabInfo(TRect{0, 0, Width(), Height()}, Position, 1));
        return;
    }
    const bool across = Position == kttpTop || Position == kttpBottom;
    if (IsSystemThemeActive()) {
        if (!active) {
            if (across)
                R = TRect{R.Left, R.Top + 2, R.Right, R.Bottom - 2};
            else
                R = TRect{R.Left + 2, R.Top, R.Right - 2, R.Bottom};
        }
        if (Index == 0 && across) R.Left = 0;
        const int s = !Enabled() ? 4 : active ? 3 : Index == hot_tab_ ? 2 : 1;
        DrawStylePart(c.Handle(), L"Tab", R, 1, s);
        return;
    }
    if (active) {
        R = TRect{R.Left - 2, R.Top - 2, R.Right + 2, R.Bottom + 2};
        switch (Position) {
        case kttpTop:
            R.Bottom -= 2;
            break;
        case kttpBottom:
            R.Top += 2;
            break;
        case kttpLeft:
            R.Right -= 2;
            break;
        case kttpRight:
            R.Left += 2;
            break;
        }
    }
    const int x0 = R.Left, y0 = R.Top, x1 = R.Right, y1 = R.Bottom;
    const fw::TColor face = fw::clBtnFace, hi = fw::clBtnHighlight, dk = fw::cl3DDkShadow,
                     sh = fw::clBtnShadow;
    auto line = [&](int ax, int ay, int bx, int by, fw::TColor col) {
        CanvasMoveTo(c, ax, ay);
        DrawLineTo(c, bx, by, col);
    };
    auto right_edge = [&](int x, int ya, int yb) {
        line(x - 1, ya, x - 1, yb, dk);
        line(x - 2, ya, x - 2, yb, sh);
    };
    auto bottom_edge = [&](int y, int xa, int xb) {
        line(xa, y - 1, xb, y - 1, dk);
        line(xa, y - 2, xb, y - 2, sh);
    };
    auto top_left = [&](int x, int y) { line(x, y + 2, x + 3, y - 1, hi); };
    auto top_right = [&](int x, int y) {
        line(x - 3, y, x - 2, y + 1, hi);
        DrawLineTo(c, x, y + 3, dk);
        line(x - 2, y + 2, x - 1, y + 2, sh);
    };
    auto bottom_right = [&](int x, int y) {
        line(x - 1, y - 3, x - 4, y, dk);
        line(x - 2, y - 3, x - 4, y - 1, sh);
    };
    auto bottom_left = [&](int x, int y) {
        line(x, y - 3, x + 2, y - 1, hi);
        DrawLineTo(c, x + 2, y - 2, dk);
        DrawLineTo(c, x + 2, y - 3, sh);
    };
    switch (Position) {
    case kttpTop:
        FillRoundRectColor(c, TRect{x0 + 1, y0 + 1, x1 - 1, y1}, 4, face);
        FillRectColor(c, TRect{x0 + 1, y0 + 2, x1 - 1, y1}, face);
        break;
    case kttpBottom:
        FillRoundRectColor(c, TRect{x0 + 1, y0, x1 - 1, y1}, 4, face);
        // Square the frame-side (top) corners; the outer corners stay round.
        FillRectColor(c, TRect{x0 + 1, y0, x1 - 1, y1 - 1}, face);
        break;
    case kttpLeft:
        FillRoundRectColor(c, TRect{x0, y0 + 1, x1, y1 - 1}, 4, face);
        FillRectColor(c, TRect{x0 + 2, y0 + 1, x1, y1 - 2}, face);
        break;
    case kttpRight:
        FillRoundRectColor(c, TRect{x0, y0 + 1, x1, y1 - 1}, 4, face);
        FillRectColor(c, TRect{x0, y0 + 1, x1 - 2, y1 - 2}, face);
        break;
    }
    if (active && HasFocus()) {
        const int d = GetFrameLeft() + 1;
        DrawFocusRectColor(c, TRect{x0 + d, y0 + d, x1 - d, y1 - d}, face);
    }
    switch (Position) {
    case kttpTop:
        line(x0 + 3, y0, x1 - 3, y0, hi);
        line(x0, y0 + 3, x0, y1 - 1, hi);
        right_edge(x1, y0 + 3, y1 - 1);
        top_left(x0, y0);
        top_right(x1, y0);
        break;
    case kttpBottom:
        line(x0, y0, x0, y1 - 3, hi);
        right_edge(x1, y0 + 1, y1 - 3);
        bottom_edge(y1, x0 + 3, x1 - 3);
        bottom_left(x0, y1);
        bottom_right(x1, y1);
        break;
    case kttpLeft:
        line(x0 + 3, y0, x1 - 1, y0, hi);
        line(x0, y0 + 3, x0, y1 - 3, hi);
        bottom_edge(y1, x0 + 3, x1 - 1);
        top_left(x0, y0);
        bottom_left(x0, y1);
        break;
    case kttpRight:
        line(x0, y0, x1 - 3, y0, hi);
        right_edge(x1, y0 + 3, y1 - 3);
        bottom_edge(y1, x0 + 1, x1 - 3);
        top_right(x1, y0);
        bottom_right(x1, y1);
        break;
    }
}

void TTeTabControl::PaintTabImage(int Index, TteTabPosition Position, TRect R) {
    if (Index == tab_index_) R = TRect{R.Left - 1, R.Top - 1, R.Right + 1, R.Bottom + 1};
    TTeTabSheet* page = GetPage(TabToPageIndex(Index));
    if (!page || !images_) return;
    const int idx = page->ImageIndex();
    if (idx < 0 || idx >= images_->Count()) return;
    const TRect I{R.Left + 3, R.Top + 3, R.Right - 3, R.Bottom - 3};
    const int TH = CalcTabHeight();
    int x = I.Left, y = I.Top;
    if (Position == kttpLeft) y = I.Bottom - TH;
    if (Position == kttpRight) x = I.Right - TH;
    images_->Draw(Canvas(), x, y, idx, true);
}

void TTeTabControl::PaintTabCaption(int Index, TteTabPosition Position, TRect R) {
    fw::TCanvas& c = *Canvas();
    const std::wstring text = Caption(Index);
    const int TH = CalcTabHeight();
    const UINT flags = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    auto band = [&](TRect r) {
        switch (Position) {
        case kttpTop:
            r.Bottom = r.Top + TH;
            break;
        case kttpBottom:
            r.Top = r.Bottom - TH;
            break;
        case kttpLeft:
            r.Right = r.Left + TH;
            break;
        case kttpRight:
            r.Left = r.Right - TH;
            break;
        }
        return r;
    };
    ::SetBkMode(c.Handle(), TRANSPARENT);
    if (Themed()) {
        UseTabFont(Index);
        CurrentTheme()->PaintTabText(0, c, theme_object_, MakeTextInfo(band(R), text, flags),
                                     MakeTabItemInfo(R, 1, 0, Index == tab_index_),
                                     MakeTabInfo(TRect{0, 0, Width(), Height()}, Position, 1));
        return;
    }
    c.Font()->Assign(Font());
    if (hot_track_ && Index == hot_tab_) c.Font()->SetColor(fw::clHighlight);
    if (Index != tab_index_ && Position == kttpTop) R.Top += 1;
    const TRect b = band(R);
    if (Position == kttpLeft)
        DrawVerticalText(c, text, b, flags, false);
    else if (Position == kttpRight)
        DrawVerticalText(c, text, b, flags, true);
    else
        DrawWideText(c, text, b, flags);
}

void TTeTabControl::PaintFrame() {
    fw::TCanvas& c = *Canvas();
    TRect R;
    GetFrameRect(R);
    if (Themed()) {
        CurrentTheme()->PaintTabsFrame(0, c, theme_object_, MakeTabInfo(R, tab_position_, 1).Rect);
        return;
    }
    if (IsSystemThemeActive()) {
        DrawStylePart(c.Handle(), L"Tab", R, 9, 1);
        return;
    }
    FillRectColor(c, R, fw::clBtnFace);
    DrawBevelFrame(c, R, fw::clBtnHighlight, fw::cl3DDkShadow);
    DrawBevelFrame(c, TRect{R.Left + 1, R.Top + 1, R.Right - 1, R.Bottom - 1}, fw::clBtnFace,
                   fw::clBtnShadow);
}

namespace {
uint8_t TabButtonState(bool Enabled, bool Held, bool Hot) {
    return !Enabled ? 3 : Held ? 2 : Hot ? 1 : 0;
}
} // namespace

void TTeTabControl::PaintLeftButton() {
    TRect R;
    GetLeftButtonRect(R);
    PaintScrollButton(R, LeftButtonDown(), left_button_hot_, 1, 9, DFCS_SCROLLLEFT);
}

void TTeTabControl::PaintRightButton() {
    TRect R;
    GetRightButtonRect(R);
    PaintScrollButton(R, RightButtonDown(), right_button_hot_, 4, 13, DFCS_SCROLLRIGHT);
}

// Both scroll buttons differ only in their theme part, visual-style state base and arrow.
void TTeTabControl::PaintScrollButton(const TRect& R, bool Down, bool Hot, int ThemePart,
                                      int StyleStateBase, unsigned FrameArrow) {
    fw::TCanvas& c = *Canvas();
    const uint8_t s = TabButtonState(Enabled(), Down, Hot);
    if (Themed()) {
        CurrentTheme()->PaintTabScrollButton(0, c, theme_object_, MakeTabButtonInfo(R, ThemePart, s));
        return;
    }
    if (IsSystemThemeActive()) {
        DrawStylePart(c.Handle(), L"ScrollBar", R, 1, StyleStateBase + (s == 3 ? 3 : s));
        return;
    }
    RECT rc{R.Left, R.Top, R.Right, R.Bottom};
    ::DrawFrameControl(c.Handle(), &rc, DFC_SCROLL, FrameArrow | (Down ? DFCS_PUSHED : 0));
}

} // namespace dvr::skin
