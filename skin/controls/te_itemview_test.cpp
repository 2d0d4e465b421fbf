#include "skin/controls/te_itemview.h"

#include "framework/ui/forms.h"
#include "skin/controls/te_input_test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace dvr::skin {
namespace {

using test::PumpUntil;

// A view that repaints its host window.
class TTestView : public TTeItemView {
    FW_CLASS(TTestView, TTeItemView)
public:
    using TTeItemView::TTeItemView;
    void Invalidate() override {
        if (Host() && Host()->HandleAllocated()) ::InvalidateRect(Host()->WindowHandle(), nullptr, FALSE);
    }
    void InvalidateItem(TTeItem*) override { Invalidate(); }
    void InvalidateScrollButton(int) override { Invalidate(); }
};

// A borderless window showing one menu level.
class TTestMenuHost : public fw::TCustomControl {
    FW_CLASS(TTestMenuHost, fw::TCustomControl)
public:
    using fw::TCustomControl::TCustomControl;
    TTeItemView* View = nullptr;

protected:
    void CreateParams(fw::TCreateParams& P) override {
        fw::TCustomControl::CreateParams(P);
        P.Style = WS_POPUP;
        P.ExStyle |= WS_EX_TOOLWINDOW;
    }
    void Paint() override {
        if (View) View->Paint(Canvas());
    }
};

struct ClickLog : fw::TObject {
    std::vector<fw::TObject*> clicks;
    void Clicked(fw::TObject* s) { clicks.push_back(s); }
};

// One open level: a host window at a screen point with its view.
struct Level {
    std::unique_ptr<TTestMenuHost> host;
    std::unique_ptr<TTestView> view;
    Level(TTeItem* Items, TTeItemView* Parent, TPoint At) {
        host.reset(new TTestMenuHost(nullptr));
        view.reset(new TTestView(nullptr, Items, false, false));
        host->View = view.get();
        view->SetHost(host.get());
        view->SetParentView(Parent);
        view->CalcSize();
        SIZE s = view->ContentSize();
        host->SetBounds(At.X, At.Y, s.cx, s.cy);
        host->HandleNeeded();
        ::ShowWindow(host->WindowHandle(), SW_SHOWNA);
        host->Update();
    }
};

Level* g_open_child = nullptr;
int g_drop_downs = 0;

// The stand-in for the popup window: a level at the drop-down point, tracked nested.
void TestDropDown(TTeItem* Item, TTeItemView* View, TPoint Point, TRect) {
    ++g_drop_downs;
    Level child(Item, View, Point);
    if (View) View->SetChildView(child.view.get());
    g_open_child = &child;
    child.view->Track();
    g_open_child = nullptr;
    if (View) View->SetChildView(nullptr);
}

class ItemViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetItemDropDownProc(&TestDropDown);
        g_drop_downs = 0;
        test::SendMove(TPoint{600, 500}); // away from the menus
        root.reset(new TTeItem(nullptr));
        for (const wchar_t* c : {L"&Alpha", L"&Bravo", L"-", L"&Charlie", L"Delta"}) Add(root.get(), c);
        TTeItem* sub = root->Items(4);
        Add(sub, L"Sub &one");
        TTeItem* deeper = Add(sub, L"Sub &two");
        Add(deeper, L"Deep &x");
        Add(deeper, L"Deep &y");
    }
    void TearDown() override {
        SetItemDropDownProc(nullptr);
        ::ReleaseCapture();
    }
    TTeItem* Add(TTeItem* parent, const wchar_t* caption) {
        auto* i = new TTeItem(nullptr);
        i->SetCaption(caption);
        i->OnClick = fw::TNotifyEvent(&log, &ClickLog::Clicked);
        parent->Add(i);
        return i;
    }
    void PostKeys(HWND wnd, std::initializer_list<WPARAM> keys) {
        for (WPARAM k : keys) ::PostMessageW(wnd, WM_KEYDOWN, k, 0);
    }
    std::unique_ptr<TTeItem> root;
    ClickLog log;
};

