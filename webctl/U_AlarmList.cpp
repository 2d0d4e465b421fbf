#include "webctl/U_AlarmList.h"

#include "host/engine/U_NetClientSet.h"
#include "webctl/U_Capture.h"
#include "webctl/U_NetChannels.h"
#include "webctl/VantrelIE_QZForm.h"

namespace vantrel::webctl {

TControlAlarmList::TControlAlarmList(TVantrelIE_QZ& form, TControlChannels& channels,
                                     TCapture& capture)
    : form_(form), channels_(channels), capture_(capture) {
    Form = new TRemoteAlarmUpViewForm(&form, "", *this);
    Form->AfterConstruction();
    // Pops up only while the control itself shows.
    Form->MainWindowShown = [this] { return form_.Visible(); };
}

TControlAlarmList::~TControlAlarmList() {
    if (Form) Form->Free();
}

void TControlAlarmList::AddAlarm(const AlarmUploadRecord& record) {
    Form->AddAlarm(record);
    ::PostMessageW(Form->Handle(), WM_EMAPALARM, 0, 0);
}

int TControlAlarmList::SelectedPane() const {
    return form_.Preview->SelectedPane;
}

bool TControlAlarmList::PanePreviewing(int channel) const {
    return channel >= 0 && channel < kPaneCount &&
           form_.Preview->Panes[size_t(channel)].Net.Previewing;
}

int TControlAlarmList::SlotRemoteChannel(int slot) const {
    return slot >= 0 && slot < kNetSlots ? channels_.Net->SlotTable[size_t(slot)].RemoteChannel
                                         : -1;
}

std::string TControlAlarmList::SlotGroupAddress(int slot) const {
    if (slot < 0 || slot >= kNetSlots) return {};
    const int g = channels_.Net->SlotTable[size_t(slot)].GroupIndex;
    const auto& groups = channels_.Hosts().Groups;
    return g >= 0 && g < static_cast<int>(groups.size())
               ? std::string(groups[size_t(g)].HostAddress.View())
               : std::string();
}

void TControlAlarmList::ClosePreview(int channel) {
    form_.Preview->ClosePreview(channel);
}

void TControlAlarmList::StopNetworkRecording(int channel) {
    capture_.StopChannel(channel, '+');
}

void TControlAlarmList::Pause(int ms) {
    ::Sleep(static_cast<DWORD>(ms));
}

void TControlAlarmList::SetSlotTarget(int slot, int remoteChannel, const std::string& address) {
    if (slot < 0 || slot >= kNetSlots || remoteChannel < 0 || remoteChannel > 255) return;
    // In memory only: the pane shows the alarming camera of the first group of that host.
    TClientChannelRecord& r = channels_.Net->SlotTable[size_t(slot)];
    channels_.ForgetHead(slot);
    r.RemoteChannel = uint8_t(remoteChannel);
    const auto& groups = channels_.Hosts().Groups;
    for (size_t g = 0; g < groups.size(); ++g)
        if (groups[g].HostAddress.View() == address) {
            r.GroupIndex = int32_t(g);
            break;
        }
}

void TControlAlarmList::RequestOpenOnAlarm(int channel) {
    if (channel >= 0 && channel < kChannelMarks) channels_.AlarmUp->OpenPreviewMarks[size_t(channel)] = true;
}

void TControlAlarmList::ClearRecordOnAlarm(int channel) {
    if (channel >= 0 && channel < kChannelMarks)
        channels_.AlarmUp->StartRecordingMarks[size_t(channel)] = false;
}

} // namespace vantrel::webctl
