#include "framework/ui/controls.h"

#include "common/win/textconv.h"
#include "framework/ui/forms.h"
#include "framework/ui/menus.h"

#include <windowsx.h>

#include <algorithm>
#include <array>
#include <utility>

namespace dvr::fw {

using win::GbkToWide;
using win::WideToGbk;

namespace {

const wchar_t kControlProp[] = L"DvrFwControl";

// The control whose window CreateWindowEx is making on this thread.
thread_local TWinControl* t_creating = nullptr;

HINSTANCE ModuleInstance() {
    return ::GetModuleHandleW(nullptr);
}

void HandleCaught(TObject* Sender) {
    if (Application) Application->HandleException(Sender);
}

std::vector<TControlCanvas*>& CanvasList() {
    static std::vector<TControlCanvas*> list;
    return list;
}

} // namespace

const TTypeInfo* AlignType() {
    static const TTypeInfo t = TTypeInfo::Enumeration(
        "TAlign", {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient", "alCustom"});
    return &t;
}

TShiftState KeysToShiftState(uint32_t Keys) {
    TShiftState s;
    if (Keys & MK_SHIFT) s.Include(TShiftStateItem::ssShift);
    if (Keys & MK_CONTROL) s.Include(TShiftStateItem::ssCtrl);
    if (Keys & MK_LBUTTON) s.Include(TShiftStateItem::ssLeft);
    if (Keys & MK_RBUTTON) s.Include(TShiftStateItem::ssRight);
    if (Keys & MK_MBUTTON) s.Include(TShiftStateItem::ssMiddle);
    if (::GetKeyState(VK_MENU) < 0) s.Include(TShiftStateItem::ssAlt);
    return s;
}

TShiftState KeyDataToShiftState(intptr_t KeyData) {
    TShiftState s;
    if (::GetKeyState(VK_SHIFT) < 0) s.Include(TShiftStateItem::ssShift);
    if (::GetKeyState(VK_CONTROL) < 0) s.Include(TShiftStateItem::ssCtrl);
    if (KeyData & 0x20000000) s.Include(TShiftStateItem::ssAlt);
    return s;
}

// ---- window procedures ------------------------------------------------------------------

LRESULT CALLBACK ControlWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
    auto* control = static_cast<TWinControl*>(::GetPropW(Wnd, kControlProp));
    if (!control) return ::DefWindowProcW(Wnd, Msg, WParam, LParam);
    TMessage m{Msg, WParam, LParam, 0};
    try {
        control->WindowProc(m);
    } catch (...) {
        HandleCaught(control);
    }
    return m.Result;
}

// The first message of a new window: binds it to the control being made.
LRESULT CALLBACK InitWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
    TWinControl* control = t_creating;
    if (!control) return ::DefWindowProcW(Wnd, Msg, WParam, LParam);
    t_creating = nullptr;
    control->handle_ = Wnd;
    ::SetPropW(Wnd, kControlProp, control);
    ::SetWindowLongPtrW(Wnd, GWLP_WNDPROC, LONG_PTR(&ControlWndProc));
    return ControlWndProc(Wnd, Msg, WParam, LParam);
}

TWinControl* TWinControl::FindControl(HWND Wnd) {
    if (!Wnd) return nullptr;
    return static_cast<TWinControl*>(::GetPropW(Wnd, kControlProp));
}

namespace {

LRESULT CALLBACK UtilWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
    auto* method = reinterpret_cast<TWndMethod*>(::GetWindowLongPtrW(Wnd, GWLP_USERDATA));
    if (!method) return ::DefWindowProcW(Wnd, Msg, WParam, LParam);
    TMessage m{Msg, WParam, LParam, 0};
    try {
        (*method)(m);
    } catch (...) {
        HandleCaught(nullptr);
    }
    return m.Result;
}

const wchar_t kUtilClass[] = L"DvrFwUtilWindow";

constexpr int kInstanceSlots = 512;

struct InstanceSlots {
    std::array<TWndMethod, kInstanceSlots> methods;
    std::array<bool, kInstanceSlots> used{};
};
InstanceSlots& Slots() {
    static InstanceSlots slots;
    return slots;
}

LRESULT CallSlot(int I, HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
    TWndMethod method = Slots().methods[size_t(I)];
    if (!method) return ::DefWindowProcW(Wnd, Msg, WParam, LParam);
    TMessage m{Msg, WParam, LParam, 0};
    try {
        method(m);
    } catch (...) {
        HandleCaught(nullptr);
    }
    return m.Result;
}

template <int I> LRESULT CALLBACK SlotProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
    return CallSlot(I, Wnd, Msg, WParam, LParam);
}
template <int... I>
constexpr std::array<WNDPROC, sizeof...(I)> MakeSlotProcs(std::integer_sequence<int, I...>) {
    return {&SlotProc<I>...};
}
const std::array<WNDPROC, kInstanceSlots>& SlotProcs() {
    static constexpr auto procs = MakeSlotProcs(std::make_integer_sequence<int, kInstanceSlots>());
    return procs;
}

} // namespace

HWND AllocateHWnd(TWndMethod Method) {
    WNDCLASSW wc{};
    if (!::GetClassInfoW(ModuleInstance(), kUtilClass, &wc)) {
        wc = WNDCLASSW{};
        wc.lpfnWndProc = &UtilWndProc;
        wc.hInstance = ModuleInstance();
        wc.lpszClassName = kUtilClass;
        ::RegisterClassW(&wc);
    }
    HWND wnd = ::CreateWindowExW(WS_EX_TOOLWINDOW, kUtilClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                                 nullptr, ModuleInstance(), nullptr);
    if (!wnd) throw EOutOfResources("Error creating window");
    if (Method) ::SetWindowLongPtrW(wnd, GWLP_USERDATA, LONG_PTR(new TWndMethod(Method)));
    return wnd;
}

void DeallocateHWnd(HWND Wnd) {
    if (!Wnd) return;
    auto* method = reinterpret_cast<TWndMethod*>(::GetWindowLongPtrW(Wnd, GWLP_USERDATA));
    ::SetWindowLongPtrW(Wnd, GWLP_USERDATA, 0);
    ::DestroyWindow(Wnd);
    delete method;
}

WNDPROC MakeObjectInstance(TWndMethod Method) {
    InstanceSlots& s = Slots();
    for (int i = 0; i < kInstanceSlots; ++i)
        if (!s.used[size_t(i)]) {
            s.used[size_t(i)] = true;
            s.methods[size_t(i)] = Method;
            return SlotProcs()[size_t(i)];
        }
    throw EOutOfResources("No window procedure instances left");
}

void FreeObjectInstance(WNDPROC Instance) {
    InstanceSlots& s = Slots();
    const auto& procs = SlotProcs();
    for (int i = 0; i < kInstanceSlots; ++i)
        if (procs[size_t(i)] == Instance) {
            s.used[size_t(i)] = false;
            s.methods[size_t(i)] = nullptr;
        }
}

HCURSOR CursorHandle(TCursor Cursor) {
    const wchar_t* id = IDC_ARROW;
    switch (Cursor) {
    case crNone:
        return nullptr;
    case crCross:
        id = IDC_CROSS;
        break;
    case crIBeam:
        id = IDC_IBEAM;
        break;
    case crSizeNESW:
        id = IDC_SIZENESW;
        break;
    case crSizeNS:
        id = IDC_SIZENS;
        break;
    case crSizeNWSE:
        id = IDC_SIZENWSE;
        break;
    case crSizeWE:
        id = IDC_SIZEWE;
        break;
    case crUpArrow:
        id = IDC_UPARROW;
        break;
    case crHourGlass:
        id = IDC_WAIT;
        break;
    case crNo:
        id = IDC_NO;
        break;
    case crAppStart:
        id = IDC_APPSTARTING;
        break;
    case crHandPoint:
        id = IDC_HAND;
        break;
    case crSizeAll:
        id = IDC_SIZEALL;
        break;
    default:
        break;
    }
    return ::LoadCursorW(nullptr, id);
}

