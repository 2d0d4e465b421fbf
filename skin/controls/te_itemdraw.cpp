// Measuring and painting menu items: through the current theme's Menu group, with the
// Windows visual style where a menu bar lies on a control bar, or plainly.
#include "common/win/textconv.h"
#include "skin/controls/te_itemview.h"
#include "skin/engine/te_bitmap_win.h"
#include "skin/engine/te_canvas_win.h"
#include "skin/engine/te_theme.h"
#include "skin/engine/te_utils_win.h"
#include "skin/engine/te_winapi.h"

#include <algorithm>

namespace dvr::skin {

fw::TColor CheckedItemCheckerColor = fw::TColor(-1);

namespace {

constexpr TteColor kArrowKey = 0x007F007F;

int PixelLightness(TteColor P) {
    return (int(P & 0xFF) + int((P >> 8) & 0xFF) + int((P >> 16) & 0xFF)) / 3;
}

struct MenuResources {
    MenuResources() {
        NONCLIENTMETRICSW m{};
        m.cbSize = sizeof(m);
        if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(m), &m, 0)) {
            width = std::max<int>(m.iMenuWidth, 20);
            height = std::max<int>(m.iMenuHeight, 20);
            // The font takes the handle's properties; the handle stays ours to delete.
            if (HFONT f = ::CreateFontIndirectW(&m.lfMenuFont)) {
                font.SetHandle(f);
                ::DeleteObject(f);
            }
        } else {
            width = height = 20;
        }
        arrow.SetSize(20, 20);
        arrow.FillColor(0xFFFFFFFF); // white around the arrow, whatever the frame control draws
        HDC dc = BitmapDC(arrow);
        RECT r{0, 0, 20, 20};
        ::DrawFrameControl(dc, &r, DFC_MENU, DFCS_MENUARROW);
        ::GdiFlush();
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x)
                // Only the dark strokes are the arrow (the frame control may paint its
                // background in the menu colour rather than white).
                // Kept as the key pixel, the transparent colour of drawing.
                if (PixelLightness(arrow.GetPixel(x, y)) > 128) arrow.SetPixel(x, y, kArrowKey);
        arrow.Transparent = true;
    }
    int width = 19, height = 19;
    fw::TFont font;
    TteBitmap arrow;
};

MenuResources* g_menus = nullptr;

MenuResources& Menus() {
    if (!g_menus) g_menus = new MenuResources();
    return *g_menus;
}

bool ItemClassNamed(const fw::TObject* Object, const char* Name) {
    for (const fw::TMetaClass* c = Object ? Object->ClassType() : nullptr; c; c = c->ClassParent())
        if (c->ClassName() == Name) return true;
    return false;
}

// The menu bar component of an item's tree, or nullptr.
fw::TComponent* ItemMenuBar(const TTeItem* Item) {
    const TTeItem* r = Item;
    while (r->Parent()) r = r->Parent();
    fw::TComponent* pc = r->ParentComponent();
    return pc && ItemClassNamed(pc, "TTeMenuBar") ? pc : nullptr;
}

bool ItemOnControlBar(const TTeItem* Item) {
    fw::TComponent* bar = ItemMenuBar(Item);
    if (!bar || !bar->InheritsFrom(fw::TControl::StaticClass())) return false;
    fw::TWinControl* parent = static_cast<fw::TControl*>(bar)->Parent();
    return parent && ItemClassNamed(parent, "TTeControlBar");
}

int ItemBarKind(const TTeItem* Item) {
    return ItemOnControlBar(Item) && CurrentThemeHasMenuStyle(1, Item->ThemeObject()) ? 1 : 0;
}

int CaptionWidth(fw::TCanvas& Canvas, const std::wstring& Caption) {
    TRect r{0, 0, 0, 0};
    RECT rc{0, 0, 0, 0};
    ::DrawTextW(Canvas.Handle(), Caption.c_str(), int(Caption.size()), &rc,
                DT_CALCRECT | DT_NOPREFIX | DT_SINGLELINE);
    (void)r;
    return rc.right - rc.left;
}

void ThemeFontToCanvas(fw::TCanvas& Canvas, int Index, const std::string& ThemeObject) {
    TteFont f;
    CurrentTheme()->GetStyleFont(f, Index, ThemeObject);
    FontToTFont(f, *Canvas.Font());
}

