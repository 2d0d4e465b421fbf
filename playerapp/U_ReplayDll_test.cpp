#include "playerapp/U_ReplayDll.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/testing/testdata.h"
#include "common/win/handles.h"
#include "player/lib/strovid_api.h"

namespace playerqz {
namespace {

class Registry {
public:
    static void Clear() { ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, TReplayService::RegistryKey); }
    static dvr::win::RegKey Key() {
        dvr::win::RegKey k;
        ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, TReplayService::RegistryKey, 0, nullptr, 0,
                          KEY_ALL_ACCESS, nullptr, k.put(), nullptr);
        return k;
    }
    static void SetString(const wchar_t* name, const std::wstring& v) {
        ::RegSetValueExW(Key().get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(v.c_str()),
                         static_cast<DWORD>((v.size() + 1) * sizeof(wchar_t)));
    }
    static void SetDword(const wchar_t* name, DWORD v) {
        ::RegSetValueExW(Key().get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v),
                         sizeof v);
    }
    static std::wstring GetString(const wchar_t* name) {
        wchar_t buf[128] = {};
        DWORD size = sizeof buf - sizeof(wchar_t), type = 0;
        if (::RegQueryValueExW(Key().get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buf),
                               &size) != ERROR_SUCCESS ||
            type != REG_SZ)
            return L"<missing>";
        return buf;
    }
    static DWORD GetDword(const wchar_t* name) {
        DWORD v = 0xDEADBEEF, size = sizeof v;
        ::RegQueryValueExW(Key().get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &size);
        return v;
    }
};

class ReplaySettings : public ::testing::Test {
protected:
    void SetUp() override { Registry::Clear(); }
    void TearDown() override { Registry::Clear(); }
};

TEST_F(ReplaySettings, FirstRunCreatesTheKeyWithFourPorts) {
    TReplayService s;
    s.Init();
    EXPECT_EQ(s.GetPortCount(), 4);
    EXPECT_EQ(Registry::GetDword(L"WindowsNumber"), 4u);
    EXPECT_EQ(s.WindowLayout().Valid, 0);
    EXPECT_EQ(Registry::GetString(L"ChooseFileWindow"), L"<missing>");

    // Saving writes the count and the layout numbers, all zero so far.
    s.SetPortCount(9);
    s.SaveSettings();
    EXPECT_EQ(Registry::GetDword(L"WindowsNumber"), 9u);
    EXPECT_EQ(Registry::GetString(L"ChooseFileWindow"), L"000000000000000000000000");
    EXPECT_EQ(Registry::GetString(L"ReplayWindow"), L"00000000000000000000");
    EXPECT_EQ(s.WindowLayout().Valid, 1);
}

TEST_F(ReplaySettings, LayoutNumbersAreReadAndWrittenBackUnchanged) {
    Registry::SetDword(L"WindowsNumber", 16);
    Registry::SetString(L"ChooseFileWindow", L"000102030405060708091011");
    Registry::SetString(L"ReplayWindow", L"12341235123612371238");
    TReplayService s;
    s.Init();
    EXPECT_EQ(s.GetPortCount(), 16);
    EXPECT_EQ(s.WindowLayout().Valid, 1);
    const int32_t want[] = {1, 203, 405, 607, 809, 1011, 1234, 1235, 1236, 1237, 1238};
    for (int i = 0; i < LayoutValueCount; ++i)
        EXPECT_EQ(+s.WindowLayout().Values[i], want[i]);
    Registry::Clear();
    s.SaveSettings();
    EXPECT_EQ(Registry::GetString(L"ChooseFileWindow"), L"000102030405060708091011");
    EXPECT_EQ(Registry::GetString(L"ReplayWindow"), L"12341235123612371238");
    EXPECT_EQ(Registry::GetDword(L"WindowsNumber"), 16u);
}

