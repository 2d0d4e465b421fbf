// The local replay's rules that need no window: speed steps and their texts, the layout a
// number of windows gets, the zoom drag's rectangles, what a recording's path tells, the
// backup and clip names, and the plan of a clip cut.
#pragma once

#include "common/gbk.h"
#include "host/engine/U_PaneLayout.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

constexpr int kReplayPorts = 16;
constexpr int kSpeedNormal = 4;
constexpr int kSpeedSlowest = 0;
constexpr int kSpeedFastest = 8;
constexpr int kSpeedStepForward = 9;
constexpr int kSpeedStepBack = -1;

// One window's clip range: position-bar units and key-frame byte offsets (-1: to the end).
struct ClipMark {
    int32_t SelStart = 0;
    int32_t SelEnd = 0;
    int32_t StartFilePos = 0;
    int32_t EndFilePos = -1;
    bool operator==(const ClipMark&) const = default;
};

// One recording or snapshot found by a search; the chains link them through Next.
struct ReplayFileRecord {
    uint8_t RecordType = 0;
    uint8_t Channel = 0;
    dvr::PString<20> StartTime{};
    dvr::PString<20> EndTime{};
    dvr::PString<10> TypeName{};
    dvr::PString<10> SizeText{};
    dvr::PString<10> Duration{};
    // The full path; kept whole, as a cut path could not be played or backed up.
    std::string Path;
    ReplayFileRecord* Next = nullptr;
};

// A singly linked chain with its head and tail.
struct ReplayFileChain {
    ReplayFileRecord* Head = nullptr;
    ReplayFileRecord* Tail = nullptr;
    void Append(ReplayFileRecord* r);
    void Clear();
    size_t Count() const;
    bool Empty() const { return Head == nullptr; }
    // Moves every record whose file-name date ("YYYY-MM-DD") is `day` to the tail of `to`,
    // keeping the order of both chains.
    void MoveDay(std::string_view day, ReplayFileChain& to);
};

// "普通录像", "报警录像", "预览抓帧", "回放抓帧" (GBK) for types 0..3; empty otherwise.
std::string_view CaptureTypeName(int type);

int SpeedAfterSlow(int step);
int SpeedAfterFast(int step);
// "4倍慢速" .. "常速" .. "4倍快速", "单帧退", "单帧进" (GBK).
std::string ReplaySpeedText(int step);
// Whole seconds as "h:m:s" without leading zeros.
std::string PlayedTimeText(uint32_t seconds);

// The smallest of 1, 4, 6, 9, 10, 11, 13, 16 not below `windows`, but at least 4.
int ReplayLayoutFor(int windows);

// The rectangle spanned by the drag start and the pointer clamped to the window.
PaneRect DragRect(int startX, int startY, int x, int y, int width, int height);
// A window rectangle clamped to the window and mapped into the 352 x 288 picture.
PaneRect ZoomToPicture(PaneRect r, int width, int height);

// Snapshots (".BMP") carry an uppercase B somewhere in their path; recordings don't.
bool IsSnapshotPath(std::string_view path);
// "YYYY-MM-DD HH:MM:SS" from the 14 digits before the 4-character extension.
std::string StartTimeFromPath(std::string_view path);
// "YYYY-MM-DD" of the file name (the first 8 of its last 18 characters).
std::string DayFromPath(std::string_view path);
// "HH:MM:SS" of the file name (the 6 digits before the extension).
std::string TimeOfDayFromPath(std::string_view path);
// The digit behind the first "-"; 1 when it is no digit.
int RecordTypeFromPath(std::string_view path);
// The channel a recording's name begins with ("11-0-...": 11); -1 when none.
int ChannelFromFileName(std::string_view path);
// File length / 1024 rounded, with thousands separators, and " KB".
std::string SizeText(uint64_t bytes);
// Seconds from one "YYYY-MM-DD HH:MM:SS" to another; 0 when either is malformed.
int64_t SecondsBetween(std::string_view from, std::string_view to);

// drive ":\VQS_Backup\".
std::string BackupRoot(char drive);
// The root and the source with its second character (the ":") replaced by "$".
std::string BackupTargetPath(std::string_view root, std::string_view source);
// drive ":\CaptureCut\YYYY-MM-DD HH-MM-SS.mpg".
std::string ClipTargetName(char drive, int year, int month, int day, int hour, int minute,
                           int second);

constexpr int kClipBlock = 10000;

// How one clip is cut from a source of `size` bytes whose stream header is `headerLength`
// bytes: the header, then [Start, End) in blocks of at most 10000 bytes.
struct ClipPlan {
    bool Ok = false;
    int64_t Start = 0;
    int64_t End = 0;
    int64_t Blocks = 0;
};
ClipPlan PlanClip(int64_t size, int headerLength, int64_t startPos, int64_t endPos);

// Length of the stream header at the start of a recording (19 bytes, more with text
// blocks); 0 when the bytes do not begin with one.
int RecordingHeaderLength(const uint8_t* data, size_t n);

} // namespace vantrel

namespace vantrel {

// One row of the replay window's file list.
struct ReplayListRow {
    int Channel = 0; // 0-based
    std::string Path;
    bool Checked = false;
};

// A fresh start of play: the play lists of the windows from the checked rows (each row's
// file, or with `replayAll` every file from it to the end of the list of its channel),
// unchecking the rows used and, after the sixteenth window, all the rest; without a checked
// row window 0 gets the selected row (`selected` -1: nothing).
std::vector<std::vector<std::string>> AssignPlayLists(std::vector<ReplayListRow>& rows,
                                                      int selected, bool replayAll);

// Whether the file list shows a record: its channel checked, its type wanted, its file-name
// date the selected day ("YYYY-MM-DD") and its start time within [begin, end] ("HH:MM:SS").
bool FileListShows(const ReplayFileRecord& r, const std::vector<bool>& channelChecked, bool normal,
                   bool alarm, std::string_view day, std::string_view begin, std::string_view end);

} // namespace vantrel

namespace vantrel {

// Free kilobytes against needed kilobytes, both as the dialog shows them (a text that is no
// number counts 0); equal is enough.
bool BackupHasRoom(std::string_view freeKb, std::string_view needKb);

} // namespace vantrel

namespace vantrel {

// One axis of the snapshot browser's picture: its size and position in a panel.
struct PictureAxis {
    int Size = 0;
    int Pos = 0;
    bool operator==(const PictureAxis&) const = default;
};
// Zoom by `factor`: a picture larger than the panel keeps the point at the panel's centre,
// a smaller one is centred.
PictureAxis ZoomAxis(PictureAxis a, int panel, double factor);
// After a resize or a zoom out: a smaller picture is centred, a larger one leaves no gap.
PictureAxis PlaceAxis(PictureAxis a, int panel);

// The snapshot's time "YYYYMMDDHHMMSS" and the folders where the recording around it lies:
// its own folder with the kind folder changed to "CC", then to "AC".
std::string SnapshotStamp(std::string_view snapshotPath);
std::string RecordingFolderFor(std::string_view snapshotPath, char kind);
// Whether a recording named `name`, last written at `lastWrite` ("YYYYMMDDHHMMSS"), covers
// the snapshot: same name length, started not after and last written not before its time.
bool RecordingCovers(std::string_view name, std::string_view lastWrite,
                     std::string_view snapshotName);

} // namespace vantrel
