#pragma once
// The window a control floats in when it is undocked onto no dock site: a
// small tool window that is itself a dock site, holding the control over its
// whole client area, and that goes away when its last client leaves.

#include "platform/ui/Form.h"

class TCustomDockForm : public TCustomForm {
public:
    explicit TCustomDockForm(TComponent* owner);

protected:
    void DoAddDockClient(TControl* client, const TRect& rect) override;
    void DoRemoveDockClient(TControl* client) override;
};
