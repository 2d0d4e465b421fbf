#include "host/engine/U_ClientCheckSet.h"

#include "host/engine/T_ThreadWriteLogRecord.h"
#include "host/engine/U_DataFiles.h"
#include "host/engine/U_WorkLogLine.h"

#include "common/win/textconv.h"

#include <cstring>
#include <mutex>

namespace vantrel {
namespace {

constexpr const char* kUserFile = "CheckUser.ifm";
constexpr const char* kIPFile = "CheckIP.ifm";
constexpr int kUnknownEvent = 74;

// Loads one list; false when the file is present but not readable as at least one record.
template <typename Record> bool LoadList(const std::string& path, std::vector<Record>& list) {
    list.clear();
    std::vector<uint8_t> data;
    switch (ReadWholeFile(path, data)) {
    case FileRead::Missing:
        return true;
    case FileRead::Unreadable:
        return false;
    case FileRead::Read:
        break;
    }
    if (data.size() < sizeof(Record)) return false;
    list.resize(data.size() / sizeof(Record));
    std::memcpy(static_cast<void*>(list.data()), data.data(), list.size() * sizeof(Record));
    return true;
}

} // namespace

TClientCheckSet::TClientCheckSet(std::string programPath, TThreadWriteLogRecord* log)
    : folder_(std::move(programPath) + "USER\\"), log_(log) {
    Load();
}

void TClientCheckSet::Load() {
    auto lists = std::make_shared<Lists>();
    if (!FolderExists(folder_)) {
        CreateFolderLevels(folder_);
    } else {
        lists->UsersUnreadable = !LoadList(folder_ + kUserFile, lists->Users);
        lists->IPsUnreadable = !LoadList(folder_ + kIPFile, lists->IPs);
    }
    if (log_) {
        for (const auto& [bad, name] : {std::pair{lists->UsersUnreadable, kUserFile},
                                        std::pair{lists->IPsUnreadable, kIPFile}})
            if (bad)
                log_->AddRecord(
                    WorkLogLine(CurrentOleDate(), kUnknownEvent, -1, -1, -1, name, "", ""));
    }
    std::lock_guard<dvr::win::CriticalSection> hold(lock_);
    lists_ = std::move(lists);
}

void TClientCheckSet::Save(const std::string& path, const void* buffer, int size) {
    if (size < 0 || (size > 0 && !buffer)) return;
    CreateFolderLevels(folder_);
    if (size == 0) {
        ::DeleteFileW(dvr::win::GbkToWide(path).c_str());
        return;
    }
    ReplaceWholeFile(path, buffer, static_cast<size_t>(size));
}

void TClientCheckSet::SaveUserFile(const void* buffer, int size) {
    Save(folder_ + kUserFile, buffer, size);
}

void TClientCheckSet::SaveIPFile(const void* buffer, int size) {
    Save(folder_ + kIPFile, buffer, size);
}

std::shared_ptr<const TClientCheckSet::Lists> TClientCheckSet::Current() const {
    std::lock_guard<dvr::win::CriticalSection> hold(lock_);
    return lists_;
}

} // namespace vantrel
