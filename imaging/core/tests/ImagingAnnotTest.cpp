#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "QkBitmapTestSupport.h"
#include "QkCommand.h"
#include "QkTestFolder.h"
#include "imaging/core/QkImagingAnnot.h"
#include "imaging/core/QkTIFFHandler.h"

namespace {

TQkImagingObject& AddMark(TQkImagingAnnot& annot, int32_t type)
{
    annot.Objects().push_back(std::make_unique<TQkImagingObject>());
    TQkImagingObject& mark = *annot.Objects().back();
    for (size_t i = 0; i < mark.Attributes.size(); ++i)
        mark.Attributes[i] = static_cast<uint8_t>(i * 3 + 1);
    mark.SetMarkType(type);
    return mark;
}

// A line, a text, a colour image and a bilevel image.
TQkImagingAnnot SampleMarks()
{
    TQkImagingAnnot annot;
    AddMark(annot, 3).Points = {{1, 2}, {-30, 40}, {500, -6}};
    TQkImagingObject& text = AddMark(annot, 7);
    text.Text = "A note";
    text.SetFontHeight(-40);
    AddMark(annot, 1).Image = std::make_unique<TQkBitmap>(4, 3, qk24RGB);
    FillPattern(*annot.Objects().back()->Image);
    AddMark(annot, 1).Image = std::make_unique<TQkBitmap>(9, 5, qk1g);
    annot.Objects().back()->Image->GetScanline(2)[0] = 0xA5;
    return annot;
}

void ExpectSameMarks(const TQkImagingAnnot& expected, const TQkImagingAnnot& actual)
{
    ASSERT_EQ(actual.Objects().size(), expected.Objects().size());
    for (size_t i = 0; i < expected.Objects().size(); ++i) {
        SCOPED_TRACE(i);
        const TQkImagingObject& want = *expected.Objects()[i];
        const TQkImagingObject& got = *actual.Objects()[i];
        EXPECT_EQ(got.Attributes, want.Attributes);
        EXPECT_EQ(got.Points, want.Points);
        EXPECT_EQ(got.Text, want.Text);
        ASSERT_EQ(bool(got.Image), bool(want.Image));
        if (want.Image) {
            EXPECT_EQ(got.Image->GetPixelFormat(), want.Image->GetPixelFormat());
            EXPECT_EQ(RowBytes(*got.Image), RowBytes(*want.Image));
        }
    }
}

TQkImagingAnnot Loaded(const std::vector<uint8_t>& data)
{
    TQkImagingAnnot annot;
    annot.LoadFromBuffer(data.data(), int64_t(data.size()));
    return annot;
}

void Put32(std::vector<uint8_t>& data, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        data.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// One text mark whose text block was made at `scale`, font height -40.
std::vector<uint8_t> TextMarkData(uint32_t scale)
{
    std::vector<uint8_t> data;
    Put32(data, 0);
    Put32(data, 1);
    Put32(data, 5);
    Put32(data, 164);
    std::vector<uint8_t> attributes(164);
    attributes[0] = 8;
    attributes[48] = 0xD8;
    attributes[49] = attributes[50] = attributes[51] = 0xFF;
    data.insert(data.end(), attributes.begin(), attributes.end());
    Put32(data, 6);
    Put32(data, 12);
    const std::string name("OiAnText", 8);
    data.insert(data.end(), name.begin(), name.end());
    Put32(data, 16 + 3);
    for (uint32_t value : {0u, 1000u, scale, 2u})
        Put32(data, value);
    data.insert(data.end(), {'h', 'i', 0});
    return data;
}

} // namespace

TEST(ImagingAnnot, LinesTextsAndImagesRoundTrip)
{
    const TQkImagingAnnot marks = SampleMarks();
    TQkImagingAnnot loaded = Loaded(marks.SaveToBuffer());
    ExpectSameMarks(marks, loaded);
    EXPECT_FALSE(loaded.UserChanged());
    // The font height is stored for the usual scale: it does not drift.
    for (int cycle = 0; cycle < 10; ++cycle)
        loaded = Loaded(loaded.SaveToBuffer());
    ExpectSameMarks(marks, loaded);
    EXPECT_EQ(loaded.Objects()[1]->FontHeight(), -40);

    TQkImagingAnnot copy;
    copy.Assign(loaded);
    loaded.Clear();
    ExpectSameMarks(marks, copy);
}

TEST(ImagingAnnot, FontHeightsFollowTheScaleTheTextWasMadeAt)
{
    const struct {
        uint32_t scale;
        int32_t height;
    } cases[] = {{7500, -40}, {0, -40}, {15000, -20}, {3750, -80}, {7000, -43}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scale);
        const TQkImagingAnnot annot = Loaded(TextMarkData(c.scale));
        ASSERT_EQ(annot.Objects().size(), 1u);
        EXPECT_EQ(annot.Objects()[0]->FontHeight(), c.height);
        EXPECT_EQ(annot.Objects()[0]->Text, "hi");
    }
}

