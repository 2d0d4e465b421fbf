// The electronic map's node picker: a copy of the map window's tree; returns the picked node
// and, for cameras and detectors, the channel behind it.
#pragma once

#include "host/engine/U_HostRecords.h"

#include "framework/ui/comctrls.h"
#include "framework/ui/forms.h"
#include "framework/ui/stdctrls.h"

#include <vector>

namespace vantrel {

class TElectronMapSetForm : public dvr::fw::TForm {
    FW_CLASS(TElectronMapSetForm, dvr::fw::TForm)
public:
    // boardChannels: the capture board's channel count; channels: the host list's channel
    // records (TNetClientSet.Channels).
    TElectronMapSetForm(dvr::fw::TComponent* AOwner, int boardChannels,
                        const std::vector<TClientChannelRecord>& channels);

    // Set by the caller; the form's Tag: 0 any node, 1 a camera, 2 a detector.
    dvr::fw::TTreeNode* SourceRoot = nullptr;
    // Read by the caller after OK.
    dvr::fw::TTreeNode* ChosenNode = nullptr;
    TClientChannelRecord ChosenChannel{};

    dvr::fw::TTreeView* tv_MapTree;
    dvr::fw::TLabel* lb_DetectorNum_Title;
    dvr::fw::TEdit* se_DetectorNum;
    dvr::fw::TButton* bt_OK;
    dvr::fw::TButton* bt_Cancel;

    void FormShow(dvr::fw::TObject* Sender);
    void bt_OKClick(dvr::fw::TObject*) { PickNode(); }
    void tv_MapTreeDblClick(dvr::fw::TObject*) { PickNode(); }
    void bt_CancelClick(dvr::fw::TObject* Sender);
    void PickNode();
    // The detector number typed (1 .. 16).
    int DetectorNumber() const;

private:
    void CopyChildren(dvr::fw::TTreeNode* from, dvr::fw::TTreeNode* to);
    int boardChannels_;
    const std::vector<TClientChannelRecord>& channels_;
};

} // namespace vantrel
