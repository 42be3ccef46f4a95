#include "imaging/core/QkHintBox.h"

#include <algorithm>

#include "imaging/core/QkCanvas.h"
#include "imaging/core/QkDrawing.h"

namespace {

// The box's frame and fill start this far into the box; the text a little further.
constexpr int32_t BoxInset = 6;
constexpr int32_t TextInset = 9;
constexpr int32_t BoxPadding = 12;
constexpr TColor AlphaHintColor = 0x60FFFF;
constexpr uint8_t AlphaHintOpacity = 128;
constexpr TColor AlphaHintShadow = 8421504;

TRect FramedArea(int32_t x, int32_t y, int32_t width, int32_t height)
{
    return Rect(x + BoxInset, y + BoxInset, x + width, y + height);
}

} // namespace

void DrawHintBox(TCanvas& canvas, int32_t& x, int32_t& y, const std::string& text, const TFont& font,
                 const TBrush& brush, TBitmap& saved, int32_t areaWidth, int32_t areaHeight, TColor highlight,
                 TColor shadow)
{
    canvas.Font()->Assign(&font);
    canvas.Brush()->Assign(&brush);
    const int32_t width = canvas.TextWidth(text) + BoxPadding;
    const int32_t height = canvas.TextHeight(text) + BoxPadding;
    x = std::max(std::min(x, areaWidth - width - 1), 0);
    y = std::max(std::min(y, areaHeight - height - 1), 0);
    // The frame's right and bottom lines lie on x + width and y + height.
    saved.SetPixelFormat(pf24bit);
    saved.SetSize(width + 1, height + 1);
    saved.Canvas()->SetCopyMode(cmSrcCopy);
    saved.Canvas()->CopyRect(Rect(0, 0, width + 1, height + 1), &canvas, Rect(x, y, x + width + 1, y + height + 1));
    const TRect area = FramedArea(x, y, width, height);
    canvas.FillRect(area);
    Draw3DFrame(canvas, area, highlight, shadow);
    canvas.TextOut(x + TextInset, y + TextInset, text);
}

void DrawAlphaHintBox(TCanvas& canvas, int32_t& x, int32_t& y, const std::string& firstText,
                      const std::string& secondText)
{
    TQkCanvas box(canvas, true, true);
    box.GetFont()->SetName("Arial");
    box.GetFont()->SetSize(9);
    box.GetFont()->SetColor(clBlack);
    box.Brush().SetColor(AlphaHintColor);
    box.Brush().SetStyle(bsSolid);
    box.Brush().SetOpacity(AlphaHintOpacity);
    const int32_t width = std::max(box.TextWidth(firstText), box.TextWidth(secondText)) + BoxPadding;
    const int32_t height = box.TextHeight(secondText) + BoxPadding;
    x = std::max(x, 0);
    y = std::max(y, 0);
    const TRect area = FramedArea(x, y, width, height);
    box.FillRect(area);
    Draw3DFrameQk(box, area, clWhite, AlphaHintShadow);
    box.Brush().SetStyle(bsClear);
    box.TextOut(x + TextInset, y + TextInset, secondText);
}
