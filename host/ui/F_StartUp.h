// The start-up window with its logo and gauge, the thread that brings up the boards off the
// user-interface thread, and the title the program is known by.
#pragma once

#include "framework/ui/extctrls.h"
#include "framework/ui/forms.h"
#include "framework/ui/timer.h"

#include <windows.h>

#include <string>

namespace vantrel {

constexpr unsigned WM_STARTUPGO = 0x410;

// The first line of "OEM.txt" in `folder` (GBK), cut to 16 characters; the built-in title
// when the file is missing or its first line is empty.
std::string ProgramTitle(const std::wstring& folder);
constexpr const char* kDefaultTitle = "Vantrel DVR";

// The start logo beside the program: "StartLogo.jpg", else "StartLogo.bmp"; null for none.
// The caller owns the bitmap.
HBITMAP LoadStartLogo(const std::wstring& folder);

class TStartUpForm : public dvr::fw::TForm {
    FW_CLASS(TStartUpForm, dvr::fw::TForm)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(WM_STARTUPGO, StartupSequence)
    FW_MESSAGES_END
public:
    explicit TStartUpForm(dvr::fw::TComponent* AOwner);

    dvr::fw::TImage* im_StartLogo = nullptr;
    dvr::fw::TPanel* Gauge = nullptr;
    dvr::fw::TPanel* GaugeBar = nullptr;
    dvr::fw::TTimer* Timer = nullptr;
    int MaxValue = 600;
    int Progress = 0;
    // Every value the gauge took, in order.
    std::string GaugeTrace;

    void FormCreate(dvr::fw::TObject* Sender);
    void FormShow(dvr::fw::TObject* Sender);
    void TimerTimer(dvr::fw::TObject* Sender);
    void SetProgress(int value);

private:
    void StartupSequence(dvr::fw::TMessage& M);
    static DWORD WINAPI ThreadStartUp(LPVOID self);
};

// The program's main block; returns the exit code.
int ProgramMain();

} // namespace vantrel
