#include "host/ui/F_RemoteMatrixsCtrlForm.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

struct SentDatagram {
    std::string bytes, host;
    int port;
};

class RecordingSender : public TUdpSender {
public:
    void SendTo(const void* buffer, int length, int port, const std::string& host) override {
        sent.push_back({std::string(static_cast<const char*>(buffer), size_t(length)), host, port});
    }
    std::vector<SentDatagram> sent;
};

TClientGroup Host(const char* address, int messagePort) {
    TClientGroup g{};
    g.HostAddress.Set(address);
    g.Ports.Port[14] = messagePort;
    return g;
}

// The addresses of the host entries (distinct, non-empty); the port follows the address; a
// switch is one 2-byte datagram to that address and port, nothing without an address.
TEST(RemoteMatrixWindow, SwitchSendsInputAndOutputToTheChosenHost) {
    RecordingSender udp;
    auto* f = new TRemoteMatrixsCtrlForm(
        nullptr, {Host("10.0.0.5", 57100), Host("", 1), Host("10.0.0.5", 2), Host("10.0.0.9", 57200)},
        57000, udp);
    f->AfterConstruction();
    ASSERT_EQ(f->cb_MainAddr->Items()->Count(), 2);
    EXPECT_EQ(f->se_UDPMessageServerPort->GetText(), "57000");
    f->cb_MainAddr->SetItemIndex(1);
    f->cb_MainAddrChange(nullptr);
    EXPECT_EQ(f->se_UDPMessageServerPort->GetText(), "57200");
    f->se_In->SetText("200");
    f->se_Out->SetText("16");
    f->bt_PortSwitchClick(nullptr);
    f->cb_MainAddr->SetText("");
    f->bt_PortSwitchClick(nullptr);
    ASSERT_EQ(udp.sent.size(), 1u);
    EXPECT_EQ(udp.sent[0].bytes, std::string("\xC8\x10", 2));
    EXPECT_EQ(udp.sent[0].host, "10.0.0.9");
    EXPECT_EQ(udp.sent[0].port, 57200);
    f->Free();
}

} // namespace
} // namespace vantrel
