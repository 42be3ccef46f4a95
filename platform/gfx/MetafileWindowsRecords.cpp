// The records of Windows metafiles: 16-bit parameters after a six-byte
// record header, most of them in reverse order (y before x, bottom first).

#include "platform/gfx/MetafileBytes.h"
#include "platform/gfx/MetafilePlayer.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr size_t recordHeaderSize = 6;

enum : uint16_t {
    wmfEof = 0x0000,
    wmfSaveDC = 0x001E,
    wmfSetBkColor = 0x0201,
    wmfSetBkMode = 0x0102,
    wmfSetMapMode = 0x0103,
    wmfSetRop2 = 0x0104,
    wmfSetPolyFillMode = 0x0106,
    wmfSetTextColor = 0x0209,
    wmfSetWindowOrg = 0x020B,
    wmfSetWindowExt = 0x020C,
    wmfRestoreDC = 0x0127,
    wmfSelectObject = 0x012D,
    wmfDeleteObject = 0x01F0,
    wmfCreatePenIndirect = 0x02FA,
    wmfCreateBrushIndirect = 0x02FC,
    wmfCreatePalette = 0x00F7,
    wmfSelectPalette = 0x0234,
    wmfCreatePatternBrush = 0x01F9,
    wmfDibCreatePatternBrush = 0x0142,
    wmfCreateFontIndirect = 0x02FB,
    wmfSetTextAlign = 0x012E,
    wmfTextOut = 0x0521,
    wmfExtTextOut = 0x0A32,
    wmfCreateRegion = 0x06FF,
    wmfMoveTo = 0x0214,
    wmfLineTo = 0x0213,
    wmfIntersectClipRect = 0x0416,
    wmfExcludeClipRect = 0x0415,
    wmfSelectClipRegion = 0x012C,
    wmfRectangle = 0x041B,
    wmfRoundRect = 0x061C,
    wmfEllipse = 0x0418,
    wmfArc = 0x0817,
    wmfPie = 0x081A,
    wmfChord = 0x0830,
    wmfPolyline = 0x0325,
    wmfPolygon = 0x0324,
    wmfPolyPolygon = 0x0538,
};

TColor ColorRef(TMetafileBytes& params, size_t offset) { return params.U32(offset) & 0xFFFFFF; }

constexpr size_t faceNameOffset = 18, faceNameSize = 32;

// Single-byte text as Latin-1.
std::u32string ByteText(TMetafileBytes& params, size_t offset, size_t count)
{
    std::u32string text;
    for (size_t i = 0; i < count && !params.Failed(); ++i)
        text.push_back(params.U8(offset + i));
    return text;
}

std::string FaceName(TMetafileBytes& params)
{
    std::string face;
    for (size_t i = 0; i < faceNameSize && params.Fits(faceNameOffset + i, 1, 1); ++i) {
        const uint8_t c = params.U8(faceNameOffset + i);
        if (c == 0)
            break;
        face.push_back(static_cast<char>(c));
    }
    return face;
}

TLogFont ReadLogFont(TMetafileBytes& p)
{
    TLogFont font;
    font.lfHeight = p.I16(0);
    font.lfWidth = p.I16(2);
    font.lfEscapement = p.I16(4);
    font.lfOrientation = p.I16(6);
    font.lfWeight = p.I16(8);
    font.lfItalic = p.U8(10);
    font.lfUnderline = p.U8(11);
    font.lfStrikeOut = p.U8(12);
    font.lfCharSet = p.U8(13);
    font.lfQuality = p.U8(16);
    font.lfPitchAndFamily = p.U8(17);
    font.lfFaceName = FaceName(p);
    return font;
}

// A region object's scans from offset 22: each a count of x values, its top
// and bottom, the left and right pairs, and the count again.
bool ReadRegionScans(TMetafileBytes& p, std::vector<TRect>& rects)
{
    constexpr size_t scansOffset = 22;
    const uint16_t scans = p.U16(10);
    size_t at = scansOffset;
    for (uint16_t i = 0; i < scans; ++i) {
        const uint16_t count = p.U16(at);
        const int16_t top = p.I16(at + 2), bottom = p.I16(at + 4);
        if (p.Failed() || count % 2 != 0 || !p.Fits(at + 6, count, 2))
            return false;
        for (uint16_t x = 0; x < count; x += 2)
            rects.push_back({p.I16(at + 6 + 2 * size_t(x)), top, p.I16(at + 8 + 2 * size_t(x)), bottom});
        at += 8 + 2 * size_t(count);
    }
    return !p.Failed();
}

constexpr TBrushStyle hatchStyles[] = {bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross};

} // namespace

