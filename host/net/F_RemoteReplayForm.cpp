#include "host/net/F_RemoteReplayForm.h"

#include "host/engine/U_DiskAccess.h"
#include "host/engine/U_WindowTimer.h"
#include "host/net/T_ThreadRemotePlayExtractFileInfo.h"

#include "common/win/textconv.h"

#include <algorithm>
#include <cstdio>

namespace vantrel {

namespace {

using dvr::win::GbkToWide;
using dvr::win::Utf8ToGbk;

constexpr UINT WM_FILEINFOENTRY = WM_APP + 0x330;
constexpr int kSearchConnect = 0;
constexpr int kSearchFileInfo = 100;
constexpr int kMaxReadPerNotice = 10000;

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return s;
}

} // namespace

TRemoteReplayForm::TRemoteReplayForm(TRemoteReplayView& view, UINT connectTimeoutMs, char thousands)
    : view_(view), thousands_(thousands),
      timer_(std::make_unique<TWindowTimer>(connectTimeoutMs, [this] { TimerFired(); })),
      messages_([this](UINT m, WPARAM w, LPARAM l) { Message(m, w, l); }) {
    search_.OnConnect = [this] { SearchConnected(); };
    search_.OnRead = [this] { SearchRead(); };
    search_.OnDisconnect = [this] { SearchClosed(); };
    search_.OnError = [this](int& code) {
        code = 0;
        search_.Close();
    };
    download_.OnConnect = [this] {
        if (const auto c = download_.Connection()) c->SendText("Download" + remotePath_);
    };
    download_.OnRead = [this] { DownloadRead(); };
    download_.OnDisconnect = [this] {
        if (download_.Tag >= 0) messages_.Post(WM_DOWNLOADPROGRESS, static_cast<WPARAM>(-1));
    };
    download_.OnError = [this](int& code) {
        code = 0;
        download_.Close();
    };
}

TRemoteReplayForm::~TRemoteReplayForm() {
    search_.Close();
    searchOpen_ = false;
    for (int i = 0; i < 400 && parsers_.load() > 0; ++i)
        ::Sleep(5);
    download_.Tag = -1;
    download_.Close();
    if (downloadFile_ != INVALID_HANDLE_VALUE) ::CloseHandle(downloadFile_);
}

void TRemoteReplayForm::Connect(const std::string& host, int port, const std::string& user,
                                const std::string& password) {
    if (host.empty()) return;
    replayHost_ = host;
    port_ = port;
    user_ = user;
    password_ = password;
    CommonList.clear();
    Channels.clear();
    Days.clear();
    Rows.clear();
    SelectedDay = SelectedRow = -1;
    replyText_.clear();
    view_.ListsChanged();
    search_.Close();
    search_.Tag = kSearchConnect;
    timer_->SetEnabled(true);
    view_.SetWindowEnabled(false);
    view_.SetHourglass(true);
    search_.Open(replayHost_, port_);
}

void TRemoteReplayForm::SelectDay(int day) {
    if (day < 0 || day >= static_cast<int>(Days.size())) return;
    SelectedDay = day;
    Rows.clear();
    SelectedRow = -1;
    CommonList.clear();
    view_.ListsChanged();
    search_.Close();
    search_.Tag = kSearchFileInfo;
    {
        std::lock_guard<std::mutex> g(fileInfoLock_);
        fileInfoText_.clear();
    }
    timer_->SetEnabled(true);
    view_.SetWindowEnabled(false);
    view_.SetHourglass(true);
    search_.Open(replayHost_, port_);
}

void TRemoteReplayForm::SearchConnected() {
    timer_->SetEnabled(false);
    const auto c = search_.Connection();
    if (!c) return;
    if (search_.Tag == kSearchConnect) {
        view_.SetWindowEnabled(true);
        view_.SetHourglass(false);
        c->SendText(BuildConnectCommand(user_, password_));
        return;
    }
    searchOpen_ = true;
    c->SendText(BuildFileInfoCommand(user_, password_, Days[SelectedDay]));
    TThreadRemotePlayExtractFileInfo::Create(*this, parsers_);
}

void TRemoteReplayForm::SearchRead() {
    const auto c = search_.Connection();
    if (!c) return;
    const std::string text = c->ReceiveText();
    if (search_.Tag == kSearchFileInfo) {
        view_.SetWindowEnabled(false);
        std::lock_guard<std::mutex> g(fileInfoLock_);
        fileInfoText_ += text;
        return;
    }
    // The host sends its reply at once and keeps the connection: it is whole once it ends
    // with a delimiter, so a reply split over two notices is not cut short.
    replyText_ += text;
    if (replyText_.empty() || (replyText_.back() != ';' && replyText_.back() != ',')) return;
    const ConnectReply reply = ParseConnectReply(replyText_);
    Channels.clear();
    Days.clear();
    for (size_t i = 0; i < reply.Titles.size(); ++i)
        Channels.push_back({ChannelItemCaption(static_cast<int>(i), reply.Titles[i]), true});
    Days = reply.Days;
    std::sort(Days.begin(), Days.end());
    view_.ListsChanged();
    search_.Close();
}

