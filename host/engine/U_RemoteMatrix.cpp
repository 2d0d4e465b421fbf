#include "host/engine/U_RemoteMatrix.h"

#include <algorithm>

namespace vantrel {

std::vector<std::string> RemoteMatrixAddresses(const std::vector<TClientGroup>& hosts,
                                               bool withEmpty) {
    std::vector<std::string> list;
    for (const TClientGroup& h : hosts) {
        const std::string address = h.HostAddress.Get();
        if (address.empty() && !withEmpty) continue;
        if (std::find(list.begin(), list.end(), address) == list.end()) list.push_back(address);
    }
    return list;
}

int RemoteMatrixPort(const std::vector<TClientGroup>& hosts, const std::string& address, int slot,
                     int defaultPort) {
    for (const TClientGroup& h : hosts)
        if (h.HostAddress.View() == address) return h.Ports.Port[slot];
    return defaultPort;
}

void RemoteMatrixSwitch(TUdpSender& udp, const std::string& address, int port, uint8_t input,
                        uint8_t output) {
    if (address.empty()) return;
    const uint8_t request[2] = {input, output};
    try {
        udp.SendTo(request, 2, port, address);
    } catch (...) {
    }
}

TRemoteMatrixKeyboard::TRemoteMatrixKeyboard(MatrixKeyboardKind kind, TRelayConnection& connection)
    : Kind(kind), connection_(connection) {
    if (kind == MatrixKeyboardKind::Pelco232) Fields.Speed = 60;
}

void TRemoteMatrixKeyboard::SendRecord(std::string_view command) {
    if (!connection_.Connected()) return;
    connection_.Send(MatrixRelayRecord(Kind, command));
}

void TRemoteMatrixKeyboard::Click(MatrixButton button) {
    const std::string command = MatrixKeyboardCommand(Kind, button, Fields);
    if (!command.empty()) SendRecord(command);
}

void TRemoteMatrixKeyboard::ButtonDown(MatrixButton button) {
    const std::string command = MatrixKeyboardCommand(Kind, button, Fields);
    if (command.empty()) return;
    HeldCommand = Kind == MatrixKeyboardKind::Pelco232 ? MatrixRelayRecord(Kind, command) : command;
    timer_ = true;
    SendRecord(HeldCommand);
}

void TRemoteMatrixKeyboard::TimerTick() {
    if (timer_) SendRecord(HeldCommand);
}

void TRemoteMatrixKeyboard::ButtonUp() {
    if (!timer_) return;
    timer_ = false;
    if (Kind == MatrixKeyboardKind::Pelco232) SendRecord("sa");
}

} // namespace vantrel
