// Per-channel settings records of the recording, preview, alarm and PTZ settings, and the PTZ
// protocol table: packed, little-endian, fixed size. Portable: the registry, "YT.IFO" and the
// remote settings datagrams carry them as bytes.
#pragma once

#include "common/gbk.h"

#include <cstddef>
#include <cstdint>

namespace vantrel {

using dvr::PString;

constexpr int kSettingsChannels = 49;

// The browser control is built from these sources with VANTREL_CONTROL_BUILD and keeps the
// older, shorter recording and alarm records; the layouts live in their own inline namespace so
// that a unit built one way can never link against a unit built the other way.
#ifdef VANTREL_CONTROL_BUILD
#define VANTREL_RECORD_LAYOUT control_layout
#else
#define VANTREL_RECORD_LAYOUT host_layout
#endif

#pragma pack(push, 1)

inline namespace VANTREL_RECORD_LAYOUT {

// Recording parameters of one channel (registry "CAPTURE", 49 in a row).
struct TCaptureSetRecord {
    int32_t MaxFileSize; // megabytes per hour
    uint8_t LimitFileSize;
    uint8_t Reserved5[3];
    int32_t QualityLevel; // row of QualityTable in normal and DCIF mode
    int32_t KeyFrameInterval;
    int32_t FrameRate;
    int32_t QuantI;
    int32_t QuantB;
    int32_t QuantP;
    int32_t AudioMode; // 0 record sound, otherwise video only
    int32_t MinutesPerFile;
    char FirstDrive;
    char LastDrive;
    uint8_t UltraMode;
    uint8_t UltraLevel;
    uint8_t VideoStandard; // 1 NTSC, 2 PAL
    uint8_t FourCifMode;
    uint8_t FourCifLevel;
#ifdef VANTREL_CONTROL_BUILD
    uint8_t Reserved47;
};
static_assert(sizeof(TCaptureSetRecord) == 48);
#else
    uint8_t DcifMode;
    uint8_t DcifLevel;
    uint8_t Reserved49[3];
};
static_assert(sizeof(TCaptureSetRecord) == 52);
static_assert(offsetof(TCaptureSetRecord, DcifMode) == 47);
static_assert(offsetof(TCaptureSetRecord, DcifLevel) == 48);
#endif
static_assert(offsetof(TCaptureSetRecord, LimitFileSize) == 4);
static_assert(offsetof(TCaptureSetRecord, QualityLevel) == 8);
static_assert(offsetof(TCaptureSetRecord, KeyFrameInterval) == 12);
static_assert(offsetof(TCaptureSetRecord, FrameRate) == 16);
static_assert(offsetof(TCaptureSetRecord, QuantI) == 20);
static_assert(offsetof(TCaptureSetRecord, QuantB) == 24);
static_assert(offsetof(TCaptureSetRecord, QuantP) == 28);
static_assert(offsetof(TCaptureSetRecord, AudioMode) == 32);
static_assert(offsetof(TCaptureSetRecord, MinutesPerFile) == 36);
static_assert(offsetof(TCaptureSetRecord, FirstDrive) == 40);
static_assert(offsetof(TCaptureSetRecord, LastDrive) == 41);
static_assert(offsetof(TCaptureSetRecord, UltraMode) == 42);
static_assert(offsetof(TCaptureSetRecord, UltraLevel) == 43);
static_assert(offsetof(TCaptureSetRecord, VideoStandard) == 44);
static_assert(offsetof(TCaptureSetRecord, FourCifMode) == 45);
static_assert(offsetof(TCaptureSetRecord, FourCifLevel) == 46);

// Brightness, contrast, saturation and hue of a board's video input.
struct TPictureParams {
    uint32_t Brightness; // 0..255
    int32_t Contrast;    // 0..127
    int32_t Saturation;  // 0..127
    uint32_t Hue;        // 0..255
};
static_assert(sizeof(TPictureParams) == 16);

// Picture and on-screen-text settings of one channel (registry "Preview", 49 in a row).
// Positions and the mask use the coordinates of a 352 x 288 picture.
struct TPreviewSetRecord {
    TPictureParams Picture;
    PString<20> Title;
    uint8_t MaskOn;
    int32_t MaskLeft, MaskTop, MaskRight, MaskBottom;
    uint8_t ShowTitle;
    uint8_t ShowDateTime;
    uint8_t ShowBackground; // idle pane shows the background picture
    uint8_t TimeAutoBrightness;
    int32_t DateTimeX, DateTimeY;
    int32_t TitleX, TitleY;
    uint8_t Reserved74[2]; // kept as loaded
};
static_assert(sizeof(TPreviewSetRecord) == 76);
static_assert(offsetof(TPreviewSetRecord, Picture) == 0);
static_assert(offsetof(TPreviewSetRecord, Title) == 16);
static_assert(offsetof(TPreviewSetRecord, MaskOn) == 37);
static_assert(offsetof(TPreviewSetRecord, MaskLeft) == 38);
static_assert(offsetof(TPreviewSetRecord, MaskBottom) == 50);
static_assert(offsetof(TPreviewSetRecord, ShowTitle) == 54);
static_assert(offsetof(TPreviewSetRecord, ShowDateTime) == 55);
static_assert(offsetof(TPreviewSetRecord, ShowBackground) == 56);
static_assert(offsetof(TPreviewSetRecord, TimeAutoBrightness) == 57);
static_assert(offsetof(TPreviewSetRecord, DateTimeX) == 58);
static_assert(offsetof(TPreviewSetRecord, DateTimeY) == 62);
static_assert(offsetof(TPreviewSetRecord, TitleX) == 66);
static_assert(offsetof(TPreviewSetRecord, TitleY) == 70);
static_assert(offsetof(TPreviewSetRecord, Reserved74) == 74);

// A motion area as fractions 0..1 of the picture width (left, right) and height (top, bottom).
struct AlarmAreaFraction {
    double Left, Top, Right, Bottom;
};
static_assert(sizeof(AlarmAreaFraction) == 32);

// An SMS as the alarm settings keep it and the GSM modem sender takes it.
struct SmsMessageBlock {
    uint8_t SmsOn;
    uint8_t GsmPort; // 0..15 for COM1..COM16
    char CentreNumber[16];
    char PhoneNumber[16];
    uint8_t Pid;
    uint8_t Dcs; // 8 = UCS-2
    char Text[161];
};
static_assert(sizeof(SmsMessageBlock) == 197);
static_assert(offsetof(SmsMessageBlock, CentreNumber) == 2);
static_assert(offsetof(SmsMessageBlock, PhoneNumber) == 18);
static_assert(offsetof(SmsMessageBlock, Pid) == 34);
static_assert(offsetof(SmsMessageBlock, Dcs) == 35);
static_assert(offsetof(SmsMessageBlock, Text) == 36);

// Alarm kinds, as the rows of an output map.
enum AlarmKind : int { VideoLoss = 0, Motion = 1, Probe = 2 };

constexpr int kAlarmAreas = 7;
constexpr int kBoxPoints = 16;
constexpr int kAlarmKinds = 3;
constexpr int kUploadAddresses = 50;

// How one channel detects alarms and what its alarms set off (registry "ALARM", 49 in a row).
struct TAlarmSetRecord {
    uint8_t VideoLossOn;
    uint8_t MotionOn;
    uint8_t ProbeOn;
    uint8_t MotionLevel; // 0..6, 0 finest
    uint8_t Sensitivity; // 0..100, smaller is more sensitive
    uint8_t VideoLossSound;
    uint8_t MotionSound;
    uint8_t ProbeSound;
    uint8_t PreRecord;
    uint8_t OpenPreview;
    uint8_t RecordOnAlarm;
    uint8_t LinkedChannels[kSettingsChannels];
    uint8_t OutputToBox;
    uint8_t CallPreset;
    uint8_t NetUpload;
    uint8_t DialUp;
    int32_t AlarmHoldSeconds;
    int32_t RecordDelaySeconds;
    AlarmAreaFraction Areas[kAlarmAreas];
    int32_t AreaCount;
    uint8_t Reserved300[4];
    uint8_t InBoxType;
    uint8_t InBoxPort;
    uint8_t InBoxAddress;
    uint8_t InputOn[kBoxPoints];
    PString<20> InputNames[kBoxPoints];
    uint8_t OutBoxType;
    uint8_t OutBoxPort;
    uint8_t OutBoxAddress;
    uint8_t OutputMap[kAlarmKinds][kBoxPoints];
    PString<20> OutputNames[kAlarmKinds][kBoxPoints];
    PString<30> DialPhone;
    uint8_t DialPlaySound;
    uint8_t UploadToViewers;
    uint8_t UploadAddressOn[kUploadAddresses];
    PString<30> UploadAddresses[kUploadAddresses];
    uint8_t UploadAddressCount;
    SmsMessageBlock Sms;
#ifdef VANTREL_CONTROL_BUILD
    uint8_t Reserved3549[3];
};
static_assert(sizeof(TAlarmSetRecord) == 3552);
static_assert(offsetof(TAlarmSetRecord, Reserved3549) == 3549);
#else
    PString<20> DialUser;
    PString<20> DialPassword;
    uint8_t Reserved3591;
};
static_assert(sizeof(TAlarmSetRecord) == 3592);
static_assert(offsetof(TAlarmSetRecord, DialUser) == 3549);
static_assert(offsetof(TAlarmSetRecord, DialPassword) == 3570);
static_assert(offsetof(TAlarmSetRecord, Reserved3591) == 3591);
#endif
static_assert(offsetof(TAlarmSetRecord, VideoLossOn) == 0);
static_assert(offsetof(TAlarmSetRecord, MotionOn) == 1);
static_assert(offsetof(TAlarmSetRecord, ProbeOn) == 2);
static_assert(offsetof(TAlarmSetRecord, MotionLevel) == 3);
static_assert(offsetof(TAlarmSetRecord, Sensitivity) == 4);
static_assert(offsetof(TAlarmSetRecord, VideoLossSound) == 5);
static_assert(offsetof(TAlarmSetRecord, MotionSound) == 6);
static_assert(offsetof(TAlarmSetRecord, ProbeSound) == 7);
static_assert(offsetof(TAlarmSetRecord, PreRecord) == 8);
static_assert(offsetof(TAlarmSetRecord, OpenPreview) == 9);
static_assert(offsetof(TAlarmSetRecord, RecordOnAlarm) == 10);
static_assert(offsetof(TAlarmSetRecord, LinkedChannels) == 11);
static_assert(offsetof(TAlarmSetRecord, OutputToBox) == 60);
static_assert(offsetof(TAlarmSetRecord, CallPreset) == 61);
static_assert(offsetof(TAlarmSetRecord, NetUpload) == 62);
static_assert(offsetof(TAlarmSetRecord, DialUp) == 63);
static_assert(offsetof(TAlarmSetRecord, AlarmHoldSeconds) == 64);
static_assert(offsetof(TAlarmSetRecord, RecordDelaySeconds) == 68);
static_assert(offsetof(TAlarmSetRecord, Areas) == 72);
static_assert(offsetof(TAlarmSetRecord, AreaCount) == 296);
static_assert(offsetof(TAlarmSetRecord, Reserved300) == 300);
static_assert(offsetof(TAlarmSetRecord, InBoxType) == 304);
static_assert(offsetof(TAlarmSetRecord, InBoxPort) == 305);
static_assert(offsetof(TAlarmSetRecord, InBoxAddress) == 306);
static_assert(offsetof(TAlarmSetRecord, InputOn) == 307);
static_assert(offsetof(TAlarmSetRecord, InputNames) == 323);
static_assert(offsetof(TAlarmSetRecord, OutBoxType) == 659);
static_assert(offsetof(TAlarmSetRecord, OutBoxPort) == 660);
static_assert(offsetof(TAlarmSetRecord, OutBoxAddress) == 661);
static_assert(offsetof(TAlarmSetRecord, OutputMap) == 662);
static_assert(offsetof(TAlarmSetRecord, OutputNames) == 710);
static_assert(offsetof(TAlarmSetRecord, DialPhone) == 1718);
static_assert(offsetof(TAlarmSetRecord, DialPlaySound) == 1749);
static_assert(offsetof(TAlarmSetRecord, UploadToViewers) == 1750);
static_assert(offsetof(TAlarmSetRecord, UploadAddressOn) == 1751);
static_assert(offsetof(TAlarmSetRecord, UploadAddresses) == 1801);
static_assert(offsetof(TAlarmSetRecord, UploadAddressCount) == 3351);
static_assert(offsetof(TAlarmSetRecord, Sms) == 3352);

} // inline namespace VANTREL_RECORD_LAYOUT

