// The local disk view: every fixed drive with its size, free room and recording hours left.
#pragma once

#include "framework/ui/comctrls.h"
#include "framework/ui/forms.h"
#include "framework/ui/stdctrls.h"

#include <cstdint>
#include <functional>
#include <string>

namespace vantrel {

class TDiskViewForm : public dvr::fw::TForm {
    FW_CLASS(TDiskViewForm, dvr::fw::TForm)
public:
    // Asks about a drive root ("C:\"): false when it is not a fixed disk.
    using DriveQuery =
        std::function<bool(const std::string& root, uint64_t& total, uint64_t& free)>;
    // Without a query the system's drives are shown.
    explicit TDiskViewForm(dvr::fw::TComponent* AOwner, DriveQuery query = {});

    dvr::fw::TListView* ListView;
    dvr::fw::TButton* bt_Refresh;
    dvr::fw::TButton* bt_Close;

    void bt_RefreshClick(dvr::fw::TObject* Sender);
    void bt_CloseClick(dvr::fw::TObject* Sender);

private:
    DriveQuery query_;
};

// The fixed disks of the system.
bool QueryFixedDrive(const std::string& root, uint64_t& total, uint64_t& free);

void ShowDiskViewModal();

} // namespace vantrel
