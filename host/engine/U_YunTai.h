// PTZ control: the serial frame of a command built from the channel's protocol table entry
// (address, values, speed, checksums) and written to the camera's port, or for a network
// channel a UDP request to the host that owns the camera; a repeat timer keeps a movement
// going while a control is held.
#pragma once

#include "host/engine/U_ClientGroups.h"
#include "host/engine/U_SerialGateway.h"
#include "host/engine/U_SettingsRecords.h"
#include "host/net/U_UDPMessages.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

// Where a network channel's PTZ requests go.
struct TPtzNetTarget {
    std::string HostAddress;
    int RemoteChannel = 0;
    std::string UserName, Password;
    int MessagePort = 57000; // of the first client group with this host address
};

// The target of a network channel showing `channel` of client group channel.GroupIndex: the
// group's host and credentials, and the UDP message port of the first group with that host
// (57000 when none has it). False when the group index names no group.
bool PtzNetTargetFor(const TClientChannelRecord& channel, const std::vector<TClientGroup>& groups,
                     TPtzNetTarget& target);

class TYunTaiHost {
public:
    virtual ~TYunTaiHost() = default;
    // The logged-on local user's right 7 for the channel.
    virtual bool CheckPtzRight(int channel) const = 0;
    virtual int BoardChannelCount() const = 0;
    // Board plus network channels.
    virtual int ChannelCount() const = 0;
    virtual bool NetTarget(int channel, TPtzNetTarget& target) const = 0;
    // This host's first local IPv4 address.
    virtual std::string OwnAddress() const = 0;
    // The repeat timer's state changed (the window timer follows it).
    virtual void RepeatTimerChanged(bool enabled, int intervalMs) = 0;
};

// Fills a template's frame in place. Exposed for the protocol tests.
void PtzInsertAddress(TYunTaiFrameTemplate& f, uint8_t address);
void PtzComputeChecksums(TYunTaiFrameTemplate& f);
uint8_t PtzChecksum(const uint8_t* frame, int first, int last, uint8_t kind);

class TYunTai {
public:
    static constexpr int kCommands = kYunTaiCommands;

    // settings and protocols are TYunTaiSet's: the templates are filled in place.
    TYunTai(TYunTaiHost& host, const TYunTaiSetRecord& settings,
            std::vector<TYunTaiProtocol>& protocols, TSerialGateway& com, TUdpSender& udp);

    uint8_t SpeedState[kSettingsChannels][kCommands];
    uint16_t RepeatCommand = 0;
    int CurrentChannel = 0;
    uint8_t DiagonalToggle = 0;
    bool AuxState[4] = {};

    bool RepeatTimerEnabled() const { return timerEnabled_; }
    int RepeatInterval() const { return timerInterval_; }
    // 0 plain repeat, 1 up-left, 2 up-right, 3 down-right, 4 down-left.
    int RepeatTag() const { return timerTag_; }
    // The control panel's diagonal presses.
    void SetRepeatTag(int tag) { timerTag_ = tag; }
    void SetRepeatTimer(bool enabled);

    void StartCommand(int channel, int command, uint8_t value1, uint8_t value2);
    void StopCommand(int channel, int command, uint8_t value1, uint8_t value2);
    // tmpl 0 start, 1 stop.
    void SendCommand(int channel, int command, int tmpl, uint8_t value1, uint8_t value2);
    void LoadSpeedDefaults();
    // The repeat timer's tick.
    void RepeatTick();

private:
    const TYunTaiProtocol* ProtocolOf(int channel) const;
    void SendNetwork(int channel, int command, int tmpl, uint8_t value1, uint8_t value2);
    void SendPanasonicPreset(const TYunTaiEntry& entry, const TYunTaiProtocol& p, int command,
                             uint8_t value1);
    void Send(const TYunTaiEntry& entry, const TYunTaiProtocol& p, const uint8_t* frame,
              int length);
    void SetInterval(int ms);

    TYunTaiHost& host_;
    const TYunTaiSetRecord& settings_;
    std::vector<TYunTaiProtocol>& protocols_;
    TSerialGateway& com_;
    TUdpSender& udp_;
    bool timerEnabled_ = false;
    int timerInterval_ = 50;
    int timerTag_ = 0;
};

} // namespace vantrel
