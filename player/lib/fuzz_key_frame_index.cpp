// Fuzzes the key-frame index with arbitrary recording bytes: the walk must end, the
// index must stay within its table and in file order, and every lookup must land on
// an entry that is really at or around the asked key.
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "player/lib/key_frame_index.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace dvr::strovid;
    dvr::MemoryFile file(data, size);
    dvr::PortFileState state;
    if (!dvr::OpenRecordFile(&state, file)) return 0;
    auto index = std::make_unique<KeyFrameIndex>();
    BuildKeyFrameIndex(&state, file, state.fileSize, index.get(), [] { return false; });
    if (index->count < 0 || index->count > kKeyFrameIndexSize) std::abort();
    for (int i = 1; i < index->count; ++i)
        if (index->entries[i].filePos <= index->entries[i - 1].filePos) std::abort();
    for (int mode : {kLookupPicture, kLookupTime}) {
        // Frame numbers and time stamps of damaged files need not grow; the search only
        // promises exact answers when they do.
        bool sorted = true;
        for (int i = 1; i < index->count; ++i)
            sorted = sorted && index->Key(i - 1, mode) < index->Key(i, mode);
        for (int i = 0; i < index->count; ++i) {
            const uint32_t key = index->Key(i, mode);
            KeyFrameInfo before = KeyFrameAtOrBefore(*index, key, mode);
            KeyFrameInfo after{};
            const bool found = KeyFrameAtOrAfter(*index, key, mode, &after);
            if (!sorted) continue;
            if (before.filePos != index->entries[i].filePos) std::abort();
            if (!found || after.filePos != index->entries[i].filePos) std::abort();
        }
    }
    return 0;
}
