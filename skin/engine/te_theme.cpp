#include "skin/engine/te_theme.h"

#include "common/win/textconv.h"
#include "framework/exceptions.h"
#include "framework/strutils.h"
#include "framework/ui/stdctrls.h"
#include "skin/engine/te_canvas_win.h"
#include "skin/engine/te_pixels.h"
#include "skin/engine/te_utils.h"
#include "skin/engine/te_utils_win.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace dvr::skin {

namespace {

TColor Shifted(TColor c, int delta) {
    return PixelToColor(ShiftRGB(ColorToPixel(c, 255), delta));
}

void FillFrame(TCanvas& c, TRect r, TColor fill, TColor frame) {
    FillRectColor(c, r, fill);
    DrawFrameRect(c, r, frame);
}

TRect Inset(TRect r, int dx, int dy) {
    return TRect{r.Left + dx, r.Top + dy, r.Right - dx, r.Bottom - dy};
}

bool Contains(TRect r, int x, int y) {
    return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
}

void DrawBitmapAt(TCanvas& c, TteBitmap* b, int x, int y) {
    if (b && !b->IsEmpty()) DrawCanvas(*b, c, x, y);
}

void DrawBitmapCentered(TCanvas& c, TteBitmap* b, TRect r) {
    if (!b || b->IsEmpty()) return;
    TRect g{0, 0, b->Width, b->Height};
    CenterRect(g, r);
    DrawCanvas(*b, c, g.Left, g.Top);
}

// The check mark of the base look: two polylines of a fixed 12-point shape around (x, y).
void DrawBaseCheckMark(TCanvas& c, int x, int y, TColor color) {
    static const int pts[12][2] = {{-2, -2}, {0, 0},   {4, -4},  {4, -3}, {0, 1},  {-2, -1},
                                   {-2, -2}, {-3, -2}, {-3, -1}, {0, 2},  {5, -3}, {5, -5}};
    c.Pen()->SetStyle(fw::TPenStyle::psSolid);
    c.Pen()->SetColor(color);
    std::vector<TPoint> a, b;
    for (int i = 0; i < 7; ++i)
        a.push_back(TPoint{x + pts[i][0], y + pts[i][1]});
    for (int i = 7; i < 12; ++i)
        b.push_back(TPoint{x + pts[i][0], y + pts[i][1]});
    c.Polyline(a);
    c.Polyline(b);
}

} // namespace

// ===================================================================== TteTheme

TteTheme::TteTheme()
    : Colors(std::make_unique<TteThemeColors>(this)),
      Fonts(std::make_unique<TteThemeFonts>(
          this, [this](TteFont& Font, int Index, const std::string& ThemeObject) {
              GetStyleFont(Font, Index, ThemeObject);
          })) {
    UpdateColorsAndFonts();
}

TteTheme::~TteTheme() = default;

void TteTheme::Assign(const fw::TPersistent* Source) {
    if (auto* t = dynamic_cast<const TteTheme*>(Source)) {
        Title = t->Title;
        return;
    }
    fw::TPersistent::Assign(Source);
}

void TteTheme::SetDefaultColors() {
    Colors->SetColor(ktcCaptionNormal, 0xFF0000);
    Colors->SetColor(ktcCaptionInactive, 0xC0C0C0);
    Colors->SetColor(ktcWindowBorder, 0x808080);
    Colors->SetColor(ktcWindow, 0xC0C0C0);
    for (int i = ktcButtonNormal; i <= ktcButtonDisabled; ++i)
        Colors->SetColor(i, 0xC0C0C0);
    Colors->SetColor(ktcList, 0xFF0000);
    Colors->SetColor(ktcTree, 0xFF0000);
    Colors->SetColor(ktcGrid, 0xFF0000);
    ApplyThemeShifts(*Colors, DeltaHue, DeltaBrightness);
}

void TteTheme::SetDefaultFonts() {
    const TFontStyles bold = TFontStyles{TFontStyle::fsBold};
    auto set = [&](int i, const char* name, int size, TColor color, TFontStyles style) {
        SetFontAttributes(*Fonts->GetFont(i), name, size, style, color);
    };
    set(ktfCaptionTextNormal, "Tahoma", 10, 0xFFFFFF, bold);
    set(ktfCaptionTextInactive, "Tahoma", 10, 0xC0C0C0, bold);
    set(ktfSmCaptionTextNormal, "Tahoma", 8, 0xFFFFFF, bold);
    set(ktfSmCaptionTextInactive, "Tahoma", 8, 0xC0C0C0, bold);
    for (int i = ktfButtonTextNormal; i <= ktfWindowTextDisabled; ++i)
        set(i, "Tahoma", 8, 0x000000, {});
    Fonts->GetFont(ktfButtonTextHot)->Color = 0x0000FF;
    Fonts->GetFont(ktfButtonTextFocused)->Style = bold;
    Fonts->GetFont(ktfCheckBoxTextFocused)->Style = bold;
    Fonts->GetFont(ktfRadioButtonTextFocused)->Style = TFontStyles{TFontStyle::fsItalic};
    set(ktfEditBoxTextNormal, "Times New Roman", 10, 0x00FFFF, {});
    set(ktfEditBoxTextFocused, "Times New Roman", 10, 0xFFFFFF, {});
    set(ktfEditBoxTextHot, "Times New Roman", 10, 0x0000FF, {});
    set(ktfEditBoxTextDisabled, "Times New Roman", 10, 0xC0C0C0, {});
    set(ktfEditBoxTextSelected, "Times New Roman", 10, 0xFF0000, {});
    set(ktfMenuItemTextDisabled, "Tahoma", 8, 0x808080, {});
    set(ktfToolItemTextDisabled, "Tahoma", 8, 0x808080, {});
    set(ktfPopupMenuItemTextDisabled, "Tahoma", 8, 0x808080, {});
    set(ktfHeaderSectionTextHot, "Times New Roman", 10, 0x0000FF, {});
    ApplyThemeShifts(*Fonts, DeltaHue, DeltaBrightness);
}

void TteTheme::GetStyleFont(TteFont& Font, int Index, const TObj&) {
    if (TteFont* f = Fonts->GetFont(Index)) Font.Assign(f);
}

bool TteTheme::LoadFromStream(fw::TStream&) {
    return false;
}
bool TteTheme::SaveToStream(fw::TStream&) {
    return false;
}
bool TteTheme::LoadFromFile(const std::string&) {
    return false;
}
bool TteTheme::SaveToFile(const std::string&) {
    return false;
}

void TteTheme::UpdateColorsAndFonts() {
    SetDefaultColors();
    SetDefaultFonts();
}

void TteTheme::UseFont(TCanvas& Canvas, int Index) {
    if (TteFont* f = Fonts->GetFont(Index)) FontToTFont(*f, *Canvas.Font());
}

void TteTheme::PaintText(TCanvas& Canvas, const TteTextInfo& TextInfo) {
    uint8_t pos = 0;
    UINT format = TextFormatOf(TextInfo, pos);
    const TRect& R = TextInfo.Rect;
    // The text goes over whatever is behind it.
    int oldMode = ::SetBkMode(Canvas.Handle(), TRANSPARENT);
    if (TextInfo.Direction == 1 || TextInfo.Direction == 2) {
        bool clockwise = TextInfo.Direction == 1;
        if (pos == 0) {
            DrawVerticalText(Canvas, TextInfo.Text, R, format, clockwise);
        } else if (pos == 4) {
            RECT calc{R.Left, R.Top, R.Right, R.Bottom};
            ::DrawTextW(Canvas.Handle(), TextInfo.Text.c_str(), int(TextInfo.Text.size()), &calc,
                        format | kDT_CALCRECT);
            int w = calc.bottom - calc.top, h = calc.right - calc.left;
            TRect t = AlignTextRect(R, w, h, 4);
            t.Top -= 2;
            t.Bottom += 2;
            DrawVerticalText(Canvas, TextInfo.Text, t, format, clockwise);
        }
    } else if (pos == 0) {
        DrawWideText(Canvas, TextInfo.Text, R, format);
    } else {
        RECT calc{R.Left, R.Top, R.Right, R.Bottom};
        ::DrawTextW(Canvas.Handle(), TextInfo.Text.c_str(), int(TextInfo.Text.size()), &calc,
                    format | kDT_CALCRECT);
        TRect t = AlignTextRect(R, calc.right - calc.left, calc.bottom - calc.top, pos);
        DrawWideText(Canvas, TextInfo.Text, t, format);
    }
    ::SetBkMode(Canvas.Handle(), oldMode);
}

