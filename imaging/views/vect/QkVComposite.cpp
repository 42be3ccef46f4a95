// Objects that are translucent, blended, shadowed or AND-filled are drawn
// into an off-screen buffer first: once in colour, once more in gray for
// their coverage (the alpha channel), then shadowed and blended onto the
// destination over the area they touched.

#include <algorithm>
#include <cstring>

#include "imaging/core/QkCanvas.h"
#include "imaging/core/QkRender.h"
#include "imaging/core/QkSoftShadow.h"
#include "imaging/views/vect/QkVDrawing.h"
#include "platform/gfx/Bitmap.h"

namespace {

TColor Gray(int32_t level)
{
    const auto value = uint8_t(std::clamp(level, 0, 255));
    return RGB(value, value, value);
}

TRect Clamped(const TRect& rect, int32_t width, int32_t height)
{
    return {std::clamp(std::min(rect.Left, rect.Right), 0, width - 1),
            std::clamp(std::min(rect.Top, rect.Bottom), 0, height - 1),
            std::clamp(std::max(rect.Left, rect.Right), 0, width - 1),
            std::clamp(std::max(rect.Top, rect.Bottom), 0, height - 1)};
}

} // namespace

bool TQkVObjectPainter::DrawnDirectly(const TQkVObject& record) const
{
    if (FastDrawing && settings_.FastDrawWhileDragging)
        return true;
    const bool textual = record.Kind == qkvkText || record.Kind == qkvkMemo;
    return !record.SoftShadow.Enabled && !record.AndFill && record.BlendOperation == 0 &&
        (record.Transparency == 255 || !textual);
}

void TQkVObjectPainter::DrawObjects(int32_t hobj, bool antiAlias, const TQkVMapping& mapping, const TRect* imageArea,
                                    TBitmap& destination)
{
    if (settings_.HideObjects || destination.Width() <= 0 || destination.Height() <= 0)
        return;
    std::vector<int32_t> handles;
    if (hobj == qkvAllObjects)
        handles = objects_.ZOrder();
    else if (objects_.GetObjectRecord(hobj))
        handles = {hobj};
    const bool offscreen =
        (settings_.OffscreenObjectDrawing || drawingIntoImage_) && objects_.ObjectCount() > 0 && !IsGdiPlusActive();
    const int32_t supersample = offscreen && antiAlias ? 2 : 1;
    for (const int32_t handle : handles) {
        TQkVObject& record = *objects_.GetObjectRecord(handle);
        if (offscreen)
            CompositeObject(record, handle, mapping, imageArea, destination, supersample);
        else if (DrawnDirectly(record))
            DrawObject(record, handle, false, mapping, nullptr, imageArea, destination);
        else
            CompositeObject(record, handle, mapping, imageArea, destination, 1);
    }
}

void TQkVObjectPainter::PrepareBuffer(int32_t width, int32_t height)
{
    if (buffer_ && buffer_->GetWidth() == width && buffer_->GetHeight() == height)
        return;
    buffer_ = std::make_unique<TQkBitmap>();
    buffer_->SetLocation(qkTBitmap);
    buffer_->Allocate(width, height, qk24RGB);
    buffer_->GetAlphaChannel();
    coverage_ = std::make_unique<TBitmap>(width, height, pf24bit);
}

void TQkVObjectPainter::CompositeObject(TQkVObject& record, int32_t hobj, const TQkVMapping& mapping,
                                        const TRect* imageArea, TBitmap& destination, int32_t supersample)
{
    PrepareBuffer(destination.Width() * supersample, destination.Height() * supersample);
    TBitmap& colour = *buffer_->GetVclBitmap();
    const TQkVMapping drawing = mapping.Scaled(supersample);
    const TRect scaledArea = imageArea ? TRect{imageArea->Left * supersample, imageArea->Top * supersample,
                                               imageArea->Right * supersample, imageArea->Bottom * supersample}
                                       : TRect{};
    const TRect* clip = imageArea ? &scaledArea : nullptr;
    // Edges that anti-aliasing softens blend toward the object's own colour.
    colour.Canvas()->Brush()->SetStyle(bsSolid);
    colour.Canvas()->Brush()->SetColor(record.PenColor);
    colour.Canvas()->FillRect(TRect{0, 0, colour.Width(), colour.Height()});
    if (record.AndFill)
        CopyUnder(record, drawing, destination, supersample);
    if (!DrawObject(record, hobj, false, drawing, buffer_.get(), clip, colour))
        return;
    buffer_->GetAlphaChannel()->Fill(0);
    if (record.Kind == qkvkBitmap && objects_.GetSharedBitmap(record.BitmapIndex))
        DrawObject(record, hobj, false, drawing, buffer_.get(), clip, colour); // writes the image's own alpha
    else
        DrawCoverage(record, hobj, drawing, clip);
    TRect area = CompositedArea(record, supersample);
    if (record.SoftShadow.Enabled)
        area = AddShadow(record, area, supersample);
    TQkRenderTables tables;
    TQkRenderOptions options;
    options.Operation = record.BlendOperation;
    options.Filter = supersample > 1 ? rfTriangle : rfNone;
    const TQkRenderRect source{area.Left, area.Top, area.Right - area.Left + 1, area.Bottom - area.Top + 1};
    const TQkRenderRect target{area.Left / supersample, area.Top / supersample, source.Width / supersample,
                               source.Height / supersample};
    RenderToTBitmapEx(*buffer_, destination, tables, target, source, options);
}

