// Strovid.dll: the port table and its locks live as long as the library is loaded.
#include <windows.h>

#include "player/lib/play_port.h"

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) dvr::strovid::LoadLibraryState();
    // At process exit the other libraries may be gone already: leave everything to the
    // system rather than call into them.
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        dvr::strovid::UnloadLibraryState();
        dvr::strovid::DestroyPortTable();
    }
    return TRUE;
}
