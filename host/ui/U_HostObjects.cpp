#include "host/ui/U_HostObjects.h"

#include "host/engine/U_Conversions.h"
#include "host/engine/U_WorkLogLine.h"
#include "host/net/U_NetSentBytes.h"
#include "host/ui/F_MainForm.h"
#include "host/ui/F_VideoAlarmAutoFullScreen.h"
#include "host/ui/U_NetPaneActions.h"
#include "host/ui/U_PtzMouse.h"
#include "host/ui/U_Replay.h"
#include "host/ui/F_SpeedDomeForm.h"
#include "host/ui/F_UPSInfoWindow.h"
#include "host/ui/T_ThreadReplayVideoCapture.h"
#include "host/net/T_PingThread.h"

#include "sdk/dorsk/dorsk_api.h"

#include <algorithm>

namespace vantrel {

THost* Host = nullptr;

namespace {

constexpr UINT WM_SYNCSTEP = WM_APP + 0x51;
constexpr UINT WM_SYNCPOST = WM_APP + 0x52;
constexpr int kRightPreview = 3;
constexpr int kRightRecord = 4;

} // namespace

// ---- synchroniser

TSynchronizer::TSynchronizer() : thread_(::GetCurrentThreadId()) {
    static const wchar_t* kClass = L"VantrelSynchronizer";
    WNDCLASSW wc{};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    ::RegisterClassW(&wc);
    window_ = ::CreateWindowExW(0, kClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                                nullptr);
}

TSynchronizer::~TSynchronizer() {
    if (window_) ::DestroyWindow(window_);
}

void TSynchronizer::Run(const std::function<void()>& step) {
    if (::GetCurrentThreadId() == thread_ || !window_) {
        step();
        return;
    }
    ::SendMessageW(window_, WM_SYNCSTEP, 0, reinterpret_cast<LPARAM>(&step));
}

void TSynchronizer::Post(std::function<void()> step) {
    auto* owned = new std::function<void()>(std::move(step));
    if (window_ && ::PostMessageW(window_, WM_SYNCPOST, 0, reinterpret_cast<LPARAM>(owned)))
        return;
    delete owned;
}

LRESULT CALLBACK TSynchronizer::WndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_SYNCPOST) {
        std::unique_ptr<std::function<void()>> step(
            reinterpret_cast<std::function<void()>*>(lParam));
        (*step)();
        return 0;
    }
    if (msg == WM_SYNCSTEP) {
        (*reinterpret_cast<const std::function<void()>*>(lParam))();
        return 0;
    }
    return ::DefWindowProcW(wnd, msg, wParam, lParam);
}

// ---- host

THost::THost() = default;

THost::~THost() {
    // The network channels' threads reach the panes and the recording slots: they end first.
    NetClient.reset();
    FreeHostWindows();
}

bool THost::IndexScanned() const {
    return indexScanned_;
}

