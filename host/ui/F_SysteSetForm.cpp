#include "host/ui/F_SysteSetForm.h"

#include "host/ui/U_DialogControls.h"

#include "host/engine/T_AlarmThreads.h"
#include "host/engine/U_HostMessages.h"

#include "common/win/textconv.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cmath>
#include <cstring>

#include <commdlg.h>

namespace vantrel {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

namespace {

const char* const kPageCaptions[TSystemSetForm::PageCount] = {
    "录像选项", "录像质量", "侦测及报警", "自动工作计划", "云台",
    "网络认证", "看门狗",   "其它",       "网络端口"};
// Item of right 1 that governs each page; -1 for none.
const int kPageItems[TSystemSetForm::PageCount] = {0, 1, 2, 3, 4, 6, 5, 7, -1};
const char* const kWorkTypeNames[kWorkTypes] = {"录像",
                                                "所有侦测",
                                                "所有侦测 + 录像",
                                                "运动侦测",
                                                "运动侦测 + 录像",
                                                "探头侦测",
                                                "探头侦测 + 录像",
                                                "丢失侦测",
                                                "丢失侦测 + 录像",
                                                "运动及丢失侦测",
                                                "运动及丢失侦测 + 录像",
                                                "运动及探头侦测",
                                                "运动及探头侦测 + 录像"};
const int kQualityTable[6][5] = {{10, 15, 10, 301, 25}, {12, 17, 12, 301, 25},
                                 {15, 20, 15, 301, 25}, {21, 26, 21, 301, 25},
                                 {24, 27, 24, 301, 25}, {27, 30, 27, 301, 25}};
const int kPortSlots[10] = {0, 1, 2, 3, 4, 5, 6, 13, 14, 15};
const char* const kRemoteRightNames[kRemoteRights] = {
    "接收音视频", "系统设置",     "预览",       "录像",      "报警",     "自动工作",
    "云台控制",   "远程回放",     "语音对讲",   "矩阵控制",  "查看磁盘", "报警输出",
    "关闭系统",   "设置系统时间", "重启计算机", "关闭计算机"};
// Rights whose items are the 49 channels.
bool ChannelItems(int right) {
    return right == 0 || right == 2 || right == 3 || right == 4 || right == 6 || right == 7;
}

TComboBox* PutCombo(TWinControl* parent, int x, int y, int w) {
    auto* c = PutControl<TComboBox>(parent, x, y, w, 22);
    c->SetStyle(TComboBoxStyle::csDropDownList);
    return c;
}
TCheckBox* PutCheck(TWinControl* parent, int x, int y, int w, const char* utf8) {
    auto* c = PutControl<TCheckBox>(parent, x, y, w, 20);
    c->SetCaption(Utf8ToGbk(utf8));
    return c;
}
TRadioButton* PutRadio(TWinControl* parent, int x, int y, int w, const char* utf8) {
    auto* c = PutControl<TRadioButton>(parent, x, y, w, 20);
    c->SetCaption(Utf8ToGbk(utf8));
    return c;
}
TEdit* PutEdit(TWinControl* parent, int x, int y, int w) {
    return PutControl<TEdit>(parent, x, y, w, 22);
}
TPanel* PutGroup(TWinControl* parent, int x, int y, int w, int h) {
    auto* p = PutControl<TPanel>(parent, x, y, w, h);
    p->SetBevelOuter(TBevelCut::bvNone);
    return p;
}
TListView* PutList(TWinControl* parent, int x, int y, int w, int h, bool checks,
                   std::initializer_list<const char*> columns) {
    auto* l = PutControl<TListView>(parent, x, y, w, h);
    l->SetViewStyle(TViewStyle::vsReport);
    l->SetRowSelect(true);
    l->SetHideSelection(false);
    l->SetCheckboxes(checks);
    for (const char* c : columns) {
        TListColumn* col = l->AddColumn();
        col->SetCaption(Utf8ToGbk(c));
        col->SetWidth(90);
    }
    return l;
}
void FillComPorts(TComboBox* c) {
    for (int i = 1; i <= 16; ++i)
        c->Items()->Add("COM" + std::to_string(i));
}
void SetCombo(TComboBox* c, int index) {
    c->SetItemIndex(index >= 0 && index < c->Items()->Count() ? index : -1);
}
// The combo's index, or `keep` when nothing is chosen.
int ComboIndex(const TComboBox* c, int keep) {
    const int i = c->ItemIndex();
    return i >= 0 ? i : keep;
}
void SetNumber(TEdit* e, long long v) {
    e->SetText(std::to_string(v));
}
// Characters of `text` from the first byte of the field; a zero byte ends a shorter text so
// that no tail of an older, longer text is read back with it.
void PutChars(char* field, size_t size, const std::string& text) {
    const size_t n = dvr::GbkFitLength(text, size);
    std::memcpy(field, text.data(), n);
    if (n < size) field[n] = 0;
}
std::string GetChars(const char* field, size_t size) {
    size_t n = 0;
    while (n < size && field[n])
        ++n;
    return std::string(field, n);
}
std::string HHMMSS(double oleDate) {
    const int t = TArithmetic::TimeToHHMMSS(oleDate);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t / 10000, t / 100 % 100, t % 100);
    return buf;
}
// "HH:MM:SS" as the time part of an OLE date; 0 for text that is not a time.
double TimeOfText(const std::string& text) {
    int h = 0, m = 0, s = 0;
    if (std::sscanf(text.c_str(), "%d:%d:%d", &h, &m, &s) != 3) return 0;
    return (h * 3600 + m * 60 + s) / 86400.0;
}
long long NumberOf(const std::string& text, long long fallback) {
    char* end = nullptr;
    const long long v = std::strtoll(text.c_str(), &end, 10);
    return text.empty() || *end ? fallback : v;
}
void SetPicture(TTreeNode* node, int picture) {
    node->SetImageIndex(picture);
    node->SetSelectedIndex(picture);
}
TTreeNode* Child(TTreeNode* node, int index) {
    return node && index < node->Count() ? node->Item(index) : nullptr;
}

} // namespace

TDragRect MaskDragRect(int ax, int ay, int x, int y) {
    auto edge = [](int anchor, int v, int limit, int& lo, int& hi) {
        if (v < anchor) {
            hi = anchor;
            lo = std::max(v, 0);
            if (hi - lo > 128) lo = hi - 128;
        } else {
            lo = anchor;
            hi = std::min(v, limit);
            if (hi - anchor > 128) hi = anchor + 128;
        }
    };
    TDragRect r{};
    edge(ax, x, 352, r.Left, r.Right);
    edge(ay, y, 288, r.Top, r.Bottom);
    return r;
}

TDragRect AreaDragRect(int ax, int ay, int x, int y) {
    TDragRect r{};
    if (x < ax) {
        r.Left = std::max(x, 1);
        r.Right = ax;
    } else {
        r.Left = ax;
        r.Right = std::min(x, 351);
    }
    if (y < ay) {
        r.Top = std::max(y, 1);
        r.Bottom = ay;
    } else {
        r.Top = ay;
        r.Bottom = std::min(y, 287);
    }
    return r;
}

bool AreaCollides(const TDragRect& n, const TDragRect& e) {
    auto inside = [&](int x, int y) {
        return x >= e.Left && x <= e.Right && y >= e.Top && y <= e.Bottom;
    };
    if (inside(n.Left, n.Top) || inside(n.Right, n.Bottom) || inside(n.Right, n.Top) ||
        inside(n.Left, n.Bottom))
        return true;
    const bool spansV = n.Top <= e.Top && n.Bottom >= e.Bottom;
    const bool spansH = n.Left <= e.Left && n.Right >= e.Right;
    if (spansV &&
        ((e.Left <= n.Right && n.Right <= e.Right) || (e.Left <= n.Left && n.Left <= e.Right)))
        return true;
    if (spansH &&
        ((e.Top <= n.Bottom && n.Bottom <= e.Bottom) || (e.Top <= n.Top && n.Top <= e.Bottom)))
        return true;
    return false;
}

TSystemSetForm::TSystemSetForm(TComponent* AOwner, TSystemSetHost host)
    : TForm(AOwner), host_(std::move(host)) {
    if (!host_.ShowMessage)
        host_.ShowMessage = [this](const std::string& text) { ShowDialogMessage(this, text); };
    wait_ = std::make_unique<TReplyWait>([this] { TimerConnectTimer(); }, host_.ReplyTimeoutMs);
#ifdef VANTREL_CONTROL_BUILD
    // Inside a browser page the dialog is an ordinary window the operator can move.
    SetBorderStyle(TFormBorderStyle::bsSingle);
#else
    SetBorderStyle(TFormBorderStyle::bsNone);
    SetFormStyle(TFormStyle::fsStayOnTop);
#endif
    SetClientWidth(867);
    SetClientHeight(574);
    BuildFrame();
    TimeTimer = new TTimer(this);
    TimeTimer->SetInterval(1000);
    TimeTimer->SetOnTimer(TNotifyEvent(this, &TSystemSetForm::TimeTimerTick));
    TimeTimer->SetEnabled(true);
    OnShow = TNotifyEvent(this, &TSystemSetForm::FormShow);
    OnClose = TCloseEvent(this, &TSystemSetForm::FormClose);
}

TSystemSetForm::~TSystemSetForm() {
    // Replies that come after the dialog is gone are dropped by the reader.
    if (host_.ReplyWindows) {
        host_.ReplyWindows->SetWindow(ReplyWindow::Settings, nullptr, nullptr);
        host_.ReplyWindows->SettingsRecordInto = nullptr;
    }
}

void TSystemSetForm::AlarmDefaults(TAlarmSetRecord& record, int channel) const {
    if (host_.AlarmDefaults)
        host_.AlarmDefaults(record, channel);
    else if (host_.AlarmSet)
        host_.AlarmSet->SetDefaults(record, channel);
}

void TSystemSetForm::Message(const char* utf8) {
    host_.ShowMessage(Utf8ToGbk(utf8));
}

void TSystemSetForm::BuildFrame() {
    lv_Channel = PutList(this, 4, 4, 210, 520, false, {"通道号", "名称"});
    lv_Channel->SetReadOnly(true);
    lv_Channel->Columns(0)->SetWidth(55);
    lv_Channel->Columns(1)->SetWidth(140);
#ifdef VANTREL_CONTROL_BUILD
    lv_Channel->OnChange = TNotifyEvent(this, &TSystemSetForm::lv_ChannelChange);
#else
    lv_Channel->OnSelectItem = TLVSelectItemEvent(this, &TSystemSetForm::lv_ChannelSelectItem);
#endif

    pn_RemoteSetPannel = PutControl<TPanel>(this, 4, 4, 210, 170);
    PutLabel(pn_RemoteSetPannel, 4, 6, 60, "地址：");
    cb_RemoteMainAddr = PutControl<TComboBox>(pn_RemoteSetPannel, 70, 2, 130, 22);
    cb_RemoteMainAddr->OnChange = TNotifyEvent(this, &TSystemSetForm::cb_RemoteMainAddrChange);
    PutLabel(pn_RemoteSetPannel, 4, 34, 200, "消息传送端口(UDP)：");
    se_UDPRemoteSetPort = PutEdit(pn_RemoteSetPannel, 70, 52, 130);
    se_UDPRemoteSetPort->SetText("57000");
    PutLabel(pn_RemoteSetPannel, 4, 84, 60, "用户名：");
    ed_UserName = PutEdit(pn_RemoteSetPannel, 70, 80, 130);
    PutLabel(pn_RemoteSetPannel, 4, 112, 60, "密码：");
    ed_Password = PutEdit(pn_RemoteSetPannel, 70, 108, 130);
    ed_Password->SetPasswordChar('*');
    sb_Connect = PutButton(pn_RemoteSetPannel, 70, 138, 80, "连接");
    sb_Connect->OnClick = TNotifyEvent(this, &TSystemSetForm::sb_ConnectClick);
    pn_RemoteSetPannel->SetVisible(false);

    pc_SystemSet = PutControl<TPageControl>(this, 220, 4, 643, 526);
    for (int p = 0; p < PageCount; ++p) {
        auto* ts = new TTabSheet(this);
        ts->SetPageControl(pc_SystemSet);
        ts->SetCaption(Utf8ToGbk(kPageCaptions[p]));
        Sheets[size_t(p)] = ts;
        auto* read = PutButton(ts, 400, 466, 110, "读取远程设置");
        auto* write = PutButton(ts, 516, 466, 110, "保存到远程主控");
        read->SetTag(p);
        write->SetTag(p);
        read->OnClick = TNotifyEvent(this, &TSystemSetForm::ReadRemoteClick);
        write->OnClick = TNotifyEvent(this, &TSystemSetForm::WriteRemoteClick);
        read->SetVisible(false);
        write->SetVisible(false);
        ReadButtons[size_t(p)] = read;
        WriteButtons[size_t(p)] = write;
        if (p < 4) {
            auto* copy = PutButton(ts, 4, 466, 130, "当前设置复制到···");
            copy->SetTag(p);
            copy->OnClick = TNotifyEvent(this, &TSystemSetForm::CopyToClick);
        }
        if (p == PagePreview || p == PageCapture || p == PageAlarm || p == PagePorts) {
            auto* def = PutButton(ts, 140, 466, 80, "默认值");
            def->SetTag(p);
            def->OnClick = TNotifyEvent(this, &TSystemSetForm::DefaultClick);
        }
    }
    BuildPreviewPage(Sheets[PagePreview]);
    BuildCapturePage(Sheets[PageCapture]);
    BuildAlarmPage(Sheets[PageAlarm]);
    BuildAutoPage(Sheets[PageAuto]);
    BuildPtzPage(Sheets[PagePtz]);
    BuildAuthPage(Sheets[PageAuth]);
    BuildDogPage(Sheets[PageDog]);
    BuildOtherPage(Sheets[PageOther]);
    BuildPortsPage(Sheets[PagePorts]);

    bt_OK = PutButton(this, 560, 540, 90, "确定");
    bt_Application = PutButton(this, 660, 540, 90, "保存");
    bt_Cancel = PutButton(this, 760, 540, 90, "取消");
    im_Keyboor = PutButton(this, 460, 540, 90, "键盘");
    im_Keyboor->SetHint(Utf8ToGbk("屏幕键盘"));
    bt_OK->OnClick = TNotifyEvent(this, &TSystemSetForm::bt_OKClick);
    bt_Application->OnClick = TNotifyEvent(this, &TSystemSetForm::bt_ApplicationClick);
    bt_Cancel->OnClick = TNotifyEvent(this, &TSystemSetForm::bt_CancelClick);
    im_Keyboor->OnClick = TNotifyEvent(this, &TSystemSetForm::im_KeyboorClick);
}

