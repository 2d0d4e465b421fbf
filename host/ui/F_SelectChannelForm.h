// The channel picker of the settings dialog's copy buttons: a tick list of its channels.
#pragma once

#include "framework/ui/comctrls.h"
#include "framework/ui/forms.h"
#include "framework/ui/stdctrls.h"

#include <string>
#include <vector>

namespace vantrel {

// "全选" / "全清" of both pickers: the button's Tag toggles and every row follows it.
void ToggleSelectAll(dvr::fw::TButton* button, dvr::fw::TListView* list);

class TSelectChannelForm : public dvr::fw::TForm {
    FW_CLASS(TSelectChannelForm, dvr::fw::TForm)
public:
    // channelNames: the names of the settings dialog's channel rows, in order (GBK).
    TSelectChannelForm(dvr::fw::TComponent* AOwner, const std::vector<std::string>& channelNames);

    dvr::fw::TListView* lv_ChannelList;
    dvr::fw::TButton* bt_SelectAll;
    dvr::fw::TButton* bt_OK;
    dvr::fw::TButton* bt_Cancel;
    bool CanClose = false;

    void FormShow(dvr::fw::TObject* Sender);
    void bt_SelectAllClick(dvr::fw::TObject* Sender);
    void bt_OKClick(dvr::fw::TObject* Sender);
    void bt_CancelClick(dvr::fw::TObject* Sender);
    // The ticked rows' indexes.
    std::vector<int> Chosen();
};

// Shows the picker modally; the ticked rows after OK, nothing after Cancel.
std::vector<int> PickChannels(const std::vector<std::string>& channelNames);

} // namespace vantrel
