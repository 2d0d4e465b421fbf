#include "host/net/F_IPPingForm.h"
#include "host/net/F_PingLog.h"
#include "host/net/T_PingThread.h"

#include "host/engine/host_engine_testing.h"
#include "host/net/U_SocketNotify.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <mutex>

namespace vantrel {
namespace {

constexpr TPingTiming kQuick{5, 5};

// A probe that answers by script per host: each ping takes the next outcome, and the last
// one repeats.
struct ScriptedProbe {
    std::mutex lock;
    std::map<std::string, std::vector<bool>> script;
    std::vector<std::string> calls;
    std::function<void(const std::string&)> during;

    TPingProbe Probe() {
        return [this](const std::string& host) {
            if (during) during(host);
            std::lock_guard<std::mutex> hold(lock);
            const size_t n = static_cast<size_t>(std::count(calls.begin(), calls.end(), host));
            calls.push_back(host);
            const auto& outcomes = script[host];
            return outcomes.empty() ? false : outcomes[std::min(n, outcomes.size() - 1)];
        };
    }
    std::vector<std::string> Calls() {
        std::lock_guard<std::mutex> hold(lock);
        return calls;
    }
    size_t CallsTo(const std::string& host) {
        auto c = Calls();
        return static_cast<size_t>(std::count(c.begin(), c.end(), host));
    }
};

class PatrolTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::DeleteHostSettings();
        folder_ = testing::FreshProgramFolder("netsvc_patrol");
    }
    void TearDown() override { testing::DeleteHostSettings(); }

    void AddGroup(const char* name, const char* address) {
        TClientGroup g;
        g.Name.Set(name);
        g.HostAddress.Set(address);
        clients_.Groups.push_back(g);
    }
    std::vector<std::string> LogLines(TPingThread& thread) {
        std::vector<std::string> lines;
        thread.ReadLog(lines);
        return lines;
    }

    std::string folder_;
    TArithmetic arithmetic_;
    TSystemOtherSet other_{arithmetic_};
    TNetClientSet clients_{arithmetic_, other_, 0};
};

TEST_F(PatrolTest, RowsComeFromGroupsOncePerAddress) {
    AddGroup("North", "10.0.0.1");
    AddGroup("Depot", "");
    AddGroup("North again", "10.0.0.1");
    AddGroup("South", "10.0.0.2");
    TIPPingForm form(clients_, [](const std::string&) { return false; });
    const auto rows = form.Rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].Name, "North");
    EXPECT_EQ(rows[1].Address, "10.0.0.2");
    EXPECT_EQ(rows[0].Picture, PingPicture::None);
}

TEST_F(PatrolTest, OneOutageLoggedPerStepFromAnsweringToSilent) {
    AddGroup("Gate", "10.0.0.1");
    AddGroup("Dead", "10.0.0.2");
    ScriptedProbe probe;
    probe.script["10.0.0.1"] = {true, false, false, false};
    TIPPingForm form(clients_, probe.Probe());
    TPingThread thread(form, folder_, kQuick);
    form.AttachThread(&thread);
    std::vector<int> shown;
    form.OnOutageShown = [&](int row) { shown.push_back(row); };
    form.cb_AutoShow = true;

    // Idle until the start box is ticked.
    ::Sleep(100);
    EXPECT_TRUE(probe.Calls().empty());
    EXPECT_TRUE(LogLines(thread).empty());
    form.cb_StopPingClick(true);
    ASSERT_TRUE(PumpUntil([&] { return probe.CallsTo("10.0.0.1") >= 4; }, 5000));
    form.cb_StopPingClick(false);
    thread.Stop();

    const auto lines = LogLines(thread);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "Gate");
    EXPECT_FALSE(lines[1].empty());
    EXPECT_EQ(shown, std::vector<int>{0});
    EXPECT_TRUE(form.Visible);
    EXPECT_EQ(form.Selected, 0);
    const auto rows = form.Rows();
    EXPECT_EQ(rows[0].Picture, PingPicture::Silent);
    EXPECT_EQ(rows[1].Picture, PingPicture::Silent); // never answered: never logged
}

TEST_F(PatrolTest, ClearingTheBoxStopsAfterTheCurrentHostAndTickingStartsOver) {
    AddGroup("A", "10.0.0.1");
    AddGroup("B", "10.0.0.2");
    AddGroup("C", "10.0.0.3");
    ScriptedProbe probe;
    TIPPingForm* formRef = nullptr;
    probe.during = [&](const std::string& host) {
        if (host == "10.0.0.2" && probe.CallsTo("10.0.0.2") == 0) formRef->cb_StopPingClick(false);
    };
    TIPPingForm form(clients_, probe.Probe());
    formRef = &form;
    TPingThread thread(form, folder_, kQuick);
    form.AttachThread(&thread);
    form.cb_StopPingClick(true);
    ASSERT_TRUE(PumpUntil([&] { return probe.Calls().size() >= 2; }, 3000));
    ::Sleep(200);
    EXPECT_EQ(probe.Calls(), (std::vector<std::string>{"10.0.0.1", "10.0.0.2"}));

    form.cb_StopPingClick(true);
    ASSERT_TRUE(PumpUntil([&] { return probe.Calls().size() >= 5; }, 3000));
    const auto calls = probe.Calls();
    EXPECT_EQ(std::vector<std::string>(calls.begin() + 2, calls.begin() + 5),
              (std::vector<std::string>{"10.0.0.1", "10.0.0.2", "10.0.0.3"}));
}

