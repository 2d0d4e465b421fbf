// The control in a test page: its server module, a client site whose page lies on a loopback
// host, a host web port that answers "GI", the page window and screen read-back.
#pragma once

#include "webctl/Vantrel_IE_QZ_TLB.h"
#include "webctl/VantrelIE_QZForm.h"

#include "common/win/handles.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <ole2.h>
#include <olectl.h>
#include <urlmon.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace vantrel::webctl {

inline std::wstring ControlPath() {
    const char* bin = std::getenv("DVR_BIN_DIR");
    std::string p = bin ? std::string(bin) + "/Vantrel_IE_QZ.ocx" : "Vantrel_IE_QZ.ocx";
    return std::wstring(p.begin(), p.end());
}

using EntryPoint = HRESULT(STDAPICALLTYPE*)();

struct Server {
    dvr::win::Module module{::LoadLibraryW(ControlPath().c_str())};
    HRESULT Call(const char* name) {
        auto f = reinterpret_cast<EntryPoint>(
            reinterpret_cast<void*>(::GetProcAddress(module.get(), name)));
        return f ? f() : E_NOTIMPL;
    }
};

// The page's client site: its container moniker is the page address.
class PageSite final : public IOleClientSite {
public:
    explicit PageSite(std::wstring url) : url_(std::move(url)) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (riid == IID_IUnknown || riid == IID_IOleClientSite) {
            *ppv = static_cast<IOleClientSite*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override { return --refs_; }
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD which, IMoniker** mk) override {
        if (which != OLEWHICHMK_CONTAINER) return E_FAIL;
        return ::CreateURLMonikerEx(nullptr, url_.c_str(), mk, URL_MK_UNIFORM);
    }
    STDMETHODIMP GetContainer(IOleContainer** c) override {
        *c = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
    ULONG refs_ = 1;

private:
    std::wstring url_;
};

// The host's web port: answers one "GI" with a host information reply.
class WebPort {
public:
    explicit WebPort(std::string reply) : reply_(std::move(reply)) {
        WSADATA wsa;
        ::WSAStartup(MAKEWORD(2, 2), &wsa);
        listener_.reset(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener_.get(), reinterpret_cast<sockaddr*>(&a), sizeof(a));
        int len = sizeof(a);
        ::getsockname(listener_.get(), reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
        ::listen(listener_.get(), 1);
        thread_ = std::thread([this] {
            dvr::win::Socket peer(::accept(listener_.get(), nullptr, nullptr));
            if (!peer) return;
            char buf[16] = {};
            const int n = ::recv(peer.get(), buf, sizeof(buf), 0);
            request_.assign(buf, n > 0 ? n : 0);
            if (request_ == "GI")
                ::send(peer.get(), reply_.data(), static_cast<int>(reply_.size()), 0);
            ::Sleep(500);
        });
    }
    ~WebPort() {
        listener_.reset();
        thread_.join();
        ::WSACleanup();
    }
    int port_ = 0;
    std::string request_;

private:
    std::string reply_;
    dvr::win::Socket listener_;
    std::thread thread_;
};

// The window's pixels as the screen shows them, saved as a 24-bit bitmap file; the pixel
// colours (0x00RRGGBB) come back row by row.
inline std::vector<uint32_t> SaveScreenshot(HWND wnd, const std::string& path, int& width, int& height) {
    RECT r{};
    ::GetWindowRect(wnd, &r);
    width = r.right - r.left;
    height = r.bottom - r.top;
    HDC screen = ::GetDC(nullptr);
    HDC mem = ::CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP dib = ::CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(mem, dib);
    ::BitBlt(mem, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    ::GdiFlush();
    std::vector<uint32_t> pixels(static_cast<const uint32_t*>(bits),
                                 static_cast<const uint32_t*>(bits) + size_t(width) * height);
    ::SelectObject(mem, old);
    ::DeleteObject(dib);
    ::DeleteDC(mem);
    ::ReleaseDC(nullptr, screen);
    for (uint32_t& p : pixels)
        p &= 0xFFFFFF;

    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        const int row = (width * 3 + 3) & ~3;
        BITMAPFILEHEADER fh{};
        fh.bfType = 0x4D42;
        fh.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
        fh.bfSize = fh.bfOffBits + DWORD(row) * height;
        BITMAPINFOHEADER ih{};
        ih.biSize = sizeof(ih);
        ih.biWidth = width;
        ih.biHeight = height;
        ih.biPlanes = 1;
        ih.biBitCount = 24;
        std::fwrite(&fh, sizeof fh, 1, f);
        std::fwrite(&ih, sizeof ih, 1, f);
        std::string line(size_t(row), '\0');
        for (int y = height - 1; y >= 0; --y) {
            for (int x = 0; x < width; ++x) {
                const uint32_t p = pixels[size_t(y) * width + x];
                line[size_t(x) * 3] = char(p & 0xFF);
                line[size_t(x) * 3 + 1] = char((p >> 8) & 0xFF);
                line[size_t(x) * 3 + 2] = char((p >> 16) & 0xFF);
            }
            std::fwrite(line.data(), 1, line.size(), f);
        }
        std::fclose(f);
    }
    return pixels;
}

inline std::string TestOutputPath(const char* name) {
    const char* bin = std::getenv("DVR_BIN_DIR");
    std::string dir = std::string(bin ? bin : ".") + "/../test-output";
    ::CreateDirectoryA(dir.c_str(), nullptr);
    return dir + "/" + name;
}

// The first window below `parent`, at any depth, whose text is `text`.
inline HWND DescendantWithText(HWND parent, const wchar_t* text) {
    struct Find {
        const wchar_t* text;
        HWND found = nullptr;
    } find{text};
    ::EnumChildWindows(
        parent,
        [](HWND w, LPARAM p) -> BOOL {
            auto& f = *reinterpret_cast<Find*>(p);
            wchar_t t[256] = {};
            ::GetWindowTextW(w, t, 256);
            if (std::wstring(t) == f.text) {
                f.found = w;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&find));
    return find.found;
}

// A visible top-level window of this process whose title holds `part`.
inline HWND OwnWindowTitled(const wchar_t* part) {
    struct Find {
        const wchar_t* part;
        HWND found = nullptr;
    } find{part};
    ::EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto& f = *reinterpret_cast<Find*>(p);
            DWORD pid = 0;
            ::GetWindowThreadProcessId(w, &pid);
            wchar_t t[256] = {};
            ::GetWindowTextW(w, t, 256);
            if (pid == ::GetCurrentProcessId() && ::IsWindowVisible(w) &&
                std::wstring(t).find(f.part) != std::wstring::npos) {
                f.found = w;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&find));
    return find.found;
}

inline bool Near(uint32_t rgb, int r, int g, int b, int tolerance = 16) {
    auto d = [](int x, int y) { return x > y ? x - y : y - x; };
    return d(int((rgb >> 16) & 0xFF), r) <= tolerance &&
           d(int((rgb >> 8) & 0xFF), g) <= tolerance && d(int(rgb & 0xFF), b) <= tolerance;
}

class ControlInPage : public ::testing::Test {
protected:
    void SetUp() override {
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VQSIE\\CLIENT");
        ::CoInitialize(nullptr);
        ASSERT_EQ(server_.Call("DllRegisterServer"), S_OK);
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.lpszClassName = L"TestPage";
        ::RegisterClassW(&wc);
        page_ = ::CreateWindowExW(0, L"TestPage", L"page", WS_OVERLAPPEDWINDOW, 0, 0, 1000, 760,
                                  nullptr, nullptr, nullptr, nullptr);
    }
    void TearDown() override {
        ::DestroyWindow(page_);
        server_.Call("DllUnregisterServer");
        ::CoUninitialize();
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VQSIE\\CLIENT");
    }
    // Creates the control on `site` and activates it in place over the shown page, face size;
    // gives its in-place object and face window. Call through ASSERT_NO_FATAL_FAILURE.
    void ActivateOnPage(PageSite& site, IOleObject*& control, IOleInPlaceObject*& inPlace,
                        HWND& face) {
        ASSERT_EQ(::CoCreateInstance(CLSID_VantrelIE_QZ, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IOleObject, reinterpret_cast<void**>(&control)),
                  S_OK);
        ASSERT_EQ(control->SetClientSite(&site), S_OK);
        ::ShowWindow(page_, SW_SHOWNORMAL);
        RECT r{0, 0, kFaceWidth, kFaceHeight};
        ASSERT_EQ(control->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, page_, &r), S_OK);
        ASSERT_EQ(
            control->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace)),
            S_OK);
        ASSERT_EQ(inPlace->GetWindow(&face), S_OK);
    }
    // Runs the page's messages until `done` holds or `ms` have gone.
    template <class F> bool PumpUntil(F done, DWORD ms = 10000) {
        const ULONGLONG end = ::GetTickCount64() + ms;
        while (!done() && ::GetTickCount64() < end) {
            MSG m;
            while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
                ::DispatchMessageW(&m);
            ::Sleep(10);
        }
        return done();
    }
    Server server_;
    HWND page_ = nullptr;
};

} // namespace vantrel::webctl