// One channel's PTZ camera: which protocol, where and how fast it listens.
struct TYunTaiEntry {
    uint8_t Enabled;
    uint8_t Protocol; // record number in "YT.IFO"
    uint8_t Unused2[2];
    int32_t BaudRate;
    uint8_t Port;    // 0 = COM1 .. 15 = COM16
    uint8_t Address; // camera address
    uint8_t Unused10[2];
};
static_assert(sizeof(TYunTaiEntry) == 12);
static_assert(offsetof(TYunTaiEntry, Protocol) == 1);
static_assert(offsetof(TYunTaiEntry, BaudRate) == 4);
static_assert(offsetof(TYunTaiEntry, Port) == 8);
static_assert(offsetof(TYunTaiEntry, Address) == 9);

// The PTZ settings (registry "YUTAI"; also the payload of the remote request that sets them,
// which carries the user name and password).
constexpr int kYunTaiEntries = 129;
struct TYunTaiSetRecord {
    TYunTaiEntry Entries[kYunTaiEntries];
    PString<10> UserName;
    PString<10> Password;
    uint8_t Unused1570[2];
};
static_assert(sizeof(TYunTaiSetRecord) == 1572);
static_assert(offsetof(TYunTaiSetRecord, UserName) == 1548);
static_assert(offsetof(TYunTaiSetRecord, Password) == 1559);
static_assert(offsetof(TYunTaiSetRecord, Unused1570) == 1570);

