#include "controls/TarqFrameSettings.h"

#include "controls/TarqFrames.h"
#include "platform/ui/Themes.h"

bool TTarqFrameSettings::UsesThemes() const
{
    return framingPreference == fpXPThemes && ThemeServices()->ThemesEnabled();
}

bool TTarqFrameSettings::TakeHotTrack(bool value, bool loading)
{
    if (hotTrack == value)
        return false;
    hotTrack = value;
    if (value && !loading)
        sides = AllSides;
    return true;
}

void TTarqFrameSettings::DrawNonClient(TCanvas& canvas, int32_t width, int32_t height, TColor background,
                                       bool hot) const
{
    if (Drawn())
        DrawControlFrame(canvas, width, height, sides, CurrentColor(hot), background, CurrentStyle(hot), false);
}
