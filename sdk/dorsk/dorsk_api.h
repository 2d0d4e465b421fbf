// Exports of Dorsk.dll, the capture-board SDK, as the host program calls them.
// Channel handles are pointer-sized; ChannelOpen answers -1 for failure.
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define DORSK_CALL __stdcall

int DORSK_CALL RU4Dov_InitDSPs(void);
int DORSK_CALL RU4Dov_DeInitDSPs(void);
int DORSK_CALL RU4Dov_GetTotalDSPs(void);
int DORSK_CALL RU4Dov_GetTotalChannels(void);
intptr_t DORSK_CALL RU4Dov_ChannelOpen(int channel);
int DORSK_CALL RU4Dov_ChannelClose(intptr_t handle);
int DORSK_CALL RU4Dov_GetLastErrorNum(intptr_t handle, int* first, int* second);
int DORSK_CALL RU4Dov_ResetDSP(void);

#ifdef __cplusplus
}
#endif
