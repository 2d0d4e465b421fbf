#include "host/ui/U_HostAlarm.h"

#include "host/engine/U_WorkLogLine.h"
#include "host/ui/F_MainForm.h"
#include "host/ui/F_VideoAlarmAutoFullScreen.h"
#include "host/ui/U_HostObjects.h"

#include "common/win/textconv.h"

#include <algorithm>
#include <cmath>
#include <mutex>

namespace vantrel {

using namespace dvr::fw;

namespace {

const TAlarmSetRecord& HostAlarmRecord(const THost& host, int channel) {
    static const TAlarmSetRecord none{};
    if (!host.AlarmSet || channel < 0 || channel >= kSettingsChannels) return none;
    return host.AlarmSet->Records[size_t(channel)];
}

bool HostAlarmSlot(const THost& host, int channel) {
    return host.Capture && channel >= 0 && channel < kMaxBoardChannels;
}

void HostAlarmLog(THost& host, int event, int channel, int index) {
    if (!host.ThreadWriteLogRecord) return;
    host.ThreadWriteLogRecord->AddRecord(
        WorkLogLine(CurrentOleDate(), event, -1, channel, index, "", "", host.CurrentUser()));
}

bool HostAlarmArmed(const THost& host, int channel) {
    return host.Alarm && channel >= 0 && channel < kSettingsChannels && host.Alarm->Armed[channel];
}

bool HostAlarmAlarming(const THost& host, int channel) {
    return host.Alarm && channel >= 0 && channel < kSettingsChannels &&
           host.Alarm->Alarming[channel];
}

constexpr TColor kAlarmIdleColour = 0x606060;
constexpr TColor kAlarmArmedColour = 0x00C000;
constexpr TColor kAlarmAlarmingColour = 0x0000FF;

} // namespace

// ---- detection

int THostAlarmDetect::BoardChannelCount() const {
    return host_.BoardCount();
}

const TAlarmSetRecord& THostAlarmDetect::Record(int channel) const {
    return HostAlarmRecord(host_, channel);
}

bool THostAlarmDetect::MayDetect(int channel) {
    return host_.CheckRight(5, channel);
}

void THostAlarmDetect::SetupMotionDetection(int channel, const std::vector<MotionArea>& areas) {
    if (!host_.VideoCard) return;
    std::vector<MotionArea> copy = areas;
    host_.VideoCard->SetupMotionDetection(channel, copy.data(), int(copy.size()));
}

int THostAlarmDetect::StartMotionDetection(int channel) {
    return host_.VideoCard ? host_.VideoCard->StartMotionDetection(channel) : -1;
}

int THostAlarmDetect::StopMotionDetection(int channel) {
    return host_.VideoCard ? host_.VideoCard->StopMotionDetection(channel) : -1;
}

void THostAlarmDetect::MotionAnalyzer(int channel, const uint8_t* data, int, int sensitivity,
                                      int32_t results[kAlarmAreas]) {
    if (host_.VideoCard) host_.VideoCard->MotionAnalyzer(channel, data, sensitivity, results);
}

int THostAlarmDetect::GetVideoSignal(int channel) {
    return host_.VideoCard ? host_.VideoCard->GetVideoSignal(channel) : -1;
}

void THostAlarmDetect::ResumeProbePolling() {
    if (host_.ThreadHardAlarmIn) host_.ThreadHardAlarmIn->ResumePolling();
}

void THostAlarmDetect::SuspendProbePolling() {
    if (host_.ThreadHardAlarmIn) host_.ThreadHardAlarmIn->RequestSuspend();
}

void THostAlarmDetect::SwitchAlarmOutputs(int channel, int kindIndex, bool on) {
    if (host_.AlarmDevice) host_.AlarmDevice->SwitchAlarmOutputs(channel, kindIndex, on);
}

bool THostAlarmDetect::EncoderRunning(int channel) const {
    return HostAlarmSlot(host_, channel) && host_.Capture->Slots[size_t(channel)].CaptureRunning;
}

bool THostAlarmDetect::FileOpen(int channel) const {
    return HostAlarmSlot(host_, channel) && host_.Capture->Slots[size_t(channel)].FileOpen;
}

int THostAlarmDetect::RecordingType(int channel) const {
    return HostAlarmSlot(host_, channel) ? host_.Capture->Slots[size_t(channel)].RecordingType
                                         : -1;
}

bool THostAlarmDetect::PreAlarmArmed(int channel) const {
    return HostAlarmSlot(host_, channel) &&
           host_.Capture->PreAlarm[size_t(channel)].PreAlarmArmed;
}

void THostAlarmDetect::SetPreAlarmArmed(int channel, bool on) {
    if (HostAlarmSlot(host_, channel)) host_.Capture->PreAlarm[size_t(channel)].PreAlarmArmed = on;
}

void THostAlarmDetect::StopPreAlarm(int channel) {
    if (!HostAlarmSlot(host_, channel)) return;
    TCapture& capture = *host_.Capture;
    std::lock_guard lock(capture.Locks[size_t(channel)]);
    TCaptureSlot& slot = capture.Slots[size_t(channel)];
    if (!slot.FileOpen && slot.CaptureRunning) {
        // The encoder ran only for the pre-alarm buffer.
        slot.CaptureRunning = false;
        slot.State = kStateIdle;
        if (host_.VideoCard) host_.VideoCard->StopCapture(channel);
    }
    TPreAlarm& pre = capture.PreAlarm[size_t(channel)];
    pre.PreAlarmArmed = false;
    if (pre.PreAlarmChain) pre.PreAlarmChain->Clear();
}

void THostAlarmDetect::StartChannel(int channel, char request, int recordingType) {
    if (host_.Capture) host_.Capture->StartChannel(channel, request, recordingType);
}

void THostAlarmDetect::StopChannel(int channel, char request) {
    if (host_.Capture) host_.Capture->StopChannel(channel, request);
}

void THostAlarmDetect::ShowState(int channel, TAlarmDisplay state) {
    host_.Synchronize([&] {
        if (host_.AlarmView) host_.AlarmView->ShowState(channel, state);
    });
}

void THostAlarmDetect::SetOutlines(int channel, uint32_t colour, bool visible) {
    host_.Synchronize([&] {
        if (host_.AlarmView) host_.AlarmView->SetOutlines(channel, colour, visible);
    });
}

void THostAlarmDetect::SetSound(int channel, int kindIndex, bool on) {
    if (host_.ThreadAlarmAudio) host_.ThreadAlarmAudio->SetSound(channel, kindIndex, on);
}

bool THostAlarmDetect::PostToDispatcher(unsigned message, uintptr_t wParam, intptr_t lParam) {
    return host_.ThreadAlarmingMsg &&
           ::PostThreadMessageW(host_.ThreadAlarmingMsg->ThreadId(), message, wParam, lParam);
}

void THostAlarmDetect::PostKeepEnd(int channel, int what) {
    if (host_.ThreadAlarmKeepEnd)
        ::PostThreadMessageW(host_.ThreadAlarmKeepEnd->ThreadId(), WM_ALARMKEEPEND,
                             WPARAM(channel), LPARAM(what));
}

void THostAlarmDetect::WorkLog(int event, int channel, int index) {
    HostAlarmLog(host_, event, channel, index);
}

void THostAlarmDetect::Pause(int ms) {
    ::Sleep(DWORD(ms));
}

void THostAlarmDetect::AdjustMotionPrecision(int channel, int level) {
    if (host_.VideoCard) host_.VideoCard->AdjustMotionPrecision(channel, level, 2, 0);
}

void THostAlarmDetect::SetOutlineCount(int channel, int count) {
    host_.Synchronize([&] {
        if (host_.AlarmView) host_.AlarmView->SetOutlineCount(channel, count);
    });
}

bool THostAlarmDetect::HasBoard() const {
    return host_.BoardCount() > 0;
}

bool THostAlarmDetect::CycleMode() const {
    return host_.Preview && host_.Preview->CycleMode;
}

void THostAlarmDetect::ShowMessage(const char* utf8Text) {
    const std::wstring text = dvr::win::GbkToWide(dvr::win::Utf8ToGbk(utf8Text));
    ::MessageBoxW(host_.MainForm ? host_.MainForm->WindowHandle() : nullptr, text.c_str(), L"",
                  MB_OK | MB_ICONINFORMATION);
}

void THostAlarmDetect::RequestStopDetection(int channel) {
    if (host_.ThreadCloseAll)
        host_.ThreadCloseAll->CloseChannels(channel, false, false, true, false, false, -1);
}

void THostAlarmDetect::RequestStartDetection(int channel) {
    if (host_.ThreadOpenAll) host_.ThreadOpenAll->Request(channel, false, false, true);
}

// ---- dispatcher

int THostAlarmDispatch::BoardChannelCount() const {
    return host_.BoardCount();
}

int THostAlarmDispatch::ChannelCount() const {
    return host_.TotalChannels();
}

const TAlarmSetRecord& THostAlarmDispatch::Record(int channel) const {
    return HostAlarmRecord(host_, channel);
}

bool THostAlarmDispatch::AutoMode() const {
    return host_.Auto && host_.Auto->AutoMode;
}

bool THostAlarmDispatch::Armed(int channel) const {
    return HostAlarmArmed(host_, channel);
}

bool THostAlarmDispatch::Alarming(int channel) const {
    return HostAlarmAlarming(host_, channel);
}

void THostAlarmDispatch::SetSound(int channel, int kindIndex, bool on) {
    if (host_.ThreadAlarmAudio) host_.ThreadAlarmAudio->SetSound(channel, kindIndex, on);
}

int THostAlarmDispatch::OutlineCount(int channel) const {
    if (!host_.AlarmView || channel < 0 || channel >= kSettingsChannels) return 0;
    return host_.AlarmView->OutlineCounts[size_t(channel)];
}

void THostAlarmDispatch::ShowAlarmOutline(int channel, int area) {
    host_.Synchronize([&] {
        if (!host_.AlarmView || channel < 0 || channel >= kSettingsChannels) return;
        auto& outlines = host_.AlarmView->Outlines[size_t(channel)];
        if (area < 0 || area >= int(outlines.size())) return;
        outlines[size_t(area)]->SetColor(int32_t(kColourRed));
        outlines[size_t(area)]->SetVisible(true);
        outlines[size_t(area)]->BringToFront();
    });
}

bool THostAlarmDispatch::AutoFullScreenSelects(int channel) const {
    bool selects = false;
    host_.Synchronize([&] {
        TVideoAlarmAutoFullScreenForm* form = host_.VideoAlarmAutoFullScreenForm;
        selects = form && form->cb_StartAutoFullScreen->Checked() &&
                  form->cb_Channels->ItemIndex() == channel;
    });
    return selects;
}

void THostAlarmDispatch::PostAutoFullScreen(int channel) {
    if (host_.ThreadAutoFullScreen)
        ::PostThreadMessageW(host_.ThreadAutoFullScreen->ThreadId(), WM_AUTOFULLSCREEN,
                             WPARAM(channel), 0);
}

bool THostAlarmDispatch::FileOpen(int channel) const {
    return HostAlarmSlot(host_, channel) && host_.Capture->Slots[size_t(channel)].FileOpen;
}

int THostAlarmDispatch::RecordingType(int channel) const {
    return HostAlarmSlot(host_, channel) ? host_.Capture->Slots[size_t(channel)].RecordingType
                                         : -1;
}

void THostAlarmDispatch::StartChannel(int channel, char request, int recordingType) {
    if (host_.Capture) host_.Capture->StartChannel(channel, request, recordingType);
}

void THostAlarmDispatch::EmptyPreAlarmChain(int channel) {
    if (!HostAlarmSlot(host_, channel)) return;
    std::lock_guard lock(host_.Capture->Locks[size_t(channel)]);
    TPreAlarm& pre = host_.Capture->PreAlarm[size_t(channel)];
    if (pre.PreAlarmChain) pre.PreAlarmChain->Clear();
}

void THostAlarmDispatch::ShowAlarming(int channel) {
    host_.Synchronize([&] {
        if (host_.AlarmView) host_.AlarmView->ShowState(channel, TAlarmDisplay::Alarming);
    });
    if (!host_.Alarm || channel < 0 || channel >= kSettingsChannels) return;
    host_.Alarm->Alarming[channel] = 1;
    host_.Alarm->ResetAlarmTimers(channel);
}

void THostAlarmDispatch::WorkLog(int event, int channel, int index) {
    HostAlarmLog(host_, event, channel, index);
}

bool THostAlarmDispatch::SwitchAlarmOutputs(int channel, int kindIndex, bool on) {
    return host_.AlarmDevice && host_.AlarmDevice->SwitchAlarmOutputs(channel, kindIndex, on);
}

void THostAlarmDispatch::PostCallPreset(int channel, int input) {
    if (host_.SpeedDomeWindow)
        ::PostMessageW(host_.SpeedDomeWindow, WM_CALLPRESET, WPARAM(channel), LPARAM(input));
}

void THostAlarmDispatch::StartSms(int channel) {
    if (host_.ThreadSendGSMMsg) host_.ThreadSendGSMMsg->FlagAlarm(channel);
}

void THostAlarmDispatch::Dial(const TAlarmSetRecord& record) {
    if (host_.ThreadRasDial) DialForAlarm(*host_.ThreadRasDial, record);
}

std::vector<TAlarmViewer> THostAlarmDispatch::Viewers(int channel) const {
    std::vector<TAlarmViewer> out;
    if (!host_.LiveServers) return out;
    TTCPMainConnecter* list = host_.LiveServers->Viewers(channel);
    if (!list) return out;
    for (TTCPConnecter* v = list->Head; v && out.size() < 1000; v = v->Next) {
        TAlarmViewer viewer;
        viewer.Closed = v->Closed != 0;
        viewer.RequestHostAddress = v->Request.HostAddress.Get();
        viewer.Address = v->PeerAddressText;
        viewer.SubscriptionAddress = v->AlarmAddress;
        viewer.SubscriptionPort = v->AlarmPort;
        out.push_back(std::move(viewer));
    }
    return out;
}

std::string THostAlarmDispatch::OwnAddress() const {
    return host_.SystemInfo ? host_.SystemInfo->OwnIP : std::string();
}

int THostAlarmDispatch::MessagePort() const {
    return host_.Arithmetic ? host_.Arithmetic->Ports.Port[13] : 56000;
}

void THostAlarmDispatch::SendRecord(const AlarmUploadRecord& record, const std::string& address,
                                    int port) {
    if (host_.UDPMessageServer)
        host_.UDPMessageServer->SendTo(&record, int(sizeof record), port, address);
}

double THostAlarmDispatch::Now() const {
    return CurrentOleDate();
}

void THostAlarmDispatch::Sleep(int ms) {
    ::Sleep(DWORD(ms));
}

// ---- alarm-box inputs and boxes

int THostHardAlarmIn::BoardChannelCount() const {
    return host_.BoardCount();
}

bool THostHardAlarmIn::AutoMode() const {
    return host_.Auto && host_.Auto->AutoMode;
}

std::string THostHardAlarmIn::ScheduleStatus(int channel) const {
    if (!host_.Auto || channel < 0 || channel >= kSettingsChannels) return std::string(13, '0');
    return host_.Auto->LastStatus(channel);
}

bool THostHardAlarmIn::Armed(int channel) const {
    return HostAlarmArmed(host_, channel);
}

const TAlarmSetRecord& THostHardAlarmIn::Record(int channel) const {
    return HostAlarmRecord(host_, channel);
}

bool THostHardAlarmIn::ReadInputs(int channel, uint8_t inputs[kBoxPoints]) {
    return host_.AlarmDevice && host_.AlarmDevice->ReadInputs(channel, inputs);
}

void THostHardAlarmIn::PostAlarmRaised(int channel, long lParam) {
    if (host_.ThreadAlarmingMsg)
        ::PostThreadMessageW(host_.ThreadAlarmingMsg->ThreadId(), WM_ALARMRAISED, WPARAM(channel),
                             LPARAM(lParam));
}

const TAlarmSetRecord& THostAlarmBoxes::Record(int channel) const {
    return HostAlarmRecord(host_, channel);
}

int THostAlarmBoxes::ChannelCount() const {
    return host_.TotalChannels();
}

bool THostAlarmBoxes::Alarming(int channel) const {
    return HostAlarmAlarming(host_, channel);
}

// ---- console display

TAlarmDisplayView::TAlarmDisplayView(THost& host, TWinControl* mainWindow) : host_(host) {
    Timer = new TTimer(mainWindow);
    Timer->SetInterval(3000);
    Timer->SetOnTimer(TNotifyEvent(this, &TAlarmDisplayView::TimerTimer));
    Timer->SetEnabled(true);
    for (int n = 0; n < kSettingsChannels; ++n) {
        auto* image = new TPanel(mainWindow);
        image->SetParent(mainWindow);
        image->SetBevelOuter(TBevelCut::bvNone);
        image->SetBounds(915 + 24 * (n % 4), 194 + 17 * (n / 4), 22, 15);
        image->SetCaption(std::to_string(n + 1));
        image->SetColor(kAlarmIdleColour);
        image->SetTag(n);
        image->SetVisible(false);
        image->OnClick = TNotifyEvent(this, &TAlarmDisplayView::StatusClick);
        StatusImages[size_t(n)] = image;
        States[size_t(n)] = TAlarmDisplay::Idle;
        OutlineCounts[size_t(n)] = 0;
        if (!host.Preview) continue;
        TPanel* pane = host.Preview->Panes[size_t(n)].Panel;
        DetectLabels[size_t(n)] = MakePaneMark(pane, 20, "侦", kColourGreen);
    }
}

TAlarmDisplayView::~TAlarmDisplayView() {
    if (Timer) Timer->SetEnabled(false);
}

void TAlarmDisplayView::TimerTimer(TObject*) {
    if (host_.Alarm) host_.Alarm->CountAlarmTimes();
}

void TAlarmDisplayView::StatusClick(TObject* sender) {
    auto* image = dynamic_cast<TPanel*>(sender);
    if (image && host_.Alarm) host_.Alarm->StatusImageClick(int(image->Tag()));
}

void TAlarmDisplayView::ShowState(int channel, TAlarmDisplay state) {
    if (channel < 0 || channel >= kSettingsChannels) return;
    States[size_t(channel)] = state;
    StatusImages[size_t(channel)]->SetColor(state == TAlarmDisplay::Idle    ? kAlarmIdleColour
                                            : state == TAlarmDisplay::Armed ? kAlarmArmedColour
                                                                            : kAlarmAlarmingColour);
    if (TPanel* label = DetectLabels[size_t(channel)]) {
        label->Font()->SetColor(
            TColor(state == TAlarmDisplay::Alarming ? kColourRed : kColourGreen));
        label->SetVisible(state != TAlarmDisplay::Idle);
        if (state != TAlarmDisplay::Idle) label->BringToFront();
    }
}

void TAlarmDisplayView::SetOutlineCount(int channel, int count) {
    if (channel < 0 || channel >= kSettingsChannels || !host_.Preview) return;
    count = std::clamp(count, 0, kAlarmAreas);
    auto& outlines = Outlines[size_t(channel)];
    if (int(outlines.size()) > count) outlines.resize(size_t(count));
    TPanel* pane = host_.Preview->Panes[size_t(channel)].Panel;
    while (int(outlines.size()) < count) {
        outlines.push_back(std::make_unique<TAreaRect>(pane));
        outlines.back()->AreaIndex = int(outlines.size()) - 1;
    }
    OutlineCounts[size_t(channel)] = count;
    for (auto& outline : outlines)
        outline->BringToFront();
    PlaceOutlines(channel);
    for (auto& outline : outlines)
        outline->SetVisible(false);
}

void TAlarmDisplayView::PlaceOutlines(int channel) {
    if (channel < 0 || channel >= kSettingsChannels || !host_.Preview || !host_.AlarmSet) return;
    TPanel* pane = host_.Preview->Panes[size_t(channel)].Panel;
    const double w = pane->Width(), h = pane->Height();
    const TAlarmSetRecord& record = host_.AlarmSet->Records[size_t(channel)];
    auto& outlines = Outlines[size_t(channel)];
    for (size_t k = 0; k < outlines.size() && k < size_t(kAlarmAreas); ++k) {
        const AlarmAreaFraction& a = record.Areas[k];
        outlines[k]->SetBounds(TAreaBounds{int32_t(std::nearbyint(w * a.Left)),
                                           int32_t(std::nearbyint(h * a.Top)),
                                           int32_t(std::nearbyint(w * a.Right)),
                                           int32_t(std::nearbyint(h * a.Bottom))});
    }
}

void TAlarmDisplayView::SetOutlines(int channel, uint32_t colour, bool visible) {
    if (channel < 0 || channel >= kSettingsChannels) return;
    for (auto& outline : Outlines[size_t(channel)]) {
        outline->SetColor(int32_t(colour));
        outline->SetVisible(visible);
    }
}

void TAlarmDisplayView::ShowAreaOutlines() {
    for (int ch = 0; ch < host_.BoardCount() && ch < kSettingsChannels; ++ch) {
        PlaceOutlines(ch);
        for (auto& outline : Outlines[size_t(ch)]) {
            outline->SetVisible(true);
            outline->BringToFront();
        }
    }
}

void TAlarmDisplayView::HideAreaOutlines() {
    for (int ch = 0; ch < host_.BoardCount() && ch < kSettingsChannels; ++ch)
        for (auto& outline : Outlines[size_t(ch)])
            outline->SetVisible(false);
}

void TAlarmDisplayView::SetStatusImageCount(int count) {
    for (int n = 0; n < kSettingsChannels; ++n)
        StatusImages[size_t(n)]->SetVisible(n < count);
}

} // namespace vantrel
