#include "host/net/U_TCPRemoteReplayServer.h"

#include "host/engine/U_Arithmetic.h"
#include "host/engine/U_CaptureFileList.h"
#include "host/engine/U_ClientCheck.h"
#include "host/engine/U_PreviewSet.h"
#include "host/engine/U_StorageNames.h"
#include "host/engine/U_SystemInfo.h"
#include "host/net/T_ThreadRemoteReplaySearchCaptureFile.h"
#include "host/net/U_NetSentBytes.h"
#include "host/net/U_RemoteReplayProtocol.h"

#include "common/win/handles.h"
#include "common/win/textconv.h"

#include <cstdio>
#include <thread>

namespace vantrel {

namespace {

constexpr int kRemoteReplayRight = 7;

bool SameTextIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
        if (x != y) return false;
    }
    return true;
}

} // namespace

// ---- engine adapter

int TEngineReplaySource::ChannelCount() const {
    return info_.ChannelCount;
}

std::string TEngineReplaySource::ChannelTitle(int channel) const {
    if (channel < 0 || channel >= static_cast<int>(preview_.Records.size())) return {};
    return preview_.Records[channel].Title.Get();
}

std::string TEngineReplaySource::DatesText() {
    return files_.GetDatesText();
}

std::optional<TRemoteReplaySource::DayLists>
TEngineReplaySource::DayChannelLists(std::string_view dayKey) {
    auto lists = files_.GetDayChannelLists(dayKey);
    if (!lists) return std::nullopt;
    DayLists out;
    for (size_t i = 0; i < out.size() && i < lists->size(); ++i)
        out[i] = std::move((*lists)[i]);
    return out;
}

bool TEngineReplaySource::CheckUser(std::string_view user, std::string_view password, int right,
                                    int item, int subItem) const {
    return check_.CheckUser(user, password, right, item, subItem);
}

bool TEngineReplaySource::CheckIP(std::string_view address, int right, int item,
                                  int subItem) const {
    return check_.CheckIP(address, right, item, subItem);
}

bool FileModifiedText(std::string_view path, std::string& text) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(dvr::win::GbkToWide(path).c_str(), GetFileExInfoStandard, &data))
        return false;
    FILETIME local{};
    SYSTEMTIME t{};
    if (!::FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) ||
        !::FileTimeToSystemTime(&local, &t))
        return false;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay,
                  t.wHour, t.wMinute, t.wSecond);
    text = buffer;
    return true;
}

// ---- file sending