void TSystemSetForm::BuildPreviewPage(TTabSheet* ts) {
    pn_PreviewVideoPannel = PutControl<TPanel>(ts, 4, 4, 352, 288);
    lb_OSD_Time = PutControl<TLabel>(pn_PreviewVideoPannel, 7, 1, 183, 18);
    lb_OSD_Name = PutControl<TLabel>(pn_PreviewVideoPannel, 8, 23, 90, 18);
    pn_MarkBlock = PutControl<TPanel>(pn_PreviewVideoPannel, 0, 0, 10, 10);
    pn_MarkBlock->SetColor(TColor(0x00FF00));
    pn_MarkBlock->SetVisible(false);
    auto bar = [&](int y, const char* title, int max, TLabel*& value) {
        PutLabel(ts, 370, y, 50, title);
        auto* t = PutControl<TTrackBar>(ts, 420, y, 180, 24);
        t->SetMin(0);
        t->SetMax(max);
        value = PutControl<TLabel>(ts, 604, y, 30, 16);
        t->OnChange = TNotifyEvent(this, &TSystemSetForm::sb_PictureChange);
        return t;
    };
    sb_Bright = bar(4, "亮度", 255, lb_Bright);
    sb_Contrast = bar(34, "对比度", 127, lb_Contrast);
    sb_Saturation = bar(64, "饱和度", 127, lb_Saturation);
    sb_Hue = bar(94, "色调", 255, lb_Hue);
    pn_PreviewVideoPannel->OnMouseDown = TMouseEvent(this, &TSystemSetForm::pn_PreviewMouseDown);
    for (TLabel* l : {lb_OSD_Time, lb_OSD_Name}) {
        l->OnMouseDown = TMouseEvent(this, &TSystemSetForm::lb_OSD_TimeMouseDown);
        l->SetCursor(crSizeAll);
    }
    lb_OSD_Time->OnMouseMove = TMouseMoveEvent(this, &TSystemSetForm::lb_OSD_TimeMouseMove);
    lb_OSD_Name->OnMouseMove = TMouseMoveEvent(this, &TSystemSetForm::lb_OSD_NameMouseMove);
    pn_PreviewVideoPannel->OnMouseUp = TMouseEvent(this, &TSystemSetForm::pn_PreviewMouseUp);
    PutLabel(ts, 4, 300, 70, "通道名称：");
    ed_ChannelName = PutEdit(ts, 80, 296, 160);
    cb_PutBlock = PutCheck(ts, 4, 326, 120, "安放遮挡");
    cb_ShowChannelName = PutCheck(ts, 130, 326, 120, "显示通道名称");
    cb_ShowChannelTime = PutCheck(ts, 256, 326, 120, "显示时间");
    cb_ShowBGImage = PutCheck(ts, 4, 350, 180, "无预览时显示背景图");
    cb_OSDAutoBright = PutCheck(ts, 190, 350, 120, "时间自动调亮");
#ifndef VANTREL_CONTROL_BUILD
    cb_OSDAutoBright->SetEnabled(false);
#endif
    ed_ChannelName->OnChange = TNotifyEvent(this, &TSystemSetForm::ed_ChannelNameChange);
    cb_ShowChannelName->OnClick = TNotifyEvent(this, &TSystemSetForm::cb_ShowOsdClick);
    cb_ShowChannelTime->OnClick = TNotifyEvent(this, &TSystemSetForm::cb_ShowOsdClick);
}

void TSystemSetForm::BuildCapturePage(TTabSheet* ts) {
    cb_CapAudio = PutCheck(ts, 4, 4, 120, "同步录音");
    cb_SetMaxFileSize = PutCheck(ts, 4, 30, 200, "设定录像文件尺寸上限：");
    se_MaxFileSize = PutEdit(ts, 210, 28, 80);
    PutLabel(ts, 4, 60, 60, "帧率：");
    se_FrameRate = PutEdit(ts, 70, 56, 60);
    PutLabel(ts, 4, 90, 180, "录像文件打包时间间隔：");
    se_FilePackageTime = PutEdit(ts, 190, 86, 60);
    cb_FromDisk = PutCombo(ts, 4, 116, 50);
    cb_ToDisk = PutCombo(ts, 60, 116, 50);
    for (char d = 'D'; d <= 'Z'; ++d) {
        cb_FromDisk->Items()->Add(std::string(1, d));
        cb_ToDisk->Items()->Add(std::string(1, d));
    }
    auto* quality = PutGroup(ts, 4, 146, 620, 120);
    rb_CommonQualityCap = PutRadio(quality, 0, 0, 120, "正常：");
    cb_QualityLevel = PutCombo(quality, 130, 0, 180);
    for (const char* t : {"超级 (约200M/小时)", "一级 (约100M/小时)", "二级 (约70M/小时）",
                          "三级 (约60M/小时）", "四级 (约50M/小时)", "五级 (约40M/小时)"})
        cb_QualityLevel->Items()->Add(Utf8ToGbk(t));
    rb_HeightQualityCap = PutRadio(quality, 0, 28, 120, "超高清晰：");
    cb_HighQualityLevel = PutCombo(quality, 130, 28, 180);
    for (const char* t :
         {"超级 (约1G/小时)", "一级 (约350M/小时)", "二级 (约300M/小时)", "三级 (约260M/小时)"})
        cb_HighQualityLevel->Items()->Add(Utf8ToGbk(t));
#ifdef VANTREL_CONTROL_BUILD
    rb_D1QualityCap = PutRadio(quality, 0, 56, 120, "D1高清晰：");
#else
    rb_D1QualityCap = PutRadio(quality, 0, 56, 120, "4CIF高清晰：");
#endif
    cb_D1QualityLevel = PutCombo(quality, 130, 56, 180);
    rb_DCIFQualityCap = PutRadio(quality, 0, 84, 120, "DCIF高清晰：");
    cb_DCIFQualityLevel = PutCombo(quality, 130, 84, 180);
    for (const char* t : {"超级 (约1G/小时)", "一级 (约700M/小时)", "二级 (约600M/小时）",
                          "三级 (约500M/小时）", "四级 (约400M/小时)", "五级 (约300M/小时)"}) {
        cb_D1QualityLevel->Items()->Add(Utf8ToGbk(t));
        cb_DCIFQualityLevel->Items()->Add(Utf8ToGbk(t));
    }
    for (auto* r : {rb_CommonQualityCap, rb_HeightQualityCap, rb_D1QualityCap, rb_DCIFQualityCap})
        r->OnClick = TNotifyEvent(this, &TSystemSetForm::QualityRadioClick);
    rb_DCIFQualityCap->SetVisible(false);
    cb_DCIFQualityLevel->SetVisible(false);
    auto* standard = PutGroup(ts, 4, 270, 300, 24);
    rb_PAL = PutRadio(standard, 0, 0, 120, "PAL 制式");
    rb_NTSC = PutRadio(standard, 130, 0, 120, "NTSC 制式");
}

void TSystemSetForm::BuildAlarmPage(TTabSheet* ts) {
    cb_VideoLostAlarm = PutCheck(ts, 4, 4, 130, "视频丢失侦测");
    cb_VideoMoveAlarm = PutCheck(ts, 140, 4, 130, "视频运动侦测");
    cb_HardAlarm = PutCheck(ts, 276, 4, 130, "硬件探测");
    cb_DelicacyLevel = PutCombo(ts, 4, 28, 100);
    for (const char* t : {"超级", "一级", "二级", "三级", "四级", "五级", "六级"})
        cb_DelicacyLevel->Items()->Add(Utf8ToGbk(t));
    se_AlarmDelicacy = PutEdit(ts, 110, 28, 50);
    cb_VideoLostAlarmSound = PutCheck(ts, 4, 54, 116, "视频丢失报警声音");
    cb_VideoMoveAlarmSound = PutCheck(ts, 180, 54, 116, "视频运动报警声音");
    cb_HardAarmSound = PutCheck(ts, 356, 54, 116, "硬件探测报警声音");
    for (int i = 0; i < 3; ++i) {
        auto* test = PutControl<TButton>(ts, 120 + 176 * i, 52, 24, 22);
        test->SetCaption(Utf8ToGbk("试"));
        test->SetHint(Utf8ToGbk("试播放报警声音文件"));
        test->SetShowHint(true);
        test->SetTag(i);
        test->OnClick = TNotifyEvent(this, &TSystemSetForm::sb_VideoLostAudioTestClick);
        auto* load = PutControl<TButton>(ts, 146 + 176 * i, 52, 24, 22);
        load->SetCaption(Utf8ToGbk("载"));
        load->SetHint(Utf8ToGbk("加载报警声音文件"));
        load->SetShowHint(true);
        load->SetTag(i);
        load->OnClick = TNotifyEvent(this, &TSystemSetForm::sb_VideoLostFileClick);
        sb_AudioTest[size_t(i)] = test;
        sb_AudioFile[size_t(i)] = load;
    }
    cb_StartPrevCapture = PutCheck(ts, 4, 78, 80, "预录像");
    cb_StartPreview = PutCheck(ts, 90, 78, 80, "预览");
    cb_StartPreview->SetVisible(false);
    cb_StartCapture = PutCheck(ts, 176, 78, 80, "录像");
    cb_OutToHard = PutCheck(ts, 262, 78, 110, "输出到报警盒");
    cb_CallPrevPos = PutCheck(ts, 378, 78, 100, "快球预置点");
    cb_AlarmIPUp = PutCheck(ts, 484, 78, 80, "网络上传");
    cb_AlarmDialUP = PutCheck(ts, 4, 102, 80, "电话拨号");
    se_AlarmTimes = PutEdit(ts, 90, 100, 50);
    se_AlarmCapKeepTime = PutEdit(ts, 146, 100, 50);
    lv_RelatingCapture = PutList(ts, 4, 128, 150, 150, true, {"通道号", "名称"});
    pn_SetAlarmRectPanel = PutControl<TPanel>(ts, 4, 128, 352, 288);
    pn_SetAlarmRectPanel->SetVisible(false); // shown by the area sub-page
    pn_SetAlarmRectPanel->OnMouseDown = TMouseEvent(this, &TSystemSetForm::pn_AreaMouseDown);
    pn_SetAlarmRectPanel->OnMouseUp = TMouseEvent(this, &TSystemSetForm::pn_AreaMouseUp);
    auto* clear = PutButton(ts, 440, 466, 150, "清除本通道侦测区域");
    clear->SetTop(440);
    clear->OnClick = TNotifyEvent(this, &TSystemSetForm::sb_ClearAreasClick);
    cb_AlarmInBox = PutCombo(ts, 160, 128, 90);
    for (const char* t : {"W110", "SE600", "DCTRLS", "RM008"})
        cb_AlarmInBox->Items()->Add(t);
    cb_AlarmInCOM = PutCombo(ts, 256, 128, 80);
    FillComPorts(cb_AlarmInCOM);
    se_AlarmInBoxAddr = PutEdit(ts, 342, 128, 50);
    lv_AlarmInList = PutList(ts, 160, 154, 150, 150, true, {"探头名称", "报警盒输入端口编号"});
    auto* kinds = PutGroup(ts, 316, 154, 300, 22);
    rb_VideoLostAalrm = PutRadio(kinds, 0, 0, 90, "视频丢失");
    rb_VideoDetectAlarm = PutRadio(kinds, 96, 0, 90, "视频运动");
    rb_HardDetectAlarm = PutRadio(kinds, 192, 0, 90, "硬件探测");
    rb_VideoLostAalrm->SetTag(0);
    rb_VideoDetectAlarm->SetTag(1);
    rb_HardDetectAlarm->SetTag(2);
    for (auto* r : {rb_VideoLostAalrm, rb_VideoDetectAlarm, rb_HardDetectAlarm})
        r->OnClick = TNotifyEvent(this, &TSystemSetForm::rb_OutKindClick);
    lv_AlarmOutList =
        PutList(ts, 316, 178, 300, 130, true, {"输出联动报警设备名称", "报警盒输出端口编号"});
    lv_AlarmOutList->OnClick = TNotifyEvent(this, &TSystemSetForm::lv_AlarmOutListClick);
    for (int i = 0; i < kBoxPoints; ++i) {
        for (auto* l : {lv_AlarmInList, lv_AlarmOutList}) {
            TListItem* it = l->Items()->Add();
            it->SubItems()->Add(std::to_string(i + 1));
        }
    }
    ed_AlarmPhone = PutEdit(ts, 4, 312, 150);
    cb_DialPlaySound = PutCheck(ts, 160, 312, 120, "拨通后播放声音");
    cb_DialPlaySound->SetVisible(false);
    cb_DialPlaySound->SetEnabled(false);
    cb_AlarmUPToConnecting = PutCheck(ts, 286, 312, 220, "上传给正在连接监看的客户");
    lv_AlarmUpIPList = PutList(ts, 4, 338, 200, 120, true, {"地址"});
    cb_SendMsg = PutCheck(ts, 210, 338, 150, "报警触发则发送短消");
    cb_GSMCOM = PutCombo(ts, 366, 338, 80);
    FillComPorts(cb_GSMCOM);
    ed_SMCSNumber = PutEdit(ts, 210, 364, 130);
    ed_PhoneCode = PutEdit(ts, 346, 364, 130);
    ed_SMCSMsg = PutEdit(ts, 210, 390, 300);
    ed_RasUserName = PutEdit(ts, 210, 416, 120);
    ed_RasPassword = PutEdit(ts, 336, 416, 120);
#ifdef VANTREL_CONTROL_BUILD
    // The control's alarm record has no dial-up account.
    ed_RasUserName->SetVisible(false);
    ed_RasPassword->SetVisible(false);
#endif
    sb_AlarmUpAdd = PutButton(ts, 4, 462, 60, "添加");
    sb_AlarmUpMod = PutButton(ts, 68, 462, 60, "修改");
    sb_AlarmUpDel = PutButton(ts, 132, 462, 60, "删除");
    pn_AlarmUpPanel = PutControl<TPanel>(ts, 4, 430, 200, 30);
    ed_AlarmUpAddr = PutEdit(pn_AlarmUpPanel, 2, 4, 100);
    ed_AlarmUpAddr->SetMaxLength(30);
    sb_AlarmUpOK = PutButton(pn_AlarmUpPanel, 106, 2, 44, "确定");
    sb_AlarmUpCancel = PutButton(pn_AlarmUpPanel, 152, 2, 44, "取消");
    pn_AlarmUpPanel->SetVisible(false);
    sb_AlarmUpAdd->OnClick = TNotifyEvent(this, &TSystemSetForm::sb_AlarmUpAddClick);
    sb_AlarmUpMod->OnClick = TNotifyEvent(this, &TSystemSetForm::sb_AlarmUpModClick);
    lv_AlarmUpIPList->OnDblClick = TNotifyEvent(this, &TSystemSetForm::sb_AlarmUpModClick);
    sb_AlarmUpDel->OnClick = TNotifyEvent(this, &TSystemSetForm::sb_AlarmUpDelClick);
    sb_AlarmUpOK->OnClick = TNotifyEvent(this, &TSystemSetForm::sb_AlarmUpOKClick);
    sb_AlarmUpCancel->OnClick = TNotifyEvent(this, &TSystemSetForm::sb_AlarmUpCancelClick);
}

