// The control's remote alarm list: the host's list window over the control's panes, network
// slots and alarm opener. Every pane is a network pane.
#pragma once

#include "host/engine/T_ThreadAlarmAudio.h"
#include "host/net/F_RemoteAlarmUpView.h"

namespace vantrel::webctl {

class TVantrelIE_QZ;
class TControlChannels;
class TCapture;

class TControlAlarmList final : public TRemoteAlarmListHost {
public:
    TControlAlarmList(TVantrelIE_QZ& form, TControlChannels& channels, TCapture& capture);
    ~TControlAlarmList() override;

    TRemoteAlarmUpViewForm* Form = nullptr;
    // An upload of one of the hosts: a row, and the window pops up when asked to.
    void AddAlarm(const AlarmUploadRecord& record);

    // TRemoteAlarmListHost
    void SetRemoteAlarmSound(bool on) override {
        if (Audio) Audio->SetRemoteAlarm(on);
    }
    // The alarm sounds (null: silent).
    TThreadAlarmAudio* Audio = nullptr;
    int BoardChannelCount() const override { return 0; }
    int SelectedPane() const override;
    bool PanePreviewing(int channel) const override;
    int SlotRemoteChannel(int slot) const override;
    std::string SlotGroupAddress(int slot) const override;
    void ClosePreview(int channel) override;
    void StopNetworkRecording(int channel) override;
    void Pause(int ms) override;
    void SetSlotTarget(int slot, int remoteChannel, const std::string& address) override;
    void RequestOpenOnAlarm(int channel) override;
    void ClearRecordOnAlarm(int channel) override;

private:
    TVantrelIE_QZ& form_;
    TControlChannels& channels_;
    TCapture& capture_;
};

} // namespace vantrel::webctl