void TThreadRemoteReplayTCPConnecterSendData::Create(std::shared_ptr<TRemoteReplayShared> shared,
                                                     std::string path,
                                                     TMsgConnectionPtr connection) {
    ++shared->RunningThreads;
    ++shared->SenderThreads;
    std::thread([shared, path = std::move(path), connection = std::move(connection)] {
        const auto stopped = [&] {
            return connection->ClosedFlag.load() || !connection->Connected();
        };
        dvr::win::File file(::CreateFileW(dvr::win::GbkToWide(path).c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            connection->Close();
        } else {
            const TReplayPacing pacing = shared->Pacing;
            std::vector<char> block(static_cast<size_t>(std::max(1, pacing.BlockBytes)));
            bool ending = false;
            while (!ending) {
                DWORD got = 0;
                if (!::ReadFile(file.get(), block.data(), static_cast<DWORD>(block.size()), &got,
                                nullptr) ||
                    got == 0)
                    break;
                DWORD sent = 0;
                while (sent < got) {
                    if (stopped()) {
                        ending = true;
                        break;
                    }
                    const TSendBudget& budget = shared->Budget;
                    if (budget.SentBytes && budget.LimitKbits) {
                        const int32_t limit = budget.LimitKbits();
                        // In 64 bits: a limit above 343 Mbit/s would wrap in 32.
                        if (limit > 0 && budget.SentBytes->load() > BandwidthBudget(limit)) {
                            ::Sleep(5);
                            continue;
                        }
                    }
                    const int n =
                        connection->SendBuf(block.data() + sent, static_cast<int>(got - sent));
                    if (n < 0) {
                        ::Sleep(5);
                        continue;
                    }
                    sent += static_cast<DWORD>(n);
                    if (budget.SentBytes) *budget.SentBytes += static_cast<uint32_t>(n);
                    if (sent < got) ::Sleep(5);
                }
                if (!ending && pacing.BlockPauseMs > 0) ::Sleep(pacing.BlockPauseMs);
            }
        }
        --shared->SenderThreads;
        --shared->RunningThreads;
    }).detach();
}

// ---- server

TTCPRemoteReplayServer::TTCPRemoteReplayServer(TRemoteReplaySource& source, int port,
                                               TSendBudget budget, TReplayPacing pacing,
                                               std::string_view address)
    : shared_(std::make_shared<TRemoteReplayShared>(source, std::move(budget), pacing)) {
    socket_.OnClientRead = [this](const TMsgConnectionPtr& c) { ClientRead(c); };
    socket_.OnClientDisconnect = [](const TMsgConnectionPtr& c) { c->ClosedFlag = true; };
    socket_.MaxConnections = kMaxMsgConnections;
    socket_.OnClientError = [](const TMsgConnectionPtr& c, int& error) {
        error = 0;
        c->ClosedFlag = true;
    };
    socket_.Open(port, address);
}

TTCPRemoteReplayServer::~TTCPRemoteReplayServer() {
    socket_.Close();
}

int TTCPRemoteReplayServer::ServedRecordingChannel(const std::string& path) {
    const std::string day = RecordingPathDayKey(path);
    if (day.empty()) return -1;
    const auto lists = shared_->Source.DayChannelLists(day);
    if (!lists) return -1;
    for (size_t ch = 0; ch < lists->size(); ++ch)
        for (const std::string& entry : (*lists)[ch])
            if (SameTextIgnoringCase(EntryPath(entry), path)) return int(ch);
    return -1;
}

const TTCPRemoteReplayServer::Logon*
TTCPRemoteReplayServer::CurrentLogon(const TMsgConnectionPtr& c) {
    const auto now = std::chrono::steady_clock::now();
    const auto it = logons_.find(c->PeerAddress());
    if (it == logons_.end()) return nullptr;
    if (it->second.Until <= now) {
        logons_.erase(it);
        return nullptr;
    }
    it->second.Until = now + kReplayLogonLifetime;
    return &it->second;
}

void TTCPRemoteReplayServer::RememberLogon(const TMsgConnectionPtr& c, const std::string& user,
                                           const std::string& password) {
    const auto now = std::chrono::steady_clock::now();
    for (auto it = logons_.begin(); it != logons_.end();)
        it = it->second.Until <= now ? logons_.erase(it) : std::next(it);
    if (logons_.size() >= kMaxReplayLogons && !logons_.count(c->PeerAddress())) {
        auto oldest = logons_.begin();
        for (auto it = logons_.begin(); it != logons_.end(); ++it)
            if (it->second.Until < oldest->second.Until) oldest = it;
        logons_.erase(oldest);
    }
    logons_[c->PeerAddress()] = Logon{user, password, now + kReplayLogonLifetime};
}

void TTCPRemoteReplayServer::ClientRead(const TMsgConnectionPtr& c) {
    const std::string text = c->ReceiveText();
    if (text.empty()) return; // a notice whose bytes an earlier read already took
    const RemoteReplayCommand command = ParseRemoteReplayCommand(text);
    TRemoteReplaySource& source = shared_->Source;
    switch (command.Kind) {
    case ReplayCommandKind::Connect: {
        if (!source.CheckUser(command.User, command.Password, kRemoteReplayRight, -1, -1) ||
            !source.CheckIP(c->PeerAddress(), kRemoteReplayRight, -1, -1)) {
            c->Close();
            return;
        }
        c->ClosedFlag = false;
        // The player and the download connect again from this address with the path alone.
        RememberLogon(c, command.User, command.Password);
        std::vector<std::string> titles;
        for (int ch = 0; ch < source.ChannelCount(); ++ch)
            titles.push_back(source.ChannelTitle(ch));
        c->SendText(BuildConnectReply(titles, source.DatesText()));
        return;
    }
    case ReplayCommandKind::FileInfo:
        c->ClosedFlag = false;
        if (shared_->RunningThreads.load() - shared_->SenderThreads.load() >= kMaxReplayQueries) {
            c->Close();
            return;
        }
        if (source.CheckUser(command.User, command.Password, kRemoteReplayRight, -1, -1) &&
            source.CheckIP(c->PeerAddress(), kRemoteReplayRight, -1, -1))
            RememberLogon(c, command.User, command.Password);
        TThreadRemoteReplaySearchCaptureFile::Create(shared_, c, command.User, command.Password,
                                                     command.Date);
        return;
    case ReplayCommandKind::PlayFile:
    case ReplayCommandKind::Download: {
        c->ClosedFlag = false;
        // No credentials travel with these requests: the address must have passed the logon,
        // and its user still the replay right for the recording's channel. Only indexed
        // recordings go out.
        const Logon* logon = CurrentLogon(c);
        if (!logon) {
            c->Close();
            return;
        }
        const int channel = ServedRecordingChannel(command.Path);
        if (channel < 0 ||
            ::GetFileAttributesW(dvr::win::GbkToWide(command.Path).c_str()) ==
                INVALID_FILE_ATTRIBUTES)
            return;
        if (!source.CheckUser(logon->User, logon->Password, kRemoteReplayRight, channel, -1) ||
            !source.CheckIP(c->PeerAddress(), kRemoteReplayRight, channel, -1) ||
            shared_->SenderThreads.load() >= kMaxReplaySenders) {
            c->Close();
            return;
        }
        TThreadRemoteReplayTCPConnecterSendData::Create(shared_, command.Path, c);
        return;
    }
    case ReplayCommandKind::Unknown:
        c->Close();
        return;
    }
}

} // namespace vantrel
