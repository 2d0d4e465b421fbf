// zlib streams (RFC 1950: header, deflate data, Adler-32) over another stream.
#pragma once

#include "framework/stream.h"

#include <memory>

namespace dvr::fw {

// Writes deflated data to Dest. Finish (or the destructor, which swallows failures)
// flushes and ends the zlib stream; nothing may be written after it.
class TCompressionStream : public TStream {
    FW_CLASS(TCompressionStream, TStream)
public:
    // Level 1 (fastest) to 9 (best); other values raise EStreamError.
    TCompressionStream(TStream& Dest, int Level);
    ~TCompressionStream() override;

    // Write-only: Read raises EStreamError.
    size_t Read(void* Buffer, size_t Count) override;
    size_t Write(const void* Buffer, size_t Count) override;
    // Only asking for the position (0 from the current one) works: it is the number of
    // bytes taken so far.
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
    void Finish();

private:
    struct State;
    std::unique_ptr<State> z_;
};

// Reads inflated data from Source (from its current position). Corrupt or truncated
// data raises EReadError; the end of the zlib stream reads as the end of this stream.
class TDecompressionStream : public TStream {
    FW_CLASS(TDecompressionStream, TStream)
public:
    explicit TDecompressionStream(TStream& Source);
    ~TDecompressionStream() override;

    size_t Read(void* Buffer, size_t Count) override;
    // Read-only: Write raises EStreamError.
    size_t Write(const void* Buffer, size_t Count) override;
    // Forward seeks (by reading), a seek to 0 (starting again) and asking for the
    // position work; others raise EStreamError.
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;

private:
    struct State;
    std::unique_ptr<State> z_;
};

} // namespace dvr::fw
