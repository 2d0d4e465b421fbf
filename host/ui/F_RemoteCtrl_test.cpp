#include "host/ui/F_RemoteCtrl.h"
#include "host/ui/F_RemoteCtrlAlarmBox.h"
#include "host/ui/F_RemoteDiskViewForm.h"
#include "host/ui/F_RemoteWorkLogForm.h"

#include "host/engine/host_engine_testing.h"
#include "host/net/U_UDPMessageServer.h"
#include "host/net/U_UDPReplyWindows.h"
#include "host/net/udp_testing.h"
#include "host/net/udp_win_testing.h"
#include "host/net/remote_alarm_testing.h"

#include "common/win/textconv.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace vantrel {
namespace {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

using NoAlarms = vantrel::testing::NullRemoteAlarmHost;

TClientGroupRecord Group(const char* address, int port) {
    TClientGroupRecord g{};
    g.HostAddress.Set(address);
    g.Ports.Port[UDPMessageServerPort] = port;
    return g;
}

// The window against a real message server and request socket on loopback.
class RemoteCtrlTest : public ::testing::Test {
protected:
    void Open(std::vector<TClientGroupRecord> groups, unsigned timeoutMs = 5000) {
        TRemoteWindowHost h;
        h.Udp = &client;
        h.Groups = std::move(groups);
        h.DefaultPort = 57001;
        h.OwnIP = "127.0.0.1";
        h.ShowMessage = [this](const std::string& m) { messages.push_back(m); };
        h.ReplyTimeoutMs = timeoutMs;
        form = new TRemoteCtrlForm(nullptr, std::move(h));
        form->AfterConstruction();
        form->Show();
        windows.SetWindow(ReplyWindow::RemoteCtrl, form->WindowHandle(), &form->InfoArea);
    }
    void Connect() {
        form->cb_MainAddr->SetText("127.0.0.1");
        form->se_UDPMessageServerPort->SetText(std::to_string(server.Port()));
        form->sb_ConnectClick(form->sb_Connect);
        EXPECT_FALSE(form->Enabled());
        ASSERT_TRUE(testing::PumpMessagesUntil([&] { return form->Enabled(); }, 5000));
    }
    // Pumps until the server has noted `n` calls (or a short while has passed).
    void PumpCalls(size_t n) {
        testing::PumpMessagesUntil([&] { return host.calls.size() >= n; }, 2000);
    }
    ~RemoteCtrlTest() override {
        windows.SetWindow(ReplyWindow::RemoteCtrl, nullptr, nullptr);
        if (form) form->Free();
    }

