#include "framework/ui/comctrls.h"

#include "common/win/textconv.h"
#include "framework/ui/forms.h"

#include <algorithm>
#include <cmath>

namespace dvr::fw {

using win::GbkToWide;
using win::WideToGbk;

void InitCommonControls(DWORD Classes) {
    INITCOMMONCONTROLSEX icc{sizeof icc, Classes};
    ::InitCommonControlsEx(&icc);
}

// ---- TTrackBar ----------------------------------------------------------------------------

void TTrackBar::Publish(TPublisher<TTrackBar>& p) {
    p.Property("Frequency", nullptr, &TTrackBar::Frequency, &TTrackBar::SetFrequency).Default(1);
    p.Property("LineSize", nullptr, &TTrackBar::LineSize, &TTrackBar::SetLineSize).Default(1);
    p.Property("Max", nullptr, &TTrackBar::Max, &TTrackBar::SetMax).Default(10);
    p.Property("Min", nullptr, &TTrackBar::Min, &TTrackBar::SetMin).Default(0);
    p.Property("PageSize", nullptr, &TTrackBar::PageSize, &TTrackBar::SetPageSize).Default(2);
    p.Property("Position", nullptr, &TTrackBar::Position, &TTrackBar::SetPosition).Default(0);
}

TTrackBar::TTrackBar(TComponent* AOwner) : TWinControl(AOwner) {
    InitCommonControls(ICC_BAR_CLASSES);
    tab_stop_ = true;
    SetBounds(0, 0, 150, 45);
}

void TTrackBar::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    Params.SubClassOf = TRACKBAR_CLASSW;
    Params.Style |= TBS_ENABLESELRANGE;
    Params.Style |= orientation_ == TTrackBarOrientation::trVertical ? TBS_VERT : TBS_HORZ;
    if (tick_style_ == TTickStyle::tsNone) Params.Style |= TBS_NOTICKS;
    if (tick_style_ == TTickStyle::tsAuto) Params.Style |= TBS_AUTOTICKS;
    if (tick_marks_ == TTickMark::tmTopLeft) Params.Style |= TBS_TOP;
    if (tick_marks_ == TTickMark::tmBoth) Params.Style |= TBS_BOTH;
}

void TTrackBar::Apply() {
    if (!handle_) return;
    ::SendMessageW(handle_, TBM_SETRANGEMIN, FALSE, min_);
    ::SendMessageW(handle_, TBM_SETRANGEMAX, FALSE, max_);
    ::SendMessageW(handle_, TBM_SETPOS, TRUE, position_);
    ::SendMessageW(handle_, TBM_SETLINESIZE, 0, line_size_);
    ::SendMessageW(handle_, TBM_SETPAGESIZE, 0, page_size_);
    ::SendMessageW(handle_, TBM_SETTICFREQ, WPARAM(frequency_), 0);
    ::SendMessageW(handle_, TBM_SETSEL, TRUE, MAKELPARAM(sel_start_, sel_end_));
}

void TTrackBar::CreateHandle() {
    TWinControl::CreateHandle();
    Apply();
}
void TTrackBar::DestroyWnd() {
    position_ = Position();
    TWinControl::DestroyWnd();
}

int TTrackBar::Position() const {
    if (handle_) position_ = int(::SendMessageW(handle_, TBM_GETPOS, 0, 0));
    return position_;
}
void TTrackBar::SetMin(int Value) {
    if (Value > max_) Value = max_;
    min_ = Value;
    position_ = std::max(Position(), min_);
    Apply();
}
void TTrackBar::SetMax(int Value) {
    if (Value < min_) Value = min_;
    max_ = Value;
    position_ = std::min(Position(), max_);
    Apply();
}
void TTrackBar::SetPosition(int Value) {
    Value = std::clamp(Value, min_, max_);
    if (Value == Position()) return;
    position_ = Value;
    if (handle_) ::SendMessageW(handle_, TBM_SETPOS, TRUE, Value);
    Changed();
}
void TTrackBar::SetFrequency(int Value) {
    frequency_ = Value;
    Apply();
}
void TTrackBar::SetLineSize(int Value) {
    line_size_ = Value;
    Apply();
}
void TTrackBar::SetPageSize(int Value) {
    page_size_ = Value;
    Apply();
}
void TTrackBar::SetOrientation(TTrackBarOrientation Value) {
    if (Value == orientation_) return;
    orientation_ = Value;
    if (!Loading()) SetBounds(left_, top_, height_, width_);
    RecreateWnd();
}
void TTrackBar::SetTickStyle(TTickStyle Value) {
    if (Value == tick_style_) return;
    tick_style_ = Value;
    RecreateWnd();
}
void TTrackBar::SetTickMarks(TTickMark Value) {
    if (Value == tick_marks_) return;
    tick_marks_ = Value;
    RecreateWnd();
}
void TTrackBar::SetSelStart(int Value) {
    sel_start_ = Value;
    Apply();
}
void TTrackBar::SetSelEnd(int Value) {
    sel_end_ = Value;
    Apply();
}
void TTrackBar::Changed() {
    OnChange(this);
}
void TTrackBar::CNScroll(TMessage&) {
    int old = position_;
    if (Position() != old) Changed();
}

// ---- TProgressBar -------------------------------------------------------------------------

void TProgressBar::Publish(TPublisher<TProgressBar>& p) {
    p.Property("Max", nullptr, &TProgressBar::Max, &TProgressBar::SetMax).Default(100);
    p.Property("Min", nullptr, &TProgressBar::Min, &TProgressBar::SetMin).Default(0);
    p.Property("Position", nullptr, &TProgressBar::Position, &TProgressBar::SetPosition).Default(0);
    p.Property("Smooth", nullptr, &TProgressBar::Smooth, &TProgressBar::SetSmooth).Default(0);
    p.Property("Step", nullptr, &TProgressBar::Step, &TProgressBar::SetStep).Default(10);
}

TProgressBar::TProgressBar(TComponent* AOwner) : TWinControl(AOwner) {
    InitCommonControls(ICC_PROGRESS_CLASS);
    SetBounds(0, 0, 150, 16);
}

void TProgressBar::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    Params.SubClassOf = PROGRESS_CLASSW;
    if (smooth_) Params.Style |= PBS_SMOOTH;
    if (orientation_ == TProgressBarOrientation::pbVertical) Params.Style |= PBS_VERTICAL;
}
void TProgressBar::CreateHandle() {
    TWinControl::CreateHandle();
    ::SendMessageW(handle_, PBM_SETRANGE32, WPARAM(min_), LPARAM(max_));
    ::SendMessageW(handle_, PBM_SETPOS, WPARAM(position_), 0);
}
void TProgressBar::SetMin(int Value) {
    min_ = std::min(Value, max_);
    position_ = std::max(position_, min_);
    if (handle_) ::SendMessageW(handle_, PBM_SETRANGE32, WPARAM(min_), LPARAM(max_));
}
void TProgressBar::SetMax(int Value) {
    max_ = std::max(Value, min_);
    position_ = std::min(position_, max_);
    if (handle_) ::SendMessageW(handle_, PBM_SETRANGE32, WPARAM(min_), LPARAM(max_));
}
void TProgressBar::SetPosition(int Value) {
    position_ = std::clamp(Value, min_, max_);
    if (handle_) ::SendMessageW(handle_, PBM_SETPOS, WPARAM(position_), 0);
}
void TProgressBar::SetSmooth(bool Value) {
    if (Value == smooth_) return;
    smooth_ = Value;
    RecreateWnd();
}
void TProgressBar::SetOrientation(TProgressBarOrientation Value) {
    if (Value == orientation_) return;
    orientation_ = Value;
    RecreateWnd();
}

// ---- TUpDown ------------------------------------------------------------------------------

void TUpDown::Publish(TPublisher<TUpDown>& p) {
    p.Property("ArrowKeys", nullptr, &TUpDown::ArrowKeys, &TUpDown::SetArrowKeys).Default(1);
    p.Property("Increment", nullptr, &TUpDown::Increment, &TUpDown::SetIncrement).Default(1);
    p.Property("Max", nullptr, &TUpDown::Max, &TUpDown::SetMax).Default(100);
    p.Property("Min", nullptr, &TUpDown::Min, &TUpDown::SetMin).Default(0);
    p.Property("Position", nullptr, &TUpDown::Position, &TUpDown::SetPosition).Default(0);
    p.Property("Wrap", nullptr, &TUpDown::Wrap, &TUpDown::SetWrap).Default(0);
}

