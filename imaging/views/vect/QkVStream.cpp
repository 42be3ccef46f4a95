// The stream comes from files and the clipboard, so every count and length
// is checked before it is used: containers nest at most a few levels, lengths
// and counts are never negative, and everything is read piecewise so that a
// length the data does not back fails at the data's end instead of
// allocating it. Objects are read into a set of their own, which replaces
// the caller's only when the whole stream has been read.

#include "imaging/views/vect/QkVStream.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "imaging/core/QkStreamRoutines.h"
#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/zstreams/QkZStreams.h"
#include "imaging/views/layers/QkLayerBytes.h"
#include "imaging/views/vect/QkVObjectSet.h"
#include "imaging/views/vect/QkVUserObject.h"
#include "platform/core/Exceptions.h"

namespace {

constexpr char Signature[3] = {'Q', 'K', 'V'};
constexpr size_t LogFontSize = 60;
constexpr size_t FaceNameSize = 32;
constexpr int MaxContainerDepth = 16;
constexpr size_t ReadChunk = 65536;
// zlib's default level among stored, fastest, default and best.
constexpr int DefaultLevelIndex = 2;

bool KnownVersion(uint8_t version) { return version >= '1' && version <= uint8_t(QkvCurrentVersion); }

[[noreturn]] void Damaged(const std::string& what) { throw EReadError("Damaged vector object stream: " + what); }

class TFieldWriter {
public:
    explicit TFieldWriter(TStream& stream) : stream_(stream) {}

    void Byte(uint8_t value) { stream_.WriteBuffer(&value, 1); }
    void Flag(bool value) { Byte(value ? 1 : 0); }
    void Int32(int32_t value)
    {
        TQkByteWriter field;
        field.Int32(value);
        Put(field);
    }
    void Double(double value)
    {
        TQkByteWriter field;
        field.Double(value);
        Put(field);
    }
    void Bytes(const void* data, size_t count) { stream_.WriteBuffer(data, int64_t(count)); }
    void Text(const std::optional<std::string>& text)
    {
        Int32(text ? int32_t(text->size()) : 0);
        if (text)
            Bytes(text->data(), text->size());
    }
    void Font(const std::optional<TLogFont>& font)
    {
        Flag(font.has_value());
        if (!font)
            return;
        for (const int32_t value :
             {font->lfHeight, font->lfWidth, font->lfEscapement, font->lfOrientation, font->lfWeight})
            Int32(value);
        for (const uint8_t value :
             {font->lfItalic, font->lfUnderline, font->lfStrikeOut, font->lfCharSet, font->lfOutPrecision,
              font->lfClipPrecision, font->lfQuality, font->lfPitchAndFamily})
            Byte(value);
        char face[FaceNameSize] = {};
        std::memcpy(face, font->lfFaceName.data(), std::min(font->lfFaceName.size(), FaceNameSize - 1));
        Bytes(face, FaceNameSize);
    }

private:
    void Put(TQkByteWriter& field) { Bytes(field.Data().data(), field.Data().size()); }

    TStream& stream_;
};

class TFieldReader {
public:
    explicit TFieldReader(TStream& stream) : stream_(stream) {}

