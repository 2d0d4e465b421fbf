#include "host/ui/U_ConsoleCommands.h"

#include "common/win/textconv.h"
#include "host/ui/window_shot_testing.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>

namespace vantrel {
namespace {

using namespace dvr::fw;

class FakeEngine : public TConsoleEngine {
public:
    int board = 4, total = 4, net = 0;
    std::vector<std::string> groups;
    bool clientMode = false, cycle = false, listening = false, autoMode = false;
    std::set<int> denied;  // rights refused to the current user
    bool chief = true;
    int selected = 0;
    std::set<int> playing{0, 1, 2, 3}, previewing{0, 2};
    std::vector<std::string> calls;
    std::vector<int> log;
    std::array<TPictureParams, 49> pictures{};
    int cycleGroup = -2, timerMs = 0, layoutIndex = -1;
    std::vector<bool> cycleFlags{true};
    bool timerOn = false, locked = false, batchBusy = false;

    void Call(const std::string& c) { calls.push_back(c); }
    int BoardCount() override { return board; }
    int TotalChannels() override { return total; }
    int NetChannelCount() override { return net; }
    std::vector<std::string> GroupNames() override { return groups; }
    bool ClientMode() override { return clientMode; }
    bool CheckRight(int right, int) override { return !denied.count(right); }
    bool CheckUser(const std::string&, const std::string&, int right, int) override {
        return !denied.count(right);
    }
    bool ChiefAdministrator(const std::string&, const std::string&) override { return chief; }
    std::pair<std::string, std::string> CurrentUser() override { return {"system", ""}; }
    void ReloadUsers() override { Call("ReloadUsers"); }
    void WriteLog(int e) override { log.push_back(e); }
    void LockConsole() override { locked = true; }
    void MinimizeConsole() override { Call("Minimize"); }
    int SelectedChannel() override { return selected; }
    int LayoutPaneCount() override { return 4; }
    bool PanePlaying(int ch) override { return playing.count(ch) > 0; }
    bool PanePreviewing(int ch) override { return previewing.count(ch) > 0; }
    void OpenPreview(int ch) override { Call("OpenPreview " + std::to_string(ch)); }
    void ClosePreview(int ch, bool) override { Call("ClosePreview " + std::to_string(ch)); }
    void StopBoardPreview(int ch) override { Call("StopBoardPreview " + std::to_string(ch)); }
    void RestoreBoardOsd(int ch) override { Call("RestoreOsd " + std::to_string(ch)); }
    void HideAreaOutlines() override { Call("HideAreaOutlines"); }
    void PopupLayoutMenu(int, int) override { Call("LayoutMenu"); }
    void LayoutMenuClick(int i) override { layoutIndex = i; }
    void ShowStatusImages(int kind, bool v) override { status[size_t(kind)] = v; }
    bool CycleMode() override { return cycle; }
    void SetCycleMode(bool on) override { cycle = on; }
    void SetCycleTimer(bool on, int ms) override {
        timerOn = on;
        if (ms) timerMs = ms;
    }
    void SetCycleGroup(int g) override { cycleGroup = g; }
    int CycleGroup() override { return cycleGroup; }
    std::vector<bool> CycleFlags() override { return cycleFlags; }
    bool Listening() override { return listening; }
    void StartListen(int ch) override {
        listening = true;
        Call("StartListen " + std::to_string(ch));
    }
    void StopListen(int ch) override {
        listening = false;
        Call("StopListen " + std::to_string(ch));
    }
    bool AutoMode() override { return autoMode; }
    void StartAutoWork() override { autoMode = true; }
    void StopAutoWork() override { autoMode = false; }
    std::string SnapshotFileName(int ch) override {
        return snapshotName.empty() ? "" : snapshotName + std::to_string(ch) + ".bmp";
    }
    void ForceFolderOf(const std::string& f) override { Call("ForceFolder " + f); }
    void SaveSnapshot(int ch, const std::string& f) override {
        Call("SaveSnapshot " + std::to_string(ch) + " " + f);
    }
    void SnapshotNetworkPane(int ch) override { Call("NetSnapshot " + std::to_string(ch)); }
    void OpenAll(bool p, bool r, bool d) override {
        Call(std::string("OpenAll ") + (p ? "P" : "") + (r ? "R" : "") + (d ? "D" : ""));
    }
    void CloseAll(bool p, bool r, bool d, bool rebuild, bool cyc, int group) override {
        Call(std::string("CloseAll ") + (p ? "P" : "") + (r ? "R" : "") + (d ? "D" : "") +
             (rebuild ? " rebuild" : "") + (cyc ? " cycle" : "") + " " + std::to_string(group));
    }
    void StopNetworkReceivers() override { Call("StopReceivers"); }
    bool BatchBusy() override { return batchBusy; }
    void ApplyAllSettings() override {
        Call("ApplyAllSettings");
        clientMode = clientModeAfterSettings;
    }
    TPictureParams& Picture(int ch) override { return pictures[size_t(ch)]; }
    void ApplyPicture(int ch) override { applied.push_back(ch); }
    void SavePictures() override { Call("SavePictures"); }
    void NotifyPaneColor(int ch) override { Call("PaneColor " + std::to_string(ch)); }
    void Pause(DWORD) override {}

