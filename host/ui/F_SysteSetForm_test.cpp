#include "host/ui/F_SysteSetForm.h"

#include "host/engine/host_engine_testing.h"
#include "host/engine/host_settings_testing.h"
#include "host/net/U_UDPMessageServer.h"
#include "host/net/U_UDPReplyWindows.h"
#include "host/net/U_UDPServerEngineHost.h"
#include "host/net/remote_alarm_testing.h"
#include "host/ui/U_DialogControls.h"
#include "host/ui/window_shot_testing.h"

#include "common/win/textconv.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace vantrel {
namespace {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

template <typename T> std::vector<uint8_t> Bytes(const T& v) {
    const auto* p = reinterpret_cast<const uint8_t*>(&v);
    return std::vector<uint8_t>(p, p + sizeof v);
}

class SettingsDialogTest : public ::testing::Test {
protected:
    SettingsDialogTest() {
        testing::DeleteHostSettings();
        testing::DeleteSettingsKeys();
        folder = testing::FreshProgramFolder("host_ui_settings");
        arithmetic = std::make_unique<TArithmetic>();
        other = std::make_unique<TSystemOtherSet>(*arithmetic);
        checks = std::make_unique<TClientCheckSet>(folder, nullptr);
        previews = std::make_unique<TPreviewSet>(card);
        captures = std::make_unique<TCaptureSet>(card);
        alarms = std::make_unique<TAlarmSet>(4);
        autos = std::make_unique<TAutoSet>();
        yuntai = std::make_unique<TYunTaiSet>(folder);
    }
    ~SettingsDialogTest() override {
        if (form) form->Free();
        testing::DeleteHostSettings();
        testing::DeleteSettingsKeys();
    }
    TSystemSetHost Host() {
        TSystemSetHost h;
        h.BoardChannels = 4;
        h.PreviewSet = previews.get();
        h.CaptureSet = captures.get();
        h.AlarmSet = alarms.get();
        h.AutoSet = autos.get();
        h.YunTaiSet = yuntai.get();
        h.DogSet = &dog;
        h.CheckSet = checks.get();
        h.OtherSet = other.get();
        h.Arithmetic = arithmetic.get();
        h.ShowMessage = [this](const std::string& m) { messages.push_back(m); };
        h.PickChannels = [this](const std::vector<std::string>&) { return picked; };
        h.Card = &card;
        return h;
    }
    void Open(TSystemSetHost h, bool remote = false) {
        form = new TSystemSetForm(nullptr, std::move(h));
        form->AfterConstruction();
        form->RemoteMode = remote;
        form->Show();
    }
    void Select(int row) {
        form->lv_Channel->SetItemIndex(row);
        form->lv_ChannelSelectItem(form->lv_Channel, form->lv_Channel->Selected(), true);
    }

