// The decoder calls under the library's own export names: an outside program can drive
// a decoder instance directly, with the convention of the other exports.
#include <windows.h>

#include "player/decoder/decoder.h"
#include "player/lib/strovid_api.h"

namespace dec = dvr::decoder;

extern "C" {

int WINAPI InitDecoder(uint8_t** input, uint8_t** rgb, int width, int height) {
    if (!input || !rgb) return 0;
    return dec::InitDecoder(input, rgb, width, height);
}

int WINAPI FreeDecoder(int handle) {
    return dec::FreeDecoder(handle);
}

int WINAPI DecoderOneFrame(int handle, int length) {
    return dec::DecoderOneFrame(handle, length);
}

uint8_t* WINAPI GetYUV(int handle) {
    return dec::GetYUV(handle);
}

int WINAPI GetWH(int handle, int* width, int* height) {
    if (!width || !height) return 0;
    return dec::GetWH(handle, width, height);
}

int WINAPI TransYUVtoRGB(int handle) {
    return dec::TransYUVtoRGB(handle);
}

int WINAPI SetVideoFormat(int format) {
    return dec::SetVideoFormat(format);
}

int WINAPI SetPostProcess(int handle, int value) {
    return dec::SetPostProcess(handle, value);
}

int WINAPI SetFlip(int handle, int value) {
    return dec::SetFlip(handle, value);
}

int WINAPI SetBright(int handle, int step) {
    return dec::SetBright(handle, step);
}

int WINAPI SetContrast(int handle, int step) {
    return dec::SetContrast(handle, step);
}

int WINAPI SetBFrameType(int handle, int count) {
    return dec::SetBFrameType(handle, count);
}

int WINAPI GetThrowBNum(int handle, int count) {
    return dec::GetThrowBNum(handle, count);
}

int WINAPI TestIfNeedMMX() {
    return dec::TestIfNeedMMX();
}

} // extern "C"
