#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkStartup.h"
#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/BrelvixIOStartup.h"
#include "imaging/formats/zstreams/QkZStreams.h"
#include "imaging/views/vect/QkVObjectSet.h"
#include "imaging/views/vect/QkVStream.h"
#include "imaging/views/vect/QkVUserObject.h"
#include "platform/core/Exceptions.h"

namespace {

class TStampObject : public TQkVUserObject {
public:
    int32_t Stamp = 0;
    void SaveToStream(TStream& stream) override { stream.WriteBuffer(&Stamp, 4); }
    void LoadFromStream(TStream& stream) override { stream.ReadBuffer(&Stamp, 4); }
    std::unique_ptr<TQkVUserObject> Clone() const override { return std::make_unique<TStampObject>(*this); }
    void Draw(TQkBitmap&, int32_t, int32_t, int32_t, int32_t, double, double, bool) override {}
};

// Little-endian fields of a hand-made stream.
class TBytes {
public:
    TBytes& Byte(uint8_t value)
    {
        bytes_.push_back(value);
        return *this;
    }
    TBytes& Int32(int32_t value)
    {
        for (int i = 0; i < 4; ++i)
            Byte(uint8_t(uint32_t(value) >> (8 * i)));
        return *this;
    }
    TBytes& Double(double value)
    {
        const auto bits = std::bit_cast<uint64_t>(value);
        for (int i = 0; i < 8; ++i)
            Byte(uint8_t(bits >> (8 * i)));
        return *this;
    }
    TBytes& Text(const std::string& text)
    {
        Int32(int32_t(text.size()));
        bytes_.insert(bytes_.end(), text.begin(), text.end());
        return *this;
    }
    TBytes& Append(const std::vector<uint8_t>& more)
    {
        bytes_.insert(bytes_.end(), more.begin(), more.end());
        return *this;
    }
    const std::vector<uint8_t>& Data() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

std::vector<uint8_t> Bytes(TMemoryStream& stream)
{
    const auto* data = static_cast<const uint8_t*>(stream.Memory());
    return {data, data + stream.Size()};
}

std::vector<uint8_t> Deflated(const std::vector<uint8_t>& plain)
{
    TMemoryStream packed;
    {
        TZCompressionStream deflate(packed, 2);
        deflate.WriteBuffer(plain.data(), int64_t(plain.size()));
        deflate.Finish();
    }
    return Bytes(packed);
}

std::vector<uint8_t> StoredFile(const std::string& name)
{
    std::ifstream file(std::string(TEST_SOURCE_DIR) + "/vect/fixtures/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void Fill(TMemoryStream& stream, const std::vector<uint8_t>& bytes)
{
    stream.SetSize(0);
    stream.WriteBuffer(bytes.data(), int64_t(bytes.size()));
    stream.SetPosition(0);
}

std::unique_ptr<TQkBitmap> Filled(int32_t width, int32_t height, uint8_t value)
{
    auto bitmap = std::make_unique<TQkBitmap>(width, height, qk24RGB);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t i = 0; i < width * 3; ++i)
            bitmap->GetScanline(y)[i] = uint8_t(value + y * 16 + i);
    return bitmap;
}

// The record fields every version has, for a version before any optional one.
TBytes& OldCommonFields(TBytes& bytes, TQkVObjKind kind, const std::string& name)
{
    bytes.Int32(1).Int32(2).Int32(30).Int32(40).Byte(kind).Text(name).Int32(7);
    return bytes.Int32(0x0000FF).Byte(0).Int32(3).Int32(0xFFFFFF).Byte(1).Byte(15);
}

class VectorObjectStream : public ::testing::Test {
protected:
    VectorObjectStream()
    {
        InstallBrelvixIOStartup();
        LibraryStaticInit();
        RegisterUserObjectClass<TStampObject>("TStampObject");
    }
    ~VectorObjectStream() override
    {
        ReleaseUserObjectClasses();
        LibraryStaticFinal();
    }

    std::vector<uint8_t> Saved(TQkVObjectSet& set)
    {
        TMemoryStream stream;
        SaveObjectsToStream(set, stream);
        return Bytes(stream);
    }
    bool Load(TQkVObjectSet& set, const std::vector<uint8_t>& bytes)
    {
        TMemoryStream stream;
        Fill(stream, bytes);
        return LoadObjectsFromStream(set, stream, nullptr);
    }

    // One object of every kind, each with the fields its kind stores.
    void FillWithEveryKind(TQkVObjectSet& set)
    {
        set.MeasureScale = 2.5;
        TQkVObject line;
        line.Kind = qkvkLine;
        line.BeginShape = 1;
        line.EndShape = 2;
        line.Name = "arrow";
        line.SoftShadow = {true, 4.5, 3, -2, 60, {1, 2, 3}};
        set.AddObjectRecord(line);
        TQkVObject box;
        box.Kind = qkvkBox;
        box.AndFill = true;
        box.UserData = {9, 8, 7};
        const int32_t boxHandle = set.AddObjectRecord(box);
        set.GetObjectRecord(boxHandle)->UserData = box.UserData;
        TQkVObject arc;
        arc.Kind = qkvkArc;
        arc.BeginAngle = 0.25;
        arc.EndAngle = 1.5;
        set.AddObjectRecord(arc);
        TQkVObject bitmap;
        bitmap.Kind = qkvkBitmap;
        bitmap.BitmapBorder = true;
        set.SetObjBitmap(set.AddObjectRecord(bitmap), Filled(5, 4, 40).get());
        TQkVObject text;
        text.Kind = qkvkText;
        text.Text = "on a curve";
        text.Font = TLogFont{};
        text.Font->lfHeight = -15;
        text.Font->lfFaceName = "DejaVu Sans";
        text.CurvePoints = {{0, 0.5}, {0.5, 0}, {1, 0.5}};
        text.CurveTextAngle = 450;
        set.AddObjectRecord(text);
        TQkVObject ruler;
        ruler.Kind = qkvkRuler;
        ruler.RulerUnit = qkuMILLIMETERS;
        ruler.RulerType = 0;
        ruler.Font = TLogFont{}; // without one, a ruler read back gets the default font
        set.AddObjectRecord(ruler);
        TQkVObject polyline;
        polyline.Kind = qkvkPolyline;
        polyline.Closed = true;
        const int32_t polylineHandle = set.AddObjectRecord(polyline);
        for (const TPoint point : {TPoint{0, 0}, TPoint{10, 5}, TPoint{3, 9}})
            set.AddPolylinePoint(polylineHandle, point.X, point.Y);
        TQkVObject angle;
        angle.Kind = qkvkAngle;
        angle.AnglePoints = {TPoint{1, 2}, TPoint{3, 4}, TPoint{5, 6}};
        angle.Font = TLogFont{};
        set.AddObjectRecord(angle);
        TQkVObject memo;
        memo.Kind = qkvkMemo;
        memo.Text = "two\nlines";
        memo.CharRuns = std::vector<int32_t>(9, 0);
        memo.FontRuns.resize(2);
        memo.FontRuns[1][5] = 0x55;
        memo.MemoHasBitmap = true;
        memo.MemoMargins = {1, 2, 3, 4};
        set.SetObjBitmap(set.AddObjectRecord(memo), Filled(5, 4, 40).get());
        TQkVObject label;
        label.Kind = qkvkLabelLine;
        label.Text = "label";
        label.LabelBorder = 3;
        set.AddObjectRecord(label);
        TQkVObject user;
        user.Kind = qkvkUserObject;
        auto stamp = std::make_unique<TStampObject>();
        stamp->Stamp = 4242;
        user.UserObject = TQkVUserObjectHolder(std::move(stamp));
        set.AddObjectRecord(user);
    }
};

} // namespace

TEST_F(VectorObjectStream, AnEmptySetWritesItsHeaderAndNoObjects)
{
    TQkVObjectSet set;
    set.SetObjBitmap(qkvTemplate, Filled(3, 2, 1).get());
    const std::vector<uint8_t> bytes = Saved(set);
    ASSERT_GE(bytes.size(), 24u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "QKVR");
    EXPECT_EQ(TBytes().Int32(int32_t(bytes.size())).Data(), std::vector<uint8_t>(bytes.begin() + 4, bytes.begin() + 8));
    const std::vector<uint8_t> header = TBytes().Double(1.0).Int32(1).Int32(0).Data();
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 8, bytes.begin() + 24), header)
        << "the template's image alone is written as an entry used 0 times, without its image";
    EXPECT_EQ(InflateBuffer(bytes.data() + 24, bytes.size() - 24), TBytes().Int32(0).Data());

