#include "host/ui/F_ConnectionView.h"

#include "host/ui/U_DialogControls.h"

#include "host/engine/U_Conversions.h"
#include "host/net/U_TCPConnecter.h"

#include <cstdio>
#include <cstdlib>

namespace vantrel {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

namespace {

std::string ConnectTimeText(double t) {
    const DateTimeParts p = DecodeOleDate(t);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", p.Year, p.Month, p.Day,
                  p.Hour, p.Minute, p.Second);
    return text;
}

} // namespace

TConnectionViewForm::TConnectionViewForm(TComponent* AOwner,
                                         const std::vector<std::string>& channelTitles,
                                         FirstViewer firstViewer, CloseViewer closeViewer)
    : TForm(AOwner), firstViewer_(std::move(firstViewer)), closeViewer_(std::move(closeViewer)) {
    SetCaption(DialogCaption("远程连接信息"));
    SetFormStyle(TFormStyle::fsStayOnTop);
    SetClientWidth(640);
    SetClientHeight(360);
    lv_MainPortList = PutControl<TListView>(this, 8, 8, 170, 290);
    lv_MainPortList->SetViewStyle(TViewStyle::vsList);
    lv_MainPortList->SetCheckboxes(true);
    lv_MainPortList->SetReadOnly(true);
    for (size_t i = 0; i < channelTitles.size(); ++i)
        lv_MainPortList->Items()->Add()->SetCaption(std::to_string(i + 1) + "   < " +
                                                    channelTitles[i] + " >");
    lv_ConnectionList = PutControl<TListView>(this, 186, 8, 446, 290);
    lv_ConnectionList->SetViewStyle(TViewStyle::vsReport);
    lv_ConnectionList->SetCheckboxes(true);
    lv_ConnectionList->SetRowSelect(true);
    lv_ConnectionList->SetReadOnly(true);
    const std::pair<const char*, int> columns[4] = {
        {"通道", 50}, {"地址", 120}, {"连接时间", 150}, {"名称", 100}};
    for (const auto& [text, width] : columns) {
        TListColumn* c = lv_ConnectionList->AddColumn();
        c->SetCaption(Utf8ToGbk(text));
        c->SetWidth(width);
    }
    bt_Query = PutButton(this, 380, 306, 80, "查询");
    bt_Disconnect = PutButton(this, 466, 306, 80, "断开所选");
    bt_Close = PutButton(this, 552, 306, 80, "关闭");
    StatusBar1 = PutControl<TStatusBar>(this, 0, 338, 640, 22);
    StatusBar1->AddPanel()->SetWidth(200);
    bt_Query->OnClick = TNotifyEvent(this, &TConnectionViewForm::bt_QueryClick);
    bt_Disconnect->OnClick = TNotifyEvent(this, &TConnectionViewForm::bt_DisconnectClick);
    bt_Close->OnClick = TNotifyEvent(this, &TConnectionViewForm::bt_CloseClick);
}

void TConnectionViewForm::bt_QueryClick(TObject*) {
    lv_ConnectionList->Items()->Clear();
    for (int ch = 0; ch < lv_MainPortList->Items()->Count(); ++ch) {
        if (!lv_MainPortList->Items()->Item(ch)->Checked()) continue;
        for (TTCPConnecter* v = firstViewer_ ? firstViewer_(ch) : nullptr; v; v = v->Next) {
            if (v->Closed) continue;
            TListItem* item = lv_ConnectionList->Items()->Add();
            item->SetCaption(std::to_string(v->Request.Channel + 1));
            item->SubItems()->Add(v->Request.OwnAddress.Get());
            item->SubItems()->Add(ConnectTimeText(v->ConnectTime));
            item->SubItems()->Add(v->Request.User.Get());
        }
    }
    StatusBar1->Panels(0)->SetText(Utf8ToGbk("连接总数：") +
                                   std::to_string(lv_ConnectionList->Items()->Count()));
}

void TConnectionViewForm::bt_DisconnectClick(TObject*) {
    for (int i = 0; i < lv_ConnectionList->Items()->Count(); ++i) {
        TListItem* row = lv_ConnectionList->Items()->Item(i);
        if (!row->Checked()) continue;
        try {
            const int ch = std::atoi(row->Caption().c_str()) - 1;
            const std::string address = row->SubItems()->Get(0);
            const std::string time = row->SubItems()->Get(1);
            const std::string user = row->SubItems()->Get(2);
            for (TTCPConnecter* v = firstViewer_ && ch >= 0 ? firstViewer_(ch) : nullptr; v;
                 v = v->Next)
                if (!v->Closed && v->Request.OwnAddress.Get() == address &&
                    v->Request.User.Get() == user && ConnectTimeText(v->ConnectTime) == time) {
                    // Marking it closed alone would leave its threads and socket running.
                    if (closeViewer_) closeViewer_(ch, *v);
                    break;
                }
        } catch (...) {
            // A row that no longer matches is skipped.
        }
    }
    bt_QueryClick(nullptr);
}

void TConnectionViewForm::bt_CloseClick(TObject*) {
    Hide();
}

} // namespace vantrel
