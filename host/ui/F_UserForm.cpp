#include "host/ui/F_UserForm.h"

#include "host/ui/U_ConsoleDialogRules.h"
#include "host/ui/U_DialogControls.h"

#include "host/engine/U_DiskAccess.h"

#include <commctrl.h>

#include <cstring>

namespace vantrel {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

namespace {

const char* const kHiddenPassword = "**********";

// 0 refused (an empty box), 1 granted (a filled box), 2 the root.
void AddCheckPictures(TImageList* list) {
    const TColor fills[3] = {clWhite, clGreen, clGray};
    for (TColor fill : fills) {
        TBitmap bmp;
        bmp.SetSize(16, 16);
        TCanvas* c = bmp.Canvas();
        c->Brush()->SetColor(clWhite);
        c->FillRect(TRect{0, 0, 16, 16});
        c->Brush()->SetColor(fill);
        c->Pen()->SetColor(clBlack);
        c->Rectangle(2, 2, 14, 14);
        list->AddMasked(&bmp, TColor(0x00FF00FF));
    }
}

void SetPicture(TTreeNode* node, int picture) {
    node->SetImageIndex(picture);
    node->SetSelectedIndex(picture);
}

} // namespace

TUserForm::TUserForm(TComponent* AOwner, TUser& user, std::string programPath)
    : TForm(AOwner), user_(user), programPath_(std::move(programPath)) {
    SetCaption(DialogCaption("用户管理"));
    SetBorderStyle(TFormBorderStyle::bsDialog);
    SetPosition(TPosition::poScreenCenter);
    SetClientWidth(600);
    SetClientHeight(440);

    sb_AddUser = PutButton(this, 8, 8, 80, "添加用户");
    sb_ModUser = PutButton(this, 92, 8, 80, "修改用户");
    sb_DelUser = PutButton(this, 176, 8, 80, "删除用户");
    im_Keyboor = PutButton(this, 260, 8, 60, "键盘");
    im_Keyboor->SetHint(Utf8ToGbk("屏幕键盘"));

    lv_UserList = PutControl<TListView>(this, 8, 40, 300, 300);
    lv_UserList->SetViewStyle(TViewStyle::vsReport);
    lv_UserList->SetRowSelect(true);
    lv_UserList->SetReadOnly(true);
    lv_UserList->SetHideSelection(false);
    const char* columns[3] = {"用户名", "密码", "级别"};
    for (const char* c : columns) {
        TListColumn* col = lv_UserList->AddColumn();
        col->SetCaption(Utf8ToGbk(c));
        col->SetWidth(95);
    }

    il_Power = new TImageList(this);
    il_Power->SetWidth(16);
    il_Power->SetHeight(16);
    AddCheckPictures(il_Power);
    tv_PowerTree = PutControl<TTreeView>(this, 316, 40, 276, 390);
    tv_PowerTree->SetReadOnly(true);
    tv_PowerTree->SetImages(il_Power);
    tv_PowerTree->SetHideSelection(false);
    BuildTree();

    pn_UserPannel = PutControl<TPanel>(this, 8, 344, 300, 90);
    PutLabel(pn_UserPannel, 6, 8, 60, "用户名：");
    ed_UserName = PutControl<TEdit>(pn_UserPannel, 66, 4, 110, 22);
    ed_UserName->SetMaxLength(10);
    PutLabel(pn_UserPannel, 6, 36, 60, "密码：");
    ed_Password = PutControl<TEdit>(pn_UserPannel, 66, 32, 110, 22);
    ed_Password->SetMaxLength(10);
    ed_Password->SetPasswordChar('*');
    PutLabel(pn_UserPannel, 6, 64, 60, "级别：");
    cb_UserKind = PutControl<TComboBox>(pn_UserPannel, 66, 60, 110, 22);
    cb_UserKind->SetStyle(TComboBoxStyle::csDropDownList);
    for (int level = 0; level < 3; ++level)
        cb_UserKind->Items()->Add(UserLevelText(level));
    cb_UserKind->SetItemIndex(2);
    sb_UserOK = PutButton(pn_UserPannel, 200, 8, 80, "确定");
    sb_UserCancel = PutButton(pn_UserPannel, 200, 40, 80, "取消");
    pn_UserPannel->SetVisible(false);

    bt_OK = PutButton(this, 150, 405, 75, "确定");
    bt_Cancel = PutButton(this, 232, 405, 75, "取消");

    sb_AddUser->OnClick = TNotifyEvent(this, &TUserForm::sb_AddUserClick);
    sb_ModUser->OnClick = TNotifyEvent(this, &TUserForm::sb_ModUserClick);
    sb_DelUser->OnClick = TNotifyEvent(this, &TUserForm::sb_DelUserClick);
    im_Keyboor->OnClick = TNotifyEvent(this, &TUserForm::im_KeyboorClick);
    lv_UserList->OnSelectItem = TLVSelectItemEvent(this, &TUserForm::lv_UserListSelectItem);
    lv_UserList->OnDblClick = TNotifyEvent(this, &TUserForm::lv_UserListDblClick);
    tv_PowerTree->OnMouseDown = TMouseEvent(this, &TUserForm::tv_PowerTreeMouseDown);
    tv_PowerTree->OnClick = TNotifyEvent(this, &TUserForm::tv_PowerTreeClick);
    sb_UserOK->OnClick = TNotifyEvent(this, &TUserForm::sb_UserOKClick);
    sb_UserCancel->OnClick = TNotifyEvent(this, &TUserForm::sb_UserCancelClick);
    bt_OK->OnClick = TNotifyEvent(this, &TUserForm::bt_OKClick);
    bt_Cancel->OnClick = TNotifyEvent(this, &TUserForm::bt_CancelClick);
    OnShow = TNotifyEvent(this, &TUserForm::FormShow);
    ShowMessage = [this](const std::string& text) { ShowDialogMessage(this, text); };

    if (auto users = user_.Users()) EditUsers = *users;
    FillUserList();
}

void TUserForm::BuildTree() {
    TTreeNodes* nodes = tv_PowerTree->Items();
    TTreeNode* root = nodes->AddChild(nullptr, Utf8ToGbk("权限"));
    SetPicture(root, 2);
    for (const RightsTreeNode& right : RightsTreeLayout()) {
        TTreeNode* r = nodes->AddChild(root, right.Text);
        SetPicture(r, 0);
        for (const RightsTreeNode& item : right.Children) {
            TTreeNode* i = nodes->AddChild(r, item.Text);
            SetPicture(i, 0);
            for (const RightsTreeNode& sub : item.Children)
                SetPicture(nodes->AddChild(i, sub.Text), 0);
        }
    }
    root->SetExpanded(true);
}

TTreeNode* TUserForm::RootNode() const {
    return const_cast<TTreeView*>(tv_PowerTree)->Items()->GetFirstNode();
}

TTreeNode* TUserForm::NodeAt(int right, int item, int sub) const {
    TTreeNode* n = RootNode()->Item(right);
    if (item >= 0) n = n->Item(item);
    if (sub >= 0) n = n->Item(sub);
    return n;
}

void TUserForm::SetRowTexts(TListItem* item, const TUserRecord& r) {
    item->SetCaption(r.UserName.Get());
    TStrings* s = item->SubItems();
    s->Clear();
    s->Add(kHiddenPassword);
    s->Add(UserLevelText(r.Level));
    s->Add(r.Password.Get()); // the real password: a sub-item without a column
}

void TUserForm::AddRow(const TUserRecord& r) {
    SetRowTexts(lv_UserList->Items()->Add(), r);
}

void TUserForm::FillUserList() {
    lv_UserList->Items()->Clear();
    for (const TUserRecord& r : EditUsers)
        AddRow(r);
}

void TUserForm::FormShow(TObject*) {
    CanClose = false;
}

void TUserForm::lv_UserListSelectItem(TObject*, TListItem* Item, bool Selected) {
    if (ModalResult() == mrOk || ModalResult() == mrCancel) return;
    if (!Item || !Selected) return;
    LoadUserTree(Item->Index());
}

void TUserForm::LoadUserTree(int index) {
    if (index < 0 || index >= int(EditUsers.size())) return;
    const TUserRecord& u = EditUsers[size_t(index)];
    TTreeNode* root = RootNode();
    for (int j = 0; j < root->Count(); ++j) {
        TTreeNode* r = root->Item(j);
        SetPicture(r, u.Rights[j].Enabled ? 1 : 0);
        for (int i = 0; i < r->Count(); ++i) {
            TTreeNode* in = r->Item(i);
            SetPicture(in, u.Rights[j].Items[i].Enabled ? 1 : 0);
            for (int s = 0; s < in->Count(); ++s)
                SetPicture(in->Item(s), u.Rights[j].Items[i].Sub[s] ? 1 : 0);
        }
    }
}

void TUserForm::StoreUserTree(int index) {
    if (index < 0 || index >= int(EditUsers.size())) return;
    TUserRecord& u = EditUsers[size_t(index)];
    TTreeNode* root = RootNode();
    for (int j = 0; j < root->Count(); ++j) {
        TTreeNode* r = root->Item(j);
        u.Rights[j].Enabled = r->ImageIndex() == 1;
        for (int i = 0; i < r->Count(); ++i) {
            TTreeNode* in = r->Item(i);
            u.Rights[j].Items[i].Enabled = in->ImageIndex() == 1;
            for (int s = 0; s < in->Count(); ++s)
                u.Rights[j].Items[i].Sub[s] = in->Item(s)->ImageIndex() == 1;
        }
    }
}

void TUserForm::SetSubtree(TTreeNode* node, int granted) {
    SetPicture(node, granted);
    for (int k = 0; k < node->Count(); ++k)
        SetSubtree(node->Item(k), granted);
}

void TUserForm::tv_PowerTreeMouseDown(TObject*, TMouseButton, TShiftState, int X, int Y) {
    MouseDownPoint = TPoint{X, Y};
}

void TUserForm::tv_PowerTreeClick(TObject*) {
    TTreeNode* node = tv_PowerTree->GetNodeAt(MouseDownPoint.X, MouseDownPoint.Y);
    if (!node || node->ImageIndex() >= 2) return;
    // TVM_GETITEMRECT takes the item in the rectangle it fills.
    RECT text{};
    const HTREEITEM id = node->ItemId();
    static_assert(sizeof id <= sizeof text);
    std::memcpy(&text, &id, sizeof id);
    if (!::SendMessageW(tv_PowerTree->Handle(), TVM_GETITEMRECT, TRUE,
                        reinterpret_cast<LPARAM>(&text)))
        return;
    const int x = MouseDownPoint.X, y = MouseDownPoint.Y;
    if (x < text.left - 17 || x > text.left - 17 + 11 || y < text.top + 2 || y > text.bottom - 2)
        return;
    ToggleNode(node);
}

void TUserForm::ToggleNode(TTreeNode* node) {
    if (!node || node->ImageIndex() >= 2) return;
    if (node->ImageIndex() == 1) {
        SetSubtree(node, 0);
    } else {
        TTreeNode* parent = node->Parent();
        if (!parent || parent->ImageIndex() <= 0) return;
        SetSubtree(node, 1);
    }
    if (TListItem* sel = lv_UserList->Selected()) StoreUserTree(sel->Index());
    if (tv_PowerTree->HandleAllocated())
        ::InvalidateRect(tv_PowerTree->WindowHandle(), nullptr, TRUE);
}

void TUserForm::SetEditingEnabled(bool enabled) {
    for (TWinControl* c : std::initializer_list<TWinControl*>{
             sb_AddUser, sb_ModUser, sb_DelUser, bt_OK, bt_Cancel, lv_UserList, tv_PowerTree})
        c->SetEnabled(enabled);
}

void TUserForm::OpenUserEditor() {
    pn_UserPannel->SetVisible(true);
    SetEditingEnabled(false);
}

void TUserForm::CloseUserEditor() {
    pn_UserPannel->SetVisible(false);
    SetEditingEnabled(true);
    adding_ = modifying_ = false;
}

void TUserForm::sb_AddUserClick(TObject*) {
    ed_UserName->SetText("");
    ed_Password->SetText("");
    adding_ = true;
    modifying_ = false;
    OpenUserEditor();
}

void TUserForm::sb_ModUserClick(TObject*) {
    TListItem* sel = lv_UserList->Selected();
    if (!sel) return;
    const bool chief = sel->SubItems()->Get(1) == UserLevelText(0);
    if (chief && sel->Caption() != user_.CurrentName()) {
        ShowMessage(Utf8ToGbk("对不起！你无权修改该用户！"));
        return;
    }
    const TUserRecord& r = EditUsers[size_t(sel->Index())];
    ed_UserName->SetText(r.UserName.Get());
    ed_Password->SetText(r.Password.Get());
    cb_UserKind->SetItemIndex(r.Level <= 2 ? r.Level : 2);
    modifying_ = true;
    adding_ = false;
    OpenUserEditor();
}

void TUserForm::sb_DelUserClick(TObject*) {
    TListItem* sel = lv_UserList->Selected();
    if (!sel) return;
    const bool chief = sel->SubItems()->Get(1) == UserLevelText(0);
    if (chief && sel->Caption() != user_.CurrentName()) {
        ShowMessage(Utf8ToGbk("对不起！你无权删除该用户！"));
        return;
    }
    const int index = sel->Index();
    EditUsers.erase(EditUsers.begin() + index);
    lv_UserList->Items()->Delete(index);
}

void TUserForm::sb_UserOKClick(TObject*) {
    const int level = cb_UserKind->ItemIndex() < 0 ? 2 : cb_UserKind->ItemIndex();
    if (adding_) {
        TUserRecord r{};
        TUser::SetLevelDefaults(r, level);
        r.UserName.Set(ed_UserName->GetText().substr(0, 10));
        r.Password.Set(ed_Password->GetText().substr(0, 10));
        EditUsers.push_back(r);
        AddRow(r);
        lv_UserList->SetSelected(lv_UserList->Items()->Item(lv_UserList->Items()->Count() - 1));
        LoadUserTree(int(EditUsers.size()) - 1);
    } else if (modifying_) {
        TListItem* sel = lv_UserList->Selected();
        if (sel) {
            TUserRecord& r = EditUsers[size_t(sel->Index())];
            r.UserName.Set(ed_UserName->GetText().substr(0, 10));
            r.Password.Set(ed_Password->GetText().substr(0, 10));
            r.Level = uint8_t(level); // the rights stay as they are
            SetRowTexts(sel, r);
        }
    }
    CloseUserEditor();
}

void TUserForm::sb_UserCancelClick(TObject*) {
    CloseUserEditor();
}

void TUserForm::bt_OKClick(TObject*) {
    if (lv_UserList->Items()->Count() > 0)
        if (TListItem* sel = lv_UserList->Selected()) StoreUserTree(sel->Index());
    const std::string file = programPath_ + "USER" + "\\" + "User.ifm";
    if (PathExists(file)) DeleteFileGbk(file);
    if (!EditUsers.empty())
        user_.SaveUsers(EditUsers.data(), int(EditUsers.size() * sizeof(TUserRecord)));
    CanClose = true;
    SetModalResult(mrOk);
}

void TUserForm::bt_CancelClick(TObject*) {
    CanClose = true;
    SetModalResult(mrCancel);
}

void TUserForm::im_KeyboorClick(TObject*) {
    StartOnScreenKeyboard();
}

bool EditUsersModal(TUser& user, const std::string& programPath) {
    auto* f = new TUserForm(nullptr, user, programPath);
    f->AfterConstruction();
    const bool ok = f->ShowModal() == mrOk;
    f->Free();
    return ok;
}

} // namespace vantrel
