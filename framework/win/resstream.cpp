#include "framework/win/resstream.h"

#include "common/win/textconv.h"
#include "framework/strutils.h"

namespace dvr::fw {

TResourceStream::TResourceStream(HINSTANCE Instance, const std::string& ResName,
                                 const std::string& ResType) {
    std::wstring name = win::GbkToWide(ResName);
    Initialize(Instance, name.c_str(), ResType, ResName);
}

TResourceStream::TResourceStream(HINSTANCE Instance, int ResID, const std::string& ResType) {
    Initialize(Instance, MAKEINTRESOURCEW(ResID), ResType, "#" + IntToStr(ResID));
}

void TResourceStream::Initialize(HINSTANCE Instance, const wchar_t* Name,
                                 const std::string& ResType, const std::string& Shown) {
    std::wstring type = win::GbkToWide(ResType);
    // A resource stays mapped while its module is loaded; there is nothing to free.
    HRSRC info = ::FindResourceW(Instance, Name, type.c_str());
    HGLOBAL global = info ? ::LoadResource(Instance, info) : nullptr;
    const void* data = global ? ::LockResource(global) : nullptr;
    if (!data) throw EResNotFound("Resource " + Shown + " not found");
    SetPointer(static_cast<const uint8_t*>(data), ::SizeofResource(Instance, info));
}

} // namespace dvr::fw