    testing::FakeUdpHost host;
    TUDPMessageServer server{host, 0};
    TReplyWindowSet windows;
    NoAlarms alarms;
    TUDPMessageClient client{windows, alarms, 0};
    TRemoteCtrlForm* form = nullptr;
    std::vector<std::string> messages;
};

TEST_F(RemoteCtrlTest, AddressListAndPortComeFromTheConfiguredHosts) {
    Open({Group("", 1), Group("10.0.0.2", 58000), Group("10.0.0.3", 59000),
          Group("10.0.0.2", 60000)});
    ASSERT_EQ(form->cb_MainAddr->Items()->Count(), 2);
    EXPECT_EQ(form->cb_MainAddr->GetText(), "10.0.0.2");
    EXPECT_EQ(form->se_UDPMessageServerPort->GetText(), "58000");
    form->cb_MainAddr->SetText("10.9.9.9");
    form->cb_MainAddrChange(form->cb_MainAddr);
    EXPECT_EQ(form->se_UDPMessageServerPort->GetText(), "57001");
    for (TButton* b : form->ControlButtons)
        EXPECT_FALSE(b->Enabled());
}

TEST_F(RemoteCtrlTest, ConnectListsTheChannelsAndCommandsReachTheHost) {
    Open({});
    host.boards = 3;
    Connect();
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(form->TimedOut());
    ASSERT_EQ(form->lv_Channel->Items()->Count(), 3);
    EXPECT_EQ(form->lv_Channel->Items()->Item(2)->Caption(), "3");
    EXPECT_EQ(form->lv_Channel->Items()->Item(2)->SubItems()->Strings(0), "cam3");
    for (TButton* b : form->ControlButtons)
        EXPECT_TRUE(b->Enabled());
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(form->ChannelButtons[size_t(i)]->Enabled(), i < 4) << i;
    EXPECT_TRUE(form->dtp_Date->Enabled());

    // A channel command with nothing checked sends nothing.
    form->ChannelClick(form->ChannelButtons[0]);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], Utf8ToGbk("请选择通道。"));

    form->lv_Channel->Items()->Item(1)->SetChecked(true);
    form->ChannelClick(form->ChannelButtons[2]);
    PumpCalls(1);
    ASSERT_EQ(host.calls.size(), 1u);
    EXPECT_EQ(host.calls[0], "detect 1");
    EXPECT_EQ(messages.back(), Utf8ToGbk("控制已成功提交。"));

    // Select all, then the set-time command with the pickers' date and time.
    form->sb_SelectAllClick(form->sb_SelectAll);
    EXPECT_EQ(form->sb_SelectAll->Caption(), Utf8ToGbk("全清"));
    form->ChannelClick(form->ChannelButtons[0]);
    PumpCalls(4);
    EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "record 0"), 1);
    EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "record 2"), 1);
    form->sb_SelectAllClick(form->sb_SelectAll);
    EXPECT_FALSE(form->lv_Channel->Items()->Item(0)->Checked());
    EXPECT_EQ(form->sb_SelectAll->Caption(), Utf8ToGbk("全选"));

    const size_t before = host.calls.size();
    form->dtp_Date->SetDate(EncodeDateTime(2024, 3, 5));
    form->dtp_Time->SetTime(EncodeDateTime(1899, 12, 30, 13, 14, 15));
    form->ControlClick(form->ControlButtons[3]);
    PumpCalls(before + 1);
    ASSERT_EQ(host.calls.size(), before + 1);
    const std::string expected = "time " + std::to_string(EncodeDateTime(2024, 3, 5, 13, 14, 15));
    EXPECT_EQ(host.calls.back(), expected);
}

TEST_F(RemoteCtrlTest, SilentHostGivesUpWithTheFailureMessage) {
    Open({}, 300);
    testing::Peer quiet; // a port where nothing answers
    form->cb_MainAddr->SetText("127.0.0.1");
    form->se_UDPMessageServerPort->SetText(std::to_string(quiet.socket.LocalPort()));
    form->sb_ConnectClick(form->sb_Connect);
    EXPECT_FALSE(form->Enabled());
    ASSERT_TRUE(testing::PumpMessagesUntil([&] { return !messages.empty(); }, 3000));
    EXPECT_EQ(messages[0], Utf8ToGbk("连接失败！"));
    EXPECT_TRUE(form->Enabled());
    EXPECT_TRUE(form->TimedOut());
    EXPECT_EQ(form->lv_Channel->Items()->Count(), 0);
}

