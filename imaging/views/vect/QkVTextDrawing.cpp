// Texts and the labels of label lines: the object's font at the zoom, laid
// straight in the box or character by character along a curve.

#include <cmath>
#include <numbers>

#include "imaging/views/vect/QkVPainterFrame.h"
#include "imaging/views/vect/QkVTextFont.h"
#include "platform/core/Strings.h"

namespace {

constexpr double Pi = std::numbers::pi;

// The offset of a text of tw x th, turned by `angle`, within a box `width`
// wide, by alignment: 0 left, 1 right, else centred.
int32_t AlignedOffset(uint8_t align, double angle, int32_t width, int32_t tw, int32_t th)
{
    switch (align) {
    case 0: return std::abs(int32_t(std::trunc(std::sin(angle) * th)));
    case 1: return int32_t(std::trunc(width - std::cos(angle) * tw));
    default: return int32_t(std::trunc(width - std::cos(angle) * tw - std::sin(angle) * th)) / 2;
    }
}

// The code points of a UTF-8 text, each as its own string.
std::vector<std::string> Characters(const std::string& text)
{
    std::vector<std::string> characters;
    for (size_t at = 0; at < text.size();) {
        size_t length = 1;
        while (at + length < text.size() && (uint8_t(text[at + length]) & 0xC0) == 0x80)
            ++length;
        characters.push_back(text.substr(at, length));
        at += length;
    }
    return characters;
}

} // namespace

void TQkVObjectPainter::DrawTextObject(TObjectFrame& frame)
{
    TQkVObject& record = frame.Record;
    if (!record.Text)
        return;
    const TRect box = frame.OrderedBox();
    TQkCanvas& canvas = frame.Canvas;
    if (frame.Handle == EditedObject) {
        canvas.Brush().SetStyle(bsClear);
        canvas.Rectangle(box.Left - 1, box.Top - 1, box.Right + 2, box.Bottom + 2);
        frame.Include(TRect{box.Left - 1, box.Top - 1, box.Right + 1, box.Bottom + 1});
        return;
    }
    TFont& font = *canvas.GetFont();
    SelectObjectFont(font, record, frame.ZoomY, box.Bottom - box.Top, 0);
    if (!record.CurvePoints.empty() && !record.Text->empty()) {
        DrawCurveText(frame);
        return;
    }
    const double angle = (record.Font ? record.Font->lfEscapement : 0) / 10.0 * Pi / 180;
    const TSize extent = frame.Destination.Canvas()->TextExtent(*record.Text);
    const int32_t width = box.Right - box.Left;
    const int32_t height = box.Bottom - box.Top;
    const int32_t v = int32_t(std::trunc(height - std::cos(angle) * extent.cy + std::sin(angle) * extent.cx)) / 2;
    int32_t h = AlignedOffset(record.TextAlign, angle, width, extent.cx, extent.cy);
    if (record.PenStyle != psClear && record.TextAlign <= 1) {
        const int32_t margin = int32_t(std::round(frame.ZoomX * (record.PenWidth + 1)));
        h += record.TextAlign == 0 ? margin : -margin;
    }
    canvas.Rectangle(box.Left, box.Top, box.Right + 1, box.Bottom + 1);
    canvas.Brush().SetStyle(bsClear);
    canvas.TextRectNoFill(TRect{box.Left, box.Top, box.Right + 1, box.Bottom + 1}, box.Left + h, box.Top + v,
                          *record.Text);
    frame.Include(box);
}

