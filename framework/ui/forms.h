// Forms, the application and the screen. A form is a top-level windowed control with a
// border, caption icons, a window state and a modal loop; forms are built in code or
// read from a TPF0 form resource (RCDATA named after the form's class). Application
// runs the message loop and owns the forms it makes; Screen lists the forms and knows
// the display.
#pragma once

#include "framework/ui/controls.h"

#include <windows.h>

#include <string>
#include <vector>

namespace dvr::fw {

class TMainMenu;
class TMenu;

enum class TFormBorderStyle : uint8_t {
    bsNone,
    bsSingle,
    bsSizeable,
    bsDialog,
    bsToolWindow,
    bsSizeToolWin
};
enum class TBorderIcon : uint8_t { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = TSet<TBorderIcon>;
enum class TFormStyle : uint8_t { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum class TPosition : uint8_t {
    poDesigned,
    poDefault,
    poDefaultPosOnly,
    poDefaultSizeOnly,
    poScreenCenter,
    poDesktopCenter,
    poMainFormCenter,
    poOwnerFormCenter
};
enum class TWindowState : uint8_t { wsNormal, wsMinimized, wsMaximized };
enum class TCloseAction : uint8_t { caNone, caHide, caFree, caMinimize };
enum class TFormStateItem : uint8_t {
    fsCreating,
    fsVisible,
    fsShowing,
    fsModal,
    fsCreatedMDIChild,
    fsActivated
};
using TFormState = TSet<TFormStateItem>;

using TModalResult = int;
constexpr TModalResult mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5,
                       mrYes = 6, mrNo = 7, mrAll = 8, mrNoToAll = 9, mrYesToAll = 10;

using TCloseEvent = TMethodPtr<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = TMethodPtr<void(TObject* Sender, bool& CanClose)>;

class TCustomForm : public TWinControl {
    FW_PUBLISHED(TCustomForm, TWinControl)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(WM_CLOSE, WMClose)
    FW_MESSAGE(WM_ACTIVATE, WMActivate)
    FW_MESSAGE(WM_COMMAND, WMCommand)
    FW_MESSAGE(WM_SIZE, WMSize)
    FW_MESSAGE(WM_QUERYENDSESSION, WMQueryEndSession)
    FW_MESSAGE(CM_SHOWINGCHANGED, CMShowingChanged)
    FW_MESSAGE(CM_RELEASE, CMRelease)
    FW_MESSAGE(CM_TEXTCHANGED, CMTextChanged)
    FW_MESSAGE(WM_MDIACTIVATE, WMMDIActivate)
    FW_MESSAGES_END
public:
    explicit TCustomForm(TComponent* AOwner);
    ~TCustomForm() override;

    // Reads the form resource of the class when there is one, then OnCreate. Forms made
    // with Application->CreateForm or MakeForm get it; a form made with new calls it.
    virtual void AfterConstruction();
    // Reads the form's TPF0 resource (RCDATA named after the class, or ResName) from
    // Instance; false when there is none.
    bool ReadFormResource(HINSTANCE Instance = nullptr, const std::string& ResName = {});
    void BeforeDestruction() override;

    TFormBorderStyle BorderStyle() const { return border_style_; }
    void SetBorderStyle(TFormBorderStyle Value);
    TBorderIcons BorderIcons() const { return border_icons_; }
    void SetBorderIcons(TBorderIcons Value);
    TFormStyle FormStyle() const { return form_style_; }
    void SetFormStyle(TFormStyle Value);
    TPosition Position() const { return position_; }
    void SetPosition(TPosition Value) { position_ = Value; }
    TWindowState WindowState() const;
    void SetWindowState(TWindowState Value);
    bool KeyPreview() const { return key_preview_; }
    void SetKeyPreview(bool Value) { key_preview_ = Value; }
    TWinControl* ActiveControl() const { return active_control_; }
    void SetActiveControl(TWinControl* Control);
    TMainMenu* Menu() const { return menu_; }
    void SetMenu(TMainMenu* Value);
    TIcon* Icon() { return &icon_; }
    TCanvas* Canvas() { return canvas_; }
    TFormState FormState() const { return form_state_; }
    bool Active() const { return active_; }

