// The cycling of a station with a capture board through its own channels: the split count
// and the interval.
#pragma once

#include "framework/ui/forms.h"
#include "framework/ui/stdctrls.h"

namespace vantrel {

class TVideoCycleServerForm : public dvr::fw::TForm {
    FW_CLASS(TVideoCycleServerForm, dvr::fw::TForm)
public:
    TVideoCycleServerForm(dvr::fw::TComponent* AOwner, int boardChannels);

    dvr::fw::TComboBox* cb_PartitionCounts;
    dvr::fw::TEdit* se_CycleSpaceTime; // 5..1440 s
    dvr::fw::TButton* bt_OK;
    dvr::fw::TButton* bt_Cancel;

    // The chosen layout's index in the split-layout menu; -1 when the list is empty.
    int LayoutIndex() const { return cb_PartitionCounts->ItemIndex(); }
    int CycleSeconds() const;

    void bt_OKClick(dvr::fw::TObject* Sender);
    void bt_CancelClick(dvr::fw::TObject* Sender);
};

} // namespace vantrel
