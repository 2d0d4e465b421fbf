#include "host/ui/F_MatrixKeyboardForm.h"

#include "host/engine/U_FakeSerial_test.h"
#include "host/ui/window_shot_testing.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace vantrel {
namespace {

using namespace dvr::fw;

// Waits for `done` (with a generous bound) while this thread serves the window's messages.
template <class F> bool WaitServing(F done) {
    for (int i = 0; i < 30000 && !done(); ++i) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return done();
}

template <class W> W* MakeKeyboard(TSerialGateway& com, int relayPort) {
    auto* w = new W(nullptr, com, relayPort);
    w->AfterConstruction();
    return w;
}

// Each window's buttons send their own command table with the numbers, port and rate shown;
// held buttons repeat until released (Pelco232 then sends its stop).
TEST(MatrixKeyboardWindow, ButtonsSendTheirCommandsWithTheWindowsFields) {
    testing::FakeSerial com;
    auto* dsd = MakeKeyboard<TDS_D_MatrixsCtrlForm>(com, -1);
    auto* pelco = MakeKeyboard<TPelco232MatrixsCtrlForm>(com, -1);
    EXPECT_EQ(dsd->Buttons.size(), 22u);
    EXPECT_EQ(pelco->Buttons.count(MatrixButton::SwitchForward), 0u);
    EXPECT_EQ(pelco->se_YTSpeed->GetText(), "60");

    dsd->se_MonitorNumber->SetText("12");
    dsd->cb_COM->SetItemIndex(2);
    dsd->cb_BurdRate->SetItemIndex(1);
    dsd->Click(MatrixButton::SwitchMonitor);
    dsd->Press(MatrixButton::Up);
    EXPECT_TRUE(dsd->Timer->Enabled());
    dsd->TimerTimer(nullptr);
    dsd->Release();
    EXPECT_FALSE(dsd->Timer->Enabled());
    pelco->se_VidiconNumber->SetText("7");
    pelco->Click(MatrixButton::SwitchVidicon);
    pelco->Press(MatrixButton::Up);
    pelco->Release();
    EXPECT_EQ(com.Frames(), (std::vector<std::string>{"12M,a", "8,U,a", "8,U,a", "7#a", "60Ua",
                                                       "sa"}));
    EXPECT_EQ(com.log[0].port, 2);
    EXPECT_EQ(com.log[0].baud, 1200);
    EXPECT_EQ(com.log[0].parity, 0);
    EXPECT_EQ(com.log[3].port, 0);
    EXPECT_EQ(com.log[3].baud, 9600);
    EXPECT_EQ(com.log[3].parity, 2);
    dsd->Show();
    ::RedrawWindow(dsd->WindowHandle(), nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    testing::SaveWindowShot(dsd->WindowHandle(), "host_matrix_keyboard");
    dsd->Free();
    pelco->Free();
}

// The relay writes another host's records with the port the window shows at that moment.
TEST(MatrixKeyboardWindow, RelayRecordsGoToThePortTheWindowShows) {
    testing::FakeSerial com;
    auto* dsd = MakeKeyboard<TDS_D_MatrixsCtrlForm>(com, 0);
    ASSERT_TRUE(dsd->RelayListening());
    dsd->cb_COM->SetItemIndex(5);
    TRelayClient link;
    ASSERT_TRUE(link.Connect("127.0.0.1", dsd->RelayPort()));
    ASSERT_TRUE(WaitServing([&] { return link.Connected(); }));
    link.Send("1+a+a,S,a ");
    ASSERT_TRUE(WaitServing([&] { return com.Count() >= 1; }));
    EXPECT_EQ(com.Frames()[0], "1+a+a,S,a");
    EXPECT_EQ(com.log[0].port, 5);
    dsd->Free();
}

} // namespace
} // namespace vantrel
