#include "host/net/U_StrovidStreamPorts.h"

#include "player/lib/stream_mode.h"

namespace vantrel {

bool TStrovidStreamPorts::SetStreamOpenMode(int port, int mode) {
    return RE4Ravi_SetStreamOpenMode(port, mode) != 0;
}

bool TStrovidStreamPorts::OpenStream(int port, const uint8_t* header, unsigned length,
                                     unsigned bufferSize) {
    return RE4Ravi_OpenStream(port, header, length, bufferSize) != 0;
}

bool TStrovidStreamPorts::InputData(int port, const uint8_t* data, unsigned length) {
    return RE4Ravi_InputData(port, data, length) != 0;
}

void TStrovidStreamPorts::CloseStream(int port) {
    RE4Ravi_CloseStream(port);
}

unsigned TStrovidStreamPorts::SourceBufferRemain(int port) {
    return RE4Ravi_GetSourceBufferRemain(port);
}

} // namespace vantrel
