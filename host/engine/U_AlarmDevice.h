// Serial alarm boxes: the 16 inputs of a channel's input box are polled, the 16 outputs of its
// output box switched, each frame one transaction at 9600 baud, 8N1. Types 0..3 are the
// "W110", "SE600", "DCTRLS" and "RM008" boxes; 4..9 one family told apart by a device code.
#pragma once

#include "host/engine/U_SerialGateway.h"
#include "host/engine/U_SettingsRecords.h"

#include <cstdint>
#include <vector>

namespace vantrel {

using BoxFrame = std::vector<uint8_t>;

// What the alarm boxes read of the rest of the host.
class TAlarmDeviceHost {
public:
    virtual ~TAlarmDeviceHost() = default;
    virtual const TAlarmSetRecord& Record(int channel) const = 0;
    // Board plus network channels.
    virtual int ChannelCount() const = 0;
    virtual bool Alarming(int channel) const = 0;
};

// Device code of the generic types 4..9; -1 for any other type.
int AlarmBoxDeviceCode(int type);
// The poll of a box; empty for an unknown type.
BoxFrame AlarmBoxPollFrame(int type, uint8_t address);
// Bytes read at most for the poll's reply.
int AlarmBoxReplySize(int type);
// True and the inputs filled when the reply is long enough and its header bytes match.
bool AlarmBoxParseReply(int type, uint8_t address, const uint8_t* reply, uint32_t length,
                        uint8_t inputs[kBoxPoints]);
// The output frame(s) of a box; empty for an unknown type.
std::vector<BoxFrame> AlarmBoxOutputFrames(int type, uint8_t address,
                                           const uint8_t outputs[kBoxPoints]);

class TAlarmDevice {
public:
    TAlarmDevice(TSerialGateway& com, const TAlarmDeviceHost& host);

    // Per channel the outputs its own alarms have switched on.
    bool OutputState[kSettingsChannels][kBoxPoints];
    // The output states that remote alarm-output requests switch, shared by all of them.
    uint8_t RemoteOutputStates[kBoxPoints];

    // False at once when the channel watches no probes; inputs untouched unless true.
    bool ReadInputs(int channel, uint8_t inputs[kBoxPoints]);
    // kindIndex 0 video loss, 1 motion, 2 probe. Writes the outputs held by every alarming
    // channel whose output box has this channel's type.
    bool SwitchAlarmOutputs(int channel, int kindIndex, bool on);

    bool ReadInputsType0(uint8_t port, uint8_t address, uint8_t inputs[kBoxPoints]);
    bool ReadInputsType1(uint8_t port, uint8_t address, uint8_t inputs[kBoxPoints]);
    bool ReadInputsType2(uint8_t port, uint8_t address, uint8_t inputs[kBoxPoints]);
    bool ReadInputsType3(uint8_t port, uint8_t address, uint8_t inputs[kBoxPoints]);
    bool ReadInputsGeneric(uint8_t port, uint8_t address, uint8_t type, uint8_t inputs[kBoxPoints]);

    bool SetOutputsType0(uint8_t port, uint8_t address, const uint8_t outputs[kBoxPoints]);
    // Always true: the box is not asked whether the frames arrived.
    bool SetOutputsType1(uint8_t port, uint8_t address, const uint8_t outputs[kBoxPoints]);
    bool SetOutputsType2(uint8_t port, uint8_t address, const uint8_t outputs[kBoxPoints]);
    // Only output 1 exists.
    bool SetOutputsType3(uint8_t port, uint8_t address, const uint8_t outputs[kBoxPoints]);
    bool SetOutputsGeneric(uint8_t port, uint8_t address, uint8_t type,
                           const uint8_t outputs[kBoxPoints]);
    // The frame of any known type (0..9); false for another.
    bool SetOutputsOfType(uint8_t type, uint8_t port, uint8_t address,
                          const uint8_t outputs[kBoxPoints]);

private:
    bool Poll(int type, uint8_t port, uint8_t address, uint8_t inputs[kBoxPoints]);
    bool Write(uint8_t port, const BoxFrame& frame);
    bool SetOutputs(int type, uint8_t port, uint8_t address, const uint8_t outputs[kBoxPoints]);

    TSerialGateway& com_;
    const TAlarmDeviceHost& host_;
};

} // namespace vantrel
