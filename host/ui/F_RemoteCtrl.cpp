#include "host/ui/F_RemoteCtrl.h"

#include "host/engine/U_Arithmetic.h"
#include "host/engine/U_Conversions.h"
#include "host/ui/U_DialogControls.h"

#include "common/win/textconv.h"

namespace vantrel {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

std::vector<std::string> GroupAddresses(const std::vector<TClientGroupRecord>& groups) {
    std::vector<std::string> out;
    for (const auto& g : groups) {
        const std::string a = g.HostAddress.Get();
        if (a.empty()) continue;
        bool seen = false;
        for (const auto& o : out)
            seen = seen || o == a;
        if (!seen) out.push_back(a);
    }
    return out;
}

int GroupMessagePort(const std::vector<TClientGroupRecord>& groups, const std::string& address,
                     int fallback) {
    for (const auto& g : groups)
        if (g.HostAddress.Get() == address) return g.Ports.Port[UDPMessageServerPort];
    return fallback;
}

void ShowHostPort(const TRemoteWindowHost& host, dvr::fw::TComboBox* box, dvr::fw::TEdit* port) {
    port->SetText(std::to_string(GroupMessagePort(host.Groups, box->GetText(), host.DefaultPort)));
}

void FillHostAddresses(const TRemoteWindowHost& host, dvr::fw::TComboBox* box,
                       dvr::fw::TEdit* port) {
    for (const auto& a : GroupAddresses(host.Groups))
        box->Items()->Add(a);
    port->SetText(std::to_string(kDefaultMessageServerPort));
    if (box->Items()->Count() > 0) {
        box->SetItemIndex(0);
        ShowHostPort(host, box, port);
    }
}

namespace {

const char* const kControlCaptions[] = {"关闭计算机",      "重启计算机",   "关闭监控软件",
                                        "设置时间",        "启动工作计划", "关闭工作计划",
                                        "重新运行监控软件"};
const char* const kChannelCaptions[] = {"启动录像", "关闭录像", "启动侦测",
                                        "关闭侦测", "启动预览", "关闭预览"};
constexpr int kSetTime = 3;
constexpr int kFirstPreviewCommand = 4;

} // namespace

TRemoteCtrlForm::TRemoteCtrlForm(TComponent* AOwner, TRemoteWindowHost host)
    : TForm(AOwner), host_(std::move(host)) {
    SetCaption(DialogCaption("远程控制"));
    SetBounds(100, 80, 640, 470);
    if (!host_.ShowMessage)
        host_.ShowMessage = [this](const std::string& text) { ShowDialogMessage(this, text); };
    wait_ = std::make_unique<TReplyWait>([this] { ConnectTimeout(); }, host_.ReplyTimeoutMs);

    PutLabel(this, 8, 10, 60, "主控地址：");
    cb_MainAddr = PutControl<TComboBox>(this, 70, 6, 140, 22);
    PutLabel(this, 220, 10, 40, "端口：");
    se_UDPMessageServerPort = PutControl<TEdit>(this, 262, 6, 70, 22);
    PutLabel(this, 8, 40, 60, "用户名：");
    ed_UserName = PutControl<TEdit>(this, 70, 36, 140, 22);
    PutLabel(this, 220, 40, 40, "密码：");
    ed_Password = PutControl<TEdit>(this, 262, 36, 140, 22);
    ed_Password->SetPasswordChar('*');
    sb_Connect = PutButton(this, 420, 6, 80, "连接");
    sb_Keyboard = PutButton(this, 420, 36, 80, "键盘");

    lv_Channel = PutControl<TListView>(this, 8, 70, 260, 350);
    lv_Channel->SetViewStyle(TViewStyle::vsReport);
    lv_Channel->SetRowSelect(true);
    lv_Channel->SetReadOnly(true);
    lv_Channel->SetCheckboxes(true);
    for (const char* c : {"通道", "名称"}) {
        TListColumn* col = lv_Channel->AddColumn();
        col->SetCaption(Utf8ToGbk(c));
        col->SetWidth(110);
    }
    sb_SelectAll = PutButton(this, 8, 426, 80, "全选");

    for (int i = 0; i < 7; ++i) {
        TButton* b =
            PutButton(this, 280 + (i % 2) * 170, 70 + (i / 2) * 32, 160, kControlCaptions[i]);
        b->SetTag(i);
        b->OnClick = TNotifyEvent(this, &TRemoteCtrlForm::ControlClick);
        ControlButtons.push_back(b);
    }
    dtp_Date = PutControl<TDateTimePicker>(this, 280, 200, 160, 22);
    dtp_Date->SetKind(TDateTimeKind::dtkDate);
    dtp_Time = PutControl<TDateTimePicker>(this, 450, 200, 160, 22);
    dtp_Time->SetKind(TDateTimeKind::dtkTime);
    for (int i = 0; i < 6; ++i) {
        TButton* b =
            PutButton(this, 280 + (i % 2) * 170, 240 + (i / 2) * 32, 160, kChannelCaptions[i]);
        b->SetTag(i);
        b->OnClick = TNotifyEvent(this, &TRemoteCtrlForm::ChannelClick);
        ChannelButtons.push_back(b);
    }
    sb_Exit = PutButton(this, 530, 426, 80, "退出");

    cb_MainAddr->OnChange = TNotifyEvent(this, &TRemoteCtrlForm::cb_MainAddrChange);
    sb_Connect->OnClick = TNotifyEvent(this, &TRemoteCtrlForm::sb_ConnectClick);
    sb_SelectAll->OnClick = TNotifyEvent(this, &TRemoteCtrlForm::sb_SelectAllClick);
    sb_Keyboard->OnClick = TNotifyEvent(this, &TRemoteCtrlForm::sb_KeyboardClick);
    sb_Exit->OnClick = TNotifyEvent(this, &TRemoteCtrlForm::sb_ExitClick);

    FillHostAddresses(host_, cb_MainAddr, se_UDPMessageServerPort);
    SetCommandsEnabled(false);
}

TRemoteCtrlForm::~TRemoteCtrlForm() = default;

void TRemoteCtrlForm::Message(const char* utf8) {
    host_.ShowMessage(Utf8ToGbk(utf8));
}

bool TRemoteCtrlForm::Send(const void* data, int length) {
    try {
        if (!host_.Udp) return false;
        host_.Udp->SendTo(data, length, SpinValue(se_UDPMessageServerPort, 1, 1000000),
                          ConnectedAddress);
        return true;
    } catch (...) {
        return false;
    }
}

void TRemoteCtrlForm::SetCommandsEnabled(bool enabled) {
    for (TButton* b : ControlButtons)
        b->SetEnabled(enabled);
    for (int i = 0; i < int(ChannelButtons.size()); ++i)
        ChannelButtons[size_t(i)]->SetEnabled(enabled && i < kFirstPreviewCommand);
    dtp_Date->SetEnabled(enabled);
    dtp_Time->SetEnabled(enabled);
}

void TRemoteCtrlForm::cb_MainAddrChange(TObject*) {
    ShowHostPort(host_, cb_MainAddr, se_UDPMessageServerPort);
}

void TRemoteCtrlForm::sb_ConnectClick(TObject*) {
    const std::string address = cb_MainAddr->GetText();
    if (address.empty()) return;
    ConnectedAddress = address;
    lv_Channel->Items()->Clear();
    SetCommandsEnabled(false);
    UdpMsgRemoteCtrlConnect m{};
    m.Keyword.Set(std::string(kKeyRemoteCtrlConnect));
    Send(&m, sizeof m); // a failed send ends in the time-out message
    wait_->Start();
    SetEnabled(false);
    Screen->SetCursor(crHourGlass);
}

void TRemoteCtrlForm::ConnectTimeout() {
    SetEnabled(true);
    Screen->SetCursor(crDefault);
    Message("连接失败！");
}

void TRemoteCtrlForm::WMRemoteCtrlInfo(TMessage&) {
    wait_->Done();
    SetEnabled(true);
    Screen->SetCursor(crDefault);
    UdpMsgRemoteCtrlInfo info{};
    if (!InfoArea.Load(info)) return;
    SetCommandsEnabled(true);
    TListItems* items = lv_Channel->Items();
    items->BeginUpdate();
    items->Clear();
    const int count = std::min<int>(info.Count, kSettingsChannels);
    for (int n = 0; n < count; ++n) {
        TListItem* item = items->Add();
        item->SetCaption(std::to_string(n + 1));
        item->SubItems()->Add(info.Titles[n].Get());
    }
    items->EndUpdate();
}

void TRemoteCtrlForm::ControlClick(TObject* Sender) {
    const int command = int(static_cast<TComponent*>(Sender)->Tag());
    UdpMsgRemoteControl m{};
    m.Command = uint8_t(command);
    if (command == kSetTime) {
        // Whole seconds, as the date and time texts carry them.
        const DateTimeParts d = DecodeOleDate(dtp_Date->Date());
        const DateTimeParts t = DecodeOleDate(dtp_Time->Time());
        m.Time = OleDateFromParts(d.Year, d.Month, d.Day, t.Hour, t.Minute, t.Second);
    } else {
        m.Time = CurrentOleDate();
    }
    m.UserName.Set(ed_UserName->GetText().substr(0, 10));
    m.Password.Set(ed_Password->GetText().substr(0, 10));
    m.OwnAddress.Set(host_.OwnIP.substr(0, 30));
    if (Send(&m, sizeof m)) Message("控制已成功提交。");
}

void TRemoteCtrlForm::ChannelClick(TObject* Sender) {
    const int command = int(static_cast<TComponent*>(Sender)->Tag());
    UdpMsgChannelCommand m{};
    m.Command = uint8_t(command);
    bool any = false;
    TListItems* items = lv_Channel->Items();
    for (int i = 0; i < items->Count() && i < kSettingsChannels; ++i) {
        m.Channels[i] = items->Item(i)->Checked() ? 1 : 0;
        any = any || m.Channels[i];
    }
    if (!any) {
        Message("请选择通道。");
        return;
    }
    m.UserName.Set(ed_UserName->GetText().substr(0, 10));
    m.Password.Set(ed_Password->GetText().substr(0, 10));
    m.OwnAddress.Set(host_.OwnIP.substr(0, 20));
    Send(&m, sizeof m);
    Message("控制已成功提交。");
}

void TRemoteCtrlForm::sb_SelectAllClick(TObject*) {
    const bool check = sb_SelectAll->Caption() == Utf8ToGbk("全选");
    TListItems* items = lv_Channel->Items();
    for (int i = 0; i < items->Count(); ++i)
        items->Item(i)->SetChecked(check);
    sb_SelectAll->SetCaption(Utf8ToGbk(check ? "全清" : "全选"));
}

void TRemoteCtrlForm::sb_KeyboardClick(TObject*) {
    StartOnScreenKeyboard();
}

void TRemoteCtrlForm::sb_ExitClick(TObject*) {
    // Hidden when shown on its own; a modal showing ends.
    Close();
}

} // namespace vantrel