void TRemoteReplayForm::SearchClosed() {
    if (search_.Tag == kSearchFileInfo) {
        searchOpen_ = false;
        messages_.Post(WM_FILEINFOCLOSED, 0);
        return;
    }
    view_.SetWindowEnabled(true);
    timer_->SetEnabled(false);
    view_.SetHourglass(false);
}

void TRemoteReplayForm::TimerFired() {
    timer_->SetEnabled(false);
    view_.ShowMessage(Utf8ToGbk("连接超时！"));
    view_.SetWindowEnabled(true);
    view_.SetHourglass(false);
}

bool TRemoteReplayForm::TakeFileInfoText(std::string& text) {
    std::lock_guard<std::mutex> g(fileInfoLock_);
    if (fileInfoText_.empty()) return false;
    text = std::move(fileInfoText_);
    fileInfoText_.clear();
    return true;
}

void TRemoteReplayForm::PostEntry(const RemoteFileEntry& e) {
    auto copy = std::make_unique<RemoteFileEntry>(e);
    if (::PostMessageW(messages_.Handle(), WM_FILEINFOENTRY, 0,
                       reinterpret_cast<LPARAM>(copy.get())))
        copy.release();
}

void TRemoteReplayForm::EntryParsed(std::unique_ptr<RemoteFileEntry> e) {
    CommonList.push_back(*e);
    const int index = static_cast<int>(CommonList.size()) - 1;
    const bool channelOn = e->Channel < Channels.size() && Channels[e->Channel].Checked;
    const bool typeOn = e->RecordType < 2 && typeChecked_[e->RecordType];
    if (channelOn && typeOn) {
        Rows.push_back(MakeRow(index));
        view_.ListsChanged();
    }
}

TFileRow TRemoteReplayForm::MakeRow(int index) const {
    const RemoteFileEntry& e = CommonList[index];
    TFileRow r;
    r.Entry = index;
    r.Caption = ChannelCaption(e.Channel);
    r.Start = e.StartTime.size() >= 8 ? e.StartTime.substr(e.StartTime.size() - 8) : e.StartTime;
    r.End = e.EndTime;
    r.Type = e.TypeName;
    r.Size = SizeColumn(e.SizeText, thousands_);
    r.Duration = e.Duration;
    r.Path = e.Path;
    r.SizeBytes = e.SizeText;
    r.ImageIndex = e.RecordType == 1 ? 1 : 0;
    return r;
}

bool TRemoteReplayForm::RowWanted(const RemoteFileEntry& e) const {
    if (e.Channel >= Channels.size() || !Channels[e.Channel].Checked) return false;
    if (e.RecordType >= 2 || !typeChecked_[e.RecordType]) return false;
    return EntryInDayAndTime(e, Days[SelectedDay], begin_, end_);
}

void TRemoteReplayForm::Refill() {
    Rows.clear();
    SelectedRow = -1;
    if (!CommonList.empty() && SelectedDay >= 0) {
        for (size_t i = 0; i < CommonList.size(); ++i)
            if (RowWanted(CommonList[i])) Rows.push_back(MakeRow(static_cast<int>(i)));
        if (!Rows.empty()) SelectedRow = 0;
    }
    view_.ListsChanged();
}

void TRemoteReplayForm::SetChannelChecked(int channel, bool checked) {
    if (channel < 0 || channel >= static_cast<int>(Channels.size())) return;
    Channels[channel].Checked = checked;
    Refill();
}

void TRemoteReplayForm::SetTypeChecked(int type, bool checked) {
    if (type < 0 || type > 1) return;
    typeChecked_[type] = checked;
    Refill();
}

void TRemoteReplayForm::SetTimeRange(const std::string& begin, const std::string& end) {
    begin_ = begin;
    end_ = end;
    Refill();
}

void TRemoteReplayForm::SetAllChannels(bool checked) {
    for (TChannelItem& c : Channels)
        c.Checked = checked;
    Refill();
}

void TRemoteReplayForm::SortByColumn(int column) {
    if (column < 0 || column >= static_cast<int>(ColumnImages.size())) return;
    const int image = ColumnImages[column] == 4 ? 3 : 4;
    std::fill(ColumnImages.begin(), ColumnImages.end(), -1);
    ColumnImages[column] = image;
    const auto text = [column](const TFileRow& r) {
        switch (column) {
        case 0:
            return r.Caption;
        case 1:
            return r.Start;
        case 2:
            return r.End;
        case 3:
            return r.Type;
        case 4:
            return r.Size;
        default:
            return r.Duration;
        }
    };
    std::stable_sort(Rows.begin(), Rows.end(), [&](const TFileRow& a, const TFileRow& b) {
        const std::string x = Lower(text(a)), y = Lower(text(b));
        return image == 4 ? y < x : x < y;
    });
    view_.ListsChanged();
}

