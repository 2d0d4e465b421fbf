// The Strovid player library's exports, as its callers bind them.
#pragma once

#include <windows.h>

#include <cstdint>

#include "player/lib/key_frame_index.h"

extern "C" {

// Called once per opened file, on the index thread, when its key-frame index is complete.
typedef void(CALLBACK* FileRefCallback)(int port, int user);

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

} // extern "C"
