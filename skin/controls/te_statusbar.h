// The skinned status bar: panels with a text, an optional image and an optional child
// control, sharing the bar's width by view and stretch priorities, and a size grip at
// the right end; painted through the theme's StatusBar group, the visual style class
// "Status" or plainly.
#pragma once

#include "framework/collection.h"
#include "framework/ui/imglist.h"
#include "framework/ui/stdctrls.h"
#include "skin/controls/te_controls.h"

#include <string>

namespace dvr::skin {

enum TTeStatusPanelstyle : uint8_t { psText, psOwnerDraw };
enum TTeStatusGliphLayout : uint8_t { sglGlyphLeft, sglGlyphRight };
using fw::TAlignment;
using TPercent = uint8_t; // 0..100

// DrawText's alignment flag for each TAlignment.
extern const uint32_t AlignmentDrawFlags[3];

class TTeStatusBar;
class TTeStatusPanels;

class TTeStatusPanel : public fw::TCollectionItem {
    FW_CLASS(TTeStatusPanel, fw::TCollectionItem)
public:
    TTeStatusPanel();
    ~TTeStatusPanel() override;

    void Assign(const fw::TPersistent* Source) override;
    std::string DisplayName() const override;
    std::string GetDisplayName() const { return DisplayName(); }
    TTeStatusBar* GetStatusBar() const;
    int GetLayoutWidth() const { return MaxWidth < LayoutWidth ? MaxWidth : LayoutWidth; }
    void UpdateControl();

    void SetAlignment(TAlignment Value);
    void SetImageIndex(int Value);
    void SetLayout(TTeStatusGliphLayout Value);
    void SetMargin(int Value);
    void SetShowImage(bool Value);
    void SetSpacing(int Value);
    void SetStyle(TTeStatusPanelstyle Value);
    void SetText(const std::wstring& Value);
    void SetFramed(bool Value);
    void SetWidth(int Value);
    void SetMaxWidth(int Value);
    void SetStretchPriority(TPercent Value);
    void SetViewPriority(TPercent Value);
    // Raises EInvalidOperation for the bar itself or one of its parents.
    void SetControl(fw::TControl* Value);

    // Read freely; written through the setters (the layout fields by the bar).
    int MaxWidth = 10000;
    int Width = 50;
    int LayoutWidth = 0;
    bool LayoutVisible = false;
    std::wstring Text;
    TAlignment Alignment = TAlignment::taLeftJustify;
    TTeStatusPanelstyle Style = psText;
    int ImageIndex = -1;
    int Margin = 2;
    int Spacing = 4;
    TTeStatusGliphLayout Layout = sglGlyphLeft;
    bool ShowImage = true;
    TPercent StretchPriority = 0;
    TPercent ViewPriority = 100;
    int LayoutLeft = 0, LayoutRight = 0;
    bool Framed = true;
    fw::TControl* Control = nullptr;

private:
    friend class TTeStatusBar;
};

using TTeStatusPanelClass = const fw::TMetaClass*;

class TTeStatusPanels : public fw::TCollection {
    FW_CLASS(TTeStatusPanels, fw::TCollection)
public:
    explicit TTeStatusPanels(TTeStatusBar* StatusBar);
    TTeStatusPanel* Add() { return AddItem(nullptr, -1); }
    TTeStatusPanel* AddItem(TTeStatusPanel* Item, int Index);
    TTeStatusPanel* GetItem(int Index) const;
    TTeStatusPanel* operator[](int Index) const { return GetItem(Index); }
    TTeStatusBar* GetOwner() const { return bar_; }
    TTeStatusBar* GetStatusBar() const { return bar_; }
    TTeStatusPanel* FindControlPanel(fw::TControl* Control) const;

protected:
    void Update(fw::TCollectionItem* Item) override;

private:
    TTeStatusBar* bar_;
};

using TPanelNotifyEvent = fw::TMethodPtr<void(TTeStatusBar* VoStatusBar, TTeStatusPanel* Panel)>;
using TDrawPanelEvent =
    fw::TMethodPtr<void(TTeStatusBar* VoStatusBar, TTeStatusPanel* Panel, const TRect& Rect)>;
using TTeCreatePanelClassEvent =
    fw::TMethodPtr<void(TTeStatusBar* Sender, TTeStatusPanelClass& PanelClass)>;

class TTeStatusBar : public TTeControl {
    FW_CLASS(TTeStatusBar, TTeControl)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(fw::CM_FONTCHANGED, CMRepaint)
    FW_MESSAGE(fw::CM_SYSCOLORCHANGE, CMRepaint)
    FW_MESSAGE(fw::CM_CONTROLCHANGE, CMControlChange)
    FW_MESSAGE(fw::CM_CONTROLLISTCHANGE, CMControlListChange)
    FW_MESSAGE(0x800, TMThemeChange)
    FW_MESSAGES_END
public:
    explicit TTeStatusBar(fw::TComponent* AOwner);
    ~TTeStatusBar() override;

