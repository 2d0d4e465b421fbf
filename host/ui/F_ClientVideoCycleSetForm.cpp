#include "host/ui/F_ClientVideoCycleSetForm.h"

#include "host/ui/U_DialogControls.h"

namespace vantrel {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

TClientVideoCycleSetForm::TClientVideoCycleSetForm(TComponent* AOwner,
                                                   std::vector<TClientGroup>& groups)
    : TForm(AOwner), groups_(groups) {
    SetCaption(DialogCaption("分控轮视设置"));
    SetBorderStyle(TFormBorderStyle::bsDialog);
    SetPosition(TPosition::poScreenCenter);
    SetClientWidth(320);
    SetClientHeight(300);
    lv_GroupList = PutControl<TListView>(this, 10, 10, 300, 200);
    lv_GroupList->SetViewStyle(TViewStyle::vsReport);
    lv_GroupList->SetCheckboxes(true);
    lv_GroupList->SetRowSelect(true);
    TListColumn* c = lv_GroupList->AddColumn();
    c->SetCaption(Utf8ToGbk("连接组"));
    c->SetWidth(270);
    for (const TClientGroup& g : groups_) {
        TListItem* row = lv_GroupList->Items()->Add();
        row->SetCaption(std::string(g.Name.View()));
        row->SetChecked(g.CycleFlag);
    }
    sb_SelectAll = PutButton(this, 10, 218, 60, "全清");
    sb_SelectAll->SetTag(0);
    sb_SelectAll->OnClick = TNotifyEvent(this, &TClientVideoCycleSetForm::sb_SelectAllClick);
    PutLabel(this, 10, 256, 100, "循环时间间隔：");
    se_CycleSpaceTime = PutControl<TEdit>(this, 110, 252, 70, 22);
    se_CycleSpaceTime->SetMaxLength(7);
    se_CycleSpaceTime->SetText("5");
    PutLabel(this, 186, 256, 20, "秒");
    bt_OK = PutButton(this, 150, 218, 75, "确定");
    bt_Cancel = PutButton(this, 235, 218, 75, "取消");
    bt_OK->OnClick = TNotifyEvent(this, &TClientVideoCycleSetForm::bt_OKClick);
    bt_Cancel->OnClick = TNotifyEvent(this, &TClientVideoCycleSetForm::bt_CancelClick);
}

int TClientVideoCycleSetForm::CycleSeconds() const {
    return SpinValue(se_CycleSpaceTime, 5, 9999999);
}

void TClientVideoCycleSetForm::sb_SelectAllClick(TObject*) {
    const bool check = sb_SelectAll->Tag() > 0;
    sb_SelectAll->SetCaption(Utf8ToGbk(check ? "全清" : "全选"));
    sb_SelectAll->SetTag(check ? 0 : 1);
    for (int i = 0; i < lv_GroupList->Items()->Count(); ++i)
        lv_GroupList->Items()->Item(i)->SetChecked(check);
}

void TClientVideoCycleSetForm::bt_OKClick(TObject*) {
    for (int i = 0; i < lv_GroupList->Items()->Count() && size_t(i) < groups_.size(); ++i)
        groups_[size_t(i)].CycleFlag = lv_GroupList->Items()->Item(i)->Checked();
    SetModalResult(mrOk);
}

void TClientVideoCycleSetForm::bt_CancelClick(TObject*) {
    SetModalResult(mrCancel);
}

} // namespace vantrel
