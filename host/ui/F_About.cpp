#include "host/ui/F_About.h"

#include "host/ui/U_DialogControls.h"

namespace vantrel {

using namespace dvr::fw;

TAboutForm::TAboutForm(TComponent* AOwner) : TForm(AOwner) {
    SetCaption(DialogCaption("关于"));
    SetBorderStyle(TFormBorderStyle::bsDialog);
    SetPosition(TPosition::poScreenCenter);
    SetClientWidth(300);
    SetClientHeight(100);
    Label1 = PutControl<TLabel>(this, 16, 20, 270, 20);
    Label1->SetCaption((Application ? Application->Title() : std::string()) + " 3.1.0.0");
    bt_OK = PutButton(this, 112, 60, 75, "确定");
    bt_OK->OnClick = TNotifyEvent(this, &TAboutForm::bt_OKClick);
}

void TAboutForm::bt_OKClick(TObject*) {
    SetModalResult(mrOk);
}

void ShowAboutModal() {
    auto* f = new TAboutForm(nullptr);
    f->AfterConstruction();
    f->ShowModal();
    f->Free();
}

} // namespace vantrel
