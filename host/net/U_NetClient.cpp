#include "host/net/U_NetClient.h"

#include "host/engine/U_Capture.h"
#include "host/engine/U_DiskManager.h"
#include "host/engine/U_NetClientSet.h"
#include "host/net/T_ThreadOpenTCPDataClient.h"
#include "host/net/U_LiveProtocol.h"

#include "player/lib/sound.h"
#include "player/lib/stream_mode.h"
#include "player/lib/strovid_api.h"

#include <mutex>

namespace vantrel {

namespace {
void ClearEntry(TClientChannelRecord& r) {
    r.InUse = 0;
    r.Name.len = 0;
    r.RemoteChannel = 0;
    r.GroupIndex = -1;
    r.GroupId = 0;
}
} // namespace

TNetClient::TNetClient(TNetClientHost& host, const TNetClientSet& clientSet)
    : host_(host), clientSet_(clientSet) {
    for (int s = 0; s < kNetSlots; ++s)
        Clients[s] = std::make_unique<TTCPDataClient>(host, s);
    LoadChannels();
}

TNetClient::~TNetClient() {
    for (auto& c : Clients)
        c.reset();
}

void TNetClient::LoadChannels() {
    int s = 0;
    for (const TClientChannelRecord& r : clientSet_.Channels) {
        if (s >= kNetSlots) break;
        if (r.InUse) SlotTable[s++] = r;
    }
    for (; s < kNetSlots; ++s)
        ClearEntry(SlotTable[s]);
}

void TNetClient::LoadGroupChannels(int hostIndex) {
    if (hostIndex < 0 || hostIndex >= static_cast<int>(clientSet_.Groups.size())) return;
    const TClientGroup& g = clientSet_.Groups[hostIndex];
    for (int s = 0; s < g.ChannelCount && s < kNetSlots; ++s)
        SlotTable[s] = g.Channels[s];
}

void TNetClient::SetPane(int slot, TNetPane* pane) {
    if (ValidSlot(slot)) Clients[slot]->Pane = pane;
}

void TNetClient::BindCaptureSlots(TCapture& capture, int boardChannels) {
    for (int s = 0; s < kNetSlots; ++s) {
        const int channel = boardChannels + s;
        const bool inRange = channel >= 0 && channel < kMaxBoardChannels;
        Clients[s]->Slot = inRange ? &capture.Slots[channel] : nullptr;
        Clients[s]->SlotLock = inRange ? &capture.Locks[channel] : nullptr;
    }
}

void TNetClient::BindSlots(TCaptureSlot* slots, dvr::win::CriticalSection* locks, int count) {
    for (int s = 0; s < kNetSlots; ++s) {
        const bool inRange = s < count;
        Clients[s]->Slot = inRange ? &slots[s] : nullptr;
        Clients[s]->SlotLock = inRange ? &locks[s] : nullptr;
    }
}

void TNetClient::Open(int slot, bool preview) {
    if (!ValidSlot(slot)) return;
    const TClientChannelRecord entry = SlotTable[slot];
    const int g = entry.GroupIndex;
    // A slot without a remote host has nowhere to connect to.
    if (g < 0 || g >= static_cast<int>(clientSet_.Groups.size())) return;
    const TClientGroup& group = clientSet_.Groups[g];
    const TChannelOpenRequest request = MakeChannelOpenRequest(
        group.HostAddress.View(), group.Ports.Port[0], host_.OwnIP(), entry.RemoteChannel, "",
        group.UserName.View(), group.Password.View());
    TTCPDataClient& client = *Clients[slot];
    client.SetChannelEntry(entry.DropBFrames, group.HostAddress.Get(), group.Ports.Port[14]);
    client.NextEpoch();
    if (preview) {
        if (TNetPane* pane = client.Pane) pane->Previewing = true;
    } else if (TCaptureSlot* s = client.Slot) {
        s->CaptureRunning = true;
    }
    TThreadOpenTCPDataClient::Create(client, request);
}

void TNetClient::OpenPreview(int slot) {
    Open(slot, true);
}

void TNetClient::OpenRecording(int slot) {
    Open(slot, false);
}

void TNetClient::ClosePreview(int slot) {
    if (!ValidSlot(slot)) return;
    TTCPDataClient& client = *Clients[slot];
    client.NextEpoch();
    if (TNetPane* pane = client.Pane) {
        pane->Previewing = false;
        pane->Playing = false;
    }
    RE4Ravi_ResetSourceBuffer(slot);
    const TCaptureSlot* s = client.Slot;
    if (!s || !s->CaptureRunning) client.Disconnect();
    client.WriteLog(kEventPreviewStopped);
}

void TNetClient::CloseRecording(int slot) {
    if (!ValidSlot(slot)) return;
    TTCPDataClient& client = *Clients[slot];
    client.NextEpoch();
    TCaptureSlot* s = client.Slot;
    dvr::win::CriticalSection* lock = client.SlotLock;
    auto locked = [lock](auto&& work) {
        if (lock) {
            std::lock_guard guard(*lock);
            work();
        } else {
            work();
        }
    };
    if (s)
        locked([s] {
            s->CaptureRunning = false;
            s->FileOpen = false;
        });
    const TNetPane* pane = client.Pane;
    if (!pane || !pane->Previewing) client.Disconnect();
    if (s)
        locked([s] {
            const std::string name = std::move(s->FileName);
            s->FileName.clear();
            const intptr_t handle = s->FileHandle.exchange(-1);
            if (handle != -1) TDiskManager::CloseRecordingFile(name, handle, kCloseKeep);
            s->State = kStateIdle;
        });
    try {
        host_.ShowRecordingStopped(slot);
    } catch (...) {
    }
    client.WriteLog(kEventNetRecording);
}

void TNetClient::RequestKeyFrame(int slot) {
    if (!ValidSlot(slot)) return;
    const TClientChannelRecord entry = SlotTable[slot];
    const int g = entry.GroupIndex;
    if (g < 0 || g >= static_cast<int>(clientSet_.Groups.size())) return;
    const TChannelOpenRequest request =
        MakeChannelOpenRequest(clientSet_.Groups[g].HostAddress.View(), 0, host_.OwnIP(),
                               entry.RemoteChannel, "IFrame", "", "");
    TTCPDataClient& client = *Clients[slot];
    if (client.Connected) client.SendBuffer(&request, static_cast<int>(sizeof request));
}

int TNetClient::PlaySound(int slot) {
    return RE4Ravi_PlaySound(slot);
}

int TNetClient::StopSound() {
    return RE4Ravi_StopSound();
}

void TNetClient::StopReceivers() {
    for (auto& c : Clients)
        if (c) c->StopReceiving();
}

int TNetClient::RunningThreads() {
    int n = 0;
    for (auto& c : Clients)
        if (c) n += c->RunningThreads();
    return n;
}

} // namespace vantrel
