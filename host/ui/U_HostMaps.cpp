// The host's two maps: the electronic map made at start-up and fed by the alarm dispatcher
// and the message client, and the station map the console opens.
#include "host/ui/F_ElectronMap.h"
#include "host/ui/F_MapCtrlForm.h"
#include "host/ui/F_MainForm.h"
#include "host/ui/F_NetSetForm.h"
#include "host/ui/U_HostAlarm.h"
#include "host/ui/U_HostDevices.h"
#include "host/ui/U_HostObjects.h"

#include "framework/ui/forms.h"

namespace vantrel {

using namespace dvr::fw;

void THost::CreateElectronMap() {
    TElectronMapHost m;
    m.ProgramPath = ProgramPath;
    m.BoardTitles = [this] {
        std::vector<std::string> titles;
        for (int ch = 0; ch < BoardCount() && PreviewSet && ch < int(PreviewSet->Records.size());
             ++ch)
            titles.push_back(PreviewSet->Records[size_t(ch)].Title.Get());
        return titles;
    };
    if (NetClientSet) {
        m.GroupRecords = &NetClientSet->GroupRecords;
        m.GroupMembers = &NetClientSet->GroupMembers;
        m.Channels = &NetClientSet->Channels;
    }
    m.MainWindowShown = [this] { return MainForm && ::IsWindowVisible(MainForm->WindowHandle()); };
    m.Alarms = &MapAlarms;
    auto* f = new TElectronMapForm(nullptr, std::move(m));
    try {
        f->AfterConstruction();
    } catch (...) {
        f->Free();
        throw;
    }
    ElectronMapForm = f;
    MapWindow = f->Handle();
    NoteCreated();
}

void THost::FreeElectronMap() {
    MapWindow = nullptr;
    if (ElectronMapForm) ElectronMapForm->Free();
    ElectronMapForm = nullptr;
}

int OpenStationMap(THost& h, TComponent* owner) {
    if (!h.NetClientSet) return -1;
    THost* hp = &h;
    TMapCtrlHost m;
    m.ProgramPath = h.ProgramPath;
    m.GroupRecords = &h.NetClientSet->GroupRecords;
    m.GroupMembers = &h.NetClientSet->GroupMembers;
    m.CycleMode = [hp] { return hp->Preview && hp->Preview->CycleMode; };
    m.CheckRight = [hp](int right) { return hp->CheckRight(right, -1); };
    m.AutoMode = [hp] { return hp->Auto && hp->Auto->AutoMode; };
    m.WorkLog = [hp](int event) { hp->WriteLog(event); };
    m.CloseAllAndRebuild = [hp](int group) {
        if (hp->ThreadCloseAll)
            hp->ThreadCloseAll->CloseChannels(-1, true, true, true, true, false, group);
    };
    m.StopNetReceivers = [hp] { hp->StopNetworkReceivers(); };
    m.RunClientSettings = [hp, owner](std::string& chosen) {
        auto* f = new TNetSetForm(owner, *hp->NetClientSet);
        f->AfterConstruction();
        f->bt_SelectGroup->SetVisible(true);
        const bool ok = f->ShowModal() == mrOk;
        chosen = f->SelectedGroupName;
        f->Free();
        return ok;
    };
    auto* f = new TMapCtrlForm(owner, std::move(m));
    f->AfterConstruction();
    const int r = f->ShowModal();
    f->Free();
    return r;
}

void THostAlarmDispatch::QueueMapAlarm(const AlarmUploadRecord& record) {
    host_.MapAlarms.Push(record);
}

void THostAlarmDispatch::PostMapAlarm(int raise) {
    if (HWND w = host_.MapWindow) ::PostMessageW(w, WM_EMAPALARM, WPARAM(raise), 0);
}

void THostUdpReplies::QueueMapAlarm(const AlarmUploadRecord& record) {
    host_.MapAlarms.Push(record);
}

void THostUdpReplies::PostAlarmMessage(ReplyWindow window, intptr_t wParam) {
    if (window != ReplyWindow::EMap) return;
    if (HWND w = host_.MapWindow) ::PostMessageW(w, WM_EMAPALARM, WPARAM(wParam), 0);
}

} // namespace vantrel
