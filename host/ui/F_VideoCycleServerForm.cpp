#include "host/ui/F_VideoCycleServerForm.h"

#include "host/ui/U_DialogControls.h"
#include "host/ui/U_PreviewLayout.h"

namespace vantrel {

using namespace dvr::fw;

TVideoCycleServerForm::TVideoCycleServerForm(TComponent* AOwner, int boardChannels)
    : TForm(AOwner) {
    SetCaption(DialogCaption("轮视设置"));
    SetBorderStyle(TFormBorderStyle::bsDialog);
    SetPosition(TPosition::poMainFormCenter);
    SetClientWidth(300);
    SetClientHeight(120);
    PutLabel(this, 16, 18, 20, "按");
    cb_PartitionCounts = PutControl<TComboBox>(this, 40, 14, 70, 22);
    cb_PartitionCounts->SetStyle(TComboBoxStyle::csDropDownList);
    PutLabel(this, 118, 18, 120, "画面进行轮视。");
    // Only layouts smaller than the board's channel count are worth cycling through.
    for (int n : kLayoutCounts) {
        if (n >= boardChannels) break;
        cb_PartitionCounts->Items()->Add(std::to_string(n));
    }
    if (cb_PartitionCounts->Items()->Count() > 0) cb_PartitionCounts->SetItemIndex(0);
    PutLabel(this, 16, 52, 100, "循环时间间隔：");
    se_CycleSpaceTime = PutControl<TEdit>(this, 120, 48, 60, 22);
    se_CycleSpaceTime->SetMaxLength(4);
    se_CycleSpaceTime->SetText("5");
    PutLabel(this, 186, 52, 20, "秒");
    bt_OK = PutButton(this, 130, 84, 75, "确定");
    bt_Cancel = PutButton(this, 214, 84, 75, "取消");
    bt_OK->OnClick = TNotifyEvent(this, &TVideoCycleServerForm::bt_OKClick);
    bt_Cancel->OnClick = TNotifyEvent(this, &TVideoCycleServerForm::bt_CancelClick);
}

int TVideoCycleServerForm::CycleSeconds() const {
    return SpinValue(se_CycleSpaceTime, 5, 1440);
}

void TVideoCycleServerForm::bt_OKClick(TObject*) {
    // A one-channel board has nothing to cycle through.
    SetModalResult(LayoutIndex() >= 0 ? mrOk : mrCancel);
}

void TVideoCycleServerForm::bt_CancelClick(TObject*) {
    SetModalResult(mrCancel);
}

} // namespace vantrel
