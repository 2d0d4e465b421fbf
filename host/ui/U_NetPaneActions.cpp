#include "host/ui/U_NetPaneActions.h"

#include "host/engine/U_DiskAccess.h"
#include "host/ui/F_RegionZoomForm.h"
#include "host/ui/U_MPG4_REPLAY_API.h"
#include "host/ui/U_PreviewLayout.h"

#include "common/win/handles.h"
#include "common/win/textconv.h"

#include <algorithm>
#include <cmath>

namespace vantrel {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

PaneRect DragSelection(int anchorX, int anchorY, int x, int y, int width, int height) {
    x = std::clamp(x, 0, std::max(width, 0));
    y = std::clamp(y, 0, std::max(height, 0));
    return {std::min(anchorX, x), std::min(anchorY, y), std::max(anchorX, x),
            std::max(anchorY, y)};
}

PaneRect PaneToPicture(const PaneRect& r, int width, int height) {
    if (width <= 0 || height <= 0) return {0, 0, 352, 288};
    auto scale = [](int v, int picture, int pane) {
        return int(std::lround(double(v) * picture / pane));
    };
    return {scale(r.Left, 352, width), scale(r.Top, 288, height), scale(r.Right, 352, width),
            scale(r.Bottom, 288, height)};
}

TNetPaneActions::TNetPaneActions(TWinControl* mainWindow, TNetPaneHost& host)
    : main_(mainWindow), host_(host) {
    NetPaneMenu = new TPopupMenu(main_);
    BuildNetworkPaneMenu();
}

TNetPaneActions::~TNetPaneActions() {
    FreeZoom();
}

void TNetPaneActions::FreeZoom() {
    if (!zoom_) return;
    zoom_->Free();
    zoom_ = nullptr;
}

void TNetPaneActions::BuildNetworkPaneMenu() {
    TMenuItem* root = NetPaneMenu->Items();
    root->Clear();
    entries_.clear();
    auto add = [&](TMenuItem* parent, const std::string& caption, int tag,
                   void (TNetPaneActions::*click)(TObject*)) {
        auto* item = new TMenuItem(NetPaneMenu);
        item->SetCaption(caption);
        item->SetTag(tag);
        if (click) item->OnClick = TNotifyEvent(this, click);
        parent->Add(item);
        return item;
    };
    add(root, Utf8ToGbk("全屏切换"), 0, &TNetPaneActions::FullScreenClick);
    add(root, Utf8ToGbk("局部放大"), 0, &TNetPaneActions::ZoomClick);
    mute_ = add(root, Utf8ToGbk("报警静音"), 0, &TNetPaneActions::MuteClick);
    add(root, "-", 0, nullptr);
    TMenuItem* split = add(root, Utf8ToGbk("画面分割"), 0, nullptr);
    for (int n : kLayoutCounts) {
        TMenuItem* item =
            add(split, std::to_string(n) + " " + Utf8ToGbk("画面"), n, &TNetPaneActions::LayoutClick);
        item->SetRadioItem(true);
    }
    add(root, "-", 0, nullptr);
    const std::vector<TNetPaneGroup> groups = host_.Groups();
    TMenuItem* switchTo = add(root, Utf8ToGbk("切换到组"), 0, nullptr);
    for (size_t g = 0; g < groups.size(); ++g)
        add(switchTo, groups[g].Name, int(g), &TNetPaneActions::GroupItemClick);
    add(root, "-", 0, nullptr);
    for (size_t g = 0; g < groups.size(); ++g)
        if (groups[g].Parent < 0) AddGroupMenu(root, groups, int(g));
}

void TNetPaneActions::AddGroupMenu(TMenuItem* parent, const std::vector<TNetPaneGroup>& groups,
                                   int group) {
    auto* item = new TMenuItem(NetPaneMenu);
    item->SetCaption(groups[size_t(group)].Name);
    item->SetTag(0);
    parent->Add(item);
    for (const TClientChannelRecord& c : groups[size_t(group)].Channels) {
        entries_.push_back(c);
        auto* channel = new TMenuItem(NetPaneMenu);
        channel->SetCaption(std::string(c.Name.View()));
        // The tag designates the entry; group items keep 0.
        channel->SetTag(int(entries_.size()));
        channel->OnClick = TNotifyEvent(this, &TNetPaneActions::ChannelItemClick);
        item->Add(channel);
    }
    for (size_t g = 0; g < groups.size(); ++g)
        // A group that names itself as its parent would recurse for ever.
        if (groups[g].Parent == group && int(g) != group) AddGroupMenu(item, groups, int(g));
}

void TNetPaneActions::ChannelItemClick(TObject* sender) {
    const int tag = static_cast<TMenuItem*>(sender)->Tag();
    if (tag < 1 || tag > int(entries_.size()) || menuPane_ < 0) return;
    AssignNetworkChannel(menuPane_, entries_[size_t(tag - 1)]);
}

void TNetPaneActions::AssignNetworkChannel(int pane, const TClientChannelRecord& entry) {
    const int slot = pane - host_.BoardChannelCount();
    if (slot < 0) return;
    if (host_.PanePreviewing(pane)) {
        host_.ClosePreview(pane);
        host_.StopNetworkRecording(pane);
    }
    host_.Pause(50);
    host_.SetSlotChannel(slot, entry);
    host_.RequestOpenPreview(pane);
}

void TNetPaneActions::GroupItemClick(TObject* sender) {
    SwitchToGroup(static_cast<TMenuItem*>(sender)->Tag());
}

void TNetPaneActions::SwitchToGroup(int group) {
    host_.SwitchToGroup(group);
}

void TNetPaneActions::FullScreenClick(TObject*) {
    host_.ToggleFullScreen();
}

void TNetPaneActions::LayoutClick(TObject* sender) {
    host_.ChooseLayout(static_cast<TMenuItem*>(sender)->Tag());
}

void TNetPaneActions::MuteClick(TObject*) {
    const bool muted = !host_.AlarmMuted();
    host_.SetAlarmMuted(muted);
    mute_->SetChecked(muted);
}

void TNetPaneActions::ZoomClick(TObject*) {
    if (menuPane_ >= 0) RegionZoom(menuPane_);
}

void TNetPaneActions::RegionZoom(int pane) {
    if (!host_.PanePlaying(pane)) return;
    FreeZoom();
    zoom_ = new TRegionZoomForm(nullptr, host_.Title(), host_.ZoomRecordings(), host_.Player());
    const int board = host_.BoardChannelCount();
    zoom_->BoardChannelCount = [board] { return board; };
    const PaneRect whole{0, 0, 352, 288};
    const int port = pane - board;
    ReplayApiLocalZoom(host_.Player(), port, whole, nullptr);
    zoom_->ShowZoom(port, whole);
}

bool TNetPaneActions::Selecting(int channel) {
    return zoom_ && zoom_->Visible() && host_.PanePlaying(channel);
}

void TNetPaneActions::DrawSelection(int channel) {
    HWND pane = host_.PaneWindow(channel);
    if (!pane) return;
    dvr::win::WindowDc dc(pane);
    const RECT r{selection_.Left, selection_.Top, selection_.Right, selection_.Bottom};
    ::DrawFocusRect(dc.get(), &r);
}

void TNetPaneActions::MouseDown(int channel, TMouseButton button, int x, int y) {
    if (button != TMouseButton::mbLeft || !Selecting(channel)) return;
    anchorX_ = x;
    anchorY_ = y;
    selection_ = {x, y, x, y};
    drawn_ = false;
}

void TNetPaneActions::MouseMove(int channel, TShiftState shift, int x, int y) {
    if (!shift.Contains(TShiftStateItem::ssLeft) || !Selecting(channel)) return;
    RECT client{};
    ::GetClientRect(host_.PaneWindow(channel), &client);
    // Drawn twice with the exclusive-or rectangle, the old one is gone.
    if (drawn_) DrawSelection(channel);
    selection_ = DragSelection(anchorX_, anchorY_, x, y, client.right, client.bottom);
    DrawSelection(channel);
    drawn_ = true;
}

void TNetPaneActions::MouseUp(int channel, TMouseButton button, int x, int y) {
    if (Selecting(channel)) {
        if (drawn_) DrawSelection(channel);
        drawn_ = false;
        zoom_->EndZoom();
        RECT client{};
        ::GetClientRect(host_.PaneWindow(channel), &client);
        const PaneRect pane = DragSelection(selection_.Left, selection_.Top, selection_.Right,
                                            selection_.Bottom, client.right, client.bottom);
        const PaneRect picture = PaneToPicture(pane, client.right, client.bottom);
        const int port = channel - host_.BoardChannelCount();
        ReplayApiLocalZoom(host_.Player(), port, picture, nullptr);
        zoom_->State.ZoomPort = port;
        zoom_->State.ZoomPictureRect = picture;
    }
    if (button != TMouseButton::mbRight) return;
    menuPane_ = channel;
    mute_->SetChecked(host_.AlarmMuted());
    POINT pt{x, y};
    if (HWND pane = host_.PaneWindow(channel)) ::ClientToScreen(pane, &pt);
    NetPaneMenu->Popup(pt.x, pt.y);
}

std::string TNetPaneActions::SnapshotNetworkPane(int channel) {
    HWND pane = host_.PaneWindow(channel);
    if (!pane || channel < host_.BoardChannelCount()) return {};
    host_.ShowSelectionFrame(channel, false);
    ::UpdateWindow(main_->WindowHandle());
    RECT client{};
    ::GetClientRect(pane, &client);
    const int width = std::max<int>(client.right, 1), height = std::max<int>(client.bottom, 1);
    POINT origin{0, 0};
    ::ClientToScreen(pane, &origin);
    dvr::win::WindowDc screen(nullptr);
    dvr::win::MemoryDc memory(::CreateCompatibleDC(screen.get()));
    dvr::win::Bitmap bitmap(::CreateCompatibleBitmap(screen.get(), width, height));
    {
        dvr::win::SelectObjectScope select(memory.get(), bitmap.get());
        ::BitBlt(memory.get(), 0, 0, width, height, screen.get(), origin.x, origin.y, SRCCOPY);
    }
    const std::string name = host_.SnapshotFileName(channel);
    if (name.empty()) {
        host_.ShowSelectionFrame(channel, true);
        return {};
    }
    const size_t slash = name.rfind('\\');
    if (slash != std::string::npos) ForceDirectories(name.substr(0, slash + 1));
    const bool saved = SaveBitmapFile(bitmap.get(), width, height, name);
    host_.ShowSelectionFrame(channel, true);
    if (!saved) return {};
    // The day folder behind the drive and "DVRDat".
    host_.AddSnapshotFile(name.size() >= 18 ? name.substr(10, 8) : std::string(), channel, name);
    return name;
}

} // namespace vantrel
