#include "webctl/VantrelIE_QZImpl.h"
#include "webctl/U_StationMapWindow.h"
#include "webctl/U_MenuWindows.h"

#include "webctl/F_ControlReplay.h"
#include "host/ui/F_RegionZoomForm.h"
#include "host/engine/U_WorkLogLine.h"
#include "webctl/F_ControlSettings.h"
#include "host/net/F_RemoteReplayWindow.h"
#include "host/ui/F_BackupForm.h"

#include "common/win/textconv.h"
#include "player/lib/strovid_api.h"

#include <ws2tcpip.h>

#include <vector>

namespace vantrel::webctl {

std::atomic<long> g_ServerRefs{0};
HMODULE g_Module = nullptr;
TVantrelIE_QZ* VantrelIE_QZ = nullptr;

namespace {

constexpr wchar_t kMessageClass[] = L"TVantrelIE_QZ_Messages";
constexpr UINT_PTR kCutTimer = 1;

void RegisterClasses() {
    static bool done = false;
    if (done) return;
    WNDCLASSW wc{};
    wc.hInstance = g_Module;
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = kMessageClass;
    ::RegisterClassW(&wc);
    done = true;
}

} // namespace

TActiveFormControl::TActiveFormControl() {
    ++g_ServerRefs;
    RegisterClasses();
    ITypeLib* lib = nullptr;
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(g_Module, path, MAX_PATH);
    if (SUCCEEDED(::LoadTypeLibEx(path, REGKIND_NONE, &lib))) {
        lib->GetTypeInfoOfGuid(IID_IVantrelIE_QZ, &typeInfo_);
        lib->Release();
    }
    messageWindow_ = ::CreateWindowExW(0, kMessageClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                       g_Module, nullptr);
    ::SetWindowLongPtrW(messageWindow_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ::SetWindowLongPtrW(messageWindow_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MessageProc));
    // The settings under the control's own root: ports and the name-server login.
    arithmetic_ = std::make_unique<TArithmetic>();
    otherSet_ = std::make_unique<TSystemOtherSet>(*arithmetic_);
    NetClientSet = std::make_unique<TNetClientSet>(*arithmetic_, *otherSet_, 0);
    WorkLog = std::make_unique<TWorkLog>(*arithmetic_, kProgramPath);
    LogWriter = std::make_unique<TThreadWriteLogRecord>(*WorkLog);
    SystemInfo = std::make_unique<TSystemInfo>(*NetClientSet);
    PreviewSet = std::make_unique<TPreviewSet>();
    CreateRecorder();
}

void TActiveFormControl::CreateRecorder() {
    ranges_ = std::make_unique<TControlDriveRanges>(SystemInfo->ChannelCount);
    ranges_->Load();
    faults_ = std::make_unique<TDiskFaultList>([] { return CurrentOleDate(); },
                                               [](WPARAM, LPARAM) {});
    Storage = std::make_unique<TControlStorage>(
        drives_, *ranges_, dataLocks_, currentFiles_, *faults_,
        TDiskManager::Hooks{[] { return CurrentOleDate(); }, [](std::string_view) {},
                            [] { return std::string(); }});
    TCapture::Hooks hooks;
    hooks.PanePreviewing = [this](int c) {
        return form_ && c >= 0 && c < kPaneCount && form_->Preview->Panes[size_t(c)].Net.Previewing;
    };
    hooks.ChannelCount = [this] { return Channels ? Channels->ChannelCount() : 0; };
    hooks.MinutesPerFile = [](int) { return kDefaultMinutesPerFile; };
    hooks.DiskFault = [this](const std::string& text, char drive) {
        faults_->Add(text, static_cast<WPARAM>(-1), static_cast<LPARAM>(drive));
    };
    hooks.ShowStatus = [this](int c, bool recording) {
        if (form_) form_->ShowStatusPicture(c, recording);
    };
    Capture = std::make_unique<TCapture>(Storage->Disk, Storage->Files, std::move(hooks));
    currentFiles_.Capture = Capture.get();
    Channels = std::make_unique<TControlChannels>(*NetClientSet, messageWindow_, SystemInfo->OwnIP);
    Channels->SetCapture(Capture.get());
    Channels->Log = LogWriter.get();
    Capture->BindNetworkSlots(*Channels->Net);
    Channels->Reload(SystemInfo->ChannelCount);
    AlarmSet = std::make_unique<TAlarmSet>();
    Alarm = std::make_unique<TAlarm>(*Channels, *AlarmSet);
    AlarmAudio = std::make_unique<TThreadAlarmAudio>(SoundPlayer, kProgramPath);
    Alarm->Audio = AlarmAudio.get();
    AlarmListener = std::make_unique<TAlarmListener>(messageWindow_, ControlAlarmPort());
    Udp = std::make_unique<TControlUdpClient>();
    YunTaiSet = std::make_unique<TYunTaiSet>(kProgramPath);
    WaveIn = std::make_unique<TWaveIn>();
    ThreadWaveIn = std::make_unique<TThreadWaveIn>(*WaveIn);
    WaveOut = std::make_unique<TWaveOut>();
    ThreadWaveOut = std::make_unique<TThreadWaveOut>(*WaveOut);
    // The file cutting runs once a minute.
    ::SetTimer(messageWindow_, kCutTimer, 60000, nullptr);
}

void TActiveFormControl::Log(int event) {
    if (LogWriter) LogWriter->AddRecord(WorkLogLine(CurrentOleDate(), event, -1, -1, -1, "", "", ""));
}

TActiveFormControl::~TActiveFormControl() {
    CloseWebPort();
    DestroyFace();
    if (messageWindow_) ::KillTimer(messageWindow_, kCutTimer);
    HostLookup.reset();
    AlarmListener.reset();
    // Uploads still queued for the window.
    for (MSG m; ::PeekMessageW(&m, messageWindow_, WM_ALARMUPLOAD, WM_ALARMUPLOAD, PM_REMOVE);)
        delete reinterpret_cast<AlarmUploadRecord*>(m.lParam);
    Alarm.reset();
    Channels.reset();
    Capture.reset();
    Storage.reset();
    if (messageWindow_) ::DestroyWindow(messageWindow_);
    if (site_) site_->Release();
    if (font_) font_->Release();
    if (typeInfo_) typeInfo_->Release();
    --g_ServerRefs;
}

STDMETHODIMP TActiveFormControl::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IVantrelIE_QZ)
        *ppv = static_cast<IVantrelIE_QZ*>(this);
    else if (riid == IID_IOleObject)
        *ppv = static_cast<IOleObject*>(this);
    else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceObject)
        *ppv = static_cast<IOleInPlaceObject*>(this);
    else if (riid == IID_IConnectionPointContainer)
        *ppv = static_cast<IConnectionPointContainer*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) TActiveFormControl::AddRef() {
    return static_cast<ULONG>(++refs_);
}

