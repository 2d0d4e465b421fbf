#include "sdk/dorsk/board_boot.h"

#include "sdk/dorsk/board_link.h"

#include <process.h>

#include <cstring>

namespace dvr::dorsk {
namespace {

constexpr const char* kDriverEventName = "MyEvent";
constexpr const char* kMessageChannelName = "MyMessage";
constexpr const char* kSharedMemoryName = "Memory";
constexpr DWORD kAfterStopPauseMs = 100;

// At boot the host resets the 14 slot-full words, the index of the last slot taken and
// the word after it (offsets in stream_intake.h).
static_assert(kLastTakenOffset + 8 <= kSharedMemorySize);

win::Event NewEvent(bool manual_reset) {
    return win::Event(::CreateEventW(nullptr, manual_reset, FALSE, nullptr));
}

// Releases whatever the processor holds, firmware first so that it no longer touches
// the events, channel and block that follow.
void ReleaseBoard(SdkBoard& board) {
    if (board.messageThread) {
        ::SetEvent(board.threadStop.get());
        ::WaitForSingleObject(board.threadEnd.get(), INFINITE);
        ::WaitForSingleObject(board.messageThread.get(), INFINITE);
    }
    board.messageThread.reset();
    board.threadStop.reset();
    board.threadEnd.reset();

    if (board.dsp && board.firmwareStarted) BrevixDSPStop(board.dsp);
    board.firmwareStarted = false;
    if (board.messageChannel) BrevixMessageDestroy(board.messageChannel);
    board.messageChannel = nullptr;
    board.messageEvent.reset();
    if (board.driverEvent) BrevixEventDestroy(board.driverEvent);
    board.driverEvent = nullptr;
    board.replyEvent.reset();

    if (board.sharedBlock) {
        // The slot reader walks the block under this lock.
        SectionLock stream(g_sdk.streamLocks[board.index]);
        BrevixSharedMemoryDestroy(board.sharedBlock);
        board.sharedBlock = nullptr;
        board.sharedMemory = nullptr;
    }
    if (board.dsp) BrevixDSPClose(board.dsp);
    board.dsp = nullptr;
    board.booted = 0;
}

const char* FirmwareFor(int32_t type) {
    if (type == 4 && g_sdk.mainFirmwarePresent) return kMainFirmware;
    if (type == 1 && g_sdk.singleFirmwarePresent) return kSingleFirmware;
    return nullptr;
}

bool WaitForReply(const SdkBoard& board, DWORD ms) {
    return ::WaitForSingleObject(board.replyEvent.get(), ms) == WAIT_OBJECT_0;
}

// Runs the boot steps; answers 0 or the error word of the first failure.
uint32_t RunBoot(SdkBoard& board) {
    if (!board.bootable) return kSdkProcessorOpen;
    if (BrevixDSPOpen(board.index, &board.dsp) != BREVIX_OK || !board.dsp) {
        board.dsp = nullptr;
        return kSdkProcessorOpen;
    }
    int status = 0;
    if (BrevixDSPGetStatus(board.dsp, &status) != BREVIX_OK) return kSdkDriverFailed;
    if (status == BREVIX_STATUS_RUNNING) BrevixDSPStop(board.dsp);
    BrevixDspInfo info{};
    if (BrevixDSPGetInfo(board.dsp, &info) != BREVIX_OK) return kSdkDriverFailed;
    board.hostBase = info.hostBase;
    board.boardBase = info.boardBase;

    const char* firmware = FirmwareFor(board.channelCount);
    if (!firmware) return kSdkNoFirmware;
    if (BrevixDSPLoad(board.dsp, BREVIX_LOAD_ALL, firmware) != BREVIX_OK) return kSdkDriverFailed;

    board.replyEvent = NewEvent(false);
    if (!board.replyEvent) return kSdkDriverFailed;
    if (BrevixEventCreate(board.dsp, kDriverEventName, board.replyEvent.get(),
                          BREVIX_NOTIFY_WIN_EVENT, &board.driverEvent) != BREVIX_OK) {
        board.driverEvent = nullptr;
        return kSdkDriverFailed;
    }
    if (BrevixDSPStart(board.dsp) != BREVIX_OK) return kSdkDriverFailed;
    board.firmwareStarted = true;
    if (!WaitForReply(board, kBootWaitMs)) return kSdkBoardTimeout;

    board.messageEvent = NewEvent(false);
    if (!board.messageEvent) return kSdkDriverFailed;
    if (BrevixMessageCreate(board.dsp, kMessageChannelName, board.messageEvent.get(),
                            BREVIX_NOTIFY_WIN_EVENT, &board.messageChannel) != BREVIX_OK) {
        board.messageChannel = nullptr;
        return kSdkDriverFailed;
    }
    BrevixEventSignal(board.driverEvent);
    if (!WaitForReply(board, kBootWaitMs)) return kSdkBoardTimeout;

    void* host = nullptr;
    if (BrevixSharedMemoryCreate(board.dsp, kSharedMemoryName, kSharedMemorySize, &host,
                                 &board.sharedBlock) != BREVIX_OK ||
        !host) {
        if (board.sharedBlock) BrevixSharedMemoryDestroy(board.sharedBlock);
        board.sharedBlock = nullptr;
        return kSdkDriverFailed;
    }
    {
        SectionLock stream(g_sdk.streamLocks[board.index]);
        board.sharedMemory = static_cast<uint8_t*>(host);
        std::memset(board.sharedMemory + kSlotFullOffset, 0, kSlotCount * sizeof(int32_t));
        std::memset(board.sharedMemory + kLastTakenOffset, 0, 2 * sizeof(int32_t));
        board.intake = ProcessorIntake{};
        board.intake.type = board.channelCount;
        for (int s = 0; s < kMaxSubChannels; ++s)
            board.intake.channels[s] = board.channelNumber[s];
    }

    board.threadStop = NewEvent(true);
    board.threadEnd = NewEvent(true);
    if (!board.threadStop || !board.threadEnd) return kSdkThreadFailed;
    board.messageThread.reset(reinterpret_cast<HANDLE>(
        ::_beginthreadex(nullptr, 0, BoardMessageThread, &board, 0, nullptr)));
    if (!board.messageThread) return kSdkThreadFailed;
    BrevixEventSignal(board.driverEvent);
    return 0;
}

} // namespace

bool BootBoard(SdkBoard& board, int sub) {
    uint32_t error = RunBoot(board);
    if (error != 0) {
        StoreError(error);
        ReleaseBoard(board);
        board.bootable = 0;
        return false;
    }
    board.booted = 1;
    board.subOpen[sub] = 1;
    // The board answers nothing the host waits for.
    SendBoardCommand(board.messageChannel, MakeCommand(Word0Value(kCmdBoardStart, board.index)));
    return true;
}

void ShutdownBoard(SdkBoard& board) {
    SendBoardCommand(board.messageChannel, MakeCommand(Word0Value(kCmdBoardStop, 0)));
    WaitForReply(board, kStopReplyWaitMs);
    ::Sleep(kAfterStopPauseMs);
    ReleaseBoard(board);
}

} // namespace dvr::dorsk