TUpDown::TUpDown(TComponent* AOwner) : TWinControl(AOwner) {
    InitCommonControls(ICC_UPDOWN_CLASS);
    control_style_.Exclude(TControlStyleItem::csClickEvents);
    SetBounds(0, 0, 17, 25);
}

void TUpDown::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    Params.SubClassOf = UPDOWN_CLASSW;
    Params.Style |= UDS_SETBUDDYINT | UDS_NOTHOUSANDS;
    if (wrap_) Params.Style |= UDS_WRAP;
    if (arrow_keys_) Params.Style |= UDS_ARROWKEYS;
    if (orientation_ == TUDOrientation::udHorizontal) Params.Style |= UDS_HORZ;
}

void TUpDown::CreateHandle() {
    TWinControl::CreateHandle();
    UDACCEL accel{0, UINT(increment_)};
    ::SendMessageW(handle_, UDM_SETACCEL, 1, LPARAM(&accel));
    ::SendMessageW(handle_, UDM_SETRANGE32, WPARAM(min_), LPARAM(max_));
    if (associate_) ::SendMessageW(handle_, UDM_SETBUDDY, WPARAM(associate_->Handle()), 0);
    ::SendMessageW(handle_, UDM_SETPOS32, 0, LPARAM(position_));
}

void TUpDown::DestroyWnd() {
    position_ = Position();
    TWinControl::DestroyWnd();
}

int TUpDown::Position() const {
    if (handle_) position_ = int(::SendMessageW(handle_, UDM_GETPOS32, 0, 0));
    return position_;
}
void TUpDown::SetMin(int Value) {
    min_ = Value;
    if (handle_) ::SendMessageW(handle_, UDM_SETRANGE32, WPARAM(min_), LPARAM(max_));
}
void TUpDown::SetMax(int Value) {
    max_ = Value;
    if (handle_) ::SendMessageW(handle_, UDM_SETRANGE32, WPARAM(min_), LPARAM(max_));
}
void TUpDown::SetPosition(int Value) {
    position_ = std::clamp(Value, std::min(min_, max_), std::max(min_, max_));
    if (handle_)
        ::SendMessageW(handle_, UDM_SETPOS32, 0, LPARAM(position_));
    else if (associate_)
        associate_->SetText(std::to_string(position_));
}
void TUpDown::SetIncrement(int Value) {
    increment_ = Value;
    if (handle_) {
        UDACCEL accel{0, UINT(Value)};
        ::SendMessageW(handle_, UDM_SETACCEL, 1, LPARAM(&accel));
    }
}
void TUpDown::SetWrap(bool Value) {
    if (Value == wrap_) return;
    wrap_ = Value;
    RecreateWnd();
}
void TUpDown::SetArrowKeys(bool Value) {
    if (Value == arrow_keys_) return;
    arrow_keys_ = Value;
    RecreateWnd();
}
void TUpDown::SetOrientation(TUDOrientation Value) {
    if (Value == orientation_) return;
    orientation_ = Value;
    RecreateWnd();
}
void TUpDown::SetAssociate(TWinControl* Value) {
    if (Value == associate_) return;
    if (associate_) associate_->RemoveFreeNotification(this);
    associate_ = Value;
    if (Value) {
        Value->FreeNotification(this);
        Value->SetText(std::to_string(Position()));
    }
    if (handle_)
        ::SendMessageW(handle_, UDM_SETBUDDY, WPARAM(Value ? Value->Handle() : nullptr), 0);
}
void TUpDown::Notification(TComponent* AComponent, TOperation Operation) {
    TWinControl::Notification(AComponent, Operation);
    if (Operation == TOperation::opRemove && AComponent == associate_) {
        associate_ = nullptr;
        if (handle_ && !Destroying()) ::SendMessageW(handle_, UDM_SETBUDDY, 0, 0);
    }
}

void TUpDown::CNNotify(TMessage& M) {
    auto* h = reinterpret_cast<NMHDR*>(M.LParam);
    if (h->code != UDN_DELTAPOS) return;
    bool allow = true;
    OnChanging(this, allow);
    M.Result = allow ? 0 : 1;
}

void TUpDown::CNScroll(TMessage& M) {
    if (LOWORD(M.WParam) == SB_ENDSCROLL) return;
    int old = position_;
    int now = Position();
    if (now != old)
        OnClick(this, (now > old) != (wrap_ && std::abs(now - old) > increment_)
                          ? TUDBtnType::btNext
                          : TUDBtnType::btPrev);
}

// ---- TStatusBar ---------------------------------------------------------------------------

void TStatusPanel::SetText(const std::string& Value) {
    if (Value == text_) return;
    text_ = Value;
    owner_->UpdatePanels();
}
void TStatusPanel::SetWidth(int Value) {
    if (Value == width_) return;
    width_ = Value;
    owner_->UpdatePanels();
}
void TStatusPanel::SetAlignment(TAlignment Value) {
    if (Value == alignment_) return;
    alignment_ = Value;
    owner_->UpdatePanels();
}
void TStatusPanel::SetStyle(TStatusPanelStyle Value) {
    if (Value == style_) return;
    style_ = Value;
    owner_->UpdatePanels();
}
int TStatusPanel::Index() const {
    for (int i = 0; i < owner_->PanelCount(); ++i)
        if (owner_->Panels(i) == this) return i;
    return -1;
}

void TStatusBar::Publish(TPublisher<TStatusBar>& p) {
    p.Property("SimplePanel", nullptr, &TStatusBar::SimplePanel, &TStatusBar::SetSimplePanel)
        .Default(0);
    p.Property("SimpleText", nullptr, &TStatusBar::SimpleText, &TStatusBar::SetSimpleText);
    p.Property("SizeGrip", nullptr, &TStatusBar::SizeGrip, &TStatusBar::SetSizeGrip).Default(1);
}

TStatusBar::TStatusBar(TComponent* AOwner)
    : TWinControl(AOwner), canvas_(new TControlCanvas(this)) {
    InitCommonControls(ICC_BAR_CLASSES);
    control_style_.Exclude(TControlStyleItem::csClickEvents);
    parent_color_ = false;
    color_ = clBtnFace;
    brush_.SetColor(color_);
    SetBounds(0, 0, 200, 19);
    align_ = TAlign::alBottom;
}

TStatusBar::~TStatusBar() {
    if (handle_) DestroyHandle();
    delete canvas_;
}

TStatusPanel* TStatusBar::Panels(int Index) const {
    if (Index < 0 || Index >= PanelCount()) throw EListError("List index out of bounds");
    return panels_[size_t(Index)].get();
}
TStatusPanel* TStatusBar::AddPanel() {
    panels_.push_back(std::make_unique<TStatusPanel>(this));
    UpdatePanels();
    return panels_.back().get();
}
void TStatusBar::DeletePanel(int Index) {
    Panels(Index);
    panels_.erase(panels_.begin() + Index);
    UpdatePanels();
}
void TStatusBar::ClearPanels() {
    panels_.clear();
    UpdatePanels();
}
void TStatusBar::SetSimplePanel(bool Value) {
    if (Value == simple_panel_) return;
    simple_panel_ = Value;
    UpdatePanels();
}
void TStatusBar::SetSimpleText(const std::string& Value) {
    simple_text_ = Value;
    UpdatePanels();
}
void TStatusBar::SetSizeGrip(bool Value) {
    if (Value == size_grip_) return;
    size_grip_ = Value;
    RecreateWnd();
}

void TStatusBar::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    Params.SubClassOf = STATUSCLASSNAMEW;
    Params.Style |= CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NOMOVEY;
    if (size_grip_) Params.Style |= SBARS_SIZEGRIP;
}

void TStatusBar::CreateHandle() {
    TWinControl::CreateHandle();
    UpdatePanels();
}

void TStatusBar::UpdatePanels() {
    if (!handle_) return;
    ::SendMessageW(handle_, SB_SIMPLE, simple_panel_, 0);
    if (simple_panel_) {
        std::wstring w = GbkToWide(simple_text_);
        ::SendMessageW(handle_, SB_SETTEXTW, SB_SIMPLEID, LPARAM(w.c_str()));
        return;
    }
    std::vector<int> edges;
    int x = 0;
    for (size_t i = 0; i < panels_.size(); ++i) {
        x += panels_[i]->Width();
        edges.push_back(i + 1 == panels_.size() ? -1 : x);
    }
    if (edges.empty()) edges.push_back(-1);
    ::SendMessageW(handle_, SB_SETPARTS, WPARAM(edges.size()), LPARAM(edges.data()));
    for (size_t i = 0; i < panels_.size(); ++i) {
        TStatusPanel* p = panels_[i].get();
        std::wstring w = GbkToWide(p->Text());
        if (p->Alignment() == TAlignment::taCenter) w = L"\t" + w;
        if (p->Alignment() == TAlignment::taRightJustify) w = L"\t\t" + w;
        WPARAM flags = i | (p->Style() == TStatusPanelStyle::psOwnerDraw ? SBT_OWNERDRAW : 0);
        ::SendMessageW(handle_, SB_SETTEXTW, flags,
                       p->Style() == TStatusPanelStyle::psOwnerDraw ? LPARAM(p)
                                                                    : LPARAM(w.c_str()));
    }
}

