// The remote work-log window: another host's work log by day, and in blocks of 50 records for
// the busy days. One instance, created at start-up and hidden when closed.
#pragma once

#include "host/ui/F_RemoteCtrl.h"

#include <string>
#include <vector>

namespace vantrel {

constexpr int kWorkLogBlock = 50;

// A day's records split for asking: none for 50 or fewer, else blocks of 50 and the rest.
struct TLogBlock {
    int Offset, Count;
};
std::vector<TLogBlock> DayBlocks(int records);
// One record list row: time, event, user, main channel, slave channel, alarm point, main
// and slave address (GBK).
std::vector<std::string> WorkLogRowCells(const TWorkLogRecord& record);

class TRemoteWorkLogForm : public dvr::fw::TForm {
    FW_CLASS(TRemoteWorkLogForm, dvr::fw::TForm)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(WM_WORKLOGDAYS, WMWorkLogDays)
    FW_MESSAGE(WM_WORKLOGEND, WMWorkLogEnd)
    FW_MESSAGES_END
public:
    TRemoteWorkLogForm(dvr::fw::TComponent* AOwner, TRemoteWindowHost host);
    ~TRemoteWorkLogForm() override;

    std::string ConnectedAddress;
    int RecordTotal = 0;
    std::vector<int> FirstIndexes;

    dvr::fw::TComboBox* cb_MainAddr;
    dvr::fw::TEdit* se_UDPMessageServerPort;
    dvr::fw::TButton* sb_Connect;
    dvr::fw::TTreeView* tv_LogDayList;
    dvr::fw::TListView* lv_LogRecordList;
    dvr::fw::TStatusBar* StatusBar;
    dvr::fw::TButton* sb_Print;
    dvr::fw::TButton* sb_Exit;

    // What 打印 prints: the date and time, a blank line, then each row's cells joined by
    // two blanks.
    std::vector<std::string> PrintLines(const std::string& now);

    bool TimedOut() const { return wait_->TimedOut(); }

    // The reader's calls, on the user-interface thread.
    void FillDayTree(const std::vector<std::string>& days, const std::vector<int>& firstIndexes);
    void AddRecordRow(const TWorkLogRecord& record);
    void ClearStatus();

    void cb_MainAddrChange(dvr::fw::TObject* Sender);
    void sb_ConnectClick(dvr::fw::TObject* Sender);
    void tv_LogDayListChange(dvr::fw::TObject* Sender, dvr::fw::TTreeNode* Node);
    void sb_PrintClick(dvr::fw::TObject* Sender);
    void sb_ExitClick(dvr::fw::TObject* Sender);

private:
    void WMWorkLogDays(dvr::fw::TMessage& M);
    void WMWorkLogEnd(dvr::fw::TMessage& M);
    void ConnectTimeout();
    void EndWait();
    void AskRecords(int first, int count);
    int DayRecords(int day) const;

    TRemoteWindowHost host_;
    std::unique_ptr<TReplyWait> wait_;
};

} // namespace vantrel
