#include "platform/ui/Themes.h"

#include "platform/ui/Controls.h"
#include "platform/ui/Form.h"
#include "platform/ui/Screen.h"

namespace {

TThemeServices*& Installed()
{
    static TThemeServices* services = nullptr;
    return services;
}

TClassicThemeServices& Classic()
{
    static TClassicThemeServices classic;
    return classic;
}

void NotifyTree(TControl* control)
{
    control->Perform(WM_THEMECHANGED);
    if (auto* window = dynamic_cast<TWinControl*>(control))
        for (int32_t i = 0; i < window->ControlCount(); ++i)
            NotifyTree(window->Controls(i));
}

} // namespace

TThemeServices* ThemeServices() { return Installed() ? Installed() : &Classic(); }

void SetThemeServices(TThemeServices* services)
{
    Installed() = services;
    ThemeServices()->Changed();
}

void TThemeServices::Changed()
{
    for (int32_t i = 0; i < Screen()->FormCount(); ++i) {
        TCustomForm* form = Screen()->Forms(i);
        NotifyTree(form);
        form->InvalidateTree();
    }
}

void TClassicThemeServices::DrawParentBackground(TControl& control, TCanvas& canvas, const TRect* bounds)
{
    int saved = canvas.SaveDC();
    if (bounds)
        canvas.IntersectClipRect(bounds->Left, bounds->Top, bounds->Right, bounds->Bottom);
    control.PaintParentBackground(canvas);
    canvas.RestoreDC(saved);
}

TColor TRecordingThemeServices::ElementColor(const TThemedElementDetails& details)
{
    return RGB(static_cast<uint8_t>(40 + 20 * static_cast<int>(details.Element)),
               static_cast<uint8_t>(10 * details.Part), static_cast<uint8_t>(30 * details.State));
}

void TRecordingThemeServices::DrawElement(TCanvas& canvas, const TThemedElementDetails& details, const TRect& rect,
                                          const TRect* clip)
{
    Calls.push_back({"DrawElement", details, rect});
    int saved = canvas.SaveDC();
    if (clip)
        canvas.IntersectClipRect(clip->Left, clip->Top, clip->Right, clip->Bottom);
    canvas.Brush()->SetColor(ElementColor(details));
    canvas.FillRect(rect);
    canvas.RestoreDC(saved);
}

void TRecordingThemeServices::DrawParentBackground(TControl& control, TCanvas& canvas, const TRect* bounds)
{
    Calls.push_back({"DrawParentBackground", {}, bounds ? *bounds : control.ClientRect()});
    int saved = canvas.SaveDC();
    if (bounds)
        canvas.IntersectClipRect(bounds->Left, bounds->Top, bounds->Right, bounds->Bottom);
    control.PaintParentBackground(canvas);
    canvas.RestoreDC(saved);
}

TRect TRecordingThemeServices::ContentRect(TCanvas&, const TThemedElementDetails& details, const TRect& bounds)
{
    Calls.push_back({"ContentRect", details, bounds});
    return InflateRect(bounds, -ContentMargin, -ContentMargin);
}
