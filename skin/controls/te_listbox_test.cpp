#include "skin/controls/te_listbox.h"

#include "skin/controls/te_lists_test_support.h"
#include "skin/engine/te_theme.h"

#include <gtest/gtest.h>

#include <memory>

namespace dvr::skin {
namespace {

using namespace listtest;

struct ListEvents : fw::TObject {
    int clicks = 0;
    void Click(fw::TObject*) { ++clicks; }
};

class ListTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearCurrentTheme();
        form.reset(NewShownForm(80, 80, 360, 300));
        list = new TTeListBox(form.get());
        list->SetParent(form.get());
        list->HandleNeeded();
        list->OnClick = fw::TNotifyEvent(&ev, &ListEvents::Click);
    }
    void TearDown() override {
        ::ReleaseCapture();
        ClearCurrentTheme();
    }
    void Fill(int N) {
        list->Items()->BeginUpdate();
        for (int i = 0; i < N; ++i) list->Items()->Add("Item " + std::to_string(i));
        list->Items()->EndUpdate();
    }
    // Inner height of the single bevel: 2 pixels of frame.
    int Frame() { return list->Height() - list->InnerRect().Height(); }
    std::unique_ptr<fw::TForm, FormDeleter> form;
    TTeListBox* list = nullptr;
    ListEvents ev;
};

TEST_F(ListTest, HeightIsCutToWholeRowsUnlessAligned) {
    EXPECT_EQ(list->Width(), 121);
    list->SetBounds(10, 10, 150, 100 + Frame() + 7);
    EXPECT_EQ(list->Height() - Frame(), 96); // six rows of 16
    // Aligned to the left the parent decides the height: no cut to rows.
    list->SetAlign(fw::TAlign::alLeft);
    EXPECT_EQ(list->Height(), form->ClientHeight());
    EXPECT_NE((list->Height() - Frame()) % 16, 0);
}

TEST_F(ListTest, PagingAndSelection) {
    list->SetBounds(10, 10, 150, 160 + Frame());
    Fill(100);
    EXPECT_EQ(list->ItemIndex(), 0);
    EXPECT_EQ(list->ScrollBar()->PageSize(), 10);
    EXPECT_TRUE(list->ScrollBar()->Visible());
    list->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return list->HasFocus(); }));
    KeyTap(VK_NEXT);
    EXPECT_TRUE(PumpUntil([&] { return list->ItemIndex() == 9; }));
    EXPECT_EQ(ev.clicks, 1);
    KeyTap(VK_END);
    EXPECT_TRUE(PumpUntil([&] { return list->ItemIndex() == 99; }));
    EXPECT_EQ(list->ScrollBar()->Position(), 90); // the last page shows
    EXPECT_EQ(list->LastVisibleIndex(), 99);
    KeyTap(VK_HOME);
    EXPECT_TRUE(PumpUntil([&] { return list->ItemIndex() == 0; }));

    // Shift extends from the anchor only in a multi-select list.
    KeyTap(VK_DOWN, true);
    KeyTap(VK_DOWN, true);
    EXPECT_TRUE(PumpUntil([&] { return list->ItemIndex() == 2; }));
    EXPECT_EQ(list->SelCount(), 1);
    list->SetMultiSelect(true);
    EXPECT_EQ(list->SelCount(), 0);
    KeyTap(VK_DOWN); // the anchor moves to 3
    KeyTap(VK_DOWN, true);
    KeyTap(VK_DOWN, true);
    EXPECT_TRUE(PumpUntil([&] { return list->ItemIndex() == 5; }));
    EXPECT_EQ(list->SelCount(), 3); // 3, 4 and 5
    EXPECT_TRUE(list->IsSelected(3));
    EXPECT_FALSE(list->IsSelected(2));
    EXPECT_FALSE(list->IsSelected(-1));
    EXPECT_FALSE(list->IsSelected(100));
}

