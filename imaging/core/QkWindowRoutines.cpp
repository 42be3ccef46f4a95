#include "imaging/core/QkWindowRoutines.h"

#include "platform/ui/ScrollBars.h"
#include "platform/ui/WindowSystem.h"

namespace {

bool SetScrollParts(HWND window, int32_t bar, const TScrollInfo& info, bool redraw)
{
    TWinControl* control = WindowSystem().FindControl(window);
    return control && SetScrollInfo(*control, bar, info, redraw);
}

} // namespace

bool SetScrollBarInfo(HWND window, int32_t bar, int32_t min, int32_t max, uint32_t page, int32_t position, bool redraw,
                      bool)
{
    return SetScrollParts(window, bar, {SIF_RANGE | SIF_PAGE | SIF_POS, min, max, page, position, 0}, redraw);
}

bool SetScrollBarRange(HWND window, int32_t bar, int32_t min, int32_t max, bool redraw, bool)
{
    return SetScrollParts(window, bar, {SIF_RANGE, min, max, 0, 0, 0}, redraw);
}

bool SetScrollBarPos(HWND window, int32_t bar, int32_t position, bool redraw, bool)
{
    return SetScrollParts(window, bar, {SIF_POS, 0, 0, 0, position, 0}, redraw);
}

bool EnableScrollBarEx(HWND window, int32_t bar, uint32_t arrows, bool)
{
    TWinControl* control = WindowSystem().FindControl(window);
    TWindowScrollBars* bars = control ? control->WindowScrollBars() : nullptr;
    if (!bars || (bar != SB_HORZ && bar != SB_VERT))
        return false;
    bars->Bar(bar).SetEnabled(arrows != ESB_DISABLE_BOTH);
    control->Invalidate();
    return true;
}

HWND GetOwnerWindowHandle(TComponent* component)
{
    for (; component; component = component->Owner()) {
        if (auto* control = dynamic_cast<TWinControl*>(component))
            return control->HandleAllocated() ? control->Handle() : 0;
    }
    return 0;
}
