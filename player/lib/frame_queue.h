// A port's queue of stream records waiting to be played: one for video, one for audio.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

namespace dvr::strovid {

class FrameQueue {
public:
    // `capacity`: the byte total above which an own-thread port refuses more input.
    FrameQueue(size_t capacity, int openMode) : capacity_(capacity), openMode_(openMode) {}
    ~FrameQueue() { Clear(); }
    FrameQueue(const FrameQueue&) = delete;
    FrameQueue& operator=(const FrameQueue&) = delete;

    // Appends a copy; `countBefore` gets the count before the push.
    void Push(const uint8_t* data, uint32_t length, uint8_t type, uint32_t timeStamp,
              int* countBefore = nullptr);

    // Copies the head's payload to `dest` (at most `destCapacity` bytes, the rest of a
    // longer payload is lost) and returns the bytes copied. `countBefore` gets the count
    // before removal. Empty: type 0, count 0, 0 bytes.
    uint32_t Pop(uint8_t* dest, size_t destCapacity, uint8_t* type, uint32_t* timeStamp,
                 int* countBefore, bool remove);

    void DropHead();
    void Clear();

    // Read without the lock: a hint for pacing and callbacks.
    size_t ByteTotal() const { return total_.load(std::memory_order_relaxed); }
    int Count() const { return count_.load(std::memory_order_relaxed); }
    size_t Capacity() const { return capacity_; }
    int OpenMode() const { return openMode_; }

private:
    struct Node {
        std::unique_ptr<uint8_t[]> data;
        uint32_t length;
        uint8_t type;
        uint32_t timeStamp;
        std::unique_ptr<Node> next;
    };
    void RemoveHeadLocked();

    std::mutex lock_;
    std::unique_ptr<Node> head_;
    Node* tail_ = nullptr;
    std::atomic<int> count_{0};
    std::atomic<size_t> total_{0};
    size_t capacity_;
    int openMode_;
};

} // namespace dvr::strovid