    std::string folder;
    testing::FakeVideoCard card;
    std::unique_ptr<TArithmetic> arithmetic;
    std::unique_ptr<TSystemOtherSet> other;
    std::unique_ptr<TClientCheckSet> checks;
    std::unique_ptr<TPreviewSet> previews;
    std::unique_ptr<TCaptureSet> captures;
    std::unique_ptr<TAlarmSet> alarms;
    std::unique_ptr<TAutoSet> autos;
    std::unique_ptr<TYunTaiSet> yuntai;
    TDogSet dog;
    TSystemSetForm* form = nullptr;
    std::vector<std::string> messages;
    std::vector<int> picked;
};

TEST_F(SettingsDialogTest, EachPageStoresBackTheBytesItLoaded) {
    previews->Records[1].Title.Set(Utf8ToGbk("大门"));
    previews->Records[1].MaskOn = 1;
    previews->Records[1].DateTimeX = 40;
    captures->Records[1].FrameRate = 12;
    captures->Records[1].QualityLevel = 2; // its table row: 15, 20, 15, 301
    captures->Records[1].FirstDrive = 'E';
    captures->Records[1].LastDrive = 'F';
    alarms->Records[1].MotionOn = 1;
    alarms->Records[1].UploadAddressCount = 2;
    alarms->Records[1].UploadAddresses[0].Set("10.0.0.1");
    alarms->Records[1].UploadAddresses[1].Set("10.0.0.2");
    alarms->Records[1].UploadAddressOn[1] = 1;
    alarms->Records[1].InputNames[3].Set(Utf8ToGbk("门磁"));
    auto& day = autos->Records[1].Days[0];
    day.RangeCount = 1;
    day.StartDate[0] = (8 * 3600) / 86400.0;
    day.EndDate[0] = (17 * 3600 + 30 * 60) / 86400.0;
    day.StartTime[0] = 80000;
    day.EndTime[0] = 173000;
    day.WorkType[0] = 4;
    yuntai->Settings.Entries[6].Enabled = 1;
    yuntai->Settings.Entries[6].BaudRate = 9600;
    yuntai->Settings.Entries[6].Port = 2;
    yuntai->Settings.Entries[6].Address = 7;
    yuntai->Settings.Entries[6].Protocol = 9; // beyond the protocol file: kept
    dog.Record.CardDogOn = 1;
    dog.Record.CardDogPort = 3;
    dog.Record.HangRestart = 1;
    other->Record.TimedRestart = 1;
    other->Record.RestartDays = 3;
    other->Record.NameServerAddress.Set("ns.example");
    Open(Host());
    Select(1);

    struct Case {
        const char* name;
        std::function<std::vector<uint8_t>()> bytes;
        std::function<void()> load, store;
    };
    TSystemSetForm* f = form;
    const std::vector<Case> cases = {
        {"picture", [f] { return Bytes(f->PreviewRecords[1]); }, [f] { f->LoadPreviewPage(1); },
         [f] { f->StorePreviewPage(1); }},
        {"recording", [f] { return Bytes(f->CaptureRecords[1]); }, [f] { f->LoadCapturePage(1); },
         [f] { f->StoreCapturePage(1); }},
        {"alarm", [f] { return Bytes(f->AlarmRecords[1]); }, [f] { f->LoadAlarmPage(1); },
         [f] { f->StoreAlarmPage(1); }},
        {"schedule", [f] { return Bytes(f->AutoRecords[1]); }, [f] { f->LoadScheduleDay(1, 0); },
         [f] { f->StoreScheduleDay(1, 0); }},
        {"ptz", [f] { return Bytes(f->PtzRecord); }, [f] { f->LoadPtzPage(); },
         [f] { f->StorePtzPage(); }},
        {"dog", [f] { return Bytes(f->DogRecord); }, [f] { f->LoadDogPage(); },
         [f] { f->StoreDogPage(); }},
        {"other", [f] { return Bytes(f->OtherRecord); }, [f] { f->LoadOtherPage(); },
         [f] { f->StoreOtherPage(); }},
        {"ports", [f] { return Bytes(f->PortTable); }, [f] { f->LoadPortsPage(); },
         [f] { f->StorePortsPage(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto before = c.bytes();
        c.load();
        c.store();
        EXPECT_EQ(c.bytes(), before);
    }
    EXPECT_EQ(form->PreviewRecords[1].Title.Get(), Utf8ToGbk("大门"));
    EXPECT_EQ(form->lv_YTSetList->Items()->Item(0)->Caption(), "007");
}

TEST_F(SettingsDialogTest, OkSavesEditsToRegistryAndCancelChangesNothing) {
    Open(Host());
    Select(2);
    form->se_FrameRate->SetText("7");
    form->cb_LockSystemKey->SetChecked(true);
    form->rb_D1QualityCap->SetChecked(true); // chosen by the operator: 600 MB
    EXPECT_EQ(form->se_MaxFileSize->GetText(), "600");
    form->bt_CancelClick(form->bt_Cancel);
    EXPECT_EQ(form->ModalResult(), 2);
    EXPECT_EQ(TCaptureSet(card).Records[2].FrameRate, captures->Records[2].FrameRate);
    form->Free();
    form = nullptr;

    std::string ownIP;
    TSystemSetHost h = Host();
    h.LocalIPs = {"192.168.1.5", "10.0.0.5"};
    h.SetOwnIP = [&](const std::string& ip) { ownIP = ip; };
    Open(std::move(h));
    Select(2);
    EXPECT_EQ(form->se_MaxFileSize->GetText(), "200"); // loading keeps the stored size
    form->se_FrameRate->SetText("7");
    form->ed_ChannelName->SetText("gate");
    form->bt_OKClick(form->bt_OK);
    EXPECT_EQ(form->ModalResult(), 1);
    EXPECT_TRUE(form->CanClose);
    TCaptureSet reloaded(card);
    EXPECT_EQ(reloaded.Records[2].FrameRate, 7);
    TPreviewSet reloadedPreview(card);
    EXPECT_EQ(reloadedPreview.Records[2].Title.Get(), "gate");
    EXPECT_EQ(ownIP, "192.168.1.5");
}

TEST_F(SettingsDialogTest, PageSaveReachesSettingsObjectAndBadDrivesAreRefused) {
    for (int c : {0, 2, 3})
        captures->Records[c].FirstDrive = captures->Records[c].LastDrive = 'D';
    int applied = -1;
    TSystemSetHost h = Host();
    h.ApplyPage = [&](int page) { applied = page; };
    Open(std::move(h));
    Select(1);
    form->pc_SystemSet->SetActivePageIndex(TSystemSetForm::PageCapture);
    form->se_FrameRate->SetText("9");
    form->cb_FromDisk->SetItemIndex(3); // G
    form->cb_ToDisk->SetItemIndex(1);   // E: first above last
    form->bt_ApplicationClick(form->bt_Application);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], Utf8ToGbk("对不起！发现存盘设置错误现象，请重新设置。"));
    EXPECT_EQ(applied, -1);

    form->cb_FromDisk->SetItemIndex(0); // D..H contains row 0's D..D
    form->cb_ToDisk->SetItemIndex(4);
    form->bt_ApplicationClick(form->bt_Application);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1], Utf8ToGbk("对不起！发现存盘设置有交叉（或包含）现象，请重新设置。"));
    EXPECT_EQ(TCaptureSet(card).Records[1].FrameRate, 25); // nothing saved

