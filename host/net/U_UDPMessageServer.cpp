#include "host/net/U_UDPMessageServer.h"

#include <vector>

namespace vantrel {

TUDPMessageServer::TUDPMessageServer(TUDPServerHost& host, int port)
    : dispatch_(host, *this), reply_(0, kReplyBufferSize), request_(port, kServerBufferSize) {
    listener_ = std::make_unique<TUdpReceiveThread>(
        request_.Get(), kServerBufferSize, THREAD_PRIORITY_NORMAL,
        [this](const uint8_t* data, size_t length, const std::string& sender, int senderPort) {
            // The dispatch runs on the user-interface thread, one datagram at a time. While
            // that thread is busy a flood is dropped here instead of piling up in memory.
            if (ui_.Pending() >= kMaxPendingDatagrams) return;
            std::vector<uint8_t> copy(data, data + length);
            ui_.Run([this, copy = std::move(copy), sender, senderPort] {
                dispatch_.Dispatch(copy.data(), copy.size(), sender, senderPort);
            });
        });
}

TUDPMessageServer::~TUDPMessageServer() {
    listener_.reset();
    request_.Close();
}

void TUDPMessageServer::SendTo(const void* buffer, int length, int port, const std::string& host) {
    std::lock_guard<std::mutex> hold(replyLock_);
    reply_.SendTo(buffer, length, port, host);
}

} // namespace vantrel