void TStatusBar::CNDrawItem(TMessage& M) {
    auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(M.LParam);
    if (int(d->itemID) < 0 || int(d->itemID) >= PanelCount()) return;
    canvas_->Lock();
    try {
        canvas_->SetHandle(d->hDC);
        canvas_->SetFont(&font_);
        canvas_->Brush()->SetColor(color_);
        if (OnDrawPanel)
            OnDrawPanel(this, panels_[d->itemID].get(), FromRECT(d->rcItem));
        else
            canvas_->FillRect(FromRECT(d->rcItem));
    } catch (...) {
        canvas_->SetHandle(nullptr);
        canvas_->Unlock();
        throw;
    }
    canvas_->SetHandle(nullptr);
    canvas_->Unlock();
    M.Result = 1;
}

void TStatusBar::WMSize(TMessage& M) {
    // The bar's own procedure lays out its parts and grip.
    FW_INHERITED(M);
}

// ---- TPageControl / TTabSheet -------------------------------------------------------------

void TTabSheet::Publish(TPublisher<TTabSheet>& p) {
    p.Property(
        "Caption", nullptr, [](const TTabSheet& s) { return s.Caption(); }, &TTabSheet::SetCaption);
    p.Property("TabVisible", nullptr, &TTabSheet::TabVisible, &TTabSheet::SetTabVisible).Default(1);
}

TTabSheet::TTabSheet(TComponent* AOwner) : TWinControl(AOwner) {
    control_style_.Include(TControlStyleItem::csAcceptsControls);
    parent_color_ = true;
    visible_ = false;
    align_ = TAlign::alClient;
}

TTabSheet::~TTabSheet() {
    if (page_control_) page_control_->RemovePage(this);
}

void TTabSheet::SetPageControl(TPageControl* Value) {
    if (Value == page_control_) return;
    if (page_control_) page_control_->RemovePage(this);
    page_control_ = nullptr;
    TWinControl::SetParent(Value);
    if (Value) Value->InsertPage(this);
}

void TTabSheet::SetParent(TWinControl* AParent) {
    auto* pc = dynamic_cast<TPageControl*>(AParent);
    if (pc || !AParent)
        SetPageControl(pc);
    else
        TWinControl::SetParent(AParent);
}

int TTabSheet::PageIndex() const {
    if (!page_control_) return -1;
    auto& v = page_control_->pages_;
    return int(std::find(v.begin(), v.end(), this) - v.begin());
}

void TTabSheet::SetPageIndex(int Value) {
    if (!page_control_) return;
    auto& v = page_control_->pages_;
    Value = std::clamp(Value, 0, int(v.size()) - 1);
    v.erase(std::find(v.begin(), v.end(), this));
    v.insert(v.begin() + Value, this);
    page_control_->UpdateTabs();
}

int TTabSheet::TabIndex() const {
    if (!page_control_ || !tab_visible_) return -1;
    int n = 0;
    for (TTabSheet* s : page_control_->pages_) {
        if (s == this) return n;
        if (s->tab_visible_) ++n;
    }
    return -1;
}

void TTabSheet::SetTabVisible(bool Value) {
    if (Value == tab_visible_) return;
    tab_visible_ = Value;
    if (page_control_) page_control_->UpdateTabs();
}

void TTabSheet::CMTextChanged(TMessage&) {
    if (page_control_) page_control_->UpdateTabs();
}

void TPageControl::Publish(TPublisher<TPageControl>& p) {
    p.Property("ActivePageIndex", nullptr, &TPageControl::ActivePageIndex,
               &TPageControl::SetActivePageIndex)
        .Stored(false);
}

TPageControl::TPageControl(TComponent* AOwner) : TWinControl(AOwner) {
    InitCommonControls(ICC_TAB_CLASSES);
    control_style_.Include(TControlStyleItem::csAcceptsControls);
    control_style_.Exclude(TControlStyleItem::csClickEvents);
    tab_stop_ = true;
    SetBounds(0, 0, 289, 193);
}

TPageControl::~TPageControl() {
    for (TTabSheet* s : pages_)
        s->page_control_ = nullptr;
    pages_.clear();
    active_page_ = nullptr;
}

TTabSheet* TPageControl::Pages(int Index) const {
    if (Index < 0 || Index >= PageCount()) throw EListError("List index out of bounds");
    return pages_[size_t(Index)];
}

void TPageControl::InsertPage(TTabSheet* Page) {
    pages_.push_back(Page);
    Page->page_control_ = this;
    UpdateTabs();
    if (!active_page_ && Page->tab_visible_) SetActivePage(Page);
}

void TPageControl::RemovePage(TTabSheet* Page) {
    auto it = std::find(pages_.begin(), pages_.end(), Page);
    if (it == pages_.end()) return;
    TTabSheet* next = active_page_ == Page ? FindNextPage(Page, true) : active_page_;
    if (next == Page) next = nullptr;
    pages_.erase(it);
    Page->page_control_ = nullptr;
    if (active_page_ == Page) active_page_ = nullptr;
    UpdateTabs();
    if (!Destroying()) SetActivePage(next);
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* Current, bool GoForward) const {
    int n = PageCount();
    if (n == 0) return nullptr;
    int i = int(std::find(pages_.begin(), pages_.end(), Current) - pages_.begin());
    if (i >= n) i = GoForward ? n - 1 : 0;
    for (int k = 0; k < n; ++k) {
        i = GoForward ? (i + 1) % n : (i + n - 1) % n;
        if (pages_[size_t(i)]->tab_visible_) return pages_[size_t(i)];
    }
    return nullptr;
}

void TPageControl::SelectNextPage(bool GoForward) {
    TTabSheet* p = FindNextPage(active_page_, GoForward);
    if (p && p != active_page_ && CanChange()) {
        SetActivePage(p);
        Change();
    }
}

int TPageControl::ActivePageIndex() const {
    return active_page_ ? active_page_->PageIndex() : -1;
}

void TPageControl::SetActivePageIndex(int Value) {
    SetActivePage(Value >= 0 && Value < PageCount() ? pages_[size_t(Value)] : nullptr);
}

void TPageControl::SetActivePage(TTabSheet* Page) {
    if (Page && Page->page_control_ != this) return;
    active_page_ = Page;
    if (handle_) ::SendMessageW(handle_, TCM_SETCURSEL, WPARAM(Page ? Page->TabIndex() : -1), 0);
    ShowActive();
}

void TPageControl::ShowActive() {
    for (TTabSheet* s : pages_)
        if (s != active_page_) s->SetVisible(false);
    if (active_page_) {
        Realign();
        active_page_->SetVisible(true);
        active_page_->BringToFront();
    }
}

void TPageControl::UpdateTabs() {
    if (!handle_) return;
    ::SendMessageW(handle_, TCM_DELETEALLITEMS, 0, 0);
    int n = 0;
    for (TTabSheet* s : pages_) {
        if (!s->tab_visible_) continue;
        std::wstring w = GbkToWide(s->Caption());
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = w.data();
        ::SendMessageW(handle_, TCM_INSERTITEMW, WPARAM(n++), LPARAM(&item));
    }
    if (active_page_) ::SendMessageW(handle_, TCM_SETCURSEL, WPARAM(active_page_->TabIndex()), 0);
    Realign();
}

void TPageControl::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    Params.SubClassOf = WC_TABCONTROLW;
    Params.Style |= WS_CLIPCHILDREN;
}

void TPageControl::CreateHandle() {
    TWinControl::CreateHandle();
    UpdateTabs();
    ShowActive();
}

TRect TPageControl::DisplayRect() {
    RECT r{0, 0, width_, height_};
    if (handle_) {
        ::GetClientRect(handle_, &r);
        ::SendMessageW(handle_, TCM_ADJUSTRECT, FALSE, LPARAM(&r));
    } else {
        r.left += 4;
        r.top += 24;
        r.right -= 4;
        r.bottom -= 4;
    }
    return FromRECT(r);
}

void TPageControl::AlignControls(TControl* AControl, TRect& Rect) {
    Rect = DisplayRect();
    TWinControl::AlignControls(AControl, Rect);
}

