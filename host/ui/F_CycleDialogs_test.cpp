#include "host/ui/F_ClientVideoCycleSetForm.h"
#include "host/ui/F_VideoCycleServerForm.h"

#include "common/win/textconv.h"
#include "host/ui/window_shot_testing.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

using namespace dvr::fw;

std::vector<std::string> ListOf(TComboBox* c) {
    std::vector<std::string> v;
    for (int i = 0; i < c->Items()->Count(); ++i)
        v.push_back(c->Items()->Get(i));
    return v;
}

TEST(VideoCycleServerForm, OffersTheLayoutsBelowTheBoardsChannelCount) {
    struct Row {
        int board;
        std::vector<std::string> list;
    };
    const std::vector<Row> rows = {
        {16, {"1", "4", "6", "9", "10", "13"}},
        {4, {"1"}},
        {1, {}},
        {49, {"1", "4", "6", "9", "10", "13", "16", "19", "22", "25", "27", "30", "33", "36",
              "40", "43", "46"}},
    };
    for (const Row& r : rows) {
        auto* f = new TVideoCycleServerForm(nullptr, r.board);
        f->AfterConstruction();
        EXPECT_EQ(ListOf(f->cb_PartitionCounts), r.list) << r.board;
        EXPECT_EQ(f->LayoutIndex(), r.list.empty() ? -1 : 0);
        f->bt_OKClick(nullptr);
        EXPECT_EQ(f->ModalResult(), r.list.empty() ? mrCancel : mrOk) << r.board;
        f->Free();
    }
    auto* f = new TVideoCycleServerForm(nullptr, 16);
    f->AfterConstruction();
    EXPECT_EQ(f->CycleSeconds(), 5);
    f->se_CycleSpaceTime->SetText("2");
    EXPECT_EQ(f->CycleSeconds(), 5);
    f->se_CycleSpaceTime->SetText("9999");
    EXPECT_EQ(f->CycleSeconds(), 1440);
    f->cb_PartitionCounts->SetItemIndex(3);
    EXPECT_EQ(f->LayoutIndex(), 3);
    f->bt_CancelClick(nullptr);
    EXPECT_EQ(f->ModalResult(), mrCancel);
    f->Free();
}

TEST(ClientVideoCycleSetForm, OkStoresTheChecksAsCycleFlagsAndCancelKeepsThem) {
    std::vector<TClientGroup> groups(3);
    for (int i = 0; i < 3; ++i)
        groups[size_t(i)].Name.Set("G" + std::to_string(i));
    groups[1].CycleFlag = false;
    auto* f = new TClientVideoCycleSetForm(nullptr, groups);
    f->AfterConstruction();
    f->Show();
    ASSERT_EQ(f->lv_GroupList->Items()->Count(), 3);
    EXPECT_EQ(f->lv_GroupList->Items()->Item(2)->Caption(), "G2");
    EXPECT_TRUE(f->lv_GroupList->Items()->Item(0)->Checked());
    EXPECT_FALSE(f->lv_GroupList->Items()->Item(1)->Checked());
    // "全清" clears every row and becomes "全选", which checks them again.
    f->sb_SelectAll->Click();
    EXPECT_EQ(f->sb_SelectAll->Caption(), dvr::win::Utf8ToGbk("全选"));
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(f->lv_GroupList->Items()->Item(i)->Checked());
    f->bt_CancelClick(nullptr);
    EXPECT_TRUE(groups[0].CycleFlag);
    f->sb_SelectAll->Click();
    EXPECT_EQ(f->sb_SelectAll->Caption(), dvr::win::Utf8ToGbk("全清"));
    f->lv_GroupList->Items()->Item(2)->SetChecked(false);
    f->Repaint();
    testing::PumpWaiting();
    testing::SaveWindowShot(f->WindowHandle(), "host_client_cycle_form");
    f->se_CycleSpaceTime->SetText("12");
    f->bt_OKClick(nullptr);
    EXPECT_EQ(f->ModalResult(), mrOk);
    EXPECT_TRUE(groups[0].CycleFlag);
    EXPECT_TRUE(groups[1].CycleFlag);
    EXPECT_FALSE(groups[2].CycleFlag);
    EXPECT_EQ(f->CycleSeconds(), 12);
    f->Free();
}

} // namespace
} // namespace vantrel
