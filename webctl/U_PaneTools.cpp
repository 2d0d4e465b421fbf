// The pane grid's tools: the pane menu, full-face mode, region zoom with its rubber band,
// PTZ by mouse on a pane, listening, the preview page's status pictures and the picture
// values sent to the channel's host.
#include "webctl/U_Preview.h"

#include "common/win/textconv.h"
#include "host/engine/U_NetClientSet.h"
#include "host/net/U_UDPMessages.h"
#include "host/ui/F_RegionZoomForm.h"
#include "host/ui/U_MPG4_REPLAY_API.h"
#include "webctl/U_Capture.h"
#include "webctl/U_FaceLayout.h"
#include "webctl/U_NetChannels.h"
#include "webctl/U_SystemInfo.h"
#include "webctl/U_YunTai.h"
#include "webctl/VantrelIE_QZForm.h"

#include <windows.h>

#include <algorithm>
#include <string>

namespace vantrel::webctl {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

namespace {

// Group nesting deeper than this in the stored host list is a loop, not a tree.
constexpr int kMaxGroupDepth = 16;

TMenuItem* AddPaneMenuItem(TComponent* owner, TMenuItem* parent, const std::string& gbk) {
    auto* item = new TMenuItem(owner);
    item->SetCaption(gbk);
    parent->Add(item);
    return item;
}

// Screen cursor of PTZ cursor number n: the region's direction, a hand while held.
// The control's own module: the PTZ cursors are its resources.
HMODULE ControlModule() {
    HMODULE m = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                             GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&ControlModule), &m);
    return m;
}

} // namespace

void TPreview::BuildPaneMenu() {
    if (!PaneMenu)
        PaneMenu = new TPopupMenu(&form_);
    else
        PaneMenu->Items()->Clear();
    TMenuItem* root = PaneMenu->Items();
    AddPaneMenuItem(&form_, root, Utf8ToGbk("全屏切换"))->OnClick =
        TNotifyEvent(this, &TPreview::FullFaceToggle);
    AddPaneMenuItem(&form_, root, Utf8ToGbk("局部放大"))->OnClick =
        TNotifyEvent(this, &TPreview::OpenRegionZoom);
    TMenuItem* mute = AddPaneMenuItem(&form_, root, Utf8ToGbk("报警静音"));
    mute->SetChecked(AlarmMuted);
    mute->OnClick = TNotifyEvent(this, &TPreview::AlarmMuteClick);
    AddPaneMenuItem(&form_, root, "-");
    TMenuItem* split = AddPaneMenuItem(&form_, root, Utf8ToGbk("画面分割"));
    for (size_t i = 0; i < kSplitCounts.size(); ++i) {
        auto* item = AddPaneMenuItem(&form_, split, splitItems_[i]->Caption());
        item->SetTag(kSplitCounts[i]);
        item->SetRadioItem(true);
        item->OnClick = TNotifyEvent(this, &TPreview::LayoutMenuClick);
    }
    AddPaneMenuItem(&form_, root, "-");
    TMenuItem* groups = AddPaneMenuItem(&form_, root, Utf8ToGbk("切换到组"));
    menuChannels_.clear();
    if (!Channels) return;
    const TNetClientSet& hosts = Channels->Hosts();
    for (size_t g = 0; g < hosts.GroupRecords.size(); ++g) {
        auto* item = AddPaneMenuItem(&form_, groups, std::string(hosts.GroupRecords[g].Name.View()));
        item->SetTag(static_cast<int>(g));
        item->OnClick = TNotifyEvent(this, &TPreview::GroupItemClick);
    }
    AddPaneMenuItem(&form_, root, "-");
    for (size_t g = 0; g < hosts.GroupRecords.size(); ++g) {
        if (hosts.GroupRecords[g].ParentId != 0) continue;
        auto* item = AddPaneMenuItem(&form_, root, std::string(hosts.GroupRecords[g].Name.View()));
        AddGroupItems(item, static_cast<int>(g), 0);
    }
}

void TPreview::AddGroupItems(TMenuItem* parent, int group, int depth) {
    const TNetClientSet& hosts = Channels->Hosts();
    if (depth > kMaxGroupDepth || group < 0 || group >= int(hosts.GroupRecords.size())) return;
    if (size_t(group) < hosts.GroupMembers.size())
        for (const TClientChannelRecord& member : hosts.GroupMembers[size_t(group)]) {
            auto* item = AddPaneMenuItem(&form_, parent, std::string(member.Name.View()));
            item->SetTag(static_cast<int>(menuChannels_.size()));
            item->OnClick = TNotifyEvent(this, &TPreview::ChannelItemClick);
            menuChannels_.push_back(member);
        }
    const int32_t id = hosts.GroupRecords[size_t(group)].OwnId;
    for (size_t g = 0; g < hosts.GroupRecords.size(); ++g) {
        if (hosts.GroupRecords[g].ParentId != id || int(g) == group) continue;
        auto* item = AddPaneMenuItem(&form_, parent, std::string(hosts.GroupRecords[g].Name.View()));
        AddGroupItems(item, static_cast<int>(g), depth + 1);
    }
}

