#include "skin/controls/te_hook.h"

#include "framework/exceptions.h"
#include "framework/ui/forms.h"
#include "framework/ui/ui_test_controls.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace dvr::skin {
namespace {

using fw::TMessage;
using fw::testing::TTestBox;
using fw::testing::WM_TEST_PING;

// Records what each pass sees of the test messages; can take over or throw.
class TRecordingHook : public TTeHook {
    FW_CLASS(TRecordingHook, TTeHook)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(WM_TEST_PING, WMTestPing)
    FW_MESSAGES_END
public:
    TRecordingHook(fw::TComponent* AOwner, std::string Name, std::vector<std::string>* Log)
        : TTeHook(AOwner), name_(std::move(Name)), log_(Log) {}
    bool TakeOver = false;
    bool Throw = false;
    int Quits = 0, QuitsAfter = 0;

    void DispatchHookedMessage(TMessage& Message, bool& Handled) override {
        if (Message.Msg == WM_QUIT) ++Quits;
        TTeHook::DispatchHookedMessage(Message, Handled);
    }
    void HandleMessage(TMessage& Message, bool& Handled) override {
        if (Message.Msg == WM_QUIT) ++QuitsAfter;
        if (Message.Msg == WM_TEST_PING)
            log_->push_back(name_ + " after " + std::to_string(Message.Result));
        TTeHook::HandleMessage(Message, Handled);
    }

private:
    void WMTestPing(TMessage& M) {
        log_->push_back(name_ + " before");
        if (Throw) throw fw::Exception("hook failed");
        if (TakeOver) {
            M.Result = 7;
            MarkHandled();
        }
    }
    std::string name_;
    std::vector<std::string>* log_;
};

struct FormDeleter {
    void operator()(fw::TForm* f) const { f->Free(); }
};

class HookTest : public ::testing::Test {
protected:
    void SetUp() override {
        form.reset(new fw::TForm(nullptr));
        form->SetBounds(0, 0, 200, 150);
        box = new TTestBox(form.get());
        box->SetParent(form.get());
        box->HandleNeeded();
        plain_proc = Proc();
    }
    WNDPROC Proc() {
        return reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(box->Handle(), GWLP_WNDPROC));
    }
    TRecordingHook* NewHook(const std::string& name) {
        auto* h = new TRecordingHook(form.get(), name, &log);
        h->SetControl(box);
        return h;
    }
    intptr_t Ping() { return ::SendMessageW(box->Handle(), WM_TEST_PING, 0, 0); }
    void Pump() {
        MSG m;
        while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&m);
    }
    std::unique_ptr<fw::TForm, FormDeleter> form;
    TTestBox* box = nullptr;
    WNDPROC plain_proc = nullptr;
    std::vector<std::string> log;
};

TEST_F(HookTest, HooksSeeMessagesLastAttachedFirstAroundTheControl) {
    TRecordingHook* first = NewHook("first");
    TRecordingHook* second = NewHook("second");
    TControlHook* ch = first->ControlHook();
    ASSERT_NE(ch, nullptr);
    EXPECT_EQ(second->ControlHook(), ch); // one subclassing per control
    EXPECT_EQ(Proc(), ch->ObjectInstance());
    EXPECT_EQ(ch->OldWndProc(), plain_proc);
    EXPECT_EQ(GetHookList()->FindControlHook(box), ch);

    EXPECT_EQ(Ping(), 42);
    EXPECT_EQ(log, (std::vector<std::string>{"second before", "first before", "second after 42",
                                             "first after 42"}));
    EXPECT_EQ(box->Log, std::vector<std::string>{"ping"});

    // Taken over by the newest hook: neither the older hook nor the control sees it.
    log.clear();
    box->Log.clear();
    second->TakeOver = true;
    EXPECT_EQ(Ping(), 7);
    EXPECT_EQ(log, std::vector<std::string>{"second before"});
    EXPECT_TRUE(box->Log.empty());
}

