// The face's menu items that open the host's viewer-side windows: the host-group dialog, the
// host search, the work logs, the disk views and the remote control window.
#pragma once

#include "host/engine/U_HostRecords.h"
#include "host/net/U_NameServerRecords.h"


#include <functional>
#include <string>
#include <vector>

namespace vantrel {
class TArithmetic;
class TNetClientSet;
class TWorkLog;
} // namespace vantrel

namespace vantrel::webctl {

class TVantrelIE_QZ;
class TControlUdpClient;

// The host tables made from the hosts a search found: one top-level group per host with its
// ports and an identity of its own, one enabled channel record per channel it names.
struct TFoundHostList {
    std::vector<TClientGroupRecord> Groups;
    std::vector<TClientChannelRecord> Channels;
};
TFoundHostList HostListFromSearch(const std::vector<HostRegistrationRecord>& found);

struct TMenuWindowParts {
    TNetClientSet* Hosts = nullptr;
    TArithmetic* Arithmetic = nullptr;
    TControlUdpClient* Udp = nullptr;
    TWorkLog* WorkLog = nullptr;
    std::string OwnIP;
    std::function<void(int event)> Log;
    // Messages to the operator (GBK); a message box unless set.
    std::function<void(const std::string&)> ShowMessage;
};

// Gives the items their actions; the actions live with the face.
void InstallMenuWindows(TVantrelIE_QZ& face, TMenuWindowParts parts);

} // namespace vantrel::webctl
