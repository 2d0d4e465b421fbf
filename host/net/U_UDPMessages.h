// The UDP message protocol between hosts (and the browser control): one datagram per request
// or reply, told apart by its length alone (the two 7-byte requests by their keyword), with
// the records of the host engine carried byte for byte. Portable: no windows.h.
#pragma once

#include "host/engine/U_AlarmKinds.h"
#include "host/engine/U_HostRecords.h"
#include "host/engine/U_SettingsRecords.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel {

enum class UdpMsgKind : uint8_t {
    None, // a length no receiver knows, or a keyword that does not match
    // Requests, to the server port.
    UdpMsgMatrixSwitch,
    UdpMsgNetDog,
    UdpMsgStateQuery,
    UdpMsgWorkLogQuery,
    UdpMsgWorkLogDaysQuery,
    UdpMsgDiskInfoQuery,
    UdpMsgRemoteCtrlConnect,
    UdpMsgGetSettings,
    UdpMsgPictureParams,
    UdpMsgAlarmSubscribe,
    UdpMsgAlarmOutput,
    UdpMsgSettingsConnect,
    UdpMsgSetDogSettings,
    UdpMsgRemoteControl,
    UdpMsgSetCaptureSettings,
    UdpMsgSetPortTable,
    UdpMsgChannelCommand,
    UdpMsgSetPreviewSettings,
    UdpMsgPtzCommand,
    UdpMsgSetOtherSettings,
    UdpMsgSetPtzSettings,
    UdpMsgSetAlarmSettings,
    UdpMsgSetScheduleSettings,
    // Replies, to the requesting socket.
    UdpMsgNetDogEcho,
    UdpMsgSetSuccess,
    UdpMsgSettingsRecord,
    UdpMsgWorkLogRecord,
    UdpMsgWorkState,
    UdpMsgDiskInfo,
    UdpMsgRemoteCtrlInfo,
    UdpMsgSettingsInfo,
    UdpMsgWorkLogDays,
    UdpMsgRemoteListRecord, // remote user or address records: never taken up
    // Alarm uploads, to the alarm port (and sometimes the requesting socket).
    AlarmUploadRecord,
};

// Settings kinds of UdpMsgGetSettings, of the settings pages and of WM_SETTINGSRECORD.
enum SettingsKind : int {
    SettingsPreview = 0,
    SettingsCapture = 1,
    SettingsAlarm = 2,
    SettingsSchedule = 3,
    SettingsPtz = 4,
    SettingsRemoteLists = 5,
    SettingsDog = 6,
    SettingsOther = 7,
    SettingsPorts = 8,
};

// Window messages of the UDP services: to the main window from the server, to the waiting
// windows from the reply reader (all with lParam 0 unless stated).
constexpr unsigned WM_REMOTECTRLINFO = 0x417;
constexpr unsigned WM_REMOTECLOSE = 0x418; // to the main window
constexpr unsigned WM_WORKLOGDAYS = 0x418; // to the remote work-log window
constexpr unsigned WM_WORKLOGEND = 0x41A;
constexpr unsigned WM_DISKINFO = 0x41B;
constexpr unsigned WM_SETTINGSSESSION = 0x41D;
constexpr unsigned WM_SETTINGSRECORD = 0x41E; // wParam: the settings kind
constexpr unsigned WM_SETSUCCESS = 0x420;
constexpr unsigned WM_NETDOGREPLY = 0x421; // (row, 0) an echo; (0, 100) a work state stored
constexpr intptr_t kNetDogWorkStateReply = 100;

// The keywords, as string[N] texts.
constexpr std::string_view kKeyNetDog = "NetDog";
constexpr std::string_view kKeyState = "State";
constexpr std::string_view kKeyWorkLog = "WorkLog";
constexpr std::string_view kKeyViewDiskInfo = "ViewDiskInfo";
constexpr std::string_view kKeyRemoteCtrlConnect = "RemoteCtrlConnect";
constexpr std::string_view kKeyRemoteGetSystemSet = "RemoteGetSystemSet";
constexpr std::string_view kKeyRemoteSystemSetConnect = "RemoteSystemSetConnect";
constexpr std::string_view kKeyRemoteSetSuccess = "RemoteSetSuccess";

// The alarm listener's fixed port; the server's default port.
constexpr int kAlarmListenerPort = 56000;
constexpr int kDefaultMessageServerPort = 57000;
// Receive buffers: the server's and the listener's largest datagram, the reply reader's.
constexpr int kServerBufferSize = 102400;
constexpr int kReplyBufferSize = 512000;

// The browser control's own record sizes: a host and a control never exchange these three
// kinds successfully (the host's are 52, 3592 and 144).
constexpr int kControlCaptureSetSize = 48;
constexpr int kControlAlarmSetSize = 3552;
constexpr int kControlOtherSetSize = 136;

