#include "host/engine/U_UPSDog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace vantrel {
namespace {

class FakeLine : public TUPSLine {
public:
    bool IsOpen(int) const override { return open; }
    bool Open(int port) override {
        opened.push_back(port);
        open = canOpen;
        return open;
    }
    bool ModemStatus(int, uint32_t& status) override {
        status = (cts ? kModemCts : 0) | (dsr && dtr ? kModemDsr : 0);
        return statusWorks;
    }
    bool RaiseDTR(int) override {
        dtr = true;
        return true;
    }
    void Sleep(int ms) override { slept += ms; }

    bool open = false, canOpen = true, statusWorks = true;
    bool cts = true, dsr = false, dtr = false;
    int slept = 0;
    std::vector<int> opened;
};

class UpsTest : public ::testing::Test {
protected:
    UpsTest() : form(nullptr, [this] { OnEnd(); }), ups(settings, line, form) {
        settings.UpsOn = 1;
        settings.UpsPort = 4;
        ups.Start();
    }
    void OnEnd() {
        ups.StopPolling();
        powerActions.push_back(10000); // WM_POWERACTION wParam
    }
    void Ticks(int n) {
        for (int i = 0; i < n; ++i) {
            form.TimerTick();
            ups.TimerTick();
        }
    }

    TDogSettingsRecord settings{};
    FakeLine line;
    TUPSInfoForm form;
    TUPSDog ups;
    std::vector<int> powerActions;
};

TEST_F(UpsTest, PollReadsTheLines) {
    const struct {
        bool monitoring, canOpen, statusWorks, cts, dsr;
        int expect;
    } cases[] = {
        {false, true, true, false, true, kUpsMains},
        {true, false, true, false, true, kUpsNotConnected},
        {true, true, false, true, false, kUpsNotConnected},
        {true, true, true, true, false, kUpsMains},
        {true, true, true, false, true, kUpsPowerFail},
        {true, true, true, false, false, kUpsNotConnected},
    };
    for (const auto& c : cases) {
        settings.UpsOn = c.monitoring;
        line = FakeLine{};
        line.canOpen = c.canOpen;
        line.statusWorks = c.statusWorks;
        line.cts = c.cts;
        line.dsr = c.dsr;
        EXPECT_EQ(ups.Poll(), c.expect);
    }
    EXPECT_EQ(line.opened, (std::vector<int>{4}));
    EXPECT_EQ(line.slept, 25);
}

TEST_F(UpsTest, MainsPresentShowsNothing) {
    Ticks(5);
    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(ups.PowerFailCount, 0);
}

TEST_F(UpsTest, ThreeFailingPollsStartTheCountdownAndSixtySecondsShutDown) {
    line.cts = false;
    line.dsr = true;
    Ticks(2);
    EXPECT_FALSE(form.Visible());
    Ticks(1);
    EXPECT_TRUE(form.Visible());
    EXPECT_EQ(form.Label1, kUpsPowerFailText);
    EXPECT_EQ(form.Label2, "");
    form.Close(); // "确定" hides only
    Ticks(1);
    EXPECT_EQ(form.Label2, "1");
    Ticks(58);
    EXPECT_EQ(form.Label2, "59");
    EXPECT_TRUE(powerActions.empty());
    Ticks(1);
    EXPECT_EQ(powerActions, (std::vector<int>{10000}));
    EXPECT_FALSE(form.Visible());
    EXPECT_FALSE(ups.TimerEnabled());
    Ticks(5);
    EXPECT_EQ(powerActions.size(), 1u);
}

TEST_F(UpsTest, MainsBackCancelsTheCountdown) {
    line.cts = false;
    line.dsr = true;
    Ticks(10);
    ASSERT_TRUE(form.TimerRunning());
    line.cts = true;
    Ticks(1);
    EXPECT_FALSE(form.TimerRunning());
    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(form.Counter, 0);
    Ticks(70);
    EXPECT_TRUE(powerActions.empty());
}

TEST_F(UpsTest, DisablingMonitoringLeavesARunningCountdownGoing) {
    line.cts = false;
    line.dsr = true;
    Ticks(4);
    ASSERT_TRUE(form.TimerRunning());
    settings.UpsOn = 0;
    TCardDog card;
    TDog dog(settings, card, ups); // the settings re-applied
    EXPECT_FALSE(ups.TimerEnabled());
    EXPECT_EQ(form.Label1, "");
    EXPECT_TRUE(form.TimerRunning());
    Ticks(60);
    EXPECT_EQ(powerActions.size(), 1u);
}

TEST_F(UpsTest, LostLineIsShownOnceAndStartsNoCountdown) {
    line.cts = false;
    line.dsr = false;
    Ticks(1);
    EXPECT_TRUE(form.Visible());
    EXPECT_EQ(form.Label1, kUpsNotConnectedText);
    form.Close();
    Ticks(5);
    EXPECT_FALSE(form.Visible()); // not shown again while the text stays
    EXPECT_FALSE(form.TimerRunning());
}

TEST_F(UpsTest, ApplySettingsStartsAndStopsTheMonitor) {
    TCardDog card;
    settings.UpsOn = 0;
    TDog dog(settings, card, ups);
    EXPECT_FALSE(ups.TimerEnabled());
    settings.UpsOn = 1;
    dog.ApplySettings();
    EXPECT_TRUE(ups.TimerEnabled());
}

TEST(CardDog, FramesCarryTheirSum) {
    uint8_t f[7];
    CardDogFrame(1, 0xD5, 7, 30, 0, f);
    EXPECT_EQ(std::vector<uint8_t>(f, f + 7),
              (std::vector<uint8_t>{0xFC, 0x01, 0xD5, 7, 30, 0, 0xFB}));
    CardDogFrame(0, 0x01, 23, 59, 59, f);
    EXPECT_EQ(f[6], uint8_t(0x01 + 23 + 59 + 59));
}

TEST(DogSettings, DefaultsZeroOnlyTheEnables) {
    TDogSettingsRecord r;
    std::memset(&r, 0x5A, sizeof r);
    SetDogDefaults(r);
    const uint8_t* b = reinterpret_cast<const uint8_t*>(&r);
    for (int i = 0; i < 56; ++i) {
        const bool zeroed = i <= 3 || i == 16 || i == 17 || i == 20;
        EXPECT_EQ(b[i], zeroed ? 0 : 0x5A) << i;
    }
}

} // namespace
} // namespace vantrel
