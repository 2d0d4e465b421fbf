#include "host/ui/U_ConsoleCommands.h"

#include "common/win/textconv.h"
#include "host/engine/U_ClientGroups.h"
#include "framework/colors.h"

#include <cmath>

namespace vantrel {

using namespace dvr::fw;

namespace {

constexpr int kSliderLeft = 904;
constexpr int kSliderSpan = 93;
constexpr int kBarHeight = 22;
constexpr int kBarRest[4] = {114, 380, 405, 430};
constexpr int kOpenAllTop[3] = {358, 383, 408};

std::string Gbk(const char* utf8) {
    return dvr::win::Utf8ToGbk(utf8);
}

std::wstring Wide(const char* utf8) {
    return dvr::win::Utf8ToWide(utf8);
}

const wchar_t* const kNoRight = L"对不起！您不具备本操作的权限。";

bool Toggle(int tag) {
    return tag == 2 || tag == 4 || tag == 6 || tag == 8;
}

} // namespace

int ThumbLeftOfValue(int value, int range, int thumbWidth) {
    const int min = kSliderLeft - thumbWidth / 2;
    return min + int(std::lround(double(value) * kSliderSpan / range));
}

int ThumbValueOfLeft(int left, int range, int thumbWidth) {
    const int min = kSliderLeft - thumbWidth / 2;
    return int(std::lround(double(left - min) / kSliderSpan * range));
}

// A menu item that opens a window behind a right. Items with their own steps name none.
struct TMenuCommand {
    const char* Name;
    int Right;       // -1: none
    int RightItem;   // -1: none
    TConsoleWindow Window;
    int LogBefore;   // -1: none
    int LogAfter;    // -1: none
    void (TConsoleCommands::*Own)() = nullptr;
};

namespace {

using W = TConsoleWindow;

const TMenuCommand kMenuCommands[] = {
    {"N29", 30, -1, W::RemoteSettings, -1, -1},
    {"N35", 25, -1, W::StationMap, -1, -1},
    {"N3", 8, -1, W::LocalReplay, 26, 27},
    {"N4", 9, -1, W::RemoteReplay, 28, 29},
    {"N6", 25, -1, W::ElectronMap, -1, -1},
    {"N19", 24, 0, W::LocalAlarmOut, 8, -1},
    {"N20", 24, 1, W::RemoteAlarmOut, -1, -1},
    {"N24", 26, -1, W::RemoteAlarms, 70, -1},
    {"XM32161", -1, -1, W::Matrix3216, -1, -1},
    {"DSD1", -1, -1, W::MatrixDSD, -1, -1},
    {"Pelco2321", -1, -1, W::MatrixPelco232, -1, -1},
    {"AD1", -1, -1, W::MatrixDSD, -1, -1},
    {"XM32162", -1, -1, W::RemoteMatrix3216, -1, -1},
    {"DSD2", -1, -1, W::RemoteMatrixDSD, -1, -1},
    {"Pelco2322", -1, -1, W::RemoteMatrixPelco232, -1, -1},
    {"AD2", -1, -1, W::RemoteMatrixDSD, -1, -1},
    {"N12", 16, -1, W::VoiceBroadcast, 41, -1},
    {"N13", -1, -1, W::Chat, -1, -1},
    {"N15", 23, 0, W::LocalDisk, 56, -1},
    {"N16", 23, 1, W::RemoteDisk, -1, -1},
    {"N18", 22, -1, W::Connections, 54, -1},
    {"N25", 27, -1, W::DialUp, -1, -1},
    {"N11", -1, -1, W::ClearDataMsg, -1, -1},
    {"N21", 28, -1, W::RemoteCtrl, -1, -1},
    {"N17", 21, -1, W::IPPing, -1, -1},
    {"N28", 31, -1, W::NetDog, -1, -1},
    {"N30", 32, -1, W::RemoteUpgrade, -1, -1},
    {"N31", -1, -1, W::SendSms, -1, -1},
    {"WebServer1", -1, -1, W::WebServer, -1, -1},
    {"N36", -1, -1, W::SendReceiveFile, -1, -1},
    {"N26", 13, 0, W::LocalWorkLog, 34, -1},
    {"N27", 13, 1, W::RemoteWorkLog, 34, -1},
    {"N1", -1, -1, W::LocalSettings, -1, -1, &TConsoleCommands::LocalSettingsCommand},
    {"N2", -1, -1, W::HostGroups, -1, -1, &TConsoleCommands::HostGroupsCommand},
    {"N37", -1, -1, W::SearchHosts, -1, -1, &TConsoleCommands::SearchHostsCommand},
    {"N5", -1, -1, W::Users, -1, -1, &TConsoleCommands::UsersCommand},
    {"N32", -1, -1, W::AutoFullScreen, -1, -1, &TConsoleCommands::AutoFullScreenCommand},
    {"N34", -1, -1, W::Users, -1, -1, &TConsoleCommands::MinimizeCommand},
};

} // namespace

TConsoleCommands::TConsoleCommands(TCustomForm* console, TConsoleEngine& engine,
                                   TConsoleWindows& windows)
    : TComponent(console), console_(console), engine_(engine), windows_(windows) {
    // The function buttons lie under the function cover, the PTZ panel under its cover below;
    // lock, exit, cycling and other functions at the bottom.
    Buttons[0] = MakeButton("im_PartWindow", 0, 906, 455, "画面分割");
    Buttons[1] = MakeButton("im_SystemSet", 1, 954, 455, "系统设置");
    Buttons[2] = MakeButton("im_AutoWork", 2, 906, 473, "进入自动工作模式，执行自动工作计划");
    Buttons[3] = MakeButton("im_Replay", 3, 954, 473, "回放");
    Buttons[4] = MakeButton("im_PreviewAudio", 4, 906, 491, "监听");
    Buttons[5] = MakeButton("im_CaptureBMP", 5, 954, 491, "抓帧");
    Buttons[6] = MakeButton("im_CycleVideo", 6, 912, 746, "轮视/分组");
    Buttons[7] = MakeButton("im_OtherFunction", 7, 962, 746, "其它功能");
    Buttons[8] = MakeButton("im_Logon", 8, 912, 726, "登录/锁定");
    Buttons[9] = MakeButton("im_ExitSystem", 9, 962, 726, "退出系统");
    for (int tag = 0; tag < 10; ++tag)
        SetPicture(Buttons[size_t(tag)], tag + 1, tag == 8);
    Buttons[2]->OnClick = TNotifyEvent(this, &TConsoleCommands::im_AutoWorkClick);
    Buttons[4]->OnClick = TNotifyEvent(this, &TConsoleCommands::im_PreviewAudioClick);
    Buttons[5]->OnClick = TNotifyEvent(this, &TConsoleCommands::im_CaptureBMPClick);
    Buttons[6]->OnClick = TNotifyEvent(this, &TConsoleCommands::im_CycleVideoClick);
    Buttons[8]->OnClick = TNotifyEvent(this, &TConsoleCommands::im_LogonClick);
    Buttons[9]->OnClick = TNotifyEvent(this, &TConsoleCommands::im_ExitSystemClick);

    // The side panel: four bars, status pictures between them, the colour tools under the last.
    im_PreviewBar = MakeBar("im_PreviewBar", "预览", kBarRest[0]);
    im_CaptureBar = MakeBar("im_CaptureBar", "录像", kBarRest[1]);
    im_AlarmBar = MakeBar("im_AlarmBar", "报警", kBarRest[2]);
    im_PreviewParaBar = MakeBar("im_PreviewParaBar", "色彩调节", kBarRest[3]);

    im_OpenAll = MakeButton("im_OpenAll", 11, 912, kOpenAllTop[0], nullptr);
    im_CloseAll = MakeButton("im_CloseAll", 12, 962, kOpenAllTop[0], nullptr);
    im_SaveColor = MakeButton("im_SaveColor", 13, 906, 358, nullptr);
    im_DefaultColor = MakeButton("im_DefaultColor", 14, 954, 358, nullptr);
    im_CopyColorToAll = MakeButton("im_CopyColorToAll", 15, 930, 336, nullptr);
    im_SaveColor->SetHint(Gbk("保存"));
    im_DefaultColor->SetHint(Gbk("默认值"));
    im_CopyColorToAll->SetHint(Gbk("复制到所有通道"));
    im_OpenAll->OnClick = TNotifyEvent(this, &TConsoleCommands::im_OpenAllClick);
    im_CloseAll->OnClick = TNotifyEvent(this, &TConsoleCommands::im_CloseAllClick);
    im_SaveColor->OnClick = TNotifyEvent(this, &TConsoleCommands::im_SaveColorClick);
    im_DefaultColor->OnClick = TNotifyEvent(this, &TConsoleCommands::im_DefaultColorClick);
    im_CopyColorToAll->OnClick = TNotifyEvent(this, &TConsoleCommands::im_CopyColorToAllClick);

    // The colour tools are drawn on the console itself, so the thumbs lie over their bars.
    im_PreviewParaSign = new TShape(this);
    im_PreviewParaSign->SetName("im_PreviewParaSign");
    im_PreviewParaSign->SetParent(console_);
    im_PreviewParaSign->SetBounds(kSliderLeft - 4, 206, 116, 126);
    im_PreviewParaSign->Brush()->SetColor(0x403020);
    im_PreviewParaSign->Pen()->SetColor(0x806040);
    const char* const signs[4] = {"亮度", "对比度", "饱和度", "色调"};
    TShape** bars[4] = {&im_BrightBar, &im_ContrastBar, &im_SaturationBar, &im_HueBar};
    TImage** thumbs[4] = {&im_Bright, &im_Contrast, &im_Saturation, &im_Hue};
    const char* const barNames[4] = {"im_BrightBar", "im_ContrastBar", "im_SaturationBar",
                                     "im_HueBar"};
    const char* const thumbNames[4] = {"im_Bright", "im_Contrast", "im_Saturation", "im_Hue"};
    for (int i = 0; i < 4; ++i) {
        const int top = 210 + 30 * i;
        auto* label = new TLabel(this);
        label->SetParent(console_);
        label->SetBounds(kSliderLeft, top, 80, 14);
        label->SetCaption(Gbk(signs[i]));
        label->Font()->SetColor(clWhite);
        label->SetTransparent(true);
        auto* bar = new TShape(this);
        bar->SetName(barNames[i]);
        bar->SetParent(console_);
        bar->SetBounds(kSliderLeft, top + 19, kSliderSpan, 3);
        bar->Brush()->SetColor(0x101010);
        bar->Pen()->SetColor(0xA0A0A0);
        *bars[i] = bar;
        TImage* thumb = MakeButton(thumbNames[i], 10, kSliderLeft, top + 13, signs[i]);
        thumb->SetBounds(kSliderLeft - 4, top + 13, 9, 14);
        thumb->OnMouseMove = TMouseMoveEvent(this, &TConsoleCommands::ThumbMouseMove);
        *thumbs[i] = thumb;
    }

    // The covers over the PTZ panel and the function area.
    im_YTCover = MakeCover("im_YTCover", "云台控制", 904, 510, 116, 214);
    // The opening button lies on the cover; the closing one shows only while it is open.
    im_YTUnconver = MakeCover("im_YTUnconver", "点击拉开", 30, 150, 56, 20);
    im_YTUnconver->SetParent(im_YTCover);
    im_YTRecover = MakeCover("im_YTRecover", "点击合上", 940, 702, 50, 18);
    im_SystemCtrlBar = MakeCover("im_SystemCtrlBar", "点击掀开", 904, 453, 116, 57);
    im_FunctionCovering = MakeCover("im_FunctionCovering", "盖", 1002, 455, 18, 54);
    im_FunctionCovering->SetHint(Gbk("点击盖上"));
    im_FunctionCovering->SetShowHint(true);
    // The covers lie over what they cover, their opening buttons over them.
    im_YTRecover->SetVisible(false);
    for (TPanel* c : {im_YTUnconver, im_YTRecover, im_SystemCtrlBar, im_FunctionCovering})
        c->OnClick = TNotifyEvent(this, &TConsoleCommands::CoverClick);

    BuildMenus();
    PlaceBars(0);
    engine_.ShowStatusImages(0, true);
}

TImage* TConsoleCommands::MakeButton(const char* name, int tag, int left, int top,
                                     const char* hint) {
    auto* image = new TImage(this);
    image->SetName(name);
    // The console may already carry a place for the button: it keeps the button's bounds
    // (the console's unlock looks at them) but stays hidden, so the covers lie over the
    // pictures alone.
    if (auto* place = dynamic_cast<TControl*>(console_->FindComponent(name))) {
        place->SetBounds(left, top, 46, 18);
        place->SetVisible(false);
    }
    image->SetParent(console_);
    image->SetBounds(left, top, 46, 18);
    image->SetTag(tag);
    image->SetStretch(true);
    if (hint) {
        image->SetHint(Gbk(hint));
        image->SetShowHint(true);
    }
    image->OnMouseDown = TMouseEvent(this, &TConsoleCommands::ButtonMouseDown);
    image->OnMouseUp = TMouseEvent(this, &TConsoleCommands::ButtonMouseUp);
    SetPicture(image, tag + 1, false);
    return image;
}

TPanel* TConsoleCommands::MakeBar(const char* name, const char* caption, int top) {
    auto* bar = new TPanel(this);
    bar->SetName(name);
    bar->SetParent(console_);
    bar->SetBounds(kSliderLeft, top, 116, kBarHeight);
    bar->SetCaption(Gbk(caption));
    bar->SetColor(0x705838);
    bar->Font()->SetColor(clWhite);
    bar->SetTag(1);
    bar->OnClick = TNotifyEvent(this, &TConsoleCommands::BarClick);
    return bar;
}

TPanel* TConsoleCommands::MakeCover(const char* name, const char* caption, int left, int top,
                                    int w, int h) {
    auto* cover = new TPanel(this);
    cover->SetName(name);
    cover->SetParent(console_);
    cover->SetBounds(left, top, w, h);
    cover->SetCaption(Gbk(caption));
    cover->SetColor(0x504030);
    cover->Font()->SetColor(clWhite);
    return cover;
}

TMenuItem* TConsoleCommands::AddItem(TMenuItem* parent, const char* name, const char* caption,
                                     int tag) {
    auto* item = new TMenuItem(this);
    if (name) item->SetName(name);
    item->SetCaption(Gbk(caption));
    item->SetTag(tag);
    if (name && std::string(name) != "N22" && std::string(name) != "N23")
        item->OnClick = TNotifyEvent(this, &TConsoleCommands::MenuClick);
    parent->Add(item);
    items_.push_back(item);
    return item;
}

void TConsoleCommands::BuildMenus() {
    pm_SystemSet = new TPopupMenu(this);
    pm_Replay = new TPopupMenu(this);
    pm_OtherFunction = new TPopupMenu(this);
    pm_ClientSetGoups = new TPopupMenu(this);
    TMenuItem* s = pm_SystemSet->Items();
    AddItem(s, "N1", "本地设置", 0);
    AddItem(s, "N2", "分控设置", 0);
    AddItem(s, "N29", "远程设置", 0);
    AddItem(s, "N37", "搜索远程主控", 0);
    TMenuItem* r = pm_Replay->Items();
    AddItem(r, "N3", "回放本地录像", 0);
    AddItem(r, "N4", "回放远程录像", 0);
    TMenuItem* o = pm_OtherFunction->Items();
    AddItem(o, "N35", "站点分布图", 0);
    AddItem(o, "N6", "电子地图", 0);
    TMenuItem* box = AddItem(o, nullptr, "报警盒输出控制", 0);
    AddItem(box, "N19", "本地", 0);
    AddItem(box, "N20", "远程", 0);
    AddItem(o, "N24", "远程报警信息", 0);
    TMenuItem* matrix = AddItem(o, nullptr, "矩阵", 0);
    TMenuItem* local = AddItem(matrix, "N22", "本地", 0);
    AddItem(local, "XM32161", "XM-3216", 0);
    AddItem(local, "DSD1", "DS_D", 0);
    AddItem(local, "Pelco2321", "Pelco232", 0);
    AddItem(local, "AD1", "AD", 0);
    TMenuItem* remote = AddItem(matrix, "N23", "远程", 0);
    AddItem(remote, "XM32162", "XM-3216", 0);
    AddItem(remote, "DSD2", "DS_D", 0);
    AddItem(remote, "Pelco2322", "Pelco232", 0);
    AddItem(remote, "AD2", "AD", 0);
    AddItem(o, "N12", "语音广播", 0);
    AddItem(o, "N13", "聊天室", 0);
    TMenuItem* disk = AddItem(o, nullptr, "磁盘空间状况", 0);
    AddItem(disk, "N15", "本地", 0);
    AddItem(disk, "N16", "远程", 0);
    AddItem(o, "N18", "远程连接信息", 0);
    AddItem(o, "N25", "拨号", 0);
    AddItem(o, "N11", "清盘及写盘故障信息", 0);
    AddItem(o, "N21", "远程控制", 0);
    AddItem(o, "N17", "网络巡更", 0);
    AddItem(o, "N28", "网络督察", 0);
    AddItem(o, "N30", "远程升级", 0);
    AddItem(o, "N31", "发送手机短消息", 0);
    AddItem(o, "N32", "运动触发自动全屏", 0);
    AddItem(o, "WebServer1", "Web Server 管理", 0);
    AddItem(o, "N36", "发送/接收文件", 0);
    AddItem(o, "N5", "用户管理", 0);
    TMenuItem* log = AddItem(o, nullptr, "日志管理", 0);
    AddItem(log, "N26", "本地", 0);
    AddItem(log, "N27", "远程", 0);
    AddItem(o, "N34", "最小化", 0);
}

TMenuItem* TConsoleCommands::Item(const char* name) const {
    for (TMenuItem* i : items_)
        if (i->Name() == name) return i;
    return nullptr;
}

void TConsoleCommands::SetPicture(TImage* image, int pair, bool down) {
    const std::string res = std::string(down ? "Function_Down_" : "Function_Up_") +
                            std::to_string(pair);
    try {
        image->Picture()->Bitmap()->LoadFromResourceName(::GetModuleHandleW(nullptr), res);
    } catch (...) {
        // A program without the pictures keeps a blank button.
    }
    const int tag = image->Tag();
    if (tag >= 0 && tag < 10 && image == Buttons[size_t(tag)])
        pictures_[size_t(tag)] = down ? -pair : pair;
}

int TConsoleCommands::Message(const wchar_t* text, const wchar_t* caption, UINT type) {
    if (Ask) return Ask(text, caption, type);
    return ::MessageBoxW(console_->WindowHandle(), text, caption, type);
}

void TConsoleCommands::Refuse() {
    Message(kNoRight, L"权限验证", MB_OK | MB_ICONERROR);
}

void TConsoleCommands::Say(const char* utf8) {
    const std::string title = Application ? Application->Title() : "";
    Message(Wide(utf8).c_str(), dvr::win::GbkToWide(title).c_str(), MB_OK);
}

void TConsoleCommands::Popup(TPopupMenu* menu, int x, int y) {
    if (PopupMenu)
        PopupMenu(menu, x, y);
    else
        menu->Popup(x, y);
}

void TConsoleCommands::ButtonMouseDown(TObject* Sender, TMouseButton, TShiftState, int, int) {
    auto* image = static_cast<TImage*>(Sender);
    LastCursorPos = CursorPos ? CursorPos() : POINT{};
    if (!CursorPos) ::GetCursorPos(&LastCursorPos);
    const int tag = image->Tag();
    if (!Toggle(tag)) SetPicture(image, tag + 1, true);
}

void TConsoleCommands::ButtonMouseUp(TObject* Sender, TMouseButton Button, TShiftState, int,
                                     int) {
    auto* image = static_cast<TImage*>(Sender);
    const int tag = image->Tag();
    const TPoint corner =
        image->Parent()->ClientToScreen(TPoint{image->Left(), image->Top()});
    const int x = corner.X, y = corner.Y;
    switch (image == Buttons[size_t(tag < 10 && tag >= 0 ? tag : 0)] ? tag : -1) {
    case 6:
        if (Button == TMouseButton::mbRight &&
            (engine_.BoardCount() == 0 || engine_.ClientMode())) {
            const std::vector<std::string> groups = engine_.GroupNames();
            if (groups.size() > 1) {
                pm_ClientSetGoups->Items()->Clear();
                for (size_t g = 0; g < groups.size(); ++g) {
                    auto* item = new TMenuItem(this);
                    item->SetCaption(groups[g]);
                    item->SetTag(int(g));
                    item->OnClick = TNotifyEvent(this, &TConsoleCommands::GroupItemClick);
                    pm_ClientSetGoups->Items()->Add(item);
                }
                Popup(pm_ClientSetGoups, x, y);
            }
        }
        break;
    case 0:
        engine_.PopupLayoutMenu(x, y);
        break;
    case 1:
        if (engine_.AutoMode()) {
            Say("对不起！系统处于自动工作模式，操作无效！");
        } else if (engine_.CycleMode()) {
            Say("对不起！系统处于轮视工作模式，操作无效！");
        } else {
            const bool board = engine_.BoardCount() > 0, client = engine_.ClientMode();
            Item("N1")->SetVisible(board);
            Item("N2")->SetVisible(!board || client);
            Popup(pm_SystemSet, x, y - 40);
        }
        break;
    case 3:
        Popup(pm_Replay, x, y - 40);
        break;
    case 7: {
        const bool board = engine_.BoardCount() > 0;
        Item("N23")->SetEnabled(engine_.NetChannelCount() > 0);
        Item("N18")->SetVisible(board);
        Item("N22")->SetEnabled(board);
        Popup(pm_OtherFunction, x, y);
        break;
    }
    default:
        break;
    }
    if (!Toggle(tag)) SetPicture(image, tag + 1, false);
}

void TConsoleCommands::im_AutoWorkClick(TObject*) {
    if (engine_.TotalChannels() == 0) return;
    if (!engine_.CheckRight(6, -1)) return Refuse();
    TImage* b = Buttons[2];
    if (engine_.AutoMode()) {
        engine_.StopAutoWork();
        SetPicture(b, 3, false);
        b->SetHint(Gbk("进入自动工作模式，执行自动工作计划"));
        engine_.WriteLog(24);
    } else {
        engine_.StartAutoWork();
        SetPicture(b, 3, true);
        b->SetHint(Gbk("退出自动工作模式，停止自动工作计划"));
        engine_.WriteLog(23);
    }
}

void TConsoleCommands::im_PreviewAudioClick(TObject*) {
    if (engine_.TotalChannels() == 0) return;
    const int ch = engine_.SelectedChannel();
    if (!engine_.CheckRight(14, ch)) return Refuse();
    if (engine_.Listening()) {
        engine_.StopListen(ch);
        SetPicture(Buttons[4], 5, false);
        engine_.WriteLog(37);
    } else {
        engine_.StartListen(ch);
        SetPicture(Buttons[4], 5, true);
        engine_.WriteLog(36);
    }
}

void TConsoleCommands::im_CaptureBMPClick(TObject*) {
    const int total = engine_.TotalChannels();
    const int ch = engine_.SelectedChannel();
    if (total == 0 || ch < 0 || ch >= total || !engine_.PanePlaying(ch)) return;
    if (!engine_.CheckRight(11, -1)) return Refuse();
    if (ch < engine_.BoardCount()) {
        const std::string name = engine_.SnapshotFileName(ch);
        if (name.empty()) return;
        engine_.ForceFolderOf(name);
        engine_.SaveSnapshot(ch, name);
    } else {
        engine_.SnapshotNetworkPane(ch);
    }
    engine_.WriteLog(32);
}

void TConsoleCommands::im_CycleVideoClick(TObject*) {
    const int board = engine_.BoardCount();
    if (board > 0 && engine_.ClientMode()) {
        engine_.SetCycleTimer(false, 0);
        SetPicture(Buttons[6], 7, false);
        Say("对不起！在兼作分控的模式下不支持轮视。");
        return;
    }
    if (engine_.CycleMode()) {
        engine_.SetCycleMode(false);
        engine_.SetCycleTimer(false, 0);
        SetPicture(Buttons[6], 7, false);
        return;
    }
    if (!engine_.CheckRight(19, -1)) return Refuse();
    if (board == 0 && engine_.NetChannelCount() > 0)
        StartClientCycle();
    else if (board > 0 && board >= engine_.TotalChannels())
        StartServerCycle();
}

void TConsoleCommands::StartClientCycle() {
    TConsoleDialogResult r;
    if (windows_.Open(TConsoleWindow::ClientCycle, r) != mrOk) {
        engine_.SetCycleMode(false);
        return;
    }
    const int group = NextCycleGroup(engine_.CycleFlags(), -1);
    engine_.SetCycleGroup(group);
    if (group < 0) return;
    engine_.SetCycleMode(true);
    // The open-all worker starts the timer once the group's channels are open.
    engine_.SetCycleTimer(false, r.CycleSeconds * 1000);
    SetPicture(Buttons[6], 7, true);
    engine_.CloseAll(true, true, true, true, true, -1);
}

void TConsoleCommands::CycleNetworkGroups() {
    if (engine_.NetChannelCount() <= 0) return;
    // A worker still running would drop the close-all and, with the timer stopped, end the
    // cycle: the step waits for the next tick.
    if (engine_.BatchBusy()) return;
    const int next = NextCycleGroup(engine_.CycleFlags(), engine_.CycleGroup());
    if (next < 0) return;
    engine_.SetCycleGroup(next);
    // The open-all worker starts the timer again once the group's channels are open.
    engine_.SetCycleTimer(false, 0);
    if (!engine_.CycleMode()) return;
    // No receive thread may run into the channel map's rebuild.
    engine_.StopNetworkReceivers();
    engine_.Pause(50);
    engine_.CloseAll(true, true, true, true, true, -1);
}

void TConsoleCommands::StartServerCycle() {
    TConsoleDialogResult r;
    if (windows_.Open(TConsoleWindow::ServerCycle, r) != mrOk) return;
    engine_.LayoutMenuClick(r.LayoutIndex);
    engine_.SetCycleMode(true);
    engine_.SetCycleTimer(true, r.CycleSeconds * 1000);
    SetPicture(Buttons[6], 7, true);
}

void TConsoleCommands::im_LogonClick(TObject*) {
    if (Message(L"你要锁定系统吗？", L"提示信息",
                MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return;
    engine_.LockConsole();
    ShowLocked(true);
    engine_.WriteLog(2);
}

void TConsoleCommands::ShowLocked(bool locked) {
    SetPicture(Buttons[8], 9, locked);
}

void TConsoleCommands::im_ExitSystemClick(TObject*) {
    if (ExitSystem) ExitSystem();
}

void TConsoleCommands::PlaceBars(int chosen) {
    chosenBar_ = chosen;
    TPanel* bars[4] = {im_PreviewBar, im_CaptureBar, im_AlarmBar, im_PreviewParaBar};
    for (int i = 0; i < 4; ++i) {
        const bool raised = i <= chosen && i > 0;
        bars[i]->SetTag(raised ? 0 : 1);
        bars[i]->SetTop(raised ? kBarRest[0] + kBarHeight * i : kBarRest[i]);
    }
    for (int kind = 0; kind < 3; ++kind)
        engine_.ShowStatusImages(kind, kind == chosen);
    const bool colour = chosen == 3;
    if (colour) {
        ShowColorTools();
    } else {
        HideColorTools();
        im_OpenAll->SetTop(kOpenAllTop[chosen]);
        im_CloseAll->SetTop(kOpenAllTop[chosen]);
    }
    im_OpenAll->SetVisible(!colour);
    im_CloseAll->SetVisible(!colour);
    im_SaveColor->SetVisible(colour);
    im_DefaultColor->SetVisible(colour);
    im_CopyColorToAll->SetVisible(colour);
    for (TPanel* b : {im_AlarmBar, im_CaptureBar, im_PreviewBar, im_PreviewParaBar})
        b->BringToFront();
    if (colour) ShowPictureValues(engine_.SelectedChannel());
}

void TConsoleCommands::BarClick(TObject* Sender) {
    if (Sender == im_PreviewBar) PlaceBars(0);
    else if (Sender == im_CaptureBar) PlaceBars(1);
    else if (Sender == im_AlarmBar) PlaceBars(2);
    else if (Sender == im_PreviewParaBar) PlaceBars(3);
}

void TConsoleCommands::ShowColorTools() {
    for (TControl* c : std::initializer_list<TControl*>{
             im_PreviewParaSign, im_BrightBar, im_ContrastBar, im_SaturationBar, im_HueBar,
             im_Bright, im_Contrast, im_Saturation, im_Hue})
        c->SetVisible(true);
    for (int i = 0; i < ComponentCount(); ++i)
        if (auto* l = dynamic_cast<TLabel*>(Components(i))) {
            l->SetVisible(true);
            l->BringToFront();
        }
    for (TControl* c : std::initializer_list<TControl*>{im_BrightBar, im_ContrastBar,
                                                       im_SaturationBar, im_HueBar, im_Bright,
                                                       im_Contrast, im_Saturation, im_Hue})
        c->BringToFront();
}

void TConsoleCommands::HideColorTools() {
    for (TControl* c : std::initializer_list<TControl*>{
             im_PreviewParaSign, im_BrightBar, im_ContrastBar, im_SaturationBar, im_HueBar,
             im_Bright, im_Contrast, im_Saturation, im_Hue})
        c->SetVisible(false);
    for (int i = 0; i < ComponentCount(); ++i)
        if (auto* l = dynamic_cast<TLabel*>(Components(i))) l->SetVisible(false);
}

void TConsoleCommands::OpenOrCloseAll(bool open) {
    if (engine_.TotalChannels() == 0) return;
    if (engine_.CycleMode() && engine_.BoardCount() == 0)
        return Say(open ? "对不起！系统处于轮视模式中，操作无效！"
                        : "对不起，系统处于轮视模式中，操作无效！");
    if (im_CaptureBar->Tag() == 1) {
        if (open)
            engine_.OpenAll(true, false, false);
        else
            engine_.CloseAll(true, false, false, false, false, -1);
        return;
    }
    if (engine_.AutoMode())
        return Say(open ? "对不起！系统处于自动工作模式，操作无效！"
                        : "对不起，系统处于自动工作模式，操作无效！");
    const bool record = im_AlarmBar->Tag() == 1;
    if (open)
        engine_.OpenAll(false, record, !record);
    else
        engine_.CloseAll(false, record, !record, false, false, -1);
}

void TConsoleCommands::im_OpenAllClick(TObject*) {
    OpenOrCloseAll(true);
}

void TConsoleCommands::im_CloseAllClick(TObject*) {
    OpenOrCloseAll(false);
}

void TConsoleCommands::im_SaveColorClick(TObject*) {
    engine_.SavePictures();
}

void TConsoleCommands::im_DefaultColorClick(TObject*) {
    const int ch = engine_.SelectedChannel();
    if (ch < 0 || ch >= engine_.TotalChannels()) return;
    TPictureParams& p = engine_.Picture(ch);
    p.Brightness = 140;
    p.Contrast = 50;
    p.Saturation = 70;
    p.Hue = 128;
    engine_.ApplyPicture(ch);
    engine_.NotifyPaneColor(ch);
}

void TConsoleCommands::im_CopyColorToAllClick(TObject*) {
    const int sel = engine_.SelectedChannel();
    if (sel < 0 || sel >= engine_.TotalChannels()) return;
    const TPictureParams p = engine_.Picture(sel);
    for (int ch = 0; ch < engine_.BoardCount(); ++ch) {
        engine_.Picture(ch) = p;
        engine_.ApplyPicture(ch);
        engine_.Pause(10);
    }
}

int TConsoleCommands::ThumbMin(TImage* thumb) const {
    return kSliderLeft - thumb->Width() / 2;
}

void TConsoleCommands::ShowPictureValues(int channel) {
    if (channel < 0 || channel >= engine_.TotalChannels()) return;
    const TPictureParams& p = engine_.Picture(channel);
    const struct {
        TImage* thumb;
        int value, range;
    } rows[4] = {{im_Bright, int(p.Brightness), 255},
                 {im_Contrast, p.Contrast, 127},
                 {im_Saturation, p.Saturation, 127},
                 {im_Hue, int(p.Hue), 255}};
    for (const auto& r : rows)
        r.thumb->SetLeft(ThumbLeftOfValue(r.value, r.range, r.thumb->Width()));
}

void TConsoleCommands::ThumbMouseMove(TObject* Sender, TShiftState Shift, int, int Y) {
    auto* thumb = static_cast<TImage*>(Sender);
    const int ch = engine_.SelectedChannel();
    if (ch < 0 || ch >= engine_.TotalChannels()) return;
    if (ch >= engine_.BoardCount() && !engine_.PanePlaying(ch)) return;
    if (!Shift.Contains(TShiftStateItem::ssLeft)) return;
    if (Y < 0 || Y > thumb->Height()) return;
    POINT cursor{};
    if (CursorPos)
        cursor = CursorPos();
    else
        ::GetCursorPos(&cursor);
    const int dx = cursor.x - LastCursorPos.x;
    LastCursorPos = cursor;
    const int min = ThumbMin(thumb);
    const int moved = thumb->Left() + dx;
    thumb->SetLeft(moved <= min ? min - 1 : moved >= 993 ? 992 : moved);
    const bool wide = thumb == im_Bright || thumb == im_Hue;
    const int value = ThumbValueOfLeft(thumb->Left(), wide ? 255 : 127, thumb->Width());
    TPictureParams& p = engine_.Picture(ch);
    if (thumb == im_Bright) p.Brightness = uint32_t(value);
    else if (thumb == im_Contrast) p.Contrast = value;
    else if (thumb == im_Saturation) p.Saturation = value;
    else p.Hue = uint32_t(value);
    engine_.ApplyPicture(ch);
}

void TConsoleCommands::CoverClick(TObject* Sender) {
    if (Sender == im_YTUnconver) {
        if (engine_.TotalChannels() == 0) return;
        if (!engine_.CheckRight(7, -1)) return Refuse();
        im_YTCover->SetVisible(false);
        im_YTUnconver->SetVisible(false);
        im_YTRecover->SetVisible(true);
    } else if (Sender == im_YTRecover) {
        im_YTCover->SetVisible(true);
        im_YTUnconver->SetVisible(true);
        im_YTRecover->SetVisible(false);
    } else if (Sender == im_SystemCtrlBar) {
        im_SystemCtrlBar->SetVisible(false);
        im_FunctionCovering->BringToFront();
    } else if (Sender == im_FunctionCovering) {
        im_SystemCtrlBar->SetVisible(true);
        im_SystemCtrlBar->BringToFront();
    }
}

void TConsoleCommands::MenuClick(TObject* Sender) {
    auto* item = static_cast<TMenuItem*>(Sender);
    for (const TMenuCommand& c : kMenuCommands)
        if (item->Name() == c.Name) return RunMenuCommand(c);
}

void TConsoleCommands::RunMenuCommand(const TMenuCommand& c) {
    if (c.Own) return (this->*c.Own)();
    if (c.Right >= 0 && !engine_.CheckRight(c.Right, c.RightItem)) return Refuse();
    if (c.LogBefore >= 0) engine_.WriteLog(c.LogBefore);
    TConsoleDialogResult r;
    windows_.Open(c.Window, r);
    if (c.LogAfter >= 0) engine_.WriteLog(c.LogAfter);
}

void TConsoleCommands::GroupItemClick(TObject* Sender) {
    engine_.CloseAll(true, true, true, true, false, static_cast<TMenuItem*>(Sender)->Tag());
}

void TConsoleCommands::LocalSettingsCommand() {
    const int board = engine_.BoardCount();
    if (engine_.TotalChannels() == 0) return;
    if (!engine_.CheckRight(1, -1)) return Refuse();
    if (engine_.CycleMode()) return Say("对不起！系统正处轮视模式，操作无效！");
    if (engine_.AutoMode()) return Say("对不起！系统正处于自动工作模式，操作无效！");
    engine_.WriteLog(6);
    console_->Repaint();
    std::vector<int> previewing;
    for (int ch = 0; ch < board; ++ch)
        if (engine_.PanePreviewing(ch)) {
            previewing.push_back(ch);
            engine_.ClosePreview(ch, true);
        }
    const bool clientMode = engine_.ClientMode();
    TConsoleDialogResult r;
    const int result = windows_.Open(TConsoleWindow::LocalSettings, r);
    console_->Repaint();
    if (r.PreviewPageChannel >= 0 && r.PreviewPageChannel < board)
        engine_.StopBoardPreview(r.PreviewPageChannel);
    console_->Repaint();
    if (result == mrOk) {
        engine_.WriteLog(7);
        engine_.ApplyAllSettings();
    } else {
        for (int ch = 0; ch < board; ++ch)
            engine_.RestoreBoardOsd(ch);
    }
    if (engine_.ClientMode() == clientMode) {
        for (int ch : previewing) {
            engine_.OpenPreview(ch);
            engine_.Pause(20);
        }
        engine_.HideAreaOutlines();
    } else {
        engine_.CloseAll(true, true, true, true, false, -1);
    }
    engine_.WriteLog(8);
}

void TConsoleCommands::HostGroups(bool afterSearch) {
    TConsoleDialogResult r;
    const bool ok = windows_.Open(TConsoleWindow::HostGroups, r) == mrOk;
    if (!afterSearch && ok) engine_.WriteLog(10);
    if (ok) {
        engine_.StopNetworkReceivers();
        engine_.Pause(50);
        engine_.CloseAll(true, true, true, true, false, -1);
    }
}

void TConsoleCommands::HostGroupsCommand() {
    if (!engine_.CheckRight(2, -1)) return Refuse();
    if (engine_.CycleMode()) return Say("对不起，系统正处轮视模式，操作无效！");
    if (engine_.AutoMode()) return;
    engine_.WriteLog(9);
    HostGroups(false);
    engine_.WriteLog(11);
}

void TConsoleCommands::SearchHostsCommand() {
    TConsoleDialogResult r;
    windows_.Open(TConsoleWindow::SearchHosts, r);
    if (r.HostsFound) HostGroups(true);
}

void TConsoleCommands::UsersCommand() {
    const auto [name, password] = engine_.CurrentUser();
    if (!engine_.ChiefAdministrator(name, password)) return Refuse();
    if (!engine_.CheckRight(15, -1)) return Refuse();
    engine_.WriteLog(38);
    TConsoleDialogResult r;
    if (windows_.Open(TConsoleWindow::Users, r) == mrOk) {
        im_LogonClick(nullptr);
        engine_.ReloadUsers();
        engine_.WriteLog(39);
    } else {
        engine_.WriteLog(40);
    }
}

void TConsoleCommands::AutoFullScreenCommand() {
    if (engine_.BoardCount() == 0) return;
    TConsoleDialogResult r;
    windows_.Open(TConsoleWindow::AutoFullScreen, r);
}

void TConsoleCommands::MinimizeCommand() {
    std::string name, password;
    if (!AskLogon || !AskLogon(name, password)) return;
    if (!engine_.ChiefAdministrator(name, password)) {
        Message(L"对不起！您无权执行此项操作。", L"提示", MB_OK | MB_ICONERROR);
        return;
    }
    engine_.MinimizeConsole();
}

} // namespace vantrel