STDMETHODIMP_(ULONG) TActiveFormControl::Release() {
    const long n = --refs_;
    if (n == 0) delete this;
    return static_cast<ULONG>(n);
}

STDMETHODIMP TActiveFormControl::GetTypeInfoCount(UINT* n) {
    if (!n) return E_POINTER;
    *n = typeInfo_ ? 1 : 0;
    return S_OK;
}

STDMETHODIMP TActiveFormControl::GetTypeInfo(UINT i, LCID, ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (i != 0 || !typeInfo_) return DISP_E_BADINDEX;
    typeInfo_->AddRef();
    *info = typeInfo_;
    return S_OK;
}

STDMETHODIMP TActiveFormControl::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                               DISPID* ids) {
    if (!typeInfo_) return E_UNEXPECTED;
    return ::DispGetIDsOfNames(typeInfo_, names, count, ids);
}

STDMETHODIMP TActiveFormControl::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                        VARIANT* result, EXCEPINFO* excep, UINT* argErr) {
    if (!typeInfo_) return E_UNEXPECTED;
    return ::DispInvoke(static_cast<IVantrelIE_QZ*>(this), typeInfo_, id, flags, params, result,
                        excep, argErr);
}

HRESULT TActiveFormControl::GetBool(bool b, VARIANT_BOOL* v) {
    if (!v) return E_POINTER;
    *v = b ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT TActiveFormControl::GetLong(long n, long* v) {
    if (!v) return E_POINTER;
    *v = n;
    return S_OK;
}

HRESULT TActiveFormControl::PutEnum(long& field, long v, long high) {
    if (v < 0 || v > high) return E_INVALIDARG;
    field = v;
    return S_OK;
}

HRESULT TActiveFormControl::GetText(const std::wstring& s, BSTR* v) {
    if (!v) return E_POINTER;
    *v = ::SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
    return *v ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP TActiveFormControl::get_Visible(VARIANT_BOOL* v) {
    return GetBool(visible_, v);
}

STDMETHODIMP TActiveFormControl::put_Visible(VARIANT_BOOL v) {
    visible_ = v != VARIANT_FALSE;
    if (form_) form_->SetVisible(visible_);
    return S_OK;
}

STDMETHODIMP TActiveFormControl::put_Caption(BSTR v) {
    caption_.assign(v ? v : L"", v ? ::SysStringLen(v) : 0);
    if (form_) form_->SetCaption(dvr::win::WideToGbk(caption_));
    return S_OK;
}

STDMETHODIMP TActiveFormControl::get_Color(ULONG* v) {
    if (!v) return E_POINTER;
    *v = color_;
    return S_OK;
}

STDMETHODIMP TActiveFormControl::put_Color(ULONG v) {
    color_ = v;
    if (face_) ::InvalidateRect(face_, nullptr, TRUE);
    return S_OK;
}

STDMETHODIMP TActiveFormControl::get_Font(IDispatch** v) {
    if (!v) return E_POINTER;
    *v = font_;
    if (font_) font_->AddRef();
    return S_OK;
}

STDMETHODIMP TActiveFormControl::put_Font(IDispatch* v) {
    if (v) v->AddRef();
    if (font_) font_->Release();
    font_ = v;
    return S_OK;
}

STDMETHODIMP TActiveFormControl::putref_Font(IDispatch** v) {
    return v ? put_Font(*v) : E_POINTER;
}

STDMETHODIMP TActiveFormControl::put_PixelsPerInch(long v) {
    if (v <= 0) return E_INVALIDARG;
    pixelsPerInch_ = v;
    return S_OK;
}

STDMETHODIMP TActiveFormControl::get_Active(VARIANT_BOOL* v) {
    return GetBool(
        face_ && ::GetFocus() && (::GetFocus() == face_ || ::IsChild(face_, ::GetFocus())), v);
}

STDMETHODIMP TActiveFormControl::put_HelpFile(BSTR v) {
    helpFile_.assign(v ? v : L"", v ? ::SysStringLen(v) : 0);
    return S_OK;
}

STDMETHODIMP TActiveFormControl::get_Enabled(VARIANT_BOOL* v) {
    return GetBool(enabled_, v);
}

STDMETHODIMP TActiveFormControl::put_Enabled(VARIANT_BOOL v) {
    enabled_ = v != VARIANT_FALSE;
    if (face_) ::EnableWindow(face_, enabled_);
    return S_OK;
}

STDMETHODIMP TActiveFormControl::get_Cursor(short* v) {
    if (!v) return E_POINTER;
    *v = cursor_;
    return S_OK;
}

STDMETHODIMP TActiveFormControl::put_Cursor(short v) {
    cursor_ = v;
    return S_OK;
}

STDMETHODIMP TActiveFormControl::put_HelpKeyword(BSTR v) {
    helpKeyword_.assign(v ? v : L"", v ? ::SysStringLen(v) : 0);
    return S_OK;
}

// --- embedding ---------------------------------------------------------------------------

STDMETHODIMP TActiveFormControl::SetClientSite(IOleClientSite* site) {
    if (site) site->AddRef();
    if (site_) site_->Release();
    site_ = site;
    if (site_ && !started_) {
        started_ = true;
        StartUp();
    }
    return S_OK;
}

STDMETHODIMP TActiveFormControl::GetClientSite(IOleClientSite** site) {
    if (!site) return E_POINTER;
    *site = site_;
    if (site_) site_->AddRef();
    return S_OK;
}

STDMETHODIMP TActiveFormControl::Close(DWORD) {
    InPlaceDeactivate();
    CloseWebPort();
    // The face is gone, its destroy event told; the sinks are let go.
    events_.DisconnectAll();
    return S_OK;
}

STDMETHODIMP TActiveFormControl::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent,
                                        LPCRECT rect) {
    switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_UIACTIVATE:
        break;
    case OLEIVERB_HIDE:
        if (form_) form_->SetVisible(false);
        return S_OK;
    default:
        return OLEOBJ_S_INVALIDVERB;
    }
    if (site && site != site_) SetClientSite(site);
    if (!face_) {
        if (!parent) return E_INVALIDARG;
        const RECT r = rect ? *rect : RECT{0, 0, kFaceWidth, kFaceHeight};
        try {
            form_ = new TVantrelIE_QZ(nullptr);
            VantrelIE_QZ = form_;
            form_->SetParentWindow(parent);
            form_->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
            form_->PreviewSet = PreviewSet.get();
            form_->Preview->Channels = Channels.get();
            form_->Preview->Capture = Capture.get();
            form_->InstallEventRelays(&events_);
            form_->RebuildChannelMap(SystemInfo->ChannelCount, SystemInfo->PaneRects);
            face_ = form_->Handle();
            Channels->AttachForm(form_);
            InstallStationMap(*form_, *NetClientSet);
            InstallMenuWindows(*form_, {NetClientSet.get(), arithmetic_.get(), Udp.get(),
                                        WorkLog.get(), SystemInfo->OwnIP,
                                        [this](int event) { Log(event); }, {}});
            YunTai = std::make_unique<TYunTai>(*form_, *Channels);
            form_->Preview->YunTai = YunTai.get();
            form_->Preview->SystemInfo = SystemInfo.get();
            YunTai->PtzSettings = &YunTaiSet->Settings;
            form_->OnLocalReplay = [this] {
                Log(26);
                TControlReplayParts parts;
                parts.Files = &Storage->Files;
                parts.Locks = &dataLocks_;
                parts.Disk = &Storage->Disk;
                parts.ChannelCount = [this] { return Channels ? Channels->ChannelCount() : 0; };
                parts.ChannelTitle = [this](int ch) {
                    return ch >= 0 && ch < kSettingsChannels
                               ? std::string(PreviewSet->Records[size_t(ch)].Title.View())
                               : std::string();
                };
                TControlReplay(std::move(parts), form_).ShowModal();
                Log(27);
                if (face_) ::InvalidateRect(face_, nullptr, TRUE);
            };
            FileTransfer = new TSendAndReceiveFileForm(nullptr, arithmetic_->Ports.Port[3]);
            FileTransfer->AfterConstruction();
            form_->Preview->MakeZoomForm = [this]() -> TRegionZoomForm* {
                if (!ZoomReplayHost) {
                    TDiskManager* disk = &Storage->Disk;
                    ZoomReplayHost = std::make_unique<TEngineReplayHost>(
                        Storage->Files, dataLocks_,
                        [this] { return Channels ? Channels->ChannelCount() : 0; },
                        [this](int ch) {
                            return ch >= 0 && ch < kSettingsChannels
                                       ? std::string(PreviewSet->Records[size_t(ch)].Title.View())
                                       : std::string();
                        },
                        [disk](int ch, int type) { return disk->MakeRecordingFileName(ch, type); });
                }
                const std::string title =
                    dvr::fw::Application ? dvr::fw::Application->Title() : std::string();
                auto* f = new TRegionZoomForm(form_, title, *ZoomReplayHost);
                f->AfterConstruction();
                return f;
            };
            form_->OnFileTransfer = [this] { ShowFileTransfer(); };
            form_->OnRemoteReplay = [this] { RunRemoteReplay(); };
            try {
                const std::string title =
                    dvr::fw::Application ? dvr::fw::Application->Title() : std::string();
                NetTalk = new TNetTalkWindow(nullptr, title, *WaveIn, *WaveOut, *ThreadWaveIn,
                                             *ThreadWaveOut, uint16_t(kNetTalkPort));
                NetTalk->AfterConstruction();
            } catch (const std::exception&) {
                // Without the codec or its port the control runs without voice broadcasts.
                NetTalk = nullptr;
            }
            form_->OnVoiceBroadcast = [this] {
                Log(41);
                if (NetTalk) NetTalk->Show();
            };
            form_->OnRemoteSettings = [this] {
                RunRemoteSettings({Udp.get(), NetClientSet->GroupRecords, face_, nullptr});
            };
            for (int i = 0; i < kPaneCount; ++i)
                Alarm->DetectLabels[size_t(i)] = form_->Preview->Panes[size_t(i)].DetectLabel;
            Alarm->Images = form_->AlarmImages;
            form_->AlarmImageClick = [this](int channel) { Alarm->StatusImageClick(channel); };
            AlarmList = std::make_unique<TControlAlarmList>(*form_, *Channels, *Capture);
            AlarmList->Audio = AlarmAudio.get();
            form_->Preview->Audio = AlarmAudio.get();
            Alarm->ListUpload = [this](const AlarmUploadRecord& r) {
                if (AlarmList) AlarmList->AddAlarm(r);
            };
            FaceCommands = std::make_unique<TFaceCommands>(*form_, *NetClientSet, *Channels);
            FaceCommands->AlarmList = AlarmList.get();
            FaceCommands->RebuildGroupMenu();
            form_->Preview->BuildPaneMenu();
            // The panes' pictures are drawn through the player's display, bound to the face.
            RE4Ravi_InitDDraw(face_);
        } catch (...) {
            DestroyFace();
            return E_FAIL;
        }
        form_->SetCaption(dvr::win::WideToGbk(caption_));
        ::EnableWindow(face_, enabled_);
    }
    if (visible_) form_->SetVisible(true);
    // The form's activate event, once per activation of its user interface.
    if (verb == OLEIVERB_UIACTIVATE && !uiActive_) {
        uiActive_ = true;
        form_->OnActivate(form_);
    }
    return S_OK;
}

