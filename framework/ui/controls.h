// Controls: the parent/child tree of visual components. TControl holds bounds,
// alignment, visibility, colour, font and text, and turns window messages into
// events; TWinControl owns a window (made on demand with CreateParams, re-made by
// RecreateWnd with its children and state); TGraphicControl is painted on its parent's
// window; TCustomControl is a windowed control that paints itself on a canvas.
//
// Every message a control gets goes through WindowProc (by default WndProc, which a
// subclass or a hook may replace), then Dispatch to the class's message map, then
// DefaultHandler (for windows: the window's own default procedure).
#pragma once

#include "framework/component.h"
#include "framework/events.h"
#include "framework/message.h"
#include "framework/ui/graphics.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace dvr::fw {

class TWinControl;
class TCustomForm;
class TPopupMenu;

using TWndMethod = TMethodPtr<void(TMessage& Message)>;

enum class TAlign : uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
const TTypeInfo* AlignType();

enum class TControlStyleItem : uint8_t {
    csAcceptsControls,
    csCaptureMouse,
    csDesignInteractive,
    csClickEvents,
    csFramed,
    csSetCaption,
    csOpaque,
    csDoubleClicks,
    csFixedWidth,
    csFixedHeight,
    csNoDesignVisible,
    csReplicatable,
    csNoStdEvents,
    csDisplayDragImage,
    csReflector,
    csActionClient,
    csMenuEvents
};
using TControlStyle = TSet<TControlStyleItem>;

enum class TControlStateItem : uint8_t {
    csLButtonDown,
    csClicked,
    csPalette,
    csReadingState,
    csAlignmentNeeded,
    csFocusing,
    csCreating,
    csPaintCopy,
    csCustomPaint,
    csDestroyingHandle,
    csDocking,
    csRecreating
};
using TControlState = TSet<TControlStateItem>;

using TCursor = int16_t;
constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4,
                  crSizeNESW = -6, crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10,
                  crHourGlass = -11, crNo = -12, crAppStart = -19, crHandPoint = -21,
                  crSizeAll = -22;

// Smallest and largest size a control may take (0: no limit).
class TSizeConstraints : public TPersistent {
    FW_PUBLISHED(TSizeConstraints, TPersistent)
public:
    int32_t MaxHeight = 0, MaxWidth = 0, MinHeight = 0, MinWidth = 0;
    void Assign(const TPersistent* Source) override;
    TNotifyEvent OnChange;
    void SetMaxHeight(int32_t v) { Set(MaxHeight, v); }
    void SetMaxWidth(int32_t v) { Set(MaxWidth, v); }
    void SetMinHeight(int32_t v) { Set(MinHeight, v); }
    void SetMinWidth(int32_t v) { Set(MinWidth, v); }
    int32_t GetMaxHeight() const { return MaxHeight; }
    int32_t GetMaxWidth() const { return MaxWidth; }
    int32_t GetMinHeight() const { return MinHeight; }
    int32_t GetMinWidth() const { return MinWidth; }

private:
    void Set(int32_t& field, int32_t v);
};

// A canvas on a control: its window's DC (a graphic control: the parent's, moved to the
// control and clipped to it), made when first drawn on and released when the
// application next goes idle.
class TControlCanvas : public TCanvas {
    FW_CLASS(TControlCanvas, TCanvas)
public:
    explicit TControlCanvas(class TControl* Control) : control_(Control) {}
    ~TControlCanvas() override;
    TControl* Control() const { return control_; }
    // Gives back a DC the canvas made itself.
    void FreeHandle();

protected:
    void CreateHandle() override;

private:
    TControl* control_;
    HDC own_dc_ = nullptr;
    HWND own_wnd_ = nullptr;
};

// Releases every control canvas's own DC (the application does it when idle).
void FreeDeviceContexts();

