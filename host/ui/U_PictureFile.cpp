#include "host/ui/U_PictureFile.h"

#include "common/win/handles.h"
#include "common/win/textconv.h"

#include <commdlg.h>
#include <ole2.h>
#include <olectl.h>

namespace vantrel {

HBITMAP LoadPictureFile(const std::wstring& path) {
    dvr::win::File f(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) return nullptr;
    // The system's picture loader hands out a bitmap of its own: the caller gets a copy.
    HBITMAP copy = nullptr;
    const DWORD size = ::GetFileSize(f.get(), nullptr);
    HGLOBAL mem = size != INVALID_FILE_SIZE && size > 0 && size < (64u << 20)
                      ? ::GlobalAlloc(GMEM_MOVEABLE, size)
                      : nullptr;
    DWORD got = 0;
    void* p = mem ? ::GlobalLock(mem) : nullptr;
    const bool read = p && ::ReadFile(f.get(), p, size, &got, nullptr) && got == size;
    if (p) ::GlobalUnlock(mem);
    IStream* stream = nullptr;
    if (read && SUCCEEDED(::CreateStreamOnHGlobal(mem, TRUE, &stream))) {
        mem = nullptr; // the stream frees it
        IPicture* picture = nullptr;
        if (SUCCEEDED(::OleLoadPicture(stream, LONG(size), FALSE, IID_IPicture,
                                       reinterpret_cast<void**>(&picture)))) {
            OLE_HANDLE handle = 0;
            SHORT type = 0;
            if (SUCCEEDED(picture->get_Type(&type)) && type == PICTYPE_BITMAP &&
                SUCCEEDED(picture->get_Handle(&handle)))
                copy = static_cast<HBITMAP>(::CopyImage(
                    reinterpret_cast<HANDLE>(uintptr_t(handle)), IMAGE_BITMAP, 0, 0, 0));
            picture->Release();
        }
        stream->Release();
    }
    if (mem) ::GlobalFree(mem);
    if (copy) return copy;
    return static_cast<HBITMAP>(::LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0,
                                             LR_LOADFROMFILE | LR_CREATEDIBSECTION));
}

std::string ChoosePictureFile(HWND owner, const std::string& gbkFilter) {
    // "text|pattern" becomes the dialog's "text\0pattern\0\0".
    std::wstring filter = dvr::win::GbkToWide(gbkFilter);
    for (wchar_t& c : filter)
        if (c == L'|') c = L'\0';
    filter.push_back(L'\0');
    filter.push_back(L'\0');
    wchar_t name[MAX_PATH] = {};
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = name;
    ofn.nMaxFile = MAX_PATH;
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    return ::GetOpenFileNameW(&ofn) ? dvr::win::WideToGbk(name) : std::string();
}

} // namespace vantrel
