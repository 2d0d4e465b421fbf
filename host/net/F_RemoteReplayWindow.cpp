#include "host/net/F_RemoteReplayWindow.h"

#include "framework/ui/place_control.h"

#include "common/win/textconv.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vantrel {

namespace {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

constexpr int kDefaultReplayPort = 51000;

// Controls belong to the window, whichever panel holds them.
void Label(TWinControl* parent, TComponent* window, int x, int y, int w, const char* utf8) {
    auto* l = PlaceControl<TLabel>(parent, window, x, y, w, 16);
    l->SetCaption(Utf8ToGbk(utf8));
}

TSpeedButton* Speed(TWinControl* parent, TComponent* window, int x, int y, int w,
                    const char* utf8) {
    auto* b = PlaceControl<TSpeedButton>(parent, window, x, y, w, 24);
    b->SetCaption(Utf8ToGbk(utf8));
    return b;
}

// A picker's time of day as "HH:MM:SS".
std::string TimeText(TDateTime t) {
    double day = t - std::floor(t);
    int seconds = static_cast<int>(std::lround(day * 86400.0)) % 86400;
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60,
                  seconds % 60);
    return text;
}

} // namespace

TRemoteReplayWindow::TRemoteReplayWindow(TComponent* AOwner, const std::string& appTitle,
                                         UINT connectTimeoutMs, Playback playback)
    : TForm(AOwner) {
    SetCaption(appTitle + "    " + Utf8ToGbk("远程回放"));
    SetBounds(10, 10, 980, 520);
    // The file panel on the left, the tools and the status below, the replay area the rest.
    sb_ReplayStatuBar = PlaceControl<TStatusBar>(this, this, 0, 475, 980, 20);
    sb_ReplayStatuBar->SetAlign(TAlign::alBottom);
    pn_ToolPanel = PlaceControl<TPanel>(this, this, 0, 415, 980, 60);
    pn_ToolPanel->SetAlign(TAlign::alBottom);
    pn_ToolPanel->SetBevelOuter(TBevelCut::bvNone);
    pn_FilePanel = PlaceControl<TPanel>(this, this, 0, 0, 400, 415);
    pn_FilePanel->SetAlign(TAlign::alLeft);
    pn_FilePanel->SetBevelOuter(TBevelCut::bvNone);
    pn_ReplayArea = PlaceControl<TPanel>(this, this, 400, 0, 580, 415);
    pn_ReplayArea->SetAlign(TAlign::alClient);
    pn_ReplayArea->SetBevelOuter(TBevelCut::bvNone);
    pn_ReplayArea->SetColor(0x404040);

    TPanel* f = pn_FilePanel;
    Label(f, this, 4, 12, 40, "地址：");
    cb_MainAddr = PlaceControl<TComboBox>(f, this, 44, 8, 120, 22);
    Label(f, this, 170, 12, 64, "使用端口：");
    se_TCPRemotePlayServerPortBase = PlaceControl<TEdit>(f, this, 236, 8, 60, 22);
    se_TCPRemotePlayServerPortBase->SetText(std::to_string(kDefaultReplayPort));
    Label(f, this, 4, 40, 50, "用户名：");
    ed_UserName = PlaceControl<TEdit>(f, this, 54, 36, 110, 22);
    Label(f, this, 170, 40, 40, "密码：");
    ed_Password = PlaceControl<TEdit>(f, this, 210, 36, 86, 22);
    ed_Password->SetPasswordChar('*');
    sb_Connect = Speed(f, this, 304, 8, 56, "连接");
    im_Keyboor = Speed(f, this, 304, 35, 56, "键盘");
    im_Keyboor->SetHint(Utf8ToGbk("屏幕键盘"));
    im_Keyboor->SetShowHint(true);

    clb_ReplayFileTypeList = PlaceControl<TCheckListBox>(f, this, 4, 64, 150, 40);
    for (const char* name : {"普通录像", "报警录像"})
        clb_ReplayFileTypeList->Items()->Add(Utf8ToGbk(name));
    for (int i = 0; i < 2; ++i)
        clb_ReplayFileTypeList->SetChecked(i, true);

    clb_ReplayChannelList = PlaceControl<TCheckListBox>(f, this, 4, 108, 150, 120);
    pm_SelectChannel = new TPopupMenu(this);
    mi_SelectAll = new TMenuItem(this);
    mi_SelectAll->SetCaption(Utf8ToGbk("全选"));
    mi_ClearAll = new TMenuItem(this);
    mi_ClearAll->SetCaption(Utf8ToGbk("全清"));
    pm_SelectChannel->Items()->Add(mi_SelectAll);
    pm_SelectChannel->Items()->Add(mi_ClearAll);
    clb_ReplayChannelList->SetPopupMenu(pm_SelectChannel);
    sb_SelectChannelAll = Speed(f, this, 4, 232, 60, "全清");
    sb_SelectChannelAll->SetTag(1);

    lv_ReplayDateList = PlaceControl<TListView>(f, this, 4, 260, 150, 100);
    lv_ReplayDateList->SetViewStyle(TViewStyle::vsList);
    lv_ReplayDateList->SetReadOnly(true);
    lv_ReplayDateList->SetHideSelection(false);

    dtp_BeginTime = PlaceControl<TDateTimePicker>(f, this, 4, 364, 74, 22);
    dtp_BeginTime->SetKind(TDateTimeKind::dtkTime);
    dtp_BeginTime->SetTime(0.0);
    dtp_EndTime = PlaceControl<TDateTimePicker>(f, this, 80, 364, 74, 22);
    dtp_EndTime->SetKind(TDateTimeKind::dtkTime);
    dtp_EndTime->SetTime((23 * 3600 + 59 * 60 + 59) / 86400.0);

    lv_ReplayFileList = PlaceControl<TListView>(f, this, 160, 64, 236, 300);
    lv_ReplayFileList->SetViewStyle(TViewStyle::vsReport);
    lv_ReplayFileList->SetCheckboxes(true);
    lv_ReplayFileList->SetRowSelect(true);
    lv_ReplayFileList->SetReadOnly(true);
    lv_ReplayFileList->SetHideSelection(false);
    const struct {
        const char* caption;
        int width;
    } columns[] = {{"通道", 50}, {"开始时间", 70}, {"结束时间", 140},
                   {"类型", 70}, {"大小", 90},     {"时长", 50}};
    for (const auto& c : columns) {
        TListColumn* column = lv_ReplayFileList->AddColumn();
        column->SetCaption(Utf8ToGbk(c.caption));
        column->SetWidth(c.width);
    }
    sb_ClearFileSelect = Speed(f, this, 160, 368, 60, "全清");
    sp_ShowBMP = Speed(f, this, 226, 368, 80, "浏览抓帧");

    pn_SearchMsg = PlaceControl<TPanel>(f, this, 170, 180, 216, 40);
    pn_SearchMsg->SetCaption(Utf8ToGbk("正在搜索，请稍候......"));
    pn_SearchMsg->SetVisible(false);
    pb_DownLoadSign = PlaceControl<TProgressBar>(f, this, 160, 396, 236, 14);
    pb_DownLoadSign->SetVisible(false);
    tb_DownLoad = Speed(pn_ToolPanel, this, 0, 28, 48, "下载");

    cb_MainAddr->OnChange = TNotifyEvent(this, &TRemoteReplayWindow::cb_MainAddrChange);
    sb_Connect->OnClick = TNotifyEvent(this, &TRemoteReplayWindow::sb_ConnectClick);
    im_Keyboor->OnClick = TNotifyEvent(this, &TRemoteReplayWindow::im_KeyboorClick);
    clb_ReplayFileTypeList->OnClickCheck =
        TNotifyEvent(this, &TRemoteReplayWindow::clb_ReplayFileTypeListClickCheck);
    clb_ReplayChannelList->OnClickCheck =
        TNotifyEvent(this, &TRemoteReplayWindow::clb_ReplayChannelListClickCheck);
    mi_SelectAll->OnClick = TNotifyEvent(this, &TRemoteReplayWindow::mi_SelectAllClick);
    mi_ClearAll->OnClick = TNotifyEvent(this, &TRemoteReplayWindow::mi_ClearAllClick);
    sb_SelectChannelAll->OnClick =
        TNotifyEvent(this, &TRemoteReplayWindow::sb_SelectChannelAllClick);
    lv_ReplayDateList->OnSelectItem =
        TLVSelectItemEvent(this, &TRemoteReplayWindow::lv_ReplayDateListSelectItem);
    dtp_BeginTime->OnChange = TNotifyEvent(this, &TRemoteReplayWindow::dtp_TimeChange);
    dtp_EndTime->OnChange = TNotifyEvent(this, &TRemoteReplayWindow::dtp_TimeChange);
    lv_ReplayFileList->OnColumnClick =
        TLVColumnClickEvent(this, &TRemoteReplayWindow::lv_ReplayFileListColumnClick);
    sb_ClearFileSelect->OnClick = TNotifyEvent(this, &TRemoteReplayWindow::sb_ClearFileSelectClick);
    tb_DownLoad->OnClick = TNotifyEvent(this, &TRemoteReplayWindow::tb_DownLoadClick);

    MessageBox = [this](const std::string& text) {
        ::MessageBoxW(Handle(), dvr::win::GbkToWide(text).c_str(),
                      dvr::win::GbkToWide(Caption()).c_str(), MB_OK);
    };
    AskBox = [this](const std::string& text) {
        return ::MessageBoxW(Handle(), dvr::win::GbkToWide(text).c_str(), L"提示信息",
                             MB_YESNO | MB_ICONQUESTION) == IDYES;
    };
    replay_ = std::make_unique<TRemoteReplayForm>(static_cast<TRemoteReplayView&>(*this),
                                                  connectTimeoutMs);
    title_ = appTitle;
    MakePlayback(std::move(playback));
}

