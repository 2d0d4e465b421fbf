#include "host/ui/F_SelectWeekDay.h"

#include "host/ui/F_SelectChannelForm.h"
#include "host/ui/U_DialogControls.h"

namespace vantrel {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

TSelectWeekDayForm::TSelectWeekDayForm(TComponent* AOwner) : TForm(AOwner) {
    SetCaption(DialogCaption("星期选择"));
    SetBorderStyle(TFormBorderStyle::bsDialog);
    SetPosition(TPosition::poScreenCenter);
    SetClientWidth(260);
    SetClientHeight(220);
    lv_WeekDayList = PutControl<TListView>(this, 8, 8, 244, 170);
    lv_WeekDayList->SetViewStyle(TViewStyle::vsList);
    lv_WeekDayList->SetCheckboxes(true);
    lv_WeekDayList->SetReadOnly(true);
    for (const char* day : {"星期一", "星期二", "星期三", "星期四", "星期五", "星期六", "星期日"})
        lv_WeekDayList->Items()->Add()->SetCaption(Utf8ToGbk(day));
    bt_SelectAll = PutButton(this, 8, 186, 75, "全选");
    bt_OK = PutButton(this, 96, 186, 75, "确定");
    bt_Cancel = PutButton(this, 178, 186, 75, "取消");
    bt_SelectAll->OnClick = TNotifyEvent(this, &TSelectWeekDayForm::bt_SelectAllClick);
    bt_OK->OnClick = TNotifyEvent(this, &TSelectWeekDayForm::bt_OKClick);
    bt_Cancel->OnClick = TNotifyEvent(this, &TSelectWeekDayForm::bt_CancelClick);
    OnShow = TNotifyEvent(this, &TSelectWeekDayForm::FormShow);
}

void TSelectWeekDayForm::FormShow(TObject*) {
    CanClose = false;
}
void TSelectWeekDayForm::bt_SelectAllClick(TObject*) {
    ToggleSelectAll(bt_SelectAll, lv_WeekDayList);
}

void TSelectWeekDayForm::bt_OKClick(TObject*) {
    CanClose = true;
    SetModalResult(mrOk);
}

void TSelectWeekDayForm::bt_CancelClick(TObject*) {
    CanClose = true;
    SetModalResult(mrCancel);
}

std::vector<int> TSelectWeekDayForm::Chosen() {
    std::vector<int> out;
    for (int i = 0; i < lv_WeekDayList->Items()->Count(); ++i)
        if (lv_WeekDayList->Items()->Item(i)->Checked()) out.push_back(i);
    return out;
}

std::vector<int> PickWeekDays() {
    auto* f = new TSelectWeekDayForm(nullptr);
    f->AfterConstruction();
    std::vector<int> out;
    if (f->ShowModal() == mrOk) out = f->Chosen();
    f->Free();
    return out;
}

} // namespace vantrel