void TQkVObjectPainter::DrawCurveText(TObjectFrame& frame)
{
    TQkVObject& record = frame.Record;
    TCanvas& canvas = *frame.Destination.Canvas();
    const TRect box = frame.OrderedBox();
    const double width = box.Right - box.Left;
    const double height = box.Bottom - box.Top;
    const std::vector<std::string> characters = Characters(*record.Text);
    const auto& points = record.CurvePoints;
    double length = 0;
    for (size_t i = 1; i < points.size(); ++i)
        length += std::hypot((points[i].x - points[i - 1].x) * width, (points[i].y - points[i - 1].y) * height);
    const int32_t spacing = int32_t(std::trunc(length / double(characters.size())));
    if (spacing <= 0)
        return;
    const uint32_t previousAlign = canvas.TextAlign();
    canvas.SetTextAlign(TA_BASELINE | TA_CENTER);
    int32_t currentAngle = INT32_MIN;
    size_t next = 0;
    double carry = 0; // walked since the last character
    for (size_t i = 1; i < points.size() && next < characters.size(); ++i) {
        const double dx = (points[i].x - points[i - 1].x) * width;
        const double dy = (points[i].y - points[i - 1].y) * height;
        const double segment = std::hypot(dx, dy);
        int32_t angle = record.CurveTextAngle;
        if (angle == -10)
            angle = std::abs(dx) < 0.01 ? (dy > 0 ? 2700 : 900)
                                        : int32_t(std::trunc(-std::atan2(dy, dx) * 180 / Pi * 10 + 0.5));
        double along = spacing - carry;
        for (; along <= segment && next < characters.size(); along += spacing) {
            if (angle != currentAngle) {
                SelectObjectFont(*canvas.Font(), record, frame.ZoomY, box.Bottom - box.Top, angle);
                currentAngle = angle;
            }
            const double t = segment > 0 ? along / segment : 0;
            const int32_t x = box.Left + int32_t(points[i - 1].x * width + dx * t);
            const int32_t y = box.Top + int32_t(points[i - 1].y * height + dy * t);
            canvas.TextOut(x, y, characters[next]);
            const TSize glyph = canvas.TextExtent(characters[next]);
            frame.Include(TRect{x - glyph.cx, y - glyph.cy, x + glyph.cx, y + glyph.cy});
            ++next;
        }
        carry = segment - (along - spacing);
    }
    canvas.SetTextAlign(previousAlign);
}

void TQkVObjectPainter::DrawLabel(TObjectFrame& frame)
{
    TQkVObject& record = frame.Record;
    if (!record.Text)
        return;
    TQkCanvas& canvas = frame.Canvas;
    TFont& font = *canvas.GetFont();
    SelectObjectFont(font, record, frame.ZoomY, 0, 0);
    const bool atStart = record.LabelPosition == 1;
    const TPoint at = atStart ? TPoint{frame.X1, frame.Y1} : TPoint{frame.X2, frame.Y2};
    const TPoint other = atStart ? TPoint{frame.X2, frame.Y2} : TPoint{frame.X1, frame.Y1};
    const TSize extent = frame.Destination.Canvas()->TextExtent(*record.Text);
    const int32_t left = at.X < other.X ? at.X - extent.cx : at.X;
    const int32_t top = at.Y < other.Y ? at.Y - extent.cy : at.Y;
    const TRect label{left, top, left + extent.cx, top + extent.cy};
    canvas.Brush().SetColor(record.LabelBrushColor);
    canvas.Brush().SetStyle(TBrushStyle(record.LabelBrushStyle));
    canvas.Pen().SetStyle(record.LabelBorder != 0 ? psSolid : psClear);
    canvas.Pen().SetColor(record.PenColor);
    if (record.LabelBorder == 2)
        canvas.RoundRect(label.Left, label.Top, label.Right, label.Bottom, 10, 10);
    else if (record.LabelBorder == 3)
        canvas.Ellipse(label.Left, label.Top - extent.cy, label.Right, label.Bottom + extent.cy);
    else
        canvas.RectangleRect(label);
    const double angle = (record.Font ? record.Font->lfEscapement : 0) / 10.0 * Pi / 180;
    const int32_t h = AlignedOffset(record.TextAlign, angle, extent.cx, extent.cx, extent.cy);
    canvas.Brush().SetStyle(bsClear);
    canvas.TextRectNoFill(label, label.Left + h, label.Top, *record.Text);
    frame.Include(label);
    const auto back = [&](int32_t screen, bool across) {
        const double zoom = across ? frame.ZoomX : frame.ZoomY;
        return zoom > 0 ? int32_t(std::round(screen / zoom)) : screen;
    };
    // In bitmap pixels, for hit tests: the view's offset is the first
    // corner's, whose bitmap position is known.
    record.LabelRect = {record.X1 + back(label.Left - frame.X1, true), record.Y1 + back(label.Top - frame.Y1, false),
                        record.X1 + back(label.Right - frame.X1, true),
                        record.Y1 + back(label.Bottom - frame.Y1, false)};
}
