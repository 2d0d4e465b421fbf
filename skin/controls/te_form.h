// The skinned form: a hook component placed on a framework form that takes over the
// window's whole non-client area. It answers the non-client messages itself (frame
// geometry, hit testing, activation, sizing limits), paints frame, caption and caption
// buttons through off-screen buffers, paints a drop shadow and translucency over a copy
// of the screen behind the window, plays a transition when the window is shown, moves and
// sizes the window with its own mouse tracking, and keeps five window states of its own
// (normal, maximized, minimized, rolled up, in the notification area).
//
// TTeDefaultForm draws the plain Windows look (visual style or classic 3-D); TTeForm
// (te_form_theme.h) draws through the current theme.
#pragma once

#include "framework/ui/forms.h"
#include "framework/ui/graphics.h"
#include "framework/ui/menus.h"
#include "skin/controls/te_form_options.h"
#include "skin/controls/te_hook.h"
#include "skin/controls/te_scrollbar.h"
#include "skin/engine/te_bitmap.h"
#include "skin/engine/te_theme.h"

#include <windows.h>

#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

namespace dvr::skin {

class TTeStatusBar;
class TTeItem;

enum class TTeBorderStyle : uint8_t { kbsNone, kbsBorder, kbsStandard, kbsDialog, kbsToolWindow };
enum class TTeBorderIcon : uint8_t {
    kbiClose,
    kbiSystemMenu,
    kbiMinimize,
    kbiMaximize,
    kbiHelp,
    kbiRollup,
    kbiTray,
    kbiTop,
    kbiCustom
};
using TTeBorderIcons = fw::TSet<TTeBorderIcon>;
enum class TTeWindowState : uint8_t { kwsNormal, kwsMaximized, kwsMinimized, kwsRollup, kwsTray };
// No buffer, shared buffer, persistent buffer, double buffer.
enum class TTeFormPerformance : uint8_t {
    kfpNoBuffer,
    kfpSharedBuffer,
    kfpPersistentBuffer,
    kfpDoubleBuffer
};
const fw::TTypeInfo* BorderStyleType();
const fw::TTypeInfo* BorderIconsType();
const fw::TTypeInfo* FormWindowStateType();
const fw::TTypeInfo* FormPerformanceType();

// The handler may set CallDefault to False to cancel the action.
using TTeFormActionEvent = fw::TMethodPtr<void(fw::TObject* Sender, bool& CallDefault)>;

// close, system menu, minimize, maximize, roll-up, tray (16-bit value 111).
constexpr TTeBorderIcons DefaultFormBorderIcons() {
    return TTeBorderIcons::FromMask(111);
}
// The same without the tray button (47), for MDI children.
constexpr TTeBorderIcons DefaultMDIChildBorderIcons() {
    return TTeBorderIcons::FromMask(47);
}

// Hit codes of the frame's parts (HitTest).
enum TTeFormHitCode : uint8_t {
    kfhNone = 0,
    kfhCaption = 1,
    kfhLeft = 2,
    kfhTop = 3,
    kfhRight = 4,
    kfhBottom = 5,
    kfhTopLeft = 7,
    kfhTopRight = 8,
    kfhBottomLeft = 9,
    kfhBottomRight = 10,
    kfhClose = 11,
    kfhHelp = 12,
    kfhMinimize = 13,
    kfhMaximize = 14,
    kfhRollup = 15,
    kfhTray = 16,
    kfhSystemMenu = 17,
    kfhAfterStateChange = 18
};

// Private messages of the form.
constexpr uint32_t TM_TRAYICON = 0x56C;
constexpr uint32_t TM_FRAMECHANGED = 0x56D;
constexpr uint32_t TM_MAXIMIZECHILD = 0x56E;
constexpr uint32_t TM_SETWINDOWSTATE = 0x56F;
constexpr uint32_t TM_PAINTFORM = 0xB1C8;

// The lParam of a WM_ERASEBKGND the library sends itself: one rectangle of the client.
struct TTeBackgroundRequest {
    bool WholeArea = false;
    TRect Area;
};

// Unit-wide resources of the form: caption fonts and the cached caption metrics, made on
// first use and again on WM_THEMECHANGED.
fw::TFont* CaptionFont();
fw::TFont* SmallCaptionFont();
void CreateCaptionFonts();
void CacheCaptionMetrics();
// Frees the caption fonts (made again on next use).
void FreeCaptionFonts();
extern int FrameSize;          // SM_CXFRAME
extern int CaptionHeight;      // SM_CYCAPTION
extern int SmallCaptionHeight; // SM_CYSMCAPTION
extern int CaptionButtonWidth; // SM_CXSIZE
extern int CaptionButtonSize;  // SM_CYSIZE

class TTeDefaultForm;
// The background behind transparent children of a form: its hook's client background.
bool FormBackgroundPainter(fw::TCanvas& Canvas, const TteBackgroundInfo& Info);
// The active form hook of the control's top-level form, or nullptr.
TTeDefaultForm* FindTeForm(fw::TControl* Control);

class TTeDefaultForm : public TTeHook {
    FW_PUBLISHED(TTeDefaultForm, TTeHook)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(WM_ACTIVATE, WMActivate)
    FW_MESSAGE(WM_PAINT, WMPaint)
    FW_MESSAGE(WM_ERASEBKGND, WMEraseBkgnd)
    FW_MESSAGE(WM_WINDOWPOSCHANGING, WMWindowPosChanging)
    FW_MESSAGE(WM_NCCALCSIZE, WMNCCalcSize)
    FW_MESSAGE(WM_NCHITTEST, WMNCHitTest)
    FW_MESSAGE(WM_NCPAINT, WMNCPaint)
    FW_MESSAGE(WM_NCACTIVATE, WMNCActivate)
    FW_MESSAGE(WM_NCMOUSEMOVE, WMNCMouseMove)
    FW_MESSAGE(WM_NCLBUTTONDOWN, WMNCLButtonDown)
    FW_MESSAGE(WM_NCLBUTTONUP, WMNCLButtonUp)
    FW_MESSAGE(WM_NCLBUTTONDBLCLK, WMNCLButtonDblClk)
    FW_MESSAGE(WM_NCRBUTTONDOWN, WMNCRButtonDown)
    FW_MESSAGE(WM_NCRBUTTONUP, WMNCRButtonUp)
    FW_MESSAGE(WM_MOUSEMOVE, WMMouseMove)
    FW_MESSAGE(WM_LBUTTONUP, WMLButtonUp)
    FW_MESSAGE(WM_SYSCOMMAND, WMSysCommand)
    FW_MESSAGE(WM_THEMECHANGED, WMThemeChanged)
    FW_MESSAGE(TM_FRAMECHANGED, TMFrameChanged)
    FW_MESSAGE(TM_MAXIMIZECHILD, TMMaximizeChild)
    FW_MESSAGE(TM_SETWINDOWSTATE, TMSetWindowState)
    FW_MESSAGE(TM_PAINTFORM, TMPaintForm)
    FW_MESSAGE(fw::CM_RELEASE, CMRelease)
    FW_MESSAGES_END
public:
    explicit TTeDefaultForm(fw::TComponent* AOwner);
    ~TTeDefaultForm() override;

