#include "framework/ui/forms.h"

#include "common/win/textconv.h"
#include "framework/filer.h"
#include "framework/ui/menus.h"
#include "framework/ui/stdctrls.h"
#include "framework/win/resstream.h"

#include <algorithm>
#include <exception>
#include <functional>

namespace dvr::fw {

using win::GbkToWide;
using win::WideToGbk;

TApplication* Application = nullptr;
TScreen* Screen = nullptr;

namespace {

struct FormsUnit {
    FormsUnit() {
        Application = new TApplication(nullptr);
        Screen = new TScreen(nullptr);
    }
    ~FormsUnit() {
        TApplication* a = std::exchange(Application, nullptr);
        // Forms go first, while the screen still lists them.
        if (a) a->Free();
        TScreen* s = std::exchange(Screen, nullptr);
        if (s) s->Free();
    }
};
FormsUnit forms_unit;

const TTypeInfo* BorderStyleType() {
    static const TTypeInfo t =
        TTypeInfo::Enumeration("TFormBorderStyle", {"bsNone", "bsSingle", "bsSizeable", "bsDialog",
                                                    "bsToolWindow", "bsSizeToolWin"});
    return &t;
}
const TTypeInfo* BorderIconsType() {
    static const TTypeInfo e = TTypeInfo::Enumeration(
        "TBorderIcon", {"biSystemMenu", "biMinimize", "biMaximize", "biHelp"});
    static const TTypeInfo t = TTypeInfo::Set("TBorderIcons", &e);
    return &t;
}
const TTypeInfo* FormStyleType() {
    static const TTypeInfo t = TTypeInfo::Enumeration(
        "TFormStyle", {"fsNormal", "fsMDIChild", "fsMDIForm", "fsStayOnTop"});
    return &t;
}
const TTypeInfo* PositionType() {
    static const TTypeInfo t = TTypeInfo::Enumeration(
        "TPosition",
        {"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly", "poScreenCenter",
         "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter"});
    return &t;
}
const TTypeInfo* WindowStateType() {
    static const TTypeInfo t =
        TTypeInfo::Enumeration("TWindowState", {"wsNormal", "wsMinimized", "wsMaximized"});
    return &t;
}

} // namespace

// ---- TCustomForm --------------------------------------------------------------------------

void TCustomForm::Publish(TPublisher<TCustomForm>& p) {
    p.Property("BorderIcons", BorderIconsType(), &TCustomForm::BorderIcons,
               &TCustomForm::SetBorderIcons)
        .Default(7);
    p.Property("BorderStyle", BorderStyleType(), &TCustomForm::BorderStyle,
               &TCustomForm::SetBorderStyle)
        .Default(int(TFormBorderStyle::bsSizeable));
    p.Property("Caption", nullptr, &TCustomForm::Caption, &TCustomForm::SetCaption);
    // Read from older streams; the bounds are what is written.
    p.Property(
         "ClientHeight", nullptr,
         [](const TCustomForm& f) { return const_cast<TCustomForm&>(f).ClientHeight(); },
         &TCustomForm::SetClientHeight)
        .Stored(false);
    p.Property(
         "ClientWidth", nullptr,
         [](const TCustomForm& f) { return const_cast<TCustomForm&>(f).ClientWidth(); },
         &TCustomForm::SetClientWidth)
        .Stored(false);
    p.Property("FormStyle", FormStyleType(), &TCustomForm::FormStyle, &TCustomForm::SetFormStyle)
        .Default(0);
    p.Property("KeyPreview", nullptr, &TCustomForm::KeyPreview, &TCustomForm::SetKeyPreview)
        .Default(0);
    p.Property("Position", PositionType(), &TCustomForm::Position, &TCustomForm::SetPosition)
        .Default(0);
    p.Property("WindowState", WindowStateType(), &TCustomForm::WindowState,
               &TCustomForm::SetWindowState)
        .Default(0);
}

TCustomForm::TCustomForm(TComponent* AOwner)
    : TWinControl(AOwner), canvas_(new TControlCanvas(this)) {
    visible_ = false;
    parent_color_ = false;
    parent_font_ = false;
    color_ = clBtnFace;
    brush_.SetColor(color_);
    control_style_ = {TControlStyleItem::csAcceptsControls, TControlStyleItem::csCaptureMouse,
                      TControlStyleItem::csClickEvents, TControlStyleItem::csSetCaption,
                      TControlStyleItem::csDoubleClicks};
    control_state_.Include(TControlStateItem::csCustomPaint);
    left_ = 100;
    top_ = 100;
    width_ = 320;
    height_ = 240;
    if (Screen) Screen->AddForm(this);
}

TCustomForm::~TCustomForm() {
    if (Screen) Screen->RemoveForm(this);
    if (Application && Application->MainForm() == this) Application->SetMainForm(nullptr);
    MarkDestroying();
    if (handle_) DestroyHandle();
    delete canvas_;
    canvas_ = nullptr;
}

bool TCustomForm::ReadFormResource(HINSTANCE Instance, const std::string& ResName) {
    if (!Instance) Instance = ::GetModuleHandleW(nullptr);
    std::string name = ResName.empty() ? ClassName() : ResName;
    std::wstring w = GbkToWide(name);
    if (!::FindResourceW(Instance, w.c_str(), MAKEINTRESOURCEW(10))) return false;
    TResourceStream s(Instance, name, "#10");
    DisableAlign();
    try {
        TReader r(s);
        r.ReadRootComponent(this);
    } catch (...) {
        EnableAlign();
        throw;
    }
    EnableAlign();
    return true;
}

void TCustomForm::AfterConstruction() {
    if (created_) return;
    ReadFormResource();
    DoCreate();
}

void TCustomForm::BeforeDestruction() {
    if (!destroyed_) DoDestroy();
}

void TCustomForm::DoCreate() {
    created_ = true;
    OnCreate(this);
    if (visible_) Perform(CM_SHOWINGCHANGED, 0, 0);
}

void TCustomForm::DoDestroy() {
    destroyed_ = true;
    OnDestroy(this);
}

void TCustomForm::SetBorderStyle(TFormBorderStyle Value) {
    if (Value == border_style_) return;
    border_style_ = Value;
    RecreateWnd();
}

void TCustomForm::SetBorderIcons(TBorderIcons Value) {
    if (Value == border_icons_) return;
    border_icons_ = Value;
    RecreateWnd();
}

void TCustomForm::SetFormStyle(TFormStyle Value) {
    if (Value == form_style_) return;
    // MDI forms and children are made as such: their windows are of another kind.
    bool mdi = Value == TFormStyle::fsMDIForm || Value == TFormStyle::fsMDIChild ||
               form_style_ == TFormStyle::fsMDIForm || form_style_ == TFormStyle::fsMDIChild;
    form_style_ = Value;
    if (mdi) {
        RecreateWnd();
        return;
    }
    if (handle_ && (Value == TFormStyle::fsStayOnTop || Value == TFormStyle::fsNormal)) {
        ::SetWindowPos(handle_, Value == TFormStyle::fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0,
                       0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

TWindowState TCustomForm::WindowState() const {
    if (handle_ && ::IsWindowVisible(handle_)) {
        if (::IsIconic(handle_)) return TWindowState::wsMinimized;
        if (::IsZoomed(handle_)) return TWindowState::wsMaximized;
        return TWindowState::wsNormal;
    }
    return window_state_;
}

void TCustomForm::SetWindowState(TWindowState Value) {
    window_state_ = Value;
    if (handle_ && visible_ && !Loading()) {
        static const int cmds[] = {SW_RESTORE, SW_MINIMIZE, SW_MAXIMIZE};
        ::ShowWindow(handle_, cmds[int(Value)]);
    }
}

void TCustomForm::SetActiveControl(TWinControl* Control) {
    if (Control && (Control == this || GetParentForm(Control) != this))
        throw EInvalidOperation("Invalid control for the form's active control");
    if (active_control_) active_control_->RemoveFreeNotification(this);
    active_control_ = Control;
    if (Control) Control->FreeNotification(this);
    if (Control && handle_ && ::IsWindowVisible(handle_) && Control->CanFocus() && !Loading())
        ::SetFocus(Control->Handle());
}

void TCustomForm::FocusChanged(TWinControl* Control) {
    if (Control != active_control_) {
        if (active_control_) active_control_->RemoveFreeNotification(this);
        active_control_ = Control;
        if (Control) Control->FreeNotification(this);
    }
    // Every control hears who has the focus now (default buttons follow it).
    SendToAllControls(CM_FOCUSCHANGED, 0, intptr_t(Control));
}

bool TCustomForm::SendToAllControls(uint32_t Msg, uintptr_t WParam, intptr_t LParam) {
    std::vector<TControl*> all;
    std::function<void(TWinControl*)> walk = [&](TWinControl* p) {
        for (int i = 0; i < p->ControlCount(); ++i) {
            TControl* c = p->Controls(i);
            all.push_back(c);
            if (auto* w = dynamic_cast<TWinControl*>(c)) walk(w);
        }
    };
    walk(this);
    for (TControl* c : all)
        if (c->Perform(Msg, WParam, LParam) != 0) return true;
    return false;
}

void TCustomForm::SetMenu(TMainMenu* Value) {
    if (Value == menu_) return;
    if (menu_) {
        menu_->SetWindow(nullptr);
        menu_->RemoveFreeNotification(this);
    }
    menu_ = Value;
    if (Value) Value->FreeNotification(this);
    if (handle_) {
        if (Value)
            Value->SetWindow(handle_);
        else
            ::SetMenu(handle_, nullptr);
    }
}

void TCustomForm::Notification(TComponent* AComponent, TOperation Operation) {
    TWinControl::Notification(AComponent, Operation);
    if (Operation != TOperation::opRemove) return;
    if (AComponent == active_control_) active_control_ = nullptr;
    if (AComponent == menu_) {
        menu_ = nullptr;
        if (handle_ && !Destroying()) ::SetMenu(handle_, nullptr);
    }
}

void TCustomForm::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
    // Non-visual components first, then the controls.
    for (int i = 0; i < ComponentCount(); ++i) {
        TComponent* c = Components(i);
        if (auto* ctl = dynamic_cast<TControl*>(c); ctl && ctl->Parent()) continue;
        // Menu items are written inside their menus.
        if (dynamic_cast<TMenuItem*>(c)) continue;
        Proc(c);
    }
    TWinControl::GetChildren(Proc, Root);
}

void TCustomForm::CreateParams(TCreateParams& Params) {
    TWinControl::CreateParams(Params);
    if (parent_ || parent_window_) return; // a form inside another control
    if (form_style_ == TFormStyle::fsMDIChild) {
        TCustomForm* frame = MDIParent();
        if (!frame) throw EInvalidOperation("Cannot create form. No MDI forms are currently active");
        frame->HandleNeeded();
        Params.Style &= ~DWORD(WS_VISIBLE | WS_TABSTOP);
        Params.Style |= WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_CAPTION | WS_SYSMENU |
                        WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
        Params.ExStyle = WS_EX_MDICHILD;
        Params.WndParent = frame->ClientHandle();
        // The child's own default procedure keeps the MDI client's bookkeeping.
        Params.WindowClass.lpfnWndProc = &::DefMDIChildProcW;
        return;
    }
    Params.Style &= ~DWORD(WS_CHILD | WS_VISIBLE | WS_TABSTOP);
    Params.Style |= WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    Params.ExStyle = 0;
    switch (border_style_) {
    case TFormBorderStyle::bsNone:
        Params.Style |= WS_POPUP;
        break;
    case TFormBorderStyle::bsSingle:
        Params.Style |= WS_CAPTION | WS_BORDER;
        break;
    case TFormBorderStyle::bsSizeable:
        Params.Style |= WS_CAPTION | WS_THICKFRAME;
        break;
    case TFormBorderStyle::bsDialog:
        Params.Style |= WS_POPUP | WS_CAPTION;
        Params.ExStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
        break;
    case TFormBorderStyle::bsToolWindow:
        Params.Style |= WS_CAPTION;
        Params.ExStyle |= WS_EX_TOOLWINDOW;
        break;
    case TFormBorderStyle::bsSizeToolWin:
        Params.Style |= WS_CAPTION | WS_THICKFRAME;
        Params.ExStyle |= WS_EX_TOOLWINDOW;
        break;
    }
    if (border_style_ != TFormBorderStyle::bsNone) {
        if (border_icons_.Contains(TBorderIcon::biSystemMenu)) Params.Style |= WS_SYSMENU;
        if (border_style_ == TFormBorderStyle::bsSingle ||
            border_style_ == TFormBorderStyle::bsSizeable) {
            if (border_icons_.Contains(TBorderIcon::biMinimize)) Params.Style |= WS_MINIMIZEBOX;
            if (border_icons_.Contains(TBorderIcon::biMaximize)) Params.Style |= WS_MAXIMIZEBOX;
        }
        if (border_icons_.Contains(TBorderIcon::biHelp) &&
            !border_icons_.Contains(TBorderIcon::biMinimize) &&
            !border_icons_.Contains(TBorderIcon::biMaximize))
            Params.ExStyle |= WS_EX_CONTEXTHELP;
    }
    if (form_style_ == TFormStyle::fsStayOnTop) Params.ExStyle |= WS_EX_TOPMOST;
    // Secondary forms belong to the main form's window: no taskbar button of their own,
    // and they stay above it.
    TCustomForm* main = Application ? Application->MainForm() : nullptr;
    if (main && main != this && main->HandleAllocated())
        Params.WndParent = main->WindowHandle();
    else
        Params.WndParent = nullptr;
    if (Params.WndParent == nullptr) Params.ExStyle |= WS_EX_APPWINDOW;
    if (position_ == TPosition::poDefault || position_ == TPosition::poDefaultPosOnly) {
        Params.X = CW_USEDEFAULT;
        Params.Y = CW_USEDEFAULT;
    }
}

void TCustomForm::CreateWnd() {
    TWinControl::CreateWnd();
    if (form_style_ == TFormStyle::fsMDIForm && !parent_) {
        CLIENTCREATESTRUCT ccs{nullptr, 0xFF00};
        client_handle_ = ::CreateWindowExW(
            WS_EX_CLIENTEDGE, L"MDICLIENT", nullptr,
            WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_VSCROLL | WS_HSCROLL |
                MDIS_ALLCHILDSTYLES,
            0, 0, width_, height_, handle_, nullptr, ::GetModuleHandleW(nullptr), &ccs);
        if (!client_handle_) throw EOutOfResources("Error creating window");
        Realign();
    }
    if (menu_ && !parent_) menu_->SetWindow(handle_);
    if (!icon_.Empty()) ::SendMessageW(handle_, WM_SETICON, ICON_BIG, LPARAM(icon_.Handle()));
}

void TCustomForm::DestroyWnd() {
    if (client_handle_) {
        // The children's windows live in the client: they go first, through their forms.
        for (int i = MDIChildCount() - 1; i >= 0; --i)
            if (TCustomForm* f = MDIChildren(i)) f->DestroyHandle();
    }
    TWinControl::DestroyWnd();
    client_handle_ = nullptr;
}

void TCustomForm::DestroyWindowHandle() {
    HWND client = handle_ && form_style_ == TFormStyle::fsMDIChild ? ::GetParent(handle_) : nullptr;
    if (client && (::GetWindowLongPtrW(handle_, GWL_EXSTYLE) & WS_EX_MDICHILD)) {
        // The MDI client must hear of it to keep its child list and window menu right.
        control_state_.Include(TControlStateItem::csDestroyingHandle);
        ::SendMessageW(client, WM_MDIDESTROY, WPARAM(handle_), 0);
        control_state_.Exclude(TControlStateItem::csDestroyingHandle);
        if (!handle_) return;
    }
    TWinControl::DestroyWindowHandle();
}

void TCustomForm::AlignControls(TControl* AControl, TRect& Rect) {
    TWinControl::AlignControls(AControl, Rect);
    // The MDI client takes what the aligned controls leave.
    if (client_handle_)
        ::SetWindowPos(client_handle_, HWND_BOTTOM, Rect.Left, Rect.Top,
                       std::max(Rect.Width(), 0), std::max(Rect.Height(), 0), SWP_NOACTIVATE);
}

void TCustomForm::DefaultHandler(TMessage& Message) {
    if (client_handle_ && handle_ && Message.Msg != WM_SIZE) {
        // The frame's default procedure passes menu, key and activation work to the client;
        // its WM_SIZE would stretch the client over the aligned controls.
        Message.Result = ::DefFrameProcW(handle_, client_handle_, Message.Msg, Message.WParam,
                                         Message.LParam);
        return;
    }
    TWinControl::DefaultHandler(Message);
}

void TCustomForm::WMMDIActivate(TMessage& M) {
    FW_INHERITED(M);
    if (form_style_ != TFormStyle::fsMDIChild || !handle_) return;
    if (HWND(M.LParam) == handle_) {
        active_ = true;
        Activate();
    } else if (HWND(M.WParam) == handle_) {
        active_ = false;
        Deactivate();
    }
}

TCustomForm* TCustomForm::MDIParent() const {
    if (form_style_ != TFormStyle::fsMDIChild) return nullptr;
    auto* owner = dynamic_cast<TCustomForm*>(Owner());
    if (owner && owner->form_style_ == TFormStyle::fsMDIForm) return owner;
    TCustomForm* main = Application ? Application->MainForm() : nullptr;
    if (main && main->form_style_ == TFormStyle::fsMDIForm) return main;
    return nullptr;
}

int TCustomForm::MDIChildCount() const {
    int n = 0;
    if (form_style_ == TFormStyle::fsMDIForm && Screen)
        for (int i = 0; i < Screen->FormCount(); ++i)
            if (Screen->Forms(i)->MDIParent() == this) ++n;
    return n;
}

TCustomForm* TCustomForm::MDIChildren(int Index) const {
    if (form_style_ != TFormStyle::fsMDIForm || !Screen || Index < 0) return nullptr;
    for (int i = 0; i < Screen->FormCount(); ++i) {
        TCustomForm* f = Screen->Forms(i);
        if (f->MDIParent() == this && Index-- == 0) return f;
    }
    return nullptr;
}

TCustomForm* TCustomForm::ActiveMDIChild() const {
    if (!client_handle_) return nullptr;
    HWND w = HWND(::SendMessageW(client_handle_, WM_MDIGETACTIVE, 0, 0));
    return dynamic_cast<TCustomForm*>(FindControl(w));
}

void TCustomForm::PaintWindow(HDC DC) {
    canvas_->Lock();
    try {
        canvas_->SetHandle(DC);
        Paint();
    } catch (...) {
        canvas_->SetHandle(nullptr);
        canvas_->Unlock();
        throw;
    }
    canvas_->SetHandle(nullptr);
    canvas_->Unlock();
}

void TCustomForm::Paint() {
    OnPaint(this);
}
void TCustomForm::DoShow() {
    OnShow(this);
}
void TCustomForm::DoHide() {
    OnHide(this);
}
void TCustomForm::DoClose(TCloseAction& Action) {
    OnClose(this, Action);
}
void TCustomForm::Activate() {
    OnActivate(this);
}
void TCustomForm::Deactivate() {
    OnDeactivate(this);
}

void TCustomForm::Show() {
    SetVisible(true);
    BringToFront();
}

void TCustomForm::Hide() {
    SetVisible(false);
}

void TCustomForm::MoveToPosition() {
    if (parent_ || form_style_ == TFormStyle::fsMDIChild) return;
    TRect area;
    TCustomForm* around = nullptr;
    switch (position_) {
    case TPosition::poScreenCenter:
    case TPosition::poDesktopCenter:
        area = Screen->WorkAreaRect();
        break;
    case TPosition::poMainFormCenter:
        around = Application ? Application->MainForm() : nullptr;
        break;
    case TPosition::poOwnerFormCenter:
        around = dynamic_cast<TCustomForm*>(Owner());
        if (!around && Application) around = Application->MainForm();
        break;
    default:
        return;
    }
    if (around == this) around = nullptr;
    if (around) {
        area = around->BoundsRect();
    } else if (position_ == TPosition::poMainFormCenter ||
               position_ == TPosition::poOwnerFormCenter) {
        area = Screen->WorkAreaRect();
    }
    SetBounds(area.Left + (area.Width() - width_) / 2, area.Top + (area.Height() - height_) / 2,
              width_, height_);
}

void TCustomForm::CMShowingChanged(TMessage&) {
    if (parent_) {
        // A form placed inside another control shows like any child window.
        if (handle_) ::ShowWindow(handle_, visible_ ? SW_SHOWNA : SW_HIDE);
        return;
    }
    if (visible_) {
        if (form_state_.Contains(TFormStateItem::fsShowing)) return;
        form_state_.Include(TFormStateItem::fsShowing);
        try {
            // The window exists when OnShow runs: a handler may hand it to another thread.
            HandleNeeded();
            DoShow();
            MoveToPosition();
            int cmd = SW_SHOWNORMAL;
            if (window_state_ == TWindowState::wsMaximized) cmd = SW_SHOWMAXIMIZED;
            if (window_state_ == TWindowState::wsMinimized) cmd = SW_SHOWMINIMIZED;
            ::ShowWindow(handle_, cmd);
            if (form_style_ == TFormStyle::fsMDIChild && ::GetParent(handle_))
                ::SendMessageW(::GetParent(handle_), WM_MDIACTIVATE, WPARAM(handle_), 0);
            if (active_control_ && active_control_->CanFocus() &&
                window_state_ != TWindowState::wsMinimized)
                ::SetFocus(active_control_->Handle());
        } catch (...) {
            form_state_.Exclude(TFormStateItem::fsShowing);
            throw;
        }
        form_state_.Exclude(TFormStateItem::fsShowing);
    } else {
        DoHide();
        if (handle_) ::ShowWindow(handle_, SW_HIDE);
    }
}

void TCustomForm::CMTextChanged(TMessage& M) {
    FW_INHERITED(M);
}

TModalResult TCustomForm::ShowModal() {
    if (visible_ || !enabled_ || form_state_.Contains(TFormStateItem::fsModal))
        throw EInvalidOperation("Cannot make a visible window modal");
    if (Application && Application->CaptureControl()) Application->SetCaptureControl(nullptr);
    ::ReleaseCapture();
    form_state_.Include(TFormStateItem::fsModal);
    // Other windows of the program are disabled while the form is up.
    std::vector<HWND> disabled;
    if (Screen)
        for (int i = 0; i < Screen->FormCount(); ++i) {
            TCustomForm* f = Screen->Forms(i);
            if (f == this || !f->HandleAllocated()) continue;
            HWND w = f->WindowHandle();
            if (::IsWindowVisible(w) && ::IsWindowEnabled(w)) {
                ::EnableWindow(w, FALSE);
                disabled.push_back(w);
            }
        }
    auto restore = [&] {
        for (HWND w : disabled)
            if (::IsWindow(w)) ::EnableWindow(w, TRUE);
        form_state_.Exclude(TFormStateItem::fsModal);
    };
    TCloseAction action = TCloseAction::caNone;
    try {
        modal_result_ = mrNone;
        Show();
        ::SendMessageW(Handle(), CM_ACTIVATE, 0, 0);
        do {
            Application->HandleMessage();
            if (Application->Terminated()) modal_result_ = mrCancel;
            if (modal_result_ != mrNone) {
                action = CloseModal();
            }
        } while (modal_result_ == mrNone);
        // Others enabled before the form goes, so the activation goes back to them.
        for (HWND w : disabled)
            if (::IsWindow(w)) ::EnableWindow(w, TRUE);
        disabled.clear();
        if (action != TCloseAction::caNone) Hide();
    } catch (...) {
        restore();
        throw;
    }
    restore();
    TModalResult r = modal_result_;
    if (action == TCloseAction::caFree) Release();
    return r;
}

TCloseAction TCustomForm::CloseModal() {
    TCloseAction action = TCloseAction::caNone;
    if (CloseQuery()) {
        action = TCloseAction::caHide;
        DoClose(action);
    }
    if (action == TCloseAction::caNone) modal_result_ = mrNone;
    return action;
}

bool TCustomForm::CloseQuery() {
    bool can = true;
    OnCloseQuery(this, can);
    return can;
}

void TCustomForm::Close() {
    if (form_state_.Contains(TFormStateItem::fsModal)) {
        modal_result_ = mrCancel;
        return;
    }
    if (!CloseQuery()) return;
    TCloseAction action =
        form_style_ == TFormStyle::fsMDIChild ? TCloseAction::caMinimize : TCloseAction::caHide;
    DoClose(action);
    if (action == TCloseAction::caNone) return;
    if (Application && Application->MainForm() == this) {
        Application->Terminate();
        return;
    }
    switch (action) {
    case TCloseAction::caHide:
        Hide();
        break;
    case TCloseAction::caMinimize:
        SetWindowState(TWindowState::wsMinimized);
        break;
    case TCloseAction::caFree:
        Release();
        break;
    default:
        break;
    }
}

void TCustomForm::Release() {
    if (handle_)
        ::PostMessageW(handle_, CM_RELEASE, 0, 0);
    else
        Free();
}

void TCustomForm::CMRelease(TMessage&) {
    Free();
}

bool TCustomForm::IsShortCut(const MSG& Msg) {
    return menu_ && menu_->IsShortCut(Msg);
}

static void CollectTabStops(TWinControl* Parent, std::vector<TWinControl*>& Out) {
    for (int i = 0; i < Parent->ControlCount(); ++i) {
        auto* w = dynamic_cast<TWinControl*>(Parent->Controls(i));
        if (!w || !w->Visible() || !w->Enabled()) continue;
        if (w->TabStop()) Out.push_back(w);
        CollectTabStops(w, Out);
    }
}

TWinControl* TCustomForm::FindNextControl(TWinControl* Current, bool GoForward) {
    std::vector<TWinControl*> stops;
    CollectTabStops(this, stops);
    if (stops.empty()) return nullptr;
    auto it = std::find(stops.begin(), stops.end(), Current);
    if (it == stops.end()) return GoForward ? stops.front() : stops.back();
    size_t i = size_t(it - stops.begin());
    i = GoForward ? (i + 1) % stops.size() : (i + stops.size() - 1) % stops.size();
    return stops[i];
}

bool TCustomForm::DialogKey(const MSG& Msg) {
    if (Msg.message != WM_KEYDOWN) return false;
    WPARAM key = Msg.wParam;
    if (key != VK_TAB && key != VK_RETURN && key != VK_ESCAPE) return false;
    if (::GetKeyState(VK_CONTROL) < 0 || ::GetKeyState(VK_MENU) < 0) return false;
    MSG copy = Msg;
    LRESULT code = ::SendMessageW(Msg.hwnd, WM_GETDLGCODE, key, LPARAM(&copy));
    if (code & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) return false;
    if (key == VK_TAB && (code & DLGC_WANTTAB)) return false;
    TWinControl* focused = nullptr;
    for (HWND w = Msg.hwnd; w && !focused; w = ::GetParent(w))
        focused = TWinControl::FindControl(w);
    if (key == VK_TAB) {
        bool back = ::GetKeyState(VK_SHIFT) < 0;
        TWinControl* next = FindNextControl(focused, !back);
        if (!next) return false;
        SetActiveControl(next);
        return true;
    }
    // Enter and Esc go to the buttons of the form.
    std::vector<TWinControl*> all;
    std::function<void(TWinControl*)> walk = [&](TWinControl* p) {
        for (int i = 0; i < p->ControlCount(); ++i)
            if (auto* w = dynamic_cast<TWinControl*>(p->Controls(i))) {
                all.push_back(w);
                walk(w);
            }
    };
    walk(this);
    // Controls that answer CM_DIALOGKEY (skinned buttons) take the key first.
    if (SendToAllControls(CM_DIALOGKEY, key, 0)) return true;
    TButton* target = nullptr;
    if (key == VK_RETURN) target = dynamic_cast<TButton*>(focused);
    for (TWinControl* w : all) {
        if (target) break;
        auto* b = dynamic_cast<TButton*>(w);
        if (!b || !b->Visible() || !b->Enabled()) continue;
        if ((key == VK_RETURN && b->Default()) || (key == VK_ESCAPE && b->Cancel())) target = b;
    }
    if (!target) return false;
    target->Click();
    return true;
}

void TCustomForm::SendCancelMode(TControl* Sender) {
    if (!Application) return;
    TControl* c = Application->CaptureControl();
    if (c && c != Sender) c->Perform(CM_CANCELMODE, 0, 0);
}

void TCustomForm::WMClose(TMessage&) {
    Close();
}

void TCustomForm::WMActivate(TMessage& M) {
    bool on = LOWORD(M.WParam) != WA_INACTIVE;
    active_ = on;
    if (on) {
        if (Screen) Screen->SetActiveForm(this);
        Activate();
        if (active_control_ && active_control_->CanFocus() && active_control_->HandleAllocated()) {
            ::SetFocus(active_control_->Handle());
            M.Result = 0;
            return;
        }
    } else {
        Deactivate();
    }
    FW_INHERITED(M);
}

void TCustomForm::WMCommand(TMessage& M) {
    if (M.LParam == 0 && menu_ && menu_->DispatchCommand(LOWORD(M.WParam))) return;
    FW_INHERITED(M);
}

void TCustomForm::WMSize(TMessage& M) {
    if (M.WParam == SIZE_MINIMIZED)
        window_state_ = TWindowState::wsMinimized;
    else if (M.WParam == SIZE_MAXIMIZED)
        window_state_ = TWindowState::wsMaximized;
    else if (M.WParam == SIZE_RESTORED)
        window_state_ = TWindowState::wsNormal;
    FW_INHERITED(M);
}

void TCustomForm::WMQueryEndSession(TMessage& M) {
    M.Result = CloseQuery() ? 1 : 0;
}

// ---- TApplication -------------------------------------------------------------------------

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {
    std::string exe = ExeName();
    size_t slash = exe.find_last_of("\\/");
    if (slash != std::string::npos) exe.erase(0, slash + 1);
    size_t dot = exe.rfind('.');
    if (dot != std::string::npos) exe.erase(dot);
    title_ = exe;
}

TApplication::~TApplication() {
    DestroyComponents();
    if (handle_) DeallocateHWnd(handle_);
}

void TApplication::Initialize() {}

std::string TApplication::ExeName() const {
    wchar_t buf[MAX_PATH * 2];
    DWORD n = ::GetModuleFileNameW(nullptr, buf, DWORD(std::size(buf)));
    return WideToGbk(std::wstring_view(buf, n));
}

HWND TApplication::Handle() {
    if (!handle_) handle_ = AllocateHWnd(TWndMethod(this, &TApplication::WndProc));
    return handle_;
}

void TApplication::WndProc(TMessage& Message) {
    Message.Result = ::DefWindowProcW(handle_, Message.Msg, Message.WParam, Message.LParam);
}

TCustomForm* TApplication::CreateForm(const TMetaClass* FormClass) {
    TComponent* c = FormClass->CreateComponent(this);
    auto* form = dynamic_cast<TCustomForm*>(c);
    if (!form) {
        if (c) c->Free();
        throw EInvalidOperation("Class " + FormClass->ClassName() + " is not a form");
    }
    try {
        form->AfterConstruction();
    } catch (...) {
        form->Free();
        throw;
    }
    if (!main_form_) main_form_ = form;
    return form;
}

void TApplication::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == TOperation::opRemove && AComponent == main_form_) main_form_ = nullptr;
}

void TApplication::Run() {
    if (main_form_ && ShowMainForm) main_form_->Show();
    while (!terminated_) {
        try {
            HandleMessage();
        } catch (...) {
            HandleException(this);
        }
    }
}

bool TApplication::ProcessMessage(MSG& Msg) {
    if (!::PeekMessageW(&Msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (Msg.message == WM_QUIT) {
        terminated_ = true;
        return true;
    }
    bool handled = false;
    OnMessage(Msg, handled);
    if (!handled && (Msg.message == WM_KEYDOWN || Msg.message == WM_SYSKEYDOWN)) {
        for (HWND w = Msg.hwnd; w && !handled; w = ::GetParent(w))
            if (TWinControl* c = TWinControl::FindControl(w)) {
                if (TCustomForm* f = GetParentForm(c))
                    handled = f->IsShortCut(Msg) || f->DialogKey(Msg);
                break;
            }
    }
    // Alt with a letter: the control whose caption marks it as accelerator takes it.
    if (!handled && Msg.message == WM_SYSCHAR)
        for (HWND w = Msg.hwnd; w; w = ::GetParent(w))
            if (TWinControl* c = TWinControl::FindControl(w)) {
                if (TCustomForm* f = GetParentForm(c))
                    handled = f->SendToAllControls(CM_DIALOGCHAR, Msg.wParam, Msg.lParam);
                break;
            }
    if (!handled && main_form_ && main_form_->ClientHandle() &&
        (Msg.message == WM_KEYDOWN || Msg.message == WM_SYSKEYDOWN))
        handled = ::TranslateMDISysAccel(main_form_->ClientHandle(), &Msg) != FALSE;
    if (!handled) {
        ::TranslateMessage(&Msg);
        ::DispatchMessageW(&Msg);
    }
    return true;
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (ProcessMessage(msg)) {
    }
}

void TApplication::Idle() {
    bool done = true;
    try {
        OnIdle(this, done);
    } catch (...) {
        HandleException(this);
    }
    FreeDeviceContexts();
    if (done) ::WaitMessage();
}

void TApplication::HandleMessage() {
    MSG msg;
    if (!ProcessMessage(msg)) Idle();
}

void TApplication::Terminate() {
    ::PostQuitMessage(0);
}

void TApplication::HandleException(TObject* Sender) {
    if (!std::current_exception()) return;
    try {
        throw;
    } catch (const Exception& e) {
        if (OnException)
            OnException(Sender, e);
        else
            ShowException(e);
    } catch (const std::exception& e) {
        Exception wrapped(e.what());
        if (OnException)
            OnException(Sender, wrapped);
        else
            ShowException(wrapped);
    } catch (...) {
        Exception wrapped("Unknown exception");
        if (OnException)
            OnException(Sender, wrapped);
        else
            ShowException(wrapped);
    }
}

void TApplication::ShowException(const Exception& E) {
    std::string msg = E.Message();
    if (!msg.empty() && msg.back() != '.') msg += '.';
    ::MessageBoxW(main_form_ && main_form_->HandleAllocated() ? main_form_->WindowHandle()
                                                              : nullptr,
                  GbkToWide(msg).c_str(), GbkToWide(title_).c_str(), MB_OK | MB_ICONSTOP);
}

void TApplication::Minimize() {
    if (main_form_ && main_form_->HandleAllocated())
        ::ShowWindow(main_form_->WindowHandle(), SW_MINIMIZE);
    if (OnMinimize) OnMinimize(this);
}
void TApplication::Restore() {
    if (main_form_ && main_form_->HandleAllocated())
        ::ShowWindow(main_form_->WindowHandle(), SW_RESTORE);
    if (OnRestore) OnRestore(this);
}
void TApplication::BringToFront() {
    if (main_form_ && main_form_->HandleAllocated())
        ::SetForegroundWindow(main_form_->WindowHandle());
}

void TApplication::SetMouseControl(TControl* Control) {
    if (Control == mouse_control_) return;
    TControl* old = mouse_control_;
    mouse_control_ = Control;
    if (old) old->Perform(CM_MOUSELEAVE, 0, LPARAM(Control));
    // The leave handler may have moved the mouse control on.
    if (Control && mouse_control_ == Control) Control->Perform(CM_MOUSEENTER, 0, LPARAM(old));
}

void TApplication::SetCaptureControl(TControl* Control) {
    capture_control_ = Control;
    if (!Control) {
        ::ReleaseCapture();
        return;
    }
    auto* w = dynamic_cast<TWinControl*>(Control);
    if (!w) w = Control->Parent();
    if (w && w->HandleAllocated()) ::SetCapture(w->WindowHandle());
}

void TApplication::ControlDestroying(TControl* Control) {
    if (mouse_control_ == Control) mouse_control_ = nullptr;
    if (capture_control_ == Control) {
        capture_control_ = nullptr;
        ::ReleaseCapture();
    }
}

void TApplication::WindowDestroying(TWinControl* Control) {
    if (capture_control_ == Control) capture_control_ = nullptr;
}

// ---- TScreen ------------------------------------------------------------------------------

TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner) {}

TScreen::~TScreen() {
    for (TMonitor* m : monitors_)
        delete m;
}

TCustomForm* TScreen::Forms(int Index) const {
    if (Index < 0 || Index >= FormCount()) throw EListError("List index out of bounds");
    return forms_[size_t(Index)];
}

void TScreen::AddForm(TCustomForm* Form) {
    forms_.push_back(Form);
}

void TScreen::RemoveForm(TCustomForm* Form) {
    forms_.erase(std::remove(forms_.begin(), forms_.end(), Form), forms_.end());
    if (active_form_ == Form) active_form_ = nullptr;
}

void TScreen::SetActiveForm(TCustomForm* Form) {
    if (Form == active_form_) return;
    active_form_ = Form;
    // The active form is first in the list.
    auto it = std::find(forms_.begin(), forms_.end(), Form);
    if (it != forms_.end()) std::rotate(forms_.begin(), it, it + 1);
    OnActiveFormChange(this);
}

TWinControl* TScreen::ActiveControl() const {
    return TWinControl::FindControl(::GetFocus());
}

void TScreen::SetCursor(TCursor Value) {
    if (Value == cursor_) return;
    cursor_ = Value;
    POINT p{};
    ::GetCursorPos(&p);
    if (Value == crDefault)
        ::SetCursorPos(p.x, p.y); // the window under the mouse sets its own again
    else
        ::SetCursor(CursorHandle(Value));
}

HCURSOR TScreen::Cursors(TCursor Index) const {
    return CursorHandle(Index);
}

int TScreen::Width() const {
    return ::GetSystemMetrics(SM_CXSCREEN);
}
int TScreen::Height() const {
    return ::GetSystemMetrics(SM_CYSCREEN);
}

TRect TScreen::DesktopRect() const {
    return Bounds(::GetSystemMetrics(SM_XVIRTUALSCREEN), ::GetSystemMetrics(SM_YVIRTUALSCREEN),
                  ::GetSystemMetrics(SM_CXVIRTUALSCREEN), ::GetSystemMetrics(SM_CYVIRTUALSCREEN));
}

TRect TScreen::WorkAreaRect() const {
    RECT r{};
    if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0)) return Bounds(0, 0, Width(), Height());
    return FromRECT(r);
}

