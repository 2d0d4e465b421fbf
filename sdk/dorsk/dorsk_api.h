// Exports of Dorsk.dll, the capture-board SDK, as the host program calls them.
// Channel handles are pointer-sized; ChannelOpen answers -1 for failure.
#pragma once

#include <stdint.h>
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

#define DORSK_CALL __stdcall

// Called on the library's notifier thread with no library lock held.
typedef void(DORSK_CALL* RU4DovStreamReadCallback)(int channel, intptr_t user);

// Frame statistics since capture start.
typedef struct RU4DovFramesStatistics {
    int32_t pictures;
    int32_t audioBlocks;
    int32_t boardWord;
    int32_t reserved;
} RU4DovFramesStatistics;

int DORSK_CALL RU4Dov_InitDSPs(void);
int DORSK_CALL RU4Dov_DeInitDSPs(void);
int DORSK_CALL RU4Dov_GetTotalDSPs(void);
int DORSK_CALL RU4Dov_GetTotalChannels(void);
intptr_t DORSK_CALL RU4Dov_ChannelOpen(int channel);
int DORSK_CALL RU4Dov_ChannelClose(intptr_t handle);
int DORSK_CALL RU4Dov_GetLastErrorNum(intptr_t handle, int* first, int* second);
int DORSK_CALL RU4Dov_ResetDSP(void);

int DORSK_CALL RU4Dov_StartVideoCapture(intptr_t handle);
int DORSK_CALL RU4Dov_StopVideoCapture(intptr_t handle);
int DORSK_CALL RU4Dov_SetVideoStandard(intptr_t handle, int standard);
int DORSK_CALL RU4Dov_SetStreamType(intptr_t handle, int type);
int DORSK_CALL RU4Dov_GetStreamType(intptr_t handle, uint16_t* type);
int DORSK_CALL RU4Dov_SetEncoderPictureFormat(intptr_t handle, int format);
int DORSK_CALL RU4Dov_SetIBPMode(intptr_t handle, int key_frame_interval, int b_frames, int unused,
                                 int frame_rate);
int DORSK_CALL RU4Dov_SetDefaultQuant(intptr_t handle, int i_quantiser, int p_quantiser,
                                      int b_quantiser);
int DORSK_CALL RU4Dov_SetupBitrateControl(intptr_t handle, uint32_t max_bit_rate, int mode);
int DORSK_CALL RU4Dov_CaptureIFrame(intptr_t handle);
int DORSK_CALL RU4Dov_SetAudioPreview(intptr_t handle, int on);
int DORSK_CALL RU4Dov_GetFramesStatistics(intptr_t handle, RU4DovFramesStatistics* record);
int DORSK_CALL RU4Dov_SetAuxCodecMode(intptr_t handle, int key_frame_interval, int frame_rate,
                                      int bit_rate);
int DORSK_CALL RU4Dov_StartAuxCodec(intptr_t handle);
int DORSK_CALL RU4Dov_StopAuxCodec(intptr_t handle);

int DORSK_CALL RU4Dov_RegisterStreamReadCallback(RU4DovStreamReadCallback callback, intptr_t user);
int DORSK_CALL RU4Dov_RegisterMessageNotifyHandle(HWND window, UINT message);
// Length: buffer size in, record size out. 1 key picture, 0 other record, -1 nothing read.
int DORSK_CALL RU4Dov_ReadStreamData(intptr_t handle, void* buffer, int* length, int* type);

// Preview: the rectangle is in the window's client coordinates; the host passes three
// more values that the library does not use.
int DORSK_CALL RU4Dov_StartVideoPreview(intptr_t handle, HWND window, const RECT* rect, int unused1,
                                        int unused2, int unused3);
int DORSK_CALL RU4Dov_StopVideoPreview(intptr_t handle);
// 0x00BBGGRR.
int DORSK_CALL RU4Dov_SetOverlayColorKey(uint32_t color);
int DORSK_CALL RU4Dov_RestoreOverlay(void);

// A detection or masking rectangle in picture pixels.
typedef struct RU4DovArea {
    int32_t left, top, right, bottom;
} RU4DovArea;