// A start or stop frame of one PTZ command, with the rules for filling it in.
// Positions are 1-based byte positions in Frame.
constexpr int kFrameBytes = 51;
struct TYunTaiFrameTemplate {
    uint8_t Frame[kFrameBytes];
    uint8_t Length; // bytes sent, at most 51
    uint8_t AddressPos[3];
    uint8_t AddressBase[3];
    uint8_t AddressMode; // 0 binary, 1 decimal digits, other no address
    uint8_t ChecksumPos[3];
    uint8_t ChecksumRange[3][2]; // first and last position, inclusive
    uint8_t ChecksumKind[3];
    uint8_t Value1Pos;
    uint8_t Value2Pos;
};
static_assert(sizeof(TYunTaiFrameTemplate) == 73);
static_assert(offsetof(TYunTaiFrameTemplate, Length) == 51);
static_assert(offsetof(TYunTaiFrameTemplate, AddressPos) == 52);
static_assert(offsetof(TYunTaiFrameTemplate, AddressBase) == 55);
static_assert(offsetof(TYunTaiFrameTemplate, AddressMode) == 58);
static_assert(offsetof(TYunTaiFrameTemplate, ChecksumPos) == 59);
static_assert(offsetof(TYunTaiFrameTemplate, ChecksumRange) == 62);
static_assert(offsetof(TYunTaiFrameTemplate, ChecksumKind) == 68);
static_assert(offsetof(TYunTaiFrameTemplate, Value1Pos) == 71);
static_assert(offsetof(TYunTaiFrameTemplate, Value2Pos) == 72);