// ---- Form ----

bool TteTheme::HasFormStyle(int, const TObj&) {
    return false;
}

HRGN TteTheme::GetFormRegion(int, const TteWindowInfo&, const TObj&) {
    return nullptr;
}

int TteTheme::FormHitTest(int Kind, const TteWindowInfo& Info, const TObj& ThemeObject, int X,
                          int Y) {
    if (Kind == 3 || Kind > 4) return 0;
    const TRect& W = Info.Rect;
    TRect CR;
    GetFormContentRect(Kind, Info, CR, "default");
    int code = 0;
    bool left = Contains(TRect{W.Left, W.Top, CR.Left, W.Bottom}, X, Y);
    bool top = Contains(TRect{W.Left, W.Top, W.Right, CR.Top}, X, Y);
    bool right = Contains(TRect{CR.Right, W.Top, W.Right, W.Bottom}, X, Y);
    bool bottom = Contains(TRect{W.Left, CR.Bottom, W.Right, W.Bottom}, X, Y);
    if (left) code = 2;
    if (top) code = 3;
    if (right) code = 4;
    if (bottom) code = 5;
    if (left && top) code = 7;
    if (right && top) code = 8;
    if (left && bottom) code = 9;
    if (right && bottom) code = 10;
    TRect cap;
    GetFormCaptionRect(Kind, Info, cap, ThemeObject);
    if (Contains(cap, X, Y)) code = 1;
    static const int codes[13] = {17, 11, 12, 13, 13, 14, 14, 15, 15, 16, 0, 0, 0};
    for (int b = 0; b <= 12; ++b) {
        TRect r;
        GetFormButtonRect(Kind, Info, r, ThemeObject, b);
        if (Contains(r, X, Y)) return codes[b];
    }
    return code;
}

void TteTheme::GetFormContentRect(int, const TteWindowInfo& Info, TRect& Rect, const TObj&) {
    const TRect& W = Info.Rect;
    Rect = TRect{W.Left + 4, W.Top + 22, W.Right - 4, W.Bottom - 4};
}

void TteTheme::PaintFormBorder(int Kind, TCanvas& Canvas, const TObj&, const TteWindowInfo& Info) {
    TRect R = Info.Rect;
    TRect CR;
    GetFormContentRect(Kind, Info, CR, "default");
    DrawFrameRect(Canvas, R, 0x000000);
    R = Inset(R, 1, 1);
    TColor bn = Color(ktcButtonNormal);
    DrawBevelFrame(Canvas, R, Shifted(bn, 100), Shifted(bn, -100));
    R = Inset(R, 1, 1);
    TColor border = Color(ktcWindowBorder);
    FillRectCoords(Canvas, R.Left, R.Top, R.Right, CR.Top, border);
    FillRectCoords(Canvas, R.Left, R.Top, CR.Left, R.Bottom, border);
    FillRectCoords(Canvas, R.Left, CR.Bottom, R.Right, R.Bottom, border);
    FillRectCoords(Canvas, CR.Right, R.Top, R.Right, R.Bottom, border);
    FillRectCoords(Canvas, CR.Left, 3, CR.Right, CR.Top,
                   Color(Info.Active ? ktcCaptionNormal : ktcCaptionInactive));
}

void TteTheme::PaintFormClient(int, TCanvas& Canvas, const TObj&, TRect Rect,
                               const TteWindowInfo&) {
    FillRectColor(Canvas, Rect, Color(ktcWindow));
}

void TteTheme::GetFormCaptionRect(int Kind, const TteWindowInfo& Info, TRect& Rect,
                                  const TObj& ThemeObject) {
    TRect CR;
    GetFormContentRect(Kind, Info, CR, ThemeObject);
    Rect = TRect{CR.Left, 3, CR.Right, CR.Top};
}

void TteTheme::PaintFormCaption(int, TCanvas& Canvas, const TObj&, TRect Rect,
                                const TteWindowInfo& Info) {
    UseFont(Canvas, Info.Active ? ktfCaptionTextNormal : ktfCaptionTextInactive);
    PaintText(Canvas, MakeTextInfo(Rect, Info.Caption, 37));
}

void TteTheme::GetFormButtonRect(int Kind, const TteWindowInfo& Info, TRect& Rect,
                                 const TObj& ThemeObject, int Button) {
    TRect CR;
    GetFormContentRect(Kind, Info, CR, ThemeObject);
    const TRect S{CR.Right - 23, 4, CR.Right - 1, CR.Top - 1};
    auto has = [&](int bit) { return (Info.Buttons >> bit) & 1; };
    bool close = has(1), max = has(5) || has(6), min = has(3) || has(4), roll = has(7) || has(8),
         tray = has(9);
    auto moved = [&](int n) { return TRect{S.Left - 22 * n, S.Top, S.Right - 22 * n, S.Bottom}; };
    Rect = S;
    switch (Button) {
    case 0:
        if (has(0)) Rect = TRect{CR.Left, 4, CR.Left + 22, CR.Top - 1};
        break;
    case 5:
    case 6:
        if (max) Rect = moved(close);
        break;
    case 3:
    case 4:
        if (min) Rect = moved(close + max);
        break;
    case 7:
    case 8:
        if (roll) Rect = moved(close + max + min);
        break;
    case 9:
        if (tray) Rect = moved(close + max + min + roll);
        break;
    case 2:
        if (has(2)) Rect = moved(close + max + min + roll + tray);
        break;
    default:
        break;
    }
}

void TteTheme::PaintFormButton(int, TCanvas& Canvas, const TObj&, const TteFormButtonInfo& Button,
                               const TteWindowInfo&) {
    TRect R = Button.Rect;
    if (RectIsEmpty(R)) return;
    TColor K = Color(Button.State == 1 ? ktcButtonHot : ktcButtonNormal);
    if (Button.Kind != 0) {
        FillRectColor(Canvas, R, K);
        if (Button.State == 2)
            DrawBevelFrame(Canvas, R, Shifted(K, -100), Shifted(K, 100));
        else
            DrawBevelFrame(Canvas, R, Shifted(K, 100), Shifted(K, -100));
    }
    UINT pushed = Button.State == 2 ? DFCS_PUSHED : 0;
    switch (Button.Kind) {
    case 0:
        DrawBitmapCentered(Canvas, Button.Bitmap, R);
        break;
    case 1:
        DrawFrameControlColored(Canvas.Handle(), R, DFC_CAPTION, DFCS_CAPTIONCLOSE | pushed, 0);
        break;
    case 2:
        DrawFrameControlColored(Canvas.Handle(), R, DFC_CAPTION, DFCS_CAPTIONHELP | pushed, 0);
        break;
    case 3:
        DrawFrameControlColored(Canvas.Handle(), R, DFC_CAPTION, DFCS_CAPTIONMIN | pushed, 0);
        break;
    case 4:
    case 6:
        DrawFrameControlColored(Canvas.Handle(), R, DFC_CAPTION, DFCS_CAPTIONRESTORE | pushed, 0);
        break;
    case 5:
        DrawFrameControlColored(Canvas.Handle(), R, DFC_CAPTION, DFCS_CAPTIONMAX | pushed, 0);
        break;
    case 7:
    case 8: {
        TRect t = Inset(R, 4, 5);
        if (Button.State == 2) {
            t.Left -= 1, t.Right -= 1, t.Top -= 1, t.Bottom -= 1;
        }
        int mid = (t.Left + t.Right) / 2;
        std::vector<TPoint> p =
            Button.Kind == 7
                ? std::vector<TPoint>{{t.Left, t.Bottom}, {t.Right, t.Bottom}, {mid, t.Top}}
                : std::vector<TPoint>{{t.Left, t.Top}, {t.Right, t.Top}, {mid, t.Bottom}};
        FillPolygonColor(Canvas, p, 0);
        break;
    }
    case 9: {
        TRect t = Inset(R, 3, 3);
        t.Top = t.Bottom - 3;
        t.Left = t.Right - 3;
        if (Button.State != 2) t = TRect{t.Left + 1, t.Top + 1, t.Right + 1, t.Bottom + 1};
        FillRectColor(Canvas, t, 0);
        break;
    }
    default:
        break;
    }
}

