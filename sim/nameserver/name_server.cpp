#include "sim/nameserver/name_server.h"

#include <ws2tcpip.h>

namespace namesim {
namespace {

constexpr size_t kRecordSize = 1156;

std::string Trim(std::string s) {
    const size_t a = s.find_first_not_of(' ');
    if (a == std::string::npos) return {};
    return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

std::string Pad(std::string s, size_t width) {
    s.resize(width, ' ');
    return s;
}

std::string AddressOf(const sockaddr_in& a) {
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &a.sin_addr, text, sizeof(text));
    return text;
}

} // namespace

NameServer::NameServer(uint16_t registerPort, uint16_t searchPort, uint16_t lookupPort,
                       std::vector<std::pair<std::string, std::string>> users)
    : users_(std::move(users)) {
    WSADATA wsa;
    ::WSAStartup(MAKEWORD(2, 2), &wsa);
    const uint16_t wanted[3] = {registerPort, searchPort, lookupPort};
    running_ = true;
    for (int i = 0; i < 3; ++i) {
        sockets_[i] = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = ::htons(wanted[i]);
        a.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
        int len = sizeof(a);
        if (sockets_[i] == INVALID_SOCKET ||
            ::bind(sockets_[i], reinterpret_cast<sockaddr*>(&a), sizeof(a)) != 0 ||
            ::getsockname(sockets_[i], reinterpret_cast<sockaddr*>(&a), &len) != 0) {
            running_ = false;
            continue;
        }
        ports_[i] = ::ntohs(a.sin_port);
    }
    if (running_) thread_ = std::thread([this] { Serve(); });
}

NameServer::~NameServer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    for (SOCKET s : sockets_)
        if (s != INVALID_SOCKET) ::closesocket(s);
    ::WSACleanup();
}

std::map<std::string, NameServer::Host> NameServer::Hosts() {
    std::lock_guard<std::mutex> hold(lock_);
    return hosts_;
}

std::vector<std::string> NameServer::Received(int portIndex) {
    std::lock_guard<std::mutex> hold(lock_);
    return received_[portIndex];
}

void NameServer::SetLookupAnswer(const std::string& name, const std::string& address) {
    std::lock_guard<std::mutex> hold(lock_);
    lookupAnswers_[name] = address;
}

void NameServer::Serve() {
    char buffer[2048];
    while (!stop_) {
        fd_set set;
        FD_ZERO(&set);
        for (SOCKET s : sockets_)
            FD_SET(s, &set);
        timeval wait{0, 50000};
        if (::select(0, &set, nullptr, nullptr, &wait) <= 0) continue;
        for (int i = 0; i < 3; ++i) {
            if (!FD_ISSET(sockets_[i], &set)) continue;
            sockaddr_in from{};
            int len = sizeof(from);
            const int n = ::recvfrom(sockets_[i], buffer, sizeof(buffer), 0,
                                     reinterpret_cast<sockaddr*>(&from), &len);
            if (n < 0) continue;
            const std::string data(buffer, static_cast<size_t>(n));
            {
                std::lock_guard<std::mutex> hold(lock_);
                received_[i].push_back(data);
            }
            if (i == 0)
                OnRegister(data, from);
            else if (i == 1)
                OnSearch(data, from);
            else
                OnLookup(data, from);
        }
    }
}

void NameServer::OnRegister(const std::string& data, const sockaddr_in& from) {
    std::lock_guard<std::mutex> hold(lock_);
    if (data.size() == kRecordSize) {
        const uint8_t len = std::min<uint8_t>(static_cast<uint8_t>(data[0]), 20);
        hosts_[data.substr(1, len)] =
            Host{std::vector<uint8_t>(data.begin(), data.end()), AddressOf(from)};
    } else if (data.size() == 4) {
        // A host shutting down: forget what came from its address.
        const std::string address = AddressOf(from);
        for (auto it = hosts_.begin(); it != hosts_.end();)
            it = it->second.Address == address ? hosts_.erase(it) : std::next(it);
    }
}

bool NameServer::LoginAccepted(const std::string& user, const std::string& password) const {
    if (users_.empty()) return true;
    for (const auto& [u, p] : users_)
        if (u == user && p == password) return true;
    return false;
}

void NameServer::OnSearch(const std::string& data, const sockaddr_in& from) {
    if (data.size() != 20 || !LoginAccepted(Trim(data.substr(0, 10)), Trim(data.substr(10, 10))))
        return;
    std::vector<std::vector<uint8_t>> answers;
    {
        std::lock_guard<std::mutex> hold(lock_);
        for (const auto& [name, host] : hosts_)
            answers.push_back(host.Record);
    }
    const SOCKET s = sockets_[1];
    for (const auto& record : answers)
        ::sendto(s, reinterpret_cast<const char*>(record.data()), static_cast<int>(record.size()),
                 0, reinterpret_cast<const sockaddr*>(&from), sizeof(from));
    ::sendto(s, "END", 4, 0, reinterpret_cast<const sockaddr*>(&from), sizeof(from));
}

void NameServer::OnLookup(const std::string& data, const sockaddr_in& from) {
    if (data.size() != 60 || !LoginAccepted(Trim(data.substr(20, 10)), Trim(data.substr(30, 10))))
        return;
    const std::string name = Trim(data.substr(0, 20));
    std::string address;
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (auto it = lookupAnswers_.find(name); it != lookupAnswers_.end())
            address = it->second;
        else if (auto h = hosts_.find(name); h != hosts_.end())
            address = h->second.Address;
    }
    if (address.empty()) return;
    const std::string reply = Pad(name, 20) + Pad(address, 20);
    ::sendto(sockets_[2], reply.data(), static_cast<int>(reply.size()), 0,
             reinterpret_cast<const sockaddr*>(&from), sizeof(from));
}

} // namespace namesim
