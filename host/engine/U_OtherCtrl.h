// The Windows side of the other settings: desktop lock, task bar, automatic logon and start
// with Windows, and the timed power-off and restart.
#pragma once

#include "host/engine/U_HostRecords.h"
#include "host/engine/U_PowerSchedule.h"

#include <windows.h>
// winuser.h's old ExitWindows macro would rename the method below.
#undef ExitWindows

#include <functional>
#include <string>
#include <vector>

namespace vantrel {

// A test harness runs inside a Wine desktop that must survive: this environment variable
// turns system actions into logged no-ops. "log" covers all of them; otherwise a comma list
// of "exit" (shutting Windows down), "lock" (desktop lock) and "taskbar".
constexpr const wchar_t* kSystemControlVariable = L"VANTREL_SYSTEM_CONTROL";

// The 24-byte "Scancode Map" that silences both Windows keys.
extern const unsigned char kScancodeMapNoWinKeys[24];

class TOtherCtrl {
public:
    // Both timed actions disarmed, the one-second timer running.
    TOtherCtrl();
    ~TOtherCtrl();
    TOtherCtrl(const TOtherCtrl&) = delete;
    TOtherCtrl& operator=(const TOtherCtrl&) = delete;

    // The window that gets WM_POWERACTION (the main window).
    HWND Target = nullptr;
    // The time of day source, as an OLE date; the local clock unless replaced.
    std::function<double()> Clock;

    void LockDesktop();
    void UnlockDesktop();
    void HideTaskBar();
    void ShowTaskBar();
    // Automatic logon with `password` (GBK), then the start-with-Windows value set or removed.
    void SetAutoLogon(bool runAtWindowsStart, std::string_view password);
    // Shuts Windows down (power off) or restarts it.
    void ExitWindows(bool restart);

    // Start-up: lock plus hidden task bar, or only the task bar shown; then arm.
    void ApplyAtStartUp(const TOtherSettingsRecord& record);
    // Settings applied again: lock or unlock with the task bar, arm, automatic logon.
    void ApplyChanged(const TOtherSettingsRecord& record);
    void Arm(const TOtherSettingsRecord& record);

    // One second of the timer: posts WM_POWERACTION (0 power off, 1 restart) when an armed
    // action is due and stops the timer.
    void Tick();
    bool TimerRunning() const { return timerRunning_; }

    // What the no-op mode left undone, one line per action.
    const std::vector<std::string>& SuppressedActions() const { return suppressed_; }

private:
    static LRESULT CALLBACK WndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
    bool Suppressed(const char* kind, const char* action);
    void WriteLock(bool lock);
    void StopTimer();

    TimedPowerActions schedule_;
    HWND timerWindow_ = nullptr;
    bool timerRunning_ = false;
    std::vector<std::string> suppressed_;
};

} // namespace vantrel
