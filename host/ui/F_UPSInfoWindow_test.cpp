#include "host/ui/F_UPSInfoWindow.h"

#include "common/win/textconv.h"
#include "host/ui/window_shot_testing.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

using dvr::win::Utf8ToGbk;

TEST(UPSInfoWindow, ShowsTheCountdownAndOkHidesItWithoutStoppingIt) {
    auto* w = new TUPSInfoWindow(nullptr);
    w->AfterConstruction();
    int ended = 0;
    TUPSInfoForm countdown(w->View(), [&] { ++ended; });
    w->Countdown = &countdown;
    countdown.SetLabels(kUpsPowerFailText, "");
    countdown.Show();
    countdown.StartTimer();
    EXPECT_TRUE(::IsWindowVisible(w->WindowHandle()));
    EXPECT_EQ(w->Label1->Caption(), Utf8ToGbk("检测到断电，系统将在60秒后自动关机！"));
    for (int i = 0; i < 3; ++i)
        countdown.TimerTick();
    EXPECT_EQ(w->Label2->Caption(), "3");
    w->Repaint();
    testing::PumpWaiting();
    testing::SaveWindowShot(w->WindowHandle(), "host_ups_window");
    w->bt_OK->Click();
    EXPECT_FALSE(::IsWindowVisible(w->WindowHandle()));
    EXPECT_TRUE(countdown.TimerRunning());
    while (countdown.TimerRunning())
        countdown.TimerTick();
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(w->Label2->Caption(), "60");
    EXPECT_FALSE(::IsWindowVisible(w->WindowHandle()));
    w->Free();
}

} // namespace
} // namespace vantrel