void ItemBevel(fw::TCanvas& Canvas, TRect R, bool Sunken) {
    DrawBevelFrame(Canvas, R, Sunken ? fw::clBtnShadow : fw::clBtnHighlight,
                   Sunken ? fw::clBtnHighlight : fw::clBtnShadow);
}

void DrawItemText(fw::TCanvas& Canvas, const std::wstring& Text, TRect R, UINT Flags,
                  fw::TColor Color) {
    Canvas.Font()->SetColor(Color);
    Canvas.Brush()->SetStyle(fw::TBrushStyle::bsClear);
    DrawWideText(Canvas, Text, R, Flags);
}

void DrawEmbossed(fw::TCanvas& Canvas, const std::wstring& Text, TRect R, UINT Flags) {
    DrawItemText(Canvas, Text, TRect{R.Left + 1, R.Top + 1, R.Right + 1, R.Bottom + 1}, Flags,
                 fw::clBtnHighlight);
    DrawItemText(Canvas, Text, R, Flags, fw::clBtnShadow);
}

void DrawImageCentered(fw::TCanvas& Canvas, fw::TImageList* List, int Index, TRect Cell,
                       bool Enabled) {
    if (!List || Index < 0) return;
    int x = Cell.Left + (Cell.Right - Cell.Left - List->Width()) / 2;
    int y = Cell.Top + (Cell.Bottom - Cell.Top - List->Height()) / 2;
    List->Draw(&Canvas, x, y, Index, Enabled);
}

void DrawCheckMark(fw::TCanvas& Canvas, TRect Cell) {
    int cx = (Cell.Left + Cell.Right) / 2 - 2, cy = (Cell.Top + Cell.Bottom) / 2 + 1;
    auto pts = [&](std::initializer_list<std::pair<int, int>> offsets) {
        std::vector<TPoint> v;
        for (auto [dx, dy] : offsets) v.push_back(TPoint{cx + dx, cy + dy});
        return v;
    };
    Canvas.Pen()->SetColor(fw::clBlack);
    Canvas.Polyline(pts({{-2, -2}, {0, 0}, {4, -4}, {4, -3}, {0, 1}, {-2, -1}, {-2, -2}}));
    Canvas.Pen()->SetColor(fw::clWhite);
    Canvas.Polyline(pts({{-3, -2}, {-3, -1}, {0, 2}, {5, -3}, {5, -5}}));
}

} // namespace

int MenuItemWidth() {
    return Menus().width;
}
int MenuItemHeight() {
    return Menus().height;
}
void FreeMenuResources() {
    MenuResources* r = g_menus;
    g_menus = nullptr;
    delete r;
}

fw::TFont* MenuFont() {
    return &Menus().font;
}
TteBitmap& SubMenuArrow() {
    return Menus().arrow;
}

void DrawSubMenuArrow(fw::TCanvas& Canvas, int X, int Y, fw::TColor Color) {
    TteBitmap& a = SubMenuArrow();
    COLORREF c = fw::ColorToRGB(Color);
    TteColor px = 0xFF000000u | (TteColor(GetRValue(c)) << 16) | (TteColor(GetGValue(c)) << 8) |
                  GetBValue(c);
    int strokes = 0;
    for (int y = 0; y < a.Height; ++y)
        for (int x = 0; x < a.Width; ++x)
            if ((a.GetPixel(x, y) & 0x00FFFFFF) != kArrowKey) {
                a.SetPixel(x, y, px);
                ++strokes;
            }
    if (strokes > 0 && strokes < a.Width * a.Height / 2) {
        Draw(a, Canvas.Handle(), X, Y);
        return;
    }
    // The system drew no usable glyph: the arrow as a small triangle.
    int cx = X + a.Width / 2, cy = Y + a.Height / 2;
    std::vector<TPoint> tri{TPoint{cx - 2, cy - 4}, TPoint{cx + 2, cy}, TPoint{cx - 2, cy + 4}};
    FillPolygonColor(Canvas, tri, Color);
}