    TQkVObjectSet other;
    other.SetObjBitmap(qkvTemplate, Filled(2, 2, 200).get());
    ASSERT_TRUE(Load(other, bytes));
    EXPECT_EQ(other.ObjectCount(), 0);
    ASSERT_NE(other.GetSharedBitmap(other.Template().BitmapIndex), nullptr);
    EXPECT_EQ(other.GetSharedBitmap(other.Template().BitmapIndex)->GetScanline(0)[0], 200)
        << "loading keeps the template's own image";
}

TEST_F(VectorObjectStream, EveryKindComesBackAsItWasWritten)
{
    TQkVObjectSet set;
    FillWithEveryKind(set);
    const std::vector<uint8_t> bytes = Saved(set);
    TQkVObjectSet loaded;
    ASSERT_TRUE(Load(loaded, bytes));
    ASSERT_EQ(loaded.ObjectCount(), set.ObjectCount());
    EXPECT_EQ(Saved(loaded), bytes) << "writing what was read gives the same stream";
    EXPECT_EQ(bytes, StoredFile("every-kind.qkv")) << "the stream stays what stored files hold";

    EXPECT_EQ(loaded.MeasureScale, 2.5);
    EXPECT_EQ(loaded.SharedBitmaps().size(), 1u) << "the bitmap object and the memo share one image";
    EXPECT_EQ(loaded.SharedBitmaps()[0].UseCount, 2);
    EXPECT_EQ(loaded.GetObjectRecord(0)->SoftShadow.OffsetY, -2);
    EXPECT_EQ(loaded.GetObjectRecord(1)->UserData, (std::vector<uint8_t>{9, 8, 7}));
    EXPECT_EQ(loaded.GetObjectRecord(4)->Font->lfFaceName, "DejaVu Sans");
    EXPECT_EQ(loaded.GetObjectRecord(4)->CurvePoints[1].x, 0.5);
    EXPECT_EQ(loaded.GetObjectRecord(6)->PointCount(), 3);
    EXPECT_EQ(loaded.GetObjectRecord(8)->FontRuns[1][5], 0x55);
    auto* stamp = dynamic_cast<TStampObject*>(loaded.GetObjectRecord(10)->UserObject.get());
    ASSERT_NE(stamp, nullptr);
    EXPECT_EQ(stamp->Stamp, 4242);
    EXPECT_EQ(stamp->Handle, 10);
    EXPECT_EQ(stamp->Record, loaded.GetObjectRecord(10));
}

