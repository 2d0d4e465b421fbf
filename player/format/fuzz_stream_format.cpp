// Fuzzes the stream parser and the file readers with arbitrary bytes. Besides memory
// errors it checks that the parser's records do not depend on how the bytes are cut,
// that its buffer stays bounded, and that every file walk ends.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "player/format/file_reader.h"
#include "player/format/stream_parser.h"

namespace {

struct Digest : dvr::StreamRecordSink {
    std::vector<uint8_t> bytes;
    void OnStreamRecord(const dvr::StreamRecord& r) override {
        bytes.push_back(r.type);
        bytes.push_back(r.audio);
        const uint8_t* ts = reinterpret_cast<const uint8_t*>(&r.timeStamp);
        bytes.insert(bytes.end(), ts, ts + 4);
        bytes.insert(bytes.end(), r.payload, r.payload + r.length);
    }
};

std::vector<uint8_t> Parse(const uint8_t* data, size_t size, size_t piece, bool sound) {
    dvr::StreamParser parser(sound);
    Digest d;
    for (size_t at = 0; at < size; at += piece) {
        size_t n = size - at < piece ? size - at : piece;
        parser.Input(data + at, n, d);
        if (parser.Buffered() > dvr::StreamParser::kStreamBufferSize) std::abort();
    }
    return d.bytes;
}

void WalkFile(const uint8_t* data, size_t size, bool index, int readPayload) {
    static std::vector<uint8_t> input(dvr::kDecoderInputSize);
    dvr::MemoryFile file(data, size);
    dvr::PortFileState port;
    port.decoderInput = input.data();
    if (!dvr::OpenRecordFile(&port, file)) {
        // Walk it anyway, as if the header had been accepted.
        port.fileSize = size;
        file.Seek(0);
    }
    // Every call that does not end the walk moves forward, so a walk ends within
    // as many calls as the file has bytes.
    for (size_t calls = 0;; ++calls) {
        if (calls > size + 2) std::abort();
        int kind = index ? dvr::ReadOneFrameExIndex(&port, readPayload, &file)
                         : dvr::ReadOneFrameEx(&port, readPayload, &file);
        if (kind == dvr::kRecordEnd) break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint8_t mode = data[0];
    ++data;
    --size;
    const bool sound = mode & 1;
    const size_t piece = 1 + (mode >> 1) % 23;
    if (Parse(data, size, size ? size : 1, sound) != Parse(data, size, piece, sound)) std::abort();

    dvr::StreamHeaderFields head;
    dvr::ParseStreamHeader(data, size, &head);
    WalkFile(data, size, false, 1);
    WalkFile(data, size, false, 0);
    WalkFile(data, size, true, 0);

    dvr::MemoryFile file(data, size);
    dvr::FileTotalTimeMs(file);
    return 0;
}
