#include "host/net/U_NetDog.h"

#include <algorithm>
#include <cstdlib>

namespace vantrel {

TNetDog::TNetDog(const std::vector<TClientGroup>& groups, int defaultPort, TUdpSender& sender,
                 TNetDogView& view)
    : defaultPort_(defaultPort), sender_(sender), view_(view) {
    for (const TClientGroup& g : groups) {
        const std::string address = g.HostAddress.Get();
        if (address.empty()) continue;
        if (std::any_of(rows_.begin(), rows_.end(),
                        [&](const TNetDogRow& r) { return r.Address == address; }))
            continue;
        TNetDogRow row;
        row.Name = g.Name.Get();
        row.Address = address;
        row.PortText = std::to_string(g.Ports.Port[UDPMessageServerPort]);
        rows_.push_back(row);
    }
}

std::vector<std::string> TNetDog::Addresses() const {
    std::lock_guard<std::mutex> hold(rowsLock_);
    std::vector<std::string> addresses;
    for (const TNetDogRow& r : rows_)
        addresses.push_back(r.Address);
    return addresses;
}

int TNetDog::PortOf(const TNetDogRow& row) const {
    const std::string& t = row.PortText;
    if (t.empty() || t.size() > 9 ||
        !std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return defaultPort_;
    return std::atoi(t.c_str());
}

void TNetDog::Send(const TNetDogRow& row, const void* message, int length) {
    try {
        sender_.SendTo(message, length, PortOf(row), row.Address);
    } catch (...) {
        // An unreachable host simply never answers.
    }
}

void TNetDog::SetEnabled(bool on) {
    enabled_ = on;
    view_.SetTimerRunning(on);
    if (on) HeartbeatRound();
}

void TNetDog::HeartbeatRound() {
    const UdpMsgNetDog dog = MakeNetDog();
    bool pop = false, changed = false;
    for (TNetDogRow& row : rows_) {
        ++row.Misses;
        if (row.Misses < kNetDogMissesOffline) {
            Send(row, &dog, sizeof dog);
            continue;
        }
        if (row.State != NetDogState::Offline) {
            if (AutoShow) pop = true;
            row.State = NetDogState::Offline;
            changed = true;
        }
    }
    if (changed) view_.RowsChanged();
    if (pop) view_.ShowWindow();
}

void TNetDog::OnReply(intptr_t wParam, intptr_t lParam) {
    if (lParam == kNetDogWorkStateReply) {
        WorkStateRecord record{};
        if (!workState_.Load(record)) return;
        view_.ShowWorkState(WorkStateTree(record), view_.NowText());
        return;
    }
    if (wParam < 0 || size_t(wParam) >= rows_.size()) return; // the row went meanwhile
    TNetDogRow& row = rows_[size_t(wParam)];
    if (row.State != NetDogState::Online && AutoShow) view_.ShowWindow();
    row.State = NetDogState::Online;
    row.Misses = 0;
    view_.RowsChanged();
}

void TNetDog::ReadWorkState(int row) {
    view_.ClearWorkState();
    if (row < 0 || size_t(row) >= rows_.size()) return;
    const TNetDogRow& r = rows_[size_t(row)];
    view_.ShowAskedAddress(r.Address);
    if (r.State == NetDogState::Offline) return;
    const UdpMsgStateQuery query = MakeStateQuery();
    Send(r, &query, sizeof query);
}

void TNetDog::AddRow(const std::string& name, const std::string& address, const std::string& port) {
    {
        std::lock_guard<std::mutex> hold(rowsLock_);
        rows_.push_back(TNetDogRow{name, address, port, NetDogState::Unknown, 0});
    }
    view_.RowsChanged();
}

void TNetDog::ModifyRow(int row, const std::string& name, const std::string& address,
                        const std::string& port) {
    if (row < 0 || size_t(row) >= rows_.size()) return;
    {
        std::lock_guard<std::mutex> hold(rowsLock_);
        TNetDogRow& r = rows_[size_t(row)];
        r.Name = name;
        r.Address = address;
        r.PortText = port;
        r.Misses = 0;
    }
    view_.RowsChanged();
}

void TNetDog::DeleteRow(int row) {
    if (row < 0 || size_t(row) >= rows_.size()) return;
    {
        std::lock_guard<std::mutex> hold(rowsLock_);
        rows_.erase(rows_.begin() + row);
        for (TNetDogRow& r : rows_)
            r.Misses = 0;
    }
    view_.RowsChanged();
}

std::vector<TStateNode> TNetDog::WorkStateTree(const WorkStateRecord& record) {
    const int count = std::min<int>(record.ChannelCount, kStateChannels);
    auto channel = [](int i, const char* state) {
        return TStateNode{"通道" + std::to_string(i + 1) + "：" + state, {}};
    };
    std::vector<TStateNode> tree;
    tree.push_back({record.AutoMode ? "自动工作状态：正在执行" : "自动工作状态：空闲", {}});
    TStateNode preview{"监视预览状态", {}}, capture{"录像状态", {}}, detect{"侦测状态", {}};
    for (int i = 0; i < count; ++i) {
        preview.Children.push_back(channel(i, record.PreviewOpen[i] ? "正在预览" : "空闲"));
        capture.Children.push_back(channel(i, record.FileOpen[i] ? "正在录像" : "空闲"));
        detect.Children.push_back(channel(i, record.Alarming[i] ? "正在报警"
                                             : record.Armed[i]  ? "正在侦测"
                                                                : "空闲"));
    }
    tree.push_back(std::move(preview));
    tree.push_back(std::move(capture));
    tree.push_back(std::move(detect));
    return tree;
}

} // namespace vantrel
