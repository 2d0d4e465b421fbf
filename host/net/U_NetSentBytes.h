// Bytes handed to send() by every live sender and the remote-replay sender since the main
// window's 100 ms timer last cleared it; the bandwidth limit is tested against it.
#pragma once

#include <atomic>
#include <cstdint>

namespace vantrel {

extern std::atomic<uint32_t> NetSentBytes;

// Bytes a limit of `kbps` kbit/s allows per 100 ms window.
constexpr uint64_t BandwidthBudget(int32_t kbps) {
    return static_cast<uint64_t>(static_cast<uint32_t>(kbps)) * 100 / 8;
}

} // namespace vantrel
