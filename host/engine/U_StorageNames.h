// Names and small rules of the recording drives: file and folder names, drive ranges, the
// free-space rule and the merging of ranges that lack room. No file-system access here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

constexpr const char* kRecordingTopFolder = "DVRDat";
constexpr int kIndexChannels = 49;

struct TDriveRange {
    char FirstDrive = 'D';
    char LastDrive = 'Z';
    bool operator==(const TDriveRange&) const = default;
};

// Letters outside 'D'..'Z' fall back to 'D' (first) or 'Z' (last); a first letter after the
// last becomes 'D'.
TDriveRange CorrectDriveRange(TDriveRange range);

// "CC", "AC", "PB", "RB" for types 0..3; empty for any other type.
std::string_view KindFolder(int type);

// "YYYYMMDD" of an OLE date.
std::string DayFolderName(double oleDate);

// drive + ":\DVRDat\YYYYMMDD\<channel+1>\<kind>\<channel>-<type>-YYYYMMDDHHMMSS.MPG|.BMP",
// with `root` in place of drive + ":\" (the drive's root, trailing "\" included).
std::string RecordingFilePath(std::string_view root, int channel, int type, double oleDate);

// A drive has room when its free megabytes exceed 400 per channel on D and 200 elsewhere.
bool HasRoomFor(char letter, uint64_t freeBytes, int channelCount);

// Ranges of channels without room, in channel order, reduced to those not inside an earlier
// kept one; overlapping ranges stay separate.
std::vector<TDriveRange> MergeRanges(const std::vector<TDriveRange>& ranges);

// A folder under "DVRDat" is a day when its name is 8 decimal digits.
bool IsDayFolderName(std::string_view name);
// Recording and snapshot names are 22 (channels 0..9) or 23 (10..48) characters.
bool IsIndexedFileName(std::string_view name);

// "YYYYMMDD" <-> "YYYY-MM-DD"; the day as an OLE date (false unless a real calendar day).
std::string DayToDashed(std::string_view day);
bool DashedDayToOleDate(std::string_view dashed, double& oleDate);

// The levels of a folder path, each up to and including its backslash and the backslashes
// right after it ("C:\a\\b" -> "C:\", "C:\a\\", "C:\a\\b\"); empty for an empty path.
std::vector<std::string> FolderLevels(std::string_view path);

// The index entry's path (text before "#") and its handle (-1 without "#" or when unreadable).
std::string_view EntryPath(std::string_view entry);
int64_t EntryHandle(std::string_view entry);

// "YYYY-MM-DD HH:MM:SS", the time stamp of a disk-fault line.
std::string FaultTime(double oleDate);

} // namespace vantrel
