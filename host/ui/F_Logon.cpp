#include "host/ui/F_Logon.h"

#include "host/ui/U_DialogControls.h"

namespace vantrel {

using namespace dvr::fw;

TLogonForm::TLogonForm(TComponent* AOwner) : TForm(AOwner) {
    SetCaption(DialogCaption("用户验证"));
    SetBorderStyle(TFormBorderStyle::bsDialog);
    SetPosition(TPosition::poScreenCenter);
    SetClientWidth(280);
    SetClientHeight(130);
    PutLabel(this, 12, 16, 70, "用户名：");
    ed_UserName = PutControl<TEdit>(this, 86, 12, 180, 22);
    PutLabel(this, 12, 48, 70, "密码：");
    ed_Password = PutControl<TEdit>(this, 86, 44, 180, 22);
    ed_Password->SetPasswordChar('*');
    im_Keyboor = PutButton(this, 12, 88, 70, "键盘");
    im_Keyboor->SetHint(dvr::win::Utf8ToGbk("屏幕键盘"));
    bt_OK = PutButton(this, 110, 88, 75, "确定");
    bt_OK->SetDefault(true);
    bt_Cancel = PutButton(this, 192, 88, 75, "取消");
    bt_Cancel->SetCancel(true);
    bt_OK->OnClick = TNotifyEvent(this, &TLogonForm::bt_OKClick);
    bt_Cancel->OnClick = TNotifyEvent(this, &TLogonForm::bt_CancelClick);
    im_Keyboor->OnClick = TNotifyEvent(this, &TLogonForm::im_KeyboorClick);
    OnShow = TNotifyEvent(this, &TLogonForm::FormShow);
}

void TLogonForm::FormShow(TObject*) {
    CanClose = false;
}

void TLogonForm::bt_OKClick(TObject*) {
    CanClose = true;
    SetModalResult(mrOk);
}

void TLogonForm::bt_CancelClick(TObject*) {
    CanClose = true;
    SetModalResult(mrCancel);
}

void TLogonForm::im_KeyboorClick(TObject*) {
    StartOnScreenKeyboard();
}

bool TLogonForm::CloseQuery() {
    return CanClose && TForm::CloseQuery();
}

bool AskLogon(std::string& name, std::string& password) {
    TLogonForm* f = MakeForm<TLogonForm>(nullptr);
    const bool ok = f->ShowModal() == mrOk;
    name = f->ed_UserName->GetText();
    password = f->ed_Password->GetText();
    f->Free();
    return ok;
}

} // namespace vantrel
