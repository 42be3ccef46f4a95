#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "QkCommand.h"
#include "QkTestFolder.h"
#include "imaging/core/QkStreams.h"
#include "imaging/core/QkTIFFHandler.h"

namespace {

std::vector<uint8_t> FileBytes(const std::string& name)
{
    std::ifstream file(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// One directory of a tiffdump listing: tag number to the line after it.
using TDumpDirectory = std::map<int, std::string>;

struct TDump {
    std::string Magic;
    std::vector<TDumpDirectory> Directories;
};

TDump ParseTiffdump(const std::string& fileName)
{
    TDump dump;
    std::istringstream lines(CommandOutput("tiffdump -m 100000 '" + fileName + "'"));
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("Magic:", 0) == 0)
            dump.Magic = line;
        else if (line.rfind("Directory ", 0) == 0)
            dump.Directories.emplace_back();
        else if (!dump.Directories.empty() && line.find(" (") != std::string::npos) {
            // Known tags start with their name, others with their number.
            const int tag = std::isdigit(static_cast<unsigned char>(line[0]))
                ? std::stoi(line)
                : std::stoi(line.substr(line.find(" (") + 2));
            dump.Directories.back()[tag] = line;
        }
    }
    return dump;
}

// The numbers between < and > of a tiffdump line.
std::vector<int64_t> DumpValues(const std::string& line)
{
    std::vector<int64_t> values;
    std::istringstream numbers(line.substr(line.find('<') + 1));
    for (int64_t value; numbers >> value;)
        values.push_back(value);
    return values;
}

// The bytes of every strip or tile of a directory, read from the file itself.
std::vector<std::vector<uint8_t>> ImageBlocks(const std::vector<uint8_t>& file, const TDumpDirectory& directory)
{
    const bool tiled = directory.count(324) != 0;
    const auto offsets = DumpValues(directory.at(tiled ? 324 : 273));
    const auto lengths = DumpValues(directory.at(tiled ? 325 : 279));
    std::vector<std::vector<uint8_t>> blocks;
    for (size_t i = 0; i < offsets.size() && i < lengths.size(); ++i)
        blocks.emplace_back(file.begin() + offsets[i], file.begin() + offsets[i] + lengths[i]);
    return blocks;
}

// Tag lines must agree except the positions of the image data, which move.
void ExpectSameDirectory(const TDumpDirectory& expected, const TDumpDirectory& actual)
{
    ASSERT_EQ(expected.size(), actual.size());
    for (const auto& [tag, line] : expected) {
        ASSERT_EQ(actual.count(tag), 1u) << line;
        if (tag == 273 || tag == 324)
            EXPECT_EQ(line.substr(0, line.find('<')), actual.at(tag).substr(0, actual.at(tag).find('<')));
        else
            EXPECT_EQ(line, actual.at(tag));
    }
}

void ReadFile(TQkTIFFHandler& handler, const std::string& name)
{
    TFileStream stream(name, fmOpenRead);
    ASSERT_TRUE(handler.ReadStream(stream));
}

// A TIFF built by hand in either byte order, for the directories no tool writes.
class TTiffBuilder {
public:
    explicit TTiffBuilder(bool bigEndian) : bigEndian_(bigEndian)
    {
        Bytes(bigEndian ? "MM" : "II");
        U16(42);
        U32(8);
    }
    void U16(uint32_t value)
    {
        for (int i = 0; i < 2; ++i)
            data.push_back(uint8_t(value >> (bigEndian_ ? 8 - 8 * i : 8 * i)));
    }
    void U32(uint32_t value)
    {
        for (int i = 0; i < 4; ++i)
            data.push_back(uint8_t(value >> (bigEndian_ ? 24 - 8 * i : 8 * i)));
    }
    void Bytes(const std::string& bytes) { data.insert(data.end(), bytes.begin(), bytes.end()); }
    // An entry with a 32-bit value field.
    void Entry(uint16_t tag, uint16_t type, uint32_t count, uint32_t value)
    {
        U16(tag);
        U16(type);
        U32(count);
        if (type == ttShort && count == 1) {
            U16(value);
            U16(0);
        } else {
            U32(value);
        }
    }
    uint32_t Size() const { return uint32_t(data.size()); }

