// The patrol's outage log viewer: one row per outage (host, detection time), refreshed and
// cleared through its buttons. The work is TPingLogForm's.
#pragma once

#include "host/net/F_PingLog.h"

#include "framework/ui/comctrls.h"
#include "framework/ui/forms.h"
#include "framework/ui/stdctrls.h"

#include <memory>
#include <string>

namespace vantrel {

class TPingLogWindow : public dvr::fw::TForm {
    FW_CLASS(TPingLogWindow, dvr::fw::TForm)
public:
    // `appTitle`: the application title (GBK).
    TPingLogWindow(dvr::fw::TComponent* AOwner, const std::string& appTitle, TPingThread& thread);
    ~TPingLogWindow() override;

    dvr::fw::TListView* lv_LogList;
    dvr::fw::TButton* bt_Refresh;
    dvr::fw::TButton* bt_Clear;
    dvr::fw::TButton* bt_Close;

    void bt_RefreshClick(dvr::fw::TObject* Sender);
    void bt_ClearClick(dvr::fw::TObject* Sender);
    void bt_CloseClick(dvr::fw::TObject* Sender);

private:
    void ShowRows();

    std::unique_ptr<TPingLogForm> log_;
};

} // namespace vantrel