class TControl : public TComponent {
    FW_PUBLISHED(TControl, TComponent)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(WM_LBUTTONDOWN, WMLButtonDown)
    FW_MESSAGE(WM_LBUTTONDBLCLK, WMLButtonDblClk)
    FW_MESSAGE(WM_LBUTTONUP, WMLButtonUp)
    FW_MESSAGE(WM_RBUTTONDOWN, WMRButtonDown)
    FW_MESSAGE(WM_RBUTTONUP, WMRButtonUp)
    FW_MESSAGE(WM_MBUTTONDOWN, WMMButtonDown)
    FW_MESSAGE(WM_MBUTTONUP, WMMButtonUp)
    FW_MESSAGE(WM_MOUSEMOVE, WMMouseMove)
    FW_MESSAGE(WM_CONTEXTMENU, WMContextMenu)
    FW_MESSAGE(CM_ENABLEDCHANGED, CMEnabledChanged)
    FW_MESSAGE(CM_VISIBLECHANGED, CMVisibleChanged)
    FW_MESSAGE(CM_FONTCHANGED, CMFontChanged)
    FW_MESSAGE(CM_COLORCHANGED, CMColorChanged)
    FW_MESSAGE(CM_PARENTFONTCHANGED, CMParentFontChanged)
    FW_MESSAGE(CM_PARENTCOLORCHANGED, CMParentColorChanged)
    FW_MESSAGE(CM_HITTEST, CMHitTest)
    FW_MESSAGES_END
public:
    explicit TControl(TComponent* AOwner);
    ~TControl() override;

    // ---- tree ----
    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* AParent);
    void SetParentComponent(TComponent* Value) override;
    bool HasParent() const { return parent_ != nullptr; }

    // ---- bounds ----
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int Value) { SetBounds(Value, top_, width_, height_); }
    void SetTop(int Value) { SetBounds(left_, Value, width_, height_); }
    void SetWidth(int Value) { SetBounds(left_, top_, Value, height_); }
    void SetHeight(int Value) { SetBounds(left_, top_, width_, Value); }
    virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
    TRect BoundsRect() const { return TRect{left_, top_, left_ + width_, top_ + height_}; }
    void SetBoundsRect(const TRect& R) { SetBounds(R.Left, R.Top, R.Width(), R.Height()); }
    // The area children and painting use, in the control's own coordinates.
    virtual TRect GetClientRect();
    TRect ClientRect() { return GetClientRect(); }
    int ClientWidth() { return ClientRect().Right; }
    int ClientHeight() { return ClientRect().Bottom; }
    void SetClientWidth(int Value) { SetClientSize(Value, ClientHeight()); }
    void SetClientHeight(int Value) { SetClientSize(ClientWidth(), Value); }
    virtual void SetClientSize(int AWidth, int AHeight);
    // Screen position of the client area's origin.
    virtual TPoint ClientOrigin();
    TPoint ClientToScreen(TPoint P);
    TPoint ScreenToClient(TPoint P);
    TSizeConstraints* Constraints() { return &constraints_; }

    TAlign Align() const { return align_; }
    void SetAlign(TAlign Value);

    // ---- state ----
    bool Visible() const { return visible_; }
    void SetVisible(bool Value);
    void Show();
    void Hide();
    // Visible with every parent up to a top-level window that is showing.
    virtual bool Showing() const;
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool Value);
    TColor Color() const { return color_; }
    void SetColor(TColor Value);
    TFont* Font() { return &font_; }
    void SetFont(const TFont* Value) { font_.Assign(Value); }
    bool ParentFont() const { return parent_font_; }
    void SetParentFont(bool Value);
    bool ParentColor() const { return parent_color_; }
    void SetParentColor(bool Value);
    // Caption and Text are the same GBK text.
    std::string Caption() const { return GetText(); }
    void SetCaption(const std::string& Value) { SetText(Value); }
    virtual std::string GetText() const;
    virtual void SetText(const std::string& Value);
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& Value) { hint_ = Value; }
    bool ShowHint() const { return show_hint_; }
    void SetShowHint(bool Value) { show_hint_ = Value; }
    TPopupMenu* PopupMenu() const { return popup_menu_; }
    void SetPopupMenu(TPopupMenu* Value);
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor Value);
    TControlStyle ControlStyle() const { return control_style_; }
    void SetControlStyle(TControlStyle Value) { control_style_ = Value; }
    TControlState ControlState() const { return control_state_; }
    void SetControlState(TControlState Value) { control_state_ = Value; }
    bool MouseCapture() const;
    void SetMouseCapture(bool Value);

    // ---- messages ----
    // The control's message entry; WndProc unless replaced.
    TWndMethod WindowProc;
    intptr_t Perform(uint32_t Msg, uintptr_t WParam, intptr_t LParam);
    virtual void WndProc(TMessage& Message);

    // ---- painting ----
    virtual void Invalidate();
    virtual void Update();
    virtual void Repaint();
    void Refresh() { Repaint(); }
    virtual void BringToFront();
    virtual void SendToBack();

    // ---- events ----
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnResize;

    virtual void Click();
    virtual void DblClick();

    // The size the control wants for its content; false when it has none. AdjustSize
    // applies it.
    virtual bool CanAutoSize(int& /*NewWidth*/, int& /*NewHeight*/) { return false; }
    void AdjustSize();

    void Loaded() override;

