// The records of enhanced metafiles: a type and a size, then 32-bit
// parameters in reading order; the poly records also come with 16-bit
// points.

#include "platform/gfx/MetafileBytes.h"
#include "platform/gfx/MetafilePlayer.h"

#include <string>
#include <vector>

#include "platform/core/Strings.h"

namespace {

constexpr size_t recordHeaderSize = 8;
constexpr uint32_t stockObjectFlag = 0x80000000;

enum : uint32_t {
    emrPolyBezier = 2,
    emrPolygon = 3,
    emrPolyline = 4,
    emrPolyBezierTo = 5,
    emrPolylineTo = 6,
    emrPolyPolyline = 7,
    emrPolyPolygon = 8,
    emrSetWindowExtEx = 9,
    emrSetWindowOrgEx = 10,
    emrSetViewportExtEx = 11,
    emrSetViewportOrgEx = 12,
    emrEof = 14,
    emrSetMapMode = 17,
    emrSetBkMode = 18,
    emrSetPolyFillMode = 19,
    emrSetRop2 = 20,
    emrSetTextAlign = 22,
    emrSetTextColor = 24,
    emrSetBkColor = 25,
    emrMoveToEx = 27,
    emrExcludeClipRect = 29,
    emrIntersectClipRect = 30,
    emrExtSelectClipRgn = 75,
    emrSaveDC = 33,
    emrRestoreDC = 34,
    emrSetWorldTransform = 35,
    emrModifyWorldTransform = 36,
    emrSelectObject = 37,
    emrCreatePen = 38,
    emrCreateBrushIndirect = 39,
    emrDeleteObject = 40,
    emrEllipse = 42,
    emrRectangle = 43,
    emrRoundRect = 44,
    emrArc = 45,
    emrChord = 46,
    emrPie = 47,
    emrCreatePalette = 49,
    emrSelectPalette = 48,
    emrLineTo = 54,
    emrExtCreateFontIndirectW = 82,
    emrExtTextOutW = 84,
    emrPolyBezier16 = 85,
    emrPolygon16 = 86,
    emrPolyline16 = 87,
    emrPolyBezierTo16 = 88,
    emrPolylineTo16 = 89,
    emrPolyPolyline16 = 90,
    emrPolyPolygon16 = 91,
    emrExtCreatePen = 95,
};

constexpr uint32_t mmIsotropic = 7, mmAnisotropic = 8;

TColor ColorRef(TMetafileBytes& record, size_t offset) { return record.U32(offset) & 0xFFFFFF; }

constexpr TBrushStyle hatchStyles[] = {bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross};

constexpr size_t faceNameOffset = 40, faceNameCharacters = 32;

// UTF-16 text; a lone surrogate becomes U+FFFD. `units`, when given, gets
// the number of UTF-16 units each character took.
std::u32string WideText(TMetafileBytes& record, size_t offset, size_t count, bool endAtNul,
                        std::vector<size_t>* units = nullptr)
{
    std::u32string text;
    for (size_t i = 0; i < count && !record.Failed(); ++i) {
        const char32_t unit = record.U16(offset + 2 * i);
        if (unit == 0 && endAtNul)
            break;
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < count) {
            const char32_t low = record.U16(offset + 2 * (i + 1));
            if (low >= 0xDC00 && low < 0xE000) {
                text.push_back(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                if (units)
                    units->push_back(2);
                ++i;
                continue;
            }
        }
        text.push_back(unit >= 0xD800 && unit < 0xE000 ? U'\uFFFD' : unit);
        if (units)
            units->push_back(1);
    }
    return text;
}

// One advance a UTF-16 unit, or an x and a y advance with ETO_PDY, at the
// record's offset; a character made of two units advances by both. None
// when the record has no array or it does not fit.
std::vector<double> ReadAdvances(TMetafileBytes& r, uint32_t count, uint32_t options, const std::vector<size_t>& units)
{
    constexpr uint32_t etoPdy = 0x2000;
    const uint32_t offset = r.U32(72);
    const size_t step = (options & etoPdy) ? 8 : 4;
    std::vector<double> advances;
    if (r.Failed() || offset == 0 || !r.Fits(offset, count, step))
        return advances;
    size_t unit = 0;
    for (const size_t taken : units) {
        double advance = 0;
        for (size_t i = 0; i < taken; ++i, ++unit)
            advance += r.I32(offset + unit * step);
        advances.push_back(advance);
    }
    return advances;
}

std::string FaceName(TMetafileBytes& record)
{
    const size_t characters = record.Fits(faceNameOffset, faceNameCharacters, 2) ? faceNameCharacters : 0;
    return Utf32ToUtf8(WideText(record, faceNameOffset, characters, true));
}

// The LOGFONTW after the object index.
TLogFont ReadLogFont(TMetafileBytes& r)
{
    TLogFont font;
    font.lfHeight = r.I32(12);
    font.lfWidth = r.I32(16);
    font.lfEscapement = r.I32(20);
    font.lfOrientation = r.I32(24);
    font.lfWeight = r.I32(28);
    font.lfItalic = r.U8(32);
    font.lfUnderline = r.U8(33);
    font.lfStrikeOut = r.U8(34);
    font.lfCharSet = r.U8(35);
    font.lfQuality = r.U8(38);
    font.lfPitchAndFamily = r.U8(39);
    font.lfFaceName = FaceName(r);
    return font;
}

TPenStyle PenStyle(uint32_t style)
{
    const uint32_t kind = style & 0x0F;
    return kind <= psInsideFrame ? TPenStyle(kind) : psSolid;
}

} // namespace

