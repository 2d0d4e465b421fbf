#include "host/ui/F_SelectChannelForm.h"

#include "host/ui/U_DialogControls.h"

namespace vantrel {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

void ToggleSelectAll(TButton* button, TListView* list) {
    const bool tick = button->Tag() == 0;
    button->SetTag(tick ? 1 : 0);
    button->SetCaption(Utf8ToGbk(tick ? "全清" : "全选"));
    for (int i = 0; i < list->Items()->Count(); ++i)
        list->Items()->Item(i)->SetChecked(tick);
}

TSelectChannelForm::TSelectChannelForm(TComponent* AOwner,
                                       const std::vector<std::string>& channelNames)
    : TForm(AOwner) {
    SetCaption(DialogCaption("通道选择"));
    SetBorderStyle(TFormBorderStyle::bsDialog);
    SetPosition(TPosition::poScreenCenter);
    SetClientWidth(260);
    SetClientHeight(360);
    lv_ChannelList = PutControl<TListView>(this, 8, 8, 244, 310);
    lv_ChannelList->SetViewStyle(TViewStyle::vsReport);
    lv_ChannelList->SetCheckboxes(true);
    lv_ChannelList->SetRowSelect(true);
    lv_ChannelList->SetReadOnly(true);
    const std::pair<const char*, int> columns[2] = {{"通道", 60}, {"名称", 160}};
    for (const auto& [text, width] : columns) {
        TListColumn* c = lv_ChannelList->AddColumn();
        c->SetCaption(Utf8ToGbk(text));
        c->SetWidth(width);
    }
    for (size_t i = 0; i < channelNames.size(); ++i) {
        TListItem* item = lv_ChannelList->Items()->Add();
        item->SetCaption(std::to_string(i + 1));
        item->SubItems()->Add(channelNames[i]);
    }
    bt_SelectAll = PutButton(this, 8, 326, 75, "全选");
    bt_OK = PutButton(this, 96, 326, 75, "确定");
    bt_Cancel = PutButton(this, 178, 326, 75, "取消");
    bt_SelectAll->OnClick = TNotifyEvent(this, &TSelectChannelForm::bt_SelectAllClick);
    bt_OK->OnClick = TNotifyEvent(this, &TSelectChannelForm::bt_OKClick);
    bt_Cancel->OnClick = TNotifyEvent(this, &TSelectChannelForm::bt_CancelClick);
    OnShow = TNotifyEvent(this, &TSelectChannelForm::FormShow);
}

void TSelectChannelForm::FormShow(TObject*) {
    CanClose = false;
}
void TSelectChannelForm::bt_SelectAllClick(TObject*) {
    ToggleSelectAll(bt_SelectAll, lv_ChannelList);
}

void TSelectChannelForm::bt_OKClick(TObject*) {
    CanClose = true;
    SetModalResult(mrOk);
}

void TSelectChannelForm::bt_CancelClick(TObject*) {
    CanClose = true;
    SetModalResult(mrCancel);
}

std::vector<int> TSelectChannelForm::Chosen() {
    std::vector<int> out;
    for (int i = 0; i < lv_ChannelList->Items()->Count(); ++i)
        if (lv_ChannelList->Items()->Item(i)->Checked()) out.push_back(i);
    return out;
}

std::vector<int> PickChannels(const std::vector<std::string>& channelNames) {
    auto* f = new TSelectChannelForm(nullptr, channelNames);
    f->AfterConstruction();
    std::vector<int> out;
    if (f->ShowModal() == mrOk) out = f->Chosen();
    f->Free();
    return out;
}

} // namespace vantrel
