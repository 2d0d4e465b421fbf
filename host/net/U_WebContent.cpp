#include "host/net/U_WebContent.h"

#include <algorithm>

namespace vantrel {
namespace {

constexpr const char* kClsid = "BA246823-F845-43DB-851A-68DF9F2CFEE5";

std::string BaseUrl(std::string_view addr, int port) {
    return "http://" + std::string(addr) + ":" + std::to_string(port) + "/";
}

} // namespace

WebRequestKind ClassifyWebRequest(std::string_view request) {
    if (request == "GI") return WebRequestKind::HostInfo;
    if (request.find(kInfFileName) != std::string_view::npos) return WebRequestKind::Inf;
    if (request.find(kCabFileName) != std::string_view::npos) return WebRequestKind::Cab;
    return WebRequestKind::Page;
}

std::string FiveDigitPort(int32_t port) {
    const std::string text = "000000" + std::to_string(port);
    return text.substr(text.size() - 5);
}

std::string BuildHostInfoReply(const NetPortTable& ports, std::string_view hostName,
                               const std::vector<std::string>& boardTitles) {
    std::string reply;
    for (int slot : {0, 1, 2, 3, 4, 5, 6, 12, 13, 14, 15})
        reply += FiveDigitPort(ports.Port[slot]);
    reply += hostName;
    reply += '|';
    for (const std::string& title : boardTitles) {
        reply += title;
        reply += ';';
    }
    return reply;
}

std::string BuildWebPage(std::string_view addr, int port) {
    std::string page;
    for (const std::string& line :
         {std::string("<HTML>"), std::string("<center><P>"), std::string("<OBJECT"),
          "classid=\"clsid:" + std::string(kClsid) + "\"",
          "codebase=\"" + BaseUrl(addr, port) + kInfFileName + "\"", std::string("width=896"),
          std::string("height=644"), std::string("align=center"), std::string("hspace=0"),
          std::string("vspace=0"), std::string(">"), std::string("</OBJECT>"),
          std::string("</HTML>")})
        page += line + "\r\n";
    return page + "\r\n";
}

std::string BuildInfText(std::string_view addr, int port) {
    const std::string file = "file=" + BaseUrl(addr, port) + kCabFileName;
    std::string inf;
    for (const std::string& line :
         {std::string("[Add.Code]"), std::string("Vantrel_IE_QZ.ocx=Vantrel_IE_QZ.ocx"),
          std::string("StrovidApi.dll=StrovidApi.dll"), std::string("G729Dll.dll=G729Dll.dll"),
          std::string(), std::string("[Vantrel_IE_QZ.ocx]"), file,
          "clsid={" + std::string(kClsid) + "}", std::string("RegisterServer=yes"), std::string(),
          std::string("[StrovidApi.dll]"), file, std::string("[G729Dll.dll]"), file})
        inf += line + "\r\n";
    return inf + "\r\n";
}

std::string BuildFileHeader(size_t contentLength) {
    return "HTTP/1.1 200 OK\r\nAccept-Ranges: bytes\r\nContent-Type: text/html\r\n"
           "Content-Length: " +
           std::to_string(contentLength) + "\r\nContent:\r\n\r\n";
}

std::string BuildPageHeader(size_t contentLength) {
    return "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
           std::to_string(contentLength) + "\r\nContent:\r\n\r\n";
}

WebAddrSetting ParseWebAddrSetting(std::string_view text) {
    WebAddrSetting s;
    s.UseAddr = !text.empty() && text.front() != '0';
    if (!text.empty()) s.Addr = std::string(text.substr(1));
    return s;
}

std::string FormatWebAddrSetting(const WebAddrSetting& setting) {
    return (setting.UseAddr ? "1" : "0") + setting.Addr;
}

bool TWebConnectionRows::HostInfoAnswered(std::string_view peerAddress, uintptr_t connection) {
    const bool known = std::any_of(rows_.begin(), rows_.end(),
                                   [&](const Row& r) { return r.PeerAddress == peerAddress; });
    if (known) return true;
    rows_.push_back(Row{std::string(peerAddress), connection});
    return false;
}

bool TWebConnectionRows::Remove(uintptr_t connection) {
    auto it = std::find_if(rows_.begin(), rows_.end(),
                           [&](const Row& r) { return r.Connection == connection; });
    if (it == rows_.end()) return false;
    rows_.erase(it);
    return true;
}

} // namespace vantrel
