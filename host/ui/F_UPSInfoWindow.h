// The UPS countdown window: what the countdown logic holds, on a small stay-on-top dialog.
#pragma once

#include "host/engine/U_UPSInfoForm.h"

#include "framework/ui/forms.h"
#include "framework/ui/stdctrls.h"

namespace vantrel {

class TUPSInfoWindow : public dvr::fw::TForm {
    FW_CLASS(TUPSInfoWindow, dvr::fw::TForm)
public:
    explicit TUPSInfoWindow(dvr::fw::TComponent* AOwner);

    dvr::fw::TLabel* Label1;
    dvr::fw::TLabel* Label2;
    dvr::fw::TButton* bt_OK;
    // The countdown this window shows; "确定" closes it through the countdown.
    TUPSInfoForm* Countdown = nullptr;

    // What the countdown shows through (labels in UTF-8).
    TUPSInfoView* View() { return &view_; }

    void bt_OKClick(dvr::fw::TObject* Sender);

private:
    class TView : public TUPSInfoView {
    public:
        explicit TView(TUPSInfoWindow& w) : w_(w) {}
        void ShowLabels(const std::string& label1, const std::string& label2) override;
        void SetVisible(bool visible) override;
        // The console's 1-second timer drives the countdown; nothing runs here.
        void SetTimer(bool) override {}

    private:
        TUPSInfoWindow& w_;
    };
    TView view_{*this};
};

} // namespace vantrel
