#include "host/ui/F_RegionZoomForm.h"

#include "host/engine/U_DiskAccess.h"
#include "host/ui/U_MPG4_REPLAY_API.h"

#include "common/win/handles.h"
#include "common/win/textconv.h"

#include <algorithm>

namespace vantrel {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

TRegionZoomForm::TRegionZoomForm(TComponent* AOwner, const std::string& title, TReplayHost& host,
                                 TReplayPlayer& player)
    : TForm(AOwner), host_(host), player_(player) {
    SetCaption(title + "    " + Utf8ToGbk("局部放大"));
    SetFormStyle(TFormStyle::fsStayOnTop);
    SetBorderStyle(TFormBorderStyle::bsToolWindow);
    SetClientSize(360, 330);
    pn_ZoomPanel = new TPanel(this);
    pn_ZoomPanel->SetParent(this);
    pn_ZoomPanel->SetBounds(4, 4, 352, 288);
    pn_ZoomPanel->SetBevelOuter(TBevelCut::bvNone);
    bt_CaptureBMP = new TButton(this);
    bt_CaptureBMP->SetParent(this);
    bt_CaptureBMP->SetBounds(180, 298, 80, 26);
    bt_CaptureBMP->SetCaption(Utf8ToGbk("抓帧"));
    bt_Close = new TButton(this);
    bt_Close->SetParent(this);
    bt_Close->SetBounds(270, 298, 80, 26);
    bt_Close->SetCaption(Utf8ToGbk("关闭"));
    bt_CaptureBMP->OnClick = TNotifyEvent(this, &TRegionZoomForm::bt_CaptureBMPClick);
    bt_Close->OnClick = TNotifyEvent(this, &TRegionZoomForm::bt_CloseClick);
}

TRegionZoomForm::~TRegionZoomForm() {
    State.Shown = false;
}

void TRegionZoomForm::ShowZoom(int port, const PaneRect& pictureRect) {
    State.ZoomPort = port;
    State.ZoomPictureRect = pictureRect;
    State.Shown = true;
    Show();
}

void TRegionZoomForm::EndZoom() {
    ReplayApiLocalZoomB(player_, State.ZoomPort, State.ZoomPictureRect, nullptr);
}

void TRegionZoomForm::DoClose(TCloseAction& Action) {
    TForm::DoClose(Action);
    // A hidden zoom window makes the drag inactive and the whole picture comes back.
    State.Shown = false;
    EndZoom();
}

std::string TRegionZoomForm::CaptureBMP() {
#ifdef VANTREL_CONTROL_BUILD
    // The viewer control's panes are its channels, port for port.
    const int channel = State.ZoomPort;
#else
    const int channel = State.ZoomPort >= 49
                            ? State.ZoomPort - 49
                            : (BoardChannelCount ? BoardChannelCount() : 0) + State.ZoomPort;
#endif
    HWND h = pn_ZoomPanel->Handle();
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
    const std::string name = host_.MakeRecordingFileName(channel, 2);
    if (name.empty()) return {};
    const size_t slash = name.rfind('\\');
    if (slash != std::string::npos) ForceDirectories(name.substr(0, slash + 1));
    if (!SaveBitmapFile(bitmap.get(), width, height, name)) return {};
    const size_t top = name.find("\\DVRDat\\");
    const size_t at = top == std::string::npos ? 10 : top + 8;
    host_.AddFile(name.size() >= at + 8 ? name.substr(at, 8) : std::string(), channel, name);
    return name;
}

void TRegionZoomForm::bt_CaptureBMPClick(TObject*) {
    CaptureBMP();
}
void TRegionZoomForm::bt_CloseClick(TObject*) {
    Close();
}

} // namespace vantrel
