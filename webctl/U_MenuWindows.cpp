#include "webctl/U_MenuWindows.h"

#include "host/engine/U_Arithmetic.h"
#include "host/engine/U_ClientGroups.h"
#include "host/engine/U_NetClientSet.h"
#include "host/net/F_SearchServerWindow.h"
#include "host/ui/F_DiskView.h"
#include "host/ui/F_NetSetForm.h"
#include "host/ui/F_RemoteCtrl.h"
#include "host/ui/F_RemoteDiskViewForm.h"
#include "host/ui/F_RemoteWorkLogForm.h"
#include "host/ui/F_WorkLogForm.h"
#include "webctl/T_ChannelThreads.h"
#include "webctl/U_ControlUdp.h"
#include "webctl/U_NetChannels.h"
#include "webctl/VantrelIE_QZForm.h"

#include "common/win/textconv.h"
#include "framework/ui/forms.h"

namespace vantrel::webctl {

using namespace dvr::fw;

TFoundHostList HostListFromSearch(const std::vector<HostRegistrationRecord>& found) {
    TFoundHostList list;
    int32_t id = 1;
    for (const HostRegistrationRecord& host : found) {
        TClientGroupRecord g{};
        g.Name.Set(std::string(TrimSpaces(host.NetName.View())));
        g.HostAddress.Set(std::string(TrimSpaces(host.Address.View())));
        g.Ports = host.Ports;
        g.ParentId = 0;
        g.OwnId = id;
        list.Groups.push_back(g);
        const int channels = std::min<int>(host.ChannelCount, kMaxChannels);
        for (int o = 0; o < channels; ++o) {
            TClientChannelRecord c{};
            c.InUse = 1;
            c.Name.Set(std::string(TrimSpaces(host.ChannelNames[o].View())));
            c.RemoteChannel = uint8_t(o);
            c.GroupIndex = int32_t(list.Groups.size() - 1);
            c.GroupId = id;
            list.Channels.push_back(c);
        }
        ++id;
    }
    return list;
}

namespace {

// The actions of the items, owned by the face so they go with it.
class TMenuWindows : public TComponent {
    FW_CLASS(TMenuWindows, TComponent)
public:
    TMenuWindows(TVantrelIE_QZ& face, TMenuWindowParts parts)
        : TComponent(&face), face_(face), parts_(std::move(parts)) {
        if (!parts_.ShowMessage)
            parts_.ShowMessage = [this](const std::string& text) {
                ::MessageBoxW(face_.Handle(), dvr::win::GbkToWide(text).c_str(), L"", MB_OK);
            };
    }

    void N2Click(TObject*) {
        if (Cycling()) {
            parts_.ShowMessage(dvr::win::Utf8ToGbk("对不起，系统正处轮视模式，操作无效！"));
            return;
        }
        Log(9);
        if (RunHostGroups()) {
            Log(10);
            CloseAllAndRebuild();
        } else {
            Log(11);
        }
    }

    void N37Click(TObject*) {
        if (!parts_.Arithmetic || !parts_.Hosts) return;
        auto* search = new TSearchServerWindow(&face_, Title(), *parts_.Arithmetic);
        search->AfterConstruction();
        search->ShowModal();
        const std::vector<HostRegistrationRecord> found = search->Search().Found();
        TLogonServerRecord& login = parts_.Arithmetic->LogonServer;
        login.ServerAddress.Set(std::string(TrimSpaces(search->ed_ServerAddr->Caption())));
        login.UserName.Set(std::string(TrimSpaces(search->ed_UserName->Caption())));
        login.Password.Set(std::string(TrimSpaces(search->ed_Password->Caption())));
        search->Free();
        if (found.empty()) return;
        // The dialog shows the found hosts in place of the stored ones and stores them on OK.
        TNetClientSet& hosts = *parts_.Hosts;
        TFoundHostList list = HostListFromSearch(found);
        hosts.Channels = std::move(list.Channels);
        hosts.GroupRecords = std::move(list.Groups);
        BuildClientGroups(hosts.Channels, hosts.GroupRecords, hosts.GroupMembers, hosts.Groups);
        if (RunHostGroups())
            CloseAllAndRebuild();
        else
            hosts.Reload();
    }

    void LocalLogClick(TObject*) {
        Log(34);
        if (!parts_.WorkLog) return;
        Modal(new TWorkLogForm(&face_, *parts_.WorkLog));
    }

    void RemoteLogClick(TObject*) {
        Log(34);
        auto* f = new TRemoteWorkLogForm(&face_, Remote());
        f->AfterConstruction();
        TReplyWindowSet* w = Windows();
        if (w) {
            w->SetWindow(ReplyWindow::WorkLog, f->WindowHandle());
            w->WorkLogGaveUp = [f] { return f->TimedOut(); };
            w->WorkLogStatusClear = [f] { f->ClearStatus(); };
            w->WorkLogRowAdd = [f](const TWorkLogRecord& r) { f->AddRecordRow(r); };
            w->WorkLogDaysFill = [f](int total,
                                     const std::vector<std::pair<std::string, int>>& days) {
                f->RecordTotal = total;
                std::vector<std::string> texts;
                std::vector<int> firsts;
                for (const auto& d : days) {
                    texts.push_back(d.first);
                    firsts.push_back(d.second);
                }
                f->FillDayTree(texts, firsts);
            };
        }
        f->ShowModal();
        if (w) {
            w->SetWindow(ReplyWindow::WorkLog, nullptr);
            w->WorkLogGaveUp = nullptr;
            w->WorkLogStatusClear = nullptr;
            w->WorkLogRowAdd = nullptr;
            w->WorkLogDaysFill = nullptr;
        }
        Done(f);
    }

