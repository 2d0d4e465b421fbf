// Picture grabs, bitmap files, the video signal, picture parameters, board and channel
// information, and the entries that have no effect.
#include "common/win/textconv.h"
#include "sdk/dorsk/board_link.h"
#include "sdk/dorsk/dorsk_api.h"
#include "sdk/dorsk/picture_convert.h"
#include "sdk/dorsk/sdk_state.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

using namespace dvr::dorsk;

namespace {

constexpr DWORD kGrabWaitMs = 400;
constexpr uint32_t kNoStatus = 0x80000000;
constexpr int kVersion = 20040301;
constexpr int32_t kComponentVersions[6] = {20031201, 20040401, 20031201,
                                           20040315, 20040301, 20040401};

bool Send(const SdkChannel& channel, const BoardCommand& command) {
    SectionLock board_lock(BoardLockOf(*channel.board));
    return SendBoardCommand(channel.board->messageChannel, command);
}

enum class GrabFailure { None, NoBlock, NotSent, NoAnswer, TooSmall };

// Asks the board for a picture and copies it out; the board's buffer is handed back
// only when the picture was taken.
GrabFailure Grab(SdkChannel& c, void* buffer, uint32_t* length, uint32_t& bytes) {
    SdkBoard& board = *c.board;
    SectionLock board_lock(BoardLockOf(board));
    if (!BoardAreaOf(c, BoardArea::GrabBuffer)) return GrabFailure::NoBlock;
    // An acknowledgement of an earlier command must not pass for the picture.
    ::ResetEvent(board.replyEvent.get());
    if (!SendBoardCommand(board.messageChannel, MakeCommand(Word0Sub(kCmdGrabPicture, c.sub))))
        return GrabFailure::NotSent;
    if (::WaitForSingleObject(board.replyEvent.get(), kGrabWaitMs) != WAIT_OBJECT_0)
        return GrabFailure::NoAnswer;
    const uint8_t* grabbed = BoardAreaOf(c, BoardArea::GrabBuffer);
    if (!grabbed) return GrabFailure::NoBlock;
    std::memcpy(&bytes, grabbed, sizeof bytes);
    if (*length < bytes) return GrabFailure::TooSmall;
    std::memcpy(buffer, grabbed + 4, bytes);
    *length = bytes;
    BrevixEventSignal(board.driverEvent);
    return GrabFailure::None;
}

std::wstring WideName(const char* gbk_name) {
    return dvr::win::GbkToWide(gbk_name);
}

int EntryWithoutEffect() {
    return AsResult(kSdkNoEffect);
}

} // namespace

