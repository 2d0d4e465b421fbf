#include "host/ui/U_HostConsoleOpeners.h"

#include "host/net/F_RemoteReplayWindow.h"
#include "host/ui/F_BackupForm.h"
#include "host/ui/F_MainForm.h"
#include "host/ui/F_SelectChannelForm.h"
#include "host/ui/F_SelectWeekDay.h"
#include "host/ui/F_SysteSetForm.h"
#include "host/ui/U_ConsoleCommands.h"
#include "host/ui/U_HostObjects.h"
#include "host/ui/U_ReplayHostEngine.h"

#include "common/win/textconv.h"

namespace vantrel {

using namespace dvr::fw;

namespace {

template <class T, class... A> T* MakeForm(A&&... args) {
    T* f = new T(std::forward<A>(args)...);
    try {
        f->AfterConstruction();
    } catch (...) {
        f->Free();
        throw;
    }
    return f;
}

std::string AppTitle() {
    return Application ? Application->Title() : std::string();
}

} // namespace

std::unique_ptr<TReplayHost> MakeHostReplayView(THost& h) {
    if (!h.CaptureFileList || !h.CaptureDataLocker) return nullptr;
    THost* hp = &h;
    return std::make_unique<TEngineReplayHost>(
        *h.CaptureFileList, *h.CaptureDataLocker, [hp] { return hp->TotalChannels(); },
        [hp](int ch) {
            if (!hp->PreviewSet || ch < 0 || ch >= kSettingsChannels) return std::string();
            return std::string(hp->PreviewSet->Records[size_t(ch)].Title.View());
        },
        [hp](int ch, int type) {
            return hp->DiskManager ? hp->DiskManager->MakeRecordingFileName(ch, type)
                                   : std::string();
        });
}

TSystemSetHost LocalSettingsHost(THost& h, TMainForm& console) {
    TSystemSetHost s;
    s.BoardChannels = h.BoardCount();
    s.PreviewSet = h.PreviewSet.get();
    s.CaptureSet = h.CaptureSet.get();
    s.AlarmSet = h.AlarmSet.get();
    s.AutoSet = h.AutoSet.get();
    s.YunTaiSet = h.YunTaiSet.get();
    s.DogSet = h.DogSet.get();
    s.CheckSet = h.ClientCheckSet.get();
    s.OtherSet = h.SystemOtherSet.get();
    s.Arithmetic = h.Arithmetic.get();
    s.User = h.User.get();
    s.Card = h.VideoCard.get();
    s.MainWindow = console.WindowHandle();
    s.ProgramPath = h.ProgramPath;
    if (h.SystemInfo) s.LocalIPs = h.SystemInfo->LocalIPs;
    THost* hp = &h;
    s.SetOwnIP = [hp](const std::string& ip) {
        if (hp->SystemInfo) hp->SystemInfo->OwnIP = ip;
    };
    s.ApplyPage = [hp](int page) { ApplySavedSettingsPage(*hp, page); };
    s.PickChannels = [](const std::vector<std::string>& names) { return PickChannels(names); };
    s.PickWeekDays = [] { return PickWeekDays(); };
    return s;
}

void ApplySavedSettingsPage(THost& h, int page) {
    switch (page) {
    case TSystemSetForm::PagePreview:
        if (!h.Preview) return;
        h.Preview->ApplySettings();
        for (int ch = 0; ch < h.TotalChannels() && ch < int(h.Preview->Panes.size()); ++ch)
            if (!h.Preview->Panes[size_t(ch)].Previewing)
                h.Preview->Panes[size_t(ch)].Background->SetVisible(h.ShowBackground(ch));
        return;
    case TSystemSetForm::PageCapture:
        if (!h.CaptureSet) return;
        for (int ch = 0; ch < h.BoardCount(); ++ch) {
            h.CaptureSet->ApplyChannel(ch);
            ::Sleep(30);
        }
        return;
    case TSystemSetForm::PageAlarm:
        if (h.Alarm) h.Alarm->ApplyAreaSettings();
        return;
    case TSystemSetForm::PagePtz:
        if (h.YunTai) h.YunTai->LoadSpeedDefaults();
        return;
    case TSystemSetForm::PageOther:
        if (h.OtherCtrl && h.SystemOtherSet) h.OtherCtrl->ApplyChanged(h.SystemOtherSet->Record);
        return;
    default:
        // The schedule is read at each evaluation; the others take effect from their objects
        // (or, the ports, at the next start).
        return;
    }
}

int OpenLocalSettings(THost& h, TMainForm& console, TConsoleDialogResult& result) {
    if (!h.PreviewSet || !h.CaptureSet || !h.AlarmSet || !h.AutoSet || !h.YunTaiSet ||
        !h.DogSet || !h.ClientCheckSet || !h.SystemOtherSet || !h.Arithmetic || !h.User)
        return -1;
    auto* f = MakeForm<TSystemSetForm>(&console, LocalSettingsHost(h, console));
    f->RemoteMode = false;
    const int r = f->ShowModal();
    result.PreviewPageChannel = f->Sheets[TSystemSetForm::PagePreview]->Tag();
    f->Free();
    return r;
}

int OpenRemoteReplay(THost& h, TMainForm& console) {
    std::unique_ptr<TReplayHost> recordings = MakeHostReplayView(h);
    THost* hp = &h;
    TRemoteReplayWindow::Playback p;
    p.Host = recordings.get();
    p.MaySnapshot = [hp] { return hp->CheckRight(12, -1); };
    p.BoardChannelCount = [hp] { return hp->BoardCount(); };
    auto* f = MakeForm<TRemoteReplayWindow>(&console, AppTitle(), 1000u, std::move(p));
    std::vector<std::string> addresses;
    if (h.NetClientSet)
        for (const TClientGroup& g : h.NetClientSet->Groups)
            addresses.emplace_back(g.HostAddress.View());
    f->SetHosts(addresses, [hp](const std::string& address) {
        if (hp->NetClientSet)
            for (const TClientGroup& g : hp->NetClientSet->Groups)
                if (address == g.HostAddress.View() && g.Ports.Port[1] > 0) return int(g.Ports.Port[1]);
        return hp->Arithmetic ? int(hp->Arithmetic->DefaultPorts.Port[1]) : 0;
    });
    TMainForm* owner = &console;
    f->DriveChooser = [owner](int kb) -> std::optional<std::string> {
        auto* b = MakeForm<TBackupForm>(owner, AppTitle());
        b->lb_NeedSpace->SetCaption(std::to_string(kb));
        const char drive = b->ShowModal() == mrOk ? b->Drive() : 0;
        b->Free();
        if (!drive) return std::nullopt;
        return std::string(1, drive) + ":\\";
    };
    const int r = f->ShowModal();
    f->Free();
    return r;
}

} // namespace vantrel
