#include "skin/engine/theme_se3.h"

#include "framework/strutils.h"
#include "skin/engine/te_canvas_win.h"
#include "skin/engine/te_pixels.h"

#include <mutex>

namespace dvr::skin {

namespace {

// Kind table entries.
constexpr int kForm = 0, kFormClient = 1, kFormHit = 2, kFormButtons = 3, kFormClientPaint = 4;
constexpr int kToolWindow = 30;
constexpr int kButton = 5, kHint = 27, kSpeedButton = 28, kStatusBar = 17, kSpinButton = 23;
const char* const kNamedEntries[] = {
    "Button",    "Checkbox", "RadioButton", "GroupBox",  "ScrollBar",  "ProgressBar", "Edit",
    "ComboBox",  "TrackBar", "MenuBar",     "PopupMenu", "Header",     "StatusBar",   "Tabs",
    "Container", "Frame",    "ScrollBox",   "Splitter",  "SpinButton", "ControlBar",  "Grid",
    "ListBox",   "Hint",     "SpeedButton", "ToolBar"};

std::u16string ToU16(const std::wstring& s) {
    return std::u16string(s.begin(), s.end());
}
std::wstring ToWide(const std::u16string& s) {
    return std::wstring(s.begin(), s.end());
}

bool HasArea(const TRect& r) {
    return r.Right > r.Left && r.Bottom > r.Top;
}

// Sizes Part to Rect, sets its state and draws it completely.
void DrawPartAt(TSeSkinObject* Part, TCanvas& Canvas, TRect Rect, uint8_t State = 0) {
    if (!Part) return;
    Part->SetState(State);
    Part->SetBoundsRect(Rect);
    TSeFwCanvas c(Canvas);
    Part->Draw(c, NullRect);
}

TSeSkinObject* PartOf(TSeSkinObject* O, const char* Name) {
    return O ? O->FindChildObject(Name) : nullptr;
}

const TSeAction kButtonActions[] = {
    TSeAction::sbaSysMenu,  TSeAction::sbaClose,    TSeAction::sbaHelp,    TSeAction::sbaMinimize,
    TSeAction::sbaMinimize, TSeAction::sbaMaximize, TSeAction::sbaRestore, TSeAction::sbaRollUp,
    TSeAction::sbaRollDown, TSeAction::sbaTray};

void SetButtonState(TSeSkinObject* O, uint8_t State) {
    if (auto* b = dynamic_cast<TSeSystemButton*>(O)) b->ButtonState = State;
    if (auto* b = dynamic_cast<TSeSysButtonSkinObject*>(O)) b->ButtonState = State;
}

} // namespace

// ---- canvas ----

void TSeFwCanvas::FillRect(TRect Rect, TColor Color) {
    FillRectColor(canvas_, Rect, Color);
}

void TSeFwCanvas::DrawBitmap(const TteBitmap& Bitmap, TRect DstRect, TRect SrcRect) {
    DrawCanvasTo(Bitmap, canvas_, DstRect, SrcRect);
}

void TSeFwCanvas::DrawText(const std::u16string& Text, TRect Rect, uint32_t Flags,
                           const TteFont& Font, TColor Color) {
    TteFont f;
    f.Assign(&Font);
    f.Color = Color;
    FontToTFont(f, *canvas_.Font());
    SetBkMode(canvas_.Handle(), TRANSPARENT);
    DrawWideText(canvas_, ToWide(Text), Rect, Flags | DT_NOPREFIX);
}

TRect TSeFwCanvas::VisibleBounds() {
    RECT r{};
    if (GetClipBox(canvas_.Handle(), &r) == ERROR) return TSeCanvas::VisibleBounds();
    return TRect{r.left, r.top, r.right, r.bottom};
}

int TSeFwCanvas::TextWidth(const std::u16string& Text, const TteFont& Font) {
    FontToTFont(Font, *canvas_.Font());
    return WideTextWidth(canvas_, ToWide(Text), DT_SINGLELINE);
}

// ---- theme ----

TTeSkinFile::TTeSkinFile() {
    UpdateColorsAndFonts();
}

TTeSkinFile::~TTeSkinFile() {
    FreeClones();
}

void TTeSkinFile::FreeClones() {
    for (int i : {kFormHit, kFormButtons, kFormClientPaint, kToolWindow + 2, kToolWindow + 3,
                  kToolWindow + 4})
        if (KindTable[size_t(i)]) KindTable[size_t(i)]->Free();
    KindTable.fill(nullptr);
}

void TTeSkinFile::GetThemeOptions(TteThemeOptions& Options) {
    Options.Selectable = 0;
    Options.HasFileFormat = 1;
    Options.FileFilter = GetSkinFileFilter();
    Options.DefaultExtension = "mskn";
}

bool TTeSkinFile::CanLoadFromStream(fw::TStream& Stream) {
    char m[4] = {};
    if (Stream.Read(m, 4) != 4) return false;
    return std::string(m, 4) == "ZRLZ";
}

// A skin that yields no object leaves the loaded one in place.
bool TTeSkinFile::LoadFromStream(fw::TStream& Stream) {
    TSeSkinSource fresh;
    fresh.LoadFromStream(Stream);
    if (fresh.Count() == 0) return false;
    LoadedSkin.Assign(&fresh);
    UpdateColorsAndFonts();
    return true;
}

bool TTeSkinFile::LoadFromFile(const std::string& FileName) {
    TSeSkinSource fresh;
    fresh.LoadFromFile(FileName);
    if (fresh.Count() == 0) return false;
    LoadedSkin.Assign(&fresh);
    UpdateColorsAndFonts();
    return true;
}

bool TTeSkinFile::SaveToStream(fw::TStream& Stream) {
    LoadedSkin.Fonts.Assign(Fonts.get());
    LoadedSkin.Colors.Assign(Colors.get());
    LoadedSkin.SaveToStream(Stream);
    return true;
}

bool TTeSkinFile::SaveToFile(const std::string& FileName) {
    LoadedSkin.Fonts.Assign(Fonts.get());
    LoadedSkin.Colors.Assign(Colors.get());
    LoadedSkin.SaveToFile(FileName);
    return true;
}

void TTeSkinFile::Assign(const fw::TPersistent* Source) {
    TteTheme::Assign(Source);
    if (auto* s = dynamic_cast<const TTeSkinFile*>(Source)) {
        LoadedSkin.Assign(&s->LoadedSkin);
        UpdateColorsAndFonts();
    }
}

void TTeSkinFile::UpdateColorsAndFonts() {
    WorkingSkin.Assign(&LoadedSkin);
    BuildKindTable();
    Title = LoadedSkin.SkinName;
    TteTheme::UpdateColorsAndFonts();
}

void TTeSkinFile::SetDefaultColors() {
    Colors->Assign(&WorkingSkin.Colors);
    Colors->ChangeHue(DeltaHue);
    Colors->ChangeBrightness(DeltaBrightness);
}

void TTeSkinFile::SetDefaultFonts() {
    Fonts->Assign(&WorkingSkin.Fonts);
    Fonts->ChangeHue(DeltaHue);
    Fonts->ChangeBrightness(DeltaBrightness);
}

void TTeSkinFile::GetStyleFont(TteFont& Font, int Index, const TObj& ThemeObject) {
    TteTheme::GetStyleFont(Font, Index, ThemeObject);
    if (ThemeObject == "default") return;
    TSeSkinObject* o = WorkingSkin.FindObject(ThemeObject);
    if (!o) return;
    auto entry = [](const char* name) {
        for (int i = 0; i < kThemeFontCount; ++i)
            if (std::string(ThemeEntryNames[kThemeColorCount + i]) == name) return i;
        return -1;
    };
    if (Index == entry("StaticTextNormal") || Index == entry("StaticTextFocused"))
        AssignStateFont(Font, o, 0);
    else if (Index == entry("StaticTextHot"))
        AssignStateFont(Font, o, 5);
    else if (Index == entry("StaticTextDisabled"))
        AssignStateFont(Font, o, 8);
    if (TSeSkinObject* t = o->FindChildObject("text")) {
        const std::pair<const char*, uint8_t> states[] = {{"ButtonTextNormal", 0},
                                                          {"ButtonTextPressed", 6},
                                                          {"ButtonTextHot", 5},
                                                          {"ButtonTextFocused", 7},
                                                          {"ButtonTextDisabled", 8}};
        for (auto& [name, st] : states)
            if (Index == entry(name)) AssignStateFont(Font, t, st);
    }
}

void TTeSkinFile::BuildKindTable() {
    FreeClones();
    if (WorkingSkin.Count() == 0) return;
    WorkingSkin.SetHue(DeltaHue);
    WorkingSkin.SetBrightness(DeltaBrightness);
    auto build = [&](const char* name, int base) {
        TSeSkinObject* form = WorkingSkin.FindObject(name);
        KindTable[size_t(base)] = form;
        if (!form) return;
        TSeSkinObject* client = form->FindObjectByKind(TSeKind::skClient);
        if (!client) return;
        TSeSkinObject* clone = CloneSkinObject(client, nullptr);
        KindTable[size_t(base + 4)] = clone;
        if (clone) {
            clone->SetImages(&WorkingSkin.Images);
            clone->Refresh();
        }
        TSeAlign align = clone ? clone->Align : client->Align;
        client->Free();
        auto* holder = new TSeSkinObject(form);
        holder->Color = fw::clNone;
        holder->Align = align;
        holder->Kind = TSeKind::skClient;
        KindTable[size_t(base + 1)] = holder;
        for (int k : {2, 3}) {
            TSeSkinObject* c = CloneSkinObject(form, nullptr);
            if (c) {
                c->SetImages(&WorkingSkin.Images);
                c->Refresh();
            }
            KindTable[size_t(base + k)] = c;
        }
        for (TSeAction a : {TSeAction::sbaSysMenu, TSeAction::sbaClose, TSeAction::sbaHelp,
                            TSeAction::sbaMinimize, TSeAction::sbaMaximize, TSeAction::sbaRestore,
                            TSeAction::sbaRollUp, TSeAction::sbaRollDown, TSeAction::sbaTray})
            if (TSeSkinObject* b = form->FindSystemButton(a)) b->Visible = false;
    };
    build("Form", kForm);
    build("ToolWindow", kToolWindow);
    for (int i = 0; i < 25; ++i)
        KindTable[size_t(5 + i)] = WorkingSkin.FindObject(kNamedEntries[i]);
    KindTable[35] = WorkingSkin.FindObject("Panel");
}

TSeSkinObject* TTeSkinFile::ObjectFor(const TObj& ThemeObject, int Entry) const {
    if (ThemeObject != "default") return WorkingSkin.FindObject(ThemeObject);
    return Entry >= 0 && Entry < kKindTableSize ? KindTable[size_t(Entry)] : nullptr;
}

TSeSkinObject* TTeSkinFile::FormEntry(int Kind, int Offset) const {
    if (Kind >= 0 && Kind <= 3) return KindTable[size_t(kForm + Offset)];
    if (Kind == 4) return KindTable[size_t(kToolWindow + Offset)];
    return nullptr;
}

void TTeSkinFile::SetWindowState(TSeSkinObject* O, uint16_t Buttons) {
    O->SetState(0);
    if (Buttons & (1 << 6)) O->SetState(2);
    if (Buttons & (1 << 4)) O->SetState(3);
    if (Buttons & (1 << 8)) O->SetState(4);
    O->SetSubState(Buttons);
}

// ---- Form ----

bool TTeSkinFile::HasFormStyle(int Kind, const TObj& ThemeObject) {
    if (ThemeObject != "default") return WorkingSkin.FindObject(ThemeObject) != nullptr;
    if (Kind == 0 || Kind == 1) return KindTable[kForm] != nullptr;
    if (Kind == 4) return KindTable[kToolWindow] != nullptr;
    return false;
}

HRGN TTeSkinFile::GetFormRegion(int Kind, const TteWindowInfo& Info, const TObj& ThemeObject) {
    TSeSkinObject* o =
        ThemeObject != "default" ? WorkingSkin.FindObject(ThemeObject) : FormEntry(Kind, 0);
    if (!o) return nullptr;
    o->SetBoundsRect(Info.Rect);
    auto region = o->GetTreeRegion();
    if (!region) return nullptr;
    HRGN out = CreateRectRgn(0, 0, 0, 0);
    for (const TRect& r : *region) {
        HRGN part = CreateRectRgn(r.Left, r.Top, r.Right, r.Bottom);
        CombineRgn(out, out, part, RGN_OR);
        DeleteObject(part);
    }
    return out;
}

int TTeSkinFile::FormHitTest(int Kind, const TteWindowInfo& Info, const TObj& ThemeObject, int X,
                             int Y) {
    TSeSkinObject* o =
        ThemeObject != "default" ? WorkingSkin.FindObject(ThemeObject) : FormEntry(Kind, 2);
    if (o) {
        SetWindowState(o, Info.Buttons);
        o->SetBoundsRect(Info.Rect);
        if (TSeSkinObject* hit = o->ObjectAtPoint(TPoint{X, Y})) {
            if (hit->Kind == TSeKind::skCaption || hit->Kind == TSeKind::skTitle) return 1;
            if (hit->Kind == TSeKind::skTop) return 3;
        }
    }
    return TteTheme::FormHitTest(Kind, Info, ThemeObject, X, Y);
}

void TTeSkinFile::GetFormContentRect(int Kind, const TteWindowInfo& Info, TRect& Rect,
                                     const TObj& ThemeObject) {
    Rect = NullRect;
    TSeSkinObject *o = nullptr, *client = nullptr;
    bool named = ThemeObject != "default";
    if (named) {
        o = WorkingSkin.FindObject(ThemeObject);
        client = o ? o->FindObjectByKind(TSeKind::skClient) : nullptr;
    } else {
        o = FormEntry(Kind, 0);
        client = FormEntry(Kind, 1);
    }
    if (o && client) {
        o->SetActive(Info.Active & 1);
        o->SetBoundsRect(Info.Rect);
        if (named) o->RealignTree();
        Rect = client->BoundsRect();
        return;
    }
    TteTheme::GetFormContentRect(Kind, Info, Rect, ThemeObject);
}

void TTeSkinFile::PaintFormBorder(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                                  const TteWindowInfo& Info) {
    TSeSkinObject* o =
        ThemeObject != "default" ? WorkingSkin.FindObject(ThemeObject) : FormEntry(Kind, 0);
    if (!o) return;
    o->SetActive(Info.Active & 1);
    o->SetBoundsRect(Info.Rect);
    TSeFwCanvas c(Canvas);
    o->Draw(c, Info.ClipRect);
}

void TTeSkinFile::PaintFormClient(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect,
                                  const TteWindowInfo& Info) {
    TSeSkinObject* o = nullptr;
    if (ThemeObject != "default") {
        if (TSeSkinObject* n = WorkingSkin.FindObject(ThemeObject))
            o = n->FindObjectByKind(TSeKind::skClient);
    } else if (Kind == 0 || Kind == 1) {
        o = KindTable[kFormClientPaint];
    } else if (Kind == 4) {
        o = KindTable[kToolWindow + 4];
    }
    if (!o) return;
    o->SetBoundsRect(Rect);
    TSeFwCanvas c(Canvas);
    o->Draw(c, Info.ClipRect);
}

void TTeSkinFile::GetFormCaptionRect(int Kind, const TteWindowInfo& Info, TRect& Rect,
                                     const TObj& ThemeObject) {
    TSeSkinObject* o =
        ThemeObject != "default" ? WorkingSkin.FindObject(ThemeObject) : FormEntry(Kind, 0);
    if (!o) {
        TteTheme::GetFormCaptionRect(Kind, Info, Rect, ThemeObject);
        return;
    }
    o->SetActive(Info.Active & 1);
    o->SetBoundsRect(Info.Rect);
    TSeSkinObject* title = o->FindObjectByKind(TSeKind::skTitle);
    if (!title) return;
    title->Text = ToU16(Info.Caption);
    if (TSeSkinObject* p = title->Parent()) p->Realign();
    Rect = title->BoundsRect();
    title->Text.clear();
}

void TTeSkinFile::PaintFormCaption(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect,
                                   const TteWindowInfo& Info) {
    TSeSkinObject* o =
        ThemeObject != "default" ? WorkingSkin.FindObject(ThemeObject) : FormEntry(Kind, 0);
    TSeSkinObject* title = o ? o->FindObjectByKind(TSeKind::skTitle) : nullptr;
    if (!title) return;
    if (ThemeObject == "default") {
        int idx = (Info.Active & 1) ? 0 : 1; // CaptionTextNormal, CaptionTextInactive
        if (TteFont* f = Fonts->GetFont(idx)) title->GetFont()->Assign(f);
    }
    title->Text = ToU16(Info.Caption);
    title->SetBoundsRect(Rect);
    TSeFwCanvas c(Canvas);
    title->Draw(c, NullRect);
    title->Text.clear();
}

void TTeSkinFile::GetFormButtonRect(int Kind, const TteWindowInfo& Info, TRect& Rect,
                                    const TObj& ThemeObject, int Button) {
    Rect = NullRect;
    if (Button < 0 || Button > 9) return;
    TSeSkinObject* o =
        ThemeObject != "default" ? WorkingSkin.FindObject(ThemeObject) : FormEntry(Kind, 2);
    if (!o) return;
    SetWindowState(o, Info.Buttons);
    o->SetBoundsRect(Info.Rect);
    o->RealignTree();
    if (!(Info.Buttons & (1 << Button))) return;
    if (TSeSkinObject* b = o->FindSystemButton(kButtonActions[Button])) Rect = b->BoundsRect();
}

void TTeSkinFile::PaintFormButton(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                                  const TteFormButtonInfo& Button, const TteWindowInfo& Info) {
    if (!HasArea(Button.Rect)) return;
    TSeSkinObject* o =
        ThemeObject != "default" ? WorkingSkin.FindObject(ThemeObject) : FormEntry(Kind, 3);
    if (!o) return;
    auto paint = [&](TSeAction a) {
        TSeSkinObject* b = o->FindSystemButton(a);
        if (!b) return;
        b->SetActive(Info.Active & 1);
        SetButtonState(b, Button.State == 2 ? 2 : Button.State == 1 ? 1 : 0);
        b->SetBoundsRect(Button.Rect);
        TSeFwCanvas c(Canvas);
        b->Draw(c, Info.ClipRect);
    };
    auto bit = [&](int k) { return (Info.Buttons >> k) & 1; };
    switch (Button.Kind) {
    case 0:
        paint(TSeAction::sbaSysMenu);
        TteTheme::PaintFormButton(Kind, Canvas, ThemeObject, Button, Info);
        break;
    case 1:
        if (bit(1)) paint(TSeAction::sbaClose);
        break;
    case 2:
        if (bit(2)) paint(TSeAction::sbaHelp);
        break;
    case 3:
        paint(TSeAction::sbaMinimize);
        break;
    case 5:
        if (bit(5)) paint(TSeAction::sbaMaximize);
        break;
    case 6:
        if (bit(6)) paint(TSeAction::sbaRestore);
        break;
    case 7:
        paint(TSeAction::sbaRollUp);
        break;
    case 8:
        paint(TSeAction::sbaRollDown);
        break;
    case 9:
        paint(TSeAction::sbaTray);
        break;
    default:
        break;
    }
}

// ---- Hint ----

bool TTeSkinFile::HasHintStyle(int, const TObj&) {
    return true;
}

void TTeSkinFile::GetHintContentRect(int, TRect Rect, TRect& Content, const TObj&) {
    Content = TRect{Rect.Left + 4, Rect.Top + 3, Rect.Right - 4, Rect.Bottom - 3};
}

void TTeSkinFile::PaintHint(int, TCanvas& Canvas, const TObj&, TRect Rect) {
    if (TSeSkinObject* h = KindTable[kHint]) {
        DrawPartAt(h, Canvas, Rect);
        return;
    }
    FillRectColor(Canvas, Rect, fw::clInfoBk);
    DrawFrameRect(Canvas, Rect, 0x808080);
}

// ---- Button ----

namespace {
int ButtonEntry(int Kind) {
    if (Kind == 0) return kButton;
    if (Kind == 4 || Kind == 5) return kSpinButton;
    if (Kind >= 9 && Kind <= 11) return kSpeedButton;
    return -1;
}
} // namespace

bool TTeSkinFile::HasButtonStyle(int Kind, const TObj& ThemeObject) {
    if (ThemeObject != "default" && WorkingSkin.FindObject(ThemeObject)) return true;
    if (Kind == 0) return KindTable[kButton] != nullptr;
    if (Kind == 4 || Kind == 5) return KindTable[kSpinButton] != nullptr;
    if (Kind == 9) return KindTable[kSpeedButton] != nullptr;
    return false;
}

bool TTeSkinFile::IsButtonTransparent(int Kind, const TObj& ThemeObject) {
    TSeSkinObject* o = ThemeObject != "default" ? WorkingSkin.FindObject(ThemeObject) : nullptr;
    if (!o) o = ObjectFor("default", ButtonEntry(Kind));
    TSeSkinObject* face = PartOf(o, "Face");
    return face ? face->Masked : false;
}

void TTeSkinFile::PaintButton(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                              const TteButtonInfo& Button) {
    TSeSkinObject* o = ThemeObject != "default" ? WorkingSkin.FindObject(ThemeObject) : nullptr;
    if (!o) o = ObjectFor("default", ButtonEntry(Kind));
    if (!o) return;
    bool flat = Button.State >= 5 && Button.State <= 9;
    const char* name =
        Kind == 11 ? (flat ? "FlatChevron" : "Chevron") : (flat ? "FlatFace" : "Face");
    TSeSkinObject* part = PartOf(o, name);
    if (!part) part = PartOf(o, "Face");
    if (!part) part = o;
    uint8_t st = 0;
    switch (Button.State % 5) {
    case 1:
        st = kssHot;
        break;
    case 2:
        st = kssPressed;
        break;
    case 3:
        st = kssDisabled;
        break;
    case 4:
        st = kssFocused;
        break;
    default:
        st = Button.Flag ? kssPressed : kssNormal;
        break;
    }
    if (Button.State > 9) st = kssNormal;
    DrawPartAt(part, Canvas, Button.Rect, st);
}

// ---- CheckBox ----

namespace {
constexpr int kCheckBox = 6, kRadioButton = 7, kProgressBar = 10;
} // namespace

bool TTeSkinFile::HasCheckBoxStyle(int Kind, const TObj&) {
    if (Kind == 0) return KindTable[kCheckBox] != nullptr;
    if (Kind == 1) return KindTable[kRadioButton] != nullptr;
    return false;
}

bool TTeSkinFile::IsCheckBoxTransparent(int, const TObj&) {
    return true;
}

void TTeSkinFile::PaintCheckBox(int Kind, TCanvas& Canvas, const TObj&,
                                const TteCheckBoxInfo& CheckBox) {
    TSeSkinObject* o = Kind == 0   ? KindTable[kCheckBox]
                       : Kind == 1 ? KindTable[kRadioButton]
                                   : nullptr;
    const char* name = CheckBox.Check == 1   ? "Checked"
                       : CheckBox.Check == 0 ? "Unchecked"
                       : Kind == 0           ? "Mixed"
                                             : nullptr;
    TSeSkinObject* part = name ? PartOf(o, name) : nullptr;
    if (!part) return;
    uint8_t st = CheckBox.State == 1   ? kssHot
                 : CheckBox.State == 2 ? kssPressed
                 : CheckBox.State == 3 ? kssDisabled
                                       : kssNormal;
    const TRect& r = CheckBox.Rect;
    int x = r.Left + (r.Width() - part->Width()) / 2;
    int y = r.Top + (r.Height() - part->Height()) / 2;
    DrawPartAt(part, Canvas, TRect{x, y, x + part->Width(), y + part->Height()}, st);
}

// ---- ProgressBar ----

bool TTeSkinFile::HasProgressBarStyle(int Kind, const TObj&) {
    return Kind == 0 && KindTable[kProgressBar] != nullptr;
}

bool TTeSkinFile::IsProgressBarTransparent(int Kind, const TObj&) {
    TSeSkinObject* f = Kind == 0 ? PartOf(KindTable[kProgressBar], "Frame") : nullptr;
    return f ? f->Masked : false;
}

void TTeSkinFile::PaintProgressBar(int, TCanvas& Canvas, const TObj&,
                                   const TteProgressInfo& Progress) {
    TSeSkinObject* o = KindTable[kProgressBar];
    if (!o) return;
    const bool vertical = Progress.Vertical != 0;
    TSeSkinObject* frame = PartOf(o, vertical ? "FrameVert" : "FrameHorz");
    if (!frame) frame = PartOf(o, "Frame");
    TRect r = Progress.Rect;
    if (frame) {
        DrawPartAt(frame, Canvas, r);
        r = TRect{r.Left + frame->MarginLeft, r.Top + frame->MarginTop,
                  r.Right - frame->MarginRight, r.Bottom - frame->MarginBottom};
    }
    const int64_t mn = Progress.Min, mx = Progress.Max, from = Progress.From, to = Progress.To;
    if (!(0 <= mn && mn <= from && from <= to && to <= mx && mx != mn)) return;
    const double span = double(mx - mn);
    TSeSkinObject* bar = PartOf(o, vertical ? "BarVert" : "BarHorz");
    if (!bar) bar = PartOf(o, "Bar");
    if (!bar) return;
    TRect b = r;
    if (vertical) {
        int h = r.Height();
        b.Top = r.Bottom - RoundEven(h * double(to - mn) / span);
        b.Bottom = r.Bottom - RoundEven(h * double(from - mn) / span);
    } else {
        int w = r.Width();
        b.Left = r.Left + RoundEven(w * double(from - mn) / span);
        b.Right = r.Left + RoundEven(w * double(to - mn) / span);
    }
    DrawPartAt(bar, Canvas, b);
}

// ---- StatusBar ----

bool TTeSkinFile::HasStatusBarStyle(int Kind, const TObj&) {
    return Kind == 0 && KindTable[kStatusBar] != nullptr;
}

void TTeSkinFile::PaintStatusBar(int, TCanvas& Canvas, const TObj&, TRect Rect) {
    DrawPartAt(PartOf(KindTable[kStatusBar], "Frame"), Canvas, Rect);
}

void TTeSkinFile::PaintStatusPanel(int, TCanvas& Canvas, const TObj&, TRect Panel, TRect) {
    DrawPartAt(PartOf(KindTable[kStatusBar], "Panel"), Canvas, Panel, 0);
}

void TTeSkinFile::PaintStatusBarGripper(int, TCanvas& Canvas, const TObj&, TRect Rect) {
    DrawPartAt(PartOf(KindTable[kStatusBar], "Gripper"), Canvas, Rect);
}

void InitSkinThemeUnit() {
    static std::once_flag once;
    std::call_once(once, [] { RegisterThemeClass(TTeSkinFile::StaticClass()); });
}

} // namespace dvr::skin
