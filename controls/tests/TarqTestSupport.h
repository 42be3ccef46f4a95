#pragma once
// Helpers for the control library's tests: off-screen canvases read back as
// character grids, and a headless window system for the controls.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"
#include "platform/ui/tests/UiTestSupport.h"

// A colour no drawing routine produces, to see what was left untouched.
constexpr TColor Untouched = 0x030201;

using TLegend = std::vector<std::pair<char, TColor>>;

// The classic system colours of the frame tables, one letter each.
inline TLegend SystemLegend()
{
    return {{'.', Untouched},
            {'W', ColorToRGB(clBtnHighlight)},
            {'S', ColorToRGB(clBtnShadow)},
            {'D', ColorToRGB(cl3DDkShadow)},
            {'L', ColorToRGB(cl3DLight)},
            {'K', clBlack}};
}

// A bitmap filled with Untouched.
inline std::unique_ptr<TBitmap> BlankBitmap(int32_t width, int32_t height)
{
    auto bitmap = std::make_unique<TBitmap>(width, height);
    bitmap->Canvas()->FillSolidRect(Rect(0, 0, width, height), Untouched);
    return bitmap;
}

// One string per row: the legend letter of each pixel, '?' for other colours.
inline std::vector<std::string> Grid(TBitmap& bitmap, const TLegend& legend)
{
    std::vector<std::string> rows;
    for (int32_t y = 0; y < bitmap.Height(); ++y) {
        std::string row;
        for (int32_t x = 0; x < bitmap.Width(); ++x) {
            const TColor pixel = bitmap.Canvas()->Pixels(x, y);
            char letter = '?';
            for (const auto& [c, color] : legend)
                if (ColorToPixelRGB(color) == pixel) {
                    letter = c;
                    break;
                }
            row += letter;
        }
        rows.push_back(row);
    }
    return rows;
}

inline TColor PixelAt(TBitmap& bitmap, int32_t x, int32_t y) { return bitmap.Canvas()->Pixels(x, y); }

// The platform's headless desktop and input helpers, with the controls' own test form.
class TarqUiTest : public UiTest {
protected:
    // A borderless form at (50, 50) in the button face colour.
    std::unique_ptr<TForm> MakeForm(int32_t width = 300, int32_t height = 200)
    {
        auto form = UiTest::MakeForm(50, 50, width, height);
        form->SetColor(clBtnFace);
        return form;
    }
};

// The control (and its children) painted onto a canvas of Untouched pixels.
inline std::unique_ptr<TBitmap> Snapshot(TWinControl& control)
{
    auto bitmap = BlankBitmap(control.Width(), control.Height());
    control.PaintTo(*bitmap->Canvas(), 0, 0);
    return bitmap;
}

inline std::unique_ptr<TBitmap> Snapshot(TGraphicControl& control)
{
    auto bitmap = BlankBitmap(control.Width(), control.Height());
    control.Perform(WM_PAINT, reinterpret_cast<WPARAM>(bitmap->Canvas()));
    return bitmap;
}

// The first and last rows holding a pixel of neither colour, or {-1, -1}.
inline std::pair<int32_t, int32_t> InkRows(TBitmap& bitmap, const TRect& area, TColor background)
{
    int32_t first = -1, last = -1;
    for (int32_t y = area.Top; y < area.Bottom; ++y)
        for (int32_t x = area.Left; x < area.Right; ++x)
            if (PixelAt(bitmap, x, y) != ColorToPixelRGB(background)) {
                if (first < 0)
                    first = y;
                last = y;
                break;
            }
    return {first, last};
}
