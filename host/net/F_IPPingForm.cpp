#include "host/net/F_IPPingForm.h"

#include "host/net/T_PingThread.h"
#include "host/net/U_UdpSend.h"

namespace vantrel {

TIcmpClient::TIcmpClient(DWORD receiveTimeoutMs) : timeoutMs_(receiveTimeoutMs) {
    WSADATA wsa{};
    wsaStarted_ = ::WSAStartup(MAKEWORD(2, 2), &wsa) == 0;
    icmp_.reset(::IcmpCreateFile());
}

TIcmpClient::~TIcmpClient() {
    icmp_.reset();
    if (wsaStarted_) ::WSACleanup();
}

bool TIcmpClient::Ping(const std::string& host) {
    in_addr address{};
    if (!icmp_ || !ResolveIPv4(host, address)) return false;
    char data[32] = "patrol";
    // Room for one reply with its data and an ICMP error's worth of extra bytes.
    char reply[sizeof(ICMP_ECHO_REPLY) + sizeof(data) + 8 + 64];
    const DWORD replies = ::IcmpSendEcho(icmp_.get(), address.S_un.S_addr, data, sizeof(data),
                                         nullptr, reply, sizeof(reply), timeoutMs_);
    if (replies == 0) return false;
    const auto* echo = reinterpret_cast<const ICMP_ECHO_REPLY*>(reply);
    return echo->Status == IP_SUCCESS && echo->DataSize > 0;
}

TIPPingForm::TIPPingForm(const TNetClientSet& netClientSet, TPingProbe probe)
    : probe_(std::move(probe)) {
    for (const TClientGroup& g : netClientSet.Groups) {
        const std::string address = g.HostAddress.Get();
        if (address.empty()) continue;
        bool listed = false;
        for (const TPatrolRow& r : rows_)
            listed = listed || r.Address == address;
        if (!listed) rows_.push_back(TPatrolRow{g.Name.Get(), address, PingPicture::None});
    }
    if (!probe_) {
        icmp_ = std::make_unique<TIcmpClient>(500);
        probe_ = [this](const std::string& host) { return icmp_->Ping(host); };
    }
}

TIPPingForm::~TIPPingForm() {
    // The thread pings through this window's rows and client: it ends first.
    if (TPingThread* thread = thread_) {
        thread->Stop();
        thread->FormGone();
    }
}

std::vector<TPatrolRow> TIPPingForm::Rows() {
    std::lock_guard<std::mutex> hold(rowsLock_);
    return rows_;
}

int TIPPingForm::RowCount() {
    std::lock_guard<std::mutex> hold(rowsLock_);
    return static_cast<int>(rows_.size());
}

bool TIPPingForm::RowAddress(int row, std::string& address) {
    std::lock_guard<std::mutex> hold(rowsLock_);
    if (row < 0 || row >= static_cast<int>(rows_.size())) return false;
    address = rows_[static_cast<size_t>(row)].Address;
    return true;
}

void TIPPingForm::cb_StopPingClick(bool checked) {
    TPingThread* thread = thread_;
    if (!thread) return;
    thread->Paused = !checked;
    if (checked) thread->Resume();
}

void TIPPingForm::bt_AddIPClick() {
    EditMode = 0;
    ControlsEnabled = false;
    pn_EditAddrVisible = true;
    std::lock_guard<std::mutex> hold(rowsLock_);
    const int selected = Selected;
    if (selected >= 0 && selected < static_cast<int>(rows_.size())) {
        ed_Name = rows_[static_cast<size_t>(selected)].Name;
        ed_IP = rows_[static_cast<size_t>(selected)].Address;
    } else {
        ed_Name.clear();
        ed_IP.clear();
    }
}

void TIPPingForm::bt_OKClick() {
    ControlsEnabled = true;
    pn_EditAddrVisible = false;
    if (EditMode == 0) {
        std::lock_guard<std::mutex> hold(rowsLock_);
        rows_.push_back(TPatrolRow{ed_Name, ed_IP, PingPicture::None});
    }
    EditMode = 0;
}

void TIPPingForm::bt_CancelClick() {
    EditMode = -1;
    ControlsEnabled = true;
    pn_EditAddrVisible = false;
    EditMode = 0;
}

void TIPPingForm::bt_DelIPClick() {
    std::lock_guard<std::mutex> hold(rowsLock_);
    const int selected = Selected;
    if (selected < 0 || selected >= static_cast<int>(rows_.size())) return;
    rows_.erase(rows_.begin() + selected);
    // The pinged row may have moved up; a reply for the deleted one must not land elsewhere.
    if (CurrentRow == selected)
        CurrentRow = -1;
    else if (CurrentRow > selected)
        --CurrentRow;
    Selected = -1;
}

void TIPPingForm::PingRow(int row) {
    std::string address;
    if (!RowAddress(row, address)) return;
    CurrentRow = row;
    PingReply(probe_(address));
}

void TIPPingForm::PingReply(bool answered) {
    std::string name;
    bool outage = false;
    int row;
    {
        std::lock_guard<std::mutex> hold(rowsLock_);
        row = CurrentRow;
        if (row < 0 || row >= static_cast<int>(rows_.size())) return;
        TPatrolRow& r = rows_[static_cast<size_t>(row)];
        outage = ApplyPingOutcome(r.Picture, answered);
        name = r.Name;
    }
    if (!outage) return;
    if (TPingThread* thread = thread_) {
        thread->AppendLog(name);
        thread->AppendLog(DefaultDateTimeText());
    }
    if (cb_AutoShow) Visible = true;
    Selected = row;
    if (OnOutageShown) OnOutageShown(row);
}

} // namespace vantrel
