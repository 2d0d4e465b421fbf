// The whole host without a board, cycling over its host groups: three serving hosts on
// loopback, the operator leaves the middle one out in the cycle dialog, and the panes show the
// first host's camera, then the third's, then the first's again, the cycle timer started anew
// by each open-all. The test runs the timer's steps itself (the dialog's interval is an hour),
// so that a slow machine cannot miss a group.
#include "host/ui/F_ClientVideoCycleSetForm.h"
#include "host/ui/F_MainForm.h"
#include "host/ui/F_StartUp.h"
#include "host/ui/U_ConsoleCommands.h"
#include "host/ui/U_HostObjects.h"
#include "host/ui/client_settings_testing.h"
#include "host/ui/exit_with_result_testing.h"
#include "host/ui/host_run_testing.h"
#include "host/ui/window_shot_testing.h"

#include "common/win/handles.h"
#include "host/net/live_testing.h"
#include "host/net/serving_host_testing.h"
#include "player/lib/strovid_api.h"
#include "sim/brevix32/SimCtl.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace vantrel {
namespace {

using namespace dvr::fw;
using testing::WaitUntil;

constexpr int kGroups = 3;

// Pictures the first pane's player port decoded.
std::atomic<int> CyclePanePictures{0};
void CALLBACK CountCyclePicture(int, const uint8_t*, int, int, int, uint32_t, int, int) {
    ++CyclePanePictures;
}

struct CycleRun {
    std::array<testing::FakeLiveHost, kGroups>* servers = nullptr;
    std::vector<std::string> failures;
    void Check(bool ok, const std::string& what) {
        if (!ok) failures.push_back(what);
    }
    // Groups the panes showed, in order.
    std::vector<int> shown;
    bool dialogSeen = false, stoppedByButton = false;
};

void Step(const char* what) {
    std::printf("network cycle: %s\n", what);
    std::fflush(stdout);
}

constexpr int kCycleSeconds = 3600;

// The cycle button, then its dialog answered as the operator would: the middle group left
// out, an hour apart, OK.
void StartCycleThroughTheDialog(THost& h, CycleRun& run) {
    const std::set<HWND> before = testing::OwnVisibleWindows();
    std::atomic<bool> done{false};
    std::thread button([&] {
        h.Synchronize([] { MainForm->Commands->Buttons[6]->Click(); });
        done = true;
    });
    TClientVideoCycleSetForm* dialog = nullptr;
    WaitUntil(
        [&] {
            for (HWND w : testing::OwnVisibleWindows())
                if (!before.count(w))
                    if (auto* f = dynamic_cast<TClientVideoCycleSetForm*>(TWinControl::FindControl(w)))
                        dialog = f;
            return dialog || done;
        },
        60000);
    run.dialogSeen = dialog != nullptr;
    if (dialog) {
        // The modal loop runs the synchronised steps.
        h.Synchronize([&] {
            dialog->lv_GroupList->Items()->Item(1)->SetChecked(false);
            dialog->se_CycleSpaceTime->SetText(std::to_string(kCycleSeconds));
            ::RedrawWindow(dialog->WindowHandle(), nullptr, nullptr,
                           RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            testing::SaveWindowShot(dialog->WindowHandle(), "host_network_cycle_dialog");
            dialog->bt_OK->Click();
        });
    }
    button.join();
}

// The panes show `group`: the cycle is on that group, the first pane plays a stream of that
// group's host, taken after `connections` earlier ones, and the open-all worker has finished
// and started the timer again.
bool ShowsGroup(THost& h, CycleRun& run, int group, int connections) {
    return WaitUntil(
        [&] {
            bool ready = false;
            h.Synchronize([&] {
                const TTimer& timer = *MainForm->VideoCycleTimer;
                ready = MainForm->CycleGroup == group && h.Preview->CycleMode &&
                        timer.Enabled() && timer.Interval() == kCycleSeconds * 1000u &&
                        !h.BatchBusy.Any() && h.Preview->Panes[0].Playing;
            });
            return ready && (*run.servers)[size_t(group)].CheckIPCalls > connections;
        },
        90000);
}

void DriveTheCycle(CycleRun& run) {
    // The logon prompt of the first show is answered with Cancel.
    testing::CancelledLogon& cancel = testing::CancelledLogonPrompt();
    if (!testing::WaitForHostUp([] { return Host->WorkState && Host->Synchronizer; })) {
        run.Check(false, "the host did not come up");
        return;
    }
    THost& h = *Host;
    testing::AccountLogon logon;
    int boards = -1, channels = -1;
    h.Synchronize([&] {
        MainForm->LogonPrompt = &logon;
        MainForm->Unlock();
        MainForm->LogonPrompt = &cancel;
        boards = h.BoardCount();
        channels = h.NetClientSet->NetChannelCount;
    });
    run.Check(boards == 0, "the host found a board");
    run.Check(channels == kGroups, "the host has " + std::to_string(channels) +
                                       " network channels");
    if (boards != 0 || channels != kGroups) return;
    auto& servers = *run.servers;

    Step("cycle dialog");
    StartCycleThroughTheDialog(h, run);
    if (!run.dialogSeen) return;

    // First group, then the third (the middle one was left out), then the first again.
    int connections[kGroups] = {};
    for (int group : {0, 2, 0}) {
        Step(("group " + std::to_string(group)).c_str());
        if (!ShowsGroup(h, run, group, connections[group])) {
            int at = -1;
            bool timer = false, playing = false;
            h.Synchronize([&] {
                at = MainForm->CycleGroup;
                timer = MainForm->VideoCycleTimer->Enabled();
                playing = h.Preview->Panes[0].Playing;
            });
            run.Check(false, "group " + std::to_string(group) + " was not shown (cycle group " +
                                 std::to_string(at) + ", timer " + (timer ? "on" : "off") +
                                 ", pane " + (playing ? "playing" : "not playing") + ")");
            break;
        }
        // Its pictures reach the pane.
        CyclePanePictures = 0;
        if (!WaitUntil([] { return CyclePanePictures >= 25; }, 60000)) {
            run.Check(false, "group " + std::to_string(group) + "'s pictures did not play");
            break;
        }
        run.shown.push_back(group);
        connections[group] = servers[size_t(group)].CheckIPCalls;
        if (run.shown.size() == 2)
            h.Synchronize([] { testing::SaveWindowShot(MainForm->WindowHandle(), "host_network_cycle"); });
        if (run.shown.size() == 3) break;
        // The timer's step: it stops the timer until the next group's channels are open.
        bool stopped = false;
        h.Synchronize([&] {
            MainForm->VideoCycleTimerTimer(MainForm->VideoCycleTimer);
            stopped = !MainForm->VideoCycleTimer->Enabled();
        });
        run.Check(stopped, "the cycle's step left the timer running");
    }
    run.Check(servers[1].CheckIPCalls == 0, "the group left out was shown");

    // The button again ends the cycle; the panes stay open.
    Step("cycle off");
    h.Synchronize([&] {
        MainForm->Commands->Buttons[6]->Click();
        run.stoppedByButton = !h.Preview->CycleMode && !MainForm->VideoCycleTimer->Enabled();
    });
}

TEST(HostNetworkCycle, ABoardlessHostCyclesOverTheFlaggedGroups) {
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VQS\\WorkState");
    ASSERT_TRUE(testing::MapFreshDriveR(L"vantrel-net-cycle")) << "runs in the session";

    // Three serving hosts, one camera each.
    std::array<testing::FakeLiveHost, kGroups> servers;
    std::vector<std::unique_ptr<testing::FedLiveServer>> serving;
    for (auto& s : servers) {
        s.Channels = 1;
        serving.push_back(std::make_unique<testing::FedLiveServer>(s, 1, 8, 23000));
        ASSERT_TRUE(serving.back()->Ok());
    }

    // The host's settings: the defaults, no name server, one group per serving host.
    testing::ClientSettingsForTest settings(false);
    ASSERT_TRUE(settings.Saved());
    TClientGroupRecord groups[kGroups]{};
    TClientChannelRecord channels[kGroups]{};
    const char* names[kGroups] = {"north", "middle", "south"};
    for (int g = 0; g < kGroups; ++g) {
        groups[g].Name.Set(names[g]);
        groups[g].HostAddress.Set("127.0.0.1");
        groups[g].UserName.Set("guest");
        groups[g].Password.Set("pw");
        groups[g].Ports.Port[0] = serving[size_t(g)]->Base();
        groups[g].Ports.Port[14] = 1; // nobody listens: alarm subscriptions go nowhere
        groups[g].OwnId = 10 + g;
        channels[g].InUse = 1;
        channels[g].Name.Set(std::string("cam-") + names[g]);
        channels[g].RemoteChannel = 0;
        channels[g].GroupId = 10 + g;
    }
    ASSERT_TRUE(settings.SaveGroups(groups, channels));

    // No board answers.
    ASSERT_EQ(SimCtl_FailOperation(0, SIMCTL_OP_GET_NUM, -1), 0);
    RE4Ravi_SetDisplayCallBack(0, &CountCyclePicture);
    CycleRun run;
    run.servers = &servers;
    HANDLE watcher = ::CreateThread(
        nullptr, 0,
        [](LPVOID p) -> DWORD {
            auto* r = static_cast<CycleRun*>(p);
            DriveTheCycle(*r);
            if (MainForm) {
                MainForm->Hooks.Pause = [](DWORD ms) { ::Sleep(std::min<DWORD>(ms, 50)); };
                ::PostMessageW(MainForm->WindowHandle(), WM_POWERACTION, WPARAM(-1), LPARAM(-1));
            }
            return 0;
        },
        &run, 0, nullptr);
    dvr::win::Thread owned(watcher);
    const int code = ProgramMain();
    ASSERT_EQ(::WaitForSingleObject(watcher, 60000), WAIT_OBJECT_0);
    SimCtl_FailOperation(0, SIMCTL_OP_GET_NUM, 0);
    RE4Ravi_SetDisplayCallBack(0, nullptr);
    EXPECT_EQ(code, 0);
    for (const std::string& f : run.failures)
        ADD_FAILURE() << f;
    EXPECT_TRUE(run.dialogSeen) << "the cycle button did not open its dialog";
    EXPECT_EQ(run.shown, (std::vector<int>{0, 2, 0}));
    EXPECT_TRUE(run.stoppedByButton);
    EXPECT_EQ(Host->NetClient->RunningThreads(), 0);
}

} // namespace
} // namespace vantrel