    // MDI. A fsMDIForm form holds an MDI client window below its aligned controls; its
    // fsMDIChild forms are windows inside that client. A child's frame is its owner when
    // that is an MDI form, else the main form.
    HWND ClientHandle() const { return client_handle_; }
    int MDIChildCount() const;
    // The children in the order the screen lists them; nullptr outside the range.
    TCustomForm* MDIChildren(int Index) const;
    // The child the MDI client has active, or nullptr.
    TCustomForm* ActiveMDIChild() const;
    // For a fsMDIChild form: the MDI form it lives in (nullptr when there is none).
    TCustomForm* MDIParent() const;
    void DefaultHandler(TMessage& Message) override;

    TModalResult ModalResult() const { return modal_result_; }
    void SetModalResult(TModalResult Value) { modal_result_ = Value; }

    void Show();
    void Hide();
    // Shows the form with the other forms disabled and runs messages until ModalResult is
    // set (or the form is closed: mrCancel); returns it.
    TModalResult ShowModal();
    void Close();
    virtual bool CloseQuery();
    // Frees the form once its pending messages are handled.
    void Release();
    // The form handles a key as a menu shortcut; true when something took it.
    virtual bool IsShortCut(const MSG& Msg);
    // Tab and Shift+Tab move the focus through the tab stops; Enter clicks the focused or
    // the default button, Esc the cancel button; a control that asks for these keys
    // (WM_GETDLGCODE) keeps them. True when the key was used.
    virtual bool DialogKey(const MSG& Msg);
    // The next focusable control after Current in tab order (wrapping), or nullptr.
    TWinControl* FindNextControl(TWinControl* Current, bool GoForward);
    void SendCancelMode(TControl* Sender);
    // A control of the form got the focus.
    void FocusChanged(TWinControl* Control);
    // Perform on every control of the form, depth first, until one answers non-zero.
    bool SendToAllControls(uint32_t Msg, uintptr_t WParam, intptr_t LParam);
    void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnPaint;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void DestroyWindowHandle() override;
    void AlignControls(TControl* AControl, TRect& Rect) override;
    void PaintWindow(HDC DC) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    virtual void DoCreate();
    virtual void DoDestroy();
    virtual void DoShow();
    virtual void DoHide();
    virtual void DoClose(TCloseAction& Action);
    virtual void Paint();
    virtual void Activate();
    virtual void Deactivate();

    void WMClose(TMessage& M);
    void WMActivate(TMessage& M);
    void WMCommand(TMessage& M);
    void WMSize(TMessage& M);
    void WMQueryEndSession(TMessage& M);
    void CMShowingChanged(TMessage& M);
    void CMRelease(TMessage& M);
    void CMTextChanged(TMessage& M);
    void WMMDIActivate(TMessage& M);

private:
    void MoveToPosition();
    TCloseAction CloseModal();

    TFormBorderStyle border_style_ = TFormBorderStyle::bsSizeable;
    TBorderIcons border_icons_{TBorderIcon::biSystemMenu, TBorderIcon::biMinimize,
                               TBorderIcon::biMaximize};
    TFormStyle form_style_ = TFormStyle::fsNormal;
    TPosition position_ = TPosition::poDesigned;
    TWindowState window_state_ = TWindowState::wsNormal;
    bool key_preview_ = false;
    TWinControl* active_control_ = nullptr;
    TMainMenu* menu_ = nullptr;
    TIcon icon_;
    TControlCanvas* canvas_;
    TFormState form_state_;
    TModalResult modal_result_ = mrNone;
    bool created_ = false;
    bool destroyed_ = false;
    bool active_ = false;
    HWND client_handle_ = nullptr;
};

class TForm : public TCustomForm {
    FW_CLASS(TForm, TCustomForm)
public:
    using TCustomForm::TCustomForm;
};

// Makes a form of class T and runs its AfterConstruction.
template <class T> T* MakeForm(TComponent* AOwner) {
    T* f = new T(AOwner);
    try {
        f->AfterConstruction();
    } catch (...) {
        f->Free();
        throw;
    }
    return f;
}

using TExceptionEvent = TMethodPtr<void(TObject* Sender, const Exception& E)>;
using TMessageEvent = TMethodPtr<void(MSG& Msg, bool& Handled)>;
using TIdleEvent = TMethodPtr<void(TObject* Sender, bool& Done)>;

class TApplication : public TComponent {
    FW_CLASS(TApplication, TComponent)
public:
    explicit TApplication(TComponent* AOwner);
    ~TApplication() override;