    form->cb_FromDisk->SetItemIndex(1); // E..H
    form->bt_ApplicationClick(form->bt_Application);
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_EQ(captures->Records[1].FrameRate, 9); // reloaded into the settings object
    EXPECT_EQ(captures->Records[1].FirstDrive, 'E');
    EXPECT_EQ(applied, TSystemSetForm::PageCapture);

    // The other page goes to the registry value and back into its settings object.
    form->pc_SystemSet->SetActivePageIndex(TSystemSetForm::PageOther);
    form->ed_LocalName->SetText("  desk 1  ");
    form->bt_ApplicationClick(form->bt_Application);
    EXPECT_EQ(other->Record.RegisteredName.Get(), "desk 1");
    TSystemOtherSet fresh(*arithmetic);
    fresh.Reload();
    EXPECT_EQ(fresh.Record.RegisteredName.Get(), "desk 1");
}

TEST_F(SettingsDialogTest, ChannelSwitchKeepsEditsAndCopyKeepsTargetNames) {
    previews->Records[0].Title.Set("a");
    previews->Records[3].Title.Set("d");
    Open(Host());
    Select(0);
    form->cb_ShowChannelTime->SetChecked(false);
    form->cb_PutBlock->SetChecked(true);
    form->ed_ChannelName->SetText("front");
    Select(3);
    EXPECT_EQ(form->ed_ChannelName->GetText(), "d");
    Select(0);
    EXPECT_EQ(form->ed_ChannelName->GetText(), "front");
    EXPECT_TRUE(form->cb_PutBlock->Checked());

    picked = {2, 3};
    auto* copy = new TButton(nullptr);
    copy->SetTag(TSystemSetForm::PagePreview);
    form->CopyToClick(copy);
    EXPECT_EQ(form->PreviewRecords[3].Title.Get(), "d");
    EXPECT_EQ(form->PreviewRecords[3].MaskOn, 1);
    EXPECT_EQ(form->PreviewRecords[2].ShowDateTime, 0);

    form->AlarmRecords[3].LinkedChannels[3] = 1;
    form->cb_VideoLostAlarm->SetChecked(true);
    form->lv_RelatingCapture->Items()->Item(0)->SetChecked(false);
    copy->SetTag(TSystemSetForm::PageAlarm);
    form->CopyToClick(copy);
    EXPECT_EQ(form->AlarmRecords[3].VideoLossOn, 1);
    EXPECT_EQ(form->AlarmRecords[3].LinkedChannels[3], 1); // kept
    copy->Free();
}

TEST_F(SettingsDialogTest, RemoteConnectGivesUpAfterTheTimeOut) {
    struct NoServer : TUdpSender {
        int sent = 0;
        void SendTo(const void*, int, int, const std::string&) override { ++sent; }
    } udp;
    TSystemSetHost h = Host();
    h.Udp = &udp;
    h.ReplyTimeoutMs = 200;
    Open(std::move(h), true);
    EXPECT_FALSE(form->pc_SystemSet->Enabled());
    EXPECT_FALSE(form->Sheets[TSystemSetForm::PagePorts]->TabVisible());
    form->cb_RemoteMainAddr->SetText("127.0.0.1");
    form->sb_ConnectClick(form->sb_Connect);
    EXPECT_EQ(udp.sent, 1);
    ASSERT_TRUE(testing::PumpMessagesUntil([&] { return !messages.empty(); }, 3000));
    EXPECT_EQ(messages[0], Utf8ToGbk("连接超时！"));
    EXPECT_FALSE(form->pc_SystemSet->Enabled());
    EXPECT_TRUE(form->ReplyClosed);
}

