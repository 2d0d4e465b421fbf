// The host list as the remote-service windows offer it: addresses to pick and each host's
// port for a service.
#pragma once

#include "host/engine/U_ClientGroups.h"

#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// The address of every host whose address is not empty, each once, in list order.
std::vector<std::string> HostAddressList(const std::vector<TClientGroup>& groups);

// The port table slot of the first host with that address; the default table's slot when no
// host has it.
int HostPort(const std::vector<TClientGroup>& groups, std::string_view address, int slot,
             const NetPortTable& defaults);

} // namespace vantrel
