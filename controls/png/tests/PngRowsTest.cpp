#include "controls/png/PngErrors.h"
#include "controls/png/PngRowReader.h"
#include "controls/png/PngRowWriter.h"
#include "controls/png/tests/PngTestSupport.h"

#include "platform/core/Streams.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

using TRows = std::vector<std::vector<uint8_t>>;

const std::string GoPngData = "/usr/share/go-1.19/src/image/png/testdata";

uint32_t BitsPerPixel(const TPngHeader& header)
{
    const uint32_t channels = header.ColorType == COLOR_RGB ? 3
        : header.ColorType == COLOR_GRAYSCALEALPHA          ? 2
        : header.ColorType == COLOR_RGBALPHA                ? 4
                                                            : 1;
    return channels * header.BitDepth;
}

void CopyPixel(const uint8_t* from, uint32_t fromIndex, uint8_t* to, uint32_t toIndex, uint32_t bits)
{
    if (bits < 8)
        SetPackedSample(to, toIndex, bits, GetPackedSample(from, fromIndex, bits));
    else
        std::memcpy(to + size_t{toIndex} * bits / 8, from + size_t{fromIndex} * bits / 8, bits / 8);
}

// Every row of the file, its passes put together into whole rows.
TRows ReadImage(TPngRowReader& reader)
{
    const TPngHeader& header = reader.Header();
    const uint32_t bits = BitsPerPixel(header);
    TRows image(header.Height, std::vector<uint8_t>((size_t{header.Width} * bits + 7) / 8));
    for (const TPngPass& pass : reader.Passes()) {
        std::vector<uint8_t> row(pass.RowBytes);
        for (uint32_t n = 0; n < pass.Rows; ++n) {
            EXPECT_TRUE(reader.ReadRow(row.data()));
            for (uint32_t k = 0; k < pass.Columns.Count; ++k)
                CopyPixel(row.data(), k, image[pass.FirstRow + n * pass.RowStep].data(),
                          pass.Columns.Start + k * pass.Columns.Step, bits);
        }
    }
    reader.Finish();
    return image;
}

TRows ReadImage(const std::string& file)
{
    TStringStream stream(file);
    TPngRowReader reader(stream);
    return ReadImage(reader);
}

