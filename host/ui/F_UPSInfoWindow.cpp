#include "host/ui/F_UPSInfoWindow.h"

#include "host/ui/U_DialogControls.h"

namespace vantrel {

using namespace dvr::fw;

TUPSInfoWindow::TUPSInfoWindow(TComponent* AOwner) : TForm(AOwner) {
    SetCaption(DialogCaption("智能UPS"));
    SetBorderStyle(TFormBorderStyle::bsDialog);
    SetBorderIcons(TBorderIcons{});
    SetFormStyle(TFormStyle::fsStayOnTop);
    SetPosition(TPosition::poMainFormCenter);
    SetClientWidth(360);
    SetClientHeight(120);
    for (TLabel** l : {&Label1, &Label2}) {
        *l = new TLabel(this);
        (*l)->SetParent(this);
        (*l)->SetAutoSize(false);
        (*l)->SetAlignment(TAlignment::taCenter);
    }
    Label1->SetBounds(10, 16, 340, 18);
    Label2->SetBounds(10, 44, 340, 18);
    bt_OK = PutButton(this, 142, 80, 75, "确定");
    bt_OK->SetDefault(true);
    bt_OK->OnClick = TNotifyEvent(this, &TUPSInfoWindow::bt_OKClick);
}

void TUPSInfoWindow::TView::ShowLabels(const std::string& label1, const std::string& label2) {
    w_.Label1->SetCaption(dvr::win::Utf8ToGbk(label1));
    w_.Label2->SetCaption(dvr::win::Utf8ToGbk(label2));
}

void TUPSInfoWindow::TView::SetVisible(bool visible) {
    if (visible)
        w_.Show();
    else
        w_.Hide();
}

void TUPSInfoWindow::bt_OKClick(TObject*) {
    if (Countdown)
        Countdown->Close();
    else
        Hide();
}

} // namespace vantrel
