// Small value types shared by the framework: points, rectangles and sets of an enumeration.
#pragma once

#include <cstdint>
#include <initializer_list>

namespace dvr::fw {

struct TPoint {
    int32_t X = 0, Y = 0;
    bool operator==(const TPoint&) const = default;
};

struct TRect {
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
    int32_t Width() const { return Right - Left; }
    int32_t Height() const { return Bottom - Top; }
    bool operator==(const TRect&) const = default;
};

// A set of up to 32 values of an enumeration E, stored as a bit mask (bit k = value k),
// which is also how the stream writer and the property table see it.
template <class E> class TSet {
public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> items) {
        for (E e : items)
            bits_ |= Bit(e);
    }
    static constexpr TSet FromMask(uint32_t m) {
        TSet s;
        s.bits_ = m;
        return s;
    }
    constexpr uint32_t Mask() const { return bits_; }
    constexpr bool Contains(E e) const { return (bits_ & Bit(e)) != 0; }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr TSet& Include(E e) {
        bits_ |= Bit(e);
        return *this;
    }
    constexpr TSet& Exclude(E e) {
        bits_ &= ~Bit(e);
        return *this;
    }
    constexpr TSet operator+(TSet o) const { return FromMask(bits_ | o.bits_); }
    constexpr TSet operator-(TSet o) const { return FromMask(bits_ & ~o.bits_); }
    constexpr TSet operator*(TSet o) const { return FromMask(bits_ & o.bits_); }
    constexpr bool operator==(const TSet&) const = default;

private:
    static constexpr uint32_t Bit(E e) { return uint32_t(1) << unsigned(e); }
    uint32_t bits_ = 0;
};

} // namespace dvr::fw