    void Loaded() override;
    void SetActive(bool Value) override;
    void HandleMessage(fw::TMessage& Message, bool& Handled) override;
    void ReleaseCanvasDC() override;

    // ---- properties ----
    TTeAnimation* Animation() const { return animation_.get(); }
    void SetAnimation(const TTeAnimation* Value) { animation_->Assign(Value); }
    TTeBlending* Blending() const { return blending_.get(); }
    void SetBlending(const TTeBlending* Value) { blending_->Assign(Value); }
    TTeShadow* Shadow() const { return shadow_.get(); }
    void SetShadow(const TTeShadow* Value) { shadow_->Assign(Value); }
    TTeGravitation* Gravitation() const { return gravitation_.get(); }
    void SetGravitation(const TTeGravitation* Value) { gravitation_->Assign(Value); }
    TTeDragging* Dragging() const { return dragging_.get(); }
    void SetDragging(const TTeDragging* Value) { dragging_->Assign(Value); }
    TTeBorderIcons BorderIcons() const { return border_icons_; }
    void SetBorderIcons(TTeBorderIcons Value);
    TTeBorderStyle BorderStyle() const { return border_style_; }
    void SetBorderStyle(TTeBorderStyle Value);
    const std::wstring& Caption() const { return caption_; }
    void SetCaption(const std::wstring& Value);
    fw::TSizeConstraints* Constraints() const { return constraints_.get(); }
    void SetConstraints(const fw::TSizeConstraints* Value);
    // The menu bar component (its shortcuts are asked first); cleared when it is freed.
    fw::TComponent* MenuBar() const { return menu_bar_; }
    void SetMenuBar(fw::TComponent* Value);
    bool MinimizeApplication() const { return minimize_application_; }
    void SetMinimizeApplication(bool Value) { minimize_application_ = Value; }
    TTeFormPerformance Performance() const { return performance_; }
    void SetPerformance(TTeFormPerformance Value) { performance_ = Value; }
    bool StayOnTop() const { return stay_on_top_; }
    void SetStayOnTop(bool Value);
    bool StretchBackground() const { return stretch_background_; }
    void SetStretchBackground(bool Value) { stretch_background_ = Value; }
    fw::TPopupMenu* SystemMenuLink() const { return system_menu_link_; }
    void SetSystemMenuLink(fw::TPopupMenu* Value);
    TTePopupMenuOptions* SystemMenuOptions() const { return system_menu_options_.get(); }
    void SetSystemMenuOptions(const TTePopupMenuOptions* V) { system_menu_options_->Assign(V); }
    fw::TPopupMenu* TrayMenuLink() const { return tray_menu_link_; }
    void SetTrayMenuLink(fw::TPopupMenu* Value);
    TTePopupMenuOptions* TrayMenuOptions() const { return tray_menu_options_.get(); }
    void SetTrayMenuOptions(const TTePopupMenuOptions* V) { tray_menu_options_->Assign(V); }
    // The MDI window-list menu item; cleared when it is freed.
    fw::TComponent* WindowMenu() const { return window_menu_; }
    void SetWindowMenu(fw::TComponent* Value);
    TTeWindowState WindowState() const { return window_state_; }
    void SetWindowState(TTeWindowState Value);

