// GBK (code page 936) byte strings as records, files and network messages hold them.
// Portable: no conversion tables here; conversion to UTF-16 lives in common/win/textconv.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace dvr {

// True when b starts a two-byte GBK character.
constexpr bool IsGbkLeadByte(uint8_t b) { return b >= 0x81 && b <= 0xFE; }

// The longest prefix of s of at most max_bytes bytes that does not end in the middle
// of a two-byte character.
size_t GbkFitLength(std::string_view s, size_t max_bytes);

// A fixed-capacity string as stored in records: one length byte, then up to N bytes of
// GBK text. The layout is exactly 1 + N bytes; the length never exceeds N.
template <size_t N>
struct PString {
    static_assert(N >= 1 && N <= 255, "length byte holds at most 255");
    uint8_t len;
    char text[N];

    // Stores s, cut to N bytes on a character boundary.
    void Set(std::string_view s) {
        size_t n = GbkFitLength(s, N);
        len = static_cast<uint8_t>(n);
        if (n) std::memcpy(text, s.data(), n); // s.data() may be null when empty
        if (n < N) std::memset(text + n, 0, N - n);
    }
    // The stored text; a corrupt length byte is clamped to the capacity.
    std::string Get() const { return std::string(text, len <= N ? len : N); }
    std::string_view View() const { return std::string_view(text, len <= N ? len : N); }
    void Clear() { Set({}); }
    bool operator==(std::string_view s) const { return View() == s; }
};
static_assert(sizeof(PString<20>) == 21);
static_assert(sizeof(PString<255>) == 256);

} // namespace dvr
