#include "host/ui/F_MapCtrlForm.h"

#include "host/ui/U_DialogControls.h"
#include "host/ui/U_PictureFile.h"

#include "common/win/textconv.h"
#include "framework/message.h"

#include <shlobj.h>

namespace vantrel {

using namespace dvr::fw;
using dvr::win::GbkToWide;
using dvr::win::Utf8ToGbk;

namespace {

constexpr TColor kStationGreen = 0x00FF00;
constexpr TColor kStationRed = 0x0000FF;

// A station's label: red while the pointer is over it.
class TStationLabel : public TLabel {
    FW_CLASS(TStationLabel, TLabel)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(CM_MOUSEENTER, CMMouseEnter)
    FW_MESSAGE(CM_MOUSELEAVE, CMMouseLeave)
    FW_MESSAGES_END
public:
    using TLabel::TLabel;

private:
    void CMMouseEnter(TMessage&) { Font()->SetColor(kStationRed); }
    void CMMouseLeave(TMessage&) { Font()->SetColor(kStationGreen); }
};

} // namespace

TMapCtrlForm::TMapCtrlForm(TComponent* AOwner, TMapCtrlHost host)
    : TForm(AOwner), host_(std::move(host)) {
    SetCaption(DialogCaption("站点分布图"));
    SetBounds(0, 0, 1024, 768);
    CursorPos = [] {
        POINT p{};
        ::GetCursorPos(&p);
        return p;
    };
    pn_Buttons = PutControl<TPanel>(this, 0, 0, 1024, 36);
    pn_Buttons->SetAlign(TAlign::alTop);
    bt_Add = PutButton(pn_Buttons, 8, 5, 100, "添加站点(&A)");
    bt_Save = PutButton(pn_Buttons, 116, 5, 100, "保存(&S)");
    bt_LoadMap = PutButton(pn_Buttons, 224, 5, 100, "加载地图(&M)");
    bt_Close = PutButton(pn_Buttons, 332, 5, 100, "关闭(&C)");
    pn_Map = PutControl<TPanel>(this, 0, 36, 1024, 700);
    pn_Map->SetAlign(TAlign::alClient);
    pn_Map->SetBevelOuter(TBevelCut::bvLowered);
    im_Map = PutControl<TImage>(pn_Map, 0, 0, 1024, 700);
    im_Map->SetAlign(TAlign::alClient);
    im_Map->SetStretch(true);

    pm_Station = new TPopupMenu(this);
    auto item = [&](const char* utf8, void (TMapCtrlForm::*click)(TObject*)) {
        auto* m = new TMenuItem(pm_Station);
        m->SetCaption(Utf8ToGbk(utf8));
        if (click) m->OnClick = TNotifyEvent(this, click);
        pm_Station->Items()->Add(m);
        return m;
    };
    mi_Set = item("设置", &TMapCtrlForm::mi_SetClick);
    mi_Select = item("选择", &TMapCtrlForm::mi_SelectClick);
    mi_Delete = item("删除", &TMapCtrlForm::mi_DeleteClick);
    item("-", nullptr);

    bt_Add->OnClick = TNotifyEvent(this, &TMapCtrlForm::bt_AddClick);
    bt_Save->OnClick = TNotifyEvent(this, &TMapCtrlForm::bt_SaveClick);
    bt_LoadMap->OnClick = TNotifyEvent(this, &TMapCtrlForm::bt_LoadMapClick);
    bt_Close->OnClick = TNotifyEvent(this, &TMapCtrlForm::bt_CloseClick);

    ::SHCreateDirectoryExW(nullptr, GbkToWide(Folder()).c_str(), nullptr);
    std::string bytes;
    if (ReadWholeFile(Folder() + "StationMap.ifm", bytes)) Stations = ParseStations(bytes);
    for (size_t i = 0; i < Stations.size(); ++i) Labels.push_back(MakeLabel(int(i)));
    LoadPicture();
}

void TMapCtrlForm::LoadPicture() {
    if (HBITMAP b = LoadPictureFile(GbkToWide(Folder() + "StationMap.jpg")))
        im_Map->Picture()->Bitmap()->SetHandle(b);
    else
        im_Map->Picture()->SetGraphic(nullptr);
}

TLabel* TMapCtrlForm::MakeLabel(int station) {
    auto* l = new TStationLabel(pn_Map);
    l->SetParent(pn_Map);
    l->SetTransparent(true);
    l->Font()->SetColor(kStationGreen);
    l->SetCaption(Stations[size_t(station)].Name.Get());
    l->SetLeft(Stations[size_t(station)].Left);
    l->SetTop(Stations[size_t(station)].Top);
    l->SetTag(station);
    l->OnDblClick = TNotifyEvent(this, &TMapCtrlForm::LabelDblClick);
    l->OnMouseDown = TMouseEvent(this, &TMapCtrlForm::LabelMouseDown);
    l->OnMouseMove = TMouseMoveEvent(this, &TMapCtrlForm::LabelMouseMove);
    l->OnMouseUp = TMouseEvent(this, &TMapCtrlForm::LabelMouseUp);
    return l;
}

void TMapCtrlForm::Tell(const char* utf8Text, const std::string& gbkCaption, unsigned flags) {
    const std::string text = Utf8ToGbk(utf8Text);
    if (host_.Message)
        host_.Message(text, gbkCaption, flags);
    else
        ::MessageBoxW(Handle(), GbkToWide(text).c_str(), GbkToWide(gbkCaption).c_str(), flags);
}

void TMapCtrlForm::bt_AddClick(TObject*) {
    Stations.push_back(NewStation());
    Labels.push_back(MakeLabel(int(Stations.size()) - 1));
}

void TMapCtrlForm::bt_SaveClick(TObject*) {
    const std::string file = Folder() + "StationMap.ifm";
    ::DeleteFileW(GbkToWide(file).c_str());
    if (!Stations.empty()) WriteWholeFile(file, StationBytes(Stations));
}

void TMapCtrlForm::bt_LoadMapClick(TObject*) {
    const std::string chosen = host_.ChoosePicture
                                   ? host_.ChoosePicture()
                                   : ChoosePictureFile(Handle(), Utf8ToGbk("电子地图(*.jpg)|*.jpg"));
    if (chosen.empty()) return;
    const std::wstring target = GbkToWide(Folder() + "StationMap.jpg");
    ::DeleteFileW(target.c_str());
    if (!::CopyFileW(GbkToWide(chosen).c_str(), target.c_str(), FALSE)) {
        Tell("加载地图失败！", Caption(), MB_OK);
        return;
    }
    LoadPicture();
}

void TMapCtrlForm::LabelDblClick(TObject* Sender) {
    OpenStation(static_cast<TComponent*>(Sender)->Tag());
}

void TMapCtrlForm::LabelMouseDown(TObject* Sender, TMouseButton Button, TShiftState, int, int) {
    const int i = static_cast<TComponent*>(Sender)->Tag();
    if (Button != TMouseButton::mbLeft || i < 0 || i >= int(Stations.size())) return;
    const POINT p = CursorPos();
    Stations[size_t(i)].Left = p.x;
    Stations[size_t(i)].Top = p.y;
}

void TMapCtrlForm::LabelMouseMove(TObject* Sender, TShiftState Shift, int, int) {
    if (!Shift.Contains(TShiftStateItem::ssCtrl) || !Shift.Contains(TShiftStateItem::ssLeft))
        return;
    const int i = static_cast<TComponent*>(Sender)->Tag();
    if (i < 0 || i >= int(Stations.size())) return;
    auto* l = Labels[size_t(i)];
    StationRecord& s = Stations[size_t(i)];
    const POINT p = CursorPos();
    l->SetLeft(l->Left() + p.x - s.Left);
    l->SetTop(l->Top() + p.y - s.Top);
    s.Left = p.x;
    s.Top = p.y;
}

void TMapCtrlForm::LabelMouseUp(TObject* Sender, TMouseButton Button, TShiftState, int, int) {
    const int i = static_cast<TComponent*>(Sender)->Tag();
    if (i < 0 || i >= int(Stations.size())) return;
    if (Button == TMouseButton::mbRight) {
        FillMenu(i);
        const POINT p = CursorPos();
        pm_Station->Popup(p.x, p.y);
        Labels[size_t(i)]->Font()->SetColor(kStationGreen);
        return;
    }
    Stations[size_t(i)].Left = Labels[size_t(i)]->Left();
    Stations[size_t(i)].Top = Labels[size_t(i)]->Top();
}

void TMapCtrlForm::FillMenu(int station) {
    MenuStation = station;
    TMenuItem* root = pm_Station->Items();
    while (root->Count() > 4) {
        TMenuItem* extra = root->Items(root->Count() - 1);
        root->Remove(extra);
        extra->Free();
    }
    if (station < 0 || station >= int(Stations.size()) || !host_.GroupRecords) return;
    const int g = FindStationGroup(*host_.GroupRecords, Stations[size_t(station)].Name.View());
    if (g < 0 || !host_.GroupMembers || g >= int(host_.GroupMembers->size())) return;
    for (const TClientChannelRecord& c : (*host_.GroupMembers)[size_t(g)]) {
        auto* m = new TMenuItem(pm_Station);
        m->SetCaption(c.Name.Get());
        root->Add(m);
    }
}

void TMapCtrlForm::OpenStation(int station) {
    if (station < 0 || station >= int(Stations.size())) return;
    const std::string name = Stations[size_t(station)].Name.Get();
    const int g = host_.GroupRecords ? FindStationGroup(*host_.GroupRecords, name) : -1;
    if (g < 0) {
        const std::string text = Utf8ToGbk("站点 < ") + name + Utf8ToGbk(" > 不存在！");
        if (host_.Message)
            host_.Message(text, Caption(), MB_OK);
        else
            ::MessageBoxW(Handle(), GbkToWide(text).c_str(), GbkToWide(Caption()).c_str(), MB_OK);
        return;
    }
    if (host_.CloseAllAndRebuild) host_.CloseAllAndRebuild(g);
    Close();
}

void TMapCtrlForm::AssignStation(int station) {
    if (station < 0 || station >= int(Stations.size())) return;
    if (host_.CycleMode && host_.CycleMode()) {
        Tell("对不起，系统正处轮视模式，操作无效！", Caption(), MB_OK);
        return;
    }
    if (host_.CheckRight && !host_.CheckRight(2)) {
        Tell("对不起！您不具备本操作的权限。", Utf8ToGbk("权限验证"), MB_OK | MB_ICONERROR);
        return;
    }
    if (host_.AutoMode && host_.AutoMode()) return;
    if (host_.WorkLog) host_.WorkLog(9);
    std::string chosen;
    if (host_.RunClientSettings && host_.RunClientSettings(chosen)) {
        if (host_.WorkLog) host_.WorkLog(10);
        if (host_.StopNetReceivers) host_.StopNetReceivers();
        ::Sleep(50);
        if (host_.CloseAllAndRebuild) host_.CloseAllAndRebuild(-1);
    }
    if (!chosen.empty()) {
        Stations[size_t(station)].Name.Set(chosen);
        Labels[size_t(station)]->SetCaption(Stations[size_t(station)].Name.Get());
    }
}

void TMapCtrlForm::DeleteStation(int station) {
    if (station < 0 || station >= int(Stations.size())) return;
    Labels[size_t(station)]->Free();
    Labels.erase(Labels.begin() + station);
    Stations.erase(Stations.begin() + station);
    for (size_t i = 0; i < Labels.size(); ++i) Labels[i]->SetTag(int(i));
    MenuStation = -1;
}

} // namespace vantrel
