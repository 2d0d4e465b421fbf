#include "skin/controls/te_items.h"

#include "framework/ui/forms.h"
#include "skin/controls/te_input_test_support.h"
#include "skin/controls/te_itemview.h"
#include "skin/engine/te_theme.h"
#include "skin/engine/theme_flat.h"

#include <gtest/gtest.h>

#include <memory>

namespace dvr::skin {
namespace {

using test::PumpUntil;

struct ClickLog : fw::TObject {
    std::vector<fw::TObject*> clicks;
    int tree_changes = 0;
    void Clicked(fw::TObject* s) { clicks.push_back(s); }
    void TreeChanged(fw::TObject*) { ++tree_changes; }
};

TTeItem* MakeItem(TTeItem* Parent, const std::wstring& Caption, ClickLog* Log = nullptr) {
    auto* i = new TTeItem(nullptr);
    i->SetCaption(Caption);
    if (Log) i->OnClick = fw::TNotifyEvent(Log, &ClickLog::Clicked);
    if (Parent) Parent->Add(i);
    return i;
}

TEST(ItemTest, ClicksRunOnlyFromTheQueueAndOnlyForLeaves) {
    ClickLog log;
    std::unique_ptr<TTeItem> root(MakeItem(nullptr, L""));
    TTeItem* leaf = MakeItem(root.get(), L"&Open", &log);
    TTeItem* sep = MakeItem(root.get(), L"-", &log);
    TTeItem* sub = MakeItem(root.get(), L"More", &log);
    MakeItem(sub, L"Inner", &log);
    TTeItem* off = MakeItem(root.get(), L"Off", &log);
    off->SetEnabled(false);

    for (TTeItem* i : {sep, sub, off}) i->Click();
    leaf->Click();
    EXPECT_TRUE(log.clicks.empty()); // deferred until the queue runs
    ASSERT_TRUE(PumpUntil([&] { return log.clicks.size() == 1; }));
    test::Pump();
    ASSERT_EQ(log.clicks.size(), 1u);
    EXPECT_EQ(log.clicks[0], leaf);

    // An item freed before its posted click runs is not called.
    TTeItem* gone = MakeItem(root.get(), L"Gone", &log);
    gone->Click();
    delete gone;
    EXPECT_EQ(root->Count(), 4);
    test::Pump();
    EXPECT_EQ(log.clicks.size(), 1u);
}

TEST(ItemTest, TreeEditsAndTheirErrors) {
    ClickLog log;
    std::unique_ptr<TTeItem> root(MakeItem(nullptr, L""));
    root->OnTreeChange = fw::TNotifyEvent(&log, &ClickLog::TreeChanged);
    TTeItem* a = MakeItem(root.get(), L"a");
    TTeItem* b = MakeItem(nullptr, L"b");
    root->Insert(0, b);
    EXPECT_EQ(b->MenuIndex(), 0);
    EXPECT_EQ(a->MenuIndex(), 1);
    EXPECT_EQ(b->Parent(), root.get());
    int changes = log.tree_changes;
    a->SetImageIndex(3);
    a->SetCaption(L"a");
    EXPECT_EQ(log.tree_changes, changes); // neither counts as a change
    a->SetCaption(L"A");
    EXPECT_GT(log.tree_changes, changes);

    std::unique_ptr<TTeItem> other(MakeItem(nullptr, L""));
    try {
        other->Add(a);
        FAIL() << "inserted twice";
    } catch (const EZrItemError& e) {
        EXPECT_STREQ(e.what(), "Toolbar item already inserted");
    }
    EXPECT_EQ(other->Count(), 0);
    EXPECT_EQ(root->Count(), 2);
    EXPECT_THROW(root->GetItem(2), fw::EListError);
    root->Remove(b);
    EXPECT_EQ(b->Parent(), nullptr);
    EXPECT_EQ(b->MenuIndex(), -1);
    delete b;
}

TEST(ItemTest, AcceleratorsNeedTheAmpersand) {
    std::unique_ptr<TTeItem> root(MakeItem(nullptr, L""));
    TTeItem* file = MakeItem(root.get(), L"&File");
    MakeItem(root.get(), L"Edit");
    TTeItem* cn = MakeItem(root.get(), L"\x6587\x4EF6(&W)");
    EXPECT_EQ(root->FindAccelItem(L'f'), file);
    EXPECT_EQ(root->FindAccelItem(L'F'), file);
    EXPECT_EQ(root->FindAccelItem(L'e'), nullptr);
    EXPECT_EQ(root->FindAccelItem(L'w'), cn);
}

TEST(ItemTest, ShortcutsClickThroughEnabledAncestors) {
    ClickLog log;
    std::unique_ptr<TTeItem> root(MakeItem(nullptr, L""));
    TTeItem* menu = MakeItem(root.get(), L"File");
    TTeItem* save = MakeItem(menu, L"Save", &log);
    save->SetShortCut(fw::scCtrl | 'S');
    TTeItem* other = MakeItem(root.get(), L"Edit");
    TTeItem* find = MakeItem(other, L"Find", &log);
    find->SetShortCut(VK_F3);

    auto press = [&](WPARAM vk, bool ctrl) {
        BYTE state[256], saved[256];
        ::GetKeyboardState(state);
        memcpy(saved, state, sizeof state);
        state[VK_CONTROL] = ctrl ? 0x80 : 0;
        ::SetKeyboardState(state);
        MSG m{nullptr, WM_KEYDOWN, vk, 0, 0, {}};
        bool r = root->IsShortCut(m);
        ::SetKeyboardState(saved);
        return r;
    };
    EXPECT_TRUE(press('S', true));
    EXPECT_FALSE(press('S', false));
    ASSERT_TRUE(PumpUntil([&] { return log.clicks.size() == 1; }));
    EXPECT_EQ(log.clicks[0], save);
    other->SetEnabled(false);
    EXPECT_TRUE(press(VK_F3, false)); // found, though its menu is disabled
    test::Pump();
    EXPECT_EQ(log.clicks.size(), 1u);
    EXPECT_EQ(root->FindItemByShortCut(VK_F3), find);
    fw::TNotifyEvent handler(&log, &ClickLog::Clicked);
    EXPECT_EQ(root->FindItem(&handler, 1), save);
}

TEST(ItemTest, ImagesComeFromTheRootAndSizeTheColumn) {
    std::unique_ptr<TTeItem> root(MakeItem(nullptr, L""));
    TTeItem* leaf = MakeItem(MakeItem(root.get(), L"sub"), L"leaf");
    EXPECT_EQ(leaf->GetImageColumnWidth(), 22);
    fw::TImageList small(nullptr), big(nullptr);
    small.SetWidth(16);
    small.SetHeight(16);
    big.SetWidth(MenuItemHeight() + 4);
    big.SetHeight(16);
    root->SetImages(&small);
    EXPECT_EQ(leaf->GetImageList(), &small);
    EXPECT_EQ(leaf->GetImageColumnWidth(), 22);
    leaf->SetImages(&big);
    EXPECT_EQ(leaf->GetImageColumnWidth(), MenuItemHeight() + 10);
    root->SetImages(nullptr);
    leaf->SetImages(nullptr);
}

// A container that remembers the item the registry hands it.
struct Holder {
    static void AddItem(fw::TComponent*, TTeItem* i) { Last = i; }
    static const fw::TMetaClass* ItemClass() { return TTeItem::StaticClass(); }
    static inline TTeItem* Last = nullptr;
};

TEST(ItemTest, RecursiveSettingsAndStreamedParents) {
    std::unique_ptr<TTeItem> root(MakeItem(nullptr, L""));
    TTeItem* sub = MakeItem(root.get(), L"sub");
    TTeItem* leaf = MakeItem(sub, L"leaf");
    root->SetSkipPaint(1);
    root->SetForegroundOnPopup(1);
    EXPECT_EQ(leaf->SkipPaint(), 1);
    EXPECT_EQ(leaf->ForegroundOnPopup(), 1);
    root->SetBiDiMode(TTeBiDiMode::bdRightToLeft);
    EXPECT_EQ(sub->BiDiMode(), TTeBiDiMode::bdRightToLeft);
    EXPECT_EQ(leaf->BiDiMode(), TTeBiDiMode::bdLeftToRight); // direct children only

    // A streamed item finds its container's root through the registry.
    fw::TImageList container(nullptr);
    int before = ItemContainerCount();
    RegisterItemContainer(fw::TImageList::StaticClass(), &Holder::AddItem, &Holder::ItemClass);
    RegisterItemContainer(fw::TImageList::StaticClass(), &Holder::AddItem, &Holder::ItemClass);
    EXPECT_EQ(ItemContainerCount(), before + 1);
    TTeItem* streamed = MakeItem(nullptr, L"s");
    streamed->SetParentComponent(&container);
    EXPECT_EQ(Holder::Last, streamed);
    streamed->SetParentComponent(sub);
    EXPECT_EQ(streamed->Parent(), sub);
    EXPECT_EQ(streamed->GetParentComponent(), sub);
    UnregisterItemContainer(fw::TImageList::StaticClass());
    EXPECT_EQ(ItemContainerCount(), before + 1);
    UnregisterItemContainer(fw::TImageList::StaticClass());
    EXPECT_EQ(ItemContainerCount(), before);
}

// ---- drawing ----

class ItemDrawTest : public ::testing::Test {
protected:
    void SetUp() override {
        bmp.SetSize(200, 60);
        root.reset(MakeItem(nullptr, L""));
        view.reset(new TTeItemView(nullptr, root.get(), false, false));
    }
    void TearDown() override { ClearCurrentTheme(); }
    COLORREF Pixel(int x, int y) { return ::GetPixel(bmp.Canvas()->Handle(), x, y); }
    // Whether any pixel of R has colour C.
    bool Has(TRect R, fw::TColor C) {
        COLORREF want = fw::ColorToRGB(C);
        for (int y = R.Top; y < R.Bottom; ++y)
            for (int x = R.Left; x < R.Right; ++x)
                if (Pixel(x, y) == want) return true;
        return false;
    }
    fw::TBitmap bmp;
    std::unique_ptr<TTeItem> root;
    std::unique_ptr<TTeItemView> view;
};

TEST_F(ItemDrawTest, ItemsAreAtLeastTwentyHighAndSeparatorsFifteen) {
    TTeItem* a = MakeItem(root.get(), L"Alpha");
    TTeItem* s = MakeItem(root.get(), L"-");
    a->SetShortCut(fw::scCtrl | 'A');
    int w = 0, h = 0;
    a->MeasureItem(bmp.Canvas(), view.get(), w, h);
    EXPECT_GE(h, 20);
    EXPECT_GT(w, 22 + 42);
    s->MeasureItem(bmp.Canvas(), view.get(), w, h);
    EXPECT_EQ(h, 15);
    EXPECT_GE(MenuItemWidth(), 20);
}

TEST_F(ItemDrawTest, PlainLookShowsCheckMarksDisabledTextAndSeparators) {
    TTeItem* checked = MakeItem(root.get(), L"Checked");
    checked->SetChecked(true);
    TRect r{0, 0, 200, 22};
    checked->PaintItem(bmp.Canvas(), view.get(), r, false, false);
    TRect cell{0, 0, 22, 22};
    EXPECT_TRUE(Has(cell, fw::clBlack)); // the mark
    EXPECT_TRUE(Has(cell, fw::clWhite));
    EXPECT_TRUE(Has(cell, fw::cl3DLight)); // the checker behind it

    TTeItem* off = MakeItem(root.get(), L"WWWW");
    off->SetEnabled(false);
    off->PaintItem(bmp.Canvas(), view.get(), r, false, false);
    TRect text{26, 0, 120, 22};
    // Font smoothing blends the strokes with the face: the text is told by what it is
    // not (no menu-text strokes) and by its emboss.
    EXPECT_TRUE(Has(text, fw::clBtnHighlight)); // embossed when not hot
    EXPECT_FALSE(Has(text, fw::clMenuText));
    off->PaintItem(bmp.Canvas(), view.get(), r, true, false);
    EXPECT_FALSE(Has(text, fw::clBtnHighlight)); // no emboss when hot
    EXPECT_FALSE(Has(text, fw::clMenuText));
    EXPECT_FALSE(Has(text, fw::clHighlightText));

    TTeItem* sep = MakeItem(root.get(), L"-");
    sep->PaintItem(bmp.Canvas(), view.get(), TRect{0, 0, 200, 15}, false, false);
    EXPECT_EQ(Pixel(10, 7), fw::ColorToRGB(fw::clBtnShadow));
    EXPECT_EQ(Pixel(10, 8), fw::ColorToRGB(fw::clBtnHighlight));
    EXPECT_EQ(Pixel(10, 3), fw::ColorToRGB(fw::clMenu));

    TTeItem* hot = MakeItem(root.get(), L"Hot");
    MakeItem(hot, L"sub");
    hot->PaintItem(bmp.Canvas(), view.get(), r, true, false);
    EXPECT_EQ(Pixel(100, 2), fw::ColorToRGB(fw::clHighlight));
    EXPECT_TRUE(Has(TRect{176, 0, 198, 22}, fw::clHighlightText)); // the sub-menu arrow
}

// The plain MDI buttons must show their glyphs, not the symbol font's character codes
// ("r", "2", "0") that a missing symbol font turns them into. Each glyph is told by the
// dark pixels inside the button's frame.
TEST_F(ItemDrawTest, PlainMDIButtonsShowCaptionGlyphs) {
    struct Case {
        uint8_t kind;
        const char* name;
        std::function<bool(const std::vector<std::vector<bool>>&, TRect)> shape;
    };
    // Whether a dark pixel lies within one column of x on row y.
    auto inked = [](const std::vector<std::vector<bool>>& d, int x, int y) {
        for (int dx = -1; dx <= 1; ++dx)
            if (x + dx >= 0 && x + dx < int(d[y].size()) && d[y][x + dx]) return true;
        return false;
    };
    const Case cases[] = {
        {1, "close: both diagonals of its box, row by row",
         [&](const auto& d, TRect b) {
             if (b.Width() < 5 || b.Height() < 5) return false;
             for (int y = b.Top; y < b.Bottom; ++y) {
                 int off = (y - b.Top) * (b.Width() - 1) / (b.Height() - 1);
                 if (!inked(d, b.Left + off, y) || !inked(d, b.Right - 1 - off, y)) return false;
             }
             return true;
         }},
        {3, "minimize: a low bar",
         [&](const auto&, TRect b) { return b.Height() <= 3 && b.Width() >= 4 && b.Top >= 9; }},
        {2, "restore: two windows, the back one up and right",
         [&](const auto& d, TRect b) {
             return b.Width() >= 5 && b.Height() >= 5 && d[b.Top][b.Right - 1] &&
                    !d[b.Top][b.Left] && d[b.Bottom - 1][b.Left] && !d[b.Bottom - 1][b.Right - 1];
         }},
    };
    TTeItemView bar(nullptr, root.get(), true, true);
    fw::TBitmap shot;
    shot.SetSize(3 * 24, 24);
    shot.Canvas()->Brush()->SetColor(fw::clWhite);
    shot.Canvas()->FillRect(TRect{0, 0, 3 * 24, 24});
    int slot = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TTeItem* button = MakeItem(root.get(), L"");
        button->SetItemKind(c.kind);
        TRect r{0, 0, 20, 20};
        button->PaintItem(bmp.Canvas(), &bar, r, false, true);
        ::BitBlt(shot.Canvas()->Handle(), 2 + 24 * slot++, 2, 20, 20, bmp.Canvas()->Handle(), 0, 0,
                 SRCCOPY);
        // Inside the button's frame: its rectangle is the item's shrunk by 2 (and 1 more
        // at the bottom), the frame two pixels wide.
        TRect inner{4, 4, 17, 15};
        std::vector<std::vector<bool>> dark(20, std::vector<bool>(20, false));
        TRect box{100, 100, -1, -1};
        for (int y = inner.Top; y < inner.Bottom; ++y)
            for (int x = inner.Left; x < inner.Right; ++x) {
                COLORREF p = Pixel(x, y);
                if (GetRValue(p) + GetGValue(p) + GetBValue(p) < 3 * 96) {
                    dark[y][x] = true;
                    box = TRect{std::min(box.Left, x), std::min(box.Top, y),
                                std::max(box.Right, x + 1), std::max(box.Bottom, y + 1)};
                }
            }
        if (box.Left >= box.Right) {
            ADD_FAILURE() << "no glyph drawn";
            continue;
        }
        EXPECT_TRUE(c.shape(dark, box))
            << "glyph box " << box.Left << "," << box.Top << "-" << box.Right << "," << box.Bottom;
    }
    test::SaveBitmapScreenshot(shot.Canvas()->Handle(), 3 * 24, 24, "menu_bar_mdi_buttons");
}

TEST_F(ItemDrawTest, ThemedLookPaintsThroughTheTheme) {
    SetCurrentTheme(new TTeFlatTheme());
    ASSERT_TRUE(CurrentThemeHasMenuStyle(2, "default"));
    TTeItem* checked = MakeItem(root.get(), L"Checked");
    checked->SetChecked(true);
    TRect r{0, 0, 200, 22};
    bmp.Canvas()->Brush()->SetColor(fw::TColor(0x00FF00));
    bmp.Canvas()->FillRect(TRect{0, 0, 200, 60});
    checked->PaintItem(bmp.Canvas(), view.get(), r, false, false);
    EXPECT_FALSE(Has(r, fw::TColor(0x00FF00))); // the theme painted the whole item
    TTeItem* off = MakeItem(root.get(), L"Off");
    off->SetEnabled(false);
    bmp.Canvas()->FillRect(TRect{0, 0, 200, 60});
    off->PaintItem(bmp.Canvas(), view.get(), r, false, false);
    EXPECT_FALSE(Has(r, fw::TColor(0x00FF00)));
    fw::TBitmap a, b;
    a.Assign(&bmp);
    checked->PaintItem(bmp.Canvas(), view.get(), r, false, false);
    b.Assign(&bmp);
    bool differ = false;
    for (int x = 0; x < 200 && !differ; ++x)
        for (int y = 0; y < 22 && !differ; ++y)
            differ = a.Canvas()->Pixels(x, y) != b.Canvas()->Pixels(x, y);
    EXPECT_TRUE(differ); // disabled and checked items look different
}


// ---- actions ----

struct ActionLog : fw::TObject {
    std::vector<std::string> runs;
    bool enable_on_update = true;
    void Executed(fw::TObject*) { runs.push_back("execute"); }
    void Own(fw::TObject*) { runs.push_back("own"); }
    void Updated(fw::TObject* s) {
        runs.push_back("update");
        static_cast<fw::TCustomAction*>(s)->SetEnabled(enable_on_update);
    }
};

TEST(ItemActionTest, TheActionGivesItsValuesAndTheItemFollowsWhileTheyMatch) {
    ActionLog log;
    auto* action = new fw::TAction(nullptr);
    action->SetCaption("\xB4\xF2\xBF\xAA(&O)"); // GBK for "打开(&O)"
    action->SetShortCut(fw::scCtrl | 'O');
    action->SetImageIndex(2);
    action->SetHint("opens a file");
    action->SetOnExecute(fw::TNotifyEvent(&log, &ActionLog::Executed));
    std::unique_ptr<TTeItem> root(MakeItem(nullptr, L""));
    TTeItem* item = MakeItem(root.get(), L"");
    item->SetAction(action);
    EXPECT_EQ(item->Caption(), L"打开(&O)");
    EXPECT_EQ(item->ShortCut(), fw::scCtrl | 'O');
    EXPECT_EQ(item->ImageIndex(), 2);
    EXPECT_EQ(item->Hint(), "opens a file");
    EXPECT_TRUE(item->OnClick == action->OnExecute());
    EXPECT_EQ(item->FindAccelItem(L'O'), nullptr); // the item itself is searched by its parent
    EXPECT_EQ(root->FindAccelItem(L'O'), item);

    // Changes of the action reach the item.
    action->SetChecked(true);
    action->SetVisible(false);
    action->SetCaption("Open");
    EXPECT_TRUE(item->Checked());
    EXPECT_FALSE(item->Visible());
    EXPECT_EQ(item->Caption(), L"Open");
    // A property the item changed on its own is no longer linked.
    item->SetHint("mine");
    EXPECT_FALSE(item->ActionLink()->IsHintLinked());
    EXPECT_TRUE(item->ActionLink()->IsCaptionLinked());

    // Freed, by Free or by delete, the action leaves the item without one.
    action->Free();
    EXPECT_EQ(item->Action(), nullptr);
    EXPECT_EQ(item->Caption(), L"Open");
    auto* second = new fw::TAction(nullptr);
    item->SetAction(second);
    EXPECT_EQ(second->ClientCount(), 1);
    delete second;
    EXPECT_EQ(item->Action(), nullptr);
    item->SetAction(nullptr);
}

TEST(ItemActionTest, LoadingKeepsWhatTheItemAlreadyHas) {
    auto owner = std::make_unique<fw::TComponent>(nullptr);
    TTeItem* item = nullptr;
    fw::TAction* action = nullptr;
    {
        fw::TLoadingBracket bracket(*owner);
        action = new fw::TAction(owner.get());
        action->SetCaption("From action");
        action->SetShortCut(fw::scCtrl | 'S');
        action->SetEnabled(false);
        item = new TTeItem(owner.get());
        item->SetCaption(L"Own caption");
        item->SetAction(action);
        bracket.Finish();
    }
    // The defaults (no shortcut, enabled) came from the action; the caption stayed.
    EXPECT_EQ(item->Caption(), L"Own caption");
    EXPECT_EQ(item->ShortCut(), fw::scCtrl | 'S');
    EXPECT_FALSE(item->Enabled());
    item->Free();
    EXPECT_EQ(action->ClientCount(), 0); // the freed item's link left the action
}

TEST(ItemActionTest, AClickRunsTheActionOrOnlyTheItemsOwnHandler) {
    ActionLog log;
    auto* action = new fw::TAction(nullptr);
    action->SetOnExecute(fw::TNotifyEvent(&log, &ActionLog::Executed));
    action->OnUpdate = fw::TNotifyEvent(&log, &ActionLog::Updated);
    std::unique_ptr<TTeItem> root(MakeItem(nullptr, L""));
    TTeItem* linked = MakeItem(root.get(), L"Linked");
    linked->SetAction(action);
    TTeItem* own = MakeItem(root.get(), L"Own");
    own->SetAction(action);

    struct Case {
        bool enable;
        std::vector<std::string> want;
    };
    const Case cases[] = {
        // The action updates itself first, then runs.
        {true, {"update", "execute"}},
        // Its update disabled it: nothing runs.
        {false, {"update"}},
    };
    for (const Case& c : cases) {
        log.runs.clear();
        log.enable_on_update = c.enable;
        action->SetEnabled(true);
        linked->Click();
        ASSERT_TRUE(PumpUntil([&] { return log.runs.size() >= c.want.size(); }));
        test::Pump();
        EXPECT_EQ(log.runs, c.want) << c.enable;
    }
    // Another handler than the action's runs alone (set after the action's last change,
    // which hands every linked item the action's handler again).
    action->SetEnabled(true);
    own->OnClick = fw::TNotifyEvent(&log, &ActionLog::Own);
    log.runs.clear();
    own->Click();
    ASSERT_TRUE(PumpUntil([&] { return !log.runs.empty(); }));
    test::Pump();
    EXPECT_EQ(log.runs, std::vector<std::string>{"own"});
    // The view's update pass asks the action for its state, which the item then shows.
    log.runs.clear();
    log.enable_on_update = false;
    action->SetEnabled(true);
    linked->InitiateAction();
    EXPECT_EQ(log.runs, std::vector<std::string>{"update"});
    EXPECT_FALSE(linked->Enabled());
    root.reset();
    action->Free();
}

} // namespace
} // namespace dvr::skin
