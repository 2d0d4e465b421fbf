// Answers one FileInfo query: the lines of a day's recordings of every channel the asking
// user and address may replay, normal recordings first, then alarm recordings.
#pragma once

#include "host/net/U_TCPRemoteReplayServer.h"

namespace vantrel {

class TThreadRemoteReplaySearchCaptureFile {
public:
    // Starts at once; the thread frees itself and closes the connection when done.
    static void Create(std::shared_ptr<TRemoteReplayShared> shared, TMsgConnectionPtr connection,
                       std::string user, std::string password, std::string date);
    // The query itself, on the calling thread.
    static void Run(TRemoteReplayShared& shared, TMsgConnection& connection,
                    const std::string& user, const std::string& password, const std::string& date);
};

} // namespace vantrel