// The end record's marks.
constexpr uint8_t kWorkLogEndEvent = 0x9C;
constexpr int32_t kWorkLogEndLink = -100;
constexpr int kWorkLogDaysCapacity = 100;

#pragma pack(push, 1)

// Requests.
struct UdpMsgMatrixSwitch {
    uint8_t Input;
    uint8_t Output;
};
static_assert(sizeof(UdpMsgMatrixSwitch) == 2);

struct UdpMsgNetDog {
    PString<6> Keyword;
};
static_assert(sizeof(UdpMsgNetDog) == 7);

struct UdpMsgStateQuery {
    PString<5> Keyword;
    uint8_t Pad6;
};
static_assert(sizeof(UdpMsgStateQuery) == 7);

struct UdpMsgWorkLogQuery {
    int32_t First;
    int32_t Count;
};
static_assert(sizeof(UdpMsgWorkLogQuery) == 8);
static_assert(offsetof(UdpMsgWorkLogQuery, Count) == 4);

struct UdpMsgWorkLogDaysQuery {
    PString<7> Keyword;
    uint8_t Pad8;
};
static_assert(sizeof(UdpMsgWorkLogDaysQuery) == 9);

struct UdpMsgDiskInfoQuery {
    PString<12> Keyword;
    uint8_t Pad13;
};
static_assert(sizeof(UdpMsgDiskInfoQuery) == 14);

struct UdpMsgRemoteCtrlConnect {
    PString<17> Keyword;
    uint8_t Pad18[3];
};
static_assert(sizeof(UdpMsgRemoteCtrlConnect) == 21);

struct UdpMsgGetSettings {
    uint8_t Kind;
    uint8_t Channel;
    PString<18> Keyword;
    uint8_t Pad21;
};
static_assert(sizeof(UdpMsgGetSettings) == 22);
static_assert(offsetof(UdpMsgGetSettings, Keyword) == 2);

struct UdpMsgPictureParams {
    uint8_t Channel;
    uint8_t Pad1[3];
    TPictureParams Params;
    uint8_t Pad20[8];
};
static_assert(sizeof(UdpMsgPictureParams) == 28);
static_assert(offsetof(UdpMsgPictureParams, Params) == 4);

struct UdpMsgAlarmSubscribe {
    uint8_t Empty; // an empty string
    uint8_t Pad1[31];
    int32_t Channel;
};
static_assert(sizeof(UdpMsgAlarmSubscribe) == 36);
static_assert(offsetof(UdpMsgAlarmSubscribe, Channel) == 32);

constexpr int kRemoteOutputs = 16;
struct UdpMsgAlarmOutput {
    uint8_t Port; // 0 = COM1
    uint8_t BoxType;
    uint8_t BoxAddress;
    uint8_t On;
    uint8_t Outputs[kRemoteOutputs]; // non-zero: switch this output
    PString<10> UserName;
    PString<10> Password;
};
static_assert(sizeof(UdpMsgAlarmOutput) == 42);
static_assert(offsetof(UdpMsgAlarmOutput, Outputs) == 4);
static_assert(offsetof(UdpMsgAlarmOutput, UserName) == 20);
static_assert(offsetof(UdpMsgAlarmOutput, Password) == 31);

struct UdpMsgSettingsConnect {
    PString<22> Keyword;
    uint8_t Pad23;
    PString<10> UserName;
    PString<10> Password;
};
static_assert(sizeof(UdpMsgSettingsConnect) == 46);
static_assert(offsetof(UdpMsgSettingsConnect, UserName) == 24);
static_assert(offsetof(UdpMsgSettingsConnect, Password) == 35);

// The whole watchdog record, as the request carries it with the writer's credentials inside.
struct UdpMsgSetDogSettings {
    uint8_t Settings[32];
    PString<10> UserName;
    PString<10> Password;
    uint8_t Tail[2];
};
constexpr int kDogSettingsSize = 56;
static_assert(sizeof(UdpMsgSetDogSettings) == kDogSettingsSize);
static_assert(offsetof(UdpMsgSetDogSettings, UserName) == 32);
static_assert(offsetof(UdpMsgSetDogSettings, Password) == 43);

struct UdpMsgRemoteControl {
    uint8_t Command;
    uint8_t Pad1[7];
    double Time; // OLE date: the time to set (command 3), else the sending time
    PString<10> UserName;
    PString<10> Password;
    PString<30> OwnAddress;
    uint8_t Pad69[3];
};
static_assert(sizeof(UdpMsgRemoteControl) == 72);
static_assert(offsetof(UdpMsgRemoteControl, Time) == 8);
static_assert(offsetof(UdpMsgRemoteControl, UserName) == 16);
static_assert(offsetof(UdpMsgRemoteControl, Password) == 27);
static_assert(offsetof(UdpMsgRemoteControl, OwnAddress) == 38);