// The destination under the object's box, stretched into the buffer, so that
// an AND fill combines with the picture underneath.
void TQkVObjectPainter::CopyUnder(const TQkVObject& record, const TQkVMapping& drawing, TBitmap& destination,
                                  int32_t supersample)
{
    const TRect box =
        Clamped({drawing.MapX(record.X1), drawing.MapY(record.Y1), drawing.MapX(record.X2), drawing.MapY(record.Y2)},
                buffer_->GetWidth(), buffer_->GetHeight());
    for (int32_t y = box.Top; y <= box.Bottom; ++y) {
        const uint8_t* from = destination.ScanLine(std::min(y / supersample, destination.Height() - 1));
        uint8_t* to = buffer_->GetScanline(y);
        for (int32_t x = box.Left; x <= box.Right; ++x)
            std::memcpy(to + 3 * x, from + 3 * std::min(x / supersample, destination.Width() - 1), 3);
    }
}

// The object drawn once more in the gray of its opacity, on black: where it
// covers the buffer, and how much, becomes the buffer's alpha channel.
void TQkVObjectPainter::DrawCoverage(TQkVObject& record, int32_t hobj, const TQkVMapping& drawing, const TRect* clip)
{
    // Only the area the colour pass drew is cleared and taken over: the
    // coverage pass draws the same shapes.
    const TRect area = CompositedArea(record, 1);
    TBitmap& coverage = *coverage_;
    coverage.Canvas()->Brush()->SetStyle(bsSolid);
    coverage.Canvas()->Brush()->SetColor(clBlack);
    coverage.Canvas()->FillRect(TRect{area.Left, area.Top, area.Right + 1, area.Bottom + 1});
    const TColor gray = Gray(record.Transparency);
    const TColor saved[] = {record.PenColor, record.BrushColor, record.LabelBrushColor, record.MemoBorderColor};
    record.PenColor = record.BrushColor = record.LabelBrushColor = record.MemoBorderColor = gray;
    DrawObject(record, hobj, true, drawing, nullptr, clip, coverage);
    record.PenColor = saved[0];
    record.BrushColor = saved[1];
    record.LabelBrushColor = saved[2];
    record.MemoBorderColor = saved[3];
    TQkBitmap& alpha = *buffer_->GetAlphaChannel();
    for (int32_t y = area.Top; y <= area.Bottom; ++y) {
        const uint8_t* from = coverage.ScanLine(y);
        uint8_t* to = alpha.GetScanline(y);
        for (int32_t x = area.Left; x <= area.Right; ++x)
            to[x] = from[3 * x + 2];
    }
}

TRect TQkVObjectPainter::CompositedArea(const TQkVObject& record, int32_t supersample)
{
    const int32_t margin = record.DrawMargin;
    TRect area{record.DrawnRect.Left - margin, record.DrawnRect.Top - margin, record.DrawnRect.Right + margin,
               record.DrawnRect.Bottom + margin};
    if (supersample > 1)
        area = {area.Left + 2, area.Top + 2, area.Right - 2, area.Bottom - 2};
    return Clamped(area, buffer_->GetWidth(), buffer_->GetHeight());
}

TRect TQkVObjectPainter::AddShadow(const TQkVObject& record, const TRect& area, int32_t supersample)
{
    const TQkVSoftShadow& shadow = record.SoftShadow;
    const TColor tint = RGB(shadow.ShadowColor[2], shadow.ShadowColor[1], shadow.ShadowColor[0]);
    const int32_t margin =
        AddSoftShadow(*buffer_, shadow.OffsetX * supersample, shadow.OffsetY * supersample, shadow.Radius * supersample,
                      shadow.Intensity, tint, area.Left, area.Top, area.Right, area.Bottom);
    return {std::max(area.Left - margin, 0), std::max(area.Top - margin, 0),
            std::min(area.Right + margin, buffer_->GetWidth() - 1),
            std::min(area.Bottom + margin, buffer_->GetHeight() - 1)};
}

void TQkVObjectPainter::DrawObjectsToBitmap(TQkBitmap& image, bool antiAlias, int32_t hobj)
{
    const bool wasFast = FastDrawing;
    FastDrawing = false;
    drawingIntoImage_ = antiAlias;
    if (image.GetPixelFormat() == qk24RGB && image.GetVclBitmap()) {
        DrawObjects(hobj, antiAlias, TQkVMapping(), nullptr, *image.GetVclBitmap());
    } else {
        TQkBitmap work;
        work.SetLocation(qkTBitmap);
        work.Assign(&image);
        const TQkPixelFormat format = image.GetPixelFormat();
        work.ConvertToPixelFormat(qk24RGB);
        if (TBitmap* canvas = work.GetVclBitmap())
            DrawObjects(hobj, antiAlias, TQkVMapping(), nullptr, *canvas);
        work.ConvertToPixelFormat(format);
        image.Assign(&work);
    }
    drawingIntoImage_ = false;
    FastDrawing = wasFast;
}