protected:
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    virtual void Resize();
    // The text changed: CM_TEXTCHANGED.
    virtual void TextChanged();
    // Told the control's bounds changed (moves the window, realigns the parent).
    virtual void BoundsChanged();
    // Rounds a wanted size to the constraints.
    void ConstrainSize(int& AWidth, int& AHeight) const;
    // True when a click at X, Y (client coordinates) hits the control.
    virtual bool HitTest(int X, int Y) const;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // Parent font/colour taken over (ParentFont, ParentColor).
    void ApplyParentFont();
    void ApplyParentColor();

    void WMLButtonDown(TMessage& M);
    void WMLButtonDblClk(TMessage& M);
    void WMLButtonUp(TMessage& M);
    void WMRButtonDown(TMessage& M);
    void WMRButtonUp(TMessage& M);
    void WMMButtonDown(TMessage& M);
    void WMMButtonUp(TMessage& M);
    void WMMouseMove(TMessage& M);
    void WMContextMenu(TMessage& M);
    void CMEnabledChanged(TMessage& M);
    void CMVisibleChanged(TMessage& M);
    void CMFontChanged(TMessage& M);
    void CMColorChanged(TMessage& M);
    void CMParentFontChanged(TMessage& M);
    void CMParentColorChanged(TMessage& M);
    void CMHitTest(TMessage& M);

    void DoMouseDown(TMessage& M, TMouseButton Button, TShiftState Shift);
    void DoMouseUp(TMessage& M, TMouseButton Button);
    void SendCancelMode(TControl* Sender);
    void FontChanged(TObject* Sender);
    void ConstraintsChanged(TObject* Sender);

    TWinControl* parent_ = nullptr;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    TAlign align_ = TAlign::alNone;
    bool visible_ = true;
    bool enabled_ = true;
    TColor color_ = clWindow;
    TFont font_;
    bool parent_font_ = true;
    bool parent_color_ = true;
    std::string text_;
    std::string hint_;
    bool show_hint_ = false;
    TPopupMenu* popup_menu_ = nullptr;
    TCursor cursor_ = crDefault;
    TControlStyle control_style_;
    TControlState control_state_;
    TSizeConstraints constraints_;
    bool applying_parent_ = false;

    friend class TWinControl;
    friend class TControlCanvas;
};

// Window creation parameters, filled by CreateParams.
struct TCreateParams {
    std::wstring Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0, Y = 0, Width = 0, Height = 0;
    HWND WndParent = nullptr;
    void* Param = nullptr;
    WNDCLASSW WindowClass{};
    std::wstring WinClassName;
    // A standard window class the control subclasses ("BUTTON", "EDIT" ...), or empty.
    std::wstring SubClassOf;
};