struct UdpMsgSetCaptureSettings {
    uint8_t Channel;
    uint8_t Pad1[3];
    TCaptureSetRecord Record;
    PString<10> UserName;
    PString<10> Password;
    uint8_t Pad78[2];
};
static_assert(offsetof(UdpMsgSetCaptureSettings, Record) == 4);
#ifdef VANTREL_CONTROL_BUILD
// The browser control's older, shorter records.
static_assert(sizeof(UdpMsgSetCaptureSettings) == 76);
static_assert(offsetof(UdpMsgSetCaptureSettings, UserName) == 52);
static_assert(offsetof(UdpMsgSetCaptureSettings, Password) == 63);
#else
static_assert(sizeof(UdpMsgSetCaptureSettings) == 80);
static_assert(offsetof(UdpMsgSetCaptureSettings, UserName) == 56);
static_assert(offsetof(UdpMsgSetCaptureSettings, Password) == 67);
#endif

struct UdpMsgSetPortTable {
    NetPortTable Table;
};
static_assert(sizeof(UdpMsgSetPortTable) == 84);

struct UdpMsgChannelCommand {
    uint8_t Command;
    uint8_t Channels[kSettingsChannels]; // non-zero: apply to this channel
    PString<10> UserName;
    PString<10> Password;
    PString<20> OwnAddress;
};
static_assert(sizeof(UdpMsgChannelCommand) == 93);
static_assert(offsetof(UdpMsgChannelCommand, Channels) == 1);
static_assert(offsetof(UdpMsgChannelCommand, UserName) == 50);
static_assert(offsetof(UdpMsgChannelCommand, Password) == 61);
static_assert(offsetof(UdpMsgChannelCommand, OwnAddress) == 72);

struct UdpMsgSetPreviewSettings {
    uint8_t Channel;
    uint8_t Pad1[3];
    TPreviewSetRecord Record;
    PString<10> UserName;
    PString<10> Password;
    uint8_t Pad102[2];
};
static_assert(sizeof(UdpMsgSetPreviewSettings) == 104);
static_assert(offsetof(UdpMsgSetPreviewSettings, Record) == 4);
static_assert(offsetof(UdpMsgSetPreviewSettings, UserName) == 80);
static_assert(offsetof(UdpMsgSetPreviewSettings, Password) == 91);

struct UdpMsgPtzCommand {
    PString<50> HostAddress; // the host addressed
    PString<50> OwnAddress;  // the sender's own address (checked)
    uint8_t Channel;         // on the receiving host
    uint8_t Protocol;        // the sender's own PTZ protocol number; ignored
    uint8_t Command;         // 0..18
    uint8_t Stop;            // 0 start template, non-zero stop template
    uint8_t Value1;
    uint8_t Value2;
    PString<10> UserName;
    PString<10> Password;
};
static_assert(sizeof(UdpMsgPtzCommand) == 130);
static_assert(offsetof(UdpMsgPtzCommand, OwnAddress) == 51);
static_assert(offsetof(UdpMsgPtzCommand, Channel) == 102);
static_assert(offsetof(UdpMsgPtzCommand, Protocol) == 103);
static_assert(offsetof(UdpMsgPtzCommand, Command) == 104);
static_assert(offsetof(UdpMsgPtzCommand, Stop) == 105);
static_assert(offsetof(UdpMsgPtzCommand, Value1) == 106);
static_assert(offsetof(UdpMsgPtzCommand, Value2) == 107);
static_assert(offsetof(UdpMsgPtzCommand, UserName) == 108);
static_assert(offsetof(UdpMsgPtzCommand, Password) == 119);

// The other and PTZ settings requests are the records themselves, credentials inside.
using UdpMsgSetOtherSettings = TOtherSettingsRecord;
using UdpMsgSetPtzSettings = TYunTaiSetRecord;
#ifdef VANTREL_CONTROL_BUILD
static_assert(sizeof(UdpMsgSetOtherSettings) == 136);
#else
static_assert(sizeof(UdpMsgSetOtherSettings) == 144);
#endif
static_assert(sizeof(UdpMsgSetPtzSettings) == 1572);

