// The appearance settings of the skinned message boxes and the factories of the parts a
// box is made of; one instance holds the process-wide role.
#pragma once

#include "framework/component.h"
#include "framework/ui/forms.h"
#include "framework/ui/graphics.h"
#include "skin/controls/te_form.h"
#include "skin/controls/te_form_options.h"

#include <array>

namespace dvr::fw {
class TLabel;
}

namespace dvr::skin {

class TTeButton;
class TTeCheckBox;
class TTeEdit;
class TTeForm;

// Captions per box type: warning, error, information, confirmation (a custom box has none).
extern const std::array<const char*, 4> kMessageCaptions;
// Captions per button: yes, no, OK, cancel, abort, retry, ignore, all, no to all, yes to
// all, help; the entries after them are empty.
extern const std::array<const char*, 13> kButtonCaptions;

class TTeMessage : public fw::TComponent {
    FW_PUBLISHED(TTeMessage, fw::TComponent)
public:
    explicit TTeMessage(fw::TComponent* AOwner);
    ~TTeMessage() override;

    TTeAnimation* Animation() const { return animation_; }
    void SetAnimation(const TTeAnimation* Value) { animation_->Assign(Value); }
    TTeBlending* Blending() const { return blending_; }
    void SetBlending(const TTeBlending* Value) { blending_->Assign(Value); }
    TTeDragging* Dragging() const { return dragging_; }
    void SetDragging(const TTeDragging* Value) { dragging_->Assign(Value); }
    TTeShadow* Shadow() const { return shadow_; }
    void SetShadow(const TTeShadow* Value) { shadow_->Assign(Value); }
    fw::TFont* ButtonFont() const { return button_font_; }
    void SetButtonFont(const fw::TFont* Value) { button_font_->Assign(Value); }
    fw::TFont* MessageFont() const { return message_font_; }
    void SetMessageFont(const fw::TFont* Value) { message_font_->Assign(Value); }

    TTeBorderIcons BorderIcons = {TTeBorderIcon::kbiClose, TTeBorderIcon::kbiSystemMenu};
    fw::TPosition Position = fw::TPosition::poScreenCenter;
    bool ShowButtonGlyph = true;
    bool ShowIconImage = true;
    bool ShowHints = false;
    bool StayOnTop = false;

    bool Global() const { return global_; }
    void SetGlobal(bool Value);

    // The parts of a box, each made with the given owner.
    virtual TTeButton* CreateButton(fw::TComponent* AOwner);
    virtual TTeEdit* CreateEdit(fw::TComponent* AOwner);
    virtual TTeForm* CreateForm(fw::TComponent* AOwner);
    virtual fw::TLabel* CreateLabel(fw::TComponent* AOwner);
    virtual TTeCheckBox* CreateCheckBox(fw::TComponent* AOwner);

private:
    TTeBlending* blending_;
    TTeShadow* shadow_;
    TTeDragging* dragging_;
    TTeAnimation* animation_;
    fw::TFont* button_font_;
    fw::TFont* message_font_;
    bool global_ = false;
};

// The instance holding the global role, or nullptr.
TTeMessage*& GlobalMessage();

} // namespace dvr::skin
