#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "QkCommand.h"
#include "QkTestFolder.h"
#include "imaging/core/QkExifBlocks.h"
#include "imaging/core/QkIPTCInfoList.h"
#include "imaging/core/QkMarkerList.h"
#include "imaging/core/QkStreams.h"
#include "platform/core/Exceptions.h"

namespace {

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

// An APP2 colour-profile chunk: name, NUL, sequence number, chunk count, data.
std::vector<uint8_t> IccChunk(uint8_t sequence)
{
    std::vector<uint8_t> chunk = Bytes(std::string("ICC_PROFILE") + '\0');
    chunk.insert(chunk.end(), {sequence, 2, 'd', 'a', 't', 'a'});
    return chunk;
}

void AddMarker(TQkMarkerList& list, uint8_t type, const std::vector<uint8_t>& data)
{
    list.AddMarker(type, data.data(), static_cast<uint16_t>(data.size()));
}

std::string MarkerText(const TQkMarkerList& list, int32_t index)
{
    const auto* data = reinterpret_cast<const char*>(list.GetMarkerData(index));
    return {data, data + list.GetMarkerLength(index)};
}

std::string ItemText(const TQkIPTCInfoList& list, int32_t index)
{
    const auto* data = reinterpret_cast<const char*>(list.GetItemData(index));
    return {data, data + list.GetItemLength(index)};
}

void AddItem(TQkIPTCInfoList& list, int32_t dataset, const std::string& text)
{
    list.AddItem(2, dataset, static_cast<int32_t>(text.size()), reinterpret_cast<const uint8_t*>(text.data()));
}

} // namespace

TEST(MarkerList, SortsByTypeWithExifBeforeOtherApp1AndProfileChunksBySequence)
{
    TQkMarkerList list;
    AddMarker(list, qkMarkerAPP1, Bytes(std::string(qkXmpNamespace, qkXmpNamespaceSize) + "<x/>"));
    AddMarker(list, qkMarkerAPP2, IccChunk(2));
    AddMarker(list, qkMarkerAPP0, Bytes(std::string("JFIF") + '\0'));
    AddMarker(list, qkMarkerAPP2, IccChunk(1));
    AddMarker(list, qkMarkerAPP1, Bytes(std::string("Exif\0\0MM", 8)));
    list.Sort();

    ASSERT_EQ(list.GetCount(), 5);
    EXPECT_EQ(list.GetMarkerType(0), qkMarkerAPP0);
    EXPECT_EQ(list.GetMarkerType(1), qkMarkerAPP1);
    EXPECT_EQ(MarkerText(list, 1).substr(0, 4), "Exif");
    EXPECT_EQ(list.GetMarkerType(2), qkMarkerAPP1);
    EXPECT_EQ(MarkerText(list, 2).substr(0, 4), "http");
    EXPECT_EQ(list.GetMarkerData(3)[12], 1);
    EXPECT_EQ(list.GetMarkerData(4)[12], 2);
}

TEST(MarkerList, EditsCopiesAndRejectsIndexesOutside)
{
    TQkMarkerList list;
    AddMarker(list, qkMarkerCOM, Bytes("first"));
    AddMarker(list, qkMarkerAPP0, Bytes("second"));
    EXPECT_EQ(list.IndexOf(qkMarkerAPP0), 1);
    EXPECT_EQ(list.IndexOf(qkMarkerAPP2), -1);
    const auto replaced = Bytes("third");
    list.SetMarker(0, qkMarkerAPP2, static_cast<uint16_t>(replaced.size()), replaced.data());
    list.DeleteMarker(1);

    TQkMarkerList copy;
    copy.Assign(&list);
    copy.Assign(nullptr);
    list.Clear();
    ASSERT_EQ(copy.GetCount(), 1);
    EXPECT_EQ(copy.GetMarkerType(0), qkMarkerAPP2);
    EXPECT_EQ(MarkerText(copy, 0), "third");
    EXPECT_THROW(copy.GetMarkerType(1), EListError);
    EXPECT_THROW(copy.DeleteMarker(-1), EListError);
}

