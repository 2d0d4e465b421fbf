// The live video server's view of the real host engine: board wrapper, recording engine,
// settings, remote access lists and work log.
#pragma once

#include "host/net/U_LiveHost.h"

namespace vantrel {

class TVideoCard;
class TCapture;
class TCaptureSet;
class TSystemOtherSet;
class TClientCheck;
class TThreadWriteLogRecord;

class TLiveHostEngine : public TLiveHost {
public:
    TLiveHostEngine(TVideoCard& card, TCapture& capture, TCaptureSet& captureSet,
                    TSystemOtherSet& otherSet, TClientCheck& check, TThreadWriteLogRecord& log)
        : card_(card), capture_(capture), captureSet_(captureSet), otherSet_(otherSet),
          check_(check), log_(log) {}

    int BoardChannelCount() override;
    int RequestKeyFrame(int channel) override;
    int FramesSinceKeyFrame(int channel) override;
    int FrameRate(int channel) override;
    bool BandwidthLimit(int32_t& kbps) override;
    bool CheckUser(std::string_view name, std::string_view password, int right, int item,
                   int subItem) override;
    bool CheckIP(std::string_view address, int right, int item, int subItem) override;
    bool RunningHeader(int channel, std::vector<uint8_t>& header) override;
    bool CaptureRunning(int channel) override;
    int CaptureState(int channel) override;
    int StartChannel(int channel, char request, int recordingType) override;
    int StopChannel(int channel, char request) override;
    void AddLogRecord(std::string_view line) override;

private:
    TVideoCard& card_;
    TCapture& capture_;
    TCaptureSet& captureSet_;
    TSystemOtherSet& otherSet_;
    TClientCheck& check_;
    TThreadWriteLogRecord& log_;
};

} // namespace vantrel
