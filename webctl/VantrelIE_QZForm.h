// The control's face: a fixed 937 x 693 picture with the video area, the tool strip, the four
// sliding tool pages on the right, the PTZ cover, the clock and the popup menus. The form sits
// inside the container's window.
#pragma once

#include "framework/ui/extctrls.h"
#include "framework/ui/forms.h"
#include "framework/ui/menus.h"
#include "framework/ui/stdctrls.h"
#include "framework/ui/timer.h"
#include "webctl/U_ControlEvents.h"
#include "webctl/U_FaceLayout.h"
#include "webctl/U_Preview.h"
#include "webctl/U_StatusImages.h"

#include "host/engine/U_PreviewSet.h"

#include <array>
#include <functional>

namespace vantrel::webctl {

// Form messages of the control (WM_USER based).
constexpr UINT WM_PANECOLOR = WM_USER + 12;
constexpr UINT WM_REBUILDCHANNELMAP = WM_USER + 13;

constexpr int kFaceWidth = 937;
constexpr int kFaceHeight = 693;

class TVantrelIE_QZ : public dvr::fw::TForm {
public:
    explicit TVantrelIE_QZ(dvr::fw::TComponent* owner);
    ~TVantrelIE_QZ() override;

    // The grid's area (the panes lie on it) and the network channel count in force.
    dvr::fw::TPanel* pn_VideoArea = nullptr;
    int ChannelCount = 0;
    TPreview* Preview = nullptr;
    // The channels' picture values (owned by the control object).
    TPreviewSet* PreviewSet = nullptr;

    // The recording page's status pictures: red while the channel records; a click starts or
    // stops the recording. The preview page's row belongs to the pane grid, the alarm page's
    // row shows the channels' alarms (a click goes to AlarmImageClick).
    TStatusImages* CaptureImages = nullptr;
    TStatusImages* AlarmImages = nullptr;
    std::function<void(int)> AlarmImageClick;
    void ShowStatusPicture(int channel, bool recording);
    // The row of the page showing, for the channels in use.
    void ShowStatusImages(int channelCount);
    void StatusImageClick(dvr::fw::TObject* sender);

    // The sliders show the pane's picture values; panes beyond the channels are ignored.
    void ShowPaneColor(int pane);

    // The host list changed: the channel count and the layout chosen for it take the panes.
    void RebuildChannelMap(int channelCount, const std::vector<PaneRect>& rects);

    // Tool strip, Tag 1 to 7.
    dvr::fw::TPanel* im_SystemSet = nullptr;
    dvr::fw::TPanel* im_AutoWork = nullptr;
    dvr::fw::TPanel* im_Replay = nullptr;
    dvr::fw::TPanel* im_PreviewAudio = nullptr;
    dvr::fw::TPanel* im_CaptureBMP = nullptr;
    dvr::fw::TPanel* im_CycleVideo = nullptr;
    dvr::fw::TPanel* im_OtherFunction = nullptr;

    // Tool pages.
    dvr::fw::TPanel* im_PreviewBar = nullptr;
    dvr::fw::TPanel* im_CaptureBar = nullptr;
    dvr::fw::TPanel* im_AlarmBar = nullptr;
    dvr::fw::TPanel* im_PreviewParaBar = nullptr;
    dvr::fw::TPanel* im_OpenAll = nullptr;
    dvr::fw::TPanel* im_CloseAll = nullptr;
    dvr::fw::TPanel* im_SaveColor = nullptr;
    dvr::fw::TPanel* im_DefaultColor = nullptr;
    dvr::fw::TPanel* im_CopyColorToAll = nullptr;
    dvr::fw::TLabel* im_PreviewParaSign = nullptr;
    // Slider thumbs and bars: brightness, contrast, saturation, hue.
    std::array<dvr::fw::TPanel*, 4> Thumbs{};
    std::array<dvr::fw::TPanel*, 4> Bars{};
    std::array<dvr::fw::TLabel*, 4> SliderNames{};

    // PTZ panel under its cover.
    dvr::fw::TPanel* pn_YunTai = nullptr;
    dvr::fw::TPanel* im_YTCover = nullptr;
    dvr::fw::TPanel* im_YTUnconver = nullptr;
    dvr::fw::TPanel* im_YTRecover = nullptr;

    dvr::fw::TLabel* lb_Time = nullptr;
    dvr::fw::TLabel* lb_Week = nullptr;

    dvr::fw::TPopupMenu* pm_SystemSet = nullptr;
    dvr::fw::TPopupMenu* pm_Replay = nullptr;
    dvr::fw::TPopupMenu* pm_OtherFunction = nullptr;
    dvr::fw::TPopupMenu* pm_ClientSetGoups = nullptr;

