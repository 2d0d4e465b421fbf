// What the button, list box and tab tests share: a shown form, real input through
// SendInput on the virtual display, message pumping until a condition holds, the picture
// of a control read back, and a skin theme made for the tests.
#pragma once

#include "framework/ui/forms.h"
#include "skin/engine/te_bitmap.h"

#include <functional>
#include <string>

#include <windows.h>

namespace dvr::skin::listtest {

struct FormDeleter {
    void operator()(fw::TForm* f) const { f->Free(); }
};

// A form shown at (X, Y), brought to the front so that it gets real input.
fw::TForm* NewShownForm(int X, int Y, int W, int H);

// Runs messages until Done answers true or 5 seconds pass; answers Done().
bool PumpUntil(const std::function<bool()>& Done);
// Runs the messages waiting now.
void PumpPending();

// Real mouse and keyboard input at a point of Control's client area.
void MouseMoveTo(fw::TControl* Control, int X, int Y);
void MouseClickAt(fw::TControl* Control, int X, int Y);
void MouseDownAt(fw::TControl* Control, int X, int Y);
void MouseUp();
void KeyTap(WORD Vk, bool Shift = false);

// The control's window as painted now (its WM_PRINTCLIENT-free picture: the window DC
// after an immediate repaint).
void Snapshot(fw::TWinControl* Control, TteBitmap& Out);
// Pixel of a snapshot as 0xRRGGBB.
uint32_t Rgb(const TteBitmap& B, int X, int Y);
uint32_t Rgb(fw::TColor C);
// Saves the screen (or a control's picture) as a BMP under build/testdata/screens.
void SaveScreen(const std::string& Name, fw::TWinControl* Control);

// A skin theme with a coloured part for each group the controls of these tests use; made
// current by UseTestSkin, undone by ClearCurrentTheme.
void UseTestSkin();
// The colours of its parts.
constexpr fw::TColor kSkinButtonFace = 0x3060A0, kSkinButtonHot = 0x60A0E0,
                     kSkinButtonPressed = 0x102040, kSkinCheckChecked = 0x2080F0,
                     kSkinCheckUnchecked = 0x80F020, kSkinListFrame = 0xE0E0C0,
                     kSkinListItem = 0xF0F0F0, kSkinListSelected = 0x904010,
                     kSkinTabsFrame = 0xC0D0E0, kSkinTab = 0x5090C0, kSkinTabActive = 0x305070,
                     kSkinTabHot = 0x70B0E0, kSkinEditFrame = 0xD0F0D0,
                     kSkinComboButton = 0x40A040;

} // namespace dvr::skin::listtest