struct UdpMsgSetAlarmSettings {
    uint8_t Channel;
    uint8_t Pad1[7];
    TAlarmSetRecord Record;
    PString<10> UserName;
    PString<10> Password;
    uint8_t Pad3622[2];
};
static_assert(offsetof(UdpMsgSetAlarmSettings, Record) == 8);
#ifdef VANTREL_CONTROL_BUILD
static_assert(sizeof(UdpMsgSetAlarmSettings) == 3584);
static_assert(offsetof(UdpMsgSetAlarmSettings, UserName) == 3560);
static_assert(offsetof(UdpMsgSetAlarmSettings, Password) == 3571);
#else
static_assert(sizeof(UdpMsgSetAlarmSettings) == 3624);
static_assert(offsetof(UdpMsgSetAlarmSettings, UserName) == 3600);
static_assert(offsetof(UdpMsgSetAlarmSettings, Password) == 3611);
#endif

struct UdpMsgSetScheduleSettings {
    uint8_t Channel;
    uint8_t Pad1[7];
    TAutoSetRecord Record;
    PString<10> UserName;
    PString<10> Password;
    uint8_t Pad9886[2];
};
static_assert(sizeof(UdpMsgSetScheduleSettings) == 9888);
static_assert(offsetof(UdpMsgSetScheduleSettings, Record) == 8);
static_assert(offsetof(UdpMsgSetScheduleSettings, UserName) == 9864);
static_assert(offsetof(UdpMsgSetScheduleSettings, Password) == 9875);

// Replies.
struct UdpMsgSetSuccess {
    uint8_t Zero;
    PString<17> Keyword; // "RemoteSetSuccess": length 16, the last character byte 0
};
static_assert(sizeof(UdpMsgSetSuccess) == 19);
static_assert(offsetof(UdpMsgSetSuccess, Keyword) == 1);

using UdpMsgWorkState = WorkStateRecord;
using UdpMsgWorkLogRecord = TWorkLogRecord;

struct UdpMsgWorkLogDays {
    int32_t Count;
    uint8_t Pad4[4];
    double Times[kWorkLogDaysCapacity];
    uint8_t Pad808[8];
    int32_t Indexes[kWorkLogDaysCapacity];
    uint8_t Pad1216[4];
    int32_t Total;
};
static_assert(sizeof(UdpMsgWorkLogDays) == 1224);
static_assert(offsetof(UdpMsgWorkLogDays, Times) == 8);
static_assert(offsetof(UdpMsgWorkLogDays, Indexes) == 816);
static_assert(offsetof(UdpMsgWorkLogDays, Total) == 1220);

constexpr int kDriveLetters = 26;
struct UdpMsgDiskInfo {
    int32_t TotalMB[kDriveLetters]; // -1: not a fixed drive
    int32_t FreeMB[kDriveLetters];
};
static_assert(sizeof(UdpMsgDiskInfo) == 208);
static_assert(offsetof(UdpMsgDiskInfo, FreeMB) == 104);

struct UdpMsgRemoteCtrlInfo {
    uint8_t Count; // board channels
    PString<20> Titles[kSettingsChannels];
};
static_assert(sizeof(UdpMsgRemoteCtrlInfo) == 1030);
static_assert(offsetof(UdpMsgRemoteCtrlInfo, Titles) == 1);

struct UdpMsgSettingsInfo {
    UdpMsgRemoteCtrlInfo Info;
    uint8_t Pad1030[6];
};
static_assert(sizeof(UdpMsgSettingsInfo) == 1036);

#pragma pack(pop)

// A socket that sends one datagram to a host (dotted address or name) and port; throws on
// failure, and every caller wraps and swallows that.
class TUdpSender {
public:
    virtual ~TUdpSender() = default;
    virtual void SendTo(const void* buffer, int length, int port, const std::string& host) = 0;
};

// Whether the string[N] at `field` is exactly the keyword (length byte and characters).
template <size_t N> bool KeywordIs(const PString<N>& field, std::string_view keyword) {
    return field.len == keyword.size() && field.View() == keyword;
}

// The kind of a datagram that reached a server port; None for anything to drop.
UdpMsgKind ClassifyRequest(const uint8_t* data, size_t length);
// The kind of a datagram that reached the requesting socket; None for anything to drop.
UdpMsgKind ClassifyReply(const uint8_t* data, size_t length);
// The settings kind of a UdpMsgSettingsRecord by its length; -1 for none (5 is never taken up).
int SettingsKindOfReplyLength(size_t length);
// The length of the settings record of a kind (kind 5: a user record; 0 for none).
size_t SettingsRecordLength(int kind);
// AlarmUploadRecord kinds the receivers act on: '=', '>' and '?'.
bool IsAlarmUploadKind(uint8_t kind);

// Builders of the fixed requests and replies.
UdpMsgNetDog MakeNetDog();
UdpMsgStateQuery MakeStateQuery();
UdpMsgSetSuccess MakeSetSuccess();
// The record that closes a work-log answer: the first record with its marks.
TWorkLogRecord MakeWorkLogEnd(const TWorkLogRecord& first);

} // namespace vantrel
