#include "skin/controls/te_menubar.h"

#include "common/win/textconv.h"
#include "skin/controls/te_form.h"
#include "skin/controls/te_menu_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace dvr::skin {
namespace {

using test::ItemCenter;
using test::OpenLevels;
using test::PumpUntil;
using test::Script;
using test::SendKey;
using test::SendMove;
using test::WindowRectOf;

std::function<bool()> Levels(size_t N) {
    return [N] { return OpenLevels().size() == N; };
}

std::vector<std::wstring> Captions(TTeItem* Root) {
    std::vector<std::wstring> c;
    for (int i = 0; i < Root->Count(); ++i) c.push_back(Root->Items(i)->Caption());
    return c;
}

// A shown framework form with a form hook.
struct SkinnedForm {
    explicit SkinnedForm(TRect Bounds, fw::TFormStyle Style = fw::TFormStyle::fsNormal,
                         fw::TComponent* Owner = nullptr, const char* Text = "Skinned") {
        form = new fw::TForm(Owner);
        form->SetFormStyle(Style);
        form->SetText(Text);
        form->SetBoundsRect(Bounds);
        hook = new TTeDefaultForm(form);
        hook->SetActive(true);
        hook->Loaded();
        form->SetBoundsRect(Bounds);
    }
    ~SkinnedForm() {
        if (form) form->Free();
        test::Pump();
    }
    void Show() {
        form->Show();
        ASSERT_TRUE(test::BringToFront(form->WindowHandle()));
    }
    fw::TForm* form;
    TTeDefaultForm* hook;
};

TEST(SystemMenu, EntriesFollowTheStateAndTheIcons) {
    SkinnedForm f(TRect{60, 60, 360, 260});
    f.Show();
    f.hook->BuildSystemMenu();
    EXPECT_EQ(Captions(f.hook->SystemMenu()),
              (std::vector<std::wstring>{L"Mi&nimize", L"Ma&ximize", L"Ro&llup",
                                         L"Minimize to &Tray", L"-", L"&Close"}));
    EXPECT_EQ(f.hook->SystemMenu()->Items(5)->ShortCut(), fw::TextToShortCut("Alt+F4"));
    EXPECT_EQ(f.hook->SystemMenu()->Items(5)->ImageIndex(), 0);

    f.hook->Maximize();
    f.hook->BuildSystemMenu();
    EXPECT_EQ(Captions(f.hook->SystemMenu()),
              (std::vector<std::wstring>{L"&Restore", L"Mi&nimize", L"Ro&llup",
                                         L"Minimize to &Tray", L"-", L"&Close"}));
    f.hook->Restore();

    TTeBorderIcons no_close = f.hook->BorderIcons();
    no_close.Exclude(TTeBorderIcon::kbiClose);
    f.hook->SetBorderIcons(no_close);
    f.hook->BuildSystemMenu();
    for (const std::wstring& c : Captions(f.hook->SystemMenu())) {
        EXPECT_NE(c, L"-");
        EXPECT_NE(c, L"&Close");
    }
}

TEST(SystemMenu, ShownByTheKeyMenuCommandAndItsAcceleratorMaximizes) {
    SkinnedForm f(TRect{60, 60, 360, 260});
    f.Show();
    SendMove(test::AwayPoint());
    TRect level;
    TPoint client_origin = f.form->ClientToScreen(TPoint{0, 0});
    Script script({Levels(1), [&] {
                       level = WindowRectOf(OpenLevels()[0]);
                       SendKey('X');
                       return true;
                   }});
    ::SendMessageW(f.form->WindowHandle(), WM_SYSCOMMAND, SC_KEYMENU, ' ');
    EXPECT_TRUE(script.Done());
    // Opened at the client origin, and the click runs once the menu has gone.
    EXPECT_EQ(level.Left, client_origin.X);
    EXPECT_EQ(level.Top, client_origin.Y);
    ASSERT_TRUE(PumpUntil([&] { return f.hook->WindowState() == TTeWindowState::kwsMaximized; }));
    f.hook->Restore();
}

TEST(SystemMenu, ALinkedPopupMenuIsShownInstead) {
    SkinnedForm f(TRect{60, 60, 360, 260});
    f.Show();
    SendMove(test::AwayPoint());
    auto* link = new TTePopupMenu(f.form);
    auto* only = new TTeItem(f.form);
    only->SetCaption(L"Own entry");
    link->Items()->Add(only);
    f.hook->SetSystemMenuLink(link);
    f.hook->SystemMenuOptions()->Shadow()->SetEnabled(true);
    std::vector<std::wstring> shown;
    bool shadow = false;
    Script script({Levels(1), [&] {
                       TTePopupWindow* w = OpenLevels()[0];
                       shown = Captions(w->View()->Items());
                       shadow = w->PopupForm()->Shadow()->Enabled();
                       SendKey(VK_ESCAPE);
                       return true;
                   }});
    f.hook->ShowSystemMenu();
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(shown, std::vector<std::wstring>{L"Own entry"});
    EXPECT_TRUE(shadow); // the form's system-menu options passed to the link
    EXPECT_EQ(f.hook->SystemMenu(), nullptr);
}

// Three skinned MDI children of a skinned parent.
struct MDIFamily {
    MDIFamily()
        : parent(TRect{20, 20, 620, 460}, fw::TFormStyle::fsMDIForm, nullptr, "Parent") {
        parent.Show();
        for (int i = 0; i < 3; ++i) {
            std::string text = "Child " + std::to_string(i + 1);
            children[i] = std::make_unique<SkinnedForm>(
                TRect{100 + 30 * i, 100 + 30 * i, 300 + 30 * i, 250 + 30 * i},
                fw::TFormStyle::fsMDIChild, parent.form, text.c_str());
            children[i]->form->Show();
        }
        test::Pump();
    }
    ~MDIFamily() {
        for (auto& c : children) c.reset();
    }
    SkinnedForm parent;
    std::unique_ptr<SkinnedForm> children[3];
};

TEST(MDISupport, MaximizingAChildParksTheOthersAndNamesItInTheParentCaption) {
    MDIFamily m;
    TRect before[3];
    for (int i = 0; i < 3; ++i) before[i] = m.children[i]->form->BoundsRect();
    m.children[0]->hook->Maximize();
    EXPECT_TRUE(m.children[1]->hook->HasMaximizedMDIChild());
    for (int i = 1; i < 3; ++i) {
        // Parked at the origin, 10 x 10 inside the parent's client window.
        TRect r = m.children[i]->form->BoundsRect();
        EXPECT_EQ(r.Left, 0);
        EXPECT_EQ(r.Top, 0);
        EXPECT_LE(r.Width(), std::max(10, ::GetSystemMetrics(SM_CXMINTRACK)));
        EXPECT_LE(r.Height(), std::max(10, ::GetSystemMetrics(SM_CYMINTRACK)));
        EXPECT_EQ(m.children[i]->hook->Constraints()->MinWidth, 5);
    }
    EXPECT_EQ(m.parent.form->GetText(), "Parent - [Child 1]");

    m.children[0]->hook->Restore();
    for (int i = 1; i < 3; ++i) EXPECT_EQ(m.children[i]->form->BoundsRect(), before[i]);
    EXPECT_EQ(m.parent.form->GetText(), "Parent");
    EXPECT_FALSE(m.children[1]->hook->HasMaximizedMDIChild());
    // The parking limits are gone again.
    EXPECT_EQ(m.children[1]->hook->Constraints()->MinWidth, 0);
}

TEST(MDISupport, ParentCaptionWithABracketIsCutBeforeIt) {
    MDIFamily m;
    m.parent.form->SetText("Parent - [Old]");
    m.children[1]->hook->UpdateMDIParentCaption();
    EXPECT_EQ(m.parent.form->GetText(), "Parent");
}

TEST(MDISupport, WindowMenuListsTheChildrenAndKeepsTheProgrammersEntries) {
    MDIFamily m;
    auto* window_menu = new TTeItem(m.parent.form);
    auto* tile = new TTeItem(m.parent.form);
    tile->SetCaption(L"&Tile");
    window_menu->Add(tile);
    m.parent.hook->SetWindowMenu(window_menu);
    m.parent.hook->RebuildWindowMenu();
    m.parent.hook->RebuildWindowMenu(); // rebuilt, not added twice
    std::vector<std::wstring> c = Captions(window_menu);
    ASSERT_EQ(c.size(), 5u);
    EXPECT_EQ(c[0], L"&Tile");
    EXPECT_EQ(c[1], L"-");
    std::vector<std::wstring> names(c.begin() + 2, c.end());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Child 1", L"Child 2", L"Child 3"}));
    for (int i = 1; i < 5; ++i)
        EXPECT_NE(window_menu->Items(i)->Name().find("zrmdiwi_rty"), std::string::npos);

    // Clicking an entry checks it alone.
    window_menu->Items(2)->Click();
    ASSERT_TRUE(PumpUntil([&] { return window_menu->Items(2)->Checked(); }));
    for (int i = 3; i < 5; ++i) EXPECT_FALSE(window_menu->Items(i)->Checked());
}

class MenuBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        log.clicks = &clicks;
        SendMove(test::AwayPoint());
        f = std::make_unique<SkinnedForm>(TRect{60, 60, 460, 320});
        bar = new TTeMenuBar(f->form);
        bar->SetParent(f->form);
        bar->SetAlign(fw::TAlign::alTop);
        file = Add(bar->Items(), L"&File");
        edit = Add(bar->Items(), L"&Edit");
        Add(file, L"&Open");
        Add(file, L"E&xit");
        Add(edit, L"&Copy");
        bar->Loaded();
        f->hook->SetMenuBar(bar);
        f->Show();
        test::Pump();
    }
    TTeItem* Add(TTeItem* parent, const wchar_t* caption) {
        auto* i = new TTeItem(f->form);
        i->SetCaption(caption);
        i->OnClick = fw::TNotifyEvent(&log, &ClickLog::Clicked);
        parent->Add(i);
        return i;
    }
    struct ClickLog : fw::TObject {
        std::vector<std::wstring>* clicks = nullptr;
        void Clicked(fw::TObject* s) { clicks->push_back(static_cast<TTeItem*>(s)->Caption()); }
    } log;
    std::unique_ptr<SkinnedForm> f;
    TTeMenuBar* bar = nullptr;
    TTeItem* file = nullptr;
    TTeItem* edit = nullptr;
    std::vector<std::wstring> clicks;
};

