#include "host/ui/F_About.h"
#include "host/ui/F_ClearDataMSGForm.h"
#include "host/ui/F_DiskView.h"
#include "host/ui/F_LocalAlarmOutCtrl.h"
#include "host/ui/F_VideoAlarmAutoFullScreen.h"

#include "host/engine/U_Arithmetic.h"
#include "host/engine/U_FakeSerial_test.h"
#include "host/engine/host_engine_testing.h"

#include "common/win/textconv.h"

#include <gtest/gtest.h>

#include <array>

namespace vantrel {
namespace {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

template <class T> struct Freed {
    T* f;
    ~Freed() { f->Free(); }
    T* operator->() { return f; }
};

TEST(DiskViewForm, ShowsEveryFixedDriveWithItsRoomAndHours) {
    const uint64_t mb = 1024 * 1024;
    Freed<TDiskViewForm> f{
        new TDiskViewForm(nullptr, [&](const std::string& root, uint64_t& t, uint64_t& free) {
            if (root != "E:\\" && root != "G:\\") return false;
            t = 40000 * mb;
            free = root == "E:\\" ? 10000 * mb : 0;
            return true;
        })};
    f->AfterConstruction();
    ASSERT_EQ(f->ListView->Items()->Count(), 2);
    TListItem* e = f->ListView->Items()->Item(0);
    EXPECT_EQ(e->Caption(), "E:\\");
    EXPECT_EQ(e->SubItems()->Get(0), "40000");
    EXPECT_EQ(e->SubItems()->Get(1), "10000  " + Utf8ToGbk("比例：") + "25%");
    EXPECT_EQ(e->SubItems()->Get(2), "100");

    // The system's own drives: the prefix's C: is a fixed disk.
    Freed<TDiskViewForm> sys{new TDiskViewForm(nullptr)};
    sys->AfterConstruction();
    ASSERT_GE(sys->ListView->Items()->Count(), 1);
    EXPECT_EQ(sys->ListView->Items()->Item(0)->Caption(), "C:\\");
    EXPECT_NE(sys->ListView->Items()->Item(0)->SubItems()->Get(0), "0");
}

class NoAlarms : public TAlarmDeviceHost {
public:
    NoAlarms() { records.fill(TAlarmSetRecord{}); }
    const TAlarmSetRecord& Record(int c) const override { return records[size_t(c)]; }
    int ChannelCount() const override { return 0; }
    bool Alarming(int) const override { return false; }
    std::array<TAlarmSetRecord, kSettingsChannels> records;
};

std::string FrameOf(int type, uint8_t address, std::initializer_list<int> on) {
    uint8_t states[kBoxPoints] = {};
    for (int i : on)
        states[i] = 1;
    const auto frames = AlarmBoxOutputFrames(type, address, states);
    return std::string(frames.back().begin(), frames.back().end());
}

TEST(LocalAlarmOutForm, SendsTheWholeOutputStateOfTheChosenBox) {
    testing::FakeSerial com;
    NoAlarms host;
    TAlarmDevice device(com, host);
    Freed<TLocalAlarmOutCtrlForm> f{new TLocalAlarmOutCtrlForm(nullptr, device)};
    f->AfterConstruction();
    ASSERT_EQ(f->ListView->Items()->Count(), 16);
    EXPECT_EQ(f->cb_Device->GetText(), "W110");
    auto tick = [&](std::initializer_list<int> rows) {
        for (int i = 0; i < 16; ++i)
            f->ListView->Items()->Item(i)->SetChecked(false);
        for (int i : rows)
            f->ListView->Items()->Item(i)->SetChecked(true);
    };
    tick({0, 2});
    f->bt_OpenClick(f->bt_Open);
    tick({0});
    f->bt_CloseClick(f->bt_Close);
    ASSERT_EQ(com.Count(), 2u);
    EXPECT_EQ(com.Frames()[0], FrameOf(0, 1, {0, 2}));
    EXPECT_EQ(com.Frames()[1], FrameOf(0, 1, {2})); // output 3 stays on
    EXPECT_EQ(com.log[1].port, 0);

    f->cb_Device->SetItemIndex(3);
    f->cb_COM->SetItemIndex(4);
    f->se_Addr->SetText("7");
    tick({});
    f->bt_OpenClick(f->bt_Open);
    EXPECT_EQ(com.log.back().port, 4);
    EXPECT_EQ(com.Frames().back(), FrameOf(3, 7, {2}));
    f->Show();
    f->bt_ExitClick(f->bt_Exit);
    EXPECT_FALSE(f->Visible());
}

TEST(AutoFullScreenForm, LoadsAndSavesTheRegistryValue) {
    const char* key = "SOFTWARE\\VQS\\AutoFullScreen";
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, key);
    TArithmetic::WriteRegString(HKEY_LOCAL_MACHINE, key, "AutoFullScreen", "102");
    Freed<TVideoAlarmAutoFullScreenForm> f{
        new TVideoAlarmAutoFullScreenForm(nullptr, {"A", "B", "C", "D"})};
    f->AfterConstruction();
    ASSERT_EQ(f->cb_Channels->Items()->Count(), 4);
    EXPECT_EQ(f->cb_Channels->Items()->Get(1), "2    < B >");
    EXPECT_TRUE(f->cb_StartAutoFullScreen->Checked());
    EXPECT_EQ(f->cb_Channels->ItemIndex(), 2);
    f->cb_StartAutoFullScreen->SetChecked(false);
    f->cb_Channels->SetItemIndex(3);
    f->bt_OKClick(f->bt_OK);
    std::string value;
    TArithmetic::ReadRegString(HKEY_LOCAL_MACHINE, key, value, "AutoFullScreen");
    EXPECT_EQ(value, "003");
    TArithmetic::WriteRegString(HKEY_LOCAL_MACHINE, key, "AutoFullScreen", "13");
    f->LoadSetting();
    EXPECT_FALSE(f->cb_StartAutoFullScreen->Checked());
    EXPECT_EQ(f->cb_Channels->ItemIndex(), 0);
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, key);
}