void TPageControl::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent*) {
    for (TTabSheet* s : pages_)
        Proc(s);
}

bool TPageControl::CanChange() {
    bool allow = true;
    OnChanging(this, allow);
    return allow;
}
void TPageControl::Change() {
    OnChange(this);
}

void TPageControl::CNNotify(TMessage& M) {
    auto* h = reinterpret_cast<NMHDR*>(M.LParam);
    if (h->code == TCN_SELCHANGING) {
        M.Result = CanChange() ? 0 : 1;
    } else if (h->code == TCN_SELCHANGE) {
        int tab = int(::SendMessageW(handle_, TCM_GETCURSEL, 0, 0));
        for (TTabSheet* s : pages_)
            if (s->TabIndex() == tab) {
                active_page_ = s;
                break;
            }
        ShowActive();
        Change();
    }
}

// ---- TDateTimePicker ----------------------------------------------------------------------

TDateTime SystemTimeToDateTime(const SYSTEMTIME& T) {
    // Days from 1899-12-30 through the civil calendar.
    auto days = [](int y, int m, int d) {
        y -= m <= 2;
        int era = (y >= 0 ? y : y - 399) / 400;
        int yoe = y - era * 400;
        int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
        int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
        return era * 146097 + doe - 719468; // days since 1970-01-01
    };
    int d = days(T.wYear, T.wMonth, T.wDay) + 25569;
    return d +
           (T.wHour * 3600.0 + T.wMinute * 60.0 + T.wSecond + T.wMilliseconds / 1000.0) / 86400.0;
}

SYSTEMTIME DateTimeToSystemTime(TDateTime D) {
    SYSTEMTIME t{};
    int64_t ms = int64_t(std::llround(D * 86400000.0));
    int64_t days = ms >= 0 ? ms / 86400000 : (ms - 86399999) / 86400000;
    int64_t rest = ms - days * 86400000;
    int64_t z = days - 25569 + 719468;
    int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    int64_t doe = z - era * 146097;
    int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t y = yoe + era * 400;
    int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    int64_t mp = (5 * doy + 2) / 153;
    int64_t d = doy - (153 * mp + 2) / 5 + 1;
    int64_t m = mp + (mp < 10 ? 3 : -9);
    t.wYear = WORD(y + (m <= 2));
    t.wMonth = WORD(m);
    t.wDay = WORD(d);
    t.wDayOfWeek = WORD((days + 6) % 7); // 1899-12-30 was a Saturday
    t.wHour = WORD(rest / 3600000);
    t.wMinute = WORD(rest / 60000 % 60);
    t.wSecond = WORD(rest / 1000 % 60);
    t.wMilliseconds = WORD(rest % 1000);
    return t;
}

TDateTime EncodeDateTime(int Year, int Month, int Day, int Hour, int Minute, int Second) {
    SYSTEMTIME t{};
    t.wYear = WORD(Year);
    t.wMonth = WORD(Month);
    t.wDay = WORD(Day);
    t.wHour = WORD(Hour);
    t.wMinute = WORD(Minute);
    t.wSecond = WORD(Second);
    return SystemTimeToDateTime(t);
}

void TDateTimePicker::Publish(TPublisher<TDateTimePicker>& p) {
    p.Property("Format", nullptr, &TDateTimePicker::Format, &TDateTimePicker::SetFormat);
}

TDateTimePicker::TDateTimePicker(TComponent* AOwner) : TWinControl(AOwner) {
    InitCommonControls(ICC_DATE_CLASSES);
    control_style_.Exclude(TControlStyleItem::csClickEvents);
    tab_stop_ = true;
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    value_ = SystemTimeToDateTime(now);
    SetBounds(0, 0, 186, 21);
}

void TDateTimePicker::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    Params.SubClassOf = DATETIMEPICK_CLASSW;
    if (kind_ == TDateTimeKind::dtkTime)
        Params.Style |= DTS_TIMEFORMAT;
    else if (date_format_ == TDTDateFormat::dfLong)
        Params.Style |= DTS_LONGDATEFORMAT;
}

void TDateTimePicker::CreateHandle() {
    TWinControl::CreateHandle();
    SYSTEMTIME t = DateTimeToSystemTime(value_);
    ::SendMessageW(handle_, DTM_SETSYSTEMTIME, GDT_VALID, LPARAM(&t));
    if (!format_.empty()) {
        std::wstring w = GbkToWide(format_);
        ::SendMessageW(handle_, DTM_SETFORMATW, 0, LPARAM(w.c_str()));
    }
}

void TDateTimePicker::DestroyWnd() {
    ReadWindow();
    TWinControl::DestroyWnd();
}

void TDateTimePicker::ReadWindow() const {
    if (!handle_) return;
    SYSTEMTIME t{};
    if (::SendMessageW(handle_, DTM_GETSYSTEMTIME, 0, LPARAM(&t)) == GDT_VALID)
        value_ = SystemTimeToDateTime(t);
}

TDateTime TDateTimePicker::DateTime() const {
    ReadWindow();
    return value_;
}
void TDateTimePicker::SetDateTime(TDateTime Value) {
    value_ = Value;
    if (handle_) {
        SYSTEMTIME t = DateTimeToSystemTime(Value);
        ::SendMessageW(handle_, DTM_SETSYSTEMTIME, GDT_VALID, LPARAM(&t));
    }
}
TDateTime TDateTimePicker::Date() const {
    return std::floor(DateTime());
}
void TDateTimePicker::SetDate(TDateTime Value) {
    SetDateTime(std::floor(Value) + Time());
}
TDateTime TDateTimePicker::Time() const {
    TDateTime d = DateTime();
    return d - std::floor(d);
}
void TDateTimePicker::SetTime(TDateTime Value) {
    SetDateTime(Date() + (Value - std::floor(Value)));
}
void TDateTimePicker::SetKind(TDateTimeKind Value) {
    if (Value == kind_) return;
    kind_ = Value;
    RecreateWnd();
}
void TDateTimePicker::SetDateFormat(TDTDateFormat Value) {
    if (Value == date_format_) return;
    date_format_ = Value;
    RecreateWnd();
}
void TDateTimePicker::SetFormat(const std::string& Value) {
    format_ = Value;
    if (handle_) {
        std::wstring w = GbkToWide(Value);
        ::SendMessageW(handle_, DTM_SETFORMATW, 0, Value.empty() ? 0 : LPARAM(w.c_str()));
    }
}

void TDateTimePicker::CNNotify(TMessage& M) {
    auto* h = reinterpret_cast<NMHDR*>(M.LParam);
    if (h->code == DTN_DATETIMECHANGE) {
        ReadWindow();
        OnChange(this);
    }
}

// ---- TListView ----------------------------------------------------------------------------

void TListColumn::SetCaption(const std::string& Value) {
    caption_ = Value;
    owner_->UpdateColumn(Index());
}
int TListColumn::Width() const {
    if (owner_->handle_)
        width_ = int(::SendMessageW(owner_->handle_, LVM_GETCOLUMNWIDTH, WPARAM(Index()), 0));
    return width_;
}
void TListColumn::SetWidth(int Value) {
    width_ = Value;
    owner_->UpdateColumn(Index());
}
void TListColumn::SetAlignment(TAlignment Value) {
    alignment_ = Value;
    owner_->UpdateColumn(Index());
}
int TListColumn::Index() const {
    for (int i = 0; i < owner_->ColumnCount(); ++i)
        if (owner_->Columns(i) == this) return i;
    return -1;
}

TListItem::TListItem(TListItems* Owner) : owner_(Owner) {
    sub_items_.OnChange = TNotifyEvent(this, &TListItem::SubItemsChanged);
}
TListItem::~TListItem() = default;

