// The network client's view of the real host engine: channel counts and own address, the
// current user, the work-log writer, the recordings index, the UDP message client, and the
// pictures of the panes and status images, changed on the user-interface thread.
#pragma once

#include "host/net/U_TCPDataClient.h"

#include <functional>

namespace vantrel {

class TBoardEncoders;
class TSystemInfo;
class TUser;
class TThreadWriteLogRecord;
class TCaptureFileList;
class TUdpSender;
class TUiThread;

class TNetClientHostEngine : public TNetClientHost {
public:
    // What the preview panes show for a slot; each runs on the user-interface thread.
    struct Pictures {
        std::function<void(int slot)> Playing;          // background hidden, Work picture
        std::function<void(int slot)> Recording;        // Work picture, record label "录"
        std::function<void(int slot)> RecordingStopped; // Idle picture, record label hidden
    };

    TNetClientHostEngine(const TBoardEncoders& board, const TSystemInfo& info, const TUser& user,
                         TThreadWriteLogRecord& log, TCaptureFileList& files, TUdpSender& udp,
                         TUiThread& ui, Pictures pictures)
        : board_(board), info_(info), user_(user), log_(log), files_(files), udp_(udp), ui_(ui),
          pictures_(std::move(pictures)) {}

    int ChannelCount() override;
    int BoardChannelCount() override;
    std::string OwnIP() override;
    std::string UserName() override;
    void AddLogRecord(std::string_view line) override;
    void AddCaptureFile(std::string_view day, int channel, std::string_view entry) override;
    void SendUdp(const void* data, int length, int port, const std::string& host) override;
    void ShowPlaying(int slot) override { Post(pictures_.Playing, slot); }
    void ShowRecording(int slot) override { Post(pictures_.Recording, slot); }
    void ShowRecordingStopped(int slot) override { Post(pictures_.RecordingStopped, slot); }

private:
    void Post(const std::function<void(int)>& change, int slot);

    const TBoardEncoders& board_;
    const TSystemInfo& info_;
    const TUser& user_;
    TThreadWriteLogRecord& log_;
    TCaptureFileList& files_;
    TUdpSender& udp_;
    TUiThread& ui_;
    Pictures pictures_;
};

} // namespace vantrel
