// How the library numbers channels across the board processors the driver reports.
// Portable: a pure function of the processor types.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace dvr::dorsk {

constexpr int kMaxProcessors = 16;
constexpr int kMaxChannels = 64;
constexpr int kMaxSubChannels = 4;

// A processor's type is its channel count; only these two have channel records.
constexpr bool HasChannelRecords(int type) {
    return type == 4 || type == 1;
}

struct ChannelLayout {
    // Sum of the types of the processors the tables hold (any type counts).
    int total = 0;
    // Per channel number: its processor and sub-channel, or -1 for a number that was
    // counted but belongs to no processor with channel records.
    std::array<int8_t, kMaxChannels> processor{};
    std::array<int8_t, kMaxChannels> sub{};
    // Per processor: the channel number of each sub-channel (0 where there is none).
    std::array<std::array<int32_t, kMaxSubChannels>, kMaxProcessors> numbers{};
};

// Numbers channels from 0 in processor order; processors beyond the 16 the tables hold
// are left out.
ChannelLayout AssignChannels(std::span<const int> types);

} // namespace dvr::dorsk