void TSystemSetForm::BuildAutoPage(TTabSheet* ts) {
    auto* days = PutGroup(ts, 4, 4, 620, 22);
    const char* names[7] = {"星期一", "星期二", "星期三", "星期四", "星期五", "星期六", "星期日"};
    for (int d = 0; d < 7; ++d) {
        rb_Days[size_t(d)] = PutRadio(days, d * 86, 0, 80, names[d]);
        rb_Days[size_t(d)]->SetTag(d);
    }
    rb_Days[0]->SetChecked(true);
    for (auto* r : rb_Days)
        r->OnClick = TNotifyEvent(this, &TSystemSetForm::rb_DayClick);
    lv_AutoSetList = PutList(ts, 4, 30, 400, 400, false, {"时间始", "时间止", "工作类型"});
    lv_AutoSetList->SetReadOnly(true);
    lv_AutoSetList->SetTag(0);
    cb_AutoWorkType = PutCombo(ts, 410, 30, 200);
    auto* copy = PutButton(ts, 410, 60, 150, "该日设置复制到···");
    copy->OnClick = TNotifyEvent(this, &TSystemSetForm::sb_CopyAutoToDayClick);
    sb_AutoAdd = PutButton(ts, 410, 90, 100, "添加时间段");
    sb_AutoMod = PutButton(ts, 410, 118, 100, "修改时间段");
    sb_AutoDel = PutButton(ts, 410, 146, 100, "删除时间段");
    pn_AutoEdit = PutControl<TPanel>(ts, 4, 50, 400, 60);
    dtp_AutoStart = PutControl<TDateTimePicker>(pn_AutoEdit, 4, 4, 100, 22);
    dtp_AutoEnd = PutControl<TDateTimePicker>(pn_AutoEdit, 110, 4, 100, 22);
    for (auto* d : {dtp_AutoStart, dtp_AutoEnd})
        d->SetKind(TDateTimeKind::dtkTime);
    sb_AutoEditOK = PutButton(pn_AutoEdit, 220, 30, 80, "确定");
    sb_AutoEditCancel = PutButton(pn_AutoEdit, 306, 30, 80, "取消");
    pn_AutoEdit->SetVisible(false);
    sb_AutoAdd->OnClick = TNotifyEvent(this, &TSystemSetForm::sb_AutoAddClick);
    sb_AutoMod->OnClick = TNotifyEvent(this, &TSystemSetForm::sb_AutoModClick);
    lv_AutoSetList->OnDblClick = TNotifyEvent(this, &TSystemSetForm::sb_AutoModClick);
    sb_AutoDel->OnClick = TNotifyEvent(this, &TSystemSetForm::sb_AutoDelClick);
    sb_AutoEditOK->OnClick = TNotifyEvent(this, &TSystemSetForm::sb_AutoEditOKClick);
    sb_AutoEditCancel->OnClick = TNotifyEvent(this, &TSystemSetForm::sb_AutoEditCancelClick);
}

void TSystemSetForm::BuildPtzPage(TTabSheet* ts) {
    lv_YTSetList = PutList(ts, 4, 4, 500, 420, false, {"通道", "云台", "波特率", "串口", "地址"});
    lv_YTSetList->SetReadOnly(true);
    sb_YTAdd = PutButton(ts, 510, 4, 110, "添加云台");
    sb_YTMod = PutButton(ts, 510, 32, 110, "修改云台");
    sb_YTDel = PutButton(ts, 510, 60, 110, "删除云台");
    pn_YTEditPannel = PutControl<TPanel>(ts, 4, 30, 500, 60);
    se_YTPort = PutEdit(pn_YTEditPannel, 4, 4, 50);
    se_YTPort->SetHint(Utf8ToGbk("一般解码器使用的地址"));
    cb_YTName = PutCombo(pn_YTEditPannel, 60, 4, 120);
    cb_YTBaudrate = PutControl<TComboBox>(pn_YTEditPannel, 186, 4, 90, 22);
    for (const char* b : {"300", "1200", "2400", "4800", "9600", "19200", "38400", "57600",
                          "115200", "230400", "460800", "921600"})
        cb_YTBaudrate->Items()->Add(b);
    cb_YTCOM = PutCombo(pn_YTEditPannel, 282, 4, 80);
    cb_YTCOM->SetHint(Utf8ToGbk("任选一个，注意不要与报警盒串口冲突"));
    FillComPorts(cb_YTCOM);
    se_YTAddress = PutEdit(pn_YTEditPannel, 368, 4, 50);
    se_YTAddress->SetHint(Utf8ToGbk("一般解码器使用的地址"));
    sb_YTOK = PutButton(pn_YTEditPannel, 300, 32, 80, "确定");
    sb_YTCancel = PutButton(pn_YTEditPannel, 386, 32, 80, "取消");
    pn_YTEditPannel->SetVisible(false);
    sb_YTAdd->OnClick = TNotifyEvent(this, &TSystemSetForm::sb_YTAddClick);
    sb_YTMod->OnClick = TNotifyEvent(this, &TSystemSetForm::sb_YTModClick);
    lv_YTSetList->OnDblClick = TNotifyEvent(this, &TSystemSetForm::sb_YTModClick);
    sb_YTDel->OnClick = TNotifyEvent(this, &TSystemSetForm::sb_YTDelClick);
    sb_YTOK->OnClick = TNotifyEvent(this, &TSystemSetForm::sb_YTOKClick);
    sb_YTCancel->OnClick = TNotifyEvent(this, &TSystemSetForm::sb_YTCancelClick);
    cb_YTName->OnChange = TNotifyEvent(this, &TSystemSetForm::cb_YTNameChange);
}

void TSystemSetForm::BuildAuthPage(TTabSheet* ts) {
    lv_UserCheckList = PutList(ts, 4, 4, 250, 200, true, {"网络用户名", "密码"});
    lv_IPCheckList = PutList(ts, 4, 230, 250, 200, true, {"IP"});
    tv_UserPowerTree = PutControl<TTreeView>(ts, 260, 4, 370, 200);
    tv_IPPowerTree = PutControl<TTreeView>(ts, 260, 230, 370, 200);
    lv_UserCheckList->OnSelectItem =
        TLVSelectItemEvent(this, &TSystemSetForm::lv_UserCheckListSelectItem);
    lv_IPCheckList->OnSelectItem =
        TLVSelectItemEvent(this, &TSystemSetForm::lv_IPCheckListSelectItem);
    sb_UserAdd = PutButton(ts, 4, 206, 80, "添加网络用户");
    sb_UserMod = PutButton(ts, 88, 206, 80, "修改网络用户");
    sb_UserDel = PutButton(ts, 172, 206, 80, "删除网络用户");
    pn_PasswordCheckEditPannel = PutControl<TPanel>(ts, 4, 150, 250, 54);
    ed_CheckUserName = PutEdit(pn_PasswordCheckEditPannel, 4, 4, 110);
    ed_CheckUserName->SetMaxLength(10);
    ed_CheckPassword = PutEdit(pn_PasswordCheckEditPannel, 120, 4, 110);
    ed_CheckPassword->SetMaxLength(10);
    sb_PasswordCheckOK = PutButton(pn_PasswordCheckEditPannel, 4, 28, 80, "确定");
    sb_PasswordCheckCancel = PutButton(pn_PasswordCheckEditPannel, 90, 28, 80, "取消");
    pn_PasswordCheckEditPannel->SetVisible(false);
    sb_IPCheckAdd = PutButton(ts, 4, 432, 80, "添加IP");
    sb_IPCheckMod = PutButton(ts, 88, 432, 80, "修改IP");
    sb_IPCheckDel = PutButton(ts, 172, 432, 80, "删除IP");
    pn_IPEditPannel = PutControl<TPanel>(ts, 4, 400, 250, 30);
    ed_CheckIP = PutEdit(pn_IPEditPannel, 4, 4, 160);
    ed_CheckIP->SetMaxLength(50);
    sb_IPOK = PutButton(pn_IPEditPannel, 170, 2, 70, "确定");
    pn_IPEditPannel->SetVisible(false);
    sb_UserAdd->OnClick = TNotifyEvent(this, &TSystemSetForm::sb_UserAddClick);
    sb_UserMod->OnClick = TNotifyEvent(this, &TSystemSetForm::sb_UserModClick);
    lv_UserCheckList->OnDblClick = TNotifyEvent(this, &TSystemSetForm::sb_UserModClick);
    sb_UserDel->OnClick = TNotifyEvent(this, &TSystemSetForm::sb_UserDelClick);
    sb_PasswordCheckOK->OnClick = TNotifyEvent(this, &TSystemSetForm::sb_PasswordCheckOKClick);
    sb_PasswordCheckCancel->OnClick =
        TNotifyEvent(this, &TSystemSetForm::sb_PasswordCheckCancelClick);
    sb_IPCheckAdd->OnClick = TNotifyEvent(this, &TSystemSetForm::sb_IPCheckAddClick);
    sb_IPCheckMod->OnClick = TNotifyEvent(this, &TSystemSetForm::sb_IPCheckModClick);
    sb_IPCheckDel->OnClick = TNotifyEvent(this, &TSystemSetForm::sb_IPCheckDelClick);
    sb_IPOK->OnClick = TNotifyEvent(this, &TSystemSetForm::sb_IPOKClick);
    for (TTreeView* tv : {tv_UserPowerTree, tv_IPPowerTree}) {
        tv->SetReadOnly(true);
        TTreeNodes* nodes = tv->Items();
        TTreeNode* root = nodes->AddChild(nullptr, Utf8ToGbk("权限"));
        SetPicture(root, 2);
        for (int r = 0; r < kRemoteRights; ++r) {
            TTreeNode* rn = nodes->AddChild(root, Utf8ToGbk(kRemoteRightNames[r]));
            SetPicture(rn, 0);
            auto channels = [&](TTreeNode* parent) {
                for (int c = 0; c < kSettingsChannels; ++c)
                    SetPicture(nodes->AddChild(parent, Utf8ToGbk("通道") + std::to_string(c + 1)),
                               0);
            };
            if (ChannelItems(r)) channels(rn);
            if (r == 1) {
                const char* items[9] = {"预览",   "录像", "报警", "自动",    "云台",
                                        "智能卡", "认证", "其它", "网络端口"};
                for (int j = 0; j < 9; ++j) {
                    TTreeNode* in = nodes->AddChild(rn, Utf8ToGbk(items[j]));
                    SetPicture(in, 0);
                    if (j < 5) channels(in);
                }
            }
        }
    }
}

void TSystemSetForm::BuildDogPage(TTabSheet* ts) {
    cb_UseCardDog = PutCheck(ts, 4, 4, 80, "启用");
    cb_CardDogCOM = PutCombo(ts, 90, 4, 80);
    FillComPorts(cb_CardDogCOM);
    auto* restart = PutGroup(ts, 4, 30, 200, 22);
    rb_CardDogRestartOpen = PutRadio(restart, 0, 0, 60, "开");
    rb_CardDogRestartClose = PutRadio(restart, 70, 0, 60, "关");
    auto* powerOn = PutGroup(ts, 4, 56, 200, 22);
    rb_CardDogOPenPCOpen = PutRadio(powerOn, 0, 0, 60, "开");
    rb_CardDogOPenPCClose = PutRadio(powerOn, 70, 0, 60, "关");
    dtp_CardDogOpenPCTime = PutControl<TDateTimePicker>(ts, 210, 56, 120, 22);
    dtp_CardDogOpenPCTime->SetKind(TDateTimeKind::dtkTime);
    cb_ShutAsPowerOff = PutCheck(ts, 4, 90, 160, "启用断电安全关机");
    cb_ShutCOM = PutCombo(ts, 170, 90, 80);
    FillComPorts(cb_ShutCOM);
    cb_SoftShut = PutCheck(ts, 4, 120, 80, "启用");
}

void TSystemSetForm::BuildOtherPage(TTabSheet* ts) {
    cb_LockSystemKey = PutCheck(ts, 4, 4, 120, "锁定系统键");
    cb_AutoRun = PutCheck(ts, 130, 4, 120, "开机自动运行");
    PutLabel(ts, 4, 32, 140, "操作系统管理员密码：");
    ed_AdministratorPassword = PutEdit(ts, 150, 28, 140);
    cb_AutoShutPC = PutCheck(ts, 4, 58, 90, "自动关机");
    se_AutoShutDays = PutEdit(ts, 100, 56, 40);
    dtp_ShutTime = PutControl<TDateTimePicker>(ts, 150, 56, 110, 22);
    cb_AutoReboot = PutCheck(ts, 4, 84, 90, "自动重启");
    se_AutoRebootDays = PutEdit(ts, 100, 82, 40);
    dtp_RebootTime = PutControl<TDateTimePicker>(ts, 150, 82, 110, 22);
    for (auto* d : {dtp_ShutTime, dtp_RebootTime})
        d->SetKind(TDateTimeKind::dtkTime);
    cb_UseClientSet = PutCheck(ts, 4, 110, 160, "启用兼作分控功能");
    cb_AutoShowLogoWindow = PutCheck(ts, 170, 110, 220, "启动时自动弹出登录窗口");
    PutLabel(ts, 4, 140, 110, "实名服务器地址：");
    ed_NetServerAddr = PutEdit(ts, 120, 136, 160);
    PutLabel(ts, 4, 168, 110, "本地实名：");
    ed_LocalName = PutEdit(ts, 120, 164, 160);
    cb_NetLimit = PutCheck(ts, 4, 194, 120, "启用带宽限制");
    se_LimitNet = PutEdit(ts, 130, 192, 100);
    bt_RestartWindows = PutButton(ts, 4, 230, 110, "重启Windows");
    bt_ShutWindows = PutButton(ts, 120, 230, 110, "关闭Windows");
    bt_RestartWindows->SetTag(1);
    bt_ShutWindows->SetTag(0);
    for (auto* b : {bt_RestartWindows, bt_ShutWindows})
        b->OnClick = TNotifyEvent(this, &TSystemSetForm::PowerButtonClick);
#ifdef VANTREL_CONTROL_BUILD
    PutLabel(ts, 4, 270, 120, "版本：4.0.0.0");
    cb_NetLimit->SetVisible(false);
    se_LimitNet->SetVisible(false);
#else
    PutLabel(ts, 4, 270, 120, "版本：4.1.0.0");
#endif
    cb_LocalIP = PutCombo(ts, 130, 300, 150);
    cb_LocalIP->SetVisible(false);
}

void TSystemSetForm::BuildPortsPage(TTabSheet* ts) {
    const char* labels[10] = {"视频传输：",
                              "远程回放：",
                              "远程升级：",
                              "传送/接收文件：",
                              "聊天室：",
                              "DS_D距阵远程控制：",
                              "Pelco232距阵远程控制：",
                              "报警上传：",
                              "消息传送：",
                              "语音广播："};
    for (int i = 0; i < 10; ++i) {
        auto* l = PutLabel(ts, 4, 8 + 28 * i, 160, labels[i]);
        PortEdits[size_t(i)] = PutEdit(ts, 170, 4 + 28 * i, 90);
        if (i == 7) {
            l->SetVisible(false);
            PortEdits[7]->SetVisible(false);
        }
    }
    lb_VideoPort_Info = PutLabel(ts, 270, 8, 300, "（将占用的端口共有：从50000到50049）");
}

