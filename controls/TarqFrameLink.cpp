#include "controls/TarqFrameLink.h"

TTarqFrameLink::~TTarqFrameLink()
{
    if (controller_)
        controller_->RemoveControl(&control_);
}

bool TTarqFrameLink::Set(TTarqFrameController* value)
{
    TTarqFrameController* old = controller_;
    if (!controller_.Set(value))
        return false;
    if (old)
        old->RemoveControl(&control_);
    if (value)
        value->AddControl(&control_);
    return true;
}

const TTarqFrameController* TTarqFrameLink::VisibleController() const
{
    return controller_ && controller_->FrameVisible() ? controller_.Get() : nullptr;
}
