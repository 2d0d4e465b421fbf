#include "skin/controls/te_message.h"

#include "framework/ui/stdctrls.h"
#include "skin/controls/te_button.h"
#include "skin/controls/te_edit.h"
#include "skin/controls/te_form_theme.h"

namespace dvr::skin {

const std::array<const char*, 4> kMessageCaptions = {"Warning", "Error", "Information", "Confirm"};
const std::array<const char*, 13> kButtonCaptions = {
    "&Yes", "&No",        "OK",          "Cancel", "&Abort", "&Retry", "&Ignore",
    "&All", "N&o to All", "Yes to &All", "&Help",  "",       ""};

namespace {

const fw::TTypeInfo* MessageBorderIconsType() {
    static const fw::TTypeInfo e = fw::TTypeInfo::Enumeration(
        "TTeBorderIcon", {"kbiClose", "kbiSystemMenu", "kbiMinimize", "kbiMaximize", "kbiHelp",
                          "kbiRollup", "kbiTray", "kbiTop", "kbiCustom"});
    static const fw::TTypeInfo t = fw::TTypeInfo::Set("TTeBorderIcons", &e);
    return &t;
}

const fw::TTypeInfo* MessagePositionType() {
    static const fw::TTypeInfo t = fw::TTypeInfo::Enumeration(
        "TPosition",
        {"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly", "poScreenCenter",
         "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter"});
    return &t;
}

} // namespace

TTeMessage*& GlobalMessage() {
    static TTeMessage* global = nullptr;
    return global;
}

void TTeMessage::Publish(fw::TPublisher<TTeMessage>& p) {
    p.Object("Animation", &TTeMessage::Animation);
    p.Object("Blending", &TTeMessage::Blending);
    p.Field("BorderIcons", MessageBorderIconsType(), &TTeMessage::BorderIcons).Default(3);
    p.Object("ButtonFont", &TTeMessage::ButtonFont);
    p.Object("Dragging", &TTeMessage::Dragging);
    p.Property("Global", nullptr, &TTeMessage::Global, &TTeMessage::SetGlobal);
    p.Object("MessageFont", &TTeMessage::MessageFont);
    p.Field("Position", MessagePositionType(), &TTeMessage::Position)
        .Default(int(fw::TPosition::poScreenCenter));
    p.Object("Shadow", &TTeMessage::Shadow);
    p.Field("ShowButtonGlyph", nullptr, &TTeMessage::ShowButtonGlyph).Default(1);
    p.Field("ShowHints", nullptr, &TTeMessage::ShowHints);
    p.Field("ShowIconImage", nullptr, &TTeMessage::ShowIconImage).Default(1);
    p.Field("StayOnTop", nullptr, &TTeMessage::StayOnTop);
}

TTeMessage::TTeMessage(fw::TComponent* AOwner)
    : fw::TComponent(AOwner), blending_(new TTeBlending()), shadow_(new TTeShadow()),
      dragging_(new TTeDragging()), animation_(new TTeAnimation()), button_font_(new fw::TFont()),
      message_font_(new fw::TFont()) {
    dragging_->Sizeable = false;
}

TTeMessage::~TTeMessage() {
    delete blending_;
    delete shadow_;
    delete dragging_;
    delete animation_;
    delete button_font_;
    delete message_font_;
    if (GlobalMessage() == this) GlobalMessage() = nullptr;
}

void TTeMessage::SetGlobal(bool Value) {
    if (Value == global_) return;
    global_ = Value;
    TTeMessage*& g = GlobalMessage();
    if (g && g != this) {
        TTeMessage* old = g;
        g = nullptr;
        old->Free();
    }
    g = this;
}

TTeButton* TTeMessage::CreateButton(fw::TComponent* AOwner) {
    return new TTeButton(AOwner);
}

TTeEdit* TTeMessage::CreateEdit(fw::TComponent* AOwner) {
    return new TTeEdit(AOwner);
}

TTeForm* TTeMessage::CreateForm(fw::TComponent* AOwner) {
    return new TTeForm(AOwner);
}

fw::TLabel* TTeMessage::CreateLabel(fw::TComponent* AOwner) {
    return new fw::TLabel(AOwner);
}

TTeCheckBox* TTeMessage::CreateCheckBox(fw::TComponent* AOwner) {
    return new TTeCheckBox(AOwner);
}

} // namespace dvr::skin
