#include "framework/ui/forms.h"

#include "common/win/textconv.h"
#include "framework/ui/menus.h"
#include "framework/ui/timer.h"
#include "framework/ui/ui_test_controls.h"

#include <gtest/gtest.h>

#include <memory>

namespace dvr::fw {
namespace {

using testing::TTestBox;
using testing::TTestSwatch;

struct FormDeleter {
    void operator()(TCustomForm* f) const { f->Free(); }
};
template <class T> using FormPtr = std::unique_ptr<T, FormDeleter>;

// Runs messages until Done or the message budget is spent (a timer wakes the loop).
template <class F> void RunUntil(F Done, int Budget = 2000) {
    while (!Done() && Budget-- > 0)
        Application->HandleMessage();
}

// The form of forms_test_form.txt; its resource holds the same layout.
class TLayoutForm : public TForm {
    FW_CLASS(TLayoutForm, TForm)
public:
    using TForm::TForm;
    std::vector<std::string> CreateLog;
    void FormCreate(TObject*) {
        // OnCreate sees the finished form: children read, aligned and loaded.
        CreateLog.push_back(std::to_string(ComponentCount()));
        CreateLog.push_back(Loading() ? "loading" : "loaded");
    }
};

void BuildLayoutInCode(TLayoutForm* f) {
    TLoadingBracket bracket(*f);
    f->SetName("LayoutForm");
    f->SetBounds(100, 80, 320, 240);
    f->SetCaption(win::Utf8ToGbk("布局窗体"));
    auto* clock = new TTimer(f);
    clock->SetName("Clock");
    clock->SetInterval(250);
    auto* header = new TTestBox(f);
    header->SetName("Header");
    header->SetParent(f);
    header->SetBounds(0, 0, 312, 24);
    header->SetAlign(TAlign::alTop);
    header->SetCaption("Header");
    auto* mark = new TTestSwatch(f);
    mark->SetName("Mark");
    mark->SetParent(header);
    mark->SetBounds(4, 4, 16, 16);
    auto* preview = new TTestBox(f);
    preview->SetName("Preview");
    preview->SetParent(f);
    preview->SetBounds(0, 24, 200, 100);
    preview->SetAlign(TAlign::alClient);
    preview->SetCaption(win::Utf8ToGbk("预览"));
    preview->SetVisible(false);
    bracket.Finish();
}

std::string Describe(TComponent* root) {
    std::string s;
    for (int i = 0; i < root->ComponentCount(); ++i) {
        TComponent* c = root->Components(i);
        s += c->ClassName() + " " + c->Name();
        if (auto* t = dynamic_cast<TTimer*>(c)) s += " interval " + std::to_string(t->Interval());
        if (auto* ctl = dynamic_cast<TControl*>(c)) {
            TRect r = ctl->BoundsRect();
            s += " in " + (ctl->Parent() ? ctl->Parent()->Name() : std::string("-")) + " at " +
                 std::to_string(r.Left) + "," + std::to_string(r.Top) + "," +
                 std::to_string(r.Right) + "," + std::to_string(r.Bottom) + " '" + ctl->Caption() +
                 "' align " + std::to_string(int(ctl->Align())) + (ctl->Visible() ? "" : " hidden");
        }
        s += "\n";
    }
    return s;
}

TEST(Form, BuiltInCodeAndReadFromItsResourceGiveTheSameControls) {
    testing::RegisterTestControls();
    RegisterClass(TTimer::StaticClass());
    FormPtr<TLayoutForm> coded(new TLayoutForm(nullptr));
    BuildLayoutInCode(coded.get());

    FormPtr<TLayoutForm> read(new TLayoutForm(nullptr));
    read->OnCreate = TNotifyEvent(read.get(), &TLayoutForm::FormCreate);
    read->AfterConstruction();
    EXPECT_EQ(read->CreateLog, (std::vector<std::string>{"4", "loaded"}));

    EXPECT_EQ(read->Name(), coded->Name());
    EXPECT_EQ(read->Caption(), coded->Caption());
    EXPECT_EQ(read->BoundsRect(), coded->BoundsRect());
    EXPECT_EQ(Describe(read.get()), Describe(coded.get()));
    // The alignment was done once loading ended.
    auto* header = static_cast<TControl*>(read->FindComponent("Header"));
    EXPECT_EQ(header->Width(), read->ClientWidth());
    // A form without a resource is simply empty.
    FormPtr<TForm> plain(MakeForm<TForm>(nullptr));
    EXPECT_EQ(plain->ComponentCount(), 0);
}

TEST(Form, ShowModalReturnsTheModalResultAndDisablesTheOtherForms) {
    FormPtr<TForm> other(new TForm(nullptr));
    other->Show();
    FormPtr<TForm> dialog(new TForm(nullptr));
    struct Driver : TObject {
        TForm* dialog;
        TForm* other;
        TModalResult result;
        bool other_enabled = true;
        std::vector<std::string> log;
        int ticks = 0;
        bool allow = true;
        void Tick(TObject*) {
            if (++ticks == 1) other_enabled = ::IsWindowEnabled(other->WindowHandle());
            dialog->SetModalResult(result);
        }
        void Close(TObject*, TCloseAction& A) { log.push_back("close " + std::to_string(int(A))); }
        void Query(TObject*, bool& Can) {
            log.push_back("query");
            Can = allow;
            allow = true;
        }
    };
    struct Case {
        TModalResult set;
        bool refuse_once;
        std::vector<std::string> log;
    } cases[] = {{mrOk, false, {"query", "close 1"}},
                 {mrCancel, false, {"query", "close 1"}},
                 {mrYes, true, {"query", "query", "close 1"}}};
    for (const Case& c : cases) {
        Driver d;
        d.dialog = dialog.get();
        d.other = other.get();
        d.result = c.set;
        d.allow = !c.refuse_once;
        dialog->OnClose = TCloseEvent(&d, &Driver::Close);
        dialog->OnCloseQuery = TCloseQueryEvent(&d, &Driver::Query);
        TTimer timer(nullptr);
        timer.SetInterval(10);
        timer.SetOnTimer(TNotifyEvent(&d, &Driver::Tick));
        EXPECT_EQ(dialog->ShowModal(), c.set);
        EXPECT_EQ(d.log, c.log);
        EXPECT_FALSE(d.other_enabled);
        EXPECT_TRUE(::IsWindowEnabled(other->WindowHandle()));
        EXPECT_FALSE(dialog->Visible());
        EXPECT_FALSE(::IsWindowVisible(dialog->WindowHandle()));
    }
    // A visible form cannot be made modal.
    EXPECT_THROW(other->ShowModal(), EInvalidOperation);
}

TEST(Form, ClosingAModalFormGivesCancelAndCloseActionsAreFollowed) {
    FormPtr<TForm> dialog(new TForm(nullptr));
    dialog->HandleNeeded();
    ::PostMessageW(dialog->WindowHandle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(dialog->ShowModal(), mrCancel);

    // A modeless form: caHide hides, caNone keeps it, caFree frees it after its messages.
    struct Closer : TObject {
        TCloseAction action;
        bool destroyed = false;
        void Close(TObject*, TCloseAction& A) { A = action; }
        void Destroy(TObject*) { destroyed = true; }
    } closer;
    for (TCloseAction a : {TCloseAction::caHide, TCloseAction::caNone}) {
        FormPtr<TForm> f(new TForm(nullptr));
        closer.action = a;
        f->OnClose = TCloseEvent(&closer, &Closer::Close);
        f->Show();
        f->Close();
        EXPECT_EQ(f->Visible(), a == TCloseAction::caNone);
    }
    auto* f = new TForm(nullptr);
    closer.action = TCloseAction::caFree;
    f->OnClose = TCloseEvent(&closer, &Closer::Close);
    f->OnDestroy = TNotifyEvent(&closer, &Closer::Destroy);
    f->Show();
    int forms = Screen->FormCount();
    f->Close();
    EXPECT_FALSE(closer.destroyed);
    Application->ProcessMessages();
    EXPECT_TRUE(closer.destroyed);
    EXPECT_EQ(Screen->FormCount(), forms - 1);
}

TEST(Form, ShowAndHideEventsAndTheScreensFormList) {
    int before = Screen->FormCount();
    FormPtr<TForm> f(new TForm(nullptr));
    EXPECT_EQ(Screen->FormCount(), before + 1);
    struct Events : TObject {
        std::string log;
        TForm* form = nullptr;
        void Show(TObject*) { log += form->WindowHandle() ? "show " : "show-without-window "; }
        void Hide(TObject*) { log += "hide "; }
        void Resize(TObject*) { log += "resize "; }
    } e;
    e.form = f.get();
    f->OnShow = TNotifyEvent(&e, &Events::Show);
    f->OnHide = TNotifyEvent(&e, &Events::Hide);
    f->Show();
    EXPECT_TRUE(::IsWindowVisible(f->WindowHandle()));
    f->OnResize = TNotifyEvent(&e, &Events::Resize);
    f->SetBounds(10, 10, 400, 300);
    f->Hide();
    EXPECT_EQ(e.log, "show resize hide ");
    EXPECT_FALSE(::IsWindowVisible(f->WindowHandle()));
    f->SetPosition(TPosition::poScreenCenter);
    f->Show();
    TRect work = Screen->WorkAreaRect();
    EXPECT_EQ(f->Left(), work.Left + (work.Width() - 400) / 2);
    EXPECT_GT(Screen->Width(), 0);
    EXPECT_GE(Screen->MonitorCount(), 1);
    f.reset();
    EXPECT_EQ(Screen->FormCount(), before);
}

TEST(Form, KeyPreviewLetsTheFormTakeKeysFirst) {
    FormPtr<TForm> f(new TForm(nullptr));
    auto* box = new TTestBox(f.get());
    box->SetParent(f.get());
    struct Keys : TObject {
        std::string log;
        uint16_t eat = 0;
        void FormKey(TObject*, uint16_t& Key, TShiftState) {
            log += "form ";
            if (Key == eat) Key = 0;
        }
        void BoxKey(TObject*, uint16_t&, TShiftState) { log += "box "; }
    } k;
    f->OnKeyDown = TKeyEvent(&k, &Keys::FormKey);
    box->OnKeyDown = TKeyEvent(&k, &Keys::BoxKey);
    HWND w = box->Handle();
    ::SendMessageW(w, WM_KEYDOWN, 'A', 0);
    EXPECT_EQ(k.log, "box ");
    f->SetKeyPreview(true);
    k.log.clear();
    ::SendMessageW(w, WM_KEYDOWN, 'A', 0);
    k.eat = 'B';
    ::SendMessageW(w, WM_KEYDOWN, 'B', 0);
    EXPECT_EQ(k.log, "form box form ");
}

TEST(Timer, FiresWhileEnabledWithAHandlerAndStopsWhenDisabled) {
    struct Count : TObject {
        int n = 0;
        TTimer* t = nullptr;
        void Tick(TObject* Sender) {
            EXPECT_EQ(Sender, t);
            ++n;
        }
    } c;
    TTimer t(nullptr);
    c.t = &t;
    t.SetInterval(5);
    t.SetOnTimer(TNotifyEvent(&c, &Count::Tick));
    RunUntil([&] { return c.n >= 3; });
    EXPECT_GE(c.n, 3);
    t.SetEnabled(false);
    Application->ProcessMessages();
    int stopped = c.n;
    // A disabled timer posts nothing more: a second timer paces the wait.
    TTimer pace(nullptr);
    int paced = 0;
    struct Pace : TObject {
        int* n;
        void Tick(TObject*) { ++*n; }
    } p;
    p.n = &paced;
    pace.SetInterval(5);
    pace.SetOnTimer(TNotifyEvent(&p, &Pace::Tick));
    RunUntil([&] { return paced >= 4; });
    EXPECT_EQ(c.n, stopped);
}

TEST(Menu, PopupAndMainMenuCommandsReachTheItemsClickEvents) {
    FormPtr<TForm> f(new TForm(nullptr));
    struct Clicks : TObject {
        std::vector<std::string> log;
        void Click(TObject* Sender) { log.push_back(static_cast<TMenuItem*>(Sender)->Name()); }
    } clicks;
    auto item = [&](TComponent* owner, const char* name, const std::string& caption) {
        auto* i = new TMenuItem(owner);
        i->SetName(name);
        i->SetCaption(caption);
        i->OnClick = TNotifyEvent(&clicks, &Clicks::Click);
        return i;
    };
    auto* popup = new TPopupMenu(f.get());
    TMenuItem* play = item(f.get(), "Play", win::Utf8ToGbk("播放"));
    TMenuItem* sub = item(f.get(), "More", "More");
    TMenuItem* snap = item(f.get(), "Snap", "Snapshot");
    popup->Items()->Add(play);
    popup->Items()->Add(item(f.get(), "Line", "-"));
    popup->Items()->Add(sub);
    sub->Add(snap);
    ASSERT_NE(popup->Handle(), nullptr);
    EXPECT_EQ(::GetMenuItemCount(popup->Handle()), 3);
    wchar_t text[64] = {};
    ::GetMenuStringW(popup->Handle(), 0, text, 64, MF_BYPOSITION);
    EXPECT_EQ(std::wstring(text), win::Utf8ToWide("播放"));

    // The chosen item's command is posted to the popup window and dispatched from the loop.
    ::PostMessageW(TPopupMenu::Window(), WM_COMMAND, snap->Command(), 0);
    ::PostMessageW(TPopupMenu::Window(), WM_COMMAND, play->Command(), 0);
    Application->ProcessMessages();
    EXPECT_EQ(clicks.log, (std::vector<std::string>{"Snap", "Play"}));

    // A form's menu bar: WM_COMMAND from the menu, and shortcuts from the message loop.
    auto* bar = new TMainMenu(f.get());
    TMenuItem* file = item(f.get(), "File", "File");
    TMenuItem* save = item(f.get(), "Save", "Save");
    save->SetShortCut(ShortCut('S', {TShiftStateItem::ssCtrl}));
    EXPECT_EQ(ShortCutToText(save->ShortCutKey()), "Ctrl+S");
    EXPECT_EQ(TextToShortCut("Ctrl+S"), save->ShortCutKey());
    file->Add(save);
    bar->Items()->Add(file);
    f->SetMenu(bar);
    HWND w = f->Handle();
    EXPECT_EQ(::GetMenu(w), bar->Handle());
    clicks.log.clear();
    ::SendMessageW(w, WM_COMMAND, save->Command(), 0);
    EXPECT_EQ(clicks.log, (std::vector<std::string>{"Save"}));
    save->SetEnabled(false); // the bar is rebuilt with the item greyed
    EXPECT_EQ(::GetMenu(w), bar->Handle());
    MENUITEMINFOW mi{};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_STATE;
    ::GetMenuItemInfoW(bar->Handle(), save->Command(), FALSE, &mi);
    EXPECT_TRUE(mi.fState & MFS_GRAYED);
    MSG key{w, WM_KEYDOWN, 'S', 0, 0, {}};
    EXPECT_FALSE(bar->IsShortCut(key)); // Ctrl is not down, and the item is disabled
    delete popup;
    ::PostMessageW(TPopupMenu::Window(), WM_COMMAND, snap->Command(), 0);
    Application->ProcessMessages(); // a freed menu's command finds nothing
}

TEST(Application, HandleExceptionGoesToOnExceptionWithTheSender) {
    struct Sink : TObject {
        std::string msg;
        TObject* sender = nullptr;
        void On(TObject* S, const Exception& E) {
            sender = S;
            msg = E.Message();
        }
    } sink;
    TExceptionEvent saved = Application->OnException;
    Application->OnException = TExceptionEvent(&sink, &Sink::On);
    try {
        throw std::runtime_error("plain");
    } catch (...) {
        Application->HandleException(&sink);
    }
    EXPECT_EQ(sink.msg, "plain");
    EXPECT_EQ(sink.sender, &sink);
    // A timer handler that raises does not break the loop.
    struct Bad : TObject {
        int n = 0;
        void Tick(TObject*) {
            ++n;
            throw EConvertError("bad tick");
        }
    } bad;
    TTimer t(nullptr);
    t.SetInterval(5);
    t.SetOnTimer(TNotifyEvent(&bad, &Bad::Tick));
    RunUntil([&] { return bad.n >= 2; });
    EXPECT_EQ(sink.msg, "bad tick");
    EXPECT_EQ(sink.sender, &t);
    Application->OnException = saved;
}


// An MDI frame holds its children in a client window below its aligned controls; the
// client keeps its list right however children and frame go.
TEST(MDIForm, ChildrenLiveInTheClientWindowAndLeaveItCleanly) {
    FormPtr<TForm> frame(new TForm(nullptr));
    frame->SetFormStyle(TFormStyle::fsMDIForm);
    frame->SetBounds(40, 40, 500, 400);
    auto* bar = new TTestBox(frame.get());
    bar->SetParent(frame.get());
    bar->SetAlign(TAlign::alTop);
    bar->SetHeight(30);
    frame->Show();
    HWND client = frame->ClientHandle();
    ASSERT_NE(client, nullptr);
    RECT cr{};
    ::GetWindowRect(client, &cr);
    ::MapWindowPoints(nullptr, frame->WindowHandle(), reinterpret_cast<POINT*>(&cr), 2);
    EXPECT_EQ(cr.top, 30); // below the top-aligned control
    EXPECT_EQ(cr.bottom, frame->ClientHeight());

    struct Events : TObject {
        std::string log;
        void Activate(TObject* s) { log += "+" + static_cast<TForm*>(s)->GetText(); }
        void Deactivate(TObject* s) { log += "-" + static_cast<TForm*>(s)->GetText(); }
    } e;
    TForm* kids[3];
    for (int i = 0; i < 3; ++i) {
        kids[i] = new TForm(frame.get());
        kids[i]->SetFormStyle(TFormStyle::fsMDIChild);
        kids[i]->SetText("K" + std::to_string(i));
        kids[i]->SetBounds(10 + 20 * i, 10 + 20 * i, 200, 150);
        kids[i]->OnActivate = TNotifyEvent(&e, &Events::Activate);
        kids[i]->OnDeactivate = TNotifyEvent(&e, &Events::Deactivate);
        kids[i]->Show();
        EXPECT_EQ(::GetParent(kids[i]->WindowHandle()), client);
        EXPECT_EQ(kids[i]->MDIParent(), frame.get());
    }
    // Child coordinates are the client's.
    EXPECT_EQ(kids[1]->Left(), 30);
    EXPECT_EQ(frame->MDIChildCount(), 3);
    EXPECT_EQ(frame->ActiveMDIChild(), kids[2]);
    EXPECT_EQ(e.log, "+K0-K0+K1-K1+K2");
    ::SendMessageW(client, WM_MDIACTIVATE, WPARAM(kids[0]->WindowHandle()), 0);
    EXPECT_EQ(frame->ActiveMDIChild(), kids[0]);
    EXPECT_TRUE(kids[0]->Active());
    EXPECT_FALSE(kids[2]->Active());

    // A freed child leaves the client's list; the next one becomes active.
    kids[0]->Free();
    EXPECT_EQ(frame->MDIChildCount(), 2);
    TCustomForm* active = frame->ActiveMDIChild();
    EXPECT_TRUE(active == kids[1] || active == kids[2]);
    // Without an MDI frame a child cannot be made.
    FormPtr<TForm> lone(new TForm(nullptr));
    lone->SetFormStyle(TFormStyle::fsMDIChild);
    EXPECT_THROW(lone->HandleNeeded(), EInvalidOperation);
    // The frame's window goes before the children it owns are freed: their windows go
    // first, through their forms.
    HWND kid_windows[] = {kids[1]->WindowHandle(), kids[2]->WindowHandle()};
    frame.reset();
    for (HWND w : kid_windows) EXPECT_FALSE(::IsWindow(w));
}

} // namespace
} // namespace dvr::fw
