// The chat window: a tool window that stays on top, sending one message at a time to the
// chosen host and showing the messages that arrive on this host's chat port.
#pragma once

#include "host/net/U_NetChat.h"

#include "framework/ui/forms.h"
#include "framework/ui/stdctrls.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vantrel {

class TNetChatForm : public dvr::fw::TForm, private TNetChatView {
    FW_CLASS(TNetChatForm, dvr::fw::TForm)
public:
    // Listens on `port` (port table slot 4) at once; `address` only narrows it (tests).
    TNetChatForm(dvr::fw::TComponent* AOwner, const std::string& ownIP, int port,
                 const std::string& address = {});
    ~TNetChatForm() override;

    // Fills the host list when shown; a chosen host's chat port comes from `portOf`.
    void SetHosts(const std::vector<std::string>& addresses,
                  std::function<int(const std::string&)> portOf);
    // How messages are shown (a message box unless replaced).
    std::function<void(const std::string&)> MessageBox;

    TNetChat& Chat() { return *chat_; }

    dvr::fw::TComboBox* cb_Addr;
    dvr::fw::TEdit* ed_Name;
    dvr::fw::TEdit* se_TCPChatRoomPort;
    dvr::fw::TMemo* mm_SendChatMsg;
    dvr::fw::TMemo* mm_ShowChatMsg;
    dvr::fw::TButton* bt_Send;
    dvr::fw::TButton* bt_ClearChat;
    dvr::fw::TButton* bt_Exit;
    dvr::fw::TButton* sb_SaveTo;
    dvr::fw::TEdit* ed_FileName;

    void bt_SendClick(dvr::fw::TObject* Sender);
    void bt_ClearChatClick(dvr::fw::TObject* Sender);
    void bt_ExitClick(dvr::fw::TObject* Sender);
    void sb_SaveToClick(dvr::fw::TObject* Sender);
    void cb_AddrChange(dvr::fw::TObject* Sender);

private:
    void LinesChanged(const std::vector<std::string>& lines) override;
    void ShowMessage(const std::string& text) override;
    void ShowWindow() override;
    void SetWindowEnabled(bool enabled) override;
    void SetHourglass(bool on) override;

    std::function<int(const std::string&)> portOf_;
    std::unique_ptr<TNetChat> chat_;
};

} // namespace vantrel