TEST(DiskMessageForm, TrimsAppendsPopsUpAndKeepsItsLog) {
    const std::string folder = testing::FreshProgramFolder("host_ui_diskmsg");
    TDiskFaultList faults([] { return 0.0; }, nullptr);
    auto* f = new TClearDataMSGForm(nullptr, faults, folder);
    f->AfterConstruction();
    f->se_MaxCounts->SetText("50");
    for (int i = 0; i < 60; ++i)
        f->DataErrorMemo->Lines()->Add("old" + std::to_string(i));
    faults.Add("new fault", 0, 'E');
    ASSERT_TRUE(faults.Take().size() == 1); // the list hands its lines over once
    faults.Add("first", kDiskFaultNormal, 0);
    faults.Add("second", kDiskFaultNormal, 0);
    f->Perform(WM_DISKFAULT, kDiskFaultNormal, 0);
    TStrings* lines = f->DataErrorMemo->Lines();
    ASSERT_EQ(lines->Count(), 52);
    EXPECT_EQ(lines->Get(0), "old10");
    EXPECT_NE(lines->Get(51).find("second"), std::string::npos);
    EXPECT_EQ(lines->Get(51).find('\r'), std::string::npos);
    EXPECT_FALSE(f->Visible()); // routine cleaning never pops up
    faults.Add("write failed", WPARAM(-1), 'E');
    f->Perform(WM_DISKFAULT, WPARAM(-1), 'E');
    EXPECT_TRUE(f->Visible());
    f->Free(); // saves the memo

    TDiskFaultList none([] { return 0.0; }, nullptr);
    auto* again = new TClearDataMSGForm(nullptr, none, folder);
    again->AfterConstruction();
    // The second fault trimmed to 50 lines again before adding its own.
    ASSERT_EQ(again->DataErrorMemo->Lines()->Count(), 51);
    EXPECT_EQ(again->DataErrorMemo->Lines()->Get(0), "old12");
    again->Free();
}

TEST(AboutForm, ShowsTheTitleAndVersion) {
    Freed<TAboutForm> f{new TAboutForm(nullptr)};
    f->AfterConstruction();
    const std::string text = f->Label1->Caption();
    EXPECT_EQ(text.substr(text.size() - 8), " 3.1.0.0");
    f->bt_OKClick(f->bt_OK);
    EXPECT_EQ(f->ModalResult(), mrOk);
}

} // namespace
} // namespace vantrel
