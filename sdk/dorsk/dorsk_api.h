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

#ifdef __cplusplus
}
#endif