TEST_F(ItemViewTest, StackedLayoutAndScrolledWindow) {
    Level top(root.get(), nullptr, TPoint{50, 50});
    SIZE s = top.view->ContentSize();
    int h = 0;
    for (int i = 0; i < root->Count(); ++i) {
        TRect r = top.view->GetItemRect(root->Items(i));
        EXPECT_EQ(r.Top, h);
        EXPECT_EQ(r.Right - r.Left, s.cx); // every item as wide as the widest
        h += r.Bottom - r.Top;
    }
    EXPECT_EQ(s.cy, h);
    EXPECT_EQ(top.view->GetItemRect(root->Items(2)).Bottom - top.view->GetItemRect(root->Items(2)).Top, 15);

    root->SetScrolled(true);
    root->SetScrollCount(2);
    top.view->CalcSize();
    TRect first = top.view->GetItemRect(root->Items(0));
    EXPECT_EQ(first.Top, kMenuScrollButtonHeight);
    EXPECT_EQ(top.view->ContentSize().cy, 2 * (first.Bottom - first.Top) + 20);
    EXPECT_EQ(top.view->GetScrollButtonRect(2).Bottom, top.view->ContentSize().cy);

    // Selecting drags the window; separators are skipped both ways; the last item wraps.
    top.view->SetHotItem(root->Items(1));
    top.view->SelectNext();
    EXPECT_EQ(top.view->HotItem(), root->Items(3));
    EXPECT_EQ(root->FirstVisible(), 2);
    top.view->SelectNext();
    top.view->SelectNext();
    EXPECT_EQ(top.view->HotItem(), root->Items(0));
    EXPECT_EQ(root->FirstVisible(), 0);
    top.view->SelectPrev();
    EXPECT_EQ(top.view->HotItem(), root->Items(4));
    EXPECT_EQ(root->FirstVisible(), 3);

    // Nothing selectable: the hot item stays.
    std::unique_ptr<TTeItem> seps(new TTeItem(nullptr));
    Add(seps.get(), L"-");
    Add(seps.get(), L"-")->SetVisible(false);
    TTestView v(nullptr, seps.get(), false, false);
    v.SelectNext();
    EXPECT_EQ(v.HotItem(), nullptr);
}

