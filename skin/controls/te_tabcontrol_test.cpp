#include "skin/controls/te_tabcontrol.h"

#include "framework/ui/stdctrls.h"
#include "skin/controls/te_lists_test_support.h"
#include "skin/engine/te_theme.h"
#include "skin/engine/te_winapi.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

namespace dvr::skin {
namespace {

using namespace listtest;

struct TabEvents : fw::TObject {
    int changes = 0, changing = 0, drawn = 0, active_drawn = 0;
    bool veto = false;
    int seen_index = -2;
    void Change(fw::TObject*) { ++changes; }
    void Changing(fw::TObject* s, bool& allow) {
        ++changing;
        seen_index = static_cast<TTeTabControl*>(s)->TabIndex();
        if (veto) allow = false;
    }
    void Draw(TTeTabControl*, int, const TRect&, bool active) {
        ++drawn;
        active_drawn += active;
    }
};

class TabTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearCurrentTheme();
        form.reset(NewShownForm(60, 60, 420, 300));
        tabs = new TTeTabControl(form.get());
        tabs->SetParent(form.get());
        tabs->SetBounds(10, 10, 300, 200);
        tabs->OnChange = fw::TNotifyEvent(&ev, &TabEvents::Change);
        tabs->OnChanging = TTabChangingEvent(&ev, &TabEvents::Changing);
    }
    void TearDown() override {
        ::ReleaseCapture();
        ClearCurrentTheme();
    }
    void AddTabs(std::initializer_list<const char*> Names) {
        for (const char* n : Names) tabs->Tabs()->Add(n);
    }
    std::unique_ptr<fw::TForm, FormDeleter> form;
    TTeTabControl* tabs = nullptr;
    TabEvents ev;
};

TEST_F(TabTest, RowsAreJustifiedAndTheActiveRowSitsAtTheFrame) {
    // Three tabs of widths 60, 70, 80 in 150 pixels: rows {0, 1} and {2}.
    struct Width : TTeTabControl {
        using TTeTabControl::TTeTabControl;
        int CalcTabWidth(int Index) override { return Index < 0 || Index > 2 ? 0 : 60 + 10 * Index; }
    };
    auto* w = new Width(form.get());
    w->SetParent(form.get());
    w->SetBounds(10, 10, 150, 200);
    w->SetTabHeight(20);
    w->Tabs()->Add("a");
    w->Tabs()->Add("b");
    w->Tabs()->Add("c");
    w->SetMultiLine(true);
    w->BuildRows();
    ASSERT_EQ(w->RowCount(), 2);
    EXPECT_EQ(w->Row(0).LastTab, 1);
    EXPECT_EQ(w->Row(0).ExtraWidth, 8);
    EXPECT_EQ(w->Row(0).Remainder, 0);
    EXPECT_EQ(w->Row(1).LastTab, 2);
    EXPECT_EQ(w->Row(1).ExtraWidth, 66);
    EXPECT_EQ(w->Row(1).Remainder, 0);
    // Justified widths 68 and 78; the active row 0 next to the frame (which starts at 42),
    // every tab reaching 2 pixels into it.
    EXPECT_EQ(w->TabRect(0), (TRect{2, 22, 70, 44}));
    EXPECT_EQ(w->TabRect(1), (TRect{70, 22, 148, 44}));
    EXPECT_EQ(w->TabRect(2), (TRect{2, 2, 148, 44}));
    // Choosing a tab of row 1 brings row 1 to the frame and row 0 outwards.
    w->SetTabIndex(2);
    EXPECT_EQ(w->TabRect(2), (TRect{2, 22, 148, 44}));
    EXPECT_EQ(w->TabRect(0).Top, 2);
    // Ragged rows keep their measured widths.
    w->SetRaggedRight(true);
    EXPECT_EQ(w->TabRect(1).Width(), 70);
    // Scrolling the opposite way moves row 0 to the far side of the page.
    w->SetRaggedRight(false);
    w->SetScrollOpposite(true);
    EXPECT_EQ(w->TabRect(0).Top, 200 - 22);
    EXPECT_EQ(w->TabAtPos(10, 190), 0);
}

TEST_F(TabTest, LeftTabsNeedSeveralRowsAndVetoesHold) {
    AddTabs({"One", "Two", "Three"});
    EXPECT_EQ(tabs->TabIndex(), 0);
    tabs->SetTabPosition(kttpLeft);
    EXPECT_TRUE(tabs->MultiLine());
    EXPECT_THROW(tabs->SetMultiLine(false), std::runtime_error);
    EXPECT_TRUE(tabs->MultiLine());

    ev.veto = true;
    tabs->SetTabIndex(2);
    EXPECT_EQ(ev.seen_index, 2); // the handler already sees the new index
    EXPECT_EQ(tabs->TabIndex(), 0);
    EXPECT_EQ(ev.changes, 0);
    ev.veto = false;
    tabs->SetTabIndex(2);
    EXPECT_EQ(tabs->TabIndex(), 2);
    EXPECT_EQ(ev.changes, 1);
    tabs->SetTabIndex(7); // out of range: ignored
    EXPECT_EQ(tabs->TabIndex(), 2);
}

