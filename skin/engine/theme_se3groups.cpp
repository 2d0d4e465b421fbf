// The skin theme's static-text, container, button-text, splitter, scroll-bar, header,
// edit, group-box, edit-area, menu and panel groups: each picks an object by name or from
// the kind table, finds a named part, sets its state, sizes it and draws it.
#include "skin/engine/theme_se3.h"

#include "skin/engine/te_canvas_win.h"
#include "skin/engine/te_utils_win.h"

namespace dvr::skin {

namespace {

// Kind table entries of these groups.
constexpr int kSe3GroupBox = 8, kSe3ScrollBar = 9, kSe3Edit = 11, kSe3ComboBox = 12,
              kSe3MenuBar = 14, kSe3PopupMenu = 15, kSe3Header = 16, kSe3Container = 19,
              kSe3ScrollBox = 21, kSe3Splitter = 22, kSe3Panel = 35;

TSeSkinObject* Se3Part(TSeSkinObject* O, const char* Name) {
    return O ? O->FindChildObject(Name) : nullptr;
}

// Sizes Part to Rect, sets its state and draws it completely.
void Se3DrawAt(TSeSkinObject* Part, TCanvas& Canvas, TRect Rect, uint8_t State = kssNormal) {
    if (!Part) return;
    Part->SetState(State);
    Part->SetBoundsRect(Rect);
    TSeFwCanvas c(Canvas);
    Part->Draw(c, NullRect);
}

TRect Se3Inset(TRect R, int D) {
    return TRect{R.Left + D, R.Top + D, R.Right - D, R.Bottom - D};
}

TRect Se3InsetByMargins(TRect R, const TSeSkinObject* P) {
    return TRect{R.Left + P->MarginLeft, R.Top + P->MarginTop, R.Right - P->MarginRight,
                 R.Bottom - P->MarginBottom};
}

// The common 1 hot / 2 pressed / 3 disabled state byte.
uint8_t Se3PressState(uint8_t S) {
    return S == 1 ? kssHot : S == 2 ? kssPressed : S == 3 ? kssDisabled : kssNormal;
}

} // namespace

// ---- StaticText ----

bool TTeSkinFile::HasStaticTextStyle(int, const TObj&) {
    return true;
}

// ---- Container ----

bool TTeSkinFile::HasContainerStyle(int Kind, const TObj&) {
    return Kind == 0 && KindTable[kSe3Container] != nullptr;
}

void TTeSkinFile::GetContainerContentRect(int, TRect Rect, TRect& Content,
                                          const TObj& ThemeObject) {
    TSeSkinObject* p = Se3Part(ObjectFor(ThemeObject, kSe3Container), "Panel");
    if (!p) return;
    p->SetBoundsRect(Rect);
    Content = Se3InsetByMargins(Rect, p);
}

void TTeSkinFile::PaintContainer(int, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect) {
    Se3DrawAt(Se3Part(ObjectFor(ThemeObject, kSe3Container), "Panel"), Canvas, Rect);
}

// ---- Button text ----

void TTeSkinFile::PaintButtonText(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                                  const TteTextInfo& TextInfo, const TteButtonInfo& Button) {
    TSeSkinObject* o = ThemeObject != "default" ? WorkingSkin.FindObject(ThemeObject) : nullptr;
    if (!o) {
        TteTheme::PaintButtonText(Kind, Canvas, ThemeObject, TextInfo, Button);
        return;
    }
    if (TSeSkinObject* t = o->FindChildObject("Text")) o = t;
    TteFont font;
    if (TteFont* f = o->GetFont()) font.Assign(f);
    auto* text = dynamic_cast<TSeTextObject*>(o);
    if (Button.State >= 1 && Button.State <= 4) {
        if (text) {
            const TSeFont* by[] = {&text->FontHot, &text->FontPressed, &text->FontDisabled,
                                   &text->FontFocused};
            font.Assign(by[Button.State - 1]);
        } else {
            const int by[] = {ktfButtonTextHot, ktfButtonTextPressed, ktfButtonTextDisabled,
                              ktfButtonTextFocused};
            if (TteFont* f = Fonts->GetFont(by[Button.State - 1])) font.Assign(f);
        }
    }
    FontToTFont(font, *Canvas.Font());
    TteTextInfo t = TextInfo;
    t.Rect = Button.Rect;
    PaintText(Canvas, t);
}

// ---- Splitter ----

bool TTeSkinFile::HasSplitterStyle(int Kind, const TObj&) {
    return Kind == 0 && KindTable[kSe3Splitter] != nullptr;
}

void TTeSkinFile::PaintSplitter(int, TCanvas& Canvas, const TObj&, TRect Rect) {
    Se3DrawAt(KindTable[kSe3Splitter], Canvas, Rect);
}

// ---- ScrollBar ----

bool TTeSkinFile::HasScrollBarStyle(int Kind, const TObj&) {
    return Kind == 0 && KindTable[kSe3ScrollBar] != nullptr;
}

bool TTeSkinFile::IsScrollBarTransparent(int Kind, const TObj&) {
    return Kind == 0 && KindTable[kSe3ScrollBar] && KindTable[kSe3ScrollBar]->Masked;
}

void TTeSkinFile::PaintScrollBarFrame(int, TCanvas& Canvas, const TObj& ThemeObject,
                                      const TteRectStateInfo& ScrollBar) {
    Se3DrawAt(Se3Part(ObjectFor(ThemeObject, kSe3ScrollBox), "Frame"), Canvas, ScrollBar.Rect);
}

namespace {
uint8_t Se3ScrollState(uint8_t S) {
    return S == 1 ? kssPressed : S == 2 ? kssHot : S == 3 ? kssDisabled : kssNormal;
}
} // namespace

void TTeSkinFile::PaintScrollBarButton(int, TCanvas& Canvas, const TObj& ThemeObject,
                                       const TteTwoByteInfo& Button,
                                       const TteRectStateInfo& ScrollBar) {
    TSeSkinObject* o = ThemeObject != "default" ? WorkingSkin.FindObject(ThemeObject) : nullptr;
    if (!o) o = KindTable[kSe3ScrollBar];
    const bool vertical = ScrollBar.State != 0;
    const char* name = nullptr;
    switch (Button.Byte2) {
    case 0:
        name = "TopButton";
        break;
    case 1:
        name = "BottomButton";
        break;
    case 4:
        name = "LeftButton";
        break;
    case 5:
        name = "RightButton";
        break;
    case 8:
        name = vertical ? "VertSlider" : "HorzSlider";
        break;
    default:
        return;
    }
    Se3DrawAt(Se3Part(o, name), Canvas, Button.Rect, Se3ScrollState(Button.Byte1));
}

// The track record carries neither orientation nor part (the bars pass a fixed 1 in its
// state byte), so the track's shape tells the orientation and it is drawn normal.
void TTeSkinFile::PaintScrollBarTrack(int, TCanvas& Canvas, const TObj& ThemeObject,
                                      const TteRectStateInfo& Track) {
    TSeSkinObject* o = ThemeObject != "default" ? WorkingSkin.FindObject(ThemeObject) : nullptr;
    if (!o) o = KindTable[kSe3ScrollBar];
    const bool vertical = Track.Rect.Height() > Track.Rect.Width();
    Se3DrawAt(Se3Part(o, vertical ? "VertFrame" : "HorzFrame"), Canvas, Track.Rect);
}

// ---- Header ----

bool TTeSkinFile::HasHeaderStyle(int Kind, const TObj&) {
    return Kind == 0 && KindTable[kSe3Header] != nullptr;
}

void TTeSkinFile::PaintHeaderFrame(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                                   TRect Rect) {
    TSeSkinObject* f = Se3Part(KindTable[kSe3Header], "Frame");
    if (!f) {
        TteTheme::PaintHeaderFrame(Kind, Canvas, ThemeObject, Rect);
        return;
    }
    Se3DrawAt(f, Canvas, Rect);
}

void TTeSkinFile::PaintHeaderSection(int, TCanvas& Canvas, const TObj&,
                                     const TteHeaderSectionInfo& Section) {
    uint8_t st = kssNormal;
    switch (Section.State) {
    case 1:
    case 5:
        st = kssPressed;
        break;
    case 2:
    case 6:
        st = kssDisabled;
        break;
    case 3:
    case 4:
        st = kssHot;
        break;
    default:
        break;
    }
    Se3DrawAt(Se3Part(KindTable[kSe3Header], "Section"), Canvas, Section.Rect, st);
}

// ---- Edit ----

bool TTeSkinFile::HasEditStyle(int Kind, const TObj&) {
    if (Kind == 0) return KindTable[kSe3Edit] != nullptr;
    if (Kind == 1) return KindTable[kSe3ComboBox] != nullptr;
    return false;
}

void TTeSkinFile::GetEditContentRect(int, TRect Rect, TRect& Content, const TObj&) {
    Content = Se3Inset(Rect, 4);
}

void TTeSkinFile::PaintEditFrame(int, TCanvas& Canvas, const TObj&, const TteRectStateInfo& Edit) {
    uint8_t st = Edit.State == 3 ? kssDisabled : Edit.State == 1 ? kssHot : kssNormal;
    Se3DrawAt(Se3Part(KindTable[kSe3Edit], "Frame"), Canvas, Edit.Rect, st);
}

void TTeSkinFile::PaintEditSelection(int, TCanvas& Canvas, const TObj&,
                                     const TteRectStateInfo& Selection) {
    if (TSeSkinObject* p = Se3Part(KindTable[kSe3Edit], "Selection"))
        Se3DrawAt(p, Canvas, Selection.Rect);
    else
        FillRectColor(Canvas, Selection.Rect, fw::clHighlight);
}

void TTeSkinFile::PaintComboButton(int, TCanvas& Canvas, const TObj&,
                                   const TteTwoByteInfo& Button, const TteRectStateInfo&) {
    TSeSkinObject* owner = Button.Byte2 == 0                        ? KindTable[kSe3ComboBox]
                           : Button.Byte2 >= 1 && Button.Byte2 <= 8 ? KindTable[kSe3Edit]
                                                                    : nullptr;
    Se3DrawAt(Se3Part(owner, "Button"), Canvas, Button.Rect, Se3PressState(Button.Byte1));
}

// ---- GroupBox ----

bool TTeSkinFile::HasGroupBoxStyle(int Kind, const TObj&) {
    return Kind == 0 && KindTable[kSe3GroupBox] != nullptr;
}

bool TTeSkinFile::IsGroupBoxTransparent(int, const TObj&) {
    TSeSkinObject* f = Se3Part(KindTable[kSe3GroupBox], "Frame");
    return f ? f->Masked : false;
}

void TTeSkinFile::GetGroupBoxCaptionRect(int, TCanvas& Canvas, TRect& Rect, const TObj&,
                                         const TteGroupInfo& Group) {
    const int h = Canvas.TextHeight("W");
    Rect = TRect{Group.Rect.Left + 10, Group.Rect.Top, Group.Rect.Left + 10 + Group.CaptionWidth,
                 Group.Rect.Top + h};
}

// The frame never shows behind the caption: the pixels under it are put back afterwards.
void TTeSkinFile::PaintGroupBox(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                                const TteGroupInfo& Group) {
    TSeSkinObject* o = KindTable[kSe3GroupBox];
    if (!o) return;
    TSeSkinObject* frame = Se3Part(o, "Frame");
    if (!frame) frame = o;
    TRect cap;
    GetGroupBoxCaptionRect(Kind, Canvas, cap, ThemeObject, Group);
    TteBitmap saved;
    const bool keep = cap.Width() > 0 && cap.Height() > 0;
    if (keep) {
        saved.SetSize(cap.Width(), cap.Height());
        ::BitBlt(static_cast<HDC>(saved.DC), 0, 0, cap.Width(), cap.Height(), Canvas.Handle(),
                 cap.Left, cap.Top, SRCCOPY);
    }
    TRect r = Group.Rect;
    r.Top += Canvas.TextHeight("W") / 2;
    Se3DrawAt(frame, Canvas, r);
    if (keep)
        ::BitBlt(Canvas.Handle(), cap.Left, cap.Top, cap.Width(), cap.Height(),
                 static_cast<HDC>(saved.DC), 0, 0, SRCCOPY);
}

// ---- EditArea ----

bool TTeSkinFile::HasEditAreaStyle(int Kind, const TObj&) {
    return Kind == 0 && KindTable[kSe3Edit] != nullptr;
}

void TTeSkinFile::GetEditAreaContentRect(int, TRect Rect, TRect& Content, const TObj&) {
    Content = Se3Inset(Rect, 4);
}

void TTeSkinFile::PaintEditAreaFrame(int, TCanvas& Canvas, const TObj&,
                                     const TteRectStateInfo& Edit) {
    Se3DrawAt(Se3Part(KindTable[kSe3Edit], "Frame"), Canvas, Edit.Rect,
              Edit.State == 3 ? kssDisabled : kssNormal);
}

// ---- Menu ----

bool TTeSkinFile::HasMenuStyle(int Kind, const TObj&) {
    if (Kind == 0 || Kind == 1) return KindTable[kSe3MenuBar] != nullptr;
    if (Kind == 2) return KindTable[kSe3PopupMenu] != nullptr;
    return false;
}

void TTeSkinFile::GetMenuContentRect(int Kind, TRect Rect, TRect& Content, const TObj&) {
    TSeSkinObject* f = Kind == 0   ? Se3Part(KindTable[kSe3MenuBar], "Frame")
                       : Kind == 2 ? Se3Part(KindTable[kSe3PopupMenu], "Frame")
                                   : nullptr;
    Content = Rect;
    if (!f) return;
    f->SetBoundsRect(Rect);
    Content = Se3InsetByMargins(Rect, f);
}

void TTeSkinFile::PaintMenuFrame(int Kind, TCanvas& Canvas, const TObj&, TRect Rect) {
    TSeSkinObject* f = nullptr;
    if (Kind == 0) f = Se3Part(KindTable[kSe3MenuBar], "Frame");
    if (Kind == 1) {
        f = Se3Part(KindTable[kSe3MenuBar], "ToolbarFrame");
        if (!f) f = Se3Part(KindTable[kSe3MenuBar], "Frame");
    }
    if (Kind == 2) f = Se3Part(KindTable[kSe3PopupMenu], "Frame");
    Se3DrawAt(f, Canvas, Rect);
}

void TTeSkinFile::PaintMenuItem(int Kind, TCanvas& Canvas, const TObj&,
                                const TteMenuItemInfo& Item) {
    TSeSkinObject* bar = KindTable[kSe3MenuBar];
    TSeSkinObject* popup = KindTable[kSe3PopupMenu];
    const uint8_t st = Item.State == 1   ? kssFocused
                       : Item.State == 2 ? kssHot
                       : Item.State == 3 ? kssDisabled
                                         : kssNormal;
    auto either = [](TSeSkinObject* o, const char* a, const char* b) {
        TSeSkinObject* p = Se3Part(o, a);
        return p ? p : Se3Part(o, b);
    };
    switch (Item.ItemKind) {
    case 0: {
        TSeSkinObject* p = Kind == 0   ? Se3Part(bar, "Item")
                           : Kind == 1 ? either(bar, "ToolbarItem", "Item")
                           : Kind == 2 ? Se3Part(popup, "Item")
                                       : nullptr;
        Se3DrawAt(p, Canvas, Item.Rect, st);
        break;
    }
    case 1: {
        TSeSkinObject* p = Kind == 0   ? either(bar, "separator", "item")
                           : Kind == 2 ? either(popup, "Separator", "item")
                                       : nullptr;
        if (!p) return;
        p->Text.assign(1, u'-');
        Se3DrawAt(p, Canvas, Item.Rect, kssNormal);
        p->Text.clear();
        break;
    }
    case 2:
    case 3: {
        TSeSkinObject* p = Kind == 0   ? Se3Part(bar, "item")
                           : Kind == 1 ? either(bar, "ToolbarItem", "Item")
                           : Kind == 2 ? either(popup, Item.ItemKind == 2 ? "upbutton" : "downbutton",
                                                "item")
                                       : nullptr;
        Se3DrawAt(p, Canvas, Item.Rect, st);
        // MenuItemTextNormal 34, Selected 35, Hot 36, Disabled 37.
        const int font = Item.State == 3 ? 37 : Item.State == 1 ? 35 : Item.State == 2 ? 36 : 34;
        TColor ink = fw::clBlack;
        if (TteFont* f = Fonts->GetFont(font)) ink = f->Color;
        TRect a{Item.Rect.Left + (Item.Rect.Width() - 7) / 2,
                  Item.Rect.Top + (Item.Rect.Height() - 4) / 2, 0, 0};
        a.Right = a.Left + 7;
        a.Bottom = a.Top + 4;
        const int apex = (a.Left + a.Right - 1) / 2;
        if (Item.ItemKind == 2)
            FillPolygonColor(Canvas,
                             {TPoint{a.Left, a.Bottom - 1}, TPoint{a.Right - 1, a.Bottom - 1},
                              TPoint{apex, a.Top}},
                             ink);
        else
            FillPolygonColor(
                Canvas, {TPoint{a.Left, a.Top}, TPoint{a.Right - 1, a.Top}, TPoint{apex, a.Bottom - 1}},
                ink);
        break;
    }
    default:
        break;
    }
}

void TTeSkinFile::PaintMenuItemGlyph(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                                     const TteMenuGlyphInfo& Glyph, const TteMenuItemInfo& Item) {
    TteTheme::PaintMenuItemGlyph(Kind, Canvas, ThemeObject, Glyph, Item);
    const TRect& r = Glyph.Rect;
    if (Glyph.GlyphKind == 4) {
        if (Glyph.Bitmap && !Glyph.Bitmap->IsEmpty()) {
            const int w = Glyph.Bitmap->Width, h = Glyph.Bitmap->Height;
            DrawCanvas(*Glyph.Bitmap, Canvas, r.Left + (r.Width() - w) / 2,
                       r.Top + (r.Height() - h) / 2);
        }
        return;
    }
    if (Glyph.GlyphKind < 13 || Glyph.GlyphKind > 15) return;
    static const char* const names[] = {"Min", "Restore", "Close"};
    static const UINT plain[] = {DFCS_CAPTIONMIN, DFCS_CAPTIONRESTORE, DFCS_CAPTIONCLOSE};
    const int i = Glyph.GlyphKind - 13;
    if (TSeSkinObject* p = Se3Part(KindTable[kSe3MenuBar], names[i])) {
        const uint8_t st = Item.State == 3   ? kssDisabled
                           : Item.State == 1 ? kssFocused
                           : Item.State == 2 ? kssHot
                                             : kssNormal;
        const int w = p->Width(), h = p->Height();
        const int x = r.Left + (r.Width() - w) / 2, y = r.Top + (r.Height() - h) / 2;
        Se3DrawAt(p, Canvas, TRect{x, y, x + w, y + h}, st);
        return;
    }
    DrawFrameControlColored(Canvas.Handle(), r, DFC_CAPTION, plain[i], Canvas.Font()->Color());
}

// ---- Panel ----

bool TTeSkinFile::HasPanelStyle(int Kind, const TObj& ThemeObject) {
    if (Kind != 1) return false;
    if (ThemeObject != "default" && WorkingSkin.FindObject(ThemeObject)) return true;
    return KindTable[kSe3Panel] != nullptr;
}

bool TTeSkinFile::HasPanelCaption(int Kind, const TObj& ThemeObject) {
    if (Kind != 1) return false;
    TSeSkinObject* named =
        ThemeObject != "default" ? WorkingSkin.FindObject(ThemeObject) : nullptr;
    if (named && named->Masked) return true;
    TSeSkinObject* cap = Se3Part(KindTable[kSe3Panel], "Caption");
    return cap ? cap->Masked : false;
}

void TTeSkinFile::GetPanelContentRect(int, TRect, TRect&, const TObj&) {}
void TTeSkinFile::PaintPanelPart(int, TCanvas&, const TObj&, TRect) {}

namespace {
// A part of the named panel, falling back to the table's panel when either is missing.
TSeSkinObject* Se3PanelPart(const TSeSkinSource& Skin, TSeSkinObject* Entry, const std::string& Name,
                            const char* Part) {
    TSeSkinObject* named = Name != "default" ? Skin.FindObject(Name) : nullptr;
    if (TSeSkinObject* p = Se3Part(named, Part)) return p;
    return Se3Part(Entry, Part);
}
} // namespace

void TTeSkinFile::PaintPanel(int, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect) {
    Se3DrawAt(Se3PanelPart(WorkingSkin, KindTable[kSe3Panel], ThemeObject, "Frame"), Canvas, Rect);
}

void TTeSkinFile::PaintPanelCaption(int, TCanvas& Canvas, const TObj& ThemeObject,
                                    const TteBarCaptionInfo& Caption) {
    TSeSkinObject* p = Se3PanelPart(WorkingSkin, KindTable[kSe3Panel], ThemeObject, "Caption");
    if (!p) return;
    p->Text = std::u16string(Caption.Caption.begin(), Caption.Caption.end());
    Se3DrawAt(p, Canvas, Caption.Rect);
    p->Text.clear();
}

void TTeSkinFile::PaintPanelButton(int, TCanvas& Canvas, const TObj& ThemeObject,
                                   const TteTwoByteInfo& Button) {
    TSeSkinObject* o = ThemeObject != "default" ? WorkingSkin.FindObject(ThemeObject) : nullptr;
    if (!o) o = KindTable[kSe3Panel];
    static const char* const names[] = {"ButtonHide", "ButtonRollup", "ButtonRollDown"};
    if (Button.Byte1 > 2) return;
    Se3DrawAt(Se3Part(o, names[Button.Byte1]), Canvas, Button.Rect, Se3PressState(Button.Byte2));
}

} // namespace dvr::skin
