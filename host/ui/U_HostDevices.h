// The host's PTZ, SMS, matrix and voice objects and the windows of its start-up, bound to the
// running host: what each of them asks of the host, answered from THost's objects.
#pragma once

#include "host/engine/U_PeriphWin.h"
#include "host/engine/U_YunTai.h"
#include "host/net/U_RemoteAlarmList.h"
#include "host/ui/U_ConsoleCommands.h"
#include "host/ui/U_PtzPanel.h"

#include <memory>
#include <string>

namespace vantrel {

class THost;

// The PTZ object's and the PTZ panel's view of the host; the repeat timer runs on the console.
class THostPtz : public TYunTaiHost, public TPtzPanelHost {
public:
    explicit THostPtz(THost& host);
    // TYunTaiHost
    bool CheckPtzRight(int channel) const override;
    int BoardChannelCount() const override;
    int ChannelCount() const override;
    bool NetTarget(int channel, TPtzNetTarget& target) const override;
    std::string OwnAddress() const override;
    void RepeatTimerChanged(bool enabled, int intervalMs) override;
    // TPtzPanelHost
    int SelectedChannel() override;
    void WriteLog(int event) override;
    void ShowSpeedDome() override;
    void ShowSpeedWindow() override;
    void Pause(DWORD ms) override;

private:
    THost& host_;
    TVariableTimer repeat_;
};

// The message client comes into being after the objects that send through it; until then, and
// after the shutdown freed it, nothing is sent.
class THostUdpSender : public TUdpSender {
public:
    explicit THostUdpSender(THost& host) : host_(host) {}
    void SendTo(const void* buffer, int length, int port, const std::string& address) override;

private:
    THost& host_;
};

// The remote alarm list's view of the panes, slots and sound.
class THostRemoteAlarms : public TRemoteAlarmListHost {
public:
    explicit THostRemoteAlarms(THost& host) : host_(host) {}
    void SetRemoteAlarmSound(bool on) override;
    int BoardChannelCount() const override;
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
    THost& host_;
};

// Shows one of the windows the start-up made for the console's command; -1 when the host has
// no such window.
int ShowHostWindow(THost& host, TConsoleWindow window);
// The station map, modal over owner.
int OpenStationMap(THost& host, dvr::fw::TComponent* owner);

} // namespace vantrel
