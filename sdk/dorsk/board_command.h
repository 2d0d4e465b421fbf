// The six-word messages exchanged with a board processor over its "MyMessage" channel.
// Portable: layout and packing only; sending lives with the driver calls.
#pragma once

#include <cstddef>
#include <cstdint>

namespace dvr::dorsk {

// Host-to-board command codes (bits 16 to 31 of word 0).
enum BoardCommandCode : uint16_t {
    kCmdCapture = 0x01,
    kCmdPreview = 0x02,
    kCmdVideoStandard = 0x03,
    kCmdStreamType = 0x04,
    kCmdPictureParameters = 0x05,
    kCmdMotionAnalysis = 0x07,
    kCmdMosaicAreas = 0x08,
    kCmdMosaic = 0x09,
    kCmdEncoderParameters = 0x0A,
    kCmdGrabPicture = 0x0B,
    kCmdTextMode = 0x0D,
    kCmdText = 0x0E,
    kCmdLogoMode = 0x0F,
    kCmdLogo = 0x10,
    kCmdBoardStop = 0x12,
    kCmdAudioMonitoring = 0x13,
    kCmdKeyFrameNow = 0x17,
    kCmdPictureFormat = 0x18,
    kCmdMotionPrecision = 0x19,
    kCmdAuxEncoderMode = 0x1A,
    kCmdAuxEncoder = 0x1B,
    kCmdTime = 0x1C,
    kCmdLanguage = 0x1D,
    kCmdDump = 0x1F,
    kCmdBoardStart = 0x20,
};

// Board-to-host message codes.
enum BoardMessageCode : uint16_t {
    kMsgPictureReady = 11,
    kMsgBoardStopped = 18,
    kMsgTimeRequest = 28,
    kMsgAckFlag = 35,
    kMsgAck36 = 36,
    kMsgAck37 = 37,
};

constexpr size_t kBoardCommandWords = 6;

// Six little-endian 32-bit words; words a command does not list stay 0.
struct BoardCommand {
    uint32_t words[kBoardCommandWords];
};
static_assert(sizeof(BoardCommand) == 24);

constexpr uint16_t CommandCode(uint32_t word0) {
    return static_cast<uint16_t>(word0 >> 16);
}

// Word 0 shapes: the code in the high half, the low half by command.
// S+V: sub-channel in bits 8-15, value in bits 0-7.
constexpr uint32_t Word0SubValue(uint16_t code, uint32_t sub, uint32_t value) {
    return uint32_t{code} << 16 | (sub & 0xFF) << 8 | (value & 0xFF);
}
// S: sub-channel in bits 0-7.
constexpr uint32_t Word0Sub(uint16_t code, uint32_t sub) {
    return uint32_t{code} << 16 | (sub & 0xFF);
}
// C+V: library channel number in bits 8-15, on/off in bits 0-7.
constexpr uint32_t Word0ChannelValue(uint16_t code, uint32_t channel, uint32_t value) {
    return uint32_t{code} << 16 | (channel & 0xFF) << 8 | (value & 0xFF);
}
// V: one 16-bit value for the whole processor.
constexpr uint32_t Word0Value(uint16_t code, uint32_t value) {
    return uint32_t{code} << 16 | (value & 0xFFFF);
}

constexpr BoardCommand MakeCommand(uint32_t word0, uint32_t w1 = 0, uint32_t w2 = 0,
                                   uint32_t w3 = 0, uint32_t w4 = 0, uint32_t w5 = 0) {
    return BoardCommand{{word0, w1, w2, w3, w4, w5}};
}

// What the message thread does with a message from the board.
enum class BoardMessageAction { Ignore, SignalReply, AnswerTime };
BoardMessageAction ClassifyBoardMessage(const BoardCommand& message);

// Offset of local time from UTC in seconds, from the time zone's biases in minutes
// (UTC = local + bias); the daylight bias applies only while daylight time is in force.
int32_t LocalTimeOffsetSeconds(int32_t bias, int32_t daylight_bias, bool daylight_now);

// The answer to a time request: local seconds since 1970 in word 1, the request's
// words 2 to 5 echoed.
BoardCommand MakeTimeAnswer(const BoardCommand& request, int64_t utc_seconds,
                            int32_t offset_seconds);

} // namespace dvr::dorsk
