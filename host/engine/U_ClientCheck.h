// The two checks every remote request passes: its user and password, and its address.
#pragma once

#include "host/engine/U_ClientCheckSet.h"

#include <string_view>

namespace vantrel {

class TClientCheck {
public:
    explicit TClientCheck(const TClientCheckSet& set) : set_(set) {}

    bool CheckUser(std::string_view name, std::string_view password, int right, int item,
                   int subItem) const;
    bool CheckIP(std::string_view address, int right, int item, int subItem) const;
    // Either list has an entry in use (or cannot be read): the host is not open to everyone.
    bool ListsInUse() const;
    // The address has an entry in use in the address list.
    bool AddressListed(std::string_view address) const;

private:
    const TClientCheckSet& set_;
};

} // namespace vantrel
