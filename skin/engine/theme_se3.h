// The skin theme: paints the theme interface's groups from a loaded skin. It keeps the
// skin as loaded and a working copy carrying the theme's hue and brightness, looks the
// top-level objects up once into a kind table, and for each request sizes the matching
// object or part, sets its state and lets it draw itself.
#pragma once

#include "skin/engine/te_theme.h"
#include "skin/engine/theme_se3source.h"

#include <array>
#include <memory>

namespace dvr::skin {

// Skin objects drawing on a framework canvas.
class TSeFwCanvas : public TSeCanvas {
public:
    explicit TSeFwCanvas(fw::TCanvas& Canvas) : canvas_(Canvas) {}
    void FillRect(TRect Rect, TColor Color) override;
    void DrawBitmap(const TteBitmap& Bitmap, TRect DstRect, TRect SrcRect) override;
    void DrawText(const std::u16string& Text, TRect Rect, uint32_t Flags, const TteFont& Font,
                  TColor Color) override;
    int TextWidth(const std::u16string& Text, const TteFont& Font) override;
    TRect VisibleBounds() override;

private:
    fw::TCanvas& canvas_;
};

constexpr int kKindTableSize = 36;

class TTeSkinFile : public TteTheme {
    TE_THEME_CLASS(TTeSkinFile, TteTheme)
public:
    TTeSkinFile();
    ~TTeSkinFile() override;

    TSeSkinSource LoadedSkin;
    TSeSkinSource WorkingSkin;
    std::array<TSeSkinObject*, kKindTableSize> KindTable{};

    void Assign(const fw::TPersistent* Source) override;
    void SetDefaultColors() override;
    void SetDefaultFonts() override;
    void GetStyleFont(TteFont& Font, int Index, const TObj& ThemeObject) override;
    static std::string GetThemeName() { return "VaviDevivu 3 skin"; }
    static void GetThemeOptions(TteThemeOptions& Options);
    static bool CanLoadFromStream(fw::TStream& Stream);
    bool LoadFromStream(fw::TStream& Stream) override;
    bool SaveToStream(fw::TStream& Stream) override;
    bool LoadFromFile(const std::string& FileName) override;
    bool SaveToFile(const std::string& FileName) override;
    void UpdateColorsAndFonts() override;
    virtual void BuildKindTable();