// The objects of the start-up in the order they must come; Trace lists them as they appear.
std::vector<std::pair<const char*, bool>> THost::ObjectsPresent() const {
    return {{"TArithmetic", bool(Arithmetic)},
            {"TOtherCtrl", bool(OtherCtrl)},
            {"TMainForm", MainForm != nullptr},
            {"TVideoCard", bool(VideoCard)},
            {"TLiveServers", bool(LiveServers)},
            {"TSystemOtherSet", bool(SystemOtherSet)},
            {"TNetClientSet", bool(NetClientSet)},
            {"TSystemInfo", bool(SystemInfo)},
            {"TDiskManager", bool(DiskManager)},
            {"TCaptureSet", bool(CaptureSet)},
            {"TPreviewSet", bool(PreviewSet)},
            {"TCaptureDataLocker", bool(CaptureDataLocker)},
            {"TThreadDiskCycle", bool(ThreadDiskCycle)},
            {"TClientCheckSet", bool(ClientCheckSet)},
            {"TClientCheck", bool(ClientCheck)},
            {"TThreadOpenAll", bool(ThreadOpenAll)},
            {"TThreadCloseAll", bool(ThreadCloseAll)},
            {"TNetClient", bool(NetClient)},
            {"TWorkLog", bool(WorkLog)},
            {"TTCPRemoteReplayServer", bool(TCPRemoteReplayServer)},
            {"TUser", bool(User)},
            {"TCOM", bool(Com)},
            {"TPreview", bool(Preview)},
            {"TVideoAlarmAutoFullScreenForm", VideoAlarmAutoFullScreenForm != nullptr},
            {"TThreadAutoFullScreen", bool(ThreadAutoFullScreen)},
            {"TCapture", bool(Capture)},
            {"TAlarmSet", bool(AlarmSet)},
            {"TThreadAlarmingMsg", bool(ThreadAlarmingMsg)},
            {"TAlarm", bool(Alarm)},
            {"TYunTaiSet", bool(YunTaiSet)},
            {"TYunTai", bool(YunTai)},
            {"TAlarmDevice", bool(AlarmDevice)},
            {"TThreadOpenAllForAlarmUp", bool(ThreadOpenAllForAlarmUp)},
            {"TThreadAlarmAudio", bool(ThreadAlarmAudio)},
            {"TThreadHardAlarmIn", bool(ThreadHardAlarmIn)},
            {"TThreadFreeTCPMainConnecter", bool(ThreadFreeTCPMainConnecter)},
            {"TUPSInfoForm", bool(UPSInfoForm)},
            {"TDogSet", bool(DogSet)},
            {"TCardDog", bool(CardDog)},
            {"TUPSDog", bool(UPSDog)},
            {"TDog", bool(Dog)},
            {"TAutoSet", bool(AutoSet)},
            {"TAuto", bool(Auto)},
            {"TWaveIn", bool(WaveIn)},
            {"TThreadWaveIn", bool(ThreadWaveIn)},
            {"TWaveOut", bool(WaveOut)},
            {"TThreadWaveOut", bool(ThreadWaveOut)},
            {"TElectronMapForm", ElectronMapForm != nullptr},
            {"TYunTaiSpeedForm", YunTaiSpeedForm != nullptr},
            {"TSpeedDomeForm", SpeedDomeForm != nullptr},
            {"TConnectionViewForm", ConnectionViewForm != nullptr},
            {"TRemoteAlarmUpViewForm", RemoteAlarmUpViewForm != nullptr},
            {"TNetTalkForm", NetTalkForm != nullptr},
            {"TShowBMPForm", ShowBMPForm != nullptr},
            {"TClearDataMSGForm", ClearDataMSGForm != nullptr},
            {"TCaptureFileList", IndexScanned()},
            {"TThreadWriteLogRecord", bool(ThreadWriteLogRecord)},
            {"TThreadRasDial", bool(ThreadRasDial)},
            {"TThreadCapturePackage", bool(ThreadCapturePackage)},
            {"TMatrixsCtrl", bool(MatrixsCtrl)},
            {"TMatrixsCtrlForm", MatrixsCtrlForm != nullptr},
            {"TGSMCtrl", bool(GSMCtrl)},
            {"TDS_D_MatrixsCtrlForm", DSDMatrixsCtrlForm != nullptr},
            {"TPelco232MatrixsCtrlForm", Pelco232MatrixsCtrlForm != nullptr},
            {"TRemoteMatrixsCtrl_Pelco232Form", RemotePelco232MatrixsCtrlForm != nullptr},
            {"TRemoteMatrixsCtrl_DS_DForm", RemoteDSDMatrixsCtrlForm != nullptr},
            {"TLocalAlarmOutCtrlForm", LocalAlarmOutCtrlForm != nullptr},
            {"TWorkState", bool(WorkState)},
            {"TUDPMessageServer", bool(UDPMessageServer)},
            {"TUDPMessageClient", bool(UDPMessageClient)},
            {"TThreadReplayVideoCapture", bool(ThreadReplayVideoCapture)},
            {"TRemoteCtrlAlarmBoxForm", RemoteCtrlAlarmBoxForm != nullptr},
            {"TNetDogForm", NetDogForm != nullptr},
            {"TIPPingForm", IPPingForm != nullptr},
            {"TPingThread", bool(PingThread)},
            {"TSendGSMMsgForm", SendGSMMsgForm != nullptr},
            {"TWebServerForm", WebServerForm != nullptr},
            {"TSendAndReceiveFileForm", SendAndReceiveFileForm != nullptr},
            {"TNetChatForm", NetChatForm != nullptr},
            {"TThreadClearErrorData", bool(ThreadClearErrorData)}};
}

