#include "host/net/U_NetNameRegistration.h"

#include "host/engine/U_PreviewSet.h"
#include "host/net/U_UdpSend.h"

#include <algorithm>

namespace vantrel {

std::vector<std::string> BoardChannelTitles(const TPreviewSet& previewSet, int boardChannels) {
    std::vector<std::string> titles;
    const int count = std::clamp(boardChannels, 0, static_cast<int>(previewSet.Records.size()));
    for (int n = 0; n < count; ++n)
        titles.push_back(previewSet.Records[static_cast<size_t>(n)].Title.Get());
    return titles;
}

TNetNameRegistration::TNetNameRegistration(uint16_t registerPort) : port_(registerPort) {
    WSADATA wsa{};
    wsaStarted_ = ::WSAStartup(MAKEWORD(2, 2), &wsa) == 0;
    socket_.reset(OpenUdpSocket());
}

TNetNameRegistration::~TNetNameRegistration() {
    socket_.reset();
    if (wsaStarted_) ::WSACleanup();
}

bool TNetNameRegistration::Register(const TOtherSettingsRecord& other,
                                    const std::vector<std::string>& boardTitles,
                                    const NetPortTable& ports) {
    if (other.RegisteredName.View().empty() || other.NameServerAddress.View().empty() || !socket_)
        return false;
    const HostRegistrationRecord record =
        BuildHostRegistration(other.RegisteredName.View(), boardTitles, ports);
    return SendDatagram(socket_.get(), other.NameServerAddress.View(), port_, &record,
                        sizeof(record)) == static_cast<int>(sizeof(record));
}

bool TNetNameRegistration::SendShutdownNotice(const TOtherSettingsRecord& other,
                                              int32_t boardChannels) {
    if (other.NameServerAddress.View().empty() || !socket_) return false;
    const std::string notice = BuildShutdownNotice(boardChannels);
    return SendDatagram(socket_.get(), other.NameServerAddress.View(), port_, notice.data(),
                        notice.size()) == static_cast<int>(notice.size());
}

} // namespace vantrel
