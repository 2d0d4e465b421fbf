// The network channels of this host: 49 slots, each showing and recording one channel of
// another host through its own connection and its own player port (port = slot).
#pragma once

#include "host/engine/U_ClientGroups.h"
#include "host/net/U_TCPDataClient.h"

// Before the class: the sound calls carry a name that the system header turns into a macro.
#include <mmsystem.h>

#include <array>
#include <memory>

namespace vantrel {

class TCapture;
class TNetClientSet;

class TNetClient {
public:
    // The 49 clients (client s plays in player port s), then LoadChannels.
    TNetClient(TNetClientHost& host, const TNetClientSet& clientSet);
    ~TNetClient();
    TNetClient(const TNetClient&) = delete;
    TNetClient& operator=(const TNetClient&) = delete;

    // Slot s: the channel it shows; host index -1 for a slot without a channel.
    std::array<TClientChannelRecord, kNetSlots> SlotTable{};
    std::array<std::unique_ptr<TTCPDataClient>, kNetSlots> Clients;

    // The channels in use of the network client set, in order, into slots 0, 1, ...; the
    // remaining slots are emptied.
    void LoadChannels();
    // The channels of one remote host into slots 0 .. its count - 1; later slots stay.
    void LoadGroupChannels(int hostIndex);

    // Connects the slot for preview or recording; neither looks at an existing connection.
    void OpenPreview(int slot);
    void OpenRecording(int slot);
    // Each keeps the connection while the other use is active.
    void ClosePreview(int slot);
    void CloseRecording(int slot);
    // Asks the remote host for a key frame over the slot's open connection (a pane opened on
    // a channel that records already).
    void RequestKeyFrame(int slot);
    int PlaySound(int slot);
    int StopSound();

    // Where the preview panes and the recording engine hand their objects over.
    void SetPane(int slot, TNetPane* pane);
    // Slot s gets the recording slot of channel boardChannels + s.
    void BindCaptureSlots(TCapture& capture, int boardChannels);
    // Slot s gets slots[s] and its lock; slots from `count` on get none.
    void BindSlots(TCaptureSlot* slots, dvr::win::CriticalSection* locks, int count);

    // Every slot's receive thread stopped and ended; the connections stay until closed.
    void StopReceivers();
    // Threads of all clients still running.
    int RunningThreads();

private:
    void Open(int slot, bool preview);
    bool ValidSlot(int slot) const { return slot >= 0 && slot < kNetSlots; }

    TNetClientHost& host_;
    const TNetClientSet& clientSet_;
};

} // namespace vantrel
