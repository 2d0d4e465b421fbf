#include "host/net/F_NetDogForm.h"

#include "common/win/textconv.h"

#include <gtest/gtest.h>

#include <memory>

namespace vantrel {
namespace {

using dvr::win::Utf8ToGbk;

struct FormDeleter {
    void operator()(dvr::fw::TCustomForm* f) const { f->Free(); }
};

struct Sent : TUdpSender {
    std::vector<std::string> sent;
    void SendTo(const void*, int length, int port, const std::string& host) override {
        sent.push_back(host + ":" + std::to_string(port) + ":" + std::to_string(length));
    }
};

void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

TClientGroup Group(const char* name, const char* address) {
    TClientGroup g;
    g.Name.Set(name);
    g.HostAddress.Set(address);
    g.Ports.Port[UDPMessageServerPort] = 57000;
    return g;
}

TEST(NetDogForm, WatchesListedHostsAndShowsAWorkState) {
    Sent sender;
    std::unique_ptr<TNetDogForm, FormDeleter> form(new TNetDogForm(
        nullptr, "DVR", {Group("a", "10.0.0.1"), Group("b", "10.0.0.2")}, 57000, sender));
    EXPECT_EQ(form->Caption(), "DVR    " + Utf8ToGbk("网络督察"));
    ASSERT_EQ(form->lv_ServerList->Items()->Count(), 2);
    EXPECT_EQ(form->lv_ServerList->Items()->Item(1)->SubItems()->Strings(0), "10.0.0.2");

    form->cb_StartNetDog->SetChecked(true); // a round at once, then the timer
    EXPECT_EQ(sender.sent.size(), 2u);
    EXPECT_TRUE(form->Timer->Enabled());
    EXPECT_EQ(form->Timer->Interval(), 20000u);

    ::PostMessageW(form->Handle(), WM_NETDOGREPLY, 1, 0);
    Pump();
    EXPECT_EQ(form->Dog().Rows()[1].State, NetDogState::Online);
    EXPECT_EQ(form->lv_ServerList->Items()->Item(1)->ImageIndex(), 1);

    // Adding through the edit panel; the list is disabled while it is open.
    form->bt_AddClick(nullptr);
    EXPECT_TRUE(form->pn_EditAddr->Visible());
    EXPECT_FALSE(form->lv_ServerList->Enabled());
    form->ed_Name->SetText("c");
    form->ed_IP->SetText("10.0.0.3");
    form->bt_OKClick(nullptr);
    EXPECT_FALSE(form->pn_EditAddr->Visible());
    EXPECT_TRUE(form->lv_ServerList->Enabled());
    ASSERT_EQ(form->lv_ServerList->Items()->Count(), 3);
    EXPECT_EQ(form->Dog().Rows()[2].PortText, "57000");

    // The work state of the selected row, shown as a tree.
    form->lv_ServerList->SetItemIndex(1);
    sender.sent.clear();
    form->bt_ReadWorkStateClick(nullptr);
    EXPECT_EQ(sender.sent, std::vector<std::string>{"10.0.0.2:57000:7"});
    EXPECT_EQ(form->lb_RemoteAddr->Caption(), "10.0.0.2");
    WorkStateRecord r{};
    r.ChannelCount = 1;
    r.FileOpen[0] = 1;
    form->Dog().WorkStateArea().Store(&r, sizeof r);
    ::PostMessageW(form->Handle(), WM_NETDOGREPLY, 0, kNetDogWorkStateReply);
    Pump();
    dvr::fw::TTreeNodes* nodes = form->tv_WorkState->Items();
    ASSERT_EQ(nodes->Count(), 7);
    EXPECT_EQ(nodes->Item(0)->Text(), Utf8ToGbk("自动工作状态：空闲"));
    EXPECT_EQ(nodes->Item(4)->Text(), Utf8ToGbk("通道1：正在录像"));
    EXPECT_FALSE(form->lb_ReadTime->Caption().empty());
}

} // namespace
} // namespace vantrel
