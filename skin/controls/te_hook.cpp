#include "skin/controls/te_hook.h"

#include "framework/ui/forms.h"

#include <algorithm>

namespace dvr::skin {

using fw::TMessage;
using fw::TWinControl;

namespace {

THookList* g_hook_list = nullptr;

void ReportCaught(fw::TObject* Sender) {
    if (fw::Application) fw::Application->HandleException(Sender);
}

struct HookListEnd {
    ~HookListEnd() { FreeHookList(); }
} hook_list_end;

} // namespace

THookList* GetHookList() {
    if (!g_hook_list) g_hook_list = new THookList();
    return g_hook_list;
}

THookList* HookListIfAny() {
    return g_hook_list;
}

void FreeHookList() {
    THookList* list = g_hook_list;
    g_hook_list = nullptr;
    delete list;
}

// ---- TTeHook ----------------------------------------------------------------------------

TTeHook::TTeHook(fw::TComponent* AOwner) : fw::TComponent(AOwner) {
    active_ = true;
}

TTeHook::~TTeHook() {
    TControlHook* released = control_hook_;
    TTeHook::SetActive(false);
    SetControl(nullptr);
    // Deactivating first leaves SetControl nothing to release: free an orphaned
    // control hook here, or it would stay in the list with a stale control.
    if (released && released->HookCount() == 0 && g_hook_list && g_hook_list->Handle())
        ::PostMessageW(g_hook_list->Handle(), HM_FREEHOOK, 0, LPARAM(released));
}

void TTeHook::SetActive(bool Value) {
    if (Value == active_) return;
    if (Value)
        HookControl();
    else
        UnhookControl();
}

void TTeHook::HookControl() {
    if (control_ && !Destroying()) GetHookList()->GetControlHook(control_)->AddHook(this);
    active_ = true;
}

TControlHook* TTeHook::ReleaseControlHook() {
    TControlHook* released = control_hook_;
    if (released) released->RemoveHook(this);
    active_ = false;
    return released;
}

void TTeHook::UnhookControl() {
    ReleaseControlHook();
    active_ = false;
}

void TTeHook::SetControl(TWinControl* Value) {
    if (Value == GetControl()) return;
    bool was_active = active_;
    TControlHook* released = ReleaseControlHook();
    if (control_ && control_ != Value) control_->RemoveFreeNotification(this);
    control_ = Value;
    if (control_) control_->FreeNotification(this);
    if (released && released->HookCount() == 0 && g_hook_list && g_hook_list->Handle())
        ::PostMessageW(g_hook_list->Handle(), HM_FREEHOOK, 0, LPARAM(released));
    if (was_active) HookControl();
}

void TTeHook::Notification(fw::TComponent* AComponent, fw::TOperation Operation) {
    fw::TComponent::Notification(AComponent, Operation);
    if (Operation != fw::TOperation::opRemove || !AComponent || AComponent != control_) return;
    // The control is going away: let go of it so that neither this hook nor the
    // control's hook object keeps a pointer to a freed control.
    bool was_active = active_;
    TControlHook* released = ReleaseControlHook();
    control_ = nullptr;
    if (released && released->HookCount() == 0) {
        released->SetControl(nullptr);
        if (g_hook_list && g_hook_list->Handle())
            ::PostMessageW(g_hook_list->Handle(), HM_FREEHOOK, 0, LPARAM(released));
    }
    active_ = was_active;
}

TWinControl* TTeHook::GetControl() const {
    return control_hook_ ? control_hook_->Control() : control_;
}

fw::TCustomForm* TTeHook::GetForm() const {
    TWinControl* c = GetControl();
    return c && c->InheritsFrom(fw::TCustomForm::StaticClass()) ? static_cast<fw::TCustomForm*>(c)
                                                                : nullptr;
}

HWND TTeHook::GetHandle() const {
    return control_ ? control_->Handle() : nullptr;
}

void TTeHook::HandleMessage(TMessage& /*Message*/, bool& /*Handled*/) {}

void TTeHook::DispatchHookedMessage(TMessage& Message, bool& Handled) {
    handled_ = Handled;
    try {
        Dispatch(Message);
    } catch (...) {
        Handled = handled_;
        throw;
    }
    Handled = handled_;
}

// ---- TControlHook -----------------------------------------------------------------------

TControlHook::TControlHook() {
    object_instance_ = fw::MakeObjectInstance(fw::TWndMethod(this, &TControlHook::WndProc));
}

TControlHook::~TControlHook() {
    destroying_ = true;
    if (g_hook_list) g_hook_list->Remove(this);
    while (!hooks_.empty())
        RemoveHook(hooks_.back());
    control_ = nullptr;
    hooks_.clear();
    fw::FreeObjectInstance(object_instance_);
}

void TControlHook::AddHook(TTeHook* Hook) {
    if (std::find(hooks_.begin(), hooks_.end(), Hook) == hooks_.end()) {
        hooks_.push_back(Hook);
        Hook->control_hook_ = this;
        SetControl(Hook->control_);
        last_hook_ = Hook;
    }
    HookWindow();
}

void TControlHook::RemoveHook(TTeHook* Hook) {
    Hook->control_hook_ = nullptr;
    hooks_.erase(std::remove(hooks_.begin(), hooks_.end(), Hook), hooks_.end());
    last_hook_ = nullptr;
    if (hooks_.empty()) UnhookWindow();
}

void TControlHook::SetControl(TWinControl* Value) {
    if (Value == control_) return;
    UnhookWindow();
    control_ = Value;
    if (!hooks_.empty()) HookWindow();
}

void TControlHook::HookWindow() {
    if (!control_ || control_->Destroying() || destroying_) return;
    control_->HandleNeeded();
    HWND wnd = control_->WindowHandle();
    if (!wnd) return;
    auto proc = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(wnd, GWLP_WNDPROC));
    if (proc != object_instance_) {
        old_wnd_proc_ = proc;
        ::SetWindowLongPtrW(wnd, GWLP_WNDPROC, LONG_PTR(object_instance_));
    }
}

