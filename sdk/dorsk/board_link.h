// The command link to a board processor: sending six-word commands and the per-processor
// thread that drains the board's own messages.
#pragma once

#include "sdk/dorsk/sdk_state.h"

namespace dvr::dorsk {

constexpr int kBusyAttempts = 20;
constexpr DWORD kBusyPauseMs = 20;

// Sends one command, retrying while the driver reports the channel busy. True only when
// the driver took it. Callers other than the message thread hold the processor's mutex.
bool SendBoardCommand(BrevixMessage channel, const BoardCommand& command);

// Export result of a send: 0 sent, -1 not sent.
inline int SendResult(bool sent) {
    return sent ? 0 : kNotSent;
}

// Thread body; the argument is the SdkBoard.
unsigned __stdcall BoardMessageThread(void* board);

// The local-time offset in force now, read from the system's time zone.
int32_t CurrentLocalTimeOffset();
// Seconds since 1970 (UTC).
int64_t CurrentUtcSeconds();

} // namespace dvr::dorsk
