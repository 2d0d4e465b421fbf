// The users dialog: the local accounts and their rights tree, edited on a working copy and
// written to USER\User.ifm on OK.
#pragma once

#include "host/engine/U_User.h"

#include "framework/ui/comctrls.h"
#include "framework/ui/extctrls.h"
#include "framework/ui/forms.h"
#include "framework/ui/imglist.h"
#include "framework/ui/stdctrls.h"

#include <functional>
#include <string>
#include <vector>

namespace vantrel {

class TUserForm : public dvr::fw::TForm {
    FW_CLASS(TUserForm, dvr::fw::TForm)
public:
    // programPath: the program folder with its trailing "\" (GBK).
    TUserForm(dvr::fw::TComponent* AOwner, TUser& user, std::string programPath);

    std::vector<TUserRecord> EditUsers;
    bool CanClose = false;
    dvr::fw::TPoint MouseDownPoint{};

    dvr::fw::TListView* lv_UserList;
    dvr::fw::TTreeView* tv_PowerTree;
    dvr::fw::TImageList* il_Power;
    dvr::fw::TButton* sb_AddUser;
    dvr::fw::TButton* sb_ModUser;
    dvr::fw::TButton* sb_DelUser;
    dvr::fw::TButton* im_Keyboor;
    dvr::fw::TPanel* pn_UserPannel;
    dvr::fw::TEdit* ed_UserName;
    dvr::fw::TEdit* ed_Password;
    dvr::fw::TComboBox* cb_UserKind;
    dvr::fw::TButton* sb_UserOK;
    dvr::fw::TButton* sb_UserCancel;
    dvr::fw::TButton* bt_OK;
    dvr::fw::TButton* bt_Cancel;

    // Messages shown to the operator (a message box unless replaced).
    std::function<void(const std::string&)> ShowMessage;

    void FormShow(dvr::fw::TObject* Sender);
    void lv_UserListSelectItem(dvr::fw::TObject* Sender, dvr::fw::TListItem* Item, bool Selected);
    void tv_PowerTreeMouseDown(dvr::fw::TObject* Sender, dvr::fw::TMouseButton Button,
                               dvr::fw::TShiftState Shift, int X, int Y);
    void tv_PowerTreeClick(dvr::fw::TObject* Sender);
    void sb_AddUserClick(dvr::fw::TObject* Sender);
    void sb_ModUserClick(dvr::fw::TObject* Sender);
    void lv_UserListDblClick(dvr::fw::TObject* Sender) { sb_ModUserClick(Sender); }
    void sb_DelUserClick(dvr::fw::TObject* Sender);
    void sb_UserOKClick(dvr::fw::TObject* Sender);
    void sb_UserCancelClick(dvr::fw::TObject* Sender);
    void bt_OKClick(dvr::fw::TObject* Sender);
    void bt_CancelClick(dvr::fw::TObject* Sender);
    void im_KeyboorClick(dvr::fw::TObject* Sender);

    void OpenUserEditor();
    void CloseUserEditor();
    void FillUserList();
    void LoadUserTree(int index);
    void StoreUserTree(int index);
    void SetSubtree(dvr::fw::TTreeNode* node, int granted);
    // The node's picture after a click on its check picture (what tv_PowerTreeClick does at a
    // point inside the picture).
    void ToggleNode(dvr::fw::TTreeNode* node);
    // The rights tree's root node.
    dvr::fw::TTreeNode* RootNode() const;

private:
    void AddRow(const TUserRecord& r);
    void SetRowTexts(dvr::fw::TListItem* item, const TUserRecord& r);
    void BuildTree();
    void SetEditingEnabled(bool enabled);
    dvr::fw::TTreeNode* NodeAt(int right, int item = -1, int sub = -1) const;

    TUser& user_;
    std::string programPath_;
    bool adding_ = false, modifying_ = false;
};

// Shows the dialog modally; true after OK (the user file has been rewritten).
bool EditUsersModal(TUser& user, const std::string& programPath);

} // namespace vantrel
