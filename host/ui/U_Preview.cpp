#include "host/ui/U_Preview.h"

#include "host/ui/O_RMPanel.h"

#include "common/win/textconv.h"
#include "framework/colors.h"

#include <algorithm>
#include <string>

namespace vantrel {

using namespace dvr::fw;

namespace {

constexpr int kRightPreview = 3;
constexpr int kRightListen = 14;
constexpr int kRightSplit = 20;

TRect ToTRect(const PaneRect& r) {
    return TRect{r.Left, r.Top, r.Right, r.Bottom};
}

std::string Utf8ToGbkText(const char* utf8) {
    return dvr::win::Utf8ToGbk(utf8);
}

} // namespace

TPanel* MakePaneMark(TPanel* pane, int left, const char* utf8Text, uint32_t colour) {
    auto* mark = new TPanel(pane);
    mark->SetParent(pane);
    mark->SetBevelOuter(TBevelCut::bvNone);
    mark->SetColor(clBlack);
    mark->Font()->SetColor(TColor(colour));
    mark->Font()->SetHeight(-13);
    mark->SetCaption(Utf8ToGbkText(utf8Text));
    mark->SetBounds(left, 2, 16, 16);
    mark->SetVisible(false);
    return mark;
}

TPreview::TPreview(TWinControl* mainWindow, TPreviewHost& host) : main_(mainWindow), host_(host) {
    Backdrop = new TPanel(main_);
    Backdrop->SetParent(main_);
    Backdrop->SetBevelOuter(TBevelCut::bvNone);
    Backdrop->SetColor(clBlack);
    Backdrop->SetBoundsRect(ToTRect(kFullScreenArea));
    Backdrop->SetVisible(false);

    for (int ch = 0; ch < kLayoutChannels; ++ch) {
        TPreviewPane& p = Panes[size_t(ch)];
        p.Channel = ch;
        auto* pane = new TRMPanel(main_);
        pane->OnMouseLeave = TNotifyEvent(this, &TPreview::PaneMouseLeave);
        p.Panel = pane;
        p.Panel->SetParent(main_);
        p.Panel->SetBevelOuter(TBevelCut::bvNone);
        p.Panel->SetColor(clBlack);
        p.Panel->SetTag(ch);
        p.Panel->SetVisible(false);
        p.Panel->SetEnabled(false);
        p.Panel->OnClick = TNotifyEvent(this, &TPreview::PaneClick);
        p.Panel->OnDblClick = TNotifyEvent(this, &TPreview::PaneDblClickEvent);
        p.Panel->OnMouseUp = TMouseEvent(this, &TPreview::PaneMouseUp);
        p.Panel->OnMouseDown = TMouseEvent(this, &TPreview::PaneMouseDown);
        p.Panel->OnMouseMove = TMouseMoveEvent(this, &TPreview::PaneMouseMove);
        p.Background = new TPanel(main_);
        p.Background->SetParent(p.Panel);
        p.Background->SetBevelOuter(TBevelCut::bvNone);
        p.Background->SetColor(0x404040);
        p.Background->SetAlign(TAlign::alClient);
        p.Background->SetTag(ch);
        p.Background->SetVisible(false);
        p.Background->OnClick = TNotifyEvent(this, &TPreview::PaneClick);
        p.Background->OnDblClick = TNotifyEvent(this, &TPreview::PaneDblClickEvent);
        p.RecordLabel = MakePaneMark(p.Panel, 2, "录", 0x0000FF);
        p.StatusImage = new TPanel(main_);
        p.StatusImage->SetParent(main_);
        p.StatusImage->SetBevelOuter(TBevelCut::bvNone);
        p.StatusImage->SetBounds(915 + 24 * (ch % 4), 144 + 17 * (ch / 4), 22, 15);
        p.StatusImage->SetColor(clGray);
        p.StatusImage->SetTag(ch);
        p.StatusImage->SetVisible(false);
        p.StatusImage->OnClick = TNotifyEvent(this, &TPreview::StatusClick);
    }
    for (TPanel*& f : Frame) {
        f = new TPanel(main_);
        f->SetParent(main_);
        f->SetBevelOuter(TBevelCut::bvNone);
        f->SetColor(clBlue);
        f->SetVisible(false);
    }
    EdgeStrip = new TPanel(main_);
    EdgeStrip->SetParent(main_);
    EdgeStrip->SetBevelOuter(TBevelCut::bvNone);
    EdgeStrip->SetColor(clBlack);
    EdgeStrip->SetBounds(1023, 0, 1, 768);
    EdgeStrip->SetVisible(false);

    LayoutMenu = new TPopupMenu(main_);
    for (int n : kLayoutCounts) {
        auto* item = new TMenuItem(LayoutMenu);
        item->SetCaption(std::to_string(n) + " " + Utf8ToGbkText("画面"));
        item->SetTag(n);
        item->SetRadioItem(true);
        item->OnClick = TNotifyEvent(this, &TPreview::LayoutItemClick);
        LayoutMenu->Items()->Add(item);
    }
    paneMenu_ = new TPopupMenu(main_);
    auto* full = new TMenuItem(paneMenu_);
    full->SetCaption(Utf8ToGbkText("全屏切换"));
    full->OnClick = TNotifyEvent(this, &TPreview::FullScreenItemClick);
    paneMenu_->Items()->Add(full);
    auto* split = new TMenuItem(paneMenu_);
    split->SetCaption(Utf8ToGbkText("画面分割"));
    paneMenu_->Items()->Add(split);
    for (int n : kLayoutCounts) {
        auto* item = new TMenuItem(split);
        item->SetCaption(std::to_string(n) + " " + Utf8ToGbkText("画面"));
        item->SetTag(n);
        item->SetRadioItem(true);
        item->OnClick = TNotifyEvent(this, &TPreview::LayoutItemClick);
        split->Add(item);
    }

    ApplySettings();
    LastLayoutCount = int(host_.PaneRects().size());
}

void TPreview::ApplySettings() {
    host_.BindNetworkPanes(Panes.data());
    host_.ApplyPrivacyMasks();
    if (NetPanes) NetPanes->Rebuild();
}

void TPreview::ShowRecordMark(int channel, bool recording) {
    if (channel < 0 || channel >= kLayoutChannels) return;
    TPanel* mark = Panes[size_t(channel)].RecordLabel;
    mark->SetVisible(recording);
    if (recording) mark->BringToFront();
}

void TPreview::ShowNetworkPlaying(int channel) {
    if (channel < host_.BoardChannelCount() || channel >= kLayoutChannels) return;
    Panes[size_t(channel)].Background->SetVisible(false);
    SetWork(channel, true);
}

void TPreview::ShowNetworkIdle(int channel) {
    if (channel < host_.BoardChannelCount() || channel >= kLayoutChannels) return;
    TPreviewPane& p = Panes[size_t(channel)];
    SetWork(channel, false);
    if (!p.Previewing) ShowBackgroundOf(channel, true);
}

bool TPreview::GridBehindEnlarged(int channel) const {
    if (EnlargedPane < 0) return false;
    const int32_t s = Panes[size_t(channel)].State;
    return s == kPaneGrid || s == kPaneFullGrid;
}

void TPreview::SetWork(int channel, bool work) {
    TPreviewPane& p = Panes[size_t(channel)];
    p.WorkPicture = work;
    p.StatusImage->SetColor(work ? clLime : clGray);
}

void TPreview::ShowBackgroundOf(int channel, bool idle) {
    TPreviewPane& p = Panes[size_t(channel)];
    p.Background->SetVisible(idle && host_.ShowBackground(channel));
}

int TPreview::Open(int channel) {
    if (channel < 0 || channel >= kLayoutChannels) return -1;
    TPreviewPane& p = Panes[size_t(channel)];
    if (p.Previewing) return 0;
    if (!p.Panel->Visible()) return -1;
    if (GridBehindEnlarged(channel)) return -1;
    if (!host_.CheckRight(kRightPreview, channel)) return -1;
    if (channel < host_.BoardChannelCount()) {
        if (SettingsPreviewLock) return -1;
        TRect b = p.Panel->BoundsRect();
        b.Bottom += p.State == kPaneEnlarged ? 2 : 1;
        if (p.State == kPaneFullEnlarged) {
            TRect shorter = p.Panel->BoundsRect();
            shorter.Bottom -= 3;
            p.Panel->SetBoundsRect(shorter);
        }
        p.Background->SetVisible(false);
        p.Panel->SetColor(TColor(kOverlayColorKey));
        p.Panel->Repaint();
        const RECT r{b.Left, b.Top, b.Right, b.Bottom};
        const int result = host_.StartBoardPreview(channel, main_->Handle(), r, PreviewFrameRate);
        if (result == 0) {
            p.Previewing = 1;
            p.Playing = 1;
            SetWork(channel, true);
        }
        return result;
    }
    if (!host_.NetworkRecording(channel)) {
        host_.OpenNetworkPreview(channel);
        return -1;
    }
    host_.SendKeyFrameRequest(channel);
    p.Previewing = 1;
    return -1;
}

int TPreview::ClosePreview(int channel, bool checkRight) {
    if (channel < 0 || channel >= host_.ChannelCount()) return -1;
    TPreviewPane& p = Panes[size_t(channel)];
    if (!p.Previewing) return 0;
    if (GridBehindEnlarged(channel)) return -1;
    if (checkRight && !host_.CheckRight(kRightPreview, channel)) return -1;
    if (channel < host_.BoardChannelCount()) {
        p.Panel->SetColor(clBlack);
        p.Panel->Repaint();
        p.Previewing = 0;
        const int result = host_.StopBoardPreview(channel);
        if (result != 0) return result;
        p.Playing = 0;
        ShowBackgroundOf(channel, true);
        SetWork(channel, false);
        return 0;
    }
    host_.CloseNetworkPreview(channel);
    p.Previewing = 0;
    ShowBackgroundOf(channel, true);
    SetWork(channel, false);
    p.Panel->Repaint();
    return -1;
}

int TPreview::StartListen(int channel) {
    if (!host_.CheckRight(kRightListen, channel)) return -1;
    if (channel < host_.BoardChannelCount()) return host_.SetAudioPreview(channel, true);
    return -1;
}

int TPreview::StopListen(int channel) {
    if (!host_.CheckRight(kRightListen, channel)) return -1;
    if (channel < host_.BoardChannelCount()) return host_.SetAudioPreview(channel, false);
    return -1;
}

void TPreview::RestoreOverlay() {
    if (host_.BoardChannelCount() > 0) host_.RestoreOverlay();
}

void TPreview::PlacePanes(int channelCount, const std::vector<PaneRect>& rects, int statusCount) {
    const int n = std::min<int>(int(rects.size()), kLayoutChannels);
    for (int ch = 0; ch < kLayoutChannels; ++ch) {
        TPreviewPane& p = Panes[size_t(ch)];
        if (ch < n) {
            p.Panel->SetBoundsRect(ToTRect(rects[size_t(ch)]));
            p.Panel->SetVisible(true);
            p.State = kPaneGrid;
            if (ch < channelCount) {
                p.Panel->SetEnabled(true);
                ShowBackgroundOf(ch, !p.Previewing);
            } else {
                p.Background->SetVisible(true);
            }
        } else {
            p.Panel->SetVisible(false);
        }
        p.StatusImage->SetVisible(ch < statusCount);
    }
    EnlargedPane = -1;
}

void TPreview::ApplyLayout(int first, int count, bool fullScreen) {
    const int board = host_.BoardChannelCount();
    const int channels = host_.ChannelCount();
    for (int ch = 0; ch < board; ++ch)
        savedPreviewing_[size_t(ch)] =
            Panes[size_t(ch)].Panel->Visible() && Panes[size_t(ch)].Previewing;
    for (int ch = 0; ch < board; ++ch)
        ClosePreview(ch, true);

    std::vector<PaneRect> rects(size_t(std::max(count, 1)));
    const int cells =
        count > 0 ? LayoutPanes(host_.CurrentVideoArea(), rects.data(), count - 1) : 0;
    std::vector<PaneRect>& stored = host_.PaneRects();
    for (int ch = 0; ch < first && ch < kLayoutChannels; ++ch) {
        Panes[size_t(ch)].Panel->SetVisible(false);
        Panes[size_t(ch)].Background->SetVisible(false);
    }
    for (int j = 0; j < count && first + j < kLayoutChannels; ++j) {
        const int ch = first + j;
        TPreviewPane& p = Panes[size_t(ch)];
        if (size_t(ch) < stored.size()) stored[size_t(ch)] = rects[size_t(j)];
        p.Panel->SetBoundsRect(ToTRect(rects[size_t(j)]));
        ShowBackgroundOf(ch, !p.Previewing);
        p.Panel->SetVisible(true);
        p.State = fullScreen ? kPaneFullGrid : kPaneGrid;
    }
    if (fullScreen) {
        EdgeStrip->BringToFront();
        EdgeStrip->SetVisible(true);
    } else {
        EdgeStrip->SetVisible(false);
    }
    const int lastRect = std::min<int>(int(stored.size()), kLayoutChannels);
    for (int ch = first + count; ch < lastRect; ++ch)
        Panes[size_t(ch)].Panel->SetVisible(false);
    // Cells of the layout beyond the channels stay as empty panes.
    for (int ch = channels; ch < cells && ch < kLayoutChannels && size_t(ch) < stored.size();
         ++ch) {
        TPreviewPane& p = Panes[size_t(ch)];
        p.Panel->SetBoundsRect(ToTRect(stored[size_t(ch)]));
        p.Panel->SetVisible(true);
        p.Background->SetVisible(true);
    }
    ShowSelectionFrame(SelectedChannel, true);
    for (int ch = first; ch < first + count && ch < board; ++ch)
        if (savedPreviewing_[size_t(ch)]) {
            Panes[size_t(ch)].Previewing = 0;
            Open(ch);
        }
}

void TPreview::ShowLayout(int first, int count) {
    if (!host_.CheckRight(kRightSplit, -1)) return;
    if (count > int(host_.PaneRects().size())) return;
    const int32_t s = Panes[size_t(std::clamp(first, 0, kLayoutChannels - 1))].State;
    ApplyLayout(first, std::min(count, host_.ChannelCount()),
                s == kPaneFullGrid || s == kPaneFullEnlarged);
}

void TPreview::LayoutMenuClick(int n) {
    const int first = LayoutFirstChannel(SelectedChannel, n, host_.ChannelCount());
    EnlargedPane = -1;
    ShowLayout(first, n);
    LastLayoutCount = n;
}

void TPreview::ToggleFullScreen() {
    int firstVisible = -1;
    for (int ch = 0; ch < kLayoutChannels && firstVisible < 0; ++ch)
        if (Panes[size_t(ch)].Panel->Visible()) firstVisible = ch;
    const int32_t s = firstVisible < 0 ? kPaneGrid : Panes[size_t(firstVisible)].State;
    const bool leaving = s == kPaneFullGrid || s == kPaneFullEnlarged;
    host_.CurrentVideoArea() = leaving ? kVideoArea : kFullScreenArea;
    host_.UpdateChannelLayout();
    Backdrop->SetVisible(!leaving);
    if (!leaving) Backdrop->BringToFront();
    for (auto& p : Panes)
        if (!leaving) p.Panel->BringToFront();
    ApplyLayout(0, host_.ChannelCount(), !leaving);
    EnlargedPane = -1;
}

void TPreview::SelectPane(int channel) {
    SelectedChannel = channel;
    ::SendMessageW(main_->Handle(), WM_PANECOLOR, WPARAM(channel), 0);
    if (PtzSpeedWindow) ::PostMessageW(PtzSpeedWindow, WM_PTZCHANNEL, WPARAM(channel), 0);
}

void TPreview::ShowSelectionFrame(int channel, bool visible) {
    if (channel < 0 || channel >= kLayoutChannels) return;
    TPanel* pane = Panes[size_t(channel)].Panel;
    const int w = pane->Width(), h = pane->Height();
    const TRect edges[4] = {{0, 0, 1, h}, {0, 0, w, 1}, {w - 1, 0, w, h}, {0, h - 1, w, h}};
    for (int i = 0; i < 4; ++i) {
        Frame[size_t(i)]->SetParent(pane);
        Frame[size_t(i)]->SetBoundsRect(edges[i]);
        Frame[size_t(i)]->SetVisible(visible && pane->Visible());
        Frame[size_t(i)]->BringToFront();
    }
}

void TPreview::ApplyPaneState(int channel, int32_t state) {
    TPreviewPane& p = Panes[size_t(channel)];
    p.State = state;
    if (state == kPaneGrid || state == kPaneFullGrid) {
        const auto& rects = host_.PaneRects();
        if (size_t(channel) < rects.size()) p.Panel->SetBoundsRect(ToTRect(rects[size_t(channel)]));
        p.Panel->BringToFront();
        EnlargedPane = -1;
    } else {
        p.Panel->SetBoundsRect(ToTRect(state == kPaneEnlarged ? kVideoArea : kFullScreenArea));
        p.Panel->BringToFront();
        EnlargedPane = channel;
    }
    if (channel < host_.BoardChannelCount()) RestartBoardPreviews();
}

void TPreview::RestartBoardPreviews() {
    const int board = host_.BoardChannelCount();
    if (EnlargedPane < 0) {
        if (SelectedChannel < board) host_.StopBoardPreview(SelectedChannel);
        for (int ch = 0; ch < board; ++ch)
            if (Panes[size_t(ch)].Previewing) {
                Panes[size_t(ch)].Previewing = 0;
                Open(ch);
            }
        return;
    }
    for (int ch = 0; ch < board; ++ch)
        host_.StopBoardPreview(ch);
    TPreviewPane& e = Panes[size_t(EnlargedPane)];
    if (e.Previewing && EnlargedPane < board) {
        e.Previewing = 0;
        Open(EnlargedPane);
    }
}

void TPreview::PaneDblClick(int channel) {
    if (CycleMode) return;
    const int32_t s = Panes[size_t(channel)].State;
    const int32_t next = s == kPaneGrid       ? kPaneEnlarged
                         : s == kPaneEnlarged ? kPaneGrid
                         : s == kPaneFullGrid ? kPaneFullEnlarged
                                              : kPaneFullGrid;
    ApplyPaneState(channel, next);
    ShowSelectionFrame(channel, next == kPaneGrid || next == kPaneFullGrid);
}

void TPreview::ShowStatusImages() {
    for (int ch = 0; ch < kLayoutChannels; ++ch)
        Panes[size_t(ch)].StatusImage->SetVisible(ch < host_.ChannelCount());
}

void TPreview::HideStatusImages() {
    for (auto& p : Panes)
        p.StatusImage->SetVisible(false);
}

void TPreview::PrepareLayoutMenu() {
    const int rects = int(host_.PaneRects().size());
    auto prepare = [&](TMenuItem* parent) {
        for (int i = 0; i < parent->Count(); ++i) {
            TMenuItem* item = parent->Items(i);
            item->SetEnabled(LayoutItemEnabled(item->Tag(), rects));
            item->SetChecked(item->Tag() == LastLayoutCount);
        }
    };
    prepare(LayoutMenu->Items());
    prepare(paneMenu_->Items()->Items(1));
}

void TPreview::PaneClick(TObject* sender) {
    const int ch = static_cast<TControl*>(sender)->Tag();
    if (ch != SelectedChannel && Listening) {
        StopListen(SelectedChannel);
        StartListen(ch);
    }
    SelectPane(ch);
    const int32_t s = Panes[size_t(ch)].State;
    ShowSelectionFrame(ch, s == kPaneGrid || s == kPaneFullGrid);
}

void TPreview::PaneDblClickEvent(TObject* sender) {
    // The PTZ mouse mode takes the double click.
    if (PtzMode()) return;
    PaneDblClick(static_cast<TControl*>(sender)->Tag());
}

bool TPreview::NetworkPane(int channel) {
    return NetPanes && channel >= host_.BoardChannelCount() && channel < kLayoutChannels;
}

void TPreview::PaneMouseDown(TObject* sender, TMouseButton button, TShiftState, int x, int y) {
    const int ch = static_cast<TControl*>(sender)->Tag();
    if (PtzMode())
        PtzMouse->MouseDown(ch, button);
    else if (NetworkPane(ch))
        NetPanes->MouseDown(ch, button, x, y);
}

void TPreview::PaneMouseMove(TObject* sender, TShiftState shift, int x, int y) {
    auto* pane = static_cast<TControl*>(sender);
    const int ch = pane->Tag();
    if (PtzMode())
        PtzMouse->MouseMove(ch, shift, x, y, pane->Width(), pane->Height());
    else if (NetworkPane(ch))
        NetPanes->MouseMove(ch, shift, x, y);
}

void TPreview::PaneMouseLeave(TObject*) {
    if (PtzMode()) PtzMouse->MouseLeave();
}

void TPreview::PaneMouseUp(TObject* sender, TMouseButton button, TShiftState, int x, int y) {
    const int ch = static_cast<TControl*>(sender)->Tag();
    if (PtzMode() && PtzMouse->MouseUp(ch, button)) return;
    if (NetworkPane(ch)) {
        NetPanes->MouseUp(ch, button, x, y);
        return;
    }
    if (button != TMouseButton::mbRight) return;
    paneMenu_->SetTag(static_cast<TControl*>(sender)->Tag());
    PrepareLayoutMenu();
    POINT pt{};
    ::GetCursorPos(&pt);
    paneMenu_->Popup(pt.x, pt.y);
}

void TPreview::StatusClick(TObject* sender) {
    const int ch = static_cast<TControl*>(sender)->Tag();
    const TPreviewPane& p = Panes[size_t(ch)];
    host_.StatusImageClick(ch, !p.Previewing && !p.Playing);
}

void TPreview::LayoutItemClick(TObject* sender) {
    LayoutMenuClick(static_cast<TMenuItem*>(sender)->Tag());
}

void TPreview::FullScreenItemClick(TObject*) {
    ToggleFullScreen();
}

} // namespace vantrel
