#include "host/ui/F_SpeedDomeForm.h"

#include "host/ui/U_DialogControls.h"

#include "host/engine/host_engine_testing.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace vantrel {
namespace {

using namespace dvr::fw;
using Call = std::tuple<bool, int, int, int, int>; // start?, channel, command, v1, v2

struct Recorder : TDomeCommands {
    std::vector<Call> calls;
    void StartCommand(int c, int cmd, int a, int b) override {
        calls.push_back({true, c, cmd, a, b});
    }
    void StopCommand(int c, int cmd, int a, int b) override {
        calls.push_back({false, c, cmd, a, b});
    }
};

class SpeedDomeFormTest : public ::testing::Test {
protected:
    void SetUp() override { folder = testing::FreshProgramFolder("host_ui_speeddome"); }
    TSpeedDomeForm* Make(int board = 0) {
        auto* f = new TSpeedDomeForm(nullptr, rec, folder, board, 4);
        f->AfterConstruction();
        return f;
    }
    std::string folder;
    Recorder rec;
};

TEST_F(SpeedDomeFormTest, PresetsAreEditedSavedAndReadBack) {
    TSpeedDomeForm* f = Make();
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(folder + "SDSet\\SDSet.imf", bytes)); // created empty
    EXPECT_TRUE(bytes.empty());
    EXPECT_FALSE(f->tm_ScanTimer->Enabled()); // no board: no tours

    f->cb_Channel->SetItemIndex(2);
    f->cb_ChannelChange(f->cb_Channel);
    f->se_PrevPoint->SetText("12");
    f->bt_SetPointClick(nullptr);
    f->bt_CallPointClick(nullptr);
    f->bt_DelPointClick(nullptr);
    f->se_Point_1->SetText("3");
    f->se_Point_2->SetText("300"); // beyond 255: the largest point
    f->bt_LineScanStartClick(nullptr);
    f->bt_LineScanStopClick(nullptr);
    const std::vector<Call> expected{{true, 2, 15, 12, 0},
                                     {true, 2, 16, 12, 0},
                                     {true, 2, 17, 12, 0},
                                     {true, 2, 18, 3, 255},
                                     {false, 2, 18, 3, 255}};
    EXPECT_EQ(rec.calls, expected);

    for (auto [p, t] : {std::pair{5, 10}, {6, 20}, {7, 30}}) {
        f->tb_ScanAddClick(nullptr);
        f->se_ScanSetPoint->SetText(std::to_string(p));
        f->se_ScanSetTime->SetText(std::to_string(t));
        f->bt_ScanSetOKClick(nullptr);
    }
    for (auto [p, in] : {std::pair{40, 1}, {41, 4}, {42, 4}}) {
        f->tb_AlarmAddClick(nullptr);
        f->se_AlarmSetPoint->SetText(std::to_string(p));
        f->se_AlarmSetHead->SetText(std::to_string(in));
        f->bt_AlarmSetOKClick(nullptr);
    }
    ASSERT_EQ(f->lv_ScanSet->Items()->Count(), 3);
    EXPECT_FALSE(f->lv_ScanSet->Items()->Item(0)->Checked()); // new points start disabled
    f->lv_ScanSet->Items()->Item(2)->SetChecked(true);
    f->lv_ScanSetClick(nullptr);
    f->lv_AlarmSet->SetSelected(f->lv_AlarmSet->Items()->Item(0));
    f->tb_AlarmDelClick(nullptr);
    f->lv_ScanSet->SetSelected(f->lv_ScanSet->Items()->Item(1));
    f->tb_ScanEditClick(nullptr);
    EXPECT_EQ(f->se_ScanSetPoint->GetText(), "6");
    f->se_ScanSetTime->SetText("25");
    f->bt_ScanSetOKClick(nullptr);
    f->cb_ScanCheck->SetChecked(true);
    f->cb_ScanCheckClick(nullptr);

    // An alarm on probe input 4 calls the first link with that input.
    rec.calls.clear();
    f->Perform(WM_CALLPRESET, 2, 4);
    f->Perform(WM_CALLPRESET, 2, 9);
    EXPECT_EQ(rec.calls, (std::vector<Call>{{true, 2, 16, 41, 0}}));
    f->bt_SaveClick(nullptr);
    f->Free();

    ASSERT_TRUE(ReadWholeFile(folder + "SDSet\\SDSet.imf", bytes));
    EXPECT_EQ(bytes.size(), 49u * 7336u);
    TSpeedDomeForm* g = Make();
    const SpeedDomeRecord& r = g->Set.Records[2];
    EXPECT_EQ(r.LinePoint2, 255);
    ASSERT_EQ(TourLength(r), 3);
    EXPECT_EQ(r.Tour[1].DwellSeconds, 25);
    EXPECT_EQ(r.Tour[2].Enabled, 1);
    EXPECT_EQ(r.TourEnabled, 1);
    ASSERT_EQ(LinkLength(r), 2);
    EXPECT_EQ(r.Links[0].Preset, 41);
    g->cb_Channel->SetItemIndex(2);
    g->cb_ChannelChange(nullptr);
    EXPECT_EQ(g->lv_AlarmSet->Items()->Count(), 2);
    EXPECT_TRUE(g->lv_ScanSet->Items()->Item(2)->Checked());
    EXPECT_TRUE(g->cb_ScanCheck->Checked());
    g->Free();
}

TEST_F(SpeedDomeFormTest, TheTimerWalksTheTourThroughTheWindowMessage) {
    TSpeedDomeForm* f = Make(4);
    EXPECT_TRUE(f->tm_ScanTimer->Enabled());
    f->tm_ScanTimer->SetEnabled(false); // ticks by hand
    SpeedDomeRecord& r = f->Set.Records[1];
    AppendTourEntry(r, 3, 1);
    r.Tour[0].Enabled = 1;
    r.TourEnabled = 1;
    f->tm_ScanTimerTimer(nullptr);
    MSG m;
    while (::PeekMessageW(&m, f->Handle(), 0, 0, PM_REMOVE))
        ::DispatchMessageW(&m);
    EXPECT_EQ(rec.calls, (std::vector<Call>{{true, 1, 16, 3, 0}}));
    f->Free();
}

} // namespace
} // namespace vantrel
