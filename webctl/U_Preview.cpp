#include "webctl/U_Preview.h"

#include "common/win/textconv.h"
#include "webctl/U_Capture.h"
#include "webctl/U_FaceLayout.h"
#include "webctl/U_NetChannels.h"
#include "webctl/U_SystemInfo.h"
#include "webctl/VantrelIE_QZForm.h"

#include <algorithm>
#include <string>

#include "host/engine/U_NetClientSet.h"
#include "host/net/U_LiveProtocol.h"
#include "host/ui/U_PictureFile.h"

#include <windows.h>

namespace vantrel::webctl {

using namespace dvr::fw;

namespace {

constexpr TColor kFrameColor = 0x0000FF; // red
constexpr TColor kPaneLiveColor = 0x0000A000; // green: the channel plays
constexpr TColor kBackdropColor = 15780518;

void Place(TPanel* window, const PaneRect& r) {
    window->SetBounds(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
}

} // namespace

void TPaneBackground::Paint() {
    if (picture_ && !picture_->Empty()) Canvas()->StretchDraw(ClientRect(), picture_);
}

TPreview::TPreview(TVantrelIE_QZ& form) : form_(form) {
    const std::wstring folder = dvr::win::GbkToWide(kControlProgramPath);
    HBITMAP picture = LoadPictureFile(folder + L"BG.BMP");
    if (!picture) picture = LoadPictureFile(folder + L"BG.JPG");
    if (picture) backgroundPicture_.SetHandle(picture);
    for (int i = 0; i < kPaneCount; ++i) {
        TPreviewPane& pane = Panes[i];
        pane.Channel = i;
        pane.Window = new TPanel(&form);
        pane.Window->SetParent(&form);
        pane.Window->SetTag(i);
        pane.Window->SetColor(clBlack);
        pane.Window->SetBevelOuter(TBevelCut::bvNone);
        pane.Window->SetCaption("");
        pane.Window->SetVisible(false);
        pane.Window->OnClick = TNotifyEvent(this, &TPreview::PaneClick);
        pane.Window->OnDblClick = TNotifyEvent(this, &TPreview::PaneDblClick);
        pane.Window->OnMouseDown = TMouseEvent(this, &TPreview::PaneMouseDown);
        pane.Window->OnMouseMove = TMouseMoveEvent(this, &TPreview::PaneMouseMove);
        pane.Window->OnMouseUp = TMouseEvent(this, &TPreview::PaneMouseUp);
        pane.Background = new TPaneBackground(&form, &backgroundPicture_);
        pane.Background->SetParent(pane.Window);
        pane.Background->SetAlign(TAlign::alClient);
        pane.Background->SetTag(i);
        pane.Background->SetVisible(false);
        // Clicks on the picture are the pane's.
        pane.Background->OnClick = TNotifyEvent(this, &TPreview::PaneClick);
        pane.Background->OnDblClick = TNotifyEvent(this, &TPreview::PaneDblClick);
        pane.Background->OnMouseDown = TMouseEvent(this, &TPreview::PaneMouseDown);
        pane.Background->OnMouseUp = TMouseEvent(this, &TPreview::PaneMouseUp);
        pane.DetectLabel = new TPanel(&form);
        pane.DetectLabel->SetParent(pane.Window);
        pane.DetectLabel->SetBounds(3, 3, 16, 16);
        pane.DetectLabel->SetColor(clBlack);
        pane.DetectLabel->SetBevelOuter(TBevelCut::bvNone);
        pane.DetectLabel->SetCaption("");
        pane.DetectLabel->SetVisible(false);
    }
    for (size_t i = 0; i < kSplitCounts.size(); ++i) {
        auto* item = new TMenuItem(&form);
        item->SetCaption(std::to_string(kSplitCounts[i]) + dvr::win::Utf8ToGbk(" 画面"));
        item->SetTag(kSplitCounts[i]);
        item->SetRadioItem(true);
        item->OnClick = TNotifyEvent(this, &TPreview::LayoutMenuClick);
        splitItems_[i] = item;
    }
    Images = new TStatusImages(&form, kPreviewHeaderTop + kHeaderHeight,
                               TNotifyEvent(this, &TPreview::StatusImageClick), kPaneLiveColor);
    // Behind the grid while it covers the whole face.
    Backdrop = new TPanel(&form);
    Backdrop->SetParent(&form);
    Backdrop->SetBounds(0, 0, 1024, 768);
    Backdrop->SetColor(kBackdropColor);
    Backdrop->SetBevelOuter(TBevelCut::bvNone);
    Backdrop->SetCaption("");
    Backdrop->SetVisible(false);
    BuildPaneMenu();
    for (TPanel*& edge : frame_) {
        edge = new TPanel(&form);
        edge->SetParent(&form);
        edge->SetColor(kFrameColor);
        edge->SetBevelOuter(TBevelCut::bvNone);
        edge->SetCaption("");
        edge->SetVisible(false);
    }
}

void TPreview::PlacePanes(int channelCount, const std::vector<PaneRect>& rects,
                          const PaneRect& area) {
    PaneRects = rects;
    VideoArea = area;
    ChannelCount = channelCount;
    for (size_t i = 0; i < rects.size() && i < cells_.size(); ++i)
        cells_[i] = rects[i];
    SplitCount = static_cast<int>(rects.size());
    EnlargedPane = -1;
    if (SelectedPane >= channelCount) SelectedPane = 0;
    for (int i = 0; i < kPaneCount; ++i) {
        TPreviewPane& pane = Panes[i];
        if (i < static_cast<int>(rects.size())) {
            pane.State = kPaneGrid;
            Place(pane.Window, rects[i]);
            ShowBackgroundOf(i, !pane.Net.Previewing);
            pane.Window->SetVisible(true);
            // Above the video area's backdrop, whatever order the windows were made in.
            if (HWND w = pane.Window->WindowHandle())
                ::SetWindowPos(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        } else {
            pane.Window->SetVisible(false);
        }
    }
    ShowSelectionFrame(SelectedPane, channelCount > 0);
}

void TPreview::SelectPane(int channel) {
    if (channel < 0 || channel >= kPaneCount) return;
    SelectedPane = channel;
    // The picture sliders show the pane's values.
    form_.ShowPaneColor(channel);
}

void TPreview::ShowSelectionFrame(int channel, bool visible) {
    if (channel < 0 || channel >= kPaneCount) return;
    TPanel* pane = Panes[channel].Window;
    const int w = pane->Width(), h = pane->Height();
    const int x = pane->Left(), y = pane->Top();
    frame_[0]->SetBounds(x, y, 1, h);
    frame_[1]->SetBounds(x, y, w, 1);
    frame_[2]->SetBounds(x + w - 1, y, 1, h);
    frame_[3]->SetBounds(x, y + h - 1, w, 1);
    for (TPanel* edge : frame_) {
        edge->SetVisible(visible);
        if (visible)
            if (HWND e = edge->WindowHandle())
                ::SetWindowPos(e, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

void TPreview::SetPaneState(int channel, int state) {
    if (channel < 0 || channel >= kPaneCount) return;
    TPreviewPane& pane = Panes[channel];
    if (state == kPaneGrid || state == kPaneGridFull) {
        Place(pane.Window, cells_[size_t(channel)]);
        EnlargedPane = -1;
    } else if (state == kPaneEnlarged) {
        Place(pane.Window, VideoArea);
        EnlargedPane = channel;
    } else if (state == kPaneEnlargedFull) {
        Place(pane.Window, PaneRect{0, 0, 896, 644});
        EnlargedPane = channel;
    } else {
        return;
    }
    pane.State = state;
    if (HWND w = pane.Window->WindowHandle())
        ::SetWindowPos(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

TPreview::~TPreview() {
    delete Images;
}

void TPreview::ApplyLayout(int first, int count, bool fullFace) {
    std::vector<PaneRect> rects(size_t(std::max(count, 1)));
    const int c = count > 0 ? LayoutPanes(VideoArea, rects.data(), count - 1) : 0;
    if (c > count) {
        rects.resize(size_t(c));
        LayoutPanes(VideoArea, rects.data(), c - 1);
    }
    EnlargedPane = -1;
    for (int j = 0; j < kPaneCount; ++j) {
        TPreviewPane& pane = Panes[size_t(j)];
        const bool inLayout = j >= first && j < first + count && j - first < c;
        // The empty cells of a layout wider than the channels.
        const bool emptyCell = first == 0 && j >= ChannelCount && j < c;
        if (inLayout || emptyCell) {
            cells_[size_t(j)] = rects[size_t(inLayout ? j - first : j)];
            Place(pane.Window, cells_[size_t(j)]);
            pane.State = fullFace ? kPaneGridFull : kPaneGrid;
            ShowBackgroundOf(j, !pane.Net.Previewing);
            pane.Window->SetVisible(true);
            if (HWND w = pane.Window->WindowHandle())
                ::SetWindowPos(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        } else {
            pane.Window->SetVisible(false);
        }
    }
    ShowSelectionFrame(SelectedPane, Panes[size_t(SelectedPane)].Window->Visible());
}

void TPreview::ShowLayout(int first, int count) {
    if (static_cast<int>(PaneRects.size()) < count) return;
    const int state = Panes[size_t(std::clamp(first, 0, kPaneCount - 1))].State;
    ApplyLayout(first, std::min(ChannelCount, count),
                state == kPaneGridFull || state == kPaneEnlargedFull);
}

void TPreview::LayoutMenuClick(TObject* sender) {
    const int count = static_cast<TMenuItem*>(sender)->Tag();
    const int first = FirstChannelForSplit(SelectedPane, count, ChannelCount);
    EnlargedPane = -1;
    ShowLayout(first, count);
    SplitCount = count;
}

void TPreview::PaneClick(TObject* sender) {
    const int pane = static_cast<TPanel*>(sender)->Tag();
    if (pane != SelectedPane && Listening) {
        StopListen(SelectedPane);
        StartListen(pane);
    }
    SelectPane(pane);
    const int state = Panes[pane].State;
    ShowSelectionFrame(pane, state == kPaneGrid || state == kPaneGridFull);
}

void TPreview::PaneDblClick(TObject* sender) {
    if (CycleMode || PtzCursor > 0) return;
    const int pane = static_cast<TPanel*>(sender)->Tag();
    const int state = Panes[pane].State;
    const int next = state == kPaneGridFull       ? kPaneEnlargedFull
                     : state == kPaneEnlargedFull ? kPaneGridFull
                     : state == kPaneGrid         ? kPaneEnlarged
                                                  : kPaneGrid;
    SetPaneState(pane, next);
    ShowSelectionFrame(pane, next == kPaneGrid || next == kPaneGridFull);
}

int TPreview::OpenPreview(int channel) {
    if (channel < 0 || channel >= kPaneCount || !Channels) return -1;
    TPreviewPane& pane = Panes[size_t(channel)];
    if (pane.Net.Previewing) return 0;
    if (!pane.Window->Visible()) return -1;
    if (EnlargedPane >= 0 && (pane.State == kPaneGrid || pane.State == kPaneGridFull)) return -1;
    TNetClient& net = *Channels->Net;
    pane.Net.Control = pane.Window->WindowHandle();
    const bool recording = Capture && Capture->Slots[size_t(channel)].CaptureRunning;
    if (!recording) {
        net.OpenPreview(channel);
        return -1;
    }
    // The recording's connection is open already: the host is asked for a key picture on it
    // and the stream is shown from there.
    const TClientChannelRecord entry = net.SlotTable[size_t(channel)];
    const TNetClientSet& hosts = Channels->Hosts();
    if (entry.GroupIndex >= 0 && entry.GroupIndex < static_cast<int>(hosts.Groups.size())) {
        const TClientGroup& group = hosts.Groups[size_t(entry.GroupIndex)];
        const TChannelOpenRequest request =
            MakeChannelOpenRequest(group.HostAddress.View(), 0, Channels->OwnIP(),
                                   entry.RemoteChannel, "IFrame", "", "");
        net.Clients[size_t(channel)]->SendBuffer(&request, sizeof(request));
    }
    pane.Net.Previewing = true;
    return -1;
}

int TPreview::ClosePreview(int channel) {
    if (channel < 0 || channel >= ChannelCount || channel >= kPaneCount || !Channels) return -1;
    TPreviewPane& pane = Panes[size_t(channel)];
    if (!pane.Net.Previewing && !pane.Net.Playing) return 0;
    if (EnlargedPane >= 0 && EnlargedPane != channel &&
        (pane.State == kPaneGrid || pane.State == kPaneGridFull))
        return -1;
    Channels->Net->ClosePreview(channel);
    pane.Net.Previewing = false;
    pane.Net.Playing = false;
    ShowBackgroundOf(channel, true);
    Images->SetLive(channel, false);
    form_.AlarmImages->SetLive(channel, false);
    if (pane.DetectLabel) {
        pane.DetectLabel->SetCaption("");
        pane.DetectLabel->SetVisible(false);
    }
    pane.Window->Invalidate();
    return -1;
}

void TPreview::ShowPlaying(int channel) {
    if (channel < 0 || channel >= kPaneCount) return;
    ShowBackgroundOf(channel, false);
    Images->SetLive(channel, true);
    form_.AlarmImages->SetLive(channel, true);
}

bool TPreview::WantsBackground(int channel) const {
    if (channel >= ChannelCount) return true;
    return !form_.PreviewSet || form_.PreviewSet->Records[size_t(channel)].ShowBackground != 0;
}

void TPreview::ShowBackgroundOf(int channel, bool idle) {
    if (channel < 0 || channel >= kPaneCount) return;
    Panes[size_t(channel)].Background->SetVisible(idle && WantsBackground(channel));
}

} // namespace vantrel::webctl
