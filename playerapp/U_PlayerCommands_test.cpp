#include "playerapp/U_PlayerCommands.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "common/testing/testdata.h"
#include "common/win/textconv.h"
#include "playerapp/U_ReplayDll.h"

namespace playerqz {
namespace {

// The window's widgets as plain windows: a top-level window and one child per port.
class FakeView : public TPlayerView {
public:
    FakeView() {
        window = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                                   790, 500, nullptr, nullptr, nullptr, nullptr);
    }
    ~FakeView() {
        if (window) ::DestroyWindow(window);
    }

    HWND MessageWindow() override { return window; }
    TRect DrawArea() override { return {0, 0, 790, 500}; }
    void CreatePortPanel(int port, const TRect& b) override {
        ASSERT_EQ(panels.count(port), 0u) << port;
        panels[port] = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, b.Left, b.Top,
                                         b.Width(), b.Height(), window, nullptr, nullptr, nullptr);
        bounds[port] = b;
        visible[port] = true;
    }
    void FreePortPanel(int port) override {
        ::DestroyWindow(panels.at(port));
        panels.erase(port);
        bounds.erase(port);
        visible.erase(port);
    }
    HWND PortPanelHandle(int port) override { return panels.at(port); }
    void SetPortPanel(int port, const TRect& b, bool show) override {
        ::MoveWindow(panels.at(port), b.Left, b.Top, b.Width(), b.Height(), FALSE);
        ::ShowWindow(panels.at(port), show ? SW_SHOW : SW_HIDE);
        bounds[port] = b;
        visible[port] = show;
    }
    void InvalidatePortPanel(int) override {}
    void ClearPortPicture(int port) override { cleared.push_back(port); }
    void ShowPortFrame(const PortFrame* f) override {
        frameShown = f != nullptr;
        if (f) frame = *f;
    }
    void PostRefreshPorts(WPARAM which) override { refreshes.push_back(which); }
    void RepaintWindow() override {}
    void ForceFullRepaint() override {}
    void SetTimerRunning(bool on) override { timer = on; }
    bool WindowVisible() override { return true; }
    void ShowError(const std::wstring& text) override { errors.push_back(text); }
    void ShowControlEnables(const ControlEnables& e) override { enables = e; }
    void SetStatusText(StatusPanel p, const std::wstring& t) override { status[p] = t; }
    int SliderMax() override { return 1000; }
    void SetSliderPosition(int p) override { slider = p; }
    int SliderPositionNow() override { return slider; }
    bool MusicDown() override { return music; }
    void SetMusicDown(bool d) override { music = d; }
    int VolumePosition() override { return 30; }
    void ShowLoopControls(const LoopControlsView& v) override { loop = v; }
    std::string RunSaveDialog() override { return {}; }

    HWND window = nullptr;
    std::map<int, HWND> panels;
    std::map<int, TRect> bounds;
    std::map<int, bool> visible;
    std::vector<int> cleared;
    std::vector<WPARAM> refreshes;
    std::vector<std::wstring> errors;
    std::map<int, std::wstring> status;
    ControlEnables enables{};
    LoopControlsView loop{};
    PortFrame frame{};
    bool frameShown = false, timer = false, music = false;
    int slider = -1;
};

std::string Fixture(const char* name) {
    return dvr::testing::TestDataPath(name);
}

class PlayerCommands : public ::testing::Test {
protected:
    void SetUp() override {
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, TReplayService::RegistryKey);
        service.Init(); // four ports
        commands.Start();
    }
    void TearDown() override {
        for (int i = 0; i < service.GetPortCount(); ++i) {
            service.SetCurrentPort(i);
            service.CloseFile();
        }
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, TReplayService::RegistryKey);
    }
    int State(int port) {
        const int c = service.GetCurrentPort();
        service.SetCurrentPort(port);
        const int s = service.GetPortState();
        service.SetCurrentPort(c);
        return s;
    }
    int Frame(int port) {
        const int c = service.GetCurrentPort();
        service.SetCurrentPort(port);
        const int f = service.GetCurrentFrameNum();
        service.SetCurrentPort(c);
        return f;
    }
    // Runs the window's message loop for WM_FILEEND until `ends` notices came or time is up.
    int PumpFileEnds(int ends, DWORD ms) {
        int seen = 0;
        const DWORD start = ::GetTickCount();
        while (seen < ends && ::GetTickCount() - start < ms) {
            MSG m;
            while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
                if (m.message == WM_FILEEND && m.hwnd == view.window) {
                    commands.HandleFileEnd(static_cast<int>(m.wParam));
                    ++seen;
                }
                ::DispatchMessageW(&m);
            }
            ::Sleep(10);
        }
        return seen;
    }
    // Until the port's key-frame index is built and it has shown a picture.
    void WaitPlaying(int port) {
        const int c = service.GetCurrentPort();
        service.SetCurrentPort(port);
        for (int k = 0;
             k < 500 && (service.GetFileTotalFrames() == 0 || service.GetCurrentFrameNum() <= 0);
             ++k)
            ::Sleep(10);
        service.SetCurrentPort(c);
    }
    void Faster() {
        for (int k = 0; k < 4; ++k)
            service.Fast();
    }

    TReplayService service;
    FakeView view;
    TPlayerCommands commands{service, view};
};

