// Cuts a live stream, handed over in pieces of any size, into media records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "player/format/stream_format.h"

namespace dvr {

struct StreamRecord {
    bool audio; // false: a video record (types 1, 2, 4, 0x20)
    uint8_t type;
    uint32_t frameNumber;
    uint32_t timeStamp;
    uint8_t flags;
    const uint8_t* payload; // valid during the callback only
    uint32_t length;
};

class StreamRecordSink {
public:
    virtual ~StreamRecordSink() = default;
    virtual void OnStreamRecord(const StreamRecord& record) = 0;
};

// The stream buffer of a port. It never holds more than kStreamBufferSize bytes, and
// the records it gives do not depend on how the caller cut the bytes into calls.
class StreamParser {
public:
    static constexpr size_t kStreamBufferSize = 500000;
    // Largest payload a record can have and still fit the buffer with its header.
    static constexpr uint32_t kMaxPayload = kStreamBufferSize - kFrameHeadLength;

    // `sound`: audio records are handed on (else dropped, like every unknown type).
    explicit StreamParser(bool sound);

    // Appends the bytes and hands every record completed by them to `sink`, in order.
    void Input(const uint8_t* data, size_t length, StreamRecordSink& sink);

    // Bytes waiting for the rest of a record.
    size_t Buffered() const { return fill_; }
    void Clear() { fill_ = 0; }

private:
    void Cut(StreamRecordSink& sink);

    bool sound_;
    std::unique_ptr<uint8_t[]> buffer_;
    size_t fill_ = 0;
};

} // namespace dvr