void TRemoteReplayWindow::SetHosts(const std::vector<std::string>& addresses,
                                   std::function<int(const std::string&)> portOf) {
    portOf_ = std::move(portOf);
    for (const std::string& a : addresses)
        if (!a.empty() && cb_MainAddr->Items()->IndexOf(a) < 0) cb_MainAddr->Items()->Add(a);
    if (cb_MainAddr->Items()->Count() > 0 && cb_MainAddr->Caption().empty()) {
        cb_MainAddr->SetItemIndex(0);
        cb_MainAddrChange(cb_MainAddr);
    }
}

void TRemoteReplayWindow::cb_MainAddrChange(TObject*) {
    int port = portOf_ ? portOf_(cb_MainAddr->Caption()) : 0;
    if (port < 1) port = kDefaultReplayPort;
    se_TCPRemotePlayServerPortBase->SetText(std::to_string(port));
}

void TRemoteReplayWindow::sb_ConnectClick(TObject*) {
    const std::string host = cb_MainAddr->Caption();
    if (host.empty()) return;
    replay_->Connect(host, std::atoi(se_TCPRemotePlayServerPortBase->Caption().c_str()),
                     ed_UserName->Caption(), ed_Password->Caption());
}

void TRemoteReplayWindow::im_KeyboorClick(TObject*) {
    ::WinExec("osk.exe", SW_SHOWNORMAL);
}