TEST_F(PatrolTest, LoopbackAnswersAnEchoAndAHostThatFallsSilentIsLogged) {
    TIcmpClient icmp(500);
    ASSERT_TRUE(icmp.Ping("127.0.0.1"));
    EXPECT_FALSE(icmp.Ping("")); // cannot be resolved: the ping itself fails

    AddGroup("Loopback", "127.0.0.1");
    std::atomic<bool> reachable{true};
    TIPPingForm form(clients_, [&](const std::string& host) {
        return icmp.Ping(reachable ? host : std::string());
    });
    TPingThread thread(form, folder_, kQuick);
    form.AttachThread(&thread);
    form.cb_StopPingClick(true);
    ASSERT_TRUE(PumpUntil([&] { return form.Rows()[0].Picture == PingPicture::Answered; }, 5000));
    reachable = false;
    ASSERT_TRUE(PumpUntil([&] { return LogLines(thread).size() == 2; }, 5000));
    thread.Stop();
    EXPECT_EQ(LogLines(thread)[0], "Loopback");
    EXPECT_FALSE(form.Visible); // without auto-show the window stays as it was
}

TEST_F(PatrolTest, LogViewerPairsLinesAndClearLeavesAnEmptyFile) {
    TIPPingForm form(clients_, [](const std::string&) { return false; });
    TPingThread thread(form, folder_, kQuick);
    EXPECT_EQ(thread.LogPath(), folder_ + "Ping\\PingLog.txt");
    EXPECT_NE(::GetFileAttributesA(thread.LogPath().c_str()), INVALID_FILE_ATTRIBUTES);
    for (const char* line : {"Gate", "2026-12-10 10:00:00", "\xB4\xF3\xC3\xC5", "t2"})
        thread.AppendLog(line);

    TPingLogForm viewer(thread);
    ASSERT_EQ(viewer.lv_LogList.size(), 2u);
    EXPECT_EQ(viewer.lv_LogList[0].Host, "Gate");
    EXPECT_EQ(viewer.lv_LogList[0].Time, "2026-12-10 10:00:00");
    EXPECT_EQ(viewer.lv_LogList[1].Host, "\xB4\xF3\xC3\xC5");
    thread.AppendLog("Half");
    viewer.bt_RefreshClick();
    ASSERT_EQ(viewer.lv_LogList.size(), 3u);
    EXPECT_EQ(viewer.lv_LogList[2].Time, "");

    viewer.bt_ClearClick();
    EXPECT_TRUE(viewer.lv_LogList.empty());
    std::ifstream f(thread.LogPath(), std::ios::binary);
    ASSERT_TRUE(f.good());
    EXPECT_EQ(f.peek(), std::char_traits<char>::eof());
    viewer.bt_RefreshClick();
    EXPECT_TRUE(viewer.lv_LogList.empty());

    // A thread made later keeps an existing log.
    thread.AppendLog("Kept");
    TPingThread again(form, folder_, kQuick);
    EXPECT_EQ(LogLines(again), std::vector<std::string>{"Kept"});
}

TEST_F(PatrolTest, WindowAndThreadMayGoInEitherOrderWhilePatrolling) {
    AddGroup("North", "10.0.0.1");
    std::atomic<int> pings{0};
    auto probe = [&](const std::string&) {
        ++pings;
        return true;
    };
    for (bool windowFirst : {true, false}) {
        pings = 0;
        auto form = std::make_unique<TIPPingForm>(clients_, probe);
        auto thread = std::make_unique<TPingThread>(*form, folder_, kQuick);
        form->AttachThread(thread.get());
        form->cb_StopPingClick(true);
        ASSERT_TRUE(PumpUntil([&] { return pings > 2; }, 3000)) << windowFirst;
        if (windowFirst) {
            form.reset(); // stops the thread first
            const int after = pings;
            ::Sleep(50);
            EXPECT_EQ(pings, after);
            thread.reset();
        } else {
            thread.reset();
            form->cb_StopPingClick(true); // nothing left to start
            form.reset();
        }
    }
}

TEST_F(PatrolTest, EditingTheList) {
    AddGroup("North", "10.0.0.1");
    TIPPingForm form(clients_, [](const std::string&) { return false; });
    form.bt_AddIPClick();
    EXPECT_TRUE(form.pn_EditAddrVisible);
    EXPECT_FALSE(form.ControlsEnabled);
    EXPECT_EQ(form.ed_Name, "");
    form.ed_Name = "Yard";
    form.ed_IP = "10.0.0.9";
    form.bt_OKClick();
    EXPECT_TRUE(form.ControlsEnabled);
    EXPECT_FALSE(form.pn_EditAddrVisible);
    ASSERT_EQ(form.RowCount(), 2);
    EXPECT_EQ(form.Rows()[1].Address, "10.0.0.9");

    form.Selected = 0;
    form.bt_AddIPClick();
    EXPECT_EQ(form.ed_Name, "North"); // the selected row's values to start from
    EXPECT_EQ(form.ed_IP, "10.0.0.1");
    form.bt_CancelClick();
    EXPECT_EQ(form.RowCount(), 2);
    EXPECT_EQ(form.EditMode, 0);

    form.bt_DelIPClick();
    ASSERT_EQ(form.RowCount(), 1);
    EXPECT_EQ(form.Rows()[0].Name, "Yard");
    form.bt_DelIPClick(); // nothing selected any more
    EXPECT_EQ(form.RowCount(), 1);
}

} // namespace
} // namespace vantrel
