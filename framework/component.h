// Components: named persistent objects that own other components and hear about the
// insertion and removal of components they care about.
//
// Ownership: a component made with an owner is freed by it; freeing a component tells
// every component that asked for free notification, takes it out of its owner, runs
// its destructors and then frees what it owns (last made first), so a destructor can
// still use its owned components. Use Free() (or delete) on components
// without an owner; Free() lets the derived classes of the dying component still hear
// their notifications, which plain delete cannot (their part is already gone).
#pragma once

#include "framework/persistent.h"
#include "framework/typinfo.h"
#include "framework/types.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace dvr::fw {

enum class TComponentStateItem : uint8_t { csLoading, csReading, csWriting, csDestroying };
using TComponentState = TSet<TComponentStateItem>;

enum class TOperation : uint8_t { opInsert, opRemove };

class TComponent : public TPersistent {
    FW_PUBLISHED(TComponent, TPersistent)
public:
    explicit TComponent(TComponent* AOwner);
    ~TComponent() override;

    // Frees the component (nothing for nullptr).
    void Free();
    // Runs first in Free, while the whole object still exists (forms call OnDestroy).
    virtual void BeforeDestruction() {}

    TComponent* Owner() const { return owner_; }
    int ComponentCount() const { return int(components_.size()); }
    // Raises EListError for an index out of range.
    TComponent* Components(int Index) const;
    // Position in the owner's list, -1 without an owner.
    int ComponentIndex() const;
    // The owned component of that name (ignoring case), or nullptr; "" finds nothing.
    TComponent* FindComponent(std::string_view AName) const;

    const std::string& Name() const { return name_; }
    // A name is empty or an identifier, unique among the owner's components ignoring
    // case; otherwise EInvalidOperation and the old name stays.
    virtual void SetName(const std::string& NewName);
    int32_t Tag() const { return tag_; }
    void SetTag(int32_t v) { tag_ = v; }

    TComponentState ComponentState() const { return state_; }
    bool Loading() const { return state_.Contains(TComponentStateItem::csLoading); }
    bool Destroying() const { return state_.Contains(TComponentStateItem::csDestroying); }

    // Ownership changes; the owner hears opInsert / opRemove (and passes it on to what
    // it owns).
    void InsertComponent(TComponent* AComponent);
    void RemoveComponent(TComponent* AComponent);
    // Frees every owned component, last first.
    void DestroyComponents();

    // Asks to hear (Notification with opRemove) when AComponent is freed; the request is
    // mutual, so AComponent hears about this one too.
    void FreeNotification(TComponent* AComponent);
    void RemoveFreeNotification(TComponent* AComponent);

    // Called once the component's properties are all set (after reading, or at the end
    // of a loading bracket); the base ends the loading state.
    virtual void Loaded();

    // Streaming hooks. GetChildren lists the components written after this one's
    // properties (none in the base); SetParentComponent receives the component a read
    // child was nested in.
    virtual void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root);
    virtual void SetParentComponent(TComponent* /*Value*/) {}

    // Marks the component and what it owns as being loaded or destroyed.
    void SetLoading(bool on);
    void SetReading(bool on);
    void SetWriting(bool on);

protected:
    // AComponent is being inserted or removed (freed, or taken from an owner); the base
    // forgets a removed component's free notification and passes the news on to every
    // owned component.
    virtual void Notification(TComponent* AComponent, TOperation Operation);
    // Sets the destroying state on this component and what it owns.
    void MarkDestroying();

private:
    void TearDown();
    void Unlink(TComponent* AComponent);

    TComponent* owner_ = nullptr;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> free_notifies_;
    std::string name_;
    int32_t tag_ = 0;
    TComponentState state_;
    bool torn_down_ = false;
};

// True when s is an identifier: a letter or "_", then letters, digits or "_".
bool IsValidIdent(std::string_view s);

// Builds components in code as the reader builds them from a stream: while the
// bracket is open, the root and every component inserted into a loading owner are in
// the loading state; Finish calls Loaded on each of them, the root first, then its
// components in the order they joined it (each followed by what it owns). Closing the
// bracket without Finish (an exception while building) ends the loading state without
// calling Loaded.
class TLoadingBracket {
public:
    explicit TLoadingBracket(TComponent& Root);
    ~TLoadingBracket();
    TLoadingBracket(const TLoadingBracket&) = delete;
    TLoadingBracket& operator=(const TLoadingBracket&) = delete;
    void Finish();

private:
    TComponent* root_;
    bool done_ = false;
};

} // namespace dvr::fw
