#include "playerapp/U_PlayerControls.h"

#include <commctrl.h>

#include "common/win/handles.h"

namespace playerqz {

using namespace dvr::fw;

namespace {

void InitBars() {
    static const bool done = [] {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_UPDOWN_CLASS};
        return ::InitCommonControlsEx(&icc) != FALSE;
    }();
    (void)done;
}

} // namespace

// ---- panel

TPlayerPanel::TPlayerPanel(TComponent* AOwner) : TCustomControl(AOwner) {
    control_style_.Include(TControlStyleItem::csAcceptsControls);
    control_style_.Include(TControlStyleItem::csOpaque);
    width_ = 185;
    height_ = 41;
    parent_color_ = false;
    color_ = clBtnFace;
}

void TPlayerPanel::SetBevelLowered(bool Value) {
    if (Value == bevel_lowered_) return;
    bevel_lowered_ = Value;
    Invalidate();
}

void TPlayerPanel::Paint() {
    RECT r{0, 0, width_, height_};
    dvr::win::Brush b(::CreateSolidBrush(ColorToRGB(color_)));
    HDC dc = Canvas()->Handle();
    ::FillRect(dc, &r, b.get());
    if (bevel_lowered_) ::DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
}

void TPlayerPanel::WMHScroll(TMessage& M) {
    FW_INHERITED(M);
    OnHScroll(this, M);
}

// ---- frame line

TFrameLine::TFrameLine(TComponent* AOwner) : TGraphicControl(AOwner) {
    parent_color_ = false;
    color_ = clAqua;
    width_ = 1;
    height_ = 1;
}

void TFrameLine::Paint() {
    RECT r{0, 0, width_, height_};
    dvr::win::Brush b(::CreateSolidBrush(ColorToRGB(color_)));
    ::FillRect(Canvas()->Handle(), &r, b.get());
}

// ---- tool bar

TPlayerToolBar::TPlayerToolBar(TComponent* AOwner) : TCustomControl(AOwner) {
    control_style_.Include(TControlStyleItem::csAcceptsControls);
    parent_color_ = false;
    color_ = clBtnFace;
}

void TPlayerToolBar::Paint() {
    RECT r{0, 0, width_, height_};
    ::FillRect(Canvas()->Handle(), &r, ::GetSysColorBrush(COLOR_BTNFACE));
}

// ---- button

TPlayerButton::TPlayerButton(TComponent* AOwner) : TWinControl(AOwner) {
    width_ = 25;
    height_ = 25;
    control_style_.Exclude(TControlStyleItem::csDoubleClicks);
    // The button's own BN_CLICKED is the click; the mouse-up rule would make a second.
    control_style_.Exclude(TControlStyleItem::csClickEvents);
}

void TPlayerButton::SetToggles(bool Value) {
    if (Value == toggles_) return;
    toggles_ = Value;
    if (HandleAllocated()) RecreateWnd();
}

void TPlayerButton::SetCheckBox(bool Value) {
    if (Value == check_box_) return;
    check_box_ = Value;
    if (HandleAllocated()) RecreateWnd();
}

void TPlayerButton::SetDown(bool Value) {
    down_ = Value;
    if (HandleAllocated()) ::SendMessageW(handle_, BM_SETCHECK, Value ? BST_CHECKED : 0, 0);
}

void TPlayerButton::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    Params.SubClassOf = L"BUTTON";
    if (check_box_)
        Params.Style |= BS_CHECKBOX;
    else if (toggles_)
        Params.Style |= BS_CHECKBOX | BS_PUSHLIKE;
    else
        Params.Style |= BS_PUSHBUTTON;
}

