// RAII owners for Win32 handles: the one place where handles are closed.
#ifndef DVR_COMMON_WIN_HANDLES_H
#define DVR_COMMON_WIN_HANDLES_H

#include <winsock2.h>
#include <windows.h>
#include <unknwn.h>

#include <utility>

namespace dvr::win {

// A move-only owner of a handle-like value with a close function.
template <typename T, typename Traits>
class UniqueResource {
public:
    UniqueResource() = default;
    explicit UniqueResource(T v) : value_(v) {}
    ~UniqueResource() { reset(); }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& o) noexcept : value_(o.release()) {}
    UniqueResource& operator=(UniqueResource&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }

    T get() const { return value_; }
    explicit operator bool() const { return Traits::Valid(value_); }
    T release() { return std::exchange(value_, Traits::Invalid()); }
    void reset(T v = Traits::Invalid()) {
        T old = std::exchange(value_, v);
        if (Traits::Valid(old)) Traits::Close(old);
    }
    // For APIs that return the handle through an out parameter.
    T* put() {
        reset();
        return &value_;
    }

private:
    T value_ = Traits::Invalid();
};

// Kernel objects whose "none" is NULL: events, mutexes, semaphores, threads, file mappings.
struct KernelHandleTraits {
    static HANDLE Invalid() { return nullptr; }
    static bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { ::CloseHandle(h); }
};
using Handle = UniqueResource<HANDLE, KernelHandleTraits>;
using Event = Handle;
using Mutex = Handle;
using Thread = Handle;

// Files: CreateFile reports failure as INVALID_HANDLE_VALUE.
struct FileHandleTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { ::CloseHandle(h); }
};
using File = UniqueResource<HANDLE, FileHandleTraits>;

struct FindHandleTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { ::FindClose(h); }
};
using FindHandle = UniqueResource<HANDLE, FindHandleTraits>;

struct RegKeyTraits {
    static HKEY Invalid() { return nullptr; }
    static bool Valid(HKEY h) { return h != nullptr; }
    static void Close(HKEY h) { ::RegCloseKey(h); }
};
using RegKey = UniqueResource<HKEY, RegKeyTraits>;

struct SocketTraits {
    static SOCKET Invalid() { return INVALID_SOCKET; }
    static bool Valid(SOCKET s) { return s != INVALID_SOCKET; }
    static void Close(SOCKET s) { ::closesocket(s); }
};
using Socket = UniqueResource<SOCKET, SocketTraits>;

struct ModuleTraits {
    static HMODULE Invalid() { return nullptr; }
    static bool Valid(HMODULE h) { return h != nullptr; }
    static void Close(HMODULE h) { ::FreeLibrary(h); }
};
using Module = UniqueResource<HMODULE, ModuleTraits>;

struct MappedViewTraits {
    static void* Invalid() { return nullptr; }
    static bool Valid(void* p) { return p != nullptr; }
    static void Close(void* p) { ::UnmapViewOfFile(p); }
};
using MappedView = UniqueResource<void*, MappedViewTraits>;

// GDI objects: pens, brushes, fonts, bitmaps, regions.
template <typename H>
struct GdiObjectTraits {
    static H Invalid() { return nullptr; }
    static bool Valid(H h) { return h != nullptr; }
    static void Close(H h) { ::DeleteObject(h); }
};
template <typename H>
using GdiObject = UniqueResource<H, GdiObjectTraits<H>>;
using Bitmap = GdiObject<HBITMAP>;
using Brush = GdiObject<HBRUSH>;
using Pen = GdiObject<HPEN>;
using Font = GdiObject<HFONT>;
using Region = GdiObject<HRGN>;

// A memory DC from CreateCompatibleDC.
struct MemoryDcTraits {
    static HDC Invalid() { return nullptr; }
    static bool Valid(HDC h) { return h != nullptr; }
    static void Close(HDC h) { ::DeleteDC(h); }
};
using MemoryDc = UniqueResource<HDC, MemoryDcTraits>;

// A window DC from GetDC, released to its window.
class WindowDc {
public:
    explicit WindowDc(HWND wnd) : wnd_(wnd), dc_(::GetDC(wnd)) {}
    ~WindowDc() {
        if (dc_) ::ReleaseDC(wnd_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }

private:
    HWND wnd_;
    HDC dc_;
};

// Selects a GDI object into a DC for a scope.
class SelectObjectScope {
public:
    SelectObjectScope(HDC dc, HGDIOBJ obj) : dc_(dc), old_(::SelectObject(dc, obj)) {}
    ~SelectObjectScope() {
        if (old_) ::SelectObject(dc_, old_);
    }
    SelectObjectScope(const SelectObjectScope&) = delete;
    SelectObjectScope& operator=(const SelectObjectScope&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// COM and DirectX interfaces.
template <typename I>
class ComPtr {
public:
    ComPtr() = default;
    explicit ComPtr(I* p) : p_(p) {}
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr& o) : p_(o.p_) {
        if (p_) p_->AddRef();
    }
    ComPtr& operator=(const ComPtr& o) {
        if (o.p_) o.p_->AddRef();
        reset(o.p_);
        return *this;
    }
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& o) noexcept {
        if (this != &o) reset(std::exchange(o.p_, nullptr));
        return *this;
    }
    I* get() const { return p_; }
    I* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    I** put() {
        reset();
        return &p_;
    }
    void reset(I* p = nullptr) {
        I* old = std::exchange(p_, p);
        if (old) old->Release();
    }
    I* release() { return std::exchange(p_, nullptr); }

private:
    I* p_ = nullptr;
};

// Holds a Win32 critical section for a scope.
class CriticalSection {
public:
    CriticalSection() { ::InitializeCriticalSection(&cs_); }
    ~CriticalSection() { ::DeleteCriticalSection(&cs_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;
    void Enter() { ::EnterCriticalSection(&cs_); }
    void Leave() { ::LeaveCriticalSection(&cs_); }
    void lock() { Enter(); }
    void unlock() { Leave(); }
    bool try_lock() { return ::TryEnterCriticalSection(&cs_) != 0; }

private:
    CRITICAL_SECTION cs_;
};

} // namespace dvr::win

#endif // DVR_COMMON_WIN_HANDLES_H

// Owners of handle kinds from optional headers: each is offered once its header was included
// before this one, however often and in whatever order a unit (or a unity batch) includes it.
#if defined(_INC_VFW) && !defined(DVR_COMMON_WIN_HANDLES_VFW)
#define DVR_COMMON_WIN_HANDLES_VFW
namespace dvr::win {
// DrawDib contexts; only for units that include vfw.h first (and link msvfw32).
struct DrawDibTraits {
    static HDRAWDIB Invalid() { return nullptr; }
    static bool Valid(HDRAWDIB h) { return h != nullptr; }
    static void Close(HDRAWDIB h) { ::DrawDibClose(h); }
};
using DrawDib = UniqueResource<HDRAWDIB, DrawDibTraits>;
} // namespace dvr::win
#endif

#if defined(_ICMP_INCLUDED_) && !defined(DVR_COMMON_WIN_HANDLES_ICMP)
#define DVR_COMMON_WIN_HANDLES_ICMP
namespace dvr::win {
// ICMP echo handles from IcmpCreateFile; only for units that include icmpapi.h first (and
// link iphlpapi).
struct IcmpHandleTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { ::IcmpCloseHandle(h); }
};
using IcmpHandle = UniqueResource<HANDLE, IcmpHandleTraits>;
} // namespace dvr::win
#endif
