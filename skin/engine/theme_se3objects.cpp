#include "skin/engine/theme_se3objects.h"

#include "framework/exceptions.h"
#include "framework/filer.h"
#include "framework/objtext.h"
#include "framework/strutils.h"
#include "skin/engine/te_pixels.h"
#include "skin/engine/te_utils.h"

#include <algorithm>
#include <cmath>

namespace dvr::skin {

namespace {

const fw::TTypeInfo* AlignType() {
    static const fw::TTypeInfo t = fw::TTypeInfo::Enumeration(
        "TSeAlign", {"saNone", "saLeft", "saMostLeft", "saTop", "saMostTop", "saRight",
                     "saMostRight", "saBottom", "saMostBottom", "saClient", "saTopLeft",
                     "saTopRight", "saBottomLeft", "saBottomRight", "saCenter", "saText"});
    return &t;
}
const fw::TTypeInfo* KindType() {
    static const fw::TTypeInfo t = fw::TTypeInfo::Enumeration("TSeKind", {"skNone",
                                                                          "skForm",
                                                                          "skCaption",
                                                                          "skTitle",
                                                                          "skTop",
                                                                          "skLeft",
                                                                          "skRight",
                                                                          "skBottom",
                                                                          "skTopLeft",
                                                                          "skTopRight",
                                                                          "skBottomLeft",
                                                                          "skBottomRight",
                                                                          "skSysButton",
                                                                          "skClient",
                                                                          "skMenuBar",
                                                                          "skMenuBarItem",
                                                                          "skMenuBarItemText",
                                                                          "skPopupMenu",
                                                                          "skPopupMenuItem",
                                                                          "skPopupMenuItemText",
                                                                          "skItemText",
                                                                          "skTranparent"});
    return &t;
}
const fw::TTypeInfo* TextAlignType() {
    static const fw::TTypeInfo t = fw::TTypeInfo::Enumeration(
        "TSeTextAlign", {"taTopLeft", "taTopCenter", "taTopRight", "taLeft", "taCenter", "taRight",
                         "taBottomLeft", "taBottomCenter", "taBottomRight"});
    return &t;
}
const fw::TTypeInfo* TextEffectType() {
    static const fw::TTypeInfo t =
        fw::TTypeInfo::Enumeration("TSeTextEffect", {"teNone", "teShadow"});
    return &t;
}
const fw::TTypeInfo* TileStyleType() {
    static const fw::TTypeInfo t = fw::TTypeInfo::Enumeration(
        "TscTileStyle", {"tsTile", "tsStretch", "tsCenter", "tsVertCenterStretch",
                         "tsVertCenterTile", "tsHorzCenterStretch", "tsHorzCenterTile"});
    return &t;
}
const fw::TTypeInfo* ActionType() {
    static const fw::TTypeInfo t = fw::TTypeInfo::Enumeration(
        "TSeAction",
        {"sbaNone", "sbaClose", "sbaHelp", "sbaMinimize", "sbaMaximize", "sbaRestore", "sbaRollUp",
         "sbaRollDown", "sbaTray", "sbaSysMenu", "sbaRollPanel", "sbaCustom"});
    return &t;
}
const fw::TTypeInfo* RollKindType() {
    static const fw::TTypeInfo t =
        fw::TTypeInfo::Enumeration("TSeRollKind", {"rkLeft", "rkTop", "rkRight", "rkBottom"});
    return &t;
}
const fw::TTypeInfo* FontPitchType() {
    static const fw::TTypeInfo t =
        fw::TTypeInfo::Enumeration("TFontPitch", {"fpDefault", "fpVariable", "fpFixed"});
    return &t;
}
const fw::TTypeInfo* FontStyleType() {
    static const fw::TTypeInfo t = fw::TTypeInfo::Enumeration(
        "TFontStyle", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"});
    return &t;
}
const fw::TTypeInfo* FontStylesType() {
    static const fw::TTypeInfo t = fw::TTypeInfo::Set("TFontStyles", FontStyleType());
    return &t;
}

constexpr uint32_t kBinaryChildren = 0x000F0000;
// Skin coordinates stay far from the int32 limits, so that no sum of them overflows
// whatever a file holds; the layout's working rectangle has a little more room.
constexpr int32_t kMaxCoord = 1 << 24;
constexpr int32_t kMaxWork = 1 << 26;
int32_t ClampCoord(int64_t v, int32_t limit) {
    return int32_t(std::clamp<int64_t>(v, -limit, limit));
}
// Regions are rendered only up to this many pixels; larger objects give their rectangle.
constexpr int64_t kMaxRegionPixels = int64_t(1) << 22;
// Skin trees are a few levels deep; a hostile file must not exhaust the stack.
constexpr int kMaxTreeDepth = 32;
thread_local int g_read_depth = 0;

bool HasArea(const TRect& r) {
    return r.Right > r.Left && r.Bottom > r.Top;
}
bool Usable(const TteBitmapLink* l) {
    return l && l->IsValid();
}
TRect Moved(TRect r, int dx, int dy) {
    return TRect{r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
}
TSeLinkPtr CopyLink(const TSeLinkPtr& src) {
    auto l = std::make_unique<TteBitmapLink>();
    if (src) l->Assign(src.get());
    return l;
}

int DefaultMeasure(const std::u16string& Text, const TteFont& Font) {
    int px = std::abs(MulDiv(Font.Size, 96, 72));
    return int(Text.size()) * std::max(1, (px + 1) / 2);
}
TSeTextMeasure g_measure = DefaultMeasure;

// Keeps an object's colour and font and puts them back when the call ends.
class LookSwap {
public:
    explicit LookSwap(TSeSkinObject& o) : o_(o), color_(o.Color) { font_.Assign(&o.Font); }
    ~LookSwap() {
        o_.Color = color_;
        o_.Font.Assign(&font_);
    }
    void Use(TColor c, const TSeFont& f) {
        o_.Color = c;
        o_.Font.Assign(&f);
    }
    void UseFont(const TSeFont& f) { o_.Font.Assign(&f); }

private:
    TSeSkinObject& o_;
    TColor color_;
    TSeFont font_;
};

enum class PartMode { Stretch, Tile, Center, None };

PartMode ModeOf(TscTileStyle s, bool boxOnly) {
    switch (s) {
    case TscTileStyle::tsTile:
        return PartMode::Tile;
    case TscTileStyle::tsStretch:
        return PartMode::Stretch;
    case TscTileStyle::tsCenter:
        return PartMode::Center;
    case TscTileStyle::tsVertCenterStretch:
    case TscTileStyle::tsHorzCenterStretch:
        return boxOnly ? PartMode::None : PartMode::Stretch;
    case TscTileStyle::tsVertCenterTile:
    case TscTileStyle::tsHorzCenterTile:
        return boxOnly ? PartMode::None : PartMode::Tile;
    }
    return PartMode::None;
}

// One source rectangle of a link onto Dst, with the link image's transparency set to
// Flag for the call.
void DrawPart(TSeCanvas& C, const TteBitmapLink& L, TRect Src, TRect Dst, PartMode Mode, bool Flag,
              TRect Clip) {
    if (!HasArea(Src) || !HasArea(Dst) || Mode == PartMode::None) return;
    TteBitmap& bmp = *L.Bitmap;
    bool saved = bmp.Transparent;
    bmp.Transparent = Flag;
    switch (Mode) {
    case PartMode::Stretch:
        C.DrawBitmap(bmp, Dst, Src);
        break;
    case PartMode::Tile: {
        // Only the tiles the canvas (and the clip) can show are visited.
        TRect vis = IntersectRects(Dst, C.VisibleBounds());
        if (HasArea(Clip)) vis = IntersectRects(vis, Clip);
        if (!HasArea(vis)) break;
        const int64_t w = Src.Width(), h = Src.Height();
        for (int64_t cx = (vis.Left - Dst.Left) / w; Dst.Left + cx * w < vis.Right; ++cx)
            for (int64_t cy = (vis.Top - Dst.Top) / h; Dst.Top + cy * h < vis.Bottom; ++cy) {
                TRect tile{int32_t(Dst.Left + cx * w), int32_t(Dst.Top + cy * h), 0, 0};
                tile.Right = int32_t(std::min<int64_t>(tile.Left + w, Dst.Right));
                tile.Bottom = int32_t(std::min<int64_t>(tile.Top + h, Dst.Bottom));
                C.DrawBitmap(
                    bmp, tile,
                    TRect{Src.Left, Src.Top, Src.Left + tile.Width(), Src.Top + tile.Height()});
            }
        break;
    }
    case PartMode::Center: {
        // Centred in its own destination, at its own size.
        int x = Dst.Left + (Dst.Width() - Src.Width()) / 2;
        int y = Dst.Top + (Dst.Height() - Src.Height()) / 2;
        C.DrawBitmap(bmp, TRect{x, y, x + Src.Width(), y + Src.Height()}, Src);
        break;
    }
    case PartMode::None:
        break;
    }
    bmp.Transparent = saved;
}

struct NineFlags {
    bool Center, Border, Angles;
};

void DrawNine(TSeCanvas& C, const TteBitmapLink& L, TRect F, int ml, int mt, int mr, int mb,
              PartMode Center, PartMode Border, NineFlags Fl, TRect Clip) {
    TRect s = L.Rect;
    DrawPart(C, L, TRect{s.Left + ml, s.Top + mt, s.Right - mr, s.Bottom - mb},
             TRect{F.Left + ml, F.Top + mt, F.Right - mr, F.Bottom - mb}, Center, Fl.Center, Clip);
    DrawPart(C, L, TRect{s.Left + ml, s.Top, s.Right - mr, s.Top + mt},
             TRect{F.Left + ml, F.Top, F.Right - mr, F.Top + mt}, Border, Fl.Border, Clip);
    DrawPart(C, L, TRect{s.Left + ml, s.Bottom - mb, s.Right - mr, s.Bottom},
             TRect{F.Left + ml, F.Bottom - mb, F.Right - mr, F.Bottom}, Border, Fl.Border, Clip);
    DrawPart(C, L, TRect{s.Left, s.Top + mt, s.Left + ml, s.Bottom - mb},
             TRect{F.Left, F.Top + mt, F.Left + ml, F.Bottom - mb}, Border, Fl.Border, Clip);
    DrawPart(C, L, TRect{s.Right - mr, s.Top + mt, s.Right, s.Bottom - mb},
             TRect{F.Right - mr, F.Top + mt, F.Right, F.Bottom - mb}, Border, Fl.Border, Clip);
    auto corner = [&](TRect src, int x, int y) {
        DrawPart(C, L, src, TRect{x, y, x + src.Width(), y + src.Height()}, PartMode::Stretch,
                 Fl.Angles, Clip);
    };
    corner(TRect{s.Left, s.Top, s.Left + ml, s.Top + mt}, F.Left, F.Top);
    corner(TRect{s.Right - mr, s.Top, s.Right, s.Top + mt}, F.Right - mr, F.Top);
    corner(TRect{s.Left, s.Bottom - mb, s.Left + ml, s.Bottom}, F.Left, F.Bottom - mb);
    corner(TRect{s.Right - mr, s.Bottom - mb, s.Right, s.Bottom}, F.Right - mr, F.Bottom - mb);
}

// The region of what Obj draws, rendered onto a key-coloured bitmap of its size.
std::unique_ptr<TSeRegion> RenderedRegion(TSeSkinObject& Obj) {
    if (int64_t(Obj.Width()) * Obj.Height() > kMaxRegionPixels)
        return std::make_unique<TSeRegion>(TSeRegion{Obj.BoundsRect()});
    TteBitmap b;
    b.SetSize(Obj.Width(), Obj.Height());
    b.FillColor(KeyColor);
    TSeBitmapCanvas c(b, TPoint{Obj.Left(), Obj.Top()});
    Obj.Draw(c, NullRect);
    return std::make_unique<TSeRegion>(RegionFromBitmap(b, Obj.Left(), Obj.Top()));
}

const TSeAction* ActionOf(const TSeSkinObject* o) {
    if (auto* b = dynamic_cast<const TSeSystemButton*>(o)) return &b->Action;
    if (auto* b = dynamic_cast<const TSeSysButtonSkinObject*>(o)) return &b->Action;
    return nullptr;
}

// Caption buttons show themselves by window state and button set.
void ButtonVisibleByState(TSeSkinObject& o, TSeAction a, uint8_t state) {
    using A = TSeAction;
    auto hideFor = [&](std::initializer_list<A> hidden) {
        o.Visible = std::find(hidden.begin(), hidden.end(), a) == hidden.end();
    };
    switch (state) {
    case 0:
        hideFor({A::sbaRestore, A::sbaRollDown});
        break;
    case 2:
        hideFor({A::sbaMaximize, A::sbaRollDown});
        break;
    case 3:
        hideFor({A::sbaMinimize, A::sbaMaximize, A::sbaRollUp, A::sbaRollDown});
        break;
    case 4:
        hideFor({A::sbaRestore, A::sbaRollUp});
        break;
    default:
        break;
    }
}

void ButtonVisibleBySet(TSeSkinObject& o, TSeAction a, uint16_t set) {
    int bit = -1;
    switch (a) {
    case TSeAction::sbaSysMenu:
        bit = 0;
        break;
    case TSeAction::sbaClose:
        bit = 1;
        break;
    case TSeAction::sbaHelp:
        bit = 2;
        break;
    case TSeAction::sbaMinimize:
        bit = 3;
        break;
    case TSeAction::sbaMaximize:
        bit = 5;
        break;
    case TSeAction::sbaRestore:
        bit = o.State == 2 ? 6 : 4;
        break;
    case TSeAction::sbaRollUp:
        bit = 7;
        break;
    case TSeAction::sbaRollDown:
        bit = 8;
        break;
    case TSeAction::sbaTray:
        bit = 9;
        break;
    default:
        return;
    }
    o.Visible = (set >> bit) & 1;
}

void SetChildrenState(TSeSkinObject& o, uint8_t s) {
    for (int i = 0; i < o.ChildCount(); ++i)
        o.Child(i)->SetState(s);
}

} // namespace

// ---- fonts ----

int32_t TSeFont::Height() const {
    if (height_ != 0 && -MulDiv(height_, 72, 96) == Size) return height_;
    return -MulDiv(Size, 96, 72);
}

void TSeFont::SetHeight(int32_t Value) {
    height_ = Value;
    Size = -MulDiv(Value, 72, 96);
}

void TSeFont::Assign(const fw::TPersistent* Source) {
    TteFont::Assign(Source);
    if (auto* f = dynamic_cast<const TSeFont*>(Source)) {
        height_ = f->height_;
        Pitch = f->Pitch;
    }
}

void TSeFont::Publish(fw::TPublisher<TSeFont>& p) {
    p.Property(
         "Charset", fw::CharsetType(), [](const TSeFont& f) { return int32_t(f.Charset); },
         [](TSeFont& f, int32_t v) { f.Charset = uint8_t(v); })
        .Default(fw::DEFAULT_CHARSET);
    p.Property(
         "Color", fw::ColorType(), [](const TSeFont& f) { return f.Color; },
         [](TSeFont& f, TColor v) { f.Color = v; })
        .NoDefault();
    p.Property("Height", nullptr, &TSeFont::Height, &TSeFont::SetHeight).NoDefault();
    p.Property(
        "Name", nullptr, [](const TSeFont& f) { return f.Name; },
        [](TSeFont& f, const std::string& v) { f.Name = v; });
    p.Field("Pitch", FontPitchType(), &TSeFont::Pitch).Default(0);
    p.Property(
         "Size", nullptr, [](const TSeFont& f) { return f.Size; },
         [](TSeFont& f, int32_t v) { f.Size = v; })
        .Stored(false);
    p.Property(
         "Style", FontStylesType(), [](const TSeFont& f) { return f.Style; },
         [](TSeFont& f, TFontStyles v) { f.Style = v; })
        .Default(0);
}

// ---- regions and canvases ----

bool RegionContains(const TSeRegion& Region, int X, int Y) {
    for (const TRect& r : Region)
        if (X >= r.Left && X < r.Right && Y >= r.Top && Y < r.Bottom) return true;
    return false;
}

TSeRegion RegionFromBitmap(const TteBitmap& Bitmap, int X, int Y) {
    TSeRegion out;
    if (Bitmap.IsEmpty()) return out;
    for (int y = 0; y < Bitmap.Height; ++y) {
        const TteColor* row = Bitmap.ScanLine(y);
        int x = 0;
        while (x < Bitmap.Width) {
            while (x < Bitmap.Width && IsKeyRGB(row[x]))
                ++x;
            int start = x;
            while (x < Bitmap.Width && !IsKeyRGB(row[x]))
                ++x;
            if (x > start) out.push_back(TRect{X + start, Y + y, X + x, Y + y + 1});
        }
    }
    return out;
}

int TSeCanvas::TextWidth(const std::u16string& Text, const TteFont& Font) {
    return MeasureSkinText(Text, Font);
}

std::u16string TSeCanvas::FitText(const std::u16string& Text, int MaxWidth, const TteFont& Font) {
    if (TextWidth(Text, Font) <= MaxWidth) return Text;
    const std::u16string dots = u"...";
    for (size_t n = Text.size(); n > 0; --n) {
        std::u16string s = Text.substr(0, n - 1) + dots;
        if (TextWidth(s, Font) <= MaxWidth) return s;
    }
    return dots;
}

void SetSkinTextMeasure(TSeTextMeasure Measure) {
    g_measure = Measure ? Measure : DefaultMeasure;
}

int MeasureSkinText(const std::u16string& Text, const TteFont& Font) {
    return g_measure(Text, Font);
}

TRect TSeCanvas::VisibleBounds() {
    return TRect{-kMaxWork, -kMaxWork, kMaxWork, kMaxWork};
}

TRect TSeBitmapCanvas::VisibleBounds() {
    return TRect{origin_.X, origin_.Y, origin_.X + target_.Width, origin_.Y + target_.Height};
}

TRect TSeBitmapCanvas::Local(TRect R) const {
    return Moved(R, -origin_.X, -origin_.Y);
}

void TSeBitmapCanvas::FillRect(TRect Rect, TColor Color) {
    if (target_.IsEmpty()) return;
    TRect r = IntersectRects(Local(Rect), TRect{0, 0, target_.Width, target_.Height});
    if (!HasArea(r)) return;
    TteColor px = ColorToPixel(Color, 255);
    for (int y = r.Top; y < r.Bottom; ++y)
        std::fill(target_.PixelPtr(r.Left, y), target_.PixelPtr(r.Right, y), px);
}

void TSeBitmapCanvas::DrawBitmap(const TteBitmap& Bitmap, TRect DstRect, TRect SrcRect) {
    Bitmap.DrawToBitmap(&target_, Local(DstRect), SrcRect);
}

void TSeBitmapCanvas::DrawText(const std::u16string& Text, TRect Rect, uint32_t Flags,
                               const TteFont&, TColor Color) {
    TextLog.push_back(TextOut{Text, Rect, Flags, Color});
}

// ---- the base object ----

TSeSkinObject::TSeSkinObject(fw::TComponent* AOwner) : fw::TComponent(AOwner) {}
TSeSkinObject::~TSeSkinObject() = default;

void TSeSkinObject::Publish(fw::TPublisher<TSeSkinObject>& p) {
    p.Field("Align", AlignType(), &TSeSkinObject::Align).Default(0);
    p.Field("Color", fw::ColorType(), &TSeSkinObject::Color).Default(fw::clWhite);
    p.Field("DrawIfOwner", nullptr, &TSeSkinObject::DrawIfOwner).Default(0);
    p.Object("Font", [](TSeSkinObject& o) { return &o.Font; });
    p.Field("Kind", KindType(), &TSeSkinObject::Kind).Default(0);
    p.Field("Masked", nullptr, &TSeSkinObject::Masked).Default(1);
    p.Property("Left", nullptr, &TSeSkinObject::Left, &TSeSkinObject::SetLeft).Default(0);
    p.Property("Top", nullptr, &TSeSkinObject::Top, &TSeSkinObject::SetTop).Default(0);
    p.Property("Height", nullptr, &TSeSkinObject::Height, &TSeSkinObject::SetHeight).Default(0);
    p.Property("Width", nullptr, &TSeSkinObject::Width, &TSeSkinObject::SetWidth).Default(0);
    p.Field("MarginLeft", nullptr, &TSeSkinObject::MarginLeft).Default(0);
    p.Field("MarginRight", nullptr, &TSeSkinObject::MarginRight).Default(0);
    p.Field("MarginTop", nullptr, &TSeSkinObject::MarginTop).Default(0);
    p.Field("MarginBottom", nullptr, &TSeSkinObject::MarginBottom).Default(0);
    p.Field("TextAlign", TextAlignType(), &TSeSkinObject::TextAlign)
        .Default(int(TSeTextAlign::taLeft));
    p.Field("TextEffect", TextEffectType(), &TSeSkinObject::TextEffect).Default(0);
    p.Field("TextMarginLeft", nullptr, &TSeSkinObject::TextMarginLeft).Default(0);
    p.Field("TextMarginRight", nullptr, &TSeSkinObject::TextMarginRight).Default(0);
    p.Field("TextMarginTop", nullptr, &TSeSkinObject::TextMarginTop).Default(0);
}

int TSeSkinObject::ChildCount() const {
    return ComponentCount();
}

TSeSkinObject* TSeSkinObject::Child(int Index) const {
    return static_cast<TSeSkinObject*>(Components(Index));
}

TSeSkinObject* TSeSkinObject::Parent() const {
    return dynamic_cast<TSeSkinObject*>(Owner());
}

void TSeSkinObject::DefineProperties(fw::TFiler* Filer) {
    fw::TComponent::DefineProperties(Filer);
    Filer->DefineBinaryProperty(
        "Objects", [this](fw::TStream& s) { ReadChildren(s); },
        [this](fw::TStream& s) { WriteChildren(s); }, true);
}

void TSeSkinObject::Loaded() {
    fw::TComponent::Loaded();
    for (int32_t* v : {&MarginLeft, &MarginRight, &MarginTop, &MarginBottom, &TextMarginLeft,
                       &TextMarginRight, &TextMarginTop})
        *v = ClampCoord(*v, kMaxCoord);
    for (TteBitmapLink* l : Links())
        if (l)
            for (int32_t* v : {&l->Rect.Left, &l->Rect.Top, &l->Rect.Right, &l->Rect.Bottom})
                *v = ClampCoord(*v, kMaxCoord);
}

void TSeSkinObject::ReadChildren(fw::TStream& S) {
    if (g_read_depth >= kMaxTreeDepth) throw fw::EReadError("Skin objects nested too deeply");
    struct Depth {
        Depth() { ++g_read_depth; }
        ~Depth() { --g_read_depth; }
    } depth;
    int32_t raw = 0;
    S.ReadBuffer(&raw, 4);
    bool binary = (uint32_t(raw) & kBinaryChildren) == kBinaryChildren;
    int32_t count = int32_t(uint32_t(raw) & ~kBinaryChildren);
    // Each child takes at least its class name's count and a size: 8 bytes.
    if (count < 0 || int64_t(count) > (S.Size() - S.Position()) / 8)
        throw fw::EReadError("Invalid skin object count");
    for (int32_t i = 0; i < count; ++i) {
        std::string cls;
        ReadString(S, cls);
        TSeSkinObject* child = CreateSkinObject(cls, this);
        if (!child) throw fw::EReadError("Unknown skin object class " + cls);
        fw::TMemoryStream body;
        if (binary) {
            int32_t size = 0;
            S.ReadBuffer(&size, 4);
            if (size < 0 || size > S.Size() - S.Position())
                throw fw::EReadError("Stream read error");
            body.SetSize(size);
            if (size) S.ReadBuffer(body.Memory(), size_t(size));
        } else {
            std::string text;
            ReadString(S, text);
            fw::TMemoryStream in(text.data(), text.size());
            fw::ObjectTextToBinary(in, body);
        }
        body.SetPosition(0);
        fw::ReadComponent(body, child);
        child->SetCharset(fw::DEFAULT_CHARSET);
    }
}

void TSeSkinObject::WriteChildren(fw::TStream& S) {
    int32_t raw = int32_t(uint32_t(ChildCount()) | kBinaryChildren);
    S.WriteBuffer(&raw, 4);
    for (int i = 0; i < ChildCount(); ++i) {
        TSeSkinObject* c = Child(i);
        WriteString(S, c->ClassName());
        fw::TMemoryStream body;
        fw::WriteComponent(body, c);
        int32_t size = int32_t(body.Size());
        S.WriteBuffer(&size, 4);
        body.SaveToStream(S);
    }
}

void TSeSkinObject::Assign(const fw::TPersistent* Source) {
    auto* s = dynamic_cast<const TSeSkinObject*>(Source);
    if (!s) {
        fw::TComponent::Assign(Source);
        return;
    }
    SetName(s->Name());
    Masked = s->Masked;
    Align = s->Align;
    Kind = s->Kind;
    Images = s->Images;
    Color = s->Color;
    DrawIfOwner = s->DrawIfOwner;
    Font.Assign(&s->Font);
    TextAlign = s->TextAlign;
    TextEffect = s->TextEffect;
    TextMarginLeft = s->TextMarginLeft;
    TextMarginRight = s->TextMarginRight;
    TextMarginTop = s->TextMarginTop;
    MarginLeft = s->MarginLeft;
    MarginRight = s->MarginRight;
    MarginTop = s->MarginTop;
    MarginBottom = s->MarginBottom;
    for (int i = 0; i < s->ChildCount(); ++i)
        CloneSkinObject(s->Child(i), this);
    SetBoundsDirect(s->BoundsRect());
}

TteFont* TSeSkinObject::GetFont() {
    return &Font;
}

void TSeSkinObject::SetSubState(uint16_t Value) {
    SubState = Value;
    for (int i = 0; i < ChildCount(); ++i)
        Child(i)->SetSubState(Value);
}

void TSeSkinObject::SetState(uint8_t Value) {
    State = Value;
    for (int i = 0; i < ChildCount(); ++i)
        Child(i)->SetState(Value);
}

void TSeSkinObject::Refresh() {
    for (int i = 0; i < ChildCount(); ++i)
        Child(i)->Refresh();
}

void TSeSkinObject::SetActive(bool Value) {
    if (Active == Value) return;
    Active = Value;
    for (int i = 0; i < ChildCount(); ++i)
        Child(i)->SetActive(Value);
}

void TSeSkinObject::SetImages(TteBitmapList* AImages) {
    Images = AImages;
    for (int i = 0; i < ChildCount(); ++i)
        Child(i)->SetImages(AImages);
}

void TSeSkinObject::SetCharset(uint8_t Value) {
    Font.Charset = Value;
    for (int i = 0; i < ChildCount(); ++i)
        Child(i)->SetCharset(Value);
}

TColor ShiftColorHue(TColor C, int Value) {
    if (C == fw::clNone) return C;
    return PixelToColor(ShiftHue(ColorToPixel(C, 255), Value));
}

TColor ShiftColorBrightness(TColor C, int Value) {
    if (C == fw::clNone) return C;
    return PixelToColor(ShiftBrightness(ColorToPixel(C, 255), Value));
}

void TSeSkinObject::ChangeHue(int Value) {
    Color = ShiftColorHue(Color, Value);
    Font.Color = ShiftColorHue(Font.Color, Value);
    for (int i = 0; i < ChildCount(); ++i)
        Child(i)->ChangeHue(Value);
}

void TSeSkinObject::ChangeBrightness(int Value) {
    Color = ShiftColorBrightness(Color, Value);
    Font.Color = ShiftColorBrightness(Font.Color, Value);
    for (int i = 0; i < ChildCount(); ++i)
        Child(i)->ChangeBrightness(Value);
}

void TSeSkinObject::SetLeft(int32_t v) {
    v = ClampCoord(v, kMaxCoord);
    SetBoundsRect(TRect{v, top_, v + width_, top_ + height_});
}
void TSeSkinObject::SetTop(int32_t v) {
    v = ClampCoord(v, kMaxCoord);
    SetBoundsRect(TRect{left_, v, left_ + width_, v + height_});
}
void TSeSkinObject::SetWidth(int32_t v) {
    v = ClampCoord(v, kMaxCoord);
    SetBoundsRect(TRect{left_, top_, left_ + v, top_ + height_});
}
void TSeSkinObject::SetHeight(int32_t v) {
    v = ClampCoord(v, kMaxCoord);
    SetBoundsRect(TRect{left_, top_, left_ + width_, top_ + v});
}

void TSeSkinObject::SetBoundsDirect(TRect R) {
    left_ = ClampCoord(R.Left, kMaxCoord);
    top_ = ClampCoord(R.Top, kMaxCoord);
    width_ = int32_t(std::clamp<int64_t>(int64_t(R.Right) - R.Left, 0, kMaxCoord));
    height_ = int32_t(std::clamp<int64_t>(int64_t(R.Bottom) - R.Top, 0, kMaxCoord));
}

void TSeSkinObject::SetBoundsRect(TRect Rect) {
    if (Rect == BoundsRect()) return;
    OldBounds = BoundsRect();
    SetBoundsDirect(Rect);
    Realign();
    OldBounds = BoundsRect();
}

void TSeSkinObject::Realign() {
    TRect R = BoundsRect();
    const int n = ChildCount();
    auto each = [&](auto&& fn) {
        for (int i = 0; i < n; ++i) {
            TSeSkinObject* c = Child(i);
            if (c->Visible) fn(c);
        }
    };
    auto vertical = [&](TSeSkinObject* c, TSeAlign top, TSeAlign bottom) {
        if (c->Align == top) {
            c->SetBoundsRect(TRect{R.Left, R.Top, R.Right, R.Top + c->Height()});
            R.Top = ClampCoord(int64_t(R.Top) + c->Height(), kMaxWork);
        } else if (c->Align == bottom) {
            c->SetBoundsRect(TRect{R.Left, R.Bottom - c->Height(), R.Right, R.Bottom});
            R.Bottom = ClampCoord(int64_t(R.Bottom) - c->Height(), kMaxWork);
        }
    };
    auto horizontal = [&](TSeSkinObject* c, TSeAlign left, TSeAlign right) {
        if (c->Align == left) {
            c->SetBoundsRect(TRect{R.Left, R.Top, R.Left + c->Width(), R.Bottom});
            R.Left = ClampCoord(int64_t(R.Left) + c->Width(), kMaxWork);
        } else if (c->Align == right) {
            c->SetBoundsRect(TRect{R.Right - c->Width(), R.Top, R.Right, R.Bottom});
            R.Right = ClampCoord(int64_t(R.Right) - c->Width(), kMaxWork);
        }
    };
    each([&](TSeSkinObject* c) { vertical(c, TSeAlign::saMostTop, TSeAlign::saMostBottom); });
    each([&](TSeSkinObject* c) { horizontal(c, TSeAlign::saMostLeft, TSeAlign::saMostRight); });
    each([&](TSeSkinObject* c) { vertical(c, TSeAlign::saTop, TSeAlign::saBottom); });
    each([&](TSeSkinObject* c) { horizontal(c, TSeAlign::saLeft, TSeAlign::saRight); });
    for (int i = n - 1; i >= 0; --i) {
        TSeSkinObject* c = Child(i);
        if (!c->Visible || c->Align != TSeAlign::saText) continue;
        c->SetWidth(MeasureSkinText(c->Text, *c->GetFont()) + c->TextMarginLeft +
                    c->TextMarginRight);
    }
    for (int i = n - 1; i >= 0; --i) {
        TSeSkinObject* c = Child(i);
        if (!c->Visible || c->Align != TSeAlign::saCenter) continue;
        int l = R.Left + (R.Width() - c->Width()) / 2;
        int t = R.Top + (R.Height() - c->Height()) / 2;
        c->SetBoundsRect(TRect{l, t, l + c->Width(), t + c->Height()});
    }
    each([&](TSeSkinObject* c) {
        if (c->Align == TSeAlign::saClient) c->SetBoundsRect(R);
    });
    const TRect old = OldBounds;
    const int oldW = old.Width();
    for (int i = 0; i < n; ++i) {
        TSeSkinObject* c = Child(i);
        TRect cb = c->BoundsRect();
        switch (c->Align) {
        case TSeAlign::saTopLeft:
            if (oldW > 0) c->SetBoundsRect(Moved(cb, left_ - old.Left, top_ - old.Top));
            break;
        case TSeAlign::saTopRight:
            if (oldW > 0) c->SetBoundsRect(Moved(cb, (left_ + width_) - old.Right, top_ - old.Top));
            break;
        case TSeAlign::saBottomLeft:
            c->SetBoundsDirect(Moved(cb, 0, height_ - old.Height()));
            break;
        case TSeAlign::saBottomRight:
            // Anchored to the right and bottom edges.
            if (oldW > 0)
                c->SetBoundsRect(
                    Moved(cb, (left_ + width_) - old.Right, (top_ + height_) - old.Bottom));
            break;
        default:
            break;
        }
    }
}

void TSeSkinObject::RealignTree() {
    Realign();
    for (int i = 0; i < ChildCount(); ++i)
        Child(i)->RealignTree();
}

void TSeSkinObject::DrawPlain(TSeCanvas& Canvas, TRect ClipRect) {
    if (!Visible || width_ <= 0 || height_ <= 0) return;
    if (HasArea(ClipRect) && !HasArea(IntersectRects(ClipRect, BoundsRect()))) return;
    if (ChildCount() == 0 || DrawIfOwner) {
        if (Color != fw::clNone) Canvas.FillRect(BoundsRect(), Color);
        DrawObjectText(Canvas);
    }
    DrawChildren(Canvas, ClipRect);
}

void TSeSkinObject::Draw(TSeCanvas& Canvas, TRect ClipRect) {
    DrawPlain(Canvas, ClipRect);
}

void TSeSkinObject::DrawChildren(TSeCanvas& Canvas, TRect ClipRect) {
    bool clip = HasArea(ClipRect);
    for (int i = 0; i < ChildCount(); ++i) {
        TSeSkinObject* c = Child(i);
        if (!c->Visible || c->Width() <= 0 || c->Height() <= 0) continue;
        if (clip && !HasArea(IntersectRects(ClipRect, c->BoundsRect()))) continue;
        c->Draw(Canvas, ClipRect);
    }
}

void TSeSkinObject::DrawObjectText(TSeCanvas& Canvas) {
    TteFont* f = GetFont();
    if (Text == u"-") {
        int top = top_ + (height_ / 2 - 1);
        Canvas.FillRect(TRect{left_ + 3, top, left_ + width_ - 3, top + 1}, f->Color);
        return;
    }
    if (Text.empty()) return;
    TRect r = BoundsRect();
    r.Left += TextMarginLeft;
    r.Right -= TextMarginRight;
    r.Top += TextMarginTop;
    std::u16string s = Text;
    if (Kind == TSeKind::skTitle)
        s = Canvas.FitText(Text, width_ - TextMarginLeft - TextMarginRight, Font);
    static const uint32_t kAlign[] = {
        kdtTop | kdtLeft,     kdtTop | kdtCenter,     kdtTop | kdtRight,
        kdtVCenter | kdtLeft, kdtVCenter | kdtCenter, kdtVCenter | kdtRight,
        kdtBottom | kdtLeft,  kdtBottom | kdtCenter,  kdtBottom | kdtRight};
    uint32_t flags = kdtSingleLine | kAlign[std::min<int>(int(TextAlign), 8)];
    if (TextEffect == TSeTextEffect::teShadow)
        Canvas.DrawText(s, Moved(r, 1, 1), flags, Font, fw::TColor(0x808080));
    Canvas.DrawText(s, r, flags, Font, Font.Color);
}

std::unique_ptr<TSeRegion> TSeSkinObject::CreateRegion() {
    if (width_ <= 0 || height_ <= 0) return nullptr;
    return std::make_unique<TSeRegion>(TSeRegion{BoundsRect()});
}

std::unique_ptr<TSeRegion> TSeSkinObject::GetTreeRegion() {
    if (width_ <= 0 || height_ <= 0) return nullptr;
    if (ChildCount() == 0 || DrawIfOwner || !Masked) return CreateRegion();
    auto out = std::make_unique<TSeRegion>();
    for (int i = 0; i < ChildCount(); ++i) {
        TSeSkinObject* c = Child(i);
        if (!c->Visible) continue;
        if (auto r = c->GetTreeRegion()) out->insert(out->end(), r->begin(), r->end());
    }
    return out;
}

TSeSkinObject* TSeSkinObject::ObjectAtPoint(TPoint P) {
    if (P.X < left_ || P.X >= left_ + width_ || P.Y < top_ || P.Y >= top_ + height_) return nullptr;
    if (Kind == TSeKind::skTranparent) return nullptr;
    if (ChildCount() == 0) return this;
    TSeSkinObject* hit = nullptr;
    for (int i = 0; i < ChildCount(); ++i)
        if (TSeSkinObject* h = Child(i)->ObjectAtPoint(P)) hit = h;
    return hit ? hit : this;
}

TSeSkinObject* TSeSkinObject::FindSystemButton(TSeAction Action) {
    const TSeAction* a = ActionOf(this);
    if (a && *a == Action) return this;
    for (int i = 0; i < ChildCount(); ++i)
        if (TSeSkinObject* r = Child(i)->FindSystemButton(Action)) return r;
    return nullptr;
}

TSeSkinObject* TSeSkinObject::FindObjectByKind(TSeKind AKind) {
    if (Kind == AKind) return this;
    for (int i = 0; i < ChildCount(); ++i)
        if (TSeSkinObject* r = Child(i)->FindObjectByKind(AKind)) return r;
    return nullptr;
}

TSeSkinObject* TSeSkinObject::FindChildObject(const std::string& AName) {
    if (fw::SameText(Name(), AName)) return this;
    for (int i = 0; i < ChildCount(); ++i)
        if (TSeSkinObject* r = Child(i)->FindChildObject(AName)) return r;
    return nullptr;
}

// ---- registry and helpers ----

namespace {
std::vector<const fw::TMetaClass*>& ClassList() {
    static std::vector<const fw::TMetaClass*> list;
    return list;
}
} // namespace

const std::vector<const fw::TMetaClass*>& SkinObjectClasses() {
    return ClassList();
}

void RegisterSkinObjectClass(const fw::TMetaClass* Class) {
    auto& l = ClassList();
    if (std::find(l.begin(), l.end(), Class) == l.end()) l.push_back(Class);
}

const fw::TMetaClass* FindSkinObjectClass(const std::string& ClassName) {
    for (const fw::TMetaClass* c : ClassList())
        if (c->ClassName() == ClassName) return c;
    return nullptr;
}

TSeSkinObject* CreateSkinObject(const std::string& ClassName, fw::TComponent* Owner) {
    const fw::TMetaClass* m = FindSkinObjectClass(ClassName);
    if (!m) return nullptr;
    return dynamic_cast<TSeSkinObject*>(m->CreateComponent(Owner));
}

TSeSkinObject* CloneSkinObject(const TSeSkinObject* Source, fw::TComponent* Owner) {
    if (!Source) return nullptr;
    TSeSkinObject* o = CreateSkinObject(Source->ClassName(), Owner);
    if (!o) return nullptr;
    try {
        o->Assign(Source);
    } catch (...) {
        o->Free();
        throw;
    }
    return o;
}

void RemoveSkinObject(fw::TComponent* Owner, TSeSkinObject* Object) {
    if (Owner && Object && Object->Owner() == Owner) Owner->RemoveComponent(Object);
}

void AssignStateFont(TteFont& Font, TSeSkinObject* Object, uint8_t State) {
    if (!Object) return;
    Font.Assign(Object->GetFont());
    if (auto* a = dynamic_cast<TSeActiveObject*>(Object)) {
        if (State == 5 || State == 7) Font.Assign(&a->ActiveFont);
        if (State == 8) Font.Assign(&a->DisabledFont);
    } else if (auto* b = dynamic_cast<TSeActiveBitmap*>(Object)) {
        if (State == 5 || State == 7) Font.Assign(&b->ActiveFont);
    } else if (auto* t = dynamic_cast<TSeTextObject*>(Object)) {
        if (State == 5) Font.Assign(&t->FontHot);
        if (State == 6) Font.Assign(&t->FontPressed);
        if (State == 7) Font.Assign(&t->FontFocused);
        if (State == 8) Font.Assign(&t->FontDisabled);
    }
}

// ---- TSeActiveObject ----

void TSeActiveObject::Publish(fw::TPublisher<TSeActiveObject>& p) {
    p.Field("ActiveColor", fw::ColorType(), &TSeActiveObject::ActiveColor);
    p.Object("ActiveFont", [](TSeActiveObject& o) { return &o.ActiveFont; });
    p.Object("DisabledFont", [](TSeActiveObject& o) { return &o.DisabledFont; });
}

void TSeActiveObject::Assign(const fw::TPersistent* Source) {
    TSeSkinObject::Assign(Source);
    if (auto* s = dynamic_cast<const TSeActiveObject*>(Source)) {
        ActiveColor = s->ActiveColor;
        ActiveFont.Assign(&s->ActiveFont);
        DisabledFont.Assign(&s->DisabledFont);
    }
}

TteFont* TSeActiveObject::GetFont() {
    if (State >= 5 && State <= 7) return &ActiveFont;
    return &Font;
}

void TSeActiveObject::Draw(TSeCanvas& Canvas, TRect ClipRect) {
    LookSwap look(*this);
    if (Active || (State >= 5 && State <= 7))
        look.Use(ActiveColor, ActiveFont);
    else if (State == 8)
        look.UseFont(DisabledFont);
    DrawPlain(Canvas, ClipRect);
}

void TSeActiveObject::ChangeHue(int Value) {
    TSeSkinObject::ChangeHue(Value);
    ActiveColor = ShiftColorHue(ActiveColor, Value);
    ActiveFont.Color = ShiftColorHue(ActiveFont.Color, Value);
    DisabledFont.Color = ShiftColorHue(DisabledFont.Color, Value);
}

void TSeActiveObject::ChangeBrightness(int Value) {
    TSeSkinObject::ChangeBrightness(Value);
    ActiveColor = ShiftColorBrightness(ActiveColor, Value);
    ActiveFont.Color = ShiftColorBrightness(ActiveFont.Color, Value);
    DisabledFont.Color = ShiftColorBrightness(DisabledFont.Color, Value);
}

void TSeActiveObject::SetCharset(uint8_t Value) {
    TSeSkinObject::SetCharset(Value);
    ActiveFont.Charset = Value;
}

// ---- TSeBitmapObject ----

TSeBitmapObject::TSeBitmapObject(fw::TComponent* AOwner)
    : TSeSkinObject(AOwner), Bitmap(std::make_unique<TteBitmapLink>()) {}

void TSeBitmapObject::Publish(fw::TPublisher<TSeBitmapObject>& p) {
    p.Object("Bitmap", [](TSeBitmapObject& o) { return o.Bitmap.get(); });
    p.Field("BorderTileStyle", TileStyleType(), &TSeBitmapObject::BorderTileStyle);
    p.Field("MaskedBorder", nullptr, &TSeBitmapObject::MaskedBorder);
    p.Field("MaskedAngles", nullptr, &TSeBitmapObject::MaskedAngles);
    p.Field("TileStyle", TileStyleType(), &TSeBitmapObject::TileStyle);
}

void TSeBitmapObject::Assign(const fw::TPersistent* Source) {
    TSeSkinObject::Assign(Source);
    if (auto* s = dynamic_cast<const TSeBitmapObject*>(Source)) {
        Bitmap = CopyLink(s->Bitmap);
        BorderTileStyle = s->BorderTileStyle;
        MaskedBorder = s->MaskedBorder;
        MaskedAngles = s->MaskedAngles;
        TileStyle = s->TileStyle;
    }
}

void TSeBitmapObject::ResolveLink(TSeLinkPtr& Link) {
    if (!Images || !Link) return;
    TteBitmapLink* l = Images->GetLink(Link->Name, Link->Rect);
    if (!l) return;
    Link.reset(l);
    Link->CheckMasks(TRect{MarginLeft, MarginTop, MarginRight, MarginBottom});
}

void TSeBitmapObject::Refresh() {
    TSeSkinObject::Refresh();
    ResolveLink(Bitmap);
}

void TSeBitmapObject::Draw(TSeCanvas& Canvas, TRect ClipRect) {
    DrawWith(Canvas, ClipRect, Bitmap.get());
}

void TSeBitmapObject::DrawWith(TSeCanvas& Canvas, TRect ClipRect, TteBitmapLink* Link) {
    if (!Visible || !Usable(Link) || Width() <= 0 || Height() <= 0) return;
    if (HasArea(ClipRect) && !HasArea(IntersectRects(ClipRect, BoundsRect()))) return;
    const bool noMargins =
        MarginLeft == 0 && MarginTop == 0 && MarginRight == 0 && MarginBottom == 0;
    if (noMargins && Color == fw::clNone) {
        DrawPlain(Canvas, ClipRect);
        return;
    }
    const TRect b = BoundsRect();
    const TRect s = Link->Rect;
    const int w = Width(), h = Height(), sw = s.Width(), sh = s.Height();
    // The frame the image covers, relative to the object.
    TRect F{0, 0, w, h};
    switch (TileStyle) {
    case TscTileStyle::tsCenter:
        F = TRect{(w - sw) / 2, (h - sh) / 2, 0, 0};
        F.Right = F.Left + sw;
        F.Bottom = F.Top + sh;
        break;
    case TscTileStyle::tsVertCenterStretch:
    case TscTileStyle::tsVertCenterTile:
        F = TRect{(w - sw) / 2, 0, (w - sw) / 2 + sw, h};
        break;
    case TscTileStyle::tsHorzCenterStretch:
    case TscTileStyle::tsHorzCenterTile:
        F = TRect{0, (h - sh) / 2, w, (h - sh) / 2 + sh};
        break;
    default:
        break;
    }
    F = Moved(F, Left(), Top());
    if (noMargins) {
        PartMode m = ModeOf(TileStyle, false);
        if (TileStyle == TscTileStyle::tsTile) F = b;
        DrawPart(Canvas, *Link, s, F, m == PartMode::Center ? PartMode::Stretch : m, Link->Masked,
                 ClipRect);
    } else {
        DrawNine(Canvas, *Link, F, MarginLeft, MarginTop, MarginRight, MarginBottom,
                 ModeOf(TileStyle, false), ModeOf(BorderTileStyle, false),
                 NineFlags{Link->Masked, Link->MaskedBorder, Link->MaskedAngles}, ClipRect);
    }
    DrawObjectText(Canvas);
    Realign();
    DrawChildren(Canvas, ClipRect);
}

std::unique_ptr<TSeRegion> TSeBitmapObject::CreateRegion() {
    if (!Usable(Bitmap.get()) || Width() <= 0 || Height() <= 0) return nullptr;
    if (Kind != TSeKind::skClient && Masked) return RenderedRegion(*this);
    return std::make_unique<TSeRegion>(TSeRegion{BoundsRect()});
}

// ---- TSeActiveBitmap ----

TSeActiveBitmap::TSeActiveBitmap(fw::TComponent* AOwner)
    : TSeBitmapObject(AOwner), ActiveBitmap(std::make_unique<TteBitmapLink>()) {}

void TSeActiveBitmap::Publish(fw::TPublisher<TSeActiveBitmap>& p) {
    p.Object("ActiveBitmap", [](TSeActiveBitmap& o) { return o.ActiveBitmap.get(); });
    p.Object("ActiveFont", [](TSeActiveBitmap& o) { return &o.ActiveFont; });
}

void TSeActiveBitmap::Assign(const fw::TPersistent* Source) {
    TSeBitmapObject::Assign(Source);
    if (auto* s = dynamic_cast<const TSeActiveBitmap*>(Source)) {
        ActiveBitmap = CopyLink(s->ActiveBitmap);
        ActiveFont.Assign(&s->ActiveFont);
    }
}

void TSeActiveBitmap::Refresh() {
    TSeBitmapObject::Refresh();
    ResolveLink(ActiveBitmap);
}

TteFont* TSeActiveBitmap::GetFont() {
    if (State == 5 || State == 7) return &ActiveFont;
    return &Font;
}

void TSeActiveBitmap::Draw(TSeCanvas& Canvas, TRect ClipRect) {
    bool active = Active || State == 5 || State == 6 || State == 7;
    DrawWith(Canvas, ClipRect,
             active && Usable(ActiveBitmap.get()) ? ActiveBitmap.get() : Bitmap.get());
}

void TSeActiveBitmap::SetCharset(uint8_t Value) {
    TSeBitmapObject::SetCharset(Value);
    ActiveFont.Charset = Value;
}

// ---- TSeSystemButton ----

TSeSystemButton::TSeSystemButton(fw::TComponent* AOwner)
    : TSeActiveBitmap(AOwner), BitmapHot(std::make_unique<TteBitmapLink>()),
      BitmapPressed(std::make_unique<TteBitmapLink>()) {
    Kind = TSeKind::skSysButton;
}

void TSeSystemButton::Publish(fw::TPublisher<TSeSystemButton>& p) {
    p.Field("Action", ActionType(), &TSeSystemButton::Action);
    p.Object("BitmapHot", [](TSeSystemButton& o) { return o.BitmapHot.get(); });
    p.Object("BitmapPressed", [](TSeSystemButton& o) { return o.BitmapPressed.get(); });
}

void TSeSystemButton::Assign(const fw::TPersistent* Source) {
    TSeActiveBitmap::Assign(Source);
    if (auto* s = dynamic_cast<const TSeSystemButton*>(Source)) {
        Action = s->Action;
        BitmapHot = CopyLink(s->BitmapHot);
        BitmapPressed = CopyLink(s->BitmapPressed);
    }
}

void TSeSystemButton::Refresh() {
    TSeActiveBitmap::Refresh();
    ResolveLink(BitmapHot);
    ResolveLink(BitmapPressed);
}

void TSeSystemButton::SetState(uint8_t Value) {
    TSeActiveBitmap::SetState(Value);
    ButtonVisibleByState(*this, Action, Value);
}

void TSeSystemButton::SetSubState(uint16_t Value) {
    TSeActiveBitmap::SetSubState(Value);
    ButtonVisibleBySet(*this, Action, Value);
}

void TSeSystemButton::Draw(TSeCanvas& Canvas, TRect ClipRect) {
    if (Action == TSeAction::sbaSysMenu) return;
    if (!Active) {
        SetChildrenState(*this, 8);
        TSeActiveBitmap::Draw(Canvas, ClipRect);
    } else if (ButtonState == 1 || ButtonState == 2) {
        TSeLinkPtr& alt = ButtonState == 1 ? BitmapHot : BitmapPressed;
        bool swap = Usable(alt.get());
        if (swap) std::swap(Bitmap, alt);
        SetActive(false);
        SetChildrenState(*this, ButtonState == 1 ? 5 : 6);
        TSeBitmapObject::Draw(Canvas, ClipRect);
        SetActive(true);
        if (swap) std::swap(Bitmap, alt);
    } else {
        TSeActiveBitmap::Draw(Canvas, ClipRect);
    }
    SetChildrenState(*this, 0);
}

// ---- TSeButtonObject ----

TSeButtonObject::TSeButtonObject(fw::TComponent* AOwner)
    : TSeBitmapObject(AOwner), BitmapHot(std::make_unique<TteBitmapLink>()),
      BitmapFocused(std::make_unique<TteBitmapLink>()),
      BitmapPressed(std::make_unique<TteBitmapLink>()),
      BitmapDisabled(std::make_unique<TteBitmapLink>()) {}

void TSeButtonObject::Publish(fw::TPublisher<TSeButtonObject>& p) {
    p.Object("BitmapHot", [](TSeButtonObject& o) { return o.BitmapHot.get(); });
    p.Object("BitmapFocused", [](TSeButtonObject& o) { return o.BitmapFocused.get(); });
    p.Object("BitmapPressed", [](TSeButtonObject& o) { return o.BitmapPressed.get(); });
    p.Object("BitmapDisabled", [](TSeButtonObject& o) { return o.BitmapDisabled.get(); });
}

void TSeButtonObject::Assign(const fw::TPersistent* Source) {
    TSeBitmapObject::Assign(Source);
    if (auto* s = dynamic_cast<const TSeButtonObject*>(Source)) {
        BitmapHot = CopyLink(s->BitmapHot);
        BitmapFocused = CopyLink(s->BitmapFocused);
        BitmapPressed = CopyLink(s->BitmapPressed);
        BitmapDisabled = CopyLink(s->BitmapDisabled);
    }
}

void TSeButtonObject::Refresh() {
    TSeBitmapObject::Refresh();
    ResolveLink(BitmapHot);
    ResolveLink(BitmapFocused);
    ResolveLink(BitmapPressed);
    ResolveLink(BitmapDisabled);
}

namespace {
TteBitmapLink* StateLink(uint8_t State, TteBitmapLink* Main, TteBitmapLink* Hot,
                         TteBitmapLink* Focused, TteBitmapLink* Pressed, TteBitmapLink* Disabled) {
    TteBitmapLink* pick = nullptr;
    switch (State) {
    case 7:
        pick = Focused;
        break;
    case 5:
        pick = Hot;
        break;
    case 8:
        pick = Disabled;
        break;
    case 6:
        pick = Pressed;
        break;
    default:
        break;
    }
    return Usable(pick) ? pick : Main;
}
} // namespace

void TSeButtonObject::Draw(TSeCanvas& Canvas, TRect ClipRect) {
    DrawWith(Canvas, ClipRect,
             StateLink(State, Bitmap.get(), BitmapHot.get(), BitmapFocused.get(),
                       BitmapPressed.get(), BitmapDisabled.get()));
}

// ---- TSeTextObject ----

void TSeTextObject::Publish(fw::TPublisher<TSeTextObject>& p) {
    p.Object("FontHot", [](TSeTextObject& o) { return &o.FontHot; });
    p.Object("FontFocused", [](TSeTextObject& o) { return &o.FontFocused; });
    p.Object("FontPressed", [](TSeTextObject& o) { return &o.FontPressed; });
    p.Object("FontDisabled", [](TSeTextObject& o) { return &o.FontDisabled; });
}

void TSeTextObject::Assign(const fw::TPersistent* Source) {
    TSeSkinObject::Assign(Source);
    if (auto* s = dynamic_cast<const TSeTextObject*>(Source)) {
        FontHot.Assign(&s->FontHot);
        FontFocused.Assign(&s->FontFocused);
        FontPressed.Assign(&s->FontPressed);
        FontDisabled.Assign(&s->FontDisabled);
    }
}

TteFont* TSeTextObject::GetFont() {
    switch (State) {
    case 5:
        return &FontHot;
    case 6:
        return &FontPressed;
    case 7:
        return &FontFocused;
    case 8:
        return &FontDisabled;
    default:
        return &Font;
    }
}

void TSeTextObject::Draw(TSeCanvas& Canvas, TRect ClipRect) {
    LookSwap look(*this);
    if (State >= 5 && State <= 8) look.UseFont(*static_cast<TSeFont*>(GetFont()));
    DrawPlain(Canvas, ClipRect);
}

void TSeTextObject::ChangeHue(int Value) {
    TSeSkinObject::ChangeHue(Value);
    for (TSeFont* f : {&FontHot, &FontFocused, &FontPressed, &FontDisabled})
        f->Color = ShiftColorHue(f->Color, Value);
}

void TSeTextObject::ChangeBrightness(int Value) {
    TSeSkinObject::ChangeBrightness(Value);
    for (TSeFont* f : {&FontHot, &FontFocused, &FontPressed, &FontDisabled})
        f->Color = ShiftColorBrightness(f->Color, Value);
}

void TSeTextObject::SetCharset(uint8_t Value) {
    TSeSkinObject::SetCharset(Value);
    for (TSeFont* f : {&FontHot, &FontFocused, &FontPressed, &FontDisabled})
        f->Charset = Value;
}

// ---- TSeLinkSkinObject, TSeRollPanelObject ----

void TSeLinkSkinObject::Publish(fw::TPublisher<TSeLinkSkinObject>& p) {
    p.Field("LinkControl", nullptr, &TSeLinkSkinObject::LinkControl);
}

void TSeLinkSkinObject::Assign(const fw::TPersistent* Source) {
    TSeSkinObject::Assign(Source);
    if (auto* s = dynamic_cast<const TSeLinkSkinObject*>(Source)) LinkControl = s->LinkControl;
}

void TSeRollPanelObject::Publish(fw::TPublisher<TSeRollPanelObject>& p) {
    p.Field("RollKind", RollKindType(), &TSeRollPanelObject::RollKind);
    p.Field("RollValue", nullptr, &TSeRollPanelObject::RollValue);
}

void TSeRollPanelObject::Assign(const fw::TPersistent* Source) {
    TSeSkinObject::Assign(Source);
    if (auto* s = dynamic_cast<const TSeRollPanelObject*>(Source)) {
        RollKind = s->RollKind;
        RollValue = s->RollValue;
    }
}

// ---- TSeActiveSkinObject ----

void TSeActiveSkinObject::Publish(fw::TPublisher<TSeActiveSkinObject>& p) {
    p.Field("ActiveColor", fw::ColorType(), &TSeActiveSkinObject::ActiveColor);
    p.Object("ActiveFont", [](TSeActiveSkinObject& o) { return &o.ActiveFont; });
}

void TSeActiveSkinObject::Assign(const fw::TPersistent* Source) {
    TSeSkinObject::Assign(Source);
    if (auto* s = dynamic_cast<const TSeActiveSkinObject*>(Source)) {
        ActiveColor = s->ActiveColor;
        ActiveFont.Assign(&s->ActiveFont);
    }
}

void TSeActiveSkinObject::Draw(TSeCanvas& Canvas, TRect ClipRect) {
    LookSwap look(*this);
    if (State == 5 || State == 7) look.Use(ActiveColor, ActiveFont);
    DrawPlain(Canvas, ClipRect);
}

void TSeActiveSkinObject::ChangeHue(int Value) {
    TSeSkinObject::ChangeHue(Value);
    ActiveColor = ShiftColorHue(ActiveColor, Value);
    ActiveFont.Color = ShiftColorHue(ActiveFont.Color, Value);
}

void TSeActiveSkinObject::ChangeBrightness(int Value) {
    TSeSkinObject::ChangeBrightness(Value);
    ActiveColor = ShiftColorBrightness(ActiveColor, Value);
    ActiveFont.Color = ShiftColorBrightness(ActiveFont.Color, Value);
}

// ---- TSeBitmapSkinObject line ----

TSeBitmapSkinObject::TSeBitmapSkinObject(fw::TComponent* AOwner)
    : TSeSkinObject(AOwner), Bitmap(std::make_unique<TteBitmapLink>()) {}

void TSeBitmapSkinObject::Publish(fw::TPublisher<TSeBitmapSkinObject>& p) {
    p.Object("Bitmap", [](TSeBitmapSkinObject& o) { return o.Bitmap.get(); });
    p.Field("TileStyle", TileStyleType(), &TSeBitmapSkinObject::TileStyle);
}

void TSeBitmapSkinObject::Assign(const fw::TPersistent* Source) {
    TSeSkinObject::Assign(Source);
    if (auto* s = dynamic_cast<const TSeBitmapSkinObject*>(Source)) {
        Bitmap = CopyLink(s->Bitmap);
        TileStyle = s->TileStyle;
    }
}

void TSeBitmapSkinObject::ResolveLink(TSeLinkPtr& Link) {
    if (!Images || !Link) return;
    TteBitmapLink* l = Images->GetLink(Link->Name, Link->Rect);
    if (!l) return;
    Link.reset(l);
    Link->CheckMasked();
}

void TSeBitmapSkinObject::Refresh() {
    TSeSkinObject::Refresh();
    ResolveLink(Bitmap);
}

void TSeBitmapSkinObject::Draw(TSeCanvas& Canvas, TRect ClipRect) {
    DrawWith(Canvas, ClipRect, Bitmap.get());
}

void TSeBitmapSkinObject::DrawWith(TSeCanvas& Canvas, TRect ClipRect, TteBitmapLink* Link) {
    if (!Visible || Width() <= 0 || Height() <= 0) return;
    if (HasArea(ClipRect) && !HasArea(IntersectRects(ClipRect, BoundsRect()))) return;
    if (Usable(Link)) {
        PartMode m = PartMode::None;
        if (TileStyle == TscTileStyle::tsTile) m = PartMode::Tile;
        if (TileStyle == TscTileStyle::tsStretch) m = PartMode::Stretch;
        if (TileStyle == TscTileStyle::tsCenter) m = PartMode::Center;
        DrawPart(Canvas, *Link, Link->Rect, BoundsRect(), m, Link->Masked, ClipRect);
    }
    DrawObjectText(Canvas);
}

std::unique_ptr<TSeRegion> TSeBitmapSkinObject::CreateRegion() {
    if (!Usable(Bitmap.get()) || Width() <= 0 || Height() <= 0) return nullptr;
    if (Kind == TSeKind::skClient) return std::make_unique<TSeRegion>(TSeRegion{BoundsRect()});
    return RenderedRegion(*this);
}

TSeFormBitmapSkinObject::TSeFormBitmapSkinObject(fw::TComponent* AOwner)
    : TSeBitmapSkinObject(AOwner), InactiveBitmap(std::make_unique<TteBitmapLink>()) {}

void TSeFormBitmapSkinObject::Publish(fw::TPublisher<TSeFormBitmapSkinObject>& p) {
    p.Object("InactiveBitmap", [](TSeFormBitmapSkinObject& o) { return o.InactiveBitmap.get(); });
}

void TSeFormBitmapSkinObject::Assign(const fw::TPersistent* Source) {
    TSeBitmapSkinObject::Assign(Source);
    if (auto* s = dynamic_cast<const TSeFormBitmapSkinObject*>(Source))
        InactiveBitmap = CopyLink(s->InactiveBitmap);
}

void TSeFormBitmapSkinObject::Refresh() {
    TSeBitmapSkinObject::Refresh();
    ResolveLink(InactiveBitmap);
}

void TSeFormBitmapSkinObject::Draw(TSeCanvas& Canvas, TRect ClipRect) {
    DrawWith(Canvas, ClipRect,
             !Active && Usable(InactiveBitmap.get()) ? InactiveBitmap.get() : Bitmap.get());
}

TSeSysButtonSkinObject::TSeSysButtonSkinObject(fw::TComponent* AOwner)
    : TSeBitmapSkinObject(AOwner), BitmapHover(std::make_unique<TteBitmapLink>()),
      BitmapDown(std::make_unique<TteBitmapLink>()) {
    Kind = TSeKind::skSysButton;
}

void TSeSysButtonSkinObject::Publish(fw::TPublisher<TSeSysButtonSkinObject>& p) {
    p.Field("Action", ActionType(), &TSeSysButtonSkinObject::Action);
    p.Object("BitmapHover", [](TSeSysButtonSkinObject& o) { return o.BitmapHover.get(); });
    p.Object("BitmapDown", [](TSeSysButtonSkinObject& o) { return o.BitmapDown.get(); });
    p.Field("RollPanel", nullptr, &TSeSysButtonSkinObject::RollPanel);
}

void TSeSysButtonSkinObject::Assign(const fw::TPersistent* Source) {
    TSeBitmapSkinObject::Assign(Source);
    if (auto* s = dynamic_cast<const TSeSysButtonSkinObject*>(Source)) {
        Action = s->Action;
        BitmapHover = CopyLink(s->BitmapHover);
        BitmapDown = CopyLink(s->BitmapDown);
        RollPanel = s->RollPanel;
    }
}

void TSeSysButtonSkinObject::Refresh() {
    TSeBitmapSkinObject::Refresh();
    ResolveLink(BitmapHover);
    ResolveLink(BitmapDown);
}

void TSeSysButtonSkinObject::SetState(uint8_t Value) {
    TSeBitmapSkinObject::SetState(Value);
    ButtonVisibleByState(*this, Action, Value);
}

void TSeSysButtonSkinObject::SetSubState(uint16_t Value) {
    TSeBitmapSkinObject::SetSubState(Value);
    ButtonVisibleBySet(*this, Action, Value);
}

void TSeSysButtonSkinObject::Draw(TSeCanvas& Canvas, TRect ClipRect) {
    if (Action == TSeAction::sbaSysMenu) return;
    TteBitmapLink* l = Bitmap.get();
    if (ButtonState == 1 && Usable(BitmapHover.get())) l = BitmapHover.get();
    if (ButtonState == 2 && Usable(BitmapDown.get())) l = BitmapDown.get();
    DrawWith(Canvas, ClipRect, l);
}

// ---- TSeColorButtonObject ----

void TSeColorButtonObject::Publish(fw::TPublisher<TSeColorButtonObject>& p) {
    using T = TSeColorButtonObject;
    p.Field("HotColor", fw::ColorType(), &T::HotColor);
    p.Object("HotFont", [](T& o) { return &o.HotFont; });
    p.Field("PressedColor", fw::ColorType(), &T::PressedColor);
    p.Object("PressedFont", [](T& o) { return &o.PressedFont; });
    p.Field("FocusedColor", fw::ColorType(), &T::FocusedColor);
    p.Object("FocusedFont", [](T& o) { return &o.FocusedFont; });
    p.Field("DisabledColor", fw::ColorType(), &T::DisabledColor);
    p.Object("DisabledFont", [](T& o) { return &o.DisabledFont; });
}

void TSeColorButtonObject::Assign(const fw::TPersistent* Source) {
    TSeSkinObject::Assign(Source);
    if (auto* s = dynamic_cast<const TSeColorButtonObject*>(Source)) {
        HotColor = s->HotColor;
        PressedColor = s->PressedColor;
        FocusedColor = s->FocusedColor;
        DisabledColor = s->DisabledColor;
        HotFont.Assign(&s->HotFont);
        PressedFont.Assign(&s->PressedFont);
        FocusedFont.Assign(&s->FocusedFont);
        DisabledFont.Assign(&s->DisabledFont);
    }
}

void TSeColorButtonObject::Draw(TSeCanvas& Canvas, TRect ClipRect) {
    if (Width() < 1 || Height() < 1) return;
    LookSwap look(*this);
    switch (State) {
    case 5:
        look.Use(HotColor, HotFont);
        break;
    case 6:
        look.Use(PressedColor, PressedFont);
        break;
    case 7:
        look.Use(FocusedColor, FocusedFont);
        break;
    case 8:
        look.Use(DisabledColor, DisabledFont);
        break;
    default:
        break;
    }
    DrawPlain(Canvas, ClipRect);
}

// ---- bitmap boxes ----

void TSeBitmapBoxObject::Publish(fw::TPublisher<TSeBitmapBoxObject>& p) {
    p.Field("BorderTileStyle", TileStyleType(), &TSeBitmapBoxObject::BorderTileStyle);
}

void TSeBitmapBoxObject::Assign(const fw::TPersistent* Source) {
    TSeBitmapSkinObject::Assign(Source);
    if (auto* s = dynamic_cast<const TSeBitmapBoxObject*>(Source))
        BorderTileStyle = s->BorderTileStyle;
}

void TSeBitmapBoxObject::DrawWith(TSeCanvas& Canvas, TRect ClipRect, TteBitmapLink* Link) {
    if (MarginLeft == 0 && MarginTop == 0 && MarginRight == 0 && MarginBottom == 0) {
        TSeBitmapSkinObject::DrawWith(Canvas, ClipRect, Link);
        return;
    }
    if (!Visible || Width() <= 0 || Height() <= 0) return;
    if (HasArea(ClipRect) && !HasArea(IntersectRects(ClipRect, BoundsRect()))) return;
    if (Usable(Link))
        DrawNine(Canvas, *Link, BoundsRect(), MarginLeft, MarginTop, MarginRight, MarginBottom,
                 ModeOf(TileStyle, true), ModeOf(BorderTileStyle, true),
                 NineFlags{Link->Masked, Link->Masked, Link->Masked}, ClipRect);
    DrawObjectText(Canvas);
}

TSeActiveBitmapBoxObject::TSeActiveBitmapBoxObject(fw::TComponent* AOwner)
    : TSeBitmapBoxObject(AOwner), FocusedBitmap(std::make_unique<TteBitmapLink>()) {}

void TSeActiveBitmapBoxObject::Publish(fw::TPublisher<TSeActiveBitmapBoxObject>& p) {
    p.Object("FocusedBitmap", [](TSeActiveBitmapBoxObject& o) { return o.FocusedBitmap.get(); });
}

void TSeActiveBitmapBoxObject::Assign(const fw::TPersistent* Source) {
    TSeBitmapBoxObject::Assign(Source);
    if (auto* s = dynamic_cast<const TSeActiveBitmapBoxObject*>(Source))
        FocusedBitmap = CopyLink(s->FocusedBitmap);
}

void TSeActiveBitmapBoxObject::Refresh() {
    TSeBitmapBoxObject::Refresh();
    ResolveLink(FocusedBitmap);
}

void TSeActiveBitmapBoxObject::Draw(TSeCanvas& Canvas, TRect ClipRect) {
    bool focused = (State == 7 || State == 5) && Usable(FocusedBitmap.get());
    DrawWith(Canvas, ClipRect, focused ? FocusedBitmap.get() : Bitmap.get());
}

TSeButtonBitmapBoxObject::TSeButtonBitmapBoxObject(fw::TComponent* AOwner)
    : TSeBitmapBoxObject(AOwner), HotBitmap(std::make_unique<TteBitmapLink>()),
      FocusedBitmap(std::make_unique<TteBitmapLink>()),
      PressedBitmap(std::make_unique<TteBitmapLink>()),
      DisabledBitmap(std::make_unique<TteBitmapLink>()) {}

void TSeButtonBitmapBoxObject::Publish(fw::TPublisher<TSeButtonBitmapBoxObject>& p) {
    using T = TSeButtonBitmapBoxObject;
    p.Object("HotBitmap", [](T& o) { return o.HotBitmap.get(); });
    p.Object("FocusedBitmap", [](T& o) { return o.FocusedBitmap.get(); });
    p.Object("PressedBitmap", [](T& o) { return o.PressedBitmap.get(); });
    p.Object("DisabledBitmap", [](T& o) { return o.DisabledBitmap.get(); });
}

void TSeButtonBitmapBoxObject::Assign(const fw::TPersistent* Source) {
    TSeBitmapBoxObject::Assign(Source);
    if (auto* s = dynamic_cast<const TSeButtonBitmapBoxObject*>(Source)) {
        HotBitmap = CopyLink(s->HotBitmap);
        FocusedBitmap = CopyLink(s->FocusedBitmap);
        PressedBitmap = CopyLink(s->PressedBitmap);
        DisabledBitmap = CopyLink(s->DisabledBitmap);
    }
}

void TSeButtonBitmapBoxObject::Refresh() {
    TSeBitmapBoxObject::Refresh();
    ResolveLink(HotBitmap);
    ResolveLink(FocusedBitmap);
    ResolveLink(PressedBitmap);
    ResolveLink(DisabledBitmap);
}

void TSeButtonBitmapBoxObject::Draw(TSeCanvas& Canvas, TRect ClipRect) {
    DrawWith(Canvas, ClipRect,
             StateLink(State, Bitmap.get(), HotBitmap.get(), FocusedBitmap.get(),
                       PressedBitmap.get(), DisabledBitmap.get()));
}

void RegisterSkinObjectClasses() {
    for (const fw::TMetaClass* c : std::initializer_list<const fw::TMetaClass*>{
             TSeSkinObject::StaticClass(), TSeActiveObject::StaticClass(),
             TSeBitmapObject::StaticClass(), TSeActiveBitmap::StaticClass(),
             TSeSystemButton::StaticClass(), TSeButtonObject::StaticClass(),
             TSeTextObject::StaticClass(), TSeLinkSkinObject::StaticClass(),
             TSeBitmapSkinObject::StaticClass(), TSeFormBitmapSkinObject::StaticClass(),
             TSeSysButtonSkinObject::StaticClass(), TSeActiveSkinObject::StaticClass(),
             TSeColorButtonObject::StaticClass(), TSeBitmapBoxObject::StaticClass(),
             TSeActiveBitmapBoxObject::StaticClass(), TSeButtonBitmapBoxObject::StaticClass(),
             TSeRollPanelObject::StaticClass()})
        RegisterSkinObjectClass(c);
}

} // namespace dvr::skin
