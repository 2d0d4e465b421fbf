// PlayerQZ's main block.
#include <windows.h>

#include "framework/ui/forms.h"
#include "playerapp/U_ReplayDll.h"
#include "playerapp/f_ReplayMain.h"
#include "skin/controls/te_controls_unit.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    using namespace playerqz;
    dvr::fw::Application->Initialize();
    // The skinned controls' shared resources, kept until the process ends.
    dvr::skin::StartControlsUnit();
    ReplayService = new TReplayService;
    ReplayService->Init();
    TF_Replay* form = nullptr;
    dvr::fw::Application->CreateForm(form);
    dvr::fw::Application->Run();
    return 0;
}
