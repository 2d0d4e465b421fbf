// Recording of the 49 channel slots: encoders started and stopped, recording files opened,
// switched and closed, every routed record written, the stream header kept for new files,
// the seconds before an alarm buffered, and disk faults reported.
#pragma once

#include "host/engine/U_BoardValues.h"
#include "host/engine/U_CaptureFileList.h"
#include "host/engine/U_Chain.h"
#include "host/engine/U_HostServices.h"
#include "host/engine/U_WindowTimer.h"

#include "common/win/handles.h"

#include <windows.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace vantrel {

class TDiskManager;
class TThreadCapturePackage;


constexpr unsigned WM_CUTFILES = 0x411;
constexpr int kPreAlarmCapacity = 600;
constexpr int kPreAlarmVideoRecords = 250;
constexpr int kSavedHeaderSize = 104;
// Open recordings reach the disk at least this often, so a power cut loses about a second.
constexpr DWORD kRecordingFlushMs = 1000;

enum TCaptureState : int32_t {
    kStateIdle = -1,
    kStateFile = 41,     // encoder for a file (or, with type 4, for the pre-alarm buffer)
    kStateLive = 42,     // encoder for live viewers only
    kStateNetwork = 43,  // network channel recording while its pane previews
    kStateFileLive = 44, // encoder for a file and live viewers
};

enum TRecordingType : int32_t {
    kRecordNormal = 0,
    kRecordAlarm = 1,
    kRecordEncoderOnly = 4,
};

// What the engine needs of the rest of the host: the user's rights, the status shown per
// channel, the work log, the recording settings and the network-channel clients.
class TCaptureHost {
public:
    virtual ~TCaptureHost() = default;
    // Right 4 of the current user for the channel; may throw.
    virtual bool MayRecord(int channel) = 0;
    // Status image and the pane's record label.
    virtual void ShowRecording(int channel, bool recording) = 0;
    // Event 15 recording started, 16 stopped.
    virtual void WriteLog(int event, int channel) = 0;
    virtual int MinutesPerFile(int channel) = 0;
    // Channels in use (board and network).
    virtual int SystemChannelCount() = 0;
    virtual bool PanePreviewing(int channel) = 0;
    // The network-channel client `index` connects and records into its slot, or stops.
    virtual void OpenNetworkRecording(int index) = 0;
    virtual void CloseNetworkRecording(int index) = 0;
};

struct TCaptureSlot {
    std::atomic<bool> CaptureRunning{false};
    std::atomic<bool> FileOpen{false};
    std::string FileName;
    std::atomic<intptr_t> FileHandle{-1};
    int32_t RecordingType = 0;
    std::atomic<int32_t> State{kStateIdle};
    int32_t RequestedType = -1;
    uint8_t SavedHeader[kSavedHeaderSize] = {};
    int32_t SavedHeaderLength = 0;
    std::atomic<bool> HeaderSaved{false};
    int32_t MinutesRecorded = 0;
    int32_t Channel = 0;
    // When the channel last reported a disk fault (OLE date): one line a minute at most.
    double LastFaultTime = -1;
};

struct TPreAlarm {
    std::atomic<bool> PreAlarmArmed{false};
    std::unique_ptr<TChain> PreAlarmChain;
};

class TCapture : public TRecordingFiles {
public:
    TCapture(TBoardEncoders& board, TDiskManager& disks, TCaptureFileList& files,
             TCaptureHost& host);
    ~TCapture() override;
    TCapture(const TCapture&) = delete;
    TCapture& operator=(const TCapture&) = delete;

    std::atomic<bool> AutoMode{false};
    mutable std::array<dvr::win::CriticalSection, kMaxBoardChannels> Locks;
    std::array<TCaptureSlot, kMaxBoardChannels> Slots;
    std::array<TPreAlarm, kMaxBoardChannels> PreAlarm;