void PaintRaisedBox(fw::TCanvas& Canvas, int Left, int Top, int Right, int Bottom) {
    FillRectCoords(Canvas, Left, Top, Right, Bottom, fw::clBtnFace);
    DrawBevelFrame(Canvas, TRect{Left + 1, Top + 1, Right - 1, Bottom - 1}, fw::clBtnHighlight,
                   fw::clBtnShadow);
    DrawBevelFrame(Canvas, TRect{Left, Top, Right, Bottom}, fw::cl3DLight, fw::cl3DDkShadow);
}

void PaintFlatBox(fw::TCanvas& Canvas, int Left, int Top, int Right, int Bottom) {
    FillRectCoords(Canvas, Left, Top, Right, Bottom, fw::clBtnFace);
    DrawFrameRectCoords(Canvas, Left, Top, Right, Bottom, fw::clBtnShadow);
}

// ---- measuring ----

void TTeItem::MeasureItem(fw::TCanvas* Canvas, TTeItemView* View, int& Width, int& Height) {
    if (!Canvas) return;
    Canvas->SetFont(MenuFont());
    Width = MenuItemWidth();
    Height = MenuItemHeight();
    fw::TImageList* list = GetImageList();
    if (View && View->IsMenuBar()) {
        if (CurrentThemeHasMenuStyle(0, ThemeObject()))
            ThemeFontToCanvas(*Canvas, 34, ThemeObject());
        Width = CaptionWidth(*Canvas, Caption()) + 12;
        if (list && list->Height() > Height) Height = list->Height() + 4;
        if (list && ImageIndex() >= 0) Width += GetImageColumnWidth();
        if (ItemKind() != 0) Width = Height;
        return;
    }
    if (CurrentThemeHasMenuStyle(2, ThemeObject())) ThemeFontToCanvas(*Canvas, 62, ThemeObject());
    Width = CaptionWidth(*Canvas, Caption()) + GetImageColumnWidth() + 42;
    if (ShortCut()) Width += CaptionWidth(*Canvas, win::GbkToWide(fw::ShortCutToText(ShortCut())));
    if (IsSeparator())
        Height = 15;
    else if (list && list->Height() > Height)
        Height = list->Height() + 4;
}

// ---- painting ----

void TTeItem::PaintItem(fw::TCanvas* Canvas, TTeItemView* View, TRect Rect, bool Hot, bool Idle) {
    if (!Canvas || !Visible()) return;
    int state = !Enabled() ? 3 : Hot ? (Idle ? 2 : 1) : 0;
    if (View && View->IsMenuBar())
        PaintBarItem(*Canvas, View, Rect, Hot, Idle, state);
    else
        PaintPopupItem(*Canvas, View, Rect, Hot, Idle, state);
}