// The disk view against the same server: fixed drives with a size, in letter order.
TEST_F(RemoteCtrlTest, DiskViewShowsTheRemoteDrives) {
    TRemoteWindowHost h;
    h.Udp = &client;
    h.ShowMessage = [this](const std::string& m) { messages.push_back(m); };
    h.ReplyTimeoutMs = 300;
    auto* disk = new TRemoteDiskViewForm(nullptr, std::move(h));
    disk->AfterConstruction();
    disk->Show();
    windows.SetWindow(ReplyWindow::DiskView, disk->WindowHandle(), &disk->DiskArea);
    const uint64_t mb = 1024 * 1024;
    host.drives['A'] = {100 * mb, 50 * mb};
    host.drives['C'] = {1000 * mb, 333 * mb};
    host.drives['D'] = {0, 0};
    host.drives['Z'] = {30000000 * mb, 29999999 * mb}; // free x 100 beyond 32 bits
    disk->cb_MainAddr->SetText("127.0.0.1");
    disk->se_UDPMessageServerPort->SetText(std::to_string(server.Port()));
    disk->sb_ConnectClick(disk->sb_Connect);
    ASSERT_TRUE(
        testing::PumpMessagesUntil([&] { return disk->ListView->Items()->Count() > 0; }, 5000));
    EXPECT_TRUE(disk->Enabled());
    TListItems* rows = disk->ListView->Items();
    ASSERT_EQ(rows->Count(), 2);
    EXPECT_EQ(rows->Item(0)->Caption(), "C:\\");
    EXPECT_EQ(rows->Item(0)->SubItems()->Strings(0), "1000");
    EXPECT_EQ(rows->Item(0)->SubItems()->Strings(1), "333" + Utf8ToGbk("  比例：") + "33%");
    EXPECT_EQ(rows->Item(0)->SubItems()->Strings(2), "3");
    EXPECT_EQ(rows->Item(1)->Caption(), "Z:\\");
    EXPECT_EQ(rows->Item(1)->SubItems()->Strings(1), "29999999" + Utf8ToGbk("  比例：") + "100%");

    // No server: the give-up message.
    testing::Peer quiet;
    disk->se_UDPMessageServerPort->SetText(std::to_string(quiet.socket.LocalPort()));
    disk->sb_ConnectClick(disk->sb_Connect);
    EXPECT_EQ(rows->Count(), 0);
    ASSERT_TRUE(testing::PumpMessagesUntil([&] { return !messages.empty(); }, 3000));
    EXPECT_EQ(messages[0], Utf8ToGbk("连接失败！"));
    EXPECT_TRUE(disk->Enabled());
    windows.SetWindow(ReplyWindow::DiskView, nullptr, nullptr);
    disk->Free();
}

// The alarm box: a host row added in the window, the checked outputs switched on the host.
TEST_F(RemoteCtrlTest, AlarmBoxSwitchesTheCheckedOutputsOfTheChosenHost) {
    TRemoteWindowHost h;
    h.Udp = &client;
    h.Groups = {Group("10.0.0.2", 58000)};
    h.DefaultPort = server.Port();
    auto* box = new TRemoteCtrlAlarmBoxForm(nullptr, std::move(h));
    box->AfterConstruction();
    box->Show();
    ASSERT_EQ(box->lv_MainAddrList->Items()->Count(), 1);
    EXPECT_EQ(box->lv_MainAddrList->Items()->Item(0)->SubItems()->Strings(1), "58000");

    // Nothing selected: nothing sent.
    box->sb_OpenPortClick(box->sb_OpenPort);
    box->sb_AddAddrClick(box->sb_AddAddr);
    EXPECT_TRUE(box->pn_EditAddr->Visible());
    EXPECT_FALSE(box->lv_MainAddrList->Enabled());
    EXPECT_EQ(box->se_UDPMessageServerPort->GetText(), std::to_string(server.Port()));
    box->ed_Name->SetText("here");
    box->ed_Addr->SetText("127.0.0.1");
    box->se_UDPMessageServerPort->SetText("not a port"); // falls back to the default port
    box->sb_OKClick(box->sb_OK);
    EXPECT_FALSE(box->pn_EditAddr->Visible());
    ASSERT_EQ(box->lv_MainAddrList->Items()->Count(), 2);
    box->lv_MainAddrList->SetItemIndex(1);

    box->cb_COM->SetItemIndex(2);
    box->cb_Device->SetItemIndex(1);
    box->se_Addr->SetText("7");
    box->lv_AlarmBoxOutPort->Items()->Item(0)->SetChecked(true);
    box->lv_AlarmBoxOutPort->Items()->Item(15)->SetChecked(true);
    box->sb_OpenPortClick(box->sb_OpenPort);
    PumpCalls(1);
    ASSERT_EQ(host.calls.size(), 1u);
    EXPECT_EQ(host.calls[0], "outputs 1 2 7");
    EXPECT_EQ(host.outputs[0], 1);
    EXPECT_EQ(host.outputs[1], 0);
    EXPECT_EQ(host.outputs[15], 1);
    box->sb_ClosePortClick(box->sb_ClosePort);
    PumpCalls(2);
    ASSERT_EQ(host.calls.size(), 2u);
    EXPECT_EQ(host.outputs[15], 0);

    // Modify keeps the row count; cancel changes nothing.
    box->sb_ModifyAddrClick(box->sb_ModifyAddr);
    EXPECT_EQ(box->ed_Name->GetText(), "here");
    box->ed_Name->SetText("renamed");
    box->sb_CancelClick(box->sb_Cancel);
    EXPECT_EQ(box->lv_MainAddrList->Items()->Item(1)->Caption(), "here");
    box->sb_ModifyAddrClick(box->sb_ModifyAddr);
    box->ed_Name->SetText("renamed");
    box->sb_OKClick(box->sb_OK);
    ASSERT_EQ(box->lv_MainAddrList->Items()->Count(), 2);
    EXPECT_EQ(box->lv_MainAddrList->Items()->Item(1)->Caption(), "renamed");
    box->Free();
}

