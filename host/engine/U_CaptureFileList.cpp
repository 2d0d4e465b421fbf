#include "host/engine/U_CaptureFileList.h"

#include "common/win/textconv.h"

#include <algorithm>
#include <mutex>

namespace vantrel {

std::string_view RecordingDay(std::string_view path) {
    // "X:\DVRDat\YYYYMMDD\..."; found by the folder name so that a longer root also works.
    const size_t at = path.find("\\DVRDat\\");
    if (at != std::string_view::npos && path.size() >= at + 8 + 8) return path.substr(at + 8, 8);
    return path.size() >= 18 ? path.substr(10, 8) : std::string_view();
}

namespace {

bool LetterInRange(const TDriveAccess& drives, std::string_view entry, char first, char last) {
    const char letter = drives.LetterOf(entry);
    return letter >= first && letter <= last;
}

} // namespace

TCaptureFileList::TCaptureFileList(const TDriveAccess& drives, const TDriveRanges& ranges,
                                   const TDataLockTable& locker, const TRecordingFiles& recording,
                                   TDiskFaultList& faults, std::function<void(DWORD)> pause)
    : drives_(drives), ranges_(ranges), locker_(locker), recording_(recording), faults_(faults),
      pause_(pause ? std::move(pause) : [](DWORD ms) { ::Sleep(ms); }) {
    ScanDrives();
}

void TCaptureFileList::ScanDrives() {
    const int channels = std::min(ranges_.ChannelCount(), kIndexChannels);
    std::vector<std::string> dayFolders;
    for (int ch = 0; ch < channels; ++ch) {
        const TDriveRange range = ranges_.Range(ch);
        for (int letter = range.FirstDrive; letter <= range.LastDrive; ++letter) {
            if (letter < 'A' || letter > 'Z') continue;
            if (!drives_.IsFixed(static_cast<char>(letter))) continue;
            const std::string top =
                drives_.Root(static_cast<char>(letter)) + kRecordingTopFolder + "\\";
            if (!FolderExists(top)) continue;
            for (const FolderItem& item : ListFolder(top)) {
                if (!IsDayFolderName(item.Name)) continue;
                const std::string folder = top + item.Name;
                if (std::find(dayFolders.begin(), dayFolders.end(), folder) == dayFolders.end())
                    dayFolders.push_back(folder);
            }
        }
    }
    for (const std::string& folder : dayFolders) {
        const std::string day = folder.substr(folder.size() - 8);
        for (int j = 0; j < channels; ++j) {
            const std::string channelFolder = folder + "\\" + std::to_string(j + 1) + "\\";
            if (!FolderExists(channelFolder)) continue;
            for (int type = 0; type < 4; ++type) {
                const std::string kind = channelFolder + std::string(KindFolder(type)) + "\\";
                if (!FolderExists(kind)) continue;
                for (const FolderItem& item : ListFolder(kind))
                    if (IsIndexedFileName(item.Name)) AddFile(day, j, kind + item.Name);
            }
        }
    }
    // Day folders without a recognised file go; one pass, so a day kept on two drives
    // cannot hold the start-up in a loop.
    for (const std::string& folder : dayFolders)
        if (FindDay(folder.substr(folder.size() - 8)) < 0 && FolderExists(folder))
            DeleteFolder(folder);
}

int TCaptureFileList::FindOrAddDay(std::string_view day) {
    std::lock_guard guard(lock_);
    const auto it = days_.try_emplace(DayKey(day)).first;
    return static_cast<int>(std::distance(days_.begin(), it));
}

void TCaptureFileList::AddFile(std::string_view day, int channel, std::string_view entry) {
    if (channel < 0 || channel >= kIndexChannels) return;
    std::lock_guard guard(lock_);
    days_[DayKey(day)].Lists[channel].emplace(entry);
}

int TCaptureFileList::FindDay(std::string_view day) {
    std::lock_guard guard(lock_);
    const auto it = days_.find(DayKey(day));
    return it == days_.end() ? -1 : static_cast<int>(std::distance(days_.begin(), it));
}

std::optional<ChannelLists> TCaptureFileList::GetDayChannelLists(std::string_view day) {
    std::lock_guard guard(lock_);
    const auto it = days_.find(DayKey(day));
    if (it == days_.end()) return std::nullopt;
    ChannelLists lists;
    for (int ch = 0; ch < kIndexChannels; ++ch)
        lists[ch].assign(it->second.Lists[ch].begin(), it->second.Lists[ch].end());
    return lists;
}

void TCaptureFileList::ListDates(std::vector<std::string>& list) {
    std::lock_guard guard(lock_);
    for (const auto& [day, entry] : days_)
        list.push_back(DayToDashed(day));
}

std::string TCaptureFileList::GetDatesText() {
    std::lock_guard guard(lock_);
    std::string text;
    for (const auto& [day, entry] : days_)
        text += DayToDashed(day) + ",";
    return text;
}

void TCaptureFileList::RemoveDay(std::string_view day) {
    std::lock_guard guard(lock_);
    days_.erase(DayKey(day));
}

void TCaptureFileList::Clear() {
    std::lock_guard guard(lock_);
    days_.clear();
}

bool TCaptureFileList::DayLocked(const std::string& day) const {
    double date = 0;
    return DashedDayToOleDate(DayToDashed(day), date) && locker_.IsLocked(date);
}

std::string TCaptureFileList::FindOldestDay(char first, char last) {
    std::lock_guard guard(lock_);
    for (const auto& [day, entry] : days_) {
        if (DayLocked(day)) continue;
        for (const auto& list : entry.Lists)
            for (const std::string& file : list)
                if (LetterInRange(drives_, file, first, last)) return day;
    }
    return {};
}

void TCaptureFileList::CloseIfStillOpen(int64_t handle, std::string_view path) {
    const HANDLE stored = reinterpret_cast<HANDLE>(static_cast<intptr_t>(handle));
    BY_HANDLE_FILE_INFORMATION byHandle{}, byPath{};
    if (!::GetFileInformationByHandle(stored, &byHandle)) return;
    dvr::win::File probe(::CreateFileW(dvr::win::GbkToWide(path).c_str(), 0,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                       nullptr));
    if (!probe || !::GetFileInformationByHandle(probe.get(), &byPath)) return;
    if (byHandle.dwVolumeSerialNumber != byPath.dwVolumeSerialNumber ||
        byHandle.nFileIndexHigh != byPath.nFileIndexHigh ||
        byHandle.nFileIndexLow != byPath.nFileIndexLow)
        return;
    dvr::win::File leaked(stored); // closed here
}

void TCaptureFileList::DeleteDayFiles(char first, char last, std::string_view day) {
    const std::string key = DayKey(day);
    std::vector<std::pair<int, std::string>> victims;
    {
        std::lock_guard guard(lock_);
        const auto it = days_.find(key);
        if (it == days_.end()) return;
        for (int ch = 0; ch < kIndexChannels; ++ch)
            for (const std::string& entry : it->second.Lists[ch])
                if (LetterInRange(drives_, entry, first, last)) victims.emplace_back(ch, entry);
    }
    for (const auto& [ch, entry] : victims) {
        const std::string path(EntryPath(entry));
        if (!DeleteFileGbk(path)) {
            pause_(1000);
            std::string current;
            const bool recording = recording_.CurrentFile(ch, current) && current == path;
            const int64_t handle = EntryHandle(entry);
            if (!recording && handle > 0) {
                CloseIfStillOpen(handle, path);
                DeleteFileGbk(path);
            }
        }
        pause_(1);
    }
    {
        std::lock_guard guard(lock_);
        const auto it = days_.find(key);
        if (it != days_.end()) {
            for (const auto& [ch, entry] : victims)
                it->second.Lists[ch].erase(entry);
            bool empty = true;
            for (const auto& list : it->second.Lists)
                empty = empty && list.empty();
            if (empty) days_.erase(it);
        }
    }
    using dvr::win::Utf8ToGbk;
    static const std::string cleaned = Utf8ToGbk(
        "] 已经被正常删除！（注：本条信息为正常信息，非故障信息，仅供用户参考，特此声明！）");
    static const std::string cleanedData = Utf8ToGbk(
        "] "
        "下的数据已经被正常删除！（注：本条信息为正常信息，非故障信息，仅供用户参考，特此声明！）");
    static const std::string failed = Utf8ToGbk(
        "] 删除失败！已被标志为异常目录！"
        "。尊敬的用户，对于异常目录，本软件无法自动清除，但会每隔一定的时间尝试再删除，为了保障系统"
        "的稳定可靠性，敬请您手动把它删除，不便之处，敬请谅解！非常感谢您对我们的支持，我们将永远为"
        "您提供最好的服务！");
    static const std::string cleanHead = dvr::win::Utf8ToGbk("系统清盘，目录 [");
    static const std::string failHead = dvr::win::Utf8ToGbk("清盘故障！目录 [");
    for (int letter = first; letter <= last; ++letter) {
        const std::string folder =
            drives_.Root(static_cast<char>(letter)) + kRecordingTopFolder + "\\" + key;
        pause_(1);
        if (!FolderExists(folder)) continue;
        if (DeleteFolder(folder)) {
            faults_.Add(cleanHead + folder + cleaned, kDiskFaultNormal, 68);
            continue;
        }
        bool holdsOpenFile = false;
        const int channels = std::min(ranges_.ChannelCount(), kIndexChannels);
        for (int ch = 0; ch < channels && !holdsOpenFile; ++ch) {
            std::string current;
            holdsOpenFile =
                recording_.CurrentFile(ch, current) && current.find(folder) != std::string::npos;
        }
        if (holdsOpenFile) {
            faults_.Add(cleanHead + folder + cleanedData, kDiskFaultNormal, 68);
            continue;
        }
        AddFailedFolder(folder);
        AddFailedFolder(folder + "_Error");
        RenameGbk(folder, folder + "_Error");
        faults_.Add(failHead + folder + failed, 0, letter);
    }
}

void TCaptureFileList::AddFailedFolder(std::string folder) {
    std::lock_guard guard(failedLock_);
    failedFolders_.push_back(std::move(folder));
}

bool TCaptureFileList::FirstFailedFolder(std::string& folder) {
    std::lock_guard guard(failedLock_);
    if (failedFolders_.empty()) return false;
    folder = failedFolders_.front();
    return true;
}

void TCaptureFileList::RemoveFailedFolder(std::string_view folder) {
    std::lock_guard guard(failedLock_);
    const auto it = std::find(failedFolders_.begin(), failedFolders_.end(), folder);
    if (it != failedFolders_.end()) failedFolders_.erase(it);
}

size_t TCaptureFileList::FailedFolderCount() {
    std::lock_guard guard(failedLock_);
    return failedFolders_.size();
}

} // namespace vantrel
