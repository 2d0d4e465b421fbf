// The replay's view of the host engine: the recordings index, the locked days, the channel
// count and titles, and snapshot names from the disk manager.
#pragma once

#include "host/engine/U_CaptureFileList.h"
#include "host/engine/U_DataLockTable.h"
#include "host/ui/U_Replay.h"

#include <functional>

namespace vantrel {

class TEngineReplayHost : public TReplayHost {
public:
    TEngineReplayHost(TCaptureFileList& files, const TDataLockTable& locker,
                      std::function<int()> channelCount,
                      std::function<std::string(int)> channelTitle,
                      std::function<std::string(int, int)> makeRecordingFileName)
        : files_(files), locker_(locker), channelCount_(std::move(channelCount)),
          channelTitle_(std::move(channelTitle)), makeName_(std::move(makeRecordingFileName)) {}

    int ChannelCount() override { return channelCount_ ? channelCount_() : 0; }
    std::string ChannelTitle(int ch) override { return channelTitle_ ? channelTitle_(ch) : ""; }
    void ListDates(std::vector<std::string>& days) override { files_.ListDates(days); }
    std::optional<ChannelLists> GetDayChannelLists(std::string_view day) override {
        return files_.GetDayChannelLists(day);
    }
    bool IsDayLocked(std::string_view day) override {
        double date = 0;
        return DashedDayToOleDate(day, date) && locker_.IsLocked(date);
    }
    std::string MakeRecordingFileName(int ch, int type) override {
        return makeName_ ? makeName_(ch, type) : "";
    }
    void AddFile(std::string_view day, int ch, std::string_view name) override {
        files_.AddFile(day, ch, name);
    }

private:
    TCaptureFileList& files_;
    const TDataLockTable& locker_;
    std::function<int()> channelCount_;
    std::function<std::string(int)> channelTitle_;
    std::function<std::string(int, int)> makeName_;
};

} // namespace vantrel