// --- Opening and the channel list -------------------------------------------------------

int TSystemSetForm::SelectedRow() const {
    return lv_Channel->ItemIndex();
}

void TSystemSetForm::AddChannelRow(int ch, const std::string& name) {
    for (TListView* l : {lv_Channel, lv_RelatingCapture}) {
        TListItem* it = l->Items()->Add();
        it->SetCaption(std::to_string(ch + 1));
        it->SubItems()->Add(name);
    }
}

void TSystemSetForm::ClearChannelRows() {
    lv_Channel->Items()->Clear();
    lv_RelatingCapture->Items()->Clear();
}

void TSystemSetForm::FillProtocolNames() {
    cb_YTName->Items()->Clear();
    if (host_.YunTaiSet) {
        const int n = host_.YunTaiSet->GetProtocolCount();
        for (int i = 0; i < n; ++i) {
            TYunTaiProtocol p{};
            host_.YunTaiSet->ReadProtocol(uint16_t(i), p);
            cb_YTName->Items()->Add(p.Name.Get());
        }
    }
    SetCombo(cb_YTName, 0);
}

bool TSystemSetForm::PageAllowed(int page, int sub) const {
    if (RemoteMode || !host_.User || kPageItems[page] < 0) return true;
    return host_.User->CheckRight(host_.User->CurrentName(), host_.User->CurrentPassword(), 1,
                                  kPageItems[page], sub);
}

void TSystemSetForm::FormShow(TObject*) {
    CanClose = false;
    SetCaption(DialogCaption(RemoteMode ? "远程设置" : "本地设置"));
    SetTag(-1);
    ReplyClosed = false;
    RemoteHost.clear();
    cb_AutoWorkType->Items()->Clear();
    for (const char* t : kWorkTypeNames)
        cb_AutoWorkType->Items()->Add(Utf8ToGbk(t));
    cb_AutoWorkType->SetItemIndex(0);
    pc_SystemSet->SetActivePage(Sheets[PagePreview]);
    ListChannelCount = 0;
#ifdef VANTREL_CONTROL_BUILD
    RemoteMode = true;
    // Centred over the control's own window.
    RECT owner{};
    if (host_.MainWindow && ::GetWindowRect(host_.MainWindow, &owner)) {
        SetLeft(owner.left + (owner.right - owner.left - Width()) / 2);
        SetTop(owner.top + (owner.bottom - owner.top - Height()) / 2);
    }
#endif
    if (RemoteMode)
        ShowRemote();
    else
        ShowLocal();
}

void TSystemSetForm::ShowLocal() {
    ListChannelCount = host_.BoardChannels;
    for (int c = 0; c < kSettingsChannels; ++c) {
        TPreviewSet::SetDefaults(c, PreviewRecords[size_t(c)]);
        TCaptureSet::SetDefaults(CaptureRecords[size_t(c)]);
        AlarmDefaults(AlarmRecords[size_t(c)], c);
        TAutoSet::SetDefaults(AutoRecords[size_t(c)]);
    }
    for (int c = 0; c < ListChannelCount && c < kSettingsChannels; ++c) {
        PreviewRecords[size_t(c)] = host_.PreviewSet->Records[size_t(c)];
        CaptureRecords[size_t(c)] = host_.CaptureSet->Records[size_t(c)];
        AlarmRecords[size_t(c)] = host_.AlarmSet->Records[size_t(c)];
        AutoRecords[size_t(c)] = host_.AutoSet->Records[size_t(c)];
        AddChannelRow(c, PreviewRecords[size_t(c)].Title.Get());
    }
    PtzRecord = host_.YunTaiSet->Settings;
    FillProtocolNames();
    DogRecord = host_.DogSet->Record;
    if (auto lists = host_.CheckSet->Current()) {
        RemoteUsers = lists->Users;
        RemoteIPs = lists->IPs;
    }
    OtherRecord = host_.OtherSet->Record;
    PortTable = host_.Arithmetic->Ports;
    EditChannel = 0;
    for (int p = 0; p < PagePorts; ++p)
        Sheets[size_t(p)]->SetTabVisible(PageAllowed(p, -1));
    for (int p = 0; p < 4; ++p)
        if (!PageAllowed(p, EditChannel)) Sheets[size_t(p)]->SetTabVisible(false);
    if (ListChannelCount > 0) lv_Channel->SetItemIndex(EditChannel);
    LoadPreviewPage(EditChannel);
    LoadCapturePage(EditChannel);
    LoadAlarmPage(EditChannel);
    LoadScheduleDay(EditChannel, shownDay_);
    LoadPtzPage();
    LoadDogPage();
    LoadAuthPage();
    LoadOtherPage();
    LoadPortsPage();
    SetTag(0);
    TimeTimerTimer();
}

void TSystemSetForm::ShowRemote() {
    if (host_.ReplyWindows) {
        host_.ReplyWindows->SettingsRecordInto = [this](int kind, const uint8_t* data,
                                                        size_t length) {
            StoreSettingsRecord(kind, data, length);
        };
        host_.ReplyWindows->SetWindow(ReplyWindow::Settings, WindowHandle(), &SessionArea);
    }
    pc_SystemSet->SetEnabled(false);
    Sheets[PageAuth]->SetTabVisible(false);
    Sheets[PagePorts]->SetTabVisible(false);
    pn_RemoteSetPannel->SetVisible(true);
    pn_RemoteSetPannel->BringToFront();
    for (int p = 0; p < PagePorts; ++p) {
        ReadButtons[size_t(p)]->SetVisible(true);
        WriteButtons[size_t(p)]->SetVisible(true);
    }
    bt_OK->SetVisible(false);
    bt_Application->SetVisible(false);
    bt_RestartWindows->SetVisible(false);
    bt_ShutWindows->SetVisible(false);
    bt_Cancel->SetCaption(Utf8ToGbk("关闭"));
    bt_Cancel->SetLeft(bt_Application->Left());
    cb_RemoteMainAddr->Items()->Clear();
    for (const auto& g : host_.Groups) {
        const std::string a = g.HostAddress.Get();
        if (!a.empty() && cb_RemoteMainAddr->Items()->IndexOf(a) < 0)
            cb_RemoteMainAddr->Items()->Add(a);
    }
    if (cb_RemoteMainAddr->Items()->Count() > 0) cb_RemoteMainAddr->SetItemIndex(0);
}

void TSystemSetForm::lv_ChannelChange(TObject* Sender) {
    // Every change notification: only the one that leaves a row selected does anything.
    if (Tag() < 0 || SelectedRow() < 0) return;
    lv_ChannelSelectItem(Sender, nullptr, true);
}

void TSystemSetForm::lv_ChannelSelectItem(TObject*, TListItem*, bool Selected) {
    if (!Selected || Tag() < 0 || SelectedRow() < 0) return;
    const int n = SelectedRow(), o = EditChannel;
    if (n == o) return;
    StorePreviewPage(o);
    StoreCapturePage(o);
    StoreAlarmPage(o);
    StoreScheduleDay(o, shownDay_);
    EditChannel = n;
    if (!RemoteMode)
        for (int p = 0; p < 4; ++p)
            Sheets[size_t(p)]->SetTabVisible(PageAllowed(p, n));
    LoadPreviewPage(n);
    LoadCapturePage(n);
    LoadAlarmPage(n);
    LoadScheduleDay(n, shownDay_);
}

// --- Picture page -------------------------------------------------------------------------

void TSystemSetForm::LoadPreviewPage(int ch) {
    if (ch < 0 || ch >= lv_Channel->Items()->Count()) return;
    const TPreviewSetRecord& r = PreviewRecords[size_t(ch)];
    lb_OSD_Time->SetBounds(r.DateTimeX, r.DateTimeY, 183, 18);
    lb_OSD_Name->SetBounds(r.TitleX, r.TitleY, lb_OSD_Name->Width(), 18);
    // Each bar's change would store all four bars into the record while the later ones
    // still show the previous row.
    loadingPreview_ = true;
    sb_Bright->SetPosition(int(r.Picture.Brightness));
    sb_Contrast->SetPosition(r.Picture.Contrast);
    sb_Saturation->SetPosition(r.Picture.Saturation);
    sb_Hue->SetPosition(int(r.Picture.Hue));
    loadingPreview_ = false;
    ed_ChannelName->SetText(r.Title.Get());
    cb_ShowChannelName->SetChecked(r.ShowTitle != 0);
    cb_ShowChannelTime->SetChecked(r.ShowDateTime != 0);
    cb_OSDAutoBright->SetChecked(r.TimeAutoBrightness != 0);
    cb_ShowBGImage->SetChecked(r.ShowBackground != 0);
    cb_PutBlock->SetChecked(r.MaskOn != 0);
}

void TSystemSetForm::StorePreviewPage(int ch) {
    if (ch < 0 || ch >= lv_Channel->Items()->Count()) return;
    TPreviewSetRecord& r = PreviewRecords[size_t(ch)];
    r.Picture.Brightness = uint32_t(sb_Bright->Position());
    r.Picture.Contrast = sb_Contrast->Position();
    r.Picture.Saturation = sb_Saturation->Position();
    r.Picture.Hue = uint32_t(sb_Hue->Position());
    r.Title.Set(ed_ChannelName->GetText());
    r.MaskOn = cb_PutBlock->Checked();
    r.ShowTitle = cb_ShowChannelName->Checked();
    r.ShowDateTime = cb_ShowChannelTime->Checked();
    r.ShowBackground = cb_ShowBGImage->Checked();
    r.TimeAutoBrightness = cb_OSDAutoBright->Checked();
    r.DateTimeX = lb_OSD_Time->Left();
    r.DateTimeY = lb_OSD_Time->Top();
    r.TitleX = lb_OSD_Name->Left();
    r.TitleY = lb_OSD_Name->Top();
}

void TSystemSetForm::sb_PictureChange(TObject* Sender) {
    const int row = SelectedRow();
    auto* bar = static_cast<TTrackBar*>(Sender);
    TLabel* value = bar == sb_Bright       ? lb_Bright
                    : bar == sb_Contrast   ? lb_Contrast
                    : bar == sb_Saturation ? lb_Saturation
                                           : lb_Hue;
    value->SetCaption(std::to_string(bar->Position()));
    if (loadingPreview_ || lv_Channel->Items()->Count() == 0 || row < 0) return;
    TPictureParams& p = PreviewRecords[size_t(row)].Picture;
    p.Brightness = uint32_t(sb_Bright->Position());
    p.Contrast = sb_Contrast->Position();
    p.Saturation = sb_Saturation->Position();
    p.Hue = uint32_t(sb_Hue->Position());
    if (!RemoteMode && host_.Card && row < host_.BoardChannels && Tag() >= 0) {
        try {
            host_.Card->SetPictureParams(row, int(p.Brightness), p.Contrast, p.Saturation,
                                         int(p.Hue));
        } catch (...) {
            // Board failures leave the edit in the working copy.
        }
    }
}

void TSystemSetForm::ApplyLiveOsd() {
    const int row = SelectedRow();
    if (RemoteMode || !host_.Card || Tag() < 0 || row < 0 || row >= host_.BoardChannels) return;
    try {
        host_.Card->SetChannelOsd(row, ed_ChannelName->GetText(), cb_ShowChannelName->Checked(),
                                  cb_ShowChannelTime->Checked(), cb_OSDAutoBright->Checked(),
                                  POINT{lb_OSD_Time->Left(), lb_OSD_Time->Top()},
                                  POINT{lb_OSD_Name->Left(), lb_OSD_Name->Top()});
    } catch (...) {
        // Board failures leave the edit in the working copy.
    }
}

void TSystemSetForm::lb_OSD_TimeMouseDown(TObject*, TMouseButton, TShiftState, int, int) {
    ::GetCursorPos(&DragAnchor);
}

void TSystemSetForm::lb_OSD_TimeMouseMove(TObject*, TShiftState shift, int, int) {
    if (!shift.Contains(TShiftStateItem::ssLeft)) return;
    POINT p;
    ::GetCursorPos(&p);
    DragOsdLabel(lb_OSD_Time, p);
}

void TSystemSetForm::lb_OSD_NameMouseMove(TObject*, TShiftState shift, int, int) {
    if (!shift.Contains(TShiftStateItem::ssLeft)) return;
    POINT p;
    ::GetCursorPos(&p);
    DragOsdLabel(lb_OSD_Name, p);
}

void TSystemSetForm::DragOsdLabel(TLabel* label, POINT cursor) {
    if (SelectedRow() < 0) return;
    const int left = label->Left() + int(cursor.x - DragAnchor.x);
    const int top = label->Top() + int(cursor.y - DragAnchor.y);
    DragAnchor = cursor;
    const bool across = label == lb_OSD_Time ? left > 0 && left + label->Width() <= 355
                                             : left > 0 && left <= 345;
    if (!across || top < 0 || top + 20 > 288) return;
    label->SetBounds(left, top, label->Width(), label->Height());
    ApplyLiveOsd();
}

void TSystemSetForm::sb_VideoLostAudioTestClick(TObject* Sender) {
    if (RemoteMode) return;
    static const char* const kFiles[] = {"VL.WAV", "VD.WAV", "HD.WAV"};
    const int tag = static_cast<TComponent*>(Sender)->Tag();
    if (tag < 0 || tag > 2) return;
    const std::string file = host_.ProgramPath + kFiles[tag];
    if (host_.PlaySound)
        host_.PlaySound(file);
#ifndef VANTREL_CONTROL_BUILD
    else
        TThreadPlaySound(file);
#endif
}

void TSystemSetForm::sb_VideoLostFileClick(TObject* Sender) {
    if (RemoteMode) return;
    static const char* const kFiles[] = {"VL.WAV", "VD.WAV", "HD.WAV"};
    const int tag = static_cast<TComponent*>(Sender)->Tag();
    if (tag < 0 || tag > 2) return;
    std::string chosen;
    if (host_.ChooseWavFile) {
        chosen = host_.ChooseWavFile();
    } else {
        wchar_t name[MAX_PATH] = {};
        OPENFILENAMEW ofn{};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = WindowHandle();
        ofn.lpstrFilter = L"Wav files (*.wav)\0*.wav\0";
        ofn.lpstrFile = name;
        ofn.nMaxFile = MAX_PATH;
        ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
        if (::GetOpenFileNameW(&ofn)) chosen = dvr::win::WideToGbk(name);
    }
    if (chosen.empty()) return;
    const std::string target = host_.ProgramPath + kFiles[tag];
    const std::wstring wideTarget = dvr::win::GbkToWide(target);
    ::DeleteFileW(wideTarget.c_str());
    ::CopyFileW(dvr::win::GbkToWide(chosen).c_str(), wideTarget.c_str(), FALSE);
    if (host_.PlaySound)
        host_.PlaySound(target);
#ifndef VANTREL_CONTROL_BUILD
    else
        TThreadPlaySound(target);
#endif
}