    uint8_t Byte()
    {
        uint8_t value;
        stream_.ReadBuffer(&value, 1);
        return value;
    }
    bool Flag() { return Byte() != 0; }
    int32_t Int32()
    {
        uint8_t bytes[4];
        stream_.ReadBuffer(bytes, 4);
        return TQkByteReader(bytes, 4).Int32();
    }
    int32_t Count(const char* what)
    {
        const int32_t count = Int32();
        if (count < 0)
            Damaged(std::string("negative ") + what);
        return count;
    }
    double Double()
    {
        uint8_t bytes[8];
        stream_.ReadBuffer(bytes, 8);
        return TQkByteReader(bytes, 8).Double();
    }
    std::vector<uint8_t> Bytes(size_t count)
    {
        std::vector<uint8_t> bytes;
        while (bytes.size() < count) {
            const size_t part = std::min(ReadChunk, count - bytes.size());
            bytes.resize(bytes.size() + part);
            stream_.ReadBuffer(bytes.data() + bytes.size() - part, int64_t(part));
        }
        return bytes;
    }
    std::string Text()
    {
        const std::vector<uint8_t> bytes = Bytes(size_t(Count("text length")));
        return {bytes.begin(), bytes.end()};
    }
    std::optional<TLogFont> Font()
    {
        if (!Flag())
            return std::nullopt;
        TLogFont font;
        for (int32_t* field : {&font.lfHeight, &font.lfWidth, &font.lfEscapement, &font.lfOrientation, &font.lfWeight})
            *field = Int32();
        for (uint8_t* field : {&font.lfItalic, &font.lfUnderline, &font.lfStrikeOut, &font.lfCharSet,
                               &font.lfOutPrecision, &font.lfClipPrecision, &font.lfQuality, &font.lfPitchAndFamily})
            *field = Byte();
        const std::vector<uint8_t> face = Bytes(FaceNameSize);
        font.lfFaceName.assign(face.begin(), std::find(face.begin(), face.end(), 0));
        return font;
    }

private:
    TStream& stream_;
};

// ---- Writing ----

void WriteCommonFields(TFieldWriter& out, const TQkVObject& record, int32_t hobj)
{
    out.Int32(hobj);
    for (const int32_t value : {record.X1, record.Y1, record.X2, record.Y2})
        out.Int32(value);
    out.Byte(record.Kind);
    out.Flag(record.KeepAspect);
    out.Byte(record.BlendOperation);
    out.Flag(record.SoftShadow.Enabled);
    out.Double(record.SoftShadow.Radius);
    out.Int32(record.SoftShadow.OffsetX);
    out.Int32(record.SoftShadow.OffsetY);
    out.Int32(record.SoftShadow.Intensity);
    out.Bytes(record.SoftShadow.ShadowColor.data(), 3);
    out.Text(record.Name);
    out.Int32(record.Tag);
    out.Int32(int32_t(record.PenColor));
    out.Byte(record.PenStyle);
    out.Int32(record.PenWidth);
    out.Int32(int32_t(record.BrushColor));
    out.Byte(record.BrushStyle);
    out.Byte(record.Flags);
    out.Int32(record.Transparency);
    out.Flag(record.AndFill);
    out.Byte(record.FontQuality);
    out.Int32(record.UserDataLen());
    out.Bytes(record.UserData.data(), record.UserData.size());
}

void WriteLineText(TFieldWriter& out, const TQkVObject& record)
{
    out.Byte(record.TextAlign);
    out.Flag(record.TextAutoSize);
    out.Text(record.Text);
    out.Font(record.Font);
    out.Int32(record.CurvePointCount());
    for (const TQkVCurvePoint& point : record.CurvePoints) {
        out.Double(point.x);
        out.Double(point.y);
    }
    if (!record.CurvePoints.empty())
        out.Int32(record.CurveTextAngle);
}

void WriteMemo(TFieldWriter& out, const TQkVObject& record)
{
    out.Text(record.Text);
    out.Font(record.Font);
    out.Flag(record.CharRuns.has_value());
    if (record.CharRuns) {
        const size_t length = record.Text ? record.Text->size() : 0;
        for (size_t i = 0; i < length; ++i)
            out.Int32(i < record.CharRuns->size() ? (*record.CharRuns)[i] : 0);
    }
    out.Int32(int32_t(record.FontRuns.size()));
    for (const TQkFormatRunRecord& run : record.FontRuns)
        out.Bytes(run.data(), run.size());
    out.Flag(record.MemoSingleFormat);
    out.Flag(record.TextAutoSize);
    out.Int32(record.MemoLineSpacing);
    out.Int32(int32_t(record.MemoBorderColor));
    out.Byte(record.MemoBorderStyle);
    out.Byte(record.TextAlign);
    out.Int32(record.MemoFixedCharHeight);
    out.Flag(record.MemoHasBitmap);
    if (record.MemoHasBitmap) {
        out.Int32(record.BitmapIndex);
        out.Flag(record.BitmapBorder);
    }
    for (const double margin : record.MemoMargins)
        out.Double(margin);
    out.Byte(record.MemoCharBackStyle);
}

void WriteKindFields(TFieldWriter& out, TStream& stream, const TQkVObject& record)
{
    const TQkVObjKind kind = record.Kind;
    if (kind == qkvkLabelLine) {
        out.Int32(int32_t(record.LabelBrushColor));
        out.Byte(record.LabelBrushStyle);
        out.Byte(record.LabelPosition);
        out.Byte(record.LabelBorder);
    }
    if (HasArrowShapes(kind)) {
        out.Byte(record.BeginShape);
        out.Byte(record.EndShape);
        out.Int32(record.ShapeWidth);
        out.Int32(record.ShapeHeight);
    }
    if (kind == qkvkArc) {
        out.Double(record.BeginAngle);
        out.Double(record.EndAngle);
    }
    if (kind == qkvkBitmap) {
        out.Int32(record.BitmapIndex);
        out.Flag(record.BitmapBorder);
        out.Text(record.Text);
    }
    if (HasLineText(kind))
        WriteLineText(out, record);
    if (kind == qkvkMemo)
        WriteMemo(out, record);
    out.Flag(record.TextEditable);
    if (kind == qkvkRuler) {
        out.Byte(record.RulerUnit);
        out.Byte(record.RulerType);
        out.Font(record.Font);
    }
    if (kind == qkvkPolyline) {
        out.Int32(record.PointCount());
        for (const TPoint& point : record.Points) {
            out.Int32(point.X);
            out.Int32(point.Y);
        }
        for (const int32_t value : {record.BaseX1, record.BaseY1, record.BaseX2, record.BaseY2})
            out.Int32(value);
        out.Flag(record.Closed);
    }
    if (kind == qkvkAngle) {
        for (const TPoint& point : record.AnglePoints) {
            out.Int32(point.X);
            out.Int32(point.Y);
        }
        out.Font(record.Font);
    }
    if (kind == qkvkUserObject) {
        out.Flag(bool(record.UserObject));
        if (record.UserObject) {
            WriteStringToStream(stream, GetUserObjectClassName(*record.UserObject.get()));
            record.UserObject->SaveToStream(stream);
        }
    }
}

void WriteObjectRecord(TStream& stream, TQkVObjectSet& set, int32_t hobj)
{
    TFieldWriter out(stream);
    const TQkVObject& record = *set.GetObjectRecord(hobj);
    WriteCommonFields(out, record, hobj);
    WriteKindFields(out, stream, record);
}

void WriteSharedBitmaps(TFieldWriter& out, TStream& stream, TQkVObjectSet& set)
{
    const auto& table = set.SharedBitmaps();
    out.Int32(int32_t(table.size()));
    for (size_t index = 0; index < table.size(); ++index) {
        const bool templateEntry = int32_t(index) == set.Template().BitmapIndex;
        const int32_t count = table[index].UseCount - (templateEntry ? 1 : 0);
        out.Int32(count);
        if (count <= 0)
            continue;
        const auto io = TBrelvixIO::CreateFromBitmap(table[index].Bitmap.get());
        io->SavePngToStream(stream);
        if (io->Aborting())
            throw EWriteError("Cannot write an image of the vector objects");
    }
}

// ---- Reading ----

struct TReadContext {
    TStream& Stream;
    TFieldReader In;
    uint8_t Version;
    TQkVObjectSet& Set;
    const TQkVObject& Template; // the view's, whose font old rulers and gauges take
    TBrelvixVect* Owner;

