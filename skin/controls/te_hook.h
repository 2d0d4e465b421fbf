// Window hooks: a component that watches another windowed control's messages.
//
// TTeHook components attach to a control through one TControlHook per control, which
// subclasses the control's window and offers each message to the attached hooks before
// (DispatchHookedMessage) and after (HandleMessage) the control's own procedure; the
// hook attached last is asked first. A before-hook that marks a message handled keeps it
// from the older hooks and from the control. The subclassing survives RecreateWnd: it is
// undone on WM_DESTROY and made again through a message posted to the hook list's
// utility window.
#pragma once

#include "framework/component.h"
#include "framework/message.h"
#include "framework/ui/controls.h"

#include <windows.h>

#include <vector>

namespace dvr::fw {
class TCustomForm;
}

namespace dvr::skin {

class TControlHook;

// Posted to the hook list's window with lParam = the TControlHook.
constexpr uint32_t HM_REHOOK = 0xB0DE;
constexpr uint32_t HM_FREEHOOK = 0xB0DF;

class TTeHook : public fw::TComponent {
    FW_CLASS(TTeHook, fw::TComponent)
public:
    explicit TTeHook(fw::TComponent* AOwner);
    ~TTeHook() override;

    bool Active() const { return active_; }
    virtual void SetActive(bool Value);
    // After-hook: the control's procedure has handled Message.
    virtual void HandleMessage(fw::TMessage& Message, bool& Handled);
    // Before-hook: dispatches Message to this class's message methods; a method that
    // consumes it calls MarkHandled.
    virtual void DispatchHookedMessage(fw::TMessage& Message, bool& Handled);
    // The window procedure is about to be given back.
    virtual void ReleaseCanvasDC() {}

    fw::TWinControl* GetControl() const;
    void SetControl(fw::TWinControl* Value);
    fw::TCustomForm* GetForm() const;
    // The control's window (made when needed), 0 without a control.
    HWND GetHandle() const;
    TControlHook* ControlHook() const { return control_hook_; }
    bool Handled() const { return handled_; }

protected:
    void MarkHandled() { handled_ = true; }
    void HookControl();
    TControlHook* ReleaseControlHook();
    void UnhookControl();
    void Notification(fw::TComponent* AComponent, fw::TOperation Operation) override;

private:
    friend class TControlHook;
    bool active_ = true;
    fw::TWinControl* control_ = nullptr;
    TControlHook* control_hook_ = nullptr;
    bool handled_ = false;
};

class TControlHook : public fw::TObject {
    FW_CLASS(TControlHook, fw::TObject)
public:
    TControlHook();
    ~TControlHook() override;

    void AddHook(TTeHook* Hook);
    void RemoveHook(TTeHook* Hook);
    void SetControl(fw::TWinControl* Value);
    fw::TWinControl* Control() const { return control_; }
    void HookWindow();
    void UnhookWindow();
    // Pass 0: before-hooks, pass 1: after-hooks; last attached first, stopping once a
    // hook has handled the message.
    void CallHooks(int Pass, fw::TMessage& Message, bool& Handled);
    void WndProc(fw::TMessage& Message);

    int HookCount() const { return int(hooks_.size()); }
    TTeHook* Hooks(int Index) const { return hooks_[size_t(Index)]; }
    TTeHook* LastHook() const { return last_hook_; }
    WNDPROC ObjectInstance() const { return object_instance_; }
    WNDPROC OldWndProc() const { return old_wnd_proc_; }

private:
    TTeHook* last_hook_ = nullptr;
    fw::TWinControl* control_ = nullptr;
    WNDPROC object_instance_ = nullptr;
    WNDPROC old_wnd_proc_ = nullptr;
    std::vector<TTeHook*> hooks_;
    bool destroying_ = false;
};

// Every TControlHook, one per hooked control, and the window for deferred work.
class THookList : public fw::TObject {
    FW_CLASS(THookList, fw::TObject)
public:
    THookList();
    ~THookList() override;
    THookList(const THookList&) = delete;
    THookList& operator=(const THookList&) = delete;

    HWND Handle() const { return handle_; }
    int Count() const { return int(items_.size()); }
    TControlHook* Items(int Index) const { return items_[size_t(Index)]; }
    int IndexOf(const TControlHook* Hook) const;
    void Add(TControlHook* Hook) { items_.push_back(Hook); }
    void Remove(const TControlHook* Hook);
    TControlHook* FindControlHook(const fw::TWinControl* Control) const;
    TControlHook* GetControlHook(fw::TWinControl* Control);

private:
    void WndProc(fw::TMessage& Message);
    std::vector<TControlHook*> items_;
    HWND handle_ = nullptr;
};

// The one hook list, made on first use.
THookList* GetHookList();
// The hook list when it exists, else nullptr.
THookList* HookListIfAny();
void FreeHookList();

} // namespace dvr::skin
