// The control object: the dual dispatch interface, the OLE embedding it needs to sit in a
// page, and the start-up that finds its host from the page address and asks it for "GI".
#pragma once

#include "common/win/handles.h"
#include "host/engine/T_ThreadWriteLogRecord.h"
#include "host/engine/U_PlaySoundPlayer.h"
#include "host/engine/U_Arithmetic.h"
#include "host/engine/U_NetClientSet.h"
#include "host/engine/U_SystemOtherSet.h"
#include "host/engine/U_YunTaiSet.h"
#include "host/ui/U_ReplayHostEngine.h"
#include "host/net/F_NetTalkWindow.h"
#include "host/net/F_SendAndReceiveFile.h"
#include "host/net/U_AutoGetRemoterHost.h"
#include "webctl/U_Alarm.h"
#include "webctl/U_AlarmList.h"
#include "webctl/U_FaceCommands.h"
#include "webctl/U_Capture.h"
#include "webctl/U_ControlUdp.h"
#include "webctl/U_ControlStorage.h"
#include "webctl/U_NetChannels.h"
#include "webctl/U_SystemInfo.h"
#include "webctl/U_YunTai.h"
#include "webctl/U_WebHost.h"
#include "webctl/VantrelIE_QZForm.h"
#include "webctl/Vantrel_IE_QZ_TLB.h"

#include <winsock2.h>
#include <windows.h>
#include <ole2.h>

#include <atomic>
#include <memory>
#include <string>