    bool Has(uint8_t code) const { return Version >= code; }
};

TLogFont ArialOfHeight(const TQkVObject& templateRecord, int32_t height)
{
    TLogFont font = templateRecord.Font.value_or(TLogFont{});
    font.lfHeight = height;
    font.lfFaceName = "Arial";
    return font;
}

void ReadCommonFields(TReadContext& c, TQkVObject& record)
{
    if (c.Has(0x3C))
        c.In.Int32(); // the handle the object had when written
    for (int32_t* value : {&record.X1, &record.Y1, &record.X2, &record.Y2})
        *value = c.In.Int32();
    record.Kind = TQkVObjKind(c.In.Byte());
    record.KeepAspect = c.Has(0x4D) && c.In.Flag();
    record.BlendOperation = c.Has(0x52) ? c.In.Byte() : 0;
    record.SoftShadow = {false, 3.0, 2, 2, 100, {0, 0, 0}};
    if (c.Has(0x3D)) {
        record.SoftShadow.Enabled = c.In.Flag();
        record.SoftShadow.Radius = c.In.Double();
        record.SoftShadow.OffsetX = c.In.Int32();
        record.SoftShadow.OffsetY = c.In.Int32();
    }
    if (c.Has(0x4F)) {
        record.SoftShadow.Intensity = c.In.Int32();
        for (uint8_t& channel : record.SoftShadow.ShadowColor)
            channel = c.In.Byte();
    }
    record.Name = c.In.Text();
    record.Tag = c.In.Int32();
    record.PenColor = TColor(c.In.Int32());
    record.PenStyle = c.In.Byte();
    record.PenWidth = c.In.Int32();
    record.BrushColor = TColor(c.In.Int32());
    record.BrushStyle = c.In.Byte();
    record.Flags = c.In.Byte();
    record.Transparency = c.Has(0x3D) ? c.In.Int32() : 255;
    record.AndFill = c.Has(0x40) && c.In.Flag();
    record.FontQuality = c.Has(0x51) ? c.In.Byte() : 0;
    if (c.Has(0x49))
        record.UserData = c.In.Bytes(size_t(c.In.Count("user data length")));
}

void ReadLineText(TReadContext& c, TQkVObject& record)
{
    record.TextAlign = c.Has(0x34) ? c.In.Byte() : 0;
    record.TextAutoSize = c.Has(0x39) && c.In.Flag();
    record.Text = c.In.Text();
    record.Font = c.In.Font();
    const int32_t count = c.Has(0x3F) ? c.In.Count("curve point count") : 0;
    for (int32_t i = 0; i < count; ++i) {
        const double x = c.In.Double();
        record.CurvePoints.push_back({x, c.In.Double()});
    }
    record.CurveTextAngle = count > 0 ? c.In.Int32() : -10;
}

void ReadMemo(TReadContext& c, TQkVObject& record)
{
    record.Text = c.In.Text();
    record.Font = c.In.Font();
    if (!c.Has(0x43) || c.In.Flag()) {
        std::vector<int32_t> runs;
        for (size_t i = 0; i < record.Text->size(); ++i)
            runs.push_back(c.In.Int32());
        runs.push_back(0);
        record.CharRuns = std::move(runs);
    }
    const int32_t runCount = c.In.Count("format run count");
    for (int32_t i = 0; i < runCount; ++i) {
        TQkFormatRunRecord run;
        c.Stream.ReadBuffer(run.data(), int64_t(run.size()));
        record.FontRuns.push_back(run);
    }
    record.MemoSingleFormat = c.In.Flag();
    record.TextAutoSize = c.In.Flag();
    record.MemoLineSpacing = c.In.Int32();
    record.MemoBorderColor = TColor(c.In.Int32());
    record.MemoBorderStyle = c.In.Byte();
    record.TextAlign = c.In.Byte();
    record.MemoFixedCharHeight = c.In.Int32();
    record.MemoHasBitmap = c.Has(0x49) && c.In.Flag();
    if (record.MemoHasBitmap) {
        record.BitmapIndex = c.In.Int32();
        record.BitmapBorder = c.Has(0x42) && c.In.Flag();
    }
    if (c.Has(0x48))
        for (double& margin : record.MemoMargins)
            margin = c.In.Double();
    record.MemoCharBackStyle = c.Has(0x4C) ? c.In.Byte() : 0;
}

void ReadUserObject(TReadContext& c, TQkVObject& record)
{
    if (!c.Has(0x4E) || !c.In.Flag())
        return;
    std::string className;
    ReadStringFromStream(c.Stream, className);
    std::unique_ptr<TQkVUserObject> object = CreateUserObjectByClassName(className);
    // The object's own data has no length, so nothing after it can be found.
    if (!object)
        throw EReadError("The vector objects hold an object of the unknown class \"" + className + "\"");
    object->Owner = c.Owner;
    object->Attached();
    object->LoadFromStream(c.Stream);
    record.UserObject = TQkVUserObjectHolder(std::move(object));
}

void ReadRuler(TReadContext& c, TQkVObject& record)
{
    if (c.Has(0x35)) {
        record.RulerUnit = TQkUnits(c.In.Byte());
        record.RulerType = c.In.Byte();
    }
    if (c.Has(0x41))
        record.Font = c.In.Font();
    if (!record.Font)
        record.Font = ArialOfHeight(c.Template, 12);
}

void ReadPolyline(TReadContext& c, TQkVObject& record)
{
    if (!c.Has(0x38))
        return;
    const int32_t count = c.In.Count("point count");
    for (int32_t i = 0; i < count; ++i) {
        const int32_t x = c.In.Int32();
        record.Points.push_back({x, c.In.Int32()});
    }
    for (int32_t* value : {&record.BaseX1, &record.BaseY1, &record.BaseX2, &record.BaseY2})
        *value = c.In.Int32();
    record.Closed = c.Has(0x3B) && c.In.Flag();
}

void ReadAngle(TReadContext& c, TQkVObject& record)
{
    for (TPoint& point : record.AnglePoints)
        point = c.Has(0x3A) ? TPoint{c.In.Int32(), c.In.Int32()} : TPoint{UnsetAnglePoint, UnsetAnglePoint};
    if (c.Has(0x4B))
        record.Font = c.In.Font();
    if (!record.Font)
        record.Font = ArialOfHeight(c.Template, 10);
}

void ReadKindFields(TReadContext& c, TQkVObject& record)
{
    const TQkVObjKind kind = record.Kind;
    if (kind == qkvkLabelLine) {
        record.LabelBrushColor = TColor(c.In.Int32());
        record.LabelBrushStyle = c.In.Byte();
        record.LabelPosition = c.In.Byte();
        record.LabelBorder = c.Has(0x50) ? c.In.Byte() : 0;
    }
    if (HasArrowShapes(kind)) {
        record.BeginShape = c.In.Byte();
        record.EndShape = c.In.Byte();
        record.ShapeWidth = c.In.Int32();
        record.ShapeHeight = c.In.Int32();
    }
    if (kind == qkvkArc) {
        record.BeginAngle = c.In.Double();
        record.EndAngle = c.In.Double();
    }
    if (kind == qkvkBitmap) {
        record.BitmapIndex = c.In.Int32();
        record.BitmapBorder = c.Has(0x42) && c.In.Flag();
        if (c.Has(0x46))
            record.Text = c.In.Text();
    }
    if (HasLineText(kind))
        ReadLineText(c, record);
    if (kind == qkvkMemo)
        ReadMemo(c, record);
    record.TextEditable = !c.Has(0x4A) || c.In.Flag();
    if (kind == qkvkRuler)
        ReadRuler(c, record);
    if (kind == qkvkPolyline)
        ReadPolyline(c, record);
    if (kind == qkvkAngle)
        ReadAngle(c, record);
    if (kind == qkvkUserObject)
        ReadUserObject(c, record);
}

int32_t ReadObjectRecord(TReadContext& c, bool withBitmaps, int depth);

void ReadContainerMembers(TReadContext& c, int32_t members, int depth)
{
    if (depth >= MaxContainerDepth)
        Damaged("object groups nested too deeply");
    for (int32_t i = 0; i < members; ++i)
        ReadObjectRecord(c, true, depth + 1);
}

int32_t ReadObjectRecord(TReadContext& c, bool withBitmaps, int depth)
{
    TQkVObject record;
    ReadCommonFields(c, record);
    const int32_t members = record.Kind == qkvkNone ? c.In.Count("group member count") : 0;
    ReadKindFields(c, record);
    if (record.Kind == qkvkNone) {
        ReadContainerMembers(c, members, depth);
        return qkvNoObject;
    }
    if (!withBitmaps && (record.Kind == qkvkBitmap || record.Kind == qkvkMemo))
        record.BitmapIndex = -1;
    std::vector<uint8_t> userData = std::move(record.UserData);
    const int32_t handle = c.Set.AddObjectRecord(record);
    c.Set.GetObjectRecord(handle)->UserData = std::move(userData);
    if (TQkVObject* added = c.Set.GetObjectRecord(handle); added->UserObject)
        added->UserObject->Owner = c.Owner;
    return handle;
}

// Rows of the alpha channel, deflated, from the last row up to the first.
void ReadAlphaBlock(TReadContext& c, TQkBitmap& image)
{
    const int32_t length = c.In.Count("alpha block length");
    if (length == 0)
        return;
    const std::vector<uint8_t> packed = c.In.Bytes(size_t(length));
    TQkBitmap* alpha = image.GetAlphaChannel();
    const size_t rowLen = size_t(alpha->GetRowLen());
    const size_t wanted = rowLen * size_t(alpha->GetHeight());
    const std::vector<uint8_t> rows = InflateBuffer(packed.data(), packed.size(), wanted, wanted);
    if (rows.size() < wanted)
        Damaged("alpha block shorter than its image");
    for (int32_t y = alpha->GetHeight() - 1, row = 0; y >= 0; --y, ++row)
        std::memcpy(alpha->GetScanline(y), rows.data() + size_t(row) * rowLen, rowLen);
}

std::unique_ptr<TQkBitmap> ReadImage(TReadContext& c)
{
    auto image = std::make_unique<TQkBitmap>();
    const auto io = TBrelvixIO::CreateFromBitmap(image.get());
    if (c.Version <= '2')
        io->LoadBmpFromStream(c.Stream);
    else
        io->LoadPngFromStream(c.Stream);
    if (io->Aborting())
        Damaged("unreadable image");
    return image;
}

void ReadSharedBitmaps(TReadContext& c)
{
    const int32_t count = c.In.Count("image count");
    // Entries are made as they are read, so a count the data does not back
    // fails at the data's end.
    std::vector<std::unique_ptr<TQkBitmap>> images;
    for (int32_t index = 0; index < count; ++index) {
        if (c.In.Int32() <= 0) {
            images.emplace_back();
            continue;
        }
        images.push_back(ReadImage(c));
        if (c.Version >= 0x37 && c.Version <= 0x3C)
            ReadAlphaBlock(c, *images.back());
    }
    c.Set.ResetSharedBitmaps(images.size());
    for (size_t index = 0; index < images.size(); ++index)
        c.Set.PutSharedBitmap(int32_t(index), std::move(images[index]));
}

} // namespace

