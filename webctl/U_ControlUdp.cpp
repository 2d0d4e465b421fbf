#include "webctl/U_ControlUdp.h"

namespace vantrel::webctl {

TControlUdpClient::TControlUdpClient()
    : client_(std::make_unique<TUDPMessageClient>(Windows, alarms_, -1)) {}

TControlUdpClient::~TControlUdpClient() {
    client_.reset();
}

} // namespace vantrel::webctl
