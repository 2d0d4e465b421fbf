#include "host/engine/U_OtherCtrl.h"

#include "host/engine/U_Arithmetic.h"
#include "host/engine/U_HostMessages.h"

#include "common/win/handles.h"
#include "common/win/textconv.h"

#include <cstdio>

namespace vantrel {

const unsigned char kScancodeMapNoWinKeys[24] = {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                                 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x5B, 0xE0,
                                                 0x00, 0x00, 0x5C, 0xE0, 0x00, 0x00, 0x00, 0x00};

namespace {

using dvr::win::RegKey;

constexpr const wchar_t* kTimerWindowClass = L"VantrelOtherCtrlTimer";
constexpr UINT_PTR kTimerId = 1;

constexpr const wchar_t* kExplorerPolicies =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
constexpr const wchar_t* kSystemPolicies =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
constexpr const wchar_t* kKeyboardLayout = L"SYSTEM\\CurrentControlSet\\Control\\Keyboard Layout";
constexpr const wchar_t* kWinlogon = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr const wchar_t* kRun = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

RegKey CreateKey(HKEY root, const wchar_t* path) {
    RegKey k;
    if (::RegCreateKeyExW(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                          k.put(), nullptr) != ERROR_SUCCESS)
        k.reset();
    return k;
}

void SetDword(HKEY key, const wchar_t* name, DWORD v) {
    ::RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof(v));
}

void SetText(HKEY key, const wchar_t* name, const std::wstring& text) {
    ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

std::wstring ProgramFile() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

bool EnableShutdownPrivilege() {
    dvr::win::Handle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY,
                            token.put()))
        return false;
    TOKEN_PRIVILEGES tp{};
    if (!::LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &tp.Privileges[0].Luid))
        return false;
    tp.PrivilegeCount = 1;
    tp.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    return ::AdjustTokenPrivileges(token.get(), FALSE, &tp, 0, nullptr, nullptr) != FALSE;
}

} // namespace

TOtherCtrl::TOtherCtrl() : Clock(CurrentOleDate) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &TOtherCtrl::WndProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kTimerWindowClass;
    ::RegisterClassExW(&wc); // already registered by an earlier instance is fine
    timerWindow_ = ::CreateWindowExW(0, kTimerWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                     nullptr, wc.hInstance, nullptr);
    if (timerWindow_) {
        ::SetWindowLongPtrW(timerWindow_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        timerRunning_ = ::SetTimer(timerWindow_, kTimerId, 1000, nullptr) != 0;
    }
}

TOtherCtrl::~TOtherCtrl() {
    StopTimer();
    if (timerWindow_) ::DestroyWindow(timerWindow_);
}

LRESULT CALLBACK TOtherCtrl::WndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_TIMER && wParam == kTimerId) {
        auto* self = reinterpret_cast<TOtherCtrl*>(::GetWindowLongPtrW(wnd, GWLP_USERDATA));
        if (self) self->Tick();
        return 0;
    }
    return ::DefWindowProcW(wnd, msg, wParam, lParam);
}

void TOtherCtrl::StopTimer() {
    if (timerRunning_ && timerWindow_) ::KillTimer(timerWindow_, kTimerId);
    timerRunning_ = false;
}

bool TOtherCtrl::Suppressed(const char* kind, const char* action) {
    wchar_t mode[64] = {};
    const DWORD n = ::GetEnvironmentVariableW(kSystemControlVariable, mode, 64);
    if (n == 0 || n >= 64) return false;
    const std::wstring list = std::wstring(L",") + mode + L",";
    const std::wstring word = L"," + dvr::win::Utf8ToWide(kind) + L",";
    if (list != L",log," && list.find(word) == std::wstring::npos) return false;
    suppressed_.emplace_back(action);
    std::fprintf(stderr, "system control off: %s\n", action);
    return true;
}

