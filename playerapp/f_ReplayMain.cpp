#include "playerapp/f_ReplayMain.h"

#include <commdlg.h>

#include <algorithm>
#include <cctype>

#include "common/win/handles.h"
#include "common/win/textconv.h"
#include "framework/exceptions.h"
#include "framework/win/resstream.h"
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
    return u == "TTETOOLBAR" || u == "TTOOLBAR" || u == "TPLAYERTOOLBAR";
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

TPlayerButton* TF_Replay::AddButton(const char* name, const wchar_t* text, int& x) {
    auto* b = new TPlayerButton(this);
    b->SetName(name);
    b->SetParent(TeToolBar1);
    b->SetBounds(x, 2, 25, 25);
    b->SetCaption(dvr::win::WideToGbk(text));
    b->SetShowHint(true);
    x += 25;
    return b;
}

void TF_Replay::AddDivider(int& x) {
    x += 8;
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
    SetName("F_Replay");
    SetPosition(TPosition::poScreenCenter);
    SetBorderIcons({TBorderIcon::biSystemMenu, TBorderIcon::biMinimize, TBorderIcon::biMaximize});
    SetShowHint(true);
    Font()->SetName("MS Sans Serif");
    Font()->SetSize(8);
    SetClientSize(790, 555);

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
    SetMenu(MainMenu1);

    TeControlBar1 = new TPlayerControlBar(this);
    TeControlBar1->SetName("TeControlBar1");
    TeControlBar1->SetParent(this);
    TeControlBar1->SetAlign(TAlign::alTop);
    TeControlBar1->SetHeight(33);
    TeControlBar1->OnResize = TNotifyEvent(this, &TF_Replay::TeControlBar1Resize);

    TeToolBar1 = new TPlayerToolBar(this);
    TeToolBar1->SetName("TeToolBar1");
    TeToolBar1->SetParent(TeControlBar1);
    TeToolBar1->SetBounds(0, 1, 790, 31);

    // Stand-in texts for the glyphs.
    int x = 2;
    TB_Open = AddButton("TB_Open", L"O", x);
    AddDivider(x);
    TB_Play = AddButton("TB_Play", L">", x);
    TB_Pause = AddButton("TB_Pause", L"||", x);
    TB_Stop = AddButton("TB_Stop", L"[]", x);
    AddDivider(x);
    TB_First = AddButton("TB_First", L"|<", x);
    AddDivider(x);
    TB_SignalFrameBack = AddButton("TB_SignalFrameBack", L"<", x);
    TB_SignalFrame = AddButton("TB_SignalFrame", L">|", x);
    AddDivider(x);
    TB_Slow = AddButton("TB_Slow", L"<<", x);
    TB_Fast = AddButton("TB_Fast", L">>", x);
    AddDivider(x);
    TB_End = AddButton("TB_End", L">|", x);
    AddDivider(x);
    TB_CaptureBmp = AddButton("TB_CaptureBmp", L"C", x);
    ToolButton2 = AddButton("ToolButton2", L"F", x);
    // The loop buttons and two play/stop-all buttons stay hidden.
    int hidden = x;
    TB_cycle = AddButton("TB_cycle", L"L", hidden);
    TB_CycleStart = AddButton("TB_CycleStart", L"A", hidden);
    TB_CycleEnd = AddButton("TB_CycleEnd", L"B", hidden);
    TB_CycleSave = AddButton("TB_CycleSave", L"S", hidden);
    ToolButton4 = AddButton("ToolButton4", L">*", hidden);
    ToolButton8 = AddButton("ToolButton8", L"[]*", hidden);
    for (TPlayerButton* b :
         {TB_cycle, TB_CycleStart, TB_CycleEnd, TB_CycleSave, ToolButton4, ToolButton8})
        b->SetVisible(false);
    TB_cycle->SetToggles(true);
    AddDivider(x);
    CB_RealTime = AddButton("CB_RealTime", L"Real Time", hidden);
    CB_RealTime->SetCheckBox(true);
    CB_RealTime->SetVisible(false);
    SE_TotalPorts = new TPlayerSpinEdit(this);
    SE_TotalPorts->SetName("SE_TotalPorts");
    SE_TotalPorts->SetParent(TeToolBar1);
    SE_TotalPorts->SetBounds(x, 4, 39, 21);
    SE_TotalPorts->SetRange(1, 100);
    x += 39;
    AddDivider(x);
    TB_Music = AddButton("TB_Music", L"V", x);
    TB_Music->SetToggles(true);
    TrackBar_Music = new TMouseTrackBar(this);
    TrackBar_Music->SetName("TrackBar_Music");
    TrackBar_Music->SetParent(TeToolBar1);
    TrackBar_Music->SetBounds(x, 2, 119, 25);
    TrackBar_Music->SetMax(1000);
    TrackBar_Music->SetPosition(30);
    TrackBar_Music->SetTickStyle(TTickStyle::tsNone);
    TrackBar_Music->SetThumbLength(14);
    TrackBar_Music->SetShowHint(true);

    SB_info = new TPlayerStatusBar(this);
    SB_info->SetName("SB_info");
    SB_info->SetParent(this);
    SB_info->SetPanelWidths({285, 120, 120, 100, 80});
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
    SB_info->SetPanelText(panel, text);
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
    if (HandleAllocated()) ::SendMessageW(Handle(), WM_SIZE, 0, 0);
}

void TF_Replay::SE_TotalPortsChange(TObject*) {
    commands_->ChangePortCount(SE_TotalPorts->Value());
}

void TF_Replay::CB_RealTimeClick(TObject*) {
    ReplayService->SaveSettings();
}

void TF_Replay::SB_infoResize(TObject*) {
    const int last = SB_info->PanelCount() - 1;
    if (last >= 0) SB_info->SetPanelWidth(last, SB_info->Width() - SB_info->PanelLeft(last) - 20);
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
