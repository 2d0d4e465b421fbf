// Test control of the simulated boards.
#include "sim/brevix32/SimCtl.h"

#include "sim/brevix32/board_layout.h"
#include "sim/brevix32/driver_state.h"

#include <chrono>
#include <cstring>

using namespace sim;

static_assert(int(SIMCTL_SLOTS_SHORT_COUNT) == int(kShortCount));
static_assert(int(SIMCTL_SLOTS_LONG_COUNT) == int(kLongCount));
static_assert(int(SIMCTL_SLOTS_EMPTY_PAYLOAD) == int(kEmptyPayload));
static_assert(int(SIMCTL_SLOTS_NEGATIVE_PAYLOAD) == int(kNegativePayload));
static_assert(int(SIMCTL_SLOTS_HUGE_PAYLOAD) == int(kHugePayload));
static_assert(int(SIMCTL_SLOTS_OVERRUN) == int(kOverrun));
static_assert(int(SIMCTL_SLOTS_NEW_HEADER) == int(kNewHeader));
static_assert(int(SIMCTL_SLOTS_BAD_SUBCHANNEL) == int(kBadSubChannel));
static_assert(int(SIMCTL_SLOTS_BAD_AUDIO_PAIR) == int(kBadAudioPair));

namespace {

struct Locked {
    Driver& d = TheDriver();
    std::unique_lock<std::mutex> lock{d.m};
    Locked() { EnsureConfigured(d); }
    // What a test changes takes effect at once: the board thread may be asleep until its
    // next record is due.
    ~Locked() { d.cv.notify_all(); }
    Processor* At(int index) {
        return index >= 0 && size_t(index) < d.processors.size() ? d.processors[size_t(index)].get()
                                                                 : nullptr;
    }
};

bool SubOk(int sub) {
    return sub >= 0 && sub < kMaxSubChannels;
}

} // namespace

extern "C" {

int SimCtl_Configure(const char* text) {
    if (!text) return BREVIX_BAD_ARGUMENT;
    std::string error;
    auto cfg = ParseConfig(text, "", &error);
    if (!cfg) return BREVIX_BAD_ARGUMENT;
    Locked l;
    return ConfigureLocked(l.d, *cfg);
}

int SimCtl_Reset(void) {
    Locked l;
    return ConfigureLocked(l.d, FoundConfig());
}

int SimCtl_SetSpeed(int factor) {
    if (factor < 1) return BREVIX_BAD_ARGUMENT;
    Locked l;
    SetSpeedLocked(l.d, factor);
    return BREVIX_OK;
}

int SimCtl_FailOperation(int processor, int op, int count) {
    if (op < SIMCTL_OP_GET_NUM || op > SIMCTL_OP_TRANSLATE_ADDRESS || count < -1)
        return BREVIX_BAD_ARGUMENT;
    Locked l;
    Processor* p = op == SIMCTL_OP_GET_NUM || op == SIMCTL_OP_TRANSLATE_ADDRESS
                       ? NoProcessorFaults()
                       : l.At(processor);
    if (!p) return BREVIX_BAD_ARGUMENT;
    p->failing[op] = count;
    return BREVIX_OK;
}

int SimCtl_SetFault(int processor, int fault, int value) {
    Locked l;
    Processor* p = l.At(processor);
    if (!p) return BREVIX_BAD_ARGUMENT;
    switch (fault) {
    case SIMCTL_FAULT_BUSY:
        p->busy = value;
        break;
    case SIMCTL_FAULT_SKIP_SIGNAL:
        p->skipSignal = value;
        break;
    case SIMCTL_FAULT_NO_MAGIC:
        p->noMagic = value != 0;
        if (p->block && p->controlWritten) std::memset(p->block->host + kControlBlockOffset, 0, 4);
        p->controlWritten = false; // written again (with or without magic)
        break;
    case SIMCTL_FAULT_GRAB_SILENT:
        p->grabSilent = value != 0;
        break;
    case SIMCTL_FAULT_GRAB_SIZE:
        p->grabSize = value;
        break;
    default:
        return BREVIX_BAD_ARGUMENT;
    }
    return BREVIX_OK;
}

int SimCtl_InjectSlots(int processor, int kind) {
    Locked l;
    Processor* p = l.At(processor);
    if (!p) return BREVIX_BAD_ARGUMENT;
    SlotSequence seq = MalformedSlots(kind, p->config.type);
    if (seq.empty()) return BREVIX_BAD_ARGUMENT;
    return p->writer.Enqueue(std::move(seq)) ? BREVIX_OK : BREVIX_BUSY;
}

int SimCtl_InjectRawSlot(int processor, const void* data, uint32_t length, int32_t byteCount) {
    if ((!data && length) || length > kSlotSize) return BREVIX_BAD_ARGUMENT;
    Locked l;
    Processor* p = l.At(processor);
    if (!p) return BREVIX_BAD_ARGUMENT;
    Slot s;
    s.data.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + length);
    s.byteCount = byteCount;
    return p->writer.Enqueue(SlotSequence{std::move(s)}) ? BREVIX_OK : BREVIX_BUSY;
}

int SimCtl_SetVideoPresent(int processor, int subChannel, int present) {
    Locked l;
    Processor* p = l.At(processor);
    if (!p || !SubOk(subChannel)) return BREVIX_BAD_ARGUMENT;
    p->subs[size_t(subChannel)].video = present != 0;
    SetVideoWord(*p, subChannel);
    return BREVIX_OK;
}

