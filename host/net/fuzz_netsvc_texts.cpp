// Untrusted texts of the web server, the name server's lookup replies and the voice list.
#include "host/net/U_NameServerRecords.h"
#include "host/net/U_NetTalkList.h"
#include "host/net/U_WebContent.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    vantrel::ClassifyWebRequest(text);
    vantrel::ParseWebAddrSetting(text);
    static std::vector<vantrel::TClientGroup> groups(2);
    static std::vector<vantrel::TClientGroupRecord> records(2);
    vantrel::ApplyLookupReply(vantrel::ParseLookupReply(text), groups, records);
    for (const auto& row : vantrel::ParseNetTalkList(text))
        vantrel::NetTalkRowPort(row, 59000);
    vantrel::BuildSearchRequest(text, text);
    vantrel::BuildLookupRequest(text, text, text, text);
    return 0;
}
