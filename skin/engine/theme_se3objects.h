// The skin object tree: rectangular nodes that lay themselves out by their alignment,
// draw by state onto a canvas, hit-test and build window regions; and the kinds a skin
// file may hold (image rectangles tiled, stretched or as nine-part grids, per-state
// images, fonts and colours, caption buttons, control placeholders).
//
// Portable: objects draw through TSeCanvas. TSeBitmapCanvas draws into a TteBitmap;
// a device-context canvas lives with the Windows shell. Regions are rectangle lists
// the shell turns into window regions.
#pragma once

#include "framework/colors.h"
#include "framework/component.h"
#include "framework/typinfo.h"
#include "framework/types.h"
#include "skin/engine/te_bitmap.h"
#include "skin/engine/theme_colors.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace dvr::skin {

using fw::TColor;

enum class TSeAlign : uint8_t {
    saNone,
    saLeft,
    saMostLeft,
    saTop,
    saMostTop,
    saRight,
    saMostRight,
    saBottom,
    saMostBottom,
    saClient,
    saTopLeft,
    saTopRight,
    saBottomLeft,
    saBottomRight,
    saCenter,
    saText
};
enum class TSeKind : uint8_t {
    skNone,
    skForm,
    skCaption,
    skTitle,
    skTop,
    skLeft,
    skRight,
    skBottom,
    skTopLeft,
    skTopRight,
    skBottomLeft,
    skBottomRight,
    skSysButton,
    skClient,
    skMenuBar,
    skMenuBarItem,
    skMenuBarItemText,
    skPopupMenu,
    skPopupMenuItem,
    skPopupMenuItemText,
    skItemText,
    skTranparent
};
enum class TSeTextAlign : uint8_t {
    taTopLeft,
    taTopCenter,
    taTopRight,
    taLeft,
    taCenter,
    taRight,
    taBottomLeft,
    taBottomCenter,
    taBottomRight
};
enum class TSeTextEffect : uint8_t { teNone, teShadow };
enum class TscTileStyle : uint8_t {
    tsTile,
    tsStretch,
    tsCenter,
    tsVertCenterStretch,
    tsVertCenterTile,
    tsHorzCenterStretch,
    tsHorzCenterTile
};
enum class TSeAction : uint8_t {
    sbaNone,
    sbaClose,
    sbaHelp,
    sbaMinimize,
    sbaMaximize,
    sbaRestore,
    sbaRollUp,
    sbaRollDown,
    sbaTray,
    sbaSysMenu,
    sbaRollPanel,
    sbaCustom
};
enum class TSeRollKind : uint8_t { rkLeft, rkTop, rkRight, rkBottom };

// Object states.
constexpr uint8_t kssNormal = 0, kssMaximized = 2, kssMinimized = 3, kssRolledUp = 4, kssHot = 5,
                  kssPressed = 6, kssFocused = 7, kssDisabled = 8;

// (-1, -1, -1, -1): as a clip it is empty (draw everything); as a result, no rectangle.
constexpr TRect NullRect{-1, -1, -1, -1};

// Text placement flags, with the values of the system's DrawText flags.
constexpr uint32_t kdtTop = 0x0, kdtLeft = 0x0, kdtCenter = 0x1, kdtRight = 0x2, kdtVCenter = 0x4,
                   kdtBottom = 0x8, kdtSingleLine = 0x20;

// A font as skin files store it (the framework font's published properties).
class TSeFont : public TteFont {
    FW_PUBLISHED(TSeFont, TteFont)
public:
    TSeFont() = default;
    int32_t Height() const;
    void SetHeight(int32_t Value);
    uint8_t Pitch = 0;
    void Assign(const fw::TPersistent* Source) override;

private:
    int32_t height_ = 0; // as read, kept while it still matches Size
};

// A window region as the rectangles whose union it is.
using TSeRegion = std::vector<TRect>;
bool RegionContains(const TSeRegion& Region, int X, int Y);
// The runs of Bitmap's non-key pixels, offset by (X, Y).
TSeRegion RegionFromBitmap(const TteBitmap& Bitmap, int X, int Y);