    // Form
    bool HasFormStyle(int Kind, const TObj& ThemeObject) override;
    HRGN GetFormRegion(int Kind, const TteWindowInfo& Info, const TObj& ThemeObject) override;
    int FormHitTest(int Kind, const TteWindowInfo& Info, const TObj& ThemeObject, int X,
                    int Y) override;
    void GetFormContentRect(int Kind, const TteWindowInfo& Info, TRect& Rect,
                            const TObj& ThemeObject) override;
    void PaintFormBorder(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                         const TteWindowInfo& Info) override;
    void PaintFormClient(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect,
                         const TteWindowInfo& Info) override;
    void GetFormCaptionRect(int Kind, const TteWindowInfo& Info, TRect& Rect,
                            const TObj& ThemeObject) override;
    void PaintFormCaption(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect,
                          const TteWindowInfo& Info) override;
    void GetFormButtonRect(int Kind, const TteWindowInfo& Info, TRect& Rect,
                           const TObj& ThemeObject, int Button) override;
    void PaintFormButton(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                         const TteFormButtonInfo& Button, const TteWindowInfo& Info) override;
    // Hint
    bool HasHintStyle(int Kind, const TObj& ThemeObject) override;
    void GetHintContentRect(int Kind, TRect Rect, TRect& Content, const TObj& ThemeObject) override;
    void PaintHint(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect) override;
    // Button
    bool HasButtonStyle(int Kind, const TObj& ThemeObject) override;
    bool IsButtonTransparent(int Kind, const TObj& ThemeObject) override;
    void PaintButton(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                     const TteButtonInfo& Button) override;
    // CheckBox
    bool HasCheckBoxStyle(int Kind, const TObj& ThemeObject) override;
    bool IsCheckBoxTransparent(int Kind, const TObj& ThemeObject) override;
    void PaintCheckBox(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                       const TteCheckBoxInfo& CheckBox) override;
    // ProgressBar
    bool HasProgressBarStyle(int Kind, const TObj& ThemeObject) override;
    bool IsProgressBarTransparent(int Kind, const TObj& ThemeObject) override;
    void PaintProgressBar(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                          const TteProgressInfo& Progress) override;
    // StatusBar
    bool HasStatusBarStyle(int Kind, const TObj& ThemeObject) override;
    void PaintStatusBar(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect) override;
    void PaintStatusPanel(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Panel,
                          TRect Bar) override;
    void PaintStatusBarGripper(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                               TRect Rect) override;
    void PaintStatusPanelText(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                              const TteTextInfo& TextInfo, TRect Panel, TRect Bar) override;
    // TrackBar
    bool HasTrackBarStyle(int Kind, const TObj& ThemeObject) override;
    bool IsTrackBarTransparent(int Kind, const TObj& ThemeObject) override;
    void PaintTrackBarTrack(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                            const TteTwoByteInfo& TrackBar) override;
    void PaintTrackBarThumb(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                            const TteRectStateInfo& Thumb, const TteTwoByteInfo& TrackBar) override;
    // ControlBar
    bool HasControlBarStyle(int Kind, const TObj& ThemeObject) override;
    void GetControlBarContentRect(int Kind, TRect Rect, TRect& Content,
                                  const TObj& ThemeObject) override;
    void PaintControlBar(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect) override;
    void GetToolBarContentRect(int Kind, TRect Rect, TRect& Content,
                               const TObj& ThemeObject) override;
    void PaintToolBar(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect) override;