void TSystemSetForm::ed_ChannelNameChange(TObject* Sender) {
    lb_OSD_Name->SetBounds(lb_OSD_Name->Left(), lb_OSD_Name->Top(),
                           9 * int(ed_ChannelName->GetText().size()), 18);
    if (Sender) ApplyLiveOsd();
}

void TSystemSetForm::cb_ShowOsdClick(TObject* Sender) {
    lb_OSD_Name->SetVisible(cb_ShowChannelName->Checked());
    lb_OSD_Time->SetVisible(cb_ShowChannelTime->Checked());
    if (Sender) ApplyLiveOsd();
}

void TSystemSetForm::pn_PreviewMouseDown(TObject*, TMouseButton, TShiftState, int X, int Y) {
    if (SelectedRow() < 0 || (!RemoteMode && SelectedRow() >= host_.BoardChannels)) return;
    anchorX_ = X;
    anchorY_ = Y;
}

void TSystemSetForm::pn_PreviewMouseUp(TObject*, TMouseButton Button, TShiftState, int X, int Y) {
    const int row = SelectedRow();
    if (Button != TMouseButton::mbLeft || !cb_PutBlock->Checked() || row < 0 ||
        (!RemoteMode && row >= host_.BoardChannels))
        return;
    const TDragRect r = MaskDragRect(anchorX_, anchorY_, X, Y);
    if (r.Right - r.Left < 10 || r.Bottom - r.Top < 10) return;
    TPreviewSetRecord& p = PreviewRecords[size_t(row)];
    p.MaskLeft = r.Left;
    p.MaskTop = r.Top;
    p.MaskRight = r.Right;
    p.MaskBottom = r.Bottom;
    pn_MarkBlock->SetBounds(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
    pn_MarkBlock->SetVisible(RemoteMode);
}

void TSystemSetForm::pn_AreaMouseDown(TObject*, TMouseButton, TShiftState, int X, int Y) {
    anchorX_ = X;
    anchorY_ = Y;
}

void TSystemSetForm::pn_AreaMouseUp(TObject*, TMouseButton Button, TShiftState, int X, int Y) {
    const int row = SelectedRow();
    if (Button != TMouseButton::mbLeft || row < 0 || (!RemoteMode && row >= host_.BoardChannels))
        return;
    const TDragRect r = AreaDragRect(anchorX_, anchorY_, X, Y);
    if (r.Right - r.Left < 10 || r.Bottom - r.Top < 10) return;
    TAlarmSetRecord& a = AlarmRecords[size_t(row)];
    const int count = std::max(0, std::min(a.AreaCount, kAlarmAreas));
    if (count >= kAlarmAreas) return;
    const double w = 352, h = 288;
    for (int k = 0; k < count; ++k) {
        const AlarmAreaFraction& f = a.Areas[k];
        const TDragRect e{int(std::lround(f.Left * w)), int(std::lround(f.Top * h)),
                          int(std::lround(f.Right * w)), int(std::lround(f.Bottom * h))};
        if (AreaCollides(r, e)) return;
    }
    a.Areas[count] = {r.Left / w, r.Top / h, r.Right / w, r.Bottom / h};
    a.AreaCount = count + 1;
}

void TSystemSetForm::sb_ClearAreasClick(TObject*) {
    if (SelectedRow() >= 0) AlarmRecords[size_t(SelectedRow())].AreaCount = 0;
}

void TSystemSetForm::TimeTimerTimer() {
    if (!RemoteMode) return;
    SYSTEMTIME t;
    ::GetLocalTime(&t);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.wYear, t.wMonth, t.wDay,
                  t.wHour, t.wMinute, t.wSecond);
    lb_OSD_Time->SetCaption(text);
    lb_OSD_Name->SetCaption(ed_ChannelName->GetText());
    ed_ChannelNameChange(nullptr);
    cb_ShowOsdClick(nullptr);
    const int row = SelectedRow();
    if (row >= 0) {
        const TPreviewSetRecord& p = PreviewRecords[size_t(row)];
        pn_MarkBlock->SetBounds(p.MaskLeft, p.MaskTop, p.MaskRight - p.MaskLeft,
                                p.MaskBottom - p.MaskTop);
    }
    pn_MarkBlock->SetVisible(row >= 0 && cb_PutBlock->Checked());
}

// --- Recording page -----------------------------------------------------------------------

void TSystemSetForm::LoadCapturePage(int ch) {
    if (ch < 0 || ch >= lv_Channel->Items()->Count()) return;
    const TCaptureSetRecord& r = CaptureRecords[size_t(ch)];
    loadingCapture_ = true;
    cb_CapAudio->SetChecked(r.AudioMode == 0);
    cb_SetMaxFileSize->SetChecked(r.LimitFileSize != 0);
    SetNumber(se_MaxFileSize, r.MaxFileSize);
    SetNumber(se_FrameRate, r.FrameRate);
    SetNumber(se_FilePackageTime, r.MinutesPerFile);
    SetCombo(cb_QualityLevel, r.QualityLevel);
    SetCombo(cb_HighQualityLevel, r.UltraLevel);
    SetCombo(cb_D1QualityLevel, r.FourCifLevel);
#ifndef VANTREL_CONTROL_BUILD
    SetCombo(cb_DCIFQualityLevel, r.DcifLevel);
#endif
    SetCombo(cb_FromDisk, r.FirstDrive - 'D');
    SetCombo(cb_ToDisk, r.LastDrive - 'D');
    (r.VideoStandard == 2 ? rb_PAL : rb_NTSC)->SetChecked(true);
    (r.UltraMode ? rb_HeightQualityCap : rb_CommonQualityCap)->SetChecked(true);
    if (r.FourCifMode) rb_D1QualityCap->SetChecked(true);
#ifndef VANTREL_CONTROL_BUILD
    if (r.DcifMode) rb_DCIFQualityCap->SetChecked(true);
#endif
    loadingCapture_ = false;
}

void TSystemSetForm::QualityRadioClick(TObject* Sender) {
    if (loadingCapture_) return;
    int size = 0;
    if (Sender == rb_CommonQualityCap) size = 200;
    if (Sender == rb_HeightQualityCap) size = 400;
    if (Sender == rb_D1QualityCap) size = 600;
    if (size) SetNumber(se_MaxFileSize, size);
}

void TSystemSetForm::PowerButtonClick(TObject* Sender) {
    if (host_.MainWindow)
        ::PostMessageW(host_.MainWindow, WM_POWERACTION,
                       WPARAM(static_cast<TComponent*>(Sender)->Tag()), 0);
}

void TSystemSetForm::StoreCapturePage(int ch) {
    if (ch < 0 || ch >= lv_Channel->Items()->Count()) return;
    TCaptureSetRecord& r = CaptureRecords[size_t(ch)];
    r.AudioMode = cb_CapAudio->Checked() ? 0 : 2;
    r.FrameRate = SpinValue(se_FrameRate, 1, 30);
    r.LimitFileSize = cb_SetMaxFileSize->Checked();
    r.MaxFileSize = SpinValue(se_MaxFileSize, 50, 10000);
    r.MinutesPerFile = SpinValue(se_FilePackageTime, 5, 120);
    if (!cb_FromDisk->GetText().empty()) r.FirstDrive = cb_FromDisk->GetText()[0];
    if (!cb_ToDisk->GetText().empty()) r.LastDrive = cb_ToDisk->GetText()[0];
    // A level without a row of the table keeps the stored values.
    const int level = cb_QualityLevel->ItemIndex();
    if (level >= 0 && level < 6) {
        r.QualityLevel = level;
        r.QuantI = kQualityTable[level][0];
        r.QuantB = kQualityTable[level][1];
        r.QuantP = kQualityTable[level][2];
        r.KeyFrameInterval = kQualityTable[level][3];
    }
    r.UltraMode = rb_HeightQualityCap->Checked();
    r.UltraLevel = uint8_t(ComboIndex(cb_HighQualityLevel, r.UltraLevel));
    r.FourCifMode = rb_D1QualityCap->Checked();
    r.FourCifLevel = uint8_t(ComboIndex(cb_D1QualityLevel, r.FourCifLevel));
#ifndef VANTREL_CONTROL_BUILD
    r.DcifMode = rb_DCIFQualityCap->Checked();
    r.DcifLevel = uint8_t(ComboIndex(cb_DCIFQualityLevel, r.DcifLevel));
#endif
    r.VideoStandard = rb_PAL->Checked() ? 2 : 1;
}

std::string TSystemSetForm::CheckDriveRanges() const {
    const int rows = const_cast<TListView*>(lv_Channel)->Items()->Count();
    for (int i = 0; i < rows; ++i) {
        const TCaptureSetRecord& a = CaptureRecords[size_t(i)];
        if (a.FirstDrive > a.LastDrive)
            return Utf8ToGbk("对不起！发现存盘设置错误现象，请重新设置。");
        for (int j = i + 1; j < rows; ++j) {
            const TCaptureSetRecord& b = CaptureRecords[size_t(j)];
            const bool differ = a.FirstDrive != b.FirstDrive || a.LastDrive != b.LastDrive;
            if (differ && a.FirstDrive <= b.LastDrive && b.FirstDrive <= a.LastDrive)
                return Utf8ToGbk("对不起！发现存盘设置有交叉（或包含）现象，请重新设置。");
        }
    }
    return {};
}

// --- Detection and alarm page --------------------------------------------------------------

void TSystemSetForm::LoadAlarmPage(int ch) {
    if (ch < 0 || ch >= lv_Channel->Items()->Count()) return;
    const TAlarmSetRecord& r = AlarmRecords[size_t(ch)];
    cb_VideoLostAlarm->SetChecked(r.VideoLossOn);
    cb_VideoMoveAlarm->SetChecked(r.MotionOn);
    cb_HardAlarm->SetChecked(r.ProbeOn);
    SetCombo(cb_DelicacyLevel, r.MotionLevel);
    SetNumber(se_AlarmDelicacy, r.Sensitivity);
    cb_VideoLostAlarmSound->SetChecked(r.VideoLossSound);
    cb_VideoMoveAlarmSound->SetChecked(r.MotionSound);
    cb_HardAarmSound->SetChecked(r.ProbeSound);
    cb_StartPrevCapture->SetChecked(r.PreRecord);
    cb_StartPreview->SetChecked(r.OpenPreview);
    cb_StartCapture->SetChecked(r.RecordOnAlarm);
    for (int i = 0; i < lv_RelatingCapture->Items()->Count() && i < kSettingsChannels; ++i)
        lv_RelatingCapture->Items()->Item(i)->SetChecked(r.LinkedChannels[i]);
    cb_OutToHard->SetChecked(r.OutputToBox);
    cb_CallPrevPos->SetChecked(r.CallPreset);
    cb_AlarmIPUp->SetChecked(r.NetUpload);
    cb_AlarmDialUP->SetChecked(r.DialUp);
    SetNumber(se_AlarmTimes, r.AlarmHoldSeconds);
    SetNumber(se_AlarmCapKeepTime, r.RecordDelaySeconds);
    SetCombo(cb_AlarmInBox, r.InBoxType);
    SetCombo(cb_AlarmInCOM, r.InBoxPort);
    SetNumber(se_AlarmInBoxAddr, r.InBoxAddress);
    for (int i = 0; i < kBoxPoints; ++i) {
        TListItem* in = lv_AlarmInList->Items()->Item(i);
        in->SetCaption(r.InputNames[i].Get());
        in->SetChecked(r.InputOn[i]);
        TListItem* out = lv_AlarmOutList->Items()->Item(i);
        out->SetCaption(r.OutputNames[0][i].Get());
        out->SetChecked(r.OutputMap[0][i]);
    }
    outKind_ = 0;
    lv_AlarmOutList->SetTag(0);
    rb_VideoLostAalrm->SetChecked(true);
    ed_AlarmPhone->SetText(r.DialPhone.Get());
    cb_DialPlaySound->SetChecked(r.DialPlaySound);
    cb_AlarmUPToConnecting->SetChecked(r.UploadToViewers);
    lv_AlarmUpIPList->Items()->Clear();
    for (int i = 0; i < r.UploadAddressCount && i < kUploadAddresses; ++i) {
        TListItem* it = lv_AlarmUpIPList->Items()->Add();
        it->SetCaption(r.UploadAddresses[i].Get());
        it->SetChecked(r.UploadAddressOn[i]);
    }
    cb_SendMsg->SetChecked(r.Sms.SmsOn);
    SetCombo(cb_GSMCOM, r.Sms.GsmPort);
    ed_SMCSNumber->SetText(GetChars(r.Sms.CentreNumber, sizeof r.Sms.CentreNumber));
    ed_PhoneCode->SetText(GetChars(r.Sms.PhoneNumber, sizeof r.Sms.PhoneNumber));
    ed_SMCSMsg->SetText(GetChars(r.Sms.Text, sizeof r.Sms.Text));
#ifndef VANTREL_CONTROL_BUILD
    ed_RasUserName->SetText(r.DialUser.Get());
    ed_RasPassword->SetText(r.DialPassword.Get());
#endif
}

void TSystemSetForm::StoreAlarmPage(int ch) {
    if (ch < 0 || ch >= lv_Channel->Items()->Count()) return;
    TAlarmSetRecord& r = AlarmRecords[size_t(ch)];
    r.VideoLossOn = cb_VideoLostAlarm->Checked();
    r.MotionOn = cb_VideoMoveAlarm->Checked();
    r.ProbeOn = cb_HardAlarm->Checked();
    r.MotionLevel = uint8_t(ComboIndex(cb_DelicacyLevel, r.MotionLevel));
    r.Sensitivity = uint8_t(SpinValue(se_AlarmDelicacy, 0, 100));
    r.VideoLossSound = cb_VideoLostAlarmSound->Checked();
    r.MotionSound = cb_VideoMoveAlarmSound->Checked();
    r.ProbeSound = cb_HardAarmSound->Checked();
    r.PreRecord = cb_StartPrevCapture->Checked();
    r.OpenPreview = cb_StartPreview->Checked();
    r.RecordOnAlarm = cb_StartCapture->Checked();
    for (int i = 0; i < lv_RelatingCapture->Items()->Count() && i < kSettingsChannels; ++i)
        r.LinkedChannels[i] = lv_RelatingCapture->Items()->Item(i)->Checked();
    r.OutputToBox = cb_OutToHard->Checked();
    r.CallPreset = cb_CallPrevPos->Checked();
    r.NetUpload = cb_AlarmIPUp->Checked();
    r.DialUp = cb_AlarmDialUP->Checked();
    r.AlarmHoldSeconds = SpinValue(se_AlarmTimes, 5, 300);
    r.RecordDelaySeconds = SpinValue(se_AlarmCapKeepTime, 5, 600);
    r.InBoxType = uint8_t(ComboIndex(cb_AlarmInBox, r.InBoxType));
    r.InBoxPort = uint8_t(ComboIndex(cb_AlarmInCOM, r.InBoxPort));
    r.InBoxAddress = uint8_t(SpinValue(se_AlarmInBoxAddr, 0, 255));
    r.OutBoxType = r.InBoxType;
    r.OutBoxPort = r.InBoxPort;
    r.OutBoxAddress = r.InBoxAddress;
    for (int i = 0; i < kBoxPoints; ++i) {
        TListItem* in = lv_AlarmInList->Items()->Item(i);
        r.InputNames[i].Set(in->Caption());
        r.InputOn[i] = in->Checked();
        TListItem* out = lv_AlarmOutList->Items()->Item(i);
        r.OutputNames[outKind_][i].Set(out->Caption());
        r.OutputMap[outKind_][i] = out->Checked();
    }
    r.DialPhone.Set(ed_AlarmPhone->GetText());
    r.DialPlaySound = cb_DialPlaySound->Checked();
    r.UploadToViewers = cb_AlarmUPToConnecting->Checked();
    r.UploadAddressCount = 0;
    for (int i = 0; i < lv_AlarmUpIPList->Items()->Count() && i < kUploadAddresses; ++i) {
        TListItem* it = lv_AlarmUpIPList->Items()->Item(i);
        r.UploadAddresses[i].Set(it->Caption());
        r.UploadAddressOn[i] = it->Checked();
        ++r.UploadAddressCount;
    }
    r.Sms.SmsOn = cb_SendMsg->Checked();
    r.Sms.GsmPort = uint8_t(ComboIndex(cb_GSMCOM, r.Sms.GsmPort));
    PutChars(r.Sms.CentreNumber, sizeof r.Sms.CentreNumber, ed_SMCSNumber->GetText());
    PutChars(r.Sms.PhoneNumber, sizeof r.Sms.PhoneNumber, ed_PhoneCode->GetText());
    PutChars(r.Sms.Text, sizeof r.Sms.Text, ed_SMCSMsg->GetText());
#ifndef VANTREL_CONTROL_BUILD
    r.DialUser.Set(ed_RasUserName->GetText());
    r.DialPassword.Set(ed_RasPassword->GetText());
#endif
}