// What skin objects draw on.
class TSeCanvas {
public:
    virtual ~TSeCanvas() = default;
    virtual void FillRect(TRect Rect, TColor Color) = 0;
    // SrcRect of Bitmap scaled onto DstRect, by the bitmap's own Transparent and
    // AlphaBlend flags.
    virtual void DrawBitmap(const TteBitmap& Bitmap, TRect DstRect, TRect SrcRect) = 0;
    virtual void DrawText(const std::u16string& Text, TRect Rect, uint32_t Flags,
                          const TteFont& Font, TColor Color) = 0;
    virtual int TextWidth(const std::u16string& Text, const TteFont& Font);
    // What can be drawn on at all, in skin coordinates.
    virtual TRect VisibleBounds();
    // Text shortened with "..." to fit MaxWidth.
    virtual std::u16string FitText(const std::u16string& Text, int MaxWidth, const TteFont& Font);
};

// Measures text where no canvas is at hand (saText layout); the Windows shell sets a
// screen measurement, the default estimates from the font size.
using TSeTextMeasure = int (*)(const std::u16string& Text, const TteFont& Font);
void SetSkinTextMeasure(TSeTextMeasure Measure);
int MeasureSkinText(const std::u16string& Text, const TteFont& Font);

// Drawing into a TteBitmap. Origin is the skin coordinate that lands on pixel (0, 0).
// Text is not rasterised here: each request is kept in TextLog.
class TSeBitmapCanvas : public TSeCanvas {
public:
    explicit TSeBitmapCanvas(TteBitmap& Target, TPoint Origin = {})
        : target_(Target), origin_(Origin) {}
    struct TextOut {
        std::u16string Text;
        TRect Rect;
        uint32_t Flags;
        TColor Color;
    };
    std::vector<TextOut> TextLog;
    void FillRect(TRect Rect, TColor Color) override;
    void DrawBitmap(const TteBitmap& Bitmap, TRect DstRect, TRect SrcRect) override;
    void DrawText(const std::u16string& Text, TRect Rect, uint32_t Flags, const TteFont& Font,
                  TColor Color) override;
    TRect VisibleBounds() override;

private:
    TRect Local(TRect R) const;
    TteBitmap& target_;
    TPoint origin_;
};

class TSeSkinObject;
class TSeSkinSource;

class TSeSkinObject : public fw::TComponent {
    FW_PUBLISHED(TSeSkinObject, fw::TComponent)
public:
    explicit TSeSkinObject(fw::TComponent* AOwner);
    ~TSeSkinObject() override;

    void DefineProperties(fw::TFiler* Filer) override;
    void Assign(const fw::TPersistent* Source) override;
    // Bounds the margins and image rectangles read from a file.
    void Loaded() override;
    // The object's image links (none in the base).
    virtual std::vector<TteBitmapLink*> Links() { return {}; }

    virtual TteFont* GetFont();
    virtual void SetSubState(uint16_t Value);
    virtual void SetState(uint8_t Value);
    virtual void Refresh();
    virtual void Draw(TSeCanvas& Canvas, TRect ClipRect);
    // nullptr: no region.
    virtual std::unique_ptr<TSeRegion> CreateRegion();
    virtual void ChangeHue(int Value);
    virtual void ChangeBrightness(int Value);
    virtual void SetCharset(uint8_t Value);

    // Children, in the order they were made or read.
    int ChildCount() const;
    TSeSkinObject* Child(int Index) const;
    TSeSkinObject* Parent() const;

    // Published.
    TSeAlign Align = TSeAlign::saNone;
    TColor Color = fw::clWhite;
    bool DrawIfOwner = false;
    TSeFont Font;
    TSeKind Kind = TSeKind::skNone;
    bool Masked = true;
    int32_t Left() const { return left_; }
    int32_t Top() const { return top_; }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    void SetLeft(int32_t v);
    void SetTop(int32_t v);
    void SetWidth(int32_t v);
    void SetHeight(int32_t v);
    int32_t MarginLeft = 0, MarginRight = 0, MarginTop = 0, MarginBottom = 0;
    TSeTextAlign TextAlign = TSeTextAlign::taLeft;
    TSeTextEffect TextEffect = TSeTextEffect::teNone;
    int32_t TextMarginLeft = 0, TextMarginRight = 0, TextMarginTop = 0;

    // Run time.
    bool Visible = true;
    bool Active = false;
    uint8_t State = 0;
    uint16_t SubState = 0;
    std::u16string Text;
    TteBitmapList* Images = nullptr;
    TRect OldBounds;

