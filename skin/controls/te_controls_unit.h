// The controls unit's process-wide resources: made in a fixed order by its start and freed
// in a fixed order by its end. The resources are also made on first use, so controls work
// without the start; the start and the end pair up by a counter (only the outermost pair
// acts).
#pragma once

#include "framework/types.h"
#include "framework/ui/imglist.h"

namespace dvr::skin {

void StartControlsUnit();
void EndControlsUnit();
// How many starts are not yet ended.
int ControlsUnitStarts();

// Set by the start from the system's version: an NT platform; Windows 98 or later of the
// other platform.
extern bool ControlsWinNT;
extern bool ControlsWin98;

// The system-menu glyphs: close 0, minimize 1, maximize 2, restore 3, roll-up 4, tray 5
// (from the resources "TE_FORM_CLOSE" ... "TE_FORM_TRAY", magenta transparent).
fw::TImageList* FormButtonImages();
void LoadFormButtonImages();
void FreeFormButtonImages();

// The bounds a parked MDI child gets.
const fw::TRect& ParkedMDIChildBounds();

} // namespace dvr::skin