void TSystemSetForm::rb_OutKindClick(TObject* Sender) {
    const int kind = int(static_cast<TComponent*>(Sender)->Tag());
    if (SelectedRow() < 0 || kind < 0 || kind >= kAlarmKinds) return;
    const TAlarmSetRecord& r = AlarmRecords[size_t(SelectedRow())];
    for (int i = 0; i < kBoxPoints; ++i)
        lv_AlarmOutList->Items()->Item(i)->SetChecked(r.OutputMap[kind][i]);
    outKind_ = kind;
    lv_AlarmOutList->SetTag(kind);
}

void TSystemSetForm::lv_AlarmOutListClick(TObject*) {
    if (SelectedRow() < 0) return;
    TAlarmSetRecord& r = AlarmRecords[size_t(SelectedRow())];
    for (int i = 0; i < kBoxPoints; ++i)
        r.OutputMap[outKind_][i] = lv_AlarmOutList->Items()->Item(i)->Checked();
}

// --- Schedule page ------------------------------------------------------------------------

void TSystemSetForm::LoadScheduleDay(int ch, int day) {
    if (ch < 0 || ch >= lv_Channel->Items()->Count() || day < 0 || day >= kScheduleDays) return;
    const TAutoDayBlock& b = AutoRecords[size_t(ch)].Days[day];
    lv_AutoSetList->Items()->Clear();
    for (int i = 0; i < b.RangeCount && i < kScheduleRanges; ++i) {
        TListItem* it = lv_AutoSetList->Items()->Add();
        it->SetCaption(HHMMSS(b.StartDate[i]));
        it->SubItems()->Add(HHMMSS(b.EndDate[i]));
        const int t = b.WorkType[i];
        it->SubItems()->Add(t >= 0 && t < cb_AutoWorkType->Items()->Count()
                                ? cb_AutoWorkType->Items()->Strings(t)
                                : std::string());
    }
}

void TSystemSetForm::StoreScheduleDay(int ch, int day) {
    if (ch < 0 || ch >= lv_Channel->Items()->Count() || day < 0 || day >= kScheduleDays) return;
    TAutoDayBlock& b = AutoRecords[size_t(ch)].Days[day];
    const int rows = std::min(lv_AutoSetList->Items()->Count(), kScheduleRanges);
    for (int i = 0; i < rows; ++i) {
        TListItem* it = lv_AutoSetList->Items()->Item(i);
        b.StartDate[i] = TimeOfText(it->Caption());
        b.StartTime[i] = TArithmetic::TimeToHHMMSS(b.StartDate[i]);
        b.EndDate[i] = TimeOfText(it->SubItems()->Strings(0));
        b.EndTime[i] = TArithmetic::TimeToHHMMSS(b.EndDate[i]);
        b.WorkType[i] = std::max(0, cb_AutoWorkType->Items()->IndexOf(it->SubItems()->Strings(1)));
    }
    b.RangeCount = rows;
}

void TSystemSetForm::rb_DayClick(TObject* Sender) {
    const int day = int(static_cast<TComponent*>(Sender)->Tag());
    if (day == shownDay_) return;
    StoreScheduleDay(EditChannel, shownDay_);
    shownDay_ = day;
    lv_AutoSetList->SetTag(day);
    LoadScheduleDay(EditChannel, day);
}

void TSystemSetForm::sb_CopyAutoToDayClick(TObject*) {
    if (EditChannel >= lv_Channel->Items()->Count()) return;
    StoreScheduleDay(EditChannel, shownDay_);
    const std::vector<int> days = host_.PickWeekDays ? host_.PickWeekDays() : std::vector<int>{};
    TAutoSetRecord& r = AutoRecords[size_t(EditChannel)];
    for (int d : days)
        if (d >= 0 && d < kScheduleDays && d != shownDay_) r.Days[d] = r.Days[shownDay_];
}

void TSystemSetForm::sb_AutoAddClick(TObject*) {
    if (lv_AutoSetList->Items()->Count() >= kScheduleRanges) return;
    autoAdding_ = true;
    dtp_AutoStart->SetDateTime(0);
    dtp_AutoEnd->SetDateTime(TimeOfText("23:59:59"));
    pn_AutoEdit->SetVisible(true);
    for (auto* b : {sb_AutoAdd, sb_AutoMod, sb_AutoDel})
        b->SetEnabled(false);
}

void TSystemSetForm::sb_AutoModClick(TObject*) {
    TListItem* it = lv_AutoSetList->Selected();
    if (!it) return;
    autoAdding_ = false;
    dtp_AutoStart->SetDateTime(TimeOfText(it->Caption()));
    dtp_AutoEnd->SetDateTime(TimeOfText(it->SubItems()->Strings(0)));
    cb_AutoWorkType->SetItemIndex(cb_AutoWorkType->Items()->IndexOf(it->SubItems()->Strings(1)));
    pn_AutoEdit->SetVisible(true);
    for (auto* b : {sb_AutoAdd, sb_AutoMod, sb_AutoDel})
        b->SetEnabled(false);
}

void TSystemSetForm::sb_AutoDelClick(TObject*) {
    if (TListItem* it = lv_AutoSetList->Selected()) it->Delete();
}

void TSystemSetForm::sb_AutoEditOKClick(TObject*) {
    TListItem* it = nullptr;
    if (autoAdding_) {
        it = lv_AutoSetList->Items()->Add();
        it->SubItems()->Add("");
        it->SubItems()->Add("");
    } else {
        it = lv_AutoSetList->Selected();
    }
    if (it) {
        it->SetCaption(HHMMSS(dtp_AutoStart->DateTime()));
        it->SubItems()->Put(0, HHMMSS(dtp_AutoEnd->DateTime()));
        it->SubItems()->Put(1, cb_AutoWorkType->GetText());
    }
    sb_AutoEditCancelClick(nullptr);
}

void TSystemSetForm::sb_AutoEditCancelClick(TObject*) {
    pn_AutoEdit->SetVisible(false);
    for (auto* b : {sb_AutoAdd, sb_AutoMod, sb_AutoDel})
        b->SetEnabled(true);
}

void TSystemSetForm::sb_AlarmUpAddClick(TObject*) {
    uploadAdding_ = true;
    ed_AlarmUpAddr->SetText("");
    pn_AlarmUpPanel->SetVisible(true);
    for (auto* b : {sb_AlarmUpAdd, sb_AlarmUpMod, sb_AlarmUpDel})
        b->SetEnabled(false);
}

void TSystemSetForm::sb_AlarmUpModClick(TObject*) {
    TListItem* it = lv_AlarmUpIPList->Selected();
    if (!it) return;
    uploadAdding_ = false;
    ed_AlarmUpAddr->SetText(it->Caption());
    pn_AlarmUpPanel->SetVisible(true);
    for (auto* b : {sb_AlarmUpAdd, sb_AlarmUpMod, sb_AlarmUpDel})
        b->SetEnabled(false);
}

void TSystemSetForm::sb_AlarmUpDelClick(TObject*) {
    if (TListItem* it = lv_AlarmUpIPList->Selected()) it->Delete();
}

void TSystemSetForm::sb_AlarmUpOKClick(TObject*) {
    const std::string text = ed_AlarmUpAddr->GetText();
    if (text.empty()) return;
    if (uploadAdding_) {
        TListItem* it = lv_AlarmUpIPList->Items()->Add();
        it->SetCaption(text);
        it->SetChecked(true);
        lv_AlarmUpIPList->SetSelected(it);
    } else if (TListItem* it = lv_AlarmUpIPList->Selected()) {
        it->SetCaption(text);
    }
    sb_AlarmUpCancelClick(nullptr);
}

void TSystemSetForm::sb_AlarmUpCancelClick(TObject*) {
    pn_AlarmUpPanel->SetVisible(false);
    for (auto* b : {sb_AlarmUpAdd, sb_AlarmUpMod, sb_AlarmUpDel})
        b->SetEnabled(true);
}

// --- PTZ page -----------------------------------------------------------------------------

void TSystemSetForm::LoadPtzPage() {
    lv_YTSetList->Items()->Clear();
    for (int n = 0; n < kYunTaiEntries; ++n) {
        TYunTaiEntry& e = PtzRecord.Entries[n];
        if (!e.Enabled) continue;
        if (e.Port >= 16) e.Port = 0;
        char number[8];
        std::snprintf(number, sizeof number, "%03d", n + 1);
        TListItem* it = lv_YTSetList->Items()->Add();
        it->SetCaption(number);
        it->SubItems()->Add(e.Protocol < cb_YTName->Items()->Count()
                                ? cb_YTName->Items()->Strings(e.Protocol)
                                : std::string());
        it->SubItems()->Add(std::to_string(e.BaudRate));
        it->SubItems()->Add("COM" + std::to_string(e.Port + 1));
        it->SubItems()->Add(std::to_string(e.Address));
    }
}

void TSystemSetForm::StorePtzPage() {
    for (auto& e : PtzRecord.Entries)
        e.Enabled = 0;
    for (int i = 0; i < lv_YTSetList->Items()->Count(); ++i) {
        TListItem* it = lv_YTSetList->Items()->Item(i);
        const long long number = NumberOf(it->Caption(), 1);
        const int n = int(std::max(0LL, std::min<long long>(number - 1, kYunTaiEntries - 1)));
        TYunTaiEntry& e = PtzRecord.Entries[n];
        e.Enabled = 1;
        const int protocol = cb_YTName->Items()->IndexOf(it->SubItems()->Strings(0));
        if (protocol >= 0) e.Protocol = uint8_t(protocol);
        // Texts that are not numbers keep what the entry held.
        e.BaudRate = int32_t(NumberOf(it->SubItems()->Strings(1), e.BaudRate));
        const int port = cb_YTCOM->Items()->IndexOf(it->SubItems()->Strings(2));
        if (port >= 0) e.Port = uint8_t(port);
        const long long address = NumberOf(it->SubItems()->Strings(3), e.Address);
        if (address >= 0 && address <= 255) e.Address = uint8_t(address);
    }
}

void TSystemSetForm::sb_YTAddClick(TObject*) {
    if (lv_YTSetList->Items()->Count() > 128) return;
    ytAdding_ = true;
    SetNumber(se_YTPort, lv_YTSetList->Items()->Count() + 1);
    SetCombo(cb_YTName, 0);
    cb_YTCOM->SetItemIndex(0);
    se_YTAddress->SetText("0");
    pn_YTEditPannel->SetVisible(true);
    for (auto* b : {sb_YTAdd, sb_YTMod, sb_YTDel})
        b->SetEnabled(false);
}

void TSystemSetForm::sb_YTModClick(TObject*) {
    TListItem* it = lv_YTSetList->Selected();
    if (!it) return;
    ytAdding_ = false;
    se_YTPort->SetText(std::to_string(NumberOf(it->Caption(), 1)));
    cb_YTName->SetItemIndex(cb_YTName->Items()->IndexOf(it->SubItems()->Strings(0)));
    cb_YTBaudrate->SetText(it->SubItems()->Strings(1));
    cb_YTCOM->SetItemIndex(cb_YTCOM->Items()->IndexOf(it->SubItems()->Strings(2)));
    se_YTAddress->SetText(it->SubItems()->Strings(3));
    pn_YTEditPannel->SetVisible(true);
    for (auto* b : {sb_YTAdd, sb_YTMod, sb_YTDel})
        b->SetEnabled(false);
}

void TSystemSetForm::sb_YTDelClick(TObject*) {
    if (TListItem* it = lv_YTSetList->Selected()) it->Delete();
}

void TSystemSetForm::sb_YTOKClick(TObject*) {
    char number[8];
    std::snprintf(number, sizeof number, "%03d", SpinValue(se_YTPort, 1, kYunTaiEntries));
    // Baud rates and addresses are kept as numbers only: other text is refused here.
    const long long baud = NumberOf(cb_YTBaudrate->GetText(), -1);
    if (baud <= 0 || baud > INT32_MAX) return;
    const std::string address = std::to_string(SpinValue(se_YTAddress, 0, 255));
    TListItem* it = nullptr;
    if (ytAdding_) {
        for (int i = 0; i < lv_YTSetList->Items()->Count(); ++i)
            if (lv_YTSetList->Items()->Item(i)->Caption() == number) {
                Message("对不起！本通道云台已设置！");
                return;
            }
        it = lv_YTSetList->Items()->Add();
        for (int i = 0; i < 4; ++i)
            it->SubItems()->Add("");
    } else {
        it = lv_YTSetList->Selected();
        if (!it) return;
    }
    it->SetCaption(number);
    it->SubItems()->Put(0, cb_YTName->GetText());
    it->SubItems()->Put(1, std::to_string(baud));
    it->SubItems()->Put(2, cb_YTCOM->GetText());
    it->SubItems()->Put(3, address);
    sb_YTCancelClick(nullptr);
}

void TSystemSetForm::sb_YTCancelClick(TObject*) {
    pn_YTEditPannel->SetVisible(false);
    for (auto* b : {sb_YTAdd, sb_YTMod, sb_YTDel})
        b->SetEnabled(true);
}

void TSystemSetForm::cb_YTNameChange(TObject*) {
    const int i = cb_YTName->ItemIndex();
    if (i < 0 || !host_.YunTaiSet) return;
    TYunTaiProtocol p{};
    host_.YunTaiSet->ReadProtocol(uint16_t(i), p);
    cb_YTBaudrate->SetText(std::to_string(p.BaudRate));
}

