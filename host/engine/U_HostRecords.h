// Stored and transmitted records of the host engine: packed, little-endian, fixed size.
// Portable: the layouts are shared by the registry, files and datagrams.
#pragma once

#include "common/gbk.h"

#include <cstddef>
#include <cstdint>

namespace vantrel {

using dvr::PString;

// Slots of a port table, named after the client settings window's port fields.
enum NetPortSlot : int {
    TCPVideoServerPortBase = 0,
    TCPRemotePlayServerPortBase = 1,
    TCPRemoteUpgradePort = 2,
    TCPSendFilePort = 3,
    TCPChatRoomPort = 4,
    TCPDS_DCtrlPort = 5,
    TCPPelco232CtrlPort = 6,
    UDPMessageClientPort = 13,
    UDPMessageServerPort = 14,
    UDPNetTalkPort = 15,
};

#pragma pack(push, 1)

// The ports of one host's services; travels whole (registry "SocketPort", group records,
// host information and name-server registration).
struct NetPortTable {
    static constexpr int kSlots = 21;
    int32_t Port[kSlots];
};
static_assert(sizeof(NetPortTable) == 84);

// Login to the outside name server.
struct TLogonServerRecord {
    PString<30> ServerAddress;
    PString<10> UserName;
    PString<10> Password;
};
static_assert(sizeof(TLogonServerRecord) == 53);
static_assert(offsetof(TLogonServerRecord, ServerAddress) == 0);
static_assert(offsetof(TLogonServerRecord, UserName) == 31);
static_assert(offsetof(TLogonServerRecord, Password) == 42);

// One remote channel assigned to a client group (registry value "ChannelInfo").
struct TClientChannelRecord {
    uint8_t InUse;
    PString<20> Name;
    uint8_t RemoteChannel;
    uint8_t DropBFrames;
    int32_t GroupIndex; // recomputed at every load
    int32_t GroupId;
};
static_assert(sizeof(TClientChannelRecord) == 32);
static_assert(offsetof(TClientChannelRecord, InUse) == 0);
static_assert(offsetof(TClientChannelRecord, Name) == 1);
static_assert(offsetof(TClientChannelRecord, RemoteChannel) == 22);
static_assert(offsetof(TClientChannelRecord, DropBFrames) == 23);
static_assert(offsetof(TClientChannelRecord, GroupIndex) == 24);
static_assert(offsetof(TClientChannelRecord, GroupId) == 28);

// One remote host (station) of the client settings (registry value "GroupInfo").
struct TClientGroupRecord {
    PString<20> Name;
    PString<50> HostAddress;
    PString<10> UserName;
    PString<10> Password;
    uint8_t Reserved94[2];
    NetPortTable Ports;
    uint32_t MemberLink; // in-memory link in the stored layout; never significant here
    int32_t ParentId;    // 0 for a top-level group
    int32_t OwnId;
    uint32_t TreeNodeLink; // in-memory link in the stored layout; never significant here
};
static_assert(sizeof(TClientGroupRecord) == 196);
static_assert(offsetof(TClientGroupRecord, Name) == 0);
static_assert(offsetof(TClientGroupRecord, HostAddress) == 21);
static_assert(offsetof(TClientGroupRecord, UserName) == 72);
static_assert(offsetof(TClientGroupRecord, Password) == 83);
static_assert(offsetof(TClientGroupRecord, Reserved94) == 94);
static_assert(offsetof(TClientGroupRecord, Ports) == 96);
static_assert(offsetof(TClientGroupRecord, MemberLink) == 180);
static_assert(offsetof(TClientGroupRecord, ParentId) == 184);
static_assert(offsetof(TClientGroupRecord, OwnId) == 188);
static_assert(offsetof(TClientGroupRecord, TreeNodeLink) == 192);

// The browser control's build (VANTREL_CONTROL_BUILD) keeps the older, shorter record; the
// layout's inline namespace keeps units built the two ways from linking together.
#ifdef VANTREL_CONTROL_BUILD
#define VANTREL_OTHER_LAYOUT control_layout
#else
#define VANTREL_OTHER_LAYOUT host_layout
#endif

inline namespace VANTREL_OTHER_LAYOUT {

// The "其它" settings page (registry value "OTHER"; also carried by UDP settings messages).
struct TOtherSettingsRecord {
    uint8_t LockSystemKeys;
    uint8_t RunAtWindowsStart;
    PString<20> WindowsLogonPassword;
    uint8_t TimedPowerOff;
    int32_t PowerOffDays;
    uint8_t Reserved28[4];
    double PowerOffTime; // OLE Automation date; the time part is used
    uint8_t TimedRestart;
    uint8_t Reserved41[3];
    int32_t RestartDays;
    double RestartTime;
    uint8_t ActAsClient;
    uint8_t ShowLogonAtStart;
    PString<30> NameServerAddress;
    PString<20> RegisteredName;
    PString<10> RemoteUserName;
    PString<10> RemotePassword;
#ifdef VANTREL_CONTROL_BUILD
    uint8_t Reserved132[4];
};
static_assert(sizeof(TOtherSettingsRecord) == 136);
static_assert(offsetof(TOtherSettingsRecord, Reserved132) == 132);
#else
    int32_t BandwidthLimitKbps;
    uint8_t BandwidthLimitOn;
    uint8_t Reserved137[7];
};
static_assert(sizeof(TOtherSettingsRecord) == 144);
static_assert(offsetof(TOtherSettingsRecord, BandwidthLimitKbps) == 132);
static_assert(offsetof(TOtherSettingsRecord, BandwidthLimitOn) == 136);
#endif
static_assert(offsetof(TOtherSettingsRecord, LockSystemKeys) == 0);
static_assert(offsetof(TOtherSettingsRecord, RunAtWindowsStart) == 1);
static_assert(offsetof(TOtherSettingsRecord, WindowsLogonPassword) == 2);
static_assert(offsetof(TOtherSettingsRecord, TimedPowerOff) == 23);
static_assert(offsetof(TOtherSettingsRecord, PowerOffDays) == 24);
static_assert(offsetof(TOtherSettingsRecord, PowerOffTime) == 32);
static_assert(offsetof(TOtherSettingsRecord, TimedRestart) == 40);
static_assert(offsetof(TOtherSettingsRecord, RestartDays) == 44);
static_assert(offsetof(TOtherSettingsRecord, RestartTime) == 48);
static_assert(offsetof(TOtherSettingsRecord, ActAsClient) == 56);
static_assert(offsetof(TOtherSettingsRecord, ShowLogonAtStart) == 57);
static_assert(offsetof(TOtherSettingsRecord, NameServerAddress) == 58);
static_assert(offsetof(TOtherSettingsRecord, RegisteredName) == 89);
static_assert(offsetof(TOtherSettingsRecord, RemoteUserName) == 110);
static_assert(offsetof(TOtherSettingsRecord, RemotePassword) == 121);

} // inline namespace VANTREL_OTHER_LAYOUT

