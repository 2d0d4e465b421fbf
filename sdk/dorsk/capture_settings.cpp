// Capture start and stop and the encoder settings of a channel: each export checks its
// arguments, stores the setting and sends one command under the processor's mutex.
#include "sdk/dorsk/dorsk_api.h"

#include "sdk/dorsk/board_link.h"
#include "sdk/dorsk/sdk_state.h"
#include "sdk/dorsk/stream_rings.h"

#include <algorithm>

using namespace dvr::dorsk;

namespace {

constexpr int kKeyIntervalMin = 1, kKeyIntervalMax = 400;
constexpr int kFrameRateMin = 1, kFrameRateMax = 30;
constexpr int kQuantiserMin = 4, kQuantiserMax = 30;
constexpr uint32_t kBitRateMin = 16000, kBitRateMax = 1000000;
constexpr int kAuxBitRateMin = 20000, kAuxBitRateMax = 300000;
// Sizes bound to a one-channel processor.
constexpr int kFirstLargeFormat = 2;
constexpr int kLastFormat = 4;

bool Send(const SdkChannel& channel, const BoardCommand& command) {
    SdkBoard& board = *channel.board;
    SectionLock board_lock(BoardLockOf(board));
    return SendBoardCommand(board.messageChannel, command);
}

// The whole current parameter set: every encoder export sends all of it.
BoardCommand EncoderCommand(const SdkChannel& c) {
    uint32_t quantisers = uint32_t(c.iQuantiser) << 24 | uint32_t(c.pQuantiser) << 16 |
                          uint32_t(c.bQuantiser) << 8 | (uint32_t(c.keyFrameInterval) & 0xFF);
    uint32_t rates = uint32_t(c.frameRate) << 24 | uint32_t(c.bitrateMode == 1 ? 1 : 0) << 16 |
                     uint32_t(c.bFrames) << 8;
    return MakeCommand(Word0SubValue(kCmdEncoderParameters, c.sub, 1), uint32_t(c.maxBitRate),
                       quantisers, rates);
}

} // namespace