STDMETHODIMP TActiveFormControl::UIDeactivate() {
    if (uiActive_ && form_) {
        uiActive_ = false;
        form_->OnDeactivate(form_);
    }
    return S_OK;
}

STDMETHODIMP TActiveFormControl::GetUserClassID(CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = CLSID_VantrelIE_QZ;
    return S_OK;
}

STDMETHODIMP TActiveFormControl::GetExtent(DWORD aspect, SIZEL* size) {
    if (!size) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return E_INVALIDARG;
    // HIMETRIC at 96 pixels per inch.
    size->cx = ::MulDiv(kFaceWidth, 2540, 96);
    size->cy = ::MulDiv(kFaceHeight, 2540, 96);
    return S_OK;
}

STDMETHODIMP TActiveFormControl::GetMiscStatus(DWORD, DWORD* status) {
    if (!status) return E_POINTER;
    *status = OLEMISC_SIMPLEFRAME | OLEMISC_ACTSLIKELABEL;
    return S_OK;
}

STDMETHODIMP TActiveFormControl::GetWindow(HWND* wnd) {
    if (!wnd) return E_POINTER;
    *wnd = face_;
    return face_ ? S_OK : E_FAIL;
}

STDMETHODIMP TActiveFormControl::InPlaceDeactivate() {
    DestroyFace();
    return S_OK;
}

