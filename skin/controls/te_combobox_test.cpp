#include "skin/controls/te_combobox.h"

#include "skin/controls/te_lists_test_support.h"
#include "skin/engine/te_theme.h"
#include "skin/engine/theme_flat.h"
#include "skin/engine/te_winapi.h"

#include <gtest/gtest.h>

#include <memory>

namespace dvr::skin {
namespace {

using namespace listtest;

struct ComboEvents : fw::TObject {
    int asked = 0, list_clicks = 0, changes = 0, drops = 0, closes = 0;
    bool allow = true;
    std::string asked_text;
    void AllowChange(fw::TObject*, int, const std::string& Text, bool& Allow) {
        ++asked;
        asked_text = Text;
        Allow = allow;
    }
    void ListClick(fw::TObject*) { ++list_clicks; }
    void Change(fw::TObject*) { ++changes; }
    void Drop(fw::TObject*) { ++drops; }
    void Close(fw::TObject*) { ++closes; }
};

class ComboTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearCurrentTheme();
        form.reset(NewShownForm(80, 80, 360, 300));
        combo = new TTeComboBox(form.get());
        combo->SetParent(form.get());
        combo->SetBounds(20, 20, 160, 22);
        combo->HandleNeeded();
        combo->OnAllowChange = TTeComboBoxAllowChangeEvent(&ev, &ComboEvents::AllowChange);
        combo->OnListBoxClick = fw::TNotifyEvent(&ev, &ComboEvents::ListClick);
        combo->OnChange = fw::TNotifyEvent(&ev, &ComboEvents::Change);
        combo->OnDropDown = fw::TNotifyEvent(&ev, &ComboEvents::Drop);
        combo->OnCloseUp = fw::TNotifyEvent(&ev, &ComboEvents::Close);
    }
    void TearDown() override {
        ::ReleaseCapture();
        if (combo) combo->CloseDropDown();
        ClearCurrentTheme();
    }
    void Fill(std::initializer_list<const char*> Items) {
        for (const char* s : Items)
            combo->Items()->Add(s);
    }
    void FillN(int N) {
        for (int i = 0; i < N; ++i)
            combo->Items()->Add("Item " + std::to_string(i));
    }
    int ListFrame() {
        TRect i = combo->DropList()->InnerRect();
        return i.Top + (combo->DropList()->CachedHeight() - i.Bottom);
    }
    void Focus() {
        combo->SetFocus();
        ASSERT_TRUE(PumpUntil([&] { return combo->HasFocus(); }));
    }
    bool Open() {
        return combo->DroppedDown() && combo->DropWindow()->Visible() &&
               ::IsWindowVisible(combo->DropWindow()->Handle());
    }
    std::unique_ptr<fw::TForm, FormDeleter> form;
    TTeComboBox* combo = nullptr;
    ComboEvents ev;
};

TEST_F(ComboTest, NewComboBoxDefaults) {
    EXPECT_EQ(combo->ItemIndex(), -1);
    EXPECT_EQ(combo->DropDownCount(), 8);
    EXPECT_EQ(combo->ItemHeight(), 15);
    EXPECT_EQ(combo->ComboStyle(), TTeComboStyle::kcsDropDown);
    EXPECT_EQ(combo->ButtonAlign(), TTeComboButtonAlign::cbaRight);
    EXPECT_FALSE(combo->AutoComplete());
    EXPECT_FALSE(combo->DropList()->Visible());
    EXPECT_EQ(combo->DropList()->Parent(), combo);
    EXPECT_FALSE(combo->DropList()->ClickOnKeySelect());
    EXPECT_EQ(combo->CompletionTimer()->Interval(), 100u);
    EXPECT_FALSE(combo->CompletionTimer()->Enabled());
    // The button lies just outside the text rectangle, on its side.
    const TRect t = combo->GetTextRect(), b = combo->ButtonRect();
    const int grow = IsSystemThemeActive() ? 3 : 2;
    EXPECT_EQ(b.Left, t.Right + grow);
    EXPECT_EQ(b.Right - b.Left, combo->GetButtonWidth());
    combo->SetButtonAlign(TTeComboButtonAlign::cbaLeft);
    const TRect t2 = combo->GetTextRect(), b2 = combo->ButtonRect();
    EXPECT_EQ(b2.Right, t2.Left - grow);
}

