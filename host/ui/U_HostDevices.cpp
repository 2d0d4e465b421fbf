#include "host/ui/U_HostDevices.h"
#include "host/ui/U_PtzMouse.h"

#include "host/engine/U_WorkLogLine.h"
#include "host/net/F_IPPingWindow.h"
#include "host/net/F_NetChat.h"
#include "host/net/F_NetDogForm.h"
#include "host/net/F_NetTalkWindow.h"
#include "host/net/F_RemoteAlarmUpView.h"
#include "host/net/F_SendAndReceiveFile.h"
#include "host/net/F_WebServerForm.h"
#include "host/net/F_WebServerWindow.h"
#include "host/net/T_PingThread.h"
#include "host/ui/F_ClearDataMSGForm.h"
#include "host/ui/F_ConnectionView.h"
#include "host/ui/F_ElectronMap.h"
#include "host/ui/F_LocalAlarmOutCtrl.h"
#include "host/ui/F_MatrixKeyboardForm.h"
#include "host/ui/F_MatrixsCtrlForm.h"
#include "host/ui/F_RemoteMatrixKeyboardForm.h"
#include "host/ui/F_RemoteMatrixsCtrlForm.h"
#include "host/ui/F_MainForm.h"
#include "host/ui/F_RemoteCtrlAlarmBox.h"
#include "host/ui/F_SendGSMMsgForm.h"
#include "host/ui/F_ShowBMP.h"
#include "host/ui/T_ThreadSearchCaptureFile.h"
#include "host/ui/F_SpeedDomeForm.h"
#include "host/ui/F_UPSInfoWindow.h"
#include "host/ui/F_YunTaiSpeed.h"
#include "host/ui/T_ThreadReplayVideoCapture.h"
#include "host/ui/U_HostConsoleOpeners.h"
#include "host/ui/U_HostObjects.h"
#include "host/ui/U_Replay.h"

#include "framework/ui/forms.h"

