// The UPS countdown window's behaviour: two labels, a 1-second counter and the shutdown request
// at 60. The window itself shows what this holds through its view.
#pragma once

#include <functional>
#include <string>

namespace vantrel {

// Label texts are UTF-8.
extern const char* const kUpsPowerFailText;
extern const char* const kUpsNotConnectedText;

class TUPSInfoView {
public:
    virtual ~TUPSInfoView() = default;
    virtual void ShowLabels(const std::string& label1, const std::string& label2) = 0;
    virtual void SetVisible(bool visible) = 0;
    virtual void SetTimer(bool running) = 0;
};

class TUPSInfoForm {
public:
    // onCountdownEnd: stops the UPS poll timer and posts WM_POWERACTION 10000 to the main
    // window.
    TUPSInfoForm(TUPSInfoView* view, std::function<void()> onCountdownEnd);

    std::string Label1, Label2;
    int Counter = 0;
    bool TimerRunning() const { return timer_; }
    bool Visible() const { return visible_; }

    void SetLabels(const std::string& label1, const std::string& label2);
    void StartTimer();
    void StopTimer();
    void Show();
    // "确定" and the end of the countdown: hides only; a running countdown goes on.
    void Close();
    // The window's 1-second timer.
    void TimerTick();

private:
    TUPSInfoView* view_;
    std::function<void()> onCountdownEnd_;
    bool timer_ = false;
    bool visible_ = false;
};

} // namespace vantrel