TEST_F(MenuBarTest, PlainBarIsOneMenuLineHighInTheMenuColour) {
    EXPECT_EQ(bar->Color(), fw::clMenu);
    EXPECT_GE(bar->Height(), ::GetSystemMetrics(SM_CYMENU) - 2);
    TRect a = bar->View()->GetItemRect(file), b = bar->View()->GetItemRect(edit);
    EXPECT_EQ(a.Right, b.Left); // side by side
    EXPECT_EQ(a.Top, b.Top);
}

TEST_F(MenuBarTest, AltLetterOpensTheItemsMenuBelowIt) {
    TRect level, item;
    Script script({Levels(1), [&] {
                       level = WindowRectOf(OpenLevels()[0]);
                       TRect r = bar->View()->GetItemRect(file);
                       TPoint a = bar->ClientToScreen(TPoint{r.Left, r.Bottom});
                       item = TRect{a.X, a.Y, a.X, a.Y};
                       SendKey(VK_RETURN); // Open
                       return true;
                   }});
    fw::TMessage m{fw::CM_DIALOGCHAR, 'f', 0x20000000, 0};
    bar->Dispatch(m);
    EXPECT_EQ(m.Result, 1);
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(level.Left, item.Left);
    EXPECT_EQ(level.Top, item.Top);
    ASSERT_TRUE(PumpUntil([&] { return !clicks.empty(); }));
    EXPECT_EQ(clicks, std::vector<std::wstring>{L"&Open"});

    // A letter without an item is not the bar's.
    fw::TMessage other{fw::CM_DIALOGCHAR, 'q', 0x20000000, 0};
    bar->Dispatch(other);
    EXPECT_EQ(other.Result, 0);
}