// One work-log entry; the log file is an array of them chained by day.
struct TWorkLogRecord {
    double Time; // OLE Automation date
    uint8_t Event;
    int8_t ClientChannel; // -1 = none
    int8_t HostChannel;
    int8_t AlarmPoint;
    PString<20> HostAddress;
    PString<20> ClientAddress;
    PString<10> UserName;
    uint8_t Reserved65[3];
    // A day head: index of the next day's head, or -1 for the newest day.
    // Any other record: index of its day's head.
    int32_t Link;
};
static_assert(sizeof(TWorkLogRecord) == 72);
static_assert(offsetof(TWorkLogRecord, Time) == 0);
static_assert(offsetof(TWorkLogRecord, Event) == 8);
static_assert(offsetof(TWorkLogRecord, ClientChannel) == 9);
static_assert(offsetof(TWorkLogRecord, HostChannel) == 10);
static_assert(offsetof(TWorkLogRecord, AlarmPoint) == 11);
static_assert(offsetof(TWorkLogRecord, HostAddress) == 12);
static_assert(offsetof(TWorkLogRecord, ClientAddress) == 33);
static_assert(offsetof(TWorkLogRecord, UserName) == 54);
static_assert(offsetof(TWorkLogRecord, Link) == 68);

// A right with 49 items of 49 sub-items each (items and sub-items are mostly channels).
struct TRightsBlock {
    static constexpr int kItems = 49;
    uint8_t Enabled;
    struct Item {
        uint8_t Enabled;
        uint8_t Sub[kItems];
    } Items[kItems];
};
static_assert(sizeof(TRightsBlock) == 2451);
static_assert(offsetof(TRightsBlock, Items) == 1);
static_assert(sizeof(TRightsBlock::Item) == 50);

constexpr int kUserRights = 33;
constexpr int kRemoteRights = 16;

