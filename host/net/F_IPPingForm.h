// The network patrol window: the list of hosts to ping (seeded from the host groups), the
// start and auto-show boxes, the add and delete commands and the ping reply handler.
#pragma once

// The ICMP header comes before the handle wrappers, which then offer its handle kind.
#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
#include <icmpapi.h>

#include "common/win/handles.h"

#include "host/engine/U_NetClientSet.h"
#include "host/net/U_PatrolRules.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace vantrel {

class TPingThread;

// One echo request to a host by address or name: true when an answer with at least one byte
// came within 500 ms; false for no answer or a ping that could not be sent.
using TPingProbe = std::function<bool(const std::string& host)>;
// The probe through the system's ICMP service.
class TIcmpClient {
public:
    explicit TIcmpClient(DWORD receiveTimeoutMs = 500);
    ~TIcmpClient();
    TIcmpClient(const TIcmpClient&) = delete;
    TIcmpClient& operator=(const TIcmpClient&) = delete;
    bool Ping(const std::string& host);

private:
    DWORD timeoutMs_;
    bool wsaStarted_ = false;
    dvr::win::IcmpHandle icmp_;
};

struct TPatrolRow {
    std::string Name;    // GBK
    std::string Address; // GBK
    PingPicture Picture = PingPicture::None;
};

class TIPPingForm {
public:
    // Rows from the groups with a non-empty address not yet listed. Without a probe the
    // form pings through its own ICMP client.
    explicit TIPPingForm(const TNetClientSet& netClientSet, TPingProbe probe = nullptr);
    ~TIPPingForm();
    TIPPingForm(const TIPPingForm&) = delete;
    TIPPingForm& operator=(const TIPPingForm&) = delete;

    // The window's values.
    // Also read and written by the patrol thread's reply handler.
    std::atomic<bool> cb_AutoShow{false};
    std::atomic<bool> Visible{false};
    std::atomic<int> Selected{-1};
    bool ControlsEnabled = true;
    bool pn_EditAddrVisible = false;
    int EditMode = 0; // pn_EditAddr's Tag: 0 add, -1 cancelled
    std::string ed_Name, ed_IP;

    // The window side shows the window, brings it to the front and selects the row.
    std::function<void(int row)> OnOutageShown;

    std::vector<TPatrolRow> Rows();
    int RowCount();
    // The row's address; false when the row no longer exists.
    bool RowAddress(int row, std::string& address);

    // The patrol thread this window starts and stops.
    void AttachThread(TPingThread* thread) { thread_ = thread; }
    // The thread is going away before the window.
    void DetachThread(TPingThread* thread) {
        if (thread_ == thread) thread_ = nullptr;
    }
    // "启动巡更" ticked or cleared.
    void cb_StopPingClick(bool checked);
    void bt_AddIPClick();
    void bt_OKClick();
    void bt_CancelClick();
    void bt_DelIPClick();
    void bt_CloseClick() { Visible = false; }

    // Run by the patrol thread: one ping of `row` (CurrentRow) and its outcome.
    void PingRow(int row);
    std::atomic<int> CurrentRow{-1};

private:
    // The reply handler and outage rule for CurrentRow.
    void PingReply(bool answered);

    std::mutex rowsLock_;
    std::vector<TPatrolRow> rows_;
    TPingProbe probe_;
    std::unique_ptr<TIcmpClient> icmp_;
    std::atomic<TPingThread*> thread_{nullptr};
};

} // namespace vantrel
