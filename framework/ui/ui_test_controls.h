// Small controls for the window tests: a windowed box that paints itself and logs what
// reaches it, and a graphic swatch painted by its parent.
#pragma once

#include "framework/ui/controls.h"

#include <string>
#include <vector>

namespace dvr::fw::testing {

constexpr uint32_t WM_TEST_PING = WM_USER + 1;

class TTestBox : public TCustomControl {
    FW_PUBLISHED(TTestBox, TCustomControl)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(WM_TEST_PING, WMTestPing)
    FW_MESSAGE(WM_SETTEXT, WMSetText)
    FW_MESSAGE(CM_MOUSEENTER, CMMouseEnter)
    FW_MESSAGE(CM_MOUSELEAVE, CMMouseLeave)
    FW_MESSAGE(CM_ENABLEDCHANGED, CMEnabledChanged)
    FW_MESSAGES_END
public:
    explicit TTestBox(TComponent* AOwner) : TCustomControl(AOwner) {
        control_style_.Include(TControlStyleItem::csAcceptsControls);
        SetBounds(0, 0, 50, 30);
    }
    std::vector<std::string> Log;
    TColor Fill = clGreen;
    int Creations = 0;

    void WMTestPing(TMessage& M) {
        Log.push_back("ping");
        M.Result = 42;
    }
    void WMSetText(TMessage& M) {
        Log.push_back("settext");
        FW_INHERITED(M); // the window's own procedure stores the text
    }
    void CMMouseEnter(TMessage&) { Log.push_back("enter"); }
    void CMMouseLeave(TMessage&) { Log.push_back("leave"); }
    void CMEnabledChanged(TMessage& M) {
        Log.push_back("enabled");
        FW_INHERITED(M);
    }

protected:
    void CreateWnd() override {
        TCustomControl::CreateWnd();
        ++Creations;
    }
    void Paint() override {
        Canvas()->Brush()->SetColor(Fill);
        Canvas()->FillRect(ClientRect());
    }
};

inline void TTestBox::Publish(TPublisher<TTestBox>& p) {
    p.Property("Caption", nullptr, &TTestBox::Caption, &TTestBox::SetCaption);
}

class TTestSwatch : public TGraphicControl {
    FW_PUBLISHED(TTestSwatch, TGraphicControl)
public:
    explicit TTestSwatch(TComponent* AOwner) : TGraphicControl(AOwner) { SetBounds(0, 0, 10, 10); }
    TColor Fill = clRed;
    int Paints = 0;

protected:
    void Paint() override {
        ++Paints;
        Canvas()->Brush()->SetColor(Fill);
        Canvas()->FillRect(ClientRect());
    }
};

inline void TTestSwatch::Publish(TPublisher<TTestSwatch>& p) {
    p.Property("Caption", nullptr, &TTestSwatch::Caption, &TTestSwatch::SetCaption);
}

inline void RegisterTestControls() {
    RegisterClass(TTestBox::StaticClass());
    RegisterClass(TTestSwatch::StaticClass());
}

} // namespace dvr::fw::testing
