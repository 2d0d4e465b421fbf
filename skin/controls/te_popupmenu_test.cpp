#include "skin/controls/te_popupmenu.h"

#include "skin/controls/te_menu_test_support.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace dvr::skin {
namespace {

using test::ItemCenter;
using test::OpenLevels;
using test::PumpUntil;
using test::Script;
using test::SendKey;
using test::SendMove;
using test::WindowRectOf;

TEST(PopupPlacement, OpensInsideTheMonitor) {
    const TRect mon{0, 0, 800, 600};
    struct Case {
        const char* what;
        TPoint p;
        TRect item;
        bool bar;
        TPoint want;
    } cases[] = {
        {"popup with room", {100, 100}, {}, false, {100, 100}},
        {"popup at the bottom-right corner opens up and left", {790, 590}, {}, false, {690, 390}},
        {"sub-menu with room opens right of its item", {}, {300, 50, 400, 70}, false, {400, 50}},
        {"sub-menu without room on the right opens left", {}, {650, 50, 750, 70}, false, {550, 50}},
        {"sub-menu near the bottom ends at its item's bottom", {}, {300, 500, 400, 520}, false,
         {400, 320}},
        {"bar menu opens below its item", {}, {10, 0, 50, 20}, true, {10, 20}},
        {"bar menu without room below opens above", {}, {10, 560, 50, 580}, true, {10, 360}},
        {"bar menu never above the monitor's top", {}, {10, 100, 50, 120}, true, {10, 0}},
        {"bar menu without room on the right ends at its item's right", {}, {760, 0, 790, 20},
         true, {690, 20}},
    };
    for (const Case& c : cases) {
        TPoint at = PopupPlacement(c.p, c.item, c.bar, 100, 200, c.bar && c.item.Top == 100
                                                                      ? TRect{0, 0, 800, 300}
                                                                      : mon);
        EXPECT_EQ(at.X, c.want.X) << c.what;
        EXPECT_EQ(at.Y, c.want.Y) << c.what;
    }
}

struct Clicks : fw::TObject {
    std::vector<std::wstring> names;
    bool open_during_click = false;
    void Clicked(fw::TObject* s) {
        names.push_back(static_cast<TTeItem*>(s)->Caption());
        open_during_click = open_during_click || !OpenLevels().empty() || ActivePopupMenu;
    }
};

class PopupMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = new fw::TForm(nullptr);
        form->SetBounds(40, 40, 300, 200);
        form->Show();
        ASSERT_TRUE(test::BringToFront(form->WindowHandle()));
        menu = new TTePopupMenu(form);
        Add(menu->Items(), L"&Alpha");
        TTeItem* b = Add(menu->Items(), L"&Bravo");
        Add(menu->Items(), L"-");
        Add(menu->Items(), L"&Charlie")->SetChecked(true);
        Add(b, L"Bravo &one");
        TTeItem* two = Add(b, L"Bravo &two");
        Add(two, L"Deep &x");
        Add(two, L"Deep &y");
        // Items that open a level click nothing of their own.
        b->OnClick = nullptr;
        two->OnClick = nullptr;
        SendMove(test::AwayPoint());
    }
    void TearDown() override {
        form->Free();
        test::Pump();
    }
    TTeItem* Add(TTeItem* parent, const wchar_t* caption) {
        auto* i = new TTeItem(form);
        i->SetCaption(caption);
        i->OnClick = fw::TNotifyEvent(&clicks, &Clicks::Clicked);
        parent->Add(i);
        return i;
    }
    // Waits inside the menu's loop until N levels are open.
    static std::function<bool()> Levels(size_t N) {
        return [N] { return OpenLevels().size() == N; };
    }
    fw::TForm* form = nullptr;
    TTePopupMenu* menu = nullptr;
    Clicks clicks;
};

TEST_F(PopupMenuTest, KeysWalkTwoSubMenuLevelsAndTheClickRunsAfterClosing) {
    Script script({Levels(1),
                   [] {
                       SendKey(VK_DOWN);   // Bravo
                       SendKey(VK_RETURN); // opens Bravo's level
                       return true;
                   },
                   Levels(2),
                   [] {
                       SendKey(VK_DOWN);  // Bravo two
                       SendKey(VK_RIGHT); // opens the deep level
                       return true;
                   },
                   Levels(3),
                   [] {
                       SendKey(VK_DOWN);
                       SendKey(VK_RETURN); // Deep y
                       return true;
                   }});
    menu->Popup(100, 100);
    EXPECT_TRUE(script.Done());
    EXPECT_TRUE(OpenLevels().empty());

    EXPECT_EQ(ActivePopupMenu, nullptr);
    // The click is posted: it has not run while the menu closed.
    EXPECT_TRUE(clicks.names.empty());
    ASSERT_TRUE(PumpUntil([&] { return !clicks.names.empty(); }));
    EXPECT_EQ(clicks.names, std::vector<std::wstring>{L"Deep &y"});
    EXPECT_FALSE(clicks.open_during_click);
}