TEST_F(HookTest, UnhookingGivesTheWindowItsProcedureBackUnlessSomeoneSubclassedOnTop) {
    TRecordingHook* a = NewHook("a");
    TRecordingHook* b = NewHook("b");
    a->SetActive(false);
    EXPECT_EQ(a->ControlHook(), nullptr);
    EXPECT_NE(Proc(), plain_proc); // b still watches
    b->SetActive(false);
    EXPECT_EQ(Proc(), plain_proc);
    EXPECT_EQ(Ping(), 42);
    EXPECT_TRUE(log.empty());

    // Reactivated, then another procedure goes on top: deactivating leaves that one.
    b->SetActive(true);
    ASSERT_NE(b->ControlHook(), nullptr);
    WNDPROC ours = Proc();
    static WNDPROC below = nullptr;
    below = ours;
    WNDPROC other = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        return ::CallWindowProcW(below, w, m, wp, lp);
    };
    ::SetWindowLongPtrW(box->Handle(), GWLP_WNDPROC, LONG_PTR(other));
    b->SetActive(false);
    EXPECT_EQ(Proc(), other);
    ::SetWindowLongPtrW(box->Handle(), GWLP_WNDPROC, LONG_PTR(plain_proc));
}

TEST_F(HookTest, RecreatedWindowIsSubclassedAgainAfterThePostedRehook) {
    TRecordingHook* h = NewHook("h");
    TControlHook* ch = h->ControlHook();
    HWND old_wnd = box->Handle();
    box->RecreateWnd();
    HWND new_wnd = box->Handle();
    ASSERT_NE(new_wnd, old_wnd);
    EXPECT_EQ(ch->OldWndProc(), nullptr);
    EXPECT_EQ(Proc(), plain_proc); // the framework's own, until the re-hook arrives
    Pump();
    EXPECT_EQ(Proc(), ch->ObjectInstance());
    EXPECT_EQ(Ping(), 42);
    EXPECT_EQ(log, (std::vector<std::string>{"h before", "h after 42"}));
}

TEST_F(HookTest, QuitSkipsTheBeforePass) {
    TRecordingHook* h = NewHook("h");
    ::SendMessageW(box->Handle(), WM_QUIT, 0, 0);
    EXPECT_EQ(h->Quits, 0);
    EXPECT_EQ(h->QuitsAfter, 1);
}

struct ExceptionCatcher : fw::TObject {
    std::vector<std::string> messages;
    void OnException(fw::TObject*, const fw::Exception& e) { messages.push_back(e.Message()); }
};

TEST_F(HookTest, AFailingHookIsReportedAndTheMessageGoesOn) {
    ExceptionCatcher catcher;
    auto saved = fw::Application->OnException;
    fw::Application->OnException = fw::TExceptionEvent(&catcher, &ExceptionCatcher::OnException);
    TRecordingHook* a = NewHook("a");
    TRecordingHook* b = NewHook("b");
    b->Throw = true;
    EXPECT_EQ(Ping(), 42);
    fw::Application->OnException = saved;
    EXPECT_EQ(catcher.messages, std::vector<std::string>{"hook failed"});
    EXPECT_EQ(box->Log, std::vector<std::string>{"ping"});
    EXPECT_EQ(log, (std::vector<std::string>{"b before", "a before", "b after 42", "a after 42"}));
    (void)a;
}

TEST_F(HookTest, FreeingEitherSideLeavesNothingDangling) {
    // The hook goes first: the window gets its procedure back, the hook object is freed
    // once the posted message is handled.
    TRecordingHook* h = NewHook("h");
    TControlHook* ch = h->ControlHook();
    h->Free();
    EXPECT_EQ(Proc(), plain_proc);
    EXPECT_GE(GetHookList()->IndexOf(ch), 0);
    Pump();
    EXPECT_LT(GetHookList()->IndexOf(ch), 0);

    // The control goes first: the hook lets go of it and keeps working as a component.
    TRecordingHook* g = NewHook("g");
    ch = g->ControlHook();
    box->Free();
    box = nullptr;
    EXPECT_EQ(g->GetControl(), nullptr);
    EXPECT_EQ(g->ControlHook(), nullptr);
    EXPECT_TRUE(g->Active());
    Pump();
    EXPECT_LT(GetHookList()->IndexOf(ch), 0);
    g->Free();
}

} // namespace
} // namespace dvr::skin
