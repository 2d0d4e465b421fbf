// The search dialog: asks the name server for the registered hosts and collects the answers
// (each a HostRegistrationRecord with the answering sender's address filled in).
#pragma once

#include "host/engine/U_Arithmetic.h"
#include "host/engine/U_WindowTimer.h"
#include "host/net/U_NameServerRecords.h"
#include "host/net/U_SocketNotify.h"

#include "common/win/handles.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace vantrel {

constexpr UINT WM_SEARCHDONE = 0x52D;

// Hosts one search collects at most; further answers are dropped.
constexpr size_t kMaxSearchHosts = 256;

struct TSearchTiming {
    UINT ConnectMs = 10000; // tm_ConnectTimer
    UINT TimeOutMs = 60000; // tm_TimeOutTimer
};

class TSearchServerForm {
public:
    using Timing = TSearchTiming;

    // The edits show the name-server login; the reader starts at once.
    explicit TSearchServerForm(TArithmetic& arithmetic, uint16_t searchPort = kNameServerSearchPort,
                               Timing timing = {});
    ~TSearchServerForm();
    TSearchServerForm(const TSearchServerForm&) = delete;
    TSearchServerForm& operator=(const TSearchServerForm&) = delete;

    // The dialog's values (GBK).
    std::string ed_ServerAddr, ed_UserName, ed_Password;
    std::string lb_SearchInfo;
    bool bt_ExitEnabled = true;
    // Set when the dialog has closed (its modal showing ends).
    bool Closed = false;

    // "开始搜索远程主控": false when the address does not resolve or the send fails (the
    // search does not start).
    bool bt_StartSearchClick();
    void bt_ExitClick();
    void bt_SaveSetClick();

    // The hosts found so far, in arrival order.
    std::vector<HostRegistrationRecord> Found();

private:
    static DWORD WINAPI ReaderMain(LPVOID self);
    // TThreadSIUDPClientRead.Execute
    void ReadLoop();
    void SearchDone();
    void ConnectTimer();
    void TimeOutTimer();
    void Close();

    TArithmetic& arithmetic_;
    uint16_t searchPort_;
    // The name server the search went to (network order; 0 before any search): answers from
    // anywhere else are dropped.
    std::atomic<uint32_t> serverAddress_{0};
    bool wsaStarted_ = false;
    dvr::win::Socket socket_;
    TSocketNotifyWindow notify_;
    std::unique_ptr<TWindowTimer> connectTimer_;
    std::unique_ptr<TWindowTimer> timeOutTimer_;
    std::mutex foundLock_;
    std::vector<HostRegistrationRecord> found_;
    std::atomic<bool> stopped_{false};
    dvr::win::Thread reader_;
};

} // namespace vantrel