// --- Authentication page ------------------------------------------------------------------

void TSystemSetForm::LoadAuthPage() {
    lv_UserCheckList->Items()->Clear();
    for (const auto& u : RemoteUsers) {
        TListItem* it = lv_UserCheckList->Items()->Add();
        it->SetCaption(u.UserName.Get());
        it->SubItems()->Add(u.Password.Get());
        it->SetChecked(u.InUse);
    }
    lv_IPCheckList->Items()->Clear();
    for (const auto& a : RemoteIPs) {
        TListItem* it = lv_IPCheckList->Items()->Add();
        it->SetCaption(a.Address.Get());
        it->SetChecked(a.InUse);
    }
}

void TSystemSetForm::StoreAuthPage() {
    for (size_t i = 0; i < RemoteUsers.size() && int(i) < lv_UserCheckList->Items()->Count(); ++i)
        RemoteUsers[i].InUse = lv_UserCheckList->Items()->Item(int(i))->Checked();
    for (size_t i = 0; i < RemoteIPs.size() && int(i) < lv_IPCheckList->Items()->Count(); ++i) {
        TListItem* it = lv_IPCheckList->Items()->Item(int(i));
        RemoteIPs[i].InUse = it->Checked();
        RemoteIPs[i].Address.Set(it->Caption());
    }
    if (lv_UserCheckList->ItemIndex() >= 0) StoreUserRights(lv_UserCheckList->ItemIndex());
    if (lv_IPCheckList->ItemIndex() >= 0) StoreIPRights(lv_IPCheckList->ItemIndex());
}

namespace {
// Walks every right, item and sub-item node with its byte of the record's blocks.
template <typename Visit> void WalkRights(TTreeView* tree, TRightsBlock* blocks, Visit visit) {
    TTreeNode* root = tree->Items()->GetFirstNode();
    for (int r = 0; r < kRemoteRights; ++r) {
        TTreeNode* rn = Child(root, r);
        if (!rn) continue;
        visit(rn, blocks[r].Enabled);
        for (int j = 0; j < rn->Count() && j < TRightsBlock::kItems; ++j) {
            TTreeNode* in = rn->Item(j);
            visit(in, blocks[r].Items[j].Enabled);
            for (int s = 0; s < in->Count() && s < TRightsBlock::kItems; ++s)
                visit(in->Item(s), blocks[r].Items[j].Sub[s]);
        }
    }
}
void LoadTree(TTreeView* tree, TRightsBlock* blocks) {
    WalkRights(tree, blocks, [](TTreeNode* n, uint8_t& b) { SetPicture(n, b ? 1 : 0); });
}
void StoreTree(TTreeView* tree, TRightsBlock* blocks) {
    WalkRights(tree, blocks, [](TTreeNode* n, uint8_t& b) { b = n->ImageIndex() == 1; });
}
} // namespace

void TSystemSetForm::LoadUserRights(int index) {
    if (index >= 0 && size_t(index) < RemoteUsers.size())
        LoadTree(tv_UserPowerTree, RemoteUsers[size_t(index)].Rights);
}
void TSystemSetForm::StoreUserRights(int index) {
    if (index >= 0 && size_t(index) < RemoteUsers.size())
        StoreTree(tv_UserPowerTree, RemoteUsers[size_t(index)].Rights);
}
void TSystemSetForm::LoadIPRights(int index) {
    if (index >= 0 && size_t(index) < RemoteIPs.size())
        LoadTree(tv_IPPowerTree, RemoteIPs[size_t(index)].Rights);
}
void TSystemSetForm::StoreIPRights(int index) {
    if (index >= 0 && size_t(index) < RemoteIPs.size())
        StoreTree(tv_IPPowerTree, RemoteIPs[size_t(index)].Rights);
}

void TSystemSetForm::ToggleRightsNode(TTreeNode* node) {
    if (!node || node->ImageIndex() >= 2) return;
    SetPicture(node, node->ImageIndex() == 1 ? 0 : 1);
}

void TSystemSetForm::lv_UserCheckListSelectItem(TObject*, TListItem* Item, bool Selected) {
    if (!Item || ModalResult() != 0) return;
    if (Selected) {
        LoadUserRights(Item->Index());
        userRow_ = Item->Index();
    } else {
        StoreUserRights(Item->Index());
    }
}

void TSystemSetForm::lv_IPCheckListSelectItem(TObject*, TListItem* Item, bool Selected) {
    if (!Item || ModalResult() != 0) return;
    if (Selected) {
        LoadIPRights(Item->Index());
        ipRow_ = Item->Index();
    } else {
        StoreIPRights(Item->Index());
    }
}

void TSystemSetForm::sb_UserAddClick(TObject*) {
    userAdding_ = true;
    ed_CheckUserName->SetText("");
    ed_CheckPassword->SetText("");
    pn_PasswordCheckEditPannel->SetVisible(true);
    for (auto* b : {sb_UserAdd, sb_UserMod, sb_UserDel})
        b->SetEnabled(false);
}

void TSystemSetForm::sb_UserModClick(TObject*) {
    TListItem* it = lv_UserCheckList->Selected();
    if (!it) return;
    userAdding_ = false;
    ed_CheckUserName->SetText(it->Caption());
    ed_CheckPassword->SetText(it->SubItems()->Strings(0));
    pn_PasswordCheckEditPannel->SetVisible(true);
    for (auto* b : {sb_UserAdd, sb_UserMod, sb_UserDel})
        b->SetEnabled(false);
}

void TSystemSetForm::sb_PasswordCheckOKClick(TObject*) {
    TRemoteUserRecord* r = nullptr;
    TListItem* it = nullptr;
    if (userAdding_) {
        RemoteUsers.emplace_back();
        r = &RemoteUsers.back();
        TClientCheckSet::SetUserDefaults(*r);
        it = lv_UserCheckList->Items()->Add();
        it->SubItems()->Add("");
    } else {
        it = lv_UserCheckList->Selected();
        if (!it || size_t(it->Index()) >= RemoteUsers.size()) return;
        r = &RemoteUsers[size_t(it->Index())];
    }
    r->UserName.Set(ed_CheckUserName->GetText().substr(0, 10));
    r->Password.Set(ed_CheckPassword->GetText().substr(0, 10));
    it->SetCaption(r->UserName.Get());
    it->SubItems()->Put(0, r->Password.Get());
    if (userAdding_) lv_UserCheckList->SetSelected(it);
    sb_PasswordCheckCancelClick(nullptr);
}

void TSystemSetForm::sb_PasswordCheckCancelClick(TObject*) {
    pn_PasswordCheckEditPannel->SetVisible(false);
    for (auto* b : {sb_UserAdd, sb_UserMod, sb_UserDel})
        b->SetEnabled(true);
}

void TSystemSetForm::sb_UserDelClick(TObject*) {
    TListItem* it = lv_UserCheckList->Selected();
    if (!it) return;
    const int i = it->Index();
    it->Delete();
    if (size_t(i) < RemoteUsers.size()) RemoteUsers.erase(RemoteUsers.begin() + i);
}

void TSystemSetForm::sb_IPCheckAddClick(TObject*) {
    RemoteIPs.emplace_back();
    TClientCheckSet::SetIPDefaults(RemoteIPs.back());
    TListItem* it = lv_IPCheckList->Items()->Add();
    lv_IPCheckList->SetSelected(it);
    sb_IPCheckModClick(nullptr);
}

// The address is edited in a strip under the list.
void TSystemSetForm::sb_IPCheckModClick(TObject*) {
    TListItem* it = lv_IPCheckList->Selected();
    if (!it) return;
    ed_CheckIP->SetText(it->Caption());
    pn_IPEditPannel->SetVisible(true);
}

void TSystemSetForm::sb_IPOKClick(TObject*) {
    if (TListItem* it = lv_IPCheckList->Selected()) it->SetCaption(ed_CheckIP->GetText());
    pn_IPEditPannel->SetVisible(false);
}

void TSystemSetForm::sb_IPCheckDelClick(TObject*) {
    TListItem* it = lv_IPCheckList->Selected();
    if (!it) return;
    const int i = it->Index();
    it->Delete();
    if (size_t(i) < RemoteIPs.size()) RemoteIPs.erase(RemoteIPs.begin() + i);
}

// --- Watchdog, other and ports pages -----------------------------------------------------

void TSystemSetForm::LoadDogPage() {
    const TDogSettingsRecord& r = DogRecord;
    cb_UseCardDog->SetChecked(r.CardDogOn);
    SetCombo(cb_CardDogCOM, r.CardDogPort);
    (r.HangRestart == 1 ? rb_CardDogRestartOpen : rb_CardDogRestartClose)->SetChecked(true);
    (r.TimedPowerOn == 1 ? rb_CardDogOPenPCOpen : rb_CardDogOPenPCClose)->SetChecked(true);
    dtp_CardDogOpenPCTime->SetDateTime(r.PowerOnTime);
    cb_ShutAsPowerOff->SetChecked(r.UpsOn);
    SetCombo(cb_ShutCOM, r.UpsPort);
    cb_SoftShut->SetChecked(r.SoftDogOn);
}

void TSystemSetForm::StoreDogPage() {
    TDogSettingsRecord& r = DogRecord;
    r.CardDogOn = cb_UseCardDog->Checked();
    r.CardDogPort = uint8_t(ComboIndex(cb_CardDogCOM, r.CardDogPort));
    r.HangRestart = rb_CardDogRestartOpen->Checked();
    r.TimedPowerOn = rb_CardDogOPenPCOpen->Checked();
    r.PowerOnTime = dtp_CardDogOpenPCTime->DateTime();
    r.UpsOn = cb_ShutAsPowerOff->Checked();
    r.UpsPort = uint8_t(ComboIndex(cb_ShutCOM, r.UpsPort));
    r.SoftDogOn = cb_SoftShut->Checked();
}

void TSystemSetForm::LoadOtherPage() {
    const TOtherSettingsRecord& r = OtherRecord;
    cb_LockSystemKey->SetChecked(r.LockSystemKeys);
    cb_AutoRun->SetChecked(r.RunAtWindowsStart);
    ed_AdministratorPassword->SetText(r.WindowsLogonPassword.Get());
    cb_AutoShutPC->SetChecked(r.TimedPowerOff);
    SetNumber(se_AutoShutDays, r.PowerOffDays);
    dtp_ShutTime->SetDateTime(r.PowerOffTime);
    cb_AutoReboot->SetChecked(r.TimedRestart);
    SetNumber(se_AutoRebootDays, r.RestartDays);
    dtp_RebootTime->SetDateTime(r.RestartTime);
    cb_UseClientSet->SetChecked(r.ActAsClient);
    cb_AutoShowLogoWindow->SetChecked(r.ShowLogonAtStart);
    ed_NetServerAddr->SetText(r.NameServerAddress.Get());
    ed_LocalName->SetText(r.RegisteredName.Get());
#ifndef VANTREL_CONTROL_BUILD
    SetNumber(se_LimitNet, r.BandwidthLimitKbps);
    cb_NetLimit->SetChecked(r.BandwidthLimitOn);
#endif
    if (!RemoteMode) {
        cb_LocalIP->Items()->Clear();
        for (const auto& ip : host_.LocalIPs)
            cb_LocalIP->Items()->Add(ip);
        SetCombo(cb_LocalIP, 0);
    }
}

namespace {
std::string Trimmed(const std::string& s) {
    const size_t a = s.find_first_not_of(' ');
    if (a == std::string::npos) return {};
    return s.substr(a, s.find_last_not_of(' ') - a + 1);
}
} // namespace

void TSystemSetForm::StoreOtherPage() {
    TOtherSettingsRecord& r = OtherRecord;
    r.LockSystemKeys = cb_LockSystemKey->Checked();
    r.RunAtWindowsStart = cb_AutoRun->Checked();
    r.WindowsLogonPassword.Set(ed_AdministratorPassword->GetText());
    r.TimedPowerOff = cb_AutoShutPC->Checked();
    r.PowerOffDays = SpinValue(se_AutoShutDays, 0, 30);
    r.PowerOffTime = dtp_ShutTime->DateTime();
    r.TimedRestart = cb_AutoReboot->Checked();
    r.RestartDays = SpinValue(se_AutoRebootDays, 0, 30);
    r.RestartTime = dtp_RebootTime->DateTime();
    r.ActAsClient = cb_UseClientSet->Checked();
    r.ShowLogonAtStart = cb_AutoShowLogoWindow->Checked();
    r.NameServerAddress.Set(Trimmed(ed_NetServerAddr->GetText()));
    r.RegisteredName.Set(Trimmed(ed_LocalName->GetText()));
#ifndef VANTREL_CONTROL_BUILD
    r.BandwidthLimitKbps = SpinValue(se_LimitNet, 0, 100000000);
    r.BandwidthLimitOn = cb_NetLimit->Checked();
#endif
}

void TSystemSetForm::LoadPortsPage() {
    for (int i = 0; i < 10; ++i)
        SetNumber(PortEdits[size_t(i)], PortTable.Port[kPortSlots[i]]);
    const int base = PortTable.Port[0];
    lb_VideoPort_Info->SetCaption(Utf8ToGbk("（将占用的端口共有：从") + std::to_string(base) +
                                  Utf8ToGbk("到") + std::to_string(base + 49) + Utf8ToGbk("）"));
}

void TSystemSetForm::StorePortsPage() {
    for (int i = 0; i < 10; ++i)
        PortTable.Port[kPortSlots[i]] = SpinValue(PortEdits[size_t(i)], 1, 1000000);
}

// --- Copy, defaults, OK, Save, Cancel -------------------------------------------------------

void TSystemSetForm::CopyToClick(TObject* Sender) {
    const int page = int(static_cast<TComponent*>(Sender)->Tag());
    const int row = SelectedRow();
    if (row < 0) return;
    switch (page) {
    case PagePreview:
        StorePreviewPage(row);
        break;
    case PageCapture:
        StoreCapturePage(row);
        break;
    case PageAlarm:
        StoreAlarmPage(row);
        break;
    default:
        StoreScheduleDay(EditChannel, shownDay_);
        break;
    }
    std::vector<std::string> names;
    for (int i = 0; i < lv_Channel->Items()->Count(); ++i)
        names.push_back(lv_Channel->Items()->Item(i)->SubItems()->Strings(0));
    if (!host_.PickChannels) return;
    const std::vector<int> targets = host_.PickChannels(names);
    const int rows = lv_Channel->Items()->Count();
    for (int t : targets) {
        if (t < 0 || t >= rows || t >= kSettingsChannels || t == row) continue;
        switch (page) {
        case PagePreview: {
            const TPreviewSetRecord keep = PreviewRecords[size_t(t)];
            PreviewRecords[size_t(t)] = PreviewRecords[size_t(row)];
            TPreviewSetRecord& r = PreviewRecords[size_t(t)];
            r.Title = keep.Title;
            r.Picture = keep.Picture;
            r.DateTimeX = keep.DateTimeX;
            r.DateTimeY = keep.DateTimeY;
            r.TitleX = keep.TitleX;
            r.TitleY = keep.TitleY;
            break;
        }
        case PageCapture:
            CaptureRecords[size_t(t)] = CaptureRecords[size_t(row)];
            break;
        case PageAlarm: {
            uint8_t linked[kSettingsChannels];
            std::memcpy(linked, AlarmRecords[size_t(t)].LinkedChannels, sizeof linked);
            AlarmRecords[size_t(t)] = AlarmRecords[size_t(row)];
            std::memcpy(AlarmRecords[size_t(t)].LinkedChannels, linked, sizeof linked);
            break;
        }
        default:
            AutoRecords[size_t(t)] = AutoRecords[size_t(row)];
            break;
        }
    }
}

