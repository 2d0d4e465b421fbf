#include "framework/stream.h"

#include "framework/exceptions.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace dvr::fw {

namespace {

// A position from an offset and an origin; EStreamError when it would be negative or
// overflow.
int64_t NewPosition(int64_t cur, int64_t size, int64_t offset, TSeekOrigin origin) {
    int64_t base = origin == TSeekOrigin::soBeginning ? 0
                   : origin == TSeekOrigin::soCurrent ? cur
                                                      : size;
    int64_t pos;
    if (__builtin_add_overflow(base, offset, &pos) || pos < 0)
        throw EStreamError("Invalid stream position");
    return pos;
}

} // namespace

int64_t TStream::Size() {
    int64_t pos = Seek(0, TSeekOrigin::soCurrent);
    int64_t size = Seek(0, TSeekOrigin::soEnd);
    Seek(pos, TSeekOrigin::soBeginning);
    return size;
}

void TStream::SetSize(int64_t) {
    throw EStreamError("Stream size cannot be changed");
}

void TStream::ReadBuffer(void* Buffer, size_t Count) {
    auto* p = static_cast<uint8_t*>(Buffer);
    size_t done = 0;
    // Streams may deliver less than asked before their end (inflation does).
    while (done < Count) {
        size_t n = Read(p + done, Count - done);
        if (n == 0) throw EReadError("Stream read error");
        done += n;
    }
}

void TStream::WriteBuffer(const void* Buffer, size_t Count) {
    if (Count && Write(Buffer, Count) != Count) throw EWriteError("Stream write error");
}

int64_t TStream::CopyFrom(TStream& Source, int64_t Count) {
    if (Count == 0) {
        Source.SetPosition(0);
        Count = Source.Size();
    }
    if (Count < 0) throw EStreamError("Invalid stream size");
    std::vector<uint8_t> buf(size_t(std::min<int64_t>(Count, 64 * 1024)));
    int64_t left = Count;
    while (left > 0) {
        size_t n = size_t(std::min<int64_t>(left, int64_t(buf.size())));
        Source.ReadBuffer(buf.data(), n);
        WriteBuffer(buf.data(), n);
        left -= int64_t(n);
    }
    return Count;
}

// ---- TCustomMemoryStream ----

void TCustomMemoryStream::SetPointer(const uint8_t* Ptr, size_t Size) {
    data_ = Ptr;
    size_ = Size;
    pos_ = 0;
}

size_t TCustomMemoryStream::Read(void* Buffer, size_t Count) {
    if (pos_ >= size_) return 0;
    size_t n = std::min(Count, size_ - pos_);
    std::memcpy(Buffer, data_ + pos_, n);
    pos_ += n;
    return n;
}

size_t TCustomMemoryStream::Write(const void*, size_t) {
    throw EStreamError("Can't write to a read-only stream");
}

int64_t TCustomMemoryStream::Seek(int64_t Offset, TSeekOrigin Origin) {
    pos_ = size_t(NewPosition(int64_t(pos_), int64_t(size_), Offset, Origin));
    return int64_t(pos_);
}

void TCustomMemoryStream::SaveToStream(TStream& Stream) const {
    if (size_) Stream.WriteBuffer(data_, size_);
}

// ---- TMemoryStream ----

TMemoryStream::TMemoryStream(const void* Data, size_t Count)
    : bytes_(static_cast<const uint8_t*>(Data), static_cast<const uint8_t*>(Data) + Count) {}

size_t TMemoryStream::Read(void* Buffer, size_t Count) {
    if (pos_ >= bytes_.size()) return 0;
    size_t n = std::min(Count, bytes_.size() - pos_);
    std::memcpy(Buffer, bytes_.data() + pos_, n);
    pos_ += n;
    return n;
}

size_t TMemoryStream::Write(const void* Buffer, size_t Count) {
    if (Count == 0) return 0;
    if (Count > std::numeric_limits<size_t>::max() - pos_) throw EWriteError("Stream write error");
    size_t end = pos_ + Count;
    if (end > bytes_.size()) bytes_.resize(end);
    std::memcpy(bytes_.data() + pos_, Buffer, Count);
    pos_ = end;
    return Count;
}

int64_t TMemoryStream::Seek(int64_t Offset, TSeekOrigin Origin) {
    pos_ = size_t(NewPosition(int64_t(pos_), int64_t(bytes_.size()), Offset, Origin));
    return int64_t(pos_);
}

void TMemoryStream::SetSize(int64_t NewSize) {
    if (NewSize < 0) throw EStreamError("Invalid stream size");
    bytes_.resize(size_t(NewSize));
    if (pos_ > bytes_.size()) pos_ = bytes_.size();
}

void TMemoryStream::Clear() {
    bytes_.clear();
    pos_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& Stream) {
    Stream.SetPosition(0);
    int64_t n = Stream.Size();
    if (n < 0) throw EStreamError("Invalid stream size");
    bytes_.assign(size_t(n), 0);
    if (n) Stream.ReadBuffer(bytes_.data(), size_t(n));
    pos_ = 0;
}

void TMemoryStream::SaveToStream(TStream& Stream) const {
    if (!bytes_.empty()) Stream.WriteBuffer(bytes_.data(), bytes_.size());
}

} // namespace dvr::fw
