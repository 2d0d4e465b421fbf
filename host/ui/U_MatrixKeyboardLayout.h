// The number fields and command buttons the matrix keyboard windows share (local on a serial
// line, remote through another host's relay).
#pragma once

#include "host/engine/U_MatrixKeyboard.h"

#include "framework/ui/forms.h"
#include "framework/ui/stdctrls.h"

#include <map>

namespace vantrel {

struct TMatrixKeyboardFieldsUi {
    dvr::fw::TEdit* MonitorNumber;
    dvr::fw::TEdit* VidiconNumber;
    dvr::fw::TEdit* PresetNumber;
    dvr::fw::TEdit* AuxNumber;
    dvr::fw::TEdit* Speed;
};

// Places the fields and the buttons of the kind's command table; rows start at `top` (the
// local window's first row is at 36). The buttons carry their MatrixButton in Tag.
TMatrixKeyboardFieldsUi PlaceMatrixKeyboard(dvr::fw::TWinControl* parent, MatrixKeyboardKind kind,
                                            int top,
                                            std::map<MatrixButton, dvr::fw::TButton*>& buttons);

// The fields as the commands take them, within the kind's limits.
void ReadMatrixKeyboardFields(const TMatrixKeyboardFieldsUi& ui, MatrixKeyboardKind kind,
                              MatrixKeyboardFields& fields);

} // namespace vantrel