void TSystemSetForm::DefaultClick(TObject* Sender) {
    const int page = int(static_cast<TComponent*>(Sender)->Tag());
    if (page == PagePorts) {
        TArithmetic::SetDefaultPorts(PortTable);
        LoadPortsPage();
        return;
    }
    const int row = SelectedRow();
    if (row < 0) return;
    switch (page) {
    case PagePreview:
        TPreviewSet::SetDefaults(row, PreviewRecords[size_t(row)]);
        LoadPreviewPage(row);
        break;
    case PageCapture:
        TCaptureSet::SetDefaults(CaptureRecords[size_t(row)]);
        LoadCapturePage(row);
        break;
    case PageAlarm:
        AlarmDefaults(AlarmRecords[size_t(row)], row);
        LoadAlarmPage(row);
        break;
    default:
        break;
    }
}

void TSystemSetForm::SavePage(int page) {
    switch (page) {
    case PagePreview:
        TPreviewSet::SaveRecords(PreviewRecords.data(), kSettingsChannels - 1);
        break;
    case PageCapture:
        TCaptureSet::SaveRecords(CaptureRecords.data(), kSettingsChannels - 1);
        break;
    case PageAlarm:
        TAlarmSet::SaveRecords(AlarmRecords.data(), kSettingsChannels - 1);
        break;
    case PageAuto:
        TAutoSet::SaveRecords(AutoRecords.data(), kSettingsChannels - 1);
        break;
    case PagePtz:
        TYunTaiSet::Save(PtzRecord);
        break;
    case PageAuth:
        host_.CheckSet->SaveUserFile(RemoteUsers.data(),
                                     int(RemoteUsers.size() * sizeof(TRemoteUserRecord)));
        host_.CheckSet->SaveIPFile(RemoteIPs.data(),
                                   int(RemoteIPs.size() * sizeof(TRemoteIPRecord)));
        break;
    case PageDog:
        TDogSet::Save(DogRecord);
        break;
    case PageOther:
        host_.OtherSet->Save(OtherRecord);
        break;
    case PagePorts:
        TArithmetic::SavePortTable(PortTable);
        break;
    default:
        break;
    }
}

void TSystemSetForm::StoreAndSaveAll() {
    const int row = SelectedRow();
    if (row >= 0) {
        StorePreviewPage(row);
        StoreCapturePage(row);
        StoreAlarmPage(row);
        StoreScheduleDay(row, shownDay_);
    }
    StorePtzPage();
    StoreDogPage();
    StoreAuthPage();
    StoreOtherPage();
    StorePortsPage();
    for (int p = 0; p < PageCount; ++p)
        SavePage(p);
}

void TSystemSetForm::bt_OKClick(TObject*) {
    if (RemoteMode) return;
    if (SelectedRow() >= 0) StoreCapturePage(SelectedRow());
    const std::string fault = CheckDriveRanges();
    if (!fault.empty()) {
        host_.ShowMessage(fault);
        return;
    }
    StoreAndSaveAll();
    if (host_.SetOwnIP) host_.SetOwnIP(cb_LocalIP->GetText());
    CanClose = true;
    SetModalResult(1);
}

void TSystemSetForm::bt_ApplicationClick(TObject*) {
    const int row = SelectedRow();
    if (RemoteMode || row < 0) return;
    const int page = pc_SystemSet->ActivePageIndex();
    switch (page) {
    case PagePreview:
        StorePreviewPage(row);
        SavePage(page);
        host_.PreviewSet->Load();
        break;
    case PageCapture: {
        StoreCapturePage(row);
        const std::string fault = CheckDriveRanges();
        if (!fault.empty()) {
            host_.ShowMessage(fault);
            return;
        }
        SavePage(page);
        host_.CaptureSet->Load();
        break;
    }
    case PageAlarm:
        StoreAlarmPage(row);
        SavePage(page);
        host_.AlarmSet->Load();
        break;
    case PageAuto:
        StoreScheduleDay(row, shownDay_);
        SavePage(page);
        host_.AutoSet->Load();
        break;
    case PagePtz:
        StorePtzPage();
        SavePage(page);
        host_.YunTaiSet->Load();
        break;
    case PageAuth:
        StoreAuthPage();
        SavePage(page);
        host_.CheckSet->Load();
        break;
    case PageDog:
        StoreDogPage();
        SavePage(page);
        host_.DogSet->Reload();
        break;
    case PageOther:
        StoreOtherPage();
        SavePage(page);
        host_.OtherSet->Reload();
        break;
    case PagePorts:
        StorePortsPage();
        SavePage(page);
        break;
    default:
        return;
    }
    if (host_.ApplyPage) host_.ApplyPage(page);
}

void TSystemSetForm::bt_CancelClick(TObject*) {
    CanClose = true;
    SetModalResult(2);
}

void TSystemSetForm::FormClose(TObject*, TCloseAction& Action) {
    if (!CanClose) Action = TCloseAction::caNone;
}

void TSystemSetForm::im_KeyboorClick(TObject*) {
    StartOnScreenKeyboard();
}

// --- Remote mode ----------------------------------------------------------------------------

int TSystemSetForm::PortOfGroup(const std::string& address, int fallback) const {
    for (const auto& g : host_.Groups)
        if (g.HostAddress.Get() == address) return g.Ports.Port[UDPMessageServerPort];
    return fallback;
}

void TSystemSetForm::cb_RemoteMainAddrChange(TObject*) {
    SetNumber(se_UDPRemoteSetPort, PortOfGroup(cb_RemoteMainAddr->GetText(), 57000));
}

void TSystemSetForm::StartWait(int tag) {
    // The window may have been re-created since the dialog opened.
    if (host_.ReplyWindows)
        host_.ReplyWindows->SetWindow(ReplyWindow::Settings, WindowHandle(), &SessionArea);
    TimerConnectTag = tag;
    ReplyClosed = false;
    wait_->Start();
    Screen->SetCursor(crHourGlass);
}

void TSystemSetForm::Send(const void* data, int length, int port) {
    try {
        if (host_.Udp) host_.Udp->SendTo(data, length, port, RemoteHost);
    } catch (...) {
        // The time-out message follows.
    }
}

void TSystemSetForm::sb_ConnectClick(TObject*) {
    const std::string address = cb_RemoteMainAddr->GetText();
    if (address.empty()) return;
    pc_SystemSet->SetEnabled(false);
    ClearChannelRows();
    cb_YTName->Items()->Clear();
    RemoteHost = address;
    UdpMsgSettingsConnect m{};
    m.Keyword.Set("RemoteSystemSetConnect");
    m.UserName.Set(ed_UserName->GetText().substr(0, 10));
    m.Password.Set(ed_Password->GetText().substr(0, 10));
    SessionArea.Clear();
    StartWait(0);
    Send(&m, sizeof m, SpinValue(se_UDPRemoteSetPort, 1, 1000000));
}

void TSystemSetForm::WMSettingsSession(TMessage&) {
    wait_->Done();
    if (ReplyClosed) return;
    SessionArea.Load(RemoteChannelInfo);
    pc_SystemSet->SetEnabled(true);
    SetTag(-1);
    ClearChannelRows();
    ListChannelCount = std::min<int>(RemoteChannelInfo.Info.Count, kSettingsChannels);
    for (int n = 0; n < ListChannelCount; ++n) {
        TPreviewSet::SetDefaults(n, PreviewRecords[size_t(n)]);
        TCaptureSet::SetDefaults(CaptureRecords[size_t(n)]);
        AlarmDefaults(AlarmRecords[size_t(n)], n);
        TAutoSet::SetDefaults(AutoRecords[size_t(n)]);
        PreviewRecords[size_t(n)].Title.Set(RemoteChannelInfo.Info.Titles[n].Get());
        AddChannelRow(n, PreviewRecords[size_t(n)].Title.Get());
    }
    for (auto& e : PtzRecord.Entries)
        e.Enabled = 0;
    FillProtocolNames();
    TDogSet::SetDefaults(DogRecord);
    RemoteUsers.clear();
    RemoteIPs.clear();
    TSystemOtherSet::SetDefaults(OtherRecord);
    EditChannel = 0;
    if (ListChannelCount > 0) lv_Channel->SetItemIndex(0);
    LoadPreviewPage(0);
    LoadCapturePage(0);
    LoadAlarmPage(0);
    LoadScheduleDay(0, shownDay_);
    LoadPtzPage();
    LoadDogPage();
    LoadAuthPage();
    LoadOtherPage();
    SetTag(0);
    TimeTimerTimer();
    Screen->SetCursor(crDefault);
}

void TSystemSetForm::ReadRemoteClick(TObject* Sender) {
    const int page = int(static_cast<TComponent*>(Sender)->Tag());
    const int row = SelectedRow();
    if (page < 4 && row < 0) return;
    UdpMsgGetSettings m{};
    m.Kind = uint8_t(page);
    m.Channel = uint8_t(row < 0 ? 255 : row);
    m.Keyword.Set("RemoteGetSystemSet");
    rowSelectedWhenSent_ = row < ListChannelCount ? row : -1;
    StartWait(0);
    SetEnabled(false);
    const int port = page == PageOther ? PortOfGroup(RemoteHost, 57000)
                                       : SpinValue(se_UDPRemoteSetPort, 1, 1000000);
    Send(&m, sizeof m, port);
}

void TSystemSetForm::StoreSettingsRecord(int kind, const uint8_t* data, size_t length) {
    // Runs on the reader's thread while the dialog waits disabled, so the row cannot change.
    const int row = rowSelectedWhenSent_;
    auto put = [&](void* dst, size_t size) {
        if (length == size) std::memcpy(dst, data, size);
    };
    switch (kind) {
    case SettingsPreview:
        if (row >= 0) put(&PreviewRecords[size_t(row)], sizeof(TPreviewSetRecord));
        break;
    case SettingsCapture:
        if (row >= 0) put(&CaptureRecords[size_t(row)], sizeof(TCaptureSetRecord));
        break;
    case 2:
        if (row >= 0) put(&AlarmRecords[size_t(row)], sizeof(TAlarmSetRecord));
        break;
    case 3:
        if (row >= 0) put(&AutoRecords[size_t(row)], sizeof(TAutoSetRecord));
        break;
    case 4:
        put(&PtzRecord, sizeof PtzRecord);
        break;
    case 6:
        put(&DogRecord, sizeof DogRecord);
        break;
    case 7:
        put(&OtherRecord, sizeof OtherRecord);
        break;
    default:
        break;
    }
}

void TSystemSetForm::WMSettingsRecord(TMessage& M) {
    wait_->Done();
    SetEnabled(true);
    Screen->SetCursor(crDefault);
    const int row = SelectedRow();
    switch (int(M.WParam)) {
    case 0:
        LoadPreviewPage(row);
        break;
    case 1:
        LoadCapturePage(row);
        break;
    case 2:
        LoadAlarmPage(row);
        break;
    case 3:
        LoadScheduleDay(row, shownDay_);
        break;
    case 4:
        LoadPtzPage();
        break;
    case 5:
        LoadAuthPage();
        break;
    case 6:
        LoadDogPage();
        break;
    case 7:
        LoadOtherPage();
        break;
    default:
        break;
    }
}

void TSystemSetForm::WriteRemoteClick(TObject* Sender) {
    const int page = int(static_cast<TComponent*>(Sender)->Tag());
    const int row = SelectedRow();
    if (page == PageAuth) return;
    if (page != PagePorts && row < 0) return;
    const std::string user = ed_UserName->GetText().substr(0, 10);
    const std::string password = ed_Password->GetText().substr(0, 10);
    std::vector<uint8_t> request;
    auto take = [&](const auto& m) {
        const auto* p = reinterpret_cast<const uint8_t*>(&m);
        request.assign(p, p + sizeof m);
    };
    switch (page) {
    case PagePreview: {
        StorePreviewPage(row);
        UdpMsgSetPreviewSettings m{};
        m.Channel = uint8_t(row);
        m.Record = PreviewRecords[size_t(row)];
        m.UserName.Set(user);
        m.Password.Set(password);
        take(m);
        break;
    }
    case PageCapture: {
        StoreCapturePage(row);
        UdpMsgSetCaptureSettings m{};
        m.Channel = uint8_t(row);
        m.Record = CaptureRecords[size_t(row)];
        m.UserName.Set(user);
        m.Password.Set(password);
        take(m);
        break;
    }
    case PageAlarm: {
        StoreAlarmPage(row);
        auto m = std::make_unique<UdpMsgSetAlarmSettings>();
        m->Channel = uint8_t(row);
        m->Record = AlarmRecords[size_t(row)];
        m->UserName.Set(user);
        m->Password.Set(password);
        take(*m);
        break;
    }
    case PageAuto: {
        StoreScheduleDay(row, shownDay_);
        auto m = std::make_unique<UdpMsgSetScheduleSettings>();
        m->Channel = uint8_t(row);
        m->Record = AutoRecords[size_t(row)];
        m->UserName.Set(user);
        m->Password.Set(password);
        take(*m);
        break;
    }
    case PagePtz:
        StorePtzPage();
        PtzRecord.UserName.Set(user);
        PtzRecord.Password.Set(password);
        take(PtzRecord);
        break;
    case PageDog:
        StoreDogPage();
        DogRecord.UserName.Set(user);
        DogRecord.Password.Set(password);
        take(DogRecord);
        break;
    case PageOther:
        StoreOtherPage();
        OtherRecord.RemoteUserName.Set(user);
        OtherRecord.RemotePassword.Set(password);
        take(OtherRecord);
        break;
    case PagePorts: {
        StorePortsPage();
        UdpMsgSetPortTable m{};
        m.Table = PortTable;
        take(m);
        break;
    }
    default:
        return;
    }
    StartWait(1);
    SetEnabled(false);
    Send(request.data(), int(request.size()), SpinValue(se_UDPRemoteSetPort, 1, 1000000));
}

void TSystemSetForm::WMSetSuccess(TMessage&) {
    wait_->Done();
    SetEnabled(true);
    ReplyClosed = true;
    Screen->SetCursor(crDefault);
    Message("恭喜，设置成功！");
}

void TSystemSetForm::TimerConnectTimer() {
    SetEnabled(true);
    ReplyClosed = true;
    Screen->SetCursor(crDefault);
    Message(TimerConnectTag == 0 ? "连接超时！" : "设置超时！");
}

} // namespace vantrel