void TteTheme::PaintFormSizeGrip(int, TCanvas& Canvas, const TObj&, const TteRectStateInfo& Grip,
                                 const TteWindowInfo&) {
    FillRectColor(Canvas, Grip.Rect, Color(ktcWindowBorder));
    if (!Grip.State) return;
    TRect R = Inset(Grip.Rect, 4, 4);
    R = TRect{R.Left + 3, R.Top + 3, R.Right + 3, R.Bottom + 3};
    std::vector<TPoint> band{
        {R.Right, R.Top - 4}, {R.Right, R.Top}, {R.Left, R.Bottom}, {R.Left - 4, R.Bottom}};
    std::vector<TPoint> tri{{R.Right, R.Top + 3}, {R.Right, R.Bottom}, {R.Left + 3, R.Bottom}};
    for (auto* p : {&band, &tri}) {
        Canvas.Brush()->SetStyle(fw::TBrushStyle::bsSolid);
        Canvas.Brush()->SetColor(0x808080);
        Canvas.Pen()->SetStyle(fw::TPenStyle::psSolid);
        Canvas.Pen()->SetColor(0x000000);
        Canvas.Polygon(*p);
    }
}

// ---- Hint ----

bool TteTheme::HasHintStyle(int, const TObj&) {
    return false;
}
void TteTheme::GetHintContentRect(int, TRect Rect, TRect& Content, const TObj&) {
    Content = Inset(Rect, 10, 13);
}
void TteTheme::PaintHint(int, TCanvas& Canvas, const TObj&, TRect Rect) {
    FillFrame(Canvas, Rect, 0x00FFFF, 0x0000FF);
}

// ---- StaticText ----

bool TteTheme::HasStaticTextStyle(int, const TObj&) {
    return false;
}
bool TteTheme::IsStaticTextTransparent(int, const TObj&) {
    return true;
}
void TteTheme::PaintStaticText(int, TCanvas& Canvas, const TObj&, const TteTextInfo& TextInfo,
                               const TteRectStateInfo&) {
    PaintText(Canvas, TextInfo);
}

// ---- Container ----

bool TteTheme::HasContainerStyle(int, const TObj&) {
    return false;
}
bool TteTheme::IsContainerTransparent(int, const TObj&) {
    return false;
}
void TteTheme::GetContainerContentRect(int, TRect Rect, TRect& Content, const TObj&) {
    Content = Inset(Rect, 2, 2);
}
void TteTheme::PaintContainer(int Kind, TCanvas& Canvas, const TObj&, TRect Rect) {
    TColor hi = ::GetSysColor(COLOR_BTNHIGHLIGHT), sh = ::GetSysColor(COLOR_BTNSHADOW);
    if (Kind == 0) {
        FillRectColor(Canvas, Rect, 0xC0C0C0);
        DrawBevelFrame(Canvas, Rect, hi, sh);
    } else if (Kind == 1) {
        FillFrame(Canvas, Rect, 0xC0C0C0, 0x000000);
        DrawBevelFrame(Canvas, Inset(Rect, 1, 1), sh, hi);
    }
}
void TteTheme::PaintContainerText(int, TCanvas& Canvas, const TObj&, const TteTextInfo& TextInfo,
                                  TRect) {
    PaintText(Canvas, TextInfo);
}

// ---- Button ----

bool TteTheme::HasButtonStyle(int, const TObj&) {
    return false;
}
bool TteTheme::IsButtonTransparent(int, const TObj&) {
    return false;
}

void TteTheme::PaintButton(int Kind, TCanvas& Canvas, const TObj&, const TteButtonInfo& Button) {
    int s = Button.State;
    TColor K;
    if (s == 3)
        K = Color(ktcButtonDisabled);
    else if (s == 2)
        K = Color(ktcButtonPressed);
    else if (s == 1)
        K = Color(Button.Flag ? ktcButtonNormal : ktcButtonHot);
    else if (s == 4 || Button.Default)
        K = Color(ktcButtonFocused);
    else
        K = Color(ktcButtonNormal);
    TColor light = Shifted(K, 30), dark = Shifted(K, -30);
    TRect R = Button.Rect;
    if (s != 3) {
        TRect frame = R;
        if (Kind == 1) frame.Right += 2;
        DrawFrameRect(Canvas, frame, 0x000000);
        R = Inset(R, 1, 1);
        if (s == 2 || Button.Flag) {
            DrawBevelFrame(Canvas, R, dark, light);
            R = Inset(R, 1, 1);
        } else {
            if (s == 1) {
                FillRectCoords(Canvas, R.Left, R.Top, R.Right, R.Top + 1, light);
                FillRectCoords(Canvas, R.Left, R.Top, R.Left + 1, R.Bottom, light);
            }
            if (s == 4 || Button.Default) {
                FillRectCoords(Canvas, R.Left, R.Bottom - 1, R.Right, R.Bottom, dark);
                FillRectCoords(Canvas, R.Right - 1, R.Top, R.Right, R.Bottom, dark);
            }
        }
    }
    FillRectColor(Canvas, R, K);
    if (Kind == 2) {
        TRect d{0, 0, 5, 5};
        CenterRect(d, Button.Rect);
        FillRoundRectColor(Canvas, d, 3, 0x0000FF);
    }
}

void TteTheme::PaintButtonText(int, TCanvas& Canvas, const TObj&, const TteTextInfo& TextInfo,
                               const TteButtonInfo& Button) {
    static const int fonts[5] = {ktfButtonTextNormal, ktfButtonTextHot, ktfButtonTextPressed,
                                 ktfButtonTextDisabled, ktfButtonTextFocused};
    if (Button.State < 5) UseFont(Canvas, fonts[Button.State]);
    PaintText(Canvas, TextInfo);
}

void TteTheme::PaintButtonGlyph(int, TCanvas& Canvas, const TObj&, const TteGlyphInfo& Glyph,
                                const TteButtonInfo&) {
    DrawBitmapAt(Canvas, Glyph.Bitmap, Glyph.Rect.Left, Glyph.Rect.Top);
}

// ---- CheckBox ----

bool TteTheme::HasCheckBoxStyle(int, const TObj&) {
    return false;
}
bool TteTheme::IsCheckBoxTransparent(int, const TObj&) {
    return true;
}
void TteTheme::PaintCheckBox(int, TCanvas& Canvas, const TObj&, const TteCheckBoxInfo& CheckBox) {
    TColor fill = CheckBox.State == 1 ? 0x00FFFF : CheckBox.State == 2 ? 0xFF0000 : 0xC0C0C0;
    FillFrame(Canvas, CheckBox.Rect, fill, 0x000000);
    if (CheckBox.Check == 1) FillRectColor(Canvas, Inset(CheckBox.Rect, 3, 3), 0x000000);
}
void TteTheme::PaintCheckBoxText(int, TCanvas& Canvas, const TObj&, const TteTextInfo& TextInfo,
                                 const TteRectStateInfo&) {
    PaintText(Canvas, TextInfo);
}

