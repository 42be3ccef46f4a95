#include "controls/TarqFieldColors.h"

#include "platform/ui/Controls.h"

void TTarqFieldColors::Show(TControl& field, TColor color)
{
    struct TShowing {
        bool& flag;
        explicit TShowing(bool& f) : flag(f) { flag = true; }
        ~TShowing() { flag = false; }
    } showing(showing_);
    field.SetColor(color);
}

void TTarqFieldColors::Adopt(TColor color)
{
    if (showing_)
        return;
    if (focus == normal)
        focus = color;
    normal = color;
}
