// The message server's view of the running host: the engine's settings objects, work log,
// work state, remote lists and main window, plus the devices and panes that reach it through
// TUDPServerDevices.
#pragma once

#include "host/engine/U_Auto.h"
#include "host/engine/U_AlarmSet.h"
#include "host/engine/U_AutoSet.h"
#include "host/engine/U_CaptureSet.h"
#include "host/engine/U_ClientCheck.h"
#include "host/engine/U_HostServices.h"
#include "host/engine/U_PreviewSet.h"
#include "host/engine/U_SystemInfo.h"
#include "host/engine/U_SystemOtherSet.h"
#include "host/engine/U_WorkLog.h"
#include "host/engine/U_WorkState.h"
#include "host/engine/U_YunTaiSet.h"
#include "host/net/U_UDPMessageDispatch.h"

namespace vantrel {

// What the server needs of the watchdog, PTZ, alarm-box, matrix and preview objects and of the
// live servers' viewer lists.
class TUDPServerDevices {
public:
    virtual ~TUDPServerDevices() = default;
    virtual uint8_t* DogSettings() = 0; // TDogSet's live 56-byte record
    virtual void SaveDogSettings() = 0; // TDogSet.Save
    virtual int MatrixType() const = 0;
    virtual void SwitchMatrix(uint8_t input, uint8_t output) = 0;
    virtual uint8_t* RemoteOutputStates() = 0;
    virtual void SendAlarmOutputs(int boxType, int port, int address, const uint8_t* states) = 0;
    virtual void PtzStart(int channel, int command, int value1, int value2) = 0;
    virtual void PtzStop(int channel, int command, int value1, int value2) = 0;
    virtual void ClosePreview(int channel) = 0;
    virtual void SetPictureParams(int channel, const TPictureParams& params) = 0;
    virtual void SubscribeAlarms(int channel, const std::string& address, int port) = 0;
};

class TUDPServerEngineHost : public TUDPServerHost {
public:
    struct Parts {
        int BoardChannels; // TVideoCard.ChannelCount
        TSystemInfo& SystemInfo;
        TClientCheckSet& CheckSet;
        TWorkState& WorkState;
        TWorkLog& WorkLog;
        TPreviewSet& PreviewSet;
        TCaptureSet& CaptureSet;
        TAlarmSet& AlarmSet;
        TAutoSet& AutoSet;
        TYunTaiSet& YunTaiSet;
        TSystemOtherSet& OtherSet;
        TAuto& Auto;
        TMainFormServices& MainForm;
        TCaptureServices& Capture;
        TAlarmServices& Alarm;
        TPreviewServices& Preview;
        TUDPServerDevices& Devices;
    };
    explicit TUDPServerEngineHost(const Parts& parts) : p_(parts), check_(parts.CheckSet) {}

    bool CheckUser(std::string_view name, std::string_view password, int right, int item,
                   int subItem) override;
    bool CheckIP(std::string_view address, int right, int item, int subItem) override;
    int BoardChannelCount() const override { return p_.BoardChannels; }
    int ChannelCount() const override { return p_.SystemInfo.ChannelCount; }
    int MatrixType() const override { return p_.Devices.MatrixType(); }
    void SwitchMatrix(uint8_t input, uint8_t output) override;
    WorkStateRecord CaptureWorkState() override;
    int ReadWorkLog(int first, TWorkLogRecord* buffer, int count) override;
    int WorkLogRecordCount() override { return p_.WorkLog.GetRecordCount(); }
    void ListWorkLogDays(std::vector<double>& times, std::vector<int32_t>& indexes) override;
    bool FixedDriveSpace(char letter, uint64_t& totalBytes, uint64_t& freeBytes) override;
    TPreviewSetRecord* PreviewRecords() override { return p_.PreviewSet.Records.data(); }
    TCaptureSetRecord* CaptureRecords() override { return p_.CaptureSet.Records.data(); }
    TAlarmSetRecord* AlarmRecords() override { return p_.AlarmSet.Records.data(); }
    TAutoSetRecord* AutoRecords() override { return p_.AutoSet.Records.data(); }
    TYunTaiSetRecord& YunTaiSettings() override { return p_.YunTaiSet.Settings; }
    uint8_t* DogSettings() override { return p_.Devices.DogSettings(); }
    TOtherSettingsRecord& OtherSettings() override { return p_.OtherSet.Record; }
    bool RemoteListsInUse() override { return check_.ListsInUse(); }
    bool AddressListed(std::string_view address) override { return check_.AddressListed(address); }
    void SavePreviewRecords() override;
    void SaveCaptureRecords() override;
    void SaveAlarmRecords() override;
    void SaveAutoRecords() override;
    void SaveYunTaiSettings() override;
    void SaveDogSettings() override { p_.Devices.SaveDogSettings(); }
    void SaveOtherSettings() override;
    void PostToMainForm(unsigned message, intptr_t wParam, intptr_t lParam) override;
    void SetPictureParams(int channel, const TPictureParams& params) override;
    void SubscribeAlarms(int channel, const std::string& address, int port) override;
    uint8_t* RemoteOutputStates() override { return p_.Devices.RemoteOutputStates(); }
    void SendAlarmOutputs(int boxType, int port, int address, const uint8_t* states) override;
    void SetLocalTime(double oleDate) override;
    bool AutoMode() const override { return p_.Auto.AutoMode; }
    void ToggleAutoWork() override { p_.MainForm.im_AutoWorkClick(); }
    void PtzStart(int channel, int command, int value1, int value2) override;
    void PtzStop(int channel, int command, int value1, int value2) override;
    void StartRecording(int channel) override { p_.Capture.StartChannel(channel, ')', 0); }
    void StopRecording(int channel) override { p_.Capture.StopChannel(channel, ')'); }
    void StartDetection(int channel) override { p_.Alarm.StartDetection(channel, -1); }
    void StopDetection(int channel) override { p_.Alarm.StopDetection(channel); }
    void OpenPreview(int channel) override { p_.Preview.OpenPreview(channel); }
    void ClosePreview(int channel) override { p_.Devices.ClosePreview(channel); }

private:
    Parts p_;
    TClientCheck check_;
};

} // namespace vantrel