    std::string snapshotName = "D:\\Pic\\";
    std::array<bool, 3> status{};
    std::vector<int> applied;
    bool clientModeAfterSettings = false;
};

class FakeWindows : public TConsoleWindows {
public:
    std::vector<TConsoleWindow> opened;
    int result = mrOk;
    TConsoleDialogResult give;
    int Open(TConsoleWindow w, TConsoleDialogResult& r) override {
        opened.push_back(w);
        r = give;
        return result;
    }
};

struct Box {
    std::wstring text, caption;
    UINT type;
};

class Console : public ::testing::Test {
protected:
    void SetUp() override {
        form = new TForm(nullptr);
        form->SetBounds(0, 0, 1024, 768);
        form->SetColor(0x303030);
        commands = new TConsoleCommands(form, engine, windows);
        commands->Ask = [this](const std::wstring& t, const std::wstring& c, UINT type) {
            boxes.push_back({t, c, type});
            return answer;
        };
        commands->PopupMenu = [this](TPopupMenu* m, int x, int y) {
            popups.push_back(m);
            popupAt = POINT{x, y};
        };
        commands->CursorPos = [this] { return cursor; };
        form->Show();
    }
    void TearDown() override { form->Free(); }

    void Press(int tag, TMouseButton b = TMouseButton::mbLeft) {
        TImage* i = commands->Buttons[size_t(tag)];
        commands->ButtonMouseDown(i, b, {}, 1, 1);
        commands->ButtonMouseUp(i, b, {}, 1, 1);
        if (b == TMouseButton::mbLeft) i->Click();
    }
    void Choose(const char* item) { commands->Item(item)->Click(); }
    bool Refused() const {
        return !boxes.empty() && boxes.back().text == L"对不起！您不具备本操作的权限。" &&
               boxes.back().caption == L"权限验证" && (boxes.back().type & MB_ICONERROR);
    }

