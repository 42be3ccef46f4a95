#pragma once
// Window helpers of the image view: the window scroll bars by window handle
// and the window an owned component draws into. Flat scroll bars have no
// look of their own here: `flat` is accepted and draws the classic bar.

#include <cstdint>

#include "platform/ui/Controls.h"

// Arrows argument of EnableScrollBarEx.
constexpr uint32_t ESB_ENABLE_BOTH = 0, ESB_DISABLE_BOTH = 3;

// Range, page and position; false for an unknown window or one without
// that scroll bar.
bool SetScrollBarInfo(HWND window, int32_t bar, int32_t min, int32_t max, uint32_t page, int32_t position, bool redraw,
                      bool flat);
bool SetScrollBarRange(HWND window, int32_t bar, int32_t min, int32_t max, bool redraw, bool flat);
bool SetScrollBarPos(HWND window, int32_t bar, int32_t position, bool redraw, bool flat);
// ESB_DISABLE_BOTH disables the bar; every other value enables it (the
// classic bar has no single-arrow disabling).
bool EnableScrollBarEx(HWND window, int32_t bar, uint32_t arrows, bool flat);

// The handle of the first windowed control among the component and its
// owners; 0 when there is none or its handle is not allocated yet.
HWND GetOwnerWindowHandle(TComponent* component);