void TPlayerButton::CreateHandle() {
    TWinControl::CreateHandle();
    ::SendMessageW(handle_, WM_SETFONT, WPARAM(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    if (down_) ::SendMessageW(handle_, BM_SETCHECK, BST_CHECKED, 0);
}

void TPlayerButton::CNCommand(TMessage& M) {
    if (HIWORD(M.WParam) == BN_CLICKED) Click();
}

// ---- spin edit

TPlayerSpinEdit::TPlayerSpinEdit(TComponent* AOwner) : TWinControl(AOwner) {
    width_ = 39;
    height_ = 21;
    control_style_.Include(TControlStyleItem::csAcceptsControls);
}

void TPlayerSpinEdit::SetRange(int Min, int Max) {
    min_ = Min;
    max_ = Max;
    if (updown_) ::SendMessageW(updown_, UDM_SETRANGE32, Min, Max);
}

void TPlayerSpinEdit::SetValue(int Value) {
    if (Value < min_) Value = min_;
    if (Value > max_) Value = max_;
    if (Value == value_) return;
    value_ = Value;
    if (updown_) ::SendMessageW(updown_, UDM_SETPOS32, 0, Value);
    ShowValue();
    OnChange(this);
}

void TPlayerSpinEdit::ShowValue() {
    if (edit_) ::SetWindowTextW(edit_, std::to_wstring(value_).c_str());
}

void TPlayerSpinEdit::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    Params.Style |= WS_CLIPCHILDREN;
}

void TPlayerSpinEdit::CreateHandle() {
    InitBars();
    TWinControl::CreateHandle();
    const int arrows = 15;
    edit_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                              WS_CHILD | WS_VISIBLE | ES_READONLY | ES_NUMBER | ES_RIGHT, 0, 0,
                              width_ - arrows, height_, handle_, nullptr, nullptr, nullptr);
    ::SendMessageW(edit_, WM_SETFONT, WPARAM(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    ::SendMessageW(edit_, EM_LIMITTEXT, 3, 0);
    updown_ = ::CreateWindowExW(0, UPDOWN_CLASSW, L"", WS_CHILD | WS_VISIBLE, width_ - arrows, 0,
                                arrows, height_, handle_, nullptr, nullptr, nullptr);
    ::SendMessageW(updown_, UDM_SETRANGE32, min_, max_);
    ::SendMessageW(updown_, UDM_SETPOS32, 0, value_);
    ShowValue();
}

void TPlayerSpinEdit::WMVScroll(TMessage& M) {
    if (HWND(M.LParam) != updown_ || LOWORD(M.WParam) != SB_THUMBPOSITION) return;
    SetValue(int(::SendMessageW(updown_, UDM_GETPOS32, 0, 0)));
}

// ---- status bar

TPlayerStatusBar::TPlayerStatusBar(TComponent* AOwner) : TWinControl(AOwner) {
    height_ = 22;
    align_ = TAlign::alBottom;
}

void TPlayerStatusBar::CreateParams(TCreateParams& Params) {
    InitBars();
    TWinControl::CreateParams(Params);
    Params.SubClassOf = STATUSCLASSNAMEW;
    // The frame places the bar; the control must not move itself.
    Params.Style |= CCS_NORESIZE | CCS_NOPARENTALIGN;
}

void TPlayerStatusBar::CreateHandle() {
    TWinControl::CreateHandle();
    ApplyParts();
}

int TPlayerStatusBar::PanelLeft(int i) const {
    int left = 0;
    for (int k = 0; k < i; ++k)
        left += widths_[k];
    return left;
}

void TPlayerStatusBar::SetPanelWidths(const std::vector<int>& widths) {
    widths_ = widths;
    texts_.resize(widths.size());
    ApplyParts();
}

void TPlayerStatusBar::SetPanelWidth(int i, int width) {
    if (i < 0 || i >= PanelCount()) return;
    widths_[i] = width;
    ApplyParts();
}

void TPlayerStatusBar::SetPanelText(int i, const std::wstring& text) {
    if (i < 0 || i >= PanelCount()) return;
    texts_[i] = text;
    if (HandleAllocated()) ::SendMessageW(handle_, SB_SETTEXTW, i, LPARAM(texts_[i].c_str()));
}

void TPlayerStatusBar::ApplyParts() {
    if (!HandleAllocated() || widths_.empty()) return;
    std::vector<int> rights(widths_.size());
    int x = 0;
    for (size_t i = 0; i < widths_.size(); ++i)
        rights[i] = x += widths_[i];
    ::SendMessageW(handle_, SB_SETPARTS, rights.size(), LPARAM(rights.data()));
    for (size_t i = 0; i < texts_.size(); ++i)
        ::SendMessageW(handle_, SB_SETTEXTW, i, LPARAM(texts_[i].c_str()));
}

} // namespace playerqz