// ---- Splitter ----

bool TteTheme::HasSplitterStyle(int, const TObj&) {
    return false;
}
bool TteTheme::IsSplitterTransparent(int, const TObj&) {
    return false;
}
void TteTheme::PaintSplitter(int, TCanvas& Canvas, const TObj&, TRect Rect) {
    FillFrame(Canvas, Rect, 0x00FFFF, 0x0000FF);
}

// ---- ScrollBar ----

bool TteTheme::HasScrollBarStyle(int, const TObj&) {
    return false;
}
bool TteTheme::IsScrollBarTransparent(int, const TObj&) {
    return false;
}
void TteTheme::PaintScrollBarFrame(int, TCanvas&, const TObj&, const TteRectStateInfo&) {}

void TteTheme::PaintScrollBarButton(int, TCanvas& Canvas, const TObj&, const TteTwoByteInfo& Button,
                                    const TteRectStateInfo&) {
    int s = Button.Byte1;
    TColor fill = s == 3 ? 0xC0C0C0 : s == 1 ? 0xFF0000 : s == 2 ? 0x0000FF : 0x808080;
    FillFrame(Canvas, Button.Rect, fill, 0x000000);
    TRect in = Inset(Button.Rect, 5, 4);
    if (Button.Byte2 <= 3)
        DrawRoundRectFrame(Canvas, in, 5, 0x800000);
    else if (Button.Byte2 == 8)
        DrawFrameRect(Canvas, in, 0x800000);
}

void TteTheme::PaintScrollBarTrack(int, TCanvas& Canvas, const TObj&,
                                   const TteRectStateInfo& Track) {
    int s = Track.State;
    TColor fill = s == 1 ? 0xFF0000 : s == 2 ? 0x0000FF : s == 3 ? 0xC0C0C0 : 0x808080;
    FillFrame(Canvas, Track.Rect, fill, 0x000000);
}

// ---- ProgressBar ----

bool TteTheme::HasProgressBarStyle(int, const TObj&) {
    return false;
}
bool TteTheme::IsProgressBarTransparent(int, const TObj&) {
    return false;
}
void TteTheme::PaintProgressBar(int, TCanvas& Canvas, const TObj&, const TteProgressInfo& P) {
    FillFrame(Canvas, P.Rect, 0x008000, 0x000000);
    TRect R = Inset(P.Rect, P.Inset, P.Inset);
    if (!(0 <= P.Min && P.Min <= P.From && P.From <= P.To && P.To <= P.Max && P.Min != P.Max))
        return;
    double span = double(P.Max) - P.Min;
    TColor bar = P.Flag ? 0x0000FF : 0x00FFFF;
    if (!P.Vertical) {
        int W = R.Width();
        int a = RoundEven(W * (double(P.From) - P.Min) / span);
        int b = RoundEven(W * (double(P.To) - P.Min) / span);
        FillRectCoords(Canvas, R.Left + a, R.Top, R.Left + b, R.Bottom, bar);
    } else {
        int H = R.Height();
        int a = RoundEven(H * (double(P.To) - P.Min) / span);
        int b = RoundEven(H * (double(P.From) - P.Min) / span);
        FillRectCoords(Canvas, R.Left, R.Bottom - a, R.Right, R.Bottom - b, bar);
    }
}

// ---- TrackBar ----

bool TteTheme::HasTrackBarStyle(int, const TObj&) {
    return false;
}
bool TteTheme::IsTrackBarTransparent(int, const TObj&) {
    return true;
}
void TteTheme::PaintTrackBarTrack(int, TCanvas& Canvas, const TObj&,
                                  const TteTwoByteInfo& TrackBar) {
    FillFrame(Canvas, TrackBar.Rect, 0xFF0000, 0x0000FF);
}
void TteTheme::PaintTrackBarThumb(int, TCanvas& Canvas, const TObj&, const TteRectStateInfo& Thumb,
                                  const TteTwoByteInfo&) {
    FillFrame(Canvas, Thumb.Rect, 0x00FFFF, 0xFF0000);
}

// ---- Header ----

bool TteTheme::HasHeaderStyle(int, const TObj&) {
    return false;
}
bool TteTheme::IsHeaderTransparent(int, const TObj&) {
    return false;
}
void TteTheme::PaintHeaderFrame(int, TCanvas& Canvas, const TObj&, TRect Rect) {
    FillFrame(Canvas, Rect, 0xFFFFFF, 0x000000);
}
void TteTheme::PaintHeaderSection(int, TCanvas& Canvas, const TObj&,
                                  const TteHeaderSectionInfo& Section) {
    static const TColor fills[7] = {0xC0C0C0, 0x808080, 0x008000, 0xFF0000,
                                    0x00FFFF, 0x0000FF, 0x808080};
    if (Section.State < 7) FillRectColor(Canvas, Section.Rect, fills[Section.State]);
    DrawFrameRect(Canvas, Section.Rect, 0x000000);
}
void TteTheme::PaintHeaderText(int, TCanvas& Canvas, const TObj&, const TteTextInfo& TextInfo,
                               const TteHeaderSectionInfo&, TRect) {
    PaintText(Canvas, TextInfo);
}
void TteTheme::PaintHeaderImage(int, TCanvas& Canvas, const TObj&, const TteGlyphInfo& Glyph,
                                const TteHeaderSectionInfo&, TRect) {
    if (Glyph.Bitmap && !Glyph.Bitmap->IsEmpty()) StretchCanvas(*Glyph.Bitmap, Canvas, Glyph.Rect);
}

// ---- StatusBar ----

bool TteTheme::HasStatusBarStyle(int, const TObj&) {
    return false;
}
bool TteTheme::IsStatusBarTransparent(int, const TObj&) {
    return false;
}
void TteTheme::GetStatusBarContentRect(int, TRect Rect, TRect& Content, const TObj&) {
    Content = Inset(Rect, 5, 2);
}
void TteTheme::PaintStatusBar(int, TCanvas& Canvas, const TObj&, TRect Rect) {
    FillFrame(Canvas, Rect, 0xC0C0C0, 0x000000);
}
void TteTheme::PaintStatusPanel(int, TCanvas& Canvas, const TObj&, TRect Panel, TRect) {
    FillFrame(Canvas, Panel, 0x808080, 0x000000);
}
void TteTheme::PaintStatusPanelText(int, TCanvas& Canvas, const TObj&, const TteTextInfo& TextInfo,
                                    TRect, TRect) {
    PaintText(Canvas, TextInfo);
}
void TteTheme::PaintStatusPanelImage(int, TCanvas& Canvas, const TObj&, const TteGlyphInfo& Glyph,
                                     TRect, TRect) {
    if (Glyph.Bitmap && !Glyph.Bitmap->IsEmpty()) StretchCanvas(*Glyph.Bitmap, Canvas, Glyph.Rect);
}
void TteTheme::PaintStatusBarGripper(int, TCanvas& Canvas, const TObj&, TRect Rect) {
    FillFrame(Canvas, Rect, 0x00FFFF, 0x0000FF);
}

// ---- Edit ----