    FakeEngine engine;
    FakeWindows windows;
    TForm* form = nullptr;
    TConsoleCommands* commands = nullptr;
    std::vector<Box> boxes;
    std::vector<TPopupMenu*> popups;
    POINT popupAt{};
    POINT cursor{};
    int answer = IDYES;
};

TEST_F(Console, EveryButtonShowsItsBuiltPicturesAndPressingShowsDownExceptToggles) {
    for (int tag = 0; tag < 10; ++tag) {
        TImage* b = commands->Buttons[size_t(tag)];
        ASSERT_TRUE(b->Picture()->Graphic()) << tag;
        EXPECT_EQ(b->Picture()->Width(), 46) << tag;
        EXPECT_EQ(commands->PictureOf(tag), tag == 8 ? -9 : tag + 1) << tag;
    }
    EXPECT_EQ(commands->im_Bright->Picture()->Width(), 9);
    // The split button shows Down while held; the auto-work toggle keeps its picture.
    commands->ButtonMouseDown(commands->Buttons[0], TMouseButton::mbLeft, {}, 1, 1);
    EXPECT_EQ(commands->PictureOf(0), -1);
    commands->ButtonMouseUp(commands->Buttons[0], TMouseButton::mbLeft, {}, 1, 1);
    EXPECT_EQ(commands->PictureOf(0), 1);
    EXPECT_EQ(engine.calls.back(), "LayoutMenu");
    commands->ButtonMouseDown(commands->Buttons[2], TMouseButton::mbLeft, {}, 1, 1);
    EXPECT_EQ(commands->PictureOf(2), 3);
}

TEST_F(Console, CommandsBehindARightAreRefusedWithTheRefusalTextAndChangeNothing) {
    struct Row {
        int right;
        std::function<void()> act;
    };
    const std::vector<Row> rows = {
        {6, [&] { Press(2); }},  {14, [&] { Press(4); }},
        {11, [&] { Press(5); }}, {19, [&] { Press(6); }},
        {7, [&] { commands->im_YTUnconver->Click(); }},
        {1, [&] { Choose("N1"); }},  {2, [&] { Choose("N2"); }},
        {30, [&] { Choose("N29"); }}, {25, [&] { Choose("N35"); }},
        {8, [&] { Choose("N3"); }},  {9, [&] { Choose("N4"); }},
        {25, [&] { Choose("N6"); }}, {24, [&] { Choose("N19"); }},
        {24, [&] { Choose("N20"); }}, {26, [&] { Choose("N24"); }},
        {16, [&] { Choose("N12"); }}, {23, [&] { Choose("N15"); }},
        {23, [&] { Choose("N16"); }}, {22, [&] { Choose("N18"); }},
        {27, [&] { Choose("N25"); }}, {28, [&] { Choose("N21"); }},
        {21, [&] { Choose("N17"); }}, {31, [&] { Choose("N28"); }},
        {32, [&] { Choose("N30"); }}, {15, [&] { Choose("N5"); }},
        {13, [&] { Choose("N26"); }}, {13, [&] { Choose("N27"); }},
    };
    for (const Row& r : rows) {
        engine.denied = {r.right};
        boxes.clear();
        r.act();
        EXPECT_TRUE(Refused()) << "right " << r.right;
        EXPECT_TRUE(windows.opened.empty()) << "right " << r.right;
        EXPECT_TRUE(engine.log.empty()) << "right " << r.right;
        EXPECT_FALSE(engine.autoMode || engine.listening || engine.cycle) << r.right;
        EXPECT_TRUE(commands->im_YTCover->Visible());
        engine.calls.erase(std::remove_if(engine.calls.begin(), engine.calls.end(),
                                          [](const std::string& c) { return c == "LayoutMenu"; }),
                           engine.calls.end());
        EXPECT_TRUE(engine.calls.empty()) << "right " << r.right << " " << engine.calls.front();
    }
}

TEST_F(Console, MenuItemsOpenTheirWindowsAndWriteTheirLogEvents) {
    struct Row {
        const char* item;
        TConsoleWindow window;
        std::vector<int> log;
    };
    using W = TConsoleWindow;
    const std::vector<Row> rows = {
        {"N29", W::RemoteSettings, {}},    {"N35", W::StationMap, {}},
        {"N3", W::LocalReplay, {26, 27}},  {"N4", W::RemoteReplay, {28, 29}},
        {"N6", W::ElectronMap, {}},        {"N19", W::LocalAlarmOut, {8}},
        {"N20", W::RemoteAlarmOut, {}},    {"N24", W::RemoteAlarms, {70}},
        {"XM32161", W::Matrix3216, {}},    {"DSD1", W::MatrixDSD, {}},
        {"Pelco2321", W::MatrixPelco232, {}}, {"AD1", W::MatrixDSD, {}},
        {"XM32162", W::RemoteMatrix3216, {}}, {"DSD2", W::RemoteMatrixDSD, {}},
        {"Pelco2322", W::RemoteMatrixPelco232, {}}, {"AD2", W::RemoteMatrixDSD, {}},
        {"N12", W::VoiceBroadcast, {41}},  {"N13", W::Chat, {}},
        {"N15", W::LocalDisk, {56}},       {"N16", W::RemoteDisk, {}},
        {"N18", W::Connections, {54}},     {"N25", W::DialUp, {}},
        {"N11", W::ClearDataMsg, {}},      {"N21", W::RemoteCtrl, {}},
        {"N17", W::IPPing, {}},            {"N28", W::NetDog, {}},
        {"N30", W::RemoteUpgrade, {}},     {"N31", W::SendSms, {}},
        {"N32", W::AutoFullScreen, {}},    {"WebServer1", W::WebServer, {}},
        {"N36", W::SendReceiveFile, {}},   {"N26", W::LocalWorkLog, {34}},
        {"N27", W::RemoteWorkLog, {34}},
    };
    for (const Row& r : rows) {
        windows.opened.clear();
        engine.log.clear();
        Choose(r.item);
        ASSERT_EQ(windows.opened.size(), 1u) << r.item;
        EXPECT_EQ(windows.opened[0], r.window) << r.item;
        EXPECT_EQ(engine.log, r.log) << r.item;
    }
    EXPECT_TRUE(boxes.empty());
    // Without a board the motion full-screen dialog does not open.
    engine.board = 0;
    windows.opened.clear();
    Choose("N32");
    EXPECT_TRUE(windows.opened.empty());
}

TEST_F(Console, ReleasedButtonsPopTheirMenusWithItemsForTheHostsKind) {
    const TPoint corner = form->ClientToScreen(TPoint{954, 455});
    Press(1);
    ASSERT_EQ(popups.size(), 1u);
    EXPECT_EQ(popups[0], commands->pm_SystemSet);
    EXPECT_EQ(popupAt.x, corner.X);
    EXPECT_EQ(popupAt.y, corner.Y - 40);
    EXPECT_TRUE(commands->Item("N1")->Visible());
    EXPECT_FALSE(commands->Item("N2")->Visible());
    engine.clientMode = true;
    Press(1);
    EXPECT_TRUE(commands->Item("N1")->Visible());
    EXPECT_TRUE(commands->Item("N2")->Visible());
    engine.board = 0;
    Press(1);
    EXPECT_FALSE(commands->Item("N1")->Visible());

    // Auto mode and cycling refuse the settings menu with their messages.
    popups.clear();
    engine.autoMode = true;
    Press(1);
    engine.autoMode = false;
    engine.cycle = true;
    Press(1);
    EXPECT_TRUE(popups.empty());
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, L"对不起！系统处于自动工作模式，操作无效！");
    EXPECT_EQ(boxes[1].text, L"对不起！系统处于轮视工作模式，操作无效！");

