#include "skin/engine/te_utils_win.h"

#include "common/win/handles.h"
#include "skin/engine/te_bitmap_win.h"
#include "skin/engine/te_winapi.h"

#include <algorithm>

namespace dvr::skin {
namespace {

COLORREF Rgb(TColor c) {
    return COLORREF(uint32_t(ColorToRGB(c)) & 0x00FFFFFF);
}

void UsePen(HDC DC, TColor c) {
    ::SelectObject(DC, ::GetStockObject(DC_PEN));
    ::SetDCPenColor(DC, Rgb(c));
}
void UseBrush(HDC DC, TColor c) {
    ::SelectObject(DC, ::GetStockObject(DC_BRUSH));
    ::SetDCBrushColor(DC, Rgb(c));
}
void UseClearBrush(HDC DC) {
    ::SelectObject(DC, ::GetStockObject(NULL_BRUSH));
}
RECT Win(TRect r) {
    return RECT{r.Left, r.Top, r.Right, r.Bottom};
}
std::vector<POINT> WinPoints(const std::vector<TPoint>& pts) {
    std::vector<POINT> out;
    out.reserve(pts.size());
    for (const TPoint& p : pts)
        out.push_back(POINT{p.X, p.Y});
    return out;
}

// The 8 x 8 checker: Color2 where x and y are both odd or both even.
win::Brush CheckerBrush(TColor Color1, TColor Color2) {
    TteBitmap pattern;
    pattern.SetSize(8, 8);
    TteColor c1 = ColorToPixel(Color1, 255), c2 = ColorToPixel(Color2, 255);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            pattern.SetPixel(x, y, (x % 2) == (y % 2) ? c2 : c1);
    return win::Brush(::CreatePatternBrush(static_cast<HBITMAP>(pattern.Handle)));
}

} // namespace

void CanvasMoveTo(HDC DC, int X, int Y) {
    ::MoveToEx(DC, X, Y, nullptr);
}

void DrawLineTo(HDC DC, int X, int Y, TColor Color) {
    UsePen(DC, Color);
    ::LineTo(DC, X, Y);
}

void DrawBevelFrame(HDC DC, TRect R, TColor TopLeftColor, TColor BottomRightColor) {
    UseClearBrush(DC);
    UsePen(DC, TopLeftColor);
    ::MoveToEx(DC, R.Left, R.Bottom - 2, nullptr);
    ::LineTo(DC, R.Left, R.Top);
    ::LineTo(DC, R.Right - 1, R.Top);
    UsePen(DC, BottomRightColor);
    ::MoveToEx(DC, R.Right - 1, R.Top, nullptr);
    ::LineTo(DC, R.Right - 1, R.Bottom - 1);
    ::LineTo(DC, R.Left - 1, R.Bottom - 1);
}

void DrawFrameRect(HDC DC, TRect R, TColor Color) {
    UseClearBrush(DC);
    UsePen(DC, Color);
    ::Rectangle(DC, R.Left, R.Top, R.Right, R.Bottom);
}

void DrawFrameRectCoords(HDC DC, int Left, int Top, int Right, int Bottom, TColor Color) {
    DrawFrameRect(DC, TRect{Left, Top, Right, Bottom}, Color);
}

void DrawFocusRectColor(HDC DC, TRect R, TColor Color) {
    UseBrush(DC, Color);
    RECT r = Win(R);
    ::DrawFocusRect(DC, &r);
}

void FillRectColor(HDC DC, TRect R, TColor Color) {
    UseBrush(DC, Color);
    RECT r = Win(R);
    ::FillRect(DC, &r, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
}

void FillRectCoords(HDC DC, int Left, int Top, int Right, int Bottom, TColor Color) {
    FillRectColor(DC, TRect{Left, Top, Right, Bottom}, Color);
}

void DrawRoundRectFrame(HDC DC, TRect R, int Radius, TColor Color) {
    UseClearBrush(DC);
    UsePen(DC, Color);
    ::RoundRect(DC, R.Left, R.Top, R.Right, R.Bottom, Radius, Radius);
}

void FillRoundRectColor(HDC DC, TRect R, int Radius, TColor Color) {
    UseBrush(DC, Color);
    UsePen(DC, Color);
    ::RoundRect(DC, R.Left, R.Top, R.Right, R.Bottom, Radius, Radius);
}

void FillGradientRect(HDC DC, TRect R, TColor StartColor, TColor EndColor, bool Vertical) {
    int w = R.Width(), h = R.Height();
    if (w <= 0 || h <= 0) return;
    int size = Vertical ? h : w;
    int n = std::min(255, size);
    uint32_t s = uint32_t(ColorToRGB(StartColor)), e = uint32_t(ColorToRGB(EndColor));
    double base[3], delta[3];
    for (int c = 0; c < 3; ++c) {
        int sv = int((s >> (8 * c)) & 0xFF), ev = int((e >> (8 * c)) & 0xFF);
        base[c] = sv * 255.0;
        delta[c] = (ev - sv) * 255.0;
    }
    for (int i = 0; i <= n; ++i) {
        int from = MulDiv(i, size, n), to = MulDiv(i + 1, size, n);
        TRect band = Vertical ? TRect{R.Left, R.Top + from, R.Right, R.Top + to}
                              : TRect{R.Left + from, R.Top, R.Left + to, R.Bottom};
        band = IntersectRects(band, R);
        if (!RectHasArea(band)) continue;
        uint32_t rgb = 0;
        for (int c = 0; c < 3; ++c)
            rgb |= uint32_t(std::clamp(RoundEven((i * delta[c] / n + base[c]) / 255), 0, 255))
                   << (8 * c);
        FillRectColor(DC, band, TColor(rgb));
    }
}

void FillCheckerRect(HDC DC, TRect R, TColor Color1, TColor Color2) {
    R.Left = std::max(R.Left, 0);
    R.Top = std::max(R.Top, 0);
    if (R.Width() <= 0 || R.Height() <= 0) return;
    win::Brush brush = CheckerBrush(Color1, Color2);
    RECT r = Win(R);
    ::FillRect(DC, &r, brush.get());
}

void FillCheckerPolygon(HDC DC, const std::vector<TPoint>& Points, TColor Color1, TColor Color2) {
    if (Points.empty()) return;
    win::Brush brush = CheckerBrush(Color1, Color2);
    win::SelectObjectScope useBrush(DC, brush.get());
    win::SelectObjectScope usePen(DC, ::GetStockObject(NULL_PEN));
    auto pts = WinPoints(Points);
    ::Polygon(DC, pts.data(), int(pts.size()));
}

void DrawPolygonFrame(HDC DC, const std::vector<TPoint>& Points, TColor Color) {
    if (Points.empty()) return;
    UseClearBrush(DC);
    UsePen(DC, Color);
    auto pts = WinPoints(Points);
    ::Polygon(DC, pts.data(), int(pts.size()));
}

void FillPolygonColor(HDC DC, const std::vector<TPoint>& Points, TColor Color) {
    if (Points.empty()) return;
    UseBrush(DC, Color);
    UsePen(DC, Color);
    auto pts = WinPoints(Points);
    ::Polygon(DC, pts.data(), int(pts.size()));
}

bool PointInPolygon(TPoint P, const std::vector<TPoint>& Points) {
    if (Points.empty()) return false;
    auto pts = WinPoints(Points);
    win::Region rgn(::CreatePolygonRgn(pts.data(), int(pts.size()), WINDING));
    return rgn && ::PtInRegion(rgn.get(), P.X, P.Y);
}

void DrawIconCenteredDC(HDC DC, TRect R, HICON Icon) {
    if (!Icon) return;
    TRect box{0, 0, 16, 16};
    CenterRect(box, R);
    ::DrawIconEx(DC, box.Left, box.Top, Icon, 0, 0, 0, nullptr, DI_NORMAL);
}

namespace {

// Whether the font mapper gives the symbol font the system's caption glyphs are drawn with.
bool CaptionSymbolFontPresent(HDC DC) {
    win::Font font(::CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, SYMBOL_CHARSET, 0, 0, 0, 0,
                                 L"Marlett"));
    if (!font) return false;
    HGDIOBJ old = ::SelectObject(DC, font.get());
    wchar_t face[LF_FACESIZE] = {};
    ::GetTextFaceW(DC, LF_FACESIZE, face);
    ::SelectObject(DC, old);
    return ::lstrcmpiW(face, L"Marlett") == 0;
}

// The caption glyph of Kind (DFCS_CAPTIONCLOSE ...) in an N x N box at (X, Y), with
// strokes two pixels wide like the symbol font's.
void DrawCaptionGlyph(HDC DC, int X, int Y, int N, UINT Kind, TColor Color) {
    auto fill = [&](int l, int t, int r, int b) {
        FillRectCoords(DC, X + l, Y + t, X + r, Y + b, Color);
    };
    // A window: outline with a two-pixel title bar.
    auto window = [&](int l, int t, int r, int b) {
        fill(l, t, r, t + 2);
        fill(l, t, l + 1, b);
        fill(r - 1, t, r, b);
        fill(l, b - 1, r, b);
    };
    switch (Kind) {
    case DFCS_CAPTIONCLOSE:
        for (int i = 0; i < N - 1; ++i) {
            fill(i, i, i + 2, i + 1);
            fill(N - 2 - i, i, N - i, i + 1);
        }
        break;
    case DFCS_CAPTIONMIN:
        fill(0, N - 2, N - 1, N);
        break;
    case DFCS_CAPTIONMAX:
        window(0, 0, N, N);
        break;
    case DFCS_CAPTIONRESTORE: {
        int s = N - 2; // each window; the back one up and to the right
        fill(2, 0, N, 2);
        fill(N - 1, 0, N, s);
        fill(s, s - 1, N, s);
        window(0, 2, s, N);
        break;
    }
    case DFCS_CAPTIONHELP: {
        RECT r{X, Y, X + N, Y + N};
        ::SetBkMode(DC, TRANSPARENT);
        ::SetTextColor(DC, Rgb(Color));
        ::DrawTextW(DC, L"?", 1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        break;
    }
    default:
        break;
    }
}

} // namespace

void DrawCaptionFrameControl(HDC DC, TRect R, UINT State) {
    RECT r{R.Left, R.Top, R.Right, R.Bottom};
    if (CaptionSymbolFontPresent(DC)) {
        ::DrawFrameControl(DC, &r, DFC_CAPTION, State);
        return;
    }
    // The same push-button face the system puts under the glyph.
    ::DrawFrameControl(DC, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (State & 0xFF00));
    int n = std::max(3, std::min(R.Width(), R.Height()) / 2);
    int x = R.Left + (R.Width() - n) / 2, y = R.Top + (R.Height() - n) / 2;
    if (State & (DFCS_PUSHED | DFCS_CHECKED)) ++x, ++y;
    UINT kind = State & 0xF;
    if (State & DFCS_INACTIVE) {
        DrawCaptionGlyph(DC, x + 1, y + 1, n, kind, fw::clBtnHighlight);
        DrawCaptionGlyph(DC, x, y, n, kind, fw::clBtnShadow);
    } else {
        DrawCaptionGlyph(DC, x, y, n, kind, fw::clBtnText);
    }
}

void DrawFrameControlColored(HDC DC, TRect R, UINT Type, UINT State, TColor Color) {
    if (R.Width() <= 0 || R.Height() <= 0) return;
    TteBitmap glyph;
    glyph.SetSize(R.Width(), R.Height());
    RECT r{0, 0, R.Width(), R.Height()};
    if (Type == DFC_CAPTION)
        DrawCaptionFrameControl(BitmapDC(glyph), TRect{0, 0, R.Width(), R.Height()}, State);
    else
        ::DrawFrameControl(BitmapDC(glyph), &r, Type, State);
    ::GdiFlush();
    TteColor ink = ColorToPixel(Color, 255);
    size_t n = size_t(glyph.Width) * glyph.Height;
    for (size_t i = 0; i < n; ++i)
        glyph.Bits[i] = glyph.Bits[i] == 0 ? ink : KeyColor;
    glyph.Transparent = true;
    Draw(glyph, DC, R.Left, R.Top);
}

void DrawBitmapShadow(HDC DC, int X, int Y, const TteBitmap& Bitmap, TColor Color) {
    if (Bitmap.IsEmpty()) return;
    TteBitmap shadow;
    shadow.Assign(&Bitmap);
    shadow.AlphaBlend = true;
    shadow.SetTransparentColor(KeyColor);
    TteColor ink = ColorToPixel(Color, 100);
    size_t n = size_t(shadow.Width) * shadow.Height;
    for (size_t i = 0; i < n; ++i)
        if (PixelA(shadow.Bits[i]) != 0) shadow.Bits[i] = ink;
    Draw(shadow, DC, X, Y);
}

namespace {
std::string ToAnsi(const std::wstring& s) {
    if (s.empty()) return {};
    int n = ::WideCharToMultiByte(CP_ACP, WC_COMPOSITECHECK, s.data(), int(s.size()), nullptr, 0,
                                  nullptr, nullptr);
    std::string out(size_t(std::max(n, 0)), '\0');
    if (n > 0)
        ::WideCharToMultiByte(CP_ACP, WC_COMPOSITECHECK, s.data(), int(s.size()), out.data(), n,
                              nullptr, nullptr);
    return out;
}
} // namespace

int DrawWideText(HDC DC, const std::wstring& Text, TRect R, UINT Format) {
    ::SetBkMode(DC, TRANSPARENT);
    RECT r = Win(R);
    if (IsWinNT()) {
        // DrawText may write into the text (DT_MODIFYSTRING): give it room of its own.
        std::vector<wchar_t> buf(Text.begin(), Text.end());
        buf.resize(buf.size() + 5, L'\0');
        return ::DrawTextW(DC, buf.data(), int(Text.size()), &r, Format);
    }
    std::string a = ToAnsi(Text);
    std::vector<char> buf(a.begin(), a.end());
    buf.resize(buf.size() + 5, '\0');
    return ::DrawTextA(DC, buf.data(), int(a.size()), &r, Format);
}

int DrawVerticalText(HDC DC, const std::wstring& Text, TRect R, UINT Format, bool Clockwise) {
    int W = R.Width(), H = R.Height();
    if (W <= 0 || H <= 0) return 0;
    TteBitmap b, t;
    b.SetSize(W, H);
    t.SetSize(H, W);
    b.FillRect(TRect{0, 0, W, H}, KeyColor);
    t.FillRect(TRect{0, 0, H, W}, KeyColor);
    int result;
    {
        win::SelectObjectScope font(BitmapDC(t), ::GetCurrentObject(DC, OBJ_FONT));
        result = DrawWideText(BitmapDC(t), Text, TRect{0, 0, H, W}, Format);
        ::GdiFlush();
    }
    for (int y = 0; y < W; ++y)
        for (int x = 0; x < H; ++x) {
            TteColor p = *t.PixelPtr(x, y);
            if (p == KeyColor) continue;
            if (Clockwise)
                b.SetPixel(W - 1 - y, x, p);
            else
                b.SetPixel(y, H - 1 - x, p);
        }
    b.Transparent = true;
    Draw(b, DC, R.Left, R.Top);
    return result;
}

int WideTextWidth(HDC DC, const std::wstring& Text, UINT Format) {
    if (Format == 0) {
        SIZE sz{};
        ::GetTextExtentPoint32W(DC, Text.c_str(), int(Text.size()), &sz);
        return sz.cx;
    }
    std::string a = ToAnsi(Text);
    RECT r{0, 0, 0, 0};
    ::DrawTextA(DC, a.c_str(), int(a.size()), &r, Format | DT_CALCRECT);
    return r.right;
}

int WideTextHeight(HDC DC, const std::wstring& Text) {
    SIZE sz{};
    ::GetTextExtentPoint32W(DC, Text.c_str(), int(Text.size()), &sz);
    return sz.cy;
}

void FitTextWithEllipsis(HDC DC, const std::wstring& Text, int MaxWidth, std::wstring& Result) {
    auto width = [&](const std::wstring& s) {
        SIZE sz{};
        ::GetTextExtentPoint32W(DC, s.c_str(), int(s.size()), &sz);
        return int(sz.cx);
    };
    if (width(Text) <= MaxWidth) {
        Result = Text;
        return;
    }
    Result.clear();
    for (wchar_t ch : Text) {
        if (width(Result + ch + L"...") > MaxWidth) break;
        Result += ch;
    }
    Result += L"...";
}

HRGN CreateRegionFromBitmap(const TteBitmap& Bitmap, int X, int Y) {
    std::vector<uint8_t> data = CreateRegionData(Bitmap, X, Y);
    if (data.empty()) return nullptr;
    return ::ExtCreateRegion(nullptr, DWORD(data.size()),
                             reinterpret_cast<const RGNDATA*>(data.data()));
}

int GetKeyboardDelayMs() {
    int v = 0;
    ::SystemParametersInfoW(SPI_GETKEYBOARDDELAY, 0, &v, 0);
    return KeyboardDelayMsFor(v);
}

int GetKeyboardRepeatMs() {
    DWORD v = 0;
    ::SystemParametersInfoW(SPI_GETKEYBOARDSPEED, 0, &v, 0);
    return KeyboardRepeatMsFor(int(v));
}

namespace {
HWND captureWindow = nullptr;
int captureCount = 0;
} // namespace

void BeginMouseCapture(HWND Wnd) {
    if (captureCount == 0) {
        captureWindow = Wnd;
        ::SetCapture(Wnd);
    }
    ++captureCount;
}

void EndMouseCapture() {
    if (captureCount <= 0) return;
    if (--captureCount == 0) {
        if (::GetCapture() == captureWindow) ::ReleaseCapture();
        captureWindow = nullptr;
    }
}

HWND CaptureWindow() {
    return captureWindow;
}

} // namespace dvr::skin
