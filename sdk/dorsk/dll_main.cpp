// Dorsk.dll: the exports come from the core library through Dorsk.def.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}
