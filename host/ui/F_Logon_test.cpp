#include "host/ui/F_Logon.h"
#include "host/ui/F_SelectChannelForm.h"
#include "host/ui/F_SelectWeekDay.h"

#include "host/engine/U_User.h"
#include "host/engine/host_engine_testing.h"

#include "common/win/textconv.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

using namespace dvr::fw;

template <class T> struct Freed {
    T* f;
    ~Freed() { f->Free(); }
    T* operator->() { return f; }
};

TEST(LogonForm, ClosesOnlyThroughItsButtonsAndHandsOverWhatWasTyped) {
    testing::DeleteHostSettings();
    const std::string folder = testing::FreshProgramFolder("host_ui_logon");
    TArithmetic arithmetic;
    TUser user(arithmetic, folder); // the default account only

    Freed<TLogonForm> f{MakeForm<TLogonForm>(nullptr)};
    f->Show();
    EXPECT_FALSE(f->CanClose);
    ::SendMessageW(f->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); // Alt+F4
    EXPECT_TRUE(f->Visible());
    EXPECT_EQ(f->ed_Password->PasswordChar(), '*');

    f->ed_UserName->SetText("vorel");
    f->ed_Password->SetText("");
    f->bt_OKClick(f->bt_OK);
    EXPECT_EQ(f->ModalResult(), mrOk);
    EXPECT_TRUE(f->CloseQuery());
    EXPECT_TRUE(user.CheckRight(f->ed_UserName->GetText(), f->ed_Password->GetText(), 0, -1, -1));
    f->ed_Password->SetText("wrong");
    EXPECT_FALSE(user.CheckRight(f->ed_UserName->GetText(), f->ed_Password->GetText(), 0, -1, -1));

    f->Hide();
    f->Show(); // a new show forbids closing again
    EXPECT_FALSE(f->CanClose);
    f->bt_CancelClick(f->bt_Cancel);
    EXPECT_EQ(f->ModalResult(), mrCancel);
    testing::DeleteHostSettings();
}

TEST(Pickers, SelectAllTogglesAndTheTicksAreReturned) {
    Freed<TSelectChannelForm> c{new TSelectChannelForm(nullptr, {"A", "B", "C"})};
    c->AfterConstruction();
    c->Show();
    ASSERT_EQ(c->lv_ChannelList->Items()->Count(), 3);
    EXPECT_EQ(c->lv_ChannelList->Items()->Item(2)->Caption(), "3");
    EXPECT_EQ(c->lv_ChannelList->Items()->Item(1)->SubItems()->Get(0), "B");
    c->bt_SelectAllClick(c->bt_SelectAll);
    EXPECT_EQ(c->Chosen(), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(c->bt_SelectAll->Caption(), dvr::win::Utf8ToGbk("全清"));
    c->bt_SelectAllClick(c->bt_SelectAll);
    EXPECT_TRUE(c->Chosen().empty());
    EXPECT_EQ(c->bt_SelectAll->Caption(), dvr::win::Utf8ToGbk("全选"));
    c->lv_ChannelList->Items()->Item(1)->SetChecked(true);
    c->bt_OKClick(c->bt_OK);
    EXPECT_EQ(c->ModalResult(), mrOk);
    EXPECT_EQ(c->Chosen(), std::vector<int>{1});

    Freed<TSelectWeekDayForm> w{MakeForm<TSelectWeekDayForm>(nullptr)};
    w->Show();
    ASSERT_EQ(w->lv_WeekDayList->Items()->Count(), 7);
    EXPECT_EQ(w->lv_WeekDayList->Items()->Item(6)->Caption(), dvr::win::Utf8ToGbk("星期日"));
    w->lv_WeekDayList->Items()->Item(0)->SetChecked(true);
    w->lv_WeekDayList->Items()->Item(6)->SetChecked(true);
    w->bt_OKClick(w->bt_OK);
    EXPECT_EQ(w->Chosen(), (std::vector<int>{0, 6}));
}

} // namespace
} // namespace vantrel
