// Untrusted datagrams through both classifiers and the server's dispatch.
#include "host/net/U_UDPMessageDispatch.h"
#include "host/net/udp_testing.h"

#include <cstddef>
#include <cstdint>

namespace {

struct NullSender : vantrel::TUDPReplySender {
    void SendTo(const void*, int, int, const std::string&) override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vantrel::ClassifyReply(data, size);
    static vantrel::testing::FakeUdpHost host;
    static NullSender sender;
    vantrel::TUDPMessageDispatch dispatch(host, sender);
    dispatch.Dispatch(data, size, "127.0.0.1", 40000);
    host.calls.clear();
    return 0;
}