TEST_F(MenuBarTest, ClickOnAnItemOpensItsMenuAndRightMovesToTheNext) {
    std::vector<std::wstring> second;
    Script script({Levels(1),
                   [&] {
                       SendKey(VK_RIGHT); // the Edit menu replaces the File menu
                       return true;
                   },
                   [&] {
                       auto l = OpenLevels();
                       return l.size() == 1 && l[0]->View()->Items() == edit;
                   },
                   [&] {
                       second = Captions(OpenLevels()[0]->View()->Items());
                       SendKey(VK_ESCAPE);
                       return true;
                   },
                   Levels(0), [&] {
                       SendKey(VK_ESCAPE); // leaves the bar's own tracking
                       return true;
                   }});
    test::ClickNoWait(ItemCenter(bar->View(), file));
    ASSERT_TRUE(PumpUntil([&] { return script.Done(); }));
    EXPECT_EQ(second, std::vector<std::wstring>{L"&Copy"});
    EXPECT_TRUE(clicks.empty());
}

TEST(MenuBarMDI, MaximizedChildShowsItsButtonsOnTheParentsBar) {
    SkinnedForm parent(TRect{20, 20, 620, 460}, fw::TFormStyle::fsMDIForm, nullptr, "Parent");
    auto* bar = new TTeMenuBar(parent.form);
    bar->SetParent(parent.form);
    bar->SetAlign(fw::TAlign::alTop);
    auto* file = new TTeItem(parent.form);
    file->SetCaption(L"&File");
    bar->Items()->Add(file);
    bar->Loaded();
    parent.hook->SetMenuBar(bar);
    parent.Show();
    SkinnedForm child(TRect{100, 100, 300, 250}, fw::TFormStyle::fsMDIChild, parent.form, "Kid");
    child.form->Show();
    for (int k = 1; k <= 4; ++k) {
        ASSERT_NE(bar->MDIItem(k), nullptr);
        EXPECT_FALSE(bar->MDIItem(k)->Visible());
    }
    child.hook->Maximize();
    EXPECT_EQ(bar->MDIForm(), child.hook);
    for (int k = 1; k <= 4; ++k) EXPECT_TRUE(bar->MDIItem(k)->Visible());
    TRect icon = bar->View()->GetItemRect(bar->MDIItem(4));
    TRect close = bar->View()->GetItemRect(bar->MDIItem(1));
    TRect restore = bar->View()->GetItemRect(bar->MDIItem(2));
    TRect minimize = bar->View()->GetItemRect(bar->MDIItem(3));
    EXPECT_EQ(icon.Left, 0);
    EXPECT_EQ(bar->View()->GetItemRect(file).Left, icon.Right); // beside the icon, not over it
    EXPECT_EQ(close.Right, bar->Width());
    EXPECT_EQ(restore.Right, close.Left);
    EXPECT_EQ(minimize.Right, restore.Left);
    EXPECT_EQ(close.Width(), close.Height()); // square buttons

    child.hook->Restore();
    EXPECT_EQ(bar->MDIForm(), nullptr);
    for (int k = 1; k <= 4; ++k) EXPECT_FALSE(bar->MDIItem(k)->Visible());
}


