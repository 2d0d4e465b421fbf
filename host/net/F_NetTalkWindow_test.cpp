#include "host/net/F_NetTalkWindow.h"

#include "host/engine/U_Arithmetic.h"
#include "host/net/netsvc_testing.h"

#include "common/win/textconv.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

using dvr::win::Utf8ToGbk;

struct FormDeleter {
    void operator()(dvr::fw::TCustomForm* f) const { f->Free(); }
};

TEST(NetTalkWindow, TheListIsEditedThroughItsButtonsAndSaved) {
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VQS\\NetTalk");
    TArithmetic::WriteRegString(HKEY_LOCAL_MACHINE, kNetTalkKey, "NetTalk",
                                "Gate/10.0.0.1|59000;Yard/10.0.0.2|abc;");
    TWaveIn waveIn;
    TWaveOut waveOut;
    TThreadWaveIn threadWaveIn{waveIn};
    TThreadWaveOut threadWaveOut{waveOut};
    const auto port = static_cast<uint16_t>(testing::FreePort(SOCK_DGRAM));
    std::unique_ptr<TNetTalkWindow, FormDeleter> window(new TNetTalkWindow(
        nullptr, "DVR", waveIn, waveOut, threadWaveIn, threadWaveOut, 59000, port));
    std::vector<std::string> messages;
    window->MessageBox = [&](const std::string& m) { messages.push_back(m); };
    EXPECT_EQ(window->Caption(), "DVR    " + Utf8ToGbk("语音广播"));
    ASSERT_EQ(window->lv_AddrList->Items()->Count(), 2);
    EXPECT_EQ(window->lv_AddrList->Items()->Item(1)->SubItems()->Get(1), "abc");
    EXPECT_FALSE(window->pn_Edit->Visible());

    window->bt_Add->Click();
    EXPECT_TRUE(window->pn_Edit->Visible());
    window->ed_Name->SetText("Dock");
    window->ed_Addr->SetText("10.0.0.3");
    window->se_UDPNetTalkPort->SetText("59001");
    window->bt_OK->Click();
    EXPECT_FALSE(window->pn_Edit->Visible());
    ASSERT_EQ(window->lv_AddrList->Items()->Count(), 3);
    EXPECT_EQ(window->lv_AddrList->Items()->Item(2)->Caption(), "Dock");

    // A check made in the list reaches the logic.
    window->lv_AddrList->Items()->Item(2)->SetChecked(true);
    window->lv_AddrList->Items()->Item(0)->SetSelected(true);
    window->bt_Delete->Click();
    ASSERT_EQ(window->Talk().Rows().size(), 2u);
    EXPECT_TRUE(window->Talk().Rows()[1].Checked);
    window->bt_Save->Click();
    std::string text;
    TArithmetic::ReadRegString(HKEY_LOCAL_MACHINE, kNetTalkKey, text, "NetTalk");
    EXPECT_EQ(text, "Yard/10.0.0.2|abc;Dock/10.0.0.3|59001;");
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VQS\\NetTalk");
}

} // namespace
} // namespace vantrel
