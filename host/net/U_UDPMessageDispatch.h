// The answering side of the UDP message protocol without sockets: one datagram in, its checks,
// its action on the host engine and its replies out. TUDPMessageServer runs it on the
// user-interface thread for every datagram of its port. Portable: no windows.h.
#pragma once

#include "host/net/U_UDPMessages.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// Everything the dispatch reaches in the host engine and the main window. Calls may throw;
// the dispatch swallows what they throw.
class TUDPServerHost {
public:
    virtual ~TUDPServerHost() = default;

    // TClientCheck.
    virtual bool CheckUser(std::string_view name, std::string_view password, int right, int item,
                           int subItem) = 0;
    virtual bool CheckIP(std::string_view address, int right, int item, int subItem) = 0;

    virtual int BoardChannelCount() const = 0; // TVideoCard.ChannelCount
    virtual int ChannelCount() const = 0;      // TSystemInfo.ChannelCount

    // TMatrixsCtrl: its type, and a switch of one output (table byte output + 1 := input,
    // then the whole table to its port).
    virtual int MatrixType() const = 0;
    virtual void SwitchMatrix(uint8_t input, uint8_t output) = 0;

    virtual WorkStateRecord CaptureWorkState() = 0;

    // TWorkLog: records read into the buffer (fewer at the end of the log), the total, and
    // per day from the oldest its first record's time and index.
    virtual int ReadWorkLog(int first, TWorkLogRecord* buffer, int count) = 0;
    virtual int WorkLogRecordCount() = 0;
    virtual void ListWorkLogDays(std::vector<double>& times, std::vector<int32_t>& indexes) = 0;

    // Drive letter 'A'..'Z': false when it is not a fixed drive.
    virtual bool FixedDriveSpace(char letter, uint64_t& totalBytes, uint64_t& freeBytes) = 0;

    // The live settings records (49 per channel where per channel).
    virtual TPreviewSetRecord* PreviewRecords() = 0;
    virtual TCaptureSetRecord* CaptureRecords() = 0;
    virtual TAlarmSetRecord* AlarmRecords() = 0;
    virtual TAutoSetRecord* AutoRecords() = 0;
    virtual TYunTaiSetRecord& YunTaiSettings() = 0;
    virtual uint8_t* DogSettings() = 0; // the 56-byte TDogSettingsRecord
    virtual TOtherSettingsRecord& OtherSettings() = 0;
    // TClientCheck: either remote list has an entry in use; an address has its own entry.
    virtual bool RemoteListsInUse() = 0;
    virtual bool AddressListed(std::string_view address) = 0;
    // Store the live records of all 49 channels (SaveRecords(records, 48)) or the record.
    virtual void SavePreviewRecords() = 0;
    virtual void SaveCaptureRecords() = 0;
    virtual void SaveAlarmRecords() = 0;
    virtual void SaveAutoRecords() = 0;
    virtual void SaveYunTaiSettings() = 0;
    virtual void SaveDogSettings() = 0;
    virtual void SaveOtherSettings() = 0;

    virtual void PostToMainForm(unsigned message, intptr_t wParam, intptr_t lParam) = 0;

    virtual void SetPictureParams(int channel, const TPictureParams& params) = 0;
    // Every open viewer of the board channel's live server from that address.
    virtual void SubscribeAlarms(int channel, const std::string& address, int port) = 0;
    // TAlarmDevice's shared remote output states (16), and the frame of a box type 0..3.
    virtual uint8_t* RemoteOutputStates() = 0;
    virtual void SendAlarmOutputs(int boxType, int port, int address, const uint8_t* states) = 0;

    virtual void SetLocalTime(double oleDate) = 0;
    virtual bool AutoMode() const = 0;
    virtual void ToggleAutoWork() = 0; // TMainForm.im_AutoWorkClick

    virtual void PtzStart(int channel, int command, int value1, int value2) = 0;
    virtual void PtzStop(int channel, int command, int value1, int value2) = 0;

    virtual void StartRecording(int channel) = 0; // TCapture.StartChannel(ch, ')', 0)
    virtual void StopRecording(int channel) = 0;  // TCapture.StopChannel(ch, ')')
    virtual void StartDetection(int channel) = 0; // TAlarm.StartDetection(ch, -1)
    virtual void StopDetection(int channel) = 0;  // TAlarm.StopDetection(ch)
    virtual void OpenPreview(int channel) = 0;    // TPreview.OpenPreview(ch)
    virtual void ClosePreview(int channel) = 0;   // TPreview.ClosePreview(ch, true)
};

// Where replies go: the server's reply socket. May throw; the dispatch swallows it.
using TUDPReplySender = TUdpSender;

// Most records a work-log request is answered with; a datagram may ask for 2^31.
constexpr int kMaxWorkLogAnswer = 200;
// How long a passed check lets a source address read settings and ask larger questions.
constexpr std::chrono::minutes kSenderSessionLifetime{10};
// Source addresses remembered at once; the oldest goes first.
constexpr size_t kMaxSenderSessions = 256;

using TDispatchClock = std::function<std::chrono::steady_clock::time_point()>;

// Real source addresses that passed a check, each for a while.
class TSenderSessions {
public:
    void Admit(const std::string& address, std::chrono::steady_clock::time_point now);
    bool Has(const std::string& address, std::chrono::steady_clock::time_point now) const;
    size_t Size() const { return until_.size(); }

private:
    std::map<std::string, std::chrono::steady_clock::time_point> until_;
};
// Highest matrix output: the switch table holds 20 bytes, output n at byte n + 1.
constexpr int kMatrixHighestOutput = 18;

class TUDPMessageDispatch {
public:
    // `clock` tells the time the sessions are judged by (steady_clock::now by default).
    TUDPMessageDispatch(TUDPServerHost& host, TUDPReplySender& replies, TDispatchClock clock = {})
        : host_(host), replies_(replies), clock_(std::move(clock)) {}

    // One datagram from `sender` (dotted address) at `senderPort`; never throws.
    void Dispatch(const uint8_t* data, size_t length, const std::string& sender, int senderPort);

private:
    void Run(UdpMsgKind kind, const uint8_t* data, size_t length);
    void Reply(const void* buffer, size_t length);
    // The user and password carried, and the real source address; a pass opens a session.
    bool Checks(std::string_view name, std::string_view password, int right, int item);
    // Questions without credentials whose answer is larger than themselves: only for an open
    // host, a listed source address or one that passed a check lately (no reflection).
    bool MayAnswerUnchecked();
    std::chrono::steady_clock::time_point Now() const;
    void MatrixSwitch(const UdpMsgMatrixSwitch& m);
    void WorkLogQuery(const UdpMsgWorkLogQuery& m);
    void SetOtherSettings(const TOtherSettingsRecord& m);
    void SetPtzSettings(const TYunTaiSetRecord& m);
    void SetDogSettings(const uint8_t* data);
    void WorkLogDays();
    void DiskInfo();
    void ChannelInfo(bool settingsSession);
    void GetSettings(const UdpMsgGetSettings& m);
    void AlarmOutput(const UdpMsgAlarmOutput& m);
    void RemoteControl(const UdpMsgRemoteControl& m);
    void ChannelCommand(const UdpMsgChannelCommand& m);
    void SetSuccessAndNotify();

    TUDPServerHost& host_;
    TUDPReplySender& replies_;
    TDispatchClock clock_;
    std::string sender_;
    int senderPort_ = 0;
    TSenderSessions checked_;  // passed any check
    TSenderSessions settings_; // passed the settings connect with right 1
};

} // namespace vantrel
