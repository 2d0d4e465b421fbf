// Bit reader over one compressed record, most significant bit first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace dvr::decoder {

class BitReader {
public:
    // Starts reading at the first bit of data[0..size).
    void Point(const uint8_t* data, size_t size) {
        data_ = data;
        size_ = size;
        pos_ = 0;
    }

    // The next n bits (0..32) without consuming them. Past the end of the record the
    // reader yields zero bits: stale bytes of an earlier record must never look like data.
    uint32_t Peek(int n) const {
        uint64_t w = Load(pos_ >> 3) << (pos_ & 7);
        return static_cast<uint32_t>((w >> 1) >> (63 - n));
    }
    uint32_t Get(int n) {
        uint32_t v = Peek(n);
        pos_ += static_cast<size_t>(n);
        return v;
    }
    uint32_t GetBit() { return Get(1); }
    void Skip(int n) { pos_ += static_cast<size_t>(n); }
    void Align() { pos_ = (pos_ + 7) & ~size_t{7}; }

    // The 64 bits from bit `pos` on, first bit most significant; at least the first 57
    // are the record's (or zero past its end). For loops that keep bits in a register.
    uint64_t Window(size_t pos) const { return Load(pos >> 3) << (pos & 7); }
    // Continues reading at bit `pos`, as after a loop that read from windows.
    void Seek(size_t pos) { pos_ = pos; }

    // Bits consumed since Point.
    size_t Consumed() const { return pos_; }
    bool Aligned() const { return (pos_ & 7) == 0; }
    const uint8_t* Data() const { return data_; }
    size_t Size() const { return size_; }

private:
    uint64_t Load(size_t byte) const {
        uint64_t w = 0;
        if (byte + 8 <= size_) {
            std::memcpy(&w, data_ + byte, 8);
            return __builtin_bswap64(w);
        }
        for (int i = 0; i < 8; ++i) {
            w <<= 8;
            if (byte + i < size_) w |= data_[byte + i];
        }
        return w;
    }

    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
    size_t pos_ = 0;
};

} // namespace dvr::decoder
