#include "framework/component.h"

#include "framework/exceptions.h"
#include "framework/strutils.h"

#include <algorithm>

namespace dvr::fw {

void TComponent::Publish(TPublisher<TComponent>& p) {
    // The name travels in the object header of a stream, not as a property.
    p.Property("Name", nullptr, &TComponent::Name, &TComponent::SetName).Stored(false);
    p.Property("Tag", nullptr, &TComponent::Tag, &TComponent::SetTag).Default(0);
}

bool IsValidIdent(std::string_view s) {
    auto alpha = [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
    };
    if (s.empty() || !alpha(s[0])) return false;
    for (char c : s)
        if (!alpha(c) && !(c >= '0' && c <= '9')) return false;
    return true;
}

TComponent::TComponent(TComponent* AOwner) {
    if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
    TearDown();
    // Owned components outlive the owner's own destructors, which may still use them.
    DestroyComponents();
}

void TComponent::Free() {
    // Tear down while the whole object still exists, so overrides of Notification in
    // the dying component's own classes still run.
    if (!torn_down_) BeforeDestruction();
    TearDown();
    delete this;
}

void TComponent::TearDown() {
    if (torn_down_) return;
    torn_down_ = true;
    MarkDestroying();
    while (!free_notifies_.empty()) {
        TComponent* c = free_notifies_.back();
        free_notifies_.pop_back();
        auto& theirs = c->free_notifies_;
        theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
        c->Notification(this, TOperation::opRemove);
    }
    if (owner_) owner_->RemoveComponent(this);
}

void TComponent::MarkDestroying() {
    if (Destroying()) return;
    state_.Include(TComponentStateItem::csDestroying);
    for (TComponent* c : components_)
        c->MarkDestroying();
}

TComponent* TComponent::Components(int Index) const {
    if (Index < 0 || Index >= ComponentCount())
        throw EListError("List index out of bounds (" + IntToStr(Index) + ")");
    return components_[size_t(Index)];
}

int TComponent::ComponentIndex() const {
    if (!owner_) return -1;
    auto& list = owner_->components_;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : int(it - list.begin());
}

TComponent* TComponent::FindComponent(std::string_view AName) const {
    if (AName.empty()) return nullptr;
    for (TComponent* c : components_)
        if (SameText(c->name_, AName)) return c;
    return nullptr;
}

void TComponent::SetName(const std::string& NewName) {
    if (NewName == name_) return;
    if (!NewName.empty() && !IsValidIdent(NewName))
        throw EInvalidOperation("'" + NewName + "' is not a valid component name");
    if (owner_ && !NewName.empty()) {
        TComponent* other = owner_->FindComponent(NewName);
        if (other && other != this)
            throw EInvalidOperation("A component named " + NewName + " already exists");
    }
    name_ = NewName;
}

void TComponent::InsertComponent(TComponent* AComponent) {
    if (!AComponent || AComponent->owner_ == this) return;
    if (!AComponent->name_.empty() && FindComponent(AComponent->name_))
        throw EInvalidOperation("A component named " + AComponent->name_ + " already exists");
    if (AComponent->owner_) AComponent->owner_->RemoveComponent(AComponent);
    components_.push_back(AComponent);
    AComponent->owner_ = this;
    if (Loading()) AComponent->SetLoading(true);
    Notification(AComponent, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
    if (!AComponent || AComponent->owner_ != this) return;
    Notification(AComponent, TOperation::opRemove);
    Unlink(AComponent);
}

void TComponent::Unlink(TComponent* AComponent) {
    components_.erase(std::remove(components_.begin(), components_.end(), AComponent),
                      components_.end());
    AComponent->owner_ = nullptr;
}

void TComponent::DestroyComponents() {
    while (!components_.empty()) {
        TComponent* c = components_.back();
        // Out of the list first, so nothing reaches it through this owner while it dies.
        Unlink(c);
        c->Free();
    }
}

void TComponent::FreeNotification(TComponent* AComponent) {
    if (!AComponent || AComponent == this) return;
    auto add = [](std::vector<TComponent*>& v, TComponent* c) {
        if (std::find(v.begin(), v.end(), c) == v.end()) v.push_back(c);
    };
    add(free_notifies_, AComponent);
    add(AComponent->free_notifies_, this);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
    if (!AComponent) return;
    auto drop = [](std::vector<TComponent*>& v, TComponent* c) {
        v.erase(std::remove(v.begin(), v.end(), c), v.end());
    };
    drop(free_notifies_, AComponent);
    drop(AComponent->free_notifies_, this);
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
    if (Operation == TOperation::opRemove && AComponent) RemoveFreeNotification(AComponent);
    // A component may free others while it hears the news: walk a copy and skip the gone.
    std::vector<TComponent*> owned = components_;
    for (TComponent* c : owned)
        if (std::find(components_.begin(), components_.end(), c) != components_.end())
            c->Notification(AComponent, Operation);
}

void TComponent::Loaded() {
    state_.Exclude(TComponentStateItem::csLoading);
}

void TComponent::GetChildren(const std::function<void(TComponent*)>&, TComponent*) {}

void TComponent::SetLoading(bool on) {
    on ? state_.Include(TComponentStateItem::csLoading)
       : state_.Exclude(TComponentStateItem::csLoading);
}

void TComponent::SetReading(bool on) {
    on ? state_.Include(TComponentStateItem::csReading)
       : state_.Exclude(TComponentStateItem::csReading);
}

void TComponent::SetWriting(bool on) {
    on ? state_.Include(TComponentStateItem::csWriting)
       : state_.Exclude(TComponentStateItem::csWriting);
}

namespace {

void CollectLoading(TComponent* c, std::vector<TComponent*>& out) {
    if (c->Loading()) out.push_back(c);
    for (int i = 0; i < c->ComponentCount(); ++i)
        CollectLoading(c->Components(i), out);
}

void MarkTree(TComponent* c, bool on) {
    c->SetLoading(on);
    for (int i = 0; i < c->ComponentCount(); ++i)
        MarkTree(c->Components(i), on);
}

} // namespace

TLoadingBracket::TLoadingBracket(TComponent& Root) : root_(&Root) {
    MarkTree(root_, true);
}

TLoadingBracket::~TLoadingBracket() {
    if (!done_) MarkTree(root_, false);
}

void TLoadingBracket::Finish() {
    if (done_) return;
    done_ = true;
    std::vector<TComponent*> loading;
    CollectLoading(root_, loading);
    for (TComponent* c : loading)
        c->Loaded();
    // A Loaded override that forgot the inherited call still leaves the state clean.
    MarkTree(root_, false);
}

} // namespace dvr::fw