void TPreview::AlarmMuteClick(TObject* sender) {
    auto* item = static_cast<TMenuItem*>(sender);
    AlarmMuted = !item->Checked();
    item->SetChecked(AlarmMuted);
    if (!Audio) return;
    if (AlarmMuted) {
        Audio->SetRemoteAlarm(false);
        Audio->Mute();
    } else {
        Audio->Unmute();
    }
}

void TPreview::GroupItemClick(TObject* sender) {
    if (Channels)
        Channels->CloseAll->CloseChannels(-1, true, true, true, true, false,
                                          static_cast<TMenuItem*>(sender)->Tag());
}

void TPreview::ChannelItemClick(TObject* sender) {
    const int pane = PaneMenu->Tag();
    const int index = static_cast<TMenuItem*>(sender)->Tag();
    if (!Channels || pane < 0 || pane >= kPaneCount || index < 0 ||
        index >= static_cast<int>(menuChannels_.size()))
        return;
    const TClientChannelRecord record = menuChannels_[size_t(index)];
    if (Panes[size_t(pane)].Net.Previewing) {
        ClosePreview(pane);
        if (Capture) Capture->StopChannel(pane, '+');
    }
    ::Sleep(50);
    TClientChannelRecord entry = record;
    // The slot's host index follows the record's group in the host list.
    const TNetClientSet& hosts = Channels->Hosts();
    for (size_t g = 0; g < hosts.GroupRecords.size(); ++g)
        if (hosts.GroupRecords[g].OwnId == record.GroupId) {
            entry.GroupIndex = static_cast<int32_t>(g);
            break;
        }
    Channels->Net->SlotTable[size_t(pane)] = entry;
    Channels->ForgetHead(pane);
    Channels->OpenAll->Request(pane, true, false, false);
}

bool TPreview::FullFace() const {
    for (const TPreviewPane& pane : Panes)
        if (pane.Window->Visible())
            return pane.State == kPaneGridFull || pane.State == kPaneEnlargedFull;
    return false;
}

