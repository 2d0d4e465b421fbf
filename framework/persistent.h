// Objects that can copy themselves from another object and take part in streaming.
#pragma once

#include "framework/object.h"

namespace dvr::fw {

class TFiler;

class TPersistent : public TObject {
    FW_CLASS(TPersistent, TObject)
public:
    // Copies Source into this object. The base asks Source to do it (AssignTo); when
    // neither side knows the other, EConvertError "Cannot assign a X to a Y".
    virtual void Assign(const TPersistent* Source);

    // Adds unpublished data to the object's stream form (binary or custom properties).
    virtual void DefineProperties(TFiler* Filer);

protected:
    // Copies this object into Dest; the base raises the conversion error.
    virtual void AssignTo(TPersistent* Dest) const;
    // Raised by the base Assign and AssignTo.
    [[noreturn]] void AssignError(const TPersistent* Source) const;

    friend class TPersistentAccess;
};

} // namespace dvr::fw
