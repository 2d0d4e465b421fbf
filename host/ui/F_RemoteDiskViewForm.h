// The remote disk view: another host's fixed drives and the recording time they have left.
// One instance, created at start-up and hidden when closed.
#pragma once

#include "host/ui/F_RemoteCtrl.h"

#include <string>
#include <vector>

namespace vantrel {

// One row of the view: drive, total MB, free MB with its share, hours left per channel.
struct TDiskRow {
    std::string Drive, Total, Free, Hours;
};
// Drives C..Z with a total above 0.
std::vector<TDiskRow> DiskRows(const UdpMsgDiskInfo& info);

class TRemoteDiskViewForm : public dvr::fw::TForm {
    FW_CLASS(TRemoteDiskViewForm, dvr::fw::TForm)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(WM_DISKINFO, WMDiskInfo)
    FW_MESSAGES_END
public:
    TRemoteDiskViewForm(dvr::fw::TComponent* AOwner, TRemoteWindowHost host);
    ~TRemoteDiskViewForm() override;

    TReceiveArea DiskArea; // where the reply reader puts UdpMsgDiskInfo
    std::string ConnectedAddress;

    dvr::fw::TComboBox* cb_MainAddr;
    dvr::fw::TEdit* se_UDPMessageServerPort;
    dvr::fw::TButton* sb_Connect;
    dvr::fw::TListView* ListView;
    dvr::fw::TButton* sb_Exit;

    bool TimedOut() const { return wait_->TimedOut(); }

    void cb_MainAddrChange(dvr::fw::TObject* Sender);
    void sb_ConnectClick(dvr::fw::TObject* Sender);
    void sb_ExitClick(dvr::fw::TObject* Sender);

private:
    void WMDiskInfo(dvr::fw::TMessage& M);
    void ConnectTimeout();

    TRemoteWindowHost host_;
    std::unique_ptr<TReplyWait> wait_;
};

} // namespace vantrel