void SaveObjectsToStream(TQkVObjectSet& set, TStream& stream)
{
    set.PackSharedBitmaps();
    const int64_t start = stream.Position();
    TFieldWriter out(stream);
    out.Bytes(Signature, sizeof Signature);
    out.Byte(uint8_t(QkvCurrentVersion));
    out.Int32(0); // the total length, known at the end
    out.Double(set.MeasureScale);
    WriteSharedBitmaps(out, stream, set);
    {
        TZCompressionStream packed(stream, DefaultLevelIndex);
        TFieldWriter(packed).Int32(int32_t(set.ZOrder().size()));
        for (const int32_t handle : set.ZOrder())
            WriteObjectRecord(packed, set, handle);
        packed.Finish();
    }
    const int64_t end = stream.Position();
    stream.SetPosition(start + 4);
    out.Int32(int32_t(end - start));
    stream.SetPosition(end);
}

bool IsObjectsStream(TStream& stream)
{
    const int64_t start = stream.Position();
    uint8_t head[4] = {};
    const bool known =
        stream.Read(head, 4) == 4 && std::memcmp(head, Signature, sizeof Signature) == 0 && KnownVersion(head[3]);
    stream.SetPosition(start);
    return known;
}

bool LoadObjectsFromStream(TQkVObjectSet& set, TStream& stream, TBrelvixVect* owner)
{
    if (!IsObjectsStream(stream))
        return false;
    uint8_t head[4];
    stream.ReadBuffer(head, 4);
    TQkVObjectSet loaded;
    TReadContext header{stream, TFieldReader(stream), head[3], loaded, set.Template(), owner};
    header.In.Int32(); // the total length
    loaded.MeasureScale = header.Version == '1' ? double(header.In.Int32()) : header.In.Double();
    ReadSharedBitmaps(header);
    {
        TZDecompressionStream packed(stream);
        TReadContext records{packed, TFieldReader(packed), head[3], loaded, set.Template(), owner};
        const int32_t count = records.In.Count("object count");
        for (int32_t i = 0; i < count; ++i)
            ReadObjectRecord(records, true, 0);
    }
    if (TQkBitmap* templateImage = set.GetSharedBitmap(set.Template().BitmapIndex))
        loaded.SetObjBitmap(qkvTemplate, templateImage);
    set.SwapObjects(loaded);
    return true;
}
