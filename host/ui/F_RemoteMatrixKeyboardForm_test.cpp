#include "host/ui/F_MatrixKeyboardForm.h"
#include "host/ui/F_RemoteMatrixKeyboardForm.h"

#include "host/engine/U_FakeSerial_test.h"
#include "host/ui/window_shot_testing.h"

#include "common/win/textconv.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace vantrel {
namespace {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

template <class F> bool ServeUntil(F done) {
    for (int i = 0; i < 30000 && !done(); ++i) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return done();
}

std::string Trimmed(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

// The other host is a local keyboard window with its relay on a loopback port: what the
// remote window sends arrives there as serial frames.
TEST(RemoteMatrixKeyboardWindow, CommandsReachTheOtherHostsMatrixThroughItsRelay) {
    testing::FakeSerial com;
    auto* other = new TDS_D_MatrixsCtrlForm(nullptr, com, 0);
    other->AfterConstruction();
    ASSERT_TRUE(other->RelayListening());

    std::vector<TClientGroup> hosts(2);
    hosts[0].HostAddress.Set("");
    hosts[1].HostAddress.Set("127.0.0.1");
    hosts[1].Ports.Port[kSlotDsDRelay] = other->RelayPort();
    auto* f = new TRemoteMatrixsCtrl_DS_DForm(nullptr, hosts, 52100);
    f->AfterConstruction();
    std::vector<std::string> said;
    f->Message = [&](const std::string& t) { said.push_back(t); };
    ASSERT_EQ(f->cb_RemoteMainAddr->Items()->Count(), 2) << "the empty address is listed too";
    EXPECT_EQ(f->se_TCPCtrlPort->GetText(), "52100");

    // The port follows the address typed.
    f->cb_RemoteMainAddr->SetText("10.1.2.3");
    f->cb_RemoteMainAddrChange(f->cb_RemoteMainAddr);
    EXPECT_EQ(f->se_TCPCtrlPort->GetText(), "52100");
    f->cb_RemoteMainAddr->SetText("127.0.0.1");
    f->cb_RemoteMainAddrChange(f->cb_RemoteMainAddr);
    EXPECT_EQ(f->se_TCPCtrlPort->GetText(), std::to_string(other->RelayPort()));

    // Before "连接" a command is dropped without a word.
    f->Buttons.at(MatrixButton::SwitchMonitor)->Click();
    EXPECT_TRUE(said.empty());

    f->bt_Connect->Click();
    ASSERT_TRUE(ServeUntil([&] { return !said.empty(); }));
    EXPECT_EQ(said.back(), Utf8ToGbk("连接成功！"));

    f->Fields.MonitorNumber->SetText("7");
    f->Buttons.at(MatrixButton::SwitchMonitor)->Click();
    MatrixKeyboardFields seven;
    seven.MonitorText = "7";
    const std::string monitor =
        Trimmed(MatrixKeyboardCommand(MatrixKeyboardKind::DsD, MatrixButton::SwitchMonitor, seven));
    ASSERT_TRUE(ServeUntil([&] { return com.Count() >= 1; }));
    EXPECT_EQ(com.Frames()[0], monitor) << "nothing from before the connection came first";

    // A held "上" repeats until released.
    f->Press(MatrixButton::Up);
    ASSERT_TRUE(ServeUntil([&] { return com.Count() >= 4; }));
    f->Release();
    const size_t held = com.Count();
    MatrixKeyboardFields speed8;
    const std::string up =
        Trimmed(MatrixKeyboardCommand(MatrixKeyboardKind::DsD, MatrixButton::Up, speed8));
    for (size_t i = 1; i < held; ++i) EXPECT_EQ(com.Frames()[i], up);
    EXPECT_FALSE(f->Timer->Enabled());

    f->Show();
    testing::PumpWaiting();
    testing::SaveWindowShot(f->WindowHandle(), "host_remote_matrix_keyboard");
    f->Free();

    // A host that does not answer: the verdict says so.
    const int closedPort = other->RelayPort();
    other->Free();
    auto* p = new TRemoteMatrixsCtrl_Pelco232Form(nullptr, hosts, 52000);
    p->AfterConstruction();
    p->Message = [&](const std::string& t) { said.push_back(t); };
    EXPECT_EQ(p->cb_RemoteMainAddr->Items()->Count(), 0);
    EXPECT_TRUE(p->Buttons.count(MatrixButton::Up));
    p->cb_RemoteMainAddr->SetText("127.0.0.1");
    p->se_TCPCtrlPort->SetText(std::to_string(closedPort));
    said.clear();
    p->bt_Connect->Click();
    ASSERT_TRUE(ServeUntil([&] { return !said.empty(); }));
    EXPECT_EQ(said.back(), Utf8ToGbk("连接失败！"));
    p->Free();
}

} // namespace
} // namespace vantrel