void TMetafilePlayer::PlayWindowsRecords(const std::vector<uint8_t>& data)
{
    // Windows metafiles always map their window onto the target.
    FState.Scaled = true;
    for (size_t at = FLayout.RecordsOffset; at + recordHeaderSize <= data.size();) {
        TMetafileBytes header(data.data() + at, data.size() - at);
        const uint64_t size = uint64_t(header.U32(0)) * 2;
        const uint16_t function = header.U16(4);
        if (function == wmfEof || size < recordHeaderSize || size > data.size() - at)
            return;
        TMetafileBytes params(data.data() + at + recordHeaderSize, static_cast<size_t>(size) - recordHeaderSize);
        PlayWindowsRecord(function, params);
        at += static_cast<size_t>(size);
    }
}

// Records whose parameters run short are dropped.
bool TMetafilePlayer::PlayWindowsRecord(uint16_t function, TMetafileBytes& p)
{
    TObject object;
    switch (function) {
    case wmfSetWindowOrg: FState.WindowOrg = {double(p.I16(2)), double(p.I16(0))}; break;
    case wmfSetWindowExt:
        if (p.I16(0) != 0 && p.I16(2) != 0 && !p.Failed())
            FState.WindowExt = {double(p.I16(2)), double(p.I16(0))};
        break;
    case wmfSetMapMode: break;
    case wmfSaveDC: SaveState(); break;
    case wmfRestoreDC: RestoreState(p.I16(0)); break;
    case wmfSetBkColor: FCanvas.SetBackgroundColor(ColorRef(p, 0)); break;
    case wmfSetBkMode: FCanvas.SetBackgroundMode(p.U16(0) == TRANSPARENT ? TRANSPARENT : OPAQUE); break;
    case wmfSetTextColor: FCanvas.SetTextColor(ColorRef(p, 0)); break;
    case wmfSetPolyFillMode: FCanvas.SetPolyFillMode(p.U16(0) == WINDING ? WINDING : ALTERNATE); break;
    case wmfSetRop2: SetRop2(p.U16(0)); break;
    case wmfCreatePenIndirect:
        object.Kind = TObjectKind::Pen;
        object.Pen = {p.U16(0) <= psInsideFrame ? TPenStyle(p.U16(0)) : psSolid, p.I16(2), ColorRef(p, 6)};
        if (!p.Failed())
            CreateObject(object, FirstFreeSlot());
        break;
    case wmfCreateBrushIndirect:
        object.Kind = TObjectKind::Brush;
        object.Brush = {p.U16(0) == 1 ? bsClear : bsSolid, ColorRef(p, 2), nullptr};
        if (p.U16(0) == 2 && p.U16(6) < std::size(hatchStyles))
            object.Brush.Style = hatchStyles[p.U16(6)];
        if (!p.Failed())
            CreateObject(object, FirstFreeSlot());
        break;
    case wmfCreateFontIndirect:
        object.Kind = TObjectKind::Font;
        object.Font = ReadLogFont(p);
        if (!p.Failed())
            CreateObject(object, FirstFreeSlot());
        break;
    case wmfSetTextAlign: FCanvas.SetTextAlign(p.U16(0)); break;
    case wmfDibCreatePatternBrush: {
        // The style and colour usage come before the DIB. A BS_PATTERN
        // brush's DIB stands for a device bitmap: its colour usage is
        // ignored, and a monochrome one takes the text and background
        // colours as it is drawn.
        constexpr uint16_t bsPattern = 3;
        if (!p.Fits(4, 1, 1))
            return false;
        const bool devicePattern = p.U16(0) == bsPattern;
        CreatePatternBrush(p.At(4), p.Size() - 4, devicePattern ? uint32_t(dibRgbColors) : p.U16(2), FirstFreeSlot(),
                           devicePattern);
        break;
    }
    case wmfCreatePatternBrush: CreateBitmapPatternBrush(p, 32, FirstFreeSlot()); break;
    case wmfCreatePalette:
        // The start word, the entry count, then red, green, blue and flags.
        if (!p.Fits(4, p.U16(2), 4) || p.Failed())
            return false;
        object.Kind = TObjectKind::Palette;
        for (uint16_t i = 0; i < p.U16(2); ++i)
            object.Palette.push_back(p.U32(4 + 4 * size_t(i)) & 0xFFFFFF);
        CreateObject(object, FirstFreeSlot());
        break;
    case wmfSelectPalette: SelectPalette(p.U16(0)); break;
    case wmfCreateRegion:
        // A region that does not read whole still takes its slot.
        object.Kind = TObjectKind::Other;
        if (ReadRegionScans(p, object.Region))
            object.Kind = TObjectKind::Region;
        CreateObject(object, FirstFreeSlot());
        return true;
    case wmfSelectClipRegion: SelectClipRegionObject(p.U16(0)); break;
    case wmfSelectObject: SelectObject(p.U16(0)); break;
    case wmfDeleteObject: DeleteObject(p.U16(0)); break;
    default: return PlayWindowsShape(function, p);
    }
    return !p.Failed();
}

