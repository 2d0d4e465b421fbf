// The Strovid player library's exports, as its callers bind them.
#pragma once

#include <windows.h>

#include <cstdint>

#include "player/lib/key_frame_index.h"

extern "C" {

// Called once per opened file, on the index thread, when its key-frame index is complete.
typedef void(CALLBACK* FileRefCallback)(int port, int user);

// What a decode callback learns of each picture besides its bytes.
struct DecodedFrameInfo {
    int width;
    int height;
    uint32_t timeStamp; // 90 kHz
    int pictureType;    // 3: planar YUV 4:2:0
    int frameRate;
};
static_assert(sizeof(DecodedFrameInfo) == 20);

// Receives decoded pictures instead of the port showing them: port, YUV 4:2:0 picture,
// its size, what it is, 0, 0.
typedef void(CALLBACK* DecodeCallback)(int port, const uint8_t* yuv, int size,
                                       const DecodedFrameInfo* info, int reserved1, int reserved2);

// Sees every picture before it is shown: YUV 4:2:0, its size, width, height, time
// stamp, type 3 and 0.
typedef void(CALLBACK* DisplayCallback)(int port, const uint8_t* yuv, int size, int width,
                                        int height, uint32_t timeStamp, int type, int reserved);

int WINAPI RE4Ravi_GetSdkVersion();
int WINAPI RE4Ravi_GetCaps();
int WINAPI RE4Ravi_GetLastError(int port);
int WINAPI RE4Ravi_InitDDraw(HWND window);
int WINAPI RE4Ravi_RealeseDDraw();
int WINAPI RE4Ravi_RefreshPlay(int port);
int WINAPI DoPerSkipForward(int port);

int WINAPI ReadOneFrameEx(int port, int readPayload, HANDLE file);
int WINAPI ReadOneFrameExIndex(int port, int readPayload, HANDLE file);
unsigned WINAPI RE4Ravi_GetFileTotalTime(const char* path);
int WINAPI RE4Ravi_GetFileHeadLength();
int WINAPI RE4Ravi_GetPictureSize(int port, int* height, int* width);
int WINAPI RE4Ravi_GetCurrentFrameRate(int port);

int WINAPI RE4Ravi_OpenFile(int port, const char* path);
int WINAPI RE4Ravi_OpenFileEx(int port, const char* path);
int WINAPI RE4Ravi_CloseFile(int port);
int WINAPI Init_DecodeParam(int port, int width, int height);
int WINAPI RE4Ravi_SetFileRefCallBack(int port, FileRefCallback callback, int user);
unsigned WINAPI RE4Ravi_GetFileTotalFrames(int port);
unsigned WINAPI RE4Ravi_GetFileTime(int port);
int WINAPI RE4Ravi_GetKeyFramePos(int port, unsigned value, int mode,
                                  dvr::strovid::KeyFrameInfo* info);
int WINAPI RE4Ravi_GetNextKeyFramePos(int port, unsigned value, int mode,
                                      dvr::strovid::KeyFrameInfo* info);

int WINAPI RE4Ravi_SetOverlayMode(int port, int on, unsigned colorKey);
int WINAPI RE4Ravi_GetOverlayMode(int port);
unsigned WINAPI RE4Ravi_GetColorKey(int port);
int WINAPI RE4Ravi_LocalZoom(int port, int zoom, int x, int y, int width, int height);
int WINAPI QEL_SetSrcAndDstRect(int port, const RECT* source);
int WINAPI RE4Ravi_ChangeBright(int port, int step);
int WINAPI RE4Ravi_ChangeContrast(int port, int step);
int WINAPI RE4Ravi_SetPicQuality(int port, int on);
int WINAPI RE4Ravi_GetPictureQuality(int port, int* on);
int WINAPI RE4Ravi_SetDecCallBack(int port, DecodeCallback callback);
int WINAPI RE4Ravi_SetDisplayBuf(int port, int value);
int WINAPI RE4Ravi_GetDisplayBuf(int port);
int WINAPI RE4Ravi_DirectDraw(int port, int x, int y, int width, int height, RECT* dest);
int WINAPI RE4Ravi_ConvertToBmpFile(const uint8_t* yuv, int size, int width, int height, int type,
                                    const char* fileName);

int WINAPI RE4Ravi_Play(int port, HWND window);
int WINAPI QEL_CreateVideoPlayThread(int port);
int WINAPI RE4Ravi_Stop(int port);
int WINAPI RE4Ravi_Pause(int port, int pause);
int WINAPI RE4Ravi_SetPlaySpeed(int port, int step);
int WINAPI RE4Ravi_Fast(int port);
int WINAPI RE4Ravi_Slow(int port);
int WINAPI RE4Ravi_OneByOne(int port);
int WINAPI RE4Ravi_ThrowBFrameNum(int port, unsigned count);
int WINAPI RE4Ravi_SetFileEndMsg(int port, HWND window, UINT message);
int WINAPI RE4Ravi_SetRoundPlay(int port, int loop);
int WINAPI RE4Ravi_SetDisplayCallBack(int port, DisplayCallback callback);
int WINAPI QEL_DecodeOneFrame(int port, int length);
int WINAPI RE4Ravi_GetCurrentFrameNum(int port);
float WINAPI RE4Ravi_GetPlayPos(int port);
unsigned WINAPI RE4Ravi_GetPlayedTime(int port);
unsigned WINAPI RE4Ravi_GetPlayedTimeEx(int port);

int WINAPI RE4Ravi_SetPlayPos(int port, float fraction);
int WINAPI RE4Ravi_SetCurrentFrameNum(int port, unsigned picture);
int WINAPI RE4Ravi_SetPlayedTimeEx(int port, unsigned ms);
int WINAPI RE4Ravi_OneByOneBack(int port);

// The decoder calls, exported under their own names.
int WINAPI InitDecoder(uint8_t** input, uint8_t** rgb, int width, int height);
int WINAPI FreeDecoder(int handle);
int WINAPI DecoderOneFrame(int handle, int length);
uint8_t* WINAPI GetYUV(int handle);
int WINAPI GetWH(int handle, int* width, int* height);
int WINAPI TransYUVtoRGB(int handle);
int WINAPI SetVideoFormat(int format);
int WINAPI SetPostProcess(int handle, int value);
int WINAPI SetFlip(int handle, int value);
int WINAPI SetBright(int handle, int step);
int WINAPI SetContrast(int handle, int step);
int WINAPI SetBFrameType(int handle, int count);
int WINAPI GetThrowBNum(int handle, int count);
int WINAPI TestIfNeedMMX();

} // extern "C"
