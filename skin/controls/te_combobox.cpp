#include "skin/controls/te_combobox.h"

#include "common/win/textconv.h"
#include "skin/controls/te_form_theme.h"
#include "skin/engine/te_canvas_win.h"
#include "skin/engine/te_utils_win.h"
#include "skin/engine/te_theme.h"
#include "skin/engine/te_winapi.h"

#include <windowsx.h>

#include <algorithm>

namespace dvr::skin {

using fw::TMessage;

namespace {

std::string AsciiLower(std::string S) {
    for (char& c : S)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return S;
}

bool DropShadowAvailable() {
    OSVERSIONINFOW v{};
    v.dwOSVersionInfoSize = sizeof(v);
    if (!::GetVersionExW(&v) || v.dwPlatformId != VER_PLATFORM_WIN32_NT) return false;
    return v.dwMajorVersion > 5 || (v.dwMajorVersion == 5 && v.dwMinorVersion >= 1);
}

bool PtIn(const TRect& R, TPoint P) {
    return P.X >= R.Left && P.X < R.Right && P.Y >= R.Top && P.Y < R.Bottom;
}

UINT WheelScrollLines() {
    UINT lines = 3;
    ::SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    return lines == 0 ? 1 : lines;
}

} // namespace

// ---- the drop-down window ---------------------------------------------------------------

TTeComboWindow::TTeComboWindow(TTeComboBox* AOwner) : fw::TForm(AOwner), combo_(AOwner) {
    SetBorderStyle(fw::TFormBorderStyle::bsNone);
    SetKeyPreview(true);
}

void TTeComboWindow::CreateParams(fw::TCreateParams& Params) {
    fw::TForm::CreateParams(Params);
    Params.Style &= ~DWORD(WS_CHILD | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
    Params.Style |= WS_POPUP;
    Params.ExStyle |= WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
    Params.WindowClass.style |= CS_SAVEBITS;
    if (DropShadowAvailable()) Params.WindowClass.style |= CS_DROPSHADOW;
}

fw::TWinControl* TTeComboWindow::GetOwnerControl() {
    return combo_ ? dynamic_cast<fw::TWinControl*>(combo_->Owner()) : nullptr;
}

TTeForm* TTeComboWindow::GetOwnerSkinForm() {
    fw::TWinControl* c = GetOwnerControl();
    if (!c) return nullptr;
    for (int i = 0; i < c->ComponentCount(); ++i)
        if (auto* f = dynamic_cast<TTeForm*>(c->Components(i))) return f;
    return nullptr;
}

void TTeComboWindow::KeyDown(uint16_t& Key, fw::TShiftState Shift) {
    fw::TForm::KeyDown(Key, Shift);
    if (Key == VK_ESCAPE) {
        combo_->CloseUp();
        Hide();
        Key = 0; // the list is closed: it must not act on the key too
    } else if (Key == VK_RETURN || Key == VK_SPACE) {
        combo_->SetItemIndex(combo_->DropList()->ItemIndex());
        combo_->CloseUp();
        Hide();
        Key = 0;
    }
}

void TTeComboWindow::WMActivate(TMessage& M) {
    FW_INHERITED(M);
    const WORD state = LOWORD(M.WParam);
    if (state == WA_ACTIVE) {
        // The owning windows keep their active captions while the list has the focus.
        if (fw::TWinControl* owner = GetOwnerControl()) {
            if (owner->HandleAllocated()) ::SendMessageW(owner->Handle(), WM_NCACTIVATE, 1, 0);
            auto* form = dynamic_cast<fw::TCustomForm*>(owner);
            if (form && form->FormStyle() == fw::TFormStyle::fsMDIChild && fw::Application &&
                fw::Application->MainForm() && fw::Application->MainForm()->HandleAllocated())
                ::SendMessageW(fw::Application->MainForm()->Handle(), WM_NCACTIVATE, 1, 0);
        }
    } else if (state == WA_INACTIVE) {
        combo_->CloseUp();
        Hide();
    }
}

void TTeComboWindow::WMMouseActivate(TMessage& M) {
    M.Result = ::DefWindowProcW(Handle(), M.Msg, M.WParam, M.LParam);
}

void TTeComboWindow::WMEraseBkgnd(TMessage& M) {
    M.Result = 1;
}

void TTeComboWindow::WMClose(TMessage& /*M*/) {}

void TTeComboWindow::CMShowingChanged(TMessage& /*M*/) {
    // Visible is the state being reached (Showing follows the window, not yet changed).
    const UINT flags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE |
                       (Visible() ? SWP_SHOWWINDOW : SWP_HIDEWINDOW);
    ::SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, flags);
}

// ---- the combo box ----------------------------------------------------------------------

TTeComboBox::TTeComboBox(fw::TComponent* AOwner) : TTeEdit(AOwner) {
    item_index_ = -1;
    drop_list_ = CreateListBox();
    drop_list_->SetClickOnKeySelect(false);
    drop_list_->SetParent(this);
    drop_list_->SetVisible(false);
    drop_list_->SetTabStop(false);
    drop_list_->OnClick = fw::TNotifyEvent(this, &TTeComboBox::ListClick);
    drop_list_->SetAlign(fw::TAlign::alClient);
    button_align_ = TTeComboButtonAlign::cbaRight;
    item_height_ = 15;
    drop_down_count_ = 8;
    suppress_auto_complete_ = false;
    completion_timer_ = new fw::TTimer(this);
    completion_timer_->SetEnabled(false);
    completion_timer_->SetInterval(100);
    completion_timer_->SetOnTimer(fw::TNotifyEvent(this, &TTeComboBox::AutoCompleteTick));
}

// Owned components go before the destructor runs: the list and the window are put away
// while they are still there.
void TTeComboBox::BeforeDestruction() {
    if (drop_list_ && DroppedDown()) CloseUp();
    if (ActiveDropDown() == this) {
        ActiveDropDown() = nullptr;
        DropDownCloseEvent() = {};
    }
    if (drop_window_) {
        TTeComboWindow* w = drop_window_;
        drop_window_ = nullptr;
        w->Free();
    }
    drop_list_ = nullptr; // freed with the other owned components
    TTeEdit::BeforeDestruction();
}

TTeComboBox::~TTeComboBox() {
    if (ActiveDropDown() == this) {
        ActiveDropDown() = nullptr;
        DropDownCloseEvent() = {};
    }
}

TTeListBox* TTeComboBox::CreateListBox() {
    return new TTeListBox(this);
}

void TTeComboBox::Loaded() {
    suppress_auto_complete_ = true;
    try {
        TTeEdit::Loaded();
    } catch (...) {
        suppress_auto_complete_ = false;
        throw;
    }
    suppress_auto_complete_ = false;
    last_text_.clear();
    Realign();
}

void TTeComboBox::SetParent(fw::TWinControl* AParent) {
    TTeEdit::SetParent(AParent);
}

bool TTeComboBox::DroppedDown() const {
    return drop_list_ && (drop_list_->Visible() || drop_list_->Parent() != this);
}

bool TTeComboBox::ThemedCombo() {
    return CurrentThemeHasEditStyle(1, ThemeObject());
}

// ---- settings ---------------------------------------------------------------------------

void TTeComboBox::SetButtonAlign(TTeComboButtonAlign Value) {
    if (Value == button_align_) return;
    button_align_ = Value;
    Invalidate();
}

fw::TStrings* TTeComboBox::Items() {
    return drop_list_ ? drop_list_->Items() : nullptr;
}

void TTeComboBox::SetItems(fw::TStrings* Value) {
    if (drop_list_) drop_list_->Items()->Assign(Value);
}

bool TTeComboBox::Flat() const {
    return drop_list_ && drop_list_->Flat();
}
void TTeComboBox::SetFlat(bool Value) {
    if (drop_list_) drop_list_->SetFlat(Value);
}
bool TTeComboBox::ShowCheckBoxes() const {
    return drop_list_ && drop_list_->ShowCheckBoxes();
}
void TTeComboBox::SetShowCheckBoxes(bool Value) {
    if (drop_list_) drop_list_->SetShowCheckBoxes(Value);
}
bool TTeComboBox::Sorted() const {
    return drop_list_ && drop_list_->Sorted();
}
void TTeComboBox::SetSorted(bool Value) {
    if (drop_list_) drop_list_->SetSorted(Value);
}
bool TTeComboBox::WordWrap() const {
    return drop_list_ && drop_list_->WordWrap();
}
void TTeComboBox::SetWordWrap(bool Value) {
    if (drop_list_) drop_list_->SetWordWrap(Value);
}
TTeFontDevice TTeComboBox::FontDevice() const {
    return drop_list_ ? drop_list_->FontDevice() : TTeFontDevice::fdScreen;
}
void TTeComboBox::SetFontDevice(TTeFontDevice Value) {
    if (drop_list_) drop_list_->SetFontDevice(Value);
}
TTeFontType TTeComboBox::FontType() const {
    return drop_list_ ? drop_list_->FontType() : TTeFontType::ftAll;
}
void TTeComboBox::SetFontType(TTeFontType Value) {
    if (drop_list_) drop_list_->SetFontType(Value);
}
TTeListBoxStyle TTeComboBox::ListStyle() const {
    return drop_list_ ? drop_list_->ListStyle() : TTeListBoxStyle::lbStandard;
}
void TTeComboBox::SetListStyle(TTeListBoxStyle Value) {
    if (!drop_list_) return;
    drop_list_->SetListStyle(Value);
    switch (Value) {
    case TTeListBoxStyle::lbFonts:
    case TTeListBoxStyle::lbFontSamples:
    case TTeListBoxStyle::lbColors:
    case TTeListBoxStyle::lbColorNames:
        item_height_ = drop_list_->ItemHeight();
        break;
    default:
        break;
    }
    Invalidate();
}
TTeListDrawItemEvent TTeComboBox::OnDrawItem() const {
    return drop_list_ ? drop_list_->OnDrawItem : TTeListDrawItemEvent{};
}
void TTeComboBox::SetOnDrawItem(TTeListDrawItemEvent Value) {
    if (drop_list_) drop_list_->OnDrawItem = Value;
}
TTeListMeasureItemEvent TTeComboBox::OnMeasureItem() const {
    return drop_list_ ? drop_list_->OnMeasureItem : TTeListMeasureItemEvent{};
}
void TTeComboBox::SetOnMeasureItem(TTeListMeasureItemEvent Value) {
    if (drop_list_) drop_list_->OnMeasureItem = Value;
}

// ---- current item and text --------------------------------------------------------------

void TTeComboBox::SetItemIndex(int Index) {
    item_index_ = Index;
    if (combo_style_ == TTeComboStyle::kcsDropDown && Loading()) return;
    const int n = Items() ? Items()->Count() : 0;
    if (item_index_ < -1) item_index_ = 0;
    if (item_index_ > n - 1) item_index_ = n - 1;
    if (combo_style_ == TTeComboStyle::kcsDropDown) {
        if (item_index_ >= 0 && item_index_ < n)
            TTeEdit::SetText(win::GbkToWide(Items()->Get(item_index_)));
    } else if (!Loading()) {
        Change();
    }
    Invalidate();
}

std::string TTeComboBox::GetText() const {
    if (combo_style_ == TTeComboStyle::kcsDropDownList && drop_list_ && item_index_ >= 0 &&
        item_index_ < drop_list_->Items()->Count())
        return drop_list_->Items()->Get(item_index_);
    return TTeEdit::GetText();
}

std::wstring TTeComboBox::WideText() const {
    return win::GbkToWide(GetText());
}

void TTeComboBox::SetComboStyle(TTeComboStyle Value) {
    // A repeated switch to the list style would lose the read-only state saved by the first.
    if (Value == combo_style_) return;
    combo_style_ = Value;
    if (Value == TTeComboStyle::kcsDropDown) {
        if (!Loading()) SetReadOnly(saved_read_only_);
        if (HandleAllocated()) ShowTextCaret();
        saved_read_only_ = ReadOnly();
    } else {
        if (item_index_ == -1) SetItemIndex(0);
        saved_read_only_ = ReadOnly();
        SetReadOnly(true);
        TTeEdit::SetText(std::wstring());
        if (HandleAllocated()) HideTextCaret();
    }
    Invalidate();
}

// ---- geometry ---------------------------------------------------------------------------

int TTeComboBox::GetButtonWidth() {
    if (IsSystemThemeActive()) {
        const TThemeFunctions& f = ThemeFunctions();
        if (f.OpenThemeData && f.GetThemePartSize && f.CloseThemeData) {
            if (HTHEME theme = f.OpenThemeData(nullptr, L"ComboBox")) {
                SIZE sz{};
                HRESULT hr = f.GetThemePartSize(theme, nullptr, 1, 1, nullptr, TS_TRUE, &sz);
                f.CloseThemeData(theme);
                if (SUCCEEDED(hr)) return sz.cx;
            }
        }
    }
    return kDefaultButtonWidth;
}

void TTeComboBox::GetButtonRect(TRect& R) {
    R = GetTextRect();
    if (!AutoSize()) R.Bottom = CachedHeight() - R.Top;
    const int grow = IsSystemThemeActive() ? 3 : 2;
    R = TRect{R.Left - grow, R.Top - grow, R.Right + grow, R.Bottom + grow};
    const int w = GetButtonWidth();
    if (button_align_ == TTeComboButtonAlign::cbaLeft) {
        R.Right = R.Left + w;
        R.Left -= w;
        R.Right -= w;
    } else {
        R.Left = R.Right - w;
        R.Left += w;
        R.Right += w;
    }
}

TRect TTeComboBox::GetTextRect() {
    const int w = GetButtonWidth();
    TRect r;
    if (ThemedCombo()) {
        CurrentTheme()->GetEditContentRect(1, TRect{0, 0, Width(), Height()}, r, ThemeObject());
    } else {
        r = TTeEdit::GetTextRect();
    }
    if (button_align_ == TTeComboButtonAlign::cbaRight)
        r.Right -= w;
    else
        r.Left += w;
    if (!ThemedCombo()) {
        HDC dc = ::GetDC(nullptr);
        HGDIOBJ old = ::SelectObject(dc, Font()->Handle());
        const int h = WideTextHeight(dc, L"Pq");
        ::SelectObject(dc, old);
        ::ReleaseDC(nullptr, dc);
        r.Bottom = r.Top + h;
    }
    return r;
}

// ---- painting ---------------------------------------------------------------------------

void TTeComboBox::PaintTextBackground(TRect R) {
    TRect b = R;
    const int d = BorderWidth() + 1;
    if (button_align_ == TTeComboButtonAlign::cbaLeft)
        b.Left -= d;
    else
        b.Right += d;
    TTeEdit::PaintTextBackground(b);
    b = ButtonRect();
    fw::TCanvas& c = *Canvas();
    if (ThemedCombo()) {
        const uint8_t state = !Enabled() ? 3 : drop_button_pressed_ ? 2 : drop_button_hot_ ? 1 : 0;
        CurrentTheme()->PaintComboButton(1, c, "default", MakeComboButtonInfo(b, state, 0),
                                         MakeEditInfo(R, 0));
        PaintCurrentItem(GetTextRect());
        return;
    }
    RECT rc{b.Left, b.Top, b.Right, b.Bottom};
    const TThemeFunctions& f = ThemeFunctions();
    HTHEME theme =
        IsSystemThemeActive() && f.OpenThemeData ? f.OpenThemeData(nullptr, L"ComboBox") : nullptr;
    if (theme) {
        const int state = !Enabled() ? 4 : drop_button_pressed_ ? 3 : drop_button_hot_ ? 2 : 1;
        f.DrawThemeBackground(theme, c.Handle(), 1, state, &rc, nullptr);
        f.CloseThemeData(theme);
    } else {
        ::DrawFrameControl(c.Handle(), &rc, DFC_SCROLL,
                           DFCS_SCROLLCOMBOBOX | (drop_button_pressed_ ? DFCS_PUSHED : 0));
    }
    PaintCurrentItem(TRect{R.Left - 1, R.Top - 1, R.Right + 1, R.Bottom + 1});
}

void TTeComboBox::PaintCurrentItem(TRect R) {
    if (combo_style_ != TTeComboStyle::kcsDropDownList || !drop_list_) return;
    fw::TCanvas& c = *Canvas();
    const int n = drop_list_->Items()->Count();
    if (item_index_ >= 0 && item_index_ < n) {
        // The item is drawn as the list draws it, selected while the combo box has the focus.
        const bool was_selected = drop_list_->IsSelected(item_index_);
        fw::TCanvas* lc = drop_list_->Canvas();
        HDC saved_dc = lc->HandleAllocated() ? lc->Handle() : nullptr;
        drop_list_->SetSelected(item_index_, HasFocus());
        lc->SetHandle(c.Handle());
        auto restore = [&] {
            lc->SetHandle(saved_dc);
            drop_list_->SetSelected(item_index_, was_selected);
        };
        try {
            drop_list_->DrawItem(c, item_index_, R);
        } catch (...) {
            restore();
            throw;
        }
        restore();
    }
    if (HasFocus()) DrawFocusRectColor(c, R, fw::clWhite);
}

// ---- dropping down ----------------------------------------------------------------------

void TTeComboBox::OpenDropDown() {
    if (drop_window_) {
        CloseUp();
        TTeComboWindow* w = drop_window_;
        drop_window_ = nullptr;
        w->Free();
    }
    drop_window_ = new TTeComboWindow(this);
    const TPoint p = ClientToScreen(TPoint{0, CachedHeight()});
    int left = p.X, top = p.Y;
    const int n = Items()->Count();
    const int rows = n > 0 && n < drop_down_count_ ? n : drop_down_count_;
    const TRect inner = drop_list_->InnerRect();
    const int height =
        rows * item_height_ + inner.Top + (drop_list_->CachedHeight() - inner.Bottom);
    RECT m{};
    GetMonitorRectFromPoint(POINT{p.X, p.Y}, true, m);
    if (p.Y + rows * item_height_ > m.bottom) top = p.Y - Height() - rows * item_height_;
    if (p.X + Width() > m.right) left = m.right - Width();
    drop_window_->SetBounds(left, top, Width(), height);

    for (int i = 0; i < n; ++i)
        drop_list_->SetSelected(i, false);
    if (item_index_ >= 0) {
        drop_list_->SetSelected(item_index_, true);
        drop_list_->SetItemIndex(item_index_);
    } else if (n > 0) {
        drop_list_->SetSelected(0, true);
    }
    drop_list_->SetItemHeight(item_height_);
    drop_list_->SetColor(Color());

    TTeForm* form = drop_window_->GetOwnerSkinForm();
    if (form) form->DisablePainting();
    try {
        drop_window_->Show();
        // Above every other window, the top-most ones shown since included.
        ::SetWindowPos(drop_window_->Handle(), HWND_TOPMOST, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        DropDown();
        drop_list_->SetFocus();
        // The window was shown without activation, so the framework only noted the list as
        // its active control: the list takes the keyboard now (activating the window).
        if (drop_list_->HandleAllocated() && ::GetFocus() != drop_list_->Handle())
            ::SetFocus(drop_list_->Handle());
        drop_list_->Invalidate();
    } catch (...) {
        if (form) form->EnablePainting();
        throw;
    }
    if (form) form->EnablePainting();
}

void TTeComboBox::DropDown() {
    if (!drop_list_->Visible() && drop_window_) {
        drop_list_->SetParent(drop_window_);
        drop_list_->Show();
        if (drop_list_->HandleAllocated() && drop_window_->HandleAllocated())
            ::SetParent(drop_list_->Handle(), drop_window_->Handle());
        drop_window_->Realign();
        drop_list_->SetFont(Font());
        ActiveDropDown() = this;
        DropDownCloseEvent() = fw::TNotifyEvent(this, &TTeComboBox::CloseDropDown);
    }
    if (OnDropDown) OnDropDown(this);
}

void TTeComboBox::CloseUp() {
    if (drop_list_ && (drop_list_->Visible() || drop_list_->Parent() != this)) {
        drop_button_pressed_ = false;
        drop_list_->Hide();
        drop_list_->SetParent(this);
        if (drop_list_->HandleAllocated() && HandleAllocated())
            ::SetParent(drop_list_->Handle(), Handle());
        Invalidate();
        if (Enabled() && !Destroying() && CanFocus()) {
            // The owning form must not run its activation handler for this focus change.
            auto* form = dynamic_cast<fw::TCustomForm*>(Owner());
            fw::TNotifyEvent saved;
            if (form) {
                saved = form->OnActivate;
                form->OnActivate = {};
            }
            try {
                SetFocus();
            } catch (...) {
            }
            if (form) form->OnActivate = saved;
        }
        if (OnCloseUp) OnCloseUp(this);
    }
    ActiveDropDown() = nullptr;
    DropDownCloseEvent() = {};
}

void TTeComboBox::CloseDropDown(fw::TObject* /*Sender*/) {
    if (!drop_window_) return;
    CloseUp();
    drop_window_->Hide();
}

void TTeComboBox::ListClick(fw::TObject* /*Sender*/) {
    if (!drop_window_) return;
    if (OnListBoxClick) OnListBoxClick(this);
    const int index = drop_list_->ItemIndex();
    // A click in an empty list has no item to offer: nothing is asked or changed.
    if (index >= 0 && index < drop_list_->Items()->Count()) {
        bool allow = true;
        if (OnAllowChange) OnAllowChange(this, index, drop_list_->Items()->Get(index), allow);
        if (allow) SetItemIndex(index);
    }
    CloseUp();
    drop_window_->Close();
}

// ---- keys, mouse, completion ------------------------------------------------------------

void TTeComboBox::KeyDown(uint16_t& Key, fw::TShiftState Shift) {
    const uint16_t key = Key;
    TTeEdit::KeyDown(Key, Shift);
    if (Shift.Contains(fw::TShiftStateItem::ssAlt) && key == VK_DOWN) {
        OpenDropDown();
        return;
    }
    const bool list = combo_style_ == TTeComboStyle::kcsDropDownList;
    switch (key) {
    case VK_UP:
        SetItemIndex(item_index_ - 1);
        break;
    case VK_DOWN:
        SetItemIndex(item_index_ + 1);
        break;
    case VK_PRIOR:
        if (list) SetItemIndex(item_index_ - 3);
        break;
    case VK_NEXT:
        if (list) SetItemIndex(item_index_ + 3);
        break;
    case VK_END:
        if (list) SetItemIndex(Items()->Count() - 1);
        break;
    case VK_HOME:
        if (list) SetItemIndex(0);
        break;
    default:
        return;
    }
    if (item_index_ < 0) SetItemIndex(0);
}

void TTeComboBox::MouseDown(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) {
    TTeEdit::MouseDown(Button, Shift, X, Y);
    if (combo_style_ == TTeComboStyle::kcsDropDownList && Button != fw::TMouseButton::mbRight)
        OpenDropDown();
}

void TTeComboBox::Change() {
    TTeEdit::Change();
    if (!Loading() && auto_complete_ && !suppress_auto_complete_ && !completion_timer_->Enabled())
        completion_timer_->SetEnabled(true);
}

void TTeComboBox::AutoCompleteTick(fw::TObject* /*Sender*/) {
    completion_timer_->SetEnabled(false);
    const std::wstring t = WideText();
    if (t.size() < last_text_.size()) {
        last_text_ = t; // deleting never completes
        return;
    }
    if (t == last_text_ || suppress_auto_complete_) return;
    last_text_ = t;
    suppress_auto_complete_ = true;
    try {
        const std::string typed = AsciiLower(win::WideToGbk(t));
        fw::TStrings* items = Items();
        for (int i = 0; i < items->Count(); ++i) {
            const std::string item = items->Get(i);
            if (item.size() < typed.size() || AsciiLower(item.substr(0, typed.size())) != typed)
                continue;
            const std::wstring wide = win::GbkToWide(item);
            TTeEdit::SetText(wide);
            SetSelStart(int(t.size()));
            SetSelLength(int(wide.size()) - int(t.size()));
            break;
        }
    } catch (...) {
        suppress_auto_complete_ = false;
        throw;
    }
    suppress_auto_complete_ = false;
}

void TTeComboBox::WheelSteps(int Steps) {
    SetItemIndex(item_index_ - Steps);
    if (item_index_ < 0) SetItemIndex(0);
    if (combo_style_ == TTeComboStyle::kcsDropDownList) Change();
    Invalidate();
}

void TTeComboBox::SetButtonHot(bool Value) {
    if (Value == drop_button_hot_) return;
    drop_button_hot_ = Value;
    Invalidate();
}

TPoint TTeComboBox::NCPoint(const TMessage& M) {
    return ScreenToClient(TPoint{GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam)});
}

// ---- messages ---------------------------------------------------------------------------

void TTeComboBox::WMSetFocus(TMessage& M) {
    FW_INHERITED(M);
    if (combo_style_ == TTeComboStyle::kcsDropDownList) {
        HideTextCaret();
        Invalidate();
    }
}

void TTeComboBox::WMKillFocus(TMessage& M) {
    FW_INHERITED(M);
    if (combo_style_ == TTeComboStyle::kcsDropDownList) Invalidate();
}

void TTeComboBox::WMSetCursor(TMessage& M) {
    if (combo_style_ == TTeComboStyle::kcsDropDownList && LOWORD(M.LParam) == HTCLIENT) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
        M.Result = 0;
        return;
    }
    FW_INHERITED(M);
}

