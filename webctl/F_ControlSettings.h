// The settings dialog of the control: the host's dialog in its remote mode, over the control's
// records, its host list and its request socket.
#pragma once

#include "host/ui/F_SysteSetForm.h"

#include <windows.h>

#include <vector>

namespace vantrel::webctl {

class TControlUdpClient;

struct TRemoteSettingsParts {
    TControlUdpClient* Udp = nullptr;
    // The control's host groups: the addresses the dialog offers.
    std::vector<TClientGroupRecord> Groups;
    // The control's window: the dialog is centred over it and it is repainted afterwards.
    HWND Owner = nullptr;
    // Messages to the operator (GBK); a message box unless set.
    std::function<void(const std::string&)> ShowMessage;
};

// The dialog, made and not yet shown (tests show it themselves).
TSystemSetForm* CreateRemoteSettings(TRemoteSettingsParts parts);
// The menu's action: shown modally, freed when it closes.
void RunRemoteSettings(TRemoteSettingsParts parts);

} // namespace vantrel::webctl
