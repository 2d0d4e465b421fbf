#include "webctl/F_ControlSettings.h"

#include "webctl/U_AlarmSet.h"
#include "webctl/U_ControlUdp.h"

namespace vantrel::webctl {

TSystemSetForm* CreateRemoteSettings(TRemoteSettingsParts parts) {
    TSystemSetHost h;
    if (parts.Udp) {
        h.Udp = &parts.Udp->Client();
        h.ReplyWindows = &parts.Udp->Windows;
    }
    h.Groups = std::move(parts.Groups);
    h.MainWindow = parts.Owner;
    if (parts.ShowMessage) h.ShowMessage = std::move(parts.ShowMessage);
    // Every channel of the control is a network channel with the control's alarm defaults.
    h.AlarmDefaults = [](TAlarmSetRecord& record, int) { TAlarmSet::SetDefaults(record); };
    auto* form = new TSystemSetForm(nullptr, std::move(h));
    form->AfterConstruction();
    form->RemoteMode = true;
    return form;
}

void RunRemoteSettings(TRemoteSettingsParts parts) {
    const HWND owner = parts.Owner;
    TSystemSetForm* form = CreateRemoteSettings(std::move(parts));
    form->ShowModal();
    form->Free();
    if (owner) ::InvalidateRect(owner, nullptr, TRUE);
}

} // namespace vantrel::webctl
