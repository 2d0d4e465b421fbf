// The remote connection list: the live viewers of the ticked board channels, and closing the
// ticked viewers.
#pragma once

#include "framework/ui/comctrls.h"
#include "framework/ui/forms.h"
#include "framework/ui/stdctrls.h"

#include <functional>
#include <string>
#include <vector>

namespace vantrel {

class TTCPConnecter;

class TConnectionViewForm : public dvr::fw::TForm {
    FW_CLASS(TConnectionViewForm, dvr::fw::TForm)
public:
    // The first viewer of a channel's live server (TLiveServers::Viewers(ch)->Head), or null.
    using FirstViewer = std::function<TTCPConnecter*(int channel)>;
    // Closes a viewer of the channel for good (TTCPMainConnecter::CloseViewer): its threads
    // end, the peer sees the close and the sweeper frees it.
    using CloseViewer = std::function<void(int channel, TTCPConnecter& viewer)>;
    // channelTitles: the board channels' titles (GBK).
    TConnectionViewForm(dvr::fw::TComponent* AOwner, const std::vector<std::string>& channelTitles,
                        FirstViewer firstViewer, CloseViewer closeViewer);

    dvr::fw::TListView* lv_MainPortList;
    dvr::fw::TListView* lv_ConnectionList;
    dvr::fw::TStatusBar* StatusBar1;
    dvr::fw::TButton* bt_Query;
    dvr::fw::TButton* bt_Disconnect;
    dvr::fw::TButton* bt_Close;

    void bt_QueryClick(dvr::fw::TObject* Sender);
    void bt_DisconnectClick(dvr::fw::TObject* Sender);
    void bt_CloseClick(dvr::fw::TObject* Sender);

private:
    FirstViewer firstViewer_;
    CloseViewer closeViewer_;
};

} // namespace vantrel
