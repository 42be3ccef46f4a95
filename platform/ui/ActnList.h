#pragma once
// Actions: a command whose caption, checked and enabled state live in one
// place, and the links through which controls follow them.

#include <string>
#include <vector>

#include "platform/core/Components.h"
#include "platform/core/Persistent.h"

class TActionLink;
class TControl;

// A command with an OnExecute handler; the links registered with it hear of
// its changes and drop it when it is freed.
class TBasicAction : public TComponent {
public:
    explicit TBasicAction(TComponent* owner) : TComponent(owner) {}
    ~TBasicAction() override;

    // Runs OnExecute; false when there is none.
    virtual bool Execute();

    void RegisterChanges(TActionLink* link);
    void UnRegisterChanges(TActionLink* link);

    TNotifyEvent OnExecute;

protected:
    const std::vector<TActionLink*>& Links() const { return links_; }

private:
    std::vector<TActionLink*> links_;
};

// An action with the properties a control takes over: each change is passed
// to the links before the action takes it, so a link still sees the old value.
class TCustomAction : public TBasicAction {
public:
    using TBasicAction::TBasicAction;

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& value);
    bool Checked() const { return checked_; }
    void SetChecked(bool value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& value);
    bool Visible() const { return visible_; }
    void SetVisible(bool value);

    // A disabled action does not execute.
    bool Execute() override;

private:
    std::string caption_;
    std::string hint_;
    bool checked_ = false;
    bool enabled_ = true;
    bool visible_ = true;
};

class TAction : public TCustomAction {
public:
    using TCustomAction::TCustomAction;
};

// The tie between an action and one client. The action calls the setters
// with its new values; a link passes on those its client still shares.
class TActionLink {
public:
    TActionLink() = default;
    TActionLink(const TActionLink&) = delete;
    TActionLink& operator=(const TActionLink&) = delete;
    virtual ~TActionLink();

    TBasicAction* Action() const { return action_; }
    void SetAction(TBasicAction* value);
    bool Execute() { return action_ && action_->Execute(); }

    virtual void SetCaption(const std::string&) {}
    virtual void SetChecked(bool) {}
    virtual void SetEnabled(bool) {}
    virtual void SetHint(const std::string&) {}
    virtual void SetVisible(bool) {}

protected:
    TCustomAction* CustomAction() const { return dynamic_cast<TCustomAction*>(action_); }

private:
    friend class TBasicAction;
    TBasicAction* action_ = nullptr;
};

// A control's link: the control follows each property while its value is
// still the action's.
class TControlActionLink : public TActionLink {
public:
    explicit TControlActionLink(TControl& client) : client_(client) {}

    void SetCaption(const std::string& value) override;
    void SetEnabled(bool value) override;
    void SetHint(const std::string& value) override;
    void SetVisible(bool value) override;

protected:
    virtual bool IsCaptionLinked() const;
    virtual bool IsEnabledLinked() const;
    virtual bool IsHintLinked() const;
    virtual bool IsVisibleLinked() const;
    // The action still shares this state with the client.
    virtual bool IsCheckedLinked() const { return CustomAction() != nullptr; }

private:
    TControl& client_;
};

using TWinControlActionLink = TControlActionLink;