// A local operator account ("USER\User.ifm" is an array of them).
struct TUserRecord {
    PString<10> UserName;
    PString<10> Password; // stored in clear
    uint8_t Level;        // 0 chief administrator, 1 administrator, 2 operator
    TRightsBlock Rights[kUserRights];
};
static_assert(sizeof(TUserRecord) == 80906);
static_assert(offsetof(TUserRecord, Password) == 11);
static_assert(offsetof(TUserRecord, Level) == 22);
static_assert(offsetof(TUserRecord, Rights) == 23);

// The last user who logged on: name and password, each space-padded to 10 bytes.
struct TLastUserRecord {
    char UserName[10];
    char Password[10];
};
static_assert(sizeof(TLastUserRecord) == 20);

// A remote user allowed to reach this host ("USER\CheckUser.ifm").
struct TRemoteUserRecord {
    uint8_t InUse;
    PString<10> UserName;
    PString<10> Password;
    TRightsBlock Rights[kRemoteRights];
};
static_assert(sizeof(TRemoteUserRecord) == 39239);
static_assert(offsetof(TRemoteUserRecord, UserName) == 1);
static_assert(offsetof(TRemoteUserRecord, Password) == 12);
static_assert(offsetof(TRemoteUserRecord, Rights) == 23);

// A remote address allowed to reach this host ("USER\CheckIP.ifm").
struct TRemoteIPRecord {
    uint8_t InUse;
    PString<50> Address;
    TRightsBlock Rights[kRemoteRights];
};
static_assert(sizeof(TRemoteIPRecord) == 39268);
static_assert(offsetof(TRemoteIPRecord, Address) == 1);
static_assert(offsetof(TRemoteIPRecord, Rights) == 52);

// One weekday of a channel's timetable: up to 50 ranges, each with a work type.
constexpr int kScheduleRanges = 50;
constexpr int kScheduleDays = 7; // Monday first
constexpr int kWorkTypes = 13;
struct TAutoDayBlock {
    double StartDate[kScheduleRanges]; // OLE dates for the settings window; the day is ignored
    double EndDate[kScheduleRanges];
    int32_t StartTime[kScheduleRanges]; // hour * 10000 + minute * 100 + second
    int32_t EndTime[kScheduleRanges];
    int32_t WorkType[kScheduleRanges]; // 0..12; even types record, all but 0 detect
    int32_t RangeCount;
    int32_t Unused;
};
static_assert(sizeof(TAutoDayBlock) == 1408);
static_assert(offsetof(TAutoDayBlock, StartDate) == 0);
static_assert(offsetof(TAutoDayBlock, EndDate) == 400);
static_assert(offsetof(TAutoDayBlock, StartTime) == 800);
static_assert(offsetof(TAutoDayBlock, EndTime) == 1000);
static_assert(offsetof(TAutoDayBlock, WorkType) == 1200);
static_assert(offsetof(TAutoDayBlock, RangeCount) == 1400);
static_assert(offsetof(TAutoDayBlock, Unused) == 1404);

// A channel's weekly timetable (registry "AUTO", 49 in a row; the remote schedule datagram).
struct TAutoSetRecord {
    TAutoDayBlock Days[kScheduleDays];
};
static_assert(sizeof(TAutoSetRecord) == 9856);

// What the host was doing (registry "WorkState"; the reply to a remote state query).
constexpr int kStateChannels = 49;
struct WorkStateRecord {
    uint8_t ChannelCount;
    uint8_t AutoMode;
    uint8_t PreviewOpen[kStateChannels];
    uint8_t FileOpen[kStateChannels];
    uint8_t Armed[kStateChannels];
    uint8_t Alarming[kStateChannels];
};
static_assert(sizeof(WorkStateRecord) == 198);
static_assert(offsetof(WorkStateRecord, ChannelCount) == 0);
static_assert(offsetof(WorkStateRecord, AutoMode) == 1);
static_assert(offsetof(WorkStateRecord, PreviewOpen) == 2);
static_assert(offsetof(WorkStateRecord, FileOpen) == 51);
static_assert(offsetof(WorkStateRecord, Armed) == 100);
static_assert(offsetof(WorkStateRecord, Alarming) == 149);

#pragma pack(pop)

// The records are copied as bytes between the registry, files and datagrams.
static_assert(sizeof(int32_t) == 4 && sizeof(double) == 8);

} // namespace vantrel
