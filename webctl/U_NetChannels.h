// The control's network channels: the 49 clients of the host's channel list, the open-all,
// close-all and alarm-open workers that drive them, and the window-thread side of both (the
// pictures the receive threads change, the steps the workers run).
#pragma once

#include "host/engine/U_Capture.h"
#include "host/net/U_NetClient.h"
#include "webctl/T_ChannelThreads.h"

#include <windows.h>

#include <array>
#include <atomic>
#include <memory>

namespace vantrel {
class TNetClientSet;
class TThreadWriteLogRecord;
}

namespace vantrel::webctl {

class TVantrelIE_QZ;
class TCapture;

// Messages on the control's message window.
constexpr UINT WM_RUNSTEP = WM_USER + 101;    // lParam: the step to run (sent)
constexpr UINT WM_NETPICTURE = WM_USER + 102; // wParam: slot, lParam: which picture (posted)

class TControlChannels final : public TChannelOps, public TNetClientHost {
public:
    // ownIP: the viewer's own address as the system information found it at start-up.
    TControlChannels(const TNetClientSet& hosts, HWND messageWindow, std::string ownIP);
    ~TControlChannels() override;

    std::unique_ptr<TNetClient> Net;
    std::unique_ptr<TThreadOpenAll> OpenAll;
    std::unique_ptr<TThreadCloseAll> CloseAll;
    std::unique_ptr<TThreadOpenAllForAlarmUp> AlarmUp;

    // The face is made (its panes play the channels) or about to go (every connection ends).
    void AttachForm(TVantrelIE_QZ* form);
    void DetachForm();
    // The host list changed: the slots reload (group >= 0: that host's channels first) and
    // `channels` are in use.
    void Reload(int channels, int group = -1);
    // The slot now shows another channel: unless it records, the previous channel's stream
    // head is forgotten, so that the next stream opens (and files start) with its own head.
    void ForgetHead(int slot);
    void SetCapture(TCapture* capture) { capture_ = capture; }
    const TNetClientSet& Hosts() const { return hosts_; }

    // The message window's share; true when the message was one of these.
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

    // TNetClientHost
    int ChannelCount() override { return channels_; }
    int BoardChannelCount() override { return 0; }
    std::string OwnIP() override { return ownIP_; }
    // The control has no local user.
    std::string UserName() override { return std::string(); }
    // Into the control's work log, once it has one.
    void AddLogRecord(std::string_view line) override;
    TThreadWriteLogRecord* Log = nullptr;
    void AddCaptureFile(std::string_view day, int channel, std::string_view entry) override;
    // Alarm uploads come to the control's own port; nothing is sent from here.
    void SendUdp(const void*, int, int, const std::string&) override {}
    void ShowPlaying(int slot) override { Post(slot, 0); }
    void ShowRecording(int slot) override { Post(slot, 1); }
    void ShowRecordingStopped(int slot) override { Post(slot, 2); }

    // TChannelOps
    bool PanePreviewing(int channel) override;
    bool PanePlaying(int channel) override;
    void OpenPreview(int channel) override;
    void ClosePreview(int channel) override;
    bool FileRecording(int channel) override;
    bool CaptureRunning(int channel) override;
    void StartRecording(int channel) override;
    void StopRecording(int channel) override;
    bool AlarmShown(int) override { return false; }
    // Arming and clearing a channel's alarms is nothing in the control.
    void ArmAlarm(int) override {}
    void ClearAlarm(int) override {}
    void SetFormEnabled(bool enabled) override;
    bool CycleMode() override;
    void EnableCycleTimer() override;
    void PostRebuild(WPARAM wParam, LPARAM lParam) override;
    bool Run(const std::function<void()>& step) override;

private:
    void Post(int slot, int picture);

    const TNetClientSet& hosts_;
    const std::string ownIP_;
    HWND window_;
    DWORD windowThread_;
    std::atomic<int> channels_{0};
    std::atomic<bool> closing_{false};
    TVantrelIE_QZ* form_ = nullptr;
    TCapture* capture_ = nullptr;
    // Panes and recording slots for the clients while the control has no face or recorder.
    std::array<TNetPane, kNetSlots> noPanes_{};
};

} // namespace vantrel::webctl
