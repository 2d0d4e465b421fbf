#include "host/ui/F_YunTaiSpeed.h"

#include "host/ui/U_DialogControls.h"

#include <cmath>

namespace vantrel {

using namespace dvr::fw;

namespace {

// The commands of each bar; -1 ends a list.
constexpr int kBarCommands[5][2] = {{0, 1}, {2, 3}, {6, 7}, {8, 9}, {10, -1}};
const char* const kBarLabels[5] = {"上下：", "左右：", "变焦：", "变倍：", "自动："};

} // namespace

TYunTaiSpeedForm::TYunTaiSpeedForm(TComponent* AOwner, TYunTai& ptz,
                                   const TYunTaiSetRecord& settings,
                                   const std::vector<TYunTaiProtocol>& protocols,
                                   std::function<int()> selectedChannel)
    : TForm(AOwner), ptz_(ptz), settings_(settings), protocols_(protocols),
      selected_(std::move(selectedChannel)) {
    SetCaption(DialogCaption("云台速度"));
    SetBorderStyle(TFormBorderStyle::bsToolWindow);
    SetFormStyle(TFormStyle::fsStayOnTop);
    SetClientWidth(260);
    SetClientHeight(200);
    for (int i = 0; i < 5; ++i) {
        PutLabel(this, 10, 14 + 32 * i, 50, kBarLabels[i]);
        auto* bar = PutControl<TTrackBar>(this, 60, 8 + 32 * i, 190, 28);
        bar->SetMin(0);
        bar->SetMax(100);
        bar->SetFrequency(10);
        bar->SetTag(i);
        bar->OnChange = TNotifyEvent(this, &TYunTaiSpeedForm::BarChange);
        Bars[size_t(i)] = bar;
    }
    bt_Close = PutButton(this, 175, 168, 75, "关闭");
    bt_Close->OnClick = TNotifyEvent(this, &TYunTaiSpeedForm::bt_CloseClick);
}

const TYunTaiProtocol* TYunTaiSpeedForm::ProtocolOf(int channel) const {
    if (channel < 0 || channel >= kSettingsChannels || !settings_.Entries[channel].Enabled)
        return nullptr;
    const uint8_t index = settings_.Entries[channel].Protocol;
    return index < protocols_.size() ? &protocols_[index] : nullptr;
}

void TYunTaiSpeedForm::BarChange(TObject* Sender) {
    auto* bar = static_cast<TTrackBar*>(Sender);
    const int ch = selected_ ? selected_() : 0;
    const TYunTaiProtocol* p = ProtocolOf(ch);
    if (!p) return;
    const int percent = bar->Position();
    for (int cmd : kBarCommands[bar->Tag()])
        if (cmd >= 0) ptz_.SpeedState[ch][cmd] = uint8_t(p->Speeds[cmd].Default * percent / 100);
}

void TYunTaiSpeedForm::ShowChannel(int channel) {
    const TYunTaiProtocol* p = ProtocolOf(channel);
    if (!p) return;
    for (int i = 0; i < 5; ++i) {
        const int first = kBarCommands[i][0];
        const int def = p->Speeds[first].Default;
        if (def == 0) continue;
        Bars[size_t(i)]->SetPosition(
            int(std::lround(double(ptz_.SpeedState[channel][first]) / def * 100)));
    }
}

void TYunTaiSpeedForm::WMPtzChannel(TMessage& M) {
    ShowChannel(int(M.WParam));
}

void TYunTaiSpeedForm::bt_CloseClick(TObject*) {
    Close();
}

} // namespace vantrel
