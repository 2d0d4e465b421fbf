// The console on the whole host: logged on as the default account, each console button and
// the menu items of this host's windows do what they say; a user without the right is
// refused.
#include "host/ui/F_MainForm.h"
#include "host/ui/F_ReplayForm.h"
#include "host/ui/F_StartUp.h"
#include "host/ui/F_SysteSetForm.h"
#include "host/ui/U_ConsoleCommands.h"
#include "host/ui/U_HostObjects.h"
#include "host/ui/host_run_testing.h"
#include "host/net/F_RemoteReplayWindow.h"
#include "host/ui/window_shot_testing.h"

#include "common/win/handles.h"
#include "common/win/textconv.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <set>
#include <thread>

namespace vantrel {
namespace {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;


TMenuItem* ItemNamed(TMenuItem* parent, const std::string& name) {
    for (int i = 0; i < parent->Count(); ++i) {
        TMenuItem* item = parent->Items(i);
        if (item->Name() == name) return item;
        if (TMenuItem* deeper = ItemNamed(item, name)) return deeper;
    }
    return nullptr;
}

// Progress on the test's output, so that a step that hangs is seen.
void Step(const char* what) {
    std::printf("console run: %s\n", what);
    std::fflush(stdout);
}

struct ConsoleLog {
    std::vector<std::string> failures;
    std::vector<std::wstring> asked;
    std::vector<TPopupMenu*> popped;
    bool exitAsked = false;
    void Check(bool ok, const std::string& what) {
        if (!ok) failures.push_back(what);
    }
};

// Runs `step` on the user-interface thread from a helper thread, so that a modal window it
// opens can be looked at and closed from here; the window's kind is checked by `is`.
template <class F>
bool OpensModal(THost& h, const std::function<void()>& step, ConsoleLog& run, const std::string& what) {
    Step(what.c_str());
    const std::set<HWND> before = testing::OwnVisibleWindows();
    std::atomic<bool> done{false};
    std::thread helper([&] {
        h.Synchronizer->Run(step);
        done = true;
    });
    HWND opened = nullptr;
    for (int i = 0; i < 3000 && !opened && !done; ++i) {
        for (HWND w : testing::OwnVisibleWindows())
            if (!before.count(w) && dynamic_cast<F*>(TWinControl::FindControl(w))) opened = w;
        if (!opened) ::Sleep(10);
    }
    if (opened) {
        // Painted whole before the picture is taken.
        h.Synchronizer->Run([&] {
            ::RedrawWindow(opened, nullptr, nullptr,
                           RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        });
        testing::SaveWindowShot(opened, "host_console_run_" + what);
        // Ended as its Cancel would: inside the modal loop, which runs the synchronised steps.
        auto* form = dynamic_cast<TCustomForm*>(TWinControl::FindControl(opened));
        h.Synchronizer->Run([&] {
            if (auto* s = dynamic_cast<TSystemSetForm*>(form)) s->CanClose = true;
            form->SetModalResult(2);
        });
    }
    helper.join();
    run.Check(opened != nullptr, what + " did not open");
    return opened != nullptr;
}

void DriveTheConsole(ConsoleLog& run) {
    THost& h = *Host;
    auto ui = [&](const std::function<void()>& step) { h.Synchronizer->Run(step); };
    static testing::AccountLogon logon;
    TConsoleCommands* c = MainForm->Commands;
    ui([&] {
        MainForm->LogonPrompt = &logon;
        MainForm->Unlock();
        c->Ask = [&run](const std::wstring& text, const std::wstring&, UINT) {
            run.asked.push_back(text);
            return IDYES;
        };
        c->PopupMenu = [&run](TPopupMenu* m, int, int) { run.popped.push_back(m); };
        c->ExitSystem = [&run] { run.exitAsked = true; };
    });
    run.Check(!MainForm->Locked, "the default account did not unlock the console");
    Step("logged on");
    auto press = [&](int tag) {
        Step(("button " + std::to_string(tag)).c_str());
        ui([&] { c->Buttons[size_t(tag)]->Click(); });
    };

    // Menus of the buttons that offer them.
    for (const auto& [tag, menu] : {std::pair{1, c->pm_SystemSet}, std::pair{3, c->pm_Replay},
                                    std::pair{7, c->pm_OtherFunction}}) {
        run.popped.clear();
        // These open their menus on the button's release.
        ui([&] {
            TImage* b = c->Buttons[size_t(tag)];
            b->OnMouseDown(b, TMouseButton::mbLeft, {}, 2, 2);
            b->OnMouseUp(b, TMouseButton::mbLeft, {}, 2, 2);
        });
        run.Check(run.popped.size() == 1 && run.popped[0] == menu,
                  "button " + std::to_string(tag) + " did not pop its menu");
    }
    // Automatic work and listening toggle.
    press(2);
    run.Check(h.Auto && h.Auto->AutoMode, "automatic work did not start");
    press(2);
    run.Check(h.Auto && !h.Auto->AutoMode, "automatic work did not stop");
    ui([&] { h.Preview->Open(0); });
    press(4);
    run.Check(h.Preview->Listening, "listening did not start");
    press(4);
    run.Check(!h.Preview->Listening, "listening did not stop");
    // The snapshot of the selected (previewing) board pane lands in the recordings index.
    const size_t before = run.asked.size();
    press(5);
    run.Check(run.asked.size() == before, "the snapshot was refused");
    // The board host's cycling dialog.
    OpensModal<TForm>(h, [&] { c->Buttons[6]->Click(); }, run, "cycle");
    // Lock (answered yes) and exit.
    press(8);
    run.Check(MainForm->Locked, "the lock button did not lock");
    ui([&] { MainForm->Unlock(); });
    press(9);
    run.Check(run.exitAsked, "the exit button did nothing");

    // The windows behind the menu items.
    OpensModal<TSystemSetForm>(
        h, [&] { ItemNamed(c->pm_SystemSet->Items(), "N1")->Click(); }, run, "local_settings");
    OpensModal<TReplayForm>(h, [&] { ItemNamed(c->pm_Replay->Items(), "N3")->Click(); }, run,
                            "local_replay");
    OpensModal<TRemoteReplayWindow>(
        h, [&] { ItemNamed(c->pm_Replay->Items(), "N4")->Click(); }, run, "remote_replay");

    Step("refusals");
    // A user without rights is refused the settings and the replay.
    ui([&] {
        auto users = h.User->Users();
        std::vector<TUserRecord> records(users->begin(), users->end());
        TUserRecord op = records.front();
        op.UserName.Set("op");
        op.Password.Set("1");
        op.Level = 2;
        // Logging on only.
        std::memset(op.Rights, 0, sizeof op.Rights);
        op.Rights[0].Enabled = 1;
        records.push_back(op);
        h.User->SaveUsers(records.data(), int(records.size() * sizeof(TUserRecord)));
        h.User->Reload();
        logon.name = "op";
        logon.password = "1";
        MainForm->Locked = true;
        MainForm->Unlock();
    });
    run.Check(h.User->CurrentName() == "op", "the operator did not log on");
    for (const char* item : {"N1", "N3"}) {
        run.asked.clear();
        ui([&] {
            TMenuItem* i = ItemNamed(c->pm_SystemSet->Items(), item);
            if (!i) i = ItemNamed(c->pm_Replay->Items(), item);
            i->Click();
        });
        run.Check(run.asked.size() == 1 &&
                      run.asked[0] == dvr::win::GbkToWide(Utf8ToGbk("对不起！您不具备本操作的权限。")),
                  std::string(item) + " was not refused");
    }
}

TEST(ConsoleRun, TheDefaultAccountReachesEveryButtonAndAUserWithoutRightsIsRefused) {
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VQS\\WorkState");
    ASSERT_TRUE(testing::MapFreshDriveR(L"vantrel-console-run")) << "runs in the session";
    wchar_t exe[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring folder = exe;
    folder = folder.substr(0, folder.find_last_of(L'\\') + 1);
    const std::wstring usersFile = folder + L"USER\\User.ifm";
    const std::vector<uint8_t> savedUsers = testing::ReadWholeWinFile(dvr::win::WideToGbk(usersFile));
    ::DeleteFileW(usersFile.c_str());

    struct Watch {
        std::atomic<bool> done{false};
        ConsoleLog run;
        bool reached = false;
    } watch;
    HANDLE watcher = ::CreateThread(
        nullptr, 0,
        [](LPVOID p) -> DWORD {
            auto* w = static_cast<Watch*>(p);
            static struct : TLogonPrompt {
                bool Prompt(std::string&, std::string&) override { return false; }
            } cancel;
            for (int i = 0; i < 6000 && !w->done; ++i) {
                if (MainForm && MainForm->LogonPrompt != &cancel &&
                    MainForm->LogonPrompt == &MainForm->LogonDialog)
                    MainForm->LogonPrompt = &cancel;
                if (MainForm && Host && Host->WorkState && Host->Synchronizer &&
                    ::IsWindowVisible(MainForm->WindowHandle())) {
                    w->reached = true;
                    Step("console shown");
                    DriveTheConsole(w->run);
                    MainForm->Hooks.Pause = [](DWORD) {};
                    ::PostMessageW(MainForm->WindowHandle(), WM_POWERACTION, WPARAM(-1),
                                   LPARAM(-1));
                    return 0;
                }
                ::Sleep(10);
            }
            return 1;
        },
        &watch, 0, nullptr);
    dvr::win::Thread owned(watcher);
    const int code = ProgramMain();
    watch.done = true;
    ::WaitForSingleObject(watcher, 5000);

    ::DeleteFileW(usersFile.c_str());
    if (!savedUsers.empty()) {
        dvr::win::File f(::CreateFileW(usersFile.c_str(), GENERIC_WRITE, 0, nullptr,
                                       CREATE_ALWAYS, 0, nullptr));
        DWORD put = 0;
        ::WriteFile(f.get(), savedUsers.data(), DWORD(savedUsers.size()), &put, nullptr);
    }
    EXPECT_EQ(code, 0);
    ASSERT_TRUE(watch.reached);
    for (const std::string& f : watch.run.failures)
        ADD_FAILURE() << f;
}

} // namespace
} // namespace vantrel