    engine.cycle = false;
    engine.board = 4;
    engine.net = 0;
    Press(7);
    EXPECT_EQ(popups.back(), commands->pm_OtherFunction);
    EXPECT_FALSE(commands->Item("N23")->Enabled());
    EXPECT_TRUE(commands->Item("N22")->Enabled());
    EXPECT_TRUE(commands->Item("N18")->Visible());
    engine.board = 0;
    engine.net = 3;
    Press(7);
    EXPECT_TRUE(commands->Item("N23")->Enabled());
    EXPECT_FALSE(commands->Item("N22")->Enabled());
    EXPECT_FALSE(commands->Item("N18")->Visible());

    Press(3);
    EXPECT_EQ(popups.back(), commands->pm_Replay);

    // Groups pop up on a right release only when there is more than one.
    const size_t before = popups.size();
    engine.groups = {"A"};
    Press(6, TMouseButton::mbRight);
    EXPECT_EQ(popups.size(), before);
    engine.groups = {"A", "B"};
    Press(6, TMouseButton::mbRight);
    ASSERT_EQ(popups.back(), commands->pm_ClientSetGoups);
    ASSERT_EQ(commands->pm_ClientSetGoups->Items()->Count(), 2);
    commands->pm_ClientSetGoups->Items()->Items(1)->Click();
    EXPECT_EQ(engine.calls.back(), "CloseAll PRD rebuild 1");
}

TEST_F(Console, TogglesFollowTheirModes) {
    Press(2);
    EXPECT_TRUE(engine.autoMode);
    EXPECT_EQ(commands->PictureOf(2), -3);
    EXPECT_EQ(commands->Buttons[2]->Hint(), dvr::win::Utf8ToGbk("退出自动工作模式，停止自动工作计划"));
    Press(2);
    EXPECT_FALSE(engine.autoMode);
    EXPECT_EQ(commands->PictureOf(2), 3);
    EXPECT_EQ(engine.log, (std::vector<int>{23, 24}));

    engine.selected = 2;
    Press(4);
    Press(4);
    EXPECT_EQ(engine.calls, (std::vector<std::string>{"StartListen 2", "StopListen 2"}));
    EXPECT_EQ(engine.log, (std::vector<int>{23, 24, 36, 37}));

    // The lock asks with No as the default; only Yes locks.
    answer = IDNO;
    Press(8);
    EXPECT_FALSE(engine.locked);
    EXPECT_EQ(boxes.back().text, L"你要锁定系统吗？");
    EXPECT_TRUE(boxes.back().type & MB_DEFBUTTON2);
    answer = IDYES;
    commands->ShowLocked(false);
    Press(8);
    EXPECT_TRUE(engine.locked);
    EXPECT_EQ(commands->PictureOf(8), -9);
    EXPECT_EQ(engine.log.back(), 2);

    // Nothing at all without channels.
    engine.total = 0;
    engine.log.clear();
    engine.calls.clear();
    boxes.clear();
    for (int tag : {2, 4, 5}) Press(tag);
    commands->im_OpenAllClick(nullptr);
    commands->im_CloseAllClick(nullptr);
    Choose("N1");
    EXPECT_TRUE(engine.log.empty());
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(windows.opened.empty());
    EXPECT_TRUE(engine.calls.empty());
}

TEST_F(Console, SnapshotsOfBoardAndNetworkPanes) {
    engine.total = 6;
    engine.selected = 1;
    Press(5);
    EXPECT_EQ(engine.calls, (std::vector<std::string>{"ForceFolder D:\\Pic\\1.bmp",
                                                      "SaveSnapshot 1 D:\\Pic\\1.bmp"}));
    EXPECT_EQ(engine.log, (std::vector<int>{32}));
    engine.calls.clear();
    engine.selected = 5;
    Press(5); // not playing: silently nothing
    engine.playing.insert(5);
    Press(5);
    EXPECT_EQ(engine.calls, (std::vector<std::string>{"NetSnapshot 5"}));
    engine.calls.clear();
    engine.selected = 0;
    engine.snapshotName.clear();
    Press(5);
    EXPECT_TRUE(engine.calls.empty());
    EXPECT_EQ(engine.log, (std::vector<int>{32, 32}));
}

TEST_F(Console, BarsChooseWhatOpenAllAndCloseAllWorkOn) {
    EXPECT_EQ(commands->im_CaptureBar->Top(), 380);
    commands->im_OpenAllClick(nullptr);
    commands->im_CloseAllClick(nullptr);
    commands->im_CaptureBar->Click();
    EXPECT_EQ(commands->im_CaptureBar->Top(), 136);
    EXPECT_EQ(commands->im_AlarmBar->Top(), 405);
    EXPECT_EQ(commands->im_OpenAll->Top(), 383);
    EXPECT_EQ(engine.status, (std::array<bool, 3>{false, true, false}));
    commands->im_OpenAllClick(nullptr);
    commands->im_AlarmBar->Click();
    EXPECT_EQ(commands->im_AlarmBar->Top(), 158);
    commands->im_CloseAllClick(nullptr);
    EXPECT_EQ(engine.calls, (std::vector<std::string>{"OpenAll P", "CloseAll P -1", "OpenAll R",
                                                      "CloseAll D -1"}));
    engine.autoMode = true;
    commands->im_OpenAllClick(nullptr);
    EXPECT_EQ(boxes.back().text, L"对不起！系统处于自动工作模式，操作无效！");
    commands->im_CloseAllClick(nullptr);
    EXPECT_EQ(boxes.back().text, L"对不起，系统处于自动工作模式，操作无效！");
    commands->im_PreviewBar->Click();
    EXPECT_EQ(commands->im_CaptureBar->Top(), 380);
    commands->im_OpenAllClick(nullptr); // preview works in auto mode
    EXPECT_EQ(engine.calls.back(), "OpenAll P");
    engine.board = 0;
    engine.cycle = true;
    commands->im_OpenAllClick(nullptr);
    EXPECT_EQ(boxes.back().text, L"对不起！系统处于轮视模式中，操作无效！");

    commands->im_PreviewParaBar->Click();
    EXPECT_FALSE(commands->im_OpenAll->Visible());
    EXPECT_TRUE(commands->im_SaveColor->Visible());
    EXPECT_TRUE(commands->im_Bright->Visible());
    EXPECT_EQ(commands->im_PreviewParaBar->Top(), 180);
}

TEST_F(Console, ColourThumbsSetThePictureValuesOfTheSelectedChannel) {
    commands->im_PreviewParaBar->Click();
    engine.selected = 1;
    engine.pictures[1] = {128, 64, 64, 128};
    commands->ShowPictureValues(1);
    const int mid = commands->im_Bright->Left();
    EXPECT_EQ(mid, 900 + 47);
    auto drag = [&](TImage* thumb, int dx) {
        commands->LastCursorPos = POINT{500, 300};
        cursor = POINT{500 + dx, 300};
        commands->ThumbMouseMove(thumb, TShiftState{TShiftStateItem::ssLeft}, 3, 5);
    };
    drag(commands->im_Bright, -500);
    EXPECT_EQ(int32_t(engine.pictures[1].Brightness), -3);
    EXPECT_EQ(commands->im_Bright->Left(), 899);
    drag(commands->im_Contrast, 500);
    EXPECT_EQ(engine.pictures[1].Contrast, 126);
    drag(commands->im_Hue, 500);
    EXPECT_EQ(engine.pictures[1].Hue, 252u);
    drag(commands->im_Saturation, -500);
    EXPECT_EQ(engine.pictures[1].Saturation, -1);
    EXPECT_EQ(engine.applied, (std::vector<int>{1, 1, 1, 1}));
    // Without the left button, or off the thumb, nothing moves.
    commands->LastCursorPos = POINT{0, 0};
    cursor = POINT{40, 0};
    commands->ThumbMouseMove(commands->im_Hue, TShiftState{}, 3, 5);
    commands->ThumbMouseMove(commands->im_Hue, TShiftState{TShiftStateItem::ssLeft}, 3, 40);
    EXPECT_EQ(engine.applied.size(), 4u);

    commands->im_DefaultColorClick(nullptr);
    EXPECT_EQ(engine.pictures[1].Brightness, 140u);
    EXPECT_EQ(engine.pictures[1].Contrast, 50);
    EXPECT_EQ(engine.pictures[1].Saturation, 70);
    EXPECT_EQ(engine.pictures[1].Hue, 128u);
    EXPECT_EQ(engine.calls.back(), "PaneColor 1");
    engine.applied.clear();
    commands->im_CopyColorToAllClick(nullptr);
    EXPECT_EQ(engine.applied, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(engine.pictures[3].Saturation, 70);
    commands->im_SaveColorClick(nullptr);
    EXPECT_EQ(engine.calls.back(), "SavePictures");
}

TEST_F(Console, LocalSettingsClosesAndReopensPreviewsAndLogsInOrder) {
    windows.give.PreviewPageChannel = 3;
    Choose("N1");
    EXPECT_EQ(engine.log, (std::vector<int>{6, 7, 8}));
    EXPECT_EQ(engine.calls,
              (std::vector<std::string>{"ClosePreview 0", "ClosePreview 2", "StopBoardPreview 3",
                                        "ApplyAllSettings", "OpenPreview 0", "OpenPreview 2",
                                        "HideAreaOutlines"}));
    // Cancel puts the stored on-screen text back; a changed client mode rebuilds instead.
    engine.calls.clear();
    engine.log.clear();
    windows.result = mrCancel;
    windows.give.PreviewPageChannel = -1;
    Choose("N1");
    EXPECT_EQ(engine.log, (std::vector<int>{6, 8}));
    EXPECT_EQ(engine.calls[2], "RestoreOsd 0");
    windows.result = mrOk;
    engine.clientModeAfterSettings = true;
    engine.calls.clear();
    Choose("N1");
    EXPECT_EQ(engine.calls.back(), "CloseAll PRD rebuild -1");
    // Cycling and auto mode refuse with their messages.
    engine.cycle = true;
    Choose("N1");
    EXPECT_EQ(boxes.back().text, L"对不起！系统正处轮视模式，操作无效！");
}

TEST_F(Console, UsersNeedAChiefAdministratorAndMinimiseAsksForOne) {
    engine.chief = false;
    Choose("N5");
    EXPECT_TRUE(Refused());
    EXPECT_TRUE(windows.opened.empty());
    engine.chief = true;
    answer = IDNO; // the lock question after OK
    Choose("N5");
    EXPECT_EQ(engine.log, (std::vector<int>{38, 39}));
    EXPECT_EQ(engine.calls.back(), "ReloadUsers");
    EXPECT_EQ(boxes.back().text, L"你要锁定系统吗？");
    windows.result = mrCancel;
    Choose("N5");
    EXPECT_EQ(engine.log.back(), 40);

    commands->AskLogon = [](std::string& n, std::string& p) {
        n = "op";
        p = "1";
        return true;
    };
    engine.chief = false;
    Choose("N34");
    EXPECT_EQ(boxes.back().text, L"对不起！您无权执行此项操作。");
    engine.chief = true;
    Choose("N34");
    EXPECT_EQ(engine.calls.back(), "Minimize");
}

TEST_F(Console, HostGroupsAndTheSearchRebuildOnOk) {
    Choose("N2");
    EXPECT_EQ(engine.log, (std::vector<int>{9, 10, 11}));
    EXPECT_EQ(engine.calls, (std::vector<std::string>{"StopReceivers", "CloseAll PRD rebuild -1"}));
    engine.cycle = true;
    Choose("N2");
    EXPECT_EQ(boxes.back().text, L"对不起，系统正处轮视模式，操作无效！");
    engine.cycle = false;
    windows.opened.clear();
    windows.give.HostsFound = false;
    Choose("N37");
    EXPECT_EQ(windows.opened, (std::vector<TConsoleWindow>{TConsoleWindow::SearchHosts}));
    windows.give.HostsFound = true;
    Choose("N37");
    EXPECT_EQ(windows.opened.back(), TConsoleWindow::HostGroups);
}

TEST_F(Console, CyclingOnBoardAndOnClientHosts) {
    // Board and client mode: the timer stops and only the message shows.
    engine.clientMode = true;
    engine.timerOn = true;
    Press(6);
    EXPECT_FALSE(engine.timerOn);
    EXPECT_EQ(boxes.back().text, L"对不起！在兼作分控的模式下不支持轮视。");
    EXPECT_TRUE(windows.opened.empty());

    engine.clientMode = false;
    windows.give.LayoutIndex = 2;
    windows.give.CycleSeconds = 7;
    Press(6);
    EXPECT_EQ(windows.opened.back(), TConsoleWindow::ServerCycle);
    EXPECT_TRUE(engine.cycle);
    EXPECT_TRUE(engine.timerOn);
    EXPECT_EQ(engine.timerMs, 7000);
    EXPECT_EQ(engine.layoutIndex, 2);
    EXPECT_EQ(commands->PictureOf(6), -7);
    Press(6);
    EXPECT_FALSE(engine.cycle);
    EXPECT_FALSE(engine.timerOn);
    EXPECT_EQ(commands->PictureOf(6), 7);

    engine.board = 0;
    engine.total = engine.net = 8;
    engine.cycleFlags = {false, true, true};
    windows.give.CycleSeconds = 9;
    Press(6);
    EXPECT_EQ(windows.opened.back(), TConsoleWindow::ClientCycle);
    EXPECT_EQ(engine.cycleGroup, 1);
    EXPECT_TRUE(engine.cycle);
    EXPECT_FALSE(engine.timerOn) << "the open-all worker starts it";
    EXPECT_EQ(engine.timerMs, 9000);
    EXPECT_EQ(engine.calls.back(), "CloseAll PRD rebuild cycle -1");

    // No group takes part: the dialog's OK starts nothing.
    Press(6);
    EXPECT_FALSE(engine.cycle);
    engine.cycleFlags = {false, false};
    engine.calls.clear();
    Press(6);
    EXPECT_FALSE(engine.cycle);
    EXPECT_EQ(engine.cycleGroup, -1);
    EXPECT_EQ(commands->PictureOf(6), 7);
    EXPECT_TRUE(engine.calls.empty());
}

// The timer's step on a host without boards: the next group that takes part, wrapping, is
// shown by a close-all that rebuilds for the cycle, after the receive threads have ended.
TEST_F(Console, CyclingStepsOverTheFlaggedHostGroups) {
    engine.board = 0;
    engine.total = engine.net = 4;
    engine.cycle = true;
    engine.cycleFlags = {true, false, true};
    engine.cycleGroup = 0;
    for (int group : {2, 0, 2}) {
        engine.calls.clear();
        engine.timerOn = true;
        commands->CycleNetworkGroups();
        EXPECT_EQ(engine.cycleGroup, group);
        EXPECT_FALSE(engine.timerOn);
        EXPECT_EQ(engine.calls,
                  (std::vector<std::string>{"StopReceivers", "CloseAll PRD rebuild cycle -1"}));
    }

    // A worker still running: the step waits, the timer keeps running.
    engine.batchBusy = true;
    engine.calls.clear();
    engine.timerOn = true;
    commands->CycleNetworkGroups();
    EXPECT_EQ(engine.cycleGroup, 2);
    EXPECT_TRUE(engine.timerOn);
    EXPECT_TRUE(engine.calls.empty());
    engine.batchBusy = false;

    // No group takes part any more: nothing happens.
    engine.cycleFlags = {false, false, false};
    commands->CycleNetworkGroups();
    EXPECT_TRUE(engine.timerOn);
    EXPECT_TRUE(engine.calls.empty());

    // A group index past a shortened list starts from the first group.
    engine.cycleFlags = {true, true};
    commands->CycleNetworkGroups();
    EXPECT_EQ(engine.cycleGroup, 1);

    // Cycling switched off meanwhile: the timer stops and nothing closes.
    engine.cycle = false;
    engine.calls.clear();
    engine.timerOn = true;
    commands->CycleNetworkGroups();
    EXPECT_EQ(engine.cycleGroup, 0);
    EXPECT_FALSE(engine.timerOn);
    EXPECT_TRUE(engine.calls.empty());
}

TEST_F(Console, CoversOpenAndClose) {
    EXPECT_FALSE(commands->im_YTRecover->Visible());
    commands->im_YTUnconver->Click();
    EXPECT_FALSE(commands->im_YTCover->Visible());
    EXPECT_TRUE(commands->im_YTRecover->Visible());
    commands->im_YTRecover->Click();
    EXPECT_TRUE(commands->im_YTCover->Visible());
    EXPECT_FALSE(commands->im_YTRecover->Visible());
    commands->im_SystemCtrlBar->Click();
    EXPECT_FALSE(commands->im_SystemCtrlBar->Visible());
    commands->im_FunctionCovering->Click();
    EXPECT_TRUE(commands->im_SystemCtrlBar->Visible());
}

// The side panel as the operator sees it, saved beside the test programs.
TEST_F(Console, Screenshot) {
    commands->im_PreviewParaBar->Click();
    commands->im_SystemCtrlBar->Click();
    engine.pictures[0] = {128, 64, 30, 200};
    commands->ShowPictureValues(0);
    form->Repaint();
    testing::PumpWaiting();
    testing::SaveWindowShot(form->WindowHandle(), "host_console");
}

} // namespace
} // namespace vantrel