    std::vector<uint8_t> data;

private:
    bool bigEndian_;
};

bool ReadBytes(TQkTIFFHandler& handler, const std::vector<uint8_t>& bytes)
{
    TQkMemStream stream(bytes.data(), int64_t(bytes.size()));
    return handler.ReadStream(stream);
}

std::vector<uint8_t> WrittenBytes(TQkTIFFHandler& handler, int page)
{
    TMemoryStream stream;
    handler.WriteStream(stream, page);
    const auto* memory = static_cast<const uint8_t*>(stream.Memory());
    return {memory, memory + stream.Size()};
}

class TIFFHandlerFiles : public ::testing::Test {
protected:
    std::string Make(const std::string& name, const std::string& tiffcpOptions)
    {
        const std::string source = folder.File("source.tif");
        CommandOutput("convert -size 40x30 -depth 8 gradient:red-blue '" + source + "'");
        CommandOutput("tiffcp " + tiffcpOptions + " '" + source + "' '" + folder.File(name) + "'");
        return folder.File(name);
    }

    TestFolder folder;
};

TEST_F(TIFFHandlerFiles, ReadsAndWritesBackWhatTiffcpMade)
{
    const struct {
        const char* name;
        const char* options;
    } cases[] = {
        {"plain.tif", "-c none"},
        {"big.tif", "-B -c none"},
        {"strips.tif", "-c none -r 7"},
        {"tiles.tif", "-c none -t -w 16 -l 16"},
        {"bigtiles.tif", "-B -c lzw -t -w 16 -l 16"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string input = Make(c.name, c.options);
        TQkTIFFHandler handler;
        ReadFile(handler, input);
        const std::string output = folder.File(std::string("out-") + c.name);
        handler.WriteFile(output, -1);

        const TDump expected = ParseTiffdump(input);
        const TDump actual = ParseTiffdump(output);
        EXPECT_EQ(expected.Magic, actual.Magic);
        ASSERT_EQ(actual.Directories.size(), 1u);
        ExpectSameDirectory(expected.Directories[0], actual.Directories[0]);
        EXPECT_EQ(ImageBlocks(FileBytes(input), expected.Directories[0]),
                  ImageBlocks(FileBytes(output), actual.Directories[0]));
    }
}

TEST_F(TIFFHandlerFiles, WritesOnePageOrAllPagesOfAMultipageFile)
{
    const std::string first = Make("one.tif", "-c none -r 8");
    const std::string second = Make("two.tif", "-c none -t -w 16 -l 16");
    const std::string third = Make("three.tif", "-B -c none");
    const std::string multi = folder.File("multi.tif");
    CommandOutput("tiffcp '" + first + "' '" + second + "' '" + third + "' '" + multi + "'");
    TQkTIFFHandler handler;
    ReadFile(handler, multi);
    ASSERT_EQ(handler.PageCount(), 3);
    const TDump input = ParseTiffdump(multi);

    handler.WriteFile(folder.File("page2.tif"), 1);
    const TDump single = ParseTiffdump(folder.File("page2.tif"));
    ASSERT_EQ(single.Directories.size(), 1u);
    ExpectSameDirectory(input.Directories[1], single.Directories[0]);
    EXPECT_EQ(ImageBlocks(FileBytes(multi), input.Directories[1]),
              ImageBlocks(FileBytes(folder.File("page2.tif")), single.Directories[0]));

    handler.WriteFile(folder.File("all.tif"), -1);
    const TDump all = ParseTiffdump(folder.File("all.tif"));
    ASSERT_EQ(all.Directories.size(), 3u);
    for (int page = 0; page < 3; ++page)
        ExpectSameDirectory(input.Directories[page], all.Directories[page]);
    EXPECT_EQ(CommandOutput("convert '" + multi + "' rgb:- | md5sum"),
              CommandOutput("convert '" + folder.File("all.tif") + "' rgb:- | md5sum"));
}

TEST_F(TIFFHandlerFiles, SetTagStoresEachTypeInTheHandlersByteOrder)
{
    for (bool bigEndian : {false, true}) {
        SCOPED_TRACE(bigEndian ? "MM" : "II");
        TQkTIFFHandler handler;
        ReadFile(handler, Make("set.tif", bigEndian ? "-B -c none" : "-c none"));
        TQkTIFFTagList& page = handler.Page(0);
        EXPECT_TRUE(handler.SetTag(page, 315, std::string("Somebody Else"), ttAscii));
        EXPECT_TRUE(handler.SetTag(page, 282, 72.5, ttRational));
        EXPECT_TRUE(handler.SetTag(page, 296, int64_t(2), ttShort));
        EXPECT_TRUE(handler.SetTag(page, 50000, 0.25, ttDouble));
        EXPECT_TRUE(handler.SetTag(page, 50001, std::vector<uint8_t>{1, 2, 3, 4, 5, 6}, ttUndefined));
        EXPECT_FALSE(handler.SetTag(page, 50002, std::string("x"), ttLong));
        EXPECT_EQ(handler.GetTagValue(page, 296, 0), 2);
        handler.WriteFile(folder.File("out.tif"), -1);

        const TDumpDirectory dump = ParseTiffdump(folder.File("out.tif")).Directories.at(0);
        EXPECT_EQ(dump.at(315), "Artist (315) ASCII (2) 14<Somebody Else\\0>");
        EXPECT_EQ(dump.at(282), "XResolution (282) RATIONAL (5) 1<72.5>");
        EXPECT_EQ(dump.at(296), "ResolutionUnit (296) SHORT (3) 1<2>");
        EXPECT_EQ(dump.at(50000), "50000 (0xc350) DOUBLE (12) 1<0.25>");
        EXPECT_EQ(dump.at(50001), "50001 (0xc351) UNDEFINED (7) 6<0x1 0x2 0x3 0x4 0x5 0x6>");
    }
}

TEST(TIFFHandler, OldStyleJPEGLosesItsStripTagsAndGetsTheScanOnWriting)
{
    const std::string jpeg("\xFF\xD8\xFF\xDB\x00\x02\xFF\xDA\x00\x01\xFF\xD9", 12);
    TTiffBuilder tiff(false);
    const uint32_t jpegAt = 8 + 2 + 12 * 8 + 4;
    tiff.U16(8);
    tiff.Entry(259, ttShort, 1, 6);
    tiff.Entry(273, ttLong, 1, jpegAt + 6);
    tiff.Entry(279, ttLong, 1, 4);
    tiff.Entry(513, ttLong, 1, jpegAt);
    tiff.Entry(514, ttLong, 1, uint32_t(jpeg.size()));
    tiff.Entry(519, ttByte, 1, 0);
    tiff.Entry(520, ttByte, 1, 0);
    tiff.Entry(521, ttByte, 1, 0);
    tiff.U32(0);
    tiff.Bytes(jpeg);

    TQkTIFFHandler handler;
    ASSERT_TRUE(ReadBytes(handler, tiff.data));
    const TQkTIFFTagList& page = handler.Page(0);
    for (uint16_t gone : {273, 519, 520, 521})
        EXPECT_EQ(TQkTIFFHandler::FindTag(page, gone), -1) << gone;
    EXPECT_EQ(handler.GetTagValue(page, 279, 0), 4);

    const std::vector<uint8_t> written = WrittenBytes(handler, -1);
    // The written page has 273 again, now pointing at FF DA.
    bool hasStripOffsets = false;
    const uint8_t* directory = written.data() + 8;
    const int entries = directory[0] | directory[1] << 8;
    for (int k = 0; k < entries; ++k) {
        const uint8_t* entry = directory + 2 + 12 * k;
        if ((entry[0] | entry[1] << 8) != 273)
            continue;
        hasStripOffsets = true;
        const uint32_t at = entry[8] | entry[9] << 8 | entry[10] << 16 | uint32_t(entry[11]) << 24;
        ASSERT_LT(at + 1, written.size());
        EXPECT_EQ(written[at], 0xFF);
        EXPECT_EQ(written[at + 1], 0xDA);
    }
    EXPECT_TRUE(hasStripOffsets);
    EXPECT_EQ(TQkTIFFHandler::FindTag(handler.Page(0), 273), -1);
}

TEST(TIFFHandler, CopyTagCopiesWithinOneByteOrderOnly)
{
    auto pageWith = [](bool bigEndian) {
        TTiffBuilder tiff(bigEndian);
        tiff.U16(1);
        tiff.Entry(305, ttAscii, 8, 8 + 2 + 12 + 4);
        tiff.U32(0);
        tiff.Bytes(std::string("maker 1", 8));
        return tiff.data;
    };
    TQkTIFFHandler little, otherLittle, big;
    ASSERT_TRUE(ReadBytes(little, pageWith(false)));
    ASSERT_TRUE(ReadBytes(otherLittle, pageWith(false)));
    ASSERT_TRUE(ReadBytes(big, pageWith(true)));
    TQkTIFFHandler::DeleteTag(otherLittle.Page(0), 0);
    TQkTIFFHandler::DeleteTag(big.Page(0), 0);

    big.CopyTag(0, 0, 0, little);
    EXPECT_TRUE(big.Page(0).empty());
    otherLittle.CopyTag(0, 0, 0, little);
    ASSERT_EQ(otherLittle.Page(0).size(), 1u);
    EXPECT_EQ(otherLittle.Page(0)[0].Data, little.Page(0)[0].Data);
    otherLittle.CopyTag(0, 5, 0, little);
    otherLittle.CopyTag(3, 0, 0, little);
    EXPECT_EQ(otherLittle.Page(0).size(), 1u);
}

// Three directories, each pointing at the next; the last points at `loopTo`.
std::vector<uint8_t> ChainOfThree(uint32_t loopTo)
{
    TTiffBuilder tiff(false);
    const uint32_t ifdSize = 2 + 12 + 4;
    for (uint32_t i = 0; i < 3; ++i) {
        tiff.U16(1);
        tiff.Entry(256, ttShort, 1, 10 + i);
        tiff.U32(i < 2 ? 8 + (i + 1) * ifdSize : loopTo);
    }
    return tiff.data;
}

TEST(TIFFHandler, AChainLoopingBackToAnEarlierDirectoryEnds)
{
    for (uint32_t loopTo : {8u, 8u + 18u, 8u + 36u}) {
        TQkTIFFHandler handler;
        ASSERT_TRUE(ReadBytes(handler, ChainOfThree(loopTo)));
        EXPECT_EQ(handler.PageCount(), 3) << loopTo;
    }
}

TEST(TIFFHandler, UntrustedSizesAndOffsetsStayInsideTheStream)
{
    // A directory of one entry at 8, its data from 26 on.
    auto single = [](uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
        TTiffBuilder tiff(false);
        tiff.U16(1);
        tiff.Entry(tag, type, count, value);
        tiff.U32(0);
        tiff.Bytes("0123456789abcdef");
        return tiff.data;
    };
    // Count x type size overflows 32 bits, runs past the end, or starts past it.
    for (const auto& bytes :
         {single(270, ttDouble, 0x20000001, 26), single(270, ttAscii, 17, 26), single(270, ttAscii, 5, 0xFFFFFFF0u)}) {
        TQkTIFFHandler handler;
        ASSERT_TRUE(ReadBytes(handler, bytes));
        ASSERT_EQ(handler.PageCount(), 1);
        EXPECT_TRUE(handler.Page(0).empty());
    }

    // Strip lengths beyond the end are cut at the end; offsets and lengths of
    // different counts pair up to the shorter.
    TTiffBuilder strips(false);
    strips.U16(2);
    strips.Entry(273, ttLong, 3, 8 + 2 + 24 + 4);
    strips.Entry(279, ttShort, 2, (1000u << 16) | 4);
    strips.U32(0);
    strips.U32(8 + 2 + 24 + 4 + 12);
    strips.U32(8 + 2 + 24 + 4 + 16);
    strips.U32(8);
    strips.Bytes("WXYZ");
    TQkTIFFHandler handler;
    ASSERT_TRUE(ReadBytes(handler, strips.data));
    const TQkTIFFTagList& page = handler.Page(0);
    const TQkTIFFEntry& offsets = page[TQkTIFFHandler::FindTag(page, 273)];
    ASSERT_EQ(offsets.Blocks.size(), 2u);
    EXPECT_EQ(offsets.Blocks[0], std::vector<uint8_t>({'W', 'X', 'Y', 'Z'}));
    EXPECT_TRUE(offsets.Blocks[1].empty());
    EXPECT_EQ(handler.GetTagValue(page, 279, 1), 1000);
    EXPECT_EQ(handler.GetTagValue(page, 279, 2), 0);
    EXPECT_EQ(handler.GetTagValue(page, 279, -1), 0);
    EXPECT_EQ(handler.GetTagValue(page, 999, 0), 0);

    // Entries sharing one region cannot read more than the stream holds.
    TTiffBuilder shared(false);
    shared.U16(3);
    for (uint16_t tag : {270, 271, 272})
        shared.Entry(tag, ttAscii, 40, 8 + 2 + 36 + 4);
    shared.U32(0);
    shared.Bytes(std::string(40, 'x'));
    ASSERT_TRUE(ReadBytes(handler, shared.data));
    EXPECT_EQ(handler.Page(0).size(), 2u);

    // A failed read leaves the handler empty.
    EXPECT_FALSE(ReadBytes(handler, {'X', 'X', 42, 0, 8, 0, 0, 0}));
    EXPECT_EQ(handler.PageCount(), 0);
    ASSERT_TRUE(ReadBytes(handler, strips.data));
    EXPECT_FALSE(ReadBytes(handler, {'I', 'I', 42}));
    EXPECT_EQ(handler.PageCount(), 0);
}

TEST(TIFFHandler, OffsetsCountFromTheHeadersPosition)
{
    TTiffBuilder tiff(true);
    tiff.U16(1);
    tiff.Entry(270, ttAscii, 6, 8 + 2 + 12 + 4);
    tiff.U32(0);
    tiff.Bytes(std::string("hello", 6));
    std::vector<uint8_t> embedded = tiff.data;
    embedded.insert(embedded.begin(), 5, 0xEE);

    TQkMemStream stream(embedded.data(), int64_t(embedded.size()));
    stream.SetPosition(5);
    TQkTIFFHandler handler;
    ASSERT_TRUE(handler.ReadStream(stream));
    EXPECT_TRUE(handler.BigEndian());
    ASSERT_EQ(handler.Page(0).size(), 1u);
    EXPECT_EQ(handler.Page(0)[0].Data, std::vector<uint8_t>({'h', 'e', 'l', 'l', 'o', 0}));

    TMemoryStream out;
    out.WriteBuffer("pad", 3);
    handler.WriteStream(out, -1);
    const auto* memory = static_cast<const uint8_t*>(out.Memory());
    EXPECT_EQ(std::vector<uint8_t>(memory + 3, memory + out.Size()), tiff.data);
}

} // namespace
