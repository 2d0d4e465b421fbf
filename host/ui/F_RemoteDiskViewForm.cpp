#include "host/ui/F_RemoteDiskViewForm.h"

#include "host/ui/U_DialogControls.h"

#include "common/win/textconv.h"

#include <cmath>

namespace vantrel {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

std::vector<TDiskRow> DiskRows(const UdpMsgDiskInfo& info) {
    std::vector<TDiskRow> rows;
    for (int d = 2; d < kDriveLetters; ++d) {
        const int32_t total = info.TotalMB[d];
        if (total <= 0) continue;
        const int32_t free = info.FreeMB[d];
        // In floating point: free x 100 overflows 32 bits on large drives.
        const long percent = std::lrint(double(free) * 100.0 / double(total));
        TDiskRow r;
        r.Drive = std::string(1, char('A' + d)) + ":\\";
        r.Total = std::to_string(total);
        r.Free = std::to_string(free) + Utf8ToGbk("  比例：") + std::to_string(percent) + "%";
        r.Hours = std::to_string(free / 100);
        rows.push_back(std::move(r));
    }
    return rows;
}

TRemoteDiskViewForm::TRemoteDiskViewForm(TComponent* AOwner, TRemoteWindowHost host)
    : TForm(AOwner), host_(std::move(host)) {
    const std::string title = Application ? Application->Title() : "";
    SetCaption(title + "   " + Utf8ToGbk("远程工作日志"));
    SetBounds(120, 100, 600, 360);
    if (!host_.ShowMessage)
        host_.ShowMessage = [this](const std::string& text) { ShowDialogMessage(this, text); };
    wait_ = std::make_unique<TReplyWait>([this] { ConnectTimeout(); }, host_.ReplyTimeoutMs);

    PutLabel(this, 8, 10, 60, "主控地址：");
    cb_MainAddr = PutControl<TComboBox>(this, 70, 6, 140, 22);
    PutLabel(this, 220, 10, 40, "端口：");
    se_UDPMessageServerPort = PutControl<TEdit>(this, 262, 6, 70, 22);
    sb_Connect = PutButton(this, 344, 6, 80, "连接");
    ListView = PutControl<TListView>(this, 8, 40, 580, 250);
    ListView->SetViewStyle(TViewStyle::vsReport);
    ListView->SetRowSelect(true);
    ListView->SetReadOnly(true);
    for (const char* c : {"磁盘", "容量(M)", "剩余空间", "还可录像时间（100M/小时/每通道)"}) {
        TListColumn* col = ListView->AddColumn();
        col->SetCaption(Utf8ToGbk(c));
        col->SetWidth(140);
    }
    sb_Exit = PutButton(this, 508, 300, 80, "退出");

    cb_MainAddr->OnChange = TNotifyEvent(this, &TRemoteDiskViewForm::cb_MainAddrChange);
    sb_Connect->OnClick = TNotifyEvent(this, &TRemoteDiskViewForm::sb_ConnectClick);
    sb_Exit->OnClick = TNotifyEvent(this, &TRemoteDiskViewForm::sb_ExitClick);

    FillHostAddresses(host_, cb_MainAddr, se_UDPMessageServerPort);
}

TRemoteDiskViewForm::~TRemoteDiskViewForm() = default;

void TRemoteDiskViewForm::cb_MainAddrChange(TObject*) {
    ShowHostPort(host_, cb_MainAddr, se_UDPMessageServerPort);
}

void TRemoteDiskViewForm::sb_ConnectClick(TObject*) {
    const std::string address = cb_MainAddr->GetText();
    if (address.empty()) return;
    ConnectedAddress = address;
    ListView->Items()->Clear();
    UdpMsgDiskInfoQuery m{};
    m.Keyword.Set(std::string(kKeyViewDiskInfo));
    try {
        if (host_.Udp)
            host_.Udp->SendTo(&m, sizeof m, SpinValue(se_UDPMessageServerPort, 1, 1000000),
                              ConnectedAddress);
    } catch (...) {
        // The time-out message follows.
    }
    wait_->Start();
    SetEnabled(false);
    Screen->SetCursor(crHourGlass);
}

void TRemoteDiskViewForm::ConnectTimeout() {
    SetEnabled(true);
    Screen->SetCursor(crDefault);
    host_.ShowMessage(Utf8ToGbk("连接失败！"));
}

void TRemoteDiskViewForm::WMDiskInfo(TMessage&) {
    wait_->Done();
    SetEnabled(true);
    Screen->SetCursor(crDefault);
    UdpMsgDiskInfo info{};
    if (!DiskArea.Load(info)) return;
    TListItems* items = ListView->Items();
    items->BeginUpdate();
    items->Clear();
    for (const TDiskRow& r : DiskRows(info)) {
        TListItem* item = items->Add();
        item->SetCaption(r.Drive);
        item->SubItems()->Add(r.Total);
        item->SubItems()->Add(r.Free);
        item->SubItems()->Add(r.Hours);
    }
    items->EndUpdate();
}

void TRemoteDiskViewForm::sb_ExitClick(TObject*) {
    // Hidden when shown on its own; a modal showing ends.
    Close();
}

} // namespace vantrel