void TRemoteReplayWindow::clb_ReplayFileTypeListClickCheck(TObject*) {
    if (filling_) return;
    for (int i = 0; i < clb_ReplayFileTypeList->Items()->Count(); ++i)
        replay_->SetTypeChecked(i, clb_ReplayFileTypeList->Checked(i));
}

void TRemoteReplayWindow::clb_ReplayChannelListClickCheck(TObject*) {
    if (filling_) return;
    const int count = clb_ReplayChannelList->Items()->Count();
    for (int i = 0; i < count && i < static_cast<int>(replay_->Channels.size()); ++i)
        if (replay_->Channels[i].Checked != clb_ReplayChannelList->Checked(i))
            replay_->SetChannelChecked(i, clb_ReplayChannelList->Checked(i));
}

void TRemoteReplayWindow::mi_SelectAllClick(TObject*) {
    replay_->SetAllChannels(true);
}

void TRemoteReplayWindow::mi_ClearAllClick(TObject*) {
    replay_->SetAllChannels(false);
}

void TRemoteReplayWindow::sb_SelectChannelAllClick(TObject*) {
    const bool clear = sb_SelectChannelAll->Tag() == 1;
    sb_SelectChannelAll->SetTag(clear ? 0 : 1);
    sb_SelectChannelAll->SetCaption(Utf8ToGbk(clear ? "全选" : "全清"));
    replay_->SetAllChannels(!clear);
}

void TRemoteReplayWindow::lv_ReplayDateListSelectItem(TObject*, TListItem* Item, bool Selected) {
    if (filling_ || !Selected || !Item) return;
    if (Item->Index() == replay_->SelectedDay && !replay_->CommonList.empty()) return;
    replay_->SelectDay(Item->Index());
}

void TRemoteReplayWindow::dtp_TimeChange(TObject*) {
    replay_->SetTimeRange(TimeText(dtp_BeginTime->Time()), TimeText(dtp_EndTime->Time()));
}

