#include "player/format/stream_parser.h"

#include <algorithm>
#include <cstring>

#include "player/format/file_reader.h"

namespace dvr {

StreamParser::StreamParser(bool sound) : sound_(sound), buffer_(new uint8_t[kStreamBufferSize]) {}

void StreamParser::Input(const uint8_t* data, size_t length, StreamRecordSink& sink) {
    // Taken in pieces that fit: cutting always leaves room for at least one more byte.
    while (length > 0) {
        size_t n = std::min(length, kStreamBufferSize - fill_);
        std::memcpy(buffer_.get() + fill_, data, n);
        fill_ += n;
        data += n;
        length -= n;
        Cut(sink);
    }
}

void StreamParser::Cut(StreamRecordSink& sink) {
    uint8_t* buf = buffer_.get();
    size_t pos = 0;
    for (;;) {
        ptrdiff_t k = FindPattern(buf + pos, fill_ - pos, kFrameHeadMagic, 4);
        if (k < 0) {
            // Keep only what may be the start of a magic cut by the end of this call.
            pos = std::max(pos, fill_ > 3 ? fill_ - 3 : size_t(0));
            break;
        }
        pos += static_cast<size_t>(k); // bytes before a magic are never a record
        if (fill_ - pos < static_cast<size_t>(kFrameHeadLength)) break;
        FrameHead h;
        std::memcpy(&h, buf + pos, sizeof h);
        if (h.length == 0 || h.length > kMaxPayload) {
            // Not a record this buffer could ever hold: look behind its magic.
            pos += 4;
            continue;
        }
        if (fill_ - pos < kFrameHeadLength + size_t(h.length)) break;
        const uint8_t* payload = buf + pos + kFrameHeadLength;
        bool video =
            h.type == kFrameKey || h.type == kFrameP || h.type == kFramePBB || h.type == kFramePB;
        bool audio = h.type == kFrameAudio && sound_;
        if (video || audio) {
            sink.OnStreamRecord(
                {audio, h.type, h.frameNumber, h.timeStamp, h.flags, payload, h.length});
        }
        pos += kFrameHeadLength + h.length;
    }
    if (pos > 0) {
        std::memmove(buf, buf + pos, fill_ - pos);
        fill_ -= pos;
    }
}

} // namespace dvr
