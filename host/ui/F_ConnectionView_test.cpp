#include "host/ui/F_ConnectionView.h"
#include "host/ui/O_RMPanel.h"

#include "host/engine/U_Conversions.h"
#include "host/net/U_TCPConnecter.h"

#include "common/win/textconv.h"

#include <gtest/gtest.h>

#include <memory>

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
    auto* f = new TConnectionViewForm(nullptr, {"Door", "Yard"},
                                      [&](int ch) { return ch < 2 ? heads[ch] : nullptr; });
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
    EXPECT_TRUE(b->Closed);
    EXPECT_FALSE(a->Closed);
    EXPECT_EQ(f->lv_ConnectionList->Items()->Count(), 2);

    f->lv_MainPortList->Items()->Item(0)->SetChecked(false);
    f->bt_QueryClick(nullptr);
    EXPECT_EQ(f->lv_ConnectionList->Items()->Count(), 1);
    f->Free();
    ::WSACleanup();
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