TEST_F(TabTest, OneRowScrollsWithItsButtons) {
    tabs->SetTabWidth(60);
    for (int i = 0; i < 10; ++i) tabs->Tabs()->Add("Tab " + std::to_string(i));
    ASSERT_TRUE(tabs->ScrollButtonsVisible());
    TRect right;
    tabs->GetRightButtonRect(right);
    EXPECT_EQ(right.Right, 300);
    // Holding the right button: one step at once, the next after 300 ms, then every 100.
    tabs->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(right.Left + 3, right.Top + 3));
    EXPECT_EQ(tabs->FirstVisibleTab(), 1);
    ASSERT_NE(tabs->ScrollTimer(), nullptr);
    EXPECT_EQ(tabs->ScrollTimer()->Interval(), 300u);
    EXPECT_TRUE(PumpUntil([&] { return tabs->FirstVisibleTab() >= 2; }));
    EXPECT_EQ(tabs->ScrollTimer()->Interval(), 100u);
    // It stops once the last tab shows whole, clear of the buttons.
    EXPECT_TRUE(PumpUntil([&] { return tabs->GetLastVisibleTab(true) == 9; }));
    const int stop = tabs->FirstVisibleTab();
    EXPECT_EQ(stop, 6); // (10 - 6) x 60 + 2 fits left of the two 16-pixel buttons
    tabs->Perform(WM_LBUTTONUP, 0, MAKELPARAM(right.Left + 3, right.Top + 3));
    EXPECT_FALSE(tabs->ScrollTimer()->Enabled());
    tabs->ScrollTabs(5);
    EXPECT_EQ(tabs->FirstVisibleTab(), stop);
    // Choosing a tab scrolls back to it.
    tabs->SetTabIndex(1);
    EXPECT_EQ(tabs->FirstVisibleTab(), 1);
    tabs->SetTabIndex(0);
    EXPECT_EQ(tabs->FirstVisibleTab(), 0);
    // A real click on a tab chooses it; arrows step.
    MouseClickAt(tabs, 2 + 60 + 30, 10);
    EXPECT_TRUE(PumpUntil([&] { return tabs->TabIndex() == 1; }));
    KeyTap(VK_RIGHT);
    EXPECT_TRUE(PumpUntil([&] { return tabs->TabIndex() == 2; }));
    EXPECT_EQ(tabs->Perform(WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS);
}

TEST_F(TabTest, HoverRepaintsOnlyTheStrip) {
    for (int i = 0; i < 10; ++i) tabs->Tabs()->Add("T" + std::to_string(i));
    tabs->SetPerformance(TTePerformance::kpNoBuffer);
    PumpPending();
    const int before = tabs->StripRepaints();
    const TRect t3 = tabs->TabRect(3);
    MouseMoveTo(tabs, t3.Left + 3, t3.Top + 5);
    EXPECT_TRUE(PumpUntil([&] { return tabs->HotTab() == 3; }));
    EXPECT_GT(tabs->StripRepaints(), before);
    const int th = tabs->CalcTabHeight();
    EXPECT_EQ(tabs->LastStripRect(), (TRect{0, 0, 300, th + 6}));
    MouseMoveTo(form.get(), 400, 280);
    EXPECT_TRUE(PumpUntil([&] { return tabs->HotTab() == -1; }));
}

TEST_F(TabTest, AcceleratorAndOwnerDraw) {
    AddTabs({"&File", "&Edit"});
    EXPECT_EQ(tabs->Perform(fw::CM_DIALOGCHAR, 'e', 0), 1);
    EXPECT_EQ(tabs->TabIndex(), 1);
    tabs->OnDrawTab = TDrawTabEvent(&ev, &TabEvents::Draw);
    tabs->SetOwnerDraw(true);
    TteBitmap shot;
    Snapshot(tabs, shot);
    EXPECT_GE(ev.drawn, 2);
    EXPECT_GE(ev.active_drawn, 1);
}

