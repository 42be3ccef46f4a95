#include "app/PreviewLayout.h"

#include <utility>

#include "app/FrameFilters.h"
#include "platform/core/Strings.h"
#include "platform/core/Types.h"

namespace {

int32_t RoundToInt(long double value) { return static_cast<int32_t>(Round(value)); }

TRect Turned(const TRect& rect)
{
    return Rect(rect.Left, rect.Top, rect.Left + rect.Height(), rect.Top + rect.Width());
}

// An item above the automatic one names a size; the automatic one keeps `automatic`.
TFrameSize ChosenSize(const TOutputChoice& choice, TFrameSize automatic)
{
    return choice.FrameSizeIndex > 0 ? ParseFrameSize(choice.FrameSizeText) : automatic;
}

// Lines of a placement 0..8; -1 for any other placement.
int32_t ColumnOf(int32_t placement) { return placement >= 0 && placement <= 8 ? placement / 3 : -1; }

int32_t RowOf(int32_t placement) { return placement >= 0 && placement <= 8 ? placement % 3 : -1; }

// Where a `size` long object starts along a `length` long edge: `offset`
// from the start (line 0), centred (1), `offset` from the end (2), else 0.
int32_t PlaceAlong(int32_t line, int32_t offset, int32_t length, int32_t size)
{
    switch (line) {
    case 0: return offset;
    case 1: return (length - size) / 2;
    case 2: return length - size - offset;
    default: return 0;
    }
}

// 3GP is never turned. The output turns clockwise, the imaging core
// counter-clockwise: "90" and "270" trade places.
std::string PreviewRotation(const TOutputChoice& choice)
{
    if (!choice.RotateEnabled || choice.Extension == "3gp")
        return "0";
    if (choice.RotateText == "90")
        return "270";
    if (choice.RotateText == "270")
        return "90";
    return choice.RotateText;
}

} // namespace

TRect FitRect(const TRect& source, const TRect& target)
{
    if (source.Width() <= 0 || source.Height() <= 0 || target.Width() <= 0 || target.Height() <= 0)
        return Rect(target.Left, target.Top, target.Left, target.Top);
    const double rx = double(source.Width()) / target.Width();
    const double ry = double(source.Height()) / target.Height();
    if (rx >= ry) {
        const int32_t c = RoundToInt((target.Height() - source.Height() / rx) / 2);
        return Rect(target.Left, target.Top + c, target.Right, target.Bottom - c);
    }
    const int32_t c = RoundToInt((target.Width() - source.Width() / ry) / 2);
    return Rect(target.Left + c, target.Top, target.Right - c, target.Bottom);
}

TOutputFrame OutputFrameOf(const TOutputChoice& choice, int32_t frameWidth, int32_t frameHeight)
{
    const TFrameSize source{frameWidth, frameHeight};
    TFrameSize size = source;
    if (choice.Extension == "3gp")
        size = ChosenSize(choice, TFrameSize{176, 144});
    else if (choice.Extension == "mp4")
        size = choice.FrameSizeIndex == 0 && choice.Kind != "mp4" ? TFrameSize{320, 240} : ChosenSize(choice, source);
    else if (choice.FrameSizeVisible)
        size = ChosenSize(choice, source);
    return {size.Width, size.Height, PreviewRotation(choice)};
}

TPreviewLayout LayOutPreview(int32_t frameWidth, int32_t frameHeight, const TRect& output, bool stretch,
                             const std::string& rotation, const TRect& area)
{
    TPreviewLayout layout;
    layout.Angle = StrToIntDef(rotation, 0);
    const bool turned = layout.Angle == 90 || layout.Angle == 270;
    layout.Frame = FitRect(turned ? Turned(output) : output, area);
    const TRect inside = Rect(0, 0, layout.Frame.Width(), layout.Frame.Height());
    if (stretch) {
        layout.Picture = inside;
    } else {
        const TRect picture = Rect(0, 0, frameWidth, frameHeight);
        layout.Picture = FitRect(turned ? Turned(picture) : picture, inside);
    }
    layout.PictureWidth = layout.Picture.Width();
    layout.PictureHeight = layout.Picture.Height();
    if (turned)
        std::swap(layout.PictureWidth, layout.PictureHeight);
    return layout;
}

TPoint WatermarkPosition(int32_t placement, int32_t marginX, int32_t marginY, int32_t sourceWidth, int32_t sourceHeight,
                         int32_t pngWidth, int32_t pngHeight)
{
    return {PlaceAlong(ColumnOf(placement), marginX, sourceWidth, pngWidth),
            PlaceAlong(RowOf(placement), marginY, sourceHeight, pngHeight)};
}

TRect WatermarkPreviewBounds(const TWatermarkPreview& preview)
{
    const int32_t width = RoundToInt(preview.PngWidth * static_cast<long double>(preview.ScaleX));
    const int32_t height = RoundToInt(preview.PngHeight * static_cast<long double>(preview.ScaleY));
    // The margins count from the picture's edges, which the letterbox insets.
    const int32_t offsetX = RoundToInt(preview.MarginX * static_cast<long double>(preview.ScaleX)) + preview.Picture.X;
    const int32_t offsetY = RoundToInt(preview.MarginY * static_cast<long double>(preview.ScaleY)) + preview.Picture.Y;
    const int32_t left = PlaceAlong(ColumnOf(preview.Placement), offsetX, preview.Frame.Width(), width);
    const int32_t top = PlaceAlong(RowOf(preview.Placement), offsetY, preview.Frame.Height(), height);
    return Bounds(left, top, width, height);
}
