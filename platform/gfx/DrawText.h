#pragma once
// Formatted text in a rectangle with the window system's DrawText rules.

#include "platform/gfx/Canvas.h"

#include <cstdint>
#include <string>

constexpr uint32_t DT_TOP = 0x0, DT_LEFT = 0x0, DT_CENTER = 0x1, DT_RIGHT = 0x2, DT_VCENTER = 0x4, DT_BOTTOM = 0x8,
                   DT_WORDBREAK = 0x10, DT_SINGLELINE = 0x20, DT_EXPANDTABS = 0x40, DT_NOCLIP = 0x100,
                   DT_EXTERNALLEADING = 0x200, DT_CALCRECT = 0x400, DT_NOPREFIX = 0x800, DT_PATH_ELLIPSIS = 0x4000,
                   DT_END_ELLIPSIS = 0x8000, DT_RTLREADING = 0x20000, DT_HIDEPREFIX = 0x100000;

// Draws `text` in `rect` with the canvas's font, text colour and background
// mode, and returns the height of the text.
// - Lines break at CR, LF and CR LF unless DT_SINGLELINE; DT_WORDBREAK also
//   breaks after spaces and next to ideographs so that lines fit the width
//   (a longer word keeps a line of its own), dropping the spaces at a break.
// - DT_EXPANDTABS: tab stops every eight average character widths.
// - "&x" underlines x and "&&" shows "&" unless DT_NOPREFIX; DT_HIDEPREFIX
//   drops the "&" without underlining.
// - DT_END_ELLIPSIS ends a line that does not fit with "..."; DT_PATH_ELLIPSIS
//   puts "..." before the last path separator instead.
// - DT_VCENTER and DT_BOTTOM place a single line; the text is clipped to the
//   rectangle unless DT_NOCLIP.
// - DT_CALCRECT draws nothing and sets rect's Right and Bottom to the text's
//   extent (the widest line).
int32_t DrawText(TCanvas& canvas, const std::string& text, TRect& rect, uint32_t format);
