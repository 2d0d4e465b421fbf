// The network channels' view of the running host: counts, own address, user, work log,
// recordings index and message client are looked up when used (most come into being after the
// client), and the pane pictures change on the user-interface thread.
#pragma once

#include "host/net/U_TCPDataClient.h"

namespace vantrel {

class THost;

class THostNetChannels : public TNetClientHost {
public:
    explicit THostNetChannels(THost& host) : host_(host) {}

    int ChannelCount() override;
    int BoardChannelCount() override;
    std::string OwnIP() override;
    std::string UserName() override;
    void AddLogRecord(std::string_view line) override;
    void AddCaptureFile(std::string_view day, int channel, std::string_view entry) override;
    void SendUdp(const void* data, int length, int port, const std::string& address) override;
    void ShowPlaying(int slot) override;
    void ShowRecording(int slot) override;
    void ShowRecordingStopped(int slot) override;

private:
    THost& host_;
};

} // namespace vantrel