TEST_F(PlayerCommands, StartLaysOutPortsAndShowsPortZeroWithoutAFile) {
    ASSERT_EQ(view.panels.size(), 4u);
    const std::vector<TRect> cells = LayoutPorts(4, view.DrawArea());
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(view.bounds[i], cells[i]);
    EXPECT_EQ(service.GetCurrentPort(), 0);
    EXPECT_EQ(State(0), psNoFile);
    EXPECT_EQ(view.status[spPortState], L"Camera (1 ) No file to open.");
    EXPECT_EQ(view.enables, ControlEnablesFor(psNoFile));
    EXPECT_EQ(view.loop, (LoopControlsView{false, LoopGlyphOff, 0, 0, false, false, false}));

    // The first resize starts the timer and refreshes every port.
    commands.Resize();
    EXPECT_TRUE(view.timer);
    EXPECT_EQ(view.refreshes.back(), RefreshAllPorts);
    EXPECT_TRUE(view.frameShown);
    EXPECT_EQ(view.frame.Top, PortFrameAround(cells[0]).Top);

    // Selecting a port moves the frame and shows its state.
    commands.SelectPort(3);
    EXPECT_EQ(service.GetCurrentPort(), 3);
    EXPECT_EQ(view.frame.Right, PortFrameAround(cells[3]).Right);
    EXPECT_EQ(State(3), psNoFile);
    EXPECT_EQ(view.status[spPortState], L"Camera (4 ) No file to open.");
}

TEST_F(PlayerCommands, FileEndStopsTheListAndPlayStartsItAgain) {
    commands.SelectPort(2);
    commands.OpenFile(Fixture("cif_ip.MPG"));
    ASSERT_EQ(State(2), psPlaying);
    EXPECT_EQ(view.status[spPortState], L"Camera (3 ) is playing... cif_ip.MPG");
    EXPECT_EQ(view.status[spFileTime].rfind(L"Play Time: 0:0:", 0), 0u);
    EXPECT_EQ(view.enables, ControlEnablesFor(psPlaying));
    Faster();

    // Meanwhile the user looks at port 0: the end of port 2 still reaches port 2.
    commands.SelectPort(0);
    ASSERT_EQ(PumpFileEnds(1, 10000), 1);
    EXPECT_EQ(State(2), psStopped);
    EXPECT_EQ(view.cleared, std::vector<int>{2});
    EXPECT_EQ(service.GetCurrentPort(), 0);
    EXPECT_EQ(view.status[spPortState], L"Camera (1 ) No file to open.");

    // Play on the stopped port plays its one file again from the start.
    commands.SelectPort(2);
    EXPECT_EQ(view.status[spPortState], L"Camera (3 ) Ready cif_ip.MPG");
    EXPECT_EQ(view.status[spFileTime], L"");
    commands.PlayClick();
    EXPECT_EQ(State(2), psPlaying);
    EXPECT_EQ(commands.NextIndex(2), 1);
    EXPECT_LT(Frame(2), 50);
    commands.StopClick();
    EXPECT_EQ(State(2), psStopped);
    EXPECT_EQ(view.slider, 0);
}

TEST_F(PlayerCommands, ListWithAFileThatWillNotOpenGoesOnToTheNext) {
    commands.OpenFiles({Fixture("cif_ip.MPG"), Fixture("missing.MPG"), Fixture("d1_ip.MPG")});
    ASSERT_EQ(State(0), psPlaying);
    Faster();
    ASSERT_EQ(PumpFileEnds(1, 10000), 1);
    // One error box for the missing file, then the third file plays.
    ASSERT_EQ(view.errors.size(), 1u);
    EXPECT_EQ(view.errors[0], L"File Name: " + dvr::win::Utf8ToWide(Fixture("missing.MPG")) +
                                  L"\rOpen file failed.  The file either is in use or has "
                                  L"incorrect format.");
    EXPECT_EQ(State(0), psPlaying);
    EXPECT_EQ(commands.NextIndex(0), 3);
    EXPECT_EQ(view.status[spPortState], L"Camera (1 ) is playing... d1_ip.MPG");
    WaitPlaying(0);
    service.SetCurrentPort(0);
    EXPECT_EQ(service.GetFileTotalFrames(), 50u);

    // Close: no file.
    commands.CloseClick();
    EXPECT_EQ(State(0), psNoFile);
    EXPECT_FALSE(service.Play());
}

