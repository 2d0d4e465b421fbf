// The built-in web server: offers the viewer control's page, .inf and .cab to browsers and
// answers the control's "GI" with the host's ports, name and channel titles. All socket
// events run on the thread that creates it (the user-interface thread).
#pragma once

#include "host/net/U_SocketNotify.h"
#include "host/net/U_WebContent.h"

#include "common/win/handles.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace vantrel {

// What the server reads of the host.
struct TWebServerHost {
    NetPortTable Ports{};
    std::string HostName;
    std::vector<std::string> LocalIPs;
    std::string ProgramPath; // GBK, with a trailing "\"
    int BoardChannels = 0;
    // The titles of the board channels, read at each "GI".
    std::function<std::vector<std::string>()> BoardTitles;
};

class TArithmetic;
class TSystemInfo;
class TPreviewSet;
// The running host as the server reads it: ports in force, host name and addresses, program
// folder, and the board channels' titles read afresh at each "GI".
TWebServerHost WebServerHostOf(const TArithmetic& arithmetic, const TSystemInfo& systemInfo,
                               const TPreviewSet& previewSet, int boardChannels);

// Browser connections open at once; further ones are closed at accept.
constexpr size_t kMaxWebConnections = 64;

class TWebServerForm {
public:
    explicit TWebServerForm(TWebServerHost host);
    ~TWebServerForm();
    TWebServerForm(const TWebServerForm&) = delete;
    TWebServerForm& operator=(const TWebServerForm&) = delete;

    // False without a board channel, without a readable bundle, or when the port is taken.
    bool Running() const { return listener_.get() != INVALID_SOCKET; }
    size_t CabSize() const { return cabImage_.size(); }
    // Open connections, with or without a row.
    size_t ConnectionCount() const { return connections_.size(); }

    // The window's values (GBK texts).
    int se_MaxConnectCount = 100;
    int se_ServerPort = 80;
    bool cb_UseAddr = false;
    std::string cb_LocalIP;
    std::vector<std::string> cb_LocalIPItems;

    // The "当前连接地址" rows; lb_TotalCounts shows their number.
    std::vector<TWebConnectionRows::Row> Rows();
    int TotalCounts() { return static_cast<int>(Rows().size()); }
    // The window side redraws its list and count.
    std::function<void()> OnRowsChanged;

    // "确定": stores the address choice, moves to a changed port, hides the window.
    void bt_CloseClick();

private:
    struct Connection {
        dvr::win::Socket Socket;
        std::string PeerAddress;
        std::string LocalAddress;
        std::string Output;
        size_t Sent = 0;
        bool CloseWhenSent = false;
    };

    bool Listen(int port);
    void OnSocket(SOCKET socket, WORD event, WORD error);
    void Accept();
    void Read(Connection& c);
    void Dispatch(Connection& c, const std::string& request);
    // Sends what is pending; false when the connection has been closed.
    bool Flush(Connection& c);
    void CloseConnection(SOCKET socket);

    TWebServerHost host_;
    bool wsaStarted_ = false;
    TSocketNotifyWindow notify_;
    dvr::win::Socket listener_;
    std::string cabImage_;
    dvr::win::CriticalSection rowsLock_;
    TWebConnectionRows rows_;
    std::map<SOCKET, std::unique_ptr<Connection>> connections_;
};

} // namespace vantrel