// A skinned MDI parent with a menu bar and two skinned children inside its client window.
struct MDIWithBar {
    MDIWithBar() : parent(TRect{20, 20, 620, 460}, fw::TFormStyle::fsMDIForm, nullptr, "Parent") {
        bar = new TTeMenuBar(parent.form);
        bar->SetParent(parent.form);
        bar->SetAlign(fw::TAlign::alTop);
        auto* file = new TTeItem(parent.form);
        file->SetCaption(L"&File");
        bar->Items()->Add(file);
        window_menu = new TTeItem(parent.form);
        window_menu->SetCaption(L"&Window");
        bar->Items()->Add(window_menu);
        bar->Loaded();
        parent.hook->SetMenuBar(bar);
        parent.hook->SetWindowMenu(window_menu);
        parent.Show();
        for (int i = 0; i < 2; ++i) {
            std::string text = "Child " + std::to_string(i + 1);
            kids[i] = std::make_unique<SkinnedForm>(
                TRect{10 + 150 * i, 10 + 60 * i, 250 + 150 * i, 190 + 60 * i},
                fw::TFormStyle::fsMDIChild, parent.form, text.c_str());
            kids[i]->form->Show();
        }
        test::Pump();
    }
    ~MDIWithBar() {
        for (auto& k : kids) k.reset();
    }
    TPoint ClientCenterOf(fw::TForm* Form) {
        return Form->ClientToScreen(TPoint{Form->ClientWidth() / 2, Form->ClientHeight() / 2});
    }
    SkinnedForm parent;
    TTeMenuBar* bar = nullptr;
    TTeItem* window_menu = nullptr;
    std::unique_ptr<SkinnedForm> kids[2];
};