TEST_F(PlayerCommands, PauseStepsFirstAndEnd) {
    commands.OpenFile(Fixture("cif_ipb2.MPG"));
    ASSERT_EQ(State(0), psPlaying);
    WaitPlaying(0);
    commands.PauseClick();
    EXPECT_EQ(State(0), psPaused);
    EXPECT_EQ(view.enables, ControlEnablesFor(psPaused));
    EXPECT_EQ(view.status[spPortState], L"Camera (1 ) Pause cif_ipb2.MPG");
    ::Sleep(200);
    const int held = Frame(0);
    commands.FrameClick();
    EXPECT_TRUE(commands.StepMode());
    ::Sleep(300); // the port's play thread shows the step
    EXPECT_EQ(Frame(0), held + 1);
    commands.FrameBackClick();
    ::Sleep(300);
    EXPECT_LE(Frame(0), held);
    commands.FirstClick();
    EXPECT_FALSE(commands.StepMode());
    EXPECT_EQ(State(0), psPaused);
    EXPECT_EQ(Frame(0), 0);
    EXPECT_EQ(view.slider, 1);
    commands.EndClick();
    EXPECT_NEAR(Frame(0), 99, 1);
    EXPECT_EQ(view.slider, 999);
    EXPECT_FALSE(commands.TimerUpdates());
    // Playing again lets the timer follow the port once more.
    commands.PlayClick();
    EXPECT_EQ(State(0), psPlaying);
    EXPECT_TRUE(commands.TimerUpdates());
    commands.SliderScroll(TB_THUMBTRACK);
    EXPECT_TRUE(commands.TimerUpdates());
    commands.SliderScroll(TB_LINEDOWN);
    EXPECT_FALSE(commands.TimerUpdates());
    commands.SliderScroll(TB_ENDTRACK);
    EXPECT_TRUE(commands.TimerUpdates());
}

TEST_F(PlayerCommands, TimerFollowsThePlayingPortAndDraggingSeeks) {
    commands.OpenFile(Fixture("cif_ip.MPG"));
    WaitPlaying(0);
    ::Sleep(600);
    commands.TimerTick();
    EXPECT_GT(view.slider, 0);
    EXPECT_LT(view.slider, 1000);
    EXPECT_EQ(view.status[spPlayedTime].rfind(L"Played Time: 0:0:", 0), 0u);
    EXPECT_EQ(view.status[spCurrentFrame], L"Current Frame: " + std::to_wstring(Frame(0)));

    // Only while the mouse is down on the slider does moving it seek.
    commands.PauseClick();
    view.slider = 500;
    commands.SliderMouseMove();
    service.SetCurrentPort(0);
    EXPECT_LT(service.GetPlayPos(), 0.4);
    commands.SliderMouseDown();
    commands.SliderMouseMove();
    EXPECT_NEAR(service.GetPlayPos(), 0.5, 0.02);
    commands.SliderMouseUp();
    view.slider = 900;
    commands.SliderMouseMove();
    EXPECT_NEAR(service.GetPlayPos(), 0.5, 0.02);

    // A paused port leaves the slider and panels alone.
    view.slider = 7;
    commands.TimerTick();
    EXPECT_EQ(view.slider, 7);
}

TEST_F(PlayerCommands, ZoomPausesTheOthersAndResumesOnlyThoseThatPlayed) {
    for (int p : {0, 1, 3}) {
        commands.SelectPort(p);
        commands.OpenFile(Fixture("cif_ip.MPG"));
        ASSERT_EQ(State(p), psPlaying);
        WaitPlaying(p);
    }
    commands.SelectPort(3);
    commands.PauseClick();
    commands.SelectPort(0);
    commands.TogglePortZoom(2);
    EXPECT_EQ(commands.ZoomedPort(), 2);
    EXPECT_EQ(service.GetCurrentPort(), 2);
    EXPECT_EQ(view.bounds[2], view.DrawArea());
    EXPECT_EQ(view.visible[2], true);
    for (int p : {0, 1, 3})
        EXPECT_FALSE(view.visible[p]) << p;
    EXPECT_EQ(view.refreshes.back(), 2u);
    // The frame follows the grid cell of the zoomed port.
    EXPECT_EQ(view.frame.Top, PortFrameAround(commands.PortCells()[2]).Top);

    const int f0 = Frame(0), f1 = Frame(1), f3 = Frame(3);
    ::Sleep(400);
    EXPECT_EQ(Frame(0), f0);
    EXPECT_EQ(Frame(1), f1);

    commands.TogglePortZoom(2);
    EXPECT_EQ(commands.ZoomedPort(), -1);
    for (int p = 0; p < 4; ++p) {
        EXPECT_TRUE(view.visible[p]);
        EXPECT_EQ(view.bounds[p], commands.PortCells()[p]);
    }
    EXPECT_EQ(view.refreshes.back(), RefreshAllPorts);
    ::Sleep(400);
    EXPECT_GT(Frame(0), f0);
    EXPECT_GT(Frame(1), f1);
    EXPECT_EQ(Frame(3), f3); // it was paused before
}

