#include "host/ui/T_ThreadBackup.h"

#include "host/engine/U_DiskAccess.h"
#include "host/ui/U_ReplayRules.h"

#include "common/win/textconv.h"

namespace vantrel {

using dvr::win::GbkToWide;

TThreadBackup* TThreadBackup::Create(std::vector<std::string> files, char drive,
                                     ProgressFunc progress, std::string root, CopyFunc copy) {
    auto* t = new TThreadBackup;
    t->files_ = std::move(files);
    t->root_ = root.empty() ? BackupRoot(drive) : std::move(root);
    t->progress_ = std::move(progress);
    t->copy_ = copy ? std::move(copy) : [](const std::wstring& from, const std::wstring& to) {
        return ::CopyFileW(from.c_str(), to.c_str(), TRUE) != 0;
    };
    HANDLE h = ::CreateThread(nullptr, 0, &TThreadBackup::ThreadMain, t, CREATE_SUSPENDED, nullptr);
    if (!h) {
        delete t;
        return nullptr;
    }
    t->thread_.reset(h);
    ::SetThreadPriority(h, THREAD_PRIORITY_LOWEST);
    ::ResumeThread(h);
    return t;
}

DWORD WINAPI TThreadBackup::ThreadMain(LPVOID self) {
    auto* t = static_cast<TThreadBackup*>(self);
    try {
        t->Execute();
    } catch (...) {
    }
    // Free on termination: the handle is closed with the object.
    delete t;
    return 0;
}

void TThreadBackup::Execute() {
    TBackupReport report;
    report.Total = static_cast<int>(files_.size());
    if (::GetFileAttributesW(GbkToWide(root_).c_str()) == INVALID_FILE_ATTRIBUTES)
        ForceDirectories(root_);
    for (const std::string& source : files_) {
        const std::string target = BackupTargetPath(root_, source);
        const std::wstring wtarget = GbkToWide(target);
        const size_t slash = target.rfind('\\');
        if (slash != std::string::npos) ForceDirectories(target.substr(0, slash + 1));
        if (::GetFileAttributesW(wtarget.c_str()) != INVALID_FILE_ATTRIBUTES) {
            ++report.Existing;
        } else if (copy_(GbkToWide(source), wtarget)) {
            ++report.Copied;
        } else {
            // Whatever a failed copy left behind is not a backup of the file; a copy that
            // another backup made meanwhile is.
            const DWORD error = ::GetLastError();
            if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
                ++report.Existing;
            else {
                ::DeleteFileW(wtarget.c_str());
                ++report.Failed;
            }
        }
        ++report.Done;
        if (progress_) progress_(report);
    }
    report.Finished = true;
    if (progress_) progress_(report);
}

} // namespace vantrel