// One PTZ protocol as "YT.IFO" holds it.
constexpr int kYunTaiCommands = 19;
struct TYunTaiProtocol {
    PString<23> Name;
    int32_t BaudRate;
    uint8_t Parity; // 0 none, 1 odd, 2 even, 3 mark, 4 space
    uint8_t DataBits;
    uint8_t StopBits; // 0 one, 1 one and a half, 2 two
    uint8_t Unused31;
    struct Command {
        TYunTaiFrameTemplate Start;
        TYunTaiFrameTemplate Stop;
    } Commands[kYunTaiCommands];
    struct Speed {
        uint8_t Position; // 1-based in the start frame; 0 = no speed
        uint8_t Default;
    } Speeds[kYunTaiCommands];
};
static_assert(sizeof(TYunTaiProtocol) == 2844);
static_assert(offsetof(TYunTaiProtocol, BaudRate) == 24);
static_assert(offsetof(TYunTaiProtocol, Parity) == 28);
static_assert(offsetof(TYunTaiProtocol, DataBits) == 29);
static_assert(offsetof(TYunTaiProtocol, StopBits) == 30);
static_assert(offsetof(TYunTaiProtocol, Commands) == 32);
static_assert(sizeof(TYunTaiProtocol::Command) == 146);
static_assert(offsetof(TYunTaiProtocol, Commands) + 18 * 146 + 73 + 73 == 2806);
static_assert(offsetof(TYunTaiProtocol, Speeds) == 2806);

#pragma pack(pop)

} // namespace vantrel
