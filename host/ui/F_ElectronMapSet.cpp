#include "host/ui/F_ElectronMapSet.h"

#include "host/ui/U_DialogControls.h"

namespace vantrel {

using namespace dvr::fw;

TElectronMapSetForm::TElectronMapSetForm(TComponent* AOwner, int boardChannels,
                                         const std::vector<TClientChannelRecord>& channels)
    : TForm(AOwner), boardChannels_(boardChannels), channels_(channels) {
    SetCaption(DialogCaption("设置电子地图"));
    SetBorderStyle(TFormBorderStyle::bsDialog);
    SetPosition(TPosition::poScreenCenter);
    SetClientWidth(260);
    SetClientHeight(380);
    tv_MapTree = PutControl<TTreeView>(this, 8, 8, 244, 300);
    tv_MapTree->SetReadOnly(true);
    tv_MapTree->SetHideSelection(false);
    lb_DetectorNum_Title = PutLabel(this, 8, 320, 60, "探头号：");
    se_DetectorNum = PutControl<TEdit>(this, 70, 316, 50, 22);
    se_DetectorNum->SetText("1");
    bt_OK = PutButton(this, 96, 348, 75, "确定");
    bt_OK->SetDefault(true);
    bt_Cancel = PutButton(this, 178, 348, 75, "取消");
    bt_Cancel->SetCancel(true);
    bt_OK->OnClick = TNotifyEvent(this, &TElectronMapSetForm::bt_OKClick);
    bt_Cancel->OnClick = TNotifyEvent(this, &TElectronMapSetForm::bt_CancelClick);
    tv_MapTree->OnDblClick = TNotifyEvent(this, &TElectronMapSetForm::tv_MapTreeDblClick);
    OnShow = TNotifyEvent(this, &TElectronMapSetForm::FormShow);
}

void TElectronMapSetForm::CopyChildren(TTreeNode* from, TTreeNode* to) {
    for (int i = 0; i < from->Count(); ++i) {
        TTreeNode* child = from->Item(i);
        CopyChildren(child, tv_MapTree->Items()->AddChild(to, child->Text()));
    }
}

void TElectronMapSetForm::FormShow(TObject*) {
    if (SourceRoot) {
        TTreeNode* top = tv_MapTree->Items()->AddChild(nullptr, SourceRoot->Text());
        CopyChildren(SourceRoot, top);
        top->SetExpanded(true);
    }
    const bool detector = Tag() == 2;
    lb_DetectorNum_Title->SetVisible(detector);
    se_DetectorNum->SetVisible(detector);
}

int TElectronMapSetForm::DetectorNumber() const {
    return SpinValue(se_DetectorNum, 1, 16);
}

void TElectronMapSetForm::PickNode() {
    TTreeNode* node = tv_MapTree->Selected();
    if (!node) return;
    if (Tag() == 0) {
        ChosenNode = node;
        SetModalResult(mrOk);
        return;
    }
    if (!node->Parent() || node->HasChildren()) return;
    TTreeNode* localHost =
        tv_MapTree->Items()->Count() > 1 ? tv_MapTree->Items()->Item(1) : nullptr;
    if (boardChannels_ != 0 && node->Parent() == localHost) {
        ChosenNode = node;
        ChosenChannel.GroupIndex = -1;
        ChosenChannel.RemoteChannel = uint8_t(node->Index());
        SetModalResult(mrOk);
        return;
    }
    for (const TClientChannelRecord& r : channels_)
        if (r.Name.Get() == node->Text()) { // the last match wins
            ChosenChannel = r;
            ChosenNode = node;
            SetModalResult(mrOk);
        }
}

void TElectronMapSetForm::bt_CancelClick(TObject*) {
    SetModalResult(mrCancel);
}

} // namespace vantrel