    void Initialize();
    // Makes a form owned by the application; the first becomes MainForm.
    TCustomForm* CreateForm(const TMetaClass* FormClass);
    template <class T> void CreateForm(T*& Reference) {
        Reference = static_cast<T*>(CreateForm(T::StaticClass()));
    }
    // Shows the main form and runs messages until Terminate.
    void Run();
    // Handles every waiting message.
    void ProcessMessages();
    // Handles one message, or goes idle and waits for one.
    void HandleMessage();
    // Ends Run (posts WM_QUIT).
    void Terminate();
    bool Terminated() const { return terminated_; }
    // Must be called from a catch block: hands the exception to OnException or shows it.
    void HandleException(TObject* Sender);
    void ShowException(const Exception& E);
    void Minimize();
    void Restore();
    void BringToFront();

    TCustomForm* MainForm() const { return main_form_; }
    void SetMainForm(TCustomForm* Value) { main_form_ = Value; }
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& Value) { title_ = Value; }
    std::string ExeName() const;
    bool ShowMainForm = true;
    // A utility window for messages to the application.
    HWND Handle();

    TExceptionEvent OnException;
    TMessageEvent OnMessage;
    TIdleEvent OnIdle;
    // After Minimize / Restore of the application.
    TNotifyEvent OnMinimize;
    TNotifyEvent OnRestore;

    // Mouse tracking (CM_MOUSEENTER / CM_MOUSELEAVE) and the control holding the capture.
    TControl* MouseControl() const { return mouse_control_; }
    void SetMouseControl(TControl* Control);
    TControl* CaptureControl() const { return capture_control_; }
    void SetCaptureControl(TControl* Control);
    void ControlDestroying(TControl* Control);
    void WindowDestroying(TWinControl* Control);

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    bool ProcessMessage(MSG& Msg);
    void Idle();
    void WndProc(TMessage& Message);

    TCustomForm* main_form_ = nullptr;
    std::string title_;
    bool terminated_ = false;
    HWND handle_ = nullptr;
    TControl* mouse_control_ = nullptr;
    TControl* capture_control_ = nullptr;
};

class TMonitor : public TObject {
    FW_CLASS(TMonitor, TObject)
public:
    HMONITOR Handle = nullptr;
    int MonitorNum = 0;
    TRect BoundsRect;
    TRect WorkareaRect;
    bool Primary = false;
    int Left() const { return BoundsRect.Left; }
    int Top() const { return BoundsRect.Top; }
    int Width() const { return BoundsRect.Width(); }
    int Height() const { return BoundsRect.Height(); }
};

class TScreen : public TComponent {
    FW_CLASS(TScreen, TComponent)
public:
    explicit TScreen(TComponent* AOwner);
    ~TScreen() override;

    int FormCount() const { return int(forms_.size()); }
    TCustomForm* Forms(int Index) const;
    TCustomForm* ActiveForm() const { return active_form_; }
    TWinControl* ActiveControl() const;
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor Value);
    HCURSOR Cursors(TCursor Index) const;
    int Width() const;
    int Height() const;
    TRect DesktopRect() const;
    TRect WorkAreaRect() const;
    int PixelsPerInch() const;
    int MonitorCount();
    TMonitor* Monitors(int Index);
    TMonitor* MonitorFromWindow(HWND Wnd);

    TNotifyEvent OnActiveFormChange;

    void AddForm(TCustomForm* Form);
    void RemoveForm(TCustomForm* Form);
    void SetActiveForm(TCustomForm* Form);

private:
    void LoadMonitors();
    std::vector<TCustomForm*> forms_;
    TCustomForm* active_form_ = nullptr;
    TCursor cursor_ = crDefault;
    std::vector<TMonitor*> monitors_;
};

// The application and the screen: made when the program starts, freed when it ends.
extern TApplication* Application;
extern TScreen* Screen;

} // namespace dvr::fw