TListView* TListItem::ListView() const {
    return owner_->owner_;
}
int TListItem::Index() const {
    return owner_->IndexOf(this);
}
void TListItem::Update() {
    ListView()->UpdateItemWindow(Index());
}
void TListItem::SubItemsChanged(TObject*) {
    Update();
}
void TListItem::SetCaption(const std::string& Value) {
    caption_ = Value;
    Update();
}
void TListItem::SetImageIndex(int Value) {
    image_index_ = Value;
    Update();
}
void TListItem::SetStateIndex(int Value) {
    state_index_ = Value;
    Update();
}
bool TListItem::Checked() const {
    TListView* lv = ListView();
    if (lv->handle_)
        checked_ =
            ((::SendMessageW(lv->handle_, LVM_GETITEMSTATE, WPARAM(Index()), LVIS_STATEIMAGEMASK) >>
              12) -
             1) == 1;
    return checked_;
}
void TListItem::SetChecked(bool Value) {
    checked_ = Value;
    TListView* lv = ListView();
    if (!lv->handle_ || !lv->checkboxes_) return;
    LVITEMW it{};
    it.stateMask = LVIS_STATEIMAGEMASK;
    it.state = INDEXTOSTATEIMAGEMASK(Value ? 2 : 1);
    ::SendMessageW(lv->handle_, LVM_SETITEMSTATE, WPARAM(Index()), LPARAM(&it));
}
bool TListItem::Selected() const {
    TListView* lv = ListView();
    if (lv->handle_)
        selected_ =
            ::SendMessageW(lv->handle_, LVM_GETITEMSTATE, WPARAM(Index()), LVIS_SELECTED) != 0;
    return selected_;
}
void TListItem::SetSelected(bool Value) {
    selected_ = Value;
    TListView* lv = ListView();
    if (!lv->handle_) return;
    LVITEMW it{};
    it.stateMask = LVIS_SELECTED | (Value ? LVIS_FOCUSED : 0);
    it.state = Value ? (LVIS_SELECTED | LVIS_FOCUSED) : 0;
    ::SendMessageW(lv->handle_, LVM_SETITEMSTATE, WPARAM(Index()), LPARAM(&it));
}
void TListItem::Delete() {
    owner_->Delete(Index());
}

TListItems::~TListItems() {
    for (TListItem* i : items_)
        delete i;
}
TListItem* TListItems::Item(int Index) const {
    if (Index < 0 || Index >= Count()) throw EListError("List index out of bounds");
    return items_[size_t(Index)];
}
int TListItems::IndexOf(const TListItem* Item) const {
    auto it = std::find(items_.begin(), items_.end(), Item);
    return it == items_.end() ? -1 : int(it - items_.begin());
}
TListItem* TListItems::Add() {
    return Insert(Count());
}
TListItem* TListItems::Insert(int Index) {
    if (Index < 0 || Index > Count()) throw EListError("List index out of bounds");
    auto* item = new TListItem(this);
    items_.insert(items_.begin() + Index, item);
    owner_->InsertItemWindow(Index);
    return item;
}
void TListItems::Delete(int Index) {
    TListItem* item = Item(Index);
    items_.erase(items_.begin() + Index);
    if (owner_->handle_) ::SendMessageW(owner_->handle_, LVM_DELETEITEM, WPARAM(Index), 0);
    delete item;
}
void TListItems::Clear() {
    if (owner_->handle_) ::SendMessageW(owner_->handle_, LVM_DELETEALLITEMS, 0, 0);
    for (TListItem* i : items_)
        delete i;
    items_.clear();
}
void TListItems::BeginUpdate() {
    if (owner_->update_count_++ == 0 && owner_->handle_)
        ::SendMessageW(owner_->handle_, WM_SETREDRAW, FALSE, 0);
}
void TListItems::EndUpdate() {
    if (--owner_->update_count_ == 0 && owner_->handle_) {
        ::SendMessageW(owner_->handle_, WM_SETREDRAW, TRUE, 0);
        owner_->Invalidate();
    }
}

static const TTypeInfo* ViewStyleType() {
    static const TTypeInfo t =
        TTypeInfo::Enumeration("TViewStyle", {"vsIcon", "vsSmallIcon", "vsList", "vsReport"});
    return &t;
}

void TListView::Publish(TPublisher<TListView>& p) {
    p.Property("Checkboxes", nullptr, &TListView::Checkboxes, &TListView::SetCheckboxes).Default(0);
    p.Property("GridLines", nullptr, &TListView::GridLines, &TListView::SetGridLines).Default(0);
    p.Property("HideSelection", nullptr, &TListView::HideSelection, &TListView::SetHideSelection)
        .Default(1);
    p.Property("MultiSelect", nullptr, &TListView::MultiSelect, &TListView::SetMultiSelect)
        .Default(0);
    p.Property("ReadOnly", nullptr, &TListView::ReadOnly, &TListView::SetReadOnly).Default(0);
    p.Property("RowSelect", nullptr, &TListView::RowSelect, &TListView::SetRowSelect).Default(0);
    p.Property("ViewStyle", ViewStyleType(), &TListView::ViewStyle, &TListView::SetViewStyle)
        .Default(0);
}

TListView::TListView(TComponent* AOwner) : TWinControl(AOwner), items_(this) {
    InitCommonControls(ICC_LISTVIEW_CLASSES);
    control_style_.Exclude(TControlStyleItem::csClickEvents)
        .Exclude(TControlStyleItem::csCaptureMouse);
    tab_stop_ = true;
    parent_color_ = false;
    color_ = clWindow;
    brush_.SetColor(color_);
    SetBounds(0, 0, 250, 150);
}

TListView::~TListView() {
    if (handle_) DestroyHandle();
}

TListColumn* TListView::Columns(int Index) const {
    if (Index < 0 || Index >= ColumnCount()) throw EListError("List index out of bounds");
    return columns_[size_t(Index)].get();
}

TListColumn* TListView::AddColumn() {
    columns_.push_back(std::make_unique<TListColumn>(this));
    InsertColumnWindow(ColumnCount() - 1);
    return columns_.back().get();
}

void TListView::ClearColumns() {
    if (handle_)
        for (int i = ColumnCount() - 1; i >= 0; --i)
            ::SendMessageW(handle_, LVM_DELETECOLUMN, WPARAM(i), 0);
    columns_.clear();
}

static int ColumnFormat(TAlignment a) {
    return a == TAlignment::taRightJustify ? LVCFMT_RIGHT
           : a == TAlignment::taCenter     ? LVCFMT_CENTER
                                           : LVCFMT_LEFT;
}

void TListView::InsertColumnWindow(int Index) {
    if (!handle_) return;
    TListColumn* c = columns_[size_t(Index)].get();
    std::wstring w = GbkToWide(c->caption_);
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    col.pszText = w.data();
    col.cx = c->width_;
    col.fmt = ColumnFormat(c->alignment_);
    ::SendMessageW(handle_, LVM_INSERTCOLUMNW, WPARAM(Index), LPARAM(&col));
}

void TListView::UpdateColumn(int Index) {
    if (!handle_ || Index < 0) return;
    TListColumn* c = columns_[size_t(Index)].get();
    std::wstring w = GbkToWide(c->caption_);
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    col.pszText = w.data();
    col.cx = c->width_;
    col.fmt = ColumnFormat(c->alignment_);
    ::SendMessageW(handle_, LVM_SETCOLUMNW, WPARAM(Index), LPARAM(&col));
}

void TListView::InsertItemWindow(int Index) {
    if (!handle_) return;
    TListItem* item = items_.items_[size_t(Index)];
    std::wstring w = GbkToWide(item->caption_);
    LVITEMW it{};
    it.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
    it.iItem = Index;
    it.pszText = w.data();
    it.lParam = LPARAM(item);
    it.iImage = item->image_index_;
    bool was = filling_;
    filling_ = true;
    ::SendMessageW(handle_, LVM_INSERTITEMW, 0, LPARAM(&it));
    filling_ = was;
    UpdateItemWindow(Index);
}

void TListView::UpdateItemWindow(int Index) {
    if (!handle_ || Index < 0) return;
    TListItem* item = items_.items_[size_t(Index)];
    bool was = filling_;
    filling_ = true;
    std::wstring w = GbkToWide(item->caption_);
    LVITEMW it{};
    it.mask = LVIF_TEXT | LVIF_IMAGE;
    it.iItem = Index;
    it.pszText = w.data();
    it.iImage = item->image_index_;
    if (item->state_index_ >= 0 && !checkboxes_) {
        it.mask |= LVIF_STATE;
        it.stateMask = LVIS_STATEIMAGEMASK;
        it.state = INDEXTOSTATEIMAGEMASK(item->state_index_ + 1);
    }
    ::SendMessageW(handle_, LVM_SETITEMW, 0, LPARAM(&it));
    int cols = std::max(ColumnCount(), item->sub_items_.Count() + 1);
    for (int c = 1; c < cols; ++c) {
        std::wstring s =
            c - 1 < item->sub_items_.Count() ? GbkToWide(item->sub_items_.Strings(c - 1)) : L"";
        LVITEMW sub{};
        sub.iSubItem = c;
        sub.pszText = s.data();
        ::SendMessageW(handle_, LVM_SETITEMTEXTW, WPARAM(Index), LPARAM(&sub));
    }
    filling_ = was;
}