TEST(ImagingAnnot, DataWithoutMarksOfKnownKindsGivesNone)
{
    EXPECT_TRUE(TQkImagingAnnot().SaveToBuffer().empty());
    EXPECT_TRUE(Loaded({}).Objects().empty());
    std::vector<uint8_t> others;
    Put32(others, 0);
    Put32(others, 1);
    for (uint32_t type : {9u, 0u, 77u}) {
        Put32(others, type);
        Put32(others, 12);
    }
    EXPECT_TRUE(Loaded(others).Objects().empty());
}

// Cut anywhere, the data give the marks that lie wholly before the cut (the
// last one possibly without its later blocks), and never more.
TEST(ImagingAnnot, CutDataKeepTheMarksBeforeTheCut)
{
    const TQkImagingAnnot marks = SampleMarks();
    const std::vector<uint8_t> data = marks.SaveToBuffer();
    size_t previous = 0;
    for (size_t cut = 0; cut <= data.size(); ++cut) {
        SCOPED_TRACE(cut);
        const TQkImagingAnnot loaded = Loaded(std::vector<uint8_t>(data.begin(), data.begin() + cut));
        ASSERT_GE(loaded.Objects().size(), previous);
        ASSERT_LE(loaded.Objects().size(), marks.Objects().size());
        previous = loaded.Objects().size();
    }
    EXPECT_EQ(previous, marks.Objects().size());

    // A point count beyond its block drops that mark only.
    TQkImagingAnnot line;
    AddMark(line, 4).Points = {{1, 1}, {2, 2}};
    std::vector<uint8_t> lying = line.SaveToBuffer();
    const std::string name = "OiAnoDat";
    const auto at = std::search(lying.begin(), lying.end(), name.begin(), name.end());
    ASSERT_NE(at, lying.end());
    // Name, block size, the first value, then the count.
    at[16 + 1] = 0x01;
    EXPECT_TRUE(Loaded(lying).Objects().empty());
}

TEST(ImagingAnnot, TheTagDataGoesIntoATiffFile)
{
    TestFolder folder;
    const std::string source = folder.File("source.tif");
    CommandOutput("convert -size 6x4 xc:white -compress none " + source);
    const TQkImagingAnnot marks = SampleMarks();
    const std::vector<uint8_t> data = marks.SaveToBuffer();
    auto handler = TQkTIFFHandler::CreateFromFile(source);
    ASSERT_TRUE(handler);
    ASSERT_TRUE(handler->SetTag(handler->Page(0), qkImagingAnnotTag, data, ttUndefined));
    const std::string annotated = folder.File("annotated.tif");
    handler->WriteFile(annotated, -1);

    // The tag with the data's first bytes: the header 0, 1.
    EXPECT_NE(CommandOutput("tiffinfo " + annotated + " 2>/dev/null").find("Tag 32932: 0x0,0x0,0x0,0x0,0x1,0x0"),
              std::string::npos);
    auto reread = TQkTIFFHandler::CreateFromFile(annotated);
    ASSERT_TRUE(reread);
    const TQkTIFFTagList& page = reread->Page(0);
    const int index = TQkTIFFHandler::FindTag(page, qkImagingAnnotTag);
    ASSERT_GE(index, 0);
    const TQkTIFFEntry& entry = page[size_t(index)];
    ASSERT_EQ(entry.ValueSize(), data.size());
    ExpectSameMarks(marks, Loaded(std::vector<uint8_t>(entry.ValueBytes(), entry.ValueBytes() + entry.ValueSize())));
}
