#include "sdk/dorsk/sdk_state.h"

namespace dvr::dorsk {

SdkLibrary g_sdk;

bool IsOpenChannelHandle(ChannelHandle handle) {
    if (handle == 0) return false;
    for (const auto& slot : g_sdk.openTable) {
        if (slot.load() == handle) return true;
    }
    return false;
}

SdkLock* ChannelAccess::LockFor(ChannelHandle handle) {
    if (!IsOpenChannelHandle(handle)) return nullptr;
    return &g_sdk.channelLocks[ChannelOf(handle)->number];
}

ChannelAccess::ChannelAccess(ChannelHandle handle) : lock_(LockFor(handle)) {
    // Closed while this caller waited for the lock: refused as well.
    if (lock_.held() && IsOpenChannelHandle(handle)) channel_ = ChannelOf(handle);
}

namespace {

const uint32_t* ControlBlock(const SdkBoard& board) {
    if (!board.sharedMemory) return nullptr;
    const auto* control =
        reinterpret_cast<const uint32_t*>(board.sharedMemory + kControlBlockOffset);
    return control[0] == kStreamMagic ? control : nullptr;
}

} // namespace

uint8_t* BoardAreaOf(const SdkChannel& channel, BoardArea area) {
    const uint32_t* control = ControlBlock(*channel.board);
    if (!control) return nullptr;
    // Magic and two information words, then six addresses per sub-channel.
    uint32_t address = control[3 + channel.sub * 6 + static_cast<int>(area)];
    return static_cast<uint8_t*>(channel.board->HostAddress(address));
}

bool BoardInfoWords(const SdkBoard& board, uint32_t& a, uint32_t& b) {
    const uint32_t* control = ControlBlock(board);
    if (!control) return false;
    a = control[1];
    b = control[2];
    return true;
}

void InitChannelDefaults(SdkChannel& channel) {
    SdkBoard* board = channel.board;
    int32_t number = channel.number;
    int32_t sub = channel.sub;
    channel = SdkChannel{};
    channel.board = board;
    channel.number = number;
    channel.sub = sub;
    if (!board) return;

    board->dsp = nullptr;
    board->booted = 0;
    for (int32_t& open : board->subOpen)
        open = 0;
    board->hostBase = 0;
    board->boardBase = 0;
    board->replyEvent.reset();
    board->driverEvent = nullptr;
    board->messageEvent.reset();
    board->messageChannel = nullptr;
    board->threadStop.reset();
    board->threadEnd.reset();
    board->messageThread.reset();
    board->sharedMemory = nullptr;
    board->sharedBlock = nullptr;
    board->bootable = 1;
    board->firmwareStarted = false;
}

} // namespace dvr::dorsk
