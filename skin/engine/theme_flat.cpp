#include "skin/engine/theme_flat.h"

#include "skin/engine/te_canvas_win.h"
#include "skin/engine/te_pixels.h"
#include "skin/engine/te_utils.h"
#include "skin/engine/te_utils_win.h"

#include <mutex>
#include <vector>

namespace dvr::skin {

namespace {

TRect Inset(TRect r, int dx, int dy) {
    return TRect{r.Left + dx, r.Top + dy, r.Right - dx, r.Bottom - dy};
}
TRect Moved(TRect r, int dx, int dy) {
    return TRect{r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
}

// The check mark: two polylines around (x, y).
void CheckMarkShape(TCanvas& c, int x, int y, TColor color) {
    static const int first[7][2] = {{-2, -2}, {0, 0}, {4, -4}, {4, -3}, {0, 1}, {-2, -1}, {-2, -2}};
    static const int second[5][2] = {{-3, -2}, {-3, -1}, {0, 2}, {5, -3}, {5, -5}};
    c.Pen()->SetStyle(fw::TPenStyle::psSolid);
    c.Pen()->SetColor(color);
    std::vector<TPoint> a, b;
    for (auto& p : first)
        a.push_back(TPoint{x + p[0], y + p[1]});
    for (auto& p : second)
        b.push_back(TPoint{x + p[0], y + p[1]});
    c.Polyline(a);
    c.Polyline(b);
}

void Glyph(TCanvas& c, TRect r, UINT type, UINT state, TColor color) {
    DrawFrameControlColored(c.Handle(), r, type, state, color);
}

TRect Centered(int w, int h, TRect in) {
    TRect r{0, 0, w, h};
    CenterRect(r, in);
    return r;
}

} // namespace

TTeFlatTheme::TTeFlatTheme() {
    UpdateColorsAndFonts();
}

void TTeFlatTheme::Assign(const fw::TPersistent* Source) {
    TteTheme::Assign(Source);
}

void TTeFlatTheme::GetThemeOptions(TteThemeOptions& Options) {
    Options = TteThemeOptions{};
    Options.Selectable = 1;
}

TColor TTeFlatTheme::ShiftedColor(int Entry, int Delta) const {
    return PixelToColor(ShiftRGB(ColorToPixel(Color(Entry), 255), Delta));
}

void TTeFlatTheme::FillAndFrame(TCanvas& Canvas, TRect Rect, TColor Fill) const {
    FillRectColor(Canvas, Rect, Fill);
    DrawFrameRect(Canvas, Rect, Color(ktcBorder));
}

void TTeFlatTheme::SetDefaultColors() {
    auto set = [&](int i, TColor c) { Colors->SetColor(i, c); };
    set(ktcCaptionNormal, 0x9CDEF7);
    set(ktcCaptionInactive, fw::clBtnFace);
    set(ktcWindowBorder, 0x808080);
    set(ktcWindow, fw::clBtnFace);
    set(ktcBorder, 0x8396A0);
    set(ktcPanelNormal, fw::clBtnFace);
    set(ktcPanelDisabled, fw::clBtnFace);
    set(ktcButtonNormal, fw::clBtnFace);
    set(ktcButtonHot, 0xE1EAEB);
    set(ktcButtonPressed, fw::clBtnFace);
    set(ktcButtonFocused, 0x996633);
    set(ktcButtonDisabled, fw::clBtnFace);
    for (int i = ktcEditNormal; i <= ktcEditDisabled; ++i)
        set(i, 0xFFFFFF);
    set(ktcEditSelection, 0xB59285);
    set(ktcList, 0xFFFFFF);
    set(ktcTree, 0xFFFFFF);
    set(ktcGrid, 0xFFFFFF);
    ApplyThemeShifts(*Colors, DeltaHue, DeltaBrightness);
}

void TTeFlatTheme::SetDefaultFonts() {
    const TFontStyles bold{TFontStyle::fsBold};
    auto set = [&](int i, int size, TColor color, TFontStyles style) {
        SetFontAttributes(*Fonts->GetFont(i), "Tahoma", size, style, color);
    };
    set(ktfCaptionTextNormal, 10, 0x000000, bold);
    set(ktfCaptionTextInactive, 10, 0x808080, bold);
    set(ktfSmCaptionTextNormal, 8, 0xFFFFFF, bold);
    set(ktfSmCaptionTextInactive, 8, 0xC0C0C0, bold);
    for (int i = ktfStaticTextNormal; i < ktfStaticTextNormal + 4; ++i)
        set(i, 8, 0x000000, {});
    for (int i = ktfButtonTextNormal; i <= ktfButtonTextFocused; ++i)
        set(i, 8, 0x000000, {});
    set(ktfButtonTextDisabled, 8, 0x808080, {});
    for (int i = ktfCheckBoxTextNormal; i <= ktfEditBoxTextHot; ++i)
        set(i, 8, 0x000000, {});
    set(ktfEditBoxTextSelected, 8, 0xFFFFFF, {});
    set(ktfEditBoxTextDisabled, 8, 0x808080, {});
    set(ktfMenuItemTextDisabled, 8, 0x808080, {});
    set(ktfToolItemTextDisabled, 8, 0x808080, {});
    set(ktfPopupMenuItemTextDisabled, 8, 0x808080, {});
    for (int i = ktfHeaderSectionTextNormal; i <= ktfHeaderSectionTextDisabled; ++i)
        set(i, 8, 0x000000, {});
    ApplyThemeShifts(*Fonts, DeltaHue, DeltaBrightness);
}

// ---- group tests: the theme object is not looked at ----

bool TTeFlatTheme::HasFormStyle(int, const TObj&) {
    return true;
}
bool TTeFlatTheme::HasHintStyle(int, const TObj&) {
    return false;
}
bool TTeFlatTheme::HasStaticTextStyle(int, const TObj&) {
    return true;
}
bool TTeFlatTheme::HasContainerStyle(int, const TObj&) {
    return true;
}
bool TTeFlatTheme::IsContainerTransparent(int, const TObj&) {
    return false;
}
bool TTeFlatTheme::HasButtonStyle(int, const TObj&) {
    return true;
}
bool TTeFlatTheme::IsButtonTransparent(int, const TObj&) {
    return true;
}
bool TTeFlatTheme::HasCheckBoxStyle(int, const TObj&) {
    return true;
}
bool TTeFlatTheme::IsCheckBoxTransparent(int, const TObj&) {
    return true;
}
bool TTeFlatTheme::HasSplitterStyle(int, const TObj&) {
    return true;
}
bool TTeFlatTheme::IsSplitterTransparent(int, const TObj&) {
    return false;
}
bool TTeFlatTheme::HasScrollBarStyle(int Kind, const TObj&) {
    return Kind == 0;
}
bool TTeFlatTheme::IsScrollBarTransparent(int, const TObj&) {
    return false;
}
bool TTeFlatTheme::HasProgressBarStyle(int, const TObj&) {
    return true;
}
bool TTeFlatTheme::IsProgressBarTransparent(int, const TObj&) {
    return false;
}
bool TTeFlatTheme::HasTrackBarStyle(int, const TObj&) {
    return true;
}
bool TTeFlatTheme::IsTrackBarTransparent(int, const TObj&) {
    return true;
}
bool TTeFlatTheme::HasHeaderStyle(int, const TObj&) {
    return true;
}
bool TTeFlatTheme::IsHeaderTransparent(int, const TObj&) {
    return false;
}
bool TTeFlatTheme::HasStatusBarStyle(int, const TObj&) {
    return true;
}
bool TTeFlatTheme::IsStatusBarTransparent(int, const TObj&) {
    return false;
}
bool TTeFlatTheme::HasEditStyle(int, const TObj&) {
    return true;
}
bool TTeFlatTheme::IsEditTransparent(int, const TObj&) {
    return false;
}
bool TTeFlatTheme::HasGroupBoxStyle(int, const TObj&) {
    return true;
}
bool TTeFlatTheme::IsGroupBoxTransparent(int, const TObj&) {
    return true;
}
bool TTeFlatTheme::HasEditAreaStyle(int, const TObj&) {
    return true;
}
bool TTeFlatTheme::IsEditAreaTransparent(int, const TObj&) {
    return false;
}
bool TTeFlatTheme::HasMenuStyle(int, const TObj&) {
    return true;
}
bool TTeFlatTheme::IsMenuTransparent(int, const TObj&) {
    return false;
}
bool TTeFlatTheme::HasControlBarStyle(int, const TObj&) {
    return true;
}
bool TTeFlatTheme::HasPanelStyle(int, const TObj&) {
    return true;
}
bool TTeFlatTheme::HasTabsStyle(int, const TObj&) {
    return true;
}
bool TTeFlatTheme::IsTabsTransparent(int, const TObj&) {
    return false;
}
bool TTeFlatTheme::HasListBoxStyle(int, const TObj&) {
    return true;
}
bool TTeFlatTheme::IsListBoxTransparent(int, const TObj&) {
    return false;
}
bool TTeFlatTheme::HasTreeStyle(int, const TObj&) {
    return true;
}
bool TTeFlatTheme::IsTreeTransparent(int, const TObj&) {
    return false;
}
bool TTeFlatTheme::HasGridStyle(int, const TObj&) {
    return true;
}
bool TTeFlatTheme::IsGridTransparent(int, const TObj&) {
    return false;
}

// ---- Form ----

HRGN TTeFlatTheme::GetFormRegion(int, const TteWindowInfo&, const TObj&) {
    return nullptr;
}

void TTeFlatTheme::GetFormContentRect(int Kind, const TteWindowInfo& Info, TRect& Rect,
                                      const TObj&) {
    Rect = Info.Rect;
    switch (Kind) {
    case 0:
    case 1:
        Rect = Inset(Rect, 3, 3);
        Rect.Top += 20;
        break;
    case 2:
        Rect = Inset(Rect, 3, 3);
        break;
    case 4:
        Rect = Inset(Rect, 3, 3);
        Rect.Top += 16;
        break;
    default:
        break;
    }
}

void TTeFlatTheme::GetFormCaptionRect(int Kind, const TteWindowInfo& Info, TRect& Rect,
                                      const TObj& ThemeObject) {
    GetFormContentRect(Kind, Info, Rect, ThemeObject);
    Rect.Bottom = Rect.Top;
    Rect.Top = 3;
}

void TTeFlatTheme::PaintFormBorder(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                                   const TteWindowInfo& Info) {
    TRect R = Info.Rect;
    DrawBevelFrame(Canvas, R, ShiftedColor(ktcButtonNormal, DarkDelta),
                   ShiftedColor(ktcButtonNormal, LightDelta));
    R = Inset(R, 1, 1);
    DrawFrameRect(Canvas, R, Color(ktcButtonNormal));
    R = Inset(R, 1, 1);
    DrawFrameRect(Canvas, R, Color(ktcButtonNormal));
    TRect Q;
    GetFormCaptionRect(Kind, Info, Q, ThemeObject);
    FillAndFrame(Canvas, Q, Color(Info.Active ? ktcCaptionNormal : ktcCaptionInactive));
}

void TTeFlatTheme::PaintFormCaption(int Kind, TCanvas& Canvas, const TObj&, TRect Rect,
                                    const TteWindowInfo& Info) {
    UseFont(Canvas, Info.Active ? ktfCaptionTextNormal : ktfCaptionTextInactive);
    TRect t = Rect;
    if (Kind == 0 || Kind == 1) t.Left += 20;
    if (Kind == 4) t.Left += 5;
    PaintText(Canvas, MakeTextInfo(t, Info.Caption, kDT_VCENTER | kDT_SINGLELINE));
}

void TTeFlatTheme::GetFormButtonRect(int Kind, const TteWindowInfo& Info, TRect& Rect, const TObj&,
                                     int Button) {
    Rect = TRect{-1, -1, -1, -1};
    TRect K;
    GetFormContentRect(Kind, Info, K, "default");
    const TRect S{K.Right - 22, 3, K.Right, K.Top};
    auto has = [&](int bit) { return int((Info.Buttons >> bit) & 1); };
    int close = has(1), max = has(5) | has(6), min = has(3) | has(4), roll = has(7) | has(8),
        tray = has(9), help = has(2);
    auto at = [&](int n) { return Moved(S, -24 * n, 0); };
    switch (Button) {
    case 0:
        if (has(0)) Rect = TRect{K.Left, 4, K.Left + 22, K.Top - 1};
        break;
    case 1:
        if (close) Rect = S;
        break;
    case 5:
    case 6:
        if (max) Rect = at(close);
        break;
    case 3:
    case 4:
        if (min) Rect = at(close + max);
        break;
    case 7:
    case 8:
        if (roll) Rect = at(close + max + min);
        break;
    case 9:
        if (tray) Rect = at(close + max + min + roll);
        break;
    case 2:
        if (help) Rect = at(close + max + min + roll + tray);
        break;
    default:
        break;
    }
}

void TTeFlatTheme::PaintFormButton(int, TCanvas& Canvas, const TObj&,
                                   const TteFormButtonInfo& Button, const TteWindowInfo&) {
    const TRect& Rect = Button.Rect;
    if (RectIsEmpty(Rect)) return;
    TColor B = Color(Button.State == 1 ? ktcButtonHot : ktcButtonNormal);
    auto shift = [](TColor c, int d) { return PixelToColor(ShiftRGB(ColorToPixel(c, 255), d)); };
    if (Button.Kind != 0) {
        FillAndFrame(Canvas, Rect, B);
        TRect R = Inset(Rect, 1, 1);
        if (Button.State == 2) DrawBevelFrame(Canvas, R, shift(B, -100), shift(B, 100));
        if (Button.State == 1) DrawBevelFrame(Canvas, R, shift(B, 100), shift(B, -100));
    }
    UINT pushed = Button.State == 2 ? DFCS_PUSHED : 0;
    switch (Button.Kind) {
    case 0:
        if (Button.Bitmap && !Button.Bitmap->IsEmpty()) {
            TRect g = Centered(Button.Bitmap->Width, Button.Bitmap->Height, Rect);
            DrawCanvas(*Button.Bitmap, Canvas, g.Left, g.Top);
        }
        break;
    case 1:
        Glyph(Canvas, Rect, DFC_CAPTION, DFCS_CAPTIONCLOSE | pushed, 0);
        break;
    case 2:
        Glyph(Canvas, Rect, DFC_CAPTION, DFCS_CAPTIONHELP | pushed, 0);
        break;
    case 3:
        Glyph(Canvas, Rect, DFC_CAPTION, DFCS_CAPTIONMIN | pushed, 0);
        break;
    case 4:
    case 6:
        Glyph(Canvas, Rect, DFC_CAPTION, DFCS_CAPTIONRESTORE | pushed, 0);
        break;
    case 5:
        Glyph(Canvas, Rect, DFC_CAPTION, DFCS_CAPTIONMAX | pushed, 0);
        break;
    case 7:
    case 8: {
        TRect t = Inset(Rect, 5, 7);
        if (Button.State == 2) t = Moved(t, -1, -1);
        int mid = (t.Left + t.Right) / 2;
        std::vector<TPoint> p =
            Button.Kind == 7
                ? std::vector<TPoint>{{t.Left, t.Bottom}, {t.Right, t.Bottom}, {mid, t.Top}}
                : std::vector<TPoint>{{t.Left, t.Top}, {t.Right, t.Top}, {mid, t.Bottom}};
        FillPolygonColor(Canvas, p, 0);
        break;
    }
    case 9: {
        TRect t = Inset(Rect, 3, 3);
        t.Top = t.Bottom - 3;
        t.Left = t.Right - 3;
        if (Button.State != 2) t = Moved(t, 1, 1);
        FillRectColor(Canvas, t, 0);
        break;
    }
    default:
        break;
    }
}

// ---- Container, Splitter, TrackBar, StatusBar, Edit, EditArea ----

void TTeFlatTheme::GetContainerContentRect(int, TRect Rect, TRect& Content, const TObj&) {
    Content = Inset(Rect, 2, 2);
}
void TTeFlatTheme::PaintContainer(int, TCanvas& Canvas, const TObj&, TRect Rect) {
    FillAndFrame(Canvas, Rect, Color(ktcPanelNormal));
}
void TTeFlatTheme::PaintSplitter(int, TCanvas& Canvas, const TObj&, TRect Rect) {
    FillAndFrame(Canvas, Rect, Color(ktcButtonNormal));
}
void TTeFlatTheme::PaintTrackBarTrack(int, TCanvas& Canvas, const TObj&,
                                      const TteTwoByteInfo& TrackBar) {
    FillAndFrame(Canvas, Inset(TrackBar.Rect, 2, 2), Color(ktcButtonNormal));
}
void TTeFlatTheme::PaintTrackBarThumb(int, TCanvas& Canvas, const TObj&,
                                      const TteRectStateInfo& Thumb, const TteTwoByteInfo&) {
    bool hot = Thumb.State == 1 || Thumb.State == 2;
    FillAndFrame(Canvas, Thumb.Rect, Color(hot ? ktcButtonHot : ktcButtonNormal));
}
void TTeFlatTheme::PaintStatusBar(int, TCanvas& Canvas, const TObj&, TRect Rect) {
    FillRectColor(Canvas, Rect, Color(ktcButtonNormal));
}
void TTeFlatTheme::PaintStatusPanel(int, TCanvas& Canvas, const TObj&, TRect Panel, TRect) {
    FillRectColor(Canvas, Panel, Color(ktcButtonNormal));
    DrawFrameRect(Canvas, Panel, ShiftedColor(ktcButtonNormal, -40));
}
void TTeFlatTheme::PaintStatusPanelImage(int, TCanvas& Canvas, const TObj&,
                                         const TteGlyphInfo& Glyph, TRect, TRect) {
    if (Glyph.Bitmap && !Glyph.Bitmap->IsEmpty()) StretchCanvas(*Glyph.Bitmap, Canvas, Glyph.Rect);
}
void TTeFlatTheme::PaintStatusBarGripper(int, TCanvas&, const TObj&, TRect) {}

void TTeFlatTheme::GetEditContentRect(int, TRect Rect, TRect& Content, const TObj&) {
    Content = Inset(Rect, 4, 4);
}
void TTeFlatTheme::PaintEditFrame(int, TCanvas& Canvas, const TObj&, const TteRectStateInfo& Edit) {
    FillAndFrame(Canvas, Edit.Rect, Color(ktcEditNormal));
}
void TTeFlatTheme::PaintEditSelection(int, TCanvas& Canvas, const TObj&,
                                      const TteRectStateInfo& Selection) {
    FillAndFrame(Canvas, Selection.Rect, Color(ktcEditSelection));
}
void TTeFlatTheme::PaintComboButton(int, TCanvas& Canvas, const TObj&, const TteTwoByteInfo& Button,
                                    const TteRectStateInfo&) {
    int s = Button.Byte1;
    int entry = s == 1   ? ktcButtonHot
                : s == 2 ? ktcButtonPressed
                : s == 3 ? ktcButtonDisabled
                         : ktcButtonNormal;
    FillAndFrame(Canvas, Button.Rect, Color(entry));
    if (Button.Byte2 == 0 || Button.Byte2 == 2)
        Glyph(Canvas, Button.Rect, DFC_SCROLL, DFCS_SCROLLDOWN, Color(ktcBorder));
    else if (Button.Byte2 == 1)
        Glyph(Canvas, Button.Rect, DFC_SCROLL, DFCS_SCROLLUP, Color(ktcBorder));
}
void TTeFlatTheme::PaintEditAreaFrame(int, TCanvas& Canvas, const TObj&,
                                      const TteRectStateInfo& Edit) {
    FillAndFrame(Canvas, Edit.Rect, Color(ktcEditNormal));
}

// ---- GroupBox ----

void TTeFlatTheme::GetGroupBoxContentRect(int, const TteGroupInfo& Group, TRect& Rect,
                                          const TObj&) {
    const TRect& g = Group.Rect;
    Rect = TRect{g.Left + 6, g.Top + 20, g.Right - 6, g.Bottom - 6};
}
void TTeFlatTheme::GetGroupBoxCaptionRect(int, TCanvas&, TRect& Rect, const TObj&,
                                          const TteGroupInfo& Group) {
    const TRect& g = Group.Rect;
    Rect = TRect{g.Left + 10, g.Top, g.Left + 10 + Group.CaptionWidth, g.Top + 20};
}
void TTeFlatTheme::PaintGroupBox(int, TCanvas& Canvas, const TObj&, const TteGroupInfo& Group) {
    HDC dc = Canvas.Handle();
    int saved = ::SaveDC(dc);
    const TRect& c = Group.CaptionRect;
    ::ExcludeClipRect(dc, c.Left, c.Top, c.Right, c.Bottom);
    TRect r = Inset(Group.Rect, 2, 2);
    r.Top += 8;
    DrawRoundRectFrame(Canvas, r, 5, Color(ktcBorder));
    ::RestoreDC(dc, saved);
}

// ---- ControlBar, Panel ----

void TTeFlatTheme::PaintControlBar(int, TCanvas& Canvas, const TObj&, TRect Rect) {
    FillRectColor(Canvas, Rect, Color(ktcButtonNormal));
}
void TTeFlatTheme::GetToolBarContentRect(int, TRect Rect, TRect& Content, const TObj&) {
    Content = Inset(Rect, 1, 1);
    Content.Left += 4;
}
void TTeFlatTheme::PaintToolBar(int, TCanvas& Canvas, const TObj&, TRect Rect) {
    FillRectColor(Canvas, Rect, ShiftedColor(ktcButtonNormal, 10));
    TRect G = Inset(Rect, 3, 3);
    G.Right = G.Left + 3;
    for (int y = G.Top; y <= G.Bottom; ++y) {
        if (!(y & 1)) continue;
        CanvasMoveTo(Canvas, G.Left, y);
        DrawLineTo(Canvas, G.Right, y, 0x808080);
    }
}

void TTeFlatTheme::GetPanelContentRect(int, TRect Rect, TRect& Content, const TObj&) {
    Content = Inset(Rect, 2, 2);
}
void TTeFlatTheme::PaintPanelPart(int, TCanvas& Canvas, const TObj&, TRect Rect) {
    FillRectColor(Canvas, Rect, Color(ktcButtonNormal));
}
void TTeFlatTheme::PaintPanel(int, TCanvas& Canvas, const TObj&, TRect Rect) {
    FillAndFrame(Canvas, Rect, Color(ktcButtonNormal));
}
void TTeFlatTheme::PaintPanelCaption(int, TCanvas& Canvas, const TObj&,
                                     const TteBarCaptionInfo& Caption) {
    FillAndFrame(Canvas, Caption.Rect, Color(ktcButtonNormal));
    PaintText(Canvas, MakeTextInfo(Caption.Rect, Caption.Caption, kDT_VCENTER | kDT_SINGLELINE));
}

namespace {
// Fill entries of buttons by state 0 normal, 1 hot, 2 pressed, 3 disabled; -1 no fill.
int StateFill(int s) {
    switch (s) {
    case 0:
        return ktcButtonNormal;
    case 1:
        return ktcButtonHot;
    case 2:
        return ktcButtonPressed;
    case 3:
        return ktcButtonDisabled;
    default:
        return -1;
    }
}
} // namespace

void TTeFlatTheme::PaintPanelButton(int, TCanvas& Canvas, const TObj&,
                                    const TteTwoByteInfo& Button) {
    int fill = StateFill(Button.Byte2);
    if (fill >= 0) FillRectColor(Canvas, Button.Rect, Color(fill));
    DrawFrameRect(Canvas, Button.Rect, Color(ktcBorder));
    TColor ink = Color(ktcBorder);
    if (Button.Byte1 == 0) Glyph(Canvas, Button.Rect, DFC_CAPTION, DFCS_CAPTIONCLOSE, ink);
    if (Button.Byte1 == 1) Glyph(Canvas, Button.Rect, DFC_SCROLL, DFCS_SCROLLUP, ink);
    if (Button.Byte1 == 2) Glyph(Canvas, Button.Rect, DFC_SCROLL, DFCS_SCROLLDOWN, ink);
}

// ---- Tabs ----

void TTeFlatTheme::PaintTabsFrame(int, TCanvas& Canvas, const TObj&, TRect Rect) {
    FillAndFrame(Canvas, Rect, Color(ktcButtonNormal));
}
void TTeFlatTheme::PaintTab(int, TCanvas& Canvas, const TObj&, const TteTabItemInfo& Tab,
                            const TteTwoByteInfo&) {
    const TRect& r = Tab.Rect;
    FillRectColor(Canvas, r, Color(Tab.Byte2 == 1 ? ktcButtonHot : ktcButtonNormal));
    // The active tab joins its page: the bottom row stays out of the clip afterwards.
    if (Tab.Byte3) ::ExcludeClipRect(Canvas.Handle(), r.Left, r.Bottom - 1, r.Right, r.Bottom);
    DrawFrameRect(Canvas, r, Color(ktcBorder));
}
void TTeFlatTheme::PaintTabScrollButton(int, TCanvas& Canvas, const TObj&,
                                        const TteTwoByteInfo& Button) {
    int fill = StateFill(Button.Byte2);
    if (fill >= 0) FillRectColor(Canvas, Button.Rect, Color(fill));
    DrawFrameRect(Canvas, Button.Rect, Color(ktcBorder));
    TColor ink = Color(ktcBorder);
    static const UINT scroll[5] = {0, DFCS_SCROLLLEFT, DFCS_SCROLLDOWN, DFCS_SCROLLUP,
                                   DFCS_SCROLLRIGHT};
    if (Button.Byte1 == 0)
        Glyph(Canvas, Button.Rect, DFC_CAPTION, DFCS_CAPTIONCLOSE, ink);
    else if (Button.Byte1 <= 4)
        Glyph(Canvas, Button.Rect, DFC_SCROLL, scroll[Button.Byte1], ink);
}

// ---- ListBox, Tree, Grid ----

void TTeFlatTheme::GetListBoxContentRect(int, TRect Rect, TRect& Content, const TObj&) {
    Content = Inset(Rect, 2, 2);
}
void TTeFlatTheme::PaintListBoxFrame(int, TCanvas& Canvas, const TObj&, TRect Rect) {
    FillAndFrame(Canvas, Rect, Color(ktcList));
}
void TTeFlatTheme::PaintListBoxItem(int, TCanvas& Canvas, const TObj&,
                                    const TteRectStateInfo& Item) {
    switch (Item.State) {
    case 0:
    case 1:
    case 4:
        FillRectColor(Canvas, Item.Rect, Color(ktcList));
        break;
    case 2:
    case 3:
        FillAndFrame(Canvas, Item.Rect, Color(ktcButtonHot));
        break;
    default:
        break;
    }
}
void TTeFlatTheme::PaintListBoxCheck(int, TCanvas& Canvas, const TObj&,
                                     const TteListCheckInfo& Check, const TteRectStateInfo& Item) {
    int kind = Check.State;
    if (kind <= 2) {
        TRect box = Centered(13, 13, Check.Rect);
        int entry = Item.State == 1                      ? ktcButtonHot
                    : Item.State == 2 || Item.State == 3 ? ktcButtonFocused
                                                         : ktcButtonNormal;
        FillAndFrame(Canvas, box, Color(entry));
        if (kind == 0)
            CheckMarkShape(Canvas, (box.Left + box.Right) / 2 - 1, (box.Top + box.Bottom) / 2 + 1,
                           Color(ktcBorder));
        if (kind == 2) FillRectColor(Canvas, Inset(box, 3, 3), Color(ktcBorder));
    } else if (kind == 3 && Check.Bitmap && !Check.Bitmap->IsEmpty()) {
        StretchCanvas(*Check.Bitmap, Canvas,
                      Centered(Check.Bitmap->Width, Check.Bitmap->Height, Check.Rect));
    }
}

void TTeFlatTheme::PaintTreeFrame(int, TCanvas& Canvas, const TObj&, TRect Rect) {
    FillAndFrame(Canvas, Rect, Color(ktcTree));
}
void TTeFlatTheme::PaintTreeItem(int, TCanvas& Canvas, const TObj&, const TteRectStateInfo& Item) {
    int s = Item.State;
    if (s == 0 || s == 1 || s == 4) FillRectColor(Canvas, Item.Rect, Color(ktcTree));
    if (s == 2 || s == 3) FillRectColor(Canvas, Item.Rect, Color(ktcButtonHot));
    DrawFrameRect(Canvas, Item.Rect, Color(ktcBorder));
}

void TTeFlatTheme::PaintGridFrame(int, TCanvas& Canvas, const TObj&, TRect Rect) {
    FillAndFrame(Canvas, Rect, Color(ktcGrid));
}
void TTeFlatTheme::PaintGridCell(int, TCanvas& Canvas, const TObj&, const TteGridCellInfo& Cell) {
    if (Cell.Fixed == 1) {
        FillRectColor(Canvas, Cell.Rect, Color(ktcButtonNormal));
        return;
    }
    switch (Cell.State) {
    case 0:
    case 4:
        FillRectColor(Canvas, Cell.Rect, Color(ktcGrid));
        break;
    case 1:
        FillRectColor(Canvas, Cell.Rect, Color(ktcButtonHot));
        break;
    case 2:
    case 3:
        FillAndFrame(Canvas, Cell.Rect, Color(ktcButtonFocused));
        break;
    default:
        break;
    }
}

// ---- Header ----

void TTeFlatTheme::PaintHeaderFrame(int, TCanvas& Canvas, const TObj&, TRect Rect) {
    FillRectColor(Canvas, Rect, Color(ktcButtonNormal));
}
void TTeFlatTheme::PaintHeaderSection(int, TCanvas& Canvas, const TObj&,
                                      const TteHeaderSectionInfo& Section) {
    static const int fills[7] = {ktcButtonNormal, ktcButtonFocused, ktcButtonDisabled, ktcButtonHot,
                                 ktcButtonHot,    ktcButtonFocused, ktcButtonDisabled};
    if (Section.State < 7) FillRectColor(Canvas, Section.Rect, Color(fills[Section.State]));
    DrawFrameRect(Canvas, Section.Rect, Color(ktcBorder));
}
void TTeFlatTheme::PaintHeaderText(int, TCanvas& Canvas, const TObj&, const TteTextInfo& TextInfo,
                                   const TteHeaderSectionInfo& Section, TRect) {
    TteTextInfo t = TextInfo;
    if (Section.State == 4) t.Rect = Moved(t.Rect, -1, -1);
    PaintText(Canvas, t);
}
void TTeFlatTheme::PaintHeaderImage(int, TCanvas& Canvas, const TObj&, const TteGlyphInfo& Glyph,
                                    const TteHeaderSectionInfo& Section, TRect) {
    if (!Glyph.Bitmap || Glyph.Bitmap->IsEmpty()) return;
    TRect r = Section.State == 4 ? Moved(Glyph.Rect, -1, -1) : Glyph.Rect;
    StretchCanvas(*Glyph.Bitmap, Canvas, r);
}

// ---- ScrollBar, ProgressBar ----

void TTeFlatTheme::PaintScrollBarButton(int, TCanvas& Canvas, const TObj&,
                                        const TteTwoByteInfo& Button, const TteRectStateInfo&) {
    int s = Button.Byte1;
    int entry = s == 3   ? ktcButtonDisabled
                : s == 1 ? ktcButtonFocused
                : s == 2 ? ktcButtonHot
                         : ktcButtonNormal;
    FillAndFrame(Canvas, Button.Rect, Color(entry));
    UINT arrow;
    switch (Button.Byte2) {
    case 0:
        arrow = DFCS_SCROLLUP;
        break;
    case 1:
        arrow = DFCS_SCROLLDOWN;
        break;
    case 4:
        arrow = DFCS_SCROLLLEFT;
        break;
    case 5:
        arrow = DFCS_SCROLLRIGHT;
        break;
    default:
        return;
    }
    Glyph(Canvas, Button.Rect, DFC_SCROLL, arrow, Color(ktcBorder));
}

void TTeFlatTheme::PaintScrollBarTrack(int, TCanvas& Canvas, const TObj&,
                                       const TteRectStateInfo& Track) {
    FillCheckerRect(Canvas, Track.Rect, fw::clBtnFace, 0xFFFFFF);
}

void TTeFlatTheme::PaintProgressBar(int, TCanvas& Canvas, const TObj&, const TteProgressInfo& P) {
    FillAndFrame(Canvas, P.Rect, Color(ktcButtonNormal));
    TRect R = Inset(Inset(P.Rect, 2, 2), P.Inset, P.Inset);
    if (!(0 <= P.Min && P.Min <= P.From && P.From <= P.To && P.To <= P.Max && P.Max != P.Min))
        return;
    // The products are taken in 64 bits: large ranges would overflow 32.
    double span = double(int64_t(P.Max) - P.Min);
    auto part = [&](int32_t v, int size) {
        return RoundEven(double((int64_t(v) - P.Min) * size) / span);
    };
    TRect bar = R;
    if (!P.Vertical) {
        int W = R.Width();
        bar.Left = R.Left + part(P.From, W);
        bar.Right = R.Left + part(P.To, W);
    } else {
        int H = R.Height();
        bar.Top = R.Bottom - part(P.To, H);
        bar.Bottom = R.Bottom - part(P.From, H);
    }
    FillAndFrame(Canvas, bar, Color(ktcButtonHot));
}

// ---- Button, CheckBox ----

void TTeFlatTheme::PaintButton(int Kind, TCanvas& Canvas, const TObj&,
                               const TteButtonInfo& Button) {
    if (Kind >= 12) return;
    int s = Button.State;
    int entry;
    if (s == 3 || s == 8)
        entry = ktcButtonDisabled;
    else if (s == 2 || s == 7)
        entry = ktcButtonPressed;
    else if (s == 1 || s == 6)
        entry = Button.Flag ? ktcButtonNormal : ktcButtonHot;
    else if (s == 4 || s == 9 || Button.Default)
        entry = ktcButtonFocused;
    else
        entry = ktcButtonNormal;
    FillAndFrame(Canvas, Button.Rect, Color(entry));
    if (Kind == 2) FillRoundRectColor(Canvas, Centered(5, 5, Button.Rect), 3, 0x0000FF);
}

void TTeFlatTheme::PaintButtonText(int, TCanvas& Canvas, const TObj&, const TteTextInfo& TextInfo,
                                   const TteButtonInfo& Button) {
    static const int fonts[5] = {ktfButtonTextNormal, ktfButtonTextHot, ktfButtonTextPressed,
                                 ktfButtonTextDisabled, ktfButtonTextFocused};
    TteTheme* source = CurrentTheme() ? CurrentTheme() : this;
    if (Button.State < 5)
        if (TteFont* f = source->Fonts->GetFont(fonts[Button.State]))
            FontToTFont(*f, *Canvas.Font());
    PaintText(Canvas, TextInfo);
}

void TTeFlatTheme::PaintButtonGlyph(int, TCanvas& Canvas, const TObj&, const TteGlyphInfo& Glyph,
                                    const TteButtonInfo&) {
    if (Glyph.Bitmap && !Glyph.Bitmap->IsEmpty())
        DrawCanvas(*Glyph.Bitmap, Canvas, Glyph.Rect.Left, Glyph.Rect.Top);
}

void TTeFlatTheme::PaintCheckBox(int Kind, TCanvas& Canvas, const TObj&,
                                 const TteCheckBoxInfo& CheckBox) {
    const TRect& r = CheckBox.Rect;
    TColor c = Color(CheckBox.State == 1   ? ktcButtonHot
                     : CheckBox.State == 2 ? ktcButtonFocused
                                           : ktcButtonNormal);
    TColor border = Color(ktcBorder);
    if (Kind == 0) {
        FillAndFrame(Canvas, r, c);
        if (CheckBox.Check == 1)
            CheckMarkShape(Canvas, (r.Left + r.Right) / 2 - 1, (r.Top + r.Bottom) / 2 + 1, border);
        if (CheckBox.Check == 2) FillRectColor(Canvas, Inset(r, 3, 3), border);
    } else if (Kind == 1) {
        FillRoundRectColor(Canvas, r, 10, c);
        DrawRoundRectFrame(Canvas, r, 10, border);
        if (CheckBox.Check == 1) FillRoundRectColor(Canvas, Inset(r, 3, 3), 10, border);
    }
}

// ---- Menu ----

void TTeFlatTheme::GetMenuContentRect(int, TRect Rect, TRect& Content, const TObj&) {
    Content = Inset(Rect, 2, 2);
}

void TTeFlatTheme::PaintMenuFrame(int Kind, TCanvas& Canvas, const TObj&, TRect Rect) {
    switch (Kind) {
    case 0:
        FillRectColor(Canvas, Rect, Color(ktcButtonNormal));
        break;
    case 1:
        FillRectColor(Canvas, Rect, ShiftedColor(ktcButtonNormal, 10));
        break;
    case 2:
        FillRectColor(Canvas, Rect, 0xFFFFFF);
        FillRectCoords(Canvas, Rect.Left, Rect.Top, Rect.Left + MenuGutterWidth + 2, Rect.Bottom,
                       Color(ktcButtonNormal));
        DrawFrameRect(Canvas, Rect, 0x808080);
        break;
    default:
        break;
    }
}

void TTeFlatTheme::PaintMenuItem(int Kind, TCanvas& Canvas, const TObj&,
                                 const TteMenuItemInfo& Item) {
    const TRect& r = Item.Rect;
    auto gutter = [&] {
        FillRectCoords(Canvas, r.Left, r.Top, r.Left + MenuGutterWidth, r.Bottom,
                       Color(ktcButtonNormal));
    };
    switch (Item.ItemKind) {
    case 0:
        if (Kind == 0 || Kind == 1) {
            TColor bar = Kind == 0 ? Color(ktcButtonNormal) : ShiftedColor(ktcButtonNormal, 10);
            if (Item.State == 1) {
                FillRectColor(Canvas, r, bar);
                DrawFrameRect(Canvas, r, 0x808080);
            } else if (Item.State == 2) {
                FillAndFrame(Canvas, r, Color(ktcButtonHot));
            } else {
                FillRectColor(Canvas, r, bar);
            }
        } else if (Item.State == 1 || Item.State == 2) {
            FillAndFrame(Canvas, r, Color(ktcButtonHot));
        } else {
            FillRectColor(Canvas, r, 0xFFFFFF);
            gutter();
        }
        break;
    case 1: {
        FillRectColor(Canvas, r, 0xFFFFFF);
        gutter();
        TRect line = Inset(r, 5, r.Height() / 2);
        line.Left += MenuGutterWidth + 2;
        FillRectColor(Canvas, line, 0x808080);
        break;
    }
    case 2:
    case 3:
        FillRectColor(Canvas, r, 0xFFFFFF);
        gutter();
        if (Item.State == 1 || Item.State == 2) DrawFrameRect(Canvas, r, 0x808080);
        Glyph(Canvas, Centered(14, 14, r), DFC_SCROLL,
              Item.ItemKind == 2 ? DFCS_SCROLLUP : DFCS_SCROLLDOWN, 0x808080);
        break;
    default:
        break;
    }
}

void TTeFlatTheme::PaintMenuItemGlyph(int, TCanvas& Canvas, const TObj&, const TteMenuGlyphInfo& G,
                                      const TteMenuItemInfo& Item) {
    switch (G.GlyphKind) {
    case 0: {
        FillAndFrame(Canvas, Inset(G.Rect, 1, 1), Color(ktcButtonHot));
        TRect box = Centered(16, 16, G.Rect);
        CheckMarkShape(Canvas, (box.Left + box.Right) / 2 - 2, (box.Top + box.Bottom) / 2 + 1,
                       Canvas.Font()->Color());
        break;
    }
    case 1:
        FillRoundRectColor(Canvas, Centered(6, 6, G.Rect), 3, 0x000000);
        break;
    case 2:
        Glyph(Canvas, Centered(16, 16, G.Rect), DFC_MENU, DFCS_MENUARROW, Canvas.Font()->Color());
        break;
    case 3: {
        if (!G.Bitmap || G.Bitmap->IsEmpty()) break;
        TRect r = Centered(G.Bitmap->Width, G.Bitmap->Height, G.Rect);
        if (Item.State == 1 || Item.State == 2) {
            r = Moved(r, -1, -1);
            G.Bitmap->SetAlpha(255);
            DrawBitmapShadow(Canvas.Handle(), r.Left + 2, r.Top + 2, *G.Bitmap, 0x808080);
        }
        StretchCanvas(*G.Bitmap, Canvas, r);
        break;
    }
    case 4:
        if (G.Bitmap && !G.Bitmap->IsEmpty()) {
            TRect r = Centered(G.Bitmap->Width, G.Bitmap->Height, G.Rect);
            DrawCanvas(*G.Bitmap, Canvas, r.Left, r.Top);
        }
        break;
    case 13:
        Glyph(Canvas, G.Rect, DFC_CAPTION, DFCS_CAPTIONMIN, 0);
        break;
    case 14:
        Glyph(Canvas, G.Rect, DFC_CAPTION, DFCS_CAPTIONRESTORE, 0);
        break;
    case 15:
        Glyph(Canvas, G.Rect, DFC_CAPTION, DFCS_CAPTIONCLOSE, 0);
        break;
    default:
        break;
    }
}

// ---- unit start ----

void InitFlatThemeUnit() {
    static std::once_flag once;
    std::call_once(once, [] { RegisterThemeClass(TTeFlatTheme::StaticClass()); });
}

namespace {
struct TFlatUnitStart {
    TFlatUnitStart() { InitFlatThemeUnit(); }
} g_flat_unit_start;
} // namespace

} // namespace dvr::skin
