// The web server's window: its limits, port and address choice, and the browser controls
// connected now. The server itself is TWebServerForm's.
#pragma once

#include "host/net/F_WebServerForm.h"

#include "framework/ui/comctrls.h"
#include "framework/ui/forms.h"
#include "framework/ui/stdctrls.h"

#include <memory>
#include <string>

namespace vantrel {

class TWebServerWindow : public dvr::fw::TForm {
    FW_CLASS(TWebServerWindow, dvr::fw::TForm)
public:
    // `appTitle`: the application title (GBK). The server starts listening at once.
    TWebServerWindow(dvr::fw::TComponent* AOwner, const std::string& appTitle, TWebServerHost host);
    ~TWebServerWindow() override;

    TWebServerForm& Server() { return *server_; }

    dvr::fw::TEdit* se_MaxConnectCount;
    dvr::fw::TEdit* se_ServerPort;
    dvr::fw::TCheckBox* cb_UseAddr;
    dvr::fw::TComboBox* cb_LocalIP;
    dvr::fw::TListView* ListView;
    dvr::fw::TLabel* lb_TotalCounts;
    dvr::fw::TButton* bt_Close;

    void se_MaxConnectCountChange(dvr::fw::TObject* Sender);
    void bt_CloseClick(dvr::fw::TObject* Sender);

private:
    void RowsChanged();

    std::unique_ptr<TWebServerForm> server_;
};

} // namespace vantrel