    TRect BoundsRect() const { return TRect{left_, top_, left_ + width_, top_ + height_}; }
    void SetBoundsRect(TRect Rect);
    void Realign();
    void RealignTree();
    void DrawChildren(TSeCanvas& Canvas, TRect ClipRect);
    void DrawObjectText(TSeCanvas& Canvas);
    std::unique_ptr<TSeRegion> GetTreeRegion();
    TSeSkinObject* ObjectAtPoint(TPoint P);
    TSeSkinObject* FindSystemButton(TSeAction Action);
    TSeSkinObject* FindObjectByKind(TSeKind AKind);
    TSeSkinObject* FindChildObject(const std::string& AName);
    void SetActive(bool Value);
    void SetImages(TteBitmapList* AImages);

    // Direct bound writes without layout (copying, saBottomLeft).
    void SetBoundsDirect(TRect R);

protected:
    // The plain look: fill and text when childless or DrawIfOwner, then the children.
    void DrawPlain(TSeCanvas& Canvas, TRect ClipRect);
    void ReadChildren(fw::TStream& S);
    void WriteChildren(fw::TStream& S);

private:
    int32_t left_ = 0, top_ = 0, width_ = 0, height_ = 0;
};

// Skin object classes by class name (case-sensitive), in registration order.
const std::vector<const fw::TMetaClass*>& SkinObjectClasses();
void RegisterSkinObjectClass(const fw::TMetaClass* Class);
const fw::TMetaClass* FindSkinObjectClass(const std::string& ClassName);
// Makes an object of a registered class; nullptr when the class is unknown.
TSeSkinObject* CreateSkinObject(const std::string& ClassName, fw::TComponent* Owner);
TSeSkinObject* CloneSkinObject(const TSeSkinObject* Source, fw::TComponent* Owner);
void RemoveSkinObject(fw::TComponent* Owner, TSeSkinObject* Object);
// Font takes Object's font for State (state fonts of the classes that have them).
void AssignStateFont(TteFont& Font, TSeSkinObject* Object, uint8_t State);
// Shifts a colour unless it is clNone.
TColor ShiftColorHue(TColor C, int Value);
TColor ShiftColorBrightness(TColor C, int Value);

// ---- kinds ----

using TSeLinkPtr = std::unique_ptr<TteBitmapLink>;

class TSeActiveObject : public TSeSkinObject {
    FW_PUBLISHED(TSeActiveObject, TSeSkinObject)
public:
    explicit TSeActiveObject(fw::TComponent* AOwner) : TSeSkinObject(AOwner) {}
    void Assign(const fw::TPersistent* Source) override;
    TteFont* GetFont() override;
    void Draw(TSeCanvas& Canvas, TRect ClipRect) override;
    void ChangeHue(int Value) override;
    void ChangeBrightness(int Value) override;
    void SetCharset(uint8_t Value) override;
    TColor ActiveColor = 0;
    TSeFont ActiveFont, DisabledFont;
};

class TSeBitmapObject : public TSeSkinObject {
    FW_PUBLISHED(TSeBitmapObject, TSeSkinObject)
public:
    explicit TSeBitmapObject(fw::TComponent* AOwner);
    std::vector<TteBitmapLink*> Links() override { return {Bitmap.get()}; }
    void Assign(const fw::TPersistent* Source) override;
    void Refresh() override;
    void Draw(TSeCanvas& Canvas, TRect ClipRect) override;
    std::unique_ptr<TSeRegion> CreateRegion() override;
    TSeLinkPtr Bitmap;
    TscTileStyle BorderTileStyle = TscTileStyle::tsTile;
    bool MaskedBorder = true;
    bool MaskedAngles = true;
    TscTileStyle TileStyle = TscTileStyle::tsTile;

protected:
    void DrawWith(TSeCanvas& Canvas, TRect ClipRect, TteBitmapLink* Link);
    void ResolveLink(TSeLinkPtr& Link);
};

class TSeActiveBitmap : public TSeBitmapObject {
    FW_PUBLISHED(TSeActiveBitmap, TSeBitmapObject)
public:
    explicit TSeActiveBitmap(fw::TComponent* AOwner);
    std::vector<TteBitmapLink*> Links() override { return {Bitmap.get(), ActiveBitmap.get()}; }
    void Assign(const fw::TPersistent* Source) override;
    void Refresh() override;
    TteFont* GetFont() override;
    void Draw(TSeCanvas& Canvas, TRect ClipRect) override;
    void SetCharset(uint8_t Value) override;
    TSeLinkPtr ActiveBitmap;
    TSeFont ActiveFont;
};

