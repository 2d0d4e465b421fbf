#include "host/net/U_WebContent.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

NetPortTable DefaultTable() {
    NetPortTable t{};
    const int32_t slots[][2] = {{0, 50000},  {1, 51000},  {2, 62000},  {3, 60001},
                                {4, 60000},  {5, 52100},  {6, 52000},  {12, 54000},
                                {13, 56000}, {14, 57000}, {15, 59000}, {7, 11111}};
    for (auto [slot, port] : slots)
        t.Port[slot] = port;
    return t;
}

TEST(WebContent, RequestsAreToldApartInOrderInfCabPage) {
    const struct {
        const char* request;
        WebRequestKind kind;
    } cases[] = {
        {"GI", WebRequestKind::HostInfo},
        {"GI\r\n", WebRequestKind::Page},
        {"GET / HTTP/1.1\r\nHost: x\r\n\r\n", WebRequestKind::Page},
        {"GET /Vantrel_IE_QZ.inf HTTP/1.1\r\n\r\n", WebRequestKind::Inf},
        {"GET /a/b/Vantrel_IE_QZ.inf?x HTTP/1.1\r\n\r\n", WebRequestKind::Inf},
        {"GET /Vantrel_IE_QZ.cab HTTP/1.1\r\n\r\n", WebRequestKind::Cab},
        // Both names: the .inf is looked for first.
        {"GET /Vantrel_IE_QZ.cab HTTP/1.1\r\nReferer: /Vantrel_IE_QZ.inf\r\n\r\n",
         WebRequestKind::Inf},
        // Paths never reach the file system: anything unknown is the page.
        {"GET /../../windows/win.ini HTTP/1.1\r\n\r\n", WebRequestKind::Page},
        {"GET /vantrel_ie_qz.cab HTTP/1.1\r\n\r\n", WebRequestKind::Page},
        {"", WebRequestKind::Page},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ClassifyWebRequest(c.request), c.kind) << c.request;
}

TEST(WebContent, PortsKeepTheirLastFiveDigits) {
    EXPECT_EQ(FiveDigitPort(80), "00080");
    EXPECT_EQ(FiveDigitPort(0), "00000");
    EXPECT_EQ(FiveDigitPort(59000), "59000");
    EXPECT_EQ(FiveDigitPort(123456), "23456");
}

TEST(WebContent, HostInfoListsElevenPortsNameAndBoardTitles) {
    const std::string reply =
        BuildHostInfoReply(DefaultTable(), "DVR-1", {"Gate", "Yard", "\xB4\xF3\xC3\xC5", ""});
    EXPECT_EQ(reply, "5000051000620006000160000521005200054000560005700059000"
                     "DVR-1|Gate;Yard;\xB4\xF3\xC3\xC5;;");
    // Without a title nor a host name it is still longer than the control's minimum.
    EXPECT_GE(BuildHostInfoReply(DefaultTable(), "", {}).size(), 56u);
}

TEST(WebContent, PageAndInfCarryTheLinkAddress) {
    const std::string page = BuildWebPage("10.1.2.3", 8080);
    EXPECT_EQ(page, "<HTML>\r\n<center><P>\r\n<OBJECT\r\n"
                    "classid=\"clsid:BA246823-F845-43DB-851A-68DF9F2CFEE5\"\r\n"
                    "codebase=\"http://10.1.2.3:8080/Vantrel_IE_QZ.inf\"\r\n"
                    "width=896\r\nheight=644\r\nalign=center\r\nhspace=0\r\nvspace=0\r\n>\r\n"
                    "</OBJECT>\r\n</HTML>\r\n\r\n");
    const std::string inf = BuildInfText("10.1.2.3", 80);
    const std::string file = "file=http://10.1.2.3:80/Vantrel_IE_QZ.cab\r\n";
    EXPECT_EQ(inf, "[Add.Code]\r\nVantrel_IE_QZ.ocx=Vantrel_IE_QZ.ocx\r\n"
                   "StrovidApi.dll=StrovidApi.dll\r\nG729Dll.dll=G729Dll.dll\r\n\r\n"
                   "[Vantrel_IE_QZ.ocx]\r\n" +
                       file +
                       "clsid={BA246823-F845-43DB-851A-68DF9F2CFEE5}\r\nRegisterServer=yes\r\n"
                       "\r\n[StrovidApi.dll]\r\n" +
                       file + "[G729Dll.dll]\r\n" + file + "\r\n");
}

TEST(WebContent, HeadersCarryTheContentLineAndLength) {
    EXPECT_EQ(BuildFileHeader(1234), "HTTP/1.1 200 OK\r\nAccept-Ranges: bytes\r\n"
                                     "Content-Type: text/html\r\nContent-Length: 1234\r\n"
                                     "Content:\r\n\r\n");
    EXPECT_EQ(BuildPageHeader(7), "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n"
                                  "Content-Length: 7\r\nContent:\r\n\r\n");
}

TEST(WebContent, AddrSettingChecksUnlessEmptyOrZero) {
    const struct {
        const char* text;
        bool use;
        const char* addr;
    } cases[] = {{"", false, ""},
                 {"0", false, ""},
                 {"010.0.0.1", false, "10.0.0.1"},
                 {"110.0.0.1", true, "10.0.0.1"},
                 {"x10.0.0.1", true, "10.0.0.1"}};
    for (const auto& c : cases) {
        const WebAddrSetting s = ParseWebAddrSetting(c.text);
        EXPECT_EQ(s.UseAddr, c.use) << c.text;
        EXPECT_EQ(s.Addr, c.addr) << c.text;
    }
    EXPECT_EQ(FormatWebAddrSetting({true, "1.2.3.4"}), "11.2.3.4");
    EXPECT_EQ(FormatWebAddrSetting({false, "1.2.3.4"}), "01.2.3.4");
}

TEST(WebContent, RowsOnePerAddressAndHttpRefusedBeyondTheMaximum) {
    TWebConnectionRows rows;
    EXPECT_FALSE(rows.RefuseHttp(0)); // no row yet: even a maximum of 0 answers
    EXPECT_FALSE(rows.HostInfoAnswered("10.0.0.5", 11));
    EXPECT_TRUE(rows.RefuseHttp(0));
    EXPECT_FALSE(rows.RefuseHttp(1));
    EXPECT_TRUE(rows.HostInfoAnswered("10.0.0.5", 12)); // second "GI" from the same address
    EXPECT_FALSE(rows.HostInfoAnswered("10.0.0.6", 13));
    ASSERT_EQ(rows.Rows().size(), 2u);
    EXPECT_FALSE(rows.Remove(12));
    EXPECT_TRUE(rows.Remove(11));
    ASSERT_EQ(rows.Rows().size(), 1u);
    EXPECT_EQ(rows.Rows()[0].PeerAddress, "10.0.0.6");
}

} // namespace
} // namespace vantrel
