#include "host/engine/U_OtherCtrl.h"

#include "host/engine/U_Conversions.h"
#include "host/engine/U_HostMessages.h"
#include "host/engine/U_SystemOtherSet.h"

#include "common/win/handles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace vantrel {
namespace {

constexpr const wchar_t* kExplorer =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
constexpr const wchar_t* kSystem =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
constexpr const wchar_t* kKeyboard = L"SYSTEM\\CurrentControlSet\\Control\\Keyboard Layout";

// -1 when missing.
long long ReadDword(HKEY root, const wchar_t* key, const wchar_t* name) {
    DWORD v = 0, size = sizeof(v);
    if (::RegGetValueW(root, key, name, RRF_RT_REG_DWORD, nullptr, &v, &size) != ERROR_SUCCESS)
        return -1;
    return v;
}

std::vector<uint8_t> ReadBinary(HKEY root, const wchar_t* key, const wchar_t* name) {
    DWORD size = 0;
    if (::RegGetValueW(root, key, name, RRF_RT_REG_BINARY, nullptr, nullptr, &size) !=
        ERROR_SUCCESS)
        return {};
    std::vector<uint8_t> v(size);
    ::RegGetValueW(root, key, name, RRF_RT_REG_BINARY, nullptr, v.data(), &size);
    return v;
}

std::wstring ReadText(HKEY root, const wchar_t* key, const wchar_t* name) {
    wchar_t buf[1024] = {};
    DWORD size = sizeof(buf);
    if (::RegGetValueW(root, key, name, RRF_RT_REG_SZ, nullptr, buf, &size) != ERROR_SUCCESS)
        return L"<missing>";
    return buf;
}

struct PolicyValue {
    const wchar_t* key;
    const wchar_t* name;
};
const PolicyValue kPolicies[] = {{kExplorer, L"NoClose"},
                                 {kExplorer, L"NoLogOff"},
                                 {kSystem, L"DisableTaskMgr"},
                                 {kSystem, L"DisableChangePassword"},
                                 {kSystem, L"DisableLockWorkstation"}};

void ClearLock() {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kExplorer);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kSystem);
    ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kKeyboard, L"Scancode Map");
}

void ExpectLocked(long long want) {
    for (const PolicyValue& p : kPolicies)
        EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, p.key, p.name), want) << p.name;
}

class OtherCtrlTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearLock();
        // Never end the test's own desktop, never touch its task bar.
        ::SetEnvironmentVariableW(kSystemControlVariable, L"exit,taskbar");
    }
    void TearDown() override {
        ClearLock();
        constexpr const wchar_t* winlogon =
            L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
        ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, winlogon, L"DefaultPassword");
        ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, winlogon, L"AutoAdminLogon");
        ::SetEnvironmentVariableW(kSystemControlVariable, L"exit,taskbar");
    }
};

TEST_F(OtherCtrlTest, LockWritesThePolicyValuesAndUnlockRemovesThem) {
    TOtherCtrl ctrl;
    ctrl.LockDesktop();
    ExpectLocked(1);
    const std::vector<uint8_t> map = ReadBinary(HKEY_LOCAL_MACHINE, kKeyboard, L"Scancode Map");
    const std::vector<uint8_t> want(kScancodeMapNoWinKeys, kScancodeMapNoWinKeys + 24);
    EXPECT_EQ(map, want);
    EXPECT_EQ(want[8], 3);
    EXPECT_EQ(want[14], 0x5B);
    EXPECT_EQ(want[18], 0x5C);

    ctrl.UnlockDesktop();
    ExpectLocked(0);
    EXPECT_TRUE(ReadBinary(HKEY_LOCAL_MACHINE, kKeyboard, L"Scancode Map").empty());
}

TEST_F(OtherCtrlTest, ALockFromAnEarlierRunStaysUntilTheSettingsAreApplied) {
    TOtherCtrl ctrl;
    ctrl.LockDesktop();
    TOtherSettingsRecord r{};
    TSystemOtherSet::SetDefaults(r, "host");
    ctrl.ApplyAtStartUp(r);
    ExpectLocked(1);
    ctrl.ApplyChanged(r);
    ExpectLocked(0);

    r.LockSystemKeys = 1;
    ctrl.ApplyChanged(r);
    ExpectLocked(1);
    const std::vector<std::string>& done = ctrl.SuppressedActions();
    const std::vector<std::string> want = {"show task bar", "show task bar", "hide task bar"};
    EXPECT_EQ(done, want); // the task bar, once per transfer
}

