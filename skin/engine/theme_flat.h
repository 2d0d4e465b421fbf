// The built-in theme "Flat": every control group painted with solid fills, one-pixel
// frames, lines and the system's frame-control glyphs in the colours and fonts of its
// tables; no bitmaps and no file form.
#pragma once

#include "skin/engine/te_theme.h"

namespace dvr::skin {

class TTeFlatTheme : public TteTheme {
    TE_THEME_CLASS(TTeFlatTheme, TteTheme)
public:
    TTeFlatTheme();

    int32_t LightDelta = 70;
    int32_t DarkDelta = -70;
    int32_t MenuGutterWidth = 0;

    void Assign(const fw::TPersistent* Source) override;
    void SetDefaultColors() override;
    void SetDefaultFonts() override;
    static std::string GetThemeName() { return "Flat"; }
    static void GetThemeOptions(TteThemeOptions& Options);

    // Form
    bool HasFormStyle(int Kind, const TObj& ThemeObject) override;
    HRGN GetFormRegion(int Kind, const TteWindowInfo& Info, const TObj& ThemeObject) override;
    void GetFormContentRect(int Kind, const TteWindowInfo& Info, TRect& Rect,
                            const TObj& ThemeObject) override;
    void PaintFormBorder(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                         const TteWindowInfo& Info) override;
    void GetFormCaptionRect(int Kind, const TteWindowInfo& Info, TRect& Rect,
                            const TObj& ThemeObject) override;
    void PaintFormCaption(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect,
                          const TteWindowInfo& Info) override;
    void GetFormButtonRect(int Kind, const TteWindowInfo& Info, TRect& Rect,
                           const TObj& ThemeObject, int Button) override;
    void PaintFormButton(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                         const TteFormButtonInfo& Button, const TteWindowInfo& Info) override;
    // Hint, StaticText
    bool HasHintStyle(int Kind, const TObj& ThemeObject) override;
    bool HasStaticTextStyle(int Kind, const TObj& ThemeObject) override;
    // Container
    bool HasContainerStyle(int Kind, const TObj& ThemeObject) override;
    bool IsContainerTransparent(int Kind, const TObj& ThemeObject) override;
    void GetContainerContentRect(int Kind, TRect Rect, TRect& Content,
                                 const TObj& ThemeObject) override;
    void PaintContainer(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect) override;
    // Button
    bool HasButtonStyle(int Kind, const TObj& ThemeObject) override;
    bool IsButtonTransparent(int Kind, const TObj& ThemeObject) override;
    void PaintButton(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                     const TteButtonInfo& Button) override;
    void PaintButtonText(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                         const TteTextInfo& TextInfo, const TteButtonInfo& Button) override;
    void PaintButtonGlyph(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                          const TteGlyphInfo& Glyph, const TteButtonInfo& Button) override;
    // CheckBox
    bool HasCheckBoxStyle(int Kind, const TObj& ThemeObject) override;
    bool IsCheckBoxTransparent(int Kind, const TObj& ThemeObject) override;
    void PaintCheckBox(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                       const TteCheckBoxInfo& CheckBox) override;
    // Splitter
    bool HasSplitterStyle(int Kind, const TObj& ThemeObject) override;
    bool IsSplitterTransparent(int Kind, const TObj& ThemeObject) override;
    void PaintSplitter(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect) override;
    // ScrollBar
    bool HasScrollBarStyle(int Kind, const TObj& ThemeObject) override;
    bool IsScrollBarTransparent(int Kind, const TObj& ThemeObject) override;
    void PaintScrollBarButton(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                              const TteTwoByteInfo& Button,
                              const TteRectStateInfo& ScrollBar) override;
    void PaintScrollBarTrack(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                             const TteRectStateInfo& Track) override;
    // ProgressBar
    bool HasProgressBarStyle(int Kind, const TObj& ThemeObject) override;
    bool IsProgressBarTransparent(int Kind, const TObj& ThemeObject) override;
    void PaintProgressBar(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                          const TteProgressInfo& Progress) override;
    // TrackBar
    bool HasTrackBarStyle(int Kind, const TObj& ThemeObject) override;
    bool IsTrackBarTransparent(int Kind, const TObj& ThemeObject) override;
    void PaintTrackBarTrack(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                            const TteTwoByteInfo& TrackBar) override;
    void PaintTrackBarThumb(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                            const TteRectStateInfo& Thumb, const TteTwoByteInfo& TrackBar) override;
    // Header
    bool HasHeaderStyle(int Kind, const TObj& ThemeObject) override;
    bool IsHeaderTransparent(int Kind, const TObj& ThemeObject) override;
    void PaintHeaderFrame(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect) override;
    void PaintHeaderSection(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                            const TteHeaderSectionInfo& Section) override;
    void PaintHeaderText(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                         const TteTextInfo& TextInfo, const TteHeaderSectionInfo& Section,
                         TRect Rect) override;
    void PaintHeaderImage(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                          const TteGlyphInfo& Glyph, const TteHeaderSectionInfo& Section,
                          TRect Rect) override;
    // StatusBar
    bool HasStatusBarStyle(int Kind, const TObj& ThemeObject) override;
    bool IsStatusBarTransparent(int Kind, const TObj& ThemeObject) override;
    void PaintStatusBar(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect) override;
    void PaintStatusPanel(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Panel,
                          TRect Bar) override;
    void PaintStatusPanelImage(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                               const TteGlyphInfo& Glyph, TRect Panel, TRect Bar) override;
    void PaintStatusBarGripper(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                               TRect Rect) override;
    // Edit
    bool HasEditStyle(int Kind, const TObj& ThemeObject) override;
    bool IsEditTransparent(int Kind, const TObj& ThemeObject) override;
    void GetEditContentRect(int Kind, TRect Rect, TRect& Content, const TObj& ThemeObject) override;
    void PaintEditFrame(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                        const TteRectStateInfo& Edit) override;
    void PaintEditSelection(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                            const TteRectStateInfo& Selection) override;
    void PaintComboButton(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                          const TteTwoByteInfo& Button, const TteRectStateInfo& Edit) override;
    // GroupBox
    bool HasGroupBoxStyle(int Kind, const TObj& ThemeObject) override;
    bool IsGroupBoxTransparent(int Kind, const TObj& ThemeObject) override;
    void GetGroupBoxContentRect(int Kind, const TteGroupInfo& Group, TRect& Rect,
                                const TObj& ThemeObject) override;
    void GetGroupBoxCaptionRect(int Kind, TCanvas& Canvas, TRect& Rect, const TObj& ThemeObject,
                                const TteGroupInfo& Group) override;
    void PaintGroupBox(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                       const TteGroupInfo& Group) override;
    // EditArea
    bool HasEditAreaStyle(int Kind, const TObj& ThemeObject) override;
    bool IsEditAreaTransparent(int Kind, const TObj& ThemeObject) override;
    void PaintEditAreaFrame(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                            const TteRectStateInfo& Edit) override;
    // Menu
    bool HasMenuStyle(int Kind, const TObj& ThemeObject) override;
    bool IsMenuTransparent(int Kind, const TObj& ThemeObject) override;
    void GetMenuContentRect(int Kind, TRect Rect, TRect& Content, const TObj& ThemeObject) override;
    void PaintMenuFrame(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect) override;
    void PaintMenuItem(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                       const TteMenuItemInfo& Item) override;
    void PaintMenuItemGlyph(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                            const TteMenuGlyphInfo& Glyph, const TteMenuItemInfo& Item) override;
    // ControlBar
    bool HasControlBarStyle(int Kind, const TObj& ThemeObject) override;
    void PaintControlBar(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect) override;
    void GetToolBarContentRect(int Kind, TRect Rect, TRect& Content,
                               const TObj& ThemeObject) override;
    void PaintToolBar(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect) override;
    // Panel
    bool HasPanelStyle(int Kind, const TObj& ThemeObject) override;
    void GetPanelContentRect(int Kind, TRect Rect, TRect& Content,
                             const TObj& ThemeObject) override;
    void PaintPanelPart(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect) override;
    void PaintPanel(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect) override;
    void PaintPanelCaption(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                           const TteBarCaptionInfo& Caption) override;
    void PaintPanelButton(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                          const TteTwoByteInfo& Button) override;
    // Tabs
    bool HasTabsStyle(int Kind, const TObj& ThemeObject) override;
    bool IsTabsTransparent(int Kind, const TObj& ThemeObject) override;
    void PaintTabsFrame(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect) override;
    void PaintTab(int Kind, TCanvas& Canvas, const TObj& ThemeObject, const TteTabItemInfo& Tab,
                  const TteTwoByteInfo& Tabs = TteTwoByteInfo{}) override;
    void PaintTabScrollButton(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                              const TteTwoByteInfo& Button) override;
    // ListBox
    bool HasListBoxStyle(int Kind, const TObj& ThemeObject) override;
    bool IsListBoxTransparent(int Kind, const TObj& ThemeObject) override;
    void GetListBoxContentRect(int Kind, TRect Rect, TRect& Content,
                               const TObj& ThemeObject) override;
    void PaintListBoxFrame(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect) override;
    void PaintListBoxItem(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                          const TteRectStateInfo& Item) override;
    void PaintListBoxCheck(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                           const TteListCheckInfo& Check, const TteRectStateInfo& Item) override;
    // Tree
    bool HasTreeStyle(int Kind, const TObj& ThemeObject) override;
    bool IsTreeTransparent(int Kind, const TObj& ThemeObject) override;
    void PaintTreeFrame(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect) override;
    void PaintTreeItem(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                       const TteRectStateInfo& Item) override;
    // Grid
    bool HasGridStyle(int Kind, const TObj& ThemeObject) override;
    bool IsGridTransparent(int Kind, const TObj& ThemeObject) override;
    void PaintGridFrame(int Kind, TCanvas& Canvas, const TObj& ThemeObject, TRect Rect) override;
    void PaintGridCell(int Kind, TCanvas& Canvas, const TObj& ThemeObject,
                       const TteGridCellInfo& Cell) override;

protected:
    TColor ShiftedColor(int Entry, int Delta) const;
    void FillAndFrame(TCanvas& Canvas, TRect Rect, TColor Fill) const;
};

// Registers the class with the theme manager once (the unit's start).
void InitFlatThemeUnit();

} // namespace dvr::skin