TEST_F(SettingsDialogTest, PtzAndRemoteUserListsAreEditedAndSaved) {
    Open(Host());
    auto addPtz = [&](int number) {
        form->sb_YTAddClick(form->sb_YTAdd);
        form->se_YTPort->SetText(std::to_string(number));
        form->cb_YTBaudrate->SetText("4800");
        form->cb_YTCOM->SetItemIndex(2);
        form->se_YTAddress->SetText("9");
        form->sb_YTOKClick(form->sb_YTOK);
    };
    addPtz(5);
    EXPECT_FALSE(form->pn_YTEditPannel->Visible());
    addPtz(5);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], Utf8ToGbk("对不起！本通道云台已设置！"));
    EXPECT_TRUE(form->pn_YTEditPannel->Visible());
    form->sb_YTCancelClick(form->sb_YTCancel);
    form->StorePtzPage();
    EXPECT_EQ(form->PtzRecord.Entries[4].Enabled, 1);
    EXPECT_EQ(form->PtzRecord.Entries[4].BaudRate, 4800);
    EXPECT_EQ(form->PtzRecord.Entries[4].Port, 2);
    EXPECT_EQ(form->PtzRecord.Entries[4].Address, 9);

    // A new remote user is not in use until ticked; its rights come from the defaults.
    form->sb_UserAddClick(form->sb_UserAdd);
    form->ed_CheckUserName->SetText("viewer");
    form->ed_CheckPassword->SetText("pw");
    form->sb_PasswordCheckOKClick(form->sb_PasswordCheckOK);
    ASSERT_EQ(form->RemoteUsers.size(), 1u);
    TRemoteUserRecord expected{};
    TClientCheckSet::SetUserDefaults(expected);
    EXPECT_EQ(form->RemoteUsers[0].InUse, 0);
    EXPECT_EQ(Bytes(form->RemoteUsers[0].Rights), Bytes(expected.Rights));
    // Refuse right 3 in the tree; it is stored when the page is saved.
    form->LoadUserRights(0);
    TTreeNode* right3 = form->tv_UserPowerTree->Items()->GetFirstNode()->Item(3);
    const int before = right3->ImageIndex();
    TSystemSetForm::ToggleRightsNode(right3);
    EXPECT_NE(right3->ImageIndex(), before);
    TSystemSetForm::ToggleRightsNode(form->tv_UserPowerTree->Items()->GetFirstNode());
    EXPECT_EQ(form->tv_UserPowerTree->Items()->GetFirstNode()->ImageIndex(), 2);
    form->lv_UserCheckList->Items()->Item(0)->SetChecked(true);
    form->pc_SystemSet->SetActivePageIndex(TSystemSetForm::PageAuth);
    form->lv_Channel->SetItemIndex(0);
    form->bt_ApplicationClick(form->bt_Application);
    auto lists = checks->Current();
    ASSERT_EQ(lists->Users.size(), 1u);
    EXPECT_EQ(lists->Users[0].InUse, 1);
    EXPECT_EQ(lists->Users[0].UserName.Get(), "viewer");
    EXPECT_EQ(lists->Users[0].Rights[3].Enabled, before == 1 ? 0 : 1);

    form->sb_UserDelClick(form->sb_UserDel);
    EXPECT_TRUE(form->RemoteUsers.empty());
}

