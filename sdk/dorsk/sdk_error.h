// Error words of the board SDK: returned by its exports or kept in its last-error word.
#pragma once

#include <cstdint>

namespace dvr::dorsk {

enum SdkErrorCode : uint32_t {
    kSdkOutOfMemory = 0xC0000100,
    kSdkNoPreviewSurface = 0xC0000101,
    kSdkBadHandle = 0xC0000103,
    kSdkBoardTimeout = 0xC0000104,
    kSdkBadArgument = 0xC0000105,
    kSdkOverlayColorKey = 0xC0000106,
    kSdkBitmapOpen = 0xC0000108,
    kSdkProcessorOpen = 0xC0000200,
    kSdkDriverFailed = 0xC0000201,
    kSdkNoFirmware = 0xC0000202,
    kSdkNoStreamRecord = 0xC0000203,
    kSdkBufferTooSmall = 0xC0000204,
    kSdkBitmapRead = 0xC0000205,
    kSdkNot24BitBitmap = 0xC0000206,
    kSdkThreadFailed = 164,
    kSdkNoEffect = 268,
};

// The exports answer these words as a 32-bit int; -1 is "not delivered" / "failed".
constexpr int AsResult(SdkErrorCode e) {
    return static_cast<int>(static_cast<uint32_t>(e));
}
constexpr int kNotSent = -1;

} // namespace dvr::dorsk
