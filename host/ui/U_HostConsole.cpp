#include "host/ui/U_HostConsole.h"

#include "host/ui/F_ClientVideoCycleSetForm.h"
#include "host/ui/F_DiskView.h"
#include "host/ui/F_MainForm.h"
#include "host/ui/F_NetSetForm.h"
#include "host/ui/F_RasDial.h"
#include "host/ui/F_ReplayForm.h"
#include "host/ui/F_ReplayVideoCaptureForm.h"
#include "host/ui/F_UserForm.h"
#include "host/ui/F_VideoAlarmAutoFullScreen.h"
#include "host/ui/F_VideoCycleServerForm.h"
#include "host/ui/F_WorkLogForm.h"
#include "host/ui/U_DialogControls.h"
#include "host/ui/U_HostDevices.h"
#include "host/ui/U_HostConsoleOpeners.h"
#include "host/ui/U_HostObjects.h"
#include "host/ui/U_NetPaneActions.h"

#include "host/engine/U_ClientGroups.h"
#include "host/engine/U_DiskAccess.h"
#include "host/engine/U_StorageNames.h"

namespace vantrel {

using namespace dvr::fw;

int THostConsoleEngine::BoardCount() {
    return host_ ? host_->BoardCount() : 0;
}

int THostConsoleEngine::TotalChannels() {
    return host_ ? host_->TotalChannels() : 0;
}

int THostConsoleEngine::NetChannelCount() {
    return host_ && host_->NetClientSet ? host_->NetClientSet->NetChannelCount : 0;
}

std::vector<std::string> THostConsoleEngine::GroupNames() {
    std::vector<std::string> names;
    if (host_ && host_->NetClientSet)
        for (const TClientGroup& g : host_->NetClientSet->Groups)
            names.push_back(std::string(g.Name.View()));
    return names;
}

bool THostConsoleEngine::ClientMode() {
    return host_ && host_->SystemOtherSet && host_->SystemOtherSet->Record.ActAsClient != 0;
}

bool THostConsoleEngine::CheckRight(int right, int item) {
    return host_ && host_->CheckRight(right, item);
}

bool THostConsoleEngine::CheckUser(const std::string& name, const std::string& password,
                                   int right, int item) {
    return host_ && host_->User && host_->User->CheckRight(name, password, right, item, -1);
}

bool THostConsoleEngine::ChiefAdministrator(const std::string& name,
                                            const std::string& password) {
    if (!host_ || !host_->User) return false;
    const auto users = host_->User->Users();
    for (const TUserRecord& u : *users)
        if (u.UserName.View() == name && u.Password.View() == password) return u.Level == 0;
    return false;
}

std::pair<std::string, std::string> THostConsoleEngine::CurrentUser() {
    return host_ && host_->User ? host_->User->Current() : std::pair<std::string, std::string>{};
}

void THostConsoleEngine::ReloadUsers() {
    if (host_ && host_->User) host_->User->Reload();
}

void THostConsoleEngine::WriteLog(int event) {
    if (host_) host_->WriteLog(event);
}

void THostConsoleEngine::LockConsole() {
    console_.SetEnabled(false);
    console_.Locked = true;
}

void THostConsoleEngine::MinimizeConsole() {
    ::ShowWindow(console_.WindowHandle(), SW_MINIMIZE);
}

int THostConsoleEngine::SelectedChannel() {
    return host_ && host_->Preview ? host_->Preview->SelectedChannel : 0;
}

int THostConsoleEngine::LayoutPaneCount() {
    return host_ && host_->Preview ? host_->Preview->LastLayoutCount : 0;
}

bool THostConsoleEngine::PanePlaying(int channel) {
    return host_ && host_->Preview && channel >= 0 && channel < kLayoutChannels &&
           host_->Preview->Panes[size_t(channel)].Playing;
}

bool THostConsoleEngine::PanePreviewing(int channel) {
    return host_ && host_->Preview && channel >= 0 && channel < kLayoutChannels &&
           host_->Preview->Panes[size_t(channel)].Previewing;
}

void THostConsoleEngine::OpenPreview(int channel) {
    if (host_ && host_->Preview) host_->Preview->Open(channel);
}

void THostConsoleEngine::ClosePreview(int channel, bool checkRight) {
    if (host_ && host_->Preview) host_->Preview->ClosePreview(channel, checkRight);
}

void THostConsoleEngine::StopBoardPreview(int channel) {
    if (host_ && host_->VideoCard) host_->VideoCard->StopPreview(channel);
}

void THostConsoleEngine::RestoreBoardOsd(int channel) {
    if (!host_ || !host_->VideoCard || !host_->PreviewSet || channel >= kSettingsChannels) return;
    const TPreviewSetRecord& r = host_->PreviewSet->Records[size_t(channel)];
    try {
        host_->VideoCard->SetChannelOsd(channel, r.Title.View(), r.ShowTitle, r.ShowDateTime,
                                        r.TimeAutoBrightness, POINT{r.DateTimeX, r.DateTimeY},
                                        POINT{r.TitleX, r.TitleY});
        if (r.MaskOn)
            host_->VideoCard->StartMosaic(
                channel, RECT{r.MaskLeft, r.MaskTop, r.MaskRight, r.MaskBottom});
        else
            host_->VideoCard->StopMosaic(channel);
    } catch (...) {
        // The board keeps what it had.
    }
}

void THostConsoleEngine::HideAreaOutlines() {
    if (host_ && host_->AlarmView) host_->AlarmView->HideAreaOutlines();
}

void THostConsoleEngine::PopupLayoutMenu(int x, int y) {
    if (!host_ || !host_->Preview) return;
    host_->Preview->PrepareLayoutMenu();
    host_->Preview->LayoutMenu->Popup(x, y);
}

void THostConsoleEngine::LayoutMenuClick(int index) {
    if (host_ && host_->Preview && index >= 0 && index < int(kLayoutCounts.size()))
        host_->Preview->LayoutMenuClick(kLayoutCounts[size_t(index)]);
}

void THostConsoleEngine::ShowStatusImages(int kind, bool visible) {
    // Only the preview has status pictures of its own.
    if (kind != 0 || !host_ || !host_->Preview) return;
    if (visible)
        host_->Preview->ShowStatusImages();
    else
        host_->Preview->HideStatusImages();
}

bool THostConsoleEngine::CycleMode() {
    return host_ && host_->Preview && host_->Preview->CycleMode;
}

void THostConsoleEngine::SetCycleMode(bool on) {
    if (host_ && host_->Preview) host_->Preview->CycleMode = on;
}

void THostConsoleEngine::SetCycleTimer(bool on, int intervalMs) {
    if (intervalMs > 0) console_.VideoCycleTimer->SetInterval(unsigned(intervalMs));
    console_.VideoCycleTimer->SetEnabled(on);
}

void THostConsoleEngine::SetCycleGroup(int group) {
    console_.CycleGroup = group;
}

int THostConsoleEngine::CycleGroup() {
    return console_.CycleGroup;
}

std::vector<bool> THostConsoleEngine::CycleFlags() {
    if (!host_ || !host_->NetClientSet) return {};
    return vantrel::CycleFlags(host_->NetClientSet->Groups);
}

bool THostConsoleEngine::Listening() {
    return host_ && host_->Preview && host_->Preview->Listening;
}

void THostConsoleEngine::StartListen(int channel) {
    if (!host_ || !host_->Preview) return;
    host_->Preview->StartListen(channel);
    host_->Preview->Listening = true;
}

void THostConsoleEngine::StopListen(int channel) {
    if (!host_ || !host_->Preview) return;
    host_->Preview->StopListen(channel);
    host_->Preview->Listening = false;
}

bool THostConsoleEngine::AutoMode() {
    return host_ && host_->Auto && host_->Auto->AutoMode;
}

void THostConsoleEngine::StartAutoWork() {
    if (host_ && host_->Auto) host_->Auto->StartAutoWork();
}

void THostConsoleEngine::StopAutoWork() {
    if (host_ && host_->Auto) host_->Auto->StopAutoWork();
}

std::string THostConsoleEngine::SnapshotFileName(int channel) {
    return host_ && host_->DiskManager ? host_->DiskManager->MakeRecordingFileName(channel, 2)
                                       : std::string();
}

void THostConsoleEngine::ForceFolderOf(const std::string& fileName) {
    const size_t slash = fileName.find_last_of('\\');
    if (slash != std::string::npos) ForceDirectories(fileName.substr(0, slash + 1));
}

void THostConsoleEngine::SaveSnapshot(int channel, const std::string& fileName) {
    if (host_ && host_->VideoCard) host_->VideoCard->SaveSnapshot(channel, fileName);
}

void THostConsoleEngine::SnapshotNetworkPane(int channel) {
    if (host_ && host_->NetPaneActions) host_->NetPaneActions->SnapshotNetworkPane(channel);
}

void THostConsoleEngine::OpenAll(bool preview, bool record, bool detect) {
    if (host_ && host_->ThreadOpenAll) host_->ThreadOpenAll->Request(-1, preview, record, detect);
}

void THostConsoleEngine::CloseAll(bool preview, bool record, bool detect, bool rebuild,
                                  bool cycle, int group) {
    if (host_ && host_->ThreadCloseAll)
        host_->ThreadCloseAll->CloseChannels(-1, preview, record, detect, rebuild, cycle, group);
}

void THostConsoleEngine::StopNetworkReceivers() {
    if (host_) host_->StopNetworkReceivers();
}

bool THostConsoleEngine::BatchBusy() {
    return host_ && host_->BatchBusy.Any();
}

void THostConsoleEngine::ApplyAllSettings() {
    console_.ApplyAllSettings();
}

TPictureParams& THostConsoleEngine::Picture(int channel) {
    if (!host_ || !host_->PreviewSet || channel < 0 || channel >= kSettingsChannels) return spare_;
    return host_->PreviewSet->Records[size_t(channel)].Picture;
}

void THostConsoleEngine::ApplyPicture(int channel) {
    if (!host_ || channel < 0) return;
    if (channel < BoardCount())
        host_->UdpDevices.SetPictureParams(channel, Picture(channel));
}

void THostConsoleEngine::SavePictures() {
    if (host_ && host_->PreviewSet) TPreviewSet::SaveRecords(host_->PreviewSet->Records.data(), 48);
}

void THostConsoleEngine::NotifyPaneColor(int channel) {
    ::SendMessageW(console_.WindowHandle(), WM_PANECOLOR, WPARAM(channel), 0);
}

void THostConsoleEngine::Pause(DWORD ms) {
    ::Sleep(ms);
}

namespace {

template <class T, class... A> T* Make(A&&... args) {
    T* f = new T(std::forward<A>(args)...);
    try {
        f->AfterConstruction();
    } catch (...) {
        f->Free();
        throw;
    }
    return f;
}

template <class F> int Modal(F* form) {
    const int r = form->ShowModal();
    form->Free();
    return r;
}

std::vector<std::string> BoardTitles(THost& h) {
    std::vector<std::string> titles;
    for (int ch = 0; ch < h.BoardCount() && h.PreviewSet && ch < kSettingsChannels; ++ch)
        titles.push_back(std::string(h.PreviewSet->Records[size_t(ch)].Title.View()));
    return titles;
}

} // namespace

THostConsoleWindows::THostConsoleWindows(THost*& host, TMainForm& console)
    : host_(host), console_(console) {}

THostConsoleWindows::~THostConsoleWindows() = default;

int THostConsoleWindows::OpenLocalReplay(THost& h) {
    std::unique_ptr<TReplayHost> recordings = MakeHostReplayView(h);
    if (!recordings) return -1;
    TReplayHost& replayHost = *recordings;
    THost* hp = &h;
    if (!clip_) clip_ = std::make_unique<TThreadReplayVideoCapture>();
    const std::string title = dvr::fw::Application ? dvr::fw::Application->Title() : "";
    TMainForm* console = &console_;
    TReplayForm::Services s;
    s.Title = title;
    s.Clip = clip_.get();
    s.AskClipDrive = [console, title] {
        auto* f = Make<TReplayVideoCaptureForm>(console, title);
        const char drive = f->ShowModal() == mrOk ? f->Drive() : 0;
        f->Free();
        return drive;
    };
    s.AskBackupDrive = [console, title](uint64_t kb) {
        auto* f = Make<TBackupForm>(console, title);
        f->lb_NeedSpace->SetCaption(std::to_string(kb));
        const char drive = f->ShowModal() == mrOk ? f->Drive() : 0;
        f->Free();
        return drive;
    };
    s.StartBackup = [](std::vector<std::string> files, char drive) {
        TThreadBackup::Create(std::move(files), drive);
    };
    s.Confirm = [console](const std::string& question) {
        return ::MessageBoxW(::GetActiveWindow(), dvr::win::GbkToWide(question).c_str(),
                             L"提示信息", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
    };
    s.ShowMessage = [](const std::string& text) {
        ::MessageBoxW(::GetActiveWindow(), dvr::win::GbkToWide(text).c_str(), L"提示信息", MB_OK);
    };
    s.SetDayLock = [hp](const std::string& day, bool lock) {
        double date = 0;
        if (!hp->CaptureDataLocker || !DashedDayToOleDate(day, date)) return;
        if (lock)
            hp->CaptureDataLocker->AddLock(date);
        else
            hp->CaptureDataLocker->RemoveLock(date);
        hp->CaptureDataLocker->Save();
    };
    s.Now = [] {
        SYSTEMTIME t;
        ::GetLocalTime(&t);
        char text[24];
        std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u-%02u-%02u", t.wYear, t.wMonth,
                      t.wDay, t.wHour, t.wMinute, t.wSecond);
        return std::string(text);
    };
    s.MaySnapshot = [hp] { return hp->CheckRight(12, -1); };
    s.BoardChannelCount = [hp] { return hp->BoardCount(); };
    return Modal(Make<TReplayForm>(console, replayHost, std::move(s)));
}

int THostConsoleWindows::Open(TConsoleWindow window, TConsoleDialogResult& result) {
    THost* h = host_;
    if (!h) return -1;
    switch (window) {
    case TConsoleWindow::Users:
        if (!h->User) return -1;
        return Modal(Make<TUserForm>(&console_, *h->User, h->ProgramPath));
    case TConsoleWindow::LocalReplay:
        return OpenLocalReplay(*h);
    case TConsoleWindow::RemoteReplay:
        return OpenRemoteReplay(*h, console_);
    case TConsoleWindow::LocalSettings:
        return OpenLocalSettings(*h, console_, result);
    case TConsoleWindow::LocalWorkLog:
        if (!h->WorkLog) return -1;
        return Modal(Make<TWorkLogForm>(&console_, *h->WorkLog));
    case TConsoleWindow::LocalDisk:
        return Modal(Make<TDiskViewForm>(&console_));
    case TConsoleWindow::AutoFullScreen:
        if (h->VideoAlarmAutoFullScreenForm) return h->VideoAlarmAutoFullScreenForm->ShowModal();
        return Modal(Make<TVideoAlarmAutoFullScreenForm>(&console_, BoardTitles(*h)));
    case TConsoleWindow::DialUp:
        if (!h->ThreadRasDial) return -1;
        return Modal(Make<TRasDialForm>(&console_, *h->ThreadRasDial));
    case TConsoleWindow::StationMap:
        return OpenStationMap(*h, &console_);
    case TConsoleWindow::HostGroups:
        if (!h->NetClientSet) return -1;
        return Modal(Make<TNetSetForm>(&console_, *h->NetClientSet));
    case TConsoleWindow::ClientCycle: {
        if (!h->NetClientSet) return -1;
        auto* f = Make<TClientVideoCycleSetForm>(&console_, h->NetClientSet->Groups);
        const int r = f->ShowModal();
        result.CycleSeconds = f->CycleSeconds();
        f->Free();
        return r;
    }
    case TConsoleWindow::ServerCycle: {
        auto* f = Make<TVideoCycleServerForm>(&console_, h->BoardCount());
        const int r = f->ShowModal();
        result.CycleSeconds = f->CycleSeconds();
        result.LayoutIndex = f->LayoutIndex();
        f->Free();
        return r;
    }
    default:
        // The single windows the start-up made.
        return ShowHostWindow(*h, window);
    }
}

} // namespace vantrel
