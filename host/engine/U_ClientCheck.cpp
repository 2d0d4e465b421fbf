#include "host/engine/U_ClientCheck.h"

namespace vantrel {

bool TClientCheck::CheckUser(std::string_view name, std::string_view password, int right, int item,
                             int subItem) const {
    const auto lists = set_.Current();
    if (!lists || lists->UsersUnreadable) return false;
    return CheckRemoteUser(lists->Users, name, password, right, item, subItem);
}

bool TClientCheck::CheckIP(std::string_view address, int right, int item, int subItem) const {
    const auto lists = set_.Current();
    if (!lists || lists->IPsUnreadable) return false;
    return CheckRemoteIP(lists->IPs, address, right, item, subItem);
}

bool TClientCheck::ListsInUse() const {
    const auto lists = set_.Current();
    if (!lists) return true;
    return lists->UsersUnreadable || lists->IPsUnreadable || RemoteUsersInUse(lists->Users) ||
           RemoteIPsInUse(lists->IPs);
}

bool TClientCheck::AddressListed(std::string_view address) const {
    const auto lists = set_.Current();
    return lists && !lists->IPsUnreadable && RemoteAddressListed(lists->IPs, address);
}

} // namespace vantrel