bool TMetafilePlayer::PlayWindowsShape(uint16_t function, TMetafileBytes& p)
{
    // Bounding rectangles come as bottom, right, top, left after any
    // leading parameters.
    const auto box = [&p, this](size_t at) { return MapRect(p.I16(at + 6), p.I16(at + 4), p.I16(at + 2), p.I16(at)); };
    switch (function) {
    case wmfMoveTo: {
        const TPoint to = Map(p.I16(2), p.I16(0));
        if (!p.Failed())
            FCanvas.MoveTo(to.X, to.Y);
        break;
    }
    case wmfLineTo: {
        const TPoint to = Map(p.I16(2), p.I16(0));
        if (!p.Failed())
            FCanvas.LineTo(to.X, to.Y);
        break;
    }
    case wmfIntersectClipRect:
    case wmfExcludeClipRect: {
        const TRect r = box(0);
        if (p.Failed())
            break;
        if (function == wmfIntersectClipRect)
            FCanvas.IntersectClipRect(r.Left, r.Top, r.Right, r.Bottom);
        else
            FCanvas.ExcludeClipRect(r.Left, r.Top, r.Right, r.Bottom);
        break;
    }
    case wmfRectangle:
    case wmfEllipse: {
        const TRect r = box(0);
        if (!p.Failed())
            DrawShape(function == wmfRectangle ? TShape::Rectangle : TShape::Ellipse, r);
        break;
    }
    case wmfRoundRect: {
        const TRect r = box(4);
        const int32_t height = MapWidth(p.I16(0));
        const int32_t width = MapWidth(p.I16(2));
        if (!p.Failed())
            FCanvas.RoundRect(r.Left, r.Top, r.Right, r.Bottom, width, height);
        break;
    }
    case wmfArc:
    case wmfPie:
    case wmfChord: {
        const TRect r = box(8);
        const TPoint end = Map(p.I16(2), p.I16(0));
        const TPoint start = Map(p.I16(6), p.I16(4));
        const TShape shape = function == wmfArc ? TShape::Arc : function == wmfPie ? TShape::Pie : TShape::Chord;
        if (!p.Failed())
            DrawShape(shape, r, start, end);
        break;
    }
    default: return PlayWindowsPolygons(function, p);
    }
    return !p.Failed();
}

bool TMetafilePlayer::PlayWindowsPolygons(uint16_t function, TMetafileBytes& p)
{
    switch (function) {
    case wmfPolyline:
    case wmfPolygon: {
        const uint16_t count = p.U16(0);
        const std::vector<TPoint> points = ReadPoints(p, 2, count, false);
        if (points.size() == count && !p.Failed())
            DrawPoints(points, function == wmfPolygon);
        break;
    }
    case wmfPolyPolygon: {
        const uint16_t polygons = p.U16(0);
        DrawPolygons(p, 2, 2, polygons, 2 + 2 * size_t(polygons), false, true);
        break;
    }
    default: return PlayWindowsText(function, p);
    }
    return !p.Failed();
}

bool TMetafilePlayer::PlayWindowsText(uint16_t function, TMetafileBytes& p)
{
    if (function == wmfTextOut) {
        const int16_t count = p.I16(0);
        const size_t padded = (size_t(std::max<int16_t>(count, 0)) + 1) & ~size_t(1);
        const std::u32string text = ByteText(p, 2, size_t(std::max<int16_t>(count, 0)));
        const double y = p.I16(2 + padded), x = p.I16(4 + padded);
        if (count > 0 && !p.Failed())
            DrawText(x, y, text, 0, nullptr);
    } else if (function == wmfExtTextOut) {
        const double y = p.I16(0), x = p.I16(2);
        const int16_t count = p.I16(4);
        const uint16_t options = p.U16(6);
        const bool withRect = (options & (ETO_OPAQUE | ETO_CLIPPED)) != 0;
        const TRect rect = withRect ? MapRect(p.I16(8), p.I16(10), p.I16(12), p.I16(14)) : TRect{};
        const size_t textOffset = withRect ? 16 : 8;
        const size_t characters = size_t(std::max<int16_t>(count, 0));
        const std::u32string text = ByteText(p, textOffset, characters);
        // The advances follow the text, padded to whole words, when the
        // record has room for them.
        std::vector<double> advances;
        const size_t advancesOffset = textOffset + ((characters + 1) & ~size_t(1));
        if (characters > 0 && p.Fits(advancesOffset, characters, 2))
            for (size_t i = 0; i < characters; ++i)
                advances.push_back(p.I16(advancesOffset + 2 * i));
        if (count >= 0 && !p.Failed())
            DrawText(x, y, text, options, withRect ? &rect : nullptr, advances);
    } else {
        return PlayWindowsBitmap(function, p);
    }
    return !p.Failed();
}