    dvr::fw::TTimer* CurrentTimeTimer = nullptr;
    dvr::fw::TTimer* VideoCycleTimer = nullptr;

    PageHeaders Headers;
    dvr::fw::TPoint LastCursorPos{};

    // The form's activate, click, create, double-click, destroy, deactivate, key-press and
    // paint events are passed on to the container's sinks from now on.
    void InstallEventRelays(TControlEvents* events);

    void ShowPage(ToolPage page);
    void ShowPtzCover(bool covered);
    // Tool images show their down picture while pressed.
    static void ShowToolPicture(dvr::fw::TPanel* tool, bool down);
    void CurrentTimeTimerTimer(dvr::fw::TObject* sender);

    // The menu last popped and where, for whoever watches the face (tests, the event relays).
    // The windows the menus open, bound by the control object.
    std::function<void()> OnRemoteSettings;
    std::function<void()> OnLocalReplay;
    std::function<void()> OnRemoteReplay;
    std::function<void()> OnFileTransfer;
    std::function<void()> OnVoiceBroadcast;

    dvr::fw::TPopupMenu* LastPopup = nullptr;
    dvr::fw::TPoint LastPopupAt{};

protected:
    void Paint() override;

private:
    dvr::fw::TPanel* MakeTool(int tag, const char* caption, int left);
    dvr::fw::TPanel* MakeHeader(const char* caption, int top);
    dvr::fw::TPanel* MakeButton(int tag, const char* caption, int left, int top, int width);
    void BuildMenus();
    void PopupAt(dvr::fw::TPopupMenu* menu, dvr::fw::TPoint at);

    void ActivateRelay(dvr::fw::TObject*) { Relay(EventActivate); }
    void ClickRelay(dvr::fw::TObject*) { Relay(EventClick); }
    void CreateRelay(dvr::fw::TObject*) { Relay(EventCreate); }
    void DblClickRelay(dvr::fw::TObject*) { Relay(EventDblClick); }
    void DestroyRelay(dvr::fw::TObject*) { Relay(EventDestroy); }
    void DeactivateRelay(dvr::fw::TObject*) { Relay(EventDeactivate); }
    void PaintRelay(dvr::fw::TObject*) { Relay(EventPaint); }
    void KeyPressRelay(dvr::fw::TObject*, char& key);
    void Relay(DISPID event) {
        if (events_) events_->Fire(event);
    }
    TControlEvents* events_ = nullptr;

    void im_BrightMouseDown(dvr::fw::TObject* sender, dvr::fw::TMouseButton button,
                            dvr::fw::TShiftState shift, int x, int y);
    void im_BrightMouseMove(dvr::fw::TObject* sender, dvr::fw::TShiftState shift, int x, int y);
    void im_DefaultColorClick(dvr::fw::TObject* sender);
    void im_OpenAllClick(dvr::fw::TObject* sender);
    void im_CloseAllClick(dvr::fw::TObject* sender);

    void im_SystemSetMouseDown(dvr::fw::TObject* sender, dvr::fw::TMouseButton button,
                               dvr::fw::TShiftState shift, int x, int y);
    void im_SystemSetMouseUp(dvr::fw::TObject* sender, dvr::fw::TMouseButton button,
                             dvr::fw::TShiftState shift, int x, int y);
    void im_PreviewBarClick(dvr::fw::TObject* sender);
    void im_CaptureBarClick(dvr::fw::TObject* sender);
    void im_AlarmBarClick(dvr::fw::TObject* sender);
    void im_PreviewParaBarClick(dvr::fw::TObject* sender);
    void im_YTUnconverClick(dvr::fw::TObject* sender);
    void im_YTRecoverClick(dvr::fw::TObject* sender);
    void AlarmImageClicked(dvr::fw::TObject* sender);
    void N29Click(dvr::fw::TObject*) {
        if (OnRemoteSettings) OnRemoteSettings();
    }
    void N4Click(dvr::fw::TObject*) {
        if (OnRemoteReplay) OnRemoteReplay();
    }
    void N3Click(dvr::fw::TObject*) {
        if (OnLocalReplay) OnLocalReplay();
    }
    void N12Click(dvr::fw::TObject*) {
        if (OnVoiceBroadcast) OnVoiceBroadcast();
    }
    void N36Click(dvr::fw::TObject*) {
        if (OnFileTransfer) OnFileTransfer();
    }
};

} // namespace vantrel::webctl
