#include "host/net/F_WebServerForm.h"

#include "host/engine/U_Arithmetic.h"
#include "host/engine/U_SystemInfo.h"
#include "host/net/U_NetNameRegistration.h"

#include "common/win/textconv.h"

#include <ws2tcpip.h>

#include <mutex>

namespace vantrel {
namespace {

// Unsent answers one connection may hold: two bundles' worth.
constexpr size_t kMaxPendingOutput = 2 * kCabCapacity + 65536;

std::string AddressText(const sockaddr_in& a) {
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &a.sin_addr, text, sizeof(text));
    return text;
}

// The whole bundle, or nothing when it is missing or larger than its buffer.
bool ReadCab(const std::string& path, std::string& image) {
    dvr::win::File f(::CreateFileW(dvr::win::GbkToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                   nullptr, OPEN_EXISTING, 0, nullptr));
    if (!f) return false;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(f.get(), &size) || size.QuadPart > static_cast<LONGLONG>(kCabCapacity))
        return false;
    image.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    if (!image.empty() &&
        (!::ReadFile(f.get(), image.data(), static_cast<DWORD>(image.size()), &got, nullptr) ||
         got != image.size())) {
        image.clear();
        return false;
    }
    return true;
}

} // namespace

TWebServerHost WebServerHostOf(const TArithmetic& arithmetic, const TSystemInfo& systemInfo,
                               const TPreviewSet& previewSet, int boardChannels) {
    TWebServerHost host;
    host.Ports = arithmetic.Ports;
    host.HostName = systemInfo.HostName;
    host.LocalIPs = systemInfo.LocalIPs;
    host.ProgramPath = systemInfo.ProgramPath;
    host.BoardChannels = boardChannels;
    host.BoardTitles = [&previewSet, boardChannels] {
        return BoardChannelTitles(previewSet, boardChannels);
    };
    return host;
}

TWebServerForm::TWebServerForm(TWebServerHost host) : host_(std::move(host)) {
    WSADATA wsa{};
    wsaStarted_ = ::WSAStartup(MAKEWORD(2, 2), &wsa) == 0;
    notify_.OnSocket = [this](SOCKET s, WORD event, WORD error) { OnSocket(s, event, error); };
    if (host_.BoardChannels <= 0) return;

    int port = TArithmetic::ReadRegInteger(HKEY_LOCAL_MACHINE, kWebServerKey, "WebServer");
    if (port <= 0) port = 80;
    std::string addr;
    TArithmetic::ReadRegString(HKEY_LOCAL_MACHINE, kWebServerKey, addr, "Addr");
    const WebAddrSetting setting = ParseWebAddrSetting(addr);
    cb_UseAddr = setting.UseAddr;

    if (!ReadCab(host_.ProgramPath + kCabFileName, cabImage_)) return;
    se_ServerPort = port;
    Listen(port);

    cb_LocalIPItems = host_.LocalIPs;
    bool listed = false;
    for (const std::string& ip : cb_LocalIPItems)
        listed = listed || ip == setting.Addr;
    if (!listed) cb_LocalIPItems.push_back(setting.Addr);
    cb_LocalIP = setting.Addr;
}

TWebServerForm::~TWebServerForm() {
    connections_.clear();
    listener_.reset();
    if (wsaStarted_) ::WSACleanup();
}