void TOtherCtrl::WriteLock(bool lock) {
    const DWORD v = lock ? 1 : 0;
    if (RegKey k = CreateKey(HKEY_CURRENT_USER, kExplorerPolicies)) {
        SetDword(k.get(), L"NoClose", v);
        SetDword(k.get(), L"NoLogOff", v);
    }
    if (RegKey k = CreateKey(HKEY_CURRENT_USER, kSystemPolicies)) {
        SetDword(k.get(), L"DisableTaskMgr", v);
        SetDword(k.get(), L"DisableChangePassword", v);
        SetDword(k.get(), L"DisableLockWorkstation", v);
    }
    if (RegKey k = CreateKey(HKEY_LOCAL_MACHINE, kKeyboardLayout)) {
        if (lock)
            ::RegSetValueExW(k.get(), L"Scancode Map", 0, REG_BINARY, kScancodeMapNoWinKeys,
                             sizeof(kScancodeMapNoWinKeys));
        else
            ::RegDeleteValueW(k.get(), L"Scancode Map");
    }
}

void TOtherCtrl::LockDesktop() {
    if (!Suppressed("lock", "lock desktop")) WriteLock(true);
}

void TOtherCtrl::UnlockDesktop() {
    if (!Suppressed("lock", "unlock desktop")) WriteLock(false);
}

void TOtherCtrl::HideTaskBar() {
    if (Suppressed("taskbar", "hide task bar")) return;
    if (HWND bar = ::FindWindowW(L"Shell_TrayWnd", nullptr)) ::ShowWindow(bar, SW_HIDE);
}

void TOtherCtrl::ShowTaskBar() {
    if (Suppressed("taskbar", "show task bar")) return;
    if (HWND bar = ::FindWindowW(L"Shell_TrayWnd", nullptr)) ::ShowWindow(bar, SW_RESTORE);
}

void TOtherCtrl::SetAutoLogon(bool runAtWindowsStart, std::string_view password) {
    RegKey logon;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kWinlogon, 0, KEY_ALL_ACCESS, logon.put()) !=
        ERROR_SUCCESS)
        return;
    SetText(logon.get(), L"DefaultPassword", dvr::win::GbkToWide(password));
    SetText(logon.get(), L"AutoAdminLogon", L"1");

    RegKey run = CreateKey(HKEY_LOCAL_MACHINE, kRun);
    if (!run) return;
    const std::wstring path = ProgramFile();
    const size_t slash = path.find_last_of(L"\\/");
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    name = name.substr(0, name.find(L'.'));
    if (name.empty()) return;
    if (runAtWindowsStart)
        SetText(run.get(), name.c_str(), path);
    else
        ::RegDeleteValueW(run.get(), name.c_str());
}

void TOtherCtrl::ExitWindows(bool restart) {
    if (Suppressed("exit", restart ? "restart Windows" : "power Windows off")) return;
    EnableShutdownPrivilege();
    ::ExitWindowsEx(restart ? (EWX_REBOOT | EWX_FORCE) : (EWX_POWEROFF | EWX_FORCE), 1);
}

void TOtherCtrl::Arm(const TOtherSettingsRecord& r) {
    schedule_.ArmPowerOff(r.TimedPowerOff != 0, r.PowerOffDays, r.PowerOffTime);
    schedule_.ArmRestart(r.TimedRestart != 0, r.RestartDays, r.RestartTime);
}

void TOtherCtrl::ApplyAtStartUp(const TOtherSettingsRecord& r) {
    if (r.LockSystemKeys) {
        LockDesktop();
        HideTaskBar();
    } else {
        ShowTaskBar();
    }
    Arm(r);
}

void TOtherCtrl::ApplyChanged(const TOtherSettingsRecord& r) {
    if (r.LockSystemKeys) {
        LockDesktop();
        HideTaskBar();
    } else {
        UnlockDesktop();
        ShowTaskBar();
    }
    Arm(r);
    SetAutoLogon(r.RunAtWindowsStart != 0, r.WindowsLogonPassword.View());
}

void TOtherCtrl::Tick() {
    if (!timerRunning_ && schedule_.Stopped()) return;
    const TimedPowerActions::Action a = schedule_.Tick(Clock ? Clock() : CurrentOleDate());
    if (a == TimedPowerActions::None) return;
    StopTimer();
    if (Target) ::PostMessageW(Target, WM_POWERACTION, static_cast<WPARAM>(a), 0);
}

} // namespace vantrel
