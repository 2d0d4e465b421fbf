#include "host/ui/F_SendGSMMsgForm.h"

#include "host/ui/U_DialogControls.h"

#include "common/gbk.h"

#include <algorithm>
#include <cstring>

namespace vantrel {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

namespace {

std::string FieldText(const char* field, size_t size) {
    return std::string(field, strnlen(field, size));
}

void AddMissing(TComboBox* box, const std::string& number) {
    if (!number.empty() && box->Items()->IndexOf(number) < 0) box->Items()->Add(number);
}

// The typed text becomes an item when it is not one yet, and is selected.
void KeepTyped(TComboBox* box) {
    const std::string typed = box->GetText();
    if (typed.empty()) return;
    int i = box->Items()->IndexOf(typed);
    if (i < 0) i = box->Items()->Add(typed);
    box->SetItemIndex(i);
}

void CopyCut(char* out, size_t capacity, const std::string& text, size_t max) {
    const size_t n = std::min(text.size(), max);
    std::memset(out, 0, capacity);
    std::memcpy(out, text.data(), n);
}

} // namespace

TSendGSMMsgForm::TSendGSMMsgForm(TComponent* AOwner, TGSMCtrl& gsm, TThreadSendGSMMsg& sender,
                                 const SmsMessageBlock& selected)
    : TForm(AOwner), gsm_(gsm), sender_(sender), selected_(selected) {
    SetCaption(DialogCaption("发送手机短消息"));
    SetBorderStyle(TFormBorderStyle::bsDialog);
    SetPosition(TPosition::poScreenCenter);
    SetClientWidth(380);
    SetClientHeight(260);
    Block.Dcs = 8;
    PutLabel(this, 12, 16, 90, "短信中心号码：");
    cb_SMCSNumber = PutControl<TComboBox>(this, 110, 12, 150, 22);
    cb_SMCSNumber->SetMaxLength(15);
    PutLabel(this, 12, 46, 90, "接收手机号码：");
    cb_PhoneCode = PutControl<TComboBox>(this, 110, 42, 150, 22);
    cb_PhoneCode->SetMaxLength(15);
    PutLabel(this, 270, 16, 40, "串口：");
    cb_GSMCOM = PutControl<TComboBox>(this, 310, 12, 60, 22);
    cb_GSMCOM->SetStyle(TComboBoxStyle::csDropDownList);
    for (int i = 1; i <= 16; ++i)
        cb_GSMCOM->Items()->Add("COM" + std::to_string(i));
    cb_GSMCOM->SetItemIndex(0);
    PutLabel(this, 12, 74, 90, "短消息内容：");
    ed_SMCSMsg = PutControl<TMemo>(this, 12, 92, 358, 110);
    ed_SMCSMsg->SetMaxLength(140);
    lb_Statu = PutLabel(this, 12, 212, 240, "正在发送短消息，请稍候......");
    lb_Statu->SetVisible(false);
    bt_Send = PutButton(this, 212, 226, 75, "发送");
    bt_Close = PutButton(this, 295, 226, 75, "退出");
    bt_Send->OnClick = TNotifyEvent(this, &TSendGSMMsgForm::bt_SendClick);
    bt_Close->OnClick = TNotifyEvent(this, &TSendGSMMsgForm::bt_CloseClick);
    OnShow = TNotifyEvent(this, &TSendGSMMsgForm::FormShow);
}

void TSendGSMMsgForm::FormShow(TObject*) {
    AddMissing(cb_SMCSNumber, FieldText(selected_.CentreNumber, sizeof selected_.CentreNumber));
    AddMissing(cb_PhoneCode, FieldText(selected_.PhoneNumber, sizeof selected_.PhoneNumber));
    cb_GSMCOM->SetItemIndex(selected_.GsmPort < 16 ? selected_.GsmPort : 0);
    for (const std::string& n : gsm_.CentreNumbers)
        AddMissing(cb_SMCSNumber, n);
    for (const std::string& n : gsm_.PhoneNumbers)
        AddMissing(cb_PhoneCode, n);
    if (cb_SMCSNumber->Items()->Count() > 0) cb_SMCSNumber->SetItemIndex(0);
    if (cb_PhoneCode->Items()->Count() > 0) cb_PhoneCode->SetItemIndex(0);
}

void TSendGSMMsgForm::bt_SendClick(TObject*) {
    KeepTyped(cb_SMCSNumber);
    KeepTyped(cb_PhoneCode);
    Block = SmsMessageBlock{};
    Block.GsmPort = uint8_t(std::max(0, cb_GSMCOM->ItemIndex()));
    CopyCut(Block.CentreNumber, sizeof Block.CentreNumber, cb_SMCSNumber->GetText(), 15);
    CopyCut(Block.PhoneNumber, sizeof Block.PhoneNumber, cb_PhoneCode->GetText(), 15);
    Block.Pid = 0;
    Block.Dcs = 8;
    // 140 bytes at most, not ending inside a two-byte character.
    const std::string text = ed_SMCSMsg->GetText();
    CopyCut(Block.Text, sizeof Block.Text, text, dvr::GbkFitLength(text, 140));
    sender_.SetManualMessage(Block);
    sender_.ResultWindow = uintptr_t(WindowHandle());
    sender_.Resume();
    lb_Statu->SetVisible(true);
}

void TSendGSMMsgForm::WMSmsResult(TMessage& M) {
    lb_Statu->SetVisible(false);
    const std::string_view text = SmsResultText(int(intptr_t(M.WParam)));
    if (!text.empty()) Say(Utf8ToGbk(text));
}

void TSendGSMMsgForm::Say(const std::string& gbk) {
    if (ShowMessage)
        ShowMessage(gbk);
    else
        ShowDialogMessage(this, gbk);
}

void TSendGSMMsgForm::bt_CloseClick(TObject*) {
    if (lb_Statu->Visible()) return Say(Utf8ToGbk("正在发送短息消！"));
    std::vector<std::string> centres = gsm_.CentreNumbers, phones = gsm_.PhoneNumbers;
    for (int i = 0; i < cb_SMCSNumber->Items()->Count(); ++i)
        if (std::find(centres.begin(), centres.end(), cb_SMCSNumber->Items()->Get(i)) ==
            centres.end())
            centres.push_back(cb_SMCSNumber->Items()->Get(i));
    for (int i = 0; i < cb_PhoneCode->Items()->Count(); ++i)
        if (std::find(phones.begin(), phones.end(), cb_PhoneCode->Items()->Get(i)) == phones.end())
            phones.push_back(cb_PhoneCode->Items()->Get(i));
    gsm_.CentreNumbers = centres;
    gsm_.PhoneNumbers = phones;
    gsm_.SaveNumbers(centres, phones);
    mayClose_ = true;
    Close();
    mayClose_ = false;
}

bool TSendGSMMsgForm::CloseQuery() {
    return mayClose_;
}

} // namespace vantrel