bool TteTheme::HasEditStyle(int, const TObj&) {
    return false;
}
bool TteTheme::IsEditTransparent(int, const TObj&) {
    return false;
}
void TteTheme::GetEditContentRect(int, TRect Rect, TRect& Content, const TObj&) {
    Content = Inset(Rect, 3, 3);
}
void TteTheme::PaintEditFrame(int, TCanvas& Canvas, const TObj&, const TteRectStateInfo& Edit) {
    FillFrame(Canvas, Edit.Rect, 0xFF0000, 0x0000FF);
}
void TteTheme::PaintEditSelection(int, TCanvas& Canvas, const TObj&,
                                  const TteRectStateInfo& Selection) {
    FillFrame(Canvas, Selection.Rect, 0x008000, 0x00FFFF);
}
void TteTheme::PaintComboButton(int, TCanvas& Canvas, const TObj&, const TteTwoByteInfo& Button,
                                const TteRectStateInfo&) {
    FillFrame(Canvas, Button.Rect, 0x008000, 0x00FFFF);
    if (Button.Byte1 == 1 || Button.Byte1 == 2)
        DrawRoundRectFrame(Canvas, Inset(Button.Rect, 5, 4), 5, 0x800000);
}

// ---- GroupBox ----

bool TteTheme::HasGroupBoxStyle(int, const TObj&) {
    return false;
}
bool TteTheme::IsGroupBoxTransparent(int, const TObj&) {
    return true;
}
void TteTheme::GetGroupBoxContentRect(int, const TteGroupInfo& Group, TRect& Rect, const TObj&) {
    const TRect& g = Group.Rect;
    Rect = TRect{g.Left + 10, g.Top + 20, g.Right - 10, g.Bottom - 20};
}
void TteTheme::GetGroupBoxCaptionRect(int, TCanvas&, TRect& Rect, const TObj&,
                                      const TteGroupInfo& Group) {
    const TRect& g = Group.Rect;
    Rect = TRect{g.Left + 10, g.Top, g.Left + 10 + Group.CaptionWidth, g.Top + 20};
}
void TteTheme::PaintGroupBox(int, TCanvas& Canvas, const TObj&, const TteGroupInfo& Group) {
    HDC dc = Canvas.Handle();
    int saved = ::SaveDC(dc);
    const TRect& c = Group.CaptionRect;
    ::ExcludeClipRect(dc, c.Left, c.Top, c.Right, c.Bottom);
    TRect r = Inset(Group.Rect, 5, 5);
    r.Top += 4;
    DrawFrameRect(Canvas, r, 0x000000);
    ::RestoreDC(dc, saved);
}
void TteTheme::PaintGroupBoxText(int, TCanvas& Canvas, const TObj&, const TteTextInfo& TextInfo,
                                 const TteGroupInfo&) {
    PaintText(Canvas, TextInfo);
}

// ---- EditArea ----

bool TteTheme::HasEditAreaStyle(int, const TObj&) {
    return false;
}
bool TteTheme::IsEditAreaTransparent(int, const TObj&) {
    return false;
}
void TteTheme::GetEditAreaContentRect(int, TRect Rect, TRect& Content, const TObj&) {
    Content = Rect;
}
void TteTheme::PaintEditAreaFrame(int, TCanvas& Canvas, const TObj&, const TteRectStateInfo& Edit) {
    FillFrame(Canvas, Edit.Rect, 0xFF0000, 0x0000FF);
}
void TteTheme::PaintEditAreaPart(int, TCanvas&, const TObj&, const TteRectStateInfo&) {}

// ---- Menu ----

bool TteTheme::HasMenuStyle(int, const TObj&) {
    return false;
}
bool TteTheme::IsMenuTransparent(int, const TObj&) {
    return false;
}
void TteTheme::GetMenuContentRect(int, TRect Rect, TRect& Content, const TObj&) {
    Content = Inset(Rect, 3, 5);
}
void TteTheme::PaintMenuFrame(int, TCanvas& Canvas, const TObj&, TRect Rect) {
    FillFrame(Canvas, Rect, 0xFFFFFF, 0x0000FF);
}
void TteTheme::PaintMenuItem(int, TCanvas& Canvas, const TObj&, const TteMenuItemInfo& Item) {
    if (Item.ItemKind == 0) {
        int s = Item.State;
        TColor fill = s == 3 ? 0xFFFFFF : s == 1 ? 0x808080 : s == 2 ? 0x00FFFF : 0xC0C0C0;
        FillFrame(Canvas, Item.Rect, fill, 0x0000FF);
    } else if (Item.ItemKind == 1) {
        FillRectColor(Canvas, Inset(Item.Rect, 3, Item.Rect.Height() / 2), 0x0000FF);
    }
}
void TteTheme::PaintMenuItemText(int, TCanvas& Canvas, const TObj&, const TteTextInfo& TextInfo,
                                 const TteMenuItemInfo&) {
    PaintText(Canvas, TextInfo);
}
void TteTheme::PaintMenuItemGlyph(int, TCanvas& Canvas, const TObj&, const TteMenuGlyphInfo& Glyph,
                                  const TteMenuItemInfo&) {
    TRect box{0, 0, 16, 16};
    switch (Glyph.GlyphKind) {
    case 0:
        CenterRect(box, Glyph.Rect);
        DrawBaseCheckMark(Canvas, (box.Left + box.Right) / 2 - 2, (box.Top + box.Bottom) / 2 + 1,
                          Canvas.Font()->Color());
        break;
    case 1: {
        TRect d{0, 0, 6, 6};
        CenterRect(d, Glyph.Rect);
        FillRoundRectColor(Canvas, d, 3, 0x000000);
        break;
    }
    case 2:
        CenterRect(box, Glyph.Rect);
        DrawFrameControlColored(Canvas.Handle(), box, DFC_MENU, DFCS_MENUARROW,
                                Canvas.Font()->Color());
        break;
    case 3:
        DrawBitmapCentered(Canvas, Glyph.Bitmap, Glyph.Rect);
        break;
    default:
        break;
    }
}

// ---- ControlBar ----

bool TteTheme::HasControlBarStyle(int, const TObj&) {
    return false;
}
void TteTheme::GetControlBarContentRect(int, TRect Rect, TRect& Content, const TObj&) {
    Content = Rect;
}
void TteTheme::PaintControlBar(int, TCanvas& Canvas, const TObj&, TRect Rect) {
    FillFrame(Canvas, Rect, 0x008000, 0xFF0000);
}
void TteTheme::GetToolBarContentRect(int, TRect Rect, TRect& Content, const TObj&) {
    Content = Inset(Rect, 3, 3);
    Content.Left += 4;
}
void TteTheme::PaintToolBar(int, TCanvas& Canvas, const TObj&, TRect Rect) {
    FillFrame(Canvas, Rect, 0x0000FF, 0x000000);
    TRect g = Inset(Rect, 3, 3);
    g.Right = g.Left + 6;
    FillFrame(Canvas, g, 0x008000, 0xFF0000);
}
void TteTheme::PaintControlBarPart(int, TCanvas&, const TObj&, TRect) {}

// ---- Panel ----

bool TteTheme::HasPanelStyle(int, const TObj&) {
    return false;
}
bool TteTheme::HasPanelCaption(int, const TObj&) {
    return false;
}
void TteTheme::GetPanelContentRect(int, TRect Rect, TRect& Content, const TObj&) {
    Content = Rect;
}
void TteTheme::PaintPanelPart(int, TCanvas&, const TObj&, TRect) {}
void TteTheme::PaintPanel(int, TCanvas& Canvas, const TObj&, TRect Rect) {
    FillFrame(Canvas, Rect, 0xFFFFFF, 0x0000FF);
}
void TteTheme::PaintPanelCaption(int, TCanvas& Canvas, const TObj&,
                                 const TteBarCaptionInfo& Caption) {
    FillFrame(Canvas, Caption.Rect, 0x008000, 0x000000);
    PaintText(Canvas, MakeTextInfo(Caption.Rect, Caption.Caption, 36));
}
void TteTheme::PaintPanelButton(int, TCanvas& Canvas, const TObj&, const TteTwoByteInfo& Button) {
    FillFrame(Canvas, Button.Rect, 0x0000FF, 0xFF0000);
}

// ---- Tabs ----

