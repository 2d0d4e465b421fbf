// The backup dialog: the operator picks a drive and sees its free space against the space
// the chosen recordings need; OK only when the drive has room.
#pragma once

#include "framework/ui/forms.h"
#include "framework/ui/stdctrls.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vantrel {

// The drives a dialog offers and their free bytes (false when unknown).
struct TDriveList {
    std::function<std::vector<char>()> Letters;
    std::function<bool(char, uint64_t&)> FreeBytes;
    // Every drive Windows knows, with GetDiskFreeSpaceEx.
    static TDriveList System();
};

// Fills a drive box with the upper-case letters and selects the first.
void FillDriveBox(dvr::fw::TComboBox* box, const TDriveList& drives);
// The letter chosen in a drive box; 0 when none.
char ChosenDrive(dvr::fw::TComboBox* box);

class TBackupForm : public dvr::fw::TForm {
    FW_CLASS(TBackupForm, dvr::fw::TForm)
public:
    // `title` is the application title (GBK).
    TBackupForm(dvr::fw::TComponent* AOwner, const std::string& title,
                TDriveList drives = TDriveList::System());

    dvr::fw::TLabel* lb_Space;
    dvr::fw::TLabel* lb_NeedSpace;
    dvr::fw::TComboBox* dcb_Driver;
    dvr::fw::TButton* bt_OK;
    dvr::fw::TButton* bt_Cancel;

    // How the dialog tells the operator (a message box unless replaced).
    std::function<void(const std::string&)> ShowMessage;

    char Drive() { return ChosenDrive(dcb_Driver); }
    void ShowSpace();
    void FormShow(dvr::fw::TObject* Sender);
    void dcb_DriverChange(dvr::fw::TObject* Sender);
    void bt_OKClick(dvr::fw::TObject* Sender);

private:
    TDriveList drives_;
};

} // namespace vantrel