TEST_F(ListTest, ClicksChooseAndChecksCycle) {
    list->SetBounds(10, 10, 150, 96 + Frame());
    list->SetShowCheckBoxes(true);
    Fill(3);
    list->SetAllowGrayed(true);
    const TRect inner = list->InnerRect();
    // A click on an item's text chooses it; a click on its box cycles the check.
    MouseClickAt(list, inner.Left + 40, inner.Top + 16 + 8);
    EXPECT_TRUE(PumpUntil([&] { return list->ItemIndex() == 1; }));
    EXPECT_EQ(list->CheckState(1), 0);
    const int bx = inner.Left + 7;
    for (uint8_t expect : {1, 2, 0}) {
        MouseClickAt(list, bx, inner.Top + 16 * 2 + 8);
        EXPECT_TRUE(PumpUntil([&] { return list->CheckState(2) == expect; })) << int(expect);
    }
    EXPECT_EQ(list->ItemIndex(), 2);
    // Turning grayed off turns grayed checks into checked ones.
    list->SetCheckState(0, 2);
    list->SetAllowGrayed(false);
    EXPECT_EQ(list->CheckState(0), 1);
    // Space cycles the current item's check; a disabled check stays.
    KeyTap(VK_SPACE);
    EXPECT_TRUE(PumpUntil([&] { return list->CheckState(2) == 1; }));
    list->SetCheckEnabled(2, false);
    KeyTap(VK_SPACE);
    PumpPending();
    EXPECT_EQ(list->CheckState(2), 1);
    // Check states move with their items.
    list->Items()->Insert(0, "New");
    EXPECT_EQ(list->CheckState(0), 0);
    EXPECT_EQ(list->CheckState(1), 1);
    list->Items()->Delete(0);
    EXPECT_EQ(list->CheckState(0), 1);
    list->Items()->Exchange(0, 1);
    EXPECT_EQ(list->CheckState(0), 0);
    EXPECT_EQ(list->CheckState(1), 1);
}

TEST_F(ListTest, ColumnsScrollSidewaysOnlyWhenNeeded) {
    list->SetBounds(10, 10, 200, 64 + Frame());
    list->SetColumns(2);
    Fill(3); // four rows a column: one column
    EXPECT_FALSE(list->ScrollBar()->Visible());
    for (int i = 3; i < 9; ++i) list->Items()->Add("Item " + std::to_string(i));
    EXPECT_TRUE(list->ScrollBar()->Visible());
    EXPECT_EQ(list->ScrollBar()->Orientation(), ksoHorizontal);
    EXPECT_EQ(list->ScrollBar()->PageSize(), 2);
    // Nine items need three columns of four; counted again with the bar's height reserved.
    const int rows = (64 - ::GetSystemMetrics(SM_CYHSCROLL)) / 16;
    const int columns = (9 + rows - 1) / rows;
    EXPECT_EQ(list->ScrollBar()->Max(), columns - 1);
    const auto places = list->Layout();
    ASSERT_GT(int(places.size()), rows);
    EXPECT_EQ(places[size_t(rows)].Index, rows);
    EXPECT_EQ(places[size_t(rows)].Item.Left, list->InnerRect().Left + list->ColumnWidth());
    EXPECT_EQ(places[size_t(rows)].Item.Top, list->InnerRect().Top);
}

TEST_F(ListTest, ColourNamesShowSwatches) {
    list->SetBounds(10, 10, 150, 180 + Frame());
    list->SetListStyle(TTeListBoxStyle::lbColorNames);
    EXPECT_EQ(list->ItemHeight(), 18);
    const int red = list->Items()->IndexOf("clRed");
    ASSERT_GE(red, 0);
    list->SetItemIndex(red);
    TteBitmap shot;
    Snapshot(list, shot);
    TRect r;
    list->GetItemRect(red, r);
    EXPECT_EQ(Rgb(shot, r.Left + 10, r.Top + 9), Rgb(fw::clRed));

    list->SetListStyle(TTeListBoxStyle::lbFonts);
    EXPECT_GT(list->Items()->GetCount(), 0);
    EXPECT_TRUE(static_cast<fw::TStringList*>(list->Items())->Sorted());
}

TEST_F(ListTest, PaintsPlainAndSkinned) {
    list->SetBounds(10, 10, 150, 96 + Frame());
    Fill(3);
    list->SetItemIndex(1);
    TteBitmap shot;
    Snapshot(list, shot);
    TRect r1, r0;
    list->GetItemRect(1, r1);
    list->GetItemRect(0, r0);
    EXPECT_EQ(Rgb(shot, r1.Right - 3, r1.Top + 8), Rgb(fw::clHighlight));
    EXPECT_EQ(Rgb(shot, r0.Right - 3, r0.Top + 8), Rgb(fw::clWindow));
    UseTestSkin();
    Snapshot(list, shot);
    EXPECT_EQ(Rgb(shot, r1.Right - 3, r1.Top + 8), Rgb(kSkinListSelected));
    EXPECT_EQ(Rgb(shot, r0.Right - 3, r0.Top + 8), Rgb(kSkinListItem));
    EXPECT_EQ(Rgb(shot, 0, 0), Rgb(kSkinListFrame));
    SaveScreen("listbox_skinned", form.get());
}

} // namespace
} // namespace dvr::skin