class TSeSystemButton : public TSeActiveBitmap {
    FW_PUBLISHED(TSeSystemButton, TSeActiveBitmap)
public:
    explicit TSeSystemButton(fw::TComponent* AOwner);
    std::vector<TteBitmapLink*> Links() override {
        return {Bitmap.get(), ActiveBitmap.get(), BitmapHot.get(), BitmapPressed.get()};
    }
    void Assign(const fw::TPersistent* Source) override;
    void Refresh() override;
    void SetState(uint8_t Value) override;
    void SetSubState(uint16_t Value) override;
    void Draw(TSeCanvas& Canvas, TRect ClipRect) override;
    TSeAction Action = TSeAction::sbaNone;
    TSeLinkPtr BitmapHot, BitmapPressed;
    uint8_t ButtonState = 0;
};

class TSeButtonObject : public TSeBitmapObject {
    FW_PUBLISHED(TSeButtonObject, TSeBitmapObject)
public:
    explicit TSeButtonObject(fw::TComponent* AOwner);
    std::vector<TteBitmapLink*> Links() override {
        return {Bitmap.get(), BitmapHot.get(), BitmapFocused.get(), BitmapPressed.get(),
                BitmapDisabled.get()};
    }
    void Assign(const fw::TPersistent* Source) override;
    void Refresh() override;
    void Draw(TSeCanvas& Canvas, TRect ClipRect) override;
    TSeLinkPtr BitmapHot, BitmapFocused, BitmapPressed, BitmapDisabled;
};

class TSeTextObject : public TSeSkinObject {
    FW_PUBLISHED(TSeTextObject, TSeSkinObject)
public:
    explicit TSeTextObject(fw::TComponent* AOwner) : TSeSkinObject(AOwner) {}
    void Assign(const fw::TPersistent* Source) override;
    TteFont* GetFont() override;
    void Draw(TSeCanvas& Canvas, TRect ClipRect) override;
    void ChangeHue(int Value) override;
    void ChangeBrightness(int Value) override;
    void SetCharset(uint8_t Value) override;
    TSeFont FontHot, FontFocused, FontPressed, FontDisabled;
};

class TSeLinkSkinObject : public TSeSkinObject {
    FW_PUBLISHED(TSeLinkSkinObject, TSeSkinObject)
public:
    explicit TSeLinkSkinObject(fw::TComponent* AOwner) : TSeSkinObject(AOwner) {}
    void Assign(const fw::TPersistent* Source) override;
    void Draw(TSeCanvas&, TRect) override {}
    std::string LinkControl;
};

class TSeActiveSkinObject : public TSeSkinObject {
    FW_PUBLISHED(TSeActiveSkinObject, TSeSkinObject)
public:
    explicit TSeActiveSkinObject(fw::TComponent* AOwner) : TSeSkinObject(AOwner) {}
    void Assign(const fw::TPersistent* Source) override;
    void Draw(TSeCanvas& Canvas, TRect ClipRect) override;
    void ChangeHue(int Value) override;
    void ChangeBrightness(int Value) override;
    TColor ActiveColor = 0;
    TSeFont ActiveFont;
};

class TSeBitmapSkinObject : public TSeSkinObject {
    FW_PUBLISHED(TSeBitmapSkinObject, TSeSkinObject)
public:
    explicit TSeBitmapSkinObject(fw::TComponent* AOwner);
    std::vector<TteBitmapLink*> Links() override { return {Bitmap.get()}; }
    void Assign(const fw::TPersistent* Source) override;
    void Refresh() override;
    void Draw(TSeCanvas& Canvas, TRect ClipRect) override;
    std::unique_ptr<TSeRegion> CreateRegion() override;
    TSeLinkPtr Bitmap;
    TscTileStyle TileStyle = TscTileStyle::tsTile;

protected:
    virtual void DrawWith(TSeCanvas& Canvas, TRect ClipRect, TteBitmapLink* Link);
    void ResolveLink(TSeLinkPtr& Link);
};

