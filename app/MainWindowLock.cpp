#include "app/MainWindowLock.h"

#include "app/UnitQuorvid.h"
#include "controls/TarqPanel.h"
#include "controls/aa/AACtrls.h"
#include "platform/gfx/Bitmap.h"
#include "platform/ui/Image.h"

namespace {

TImage& ImageLock(TFrmQuorvid& window)
{
    auto* image = dynamic_cast<TImage*>(window.FindComponent("ImageLock"));
    if (!image)
        throw Exception("The main window has no ImageLock.");
    return *image;
}

void ShowPanels(TFrmQuorvid& window, bool show)
{
    window.PanelSource->SetVisible(show);
    window.PanelOutput->SetVisible(show);
    window.LabelLanguage->SetEnabled(show);
    window.ImageLanguage->SetEnabled(show);
}

} // namespace

void LockMainWindow(TFrmQuorvid& window)
{
    TImage& lock = ImageLock(window);
    TTarqPanel& face = *window.PanelFace;
    TBitmap* picture = lock.Picture()->Bitmap();
    picture->SetPixelFormat(pf24bit);
    picture->SetSize(face.ClientWidth(), face.ClientHeight());
    face.PaintTo(*picture->Canvas(), 0, 0);
    lock.SetBounds(0, 0, face.ClientWidth(), face.ClientHeight());
    lock.SetVisible(true);
    ShowPanels(window, false);
}

void UnlockMainWindow(TFrmQuorvid& window)
{
    ImageLock(window).SetVisible(false);
    ShowPanels(window, true);
}