void THost::NoteCreated() {
    for (const auto& [name, present] : ObjectsPresent())
        if (present && std::find(Trace.begin(), Trace.end(), name) == Trace.end())
            Trace.emplace_back(name);
}

std::string THost::CurrentUser() const {
    return User ? User->CurrentName() : std::string();
}

void THost::WriteLog(int event) {
    if (!ThreadWriteLogRecord) return;
    ThreadWriteLogRecord->AddRecord(
        WorkLogLine(CurrentOleDate(), event, -1, -1, -1, "", "", CurrentUser()));
}

void THost::RunCreationSequence(const std::function<int()>& gaugeStepOf,
                                const std::function<void(int)>& gaugeAdd,
                                const std::function<void()>& stopTimer,
                                const std::function<void(int)>& setProgress) {
    TVideoCard& card = *VideoCard;
    // 1. One live server per board channel.
    LiveServers = std::make_unique<TLiveServers>(LateLive);
    if (card.ChannelCount() > 0)
        LiveServers->StartLiveServers(Arithmetic->Ports.Port[0], std::min(card.ChannelCount(), 49));
    NoteCreated();
    // 2.
    stopTimer();
    int step = gaugeStepOf() / 50;
    // 3.
    SystemOtherSet = std::make_unique<TSystemOtherSet>(*Arithmetic);
    NoteCreated();
    NetClientSet =
        std::make_unique<TNetClientSet>(*Arithmetic, *SystemOtherSet, card.ChannelCount());
    NoteCreated();
    SystemInfo = std::make_unique<TSystemInfo>(*Arithmetic, *NetClientSet, card.ChannelCount());
    ProgramPath = SystemInfo->ProgramPath;
    NoteCreated();
    Drives = std::make_unique<TDriveAccess>();
    DiskFaults = std::make_unique<TDiskFaultList>(CurrentOleDate, [](WPARAM, LPARAM) {});
    CaptureDataLocker = std::make_unique<TCaptureDataLocker>();
    // The index asks the recording engine for its current files once the engine exists.
    CaptureFileList = std::make_unique<TCaptureFileList>(*Drives, *this, *CaptureDataLocker,
                                                         LateFiles, *DiskFaults);
    DiskManager = std::make_unique<TDiskManager>(
        *Drives, *this, *CaptureFileList, *DiskFaults, ProgramPath,
        TDiskManager::Hooks{CurrentOleDate,
                            [this](std::string_view line) {
                                if (ThreadWriteLogRecord) ThreadWriteLogRecord->AddRecord(line);
                            },
                            [this] { return CurrentUser(); }});
    NoteCreated();
    CaptureSet = std::make_unique<TCaptureSet>(card);
    NoteCreated();
    // 4.
    for (int ch = 0; ch < card.ChannelCount(); ++ch) {
        card.OpenChannel(ch);
        card.SetVideoStandard(ch, CaptureSet->Records[size_t(ch)].VideoStandard);
        gaugeAdd(step);
        ::Sleep(50);
    }
    NoteCreated();
    // 5.
    ::Sleep(200);
    if (card.ChannelCount() > 0) RU4Dov_SetOverlayColorKey(kOverlayColorKey);
    step = gaugeStepOf() / 8;
    // 6.
    for (int ch = 0; ch < card.ChannelCount(); ++ch) {
        card.SetVideoStandard(ch, CaptureSet->Records[size_t(ch)].VideoStandard);
        ::Sleep(50);
    }
    // 7.
    PreviewSet = std::make_unique<TPreviewSet>(card);
    NoteCreated();
    NoteCreated();
    ThreadDiskCycle = std::make_unique<TThreadDiskCycle>(*DiskManager);
    NoteCreated();
    gaugeAdd(step);
    // 8.
    for (int ch = 0; ch < card.ChannelCount(); ++ch)
        card.SetEncoderDefaults(ch);
    // 9.
    PreviewSet->ApplyToBoard();
    CaptureSet->ApplyAll();
    gaugeAdd(step);
    // 10.
    ClientCheckSet = std::make_unique<TClientCheckSet>(ProgramPath, nullptr);
    NoteCreated();
    ClientCheck = std::make_unique<TClientCheck>(*ClientCheckSet);
    NoteCreated();
    Synchronizer = std::make_unique<TSynchronizer>();
    ThreadOpenAll = std::make_unique<TThreadOpenAll>(*this, BatchBusy);
    NoteCreated();
    ThreadCloseAll = std::make_unique<TThreadCloseAll>(*this, BatchBusy);
    NoteCreated();
    NetClient = std::make_unique<TNetClient>(NetChannelsHost, *NetClientSet);
    NoteCreated();
    WorkLog = std::make_unique<TWorkLog>(*Arithmetic, ProgramPath);
    NoteCreated();
    // The UDP message server and client follow the work state (see CreatePostStartObjects).
    ReplaySource =
        std::make_unique<TEngineReplaySource>(*SystemInfo, *PreviewSet, *CaptureFileList, *ClientCheck);
    TCPRemoteReplayServer = std::make_unique<TTCPRemoteReplayServer>(
        *ReplaySource, Arithmetic->Ports.Port[1],
        TSendBudget{&NetSentBytes, [this] {
                        int32_t kbps = 0;
                        return LateLive.BandwidthLimit(kbps) ? kbps : 0;
                    }});
    NoteCreated();
    User = std::make_unique<TUser>(*Arithmetic, ProgramPath);
    User->Reload();
    NoteCreated();
    gaugeAdd(step);
    // 11.
    Com = std::make_unique<TCOM>();
    NoteCreated();
    Preview = std::make_unique<TPreview>(MainForm, *this);
    Preview->PlacePanes(SystemInfo->ChannelCount, SystemInfo->PaneRects, SystemInfo->ChannelCount);
    NoteCreated();
    CreateNetPaneActions();
    // 12 to 14.
    CreateAlarmObjects();
    ThreadFreeTCPMainConnecter = std::make_unique<TThreadFreeTCPMainConnecter>(*LiveServers);
    NoteCreated();
    gaugeAdd(step);
    // 15.
    CreateUpsWindow();
    UPSInfoForm = std::make_unique<TUPSInfoForm>(UPSInfoWindow->View(), [this] {
        if (UPSDog) UPSDog->StopPolling();
        if (MainForm) ::PostMessageW(MainForm->WindowHandle(), WM_POWERACTION, 10000, 0);
    });
    UPSInfoWindow->Countdown = UPSInfoForm.get();
    NoteCreated();
    DogSet = std::make_unique<TDogSet>();
    NoteCreated();
    CardDog = std::make_unique<TCardDog>();
    NoteCreated();
    UpsLine = std::make_unique<TCOMUPSLine>(*Com);
    UPSDog = std::make_unique<TUPSDog>(DogSet->Record, *UpsLine, *UPSInfoForm);
    NoteCreated();
    Dog = std::make_unique<TDog>(DogSet->Record, *CardDog, *UPSDog);
    Dog->ApplySettings();
    NoteCreated();
    AutoSet = std::make_unique<TAutoSet>();
    NoteCreated();
    Auto = std::make_unique<TAuto>(*AutoSet, Capture->Services(), *this, card.ChannelCount());
    NoteCreated();
    CreateVoiceObjects();
    gaugeAdd(step);
    // 16.
    CreateStartUpWindows();
    // 17. The index was made empty (no drive ranges before the recording settings): this is
    // its one scan.
    CaptureFileList->ScanDrives();
    indexScanned_ = true;
    NoteCreated();
    ThreadWriteLogRecord = std::make_unique<TThreadWriteLogRecord>(*WorkLog);
    NoteCreated();
    ThreadRasDial = std::make_unique<TThreadRasDial>(RasDialer);
    NoteCreated();
    // Viewers are served from here on.
    LiveEngine = std::make_unique<TLiveHostEngine>(card, *Capture, *CaptureSet, *SystemOtherSet,
                                                   *ClientCheck, *ThreadWriteLogRecord);
    LateLive.Engine = LiveEngine.get();
    gaugeAdd(step);
    // 18. The network channels record into the engine's slots after the board's.
    BindNetworkSlots();
    ThreadCapturePackage = std::make_unique<TThreadCapturePackage>(*Capture);
    Capture->StartCutTimer(*ThreadCapturePackage);
    NoteCreated();
    // 19, 20.
    OtherCtrl->ApplyAtStartUp(SystemOtherSet->Record);
    // 21.
    gaugeAdd(step);
    WriteLog(0);
    // 22.
    setProgress(-20);
    stopTimer();
    NoteCreated();
    // 23.
    CreateMatrixAndGsmObjects();
}

