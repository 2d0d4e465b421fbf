// The serial transaction as the device units see it. The host's TCOM implements it through
// an adapter; tests put a recording fake or a pty-backed TCOM behind it.
#pragma once

#include <cstdint>

namespace vantrel {

class TSerialGateway {
public:
    virtual ~TSerialGateway() = default;
    // One transaction on port 0..15 (COM1..COM16): parity 0 none, 1 odd, 2 even; stopBits 0
    // one. readCount is the buffer's size on entry and the bytes received on return. 0 when the
    // write succeeded and, with doRead, at least one byte came back; else -1.
    virtual int Transact(uint8_t port, int32_t baud, uint8_t parity, uint8_t byteSize,
                         uint8_t stopBits, const void* writeBuf, int32_t writeCount, bool doRead,
                         void* readBuf, uint32_t& readCount) = 0;
};

// A write without an answer at 8 data bits and one stop bit.
inline int SerialWrite(TSerialGateway& com, uint8_t port, int32_t baud, uint8_t parity,
                       const void* data, int32_t count) {
    uint32_t none = 0;
    return com.Transact(port, baud, parity, 8, 0, data, count, false, nullptr, none);
}

} // namespace vantrel
