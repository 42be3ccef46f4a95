#pragma once
// TQkEdit: the one-line editor of text objects. It is the platform's edit
// but takes Tab and the navigation keys for itself and never types a Tab.

#include "platform/ui/Edit.h"

class TQkEdit : public TEdit {
public:
    explicit TQkEdit(TComponent* owner) : TEdit(owner) {}

protected:
    void Dispatch(TMessage& message) override;
    void KeyPress(char32_t& key) override;
};