TEST(IPTCInfoList, SavesACaptionBareAndBehindAPhotoshopHeader)
{
    TQkIPTCInfoList list;
    EXPECT_TRUE(list.SaveToBuffer(false).empty());
    AddItem(list, 120, "Hello");
    AddItem(list, 0, "\x00\x02");
    AddItem(list, 25, "");

    const std::vector<uint8_t> bare = list.SaveToBuffer(false);
    const std::vector<uint8_t> expectedBare{0x1C, 2, 0, 0, 2, 0, 2, 0x1C, 2, 120, 0, 5, 'H', 'e', 'l', 'l', 'o', 0};
    EXPECT_EQ(bare, expectedBare);

    const std::vector<uint8_t> wrapped = list.SaveToBuffer(true);
    ASSERT_EQ(wrapped.size(), 36u);
    EXPECT_EQ(std::string(wrapped.begin(), wrapped.begin() + 18), std::string("Photoshop 3.0\0008BIM", 18));
    EXPECT_EQ(std::vector<uint8_t>(wrapped.begin() + 22, wrapped.begin() + 26), (std::vector<uint8_t>{0, 0, 0, 10}));

    for (const auto& block : {bare, wrapped}) {
        TQkIPTCInfoList loaded;
        EXPECT_TRUE(loaded.LoadFromBuffer(block.data(), int64_t(block.size())));
        EXPECT_FALSE(loaded.UserChanged());
        ASSERT_EQ(loaded.GetCount(), block == bare ? 2 : 1);
        const int32_t caption = loaded.GetCount() - 1;
        EXPECT_EQ(loaded.GetDatasetNumber(caption), 120);
        EXPECT_EQ(ItemText(loaded, caption), "Hello");
    }
}

TEST(IPTCInfoList, LongEntriesTakeTheExtendedLength)
{
    TQkIPTCInfoList list;
    std::string caption(40000, 'c');
    caption[39999] = 'z';
    AddItem(list, 120, caption);
    AddItem(list, 25, "after");
    const std::vector<uint8_t> block = list.SaveToBuffer(false);
    EXPECT_EQ(std::vector<uint8_t>(block.begin() + 7, block.begin() + 14),
              (std::vector<uint8_t>{0x1C, 2, 120, 0x80, 0x04, 0, 0}));
    EXPECT_EQ(block[14], 0x9C);
    EXPECT_EQ(block[15], 0x40);

    TQkIPTCInfoList loaded;
    ASSERT_TRUE(loaded.LoadFromBuffer(block.data(), int64_t(block.size())));
    // The bare block's record-version dataset comes first.
    ASSERT_EQ(loaded.GetCount(), 3);
    EXPECT_EQ(loaded.GetDatasetNumber(0), 0);
    EXPECT_EQ(ItemText(loaded, 1), caption);
    EXPECT_EQ(ItemText(loaded, 2), "after");
}

// The low bits of a flagged length give the count of length bytes; a count
// outside 1 .. 4, or length bytes beyond the block, end it.
TEST(IPTCInfoList, ExtendedLengthsTakeTheCountOfBytesTheyState)
{
    struct Case {
        const char* name;
        std::vector<uint8_t> block;
        int32_t count;
    };
    const std::vector<Case> cases = {
        {"two length bytes", {0x1C, 2, 120, 0x80, 0x02, 0, 3, 'a', 'b', 'c', 0x1C, 2, 25, 0, 1, 'k'}, 2},
        {"one length byte", {0x1C, 2, 120, 0x80, 0x01, 2, 'a', 'b', 0x1C, 2, 25, 0, 1, 'k'}, 2},
        {"no length bytes", {0x1C, 2, 120, 0x80, 0x00, 0x1C, 2, 25, 0, 1, 'k'}, 0},
        {"five length bytes", {0x1C, 2, 120, 0x80, 0x05, 0, 0, 0, 0, 1, 'a'}, 0},
        {"length bytes past the end", {0x1C, 2, 25, 0, 1, 'k', 0x1C, 2, 120, 0x80, 0x04, 0, 0}, 1},
        {"length beyond the data", {0x1C, 2, 120, 0x80, 0x04, 0xFF, 0xFF, 0xFF, 0xF0, 'a', 'b'}, 0},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        TQkIPTCInfoList list;
        EXPECT_EQ(list.LoadFromBuffer(test.block.data(), int64_t(test.block.size())), test.count > 0);
        EXPECT_EQ(list.GetCount(), test.count);
    }
}