TEST_F(ComboTest, DropWindowSizeFollowsItemsAndWorkArea) {
    struct Case {
        int items, rows;
    };
    for (Case c : {Case{3, 3}, Case{0, 8}, Case{20, 8}}) {
        combo->Items()->Clear();
        FillN(c.items);
        combo->OpenDropDown();
        ASSERT_TRUE(Open()) << c.items;
        EXPECT_EQ(combo->DropWindow()->Height(), c.rows * 15 + ListFrame()) << c.items;
        EXPECT_EQ(combo->DropWindow()->Width(), combo->Width());
        const TPoint under = combo->ClientToScreen(TPoint{0, combo->CachedHeight()});
        EXPECT_EQ(combo->DropWindow()->Left(), under.X);
        EXPECT_EQ(combo->DropWindow()->Top(), under.Y);
        EXPECT_EQ(combo->DropList()->Parent(), combo->DropWindow());
        combo->CloseDropDown();
        EXPECT_FALSE(combo->DroppedDown());
        EXPECT_FALSE(::IsWindowVisible(combo->DropWindow()->Handle()));
    }
    // Near the bottom the list opens above; near the right edge it is moved left.
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    form->SetBounds(work.right - 120, work.bottom - 60, 200, 100);
    combo->SetBounds(0, 0, 160, 22);
    PumpPending();
    combo->OpenDropDown();
    ASSERT_TRUE(Open());
    const TPoint under = combo->ClientToScreen(TPoint{0, combo->CachedHeight()});
    EXPECT_EQ(combo->DropWindow()->Top(), under.Y - combo->Height() - 8 * 15);
    EXPECT_EQ(combo->DropWindow()->Left(), work.right - combo->Width());
}

TEST_F(ComboTest, ItemIndexClampsAndFollowsKeys) {
    combo->SetItemIndex(-5);
    EXPECT_EQ(combo->ItemIndex(), -1); // no items
    Fill({"one", "two", "three", "four"});
    combo->SetItemIndex(-5);
    EXPECT_EQ(combo->ItemIndex(), 0);
    combo->SetItemIndex(99);
    EXPECT_EQ(combo->ItemIndex(), 3);
    EXPECT_EQ(combo->Text(), L"four");

    // The edit style: Page Down only brings a missing item to the first.
    combo->SetItemIndex(-1);
    Focus();
    KeyTap(VK_NEXT);
    EXPECT_TRUE(PumpUntil([&] { return combo->ItemIndex() == 0; }));
    KeyTap(VK_DOWN);
    EXPECT_TRUE(PumpUntil([&] { return combo->ItemIndex() == 1; }));
    EXPECT_EQ(combo->Text(), L"two");
    KeyTap(VK_NEXT);
    KeyTap(VK_UP);
    EXPECT_TRUE(PumpUntil([&] { return combo->ItemIndex() == 0; }));

    // The list style: pages of three, clamped at the ends, and the item is the text.
    combo->SetComboStyle(TTeComboStyle::kcsDropDownList);
    ev.changes = 0;
    KeyTap(VK_NEXT);
    EXPECT_TRUE(PumpUntil([&] { return combo->ItemIndex() == 3; }));
    KeyTap(VK_NEXT);
    PumpPending();
    EXPECT_EQ(combo->ItemIndex(), 3);
    EXPECT_EQ(combo->GetText(), "four");
    EXPECT_GE(ev.changes, 1);
    KeyTap(VK_HOME);
    EXPECT_TRUE(PumpUntil([&] { return combo->ItemIndex() == 0; }));
    KeyTap(VK_END);
    EXPECT_TRUE(PumpUntil([&] { return combo->ItemIndex() == 3; }));

    // A wheel notch up moves one item towards the start.
    combo->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    EXPECT_EQ(combo->ItemIndex(), 2);
    combo->Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-240)), 0);
    EXPECT_EQ(combo->ItemIndex(), 3);
}