TEST_F(TabTest, PagesFollowTheTabs) {
    tabs->SetUsePages(true);
    AddTabs({"Same", "Same", "Other"});
    ASSERT_EQ(tabs->PageCount(), 3);
    EXPECT_EQ(tabs->GetPage(0)->GetText(), "Same");
    EXPECT_EQ(tabs->GetPage(1)->GetText(), "Same");
    // The page made for the last caption is active and shows at once.
    EXPECT_EQ(tabs->TabIndex(), 2);
    EXPECT_EQ(tabs->ActivePage(), tabs->GetPage(2));
    EXPECT_TRUE(tabs->GetPage(2)->Visible());
    // Only the active page shows.
    tabs->SetTabIndex(1);
    EXPECT_EQ(tabs->ActivePage(), tabs->GetPage(1));
    EXPECT_TRUE(tabs->GetPage(1)->Visible());
    EXPECT_FALSE(tabs->GetPage(0)->Visible());
    EXPECT_FALSE(tabs->GetPage(2)->Visible());

    // A page without a tab: skipped by the index mapping.
    TTeTabSheet* hidden = tabs->GetPage(1);
    hidden->SetPageVisible(false);
    EXPECT_EQ(tabs->TabCount(), 2);
    EXPECT_EQ(tabs->PageToTabIndex(1), 0);
    EXPECT_EQ(tabs->TabToPageIndex(1), 2);
    hidden->SetPageVisible(true);
    EXPECT_EQ(tabs->TabCount(), 3);

    // PageIndex exchanges pages.
    TTeTabSheet* first = tabs->GetPage(0);
    TTeTabSheet* third = tabs->GetPage(2);
    first->SetPageIndex(2);
    EXPECT_EQ(tabs->GetPage(0), third);
    EXPECT_EQ(tabs->GetPage(2), first);
    EXPECT_EQ(tabs->Tabs()->Get(0), "Other");

    // A renamed page renames its tab.
    third->SetText("Renamed");
    EXPECT_EQ(tabs->Tabs()->Get(0), "Renamed");

    // Removing the active page activates the first tab's page.
    tabs->SetTabIndex(1);
    TTeTabSheet* active = tabs->ActivePage();
    active->Free();
    EXPECT_EQ(tabs->PageCount(), 2);
    EXPECT_EQ(tabs->TabIndex(), 0);
    EXPECT_EQ(tabs->ActivePage(), tabs->GetPage(0));
    while (tabs->PageCount() > 0) tabs->GetPage(0)->Free();
    EXPECT_EQ(tabs->TabIndex(), -1);
    EXPECT_EQ(tabs->ActivePage(), nullptr);
}

TEST_F(TabTest, MovedSheetSurvives) {
    tabs->SetUsePages(true);
    AddTabs({"A", "B"});
    auto* other = new TTeTabControl(form.get());
    other->SetParent(form.get());
    other->SetBounds(10, 220, 300, 60);
    other->SetUsePages(true);
    TTeTabSheet* b = tabs->GetPage(1);
    b->SetTabControl(other);
    EXPECT_EQ(tabs->PageCount(), 1);
    EXPECT_EQ(other->PageCount(), 1);
    EXPECT_EQ(other->GetPage(0), b);
    EXPECT_EQ(other->Tabs()->Get(0), "B");
}

TEST_F(TabTest, PaintsPlainAndSkinnedWithThePageShowingTheFrame) {
    tabs->SetUsePages(true);
    AddTabs({"First", "Second"});
    tabs->SetTabIndex(0);
    auto* edit = new fw::TEdit(form.get());
    edit->SetParent(tabs->ActivePage());
    edit->SetBounds(10, 10, 100, 23);
    TteBitmap shot;
    TRect frame;
    tabs->GetFrameRect(frame);
    const TRect second = tabs->TabRect(1), first = tabs->TabRect(0);
    const int mid = (second.Top + second.Bottom) / 2;
    if (!IsSystemThemeActive()) {
        Snapshot(tabs, shot);
        EXPECT_EQ(Rgb(shot, frame.Left, frame.Top + 20), Rgb(fw::clBtnHighlight));
        EXPECT_EQ(Rgb(shot, second.Left + 4, mid), Rgb(fw::clBtnFace));
    }
    SaveScreen("tabs_plain", form.get());
    UseTestSkin();
    Snapshot(tabs, shot);
    EXPECT_EQ(Rgb(shot, second.Left + 4, mid), Rgb(kSkinTab));
    EXPECT_EQ(Rgb(shot, first.Left + 4, mid), Rgb(kSkinTabActive));
    // The page shows the frame's face behind its edit.
    TteBitmap page;
    Snapshot(tabs->ActivePage(), page);
    EXPECT_EQ(Rgb(page, 150, 100), Rgb(kSkinTabsFrame));
    SaveScreen("tabs_skinned", form.get());
}

} // namespace
} // namespace dvr::skin