void TMetafilePlayer::PlayEnhancedRecords(const std::vector<uint8_t>& data)
{
    for (size_t at = FLayout.RecordsOffset; at + recordHeaderSize <= data.size();) {
        TMetafileBytes header(data.data() + at, data.size() - at);
        const uint32_t type = header.U32(0);
        const uint32_t size = header.U32(4);
        if (type == emrEof || size < recordHeaderSize || size > data.size() - at)
            return;
        TMetafileBytes record(data.data() + at, size);
        PlayEnhancedRecord(type, record);
        at += size;
    }
}

bool TMetafilePlayer::PlayEnhancedRecord(uint32_t type, TMetafileBytes& r)
{
    TObject object;
    const auto pair = [&r] { return TPoint64{double(r.I32(8)), double(r.I32(12))}; };
    switch (type) {
    case emrSetWindowExtEx:
    case emrSetViewportExtEx: {
        const TPoint64 extent = pair();
        if (extent.X != 0 && extent.Y != 0 && !r.Failed())
            (type == emrSetWindowExtEx ? FState.WindowExt : FState.ViewportExt) = extent;
        break;
    }
    case emrSetWindowOrgEx: FState.WindowOrg = pair(); break;
    case emrSetViewportOrgEx: FState.ViewportOrg = pair(); break;
    case emrSetMapMode: FState.Scaled = r.U32(8) == mmIsotropic || r.U32(8) == mmAnisotropic; break;
    case emrSetWorldTransform:
    case emrModifyWorldTransform: {
        const TXform xform{r.F32(8), r.F32(12), r.F32(16), r.F32(20), r.F32(24), r.F32(28)};
        const uint32_t mode = type == emrSetWorldTransform ? 4 : r.U32(32);
        if (!r.Failed())
            ModifyWorldTransform(xform, mode);
        break;
    }
    case emrSaveDC: SaveState(); break;
    case emrRestoreDC: RestoreState(r.I32(8)); break;
    case emrSetBkColor: FCanvas.SetBackgroundColor(ColorRef(r, 8)); break;
    case emrSetBkMode: FCanvas.SetBackgroundMode(r.U32(8) == TRANSPARENT ? TRANSPARENT : OPAQUE); break;
    case emrSetTextColor: FCanvas.SetTextColor(ColorRef(r, 8)); break;
    case emrSetPolyFillMode: FCanvas.SetPolyFillMode(r.U32(8) == WINDING ? WINDING : ALTERNATE); break;
    case emrSetRop2: SetRop2(r.U32(8)); break;
    case emrCreatePen:
        object.Kind = TObjectKind::Pen;
        object.Pen = {PenStyle(r.U32(12)), r.I32(16), ColorRef(r, 24)};
        if (!r.Failed())
            CreateObject(object, r.U32(8));
        break;
    case emrExtCreatePen:
        object.Kind = TObjectKind::Pen;
        object.Pen = {PenStyle(r.U32(28)), static_cast<int32_t>(r.U32(32) & 0xFFFF), ColorRef(r, 40)};
        if (!r.Failed())
            CreateObject(object, r.U32(8));
        break;
    case emrCreateBrushIndirect:
        object.Kind = TObjectKind::Brush;
        object.Brush = {r.U32(12) == 1 ? bsClear : bsSolid, ColorRef(r, 16), nullptr};
        if (r.U32(12) == 2 && r.U32(20) < std::size(hatchStyles))
            object.Brush.Style = hatchStyles[r.U32(20)];
        if (!r.Failed())
            CreateObject(object, r.U32(8));
        break;
    case emrExtCreateFontIndirectW:
        object.Kind = TObjectKind::Font;
        object.Font = ReadLogFont(r);
        if (!r.Failed())
            CreateObject(object, r.U32(8));
        break;
    case emrSetTextAlign: FCanvas.SetTextAlign(r.U32(8)); break;
    case emrCreatePalette:
        // A logical palette: version, entry count, then red, green, blue and
        // flags.
        if (!r.Fits(16, r.U16(14), 4) || r.Failed())
            return false;
        object.Kind = TObjectKind::Palette;
        for (uint16_t i = 0; i < r.U16(14); ++i)
            object.Palette.push_back(r.U32(16 + 4 * size_t(i)) & 0xFFFFFF);
        CreateObject(object, r.U32(8));
        break;
    case emrSelectPalette: SelectPalette(r.U32(8)); break;
    case emrSelectObject:
        if (r.U32(8) & stockObjectFlag)
            SelectStockObject(r.U32(8) & ~stockObjectFlag);
        else
            SelectObject(r.U32(8));
        break;
    case emrDeleteObject: DeleteObject(r.U32(8)); break;
    case emrExtSelectClipRgn: return PlayClipRegion(r);
    default: return PlayEnhancedShape(type, r);
    }
    return !r.Failed();
}

