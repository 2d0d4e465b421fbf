// Reading recording files record by record, with resynchronisation on damaged bytes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "player/format/readable_file.h"
#include "player/format/stream_format.h"

namespace dvr {

// Result of the file record readers.
enum RecordKind : int {
    kRecordNoPicture = 0, // header consumed, no payload taken
    kRecordEnd = 1,       // end of file, or no further record found
    kRecordKey = 3,
    kRecordP = 4,
    kRecordAudio = 5,
    kRecordPB = 6,
    kRecordPBB = 7,
};

// The header fields of the last record one reader has read.
struct RecordFields {
    uint8_t type = 0;
    uint32_t frameNumber = 0;
    uint32_t timeStamp = 0;
    uint8_t flags = 0;
    uint32_t length = 0; // payload length of the last video record
};

// What the file readers keep per player port.
struct PortFileState {
    StreamHeaderFields head;
    uint64_t fileSize = 0;           // size when the file was opened
    RecordFields play;               // last record read by ReadOneFrameEx
    RecordFields index;              // last record read by ReadOneFrameExIndex
    int endOfFile = 0;               // set by the play reader at the end of the file
    uint8_t* decoderInput = nullptr; // kDecoderInputSize bytes, owned by the decoder
};

// Reads the FileHead at the start of `file` into `head` and leaves the position at
// the first record. False for a foreign or truncated header. A flags value outside
// the table carries no text blocks and means no sound.
bool ReadFileHead(ReadableFile& file, StreamHeaderFields* head);

// Opens the port's view of a file: reads its header and stores the file's size.
bool OpenRecordFile(PortFileState* port, ReadableFile& file);

// The next record for playing and seeking. With readPayload 1 a video payload goes
// into port->decoderInput; otherwise it is skipped. Audio payloads are always skipped.
// A video payload larger than the decoder input is skipped and gives kRecordNoPicture.
// Returns 0 for a null file.
int ReadOneFrameEx(PortFileState* port, int readPayload, ReadableFile* file);

// The same walk for the key-frame index: bounded by the size stored at open, and a
// skipped payload that reaches the file's current end counts as the end.
int ReadOneFrameExIndex(PortFileState* port, int readPayload, ReadableFile* file);

// Offset of the first occurrence of `pattern` in `data`, or -1.
ptrdiff_t FindPattern(const uint8_t* data, size_t n, const uint8_t* pattern, size_t m);

// Called with the position just behind 4 bytes that were not a record magic. Searches
// forward, up to `end`, for the next record whose 18-byte header lies before `end`;
// on success the position is just behind its magic.
bool ResyncToFrameHead(ReadableFile& file, uint64_t end);

// Time stamp of the first video record (skipping leading audio and type-0 records);
// 0 when none is found. The position is restored.
uint32_t FirstFrameTime(ReadableFile& file);

// Time stamp of the last complete record header near the end of the file; 0 when none
// is found. The position is restored.
uint32_t LastFrameTime(ReadableFile& file);

// Played length of a whole file in milliseconds; 0 when it has no first time stamp or
// its last time stamp is 0.
uint32_t FileTotalTimeMs(ReadableFile& file);

} // namespace dvr
