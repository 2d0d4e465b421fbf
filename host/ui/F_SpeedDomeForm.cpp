#include "host/ui/F_SpeedDomeForm.h"

#include "host/ui/U_DialogControls.h"

#include "host/engine/U_DiskAccess.h"
#include "host/engine/U_YunTai.h"

namespace vantrel {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

namespace {

class YunTaiCommands : public TDomeCommands {
public:
    explicit YunTaiCommands(TYunTai& y) : y_(y) {}
    void StartCommand(int channel, int command, int value1, int value2) override {
        y_.StartCommand(channel, command, uint8_t(value1), uint8_t(value2));
    }
    void StopCommand(int channel, int command, int value1, int value2) override {
        y_.StopCommand(channel, command, uint8_t(value1), uint8_t(value2));
    }

private:
    TYunTai& y_;
};

TListView* PresetList(TWinControl* parent, int x, int y, const char* second, bool checks) {
    auto* lv = PutControl<TListView>(parent, x, y, 220, 180);
    lv->SetViewStyle(TViewStyle::vsReport);
    lv->SetRowSelect(true);
    lv->SetReadOnly(true);
    lv->SetHideSelection(false);
    lv->SetCheckboxes(checks);
    for (const char* text : {"预置点", second}) {
        TListColumn* c = lv->AddColumn();
        c->SetCaption(Utf8ToGbk(text));
        c->SetWidth(100);
    }
    return lv;
}

void SetRow(TListItem* item, int first, int second) {
    item->SetCaption(std::to_string(first));
    item->SubItems()->Clear();
    item->SubItems()->Add(std::to_string(second));
}

} // namespace

std::unique_ptr<TDomeCommands> DomeCommandsOf(TYunTai& yunTai) {
    return std::make_unique<YunTaiCommands>(yunTai);
}

TSpeedDomeForm::TSpeedDomeForm(TComponent* AOwner, TDomeCommands& commands,
                               const std::string& programPath, int boardChannels, int channelCount)
    : TForm(AOwner), commands_(commands), channelCount_(channelCount) {
    SetCaption(DialogCaption("快球预置点"));
    SetBorderStyle(TFormBorderStyle::bsDialog);
    SetClientWidth(480);
    SetClientHeight(420);

    PutLabel(this, 8, 12, 50, "通道：");
    cb_Channel = PutControl<TComboBox>(this, 60, 8, 70, 22);
    cb_Channel->SetStyle(TComboBoxStyle::csDropDownList);
    PutLabel(this, 150, 12, 60, "预置点：");
    se_PrevPoint = PutControl<TEdit>(this, 210, 8, 50, 22);
    se_PrevPoint->SetText("0");
    bt_SetPoint = PutButton(this, 266, 6, 60, "设置");
    bt_CallPoint = PutButton(this, 332, 6, 60, "调用");
    bt_DelPoint = PutButton(this, 398, 6, 60, "删除");
    PutLabel(this, 8, 44, 50, "线扫：");
    se_Point_1 = PutControl<TEdit>(this, 60, 40, 50, 22);
    PutLabel(this, 116, 44, 20, "至");
    se_Point_2 = PutControl<TEdit>(this, 140, 40, 50, 22);
    bt_LineScanStart = PutButton(this, 266, 38, 60, "启动");
    bt_LineScanStop = PutButton(this, 332, 38, 60, "停止");

    lv_ScanSet = PresetList(this, 8, 100, "停留时间(秒)", true);
    tb_ScanAdd = PutButton(this, 8, 72, 50, "添加");
    tb_ScanDel = PutButton(this, 62, 72, 50, "删除");
    tb_ScanEdit = PutButton(this, 116, 72, 50, "修改");
    cb_ScanCheck = PutControl<TCheckBox>(this, 172, 76, 56, 20);
    cb_ScanCheck->SetCaption(Utf8ToGbk("启动"));
    pn_ScanSet = PutControl<TPanel>(this, 8, 284, 220, 90);
    se_ScanSetPoint = PutControl<TEdit>(pn_ScanSet, 8, 8, 60, 22);
    se_ScanSetTime = PutControl<TEdit>(pn_ScanSet, 8, 36, 90, 22);
    bt_ScanSetOK = PutButton(pn_ScanSet, 120, 8, 80, "确定");
    bt_ScanSetCancel = PutButton(pn_ScanSet, 120, 40, 80, "取消");
    pn_ScanSet->SetVisible(false);

    lv_AlarmSet = PresetList(this, 250, 100, "探头号", false);
    tb_AlarmAdd = PutButton(this, 250, 72, 50, "添加");
    tb_AlarmDel = PutButton(this, 304, 72, 50, "删除");
    tb_AlarmEdit = PutButton(this, 358, 72, 50, "修改");
    cb_AlarmCheck = PutControl<TCheckBox>(this, 414, 76, 56, 20);
    cb_AlarmCheck->SetCaption(Utf8ToGbk("启动"));
    pn_AlarmSet = PutControl<TPanel>(this, 250, 284, 220, 90);
    se_AlarmSetPoint = PutControl<TEdit>(pn_AlarmSet, 8, 8, 60, 22);
    se_AlarmSetHead = PutControl<TEdit>(pn_AlarmSet, 8, 36, 90, 22);
    bt_AlarmSetOK = PutButton(pn_AlarmSet, 120, 8, 80, "确定");
    bt_AlarmSetCancel = PutButton(pn_AlarmSet, 120, 40, 80, "取消");
    pn_AlarmSet->SetVisible(false);

    bt_Save = PutButton(this, 300, 388, 80, "保存(&S)");
    bt_Close = PutButton(this, 390, 388, 80, "关闭(&C)");
    tm_ScanTimer = new TTimer(this);
    tm_ScanTimer->SetEnabled(false);
    tm_ScanTimer->SetInterval(1000);

    cb_Channel->OnChange = TNotifyEvent(this, &TSpeedDomeForm::cb_ChannelChange);
    bt_SetPoint->OnClick = TNotifyEvent(this, &TSpeedDomeForm::bt_SetPointClick);
    bt_CallPoint->OnClick = TNotifyEvent(this, &TSpeedDomeForm::bt_CallPointClick);
    bt_DelPoint->OnClick = TNotifyEvent(this, &TSpeedDomeForm::bt_DelPointClick);
    bt_LineScanStart->OnClick = TNotifyEvent(this, &TSpeedDomeForm::bt_LineScanStartClick);
    bt_LineScanStop->OnClick = TNotifyEvent(this, &TSpeedDomeForm::bt_LineScanStopClick);
    tb_ScanAdd->OnClick = TNotifyEvent(this, &TSpeedDomeForm::tb_ScanAddClick);
    tb_ScanDel->OnClick = TNotifyEvent(this, &TSpeedDomeForm::tb_ScanDelClick);
    tb_ScanEdit->OnClick = TNotifyEvent(this, &TSpeedDomeForm::tb_ScanEditClick);
    bt_ScanSetOK->OnClick = TNotifyEvent(this, &TSpeedDomeForm::bt_ScanSetOKClick);
    bt_ScanSetCancel->OnClick = TNotifyEvent(this, &TSpeedDomeForm::bt_ScanSetCancelClick);
    lv_ScanSet->OnClick = TNotifyEvent(this, &TSpeedDomeForm::lv_ScanSetClick);
    cb_ScanCheck->OnClick = TNotifyEvent(this, &TSpeedDomeForm::cb_ScanCheckClick);
    tb_AlarmAdd->OnClick = TNotifyEvent(this, &TSpeedDomeForm::tb_AlarmAddClick);
    tb_AlarmDel->OnClick = TNotifyEvent(this, &TSpeedDomeForm::tb_AlarmDelClick);
    tb_AlarmEdit->OnClick = TNotifyEvent(this, &TSpeedDomeForm::tb_AlarmEditClick);
    bt_AlarmSetOK->OnClick = TNotifyEvent(this, &TSpeedDomeForm::bt_AlarmSetOKClick);
    bt_AlarmSetCancel->OnClick = TNotifyEvent(this, &TSpeedDomeForm::bt_AlarmSetCancelClick);
    cb_AlarmCheck->OnClick = TNotifyEvent(this, &TSpeedDomeForm::cb_AlarmCheckClick);
    bt_Save->OnClick = TNotifyEvent(this, &TSpeedDomeForm::bt_SaveClick);
    bt_Close->OnClick = TNotifyEvent(this, &TSpeedDomeForm::bt_CloseClick);
    tm_ScanTimer->SetOnTimer(TNotifyEvent(this, &TSpeedDomeForm::tm_ScanTimerTimer));

    const std::string folder = programPath + "SDSet";
    if (!FolderExists(folder)) ForceDirectories(folder);
    FileName = folder + "\\SDSet.imf";
    std::string bytes;
    if (!PathExists(FileName))
        WriteWholeFile(FileName, {});
    else if (ReadWholeFile(FileName, bytes))
        Set.Load(bytes);
    for (int i = 1; i <= kDomeChannels; ++i)
        cb_Channel->Items()->Add(std::to_string(i));
    cb_Channel->SetItemIndex(0);
    ShowChannel();
    if (boardChannels > 0) tm_ScanTimer->SetEnabled(true);
}

int TSpeedDomeForm::Channel() const {
    const int i = cb_Channel->ItemIndex();
    return i < 0 || i >= kDomeChannels ? 0 : i;
}

void TSpeedDomeForm::cb_ChannelChange(TObject*) {
    ShowChannel();
}

void TSpeedDomeForm::ShowChannel() {
    loading_ = true;
    const SpeedDomeRecord& r = Record();
    lv_ScanSet->Items()->Clear();
    lv_AlarmSet->Items()->Clear();
    se_Point_1->SetText(std::to_string(r.LinePoint1));
    se_Point_2->SetText(std::to_string(r.LinePoint2));
    for (int k = 0; k < LinkLength(r); ++k)
        SetRow(lv_AlarmSet->Items()->Add(), r.Links[k].Preset, r.Links[k].Input);
    for (int k = 0; k < TourLength(r); ++k) {
        TListItem* item = lv_ScanSet->Items()->Add();
        SetRow(item, r.Tour[k].Preset, r.Tour[k].DwellSeconds);
        item->SetChecked(r.Tour[k].Enabled != 0);
    }
    cb_ScanCheck->SetChecked(r.TourEnabled != 0);
    cb_AlarmCheck->SetChecked(r.LinksEnabled != 0);
    loading_ = false;
}

void TSpeedDomeForm::bt_SetPointClick(TObject*) {
    commands_.StartCommand(Channel(), 15, SpinValue(se_PrevPoint, 0, 255), 0);
}
void TSpeedDomeForm::bt_CallPointClick(TObject*) {
    commands_.StartCommand(Channel(), 16, SpinValue(se_PrevPoint, 0, 255), 0);
}
void TSpeedDomeForm::bt_DelPointClick(TObject*) {
    commands_.StartCommand(Channel(), 17, SpinValue(se_PrevPoint, 0, 255), 0);
}

void TSpeedDomeForm::bt_LineScanStartClick(TObject*) {
    SpeedDomeRecord& r = Record();
    r.LinePoint1 = SpinValue(se_Point_1, 0, 255);
    r.LinePoint2 = SpinValue(se_Point_2, 0, 255);
    commands_.StartCommand(Channel(), 18, r.LinePoint1, r.LinePoint2);
}

void TSpeedDomeForm::bt_LineScanStopClick(TObject*) {
    SpeedDomeRecord& r = Record();
    r.LinePoint1 = SpinValue(se_Point_1, 0, 255);
    r.LinePoint2 = SpinValue(se_Point_2, 0, 255);
    commands_.StopCommand(Channel(), 18, r.LinePoint1, r.LinePoint2);
}

void TSpeedDomeForm::tb_ScanAddClick(TObject*) {
    scanAdding_ = true;
    se_ScanSetPoint->SetText("0");
    se_ScanSetTime->SetText("0");
    pn_ScanSet->SetVisible(true);
}

void TSpeedDomeForm::tb_ScanEditClick(TObject*) {
    TListItem* sel = lv_ScanSet->Selected();
    if (!sel) return;
    scanAdding_ = false;
    se_ScanSetPoint->SetText(sel->Caption());
    se_ScanSetTime->SetText(sel->SubItems()->Get(0));
    pn_ScanSet->SetVisible(true);
}

void TSpeedDomeForm::bt_ScanSetOKClick(TObject*) {
    const int preset = SpinValue(se_ScanSetPoint, 0, 255);
    const int dwell = SpinValue(se_ScanSetTime, 0, 1000000);
    SpeedDomeRecord& r = Record();
    if (scanAdding_) {
        if (AppendTourEntry(r, preset, dwell)) {
            TListItem* item = lv_ScanSet->Items()->Add();
            SetRow(item, preset, dwell);
            item->SetChecked(false);
        }
    } else if (TListItem* sel = lv_ScanSet->Selected()) {
        const int k = sel->Index();
        if (k < kDomeListEntries) {
            r.Tour[k].Preset = preset;
            r.Tour[k].DwellSeconds = dwell;
            SetRow(sel, preset, dwell);
        }
    }
    pn_ScanSet->SetVisible(false);
}

void TSpeedDomeForm::bt_ScanSetCancelClick(TObject*) {
    pn_ScanSet->SetVisible(false);
}

void TSpeedDomeForm::tb_ScanDelClick(TObject*) {
    TListItem* sel = lv_ScanSet->Selected();
    if (!sel) return;
    const int k = sel->Index();
    lv_ScanSet->Items()->Delete(k);
    DeleteTourEntry(Record(), k);
}

void TSpeedDomeForm::lv_ScanSetClick(TObject*) {
    SpeedDomeRecord& r = Record();
    for (int k = 0; k < lv_ScanSet->Items()->Count() && k < kDomeListEntries; ++k)
        r.Tour[k].Enabled = lv_ScanSet->Items()->Item(k)->Checked() ? 1 : 0;
}

void TSpeedDomeForm::cb_ScanCheckClick(TObject*) {
    if (!loading_) Record().TourEnabled = cb_ScanCheck->Checked() ? 1 : 0;
}

void TSpeedDomeForm::tb_AlarmAddClick(TObject*) {
    alarmAdding_ = true;
    se_AlarmSetPoint->SetText("0");
    se_AlarmSetHead->SetText("0");
    pn_AlarmSet->SetVisible(true);
}

void TSpeedDomeForm::tb_AlarmEditClick(TObject*) {
    TListItem* sel = lv_AlarmSet->Selected();
    if (!sel) return;
    alarmAdding_ = false;
    se_AlarmSetPoint->SetText(sel->Caption());
    se_AlarmSetHead->SetText(sel->SubItems()->Get(0));
    pn_AlarmSet->SetVisible(true);
}

void TSpeedDomeForm::bt_AlarmSetOKClick(TObject*) {
    const int preset = SpinValue(se_AlarmSetPoint, 0, 255);
    const uint8_t input = uint8_t(SpinValue(se_AlarmSetHead, 0, 1000000)); // low 8 bits kept
    SpeedDomeRecord& r = Record();
    if (alarmAdding_) {
        if (AppendAlarmLink(r, preset, input)) SetRow(lv_AlarmSet->Items()->Add(), preset, input);
    } else if (TListItem* sel = lv_AlarmSet->Selected()) {
        const int k = sel->Index();
        if (k < kDomeListEntries) {
            r.Links[k].Preset = preset;
            r.Links[k].Input = input;
            SetRow(sel, preset, input);
        }
    }
    pn_AlarmSet->SetVisible(false);
}

void TSpeedDomeForm::bt_AlarmSetCancelClick(TObject*) {
    pn_AlarmSet->SetVisible(false);
}

void TSpeedDomeForm::tb_AlarmDelClick(TObject*) {
    TListItem* sel = lv_AlarmSet->Selected();
    if (!sel) return;
    const int k = sel->Index();
    lv_AlarmSet->Items()->Delete(k);
    DeleteAlarmLink(Record(), k);
}

void TSpeedDomeForm::cb_AlarmCheckClick(TObject*) {
    if (!loading_) Record().LinksEnabled = cb_AlarmCheck->Checked() ? 1 : 0;
}

void TSpeedDomeForm::bt_SaveClick(TObject*) {
    WriteWholeFile(FileName, Set.Bytes());
}

void TSpeedDomeForm::bt_CloseClick(TObject*) {
    Hide();
}

void TSpeedDomeForm::tm_ScanTimerTimer(TObject*) {
    Set.Tick(channelCount_, [this](int channel, int entry) {
        ::PostMessageW(Handle(), WM_DOMESCANSTEP, WPARAM(channel), LPARAM(entry));
    });
}

void TSpeedDomeForm::WMDomeScanStep(TMessage& M) {
    const int channel = int(M.WParam), entry = int(M.LParam);
    if (channel < 0 || channel >= kDomeChannels || entry < 0 || entry >= kDomeListEntries) return;
    commands_.StartCommand(channel, 16, Set.Records[channel].Tour[entry].Preset, 0);
}

void TSpeedDomeForm::WMCallPreset(TMessage& M) {
    const int channel = int(M.WParam);
    if (channel < 0 || channel >= kDomeChannels) return;
    const int preset = PresetForInput(Set.Records[channel], int(M.LParam));
    if (preset >= 0) commands_.StartCommand(channel, 16, preset, 0);
}

} // namespace vantrel