void THost::CreateAlarmObjects() {
    TVideoCard& card = *VideoCard;
    // 12.
    std::vector<std::string> titles;
    for (int ch = 0; ch < card.ChannelCount() && ch < int(PreviewSet->Records.size()); ++ch)
        titles.push_back(PreviewSet->Records[size_t(ch)].Title.Get());
    VideoAlarmAutoFullScreenForm = new TVideoAlarmAutoFullScreenForm(dvr::fw::Application, titles);
    NoteCreated();
    ThreadAutoFullScreen = std::make_unique<TThreadAutoFullScreen>(*this);
    NoteCreated();
    // 13.
    Capture = std::make_unique<TCapture>(card, *DiskManager, *CaptureFileList, *this);
    NoteCreated();
    LateFiles.Capture = Capture.get();
    AlarmSet = std::make_unique<TAlarmSet>(card.ChannelCount());
    NoteCreated();
    ThreadAlarmingMsg = std::make_unique<TThreadAlarmingMsg>(AlarmDispatchHost);
    NoteCreated();
    AlarmView = std::make_unique<TAlarmDisplayView>(*this, MainForm);
    Alarm = std::make_unique<TAlarm>(AlarmDetectHost, ThreadAlarmingMsg->Latches);
    AlarmView->SetStatusImageCount(SystemInfo->ChannelCount);
    Alarm->ApplyAreaSettings();
    ThreadDetectVideoLost = std::make_unique<TThreadDetectVideoLost>(*Alarm);
    ThreadAlarmKeepEnd = std::make_unique<TThreadAlarmKeepEnd>([this](int channel, int what) {
        Synchronize([&] {
            if (what == kKeepEndStopRecording) {
                if (Capture) Capture->StopChannel(channel, ')');
            } else if (Alarm) {
                Alarm->EndAlarm(channel);
            }
        });
    });
    NoteCreated();
    Preview->HideStatusImages();
    AlarmView->SetStatusImageCount(0);
    // 14.
    YunTaiSet = std::make_unique<TYunTaiSet>(ProgramPath);
    NoteCreated();
    ComGateway = std::make_unique<TCOMGateway>(*Com);
    CreatePtzObjects();
    AlarmDevice = std::make_unique<TAlarmDevice>(*ComGateway, AlarmBoxesHost);
    NoteCreated();
    ThreadOpenAllForAlarmUp = std::make_unique<TThreadOpenAllForAlarmUp>(*this);
    NoteCreated();
    ThreadAlarmAudio = std::make_unique<TThreadAlarmAudio>(SoundPlayer, ProgramPath);
    NoteCreated();
    ThreadHardAlarmIn = std::make_unique<TThreadHardAlarmIn>(HardAlarmInHost);
    NoteCreated();
}