    // request ')' file, '*' live viewers (board channels), '+' network recording.
    int StartChannel(int channel, char request, int recordingType);
    int StopChannel(int channel, char request);
    int StartRecording(int channel, int recordingType, bool log);
    int StartLiveEncoder(int channel);
    int StartNetworkRecording(int channel, int recordingType);
    int StopRecording(int channel, char request);
    int StopNetworkChannel(int channel);
    void InputFrame(int channel, int frameType, const uint8_t* data, int length);
    void WriteStreamFrame(int channel, const uint8_t* data, int length);
    // One pass of the file cutting: a file is switched when its drive is out of room or at
    // its MinutesPerFile-th pass.
    void CutPass();
    // The timer that asks the cutting thread for a pass, on the calling thread's message loop.
    void StartCutTimer(const TThreadCapturePackage& cutter, UINT intervalMs = 60000);
    std::unique_ptr<TWindowTimer> CutTimer;

    bool CurrentFile(int channel, std::string& fileName) const override;
    // Every open recording to the disk (the flush thread, once a second).
    void FlushOpenFiles();
    // Writes one record; false unless every byte went out, *full when the disk had no room.
    // Tests replace it to stand for a full disk.
    std::function<bool(intptr_t handle, const uint8_t* data, int length, bool* full)> Writer;

    // The pre-alarm buffer, always under the slot lock that its pushes and drains take.
    void SetPreAlarmArmed(int channel, bool on);
    void EmptyPreAlarmChain(int channel);
    // Disarming: buffer dropped; with no file open the encoder stops and the slot counts as
    // idle (its state is left as it was).
    void StopPreAlarm(int channel);

    void SetAutoMode() { AutoMode = true; }
    void ClearAutoMode() { AutoMode = false; }
    // The status images are never disabled, so a channel follows the schedule in auto mode.
    bool IsAutoControlled(int) const { return AutoMode; }

    // The engine as the schedule and the work state see it.
    TCaptureServices& Services() { return services_; }

private:
    class Services_ : public TCaptureServices {
    public:
        explicit Services_(TCapture& c) : c_(c) {}
        bool CaptureRunning(int ch) const override { return c_.Slots.at(ch).CaptureRunning; }
        bool FileOpen(int ch) const override { return c_.Slots.at(ch).FileOpen; }
        void StartChannel(int ch, char r, int type) override { c_.StartChannel(ch, r, type); }
        void StopChannel(int ch, char r) override { c_.StopChannel(ch, r); }
        void SetAutoMode() override { c_.SetAutoMode(); }
        void ClearAutoMode() override { c_.ClearAutoMode(); }

    private:
        TCapture& c_;
    };

    // Work done after the slot lock is let go: window changes (the window thread may be
    // waiting for this very lock) and the flush and close of a file that was switched away.
    class AfterUnlock;

    bool IsBoardChannel(int channel) const;
    void DrainPreAlarm(int channel, intptr_t handle);
    void DropPreAlarm(int channel);
    void ReportFault(int channel, const char* utf8Text, const std::string& fileName);
    void FileCreateFailed(int channel, int recordingType, const char* utf8Text,
                          AfterUnlock& after);

    TBoardEncoders& board_;
    TDiskManager& disks_;
    TCaptureFileList& files_;
    TCaptureHost& host_;
    Services_ services_{*this};
    dvr::win::Event flushStop_;
    dvr::win::Thread flushThread_;
};

// The thread that switches files whenever a WM_CUTFILES reaches its queue.
class TThreadCapturePackage {
public:
    explicit TThreadCapturePackage(TCapture& capture);
    ~TThreadCapturePackage();
    TThreadCapturePackage(const TThreadCapturePackage&) = delete;
    TThreadCapturePackage& operator=(const TThreadCapturePackage&) = delete;

    DWORD ThreadId() const { return threadId_; }
    // What the 60-second timer does.
    void CutTimerTick() const;
    int Passes() const { return passes_; }

private:
    static DWORD WINAPI ThreadMain(LPVOID self);
    TCapture& capture_;
    dvr::win::Event ready_;
    std::atomic<int> passes_{0};
    DWORD threadId_ = 0;
    dvr::win::Thread thread_;
};

} // namespace vantrel
