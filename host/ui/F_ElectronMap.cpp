#include "host/ui/F_ElectronMap.h"

#include "host/ui/U_DialogControls.h"
#include "host/ui/U_GroupTreeControl.h"
#include "host/ui/U_PictureFile.h"

#include "common/win/textconv.h"

#include <algorithm>

namespace vantrel {

using namespace dvr::fw;
using dvr::win::GbkToWide;
using dvr::win::Utf8ToGbk;

namespace {

constexpr TColor kLeaderText = 0x00FF00;
constexpr int kMarkSize = 24;

bool FileExists(const std::string& gbkPath) {
    const DWORD a = ::GetFileAttributesW(GbkToWide(gbkPath).c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string CutTo(const std::string& s, size_t n) {
    return s.substr(0, dvr::GbkFitLength(s, n));
}

// The link glyph: a small green flag.
void DrawLeaderGlyph(TBitmap* glyph) {
    glyph->SetSize(16, 16);
    TCanvas* c = glyph->Canvas();
    c->Brush()->SetColor(clFuchsia);
    c->FillRect(TRect{0, 0, 16, 16});
    c->Pen()->SetColor(clBlack);
    c->MoveTo(3, 1);
    c->LineTo(3, 15);
    c->Brush()->SetColor(0x00C000);
    c->Polygon({TPoint{4, 2}, TPoint{14, 5}, TPoint{4, 8}});
}

// The tree's two icons: a node without a plan picture, a node with one.
void AddTreeIcons(TImageList* list) {
    for (int icon = 0; icon < 2; ++icon) {
        TBitmap b;
        b.SetSize(16, 16);
        TCanvas* c = b.Canvas();
        c->Brush()->SetColor(clFuchsia);
        c->FillRect(TRect{0, 0, 16, 16});
        c->Pen()->SetColor(clGray);
        c->Brush()->SetColor(icon ? TColor(0x60C060) : clWhite);
        c->Rectangle(2, 2, 14, 14);
        if (icon) {
            c->Brush()->SetColor(TColor(0xC08040));
            c->Polygon({TPoint{3, 13}, TPoint{7, 7}, TPoint{10, 11}, TPoint{13, 6}, TPoint{13, 13}});
        }
        list->AddMasked(&b, clFuchsia);
    }
}

} // namespace

TSpeedButton* TElectronMapForm::Tool(int x, int y, int w, const char* utf8,
                                     void (TElectronMapForm::*click)(TObject*)) {
    auto* b = PutControl<TSpeedButton>(pn_Tools, x, y, w, 26);
    b->SetCaption(Utf8ToGbk(utf8));
    b->SetHint(Utf8ToGbk(utf8));
    b->SetShowHint(true);
    b->SetFlat(true);
    b->OnClick = TNotifyEvent(this, click);
    return b;
}

TElectronMapForm::TElectronMapForm(TComponent* AOwner, TElectronMapHost host)
    : TForm(AOwner), host_(std::move(host)) {
    SetCaption(DialogCaption("电子地图"));
    SetFormStyle(TFormStyle::fsStayOnTop);
    SetPosition(TPosition::poScreenCenter);
    SetClientWidth(800);
    SetClientHeight(600);

    pn_Tools = PutControl<TPanel>(this, 0, 0, 800, 62);
    pn_Tools->SetAlign(TAlign::alTop);
    sb_LoadMap = Tool(4, 4, 70, "加载地图", &TElectronMapForm::sb_LoadMapClick);
    sb_DeleteMap = Tool(76, 4, 70, "删除地图", &TElectronMapForm::sb_DeleteMapClick);
    sb_AddLeader = Tool(150, 4, 100, "添加地图航标", &TElectronMapForm::sb_AddLeaderClick);
    sb_AddCamera = Tool(252, 4, 86, "添加摄像头", &TElectronMapForm::sb_AddCameraClick);
    sb_AddDetector = Tool(340, 4, 74, "添加探头", &TElectronMapForm::sb_AddDetectorClick);
    sb_SetLeader = Tool(418, 4, 124, "设置地图航标关联", &TElectronMapForm::sb_SetLeaderClick);
    sb_SetCamera = Tool(544, 4, 112, "设置摄像头关联", &TElectronMapForm::sb_SetCameraClick);
    sb_SetDetector = Tool(658, 4, 100, "设置探头关联", &TElectronMapForm::sb_SetDetectorClick);
    sb_DeleteLeader = Tool(150, 32, 100, "删除地图航标", &TElectronMapForm::sb_DeleteLeaderClick);
    sb_DeleteCamera = Tool(252, 32, 86, "删除摄像头", &TElectronMapForm::sb_DeleteCameraClick);
    sb_DeleteDetector = Tool(340, 32, 74, "删除探头", &TElectronMapForm::sb_DeleteDetectorClick);
    sb_Save = Tool(418, 32, 124, "保存当前地图设置", &TElectronMapForm::sb_SaveClick);
    sb_HideTree = Tool(4, 32, 142, "隐藏/显示地图表", &TElectronMapForm::sb_HideTreeClick);
    sb_Close = Tool(544, 32, 112, "关闭电子地图", &TElectronMapForm::sb_CloseClick);
    cb_AutoPopup = PutControl<TCheckBox>(pn_Tools, 660, 36, 136, 20);
    cb_AutoPopup->SetCaption(Utf8ToGbk("报警时自动弹出"));
    cb_AutoPopup->SetChecked(true);

    StatusBar = PutControl<TStatusBar>(this, 0, 580, 800, 20);
    StatusBar->SetAlign(TAlign::alBottom);
    StatusBar->SetSimplePanel(true);
    StatusBar->SetSimpleText(Utf8ToGbk("注：按住 Ctrl 键，即可拖动地图航标、摄像头、探头"));

    tv_MapTree = PutControl<TTreeView>(this, 0, 62, 180, 518);
    tv_MapTree->SetAlign(TAlign::alLeft);
    tv_MapTree->SetReadOnly(true);
    tv_MapTree->SetHideSelection(false);
    treeIcons_ = new TImageList(this);
    treeIcons_->SetWidth(16);
    treeIcons_->SetHeight(16);
    AddTreeIcons(treeIcons_);
    tv_MapTree->SetImages(treeIcons_);

    pn_Map = PutControl<TPanel>(this, 183, 62, 617, 518);
    pn_Map->SetAlign(TAlign::alClient);
    pn_Map->SetBevelOuter(TBevelCut::bvNone);
    im_Map = PutControl<TImage>(pn_Map, 0, 0, 617, 518);
    im_Map->SetAlign(TAlign::alClient);
    im_Map->SetStretch(true);

    tv_MapTree->OnDblClick = TNotifyEvent(this, &TElectronMapForm::tv_MapTreeDblClick);
    pn_Map->OnResize = TNotifyEvent(this, &TElectronMapForm::pn_MapResize);

    // Every plan's markers are read once at creation; later only shown plans are.
    BuildMapTree();
    for (int i = 0; i < tv_MapTree->Items()->Count(); ++i) {
        TTreeNode* node = tv_MapTree->Items()->Item(i);
        auto plan = std::make_unique<TWatchers>();
        plan->Name = CutTo(node->Text(), 40);
        LoadPlan(node, *plan);
        plans_[node] = std::move(plan);
    }
}

std::string TElectronMapForm::PicturePath(const std::string& nodeText) const {
    return host_.ProgramPath + "ElectronMap\\" + nodeText + ".jpg";
}

std::string TElectronMapForm::MarkerPath(const std::string& nodeText) const {
    return host_.ProgramPath + "ElectronMap\\" + nodeText + ".ifm";
}

TWatchers* TElectronMapForm::PlanOf(TTreeNode* node) {
    auto it = plans_.find(node);
    return it == plans_.end() ? nullptr : it->second.get();
}

void TElectronMapForm::SetIcon(TTreeNode* node, int icon) {
    node->SetImageIndex(icon);
    node->SetSelectedIndex(icon);
}

void TElectronMapForm::BuildMapTree() {
    RemoveMarks();
    shown_ = nullptr;
    SelectedLeader = SelectedCamera = SelectedDetector = -1;
    plans_.clear();
    tv_MapTree->Items()->Clear();
    groupData_.clear();
    TTreeNode* root = tv_MapTree->Items()->AddChild(nullptr, Utf8ToGbk("地图列表"));
    const std::vector<std::string> titles =
        host_.BoardTitles ? host_.BoardTitles() : std::vector<std::string>();
    if (!titles.empty()) {
        TTreeNode* local = tv_MapTree->Items()->AddChild(root, Utf8ToGbk("本地主控"));
        for (const std::string& t : titles) tv_MapTree->Items()->AddChild(local, t);
    }
    if (host_.GroupRecords && host_.GroupMembers) {
        TTreeControlView view(*tv_MapTree, groupData_);
        BuildGroupTree(*host_.GroupRecords, *host_.GroupMembers, view, true);
    }
    for (int i = 0; i < tv_MapTree->Items()->Count(); ++i) {
        TTreeNode* node = tv_MapTree->Items()->Item(i);
        SetIcon(node, FileExists(PicturePath(node->Text())) ? 1 : 0);
    }
    root->SetExpanded(true);
    im_Map->Picture()->SetGraphic(nullptr);
}

void TElectronMapForm::LoadPlan(TTreeNode* node, TWatchers& plan) {
    std::string bytes;
    if (ReadWholeFile(MarkerPath(node->Text()), bytes)) ParseMarkerFile(bytes, plan);
}

void TElectronMapForm::ShowSelectedPlan() {
    TTreeNode* node = tv_MapTree->Selected();
    if (!node) return;
    RemoveMarks();
    shown_ = node;
    const std::string picture = PicturePath(node->Text());
    if (FileExists(picture)) {
        HBITMAP bitmap = LoadPictureFile(GbkToWide(picture));
        if (!bitmap) {
            im_Map->Picture()->SetGraphic(nullptr);
            return;
        }
        im_Map->Picture()->Bitmap()->SetHandle(bitmap);
    } else {
        im_Map->Picture()->SetGraphic(nullptr);
    }
    if (!PlanOf(node)) {
        auto plan = std::make_unique<TWatchers>();
        plan->Name = CutTo(node->Text(), 40);
        LoadPlan(node, *plan);
        plans_[node] = std::move(plan);
    }
    CreateMarks();
}

void TElectronMapForm::RemoveMarks() {
    pressed_ = nullptr;
    for (TSpeedButton* b : LeaderMarks) b->Free();
    for (const TMark& m : CameraMarks) {
        m.Image->Free();
        m.Label->Free();
    }
    for (const TMark& m : DetectorMarks) {
        m.Image->Free();
        m.Label->Free();
    }
    LeaderMarks.clear();
    CameraMarks.clear();
    DetectorMarks.clear();
}

void TElectronMapForm::CreateMarks() {
    TWatchers* plan = shown_ ? PlanOf(shown_) : nullptr;
    if (!plan) return;
    for (const TMapLeader& l : plan->Leaders) {
        auto* b = new TSpeedButton(pn_Map);
        b->SetParent(pn_Map);
        b->SetFlat(true);
        DrawLeaderGlyph(b->Glyph());
        b->SetCaption(l.Target.Get());
        b->SetHint(l.Target.Get());
        b->SetShowHint(true);
        b->Font()->SetColor(kLeaderText);
        b->SetBounds(0, 0, LeaderWidth(l.Target.View()), 25);
        b->OnMouseDown = TMouseEvent(this, &TElectronMapForm::MarkMouseDown);
        b->OnMouseMove = TMouseMoveEvent(this, &TElectronMapForm::MarkMouseMove);
        b->OnClick = TNotifyEvent(this, &TElectronMapForm::LeaderClick);
        LeaderMarks.push_back(b);
    }
    auto makeMark = [&](const std::string& name) {
        TMark m{new TImage(pn_Map), new TLabel(pn_Map)};
        m.Image->SetParent(pn_Map);
        m.Image->SetBounds(0, 0, kMarkSize, kMarkSize);
        m.Label->SetParent(pn_Map);
        m.Label->SetTransparent(true);
        m.Label->SetCaption(name);
        m.Image->SetHint(name);
        m.Image->SetShowHint(true);
        m.Image->OnMouseDown = TMouseEvent(this, &TElectronMapForm::MarkMouseDown);
        m.Image->OnMouseMove = TMouseMoveEvent(this, &TElectronMapForm::MarkMouseMove);
        return m;
    };
    for (const TMapCamera& c : plan->Cameras) CameraMarks.push_back(makeMark(c.Name.Get()));
    for (const TMapDetector& d : plan->Detectors) DetectorMarks.push_back(makeMark(d.Name.Get()));
    RefreshMarkPictures();
    PlaceMarks();
}

void TElectronMapForm::PlaceMarks() {
    TWatchers* plan = shown_ ? PlanOf(shown_) : nullptr;
    if (!plan) return;
    const int w = pn_Map->ClientWidth(), h = pn_Map->ClientHeight();
    for (size_t i = 0; i < LeaderMarks.size() && i < plan->Leaders.size(); ++i)
        LeaderMarks[i]->SetBounds(MarkerPixel(w, plan->Leaders[i].X),
                                  MarkerPixel(h, plan->Leaders[i].Y), LeaderMarks[i]->Width(), 25);
    auto place = [&](const TMark& m, double x, double y) {
        m.Image->SetBounds(MarkerPixel(w, x), MarkerPixel(h, y), kMarkSize, kMarkSize);
        m.Label->SetLeft(m.Image->Left() + m.Image->Width());
        m.Label->SetTop(m.Image->Top() + 5);
    };
    for (size_t i = 0; i < CameraMarks.size() && i < plan->Cameras.size(); ++i)
        place(CameraMarks[i], plan->Cameras[i].X, plan->Cameras[i].Y);
    for (size_t i = 0; i < DetectorMarks.size() && i < plan->Detectors.size(); ++i)
        place(DetectorMarks[i], plan->Detectors[i].X, plan->Detectors[i].Y);
}

void TElectronMapForm::PaintMark(const TMark& mark, bool detector, int picture) {
    mark.Image->SetTag(picture);
    TBitmap* b = mark.Image->Picture()->Bitmap();
    b->SetSize(kMarkSize, kMarkSize);
    TCanvas* c = b->Canvas();
    const bool alarm = picture >= 2, selected = picture & 1;
    c->Brush()->SetColor(selected ? clYellow : clWhite);
    c->FillRect(TRect{0, 0, kMarkSize, kMarkSize});
    c->Pen()->SetColor(clBlack);
    c->Brush()->SetColor(alarm ? clRed : detector ? TColor(0x0080FF) : TColor(0xA05020));
    if (detector) {
        c->Ellipse(4, 4, 20, 20);
    } else {
        c->Rectangle(2, 7, 16, 18);
        c->Polygon({TPoint{16, 9}, TPoint{22, 5}, TPoint{22, 20}, TPoint{16, 16}});
    }
    mark.Image->Invalidate();
}

int TElectronMapForm::MarkPicture(const TMark& mark) const {
    return mark.Image->Tag();
}

void TElectronMapForm::RefreshMarkPictures() {
    TWatchers* plan = shown_ ? PlanOf(shown_) : nullptr;
    if (!plan) return;
    for (size_t i = 0; i < CameraMarks.size() && i < plan->Cameras.size(); ++i)
        PaintMark(CameraMarks[i], false,
                  MarkerPicture(plan->Cameras[i].Alarm != 0, int(i) == SelectedCamera));
    for (size_t i = 0; i < DetectorMarks.size() && i < plan->Detectors.size(); ++i)
        PaintMark(DetectorMarks[i], true,
                  MarkerPicture(plan->Detectors[i].Alarm != 0, int(i) == SelectedDetector));
}

void TElectronMapForm::SelectMark(TObject* Sender) {
    for (size_t i = 0; i < CameraMarks.size(); ++i)
        if (CameraMarks[i].Image == Sender) SelectedCamera = int(i);
    for (size_t i = 0; i < DetectorMarks.size(); ++i)
        if (DetectorMarks[i].Image == Sender) SelectedDetector = int(i);
    for (size_t i = 0; i < LeaderMarks.size(); ++i)
        if (LeaderMarks[i] == Sender) SelectedLeader = int(i);
    RefreshMarkPictures();
}

void TElectronMapForm::MarkMouseDown(TObject* Sender, TMouseButton Button, TShiftState, int X,
                                     int Y) {
    pressed_ = static_cast<TControl*>(Sender);
    pressX_ = X;
    pressY_ = Y;
    dragged_ = false;
    if (Button == TMouseButton::mbLeft) SelectMark(Sender);
}

void TElectronMapForm::MarkMouseMove(TObject* Sender, TShiftState Shift, int X, int Y) {
    if (Sender != pressed_ || !Shift.Contains(TShiftStateItem::ssCtrl) ||
        !Shift.Contains(TShiftStateItem::ssLeft))
        return;
    TWatchers* plan = shown_ ? PlanOf(shown_) : nullptr;
    if (!plan) return;
    auto* c = static_cast<TControl*>(Sender);
    c->SetBounds(c->Left() + X - pressX_, c->Top() + Y - pressY_, c->Width(), c->Height());
    dragged_ = true;
    const double fx = double(c->Left()) / std::max(1, pn_Map->ClientWidth());
    const double fy = double(c->Top()) / std::max(1, pn_Map->ClientHeight());
    for (size_t i = 0; i < LeaderMarks.size(); ++i)
        if (LeaderMarks[i] == c) {
            plan->Leaders[i].X = fx;
            plan->Leaders[i].Y = fy;
        }
    auto follow = [&](std::vector<TMark>& marks, auto& records) {
        for (size_t i = 0; i < marks.size(); ++i)
            if (marks[i].Image == c) {
                records[i].X = fx;
                records[i].Y = fy;
                marks[i].Label->SetLeft(c->Left() + c->Width());
                marks[i].Label->SetTop(c->Top() + 5);
            }
    };
    follow(CameraMarks, plan->Cameras);
    follow(DetectorMarks, plan->Detectors);
}

void TElectronMapForm::LeaderClick(TObject* Sender) {
    if (dragged_ || ::GetKeyState(VK_CONTROL) < 0) return;
    const std::string target = static_cast<TSpeedButton*>(Sender)->Caption();
    for (int i = 0; i < tv_MapTree->Items()->Count(); ++i)
        if (tv_MapTree->Items()->Item(i)->Text() == target) {
            tv_MapTree->SetSelected(tv_MapTree->Items()->Item(i));
            ::PostMessageW(Handle(), WM_EMAPSHOW, 0, 0);
            return;
        }
}

void TElectronMapForm::sb_LoadMapClick(TObject*) {
    TTreeNode* node = tv_MapTree->Selected();
    if (!node) return;
    const std::string chosen = host_.ChoosePicture
                                   ? host_.ChoosePicture()
                                   : ChoosePictureFile(Handle(), Utf8ToGbk("电子地图(*.jpg)|*.jpg"));
    if (chosen.size() < 4) return;
    const std::string folder = host_.ProgramPath + "ElectronMap";
    ::CreateDirectoryW(GbkToWide(folder).c_str(), nullptr);
    const std::string target = folder + "\\" + node->Text() + chosen.substr(chosen.size() - 4);
    // An existing picture stays until the map is deleted.
    if (::CopyFileW(GbkToWide(chosen).c_str(), GbkToWide(target).c_str(), TRUE)) SetIcon(node, 1);
}

void TElectronMapForm::sb_DeleteMapClick(TObject*) {
    TTreeNode* node = tv_MapTree->Selected();
    if (!node || node->ImageIndex() <= 0) return;
    const std::string picture = PicturePath(node->Text());
    if (FileExists(picture) && !::DeleteFileW(GbkToWide(picture).c_str())) return;
    ::DeleteFileW(GbkToWide(MarkerPath(node->Text())).c_str());
    SetIcon(node, 0);
    if (node == shown_) {
        RemoveMarks();
        im_Map->Picture()->SetGraphic(nullptr);
        SelectedLeader = SelectedCamera = SelectedDetector = -1;
        shown_ = nullptr;
    }
    plans_.erase(node);
}

void TElectronMapForm::sb_AddLeaderClick(TObject*) {
    if (TWatchers* plan = shown_ ? PlanOf(shown_) : nullptr) {
        plan->Leaders.push_back(NewLeader());
        RemoveMarks();
        CreateMarks();
    }
}

void TElectronMapForm::sb_AddCameraClick(TObject*) {
    if (TWatchers* plan = shown_ ? PlanOf(shown_) : nullptr) {
        plan->Cameras.push_back(NewCamera());
        RemoveMarks();
        CreateMarks();
    }
}

void TElectronMapForm::sb_AddDetectorClick(TObject*) {
    if (TWatchers* plan = shown_ ? PlanOf(shown_) : nullptr) {
        plan->Detectors.push_back(NewDetector());
        RemoveMarks();
        CreateMarks();
    }
}

namespace {
template <class T> bool EraseAt(std::vector<T>& v, int& selected) {
    if (selected < 0 || selected >= int(v.size())) return false;
    v.erase(v.begin() + selected);
    selected = -1;
    return true;
}
} // namespace

void TElectronMapForm::sb_DeleteLeaderClick(TObject*) {
    TWatchers* plan = shown_ ? PlanOf(shown_) : nullptr;
    if (plan && EraseAt(plan->Leaders, SelectedLeader)) {
        RemoveMarks();
        CreateMarks();
    }
}

void TElectronMapForm::sb_DeleteCameraClick(TObject*) {
    TWatchers* plan = shown_ ? PlanOf(shown_) : nullptr;
    if (plan && EraseAt(plan->Cameras, SelectedCamera)) {
        RemoveMarks();
        CreateMarks();
    }
}

void TElectronMapForm::sb_DeleteDetectorClick(TObject*) {
    TWatchers* plan = shown_ ? PlanOf(shown_) : nullptr;
    if (plan && EraseAt(plan->Detectors, SelectedDetector)) {
        RemoveMarks();
        CreateMarks();
    }
}

void TElectronMapForm::sb_SetLeaderClick(TObject*) {
    TWatchers* plan = shown_ ? PlanOf(shown_) : nullptr;
    if (!plan || SelectedLeader < 0 || SelectedLeader >= int(plan->Leaders.size())) return;
    static const std::vector<TClientChannelRecord> kNone;
    auto* f = new TElectronMapSetForm(this, 0, host_.Channels ? *host_.Channels : kNone);
    f->AfterConstruction();
    f->SourceRoot = tv_MapTree->Items()->GetFirstNode();
    f->SetTag(0);
    const bool ok = host_.RunAssociation ? host_.RunAssociation(*f) : f->ShowModal() == mrOk;
    if (ok && f->ChosenNode) {
        plan->Leaders[size_t(SelectedLeader)].Target.Set(CutTo(f->ChosenNode->Text(), 40));
        const int keep = SelectedLeader;
        RemoveMarks();
        CreateMarks();
        SelectedLeader = keep;
    }
    f->Free();
}

void TElectronMapForm::Associate(int kind) {
    TWatchers* plan = shown_ ? PlanOf(shown_) : nullptr;
    if (!plan) return;
    int& selected = kind == 1 ? SelectedCamera : SelectedDetector;
    const int count = kind == 1 ? int(plan->Cameras.size()) : int(plan->Detectors.size());
    if (selected < 0 || selected >= count) return;
    const std::vector<std::string> titles =
        host_.BoardTitles ? host_.BoardTitles() : std::vector<std::string>();
    static const std::vector<TClientChannelRecord> kNone;
    auto* f = new TElectronMapSetForm(this, int(titles.size()),
                                      host_.Channels ? *host_.Channels : kNone);
    f->AfterConstruction();
    f->SourceRoot = tv_MapTree->Items()->GetFirstNode();
    f->SetTag(kind);
    const bool ok = host_.RunAssociation ? host_.RunAssociation(*f) : f->ShowModal() == mrOk;
    if (ok && f->ChosenNode) {
        std::string address = "127.0.0.1";
        const int group = f->ChosenChannel.GroupIndex;
        if (group >= 0)
            address = host_.GroupRecords && group < int(host_.GroupRecords->size())
                          ? (*host_.GroupRecords)[size_t(group)].HostAddress.Get()
                          : std::string();
        const std::string name = CutTo(f->ChosenNode->Text(), 20);
        if (kind == 1) {
            TMapCamera& c = plan->Cameras[size_t(selected)];
            c.Name.Set(name);
            c.HostAddress.Set(address);
            c.Channel = f->ChosenChannel.RemoteChannel;
        } else {
            TMapDetector& d = plan->Detectors[size_t(selected)];
            d.Name.Set(name);
            d.HostAddress.Set(address);
            d.Channel = f->ChosenChannel.RemoteChannel;
            d.Input = uint8_t(f->DetectorNumber() - 1);
        }
        const int keep = selected;
        RemoveMarks();
        CreateMarks();
        selected = keep;
        RefreshMarkPictures();
    }
    f->Free();
}

void TElectronMapForm::sb_SaveClick(TObject*) {
    TWatchers* plan = shown_ ? PlanOf(shown_) : nullptr;
    if (!plan) return;
    ::CreateDirectoryW(GbkToWide(host_.ProgramPath + "ElectronMap").c_str(), nullptr);
    WriteWholeFile(MarkerPath(shown_->Text()), MarkerFileBytes(*plan));
}

void TElectronMapForm::sb_HideTreeClick(TObject*) {
    tv_MapTree->SetVisible(!tv_MapTree->Visible());
}

void TElectronMapForm::WMEMapShow(TMessage& M) {
    ShowSelectedPlan();
    if (M.WParam > 0 && cb_AutoPopup->Checked() && !::IsWindowVisible(Handle()) &&
        (!host_.MainWindowShown || host_.MainWindowShown()))
        Show();
}

void TElectronMapForm::WMEMapAlarm(TMessage& M) {
    const std::optional<AlarmUploadRecord> record = Queue().Front();
    if (!record) return;
    const bool raise = M.WParam > 0;
    TTreeNode* root = tv_MapTree->Items()->GetFirstNode();
    for (int n = 0; n < tv_MapTree->Items()->Count(); ++n) {
        TTreeNode* node = tv_MapTree->Items()->Item(n);
        TWatchers* plan = PlanOf(node);
        if (!plan) continue;
        const int matched = MarkAlarm(*plan, *record, raise);
        for (int i = 0; i < matched; ++i) {
            tv_MapTree->SetSelected(root);
            ::PostMessageW(Handle(), WM_EMAPSHOW, 0, 0);
            tv_MapTree->SetSelected(node);
            ::PostMessageW(Handle(), WM_EMAPSHOW, WPARAM(raise ? 1 : 0), 0);
        }
    }
    Queue().PopFront();
}

} // namespace vantrel
