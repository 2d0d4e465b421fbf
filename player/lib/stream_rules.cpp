#include "player/lib/stream_rules.h"

#include <algorithm>

namespace dvr::strovid {

int RecordKind(uint8_t type) {
    switch (type) {
    case kFrameKey:
        return 3;
    case kFrameP:
        return 4;
    case kFramePB:
        return 6;
    case kFramePBB:
        return 7;
    default:
        return 1;
    }
}

SharedLoad SharedLoadFor(int queuedBefore, int bDropSetting) {
    if (queuedBefore > 60) return {true, bDropSetting};
    if (queuedBefore > 30) return {false, std::max(bDropSetting, 1)};
    if (queuedBefore > 15) return {false, 2};
    return {false, bDropSetting};
}

int PendingBPictures(uint8_t type, int dropCount) {
    int held = type == kFramePB ? 1 : type == kFramePBB ? 2 : 0;
    return std::max(0, held - dropCount);
}

void QueueSink::OnStreamRecord(const StreamRecord& record) {
    FrameQueue* q = record.audio ? audio_ : video_;
    if (q) q->Push(record.payload, record.length, record.type, record.timeStamp);
}

} // namespace dvr::strovid