void TTeComboBox::WMContextMenu(TMessage& M) {
    if (combo_style_ == TTeComboStyle::kcsDropDownList && !PopupMenu()) return;
    FW_INHERITED(M);
}

void TTeComboBox::WMNCHitTest(TMessage& M) {
    // The frame and the button are non-client area: their clicks come as WM_NCLBUTTONDOWN.
    const TPoint p = NCPoint(M);
    const TRect t = GetTextRect();
    M.Result = PtIn(t, p) ? HTCLIENT : HTMINBUTTON;
}

void TTeComboBox::WMNCMouseMove(TMessage& M) {
    FW_INHERITED(M);
    SetButtonHot(PtIn(ButtonRect(), NCPoint(M)));
}

void TTeComboBox::WMNCLButtonDown(TMessage& M) {
    FW_INHERITED(M);
    if (!HasFocus() && CanFocus()) SetFocus();
    if (PtIn(ButtonRect(), NCPoint(M))) {
        drop_button_pressed_ = true;
        Invalidate();
        OpenDropDown();
    }
}

void TTeComboBox::WMMouseMove(TMessage& M) {
    FW_INHERITED(M);
    SetButtonHot(false);
}

void TTeComboBox::WMMouseWheel(TMessage& M) {
    WheelSteps(GET_WHEEL_DELTA_WPARAM(M.WParam) / 120);
    M.Result = 1;
}

void TTeComboBox::CMMouseWheel(TMessage& M) {
    const int lines = int(std::min<UINT>(WheelScrollLines(), 120));
    WheelSteps(GET_WHEEL_DELTA_WPARAM(M.WParam) / (120 / lines));
    M.Result = 1;
}

void TTeComboBox::CMMouseLeave(TMessage& M) {
    FW_INHERITED(M);
    SetButtonHot(false);
}

} // namespace dvr::skin
