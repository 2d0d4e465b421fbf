// The snapshot browser: the host's preview and replay snapshots by day, channel and type,
// the chosen picture with zoom and panning, printing, and the recording in which a preview
// snapshot was taken. Also the search for that recording.
#pragma once

#include "framework/ui/checklst.h"
#include "framework/ui/comctrls.h"
#include "framework/ui/extctrls.h"
#include "framework/ui/forms.h"
#include "framework/ui/stdctrls.h"
#include "host/ui/U_ListSort.h"
#include "host/ui/U_Replay.h"

#include <functional>
#include <memory>
#include <string>

namespace vantrel {

// The first file, in the order the folder lists them, of the snapshot's "CC" folder, else of
// its "AC" folder, that started not after the snapshot and was last written not before it;
// "" when none.
std::string FindSnapshotRecording(const std::string& snapshotPath);

class TShowBMPForm : public dvr::fw::TForm {
    FW_CLASS(TShowBMPForm, dvr::fw::TForm)
public:
    // `replay` is the replay window's engine: its search thread scans, its SnapshotList is
    // this window's while it is open.
    TShowBMPForm(dvr::fw::TComponent* AOwner, const std::string& title, TReplay& replay);
    ~TShowBMPForm() override;

    // Plays the recording around a snapshot (default: the one-file player, modal).
    std::function<void(const std::string& recording)> PlayRecording;
    // The error box (GBK text); tests give their own.
    std::function<void(const std::string& text)> ShowError;

    dvr::fw::TPanel* Panel1;
    dvr::fw::TImage* im_ShowBMP;
    dvr::fw::TCheckListBox* clb_ReplayBMPFileTypeList;
    dvr::fw::TCheckListBox* clb_ReplayChannelList;
    dvr::fw::TListView* lv_ReplayDateList;
    dvr::fw::TButton* sb_SelectChannelAll;
    dvr::fw::TListView* lv_BMPList;
    dvr::fw::TButton *ToolButton4, *ToolButton5, *ToolButton6, *ToolButton7, *ToolButton10,
        *ToolButton11, *sb_PlayFile, *ToolButton13;

    void FormShow(dvr::fw::TObject* Sender);
    // The snapshot scan has ended: the first day is selected, which fills the list.
    void ScanEnded();
    void FillBMPList();
    void ShowPicture(const std::string& path);
    // The selected snapshot's path; "" when none.
    std::string SelectedPath();

    void lv_ReplayDateListSelect(dvr::fw::TObject* Sender, dvr::fw::TListItem* Item, bool Selected);
    void lv_BMPListSelect(dvr::fw::TObject* Sender, dvr::fw::TListItem* Item, bool Selected);
    void lv_BMPListColumnClick(dvr::fw::TObject* Sender, dvr::fw::TListColumn* Column);
    void FiltersChanged(dvr::fw::TObject* Sender);
    void sb_SelectChannelAllClick(dvr::fw::TObject* Sender);
    void ToolButton4Click(dvr::fw::TObject* Sender);
    void ToolButton5Click(dvr::fw::TObject* Sender);
    void ToolButton6Click(dvr::fw::TObject* Sender);
    void ToolButton7Click(dvr::fw::TObject* Sender);
    void ToolButton10Click(dvr::fw::TObject* Sender);
    void ToolButton11Click(dvr::fw::TObject* Sender);
    void sb_PlayFileClick(dvr::fw::TObject* Sender);
    void ToolButton13Click(dvr::fw::TObject* Sender);
    void Panel1Resize(dvr::fw::TObject* Sender);
    void im_ShowBMPMouseDown(dvr::fw::TObject* Sender, dvr::fw::TMouseButton Button,
                             dvr::fw::TShiftState Shift, int X, int Y);
    void im_ShowBMPMouseMove(dvr::fw::TObject* Sender, dvr::fw::TShiftState Shift, int X, int Y);
    // Moves the picture by the cursor's movement from the last press (screen coordinates).
    void PanTo(POINT cursor);

protected:
    void DoClose(dvr::fw::TCloseAction& Action) override;

private:
    void Zoom(double factor);
    void Place();
    void SelectRow(int row);

    std::string title_;
    TReplay& replay_;
    std::unique_ptr<TListSorter> sorter_;
    bool filling_ = false;
    POINT pressed_{};
};

} // namespace vantrel