STDMETHODIMP TActiveFormControl::EnumConnectionPoints(IEnumConnectionPoints** e) {
    if (e) *e = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP TActiveFormControl::FindConnectionPoint(REFIID riid, IConnectionPoint** cp) {
    if (!cp) return E_POINTER;
    *cp = nullptr;
    if (riid != DIID_IVantrelIE_QZEvents) return CONNECT_E_NOCONNECTION;
    *cp = &events_;
    events_.AddRef();
    return S_OK;
}

void TActiveFormControl::ShowFileTransfer() {
    if (!FileTransfer) return;
    // The host list is refilled every time: each host once, its own file port.
    std::vector<std::string> addresses;
    for (const auto& g : NetClientSet->GroupRecords)
        addresses.push_back(g.HostAddress.Get());
    FileTransfer->cb_Addr->Items()->Clear();
    FileTransfer->cb_Addr->SetText("");
    FileTransfer->SetHosts(addresses, [this](const std::string& address) {
        for (const auto& g : NetClientSet->GroupRecords)
            if (g.HostAddress.Get() == address) return int(g.Ports.Port[3]);
        return int(arithmetic_->Ports.Port[3]);
    });
    FileTransfer->Show();
}

void TActiveFormControl::RunRemoteReplay() {
    Log(28);
    const std::string title = dvr::fw::Application ? dvr::fw::Application->Title() : std::string();
    auto* window = new TRemoteReplayWindow(form_, title);
    window->AfterConstruction();
    std::vector<std::string> addresses;
    for (const auto& g : NetClientSet->GroupRecords)
        addresses.push_back(g.HostAddress.Get());
    // Each host's replay port from its port table (slot 1).
    window->SetHosts(addresses, [this](const std::string& address) {
        for (const auto& g : NetClientSet->GroupRecords)
            if (g.HostAddress.Get() == address) return int(g.Ports.Port[1]);
        return 0;
    });
    window->DriveChooser = [this, title](int neededKB) -> std::optional<std::string> {
        auto* f = new TBackupForm(form_, title);
        f->AfterConstruction();
        f->lb_NeedSpace->SetCaption(std::to_string(neededKB));
        const char drive = f->ShowModal() == dvr::fw::mrOk ? f->Drive() : 0;
        f->Free();
        if (!drive) return std::nullopt;
        return std::string(1, drive) + ":\\";
    };
    window->ShowModal();
    window->Free();
    Log(29);
    if (face_) ::InvalidateRect(face_, nullptr, TRUE);
}

void TActiveFormControl::DestroyFace() {
    if (FileTransfer) FileTransfer->Free();
    FileTransfer = nullptr;
    if (NetTalk) NetTalk->Free();
    NetTalk = nullptr;
    if (Channels && form_) Channels->DetachForm();
    uiActive_ = false;
    if (form_) {
        form_->Preview->YunTai = nullptr;
        form_->Preview->Channels = nullptr;
    }
    FaceCommands.reset();
    if (Alarm) {
        Alarm->ListUpload = nullptr;
        Alarm->Images = nullptr;
    }
    AlarmList.reset();
    YunTai.reset();
    if (Alarm) Alarm->DetectLabels.fill(nullptr);
    if (VantrelIE_QZ == form_) VantrelIE_QZ = nullptr;
    if (face_) RE4Ravi_RealeseDDraw();
    if (form_) form_->Free();
    form_ = nullptr;
    face_ = nullptr;
}

STDMETHODIMP TActiveFormControl::SetObjectRects(LPCRECT pos, LPCRECT) {
    if (form_ && pos)
        form_->SetBounds(pos->left, pos->top, pos->right - pos->left, pos->bottom - pos->top);
    return S_OK;
}

// --- start-up: the page's host and its "GI" answer -----------------------------------------

std::wstring TActiveFormControl::PageAddress() const {
    // The container's moniker names the page, as the browser's window information would.
    std::wstring address;
    if (!site_) return address;
    IMoniker* mk = nullptr;
    if (FAILED(site_->GetMoniker(OLEGETMONIKER_ONLYIFTHERE, OLEWHICHMK_CONTAINER, &mk)) || !mk)
        return address;
    IBindCtx* ctx = nullptr;
    if (SUCCEEDED(::CreateBindCtx(0, &ctx))) {
        LPOLESTR name = nullptr;
        if (SUCCEEDED(mk->GetDisplayName(ctx, nullptr, &name)) && name) {
            address = name;
            ::CoTaskMemFree(name);
        }
        ctx->Release();
    }
    mk->Release();
    return address;
}

void TActiveFormControl::StartUp() {
    const std::wstring page = PageAddress();
    // Same shape as the browser's answer: the quoted address, then the quoted title.
    host_ = ParseBrowserAnswer("\"" + dvr::win::WideToGbk(page) + "\",\"\"");
    if (host_.Host.empty()) return;
    OpenWebPort();
    if (!HostLookup) {
        HostLookup = std::make_unique<TAutoGetRemoterHost>(*arithmetic_, *NetClientSet, *otherSet_, 0);
        HostLookup->Resume();
    }
}

void TActiveFormControl::OpenWebPort() {
    WSADATA wsa;
    if (::WSAStartup(MAKEWORD(2, 2), &wsa) != 0) return;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host_.Host.c_str(), std::to_string(host_.Port).c_str(), &hints, &found) !=
            0 ||
        !found) {
        ::WSACleanup();
        return;
    }
    webSocket_.reset(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (webSocket_ && ::WSAAsyncSelect(webSocket_.get(), messageWindow_, WM_WEBSOCKET,
                                       FD_CONNECT | FD_READ | FD_CLOSE) == 0) {
        const int rc =
            ::connect(webSocket_.get(), found->ai_addr, static_cast<int>(found->ai_addrlen));
        if (rc != 0 && ::WSAGetLastError() != WSAEWOULDBLOCK) webSocket_.reset();
    } else {
        webSocket_.reset();
    }
    ::freeaddrinfo(found);
    if (!webSocket_) ::WSACleanup();
}