    fw::TNotifyEvent OnPaint;
    TTeFormActionEvent OnMinimize;
    TTeFormActionEvent OnClose;
    TTeFormActionEvent OnMaximize;
    TTeFormActionEvent OnMinToTray;
    TTeFormActionEvent OnRollup;
    fw::TNotifyEvent OnCreate;
    fw::TNotifyEvent OnResize;

    // ---- state, read by the look and by tests ----
    int FormWidth() const { return form_width_; }
    int FormHeight() const { return form_height_; }
    int WindowWidth() const { return window_width_; }
    int WindowHeight() const { return window_height_; }
    bool IsActive() const { return is_active_; }
    uint8_t HotPart() const { return hot_part_; }
    uint8_t PressedPart() const { return pressed_part_; }
    uint8_t MouseButtons() const { return mouse_buttons_; }
    bool Tracking() const { return tracking_; }
    bool PaintEnabled() const { return paint_enabled_; }
    TTeWindowState PreviousState() const { return previous_state_; }
    TRect RestoreRect() const { return restore_rect_; }
    const NOTIFYICONDATAW& TrayIconData() const { return tray_icon_data_; }
    HWND TrayWindow() const { return tray_window_; }
    TteBitmap* Background() const { return background_.get(); }
    TRect BackgroundRect() const { return background_rect_; }
    TteBitmap* PersistentBuffer() const { return persistent_buffer_.get(); }
    bool Animating() const { return animating_; }
    TRect DragOutline() const { return drag_outline_; }
    TPoint MenuPoint() const { return menu_point_; }
    fw::TCanvas* Canvas() const { return canvas_.get(); }

