#include "webctl/F_PaneZoomForm.h"

#include "common/win/textconv.h"
#include "player/lib/strovid_api.h"
#include "webctl/U_FaceLayout.h"

#include <algorithm>
#include <cmath>

namespace vantrel::webctl {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

TPaneZoomForm::TPaneZoomForm(TComponent* owner) : TForm(owner) {
    SetCaption(Utf8ToGbk("局部放大"));
    SetFormStyle(TFormStyle::fsStayOnTop);
    SetBorderStyle(TFormBorderStyle::bsToolWindow);
    SetClientSize(240, 76);
    lb_Hint = new TLabel(this);
    lb_Hint->SetParent(this);
    lb_Hint->SetBounds(8, 8, 224, 32);
    lb_Hint->SetCaption(Utf8ToGbk("在画面上按鼠标左键拖动选择放大区域"));
    bt_Close = new TButton(this);
    bt_Close->SetParent(this);
    bt_Close->SetBounds(152, 44, 80, 26);
    bt_Close->SetCaption(Utf8ToGbk("关闭"));
    bt_Close->OnClick = TNotifyEvent(this, &TPaneZoomForm::bt_CloseClick);
}

TPaneZoomForm::~TPaneZoomForm() {
    if (Shown) EndZoom();
}

void TPaneZoomForm::ShowZoom(int pane, const PaneRect& region) {
    Pane = pane;
    Region = region;
    Shown = true;
    RE4Ravi_LocalZoom(pane, 1, region.Left, region.Top, region.Right - region.Left,
                      region.Bottom - region.Top);
    Show();
}

void TPaneZoomForm::EndZoom() {
    if (Pane >= 0)
        RE4Ravi_LocalZoom(Pane, 0, Region.Left, Region.Top, Region.Right - Region.Left,
                          Region.Bottom - Region.Top);
}

void TPaneZoomForm::bt_CloseClick(TObject*) {
    Close();
}

void TPaneZoomForm::DoClose(TCloseAction& action) {
    TForm::DoClose(action);
    Shown = false;
    EndZoom();
}

} // namespace vantrel::webctl
