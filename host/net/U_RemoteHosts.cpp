#include "host/net/U_RemoteHosts.h"

#include <algorithm>

namespace vantrel {

std::vector<std::string> HostAddressList(const std::vector<TClientGroup>& groups) {
    std::vector<std::string> list;
    for (const TClientGroup& g : groups) {
        std::string a = g.HostAddress.Get();
        if (!a.empty() && std::find(list.begin(), list.end(), a) == list.end())
            list.push_back(std::move(a));
    }
    return list;
}

int HostPort(const std::vector<TClientGroup>& groups, std::string_view address, int slot,
             const NetPortTable& defaults) {
    if (slot < 0 || slot >= NetPortTable::kSlots) return 0;
    for (const TClientGroup& g : groups)
        if (g.HostAddress.View() == address) return g.Ports.Port[slot];
    return defaults.Port[slot];
}

} // namespace vantrel
