// The electronic map window: the tree of plans, the plan picture with its links, cameras and
// detectors, and the alarms that show the plan holding an alarming camera or detector.
// Created once at start-up, hidden; only hidden when closed.
#pragma once

#include "host/ui/F_ElectronMapSet.h"
#include "host/engine/U_ClientGroups.h"
#include "host/ui/U_ElectronMap.h"

#include "framework/ui/buttons.h"
#include "framework/ui/comctrls.h"
#include "framework/ui/extctrls.h"
#include "framework/ui/forms.h"
#include "framework/ui/imglist.h"
#include "framework/ui/stdctrls.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace vantrel {

constexpr unsigned WM_EMAPSHOW = 0x407;

// What the map needs of the host.
struct TElectronMapHost {
    std::string ProgramPath; // GBK, with a trailing "\"
    std::function<std::vector<std::string>()> BoardTitles; // GBK, one per board channel
    const std::vector<TClientGroupRecord>* GroupRecords = nullptr;
    const std::vector<std::vector<TClientChannelRecord>>* GroupMembers = nullptr;
    const std::vector<TClientChannelRecord>* Channels = nullptr;
    std::function<bool()> MainWindowShown;
    // The alarm queue, when it must outlive the window (threads that feed it may still run
    // while the window is freed); the window's own otherwise.
    TMapAlarmQueue* Alarms = nullptr;
    // The open-file dialog and the association dialog; tests replace them.
    std::function<std::string()> ChoosePicture;
    std::function<bool(TElectronMapSetForm&)> RunAssociation;
};

class TElectronMapForm : public dvr::fw::TForm {
    FW_CLASS(TElectronMapForm, dvr::fw::TForm)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(WM_EMAPSHOW, WMEMapShow)
    FW_MESSAGE(WM_EMAPALARM, WMEMapAlarm)
    FW_MESSAGES_END
public:
    TElectronMapForm(dvr::fw::TComponent* AOwner, TElectronMapHost host);

    // Any thread; the caller then posts WM_EMAPALARM (wParam 1 raise, 0 clear).
    void QueueAlarm(const AlarmUploadRecord& record) { Queue().Push(record); }
    TMapAlarmQueue& Queue() { return host_.Alarms ? *host_.Alarms : ownQueue_; }
    // Again after the channel map changes: every plan is detached.
    void BuildMapTree();

    dvr::fw::TTreeView* tv_MapTree;
    dvr::fw::TPanel* pn_Tools;
    dvr::fw::TPanel* pn_Map;
    dvr::fw::TImage* im_Map;
    dvr::fw::TCheckBox* cb_AutoPopup;
    dvr::fw::TStatusBar* StatusBar;
    dvr::fw::TSpeedButton* sb_LoadMap;
    dvr::fw::TSpeedButton* sb_DeleteMap;
    dvr::fw::TSpeedButton* sb_AddLeader;
    dvr::fw::TSpeedButton* sb_AddCamera;
    dvr::fw::TSpeedButton* sb_AddDetector;
    dvr::fw::TSpeedButton* sb_DeleteLeader;
    dvr::fw::TSpeedButton* sb_DeleteCamera;
    dvr::fw::TSpeedButton* sb_DeleteDetector;
    dvr::fw::TSpeedButton* sb_SetLeader;
    dvr::fw::TSpeedButton* sb_SetCamera;
    dvr::fw::TSpeedButton* sb_SetDetector;
    dvr::fw::TSpeedButton* sb_Save;
    dvr::fw::TSpeedButton* sb_HideTree;
    dvr::fw::TSpeedButton* sb_Close;

    // The markers of the plan shown now, in the plan's order.
    struct TMark {
        dvr::fw::TImage* Image;
        dvr::fw::TLabel* Label;
    };
    std::vector<dvr::fw::TSpeedButton*> LeaderMarks;
    std::vector<TMark> CameraMarks, DetectorMarks;

    dvr::fw::TTreeNode* ShownNode() const { return shown_; }
    // The plan data attached to a node; null when none is.
    TWatchers* PlanOf(dvr::fw::TTreeNode* node);
    int SelectedLeader = -1, SelectedCamera = -1, SelectedDetector = -1;
    // The picture index each camera or detector mark shows now.
    int MarkPicture(const TMark& mark) const;
    std::string PicturePath(const std::string& nodeText) const;
    std::string MarkerPath(const std::string& nodeText) const;

    void ShowSelectedPlan();
    void sb_LoadMapClick(dvr::fw::TObject*);
    void sb_DeleteMapClick(dvr::fw::TObject*);
    void sb_AddLeaderClick(dvr::fw::TObject*);
    void sb_AddCameraClick(dvr::fw::TObject*);
    void sb_AddDetectorClick(dvr::fw::TObject*);
    void sb_DeleteLeaderClick(dvr::fw::TObject*);
    void sb_DeleteCameraClick(dvr::fw::TObject*);
    void sb_DeleteDetectorClick(dvr::fw::TObject*);
    void sb_SetLeaderClick(dvr::fw::TObject*);
    void sb_SetCameraClick(dvr::fw::TObject*) { Associate(1); }
    void sb_SetDetectorClick(dvr::fw::TObject*) { Associate(2); }
    void sb_SaveClick(dvr::fw::TObject*);
    void sb_HideTreeClick(dvr::fw::TObject*);
    void sb_CloseClick(dvr::fw::TObject*) { Hide(); }
    void tv_MapTreeDblClick(dvr::fw::TObject*) { ShowSelectedPlan(); }
    void pn_MapResize(dvr::fw::TObject*) { PlaceMarks(); }
    void MarkMouseDown(dvr::fw::TObject* Sender, dvr::fw::TMouseButton Button,
                       dvr::fw::TShiftState Shift, int X, int Y);
    void MarkMouseMove(dvr::fw::TObject* Sender, dvr::fw::TShiftState Shift, int X, int Y);
    void LeaderClick(dvr::fw::TObject* Sender);

private:
    void WMEMapShow(dvr::fw::TMessage& M);
    void WMEMapAlarm(dvr::fw::TMessage& M);
    void LoadPlan(dvr::fw::TTreeNode* node, TWatchers& plan);
    void RemoveMarks();
    void CreateMarks();
    void PlaceMarks();
    void PaintMark(const TMark& mark, bool detector, int picture);
    void RefreshMarkPictures();
    void SelectMark(dvr::fw::TObject* Sender);
    void Associate(int kind);
    void SetIcon(dvr::fw::TTreeNode* node, int icon);
    dvr::fw::TSpeedButton* Tool(int x, int y, int w, const char* utf8,
                                void (TElectronMapForm::*click)(dvr::fw::TObject*));

    TElectronMapHost host_;
    TMapAlarmQueue ownQueue_;
    std::map<dvr::fw::TTreeNode*, std::unique_ptr<TWatchers>> plans_;
    std::vector<std::unique_ptr<TClientGroupNodeData>> groupData_;
    dvr::fw::TTreeNode* shown_ = nullptr;
    dvr::fw::TImageList* treeIcons_ = nullptr;
    dvr::fw::TControl* pressed_ = nullptr;
    int pressX_ = 0, pressY_ = 0;
    bool dragged_ = false;
};

} // namespace vantrel
