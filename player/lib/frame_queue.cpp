#include "player/lib/frame_queue.h"

#include <algorithm>
#include <cstring>

namespace dvr::strovid {

void FrameQueue::Push(const uint8_t* data, uint32_t length, uint8_t type, uint32_t timeStamp,
                      int* countBefore) {
    auto node = std::make_unique<Node>();
    node->data = std::make_unique<uint8_t[]>(length ? length : 1);
    if (length) std::memcpy(node->data.get(), data, length);
    node->length = length;
    node->type = type;
    node->timeStamp = timeStamp;
    std::lock_guard<std::mutex> hold(lock_);
    if (countBefore) *countBefore = count_.load(std::memory_order_relaxed);
    Node* raw = node.get();
    if (tail_)
        tail_->next = std::move(node);
    else
        head_ = std::move(node);
    tail_ = raw;
    count_.fetch_add(1, std::memory_order_relaxed);
    total_.fetch_add(length, std::memory_order_relaxed);
}

void FrameQueue::RemoveHeadLocked() {
    if (!head_) return;
    std::unique_ptr<Node> old = std::move(head_);
    head_ = std::move(old->next);
    if (!head_) tail_ = nullptr;
    count_.fetch_sub(1, std::memory_order_relaxed);
    total_.fetch_sub(old->length, std::memory_order_relaxed);
}

uint32_t FrameQueue::Pop(uint8_t* dest, size_t destCapacity, uint8_t* type, uint32_t* timeStamp,
                         int* countBefore, bool remove) {
    std::lock_guard<std::mutex> hold(lock_);
    if (countBefore) *countBefore = count_.load(std::memory_order_relaxed);
    if (!head_) {
        if (type) *type = 0;
        if (timeStamp) *timeStamp = 0;
        return 0;
    }
    // A damaged record longer than the caller's buffer is cut, never copied past it.
    uint32_t n = static_cast<uint32_t>(std::min<size_t>(head_->length, destCapacity));
    if (n) std::memcpy(dest, head_->data.get(), n);
    if (type) *type = head_->type;
    if (timeStamp) *timeStamp = head_->timeStamp;
    if (remove) RemoveHeadLocked();
    return n;
}

void FrameQueue::DropHead() {
    std::lock_guard<std::mutex> hold(lock_);
    RemoveHeadLocked();
}

void FrameQueue::Clear() {
    std::lock_guard<std::mutex> hold(lock_);
    // Iteratively, so a long queue does not recurse through its nodes' destructors.
    while (head_)
        RemoveHeadLocked();
}

} // namespace dvr::strovid
