#include "framework/zstream.h"

#include "framework/exceptions.h"

#include <zlib.h>

#include <algorithm>
#include <limits>

namespace dvr::fw {

namespace {
constexpr size_t kChunk = 16 * 1024;
// zlib counts in 32-bit units.
constexpr size_t kMaxStep = std::numeric_limits<uInt>::max();
} // namespace

struct TCompressionStream::State {
    TStream* dest;
    z_stream zs{};
    uint8_t out[kChunk];
    bool finished = false;
    int64_t taken = 0;

    void Drain(int flush) {
        do {
            zs.next_out = out;
            zs.avail_out = kChunk;
            int r = deflate(&zs, flush);
            if (r == Z_STREAM_ERROR) throw EStreamError("zlib deflate error");
            size_t have = kChunk - zs.avail_out;
            if (have) dest->WriteBuffer(out, have);
            if (r == Z_STREAM_END) return;
        } while (zs.avail_out == 0 || (flush == Z_FINISH));
    }
};

TCompressionStream::TCompressionStream(TStream& Dest, int Level) : z_(std::make_unique<State>()) {
    if (Level < 1 || Level > 9) throw EStreamError("Invalid compression level");
    z_->dest = &Dest;
    if (deflateInit(&z_->zs, Level) != Z_OK) throw EStreamError("zlib deflate error");
}

TCompressionStream::~TCompressionStream() {
    try {
        Finish();
    } catch (...) {
        // A destructor must not throw; callers who care call Finish themselves.
    }
    deflateEnd(&z_->zs);
}

void TCompressionStream::Finish() {
    if (z_->finished) return;
    z_->finished = true;
    z_->zs.next_in = nullptr;
    z_->zs.avail_in = 0;
    z_->Drain(Z_FINISH);
}

size_t TCompressionStream::Read(void*, size_t) {
    throw EStreamError("Invalid stream operation: reading a compression stream");
}

size_t TCompressionStream::Write(const void* Buffer, size_t Count) {
    if (z_->finished) throw EStreamError("Compression stream already finished");
    auto* p = static_cast<const uint8_t*>(Buffer);
    size_t left = Count;
    while (left > 0) {
        size_t step = std::min(left, kMaxStep);
        z_->zs.next_in = const_cast<Bytef*>(p);
        z_->zs.avail_in = uInt(step);
        z_->Drain(Z_NO_FLUSH);
        p += step;
        left -= step;
    }
    z_->taken += int64_t(Count);
    return Count;
}

int64_t TCompressionStream::Seek(int64_t Offset, TSeekOrigin Origin) {
    if (Offset == 0 && Origin == TSeekOrigin::soCurrent) return z_->taken;
    throw EStreamError("Invalid stream operation: seeking a compression stream");
}

struct TDecompressionStream::State {
    TStream* source;
    int64_t start;
    z_stream zs{};
    uint8_t in[kChunk];
    bool ended = false;
    int64_t produced = 0;

    void Init() {
        zs = z_stream{};
        if (inflateInit(&zs) != Z_OK) throw EReadError("zlib inflate error");
        ended = false;
        produced = 0;
    }
};

TDecompressionStream::TDecompressionStream(TStream& Source) : z_(std::make_unique<State>()) {
    z_->source = &Source;
    z_->start = Source.Position();
    z_->Init();
}

TDecompressionStream::~TDecompressionStream() {
    inflateEnd(&z_->zs);
}

size_t TDecompressionStream::Read(void* Buffer, size_t Count) {
    State& s = *z_;
    auto* out = static_cast<uint8_t*>(Buffer);
    size_t done = 0;
    while (done < Count && !s.ended) {
        if (s.zs.avail_in == 0) {
            size_t n = s.source->Read(s.in, kChunk);
            if (n == 0) throw EReadError("Truncated compressed data");
            s.zs.next_in = s.in;
            s.zs.avail_in = uInt(n);
        }
        size_t step = std::min(Count - done, kMaxStep);
        s.zs.next_out = out + done;
        s.zs.avail_out = uInt(step);
        int r = inflate(&s.zs, Z_NO_FLUSH);
        done += step - s.zs.avail_out;
        if (r == Z_STREAM_END) {
            s.ended = true;
            // Give back what was read beyond the zlib stream's end.
            if (s.zs.avail_in) s.source->Seek(-int64_t(s.zs.avail_in), TSeekOrigin::soCurrent);
            s.zs.avail_in = 0;
        } else if (r != Z_OK && r != Z_BUF_ERROR) {
            throw EReadError("Corrupt compressed data");
        }
    }
    s.produced += int64_t(done);
    return done;
}

size_t TDecompressionStream::Write(const void*, size_t) {
    throw EStreamError("Invalid stream operation: writing a decompression stream");
}

int64_t TDecompressionStream::Seek(int64_t Offset, TSeekOrigin Origin) {
    State& s = *z_;
    int64_t target;
    if (Origin == TSeekOrigin::soBeginning)
        target = Offset;
    else if (Origin == TSeekOrigin::soCurrent)
        target = s.produced + Offset;
    else
        throw EStreamError(
            "Invalid stream operation: seeking from the end of a decompression stream");
    if (target == 0 && s.produced != 0) {
        inflateEnd(&s.zs);
        s.source->SetPosition(s.start);
        s.Init();
    }
    if (target < s.produced) throw EStreamError("Invalid stream operation: seeking backwards");
    uint8_t skip[4096];
    while (s.produced < target) {
        size_t n = size_t(std::min<int64_t>(target - s.produced, sizeof skip));
        ReadBuffer(skip, n);
    }
    return s.produced;
}

} // namespace dvr::fw
