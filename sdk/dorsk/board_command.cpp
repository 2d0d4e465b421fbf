#include "sdk/dorsk/board_command.h"

namespace dvr::dorsk {

BoardMessageAction ClassifyBoardMessage(const BoardCommand& message) {
    switch (CommandCode(message.words[0])) {
    case kMsgTimeRequest:
        return BoardMessageAction::AnswerTime;
    case kMsgPictureReady:
    case kMsgBoardStopped:
    case kMsgAckFlag:
    case kMsgAck36:
    case kMsgAck37:
        return BoardMessageAction::SignalReply;
    default:
        return BoardMessageAction::Ignore;
    }
}

int32_t LocalTimeOffsetSeconds(int32_t bias, int32_t daylight_bias, bool daylight_now) {
    int32_t minutes = daylight_now ? bias + daylight_bias : bias;
    return -60 * minutes;
}

BoardCommand MakeTimeAnswer(const BoardCommand& request, int64_t utc_seconds,
                            int32_t offset_seconds) {
    BoardCommand answer = request;
    answer.words[0] = Word0Value(kCmdTime, 0);
    answer.words[1] = static_cast<uint32_t>(utc_seconds + offset_seconds);
    return answer;
}

} // namespace dvr::dorsk
