// The control as a page would hold it: registered, created by its class, given a client site
// whose page lies on a loopback host, activated in a window and driven through its dispatch
// interface.
#include "webctl/VantrelIE_QZImpl.h"
#include "webctl/control_testing.h"

#include "common/win/handles.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <ole2.h>
#include <olectl.h>
#include <urlmon.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <vector>
#include <string>
#include <thread>

namespace vantrel::webctl {
namespace {

bool KeyExists(const std::wstring& key) {
    dvr::win::RegKey k;
    return ::RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, k.put()) == ERROR_SUCCESS;
}

std::wstring KeyText(const std::wstring& key, const wchar_t* name) {
    wchar_t buf[MAX_PATH] = {};
    DWORD size = sizeof(buf);
    if (::RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_REG_SZ, nullptr, buf, &size) !=
        ERROR_SUCCESS)
        return L"<none>";
    return buf;
}

const std::wstring kClassKey = std::wstring(L"CLSID\\") + kClsidText;
const std::wstring kLibKey = std::wstring(L"TypeLib\\") + kLibIdText;
const std::wstring kDispKey = L"Interface\\{25185C30-2903-4C9F-A1C3-02F219B3FE90}";
const std::wstring kEventsKey = L"Interface\\{D26B7BD5-BDC2-47C5-B1ED-8578179D17DD}";

// The names of the DLLs the file binds through its import table.
std::vector<std::string> ImportedDlls(const std::wstring& path) {
    std::vector<std::string> names;
    HMODULE m = ::LoadLibraryExW(path.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    if (!m) return names;
    auto* base = reinterpret_cast<const BYTE*>(m);
    auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
         dir.VirtualAddress && d->Name; ++d)
        names.emplace_back(reinterpret_cast<const char*>(base + d->Name));
    ::FreeLibrary(m);
    return names;
}

TEST(ControlServer, BindsThePlayerLibraryUnderItsSecondName) {
    const std::vector<std::string> dlls = ImportedDlls(ControlPath());
    EXPECT_NE(std::find(dlls.begin(), dlls.end(), "StrovidApi.dll"), dlls.end());
    // The voice broadcast's speech codec.
    EXPECT_NE(std::find(dlls.begin(), dlls.end(), "G729Dll.dll"), dlls.end());
    EXPECT_EQ(std::find(dlls.begin(), dlls.end(), "Strovid.dll"), dlls.end());
}

