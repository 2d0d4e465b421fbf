#include "host/ui/U_Replay.h"

#include "host/engine/U_DiskAccess.h"
#include "host/ui/T_ThreadSearchCaptureFile.h"
#include "host/ui/U_MPG4_REPLAY_API.h"

#include "common/win/handles.h"
#include "common/win/textconv.h"
#include "framework/colors.h"

#include <algorithm>

namespace vantrel {

using namespace dvr::fw;

TReplay::TReplay(HWND owner, TWinControl* area, TReplayHost& host, TReplayPlayer& player)
    : Owner(owner), Area(area), host_(host), player_(player) {
    WindowStates.fill(kWindowNormal);
    for (int i = 0; i < kReplayPorts; ++i) {
        auto* w = new TPanel(nullptr);
        w->SetParent(area);
        w->SetTag(i);
        w->SetBevelOuter(TBevelCut::bvNone);
        w->SetBevelInner(TBevelCut::bvNone);
        w->SetBorderWidth(0);
        w->SetColor(clBlack);
        w->OnClick = TNotifyEvent(this, &TReplay::PaneClick);
        w->OnDblClick = TNotifyEvent(this, &TReplay::PaneDblClick);
        w->OnMouseDown = TMouseEvent(this, &TReplay::PaneMouseDown);
        w->OnMouseMove = TMouseMoveEvent(this, &TReplay::PaneMouseMove);
        w->OnMouseUp = TMouseEvent(this, &TReplay::PaneMouseUp);
        w->SetEnabled(false);
        w->SetVisible(false);
        Windows[i] = w;
    }
    for (auto*& edge : FrameEdges) {
        edge = new TPanel(nullptr);
        edge->SetVisible(false);
        edge->SetBevelOuter(TBevelCut::bvNone);
        edge->SetColor(clBlue);
        edge->SetBounds(0, 0, 1, 1);
    }
    ResetSearchRequest();
    if (area) AreaRect = {0, 0, area->ClientWidth(), area->ClientHeight()};
    SetLayout(1);
    search_ = new TThreadSearchCaptureFile(owner, *this);
    for (int p = 0; p < kReplayPorts; ++p)
        player_.SetEmptyFileRefCallBack(p);
}

TReplay::~TReplay() {
    // The search appends to the chains: it ends first.
    delete search_;
    for (auto& list : PlayLists)
        list.clear();
    CommonList.Clear();
    LockedList.Clear();
    SnapshotList.Clear();
    Days.clear();
    // The frame edges may sit on a window that goes with the area.
    for (auto* edge : FrameEdges) {
        edge->SetParent(nullptr);
        edge->Free();
    }
}

HWND TReplay::WindowHandle(int w) {
    return Windows[w]->Handle();
}

void TReplay::SetLayout(int count) {
    count = std::clamp(count, 1, kReplayPorts);
    PaneRect rects[kReplayPorts];
    LayoutPanes(AreaRect, rects, count - 1);
    for (int i = 0; i < count; ++i) {
        LayoutRects[i] = rects[i];
        TPanel* w = Windows[i];
        w->SetBounds(rects[i].Left, rects[i].Top, rects[i].Right - rects[i].Left,
                     rects[i].Bottom - rects[i].Top);
        w->SetEnabled(true);
        w->SetVisible(true);
        w->BringToFront();
    }
    for (int i = count; i < kReplayPorts; ++i) {
        Windows[i]->SetEnabled(false);
        Windows[i]->SetVisible(false);
    }
    if (Owner) ::PostMessageW(Owner, WM_REPLAYLAYOUT, 0, 0);
}

void TReplay::ShowSelectionFrame(int w, bool visible) {
    if (w < 0 || w >= kReplayPorts) return;
    TPanel* win = Windows[w];
    for (auto* edge : FrameEdges) {
        edge->SetParent(win);
        edge->SetVisible(visible);
    }
    const int width = win->Width(), height = win->Height();
    FrameEdges[0]->SetBounds(0, 0, 1, height);
    FrameEdges[1]->SetBounds(0, 0, width, 1);
    FrameEdges[2]->SetBounds(width - 1, 0, 1, height);
    FrameEdges[3]->SetBounds(0, height - 1, width, 1);
}

void TReplay::PaneClick(TObject* sender) {
    const int w = static_cast<TControl*>(sender)->Tag();
    CurrentWindow = w;
    RefreshPlay(w);
    ShowSelectionFrame(w, true);
    if (Playing[w] && SoundOn && w != SoundWindow) {
        StopSound();
        PlaySound(w);
    }
    ::PostMessageW(Owner, WM_REPLAYSELECT, static_cast<WPARAM>(w), 0);
}

void TReplay::PaneDblClick(TObject* sender) {
    ShowSelectionFrame(CurrentWindow, false);
    ToggleMaximise(static_cast<TControl*>(sender)->Tag());
}

void TReplay::ToggleMaximise(int w) {
    if (w < 0 || w >= kReplayPorts) return;
    TPanel* win = Windows[w];
    win->Repaint();
    LPARAM l;
    if (WindowStates[w] == kWindowNormal) {
        win->SetBounds(AreaRect.Left, AreaRect.Top, AreaRect.Right - AreaRect.Left,
                       AreaRect.Bottom - AreaRect.Top);
        win->BringToFront();
        WindowStates[w] = kWindowMaximised;
        MaximisedWindow = w;
        l = 100;
    } else {
        const PaneRect& r = LayoutRects[w];
        win->SetBounds(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
        win->BringToFront();
        WindowStates[w] = kWindowNormal;
        MaximisedWindow = -1;
        l = 1000;
    }
    ShowSelectionFrame(CurrentWindow, true);
    win->Repaint();
    ::PostMessageW(Owner, WM_REPLAYLAYOUT, 0, l);
}

bool TReplay::InWindowZoom(int w) const {
    return Zoom && Zoom->Shown && Playing[w];
}

void TReplay::PaneMouseDown(TObject* sender, TMouseButton button, TShiftState, int x, int y) {
    const int w = static_cast<TControl*>(sender)->Tag();
    if (!InWindowZoom(w) || button != TMouseButton::mbLeft) return;
    DragStart[0] = x;
    DragStart[1] = y;
    ZoomRect = {x, y, 0, 0};
}

void TReplay::PaneMouseMove(TObject* sender, TShiftState shift, int x, int y) {
    const int w = static_cast<TControl*>(sender)->Tag();
    if (!InWindowZoom(w) || !shift.Contains(TShiftStateItem::ssLeft)) return;
    TPanel* win = Windows[w];
    HWND h = win->WindowHandle();
    auto focus = [&](const PaneRect& r) {
        if (!h) return;
        dvr::win::WindowDc dc(h);
        RECT rc{r.Left, r.Top, r.Right, r.Bottom};
        ::DrawFocusRect(dc.get(), &rc);
    };
    focus(ZoomRect);
    ZoomRect = DragRect(DragStart[0], DragStart[1], x, y, win->Width(), win->Height());
    focus(ZoomRect);
}

void TReplay::PaneMouseUp(TObject* sender, TMouseButton button, TShiftState, int, int) {
    if (button == TMouseButton::mbRight) {
        ::PostMessageW(Owner, WM_REPLAYMENU, 0, 0);
        return;
    }
    const int w = static_cast<TControl*>(sender)->Tag();
    if (!InWindowZoom(w)) return;
    ReplayApiLocalZoomB(player_, Zoom->ZoomPort, Zoom->ZoomPictureRect, nullptr);
    const PaneRect mapped = ZoomToPicture(ZoomRect, Windows[w]->Width(), Windows[w]->Height());
    ReplayApiLocalZoom(player_, w, mapped, nullptr);
    Zoom->ZoomPort = w;
    Zoom->ZoomPictureRect = mapped;
}

int TReplay::RefreshPlay(int port) {
    return player_.RefreshPlay(port);
}

int TReplay::OpenFile(int port, const std::string& path) {
    if (!player_.OpenFile(port, path)) return -1;
    SetFileEndMsg(port, WM_REPLAYEND);
    return 0;
}

int TReplay::CloseFile(int port) {
    return player_.CloseFile(port) ? 0 : -1;
}

int TReplay::Play(int port) {
    player_.SetPicQuality(port, 1);
    if (!player_.Play(port, WindowHandle(port))) return -1;
    Playing[port] = true;
    Paused[port] = Stepping[port] = FastOn[port] = SlowOn[port] = false;
    Windows[port]->Refresh();
    SpeedStep = kSpeedNormal;
    return 0;
}

int TReplay::Stop(int port) {
    ClipMarks[port] = ClipMark{};
    if (!player_.Stop(port)) return -1;
    Playing[port] = Paused[port] = Stepping[port] = FastOn[port] = SlowOn[port] = false;
    SpeedStep = kSpeedNormal;
    if (port == SoundWindow && SoundOn) StopSound();
    return 0;
}

int TReplay::Pause(int port, bool pause) {
    if (!player_.Pause(port, pause ? 1 : 0)) return -1;
    Paused[port] = pause;
    return 0;
}

int TReplay::StepForward(int port) {
    if (!player_.OneByOne(port)) return -1;
    Stepping[port] = true;
    SpeedStep = kSpeedStepForward;
    return 0;
}

int TReplay::StepBackward(int port) {
    if (!player_.OneByOneBack(port)) return -1;
    Stepping[port] = true;
    SpeedStep = kSpeedStepBack;
    return 0;
}

int TReplay::Slow(int port) {
    if (!player_.Slow(port)) return -1;
    SlowOn[port] = true;
    SpeedStep = SpeedAfterSlow(SpeedStep);
    return 0;
}

int TReplay::Fast(int port) {
    if (!player_.Fast(port)) return -1;
    FastOn[port] = true;
    SpeedStep = SpeedAfterFast(SpeedStep);
    return 0;
}

int TReplay::SetPlayPos(int port, double fraction) {
    return player_.SetPlayPos(port, static_cast<float>(fraction)) ? 0 : -1;
}

double TReplay::GetPlayPos(int port) {
    return player_.GetPlayPos(port);
}

int TReplay::SetCurrentFrameNum(int port, unsigned frame) {
    return player_.SetCurrentFrameNum(port, frame) ? 0 : -1;
}

unsigned TReplay::GetFileTotalFrames(int port) {
    return player_.GetFileTotalFrames(port);
}
unsigned TReplay::GetPlayedTime(int port) {
    return player_.GetPlayedTime(port);
}
int TReplay::GetCurrentFrameNum(int port) {
    return player_.GetCurrentFrameNum(port);
}

int32_t TReplay::GetKeyFrameFilePos(int port) {
    uint32_t info[3] = {0, 0, 0};
    player_.GetKeyFramePos(port, static_cast<unsigned>(player_.GetCurrentFrameNum(port)), 1, info);
    return static_cast<int32_t>(info[2]);
}

int TReplay::PlaySound(int port) {
    if (!player_.PlaySound(port)) return -1;
    SoundOn = true;
    SetVolume(port, Volume);
    SoundWindow = port;
    return 0;
}

int TReplay::StopSound() {
    if (!player_.StopSound()) return -1;
    SoundOn = false;
    return 0;
}

int TReplay::SetVolume(int port, int volume) {
    if (!player_.SetVolume(port, volume)) return -1;
    Volume = volume;
    return 0;
}

int TReplay::SetFileEndMsg(int port, UINT message) {
    return player_.SetFileEndMsg(port, Owner, message) ? 0 : -1;
}

void TReplay::ClearFileLists() {
    CommonList.Clear();
    LockedList.Clear();
}

void TReplay::GetRecordingDays(std::vector<std::string>& days) {
    host_.ListDates(days);
}

std::vector<std::string> TReplay::ChannelCheckItems() {
    std::vector<std::string> items;
    const int n = std::min(host_.ChannelCount(), kIndexChannels);
    for (int ch = 0; ch < n; ++ch) {
        const std::string number = "00" + std::to_string(ch + 1);
        items.push_back(number.substr(number.size() - 2) + "  < " + host_.ChannelTitle(ch) + " >");
    }
    return items;
}

void TReplay::StartFileSearch(int kind) {
    search_->Start(Days, kind);
}

bool SaveBitmapFile(HBITMAP bitmap, int width, int height, const std::string& path) {
    const int stride = (width * 3 + 3) & ~3;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = static_cast<DWORD>(stride * height);
    std::vector<uint8_t> bits(info.bmiHeader.biSizeImage);
    {
        dvr::win::WindowDc screen(nullptr);
        if (!::GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(height), bits.data(), &info,
                         DIB_RGB_COLORS))
            return false;
    }
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    file.bfSize = file.bfOffBits + info.bmiHeader.biSizeImage;
    dvr::win::File out(::CreateFileW(dvr::win::GbkToWide(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out) return false;
    DWORD n = 0;
    bool ok = ::WriteFile(out.get(), &file, sizeof file, &n, nullptr) && n == sizeof file;
    ok = ok && ::WriteFile(out.get(), &info.bmiHeader, sizeof info.bmiHeader, &n, nullptr) &&
         n == sizeof info.bmiHeader;
    ok = ok && ::WriteFile(out.get(), bits.data(), static_cast<DWORD>(bits.size()), &n, nullptr) &&
         n == bits.size();
    if (!ok) {
        out.reset();
        ::DeleteFileW(dvr::win::GbkToWide(path).c_str());
    }
    return ok;
}

std::string TReplay::Snapshot() {
    const int w = CurrentWindow;
    ShowSelectionFrame(w, false);
    if (PlayLists[w].empty()) return {};
    const std::string source = PlayLists[w][0];
    ::RedrawWindow(Owner, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);

    HWND h = WindowHandle(w);
    RECT client{};
    ::GetClientRect(h, &client);
    POINT origin{0, 0};
    ::ClientToScreen(h, &origin);
    const int width = std::max<int>(client.right, 1), height = std::max<int>(client.bottom, 1);
    dvr::win::WindowDc screen(nullptr);
    dvr::win::MemoryDc memory(::CreateCompatibleDC(screen.get()));
    dvr::win::Bitmap bitmap(::CreateCompatibleBitmap(screen.get(), width, height));
    {
        dvr::win::SelectObjectScope select(memory.get(), bitmap.get());
        ::BitBlt(memory.get(), 0, 0, width, height, screen.get(), origin.x, origin.y, SRCCOPY);
    }

    // The recording's channel, not the window's: a name begins with the channel and "-".
    int channel = ChannelFromFileName(source);
    if (channel < 0) channel = 0;
    const std::string name = host_.MakeRecordingFileName(channel, 3);
    if (name.empty()) {
        ShowSelectionFrame(w, true);
        return {};
    }
    const size_t slash = name.rfind('\\');
    if (slash != std::string::npos) ForceDirectories(name.substr(0, slash + 1));
    const bool saved = SaveBitmapFile(bitmap.get(), width, height, name);
    ShowSelectionFrame(w, true);
    if (!saved) return {};
    // The day's folder behind "DVRDat" (characters 11 to 18 of a name on a drive's root).
    const size_t top = name.find("\\DVRDat\\");
    const size_t at = top == std::string::npos ? 10 : top + 8;
    host_.AddFile(name.size() >= at + 8 ? name.substr(at, 8) : std::string(), channel, name);
    return name;
}

} // namespace vantrel