TEST(RemoteWorkLogBlocks, BusyDaysSplitIntoBlocksOfFifty) {
    struct Case {
        int records;
        std::vector<std::pair<int, int>> blocks;
    };
    for (const Case& c : std::vector<Case>{{50, {}},
                                           {51, {{0, 50}, {50, 1}}},
                                           {100, {{0, 50}, {50, 50}}},
                                           {120, {{0, 50}, {50, 50}, {100, 20}}}}) {
        std::vector<std::pair<int, int>> got;
        for (const TLogBlock& b : DayBlocks(c.records))
            got.push_back({b.Offset, b.Count});
        EXPECT_EQ(got, c.blocks) << c.records;
    }
}

TEST(RemoteWorkLogRows, NegativeChannelsShowEmptyCells) {
    TWorkLogRecord r{};
    r.Time = EncodeDateTime(2024, 3, 5, 13, 14, 15) + 7.0 / 86400000.0;
    r.Event = 1;
    r.HostChannel = 2;
    r.ClientChannel = -1;
    r.AlarmPoint = -1;
    r.UserName.Set("op");
    const auto cells = WorkLogRowCells(r);
    ASSERT_EQ(cells.size(), 8u);
    EXPECT_EQ(cells[0], "2024-03-05 13:14:15:007");
    EXPECT_EQ(cells[1], Utf8ToGbk("登录系统"));
    EXPECT_EQ(cells[2], "op");
    EXPECT_EQ(cells[3], "3");
    EXPECT_EQ(cells[4], "");
    EXPECT_EQ(cells[5], "");
}