class TWinControl : public TControl {
    FW_PUBLISHED(TWinControl, TControl)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(WM_PAINT, WMPaint)
    FW_MESSAGE(WM_ERASEBKGND, WMEraseBkgnd)
    FW_MESSAGE(WM_SIZE, WMSize)
    FW_MESSAGE(WM_MOVE, WMMove)
    FW_MESSAGE(WM_WINDOWPOSCHANGED, WMWindowPosChanged)
    FW_MESSAGE(WM_COMMAND, WMCommand)
    FW_MESSAGE(WM_NOTIFY, WMNotify)
    FW_MESSAGE(WM_HSCROLL, WMHScroll)
    FW_MESSAGE(WM_VSCROLL, WMVScroll)
    FW_MESSAGE(WM_DRAWITEM, WMDrawItem)
    FW_MESSAGE(WM_MEASUREITEM, WMMeasureItem)
    FW_MESSAGE(WM_CTLCOLORBTN, WMCtlColor)
    FW_MESSAGE(WM_CTLCOLOREDIT, WMCtlColor)
    FW_MESSAGE(WM_CTLCOLORLISTBOX, WMCtlColor)
    FW_MESSAGE(WM_CTLCOLORSTATIC, WMCtlColor)
    FW_MESSAGE(WM_CTLCOLORSCROLLBAR, WMCtlColor)
    FW_MESSAGE(CN_BASE + WM_CTLCOLORBTN, CNCtlColor)
    FW_MESSAGE(CN_BASE + WM_CTLCOLOREDIT, CNCtlColor)
    FW_MESSAGE(CN_BASE + WM_CTLCOLORLISTBOX, CNCtlColor)
    FW_MESSAGE(CN_BASE + WM_CTLCOLORSTATIC, CNCtlColor)
    FW_MESSAGE(CN_BASE + WM_CTLCOLORSCROLLBAR, CNCtlColor)
    FW_MESSAGE(WM_SETFOCUS, WMSetFocus)
    FW_MESSAGE(WM_KILLFOCUS, WMKillFocus)
    FW_MESSAGE(WM_KEYDOWN, WMKeyDown)
    FW_MESSAGE(WM_SYSKEYDOWN, WMKeyDown)
    FW_MESSAGE(WM_KEYUP, WMKeyUp)
    FW_MESSAGE(WM_SYSKEYUP, WMKeyUp)
    FW_MESSAGE(WM_CHAR, WMChar)
    FW_MESSAGE(WM_SETCURSOR, WMSetCursor)
    FW_MESSAGE(WM_MOUSELEAVE, WMMouseLeave)
    FW_MESSAGE(WM_DESTROY, WMDestroy)
    FW_MESSAGE(WM_NCDESTROY, WMNCDestroy)
    FW_MESSAGE(CM_ENABLEDCHANGED, CMEnabledChanged)
    FW_MESSAGE(CM_VISIBLECHANGED, CMVisibleChanged)
    FW_MESSAGE(CM_FONTCHANGED, CMFontChanged)
    FW_MESSAGE(CM_COLORCHANGED, CMColorChanged)
    FW_MESSAGE(CM_TEXTCHANGED, CMTextChanged)
    FW_MESSAGE(CM_SHOWINGCHANGED, CMShowingChanged)
    FW_MESSAGE(CM_RECREATEWND, CMRecreateWnd)
    FW_MESSAGE(CM_ENTER, CMEnter)
    FW_MESSAGE(CM_EXIT, CMExit)
    FW_MESSAGES_END
public:
    explicit TWinControl(TComponent* AOwner);
    ~TWinControl() override;

