#include "host/engine/U_Chain.h"

#include <cstring>

namespace vantrel {

TChain::TChain(int32_t capacity) : capacity_(capacity) {
    auto* first = new TChainNode;
    TChainNode* last = first;
    for (int32_t i = 1; i < capacity; ++i) {
        auto* node = new TChainNode;
        node->Prev = last;
        last->Next = node;
        last = node;
    }
    last->Next = first;
    first->Prev = last;
    head_ = first;
    tail_ = first;
    videoCount_ = 0;
    keyFrameCount_ = 0;
    count_ = 0;
}

TChain::~TChain() {
    ReleaseRing();
}

bool TChain::Push(const void* data, int32_t length, uint8_t frameType) {
    if (count_.load() < 0 || IsFull() || length < 0) return false;
    // With no record held Head and Tail are one node already, so Head needs no move here:
    // the consumer may be moving it at this moment.
    TChainNode* node = tail_.load();
    node->Data.resize(static_cast<size_t>(length));
    if (length > 0) std::memcpy(node->Data.data(), data, static_cast<size_t>(length));
    node->Length = length;
    node->FrameType = frameType;
    tail_ = node->Next;
    std::lock_guard<std::mutex> guard(lock_);
    count_.fetch_add(1);
    if (frameType != kFrameTypeAudio) videoCount_.fetch_add(1);
    if (frameType == kFrameTypeKey) keyFrameCount_.fetch_add(1);
    return true;
}

void TChain::DeleteHead() {
    if (count_.load() <= 0) return;
    TChainNode* node = head_.load();
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (node->FrameType != kFrameTypeAudio) videoCount_.fetch_sub(1);
        if (node->FrameType == kFrameTypeKey) keyFrameCount_.fetch_sub(1);
    }
    std::vector<uint8_t>().swap(node->Data);
    node->Length = 0;
    head_ = node->Next;
    std::lock_guard<std::mutex> guard(lock_);
    count_.fetch_sub(1);
}

void TChain::Clear() {
    if (count_.load() <= 0) return;
    {
        std::lock_guard<std::mutex> guard(lock_);
        count_ = -1;
        videoCount_ = 0;
        keyFrameCount_ = 0;
    }
    TChainNode* head = head_.load();
    TChainNode* node = head;
    do {
        std::vector<uint8_t>().swap(node->Data);
        node->Length = 0;
        node = node->Next;
    } while (node != head);
    tail_ = head;
    std::lock_guard<std::mutex> guard(lock_);
    count_ = 0;
}

bool TChain::IsFull() const {
    const int32_t count = count_.load();
    return count >= 0 && count >= capacity_;
}

void TChain::FreeNodes() {
    if (count_.load() < 0) return;
    {
        std::lock_guard<std::mutex> guard(lock_);
        count_ = -1;
        keyFrameCount_ = 0;
    }
    ReleaseRing();
}

void TChain::ReleaseRing() {
    TChainNode* head = head_.exchange(nullptr);
    tail_ = nullptr;
    if (!head) return;
    head->Prev->Next = nullptr; // cut behind the head
    while (head) {
        TChainNode* next = head->Next;
        delete head;
        head = next;
    }
}

} // namespace vantrel