TEST_F(PlayerCommands, PortCountChangesAndAddedPortsReportTheirEnd) {
    commands.SelectPort(3);
    commands.OpenFile(Fixture("cif_ip.MPG"));
    commands.TogglePortZoom(3);
    commands.ChangePortCount(2);
    EXPECT_EQ(service.GetPortCount(), 2);
    EXPECT_EQ(view.panels.size(), 2u);
    EXPECT_EQ(commands.ZoomedPort(), -1);
    EXPECT_EQ(service.GetCurrentPort(), 0);
    service.SetCurrentPort(3);
    EXPECT_FALSE(service.Play()); // the removed port's file is closed
    service.SetCurrentPort(0);
    ::RegFlushKey(HKEY_LOCAL_MACHINE);
    {
        TReplayService again;
        again.Init();
        EXPECT_EQ(again.GetPortCount(), 2);
    }
    // An end notice from a port that is gone changes nothing.
    commands.HandleFileEnd(3);
    commands.HandleFileEnd(-1);
    EXPECT_EQ(service.GetCurrentPort(), 0);

    commands.ChangePortCount(6);
    EXPECT_EQ(view.panels.size(), 6u);
    const std::vector<TRect> cells = LayoutPorts(6, view.DrawArea());
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(view.bounds[i], cells[i]) << i;
    commands.ChangePortCount(17);
    commands.ChangePortCount(0);
    EXPECT_EQ(service.GetPortCount(), 6);

    commands.SelectPort(5);
    commands.OpenFile(Fixture("cif_ip.MPG"));
    Faster();
    ASSERT_EQ(PumpFileEnds(1, 10000), 1);
    EXPECT_EQ(State(5), psStopped);

    // Every layout from 1 to 16 ports.
    for (int n = 1; n <= 16; ++n) {
        commands.ChangePortCount(n);
        ASSERT_EQ(static_cast<int>(view.panels.size()), n);
        const std::vector<TRect> want = LayoutPorts(n, view.DrawArea());
        for (int i = 0; i < n; ++i)
            EXPECT_EQ(view.bounds[i], want[i]) << n << " " << i;
    }
}

TEST_F(PlayerCommands, PortCountChangeWhileZoomedResumesThePausedPorts) {
    for (int p : {0, 3}) {
        commands.SelectPort(p);
        commands.OpenFile(Fixture("cif_ip.MPG"));
        WaitPlaying(p);
    }
    commands.TogglePortZoom(3);
    ::Sleep(100);
    const int held = Frame(0);
    ::Sleep(300);
    ASSERT_EQ(Frame(0), held);
    commands.ChangePortCount(2);
    EXPECT_EQ(commands.ZoomedPort(), -1);
    EXPECT_TRUE(view.visible[0]);
    EXPECT_TRUE(view.visible[1]);
    ::Sleep(400);
    EXPECT_GT(Frame(0), held);
}

TEST_F(PlayerCommands, StoppedPortThatNeverHadAFile) {
    commands.SelectPort(1);
    commands.StopClick();
    EXPECT_EQ(State(1), psStopped);
    commands.PlayClick();
    EXPECT_EQ(State(1), psNoFile);
    EXPECT_TRUE(view.errors.empty());
    // A port never selected reads "playing": play finds nothing to play.
    service.SetCurrentPort(2);
    commands.PlayClick();
    EXPECT_EQ(State(2), psNoFile);
    EXPECT_EQ(view.errors, std::vector<std::wstring>{L"The player failed to play the file."});
}

TEST_F(PlayerCommands, CloseStopsEveryPlayingPort) {
    for (int p : {1, 2}) {
        commands.SelectPort(p);
        commands.OpenFile(Fixture("cif_ip.MPG"));
    }
    commands.PauseClick(); // port 2 paused
    commands.SelectPort(3);
    commands.CloseAll();
    EXPECT_EQ(service.GetCurrentPort(), 3);
    EXPECT_EQ(State(1), psNoFile);
    EXPECT_EQ(State(2), psPaused);
}

} // namespace
} // namespace playerqz
