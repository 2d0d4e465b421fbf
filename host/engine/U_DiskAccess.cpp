#include "host/engine/U_DiskAccess.h"

#include "host/engine/U_StorageNames.h"

#include "common/win/textconv.h"

#include <mutex>
#include <utility>

namespace vantrel {

using dvr::win::GbkToWide;
using dvr::win::WideToGbk;

std::string TDriveAccess::Root(char letter) const {
    return {letter, ':', '\\'};
}

bool TDriveAccess::IsFixed(char letter) const {
    return ::GetDriveTypeW(GbkToWide(Root(letter)).c_str()) == DRIVE_FIXED;
}

bool TDriveAccess::FreeBytes(char letter, uint64_t& bytes) const {
    ULARGE_INTEGER available{}, total{}, free{};
    if (!::GetDiskFreeSpaceExW(GbkToWide(Root(letter)).c_str(), &available, &total, &free))
        return false;
    bytes = available.QuadPart;
    return true;
}

// FolderExists is defined once, with the engine's data files (U_DataFiles.cpp).

bool PathExists(std::string_view path) {
    return ::GetFileAttributesW(GbkToWide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool DeleteFileGbk(std::string_view path) {
    return ::DeleteFileW(GbkToWide(path).c_str()) != 0;
}

bool RenameGbk(std::string_view from, std::string_view to) {
    return ::MoveFileW(GbkToWide(from).c_str(), GbkToWide(to).c_str()) != 0;
}

std::vector<FolderItem> ListFolder(std::string_view folder) {
    std::vector<FolderItem> items;
    std::wstring pattern = GbkToWide(folder);
    if (!pattern.empty() && pattern.back() != L'\\') pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW fd;
    dvr::win::FindHandle find(::FindFirstFileW(pattern.c_str(), &fd));
    if (!find) return items;
    do {
        const std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        items.push_back({WideToGbk(name), (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                         (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0});
    } while (::FindNextFileW(find.get(), &fd));
    return items;
}

int ForceDirectories(std::string_view path) {
    if (path.empty()) return -1;
    for (const std::string& level : FolderLevels(path))
        if (!FolderExists(level)) ::CreateDirectoryW(GbkToWide(level).c_str(), nullptr);
    return 0;
}

bool DeleteFolder(std::string_view path) {
    std::string folder(path);
    while (!folder.empty() && folder.back() == '\\')
        folder.pop_back();
    if (folder.empty()) return false;
    // Folders are told by their attributes, not by a dot in the name: a dotted folder
    // would otherwise block its day's removal for good.
    std::vector<std::string> subFolders;
    for (const FolderItem& item : ListFolder(folder)) {
        const std::string child = folder + '\\' + item.Name;
        if (item.IsFolder && !item.IsLink)
            subFolders.push_back(child);
        else if (item.IsFolder)
            ::RemoveDirectoryW(GbkToWide(child).c_str());
        else
            DeleteFileGbk(child);
    }
    for (const std::string& sub : subFolders)
        DeleteFolder(sub);
    return ::RemoveDirectoryW(GbkToWide(folder).c_str()) != 0;
}

void TDiskFaultList::SetWindow(HWND window) {
    std::lock_guard guard(lock_);
    notify_ = [window](WPARAM w, LPARAM l) { ::PostMessageW(window, WM_DISKFAULT, w, l); };
}

void TDiskFaultList::Add(std::string_view text, WPARAM wParam, LPARAM lParam) {
    std::string line = FaultTime(clock_());
    line += "    ";
    line += text;
    line += "\r\n";
    Notify notify;
    {
        std::lock_guard guard(lock_);
        lines_.push_back(std::move(line));
        while (lines_.size() > kMaxLines)
            lines_.pop_front();
        notify = notify_;
    }
    if (notify) notify(wParam, lParam);
}

std::vector<std::string> TDiskFaultList::Take() {
    std::lock_guard guard(lock_);
    std::vector<std::string> taken(std::make_move_iterator(lines_.begin()),
                                   std::make_move_iterator(lines_.end()));
    lines_.clear();
    return taken;
}

} // namespace vantrel
