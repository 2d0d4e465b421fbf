// Turns a FileInfo answer into entries of the remote replay window while it arrives.
#pragma once

#include "host/net/F_RemoteReplayForm.h"

namespace vantrel {

class TThreadRemotePlayExtractFileInfo {
public:
    // Starts at once and frees itself; it ends when the answer is complete and the query's
    // connection has closed.
    static void Create(TRemoteReplayForm& form, std::atomic<int>& running);
};

} // namespace vantrel
