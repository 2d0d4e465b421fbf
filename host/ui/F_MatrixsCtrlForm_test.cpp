#include "host/ui/F_MatrixsCtrlForm.h"

#include "host/engine/U_FakeSerial_test.h"
#include "host/ui/window_shot_testing.h"

#include "common/win/textconv.h"

#include <gtest/gtest.h>

#include <map>

namespace vantrel {
namespace {

using namespace dvr::fw;

class MemoryMatrixStore : public TMatrixStore {
public:
    int Read(const char* name, void* buffer, int size) override {
        auto it = values.find(name);
        if (it == values.end() || int(it->second.size()) > size) return 0;
        std::memcpy(buffer, it->second.data(), it->second.size());
        return int(it->second.size());
    }
    void Write(const char* name, const void* buffer, int size) override {
        values[name] = std::string(static_cast<const char*>(buffer), size_t(size));
    }
    std::map<std::string, std::string> values;
};

// The routing frame a send wrote: the input number (1-based, 0 none) per output.
std::string Slots(const testing::Transaction& t) {
    return t.bytes.size() == 20 ? t.bytes.substr(2, 16) : std::string();
}

class MatrixWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        matrix.InputNames.Names[0].Set("Gate");
        matrix.InputNames.Names[4].Set(dvr::win::Utf8ToGbk("大门"));
        form = new TMatrixsCtrlForm(nullptr, matrix);
        form->AfterConstruction();
    }
    void TearDown() override { form->Free(); }
    // Runs what the window posted to itself.
    void Pump() {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    }

    testing::FakeSerial serial;
    MemoryMatrixStore store;
    TMatrixsCtrl matrix{serial, store};
    TMatrixsCtrlForm* form = nullptr;
};

// The lists come from the switcher; a hand switch sends the frame with the chosen input on the
// chosen output, on the chosen port; nothing without both rows.
TEST_F(MatrixWindowTest, DirectSwitchSendsTheFrameOnTheChosenPort) {
    ASSERT_EQ(form->lv_MatrixsInPort->Items()->Count(), 32);
    ASSERT_EQ(form->lv_MatrixsOutPort->Items()->Count(), 16);
    EXPECT_EQ(form->lv_MatrixsInPort->Items()->Item(4)->Caption(), dvr::win::Utf8ToGbk("大门"));
    EXPECT_EQ(form->lv_MatrixsInPort->Items()->Item(4)->SubItems()->Get(0), "5");

    form->lv_MatrixsInPort->SetItemIndex(4);
    form->bt_InportSwitchToOutPortClick(nullptr);
    EXPECT_TRUE(serial.log.empty()); // no output chosen

    form->lv_MatrixsOutPort->SetItemIndex(2);
    form->cb_COM->SetItemIndex(3);
    form->bt_InportSwitchToOutPortClick(nullptr);
    form->lv_MatrixsInPort->SetItemIndex(0);
    form->lv_MatrixsOutPort->SetItemIndex(15);
    form->bt_InportSwitchToOutPortClick(nullptr);
    ASSERT_EQ(serial.log.size(), 2u);
    EXPECT_EQ(serial.log[0].port, 3);
    EXPECT_EQ(serial.log[0].baud, 4800);
    EXPECT_EQ(serial.log[0].bytes.substr(0, 2), "AT");
    EXPECT_EQ(Slots(serial.log[1]), std::string("\0\0\5\0\0\0\0\0\0\0\0\0\0\0\0\1", 16));

    // A renamed input is stored at once and saved with the others.
    form->lv_MatrixsInPort->SetItemIndex(1);
    form->bt_ModInPortNameClick(nullptr);
    form->ed_InPortName->SetText("Yard camera with a name longer than thirty bytes");
    form->ed_InPortNameExit(nullptr);
    EXPECT_EQ(matrix.InputNames.Names[1].Get(), "Yard camera with a name longer");
    form->bt_SaveInPortSetClick(nullptr);
    EXPECT_EQ(store.values.count("XM"), 1u);
}