// ---- TSizeConstraints -------------------------------------------------------------------

void TSizeConstraints::Publish(TPublisher<TSizeConstraints>& p) {
    p.Property("MaxHeight", nullptr, &TSizeConstraints::GetMaxHeight,
               &TSizeConstraints::SetMaxHeight)
        .Default(0);
    p.Property("MaxWidth", nullptr, &TSizeConstraints::GetMaxWidth, &TSizeConstraints::SetMaxWidth)
        .Default(0);
    p.Property("MinHeight", nullptr, &TSizeConstraints::GetMinHeight,
               &TSizeConstraints::SetMinHeight)
        .Default(0);
    p.Property("MinWidth", nullptr, &TSizeConstraints::GetMinWidth, &TSizeConstraints::SetMinWidth)
        .Default(0);
}

void TSizeConstraints::Assign(const TPersistent* Source) {
    if (auto* c = dynamic_cast<const TSizeConstraints*>(Source)) {
        MaxHeight = c->MaxHeight;
        MaxWidth = c->MaxWidth;
        MinHeight = c->MinHeight;
        MinWidth = c->MinWidth;
        OnChange(this);
        return;
    }
    TPersistent::Assign(Source);
}

void TSizeConstraints::Set(int32_t& field, int32_t v) {
    if (v < 0 || v == field) return;
    field = v;
    OnChange(this);
}

// ---- TControlCanvas ---------------------------------------------------------------------

TControlCanvas::~TControlCanvas() {
    FreeHandle();
}

void TControlCanvas::CreateHandle() {
    if (!control_) return;
    TWinControl* win = dynamic_cast<TWinControl*>(control_);
    HWND wnd = nullptr;
    if (win) {
        wnd = win->Handle();
    } else if (control_->Parent()) {
        wnd = control_->Parent()->Handle();
    }
    if (!wnd) return;
    HDC dc = ::GetDCEx(wnd, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS);
    if (!dc) throw EOutOfResources("Out of system resources");
    if (!win) {
        // The parent's DC moved and clipped to the graphic control.
        ::SetViewportOrgEx(dc, control_->Left(), control_->Top(), nullptr);
        ::IntersectClipRect(dc, 0, 0, control_->Width(), control_->Height());
    }
    own_dc_ = dc;
    own_wnd_ = wnd;
    SetHandle(dc);
    CanvasList().push_back(this);
}

