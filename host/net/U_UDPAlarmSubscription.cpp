#include "host/net/U_UDPAlarmSubscription.h"

#include <mutex>
#include <shared_mutex>

namespace vantrel {

int SubscribeViewerAlarms(TTCPMainConnecter& viewers, const std::string& address, int port) {
    int count = 0;
    for (TTCPConnecter* v = viewers.Head.load(); v; v = v->Next.load()) {
        if (v->Closed || v->PeerAddressText != address) continue;
        v->AlarmPort = port;
        v->AlarmAddress = address;
        ++count;
    }
    return count;
}

int SubscribeViewerAlarms(TLiveServers& servers, int channel, const std::string& address,
                          int port) {
    if (servers.Stopping()) return 0;
    std::shared_lock guard(servers.ListsLock());
    TTCPMainConnecter* viewers = servers.Viewers(channel);
    return viewers ? SubscribeViewerAlarms(*viewers, address, port) : 0;
}

} // namespace vantrel
