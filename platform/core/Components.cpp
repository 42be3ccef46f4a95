#include "platform/core/Components.h"

#include "platform/core/Strings.h"

#include <algorithm>

bool IsValidIdent(const std::string& ident)
{
    const auto isAlpha = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
    const auto isAlnum = [&](char c) { return isAlpha(c) || (c >= '0' && c <= '9'); };
    return !ident.empty() && isAlpha(ident[0]) && std::all_of(ident.begin() + 1, ident.end(), isAlnum);
}

TComponent::TComponent(TComponent* owner)
{
    if (owner)
        owner->InsertComponent(this);
}

TComponent::~TComponent()
{
    AnnounceFreeing();
    DestroyComponents();
}

TComponent* TComponent::Components(int32_t index) const
{
    if (index < 0 || index >= ComponentCount())
        throw CreateFmt<EListError>("List index out of bounds (%d)", index);
    return components_[static_cast<size_t>(index)];
}

int32_t TComponent::ComponentIndex() const
{
    if (!owner_)
        return -1;
    const auto& siblings = owner_->components_;
    return static_cast<int32_t>(std::find(siblings.begin(), siblings.end(), this) - siblings.begin());
}

void TComponent::SetName(const std::string& name)
{
    if (name_ == name)
        return;
    if (!name.empty() && !IsValidIdent(name))
        throw CreateFmt<EComponentError>("'%s' is not a valid component name", name);
    if (owner_ && !name.empty() && !SameText(name, name_) && owner_->FindComponent(name))
        throw CreateFmt<EComponentError>("A component named %s already exists", name);
    name_ = name;
}

void TComponent::SetStateFlag(TComponentStateFlag flag, bool on)
{
    if (on)
        state_ |= flag;
    else
        state_ &= ~static_cast<TComponentState>(flag);
}

TComponent* TComponent::FindComponent(const std::string& name) const
{
    if (name.empty())
        return nullptr;
    for (TComponent* component : components_)
        if (SameText(component->name_, name))
            return component;
    return nullptr;
}

void TComponent::InsertComponent(TComponent* component)
{
    if (!component || component->owner_ == this)
        return;
    if (!component->name_.empty() && FindComponent(component->name_))
        throw CreateFmt<EComponentError>("A component named %s already exists", component->name_);
    if (component->owner_)
        component->owner_->RemoveComponent(component);
    Insert(component);
    Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component)
{
    if (!component || component->owner_ != this)
        return;
    Notification(component, opRemove);
    Remove(component);
}

void TComponent::Insert(TComponent* component)
{
    components_.push_back(component);
    component->owner_ = this;
}

void TComponent::Remove(TComponent* component)
{
    std::erase(components_, component);
    component->owner_ = nullptr;
}

void TComponent::DestroyComponents()
{
    while (!components_.empty()) {
        TComponent* component = components_.back();
        Remove(component);
        // Its siblings may hold it (an image list of a list view): they hear
        // of it before it goes.
        Notification(component, opRemove);
        delete component;
    }
}

void TComponent::FreeNotification(TComponent* component)
{
    // Components of one owner hear of each other's removal through the owner.
    if (!component || component == this || (owner_ && component->owner_ == owner_))
        return;
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), component) == freeNotifies_.end())
        freeNotifies_.push_back(component);
    if (std::find(component->freeNotifies_.begin(), component->freeNotifies_.end(), this) ==
        component->freeNotifies_.end())
        component->freeNotifies_.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* component)
{
    if (!component)
        return;
    std::erase(freeNotifies_, component);
    std::erase(component->freeNotifies_, this);
}

void TComponent::Loaded() { SetStateFlag(csLoading, false); }

void TComponent::Notification(TComponent* component, TOperation operation)
{
    if (operation == opRemove && component)
        RemoveFreeNotification(component);
    // A copy: a handler may free or move components while the news spreads.
    const std::vector<TComponent*> owned = components_;
    for (TComponent* child : owned)
        if (std::find(components_.begin(), components_.end(), child) != components_.end())
            child->Notification(component, operation);
}

void TComponent::AnnounceFreeing()
{
    MarkDestroying();
    // Tell those that refer to this component, newest request first.
    while (!freeNotifies_.empty()) {
        TComponent* other = freeNotifies_.back();
        freeNotifies_.pop_back();
        std::erase(other->freeNotifies_, this);
        other->Notification(this, opRemove);
    }
    if (owner_)
        owner_->RemoveComponent(this);
}

void TComponent::MarkDestroying()
{
    state_ |= csDestroying;
    for (TComponent* child : components_)
        child->MarkDestroying();
}
