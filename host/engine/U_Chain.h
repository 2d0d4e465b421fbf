// A fixed-capacity ring of copied stream records: the recording engine's pre-alarm buffer and
// the live video server's per-viewer queue. One thread pushes, one consumes; only the counters
// are changed under the lock, so any thread may read them at any time.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

namespace vantrel {

constexpr uint8_t kFrameTypeKey = 1;
constexpr uint8_t kFrameTypeAudio = 8;

struct TChainNode {
    std::vector<uint8_t> Data; // sized to the record it carries, emptied when the record leaves
    int32_t Length = 0;
    uint8_t FrameType = 0; // the stream frame type cut to 8 bits (a stream header is 0x80)
    TChainNode* Prev = nullptr;
    TChainNode* Next = nullptr;
};

class TChain {
public:
    // A ring of `capacity` nodes, at least one, all allocated here.
    explicit TChain(int32_t capacity);
    ~TChain();
    TChain(const TChain&) = delete;
    TChain& operator=(const TChain&) = delete;

    int32_t Capacity() const { return capacity_; }
    // Records held; -1 while the chain is being cleared or after FreeNodes (closed).
    int32_t Count() const { return count_.load(); }
    // Records held that are not audio (stream headers count here).
    int32_t VideoCount() const { return videoCount_.load(); }
    int32_t KeyFrameCount() const { return keyFrameCount_.load(); }

    // The oldest record; valid while Count() > 0, until the consumer's DeleteHead.
    const TChainNode* Head() const { return head_.load(); }

    // Copies one record behind the newest. Ignored (false) while the chain is closed and when
    // it is full: the tail node is then the head's, and overwriting it would lose the oldest
    // record while the counters claimed one more.
    bool Push(const void* data, int32_t length, uint8_t frameType);
    // Drops the oldest record; nothing when the chain holds none.
    void DeleteHead();
    // Drops every record; pushes are refused meanwhile. Leaves the chain empty and open.
    void Clear();
    bool IsFull() const;
    // Closes the chain for good and releases every node.
    void FreeNodes();

private:
    void ReleaseRing();

    const int32_t capacity_;
    std::atomic<int32_t> count_{-1};
    std::atomic<int32_t> videoCount_{0};
    std::atomic<int32_t> keyFrameCount_{0};
    std::mutex lock_;
    std::atomic<TChainNode*> head_{nullptr};
    std::atomic<TChainNode*> tail_{nullptr};
};

} // namespace vantrel
