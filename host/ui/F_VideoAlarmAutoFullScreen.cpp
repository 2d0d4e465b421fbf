#include "host/ui/F_VideoAlarmAutoFullScreen.h"

#include "host/ui/U_ConsoleDialogRules.h"
#include "host/ui/U_DialogControls.h"

#include "host/engine/U_Arithmetic.h"

namespace vantrel {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

namespace {
const char* const kKey = "SOFTWARE\\VQS\\AutoFullScreen";
const char* const kValue = "AutoFullScreen";
} // namespace

TVideoAlarmAutoFullScreenForm::TVideoAlarmAutoFullScreenForm(TComponent* AOwner,
                                                             std::vector<std::string> channelTitles)
    : TForm(AOwner), titles_(std::move(channelTitles)) {
    SetCaption(DialogCaption("视频运动触发自动全屏预览"));
    SetBorderStyle(TFormBorderStyle::bsDialog);
    SetPosition(TPosition::poScreenCenter);
    SetClientWidth(300);
    SetClientHeight(110);
    cb_StartAutoFullScreen = PutControl<TCheckBox>(this, 12, 10, 200, 20);
    cb_StartAutoFullScreen->SetCaption(Utf8ToGbk("启用"));
    cb_Channels = PutControl<TComboBox>(this, 12, 38, 276, 22);
    cb_Channels->SetStyle(TComboBoxStyle::csDropDownList);
    bt_OK = PutButton(this, 212, 74, 75, "确定");
    bt_OK->OnClick = TNotifyEvent(this, &TVideoAlarmAutoFullScreenForm::bt_OKClick);
    OnShow = TNotifyEvent(this, &TVideoAlarmAutoFullScreenForm::FormShow);
    LoadSetting();
}

void TVideoAlarmAutoFullScreenForm::FormShow(TObject*) {
    LoadSetting();
}

void TVideoAlarmAutoFullScreenForm::LoadSetting() {
    cb_Channels->Items()->Clear();
    for (size_t i = 0; i < titles_.size(); ++i)
        cb_Channels->Items()->Add(std::to_string(i + 1) + "    < " + titles_[i] + " >");
    std::string value;
    try {
        TArithmetic::ReadRegString(HKEY_LOCAL_MACHINE, kKey, value, kValue);
    } catch (...) {
        value.clear();
    }
    const AutoFullScreenChoice c = ParseAutoFullScreen(value);
    cb_StartAutoFullScreen->SetChecked(c.Enabled);
    cb_Channels->SetItemIndex(c.Item < cb_Channels->Items()->Count() ? c.Item : -1);
}

void TVideoAlarmAutoFullScreenForm::bt_OKClick(TObject*) {
    const int item = cb_Channels->ItemIndex() < 0 ? 0 : cb_Channels->ItemIndex();
    try {
        TArithmetic::WriteRegString(HKEY_LOCAL_MACHINE, kKey, kValue,
                                    FormatAutoFullScreen(cb_StartAutoFullScreen->Checked(), item));
    } catch (...) {
    }
    Close();
}

} // namespace vantrel