TEST(IPTCInfoList, ACutBlockLoadsTheDatasetsThatFit)
{
    TQkIPTCInfoList list;
    AddItem(list, 120, "caption");
    AddItem(list, 25, "one");
    AddItem(list, 25, std::string(33000, 'k'));
    const std::vector<uint8_t> block = list.SaveToBuffer(true);
    // Ends of the datasets: header 26, then 5 + 7, 5 + 3, 9 + 33000.
    for (size_t cut = 0; cut <= block.size(); ++cut) {
        SCOPED_TRACE(cut);
        TQkIPTCInfoList loaded;
        const int32_t expected = cut >= 26 + 12 + 8 + 33009 ? 3 : cut >= 26 + 12 + 8 ? 2 : cut >= 26 + 12 ? 1 : 0;
        EXPECT_EQ(loaded.LoadFromBuffer(block.data(), int64_t(cut)), expected > 0);
        ASSERT_EQ(loaded.GetCount(), expected);
    }
}

TEST(IPTCInfoList, APhotoshopBlockIsReadFromItsIptcResource)
{
    std::string block = std::string("Photoshop 3.0\0", 14) + "8BIM" + std::string("\x03\xED\0\0\0\0\0\x02\x1C\x1C", 10);
    block += std::string("8BIM\x04\x04\0\0\0\0\0\x08", 12) +
        std::string("\x1C\x02\x78\0\x03"
                    "abc",
                    8);
    TQkIPTCInfoList list;
    ASSERT_TRUE(list.LoadFromBuffer(reinterpret_cast<const uint8_t*>(block.data()), int64_t(block.size())));
    ASSERT_EQ(list.GetCount(), 1);
    EXPECT_EQ(ItemText(list, 0), "abc");

    const std::string noResource = std::string("Photoshop 3.0\0", 14) + "\x1C\x02\x78\0\x01z";
    EXPECT_FALSE(list.LoadFromBuffer(reinterpret_cast<const uint8_t*>(noResource.data()), int64_t(noResource.size())));
    EXPECT_FALSE(list.LoadFromBuffer(nullptr, 0));
}

TEST(ExifBlocks, RecognisesExifAndXmpPayloads)
{
    EXPECT_TRUE(IsExifBlock(reinterpret_cast<const uint8_t*>("Exif\0\0MM"), 8));
    EXPECT_FALSE(IsExifBlock(reinterpret_cast<const uint8_t*>("Exif"), 4));
    EXPECT_FALSE(IsExifBlock(reinterpret_cast<const uint8_t*>("Exiff\0"), 6));

    const std::string segment = std::string(qkXmpNamespace, qkXmpNamespaceSize) + "<packet/>";
    const auto* data = reinterpret_cast<const uint8_t*>(segment.data());
    EXPECT_EQ(FindXMPPacket(data, int64_t(segment.size())), data + qkXmpNamespaceSize);
    EXPECT_EQ(FindXMPPacket(data, 29), nullptr);
    const std::string unterminated(qkXmpNamespace, qkXmpNamespaceSize - 1);
    EXPECT_EQ(FindXMPPacket(reinterpret_cast<const uint8_t*>((unterminated + "xx").data()), 30), nullptr);
}

TEST(ExifBlocks, FindsATiffHeaderFromThePosition)
{
    std::string file = "camera header" + std::string("II\x2A\0\x08\0\0\0", 8) + std::string(16, '\0');
    TQkMemStream stream(file.data(), int64_t(file.size()));
    EXPECT_EQ(FindTiffHeader(stream), 13);
    EXPECT_EQ(stream.Position(), 0);
    stream.SetPosition(1);
    EXPECT_EQ(FindTiffHeader(stream), 12);
    EXPECT_EQ(stream.Position(), 1);

    const std::string olympus = "xx" + std::string("MM\x4F\x52\0\0\0\x08", 8) + "tail";
    TQkMemStream camera(olympus.data(), int64_t(olympus.size()));
    EXPECT_EQ(FindTiffHeader(camera), 2);
    // A first directory beyond the stream is no header.
    const std::string beyond = std::string("II\x2A\0\xFF\0\0\0", 8) + "tail";
    TQkMemStream far(beyond.data(), int64_t(beyond.size()));
    EXPECT_EQ(FindTiffHeader(far), -1);
}