void TControlCanvas::FreeHandle() {
    if (!own_dc_) return;
    HDC dc = own_dc_;
    own_dc_ = nullptr;
    // Only the handle it has: asking for one would make a new DC, which fails (and throws)
    // once the control's window is gone.
    if (HandleAllocated() && Handle() == dc) DetachHandle();
    ::ReleaseDC(own_wnd_, dc);
    own_wnd_ = nullptr;
    auto& list = CanvasList();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void FreeDeviceContexts() {
    auto list = CanvasList();
    for (TControlCanvas* c : list)
        if (c->LockCount() == 0) c->FreeHandle();
}

// ---- TControl ---------------------------------------------------------------------------

void TControl::Publish(TPublisher<TControl>& p) {
    p.Property("Left", nullptr, &TControl::Left, &TControl::SetLeft).NoDefault();
    p.Property("Top", nullptr, &TControl::Top, &TControl::SetTop).NoDefault();
    p.Property("Width", nullptr, &TControl::Width, &TControl::SetWidth).NoDefault();
    p.Property("Height", nullptr, &TControl::Height, &TControl::SetHeight).NoDefault();
    p.Property("Align", AlignType(), &TControl::Align, &TControl::SetAlign).Default(0);
    p.Property("Color", ColorType(), &TControl::Color, &TControl::SetColor)
        .NoDefault()
        .Stored(std::function<bool(const TObject*)>(
            [](const TObject* o) { return !static_cast<const TControl*>(o)->ParentColor(); }));
    p.Object("Constraints", &TControl::Constraints);
    p.Property("Enabled", nullptr, &TControl::Enabled, &TControl::SetEnabled).Default(1);
    p.Object("Font", &TControl::Font)
        .Stored(std::function<bool(const TObject*)>(
            [](const TObject* o) { return !static_cast<const TControl*>(o)->ParentFont(); }));
    p.Property("ParentColor", nullptr, &TControl::ParentColor, &TControl::SetParentColor)
        .Default(1);
    p.Property("ParentFont", nullptr, &TControl::ParentFont, &TControl::SetParentFont).Default(1);
    p.Property("Hint", nullptr, &TControl::Hint, &TControl::SetHint);
    p.Property("ShowHint", nullptr, &TControl::ShowHint, &TControl::SetShowHint).Default(0);
    p.Property("Visible", nullptr, &TControl::Visible, &TControl::SetVisible).Default(1);
}

TControl::TControl(TComponent* AOwner) : TComponent(AOwner) {
    WindowProc = TWndMethod(this, &TControl::WndProc);
    control_style_ = {TControlStyleItem::csCaptureMouse, TControlStyleItem::csClickEvents,
                      TControlStyleItem::csSetCaption, TControlStyleItem::csDoubleClicks};
    font_.OnChange = TNotifyEvent(this, &TControl::FontChanged);
    constraints_.OnChange = TNotifyEvent(this, &TControl::ConstraintsChanged);
}

TControl::~TControl() {
    if (Application) Application->ControlDestroying(this);
    if (parent_) parent_->RemoveControl(this);
}

void TControl::SetParent(TWinControl* AParent) {
    if (AParent == parent_) return;
    if (AParent == this) throw EInvalidOperation("A control cannot have itself as its parent");
    if (parent_) parent_->RemoveControl(this);
    if (AParent) AParent->InsertControl(this);
}

void TControl::SetParentComponent(TComponent* Value) {
    if (auto* w = dynamic_cast<TWinControl*>(Value)) SetParent(w);
}

void TControl::ConstrainSize(int& AWidth, int& AHeight) const {
    const auto& c = constraints_;
    if (c.MaxWidth > 0 && AWidth > c.MaxWidth) AWidth = c.MaxWidth;
    if (c.MinWidth > 0 && AWidth < c.MinWidth) AWidth = c.MinWidth;
    if (c.MaxHeight > 0 && AHeight > c.MaxHeight) AHeight = c.MaxHeight;
    if (c.MinHeight > 0 && AHeight < c.MinHeight) AHeight = c.MinHeight;
    if (AWidth < 0) AWidth = 0;
    if (AHeight < 0) AHeight = 0;
}

void TControl::ConstraintsChanged(TObject*) {
    SetBounds(left_, top_, width_, height_);
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    ConstrainSize(AWidth, AHeight);
    if (ALeft == left_ && ATop == top_ && AWidth == width_ && AHeight == height_) return;
    bool resized = AWidth != width_ || AHeight != height_;
    // The area the control leaves shows the parent's background again, even when the
    // control paints itself opaque (a label given a shorter text).
    if (parent_ && visible_ && parent_->HandleAllocated()) {
        RECT old = ToRECT(BoundsRect());
        ::InvalidateRect(parent_->WindowHandle(), &old, TRUE);
    }
    left_ = ALeft;
    top_ = ATop;
    width_ = AWidth;
    height_ = AHeight;
    BoundsChanged();
    if (resized && !Loading()) Resize();
}

void TControl::BoundsChanged() {
    if (!parent_) return;
    if (visible_) parent_->InvalidateRectOf(this);
    if (align_ != TAlign::alNone) parent_->Realign();
}

TRect TControl::GetClientRect() {
    return TRect{0, 0, width_, height_};
}

void TControl::SetClientSize(int AWidth, int AHeight) {
    TRect r = ClientRect();
    SetBounds(left_, top_, width_ - r.Width() + AWidth, height_ - r.Height() + AHeight);
}

TPoint TControl::ClientOrigin() {
    if (!parent_) throw EInvalidOperation("Control '" + Name() + "' has no parent window");
    TPoint p = parent_->ClientOrigin();
    return TPoint{p.X + left_, p.Y + top_};
}

TPoint TControl::ClientToScreen(TPoint P) {
    TPoint o = ClientOrigin();
    return TPoint{P.X + o.X, P.Y + o.Y};
}
TPoint TControl::ScreenToClient(TPoint P) {
    TPoint o = ClientOrigin();
    return TPoint{P.X - o.X, P.Y - o.Y};
}

void TControl::SetAlign(TAlign Value) {
    if (Value == align_) return;
    align_ = Value;
    if (parent_) parent_->Realign();
}

void TControl::SetVisible(bool Value) {
    if (Value == visible_) return;
    visible_ = Value;
    Perform(CM_VISIBLECHANGED, Value ? 1 : 0, 0);
    if (parent_ && align_ != TAlign::alNone) parent_->Realign();
}

void TControl::Show() {
    if (parent_) parent_->ShowControl(this);
    SetVisible(true);
}
void TControl::Hide() {
    SetVisible(false);
}

bool TControl::Showing() const {
    return visible_ && parent_ && parent_->Showing();
}

void TControl::SetEnabled(bool Value) {
    if (Value == enabled_) return;
    enabled_ = Value;
    Perform(CM_ENABLEDCHANGED, 0, 0);
}

void TControl::SetColor(TColor Value) {
    if (Value == color_) {
        if (!applying_parent_) parent_color_ = false;
        return;
    }
    color_ = Value;
    if (!applying_parent_) parent_color_ = false;
    Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::SetParentFont(bool Value) {
    if (Value == parent_font_) return;
    parent_font_ = Value;
    if (Value) ApplyParentFont();
}
void TControl::SetParentColor(bool Value) {
    if (Value == parent_color_) return;
    parent_color_ = Value;
    if (Value) ApplyParentColor();
}

void TControl::ApplyParentFont() {
    if (!parent_ || !parent_font_) return;
    applying_parent_ = true;
    try {
        font_.Assign(parent_->Font());
    } catch (...) {
        applying_parent_ = false;
        throw;
    }
    applying_parent_ = false;
}
void TControl::ApplyParentColor() {
    if (!parent_ || !parent_color_) return;
    applying_parent_ = true;
    try {
        SetColor(parent_->Color());
    } catch (...) {
        applying_parent_ = false;
        throw;
    }
    applying_parent_ = false;
}

void TControl::FontChanged(TObject*) {
    if (!applying_parent_) parent_font_ = false;
    Perform(CM_FONTCHANGED, 0, 0);
}

std::string TControl::GetText() const {
    return text_;
}

void TControl::SetText(const std::string& Value) {
    if (Value == text_) return;
    text_ = Value;
    TextChanged();
}

void TControl::TextChanged() {
    Perform(CM_TEXTCHANGED, 0, 0);
}

void TControl::SetPopupMenu(TPopupMenu* Value) {
    if (popup_menu_ == Value) return;
    if (popup_menu_) popup_menu_->RemoveFreeNotification(this);
    popup_menu_ = Value;
    if (Value) Value->FreeNotification(this);
}

void TControl::SetCursor(TCursor Value) {
    if (Value == cursor_) return;
    cursor_ = Value;
    Perform(CM_CURSORCHANGED, 0, 0);
}

bool TControl::MouseCapture() const {
    return Application && Application->CaptureControl() == this;
}

void TControl::SetMouseCapture(bool Value) {
    if (!Application || MouseCapture() == Value) return;
    Application->SetCaptureControl(Value ? this : nullptr);
}

intptr_t TControl::Perform(uint32_t Msg, uintptr_t WParam, intptr_t LParam) {
    TMessage m{Msg, WParam, LParam, 0};
    WindowProc(m);
    return m.Result;
}

void TControl::WndProc(TMessage& Message) {
    if (Message.Msg == WM_MOUSEMOVE && Application) Application->SetMouseControl(this);
    Dispatch(Message);
}

void TControl::Invalidate() {
    if (parent_) parent_->InvalidateRectOf(this);
}

void TControl::Update() {
    if (parent_) parent_->Update();
}

void TControl::Repaint() {
    if (parent_ && parent_->HandleAllocated() && Visible()) {
        Invalidate();
        parent_->Update();
    }
}

void TControl::BringToFront() {
    if (!parent_) return;
    auto& v = parent_->controls_;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
    v.push_back(this);
    Invalidate();
}

void TControl::SendToBack() {
    if (!parent_) return;
    auto& v = parent_->controls_;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
    v.insert(v.begin(), this);
    Invalidate();
}

void TControl::Click() {
    OnClick(this);
}
void TControl::DblClick() {
    OnDblClick(this);
}

void TControl::AdjustSize() {
    int w = width_, h = height_;
    if (CanAutoSize(w, h)) SetBounds(left_, top_, w, h);
}

void TControl::Loaded() {
    TComponent::Loaded();
    if (parent_ && parent_font_) ApplyParentFont();
    if (parent_ && parent_color_) ApplyParentColor();
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    OnMouseDown(this, Button, Shift, X, Y);
}
void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    OnMouseUp(this, Button, Shift, X, Y);
}
void TControl::MouseMove(TShiftState Shift, int X, int Y) {
    OnMouseMove(this, Shift, X, Y);
}
void TControl::Resize() {
    OnResize(this);
}

bool TControl::HitTest(int X, int Y) const {
    return X >= 0 && Y >= 0 && X < width_ && Y < height_;
}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == TOperation::opRemove && AComponent == popup_menu_) popup_menu_ = nullptr;
}

void TControl::SendCancelMode(TControl* Sender) {
    if (TCustomForm* f = GetParentForm(this)) f->SendCancelMode(Sender);
}

void TControl::DoMouseDown(TMessage& M, TMouseButton Button, TShiftState Shift) {
    MouseDown(Button, KeysToShiftState(uint32_t(M.WParam)) + Shift, GET_X_LPARAM(M.LParam),
              GET_Y_LPARAM(M.LParam));
}

void TControl::DoMouseUp(TMessage& M, TMouseButton Button) {
    MouseUp(Button, KeysToShiftState(uint32_t(M.WParam)), GET_X_LPARAM(M.LParam),
            GET_Y_LPARAM(M.LParam));
}

void TControl::WMLButtonDown(TMessage& M) {
    SendCancelMode(this);
    FW_INHERITED(M);
    if (control_style_.Contains(TControlStyleItem::csCaptureMouse)) SetMouseCapture(true);
    if (control_style_.Contains(TControlStyleItem::csClickEvents))
        control_state_.Include(TControlStateItem::csClicked);
    control_state_.Include(TControlStateItem::csLButtonDown);
    DoMouseDown(M, TMouseButton::mbLeft, {});
}

