// On-screen text, logo and masking: what the board draws into a channel's picture
// before encoding. Texts and the logo go into the channel's areas of board memory,
// the switches are board commands.
#include "sdk/dorsk/board_link.h"
#include "sdk/dorsk/dorsk_api.h"
#include "sdk/dorsk/osd_layout.h"
#include "sdk/dorsk/sdk_state.h"

using namespace dvr::dorsk;

namespace {

static_assert(sizeof(RU4DovArea) == sizeof(MotionArea));

bool Send(const SdkChannel& channel, const BoardCommand& command) {
    SectionLock board_lock(BoardLockOf(*channel.board));
    return SendBoardCommand(channel.board->messageChannel, command);
}

int SendSwitch(intptr_t handle, BoardCommandCode code, bool on) {
    ChannelAccess access(handle);
    if (!access.ok()) return AsResult(kSdkBadHandle);
    const SdkChannel& c = access.channel();
    return SendResult(Send(c, MakeCommand(Word0SubValue(code, c.sub, on ? 1 : 0))));
}

} // namespace

extern "C" {

int DORSK_CALL RU4Dov_SetOsdDisplayMode(intptr_t handle, int attribute, int mode1, int mode2,
                                        uint16_t* line1, uint16_t* line2) {
    ChannelAccess access(handle);
    if (!access.ok()) return AsResult(kSdkBadHandle);
    const SdkChannel& c = access.channel();
    const OsdLimit limit = MaxTextPosition(c.board->channelCount, c.videoStandard);
    if (line1) ClampTextLine(line1, limit);
    if (line2) ClampTextLine(line2, limit);

    SectionLock board_lock(BoardLockOf(*c.board));
    uint8_t* area1 = BoardAreaOf(c, BoardArea::TextLine1);
    uint8_t* area2 = BoardAreaOf(c, BoardArea::TextLine2);
    if (!area1 || !area2) return kNotSent;
    WriteTextArea(area1, line1, uint32_t(attribute));
    WriteTextArea(area2, line2, uint32_t(attribute));
    return SendResult(
        SendBoardCommand(c.board->messageChannel, MakeCommand(Word0Sub(kCmdTextMode, c.sub),
                                                              uint32_t(mode1), uint32_t(mode2))));
}

int DORSK_CALL RU4Dov_SetOsd(intptr_t handle, int on) {
    return SendSwitch(handle, kCmdText, on != 0);
}

int DORSK_CALL RU4Dov_SetLogo(intptr_t handle, int x, int y, int width, int height,
                              const uint16_t* pixels) {
    // A negative size or missing pixels would make the copy run wild.
    if (width > kMaxLogoWidth || height > kMaxLogoHeight || width < 0 || height < 0 ||
        (!pixels && width * height > 0))
        return AsResult(kSdkBadArgument);
    ChannelAccess access(handle);
    if (!access.ok()) return AsResult(kSdkBadHandle);
    const SdkChannel& c = access.channel();
    const PictureSize picture = PictureSizeOf(c);
    x = ClampLogoPosition(x, picture.width, width);
    y = ClampLogoPosition(y, picture.height, height);

    SectionLock board_lock(BoardLockOf(*c.board));
    uint8_t* area = BoardAreaOf(c, BoardArea::Logo);
    if (area) WriteLogoArea(area, x, y, width, height, pixels);
    return SendResult(
        SendBoardCommand(c.board->messageChannel, MakeCommand(Word0SubValue(kCmdLogo, c.sub, 1))));
}

int DORSK_CALL RU4Dov_StopLogo(intptr_t handle) {
    return SendSwitch(handle, kCmdLogo, false);
}

int DORSK_CALL RU4Dov_SetLogoDisplayMode(intptr_t handle, int, int mode1, int mode2) {
    ChannelAccess access(handle);
    if (!access.ok()) return AsResult(kSdkBadHandle);
    const SdkChannel& c = access.channel();
    return SendResult(
        Send(c, MakeCommand(Word0Sub(kCmdLogoMode, c.sub), uint32_t(mode1), uint32_t(mode2))));
}

int DORSK_CALL RU4Dov_SetupMosaic(intptr_t handle, RU4DovArea* areas, int count) {
    if (count < 0 || count > kMaxMosaicAreas || (count > 0 && !areas))
        return AsResult(kSdkBadArgument);
    ChannelAccess access(handle);
    if (!access.ok()) return AsResult(kSdkBadHandle);
    const SdkChannel& c = access.channel();
    MosaicWords w;
    if (!MakeMosaicWords(reinterpret_cast<MotionArea*>(areas), count, PictureSizeOf(c), w))
        return AsResult(kSdkBadArgument);
    return SendResult(Send(c, MakeCommand(Word0Sub(kCmdMosaicAreas, c.sub), w.words[0], w.words[1],
                                          w.words[2], w.words[3])));
}

int DORSK_CALL RU4Dov_StartMosaic(intptr_t handle) {
    return SendSwitch(handle, kCmdMosaic, true);
}

int DORSK_CALL RU4Dov_StopMosaic(intptr_t handle) {
    return SendSwitch(handle, kCmdMosaic, false);
}

} // extern "C"
