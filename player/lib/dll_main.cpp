// Strovid.dll: the port table and its locks live as long as the library is loaded.
#include <windows.h>

#include "player/lib/play_port.h"

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) dvr::strovid::LoadLibraryState();
    if (reason == DLL_PROCESS_DETACH) dvr::strovid::UnloadLibraryState();
    return TRUE;
}
