// Host interface of the board driver: processors, firmware, events, message
// channels, shared memory and bus-address translation.
//
// Every operation returns BREVIX_OK (0) on success. Board addresses and bus
// addresses are 32-bit: board memory and shared blocks lie below 2 GB, so
// callers turn them into pointers with uintptr_t arithmetic.
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(BREVIX32_BUILD)
#define BREVIXAPI __declspec(dllexport)
#else
#define BREVIXAPI __declspec(dllimport)
#endif

// Opaque handles; 0 is never a valid handle.
typedef struct BrevixDsp_* BrevixDsp;                   // an opened processor
typedef struct BrevixEvent_* BrevixEvent;               // a bound driver event
typedef struct BrevixMessage_* BrevixMessage;           // a message channel
typedef struct BrevixSharedMemory_* BrevixSharedMemory; // a shared block

enum {
    BREVIX_OK = 0,
    BREVIX_ERROR = 1,        // generic failure
    BREVIX_BAD_ARGUMENT = 2, // null pointer, unknown processor or handle
    BREVIX_NO_MESSAGE = 3,   // BrevixMessageReceive: nothing waits
    BREVIX_BAD_STATE = 4,    // e.g. start without a loaded firmware
    BREVIX_NOT_FOUND = 5,    // firmware file missing, unknown translation
    BREVIX_NO_MEMORY = 6,
    BREVIX_BUSY = 210, // BrevixMessageSend: channel busy, try again
};

// Processor states reported by BrevixDSPGetStatus.
enum {
    BREVIX_STATUS_RESET = 0,   // halted, nothing loaded
    BREVIX_STATUS_LOADED = 1,  // firmware loaded, not started
    BREVIX_STATUS_RUNNING = 2, // firmware runs
};

// Words of a driver message (message channels carry exactly six).
#define BREVIX_MESSAGE_WORDS 6

// BrevixEventCreate / BrevixMessageCreate mode: the driver sets the given
// Windows event on each signal or arrival from the board.
#define BREVIX_NOTIFY_WIN_EVENT 2

// BrevixDSPLoad's second argument: load the whole file.
#define BREVIX_LOAD_ALL (-1)

// Record filled by BrevixDSPGetInfo. A board address b is at host address
// b + hostBase - boardBase (32-bit arithmetic, then widened to uintptr_t).
typedef struct BrevixDspInfo {
    uint32_t hostBase;        // host address of board memory
    uint32_t boardBase;       // the same memory as the board addresses it
    uint32_t boardMemorySize; // bytes
    uint32_t type;            // channel count of the processor
} BrevixDspInfo;

// Processors.
BREVIXAPI int BrevixDSPGetNum(void);
BREVIXAPI int BrevixDSPGetType(int processor, int* type);
BREVIXAPI int BrevixDSPOpen(int processor, BrevixDsp* dsp);
BREVIXAPI int BrevixDSPGetStatus(BrevixDsp dsp, int* status);
BREVIXAPI int BrevixDSPStop(BrevixDsp dsp);
BREVIXAPI int BrevixDSPGetInfo(BrevixDsp dsp, BrevixDspInfo* info);
BREVIXAPI int BrevixDSPLoad(BrevixDsp dsp, int section, const char* path);
BREVIXAPI int BrevixDSPStart(BrevixDsp dsp);
BREVIXAPI int BrevixDSPClose(BrevixDsp dsp);

// Events: board signals set windowsEvent (a Win32 HANDLE); BrevixEventSignal
// goes the other way, to the board, and never sets windowsEvent.
BREVIXAPI int BrevixEventCreate(BrevixDsp dsp, const char* name, void* windowsEvent, int mode,
                                BrevixEvent* event);
BREVIXAPI int BrevixEventSignal(BrevixEvent event);
BREVIXAPI int BrevixEventDestroy(BrevixEvent event);

// Message channels ("MyMessage", "CRunTime"): each arrival from the board
// sets windowsEvent.
BREVIXAPI int BrevixMessageCreate(BrevixDsp dsp, const char* name, void* windowsEvent, int mode,
                                  BrevixMessage* channel);
BREVIXAPI int BrevixMessageSend(BrevixMessage channel, const uint32_t words[BREVIX_MESSAGE_WORDS]);
BREVIXAPI int BrevixMessageReceive(BrevixMessage channel, uint32_t words[BREVIX_MESSAGE_WORDS]);
BREVIXAPI int BrevixMessageDestroy(BrevixMessage channel);

// Shared blocks ("Memory"): *hostAddress is below 2 GB.
BREVIXAPI int BrevixSharedMemoryCreate(BrevixDsp dsp, const char* name, uint32_t size,
                                       void** hostAddress, BrevixSharedMemory* block);
BREVIXAPI int BrevixSharedMemoryDestroy(BrevixSharedMemory block);

// An address the board can write pixels to for [hostAddress, hostAddress + length).
BREVIXAPI int BrevixTranslateAdapterAddress(void* hostAddress, uint32_t length,
                                            uint32_t* busAddress);

#ifdef __cplusplus
}
#endif
