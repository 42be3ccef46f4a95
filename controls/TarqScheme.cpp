#include "controls/TarqScheme.h"

#include "platform/core/Strings.h"

std::string ThemeManagerColorName;

uint8_t ReadXPColorScheme()
{
    const std::string name = UpperCase(ThemeManagerColorName);
    if (name == "HOMESTEAD")
        return 1;
    if (name == "METALLIC")
        return 2;
    return 0;
}

bool DisplayHasFullColor() { return true; }

bool FullColorDisplay = DisplayHasFullColor();
uint8_t XPColorScheme = ReadXPColorScheme();
