// Windows tree: bitmaps are 32-bit top-down DIB sections kept selected in a memory DC.
#include "skin/engine/te_platform.h"

#include "common/win/handles.h"

namespace dvr::skin {

TSurfaceResult CreateSurface(int32_t Width, int32_t Height, TteSurface& Surface) {
    Surface = {};
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = Width;
    info.bmiHeader.biHeight = -Height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    win::Bitmap bmp(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bmp || !bits) return TSurfaceResult::NoBits;
    win::MemoryDc dc(::CreateCompatibleDC(nullptr));
    if (!dc) return TSurfaceResult::NoDC;
    if (!::SelectObject(dc.get(), bmp.get())) return TSurfaceResult::NoSelect;
    Surface.Bits = static_cast<uint32_t*>(bits);
    Surface.DC = dc.release();
    Surface.Handle = bmp.release();
    return TSurfaceResult::Ok;
}

void DestroySurface(TteSurface& Surface) {
    // The DC goes first, so the section is no longer selected when it is deleted.
    win::Bitmap bmp(static_cast<HBITMAP>(Surface.Handle));
    win::MemoryDc dc(static_cast<HDC>(Surface.DC));
    dc.reset();
    Surface = {};
}

fw::TColor SystemColorRGB(int Index) {
    return fw::TColor(::GetSysColor(Index));
}

} // namespace dvr::skin