void TListView::ApplyExtendedStyle() {
    if (!handle_) return;
    DWORD ex = 0;
    if (row_select_) ex |= LVS_EX_FULLROWSELECT;
    if (grid_lines_) ex |= LVS_EX_GRIDLINES;
    if (checkboxes_) ex |= LVS_EX_CHECKBOXES;
    ::SendMessageW(handle_, LVM_SETEXTENDEDLISTVIEWSTYLE,
                   LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES, ex);
    ApplyCheckImages();
}

namespace {
constexpr TColor kCheckMask = 0xFF00FF;

// One check box picture, 16 x 16: a 13 x 13 white box with a grey frame, with or without a
// black tick; the rest is the mask colour.
void DrawCheckBox(TBitmap& b, bool ticked, TColor mask) {
    b.SetPixelFormat(TPixelFormat::pf32bit);
    b.SetSize(16, 16);
    auto bgr = [](TColor c) {
        const COLORREF rgb = ColorToRGB(c);
        return uint32_t(GetRValue(rgb)) << 16 | uint32_t(GetGValue(rgb)) << 8 | GetBValue(rgb);
    };
    for (int y = 0; y < 16; ++y) {
        auto* row = static_cast<uint32_t*>(b.ScanLine(y));
        for (int x = 0; x < 16; ++x) {
            const bool inBox = x >= 1 && x <= 13 && y >= 1 && y <= 13;
            const bool frame = inBox && (x == 1 || x == 13 || y == 1 || y == 13);
            row[x] = !inBox ? bgr(mask) : frame ? 0x808080u : 0xFFFFFFu;
        }
    }
    if (!ticked) return;
    // The tick: down from (4,7) to (6,9), then up to (10,5), three pixels thick.
    auto dot = [&](int x, int y) {
        for (int t = 0; t < 3; ++t)
            static_cast<uint32_t*>(b.ScanLine(y + t))[x] = 0;
    };
    for (int x = 4; x <= 6; ++x)
        dot(x, 7 + (x - 4));
    for (int x = 7; x <= 10; ++x)
        dot(x, 8 - (x - 7));
}
} // namespace

void TListView::ApplyCheckImages() {
    if (!handle_ || !checkboxes_) return;
    if (!check_images_) {
        check_images_ = std::make_unique<TImageList>(nullptr);
        check_images_->SetWidth(16);
        check_images_->SetHeight(16);
        for (bool ticked : {false, true}) {
            TBitmap b;
            DrawCheckBox(b, ticked, kCheckMask);
            check_images_->AddMasked(&b, kCheckMask);
        }
    }
    HIMAGELIST ours = check_images_->Handle();
    auto old = HIMAGELIST(::SendMessageW(handle_, LVM_GETIMAGELIST, LVSIL_STATE, 0));
    if (old == ours) return;
    ::SendMessageW(handle_, LVM_SETIMAGELIST, LVSIL_STATE, LPARAM(ours));
    // The list made its own when the check boxes were turned on; shared lists are not freed
    // by the window, so it goes here.
    if (old) ::ImageList_Destroy(old);
}

void TListView::ApplyImages() {
    if (!handle_) return;
    ::SendMessageW(handle_, LVM_SETIMAGELIST, LVSIL_SMALL,
                   LPARAM(small_images_ ? small_images_->Handle() : nullptr));
    ::SendMessageW(handle_, LVM_SETIMAGELIST, LVSIL_NORMAL,
                   LPARAM(large_images_ ? large_images_->Handle() : nullptr));
    if (!checkboxes_)
        ::SendMessageW(handle_, LVM_SETIMAGELIST, LVSIL_STATE,
                       LPARAM(state_images_ ? state_images_->Handle() : nullptr));
}

void TListView::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    Params.SubClassOf = WC_LISTVIEWW;
    Params.ExStyle |= WS_EX_CLIENTEDGE;
    static const DWORD views[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
    Params.Style |= views[int(view_style_)] | LVS_SHAREIMAGELISTS;
    if (!multi_select_) Params.Style |= LVS_SINGLESEL;
    if (!read_only_) Params.Style |= LVS_EDITLABELS;
    if (!hide_selection_) Params.Style |= LVS_SHOWSELALWAYS;
}

void TListView::CreateHandle() {
    TWinControl::CreateHandle();
    filling_ = true;
    ApplyExtendedStyle();
    ApplyImages();
    for (int i = 0; i < ColumnCount(); ++i)
        InsertColumnWindow(i);
    for (int i = 0; i < items_.Count(); ++i)
        InsertItemWindow(i);
    for (TListItem* item : items_.items_) {
        if (item->checked_) item->SetChecked(true);
        if (item->selected_) item->SetSelected(true);
    }
    filling_ = false;
}

void TListView::DestroyWnd() {
    for (TListItem* item : items_.items_) {
        item->Checked();
        item->Selected();
    }
    for (auto& c : columns_)
        c->Width();
    TWinControl::DestroyWnd();
}

void TListView::Notification(TComponent* AComponent, TOperation Operation) {
    TWinControl::Notification(AComponent, Operation);
    if (Operation != TOperation::opRemove) return;
    bool changed = false;
    for (TImageList** l : {&small_images_, &large_images_, &state_images_})
        if (*l == AComponent) {
            *l = nullptr;
            changed = true;
        }
    if (changed && !Destroying()) ApplyImages();
}

void TListView::SetViewStyle(TViewStyle Value) {
    if (Value == view_style_) return;
    view_style_ = Value;
    RecreateWnd();
}
void TListView::SetRowSelect(bool Value) {
    row_select_ = Value;
    ApplyExtendedStyle();
}
void TListView::SetGridLines(bool Value) {
    grid_lines_ = Value;
    ApplyExtendedStyle();
}
void TListView::SetCheckboxes(bool Value) {
    if (Value == checkboxes_) return;
    checkboxes_ = Value;
    RecreateWnd();
}
void TListView::SetReadOnly(bool Value) {
    if (Value == read_only_) return;
    read_only_ = Value;
    RecreateWnd();
}
void TListView::SetMultiSelect(bool Value) {
    if (Value == multi_select_) return;
    multi_select_ = Value;
    RecreateWnd();
}
void TListView::SetHideSelection(bool Value) {
    if (Value == hide_selection_) return;
    hide_selection_ = Value;
    RecreateWnd();
}
void TListView::SetSmallImages(TImageList* Value) {
    small_images_ = Value;
    if (Value) Value->FreeNotification(this);
    ApplyImages();
}
void TListView::SetLargeImages(TImageList* Value) {
    large_images_ = Value;
    if (Value) Value->FreeNotification(this);
    ApplyImages();
}
void TListView::SetStateImages(TImageList* Value) {
    state_images_ = Value;
    if (Value) Value->FreeNotification(this);
    ApplyImages();
}

TListItem* TListView::Selected() const {
    int i = ItemIndex();
    return i >= 0 ? items_.Item(i) : nullptr;
}
void TListView::SetSelected(TListItem* Item) {
    for (TListItem* i : items_.items_)
        if (i != Item && i->Selected()) i->SetSelected(false);
    if (Item) Item->SetSelected(true);
}
int TListView::ItemIndex() const {
    if (handle_) return int(::SendMessageW(handle_, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED));
    for (int i = 0; i < items_.Count(); ++i)
        if (items_.items_[size_t(i)]->selected_) return i;
    return -1;
}
void TListView::SetItemIndex(int Value) {
    SetSelected(Value >= 0 && Value < items_.Count() ? items_.Item(Value) : nullptr);
}
int TListView::SelCount() const {
    if (handle_) return int(::SendMessageW(handle_, LVM_GETSELECTEDCOUNT, 0, 0));
    int n = 0;
    for (TListItem* i : items_.items_)
        n += i->selected_;
    return n;
}
TListItem* TListView::GetItemAt(int X, int Y) const {
    if (!handle_) return nullptr;
    LVHITTESTINFO hit{};
    hit.pt = POINT{X, Y};
    int i = int(::SendMessageW(handle_, LVM_HITTEST, 0, LPARAM(&hit)));
    return i >= 0 && i < items_.Count() ? items_.Item(i) : nullptr;
}