TEST_F(OtherCtrlTest, NoOpModeLogsInsteadOfActing) {
    ::SetEnvironmentVariableW(kSystemControlVariable, L"log");
    TOtherCtrl ctrl;
    ctrl.LockDesktop();
    ctrl.HideTaskBar();
    ctrl.ExitWindows(false);
    ctrl.ExitWindows(true);
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, kExplorer, L"NoClose"), -1);
    const std::vector<std::string> want = {"lock desktop", "hide task bar", "power Windows off",
                                           "restart Windows"};
    EXPECT_EQ(ctrl.SuppressedActions(), want);
}

TEST_F(OtherCtrlTest, AutoLogonAndStartWithWindows) {
    constexpr const wchar_t* winlogon =
        L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
    constexpr const wchar_t* run = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);

    TOtherCtrl ctrl;
    ctrl.SetAutoLogon(true, "pass1");
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, winlogon, L"DefaultPassword"), L"pass1");
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, winlogon, L"AutoAdminLogon"), L"1");
    const std::wstring startValue = ReadText(HKEY_LOCAL_MACHINE, run, L"host_engine_tests");
    // Removed at once: Wine's start-up would run it.
    ctrl.SetAutoLogon(false, "pass2");
    EXPECT_EQ(startValue, self);
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, run, L"host_engine_tests"), L"<missing>");
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, winlogon, L"DefaultPassword"), L"pass2");
    ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, winlogon, L"DefaultPassword");
    ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, winlogon, L"AutoAdminLogon");
}

// A message-only window that stands in for the main window.
class PowerTarget {
public:
    PowerTarget() {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"HostEnginePowerTarget";
        ::RegisterClassExW(&wc);
        wnd_ = ::CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 wc.hInstance, nullptr);
    }
    ~PowerTarget() { ::DestroyWindow(wnd_); }
    HWND Handle() const { return wnd_; }
    // wParams of the WM_POWERACTION messages waiting.
    std::vector<WPARAM> Take() {
        std::vector<WPARAM> got;
        MSG m;
        while (::PeekMessageW(&m, wnd_, WM_POWERACTION, WM_POWERACTION, PM_REMOVE))
            got.push_back(m.wParam);
        return got;
    }

private:
    HWND wnd_;
};

TEST_F(OtherCtrlTest, TimedPowerOffPostsOnceAtTheRightSecond) {
    PowerTarget target;
    TOtherCtrl ctrl;
    ctrl.Target = target.Handle();
    double now = OleDateFromParts(2026, 12, 10, 22, 59, 50);
    ctrl.Clock = [&] { return now; };
    TOtherSettingsRecord r{};
    r.TimedPowerOff = 1;
    r.PowerOffTime = OleDateFromParts(2000, 1, 1, 23, 0, 0);
    r.TimedRestart = 1;
    r.RestartTime = OleDateFromParts(2000, 1, 1, 23, 0, 5);
    ctrl.Arm(r);

    std::vector<std::pair<int, WPARAM>> posts;
    for (int k = 0; k < 40; ++k) {
        ctrl.Tick();
        for (WPARAM w : target.Take())
            posts.push_back({k, w});
        now += 1.0 / 86400;
    }
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(posts[0].first, 5); // 22:59:55
    EXPECT_EQ(posts[0].second, 0u);
    EXPECT_FALSE(ctrl.TimerRunning());
}

TEST_F(OtherCtrlTest, TheOwnTimerTicksEverySecond) {
    PowerTarget target;
    TOtherCtrl ctrl;
    ctrl.Target = target.Handle();
    ASSERT_TRUE(ctrl.TimerRunning());
    ctrl.Clock = [] { return OleDateFromParts(2026, 12, 10, 6, 0, 0); };
    TOtherSettingsRecord r{};
    r.TimedRestart = 1;
    r.RestartTime = OleDateFromParts(2026, 1, 1, 6, 0, 3);
    ctrl.Arm(r);
    std::vector<WPARAM> got;
    const DWORD until = ::GetTickCount() + 10000;
    while (got.empty() && ::GetTickCount() < until) {
        MSG m;
        while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (m.hwnd == target.Handle() && m.message == WM_POWERACTION) got.push_back(m.wParam);
            ::DispatchMessageW(&m);
        }
        ::Sleep(20);
    }
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0], 1u);
}

} // namespace
} // namespace vantrel
