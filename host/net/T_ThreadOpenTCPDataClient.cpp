#include "host/net/T_ThreadOpenTCPDataClient.h"

#include "host/engine/U_Arithmetic.h"

namespace vantrel {

void TThreadOpenTCPDataClient::Create(TTCPDataClient& client, const TChannelOpenRequest& request) {
    const std::string host = request.HostAddress.Get();
    const bool dotted = TArithmetic::IsIPAddress(host);
    const std::string hostName = dotted ? std::string() : host;
    const std::string addressText = dotted ? host : std::string();
    const int port = request.PortBase + request.Channel;
    const uint64_t epoch = client.Epoch();
    client.AddConnectThread(std::make_unique<TSocketThread>(
        [&client, request, hostName, addressText, port, epoch](TSocketThread&) {
            Execute(client, request, hostName, addressText, port, epoch);
        },
        THREAD_PRIORITY_NORMAL));
}

void TThreadOpenTCPDataClient::Execute(TTCPDataClient& client, const TChannelOpenRequest& request,
                                       const std::string& hostName, const std::string& addressText,
                                       int port, uint64_t epoch) {
    bool joined = false;
    if (!client.Connect(hostName, addressText, port, kNetReceiveBufferSize, request.Channel,
                        &joined)) {
        client.ConnectFailed(epoch);
        return;
    }
    if (joined) return;
    bool sent = false;
    for (int attempt = 0; attempt < kNetRequestSendAttempts && !sent; ++attempt)
        sent = client.SendBuffer(&request, kChannelOpenRequestSize) > 0;
    if (!sent) {
        if (TNetPane* pane = client.Pane; pane && client.Epoch() == epoch) pane->Previewing = false;
        client.Disconnect();
        return;
    }
    // Closed while the connect was under way: nobody wants the stream any more.
    if (!client.Wanted()) client.Disconnect();
}

} // namespace vantrel
