#pragma once
// The display facts the drawing routines read: whether the display shows
// full colour and which colour scheme the desktop theme uses. Both are read
// once at start-up; a panel re-reads the scheme when the theme changes.

#include <cstdint>
#include <string>

// The desktop theme's colour-scheme name. The platform keeps no such setting,
// so it lives here; empty (as when nothing is set) means the default scheme.
extern std::string ThemeManagerColorName;

extern bool FullColorDisplay;
// 0 blue (the default), 1 olive, 2 silver.
extern uint8_t XPColorScheme;

// "HOMESTEAD" gives 1, "METALLIC" 2, anything else 0 (compared upper-cased).
uint8_t ReadXPColorScheme();
// Every backend of this platform renders full colour.
bool DisplayHasFullColor();
