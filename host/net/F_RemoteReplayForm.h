// The logic behind the remote replay window: connecting to another host's replay port, its
// channels and recording days, a day's recordings as a filtered and sortable file list, and
// the download of one recording. The window's controls are reached through TRemoteReplayView.
#pragma once

#include "host/net/U_MsgSocket.h"
#include "host/net/U_RemoteReplayProtocol.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace vantrel {

class TWindowTimer;

constexpr UINT WM_FILEINFOCLOSED = 0x406;
constexpr UINT WM_DOWNLOADPROGRESS = 0x422;
constexpr UINT WM_FILEINFOPARSED = 0xBD0;

// What the window shows and asks; texts are GBK.
class TRemoteReplayView {
public:
    virtual ~TRemoteReplayView() = default;
    virtual void SetWindowEnabled(bool enabled) = 0;
    virtual void SetHourglass(bool on) = 0;
    virtual void SetSearchMsgVisible(bool visible) = 0;
    virtual void ShowMessage(const std::string& text) = 0;
    // The channel, day or file list changed.
    virtual void ListsChanged() = 0;
    virtual void SetDownloadBar(bool visible, int max, int position) = 0;
    // Yes/No question.
    virtual bool Ask(const std::string& text) = 0;
    // The drive chooser: the chosen drive's root ("E:\"), none when cancelled.
    virtual std::optional<std::string> ChooseDrive(int neededKB) = 0;
};

struct TChannelItem {
    std::string Caption;
    bool Checked = true;
};

// A row of the file list, built from an entry of the common list.
struct TFileRow {
    int Entry = 0;
    bool Checked = false;
    std::string Caption, Start, End, Type, Size, Duration;
    std::string Path, SizeBytes; // the hidden sub-items
    int ImageIndex = 0;          // 0 normal, 1 alarm
};

class TRemoteReplayForm {
public:
    // `thousands`: the system's thousands separator for the size column.
    TRemoteReplayForm(TRemoteReplayView& view, UINT connectTimeoutMs = 1000, char thousands = ',');
    ~TRemoteReplayForm();

    // sb_Connect.
    void Connect(const std::string& host, int port, const std::string& user,
                 const std::string& password);
    // A day of the day list chosen.
    void SelectDay(int day);
    // A check of the type or channel lists or a time picker changed: the list is refilled.
    void SetChannelChecked(int channel, bool checked);
    void SetTypeChecked(int type, bool checked);
    void SetTimeRange(const std::string& begin, const std::string& end);
    void SetAllChannels(bool checked);
    // Column header clicked: descending first, then toggling.
    void SortByColumn(int column);
    // tb_DownLoad.
    void DownloadPressed();

    // Lists as the window shows them.
    std::vector<TChannelItem> Channels;
    std::vector<std::string> Days;
    std::vector<TFileRow> Rows;
    std::vector<RemoteFileEntry> CommonList;
    int SelectedDay = -1;
    int SelectedRow = -1;
    std::vector<int> ColumnImages = std::vector<int>(6, -1);

    const std::string& ReplayHost() const { return replayHost_; }
    int ReplayPort() const { return port_; }
    bool Downloading() const { return download_.Active(); }
    const std::string& LocalPath() const { return localPath_; }

    // Access for the parser thread.
    bool TakeFileInfoText(std::string& text);
    bool SearchOpen() const { return searchOpen_; }
    void PostEntry(const RemoteFileEntry& e);
    HWND MessageWindow() const { return messages_.Handle(); }

private:
    void SearchConnected();
    void SearchRead();
    void SearchClosed();
    void TimerFired();
    void EntryParsed(std::unique_ptr<RemoteFileEntry> e);
    void Refill();
    bool RowWanted(const RemoteFileEntry& e) const;
    TFileRow MakeRow(int index) const;
    void DownloadRead();
    void DownloadProgress(int count);
    void CloseDownload();
    void Message(UINT m, WPARAM w, LPARAM l);

    TRemoteReplayView& view_;
    char thousands_;
    std::string replayHost_, user_, password_;
    int port_ = 0;
    std::string replyText_;
    bool typeChecked_[2] = {true, true};
    std::string begin_ = "00:00:00", end_ = "23:59:59";

    TMsgClientSocket search_;
    std::unique_ptr<TWindowTimer> timer_;
    std::mutex fileInfoLock_;
    std::string fileInfoText_;
    std::atomic<bool> searchOpen_{false};
    std::atomic<int> parsers_{0};

    TMsgClientSocket download_;
    std::string remotePath_, localPath_;
    int32_t downloadSize_ = 0, downloadReceived_ = 0;
    HANDLE downloadFile_ = INVALID_HANDLE_VALUE;

    TMsgWindow messages_;
};

} // namespace vantrel
