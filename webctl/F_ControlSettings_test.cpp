// The control's settings dialog against a host's message server in another process: seven
// pages, the control's shorter records, the host's checks on every write.
#include "webctl/F_ControlSettings.h"
#include "webctl/U_ControlUdp.h"

#include "common/win/handles.h"
#include "common/win/textconv.h"
#include "host/ui/window_shot_testing.h"
#include "webctl/host_peer_testing.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace vantrel::webctl {
namespace {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

template <typename Done> bool PumpFor(Done done, DWORD ms) {
    const ULONGLONG end = ::GetTickCount64() + ms;
    while (!done() && ::GetTickCount64() < end) {
        MSG m;
        while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&m);
            ::DispatchMessageW(&m);
        }
        ::Sleep(5);
    }
    return done();
}

class ControlSettings : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_GT(peer.port_, 0) << "the host's message server did not start";
        TRemoteSettingsParts parts;
        parts.Udp = &udp;
        TClientGroupRecord group{};
        group.HostAddress.Set("127.0.0.1");
        parts.Groups.push_back(group);
        parts.ShowMessage = [this](const std::string& m) { messages.push_back(m); };
        form = CreateRemoteSettings(std::move(parts));
        form->Show();
    }
    void TearDown() override {
        if (form) form->Free();
    }
    void Connect(const char* password) {
        form->se_UDPRemoteSetPort->SetText(std::to_string(peer.port_));
        form->ed_UserName->SetText("op");
        form->ed_Password->SetText(password);
        form->sb_ConnectClick(form->sb_Connect);
        ASSERT_TRUE(PumpFor([&] { return form->Tag() == 0; }, 20000));
    }
    // A read or write ended: the dialog is enabled again or said something.
    bool Answered(size_t before, DWORD ms = 20000) {
        return PumpFor([&] { return messages.size() > before || form->Enabled(); }, ms) &&
               PumpFor([&] { return !form->TimerConnectRunning(); }, ms);
    }
    std::string LastMessage() const { return messages.empty() ? "" : messages.back(); }

    HostPeer peer;
    TControlUdpClient udp;
    TSystemSetForm* form = nullptr;
    std::vector<std::string> messages;
};

TEST_F(ControlSettings, SevenPagesAgainstTheHostWithTheControlsOwnCaptions) {
    std::vector<std::string> tabs;
    for (auto* sheet : form->Sheets)
        if (sheet->TabVisible()) tabs.push_back(sheet->Caption());
    const std::vector<std::string> want = {Utf8ToGbk("录像选项"), Utf8ToGbk("录像质量"),
                                           Utf8ToGbk("侦测及报警"), Utf8ToGbk("自动工作计划"),
                                           Utf8ToGbk("云台"), Utf8ToGbk("看门狗"),
                                           Utf8ToGbk("其它")};
    EXPECT_EQ(tabs, want);
    EXPECT_EQ(form->cb_RemoteMainAddr->GetText(), "127.0.0.1");
    EXPECT_EQ(form->rb_D1QualityCap->Caption(), Utf8ToGbk("D1高清晰："));
    EXPECT_FALSE(form->rb_DCIFQualityCap->Visible());
    EXPECT_FALSE(form->cb_NetLimit->Visible());
    EXPECT_FALSE(form->ed_RasUserName->Visible());
    EXPECT_TRUE(form->cb_OSDAutoBright->Enabled());
    EXPECT_EQ(form->bt_Cancel->Caption(), Utf8ToGbk("关闭"));

    Connect("pw");
    ASSERT_EQ(form->lv_Channel->Items()->Count(), 4);
    EXPECT_EQ(form->lv_Channel->Items()->Item(1)->SubItems()->Strings(0), "yard");
    // Until a page is read, the rows hold the control's own defaults.
    EXPECT_EQ(form->PreviewRecords[0].Picture.Contrast, 80);
    EXPECT_EQ(form->sb_Contrast->Position(), 80);
    vantrel::testing::PumpWaiting();
    vantrel::testing::SaveWindowShot(form->Handle(), "webctl_settings_dialog");

    // The close box leaves the dialog open; "关闭" ends it.
    form->Close();
    EXPECT_TRUE(form->Visible());
    form->bt_CancelClick(form->bt_Cancel);
    EXPECT_TRUE(form->CanClose);
    EXPECT_EQ(form->ModalResult(), 2);
}