void WriteImage(TPngRowWriter& writer, const TPngHeader& header, const TRows& image)
{
    const uint32_t bits = BitsPerPixel(header);
    for (const TPngPass& pass : writer.Passes()) {
        std::vector<uint8_t> row(pass.RowBytes);
        for (uint32_t n = 0; n < pass.Rows; ++n) {
            std::fill(row.begin(), row.end(), 0);
            for (uint32_t k = 0; k < pass.Columns.Count; ++k)
                CopyPixel(image[pass.FirstRow + n * pass.RowStep].data(), pass.Columns.Start + k * pass.Columns.Step,
                          row.data(), k, bits);
            writer.WriteRow(row.data());
        }
    }
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The bits past a row's last pixel carry nothing.
void ClearPadding(TRows& rows, uint32_t width, uint32_t bits)
{
    const size_t used = size_t{width} * bits;
    for (auto& row : rows)
        if (used % 8)
            row.back() &= static_cast<uint8_t>(0xFF << (8 - used % 8));
}

std::vector<std::string> GoPngFiles(bool invalid)
{
    std::vector<std::string> files;
    for (const std::string& folder : {GoPngData, GoPngData + "/pngsuite"})
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            if (entry.path().extension() == ".png" &&
                entry.path().filename().string().starts_with("invalid-") == invalid)
                files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

TEST(PngRowReader, ReadsEveryGoTestFileAsLibpngDoes)
{
    const std::vector<std::string> files = GoPngFiles(false);
    ASSERT_GE(files.size(), 40u) << "golang-1.19-src is not installed";
    for (const std::string& path : files) {
        SCOPED_TRACE(path);
        const std::string file = ReadFile(path);
        TStringStream stream(file);
        TPngRowReader reader(stream);
        TRows ours = ReadImage(reader);
        TRawPng reference = ReadWithLibpng(file);
        ASSERT_EQ(reference.BitDepth, reader.Header().BitDepth);
        ClearPadding(ours, reader.Header().Width, BitsPerPixel(reader.Header()));
        ClearPadding(reference.Rows, reader.Header().Width, BitsPerPixel(reader.Header()));
        EXPECT_TRUE(ours == reference.Rows);
    }
}

// Debian's own python3 carries python3-pil. Pillow hands back the samples of 8-bit images and 16-bit gray as they are
// stored; its other modes widen or narrow them.
TEST(PngRowReader, AgreesWithPillowOnTheSamplesItKeepsAsStored)
{
    const std::string out = std::string(TEST_BINARY_DIR) + "/pillow-rows";
    std::filesystem::create_directories(out);
    const std::string script =
        "import sys, os\n"
        "from PIL import Image\n"
        "for path in sys.argv[2:]:\n"
        "    im = Image.open(path)\n"
        "    if im.mode in ('I', 'I;16', 'I;16B'):\n"
        "        data = b''.join(v.to_bytes(2, 'big') for v in im.getdata())\n"
        "    elif im.mode in ('L', 'LA', 'RGB', 'RGBA', 'P') and open(path, 'rb').read()[24] == 8:\n"
        "        data = im.tobytes()\n"
        "    else:\n"
        "        continue\n"
        "    open(os.path.join(sys.argv[1], os.path.basename(path)), 'wb').write(data)\n";
    std::ofstream(out + "/dump.py") << script;
    std::string command = "/usr/bin/python3 " + out + "/dump.py " + out;
    for (const std::string& path : GoPngFiles(false))
        command += " " + path;
    ASSERT_EQ(std::system(command.c_str()), 0);
    int compared = 0;
    for (const std::string& path : GoPngFiles(false)) {
        const std::string pillow = ReadFile(out + "/" + std::filesystem::path(path).filename().string());
        if (pillow.empty())
            continue;
        SCOPED_TRACE(path);
        std::string ours;
        for (const auto& row : ReadImage(ReadFile(path)))
            ours.append(row.begin(), row.end());
        EXPECT_TRUE(ours == pillow);
        ++compared;
    }
    EXPECT_GE(compared, 15);
}

TEST(PngRowReader, DamagedGoFilesFailWithTheCodecsErrors)
{
    for (const char* name : {"invalid-crc32.png", "invalid-noend.png", "invalid-trunc.png", "invalid-zlib.png"}) {
        SCOPED_TRACE(name);
        EXPECT_THROW(ReadImage(ReadFile(GoPngData + "/" + name)), Exception);
    }
}

TEST(PngRowReader, KeepsTheChunksAroundTheDataAndMarksBadAncillaryCrcs)
{
    const std::string rows = std::string("\0\x10\x20", 3) + std::string("\0\x30\x40", 3);
    const std::string file = TPngBuilder()
                                 .Header(2, 2, 8, 0)
                                 .Chunk("gAMA", BigEndian(45455))
                                 .ChunkWithBadCrc("tIME", "1234567")
                                 .ImageData(rows)
                                 .Chunk("tEXt", std::string("Title\0late", 10))
                                 .End()
                                 .Bytes();
    TStringStream stream(file);
    TPngRowReader reader(stream);
    std::vector<uint32_t> progress;
    reader.OnProgress = [&](const TPngRowReader& sender) { progress.push_back(sender.RowsRead()); };
    ASSERT_EQ(reader.ChunksBeforeData().size(), 2u);
    EXPECT_EQ(reader.ChunksBeforeData()[0].Name, "gAMA");
    EXPECT_TRUE(reader.ChunksBeforeData()[0].CrcValid);
    EXPECT_EQ(reader.ChunksBeforeData()[1].Name, "tIME");
    EXPECT_FALSE(reader.ChunksBeforeData()[1].CrcValid);
    EXPECT_EQ(ReadImage(reader), (TRows{{0x10, 0x20}, {0x30, 0x40}}));
    EXPECT_EQ(progress, (std::vector<uint32_t>{1, 2}));
    ASSERT_EQ(reader.ChunksAfterData().size(), 1u);
    EXPECT_EQ(reader.ChunksAfterData()[0].Name, "tEXt");
    EXPECT_EQ(std::string(reader.ChunksAfterData()[0].Data.begin(), reader.ChunksAfterData()[0].Data.end()),
              std::string("Title\0late", 10));

    const std::string badPalette =
        TPngBuilder().Header(1, 1, 8, 3).ChunkWithBadCrc("PLTE", "abc").ImageData(std::string(2, '\0')).End().Bytes();
    TStringStream paletteStream(badPalette);
    EXPECT_THROW(TPngRowReader{paletteStream}, EPngInvalidCRC);
}

TEST(PngRowReader, RowsTheDataMissesAreNotGiven)
{
    // Two rows of three bytes declared, one and a half present.
    const std::string file = TPngBuilder().Header(3, 2, 8, 0).ImageData(std::string("\0\1\2\3\0\4", 6)).End().Bytes();
    TStringStream stream(file);
    TPngRowReader reader(stream);
    std::vector<uint8_t> row(3);
    ASSERT_TRUE(reader.ReadRow(row.data()));
    EXPECT_EQ(row, (std::vector<uint8_t>{1, 2, 3}));
    ASSERT_TRUE(reader.ReadRow(row.data()));
    EXPECT_EQ(row, (std::vector<uint8_t>{4, 0, 0}));
    EXPECT_FALSE(reader.ReadRow(row.data()));
    reader.Finish();
    EXPECT_EQ(reader.RowsRead(), 2u);
}

struct TLayout {
    uint8_t ColorType;
    uint8_t BitDepth;
};

TEST(PngRowWriter, RoundTripsEveryDepthPlainAndInterlaced)
{
    const TLayout layouts[] = {{0, 1}, {0, 2}, {0, 4},  {0, 8}, {0, 16}, {3, 1}, {3, 2}, {3, 4},
                               {3, 8}, {2, 8}, {2, 16}, {4, 8}, {4, 16}, {6, 8}, {6, 16}};
    const TFilters filterSets[] = {pfNone, pfSub | pfPaeth, pfNone | pfSub | pfUp | pfAverage | pfPaeth};
    uint32_t seed = 1;
    for (const TLayout& layout : layouts) {
        for (uint8_t interlace : {0, 1}) {
            SCOPED_TRACE(testing::Message()
                         << int{layout.ColorType} << "/" << int{layout.BitDepth} << " interlace " << int{interlace});
            // 13 x 11 leaves some Adam7 passes partly empty.
            const TRawPng pattern = MakePattern(13, 11, layout.ColorType, layout.BitDepth, interlace, ++seed);
            TPngHeader header{13, 11, layout.BitDepth, layout.ColorType, 0, 0, interlace};
            std::vector<TPngRawChunk> before;
            if (layout.ColorType == COLOR_PALETTE)
                before.push_back(TPngRawChunk{"PLTE", pattern.Palette});
            const std::vector<TPngRawChunk> after = {TPngRawChunk{"tEXt", {'k', 0, 'v'}}};
            TStringStream stream;
            TPngRowWriter writer(stream, header, before, filterSets[seed % 3], 6);
            uint32_t progressCalls = 0;
            writer.OnProgress = [&](const TPngRowWriter&) { ++progressCalls; };
            WriteImage(writer, header, pattern.Rows);
            writer.Finish(after);
            EXPECT_EQ(progressCalls, writer.RowCount());

            EXPECT_TRUE(ReadWithLibpng(stream.DataString()).Rows == pattern.Rows);
            TStringStream input(stream.DataString());
            TPngRowReader reader(input);
            EXPECT_TRUE(ReadImage(reader) == pattern.Rows);
            EXPECT_EQ(reader.ChunksAfterData().size(), 1u);
        }
    }
}

TEST(PngRowWriter, RefusesHeadersAndRowCountsTheFormatLacks)
{
    TStringStream stream;
    for (const TPngHeader& bad : {TPngHeader{4, 4, 16, 3}, TPngHeader{0, 4, 8, 0}, TPngHeader{4, 4, 8, 2, 0, 0, 2}})
        EXPECT_THROW(TPngRowWriter(stream, bad, {}, pfNone, 6), EPngInvalidIHDR);
    TPngRowWriter writer(stream, TPngHeader{2, 1, 8, 0}, {}, pfNone, 6);
    EXPECT_THROW(writer.Finish(), EInvalidOperation);
    const uint8_t row[2] = {1, 2};
    writer.WriteRow(row);
    EXPECT_THROW(writer.WriteRow(row), EInvalidOperation);
    writer.Finish();
    EXPECT_EQ(ReadImage(stream.DataString()), (TRows{{1, 2}}));
}

} // namespace
