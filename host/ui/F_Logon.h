// The logon dialog: a user name and password; it closes only through its two buttons.
#pragma once

#include "framework/ui/forms.h"
#include "framework/ui/stdctrls.h"

#include <string>

namespace vantrel {

class TLogonForm : public dvr::fw::TForm {
    FW_CLASS(TLogonForm, dvr::fw::TForm)
public:
    explicit TLogonForm(dvr::fw::TComponent* AOwner);

    dvr::fw::TEdit* ed_UserName;
    dvr::fw::TEdit* ed_Password;
    dvr::fw::TButton* bt_OK;
    dvr::fw::TButton* bt_Cancel;
    dvr::fw::TButton* im_Keyboor;
    bool CanClose = false;

    void FormShow(dvr::fw::TObject* Sender);
    void bt_OKClick(dvr::fw::TObject* Sender);
    void bt_CancelClick(dvr::fw::TObject* Sender);
    void im_KeyboorClick(dvr::fw::TObject* Sender);
    bool CloseQuery() override;
};

// Shows the dialog modally; true after OK with what was typed (GBK).
bool AskLogon(std::string& name, std::string& password);

} // namespace vantrel
