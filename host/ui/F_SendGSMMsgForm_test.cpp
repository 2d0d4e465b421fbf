#include "host/ui/F_SendGSMMsgForm.h"

#include "host/engine/U_FakeSerial_test.h"

#include "common/win/textconv.h"
#include "host/ui/window_shot_testing.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>

namespace vantrel {
namespace {

using dvr::win::Utf8ToGbk;

class MemoryStore : public TGsmNumberStore {
public:
    std::string Read(std::string_view name) override { return values[std::string(name)]; }
    void Write(std::string_view name, std::string_view text) override {
        values[std::string(name)] = std::string(text);
    }
    std::map<std::string, std::string> values;
};

class NoAlarms : public TSmsSenderHost {
public:
    int ChannelCount() const override { return 0; }
    const TAlarmSetRecord& Record(int) const override { return record; }
    TAlarmSetRecord record{};
};

std::u16string Latin(std::string_view s) {
    return std::u16string(s.begin(), s.end());
}

TEST(SendGSMMsgForm, SendsTheTypedMessageAndShowsTheModemsAnswer) {
    testing::FakeSerial com;
    bool failSend = false;
    com.answer = [&](const testing::Transaction& t) -> std::string {
        if (t.bytes.rfind("AT+CMGS=", 0) == 0) return "\r\n> ";
        if (!t.bytes.empty() && t.bytes.back() == '\x1A')
            return failSend ? "\r\nERROR\r\n" : "\r\n+CMGS: 1\r\n\r\nOK\r\n";
        return "\r\nOK\r\n";
    };
    MemoryStore store;
    store.values["SCA"] = "+8613800100500|";
    store.values["TPA"] = "13900000001|13900000002|";
    TGSMCtrl gsm(com, store, Latin);
    gsm.LoadNumbers();
    NoAlarms host;
    TPostSmsResult sink;
    TThreadSendGSMMsg sender(gsm, host, sink);
    SmsMessageBlock selected{};
    std::strcpy(selected.PhoneNumber, "13700000009");
    selected.GsmPort = 2;

    auto* f = new TSendGSMMsgForm(nullptr, gsm, sender, selected);
    f->AfterConstruction();
    std::vector<std::string> said;
    f->ShowMessage = [&](const std::string& m) { said.push_back(m); };
    f->Show();
    ASSERT_EQ(f->cb_PhoneCode->Items()->Count(), 3);
    EXPECT_EQ(f->cb_PhoneCode->Items()->Get(0), "13700000009");
    EXPECT_EQ(f->cb_GSMCOM->ItemIndex(), 2);
    EXPECT_EQ(f->cb_SMCSNumber->GetText(), "+8613800100500");

    f->cb_PhoneCode->SetText("13911112222333344"); // more than 15 digits typed
    f->ed_SMCSMsg->SetText("alarm at gate");
    auto wait = [&](size_t n) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (said.size() < n && std::chrono::steady_clock::now() < until) {
            testing::PumpWaiting();
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
    };
    f->bt_SendClick(nullptr);
    EXPECT_TRUE(f->lb_Statu->Visible());
    EXPECT_EQ(std::string(f->Block.PhoneNumber), "139111122223333");
    EXPECT_EQ(f->Block.GsmPort, 2);
    EXPECT_EQ(f->Block.Dcs, 8);
    EXPECT_EQ(std::string(f->Block.Text), "alarm at gate");
    // Closing while sending is refused.
    f->bt_CloseClick(nullptr);
    wait(2);
    ASSERT_EQ(said.size(), 2u);
    EXPECT_EQ(said[0], Utf8ToGbk("正在发送短息消！"));
    EXPECT_EQ(said[1], Utf8ToGbk("恭喜！发送成功！"));
    EXPECT_FALSE(f->lb_Statu->Visible());
    EXPECT_TRUE(::IsWindowVisible(f->WindowHandle()));
    f->Repaint();
    testing::PumpWaiting();
    testing::SaveWindowShot(f->WindowHandle(), "host_send_sms_form");

    failSend = true;
    f->bt_SendClick(nullptr);
    wait(3);
    ASSERT_EQ(said.size(), 3u);
    EXPECT_EQ(said[2], Utf8ToGbk("发送消息失败！"));

    // Closing keeps every number typed or offered.
    f->bt_CloseClick(nullptr);
    EXPECT_FALSE(::IsWindowVisible(f->WindowHandle()));
    EXPECT_EQ(store.values["TPA"],
              "13900000001|13900000002|13700000009|13911112222333344|");
    f->Free();
}

} // namespace
} // namespace vantrel
