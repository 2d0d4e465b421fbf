// Messages and message methods. A message is a number with two parameters and a result
// (the shape of a window message). A class handles messages by number with a message
// map; a message without a handler in the class goes to its parent class's map, and one
// no class handles goes to DefaultHandler (virtual; windowed controls pass it to the
// window's default procedure).
//
//     class TFoo : public TBar {
//         FW_CLASS(TFoo, TBar)
//         FW_MESSAGES_BEGIN
//             FW_MESSAGE(WM_PAINT, WMPaint)
//         FW_MESSAGES_END
//         void WMPaint(TMessage& Message) { ...; FW_INHERITED(Message); }
//     };
//
// FW_INHERITED(M) inside a message method passes M on as the parent class would see it:
// to the parent's handler for that number, or to DefaultHandler.
#pragma once

#include <cstdint>

namespace dvr::fw {

struct TMessage {
    uint32_t Msg = 0;
    uintptr_t WParam = 0;
    intptr_t LParam = 0;
    intptr_t Result = 0;

    uint16_t WParamLo() const { return uint16_t(WParam); }
    uint16_t WParamHi() const { return uint16_t(WParam >> 16); }
    uint16_t LParamLo() const { return uint16_t(uintptr_t(LParam)); }
    uint16_t LParamHi() const { return uint16_t(uintptr_t(LParam) >> 16); }
};

// Messages of the framework's own controls (control messages), with the numbers the
// skinned controls expect.
constexpr uint32_t CM_BASE = 0xB000;
constexpr uint32_t CM_ACTIVATE = CM_BASE + 0;
constexpr uint32_t CM_DEACTIVATE = CM_BASE + 1;
constexpr uint32_t CM_GOTFOCUS = CM_BASE + 2;
constexpr uint32_t CM_LOSTFOCUS = CM_BASE + 3;
constexpr uint32_t CM_CANCELMODE = CM_BASE + 4;
constexpr uint32_t CM_DIALOGKEY = CM_BASE + 5;
constexpr uint32_t CM_DIALOGCHAR = CM_BASE + 6;
constexpr uint32_t CM_FOCUSCHANGED = CM_BASE + 7;
constexpr uint32_t CM_PARENTFONTCHANGED = CM_BASE + 8;
constexpr uint32_t CM_PARENTCOLORCHANGED = CM_BASE + 9;
constexpr uint32_t CM_HITTEST = CM_BASE + 10;
constexpr uint32_t CM_VISIBLECHANGED = CM_BASE + 11;
constexpr uint32_t CM_ENABLEDCHANGED = CM_BASE + 12;
constexpr uint32_t CM_COLORCHANGED = CM_BASE + 13;
constexpr uint32_t CM_FONTCHANGED = CM_BASE + 14;
constexpr uint32_t CM_CURSORCHANGED = CM_BASE + 15;
constexpr uint32_t CM_CTL3DCHANGED = CM_BASE + 16;
constexpr uint32_t CM_PARENTCTL3DCHANGED = CM_BASE + 17;
constexpr uint32_t CM_TEXTCHANGED = CM_BASE + 18;
constexpr uint32_t CM_MOUSEENTER = CM_BASE + 19;
constexpr uint32_t CM_MOUSELEAVE = CM_BASE + 20;
constexpr uint32_t CM_MENUCHANGED = CM_BASE + 21;
constexpr uint32_t CM_APPKEYDOWN = CM_BASE + 22;
constexpr uint32_t CM_APPSYSCOMMAND = CM_BASE + 23;
constexpr uint32_t CM_BUTTONPRESSED = CM_BASE + 24;
constexpr uint32_t CM_SHOWINGCHANGED = CM_BASE + 25;
constexpr uint32_t CM_ENTER = CM_BASE + 26;
constexpr uint32_t CM_EXIT = CM_BASE + 27;
constexpr uint32_t CM_DESIGNHITTEST = CM_BASE + 28;
constexpr uint32_t CM_ICONCHANGED = CM_BASE + 29;
constexpr uint32_t CM_WANTSPECIALKEY = CM_BASE + 30;
constexpr uint32_t CM_INVOKEHELP = CM_BASE + 31;
constexpr uint32_t CM_WINDOWHOOK = CM_BASE + 32;
constexpr uint32_t CM_RELEASE = CM_BASE + 33;
constexpr uint32_t CM_SHOWHINTCHANGED = CM_BASE + 34;
constexpr uint32_t CM_PARENTSHOWHINTCHANGED = CM_BASE + 35;
constexpr uint32_t CM_SYSCOLORCHANGE = CM_BASE + 36;
constexpr uint32_t CM_WININICHANGE = CM_BASE + 37;
constexpr uint32_t CM_FONTCHANGE = CM_BASE + 38;
constexpr uint32_t CM_TIMECHANGE = CM_BASE + 39;
constexpr uint32_t CM_TABSTOPCHANGED = CM_BASE + 40;
constexpr uint32_t CM_UIACTIVATE = CM_BASE + 41;
constexpr uint32_t CM_UIDEACTIVATE = CM_BASE + 42;
constexpr uint32_t CM_DOCWINDOWACTIVATE = CM_BASE + 43;
constexpr uint32_t CM_CONTROLLISTCHANGE = CM_BASE + 44;
constexpr uint32_t CM_GETDATALINK = CM_BASE + 45;
constexpr uint32_t CM_CHILDKEY = CM_BASE + 46;
constexpr uint32_t CM_DRAG = CM_BASE + 47;
constexpr uint32_t CM_HINTSHOW = CM_BASE + 48;
constexpr uint32_t CM_DIALOGHANDLE = CM_BASE + 49;
constexpr uint32_t CM_ISTOOLCONTROL = CM_BASE + 50;
constexpr uint32_t CM_RECREATEWND = CM_BASE + 51;
constexpr uint32_t CM_INVALIDATE = CM_BASE + 52;
constexpr uint32_t CM_SYSFONTCHANGED = CM_BASE + 53;
constexpr uint32_t CM_CONTROLCHANGE = CM_BASE + 54;
constexpr uint32_t CM_CHANGED = CM_BASE + 55;
constexpr uint32_t CM_DOCKCLIENT = CM_BASE + 56;
constexpr uint32_t CM_UNDOCKCLIENT = CM_BASE + 57;
constexpr uint32_t CM_FLOAT = CM_BASE + 58;
constexpr uint32_t CM_BORDERCHANGED = CM_BASE + 59;
constexpr uint32_t CM_BIDIMODECHANGED = CM_BASE + 60;
constexpr uint32_t CM_PARENTBIDIMODECHANGED = CM_BASE + 61;
constexpr uint32_t CM_ALLCHILDRENFLIPPED = CM_BASE + 62;
constexpr uint32_t CM_ACTIONUPDATE = CM_BASE + 63;
constexpr uint32_t CM_ACTIONEXECUTE = CM_BASE + 64;
constexpr uint32_t CM_HINTSHOWPAUSE = CM_BASE + 65;
constexpr uint32_t CM_DOCKNOTIFICATION = CM_BASE + 66;
constexpr uint32_t CM_MOUSEWHEEL = CM_BASE + 67;
// Notifications reflected back to the control that owns a child window (the parent
// gets WM_COMMAND, WM_NOTIFY ...; the child sees CN_BASE + the message).
constexpr uint32_t CN_BASE = 0xBC00;

} // namespace dvr::fw

#define FW_MESSAGES_BEGIN                                                                          \
public:                                                                                            \
    bool DispatchMsg(::dvr::fw::TMessage& M) override {                                            \
        switch (M.Msg) {
#define FW_MESSAGE(Number, Method)                                                                 \
    case (Number):                                                                                 \
        Method(M);                                                                                 \
        return true;
#define FW_MESSAGES_END                                                                            \
    default:                                                                                       \
        return inherited::DispatchMsg(M);                                                          \
        }                                                                                          \
        }

#define FW_INHERITED(M)                                                                            \
    do {                                                                                           \
        if (!inherited::DispatchMsg(M)) DefaultHandler(M);                                         \
    } while (0)
