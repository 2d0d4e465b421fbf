#include "host/ui/F_WorkLogForm.h"

#include "host/engine/U_Conversions.h"
#include "host/engine/host_engine_testing.h"

#include "common/win/textconv.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

using namespace dvr::fw;

TWorkLogRecord Rec(int month, int day, int n, int event = 1) {
    TWorkLogRecord r{};
    r.Time = OleDateFromParts(2026, month, day, 8, 0, 0) + n / 86400000.0 * 1000;
    r.Event = uint8_t(event);
    r.HostChannel = int8_t(n % 3 == 0 ? -1 : 2);
    r.ClientChannel = -1;
    r.AlarmPoint = -1;
    r.UserName.Set("op");
    return r;
}

class WorkLogFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::DeleteHostSettings();
        folder = testing::FreshProgramFolder("host_ui_worklog");
        log = std::make_unique<TWorkLog>(arithmetic, folder);
    }
    void TearDown() override { testing::DeleteHostSettings(); }
    std::string folder;
    TArithmetic arithmetic;
    std::unique_ptr<TWorkLog> log;
};

TEST_F(WorkLogFormTest, ListsDaysAndPagesAndSkipsUnknownEvents) {
    // 2025-12-31: 3 records (one of an unknown event); 2026-01-02: 200; 2026-01-03: 201.
    TWorkLogRecord old = Rec(12, 31, 0);
    old.Time = OleDateFromParts(2025, 12, 31, 9, 0, 0);
    log->AppendRecord(old);
    old.Event = 75;
    log->AppendRecord(old);
    old.Event = 2;
    old.HostChannel = 0;
    log->AppendRecord(old);
    for (int i = 0; i < 200; ++i)
        log->AppendRecord(Rec(1, 2, i));
    for (int i = 0; i < 201; ++i)
        log->AppendRecord(Rec(1, 3, i));

    auto* f = new TWorkLogForm(nullptr, *log);
    f->AfterConstruction();
    f->Show();
    EXPECT_TRUE(log->ViewerOpen);
    TTreeNodes* nodes = f->tv_LogDayList->Items();
    TTreeNode* y2025 = nodes->GetFirstNode();
    ASSERT_NE(y2025, nullptr);
    EXPECT_EQ(y2025->Text(), "2025");
    TTreeNode* y2026 = y2025->GetNextSibling();
    ASSERT_NE(y2026, nullptr);
    TTreeNode* jan = y2026->Item(0);
    EXPECT_EQ(jan->Text(), "01");
    ASSERT_EQ(jan->Count(), 2);
    EXPECT_EQ(jan->Item(1)->Text(), "2026-01-03");
    EXPECT_EQ(f->DayFirstIndexes, (std::vector<int>{0, 3, 203}));

    // Years and months show nothing.
    f->ChooseNode(y2025);
    EXPECT_EQ(f->lv_LogRecordList->Items()->Count(), 0);
    f->ChooseNode(y2025->Item(0)->Item(0));
    ASSERT_EQ(f->lv_LogRecordList->Items()->Count(), 2);
    TListItem* row = f->lv_LogRecordList->Items()->Item(1);
    EXPECT_EQ(row->Caption(), "2025-12-31 09:00:00:000");
    EXPECT_EQ(row->SubItems()->Get(2), "1"); // host channel 0 shows 1
    EXPECT_EQ(f->lv_LogRecordList->Items()->Item(0)->SubItems()->Get(2), "");

    f->ChooseNode(jan->Item(0)); // exactly 200: shown at once
    EXPECT_EQ(f->lv_LogRecordList->Items()->Count(), 200);
    EXPECT_EQ(jan->Item(0)->Count(), 0);

    f->ChooseNode(jan->Item(1)); // 201: two pages
    EXPECT_EQ(f->lv_LogRecordList->Items()->Count(), 0);
    ASSERT_EQ(jan->Item(1)->Count(), 2);
    EXPECT_EQ(jan->Item(1)->Item(0)->Text(), "1--200");
    EXPECT_EQ(jan->Item(1)->Item(1)->Text(), "201--201");
    f->ChooseNode(jan->Item(1)->Item(1));
    ASSERT_EQ(f->lv_LogRecordList->Items()->Count(), 1);
    f->ChooseNode(jan->Item(1)->Item(0));
    EXPECT_EQ(f->lv_LogRecordList->Items()->Count(), 200);
    const auto lines = f->PrintLines();
    ASSERT_EQ(lines.size(), 202u);
    EXPECT_EQ(lines[1], " ");
    EXPECT_NE(lines[2].find("  op  "), std::string::npos);
    f->bt_PrintClick(f->bt_Print); // no printer here: nothing happens

    f->bt_ExitClick(f->bt_Exit);
    EXPECT_FALSE(log->ViewerOpen);
    f->Free();
}

TEST_F(WorkLogFormTest, KeepDaysAreSavedOnlyOnOK) {
    auto* f = new TWorkLogForm(nullptr, *log);
    f->AfterConstruction();
    EXPECT_EQ(f->se_LogDays->GetText(), "30");
    EXPECT_TRUE(f->tv_LogDayList->Items()->GetFirstNode() == nullptr); // empty log
    f->bt_ManagerClick(f->bt_Manager);
    EXPECT_TRUE(f->pn_LogManager->Visible());
    f->se_LogDays->SetText("20");
    f->bt_CancelClick(f->bt_Cancel);
    EXPECT_FALSE(f->pn_LogManager->Visible());
    log->LoadKeepDays();
    EXPECT_EQ(log->KeepDays, 30);
    f->bt_ManagerClick(f->bt_Manager);
    f->bt_OKClick(f->bt_OK);
    log->KeepDays = 1;
    log->LoadKeepDays();
    EXPECT_EQ(log->KeepDays, 20);
    f->Free();
    EXPECT_FALSE(log->ViewerOpen);
}

} // namespace
} // namespace vantrel
