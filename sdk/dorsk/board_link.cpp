#include "sdk/dorsk/board_link.h"

namespace dvr::dorsk {

bool SendBoardCommand(BrevixMessage channel, const BoardCommand& command) {
    for (int attempt = 1;; ++attempt) {
        int answer = BrevixMessageSend(channel, command.words);
        if (answer != BREVIX_BUSY) return answer == BREVIX_OK;
        if (attempt == kBusyAttempts) return false;
        ::Sleep(kBusyPauseMs);
    }
}

int32_t CurrentLocalTimeOffset() {
    TIME_ZONE_INFORMATION zone{};
    // Read at each request: a daylight-saving change must reach the board at once.
    DWORD state = ::GetTimeZoneInformation(&zone);
    if (state == TIME_ZONE_ID_INVALID) return 0;
    return LocalTimeOffsetSeconds(zone.Bias, zone.DaylightBias, state == TIME_ZONE_ID_DAYLIGHT);
}

int64_t CurrentUtcSeconds() {
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    uint64_t ticks = uint64_t{now.dwHighDateTime} << 32 | now.dwLowDateTime;
    constexpr uint64_t kTicksPerSecond = 10'000'000;
    constexpr uint64_t kEpochDifference = 11'644'473'600; // 1601 to 1970, seconds
    return static_cast<int64_t>(ticks / kTicksPerSecond - kEpochDifference);
}

unsigned __stdcall BoardMessageThread(void* arg) {
    SdkBoard& board = *static_cast<SdkBoard*>(arg);
    const HANDLE waits[2] = {board.threadStop.get(), board.messageEvent.get()};
    for (;;) {
        DWORD woke = ::WaitForMultipleObjects(2, waits, FALSE, INFINITE);
        if (woke == WAIT_OBJECT_0 + 1) {
            BoardCommand message{};
            while (BrevixMessageReceive(board.messageChannel, message.words) == BREVIX_OK) {
                switch (ClassifyBoardMessage(message)) {
                case BoardMessageAction::AnswerTime:
                    // No SDK lock here; a lost answer is not retried.
                    SendBoardCommand(
                        board.messageChannel,
                        MakeTimeAnswer(message, CurrentUtcSeconds(), CurrentLocalTimeOffset()));
                    break;
                case BoardMessageAction::SignalReply:
                    ::SetEvent(board.replyEvent.get());
                    break;
                case BoardMessageAction::Ignore:
                    break;
                }
            }
            continue;
        }
        if (woke == WAIT_OBJECT_0 || woke == WAIT_FAILED) break;
    }
    ::SetEvent(board.threadEnd.get());
    return 0;
}

} // namespace dvr::dorsk
