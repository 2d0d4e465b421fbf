// Shared pieces of the menu tests: the open menu levels found on the screen, and a script
// of steps run on a thread timer while a menu's own loop runs.
#pragma once

#include "skin/controls/te_input_test_support.h"
#include "skin/controls/te_popupmenu.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

namespace dvr::skin::test {

// The visible menu-level windows of this thread, outermost first.
inline std::vector<TTePopupWindow*> OpenLevels() {
    std::vector<TTePopupWindow*> found;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND w, LPARAM p) -> BOOL {
            if (!::IsWindowVisible(w)) return TRUE;
            if (auto* pw = dynamic_cast<TTePopupWindow*>(fw::TWinControl::FindControl(w)))
                reinterpret_cast<std::vector<TTePopupWindow*>*>(p)->push_back(pw);
            return TRUE;
        },
        LPARAM(&found));
    // Outermost first: by the number of popup levels above each.
    auto depth = [](TTePopupWindow* w) {
        int d = 0;
        for (TTeItemView* v = w->View()->ParentView(); dynamic_cast<TTePopupView*>(v);
             v = v->ParentView())
            ++d;
        return d;
    };
    std::sort(found.begin(), found.end(),
              [&](TTePopupWindow* a, TTePopupWindow* b) { return depth(a) < depth(b); });
    return found;
}

inline TRect WindowRectOf(fw::TWinControl* W) {
    RECT r{};
    ::GetWindowRect(W->WindowHandle(), &r);
    return TRect{r.left, r.top, r.right, r.bottom};
}

// The screen centre of an item of a level.
inline TPoint ItemCenter(TTeItemView* View, TTeItem* Item) {
    TRect r = View->GetItemRect(Item);
    return View->Host()->ClientToScreen(TPoint{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
}

// Moves the mouse to P and clicks there, without waiting: inside a menu's loop the loop
// itself must take the input, not a pump of the test's own.
inline void ClickNoWait(TPoint P) {
    SendInputs({MouseInput(P, MOUSEEVENTF_MOVE), MouseInput(P, MOUSEEVENTF_LEFTDOWN),
                MouseInput(P, MOUSEEVENTF_LEFTUP)});
}

// A point away from the menus that the absolute mouse input reaches exactly.
inline TPoint AwayPoint() {
    return TPoint{700, 549};
}

// Steps run one after another from a 30 ms thread timer: a step answers true when done.
// The menus' loops dispatch timer messages, so the script runs inside them.
class Script {
public:
    explicit Script(std::vector<std::function<bool()>> Steps) : steps_(std::move(Steps)) {
        current_ = this;
        timer_ = ::SetTimer(nullptr, 0, 30, &Script::Tick);
    }
    ~Script() {
        ::KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    bool Done() const { return !failed_ && next_ >= steps_.size(); }
    size_t Next() const { return next_; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        Script* s = current_;
        if (!s || s->running_ || s->next_ >= s->steps_.size()) return;
        s->running_ = true;
        const auto now = std::chrono::steady_clock::now();
        if (s->step_start_ == std::chrono::steady_clock::time_point{}) s->step_start_ = now;
        if (s->steps_[s->next_]()) {
            ++s->next_;
            s->step_start_ = now;
        } else if (now - s->step_start_ > std::chrono::seconds(20)) {
            // A step that never comes true: close every open level (a non-client click
            // in the queue ends each loop) and give up.
            ::PostThreadMessageW(::GetCurrentThreadId(), WM_NCMBUTTONDBLCLK, 0, 0);
            s->failed_ = true;
            s->next_ = s->steps_.size() + 1;
        }
        s->running_ = false;
    }
    static inline Script* current_ = nullptr;
    std::vector<std::function<bool()>> steps_;
    size_t next_ = 0;
    bool running_ = false;
    bool failed_ = false;
    std::chrono::steady_clock::time_point step_start_{};
    UINT_PTR timer_ = 0;
};

} // namespace dvr::skin::test
