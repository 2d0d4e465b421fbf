// The theme interface and the theme manager. A control asks the current theme whether it
// has a style for its group (CurrentThemeHas...Style), then hands it a canvas, a theme
// object name ("default" or a named object of the theme) and a small record for each
// part. The base class TteTheme paints a plain placeholder look; the real themes derive
// from it. The manager owns the one current theme of the process, the registry of theme
// classes and the components that hear TM_THEMECHANGE.
#pragma once

#include "framework/component.h"
#include "framework/stream.h"
#include "framework/ui/controls.h"
#include "framework/ui/graphics.h"
#include "framework/ui/imglist.h"
#include "skin/engine/te_bitmap.h"
#include "skin/engine/te_theme_info.h"
#include "skin/engine/theme_colors.h"

#include <windows.h>

#include <memory>
#include <string>

namespace dvr::skin {

using fw::TCanvas;
using fw::TColor;
using TObj = std::string; // theme object name

constexpr uint32_t TM_THEMECHANGE = 0x800;
// Codes in wParam of TM_THEMECHANGE.
enum TteThemeChangeCode : uint8_t {
    ktcNewTheme = 0,
    ktcChangeStarts = 1,
    ktcChangeEnded = 2,
    ktcThemeApplied = 3,
    ktcThemeCleared = 4,
    ktcColorsChanged = 5
};

struct TteThemeOptions {
    uint8_t Selectable = 0;
    uint8_t HasFileFormat = 0;
    std::string FileFilter;
    std::string DefaultExtension;
};

class TteTheme;

// The class of a theme class: the class operations asked before any instance exists.
class TteThemeClass : public fw::TMetaClass {
public:
    using fw::TMetaClass::TMetaClass;
    virtual std::string GetThemeName() const = 0;
    virtual void GetThemeOptions(TteThemeOptions& Options) const = 0;
    virtual bool CanLoadFromStream(fw::TStream& Stream) const = 0;
    // A new instance, its tables filled.
    virtual TteTheme* CreateTheme() const = 0;
};

template <class T> class TteThemeClassOf : public fw::TClassOf<T, TteThemeClass> {
public:
    using fw::TClassOf<T, TteThemeClass>::TClassOf;
    std::string GetThemeName() const override { return T::GetThemeName(); }
    void GetThemeOptions(TteThemeOptions& Options) const override { T::GetThemeOptions(Options); }
    bool CanLoadFromStream(fw::TStream& Stream) const override {
        return T::CanLoadFromStream(Stream);
    }
    TteTheme* CreateTheme() const override { return new T(); }
};

#define TE_THEME_CLASS(Self, Parent) FW_CLASS_META(Self, Parent, ::dvr::skin::TteThemeClassOf<Self>)

class TteTheme : public fw::TPersistent {
    TE_THEME_CLASS(TteTheme, fw::TPersistent)
public:
    // Every derived constructor ends with UpdateColorsAndFonts, so that its own defaults
    // are the ones the tables hold.
    TteTheme();
    ~TteTheme() override;

    std::unique_ptr<TteThemeColors> Colors;
    std::unique_ptr<TteThemeFonts> Fonts;
    int32_t DeltaHue = 0;
    int32_t DeltaBrightness = 0;
    std::string Title = "Default theme";

    const TteThemeClass* ThemeClass() const {
        return static_cast<const TteThemeClass*>(ClassType());
    }
    TColor Color(int Index) const { return Colors->GetColor(Index); }

    // ---- life cycle ----
    void Assign(const fw::TPersistent* Source) override;
    virtual void SetDefaultColors();
    virtual void SetDefaultFonts();
    virtual void GetStyleFont(TteFont& Font, int Index, const TObj& ThemeObject);
    static std::string GetThemeName() { return "Default"; }
    static void GetThemeOptions(TteThemeOptions& Options) { Options = TteThemeOptions{}; }
    static bool CanLoadFromStream(fw::TStream&) { return false; }
    virtual bool LoadFromStream(fw::TStream& Stream);
    virtual bool SaveToStream(fw::TStream& Stream);
    virtual bool LoadFromFile(const std::string& FileName);
    virtual bool SaveToFile(const std::string& FileName);
    virtual void UpdateColorsAndFonts();
    virtual void PaintText(TCanvas& Canvas, const TteTextInfo& TextInfo);

