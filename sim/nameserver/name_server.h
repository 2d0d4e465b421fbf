// Stand-in for the outside name server: registrations on one UDP port, searches on a second,
// lookups by net name on a third, all on the loopback address. It keeps each host's last
// registration with the address it came from.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace namesim {

class NameServer {
public:
    // Ports 0 take free ones. `users`: the accepted search and lookup logins (user, password,
    // compared trimmed); none accepts every login.
    NameServer(uint16_t registerPort = 0, uint16_t searchPort = 0, uint16_t lookupPort = 0,
               std::vector<std::pair<std::string, std::string>> users = {});
    ~NameServer();
    NameServer(const NameServer&) = delete;
    NameServer& operator=(const NameServer&) = delete;

    bool Running() const { return running_; }
    uint16_t RegisterPort() const { return ports_[0]; }
    uint16_t SearchPort() const { return ports_[1]; }
    uint16_t LookupPort() const { return ports_[2]; }

    struct Host {
        std::vector<uint8_t> Record; // the 1156 bytes as registered
        std::string Address;         // where the registration came from
    };
    // Registered hosts by net name.
    std::map<std::string, Host> Hosts();
    // Every datagram received on each port, in order.
    std::vector<std::string> Received(int portIndex);
    // Answers a lookup for this name with this address, whatever registered.
    void SetLookupAnswer(const std::string& name, const std::string& address);

private:
    void Serve();
    void OnRegister(const std::string& data, const sockaddr_in& from);
    void OnSearch(const std::string& data, const sockaddr_in& from);
    void OnLookup(const std::string& data, const sockaddr_in& from);
    bool LoginAccepted(const std::string& user, const std::string& password) const;

    SOCKET sockets_[3] = {INVALID_SOCKET, INVALID_SOCKET, INVALID_SOCKET};
    uint16_t ports_[3] = {};
    std::vector<std::pair<std::string, std::string>> users_;
    std::mutex lock_;
    std::map<std::string, Host> hosts_;
    std::map<std::string, std::string> lookupAnswers_;
    std::vector<std::string> received_[3];
    std::atomic<bool> stop_{false};
    bool running_ = false;
    std::thread thread_;
};

} // namespace namesim
