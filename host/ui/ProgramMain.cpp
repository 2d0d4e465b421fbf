// Vantrel's main block.
#include "host/ui/F_StartUp.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    return vantrel::ProgramMain();
}
