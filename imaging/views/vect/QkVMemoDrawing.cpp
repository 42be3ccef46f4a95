// Memos: laid out and painted by a text control of their own, which gets the
// memo's text with its runs and gives them back afterwards.

#include <algorithm>

#include "imaging/views/textedit/QkTextControl.h"
#include "imaging/views/vect/QkVPainterFrame.h"
#include "platform/gfx/LogFont.h"

namespace {

bool StartsCodePoint(char byte) { return (uint8_t(byte) & 0xC0) != 0x80; }

// The record keeps a run index per byte of its text (as the stream stores
// them); the control wants one per code point.
std::vector<int32_t> RunsByCodePoint(const std::string& text, const std::vector<int32_t>& byByte)
{
    std::vector<int32_t> runs;
    for (size_t at = 0; at < text.size(); ++at)
        if (StartsCodePoint(text[at]))
            runs.push_back(at < byByte.size() ? byByte[at] : 0);
    return runs;
}

std::vector<int32_t> RunsByByte(const std::string& text, const std::vector<int32_t>& byCodePoint)
{
    std::vector<int32_t> runs;
    size_t codePoint = 0;
    for (size_t at = 0; at < text.size(); ++at) {
        if (at > 0 && StartsCodePoint(text[at]))
            ++codePoint;
        runs.push_back(codePoint < byCodePoint.size() ? byCodePoint[codePoint] : 0);
    }
    runs.push_back(0);
    return runs;
}

TQkTextContent ContentOf(const TQkVObject& record)
{
    TQkTextContent content;
    content.Text = record.Text.value_or(std::string());
    for (const TQkFormatRunRecord& run : record.FontRuns)
        content.Runs.push_back(DeserializeFormatRun(run.data()).value_or(TQkFormatRun{}));
    if (record.CharRuns)
        content.CharRuns = RunsByCodePoint(content.Text, *record.CharRuns);
    return content;
}

void GiveBack(TQkVObject& record, TQkTextContent content)
{
    record.FontRuns.clear();
    for (const TQkFormatRun& run : content.Runs)
        record.FontRuns.push_back(SerializeFormatRun(run));
    if (record.CharRuns)
        record.CharRuns = RunsByByte(content.Text, content.CharRuns);
}

void StyleControl(TQkTextControl& control, const TQkVObject& record, double zoom, bool alphaPass)
{
    control.SetZoom(zoom);
    control.SetMargins(record.MemoMargins[0], record.MemoMargins[1], record.MemoMargins[2], record.MemoMargins[3]);
    if (record.Font)
        LogFontToFont(*record.Font, control.DefaultFont());
    control.DefaultFont().SetColor(record.PenColor);
    control.DefaultBackBrush().SetColor(record.BrushColor);
    control.DefaultBackBrush().SetStyle(TBrushStyle(record.MemoCharBackStyle));
    control.SetDefaultAlignment(record.TextAlign);
    control.BoxBrush().SetColor(record.BrushColor);
    control.BoxBrush().SetStyle(TBrushStyle(record.BrushStyle));
    control.SetMonochromeDraw(alphaPass);
    control.SetSingleFormat(record.MemoSingleFormat);
    control.SetAutoHeight(record.TextAutoSize);
    control.SetLineSpacing(record.MemoLineSpacing);
    control.FramePen().SetColor(record.MemoBorderColor);
    control.FramePen().SetStyle(TPenStyle(record.MemoBorderStyle));
    control.FramePen().SetWidth(1);
    control.SetFixedCharHeight(record.MemoFixedCharHeight);
    control.SetBackgroundBitmap(nullptr);
}

} // namespace

void TQkVObjectPainter::DrawMemo(TObjectFrame& frame)
{
    TQkVObject& record = frame.Record;
    if (record.MemoHasBitmap && !frame.AlphaPass)
        DrawBitmapObject(frame, frame.BitmapBox());
    if (frame.Handle == EditedObject)
        return;
    const TRect box = frame.OrderedBox();
    TQkTextControl control(nullptr);
    StyleControl(control, record, frame.ZoomY, frame.AlphaPass);
    control.SetContent(ContentOf(record));
    control.RenderText(frame.Canvas, box.Left, box.Top, std::abs(record.X2 - record.X1) + 1,
                       std::abs(record.Y2 - record.Y1) + 1);
    GiveBack(record, control.TakeContent());
    frame.Include(box);
}
