#include "host/engine/U_AlarmDevice.h"

#include <cstring>

namespace vantrel {
namespace {

constexpr int32_t kBoxBaud = 9600;

uint8_t Sum(const BoxFrame& f, size_t end) {
    unsigned s = 0;
    for (size_t i = 0; i < end; ++i)
        s += f[i];
    return uint8_t(s);
}

uint8_t Xor(const BoxFrame& f, size_t first, size_t last) {
    uint8_t x = 0;
    for (size_t i = first; i <= last; ++i)
        x ^= f[i];
    return x;
}

// Bit 0 is the first point of the group.
uint8_t Pack(const uint8_t* points, int count, int firstBit) {
    uint8_t b = 0;
    for (int i = 0; i < count; ++i)
        if (points[i]) b |= uint8_t(1u << (firstBit + i));
    return b;
}

void Unpack(uint8_t b, uint8_t* points, int count, int firstBit) {
    for (int i = 0; i < count; ++i)
        points[i] = (b >> (firstBit + i)) & 1u;
}

BoxFrame GenericFrame(uint8_t code, uint8_t address, uint8_t o1, uint8_t o2) {
    BoxFrame f{0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, code, address,
               0x03, o1,   o2,   0x21, 0,    0xFE, 0xEE, 0xEE};
    f[12] = Xor(f, 4, 11);
    return f;
}

bool ValidChannel(int channel) {
    return channel >= 0 && channel < kSettingsChannels;
}

} // namespace

int AlarmBoxDeviceCode(int type) {
    static constexpr int kCodes[] = {0x0B, 0x0C, 0x07, 0x09, 0x0D, 0x0A};
    return type >= 4 && type <= 9 ? kCodes[type - 4] : -1;
}

BoxFrame AlarmBoxPollFrame(int type, uint8_t address) {
    BoxFrame f;
    switch (type) {
    case 0:
        f = {0x2A, 0x04, address, 0x00, 0x30, 0};
        f[5] = Sum(f, 5);
        break;
    case 1:
        f = {0x5A, 0x03, 0x31, 0x01, 0x8F};
        break;
    case 2:
        f = {0xE0, address, 0x3F, 0x00, 0x00, 0};
        f[5] = Sum(f, 5);
        break;
    case 3:
        f = {0xF4, 0x6F, 0x00, address, uint8_t((0x6F + 0x00 + address) & 0x7F)};
        break;
    default:
        if (AlarmBoxDeviceCode(type) >= 0)
            f = GenericFrame(uint8_t(AlarmBoxDeviceCode(type)), address, 0, 0);
    }
    return f;
}

int AlarmBoxReplySize(int type) {
    switch (type) {
    case 0:
        return 8;
    case 1:
    case 2:
        return 6;
    case 3:
        return 7;
    default:
        return AlarmBoxDeviceCode(type) >= 0 ? 15 : 0;
    }
}

bool AlarmBoxParseReply(int type, uint8_t address, const uint8_t* r, uint32_t n,
                        uint8_t inputs[kBoxPoints]) {
    // A reply counts only when it holds every byte looked at: a short answer is no answer.
    uint8_t got[kBoxPoints] = {};
    switch (type) {
    case 0:
        if (n < 7 || r[0] != 0x2A || r[1] != 0x06 || r[4] != 0xB0) return false;
        Unpack(r[5], got, 8, 0);
        Unpack(r[6], got + 8, 8, 0);
        break;
    case 1:
        if (n < 5 || r[0] != 0x5A || r[1] != 0x04 || r[2] != 0x31) return false;
        Unpack(r[3], got, 8, 0);
        Unpack(r[4], got + 8, 8, 0);
        break;
    case 2:
        if (n < 5 || r[0] != 0xF0 || r[1] != address || r[2] != 0xD0) return false;
        Unpack(r[3], got, 8, 0);
        Unpack(r[4], got + 8, 8, 0);
        break;
    case 3:
        if (n < 6 || r[0] != 0xF6 || r[1] != 0x1A || r[3] != address) return false;
        Unpack(r[5], got, 6, 1);
        break;
    default: {
        const int code = AlarmBoxDeviceCode(type);
        if (code < 0 || n < 11 || r[4] != code || r[5] != address) return false;
        Unpack(r[9], got, 8, 0);
        Unpack(r[10], got + 8, 8, 0);
    }
    }
    std::memcpy(inputs, got, kBoxPoints);
    return true;
}

std::vector<BoxFrame> AlarmBoxOutputFrames(int type, uint8_t address,
                                           const uint8_t outputs[kBoxPoints]) {
    const uint8_t o1 = Pack(outputs, 8, 0), o2 = Pack(outputs + 8, 8, 0);
    switch (type) {
    case 0: {
        BoxFrame f{0x2A, 0x06, address, 0x00, 0x31, o1, o2, 0};
        f[7] = Sum(f, 7);
        return {f};
    }
    case 1: {
        BoxFrame a{0x5A, 0x03, 0x32, Pack(outputs, 4, 2), 0};
        a[4] = Sum(a, 4);
        BoxFrame b{0x5A, 0x04, 0x38, Pack(outputs + 4, 6, 2), Pack(outputs + 10, 6, 2), 0};
        b[5] = Sum(b, 5);
        return {a, b};
    }
    case 2: {
        BoxFrame f{0xE0, address, 0x3D, o1, o2, 0};
        f[5] = Sum(f, 5);
        return {f};
    }
    case 3: {
        const uint8_t v = outputs[0] ? 1 : 0;
        return {{0xF6, 0x5E, 0x00, address, 0x01, v,
                 uint8_t((0x5E + 0x00 + address + 0x01 + v) & 0x7F)}};
    }
    default:
        if (AlarmBoxDeviceCode(type) < 0) return {};
        return {GenericFrame(uint8_t(AlarmBoxDeviceCode(type)), address, o1, o2)};
    }
}

TAlarmDevice::TAlarmDevice(TSerialGateway& com, const TAlarmDeviceHost& host)
    : com_(com), host_(host) {
    std::memset(OutputState, 0, sizeof OutputState);
    std::memset(RemoteOutputStates, 0, sizeof RemoteOutputStates);
}

bool TAlarmDevice::Poll(int type, uint8_t port, uint8_t address, uint8_t inputs[kBoxPoints]) {
    const BoxFrame poll = AlarmBoxPollFrame(type, address);
    if (poll.empty()) return false;
    uint8_t reply[16] = {};
    uint32_t got = uint32_t(AlarmBoxReplySize(type));
    if (com_.Transact(port, kBoxBaud, 0, 8, 0, poll.data(), int32_t(poll.size()), true, reply,
                      got) != 0)
        return false;
    return AlarmBoxParseReply(type, address, reply, got, inputs);
}

bool TAlarmDevice::ReadInputsType0(uint8_t port, uint8_t address, uint8_t inputs[kBoxPoints]) {
    return Poll(0, port, address, inputs);
}
bool TAlarmDevice::ReadInputsType1(uint8_t port, uint8_t address, uint8_t inputs[kBoxPoints]) {
    return Poll(1, port, address, inputs);
}
bool TAlarmDevice::ReadInputsType2(uint8_t port, uint8_t address, uint8_t inputs[kBoxPoints]) {
    return Poll(2, port, address, inputs);
}
bool TAlarmDevice::ReadInputsType3(uint8_t port, uint8_t address, uint8_t inputs[kBoxPoints]) {
    return Poll(3, port, address, inputs);
}
bool TAlarmDevice::ReadInputsGeneric(uint8_t port, uint8_t address, uint8_t type,
                                     uint8_t inputs[kBoxPoints]) {
    return AlarmBoxDeviceCode(type) >= 0 && Poll(type, port, address, inputs);
}

bool TAlarmDevice::ReadInputs(int channel, uint8_t inputs[kBoxPoints]) {
    if (!ValidChannel(channel)) return false;
    const TAlarmSetRecord& r = host_.Record(channel);
    if (!r.ProbeOn) return false;
    return Poll(r.InBoxType, r.InBoxPort, r.InBoxAddress, inputs);
}

bool TAlarmDevice::Write(uint8_t port, const BoxFrame& frame) {
    return SerialWrite(com_, port, kBoxBaud, 0, frame.data(), int32_t(frame.size())) == 0;
}

bool TAlarmDevice::SetOutputs(int type, uint8_t port, uint8_t address,
                              const uint8_t outputs[kBoxPoints]) {
    const std::vector<BoxFrame> frames = AlarmBoxOutputFrames(type, address, outputs);
    if (frames.empty()) return false;
    bool written = true;
    for (const BoxFrame& f : frames)
        written = Write(port, f) && written;
    return type == 1 ? true : written;
}

bool TAlarmDevice::SetOutputsType0(uint8_t port, uint8_t address,
                                   const uint8_t outputs[kBoxPoints]) {
    return SetOutputs(0, port, address, outputs);
}
bool TAlarmDevice::SetOutputsType1(uint8_t port, uint8_t address,
                                   const uint8_t outputs[kBoxPoints]) {
    return SetOutputs(1, port, address, outputs);
}
bool TAlarmDevice::SetOutputsType2(uint8_t port, uint8_t address,
                                   const uint8_t outputs[kBoxPoints]) {
    return SetOutputs(2, port, address, outputs);
}
bool TAlarmDevice::SetOutputsType3(uint8_t port, uint8_t address,
                                   const uint8_t outputs[kBoxPoints]) {
    return SetOutputs(3, port, address, outputs);
}
bool TAlarmDevice::SetOutputsGeneric(uint8_t port, uint8_t address, uint8_t type,
                                     const uint8_t outputs[kBoxPoints]) {
    return AlarmBoxDeviceCode(type) >= 0 && SetOutputs(type, port, address, outputs);
}

bool TAlarmDevice::SetOutputsOfType(uint8_t type, uint8_t port, uint8_t address,
                                    const uint8_t outputs[kBoxPoints]) {
    return SetOutputs(type, port, address, outputs);
}

bool TAlarmDevice::SwitchAlarmOutputs(int channel, int kindIndex, bool on) {
    if (!ValidChannel(channel) || kindIndex < 0 || kindIndex >= kAlarmKinds) return false;
    const TAlarmSetRecord& r = host_.Record(channel);
    for (int j = 0; j < kBoxPoints; ++j)
        if (r.OutputMap[kindIndex][j]) OutputState[channel][j] = on;

    // Boxes are shared by type: every alarming channel with a box of this type keeps its
    // outputs on.
    uint8_t combined[kBoxPoints] = {};
    const int count =
        host_.ChannelCount() < kSettingsChannels ? host_.ChannelCount() : kSettingsChannels;
    for (int c = 0; c < count; ++c) {
        if (!host_.Alarming(c) || host_.Record(c).OutBoxType != r.OutBoxType) continue;
        for (int j = 0; j < kBoxPoints; ++j)
            if (OutputState[c][j]) combined[j] = 1;
    }
    if (r.OutBoxType > 9) return false;
    return SetOutputs(r.OutBoxType, r.OutBoxPort, r.OutBoxAddress, combined);
}

} // namespace vantrel