namespace vantrel::webctl {

// Live objects and server locks; DllCanUnloadNow answers from these.
extern std::atomic<long> g_ServerRefs;
extern HMODULE g_Module;

// Web-port socket notices on the control's message window.
constexpr UINT WM_WEBSOCKET = WM_USER + 100;

class TActiveFormControl final : public IVantrelIE_QZ,
                                 public IOleObject,
                                 public IOleInPlaceObject,
                                 public IConnectionPointContainer {
public:
    TActiveFormControl();
    ~TActiveFormControl();

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDispatch, through the type library
    STDMETHODIMP GetTypeInfoCount(UINT* n) override;
    STDMETHODIMP GetTypeInfo(UINT i, LCID lcid, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                               DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* excep, UINT* argErr) override;

    // IVantrelIE_QZ: the form's properties
    STDMETHODIMP get_Visible(VARIANT_BOOL* v) override;
    STDMETHODIMP put_Visible(VARIANT_BOOL v) override;
    STDMETHODIMP get_AutoScroll(VARIANT_BOOL* v) override { return GetBool(autoScroll_, v); }
    STDMETHODIMP put_AutoScroll(VARIANT_BOOL v) override { return PutBool(autoScroll_, v); }
    STDMETHODIMP get_AutoSize(VARIANT_BOOL* v) override { return GetBool(autoSize_, v); }
    STDMETHODIMP put_AutoSize(VARIANT_BOOL v) override { return PutBool(autoSize_, v); }
    STDMETHODIMP get_AxBorderStyle(long* v) override { return GetLong(borderStyle_, v); }
    STDMETHODIMP put_AxBorderStyle(long v) override { return PutEnum(borderStyle_, v, 3); }
    STDMETHODIMP get_Caption(BSTR* v) override { return GetText(caption_, v); }
    STDMETHODIMP put_Caption(BSTR v) override;
    STDMETHODIMP get_Color(ULONG* v) override;
    STDMETHODIMP put_Color(ULONG v) override;
    STDMETHODIMP get_Font(IDispatch** v) override;
    STDMETHODIMP put_Font(IDispatch* v) override;
    STDMETHODIMP putref_Font(IDispatch** v) override;
    STDMETHODIMP get_KeyPreview(VARIANT_BOOL* v) override { return GetBool(keyPreview_, v); }
    STDMETHODIMP put_KeyPreview(VARIANT_BOOL v) override { return PutBool(keyPreview_, v); }
    STDMETHODIMP get_PixelsPerInch(long* v) override { return GetLong(pixelsPerInch_, v); }
    STDMETHODIMP put_PixelsPerInch(long v) override;
    STDMETHODIMP get_PrintScale(long* v) override { return GetLong(printScale_, v); }
    STDMETHODIMP put_PrintScale(long v) override { return PutEnum(printScale_, v, 2); }
    STDMETHODIMP get_Scaled(VARIANT_BOOL* v) override { return GetBool(scaled_, v); }
    STDMETHODIMP put_Scaled(VARIANT_BOOL v) override { return PutBool(scaled_, v); }
    STDMETHODIMP get_Active(VARIANT_BOOL* v) override;
    STDMETHODIMP get_DropTarget(VARIANT_BOOL* v) override { return GetBool(dropTarget_, v); }
    STDMETHODIMP put_DropTarget(VARIANT_BOOL v) override { return PutBool(dropTarget_, v); }
    STDMETHODIMP get_HelpFile(BSTR* v) override { return GetText(helpFile_, v); }
    STDMETHODIMP put_HelpFile(BSTR v) override;
    STDMETHODIMP get_DoubleBuffered(VARIANT_BOOL* v) override {
        return GetBool(doubleBuffered_, v);
    }
    STDMETHODIMP put_DoubleBuffered(VARIANT_BOOL v) override { return PutBool(doubleBuffered_, v); }
    STDMETHODIMP get_AlignDisabled(VARIANT_BOOL* v) override { return GetBool(false, v); }
    STDMETHODIMP get_VisibleDockClientCount(long* v) override { return GetLong(0, v); }
    STDMETHODIMP get_Enabled(VARIANT_BOOL* v) override;
    STDMETHODIMP put_Enabled(VARIANT_BOOL v) override;
    STDMETHODIMP get_Cursor(short* v) override;
    STDMETHODIMP put_Cursor(short v) override;
    STDMETHODIMP get_HelpType(long* v) override { return GetLong(helpType_, v); }
    STDMETHODIMP put_HelpType(long v) override { return PutEnum(helpType_, v, 1); }
    STDMETHODIMP get_HelpKeyword(BSTR* v) override { return GetText(helpKeyword_, v); }
    STDMETHODIMP put_HelpKeyword(BSTR v) override;

    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* site) override;
    STDMETHODIMP GetClientSite(IOleClientSite** site) override;
    STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP Close(DWORD saveOption) override;
    STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
    STDMETHODIMP DoVerb(LONG verb, LPMSG msg, IOleClientSite* site, LONG index, HWND parent,
                        LPCRECT rect) override;
    STDMETHODIMP EnumVerbs(IEnumOLEVERB**) override { return OLEOBJ_E_NOVERBS; }
    STDMETHODIMP Update() override { return S_OK; }
    STDMETHODIMP IsUpToDate() override { return S_OK; }
    STDMETHODIMP GetUserClassID(CLSID* clsid) override;
    STDMETHODIMP GetUserType(DWORD, LPOLESTR*) override { return OLE_S_USEREG; }
    STDMETHODIMP SetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
    STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP Unadvise(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
    STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
    STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // IOleWindow, IOleInPlaceObject
    STDMETHODIMP GetWindow(HWND* wnd) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP InPlaceDeactivate() override;
    STDMETHODIMP UIDeactivate() override;
    STDMETHODIMP SetObjectRects(LPCRECT pos, LPCRECT clip) override;
    STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }

    // IConnectionPointContainer: the events dispinterface's connection point
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** e) override;
    STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** cp) override;

    // The page's host, empty while idle; the web port it was asked on.
    const PageHost& Host() const { return host_; }

private:
    static HRESULT GetBool(bool b, VARIANT_BOOL* v);
    static HRESULT PutBool(bool& b, VARIANT_BOOL v) {
        b = v != VARIANT_FALSE;
        return S_OK;
    }
    static HRESULT GetLong(long n, long* v);
    static HRESULT PutEnum(long& field, long v, long high);
    static HRESULT GetText(const std::wstring& s, BSTR* v);

    // Start-up once the page is known: the host from the page address, then "GI" on its web port.
    void StartUp();
    std::wstring PageAddress() const;
    void OpenWebPort();
    void CloseWebPort();
    void OnWebSocket(WPARAM wParam, LPARAM lParam);
    // One read is one reply; the host list under the control's own settings root takes it.
    void MergeReply(std::string_view text);
    void DestroyFace();
    // The channel map after the host list or the group shown changed: wParam <= 0 every
    // channel of every host; else lParam > 0 host lParam - 1; else, while cycling, the
    // cycle's host (otherwise nothing happens).
    void RebuildChannelMap(WPARAM wParam, LPARAM lParam);
    void CreateRecorder();
    // The recorder's view of the recording files, for the index (made before the recorder).
    struct CurrentFiles final : TRecordingFiles {
        const TCapture* Capture = nullptr;
        bool CurrentFile(int channel, std::string& name) const override {
            return Capture && Capture->CurrentFile(channel, name);
        }
    } currentFiles_;
    TDriveAccess drives_;
    std::unique_ptr<TControlDriveRanges> ranges_;
    TDataLockTable dataLocks_;
    std::unique_ptr<TDiskFaultList> faults_;
    static LRESULT CALLBACK MessageProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

    std::atomic<long> refs_{1};
    TControlEvents events_{this};
    ITypeInfo* typeInfo_ = nullptr;
    IOleClientSite* site_ = nullptr;
    IDispatch* font_ = nullptr;
    std::unique_ptr<TArithmetic> arithmetic_;
    std::unique_ptr<TSystemOtherSet> otherSet_;