    // ---- geometry (window coordinates) ----
    virtual void UpdateRegion();
    virtual HRGN CreateFormRegion();
    virtual void GetButtonRect(TTeBorderIcon Button, TRect& Rect);
    virtual void GetFrameMargins(TRect& Rect);
    virtual void GetRolledUpRect(TRect& Rect);
    virtual void GetMinimizedRect(TRect& Rect);
    virtual void GetMaximizedRect(TRect& Rect);
    virtual void GetMaxTrackSize(TPoint& Size);
    virtual void GetMinTrackSize(TPoint& Size);
    virtual void GetSizeGripRect(TRect& Rect);
    // A scroll bar for the MDI client area (made by the MDI support).
    virtual TTeScrollBar* CreateScrollBar(fw::TComponent* AOwner);
    virtual void PaintSizeGrip(fw::TCanvas& Canvas);
    virtual void PaintNonClient(fw::TCanvas& Canvas);
    virtual void PaintClientBackground();
    virtual uint8_t HitTest(int X, int Y);

    TRect ButtonRect(TTeBorderIcon Button) {
        TRect r;
        GetButtonRect(Button, r);
        return r;
    }
    TRect FrameMargins() {
        TRect r;
        GetFrameMargins(r);
        return r;
    }
    void GetWorkArea(TRect& Rect);
    TPoint ScreenToWindow(TPoint Point);
    void GetClientAreaRect(TRect& Rect);
    // The first status bar child of the form showing a size grip, or nullptr.
    TTeStatusBar* FindStatusBar();
    // Whether the window point lies in the MDI size grip or a status bar's grip.
    bool InSizeGrip(int X, int Y);
    HICON GetSmallIcon();
    void UpdateFrame();
    void Invalidate();
    // The size-grip rectangle between the MDI client's scroll bars (none without them).
    void SetSizeGripRect(TRect Rect) { size_grip_rect_ = Rect; }

    // ---- painting ----
    void PaintFrame();
    void CaptureBackground(TRect Rect);
    void PlayShowAnimation();
    void DisablePainting() { paint_enabled_ = false; }
    void EnablePainting() { paint_enabled_ = true; }
    void PaintBackgroundRect(TRect Rect);

    // ---- plain look ----
    virtual void PaintCaption(fw::TCanvas& Canvas);
    virtual void PaintCaptionButton(fw::TCanvas& Canvas, TRect Rect, bool Hot, bool Pressed,
                                    TTeBorderIcon Button);

    // ---- moving and sizing ----
    void SetFormBounds(TRect Rect);
    TRect SnapToWorkArea(TRect Rect);
    void DrawDragOutline(TRect Rect);

    // ---- window states ----
    void Maximize();
    void Minimize();
    void Rollup();
    void MinimizeToTray();
    void Restore();
    void Close();
    void Help();
    void UpdateTrayIcon();
    void RemoveTrayIcon();
    // ---- system menu ----
    // The built-in menu of the state commands, rebuilt each time it is shown.
    TTeItem* SystemMenu() const { return system_menu_; }
    void SetMenuPoint(TPoint Value) { menu_point_ = Value; }
    virtual TTeItem* CreateItem(fw::TComponent* AOwner);
    void BuildSystemMenu();
    TTeItem* AddSystemMenuItem(const std::wstring& Caption, fw::TShortCut ShortCut);
    void SystemMenuClick(fw::TObject* Sender);
    virtual void ShowSystemMenu();

    // ---- emulated MDI ----
    fw::TCustomForm* GetMDIParentForm();
    TTeDefaultForm* FindParentFormHook();
    bool HasMaximizedMDIChild();
    void UpdateMDIParentCaption();
    void RebuildWindowMenu();
    void WindowMenuItemClick(fw::TObject* Sender);
    void ParkOtherMDIChildren();
    void RestoreOtherMDIChildren();
    bool SwitchingChild() const { return switching_child_; }
    TRect MDIRestoreRect() const { return mdi_restore_rect_; }