// The region data's size and the combination mode, then a region header
// and its rectangles in the reference device's units; no data with RGN_COPY
// returns to the default clip.
bool TMetafilePlayer::PlayClipRegion(TMetafileBytes& r)
{
    constexpr size_t headerOffset = 16, rectsOffset = 48;
    const uint32_t dataSize = r.U32(8), mode = r.U32(12);
    if (r.Failed())
        return false;
    if (dataSize == 0) {
        SelectClipRegion(nullptr, mode);
        return true;
    }
    const uint32_t count = r.U32(headerOffset + 8);
    if (r.Failed() || !r.Fits(headerOffset, dataSize, 1) || uint64_t(count) * 16 > dataSize - 32 ||
        !r.Fits(rectsOffset, count, 16))
        return false;
    std::vector<TRect> rects;
    for (uint32_t i = 0; i < count; ++i) {
        const size_t at = rectsOffset + 16 * size_t(i);
        const TPoint a = MapReference(r.I32(at), r.I32(at + 4));
        const TPoint b = MapReference(r.I32(at + 8), r.I32(at + 12));
        rects.push_back({std::min(a.X, b.X), std::min(a.Y, b.Y), std::max(a.X, b.X), std::max(a.Y, b.Y)});
    }
    const TRegion region = TRegion::FromRects(rects);
    SelectClipRegion(&region, mode);
    return true;
}

bool TMetafilePlayer::PlayEnhancedShape(uint32_t type, TMetafileBytes& r)
{
    // Reading past a short record marks it failed: only the fields the
    // record has are read.
    if (type == emrMoveToEx || type == emrLineTo) {
        const TPoint point = Map(r.I32(8), r.I32(12));
        if (r.Failed())
            return false;
        if (type == emrMoveToEx)
            FCanvas.MoveTo(point.X, point.Y);
        else
            FCanvas.LineTo(point.X, point.Y);
        return true;
    }
    const double left = r.I32(8), top = r.I32(12), right = r.I32(16), bottom = r.I32(20);
    if (Rotated() && type >= emrEllipse && type <= emrPie)
        return PlayRotatedShape(type, r, left, top, right, bottom);
    const TRect box = MapRect(left, top, right, bottom);
    switch (type) {
    case emrIntersectClipRect:
        if (!r.Failed())
            FCanvas.IntersectClipRect(box.Left, box.Top, box.Right, box.Bottom);
        break;
    case emrExcludeClipRect:
        if (!r.Failed())
            FCanvas.ExcludeClipRect(box.Left, box.Top, box.Right, box.Bottom);
        break;
    case emrRectangle:
    case emrEllipse:
        if (!r.Failed())
            DrawShape(type == emrRectangle ? TShape::Rectangle : TShape::Ellipse, box);
        break;
    case emrRoundRect: {
        const int32_t width = MapWidth(r.I32(24));
        const int32_t height = MapWidth(r.I32(28));
        if (!r.Failed())
            FCanvas.RoundRect(box.Left, box.Top, box.Right, box.Bottom, width, height);
        break;
    }
    case emrArc:
    case emrChord:
    case emrPie: {
        const TPoint start = Map(r.I32(24), r.I32(28));
        const TPoint end = Map(r.I32(32), r.I32(36));
        const TShape shape = type == emrArc ? TShape::Arc : type == emrPie ? TShape::Pie : TShape::Chord;
        if (!r.Failed())
            DrawShape(shape, box, start, end);
        break;
    }
    default: return PlayEnhancedPolygons(type, r);
    }
    return !r.Failed();
}

