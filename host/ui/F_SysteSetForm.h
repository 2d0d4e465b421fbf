// The settings dialog: every settings record of the host edited on a working copy, in local
// mode saved to the registry and the user files, in remote mode read from and written to
// another host over the UDP message protocol.
#pragma once

#include "host/engine/U_AlarmSet.h"
#include "host/engine/U_Arithmetic.h"
#include "host/engine/U_AutoSet.h"
#include "host/engine/U_CaptureSet.h"
#include "host/engine/U_ClientCheckSet.h"
#include "host/engine/U_DogSet.h"
#include "host/engine/U_PreviewSet.h"
#include "host/engine/U_SystemOtherSet.h"
#include "host/engine/U_User.h"
#include "host/engine/U_YunTaiSet.h"
#include "host/net/U_UDPMessageClient.h"
#include "host/net/U_UDPMessages.h"
#include "host/net/U_UDPReplyWindows.h"

#include "framework/ui/comctrls.h"
#include "framework/ui/extctrls.h"
#include "framework/ui/forms.h"
#include "framework/ui/stdctrls.h"
#include "framework/ui/timer.h"

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vantrel {

// What the dialog reaches of the running host. Settings objects may be null in remote mode
// only where noted; the hooks are optional.
struct TSystemSetHost {
    int BoardChannels = 0;
    TPreviewSet* PreviewSet = nullptr;
    TCaptureSet* CaptureSet = nullptr;
    TAlarmSet* AlarmSet = nullptr;
    TAutoSet* AutoSet = nullptr;
    TYunTaiSet* YunTaiSet = nullptr;
    TDogSet* DogSet = nullptr;
    TClientCheckSet* CheckSet = nullptr;
    TSystemOtherSet* OtherSet = nullptr;
    TArithmetic* Arithmetic = nullptr;
    TUser* User = nullptr;
    // The board: local mode shows on-screen text and picture values live while editing.
    TVideoCardServices* Card = nullptr;
    // Remote mode: the request socket and the configured host groups (address, ports).
    TUdpSender* Udp = nullptr;
    // Where the reply reader finds the dialog; registered while a remote dialog is open.
    TReplyWindowSet* ReplyWindows = nullptr;
    std::vector<TClientGroupRecord> Groups;
    // After a page's Save has reloaded its settings object: applies it to the running system.
    std::function<void(int page)> ApplyPage;
    // The pickers (shown modally); tests replace them.
    std::function<std::vector<int>(const std::vector<std::string>&)> PickChannels;
    std::function<std::vector<int>()> PickWeekDays;
    // Messages to the operator (GBK); a message box unless replaced.
    std::function<void(const std::string&)> ShowMessage;
    // The main window (receives WM_POWERACTION); the addresses of this computer for
    // cb_LocalIP, and where OK puts the chosen one (TSystemInfo.OwnIP).
    HWND MainWindow = nullptr;
    std::vector<std::string> LocalIPs;
    std::function<void(const std::string&)> SetOwnIP;
    // Time-out of a remote request.
    unsigned ReplyTimeoutMs = 5000;
    // The program folder (GBK, trailing "\\") holding the alarm sounds VL.WAV, VD.WAV, HD.WAV.
    std::string ProgramPath;
    // Plays a sound file once on its own thread; unset: the alarm sound thread.
    std::function<void(const std::string& file)> PlaySound;
    // The open-file dialog for a WAV file: its path (GBK), "" when cancelled.
    std::function<std::string()> ChooseWavFile;
    // The alarm record defaults of a channel; unset: AlarmSet's.
    std::function<void(TAlarmSetRecord&, int channel)> AlarmDefaults;
};

// Mouse rules of the picture and detection-area panels (352 x 288).
struct TDragRect {
    int Left, Top, Right, Bottom;
};
// A privacy mask dragged from the anchor to (x, y): inside the panel, at most 128 on a side.
TDragRect MaskDragRect(int anchorX, int anchorY, int x, int y);
// A detection area dragged from the anchor to (x, y): kept within 1 .. 351 and 1 .. 287.
TDragRect AreaDragRect(int anchorX, int anchorY, int x, int y);
// Whether a new area touches or crosses an existing one (one enclosing another untouched is
// allowed).
bool AreaCollides(const TDragRect& fresh, const TDragRect& existing);

class TSystemSetForm : public dvr::fw::TForm {
    FW_CLASS(TSystemSetForm, dvr::fw::TForm)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(WM_SETTINGSSESSION, WMSettingsSession)
    FW_MESSAGE(WM_SETTINGSRECORD, WMSettingsRecord)
    FW_MESSAGE(WM_SETSUCCESS, WMSetSuccess)
    FW_MESSAGES_END
public:
    enum Page {
        PagePreview,
        PageCapture,
        PageAlarm,
        PageAuto,
        PagePtz,
        PageAuth,
        PageDog,
        PageOther,
        PagePorts,
        PageCount
    };

    TSystemSetForm(dvr::fw::TComponent* AOwner, TSystemSetHost host);
    ~TSystemSetForm() override;

    // Working copy.
    std::array<TPreviewSetRecord, kSettingsChannels> PreviewRecords{};
    std::array<TCaptureSetRecord, kSettingsChannels> CaptureRecords{};
    std::array<TAlarmSetRecord, kSettingsChannels> AlarmRecords{};
    std::array<TAutoSetRecord, kSettingsChannels> AutoRecords{};
    TYunTaiSetRecord PtzRecord{};
    TDogSettingsRecord DogRecord{};
    std::vector<TRemoteUserRecord> RemoteUsers;
    std::vector<TRemoteIPRecord> RemoteIPs;
    TOtherSettingsRecord OtherRecord{};
    NetPortTable PortTable{};

    bool RemoteMode = false;
    int ListChannelCount = 0;
    int EditChannel = 0;
    bool CanClose = false;
    // Remote mode.
    std::string RemoteHost;
    bool ReplyClosed = false;
    UdpMsgSettingsInfo RemoteChannelInfo{};
    TReceiveArea SessionArea; // where the reply reader puts the session information
    int TimerConnectTag = 0;  // 0 a connection or a read awaited, 1 a write

    // Frame.
    dvr::fw::TListView* lv_Channel;
    dvr::fw::TPageControl* pc_SystemSet;
    std::array<dvr::fw::TTabSheet*, PageCount> Sheets{};
    dvr::fw::TButton* bt_OK;
    dvr::fw::TButton* bt_Application;
    dvr::fw::TButton* bt_Cancel;
    dvr::fw::TButton* im_Keyboor;
    std::array<dvr::fw::TButton*, PageCount> ReadButtons{};
    std::array<dvr::fw::TButton*, PageCount> WriteButtons{};
    // Remote connection panel.
    dvr::fw::TPanel* pn_RemoteSetPannel;
    dvr::fw::TComboBox* cb_RemoteMainAddr;
    dvr::fw::TEdit* se_UDPRemoteSetPort;
    dvr::fw::TEdit* ed_UserName;
    dvr::fw::TEdit* ed_Password;
    dvr::fw::TButton* sb_Connect;

    // Picture page.
    dvr::fw::TTrackBar *sb_Bright, *sb_Contrast, *sb_Saturation, *sb_Hue;
    dvr::fw::TEdit* ed_ChannelName;
    dvr::fw::TCheckBox *cb_PutBlock, *cb_ShowChannelName, *cb_ShowChannelTime, *cb_ShowBGImage,
        *cb_OSDAutoBright;
    dvr::fw::TPanel* pn_PreviewVideoPannel;
    dvr::fw::TLabel *lb_OSD_Time, *lb_OSD_Name;
    // The screen cursor at the last press or move on a text label.
    POINT DragAnchor{};
    dvr::fw::TPanel* pn_MarkBlock;
    dvr::fw::TPanel* pn_SetAlarmRectPanel;
    dvr::fw::TLabel *lb_Bright, *lb_Contrast, *lb_Saturation, *lb_Hue;
    // Recording page.
    dvr::fw::TEdit *se_MaxFileSize, *se_FrameRate, *se_FilePackageTime;
    dvr::fw::TCheckBox *cb_SetMaxFileSize, *cb_CapAudio;
    dvr::fw::TComboBox *cb_QualityLevel, *cb_HighQualityLevel, *cb_D1QualityLevel,
        *cb_DCIFQualityLevel, *cb_FromDisk, *cb_ToDisk;
    dvr::fw::TRadioButton *rb_CommonQualityCap, *rb_HeightQualityCap, *rb_D1QualityCap,
        *rb_DCIFQualityCap, *rb_PAL, *rb_NTSC;
    // Detection and alarm page.
    dvr::fw::TCheckBox *cb_VideoLostAlarm, *cb_VideoMoveAlarm, *cb_HardAlarm,
        *cb_VideoLostAlarmSound, *cb_VideoMoveAlarmSound, *cb_HardAarmSound, *cb_StartPrevCapture,
        *cb_StartPreview, *cb_StartCapture, *cb_OutToHard, *cb_CallPrevPos, *cb_AlarmIPUp,
        *cb_AlarmDialUP, *cb_DialPlaySound, *cb_AlarmUPToConnecting, *cb_SendMsg;
    // Per alarm sound (loss, motion, probe): play it once, load another file in its place.
    std::array<dvr::fw::TButton*, 3> sb_AudioTest{}, sb_AudioFile{};
    dvr::fw::TComboBox *cb_DelicacyLevel, *cb_AlarmInBox, *cb_AlarmInCOM, *cb_GSMCOM;
    dvr::fw::TEdit *se_AlarmDelicacy, *se_AlarmTimes, *se_AlarmCapKeepTime, *se_AlarmInBoxAddr,
        *ed_AlarmPhone, *ed_SMCSNumber, *ed_PhoneCode, *ed_SMCSMsg, *ed_RasUserName,
        *ed_RasPassword;
    dvr::fw::TListView *lv_RelatingCapture, *lv_AlarmInList, *lv_AlarmOutList, *lv_AlarmUpIPList;
    dvr::fw::TRadioButton *rb_VideoLostAalrm, *rb_VideoDetectAlarm, *rb_HardDetectAlarm;
    // Schedule page.
    dvr::fw::TListView* lv_AutoSetList;
    dvr::fw::TComboBox* cb_AutoWorkType;
    std::array<dvr::fw::TRadioButton*, 7> rb_Days{};
    dvr::fw::TPanel* pn_AutoEdit;
    dvr::fw::TDateTimePicker *dtp_AutoStart, *dtp_AutoEnd;
    dvr::fw::TButton *sb_AutoAdd, *sb_AutoMod, *sb_AutoDel, *sb_AutoEditOK, *sb_AutoEditCancel;
    // Upload address strip of the alarm page.
    dvr::fw::TPanel* pn_AlarmUpPanel;
    dvr::fw::TEdit* ed_AlarmUpAddr;
    dvr::fw::TButton *sb_AlarmUpAdd, *sb_AlarmUpMod, *sb_AlarmUpDel, *sb_AlarmUpOK,
        *sb_AlarmUpCancel;
    // PTZ page and its edit strip.
    dvr::fw::TListView* lv_YTSetList;
    dvr::fw::TComboBox *cb_YTName, *cb_YTCOM, *cb_YTBaudrate;
    dvr::fw::TButton *sb_YTAdd, *sb_YTMod, *sb_YTDel, *sb_YTOK, *sb_YTCancel;
    dvr::fw::TPanel* pn_YTEditPannel;
    dvr::fw::TEdit *se_YTPort, *se_YTAddress;
    // Authentication page.
    dvr::fw::TListView *lv_UserCheckList, *lv_IPCheckList;
    dvr::fw::TTreeView *tv_UserPowerTree, *tv_IPPowerTree;
    dvr::fw::TButton *sb_UserAdd, *sb_UserMod, *sb_UserDel, *sb_PasswordCheckOK,
        *sb_PasswordCheckCancel, *sb_IPCheckAdd, *sb_IPCheckMod, *sb_IPCheckDel, *sb_IPOK;
    dvr::fw::TPanel *pn_PasswordCheckEditPannel, *pn_IPEditPannel;
    dvr::fw::TEdit *ed_CheckUserName, *ed_CheckPassword, *ed_CheckIP;
    // Watchdog page.
    dvr::fw::TCheckBox *cb_UseCardDog, *cb_ShutAsPowerOff, *cb_SoftShut;
    dvr::fw::TComboBox *cb_CardDogCOM, *cb_ShutCOM;
    dvr::fw::TRadioButton *rb_CardDogRestartOpen, *rb_CardDogRestartClose, *rb_CardDogOPenPCOpen,
        *rb_CardDogOPenPCClose;
    dvr::fw::TDateTimePicker* dtp_CardDogOpenPCTime;
    // Other page.
    dvr::fw::TCheckBox *cb_LockSystemKey, *cb_AutoRun, *cb_AutoShutPC, *cb_AutoReboot,
        *cb_UseClientSet, *cb_AutoShowLogoWindow, *cb_NetLimit;
    dvr::fw::TEdit *ed_AdministratorPassword, *se_AutoShutDays, *se_AutoRebootDays,
        *ed_NetServerAddr, *ed_LocalName, *se_LimitNet;
    dvr::fw::TDateTimePicker *dtp_ShutTime, *dtp_RebootTime;
    dvr::fw::TButton *bt_RestartWindows, *bt_ShutWindows;
    dvr::fw::TComboBox* cb_LocalIP;
    // Ports page: slots 0..6, 13, 14, 15.
    std::array<dvr::fw::TEdit*, 10> PortEdits{};
    dvr::fw::TLabel* lb_VideoPort_Info;

    // Page operations.
    void LoadPreviewPage(int ch);
    void StorePreviewPage(int ch);
    void LoadCapturePage(int ch);
    void StoreCapturePage(int ch);
    void LoadAlarmPage(int ch);
    void StoreAlarmPage(int ch);
    void LoadScheduleDay(int ch, int day);
    void StoreScheduleDay(int ch, int day);
    void LoadPtzPage();
    void StorePtzPage();
    void LoadAuthPage();
    void StoreAuthPage();
    void LoadUserRights(int index);
    void StoreUserRights(int index);
    void LoadIPRights(int index);
    void StoreIPRights(int index);
    void LoadDogPage();
    void StoreDogPage();
    void LoadOtherPage();
    void StoreOtherPage();
    void LoadPortsPage();
    void StorePortsPage();
    void SavePage(int page); // the page's Save: working copy to its settings object

    // Handlers.
    void FormShow(dvr::fw::TObject* Sender);
    void FormClose(dvr::fw::TObject* Sender, dvr::fw::TCloseAction& Action);
    void lv_ChannelSelectItem(dvr::fw::TObject* Sender, dvr::fw::TListItem* Item, bool Selected);
    void lv_ChannelChange(dvr::fw::TObject* Sender);
    void bt_OKClick(dvr::fw::TObject* Sender);
    void bt_ApplicationClick(dvr::fw::TObject* Sender);
    void bt_CancelClick(dvr::fw::TObject* Sender);
    void CopyToClick(dvr::fw::TObject* Sender);  // Tag = page 0..3
    void DefaultClick(dvr::fw::TObject* Sender); // Tag = page 0, 1, 2 or 8
    void rb_DayClick(dvr::fw::TObject* Sender);  // Tag = weekday
    void rb_OutKindClick(dvr::fw::TObject* Sender);
    void lv_AlarmOutListClick(dvr::fw::TObject* Sender);
    void sb_CopyAutoToDayClick(dvr::fw::TObject* Sender);
    void im_KeyboorClick(dvr::fw::TObject* Sender);
    // Picture page: values written at once, mask drawing; detection areas.
    void sb_PictureChange(dvr::fw::TObject* Sender);
    void ed_ChannelNameChange(dvr::fw::TObject* Sender);
    void cb_ShowOsdClick(dvr::fw::TObject* Sender);
    void pn_PreviewMouseDown(dvr::fw::TObject* Sender, dvr::fw::TMouseButton Button,
                             dvr::fw::TShiftState Shift, int X, int Y);
    void pn_PreviewMouseUp(dvr::fw::TObject* Sender, dvr::fw::TMouseButton Button,
                           dvr::fw::TShiftState Shift, int X, int Y);
    void pn_AreaMouseDown(dvr::fw::TObject* Sender, dvr::fw::TMouseButton Button,
                          dvr::fw::TShiftState Shift, int X, int Y);
    void pn_AreaMouseUp(dvr::fw::TObject* Sender, dvr::fw::TMouseButton Button,
                        dvr::fw::TShiftState Shift, int X, int Y);
    void sb_ClearAreasClick(dvr::fw::TObject* Sender);
    void TimeTimerTimer();
    void lb_OSD_TimeMouseDown(dvr::fw::TObject* Sender, dvr::fw::TMouseButton Button,
                              dvr::fw::TShiftState Shift, int X, int Y);
    void lb_OSD_TimeMouseMove(dvr::fw::TObject* Sender, dvr::fw::TShiftState Shift, int X, int Y);
    void lb_OSD_NameMouseMove(dvr::fw::TObject* Sender, dvr::fw::TShiftState Shift, int X, int Y);
    // Moves a text label by the cursor's movement since DragAnchor (screen coordinates) when
    // the label stays on the picture; DragAnchor follows the cursor.
    void DragOsdLabel(dvr::fw::TLabel* label, POINT cursor);
    // Tag 0, 1, 2: the video-loss, motion and probe alarm sound.
    void sb_VideoLostAudioTestClick(dvr::fw::TObject* Sender);
    void sb_VideoLostFileClick(dvr::fw::TObject* Sender);
    void ApplyLiveOsd(); // local mode: the edited row's on-screen text on the board
    void QualityRadioClick(dvr::fw::TObject* Sender); // a radio chosen by the operator
    void PowerButtonClick(dvr::fw::TObject* Sender);  // Tag = WM_POWERACTION's wParam
    void TimeTimerTick(dvr::fw::TObject*) { TimeTimerTimer(); }
    dvr::fw::TTimer* TimeTimer;
    // Schedule slots and upload addresses.
    void sb_AutoAddClick(dvr::fw::TObject* Sender);
    void sb_AutoModClick(dvr::fw::TObject* Sender);
    void sb_AutoDelClick(dvr::fw::TObject* Sender);
    void sb_AutoEditOKClick(dvr::fw::TObject* Sender);
    void sb_AutoEditCancelClick(dvr::fw::TObject* Sender);
    void sb_AlarmUpAddClick(dvr::fw::TObject* Sender);
    void sb_AlarmUpModClick(dvr::fw::TObject* Sender);
    void sb_AlarmUpDelClick(dvr::fw::TObject* Sender);
    void sb_AlarmUpOKClick(dvr::fw::TObject* Sender);
    void sb_AlarmUpCancelClick(dvr::fw::TObject* Sender);
    // PTZ list editing.
    void sb_YTAddClick(dvr::fw::TObject* Sender);
    void sb_YTModClick(dvr::fw::TObject* Sender);
    void sb_YTDelClick(dvr::fw::TObject* Sender);
    void sb_YTOKClick(dvr::fw::TObject* Sender);
    void sb_YTCancelClick(dvr::fw::TObject* Sender);
    void cb_YTNameChange(dvr::fw::TObject* Sender);
    // Remote users and addresses.
    void lv_UserCheckListSelectItem(dvr::fw::TObject* Sender, dvr::fw::TListItem* Item,
                                    bool Selected);
    void lv_IPCheckListSelectItem(dvr::fw::TObject* Sender, dvr::fw::TListItem* Item,
                                  bool Selected);
    void sb_UserAddClick(dvr::fw::TObject* Sender);
    void sb_UserModClick(dvr::fw::TObject* Sender);
    void sb_UserDelClick(dvr::fw::TObject* Sender);
    void sb_PasswordCheckOKClick(dvr::fw::TObject* Sender);
    void sb_PasswordCheckCancelClick(dvr::fw::TObject* Sender);
    void sb_IPCheckAddClick(dvr::fw::TObject* Sender);
    void sb_IPCheckModClick(dvr::fw::TObject* Sender);
    void sb_IPCheckDelClick(dvr::fw::TObject* Sender);
    void sb_IPOKClick(dvr::fw::TObject* Sender);
    // A click on a rights node's check picture (the root cannot change).
    static void ToggleRightsNode(dvr::fw::TTreeNode* node);
    // Remote mode.
    void cb_RemoteMainAddrChange(dvr::fw::TObject* Sender);
    void sb_ConnectClick(dvr::fw::TObject* Sender);
    void ReadRemoteClick(dvr::fw::TObject* Sender);  // Tag = page
    void WriteRemoteClick(dvr::fw::TObject* Sender); // Tag = page
    void TimerConnectTimer();
    void WMSettingsSession(dvr::fw::TMessage& M);
    void WMSettingsRecord(dvr::fw::TMessage& M);
    void WMSetSuccess(dvr::fw::TMessage& M);
    // The reply reader's copy into the working copy (the reader's thread).
    void StoreSettingsRecord(int kind, const uint8_t* data, size_t length);

    // First failing drive-range check's message (GBK), empty when every row passes.
    std::string CheckDriveRanges() const;
    int SelectedRow() const;
    bool TimerConnectRunning() const { return wait_ && wait_->Waiting(); }

private:
    void BuildFrame();
    void BuildPreviewPage(dvr::fw::TTabSheet* ts);
    void BuildCapturePage(dvr::fw::TTabSheet* ts);
    void BuildAlarmPage(dvr::fw::TTabSheet* ts);
    void BuildAutoPage(dvr::fw::TTabSheet* ts);
    void BuildPtzPage(dvr::fw::TTabSheet* ts);
    void BuildAuthPage(dvr::fw::TTabSheet* ts);
    void BuildDogPage(dvr::fw::TTabSheet* ts);
    void BuildOtherPage(dvr::fw::TTabSheet* ts);
    void BuildPortsPage(dvr::fw::TTabSheet* ts);
    void ShowLocal();
    void ShowRemote();
    void AddChannelRow(int ch, const std::string& name);
    void ClearChannelRows();
    void FillProtocolNames();
    bool PageAllowed(int page, int sub) const;
    void StoreAndSaveAll();
    void StartWait(int tag);
    void Send(const void* data, int length, int port);
    int PortOfGroup(const std::string& address, int fallback) const;
    void Message(const char* utf8);
    void AlarmDefaults(TAlarmSetRecord& record, int channel) const;

    TSystemSetHost host_;
    int shownDay_ = 0;
    int outKind_ = 0;
    int rowSelectedWhenSent_ = -1;
    bool ytAdding_ = false;
    int anchorX_ = 0, anchorY_ = 0;
    bool loadingCapture_ = false;
    bool loadingPreview_ = false;
    bool autoAdding_ = false;
    bool uploadAdding_ = false;
    bool userAdding_ = false;
    int userRow_ = -1, ipRow_ = -1; // rows whose rights the trees show
    std::unique_ptr<TReplyWait> wait_;
};

} // namespace vantrel
