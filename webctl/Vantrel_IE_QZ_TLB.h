// Identities and the dual interface of the control's type library (Vantrel_IE_QZ.idl).
#pragma once

#include <windows.h>
#include <oaidl.h>

namespace vantrel::webctl {

// {02479752-2140-4503-A2C1-35BCDCBC59BA}
inline constexpr GUID LIBID_Vantrel_IE_QZ = {
    0x02479752, 0x2140, 0x4503, {0xA2, 0xC1, 0x35, 0xBC, 0xDC, 0xBC, 0x59, 0xBA}};
// {BA246823-F845-43DB-851A-68DF9F2CFEE5}
inline constexpr GUID CLSID_VantrelIE_QZ = {
    0xBA246823, 0xF845, 0x43DB, {0x85, 0x1A, 0x68, 0xDF, 0x9F, 0x2C, 0xFE, 0xE5}};
// {25185C30-2903-4C9F-A1C3-02F219B3FE90}
inline constexpr GUID IID_IVantrelIE_QZ = {
    0x25185C30, 0x2903, 0x4C9F, {0xA1, 0xC3, 0x02, 0xF2, 0x19, 0xB3, 0xFE, 0x90}};
// {D26B7BD5-BDC2-47C5-B1ED-8578179D17DD}
inline constexpr GUID DIID_IVantrelIE_QZEvents = {
    0xD26B7BD5, 0xBDC2, 0x47C5, {0xB1, 0xED, 0x85, 0x78, 0x17, 0x9D, 0x17, 0xDD}};

inline constexpr wchar_t kClsidText[] = L"{BA246823-F845-43DB-851A-68DF9F2CFEE5}";
inline constexpr wchar_t kLibIdText[] = L"{02479752-2140-4503-A2C1-35BCDCBC59BA}";
inline constexpr wchar_t kProgId[] = L"Vantrel_IE_QZ.VantrelIE_QZ";

// The vtable in the order of the type library; the type library's Invoke calls through it.
struct IVantrelIE_QZ : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_Visible(VARIANT_BOOL* v) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Visible(VARIANT_BOOL v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AutoScroll(VARIANT_BOOL* v) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_AutoScroll(VARIANT_BOOL v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AutoSize(VARIANT_BOOL* v) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_AutoSize(VARIANT_BOOL v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AxBorderStyle(long* v) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_AxBorderStyle(long v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Caption(BSTR* v) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Caption(BSTR v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Color(ULONG* v) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Color(ULONG v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Font(IDispatch** v) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Font(IDispatch* v) = 0;
    virtual HRESULT STDMETHODCALLTYPE putref_Font(IDispatch** v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_KeyPreview(VARIANT_BOOL* v) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_KeyPreview(VARIANT_BOOL v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_PixelsPerInch(long* v) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_PixelsPerInch(long v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_PrintScale(long* v) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_PrintScale(long v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Scaled(VARIANT_BOOL* v) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Scaled(VARIANT_BOOL v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Active(VARIANT_BOOL* v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DropTarget(VARIANT_BOOL* v) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_DropTarget(VARIANT_BOOL v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_HelpFile(BSTR* v) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_HelpFile(BSTR v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DoubleBuffered(VARIANT_BOOL* v) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_DoubleBuffered(VARIANT_BOOL v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AlignDisabled(VARIANT_BOOL* v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_VisibleDockClientCount(long* v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Enabled(VARIANT_BOOL* v) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Enabled(VARIANT_BOOL v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Cursor(short* v) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Cursor(short v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_HelpType(long* v) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_HelpType(long v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_HelpKeyword(BSTR* v) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_HelpKeyword(BSTR v) = 0;
};

} // namespace vantrel::webctl
