#include "webctl/F_ControlReplay.h"

#include "host/ui/F_BackupForm.h"
#include "host/ui/F_ReplayVideoCaptureForm.h"
#include "host/ui/T_ThreadBackup.h"

#include "common/win/textconv.h"

#include <cstdio>

namespace vantrel::webctl {

namespace {

template <class T, class... A> T* Make(A&&... args) {
    T* f = new T(std::forward<A>(args)...);
    f->AfterConstruction();
    return f;
}

std::string Title() {
    return dvr::fw::Application ? dvr::fw::Application->Title() : std::string();
}

} // namespace

TControlReplay::TControlReplay(TControlReplayParts parts, dvr::fw::TComponent* owner)
    : parts_(std::move(parts)) {
    TDiskManager* disk = parts_.Disk;
    TDataLockTable* locks = parts_.Locks;
    host_ = std::make_unique<TEngineReplayHost>(
        *parts_.Files, *locks, parts_.ChannelCount, parts_.ChannelTitle,
        [disk](int ch, int type) { return disk ? disk->MakeRecordingFileName(ch, type) : ""; });
    clip_ = std::make_unique<TThreadReplayVideoCapture>();
    TReplayForm::Services s;
    s.Title = Title();
    s.Clip = clip_.get();
    s.AskClipDrive = [owner] {
        auto* f = Make<TReplayVideoCaptureForm>(owner, Title());
        const char drive = f->ShowModal() == dvr::fw::mrOk ? f->Drive() : 0;
        f->Free();
        return drive;
    };
    s.AskBackupDrive = [owner](uint64_t kb) {
        auto* f = Make<TBackupForm>(owner, Title());
        f->lb_NeedSpace->SetCaption(std::to_string(kb));
        const char drive = f->ShowModal() == dvr::fw::mrOk ? f->Drive() : 0;
        f->Free();
        return drive;
    };
    s.StartBackup = [](std::vector<std::string> files, char drive) {
        TThreadBackup::Create(std::move(files), drive);
    };
    s.Confirm = parts_.Confirm ? parts_.Confirm : [](const std::string& question) {
        return ::MessageBoxW(::GetActiveWindow(), dvr::win::GbkToWide(question).c_str(),
                             L"提示信息", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
    };
    s.ShowMessage = parts_.ShowMessage ? parts_.ShowMessage : [](const std::string& text) {
        ::MessageBoxW(::GetActiveWindow(), dvr::win::GbkToWide(text).c_str(), L"提示信息", MB_OK);
    };
    s.SetDayLock = [locks](const std::string& day, bool lock) {
        double date = 0;
        if (!DashedDayToOleDate(day, date)) return;
        if (lock)
            locks->AddLock(date);
        else
            locks->RemoveLock(date);
    };
    s.Now = [] {
        SYSTEMTIME t;
        ::GetLocalTime(&t);
        char text[24];
        std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u-%02u-%02u", t.wYear, t.wMonth,
                      t.wDay, t.wHour, t.wMinute, t.wSecond);
        return std::string(text);
    };
    // The control has no local user: a snapshot is always taken.
    s.MaySnapshot = nullptr;
    s.BoardChannelCount = [] { return 0; };
    form_ = Make<TReplayForm>(owner, *host_, std::move(s));
}

TControlReplay::~TControlReplay() {
    if (form_) form_->Free();
    form_ = nullptr;
}

int TControlReplay::ShowModal() {
    return form_->ShowModal();
}

} // namespace vantrel::webctl
