#include "host/net/T_ThreadRemoteReplaySearchCaptureFile.h"

#include "host/ui/U_ReplayRules.h"

#include "host/engine/U_Arithmetic.h"
#include "host/engine/U_StorageNames.h"
#include "host/net/U_RemoteReplayProtocol.h"

#include <thread>

namespace vantrel {

namespace {

constexpr int kRemoteReplayRight = 7;

enum class LineResult { Sent, Skipped, ConnectionGone };

bool SendWhole(TMsgConnection& c, const std::string& line) {
    size_t done = 0;
    while (done < line.size()) {
        const int n = c.SendBuf(line.data() + done, static_cast<int>(line.size() - done));
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (c.ClosedFlag.load() || !c.Connected()) return false;
        ::Sleep(5);
    }
    return true;
}

LineResult SendEntry(TMsgConnection& c, int channel, int type, std::string_view entry) {
    const std::string path(EntryPath(entry));
    RemoteFileInfo info;
    info.Type = type;
    info.Channel = channel;
    info.Path = path;
    info.TypeName = CaptureTypeName(type);
    // A file gone since it was indexed (or a name the line cannot carry) is left out; the
    // channel's other recordings are still listed.
    if (!FileStartText(path, info.Start) || !FileModifiedText(path, info.End) ||
        !FileInfoFieldClean(path))
        return LineResult::Skipped;
    info.Seconds = RecordingSeconds(info.Start, info.End);
    info.Size = TArithmetic::GetFileLength(path);
    if (!SendWhole(c, FormatFileInfoLine(info))) return LineResult::ConnectionGone;
    ::Sleep(2);
    return LineResult::Sent;
}

} // namespace

void TThreadRemoteReplaySearchCaptureFile::Run(TRemoteReplayShared& shared,
                                               TMsgConnection& connection, const std::string& user,
                                               const std::string& password,
                                               const std::string& date) {
    TRemoteReplaySource& source = shared.Source;
    const std::string dayKey = FileInfoDayKey(date);
    const auto lists = dayKey.empty() ? std::nullopt : source.DayChannelLists(dayKey);
    // Snapshots (types 2 and 3) are never listed.
    for (int type = 0; type <= 1 && lists; ++type) {
        const std::string_view code = KindFolder(type);
        for (int ch = 0; ch < source.ChannelCount() && ch < static_cast<int>(lists->size()); ++ch) {
            if (!source.CheckUser(user, password, kRemoteReplayRight, ch, -1) ||
                !source.CheckIP(connection.PeerAddress(), kRemoteReplayRight, ch, -1))
                continue;
            for (const std::string& entry : (*lists)[ch]) {
                if (entry.find(code) == std::string::npos) continue;
                if (SendEntry(connection, ch, type, entry) == LineResult::ConnectionGone) {
                    connection.Close();
                    return;
                }
            }
        }
    }
    connection.Close();
}

void TThreadRemoteReplaySearchCaptureFile::Create(std::shared_ptr<TRemoteReplayShared> shared,
                                                  TMsgConnectionPtr connection, std::string user,
                                                  std::string password, std::string date) {
    ++shared->RunningThreads;
    std::thread([shared, connection = std::move(connection), user = std::move(user),
                 password = std::move(password), date = std::move(date)] {
        Run(*shared, *connection, user, password, date);
        --shared->RunningThreads;
    }).detach();
}

} // namespace vantrel