int TScreen::PixelsPerInch() const {
    win::WindowDc dc(nullptr);
    return ::GetDeviceCaps(dc.get(), LOGPIXELSY);
}

static BOOL CALLBACK EnumMonitor(HMONITOR Monitor, HDC, LPRECT, LPARAM Data) {
    auto* list = reinterpret_cast<std::vector<TMonitor*>*>(Data);
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    if (!::GetMonitorInfoW(Monitor, &mi)) return TRUE;
    auto* m = new TMonitor;
    m->Handle = Monitor;
    m->MonitorNum = int(list->size());
    m->BoundsRect = FromRECT(mi.rcMonitor);
    m->WorkareaRect = FromRECT(mi.rcWork);
    m->Primary = (mi.dwFlags & MONITORINFOF_PRIMARY) != 0;
    list->push_back(m);
    return TRUE;
}

void TScreen::LoadMonitors() {
    for (TMonitor* m : monitors_)
        delete m;
    monitors_.clear();
    ::EnumDisplayMonitors(nullptr, nullptr, &EnumMonitor, LPARAM(&monitors_));
}

int TScreen::MonitorCount() {
    if (monitors_.empty()) LoadMonitors();
    return int(monitors_.size());
}

TMonitor* TScreen::Monitors(int Index) {
    if (Index < 0 || Index >= MonitorCount()) throw EListError("List index out of bounds");
    return monitors_[size_t(Index)];
}

TMonitor* TScreen::MonitorFromWindow(HWND Wnd) {
    HMONITOR h = ::MonitorFromWindow(Wnd, MONITOR_DEFAULTTONEAREST);
    for (int i = 0; i < MonitorCount(); ++i)
        if (monitors_[size_t(i)]->Handle == h) return monitors_[size_t(i)];
    LoadMonitors();
    for (TMonitor* m : monitors_)
        if (m->Handle == h) return m;
    return monitors_.empty() ? nullptr : monitors_[0];
}

} // namespace dvr::fw
