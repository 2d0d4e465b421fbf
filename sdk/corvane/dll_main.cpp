// Corvane.dll: the exports come from the core library through Corvane.def.
#include "sdk/corvane/server_state.h"

#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) dvr::corvane::TraceVersion();
    return TRUE;
}
