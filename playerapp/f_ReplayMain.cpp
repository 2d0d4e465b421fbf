#include "playerapp/f_ReplayMain.h"

#include <commdlg.h>

#include <algorithm>
#include <cctype>
#include <functional>

#include "common/win/handles.h"
#include "common/win/textconv.h"
#include "framework/exceptions.h"
#include "framework/win/resstream.h"
#include "skin/engine/te_effect.h"
#include "skin/engine/theme_se3.h"
#include "playerapp/U_Array.h"
#include "playerapp/U_ReplayDll.h"
#include "playerapp/U_Snapshot.h"

namespace playerqz {

using namespace dvr::fw;

namespace {

std::string Gbk(std::string_view utf8) {
    return dvr::win::Utf8ToGbk(utf8);
}

std::string Upper(std::string s) {
    for (char& c : s)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// Panels keep their place in full screen; tool bars go with their control bar.
bool IsPanelClass(const std::string& name) {
    const std::string u = Upper(name);
    return u == "TTEPANEL" || u == "TPANEL" || u == "TPLAYERPANEL";
}
bool IsToolBarClass(const std::string& name) {
    const std::string u = Upper(name);
    return u == "TTETOOLBAR" || u == "TTOOLBAR";
}

// A dialog filter "Name|*.x|..." as the common dialogs want it: NUL-separated, two NULs.
std::wstring DialogFilter(std::wstring_view f) {
    std::wstring out(f);
    std::replace(out.begin(), out.end(), L'|', L'\0');
    out.push_back(L'\0');
    out.push_back(L'\0');
    return out;
}

} // namespace

TF_Replay::TF_Replay(TComponent* AOwner) : TForm(AOwner) {
    BuildComponents();
    BuildLook();
    OnCreate = TNotifyEvent(this, &TF_Replay::FormCreate);
    OnShow = TNotifyEvent(this, &TF_Replay::FormShow);
    OnCloseQuery = TCloseQueryEvent(this, &TF_Replay::FormCloseQuery);
}

TF_Replay::~TF_Replay() = default;

dvr::skin::TTeSpeedButton* TF_Replay::AddButton(const char* name, ButtonGlyph glyph) {
    auto* b = new dvr::skin::TTeSpeedButton(this);
    b->SetName(name);
    // The tool bar lines its children up by their lefts: each new one goes last.
    b->SetBounds(NextToolLeft(), 0, 25, 25);
    b->SetParent(TeToolBar1);
    b->SetPerformance(dvr::skin::TTePerformance::kpDoubleBuffer);
    b->SetFlat(true);
    b->SetShowCaption(false);
    b->SetBlackAndWhiteGlyph(false);
    b->SetShowHint(true);
    TBitmap bmp;
    DrawButtonGlyph(bmp, glyph);
    b->SetGlyph(&bmp);
    return b;
}

int TF_Replay::NextToolLeft() const {
    int right = 0;
    for (int i = 0; i < TeToolBar1->ControlCount(); ++i)
        right = std::max(right, TeToolBar1->Controls(i)->BoundsRect().Right);
    return right + 1;
}

void TF_Replay::AddDivider(bool visible) {
    auto* d = new dvr::skin::TTeSpeedDivider(this);
    d->SetLeft(NextToolLeft());
    d->SetParent(TeToolBar1);
    d->SetVisible(visible);
}

void TF_Replay::BuildLook() {
    using namespace dvr::skin;
    InitSkinThemeUnit();
    TeThemeList1 = new TTeThemeList(this);
    TeThemeList1->SetName("TeThemeList1");
    TeThemeEngine1 = new TTeThemeEngine(this);
    TeThemeEngine1->SetName("TeThemeEngine1");
    TeThemeEngine1->SetThemeList(TeThemeList1);
    TeThemeEngine1->SetThemeIndex(0);
}

// The skin carried as resource SKN goes through a temporary file, because the theme engine
// loads skins by file name (the extension picks the theme class).
void TF_Replay::LoadBuiltInSkin() {
    TResourceStream res(::GetModuleHandleW(nullptr), "SKN", "RT_RCDATA");
    wchar_t dir[MAX_PATH];
    const DWORD n = ::GetTempPathW(MAX_PATH, dir);
    if (n == 0 || n >= MAX_PATH) throw Exception("No folder for the skin");
    const std::wstring path = std::wstring(dir) + L"playerqz_" +
                              std::to_wstring(::GetCurrentProcessId()) + L"_xp_metal.mskn";
    struct Remove {
        const std::wstring& p;
        ~Remove() { ::DeleteFileW(p.c_str()); }
    } remove{path};
    {
        dvr::win::File f(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_TEMPORARY, nullptr));
        DWORD written = 0;
        if (!f || !::WriteFile(f.get(), res.Memory(), DWORD(res.Size()), &written, nullptr) ||
            written != DWORD(res.Size()))
            throw Exception("The skin could not be written");
    }
    TeThemeEngine1->SetThemeFile(dvr::win::WideToGbk(path));
}

void TF_Replay::BuildComponents() {
    using namespace dvr::skin;
    SetName("F_Replay");
    SetPosition(TPosition::poScreenCenter);
    SetBorderIcons({TBorderIcon::biSystemMenu, TBorderIcon::biMinimize, TBorderIcon::biMaximize});
    SetShowHint(true);
    Font()->SetName("MS Sans Serif");
    Font()->SetSize(8);

    MainMenu1 = new TMainMenu(this);
    auto item = [&](const char* name, TMenuItem* parent, TNotifyEvent click) {
        auto* m = new TMenuItem(this);
        m->SetName(name);
        m->OnClick = click;
        parent->Add(m);
        return m;
    };
    N1 = item("N1", MainMenu1->Items(), nullptr);
    N2 = item("N2", N1, TNotifyEvent(this, &TF_Replay::TB_OpenClick));
    N3 = item("N3", N1, TNotifyEvent(this, &TF_Replay::CloseClick));
    item("N6", N1, nullptr)->SetCaption("-");
    N7 = item("N7", N1, nullptr);
    item("N8", N1, nullptr)->SetCaption("-");
    N4 = item("N4", N1, TNotifyEvent(this, &TF_Replay::N4Click));
    N5 = item("N5", MainMenu1->Items(), TNotifyEvent(this, &TF_Replay::N5Click));
    BuildMenuBar();

    TeControlBar1 = new TTeControlBar(this);
    TeControlBar1->SetName("TeControlBar1");
    TeControlBar1->SetParent(this);
    TeControlBar1->SetAlign(TAlign::alTop);
    TeControlBar1->SetColor(clBtnFace);
    TeControlBar1->SetAutoSize(true);
    TeControlBar1->SetHeight(33);
    TeControlBar1->OnResize = TNotifyEvent(this, &TF_Replay::TeControlBar1Resize);

    TeToolBar1 = new TTeToolBar(this);
    TeToolBar1->SetName("TeToolBar1");
    TeToolBar1->SetParent(TeControlBar1);
    TeToolBar1->SetBorderWidth(2);
    TeToolBar1->SetButtonWidth(25);
    TeToolBar1->SetButtonAutoSize(true);
    TeToolBar1->SetDividerWidth(8);
    TeToolBar1->SetBounds(0, 1, 790, 31);

    TB_Open = AddButton("TB_Open", ButtonGlyph::Open);
    AddDivider();
    TB_Play = AddButton("TB_Play", ButtonGlyph::Play);
    TB_Pause = AddButton("TB_Pause", ButtonGlyph::Pause);
    TB_Stop = AddButton("TB_Stop", ButtonGlyph::Stop);
    AddDivider();
    TB_First = AddButton("TB_First", ButtonGlyph::First);
    AddDivider();
    TB_SignalFrameBack = AddButton("TB_SignalFrameBack", ButtonGlyph::FrameBack);
    TB_SignalFrame = AddButton("TB_SignalFrame", ButtonGlyph::FrameNext);
    AddDivider();
    TB_Slow = AddButton("TB_Slow", ButtonGlyph::Slow);
    TB_Fast = AddButton("TB_Fast", ButtonGlyph::Fast);
    AddDivider();
    TB_End = AddButton("TB_End", ButtonGlyph::End);
    AddDivider();
    TB_CaptureBmp = AddButton("TB_CaptureBmp", ButtonGlyph::Capture);
    ToolButton2 = AddButton("ToolButton2", ButtonGlyph::FullScreen);
    // The loop buttons, two play/stop-all buttons and one divider stay hidden.
    TB_cycle = AddButton("TB_cycle", ButtonGlyph::Loop);
    TB_CycleStart = AddButton("TB_CycleStart", ButtonGlyph::LoopStart);
    TB_CycleEnd = AddButton("TB_CycleEnd", ButtonGlyph::LoopEnd);
    TB_CycleSave = AddButton("TB_CycleSave", ButtonGlyph::LoopSave);
    ToolButton4 = AddButton("ToolButton4", ButtonGlyph::PlayAll);
    ToolButton8 = AddButton("ToolButton8", ButtonGlyph::StopAll);
    AddDivider(false);
    for (TTeSpeedButton* b :
         {TB_cycle, TB_CycleStart, TB_CycleEnd, TB_CycleSave, ToolButton4, ToolButton8})
        b->SetVisible(false);
    // The loop button shows the loop state the window sets; a click changes nothing else.
    TB_cycle->SetGroupIndex(4);
    TB_cycle->SetAllowAllUp(true);
    AddDivider();

    CB_RealTime = new TTeCheckBox(this);
    CB_RealTime->SetName("CB_RealTime");
    CB_RealTime->SetLeft(NextToolLeft());
    CB_RealTime->SetParent(TeToolBar1);
    CB_RealTime->SetPerformance(TTePerformance::kpDoubleBuffer);
    CB_RealTime->SetTransparent(true);
    CB_RealTime->SetWideCaption(L"Real Time");
    CB_RealTime->SetAlignment(TTeLeftRight::kalLeftJustify);
    CB_RealTime->SetSpacing(5);
    CB_RealTime->SetState(TTeCheckBoxState::kcbsUnChecked);
    CB_RealTime->SetVisible(false);

    SE_TotalPorts = new TTeSpinEdit(this);
    SE_TotalPorts->SetName("SE_TotalPorts");
    SE_TotalPorts->SetLeft(NextToolLeft());
    SE_TotalPorts->SetParent(TeToolBar1);
    SE_TotalPorts->SetPerformance(TTePerformance::kpDoubleBuffer);
    SE_TotalPorts->SetBevelSides(AllBevelSides());
    SE_TotalPorts->SetBevelInner(TTeBevelCut::kbvLowered);
    SE_TotalPorts->SetBevelOuter(TTeBevelCut::kbvLowered);
    SE_TotalPorts->SetBevelKind(TTeBevelKind::kbkSingle);
    SE_TotalPorts->SetBevelWidth(1);
    SE_TotalPorts->SetBorderWidth(3);
    SE_TotalPorts->SetEditorEnabled(false);
    SE_TotalPorts->SetMaxLength(3);
    SE_TotalPorts->SetMinValue(1);
    SE_TotalPorts->SetMaxValue(100);
    SE_TotalPorts->SetValue(1);
    SE_TotalPorts->SetButtonAlign(TTeButtonAlign::baRight);
    SE_TotalPorts->SetButtonWidth(15);
    SE_TotalPorts->SetShowHint(true);
    SE_TotalPorts->SetBounds(SE_TotalPorts->Left(), 0, 39, 21);
    SE_TotalPorts->SetAutoSize(true);
    AddDivider();

    TB_Music = AddButton("TB_Music", ButtonGlyph::Sound);
    TB_Music->SetGroupIndex(3);
    TB_Music->SetAllowAllUp(true);
    TrackBar_Music = new TTeTrackBar(this);
    TrackBar_Music->SetName("TrackBar_Music");
    TrackBar_Music->SetLeft(NextToolLeft());
    TrackBar_Music->SetParent(TeToolBar1);
    TrackBar_Music->SetPerformance(TTePerformance::kpDoubleBuffer);
    TrackBar_Music->SetOrientation(TteTrackOrientation::ktoHorizontal);
    TrackBar_Music->SetBounds(TrackBar_Music->Left(), 0, 119, 25);
    TrackBar_Music->SetMax(1000);
    TrackBar_Music->SetPosition(30);
    TrackBar_Music->SetThumbHalfWidth(3);
    TrackBar_Music->SetTransparent(true);
    TrackBar_Music->SetShowTicks(false);
    TrackBar_Music->SetShowHint(true);

    SB_info = new TTeStatusBar(this);
    SB_info->SetName("SB_info");
    SB_info->SetParent(this);
    SB_info->SetAlign(TAlign::alBottom);
    SB_info->SetHeight(22);
    SB_info->SetPerformance(TTePerformance::kpDoubleBuffer);
    SB_info->SetBevelSides(AllBevelSides());
    SB_info->SetBevelInner(TTeBevelCut::kbvSpace);
    SB_info->SetBevelOuter(TTeBevelCut::kbvRaised);
    SB_info->SetBevelKind(TTeBevelKind::kbkNone);
    SB_info->SetBevelWidth(0);
    SB_info->SetBorderWidth(2);
    SB_info->SetColor(clBtnFace);
    for (int w : {285, 120, 120, 100, 80})
        SB_info->Panels()->Add()->SetWidth(w);
    SB_info->OnResize = TNotifyEvent(this, &TF_Replay::SB_infoResize);

    Panel1 = new TPlayerPanel(this);
    Panel1->SetName("Panel1");
    Panel1->SetParent(this);
    Panel1->SetAlign(TAlign::alClient);
    Panel1->OnHScroll = THScrollNotice(this, &TF_Replay::PositionScroll);

    TrackBar_FilePos = new TMouseTrackBar(this);
    TrackBar_FilePos->SetName("TrackBar_FilePos");
    TrackBar_FilePos->SetParent(Panel1);
    TrackBar_FilePos->SetAlign(TAlign::alBottom);
    TrackBar_FilePos->SetHeight(21);
    TrackBar_FilePos->SetMax(1000);
    TrackBar_FilePos->SetPageSize(10);
    TrackBar_FilePos->SetFrequency(1);
    TrackBar_FilePos->SetTickMarks(TTickMark::tmBottomRight);
    TrackBar_FilePos->SetTickStyle(TTickStyle::tsManual);
    TrackBar_FilePos->SetShowHint(true);
    TrackBar_FilePos->OnMouseDown = TMouseEvent(this, &TF_Replay::SliderDown);
    TrackBar_FilePos->OnMouseUp = TMouseEvent(this, &TF_Replay::SliderUp);
    TrackBar_FilePos->OnMouseMove = TMouseMoveEvent(this, &TF_Replay::SliderMove);

    P_Draw = new TPlayerPanel(this);
    P_Draw->SetName("P_Draw");
    P_Draw->SetParent(Panel1);
    P_Draw->SetAlign(TAlign::alClient);
    P_Draw->SetColor(clTeal);
    P_Draw->SetBevelLowered(true);
    P_Draw->OnDblClick = TNotifyEvent(this, &TF_Replay::P_DrawDblClick);

    for (TFrameLine** l : {&Lab_Top, &Lab_Bottom, &Lab_Left, &Lab_Right}) {
        *l = new TFrameLine(this);
        (*l)->SetParent(P_Draw);
    }
    Lab_Top->SetName("Lab_Top");
    Lab_Bottom->SetName("Lab_Bottom");
    Lab_Left->SetName("Lab_Left");
    Lab_Right->SetName("Lab_Right");

    Timer1 = new TTimer(this);
    Timer1->SetName("Timer1");
    Timer1->SetEnabled(false);
    Timer1->SetOnTimer(TNotifyEvent(this, &TF_Replay::TimerTick));

    // Commands.
    TB_Open->OnClick = TNotifyEvent(this, &TF_Replay::TB_OpenClick);
    TB_Play->OnClick = TNotifyEvent(this, &TF_Replay::PlayClick);
    TB_Pause->OnClick = TNotifyEvent(this, &TF_Replay::PauseClick);
    TB_Stop->OnClick = TNotifyEvent(this, &TF_Replay::StopClick);
    TB_First->OnClick = TNotifyEvent(this, &TF_Replay::FirstClick);
    TB_End->OnClick = TNotifyEvent(this, &TF_Replay::EndClick);
    TB_Slow->OnClick = TNotifyEvent(this, &TF_Replay::SlowClick);
    TB_Fast->OnClick = TNotifyEvent(this, &TF_Replay::FastClick);
    TB_SignalFrame->OnClick = TNotifyEvent(this, &TF_Replay::FrameClick);
    TB_SignalFrameBack->OnClick = TNotifyEvent(this, &TF_Replay::FrameBackClick);
    TB_Music->OnClick = TNotifyEvent(this, &TF_Replay::MusicClick);
    TrackBar_Music->OnChange = TNotifyEvent(this, &TF_Replay::VolumeChange);
    TB_CaptureBmp->OnClick = TNotifyEvent(this, &TF_Replay::TB_CaptureBmpClick);
    ToolButton2->OnClick = TNotifyEvent(this, &TF_Replay::FullScreenClick);
    ToolButton4->OnClick = TNotifyEvent(this, &TF_Replay::PlayAllClick);
    ToolButton8->OnClick = TNotifyEvent(this, &TF_Replay::StopAllClick);
    TB_cycle->OnClick = TNotifyEvent(this, &TF_Replay::NoAction);
    TB_CycleStart->OnClick = TNotifyEvent(this, &TF_Replay::NoAction);
    TB_CycleEnd->OnClick = TNotifyEvent(this, &TF_Replay::NoAction);
    TB_CycleSave->OnClick = TNotifyEvent(this, &TF_Replay::LoopSaveClick);
    CB_RealTime->OnClick = TNotifyEvent(this, &TF_Replay::CB_RealTimeClick);
    SE_TotalPorts->OnChange = TNotifyEvent(this, &TF_Replay::SE_TotalPortsChange);

    // The skinned frame last: it measures the window with everything in it.
    TeForm1 = new TTeForm(this);
    TeForm1->SetName("TeForm1");
    TeForm1->SetBorderIcons({TTeBorderIcon::kbiClose, TTeBorderIcon::kbiSystemMenu,
                             TTeBorderIcon::kbiMinimize, TTeBorderIcon::kbiMaximize,
                             TTeBorderIcon::kbiRollup, TTeBorderIcon::kbiTray});
    TeForm1->SetBorderStyle(TTeBorderStyle::kbsStandard);
    TeForm1->SetWindowState(TTeWindowState::kwsNormal);
    TeForm1->SetStayOnTop(false);
    TeForm1->SetStretchBackground(false);
    TeForm1->SetPerformance(TTeFormPerformance::kfpNoBuffer);
    TeForm1->Animation()->SetEffectKind(dvr::skin::kRandomEffect);
    TeForm1->SystemMenuOptions()->Animation()->SetEffectKind(dvr::skin::kRandomEffect);
    TeForm1->TrayMenuOptions()->Animation()->SetEffectKind(dvr::skin::kRandomEffect);
    TeForm1->SetCaption(dvr::win::Utf8ToWide("MPEG4专用播放器"));
    TeForm1->SetThemeObject("default");
    TeForm1->SetMenuBar(TeMenuBar1);
    TeForm1->SetActive(true);
    TeForm1->Loaded();
    SetClientSize(790, 555 + TeMenuBar1->Height());
}

// The menu bar's items stand for MainMenu1's: same tree, captions copied when they are set,
// a click runs the main menu item's click.
void TF_Replay::BuildMenuBar() {
    TeMenuBar1 = new dvr::skin::TTeMenuBar(this);
    TeMenuBar1->SetName("TeMenuBar1");
    TeMenuBar1->SetParent(this);
    TeMenuBar1->SetAlign(TAlign::alTop);
    std::function<void(TMenuItem*, dvr::skin::TTeItem*)> mirror = [&](TMenuItem* from,
                                                                      dvr::skin::TTeItem* to) {
        for (int i = 0; i < from->Count(); ++i) {
            TMenuItem* m = from->Items(i);
            auto* t = new dvr::skin::TTeItem(this);
            t->SetCaption(dvr::win::GbkToWide(m->Caption()));
            t->SetTag(m->Tag());
            t->OnClick = m->OnClick;
            to->Add(t);
            menuPairs_.push_back({m, t});
            mirror(m, t);
        }
    };
    mirror(MainMenu1->Items(), TeMenuBar1->Items());
    TeMenuBar1->Loaded();
}

void TF_Replay::ShowMenuCaptions() {
    for (const auto& [m, t] : menuPairs_) {
        t->SetCaption(dvr::win::GbkToWide(m->Caption()));
        t->SetVisible(m->Visible());
    }
}

void TF_Replay::MusicClick(TObject*) {
    // The button turns its own down state on the click; the command turns it, so undo the
    // button's turn first.
    TB_Music->SetDown(!TB_Music->Down());
    commands_->MusicClick();
}

void TF_Replay::IgnoreException(TObject*, const Exception&) {}

std::wstring TF_Replay::Title() const {
    return dvr::win::GbkToWide(Caption());
}

void TF_Replay::FormCreate(TObject*) {
    Application->OnException = TExceptionEvent(this, &TF_Replay::IgnoreException);
    LoadBuiltInSkin();
    commands_ = std::make_unique<TPlayerCommands>(*ReplayService, static_cast<TPlayerView&>(*this));
    SetCaption(std::string(DvrName) + "-" + Gbk(MessageCaptions[mcVideoPlayer]));
    if (SnapshotFolder.empty()) SnapshotFolder = ProgramFolder() + L"replayBmp\\";
    commands_->Start();
    // The spin edit shows the port count the window opened with; its change handler sees
    // no change.
    SE_TotalPorts->SetValue(ReplayService->GetPortCount());
}

void TF_Replay::FormShow(TObject*) {
    SetCaption(Gbk(TitleCaptions[tcTitle]));
    const std::pair<TMenuItem*, int> menus[] = {{N1, tcFiles}, {N2, tcOpen}, {N3, tcClose},
                                                {N7, tcSetup}, {N4, tcQuit}, {N5, tcAbout}};
    for (const auto& [m, entry] : menus)
        m->SetCaption(Gbk(TitleCaptions[entry]));
    ShowMenuCaptions();
    const std::pair<TControl*, int> hints[] = {{TB_Play, hcPlay},
                                               {TB_Pause, hcPause},
                                               {TB_Stop, hcStop},
                                               {TB_First, hcFirst},
                                               {TB_SignalFrameBack, hcFrameBack},
                                               {TB_SignalFrame, hcFrameNext},
                                               {TB_Slow, hcSlow},
                                               {TB_Fast, hcFast},
                                               {TB_End, hcEnd},
                                               {TB_CaptureBmp, hcCapture},
                                               {ToolButton2, hcFullScreen},
                                               {TB_cycle, hcLoop},
                                               {TB_CycleStart, hcLoopStart},
                                               {TB_CycleEnd, hcLoopEnd},
                                               {TB_CycleSave, hcLoopSave},
                                               {TB_Music, hcSound},
                                               {TrackBar_Music, hcVolume},
                                               {TrackBar_FilePos, hcPosition}};
    for (const auto& [c, entry] : hints)
        c->SetHint(Gbk(HintCaptions[entry]));
}

void TF_Replay::FormCloseQuery(TObject*, bool& CanClose) {
    if (commands_) commands_->CloseAll();
    CanClose = true;
}

// ---- view

TRect TF_Replay::DrawArea() {
    return P_Draw->ClientRect();
}

void TF_Replay::CreatePortPanel(int port, const TRect& b) {
    if (port >= int(portPanels_.size())) portPanels_.resize(port + 1, nullptr);
    auto* p = new TPlayerPanel(P_Draw);
    p->SetParent(P_Draw);
    p->OnClick = TNotifyEvent(this, &TF_Replay::SelectPort);
    p->OnDblClick = TNotifyEvent(this, &TF_Replay::TogglePortZoom);
    p->OnMouseUp = TMouseEvent(this, &TF_Replay::P_DrawMouseUp);
    p->SetTag(port);
    p->SetBoundsRect(b);
    p->SetColor(clBlack);
    p->SetVisible(true);
    portPanels_[port] = p;
}

void TF_Replay::FreePortPanel(int port) {
    if (port < 0 || port >= int(portPanels_.size()) || !portPanels_[port]) return;
    portPanels_[port]->Free();
    portPanels_[port] = nullptr;
    while (!portPanels_.empty() && !portPanels_.back())
        portPanels_.pop_back();
}

HWND TF_Replay::PortPanelHandle(int port) {
    if (port < 0 || port >= int(portPanels_.size()) || !portPanels_[port]) return nullptr;
    return portPanels_[port]->Handle();
}

void TF_Replay::SetPortPanel(int port, const TRect& b, bool visible) {
    if (port < 0 || port >= int(portPanels_.size()) || !portPanels_[port]) return;
    portPanels_[port]->SetBoundsRect(b);
    portPanels_[port]->SetVisible(visible);
}

void TF_Replay::InvalidatePortPanel(int port) {
    if (port >= 0 && port < int(portPanels_.size()) && portPanels_[port])
        portPanels_[port]->Invalidate();
}

void TF_Replay::ClearPortPicture(int port) {
    if (port < 0 || port >= int(portPanels_.size()) || !portPanels_[port]) return;
    portPanels_[port]->Hide();
    portPanels_[port]->Show();
}

void TF_Replay::ShowPortFrame(const PortFrame* f) {
    if (!f) {
        for (TFrameLine* l : {Lab_Top, Lab_Bottom, Lab_Left, Lab_Right})
            l->Hide();
        return;
    }
    Lab_Right->SetBoundsRect(f->Right);
    Lab_Left->SetBoundsRect(f->Left);
    Lab_Top->SetBoundsRect(f->Top);
    Lab_Bottom->SetBoundsRect(f->Bottom);
    for (TFrameLine* l : {Lab_Top, Lab_Bottom, Lab_Left, Lab_Right})
        l->Show();
}

void TF_Replay::PostRefreshPorts(WPARAM which) {
    if (HandleAllocated()) ::PostMessageW(Handle(), WM_REFRESHPORTS, which, 0);
}

void TF_Replay::ForceFullRepaint() {
    SetLeft(Left() + 1);
    ::Sleep(20);
    Refresh();
    ::Sleep(20);
    SetLeft(Left() - 1);
}

void TF_Replay::SetTimerRunning(bool on) {
    Timer1->SetEnabled(on);
}

void TF_Replay::ShowError(const std::wstring& text) {
    ::MessageBoxW(HandleAllocated() ? Handle() : nullptr, text.c_str(), Title().c_str(),
                  MB_OK | MB_ICONERROR);
}

void TF_Replay::ShowControlEnables(const ControlEnables& e) {
    TB_Play->SetEnabled(e.Play);
    for (TControl* c : {TB_Pause, TB_Fast, TB_Slow, TB_End, TB_First})
        c->SetEnabled(e.PauseFastSlowEndFirst);
    TB_Stop->SetEnabled(e.Stop);
    TB_Music->SetEnabled(e.Music);
    for (TControl* c : std::initializer_list<TControl*>{
             TrackBar_FilePos, TrackBar_Music, TB_SignalFrame, TB_SignalFrameBack, TB_CaptureBmp})
        c->SetEnabled(e.SlidersStepsCapture);
}

void TF_Replay::SetStatusText(StatusPanel panel, const std::wstring& text) {
    if (panel < SB_info->Panels()->Count()) SB_info->Panels()->GetItem(panel)->SetText(text);
}

void TF_Replay::ShowLoopControls(const LoopControlsView& v) {
    // The loop button's glyph (image 14 or 15) comes with the skinned buttons.
    TB_cycle->SetDown(v.LoopDown);
    TrackBar_FilePos->SetSelStart(v.SelStart);
    TrackBar_FilePos->SetSelEnd(v.SelEnd);
    TB_CycleStart->SetEnabled(v.StartEnabled);
    TB_CycleEnd->SetEnabled(v.EndEnabled);
    TB_CycleSave->SetEnabled(v.SaveEnabled);
}

std::string TF_Replay::RunSaveDialog() {
    wchar_t name[MAX_PATH] = {};
    const std::wstring filter = DialogFilter(L"Mpeg Files|*.mpg|All Files|*.*");
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = Handle();
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = name;
    ofn.nMaxFile = MAX_PATH;
    if (!::GetSaveFileNameW(&ofn)) return {};
    return dvr::win::WideToGbk(name);
}

// ---- handlers

void TF_Replay::TB_OpenClick(TObject*) {
    const std::string path = RunOpenDialog();
    if (!path.empty()) commands_->OpenFile(path);
}

std::string TF_Replay::RunOpenDialog() {
    wchar_t name[MAX_PATH] = {};
    const std::wstring filter = DialogFilter(L"MPEG Files|*.mpg|All Files|*.*");
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = Handle();
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = name;
    ofn.nMaxFile = MAX_PATH;
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    if (!::GetOpenFileNameW(&ofn)) return {};
    return dvr::win::WideToGbk(name);
}

void TF_Replay::TB_CaptureBmpClick(TObject*) {
    const int port = ReplayService->GetCurrentPort();
    HWND panel = PortPanelHandle(port);
    if (!panel) return;
    ShowPortFrame(nullptr);
    Repaint();
    LastSnapshot = SaveWindowSnapshot(panel, port, SnapshotFolder);
    if (port < int(commands_->PortCells().size())) {
        const PortFrame f = PortFrameAround(commands_->PortCells()[port]);
        ShowPortFrame(&f);
    }
}

void TF_Replay::N5Click(TObject*) {
    const std::wstring text = Title() + L"\r" +
                              dvr::win::Utf8ToWide(MessageCaptions[mcAboutLine1]) + L"\r" +
                              dvr::win::Utf8ToWide(MessageCaptions[mcAboutLine2]);
    ::MessageBoxW(Handle(), text.c_str(),
                  dvr::win::Utf8ToWide(MessageCaptions[mcAboutTitle]).c_str(),
                  MB_OK | MB_ICONINFORMATION);
}

void TF_Replay::N4Click(TObject*) {
    Close();
}

void TF_Replay::SelectPort(TObject* Sender) {
    commands_->SelectPort(static_cast<TComponent*>(Sender)->Tag());
}

void TF_Replay::TogglePortZoom(TObject* Sender) {
    commands_->TogglePortZoom(static_cast<TComponent*>(Sender)->Tag());
}

void TF_Replay::P_DrawDblClick(TObject*) {
    ToggleFullScreen();
}

void TF_Replay::P_DrawMouseUp(TObject*, TMouseButton Button, TShiftState, int, int) {
    if (Button == TMouseButton::mbRight) ToggleFullScreen();
}

void TF_Replay::ToggleFullScreen() {
    fullScreen_ = !fullScreen_;
    for (int i = ComponentCount() - 1; i >= 0; --i) {
        TComponent* c = Components(i);
        if (IsPanelClass(c->ClassName())) continue;
        if (auto* w = dynamic_cast<TWinControl*>(c)) {
            if (!IsToolBarClass(w->ClassName()) &&
                !(w->Parent() && IsToolBarClass(w->Parent()->ClassName())))
                w->SetVisible(!fullScreen_);
        } else if (auto* m = dynamic_cast<TMenuItem*>(c)) {
            m->SetVisible(!fullScreen_);
        }
    }
    ShowMenuCaptions();
    if (HandleAllocated()) ::SendMessageW(Handle(), WM_SIZE, 0, 0);
}

void TF_Replay::SE_TotalPortsChange(TObject*) {
    if (commands_) commands_->ChangePortCount(int(SE_TotalPorts->Value()));
}

void TF_Replay::CB_RealTimeClick(TObject*) {
    ReplayService->SaveSettings();
}

void TF_Replay::SB_infoResize(TObject*) {
    const int last = SB_info->Panels()->Count() - 1;
    if (last < 0) return;
    int left = 0;
    for (int i = 0; i < last; ++i)
        left += SB_info->Panels()->GetItem(i)->Width;
    SB_info->Panels()->GetItem(last)->SetWidth(SB_info->Width() - left - 20);
}

void TF_Replay::TeControlBar1Resize(TObject*) {
    TeToolBar1->SetWidth(TeControlBar1->Width());
}

// ---- messages

void TF_Replay::WMRefreshPorts(TMessage& M) {
    FW_INHERITED(M);
    if (commands_) commands_->RefreshPorts(M.WParam); // repaints first
}

void TF_Replay::WMFileEnd(TMessage& M) {
    FW_INHERITED(M);
    if (commands_) commands_->HandleFileEnd(int(M.WParam));
}

void TF_Replay::WMSize(TMessage& M) {
    FW_INHERITED(M);
    if (commands_ && !portPanels_.empty()) commands_->Resize();
}

void TF_Replay::PositionScroll(TObject*, TMessage& M) {
    if (commands_ && HWND(M.LParam) == TrackBar_FilePos->WindowHandle())
        commands_->SliderScroll(LOWORD(M.WParam));
}

} // namespace playerqz