extern "C" {

int DORSK_CALL RU4Dov_StartVideoCapture(intptr_t handle) {
    ChannelAccess access(handle);
    if (!access.ok()) return AsResult(kSdkBadHandle);
    SdkChannel& c = access.channel();
    // Nothing enters the ring until the fresh stream header the board sends next.
    ResetChannelStream(c, true);
    if (!Send(c, MakeCommand(Word0SubValue(kCmdCapture, c.sub, 1)))) return kNotSent;
    ResetChannelAudio(c);
    c.captureOn = 1;
    return 0;
}

int DORSK_CALL RU4Dov_StopVideoCapture(intptr_t handle) {
    ChannelAccess access(handle);
    if (!access.ok()) return AsResult(kSdkBadHandle);
    SdkChannel& c = access.channel();
    if (!c.captureOn) return 0;
    if (!Send(c, MakeCommand(Word0SubValue(kCmdCapture, c.sub, 0)))) return kNotSent;
    c.captureOn = 0;
    ResetChannelStream(c, false);
    return 0;
}

int DORSK_CALL RU4Dov_SetVideoStandard(intptr_t handle, int standard) {
    if (standard != 1 && standard != 2) return AsResult(kSdkBadArgument);
    ChannelAccess access(handle);
    if (!access.ok()) return AsResult(kSdkBadHandle);
    SdkChannel& c = access.channel();
    // For the whole processor: no sub-channel in the command.
    if (!Send(c, MakeCommand(Word0Value(kCmdVideoStandard, uint32_t(standard))))) return kNotSent;
    c.videoStandard = standard;
    return 0;
}

int DORSK_CALL RU4Dov_SetStreamType(intptr_t handle, int type) {
    uint16_t type16 = static_cast<uint16_t>(type);
    if (type16 < 1 || type16 > 3) return AsResult(kSdkBadArgument);
    ChannelAccess access(handle);
    if (!access.ok()) return AsResult(kSdkBadHandle);
    SdkChannel& c = access.channel();
    if (!Send(c, MakeCommand(Word0SubValue(kCmdStreamType, c.sub, type16)))) return kNotSent;
    c.streamType = type16;
    return 0;
}

int DORSK_CALL RU4Dov_GetStreamType(intptr_t handle, uint16_t* type) {
    ChannelAccess access(handle);
    if (!access.ok()) return AsResult(kSdkBadHandle);
    if (!type) return AsResult(kSdkBadArgument);
    *type = access.channel().streamType;
    return 0;
}

int DORSK_CALL RU4Dov_SetEncoderPictureFormat(intptr_t handle, int format) {
    if (format < 0 || format > kLastFormat) return AsResult(kSdkBadArgument);
    ChannelAccess access(handle);
    if (!access.ok()) return AsResult(kSdkBadHandle);
    SdkChannel& c = access.channel();
    if (format >= kFirstLargeFormat && c.board->channelCount == 4) return AsResult(kSdkBadArgument);
    if (!Send(c, MakeCommand(Word0SubValue(kCmdPictureFormat, c.sub, uint32_t(format)))))
        return kNotSent;
    c.pictureFormat = format;
    return 0;
}

int DORSK_CALL RU4Dov_SetIBPMode(intptr_t handle, int key_frame_interval, int b_frames, int,
                                 int frame_rate) {
    ChannelAccess access(handle);
    if (!access.ok()) return AsResult(kSdkBadHandle);
    SdkChannel& c = access.channel();
    c.keyFrameInterval = std::clamp(key_frame_interval, kKeyIntervalMin, kKeyIntervalMax);
    c.bFrames = std::clamp(b_frames, 0, 1);
    c.frameRate = std::clamp(frame_rate, kFrameRateMin, kFrameRateMax);
    return SendResult(Send(c, EncoderCommand(c)));
}

int DORSK_CALL RU4Dov_SetDefaultQuant(intptr_t handle, int i_quantiser, int p_quantiser,
                                      int b_quantiser) {
    ChannelAccess access(handle);
    if (!access.ok()) return AsResult(kSdkBadHandle);
    SdkChannel& c = access.channel();
    c.iQuantiser = std::clamp(i_quantiser, kQuantiserMin, kQuantiserMax);
    c.pQuantiser = std::clamp(p_quantiser, kQuantiserMin, kQuantiserMax);
    c.bQuantiser = std::clamp(b_quantiser, kQuantiserMin, kQuantiserMax);
    return SendResult(Send(c, EncoderCommand(c)));
}

int DORSK_CALL RU4Dov_SetupBitrateControl(intptr_t handle, uint32_t max_bit_rate, int mode) {
    ChannelAccess access(handle);
    if (!access.ok()) return AsResult(kSdkBadHandle);
    SdkChannel& c = access.channel();
    c.maxBitRate = static_cast<int32_t>(std::clamp(max_bit_rate, kBitRateMin, kBitRateMax));
    c.bitrateMode = mode;
    return SendResult(Send(c, EncoderCommand(c)));
}

int DORSK_CALL RU4Dov_CaptureIFrame(intptr_t handle) {
    ChannelAccess access(handle);
    if (!access.ok()) return AsResult(kSdkBadHandle);
    const SdkChannel& c = access.channel();
    return SendResult(Send(c, MakeCommand(Word0Sub(kCmdKeyFrameNow, c.sub))));
}

int DORSK_CALL RU4Dov_SetAudioPreview(intptr_t handle, int on) {
    ChannelAccess access(handle);
    if (!access.ok()) return AsResult(kSdkBadHandle);
    SdkChannel& c = access.channel();
    int32_t flag = on != 0 ? 1 : 0;
    if (!Send(c, MakeCommand(Word0SubValue(kCmdAudioMonitoring, c.sub, uint32_t(flag)))))
        return kNotSent;
    c.audioPreview = flag;
    return 0;
}

int DORSK_CALL RU4Dov_GetFramesStatistics(intptr_t handle, RU4DovFramesStatistics* record) {
    ChannelAccess access(handle);
    if (!access.ok()) return AsResult(kSdkBadHandle);
    if (!record) return AsResult(kSdkBadArgument);
    *record = RU4DovFramesStatistics{};
    SdkChannel& c = access.channel();
    SdkBoard& board = *c.board;
    SectionLock board_lock(BoardLockOf(board));
    const uint8_t* block = board.sharedMemory;
    if (!block) return AsResult(kSdkBadHandle);
    const auto* control = reinterpret_cast<const uint32_t*>(block + kControlBlockOffset);
    if (control[0] != kStreamMagic) return AsResult(kSdkBadHandle);
    // Sub-channel areas after magic and two information words, six addresses each.
    constexpr int kStatisticsArea = 3;
    uint32_t address = control[3 + c.sub * 6 + kStatisticsArea];
    c.lastStatsWord = *static_cast<const volatile int32_t*>(board.HostAddress(address));
    ReadChannelCounts(c, record->pictures, record->audioBlocks);
    record->boardWord = c.lastStatsWord;
    record->reserved = c.statsWord4;
    return 0;
}

int DORSK_CALL RU4Dov_SetAuxCodecMode(intptr_t handle, int key_frame_interval, int frame_rate,
                                      int bit_rate) {
    ChannelAccess access(handle);
    if (!access.ok()) return AsResult(kSdkBadHandle);
    const SdkChannel& c = access.channel();
    uint32_t interval = uint32_t(std::clamp(key_frame_interval, kKeyIntervalMin, kKeyIntervalMax));
    uint32_t rate = uint32_t(std::clamp(frame_rate, kFrameRateMin, kFrameRateMax));
    uint32_t bits = uint32_t(std::clamp(bit_rate, kAuxBitRateMin, kAuxBitRateMax));
    Send(c, MakeCommand(Word0Value(kCmdAuxEncoderMode, 0), uint32_t(c.number), bits,
                        (interval & 0xFF) << 24 | rate << 16));
    return 0;
}

int DORSK_CALL RU4Dov_StartAuxCodec(intptr_t handle) {
    ChannelAccess access(handle);
    if (!access.ok()) return AsResult(kSdkBadHandle);
    const SdkChannel& c = access.channel();
    Send(c, MakeCommand(Word0ChannelValue(kCmdAuxEncoder, uint32_t(c.number), 1)));
    return 0;
}

int DORSK_CALL RU4Dov_StopAuxCodec(intptr_t handle) {
    ChannelAccess access(handle);
    if (!access.ok()) return AsResult(kSdkBadHandle);
    const SdkChannel& c = access.channel();
    Send(c, MakeCommand(Word0ChannelValue(kCmdAuxEncoder, uint32_t(c.number), 0)));
    return 0;
}

} // extern "C"
