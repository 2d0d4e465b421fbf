// The clip dialog: the drive the clip goes to.
#pragma once

#include "host/ui/F_BackupForm.h"

namespace vantrel {

class TReplayVideoCaptureForm : public dvr::fw::TForm {
    FW_CLASS(TReplayVideoCaptureForm, dvr::fw::TForm)
public:
    TReplayVideoCaptureForm(dvr::fw::TComponent* AOwner, const std::string& title,
                            TDriveList drives = TDriveList::System());

    dvr::fw::TComboBox* dcb_Driver;
    dvr::fw::TButton* bt_OK;
    dvr::fw::TButton* bt_Cancel;

    char Drive() { return ChosenDrive(dcb_Driver); }
};

} // namespace vantrel