    void LocalDiskClick(TObject*) {
        Log(56);
        Modal(new TDiskViewForm(&face_));
    }

    void RemoteDiskClick(TObject*) {
        auto* f = new TRemoteDiskViewForm(&face_, Remote());
        f->AfterConstruction();
        RunRegistered(f, ReplyWindow::DiskView, &f->DiskArea);
    }

    void RemoteCtrlClick(TObject*) {
        auto* f = new TRemoteCtrlForm(&face_, Remote());
        f->AfterConstruction();
        RunRegistered(f, ReplyWindow::RemoteCtrl, &f->InfoArea);
    }

private:
    bool Cycling() const { return face_.Preview && face_.Preview->CycleMode; }
    void Log(int event) {
        if (parts_.Log) parts_.Log(event);
    }
    std::string Title() const { return Application ? Application->Title() : std::string(); }
    TReplyWindowSet* Windows() { return parts_.Udp ? &parts_.Udp->Windows : nullptr; }

    TRemoteWindowHost Remote() const {
        TRemoteWindowHost h;
        if (parts_.Udp) h.Udp = &parts_.Udp->Client();
        if (parts_.Hosts) h.Groups = parts_.Hosts->GroupRecords;
        if (parts_.Arithmetic) h.DefaultPort = parts_.Arithmetic->DefaultPorts.Port[14];
        h.OwnIP = parts_.OwnIP;
        h.ShowMessage = parts_.ShowMessage;
        return h;
    }

    void RunRegistered(TForm* f, ReplyWindow window, TReceiveArea* area) {
        TReplyWindowSet* w = Windows();
        if (w) w->SetWindow(window, f->WindowHandle(), area);
        f->ShowModal();
        if (w) w->SetWindow(window, nullptr, nullptr);
        Done(f);
    }

    void Modal(TForm* f) {
        f->AfterConstruction();
        f->ShowModal();
        Done(f);
    }

    void Done(TForm* f) {
        f->Free();
        ::InvalidateRect(face_.Handle(), nullptr, TRUE);
    }

    // The host-group dialog over the host list in memory; true when it was closed with OK
    // (it has then stored the list).
    bool RunHostGroups() {
        if (!parts_.Hosts) return false;
        auto* f = new TNetSetForm(&face_, *parts_.Hosts);
        f->AfterConstruction();
        const bool ok = f->ShowModal() == mrOk;
        Done(f);
        return ok;
    }

    // Every channel closed, the host list read again and the channel map rebuilt for all hosts.
    // The receive threads end first, so that none runs into the rebuild; not while a round
    // works, which would drop the close and leave the panes without their streams.
    void CloseAllAndRebuild() {
        TControlChannels* channels = face_.Preview ? face_.Preview->Channels : nullptr;
        if (channels && channels->Net && channels->OpenAll && channels->CloseAll &&
            !channels->OpenAll->Busy && !channels->CloseAll->Busy)
            channels->Net->StopReceivers();
        ::Sleep(50);
        if (channels && channels->CloseAll)
            channels->CloseAll->CloseChannels(-1, true, true, true, true, false, -1);
    }

    TVantrelIE_QZ& face_;
    TMenuWindowParts parts_;
};

TMenuItem* ItemCaptioned(TMenuItem* parent, const char* utf8) {
    if (!parent) return nullptr;
    const std::string caption = dvr::win::Utf8ToGbk(utf8);
    for (int i = 0; i < parent->Count(); ++i)
        if (parent->Items(i)->Caption() == caption) return parent->Items(i);
    return nullptr;
}

void Bind(TMenuItem* item, TMenuWindows* action, void (TMenuWindows::*handler)(TObject*)) {
    if (item) item->OnClick = TNotifyEvent(action, handler);
}

} // namespace

void InstallMenuWindows(TVantrelIE_QZ& face, TMenuWindowParts parts) {
    if (!face.pm_SystemSet || !face.pm_OtherFunction) return;
    auto* a = new TMenuWindows(face, std::move(parts));
    TMenuItem* settings = face.pm_SystemSet->Items();
    Bind(ItemCaptioned(settings, "分控设置"), a, &TMenuWindows::N2Click);
    Bind(ItemCaptioned(settings, "搜索远程主控"), a, &TMenuWindows::N37Click);
    TMenuItem* other = face.pm_OtherFunction->Items();
    TMenuItem* disk = ItemCaptioned(other, "磁盘空间状况");
    Bind(ItemCaptioned(disk, "本地"), a, &TMenuWindows::LocalDiskClick);
    Bind(ItemCaptioned(disk, "远程"), a, &TMenuWindows::RemoteDiskClick);
    Bind(ItemCaptioned(other, "远程控制"), a, &TMenuWindows::RemoteCtrlClick);
    TMenuItem* log = ItemCaptioned(other, "日志管理");
    Bind(ItemCaptioned(log, "本地"), a, &TMenuWindows::LocalLogClick);
    Bind(ItemCaptioned(log, "远程"), a, &TMenuWindows::RemoteLogClick);
}

} // namespace vantrel::webctl
