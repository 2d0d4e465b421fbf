#include "webctl/VantrelIE_QZForm.h"

#include "common/win/textconv.h"
#include "webctl/U_Capture.h"
#include "webctl/U_NetChannels.h"
#include "webctl/U_SystemInfo.h"

#include <windows.h>

namespace vantrel::webctl {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

namespace {

// Face colours (0x00BBGGRR).
constexpr TColor kFaceColor = 0x00603A1E;   // deep blue
constexpr TColor kStripColor = 0x00804E2A;  // tool strip and right column
constexpr TColor kToolColor = 0x00E0D2C4;   // tool pictures
constexpr TColor kHeaderColor = 0x00C08850; // page headers
constexpr TColor kButtonColor = 0x00D8C8B8; // page buttons
constexpr TColor kCoverColor = 0x00A07040;  // PTZ cover
constexpr TColor kBarColor = 0x00303030;
constexpr TColor kThumbColor = 0x0000C0FF;
constexpr TColor kTextColor = 0x00FFFFFF;
constexpr TColor kWorkColor = 0x000000D0; // red: recording
constexpr TColor kLiveColor = 0x0000A000; // green: the channel plays

constexpr int kToolTop = 596;
constexpr int kToolWidth = 100;
constexpr int kToolHeight = 44;
constexpr int kYunTaiTop = 372;
constexpr int kYunTaiHeight = 196;

template <class T> T* Put(TWinControl* parent, int x, int y, int w, int h) {
    auto* c = new T(parent);
    c->SetParent(parent);
    c->SetBounds(x, y, w, h);
    return c;
}

TLabel* PutText(TWinControl* parent, int x, int y, int w, const char* utf8, int size = 9) {
    auto* l = Put<TLabel>(parent, x, y, w, 18);
    l->SetTransparent(true);
    l->Font()->SetColor(kTextColor);
    l->Font()->SetSize(size);
    l->SetCaption(Utf8ToGbk(utf8));
    return l;
}

TMenuItem* AddItem(TComponent* owner, TMenuItem* parent, const char* utf8) {
    auto* item = new TMenuItem(owner);
    item->SetCaption(Utf8ToGbk(utf8));
    parent->Add(item);
    return item;
}

} // namespace

TVantrelIE_QZ::TVantrelIE_QZ(TComponent* owner) : TForm(owner) {
    SetBorderStyle(TFormBorderStyle::bsNone);
    SetColor(kFaceColor);
    SetBounds(0, 0, kFaceWidth, kFaceHeight);
    Font()->SetName(Utf8ToGbk("宋体"));
    Font()->SetSize(9);

    pn_VideoArea = Put<TPanel>(this, ControlVideoArea.Left, ControlVideoArea.Top,
                               ControlVideoArea.Right - ControlVideoArea.Left,
                               ControlVideoArea.Bottom - ControlVideoArea.Top);
    pn_VideoArea->SetBevelOuter(TBevelCut::bvNone);
    pn_VideoArea->SetColor(clBlack);
    pn_VideoArea->SetCaption("");
    Preview = new TPreview(*this);

    // Tool strip along the bottom; the hidden automatic-work tool keeps its place in the row.
    im_SystemSet = MakeTool(1, "系统设置", 0);
    im_AutoWork = MakeTool(2, "", 1);
    im_AutoWork->SetVisible(false);
    im_Replay = MakeTool(3, "回放", 1);
    im_PreviewAudio = MakeTool(4, "监听", 2);
    im_CaptureBMP = MakeTool(5, "抓帧", 3);
    im_CycleVideo = MakeTool(6, "轮视/分组", 4);
    im_OtherFunction = MakeTool(7, "其它功能", 5);

    im_PreviewBar = MakeHeader("实时预览", Headers.Top[0]);
    im_CaptureBar = MakeHeader("录像控制", Headers.Top[1]);
    im_AlarmBar = MakeHeader("报警控制", Headers.Top[2]);
    im_PreviewParaBar = MakeHeader("图像参数", Headers.Top[3]);
    im_PreviewBar->OnClick = TNotifyEvent(this, &TVantrelIE_QZ::im_PreviewBarClick);
    im_CaptureBar->OnClick = TNotifyEvent(this, &TVantrelIE_QZ::im_CaptureBarClick);
    im_AlarmBar->OnClick = TNotifyEvent(this, &TVantrelIE_QZ::im_AlarmBarClick);
    im_PreviewParaBar->OnClick = TNotifyEvent(this, &TVantrelIE_QZ::im_PreviewParaBarClick);

    im_OpenAll = MakeButton(11, "全部打开", 778, 266, 54);
    im_CloseAll = MakeButton(12, "全部关闭", 836, 266, 54);
    im_SaveColor = MakeButton(13, "保存", 776, 322, 36);
    im_DefaultColor = MakeButton(14, "默认", 815, 322, 36);
    im_CopyColorToAll = MakeButton(15, "全部", 854, 322, 36);
    im_DefaultColor->OnClick = TNotifyEvent(this, &TVantrelIE_QZ::im_DefaultColorClick);
    im_OpenAll->OnClick = TNotifyEvent(this, &TVantrelIE_QZ::im_OpenAllClick);
    // Each page's pictures lie right under its header, which moves up when the page opens.
    CaptureImages = new TStatusImages(this, kPreviewHeaderTop + 2 * kHeaderHeight,
                                      TNotifyEvent(this, &TVantrelIE_QZ::StatusImageClick),
                                      kWorkColor);
    AlarmImages = new TStatusImages(this, kPreviewHeaderTop + 3 * kHeaderHeight,
                                    TNotifyEvent(this, &TVantrelIE_QZ::AlarmImageClicked),
                                    kLiveColor);
    im_CloseAll->OnClick = TNotifyEvent(this, &TVantrelIE_QZ::im_CloseAllClick);

    im_PreviewParaSign = PutText(this, 776, 130, 110, "画面色彩调节");
    static const char* const kSliderNames[4] = {"亮度", "对比度", "饱和度", "色调"};
    for (int i = 0; i < 4; ++i) {
        SliderNames[i] = PutText(this, 776, kSliderTops[i] - 18, 80, kSliderNames[i]);
        Bars[i] = Put<TPanel>(this, kSliderLeft, kSliderTops[i] + 4, kSliderSpan, 4);
        Bars[i]->SetBevelOuter(TBevelCut::bvLowered);
        Bars[i]->SetColor(kBarColor);
        Bars[i]->SetCaption("");
        Thumbs[i] = Put<TPanel>(this, SliderThumbLeft(0, kSliderScales[i]), kSliderTops[i],
                                kThumbWidth, kThumbHeight);
        Thumbs[i]->SetTag(10);
        Thumbs[i]->OnMouseDown = TMouseEvent(this, &TVantrelIE_QZ::im_BrightMouseDown);
        Thumbs[i]->OnMouseMove = TMouseMoveEvent(this, &TVantrelIE_QZ::im_BrightMouseMove);
        Thumbs[i]->SetColor(kThumbColor);
        Thumbs[i]->SetCaption("");
    }

    // PTZ panel with its sliding cover.
    pn_YunTai = Put<TPanel>(this, kHeaderLeft, kYunTaiTop, kHeaderWidth, kYunTaiHeight);
    pn_YunTai->SetColor(kStripColor);
    pn_YunTai->SetBevelOuter(TBevelCut::bvLowered);
    pn_YunTai->SetCaption(Utf8ToGbk("云台控制"));
    pn_YunTai->Font()->SetColor(kTextColor);
    im_YTCover = Put<TPanel>(this, kHeaderLeft, kYunTaiTop, kHeaderWidth, kYunTaiHeight);
    im_YTCover->SetColor(kCoverColor);
    im_YTCover->SetCaption("");
    // The opening handle lies on the cover, so it always shows above it.
    im_YTUnconver = Put<TPanel>(im_YTCover, 20, 84, 81, 24);
    im_YTUnconver->SetColor(kButtonColor);
    im_YTUnconver->SetCaption(Utf8ToGbk("点击拉开"));
    im_YTUnconver->OnClick = TNotifyEvent(this, &TVantrelIE_QZ::im_YTUnconverClick);
    im_YTRecover = Put<TPanel>(this, kHeaderLeft + 20, kYunTaiTop + kYunTaiHeight - 28, 81, 24);
    im_YTRecover->SetColor(kButtonColor);
    im_YTRecover->SetCaption(Utf8ToGbk("点击合上"));
    im_YTRecover->OnClick = TNotifyEvent(this, &TVantrelIE_QZ::im_YTRecoverClick);

    lb_Time = PutText(this, 776, 604, 150, "", 10);
    lb_Week = PutText(this, 776, 626, 150, "", 10);

    BuildMenus();

    CurrentTimeTimer = new TTimer(this);
    CurrentTimeTimer->SetInterval(1000);
    CurrentTimeTimer->SetOnTimer(TNotifyEvent(this, &TVantrelIE_QZ::CurrentTimeTimerTimer));
    VideoCycleTimer = new TTimer(this);
    VideoCycleTimer->SetEnabled(false);
    VideoCycleTimer->SetInterval(60000);
    CurrentTimeTimerTimer(nullptr);

    // The PTZ cover lies over its panel until opened; the preview page shows first.
    ShowPtzCover(true);
    ShowPage(ToolPage::Preview);
}

TVantrelIE_QZ::~TVantrelIE_QZ() {
    delete Preview;
    delete CaptureImages;
    delete AlarmImages;
}

namespace {

// Slider i's value in a picture record: brightness, contrast, saturation, hue.
int SliderValue(const TPictureParams& p, int i) {
    switch (i) {
    case 0:
        return int(p.Brightness);
    case 1:
        return p.Contrast;
    case 2:
        return p.Saturation;
    default:
        return int(p.Hue);
    }
}

void SetSliderValue(TPictureParams& p, int i, int v) {
    switch (i) {
    case 0:
        p.Brightness = uint32_t(v);
        break;
    case 1:
        p.Contrast = v;
        break;
    case 2:
        p.Saturation = v;
        break;
    default:
        p.Hue = uint32_t(v);
        break;
    }
}

} // namespace

void TVantrelIE_QZ::ShowPaneColor(int pane) {
    if (!PreviewSet || pane < 0 || pane >= ChannelCount || pane >= kSettingsChannels) return;
    const TPictureParams& p = PreviewSet->Records[size_t(pane)].Picture;
    for (int i = 0; i < 4; ++i)
        Thumbs[i]->SetLeft(
            SliderThumbLeft(SliderValue(p, i), kSliderScales[i], Thumbs[i]->Width()));
}

void TVantrelIE_QZ::im_BrightMouseDown(TObject*, TMouseButton, TShiftState, int, int) {
    POINT p{};
    ::GetCursorPos(&p);
    LastCursorPos = TPoint{p.x, p.y};
}

void TVantrelIE_QZ::im_BrightMouseMove(TObject* sender, TShiftState shift, int, int y) {
    auto* thumb = static_cast<TPanel*>(sender);
    if (!shift.Contains(TShiftStateItem::ssLeft) || y < 0 || y > thumb->Height()) return;
    if (!PreviewSet || !Preview || Preview->SelectedPane >= ChannelCount) return;
    POINT p{};
    ::GetCursorPos(&p);
    const int dx = p.x - LastCursorPos.X;
    LastCursorPos = TPoint{p.x, p.y};
    int slider = 0;
    while (slider < 3 && Thumbs[slider] != thumb)
        ++slider;
    const SliderMove move = DragSlider(thumb->Left(), dx, kSliderScales[slider], thumb->Width());
    thumb->SetLeft(move.Left);
    TPictureParams& values = PreviewSet->Records[size_t(Preview->SelectedPane)].Picture;
    SetSliderValue(values, slider, move.Value);
    Preview->SetPictureParams(Preview->SelectedPane, values);
}

void TVantrelIE_QZ::im_DefaultColorClick(TObject*) {
    if (!PreviewSet || !Preview) return;
    const int pane = Preview->SelectedPane;
    if (pane < 0 || pane >= kSettingsChannels) return;
    PreviewSet->Records[size_t(pane)].Picture = TPictureParams{150, 80, 110, 130};
    Preview->SetPictureParams(pane, PreviewSet->Records[size_t(pane)].Picture);
    ShowPaneColor(pane);
}

void TVantrelIE_QZ::RebuildChannelMap(int channelCount, const std::vector<PaneRect>& rects) {
    ChannelCount = channelCount;
    Preview->PlacePanes(channelCount, rects, ControlVideoArea);
    ShowStatusImages(channelCount);
    ShowPage(ToolPage::Preview);
    ShowPaneColor(Preview->SelectedPane);
}

TPanel* TVantrelIE_QZ::MakeTool(int tag, const char* caption, int slot) {
    auto* tool = Put<TPanel>(this, ControlVideoArea.Left + 8 + slot * (kToolWidth + 24), kToolTop,
                             kToolWidth, kToolHeight);
    tool->SetTag(tag);
    tool->SetColor(kToolColor);
    tool->SetBevelWidth(2);
    tool->Font()->SetSize(11);
    tool->SetCaption(Utf8ToGbk(caption));
    tool->OnMouseDown = TMouseEvent(this, &TVantrelIE_QZ::im_SystemSetMouseDown);
    tool->OnMouseUp = TMouseEvent(this, &TVantrelIE_QZ::im_SystemSetMouseUp);
    return tool;
}

TPanel* TVantrelIE_QZ::MakeHeader(const char* caption, int top) {
    auto* header = Put<TPanel>(this, kHeaderLeft, top, kHeaderWidth, kHeaderHeight);
    header->SetTag(1);
    header->SetColor(kHeaderColor);
    header->Font()->SetColor(kTextColor);
    header->SetCaption(Utf8ToGbk(caption));
    return header;
}

TPanel* TVantrelIE_QZ::MakeButton(int tag, const char* caption, int left, int top, int width) {
    auto* button = Put<TPanel>(this, left, top, width, 20);
    button->SetTag(tag);
    button->SetColor(kButtonColor);
    button->SetCaption(Utf8ToGbk(caption));
    button->OnMouseDown = TMouseEvent(this, &TVantrelIE_QZ::im_SystemSetMouseDown);
    button->OnMouseUp = TMouseEvent(this, &TVantrelIE_QZ::im_SystemSetMouseUp);
    return button;
}

void TVantrelIE_QZ::BuildMenus() {
    pm_SystemSet = new TPopupMenu(this);
    for (const char* caption : {"分控设置", "搜索远程主控", "站点分布图"})
        AddItem(this, pm_SystemSet->Items(), caption);
    AddItem(this, pm_SystemSet->Items(), "远程设置")->OnClick =
        TNotifyEvent(this, &TVantrelIE_QZ::N29Click);
    pm_Replay = new TPopupMenu(this);
    AddItem(this, pm_Replay->Items(), "回放本地录像")->OnClick =
        TNotifyEvent(this, &TVantrelIE_QZ::N3Click);
    AddItem(this, pm_Replay->Items(), "回放远程录像")->OnClick =
        TNotifyEvent(this, &TVantrelIE_QZ::N4Click);

    pm_OtherFunction = new TPopupMenu(this);
    TMenuItem* root = pm_OtherFunction->Items();
    AddItem(this, root, "电子地图")->SetVisible(false);
    AddItem(this, root, "远程报警盒输出控制");
    AddItem(this, root, "远程报警信息");
    TMenuItem* matrix = AddItem(this, AddItem(this, root, "矩阵"), "远程");
    for (const char* caption : {"XM-3216", "DS_D", "AD", "Pelco232"})
        AddItem(this, matrix, caption);
    AddItem(this, root, "-");
    AddItem(this, root, "语音广播")->OnClick = TNotifyEvent(this, &TVantrelIE_QZ::N12Click);
    AddItem(this, root, "聊天室");
    TMenuItem* disk = AddItem(this, root, "磁盘空间状况");
    AddItem(this, disk, "本地");
    AddItem(this, disk, "远程");
    AddItem(this, root, "清盘及写盘故障信息");
    AddItem(this, root, "远程控制");
    AddItem(this, root, "-");
    AddItem(this, root, "网络巡更");
    AddItem(this, root, "网络督察");
    AddItem(this, root, "远程升级")->SetVisible(false);
    AddItem(this, root, "发送/接收文件")->OnClick = TNotifyEvent(this, &TVantrelIE_QZ::N36Click);
    TMenuItem* log = AddItem(this, root, "日志管理");
    AddItem(this, log, "本地");
    AddItem(this, log, "远程");

    pm_ClientSetGoups = new TPopupMenu(this);
}

void TVantrelIE_QZ::Paint() {
    TCanvas* c = Canvas();
    // Right column and tool strip lie on lighter bands of the face.
    c->Brush()->SetColor(kStripColor);
    c->FillRect(TRect{kHeaderLeft - 6, 0, kFaceWidth, kFaceHeight});
    c->FillRect(TRect{0, ControlVideoArea.Bottom + 12, kHeaderLeft - 6, kFaceHeight});
    // A frame round the video area.
    c->Brush()->SetColor(0x00C0C0C0);
    c->FrameRect(TRect{ControlVideoArea.Left - 2, ControlVideoArea.Top - 2,
                       ControlVideoArea.Right + 2, ControlVideoArea.Bottom + 2});
    TForm::Paint();
}

void TVantrelIE_QZ::InstallEventRelays(TControlEvents* events) {
    events_ = events;
    OnActivate = TNotifyEvent(this, &TVantrelIE_QZ::ActivateRelay);
    OnClick = TNotifyEvent(this, &TVantrelIE_QZ::ClickRelay);
    OnCreate = TNotifyEvent(this, &TVantrelIE_QZ::CreateRelay);
    OnDblClick = TNotifyEvent(this, &TVantrelIE_QZ::DblClickRelay);
    OnDestroy = TNotifyEvent(this, &TVantrelIE_QZ::DestroyRelay);
    OnDeactivate = TNotifyEvent(this, &TVantrelIE_QZ::DeactivateRelay);
    OnKeyPress = TKeyPressEvent(this, &TVantrelIE_QZ::KeyPressRelay);
    OnPaint = TNotifyEvent(this, &TVantrelIE_QZ::PaintRelay);
}

void TVantrelIE_QZ::KeyPressRelay(TObject*, char& key) {
    if (!events_) return;
    short k = static_cast<unsigned char>(key);
    events_->FireKeyPress(k);
    key = static_cast<char>(k);
}

void TVantrelIE_QZ::ShowToolPicture(TPanel* tool, bool down) {
    tool->SetBevelOuter(down ? TBevelCut::bvLowered : TBevelCut::bvRaised);
}

void TVantrelIE_QZ::ShowPage(ToolPage page) {
    Headers.Select(page);
    TPanel* headers[4] = {im_PreviewBar, im_CaptureBar, im_AlarmBar, im_PreviewParaBar};
    for (int i = 0; i < 4; ++i) {
        headers[i]->SetTop(Headers.Top[i]);
        headers[i]->SetTag(Headers.Tag[i]);
    }
    const bool picture = page == ToolPage::Picture;
    im_OpenAll->SetVisible(!picture);
    im_CloseAll->SetVisible(!picture);
    if (!picture) {
        im_OpenAll->SetTop(Headers.OpenCloseTop);
        im_CloseAll->SetTop(Headers.OpenCloseTop);
    }
    for (TPanel* b : {im_SaveColor, im_DefaultColor, im_CopyColorToAll})
        b->SetVisible(picture);
    im_PreviewParaSign->SetVisible(picture);
    for (int i = 0; i < 4; ++i) {
        Thumbs[i]->SetVisible(picture);
        Bars[i]->SetVisible(picture);
        SliderNames[i]->SetVisible(picture);
    }
    for (TPanel* h : {im_AlarmBar, im_CaptureBar, im_PreviewBar, im_PreviewParaBar})
        h->BringToFront();
    ShowStatusImages(ChannelCount);
}

void TVantrelIE_QZ::PopupAt(TPopupMenu* menu, TPoint at) {
    LastPopup = menu;
    LastPopupAt = at;
    menu->Popup(at.X, at.Y);
}

void TVantrelIE_QZ::im_SystemSetMouseDown(TObject* sender, TMouseButton, TShiftState, int, int) {
    auto* tool = static_cast<TPanel*>(sender);
    POINT p{};
    ::GetCursorPos(&p);
    LastCursorPos = TPoint{p.x, p.y};
    const int tag = tool->Tag();
    if (tag != 2 && tag != 4 && tag != 6 && tag != 8) ShowToolPicture(tool, true);
}

void TVantrelIE_QZ::im_SystemSetMouseUp(TObject* sender, TMouseButton button, TShiftState, int,
                                        int) {
    auto* tool = static_cast<TPanel*>(sender);
    const int tag = tool->Tag();
    if (tag == 6 && button == TMouseButton::mbRight && pm_ClientSetGoups->Items()->Count() > 1) {
        // Form coordinates, as the face always popped this one.
        PopupAt(pm_ClientSetGoups, TPoint{tool->Left(), tool->Top()});
        return;
    }
    if (tag == 2 || tag == 4 || tag == 6 || tag == 8) return;
    const TPoint at = tool->ClientToScreen(TPoint{0, 0});
    if (tag == 1) PopupAt(pm_SystemSet, TPoint{at.X, at.Y - 40});
    if (tag == 3) PopupAt(pm_Replay, TPoint{at.X, at.Y - 40});
    if (tag == 7) PopupAt(pm_OtherFunction, at);
    ShowToolPicture(tool, false);
}

void TVantrelIE_QZ::im_PreviewBarClick(TObject*) {
    ShowPage(ToolPage::Preview);
}
void TVantrelIE_QZ::im_CaptureBarClick(TObject*) {
    ShowPage(ToolPage::Recording);
}
void TVantrelIE_QZ::im_AlarmBarClick(TObject*) {
    ShowPage(ToolPage::Alarm);
}
void TVantrelIE_QZ::im_PreviewParaBarClick(TObject*) {
    ShowPage(ToolPage::Picture);
}

void TVantrelIE_QZ::im_YTUnconverClick(TObject*) {
    if (ChannelCount < 1) return;
    ShowPtzCover(false);
}

void TVantrelIE_QZ::im_YTRecoverClick(TObject*) {
    ShowPtzCover(true);
}

void TVantrelIE_QZ::ShowPtzCover(bool covered) {
    // The panel itself hides while covered, so the cover shows whatever order the windows
    // were made in.
    pn_YunTai->SetVisible(!covered);
    im_YTRecover->SetVisible(!covered);
    im_YTCover->SetVisible(covered);
    im_YTUnconver->SetVisible(covered);
    im_YTCover->BringToFront();
    im_YTUnconver->BringToFront();
}

void TVantrelIE_QZ::CurrentTimeTimerTimer(TObject*) {
    SYSTEMTIME t{};
    ::GetLocalTime(&t);
    lb_Time->SetCaption(
        Utf8ToGbk(ClockText(t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond)));
    lb_Week->SetCaption(Utf8ToGbk(WeekText(t.wDayOfWeek)));
}

void TVantrelIE_QZ::im_OpenAllClick(TObject*) {
    if (TControlChannels* c = Preview->Channels) c->OpenAll->Request(-1, true, false, false);
}

void TVantrelIE_QZ::im_CloseAllClick(TObject*) {
    if (TControlChannels* c = Preview->Channels)
        c->CloseAll->CloseChannels(-1, true, false, false, false, false, -1);
}

void TVantrelIE_QZ::ShowStatusPicture(int channel, bool recording) {
    CaptureImages->Set(channel, recording ? StatusPicture::Work : StatusPicture::Idle);
}

void TVantrelIE_QZ::ShowStatusImages(int channelCount) {
    Preview->Images->Hide();
    CaptureImages->Hide();
    AlarmImages->Hide();
    switch (Headers.Current()) {
    case ToolPage::Preview: Preview->Images->Show(channelCount); break;
    case ToolPage::Recording: CaptureImages->Show(channelCount); break;
    case ToolPage::Alarm: AlarmImages->Show(channelCount); break;
    default: break;
    }
}

void TVantrelIE_QZ::AlarmImageClicked(TObject* sender) {
    if (AlarmImageClick) AlarmImageClick(static_cast<TPanel*>(sender)->Tag());
}

void TVantrelIE_QZ::StatusImageClick(TObject* sender) {
    const int channel = static_cast<TPanel*>(sender)->Tag();
    if (Preview->CycleMode) {
        ::MessageBoxW(Handle(), L"对不起，系统处于轮视模式中，操作无效！", L"", MB_OK);
        return;
    }
    TControlChannels* c = Preview->Channels;
    if (!c || !Preview->Capture) return;
    if (Preview->Capture->Slots[size_t(channel)].FileOpen)
        c->CloseAll->CloseChannels(channel, false, true, false, false, false, -1);
    else
        c->OpenAll->Request(channel, false, true, false);
}

} // namespace vantrel::webctl
