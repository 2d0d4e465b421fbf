// The host program's object graph: every single instance the start-up creates, held until the
// process ends, and the glue through which they reach one another.
#pragma once

#include "host/engine/T_ThreadWriteLogRecord.h"
#include "host/engine/U_Arithmetic.h"
#include "host/engine/U_Auto.h"
#include "host/engine/U_AlarmSet.h"
#include "host/engine/U_AutoSet.h"
#include "host/engine/U_COM.h"
#include "host/engine/U_Capture.h"
#include "host/engine/U_CaptureDataLocker.h"
#include "host/engine/U_CaptureFileList.h"
#include "host/engine/U_CaptureSet.h"
#include "host/engine/U_ClientCheck.h"
#include "host/engine/U_ClientCheckSet.h"
#include "host/engine/U_DiskManager.h"
#include "host/engine/U_NetClientSet.h"
#include "host/engine/U_OtherCtrl.h"
#include "host/engine/U_PreviewSet.h"
#include "host/engine/U_SystemInfo.h"
#include "host/engine/U_SystemOtherSet.h"
#include "host/engine/U_User.h"
#include "host/engine/U_VideoCard.h"
#include "host/engine/U_WorkLog.h"
#include "host/engine/U_WorkState.h"
#include "host/engine/U_YunTaiSet.h"
#include "host/ui/U_ElectronMap.h"
#include "host/net/T_ThreadFreeTCPMainConnecter.h"
#include "host/net/U_AutoGetRemoterHost.h"
#include "host/net/U_NetClient.h"
#include "host/net/U_NetNameRegistration.h"
#include "host/net/U_RemoteUpgrade.h"
#include "host/net/U_TCPRemoteReplayServer.h"
#include "host/net/U_LiveHostEngine.h"
#include "host/net/U_TCPMainServer.h"
#include "host/net/U_UDPMessageClient.h"
#include "host/net/U_UDPMessageServer.h"
#include "host/net/U_UDPServerEngineHost.h"
#include "host/engine/T_AlarmThreads.h"
#include "host/engine/T_ThreadRasDial.h"
#include "host/engine/U_COMGateway.h"
#include "host/engine/U_DogSet.h"
#include "host/engine/U_UPSDog.h"
#include "host/engine/U_UPSInfoForm.h"
#include "host/engine/U_PeriphWin.h"
#include "host/ui/T_AlarmWindowThreads.h"
#include "host/ui/T_ThreadOpenAll.h"
#include "host/ui/U_HostAlarm.h"
#include "host/ui/U_HostNetChannels.h"
#include "host/ui/U_HostDevices.h"
#include "host/ui/F_SendGSMMsgForm.h"
#include "host/engine/U_GSMCtrl.h"
#include "host/engine/U_MatrixsCtrl.h"
#include "host/engine/T_ThreadSendGSMMsg.h"
#include "host/net/U_WaveIn.h"
#include "host/net/U_WaveOut.h"
#include "host/net/T_ThreadWaveIn.h"
#include "host/net/T_ThreadWaveOut.h"
#include "host/ui/U_Preview.h"

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace vantrel {

class TMainForm;
class TNetPaneActions;
class TNetPaneHost;
class TPtzMouse;
class TVideoAlarmAutoFullScreenForm;
class TUPSInfoWindow;
class TMatrixsCtrlForm;
class TDS_D_MatrixsCtrlForm;
class TPelco232MatrixsCtrlForm;
class TRemoteMatrixsCtrl_DS_DForm;
class TRemoteMatrixsCtrl_Pelco232Form;
class TYunTaiSpeedForm;
class TElectronMapForm;
class TDomeCommands;
class TSpeedDomeForm;
class TConnectionViewForm;
class TRemoteAlarmUpViewForm;
class TNetTalkWindow;
class TShowBMPForm;
class TReplay;
class TReplayHost;
class TClearDataMSGForm;
class TLocalAlarmOutCtrlForm;
class TThreadReplayVideoCapture;
class TRemoteCtrlAlarmBoxForm;
class TNetDogForm;
class TIPPingWindow;
class TPingThread;
class TSendGSMMsgForm;
class TWebServerWindow;
class TSendAndReceiveFileForm;
class TNetChatForm;

// Runs steps on the user-interface thread for the batch workers.
class TSynchronizer {
public:
    TSynchronizer();
    ~TSynchronizer();
    TSynchronizer(const TSynchronizer&) = delete;
    TSynchronizer& operator=(const TSynchronizer&) = delete;
    void Run(const std::function<void()>& step);
    // Runs the step later on the user-interface thread; never waits.
    void Post(std::function<void()> step);

private:
    static LRESULT CALLBACK WndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
    DWORD thread_ = 0;
    HWND window_ = nullptr;
};

// The recordings index exists before the recording engine whose current files it asks for.
struct TLateRecordingFiles : TRecordingFiles {
    TCapture* Capture = nullptr;
    bool CurrentFile(int channel, std::string& fileName) const override {
        return Capture && Capture->CurrentFile(channel, fileName);
    }
};

// The live servers start before the objects they serve exist: until then a viewer is refused.
class TLateLiveHost : public TLiveHost {
public:
    TLiveHost* Engine = nullptr;
    int BoardChannelCount() override { return Engine ? Engine->BoardChannelCount() : 0; }
    int RequestKeyFrame(int ch) override { return Engine ? Engine->RequestKeyFrame(ch) : -1; }
    int FramesSinceKeyFrame(int ch) override {
        return Engine ? Engine->FramesSinceKeyFrame(ch) : 0;
    }
    int FrameRate(int ch) override { return Engine ? Engine->FrameRate(ch) : 25; }
    bool BandwidthLimit(int32_t& kbps) override { return Engine && Engine->BandwidthLimit(kbps); }
    bool CheckUser(std::string_view n, std::string_view p, int r, int i, int s) override {
        return Engine && Engine->CheckUser(n, p, r, i, s);
    }
    bool CheckIP(std::string_view a, int r, int i, int s) override {
        return Engine && Engine->CheckIP(a, r, i, s);
    }
    bool RunningHeader(int ch, std::vector<uint8_t>& h) override {
        return Engine && Engine->RunningHeader(ch, h);
    }
    bool CaptureRunning(int ch) override { return Engine && Engine->CaptureRunning(ch); }
    int CaptureState(int ch) override { return Engine ? Engine->CaptureState(ch) : -1; }
    int StartChannel(int ch, char r, int t) override {
        return Engine ? Engine->StartChannel(ch, r, t) : -1;
    }
    int StopChannel(int ch, char r) override { return Engine ? Engine->StopChannel(ch, r) : -1; }
    void AddLogRecord(std::string_view line) override {
        if (Engine) Engine->AddLogRecord(line);
    }
};

class THost;

// The devices the message server reaches that the host does not run yet: no watchdog, PTZ,
// alarm-box or matrix object; previews and picture values go to the preview and the board.
class THostUdpDevices : public TUDPServerDevices {
public:
    explicit THostUdpDevices(THost& host) : host_(host) {}
    uint8_t* DogSettings() override;
    void SaveDogSettings() override;
    int MatrixType() const override;
    void SwitchMatrix(uint8_t input, uint8_t output) override;
    uint8_t* RemoteOutputStates() override { return outputs_; }
    void SendAlarmOutputs(int boxType, int port, int address, const uint8_t* states) override;
    void PtzStart(int channel, int command, int value1, int value2) override;
    void PtzStop(int channel, int command, int value1, int value2) override;
    void ClosePreview(int channel) override;
    void SetPictureParams(int channel, const TPictureParams& params) override;
    void SubscribeAlarms(int, const std::string&, int) override {}

private:
    THost& host_;
    uint8_t dog_[kDogSettingsSize] = {};
    uint8_t outputs_[kRemoteOutputs] = {};
};

// The reply windows and alarm steps of the message client: none of the remote windows is open
// in the console yet, so replies for them are dropped and uploads only reach the pane state.
class THostUdpReplies : public TUDPReplyWindows, public TRemoteAlarmHost {
public:
    explicit THostUdpReplies(THost& host) : host_(host) {}
    // TUDPReplyWindows
    void Post(ReplyWindow, unsigned, intptr_t, intptr_t) override {}
    std::vector<std::string> NetDogAddresses() override { return {}; }
    TReceiveArea* Area(ReplyWindow) override { return nullptr; }
    void StoreSettingsRecord(int, const uint8_t*, size_t) override {}
    bool WorkLogTimedOut() override { return true; }
    void ClearWorkLogStatus() override {}
    void AddWorkLogRow(const TWorkLogRecord&) override {}
    void FillWorkLogDays(int, const std::vector<std::pair<std::string, int>>&) override {}
    // TRemoteAlarmHost
    int BoardChannelCount() const override;
    int ChannelCount() const override;
    std::string SlotGroupAddress(int) const override { return {}; }
    int SlotRemoteChannel(int) const override { return -1; }
    std::string SlotConnectionAddress(int) const override { return {}; }
    const TAlarmSetRecord& AlarmRecord(int channel) const override;
    void SetSound(int, int, bool) override {}
    void ShowAlarming(int) override {}
    void SwitchAlarmOutputs(int, int, bool) override {}
    bool PanePreviewing(int channel) const override;
    void RequestOpenOnAlarm(int) override {}
    void RequestRecordOnAlarm(int) override {}
    void ResetAlarmTimers(int) override {}
    void QueueMapAlarm(const AlarmUploadRecord& record) override;
    void AddRemoteAlarm(const AlarmUploadRecord&) override {}
    void PostAlarmMessage(ReplyWindow window, intptr_t wParam) override;

private:
    THost& host_;
};

class THost : public TStreamRoutes,
              public TCaptureHost,
              public TDriveRanges,
              public TBatchHost,
              public TPreviewHost,
              public TAlarmServices,
              public TAlarmWindowHost {
public:
    THost();
    ~THost() override;

    // The start-up's objects in the order they came into being, read from the objects
    // themselves after each step (see ObjectsPresent).
    std::vector<std::string> Trace;
    // The electronic map's alarm queue and window: alarm threads reach them until the host
    // ends, after the window is gone (declared first, freed last).
    TMapAlarmQueue MapAlarms;
    std::atomic<HWND> MapWindow{nullptr};
    // The gauge values of the start-up window and the steps of the last shutdown.
    std::string GaugeTrace, ShutdownTrace;
    // The main window as the message loop first showed it.
    bool ShownVisible = false, ShownEnabled = true;
    void NoteCreated();
    std::vector<std::pair<const char*, bool>> ObjectsPresent() const;
    bool IndexScanned() const;

    // ProgramMain's own objects.
    std::unique_ptr<TArithmetic> Arithmetic;
    std::unique_ptr<TOtherCtrl> OtherCtrl;
    // The start-up thread's.
    std::unique_ptr<TVideoCard> VideoCard;
    // The creation sequence's.
    TLateLiveHost LateLive;
    TLateRecordingFiles LateFiles;
    std::unique_ptr<TLiveServers> LiveServers;
    std::unique_ptr<TSystemOtherSet> SystemOtherSet;
    std::unique_ptr<TNetClientSet> NetClientSet;
    std::unique_ptr<TSystemInfo> SystemInfo;
    std::unique_ptr<TDriveAccess> Drives;
    std::unique_ptr<TDiskFaultList> DiskFaults;
    std::unique_ptr<TCaptureFileList> CaptureFileList;
    std::unique_ptr<TDiskManager> DiskManager;
    std::unique_ptr<TCaptureSet> CaptureSet;
    std::unique_ptr<TPreviewSet> PreviewSet;
    std::unique_ptr<TCaptureDataLocker> CaptureDataLocker;
    std::unique_ptr<TThreadDiskCycle> ThreadDiskCycle;
    std::unique_ptr<TClientCheckSet> ClientCheckSet;
    std::unique_ptr<TClientCheck> ClientCheck;
    std::unique_ptr<TSynchronizer> Synchronizer;
    TBatchBusy BatchBusy;
    std::unique_ptr<TThreadOpenAll> ThreadOpenAll;
    std::unique_ptr<TThreadCloseAll> ThreadCloseAll;
    // The network channels: other hosts' channels shown and recorded after the board's.
    THostNetChannels NetChannelsHost{*this};
    std::unique_ptr<TNetClient> NetClient;
    // Slot s of the client serves channel board count + s: its pane and its recording slot.
    void BindNetworkSlots();
    // Before a close-all that rebuilds the channel map: every network channel's receive thread
    // stopped and ended (the close-all then closes the connections). Nothing while a batch
    // runs, as the close-all is then dropped and the channels go on.
    void StopNetworkReceivers();
    std::unique_ptr<TWorkLog> WorkLog;
    std::unique_ptr<TEngineReplaySource> ReplaySource;
    std::unique_ptr<TTCPRemoteReplayServer> TCPRemoteReplayServer;
    std::unique_ptr<TUser> User;
    std::unique_ptr<TCOM> Com;
    std::unique_ptr<TPreview> Preview;
    // The network panes' menu, region zoom and snapshot, over the preview.
    std::unique_ptr<TNetPaneHost> NetPanesHost;
    std::unique_ptr<TNetPaneActions> NetPaneActions;
    void CreateNetPaneActions();
    // PTZ by mouse over the panes, with the panel's mouse mode.
    std::unique_ptr<TPtzMouse> PtzMouse;
    TVideoAlarmAutoFullScreenForm* VideoAlarmAutoFullScreenForm = nullptr;
    std::unique_ptr<TThreadAutoFullScreen> ThreadAutoFullScreen;
    std::unique_ptr<TCapture> Capture;
    std::unique_ptr<TAlarmSet> AlarmSet;
    // The alarm units and what binds them to the objects above.
    THostAlarmDetect AlarmDetectHost{*this};
    THostAlarmDispatch AlarmDispatchHost{*this};
    THostHardAlarmIn HardAlarmInHost{*this};
    THostAlarmBoxes AlarmBoxesHost{*this};
    std::unique_ptr<TThreadAlarmingMsg> ThreadAlarmingMsg;
    std::unique_ptr<TAlarmDisplayView> AlarmView;
    std::unique_ptr<TAlarm> Alarm;
    std::unique_ptr<TThreadAlarmKeepEnd> ThreadAlarmKeepEnd;
    std::unique_ptr<TThreadDetectVideoLost> ThreadDetectVideoLost;
    std::unique_ptr<TCOMGateway> ComGateway;
    std::unique_ptr<TAlarmDevice> AlarmDevice;
    std::unique_ptr<TThreadOpenAllForAlarmUp> ThreadOpenAllForAlarmUp;
    TPlaySoundPlayer SoundPlayer;
    std::unique_ptr<TThreadAlarmAudio> ThreadAlarmAudio;
    std::unique_ptr<TThreadHardAlarmIn> ThreadHardAlarmIn;
    TRasApiDialer RasDialer;
    std::unique_ptr<TThreadRasDial> ThreadRasDial;
    std::unique_ptr<TThreadSendGSMMsg> ThreadSendGSMMsg;
    // PTZ: the protocol object, its repeat timer and the panel on the console.
    THostPtz PtzHost{*this};
    THostUdpSender UdpSender{*this};
    std::unique_ptr<TYunTai> YunTai;
    TPtzPanel* PtzPanel = nullptr;
    void CreatePtzObjects();
    // Voice broadcast's devices and threads.
    std::unique_ptr<TWaveIn> WaveIn;
    std::unique_ptr<TThreadWaveIn> ThreadWaveIn;
    std::unique_ptr<TWaveOut> WaveOut;
    std::unique_ptr<TThreadWaveOut> ThreadWaveOut;
    void CreateVoiceObjects();
    // The windows of the start-up, made once, hidden until asked for.
    TElectronMapForm* ElectronMapForm = nullptr;
    void CreateElectronMap();
    void FreeElectronMap();
    TYunTaiSpeedForm* YunTaiSpeedForm = nullptr;
    std::unique_ptr<TDomeCommands> DomeCommands;
    TSpeedDomeForm* SpeedDomeForm = nullptr;
    TConnectionViewForm* ConnectionViewForm = nullptr;
    THostRemoteAlarms RemoteAlarmsHost{*this};
    TRemoteAlarmUpViewForm* RemoteAlarmUpViewForm = nullptr;
    TNetTalkWindow* NetTalkForm = nullptr;
    // The snapshot viewer works over a replay engine of its own that lives as long as it
    // (no windows to play in: only its search and its snapshot list are used).
    std::unique_ptr<TReplayHost> SnapshotRecordings;
    dvr::fw::TPanel* SnapshotArea = nullptr;
    std::unique_ptr<TReplay> SnapshotReplay;
    TShowBMPForm* ShowBMPForm = nullptr;
    void CreateSnapshotViewer(const std::string& title);
    void FreeSnapshotViewer();
    TClearDataMSGForm* ClearDataMSGForm = nullptr;
    void CreateStartUpWindows();
    // Matrix switcher and GSM modem (the modem's sender thread comes with it).
    TMatrixRegistryStore MatrixStore;
    std::unique_ptr<TMatrixsCtrl> MatrixsCtrl;
    TMatrixsCtrlForm* MatrixsCtrlForm = nullptr;
    TDS_D_MatrixsCtrlForm* DSDMatrixsCtrlForm = nullptr;
    TPelco232MatrixsCtrlForm* Pelco232MatrixsCtrlForm = nullptr;
    TRemoteMatrixsCtrl_Pelco232Form* RemotePelco232MatrixsCtrlForm = nullptr;
    TRemoteMatrixsCtrl_DS_DForm* RemoteDSDMatrixsCtrlForm = nullptr;
    TGsmRegistryStore GsmStore;
    TPostSmsResult SmsResults;
    std::unique_ptr<TGSMCtrl> GSMCtrl;
    void CreateMatrixAndGsmObjects();
    // The main block's windows after the start-up.
    TLocalAlarmOutCtrlForm* LocalAlarmOutCtrlForm = nullptr;
    std::unique_ptr<TThreadReplayVideoCapture> ThreadReplayVideoCapture;
    TRemoteCtrlAlarmBoxForm* RemoteCtrlAlarmBoxForm = nullptr;
    TNetDogForm* NetDogForm = nullptr;
    TIPPingWindow* IPPingForm = nullptr;
    std::unique_ptr<TPingThread> PingThread;
    TSendGSMMsgForm* SendGSMMsgForm = nullptr;
    TWebServerWindow* WebServerForm = nullptr;
    TSendAndReceiveFileForm* SendAndReceiveFileForm = nullptr;
    TNetChatForm* NetChatForm = nullptr;
    void CreateLocalAlarmOutWindow();
    void CreateMainBlockWindows();
    // The windows above go, with their threads and listeners, before the objects they use.
    void FreeHostWindows();
    // The speed-dome window that takes preset calls, once one is open.
    HWND SpeedDomeWindow = nullptr;
    // Watchdog card and UPS; their 1-second timers run on the console.
    TUPSInfoWindow* UPSInfoWindow = nullptr;
    std::unique_ptr<TUPSInfoForm> UPSInfoForm;
    void CreateUpsWindow();
    std::unique_ptr<TDogSet> DogSet;
    std::unique_ptr<TCardDog> CardDog;
    std::unique_ptr<TCOMUPSLine> UpsLine;
    std::unique_ptr<TUPSDog> UPSDog;
    std::unique_ptr<TDog> Dog;
    void RaiseUpsDtr();
    // The 1-second ticks of the UPS poll and of the UPS window's countdown.
    void DogTimerTick();
    // The board channels recording to files: their files take every record still in the
    // board's stream rings, then the encoders stop and the files close.
    void FinishBoardRecordings();
    std::unique_ptr<TYunTaiSet> YunTaiSet;
    std::unique_ptr<TLiveHostEngine> LiveEngine;
    std::unique_ptr<TThreadFreeTCPMainConnecter> ThreadFreeTCPMainConnecter;
    std::unique_ptr<TAutoSet> AutoSet;
    std::unique_ptr<TAuto> Auto;
    std::unique_ptr<TThreadWriteLogRecord> ThreadWriteLogRecord;
    std::unique_ptr<TThreadCapturePackage> ThreadCapturePackage;
    std::unique_ptr<TWorkState> WorkState;
    std::unique_ptr<TThreadClearErrorData> ThreadClearErrorData;
    // The UDP message objects; ShutdownAll destroys them (client first).
    THostUdpDevices UdpDevices{*this};
    THostUdpReplies UdpReplies{*this};
    std::unique_ptr<TUDPServerEngineHost> UDPServerEngineHost;
    std::unique_ptr<TUDPMessageServer> UDPMessageServer;
    std::unique_ptr<TUDPMessageClient> UDPMessageClient;
    void FreeUdpObjects();
    // The console's name-server client (registration every 5 s, the goodbye at shutdown), its
    // upgrade receiver and the host groups' address lookup, made at the console's first show.
    std::unique_ptr<TNetNameRegistration> UDPNetNameClient;
    std::unique_ptr<TRemoteUpgradeReceiver> RemoteUpgradeServerSocket;
    std::unique_ptr<TAutoGetRemoterHost> AutoGetRemoterHost;
    void StartConsoleServices(TMainFormServices& main, std::function<HWND()> companionWindow);
    void RegisterWithNameServer();
    void SendNameServerGoodbye();

private:
    bool indexScanned_ = false;

public:

    TMainForm* MainForm = nullptr;
    std::string ProgramPath; // GBK, trailing "\"

    // Creation sequence steps, each adding to the gauge through `gauge`.
    void RunCreationSequence(const std::function<int()>& gaugeStepOf,
                             const std::function<void(int)>& gaugeAdd,
                             const std::function<void()>& stopTimer,
                             const std::function<void(int)>& setProgress);
    // Objects created by the main block after the start-up window closed.
    void CreatePostStartObjects();

    int BoardCount() const { return VideoCard ? VideoCard->ChannelCount() : 0; }
    int TotalChannels() const { return SystemInfo ? SystemInfo->ChannelCount : BoardCount(); }
    void WriteLog(int event);
    std::string CurrentUser() const;

    // TStreamRoutes
    void AnalyzeMotionData(int channel, const uint8_t* data, int length) override;
    void InputFrame(int channel, int frameType, const uint8_t* data, int length) override;
    void FanOutFrame(int channel, int frameType, const uint8_t* data, int length) override;
    // TCaptureHost
    bool MayRecord(int channel) override;
    void ShowRecording(int channel, bool recording) override;
    void WriteLog(int event, int channel) override;
    int MinutesPerFile(int channel) override;
    int SystemChannelCount() override { return TotalChannels(); }
    bool PanePreviewing(int channel) override;
    void OpenNetworkRecording(int index) override;
    void CloseNetworkRecording(int index) override;
    // TDriveRanges
    int ChannelCount() override { return TotalChannels(); }
    int ChannelCount() const override { return TotalChannels(); }
    TDriveRange Range(int channel) const override;
    void SetRange(int channel, TDriveRange range) override;
    // TBatchHost
    void Synchronize(const std::function<void()>& step) override;
    int BoardChannelCount() override { return BoardCount(); }
    void SetMainEnabled(bool enabled) override;
    bool PanePlaying(int channel) override;
    void OpenPreview(int channel) override;
    void ClosePreview(int channel, bool checkRight) override;
    bool CaptureRunning(int channel) override;
    bool FileOpen(int channel) override;
    void StartChannel(int channel, char request, int recordingType) override;
    void StopChannel(int channel, char request) override;
    bool Armed(int channel) const override;
    bool Alarming(int channel) const override;
    bool Armed(int channel) override { return std::as_const(*this).Armed(channel); }
    bool Alarming(int channel) override { return std::as_const(*this).Alarming(channel); }
    void StartDetection(int channel, int mode) override;
    void StopDetection(int channel) override;
    void SetAutoMode() override;
    void ClearAutoMode() override;
    bool CycleMode() override { return Preview && Preview->CycleMode; }
    void EnableCycleTimer() override;
    void PostRebuild(WPARAM wParam, LPARAM lParam) override;
    // TPreviewHost
    bool CheckRight(int right, int item) override;
    int StartBoardPreview(int channel, HWND window, const RECT& bounds, int frameRate) override;
    int StopBoardPreview(int channel) override;
    int SetAudioPreview(int channel, bool on) override;
    void RestoreOverlay() override;
    bool ShowBackground(int channel) override;
    PaneRect& CurrentVideoArea() override { return SystemInfo->VideoArea; }
    std::vector<PaneRect>& PaneRects() override { return SystemInfo->PaneRects; }
    void UpdateChannelLayout() override { SystemInfo->UpdateChannelLayout(); }
    bool NetworkRecording(int channel) override;
    void OpenNetworkPreview(int channel) override;
    void CloseNetworkPreview(int channel) override;
    void SendKeyFrameRequest(int channel) override;
    void BindNetworkPanes(TPreviewPane* panes) override;
    void StatusImageClick(int channel, bool open) override;
    void ApplyPrivacyMasks() override;
    // TAlarmWindowHost
    int PaneState(int channel) override;
    void ToggleFullScreen() override;
    void PaneDblClick(int channel) override;

    // Creation sequence steps 12 to 14: the alarm objects.
    void CreateAlarmObjects();
};

// The one instance, created by the main block.
extern THost* Host;

} // namespace vantrel