class TSeFormBitmapSkinObject : public TSeBitmapSkinObject {
    FW_PUBLISHED(TSeFormBitmapSkinObject, TSeBitmapSkinObject)
public:
    explicit TSeFormBitmapSkinObject(fw::TComponent* AOwner);
    std::vector<TteBitmapLink*> Links() override { return {Bitmap.get(), InactiveBitmap.get()}; }
    void Assign(const fw::TPersistent* Source) override;
    void Refresh() override;
    void Draw(TSeCanvas& Canvas, TRect ClipRect) override;
    TSeLinkPtr InactiveBitmap;
};

class TSeSysButtonSkinObject : public TSeBitmapSkinObject {
    FW_PUBLISHED(TSeSysButtonSkinObject, TSeBitmapSkinObject)
public:
    explicit TSeSysButtonSkinObject(fw::TComponent* AOwner);
    std::vector<TteBitmapLink*> Links() override {
        return {Bitmap.get(), BitmapHover.get(), BitmapDown.get()};
    }
    void Assign(const fw::TPersistent* Source) override;
    void Refresh() override;
    void SetState(uint8_t Value) override;
    void SetSubState(uint16_t Value) override;
    void Draw(TSeCanvas& Canvas, TRect ClipRect) override;
    TSeAction Action = TSeAction::sbaNone;
    TSeLinkPtr BitmapHover, BitmapDown;
    std::string RollPanel;
    uint8_t ButtonState = 0;
};

class TSeColorButtonObject : public TSeSkinObject {
    FW_PUBLISHED(TSeColorButtonObject, TSeSkinObject)
public:
    explicit TSeColorButtonObject(fw::TComponent* AOwner) : TSeSkinObject(AOwner) {}
    void Assign(const fw::TPersistent* Source) override;
    void Draw(TSeCanvas& Canvas, TRect ClipRect) override;
    TColor HotColor = 0, PressedColor = 0, FocusedColor = 0, DisabledColor = 0;
    TSeFont HotFont, PressedFont, FocusedFont, DisabledFont;
};

class TSeBitmapBoxObject : public TSeBitmapSkinObject {
    FW_PUBLISHED(TSeBitmapBoxObject, TSeBitmapSkinObject)
public:
    explicit TSeBitmapBoxObject(fw::TComponent* AOwner) : TSeBitmapSkinObject(AOwner) {}
    void Assign(const fw::TPersistent* Source) override;
    TscTileStyle BorderTileStyle = TscTileStyle::tsTile;

protected:
    void DrawWith(TSeCanvas& Canvas, TRect ClipRect, TteBitmapLink* Link) override;
};

class TSeActiveBitmapBoxObject : public TSeBitmapBoxObject {
    FW_PUBLISHED(TSeActiveBitmapBoxObject, TSeBitmapBoxObject)
public:
    explicit TSeActiveBitmapBoxObject(fw::TComponent* AOwner);
    std::vector<TteBitmapLink*> Links() override { return {Bitmap.get(), FocusedBitmap.get()}; }
    void Assign(const fw::TPersistent* Source) override;
    void Refresh() override;
    void Draw(TSeCanvas& Canvas, TRect ClipRect) override;
    TSeLinkPtr FocusedBitmap;
};

class TSeButtonBitmapBoxObject : public TSeBitmapBoxObject {
    FW_PUBLISHED(TSeButtonBitmapBoxObject, TSeBitmapBoxObject)
public:
    explicit TSeButtonBitmapBoxObject(fw::TComponent* AOwner);
    std::vector<TteBitmapLink*> Links() override {
        return {Bitmap.get(), HotBitmap.get(), FocusedBitmap.get(), PressedBitmap.get(),
                DisabledBitmap.get()};
    }
    void Assign(const fw::TPersistent* Source) override;
    void Refresh() override;
    void Draw(TSeCanvas& Canvas, TRect ClipRect) override;
    TSeLinkPtr HotBitmap, FocusedBitmap, PressedBitmap, DisabledBitmap;
};

class TSeRollPanelObject : public TSeSkinObject {
    FW_PUBLISHED(TSeRollPanelObject, TSeSkinObject)
public:
    explicit TSeRollPanelObject(fw::TComponent* AOwner) : TSeSkinObject(AOwner) {}
    void Assign(const fw::TPersistent* Source) override;
    TSeRollKind RollKind = TSeRollKind::rkLeft;
    int32_t RollValue = 0;
};

// Registers the seventeen classes (idempotent).
void RegisterSkinObjectClasses();

} // namespace dvr::skin
