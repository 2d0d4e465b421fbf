// What the live video server needs of the host engine: the board channels, the recording
// engine's encoder for viewers and saved stream header, the remote access checks, the
// recording and bandwidth settings, and the work log.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace vantrel {

constexpr int kCaptureStateFile = 41; // recording to file, no viewers

class TLiveHost {
public:
    virtual ~TLiveHost() = default;

    virtual int BoardChannelCount() = 0;
    virtual int RequestKeyFrame(int channel) = 0;
    // Records the channel delivered since its last key frame.
    virtual int FramesSinceKeyFrame(int channel) = 0;
    // The channel's recording frame rate (TCaptureSetRecord byte 16).
    virtual int FrameRate(int channel) = 0;
    // The bandwidth limit in kbit/s when it is switched on.
    virtual bool BandwidthLimit(int32_t& kbps) = 0;

    // Remote right `right` with item and sub-item (-1 none).
    virtual bool CheckUser(std::string_view name, std::string_view password, int right, int item,
                           int subItem) = 0;
    virtual bool CheckIP(std::string_view address, int right, int item, int subItem) = 0;

    // The saved stream header of a channel whose capture runs; false otherwise.
    virtual bool RunningHeader(int channel, std::vector<uint8_t>& header) = 0;
    virtual bool CaptureRunning(int channel) = 0;
    // -1 idle, 41 file, 42 viewers only, 44 file and viewers.
    virtual int CaptureState(int channel) = 0;
    // '*': the encoder for live viewers.
    virtual int StartChannel(int channel, char request, int recordingType) = 0;
    virtual int StopChannel(int channel, char request) = 0;

    // One work-log line for the log writer.
    virtual void AddLogRecord(std::string_view line) = 0;
};

} // namespace vantrel
