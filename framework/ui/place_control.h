// Placing a control made in code: created with its owner, put on its parent, given its bounds.
#pragma once

#include "framework/ui/controls.h"

namespace dvr::fw {

// A new control of class T owned by `owner` (freed with it), on `parent` at the given bounds.
template <class T>
T* PlaceControl(TWinControl* parent, TComponent* owner, int x, int y, int w, int h) {
    auto* c = new T(owner);
    c->SetParent(parent);
    c->SetBounds(x, y, w, h);
    return c;
}

// Owned by its parent.
template <class T> T* PlaceControl(TWinControl* parent, int x, int y, int w, int h) {
    return PlaceControl<T>(parent, parent, x, y, w, h);
}

} // namespace dvr::fw
