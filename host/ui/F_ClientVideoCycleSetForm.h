// Which host groups take part in host cycling, and the interval.
#pragma once

#include "host/engine/U_ClientGroups.h"

#include "framework/ui/comctrls.h"
#include "framework/ui/forms.h"
#include "framework/ui/stdctrls.h"

#include <vector>

namespace vantrel {

class TClientVideoCycleSetForm : public dvr::fw::TForm {
    FW_CLASS(TClientVideoCycleSetForm, dvr::fw::TForm)
public:
    // groups: the host table, whose cycle flags OK sets (in memory only).
    TClientVideoCycleSetForm(dvr::fw::TComponent* AOwner, std::vector<TClientGroup>& groups);

    dvr::fw::TListView* lv_GroupList;
    dvr::fw::TButton* sb_SelectAll;
    dvr::fw::TEdit* se_CycleSpaceTime; // 5..9999999 s
    dvr::fw::TButton* bt_OK;
    dvr::fw::TButton* bt_Cancel;

    int CycleSeconds() const;

    void sb_SelectAllClick(dvr::fw::TObject* Sender);
    void bt_OKClick(dvr::fw::TObject* Sender);
    void bt_CancelClick(dvr::fw::TObject* Sender);

private:
    std::vector<TClientGroup>& groups_;
};

} // namespace vantrel
