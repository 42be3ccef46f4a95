#include "platform/gfx/Metafile.h"

#include <algorithm>
#include <limits>

#include "platform/core/Streams.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/MetafileBytes.h"
#include "platform/gfx/MetafilePlayer.h"

namespace {

constexpr uint32_t placeableKey = 0x9AC6CDD7;
constexpr size_t placeableHeaderSize = 22;
constexpr size_t windowsHeaderSize = 18;
constexpr uint16_t windowsSetWindowOrg = 0x020B;
constexpr uint16_t windowsSetWindowExt = 0x020C;
constexpr uint32_t enhancedSignature = 0x464D4520;
constexpr size_t enhancedHeaderMinimum = 88;
constexpr uint32_t enhancedEof = 14;
constexpr int64_t pixelsPerInch = 96;
// Hundredths of a millimetre in an inch.
constexpr int64_t frameUnitsPerInch = 2540;

[[noreturn]] void Malformed(const char* why) { throw EInvalidGraphic(std::string("Invalid metafile: ") + why); }

int32_t ClampToInt(int64_t value)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, 0, std::numeric_limits<int32_t>::max()));
}

// Every record's size must lie inside the data, from the first record up
// to the end record or the end of the data.
template <typename Size, typename IsEnd>
void CheckRecords(const std::vector<uint8_t>& data, size_t offset, size_t headerSize, Size recordSize, IsEnd isEnd)
{
    while (offset + headerSize <= data.size()) {
        TMetafileBytes record(data.data() + offset, data.size() - offset);
        const uint64_t size = recordSize(record);
        if (size < headerSize || size > data.size() - offset)
            Malformed("a record runs past the end of the data");
        if (isEnd(record))
            return;
        offset += static_cast<size_t>(size);
    }
}

} // namespace

void TMetafile::SetWidth(int32_t value)
{
    FWidth = value;
    Changed();
}

void TMetafile::SetHeight(int32_t value)
{
    FHeight = value;
    Changed();
}

void TMetafile::LoadFromStream(TStream& stream)
{
    std::vector<uint8_t> data(static_cast<size_t>(std::max<int64_t>(stream.Size() - stream.Position(), 0)));
    if (!data.empty())
        stream.ReadBuffer(data.data(), int64_t(data.size()));
    TMetafileBytes bytes(data.data(), data.size());
    if (bytes.U32(0) == 1 && bytes.U32(40) == enhancedSignature)
        LoadEnhancedMetafile(std::move(data));
    else
        LoadWindowsMetafile(std::move(data));
    Changed();
}

void TMetafile::LoadWindowsMetafile(std::vector<uint8_t> data)
{
    TMetafileBytes bytes(data.data(), data.size());
    const bool placeable = bytes.U32(0) == placeableKey;
    TLayout layout;
    const size_t header = placeable ? placeableHeaderSize : 0;
    const uint16_t type = bytes.U16(header);
    if (!bytes.Fits(header, 1, windowsHeaderSize) || (type != 1 && type != 2) || bytes.U16(header + 2) != 9)
        Malformed("no Windows metafile header");
    layout.RecordsOffset = header + windowsHeaderSize;
    layout.Handles = bytes.U16(header + 10);
    CheckRecords(
        data, layout.RecordsOffset, 6, [](TMetafileBytes& r) { return uint64_t(r.U32(0)) * 2; },
        [](TMetafileBytes& r) { return r.U16(4) == 0; });
    int64_t width = 0, height = 0;
    if (placeable) {
        const int64_t inch = bytes.U16(14);
        if (inch == 0)
            Malformed("no units per inch");
        layout.Left = bytes.I16(6);
        layout.Top = bytes.I16(8);
        layout.Right = bytes.I16(10);
        layout.Bottom = bytes.I16(12);
        width = (int64_t(layout.Right) - int64_t(layout.Left)) * pixelsPerInch / inch;
        height = (int64_t(layout.Bottom) - int64_t(layout.Top)) * pixelsPerInch / inch;
    } else {
        FindWindow(data, layout);
        width = int64_t(layout.Right - layout.Left);
        height = int64_t(layout.Bottom - layout.Top);
    }
    FData = std::move(data);
    FLayout = layout;
    FEnhanced = false;
    FWidth = ClampToInt(width < 0 ? -width : width);
    FHeight = ClampToInt(height < 0 ? -height : height);
}