    // ---- window ----
    HWND Handle();
    HWND WindowHandle() const { return handle_; }
    bool HandleAllocated() const { return handle_ != nullptr; }
    void HandleNeeded();
    // Destroys the window (children first) and makes it again, keeping the children,
    // texts, bounds and state; the new window comes at once when the old one existed.
    void RecreateWnd();
    // The window's original procedure (of the standard class it subclasses, or
    // DefWindowProc).
    WNDPROC DefWndProc() const { return def_wnd_proc_; }
    // The control that owns a window, or nullptr.
    static TWinControl* FindControl(HWND Wnd);

    // ---- children ----
    int ControlCount() const { return int(controls_.size()); }
    TControl* Controls(int Index) const;
    void InsertControl(TControl* AControl);
    void RemoveControl(TControl* AControl);
    bool ContainsControl(const TControl* Control) const;
    // The visible child at a client point (graphic controls only unless AllowWinControls).
    TControl* ControlAtPos(TPoint Pos, bool AllowDisabled, bool AllowWinControls = false);
    void Broadcast(TMessage& Message);
    void NotifyControls(uint32_t Msg);
    void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;

    // ---- alignment ----
    void DisableAlign();
    void EnableAlign();
    void Realign();
    bool AlignDisabled() const { return align_level_ > 0; }

    // ---- focus and keys ----
    bool Focused() const;
    virtual bool CanFocus() const;
    virtual void SetFocus();
    bool TabStop() const { return tab_stop_; }
    void SetTabStop(bool Value);
    int TabOrder() const;
    void SetTabOrder(int Value);
    TBrush* Brush() { return &brush_; }
    // Painting goes through an off-screen bitmap first (no flicker; no erasing).
    bool DoubleBuffered() const { return double_buffered_; }
    void SetDoubleBuffered(bool Value) { double_buffered_ = Value; }

    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

    // Keys as the control sees them (the form first when it previews keys); true when
    // the key was used up.
    virtual bool DoKeyDown(TMessage& M);
    virtual bool DoKeyUp(TMessage& M);
    virtual bool DoKeyPress(TMessage& M);
    // Invalidates the part of the window a child covers.
    void InvalidateRectOf(TControl* Child);

    // ---- overrides ----
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    TRect GetClientRect() override;
    void SetClientSize(int AWidth, int AHeight) override;
    TPoint ClientOrigin() override;
    bool Showing() const override;
    std::string GetText() const override;
    void SetText(const std::string& Value) override;
    void Invalidate() override;
    void Update() override;
    void Repaint() override;
    void BringToFront() override;
    void SendToBack() override;
    void SetParent(TWinControl* AParent) override;
    void DefaultHandler(TMessage& Message) override;
    void WndProc(TMessage& Message) override;
    void Loaded() override;

protected:
    virtual void CreateParams(TCreateParams& Params);
    virtual void CreateWnd();
    virtual void CreateWindowHandle(const TCreateParams& Params);
    // Called after the window exists (children made, font set); descendants put their
    // saved state into the new window here.
    virtual void CreateHandle();
    virtual void DestroyWnd();
    virtual void DestroyHandle();
    virtual void DestroyWindowHandle();
    // Painting of WM_PAINT: PaintWindow, then the graphic children.
    void PaintHandler(TMessage& Message);
    virtual void PaintWindow(HDC DC);
    void PaintControls(HDC DC, TControl* First);
    // Lays the children out (alTop, alBottom, alLeft, alRight, alClient) in Rect.
    virtual void AlignControls(TControl* AControl, TRect& Rect);
    void ShowControl(TControl* AControl);
    void UpdateShowing();
    void UpdateBounds();

    virtual void KeyDown(uint16_t& Key, TShiftState Shift);
    virtual void KeyUp(uint16_t& Key, TShiftState Shift);
    virtual void KeyPress(char& Key);
    virtual void DoEnter();
    virtual void DoExit();

