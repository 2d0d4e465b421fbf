// Motion detection: the channel's detection areas, the board's analysis switch and
// precision, and the evaluation of one activity record against the areas.
#include "sdk/dorsk/board_link.h"
#include "sdk/dorsk/dorsk_api.h"
#include "sdk/dorsk/motion_analysis.h"
#include "sdk/dorsk/sdk_state.h"

#include <algorithm>
#include <new>

using namespace dvr::dorsk;

namespace {

constexpr int kMaxPrecisionFirst = 6;
constexpr int kMaxPrecisionSecond = 12;

static_assert(sizeof(RU4DovArea) == sizeof(MotionArea));

bool Send(const SdkChannel& channel, const BoardCommand& command) {
    SectionLock board_lock(BoardLockOf(*channel.board));
    return SendBoardCommand(channel.board->messageChannel, command);
}

} // namespace

extern "C" {

int DORSK_CALL RU4Dov_SetupMotionDetection(intptr_t handle, RU4DovArea* areas, int count) {
    if (count < 0 || (count > 0 && !areas)) return AsResult(kSdkBadArgument);
    auto* list = reinterpret_cast<MotionArea*>(areas);
    for (int i = 0; i < count; ++i)
        if (!IsOrderedArea(list[i])) return AsResult(kSdkBadArgument);
    ChannelAccess access(handle);
    if (!access.ok()) return AsResult(kSdkBadHandle);
    SdkChannel& c = access.channel();
    const PictureSize picture = PictureSizeOf(c);
    for (int i = 0; i < count; ++i)
        ClampToPicture(list[i], picture);
    c.motionAreas.reset();
    c.motionAreaCount = 0;
    if (count == 0) return 0;
    c.motionAreas.reset(new (std::nothrow) MotionArea[size_t(count)]);
    if (!c.motionAreas) return AsResult(kSdkOutOfMemory);
    std::copy_n(list, count, c.motionAreas.get());
    c.motionAreaCount = count;
    return 0;
}

int DORSK_CALL RU4Dov_StartMotionDetection(intptr_t handle) {
    ChannelAccess access(handle);
    if (!access.ok()) return AsResult(kSdkBadHandle);
    const SdkChannel& c = access.channel();
    return SendResult(Send(c, MakeCommand(Word0SubValue(kCmdMotionAnalysis, c.sub, 1))));
}

int DORSK_CALL RU4Dov_StopMotionDetection(intptr_t handle) {
    ChannelAccess access(handle);
    if (!access.ok()) return AsResult(kSdkBadHandle);
    SdkChannel& c = access.channel();
    if (!Send(c, MakeCommand(Word0SubValue(kCmdMotionAnalysis, c.sub, 0)))) return kNotSent;
    std::fill(std::begin(c.motionPrecision), std::end(c.motionPrecision), 0);
    return 0;
}

int DORSK_CALL RU4Dov_AdjustMotionDetectPrecision(intptr_t handle, int first, int second,
                                                  int third) {
    if (second < 0 || second > kMaxPrecisionSecond || (third >= 1 && third <= kMaxPrecisionSecond))
        return AsResult(kSdkBadArgument);
    ChannelAccess access(handle);
    if (!access.ok()) return AsResult(kSdkBadHandle);
    SdkChannel& c = access.channel();
    first = std::clamp(first, 0, kMaxPrecisionFirst);
    const uint32_t word =
        uint32_t(first) << 24 | uint32_t(second) << 16 | (uint32_t(third) & 0xFF) << 8;
    if (!Send(c, MakeCommand(Word0Sub(kCmdMotionPrecision, c.sub), word))) return kNotSent;
    c.motionPrecision[0] = first;
    c.motionPrecision[1] = second;
    c.motionPrecision[2] = third;
    return 0;
}

int DORSK_CALL RU4Dov_MotionAnalyzer(intptr_t handle, const void* record, int sensitivity,
                                     int32_t* results) {
    ChannelAccess access(handle);
    if (!access.ok()) return AsResult(kSdkBadHandle);
    const SdkChannel& c = access.channel();
    if (c.motionAreaCount == 0 || !record || !results) return AsResult(kSdkBadArgument);
    if (!AnalyzeMotion(static_cast<const uint8_t*>(record),
                       {c.motionAreas.get(), size_t(c.motionAreaCount)}, sensitivity, results))
        return AsResult(kSdkBadArgument);
    return 0;
}

} // extern "C"
