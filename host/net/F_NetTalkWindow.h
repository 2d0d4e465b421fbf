// The voice broadcast window: the address list with its checks, the edit panel, and the
// broadcast and recording buttons. The work is TNetTalkForm's; its values are shown again
// after every command.
#pragma once

#include "host/net/F_NetTalk.h"

#include "framework/ui/buttons.h"
#include "framework/ui/comctrls.h"
#include "framework/ui/extctrls.h"
#include "framework/ui/forms.h"
#include "framework/ui/stdctrls.h"

#include <functional>
#include <memory>
#include <string>

namespace vantrel {

class TNetTalkWindow : public dvr::fw::TForm {
    FW_CLASS(TNetTalkWindow, dvr::fw::TForm)
public:
    // `appTitle`: the application title (GBK); the rest as TNetTalkForm takes them.
    TNetTalkWindow(dvr::fw::TComponent* AOwner, const std::string& appTitle, TWaveIn& waveIn,
                   TWaveOut& waveOut, TThreadWaveIn& threadWaveIn, TThreadWaveOut& threadWaveOut,
                   uint16_t defaultPort, uint16_t receivePort = kNetTalkPort);
    ~TNetTalkWindow() override;

    // How the window tells the operator (a message box unless replaced).
    std::function<void(const std::string&)> MessageBox;

    TNetTalkForm& Talk() { return *talk_; }

    dvr::fw::TListView* lv_AddrList;
    dvr::fw::TPanel* pn_Edit;
    dvr::fw::TEdit* ed_Name;
    dvr::fw::TEdit* ed_Addr;
    dvr::fw::TEdit* se_UDPNetTalkPort;
    dvr::fw::TButton* bt_OK;
    dvr::fw::TButton* bt_Cancel;
    dvr::fw::TSpeedButton* im_Keyboor;
    dvr::fw::TButton* bt_Broadcast;
    dvr::fw::TButton* bt_Stop;
    dvr::fw::TButton* bt_StartRecord;
    dvr::fw::TButton* bt_CloseRecord;
    dvr::fw::TButton* bt_Add;
    dvr::fw::TButton* bt_Delete;
    dvr::fw::TButton* bt_Save;

    // Every button: the list's checks and selection and the edits go to the logic first.
    void ButtonClick(dvr::fw::TObject* Sender);
    void im_KeyboorClick(dvr::fw::TObject* Sender);

private:
    void TakeControls();
    void ShowState();

    std::unique_ptr<TNetTalkForm> talk_;
};

} // namespace vantrel
