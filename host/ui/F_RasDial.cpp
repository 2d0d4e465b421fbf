#include "host/ui/F_RasDial.h"

#include "host/ui/U_DialogControls.h"

namespace vantrel {

using namespace dvr::fw;

TRasDialForm::TRasDialForm(TComponent* AOwner, TThreadRasDial& ras) : TForm(AOwner), ras_(ras) {
    SetCaption(DialogCaption("拨号"));
    SetBorderStyle(TFormBorderStyle::bsDialog);
    SetPosition(TPosition::poScreenCenter);
    SetClientWidth(290);
    SetClientHeight(140);
    PutLabel(this, 16, 16, 60, "号码：");
    ed_PhoneCode = PutControl<TEdit>(this, 80, 12, 196, 22);
    ed_PhoneCode->SetMaxLength(128);
    PutLabel(this, 16, 44, 60, "用户名：");
    ed_UserName = PutControl<TEdit>(this, 80, 40, 196, 22);
    ed_UserName->SetMaxLength(256);
    PutLabel(this, 16, 72, 60, "密码：");
    ed_Password = PutControl<TEdit>(this, 80, 68, 196, 22);
    ed_Password->SetMaxLength(256);
    ed_Password->SetPasswordChar('*');
    bt_Dial = PutButton(this, 16, 104, 80, "拨号");
    bt_HangUp = PutButton(this, 104, 104, 80, "断开");
    bt_Exit = PutButton(this, 196, 104, 80, "退出");
    bt_Dial->OnClick = TNotifyEvent(this, &TRasDialForm::bt_DialClick);
    bt_HangUp->OnClick = TNotifyEvent(this, &TRasDialForm::bt_HangUpClick);
    bt_Exit->OnClick = TNotifyEvent(this, &TRasDialForm::bt_ExitClick);
}

void TRasDialForm::bt_DialClick(TObject*) {
    ras_.Dial(ed_PhoneCode->GetText(), ed_UserName->GetText(), ed_Password->GetText());
    Close();
}

void TRasDialForm::bt_HangUpClick(TObject*) {
    ras_.HangUp();
    Close();
}

void TRasDialForm::bt_ExitClick(TObject*) {
    Close();
}

} // namespace vantrel
