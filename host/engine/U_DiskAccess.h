// The recording drives as the storage units see them, folder creation and removal, and the
// list of disk-fault lines waiting for the disk-fault window.
#pragma once

#include "common/win/handles.h"

#include <windows.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

constexpr unsigned WM_DISKFAULT = 0x416;
// wParam of a WM_DISKFAULT that reports normal cleaning: the window stays hidden.
constexpr WPARAM kDiskFaultNormal = 100;

// Drive letters as the system knows them. Tests put drives in folders of their own and say
// how much room each has.
class TDriveAccess {
public:
    virtual ~TDriveAccess() = default;
    // The drive's root with its trailing "\" (GBK).
    virtual std::string Root(char letter) const;
    // The drive letter a path lies on (its first character).
    virtual char LetterOf(std::string_view path) const { return path.empty() ? 0 : path[0]; }
    virtual bool IsFixed(char letter) const;
    // False when the drive cannot be queried.
    virtual bool FreeBytes(char letter, uint64_t& bytes) const;
};

// Paths are GBK throughout.
bool FolderExists(std::string_view path);
bool PathExists(std::string_view path);
bool DeleteFileGbk(std::string_view path);
bool RenameGbk(std::string_view from, std::string_view to);
// Names in the folder other than "." and "..", with whether each is a folder.
struct FolderItem {
    std::string Name;
    bool IsFolder;
    bool IsLink;
};
std::vector<FolderItem> ListFolder(std::string_view folder);

// -1 for an empty path; otherwise creates every missing level and returns 0.
int ForceDirectories(std::string_view path);
// Deletes the folder's files, its sub-folders the same way, then the folder itself; the
// result is that of the final removal. Linked folders are unlinked, never entered.
bool DeleteFolder(std::string_view path);

// Fault lines: time, four spaces, text, CR LF; each is listed before the window is told.
// A window that never drains the list costs at most kMaxLines lines: the oldest go first.
class TDiskFaultList {
public:
    using Notify = std::function<void(WPARAM, LPARAM)>;
    TDiskFaultList(std::function<double()> clock, Notify notify)
        : clock_(std::move(clock)), notify_(std::move(notify)) {}

    // Posts WM_DISKFAULT to the window from now on.
    void SetWindow(HWND window);
    void Add(std::string_view text, WPARAM wParam, LPARAM lParam);
    // Moves every waiting line out.
    std::vector<std::string> Take();
    static constexpr size_t kMaxLines = 500;

private:
    std::function<double()> clock_;
    Notify notify_;
    dvr::win::CriticalSection lock_;
    std::deque<std::string> lines_;
};

} // namespace vantrel
