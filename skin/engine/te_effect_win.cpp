#include "skin/engine/te_effect_win.h"

#include "skin/engine/te_bitmap_win.h"

namespace dvr::skin {

void TteDCFrameTarget::DrawFrame(TteBitmap& Work, int X, int Y) {
    Draw(Work, dc_, X, Y);
}

namespace {

UINT_PTR timerId = 0;

void CALLBACK AnimationTimerProc(HWND, UINT, UINT_PTR, DWORD) {
    OnAnimationTimer();
}

void EnableTimer(bool On) {
    if (On && !timerId) {
        timerId = ::SetTimer(nullptr, 0, 20, AnimationTimerProc);
    } else if (!On && timerId) {
        ::KillTimer(nullptr, timerId);
        timerId = 0;
    }
}

} // namespace

void InstallAnimationTimer() {
    static const bool installed = [] {
        SetAnimationTimerHook(EnableTimer);
        return true;
    }();
    (void)installed;
}

bool ExecuteAnimation(HDC DC, int X, int Y, TteBitmap* FromBitmap, TteBitmap* ToBitmap,
                      TteAnimationRec* Animation) {
    InstallAnimationTimer();
    TteDCFrameTarget target(DC);
    int slot = StartAnimation(&target, X, Y, FromBitmap, ToBitmap, Animation, -1);
    MSG msg;
    while (IsAnimationActive(slot)) {
        // Like the application's message pump: wait for a message, then handle all queued.
        if (!::GetMessageW(&msg, nullptr, 0, 0)) {
            ::PostQuitMessage(int(msg.wParam));
            StopAnimation(slot, false);
            break;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return false;
}

} // namespace dvr::skin
