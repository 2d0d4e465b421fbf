#include "host/net/U_UDPMessageClient.h"

#include <vector>

namespace vantrel {

namespace {
#ifdef VANTREL_CONTROL_BUILD
constexpr int kReaderPriority = THREAD_PRIORITY_NORMAL;
#else
constexpr int kReaderPriority = THREAD_PRIORITY_HIGHEST;
#endif
} // namespace

TUDPMessageClient::TUDPMessageClient(TUDPReplyWindows& windows, TRemoteAlarmHost& alarms,
                                     int alarmPort)
    : router_(windows, alarms, ui_), request_(0, kReplyBufferSize) {
    try {
        if (alarmPort >= 0) alarm_ = std::make_unique<TUdpSocket>(alarmPort, kServerBufferSize);
    } catch (const std::exception&) {
        alarm_.reset();
    }
    if (alarm_) {
        alarmListener_ = std::make_unique<TUdpReceiveThread>(
            alarm_->Get(), kServerBufferSize, THREAD_PRIORITY_NORMAL,
            [this](const uint8_t* data, size_t length, const std::string&, int) {
                if (length != sizeof(AlarmUploadRecord)) return;
                if (ui_.Pending() >= kMaxPendingDatagrams) return;
                std::vector<uint8_t> copy(data, data + length);
                ui_.Run([this, copy = std::move(copy)] {
                    router_.AlarmListenerDatagram(copy.data(), copy.size());
                });
            });
    }
    reader_ = std::make_unique<TUdpReceiveThread>(
        request_.Get(), kReplyBufferSize, kReaderPriority,
        [this](const uint8_t* data, size_t length, const std::string& sender, int) {
            if (ui_.Pending() >= kMaxPendingDatagrams) return;
            router_.Route(data, length, sender);
        });
}

TUDPMessageClient::~TUDPMessageClient() {
    // The reader goes first: it must be gone before the request socket and the router.
    reader_.reset();
    alarmListener_.reset();
}

void TUDPMessageClient::SendTo(const void* buffer, int length, int port, const std::string& host) {
    std::lock_guard<std::mutex> hold(sendLock_);
    request_.SendTo(buffer, length, port, host);
}

TReplyWait::TReplyWait(std::function<void()> onGiveUp, unsigned timeoutMs)
    : onGiveUp_(std::move(onGiveUp)), timer_(timeoutMs, [this] { Expire(); }) {}

void TReplyWait::Start() {
    timedOut_ = false;
    timer_.SetEnabled(false);
    timer_.SetEnabled(true);
}

void TReplyWait::Done() {
    timer_.SetEnabled(false);
    timedOut_ = false;
}

void TReplyWait::Expire() {
    timer_.SetEnabled(false);
    timedOut_ = true;
    if (onGiveUp_) onGiveUp_();
}

} // namespace vantrel
