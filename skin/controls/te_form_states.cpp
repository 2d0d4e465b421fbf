// The skinned form's five window states and its notification-area icon. The states are
// the hook's own: each operation computes the new bounds and sets them.
#include "skin/controls/te_form.h"

#include "common/win/textconv.h"

#include <algorithm>

namespace dvr::skin {

namespace {

bool FormIsModal(fw::TCustomForm* Form) {
    return Form && Form->FormState().Contains(fw::TFormStateItem::fsModal);
}

void CopyTrayTip(NOTIFYICONDATAW& Data, const std::wstring& Text) {
    // The first-version record holds 64 characters with the terminating zero.
    size_t n = std::min<size_t>(Text.size(), 63);
    std::fill(std::begin(Data.szTip), std::end(Data.szTip), L'\0');
    std::copy_n(Text.begin(), n, Data.szTip);
}

} // namespace

bool TTeDefaultForm::RunFormAction(TTeFormActionEvent& Event) {
    bool call_default = true;
    if (Event) Event(this, call_default);
    return call_default;
}

// Going into another state: the bounds to come back to are kept when leaving normal.
void TTeDefaultForm::LeaveNormalState() {
    if (window_state_ == TTeWindowState::kwsNormal &&
        pending_window_state_ == TTeWindowState::kwsNormal)
        if (fw::TWinControl* c = GetControl()) restore_rect_ = c->BoundsRect();
    previous_state_ = window_state_;
}

void TTeDefaultForm::Maximize() {
    hot_part_ = kfhAfterStateChange;
    if (!RunFormAction(OnMaximize)) return;
    if (window_state_ == TTeWindowState::kwsMaximized) {
        Restore();
        return;
    }
    LeaveNormalState();
    window_state_ = TTeWindowState::kwsMaximized;
    TRect r;
    GetMaximizedRect(r);
    SetFormBounds(r);
    if (IsMDIChild()) {
        GetMaximizedRect(r);
        SetFormBounds(r);
        UpdateFrame();
    } else {
        Invalidate();
        PaintFrame();
    }
    pending_window_state_ = TTeWindowState::kwsNormal;
    MDIChildMaximized();
}

void TTeDefaultForm::Minimize() {
    hot_part_ = kfhAfterStateChange;
    fw::TCustomForm* form = GetForm();
    if (!form || FormIsModal(form)) return;
    if (!RunFormAction(OnMinimize)) return;
    if (window_state_ == TTeWindowState::kwsMinimized) {
        Restore();
        return;
    }
    const bool was_maximized = window_state_ == TTeWindowState::kwsMaximized;
    LeaveNormalState();
    window_state_ = TTeWindowState::kwsMinimized;
    if (was_maximized) MDIChildLeftMaximized();
    HWND wnd = GetHandle();
    if (IsMDIChild()) {
        UpdateFrame();
        if (wnd) ::PostMessageW(wnd, WM_SIZE, 0, 0);
    }
    if (wnd && !::GetWindow(wnd, GW_OWNER)) {
        if (!minimizing_by_system_) ::PostMessageW(wnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    } else if (minimize_application_ && fw::Application) {
        fw::Application->Minimize();
    } else {
        TRect r;
        GetMinimizedRect(r);
        SetFormBounds(r);
    }
    pending_window_state_ = TTeWindowState::kwsNormal;
}

// WM_SYSCOMMAND SC_MINIMIZE and a minimizing WM_ACTIVATE: Windows minimizes the window
// itself. Minimize posts SC_MINIMIZE to itself, and that must neither toggle the form
// back out of the state nor minimize it again after a restore.
void TTeDefaultForm::MinimizeFromSystem() {
    if (window_state_ == TTeWindowState::kwsMinimized || window_state_ == TTeWindowState::kwsTray)
        return;
    minimizing_by_system_ = true;
    try {
        Minimize();
    } catch (...) {
        minimizing_by_system_ = false;
        throw;
    }
    minimizing_by_system_ = false;
}

void TTeDefaultForm::Rollup() {
    hot_part_ = kfhAfterStateChange;
    if (!RunFormAction(OnRollup)) return;
    if (window_state_ == TTeWindowState::kwsRollup) {
        Restore();
        return;
    }
    LeaveNormalState();
    window_state_ = TTeWindowState::kwsRollup;
    TRect r;
    GetRolledUpRect(r);
    SetFormBounds(r);
    pending_window_state_ = TTeWindowState::kwsNormal;
}

void TTeDefaultForm::MinimizeToTray() {
    hot_part_ = kfhAfterStateChange;
    fw::TCustomForm* form = GetForm();
    if (!form || FormIsModal(form)) return;
    if (!RunFormAction(OnMinToTray)) return;
    if (window_state_ == TTeWindowState::kwsTray) {
        Restore();
        return;
    }
    LeaveNormalState();
    window_state_ = TTeWindowState::kwsTray;
    if (minimize_application_ && fw::Application) {
        CopyTrayTip(tray_icon_data_, win::GbkToWide(fw::Application->Title()));
        fw::Application->Minimize();
        // The main form's window is the application's task-bar window here.
        fw::TCustomForm* main = fw::Application->MainForm();
        HWND app = main && main->HandleAllocated() ? main->WindowHandle() : GetHandle();
        if (app) ::ShowWindow(app, SW_HIDE);
        if (HWND wnd = GetHandle(); wnd && wnd != app) ::ShowWindow(wnd, SW_HIDE);
    } else {
        CopyTrayTip(tray_icon_data_, caption_);
        if (HWND wnd = GetHandle()) ::ShowWindow(wnd, SW_HIDE);
    }
    ::Shell_NotifyIconW(NIM_ADD, &tray_icon_data_);
    pending_window_state_ = TTeWindowState::kwsNormal;
}

void TTeDefaultForm::Restore() {
    hot_part_ = kfhAfterStateChange;
    HWND wnd = GetHandle();
    const bool was_maximized = window_state_ == TTeWindowState::kwsMaximized;
    switch (window_state_) {
    case TTeWindowState::kwsNormal:
        // Nothing to go back to before the form has left the normal state once.
        if (RectHasArea(restore_rect_)) SetFormBounds(restore_rect_);
        break;
    case TTeWindowState::kwsMaximized:
        if (previous_state_ == TTeWindowState::kwsMinimized) {
            if (!minimize_application_) {
                window_state_ = TTeWindowState::kwsNormal;
                SetFormBounds(restore_rect_);
                Maximize();
            }
        } else if (previous_state_ == TTeWindowState::kwsRollup) {
            window_state_ = TTeWindowState::kwsNormal;
            SetFormBounds(restore_rect_);
            Rollup();
        } else {
            previous_state_ = TTeWindowState::kwsMaximized;
            window_state_ = TTeWindowState::kwsNormal;
            SetFormBounds(restore_rect_);
            if (shadow_->Enabled()) {
                Invalidate();
                PaintFrame();
            }
            if (IsMDIChild()) {
                UpdateFrame();
                if (wnd) ::PostMessageW(wnd, WM_SIZE, 0, 0);
            }
        }
        break;
    case TTeWindowState::kwsMinimized:
        // Minimized through Windows: the window comes out of its icon first, so that
        // the bounds set below are the window's own and not the icon's.
        if (wnd && ::IsIconic(wnd)) ::ShowWindow(wnd, SW_RESTORE);
        if (previous_state_ == TTeWindowState::kwsMaximized) {
            Maximize();
        } else if (previous_state_ == TTeWindowState::kwsRollup) {
            Rollup();
        } else {
            window_state_ = TTeWindowState::kwsNormal;
            SetFormBounds(restore_rect_);
        }
        previous_state_ = TTeWindowState::kwsNormal;
        break;
    case TTeWindowState::kwsRollup: {
        TRect max;
        GetMaximizedRect(max);
        if (max.Width() == form_width_ || previous_state_ == TTeWindowState::kwsMaximized) {
            Maximize();
        } else {
            window_state_ = TTeWindowState::kwsNormal;
            if (fw::TWinControl* c = GetControl()) {
                int w = restore_rect_.Width(), h = restore_rect_.Height();
                restore_rect_ = TRect{c->Left(), c->Top(), c->Left() + w, c->Top() + h};
            }
            SetFormBounds(restore_rect_);
        }
        break;
    }
    case TTeWindowState::kwsTray: {
        if (minimize_application_ && fw::Application) {
            fw::Application->Restore();
            fw::TCustomForm* main = fw::Application->MainForm();
            HWND app = main && main->HandleAllocated() ? main->WindowHandle() : wnd;
            if (app) ::ShowWindow(app, SW_RESTORE);
            if (wnd && wnd != app) ::ShowWindow(wnd, SW_RESTORE);
            if (app) ::SetForegroundWindow(app);
        } else if (wnd) {
            ::ShowWindow(wnd, SW_RESTORE);
            ::SetForegroundWindow(wnd);
        }
        ::Shell_NotifyIconW(NIM_DELETE, &tray_icon_data_);
        TRect keep = restore_rect_;
        if (previous_state_ == TTeWindowState::kwsMaximized) {
            Maximize();
        } else if (previous_state_ == TTeWindowState::kwsRollup) {
            Rollup();
        } else {
            window_state_ = TTeWindowState::kwsNormal;
            SetFormBounds(restore_rect_);
        }
        restore_rect_ = keep;
        previous_state_ = TTeWindowState::kwsNormal;
        break;
    }
    }
    pending_window_state_ = TTeWindowState::kwsNormal;
    if (was_maximized && window_state_ != TTeWindowState::kwsMaximized) MDIChildLeftMaximized();
}

void TTeDefaultForm::Close() {
    hot_part_ = kfhAfterStateChange;
    if (!RunFormAction(OnClose)) return;
    fw::TCustomForm* form = GetForm();
    if (!form) return;
    // The form's own close: a modal form gets mrCancel, the main form ends the
    // application, another is hidden (or handled by its OnClose action).
    form->Close();
    // An MDI child closes by minimizing: the form did it through Windows, the hook's
    // state (and the parent's menu bar) must follow.
    if (HWND wnd = GetHandle(); wnd && IsMDIChild() && ::IsIconic(wnd)) MinimizeFromSystem();
}

void TTeDefaultForm::Help() {
    hot_part_ = kfhAfterStateChange;
    if (HWND wnd = GetHandle()) ::SendMessageW(wnd, WM_SYSCOMMAND, SC_CONTEXTHELP, 0);
}

void TTeDefaultForm::UpdateTrayIcon() {
    HICON icon = nullptr;
    if (auto* form = dynamic_cast<fw::TCustomForm*>(Owner()); form && !form->Icon()->Empty())
        icon = form->Icon()->Handle();
    if (!icon) icon = ::LoadIconW(::GetModuleHandleW(nullptr), L"MAINICON");
    if (!icon) icon = ::LoadIconW(nullptr, IDI_APPLICATION);
    tray_icon_data_.hIcon = icon;
    ::Shell_NotifyIconW(NIM_MODIFY, &tray_icon_data_);
}

void TTeDefaultForm::RemoveTrayIcon() {
    ::Shell_NotifyIconW(NIM_DELETE, &tray_icon_data_);
}

void TTeDefaultForm::TrayWndProc(fw::TMessage& Message) {
    // The utility window only carries the icon's messages; it never takes the form
    // window's message handlers, which would read its geometry as the form's.
    Message.Result = 0;
    try {
        switch (Message.Msg) {
        case WM_QUERYENDSESSION:
            Message.Result = 1;
            break;
        case WM_ENDSESSION:
            RemoveTrayIcon();
            break;
        case TM_TRAYICON:
            if (Message.LParam == WM_LBUTTONDBLCLK)
                Restore();
            else if (Message.LParam == WM_RBUTTONUP)
                ShowSystemMenu();
            break;
        default:
            break;
        }
    } catch (...) {
        if (fw::Application) fw::Application->HandleException(this);
    }
}

void TTeDefaultForm::AppMinimize(fw::TObject* Sender) {
    fw::TNotifyEvent self = fw::Application->OnMinimize;
    fw::Application->OnMinimize = nullptr;
    try {
        if (window_state_ != TTeWindowState::kwsMinimized &&
            window_state_ != TTeWindowState::kwsTray && minimize_application_)
            Minimize();
        if (saved_on_minimize_) saved_on_minimize_(Sender);
    } catch (...) {
        fw::Application->OnMinimize = self;
        throw;
    }
    fw::Application->OnMinimize = self;
}

void TTeDefaultForm::AppRestore(fw::TObject* Sender) {
    fw::TNotifyEvent self = fw::Application->OnRestore;
    fw::Application->OnRestore = nullptr;
    try {
        if (window_state_ == TTeWindowState::kwsMinimized && minimize_application_) {
            Restore();
            PaintFrame();
        }
        if (saved_on_restore_) saved_on_restore_(Sender);
    } catch (...) {
        fw::Application->OnRestore = self;
        throw;
    }
    fw::Application->OnRestore = self;
}

} // namespace dvr::skin
