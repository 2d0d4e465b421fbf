#include "host/ui/F_UserForm.h"

#include "host/engine/U_DiskAccess.h"
#include "host/engine/host_engine_testing.h"

#include "common/win/textconv.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

class UserFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::DeleteHostSettings();
        folder = testing::FreshProgramFolder("host_ui_users");
        user = std::make_unique<TUser>(arithmetic, folder);
        form = new TUserForm(nullptr, *user, folder);
        form->AfterConstruction();
        form->ShowMessage = [this](const std::string& m) { messages.push_back(m); };
        form->Show();
    }
    void TearDown() override {
        form->Free();
        testing::DeleteHostSettings();
    }

    void AddUser(const std::string& name, const std::string& password, int level) {
        form->sb_AddUserClick(form->sb_AddUser);
        EXPECT_FALSE(form->bt_OK->Enabled()); // the strip is open
        form->ed_UserName->SetText(name);
        form->ed_Password->SetText(password);
        form->cb_UserKind->SetItemIndex(level);
        form->sb_UserOKClick(form->sb_UserOK);
        EXPECT_TRUE(form->bt_OK->Enabled());
    }
    void Select(int row) {
        form->lv_UserList->SetSelected(form->lv_UserList->Items()->Item(row));
        form->LoadUserTree(row);
    }
    TTreeNode* Node(int right, int item = -1, int sub = -1) {
        TTreeNode* n = form->RootNode()->Item(right);
        if (item >= 0) n = n->Item(item);
        if (sub >= 0) n = n->Item(sub);
        return n;
    }

    std::string folder;
    TArithmetic arithmetic;
    std::unique_ptr<TUser> user;
    TUserForm* form = nullptr;
    std::vector<std::string> messages;
};

TEST_F(UserFormTest, EditsRightsAndLevelsAndSavesWhatTheEngineReadsBack) {
    ASSERT_EQ(form->lv_UserList->Items()->Count(), 1);
    EXPECT_EQ(form->lv_UserList->Items()->Item(0)->SubItems()->Get(0), "**********");
    AddUser("operator12345", "pw", 2);
    ASSERT_EQ(form->EditUsers.size(), 2u);
    EXPECT_EQ(form->EditUsers[1].UserName.Get(), "operator12"); // cut to 10 characters
    EXPECT_EQ(form->lv_UserList->Selected()->Index(), 1);
    EXPECT_EQ(form->lv_UserList->Items()->Item(1)->SubItems()->Get(1), Utf8ToGbk("操作员"));
    EXPECT_EQ(form->lv_UserList->Items()->Item(1)->SubItems()->Get(2), "pw");

    // Grant the whole "系统设置" tree, then refuse it: every item and sub-item follows.
    form->ToggleNode(Node(1));
    form->ToggleNode(Node(1));
    if (Node(1)->ImageIndex() == 0) form->ToggleNode(Node(1));
    EXPECT_EQ(Node(1, 0, 4)->ImageIndex(), 1);
    form->ToggleNode(Node(1));
    EXPECT_EQ(Node(1)->ImageIndex(), 0);
    EXPECT_EQ(Node(1, 0)->ImageIndex(), 0);
    EXPECT_EQ(Node(1, 0, 4)->ImageIndex(), 0);
    // A channel under a refused item cannot be granted.
    form->ToggleNode(Node(1, 0, 4));
    EXPECT_EQ(Node(1, 0, 4)->ImageIndex(), 0);
    // Granting the right and the item, then refusing channel 2 only.
    form->ToggleNode(Node(1));
    form->ToggleNode(Node(1, 0, 1));
    EXPECT_EQ(Node(1, 0, 1)->ImageIndex(), 0);
    EXPECT_EQ(form->EditUsers[1].Rights[1].Items[0].Sub[1], 0); // stored at once
    EXPECT_EQ(form->EditUsers[1].Rights[1].Items[0].Sub[2], 1);
    // The root cannot be changed.
    form->ToggleNode(form->RootNode());
    EXPECT_EQ(form->RootNode()->ImageIndex(), 2);

    // A new level keeps the rights.
    const TUserRecord before = form->EditUsers[1];
    form->sb_ModUserClick(form->sb_ModUser);
    form->cb_UserKind->SetItemIndex(0);
    form->sb_UserOKClick(form->sb_UserOK);
    EXPECT_EQ(form->EditUsers[1].Level, 0);
    EXPECT_EQ(0, std::memcmp(form->EditUsers[1].Rights, before.Rights, sizeof before.Rights));
    EXPECT_EQ(form->lv_UserList->Items()->Item(1)->SubItems()->Get(1), Utf8ToGbk("超级管理员"));

    form->bt_OKClick(form->bt_OK);
    EXPECT_EQ(form->ModalResult(), mrOk);
    TUser reread(arithmetic, folder);
    const auto users = reread.Users();
    ASSERT_EQ(users->size(), 2u);
    EXPECT_EQ((*users)[1].UserName.Get(), "operator12");
    EXPECT_EQ((*users)[1].Level, 0);
    EXPECT_EQ(0, std::memcmp(&(*users)[1], &form->EditUsers[1], sizeof(TUserRecord)));
    EXPECT_TRUE(reread.CheckRight("operator12", "pw", 1, 0, 2));
    EXPECT_FALSE(reread.CheckRight("operator12", "pw", 1, 0, 1));
}

TEST_F(UserFormTest, AnotherChiefAdministratorCannotBeChangedOrDeleted) {
    const std::string me = user->CurrentName();
    AddUser("boss", "b", 0);
    AddUser("clerk", "c", 1);
    Select(1);
    form->sb_ModUserClick(form->sb_ModUser);
    form->sb_DelUserClick(form->sb_DelUser);
    EXPECT_EQ(messages, (std::vector<std::string>{Utf8ToGbk("对不起！你无权修改该用户！"),
                                                  Utf8ToGbk("对不起！你无权删除该用户！")}));
    EXPECT_FALSE(form->pn_UserPannel->Visible());
    EXPECT_EQ(form->EditUsers.size(), 3u);
    // Any administrator or operator row can be removed; later records move up.
    Select(2);
    form->sb_DelUserClick(form->sb_DelUser);
    ASSERT_EQ(form->EditUsers.size(), 2u);
    EXPECT_EQ(form->EditUsers[1].UserName.Get(), "boss");
    // The own row of a chief administrator can be changed.
    Select(0);
    EXPECT_EQ(form->lv_UserList->Items()->Item(0)->Caption(), me);
    form->sb_ModUserClick(form->sb_ModUser);
    EXPECT_TRUE(form->pn_UserPannel->Visible());
    form->sb_UserCancelClick(form->sb_UserCancel);
    EXPECT_EQ(messages.size(), 2u);
}

TEST_F(UserFormTest, NoRowsLeaveNoUserFileAndCancelWritesNothing) {
    AddUser("x", "y", 2);
    form->bt_OKClick(form->bt_OK);
    const std::string file = folder + "USER\\User.ifm";
    ASSERT_TRUE(PathExists(file));
    form->SetModalResult(mrNone);
    form->sb_DelUserClick(form->sb_DelUser); // the selected row "x"
    Select(0);
    form->sb_DelUserClick(form->sb_DelUser);
    EXPECT_EQ(form->lv_UserList->Items()->Count(), 0);
    form->bt_CancelClick(form->bt_Cancel);
    EXPECT_TRUE(PathExists(file));
    form->bt_OKClick(form->bt_OK);
    EXPECT_FALSE(PathExists(file));
}

} // namespace
} // namespace vantrel
