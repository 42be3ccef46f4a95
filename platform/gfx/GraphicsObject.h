#pragma once
// Base of pens, brushes and fonts: a persistent value that announces changes.

#include "platform/core/Persistent.h"

class TGraphicsObject : public TPersistent {
public:
    // Raised after every change of a property value.
    TNotifyEvent OnChange;

protected:
    void Changed()
    {
        if (OnChange)
            OnChange(this);
    }

    // Stores a new value and announces it; an unchanged value does nothing.
    template <typename T>
    void Update(T& field, const T& value)
    {
        if (field == value)
            return;
        field = value;
        Changed();
    }
};
