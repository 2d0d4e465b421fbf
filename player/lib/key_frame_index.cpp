#include "player/lib/key_frame_index.h"

#include <climits>
#include <cstdint>
#include <memory>

namespace dvr::strovid {

uint32_t KeyFrameIndex::Key(int i, int mode) const {
    if (i < 0 || i >= count) return 0;
    return mode == kLookupPicture ? entries[i].picture : entries[i].timeOffset;
}

void KeyFrameIndex::MergeThinned(const KeyFrameEntry* staged, int n) {
    int step = keyFramesSeen / kKeyFrameIndexSize;
    step = step <= 1 ? 2 : step * 4;
    for (int i = 0; i < n; i += step) {
        if (count >= kKeyFrameIndexSize) {
            for (int k = 0; k < count / 2; ++k)
                entries[k] = entries[2 * k];
            count /= 2;
            cursor /= 2;
        }
        entries[cursor++] = staged[i];
        ++count;
    }
}

void KeyFrameIndex::CopyUnchanged(const KeyFrameEntry* staged, int n) {
    for (int i = 0; i < n; ++i)
        entries[i] = staged[i];
    count = n;
    cursor = n;
}

bool KeyFrameLookup(const KeyFrameIndex& index, uint32_t key, int mode, int* found) {
    int low = 0;
    int high = index.count - 1;
    while (low <= high) {
        int mid = low + (high - low) / 2;
        if (key < index.Key(mid, mode)) {
            high = mid - 1;
        } else if (mid + 1 >= index.count || key <= index.Key(mid + 1, mode)) {
            *found = (mid + 1 < index.count && key == index.Key(mid + 1, mode)) ? mid + 1 : mid;
            return true;
        } else {
            low = mid + 1;
        }
    }
    return false;
}

namespace {

// The index reader gives up on a payload that reaches the file's end, which is where
// the last record of a finished file ends. A video record whose whole header was read
// and whose payload ends exactly at `end` is complete: its kind, else kRecordEnd.
int CompleteLastRecord(ReadableFile& file, const RecordFields& rec, uint64_t end) {
    if (rec.type == 0 || (rec.flags & kFrameFlagHeaderOnly) || (rec.type & 0xC8)) return kRecordEnd;
    if (rec.length == UINT32_MAX || file.Tell() + rec.length != end) return kRecordEnd;
    file.Seek(end);
    int kind = kRecordP;
    if (rec.type & 0x01) kind = kRecordKey;
    if (rec.type & 0x20) kind = kRecordPB;
    if (rec.type & 0x04) kind = kRecordPBB;
    return kind;
}

KeyFrameInfo InfoOf(const KeyFrameEntry& e) {
    return {e.picture, static_cast<int32_t>(e.timeOffset / kTicksPerMs), e.filePos};
}

} // namespace

KeyFrameInfo KeyFrameAtOrBefore(const KeyFrameIndex& index, uint32_t key, int mode) {
    int i = 0;
    if (!KeyFrameLookup(index, key, mode, &i)) return InfoOf(index.entries[0]);
    if (i + 1 < index.count && key == index.Key(i + 1, mode)) ++i;
    while (i > 0 && key < index.Key(i, mode))
        --i;
    return InfoOf(index.entries[i]);
}

bool KeyFrameAtOrAfter(const KeyFrameIndex& index, uint32_t key, int mode, KeyFrameInfo* out) {
    int i = 0;
    if (!KeyFrameLookup(index, key, mode, &i)) return false;
    while (i + 1 < index.count && key > index.Key(i, mode))
        ++i;
    if (key > index.Key(i, mode)) return false;
    *out = InfoOf(index.entries[i]);
    return true;
}

IndexWalk BuildKeyFrameIndex(PortFileState* state, ReadableFile& file, uint64_t end,
                             KeyFrameIndex* index, const std::function<bool()>& stop) {
    IndexWalk walk;
    index->Clear();
    // The staging table is large; it lives on the heap, not on the thread's stack.
    auto staged = std::make_unique<KeyFrameEntry[]>(kKeyFrameIndexSize);
    int stagedCount = 0;

    auto finish = [&] {
        if (index->keyFramesSeen >= kKeyFrameIndexSize)
            index->MergeThinned(staged.get(), stagedCount);
        else
            index->CopyUnchanged(staged.get(), stagedCount);
        walk.complete = true;
    };

    if (file.Tell() >= end) return walk;
    while (!stop()) {
        state->index = RecordFields{};
        state->index.length = UINT32_MAX;
        const uint64_t before = file.Tell();
        int kind = ReadOneFrameExIndex(state, 0, &file);
        const RecordFields& rec = state->index;
        if (kind == kRecordEnd) kind = CompleteLastRecord(file, rec, end);
        if (rec.type != 0 || rec.timeStamp != 0) walk.lastTime = rec.timeStamp;
        if (kind == kRecordEnd) {
            // A file that ends inside a record (torn, or still being written) is not
            // indexed to its end: the index stays incomplete.
            const bool cutHeader = before < end && before + kFrameHeadLength > end;
            const bool cutPayload =
                rec.length != UINT32_MAX && before + kFrameHeadLength + rec.length > end;
            if (!cutHeader && !cutPayload) finish();
            break;
        }
        const uint64_t pos = file.Tell();
        if (kind == kRecordNoPicture) {
            // The next read resynchronises to the record behind it.
            if (pos >= end) {
                finish();
                break;
            }
            continue;
        }
        if (kind == kRecordKey) {
            if (stagedCount == kKeyFrameIndexSize) {
                index->MergeThinned(staged.get(), stagedCount);
                stagedCount = 0;
            }
            KeyFrameEntry e{0, 0, static_cast<uint32_t>(pos - kFrameHeadLength - rec.length)};
            if (walk.pictures != 0) {
                e.picture = rec.frameNumber - walk.firstFrameNumber;
                e.timeOffset = rec.timeStamp - walk.firstTime;
            }
            staged[stagedCount++] = e;
            ++index->keyFramesSeen;
        }
        if (walk.pictures == 0) {
            walk.firstFrameNumber = rec.frameNumber;
            walk.firstTime = rec.timeStamp;
        }
        switch (kind) {
        case kRecordKey:
        case kRecordP:
            walk.pictures += 1;
            break;
        case kRecordPB:
            walk.pictures += 2;
            break;
        case kRecordPBB:
            walk.pictures += 3;
            break;
        default:
            break;
        }
        // The last record is counted before the walk ends on it.
        if (pos == end) {
            finish();
            break;
        }
        if (pos > end) break;
    }
    return walk;
}

} // namespace dvr::strovid