TEST_F(ComboTest, StyleSwitchKeepsReadOnly) {
    Fill({"one", "two"});
    for (bool read_only : {false, true}) {
        combo->SetReadOnly(read_only);
        combo->SetComboStyle(TTeComboStyle::kcsDropDownList);
        EXPECT_TRUE(combo->ReadOnly());
        EXPECT_EQ(combo->ItemIndex(), 0);
        EXPECT_EQ(combo->Text(), L"");
        EXPECT_EQ(combo->GetText(), "one");
        combo->SetComboStyle(TTeComboStyle::kcsDropDownList); // again: nothing changes
        combo->SetComboStyle(TTeComboStyle::kcsDropDown);
        EXPECT_EQ(combo->ReadOnly(), read_only);
    }
}

TEST_F(ComboTest, TypedTextCompletesAgainstTheItems) {
    Fill({"Xy", "ABC", "abd"});
    combo->SetAutoComplete(true);
    Focus();
    KeyTap('A');
    KeyTap('B');
    EXPECT_TRUE(PumpUntil([&] { return combo->Text() == L"ABC" && combo->GetSelLength() == 1; }));
    EXPECT_EQ(combo->GetSelStart(), 2);
    EXPECT_EQ(combo->SelectedText(), L"C");
    EXPECT_FALSE(combo->SuppressAutoComplete());

    // Deleting never completes: the shorter text stays as it is.
    KeyTap(VK_DELETE); // the selected "C"
    KeyTap(VK_BACK);   // "B"
    EXPECT_TRUE(
        PumpUntil([&] { return combo->Text() == L"A" && !combo->CompletionTimer()->Enabled(); }));
    ::Sleep(250);
    PumpPending();
    EXPECT_EQ(combo->Text(), L"A");
    EXPECT_EQ(combo->LastText(), L"A");

    // No match leaves the text alone.
    KeyTap('Q');
    EXPECT_TRUE(PumpUntil([&] { return combo->LastText() == L"Aq"; }));
    EXPECT_EQ(combo->Text(), L"Aq");
}

TEST_F(ComboTest, OpenListTakesKeysAndClicks) {
    Fill({"one", "two", "three", "four"});
    combo->SetItemIndex(1);
    Focus();
    // Alt+Down opens with the current item selected.
    INPUT in[4] = {};
    const WORD keys[4][2] = {
        {VK_MENU, 0}, {VK_DOWN, 0}, {VK_DOWN, KEYEVENTF_KEYUP}, {VK_MENU, KEYEVENTF_KEYUP}};
    for (int i = 0; i < 4; ++i) {
        in[i].type = INPUT_KEYBOARD;
        in[i].ki.wVk = keys[i][0];
        in[i].ki.dwFlags = keys[i][1];
    }
    ::SendInput(4, in, sizeof(INPUT));
    ASSERT_TRUE(PumpUntil([&] { return Open() && combo->DropList()->HasFocus(); }));
    EXPECT_EQ(ev.drops, 1);
    EXPECT_EQ(ActiveDropDown(), combo);
    EXPECT_EQ(combo->DropList()->ItemIndex(), 1);
    EXPECT_TRUE(combo->DropList()->IsSelected(1));

    // Escape closes without taking the list's item.
    KeyTap(VK_DOWN);
    EXPECT_TRUE(PumpUntil([&] { return combo->DropList()->ItemIndex() == 2; }));
    KeyTap(VK_ESCAPE);
    EXPECT_TRUE(PumpUntil([&] { return !combo->DroppedDown(); }));
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(ActiveDropDown(), nullptr);
    EXPECT_GE(ev.closes, 1);
    EXPECT_TRUE(PumpUntil([&] { return combo->HasFocus(); }));

    // Enter takes it without asking.
    combo->OpenDropDown();
    ASSERT_TRUE(PumpUntil([&] { return combo->DropList()->HasFocus(); }));
    KeyTap(VK_DOWN);
    KeyTap(VK_RETURN);
    EXPECT_TRUE(PumpUntil([&] { return !combo->DroppedDown(); }));
    EXPECT_EQ(combo->ItemIndex(), 2);
    EXPECT_EQ(ev.asked, 0);

    // A click asks; refused, the item stays but the list closes.
    ev.allow = false;
    combo->OpenDropDown();
    ASSERT_TRUE(PumpUntil([&] { return combo->DropList()->HasFocus(); }));
    TRect r;
    combo->DropList()->GetItemRect(3, r);
    MouseClickAt(combo->DropList(), r.Left + 10, (r.Top + r.Bottom) / 2);
    EXPECT_TRUE(PumpUntil([&] { return !combo->DroppedDown(); }));
    EXPECT_EQ(ev.asked, 1);
    EXPECT_EQ(ev.asked_text, "four");
    EXPECT_EQ(ev.list_clicks, 1);
    EXPECT_EQ(combo->ItemIndex(), 2);

    ev.allow = true;
    combo->OpenDropDown();
    ASSERT_TRUE(PumpUntil([&] { return combo->DropList()->HasFocus(); }));
    combo->DropList()->GetItemRect(0, r);
    MouseClickAt(combo->DropList(), r.Left + 10, (r.Top + r.Bottom) / 2);
    EXPECT_TRUE(PumpUntil([&] { return !combo->DroppedDown(); }));
    EXPECT_EQ(combo->ItemIndex(), 0);
    EXPECT_EQ(combo->Text(), L"one");
}

