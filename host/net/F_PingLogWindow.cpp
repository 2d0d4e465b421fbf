#include "host/net/F_PingLogWindow.h"

#include "framework/ui/place_control.h"

#include "common/win/textconv.h"

namespace vantrel {

namespace {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

} // namespace

TPingLogWindow::TPingLogWindow(TComponent* AOwner, const std::string& appTitle, TPingThread& thread)
    : TForm(AOwner), log_(std::make_unique<TPingLogForm>(thread)) {
    SetCaption(appTitle + "    " + Utf8ToGbk("查看记录"));
    SetBounds(180, 130, 420, 360);
    lv_LogList = PlaceControl<TListView>(this, 8, 8, 396, 270);
    lv_LogList->SetViewStyle(TViewStyle::vsReport);
    lv_LogList->SetRowSelect(true);
    lv_LogList->SetReadOnly(true);
    for (const char* caption : {"断线主控", "检测时间"}) {
        TListColumn* column = lv_LogList->AddColumn();
        column->SetCaption(Utf8ToGbk(caption));
        column->SetWidth(185);
    }
    bt_Refresh = PlaceControl<TButton>(this, 8, 288, 80, 26);
    bt_Refresh->SetCaption(Utf8ToGbk("刷新"));
    bt_Clear = PlaceControl<TButton>(this, 96, 288, 80, 26);
    bt_Clear->SetCaption(Utf8ToGbk("清除记录"));
    bt_Close = PlaceControl<TButton>(this, 324, 288, 80, 26);
    bt_Close->SetCaption(Utf8ToGbk("关闭"));
    bt_Refresh->OnClick = TNotifyEvent(this, &TPingLogWindow::bt_RefreshClick);
    bt_Clear->OnClick = TNotifyEvent(this, &TPingLogWindow::bt_ClearClick);
    bt_Close->OnClick = TNotifyEvent(this, &TPingLogWindow::bt_CloseClick);
    ShowRows();
}

TPingLogWindow::~TPingLogWindow() = default;

void TPingLogWindow::bt_RefreshClick(TObject*) {
    log_->bt_RefreshClick();
    ShowRows();
}

void TPingLogWindow::bt_ClearClick(TObject*) {
    log_->bt_ClearClick();
    ShowRows();
}

void TPingLogWindow::bt_CloseClick(TObject*) {
    SetModalResult(mrCancel);
    Hide();
}

void TPingLogWindow::ShowRows() {
    TListItems* items = lv_LogList->Items();
    items->BeginUpdate();
    items->Clear();
    for (const PingLogRow& row : log_->lv_LogList) {
        TListItem* item = items->Add();
        item->SetCaption(row.Host);
        item->SubItems()->Add(row.Time);
    }
    items->EndUpdate();
}

} // namespace vantrel
