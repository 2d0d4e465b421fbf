#include "framework/ui/actions.h"

#include <algorithm>

namespace dvr::fw {

// ---- TBasicAction ----

TBasicAction::TBasicAction(TComponent* AOwner) : TComponent(AOwner) {}

TBasicAction::~TBasicAction() {
    // Links outlive the action when it is deleted without Free: they must not reach back.
    for (TBasicActionLink* l : clients_) l->action_ = nullptr;
    clients_.clear();
}

bool TBasicAction::Execute() {
    if (!on_execute_) return false;
    on_execute_(this);
    return true;
}

bool TBasicAction::Update() {
    if (!OnUpdate) return false;
    OnUpdate(this);
    return true;
}

void TBasicAction::SetOnExecute(TNotifyEvent Value) {
    if (Value == on_execute_) return;
    std::vector<TBasicActionLink*> links = clients_;
    for (TBasicActionLink* l : links) l->SetOnExecute(Value);
    on_execute_ = Value;
    Change();
}

void TBasicAction::RegisterChanges(TBasicActionLink* Value) {
    if (std::find(clients_.begin(), clients_.end(), Value) == clients_.end())
        clients_.push_back(Value);
    Value->action_ = this;
}

void TBasicAction::UnRegisterChanges(TBasicActionLink* Value) {
    clients_.erase(std::remove(clients_.begin(), clients_.end(), Value), clients_.end());
    if (Value->action_ == this) Value->action_ = nullptr;
}

void TBasicAction::Change() {
    // A client may drop its link while it hears the change.
    std::vector<TBasicActionLink*> links = clients_;
    for (TBasicActionLink* l : links)
        if (std::find(clients_.begin(), clients_.end(), l) != clients_.end()) l->Change();
}

// ---- TBasicActionLink ----

// A derived link takes its client in its own constructor (AssignClient is not yet its
// own here).
TBasicActionLink::TBasicActionLink(TObject*) {}

TBasicActionLink::~TBasicActionLink() {
    if (action_) action_->UnRegisterChanges(this);
}

void TBasicActionLink::SetAction(TBasicAction* Value) {
    if (Value == action_) return;
    if (action_) action_->UnRegisterChanges(this);
    if (Value) Value->RegisterChanges(this);
}

bool TBasicActionLink::Execute() {
    return action_ && action_->Execute();
}

bool TBasicActionLink::Update() {
    return action_ && action_->Update();
}

void TBasicActionLink::Change() {
    if (action_) OnChange(action_);
}

// ---- TCustomAction ----

TCustomAction::TCustomAction(TComponent* AOwner) : TBasicAction(AOwner) {}

bool TCustomAction::Execute() {
    Update();
    return enabled_ && TBasicAction::Execute();
}

template <class F> void TCustomAction::ForEachLink(F f) {
    std::vector<TBasicActionLink*> links = Clients();
    for (TBasicActionLink* l : links)
        if (auto* al = dynamic_cast<TActionLink*>(l)) f(al);
}

// Each setter lets the links compare their client with the old value before it changes.
void TCustomAction::SetCaption(const std::string& Value) {
    if (Value == caption_) return;
    ForEachLink([&](TActionLink* l) { l->SetCaption(Value); });
    caption_ = Value;
    Change();
}

void TCustomAction::SetChecked(bool Value) {
    if (Value == checked_) return;
    ForEachLink([&](TActionLink* l) { l->SetChecked(Value); });
    checked_ = Value;
    Change();
}

void TCustomAction::SetEnabled(bool Value) {
    if (Value == enabled_) return;
    ForEachLink([&](TActionLink* l) { l->SetEnabled(Value); });
    enabled_ = Value;
    Change();
}

void TCustomAction::SetHelpContext(int Value) {
    if (Value == help_context_) return;
    ForEachLink([&](TActionLink* l) { l->SetHelpContext(Value); });
    help_context_ = Value;
    Change();
}

void TCustomAction::SetHint(const std::string& Value) {
    if (Value == hint_) return;
    ForEachLink([&](TActionLink* l) { l->SetHint(Value); });
    hint_ = Value;
    Change();
}

void TCustomAction::SetImageIndex(int Value) {
    if (Value == image_index_) return;
    ForEachLink([&](TActionLink* l) { l->SetImageIndex(Value); });
    image_index_ = Value;
    Change();
}

void TCustomAction::SetShortCut(TShortCut Value) {
    if (Value == short_cut_) return;
    ForEachLink([&](TActionLink* l) { l->SetShortCut(Value); });
    short_cut_ = Value;
    Change();
}

void TCustomAction::SetVisible(bool Value) {
    if (Value == visible_) return;
    ForEachLink([&](TActionLink* l) { l->SetVisible(Value); });
    visible_ = Value;
    Change();
}

// ---- TActionLink ----

bool TActionLink::IsCaptionLinked() {
    return CustomAction() != nullptr;
}
bool TActionLink::IsCheckedLinked() {
    return CustomAction() != nullptr;
}
bool TActionLink::IsEnabledLinked() {
    return CustomAction() != nullptr;
}
bool TActionLink::IsHelpContextLinked() {
    return CustomAction() != nullptr;
}
bool TActionLink::IsHintLinked() {
    return CustomAction() != nullptr;
}
bool TActionLink::IsImageIndexLinked() {
    return CustomAction() != nullptr;
}
bool TActionLink::IsShortCutLinked() {
    return CustomAction() != nullptr;
}
bool TActionLink::IsVisibleLinked() {
    return CustomAction() != nullptr;
}

} // namespace dvr::fw
