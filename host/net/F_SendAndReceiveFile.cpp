#include "host/net/F_SendAndReceiveFile.h"

#include "framework/ui/place_control.h"

#include "common/win/textconv.h"

#include <commdlg.h>

#include <cstdlib>

namespace vantrel {

namespace {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

void Label(TSendAndReceiveFileForm* form, int x, int y, int w, const char* utf8) {
    auto* l = PlaceControl<TLabel>(form, x, y, w, 16);
    l->SetCaption(Utf8ToGbk(utf8));
}

} // namespace

TSendAndReceiveFileForm::TSendAndReceiveFileForm(TComponent* AOwner, int port,
                                                 const std::string& address,
                                                 TFileTransferTimes times)
    : TForm(AOwner) {
    SetCaption(Utf8ToGbk("发送/接收文件"));
    SetBorderStyle(TFormBorderStyle::bsToolWindow);
    SetFormStyle(TFormStyle::fsStayOnTop);
    SetBounds(100, 100, 460, 200);

    Label(this, 8, 12, 50, "地址：");
    cb_Addr = PlaceControl<TComboBox>(this, 60, 8, 150, 22);
    Label(this, 220, 12, 110, "使用端口(TCP)：");
    se_TCPSendFilePort = PlaceControl<TEdit>(this, 330, 8, 110, 22);
    se_TCPSendFilePort->SetText("60001");
    Label(this, 8, 42, 50, "文件：");
    ed_FileName = PlaceControl<TEdit>(this, 60, 38, 350, 22);
    sb_OpenFile = PlaceControl<TSpeedButton>(this, 414, 37, 26, 24);
    sb_OpenFile->SetCaption("...");
    lb_ProgressTitle = PlaceControl<TLabel>(this, 8, 70, 432, 16);
    pb_ProgressBar = PlaceControl<TProgressBar>(this, 8, 90, 432, 18);
    bt_Send = PlaceControl<TButton>(this, 8, 120, 80, 26);
    bt_Send->SetCaption(Utf8ToGbk("发送"));
    bt_Cut = PlaceControl<TButton>(this, 96, 120, 80, 26);
    bt_Cut->SetCaption(Utf8ToGbk("中断"));
    bt_Exit = PlaceControl<TButton>(this, 360, 120, 80, 26);
    bt_Exit->SetCaption(Utf8ToGbk("关闭"));

    cb_Addr->OnChange = TNotifyEvent(this, &TSendAndReceiveFileForm::cb_AddrChange);
    sb_OpenFile->OnClick = TNotifyEvent(this, &TSendAndReceiveFileForm::sb_OpenFileClick);
    bt_Send->OnClick = TNotifyEvent(this, &TSendAndReceiveFileForm::bt_SendClick);
    bt_Cut->OnClick = TNotifyEvent(this, &TSendAndReceiveFileForm::bt_CutClick);
    bt_Exit->OnClick = TNotifyEvent(this, &TSendAndReceiveFileForm::bt_ExitClick);

    OpenFileDialog = [this]() -> std::string {
        wchar_t path[MAX_PATH] = {};
        OPENFILENAMEW ofn{};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = Handle();
        ofn.lpstrFilter = L"Any File(*.*)\0*.*\0";
        ofn.lpstrFile = path;
        ofn.nMaxFile = MAX_PATH;
        ofn.Flags = OFN_HIDEREADONLY;
        if (!::GetOpenFileNameW(&ofn)) return {};
        return dvr::win::WideToGbk(path);
    };
    transfer_ = std::make_unique<TFileTransfer>(static_cast<TFileTransferView&>(*this), times);
    transfer_->Open(port, address);
}

TSendAndReceiveFileForm::~TSendAndReceiveFileForm() = default;

void TSendAndReceiveFileForm::SetHosts(const std::vector<std::string>& addresses,
                                       std::function<int(const std::string&)> portOf) {
    portOf_ = std::move(portOf);
    for (const std::string& a : addresses)
        if (!a.empty() && cb_Addr->Items()->IndexOf(a) < 0) cb_Addr->Items()->Add(a);
    if (cb_Addr->Items()->Count() > 0 && cb_Addr->Caption().empty()) {
        cb_Addr->SetItemIndex(0);
        cb_AddrChange(cb_Addr);
    }
}

void TSendAndReceiveFileForm::cb_AddrChange(TObject*) {
    if (portOf_) se_TCPSendFilePort->SetText(std::to_string(portOf_(cb_Addr->Caption())));
}

void TSendAndReceiveFileForm::sb_OpenFileClick(TObject*) {
    if (!OpenFileDialog) return;
    const std::string path = OpenFileDialog();
    if (!path.empty()) ed_FileName->SetText(path);
}

void TSendAndReceiveFileForm::bt_SendClick(TObject*) {
    transfer_->SendPressed(cb_Addr->Caption(), std::atoi(se_TCPSendFilePort->Caption().c_str()),
                           ed_FileName->Caption());
}

void TSendAndReceiveFileForm::bt_CutClick(TObject*) {
    transfer_->CutPressed();
}

void TSendAndReceiveFileForm::bt_ExitClick(TObject*) {
    Hide();
}

void TSendAndReceiveFileForm::SetStatus(const std::string& text) {
    lb_ProgressTitle->SetCaption(text);
}

void TSendAndReceiveFileForm::SetProgressMax(int max) {
    pb_ProgressBar->SetMax(max);
}

void TSendAndReceiveFileForm::SetProgress(int position) {
    pb_ProgressBar->SetPosition(position);
}

void TSendAndReceiveFileForm::SetSendCaptionReceive(bool receive) {
    bt_Send->SetCaption(Utf8ToGbk(receive ? "接收" : "发送"));
}

void TSendAndReceiveFileForm::SetSendEnabled(bool enabled) {
    bt_Send->SetEnabled(enabled);
}

void TSendAndReceiveFileForm::SetExitEnabled(bool enabled) {
    bt_Exit->SetEnabled(enabled);
}

void TSendAndReceiveFileForm::SetWindowEnabled(bool enabled) {
    SetEnabled(enabled);
}

void TSendAndReceiveFileForm::ShowWindow() {
    Show();
}

} // namespace vantrel
