#include "controls/TarqBorder.h"

#include "controls/TarqColors.h"
#include "platform/ui/Controls.h"

void TTarqBorder::Apply(const TTarqFrameController& controller, TTarqFrameControllerNotifications accepted)
{
    if (accepted.Contains(fcpFrameStyle))
        outer = controller.FrameStyle();
    if (accepted.Contains(fcpFrameSides))
        sides = controller.FrameSides();
    if (accepted.Contains(fcpFrameColor)) {
        flatColor = controller.FrameColor();
        flatColorAdjustment = 0;
    }
}

void TTarqBorder::Apply(const TTarqFrameController& controller, TTarqFrameControllerNotifications accepted,
                        TControl& surface)
{
    Apply(controller, accepted);
    if (accepted.Contains(fcpColor))
        surface.SetColor(controller.Color());
    if (accepted.Contains(fcpParentColor))
        surface.SetParentColor(controller.ParentColor());
    if (accepted.Contains(fcpColor)) {
        highlight = LightenColor(surface.Color(), 100);
        shadow = DarkenColor(surface.Color(), 50);
    }
}
