#include "platform/ui/ActnList.h"

#include <algorithm>

#include "platform/ui/Controls.h"

// ---- TBasicAction ------------------------------------------------------------------------

TBasicAction::~TBasicAction()
{
    // The clients drop their links while this action can still unregister them.
    AnnounceFreeing();
    for (TActionLink* link : std::vector<TActionLink*>(links_))
        link->action_ = nullptr;
}

bool TBasicAction::Execute()
{
    if (!OnExecute)
        return false;
    OnExecute(this);
    return true;
}

void TBasicAction::RegisterChanges(TActionLink* link)
{
    if (std::find(links_.begin(), links_.end(), link) == links_.end())
        links_.push_back(link);
}

void TBasicAction::UnRegisterChanges(TActionLink* link) { std::erase(links_, link); }

// ---- TCustomAction -----------------------------------------------------------------------

namespace {

// Tells each link of the new value, then stores it.
template <class T, class Setter>
void ChangeProperty(const std::vector<TActionLink*>& links, T& field, const T& value, Setter setter)
{
    if (field == value)
        return;
    for (TActionLink* link : std::vector<TActionLink*>(links))
        (link->*setter)(value);
    field = value;
}

} // namespace

void TCustomAction::SetCaption(const std::string& value)
{
    ChangeProperty(Links(), caption_, value, &TActionLink::SetCaption);
}
void TCustomAction::SetChecked(bool value) { ChangeProperty(Links(), checked_, value, &TActionLink::SetChecked); }
void TCustomAction::SetEnabled(bool value) { ChangeProperty(Links(), enabled_, value, &TActionLink::SetEnabled); }
void TCustomAction::SetHint(const std::string& value) { ChangeProperty(Links(), hint_, value, &TActionLink::SetHint); }
void TCustomAction::SetVisible(bool value) { ChangeProperty(Links(), visible_, value, &TActionLink::SetVisible); }

bool TCustomAction::Execute() { return enabled_ && TBasicAction::Execute(); }

// ---- TActionLink -------------------------------------------------------------------------

TActionLink::~TActionLink()
{
    if (action_)
        action_->UnRegisterChanges(this);
}

void TActionLink::SetAction(TBasicAction* value)
{
    if (action_ == value)
        return;
    if (action_)
        action_->UnRegisterChanges(this);
    action_ = value;
    if (action_)
        action_->RegisterChanges(this);
}

// ---- TControlActionLink ------------------------------------------------------------------

bool TControlActionLink::IsCaptionLinked() const
{
    return CustomAction() && client_.Caption() == CustomAction()->Caption();
}

bool TControlActionLink::IsEnabledLinked() const
{
    return CustomAction() && client_.Enabled() == CustomAction()->Enabled();
}

bool TControlActionLink::IsHintLinked() const { return CustomAction() && client_.Hint() == CustomAction()->Hint(); }

bool TControlActionLink::IsVisibleLinked() const
{
    return CustomAction() && client_.Visible() == CustomAction()->Visible();
}

void TControlActionLink::SetCaption(const std::string& value)
{
    if (IsCaptionLinked())
        client_.SetCaption(value);
}

void TControlActionLink::SetEnabled(bool value)
{
    if (IsEnabledLinked())
        client_.SetEnabled(value);
}

void TControlActionLink::SetHint(const std::string& value)
{
    if (IsHintLinked())
        client_.SetHint(value);
}

void TControlActionLink::SetVisible(bool value)
{
    if (IsVisibleLinked())
        client_.SetVisible(value);
}
