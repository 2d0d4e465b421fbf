// The motion full-screen setting: whether a motion alarm on one chosen board channel brings
// its pane up full screen. The alarm dispatcher reads the two controls.
#pragma once

#include "framework/ui/forms.h"
#include "framework/ui/stdctrls.h"

#include <string>
#include <vector>

namespace vantrel {

class TVideoAlarmAutoFullScreenForm : public dvr::fw::TForm {
    FW_CLASS(TVideoAlarmAutoFullScreenForm, dvr::fw::TForm)
public:
    // channelTitles: the board channels' titles (GBK).
    TVideoAlarmAutoFullScreenForm(dvr::fw::TComponent* AOwner,
                                  std::vector<std::string> channelTitles);

    dvr::fw::TCheckBox* cb_StartAutoFullScreen;
    dvr::fw::TComboBox* cb_Channels;
    dvr::fw::TButton* bt_OK;

    void FormShow(dvr::fw::TObject* Sender);
    void bt_OKClick(dvr::fw::TObject* Sender);
    // The controls from the board channels and the registry.
    void LoadSetting();

private:
    std::vector<std::string> titles_;
};

} // namespace vantrel