TEST_F(ComboTest, ButtonClickOpensAndAFrameClickCloses) {
    Fill({"one", "two"});
    const TRect b = combo->ButtonRect();
    MouseMoveTo(combo, (b.Left + b.Right) / 2, (b.Top + b.Bottom) / 2);
    EXPECT_TRUE(PumpUntil([&] { return combo->DropButtonHot(); }));
    MouseClickAt(combo, (b.Left + b.Right) / 2, (b.Top + b.Bottom) / 2);
    ASSERT_TRUE(PumpUntil([&] { return Open(); }));
    EXPECT_TRUE(combo->DropButtonPressed());
    // What a skinned form does on a click on its frame.
    RunDropDownCloseEvent();
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_FALSE(combo->DropButtonPressed());
    EXPECT_FALSE(combo->DropWindow()->Visible());

    // In the list style a click on the text opens the list too.
    combo->SetComboStyle(TTeComboStyle::kcsDropDownList);
    const TRect t = combo->GetTextRect();
    MouseClickAt(combo, t.Left + 5, (t.Top + t.Bottom) / 2);
    EXPECT_TRUE(PumpUntil([&] { return Open(); }));
    // Activating another window closes it.
    ::SetForegroundWindow(form->Handle());
    ::SetActiveWindow(form->Handle());
    EXPECT_TRUE(PumpUntil([&] { return !combo->DroppedDown(); }));
}

TEST_F(ComboTest, PaintsPlainFlatAndSkinned) {
    Fill({"one", "two"});
    const TRect b = combo->ButtonRect();
    const int bx = b.Left + 3, by = b.Top + 3;
    TteBitmap shot;
    // Plain (where no visual style draws it): the frame-control button in the face colour.
    if (!IsSystemThemeActive()) {
        Snapshot(combo, shot);
        EXPECT_EQ(Rgb(shot, bx, by), Rgb(fw::clBtnFace));
    }

    // What a user sees: the text, the button and the dropped list.
    combo->SetItemIndex(1);
    combo->OpenDropDown();
    ASSERT_TRUE(PumpUntil([&] { return Open(); }));
    SaveScreen("combobox-plain", form.get());
    SaveScreen("combobox-plain-list", combo->DropWindow());
    combo->CloseDropDown();

    auto* flat = new TTeFlatTheme();
    SetCurrentTheme(flat);
    PumpPending();
    Snapshot(combo, shot);
    EXPECT_EQ(Rgb(shot, bx, by), Rgb(flat->Color(ktcButtonNormal)));

    UseTestSkin();
    PumpPending();
    Snapshot(combo, shot);
    SaveScreen("combobox-skinned", combo);
    EXPECT_EQ(Rgb(shot, bx, by), Rgb(kSkinComboButton));
    EXPECT_EQ(Rgb(shot, 1, 1), Rgb(kSkinEditFrame));

    // The list style draws its item as the list does: selected while focused.
    combo->SetComboStyle(TTeComboStyle::kcsDropDownList);
    Focus();
    PumpPending();
    Snapshot(combo, shot);
    const TRect t = combo->GetTextRect();
    EXPECT_EQ(Rgb(shot, t.Right - 3, (t.Top + t.Bottom) / 2), Rgb(kSkinListSelected));
}

} // namespace
} // namespace dvr::skin
