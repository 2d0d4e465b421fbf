// The local work-log viewer: the log's days as a year / month / day tree, a day's records in
// pages of 200, printing the shown page and the days the log keeps.
#pragma once

#include "host/engine/U_WorkLog.h"

#include "framework/ui/comctrls.h"
#include "framework/ui/extctrls.h"
#include "framework/ui/forms.h"
#include "framework/ui/stdctrls.h"

#include <vector>

namespace vantrel {

class TWorkLogForm : public dvr::fw::TForm {
    FW_CLASS(TWorkLogForm, dvr::fw::TForm)
public:
    TWorkLogForm(dvr::fw::TComponent* AOwner, TWorkLog& log);
    ~TWorkLogForm() override;

    std::vector<int> DayFirstIndexes;

    dvr::fw::TTreeView* tv_LogDayList;
    dvr::fw::TListView* lv_LogRecordList;
    dvr::fw::TButton* bt_Manager;
    dvr::fw::TButton* bt_Print;
    dvr::fw::TButton* bt_Exit;
    dvr::fw::TPanel* pn_LogManager;
    dvr::fw::TEdit* se_LogDays;
    dvr::fw::TButton* bt_OK;
    dvr::fw::TButton* bt_Cancel;

    void FormShow(dvr::fw::TObject* Sender);
    void tv_LogDayListChange(dvr::fw::TObject* Sender, dvr::fw::TTreeNode* Node);
    void bt_ManagerClick(dvr::fw::TObject* Sender);
    void bt_PrintClick(dvr::fw::TObject* Sender);
    void bt_ExitClick(dvr::fw::TObject* Sender);
    void bt_OKClick(dvr::fw::TObject* Sender);
    void bt_CancelClick(dvr::fw::TObject* Sender);
    void FormClose(dvr::fw::TObject* Sender, dvr::fw::TCloseAction& Action);

    // Fills the day tree from the store.
    void LoadDays();
    // What choosing the node does (nothing for years and months).
    void ChooseNode(dvr::fw::TTreeNode* node);
    void ShowRecords(int first, int count);
    // The lines a print job gets: the date-time, " ", then the rows.
    std::vector<std::string> PrintLines();

private:
    int DayIndexOf(dvr::fw::TTreeNode* dayNode) const;
    TWorkLog& log_;
    std::vector<dvr::fw::TTreeNode*> dayNodes_;
    bool choosing_ = false;
};

// Opens the viewer modally and frees it.
void ShowWorkLogModal(TWorkLog& log);

} // namespace vantrel