void THost::CreatePostStartObjects() {
    CreateLocalAlarmOutWindow();
    WorkState = std::make_unique<TWorkState>(TWorkState::Parts{
        static_cast<TMainFormServices&>(*MainForm), [this] { return TotalChannels(); }, *Auto,
        Capture->Services(), *this, *Preview, BoardCount()});
    NoteCreated();
    // The message server reports the work state, so it follows it; datagrams are dispatched
    // by the message loop that starts after this.
    UDPServerEngineHost = std::make_unique<TUDPServerEngineHost>(TUDPServerEngineHost::Parts{
        BoardCount(), *SystemInfo, *ClientCheckSet, *WorkState, *WorkLog, *PreviewSet, *CaptureSet,
        *AlarmSet, *AutoSet, *YunTaiSet, *SystemOtherSet, *Auto,
        static_cast<TMainFormServices&>(*MainForm), Capture->Services(), *this, *Preview,
        UdpDevices});
    try {
        UDPMessageServer =
            std::make_unique<TUDPMessageServer>(*UDPServerEngineHost, Arithmetic->Ports.Port[14]);
    } catch (const std::exception&) {
        // Another program holds the message port: the host runs without remote requests.
    }
    NoteCreated();
    try {
        UDPMessageClient = std::make_unique<TUDPMessageClient>(UdpReplies, UdpReplies);
    } catch (const std::exception&) {
        // No request socket: the remote windows get no replies.
    }
    NoteCreated();
    CreateMainBlockWindows();
    ThreadClearErrorData = std::make_unique<TThreadClearErrorData>(*CaptureFileList);
    NoteCreated();
}