TEST_F(ReplaySettings, ShortLayoutTextClearsTheFlagAndStopsReading) {
    Registry::SetDword(L"WindowsNumber", 2);
    Registry::SetString(L"ChooseFileWindow", L"00010002000300040005000"); // 23 characters
    Registry::SetString(L"ReplayWindow", L"00070008000900100011");
    TReplayService s;
    s.Init();
    EXPECT_EQ(s.GetPortCount(), 2);
    EXPECT_EQ(s.WindowLayout().Valid, 0);
    EXPECT_EQ(+s.WindowLayout().Values[4], 5);
    EXPECT_EQ(+s.WindowLayout().Values[5], 0);
    EXPECT_EQ(+s.WindowLayout().Values[6], 0); // "ReplayWindow" not read

    // Only one of the two strings: the layout is not read at all.
    Registry::Clear();
    Registry::SetString(L"ChooseFileWindow", L"000102030405060708091011");
    TReplayService t;
    t.Init();
    EXPECT_EQ(t.WindowLayout().Valid, 0);
    EXPECT_EQ(+t.WindowLayout().Values[0], 0);
}

TEST_F(ReplaySettings, PortCountsOutsideTheGridStartFourPorts) {
    for (DWORD bad : {0u, 17u, 0xFFFFFFFFu}) {
        Registry::SetDword(L"WindowsNumber", bad);
        TReplayService s;
        s.Init();
        EXPECT_EQ(s.GetPortCount(), 4) << bad;
    }
    Registry::SetString(L"WindowsNumber", L"8"); // not an integer value
    TReplayService s;
    s.Init();
    EXPECT_EQ(s.GetPortCount(), 4);
}

TEST_F(ReplaySettings, PortCountChangesKeepExistingPorts) {
    TReplayService s;
    s.Init();
    s.SetCurrentPort(3);
    s.SetPortState(2);
    s.SetPortFileName("x.mpg");
    for (int bad : {0, 17, -1}) {
        s.SetPortCount(bad);
        EXPECT_EQ(s.GetPortCount(), 4);
    }
    s.SetPortCount(16);
    EXPECT_EQ(s.GetPortCount(), 16);
    EXPECT_EQ(s.GetPortState(), 2);
    EXPECT_EQ(s.GetPortFileName(), "x.mpg");
    s.SetCurrentPort(15);
    EXPECT_EQ(s.GetPortState(), 0); // new ports read "playing" until the window sets them
    EXPECT_EQ(s.GetPortFileName(), "");
    EXPECT_EQ(s.GetPortWindow(), nullptr);
    s.SetPortCount(2);
    s.SetCurrentPort(3);
    EXPECT_EQ(s.GetPortState(), 3); // no bookkeeping: no file
}

// Pumps messages for a while, counting end-of-file notices per port.
constexpr UINT kFileEnd = WM_USER + 300;

class ReplayPorts : public ::testing::Test {
protected:
    void SetUp() override {
        Registry::Clear();
        Registry::SetDword(L"WindowsNumber", 16);
        service.Init();
        ASSERT_EQ(service.GetPortCount(), 16);
        for (int i = 0; i < 16; ++i) {
            HWND w = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, (i % 4) * 180,
                                       (i / 4) * 150, 176, 144, nullptr, nullptr, nullptr, nullptr);
            ASSERT_NE(w, nullptr);
            windows.push_back(w);
        }
    }
    void TearDown() override {
        for (int i = 0; i < 16; ++i) {
            service.SetCurrentPort(i);
            service.CloseFile();
            service.SetFileEndMsg(nullptr, 0);
        }
        for (HWND w : windows)
            ::DestroyWindow(w);
        Registry::Clear();
    }
    void Pump(DWORD ms) {
        const DWORD start = ::GetTickCount();
        do {
            MSG m;
            while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
                if (m.message == kFileEnd && m.wParam < 16) ++ends[m.wParam];
                ::DispatchMessageW(&m);
            }
            ::Sleep(10);
        } while (::GetTickCount() - start < ms);
    }
    // The key-frame index is built on the library's own thread.
    unsigned WaitIndexed() {
        for (int k = 0; k < 500 && service.GetFileTotalFrames() == 0; ++k)
            ::Sleep(10);
        return service.GetFileTotalFrames();
    }
    TReplayService service;
    std::vector<HWND> windows;
    int ends[16] = {};
};

