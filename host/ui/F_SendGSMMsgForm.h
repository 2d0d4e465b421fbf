// The manual SMS window: numbers and text typed or chosen, sent by the sender thread, whose
// result comes back as WM_SMSRESULT.
#pragma once

#include "host/engine/T_ThreadSendGSMMsg.h"
#include "host/engine/U_GSMCtrl.h"

#include "framework/ui/forms.h"
#include "framework/ui/stdctrls.h"

#include <functional>
#include <string>

namespace vantrel {

// Results go to the window as posted messages.
class TPostSmsResult : public TSmsResultSink {
public:
    void PostResult(uintptr_t window, int code) override {
        if (window) ::PostMessageW(HWND(window), WM_SMSRESULT, WPARAM(intptr_t(code)), 0);
    }
};

class TSendGSMMsgForm : public dvr::fw::TForm {
    FW_CLASS(TSendGSMMsgForm, dvr::fw::TForm)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(WM_SMSRESULT, WMSmsResult)
    FW_MESSAGES_END
public:
    // selected: the SMS block of the selected pane's channel.
    TSendGSMMsgForm(dvr::fw::TComponent* AOwner, TGSMCtrl& gsm, TThreadSendGSMMsg& sender,
                    const SmsMessageBlock& selected);

    dvr::fw::TComboBox* cb_SMCSNumber;
    dvr::fw::TComboBox* cb_PhoneCode;
    dvr::fw::TComboBox* cb_GSMCOM;
    dvr::fw::TMemo* ed_SMCSMsg;
    dvr::fw::TLabel* lb_Statu;
    dvr::fw::TButton* bt_Send;
    dvr::fw::TButton* bt_Close;
    SmsMessageBlock Block{};

    // Messages to the operator (GBK); a message box unless replaced.
    std::function<void(const std::string&)> ShowMessage;

    // The selected pane's channel block the next show starts from.
    void Select(const SmsMessageBlock& selected) { selected_ = selected; }
    void FormShow(dvr::fw::TObject* Sender);
    void bt_SendClick(dvr::fw::TObject* Sender);
    void bt_CloseClick(dvr::fw::TObject* Sender);
    bool CloseQuery() override;

private:
    void WMSmsResult(dvr::fw::TMessage& M);
    void Say(const std::string& gbk);

    TGSMCtrl& gsm_;
    TThreadSendGSMMsg& sender_;
    SmsMessageBlock selected_;
    bool mayClose_ = false;
};

} // namespace vantrel