TEST_F(PopupMenuTest, MouseOpensCascadingLevelsBesideTheirItems) {
    TRect level2, bravo_item;
    Script script({Levels(1),
                   [&] {
                       TTePopupWindow* top = OpenLevels()[0];
                       test::ClickNoWait(ItemCenter(top->View(), menu->Items()->Items(1)));
                       return true;
                   },
                   Levels(2),
                   [&] {
                       auto levels = OpenLevels();
                       level2 = WindowRectOf(levels[1]);
                       TTeItemView* v = levels[0]->View();
                       TRect r = v->GetItemRect(menu->Items()->Items(1));
                       TPoint a = v->Host()->ClientToScreen(TPoint{r.Right, r.Top});
                       bravo_item = TRect{a.X, a.Y, a.X, a.Y};
                       test::ClickNoWait(ItemCenter(levels[1]->View(), menu->Items()->Items(1)->Items(1)));
                       return true;
                   },
                   Levels(3),
                   [&] {
                       auto levels = OpenLevels();
                       TTeItem* deep = menu->Items()->Items(1)->Items(1);
                       test::ClickNoWait(ItemCenter(levels[2]->View(), deep->Items(0)));
                       return true;
                   }});
    menu->Popup(100, 100);
    EXPECT_TRUE(script.Done());
    // The second level starts at the right edge of the item that opened it.
    EXPECT_EQ(level2.Left, bravo_item.Left);
    EXPECT_EQ(level2.Top, bravo_item.Top);
    ASSERT_TRUE(PumpUntil([&] { return !clicks.names.empty(); }));
    EXPECT_EQ(clicks.names, std::vector<std::wstring>{L"Deep &x"});
}

TEST_F(PopupMenuTest, OpenedAtTheScreenCornerItOpensUpAndLeft) {
    const int sw = ::GetSystemMetrics(SM_CXSCREEN), sh = ::GetSystemMetrics(SM_CYSCREEN);
    TRect r;
    Script script({Levels(1), [&] {
                       r = WindowRectOf(OpenLevels()[0]);
                       SendKey(VK_ESCAPE);
                       return true;
                   }});
    menu->Popup(sw - 5, sh - 5);
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(r.Right, sw - 5);
    EXPECT_EQ(r.Bottom, sh - 5);
    EXPECT_TRUE(clicks.names.empty());
}

TEST_F(PopupMenuTest, AcceleratorKeyClicksItsItem) {
    Script script({Levels(1), [] {
                       SendKey('C');
                       return true;
                   }});
    menu->Popup(100, 100);
    EXPECT_TRUE(script.Done());
    ASSERT_TRUE(PumpUntil([&] { return !clicks.names.empty(); }));
    EXPECT_EQ(clicks.names, std::vector<std::wstring>{L"&Charlie"});
}

TEST_F(PopupMenuTest, LongMenuScrollsWithTheSelection) {
    TTePopupMenu* long_menu = new TTePopupMenu(form);
    for (int i = 0; i < 30; ++i) Add(long_menu->Items(), (L"Item " + std::to_wstring(i)).c_str());
    long_menu->Items()->SetScrolled(true);
    long_menu->Items()->SetScrollCount(5);
    int first_visible = -1, height = 0;
    Script script({Levels(1), [&] {
                       for (int i = 0; i < 7; ++i) SendKey(VK_DOWN);
                       return true;
                   },
                   [&] { return long_menu->Items()->FirstVisible() == 3; },
                   [&] {
                       first_visible = long_menu->Items()->FirstVisible();
                       height = WindowRectOf(OpenLevels()[0]).Height();
                       SendKey(VK_ESCAPE);
                       return true;
                   }});
    long_menu->Popup(100, 100);
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(first_visible, 3); // item 7 is the last of five shown
    // Five items, two scroll buttons and the frame: far less than thirty items.
    EXPECT_LT(height, 30 * 10);
    EXPECT_TRUE(clicks.names.empty());
}

TEST_F(PopupMenuTest, OnlyTheFirstLevelIsAnimatedAndTheFrameHasThreePixels) {
    menu->PopupMenuOptions()->Animation()->SetEnabled(true);
    bool first_animated = false, second_animated = true;
    int frame_left = -1;
    Script script({Levels(1),
                   [&] {
                       TTePopupWindow* top = OpenLevels()[0];
                       first_animated = top->PopupForm()->Animation()->Enabled();
                       frame_left = top->PopupForm()->FrameMargins().Left;
                       SendKey(VK_DOWN);
                       SendKey(VK_RETURN);
                       return true;
                   },
                   Levels(2), [&] {
                       second_animated = OpenLevels()[1]->PopupForm()->Animation()->Enabled();
                       SendKey(VK_ESCAPE);
                       SendKey(VK_ESCAPE);
                       return true;
                   }});
    menu->Popup(100, 100);
    EXPECT_TRUE(script.Done());
    EXPECT_TRUE(first_animated);
    EXPECT_FALSE(second_animated);
    EXPECT_EQ(frame_left, 3);
}

TEST_F(PopupMenuTest, ShadowGrowsTheWindowBeyondTheFrame) {
    menu->PopupMenuOptions()->Shadow()->SetEnabled(true);
    menu->PopupMenuOptions()->Shadow()->SetSize(6);
    const int s = menu->PopupMenuOptions()->Shadow()->Size();
    int with_shadow = 0, content = 0;
    Script script({Levels(1), [&] {
                       TTePopupWindow* top = OpenLevels()[0];
                       with_shadow = WindowRectOf(top).Width();
                       content = int(top->View()->ContentSize().cx);
                       test::SaveScreenshot(top->WindowHandle(), "skin_popup_menu");
                       SendKey(VK_ESCAPE);
                       return true;
                   }});
    menu->Popup(100, 100);
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(with_shadow, content + 6 + s);
}

} // namespace
} // namespace dvr::skin