void TListView::CNNotify(TMessage& M) {
    auto* h = reinterpret_cast<NMHDR*>(M.LParam);
    switch (h->code) {
    case LVN_ITEMCHANGED: {
        if (filling_) return;
        auto* nm = reinterpret_cast<NMLISTVIEW*>(M.LParam);
        if (nm->iItem < 0 || nm->iItem >= items_.Count()) return;
        TListItem* item = items_.Item(nm->iItem);
        if ((nm->uChanged & LVIF_STATE) && ((nm->uOldState ^ nm->uNewState) & LVIS_SELECTED)) {
            item->selected_ = (nm->uNewState & LVIS_SELECTED) != 0;
            OnSelectItem(this, item, item->selected_);
        }
        if ((nm->uChanged & LVIF_STATE) &&
            ((nm->uOldState ^ nm->uNewState) & LVIS_STATEIMAGEMASK) && checkboxes_)
            item->checked_ = ((nm->uNewState & LVIS_STATEIMAGEMASK) >> 12) == 2;
        OnChange(this);
        break;
    }
    case LVN_COLUMNCLICK: {
        auto* nm = reinterpret_cast<NMLISTVIEW*>(M.LParam);
        if (nm->iSubItem >= 0 && nm->iSubItem < ColumnCount())
            OnColumnClick(this, Columns(nm->iSubItem));
        break;
    }
    case NM_CLICK:
        Click();
        break;
    case NM_DBLCLK:
        DblClick();
        break;
    default:
        break;
    }
}

// ---- TTreeView ----------------------------------------------------------------------------

TTreeNode::~TTreeNode() {
    for (TTreeNode* c : children_)
        delete c;
}
TTreeNode* TTreeNode::Item(int Index) const {
    if (Index < 0 || Index >= Count()) throw EListError("List index out of bounds");
    return children_[size_t(Index)];
}
int TTreeNode::Index() const {
    auto& v = owner_->SiblingsOf(parent_);
    return int(std::find(v.begin(), v.end(), this) - v.begin());
}
int TTreeNode::Level() const {
    int n = 0;
    for (TTreeNode* p = parent_; p; p = p->parent_)
        ++n;
    return n;
}
TTreeNode* TTreeNode::GetNextSibling() const {
    auto& v = owner_->SiblingsOf(parent_);
    int i = Index();
    return i + 1 < int(v.size()) ? v[size_t(i + 1)] : nullptr;
}
TTreeNode* TTreeNode::GetPrevSibling() const {
    auto& v = owner_->SiblingsOf(parent_);
    int i = Index();
    return i > 0 ? v[size_t(i - 1)] : nullptr;
}
void TTreeNode::Update() {
    TTreeView* tv = owner_->owner_;
    if (!tv->handle_ || !item_) return;
    std::wstring w = GbkToWide(text_);
    TVITEMW it{};
    it.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN;
    it.hItem = item_;
    it.pszText = w.data();
    it.iImage = image_index_;
    it.iSelectedImage = selected_index_;
    it.cChildren = children_.empty() ? 0 : 1;
    ::SendMessageW(tv->handle_, TVM_SETITEMW, 0, LPARAM(&it));
}
void TTreeNode::SetText(const std::string& Value) {
    text_ = Value;
    Update();
}
void TTreeNode::SetImageIndex(int Value) {
    image_index_ = Value;
    Update();
}
void TTreeNode::SetSelectedIndex(int Value) {
    selected_index_ = Value;
    Update();
}
bool TTreeNode::Expanded() const {
    TTreeView* tv = owner_->owner_;
    if (tv->handle_ && item_)
        expanded_ = (::SendMessageW(tv->handle_, TVM_GETITEMSTATE, WPARAM(item_), TVIS_EXPANDED) &
                     TVIS_EXPANDED) != 0;
    return expanded_;
}
void TTreeNode::SetExpanded(bool Value) {
    expanded_ = Value;
    TTreeView* tv = owner_->owner_;
    if (tv->handle_ && item_)
        ::SendMessageW(tv->handle_, TVM_EXPAND, Value ? TVE_EXPAND : TVE_COLLAPSE, LPARAM(item_));
}
void TTreeNode::Expand(bool Recurse) {
    SetExpanded(true);
    if (Recurse)
        for (TTreeNode* c : children_)
            c->Expand(true);
}
void TTreeNode::Collapse(bool Recurse) {
    SetExpanded(false);
    if (Recurse)
        for (TTreeNode* c : children_)
            c->Collapse(true);
}
bool TTreeNode::Selected() const {
    return owner_->owner_->Selected() == this;
}
void TTreeNode::SetSelected(bool Value) {
    TTreeView* tv = owner_->owner_;
    if (Value)
        tv->SetSelected(this);
    else if (tv->Selected() == this)
        tv->SetSelected(nullptr);
}
void TTreeNode::Delete() {
    owner_->Delete(this);
}

TTreeNodes::~TTreeNodes() {
    for (TTreeNode* n : roots_)
        delete n;
}

std::vector<TTreeNode*>& TTreeNodes::SiblingsOf(TTreeNode* Parent) {
    return Parent ? Parent->children_ : roots_;
}

int TTreeNodes::Count() const {
    int n = 0;
    std::function<void(const std::vector<TTreeNode*>&)> walk =
        [&](const std::vector<TTreeNode*>& v) {
            for (TTreeNode* c : v) {
                ++n;
                walk(c->children_);
            }
        };
    walk(roots_);
    return n;
}

TTreeNode* TTreeNodes::Item(int Index) const {
    int n = 0;
    TTreeNode* found = nullptr;
    std::function<void(const std::vector<TTreeNode*>&)> walk =
        [&](const std::vector<TTreeNode*>& v) {
            for (TTreeNode* c : v) {
                if (found) return;
                if (n++ == Index) {
                    found = c;
                    return;
                }
                walk(c->children_);
            }
        };
    walk(roots_);
    if (!found) throw EListError("List index out of bounds");
    return found;
}

TTreeNode* TTreeNodes::InsertAt(TTreeNode* Parent, int Index, const std::string& S, void* Ptr) {
    auto& v = SiblingsOf(Parent);
    auto* node = new TTreeNode(this, Parent);
    node->text_ = S;
    node->Data = Ptr;
    v.insert(v.begin() + Index, node);
    owner_->InsertWindowItem(node);
    if (Parent) Parent->Update();
    return node;
}

TTreeNode* TTreeNodes::Add(TTreeNode* Sibling, const std::string& S) {
    return AddObject(Sibling, S, nullptr);
}
TTreeNode* TTreeNodes::AddObject(TTreeNode* Sibling, const std::string& S, void* Ptr) {
    TTreeNode* parent = Sibling ? Sibling->parent_ : nullptr;
    return InsertAt(parent, int(SiblingsOf(parent).size()), S, Ptr);
}
TTreeNode* TTreeNodes::AddChild(TTreeNode* Parent, const std::string& S) {
    return AddChildObject(Parent, S, nullptr);
}
TTreeNode* TTreeNodes::AddChildObject(TTreeNode* Parent, const std::string& S, void* Ptr) {
    return InsertAt(Parent, int(SiblingsOf(Parent).size()), S, Ptr);
}
TTreeNode* TTreeNodes::Insert(TTreeNode* Sibling, const std::string& S) {
    if (!Sibling) return Add(nullptr, S);
    return InsertAt(Sibling->parent_, Sibling->Index(), S, nullptr);
}

void TTreeNodes::Delete(TTreeNode* Node) {
    if (!Node) return;
    TTreeView* tv = owner_;
    // The selection goes with the node (or anything under it).
    for (TTreeNode* s = tv->selected_; s; s = s->parent_)
        if (s == Node) {
            tv->selected_ = nullptr;
            break;
        }
    if (tv->handle_ && Node->item_) {
        bool was = tv->filling_;
        tv->filling_ = true;
        ::SendMessageW(tv->handle_, TVM_DELETEITEM, 0, LPARAM(Node->item_));
        tv->filling_ = was;
    }
    auto& v = SiblingsOf(Node->parent_);
    v.erase(std::find(v.begin(), v.end(), Node));
    TTreeNode* parent = Node->parent_;
    delete Node;
    if (parent) parent->Update();
}

void TTreeNodes::Clear() {
    while (!roots_.empty())
        Delete(roots_.back());
}

void TTreeView::Publish(TPublisher<TTreeView>& p) {
    p.Property("HideSelection", nullptr, &TTreeView::HideSelection, &TTreeView::SetHideSelection)
        .Default(1);
    p.Property("ReadOnly", nullptr, &TTreeView::ReadOnly, &TTreeView::SetReadOnly).Default(0);
    p.Property("ShowButtons", nullptr, &TTreeView::ShowButtons, &TTreeView::SetShowButtons)
        .Default(1);
    p.Property("ShowLines", nullptr, &TTreeView::ShowLines, &TTreeView::SetShowLines).Default(1);
    p.Property("ShowRoot", nullptr, &TTreeView::ShowRoot, &TTreeView::SetShowRoot).Default(1);
}