    bool IsMDIChild();
    bool IsMDIForm();

    // ---- the MDI client window of an MDI parent ----
    // Takes over the client window's procedure (done when the form's window is there).
    void HookMDIClient();
    void UnhookMDIClient();
    HWND MDIClientHandle();
    void ClientWndProc(fw::TMessage& M);
    // Skinned bars over the client's own scroll bars, in step with its scroll state.
    void UpdateMDIScrollBars();
    void VertScrollBarScroll(fw::TObject* Sender, TTeScrollCode ScrollCode, int& ScrollPos);
    void HorzScrollBarScroll(fw::TObject* Sender, TTeScrollCode ScrollCode, int& ScrollPos);
    TTeScrollBar* VertScrollBar() const { return vert_scroll_bar_; }
    TTeScrollBar* HorzScrollBar() const { return horz_scroll_bar_; }
    fw::TWinControl* VertScrollHost() const { return vert_scroll_host_; }
    fw::TWinControl* HorzScrollHost() const { return horz_scroll_host_; }

protected:
    void Notification(fw::TComponent* AComponent, fw::TOperation Operation) override;
    virtual void FrameMouseDown(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y);
    virtual void FrameMouseMove(fw::TShiftState Shift, int X, int Y);
    virtual void FrameMouseUp(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y);

    void WMActivate(fw::TMessage& M);
    void WMPaint(fw::TMessage& M);
    void WMEraseBkgnd(fw::TMessage& M);
    void WMWindowPosChanging(fw::TMessage& M);
    void WMNCCalcSize(fw::TMessage& M);
    void WMNCHitTest(fw::TMessage& M);
    void WMNCPaint(fw::TMessage& M);
    void WMNCActivate(fw::TMessage& M);
    void WMNCMouseMove(fw::TMessage& M);
    void WMNCLButtonDown(fw::TMessage& M);
    void WMNCLButtonUp(fw::TMessage& M);
    void WMNCLButtonDblClk(fw::TMessage& M);
    void WMNCRButtonDown(fw::TMessage& M);
    void WMNCRButtonUp(fw::TMessage& M);
    void WMMouseMove(fw::TMessage& M);
    void WMLButtonUp(fw::TMessage& M);
    void WMSysCommand(fw::TMessage& M);
    void WMThemeChanged(fw::TMessage& M);
    void TMFrameChanged(fw::TMessage& M);
    void TMMaximizeChild(fw::TMessage& M);
    void TMSetWindowState(fw::TMessage& M);
    void TMPaintForm(fw::TMessage& M);
    void CMRelease(fw::TMessage& M);

    // The theme's form kind and the painting helpers the theme-drawn form shares.
    bool IsMaximizedMDIChild();
    void PaintBackgroundInto(fw::TCanvas& Canvas);
    TPoint WindowPointOf(intptr_t LParam);

