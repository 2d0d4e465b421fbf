// The speed-dome window: per channel the presets, line scan, preset tour and alarm links of a
// speed dome, kept in SDSet\SDSet.imf; a one-second timer walks the tours.
#pragma once

#include "host/ui/U_SpeedDomeSet.h"

#include "host/engine/U_AlarmKinds.h"

#include "framework/ui/comctrls.h"
#include "framework/ui/extctrls.h"
#include "framework/ui/forms.h"
#include "framework/ui/stdctrls.h"
#include "framework/ui/timer.h"

#include <memory>
#include <string>

namespace vantrel {

class TYunTai;

constexpr unsigned WM_DOMESCANSTEP = 0x409;

// The PTZ commands the window gives (TYunTai's in the host).
class TDomeCommands {
public:
    virtual ~TDomeCommands() = default;
    virtual void StartCommand(int channel, int command, int value1, int value2) = 0;
    virtual void StopCommand(int channel, int command, int value1, int value2) = 0;
};

// The host's PTZ object behind TDomeCommands.
std::unique_ptr<TDomeCommands> DomeCommandsOf(TYunTai& yunTai);

class TSpeedDomeForm : public dvr::fw::TForm {
    FW_CLASS(TSpeedDomeForm, dvr::fw::TForm)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(WM_DOMESCANSTEP, WMDomeScanStep)
    FW_MESSAGE(WM_CALLPRESET, WMCallPreset)
    FW_MESSAGES_END
public:
    // programPath: the program folder with its trailing "\" (GBK); boardChannels: the board's
    // channel count (tours run only with a board); channelCount: the channels the tour walks.
    TSpeedDomeForm(dvr::fw::TComponent* AOwner, TDomeCommands& commands,
                   const std::string& programPath, int boardChannels, int channelCount);

    SpeedDomeSet Set;
    std::string FileName;

    dvr::fw::TComboBox* cb_Channel;
    dvr::fw::TEdit* se_PrevPoint;
    dvr::fw::TButton* bt_SetPoint;
    dvr::fw::TButton* bt_CallPoint;
    dvr::fw::TButton* bt_DelPoint;
    dvr::fw::TEdit* se_Point_1;
    dvr::fw::TEdit* se_Point_2;
    dvr::fw::TButton* bt_LineScanStart;
    dvr::fw::TButton* bt_LineScanStop;
    dvr::fw::TListView* lv_ScanSet;
    dvr::fw::TButton* tb_ScanAdd;
    dvr::fw::TButton* tb_ScanDel;
    dvr::fw::TButton* tb_ScanEdit;
    dvr::fw::TCheckBox* cb_ScanCheck;
    dvr::fw::TPanel* pn_ScanSet;
    dvr::fw::TEdit* se_ScanSetPoint;
    dvr::fw::TEdit* se_ScanSetTime;
    dvr::fw::TButton* bt_ScanSetOK;
    dvr::fw::TButton* bt_ScanSetCancel;
    dvr::fw::TListView* lv_AlarmSet;
    dvr::fw::TButton* tb_AlarmAdd;
    dvr::fw::TButton* tb_AlarmDel;
    dvr::fw::TButton* tb_AlarmEdit;
    dvr::fw::TCheckBox* cb_AlarmCheck;
    dvr::fw::TPanel* pn_AlarmSet;
    dvr::fw::TEdit* se_AlarmSetPoint;
    dvr::fw::TEdit* se_AlarmSetHead;
    dvr::fw::TButton* bt_AlarmSetOK;
    dvr::fw::TButton* bt_AlarmSetCancel;
    dvr::fw::TButton* bt_Save;
    dvr::fw::TButton* bt_Close;
    dvr::fw::TTimer* tm_ScanTimer;

    int Channel() const;
    void cb_ChannelChange(dvr::fw::TObject* Sender);
    void bt_SetPointClick(dvr::fw::TObject* Sender);
    void bt_CallPointClick(dvr::fw::TObject* Sender);
    void bt_DelPointClick(dvr::fw::TObject* Sender);
    void bt_LineScanStartClick(dvr::fw::TObject* Sender);
    void bt_LineScanStopClick(dvr::fw::TObject* Sender);
    void tb_ScanAddClick(dvr::fw::TObject* Sender);
    void tb_ScanDelClick(dvr::fw::TObject* Sender);
    void tb_ScanEditClick(dvr::fw::TObject* Sender);
    void bt_ScanSetOKClick(dvr::fw::TObject* Sender);
    void bt_ScanSetCancelClick(dvr::fw::TObject* Sender);
    void lv_ScanSetClick(dvr::fw::TObject* Sender);
    void cb_ScanCheckClick(dvr::fw::TObject* Sender);
    void tb_AlarmAddClick(dvr::fw::TObject* Sender);
    void tb_AlarmDelClick(dvr::fw::TObject* Sender);
    void tb_AlarmEditClick(dvr::fw::TObject* Sender);
    void bt_AlarmSetOKClick(dvr::fw::TObject* Sender);
    void bt_AlarmSetCancelClick(dvr::fw::TObject* Sender);
    void cb_AlarmCheckClick(dvr::fw::TObject* Sender);
    void bt_SaveClick(dvr::fw::TObject* Sender);
    void bt_CloseClick(dvr::fw::TObject* Sender);
    void tm_ScanTimerTimer(dvr::fw::TObject* Sender);
    void WMDomeScanStep(dvr::fw::TMessage& M);
    void WMCallPreset(dvr::fw::TMessage& M);

    // The channel's record into the lists and boxes.
    void ShowChannel();

private:
    SpeedDomeRecord& Record() { return Set.Records[Channel()]; }
    TDomeCommands& commands_;
    int channelCount_;
    bool scanAdding_ = false, alarmAdding_ = false;
    bool loading_ = false;
};

} // namespace vantrel