void TActiveFormControl::CloseWebPort() {
    if (!webSocket_) return;
    webSocket_.reset();
    ::WSACleanup();
}

LRESULT CALLBACK TActiveFormControl::MessageProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TActiveFormControl*>(::GetWindowLongPtrW(wnd, GWLP_USERDATA));
    if (self && msg == WM_WEBSOCKET) {
        self->OnWebSocket(wParam, lParam);
        return 0;
    }
    if (self && self->Channels && self->Channels->HandleMessage(msg, wParam, lParam)) return 0;
    if (self && msg == WM_ALARMUPLOAD) {
        std::unique_ptr<AlarmUploadRecord> record(reinterpret_cast<AlarmUploadRecord*>(lParam));
        if (self->AlarmListener) self->AlarmListener->Taken();
        if (record && self->Alarm) self->Alarm->TakeUpload(*record);
        return 0;
    }
    if (self && msg == WM_REBUILDCHANNELMAP) {
        try {
            self->RebuildChannelMap(wParam, lParam);
        } catch (...) {
        }
        return 0;
    }
    if (self && msg == WM_TIMER && wParam == kCutTimer) {
        if (self->Capture) self->Capture->RequestCut();
        return 0;
    }
    return ::DefWindowProcW(wnd, msg, wParam, lParam);
}