TEST(ControlServer, RegistersClassTypeLibraryAndInterfacesAndRemovesThem) {
    Server server;
    ASSERT_TRUE(server.module);
    ASSERT_EQ(server.Call("DllRegisterServer"), S_OK);
    EXPECT_EQ(KeyText(kClassKey, nullptr), L"VantrelIE_QZ Control");
    EXPECT_EQ(KeyText(kClassKey + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
    EXPECT_NE(KeyText(kClassKey + L"\\InprocServer32", nullptr).find(L"Vantrel_IE_QZ.ocx"),
              std::wstring::npos);
    EXPECT_EQ(KeyText(kClassKey + L"\\MiscStatus\\1", nullptr), L"73728");
    EXPECT_EQ(KeyText(kClassKey + L"\\TypeLib", nullptr), kLibIdText);
    EXPECT_TRUE(KeyExists(kClassKey + L"\\Control"));
    EXPECT_EQ(KeyText(kLibKey + L"\\1.0", nullptr), L"Vantrel_IE_QZ Library");
    EXPECT_TRUE(KeyExists(kDispKey));
    EXPECT_TRUE(KeyExists(kEventsKey));
    EXPECT_EQ(server.Call("DllCanUnloadNow"), S_OK);

    ASSERT_EQ(server.Call("DllUnregisterServer"), S_OK);
    EXPECT_FALSE(KeyExists(kClassKey));
    EXPECT_FALSE(KeyExists(kLibKey));
    EXPECT_FALSE(KeyExists(kDispKey));
    EXPECT_FALSE(KeyExists(kEventsKey));
}

std::string StoredValue(const char* name) {
    dvr::win::RegKey k;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VQSIE\\CLIENT", 0, KEY_READ, k.put()) !=
        ERROR_SUCCESS)
        return {};
    std::wstring wname(name, name + std::strlen(name));
    DWORD size = 0;
    if (::RegQueryValueExW(k.get(), wname.c_str(), nullptr, nullptr, nullptr, &size) !=
        ERROR_SUCCESS)
        return {};
    std::string data(size, '\0');
    ::RegQueryValueExW(k.get(), wname.c_str(), nullptr, nullptr,
                       reinterpret_cast<BYTE*>(data.data()), &size);
    return data;
}

// Texts of the face's child windows (tool pictures, page headers, buttons).
std::vector<std::wstring> ChildTexts(HWND face) {
    std::vector<std::wstring> texts;
    ::EnumChildWindows(
        face,
        [](HWND w, LPARAM p) -> BOOL {
            wchar_t text[64] = {};
            ::GetWindowTextW(w, text, 64);
            if (text[0] && ::IsWindowVisible(w))
                reinterpret_cast<std::vector<std::wstring>*>(p)->push_back(text);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&texts));
    return texts;
}

// The container's event sink: records the events the control fires, by number.
class EventSink final : public IDispatch {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == DIID_IVantrelIE_QZEvents) {
            *ppv = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override { return --refs_; }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override {
        *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT*,
                        EXCEPINFO*, UINT*) override {
        if (flags != DISPATCH_METHOD) return E_INVALIDARG;
        events_.push_back(id);
        // The key comes by reference; the page turns every 'a' into 'b'.
        if (id == 11 && params && params->cArgs == 1 &&
            params->rgvarg[0].vt == (VT_I2 | VT_BYREF)) {
            keys_.push_back(*params->rgvarg[0].piVal);
            if (*params->rgvarg[0].piVal == 'a') *params->rgvarg[0].piVal = 'b';
        }
        return S_OK;
    }
    int Count(DISPID id) const { return int(std::count(events_.begin(), events_.end(), id)); }
    std::vector<DISPID> events_;
    std::vector<short> keys_;
    ULONG refs_ = 1;
};

TEST_F(ControlInPage, LearnsItsHostFromThePageAndMergesTheHostsAnswer) {
    WebPort web("5000051000620006000160000521005200054000560005700059000DVR1|gate;yard;");
    PageSite site(L"http://127.0.0.1:" + std::to_wstring(web.port_) + L"/index.htm");

    IOleObject* control = nullptr;
    IOleInPlaceObject* inPlace = nullptr;
    HWND face = nullptr;
    ASSERT_NO_FATAL_FAILURE(ActivateOnPage(site, control, inPlace, face));
    EXPECT_EQ(::GetParent(face), page_);
    RECT fr{};
    ::GetClientRect(face, &fr);
    EXPECT_EQ(fr.right, kFaceWidth);
    EXPECT_EQ(fr.bottom, kFaceHeight);

    ASSERT_TRUE(PumpUntil([] { return !StoredValue("ChannelInfo").empty(); }));
    EXPECT_EQ(web.request_, "GI");
    const HostList stored =
        HostListFromImages(StoredValue("GroupInfo"), StoredValue("ChannelInfo"));
    ASSERT_EQ(stored.Groups.size(), 1u);
    EXPECT_EQ(stored.Groups[0].Name.Get(), "DVR1");
    EXPECT_EQ(stored.Groups[0].HostAddress.Get(), "127.0.0.1");
    EXPECT_EQ(stored.Groups[0].OwnId, 65535);
    ASSERT_EQ(stored.Channels.size(), 2u);
    EXPECT_EQ(stored.Channels[1].Name.Get(), "yard");
    EXPECT_EQ(stored.Channels[1].RemoteChannel, 1);

    // The host's two channels take the panes of the four-pane layout over the video area.
    auto panes = [&] {
        int n = 0;
        ::EnumChildWindows(
            face,
            [](HWND w, LPARAM p) -> BOOL {
                RECT c{};
                ::GetClientRect(w, &c);
                if (::IsWindowVisible(w) && c.right >= 370 && c.right <= 380 && c.bottom >= 270 &&
                    c.bottom <= 280)
                    ++*reinterpret_cast<int*>(p);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&n));
        return n;
    };
    ::ShowWindow(page_, SW_SHOWNORMAL);
    ASSERT_TRUE(PumpUntil([&] { return panes() == 4; }));
    int w = 0, h = 0;
    std::vector<uint32_t> pixels;
    // The first pane is selected: its red frame runs along its top edge.
    EXPECT_TRUE(PumpUntil([&] {
        pixels = SaveScreenshot(face, TestOutputPath("webctl_face_panes.bmp"), w, h);
        return w == kFaceWidth && Near(pixels[size_t(12) * w + 100], 255, 0, 0);
    }));

    // The picture page: its sliders show the selected pane's values (the viewer's defaults).
    HWND pictureHeader = ::FindWindowExW(face, nullptr, nullptr, L"图像参数");
    ASSERT_TRUE(pictureHeader);
    ::PostMessageW(pictureHeader, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ::PostMessageW(pictureHeader, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    auto thumbLefts = [&] {
        std::vector<int> lefts;
        for (HWND c = ::GetWindow(face, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
            RECT cr{}, wr{};
            ::GetClientRect(c, &cr);
            ::GetWindowRect(c, &wr);
            POINT at{wr.left, wr.top};
            ::ScreenToClient(face, &at);
            if (::IsWindowVisible(c) && cr.right == 8 && cr.bottom == 12) lefts.push_back(at.x);
        }
        std::sort(lefts.begin(), lefts.end());
        return lefts;
    };
    ASSERT_TRUE(PumpUntil([&] { return thumbLefts().size() == 4u; }));
    // hue 130, brightness 150, contrast 80, saturation 110
    EXPECT_EQ(thumbLefts(), (std::vector<int>{772 + 47, 772 + 55, 772 + 59, 772 + 81}));

    // A second page load from the same host replaces its group and channels, still first.
    {
        TArithmetic arithmetic;
        TSystemOtherSet other(arithmetic);
        TNetClientSet hosts(arithmetic, other, 0);
        EXPECT_EQ(hosts.NetChannelCount, 2);
        ASSERT_EQ(hosts.Groups.size(), 1u);
    }

    // The dispatch interface, by name as a page script reaches it.
    IDispatch* disp = nullptr;
    ASSERT_EQ(control->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&disp)), S_OK);
    struct Name {
        const wchar_t* name;
        DISPID id;
    } names[] = {{L"Caption", -518},
                 {L"Visible", 1},
                 {L"Color", -501},
                 {L"HelpKeyword", 17},
                 {L"Enabled", -514}};
    for (const Name& n : names) {
        LPOLESTR s = const_cast<LPOLESTR>(n.name);
        DISPID id = 0;
        EXPECT_EQ(disp->GetIDsOfNames(IID_NULL, &s, 1, LOCALE_USER_DEFAULT, &id), S_OK) << n.name;
        EXPECT_EQ(id, n.id) << n.name;
    }
    VARIANT arg;
    ::VariantInit(&arg);
    arg.vt = VT_BSTR;
    arg.bstrVal = ::SysAllocString(L"站点");
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS params{&arg, &put, 1, 1};
    EXPECT_EQ(
        disp->Invoke(-518, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr),
        S_OK);
    ::VariantClear(&arg);
    VARIANT result;
    ::VariantInit(&result);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    ASSERT_EQ(
        disp->Invoke(-518, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr),
        S_OK);
    ASSERT_EQ(result.vt, VT_BSTR);
    EXPECT_STREQ(result.bstrVal, L"站点");
    ::VariantClear(&result);

    arg.vt = VT_BOOL;
    arg.boolVal = VARIANT_FALSE;
    params = DISPPARAMS{&arg, &put, 1, 1};
    EXPECT_EQ(
        disp->Invoke(1, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr),
        S_OK);
    EXPECT_FALSE(::IsWindowVisible(face));
    // Active is read only.
    EXPECT_NE(
        disp->Invoke(9, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr),
        S_OK);

    disp->Release();
    inPlace->Release();
    control->Close(OLECLOSE_NOSAVE);
    control->SetClientSite(nullptr);
    EXPECT_EQ(control->Release(), 0u);
    EXPECT_EQ(server_.Call("DllCanUnloadNow"), S_OK);
}

TEST_F(ControlInPage, PageWithoutHostStaysIdle) {
    PageSite site(L"file:///C:/pages/index.htm");
    IOleObject* control = nullptr;
    ASSERT_EQ(::CoCreateInstance(CLSID_VantrelIE_QZ, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                 reinterpret_cast<void**>(&control)),
              S_OK);
    ASSERT_EQ(control->SetClientSite(&site), S_OK);
    control->SetClientSite(nullptr);
    control->Release();
    EXPECT_TRUE(StoredValue("GroupInfo").empty());
}

TEST_F(ControlInPage, DrawsItsFaceWithToolsPagesAndClock) {
    PageSite site(L"file:///C:/pages/index.htm");
    IOleObject* control = nullptr;
    IOleInPlaceObject* inPlace = nullptr;
    HWND face = nullptr;
    ASSERT_NO_FATAL_FAILURE(ActivateOnPage(site, control, inPlace, face));
    ASSERT_TRUE(PumpUntil([&] { return ::IsWindowVisible(face) != FALSE; }));

    // Tool strip, page headers, preview-page buttons and the PTZ cover's handle; the hidden
    // tool and the picture page's buttons do not show.
    const std::vector<std::wstring> texts = ChildTexts(face);
    for (const wchar_t* t :
         {L"系统设置", L"回放", L"监听", L"抓帧", L"轮视/分组", L"其它功能", L"实时预览",
          L"录像控制", L"报警控制", L"图像参数", L"全部打开", L"全部关闭", L"点击拉开"})
        EXPECT_NE(std::find(texts.begin(), texts.end(), t), texts.end()) << t;
    EXPECT_EQ(std::find(texts.begin(), texts.end(), L"默认"), texts.end());
    EXPECT_EQ(std::find(texts.begin(), texts.end(), L"点击合上"), texts.end());

    int w = 0, h = 0;
    std::vector<uint32_t> pixels;
    // Wait until the face has been painted: the video area black, the tools light.
    ASSERT_TRUE(PumpUntil([&] {
        pixels = SaveScreenshot(face, TestOutputPath("webctl_face.bmp"), w, h);
        return w == kFaceWidth && Near(pixels[size_t(300) * w + 400], 0, 0, 0) &&
               Near(pixels[size_t(602) * w + 27], 0xC4, 0xD2, 0xE0);
    }));
    EXPECT_EQ(h, kFaceHeight);
    // Face colour left of the video area, header colour on the preview header.
    EXPECT_TRUE(Near(pixels[size_t(300) * w + 4], 0x1E, 0x3A, 0x60));
    EXPECT_TRUE(Near(pixels[size_t(30) * w + 780], 0x50, 0x88, 0xC0));
    // The clock wrote white text into its corner.
    int white = 0;
    for (int y = 604; y < 644; ++y)
        for (int x = 776; x < 926; ++x)
            white += Near(pixels[size_t(y) * w + x], 255, 255, 255, 40);
    EXPECT_GT(white, 40);

    inPlace->Release();
    control->Close(OLECLOSE_NOSAVE);
    control->SetClientSite(nullptr);
    EXPECT_EQ(control->Release(), 0u);
}

TEST_F(ControlInPage, FiresItsEventsToTheContainersSinkUntilUnadvised) {
    PageSite site(L"file:///C:/pages/index.htm");
    IOleObject* control = nullptr;
    ASSERT_EQ(::CoCreateInstance(CLSID_VantrelIE_QZ, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                 reinterpret_cast<void**>(&control)),
              S_OK);
    ASSERT_EQ(control->SetClientSite(&site), S_OK);
    IConnectionPointContainer* cpc = nullptr;
    ASSERT_EQ(
        control->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&cpc)),
        S_OK);
    IConnectionPoint* cp = nullptr;
    EXPECT_EQ(cpc->FindConnectionPoint(IID_IDispatch, &cp), CONNECT_E_NOCONNECTION);
    ASSERT_EQ(cpc->FindConnectionPoint(DIID_IVantrelIE_QZEvents, &cp), S_OK);
    IID iid{};
    ASSERT_EQ(cp->GetConnectionInterface(&iid), S_OK);
    EXPECT_EQ(iid, DIID_IVantrelIE_QZEvents);
    EventSink sink;
    DWORD cookie = 0;
    ASSERT_EQ(cp->Advise(&sink, &cookie), S_OK);
    EXPECT_NE(cookie, 0u);
    EXPECT_GT(sink.refs_, 1u);

    ::ShowWindow(page_, SW_SHOWNORMAL);
    RECT r{0, 0, kFaceWidth, kFaceHeight};
    ASSERT_EQ(control->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, page_, &r), S_OK);
    IOleInPlaceObject* inPlace = nullptr;
    ASSERT_EQ(control->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace)),
              S_OK);
    HWND face = nullptr;
    ASSERT_EQ(inPlace->GetWindow(&face), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return sink.Count(16) > 0; })); // painted

    // A click and a double click on the bare face left of the video area.
    const LPARAM at = MAKELPARAM(4, 300);
    ::PostMessageW(face, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageW(face, WM_LBUTTONUP, 0, at);
    ASSERT_TRUE(PumpUntil([&] { return sink.Count(2) > 0; }));
    ::PostMessageW(face, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    ::PostMessageW(face, WM_LBUTTONUP, 0, at);
    ASSERT_TRUE(PumpUntil([&] { return sink.Count(5) > 0; }));

    // The container activates the control's user interface and takes it back: activate once
    // (a second activation while active says nothing), then deactivate once.
    ASSERT_EQ(control->DoVerb(OLEIVERB_UIACTIVATE, nullptr, &site, 0, page_, &r), S_OK);
    ASSERT_EQ(control->DoVerb(OLEIVERB_UIACTIVATE, nullptr, &site, 0, page_, &r), S_OK);
    EXPECT_EQ(sink.Count(1), 1);
    EXPECT_EQ(sink.Count(7), 0);
    ASSERT_EQ(inPlace->UIDeactivate(), S_OK);
    EXPECT_EQ(sink.Count(7), 1);
    ASSERT_EQ(inPlace->UIDeactivate(), S_OK);
    EXPECT_EQ(sink.Count(7), 1);

    // A key goes to the page, which may change it.
    ::SendMessageW(face, WM_CHAR, 'a', 0);
    ASSERT_EQ(sink.keys_.size(), 1u);
    EXPECT_EQ(sink.keys_[0], 'a');

    // After Unadvise nothing more arrives and the sink is released.
    ASSERT_EQ(cp->Unadvise(cookie), S_OK);
    EXPECT_EQ(cp->Unadvise(cookie), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(sink.refs_, 1u);
    const size_t heard = sink.events_.size();
    ::InvalidateRect(face, nullptr, TRUE);
    ::UpdateWindow(face);
    ::SendMessageW(face, WM_CHAR, 'c', 0);
    for (int i = 0; i < 30; ++i) { // let any stray event arrive
        MSG m;
        while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&m);
        ::Sleep(10);
    }
    EXPECT_EQ(sink.events_.size(), heard);

    // A sink connected at close time hears the destroy event and is then let go.
    EventSink last;
    ASSERT_EQ(cp->Advise(&last, &cookie), S_OK);
    cp->Release();
    cpc->Release();
    inPlace->Release();
    control->Close(OLECLOSE_NOSAVE);
    EXPECT_EQ(last.Count(6), 1);
    EXPECT_EQ(last.refs_, 1u);
    control->SetClientSite(nullptr);
    EXPECT_EQ(control->Release(), 0u);
}


// One menu choice: the tool whose menu pops, the keys that choose the item, the window it
// opens (a part of its title and a control it holds) and the screenshot taken of it.
struct MenuWindowCase {
    const wchar_t* tool;
    std::vector<WPARAM> keys;
    const wchar_t* title;
    const wchar_t* holds;
    const char* shot;
};

// From another thread: answers the popup menu of `thread` with the keys, waits for the window,
// saves its picture once it is drawn and closes it. `seen` tells the window was found.
std::thread ChooseAndCloseWindow(DWORD thread, const MenuWindowCase& c, std::atomic<int>& seen) {
    return std::thread([thread, c, &seen] {
        const ULONGLONG end = ::GetTickCount64() + 60000;
        while (!::FindWindowW(L"#32768", nullptr) && ::GetTickCount64() < end)
            ::Sleep(20);
        // The menu takes keys once its loop runs.
        ::Sleep(200);
        for (WPARAM key : c.keys)
            ::PostThreadMessageW(thread, WM_KEYDOWN, key, 0);
        ::PostThreadMessageW(thread, WM_KEYDOWN, VK_RETURN, 0);
        HWND w = nullptr;
        while (!(w = OwnWindowTitled(c.title)) && ::GetTickCount64() < end)
            ::Sleep(20);
        if (!w) {
            seen = -1;
            return;
        }
        while (!DescendantWithText(w, c.holds) && ::GetTickCount64() < end)
            ::Sleep(20);
        const bool holds = DescendantWithText(w, c.holds) != nullptr;
        // Drawn once the picture is more than one or two colours.
        int width = 0, height = 0;
        while (::GetTickCount64() < end) {
            std::vector<uint32_t> px = SaveScreenshot(w, TestOutputPath(c.shot), width, height);
            std::sort(px.begin(), px.end());
            if (std::unique(px.begin(), px.end()) - px.begin() > 4) break;
            ::Sleep(50);
        }
        seen = holds ? 1 : -2;
        ::PostMessageW(w, WM_CLOSE, 0, 0);
    });
}

// Each of the menus' windows opens from its item (a screenshot of each is saved) and closes
// again, leaving the face working.
TEST_F(ControlInPage, MenuItemsOpenTheirWindows) {
    PageSite site(L"file:///C:/pages/index.htm");
    IOleObject* control = nullptr;
    IOleInPlaceObject* inPlace = nullptr;
    HWND face = nullptr;
    ASSERT_NO_FATAL_FAILURE(ActivateOnPage(site, control, inPlace, face));
    ASSERT_TRUE(PumpUntil([&] { return ::IsWindowVisible(face) != FALSE; }));

    // The other-functions menu: 1 alarm box, 2 alarm list, 3 matrix, 4 voice, 5 chat, 6 disks,
    // 7 disk faults, 8 remote control, 9 patrol, 10 inspector, 11 files, 12 work logs (last).
    const std::vector<WPARAM> disks(6, VK_DOWN);
    const MenuWindowCase cases[] = {
        // The control's port editor also holds the table's slot 12 (54000 by default).
        {L"系统设置", {VK_DOWN}, L"分控设置", L"54000", "webctl_menu_hostgroups.bmp"},
        {L"系统设置", {VK_DOWN, VK_DOWN}, L"搜索远程主控", L"开始搜索远程主控",
         "webctl_menu_search.bmp"},
        {L"其它功能", {VK_UP, VK_RIGHT}, L"日志管理", L"退出", "webctl_menu_worklog.bmp"},
        {L"其它功能", {VK_UP, VK_RIGHT, VK_DOWN}, L"远程工作日志", L"打印",
         "webctl_menu_remote_worklog.bmp"},
        {L"其它功能", {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT},
         L"磁盘信息", L"刷新", "webctl_menu_disks.bmp"},
        {L"其它功能", {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN},
         L"远程工作日志", L"连接", "webctl_menu_remote_disks.bmp"},
        {L"其它功能", std::vector<WPARAM>(8, VK_DOWN), L"远程控制", L"全选",
         "webctl_menu_remote_control.bmp"},
    };
    HWND strip[2] = {DescendantWithText(face, L"系统设置"), DescendantWithText(face, L"其它功能")};
    ASSERT_TRUE(strip[0] && strip[1]);
    for (const MenuWindowCase& c : cases) {
        SCOPED_TRACE(c.shot);
        std::atomic<int> seen{0};
        std::thread answer = ChooseAndCloseWindow(::GetCurrentThreadId(), c, seen);
        HWND tool = std::wstring(c.tool) == L"系统设置" ? strip[0] : strip[1];
        ::PostMessageW(tool, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        ::PostMessageW(tool, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        // The window runs modally inside the click; the pump returns once it has closed.
        EXPECT_TRUE(PumpUntil([&] { return seen != 0 && !OwnWindowTitled(c.title); }, 90000));
        answer.join();
        EXPECT_EQ(seen, 1);
    }

    inPlace->Release();
    control->Close(OLECLOSE_NOSAVE);
    control->SetClientSite(nullptr);
    EXPECT_EQ(control->Release(), 0u);
}

// A picture file in the control's folder fills the panes that play nothing: the idle channels'
// and the empty cells of the layout.
TEST_F(ControlInPage, IdlePanesShowTheBackgroundPicture) {
    ::CreateDirectoryW(L"C:\\Vantrel", nullptr);
    const wchar_t* file = L"C:\\Vantrel\\BG.BMP";
    {
        // 4 x 4 magenta, 24 bits.
        BITMAPFILEHEADER fh{};
        BITMAPINFOHEADER ih{};
        ih.biSize = sizeof ih;
        ih.biWidth = 4;
        ih.biHeight = 4;
        ih.biPlanes = 1;
        ih.biBitCount = 24;
        fh.bfType = 0x4D42;
        fh.bfOffBits = sizeof fh + sizeof ih;
        fh.bfSize = fh.bfOffBits + 4 * 12;
        FILE* f = _wfopen(file, L"wb");
        ASSERT_TRUE(f);
        std::fwrite(&fh, sizeof fh, 1, f);
        std::fwrite(&ih, sizeof ih, 1, f);
        const unsigned char pixel[3] = {255, 0, 255};
        for (int i = 0; i < 16; ++i)
            std::fwrite(pixel, 3, 1, f);
        std::fclose(f);
    }
    struct Remove {
        const wchar_t* f;
        ~Remove() { ::DeleteFileW(f); }
    } remove{file};

    WebPort web("5000051000620006000160000521005200054000560005700059000DVR1|gate;yard;");
    PageSite site(L"http://127.0.0.1:" + std::to_wstring(web.port_) + L"/index.htm");
    IOleObject* control = nullptr;
    IOleInPlaceObject* inPlace = nullptr;
    HWND face = nullptr;
    ASSERT_NO_FATAL_FAILURE(ActivateOnPage(site, control, inPlace, face));

    // Two channels in the four-pane layout: the picture in the middle of every quarter.
    int w = 0, h = 0;
    std::vector<uint32_t> pixels;
    const POINT middles[4] = {{200, 150}, {580, 150}, {200, 430}, {580, 430}};
    auto magenta = [&] {
        pixels = SaveScreenshot(face, TestOutputPath("webctl_face_background.bmp"), w, h);
        if (w != kFaceWidth) return 0;
        int n = 0;
        for (POINT p : middles)
            n += Near(pixels[size_t(p.y) * w + p.x], 255, 0, 255);
        return n;
    };
    EXPECT_TRUE(PumpUntil([&] { return !StoredValue("ChannelInfo").empty() && magenta() == 4; },
                          30000))
        << magenta() << " of 4 panes show the picture";

    inPlace->Release();
    control->Close(OLECLOSE_NOSAVE);
    control->SetClientSite(nullptr);
    EXPECT_EQ(control->Release(), 0u);
}


} // namespace
} // namespace vantrel::webctl
