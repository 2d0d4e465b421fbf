// The text protocol of remote replay: requests a viewer sends to the replay port, the
// connect reply, the per-recording file lines, and the client's parsing of both answers.
// Texts are GBK bytes, sent without framing.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

enum class ReplayCommandKind { Connect, FileInfo, PlayFile, Download, Unknown };

struct RemoteReplayCommand {
    ReplayCommandKind Kind = ReplayCommandKind::Unknown;
    std::string User, Password;
    std::string Date; // FileInfo: "YYYY-MM-DD"
    std::string Path; // PlayFile, Download
};

// One read notification's text as one request; keywords compare case-sensitively.
RemoteReplayCommand ParseRemoteReplayCommand(std::string_view text);

std::string BuildConnectCommand(std::string_view user, std::string_view password);
std::string BuildFileInfoCommand(std::string_view user, std::string_view password,
                                 std::string_view date);

// Each title followed by ";", then the dates text ("YYYY-MM-DD," per day) as it is.
std::string BuildConnectReply(const std::vector<std::string>& titles, std::string_view datesText);

struct ConnectReply {
    std::vector<std::string> Titles;
    std::vector<std::string> Days;
};
ConnectReply ParseConnectReply(std::string_view text);
// Channel item caption: 1-based position, " <", title, ">".
std::string ChannelItemCaption(int index, std::string_view title);

// The "YYYYMMDD" key of a "YYYY-MM-DD" date: characters 1-4, 6-7 and 9-10; empty when short.
std::string FileInfoDayKey(std::string_view date);

// "YYYY-MM-DD HH:MM:SS" from the 14 digits ending a recording's name before its extension
// (the last 18 characters of the path); false when they are not digits.
bool FileStartText(std::string_view path, std::string& text);
// Whole seconds between two "YYYY-MM-DD HH:MM:SS" texts, as a positive difference.
int64_t RecordingSeconds(std::string_view a, std::string_view b);

struct RemoteFileInfo {
    int Type = 0;
    int Channel = 0;
    std::string Start, End, TypeName;
    int64_t Size = 0;
    int64_t Seconds = 0;
    std::string Path;
};
// Fields closed by "~", "!", "@", "#", "$", "%", "^", "&" in that order.
std::string FormatFileInfoLine(const RemoteFileInfo& info);
// True when the text holds none of the eight delimiters (a line field must not).
bool FileInfoFieldClean(std::string_view text);


// A recording as the client keeps it; texts cut to the stored capacities.
struct RemoteFileEntry {
    uint8_t RecordType = 0;
    uint8_t Channel = 0;
    std::string StartTime; // 20
    std::string EndTime;   // 20
    std::string TypeName;  // 10
    std::string SizeText;  // 10, bytes as decimal text
    std::string Duration;  // 10
    std::string Path;      // 100
};

// Turns the file lines into entries as their text arrives, in pieces of any size.
class FileInfoParser {
public:
    explicit FileInfoParser(std::function<void(const RemoteFileEntry&)> onEntry)
        : onEntry_(std::move(onEntry)) {}
    void Feed(std::string_view text);

private:
    std::function<void(const RemoteFileEntry&)> onEntry_;
    std::string token_;
    RemoteFileEntry entry_;
    bool open_ = false;
};

// The decimal value of a text, `fallback` when it is not a whole number.
int64_t NumberOr(std::string_view text, int64_t fallback);

// File-list columns of an entry.
std::string ChannelCaption(int channel);                           // "01" for channel 0
std::string SizeColumn(std::string_view sizeText, char thousands); // "1,500 KB"
// Refill filter: the entry's day (from its file name) equals `day` ("YYYY-MM-DD") and its
// start time of day from the name lies in [begin, end] ("HH:MM:SS"), compared as texts.
bool EntryInDayAndTime(const RemoteFileEntry& e, std::string_view day, std::string_view begin,
                       std::string_view end);
// The file name of a remote path: the text after its last "\" or "/"; empty when that would
// name a drive or a parent folder, so nothing lands outside the download folder.
std::string RemoteFileName(std::string_view path);

// The day key of a path that names a recording the replay port may hand out: a file name of
// the recordings' form (<channel>-<type>-<14 digits>.<ext>) under "DVRDat\<day>\", no ".."
// anywhere; empty otherwise.
std::string RecordingPathDayKey(std::string_view path);

} // namespace vantrel