void TActiveFormControl::OnWebSocket(WPARAM wParam, LPARAM lParam) {
    if (!webSocket_ || static_cast<SOCKET>(wParam) != webSocket_.get()) return;
    // Socket errors are cleared: nothing is raised or shown.
    const int error = WSAGETSELECTERROR(lParam);
    switch (WSAGETSELECTEVENT(lParam)) {
    case FD_CONNECT:
        if (error == 0)
            ::send(webSocket_.get(), "GI", 2, 0);
        else
            CloseWebPort();
        break;
    case FD_READ: {
        if (error != 0) break;
        std::vector<char> buffer(65536);
        const int n = ::recv(webSocket_.get(), buffer.data(), static_cast<int>(buffer.size()), 0);
        if (n > 0) MergeReply(std::string_view(buffer.data(), static_cast<size_t>(n)));
        break;
    }
    case FD_CLOSE:
        CloseWebPort();
        break;
    }
}

void TActiveFormControl::MergeReply(std::string_view text) {
    HostInfo info;
    if (!ParseHostInfoReply(text, info)) return;
    sockaddr_in peer{};
    int len = sizeof(peer);
    char address[INET_ADDRSTRLEN] = {};
    if (::getpeername(webSocket_.get(), reinterpret_cast<sockaddr*>(&peer), &len) == 0)
        ::inet_ntop(AF_INET, &peer.sin_addr, address, sizeof(address));
    HostList stored;
    stored.Groups = NetClientSet->GroupRecords;
    stored.Channels = NetClientSet->Channels;
    const HostList merged = MergeHostInfo(stored, info, address);
    NetClientSet->SaveGroupInfo(
        merged.Groups.data(), static_cast<int>(merged.Groups.size() * sizeof(TClientGroupRecord)));
    NetClientSet->SaveChannelInfo(
        merged.Channels.data(),
        static_cast<int>(merged.Channels.size() * sizeof(TClientChannelRecord)));
    NetClientSet->Reload();
    // Everything open closes; the rebuild after it shows the host just merged (group 0).
    Channels->CloseAll->CloseChannels(-1, true, true, true, true, false, 0);
}

