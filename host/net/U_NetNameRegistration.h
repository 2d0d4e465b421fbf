// The host's announcement to the name server (the main window's 5 s timer) and its shutdown
// notice, through the main window's UDP client.
#pragma once

#include "host/net/U_NameServerRecords.h"

#include "common/win/handles.h"

#include <string>
#include <vector>

namespace vantrel {

class TPreviewSet;

// The titles of board channels 0 .. count - 1 from the picture settings, as the name server
// and the web server's host information carry them.
std::vector<std::string> BoardChannelTitles(const TPreviewSet& previewSet, int boardChannels);

class TNetNameRegistration {
public:
    explicit TNetNameRegistration(uint16_t registerPort = kNameServerRegisterPort);
    ~TNetNameRegistration();
    TNetNameRegistration(const TNetNameRegistration&) = delete;
    TNetNameRegistration& operator=(const TNetNameRegistration&) = delete;

    // One registration (Timer2Timer): nothing unless both the net name and the name-server
    // address are set; true when the record was sent. Errors are swallowed.
    bool Register(const TOtherSettingsRecord& other, const std::vector<std::string>& boardTitles,
                  const NetPortTable& ports);
    // The 4-byte notice with the board channel count; true when sent.
    bool SendShutdownNotice(const TOtherSettingsRecord& other, int32_t boardChannels);

private:
    uint16_t port_;
    bool wsaStarted_ = false;
    dvr::win::Socket socket_;
};

} // namespace vantrel