TEST_F(SettingsDialogTest, ScheduleSlotsAndUploadAddressesReachTheRecord) {
    std::vector<int> days = {0, 1};
    TSystemSetHost h = Host();
    h.PickWeekDays = [&] { return days; };
    Open(std::move(h));
    Select(1);
    form->sb_AutoAddClick(form->sb_AutoAdd);
    form->dtp_AutoStart->SetDateTime((6 * 3600 + 30 * 60) / 86400.0);
    form->dtp_AutoEnd->SetDateTime((22 * 3600) / 86400.0);
    form->cb_AutoWorkType->SetItemIndex(6);
    form->sb_AutoEditOKClick(form->sb_AutoEditOK);
    ASSERT_EQ(form->lv_AutoSetList->Items()->Count(), 1);
    EXPECT_EQ(form->lv_AutoSetList->Items()->Item(0)->Caption(), "06:30:00");
    // Monday copied to Monday and Tuesday: Tuesday equals it, Monday unchanged.
    form->sb_CopyAutoToDayClick(nullptr);
    const TAutoDayBlock& monday = form->AutoRecords[1].Days[0];
    EXPECT_EQ(monday.RangeCount, 1);
    EXPECT_EQ(monday.StartTime[0], 63000);
    EXPECT_EQ(monday.EndTime[0], 220000);
    EXPECT_EQ(monday.WorkType[0], 6);
    EXPECT_EQ(Bytes(form->AutoRecords[1].Days[1]), Bytes(monday));
    EXPECT_EQ(form->AutoRecords[1].Days[2].RangeCount, 0);

    // Empty addresses are refused; at most 50 are stored.
    form->sb_AlarmUpAddClick(form->sb_AlarmUpAdd);
    form->sb_AlarmUpOKClick(form->sb_AlarmUpOK);
    EXPECT_TRUE(form->pn_AlarmUpPanel->Visible());
    form->sb_AlarmUpCancelClick(form->sb_AlarmUpCancel);
    for (int i = 0; i < 51; ++i) {
        form->sb_AlarmUpAddClick(form->sb_AlarmUpAdd);
        form->ed_AlarmUpAddr->SetText("10.1.0." + std::to_string(i));
        form->sb_AlarmUpOKClick(form->sb_AlarmUpOK);
    }
    EXPECT_EQ(form->lv_AlarmUpIPList->Items()->Count(), 51);
    form->StoreAlarmPage(1);
    EXPECT_EQ(form->AlarmRecords[1].UploadAddressCount, 50);
    EXPECT_EQ(form->AlarmRecords[1].UploadAddresses[49].Get(), "10.1.0.49");
    EXPECT_EQ(form->AlarmRecords[1].UploadAddressOn[49], 1);

    // A shorter SMS text does not leave the tail of the longer one behind.
    form->ed_SMCSMsg->SetText("fire in hall 3");
    form->StoreAlarmPage(1);
    form->ed_SMCSMsg->SetText("fire");
    form->StoreAlarmPage(1);
    form->LoadAlarmPage(1);
    EXPECT_EQ(form->ed_SMCSMsg->GetText(), "fire");
}

TEST_F(SettingsDialogTest, RemoteWriteWithoutAnswerEndsInTheSetTimeOut) {
    struct NoServer : TUdpSender {
        void SendTo(const void*, int, int, const std::string&) override {}
    } udp;
    TSystemSetHost h = Host();
    h.Udp = &udp;
    h.ReplyTimeoutMs = 200;
    Open(std::move(h), true);
    form->cb_RemoteMainAddr->SetText("127.0.0.1");
    form->sb_ConnectClick(form->sb_Connect);
    // A session that arrives after the time-out is ignored.
    ASSERT_TRUE(testing::PumpMessagesUntil([&] { return !messages.empty(); }, 3000));
    UdpMsgSettingsInfo info{};
    info.Info.Count = 2;
    form->SessionArea.Store(&info, sizeof info);
    ::SendMessageW(form->WindowHandle(), WM_SETTINGSSESSION, 0, 0);
    EXPECT_EQ(form->lv_Channel->Items()->Count(), 0);

    form->sb_ConnectClick(form->sb_Connect);
    form->SessionArea.Store(&info, sizeof info);
    ::SendMessageW(form->WindowHandle(), WM_SETTINGSSESSION, 0, 0);
    ASSERT_EQ(form->lv_Channel->Items()->Count(), 2);
    form->WriteRemoteClick(form->WriteButtons[TSystemSetForm::PageDog]);
    EXPECT_FALSE(form->Enabled());
    ASSERT_TRUE(testing::PumpMessagesUntil([&] { return messages.size() >= 2; }, 3000));
    EXPECT_EQ(messages[1], Utf8ToGbk("设置超时！"));
    EXPECT_TRUE(form->Enabled());
}