bool TWebServerForm::Listen(int port) {
    listener_.reset();
    dvr::win::Socket s(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (!s) return false;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = ::htons(static_cast<u_short>(port));
    a.sin_addr.s_addr = INADDR_ANY;
    if (::bind(s.get(), reinterpret_cast<sockaddr*>(&a), sizeof(a)) != 0 ||
        ::listen(s.get(), SOMAXCONN) != 0 || !notify_.Watch(s.get(), FD_ACCEPT))
        return false;
    listener_ = std::move(s);
    return true;
}

std::vector<TWebConnectionRows::Row> TWebServerForm::Rows() {
    std::lock_guard<dvr::win::CriticalSection> hold(rowsLock_);
    return rows_.Rows();
}

void TWebServerForm::bt_CloseClick() {
    TArithmetic::WriteRegString(HKEY_LOCAL_MACHINE, kWebServerKey, "Addr",
                                FormatWebAddrSetting({cb_UseAddr, cb_LocalIP}));
    if (se_ServerPort !=
        TArithmetic::ReadRegInteger(HKEY_LOCAL_MACHINE, kWebServerKey, "WebServer")) {
        TArithmetic::WriteRegInteger(HKEY_LOCAL_MACHINE, kWebServerKey, "WebServer", se_ServerPort);
        // Only a running server moves: without a board or a bundle none runs.
        if (Running()) Listen(se_ServerPort);
    }
}

void TWebServerForm::OnSocket(SOCKET socket, WORD event, WORD error) {
    if (socket == listener_.get()) {
        if (event == FD_ACCEPT && !error) Accept();
        return;
    }
    auto it = connections_.find(socket);
    if (it == connections_.end()) return;
    Connection& c = *it->second;
    // Errors are handled here: the connection and its row go, nothing is raised.
    if (error || event == FD_CLOSE) {
        CloseConnection(socket);
        return;
    }
    if (event == FD_READ)
        Read(c);
    else if (event == FD_WRITE)
        Flush(c);
}

void TWebServerForm::Accept() {
    sockaddr_in peer{};
    int len = sizeof(peer);
    dvr::win::Socket s(::accept(listener_.get(), reinterpret_cast<sockaddr*>(&peer), &len));
    // Beyond the cap the new connection is closed at once.
    if (!s || connections_.size() >= kMaxWebConnections) return;
    auto c = std::make_unique<Connection>();
    c->PeerAddress = AddressText(peer);
    sockaddr_in local{};
    len = sizeof(local);
    if (::getsockname(s.get(), reinterpret_cast<sockaddr*>(&local), &len) == 0)
        c->LocalAddress = AddressText(local);
    if (!notify_.Watch(s.get(), FD_READ | FD_WRITE | FD_CLOSE)) return;
    c->Socket = std::move(s);
    const SOCKET key = c->Socket.get();
    connections_[key] = std::move(c);
}

void TWebServerForm::Read(Connection& c) {
    std::string request;
    char buffer[4096];
    // One notification brings one request; what lies beyond this much waits for the next.
    for (int chunk = 0; chunk < 16; ++chunk) {
        const int n = ::recv(c.Socket.get(), buffer, sizeof(buffer), 0);
        if (n > 0) {
            request.append(buffer, static_cast<size_t>(n));
            continue;
        }
        if (n < 0 && ::WSAGetLastError() != WSAEWOULDBLOCK) {
            CloseConnection(c.Socket.get());
            return;
        }
        break;
    }
    if (!request.empty()) Dispatch(c, request);
}

void TWebServerForm::Dispatch(Connection& c, const std::string& request) {
    const SOCKET socket = c.Socket.get();
    const WebRequestKind kind = ClassifyWebRequest(request);
    if (kind == WebRequestKind::HostInfo) {
        bool duplicate;
        {
            std::lock_guard<dvr::win::CriticalSection> hold(rowsLock_);
            c.Output += BuildHostInfoReply(host_.Ports, host_.HostName,
                                           host_.BoardTitles ? host_.BoardTitles()
                                                             : std::vector<std::string>{});
            duplicate = rows_.HostInfoAnswered(c.PeerAddress, static_cast<uintptr_t>(socket));
        }
        c.CloseWhenSent = duplicate;
        if (!duplicate && OnRowsChanged) OnRowsChanged();
        Flush(c);
        return;
    }
    const std::string addr = cb_UseAddr ? cb_LocalIP : c.LocalAddress;
    bool refuse;
    {
        std::lock_guard<dvr::win::CriticalSection> hold(rowsLock_);
        refuse = rows_.RefuseHttp(se_MaxConnectCount);
    }
    if (refuse) {
        CloseConnection(socket);
        return;
    }
    // A browser that asks and never reads is not given more than it can hold.
    if (c.Output.size() - c.Sent > kMaxPendingOutput) {
        CloseConnection(socket);
        return;
    }
    if (kind == WebRequestKind::Inf) {
        const std::string inf = BuildInfText(addr, se_ServerPort);
        c.Output += BuildFileHeader(inf.size()) + inf;
    } else if (kind == WebRequestKind::Cab) {
        c.Output += BuildFileHeader(cabImage_.size());
        c.Output += cabImage_;
        c.Output += "\r\n\r\n";
    } else {
        const std::string page = BuildWebPage(addr, se_ServerPort);
        c.Output += BuildPageHeader(page.size()) + page;
    }
    Flush(c);
}

bool TWebServerForm::Flush(Connection& c) {
    // A non-blocking send takes what fits; the rest waits for the next write event.
    while (c.Sent < c.Output.size()) {
        const size_t chunk = std::min<size_t>(c.Output.size() - c.Sent, 65536);
        const int n = ::send(c.Socket.get(), c.Output.data() + c.Sent, static_cast<int>(chunk), 0);
        if (n > 0) {
            c.Sent += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && ::WSAGetLastError() == WSAEWOULDBLOCK) return true;
        CloseConnection(c.Socket.get());
        return false;
    }
    c.Output.clear();
    c.Sent = 0;
    if (c.CloseWhenSent) {
        CloseConnection(c.Socket.get());
        return false;
    }
    return true;
}

void TWebServerForm::CloseConnection(SOCKET socket) {
    bool removed;
    {
        std::lock_guard<dvr::win::CriticalSection> hold(rowsLock_);
        removed = rows_.Remove(static_cast<uintptr_t>(socket));
    }
    connections_.erase(socket);
    if (removed && OnRowsChanged) OnRowsChanged();
}

} // namespace vantrel
