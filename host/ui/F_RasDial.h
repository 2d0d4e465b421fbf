// The dial-up window: the operator dials a number or hangs up by hand.
#pragma once

#include "host/engine/T_ThreadRasDial.h"

#include "framework/ui/forms.h"
#include "framework/ui/stdctrls.h"

namespace vantrel {

class TRasDialForm : public dvr::fw::TForm {
    FW_CLASS(TRasDialForm, dvr::fw::TForm)
public:
    TRasDialForm(dvr::fw::TComponent* AOwner, TThreadRasDial& ras);

    dvr::fw::TEdit* ed_PhoneCode;
    dvr::fw::TEdit* ed_UserName;
    dvr::fw::TEdit* ed_Password;
    dvr::fw::TButton* bt_Dial;
    dvr::fw::TButton* bt_HangUp;
    dvr::fw::TButton* bt_Exit;

    void bt_DialClick(dvr::fw::TObject* Sender);
    void bt_HangUpClick(dvr::fw::TObject* Sender);
    void bt_ExitClick(dvr::fw::TObject* Sender);

private:
    TThreadRasDial& ras_;
};

} // namespace vantrel
