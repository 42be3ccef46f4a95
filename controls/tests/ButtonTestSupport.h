#pragma once
// Helpers for the button tests: shown forms driven by injected input,
// painted images of a control, ink bounding boxes and a recording theme.

#include <memory>
#include <string>

#include "TarqTestSupport.h"
#include "platform/gfx/DrawText.h"
#include "platform/ui/Themes.h"

// The control as it paints itself, over Untouched pixels.
inline std::unique_ptr<TBitmap> PaintedImage(TWinControl& control)
{
    auto bitmap = BlankBitmap(control.Width(), control.Height());
    control.PaintTo(*bitmap->Canvas(), 0, 0);
    return bitmap;
}

inline std::unique_ptr<TBitmap> PaintedImage(TGraphicControl& control)
{
    auto bitmap = BlankBitmap(control.Width(), control.Height());
    control.Perform(WM_PAINT, reinterpret_cast<WPARAM>(bitmap->Canvas()));
    return bitmap;
}

// The bounding box of the pixels of one colour (empty when there are none).
inline TRect InkBox(TBitmap& bitmap, TColor color)
{
    TRect box{};
    bool any = false;
    for (int32_t y = 0; y < bitmap.Height(); ++y)
        for (int32_t x = 0; x < bitmap.Width(); ++x)
            if (PixelAt(bitmap, x, y) == ColorToPixelRGB(color)) {
                box = any ? Rect(std::min(box.Left, x), std::min(box.Top, y), std::max(box.Right, x + 1),
                                 std::max(box.Bottom, y + 1))
                          : Rect(x, y, x + 1, y + 1);
                any = true;
            }
    return box;
}

// A bitmap of one colour.
inline std::unique_ptr<TBitmap> SolidBitmap(int32_t width, int32_t height, TColor color)
{
    auto bitmap = std::make_unique<TBitmap>(width, height);
    bitmap->Canvas()->FillSolidRect(Rect(0, 0, width, height), color);
    return bitmap;
}

// A shown form on the headless desktop, with the classic theme restored
// after each test.
class ButtonUiTest : public TarqUiTest {
protected:
    ButtonUiTest() { form->Show(); }
    ~ButtonUiTest() override { SetThemeServices(nullptr); }

    void UseRecordingTheme() { SetThemeServices(&themes); }

    std::unique_ptr<TForm> form = MakeForm();
    TRecordingThemeServices themes;
};
