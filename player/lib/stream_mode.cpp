#include "player/lib/stream_mode.h"

#include <cstring>

#include "player/decoder/decoder.h"
#include "player/lib/play_port.h"
#include "player/lib/stream_rules.h"

namespace dvr::strovid {

namespace {

constexpr uint8_t kStreamMagic[4] = {0x00, 0x00, 0x01, 0xC6};

class MutexHold {
public:
    explicit MutexHold(HANDLE m) : m_(m) { ::WaitForSingleObject(m_, INFINITE); }
    ~MutexHold() { ::ReleaseMutex(m_); }
    MutexHold(const MutexHold&) = delete;
    MutexHold& operator=(const MutexHold&) = delete;

private:
    HANDLE m_;
};

void FreeDecoderOf(PlayPort& port) {
    if (port.decoderHandle != 0) decoder::FreeDecoder(port.decoderHandle);
    port.decoderHandle = 0;
    port.file.decoderInput = nullptr;
    port.rgbOutput = nullptr;
}

} // namespace

void StartStreamBuffer(int port) {
    PortStream& s = PortTable[port].stream;
    if (!s.buffer) s.buffer = std::make_unique<StreamParser>(!PortTable[port].file.head.noSound);
    s.buffer->Clear();
}

} // namespace dvr::strovid

using namespace dvr::strovid;

int WINAPI RE4Ravi_SetStreamOpenMode(int port, int mode) {
    if (!CheckPort(port)) return 0;
    PlayPort& p = PortTable[port];
    p.streamOpenMode = mode != 0 ? 1 : 0;
    p.streamFlag = 1;
    return 1;
}

int WINAPI RE4Ravi_OpenStream(int port, const uint8_t* header, unsigned headerLength,
                              unsigned sourceBufferSize) {
    if (!ValidPort(port) || !SourceBufferSizeValid(sourceBufferSize)) return 0;
    PortLock lock(port);
    MutexHold streams(StreamLock.get());
    PlayPort& p = PortTable[port];
    dvr::StreamHeaderFields head;
    // A header too short to hold the fields read from it is refused like a wrong magic.
    if (!header || headerLength < sizeof(dvr::FileHead) ||
        std::memcmp(header, kStreamMagic, 4) != 0 ||
        !dvr::ParseStreamHeader(header, headerLength, &head)) {
        p.fileOpen.store(0);
        return 0;
    }
    head.headerLength = static_cast<int>(headerLength);
    p.file.head = head;
    p.stream.sourceBufferSize = sourceBufferSize;
    p.streamFlag = 1;
    p.file.endOfFile = 0;
    p.currentPicture = 0;
    if (!p.stream.video)
        p.stream.video = std::make_unique<FrameQueue>(sourceBufferSize, p.streamOpenMode);
    // A second open must not leave the first decoder instance behind.
    FreeDecoderOf(p);
    if (Init_DecodeParam(port, 720, 576) != 1) return 0;
    p.fileOpen.store(1);
    return 1;
}

int WINAPI RE4Ravi_InputData(int port, const uint8_t* data, unsigned length) {
    if (!ValidPort(port) || !data || length == 0) return 0;
    PortLock lock(port);
    PlayPort& p = PortTable[port];
    PortStream& s = p.stream;
    if (!s.video || !s.buffer) return 0;
    if (p.streamOpenMode != 0 && s.video->ByteTotal() > s.video->Capacity()) {
        s.lowWaterNotice.store(0);
        return 0;
    }
    QueueSink sink(s.video.get(), s.audio.get());
    s.buffer->Input(data, length, sink);
    return 1;
}

int WINAPI RE4Ravi_CloseStream(int port) {
    if (!ValidPort(port)) return 0;
    RE4Ravi_Stop(port);
    PortLock lock(port);
    PlayPort& p = PortTable[port];
    p.streamFlag = 0;
    p.currentPicture = 0;
    p.rgbOutputFlag = 0;
    if (p.streamOpenMode == 1) p.file.endOfFile = 1;
    p.streamOpenMode = 2;
    p.stream.video.reset();
    p.stream.audio.reset();
    p.stream.buffer.reset();
    FreeDecoderOf(p);
    p.currentPicturePtr = nullptr;
    p.lastShownPicture = nullptr;
    p.fileOpen.store(0);
    return 1;
}

int WINAPI RE4Ravi_ResetSourceBuffer(int port) {
    if (!ValidPort(port)) return 0;
    PortLock lock(port);
    PlayPort& p = PortTable[port];
    if (p.stream.video) p.stream.video->Clear();
    if (p.stream.audio) p.stream.audio->Clear();
    p.streamFlag = 1;
    return 1;
}

unsigned WINAPI RE4Ravi_GetSourceBufferRemain(int port) {
    if (!ValidPort(port)) return 0;
    // Closing the stream frees the queue under the same lock.
    PortLock lock(port);
    const auto& video = PortTable[port].stream.video;
    return video ? static_cast<unsigned>(video->ByteTotal()) : 0;
}

int WINAPI RE4Ravi_SetSourceBufCallBack(int port, unsigned threshold, SourceBufCallback callback,
                                        int user, void*) {
    if (!ValidPort(port) || !callback) return 0;
    PortLock lock(port);
    PlayPort& p = PortTable[port];
    p.stream.threshold.store(threshold);
    p.stream.callback.store(callback);
    p.userValue.store(user);
    return 1;
}

int WINAPI RE4Ravi_ResetSourceBufFlag(int port) {
    if (!ValidPort(port)) return 0;
    PortLock lock(port);
    PlayPort& p = PortTable[port];
    if (!p.stream.video) return 0;
    p.stream.lowWaterNotice.store(0);
    return 1;
}
