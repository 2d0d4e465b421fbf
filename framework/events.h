// Events: method pointers, an object and one of its member functions. Two events are
// equal when both the object and the function are the same, which std::function cannot
// tell; controls compare a handler with their own to know whether it was replaced.
#pragma once

#include "framework/object.h"
#include "framework/types.h"

#include <cstdint>
#include <utility>

namespace dvr::fw {

template <class Sig> class TMethodPtr;

template <class R, class... A> class TMethodPtr<R(A...)> {
public:
    using Code = R (TObject::*)(A...);

    TMethodPtr() = default;
    TMethodPtr(std::nullptr_t) {}
    // obj's class must derive from TObject without virtual inheritance.
    template <class T, class U>
    TMethodPtr(T* obj, R (U::*code)(A...))
        : data_(static_cast<U*>(obj)), code_(static_cast<Code>(code)) {}

    bool Assigned() const { return data_ != nullptr && code_ != nullptr; }
    explicit operator bool() const { return Assigned(); }
    TObject* Data() const { return data_; }

    // Calls the handler; an unassigned event does nothing (and returns R{}).
    R operator()(A... args) const {
        if (!Assigned()) {
            if constexpr (std::is_void_v<R>)
                return;
            else
                return R{};
        }
        return (data_->*code_)(std::forward<A>(args)...);
    }

    bool operator==(const TMethodPtr& o) const {
        // Two unassigned events are equal whatever their leftovers.
        if (!Assigned() || !o.Assigned()) return Assigned() == o.Assigned();
        return data_ == o.data_ && code_ == o.code_;
    }

private:
    TObject* data_ = nullptr;
    Code code_ = nullptr;
};

// Keyboard and mouse modifiers.
enum class TShiftStateItem : uint8_t {
    ssShift,
    ssAlt,
    ssCtrl,
    ssLeft,
    ssRight,
    ssMiddle,
    ssDouble
};
using TShiftState = TSet<TShiftStateItem>;
enum class TMouseButton : uint8_t { mbLeft, mbRight, mbMiddle };
// Scroll codes with the ordinals of the Windows SB_ codes.
enum class TScrollCode : uint8_t {
    scLineUp,
    scLineDown,
    scPageUp,
    scPageDown,
    scPosition,
    scTrack,
    scTop,
    scBottom,
    scEndScroll
};
// Item states handed to owner drawing.
enum class TOwnerDrawStateItem : uint8_t {
    odSelected,
    odGrayed,
    odDisabled,
    odChecked,
    odFocused,
    odDefault,
    odHotLight,
    odInactive,
    odNoAccel,
    odNoFocusRect,
    odReserved1,
    odReserved2,
    odComboBoxEdit
};
using TOwnerDrawState = TSet<TOwnerDrawStateItem>;

using TNotifyEvent = TMethodPtr<void(TObject* Sender)>;
using TMouseEvent =
    TMethodPtr<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = TMethodPtr<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyEvent = TMethodPtr<void(TObject* Sender, uint16_t& Key, TShiftState Shift)>;
using TKeyPressEvent = TMethodPtr<void(TObject* Sender, char& Key)>;
using TScrollEvent = TMethodPtr<void(TObject* Sender, TScrollCode ScrollCode, int& ScrollPos)>;
using TDrawItemEvent =
    TMethodPtr<void(TObject* Control, int Index, const TRect& Rect, TOwnerDrawState State)>;
using TMeasureItemEvent = TMethodPtr<void(TObject* Control, int Index, int& Height)>;
// Asked before a selection changes; clearing AllowChange keeps the old one.
using TChangingEvent = TMethodPtr<void(TObject* Sender, bool& AllowChange)>;

} // namespace dvr::fw
