// A serial gateway for tests: records every transaction and answers reads from a script.
#pragma once

#include "host/engine/U_SerialGateway.h"

#include <cstring>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace vantrel::testing {

struct Transaction {
    uint8_t port;
    int32_t baud;
    uint8_t parity, byteSize, stopBits;
    std::string bytes;
    bool read;
};

class FakeSerial : public TSerialGateway {
public:
    int Transact(uint8_t port, int32_t baud, uint8_t parity, uint8_t byteSize, uint8_t stopBits,
                 const void* writeBuf, int32_t writeCount, bool doRead, void* readBuf,
                 uint32_t& readCount) override {
        std::lock_guard<std::mutex> lock(mutex);
        log.push_back({port, baud, parity, byteSize, stopBits,
                       std::string(static_cast<const char*>(writeBuf), size_t(writeCount)),
                       doRead});
        if (failWrites) {
            if (doRead) readCount = 0;
            return -1;
        }
        if (!doRead) return 0;
        std::string reply;
        if (answer)
            reply = answer(log.back());
        else if (!replies.empty()) {
            reply = replies.front();
            replies.pop_front();
        }
        const uint32_t n = uint32_t(reply.size()) < readCount ? uint32_t(reply.size()) : readCount;
        std::memcpy(readBuf, reply.data(), n);
        readCount = n;
        return n ? 0 : -1;
    }
    std::vector<std::string> Frames() const {
        std::lock_guard<std::mutex> lock(mutex);
        std::vector<std::string> out;
        for (auto& t : log)
            out.push_back(t.bytes);
        return out;
    }
    size_t Count() const {
        std::lock_guard<std::mutex> lock(mutex);
        return log.size();
    }

    mutable std::mutex mutex;
    std::vector<Transaction> log;
    std::deque<std::string> replies;
    std::function<std::string(const Transaction&)> answer;
    bool failWrites = false;
};

inline std::string Bytes(std::initializer_list<int> b) {
    std::string s;
    for (int v : b)
        s += char(v);
    return s;
}

} // namespace vantrel::testing
