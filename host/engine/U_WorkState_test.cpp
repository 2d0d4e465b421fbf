#include "host/engine/U_WorkState.h"

#include "host/engine/U_Arithmetic.h"
#include "host/engine/host_engine_testing.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace vantrel {
namespace {

using Calls = std::vector<std::string>;

class MainFormStandIn : public TMainFormServices {
public:
    MainFormStandIn() {
        window_ = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                    nullptr, nullptr);
    }
    ~MainFormStandIn() override { ::DestroyWindow(window_); }
    HWND Handle() const override { return window_; }
    void ShutdownAll() override {}
    void ApplyAllSettings() override {}
    void RebuildChannelMap(WPARAM, LPARAM) override {}
    void im_AutoWorkClick() override { ++AutoWorkClicks; }
    void Show(bool visible) { ::ShowWindow(window_, visible ? SW_SHOWNOACTIVATE : SW_HIDE); }

    int AutoWorkClicks = 0;

private:
    HWND window_ = nullptr;
};

WorkStateRecord Stored() {
    WorkStateRecord record{};
    EXPECT_EQ(TArithmetic::ReadRegBinary(HKEY_LOCAL_MACHINE, "SOFTWARE\\VQS\\WorkState",
                                         "WorkState", &record, int(sizeof record)),
              int(sizeof record));
    return record;
}

void Store(const WorkStateRecord& record) {
    ASSERT_EQ(TArithmetic::WriteRegBinary(HKEY_LOCAL_MACHINE, "SOFTWARE\\VQS\\WorkState",
                                          "WorkState", &record, int(sizeof record)),
              0);
}

class WorkStateTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::DeleteHostSettings();
        autoSet_ = std::make_unique<TAutoSet>();
        auto_ = std::make_unique<TAuto>(*autoSet_, engine_.capture, engine_.alarm, 4);
    }
    void TearDown() override { testing::DeleteHostSettings(); }

    std::unique_ptr<TWorkState> Make(int boardChannels) {
        return std::make_unique<TWorkState>(
            TWorkState::Parts{mainForm_, [this] { return channelCount_; }, *auto_, engine_.capture,
                              engine_.alarm, engine_.preview, boardChannels});
    }

    MainFormStandIn mainForm_;
    testing::FakeEngine engine_;
    std::unique_ptr<TAutoSet> autoSet_;
    std::unique_ptr<TAuto> auto_;
    int channelCount_ = 6; // 4 board channels and 2 network channels
};

TEST_F(WorkStateTest, WithoutStoredStateEveryBoardPreviewOpensAndNothingRecords) {
    auto state = Make(4);
    EXPECT_TRUE(state->TimerEnabled());
    state->Restore();
    EXPECT_EQ(engine_.Calls, Calls({"preview 0", "preview 1", "preview 2", "preview 3"}));
    EXPECT_EQ(mainForm_.AutoWorkClicks, 0);
}

TEST_F(WorkStateTest, RestoreResumesDetectionOrRecordingButNoAlarm) {
    WorkStateRecord record{};
    record.ChannelCount = 6;
    record.PreviewOpen[1] = record.PreviewOpen[3] = record.PreviewOpen[5] = 1;
    record.Armed[0] = record.FileOpen[0] = 1; // armed and recording: armed only
    record.FileOpen[1] = 1;
    record.Alarming[2] = 1;
    record.Armed[4] = record.FileOpen[5] = 1; // network channels: not restored
    Store(record);
    auto state = Make(4);
    state->Restore();
    EXPECT_EQ(engine_.Calls, Calls({"preview 1", "preview 3", "detect 0 -1", "start 1 ) 0"}));
}

TEST_F(WorkStateTest, AutomaticModeComesBackThroughTheButtonOnlyWithABoard) {
    WorkStateRecord record{};
    record.AutoMode = 1;
    record.Armed[0] = record.FileOpen[1] = 1;
    Store(record);
    auto withBoard = Make(4);
    withBoard->Restore();
    EXPECT_EQ(mainForm_.AutoWorkClicks, 1);
    EXPECT_EQ(engine_.Calls, Calls({})) << "the schedule decides recording and detection";

    auto withoutBoard = Make(0);
    withoutBoard->Restore();
    EXPECT_EQ(mainForm_.AutoWorkClicks, 1);
    EXPECT_EQ(engine_.Calls, Calls({}));

    // The button toggles: with the mode already on, pressing it would switch it off.
    auto_->AutoMode = true;
    withBoard->Restore();
    EXPECT_EQ(mainForm_.AutoWorkClicks, 1);
}

TEST_F(WorkStateTest, SaveStoresTheLiveStateOfEveryChannel) {
    auto state = Make(4);
    auto_->AutoMode = true;
    engine_.Panes = {0, 4};
    engine_.Files = {1, 5};
    engine_.Armed = {2};
    engine_.Alarming = {2, 3};
    ASSERT_EQ(state->Save(), 0);
    const WorkStateRecord stored = Stored();
    EXPECT_EQ(std::memcmp(&stored, &state->Record, sizeof stored), 0);
    EXPECT_EQ(stored.ChannelCount, 6);
    EXPECT_EQ(stored.AutoMode, 1);
    const uint8_t want[4][6] = {
        {1, 0, 0, 0, 1, 0}, {0, 1, 0, 0, 0, 1}, {0, 0, 1, 0, 0, 0}, {0, 0, 1, 1, 0, 0}};
    const uint8_t* got[4] = {stored.PreviewOpen, stored.FileOpen, stored.Armed, stored.Alarming};
    for (int flag = 0; flag < 4; ++flag)
        for (int ch = 0; ch < 6; ++ch)
            EXPECT_EQ(got[flag][ch], want[flag][ch]) << "flag " << flag << " channel " << ch;
}

TEST_F(WorkStateTest, ChannelCountBeyondTheRecordStaysInsideIt) {
    auto state = Make(4);
    channelCount_ = 200;
    for (int ch = 0; ch < 200; ++ch)
        engine_.Alarming.insert(ch);
    state->CaptureState();
    EXPECT_EQ(state->Record.ChannelCount, 49);
    EXPECT_EQ(state->Record.Alarming[48], 1);
}

TEST_F(WorkStateTest, TimerSavesOnlyWithABoardAndAVisibleMainWindow) {
    const struct {
        int boardChannels;
        bool visible, saves;
    } cases[] = {{4, true, true}, {4, false, false}, {0, true, false}};
    for (const auto& c : cases) {
        testing::DeleteHostSettings();
        mainForm_.Show(c.visible);
        auto state = Make(c.boardChannels);
        state->OnTimer();
        EXPECT_EQ(TArithmetic::GetRegDataSize(HKEY_LOCAL_MACHINE, "SOFTWARE\\VQS\\WorkState",
                                              "WorkState"),
                  c.saves ? 198 : -1)
            << c.boardChannels << " " << c.visible;
    }
    mainForm_.Show(false);
}

} // namespace
} // namespace vantrel