void TActiveFormControl::RebuildChannelMap(WPARAM wParam, LPARAM lParam) {
    const bool cycling = form_ && form_->Preview->CycleMode;
    const int groups = static_cast<int>(NetClientSet->Groups.size());
    int group = -1;
    if (static_cast<int>(wParam) <= 0) {
        NetClientSet->Reload();
    } else if (lParam > 0) {
        group = static_cast<int>(lParam) - 1;
    } else if (cycling && FaceCommands && FaceCommands->CycleGroupIndex >= 0 &&
               FaceCommands->CycleGroupIndex < groups) {
        group = FaceCommands->CycleGroupIndex;
    } else {
        return;
    }
    if (group >= 0) NetClientSet->SelectGroup(group);
    // A new map starts on the video area, not over the whole face.
    SystemInfo->VideoArea = ControlVideoArea;
    SystemInfo->UpdateChannelLayout();
    ranges_->SetChannelCount(SystemInfo->ChannelCount);
    ranges_->Load();
    Channels->Reload(SystemInfo->ChannelCount, group);
    Capture->BindNetworkSlots(*Channels->Net);
    if (!form_) return;
    form_->Preview->Backdrop->SetVisible(false);
    form_->RebuildChannelMap(SystemInfo->ChannelCount, SystemInfo->PaneRects);
    form_->Preview->BuildPaneMenu();
    if (FaceCommands) FaceCommands->RebuildGroupMenu();
    // Only the cycle opens channels by itself; otherwise the operator opens them.
    if (static_cast<int>(wParam) > 0 && cycling) Channels->OpenAll->Request(-1, true, false, false);
}

} // namespace vantrel::webctl
