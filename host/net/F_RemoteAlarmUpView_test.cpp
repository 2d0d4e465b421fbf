#include "host/net/F_RemoteAlarmUpView.h"

#include "common/win/textconv.h"
#include "host/engine/U_Conversions.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

namespace vantrel {
namespace {

using dvr::win::Utf8ToGbk;
using ::testing::ElementsAre;

struct FormDeleter {
    void operator()(dvr::fw::TCustomForm* f) const { f->Free(); }
};

struct Host : TRemoteAlarmListHost {
    std::vector<std::string> calls;
    void SetRemoteAlarmSound(bool on) override { calls.push_back(on ? "sound on" : "sound off"); }
    int BoardChannelCount() const override { return 1; }
    int SelectedPane() const override { return 2; }
    bool PanePreviewing(int) const override { return false; }
    int SlotRemoteChannel(int) const override { return 0; }
    std::string SlotGroupAddress(int) const override { return ""; }
    void ClosePreview(int) override {}
    void StopNetworkRecording(int) override {}
    void Pause(int) override {}
    void SetSlotTarget(int s, int ch, const std::string& a) override {
        calls.push_back("target " + std::to_string(s) + " " + std::to_string(ch) + " " + a);
    }
    void RequestOpenOnAlarm(int p) override { calls.push_back("open " + std::to_string(p)); }
    void ClearRecordOnAlarm(int) override {}
};

void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

TEST(RemoteAlarmUpViewForm, PostedAlarmsBecomeRowsWithSound) {
    Host host;
    std::unique_ptr<TRemoteAlarmUpViewForm, FormDeleter> form(
        new TRemoteAlarmUpViewForm(nullptr, "DVR", host));
    form->MainWindowShown = [] { return false; };
    EXPECT_EQ(form->Caption(), "DVR    " + Utf8ToGbk("远程报警信息"));

    AlarmUploadRecord r{};
    r.HostAddress.Set("10.0.0.7");
    r.Kind = '?';
    r.Channel = 1;
    r.Index = 3;
    r.InBoxAddress = 5;
    r.Time = OleDateFromParts(2026, 12, 10, 9, 5, 7);
    form->AddAlarm(r);
    ::PostMessageW(form->Handle(), WM_EMAPALARM, 0, 0);
    ::PostMessageW(form->Handle(), WM_EMAPALARM, 1, 0); // the map's: not this window's
    Pump();

    ASSERT_EQ(form->ListView->Items()->Count(), 1);
    dvr::fw::TListItem* item = form->ListView->Items()->Item(0);
    EXPECT_EQ(item->Caption(), "2026-12-10 09:05:07");
    EXPECT_EQ(item->SubItems()->Strings(0), Utf8ToGbk("探头侦测"));
    EXPECT_EQ(item->SubItems()->Strings(1), "2");
    EXPECT_EQ(item->SubItems()->Strings(2), Utf8ToGbk("4 (报警盒地址：5"));
    EXPECT_EQ(item->SubItems()->Strings(3), "10.0.0.7");
    EXPECT_THAT(host.calls, ElementsAre("sound on"));
    EXPECT_TRUE(form->SoundTimer->Enabled());
    EXPECT_EQ(form->SoundTimer->Interval(), 60000u);
    EXPECT_FALSE(form->Visible()); // the console is not shown: no pop-up

    form->bt_ConnectClick(nullptr);
    EXPECT_THAT(host.calls, ElementsAre("sound on", "target 1 1 10.0.0.7", "open 2"));

    form->cb_Sound->SetChecked(false);
    EXPECT_EQ(host.calls.back(), "sound off");
    EXPECT_FALSE(form->SoundTimer->Enabled());

    form->bt_ClearClick(nullptr);
    EXPECT_EQ(form->ListView->Items()->Count(), 0);
}

} // namespace
} // namespace vantrel