void TPreview::FullFaceToggle(TObject*) {
    EnlargedPane = -1;
    const bool back = FullFace();
    const PaneRect area = back ? ControlVideoArea : ControlFaceArea;
    VideoArea = area;
    if (SystemInfo) {
        SystemInfo->VideoArea = area;
        SystemInfo->UpdateChannelLayout();
        PaneRects = SystemInfo->PaneRects;
    }
    Backdrop->SetVisible(!back);
    if (!back)
        if (HWND w = Backdrop->WindowHandle())
            ::SetWindowPos(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ApplyLayout(0, ChannelCount, !back);
}

void TPreview::OpenRegionZoom(TObject*) {
    const int pane = PaneMenu->Tag();
    if (pane < 0 || pane >= kPaneCount || !Panes[size_t(pane)].Net.Playing || !MakeZoomForm)
        return;
    if (ZoomForm) {
        ZoomForm->Close();
        ZoomForm->Free();
        ZoomForm = nullptr;
    }
    ZoomForm = MakeZoomForm();
    if (!ZoomForm) return;
    // The whole picture first; a band drawn on the pane then picks the part it shows.
    const PaneRect whole{0, 0, kZoomPictureWidth, kZoomPictureHeight};
    ReplayApiLocalZoom(StrovidReplayPlayer(), pane, whole, nullptr);
    ZoomForm->ShowZoom(pane, whole);
}

HCURSOR TPreview::PtzCursorHandle(int cursor) {
    if (cursor < 1 || cursor > 16) return nullptr;
    if (!ptzCursors_[size_t(cursor)]) {
        // Cursor k of the eight directions: "up" is 2k - 1, pressed "down" 2k.
        const int k = (cursor + 1) / 2;
        const std::wstring name =
            (cursor % 2 ? L"Cursor_Up_" : L"Cursor_Down_") + std::to_wstring(k);
        ptzCursors_[size_t(cursor)] = ::LoadCursorW(ControlModule(), name.c_str());
    }
    return ptzCursors_[size_t(cursor)];
}

void TPreview::ShowPtzCursor(int, int cursor) {
    PtzCursor = cursor;
    HCURSOR c = PtzCursorHandle(cursor);
    ::SetCursor(c ? c : ::LoadCursorW(nullptr, IDC_ARROW));
}

void TPreview::DrawBand(int pane) {
    HWND w = Panes[size_t(pane)].Window->WindowHandle();
    if (!w) return;
    const RECT r{std::min(ZoomRect.Left, ZoomRect.Right), std::min(ZoomRect.Top, ZoomRect.Bottom),
                 std::max(ZoomRect.Left, ZoomRect.Right), std::max(ZoomRect.Top, ZoomRect.Bottom)};
    if (HDC dc = ::GetDC(w)) {
        ::DrawFocusRect(dc, &r);
        ::ReleaseDC(w, dc);
    }
}

void TPreview::PaneMouseDown(TObject* sender, TMouseButton button, TShiftState, int x, int y) {
    const int pane = static_cast<TPanel*>(sender)->Tag();
    if (YunTai && YunTai->MousePtz) {
        if (PtzCursor < 1 || PtzCursor % 2 == 0) return;
        const int tag = PtzPanelButton(PtzCursor, button == TMouseButton::mbRight);
        ShowPtzCursor(pane, PtzCursor + 1);
        SelectPane(pane);
        if (tag >= 0) YunTai->Press(tag);
        return;
    }
    if (button == TMouseButton::mbLeft && Panes[size_t(pane)].Net.Playing && ZoomForm &&
        ZoomForm->State.Shown) {
        ZoomRect = PaneRect{x, y, x, y};
        Banding = true;
    }
}

void TPreview::PaneMouseMove(TObject* sender, TShiftState shift, int x, int y) {
    auto* window = static_cast<TPanel*>(sender);
    const int pane = window->Tag();
    if (YunTai && YunTai->MousePtz) {
        if (shift.Contains(TShiftStateItem::ssLeft) || shift.Contains(TShiftStateItem::ssRight))
            return;
        ShowPtzCursor(pane, PtzRegionCursor(x, y, window->Width(), window->Height()));
        return;
    }
    if (PtzCursor != 0) ShowPtzCursor(pane, 0);
    if (!Banding || !shift.Contains(TShiftStateItem::ssLeft)) return;
    DrawBand(pane);
    ZoomRect.Right = std::clamp(x, 0, window->Width());
    ZoomRect.Bottom = std::clamp(y, 0, window->Height());
    DrawBand(pane);
}

void TPreview::PaneMouseUp(TObject* sender, TMouseButton button, TShiftState, int x, int y) {
    auto* window = static_cast<TPanel*>(sender);
    const int pane = window->Tag();
    if (YunTai && YunTai->MousePtz) {
        if (PtzCursor < 1 || PtzCursor % 2 != 0) return;
        SelectPane(pane);
        ShowPtzCursor(pane, PtzCursor - 1);
        const int tag = PtzPanelButton(PtzCursor, button == TMouseButton::mbRight);
        if (tag >= 0) YunTai->Release(tag);
        return;
    }
    if (Banding && button == TMouseButton::mbLeft) {
        Banding = false;
        DrawBand(pane);
        if (Panes[size_t(pane)].Net.Playing && ZoomForm && ZoomForm->State.Shown) {
            ZoomRect.Right = x;
            ZoomRect.Bottom = y;
            ZoomForm->EndZoom();
            const PaneRect part = ScaleZoomBand(ZoomRect, window->Width(), window->Height());
            ReplayApiLocalZoom(StrovidReplayPlayer(), pane, part, nullptr);
            ZoomForm->ShowZoom(pane, part);
        }
    }
    if (button != TMouseButton::mbRight) return;
    TMenuItem* split = nullptr;
    for (int i = 0; i < PaneMenu->Items()->Count(); ++i)
        if (PaneMenu->Items()->Items(i)->Caption() == Utf8ToGbk("画面分割"))
            split = PaneMenu->Items()->Items(i);
    if (split)
        for (int i = 0; i < split->Count(); ++i) {
            TMenuItem* item = split->Items(i);
            item->SetEnabled(item->Tag() <= static_cast<int>(PaneRects.size()));
            item->SetChecked(item->Tag() == SplitCount);
        }
    PaneMenu->SetTag(pane);
    const TPoint at = window->ClientToScreen(TPoint{x, y});
    form_.LastPopup = PaneMenu;
    form_.LastPopupAt = at;
    PaneMenu->Popup(at.X, at.Y);
}

void TPreview::StatusImageClick(TObject* sender) {
    const int channel = static_cast<TPanel*>(sender)->Tag();
    if (CycleMode) {
        ::MessageBoxW(form_.Handle(), L"对不起，系统处于轮视模式中，操作无效！", L"", MB_OK);
        return;
    }
    if (!Channels || channel < 0 || channel >= kPaneCount) return;
    if (Channels->OpenAll->Busy || Channels->CloseAll->Busy) return;
    const TNetPane& net = Panes[size_t(channel)].Net;
    if (!net.Previewing && !net.Playing)
        Channels->OpenAll->Request(channel, true, false, false);
    else
        Channels->CloseAll->CloseChannels(channel, true, false, false, false, false, -1);
}

void TPreview::StartListen(int channel) {
    if (Channels && channel >= 0 && channel < kPaneCount) Channels->Net->PlaySound(channel);
}

void TPreview::StopListen(int) {
    if (Channels) Channels->Net->StopSound();
}

void TPreview::SetPictureParams(int channel, const TPictureParams& values) {
    if (!YunTai || !Channels || channel < 0 || channel >= kPaneCount) return;
    UdpMsgPictureParams m{};
    m.Channel = Channels->Net->SlotTable[size_t(channel)].RemoteChannel;
    m.Params = values;
    YunTai->SendToChannelHost(channel, &m, sizeof(m));
}

} // namespace vantrel::webctl
