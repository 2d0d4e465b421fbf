// Actions: a command object (OnExecute, OnUpdate) that several clients share. A client
// holds an action link; the action tells every link when it changes, and a link passes
// the action's caption, check mark, enable and visible states, shortcut and so on to its
// client while the client's value still matches the action's.
#pragma once

#include "framework/component.h"
#include "framework/events.h"
#include "framework/ui/menus.h"

#include <string>
#include <vector>

namespace dvr::fw {

class TBasicActionLink;

class TBasicAction : public TComponent {
    FW_CLASS(TBasicAction, TComponent)
public:
    explicit TBasicAction(TComponent* AOwner);
    ~TBasicAction() override;

    // Runs OnExecute; false when there is none.
    virtual bool Execute();
    // Runs OnUpdate (the handler sets the action's state); false when there is none.
    virtual bool Update();

    const TNotifyEvent& OnExecute() const { return on_execute_; }
    void SetOnExecute(TNotifyEvent Value);
    TNotifyEvent OnUpdate;

    void RegisterChanges(TBasicActionLink* Value);
    void UnRegisterChanges(TBasicActionLink* Value);
    int ClientCount() const { return int(clients_.size()); }

protected:
    // Every link hears that the action changed.
    void Change();
    const std::vector<TBasicActionLink*>& Clients() const { return clients_; }

private:
    TNotifyEvent on_execute_;
    std::vector<TBasicActionLink*> clients_;
};

class TBasicActionLink : public TObject {
public:
    explicit TBasicActionLink(TObject* AClient);
    ~TBasicActionLink() override;

    TBasicAction* Action() const { return action_; }
    void SetAction(TBasicAction* Value);
    // The action's Execute / Update; false without an action.
    virtual bool Execute();
    virtual bool Update();

    virtual bool IsOnExecuteLinked() { return true; }
    virtual void SetOnExecute(TNotifyEvent) {}

    // Called with the action whenever it changes.
    TNotifyEvent OnChange;

protected:
    virtual void AssignClient(TObject*) {}
    virtual void Change();

private:
    friend class TBasicAction;
    TBasicAction* action_ = nullptr;
};

class TCustomAction : public TBasicAction {
    FW_CLASS(TCustomAction, TBasicAction)
public:
    explicit TCustomAction(TComponent* AOwner);

    // Update first; a disabled action does not run.
    bool Execute() override;

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& Value);
    bool Checked() const { return checked_; }
    void SetChecked(bool Value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool Value);
    int HelpContext() const { return help_context_; }
    void SetHelpContext(int Value);
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& Value);
    int ImageIndex() const { return image_index_; }
    void SetImageIndex(int Value);
    TShortCut ShortCut() const { return short_cut_; }
    void SetShortCut(TShortCut Value);
    bool Visible() const { return visible_; }
    void SetVisible(bool Value);

private:
    template <class F> void ForEachLink(F f);

    std::string caption_;
    bool checked_ = false;
    bool enabled_ = true;
    int help_context_ = 0;
    std::string hint_;
    int image_index_ = -1;
    TShortCut short_cut_ = 0;
    bool visible_ = true;
};

class TAction : public TCustomAction {
    FW_CLASS(TAction, TCustomAction)
public:
    using TCustomAction::TCustomAction;
};

// A link whose client shows the action's properties. Each Is...Linked says whether the
// client's value follows the action (the base: the action is a TCustomAction); each
// Set... gives the client a new value of the action, for the client to take when linked.
class TActionLink : public TBasicActionLink {
public:
    using TBasicActionLink::TBasicActionLink;

    virtual bool IsCaptionLinked();
    virtual bool IsCheckedLinked();
    virtual bool IsEnabledLinked();
    virtual bool IsHelpContextLinked();
    virtual bool IsHintLinked();
    virtual bool IsImageIndexLinked();
    virtual bool IsShortCutLinked();
    virtual bool IsVisibleLinked();
    virtual void SetCaption(const std::string&) {}
    virtual void SetChecked(bool) {}
    virtual void SetEnabled(bool) {}
    virtual void SetHelpContext(int) {}
    virtual void SetHint(const std::string&) {}
    virtual void SetImageIndex(int) {}
    virtual void SetShortCut(TShortCut) {}
    virtual void SetVisible(bool) {}

protected:
    TCustomAction* CustomAction() const { return dynamic_cast<TCustomAction*>(Action()); }
};

} // namespace dvr::fw