    void WMPaint(TMessage& M);
    void WMEraseBkgnd(TMessage& M);
    void WMSize(TMessage& M);
    void WMMove(TMessage& M);
    void WMWindowPosChanged(TMessage& M);
    void WMCommand(TMessage& M);
    void WMNotify(TMessage& M);
    void WMHScroll(TMessage& M);
    void WMVScroll(TMessage& M);
    void WMDrawItem(TMessage& M);
    void WMMeasureItem(TMessage& M);
    void WMCtlColor(TMessage& M);
    void CNCtlColor(TMessage& M);
    void WMSetFocus(TMessage& M);
    void WMKillFocus(TMessage& M);
    void WMKeyDown(TMessage& M);
    void WMKeyUp(TMessage& M);
    void WMChar(TMessage& M);
    void WMSetCursor(TMessage& M);
    void WMMouseLeave(TMessage& M);
    void WMDestroy(TMessage& M);
    void WMNCDestroy(TMessage& M);
    void CMEnabledChanged(TMessage& M);
    void CMVisibleChanged(TMessage& M);
    void CMFontChanged(TMessage& M);
    void CMColorChanged(TMessage& M);
    void CMTextChanged(TMessage& M);
    void CMShowingChanged(TMessage& M);
    void CMRecreateWnd(TMessage& M);
    void CMEnter(TMessage& M);
    void CMExit(TMessage& M);

    // Sends a notification from a child window back to it as CN_BASE + Msg.
    bool ReflectToChild(HWND Child, TMessage& M);

    std::vector<TControl*> controls_;
    HWND handle_ = nullptr;
    WNDPROC def_wnd_proc_ = nullptr;
    TBrush brush_;
    bool tab_stop_ = false;
    int align_level_ = 0;
    bool showing_ = false;
    bool tracking_mouse_ = false;
    bool double_buffered_ = false;
    HWND parent_window_ = nullptr; // a foreign parent window (ParentWindow)

    friend class TControl;
    friend LRESULT CALLBACK ControlWndProc(HWND, UINT, WPARAM, LPARAM);
    friend LRESULT CALLBACK InitWndProc(HWND, UINT, WPARAM, LPARAM);

public:
    // A window not made by the framework to parent this control's window.
    HWND ParentWindow() const { return parent_window_; }
    void SetParentWindow(HWND Value);
};

// A control on its parent's window: painted by the parent (WM_PAINT with the parent's DC
// moved to the control) on Canvas.
class TGraphicControl : public TControl {
    FW_CLASS(TGraphicControl, TControl)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(WM_PAINT, WMPaint)
    FW_MESSAGES_END
public:
    explicit TGraphicControl(TComponent* AOwner);
    ~TGraphicControl() override;
    TCanvas* Canvas() { return canvas_; }

protected:
    virtual void Paint() {}
    void WMPaint(TMessage& M);

private:
    TControlCanvas* canvas_;
};

// A windowed control that paints itself on Canvas in Paint.
class TCustomControl : public TWinControl {
    FW_CLASS(TCustomControl, TWinControl)
public:
    explicit TCustomControl(TComponent* AOwner);
    ~TCustomControl() override;
    TCanvas* Canvas() { return canvas_; }

protected:
    virtual void Paint() {}
    void PaintWindow(HDC DC) override;

private:
    TControlCanvas* canvas_;
};

// The form a control sits on (the top-level parent), or nullptr.
TCustomForm* GetParentForm(TControl* Control);
// The control whose window is at a screen point, or nullptr.
TWinControl* FindVCLWindow(TPoint Pos);
TShiftState KeysToShiftState(uint32_t Keys);
// The system cursor of a cursor number.
HCURSOR CursorHandle(TCursor Cursor);
TShiftState KeyDataToShiftState(intptr_t KeyData);

// Utility windows for non-visual components (timers, hook lists): a hidden window whose
// messages go to Method.
HWND AllocateHWnd(TWndMethod Method);
void DeallocateHWnd(HWND Wnd);
// A window procedure bound to Method, for subclassing windows by hand. There is a fixed
// pool of them; EOutOfResources when it is used up.
WNDPROC MakeObjectInstance(TWndMethod Method);
void FreeObjectInstance(WNDPROC Instance);

} // namespace dvr::fw
