#include "host/ui/F_StartUp.h"

#include "host/ui/F_MainForm.h"
#include "host/ui/U_HostObjects.h"
#include "host/ui/U_PictureFile.h"

#include "common/win/handles.h"
#include "common/win/textconv.h"
#include "framework/colors.h"


#include <fstream>

namespace vantrel {

using namespace dvr::fw;

namespace {

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p = path;
    return p.substr(0, p.find_last_of(L'\\') + 1);
}

// The application's window: hidden, no task-bar button, captioned with the title, so that a
// second start finds it.
HWND CreateApplicationWindow(const std::wstring& title) {
    static const wchar_t* kClass = L"VantrelApplication";
    WNDCLASSW wc{};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    ::RegisterClassW(&wc);
    return ::CreateWindowExW(WS_EX_TOOLWINDOW, kClass, title.c_str(), WS_POPUP, 0, 0, 0, 0, nullptr,
                             nullptr, wc.hInstance, nullptr);
}

} // namespace

std::string ProgramTitle(const std::wstring& folder) {
    dvr::win::File f(::CreateFileW((folder + L"OEM.txt").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string line;
    if (f) {
        char buf[512];
        DWORD got = 0;
        if (::ReadFile(f.get(), buf, sizeof buf, &got, nullptr)) line.assign(buf, got);
        const size_t end = line.find_first_of("\r\n");
        if (end != std::string::npos) line.resize(end);
    }
    if (line.empty()) return kDefaultTitle;
    // Sixteen characters: a GBK double-byte character counts once.
    std::wstring wide = dvr::win::GbkToWide(line);
    if (wide.size() > 16) wide.resize(16);
    return dvr::win::WideToGbk(wide);
}

TStartUpForm::TStartUpForm(TComponent* AOwner) : TForm(AOwner) {
    SetBorderStyle(TFormBorderStyle::bsNone);
    SetColor(clSkyBlue);
    SetClientWidth(464);
    SetClientHeight(278);
    SetPosition(TPosition::poScreenCenter);
    im_StartLogo = new TImage(this);
    im_StartLogo->SetParent(this);
    im_StartLogo->SetAlign(TAlign::alClient);
    im_StartLogo->SetStretch(true);
    Gauge = new TPanel(this);
    Gauge->SetParent(this);
    Gauge->SetBevelOuter(TBevelCut::bvNone);
    Gauge->SetColor(clSkyBlue);
    Gauge->SetBounds(0, 275, 464, 3);
    GaugeBar = new TPanel(this);
    GaugeBar->SetParent(Gauge);
    GaugeBar->SetBevelOuter(TBevelCut::bvNone);
    GaugeBar->SetColor(clBlue);
    GaugeBar->SetBounds(0, 0, 0, 3);
    Timer = new TTimer(this);
    Timer->SetInterval(600);
    Timer->SetOnTimer(TNotifyEvent(this, &TStartUpForm::TimerTimer));
    Timer->SetEnabled(true);
    OnShow = TNotifyEvent(this, &TStartUpForm::FormShow);
    FormCreate(this);
}

HBITMAP LoadStartLogo(const std::wstring& folder) {
    if (HBITMAP logo = LoadPictureFile(folder + L"StartLogo.jpg")) return logo;
    return LoadPictureFile(folder + L"StartLogo.bmp");
}

void TStartUpForm::FormCreate(TObject*) {
    const std::wstring folder = ProgramFolder();
    Application->SetTitle(ProgramTitle(folder));
    // Without a logo the image stays empty on the sky-blue window.
    if (HBITMAP logo = LoadStartLogo(folder)) im_StartLogo->Picture()->Bitmap()->SetHandle(logo);
}

void TStartUpForm::SetProgress(int value) {
    Progress = std::clamp(value, 0, MaxValue);
    GaugeTrace += std::to_string(Progress) + ";";
    GaugeBar->SetWidth(Gauge->Width() * Progress / MaxValue);
}

void TStartUpForm::TimerTimer(TObject*) {
    SetProgress(Progress + 5);
}

void TStartUpForm::FormShow(TObject*) {
    HANDLE t = ::CreateThread(nullptr, 0, ThreadStartUp, this, 0, nullptr);
    dvr::win::Thread owned(t); // frees itself when it ends
}

DWORD WINAPI TStartUpForm::ThreadStartUp(LPVOID self) {
    auto* form = static_cast<TStartUpForm*>(self);
    try {
        Host->VideoCard = std::make_unique<TVideoCard>(MainForm->WindowHandle(), *Host);
        Host->NoteCreated();
        form->Invalidate();
        ::PostMessageW(form->WindowHandle(), WM_STARTUPGO, WPARAM(-1), 0);
    } catch (...) {
        // The boards could not be brought up at all: the start-up window closes and the
        // program ends instead of waiting for ever.
        ::PostMessageW(form->WindowHandle(), WM_STARTUPGO, WPARAM(-2), 0);
    }
    return 0;
}

void TStartUpForm::StartupSequence(TMessage& M) {
    const intptr_t w = intptr_t(M.WParam);
    if (w >= 0) {
        SetProgress(Progress + int(w));
        return;
    }
    if (w != -1) {
        SetModalResult(mrCancel);
        return;
    }
    Host->RunCreationSequence([this] { return MaxValue - Progress; },
                              [this](int step) { SetProgress(Progress + step); },
                              [this] { Timer->SetEnabled(false); },
                              [this](int fromMax) { SetProgress(MaxValue + fromMax); });
    Host->GaugeTrace = GaugeTrace;
    SetModalResult(mrOk);
}

int ProgramMain() {
    const std::wstring folder = ProgramFolder();
    const std::string title = ProgramTitle(folder);
    const std::wstring wideTitle = dvr::win::GbkToWide(title);
    if (::FindWindowW(nullptr, wideTitle.c_str())) return 0;

    Application->Initialize();
    CallbackClosing = false;
    HWND appWindow = CreateApplicationWindow(wideTitle);
    ::SetCurrentDirectoryW(folder.c_str());

    Host = new THost;
    Host->Arithmetic = std::make_unique<TArithmetic>();
    Host->NoteCreated();
    Host->OtherCtrl = std::make_unique<TOtherCtrl>();
    Host->NoteCreated();
    Host->OtherCtrl->HideTaskBar();

    TMainForm* main = nullptr;
    Application->CreateForm(main);
    Host->MainForm = main;
    main->SetEnabled(false);
    main->Hide();
    Host->OtherCtrl->Target = main->WindowHandle();
    Host->NoteCreated();

    auto* startUp = MakeForm<TStartUpForm>(Application);
    ::SetWindowTextW(appWindow, dvr::win::GbkToWide(Application->Title()).c_str());
    startUp->ShowModal();
    const bool started = Host->Capture != nullptr;
    startUp->Free();
    if (!started) return 1;

    Host->CreatePostStartObjects();
    Application->Run();
    ::DestroyWindow(appWindow);
    return 0;
}

} // namespace vantrel