TEST_F(VectorObjectStream, FirstVersionRecordsGetTheDefaultsOfLaterFields)
{
    TBytes records;
    records.Int32(3);
    OldCommonFields(records, qkvkRuler, "ruler");
    OldCommonFields(records, qkvkAngle, "gauge");
    OldCommonFields(records, qkvkNone, "group").Int32(2);
    OldCommonFields(records, qkvkLine, "member line").Byte(1).Byte(0).Int32(8).Int32(16);
    OldCommonFields(records, qkvkBox, "member box");
    TBytes stream;
    stream.Byte('Q').Byte('K').Byte('V').Byte('1').Int32(0).Int32(3).Int32(0).Append(Deflated(records.Data()));

    TQkVObjectSet set;
    set.Template().Font = TLogFont{};
    set.Template().Font->lfWeight = FW_BOLD;
    ASSERT_TRUE(Load(set, stream.Data()));
    EXPECT_EQ(set.MeasureScale, 3.0) << "the first version stores the scale as an integer";
    ASSERT_EQ(set.ObjectCount(), 4) << "a group adds its members, not itself";
    const TQkVObject& ruler = *set.GetObjectRecord(0);
    EXPECT_EQ(ruler.Font->lfHeight, 12);
    EXPECT_EQ(ruler.Font->lfFaceName, "Arial");
    EXPECT_EQ(ruler.Font->lfWeight, FW_BOLD) << "the rest of the font is the template's";
    EXPECT_EQ(ruler.SoftShadow.OffsetX, 2);
    const TQkVObject& gauge = *set.GetObjectRecord(1);
    EXPECT_EQ(gauge.Font->lfHeight, 10);
    EXPECT_EQ(gauge.AnglePoints[2].X, UnsetAnglePoint);
    EXPECT_EQ(set.GetObjectRecord(2)->Name, "member line");
    EXPECT_EQ(set.GetObjectRecord(2)->ShapeHeight, 16);
    EXPECT_EQ(set.GetObjectRecord(3)->Name, "member box");
    EXPECT_TRUE(set.GetObjectRecord(3)->TextEditable);
}