void THost::StartConsoleServices(TMainFormServices& main, std::function<HWND()> companionWindow) {
    try {
        RemoteUpgradeServerSocket = std::make_unique<TRemoteUpgradeReceiver>(
            ProgramPath, *ClientCheck,
            TRemoteUpgradeReceiver::MainWindowRestart(main, std::move(companionWindow)));
        // A port another program holds leaves the host without upgrades, nothing more.
        RemoteUpgradeServerSocket->Open(Arithmetic->Ports.Port[2]);
    } catch (const std::exception&) {
    }
    try {
        UDPNetNameClient = std::make_unique<TNetNameRegistration>();
    } catch (const std::exception&) {
    }
    try {
        AutoGetRemoterHost = std::make_unique<TAutoGetRemoterHost>(*Arithmetic, *NetClientSet,
                                                                   *SystemOtherSet, BoardCount());
        AutoGetRemoterHost->Resume();
    } catch (const std::exception&) {
    }
}

void THost::RegisterWithNameServer() {
    if (!UDPNetNameClient || !SystemOtherSet || !PreviewSet) return;
    UDPNetNameClient->Register(SystemOtherSet->Record, BoardChannelTitles(*PreviewSet, BoardCount()),
                               Arithmetic->Ports);
}

void THost::SendNameServerGoodbye() {
    if (UDPNetNameClient && SystemOtherSet)
        UDPNetNameClient->SendShutdownNotice(SystemOtherSet->Record, BoardCount());
}

void THost::FreeUdpObjects() {
    UDPMessageClient.reset();
    UDPMessageServer.reset();
}

// ---- the message objects' view of the host

void THostUdpDevices::ClosePreview(int channel) {
    if (host_.Preview) host_.Preview->ClosePreview(channel, true);
}

void THostUdpDevices::SetPictureParams(int channel, const TPictureParams& params) {
    if (host_.VideoCard)
        host_.VideoCard->SetPictureParams(channel, int(params.Brightness), params.Contrast,
                                          params.Saturation, int(params.Hue));
}

int THostUdpReplies::BoardChannelCount() const {
    return host_.BoardCount();
}

int THostUdpReplies::ChannelCount() const {
    return host_.TotalChannels();
}

const TAlarmSetRecord& THostUdpReplies::AlarmRecord(int channel) const {
    static const TAlarmSetRecord none{};
    if (!host_.AlarmSet || channel < 0 || channel >= kSettingsChannels) return none;
    return host_.AlarmSet->Records[size_t(channel)];
}

bool THostUdpReplies::PanePreviewing(int channel) const {
    return host_.PanePreviewing(channel);
}

// ---- routes

void THost::AnalyzeMotionData(int channel, const uint8_t* data, int length) {
    if (Alarm) Alarm->AnalyzeMotionData(channel, data, length);
}

void THost::InputFrame(int channel, int frameType, const uint8_t* data, int length) {
    if (Capture) Capture->InputFrame(channel, frameType, data, length);
}

void THost::FanOutFrame(int channel, int frameType, const uint8_t* data, int length) {
    if (LiveServers) LiveServers->FanOutFrame(channel, frameType, data, length);
}

// ---- recording engine's host

bool THost::MayRecord(int channel) {
    return CheckRight(kRightRecord, channel);
}

void THost::ShowRecording(int channel, bool recording) {
    if (!Preview || channel < 0 || channel >= kLayoutChannels) return;
    // The recording status row is a command bar of the main window; the pane keeps the mark.
    // Posted: the recording threads call this, and a window text set from them would wait
    // for the window thread, which may itself be waiting for them.
    auto show = [this, channel, recording] {
        if (Preview) Preview->ShowRecordMark(channel, recording);
    };
    if (Synchronizer)
        Synchronizer->Post(show);
    else
        show();
}