// A rounded rectangle under a rotation keeps its corners square.
bool TMetafilePlayer::PlayRotatedShape(uint32_t type, TMetafileBytes& r, double left, double top, double right,
                                       double bottom)
{
    const TPoint64 start{double(r.I32(24)), double(r.I32(28))};
    const TPoint64 end{double(r.I32(32)), double(r.I32(36))};
    if (r.Failed() && type != emrEllipse && type != emrRectangle)
        return false;
    const TShape shape = type == emrEllipse ? TShape::Ellipse
        : type == emrArc                    ? TShape::Arc
        : type == emrPie                    ? TShape::Pie
        : type == emrChord                  ? TShape::Chord
                                            : TShape::Rectangle;
    DrawRotatedShape(shape, left, top, right, bottom, start, end);
    return true;
}

bool TMetafilePlayer::PlayEnhancedPolygons(uint32_t type, TMetafileBytes& r)
{
    // After the bounds: a count, then points (or polygon counts, then points).
    const bool wide = type < emrPolyBezier16;
    switch (type) {
    case emrPolyBezier:
    case emrPolyBezierTo:
    case emrPolylineTo:
    case emrPolyBezier16:
    case emrPolyBezierTo16:
    case emrPolylineTo16: {
        const uint32_t count = r.U32(24);
        std::vector<TPoint> points = ReadPoints(r, 28, count, wide);
        if (points.size() != count || r.Failed())
            break;
        if (type == emrPolylineTo || type == emrPolylineTo16)
            DrawLinesFromCurrent(std::move(points));
        else
            DrawBeziers(std::move(points), type == emrPolyBezierTo || type == emrPolyBezierTo16);
        break;
    }
    case emrPolygon:
    case emrPolyline:
    case emrPolygon16:
    case emrPolyline16: {
        const uint32_t count = r.U32(24);
        const std::vector<TPoint> points = ReadPoints(r, 28, count, wide);
        if (points.size() == count && !r.Failed())
            DrawPoints(points, type == emrPolygon || type == emrPolygon16);
        break;
    }
    case emrPolyPolygon:
    case emrPolyPolyline:
    case emrPolyPolygon16:
    case emrPolyPolyline16: {
        const uint32_t polygons = r.U32(24);
        if (!r.Fits(32, polygons, 4))
            break;
        const bool closed = type == emrPolyPolygon || type == emrPolyPolygon16;
        DrawPolygons(r, 32, 4, polygons, 32 + size_t(polygons) * 4, wide, closed);
        break;
    }
    default: return PlayEnhancedText(type, r);
    }
    return !r.Failed();
}

bool TMetafilePlayer::PlayEnhancedText(uint32_t type, TMetafileBytes& r)
{
    if (type != emrExtTextOutW)
        return PlayEnhancedBitmap(type, r);
    const double x = r.I32(36), y = r.I32(40);
    const uint32_t count = r.U32(44);
    const uint32_t offset = r.U32(48);
    const uint32_t options = r.U32(52);
    const TRect rect = MapRect(r.I32(56), r.I32(60), r.I32(64), r.I32(68));
    if (r.Failed() || !r.Fits(offset, count, 2))
        return false;
    std::vector<size_t> units;
    const std::u32string text = WideText(r, offset, count, false, &units);
    DrawText(x, y, text, options, (options & (ETO_OPAQUE | ETO_CLIPPED)) ? &rect : nullptr,
             ReadAdvances(r, count, options, units));
    return true;
}