TEST_F(ControlSettings, PagesAreReadAndWrittenThroughTheHostsChecks) {
    Connect("pw");
    // The watchdog page: kind 6, the 56 bytes the host holds.
    size_t before = messages.size();
    form->ReadRemoteClick(form->ReadButtons[TSystemSetForm::PageDog]);
    ASSERT_TRUE(Answered(before));
    // The host never sends its stored password (bytes 43..53).
    const auto* dog = reinterpret_cast<const uint8_t*>(&form->DogRecord);
    for (int i = 0; i < int(sizeof form->DogRecord); ++i)
        if (i < 43 || i > 53) ASSERT_EQ(dog[i], uint8_t(i + 1)) << "byte " << i;
    EXPECT_EQ(form->DogRecord.Password.Get(), "");

    // Channel 1: the time brightening ticked and written, then read back from the host.
    form->lv_Channel->SetItemIndex(1);
    PumpFor([&] { return form->EditChannel == 1; }, 5000);
    ASSERT_EQ(form->EditChannel, 1);
    // Switching rows leaves both rows' picture values as they were.
    EXPECT_EQ(form->PreviewRecords[0].Picture.Contrast, 80);
    EXPECT_EQ(form->PreviewRecords[1].Picture.Saturation, 110);
    form->pc_SystemSet->SetActivePage(form->Sheets[TSystemSetForm::PagePreview]);
    form->cb_OSDAutoBright->SetChecked(true);
    before = messages.size();
    form->WriteRemoteClick(form->WriteButtons[TSystemSetForm::PagePreview]);
    ASSERT_TRUE(PumpFor([&] { return messages.size() > before; }, 20000));
    EXPECT_EQ(LastMessage(), Utf8ToGbk("恭喜，设置成功！"));
    form->PreviewRecords[1].TimeAutoBrightness = 0;
    form->LoadPreviewPage(1);
    before = messages.size();
    form->ReadRemoteClick(form->ReadButtons[TSystemSetForm::PagePreview]);
    ASSERT_TRUE(Answered(before));
    EXPECT_EQ(form->PreviewRecords[1].TimeAutoBrightness, 1);
    EXPECT_TRUE(form->cb_OSDAutoBright->Checked());

    // The host's own, longer recording record is not taken: the read times out and the page
    // keeps its values. The control's shorter write is not one the host knows.
    const TCaptureSetRecord kept = form->CaptureRecords[1];
    before = messages.size();
    form->ReadRemoteClick(form->ReadButtons[TSystemSetForm::PageCapture]);
    ASSERT_TRUE(PumpFor([&] { return messages.size() > before; }, 30000));
    EXPECT_EQ(LastMessage(), Utf8ToGbk("连接超时！"));
    EXPECT_EQ(std::memcmp(&kept, &form->CaptureRecords[1], sizeof kept), 0);
    before = messages.size();
    form->WriteRemoteClick(form->WriteButtons[TSystemSetForm::PageCapture]);
    ASSERT_TRUE(PumpFor([&] { return messages.size() > before; }, 30000));
    EXPECT_EQ(LastMessage(), Utf8ToGbk("设置超时！"));

    // A wrong password: the host answers nothing.
    form->ed_Password->SetText("no");
    before = messages.size();
    form->WriteRemoteClick(form->WriteButtons[TSystemSetForm::PagePreview]);
    ASSERT_TRUE(PumpFor([&] { return messages.size() > before; }, 30000));
    EXPECT_EQ(LastMessage(), Utf8ToGbk("设置超时！"));
}

} // namespace
} // namespace vantrel::webctl