TEST(MDIClient, ChildrenLiveInTheParentsClientWindowBelowItsMenuBar) {
    MDIWithBar m;
    HWND client = m.parent.form->ClientHandle();
    ASSERT_NE(client, nullptr);
    EXPECT_EQ(::GetParent(client), m.parent.form->WindowHandle());
    ASSERT_EQ(m.parent.form->MDIChildCount(), 2);
    for (auto& k : m.kids) {
        EXPECT_EQ(::GetParent(k->form->WindowHandle()), client);
        EXPECT_EQ(k->form->MDIParent(), m.parent.form);
    }
    // The client takes the room the menu bar leaves, without the sunken edge.
    RECT cr{};
    ::GetWindowRect(client, &cr);
    TPoint below_bar = m.parent.form->ClientToScreen(TPoint{0, m.bar->Height()});
    EXPECT_EQ(cr.top, below_bar.Y);
    EXPECT_EQ(cr.left, below_bar.X);
    EXPECT_FALSE(::GetWindowLongPtrW(client, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    // The last one shown is active; a real click on the other activates it, and the
    // window menu follows.
    EXPECT_EQ(m.parent.form->ActiveMDIChild(), m.kids[1]->form);
    test::SendClick(m.ClientCenterOf(m.kids[0]->form));
    ASSERT_TRUE(PumpUntil([&] { return m.parent.form->ActiveMDIChild() == m.kids[0]->form; }));
    ASSERT_TRUE(PumpUntil([&] {
        for (int i = 0; i < m.window_menu->Count(); ++i)
            if (m.window_menu->Items(i)->Caption() == L"Child 1")
                return m.window_menu->Items(i)->Checked();
        return false;
    }));
    test::Pump();
    test::SaveScreenshot(m.parent.form->WindowHandle(), "skin_mdi_two_children");

    // When the client shows scroll bars, skinned bars stand over them with the client's
    // range, and a size grip between them. (Wine's MDI client recounts its range from a
    // posted message and leaves it empty; the test gives the client the range Windows'
    // client would have and checks before that message runs.)
    for (int bar : {SB_HORZ, SB_VERT}) {
        SCROLLINFO range{};
        range.cbSize = sizeof range;
        range.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        range.nMax = 700;
        range.nPage = 300;
        ::SetScrollInfo(client, bar, &range, TRUE);
    }
    ASSERT_TRUE(m.parent.hook->HorzScrollHost() && m.parent.hook->HorzScrollHost()->Visible());
    ASSERT_TRUE(m.parent.hook->VertScrollHost() && m.parent.hook->VertScrollHost()->Visible());
    EXPECT_EQ(m.parent.hook->HorzScrollBar()->Max(), 700);
    EXPECT_EQ(m.parent.hook->HorzScrollBar()->PageSize(), 300);
    EXPECT_EQ(m.parent.hook->VertScrollBar()->Max(), 700);
    SCROLLBARINFO sbi{};
    sbi.cbSize = sizeof sbi;
    ASSERT_TRUE(::GetScrollBarInfo(client, OBJID_HSCROLL, &sbi));
    TRect host = m.parent.hook->HorzScrollHost()->BoundsRect();
    TPoint host_on_screen = m.parent.form->ClientToScreen(TPoint{host.Left, host.Top});
    EXPECT_EQ(host_on_screen.X, sbi.rcScrollBar.left);
    EXPECT_EQ(host_on_screen.Y, sbi.rcScrollBar.top);
    EXPECT_EQ(host.Height(), sbi.rcScrollBar.bottom - sbi.rcScrollBar.top);
    TRect grip;
    m.parent.hook->GetSizeGripRect(grip);
    EXPECT_EQ(grip.Width(), m.parent.hook->VertScrollHost()->Width());
    EXPECT_EQ(grip.Height(), host.Height());

    // A line step on the skinned bar scrolls the client's children, and the bar reports
    // the client's new position. (Wine's client takes no position from the other codes'
    // high word, so only the line steps are checked here.)
    TRect before = m.kids[1]->form->BoundsRect();
    int pos = 0;
    m.parent.hook->HorzScrollBarScroll(m.parent.hook->HorzScrollBar(), kscLineDown, pos);
    int now = ::GetScrollPos(client, SB_HORZ);
    EXPECT_GT(now, 0);
    EXPECT_EQ(pos, now);
    EXPECT_EQ(m.parent.hook->HorzScrollBar()->Position(), now);
    EXPECT_EQ(m.kids[1]->form->BoundsRect().Left, before.Left - now);

    // Once the client hides its bars again, so do the skinned ones.
    ::ShowScrollBar(client, SB_BOTH, FALSE);
    EXPECT_FALSE(m.parent.hook->HorzScrollHost()->Visible());
    EXPECT_FALSE(m.parent.hook->VertScrollHost()->Visible());
}

TEST(MDIClient, TheMenuBarsButtonsActOnTheMaximizedChild) {
    MDIWithBar m;
    m.kids[0]->hook->Maximize();
    test::Pump();
    RECT cr{};
    ::GetClientRect(m.parent.form->ClientHandle(), &cr);
    EXPECT_EQ(m.kids[0]->form->BoundsRect(), (TRect{0, 0, cr.right, cr.bottom}));
    EXPECT_EQ(m.parent.form->GetText(), "Parent - [Child 1]");
    ASSERT_EQ(m.bar->MDIForm(), m.kids[0]->hook);
    test::Pump();
    test::SaveScreenshot(m.parent.form->WindowHandle(), "skin_mdi_maximized_child");

    // A real click on the bar's restore button.
    test::SendClick(ItemCenter(m.bar->View(), m.bar->MDIItem(2)));
    ASSERT_TRUE(PumpUntil([&] { return m.kids[0]->hook->WindowState() == TTeWindowState::kwsNormal; }));
    EXPECT_EQ(m.bar->MDIForm(), nullptr);
    EXPECT_EQ(m.parent.form->GetText(), "Parent");
    EXPECT_FALSE(m.bar->MDIItem(1)->Visible());

    // Maximized again, its close button closes it: an MDI child is minimized.
    m.kids[0]->hook->Maximize();
    test::Pump();
    test::SendClick(ItemCenter(m.bar->View(), m.bar->MDIItem(1)));
    ASSERT_TRUE(PumpUntil([&] { return m.kids[0]->hook->WindowState() == TTeWindowState::kwsMinimized; }));
    EXPECT_EQ(m.bar->MDIForm(), nullptr);
}

} // namespace
} // namespace dvr::skin
