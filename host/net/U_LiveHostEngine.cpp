#include "host/net/U_LiveHostEngine.h"

#include "host/engine/T_ThreadWriteLogRecord.h"
#include "host/engine/U_Capture.h"
#include "host/engine/U_CaptureSet.h"
#include "host/engine/U_ClientCheck.h"
#include "host/engine/U_SystemOtherSet.h"
#include "host/engine/U_VideoCard.h"

#include <mutex>

namespace vantrel {

namespace {
bool SlotChannel(int channel) {
    return channel >= 0 && channel < kMaxBoardChannels;
}
} // namespace

int TLiveHostEngine::BoardChannelCount() {
    return card_.ChannelCount();
}

int TLiveHostEngine::RequestKeyFrame(int channel) {
    return card_.RequestKeyFrame(channel);
}

int TLiveHostEngine::FramesSinceKeyFrame(int channel) {
    return card_.FramesSinceKeyFrame(channel);
}

int TLiveHostEngine::FrameRate(int channel) {
    if (channel < 0 || channel >= kSettingsChannels) return 25;
    return captureSet_.Records[channel].FrameRate & 0xFF;
}

bool TLiveHostEngine::BandwidthLimit(int32_t& kbps) {
    kbps = otherSet_.Record.BandwidthLimitKbps;
    return otherSet_.Record.BandwidthLimitOn != 0;
}

bool TLiveHostEngine::CheckUser(std::string_view name, std::string_view password, int right,
                                int item, int subItem) {
    return check_.CheckUser(name, password, right, item, subItem);
}

bool TLiveHostEngine::CheckIP(std::string_view address, int right, int item, int subItem) {
    return check_.CheckIP(address, right, item, subItem);
}

bool TLiveHostEngine::RunningHeader(int channel, std::vector<uint8_t>& header) {
    if (!SlotChannel(channel)) return false;
    std::lock_guard guard(capture_.Locks[channel]);
    const TCaptureSlot& slot = capture_.Slots[channel];
    if (!slot.CaptureRunning || !slot.HeaderSaved) return false;
    const int length = slot.SavedHeaderLength;
    if (length <= 0 || length > kSavedHeaderSize) return false;
    header.assign(slot.SavedHeader, slot.SavedHeader + length);
    return true;
}

bool TLiveHostEngine::CaptureRunning(int channel) {
    return SlotChannel(channel) && capture_.Slots[channel].CaptureRunning;
}

int TLiveHostEngine::CaptureState(int channel) {
    return SlotChannel(channel) ? capture_.Slots[channel].State.load() : kStateIdle;
}

int TLiveHostEngine::StartChannel(int channel, char request, int recordingType) {
    return capture_.StartChannel(channel, request, recordingType);
}

int TLiveHostEngine::StopChannel(int channel, char request) {
    return capture_.StopChannel(channel, request);
}

void TLiveHostEngine::AddLogRecord(std::string_view line) {
    log_.AddRecord(line);
}

} // namespace vantrel
