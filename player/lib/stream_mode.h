// Live streams fed by the caller: per-port queues and the exported stream calls.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>

// Before the handle owners, so that they include the DrawDib one.
#include <vfw.h>

#include "common/win/handles.h"
#include "player/format/stream_parser.h"
#include "player/lib/frame_queue.h"

extern "C" {
// Port, bytes queued (0 once the queue has run empty), the port's user value, 0.
typedef void(CALLBACK* SourceBufCallback)(int port, unsigned bytes, int user, int reserved);
}

namespace dvr::strovid {

struct PortStream {
    uint32_t sourceBufferSize = 0;
    std::unique_ptr<StreamParser> buffer; // the stream buffer, from playing start
    std::unique_ptr<FrameQueue> video;
    std::unique_ptr<FrameQueue> audio; // made when sound starts
    std::atomic<SourceBufCallback> callback{nullptr};
    std::atomic<uint32_t> threshold{0};
    std::atomic<int> lowWaterNotice{0};
    uint32_t firstTimeStamp = 0;
    // The queue ran dry and the caller was told so; cleared by the next record.
    int emptyNoticed = 0;
};

// Playing starts on a stream port: the stream buffer is made. The caller holds the
// port lock.
void StartStreamBuffer(int port);

// Playing starts on a port served by the shared stream thread: the stream buffer and
// the port's place in the thread (started by the first such port). The caller holds
// the port lock.
int StartStreamPlaying(int port);
// Playing stops: the shared thread lets the port go (and ends when no port is left).
// The caller holds the port lock.
void StopStreamPlaying(int port);
bool SharedStreamThreadRunning();
// The shared thread and the helpers it starts to serve its passes.
int SharedStreamThreadsAtMost();

// For a port with its own stream thread (open mode 1), which runs the play thread of
// file ports with records from the queue. Before each cycle: false when the thread has
// nothing to do until it is started again (no queue, or the port is stopping); calls
// the source-buffer callback when the queue has fallen below its threshold.
bool OwnStreamCycleReady(int port);
// The next queued video record into the decoder input, as the play reader's record;
// its record kind, 1 when the queue is empty.
int PopOwnStreamRecord(int port);

} // namespace dvr::strovid

extern "C" {
int WINAPI RE4Ravi_SetStreamOpenMode(int port, int mode);
int WINAPI RE4Ravi_OpenStream(int port, const uint8_t* header, unsigned headerLength,
                              unsigned sourceBufferSize);
int WINAPI RE4Ravi_InputData(int port, const uint8_t* data, unsigned length);
int WINAPI RE4Ravi_CloseStream(int port);
int WINAPI RE4Ravi_ResetSourceBuffer(int port);
unsigned WINAPI RE4Ravi_GetSourceBufferRemain(int port);
int WINAPI RE4Ravi_SetSourceBufCallBack(int port, unsigned threshold, SourceBufCallback callback,
                                        int user, void* reserved);
int WINAPI RE4Ravi_ResetSourceBufFlag(int port);
} // extern "C"
