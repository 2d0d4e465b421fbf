// The file-transfer window: a tool window that stays on top, offering a file to the chosen
// host and taking the offers that arrive on this host's file port. The work is TFileTransfer's.
#pragma once

#include "host/net/U_FileTransfer.h"

#include "framework/ui/buttons.h"
#include "framework/ui/comctrls.h"
#include "framework/ui/forms.h"
#include "framework/ui/stdctrls.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vantrel {

class TSendAndReceiveFileForm : public dvr::fw::TForm, private TFileTransferView {
    FW_CLASS(TSendAndReceiveFileForm, dvr::fw::TForm)
public:
    // Listens on `port` (port table slot 3) at once; `address` only narrows it (tests).
    TSendAndReceiveFileForm(dvr::fw::TComponent* AOwner, int port, const std::string& address = {},
                            TFileTransferTimes times = {});
    ~TSendAndReceiveFileForm() override;

    // Fills the host list; a chosen host's file port comes from `portOf`.
    void SetHosts(const std::vector<std::string>& addresses,
                  std::function<int(const std::string&)> portOf);
    // The file-open dialog behind sb_OpenFile: the chosen path, empty when cancelled.
    std::function<std::string()> OpenFileDialog;

    TFileTransfer& Transfer() { return *transfer_; }

    dvr::fw::TComboBox* cb_Addr;
    dvr::fw::TEdit* ed_FileName;
    dvr::fw::TSpeedButton* sb_OpenFile;
    dvr::fw::TEdit* se_TCPSendFilePort;
    dvr::fw::TButton* bt_Send;
    dvr::fw::TButton* bt_Cut;
    dvr::fw::TButton* bt_Exit;
    dvr::fw::TProgressBar* pb_ProgressBar;
    dvr::fw::TLabel* lb_ProgressTitle;

    void cb_AddrChange(dvr::fw::TObject* Sender);
    void sb_OpenFileClick(dvr::fw::TObject* Sender);
    void bt_SendClick(dvr::fw::TObject* Sender);
    void bt_CutClick(dvr::fw::TObject* Sender);
    void bt_ExitClick(dvr::fw::TObject* Sender);

private:
    void SetStatus(const std::string& text) override;
    void SetProgressMax(int max) override;
    void SetProgress(int position) override;
    void SetSendCaptionReceive(bool receive) override;
    void SetSendEnabled(bool enabled) override;
    void SetExitEnabled(bool enabled) override;
    void SetWindowEnabled(bool enabled) override;
    void ShowWindow() override;

    std::function<int(const std::string&)> portOf_;
    std::unique_ptr<TFileTransfer> transfer_;
};

} // namespace vantrel