TEST_F(VectorObjectStream, SeventhVersionImagesCarryTheirAlphaRowsBottomUp)
{
    TQkBitmap image(4, 3, qk24RGB);
    TMemoryStream png;
    TBrelvixIO::CreateFromBitmap(&image)->SavePngToStream(png);
    std::vector<uint8_t> alphaRows;
    for (uint8_t row : {30, 20, 10}) // rows 2, 1, 0
        alphaRows.insert(alphaRows.end(), {row, uint8_t(row + 1), 0, 0});
    const std::vector<uint8_t> alpha = Deflated(alphaRows);
    TBytes stream;
    stream.Byte('Q').Byte('K').Byte('V').Byte('7').Int32(0).Double(1).Int32(1).Int32(1).Append(Bytes(png));
    stream.Int32(int32_t(alpha.size())).Append(alpha).Append(Deflated(TBytes().Int32(0).Data()));

    TQkVObjectSet set;
    ASSERT_TRUE(Load(set, stream.Data()));
    TQkBitmap* loaded = set.GetSharedBitmap(0);
    ASSERT_NE(loaded, nullptr);
    ASSERT_TRUE(loaded->HasAlphaChannel());
    EXPECT_EQ(loaded->GetAlphaChannel()->GetScanline(0)[0], 10);
    EXPECT_EQ(loaded->GetAlphaChannel()->GetScanline(2)[1], 31);
}

TEST_F(VectorObjectStream, OnlyKnownSignaturesAndVersionsAreObjectStreams)
{
    const struct {
        const char* Head;
        bool Known;
    } cases[] = {{"QKV1", true},  {"QKV9", true},  {"QKVA", true},  {"QKVR", true},
                 {"QKVS", false}, {"QKV0", false}, {"QKX1", false}, {"QKV", false}};
    for (const auto& c : cases) {
        TMemoryStream stream;
        stream.WriteBuffer("xy", 2);
        stream.WriteBuffer(c.Head, int64_t(std::strlen(c.Head)));
        stream.SetPosition(2);
        EXPECT_EQ(IsObjectsStream(stream), c.Known) << c.Head;
        EXPECT_EQ(stream.Position(), 2) << c.Head;
        TQkVObjectSet set;
        set.AddObjectRecord(TQkVObject{});
        if (!c.Known) {
            EXPECT_FALSE(LoadObjectsFromStream(set, stream, nullptr)) << c.Head;
        }
        EXPECT_EQ(set.ObjectCount(), 1) << c.Head;
    }
}