void TControl::WMLButtonDblClk(TMessage& M) {
    SendCancelMode(this);
    FW_INHERITED(M);
    if (control_style_.Contains(TControlStyleItem::csCaptureMouse)) SetMouseCapture(true);
    if (control_style_.Contains(TControlStyleItem::csClickEvents)) DblClick();
    DoMouseDown(M, TMouseButton::mbLeft, {TShiftStateItem::ssDouble});
}

void TControl::WMLButtonUp(TMessage& M) {
    FW_INHERITED(M);
    bool clicked = control_state_.Contains(TControlStateItem::csClicked);
    control_state_.Exclude(TControlStateItem::csClicked).Exclude(TControlStateItem::csLButtonDown);
    if (control_style_.Contains(TControlStyleItem::csCaptureMouse)) SetMouseCapture(false);
    if (clicked) {
        int x = GET_X_LPARAM(M.LParam), y = GET_Y_LPARAM(M.LParam);
        TRect r = ClientRect();
        if (x >= r.Left && y >= r.Top && x < r.Right && y < r.Bottom) Click();
    }
    DoMouseUp(M, TMouseButton::mbLeft);
}

void TControl::WMRButtonDown(TMessage& M) {
    FW_INHERITED(M);
    DoMouseDown(M, TMouseButton::mbRight, {});
}
void TControl::WMRButtonUp(TMessage& M) {
    FW_INHERITED(M);
    DoMouseUp(M, TMouseButton::mbRight);
}
void TControl::WMMButtonDown(TMessage& M) {
    FW_INHERITED(M);
    DoMouseDown(M, TMouseButton::mbMiddle, {});
}
void TControl::WMMButtonUp(TMessage& M) {
    FW_INHERITED(M);
    DoMouseUp(M, TMouseButton::mbMiddle);
}
void TControl::WMMouseMove(TMessage& M) {
    FW_INHERITED(M);
    MouseMove(KeysToShiftState(uint32_t(M.WParam)), GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam));
}

void TControl::WMContextMenu(TMessage& M) {
    if (M.Result != 0) return;
    if (popup_menu_ && popup_menu_->AutoPopup()) {
        TPoint pt{GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam)};
        if (pt.X == -1 && pt.Y == -1) pt = ClientToScreen(TPoint{0, 0});
        popup_menu_->SetPopupComponent(this);
        popup_menu_->Popup(pt.X, pt.Y);
        M.Result = 1;
        return;
    }
    FW_INHERITED(M);
}

void TControl::CMEnabledChanged(TMessage&) {
    Invalidate();
}
void TControl::CMVisibleChanged(TMessage&) {
    if (parent_) parent_->InvalidateRectOf(this);
}
void TControl::CMFontChanged(TMessage&) {
    Invalidate();
}
void TControl::CMColorChanged(TMessage&) {
    Invalidate();
}
void TControl::CMParentFontChanged(TMessage&) {
    ApplyParentFont();
}
void TControl::CMParentColorChanged(TMessage&) {
    ApplyParentColor();
}
void TControl::CMHitTest(TMessage& M) {
    M.Result = HitTest(GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam)) ? HTCLIENT : HTNOWHERE;
}

// ---- TWinControl ------------------------------------------------------------------------

static const TTypeInfo* TabStopDummy() {
    return nullptr;
}

void TWinControl::Publish(TPublisher<TWinControl>& p) {
    (void)TabStopDummy;
    p.Property("TabStop", nullptr, &TWinControl::TabStop, &TWinControl::SetTabStop).Default(0);
}

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {
    brush_.SetColor(color_);
}

TWinControl::~TWinControl() {
    MarkDestroying();
    if (handle_) DestroyHandle();
    // Children go with their parent.
    while (!controls_.empty()) {
        TControl* c = controls_.back();
        RemoveControl(c);
        c->Free();
    }
}

TControl* TWinControl::Controls(int Index) const {
    if (Index < 0 || Index >= ControlCount()) throw EListError("Control index out of bounds");
    return controls_[size_t(Index)];
}

void TWinControl::InsertControl(TControl* AControl) {
    AControl->parent_ = this;
    controls_.push_back(AControl);
    if (AControl->parent_font_) AControl->ApplyParentFont();
    if (AControl->parent_color_) AControl->ApplyParentColor();
    if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
        if (handle_ && !w->handle_ && !w->Loading()) w->HandleNeeded();
    } else if (AControl->visible_) {
        InvalidateRectOf(AControl);
    }
    if (!Loading()) Realign();
    Perform(CM_CONTROLLISTCHANGE, uintptr_t(AControl), 1);
}

void TWinControl::RemoveControl(TControl* AControl) {
    auto it = std::find(controls_.begin(), controls_.end(), AControl);
    if (it == controls_.end()) return;
    if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
        if (w->handle_) w->DestroyHandle();
    } else if (AControl->visible_) {
        InvalidateRectOf(AControl);
    }
    controls_.erase(std::find(controls_.begin(), controls_.end(), AControl));
    AControl->parent_ = nullptr;
    if (!Destroying()) {
        Realign();
        Perform(CM_CONTROLLISTCHANGE, uintptr_t(AControl), 0);
    }
}

bool TWinControl::ContainsControl(const TControl* Control) const {
    for (const TControl* c = Control; c; c = c->Parent())
        if (c == this) return true;
    return false;
}

TControl* TWinControl::ControlAtPos(TPoint Pos, bool AllowDisabled, bool AllowWinControls) {
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        TControl* c = *it;
        bool win = dynamic_cast<TWinControl*>(c) != nullptr;
        if (win && !AllowWinControls) continue;
        if (!c->Visible() || (!c->Enabled() && !AllowDisabled)) continue;
        int x = Pos.X - c->Left(), y = Pos.Y - c->Top();
        if (x < 0 || y < 0 || x >= c->Width() || y >= c->Height()) continue;
        if (c->Perform(CM_HITTEST, 0, MAKELPARAM(x, y)) != 0) return c;
    }
    return nullptr;
}

void TWinControl::Broadcast(TMessage& Message) {
    for (size_t i = 0; i < controls_.size(); ++i) {
        controls_[i]->WindowProc(Message);
        if (Message.Result != 0) return;
    }
}

void TWinControl::NotifyControls(uint32_t Msg) {
    TMessage m{Msg, 0, 0, 0};
    std::vector<TControl*> copy = controls_;
    for (TControl* c : copy)
        c->WindowProc(m);
}

void TWinControl::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
    for (TControl* c : controls_)
        if (c->Owner() == Root) Proc(c);
}

void TWinControl::SetParentWindow(HWND Value) {
    if (parent_ || parent_window_ == Value) return;
    if (handle_) DestroyHandle();
    parent_window_ = Value;
}

HWND TWinControl::Handle() {
    HandleNeeded();
    return handle_;
}

void TWinControl::HandleNeeded() {
    if (handle_) return;
    if (parent_) parent_->HandleNeeded();
    if (!handle_) CreateWnd();
}

