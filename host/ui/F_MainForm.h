// The host's console window: its life cycle, the console lock, the orderly shutdown, the
// settings reload, the channel-map rebuild, its window messages and its timers.
#pragma once

#include "host/engine/U_HostMessages.h" // WM_POWERACTION, WM_SETTINGSCHANGED, WM_THREADQUIT
#include "host/engine/U_HostServices.h"
#include "host/net/U_RemoteUpgrade.h" // WM_COMPANION
#include "host/net/U_UDPMessages.h" // WM_REMOTECLOSE
#include "host/ui/U_HostConsole.h"

#include "framework/ui/extctrls.h"
#include "framework/ui/forms.h"
#include "framework/ui/stdctrls.h"
#include "framework/ui/timer.h"

#include <windows.h>

#include <cstdint>
#include <string>

namespace vantrel {

constexpr unsigned WM_STREAMDATA = 0x403;

// The logon dialog belongs to another part of the user interface; the console asks it through
// this. Without one the console stays locked.
class TLogonPrompt {
public:
    virtual ~TLogonPrompt() = default;
    // False when cancelled.
    virtual bool Prompt(std::string& name, std::string& password) = 0;
};

// Seams for what must not happen on a test machine (powering Windows off, the pauses).
struct TMainFormHooks {
    void (*ExitWindows)(bool restart) = nullptr;
    void (*Pause)(DWORD ms) = nullptr;
    // The console's message boxes (texts UTF-16); the result as MessageBoxW's.
    int (*MessageBox)(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) = nullptr;
};

class TLogonForm;

// The logon dialog as the console's prompt.
class TLogonDialogPrompt : public TLogonPrompt {
public:
    bool Prompt(std::string& name, std::string& password) override;
    // Ends a dialog that is up as if Cancel was pressed (the console is closing under it).
    void Cancel();

private:
    TLogonForm* form_ = nullptr;
};

class TMainForm : public dvr::fw::TForm, public TMainFormServices {
    FW_CLASS(TMainForm, dvr::fw::TForm)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(WM_SETCURSOR, WMSetCursor)
    FW_MESSAGE(WM_SYNCPAINT, WMSyncPaint)
    FW_MESSAGE(WM_STREAMDATA, WMStreamData)
    FW_MESSAGE(0x40C, WMPaneColor)
    FW_MESSAGE(0x40D, WMRebuildChannelMap)
    FW_MESSAGE(WM_POWERACTION, WMPowerAction)
    FW_MESSAGE(0x40F, WMPaneMenu)
    FW_MESSAGE(WM_REMOTECLOSE, WMRemoteClose)
    FW_MESSAGE(WM_SETTINGSCHANGED, WMSettingsChanged)
    FW_MESSAGE(WM_COMPANION, WMCompanion)
    FW_MESSAGES_END
public:
    explicit TMainForm(dvr::fw::TComponent* AOwner);

    bool Locked = true;
    bool ShutdownDone = false;
    uint32_t UptimeSeconds = 0;
    int32_t CycleGroup = -1;
    HWND CompanionWindow = nullptr;
    TLogonDialogPrompt LogonDialog;
    TLogonPrompt* LogonPrompt = &LogonDialog;
    TMainFormHooks Hooks;
    // The order ShutdownAll ran its steps in, for whoever needs to know.
    std::string ShutdownTrace;

    // Image buttons whose commands belong to the command handlers.
    dvr::fw::TPanel* im_Logon = nullptr;
    dvr::fw::TPanel* im_AutoWork = nullptr;
    dvr::fw::TPanel* im_CycleVideo = nullptr;
    dvr::fw::TPanel* im_ExitSystem = nullptr;
    dvr::fw::TLabel* lb_Time = nullptr;
    dvr::fw::TLabel* lb_Week = nullptr;
    dvr::fw::TLabel* lb_TotalTime = nullptr;
    dvr::fw::TTimer* CurrentTimeTimer = nullptr;
    dvr::fw::TTimer* VideoCycleTimer = nullptr;
    dvr::fw::TTimer* Timer2 = nullptr;
    dvr::fw::TTimer* Timer3 = nullptr;
    // The buttons' commands, side bars, colour sliders and menus, over the host's objects.
    THostConsoleEngine ConsoleEngine;
    THostConsoleWindows ConsoleWindows;
    TConsoleCommands* Commands = nullptr;

    // TMainFormServices
    HWND Handle() const override { return WindowHandle(); }
    using dvr::fw::TWinControl::Handle;
    void ShutdownAll() override;
    void ApplyAllSettings() override;
    void RebuildChannelMap(WPARAM wParam, LPARAM lParam) override;
    void im_AutoWorkClick() override;

    void FormShow(dvr::fw::TObject* Sender);
    void FormClose(dvr::fw::TObject* Sender, dvr::fw::TCloseAction& Action);
    void CurrentTimeTimerTimer(dvr::fw::TObject* Sender);
    void VideoCycleTimerTimer(dvr::fw::TObject* Sender);
    void Timer2Timer(dvr::fw::TObject* Sender);
    void Timer3Timer(dvr::fw::TObject* Sender);
    // The console unlock after a release over im_Logon.
    void Unlock();
    // The orderly exit of the exit button.
    void im_ExitSystemClick(dvr::fw::TObject* Sender);
    // Ctrl shows the detection-area outlines while it is held.
    void FormKeyDown(dvr::fw::TObject* Sender, uint16_t& Key, dvr::fw::TShiftState Shift);
    void FormKeyUp(dvr::fw::TObject* Sender, uint16_t& Key, dvr::fw::TShiftState Shift);
    void FormDestroy(dvr::fw::TObject* Sender);

private:
    void WMSetCursor(dvr::fw::TMessage& M);
    void WMSyncPaint(dvr::fw::TMessage& M);
    void WMStreamData(dvr::fw::TMessage& M);
    void WMPaneColor(dvr::fw::TMessage& M);
    void WMRebuildChannelMap(dvr::fw::TMessage& M);
    void WMPowerAction(dvr::fw::TMessage& M);
    void WMPaneMenu(dvr::fw::TMessage& M);
    void WMRemoteClose(dvr::fw::TMessage& M);
    void WMSettingsChanged(dvr::fw::TMessage& M);
    void WMCompanion(dvr::fw::TMessage& M);
    void Pause(DWORD ms);
    int Ask(const wchar_t* text, const wchar_t* caption, UINT type);
    void Step(const char* name);
    dvr::fw::TPanel* Button(const char* name, int tag, int left, int top, const char* hint);
    bool shownOnce_ = false;
};

extern TMainForm* MainForm;

// "YYYY-MM-DD HH:MM:SS", the day name and the uptime as the clock shows them.
std::string ClockText(const SYSTEMTIME& t);
const char* WeekDayName(int dayOfWeek);
std::string UptimeText(uint32_t seconds);

} // namespace vantrel
