// The key-frame index of a recording file: built once by walking the record headers,
// held at a fixed size by thinning, searched by picture number or time offset.
// Portable; the player library's index thread drives it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>

#include "player/format/file_reader.h"

namespace dvr::strovid {

inline constexpr int kKeyFrameIndexSize = 10240;

struct KeyFrameEntry {
    uint32_t picture;    // frame number less that of the file's first video record
    uint32_t timeOffset; // 90 kHz ticks from the file's first time stamp
    uint32_t filePos;    // offset of the key frame's FrameHead
};
static_assert(sizeof(KeyFrameEntry) == 12);

// What the key-frame queries hand back to the caller.
#pragma pack(push, 1)
struct KeyFrameInfo {
    uint32_t picture;
    int32_t timeMs;
    uint32_t filePos;
};
#pragma pack(pop)
static_assert(sizeof(KeyFrameInfo) == 12);
static_assert(offsetof(KeyFrameInfo, timeMs) == 4);
static_assert(offsetof(KeyFrameInfo, filePos) == 8);

// Search keys: picture numbers, or time offsets in ticks (the callers pass 2).
inline constexpr int kLookupPicture = 1;
inline constexpr int kLookupTime = 2;

struct KeyFrameIndex {
    std::array<KeyFrameEntry, kKeyFrameIndexSize> entries{};
    int count = 0;
    int cursor = 0;        // where the next merged entry goes
    int keyFramesSeen = 0; // in the whole file, indexed or thinned away

    void Clear() {
        count = 0;
        cursor = 0;
        keyFramesSeen = 0;
    }
    // Picture number (mode 1) or time offset of entry i; entries past the count read
    // as 0, whatever a halving left behind there.
    uint32_t Key(int i, int mode) const;
    // Appends every s-th staged entry, s growing with the key frames seen so far;
    // a full index is halved before anything more goes in.
    void MergeThinned(const KeyFrameEntry* staged, int n);
    void CopyUnchanged(const KeyFrameEntry* staged, int n);
};

// Binary search for the entry at or before `key`; the result is the following entry
// when the key equals its key. False when the key lies before the first entry or the
// index is empty. The whole table is searched: thinning and closely spaced key frames
// break any fixed search window.
bool KeyFrameLookup(const KeyFrameIndex& index, uint32_t key, int mode, int* found);

// The key frame at or before `key` (the first one when none is), as the caller's record.
KeyFrameInfo KeyFrameAtOrBefore(const KeyFrameIndex& index, uint32_t key, int mode);
// The key frame at or after `key`; false when there is none.
bool KeyFrameAtOrAfter(const KeyFrameIndex& index, uint32_t key, int mode, KeyFrameInfo* out);

struct IndexWalk {
    bool complete = false; // the end of the readable file was reached
    uint32_t pictures = 0;
    uint32_t firstFrameNumber = 0;
    uint32_t firstTime = 0;
    uint32_t lastTime = 0; // time stamp of the last record header read
};

// Reads the file from its current position to `end` (the size stored at open), headers
// only, filling `index` from scratch. `stop` is asked before every record; a stop or a
// record torn at the end leaves the walk incomplete. Damaged or header-only records are
// stepped over rather than ending the index.
IndexWalk BuildKeyFrameIndex(PortFileState* state, ReadableFile& file, uint64_t end,
                             KeyFrameIndex* index, const std::function<bool()>& stop);

} // namespace dvr::strovid
