// Builders for stream bytes in tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "player/format/stream_format.h"

namespace dvr::testing {

using Bytes = std::vector<uint8_t>;

inline void Append(Bytes& out, const Bytes& b) {
    out.insert(out.end(), b.begin(), b.end());
}

template <typename T> void PutLe(Bytes& out, T v) {
    uint8_t b[sizeof(T)];
    std::memcpy(b, &v, sizeof(T));
    out.insert(out.end(), b, b + sizeof(T));
}

struct TextBlock {
    uint8_t kind;
    std::string text;
};

inline Bytes MakeFileHead(uint16_t flags, uint16_t height = 288, uint16_t width = 352,
                          uint8_t rate = 25, const std::vector<TextBlock>& blocks = {}) {
    Bytes h = {0x00, 0x00, 0x01, 0xC6};
    PutLe<uint32_t>(h, 0x11223344);
    PutLe<uint16_t>(h, flags);
    for (const auto& b : blocks) {
        h.push_back(b.kind);
        h.push_back(static_cast<uint8_t>(b.text.size()));
        h.insert(h.end(), b.text.begin(), b.text.end());
    }
    h.push_back(rate);
    PutLe<uint32_t>(h, 0x55667788);
    PutLe<uint16_t>(h, height);
    PutLe<uint16_t>(h, width);
    return h;
}

inline Bytes MakeFrameHead(uint8_t type, uint32_t frame, uint32_t ts, uint32_t length,
                           uint8_t flags = 0) {
    Bytes h = {0x00, 0x00, 0x01, 0xC7, type};
    PutLe<uint32_t>(h, frame);
    PutLe<uint32_t>(h, ts);
    h.push_back(flags);
    PutLe<uint32_t>(h, length);
    return h;
}

// A payload whose bytes tell records apart and never contain a record magic.
inline Bytes Payload(size_t n, uint8_t seed) {
    Bytes p(n);
    for (size_t i = 0; i < n; ++i)
        p[i] = static_cast<uint8_t>(0x10 + (seed + i * 7) % 0xE0);
    return p;
}

inline Bytes MakeRecord(uint8_t type, uint32_t frame, uint32_t ts, const Bytes& payload,
                        uint8_t flags = 0) {
    Bytes r = MakeFrameHead(type, frame, ts, static_cast<uint32_t>(payload.size()), flags);
    Append(r, payload);
    return r;
}

} // namespace dvr::testing
