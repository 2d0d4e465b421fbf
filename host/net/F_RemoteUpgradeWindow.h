// The remote upgrade window: the files of the program's folder to send and the host to send
// them to, with the transfer's progress. The work is TRemoteUpgradeSender's.
#pragma once

#include "host/net/U_RemoteUpgrade.h"

#include "framework/ui/buttons.h"
#include "framework/ui/comctrls.h"
#include "framework/ui/forms.h"
#include "framework/ui/stdctrls.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vantrel {

class TRemoteUpgradeWindow : public dvr::fw::TForm, private TRemoteUpgradeView {
    FW_CLASS(TRemoteUpgradeWindow, dvr::fw::TForm)
public:
    // `appTitle`: the application title (GBK); `programPath`: the program's folder with its
    // trailing "\".
    TRemoteUpgradeWindow(dvr::fw::TComponent* AOwner, const std::string& appTitle,
                         const std::string& programPath, UINT timerMs = 10000);
    ~TRemoteUpgradeWindow() override;

    // Fills the host combo (each address once, empty ones left out) and selects the first;
    // a chosen host's upgrade port comes from `portOf` (below 1: the default 62000).
    void SetHosts(const std::vector<std::string>& addresses,
                  std::function<int(const std::string&)> portOf);

    // How the window tells and asks the operator (message boxes unless replaced).
    std::function<void(const std::string&)> MessageBox;
    std::function<bool(const std::string&)> AskBox;

    TRemoteUpgradeSender& Sender() { return *sender_; }
    bool CloseAllowed = false;

    dvr::fw::TComboBox* cb_MainAddr;
    dvr::fw::TSpeedButton* im_Keyboor;
    dvr::fw::TEdit* se_TCPRemoteUpgradePort;
    dvr::fw::TListView* lv_FileList;
    dvr::fw::TSpeedButton* sb_SelectAll;
    dvr::fw::TButton* bt_StartUpgrade;
    dvr::fw::TButton* bt_EndUpgrade;
    dvr::fw::TButton* bt_Close;
    dvr::fw::TProgressBar* pb_UpgradeStatu;
    dvr::fw::TLabel* lb_FileName;
    dvr::fw::TLabel* lb_Wait;

    void cb_MainAddrChange(dvr::fw::TObject* Sender);
    void im_KeyboorClick(dvr::fw::TObject* Sender);
    void sb_SelectAllClick(dvr::fw::TObject* Sender);
    void bt_StartUpgradeClick(dvr::fw::TObject* Sender);
    void bt_EndUpgradeClick(dvr::fw::TObject* Sender);
    void bt_CloseClick(dvr::fw::TObject* Sender);
    void FormShow(dvr::fw::TObject* Sender);
    void FormCloseQuery(dvr::fw::TObject* Sender, bool& CanClose);

private:
    void ShowMessage(const std::string& text) override;
    void SetProgressRange(int max) override;
    void SetProgress(int position) override;
    void StepProgress(int by) override;
    void SetFileNameLabel(const std::string& text) override;
    void SetWaitVisible(bool visible) override;
    void SetWindowEnabled(bool enabled) override;
    void SetStartEnabled(bool enabled) override;
    void SetHourglass(bool on) override;

    std::function<int(const std::string&)> portOf_;
    std::unique_ptr<TRemoteUpgradeSender> sender_;
};

} // namespace vantrel