void TTeItem::PaintBarItem(fw::TCanvas& c, TTeItemView* /*View*/, TRect Rect, bool Hot,
                           bool Idle, int State) {
    int bar = ItemBarKind(this);
    fw::TImageList* list = GetImageList();
    int col = GetImageColumnWidth();
    if (CurrentThemeHasMenuStyle(bar, ThemeObject())) {
        TteTheme* t = CurrentTheme();
        t->PaintMenuItem(bar, c, ThemeObject(), MakeMenuItemInfo(Rect, 0, 0, uint8_t(State)));
        if (ItemKind() == 0) {
            int font = (bar == 1 ? 38 : 34) + (State == 3 ? 3 : State == 1 ? 1 : State == 2 ? 2 : 0);
            ThemeFontToCanvas(c, font, ThemeObject());
            TRect text = Rect;
            if (list && ImageIndex() >= 0) {
                TRect cell{Rect.Left, Rect.Top, Rect.Left + col, Rect.Bottom};
                t->PaintMenuItemGlyph(0, c, "default",
                                      MakeMenuImageInfo(cell, list, ImageIndex(), Enabled(),
                                                        uint8_t(State)),
                                      MakeMenuItemInfo(cell, 0, 0, uint8_t(State)));
                text.Left = cell.Right;
            }
            t->PaintMenuItemText(
                bar, c, ThemeObject(),
                MakeTextInfo(text, Caption(),
                             DrawTextBiDiModeFlags(DT_SINGLELINE | DT_VCENTER | DT_CENTER)),
                MakeMenuItemInfo(Rect, 0, 0, uint8_t(State)));
        } else if (ItemKind() <= 3) {
            uint8_t mark = ItemKind() == 1 ? 15 : ItemKind() == 2 ? 14 : 13;
            t->PaintMenuItemGlyph(bar, c, "default", MakeMenuMarkInfo(Rect, mark),
                                  MakeMenuItemInfo(Rect, 0, 0, uint8_t(State)));
        } else if (fw::TComponent* form = FindSkinnedForm()) {
            (void)form;
            TteBitmap icon;
            icon.SetSize(16, 16);
            icon.FillColor(0x007F007F);
            icon.Transparent = true;
            if (MDIChildForm() && MDIChildForm()->HandleAllocated()) {
                HICON h = HICON(::SendMessageW(MDIChildForm()->WindowHandle(), WM_GETICON,
                                               ICON_SMALL, 0));
                if (h) ::DrawIconEx(BitmapDC(icon), 0, 0, h, 16, 16, 0, nullptr, DI_NORMAL);
            }
            t->PaintMenuItemGlyph(bar, c, "default", MakeMenuGlyphInfo(Rect, &icon, uint8_t(State), 4),
                                  MakeMenuItemInfo(Rect, 0, 0, uint8_t(State)));
        }
        return;
    }
    c.SetFont(MenuFont());
    if (ItemKind() >= 1 && ItemKind() <= 3) {
        FillRectColor(c, Rect, fw::clMenu);
        TRect r{Rect.Left + 2, Rect.Top + 2, Rect.Right - 2 + 1, Rect.Bottom - 2 - 1};
        UINT kind = ItemKind() == 1 ? DFCS_CAPTIONCLOSE
                    : ItemKind() == 2 ? DFCS_CAPTIONRESTORE
                                      : DFCS_CAPTIONMIN;
        UINT flags = kind | 0x10;
        if (Hot && Idle) flags |= DFCS_FLAT;
        if (Hot && !Idle) flags |= DFCS_PUSHED;
        DrawCaptionFrameControl(c.Handle(), r, flags);
        return;
    }
    if (ItemKind() == 4) {
        int cx = ::GetSystemMetrics(SM_CXSMICON), cy = ::GetSystemMetrics(SM_CYSMICON);
        if (cx == 0 || cy == 0) {
            cx = ::GetSystemMetrics(SM_CXSIZE);
            cy = ::GetSystemMetrics(SM_CYSIZE);
        }
        HICON src = nullptr;
        if (MDIChildForm() && MDIChildForm()->HandleAllocated())
            src = HICON(::SendMessageW(MDIChildForm()->WindowHandle(), WM_GETICON, ICON_SMALL, 0));
        bool shared = false;
        if (!src) {
            src = ::LoadIconW(nullptr, MAKEINTRESOURCEW(32512));
            shared = true;
        }
        HICON copy = src ? HICON(::CopyImage(src, IMAGE_ICON, cx, cy, 0)) : nullptr;
        (void)shared;
        if (Hot) ItemBevel(c, Rect, !Idle);
        if (copy) {
            ::DrawIconEx(c.Handle(), Rect.Left + 1, Rect.Top + 1, copy, cx, cy, 0, nullptr, DI_NORMAL);
            ::DestroyIcon(copy);
        }
        return;
    }
    bool on_bar = ItemOnControlBar(this);
    bool visual = IsSystemThemeActive();
    if (on_bar && visual) {
        const TThemeFunctions& f = ThemeFunctions();
        if (f.OpenThemeData && f.DrawThemeBackground && f.CloseThemeData) {
            if (HTHEME th = f.OpenThemeData(nullptr, L"Toolbar")) {
                RECT rc{Rect.Left, Rect.Top, Rect.Right, Rect.Bottom};
                int st = Hot ? (Idle ? 2 : 3) : 1;
                f.DrawThemeBackground(th, c.Handle(), 1, st, &rc, nullptr);
                f.CloseThemeData(th);
            }
        }
        TRect cell{Rect.Left, Rect.Top, Rect.Left + (Rect.Bottom - Rect.Top), Rect.Bottom};
        DrawImageCentered(c, list, ImageIndex(), cell, Enabled());
        TRect text = Rect;
        if (list && ImageIndex() >= 0) text.Left += col;
        DrawItemText(c, Caption(), text, DrawTextBiDiModeFlags(DT_SINGLELINE | DT_VCENTER | DT_CENTER),
                     Enabled() ? fw::clMenuText : fw::clGrayText);
        return;
    }
    FillRectColor(c, Rect, fw::clMenu);
    if (Enabled() && Hot) {
        if (visual)
            FillRectColor(c, TRect{Rect.Left + 1, Rect.Top + 1, Rect.Right - 1, Rect.Bottom - 1},
                          fw::clHighlight);
        else
            ItemBevel(c, Rect, !Idle);
    }
    TRect cell{Rect.Left, Rect.Top, Rect.Left + (Rect.Bottom - Rect.Top), Rect.Bottom};
    DrawImageCentered(c, list, ImageIndex(), cell, Enabled());
    TRect text = Rect;
    if (list && ImageIndex() >= 0) text.Left += col;
    UINT flags = DrawTextBiDiModeFlags(DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    if (!Enabled())
        DrawEmbossed(c, Caption(), text, flags);
    else
        DrawItemText(c, Caption(), text, flags,
                     Hot && visual ? fw::clHighlightText : fw::clMenuText);
}

void TTeItem::PaintPopupItem(fw::TCanvas& c, TTeItemView* /*View*/, TRect Rect, bool Hot,
                             bool /*Idle*/, int State) {
    fw::TImageList* list = GetImageList();
    bool has_image = list && ImageIndex() >= 0;
    int col = GetImageColumnWidth();
    std::wstring shortcut =
        ShortCut() ? win::GbkToWide(fw::ShortCutToText(ShortCut())) : std::wstring();
    if (CurrentThemeHasMenuStyle(2, ThemeObject())) {
        TteTheme* t = CurrentTheme();
        if (IsSeparator()) {
            t->PaintMenuItem(2, c, "default", MakeMenuItemInfo(Rect, 1, 0, uint8_t(State)));
            return;
        }
        t->PaintMenuItem(2, c, "default",
                         MakeMenuItemInfo(Rect, 0, Checked() ? 2 : 0, uint8_t(State)));
        ThemeFontToCanvas(c, 62 + (State == 3 ? 3 : State), "default");
        if (Checked() || has_image) {
            TRect cell{Rect.Left, Rect.Top, Rect.Left + col, Rect.Bottom};
            TteMenuGlyphInfo g = has_image ? MakeMenuImageInfo(cell, list, ImageIndex(), Enabled(),
                                                               uint8_t(State))
                                           : MakeMenuMarkInfo(cell, 0);
            t->PaintMenuItemGlyph(2, c, "default", g, MakeMenuItemInfo(cell, 0, 0, uint8_t(State)));
        }
        TRect text{Rect.Left + col + 4, Rect.Top, Rect.Right, Rect.Bottom};
        t->PaintMenuItemText(2, c, "default",
                             MakeTextInfo(text, Caption(),
                                          DrawTextBiDiModeFlags(DT_SINGLELINE | DT_VCENTER)),
                             MakeMenuItemInfo(Rect, 0, 0, uint8_t(State)));
        if (!shortcut.empty())
            t->PaintMenuItemText(
                2, c, "default",
                MakeTextInfo(TRect{Rect.Left, Rect.Top, Rect.Right - 22, Rect.Bottom}, shortcut,
                             DrawTextBiDiModeFlags(DT_SINGLELINE | DT_VCENTER | DT_RIGHT)),
                MakeMenuItemInfo(Rect, 0, 0, uint8_t(State)));
        if (Count() > 0) {
            TRect a{Rect.Right - 24, Rect.Top, Rect.Right - 2, Rect.Bottom};
            a.Top += ((Rect.Bottom - Rect.Top) - SubMenuArrow().Height) / 2;
            t->PaintMenuItemGlyph(2, c, "default", MakeMenuMarkInfo(a, 2),
                                  MakeMenuItemInfo(a, 0, 0, uint8_t(State)));
        }
        return;
    }
    c.SetFont(MenuFont());
    bool visual = IsSystemThemeActive();
    if (IsSeparator()) {
        FillRectColor(c, Rect, fw::clMenu);
        TRect line{Rect.Left + 2, Rect.Top + 7, Rect.Right - 2, Rect.Top + 9};
        DrawBevelFrame(c, line, fw::clBtnShadow, fw::clBtnHighlight);
        return;
    }
    fw::TColor text_color = fw::clMenuText;
    if (Hot) {
        FillRectColor(c, Rect, fw::clHighlight);
        text_color = fw::clHighlightText;
    } else {
        FillRectColor(c, Rect, fw::clMenu);
    }
    if (Checked() || has_image) {
        TRect cell{Rect.Left, Rect.Top, Rect.Left + col, Rect.Bottom};
        if (!visual) FillRectColor(c, cell, fw::clBtnFace);
        cell.Right = cell.Left + (cell.Bottom - cell.Top);
        if (Checked()) {
            if (Hot) {
                if (!visual) ItemBevel(c, cell, true);
            } else {
                fw::TColor second = CheckedItemCheckerColor == fw::TColor(-1) ? fw::cl3DLight
                                                                             : CheckedItemCheckerColor;
                FillCheckerRect(c, cell, fw::clBtnFace, second);
                ItemBevel(c, cell, true);
            }
        } else if (Hot && !visual) {
            ItemBevel(c, cell, false);
        }
        if (has_image)
            DrawImageCentered(c, list, ImageIndex(), cell, Enabled());
        else
            DrawCheckMark(c, cell);
    }
    TRect text{Rect.Left + col + 4, Rect.Top, Rect.Right, Rect.Bottom};
    TRect sc{Rect.Left, Rect.Top, Rect.Right - 22, Rect.Bottom};
    UINT flags = DrawTextBiDiModeFlags(DT_SINGLELINE | DT_VCENTER);
    UINT sflags = DrawTextBiDiModeFlags(DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
    if (!Enabled()) {
        if (!Hot) {
            DrawEmbossed(c, Caption(), text, flags);
            if (!shortcut.empty()) DrawEmbossed(c, shortcut, sc, sflags);
        } else {
            DrawItemText(c, Caption(), text, flags, fw::clBtnShadow);
            if (!shortcut.empty()) DrawItemText(c, shortcut, sc, sflags, fw::clBtnShadow);
        }
        text_color = fw::clBtnShadow;
    } else {
        DrawItemText(c, Caption(), text, flags, text_color);
        if (!shortcut.empty()) DrawItemText(c, shortcut, sc, sflags, text_color);
    }
    if (Count() > 0)
        DrawSubMenuArrow(c, Rect.Right - 24,
                         Rect.Top + ((Rect.Bottom - Rect.Top) - SubMenuArrow().Height) / 2,
                         text_color);
}

void TTeItem::PaintScrollButton(fw::TCanvas* Canvas, TTeItemView* /*View*/, TRect Rect, int Kind,
                                bool Hot) {
    if (!Canvas) return;
    fw::TCanvas& c = *Canvas;
    if (CurrentThemeHasMenuStyle(2, ThemeObject())) {
        uint8_t state = !Enabled() ? 3 : Hot ? 1 : 0;
        CurrentTheme()->PaintMenuItem(2, c, "default",
                                      MakeMenuItemInfo(Rect, Kind == 1 ? 2 : 3, 0, state));
        return;
    }
    c.SetFont(MenuFont());
    FillRectColor(c, Rect, fw::clMenu);
    if (Hot) ItemBevel(c, Rect, true);
    int cx = (Rect.Left + Rect.Right) / 2, cy = (Rect.Top + Rect.Bottom) / 2;
    int top = cy - 2, bottom = cy + 1;
    std::vector<TPoint> tri =
        Kind == 1 ? std::vector<TPoint>{TPoint{cx - 3, bottom}, TPoint{cx + 3, bottom}, TPoint{cx, top}}
                  : std::vector<TPoint>{TPoint{cx - 3, top}, TPoint{cx + 3, top}, TPoint{cx, bottom}};
    fw::TColor color = c.Font()->Color();
    FillPolygonColor(c, tri, color);
    DrawPolygonFrame(c, tri, color);
}

} // namespace dvr::skin
