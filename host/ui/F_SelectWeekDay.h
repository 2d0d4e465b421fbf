// The weekday picker of the schedule page: a tick list of Monday .. Sunday.
#pragma once

#include "framework/ui/comctrls.h"
#include "framework/ui/forms.h"
#include "framework/ui/stdctrls.h"

#include <vector>

namespace vantrel {

class TSelectWeekDayForm : public dvr::fw::TForm {
    FW_CLASS(TSelectWeekDayForm, dvr::fw::TForm)
public:
    explicit TSelectWeekDayForm(dvr::fw::TComponent* AOwner);

    dvr::fw::TListView* lv_WeekDayList;
    dvr::fw::TButton* bt_SelectAll;
    dvr::fw::TButton* bt_OK;
    dvr::fw::TButton* bt_Cancel;
    bool CanClose = false;

    void FormShow(dvr::fw::TObject* Sender);
    void bt_SelectAllClick(dvr::fw::TObject* Sender);
    void bt_OKClick(dvr::fw::TObject* Sender);
    void bt_CancelClick(dvr::fw::TObject* Sender);
    // The ticked days, 0 Monday .. 6 Sunday.
    std::vector<int> Chosen();
};

// Shows the picker modally; the ticked days after OK, nothing after Cancel.
std::vector<int> PickWeekDays();

} // namespace vantrel