bool TteTheme::HasTabsStyle(int, const TObj&) {
    return false;
}
bool TteTheme::IsTabsTransparent(int, const TObj&) {
    return true;
}
void TteTheme::GetTabsContentRect(int, TRect Rect, TRect& Content, const TObj&) {
    Content = Rect;
}
void TteTheme::PaintTabsFrame(int, TCanvas& Canvas, const TObj&, TRect Rect) {
    FillFrame(Canvas, Rect, 0xC0C0C0, 0x00FFFF);
}
void TteTheme::PaintTab(int, TCanvas& Canvas, const TObj&, const TteTabItemInfo& Tab,
                        const TteTwoByteInfo&) {
    switch (Tab.Byte2) {
    case 0:
        FillRectColor(Canvas, Tab.Rect, Tab.Byte3 ? 0x800000 : 0x0000FF);
        break;
    case 1:
        FillRectColor(Canvas, Tab.Rect, Tab.Byte3 ? 0xFFFFFF : 0x00FFFF);
        break;
    case 2:
        FillRectColor(Canvas, Tab.Rect, 0xC0C0C0);
        break;
    default:
        break;
    }
    DrawFrameRect(Canvas, Tab.Rect, 0xFF0000);
}
void TteTheme::PaintTabScrollButton(int, TCanvas& Canvas, const TObj&,
                                    const TteTwoByteInfo& Button) {
    FillFrame(Canvas, Button.Rect, 0x00FFFF, 0x0000FF);
}
void TteTheme::PaintTabText(int, TCanvas& Canvas, const TObj&, const TteTextInfo& TextInfo,
                            const TteTabItemInfo&, const TteTwoByteInfo&) {
    PaintText(Canvas, TextInfo);
}
void TteTheme::PaintTabPart(int, TCanvas&, const TObj&, TRect) {}

// ---- ListBox ----

namespace {
void PaintBaseItem(TCanvas& c, const TteRectStateInfo& Item) {
    static const TColor fills[5] = {0xFFFFFF, 0x00FFFF, 0x800000, 0xFF0000, 0xC0C0C0};
    if (Item.State < 5) FillRectColor(c, Item.Rect, fills[Item.State]);
    DrawFrameRect(c, Item.Rect, 0xFF0000);
}
} // namespace

bool TteTheme::HasListBoxStyle(int, const TObj&) {
    return false;
}
bool TteTheme::IsListBoxTransparent(int, const TObj&) {
    return false;
}
void TteTheme::GetListBoxContentRect(int, TRect Rect, TRect& Content, const TObj&) {
    Content = Inset(Rect, 4, 5);
}
void TteTheme::PaintListBoxFrame(int, TCanvas& Canvas, const TObj&, TRect Rect) {
    FillFrame(Canvas, Rect, Color(ktcList), 0x0000FF);
}
void TteTheme::PaintListBoxPart(int, TCanvas&, const TObj&, TRect) {}
void TteTheme::PaintListBoxItem(int, TCanvas& Canvas, const TObj&, const TteRectStateInfo& Item) {
    PaintBaseItem(Canvas, Item);
}
void TteTheme::PaintListBoxItemText(int, TCanvas& Canvas, const TObj&, const TteTextInfo& TextInfo,
                                    const TteRectStateInfo&) {
    PaintText(Canvas, TextInfo);
}
void TteTheme::PaintListBoxCheck(int, TCanvas& Canvas, const TObj&, const TteListCheckInfo& Check,
                                 const TteRectStateInfo&) {
    TRect sq{0, 0, 16, 16};
    CenterRect(sq, Check.Rect);
    switch (Check.State) {
    case 1:
        FillFrame(Canvas, sq, 0x0000FF, 0x000000);
        break;
    case 0:
    case 2:
        FillFrame(Canvas, sq, 0x0000FF, 0x000000);
        FillRectColor(Canvas, Inset(sq, 3, 3), Check.State == 0 ? 0x000000 : 0x808080);
        break;
    case 3:
        DrawBitmapCentered(Canvas, Check.Bitmap, Check.Rect);
        break;
    default:
        break;
    }
}

// ---- Tree ----

bool TteTheme::HasTreeStyle(int, const TObj&) {
    return false;
}
bool TteTheme::IsTreeTransparent(int, const TObj&) {
    return false;
}
void TteTheme::GetTreeContentRect(int, TRect Rect, TRect& Content, const TObj&) {
    Content = Inset(Rect, 2, 2);
}
void TteTheme::PaintTreeFrame(int, TCanvas& Canvas, const TObj&, TRect Rect) {
    FillFrame(Canvas, Rect, Color(ktcTree), 0x0000FF);
}
void TteTheme::PaintTreeItem(int, TCanvas& Canvas, const TObj&, const TteRectStateInfo& Item) {
    PaintBaseItem(Canvas, Item);
}
void TteTheme::PaintTreeItemText(int, TCanvas& Canvas, const TObj&, const TteTextInfo& TextInfo,
                                 const TteRectStateInfo&) {
    PaintText(Canvas, TextInfo);
}
void TteTheme::PaintTreePart(int, TCanvas&, const TObj&, TRect) {}

// ---- Grid ----

bool TteTheme::HasGridStyle(int, const TObj&) {
    return false;
}
bool TteTheme::IsGridTransparent(int, const TObj&) {
    return false;
}
void TteTheme::GetGridContentRect(int, TRect Rect, TRect& Content, const TObj&) {
    Content = Inset(Rect, 2, 2);
}
void TteTheme::PaintGridFrame(int, TCanvas& Canvas, const TObj&, TRect Rect) {
    FillFrame(Canvas, Rect, 0xFFFFFF, 0x0000FF);
}
void TteTheme::PaintGridCell(int, TCanvas& Canvas, const TObj&, const TteGridCellInfo& Cell) {
    if (Cell.Fixed == 1) {
        DrawFrameRect(Canvas, Cell.Rect, 0x808080);
        return;
    }
    PaintBaseItem(Canvas, TteRectStateInfo{Cell.Rect, Cell.State});
}
void TteTheme::PaintGridCellText(int, TCanvas& Canvas, const TObj&, const TteTextInfo& TextInfo,
                                 const TteGridCellInfo&) {
    PaintText(Canvas, TextInfo);
}
void TteTheme::PaintGridPart(int, TCanvas&, const TObj&, TRect) {}

// ===================================================================== helpers

void ApplyThemeShifts(TteThemeColors& Colors, int Hue, int Brightness) {
    if (Hue != 0) Colors.ChangeHue(Hue);
    Colors.ChangeBrightness(Brightness);
}

void ApplyThemeShifts(TteThemeFonts& Fonts, int Hue, int Brightness) {
    if (Hue != 0) Fonts.ChangeHue(Hue);
    Fonts.ChangeBrightness(Brightness);
}

void SetDeltaHue(TteTheme* Theme, int Value) {
    if (!Theme) return;
    Theme->DeltaHue = Value;
    Theme->UpdateColorsAndFonts();
}

void SetDeltaBrightness(TteTheme* Theme, int Value) {
    if (!Theme) return;
    Theme->DeltaBrightness = Value;
    Theme->UpdateColorsAndFonts();
}

TteTheme* CloneTheme(const TteTheme* Theme) {
    if (!Theme) return nullptr;
    const TteThemeClass* c = FindThemeClass(Theme->ClassName());
    if (!c) return nullptr;
    TteTheme* copy = c->CreateTheme();
    if (copy) copy->Assign(Theme);
    return copy;
}

namespace {
std::unique_ptr<TteBitmap>& ScratchImage() {
    static std::unique_ptr<TteBitmap> scratch;
    return scratch;
}
} // namespace