TEST_F(VectorObjectStream, DamagedStreamsFailAndChangeNothing)
{
    TQkVObjectSet source;
    FillWithEveryKind(source);
    const std::vector<uint8_t> whole = Saved(source);
    const auto loadsOrFailsCleanly = [&](const std::vector<uint8_t>& bytes, const std::string& what) {
        TQkVObjectSet set;
        set.AddObjectRecord(TQkVObject{});
        try {
            if (Load(set, bytes))
                return;
        } catch (const Exception&) {}
        EXPECT_EQ(set.ObjectCount(), 1) << what;
    };
    for (size_t keep = 4; keep < whole.size(); keep += 3)
        loadsOrFailsCleanly({whole.begin(), whole.begin() + std::ptrdiff_t(keep)}, "cut at " + std::to_string(keep));
    for (size_t at = 8; at < whole.size(); at += 5) {
        std::vector<uint8_t> flipped = whole;
        flipped[at] ^= 0xA5;
        loadsOrFailsCleanly(flipped, "flipped at " + std::to_string(at));
    }
}

TEST_F(VectorObjectStream, ImpossibleCountsAndUnknownClassesAreRefused)
{
    const auto header = [] {
        TBytes bytes;
        bytes.Byte('Q').Byte('K').Byte('V').Byte('R').Int32(0).Double(1);
        return bytes;
    };
    TBytes negativeImages = header();
    negativeImages.Int32(-1);
    TBytes negativeObjects = header();
    negativeObjects.Int32(0).Append(Deflated(TBytes().Int32(-5).Data()));
    TBytes hugeText = header();
    TBytes record;
    record.Int32(1).Int32(0).Int32(0).Int32(0).Int32(9).Int32(9).Byte(qkvkBox).Byte(0).Byte(0);
    record.Byte(0).Double(3).Int32(0).Int32(0).Int32(100).Byte(0).Byte(0).Byte(0).Int32(0x7FFFFFFF).Int32(1234);
    hugeText.Int32(0).Append(Deflated(record.Data()));
    TBytes nested;
    nested.Int32(1);
    for (int depth = 0; depth < 40; ++depth) {
        nested.Int32(0).Int32(0).Int32(0).Int32(0).Int32(0).Byte(qkvkNone).Byte(0).Byte(0);
        nested.Byte(0).Double(3).Int32(0).Int32(0).Int32(100).Byte(0).Byte(0).Byte(0);
        nested.Text("").Int32(0).Int32(0).Byte(0).Int32(1).Int32(0).Byte(1).Byte(15).Int32(255).Byte(0).Byte(0).Int32(
            0);
        nested.Int32(1).Byte(1);
    }
    TBytes deep = header();
    deep.Int32(0).Append(Deflated(nested.Data()));

    TQkVObjectSet source;
    TQkVObject user;
    user.Kind = qkvkUserObject;
    user.UserObject = TQkVUserObjectHolder(std::make_unique<TStampObject>());
    source.AddObjectRecord(user);
    const std::vector<uint8_t> withUserObject = Saved(source);
    ReleaseUserObjectClasses();

    const struct {
        std::vector<uint8_t> Bytes;
        const char* Message;
    } cases[] = {{negativeImages.Data(), "negative image count"},
                 {negativeObjects.Data(), "negative object count"},
                 {hugeText.Data(), "Stream read error"},
                 {deep.Data(), "nested too deeply"},
                 {withUserObject, "unknown class \"TStampObject\""}};
    for (const auto& c : cases) {
        TQkVObjectSet set;
        try {
            Load(set, c.Bytes);
            ADD_FAILURE() << c.Message;
        } catch (const Exception& error) {
            EXPECT_NE(std::string(error.Message()).find(c.Message), std::string::npos) << error.Message();
        }
        EXPECT_EQ(set.ObjectCount(), 0) << c.Message;
    }
}