// A plain metafile's logical rectangle: its first window origin and extent.
void TMetafile::FindWindow(const std::vector<uint8_t>& data, TLayout& layout)
{
    bool originFound = false;
    for (size_t at = layout.RecordsOffset; at + 10 <= data.size();) {
        TMetafileBytes record(data.data() + at, data.size() - at);
        const uint16_t function = record.U16(4);
        if (function == 0)
            break;
        const double y = record.I16(6), x = record.I16(8);
        if (function == windowsSetWindowOrg && !originFound) {
            layout.Left = x;
            layout.Top = y;
            originFound = true;
        } else if (function == windowsSetWindowExt) {
            layout.Right = layout.Left + x;
            layout.Bottom = layout.Top + y;
            return;
        }
        at += size_t(record.U32(0)) * 2;
    }
}

void TMetafile::LoadEnhancedMetafile(std::vector<uint8_t> data)
{
    TMetafileBytes bytes(data.data(), data.size());
    const uint32_t headerSize = bytes.U32(4);
    if (headerSize < enhancedHeaderMinimum || headerSize % 4 != 0 || headerSize > data.size())
        Malformed("the enhanced header does not fit");
    CheckRecords(
        data, 0, 8, [](TMetafileBytes& r) { return uint64_t(r.U32(4)); },
        [](TMetafileBytes& r) { return r.U32(0) == enhancedEof; });
    // The frame is in hundredths of a millimetre; the records draw in the
    // reference device's pixels.
    const int64_t frameLeft = bytes.I32(24), frameTop = bytes.I32(28);
    const int64_t frameRight = bytes.I32(32), frameBottom = bytes.I32(36);
    const double devicePerFrameX = double(bytes.I32(72)) / (double(bytes.I32(80)) * 100);
    const double devicePerFrameY = double(bytes.I32(76)) / (double(bytes.I32(84)) * 100);
    if (!(devicePerFrameX > 0) || !(devicePerFrameY > 0))
        Malformed("no reference device size");
    TLayout layout;
    layout.RecordsOffset = 0;
    layout.Handles = bytes.U16(56);
    layout.Left = double(frameLeft) * devicePerFrameX;
    layout.Top = double(frameTop) * devicePerFrameY;
    layout.Right = double(frameRight) * devicePerFrameX;
    layout.Bottom = double(frameBottom) * devicePerFrameY;
    FData = std::move(data);
    FLayout = layout;
    FEnhanced = true;
    FWidth = ClampToInt((frameRight - frameLeft) * pixelsPerInch / frameUnitsPerInch);
    FHeight = ClampToInt((frameBottom - frameTop) * pixelsPerInch / frameUnitsPerInch);
}

void TMetafile::SaveToStream(TStream& stream) const
{
    if (!FData.empty())
        stream.WriteBuffer(FData.data(), int64_t(FData.size()));
}

void TMetafile::Draw(TCanvas& canvas, const TRect& rect)
{
    if (FData.empty() || FLayout.Right == FLayout.Left || FLayout.Bottom == FLayout.Top || rect.Width() <= 0 ||
        rect.Height() <= 0)
        return;
    const int level = canvas.SaveDC();
    canvas.IntersectClipRect(rect.Left, rect.Top, rect.Right, rect.Bottom);
    {
        TMetafilePlayer player(canvas, rect, FLayout);
        if (FEnhanced)
            player.PlayEnhancedRecords(FData);
        else
            player.PlayWindowsRecords(FData);
    }
    canvas.RestoreDC(level);
}

std::unique_ptr<TGraphic> TMetafile::Clone() const
{
    auto copy = std::make_unique<TMetafile>();
    copy->FData = FData;
    copy->FLayout = FLayout;
    copy->FEnhanced = FEnhanced;
    copy->FWidth = FWidth;
    copy->FHeight = FHeight;
    return copy;
}