    TTeStatusPanels* Panels() const { return panels_; }
    void SetPanels(TTeStatusPanels* Value) { panels_->Assign(Value); }
    TTeStatusPanel* PressedPanel() const { return pressed_panel_; }
    fw::TImageList* Images() const { return images_; }
    void SetImages(fw::TImageList* Value);
    bool SizeGrip() const { return size_grip_; }
    void SetSizeGrip(bool Value);
    const std::string& ThemeObject() const { return theme_object_; }
    void SetThemeObject(const std::string& Value);

    TPanelNotifyEvent OnPanelClick;
    TDrawPanelEvent OnDrawPanel;
    TTeCreatePanelClassEvent OnCreatePanelClass;
    TPanelNotifyEvent OnPanelDblClick;

    virtual TTeStatusPanel* CreatePanel();
    virtual void GetPanelImageRect(TTeStatusPanel* Panel, TRect& Rect);
    virtual void GetPanelImageSize(TTeStatusPanel* Panel, TPoint& Size);
    virtual void GetPanelTextSize(TTeStatusPanel* Panel, TPoint& Size);
    virtual void GetPanelTextRect(TTeStatusPanel* Panel, TRect& Rect);
    virtual void GetSizeGripRect(TRect& Rect);
    virtual void GetPanelClientRect(TTeStatusPanel* Panel, TRect& Rect);
    virtual void PaintPanelImage(TTeStatusPanel* Panel, TRect Rect);
    virtual void PaintPanelText(TTeStatusPanel* Panel, TRect Rect);
    virtual void PaintPanel(TTeStatusPanel* Panel, TRect Rect, bool IsLast);
    virtual void PaintSizeGrip();
    virtual void PaintPanelAt(int Index);
    virtual void PaintBar();
    virtual void GetPanelRect(int Index, TRect& Rect);

    void UpdatePanels();
    TTeStatusPanel* PanelAtPos(TPoint Point);
    void PaintPanels();
    bool HasPanelImage(TTeStatusPanel* Panel);
    bool SizeGripShown();
    // The content rectangle the layout and the panels use.
    TRect ContentRect();

    void PaintBorder() override;
    void PaintBackground() override;
    void GetInnerRect(TRect& Rect) override;
    void Loaded() override;
    void DblClick() override;

protected:
    virtual void PanelClick(TTeStatusPanel* Panel);
    virtual void PanelDblClick(TTeStatusPanel* Panel);
    virtual void DrawPanel(TTeStatusPanel* Panel, const TRect& Rect);
    void Notification(fw::TComponent* AComponent, fw::TOperation Operation) override;
    void AlignControls(fw::TControl* AControl, TRect& Rect) override;
    void Resize() override;
    void MouseDown(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) override;
    void MouseMove(fw::TShiftState Shift, int X, int Y) override;
    void MouseUp(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) override;

    void CMRepaint(fw::TMessage& M);
    void CMControlChange(fw::TMessage& M);
    void CMControlListChange(fw::TMessage& M);
    void TMThemeChange(fw::TMessage& M);

private:
    bool Themed();
    friend class TTeStatusPanel;

    TTeStatusPanels* panels_ = nullptr;
    TTeStatusPanel* pressed_panel_ = nullptr;
    fw::TImageList* images_ = nullptr;
    bool size_grip_ = true;
    std::string theme_object_ = "default";
};

} // namespace dvr::skin
