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
    std::atomic<int> bDrop{0}; // B pictures of each packed record left out
    // own stream thread
    win::Thread thread;
    win::Event quit;
    std::atomic<int> ended{0};
};

// Playing starts on a stream port: the stream buffer is made. The caller holds the
// port lock.
void StartStreamBuffer(int port);

// Playing starts on a stream port: the stream buffer, and the port's own stream thread
// (open mode 1) or its place in the shared one. The caller holds the port lock.
int StartStreamPlaying(int port);
// Playing stops: the own thread ends, or the shared thread lets the port go (and ends
// when no port is left). The caller holds the port lock.
void StopStreamPlaying(int port);
bool SharedStreamThreadRunning();

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
