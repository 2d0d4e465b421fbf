// Untrusted answers of the name server: lookup replies applied to the host groups, and the
// host records a search collects.
#include "host/net/U_NameServerRecords.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    static std::vector<vantrel::TClientGroup> groups(3);
    static std::vector<vantrel::TClientGroupRecord> records(3);
    vantrel::ApplyLookupReply(vantrel::ParseLookupReply(text), groups, records);
    // A search answer is taken whole when it is a record's size, as the dialog does.
    if (size >= sizeof(vantrel::HostRegistrationRecord)) {
        vantrel::HostRegistrationRecord record;
        std::memcpy(&record, data, sizeof record);
        record.Address.Set("127.0.0.1");
        size_t seen = record.NetName.View().size();
        for (const auto& n : record.ChannelNames)
            seen += n.View().size();
        if (seen > 20 * 50) __builtin_trap();
    }
    return 0;
}
