// The disk clearing and fault message window: gathers the disk manager's fault lines, pops up
// for faults, and keeps its lines in Disk\DiskLog.txt across restarts.
#pragma once

#include "host/engine/U_DiskAccess.h"

#include "framework/ui/forms.h"
#include "framework/ui/stdctrls.h"
#include "framework/ui/timer.h"

#include <string>

namespace vantrel {

class TClearDataMSGForm : public dvr::fw::TForm {
    FW_CLASS(TClearDataMSGForm, dvr::fw::TForm)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(WM_DISKFAULT, WMDiskFault)
    FW_MESSAGES_END
public:
    // programPath: the program folder with its trailing "\" (GBK).
    TClearDataMSGForm(dvr::fw::TComponent* AOwner, TDiskFaultList& faults,
                      const std::string& programPath);
    // Saves the memo while the controls still exist.
    void BeforeDestruction() override;

    dvr::fw::TMemo* DataErrorMemo;
    dvr::fw::TEdit* se_MaxCounts;
    dvr::fw::TCheckBox* cb_AutoShow;
    dvr::fw::TButton* bt_Close;
    dvr::fw::TTimer* Timer1;
    std::string LogPath;

    void WMDiskFault(dvr::fw::TMessage& M);
    void Timer1Timer(dvr::fw::TObject* Sender);
    void bt_CloseClick(dvr::fw::TObject* Sender);
    void SaveLog();

private:
    TDiskFaultList& faults_;
};

} // namespace vantrel
