#include "host/net/F_SearchServerWindow.h"

#include "framework/ui/place_control.h"

#include "common/win/textconv.h"

namespace vantrel {

namespace {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

void Label(TSearchServerWindow* form, int x, int y, int w, const char* utf8) {
    auto* l = PlaceControl<TLabel>(form, x, y, w, 16);
    l->SetCaption(Utf8ToGbk(utf8));
}

} // namespace

TSearchServerWindow::TSearchServerWindow(TComponent* AOwner, const std::string& appTitle,
                                         TArithmetic& arithmetic, uint16_t searchPort,
                                         TSearchTiming timing)
    : TForm(AOwner), search_(std::make_unique<TSearchServerForm>(arithmetic, searchPort, timing)) {
    SetCaption(appTitle + "    " + Utf8ToGbk("搜索远程主控"));
    SetBorderStyle(TFormBorderStyle::bsDialog);
    SetBounds(160, 140, 360, 220);

    Label(this, 8, 12, 100, "服务器地址：");
    ed_ServerAddr = PlaceControl<TEdit>(this, 110, 8, 230, 22);
    Label(this, 8, 42, 100, "用户名：");
    ed_UserName = PlaceControl<TEdit>(this, 110, 38, 230, 22);
    Label(this, 8, 72, 100, "密码：");
    ed_Password = PlaceControl<TEdit>(this, 110, 68, 230, 22);
    ed_Password->SetPasswordChar('*');
    lb_SearchInfo = PlaceControl<TLabel>(this, 8, 102, 332, 16);
    bt_StartSearch = PlaceControl<TButton>(this, 8, 130, 140, 26);
    bt_StartSearch->SetCaption(Utf8ToGbk("开始搜索远程主控"));
    bt_SaveSet = PlaceControl<TButton>(this, 156, 130, 90, 26);
    bt_SaveSet->SetCaption(Utf8ToGbk("保存设置"));
    bt_Exit = PlaceControl<TButton>(this, 254, 130, 86, 26);
    bt_Exit->SetCaption(Utf8ToGbk("关闭"));

    ed_ServerAddr->SetText(search_->ed_ServerAddr);
    ed_UserName->SetText(search_->ed_UserName);
    ed_Password->SetText(search_->ed_Password);

    bt_StartSearch->OnClick = TNotifyEvent(this, &TSearchServerWindow::bt_StartSearchClick);
    bt_SaveSet->OnClick = TNotifyEvent(this, &TSearchServerWindow::bt_SaveSetClick);
    bt_Exit->OnClick = TNotifyEvent(this, &TSearchServerWindow::bt_ExitClick);
    stateTimer_ = new TTimer(this);
    stateTimer_->SetInterval(100);
    stateTimer_->SetOnTimer(TNotifyEvent(this, &TSearchServerWindow::ShowState));
    stateTimer_->SetEnabled(true);
}

TSearchServerWindow::~TSearchServerWindow() = default;

void TSearchServerWindow::TakeEdits() {
    search_->ed_ServerAddr = ed_ServerAddr->Caption();
    search_->ed_UserName = ed_UserName->Caption();
    search_->ed_Password = ed_Password->Caption();
}

void TSearchServerWindow::bt_StartSearchClick(TObject*) {
    TakeEdits();
    search_->bt_StartSearchClick();
    ShowState();
}

void TSearchServerWindow::bt_SaveSetClick(TObject*) {
    TakeEdits();
    search_->bt_SaveSetClick();
}

void TSearchServerWindow::bt_ExitClick(TObject*) {
    search_->bt_ExitClick();
    ShowState();
}

void TSearchServerWindow::ShowState(TObject*) {
    lb_SearchInfo->SetCaption(search_->lb_SearchInfo);
    bt_Exit->SetEnabled(search_->bt_ExitEnabled);
    if (search_->Closed && Visible()) {
        SetModalResult(mrOk);
        Hide();
    }
}

} // namespace vantrel