TTreeView::TTreeView(TComponent* AOwner) : TWinControl(AOwner), items_(this) {
    InitCommonControls(ICC_TREEVIEW_CLASSES);
    control_style_.Exclude(TControlStyleItem::csClickEvents)
        .Exclude(TControlStyleItem::csCaptureMouse);
    tab_stop_ = true;
    parent_color_ = false;
    color_ = clWindow;
    brush_.SetColor(color_);
    SetBounds(0, 0, 121, 97);
}

TTreeView::~TTreeView() {
    if (handle_) DestroyHandle();
}

void TTreeView::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    Params.SubClassOf = WC_TREEVIEWW;
    Params.ExStyle |= WS_EX_CLIENTEDGE;
    if (show_lines_) Params.Style |= TVS_HASLINES;
    if (show_root_) Params.Style |= TVS_LINESATROOT;
    if (show_buttons_) Params.Style |= TVS_HASBUTTONS;
    if (!read_only_) Params.Style |= TVS_EDITLABELS;
    if (!hide_selection_) Params.Style |= TVS_SHOWSELALWAYS;
}

void TTreeView::InsertWindowItem(TTreeNode* Node) {
    if (!handle_) return;
    std::wstring w = GbkToWide(Node->text_);
    TVINSERTSTRUCTW ins{};
    ins.hParent = Node->parent_ ? Node->parent_->item_ : TVI_ROOT;
    TTreeNode* prev = Node->GetPrevSibling();
    ins.hInsertAfter = prev ? prev->item_ : TVI_FIRST;
    ins.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN;
    ins.item.pszText = w.data();
    ins.item.lParam = LPARAM(Node);
    ins.item.iImage = Node->image_index_;
    ins.item.iSelectedImage = Node->selected_index_;
    ins.item.cChildren = Node->children_.empty() ? 0 : 1;
    bool was = filling_;
    filling_ = true;
    Node->item_ = HTREEITEM(::SendMessageW(handle_, TVM_INSERTITEMW, 0, LPARAM(&ins)));
    filling_ = was;
}

void TTreeView::CreateHandle() {
    TWinControl::CreateHandle();
    if (images_) ::SendMessageW(handle_, TVM_SETIMAGELIST, TVSIL_NORMAL, LPARAM(images_->Handle()));
    filling_ = true;
    std::function<void(std::vector<TTreeNode*>&)> fill = [&](std::vector<TTreeNode*>& v) {
        for (TTreeNode* n : v) {
            InsertWindowItem(n);
            fill(n->children_);
        }
    };
    fill(items_.roots_);
    std::function<void(std::vector<TTreeNode*>&)> expand = [&](std::vector<TTreeNode*>& v) {
        for (TTreeNode* n : v) {
            if (n->expanded_) ::SendMessageW(handle_, TVM_EXPAND, TVE_EXPAND, LPARAM(n->item_));
            expand(n->children_);
        }
    };
    expand(items_.roots_);
    if (selected_) ::SendMessageW(handle_, TVM_SELECTITEM, TVGN_CARET, LPARAM(selected_->item_));
    filling_ = false;
}

void TTreeView::DestroyWnd() {
    Selected();
    std::function<void(std::vector<TTreeNode*>&)> save = [&](std::vector<TTreeNode*>& v) {
        for (TTreeNode* n : v) {
            n->Expanded();
            save(n->children_);
            n->item_ = nullptr;
        }
    };
    save(items_.roots_);
    filling_ = true;
    TWinControl::DestroyWnd();
    filling_ = false;
}

void TTreeView::Notification(TComponent* AComponent, TOperation Operation) {
    TWinControl::Notification(AComponent, Operation);
    if (Operation == TOperation::opRemove && AComponent == images_) {
        images_ = nullptr;
        if (handle_ && !Destroying()) ::SendMessageW(handle_, TVM_SETIMAGELIST, TVSIL_NORMAL, 0);
    }
}

TTreeNode* TTreeView::NodeFromItem(HTREEITEM Item) const {
    if (!Item || !handle_) return nullptr;
    TVITEMW it{};
    it.mask = TVIF_PARAM;
    it.hItem = Item;
    ::SendMessageW(handle_, TVM_GETITEMW, 0, LPARAM(&it));
    return reinterpret_cast<TTreeNode*>(it.lParam);
}

TTreeNode* TTreeView::Selected() const {
    if (handle_)
        selected_ =
            NodeFromItem(HTREEITEM(::SendMessageW(handle_, TVM_GETNEXTITEM, TVGN_CARET, 0)));
    return selected_;
}

void TTreeView::SetSelected(TTreeNode* Node) {
    selected_ = Node;
    if (handle_)
        ::SendMessageW(handle_, TVM_SELECTITEM, TVGN_CARET, LPARAM(Node ? Node->item_ : nullptr));
}

void TTreeView::SetImages(TImageList* Value) {
    images_ = Value;
    if (Value) Value->FreeNotification(this);
    if (handle_)
        ::SendMessageW(handle_, TVM_SETIMAGELIST, TVSIL_NORMAL,
                       LPARAM(Value ? Value->Handle() : nullptr));
}
void TTreeView::SetShowLines(bool Value) {
    if (Value == show_lines_) return;
    show_lines_ = Value;
    RecreateWnd();
}
void TTreeView::SetShowRoot(bool Value) {
    if (Value == show_root_) return;
    show_root_ = Value;
    RecreateWnd();
}
void TTreeView::SetShowButtons(bool Value) {
    if (Value == show_buttons_) return;
    show_buttons_ = Value;
    RecreateWnd();
}
void TTreeView::SetReadOnly(bool Value) {
    if (Value == read_only_) return;
    read_only_ = Value;
    RecreateWnd();
}
void TTreeView::SetHideSelection(bool Value) {
    if (Value == hide_selection_) return;
    hide_selection_ = Value;
    RecreateWnd();
}
void TTreeView::FullExpand() {
    for (TTreeNode* n : items_.roots_)
        n->Expand(true);
}
void TTreeView::FullCollapse() {
    for (TTreeNode* n : items_.roots_)
        n->Collapse(true);
}
TTreeNode* TTreeView::GetNodeAt(int X, int Y) const {
    if (!handle_) return nullptr;
    TVHITTESTINFO hit{};
    hit.pt = POINT{X, Y};
    HTREEITEM item = HTREEITEM(::SendMessageW(handle_, TVM_HITTEST, 0, LPARAM(&hit)));
    return (hit.flags & TVHT_ONITEM) ? NodeFromItem(item) : nullptr;
}

void TTreeView::CNNotify(TMessage& M) {
    auto* h = reinterpret_cast<NMHDR*>(M.LParam);
    switch (h->code) {
    case TVN_SELCHANGINGW: {
        if (filling_) return;
        auto* nm = reinterpret_cast<NMTREEVIEWW*>(M.LParam);
        bool allow = true;
        OnChanging(this, reinterpret_cast<TTreeNode*>(nm->itemNew.lParam), allow);
        M.Result = allow ? 0 : 1;
        break;
    }
    case TVN_SELCHANGEDW: {
        if (filling_) return;
        auto* nm = reinterpret_cast<NMTREEVIEWW*>(M.LParam);
        selected_ = reinterpret_cast<TTreeNode*>(nm->itemNew.lParam);
        OnChange(this, selected_);
        break;
    }
    case TVN_ITEMEXPANDEDW: {
        auto* nm = reinterpret_cast<NMTREEVIEWW*>(M.LParam);
        auto* node = reinterpret_cast<TTreeNode*>(nm->itemNew.lParam);
        if (!node) break;
        node->expanded_ = nm->action == TVE_EXPAND;
        if (node->expanded_)
            OnExpanded(this, node);
        else
            OnCollapsed(this, node);
        break;
    }
    case TVN_BEGINLABELEDITW:
        M.Result = read_only_ ? 1 : 0;
        break;
    case TVN_ENDLABELEDITW: {
        auto* nm = reinterpret_cast<NMTVDISPINFOW*>(M.LParam);
        auto* node = reinterpret_cast<TTreeNode*>(nm->item.lParam);
        if (!node || !nm->item.pszText) break; // cancelled
        std::string s = WideToGbk(nm->item.pszText);
        OnEdited(this, node, s);
        node->SetText(s);
        M.Result = 0;
        break;
    }
    case NM_CLICK:
        Click();
        break;
    case NM_DBLCLK:
        DblClick();
        break;
    default:
        break;
    }
}

void TTreeView::EditText(TTreeNode* Node) {
    if (Node && HandleAllocated()) {
        ::SetFocus(WindowHandle());
        TreeView_EditLabel(WindowHandle(), Node->ItemId());
    }
}

} // namespace dvr::fw