// The work-log window against the server: the day tree, the blocks of a busy day and the rows
// of one block.
TEST_F(RemoteCtrlTest, WorkLogBrowsesDaysAndBlocks) {
    for (int i = 0; i < 130; ++i) {
        TWorkLogRecord r{};
        r.Time = EncodeDateTime(2024, i < 120 ? 2 : 3, i < 120 ? 28 : 1, 10, 0, 0);
        r.Event = uint8_t(i % 3);
        r.HostChannel = -1;
        r.ClientChannel = -1;
        r.AlarmPoint = int8_t(i % 100);
        host.log.push_back(r);
    }
    host.dayTimes = {EncodeDateTime(2024, 2, 28), EncodeDateTime(2024, 3, 1)};
    host.dayIndexes = {0, 120};

    TRemoteWindowHost h;
    h.Udp = &client;
    h.Groups = {Group("127.0.0.1", server.Port())}; // where the record queries go
    h.ShowMessage = [this](const std::string& m) { messages.push_back(m); };
    auto* log = new TRemoteWorkLogForm(nullptr, std::move(h));
    log->AfterConstruction();
    log->Show();
    windows.SetWindow(ReplyWindow::WorkLog, log->WindowHandle());
    windows.WorkLogGaveUp = [log] { return log->TimedOut(); };
    windows.WorkLogStatusClear = [log] { log->ClearStatus(); };
    windows.WorkLogRowAdd = [log](const TWorkLogRecord& r) { log->AddRecordRow(r); };
    windows.WorkLogDaysFill = [log](int total,
                                    const std::vector<std::pair<std::string, int>>& days) {
        log->RecordTotal = total;
        std::vector<std::string> texts;
        std::vector<int> firsts;
        for (const auto& d : days) {
            texts.push_back(d.first);
            firsts.push_back(d.second);
        }
        log->FillDayTree(texts, firsts);
    };

    EXPECT_EQ(log->cb_MainAddr->GetText(), "127.0.0.1");
    log->sb_ConnectClick(log->sb_Connect);
    EXPECT_EQ(log->StatusBar->SimpleText(), Utf8ToGbk("正在连接中，请稍候！"));
    ASSERT_TRUE(testing::PumpMessagesUntil(
        [&] { return log->Enabled() && log->tv_LogDayList->Items()->Count() > 0; }, 5000));
    EXPECT_EQ(log->RecordTotal, 130);
    TTreeNodes* nodes = log->tv_LogDayList->Items();
    ASSERT_EQ(nodes->Count(), 5); // a year, two months, two days
    TTreeNode* year = nodes->Item(0);
    EXPECT_EQ(year->Text(), "2024");
    ASSERT_EQ(year->Count(), 2); // February and March
    EXPECT_EQ(year->Item(0)->Text(), "02");
    TTreeNode* busyDay = year->Item(0)->Item(0);
    EXPECT_EQ(busyDay->Text(), "2024-02-28");

    log->tv_LogDayListChange(log->tv_LogDayList, busyDay);
    ASSERT_EQ(busyDay->Count(), 3);
    EXPECT_EQ(busyDay->Item(0)->Text(), "1--50");
    EXPECT_EQ(busyDay->Item(2)->Text(), "101--120");
    EXPECT_EQ(log->lv_LogRecordList->Items()->Count(), 0); // nothing asked yet

    log->tv_LogDayListChange(log->tv_LogDayList, busyDay->Item(2));
    ASSERT_TRUE(testing::PumpMessagesUntil(
        [&] {
            return log->lv_LogRecordList->Items()->Count() >= 20 && !log->TimedOut() &&
                   log->StatusBar->SimpleText().empty();
        },
        5000));
    testing::PumpMessagesUntil([] { return false; }, 200);
    ASSERT_EQ(log->lv_LogRecordList->Items()->Count(), 20);
    EXPECT_EQ(log->lv_LogRecordList->Items()->Item(0)->SubItems()->Strings(4), "0"); // record 100

    // The quiet day is fetched at once.
    log->tv_LogDayListChange(log->tv_LogDayList, year->Item(1)->Item(0));
    ASSERT_TRUE(testing::PumpMessagesUntil(
        [&] { return log->lv_LogRecordList->Items()->Count() >= 10; }, 5000));
    testing::PumpMessagesUntil([] { return false; }, 200);
    EXPECT_EQ(log->lv_LogRecordList->Items()->Count(), 10);
    EXPECT_TRUE(messages.empty());
    const auto lines = log->PrintLines("2024-03-05 10:00:00");
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines[1], " ");
    EXPECT_EQ(lines[2].rfind("2024-03-01 10:00:00:000  " + Utf8ToGbk("启动系统") + "  ", 0), 0u);
    log->sb_PrintClick(log->sb_Print); // no printer here: nothing happens
    windows.SetWindow(ReplyWindow::WorkLog, nullptr);
    windows.WorkLogRowAdd = nullptr;
    windows.WorkLogDaysFill = nullptr;
    log->Free();
}

TEST_F(RemoteCtrlTest, WorkLogSilentHostGivesUp) {
    TRemoteWindowHost h;
    h.Udp = &client;
    h.ShowMessage = [this](const std::string& m) { messages.push_back(m); };
    h.ReplyTimeoutMs = 300;
    auto* log = new TRemoteWorkLogForm(nullptr, std::move(h));
    log->AfterConstruction();
    log->Show();
    testing::Peer quiet;
    log->cb_MainAddr->SetText("127.0.0.1");
    log->se_UDPMessageServerPort->SetText(std::to_string(quiet.socket.LocalPort()));
    log->sb_ConnectClick(log->sb_Connect);
    EXPECT_FALSE(log->Enabled());
    ASSERT_TRUE(testing::PumpMessagesUntil([&] { return !messages.empty(); }, 3000));
    EXPECT_EQ(messages[0], Utf8ToGbk("连接失败！"));
    EXPECT_TRUE(log->TimedOut());
    EXPECT_TRUE(log->Enabled());
    EXPECT_TRUE(log->StatusBar->SimpleText().empty());
    log->Free();
}

} // namespace
} // namespace vantrel