TEST_F(SettingsDialogTest, TextLabelsAreDraggedOnThePictureAndGoToTheBoard) {
    Open(Host());
    Select(1);
    form->lb_OSD_Time->SetBounds(100, 100, 183, 18);
    form->lb_OSD_Name->SetBounds(100, 200, 36, 18);
    card.Calls.clear();
    // Each drag starts at (500, 500) on the screen; (dx, dy) is the cursor's movement.
    struct Case {
        bool time;
        int dx, dy;
        int left, top; // where the label ends
    } cases[] = {
        {true, 30, -20, 130, 80},  // inside
        {true, 43, 0, 130, 80},    // right edge at 356 would pass 355: stays
        {true, 42, 0, 172, 80},    // right edge at 355
        {true, 0, 191, 172, 80},   // bottom at 291 would pass 288: stays
        {true, 0, 188, 172, 268},  // bottom at 288
        {true, -172, 0, 172, 268}, // left 0 is not above 0: stays
        {false, 245, 0, 345, 200}, // name left at 345
        {false, 1, 0, 345, 200},   // 346: stays
        {false, 0, -201, 345, 200},
        {false, 0, -200, 345, 0},
    };
    for (const Case& c : cases) {
        TLabel* l = c.time ? form->lb_OSD_Time : form->lb_OSD_Name;
        form->DragAnchor = {500, 500};
        form->DragOsdLabel(l, {500 + c.dx, 500 + c.dy});
        EXPECT_EQ(l->Left(), c.left) << c.time << " " << c.dx << "," << c.dy;
        EXPECT_EQ(l->Top(), c.top) << c.time << " " << c.dx << "," << c.dy;
        EXPECT_EQ(form->DragAnchor.x, 500 + c.dx);
    }
    // The board got the moved labels; the record gets them on storing.
    ASSERT_FALSE(card.Calls.empty());
    EXPECT_NE(card.Calls.back().find("title 345,0 time 172,268"), std::string::npos)
        << card.Calls.back();

    // Without a selected channel nothing moves.
    form->lv_Channel->SetItemIndex(-1);
    form->DragAnchor = {500, 500};
    form->DragOsdLabel(form->lb_OSD_Time, {490, 500});
    EXPECT_EQ(form->lb_OSD_Time->Left(), 172);
}