TteBitmap* RenderImageListImage(fw::TImageList* ImageList, int Index, bool Enabled) {
    auto& scratch = ScratchImage();
    scratch.reset();
    if (!ImageList) return nullptr;
    scratch = std::make_unique<TteBitmap>();
    scratch->SetSize(ImageList->Width(), ImageList->Height());
    scratch->FillColor(KeyColor);
    if (ImageList->Masked() || ImageList->DrawingStyle() == fw::TDrawingStyle::dsTransparent)
        scratch->Transparent = true;
    fw::TCanvas c;
    c.SetHandle(BitmapDC(*scratch));
    ImageList->Draw(&c, 0, 0, Index, Enabled);
    c.SetHandle(nullptr);
    ::GdiFlush();
    return scratch.get();
}

TteGlyphInfo MakeStatusPanelImageInfo(TRect Rect, fw::TImageList* ImageList, int Index,
                                      uint8_t State) {
    return TteGlyphInfo{Rect, RenderImageListImage(ImageList, Index, true), State};
}

TteMenuGlyphInfo MakeMenuImageInfo(TRect Rect, fw::TImageList* ImageList, int Index, bool Enabled,
                                   uint8_t State) {
    return TteMenuGlyphInfo{Rect, RenderImageListImage(ImageList, Index, Enabled), State, 3};
}

// ===================================================================== manager

namespace {

struct TPainterEntry {
    const fw::TMetaClass* ControlClass;
    TteBackgroundPainter Painter;
};

class TteThemeManager : public fw::TObject {
public:
    TteThemeManager() {
        window_ = fw::AllocateHWnd(fw::TWndMethod(this, &TteThemeManager::WndProc));
    }
    ~TteThemeManager() override {
        notified_.clear();
        current_.reset();
        if (window_) fw::DeallocateHWnd(window_);
    }

    std::vector<TPainterEntry> Painters;
    std::vector<std::pair<fw::TFont*, std::unique_ptr<fw::TFont>>> SavedFonts;

    TteTheme* Current() const { return current_.get(); }
    HWND Window() const { return window_; }

    intptr_t Send(fw::TComponent* c, uint32_t code, intptr_t lparam) {
        if (auto* ctl = dynamic_cast<fw::TControl*>(c))
            return ctl->Perform(TM_THEMECHANGE, code, lparam);
        fw::TMessage m{TM_THEMECHANGE, code, lparam, 0};
        c->Dispatch(m);
        return m.Result;
    }

    void Broadcast(uint32_t code, intptr_t lparam) {
        // A receiver may unregister while it hears the message: walk a copy and skip
        // those gone meanwhile.
        std::vector<fw::TComponent*> list = notified_;
        for (fw::TComponent* c : list) {
            if (std::find(notified_.begin(), notified_.end(), c) == notified_.end()) continue;
            auto* ctl = dynamic_cast<fw::TControl*>(c);
            if (code == ktcColorsChanged && ctl && !ctl->Visible()) continue;
            Send(c, code, lparam);
        }
    }

    intptr_t Add(fw::TComponent* c) {
        auto it = std::find(notified_.begin(), notified_.end(), c);
        if (it != notified_.end()) return intptr_t(it - notified_.begin()) + 1;
        notified_.push_back(c);
        if (current_) return Send(c, ktcThemeApplied, 0);
        return 0;
    }

    void Remove(fw::TComponent* c) {
        auto it = std::find(notified_.begin(), notified_.end(), c);
        if (it != notified_.end()) notified_.erase(it);
    }

    void SetCurrent(TteTheme* theme) {
        Broadcast(ktcChangeStarts, 0);
        uint32_t code = ktcThemeApplied;
        if (current_) {
            current_.reset();
            code = ktcNewTheme;
        }
        current_.reset(theme);
        Broadcast(code, 0);
        Broadcast(ktcChangeEnded, 0);
    }

    void Clear() {
        Broadcast(ktcChangeStarts, 0);
        current_.reset();
        Broadcast(ktcThemeCleared, 0);
        Broadcast(ktcChangeEnded, 0);
    }

private:
    void WndProc(fw::TMessage& M) {
        if (M.Msg == WM_SYSCOLORCHANGE || M.Msg == WM_DISPLAYCHANGE) Broadcast(ktcColorsChanged, 0);
        M.Result = ::DefWindowProcW(window_, M.Msg, M.WParam, M.LParam);
    }

    std::vector<fw::TComponent*> notified_;
    std::unique_ptr<TteTheme> current_;
    HWND window_ = nullptr;
};

// The registered theme classes live apart from the manager's window, so that theme units
// can register while the program is still being initialised.
std::vector<const TteThemeClass*>& ThemeClasses() {
    static std::vector<const TteThemeClass*> classes{TteTheme::StaticClass()};
    return classes;
}

TteThemeManager& Manager() {
    static TteThemeManager* manager = [] {
        auto* m = new TteThemeManager();
        m->Painters.push_back({fw::TGroupBox::StaticClass(), &PaintGroupBoxBackground});
        return m;
    }();
    return *manager;
}

} // namespace

void RegisterThemeClass(const TteThemeClass* Class) {
    if (Class) ThemeClasses().push_back(Class);
}

const TteThemeClass* FindThemeClass(const std::string& ClassName) {
    for (const TteThemeClass* c : ThemeClasses())
        if (c->ClassName() == ClassName) return c;
    return nullptr;
}

int ThemeClassCount() {
    return int(ThemeClasses().size());
}

const TteThemeClass* ThemeClassByIndex(int Index) {
    auto& v = ThemeClasses();
    return Index >= 0 && Index < int(v.size()) ? v[size_t(Index)] : nullptr;
}

TteTheme* CurrentTheme() {
    return Manager().Current();
}

bool IsCurrentTheme(const TteTheme* Theme) {
    return CurrentTheme() && CurrentTheme() == Theme;
}

intptr_t AddThemeNotification(fw::TComponent* Component) {
    return Component ? Manager().Add(Component) : 0;
}

void RemoveThemeNotification(fw::TComponent* Component) {
    Manager().Remove(Component);
}

void SetCurrentTheme(TteTheme* Theme) {
    // Setting the current theme again would free it under its new owner.
    if (Theme && Theme == CurrentTheme()) return;
    Manager().SetCurrent(Theme);
}

void ClearCurrentTheme() {
    Manager().Clear();
}

std::string ProgramFolder() {
    wchar_t buf[MAX_PATH * 2];
    DWORD n = ::GetModuleFileNameW(nullptr, buf, DWORD(std::size(buf)));
    std::wstring path(buf, n);
    size_t slash = path.find_last_of(L"\\/");
    return win::WideToGbk(slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1));
}

