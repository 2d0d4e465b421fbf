#include "host/ui/F_ClearDataMSGForm.h"

#include "host/ui/U_DialogControls.h"

namespace vantrel {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

TClearDataMSGForm::TClearDataMSGForm(TComponent* AOwner, TDiskFaultList& faults,
                                     const std::string& programPath)
    : TForm(AOwner), faults_(faults) {
    SetCaption(DialogCaption("清盘及写盘故障信息"));
    SetFormStyle(TFormStyle::fsStayOnTop);
    SetClientWidth(520);
    SetClientHeight(340);
    DataErrorMemo = PutControl<TMemo>(this, 8, 8, 504, 290);
    DataErrorMemo->SetReadOnly(true);
    DataErrorMemo->SetScrollBars(TMemo::TScrollStyle::ssBoth);
    PutLabel(this, 8, 312, 80, "最多保留：");
    se_MaxCounts = PutControl<TEdit>(this, 90, 308, 60, 22);
    se_MaxCounts->SetText("100");
    cb_AutoShow = PutControl<TCheckBox>(this, 170, 310, 100, 20);
    cb_AutoShow->SetCaption(Utf8ToGbk("自动弹出"));
    cb_AutoShow->SetChecked(true);
    bt_Close = PutButton(this, 436, 306, 75, "关闭");
    bt_Close->OnClick = TNotifyEvent(this, &TClearDataMSGForm::bt_CloseClick);
    Timer1 = new TTimer(this);
    Timer1->SetInterval(60000);
    Timer1->SetOnTimer(TNotifyEvent(this, &TClearDataMSGForm::Timer1Timer));

    LogPath = programPath + "Disk\\DiskLog.txt";
    std::string text;
    if (ReadWholeFile(LogPath, text))
        DataErrorMemo->Lines()->SetText(text);
    else
        ForceDirectories(programPath + "Disk");
    Timer1->SetEnabled(true);
}

void TClearDataMSGForm::BeforeDestruction() {
    SaveLog();
    TForm::BeforeDestruction();
}

void TClearDataMSGForm::SaveLog() {
    try {
        std::string text;
        for (int i = 0; i < DataErrorMemo->Lines()->Count(); ++i)
            text += DataErrorMemo->Lines()->Get(i) + "\r\n";
        WriteWholeFile(LogPath, text);
    } catch (...) {
    }
}

void TClearDataMSGForm::WMDiskFault(TMessage& M) {
    TStrings* lines = DataErrorMemo->Lines();
    const int max = SpinValue(se_MaxCounts, 50, 500);
    while (lines->Count() > max)
        lines->Delete(0);
    for (std::string line : faults_.Take()) {
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
        lines->Add(line);
    }
    if (M.WParam != kDiskFaultNormal && cb_AutoShow->Checked()) Show();
}

void TClearDataMSGForm::Timer1Timer(TObject*) {
    SaveLog();
}

void TClearDataMSGForm::bt_CloseClick(TObject*) {
    Hide();
}

} // namespace vantrel