    // State fields, in the order the painting and messages use them.
    std::unique_ptr<fw::TCanvas> canvas_;
    std::unique_ptr<TteBitmap> persistent_buffer_;
    TTeFormPerformance performance_ = TTeFormPerformance::kfpNoBuffer;
    TTeBorderStyle border_style_ = TTeBorderStyle::kbsStandard;
    TTeBorderIcons border_icons_ = DefaultFormBorderIcons();
    std::unique_ptr<fw::TSizeConstraints> constraints_;
    TTeWindowState window_state_ = TTeWindowState::kwsNormal;
    TTeWindowState pending_window_state_ = TTeWindowState::kwsNormal;
    fw::TComponent* menu_bar_ = nullptr;
    TPoint menu_point_;
    bool minimize_application_ = true;
    bool stay_on_top_ = false;
    std::unique_ptr<TTeAnimation> animation_;
    std::unique_ptr<TTePopupMenuOptions> system_menu_options_, tray_menu_options_;
    std::unique_ptr<TteBitmap> background_;
    bool animating_ = false;
    TPoint drag_start_, drag_last_;
    TRect restore_rect_;
    TTeWindowState previous_state_ = TTeWindowState::kwsNormal;
    NOTIFYICONDATAW tray_icon_data_{};
    std::string caption_text_;
    HWND tray_window_ = nullptr;
    fw::TNotifyEvent saved_on_restore_, saved_on_minimize_;
    bool app_events_hooked_ = false;
    HICON small_icon_ = nullptr;
    bool paint_enabled_ = false;
    bool is_active_ = false;
    uint8_t pressed_part_ = 0, hot_part_ = 0;
    int form_width_ = 0, form_height_ = 0;
    int window_width_ = 0, window_height_ = 0;
    uint8_t mouse_buttons_ = 0;
    TRect background_rect_;
    bool updating_frame_ = false;
    std::unique_ptr<TteBitmap> animation_buffer_;
    bool tracking_ = false;
    TRect drag_outline_;
    bool outline_drag_ = false;
    bool pump_paints_ = true;
    TPoint saved_client_size_;
    bool stretch_background_ = false;
    std::wstring caption_;
    std::unique_ptr<TTeBlending> blending_;
    std::unique_ptr<TTeShadow> shadow_;
    std::unique_ptr<TTeGravitation> gravitation_;
    std::unique_ptr<TTeDragging> dragging_;
    fw::TPopupMenu* system_menu_link_ = nullptr;
    fw::TPopupMenu* tray_menu_link_ = nullptr;
    fw::TComponent* window_menu_ = nullptr;
    TRect size_grip_rect_;
    bool painter_active_ = false;
    TRect painter_rect_;
    bool destroying_form_hook_ = false;
    // Cleared when the hook is freed while its show animation runs.
    std::shared_ptr<bool> animation_alive_;
    // A release of the form asked for while the show animation ran, done after it.
    bool release_deferred_ = false;
    bool in_show_animation_ = false;
    // Minimizing because Windows minimizes the window: no SC_MINIMIZE of our own.
    bool minimizing_by_system_ = false;
    TTeItem* system_menu_ = nullptr;
    bool switching_child_ = false;
    TRect mdi_restore_rect_;
    fw::TSizeConstraints saved_constraints_;
    bool mdi_parked_ = false;
    std::vector<std::pair<TTeItem*, TTeDefaultForm*>> window_menu_hooks_;
    WNDPROC old_client_proc_ = nullptr;
    WNDPROC client_instance_ = nullptr;
    HWND hooked_client_ = nullptr;
    TTeScrollBar* vert_scroll_bar_ = nullptr;
    fw::TWinControl* vert_scroll_host_ = nullptr;
    TTeScrollBar* horz_scroll_bar_ = nullptr;
    fw::TWinControl* horz_scroll_host_ = nullptr;
    bool updating_scroll_bars_ = false;
    void MDIScroll(bool Vertical, TTeScrollCode ScrollCode, int& ScrollPos);
    // The MDI parts of the state changes: a maximized child parks its siblings and shows
    // its buttons on the parent's menu bar; leaving that state undoes both.
    void MDIChildMaximized();
    void MDIChildLeftMaximized();
    // The MDI client switched its active child (Deactivated and Activated windows).
    void MDIActivated(HWND Deactivated, HWND Activated);
    // The MDI children of this parent form.
    std::vector<fw::TCustomForm*> MDIChildren();

    friend bool FormBackgroundPainter(fw::TCanvas& Canvas, const TteBackgroundInfo& Info);

private:
    void OptionChanged(fw::TObject* Sender);
    void TrayWndProc(fw::TMessage& Message);
    void AppMinimize(fw::TObject* Sender);
    void AppRestore(fw::TObject* Sender);
    bool RunFormAction(TTeFormActionEvent& Event);
    void LeaveNormalState();
    void MinimizeFromSystem();
    void ShadowPaint(TteBitmap& Target);
    void PaintCaptionStrip(fw::TCanvas& Canvas, TRect Strip, bool VisualStyle);
};

// Registers the form's background painter for transparent children of skinned forms
// (done once when the first form hook is made).
void RegisterFormBackgroundPainter();

} // namespace dvr::skin
