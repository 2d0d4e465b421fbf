#include "host/ui/F_ReplayForm.h"

#include "framework/ui/place_control.h"

#include "host/ui/T_ThreadSearchCaptureFile.h"
#include "host/ui/U_ListSort.h"
#include "host/ui/U_MPG4_REPLAY_API.h"
#include "host/ui/U_ToolButtons.h"

#include "common/win/textconv.h"

#include <cmath>

namespace vantrel {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

TReplayForm::TReplayForm(TComponent* AOwner, TReplayHost& host, Services services,
                         TReplayPlayer& player)
    : TForm(AOwner), host_(host), services_(std::move(services)) {
    SetCaption(services_.Title + "    " + Utf8ToGbk("本地回放"));
    SetBounds(0, 0, 1000, 700);
    // Left the lists, below the tools and the status, the replay area takes the rest.
    sb_ReplayStatuBar = PlaceControl<TStatusBar>(this, this, 0, 640, 1000, 20);
    sb_ReplayStatuBar->SetAlign(TAlign::alBottom);
    for (int i = 0; i < 4; ++i)
        sb_ReplayStatuBar->AddPanel()->SetWidth(200);
    pn_ToolPannel = PlaceControl<TPanel>(this, this, 0, 580, 1000, 60);
    pn_ToolPannel->SetAlign(TAlign::alBottom);
    pn_ToolPannel->SetBevelOuter(TBevelCut::bvNone);
    pn_ListPanel = PlaceControl<TPanel>(this, this, 0, 0, 190, 580);
    pn_ListPanel->SetAlign(TAlign::alLeft);
    pn_ListPanel->SetBevelOuter(TBevelCut::bvNone);
    TPanel* list = pn_ListPanel;
    lv_ReplayDateList = PlaceControl<TListView>(list, this, 4, 4, 180, 110);
    lv_ReplayDateList->SetViewStyle(TViewStyle::vsReport);
    lv_ReplayDateList->SetReadOnly(true);
    lv_ReplayDateList->SetHideSelection(false);
    lv_ReplayDateList->AddColumn()->SetCaption(Utf8ToGbk("日期"));
    lv_ReplayDateList->Columns(0)->SetWidth(150);
    clb_ReplayChannelList = PlaceControl<TCheckListBox>(list, this, 4, 118, 180, 130);
    clb_ReplayMPGFileTypeList = PlaceControl<TCheckListBox>(list, this, 4, 252, 180, 36);
    clb_ReplayMPGFileTypeList->Items()->Add(Utf8ToGbk("普通录像"));
    clb_ReplayMPGFileTypeList->Items()->Add(Utf8ToGbk("报警录像"));
    rb_CommonData = PlaceControl<TRadioButton>(list, this, 4, 292, 180, 20);
    rb_CommonData->SetCaption(Utf8ToGbk("回放普通数据"));
    rb_CommonData->SetChecked(true);
    rb_LockData = PlaceControl<TRadioButton>(list, this, 4, 312, 180, 20);
    rb_LockData->SetCaption(Utf8ToGbk("回放锁定数据"));
    bt_LockData = PlaceControl<TButton>(list, this, 4, 334, 88, 24);
    bt_LockData->SetCaption(Utf8ToGbk("锁定数据"));
    sp_ShowBMP = PlaceControl<TButton>(list, this, 96, 334, 88, 24);
    sp_ShowBMP->SetCaption(Utf8ToGbk("浏览抓帧"));
    lv_ReplayFileList = PlaceControl<TListView>(list, this, 4, 362, 180, 186);
    lv_ReplayFileList->SetViewStyle(TViewStyle::vsReport);
    lv_ReplayFileList->SetCheckboxes(true);
    lv_ReplayFileList->SetReadOnly(true);
    lv_ReplayFileList->SetRowSelect(true);
    lv_ReplayFileList->SetHideSelection(false);
    for (const char* c : {"通道", "开始时间", "结束时间", "类型", "大小", "时长"})
        lv_ReplayFileList->AddColumn()->SetCaption(Utf8ToGbk(c));
    cb_ReplayAll = PlaceControl<TCheckBox>(list, this, 4, 552, 180, 20);
    cb_ReplayAll->SetCaption(Utf8ToGbk("连续回放同一通道里所有录像"));
    cb_ReplayAll->SetChecked(true);
    pn_ReplayArea = PlaceControl<TPanel>(this, this, 190, 0, 810, 580);
    pn_ReplayArea->SetAlign(TAlign::alClient);
    pn_ReplayArea->SetBevelOuter(TBevelCut::bvNone);
    pn_ReplayArea->SetColor(0x404040);
    PosBar = PlaceControl<TTrackBar>(pn_ToolPannel, this, 0, 0, 1000, 24);
    PosBar->SetAlign(TAlign::alTop);
    PosBar->SetTickStyle(TTickStyle::tsNone);
    PosBar->SetMax(100);
    // Captions are the hints' first two characters.
    TToolButtonRow row(pn_ToolPannel, this, 2, 28, 36, 26, 37, 2);
    tb_SinglePlay = row.Add("播放");
    tb_Pause = row.Add("暂停");
    tb_Stop = row.Add("结束当前播放");
#ifndef VANTREL_CONTROL_BUILD
    ToolButton9 = row.Add("结束全部播放");
#else
    ToolButton9 = nullptr;
#endif
    tb_First = row.Add("到文件头");
    tb_SignalFrameBack = row.Add("单帧退");
    tb_SignalFrame = row.Add("单帧进");
    tb_Slow = row.Add("慢速播放");
    tb_Fast = row.Add("快速播放");
    tb_End = row.Add("到文件尾");
    tb_CaptureBmp = row.Add("抓图");
    tb_SetStartPos = row.Add("设置剪辑起点");
    tb_SetEndPos = row.Add("设置剪辑终点");
    tb_ReplayVideoCapture = row.Add("视频剪辑");
    tb_DelVideoCapture = row.Add("清除剪辑设置");
    tb_Sound = row.Add("声音开关");
    sb_RegionZoom = row.Add("局部放大");
    ToolButton4 = row.Add("隐藏/显示列表，按右键可恢愎");
    ToolButton4->SetCaption(Utf8ToGbk("列表"));
    ToolButton2 = row.Add("全屏，按右键恢愎");
    ToolButton7 = row.Add("备份所选");
    tb_Exit = row.Add("退出播放器");
    tb_Volume = PlaceControl<TTrackBar>(pn_ToolPannel, this, row.X() + 4, 28, 110, 26);
    tb_Volume->SetTickStyle(TTickStyle::tsNone);
    tb_Volume->SetMax(65534);
    tb_Volume->SetPosition(50000);
    tb_Volume->SetHint(Utf8ToGbk("音量调节"));
    tm_ReplayTimer = new TTimer(this);
    tm_ReplayTimer->SetEnabled(false);
    tm_ReplayTimer->SetInterval(500);
    tm_ReplayTimer->SetOnTimer(TNotifyEvent(this, &TReplayForm::tm_ReplayTimerTimer));

    OnShow = TNotifyEvent(this, &TReplayForm::FormShow);
#ifdef VANTREL_CONTROL_BUILD
    lv_ReplayDateList->OnChange = TNotifyEvent(this, &TReplayForm::lv_ReplayDateListChange);
#else
    lv_ReplayDateList->OnSelectItem =
        TLVSelectItemEvent(this, &TReplayForm::lv_ReplayDateListSelect);
#endif
    tb_SinglePlay->OnClick = TNotifyEvent(this, &TReplayForm::tb_SinglePlayClick);
    tb_Pause->OnClick = TNotifyEvent(this, &TReplayForm::tb_PauseClick);
    tb_Stop->OnClick = TNotifyEvent(this, &TReplayForm::tb_StopClick);
    if (ToolButton9) ToolButton9->OnClick = TNotifyEvent(this, &TReplayForm::ToolButton9Click);
    tb_First->OnClick = TNotifyEvent(this, &TReplayForm::tb_FirstClick);
    tb_End->OnClick = TNotifyEvent(this, &TReplayForm::tb_EndClick);
    tb_SignalFrameBack->OnClick = TNotifyEvent(this, &TReplayForm::tb_SignalFrameBackClick);
    tb_SignalFrame->OnClick = TNotifyEvent(this, &TReplayForm::tb_SignalFrameClick);
    tb_Slow->OnClick = TNotifyEvent(this, &TReplayForm::tb_SlowClick);
    tb_Fast->OnClick = TNotifyEvent(this, &TReplayForm::tb_FastClick);
    tb_Sound->OnClick = TNotifyEvent(this, &TReplayForm::tb_SoundClick);
    tb_SetStartPos->OnClick = TNotifyEvent(this, &TReplayForm::tb_SetStartPosClick);
    tb_SetEndPos->OnClick = TNotifyEvent(this, &TReplayForm::tb_SetEndPosClick);
    tb_DelVideoCapture->OnClick = TNotifyEvent(this, &TReplayForm::tb_DelVideoCaptureClick);
    tb_ReplayVideoCapture->OnClick = TNotifyEvent(this, &TReplayForm::tb_ReplayVideoCaptureClick);
    ToolButton7->OnClick = TNotifyEvent(this, &TReplayForm::ToolButton7Click);
    bt_LockData->OnClick = TNotifyEvent(this, &TReplayForm::bt_LockDataClick);
    tb_CaptureBmp->OnClick = TNotifyEvent(this, &TReplayForm::tb_CaptureBmpClick);
    sp_ShowBMP->OnClick = TNotifyEvent(this, &TReplayForm::sp_ShowBMPClick);
    sb_RegionZoom->OnClick = TNotifyEvent(this, &TReplayForm::sb_RegionZoomClick);
    ToolButton4->OnClick = TNotifyEvent(this, &TReplayForm::ToolButton4Click);
    ToolButton2->OnClick = TNotifyEvent(this, &TReplayForm::ToolButton2Click);
    viewModes_ = TReplayViewModes(this, pn_ToolPannel, pn_ListPanel, ToolButton2);
    tb_Exit->OnClick = TNotifyEvent(this, &TReplayForm::tb_ExitClick);
    lv_ReplayFileList->OnColumnClick =
        TLVColumnClickEvent(this, &TReplayForm::lv_ReplayFileListColumnClick);
    PosBar->OnMouseDown = TMouseEvent(this, &TReplayForm::PosBarMouseDown);
    PosBar->OnMouseUp = TMouseEvent(this, &TReplayForm::PosBarMouseUp);
    PosBar->OnChange = TNotifyEvent(this, &TReplayForm::PosBarChange);
    tb_Volume->OnChange = TNotifyEvent(this, &TReplayForm::tb_VolumeChange);
    clb_ReplayChannelList->OnClickCheck = TNotifyEvent(this, &TReplayForm::FiltersChanged);
    clb_ReplayMPGFileTypeList->OnClickCheck = TNotifyEvent(this, &TReplayForm::FiltersChanged);
    pn_ReplayArea->OnResize = TNotifyEvent(this, &TReplayForm::pn_ReplayAreaResize);
    OnResize = TNotifyEvent(this, &TReplayForm::FormResize);
    sorter_ = std::make_unique<TListSorter>(lv_ReplayFileList);
    rb_CommonData->OnClick = TNotifyEvent(this, &TReplayForm::FiltersChanged);
    rb_LockData->OnClick = TNotifyEvent(this, &TReplayForm::FiltersChanged);
    SetTransport(false);

    replay_ = std::make_unique<TReplay>(Handle(), pn_ReplayArea, host_, player);
    replay_->SetAreaRect({0, 0, pn_ReplayArea->ClientWidth(), pn_ReplayArea->ClientHeight()});
    replay_->SetLayout(1);
    replay_->SearchThread().Finished = [this](int kind) {
        if (kind == 0 && browser_) browser_->ScanEnded();
        if (kind == 1 && lv_ReplayDateList->Items()->Count() > 0 && pn_ListPanel->Visible() &&
            Visible())
            lv_ReplayDateList->SetFocus();
        if (!busy_) FillFileList();
    };
    replay_->SearchThread().LeaveDisabled = [this] { return busy_; };
}

TReplayForm::~TReplayForm() {
    FreeEngine();
}

void TReplayForm::BeforeDestruction() {
    FreeEngine();
    TForm::BeforeDestruction();
}

void TReplayForm::FreeEngine() {
    if (zoom_) {
        zoom_->Free();
        zoom_ = nullptr;
        if (replay_) replay_->Zoom = nullptr;
    }
    if (replay_) {
        for (int p = 0; p < kReplayPorts; ++p) {
#ifdef VANTREL_CONTROL_BUILD
            // Only the windows that play; a failure leaves the others to the engine's end.
            if (!replay_->Playing[p]) continue;
            try {
                replay_->Stop(p);
            } catch (...) {
            }
            try {
                replay_->CloseFile(p);
            } catch (...) {
            }
#else
            replay_->Stop(p);
            replay_->CloseFile(p);
#endif
        }
    }
    replay_.reset();
}

void TReplayForm::SetTransport(bool on) {
    for (TButton* b : {tb_Pause, tb_Stop, tb_First, tb_SignalFrameBack, tb_SignalFrame, tb_Slow,
                       tb_Fast, tb_End, tb_CaptureBmp, tb_Sound, tb_SetStartPos, tb_SetEndPos,
                       tb_ReplayVideoCapture, tb_DelVideoCapture})
        b->SetEnabled(on);
    tb_Volume->SetEnabled(on);
}

std::string TReplayForm::FileName(const std::string& path) {
    const size_t slash = path.rfind('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void TReplayForm::FormShow(TObject*) {
    if (shown_) return;
    shown_ = true;
    clb_ReplayChannelList->Items()->Clear();
    for (const std::string& item : replay_->ChannelCheckItems())
        clb_ReplayChannelList->Items()->Add(item);
    lv_ReplayDateList->Items()->Clear();
    std::vector<std::string> days;
    replay_->GetRecordingDays(days);
    std::sort(days.begin(), days.end());
    for (const std::string& d : days)
        lv_ReplayDateList->Items()->Add()->SetCaption(d);
    lv_ReplayFileList->Items()->Clear();
    clb_ReplayMPGFileTypeList->SetChecked(0, true);
    clb_ReplayMPGFileTypeList->SetChecked(1, true);
    replay_->ResetSearchRequest();
}

std::string TReplayForm::SelectedDay() {
    TListItem* item = lv_ReplayDateList->Selected();
    return item ? item->Caption() : std::string();
}

void TReplayForm::lv_ReplayDateListChange(TObject* sender) {
    // Every change notification: only one that leaves a day selected searches.
    if (lv_ReplayDateList->Items()->Count() == 0) return;
    if (TListItem* item = lv_ReplayDateList->Selected()) lv_ReplayDateListSelect(sender, item, true);
}

void TReplayForm::lv_ReplayDateListSelect(TObject*, TListItem* item, bool selected) {
    if (!selected || !item) return;
    const std::string day = item->Caption();
    if (day.size() < 10) return;
    lv_ReplayFileList->Items()->Clear();
    replay_->ClearFileLists();
    replay_->Days = {day.substr(0, 4) + day.substr(5, 2) + day.substr(8, 2)};
    replay_->StartFileSearch(1);
}

void TReplayForm::FiltersChanged(TObject*) {
    bt_LockData->SetCaption(Utf8ToGbk(rb_LockData->Checked() ? "解锁数据" : "锁定数据"));
    FillFileList();
}

void TReplayForm::FillFileList() {
    lv_ReplayFileList->Items()->Clear();
    const ReplayFileChain& chain =
        rb_LockData->Checked() ? replay_->LockedList : replay_->CommonList;
    const std::string day = SelectedDay();
    if (chain.Empty() || day.empty()) return;
    std::vector<bool> channels;
    for (int i = 0; i < clb_ReplayChannelList->Items()->Count(); ++i)
        channels.push_back(clb_ReplayChannelList->Checked(i));
    const bool normal = clb_ReplayMPGFileTypeList->Checked(0);
    const bool alarm = clb_ReplayMPGFileTypeList->Checked(1);
    for (const ReplayFileRecord* r = chain.Head; r; r = r->Next) {
        if (!FileListShows(*r, channels, normal, alarm, day, BeginTime, EndTime)) continue;
        TListItem* item = lv_ReplayFileList->Items()->Add();
        const std::string number = "00" + std::to_string(r->Channel + 1);
        item->SetCaption(number.substr(number.size() - 2));
        const std::string start = r->StartTime.Get();
        item->SubItems()->Add(start.size() >= 8 ? start.substr(start.size() - 8) : start);
        item->SubItems()->Add(r->EndTime.Get());
        item->SubItems()->Add(r->TypeName.Get());
        item->SubItems()->Add(r->SizeText.Get());
        item->SubItems()->Add(r->Duration.Get());
        item->SubItems()->Add(r->Path);
        item->SetImageIndex(r->RecordType == 0 ? 0 : 1);
    }
    if (lv_ReplayFileList->Items()->Count() > 0)
        lv_ReplayFileList->SetSelected(lv_ReplayFileList->Items()->Item(0));
}

void TReplayForm::PlayWindowList(int w) {
    auto& list = replay_->PlayLists[w];
    while (!list.empty()) {
        if (replay_->OpenFile(w, list[0]) == 0 && replay_->Play(w) == 0) {
            tm_ReplayTimer->SetEnabled(true);
            sb_ReplayStatuBar->Panels(0)->SetText(FileName(list[0]));
            return;
        }
        replay_->CloseFile(w);
        list.erase(list.begin());
    }
}

void TReplayForm::tb_SinglePlayClick(TObject*) {
    TReplay& r = *replay_;
    if (lv_ReplayFileList->Items()->Count() == 0) return;
    bool resumed = false;
    for (int w = 0; w < kReplayPorts; ++w) {
        if (!r.Windows[w]->Visible() || !r.Playing[w]) continue;
        if (r.Paused[w] || r.Stepping[w] || r.FastOn[w] || r.SlowOn[w]) {
            if (r.Paused[w]) r.Pause(w, false);
            r.Play(w);
            resumed = true;
        }
    }
    if (resumed) {
        if (r.Playing[r.CurrentWindow]) {
            tb_SinglePlay->SetEnabled(false);
            for (TButton* b : {tb_Pause, tb_Slow, tb_Fast})
                b->SetEnabled(true);
        }
        return;
    }
    const int cw = r.CurrentWindow;
    if (!r.PlayLists[cw].empty()) return;
    std::vector<ReplayListRow> rows;
    int selected = -1;
    for (int i = 0; i < lv_ReplayFileList->Items()->Count(); ++i) {
        TListItem* item = lv_ReplayFileList->Items()->Item(i);
        rows.push_back(
            {std::atoi(item->Caption().c_str()) - 1, item->SubItems()->Get(5), item->Checked()});
        if (item->Selected()) selected = i;
    }
    bool othersPlay = false;
    for (int w = 0; w < kReplayPorts; ++w)
        othersPlay |= r.Windows[w]->Visible() && r.Playing[w] && !r.PlayLists[w].empty();
    if (othersPlay) {
        // Added to the selected window only.
        if (selected < 0) return;
        std::vector<ReplayListRow> one = rows;
        for (auto& row : one)
            row.Checked = false;
        auto lists = AssignPlayLists(one, selected, cb_ReplayAll->Checked());
        r.PlayLists[cw] = lists.front();
        PlayWindowList(cw);
    } else {
        auto lists = AssignPlayLists(rows, selected, cb_ReplayAll->Checked());
        for (size_t i = 0; i < rows.size(); ++i)
            lv_ReplayFileList->Items()->Item(static_cast<int>(i))->SetChecked(rows[i].Checked);
        if (lists.empty()) return;
        for (size_t w = 0; w < lists.size(); ++w)
            r.PlayLists[w] = lists[w];
        r.SetLayout(ReplayLayoutFor(static_cast<int>(lists.size())));
        r.PaneClick(r.Windows[0]);
        ::PostMessageW(Handle(), WM_REPLAYLAYOUT, 0, 0);
        auto failed = [&](size_t w) {
            if (services_.ShowMessage)
                services_.ShowMessage(Utf8ToGbk("通道") + std::to_string(w + 1) +
                                      Utf8ToGbk("回放失败"));
            r.PlayLists[w].clear();
            r.CloseFile(static_cast<int>(w));
        };
        for (size_t w = 0; w < lists.size(); ++w)
            if (r.OpenFile(static_cast<int>(w), r.PlayLists[w][0]) != 0) failed(w);
        for (size_t w = 0; w < lists.size(); ++w)
            if (!r.PlayLists[w].empty() && r.Play(static_cast<int>(w)) != 0) failed(w);
    }
    const int first = othersPlay ? cw : 0;
    if (r.PlayLists[first].empty()) return;
    if (!r.SoundOn) {
        r.Volume = tb_Volume->Position();
        if (r.Playing[0]) r.PlaySound(0);
    }
    tm_ReplayTimer->SetEnabled(true);
    tb_SinglePlay->SetEnabled(false);
    SetTransport(true);
    sb_ReplayStatuBar->Panels(0)->SetText(FileName(r.PlayLists[first][0]));
}

void TReplayForm::tb_PauseClick(TObject*) {
    const int w = replay_->CurrentWindow;
    if (replay_->Windows[w]->Visible()) replay_->Pause(w, true);
    if (replay_->Playing[w]) {
        tb_SinglePlay->SetEnabled(true);
        tb_Stop->SetEnabled(true);
        tb_Pause->SetEnabled(false);
    }
}

void TReplayForm::StopWindow(int w, bool clearWhenVisible) {
    replay_->Stop(w);
    replay_->CloseFile(w);
    if (clearWhenVisible && replay_->Windows[w]->Visible()) {
        replay_->PlayLists[w].clear();
        replay_->Playing[w] = replay_->Paused[w] = replay_->Stepping[w] = false;
        replay_->FastOn[w] = replay_->SlowOn[w] = false;
        replay_->Windows[w]->Refresh();
    }
}

void TReplayForm::ResetAfterStop() {
    tm_ReplayTimer->SetEnabled(false);
    tb_SinglePlay->SetEnabled(true);
    SetTransport(false);
    for (int i = 0; i < 4; ++i)
        sb_ReplayStatuBar->Panels(i)->SetText("");
    MoveBar(0);
    PosBar->SetSelStart(0);
    PosBar->SetSelEnd(0);
}

void TReplayForm::tb_StopClick(TObject*) {
    StopWindow(replay_->CurrentWindow, true);
    ResetAfterStop();
}

void TReplayForm::ToolButton9Click(TObject*) {
    for (int w = 0; w < kReplayPorts; ++w)
        if (replay_->Playing[w]) StopWindow(w, true);
    ResetAfterStop();
}

void TReplayForm::tb_FirstClick(TObject*) {
    const int w = replay_->CurrentWindow;
    if (replay_->Windows[w]->Visible()) {
        replay_->SetPlayPos(w, 0);
        replay_->SetCurrentFrameNum(w, 0);
    }
    MoveBar(0);
    tb_SinglePlay->SetEnabled(true);
}

void TReplayForm::tb_EndClick(TObject*) {
    const int w = replay_->CurrentWindow;
    if (replay_->Windows[w]->Visible()) {
        replay_->SetPlayPos(w, 1);
        const unsigned total = replay_->GetFileTotalFrames(w);
        replay_->SetCurrentFrameNum(w, total ? total - 1 : 0);
    }
    MoveBar(100);
    tb_SinglePlay->SetEnabled(true);
}

void TReplayForm::tb_SignalFrameBackClick(TObject*) {
    const int w = replay_->CurrentWindow;
    if (replay_->Windows[w]->Visible()) replay_->StepBackward(w);
    if (replay_->Playing[w]) {
        tb_SinglePlay->SetEnabled(true);
        tb_Slow->SetEnabled(false);
        tb_Fast->SetEnabled(false);
    }
}

void TReplayForm::tb_SignalFrameClick(TObject*) {
    const int w = replay_->CurrentWindow;
    if (replay_->Windows[w]->Visible()) replay_->StepForward(w);
    if (replay_->Playing[w]) {
        tb_SinglePlay->SetEnabled(true);
        tb_Slow->SetEnabled(false);
        tb_Fast->SetEnabled(false);
    }
}

void TReplayForm::tb_SlowClick(TObject*) {
    const int w = replay_->CurrentWindow;
    if (replay_->Windows[w]->Visible()) replay_->Slow(w);
    tb_SinglePlay->SetEnabled(true);
}

void TReplayForm::tb_FastClick(TObject*) {
    const int w = replay_->CurrentWindow;
    if (replay_->Windows[w]->Visible()) replay_->Fast(w);
    tb_SinglePlay->SetEnabled(true);
}

void TReplayForm::tb_SoundClick(TObject*) {
    if (replay_->SoundOn) {
        replay_->StopSound();
    } else {
        replay_->Volume = tb_Volume->Position();
        replay_->PlaySound(replay_->CurrentWindow);
    }
}

void TReplayForm::tm_ReplayTimerTimer(TObject*) {
    const int w = replay_->CurrentWindow;
    if (!replay_->Playing[w]) return;
    MoveBar(static_cast<int>(std::lround(replay_->GetPlayPos(w) * PosBar->Max())));
    sb_ReplayStatuBar->Panels(1)->SetText(PlayedTimeText(replay_->GetPlayedTime(w)));
    sb_ReplayStatuBar->Panels(2)->SetText(std::to_string(replay_->GetCurrentFrameNum(w)));
    sb_ReplayStatuBar->Panels(3)->SetText(ReplaySpeedText(replay_->SpeedStep));
}

void TReplayForm::tb_SetStartPosClick(TObject*) {
    const int w = replay_->CurrentWindow;
    if (!replay_->Playing[w]) return;
    ClipMark& m = replay_->ClipMarks[w];
    m.SelStart = PosBar->Position();
    m.SelEnd = PosBar->Max();
    m.StartFilePos = replay_->GetKeyFrameFilePos(w);
    m.EndFilePos = -1;
    PosBar->SetSelStart(m.SelStart);
    PosBar->SetSelEnd(m.SelEnd);
}

void TReplayForm::tb_SetEndPosClick(TObject*) {
    const int w = replay_->CurrentWindow;
    if (!replay_->Playing[w]) return;
    ClipMark& m = replay_->ClipMarks[w];
    if (PosBar->Position() < m.SelStart) {
        if (services_.ShowMessage) services_.ShowMessage(Utf8ToGbk("终点不能小于起点。"));
        return;
    }
    m.SelEnd = PosBar->Position();
    m.EndFilePos = replay_->GetKeyFrameFilePos(w);
    PosBar->SetSelStart(m.SelStart);
    PosBar->SetSelEnd(m.SelEnd);
}

void TReplayForm::tb_DelVideoCaptureClick(TObject*) {
    replay_->ClipMarks[replay_->CurrentWindow] = ClipMark{};
    PosBar->SetSelStart(0);
    PosBar->SetSelEnd(0);
}

void TReplayForm::tb_ReplayVideoCaptureClick(TObject*) {
    TThreadReplayVideoCapture* clip = services_.Clip;
    if (!clip) return;
    if (clip->Busy()) {
        if (services_.ShowMessage) services_.ShowMessage(Utf8ToGbk("正在剪辑中，请稍候！"));
        return;
    }
    const int w = replay_->CurrentWindow;
    const ClipMark& m = replay_->ClipMarks[w];
    if (!(m.SelStart < m.SelEnd) || replay_->PlayLists[w].empty()) return;
    const char drive = services_.AskClipDrive ? services_.AskClipDrive() : 0;
    if (!drive) return;
    const std::string now = services_.Now ? services_.Now() : std::string("0000-00-00 00-00-00");
    clip->TargetName = std::string(1, drive) + ":\\CaptureCut\\" + now + ".mpg";
    clip->SourceName = replay_->PlayLists[w][0];
    clip->StartPos = m.StartFilePos;
    clip->EndPos = m.EndFilePos;
    clip->Start(Handle());
}

void TReplayForm::WMClipDone(TMessage& M) {
    const int v = static_cast<int>(M.WParam);
    std::string text;
    if (v < 0)
        text = Utf8ToGbk("视频剪辑失败！");
    else if (v == 0)
        text = Utf8ToGbk("视频剪辑完毕！") + "\r\n\r\n" + Utf8ToGbk("剪辑已被保存为：") +
               (services_.Clip ? services_.Clip->TargetName : std::string());
    else
        text = Utf8ToGbk("正在剪辑中，请稍候！");
    if (services_.ShowMessage) services_.ShowMessage(text);
}

void TReplayForm::ToolButton7Click(TObject*) {
    std::vector<std::string> files;
    uint64_t bytes = 0;
    for (int i = 0; i < lv_ReplayFileList->Items()->Count(); ++i) {
        TListItem* item = lv_ReplayFileList->Items()->Item(i);
        if (!item->Checked()) continue;
        const std::string path = item->SubItems()->Get(5);
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!::GetFileAttributesExW(dvr::win::GbkToWide(path).c_str(), GetFileExInfoStandard,
                                    &data)) {
            // A file that cannot be measured ends the command; nothing is copied.
            if (services_.ShowMessage) services_.ShowMessage(path);
            return;
        }
        bytes += (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        files.push_back(path);
    }
    if (files.empty()) {
        if (services_.ShowMessage)
            services_.ShowMessage(Utf8ToGbk("请在须要备份的数据前打勾选中。"));
        return;
    }
    const char drive = services_.AskBackupDrive ? services_.AskBackupDrive(bytes / 1024) : 0;
    if (drive && services_.StartBackup) services_.StartBackup(std::move(files), drive);
}

void TReplayForm::bt_LockDataClick(TObject*) {
    if (lv_ReplayDateList->Items()->Count() == 0) return;
    const std::string day = SelectedDay();
    auto say = [&](const std::string& t) {
        if (services_.ShowMessage) services_.ShowMessage(t);
    };
    if (day.empty()) {
        say(Utf8ToGbk("请选择一个日期。"));
        return;
    }
    const bool lock = rb_CommonData->Checked();
    const std::string question =
        lock ? Utf8ToGbk("你要锁定日期为 ") + day + Utf8ToGbk(" 的数据吗？") + "\r\n\r\n" +
                   Utf8ToGbk("数据被锁定后，将永久存在，无法删除（包括系统清盘），直到解锁为止。")
             : Utf8ToGbk("你要解锁日期为 ") + day + Utf8ToGbk(" 的数据吗？");
    if (!services_.Confirm || !services_.Confirm(question)) return;
    if (services_.SetDayLock) services_.SetDayLock(day, lock);
    if (lock)
        replay_->CommonList.MoveDay(day, replay_->LockedList);
    else
        replay_->LockedList.MoveDay(day, replay_->CommonList);
    FillFileList();
    say(Utf8ToGbk("日期为 ") + day + Utf8ToGbk(lock ? " 的数据已被锁定。" : " 的数据已被解锁。"));
}

void TReplayForm::WMReplayEnd(TMessage& M) {
    TReplay& r = *replay_;
    const int p = static_cast<int>(M.WParam);
    if (p < 0 || p >= kReplayPorts) return;
    const bool selected = p == r.CurrentWindow;
    if (selected) {
        SetTransport(false);
        tb_SinglePlay->SetEnabled(false);
        tb_Stop->SetEnabled(true);
        PosBar->SetSelStart(0);
        PosBar->SetSelEnd(0);
    }
    auto& list = r.PlayLists[p];
    if (list.empty()) {
        r.Stop(p);
        r.CloseFile(p);
        r.Windows[p]->Refresh();
        return;
    }
    const bool soundWasOn = r.SoundOn;
    r.Stop(p);
    r.CloseFile(p);
    list.erase(list.begin());
    if (list.empty()) {
        if (selected) tb_SinglePlay->SetEnabled(true);
        r.Windows[p]->Refresh();
        return;
    }
    PlayWindowList(p);
    if (list.empty()) {
        r.Windows[p]->Refresh();
        return;
    }
    if (soundWasOn && p == r.SoundWindow) r.PlaySound(p);
    if (selected) {
        sb_ReplayStatuBar->Panels(0)->SetText(FileName(list[0]));
        tm_ReplayTimer->SetEnabled(true);
        tb_SinglePlay->SetEnabled(false);
        SetTransport(true);
    }
}

void TReplayForm::WMReplaySelect(TMessage&) {
    TReplay& r = *replay_;
    const int w = r.CurrentWindow;
    const bool plays = r.Playing[w];
    sb_ReplayStatuBar->Panels(0)->SetText(
        plays && !r.PlayLists[w].empty() ? FileName(r.PlayLists[w][0]) : std::string());
    tb_SinglePlay->SetEnabled(!plays || r.Paused[w] || r.PlayLists[w].empty());
    tb_Pause->SetEnabled(plays && !r.Paused[w]);
    tb_Stop->SetEnabled(plays);
    const bool others = plays && !r.PlayLists[w].empty();
    for (TButton* b :
         {tb_First, tb_SignalFrameBack, tb_SignalFrame, tb_Slow, tb_Fast, tb_End, tb_CaptureBmp,
          tb_Sound, tb_SetStartPos, tb_SetEndPos, tb_ReplayVideoCapture, tb_DelVideoCapture})
        b->SetEnabled(others);
    tb_Volume->SetEnabled(others);
    PosBar->SetSelStart(r.ClipMarks[w].SelStart);
    PosBar->SetSelEnd(r.ClipMarks[w].SelEnd);
}

void TReplayForm::WMReplayLayout(TMessage& M) {
    TReplay& r = *replay_;
    r.ShowSelectionFrame(r.CurrentWindow, true);
    for (int w = 0; w < kReplayPorts && r.Windows[w]->Visible(); ++w)
        r.RefreshPlay(w);
#ifdef VANTREL_CONTROL_BUILD
    // Maximising one window leaves the others playing.
    return;
#endif
    if (M.LParam == 100 || M.LParam == 1000)
        for (int w = 0; w < kReplayPorts; ++w)
            if (w != r.CurrentWindow && w != r.MaximisedWindow && r.Playing[w] && !r.Paused[w] &&
                !r.Stepping[w])
                r.Player().Pause(w, M.LParam == 100 ? 1 : 0);
}

void TReplayForm::tb_VolumeChange(TObject*) {
    replay_->SetVolume(replay_->CurrentWindow, tb_Volume->Position());
    replay_->Volume = tb_Volume->Position();
}

void TReplayForm::tb_CaptureBmpClick(TObject*) {
    if (services_.MaySnapshot && !services_.MaySnapshot()) {
        const std::string text = Utf8ToGbk("对不起！您不具备本操作的权限。");
        const std::string title = Utf8ToGbk("权限验证");
        if (services_.ShowError)
            services_.ShowError(text, title);
        else
            ::MessageBoxW(WindowHandle(), dvr::win::GbkToWide(text).c_str(),
                          dvr::win::GbkToWide(title).c_str(), MB_OK | MB_ICONERROR);
        return;
    }
    replay_->Snapshot();
}

void TReplayForm::sp_ShowBMPClick(TObject*) {
    SetEnabled(false);
    busy_ = true;
    auto* browser = new TShowBMPForm(this, services_.Title, *replay_);
    browser_ = browser;
    if (services_.RunModal)
        services_.RunModal(*browser);
    else
        browser->ShowModal();
    browser_ = nullptr;
    browser->Free();
    busy_ = false;
    SetEnabled(true);
}

void TReplayForm::sb_RegionZoomClick(TObject*) {
    const int w = replay_->CurrentWindow;
    if (!replay_->Playing[w]) return;
    if (zoom_) {
        replay_->Zoom = nullptr;
        zoom_->Free();
        zoom_ = nullptr;
    }
    zoom_ = new TRegionZoomForm(nullptr, services_.Title, host_, replay_->Player());
    zoom_->BoardChannelCount = services_.BoardChannelCount
                                   ? services_.BoardChannelCount
                                   : std::function<int()>([this] { return host_.ChannelCount(); });
    const PaneRect whole{0, 0, 352, 288};
    ReplayApiLocalZoom(replay_->Player(), w, whole, nullptr);
    replay_->Zoom = &zoom_->State;
    zoom_->ShowZoom(w, whole);
}

void TReplayForm::ToolButton4Click(TObject*) {
    viewModes_.ToggleList();
}

void TReplayForm::ToolButton2Click(TObject*) {
    viewModes_.EnterFullScreen();
}

void TReplayForm::WMReplayMenu(TMessage&) {
    viewModes_.Restore();
}

void TReplayForm::tb_ExitClick(TObject*) {
    Close();
}

void TReplayForm::lv_ReplayFileListColumnClick(TObject*, TListColumn* column) {
    sorter_->ColumnClick(column->Index());
}

void TReplayForm::MoveBar(int position) {
    // Moves made here never seek: the change event tells them by the tag.
    PosBar->SetTag(-1);
    PosBar->SetPosition(position);
    PosBar->SetTag(0);
}

void TReplayForm::PosBarMouseDown(TObject*, TMouseButton, TShiftState, int, int) {
#ifdef VANTREL_CONTROL_BUILD
    return; // the control seeks on every move and never holds the picture
#endif
    const int w = replay_->CurrentWindow;
    if (!replay_->Playing[w] || replay_->Paused[w]) return;
    // Held still while the operator drags; the window's own pause flag is left alone.
    replay_->Player().Pause(w, 1);
    tm_ReplayTimer->SetEnabled(false);
}

void TReplayForm::PosBarChange(TObject*) {
#ifdef VANTREL_CONTROL_BUILD
    if (PosBar->Tag() < 0) return;
    replay_->SetPlayPos(replay_->CurrentWindow, double(PosBar->Position()) / PosBar->Max());
    return;
#endif
    const int w = replay_->CurrentWindow;
    if (!replay_->Playing[w] || replay_->Paused[w] || tm_ReplayTimer->Enabled()) return;
    replay_->SetPlayPos(w, double(PosBar->Position()) / PosBar->Max());
    // The player settles on the new place before the next move.
    ::Sleep(200);
}

void TReplayForm::PosBarMouseUp(TObject*, TMouseButton, TShiftState, int, int) {
#ifdef VANTREL_CONTROL_BUILD
    return;
#endif
    const int w = replay_->CurrentWindow;
    if (!replay_->Playing[w] || replay_->Paused[w] || tm_ReplayTimer->Enabled()) return;
    replay_->Player().Pause(w, 0);
    tm_ReplayTimer->SetEnabled(true);
}

void TReplayForm::pn_ReplayAreaResize(TObject*) {
    if (!replay_) return;
    replay_->SetAreaRect({0, 0, pn_ReplayArea->ClientWidth(), pn_ReplayArea->ClientHeight()});
    int visible = 0;
    while (visible < kReplayPorts && replay_->Windows[visible]->Visible())
        ++visible;
    replay_->SetLayout(visible > 0 ? visible : 1);
    replay_->ShowSelectionFrame(replay_->CurrentWindow, true);
    pn_ReplayArea->Invalidate();
}

void TReplayForm::FormResize(TObject*) {
    if (resizing_ || FullScreen()) return;
    const int w = pn_ReplayArea->Width(), h = pn_ReplayArea->Height();
    if (h <= 0 || std::lround(double(w) / h * 100) == 133) return;
    resizing_ = true;
    SetWidth(Width() + int(std::lround(double(h) * 352 / 264)) - w);
    resizing_ = false;
}

} // namespace vantrel