// The blocks as written go into a JPEG and are read back by exiftool and exiv2.
TEST(MetadataOracle, ExiftoolAndExiv2ReadTheIptcAndXmpSegments)
{
    TestFolder folder;
    const std::string source = folder.File("source.jpg");
    CommandOutput("convert -size 8x8 xc:gray " + source);
    std::ifstream in(source, std::ios::binary);
    std::vector<uint8_t> jpeg{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_GT(jpeg.size(), 2u);

    TQkIPTCInfoList iptc;
    AddItem(iptc, 120, "A caption");
    AddItem(iptc, 25, "first");
    AddItem(iptc, 25, "second");
    const std::vector<uint8_t> iptcBlock = iptc.SaveToBuffer(true);
    const std::string packet = "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF "
                               "xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"><rdf:Description "
                               "rdf:about=\"\" xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\" xmp:Rating=\"4\"/>"
                               "</rdf:RDF></x:xmpmeta>";
    const std::string xmp = std::string(qkXmpNamespace, qkXmpNamespaceSize) + packet;

    std::vector<uint8_t> segments;
    auto addSegment = [&segments](uint8_t marker, const uint8_t* data, size_t size) {
        const size_t length = size + 2;
        segments.insert(segments.end(), {0xFF, marker, uint8_t(length >> 8), uint8_t(length)});
        segments.insert(segments.end(), data, data + size);
    };
    addSegment(0xE1, reinterpret_cast<const uint8_t*>(xmp.data()), xmp.size());
    addSegment(0xED, iptcBlock.data(), iptcBlock.size());
    jpeg.insert(jpeg.begin() + 2, segments.begin(), segments.end());
    const std::string file = folder.File("tagged.jpg");
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(jpeg.data()), std::streamsize(jpeg.size()));

    EXPECT_EQ(CommandOutput("exiftool -s3 -IPTC:Caption-Abstract -IPTC:Keywords -XMP:Rating " + file),
              "A caption\nfirst, second\n4\n");
    EXPECT_EQ(CommandOutput("exiv2 -q -Pv -K Iptc.Application2.Caption -K Iptc.Application2.Keywords "
                            "-K Xmp.xmp.Rating " +
                            file),
              "A caption\nfirst\nsecond\n4\n");
}

// The other way: the Photoshop block exiftool writes into a JPEG's APP13.
TEST(MetadataOracle, ReadsTheIptcBlockExiftoolWrites)
{
    TestFolder folder;
    const std::string file = folder.File("tagged.jpg");
    CommandOutput("convert -size 8x8 xc:gray " + file);
    CommandOutput("exiftool -q -overwrite_original -IPTC:Caption-Abstract='Written by exiftool' "
                  "-IPTC:Keywords=one -IPTC:Keywords=two " +
                  file);
    std::ifstream in(file, std::ios::binary);
    const std::vector<uint8_t> jpeg{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    // Segments from the SOI on: marker, 2-byte length (itself included), payload.
    std::vector<uint8_t> app13;
    for (size_t at = 2; at + 4 <= jpeg.size() && jpeg[at] == 0xFF && app13.empty();) {
        const size_t length = size_t(jpeg[at + 2]) << 8 | jpeg[at + 3];
        if (jpeg[at + 1] == 0xED)
            app13.assign(jpeg.begin() + int64_t(at + 4), jpeg.begin() + int64_t(at + 2 + length));
        at += 2 + length;
    }
    ASSERT_FALSE(app13.empty());

    TQkIPTCInfoList list;
    ASSERT_TRUE(list.LoadFromBuffer(app13.data(), int64_t(app13.size())));
    std::vector<std::string> keywords;
    std::string caption;
    for (int32_t i = 0; i < list.GetCount(); ++i) {
        if (list.GetRecordNumber(i) != 2)
            continue;
        if (list.GetDatasetNumber(i) == 25)
            keywords.push_back(ItemText(list, i));
        else if (list.GetDatasetNumber(i) == 120)
            caption = ItemText(list, i);
    }
    EXPECT_EQ(caption, "Written by exiftool");
    EXPECT_EQ(keywords, (std::vector<std::string>{"one", "two"}));
}
