// What the built-in web server says: the page with the viewer control's object tag, the
// download .inf, the HTTP headers, the host information reply to "GI" and the choice of
// answer for a request. Portable: the server window only moves these bytes.
#pragma once

#include "host/engine/U_HostRecords.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

constexpr const char* kWebServerKey = "SOFTWARE\\VQS\\WebServer";
constexpr const char* kCabFileName = "Vantrel_IE_QZ.cab";
constexpr const char* kInfFileName = "Vantrel_IE_QZ.inf";
// The bundle is held in a buffer of this size; a larger file is not served.
constexpr size_t kCabCapacity = 1536000;

enum class WebRequestKind { HostInfo, Inf, Cab, Page };

// "GI" exactly asks for the host information; otherwise the .inf name is looked for first,
// then the .cab name; anything else gets the page.
WebRequestKind ClassifyWebRequest(std::string_view request);

// The last five characters of "000000" + the decimal number.
std::string FiveDigitPort(int32_t port);

// Ports 0-6 and 12-15 as five digits each, the host name, "|", then each title and ";".
std::string BuildHostInfoReply(const NetPortTable& ports, std::string_view hostName,
                               const std::vector<std::string>& boardTitles);

// The download page and .inf text for links to http://addr:port/.
std::string BuildWebPage(std::string_view addr, int port);
std::string BuildInfText(std::string_view addr, int port);

// Header for the .inf and .cab answers ("A") and for the page ("B").
std::string BuildFileHeader(size_t contentLength);
std::string BuildPageHeader(size_t contentLength);

// The stored "Addr" value: "1" + address when the chosen address is used in the links,
// otherwise "0" + address.
struct WebAddrSetting {
    bool UseAddr = false;
    std::string Addr;
};
// Checked when the text is not empty and does not begin with "0"; the address is the text
// without its first character.
WebAddrSetting ParseWebAddrSetting(std::string_view text);
std::string FormatWebAddrSetting(const WebAddrSetting& setting);

// The rows of the connections whose control has asked "GI": peer address and connection.
class TWebConnectionRows {
public:
    struct Row {
        std::string PeerAddress;
        uintptr_t Connection;
    };
    // A "GI" has been answered on `connection`: true when it is to be closed because a row
    // with this address exists; otherwise a row is added.
    bool HostInfoAnswered(std::string_view peerAddress, uintptr_t connection);
    // The first row of that connection goes; false when there is none.
    bool Remove(uintptr_t connection);
    // HTTP requests are closed unanswered while the rows exceed the maximum.
    bool RefuseHttp(int maxConnectCount) const {
        return static_cast<int>(rows_.size()) > maxConnectCount;
    }
    const std::vector<Row>& Rows() const { return rows_; }

private:
    std::vector<Row> rows_;
};

} // namespace vantrel
