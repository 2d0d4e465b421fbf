#include "host/ui/F_ConnectionView.h"
#include "host/ui/O_RMPanel.h"

#include "host/engine/U_Conversions.h"
#include "host/net/T_ThreadFreeTCPMainConnecter.h"
#include "host/net/U_TCPConnecter.h"
#include "host/net/U_TCPMainServer.h"
#include "host/net/live_testing.h"

#include "common/win/textconv.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <utility>
#include <vector>

namespace vantrel {
namespace {

using namespace dvr::fw;

std::unique_ptr<TTCPConnecter> Viewer(int channel, const char* address, const char* user,
                                      int minute) {
    auto v = std::make_unique<TTCPConnecter>(4);
    v->Request.Channel = channel;
    v->Request.OwnAddress.Set(address);
    v->Request.User.Set(user);
    v->ConnectTime = OleDateFromParts(2026, 5, 6, 7, minute, 9);
    return v;
}

TEST(ConnectionViewForm, ListsTheTickedChannelsViewersAndClosesTheTickedRows) {
    WSADATA wsa;
    ::WSAStartup(MAKEWORD(2, 2), &wsa);
    auto a = Viewer(0, "10.0.0.5", "ann", 1);
    auto b = Viewer(0, "10.0.0.6", "bob", 2);
    auto c = Viewer(1, "10.0.0.7", "cy", 3);
    auto closed = Viewer(1, "10.0.0.8", "dee", 4);
    a->Next = b.get();
    c->Next = closed.get();
    closed->Closed = 1;
    TTCPConnecter* heads[2] = {a.get(), c.get()};
    std::vector<std::pair<int, TTCPConnecter*>> closes;
    auto* f = new TConnectionViewForm(
        nullptr, {"Door", "Yard"}, [&](int ch) { return ch < 2 ? heads[ch] : nullptr; },
        [&](int ch, TTCPConnecter& v) {
            closes.emplace_back(ch, &v);
            v.Closed = 1;
        });
    f->AfterConstruction();
    ASSERT_EQ(f->lv_MainPortList->Items()->Count(), 2);
    EXPECT_EQ(f->lv_MainPortList->Items()->Item(1)->Caption(), "2   < Yard >");

    f->lv_MainPortList->Items()->Item(0)->SetChecked(true);
    f->lv_MainPortList->Items()->Item(1)->SetChecked(true);
    f->bt_QueryClick(nullptr);
    ASSERT_EQ(f->lv_ConnectionList->Items()->Count(), 3);
    TListItem* row = f->lv_ConnectionList->Items()->Item(1);
    EXPECT_EQ(row->Caption(), "1");
    EXPECT_EQ(row->SubItems()->Get(0), "10.0.0.6");
    EXPECT_EQ(row->SubItems()->Get(1), "2026-05-06 07:02:09");
    EXPECT_EQ(row->SubItems()->Get(2), "bob");
    EXPECT_EQ(f->StatusBar1->Panels(0)->Text(), dvr::win::Utf8ToGbk("连接总数：") + "3");

    row->SetChecked(true);
    f->bt_DisconnectClick(nullptr);
    EXPECT_EQ(closes, (std::vector<std::pair<int, TTCPConnecter*>>{{0, b.get()}}));
    EXPECT_TRUE(b->Closed);
    EXPECT_FALSE(a->Closed);
    EXPECT_EQ(f->lv_ConnectionList->Items()->Count(), 2);

    f->lv_MainPortList->Items()->Item(0)->SetChecked(false);
    f->bt_QueryClick(nullptr);
    EXPECT_EQ(f->lv_ConnectionList->Items()->Count(), 1);
    f->Free();
    ::WSACleanup();
}

TEST(ConnectionViewForm, DisconnectClosesAndFreesARealViewer) {
    testing::FakeLiveHost host;
    TLiveServers servers(host);
    std::mt19937 rng(::GetTickCount() ^ ::GetCurrentProcessId());
    int base = 0;
    for (int attempt = 0; attempt < 40 && base == 0; ++attempt) {
        const int b = 30000 + static_cast<int>(rng() % 2000) * 10;
        TTCPServer probes[2];
        if (probes[0].Bind(static_cast<uint16_t>(b)) && probes[1].Bind(static_cast<uint16_t>(b + 1)))
            base = b;
    }
    ASSERT_NE(base, 0);
    ASSERT_TRUE(servers.StartLiveServers(base, 2));
    TThreadFreeTCPMainConnecter sweeper(servers);
    testing::TestViewer stays(base);
    ASSERT_TRUE(stays.SendRequest(0));
    ASSERT_TRUE(testing::WaitUntil([&] {
        TTCPConnecter* v = servers.Viewers(0)->Head.load();
        return v && v->Admitted && v->SendThread;
    }));
    // Another second in the connect time keeps the rows apart.
    ::Sleep(1100);
    testing::TestViewer goes(base);
    ASSERT_TRUE(goes.SendRequest(0));
    ASSERT_TRUE(testing::WaitUntil([&] {
        TTCPConnecter* v = servers.Viewers(0)->Head.load();
        v = v ? v->Next.load() : nullptr;
        return v && v->Admitted && v->SendThread;
    }));
    auto* f = new TConnectionViewForm(
        nullptr, {"Door", "Yard"},
        [&](int ch) {
            TTCPMainConnecter* list = servers.Viewers(ch);
            return list ? list->Head.load() : nullptr;
        },
        [&](int ch, TTCPConnecter& v) { servers.CloseViewer(ch, v); });
    f->AfterConstruction();
    f->lv_MainPortList->Items()->Item(0)->SetChecked(true);
    f->bt_QueryClick(nullptr);
    ASSERT_EQ(f->lv_ConnectionList->Items()->Count(), 2);
    f->lv_ConnectionList->Items()->Item(1)->SetChecked(true);
    f->bt_DisconnectClick(nullptr);
    // The peer sees the close, and the viewer, its threads and socket are freed.
    goes.Read(1 << 20, 10000);
    EXPECT_TRUE(goes.PeerClosed());
    ASSERT_TRUE(testing::WaitUntil([&] { return sweeper.Freed() == 1; }, 10000));
    EXPECT_EQ(servers.Viewers(0)->OpenCount.load(), 1);
    EXPECT_EQ(servers.Viewers(0)->Head.load(), servers.Viewers(0)->Tail.load());
    f->bt_QueryClick(nullptr);
    EXPECT_EQ(f->lv_ConnectionList->Items()->Count(), 1);
    // The other viewer is still served.
    const uint8_t record[8] = {0, 0, 1, 0xC7, 2, 9, 9, 9};
    servers.FanOutFrame(0, 2, record, sizeof record);
    EXPECT_EQ(stays.Read(sizeof record).size(), sizeof record);
    f->Free();
    sweeper.Stop();
    servers.StopViewers();
    servers.StopAll();
}

struct PaneWatcher : TObject {
    std::vector<std::string> seen;
    void Enter(TObject* s) { seen.push_back(s == pane ? "enter" : "?"); }
    void Leave(TObject* s) { seen.push_back(s == pane ? "leave" : "?"); }
    TObject* pane = nullptr;
};

TEST(RMPanel, TellsEnterAndLeaveWithItselfAsSender) {
    auto* form = new TForm(nullptr);
    auto* pane = new TRMPanel(form);
    pane->SetParent(form);
    PaneWatcher w;
    w.pane = pane;
    pane->Perform(CM_MOUSEENTER, 0, 0); // nothing assigned: nothing happens
    pane->OnMouseEnter = TNotifyEvent(&w, &PaneWatcher::Enter);
    pane->OnMouseLeave = TNotifyEvent(&w, &PaneWatcher::Leave);
    pane->Perform(CM_MOUSEENTER, 0, 0);
    pane->Perform(CM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(w.seen, (std::vector<std::string>{"enter", "leave"}));
    form->Free();
}

} // namespace
} // namespace vantrel