namespace vantrel {

using namespace dvr::fw;

namespace {

constexpr int kRightPtz = 7;

// The network slot behind a pane past the board's channels, or null.
TClientChannelRecord* NetSlot(const THost& host, int channel) {
    const int slot = channel - host.BoardCount();
    if (!host.NetClientSet || slot < 0 || slot >= int(host.NetClientSet->Channels.size()))
        return nullptr;
    return &host.NetClientSet->Channels[size_t(slot)];
}

std::vector<std::string> BoardChannelTitles(const THost& host) {
    std::vector<std::string> titles;
    for (int ch = 0; ch < host.BoardCount() && host.PreviewSet &&
                     ch < int(host.PreviewSet->Records.size());
         ++ch)
        titles.push_back(host.PreviewSet->Records[size_t(ch)].Title.Get());
    return titles;
}

// A window of the start-up: made without an owner, hidden until asked for.
template <class F, class... A> F* MakeWindow(A&&... args) {
    F* f = new F(nullptr, std::forward<A>(args)...);
    try {
        f->AfterConstruction();
    } catch (...) {
        f->Free();
        throw;
    }
    return f;
}

} // namespace

// ---- PTZ

THostPtz::THostPtz(THost& host)
    : host_(host), repeat_([this] {
          if (host_.YunTai) host_.YunTai->RepeatTick();
      }) {}

bool THostPtz::CheckPtzRight(int channel) const {
    return host_.CheckRight(kRightPtz, channel);
}

int THostPtz::BoardChannelCount() const {
    return host_.BoardCount();
}

int THostPtz::ChannelCount() const {
    return host_.TotalChannels();
}

bool THostPtz::NetTarget(int channel, TPtzNetTarget& target) const {
    const TClientChannelRecord* slot = NetSlot(host_, channel);
    return slot && PtzNetTargetFor(*slot, host_.NetClientSet->Groups, target);
}

std::string THostPtz::OwnAddress() const {
    return host_.SystemInfo ? host_.SystemInfo->OwnIP : std::string();
}

void THostPtz::RepeatTimerChanged(bool enabled, int intervalMs) {
    repeat_.Set(enabled, UINT(intervalMs > 0 ? intervalMs : 1));
}

int THostPtz::SelectedChannel() {
    return host_.Preview ? host_.Preview->SelectedChannel : 0;
}

void THostPtz::WriteLog(int event) {
    host_.WriteLog(event);
}

void THostPtz::ShowSpeedDome() {
    if (host_.SpeedDomeForm) host_.SpeedDomeForm->Show();
}

void THostPtz::ShowSpeedWindow() {
    if (!host_.YunTaiSpeedForm) return;
    host_.YunTaiSpeedForm->ShowChannel(SelectedChannel());
    host_.YunTaiSpeedForm->Show();
}

void THostPtz::Pause(DWORD ms) {
    ::Sleep(ms);
}

void THostUdpSender::SendTo(const void* buffer, int length, int port, const std::string& address) {
    if (host_.UDPMessageClient) host_.UDPMessageClient->SendTo(buffer, length, port, address);
}

// ---- the devices remote requests reach

uint8_t* THostUdpDevices::DogSettings() {
    static_assert(sizeof(TDogSettingsRecord) == kDogSettingsSize);
    return host_.DogSet ? reinterpret_cast<uint8_t*>(&host_.DogSet->Record) : dog_;
}

void THostUdpDevices::SaveDogSettings() {
    if (!host_.DogSet) return;
    TDogSet::Save(host_.DogSet->Record);
    if (host_.Dog) host_.Dog->ApplySettings();
}

int THostUdpDevices::MatrixType() const {
    return host_.MatrixsCtrl ? host_.MatrixsCtrl->MatrixType : 0;
}

void THostUdpDevices::SwitchMatrix(uint8_t input, uint8_t output) {
    if (host_.MatrixsCtrl) host_.MatrixsCtrl->RemoteSwitch(input, output);
}

void THostUdpDevices::SendAlarmOutputs(int boxType, int port, int address,
                                       const uint8_t* states) {
    if (host_.AlarmDevice && boxType >= 0 && boxType <= 255 && port >= 0 && port <= 255 &&
        address >= 0 && address <= 255)
        host_.AlarmDevice->SetOutputsOfType(uint8_t(boxType), uint8_t(port), uint8_t(address),
                                            states);
}

void THostUdpDevices::PtzStart(int channel, int command, int value1, int value2) {
    if (host_.YunTai)
        host_.YunTai->StartCommand(channel, command, uint8_t(value1), uint8_t(value2));
}

void THostUdpDevices::PtzStop(int channel, int command, int value1, int value2) {
    if (host_.YunTai)
        host_.YunTai->StopCommand(channel, command, uint8_t(value1), uint8_t(value2));
}

// ---- remote alarm list

void THostRemoteAlarms::SetRemoteAlarmSound(bool on) {
    if (host_.ThreadAlarmAudio) host_.ThreadAlarmAudio->SetRemoteAlarm(on);
}

int THostRemoteAlarms::BoardChannelCount() const {
    return host_.BoardCount();
}

int THostRemoteAlarms::SelectedPane() const {
    return host_.Preview ? host_.Preview->SelectedChannel : 0;
}

bool THostRemoteAlarms::PanePreviewing(int channel) const {
    return host_.Preview && channel >= 0 && channel < kLayoutChannels &&
           host_.Preview->Panes[size_t(channel)].Previewing;
}

int THostRemoteAlarms::SlotRemoteChannel(int slot) const {
    const TClientChannelRecord* r = NetSlot(host_, slot);
    return r ? r->RemoteChannel : -1;
}

std::string THostRemoteAlarms::SlotGroupAddress(int slot) const {
    const TClientChannelRecord* r = NetSlot(host_, slot);
    if (!r || r->GroupIndex < 0 || size_t(r->GroupIndex) >= host_.NetClientSet->Groups.size())
        return {};
    return host_.NetClientSet->Groups[size_t(r->GroupIndex)].HostAddress.Get();
}

void THostRemoteAlarms::ClosePreview(int channel) {
    if (host_.Preview) host_.Preview->ClosePreview(channel, true);
}

void THostRemoteAlarms::StopNetworkRecording(int channel) {
    if (host_.Capture) host_.Capture->StopChannel(channel, '+');
}

void THostRemoteAlarms::Pause(int ms) {
    ::Sleep(DWORD(ms));
}

void THostRemoteAlarms::SetSlotTarget(int slot, int remoteChannel, const std::string& address) {
    TClientChannelRecord* r = NetSlot(host_, slot);
    if (!r || remoteChannel < 0 || remoteChannel > 255) return;
    // In memory only: the pane shows the alarming camera of the first group of that host.
    r->RemoteChannel = uint8_t(remoteChannel);
    const auto& groups = host_.NetClientSet->Groups;
    for (size_t g = 0; g < groups.size(); ++g)
        if (groups[g].HostAddress.View() == address) {
            r->GroupIndex = int32_t(g);
            break;
        }
}

void THostRemoteAlarms::RequestOpenOnAlarm(int channel) {
    if (host_.ThreadOpenAllForAlarmUp && channel >= 0 && channel < kSettingsChannels)
        host_.ThreadOpenAllForAlarmUp->PreviewRequests[channel] = 1;
}

void THostRemoteAlarms::ClearRecordOnAlarm(int channel) {
    if (host_.ThreadOpenAllForAlarmUp && channel >= 0 && channel < kSettingsChannels)
        host_.ThreadOpenAllForAlarmUp->RecordRequests[channel] = 0;
}

void THost::FreeHostWindows() {
    PingThread.reset();
    auto free = [](auto*& form) {
        if (form) form->Free();
        form = nullptr;
    };
    free(NetChatForm);
    free(SendAndReceiveFileForm);
    free(WebServerForm);
    free(SendGSMMsgForm);
    free(IPPingForm);
    free(NetDogForm);
    free(RemoteCtrlAlarmBoxForm);
    free(LocalAlarmOutCtrlForm);
    free(RemoteDSDMatrixsCtrlForm);
    free(RemotePelco232MatrixsCtrlForm);
    free(Pelco232MatrixsCtrlForm);
    free(DSDMatrixsCtrlForm);
    free(MatrixsCtrlForm);
    if (Preview) Preview->PtzSpeedWindow = nullptr;
    SpeedDomeWindow = nullptr;
    free(ClearDataMSGForm);
    FreeSnapshotViewer();
    free(NetTalkForm);
    free(RemoteAlarmUpViewForm);
    free(ConnectionViewForm);
    free(SpeedDomeForm);
    free(YunTaiSpeedForm);
    FreeElectronMap();
    // The UPS window stays: the countdown shows through it until the end.
}

// ---- the console's commands

namespace {

template <class F> int Shown(F* form) {
    if (!form) return -1;
    form->Show();
    return mrOk;
}

} // namespace

int ShowHostWindow(THost& h, TConsoleWindow window) {
    switch (window) {
    case TConsoleWindow::ElectronMap:
        return Shown(h.ElectronMapForm);
    case TConsoleWindow::LocalAlarmOut:
        return Shown(h.LocalAlarmOutCtrlForm);
    case TConsoleWindow::RemoteAlarmOut:
        return Shown(h.RemoteCtrlAlarmBoxForm);
    case TConsoleWindow::RemoteAlarms:
        return Shown(h.RemoteAlarmUpViewForm);
    case TConsoleWindow::VoiceBroadcast:
        return Shown(h.NetTalkForm);
    case TConsoleWindow::Chat:
        return Shown(h.NetChatForm);
    case TConsoleWindow::Connections:
        return Shown(h.ConnectionViewForm);
    case TConsoleWindow::ClearDataMsg:
        return Shown(h.ClearDataMSGForm);
    case TConsoleWindow::IPPing:
        return Shown(h.IPPingForm);
    case TConsoleWindow::NetDog:
        return Shown(h.NetDogForm);
    case TConsoleWindow::SendSms: {
        if (!h.SendGSMMsgForm) return -1;
        const int ch = h.Preview ? h.Preview->SelectedChannel : 0;
        if (h.AlarmSet && ch >= 0 && ch < int(h.AlarmSet->Records.size()))
            h.SendGSMMsgForm->Select(h.AlarmSet->Records[size_t(ch)].Sms);
        return Shown(h.SendGSMMsgForm);
    }
    case TConsoleWindow::WebServer:
        return Shown(h.WebServerForm);
    case TConsoleWindow::SendReceiveFile:
        return Shown(h.SendAndReceiveFileForm);
    case TConsoleWindow::Matrix3216:
        return Shown(h.MatrixsCtrlForm);
    case TConsoleWindow::MatrixDSD:
        return Shown(h.DSDMatrixsCtrlForm);
    case TConsoleWindow::MatrixPelco232:
        return Shown(h.Pelco232MatrixsCtrlForm);
    case TConsoleWindow::RemoteMatrixDSD:
        return Shown(h.RemoteDSDMatrixsCtrlForm);
    case TConsoleWindow::RemoteMatrixPelco232:
        return Shown(h.RemotePelco232MatrixsCtrlForm);
    case TConsoleWindow::RemoteMatrix3216: {
        if (!h.NetClientSet || !h.Arithmetic) return -1;
        auto* f = MakeWindow<TRemoteMatrixsCtrlForm>(h.NetClientSet->Groups,
                                                     h.Arithmetic->DefaultPorts.Port[14],
                                                     h.UdpSender);
        const int r = f->ShowModal();
        f->Free();
        return r;
    }
    default:
        return -1;
    }
}

// ---- the host's objects of these kinds, in the order the start-up makes them

void THost::CreatePtzObjects() {
    YunTai = std::make_unique<TYunTai>(PtzHost, YunTaiSet->Settings, YunTaiSet->Protocols,
                                       *ComGateway, UdpSender);
    NoteCreated();
    // The panel's controls lie on the console under the PTZ cover.
    if (MainForm) PtzPanel = new TPtzPanel(MainForm, *YunTai, PtzHost);
    if (PtzPanel && Preview) {
        PtzMouse = std::make_unique<TPtzMouse>(*PtzPanel, [this](int ch) {
            if (Preview) Preview->SelectPane(ch);
        });
        Preview->PtzMouse = PtzMouse.get();
    }
}

void THost::CreateUpsWindow() {
    UPSInfoWindow = MakeWindow<TUPSInfoWindow>();
}

void THost::CreateVoiceObjects() {
    WaveIn = std::make_unique<TWaveIn>();
    ThreadWaveIn = std::make_unique<TThreadWaveIn>(*WaveIn);
    WaveOut = std::make_unique<TWaveOut>();
    ThreadWaveOut = std::make_unique<TThreadWaveOut>(*WaveOut);
    NoteCreated();
}

void THost::CreateStartUpWindows() {
    const std::string title = Application->Title();
    CreateElectronMap();
    YunTaiSpeedForm = MakeWindow<TYunTaiSpeedForm>(*YunTai, YunTaiSet->Settings,
                                                   YunTaiSet->Protocols, [this] {
                                                       return Preview ? Preview->SelectedChannel
                                                                      : 0;
                                                   });
    if (Preview) Preview->PtzSpeedWindow = YunTaiSpeedForm->Handle();
    NoteCreated();
    DomeCommands = DomeCommandsOf(*YunTai);
    SpeedDomeForm = MakeWindow<TSpeedDomeForm>(*DomeCommands, ProgramPath, BoardCount(),
                                               TotalChannels());
    SpeedDomeWindow = SpeedDomeForm->Handle();
    NoteCreated();
    ConnectionViewForm = MakeWindow<TConnectionViewForm>(
        BoardChannelTitles(*this),
        [this](int channel) -> TTCPConnecter* {
            TTCPMainConnecter* list = LiveServers ? LiveServers->Viewers(channel) : nullptr;
            return list ? list->Head.load() : nullptr;
        },
        [this](int channel, TTCPConnecter& viewer) {
            if (LiveServers) LiveServers->CloseViewer(channel, viewer);
        });
    NoteCreated();
    RemoteAlarmUpViewForm = MakeWindow<TRemoteAlarmUpViewForm>(title, RemoteAlarmsHost);
    RemoteAlarmUpViewForm->MainWindowShown = [this] {
        return MainForm && ::IsWindowVisible(MainForm->WindowHandle());
    };
    NoteCreated();
    try {
        NetTalkForm = MakeWindow<TNetTalkWindow>(title, *WaveIn, *WaveOut, *ThreadWaveIn,
                                                 *ThreadWaveOut, uint16_t(kNetTalkPort));
    } catch (const std::exception&) {
        // Without the voice codec or its port the host runs without voice broadcasts.
    }
    NoteCreated();
    CreateSnapshotViewer(title);
    ClearDataMSGForm = MakeWindow<TClearDataMSGForm>(*DiskFaults, ProgramPath);
    DiskFaults->SetWindow(ClearDataMSGForm->Handle());
    NoteCreated();
}

void THost::CreateSnapshotViewer(const std::string& title) {
    SnapshotRecordings = MakeHostReplayView(*this);
    if (!SnapshotRecordings) return;
    // The engine's windows are never shown: their panel has no parent and no window.
    SnapshotArea = new TPanel(nullptr);
    SnapshotReplay = std::make_unique<TReplay>(nullptr, SnapshotArea, *SnapshotRecordings);
    ShowBMPForm = MakeWindow<TShowBMPForm>(title, *SnapshotReplay);
    SnapshotReplay->SearchThread().Finished = [this](int kind) {
        if (kind == 0 && ShowBMPForm) ShowBMPForm->ScanEnded();
    };
    NoteCreated();
}

void THost::FreeSnapshotViewer() {
    // The viewer empties the engine's snapshot list; the engine's search ends before the
    // index it reads goes.
    if (ShowBMPForm) ShowBMPForm->Free();
    ShowBMPForm = nullptr;
    SnapshotReplay.reset();
    if (SnapshotArea) SnapshotArea->Free();
    SnapshotArea = nullptr;
    SnapshotRecordings.reset();
}

void THost::CreateMatrixAndGsmObjects() {
    MatrixsCtrl = std::make_unique<TMatrixsCtrl>(*ComGateway, MatrixStore);
    MatrixsCtrl->MatrixType = MatrixsCtrl->LoadMatrixType();
    MatrixsCtrl->LoadInputNames(MatrixsCtrl->MatrixType);
    MatrixsCtrl->LoadGroups(MatrixsCtrl->MatrixType);
    NoteCreated();
    MatrixsCtrlForm = MakeWindow<TMatrixsCtrlForm>(*MatrixsCtrl);
    NoteCreated();
    GSMCtrl = std::make_unique<TGSMCtrl>(*ComGateway, GsmStore, GbkToUtf16);
    GSMCtrl->LoadNumbers();
    // The modem's sender starts with it.
    ThreadSendGSMMsg = std::make_unique<TThreadSendGSMMsg>(*GSMCtrl, AlarmBoxesHost, SmsResults);
    NoteCreated();
    // The keyboards of the matrices that take text commands; their relays hand other hosts'
    // records to the user-interface thread, where the window's own commands go out too.
    auto onUi = [this](std::function<void()> step) {
        if (Synchronizer) Synchronizer->Post(std::move(step));
    };
    DSDMatrixsCtrlForm =
        MakeWindow<TDS_D_MatrixsCtrlForm>(*ComGateway, Arithmetic->Ports.Port[5], onUi);
    NoteCreated();
    Pelco232MatrixsCtrlForm =
        MakeWindow<TPelco232MatrixsCtrlForm>(*ComGateway, Arithmetic->Ports.Port[6], onUi);
    NoteCreated();
    RemotePelco232MatrixsCtrlForm = MakeWindow<TRemoteMatrixsCtrl_Pelco232Form>(
        NetClientSet->Groups, Arithmetic->DefaultPorts.Port[6]);
    NoteCreated();
    RemoteDSDMatrixsCtrlForm = MakeWindow<TRemoteMatrixsCtrl_DS_DForm>(
        NetClientSet->Groups, Arithmetic->DefaultPorts.Port[5]);
    NoteCreated();
}

void THost::CreateLocalAlarmOutWindow() {
    LocalAlarmOutCtrlForm = MakeWindow<TLocalAlarmOutCtrlForm>(*AlarmDevice);
    NoteCreated();
}

void THost::CreateMainBlockWindows() {
    const std::string title = Application->Title();
    ThreadReplayVideoCapture = std::make_unique<TThreadReplayVideoCapture>();
    NoteCreated();
    TRemoteWindowHost remote;
    remote.Udp = &UdpSender;
    remote.Groups = NetClientSet->GroupRecords;
    remote.DefaultPort = Arithmetic->DefaultPorts.Port[14];
    remote.OwnIP = SystemInfo->OwnIP;
    RemoteCtrlAlarmBoxForm = MakeWindow<TRemoteCtrlAlarmBoxForm>(remote);
    NoteCreated();
    NetDogForm = MakeWindow<TNetDogForm>(title, NetClientSet->Groups,
                                         Arithmetic->DefaultPorts.Port[14], UdpSender);
    NoteCreated();
    IPPingForm = MakeWindow<TIPPingWindow>(title, *NetClientSet);
    NoteCreated();
    PingThread = std::make_unique<TPingThread>(IPPingForm->Patrol(), ProgramPath);
    NoteCreated();
    SendGSMMsgForm = MakeWindow<TSendGSMMsgForm>(*GSMCtrl, *ThreadSendGSMMsg, SmsMessageBlock{});
    NoteCreated();
    // The network services listen at once; a port another program holds leaves the host
    // without that one service.
    try {
        WebServerForm = MakeWindow<TWebServerWindow>(
            title, WebServerHostOf(*Arithmetic, *SystemInfo, *PreviewSet, BoardCount()));
    } catch (const std::exception&) {
    }
    NoteCreated();
    try {
        SendAndReceiveFileForm = MakeWindow<TSendAndReceiveFileForm>(Arithmetic->Ports.Port[3]);
    } catch (const std::exception&) {
    }
    NoteCreated();
    try {
        NetChatForm = MakeWindow<TNetChatForm>(SystemInfo->OwnIP, Arithmetic->Ports.Port[4]);
    } catch (const std::exception&) {
    }
    NoteCreated();
}

} // namespace vantrel