void TControlHook::UnhookWindow() {
    if (control_ && old_wnd_proc_ && control_->HandleAllocated()) {
        HWND wnd = control_->WindowHandle();
        if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(wnd, GWLP_WNDPROC)) == object_instance_) {
            if (last_hook_) last_hook_->ReleaseCanvasDC();
            ::SetWindowLongPtrW(wnd, GWLP_WNDPROC, LONG_PTR(old_wnd_proc_));
        }
    }
    old_wnd_proc_ = nullptr;
}

void TControlHook::CallHooks(int Pass, TMessage& Message, bool& Handled) {
    if (hooks_.empty() || !control_ || destroying_ || control_->Destroying()) return;
    // A hook may detach itself or others while handling: walk a copy and skip the gone.
    std::vector<TTeHook*> order(hooks_.rbegin(), hooks_.rend());
    for (TTeHook* hook : order) {
        if (std::find(hooks_.begin(), hooks_.end(), hook) == hooks_.end()) continue;
        try {
            if (Pass == 0)
                hook->DispatchHookedMessage(Message, Handled);
            else
                hook->HandleMessage(Message, Handled);
        } catch (...) {
            ReportCaught(hook);
        }
        if (Handled) break;
    }
}

void TControlHook::WndProc(TMessage& Message) {
    bool handled = false;
    if (!control_) return;
    HWND wnd = control_->WindowHandle();
    if (Message.Msg != WM_QUIT) CallHooks(0, Message, handled);
    if (!handled || Message.Msg == WM_DESTROY) {
        // The hooks may have let go of the window meanwhile; the procedure to call is
        // the one that was there before, or the control's own.
        WNDPROC proc = old_wnd_proc_;
        if (!proc && control_) proc = control_->DefWndProc();
        if (!proc) proc = ::DefWindowProcW;
        struct AfterPass {
            TControlHook* self;
            TMessage& m;
            bool& handled;
            ~AfterPass() {
                try {
                    self->CallHooks(1, m, handled);
                } catch (...) {
                    ReportCaught(self);
                }
            }
        } after{this, Message, handled};
        Message.Result = ::CallWindowProcW(proc, wnd, Message.Msg, Message.WParam, Message.LParam);
    }
    if (Message.Msg == WM_DESTROY) {
        UnhookWindow();
        if (g_hook_list && g_hook_list->Handle() && !destroying_ && control_ &&
            !control_->Destroying())
            ::PostMessageW(g_hook_list->Handle(), HM_REHOOK, 0, LPARAM(this));
    }
}

// ---- THookList --------------------------------------------------------------------------

THookList::THookList() {
    handle_ = fw::AllocateHWnd(fw::TWndMethod(this, &THookList::WndProc));
}

THookList::~THookList() {
    while (!items_.empty()) {
        TControlHook* last = items_.back();
        items_.pop_back();
        delete last;
    }
    fw::DeallocateHWnd(handle_);
    handle_ = nullptr;
}

int THookList::IndexOf(const TControlHook* Hook) const {
    auto it = std::find(items_.begin(), items_.end(), Hook);
    return it == items_.end() ? -1 : int(it - items_.begin());
}

void THookList::Remove(const TControlHook* Hook) {
    items_.erase(std::remove(items_.begin(), items_.end(), Hook), items_.end());
}

TControlHook* THookList::FindControlHook(const TWinControl* Control) const {
    if (!Control) return nullptr;
    for (TControlHook* h : items_)
        if (h->Control() == Control) return h;
    return nullptr;
}

TControlHook* THookList::GetControlHook(TWinControl* Control) {
    if (TControlHook* found = FindControlHook(Control)) return found;
    auto* hook = new TControlHook();
    try {
        items_.push_back(hook);
        hook->SetControl(Control);
    } catch (...) {
        delete hook;
        throw;
    }
    return hook;
}

void THookList::WndProc(TMessage& Message) {
    try {
        if (Message.Msg == HM_REHOOK || Message.Msg == HM_FREEHOOK) {
            auto* hook = reinterpret_cast<TControlHook*>(Message.LParam);
            if (IndexOf(hook) < 0) return;
            if (Message.Msg == HM_REHOOK)
                hook->HookWindow();
            else if (hook->HookCount() == 0)
                delete hook;
            return;
        }
        Message.Result = ::DefWindowProcW(handle_, Message.Msg, Message.WParam, Message.LParam);
    } catch (...) {
        ReportCaught(nullptr);
    }
}

} // namespace dvr::skin
