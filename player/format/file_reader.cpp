#include "player/format/file_reader.h"

#include <algorithm>
#include <cstring>

namespace dvr {

namespace {

constexpr size_t kResyncBlock = 4096;

bool ReadExact(ReadableFile& f, void* dst, size_t n) {
    return f.Read(dst, n) == n;
}

template <typename T> bool ReadValue(ReadableFile& f, T* v) {
    return ReadExact(f, v, sizeof(T));
}

bool IsFrameMagic(const uint8_t* p) {
    return std::memcmp(p, kFrameHeadMagic, 4) == 0;
}

// Searches from `from` on; see ResyncToFrameHead. The position is unchanged on failure.
bool ResyncFrom(ReadableFile& file, uint64_t from, uint64_t end) {
    uint64_t restore = file.Tell();
    uint8_t block[kResyncBlock];
    uint64_t start = from;
    while (start < end) {
        size_t want = static_cast<size_t>(std::min<uint64_t>(kResyncBlock, end - start));
        if (!file.Seek(start)) break;
        size_t n = file.Read(block, want);
        ptrdiff_t k = FindPattern(block, n, kFrameHeadMagic, 4);
        if (k >= 0 && static_cast<size_t>(k) + kFrameHeadLength <= n) {
            file.Seek(start + static_cast<uint64_t>(k) + 4);
            return true;
        }
        if (n < kResyncBlock) break; // this block reached the end
        // The windows overlap so that a header cut by a window's end is seen whole.
        start += n - (kFrameHeadLength - 1);
    }
    file.Seek(restore);
    return false;
}

int ReadRecord(PortFileState* port, int readPayload, ReadableFile* file, bool indexReader) {
    if (!port || !file) return kRecordNoPicture;
    RecordFields& rec = indexReader ? port->index : port->play;
    const uint64_t start = file->Tell();
    const uint64_t end = indexReader ? port->fileSize : file->Size();
    auto atEnd = [&] {
        if (readPayload == 1) port->endOfFile = 1;
        return kRecordEnd;
    };
    // A record cut short by the end of the file: leave the position at its start, so a
    // file still being written can be read on once it has grown.
    auto torn = [&](uint64_t recordStart) {
        file->Seek(recordStart);
        return kRecordEnd;
    };
    if (start >= end) return atEnd();

    uint8_t magic[4];
    size_t got = file->Read(magic, 4);
    uint64_t recordStart = start;
    if (got < 4 || !IsFrameMagic(magic)) {
        if (!ResyncFrom(*file, start, port->fileSize)) {
            file->Seek(start);
            return kRecordEnd;
        }
        recordStart = file->Tell() - 4;
    }

    uint8_t fields[10];
    if (!ReadExact(*file, fields, sizeof fields)) return torn(recordStart);
    rec.type = fields[0];
    std::memcpy(&rec.frameNumber, fields + 1, 4);
    std::memcpy(&rec.timeStamp, fields + 5, 4);
    rec.flags = fields[9];

    if (rec.flags & kFrameFlagHeaderOnly) return kRecordNoPicture;
    if (rec.type == 0) return kRecordNoPicture;

    if (rec.type & 0x08) {
        uint32_t length;
        if (!ReadValue(*file, &length)) return torn(recordStart);
        uint64_t payloadAt = file->Tell();
        if (indexReader && payloadAt + length >= file->Size()) return kRecordEnd;
        // Audio is never read here: skipping costs nothing and trusts no length.
        file->Seek(payloadAt + length);
        return kRecordAudio;
    }
    if (rec.type & 0xC0) return kRecordNoPicture;

    uint32_t length;
    if (!ReadValue(*file, &length)) return torn(recordStart);
    rec.length = length;
    int kind = kRecordP;
    if (rec.type & 0x01) kind = kRecordKey;
    if (rec.type & 0x20) kind = kRecordPB;
    if (rec.type & 0x04) kind = kRecordPBB;

    const uint64_t payloadAt = file->Tell();
    const bool read = readPayload == 1 && port->decoderInput && length <= kDecoderInputSize;
    if (!read && indexReader && payloadAt + length >= file->Size()) return kRecordEnd;
    if (length > kDecoderInputSize) {
        // No decoder could take it: step over it to the next record.
        file->Seek(payloadAt + length);
        return kRecordNoPicture;
    }
    if (read) {
        if (!ReadExact(*file, port->decoderInput, length)) return torn(recordStart);
    } else {
        file->Seek(payloadAt + length);
    }
    return kind;
}

} // namespace

bool ReadFileHead(ReadableFile& file, StreamHeaderFields* head) {
    uint8_t magic[4];
    if (!ReadExact(file, magic, 4) || std::memcmp(magic, kFileHeadMagic, 4) != 0) return false;
    StreamHeaderFields f;
    std::memcpy(&f.magic, magic, 4);
    if (!ReadValue(file, &f.word4) || !ReadValue(file, &f.flags)) return false;
    HeaderFlagsInfo info = DecodeHeaderFlags(f.flags);
    int length = kFileHeadLength;
    for (int i = 0; i < info.textBlocks; ++i) {
        HeaderTextBlock block;
        if (!ReadValue(file, &block)) return false;
        uint64_t next = file.Tell() + block.length;
        if (next > file.Size() || !file.Seek(next)) return false;
        length += 2 + block.length;
    }
    if (!ReadValue(file, &f.frameRate) || !ReadValue(file, &f.word11) ||
        !ReadValue(file, &f.height) || !ReadValue(file, &f.width))
        return false;
    f.headerLength = length;
    f.noSound = info.sound ? 0 : 1;
    *head = f;
    return true;
}

bool OpenRecordFile(PortFileState* port, ReadableFile& file) {
    StreamHeaderFields head;
    if (!file.Seek(0) || !ReadFileHead(file, &head)) return false;
    port->head = head;
    port->fileSize = file.Size();
    port->endOfFile = 0;
    return true;
}

int ReadOneFrameEx(PortFileState* port, int readPayload, ReadableFile* file) {
    return ReadRecord(port, readPayload, file, false);
}

int ReadOneFrameExIndex(PortFileState* port, int readPayload, ReadableFile* file) {
    return ReadRecord(port, readPayload, file, true);
}

ptrdiff_t FindPattern(const uint8_t* data, size_t n, const uint8_t* pattern, size_t m) {
    if (m == 0 || n < m) return -1;
    const uint8_t* hit = std::search(data, data + n, pattern, pattern + m);
    return hit == data + n ? -1 : hit - data;
}

bool ResyncToFrameHead(ReadableFile& file, uint64_t end) {
    uint64_t pos = file.Tell();
    return ResyncFrom(file, pos >= 4 ? pos - 4 : 0, end);
}

namespace {

// The first video record's time stamp, with whether one was found at all.
bool FindFirstFrameTime(ReadableFile& file, uint32_t* ts) {
    const uint64_t restore = file.Tell();
    const uint64_t end = file.Size();
    StreamHeaderFields head;
    // Start at the real header length: a header with text blocks would otherwise
    // hide the first records when the file is too short for a resynchronisation.
    uint64_t first =
        file.Seek(0) && ReadFileHead(file, &head) ? head.headerLength : kFileHeadLength;
    file.Seek(first);
    bool found = false;
    for (;;) {
        uint64_t pos = file.Tell();
        uint8_t magic[4];
        size_t got = file.Read(magic, 4);
        if ((got < 4 || !IsFrameMagic(magic)) && !ResyncFrom(file, pos, end)) break;
        uint8_t fields[10];
        if (!ReadExact(file, fields, sizeof fields)) break;
        std::memcpy(ts, fields + 5, 4);
        found = true;
        uint8_t type = fields[0];
        if (!(type == 0 || (type & 0x08))) break;
    }
    file.Seek(restore);
    return found;
}

bool FindLastFrameTime(ReadableFile& file, uint32_t* ts) {
    const uint64_t restore = file.Tell();
    const uint64_t size = file.Size();
    const uint64_t blockSize = size < 10240 ? 2048 : 10240;
    std::vector<uint8_t> block(blockSize);
    bool found = false;
    for (uint64_t i = 0; i <= size / blockSize && !found; ++i) {
        uint64_t blockEnd = size - i * blockSize;
        uint64_t blockStart = blockEnd > blockSize ? blockEnd - blockSize : 0;
        if (blockEnd == blockStart || !file.Seek(blockStart)) break;
        size_t n = file.Read(block.data(), static_cast<size_t>(blockEnd - blockStart));
        ptrdiff_t k = FindPattern(block.data(), n, kFrameHeadMagic, 4);
        if (k < 0) continue;
        // 64-bit walk: a damaged length can neither wrap around nor stall it.
        uint64_t off = static_cast<uint64_t>(k);
        while (off + kFrameHeadLength <= n) {
            if (!IsFrameMagic(&block[off])) {
                // Foreign bytes between records: go on at the next record behind them.
                ptrdiff_t skip = FindPattern(&block[off], n - off, kFrameHeadMagic, 4);
                if (skip < 0) break;
                off += static_cast<uint64_t>(skip);
                continue;
            }
            FrameHead h;
            std::memcpy(&h, &block[off], sizeof h);
            *ts = h.timeStamp;
            found = true;
            uint64_t next = off + kFrameHeadLength + h.length;
            if (next <= off) break;
            off = next;
        }
        // A block whose only magic starts a torn header keeps nothing: look further back.
    }
    file.Seek(restore);
    return found;
}

} // namespace

uint32_t FirstFrameTime(ReadableFile& file) {
    uint32_t ts = 0;
    return FindFirstFrameTime(file, &ts) ? ts : 0;
}

uint32_t LastFrameTime(ReadableFile& file) {
    uint32_t ts = 0;
    return FindLastFrameTime(file, &ts) ? ts : 0;
}

uint32_t FileTotalTimeMs(ReadableFile& file) {
    uint32_t first = 0, last = 0;
    if (!FindFirstFrameTime(file, &first) || !FindLastFrameTime(file, &last)) return 0;
    // Modular difference: the 90 kHz counter wraps every 13 hours.
    return (last - first) / kTicksPerMs;
}

} // namespace dvr
