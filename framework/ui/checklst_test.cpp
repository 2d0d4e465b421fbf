#include "framework/ui/checklst.h"

#include "framework/ui/buttons.h"
#include "framework/ui/forms.h"

#include <gtest/gtest.h>

#include <memory>

namespace dvr::fw {
namespace {

struct FormDeleter {
    void operator()(TCustomForm* f) const { f->Free(); }
};
using FormPtr = std::unique_ptr<TForm, FormDeleter>;

TEST(CheckListBox, ChecksFollowTheirItemsAndClicksInTheBoxToggleThem) {
    FormPtr f(new TForm(nullptr));
    auto* list = new TCheckListBox(f.get());
    list->SetParent(f.get());
    for (const char* s : {"00 < A >", "01 < B >", "02 < C >"})
        list->Items()->Add(s);
    list->SetChecked(0, true);
    list->SetChecked(2, true);
    list->Items()->Delete(1);
    EXPECT_TRUE(list->Checked(0));
    EXPECT_TRUE(list->Checked(1)); // "02" moved up with its check
    list->Items()->Insert(0, "new");
    EXPECT_FALSE(list->Checked(0));
    EXPECT_TRUE(list->Checked(1));

    struct Count : TObject {
        int n = 0;
        void Check(TObject*) { ++n; }
    } count;
    list->OnClickCheck = TNotifyEvent(&count, &Count::Check);
    HWND w = list->Handle();
    TRect r = list->ItemRect(0);
    ::SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.Left + 3, r.Top + 3));
    ::SendMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(r.Left + 3, r.Top + 3));
    EXPECT_TRUE(list->Checked(0));
    ::SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.Right - 3, r.Top + 3)); // the text
    EXPECT_TRUE(list->Checked(0));
    list->SetItemEnabled(0, false);
    ::SendMessageW(w, WM_CHAR, ' ', 0); // the current item is 0, now disabled
    EXPECT_TRUE(list->Checked(0));
    list->SetItemIndex(1);
    ::SendMessageW(w, WM_CHAR, ' ', 0);
    EXPECT_FALSE(list->Checked(1));
    EXPECT_EQ(count.n, 2);
    list->RecreateWnd();
    EXPECT_TRUE(list->Checked(0));
    EXPECT_EQ(::SendMessageW(list->Handle(), LB_GETCOUNT, 0, 0), 3);
    EXPECT_THROW(list->Checked(3), EListError);
}

TEST(SpeedButton, GroupsKeepOneDownAndClicksNeedTheReleaseInside) {
    FormPtr f(new TForm(nullptr));
    struct Count : TObject {
        int n = 0;
        void Click(TObject*) { ++n; }
    } count;
    TSpeedButton* b[3];
    for (int i = 0; i < 3; ++i) {
        b[i] = new TSpeedButton(f.get());
        b[i]->SetParent(f.get());
        b[i]->SetBounds(i * 30, 0, 25, 25);
        b[i]->SetGroupIndex(i < 2 ? 1 : 0);
        b[i]->OnClick = TNotifyEvent(&count, &Count::Click);
    }
    HWND w = f->Handle();
    auto click = [&](int x, int upx) {
        ::SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 5));
        ::SendMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(upx, 5));
        ::SendMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(upx, 5));
    };
    click(5, 5);
    EXPECT_TRUE(b[0]->Down());
    click(35, 35);
    EXPECT_TRUE(b[1]->Down());
    EXPECT_FALSE(b[0]->Down());
    click(35, 35); // the group keeps one down
    EXPECT_TRUE(b[1]->Down());
    click(65, 65); // not grouped: never down
    EXPECT_FALSE(b[2]->Down());
    EXPECT_EQ(count.n, 4);
    click(65, 200); // released outside
    EXPECT_EQ(count.n, 4);
    EXPECT_EQ(b[2]->State(), TButtonState::bsUp);
}

} // namespace
} // namespace dvr::fw
