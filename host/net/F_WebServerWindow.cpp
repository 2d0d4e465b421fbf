#include "host/net/F_WebServerWindow.h"

#include "framework/ui/place_control.h"

#include "common/win/textconv.h"

#include <cstdlib>

namespace vantrel {

namespace {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

void Label(TWebServerWindow* form, int x, int y, int w, const char* utf8) {
    auto* l = PlaceControl<TLabel>(form, x, y, w, 16);
    l->SetCaption(Utf8ToGbk(utf8));
}

} // namespace

TWebServerWindow::TWebServerWindow(TComponent* AOwner, const std::string& appTitle,
                                   TWebServerHost host)
    : TForm(AOwner), server_(std::make_unique<TWebServerForm>(std::move(host))) {
    SetCaption(appTitle + "    " + Utf8ToGbk("Web服务器"));
    SetBorderStyle(TFormBorderStyle::bsSingle);
    SetBorderIcons(TBorderIcons{});
    SetFormStyle(TFormStyle::fsStayOnTop);
    SetBounds(150, 120, 380, 380);

    Label(this, 8, 12, 90, "最大连接数：");
    se_MaxConnectCount = PlaceControl<TEdit>(this, 100, 8, 70, 22);
    Label(this, 190, 12, 70, "使用端口：");
    se_ServerPort = PlaceControl<TEdit>(this, 262, 8, 70, 22);
    cb_UseAddr = PlaceControl<TCheckBox>(this, 8, 38, 120, 20);
    cb_UseAddr->SetCaption(Utf8ToGbk("使用指定地址"));
    Label(this, 8, 64, 130, "本地Internet 地址：");
    cb_LocalIP = PlaceControl<TComboBox>(this, 140, 60, 192, 22);
    ListView = PlaceControl<TListView>(this, 8, 90, 324, 200);
    ListView->SetViewStyle(TViewStyle::vsReport);
    ListView->SetReadOnly(true);
    TListColumn* column = ListView->AddColumn();
    column->SetCaption(Utf8ToGbk("当前连接地址"));
    column->SetWidth(300);
    Label(this, 8, 300, 100, "当前连接总数：");
    lb_TotalCounts = PlaceControl<TLabel>(this, 110, 300, 60, 16);
    bt_Close = PlaceControl<TButton>(this, 252, 318, 80, 26);
    bt_Close->SetCaption(Utf8ToGbk("确定"));

    // The server's values as it read them from the settings.
    se_MaxConnectCount->SetText(std::to_string(server_->se_MaxConnectCount));
    se_ServerPort->SetText(std::to_string(server_->se_ServerPort));
    cb_UseAddr->SetChecked(server_->cb_UseAddr);
    for (const std::string& ip : server_->cb_LocalIPItems)
        cb_LocalIP->Items()->Add(ip);
    cb_LocalIP->SetItemIndex(cb_LocalIP->Items()->IndexOf(server_->cb_LocalIP));
    RowsChanged();

    se_MaxConnectCount->OnChange = TNotifyEvent(this, &TWebServerWindow::se_MaxConnectCountChange);
    bt_Close->OnClick = TNotifyEvent(this, &TWebServerWindow::bt_CloseClick);
    server_->OnRowsChanged = [this] { RowsChanged(); };
}

TWebServerWindow::~TWebServerWindow() {
    server_->OnRowsChanged = nullptr;
}

void TWebServerWindow::se_MaxConnectCountChange(TObject*) {
    const int count = std::atoi(se_MaxConnectCount->Caption().c_str());
    if (count >= 0 && count <= 1000) server_->se_MaxConnectCount = count;
}

void TWebServerWindow::bt_CloseClick(TObject*) {
    const int port = std::atoi(se_ServerPort->Caption().c_str());
    if (port >= 1 && port <= 65535) server_->se_ServerPort = port;
    server_->cb_UseAddr = cb_UseAddr->Checked();
    server_->cb_LocalIP = cb_LocalIP->Caption();
    server_->bt_CloseClick();
    Hide();
}

void TWebServerWindow::RowsChanged() {
    TListItems* items = ListView->Items();
    items->BeginUpdate();
    items->Clear();
    const auto rows = server_->Rows();
    for (const auto& row : rows)
        items->Add()->SetCaption(row.PeerAddress);
    items->EndUpdate();
    lb_TotalCounts->SetCaption(std::to_string(rows.size()));
}

} // namespace vantrel
