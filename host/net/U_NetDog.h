// The network inspector behind its window: the watched hosts with their heartbeat misses, the
// 20-second heartbeat round, the echoes, and the work state of one host read on demand and
// shown as a tree. The window's side is TNetDogView. Portable: no windows.h.
#pragma once

#include "host/engine/U_ClientGroups.h"
#include "host/net/U_UDPReplyRouter.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

enum class NetDogState { Unknown, Offline, Online };

struct TNetDogRow {
    std::string Name;    // GBK
    std::string Address; // GBK, as typed or configured
    std::string PortText;
    NetDogState State = NetDogState::Unknown;
    int32_t Misses = 0; // heartbeats sent since the last echo
};

// One node of the work-state tree (UTF-8 texts).
struct TStateNode {
    std::string Text;
    std::vector<TStateNode> Children;
};

// The window as the inspector drives it.
class TNetDogView {
public:
    virtual ~TNetDogView() = default;
    virtual void ShowWindow() = 0;
    // The list of rows, their names, addresses, ports and state pictures changed.
    virtual void RowsChanged() = 0;
    virtual void SetTimerRunning(bool running) = 0;
    // Empties the tree and both labels.
    virtual void ClearWorkState() = 0;
    virtual void ShowAskedAddress(const std::string& address) = 0;
    virtual void ShowWorkState(const std::vector<TStateNode>& tree,
                               const std::string& readTime) = 0;
    // The current date and time as the window shows it.
    virtual std::string NowText() = 0;
};

constexpr int kNetDogPeriodMs = 20000;
constexpr int kNetDogMissesOffline = 11;

class TNetDog {
public:
    // Rows: one per distinct non-empty address of the configured hosts, in order.
    TNetDog(const std::vector<TClientGroup>& groups, int defaultPort, TUdpSender& sender,
            TNetDogView& view);

    const std::vector<TNetDogRow>& Rows() const { return rows_; }
    // The addresses of the rows, for the reply reader (any thread).
    std::vector<std::string> Addresses() const;
    TReceiveArea& WorkStateArea() { return workState_; }

    // "启用": checked runs a round at once and starts the timer; unchecked stops it.
    void SetEnabled(bool on);
    bool Enabled() const { return enabled_; }
    // "自动弹出".
    bool AutoShow = false;

    // The timer's tick.
    void HeartbeatRound();
    // WM_NETDOGREPLY.
    void OnReply(intptr_t wParam, intptr_t lParam);
    // "读取工作状态" with the selected row (-1 none).
    void ReadWorkState(int row);

    // The edit panel's "确定": add, or replace a row; and "删除".
    void AddRow(const std::string& name, const std::string& address, const std::string& port);
    void ModifyRow(int row, const std::string& name, const std::string& address,
                   const std::string& port);
    void DeleteRow(int row);

    // The tree of a work-state record.
    static std::vector<TStateNode> WorkStateTree(const WorkStateRecord& record);

private:
    int PortOf(const TNetDogRow& row) const;
    void Send(const TNetDogRow& row, const void* message, int length);

    std::vector<TNetDogRow> rows_;
    int defaultPort_;
    TUdpSender& sender_;
    TNetDogView& view_;
    bool enabled_ = false;
    TReceiveArea workState_;
    mutable std::mutex rowsLock_; // the reader reads the addresses
};

} // namespace vantrel