extern "C" {

int DORSK_CALL RU4Dov_GetOriginalImage(intptr_t handle, void* buffer, uint32_t* length) {
    if (!buffer || !length) return AsResult(kSdkBadArgument);
    ChannelAccess access(handle);
    if (!access.ok()) return AsResult(kSdkBadHandle);
    uint32_t bytes = 0;
    switch (Grab(access.channel(), buffer, length, bytes)) {
    case GrabFailure::None:
        return 0;
    case GrabFailure::NoBlock:
        return kNotSent;
    case GrabFailure::NotSent:
    case GrabFailure::NoAnswer:
        return AsResult(kSdkBoardTimeout);
    case GrabFailure::TooSmall:
        break;
    }
    return AsResult(kSdkBufferTooSmall);
}

int DORSK_CALL RU4Dov_GetOriginalImageEx(intptr_t handle, void* buffer, uint32_t* length,
                                         int* width, int* height) {
    if (!buffer || !length || !width || !height) return AsResult(kSdkBadArgument);
    ChannelAccess access(handle);
    if (!access.ok()) return AsResult(kSdkBadHandle);
    uint32_t bytes = 0;
    switch (Grab(access.channel(), buffer, length, bytes)) {
    case GrabFailure::None: {
        const PictureSize size = GrabPictureSize(bytes);
        *width = size.width;
        *height = size.height;
        return 0;
    }
    case GrabFailure::NoBlock:
    case GrabFailure::NotSent:
        return kNotSent;
    case GrabFailure::NoAnswer:
        return AsResult(kSdkBoardTimeout);
    case GrabFailure::TooSmall:
        break;
    }
    return AsResult(kSdkBufferTooSmall);
}

int DORSK_CALL RU4Dov_SaveYUVToBmpFile(const char* file_name, const void* data, int width,
                                       int height) {
    if (!file_name || !data) return AsResult(kSdkBadArgument);
    // Sizes the file header cannot describe, or no picture at all.
    if (width < 1 || height < 1 || width > kMaxPictureSide || height > kMaxPictureSide)
        return AsResult(kSdkBadArgument);
    std::vector<uint8_t> image;
    try {
        image = YuvToBitmapFile(static_cast<const uint8_t*>(data), width, height);
    } catch (const std::bad_alloc&) {
        return AsResult(kSdkOutOfMemory);
    }
    dvr::win::File file(::CreateFileW(WideName(file_name).c_str(), GENERIC_WRITE, 0, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return AsResult(kSdkBitmapOpen);
    DWORD written = 0;
    // A full disk or a short write leaves no usable picture: not a success.
    if (!::WriteFile(file.get(), image.data(), DWORD(image.size()), &written, nullptr) ||
        written != image.size())
        return AsResult(kSdkBitmapOpen);
    return 0;
}

int DORSK_CALL RU4Dov_LoadYUVFromBmpFile(const char* file_name, void* buffer, uint32_t size,
                                         int* width, int* height) {
    if (!file_name || !buffer || !width || !height) return AsResult(kSdkBadArgument);
    dvr::win::File file(::CreateFileW(WideName(file_name).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return AsResult(kSdkBitmapOpen);
    LARGE_INTEGER file_size{};
    if (!::GetFileSizeEx(file.get(), &file_size) || file_size.QuadPart > 0x7FFFFFFF)
        return AsResult(kSdkBitmapRead);
    std::vector<uint8_t> bytes;
    try {
        bytes.resize(size_t(file_size.QuadPart));
    } catch (const std::bad_alloc&) {
        return AsResult(kSdkOutOfMemory);
    }
    DWORD read = 0;
    if (!bytes.empty() &&
        !::ReadFile(file.get(), bytes.data(), DWORD(bytes.size()), &read, nullptr))
        return AsResult(kSdkBitmapRead);
    bytes.resize(read);
    PictureSize padded{};
    BitmapLoad result = BitmapLoad::ReadFailed;
    try {
        result = BitmapFileToYuv(bytes, static_cast<uint8_t*>(buffer), size, padded);
    } catch (const std::bad_alloc&) {
        return AsResult(kSdkOutOfMemory);
    }
    switch (result) {
    case BitmapLoad::Ok:
        *width = padded.width;
        *height = padded.height;
        return 0;
    case BitmapLoad::ReadFailed:
        return AsResult(kSdkBitmapRead);
    case BitmapLoad::NotBitmap24:
        return AsResult(kSdkNot24BitBitmap);
    case BitmapLoad::BufferTooSmall:
        *width = padded.width;
        *height = padded.height;
        break;
    }
    return AsResult(kSdkBufferTooSmall);
}

int DORSK_CALL RU4Dov_GetVideoSignal(intptr_t handle) {
    ChannelAccess access(handle);
    if (!access.ok()) return AsResult(kSdkBadHandle);
    const SdkChannel& c = access.channel();
    SectionLock board_lock(BoardLockOf(*c.board));
    const uint8_t* status = BoardAreaOf(c, BoardArea::StatusBlock);
    if (!status) return kNotSent;
    uint32_t present = 0;
    std::memcpy(&present, status + 4, sizeof present);
    return present != 0 ? 0 : kNotSent;
}

int DORSK_CALL RU4Dov_GetVideoPara(intptr_t handle, int* status, int* brightness, int* contrast,
                                   int* saturation, int* hue) {
    if (!status || !brightness || !contrast || !saturation || !hue)
        return AsResult(kSdkBadArgument);
    ChannelAccess access(handle);
    if (!access.ok()) return AsResult(kSdkBadHandle);
    const SdkChannel& c = access.channel();
    *brightness = c.brightness;
    *contrast = c.contrast;
    *saturation = c.saturation;
    *hue = c.hue;
    SectionLock board_lock(BoardLockOf(*c.board));
    const uint8_t* block = BoardAreaOf(c, BoardArea::StatusBlock);
    uint32_t word = kNoStatus;
    if (block) std::memcpy(&word, block, sizeof word);
    *status = int(word);
    return 0;
}

int DORSK_CALL RU4Dov_SetVideoPara(intptr_t handle, int brightness, int contrast, int saturation,
                                   int hue) {
    ChannelAccess access(handle);
    if (!access.ok()) return AsResult(kSdkBadHandle);
    SdkChannel& c = access.channel();
    c.brightness = std::clamp(brightness, 0, 255);
    c.contrast = std::clamp(contrast, 0, 127);
    c.saturation = std::clamp(saturation, 0, 127);
    c.hue = std::clamp(hue, 0, 255);
    const uint32_t word = uint32_t(c.brightness) << 24 | uint32_t(c.contrast) << 16 |
                          uint32_t(c.hue) << 8 | uint32_t(c.saturation);
    return SendResult(Send(c, MakeCommand(Word0Sub(kCmdPictureParameters, c.sub), word)));
}

int DORSK_CALL RU4Dov_GetBoardInfo(intptr_t handle, uint32_t* first, uint32_t* second) {
    if (!first || !second) return AsResult(kSdkBadArgument);
    ChannelAccess access(handle);
    if (!access.ok()) return AsResult(kSdkBadHandle);
    const SdkChannel& c = access.channel();
    SectionLock board_lock(BoardLockOf(*c.board));
    uint32_t a = 0, b = 0;
    if (!BoardInfoWords(*c.board, a, b)) return AsResult(kSdkBadHandle);
    *first = b;
    *second = a;
    return 0;
}

int DORSK_CALL RU4Dov_GetChannelInfo(intptr_t handle, int* info) {
    if (!info) return AsResult(kSdkBadArgument);
    ChannelAccess access(handle);
    if (!access.ok()) return AsResult(kSdkBadHandle);
    *info = access.channel().board->channelCount == 1 ? 4 : 0;
    return 0;
}

int DORSK_CALL RU4Dov_GetCapability(intptr_t handle, uint8_t* capability) {
    if (!IsOpenChannelHandle(handle)) return AsResult(kSdkBadHandle);
    if (!capability) return AsResult(kSdkBadArgument);
    capability[0] = 1;
    capability[1] = 0;
    capability[2] = 0;
    return 0;
}

int DORSK_CALL RU4Dov_GetSDKVersion(int32_t* versions) {
    if (versions) std::copy(std::begin(kComponentVersions), std::end(kComponentVersions), versions);
    return kVersion;
}

int DORSK_CALL RU4Dov_SetLanguage(intptr_t handle, int code) {
    ChannelAccess access(handle);
    if (!access.ok()) return AsResult(kSdkBadHandle);
    return SendResult(
        Send(access.channel(), MakeCommand(Word0Value(kCmdLanguage, uint32_t(code) & 0xFF))));
}

int DORSK_CALL RU4Dov_GetDumpFile(intptr_t handle) {
    ChannelAccess access(handle);
    if (!access.ok()) return AsResult(kSdkBadHandle);
    const SdkChannel& c = access.channel();
    return SendResult(Send(c, MakeCommand(Word0SubValue(kCmdDump, c.sub, 0))));
}

int DORSK_CALL RU4Dov_SetHorOffset(intptr_t handle) {
    ChannelAccess access(handle);
    if (!access.ok()) return AsResult(kSdkBadHandle);
    SectionLock board_lock(BoardLockOf(*access.channel().board));
    return 0;
}

int DORSK_CALL RU4Dov_DumpDebug(intptr_t) {
    return EntryWithoutEffect();
}
int DORSK_CALL RU4Dov_GetSoundLevel(intptr_t, int*) {
    return EntryWithoutEffect();
}
int DORSK_CALL RU4Dov_RegisterLogRecordCallback(void*, intptr_t) {
    return EntryWithoutEffect();
}
int DORSK_CALL RU4Dov_SetupAimDetectArea(intptr_t, const void*, int) {
    return EntryWithoutEffect();
}
int DORSK_CALL RU4Dov_StartAimDetect(intptr_t) {
    return EntryWithoutEffect();
}
int DORSK_CALL RU4Dov_StopAimDetect(intptr_t) {
    return EntryWithoutEffect();
}

} // extern "C"