void TWinControl::CreateParams(TCreateParams& Params) {
    Params = TCreateParams{};
    Params.Caption = GbkToWide(text_);
    Params.Style = WS_CHILD | WS_CLIPSIBLINGS;
    if (control_style_.Contains(TControlStyleItem::csAcceptsControls))
        Params.Style |= WS_CLIPCHILDREN;
    if (!enabled_) Params.Style |= WS_DISABLED;
    if (tab_stop_) Params.Style |= WS_TABSTOP;
    if (visible_) Params.Style |= WS_VISIBLE;
    Params.X = left_;
    Params.Y = top_;
    Params.Width = width_;
    Params.Height = height_;
    Params.WndParent = parent_ ? parent_->handle_ : parent_window_;
    Params.WindowClass.style = CS_VREDRAW | CS_HREDRAW;
    if (control_style_.Contains(TControlStyleItem::csDoubleClicks))
        Params.WindowClass.style |= CS_DBLCLKS;
    Params.WindowClass.lpfnWndProc = &::DefWindowProcW;
    Params.WindowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    Params.WindowClass.hInstance = ModuleInstance();
    std::string name = ClassName();
    Params.WinClassName.assign(name.begin(), name.end());
}

void TWinControl::CreateWnd() {
    TCreateParams p;
    CreateParams(p);
    if ((p.Style & WS_CHILD) && !p.WndParent)
        throw EInvalidOperation("Control '" + Name() + "' has no parent window");
    // The window's own default procedure: the standard class's or DefWindowProc.
    WNDCLASSW wc = p.WindowClass;
    if (!p.SubClassOf.empty()) {
        WNDCLASSW std{};
        if (!::GetClassInfoW(nullptr, p.SubClassOf.c_str(), &std) &&
            !::GetClassInfoW(ModuleInstance(), p.SubClassOf.c_str(), &std))
            throw EOutOfResources("Window class not found");
        wc = std;
        wc.style &= ~UINT(CS_GLOBALCLASS);
        if (control_style_.Contains(TControlStyleItem::csDoubleClicks)) wc.style |= CS_DBLCLKS;
    }
    def_wnd_proc_ = wc.lpfnWndProc ? wc.lpfnWndProc : &::DefWindowProcW;
    WNDCLASSW have{};
    bool registered = ::GetClassInfoW(ModuleInstance(), p.WinClassName.c_str(), &have) &&
                      have.lpfnWndProc == &InitWndProc;
    if (!registered) {
        if (have.lpfnWndProc) ::UnregisterClassW(p.WinClassName.c_str(), ModuleInstance());
        wc.lpfnWndProc = &InitWndProc;
        wc.hInstance = ModuleInstance();
        wc.lpszClassName = p.WinClassName.c_str();
        if (!::RegisterClassW(&wc)) throw EOutOfResources("Error registering window class");
    }
    control_state_.Include(TControlStateItem::csCreating);
    try {
        CreateWindowHandle(p);
    } catch (...) {
        control_state_.Exclude(TControlStateItem::csCreating);
        throw;
    }
    control_state_.Exclude(TControlStateItem::csCreating);
    if (!handle_) throw EOutOfResources("Error creating window");
    ::SendMessageW(handle_, WM_SETFONT, WPARAM(font_.Handle()), 0);
    UpdateBounds();
    // Children's windows come with their parent's.
    std::vector<TControl*> copy = controls_;
    for (TControl* c : copy)
        if (auto* w = dynamic_cast<TWinControl*>(c)) w->HandleNeeded();
    CreateHandle();
}

void TWinControl::CreateWindowHandle(const TCreateParams& Params) {
    static int next_id = 100;
    HMENU id = (Params.Style & WS_CHILD) ? HMENU(intptr_t(next_id++)) : nullptr;
    t_creating = this;
    HWND wnd =
        ::CreateWindowExW(Params.ExStyle, Params.WinClassName.c_str(), Params.Caption.c_str(),
                          Params.Style, Params.X, Params.Y, Params.Width, Params.Height,
                          Params.WndParent, id, ModuleInstance(), Params.Param);
    t_creating = nullptr;
    if (!wnd) {
        handle_ = nullptr;
        throw EOutOfResources("Error creating window");
    }
    handle_ = wnd;
}

void TWinControl::CreateHandle() {}

void TWinControl::DestroyHandle() {
    if (!handle_) return;
    std::vector<TControl*> copy = controls_;
    for (TControl* c : copy)
        if (auto* w = dynamic_cast<TWinControl*>(c)) w->DestroyHandle();
    DestroyWnd();
}

void TWinControl::DestroyWnd() {
    // Keep the window's text for the next window.
    if (handle_) text_ = TWinControl::GetText();
    if (Application) Application->WindowDestroying(this);
    DestroyWindowHandle();
}

void TWinControl::DestroyWindowHandle() {
    control_state_.Include(TControlStateItem::csDestroyingHandle);
    if (handle_) ::DestroyWindow(handle_);
    control_state_.Exclude(TControlStateItem::csDestroyingHandle);
    if (handle_) {
        // The window was not ours to destroy (another thread's): forget it.
        ::RemovePropW(handle_, kControlProp);
        handle_ = nullptr;
    }
}

void TWinControl::RecreateWnd() {
    if (!handle_) return;
    control_state_.Include(TControlStateItem::csRecreating);
    try {
        DestroyHandle();
        HandleNeeded();
    } catch (...) {
        control_state_.Exclude(TControlStateItem::csRecreating);
        throw;
    }
    control_state_.Exclude(TControlStateItem::csRecreating);
}

void TWinControl::DefaultHandler(TMessage& Message) {
    if (!handle_) return;
    Message.Result = ::CallWindowProcW(def_wnd_proc_ ? def_wnd_proc_ : &::DefWindowProcW, handle_,
                                       Message.Msg, Message.WParam, Message.LParam);
}

