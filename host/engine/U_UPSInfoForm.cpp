#include "host/engine/U_UPSInfoForm.h"

namespace vantrel {

const char* const kUpsPowerFailText = "检测到断电，系统将在60秒后自动关机！";
const char* const kUpsNotConnectedText = "UPS设备未连接好，找不到串口设备！";

TUPSInfoForm::TUPSInfoForm(TUPSInfoView* view, std::function<void()> onCountdownEnd)
    : view_(view), onCountdownEnd_(std::move(onCountdownEnd)) {}

void TUPSInfoForm::SetLabels(const std::string& label1, const std::string& label2) {
    Label1 = label1;
    Label2 = label2;
    if (view_) view_->ShowLabels(Label1, Label2);
}

void TUPSInfoForm::StartTimer() {
    timer_ = true;
    if (view_) view_->SetTimer(true);
}

void TUPSInfoForm::StopTimer() {
    timer_ = false;
    if (view_) view_->SetTimer(false);
}

void TUPSInfoForm::Show() {
    visible_ = true;
    if (view_) view_->SetVisible(true);
}

void TUPSInfoForm::Close() {
    visible_ = false;
    if (view_) view_->SetVisible(false);
}

void TUPSInfoForm::TimerTick() {
    if (!timer_) return;
    ++Counter;
    SetLabels(Label1, std::to_string(Counter));
    if (Counter < 60) return;
    StopTimer();
    if (onCountdownEnd_) onCountdownEnd_();
    Close();
}

} // namespace vantrel
