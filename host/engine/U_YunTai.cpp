#include "host/engine/U_YunTai.h"

#include <cstring>
#include <string>

namespace vantrel {
namespace {

constexpr int kPanasonicPreset = 15, kPanasonicCall = 16;

bool NameIs(const TYunTaiProtocol& p, std::string_view name) {
    return p.Name.View() == name;
}

// The last n characters of "000" followed by the decimal text of v.
std::string Digits(unsigned v, size_t n) {
    const std::string d = "000" + std::to_string(v);
    return d.substr(d.size() - n);
}

} // namespace

bool PtzNetTargetFor(const TClientChannelRecord& channel, const std::vector<TClientGroup>& groups,
                     TPtzNetTarget& target) {
    if (channel.GroupIndex < 0 || size_t(channel.GroupIndex) >= groups.size()) return false;
    const TClientGroup& group = groups[size_t(channel.GroupIndex)];
    target.HostAddress = group.HostAddress.Get();
    target.RemoteChannel = channel.RemoteChannel;
    target.UserName = group.UserName.Get();
    target.Password = group.Password.Get();
    target.MessagePort = 57000;
    for (const TClientGroup& g : groups)
        if (g.HostAddress.View() == target.HostAddress) {
            target.MessagePort = g.Ports.Port[14];
            break;
        }
    return true;
}

void PtzInsertAddress(TYunTaiFrameTemplate& f, uint8_t address) {
    const int length = f.Length;
    const auto within = [&](int pos) { return pos >= 1 && pos <= length && pos <= kFrameBytes; };
    const int a1 = f.AddressPos[0], a2 = f.AddressPos[1], a3 = f.AddressPos[2];
    if (!within(a1)) return;
    if (f.AddressMode == 0) {
        f.Frame[a1 - 1] = uint8_t(address + f.AddressBase[0]);
        if (!within(a2)) return;
        f.Frame[a2 - 1] = uint8_t(address + f.AddressBase[1]);
        if (within(a3)) f.Frame[a3 - 1] = uint8_t(address + f.AddressBase[2]);
    } else if (f.AddressMode == 1) {
        const auto used = [](int pos) { return pos != 0 && pos != 255; };
        const size_t n = used(a3) ? 3 : used(a2) ? 2 : 1;
        const std::string d = Digits(address, n);
        f.Frame[a1 - 1] = uint8_t(f.AddressBase[0] + d[0]);
        if (used(a2) && within(a2)) f.Frame[a2 - 1] = uint8_t(f.AddressBase[1] + d[1]);
        if (used(a3) && within(a3)) f.Frame[a3 - 1] = uint8_t(f.AddressBase[2] + d[2]);
    }
}

uint8_t PtzChecksum(const uint8_t* frame, int first, int last, uint8_t kind) {
    // A range reaching outside the frame's storage is cut to it.
    if (first < 1) first = 1;
    if (last > kFrameBytes) last = kFrameBytes;
    unsigned sum = 0;
    uint8_t x = 0;
    for (int p = first; p <= last; ++p) {
        sum += frame[p - 1];
        x ^= frame[p - 1];
    }
    const uint8_t s = uint8_t(sum);
    switch (kind) {
    case 0:
        return s;
    case 1:
        return x;
    case 2:
        return uint8_t(0xFF - s);
    case 3:
        return uint8_t(0x7F - s);
    case 4:
        return uint8_t(-s);
    case 5:
        return uint8_t(s & 0x7F);
    case 6:
        return uint8_t(s + 0x20);
    default:
        return 0;
    }
}

void PtzComputeChecksums(TYunTaiFrameTemplate& f) {
    for (int i = 0; i < 3; ++i) {
        const int c = f.ChecksumPos[i];
        if (c == 0 || c > f.Length || c > kFrameBytes) return;
        f.Frame[c - 1] = 0;
        f.Frame[c - 1] =
            PtzChecksum(f.Frame, f.ChecksumRange[i][0], f.ChecksumRange[i][1], f.ChecksumKind[i]);
    }
}

TYunTai::TYunTai(TYunTaiHost& host, const TYunTaiSetRecord& settings,
                 std::vector<TYunTaiProtocol>& protocols, TSerialGateway& com, TUdpSender& udp)
    : host_(host), settings_(settings), protocols_(protocols), com_(com), udp_(udp) {
    std::memset(SpeedState, 0, sizeof SpeedState);
    LoadSpeedDefaults();
}

void TYunTai::SetRepeatTimer(bool enabled) {
    timerEnabled_ = enabled;
    host_.RepeatTimerChanged(timerEnabled_, timerInterval_);
}

void TYunTai::SetInterval(int ms) {
    if (timerInterval_ == ms) return;
    timerInterval_ = ms;
    host_.RepeatTimerChanged(timerEnabled_, timerInterval_);
}

const TYunTaiProtocol* TYunTai::ProtocolOf(int channel) const {
    if (channel < 0 || channel >= kSettingsChannels) return nullptr;
    const uint8_t index = settings_.Entries[channel].Protocol;
    return index < protocols_.size() ? &protocols_[index] : nullptr;
}

void TYunTai::LoadSpeedDefaults() {
    for (int c = 0; c < kSettingsChannels; ++c) {
        if (!settings_.Entries[c].Enabled) continue;
        const TYunTaiProtocol* p = ProtocolOf(c);
        if (!p) continue;
        for (int cmd : {0, 1, 2, 3, 6, 7, 8, 9, 10})
            SpeedState[c][cmd] = p->Speeds[cmd].Default;
    }
}

void TYunTai::StartCommand(int channel, int command, uint8_t value1, uint8_t value2) {
    if (!host_.CheckPtzRight(channel)) return;
    SendCommand(channel, command, 0, value1, value2);
    if (command >= 0 && command <= 9) {
        RepeatCommand = uint16_t(command);
        CurrentChannel = channel;
        SetRepeatTimer(true);
    }
}

void TYunTai::StopCommand(int channel, int command, uint8_t value1, uint8_t value2) {
    if (!host_.CheckPtzRight(channel)) return;
    timerTag_ = 0;
    SetRepeatTimer(false);
    SendCommand(channel, command, 1, value1, value2);
}

void TYunTai::SendNetwork(int channel, int command, int tmpl, uint8_t value1, uint8_t value2) {
    TPtzNetTarget target;
    if (!host_.NetTarget(channel, target)) return;
    UdpMsgPtzCommand msg{};
    msg.HostAddress.Set(target.HostAddress);
    msg.OwnAddress.Set(host_.OwnAddress());
    msg.Channel = uint8_t(target.RemoteChannel);
    msg.Protocol = channel < kSettingsChannels ? settings_.Entries[channel].Protocol : 0;
    msg.Command = uint8_t(command);
    msg.Stop = tmpl ? 1 : 0;
    msg.Value1 = value1;
    msg.Value2 = value2;
    msg.UserName.Set(target.UserName);
    msg.Password.Set(target.Password);
    try {
        udp_.SendTo(&msg, sizeof msg, target.MessagePort, target.HostAddress);
    } catch (...) {
    }
}

void TYunTai::Send(const TYunTaiEntry& entry, const TYunTaiProtocol& p, const uint8_t* frame,
                   int length) {
    if (NameIs(p, "YX")) {
        SetInterval(100);
        for (int i = 0; i < 3; ++i)
            SerialWrite(com_, entry.Port, 9600, 0, frame + i, 1);
        return;
    }
    SetInterval(50);
    uint32_t none = 0;
    com_.Transact(entry.Port, entry.BaudRate, p.Parity, p.DataBits, p.StopBits, frame, length,
                  false, nullptr, none);
}

void TYunTai::SendPanasonicPreset(const TYunTaiEntry& entry, const TYunTaiProtocol& p, int command,
                                  uint8_t value1) {
    TYunTaiFrameTemplate& f = protocols_[entry.Protocol].Commands[command].Start;
    PtzInsertAddress(f, entry.Address); // also when a stop was asked for: the start is sent
    const int length = f.Length <= kFrameBytes ? f.Length : kFrameBytes;
    const std::string number = Digits(value1, 2);
    if (command == kPanasonicCall) {
        // The camera takes the preset number as two ASCII digits after the command letter.
        f.Frame[14] = uint8_t(number[0]);
        f.Frame[15] = uint8_t(number[1]);
        Send(entry, p, f.Frame, length);
        return;
    }
    Send(entry, p, f.Frame, length);
    f.Frame[13] = 0x32;
    f.Frame[14] = uint8_t(number[0]);
    f.Frame[15] = uint8_t(number[1]);
    Send(entry, p, f.Frame, length);
    const uint8_t tails[2][4] = {{0x31, 0x35, 0x34, 0x32}, {0x31, 0x35, 0x34, 0x33}};
    for (const auto& tail : tails) {
        std::memcpy(f.Frame + 13, tail, 4);
        Send(entry, p, f.Frame, length);
    }
}

void TYunTai::SendCommand(int channel, int command, int tmpl, uint8_t value1, uint8_t value2) {
    const int total = host_.ChannelCount();
    const int board = host_.BoardChannelCount();
    if (total == 0 || channel < 0 || channel >= total || channel >= kSettingsChannels) return;
    if (command < 0 || command >= kCommands) return;
    if (channel >= board) {
        SendNetwork(channel, command, tmpl, value1, value2);
        return;
    }
    const TYunTaiEntry& entry = settings_.Entries[channel];
    if (!entry.Enabled) return;
    if (entry.Protocol >= protocols_.size()) return;
    TYunTaiProtocol& p = protocols_[entry.Protocol];
    TYunTaiProtocol::Command& cmd = p.Commands[command];
    TYunTaiFrameTemplate& f = tmpl ? cmd.Stop : cmd.Start;
    const int length = f.Length <= kFrameBytes ? f.Length : kFrameBytes;

    PtzInsertAddress(f, entry.Address);
    if (NameIs(p, "Panasonic850/860") &&
        (command == kPanasonicPreset || command == kPanasonicCall)) {
        SendPanasonicPreset(entry, p, command, value1);
        return;
    }
    if (command >= 15) {
        if (f.Value1Pos >= 1 && f.Value1Pos < length) f.Frame[f.Value1Pos - 1] = value1;
        if (f.Value2Pos >= 1 && f.Value2Pos < length) f.Frame[f.Value2Pos - 1] = value2;
    }
    // The speed goes into the start template only: a stop frame never carries one.
    const int q = p.Speeds[command].Position;
    if (q >= 1 && q <= cmd.Start.Length && q <= kFrameBytes) {
        const uint8_t s = SpeedState[channel][command];
        uint8_t stored = s;
        if (NameIs(p, "LiLing")) {
            if (command <= 1)
                stored = uint8_t(s * 8 + 0x80);
            else if (command <= 3)
                stored = uint8_t(s + 0x80);
        }
        cmd.Start.Frame[q - 1] = stored;
    }
    PtzComputeChecksums(f);
    if (NameIs(p, "JD")) f.Frame[2] = uint8_t(f.Frame[0] + 0x50);
    Send(entry, p, f.Frame, length);
}

void TYunTai::RepeatTick() {
    if (timerTag_ == 0) {
        const TYunTaiProtocol* p = ProtocolOf(CurrentChannel);
        if (p && NameIs(*p, "JD")) return;
        SendCommand(CurrentChannel, RepeatCommand, 0, 0, 0);
        return;
    }
    static constexpr int kDiagonal[5][2] = {{0, 0}, {2, 0}, {3, 0}, {1, 3}, {1, 2}};
    if (timerTag_ < 1 || timerTag_ > 4) return;
    const int d = kDiagonal[timerTag_][DiagonalToggle & 1];
    SendCommand(CurrentChannel, d, 0, 0, 0);
    DiagonalToggle ^= 1;
}

} // namespace vantrel