TEST_F(SettingsDialogTest, SoundButtonsPlayAndReplaceTheAlarmSoundsInLocalModeOnly) {
    TSystemSetHost h = Host();
    h.ProgramPath = folder;
    std::vector<std::string> played;
    std::string chosen;
    h.PlaySound = [&](const std::string& f) { played.push_back(f); };
    h.ChooseWavFile = [&] { return chosen; };
    ASSERT_TRUE(WriteWholeFile(folder + "VD.WAV", "old"));
    ASSERT_TRUE(WriteWholeFile(folder + "new.wav", "RIFFnew"));
    Open(std::move(h));
    form->pc_SystemSet->SetActivePage(form->Sheets[TSystemSetForm::PageAlarm]);
    testing::PumpWaiting();
    testing::SaveWindowShot(form->Handle(), "host_settings_alarm_page");
    for (int i = 0; i < 3; ++i)
        form->sb_AudioTest[size_t(i)]->Click();
    EXPECT_EQ(played, (std::vector<std::string>{folder + "VL.WAV", folder + "VD.WAV",
                                                folder + "HD.WAV"}));
    // Cancelled: nothing changes.
    played.clear();
    form->sb_AudioFile[1]->Click();
    EXPECT_TRUE(played.empty());
    chosen = folder + "new.wav";
    form->sb_AudioFile[1]->Click();
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(folder + "VD.WAV", bytes));
    EXPECT_EQ(bytes, "RIFFnew");
    EXPECT_EQ(played, std::vector<std::string>{folder + "VD.WAV"});
    // Remote mode: the buttons do nothing.
    played.clear();
    form->RemoteMode = true;
    form->sb_AudioTest[0]->Click();
    form->sb_AudioFile[2]->Click();
    EXPECT_TRUE(played.empty());
    EXPECT_EQ(::GetFileAttributesA((folder + "HD.WAV").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(SettingsDialogRules, MaskAndAreaDragsStayInThePanel) {
    struct Case {
        int ax, ay, x, y;
        TDragRect mask, area;
    };
    const Case cases[] = {
        {300, 250, 10, 10, {172, 122, 300, 250}, {10, 10, 300, 250}},
        {300, 100, 400, 120, {300, 100, 352, 120}, {300, 100, 351, 120}},
        {20, 20, -5, -5, {0, 0, 20, 20}, {1, 1, 20, 20}},
        {10, 10, 200, 50, {10, 10, 138, 50}, {10, 10, 200, 50}},
    };
    for (const Case& c : cases) {
        const TDragRect m = MaskDragRect(c.ax, c.ay, c.x, c.y);
        EXPECT_EQ(std::vector<int>({m.Left, m.Top, m.Right, m.Bottom}),
                  std::vector<int>({c.mask.Left, c.mask.Top, c.mask.Right, c.mask.Bottom}));
        const TDragRect a = AreaDragRect(c.ax, c.ay, c.x, c.y);
        EXPECT_EQ(std::vector<int>({a.Left, a.Top, a.Right, a.Bottom}),
                  std::vector<int>({c.area.Left, c.area.Top, c.area.Right, c.area.Bottom}));
    }
    const TDragRect existing{100, 100, 200, 200};
    EXPECT_TRUE(AreaCollides({120, 120, 180, 180}, existing));  // inside
    EXPECT_TRUE(AreaCollides({150, 50, 160, 250}, existing));   // crosses top to bottom
    EXPECT_TRUE(AreaCollides({50, 150, 250, 160}, existing));   // crosses side to side
    EXPECT_FALSE(AreaCollides({50, 50, 250, 250}, existing));   // encloses without touching
    EXPECT_FALSE(AreaCollides({210, 100, 300, 200}, existing)); // beside
}

TEST_F(SettingsDialogTest, AreasAreAddedUpToSevenAndScrollBarsWriteAtOnce) {
    Open(Host());
    Select(1);
    form->sb_ClearAreasClick(nullptr);
    auto drag = [&](int l, int t, int r, int b) {
        form->pn_AreaMouseDown(nullptr, TMouseButton::mbLeft, {}, l, t);
        form->pn_AreaMouseUp(nullptr, TMouseButton::mbLeft, {}, r, b);
    };
    for (int k = 0; k < 8; ++k)
        drag(2 + 40 * k, 10, 32 + 40 * k, 60);
    EXPECT_EQ(form->AlarmRecords[1].AreaCount, 7);
    EXPECT_DOUBLE_EQ(form->AlarmRecords[1].Areas[1].Left, 42 / 352.0);
    form->sb_ClearAreasClick(nullptr);
    drag(10, 10, 100, 100);
    drag(20, 20, 50, 50);     // inside: refused
    drag(5, 5, 105, 105);     // encloses the first without touching it: accepted
    drag(200, 200, 205, 250); // narrower than 10: dropped
    EXPECT_EQ(form->AlarmRecords[1].AreaCount, 2);

    card.Calls.clear();
    form->sb_Contrast->SetPosition(77);
    EXPECT_EQ(form->PreviewRecords[1].Picture.Contrast, 77);
    form->ed_ChannelName->SetText("hall");
    form->cb_ShowChannelTime->SetChecked(false);
    form->cb_ShowOsdClick(form->cb_ShowChannelTime);
    ASSERT_GE(card.Calls.size(), 2u);
    EXPECT_EQ(card.Calls.front().rfind("picture 1 ", 0), 0u);
    EXPECT_EQ(card.Calls.back().rfind("osd 1 [hall]", 0), 0u);
    EXPECT_EQ(card.Calls.back().find(" time "), std::string::npos);
    form->cb_PutBlock->SetChecked(true);
    form->pn_PreviewMouseDown(nullptr, TMouseButton::mbLeft, {}, 300, 250);
    form->pn_PreviewMouseUp(nullptr, TMouseButton::mbLeft, {}, 10, 10);
    EXPECT_EQ(form->PreviewRecords[1].MaskLeft, 172);
    EXPECT_EQ(form->PreviewRecords[1].MaskBottom, 250);
}

TEST_F(SettingsDialogTest, PagesFollowTheUsersRightsPerChannel) {
    TUser user(*arithmetic, folder);
    auto record = std::make_unique<TUserRecord>();
    TUser::SetLevelDefaults(*record, 0);
    record->UserName.Set("op");
    record->Password.Set("pw");
    TRightsBlock& settings = record->Rights[1];
    settings.Enabled = 1;
    for (auto& item : settings.Items) {
        item.Enabled = 1;
        std::memset(item.Sub, 1, sizeof item.Sub);
    }
    settings.Items[0].Sub[3] = 0;  // picture page, not for channel 3
    settings.Items[5].Enabled = 0; // no watchdog page
    user.SaveUsers(record.get(), sizeof *record);
    user.Reload();
    ASSERT_TRUE(user.CheckRight("op", "pw", 1, -1, -1));
    TSystemSetHost h = Host();
    h.User = &user;
    Open(std::move(h));
    EXPECT_TRUE(form->Sheets[TSystemSetForm::PagePreview]->TabVisible());
    EXPECT_FALSE(form->Sheets[TSystemSetForm::PageDog]->TabVisible());
    EXPECT_TRUE(form->Sheets[TSystemSetForm::PagePorts]->TabVisible());
    Select(3);
    EXPECT_FALSE(form->Sheets[TSystemSetForm::PagePreview]->TabVisible());
    EXPECT_TRUE(form->Sheets[TSystemSetForm::PageCapture]->TabVisible());
    Select(2);
    EXPECT_TRUE(form->Sheets[TSystemSetForm::PagePreview]->TabVisible());
}

// The remote side: a message server on the engine's own settings objects of another "host".
struct RemoteDevices : TUDPServerDevices {
    uint8_t dog[kDogSettingsSize] = {};
    uint8_t outputs[kRemoteOutputs] = {};
    uint8_t* DogSettings() override { return dog; }
    void SaveDogSettings() override {}
    int MatrixType() const override { return 0; }
    void SwitchMatrix(uint8_t, uint8_t) override {}
    uint8_t* RemoteOutputStates() override { return outputs; }
    void SendAlarmOutputs(int, int, int, const uint8_t*) override {}
    void PtzStart(int, int, int, int) override {}
    void PtzStop(int, int, int, int) override {}
    void ClosePreview(int) override {}
    void SetPictureParams(int, const TPictureParams&) override {}
    void SubscribeAlarms(int, const std::string&, int) override {}
};
struct RemoteMainForm : TMainFormServices {
    HWND Handle() const override { return nullptr; }
    void ShutdownAll() override {}
    void ApplyAllSettings() override {}
    void RebuildChannelMap(WPARAM, LPARAM) override {}
    void im_AutoWorkClick() override {}
};
using NoAlarms = vantrel::testing::NullRemoteAlarmHost;

TEST_F(SettingsDialogTest, RemotePageIsReadEditedAndWrittenToTheOtherHost) {
    previews->Records[2].Title.Set("yard");
    captures->Records[2].FrameRate = 14;
    TSystemOtherSet::SetDefaults(other->Record);
    TNetClientSet net(*arithmetic, *other, 4);
    TSystemInfo info(*arithmetic, net, 4);
    TWorkLog log(*arithmetic, folder);
    testing::FakeEngine engine;
    RemoteMainForm mainForm;
    RemoteDevices devices;
    TAuto automatic(*autos, engine.capture, engine.alarm, 4);
    TWorkState state(TWorkState::Parts{mainForm, [&] { return info.ChannelCount; }, automatic,
                                       engine.capture, engine.alarm, engine.preview, 4});
    TUDPServerEngineHost serverHost(TUDPServerEngineHost::Parts{
        4, info, *checks, state, log, *previews, *captures, *alarms, *autos, *yuntai, *other,
        automatic, mainForm, engine.capture, engine.alarm, engine.preview, devices});
    TUDPMessageServer server(serverHost, 0);

    TReplyWindowSet windows;
    NoAlarms alarmHost;
    TUDPMessageClient client(windows, alarmHost, 0);
    TSystemSetHost h = Host();
    h.Udp = &client;
    h.ReplyWindows = &windows;
    Open(std::move(h), true);

    form->cb_RemoteMainAddr->SetText("127.0.0.1");
    form->se_UDPRemoteSetPort->SetText(std::to_string(server.Port()));
    form->ed_UserName->SetText("op");
    form->sb_ConnectClick(form->sb_Connect);
    ASSERT_TRUE(testing::PumpMessagesUntil([&] { return form->Tag() == 0; }, 5000));
    EXPECT_TRUE(form->pc_SystemSet->Enabled());
    ASSERT_EQ(form->lv_Channel->Items()->Count(), 4);
    EXPECT_EQ(form->lv_Channel->Items()->Item(2)->SubItems()->Strings(0), "yard");

    Select(2);
    EXPECT_EQ(form->CaptureRecords[2].FrameRate, 25); // defaults until read
    auto* read = form->ReadButtons[TSystemSetForm::PageCapture];
    form->ReadRemoteClick(read);
    EXPECT_FALSE(form->Enabled());
    ASSERT_TRUE(testing::PumpMessagesUntil([&] { return form->Enabled(); }, 5000));
    EXPECT_EQ(form->CaptureRecords[2].FrameRate, 14);
    EXPECT_EQ(form->se_FrameRate->GetText(), "14");
    EXPECT_EQ(form->CaptureRecords[1].FrameRate, 25); // only the selected row

    form->se_FrameRate->SetText("6");
    form->WriteRemoteClick(form->WriteButtons[TSystemSetForm::PageCapture]);
    ASSERT_TRUE(testing::PumpMessagesUntil([&] { return !messages.empty(); }, 5000));
    EXPECT_EQ(messages[0], Utf8ToGbk("恭喜，设置成功！"));
    EXPECT_EQ(TCaptureSet(card).Records[2].FrameRate, 6); // the other host's registry value

    // Once the dialog is gone, a late record goes nowhere.
    form->Free();
    form = nullptr;
    EXPECT_FALSE(windows.SettingsRecordInto);
    EXPECT_EQ(windows.Area(ReplyWindow::Settings), nullptr);
}

} // namespace
} // namespace vantrel