TEST_F(ItemViewTest, KeysWalkTwoSubMenuLevelsAndRunTheLeafAfterClosing) {
    Level top(root.get(), nullptr, TPoint{50, 50});
    HWND wnd = top.host->WindowHandle();
    // Down three times (the separator skipped) to Delta, Right opens its menu, Down and
    // Right open the deeper one, Down, Enter.
    PostKeys(wnd, {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
    // The next levels' keys are posted once each level is open.
    bool sent1 = false, sent2 = false;
    fw::TTimer watcher(nullptr);
    struct Watch : fw::TObject {
        std::function<void()> fn;
        void Tick(fw::TObject*) { fn(); }
    } watch;
    watch.fn = [&] {
        if (!g_open_child) return;
        HWND child = g_open_child->host->WindowHandle();
        TTeItem* items = g_open_child->view->Items();
        if (!sent1 && items == root->Items(4)) {
            sent1 = true;
            PostKeys(child, {VK_DOWN, VK_RIGHT});
        } else if (!sent2 && items == root->Items(4)->Items(1)) {
            sent2 = true;
            PostKeys(child, {VK_DOWN, VK_RETURN});
        }
    };
    watcher.SetInterval(30);
    watcher.SetOnTimer(fw::TNotifyEvent(&watch, &Watch::Tick));
    watcher.SetEnabled(true);
    top.view->Track();
    watcher.SetEnabled(false);
    EXPECT_EQ(g_drop_downs, 2);
    EXPECT_FALSE(top.view->Tracking());
    EXPECT_TRUE(log.clicks.empty()); // not yet: the click waits for the menus to go
    ASSERT_TRUE(PumpUntil([&] { return !log.clicks.empty(); }));
    EXPECT_EQ(log.clicks[0], root->Items(4)->Items(1)->Items(1));
}

TEST_F(ItemViewTest, EscapeClosesOneLevelAndAcceleratorsRunTheirItem) {
    Level top(root.get(), nullptr, TPoint{50, 50});
    HWND wnd = top.host->WindowHandle();
    bool sent = false, typed = false;
    struct Watch : fw::TObject {
        std::function<void()> fn;
        void Tick(fw::TObject*) { fn(); }
    } watch;
    watch.fn = [&] {
        if (g_open_child && !sent) {
            sent = true;
            PostKeys(g_open_child->host->WindowHandle(), {VK_ESCAPE});
        } else if (sent && !g_open_child && !typed) {
            typed = true;
            EXPECT_TRUE(top.view->Tracking()); // only the sub-menu closed
            ::PostMessageW(wnd, WM_CHAR, L'b', 0);
        }
    };
    fw::TTimer watcher(nullptr);
    watcher.SetInterval(30);
    watcher.SetOnTimer(fw::TNotifyEvent(&watch, &Watch::Tick));
    watcher.SetEnabled(true);
    // Open Delta's menu, Escape in it, then the accelerator b in the first level.
    PostKeys(wnd, {VK_UP, VK_RETURN});
    top.view->Track();
    watcher.SetEnabled(false);
    EXPECT_EQ(g_drop_downs, 1);
    ASSERT_TRUE(PumpUntil([&] { return !log.clicks.empty(); }));
    EXPECT_EQ(log.clicks[0], root->Items(1));
}

TEST_F(ItemViewTest, MouseHoversClicksAndClicksOutsideGoThrough) {
    Level top(root.get(), nullptr, TPoint{50, 50});
    // A window elsewhere that records the click that closes the menu.
    std::unique_ptr<fw::TForm> other(new fw::TForm(nullptr));
    other->SetBounds(400, 50, 150, 100);
    other->Show();
    test::Pump();
    struct Watch : fw::TObject {
        std::function<void()> fn;
        void Tick(fw::TObject*) { fn(); }
    } watch;
    int phase = 0;
    TRect charlie = top.view->GetItemRect(root->Items(3));
    TPoint over = top.host->ClientToScreen(TPoint{10, (charlie.Top + charlie.Bottom) / 2});
    watch.fn = [&] {
        if (phase == 0) {
            phase = 1;
            test::SendInputs({test::MouseInput(over, MOUSEEVENTF_MOVE)});
        } else if (phase == 1 && top.view->HotItem() == root->Items(3)) {
            phase = 2;
            test::SendInputs({test::MouseInput(over, MOUSEEVENTF_LEFTDOWN),
                              test::MouseInput(over, MOUSEEVENTF_LEFTUP)});
        }
    };
    fw::TTimer watcher(nullptr);
    watcher.SetInterval(30);
    watcher.SetOnTimer(fw::TNotifyEvent(&watch, &Watch::Tick));
    watcher.SetEnabled(true);
    top.view->Track();
    watcher.SetEnabled(false);
    EXPECT_EQ(phase, 2);
    ASSERT_TRUE(PumpUntil([&] { return !log.clicks.empty(); }));
    EXPECT_EQ(log.clicks[0], root->Items(3));

    // A click outside every menu closes it and reaches the window under the mouse.
    log.clicks.clear();
    TPoint outside = other->ClientToScreen(TPoint{40, 40});
    bool got_click = false;
    struct Probe : fw::TObject {
        bool* flag;
        void Down(fw::TObject*, fw::TMouseButton, fw::TShiftState, int, int) { *flag = true; }
    } probe;
    probe.flag = &got_click;
    other->OnMouseDown = fw::TMouseEvent(&probe, &Probe::Down);
    phase = 0;
    watch.fn = [&] {
        if (phase++ == 0) test::SendClick(outside);
    };
    watcher.SetEnabled(true);
    top.view->Track();
    watcher.SetEnabled(false);
    EXPECT_FALSE(top.view->Tracking());
    ASSERT_TRUE(PumpUntil([&] { return got_click; }));
    EXPECT_TRUE(log.clicks.empty());
    other->Free();
    other.release();
}

TEST_F(ItemViewTest, HoldingOverTheDownButtonScrollsToTheEnd) {
    root->SetScrolled(true);
    root->SetScrollCount(2);
    Level top(root.get(), nullptr, TPoint{50, 50});
    TRect down = top.view->GetScrollButtonRect(2);
    TPoint p = top.host->ClientToScreen(TPoint{5, (down.Top + down.Bottom) / 2});
    struct Watch : fw::TObject {
        std::function<void()> fn;
        void Tick(fw::TObject*) { fn(); }
    } watch;
    bool moved = false;
    watch.fn = [&] {
        if (!moved) {
            moved = true;
            test::SendInputs({test::MouseInput(p, MOUSEEVENTF_MOVE)});
        } else if (root->FirstVisible() + root->ScrollCount() >= root->Count()) {
            ::PostMessageW(top.host->WindowHandle(), WM_KEYDOWN, VK_ESCAPE, 0);
        }
    };
    fw::TTimer watcher(nullptr);
    watcher.SetInterval(30);
    watcher.SetOnTimer(fw::TNotifyEvent(&watch, &Watch::Tick));
    watcher.SetEnabled(true);
    top.view->Track();
    watcher.SetEnabled(false);
    EXPECT_EQ(root->FirstVisible(), root->Count() - root->ScrollCount());
    EXPECT_TRUE(log.clicks.empty());
    top.view->StopScrollTimer();
    test::SaveScreenshot(top.host->WindowHandle(), "menu_scrolled");
}

} // namespace
} // namespace dvr::skin
