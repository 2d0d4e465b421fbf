// The control's recording index and disk cycling: the host's storage units run over the
// control's own recording settings (48-byte CAPTURE records under its settings root), its
// network channels and its fixed program folder, with the cycle every 60 s.
#pragma once

#include "host/engine/U_CaptureFileList.h"
#include "host/engine/U_DiskManager.h"

#include <array>
#include <memory>

namespace vantrel::webctl {

constexpr const char* kProgramPath = "C:\\Vantrel\\";
constexpr int kCaptureRecordSize = 48;
constexpr int kCaptureFirstDrive = 40; // drive letters of a channel's recording range
constexpr int kCaptureLastDrive = 41;
constexpr DWORD kDiskCycleMs = 60000;

class TControlDriveRanges : public TDriveRanges {
public:
    // channelCount: the network channels (TSystemInfo.ChannelCount).
    explicit TControlDriveRanges(int channelCount);

    // The stored CAPTURE value over the ranges; a missing or short value leaves the rest.
    void Load();
    void SetChannelCount(int count) { channelCount_ = count; }

    int ChannelCount() const override { return channelCount_; }
    TDriveRange Range(int channel) const override;
    void SetRange(int channel, TDriveRange range) override;

private:
    int channelCount_;
    std::array<TDriveRange, kIndexChannels> ranges_{};
};

class TControlStorage {
public:
    TControlStorage(const TDriveAccess& drives, TControlDriveRanges& ranges,
                    const TDataLockTable& locks, const TRecordingFiles& recording,
                    TDiskFaultList& faults, TDiskManager::Hooks hooks,
                    std::string_view programPath = kProgramPath, DWORD cycleMs = kDiskCycleMs);

    TCaptureFileList Files;
    TDiskManager Disk;
    TThreadDiskCycle Cycle;
};

} // namespace vantrel::webctl
