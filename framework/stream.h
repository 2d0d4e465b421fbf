// Streams of bytes: the base with its checked reads and writes, and memory streams.
// Positions and sizes are 64-bit; a read or write moves the position by what it moved.
#pragma once

#include "framework/object.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace dvr::fw {

enum class TSeekOrigin : uint8_t { soBeginning, soCurrent, soEnd };

class TStream : public TObject {
    FW_CLASS(TStream, TObject)
public:
    // Reads up to Count bytes; the number read (0 at the end).
    virtual size_t Read(void* Buffer, size_t Count) = 0;
    // Writes up to Count bytes; the number written.
    virtual size_t Write(const void* Buffer, size_t Count) = 0;
    // The new position; a stream that cannot seek raises EStreamError.
    virtual int64_t Seek(int64_t Offset, TSeekOrigin Origin) = 0;

    int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
    void SetPosition(int64_t Pos) { Seek(Pos, TSeekOrigin::soBeginning); }
    virtual int64_t Size();
    // Streams that cannot change size raise EStreamError.
    virtual void SetSize(int64_t NewSize);

    // Exactly Count bytes or EReadError "Stream read error" (what was read stays read).
    void ReadBuffer(void* Buffer, size_t Count);
    // Exactly Count bytes or EWriteError "Stream write error".
    void WriteBuffer(const void* Buffer, size_t Count);
    // Copies Count bytes from Source's position; Count 0 copies the whole of Source from
    // its beginning. A short Source raises EReadError. Returns the bytes copied.
    int64_t CopyFrom(TStream& Source, int64_t Count);
};

// Memory read in place: a window on bytes the stream does not own.
class TCustomMemoryStream : public TStream {
    FW_CLASS(TCustomMemoryStream, TStream)
public:
    size_t Read(void* Buffer, size_t Count) override;
    // Read-only: raises EStreamError.
    size_t Write(const void* Buffer, size_t Count) override;
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
    int64_t Size() override { return int64_t(size_); }

    const uint8_t* Memory() const { return data_; }
    void SaveToStream(TStream& Stream) const;

protected:
    void SetPointer(const uint8_t* Ptr, size_t Size);
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
    size_t pos_ = 0;
};

// A growable stream in memory. Seeking past the end is allowed; a later write fills the
// gap with zeros.
class TMemoryStream : public TStream {
    FW_CLASS(TMemoryStream, TStream)
public:
    TMemoryStream() = default;
    TMemoryStream(const void* Data, size_t Count);

    size_t Read(void* Buffer, size_t Count) override;
    size_t Write(const void* Buffer, size_t Count) override;
    int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
    int64_t Size() override { return int64_t(bytes_.size()); }
    void SetSize(int64_t NewSize) override;

    uint8_t* Memory() { return bytes_.data(); }
    const std::vector<uint8_t>& Bytes() const { return bytes_; }
    void Clear();
    // Replaces the contents with the whole of Stream (from its beginning).
    void LoadFromStream(TStream& Stream);
    void SaveToStream(TStream& Stream) const;

private:
    std::vector<uint8_t> bytes_;
    size_t pos_ = 0;
};

} // namespace dvr::fw