namespace {

bool FileExistsGbk(const std::string& name) {
    DWORD a = ::GetFileAttributesW(win::GbkToWide(name).c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ExtensionOf(const std::string& name) {
    size_t dot = name.find_last_of('.');
    size_t sep = name.find_last_of("\\/:");
    if (dot == std::string::npos || (sep != std::string::npos && dot < sep)) return {};
    return name.substr(dot);
}

} // namespace

TteTheme* LoadThemeFromFile(const std::string& FileName) {
    std::string name = FileName;
    if (name.empty()) return nullptr;
    if (!FileExistsGbk(name)) {
        if (name.size() <= 1) return nullptr;
        if (name[1] == ':') return nullptr;
        name = ProgramFolder() + name;
        if (!FileExistsGbk(name)) return nullptr;
    }
    std::string ext = fw::LowerCase(ExtensionOf(name));
    const TteThemeClass* cls = nullptr;
    for (const TteThemeClass* c : ThemeClasses()) {
        TteThemeOptions o;
        c->GetThemeOptions(o);
        if (o.HasFileFormat && !ext.empty() &&
            fw::LowerCase(o.FileFilter).find(ext) != std::string::npos) {
            cls = c;
            break;
        }
    }
    if (cls) {
        std::unique_ptr<TteTheme> t(cls->CreateTheme());
        if (!t || !t->LoadFromFile(name)) return nullptr;
        return t.release();
    }
    std::ifstream in(std::filesystem::path(win::GbkToWide(name)), std::ios::binary);
    if (!in) throw fw::EReadError("Cannot open file " + name);
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    fw::TMemoryStream s;
    if (!data.empty()) s.WriteBuffer(data.data(), data.size());
    s.SetPosition(0);
    return LoadThemeFromStream(s);
}

TteTheme* LoadThemeFromStream(fw::TStream& Stream) {
    int64_t pos = Stream.Position();
    const TteThemeClass* found = nullptr;
    for (const TteThemeClass* c : ThemeClasses()) {
        bool ok = c->CanLoadFromStream(Stream);
        Stream.SetPosition(pos);
        if (ok) {
            found = c;
            break;
        }
    }
    if (!found) return nullptr;
    std::unique_ptr<TteTheme> t(found->CreateTheme());
    if (!t || !t->LoadFromStream(Stream)) return nullptr;
    return t.release();
}

void SaveThemeToStream(TteTheme* Theme, fw::TStream& Stream) {
    if (!Theme) return;
    TteThemeOptions o;
    Theme->ThemeClass()->GetThemeOptions(o);
    if (o.HasFileFormat) Theme->SaveToStream(Stream);
}

void SetThemeDeltaHue(int Value) {
    TteTheme* t = CurrentTheme();
    if (!t) return;
    SetDeltaHue(t, Value);
    Manager().Broadcast(ktcColorsChanged, 1);
}

void SetThemeDeltaBrightness(int Value) {
    TteTheme* t = CurrentTheme();
    if (!t) return;
    SetDeltaBrightness(t, Value);
    Manager().Broadcast(ktcColorsChanged, 1);
}

#define TE_CURRENT_HAS(Name)                                                                       \
    bool CurrentThemeHas##Name##Style(int Kind, const TObj& ThemeObject) {                         \
        TteTheme* t = CurrentTheme();                                                              \
        return t && t->Has##Name##Style(Kind, ThemeObject);                                        \
    }
TE_CURRENT_HAS(Form)
TE_CURRENT_HAS(Button)
TE_CURRENT_HAS(CheckBox)
TE_CURRENT_HAS(ScrollBar)
TE_CURRENT_HAS(TrackBar)
TE_CURRENT_HAS(StatusBar)
TE_CURRENT_HAS(Edit)
TE_CURRENT_HAS(Menu)
TE_CURRENT_HAS(ControlBar)
TE_CURRENT_HAS(Tabs)
TE_CURRENT_HAS(ListBox)
#undef TE_CURRENT_HAS

// ---- background painters ----

void RegisterBackgroundPainter(const fw::TMetaClass* ControlClass, TteBackgroundPainter Painter) {
    // One painter per class: registering again (a unit started a second time) replaces it.
    for (TPainterEntry& e : Manager().Painters)
        if (e.ControlClass == ControlClass) {
            e.Painter = Painter;
            return;
        }
    Manager().Painters.push_back({ControlClass, Painter});
}

bool PaintGroupBoxBackground(TCanvas& Canvas, const TteBackgroundInfo& Info) {
    auto* box = dynamic_cast<fw::TGroupBox*>(Info.Parent);
    if (!box) return false;
    FillRectColor(Canvas, Info.Rect, box->Color());
    return true;
}

namespace {

// Sets csPaintCopy on the control for the scope.
class TPaintCopyScope {
public:
    explicit TPaintCopyScope(fw::TControl* c) : c_(c), saved_(c->ControlState()) {
        auto s = saved_;
        s.Include(fw::TControlStateItem::csPaintCopy);
        c_->SetControlState(s);
    }
    ~TPaintCopyScope() { c_->SetControlState(saved_); }

private:
    fw::TControl* c_;
    fw::TControlState saved_;
};

// The parent paints itself into DC: a custom control through its own painting on a canvas
// pointed at DC, anything else with WM_ERASEBKGND and WM_PAINT carrying DC in wParam.
class TParentPainter : public fw::TWinControl {
public:
    static void PaintInto(fw::TWinControl* parent, HDC dc) {
        if (dynamic_cast<fw::TCustomControl*>(parent)) {
            void (fw::TWinControl::*paint)(HDC) = &TParentPainter::PaintWindow;
            (parent->*paint)(dc);
            return;
        }
        parent->Perform(WM_ERASEBKGND, uintptr_t(dc), 0);
        parent->Perform(WM_PAINT, uintptr_t(dc), 0);
    }
};

} // namespace

void DrawParentBackground(fw::TControl* Control, HDC DC) {
    if (!Control || !Control->Parent() || Control->Width() <= 0 || Control->Height() <= 0) return;
    if (Control->ControlState().Contains(fw::TControlStateItem::csPaintCopy)) return;
    fw::TWinControl* parent = Control->Parent();
    int saved = ::SaveDC(DC);
    TPoint P{Control->Left(), Control->Top()};
    POINT old{};
    ::OffsetWindowOrgEx(DC, P.X, P.Y, &old);
    struct TRestore {
        HDC dc;
        int saved;
        POINT old;
        ~TRestore() {
            ::SetWindowOrgEx(dc, old.x, old.y, nullptr);
            ::RestoreDC(dc, saved);
        }
    } restore{DC, saved, old};

    TteBackgroundPainter painter = nullptr;
    for (const TPainterEntry& e : Manager().Painters)
        if (parent->InheritsFrom(e.ControlClass)) {
            painter = e.Painter;
            break;
        }
    TRect bounds = Control->BoundsRect();
    if (painter) {
        fw::TCanvas canvas;
        canvas.SetHandle(DC);
        TPaintCopyScope scope(Control);
        TteBackgroundInfo info{bounds, bounds, Control, parent};
        painter(canvas, info);
        canvas.SetHandle(nullptr);
        return;
    }
    TPaintCopyScope scope(Control);
    if (!dynamic_cast<fw::TWinControl*>(Control)) {
        fw::TBitmap tmp;
        tmp.SetPixelFormat(fw::TPixelFormat::pf32bit);
        tmp.SetSize(Control->Width(), Control->Height());
        HDC bdc = tmp.Canvas()->Handle();
        POINT o{};
        ::SetWindowOrgEx(bdc, P.X, P.Y, &o);
        TParentPainter::PaintInto(parent, bdc);
        ::SetWindowOrgEx(bdc, o.x, o.y, nullptr);
        ::BitBlt(DC, P.X, P.Y, Control->Width(), Control->Height(), bdc, 0, 0, SRCCOPY);
    } else {
        TParentPainter::PaintInto(parent, DC);
    }
}

// ---- saved fonts ----

void StoreOriginalFont(fw::TFont* Font) {
    if (!Font) return;
    auto& v = Manager().SavedFonts;
    for (auto& e : v)
        if (e.first == Font) {
            e.second->Assign(Font);
            return;
        }
    auto copy = std::make_unique<fw::TFont>();
    copy->Assign(Font);
    v.emplace_back(Font, std::move(copy));
}

void ReleaseOriginalFont(fw::TFont* Font) {
    auto& v = Manager().SavedFonts;
    v.erase(std::remove_if(v.begin(), v.end(), [&](auto& e) { return e.first == Font; }), v.end());
}

void RestoreOriginalFont(fw::TFont* Font) {
    for (auto& e : Manager().SavedFonts)
        if (e.first == Font) {
            Font->Assign(e.second.get());
            return;
        }
}

// The framework has no design mode: stored properties are always the run-time values.
void NotifyControlThemeCleared(fw::TComponent*) {}
void NotifyControlThemeApplied(fw::TComponent*) {}

namespace testing {
HWND ThemeManagerWindow() {
    return Manager().Window();
}
} // namespace testing

} // namespace dvr::skin
