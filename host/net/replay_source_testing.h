// A replay source for the tests of the replay port and its client: recordings of days held
// in memory, titles "Cam<n>" (channel 1 untitled) and access by channel.
#pragma once

#include "host/net/U_TCPRemoteReplayServer.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace vantrel::testing {

// Users and addresses allowed per channel: every channel when the set is empty.
struct FakeSource : TRemoteReplaySource {
    int Channels = 4;
    std::map<std::string, DayLists> Days;
    std::string Dates;
    std::set<int> AllowedChannels;
    bool UserOk = true, AddressOk = true;
    std::vector<std::string> CheckedAddresses;

    int ChannelCount() const override { return Channels; }
    std::string ChannelTitle(int ch) const override {
        return ch == 1 ? "" : "Cam" + std::to_string(ch);
    }
    std::string DatesText() override { return Dates; }
    std::optional<DayLists> DayChannelLists(std::string_view day) override {
        const auto it = Days.find(std::string(day));
        if (it == Days.end()) return std::nullopt;
        return it->second;
    }
    bool CheckUser(std::string_view user, std::string_view password, int right, int item,
                   int) const override {
        if (right != 7 || !UserOk || user != "op" || password != "pw") return false;
        return item < 0 || AllowedChannels.empty() || AllowedChannels.count(item) != 0;
    }
    bool CheckIP(std::string_view address, int right, int, int) const override {
        const_cast<FakeSource*>(this)->CheckedAddresses.emplace_back(address);
        return right == 7 && AddressOk;
    }
};

} // namespace vantrel::testing
