// The station map: the watched hosts as labels on one overview picture; a double click
// switches the console to that station's channels.
#pragma once

#include "host/ui/U_StationMap.h"

#include "framework/ui/extctrls.h"
#include "framework/ui/forms.h"
#include "framework/ui/menus.h"
#include "framework/ui/stdctrls.h"

#include <functional>
#include <string>
#include <vector>

namespace vantrel {

// What the station map needs of the host.
struct TMapCtrlHost {
    std::string ProgramPath; // GBK, with a trailing "\"
    const std::vector<TClientGroupRecord>* GroupRecords = nullptr;
    const std::vector<std::vector<TClientChannelRecord>>* GroupMembers = nullptr;
    std::function<bool()> CycleMode;
    std::function<bool(int right)> CheckRight;
    std::function<bool()> AutoMode;
    std::function<void(int event)> WorkLog;
    // Stops preview, recording and detection on every channel, then rebuilds the channel map
    // with that group (-1: every group).
    std::function<void(int group)> CloseAllAndRebuild;
    // Stops the receive thread of every network channel whose live stream is open.
    std::function<void()> StopNetReceivers;
    // The client settings window with its "选择站点" button: true on OK; `chosen` the station
    // it returned (GBK), if any.
    std::function<bool(std::string& chosen)> RunClientSettings;
    // Tests replace these.
    std::function<std::string()> ChoosePicture;
    std::function<void(const std::string& gbkText, const std::string& gbkCaption, unsigned flags)>
        Message;
};

class TMapCtrlForm : public dvr::fw::TForm {
    FW_CLASS(TMapCtrlForm, dvr::fw::TForm)
public:
    TMapCtrlForm(dvr::fw::TComponent* AOwner, TMapCtrlHost host);

    std::vector<StationRecord> Stations;
    std::vector<dvr::fw::TLabel*> Labels;

    dvr::fw::TPanel* pn_Buttons;
    dvr::fw::TPanel* pn_Map;
    dvr::fw::TImage* im_Map;
    dvr::fw::TButton* bt_Add;
    dvr::fw::TButton* bt_Save;
    dvr::fw::TButton* bt_LoadMap;
    dvr::fw::TButton* bt_Close;
    dvr::fw::TPopupMenu* pm_Station;
    dvr::fw::TMenuItem *mi_Set, *mi_Select, *mi_Delete;
    // The station the pop-up menu was opened for.
    int MenuStation = -1;

    std::string Folder() const { return host_.ProgramPath + "StationMap\\"; }
    void bt_AddClick(dvr::fw::TObject*);
    void bt_SaveClick(dvr::fw::TObject*);
    void bt_LoadMapClick(dvr::fw::TObject*);
    void bt_CloseClick(dvr::fw::TObject*) { Close(); }
    void LabelDblClick(dvr::fw::TObject* Sender);
    void LabelMouseDown(dvr::fw::TObject* Sender, dvr::fw::TMouseButton Button,
                        dvr::fw::TShiftState Shift, int X, int Y);
    void LabelMouseMove(dvr::fw::TObject* Sender, dvr::fw::TShiftState Shift, int X, int Y);
    void LabelMouseUp(dvr::fw::TObject* Sender, dvr::fw::TMouseButton Button,
                      dvr::fw::TShiftState Shift, int X, int Y);
    void mi_SetClick(dvr::fw::TObject*) { AssignStation(MenuStation); }
    void mi_SelectClick(dvr::fw::TObject*) { OpenStation(MenuStation); }
    void mi_DeleteClick(dvr::fw::TObject*) { DeleteStation(MenuStation); }
    // The menu's items for the station: its group's channels after the first four.
    void FillMenu(int station);
    void OpenStation(int station);
    void AssignStation(int station);
    void DeleteStation(int station);
    // The pointer's screen position; tests replace it.
    std::function<POINT()> CursorPos;

private:
    dvr::fw::TLabel* MakeLabel(int station);
    void Tell(const char* utf8Text, const std::string& gbkCaption, unsigned flags);
    void LoadPicture();
    TMapCtrlHost host_;
};

} // namespace vantrel
