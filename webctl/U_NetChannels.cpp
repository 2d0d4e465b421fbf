#include "webctl/U_NetChannels.h"

#include "host/engine/T_ThreadWriteLogRecord.h"
#include "host/engine/U_NetClientSet.h"
#include "webctl/U_Capture.h"
#include "webctl/VantrelIE_QZForm.h"

#include "player/lib/strovid_api.h"

namespace vantrel::webctl {

TControlChannels::TControlChannels(const TNetClientSet& hosts, HWND messageWindow,
                                   std::string ownIP)
    : hosts_(hosts), ownIP_(ownIP.empty() ? "127.0.0.1" : std::move(ownIP)), window_(messageWindow),
      windowThread_(::GetCurrentThreadId()) {
    Net = std::make_unique<TNetClient>(*this, hosts_);
    for (int s = 0; s < kNetSlots; ++s)
        Net->SetPane(s, &noPanes_[size_t(s)]);
    OpenAll = std::make_unique<TThreadOpenAll>(*this);
    CloseAll = std::make_unique<TThreadCloseAll>(*this);
    OpenAll->SetPartner(CloseAll.get());
    CloseAll->SetPartner(OpenAll.get());
    AlarmUp = std::make_unique<TThreadOpenAllForAlarmUp>(*this);
}

void TControlChannels::AddLogRecord(std::string_view line) {
    if (Log) Log->AddRecord(line);
}

TControlChannels::~TControlChannels() {
    closing_ = true;
    AlarmUp.reset();
    OpenAll.reset();
    CloseAll.reset();
    Net.reset();
}

void TControlChannels::AttachForm(TVantrelIE_QZ* form) {
    form_ = form;
    for (int s = 0; s < kNetSlots; ++s) {
        TNetPane* pane = &noPanes_[size_t(s)];
        if (form) {
            TPreviewPane& p = form->Preview->Panes[size_t(s)];
            p.Net.Control = p.Window->WindowHandle();
            pane = &p.Net;
        }
        Net->SetPane(s, pane);
    }
}

void TControlChannels::DetachForm() {
    if (!form_) return;
    // The panes' windows go with the face: nothing may play into them afterwards.
    for (int s = 0; s < kNetSlots; ++s) {
        TNetPane& pane = form_->Preview->Panes[size_t(s)].Net;
        if (pane.Previewing || pane.Playing) Net->ClosePreview(s);
    }
    AttachForm(nullptr);
}

void TControlChannels::Reload(int channels, int group) {
    const auto before = Net->SlotTable;
    channels_ = std::clamp(channels, 0, kNetSlots);
    Net->LoadChannels();
    if (group >= 0) Net->LoadGroupChannels(group);
    for (int s = 0; s < kNetSlots; ++s) {
        const TClientChannelRecord &a = before[size_t(s)], &b = Net->SlotTable[size_t(s)];
        if (a.GroupIndex != b.GroupIndex || a.GroupId != b.GroupId ||
            a.RemoteChannel != b.RemoteChannel)
            ForgetHead(s);
    }
}

void TControlChannels::ForgetHead(int slot) {
    if (!capture_ || slot < 0 || slot >= kNetSlots) return;
    TCaptureSlot& s = capture_->Slots[size_t(slot)];
    if (!s.CaptureRunning) s.HeaderSaved = false;
}

bool TControlChannels::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_RUNSTEP) {
        if (auto* step = reinterpret_cast<const std::function<void()>*>(lParam)) (*step)();
        return true;
    }
    if (msg != WM_NETPICTURE) return false;
    const int slot = static_cast<int>(wParam);
    if (form_ && slot >= 0 && slot < kNetSlots) {
        if (lParam == 0)
            form_->Preview->ShowPlaying(slot);
        else if (capture_)
            capture_->ShowStatus(slot, lParam == 1);
    }
    return true;
}

void TControlChannels::AddCaptureFile(std::string_view day, int channel, std::string_view entry) {
    if (capture_) capture_->AddFile(day, channel, entry);
}

void TControlChannels::Post(int slot, int picture) {
    if (!closing_) ::PostMessageW(window_, WM_NETPICTURE, static_cast<WPARAM>(slot), picture);
}

bool TControlChannels::PanePreviewing(int channel) {
    return form_ && form_->Preview->Panes[size_t(channel)].Net.Previewing;
}

bool TControlChannels::PanePlaying(int channel) {
    return form_ && form_->Preview->Panes[size_t(channel)].Net.Playing;
}

void TControlChannels::OpenPreview(int channel) {
    if (form_) form_->Preview->OpenPreview(channel);
}

void TControlChannels::ClosePreview(int channel) {
    if (form_) form_->Preview->ClosePreview(channel);
}

bool TControlChannels::FileRecording(int channel) {
    return capture_ && capture_->Slots[size_t(channel)].FileOpen;
}

bool TControlChannels::CaptureRunning(int channel) {
    return capture_ && capture_->Slots[size_t(channel)].CaptureRunning;
}

void TControlChannels::StartRecording(int channel) {
    if (capture_) capture_->StartChannel(channel, '+', 0);
}

void TControlChannels::StopRecording(int channel) {
    if (capture_) capture_->StopChannel(channel, '+');
}

void TControlChannels::SetFormEnabled(bool enabled) {
    if (form_) form_->SetEnabled(enabled);
}

bool TControlChannels::CycleMode() {
    return form_ && form_->Preview->CycleMode;
}

void TControlChannels::EnableCycleTimer() {
    if (form_ && form_->VideoCycleTimer) form_->VideoCycleTimer->SetEnabled(true);
}

void TControlChannels::PostRebuild(WPARAM wParam, LPARAM lParam) {
    if (!closing_) ::PostMessageW(window_, WM_REBUILDCHANNELMAP, wParam, lParam);
}

bool TControlChannels::Run(const std::function<void()>& step) {
    if (closing_) return false;
    if (::GetCurrentThreadId() == windowThread_) {
        step();
        return true;
    }
    ::SendMessageW(window_, WM_RUNSTEP, 0, reinterpret_cast<LPARAM>(&step));
    return true;
}

} // namespace vantrel::webctl
