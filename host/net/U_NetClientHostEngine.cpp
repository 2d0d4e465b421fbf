#include "host/net/U_NetClientHostEngine.h"

#include "host/engine/T_ThreadWriteLogRecord.h"
#include "host/engine/U_BoardValues.h"
#include "host/engine/U_CaptureFileList.h"
#include "host/engine/U_SystemInfo.h"
#include "host/engine/U_User.h"
#include "host/net/U_UDPMessages.h"
#include "host/net/U_UDPReplyRouter.h"

namespace vantrel {

int TNetClientHostEngine::ChannelCount() {
    return info_.ChannelCount;
}

int TNetClientHostEngine::BoardChannelCount() {
    return board_.ChannelCount();
}

std::string TNetClientHostEngine::OwnIP() {
    return info_.OwnIP;
}

std::string TNetClientHostEngine::UserName() {
    return user_.CurrentName();
}

void TNetClientHostEngine::AddLogRecord(std::string_view line) {
    log_.AddRecord(line);
}

void TNetClientHostEngine::AddCaptureFile(std::string_view day, int channel,
                                          std::string_view entry) {
    files_.AddFile(day, channel, entry);
}

void TNetClientHostEngine::SendUdp(const void* data, int length, int port,
                                   const std::string& host) {
    udp_.SendTo(data, length, port, host);
}

void TNetClientHostEngine::Post(const std::function<void(int)>& change, int slot) {
    // The receive thread goes on at once: it never waits for the user-interface thread.
    if (change) ui_.Run([change, slot] { change(slot); });
}

} // namespace vantrel
