// Test control of the simulated board behind Brevix32.dll: configuration,
// fault injection, the log of host commands and access to board memory.
// Exported by Brevix32.dll next to the driver operations.
//
// Configuration text, one item per line, '#' starts a comment:
//   processor <type> [status <n>]     adds a processor (type 4 or 1; any value
//                                     is accepted to model odd boards)
//   source <proc> <sub> <path|none|synthetic>
//                                     record script replayed by that sub-channel;
//                                     relative paths are taken from the config's folder
//   video <proc> <sub> 0|1            video signal present
//   speed <n>                         replay n times faster than real time
//   sound 0|1                         stream headers announce sound (default 1)
// Without "processor" lines the configuration is one type-4 processor.
// The configuration in force is, first found: the last SimCtl_Configure; the
// file named by the environment variable BREVIX_SIM_CONFIG; the firmware file
// "Main.out" in the current folder when it holds configuration text; the default:
// four type-4 processors (16 channels), channel N replaying the fixture clip
// chNN.brs (else another fixture script, else a built-in synthetic source).
#pragma once

#include "sim/brevix32/Brevix32.h"

#ifdef __cplusplus
extern "C" {
#endif

// Every SimCtl_ operation returns 0 on success unless it says otherwise.

// Replaces the configuration and clears faults, logs and counters. Fails
// (BREVIX_BAD_STATE) while a processor is open.
BREVIXAPI int SimCtl_Configure(const char* text);
// Back to the configuration found on first use; same restrictions.
BREVIXAPI int SimCtl_Reset(void);
// Replay speed factor (1 = real time); takes effect at once.
BREVIXAPI int SimCtl_SetSpeed(int factor);

// Driver operations, for SimCtl_FailOperation and the call log.
enum {
    SIMCTL_OP_GET_NUM = 1,
    SIMCTL_OP_GET_TYPE,
    SIMCTL_OP_OPEN,
    SIMCTL_OP_GET_STATUS,
    SIMCTL_OP_STOP,
    SIMCTL_OP_GET_INFO,
    SIMCTL_OP_LOAD,
    SIMCTL_OP_START,
    SIMCTL_OP_CLOSE,
    SIMCTL_OP_EVENT_CREATE,
    SIMCTL_OP_EVENT_SIGNAL,
    SIMCTL_OP_EVENT_DESTROY,
    SIMCTL_OP_MESSAGE_CREATE,
    SIMCTL_OP_MESSAGE_SEND,
    SIMCTL_OP_MESSAGE_RECEIVE,
    SIMCTL_OP_MESSAGE_DESTROY,
    SIMCTL_OP_SHARED_MEMORY_CREATE,
    SIMCTL_OP_SHARED_MEMORY_DESTROY,
    SIMCTL_OP_TRANSLATE_ADDRESS,
};

// The next `count` calls of `op` on processor `processor` fail with
// BREVIX_ERROR (count -1: until cleared with 0). Operations without a
// processor (get-num, translate) ignore `processor`.
BREVIXAPI int SimCtl_FailOperation(int processor, int op, int count);

// Processor faults, set with SimCtl_SetFault (value 0 clears).
enum {
    SIMCTL_FAULT_BUSY = 1,    // the next `value` host sends answer BREVIX_BUSY
    SIMCTL_FAULT_SKIP_SIGNAL, // boot signal number `value` (1 or 2) never comes
    SIMCTL_FAULT_NO_MAGIC,    // the control block is written without its magic
    SIMCTL_FAULT_GRAB_SILENT, // grabs fill nothing and never answer
    SIMCTL_FAULT_GRAB_SIZE,   // grabs report `value` bytes in the buffer's length word
};
BREVIXAPI int SimCtl_SetFault(int processor, int fault, int value);

// Malformed slot sequences, written between two records of the stream.
enum {
    SIMCTL_SLOTS_SHORT_COUNT = 1,  // a header slot whose byte count is below 16
    SIMCTL_SLOTS_LONG_COUNT,       // a byte count above 4096
    SIMCTL_SLOTS_EMPTY_PAYLOAD,    // payload length 0
    SIMCTL_SLOTS_NEGATIVE_PAYLOAD, // payload length -1
    SIMCTL_SLOTS_HUGE_PAYLOAD,     // payload length above 1 MB
    SIMCTL_SLOTS_OVERRUN,          // a continuation longer than the length announced
    SIMCTL_SLOTS_NEW_HEADER,       // a new header while a record is in progress
    SIMCTL_SLOTS_BAD_SUBCHANNEL,   // sub-channel not below the processor's type
    SIMCTL_SLOTS_BAD_AUDIO_PAIR,   // an audio record split other than 4080 + 1184
};
BREVIXAPI int SimCtl_InjectSlots(int processor, int kind);
// Writes one slot as given: `length` bytes of data and `byteCount` as the slot's
// byte count word (which may lie), between two records.
BREVIXAPI int SimCtl_InjectRawSlot(int processor, const void* data, uint32_t length,
                                   int32_t byteCount);

// Video signal of one sub-channel (status block word 1).
BREVIXAPI int SimCtl_SetVideoPresent(int processor, int subChannel, int present);
// Raises (level > 0) or clears the motion activity of one 16x16 block.
BREVIXAPI int SimCtl_SetMotion(int processor, int subChannel, int block, int level);

// Log of host commands received on "MyMessage" (every one, in arrival order).
BREVIXAPI int SimCtl_GetCommandCount(int processor);
BREVIXAPI int SimCtl_GetCommand(int processor, int index, uint32_t words[BREVIX_MESSAGE_WORDS]);
// Waits for a logged command with `code` at index >= `fromIndex`; returns its
// index (copying its words when `words` is not null) or -1 on time-out.
BREVIXAPI int SimCtl_WaitCommand(int processor, uint32_t code, int fromIndex, uint32_t timeoutMs,
                                 uint32_t words[BREVIX_MESSAGE_WORDS]);
BREVIXAPI int SimCtl_ClearCommandLog(int processor);
// Waits until the running firmware has carried out every command logged so far (what it makes
// from then on follows them); 0, or -1 on time-out.
BREVIXAPI int SimCtl_WaitCommandsObeyed(int processor, uint32_t timeoutMs);

// Log of driver operations (all processors, in call order): each entry is the
// operation and the processor it concerned (-1 when none).
BREVIXAPI int SimCtl_GetCallCount(void);
BREVIXAPI int SimCtl_GetCall(int index, int* op, int* processor);

// Board memory of a processor (valid from BrevixDSPOpen to BrevixDSPClose).
// The program area is free board memory for test programs (host-call records
// and their buffers).
typedef struct SimCtlBoardMemory {
    void* host;         // host address of board memory
    uint32_t boardBase; // its board address
    uint32_t size;
    uint32_t programArea; // board address of the program area
    uint32_t programAreaSize;
} SimCtlBoardMemory;
BREVIXAPI int SimCtl_GetBoardMemory(int processor, SimCtlBoardMemory* memory);

// Sends a board message to the host on "MyMessage" (e.g. 28 time request, 35,
// 36 or 37 acknowledgements).
BREVIXAPI int SimCtl_SendBoardMessage(int processor, const uint32_t words[BREVIX_MESSAGE_WORDS]);

// Records delivered to the slots so far for one sub-channel (any type).
BREVIXAPI int SimCtl_GetRecordCount(int processor, int subChannel);

// A board program's host call: sends `message` (word 0 = board address of the
// HostCallRecord already written into board memory) on the processor's
// "CRunTime" channel, then waits up to timeoutMs for the six words back.
// Returns 0 with the reply, or BREVIX_NO_MESSAGE on time-out (exit calls get
// no reply).
BREVIXAPI int SimCtl_HostCall(int processor, const uint32_t message[BREVIX_MESSAGE_WORDS],
                              uint32_t reply[BREVIX_MESSAGE_WORDS], uint32_t timeoutMs);

#ifdef __cplusplus
}
#endif
