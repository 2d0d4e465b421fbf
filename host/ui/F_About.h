// The about box of the settings dialog.
#pragma once

#include "framework/ui/forms.h"
#include "framework/ui/stdctrls.h"

namespace vantrel {

class TAboutForm : public dvr::fw::TForm {
    FW_CLASS(TAboutForm, dvr::fw::TForm)
public:
    explicit TAboutForm(dvr::fw::TComponent* AOwner);
    dvr::fw::TLabel* Label1;
    dvr::fw::TButton* bt_OK;
    void bt_OKClick(dvr::fw::TObject* Sender);
};

void ShowAboutModal();

} // namespace vantrel
