// The in-process server: class factory, unloading and self-registration of the control class
// and its type library.
#include "common/win/handles.h"
#include "webctl/VantrelIE_QZImpl.h"

#include <olectl.h>

#include <new>
#include <string>

using namespace vantrel::webctl;

namespace {

class TActiveFormFactory final : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IClassFactory) {
            *ppv = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    // The factory is static; it counts only as a server lock while handed out.
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++g_ServerRefs); }
    STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--g_ServerRefs); }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        auto* control = new (std::nothrow) TActiveFormControl();
        if (!control) return E_OUTOFMEMORY;
        const HRESULT hr = control->QueryInterface(riid, ppv);
        control->Release();
        return hr;
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock)
            ++g_ServerRefs;
        else
            --g_ServerRefs;
        return S_OK;
    }
};

TActiveFormFactory g_Factory;

std::wstring ModulePath() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(g_Module, path, MAX_PATH);
    return path;
}

bool SetKey(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    dvr::win::RegKey k;
    if (::RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_WRITE, nullptr, k.put(), nullptr) != ERROR_SUCCESS)
        return false;
    return ::RegSetValueExW(k.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) ==
           ERROR_SUCCESS;
}

} // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_Module = instance;
        ::DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (clsid != CLSID_VantrelIE_QZ) return CLASS_E_CLASSNOTAVAILABLE;
    return g_Factory.QueryInterface(riid, ppv);
}

HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return g_ServerRefs == 0 ? S_OK : S_FALSE;
}

HRESULT STDAPICALLTYPE DllRegisterServer() {
    const std::wstring path = ModulePath();
    const std::wstring cls = std::wstring(L"CLSID\\") + kClsidText;
    // OLEMISC_SIMPLEFRAME | OLEMISC_ACTSLIKELABEL
    const bool ok = SetKey(cls, nullptr, L"VantrelIE_QZ Control") &&
                    SetKey(cls + L"\\InprocServer32", nullptr, path) &&
                    SetKey(cls + L"\\InprocServer32", L"ThreadingModel", L"Apartment") &&
                    SetKey(cls + L"\\ProgID", nullptr, kProgId) &&
                    SetKey(cls + L"\\Control", nullptr, L"") &&
                    SetKey(cls + L"\\ToolboxBitmap32", nullptr, path + L",1") &&
                    SetKey(cls + L"\\MiscStatus", nullptr, L"0") &&
                    SetKey(cls + L"\\MiscStatus\\1", nullptr, L"73728") &&
                    SetKey(cls + L"\\TypeLib", nullptr, kLibIdText) &&
                    SetKey(cls + L"\\Version", nullptr, L"1.0") &&
                    SetKey(kProgId, nullptr, L"VantrelIE_QZ Control") &&
                    SetKey(std::wstring(kProgId) + L"\\CLSID", nullptr, kClsidText);
    if (!ok) return SELFREG_E_CLASS;
    ITypeLib* lib = nullptr;
    HRESULT hr = ::LoadTypeLibEx(path.c_str(), REGKIND_REGISTER, &lib);
    if (FAILED(hr)) return SELFREG_E_TYPELIB;
    lib->Release();
    return S_OK;
}

HRESULT STDAPICALLTYPE DllUnregisterServer() {
    ::UnRegisterTypeLib(LIBID_Vantrel_IE_QZ, 1, 0, 0x409, SYS_WIN64);
    ::RegDeleteTreeW(HKEY_CLASSES_ROOT, (std::wstring(L"CLSID\\") + kClsidText).c_str());
    ::RegDeleteTreeW(HKEY_CLASSES_ROOT, kProgId);
    return S_OK;
}

} // extern "C"
