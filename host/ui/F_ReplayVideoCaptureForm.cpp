#include "host/ui/F_ReplayVideoCaptureForm.h"

#include "common/win/textconv.h"

namespace vantrel {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

TReplayVideoCaptureForm::TReplayVideoCaptureForm(TComponent* AOwner, const std::string& title,
                                                 TDriveList drives)
    : TForm(AOwner) {
    SetCaption(title + "    " + Utf8ToGbk("视频剪辑"));
    SetBorderStyle(TFormBorderStyle::bsDialog);
    SetPosition(TPosition::poMainFormCenter);
    SetClientSize(280, 84);
    auto* label = new TLabel(this);
    label->SetParent(this);
    label->SetBounds(12, 14, 80, 16);
    label->SetCaption(Utf8ToGbk("剪辑到："));
    dcb_Driver = new TComboBox(this);
    dcb_Driver->SetParent(this);
    dcb_Driver->SetBounds(100, 10, 160, 22);
    dcb_Driver->SetStyle(TComboBoxStyle::csDropDownList);
    bt_OK = new TButton(this);
    bt_OK->SetParent(this);
    bt_OK->SetBounds(90, 48, 80, 26);
    bt_OK->SetCaption(Utf8ToGbk("确定"));
    bt_OK->SetDefault(true);
    bt_OK->SetModalResult(mrOk);
    bt_Cancel = new TButton(this);
    bt_Cancel->SetParent(this);
    bt_Cancel->SetBounds(180, 48, 80, 26);
    bt_Cancel->SetCaption(Utf8ToGbk("取消"));
    bt_Cancel->SetCancel(true);
    bt_Cancel->SetModalResult(mrCancel);
    FillDriveBox(dcb_Driver, drives);
}

} // namespace vantrel
