#include "host/ui/U_HostNetChannels.h"

#include "host/ui/U_HostObjects.h"

namespace vantrel {

int THostNetChannels::ChannelCount() {
    return host_.TotalChannels();
}

int THostNetChannels::BoardChannelCount() {
    return host_.BoardCount();
}

std::string THostNetChannels::OwnIP() {
    return host_.SystemInfo ? host_.SystemInfo->OwnIP : std::string();
}

std::string THostNetChannels::UserName() {
    return host_.CurrentUser();
}

void THostNetChannels::AddLogRecord(std::string_view line) {
    if (host_.ThreadWriteLogRecord) host_.ThreadWriteLogRecord->AddRecord(line);
}

void THostNetChannels::AddCaptureFile(std::string_view day, int channel, std::string_view entry) {
    if (host_.CaptureFileList) host_.CaptureFileList->AddFile(day, channel, entry);
}

void THostNetChannels::SendUdp(const void* data, int length, int port,
                               const std::string& address) {
    // The message client ends in the shutdown only after every network channel has closed.
    if (host_.UDPMessageClient) host_.UDPMessageClient->SendTo(data, length, port, address);
}

void THostNetChannels::ShowPlaying(int slot) {
    const int channel = host_.BoardCount() + slot;
    if (host_.Synchronizer)
        host_.Synchronizer->Post([this, channel] {
            if (host_.Preview) host_.Preview->ShowNetworkPlaying(channel);
        });
}

void THostNetChannels::ShowRecording(int slot) {
    host_.ShowRecording(host_.BoardCount() + slot, true);
}

void THostNetChannels::ShowRecordingStopped(int slot) {
    const int channel = host_.BoardCount() + slot;
    host_.ShowRecording(channel, false);
    if (host_.Synchronizer)
        host_.Synchronizer->Post([this, channel] {
            if (host_.Preview) host_.Preview->ShowNetworkIdle(channel);
        });
}

} // namespace vantrel
