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
    int32_t BandwidthLimitKbps;
    uint8_t BandwidthLimitOn;
    uint8_t Reserved137[7];
};
static_assert(sizeof(TOtherSettingsRecord) == 144);
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
static_assert(offsetof(TOtherSettingsRecord, BandwidthLimitKbps) == 132);
static_assert(offsetof(TOtherSettingsRecord, BandwidthLimitOn) == 136);

#pragma pack(pop)

// The records are copied as bytes between the registry, files and datagrams.
static_assert(sizeof(int32_t) == 4 && sizeof(double) == 8);

} // namespace vantrel
