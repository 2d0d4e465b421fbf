// Portable rules of stream mode: how queued records are played and how the shared
// thread sheds load.
#pragma once

#include <cstdint>

#include "player/format/stream_parser.h"
#include "player/lib/frame_queue.h"

namespace dvr::strovid {

inline constexpr uint32_t kMinSourceBuffer = 51200;
inline constexpr uint32_t kMaxSourceBuffer = 1024000;

inline bool SourceBufferSizeValid(uint32_t size) {
    return size >= kMinSourceBuffer && size <= kMaxSourceBuffer;
}

// The record kind the play thread works with for a queued type byte: key 3, P 4,
// P+1B 6, P+2B 7; nothing (an empty queue or an unknown type) 1.
int RecordKind(uint8_t type);

// The shared thread's reaction to the depth of a port's queue at a pop.
struct SharedLoad {
    bool flush;    // the queue is cleared and the port waits for a key frame
    int dropCount; // B pictures of each packed record left undecoded
};
SharedLoad SharedLoadFor(int queuedBefore, int bDropSetting);

// B pictures of a packed record still to show after its P picture, given the drop
// count. Never negative: a record cannot hand back more pictures than it holds.
int PendingBPictures(uint8_t type, int dropCount);

// Cuts input into the port's queues: video records into `video`, audio into `audio`
// (audio is dropped when there is no audio queue).
class QueueSink : public StreamRecordSink {
public:
    QueueSink(FrameQueue* video, FrameQueue* audio) : video_(video), audio_(audio) {}
    void OnStreamRecord(const StreamRecord& record) override;

private:
    FrameQueue* video_;
    FrameQueue* audio_;
};

} // namespace dvr::strovid
