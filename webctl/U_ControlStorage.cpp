#include "webctl/U_ControlStorage.h"

#include "host/engine/U_Arithmetic.h"

#include <algorithm>
#include <string>
#include <vector>

namespace vantrel::webctl {

TControlDriveRanges::TControlDriveRanges(int channelCount)
    : channelCount_(std::clamp(channelCount, 0, kIndexChannels)) {}

void TControlDriveRanges::Load() {
    std::vector<char> image(kIndexChannels * kCaptureRecordSize);
    const int n =
        TArithmetic::ReadRegBinary(HKEY_LOCAL_MACHINE, std::string(kSettingsKey) + "CAPTURE",
                                   "CAPTURE", image.data(), static_cast<int>(image.size()));
    for (int c = 0; c < kIndexChannels && n > 0 && (c + 1) * kCaptureRecordSize <= n; ++c) {
        const char* r = image.data() + c * kCaptureRecordSize;
        ranges_[c] = TDriveRange{r[kCaptureFirstDrive], r[kCaptureLastDrive]};
    }
}

TDriveRange TControlDriveRanges::Range(int channel) const {
    return channel >= 0 && channel < kIndexChannels ? ranges_[channel] : TDriveRange{};
}

void TControlDriveRanges::SetRange(int channel, TDriveRange range) {
    if (channel >= 0 && channel < kIndexChannels) ranges_[channel] = range;
}

TControlStorage::TControlStorage(const TDriveAccess& drives, TControlDriveRanges& ranges,
                                 const TDataLockTable& locks, const TRecordingFiles& recording,
                                 TDiskFaultList& faults, TDiskManager::Hooks hooks,
                                 std::string_view programPath, DWORD cycleMs)
    : Files(drives, ranges, locks, recording, faults),
      Disk(drives, ranges, Files, faults, programPath, std::move(hooks)), Cycle(Disk, cycleMs) {}

} // namespace vantrel::webctl
