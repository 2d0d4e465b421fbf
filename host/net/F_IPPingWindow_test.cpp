#include "host/net/F_IPPingWindow.h"
#include "host/net/F_PingLogWindow.h"
#include "host/net/T_PingThread.h"

#include "host/engine/host_engine_testing.h"

#include "common/win/textconv.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

using dvr::win::Utf8ToGbk;

struct FormDeleter {
    void operator()(dvr::fw::TCustomForm* f) const { f->Free(); }
};

TEST(IPPingWindow, ShowsTheRowsTheirAnswersAndAnOutage) {
    testing::DeleteHostSettings();
    TArithmetic arithmetic;
    TSystemOtherSet other{arithmetic};
    TNetClientSet clients{arithmetic, other, 0};
    for (const char* address : {"10.0.0.1", "10.0.0.2"}) {
        TClientGroup g;
        g.Name.Set(address[7] == '1' ? "Gate" : "Yard");
        g.HostAddress.Set(address);
        clients.Groups.push_back(g);
    }
    std::vector<bool> answers = {true, false};
    std::unique_ptr<TIPPingWindow, FormDeleter> window(
        new TIPPingWindow(nullptr, "DVR", clients, [&](const std::string&) {
            const bool a = answers.front();
            answers.erase(answers.begin());
            return a;
        }));
    EXPECT_EQ(window->Caption(), "DVR    " + Utf8ToGbk("网络巡更"));
    ASSERT_EQ(window->lv_ServerList->Items()->Count(), 2);
    EXPECT_EQ(window->lv_ServerList->Items()->Item(1)->SubItems()->Get(0), "10.0.0.2");
    EXPECT_FALSE(window->pn_EditAddr->Visible());

    // Answered, then silent: an outage, which shows the window with the row selected.
    window->cb_AutoShow->SetChecked(true);
    window->cb_AutoShowClick(window->cb_AutoShow);
    window->Patrol().PingRow(0);
    window->ShowState();
    EXPECT_EQ(window->lv_ServerList->Items()->Item(0)->ImageIndex(), 1);
    EXPECT_FALSE(window->Visible());
    window->Patrol().PingRow(0);
    window->ShowState();
    EXPECT_EQ(window->lv_ServerList->Items()->Item(0)->ImageIndex(), 0);
    EXPECT_TRUE(window->Visible());
    EXPECT_TRUE(window->lv_ServerList->Items()->Item(0)->Selected());

    // The edit panel adds a row; delete takes the selected one.
    window->lv_ServerList->Items()->Item(0)->SetSelected(false);
    window->bt_AddIP->Click();
    EXPECT_TRUE(window->pn_EditAddr->Visible());
    EXPECT_FALSE(window->bt_DelIP->Enabled());
    window->ed_Name->SetText("Dock");
    window->ed_IP->SetText("10.0.0.3");
    window->bt_OK->Click();
    EXPECT_FALSE(window->pn_EditAddr->Visible());
    ASSERT_EQ(window->lv_ServerList->Items()->Count(), 3);
    EXPECT_EQ(window->lv_ServerList->Items()->Item(2)->Caption(), "Dock");
    window->lv_ServerList->Items()->Item(1)->SetSelected(true);
    window->bt_DelIP->Click();
    ASSERT_EQ(window->Patrol().Rows().size(), 2u);
    EXPECT_EQ(window->Patrol().Rows()[1].Name, "Dock");

    window->bt_Close->Click();
    EXPECT_FALSE(window->Visible());
    testing::DeleteHostSettings();
}

TEST(PingLogWindow, ListsOutagesAndClearsThem) {
    testing::DeleteHostSettings();
    const std::string folder = testing::FreshProgramFolder("netwin_pinglog");
    TArithmetic arithmetic;
    TSystemOtherSet other{arithmetic};
    TNetClientSet clients{arithmetic, other, 0};
    TIPPingForm patrol(clients, [](const std::string&) { return false; });
    TPingThread thread(patrol, folder);
    thread.AppendLog("Gate");
    thread.AppendLog("2026-12-10 08:00:00");
    std::unique_ptr<TPingLogWindow, FormDeleter> window(new TPingLogWindow(nullptr, "DVR", thread));
    ASSERT_EQ(window->lv_LogList->Items()->Count(), 1);
    EXPECT_EQ(window->lv_LogList->Items()->Item(0)->Caption(), "Gate");
    EXPECT_EQ(window->lv_LogList->Items()->Item(0)->SubItems()->Get(0), "2026-12-10 08:00:00");
    thread.AppendLog("Yard");
    thread.AppendLog("2026-12-10 09:00:00");
    window->bt_Refresh->Click();
    EXPECT_EQ(window->lv_LogList->Items()->Count(), 2);
    window->bt_Clear->Click();
    EXPECT_EQ(window->lv_LogList->Items()->Count(), 0);
    std::vector<std::string> lines;
    thread.ReadLog(lines);
    EXPECT_TRUE(lines.empty());
    thread.Stop();
    testing::DeleteHostSettings();
}

} // namespace
} // namespace vantrel
