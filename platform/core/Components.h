#pragma once
// TComponent: named, owned components with free notification.
//
// An owner frees the components it owns when it is destroyed. Before any of
// them goes, everything that asked for its free notification hears
// Notification(it, opRemove). Because the derived parts of an owner are
// already gone when ~TComponent frees the owned components, an owner whose
// components use the owner's own members during destruction calls
// DestroyComponents() in its own destructor first.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/core/Exceptions.h"
#include "platform/core/Persistent.h"

class EComponentError : public Exception {
public:
    using Exception::Exception;
};

enum TComponentStateFlag : uint32_t {
    csLoading = 1,
    csReading = 2,
    csWriting = 4,
    csDestroying = 8,
    csDesigning = 16, // never set: there is no designer
};
using TComponentState = uint32_t;

enum TOperation { opInsert, opRemove };

// True for a letter or "_" followed by letters, digits and "_" (ASCII).
bool IsValidIdent(const std::string& ident);

class TComponent : public TPersistent {
public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;

    TComponent* Owner() const { return owner_; }
    int32_t ComponentCount() const { return static_cast<int32_t>(components_.size()); }
    // Raises EListError for an index out of range.
    TComponent* Components(int32_t index) const;
    // Position in the owner's list, -1 without owner.
    int32_t ComponentIndex() const;

    const std::string& Name() const { return name_; }
    // Raises EComponentError "'%s' is not a valid component name" or
    // "A component named %s already exists" (names compare case-insensitively
    // among the owner's components).
    void SetName(const std::string& name);
    int32_t Tag() const { return tag_; }
    void SetTag(int32_t tag) { tag_ = tag; }

    TComponentState ComponentState() const { return state_; }
    bool HasState(TComponentStateFlag flag) const { return (state_ & flag) != 0; }
    // For the form reader: csLoading and csReading while a resource is read.
    void SetStateFlag(TComponentStateFlag flag, bool on);

    // The owned component of that name (case-insensitive), or nullptr.
    TComponent* FindComponent(const std::string& name) const;

    // Takes `component` into (or out of) this owner's list, notifying every
    // owned component with opInsert (opRemove).
    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);
    // Frees every owned component, the last first.
    void DestroyComponents();

    // `component` hears Notification(this, opRemove) when this one is freed
    // (a reference setter calls value->FreeNotification(this)); the request is
    // mutual, so whichever goes first tells the other.
    // Components of the same owner need none: the owner passes removals on.
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

    // Called once the form reader has set every property; clears csLoading.
    virtual void Loaded();

protected:
    // Hears about components inserted into or removed from the owner's
    // family and about freed components this one asked to hear of. The
    // default forgets a removed component's free notification and passes the
    // news on to the owned components.
    virtual void Notification(TComponent* component, TOperation operation);
    // Marks this component as being destroyed, tells everything that asked
    // for its free notification and leaves its owner, whose family hears of
    // the removal. ~TComponent does it when the derived parts are already
    // gone; a class whose listeners still call its own members on removal
    // calls it first thing in its own destructor.
    void AnnounceFreeing();
    void MarkDestroying();

private:
    void Insert(TComponent* component);
    void Remove(TComponent* component);

    TComponent* owner_ = nullptr;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> freeNotifies_;
    std::string name_;
    int32_t tag_ = 0;
    TComponentState state_ = 0;
};

// A component's reference to a component it does not own. Setting it asks the
// target for its free notification (and drops the old target's); the holder's
// Notification calls Forget, which nulls the reference when the target goes.
template <class T>
class TComponentRef {
public:
    explicit TComponentRef(TComponent* holder) : holder_(holder) {}
    TComponentRef(const TComponentRef&) = delete;
    TComponentRef& operator=(const TComponentRef&) = delete;

    T* Get() const { return target_; }
    operator T*() const { return target_; }
    T* operator->() const { return target_; }

    // False (and nothing done) for the current target.
    bool Set(T* value)
    {
        if (target_ == value)
            return false;
        if (target_)
            target_->RemoveFreeNotification(holder_);
        target_ = value;
        if (target_)
            target_->FreeNotification(holder_);
        return true;
    }

    // True when `component` is the target being removed; the reference is then null.
    // The component may be half destroyed: only addresses are compared.
    bool Forget(TComponent* component, TOperation operation)
    {
        if (operation != opRemove || !target_ || static_cast<TComponent*>(target_) != component)
            return false;
        target_ = nullptr;
        return true;
    }

private:
    TComponent* holder_;
    T* target_ = nullptr;
};