// Groups and pairs edited in the window drive switching at once; automatic stepping walks
// the groups in order, each for its own dwell, and goes on while the window is hidden.
TEST_F(MatrixWindowTest, GroupsAndPairsSwitchAndStepInOrder) {
    form->Show();
    form->bt_AddGroupClick(nullptr);
    EXPECT_TRUE(form->pn_EditGroup->Visible());
    EXPECT_FALSE(form->lv_Group->Enabled());
    form->ed_GroupName->SetText("Night");
    form->se_GroupTime->SetText("7");
    form->bt_GroupOKClick(nullptr);
    form->bt_AddGroupClick(nullptr);
    form->ed_GroupName->SetText("Day");
    form->se_GroupTime->SetText("not a number");
    form->bt_GroupOKClick(nullptr);
    ASSERT_EQ(matrix.Groups.GroupCount, 2);
    EXPECT_EQ(matrix.Groups.Groups[0].DwellSeconds, 7);
    EXPECT_EQ(matrix.Groups.Groups[1].DwellSeconds, 5);
    EXPECT_EQ(form->lv_Group->Items()->Item(1)->SubItems()->Get(0), "5");
    EXPECT_TRUE(form->lv_Group->Enabled());

    // Pairs of group 0: input 5 on output 2, then input 1 on output 2 (the later wins).
    form->lv_Group->SetItemIndex(0);
    for (auto [input, output] : {std::pair{4, 2}, std::pair{0, 2}, std::pair{2, 9}}) {
        form->bt_AddPortClick(nullptr);
        form->cb_InPort->SetItemIndex(input);
        form->se_OutPort->SetText(std::to_string(output));
        form->bt_PortOKClick(nullptr);
    }
    ASSERT_EQ(matrix.Groups.Groups[0].PairCount, 3);
    EXPECT_EQ(form->lv_Port->Items()->Item(0)->Caption(), dvr::win::Utf8ToGbk("大门"));
    form->lv_Port->SetItemIndex(2);
    form->bt_DelPortClick(nullptr);
    EXPECT_EQ(matrix.Groups.Groups[0].PairCount, 2);

    form->bt_SwitchCurrentGroupClick(nullptr);
    ASSERT_EQ(serial.log.size(), 1u);
    EXPECT_EQ(Slots(serial.log[0])[1], '\1');
    EXPECT_FALSE(form->Timer_GroupSwitch->Enabled()); // switching one group starts nothing

    // Stepping: the first group at once, the timer set to its dwell; the next tick the second.
    form->Hide();
    form->bt_AutoSwitchClick(nullptr);
    Pump();
    ASSERT_EQ(serial.log.size(), 2u);
    EXPECT_TRUE(form->Timer_GroupSwitch->Enabled());
    EXPECT_EQ(form->Timer_GroupSwitch->Interval(), 7000u);
    form->Timer_GroupSwitchTimer(nullptr);
    Pump();
    EXPECT_EQ(form->Stepper.Tag, 1);
    EXPECT_EQ(form->Timer_GroupSwitch->Interval(), 5000u);
    form->Button1Click(nullptr);
    EXPECT_FALSE(form->Timer_GroupSwitch->Enabled());

    // Deleting a group moves the later one up; only the save reaches the store.
    EXPECT_EQ(store.values.count("XM_Group"), 0u);
    form->lv_Group->SetItemIndex(0);
    form->bt_DelGroupClick(nullptr);
    ASSERT_EQ(matrix.Groups.GroupCount, 1);
    EXPECT_EQ(matrix.Groups.Groups[0].Name.Get(), "Day");
    form->bt_SaveGroupClick(nullptr);
    EXPECT_EQ(store.values.count("XM_Group"), 1u);
    form->Show();
    ::RedrawWindow(form->WindowHandle(), nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump();
    testing::SaveWindowShot(form->WindowHandle(), "host_matrix_window");
}

} // namespace
} // namespace vantrel