void TRemoteReplayWindow::lv_ReplayFileListColumnClick(TObject*, TListColumn* Column) {
    TakeRowChecks();
    replay_->SortByColumn(Column->Index());
}

void TRemoteReplayWindow::sb_ClearFileSelectClick(TObject*) {
    for (TFileRow& r : replay_->Rows)
        r.Checked = false;
    for (int i = 0; i < lv_ReplayFileList->Items()->Count(); ++i)
        lv_ReplayFileList->Items()->Item(i)->SetChecked(false);
}

void TRemoteReplayWindow::tb_DownLoadClick(TObject*) {
    TakeRowChecks();
    replay_->DownloadPressed();
}

void TRemoteReplayWindow::TakeRowChecks() {
    TListItems* items = lv_ReplayFileList->Items();
    if (items->Count() != static_cast<int>(replay_->Rows.size())) return;
    for (int i = 0; i < items->Count(); ++i)
        replay_->Rows[i].Checked = items->Item(i)->Checked();
    TListItem* selected = lv_ReplayFileList->Selected();
    replay_->SelectedRow = selected ? selected->Index() : -1;
}

void TRemoteReplayWindow::SetWindowEnabled(bool enabled) {
    SetEnabled(enabled);
}

void TRemoteReplayWindow::SetHourglass(bool on) {
    ::SetCursor(::LoadCursorW(nullptr, on ? IDC_WAIT : IDC_ARROW));
}

void TRemoteReplayWindow::SetSearchMsgVisible(bool visible) {
    pn_SearchMsg->SetVisible(visible);
}

void TRemoteReplayWindow::ShowMessage(const std::string& text) {
    if (MessageBox) MessageBox(text);
}

void TRemoteReplayWindow::ListsChanged() {
    filling_ = true;
    // The channel and day lists change only with a connect: refilled when they differ, so
    // the operator's selection survives the file list's refills.
    const auto& channels = replay_->Channels;
    bool same = clb_ReplayChannelList->Items()->Count() == static_cast<int>(channels.size());
    for (size_t i = 0; same && i < channels.size(); ++i)
        same = clb_ReplayChannelList->Items()->Get(static_cast<int>(i)) == channels[i].Caption;
    if (!same) {
        clb_ReplayChannelList->Items()->Clear();
        for (const TChannelItem& c : channels)
            clb_ReplayChannelList->Items()->Add(c.Caption);
    }
    for (size_t i = 0; i < channels.size(); ++i)
        clb_ReplayChannelList->SetChecked(static_cast<int>(i), channels[i].Checked);

    TListItems* days = lv_ReplayDateList->Items();
    same = days->Count() == static_cast<int>(replay_->Days.size());
    for (int i = 0; same && i < days->Count(); ++i)
        same = days->Item(i)->Caption() == replay_->Days[i];
    if (!same) {
        days->BeginUpdate();
        days->Clear();
        for (const std::string& d : replay_->Days)
            days->Add()->SetCaption(d);
        days->EndUpdate();
    }
    if (replay_->SelectedDay >= 0 && replay_->SelectedDay < days->Count() &&
        !days->Item(replay_->SelectedDay)->Selected())
        days->Item(replay_->SelectedDay)->SetSelected(true);

    TListItems* rows = lv_ReplayFileList->Items();
    rows->BeginUpdate();
    rows->Clear();
    for (const TFileRow& r : replay_->Rows) {
        TListItem* item = rows->Add();
        item->SetCaption(r.Caption);
        for (const std::string* s :
             {&r.Start, &r.End, &r.Type, &r.Size, &r.Duration, &r.Path, &r.SizeBytes})
            item->SubItems()->Add(*s);
        item->SetImageIndex(r.ImageIndex);
        item->SetChecked(r.Checked);
    }
    rows->EndUpdate();
    if (replay_->SelectedRow >= 0 && replay_->SelectedRow < rows->Count())
        rows->Item(replay_->SelectedRow)->SetSelected(true);
    filling_ = false;
}

void TRemoteReplayWindow::SetDownloadBar(bool visible, int max, int position) {
    pb_DownLoadSign->SetMax(max);
    pb_DownLoadSign->SetPosition(position);
    pb_DownLoadSign->SetVisible(visible);
}

bool TRemoteReplayWindow::Ask(const std::string& text) {
    return AskBox && AskBox(text);
}

std::optional<std::string> TRemoteReplayWindow::ChooseDrive(int neededKB) {
    if (!DriveChooser) return std::nullopt;
    return DriveChooser(neededKB);
}

} // namespace vantrel