void TWinControl::WndProc(TMessage& Message) {
    uint32_t msg = Message.Msg;
    if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST && msg != WM_MOUSEWHEEL &&
        msg != WM_MOUSEHWHEEL) {
        TPoint pt{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
        // A graphic child under the mouse (or holding the capture) gets the message.
        TControl* target = nullptr;
        if (Application && Application->CaptureControl() &&
            Application->CaptureControl()->Parent() == this &&
            !dynamic_cast<TWinControl*>(Application->CaptureControl()))
            target = Application->CaptureControl();
        else
            target = ControlAtPos(pt, false);
        if (target) {
            TMessage m = Message;
            m.LParam = MAKELPARAM(pt.X - target->Left(), pt.Y - target->Top());
            target->WindowProc(m);
            Message.Result = m.Result;
            if (msg == WM_MOUSEMOVE && !tracking_mouse_ && handle_) {
                TRACKMOUSEEVENT t{sizeof t, TME_LEAVE, handle_, 0};
                tracking_mouse_ = ::TrackMouseEvent(&t) != FALSE;
            }
            return;
        }
        if (msg == WM_MOUSEMOVE && !tracking_mouse_ && handle_) {
            TRACKMOUSEEVENT t{sizeof t, TME_LEAVE, handle_, 0};
            tracking_mouse_ = ::TrackMouseEvent(&t) != FALSE;
        }
    } else if (msg == WM_CONTEXTMENU && handle_) {
        TPoint pt{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
        if (!(pt.X == -1 && pt.Y == -1)) {
            POINT p{pt.X, pt.Y};
            ::ScreenToClient(handle_, &p);
            if (TControl* c = ControlAtPos(TPoint{p.x, p.y}, false)) {
                if (c->PopupMenu()) {
                    c->WindowProc(Message);
                    if (Message.Result) return;
                }
            }
        }
    }
    TControl::WndProc(Message);
}

void TWinControl::InvalidateRectOf(TControl* Child) {
    if (!handle_) return;
    RECT r = ToRECT(Child->BoundsRect());
    ::InvalidateRect(handle_, &r, !Child->ControlStyle().Contains(TControlStyleItem::csOpaque));
}

void TWinControl::DisableAlign() {
    ++align_level_;
}
void TWinControl::EnableAlign() {
    if (--align_level_ == 0 && control_state_.Contains(TControlStateItem::csAlignmentNeeded))
        Realign();
}

void TWinControl::Realign() {
    if (align_level_ > 0 || Loading() || Destroying()) {
        control_state_.Include(TControlStateItem::csAlignmentNeeded);
        return;
    }
    control_state_.Exclude(TControlStateItem::csAlignmentNeeded);
    ++align_level_;
    try {
        TRect r = ClientRect();
        AlignControls(nullptr, r);
    } catch (...) {
        --align_level_;
        throw;
    }
    --align_level_;
    if (control_state_.Contains(TControlStateItem::csAlignmentNeeded)) {
        // A child's size change asked for another pass (constraints); one more is enough.
        control_state_.Exclude(TControlStateItem::csAlignmentNeeded);
        ++align_level_;
        TRect r = ClientRect();
        try {
            AlignControls(nullptr, r);
        } catch (...) {
            --align_level_;
            throw;
        }
        --align_level_;
        control_state_.Exclude(TControlStateItem::csAlignmentNeeded);
    }
}

void TWinControl::AlignControls(TControl* AControl, TRect& Rect) {
    static const TAlign order[] = {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight,
                                   TAlign::alClient};
    for (TAlign a : order) {
        std::vector<TControl*> list;
        for (TControl* c : controls_)
            if (c->align_ == a && c->visible_) list.push_back(c);
        // Edge order: the one nearest the edge first; the control being moved wins ties.
        auto key = [a](TControl* c) {
            switch (a) {
            case TAlign::alTop:
                return c->top_;
            case TAlign::alBottom:
                return -(c->top_ + c->height_);
            case TAlign::alLeft:
                return c->left_;
            case TAlign::alRight:
                return -(c->left_ + c->width_);
            default:
                return 0;
            }
        };
        std::stable_sort(list.begin(), list.end(), [&](TControl* x, TControl* y) {
            int kx = key(x), ky = key(y);
            if (kx != ky) return kx < ky;
            return x == AControl && y != AControl;
        });
        for (TControl* c : list) {
            int w = Rect.Width(), h = Rect.Height();
            switch (a) {
            case TAlign::alTop:
                c->SetBounds(Rect.Left, Rect.Top, w, c->height_);
                Rect.Top += c->height_;
                break;
            case TAlign::alBottom:
                c->SetBounds(Rect.Left, Rect.Bottom - c->height_, w, c->height_);
                Rect.Bottom -= c->height_;
                break;
            case TAlign::alLeft:
                c->SetBounds(Rect.Left, Rect.Top, c->width_, h);
                Rect.Left += c->width_;
                break;
            case TAlign::alRight:
                c->SetBounds(Rect.Right - c->width_, Rect.Top, c->width_, h);
                Rect.Right -= c->width_;
                break;
            case TAlign::alClient:
                c->SetBounds(Rect.Left, Rect.Top, std::max(w, 0), std::max(h, 0));
                break;
            default:
                break;
            }
        }
    }
}

void TWinControl::ShowControl(TControl*) {
    if (parent_) parent_->ShowControl(this);
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    ConstrainSize(AWidth, AHeight);
    if (ALeft == left_ && ATop == top_ && AWidth == width_ && AHeight == height_) return;
    bool resized = AWidth != width_ || AHeight != height_;
    left_ = ALeft;
    top_ = ATop;
    width_ = AWidth;
    height_ = AHeight;
    if (handle_ && !::IsIconic(handle_)) {
        ::SetWindowPos(handle_, nullptr, ALeft, ATop, AWidth, AHeight,
                       SWP_NOZORDER | SWP_NOACTIVATE);
        // The window may not take every size (a top-level window's minimum): it says.
        UpdateBounds();
    } else if (resized && !Loading()) {
        Realign();
    }
    if (parent_ && align_ != TAlign::alNone) parent_->Realign();
}

TRect TWinControl::GetClientRect() {
    if (handle_ && !::IsIconic(handle_)) {
        RECT r{};
        ::GetClientRect(handle_, &r);
        return FromRECT(r);
    }
    // No window yet: the window's size less the frame its styles give it.
    TCreateParams p;
    CreateParams(p);
    RECT r{0, 0, 0, 0};
    ::AdjustWindowRectEx(&r, p.Style & ~DWORD(WS_VISIBLE), FALSE, p.ExStyle);
    return TRect{0, 0, std::max(0, width_ - int(r.right - r.left)),
                 std::max(0, height_ - int(r.bottom - r.top))};
}

void TWinControl::SetClientSize(int AWidth, int AHeight) {
    TControl::SetClientSize(AWidth, AHeight);
}

TPoint TWinControl::ClientOrigin() {
    POINT p{0, 0};
    ::ClientToScreen(Handle(), &p);
    return TPoint{p.x, p.y};
}

bool TWinControl::Showing() const {
    if (!visible_) return false;
    if (parent_) return parent_->Showing();
    return handle_ != nullptr && ::IsWindowVisible(handle_);
}

std::string TWinControl::GetText() const {
    if (!handle_) return text_;
    int n = ::GetWindowTextLengthW(handle_);
    std::wstring w(size_t(n) + 1, L'\0');
    n = ::GetWindowTextW(handle_, w.data(), n + 1);
    w.resize(size_t(std::max(n, 0)));
    return WideToGbk(w);
}

void TWinControl::SetText(const std::string& Value) {
    if (Value == GetText()) return;
    text_ = Value;
    if (handle_) ::SetWindowTextW(handle_, GbkToWide(Value).c_str());
    TextChanged();
}

void TWinControl::Invalidate() {
    if (handle_)
        ::InvalidateRect(handle_, nullptr, !control_style_.Contains(TControlStyleItem::csOpaque));
}
void TWinControl::Update() {
    if (handle_) ::UpdateWindow(handle_);
}
void TWinControl::Repaint() {
    Invalidate();
    Update();
}

void TWinControl::BringToFront() {
    TControl::BringToFront();
    if (handle_)
        ::SetWindowPos(handle_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}
void TWinControl::SendToBack() {
    TControl::SendToBack();
    if (handle_)
        ::SetWindowPos(handle_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TWinControl::SetParent(TWinControl* AParent) {
    if (AParent == parent_) return;
    if (handle_ && !AParent && !parent_window_) DestroyHandle();
    TControl::SetParent(AParent);
}

void TWinControl::Loaded() {
    TControl::Loaded();
    Realign();
}

bool TWinControl::Focused() const {
    return handle_ && ::GetFocus() == handle_;
}

bool TWinControl::CanFocus() const {
    for (const TControl* c = this; c; c = c->Parent())
        if (!c->Visible() || !c->Enabled()) return false;
    return true;
}

void TWinControl::SetFocus() {
    if (TCustomForm* f = GetParentForm(this); f && f != this) {
        f->SetActiveControl(this);
        return;
    }
    ::SetFocus(Handle());
}

void TWinControl::SetTabStop(bool Value) {
    if (Value == tab_stop_) return;
    tab_stop_ = Value;
    if (handle_) {
        LONG_PTR s = ::GetWindowLongPtrW(handle_, GWL_STYLE);
        ::SetWindowLongPtrW(handle_, GWL_STYLE,
                            Value ? (s | WS_TABSTOP) : (s & ~LONG_PTR(WS_TABSTOP)));
    }
}

int TWinControl::TabOrder() const {
    if (!parent_) return -1;
    int i = 0;
    for (TControl* c : parent_->controls_) {
        if (c == this) return i;
        if (dynamic_cast<TWinControl*>(c)) ++i;
    }
    return -1;
}

void TWinControl::SetTabOrder(int Value) {
    if (!parent_ || Value < 0) return;
    auto& v = parent_->controls_;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
    int i = 0;
    auto it = v.begin();
    for (; it != v.end(); ++it)
        if (dynamic_cast<TWinControl*>(*it) && i++ == Value) break;
    v.insert(it, this);
}

void TWinControl::UpdateBounds() {
    if (!handle_ || ::IsIconic(handle_)) return;
    RECT r{};
    ::GetWindowRect(handle_, &r);
    if (::GetWindowLongPtrW(handle_, GWL_STYLE) & WS_CHILD) {
        HWND p = ::GetParent(handle_);
        if (p) ::MapWindowPoints(HWND_DESKTOP, p, reinterpret_cast<POINT*>(&r), 2);
    }
    left_ = r.left;
    top_ = r.top;
    width_ = r.right - r.left;
    height_ = r.bottom - r.top;
}

void TWinControl::PaintHandler(TMessage& Message) {
    HDC dc = HDC(Message.WParam);
    PAINTSTRUCT ps{};
    if (!dc && double_buffered_) {
        // The whole client area is drawn off-screen, background included, then copied.
        dc = ::BeginPaint(handle_, &ps);
        RECT r{};
        ::GetClientRect(handle_, &r);
        win::MemoryDc mem(::CreateCompatibleDC(dc));
        win::Bitmap bmp(
            ::CreateCompatibleBitmap(dc, std::max(1L, r.right), std::max(1L, r.bottom)));
        try {
            win::SelectObjectScope sel(mem.get(), bmp.get());
            ::FillRect(mem.get(), &r, brush_.Handle());
            TMessage m{WM_PAINT, uintptr_t(mem.get()), 0, 0};
            PaintHandler(m);
            ::BitBlt(dc, 0, 0, r.right, r.bottom, mem.get(), 0, 0, SRCCOPY);
        } catch (...) {
            ::EndPaint(handle_, &ps);
            throw;
        }
        ::EndPaint(handle_, &ps);
        return;
    }
    if (!dc) dc = ::BeginPaint(handle_, &ps);
    try {
        int saved = ::SaveDC(dc);
        // Opaque graphic children are left out of the window's own painting.
        for (TControl* c : controls_)
            if (!dynamic_cast<TWinControl*>(c) && c->Visible() &&
                c->ControlStyle().Contains(TControlStyleItem::csOpaque))
                ::ExcludeClipRect(dc, c->Left(), c->Top(), c->Left() + c->Width(),
                                  c->Top() + c->Height());
        PaintWindow(dc);
        ::RestoreDC(dc, saved);
        PaintControls(dc, nullptr);
    } catch (...) {
        if (!Message.WParam) ::EndPaint(handle_, &ps);
        throw;
    }
    if (!Message.WParam) ::EndPaint(handle_, &ps);
}

void TWinControl::PaintWindow(HDC DC) {
    TMessage m{WM_PAINT, uintptr_t(DC), 0, 0};
    DefaultHandler(m);
}

void TWinControl::PaintControls(HDC DC, TControl* First) {
    bool started = First == nullptr;
    std::vector<TControl*> copy = controls_;
    for (TControl* c : copy) {
        if (!started) {
            if (c != First) continue;
            started = true;
        }
        if (dynamic_cast<TWinControl*>(c) || !c->Visible()) continue;
        RECT r = ToRECT(c->BoundsRect()), clip{}, both{};
        if (::GetClipBox(DC, &clip) != NULLREGION && !::IntersectRect(&both, &r, &clip)) continue;
        int saved = ::SaveDC(DC);
        POINT org{};
        ::GetWindowOrgEx(DC, &org);
        ::SetWindowOrgEx(DC, org.x - c->Left(), org.y - c->Top(), nullptr);
        ::IntersectClipRect(DC, 0, 0, c->Width(), c->Height());
        c->Perform(WM_PAINT, uintptr_t(DC), 0);
        ::RestoreDC(DC, saved);
    }
}

void TWinControl::WMPaint(TMessage& M) {
    bool graphic_children = false;
    for (TControl* c : controls_)
        if (!dynamic_cast<TWinControl*>(c)) graphic_children = true;
    if (!control_state_.Contains(TControlStateItem::csCustomPaint) && !graphic_children &&
        !(double_buffered_ && M.WParam == 0))
        FW_INHERITED(M);
    else
        PaintHandler(M);
}

void TWinControl::WMEraseBkgnd(TMessage& M) {
    if (double_buffered_ &&
        (control_state_.Contains(TControlStateItem::csCustomPaint) || !controls_.empty())) {
        M.Result = 1; // the buffered paint fills the background
        return;
    }
    RECT r{};
    ::GetClientRect(handle_, &r);
    ::FillRect(HDC(M.WParam), &r, brush_.Handle());
    M.Result = 1;
}

void TWinControl::WMSize(TMessage& M) {
    FW_INHERITED(M);
    if (M.WParam == SIZE_MINIMIZED) return;
    int ow = width_, oh = height_;
    UpdateBounds();
    Realign();
    if ((ow != width_ || oh != height_ || !Loading()) && !Loading()) Resize();
}

void TWinControl::WMMove(TMessage& M) {
    FW_INHERITED(M);
    UpdateBounds();
}

void TWinControl::WMWindowPosChanged(TMessage& M) {
    UpdateBounds();
    FW_INHERITED(M);
}

bool TWinControl::ReflectToChild(HWND Child, TMessage& M) {
    TWinControl* c = FindControl(Child);
    if (!c || c == this) return false;
    M.Result = c->Perform(CN_BASE + M.Msg, M.WParam, M.LParam);
    return true;
}

void TWinControl::WMCommand(TMessage& M) {
    if (M.LParam && ReflectToChild(HWND(M.LParam), M)) return;
    FW_INHERITED(M);
}
void TWinControl::WMNotify(TMessage& M) {
    auto* h = reinterpret_cast<NMHDR*>(M.LParam);
    if (h && ReflectToChild(h->hwndFrom, M)) return;
    FW_INHERITED(M);
}
void TWinControl::WMHScroll(TMessage& M) {
    if (M.LParam && ReflectToChild(HWND(M.LParam), M)) return;
    FW_INHERITED(M);
}
void TWinControl::WMVScroll(TMessage& M) {
    if (M.LParam && ReflectToChild(HWND(M.LParam), M)) return;
    FW_INHERITED(M);
}
void TWinControl::WMDrawItem(TMessage& M) {
    auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(M.LParam);
    if (d && d->CtlType != ODT_MENU && ReflectToChild(d->hwndItem, M)) return;
    FW_INHERITED(M);
}
void TWinControl::WMMeasureItem(TMessage& M) {
    auto* m = reinterpret_cast<MEASUREITEMSTRUCT*>(M.LParam);
    if (m && m->CtlType != ODT_MENU && handle_) {
        HWND child = ::GetDlgItem(handle_, int(m->CtlID));
        if (child && ReflectToChild(child, M)) return;
    }
    FW_INHERITED(M);
}
void TWinControl::WMCtlColor(TMessage& M) {
    if (M.LParam && ReflectToChild(HWND(M.LParam), M)) return;
    FW_INHERITED(M);
}

void TWinControl::CNCtlColor(TMessage& M) {
    HDC dc = HDC(M.WParam);
    ::SetTextColor(dc, ColorToRGB(font_.Color()));
    ::SetBkColor(dc, ColorToRGB(brush_.Color()));
    M.Result = LRESULT(brush_.Handle());
}

void TWinControl::WMSetFocus(TMessage& M) {
    FW_INHERITED(M);
    if (TCustomForm* f = GetParentForm(this); f && f != this) f->FocusChanged(this);
    Perform(CM_ENTER, 0, 0);
}

void TWinControl::WMKillFocus(TMessage& M) {
    FW_INHERITED(M);
    Perform(CM_EXIT, 0, 0);
}

void TWinControl::CMEnter(TMessage&) {
    DoEnter();
}
void TWinControl::CMExit(TMessage&) {
    DoExit();
}
void TWinControl::DoEnter() {
    OnEnter(this);
}
void TWinControl::DoExit() {
    OnExit(this);
}

bool TWinControl::DoKeyDown(TMessage& M) {
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && form->DoKeyDown(M)) return true;
    uint16_t key = uint16_t(M.WParam);
    KeyDown(key, KeyDataToShiftState(M.LParam));
    if (key == 0) return true;
    M.WParam = key;
    return false;
}
bool TWinControl::DoKeyUp(TMessage& M) {
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && form->DoKeyUp(M)) return true;
    uint16_t key = uint16_t(M.WParam);
    KeyUp(key, KeyDataToShiftState(M.LParam));
    if (key == 0) return true;
    M.WParam = key;
    return false;
}
bool TWinControl::DoKeyPress(TMessage& M) {
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && form->DoKeyPress(M)) return true;
    // Only single-byte characters fit the event; the rest go straight to the window.
    if (M.WParam >= 0x80) return false;
    char ch = char(M.WParam);
    KeyPress(ch);
    if (ch == 0) return true;
    M.WParam = uint8_t(ch);
    return false;
}
void TWinControl::KeyDown(uint16_t& Key, TShiftState Shift) {
    OnKeyDown(this, Key, Shift);
}
void TWinControl::KeyUp(uint16_t& Key, TShiftState Shift) {
    OnKeyUp(this, Key, Shift);
}
void TWinControl::KeyPress(char& Key) {
    OnKeyPress(this, Key);
}

void TWinControl::WMKeyDown(TMessage& M) {
    if (!DoKeyDown(M)) FW_INHERITED(M);
}
void TWinControl::WMKeyUp(TMessage& M) {
    if (!DoKeyUp(M)) FW_INHERITED(M);
}
void TWinControl::WMChar(TMessage& M) {
    if (!DoKeyPress(M)) FW_INHERITED(M);
}

void TWinControl::WMSetCursor(TMessage& M) {
    if (HWND(M.WParam) == handle_ && LOWORD(M.LParam) == HTCLIENT) {
        TCursor cursor = Screen ? Screen->Cursor() : crDefault;
        if (cursor == crDefault) {
            POINT p{};
            ::GetCursorPos(&p);
            ::ScreenToClient(handle_, &p);
            TControl* c = ControlAtPos(TPoint{p.x, p.y}, false);
            cursor = (c ? c : this)->Cursor();
        }
        if (cursor != crDefault) {
            ::SetCursor(CursorHandle(cursor));
            M.Result = 1;
            return;
        }
    }
    FW_INHERITED(M);
}

void TWinControl::WMMouseLeave(TMessage& M) {
    tracking_mouse_ = false;
    if (Application) {
        TControl* c = Application->MouseControl();
        if (c == this || (c && c->Parent() == this && !dynamic_cast<TWinControl*>(c)))
            Application->SetMouseControl(nullptr);
    }
    FW_INHERITED(M);
}

void TWinControl::WMDestroy(TMessage& M) {
    FW_INHERITED(M);
}

void TWinControl::WMNCDestroy(TMessage& M) {
    FW_INHERITED(M);
    if (handle_) ::RemovePropW(handle_, kControlProp);
    handle_ = nullptr;
    tracking_mouse_ = false;
}

void TWinControl::CMEnabledChanged(TMessage& M) {
    if (handle_) ::EnableWindow(handle_, enabled_);
    FW_INHERITED(M);
}

void TWinControl::CMVisibleChanged(TMessage& M) {
    if (handle_ && parent_) {
        ::SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
                       SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE |
                           (visible_ ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
    } else if (!parent_) {
        Perform(CM_SHOWINGCHANGED, 0, 0);
    }
    (void)M;
}

void TWinControl::CMShowingChanged(TMessage&) {
    if (visible_) {
        HandleNeeded();
        ::ShowWindow(handle_, SW_SHOW);
    } else if (handle_) {
        ::ShowWindow(handle_, SW_HIDE);
    }
}

void TWinControl::CMFontChanged(TMessage& M) {
    if (handle_) ::SendMessageW(handle_, WM_SETFONT, WPARAM(font_.Handle()), TRUE);
    NotifyControls(CM_PARENTFONTCHANGED);
    FW_INHERITED(M);
}

void TWinControl::CMColorChanged(TMessage& M) {
    brush_.SetColor(color_);
    NotifyControls(CM_PARENTCOLORCHANGED);
    FW_INHERITED(M);
}

void TWinControl::CMTextChanged(TMessage&) {}

void TWinControl::CMRecreateWnd(TMessage&) {
    RecreateWnd();
}

// ---- TGraphicControl / TCustomControl ----------------------------------------------------

TGraphicControl::TGraphicControl(TComponent* AOwner)
    : TControl(AOwner), canvas_(new TControlCanvas(this)) {}

TGraphicControl::~TGraphicControl() {
    delete canvas_;
}

void TGraphicControl::WMPaint(TMessage& M) {
    if (!M.WParam) return;
    canvas_->Lock();
    try {
        canvas_->SetHandle(HDC(M.WParam));
        Paint();
    } catch (...) {
        canvas_->SetHandle(nullptr);
        canvas_->Unlock();
        throw;
    }
    canvas_->SetHandle(nullptr);
    canvas_->Unlock();
}

TCustomControl::TCustomControl(TComponent* AOwner)
    : TWinControl(AOwner), canvas_(new TControlCanvas(this)) {
    control_state_.Include(TControlStateItem::csCustomPaint);
}

TCustomControl::~TCustomControl() {
    delete canvas_;
    canvas_ = nullptr;
}

void TCustomControl::PaintWindow(HDC DC) {
    canvas_->Lock();
    HDC old = canvas_->HandleAllocated() ? canvas_->Handle() : nullptr;
    try {
        canvas_->SetHandle(DC);
        Paint();
    } catch (...) {
        canvas_->SetHandle(old);
        canvas_->Unlock();
        throw;
    }
    canvas_->SetHandle(old);
    canvas_->Unlock();
}

// ---- helpers ------------------------------------------------------------------------------

TCustomForm* GetParentForm(TControl* Control) {
    if (!Control) return nullptr;
    TControl* c = Control;
    while (c->Parent())
        c = c->Parent();
    return dynamic_cast<TCustomForm*>(c);
}

TWinControl* FindVCLWindow(TPoint Pos) {
    HWND w = ::WindowFromPoint(POINT{Pos.X, Pos.Y});
    while (w) {
        if (TWinControl* c = TWinControl::FindControl(w)) return c;
        w = ::GetParent(w);
    }
    return nullptr;
}

} // namespace dvr::fw