    // StaticText, Container, Splitter, ScrollBar, Header (theme_se3groups.cpp)
    bool HasStaticTextStyle(int Kind, const TObj& ThemeObject) override;
    bool HasContainerStyle(int Kind, const TObj& ThemeObject) override;
    void GetContainerContentRect(int Kind, TRect Rect, TRect& Content,
                                 const TObj& ThemeObject) override;
    void PaintContainer(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect) override;
    void PaintButtonText(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                         const TteTextInfo& TextInfo, const TteButtonInfo& Button) override;
    bool HasSplitterStyle(int Kind, const TObj& ThemeObject) override;
    void PaintSplitter(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect) override;
    bool HasScrollBarStyle(int Kind, const TObj& ThemeObject) override;
    bool IsScrollBarTransparent(int Kind, const TObj& ThemeObject) override;
    void PaintScrollBarFrame(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                             const TteRectStateInfo& ScrollBar) override;
    void PaintScrollBarButton(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                              const TteTwoByteInfo& Button,
                              const TteRectStateInfo& ScrollBar) override;
    void PaintScrollBarTrack(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                             const TteRectStateInfo& Track) override;
    bool HasHeaderStyle(int Kind, const TObj& ThemeObject) override;
    void PaintHeaderFrame(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect) override;
    void PaintHeaderSection(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                            const TteHeaderSectionInfo& Section) override;
    // Edit, GroupBox, EditArea, Menu, Panel (theme_se3groups.cpp)
    bool HasEditStyle(int Kind, const TObj& ThemeObject) override;
    void GetEditContentRect(int Kind, TRect Rect, TRect& Content, const TObj& ThemeObject) override;
    void PaintEditFrame(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                        const TteRectStateInfo& Edit) override;
    void PaintEditSelection(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                            const TteRectStateInfo& Selection) override;
    void PaintComboButton(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                          const TteTwoByteInfo& Button, const TteRectStateInfo& Edit) override;
    bool HasGroupBoxStyle(int Kind, const TObj& ThemeObject) override;
    bool IsGroupBoxTransparent(int Kind, const TObj& ThemeObject) override;
    void GetGroupBoxCaptionRect(int Kind, TCanvas& Canvas, TRect& Rect, const TObj& ThemeObject,
                                const TteGroupInfo& Group) override;
    void PaintGroupBox(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                       const TteGroupInfo& Group) override;
    bool HasEditAreaStyle(int Kind, const TObj& ThemeObject) override;
    void GetEditAreaContentRect(int Kind, TRect Rect, TRect& Content,
                                const TObj& ThemeObject) override;
    void PaintEditAreaFrame(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                            const TteRectStateInfo& Edit) override;
    bool HasMenuStyle(int Kind, const TObj& ThemeObject) override;
    void GetMenuContentRect(int Kind, TRect Rect, TRect& Content, const TObj& ThemeObject) override;
    void PaintMenuFrame(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect) override;
    void PaintMenuItem(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                       const TteMenuItemInfo& Item) override;
    void PaintMenuItemGlyph(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                            const TteMenuGlyphInfo& Glyph, const TteMenuItemInfo& Item) override;
    bool HasPanelStyle(int Kind, const TObj& ThemeObject) override;
    bool HasPanelCaption(int Kind, const TObj& ThemeObject) override;
    void GetPanelContentRect(int Kind, TRect Rect, TRect& Content, const TObj& ThemeObject) override;
    void PaintPanelPart(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect) override;
    void PaintPanel(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect) override;
    void PaintPanelCaption(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                           const TteBarCaptionInfo& Caption) override;
    void PaintPanelButton(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                          const TteTwoByteInfo& Button) override;
    // Tabs, ListBox, Tree, Grid (theme_se3lists.cpp)
    bool HasTabsStyle(int Kind, const TObj& ThemeObject) override;
    void GetTabsContentRect(int Kind, TRect Rect, TRect& Content, const TObj& ThemeObject) override;
    void PaintTabsFrame(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect) override;
    void PaintTab(int Kind, TCanvas& Canvas, const TObj& ThemeObject, const TteTabItemInfo& Tab,
                  const TteTwoByteInfo& Tabs = TteTwoByteInfo{}) override;
    void PaintTabScrollButton(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                              const TteTwoByteInfo& Button) override;
    void PaintTabText(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                      const TteTextInfo& TextInfo, const TteTabItemInfo& Tab,
                      const TteTwoByteInfo& Tabs) override;
    bool HasListBoxStyle(int Kind, const TObj& ThemeObject) override;
    void GetListBoxContentRect(int Kind, TRect Rect, TRect& Content,
                               const TObj& ThemeObject) override;
    void PaintListBoxFrame(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect) override;
    void PaintListBoxItem(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                          const TteRectStateInfo& Item) override;
    void PaintListBoxCheck(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                           const TteListCheckInfo& Check, const TteRectStateInfo& Item) override;
    bool HasTreeStyle(int Kind, const TObj& ThemeObject) override;
    void GetTreeContentRect(int Kind, TRect Rect, TRect& Content, const TObj& ThemeObject) override;
    void PaintTreeFrame(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect) override;
    void PaintTreeItem(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                       const TteRectStateInfo& Item) override;
    bool HasGridStyle(int Kind, const TObj& ThemeObject) override;
    void GetGridContentRect(int Kind, TRect Rect, TRect& Content, const TObj& ThemeObject) override;
    void PaintGridFrame(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect) override;
    void PaintGridCell(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                       const TteGridCellInfo& Cell) override;

    // The object a request names, else the kind table entry.
    TSeSkinObject* ObjectFor(const TObj& ThemeObject, int Entry) const;

private:
    void FreeClones();
    void SetWindowState(TSeSkinObject* O, uint16_t Buttons);
    TSeSkinObject* FormEntry(int Kind, int Offset) const;
};

// Registers the skin theme with the theme manager (once).
void InitSkinThemeUnit();

} // namespace dvr::skin