public:
    // The host list; every board-channel branch is absent, so it counts network channels only.
    std::unique_ptr<TNetClientSet> NetClientSet;
    std::unique_ptr<TSystemInfo> SystemInfo;
    std::unique_ptr<TPreviewSet> PreviewSet;
    // Recording storage, the recorder and the network channels.
    std::unique_ptr<TControlStorage> Storage;
    std::unique_ptr<TCapture> Capture;
    std::unique_ptr<TControlChannels> Channels;
    // The host groups' addresses kept current through the name server, once a host is known.
    std::unique_ptr<TAutoGetRemoterHost> HostLookup;
    // Alarm settings, the channels' alarm state and the listener for the hosts' uploads.
    std::unique_ptr<TAlarmSet> AlarmSet;
    // The alarm sounds from the control's folder; the pane menu's mute silences them.
    TPlaySoundPlayer SoundPlayer;
    std::unique_ptr<TThreadAlarmAudio> AlarmAudio;
    std::unique_ptr<TAlarm> Alarm;
    std::unique_ptr<TAlarmListener> AlarmListener;
    // The request socket and reply reader the remote windows use.
    std::unique_ptr<TControlUdpClient> Udp;
    // The control's PTZ settings (protocol per channel).
    std::unique_ptr<TYunTaiSet> YunTaiSet;
    // The control's work log and its writer, in the control's own folder.
    std::unique_ptr<TWorkLog> WorkLog;
    std::unique_ptr<TThreadWriteLogRecord> LogWriter;
    void Log(int event);
    // The file-transfer window, listening on the control's file port while the face lives.
    TSendAndReceiveFileForm* FileTransfer = nullptr;
    // Voice broadcast: the sound devices, their threads and the window (null without a port).
    std::unique_ptr<TWaveIn> WaveIn;
    std::unique_ptr<TThreadWaveIn> ThreadWaveIn;
    std::unique_ptr<TWaveOut> WaveOut;
    std::unique_ptr<TThreadWaveOut> ThreadWaveOut;
    TNetTalkWindow* NetTalk = nullptr;
    void ShowFileTransfer();
    // Where the region zoom window's snapshots go: the control's recordings and their index.
    std::unique_ptr<TEngineReplayHost> ZoomReplayHost;
    void RunRemoteReplay();
    // The PTZ pictures and commands, the face's channel tools and the remote alarm list;
    // they live with the face.
    std::unique_ptr<TYunTai> YunTai;
    std::unique_ptr<TFaceCommands> FaceCommands;
    std::unique_ptr<TControlAlarmList> AlarmList;

private:
    PageHost host_;
    HWND messageWindow_ = nullptr;
    // The face; its window is the control's window.
    TVantrelIE_QZ* form_ = nullptr;
    HWND face_ = nullptr;
    bool uiActive_ = false;
    dvr::win::Socket webSocket_;
    bool started_ = false;

    bool visible_ = true, autoScroll_ = false, autoSize_ = false, keyPreview_ = false,
         scaled_ = true;
    bool dropTarget_ = false, doubleBuffered_ = false, enabled_ = true;
    long borderStyle_ = 0, printScale_ = 1, pixelsPerInch_ = 96, helpType_ = 1;
    short cursor_ = 0;
    ULONG color_ = 0x8000000F; // clBtnFace
    std::wstring caption_ = L"VantrelIE_QZ", helpFile_, helpKeyword_;
};

// The control's one form instance, set when it is created; other units reach it through this.
extern TVantrelIE_QZ* VantrelIE_QZ;

} // namespace vantrel::webctl
