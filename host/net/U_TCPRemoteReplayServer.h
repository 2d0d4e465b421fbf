// The host's remote replay port: viewers list the recording days, a day's recordings, and
// fetch recordings as paced raw bytes for playing or downloading.
#pragma once

#include "host/net/U_MsgSocket.h"

#include <array>
#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

class TSystemInfo;
class TPreviewSet;
class TCaptureFileList;
class TClientCheck;

// What the replay port reads of the host engine.
class TRemoteReplaySource {
public:
    using DayLists = std::array<std::vector<std::string>, 49>;
    virtual ~TRemoteReplaySource() = default;
    virtual int ChannelCount() const = 0;
    virtual std::string ChannelTitle(int channel) const = 0;
    // "YYYY-MM-DD," per recording day, oldest first.
    virtual std::string DatesText() = 0;
    // The index entries of a "YYYYMMDD" day per channel; none when the day is unknown.
    virtual std::optional<DayLists> DayChannelLists(std::string_view dayKey) = 0;
    virtual bool CheckUser(std::string_view user, std::string_view password, int right, int item,
                           int subItem) const = 0;
    virtual bool CheckIP(std::string_view address, int right, int item, int subItem) const = 0;
};

// The engine's objects behind the replay port.
class TEngineReplaySource : public TRemoteReplaySource {
public:
    TEngineReplaySource(const TSystemInfo& info, const TPreviewSet& preview,
                        TCaptureFileList& files, const TClientCheck& check)
        : info_(info), preview_(preview), files_(files), check_(check) {}
    int ChannelCount() const override;
    std::string ChannelTitle(int channel) const override;
    std::string DatesText() override;
    std::optional<DayLists> DayChannelLists(std::string_view dayKey) override;
    bool CheckUser(std::string_view user, std::string_view password, int right, int item,
                   int subItem) const override;
    bool CheckIP(std::string_view address, int right, int item, int subItem) const override;

private:
    const TSystemInfo& info_;
    const TPreviewSet& preview_;
    TCaptureFileList& files_;
    const TClientCheck& check_;
};

// The shared send budget of all network senders: bytes sent since the main window's last
// 100 ms reset, and the limit in kbit/s (0 or less: no limit).
struct TSendBudget {
    std::atomic<uint32_t>* SentBytes = nullptr;
    std::function<int32_t()> LimitKbits;
};

// How a file goes out: blocks of this size, this pause after each.
struct TReplayPacing {
    int BlockBytes = 1024;
    int BlockPauseMs = 40;
};

// State the server's worker threads share with it; lives while any of them runs.
struct TRemoteReplayShared {
    TRemoteReplayShared(TRemoteReplaySource& source, TSendBudget budget, TReplayPacing pacing)
        : Source(source), Budget(std::move(budget)), Pacing(pacing) {}
    TRemoteReplaySource& Source;
    TSendBudget Budget;
    TReplayPacing Pacing;
    std::atomic<int> RunningThreads{0};
    std::atomic<int> SenderThreads{0};
};

// File senders running at once; a request beyond them is refused (its connection closed).
constexpr int kMaxReplaySenders = 16;
// File queries running at once, likewise.
constexpr int kMaxReplayQueries = 16;
// How long a passed replay logon lets its address fetch recordings (each use renews it).
constexpr std::chrono::minutes kReplayLogonLifetime{30};
// Addresses with a logon remembered at once; the oldest goes first.
constexpr size_t kMaxReplayLogons = 256;

// Sends one recording over its connection, paced; frees itself.
class TThreadRemoteReplayTCPConnecterSendData {
public:
    static void Create(std::shared_ptr<TRemoteReplayShared> shared, std::string path,
                       TMsgConnectionPtr connection);
};

class TTCPRemoteReplayServer {
public:
    // Listens on `port` (NetPortTable slot 1) at once; `address` only narrows the listening
    // address (tests: loopback).
    TTCPRemoteReplayServer(TRemoteReplaySource& source, int port, TSendBudget budget = {},
                           TReplayPacing pacing = {}, std::string_view address = {});
    ~TTCPRemoteReplayServer();

    bool Listening() const { return socket_.Active(); }
    int Port() const { return socket_.LocalPort(); }
    // Query and sender threads still running.
    int RunningThreads() const { return shared_->RunningThreads.load(); }

private:
    void ClientRead(const TMsgConnectionPtr& c);
    // The channel whose index lists the recording under its day; -1 for anything else, which
    // is never handed out.
    int ServedRecordingChannel(const std::string& path);
    // The logon of the connection's address, renewed; null when it has none or it expired.
    struct Logon {
        std::string User, Password;
        std::chrono::steady_clock::time_point Until;
    };
    const Logon* CurrentLogon(const TMsgConnectionPtr& c);
    void RememberLogon(const TMsgConnectionPtr& c, const std::string& user,
                       const std::string& password);

    std::shared_ptr<TRemoteReplayShared> shared_;
    std::map<std::string, Logon> logons_; // by peer address; user-interface thread only
    TMsgServerSocket socket_;
};

// "YYYY-MM-DD HH:MM:SS" of the file's last write, local time; false when unreadable.
bool FileModifiedText(std::string_view path, std::string& text);

} // namespace vantrel
