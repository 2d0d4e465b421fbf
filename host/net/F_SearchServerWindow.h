// The name-server search dialog: the server's address and login, the search and its state.
// The work is TSearchServerForm's; its values reach the controls on a short timer, as its
// timers and reader change them without telling anyone.
#pragma once

#include "host/net/F_SearchServerForm.h"

#include "framework/ui/forms.h"
#include "framework/ui/stdctrls.h"
#include "framework/ui/timer.h"

#include <memory>
#include <string>

namespace vantrel {

class TSearchServerWindow : public dvr::fw::TForm {
    FW_CLASS(TSearchServerWindow, dvr::fw::TForm)
public:
    // `appTitle`: the application title (GBK).
    TSearchServerWindow(dvr::fw::TComponent* AOwner, const std::string& appTitle,
                        TArithmetic& arithmetic, uint16_t searchPort = kNameServerSearchPort,
                        TSearchTiming timing = {});
    ~TSearchServerWindow() override;

    TSearchServerForm& Search() { return *search_; }

    dvr::fw::TEdit* ed_ServerAddr;
    dvr::fw::TEdit* ed_UserName;
    dvr::fw::TEdit* ed_Password;
    dvr::fw::TLabel* lb_SearchInfo;
    dvr::fw::TButton* bt_StartSearch;
    dvr::fw::TButton* bt_SaveSet;
    dvr::fw::TButton* bt_Exit;

    void bt_StartSearchClick(dvr::fw::TObject* Sender);
    void bt_SaveSetClick(dvr::fw::TObject* Sender);
    void bt_ExitClick(dvr::fw::TObject* Sender);

private:
    void TakeEdits();
    void ShowState(dvr::fw::TObject* Sender = nullptr);

    dvr::fw::TTimer* stateTimer_;
    std::unique_ptr<TSearchServerForm> search_;
};

} // namespace vantrel
