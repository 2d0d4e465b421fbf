// The player library's stream mode behind the remote replay playback.
#pragma once

#include "host/net/U_RemoteReplayPlayback.h"

namespace vantrel {

class TStrovidStreamPorts : public TStreamPorts {
public:
    bool SetStreamOpenMode(int port, int mode) override;
    bool OpenStream(int port, const uint8_t* header, unsigned length, unsigned bufferSize) override;
    bool InputData(int port, const uint8_t* data, unsigned length) override;
    void CloseStream(int port) override;
    unsigned SourceBufferRemain(int port) override;
};

} // namespace vantrel
