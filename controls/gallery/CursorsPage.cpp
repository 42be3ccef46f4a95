// The custom cursors' page: the track bar's own cursor pictures, the double
// arrow along a horizontal and along an upright bar, beside the bars that
// show them over their thumbs.

#include "controls/TarqTrkBar.h"

#include "platform/backend/Gallery.h"
#include "platform/ui/Image.h"

namespace {

// The picture as the desktop shows it over the form's face.
void ShowCursorPicture(TCustomForm& form, TPoint at, const TCursorImage& cursor)
{
    TBitmap& picture = *cursor.Image;
    auto* image = new TImage(&form);
    image->SetBounds(at.X, at.Y, picture.Width(), picture.Height());
    image->SetParent(&form);
    TCanvas& canvas = *image->Canvas();
    canvas.FillSolidRect(Rect(0, 0, picture.Width(), picture.Height()), clBtnFace);
    canvas.AlphaBlend(0, 0, picture.Width(), picture.Height(), picture.Canvas(), 0, 0, picture.Width(),
                      picture.Height(), TBlendFunction{});
}

TTarqTrackBar* AddBar(TCustomForm& form, TRect bounds, TOrientation orientation)
{
    auto* bar = new TTarqTrackBar(&form);
    bar->SetOrientation(orientation);
    bar->SetBoundsRect(bounds);
    bar->SetParent(&form);
    bar->SetMax(10);
    bar->SetPosition(5);
    return bar;
}

std::unique_ptr<TCustomForm> CreatePage()
{
    auto form = NewGalleryForm(300, 140);
    TTarqTrackBar* horizontal = AddBar(*form, Rect(10, 10, 210, 55), orHorizontal);
    TTarqTrackBar* upright = AddBar(*form, Rect(10, 65, 55, 130), orVertical);
    ShowCursorPicture(*form, Point(230, 15), horizontal->ThumbCursor());
    ShowCursorPicture(*form, Point(230, 80), upright->ThumbCursor());
    return form;
}

const bool registered = RegisterGalleryPage({
    "custom-cursors",
    CreatePage,
    // Each double arrow: white inside, its black outline at the tip, the form
    // around it.
    {{{246, 31}, clWhite}, {{234, 31}, clBlack}, {{231, 16}, clBtnFace}, {{246, 96}, clWhite}, {{246, 84}, clBlack}},
});

} // namespace
