#include "host/net/F_NetChat.h"

#include "framework/ui/place_control.h"

#include "common/win/textconv.h"

#include <cstdlib>

namespace vantrel {

namespace {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

void Label(TNetChatForm* form, int x, int y, const char* utf8) {
    auto* l = PlaceControl<TLabel>(form, x, y, 100, 16);
    l->SetCaption(Utf8ToGbk(utf8));
}

} // namespace

TNetChatForm::TNetChatForm(TComponent* AOwner, const std::string& ownIP, int port,
                           const std::string& address)
    : TForm(AOwner) {
    SetCaption(Utf8ToGbk("聊天室"));
    SetBorderStyle(TFormBorderStyle::bsToolWindow);
    SetFormStyle(TFormStyle::fsStayOnTop);
    SetBounds(100, 100, 460, 420);

    Label(this, 8, 10, "地址：");
    cb_Addr = PlaceControl<TComboBox>(this, 110, 8, 150, 22);
    Label(this, 8, 38, "我的昵称：");
    ed_Name = PlaceControl<TEdit>(this, 110, 36, 150, 22);
    Label(this, 270, 10, "使用端口(TCP)：");
    se_TCPChatRoomPort = PlaceControl<TEdit>(this, 370, 8, 70, 22);
    se_TCPChatRoomPort->SetText("60000");
    mm_ShowChatMsg = PlaceControl<TMemo>(this, 8, 66, 432, 180);
    mm_ShowChatMsg->SetReadOnly(true);
    Label(this, 8, 254, "消息内容：");
    mm_SendChatMsg = PlaceControl<TMemo>(this, 8, 272, 432, 60);
    bt_Send = PlaceControl<TButton>(this, 8, 340, 100, 26);
    bt_Send->SetCaption(Utf8ToGbk("发送消息(&S)"));
    bt_ClearChat = PlaceControl<TButton>(this, 116, 340, 70, 26);
    bt_ClearChat->SetCaption(Utf8ToGbk("清空"));
    bt_Exit = PlaceControl<TButton>(this, 370, 340, 70, 26);
    bt_Exit->SetCaption(Utf8ToGbk("关闭(&E)"));
    sb_SaveTo = PlaceControl<TButton>(this, 8, 372, 70, 22);
    sb_SaveTo->SetCaption(Utf8ToGbk("保存到："));
    ed_FileName = PlaceControl<TEdit>(this, 84, 372, 356, 22);

    bt_Send->OnClick = TNotifyEvent(this, &TNetChatForm::bt_SendClick);
    bt_ClearChat->OnClick = TNotifyEvent(this, &TNetChatForm::bt_ClearChatClick);
    bt_Exit->OnClick = TNotifyEvent(this, &TNetChatForm::bt_ExitClick);
    sb_SaveTo->OnClick = TNotifyEvent(this, &TNetChatForm::sb_SaveToClick);
    cb_Addr->OnChange = TNotifyEvent(this, &TNetChatForm::cb_AddrChange);

    MessageBox = [this](const std::string& text) {
        ::MessageBoxW(Handle(), dvr::win::GbkToWide(text).c_str(),
                      dvr::win::GbkToWide(Caption()).c_str(), MB_OK);
    };
    chat_ = std::make_unique<TNetChat>(static_cast<TNetChatView&>(*this), ownIP);
    chat_->Open(port, address);
}

TNetChatForm::~TNetChatForm() = default;

void TNetChatForm::SetHosts(const std::vector<std::string>& addresses,
                            std::function<int(const std::string&)> portOf) {
    portOf_ = std::move(portOf);
    for (const std::string& a : addresses)
        if (cb_Addr->Items()->IndexOf(a) < 0) cb_Addr->Items()->Add(a);
    if (cb_Addr->Items()->Count() > 0 && cb_Addr->Caption().empty()) {
        cb_Addr->SetItemIndex(0);
        cb_AddrChange(cb_Addr);
    }
}

void TNetChatForm::bt_SendClick(TObject*) {
    chat_->SendPressed(cb_Addr->Caption(), std::atoi(se_TCPChatRoomPort->Caption().c_str()),
                       ed_Name->Caption(), mm_SendChatMsg->Caption());
}

void TNetChatForm::bt_ClearChatClick(TObject*) {
    chat_->ClearPressed();
}

void TNetChatForm::bt_ExitClick(TObject*) {
    Hide();
}

void TNetChatForm::sb_SaveToClick(TObject*) {
    chat_->SaveTo(ed_FileName->Caption());
}

void TNetChatForm::cb_AddrChange(TObject*) {
    if (portOf_) se_TCPChatRoomPort->SetText(std::to_string(portOf_(cb_Addr->Caption())));
}

void TNetChatForm::LinesChanged(const std::vector<std::string>& lines) {
    TStrings* shown = mm_ShowChatMsg->Lines();
    shown->Clear();
    for (const std::string& l : lines)
        shown->Add(l);
}

void TNetChatForm::ShowMessage(const std::string& text) {
    if (MessageBox) MessageBox(text);
}

void TNetChatForm::ShowWindow() {
    Show();
}

void TNetChatForm::SetWindowEnabled(bool enabled) {
    SetEnabled(enabled);
}

void TNetChatForm::SetHourglass(bool on) {
    ::SetCursor(::LoadCursorW(nullptr, on ? IDC_WAIT : IDC_ARROW));
}

} // namespace vantrel