void THost::WriteLog(int event, int channel) {
    if (!ThreadWriteLogRecord) return;
    ThreadWriteLogRecord->AddRecord(
        WorkLogLine(CurrentOleDate(), event, -1, channel, -1, "", "", CurrentUser()));
}

int THost::MinutesPerFile(int channel) {
    if (!CaptureSet || channel < 0 || channel >= int(CaptureSet->Records.size())) return 30;
    return CaptureSet->Records[size_t(channel)].MinutesPerFile;
}

bool THost::PanePreviewing(int channel) {
    return Preview && channel >= 0 && channel < kLayoutChannels &&
           Preview->Panes[size_t(channel)].Previewing;
}

// ---- drive ranges

TDriveRange THost::Range(int channel) const {
    // Before the recording settings exist no drive is a recording drive.
    if (!CaptureSet) return TDriveRange{'Z', 'A'};
    if (channel < 0 || channel >= int(CaptureSet->Records.size())) return TDriveRange{'D', 'Z'};
    const TCaptureSetRecord& r = CaptureSet->Records[size_t(channel)];
    return TDriveRange{r.FirstDrive, r.LastDrive};
}

void THost::SetRange(int channel, TDriveRange range) {
    if (!CaptureSet || channel < 0 || channel >= int(CaptureSet->Records.size())) return;
    CaptureSet->Records[size_t(channel)].FirstDrive = range.FirstDrive;
    CaptureSet->Records[size_t(channel)].LastDrive = range.LastDrive;
}

// ---- batch steps

void THost::Synchronize(const std::function<void()>& step) {
    if (Synchronizer)
        Synchronizer->Run(step);
    else
        step();
}

void THost::SetMainEnabled(bool enabled) {
    if (MainForm) MainForm->SetEnabled(enabled);
}

bool THost::PanePlaying(int channel) {
    return Preview && channel >= 0 && channel < kLayoutChannels &&
           Preview->Panes[size_t(channel)].Playing;
}

void THost::OpenPreview(int channel) {
    if (Preview) Preview->Open(channel);
}

void THost::ClosePreview(int channel, bool checkRight) {
    if (Preview) Preview->ClosePreview(channel, checkRight);
}

bool THost::CaptureRunning(int channel) {
    return Capture && channel >= 0 && channel < kMaxBoardChannels &&
           Capture->Slots[size_t(channel)].CaptureRunning;
}

bool THost::FileOpen(int channel) {
    return Capture && channel >= 0 && channel < kMaxBoardChannels &&
           Capture->Slots[size_t(channel)].FileOpen;
}

void THost::StartChannel(int channel, char request, int recordingType) {
    if (Capture) Capture->StartChannel(channel, request, recordingType);
}

void THost::StopChannel(int channel, char request) {
    if (Capture) Capture->StopChannel(channel, request);
}

void THost::EnableCycleTimer() {
    if (MainForm) MainForm->VideoCycleTimer->SetEnabled(true);
}

void THost::PostRebuild(WPARAM wParam, LPARAM lParam) {
    if (MainForm) ::PostMessageW(MainForm->WindowHandle(), WM_REBUILDCHANNELMAP, wParam, lParam);
}

// ---- preview's host

bool THost::CheckRight(int right, int item) {
    if (!User) return false;
    const auto [name, password] = User->Current();
    return User->CheckRight(name, password, right, item, -1);
}

int THost::StartBoardPreview(int channel, HWND window, const RECT& bounds, int frameRate) {
    return VideoCard ? VideoCard->StartPreview(channel, window, bounds, frameRate) : -1;
}

int THost::StopBoardPreview(int channel) {
    return VideoCard ? VideoCard->StopPreview(channel) : -1;
}

int THost::SetAudioPreview(int channel, bool on) {
    return VideoCard ? VideoCard->SetAudioPreview(channel, on) : -1;
}

void THost::RestoreOverlay() {
    if (VideoCard) VideoCard->RestoreOverlay();
}

bool THost::ShowBackground(int channel) {
    return PreviewSet && channel >= 0 && channel < int(PreviewSet->Records.size()) &&
           PreviewSet->Records[size_t(channel)].ShowBackground != 0;
}

// ---- detection as the batch workers, the schedule and the work state drive it