// The areas are clamped to the picture in the caller's array, then copied.
int DORSK_CALL RU4Dov_SetupMotionDetection(intptr_t handle, RU4DovArea* areas, int count);
int DORSK_CALL RU4Dov_StartMotionDetection(intptr_t handle);
int DORSK_CALL RU4Dov_StopMotionDetection(intptr_t handle);
int DORSK_CALL RU4Dov_AdjustMotionDetectPrecision(intptr_t handle, int first, int second,
                                                  int third);
// One result (1 motion, 0 none) per area set up, for one activity record.
int DORSK_CALL RU4Dov_MotionAnalyzer(intptr_t handle, const void* record, int sensitivity,
                                     int32_t* results);

// Text lines: u16 x, u16 y, then 16-bit codes ended by 0; positions are clamped in place.
int DORSK_CALL RU4Dov_SetOsdDisplayMode(intptr_t handle, int attribute, int mode1, int mode2,
                                        uint16_t* line1, uint16_t* line2);
int DORSK_CALL RU4Dov_SetOsd(intptr_t handle, int on);
int DORSK_CALL RU4Dov_SetLogo(intptr_t handle, int x, int y, int width, int height,
                              const uint16_t* pixels);
int DORSK_CALL RU4Dov_StopLogo(intptr_t handle);
int DORSK_CALL RU4Dov_SetLogoDisplayMode(intptr_t handle, int unused, int mode1, int mode2);
int DORSK_CALL RU4Dov_SetupMosaic(intptr_t handle, RU4DovArea* areas, int count);
int DORSK_CALL RU4Dov_StartMosaic(intptr_t handle);
int DORSK_CALL RU4Dov_StopMosaic(intptr_t handle);

// Length: buffer size in, picture size out.
int DORSK_CALL RU4Dov_GetOriginalImage(intptr_t handle, void* buffer, uint32_t* length);
int DORSK_CALL RU4Dov_GetOriginalImageEx(intptr_t handle, void* buffer, uint32_t* length,
                                         int* width, int* height);
// File names are GBK. Saves planar YUV 4:2:0; loads planar YUV 4:2:2.
int DORSK_CALL RU4Dov_SaveYUVToBmpFile(const char* file_name, const void* data, int width,
                                       int height);
int DORSK_CALL RU4Dov_LoadYUVFromBmpFile(const char* file_name, void* buffer, uint32_t size,
                                         int* width, int* height);
int DORSK_CALL RU4Dov_GetVideoSignal(intptr_t handle);
int DORSK_CALL RU4Dov_GetVideoPara(intptr_t handle, int* status, int* brightness, int* contrast,
                                   int* saturation, int* hue);
int DORSK_CALL RU4Dov_SetVideoPara(intptr_t handle, int brightness, int contrast, int saturation,
                                   int hue);
int DORSK_CALL RU4Dov_GetBoardInfo(intptr_t handle, uint32_t* first, uint32_t* second);
int DORSK_CALL RU4Dov_GetChannelInfo(intptr_t handle, int* info);
int DORSK_CALL RU4Dov_GetCapability(intptr_t handle, uint8_t* capability);
int DORSK_CALL RU4Dov_GetSDKVersion(int32_t* versions);
int DORSK_CALL RU4Dov_SetLanguage(intptr_t handle, int code);
int DORSK_CALL RU4Dov_GetDumpFile(intptr_t handle);
int DORSK_CALL RU4Dov_SetHorOffset(intptr_t handle);
// Entries without effect: each answers 268.
int DORSK_CALL RU4Dov_DumpDebug(intptr_t handle);
int DORSK_CALL RU4Dov_GetSoundLevel(intptr_t handle, int* level);
int DORSK_CALL RU4Dov_RegisterLogRecordCallback(void* callback, intptr_t user);
int DORSK_CALL RU4Dov_SetupAimDetectArea(intptr_t handle, const void* areas, int count);
int DORSK_CALL RU4Dov_StartAimDetect(intptr_t handle);
int DORSK_CALL RU4Dov_StopAimDetect(intptr_t handle);

#ifdef __cplusplus
}
#endif
