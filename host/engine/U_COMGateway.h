// TCOM behind the device units' serial interface.
#pragma once

#include "host/engine/U_COM.h"
#include "host/engine/U_SerialGateway.h"

namespace vantrel {

class TCOMGateway : public TSerialGateway {
public:
    explicit TCOMGateway(TCOM& com) : com_(com) {}
    int Transact(uint8_t port, int32_t baud, uint8_t parity, uint8_t byteSize, uint8_t stopBits,
                 const void* writeBuf, int32_t writeCount, bool doRead, void* readBuf,
                 uint32_t& readCount) override {
        return com_.Transact(port, baud, parity, byteSize, stopBits, writeBuf, writeCount, doRead,
                             readBuf, readCount);
    }

private:
    TCOM& com_;
};

} // namespace vantrel