TEST_F(ReplayPorts, SixteenPortsOpenPlayStepSeekAndClose) {
    const std::string file = dvr::testing::TestDataPath("cif_ip.MPG");
    for (int i = 0; i < 16; ++i) {
        service.SetCurrentPort(i);
        service.SetPortFileName(file);
        service.SetPortWindow(windows[i]);
        service.SetFileEndMsg(windows[i], kFileEnd);
        ASSERT_TRUE(service.OpenFile()) << i;
        EXPECT_EQ(WaitIndexed(), 100u);
        EXPECT_EQ(service.GetFileTime(), 4u); // the sound runs a little past the pictures
    }
    for (int i = 0; i < 16; ++i) {
        service.SetCurrentPort(i);
        ASSERT_TRUE(service.Play()) << i;
    }
    Pump(600);
    for (int i = 0; i < 16; ++i) {
        service.SetCurrentPort(i);
        EXPECT_GT(service.GetCurrentFrameNum(), 0) << i;
        EXPECT_GT(service.GetPlayPos(), 0.0) << i;
        EXPECT_EQ(service.Pause(true), 1);
    }
    // A paused port holds its picture; steps move it one picture at a time.
    service.SetCurrentPort(7);
    const int held = service.GetCurrentFrameNum();
    Pump(300);
    EXPECT_EQ(service.GetCurrentFrameNum(), held);
    EXPECT_EQ(service.OneByOne(), 1);
    Pump(300);
    EXPECT_EQ(service.GetCurrentFrameNum(), held + 1);
    EXPECT_EQ(service.OneByOneBack(), 1);
    Pump(300);
    EXPECT_LE(service.GetCurrentFrameNum(), held);

    // Seeks by fraction and by picture land on or just before the wanted picture.
    EXPECT_EQ(service.SetPlayPos(0.5), 1);
    EXPECT_NEAR(service.GetPlayPos(), 0.5, 0.02);
    EXPECT_NE(service.SetCurrentFrameNum(20), 0);
    EXPECT_NEAR(service.GetCurrentFrameNum(), 20, 1);
    EXPECT_EQ(service.SetPlayPos(-0.5), 0);

    // Fast to the end on one port: only that port reports it.
    service.SetCurrentPort(3);
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(service.Fast(), 1);
    EXPECT_EQ(service.Slow(), 1);
    EXPECT_EQ(service.Pause(false), 1);
    for (int k = 0; k < 300 && ends[3] == 0; ++k)
        Pump(20);
    EXPECT_EQ(ends[3], 1);
    for (int i = 0; i < 16; ++i) {
        if (i != 3) {
            EXPECT_EQ(ends[i], 0) << i;
        }
    }

    for (int i = 0; i < 16; ++i) {
        service.SetCurrentPort(i);
        EXPECT_EQ(service.CloseFile(), 1);
        EXPECT_FALSE(service.Play()) << i; // nothing open
    }
}

TEST_F(ReplayPorts, OnePortAndFailures) {
    service.SetPortCount(1);
    service.SetCurrentPort(0);
    service.SetPortFileName(dvr::testing::TestDataPath("no-such-file.MPG"));
    EXPECT_FALSE(service.OpenFile());
    service.SetPortFileName(dvr::testing::TestDataPath("cif_ip.pcm")); // not a recording
    EXPECT_FALSE(service.OpenFile());
    service.SetPortFileName(dvr::testing::TestDataPath("d1_ipb2.MPG"));
    service.SetPortWindow(windows[0]);
    ASSERT_TRUE(service.OpenFile());
    EXPECT_EQ(WaitIndexed(), 50u);
    ASSERT_TRUE(service.Play());
    EXPECT_EQ(service.SetVolume(1000), 1);
    service.SetSound(true);
    Pump(300);
    EXPECT_GT(service.GetPlayedTime() + service.GetCurrentFrameNum(), 0u);
    EXPECT_EQ(service.RefreshPlay(), 1);
    EXPECT_EQ(service.Stop(), 1);
    // Stopped keeps the file.
    EXPECT_EQ(service.GetFileTotalFrames(), 50u);
    EXPECT_TRUE(service.Play());
    EXPECT_EQ(service.CloseFile(), 1);
}

} // namespace
} // namespace playerqz