    // ---- Form ----
    virtual bool HasFormStyle(int Kind, const TObj& ThemeObject);
    virtual HRGN GetFormRegion(int Kind, const TteWindowInfo& Info, const TObj& ThemeObject);
    virtual int FormHitTest(int Kind, const TteWindowInfo& Info, const TObj& ThemeObject, int X,
                            int Y);
    virtual void GetFormContentRect(int Kind, const TteWindowInfo& Info, TRect& Rect,
                                    const TObj& ThemeObject);
    virtual void PaintFormBorder(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                                 const TteWindowInfo& Info);
    virtual void PaintFormClient(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect,
                                 const TteWindowInfo& Info);
    virtual void GetFormCaptionRect(int Kind, const TteWindowInfo& Info, TRect& Rect,
                                    const TObj& ThemeObject);
    virtual void PaintFormCaption(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect,
                                  const TteWindowInfo& Info);
    virtual void GetFormButtonRect(int Kind, const TteWindowInfo& Info, TRect& Rect,
                                   const TObj& ThemeObject, int Button);
    virtual void PaintFormButton(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                                 const TteFormButtonInfo& Button, const TteWindowInfo& Info);
    virtual void PaintFormSizeGrip(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                                   const TteRectStateInfo& Grip, const TteWindowInfo& Info);
    // ---- Hint ----
    virtual bool HasHintStyle(int Kind, const TObj& ThemeObject);
    virtual void GetHintContentRect(int Kind, TRect Rect, TRect& Content, const TObj& ThemeObject);
    virtual void PaintHint(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect);
    // ---- StaticText ----
    virtual bool HasStaticTextStyle(int Kind, const TObj& ThemeObject);
    virtual bool IsStaticTextTransparent(int Kind, const TObj& ThemeObject);
    virtual void PaintStaticText(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                                 const TteTextInfo& TextInfo, const TteRectStateInfo& Info);
    // ---- Container ----
    virtual bool HasContainerStyle(int Kind, const TObj& ThemeObject);
    virtual bool IsContainerTransparent(int Kind, const TObj& ThemeObject);
    virtual void GetContainerContentRect(int Kind, TRect Rect, TRect& Content,
                                         const TObj& ThemeObject);
    virtual void PaintContainer(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect);
    virtual void PaintContainerText(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                                    const TteTextInfo& TextInfo, TRect Rect);
    // ---- Button ----
    virtual bool HasButtonStyle(int Kind, const TObj& ThemeObject);
    virtual bool IsButtonTransparent(int Kind, const TObj& ThemeObject);
    virtual void PaintButton(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                             const TteButtonInfo& Button);
    virtual void PaintButtonText(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                                 const TteTextInfo& TextInfo, const TteButtonInfo& Button);
    virtual void PaintButtonGlyph(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                                  const TteGlyphInfo& Glyph, const TteButtonInfo& Button);
    // ---- CheckBox ----
    virtual bool HasCheckBoxStyle(int Kind, const TObj& ThemeObject);
    virtual bool IsCheckBoxTransparent(int Kind, const TObj& ThemeObject);
    virtual void PaintCheckBox(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                               const TteCheckBoxInfo& CheckBox);
    virtual void PaintCheckBoxText(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                                   const TteTextInfo& TextInfo, const TteRectStateInfo& Info);
    // ---- Splitter ----
    virtual bool HasSplitterStyle(int Kind, const TObj& ThemeObject);
    virtual bool IsSplitterTransparent(int Kind, const TObj& ThemeObject);
    virtual void PaintSplitter(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect);
    // ---- ScrollBar ----
    virtual bool HasScrollBarStyle(int Kind, const TObj& ThemeObject);
    virtual bool IsScrollBarTransparent(int Kind, const TObj& ThemeObject);
    virtual void PaintScrollBarFrame(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                                     const TteRectStateInfo& ScrollBar);
    // Button: Byte1 state, Byte2 part (0 up, 1 down, 4 left, 5 right, 8 thumb).
    virtual void PaintScrollBarButton(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                                      const TteTwoByteInfo& Button,
                                      const TteRectStateInfo& ScrollBar);
    virtual void PaintScrollBarTrack(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                                     const TteRectStateInfo& Track);
    // ---- ProgressBar ----
    virtual bool HasProgressBarStyle(int Kind, const TObj& ThemeObject);
    virtual bool IsProgressBarTransparent(int Kind, const TObj& ThemeObject);
    virtual void PaintProgressBar(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                                  const TteProgressInfo& Progress);
    // ---- TrackBar ----
    virtual bool HasTrackBarStyle(int Kind, const TObj& ThemeObject);
    virtual bool IsTrackBarTransparent(int Kind, const TObj& ThemeObject);
    virtual void PaintTrackBarTrack(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                                    const TteTwoByteInfo& TrackBar);
    virtual void PaintTrackBarThumb(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                                    const TteRectStateInfo& Thumb, const TteTwoByteInfo& TrackBar);
    // ---- Header ----
    virtual bool HasHeaderStyle(int Kind, const TObj& ThemeObject);
    virtual bool IsHeaderTransparent(int Kind, const TObj& ThemeObject);
    virtual void PaintHeaderFrame(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect);
    virtual void PaintHeaderSection(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                                    const TteHeaderSectionInfo& Section);
    virtual void PaintHeaderText(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                                 const TteTextInfo& TextInfo, const TteHeaderSectionInfo& Section,
                                 TRect Rect);
    virtual void PaintHeaderImage(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                                  const TteGlyphInfo& Glyph, const TteHeaderSectionInfo& Section,
                                  TRect Rect);
    // ---- StatusBar ----
    virtual bool HasStatusBarStyle(int Kind, const TObj& ThemeObject);
    virtual bool IsStatusBarTransparent(int Kind, const TObj& ThemeObject);
    virtual void GetStatusBarContentRect(int Kind, TRect Rect, TRect& Content,
                                         const TObj& ThemeObject);
    virtual void PaintStatusBar(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect);
    virtual void PaintStatusPanel(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Panel,
                                  TRect Bar);
    virtual void PaintStatusPanelText(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                                      const TteTextInfo& TextInfo, TRect Panel, TRect Bar);
    virtual void PaintStatusPanelImage(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                                       const TteGlyphInfo& Glyph, TRect Panel, TRect Bar);
    virtual void PaintStatusBarGripper(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                                       TRect Rect);
    // ---- Edit ----
    virtual bool HasEditStyle(int Kind, const TObj& ThemeObject);
    virtual bool IsEditTransparent(int Kind, const TObj& ThemeObject);
    virtual void GetEditContentRect(int Kind, TRect Rect, TRect& Content, const TObj& ThemeObject);
    virtual void PaintEditFrame(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                                const TteRectStateInfo& Edit);
    virtual void PaintEditSelection(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                                    const TteRectStateInfo& Selection);
    // Button: Byte1 state, Byte2 kind.
    virtual void PaintComboButton(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                                  const TteTwoByteInfo& Button, const TteRectStateInfo& Edit);
    // ---- GroupBox ----
    virtual bool HasGroupBoxStyle(int Kind, const TObj& ThemeObject);
    virtual bool IsGroupBoxTransparent(int Kind, const TObj& ThemeObject);
    virtual void GetGroupBoxContentRect(int Kind, const TteGroupInfo& Group, TRect& Rect,
                                        const TObj& ThemeObject);
    virtual void GetGroupBoxCaptionRect(int Kind, TCanvas& Canvas, TRect& Rect,
                                        const TObj& ThemeObject, const TteGroupInfo& Group);
    virtual void PaintGroupBox(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                               const TteGroupInfo& Group);
    virtual void PaintGroupBoxText(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                                   const TteTextInfo& TextInfo, const TteGroupInfo& Group);
    // ---- EditArea ----
    virtual bool HasEditAreaStyle(int Kind, const TObj& ThemeObject);
    virtual bool IsEditAreaTransparent(int Kind, const TObj& ThemeObject);
    virtual void GetEditAreaContentRect(int Kind, TRect Rect, TRect& Content,
                                        const TObj& ThemeObject);
    virtual void PaintEditAreaFrame(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                                    const TteRectStateInfo& Edit);
    virtual void PaintEditAreaPart(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                                   const TteRectStateInfo& Part);
    // ---- Menu ----
    virtual bool HasMenuStyle(int Kind, const TObj& ThemeObject);
    virtual bool IsMenuTransparent(int Kind, const TObj& ThemeObject);
    virtual void GetMenuContentRect(int Kind, TRect Rect, TRect& Content, const TObj& ThemeObject);
    virtual void PaintMenuFrame(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect);
    virtual void PaintMenuItem(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                               const TteMenuItemInfo& Item);
    virtual void PaintMenuItemText(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                                   const TteTextInfo& TextInfo, const TteMenuItemInfo& Item);
    virtual void PaintMenuItemGlyph(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                                    const TteMenuGlyphInfo& Glyph, const TteMenuItemInfo& Item);
    // ---- ControlBar ----
    virtual bool HasControlBarStyle(int Kind, const TObj& ThemeObject);
    virtual void GetControlBarContentRect(int Kind, TRect Rect, TRect& Content,
                                          const TObj& ThemeObject);
    virtual void PaintControlBar(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect);
    virtual void GetToolBarContentRect(int Kind, TRect Rect, TRect& Content,
                                       const TObj& ThemeObject);
    virtual void PaintToolBar(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect);
    virtual void PaintControlBarPart(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                                     TRect Rect);
    // ---- Panel ----
    virtual bool HasPanelStyle(int Kind, const TObj& ThemeObject);
    virtual bool HasPanelCaption(int Kind, const TObj& ThemeObject);
    virtual void GetPanelContentRect(int Kind, TRect Rect, TRect& Content, const TObj& ThemeObject);
    virtual void PaintPanelPart(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect);
    virtual void PaintPanel(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect);
    virtual void PaintPanelCaption(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                                   const TteBarCaptionInfo& Caption);
    // Button: Byte1 kind, Byte2 state.
    virtual void PaintPanelButton(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                                  const TteTwoByteInfo& Button);
    // ---- Tabs ----
    virtual bool HasTabsStyle(int Kind, const TObj& ThemeObject);
    virtual bool IsTabsTransparent(int Kind, const TObj& ThemeObject);
    virtual void GetTabsContentRect(int Kind, TRect Rect, TRect& Content, const TObj& ThemeObject);
    virtual void PaintTabsFrame(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect);
    // Tab: Byte1 kind, Byte2 state, Byte3 active.
    // Tabs: the strip's record, Byte1 its position.
    virtual void PaintTab(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                          const TteTabItemInfo& Tab, const TteTwoByteInfo& Tabs = TteTwoByteInfo{});
    // Button: Byte1 kind, Byte2 state.
    virtual void PaintTabScrollButton(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                                      const TteTwoByteInfo& Button);
    virtual void PaintTabText(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                              const TteTextInfo& TextInfo, const TteTabItemInfo& Tab,
                              const TteTwoByteInfo& Tabs);
    virtual void PaintTabPart(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect);
    // ---- ListBox ----
    virtual bool HasListBoxStyle(int Kind, const TObj& ThemeObject);
    virtual bool IsListBoxTransparent(int Kind, const TObj& ThemeObject);
    virtual void GetListBoxContentRect(int Kind, TRect Rect, TRect& Content,
                                       const TObj& ThemeObject);
    virtual void PaintListBoxFrame(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect);
    virtual void PaintListBoxPart(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect);
    virtual void PaintListBoxItem(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                                  const TteRectStateInfo& Item);
    virtual void PaintListBoxItemText(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                                      const TteTextInfo& TextInfo, const TteRectStateInfo& Item);
    virtual void PaintListBoxCheck(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                                   const TteListCheckInfo& Check, const TteRectStateInfo& Item);
    // ---- Tree ----
    virtual bool HasTreeStyle(int Kind, const TObj& ThemeObject);
    virtual bool IsTreeTransparent(int Kind, const TObj& ThemeObject);
    virtual void GetTreeContentRect(int Kind, TRect Rect, TRect& Content, const TObj& ThemeObject);
    virtual void PaintTreeFrame(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect);
    virtual void PaintTreeItem(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                               const TteRectStateInfo& Item);
    virtual void PaintTreeItemText(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                                   const TteTextInfo& TextInfo, const TteRectStateInfo& Item);
    virtual void PaintTreePart(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect);
    // ---- Grid ----
    virtual bool HasGridStyle(int Kind, const TObj& ThemeObject);
    virtual bool IsGridTransparent(int Kind, const TObj& ThemeObject);
    virtual void GetGridContentRect(int Kind, TRect Rect, TRect& Content, const TObj& ThemeObject);
    virtual void PaintGridFrame(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect);
    virtual void PaintGridCell(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                               const TteGridCellInfo& Cell);
    virtual void PaintGridCellText(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                                   const TteTextInfo& TextInfo, const TteGridCellInfo& Cell);
    virtual void PaintGridPart(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect);

protected:
    // The canvas font := entry Index of the font table.
    void UseFont(TCanvas& Canvas, int Index);
};

// Font entry indexes used by the painters (TteThemeFonts order).
enum TteThemeFontIndex : uint8_t {
    ktfCaptionTextNormal = 0,
    ktfCaptionTextInactive = 1,
    ktfSmCaptionTextNormal = 2,
    ktfSmCaptionTextInactive = 3,
    ktfStaticTextNormal = 4,
    ktfPanelTextNormal = 8,
    ktfButtonTextNormal = 10,
    ktfButtonTextPressed = 11,
    ktfButtonTextHot = 12,
    ktfButtonTextFocused = 13,
    ktfButtonTextDisabled = 14,
    ktfCheckBoxTextNormal = 15,
    ktfCheckBoxTextFocused = 18,
    ktfRadioButtonTextFocused = 23,
    ktfWindowTextDisabled = 28,
    ktfEditBoxTextNormal = 29,
    ktfEditBoxTextFocused = 30,
    ktfEditBoxTextHot = 31,
    ktfEditBoxTextDisabled = 32,
    ktfEditBoxTextSelected = 33,
    ktfMenuItemTextDisabled = 37,
    ktfToolItemTextDisabled = 41,
    ktfHeaderSectionTextNormal = 42,
    ktfHeaderSectionTextHot = 46,
    ktfHeaderSectionTextDisabled = 48,
    ktfPopupMenuItemTextDisabled = 65
};

// The shifts every SetDefault... ends with. A zero hue shift leaves the colours as they are
// (the hue travels in 8 bits and would not come back exact); the brightness pass always
// runs, which also resolves system colours to plain RGB.
void ApplyThemeShifts(TteThemeColors& Colors, int Hue, int Brightness);
void ApplyThemeShifts(TteThemeFonts& Fonts, int Hue, int Brightness);

// Stores the shift and rebuilds the theme's tables from their defaults.
void SetDeltaHue(TteTheme* Theme, int Value);
void SetDeltaBrightness(TteTheme* Theme, int Value);
// A copy of Theme made through its registered class, or nullptr.
TteTheme* CloneTheme(const TteTheme* Theme);

// One image of an image list in a scratch bitmap shared by all callers, valid until the
// next call.
TteBitmap* RenderImageListImage(fw::TImageList* ImageList, int Index, bool Enabled);
TteGlyphInfo MakeStatusPanelImageInfo(TRect Rect, fw::TImageList* ImageList, int Index,
                                      uint8_t State);
TteMenuGlyphInfo MakeMenuImageInfo(TRect Rect, fw::TImageList* ImageList, int Index, bool Enabled,
                                   uint8_t State);

// ---- theme manager ----
void RegisterThemeClass(const TteThemeClass* Class);
const TteThemeClass* FindThemeClass(const std::string& ClassName);
int ThemeClassCount();
const TteThemeClass* ThemeClassByIndex(int Index);
TteTheme* CurrentTheme();
bool IsCurrentTheme(const TteTheme* Theme);
intptr_t AddThemeNotification(fw::TComponent* Component);
void RemoveThemeNotification(fw::TComponent* Component);
// Takes ownership of Theme (not the current one) and frees the theme it replaces.
void SetCurrentTheme(TteTheme* Theme);
void ClearCurrentTheme();
TteTheme* LoadThemeFromFile(const std::string& FileName);
TteTheme* LoadThemeFromStream(fw::TStream& Stream);
void SaveThemeToStream(TteTheme* Theme, fw::TStream& Stream);
void SetThemeDeltaHue(int Value);
void SetThemeDeltaBrightness(int Value);
// The folder of the running program, with its trailing separator (GBK).
std::string ProgramFolder();

bool CurrentThemeHasFormStyle(int Kind, const TObj& ThemeObject);
bool CurrentThemeHasButtonStyle(int Kind, const TObj& ThemeObject);
bool CurrentThemeHasCheckBoxStyle(int Kind, const TObj& ThemeObject);
bool CurrentThemeHasScrollBarStyle(int Kind, const TObj& ThemeObject);
bool CurrentThemeHasTrackBarStyle(int Kind, const TObj& ThemeObject);
bool CurrentThemeHasStatusBarStyle(int Kind, const TObj& ThemeObject);
bool CurrentThemeHasEditStyle(int Kind, const TObj& ThemeObject);
bool CurrentThemeHasMenuStyle(int Kind, const TObj& ThemeObject);
bool CurrentThemeHasControlBarStyle(int Kind, const TObj& ThemeObject);
bool CurrentThemeHasTabsStyle(int Kind, const TObj& ThemeObject);
bool CurrentThemeHasListBoxStyle(int Kind, const TObj& ThemeObject);

// Background painters for transparent controls, by the parent's class.
struct TteBackgroundInfo {
    TRect Bounds;
    TRect Rect;
    fw::TControl* Control = nullptr;
    fw::TWinControl* Parent = nullptr;
};
using TteBackgroundPainter = bool (*)(TCanvas& Canvas, const TteBackgroundInfo& Info);
void RegisterBackgroundPainter(const fw::TMetaClass* ControlClass, TteBackgroundPainter Painter);
bool PaintGroupBoxBackground(TCanvas& Canvas, const TteBackgroundInfo& Info);
void DrawParentBackground(fw::TControl* Control, HDC DC);

// Copies of control fonts, so that a theme font can be undone.
void StoreOriginalFont(fw::TFont* Font);
void ReleaseOriginalFont(fw::TFont* Font);
void RestoreOriginalFont(fw::TFont* Font);
void NotifyControlThemeCleared(fw::TComponent* Control);
void NotifyControlThemeApplied(fw::TComponent* Control);

namespace testing {
// The manager's hidden window (system colour and display changes arrive there).
HWND ThemeManagerWindow();
} // namespace testing

} // namespace dvr::skin
