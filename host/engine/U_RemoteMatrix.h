// Driving another host's matrix: the XM-3216 by one 2-byte UDP request per switch, the DS_D and
// Pelco232 keyboards by fixed-length command records on a TCP connection to the other host's
// relay. Nothing ever comes back.
#pragma once

#include "host/engine/U_ClientGroups.h"
#include "host/engine/U_MatrixKeyboard.h"
#include "host/net/U_UDPMessages.h"

#include <string>
#include <vector>

namespace vantrel {

// Port-table slots of a host entry.
constexpr int kSlotDsDRelay = 5;
constexpr int kSlotPelcoRelay = 6;
constexpr int kSlotUdpMessages = 14;

// The address lists of the windows: distinct addresses in entry order, empty ones included
// when asked.
std::vector<std::string> RemoteMatrixAddresses(const std::vector<TClientGroup>& hosts,
                                               bool withEmpty);
// The port of the first host entry whose address equals the text exactly, else the default.
int RemoteMatrixPort(const std::vector<TClientGroup>& hosts, const std::string& address, int slot,
                     int defaultPort);

// "切换" of the remote XM-3216 window: nothing without an address; send errors are swallowed.
void RemoteMatrixSwitch(TUdpSender& udp, const std::string& address, int port, uint8_t input,
                        uint8_t output);

// The relay connection of a remote keyboard window.
class TRelayConnection {
public:
    virtual ~TRelayConnection() = default;
    virtual bool Connected() const = 0;
    virtual void Send(const std::string& bytes) = 0;
};

// A remote DS_D or Pelco232 keyboard: each command one record; dropped while not connected.
class TRemoteMatrixKeyboard {
public:
    TRemoteMatrixKeyboard(MatrixKeyboardKind kind, TRelayConnection& connection);

    const MatrixKeyboardKind Kind;
    MatrixKeyboardFields Fields;
    std::string HeldCommand;
    bool TimerEnabled() const { return timer_; }

    void SendRecord(std::string_view command);
    void Click(MatrixButton button);
    void ButtonDown(MatrixButton button);
    void TimerTick();
    // Pelco232 sends "sa" on release; DS_D nothing.
    void ButtonUp();

private:
    TRelayConnection& connection_;
    bool timer_ = false;
};

} // namespace vantrel