int SimCtl_SetMotion(int processor, int subChannel, int block, int level) {
    constexpr int kMaxBlocks = (704 / 16) * (576 / 16);
    Locked l;
    Processor* p = l.At(processor);
    if (!p || !SubOk(subChannel) || block < 0 || block >= kMaxBlocks || level < 0 || level > 0xFFFF)
        return BREVIX_BAD_ARGUMENT;
    auto& raised = p->subs[size_t(subChannel)].raisedMotion;
    if (raised.size() <= size_t(block)) raised.resize(size_t(block) + 1, 0);
    raised[size_t(block)] = uint16_t(level);
    return BREVIX_OK;
}

int SimCtl_GetCommandCount(int processor) {
    Locked l;
    Processor* p = l.At(processor);
    return p ? p->commandLogBase + int(p->commandLog.size()) : -1;
}

int SimCtl_GetCommand(int processor, int index, uint32_t words[BREVIX_MESSAGE_WORDS]) {
    Locked l;
    Processor* p = l.At(processor);
    if (!p || !words || index < p->commandLogBase ||
        index >= p->commandLogBase + int(p->commandLog.size()))
        return BREVIX_BAD_ARGUMENT;
    std::memcpy(words, p->commandLog[size_t(index - p->commandLogBase)].data(),
                sizeof(uint32_t) * BREVIX_MESSAGE_WORDS);
    return BREVIX_OK;
}

int SimCtl_WaitCommand(int processor, uint32_t code, int fromIndex, uint32_t timeoutMs,
                       uint32_t words[BREVIX_MESSAGE_WORDS]) {
    Locked l;
    Processor* p = l.At(processor);
    if (!p) return -1;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int end = p->commandLogBase + int(p->commandLog.size());
        for (int i = std::max(fromIndex, p->commandLogBase); i < end; ++i) {
            const Message& m = p->commandLog[size_t(i - p->commandLogBase)];
            if (CommandCode(m[0]) != code) continue;
            if (words) std::memcpy(words, m.data(), sizeof(uint32_t) * BREVIX_MESSAGE_WORDS);
            return i;
        }
        fromIndex = std::max(fromIndex, end);
        if (l.d.cv.wait_until(l.lock, deadline) == std::cv_status::timeout) {
            // One last look at what came in while waking up.
            if (p->commandLogBase + int(p->commandLog.size()) == fromIndex) return -1;
        }
    }
}

int SimCtl_WaitCommandsObeyed(int processor, uint32_t timeoutMs) {
    Locked l;
    Processor* p = l.At(processor);
    if (!p) return -1;
    const int sent = p->commandLogBase + int(p->commandLog.size());
    const bool done = l.d.cv.wait_for(l.lock, std::chrono::milliseconds(timeoutMs),
                                      [&] { return p->commandsObeyed >= sent; });
    return done ? 0 : -1;
}

int SimCtl_ClearCommandLog(int processor) {
    Locked l;
    Processor* p = l.At(processor);
    if (!p) return BREVIX_BAD_ARGUMENT;
    p->commandLogBase += int(p->commandLog.size());
    p->commandLog.clear();
    return BREVIX_OK;
}

int SimCtl_GetCallCount(void) {
    Locked l;
    return l.d.callBase + int(l.d.calls.size());
}

int SimCtl_GetCall(int index, int* op, int* processor) {
    Locked l;
    if (!op || !processor || index < l.d.callBase || index >= l.d.callBase + int(l.d.calls.size()))
        return BREVIX_BAD_ARGUMENT;
    const Driver::Call& c = l.d.calls[size_t(index - l.d.callBase)];
    *op = c.op;
    *processor = c.processor;
    return BREVIX_OK;
}

int SimCtl_GetBoardMemory(int processor, SimCtlBoardMemory* memory) {
    Locked l;
    Processor* p = l.At(processor);
    if (!p || !memory || !p->memory) return BREVIX_BAD_ARGUMENT;
    memory->host = p->memory;
    memory->boardBase = kBoardBase;
    memory->size = kBoardMemorySize;
    memory->programArea = kBoardBase + kProgramAreaOffset;
    memory->programAreaSize = kProgramAreaSize;
    return BREVIX_OK;
}

int SimCtl_SendBoardMessage(int processor, const uint32_t words[BREVIX_MESSAGE_WORDS]) {
    Locked l;
    Processor* p = l.At(processor);
    if (!p || !words || !p->myMessage) return BREVIX_BAD_ARGUMENT;
    Message m;
    std::memcpy(m.data(), words, sizeof(uint32_t) * BREVIX_MESSAGE_WORDS);
    SendToHost(*p, p->myMessage, m);
    return BREVIX_OK;
}

int SimCtl_GetRecordCount(int processor, int subChannel) {
    Locked l;
    Processor* p = l.At(processor);
    if (!p || !SubOk(subChannel)) return -1;
    return p->subs[size_t(subChannel)].records;
}

int SimCtl_HostCall(int processor, const uint32_t message[BREVIX_MESSAGE_WORDS],
                    uint32_t reply[BREVIX_MESSAGE_WORDS], uint32_t timeoutMs) {
    Locked l;
    Processor* p = l.At(processor);
    if (!p || !message || !reply || !p->cRunTime) return BREVIX_BAD_ARGUMENT;
    MessageChannel* c = p->cRunTime;
    c->toBoard.clear(); // replies to earlier calls that timed out
    Message m;
    std::memcpy(m.data(), message, sizeof(uint32_t) * BREVIX_MESSAGE_WORDS);
    SendToHost(*p, c, m);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    // The channel may be destroyed while we wait (an exit call removes the node).
    auto ready = [&] { return p->cRunTime != c || !c->toBoard.empty(); };
    if (!l.d.cv.wait_until(l.lock, deadline, ready) || p->cRunTime != c) return BREVIX_NO_MESSAGE;
    std::memcpy(reply, c->toBoard.front().data(), sizeof(uint32_t) * BREVIX_MESSAGE_WORDS);
    c->toBoard.pop_front();
    return BREVIX_OK;
}

} // extern "C"