void TRemoteReplayForm::DownloadPressed() {
    if (download_.Active()) {
        if (view_.Ask(Utf8ToGbk("数据正在下载中！\r\r你要中断下载吗？"))) download_.Close();
        return;
    }
    const auto row =
        std::find_if(Rows.begin(), Rows.end(), [](const TFileRow& r) { return r.Checked; });
    if (row == Rows.end()) {
        view_.ShowMessage(Utf8ToGbk("请在须要下载的数据前打勾选中。"));
        return;
    }
    remotePath_ = row->Path;
    const int64_t size = NumberOr(row->SizeBytes, 0);
    downloadSize_ = size < 0 || size > INT32_MAX ? 0 : static_cast<int32_t>(size);
    const std::optional<std::string> root = view_.ChooseDrive(downloadSize_ / 1024);
    if (!root) return;
    SYSTEMTIME t{};
    ::GetLocalTime(&t);
    char day[16], time[16];
    std::snprintf(day, sizeof day, "%04u-%02u-%02u", t.wYear, t.wMonth, t.wDay);
    std::snprintf(time, sizeof time, "%02u %02u %02u", t.wHour, t.wMinute, t.wSecond);
    localPath_ = *root + "DownLoad\\" + day + "\\" + time + "\\" + RemoteFileName(remotePath_);
    downloadReceived_ = 0;
    downloadFile_ = INVALID_HANDLE_VALUE;
    download_.Tag = 0;
    download_.Open(replayHost_, port_);
}

void TRemoteReplayForm::DownloadRead() {
    const auto c = download_.Connection();
    if (!c) return;
    if (downloadFile_ == INVALID_HANDLE_VALUE) {
        const size_t slash = localPath_.rfind('\\');
        ForceDirectories(localPath_.substr(0, slash + 1));
        // A remote path without a usable file name gets no local file either.
        if (slash + 1 < localPath_.size())
            downloadFile_ = ::CreateFileW(GbkToWide(localPath_).c_str(),
                                          GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                          CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (downloadFile_ == INVALID_HANDLE_VALUE) {
            download_.Tag = -1;
            download_.Close();
            view_.ShowMessage(Utf8ToGbk("创建文件失败，无法下载！"));
            return;
        }
        view_.SetDownloadBar(true, downloadSize_, 0);
    }
    char buffer[kMaxReadPerNotice];
    const int n = c->ReceiveBuf(buffer, sizeof buffer);
    if (n <= 0) return;
    DWORD written = 0;
    ::WriteFile(downloadFile_, buffer, static_cast<DWORD>(n), &written, nullptr);
    messages_.Post(WM_DOWNLOADPROGRESS, static_cast<WPARAM>(n));
}

void TRemoteReplayForm::CloseDownload() {
    download_.Close();
    if (downloadFile_ != INVALID_HANDLE_VALUE) ::CloseHandle(downloadFile_);
    downloadFile_ = INVALID_HANDLE_VALUE;
}

void TRemoteReplayForm::DownloadProgress(int count) {
    if (count >= 0) {
        downloadReceived_ += count;
        view_.SetDownloadBar(true, downloadSize_, downloadReceived_);
        if (downloadReceived_ >= downloadSize_) CloseDownload();
        return;
    }
    if (downloadReceived_ >= downloadSize_) {
        view_.SetDownloadBar(true, downloadSize_, downloadSize_);
        view_.ShowMessage(Utf8ToGbk("下载结束！\r\r数据已被存放为：") + localPath_);
    } else {
        view_.ShowMessage(Utf8ToGbk("下载已中断！"));
    }
    view_.SetDownloadBar(false, downloadSize_, 0);
    CloseDownload();
}

void TRemoteReplayForm::Message(UINT m, WPARAM w, LPARAM l) {
    switch (m) {
    case WM_FILEINFOENTRY:
        EntryParsed(std::unique_ptr<RemoteFileEntry>(reinterpret_cast<RemoteFileEntry*>(l)));
        break;
    case WM_FILEINFOPARSED:
        if (w == 0) {
            view_.SetHourglass(true);
            view_.SetWindowEnabled(false);
            view_.SetSearchMsgVisible(true);
        } else {
            view_.SetSearchMsgVisible(false);
            view_.SetWindowEnabled(true);
            timer_->SetEnabled(false);
            view_.SetHourglass(false);
        }
        break;
    case WM_DOWNLOADPROGRESS:
        DownloadProgress(static_cast<int>(static_cast<INT_PTR>(w)));
        break;
    default:
        break;
    }
}

} // namespace vantrel
