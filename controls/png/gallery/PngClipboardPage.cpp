// A PNG picture with a transparent colour copied to the clipboard and
// pasted into an image: the clipboard carries it as a bitmap drawn on white,
// so the transparent part comes back white and opaque.

#include "controls/png/pngimage.h"

#include "platform/backend/Gallery.h"
#include "platform/gfx/Canvas.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/Image.h"

namespace {

// A blue block on magenta, magenta being the transparent colour.
std::unique_ptr<TPNGObject> DrawnPicture()
{
    TBitmap drawn(100, 60, pf24bit);
    drawn.Canvas()->Brush()->SetColor(clFuchsia);
    drawn.Canvas()->FillRect(Rect(0, 0, 100, 60));
    drawn.Canvas()->Brush()->SetColor(clBlue);
    drawn.Canvas()->FillRect(Rect(20, 15, 80, 45));
    auto picture = std::make_unique<TPNGObject>();
    picture->AssignBitmap(drawn, true, clFuchsia);
    return picture;
}

std::unique_ptr<TCustomForm> CreatePage()
{
    TClipFormat format = 0;
    std::vector<uint8_t> data;
    DrawnPicture()->SaveToClipboardFormat(format, data);
    Clipboard()->SetFormatData(format, std::move(data));
    TPNGObject pasted;
    pasted.LoadFromClipboardFormat(format, Clipboard()->FormatData(format));
    Clipboard()->ClearFormats();

    auto form = NewGalleryForm(120, 80);
    auto* image = new TImage(form.get());
    image->SetParent(form.get());
    image->SetBounds(10, 10, 100, 60);
    image->Picture()->SetGraphic(&pasted);
    return form;
}

const bool registered = RegisterGalleryPage({
    "png-clipboard",
    CreatePage,
    {{{5, 5}, clBtnFace}, {{15, 15}, clWhite}, {{60, 40}, clBlue}},
});

} // namespace
