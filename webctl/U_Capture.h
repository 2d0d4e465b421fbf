// The control's recording engine: every channel is a network channel, so it opens, switches and
// closes the files the network receive threads write into, shows a status image per channel and
// cuts files on a minute timer through its own thread.
#pragma once

#include "host/engine/U_Capture.h"
#include "host/engine/U_CaptureFileList.h"
#include "host/engine/U_DiskManager.h"

#include "common/win/handles.h"

#include <windows.h>

#include <array>
#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace vantrel {
class TNetClient;
}

namespace vantrel::webctl {

constexpr int kControlSlots = 49;
constexpr int kDefaultMinutesPerFile = 30;
constexpr UINT WM_CUTFILES = 0x411;
constexpr UINT WM_THREADQUIT = 3024;

class TCapture final : public TRecordingFiles {
public:
    // What the recorder needs of the rest of the control.
    struct Hooks {
        std::function<bool(int channel)> PanePreviewing;
        std::function<int()> ChannelCount;
        std::function<int(int channel)> MinutesPerFile;
        // A file that could not be created: the text for the fault window and its drive.
        std::function<void(const std::string& line, char drive)> DiskFault;
        // Status image of the channel: Work picture while recording, else Idle.
        std::function<void(int channel, bool recording)> ShowStatus;
    };

    TCapture(TDiskManager& disks, TCaptureFileList& files, Hooks hooks);
    ~TCapture() override;
    TCapture(const TCapture&) = delete;
    TCapture& operator=(const TCapture&) = delete;

    mutable std::array<dvr::win::CriticalSection, kControlSlots> Locks;
    std::array<TCaptureSlot, kControlSlots> Slots;

    // The network client that connects recordings; its clients get the slots.
    void BindNetworkSlots(TNetClient& net);

    // Request '+' starts a network recording; any other request is refused (-1).
    int StartChannel(int channel, char request, int recordingType);
    int StopChannel(int channel, char request);
    int StartNetworkRecording(int channel, int recordingType);
    int StopNetworkChannel(int channel);
    // One pass of the file cutting (the cutting thread, once a minute).
    void CutPass();
    // Posts a cut request to the cutting thread (what the minute timer does).
    void RequestCut();

    void AddFile(std::string_view day, int channel, std::string_view entry);
    void ShowStatus(int channel, bool recording);
    bool CurrentFile(int channel, std::string& fileName) const override;

private:
    bool Valid(int channel) const { return channel >= 0 && channel < kControlSlots; }
    TDiskManager& disks_;
    TCaptureFileList& files_;
    Hooks hooks_;
    TNetClient* net_ = nullptr;
    std::atomic<DWORD> cutterId_{0};
    dvr::win::Handle cutterReady_{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::thread cutter_;
};

} // namespace vantrel::webctl