bool THost::Armed(int channel) const {
    return Alarm && channel >= 0 && channel < kSettingsChannels && Alarm->Armed[channel];
}

bool THost::Alarming(int channel) const {
    return Alarm && channel >= 0 && channel < kSettingsChannels && Alarm->Alarming[channel];
}

void THost::StartDetection(int channel, int mode) {
    if (Alarm) Alarm->StartDetection(channel, mode);
}

void THost::StopDetection(int channel) {
    if (Alarm) Alarm->StopDetection(channel);
}

void THost::SetAutoMode() {
    if (Alarm) Alarm->SetAutoMode();
}

void THost::ClearAutoMode() {
    if (Alarm) Alarm->ClearAutoMode();
}

void THost::RaiseUpsDtr() {
    if (UPSDog) UPSDog->RaiseDTR();
}

void THost::DogTimerTick() {
    if (UPSDog && UPSDog->TimerEnabled()) UPSDog->TimerTick();
    if (UPSInfoForm && UPSInfoForm->TimerRunning()) UPSInfoForm->TimerTick();
}

void THost::FinishBoardRecordings() {
    if (!VideoCard || !Capture) return;
    for (int ch = 0; ch < BoardCount() && ch < kMaxBoardChannels; ++ch) {
        const TCaptureSlot& slot = Capture->Slots[size_t(ch)];
        if (slot.CaptureRunning && slot.FileOpen) {
            VideoCard->StopCaptureDrained(ch);
            Capture->StopChannel(ch, ')');
        }
    }
}

void THost::ApplyPrivacyMasks() {
    if (!VideoCard || !PreviewSet) return;
    for (int ch = 0; ch < BoardCount() && ch < int(PreviewSet->Records.size()); ++ch) {
        const TPreviewSetRecord& r = PreviewSet->Records[size_t(ch)];
        VideoCard->StopMosaic(ch);
        if (r.MaskOn) VideoCard->StartMosaic(ch, RECT{r.MaskLeft, r.MaskTop, r.MaskRight, r.MaskBottom});
    }
}

// ---- network channels

void THost::BindNetworkSlots() {
    if (NetClient && Capture) NetClient->BindCaptureSlots(*Capture, BoardCount());
}

void THost::StopNetworkReceivers() {
    if (!NetClient || BatchBusy.Any()) return;
    NetClient->StopReceivers();
}

void THost::BindNetworkPanes(TPreviewPane* panes) {
    if (!NetClient) return;
    const int board = BoardCount();
    for (int s = 0; s < kNetSlots; ++s) {
        const int channel = board + s;
        TPreviewPane* pane = channel < kLayoutChannels ? &panes[channel] : nullptr;
        if (pane) pane->Control = pane->Panel->Handle();
        NetClient->SetPane(s, pane);
    }
}

void THost::OpenNetworkRecording(int index) {
    if (NetClient) NetClient->OpenRecording(index);
}

void THost::CloseNetworkRecording(int index) {
    if (NetClient) NetClient->CloseRecording(index);
}

bool THost::NetworkRecording(int channel) {
    return CaptureRunning(channel);
}

void THost::OpenNetworkPreview(int channel) {
    if (NetClient) NetClient->OpenPreview(channel - BoardCount());
}

void THost::CloseNetworkPreview(int channel) {
    if (NetClient) NetClient->ClosePreview(channel - BoardCount());
}

void THost::SendKeyFrameRequest(int channel) {
    if (NetClient) NetClient->RequestKeyFrame(channel - BoardCount());
}

// ---- the alarm workers' view of the panes

int THost::PaneState(int channel) {
    if (!Preview || channel < 0 || channel >= kLayoutChannels) return kPaneGrid;
    return Preview->Panes[size_t(channel)].State;
}

void THost::ToggleFullScreen() {
    if (Preview) Preview->ToggleFullScreen();
}

void THost::PaneDblClick(int channel) {
    if (Preview && channel >= 0 && channel < kLayoutChannels) Preview->PaneDblClick(channel);
}

void THost::StatusImageClick(int channel, bool open) {
    if (BatchBusy.Any()) return;
    if (open)
        ThreadOpenAll->Request(channel, true, false, false);
    else
        ThreadCloseAll->CloseChannels(channel, true, false, false, false, false, -1);
}

} // namespace vantrel
