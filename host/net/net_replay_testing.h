// Shared by the remote-service tests: a scratch folder, files in it, and a plain blocking
// loopback peer that runs on its own thread while the test thread pumps the messages the
// sockets under test need.
#pragma once

#include "host/net/U_MsgSocket.h"

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace vantrel::testing {

inline std::string ScratchFolder(const char* name) {
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + name + "\\";
    std::string cmd = folder.substr(0, folder.size() - 1);
    ::CreateDirectoryA(cmd.c_str(), nullptr);
    return folder;
}

inline void MakeFolders(const std::string& path) {
    for (size_t i = 3; i < path.size(); ++i)
        if (path[i] == '\\') ::CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
}

inline void PutFile(const std::string& path, const std::string& bytes) {
    MakeFolders(path);
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(h);
}

inline std::string GetFile(const std::string& path) {
    std::string bytes;
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return bytes;
    char buffer[65536];
    DWORD got = 0;
    while (::ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    ::CloseHandle(h);
    return bytes;
}

inline std::string Pattern(size_t size) {
    std::string s(size, '\0');
    for (size_t i = 0; i < size; ++i)
        s[i] = static_cast<char>((i * 131 + i / 7) & 0xFF);
    return s;
}

// A blocking TCP peer on 127.0.0.1.
class Peer {
public:
    Peer() {
        WSADATA d;
        ::WSAStartup(MAKEWORD(2, 2), &d);
    }
    ~Peer() {
        Close();
        ::WSACleanup();
    }
    bool Connect(int port) {
        s_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = ::htons(static_cast<u_short>(port));
        a.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
        return ::connect(s_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    }
    void Send(const std::string& text) {
        ::send(s_, text.data(), static_cast<int>(text.size()), 0);
    }
    // Reads until the peer closes, `want` bytes have come, or nothing came for `idleMs`.
    std::string Receive(size_t want = SIZE_MAX, DWORD idleMs = 3000) {
        std::string data;
        DWORD t = idleMs;
        ::setsockopt(s_, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&t), sizeof t);
        char buffer[65536];
        while (data.size() < want) {
            const int n = ::recv(s_, buffer, sizeof buffer, 0);
            if (n == 0) {
                closedByPeer = true;
                break;
            }
            if (n < 0) {
                // A peer that closes with our bytes unread resets the connection.
                if (::WSAGetLastError() == WSAECONNRESET) closedByPeer = true;
                break;
            }
            data.append(buffer, static_cast<size_t>(n));
        }
        return data;
    }
    void Close() {
        if (s_ != INVALID_SOCKET) ::closesocket(s_);
        s_ = INVALID_SOCKET;
    }
    bool closedByPeer = false;

private:
    SOCKET s_ = INVALID_SOCKET;
};

// Runs `body` on a thread of its own while this thread dispatches messages.
inline bool RunPeer(const std::function<void()>& body, DWORD timeoutMs = 30000) {
    std::atomic<bool> done{false};
    std::thread t([&] {
        body();
        done = true;
    });
    const bool ok = PumpMessagesUntil([&] { return done.load(); }, timeoutMs);
    t.join();
    return ok;
}

} // namespace vantrel::testing
