#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "FormatsTestSupport.h"
#include "imaging/formats/QkFileFormats.h"
#include "imaging/formats/QkFormatDetection.h"
#include "imaging/formats/QkFormatRows.h"
#include "platform/core/Exceptions.h"

namespace {

using Detection = FormatsTest;

const std::string JpegStart = Bytes({0xFF, 0xD8, 0xFF, 0xE0});

// A probe that answers by the first byte, so fixtures can aim at it.
TQkStreamProbe FirstByteIs(char wanted)
{
    return [wanted](TStream& stream) {
        char first = 0;
        return stream.Read(&first, 1) == 1 && first == wanted;
    };
}

int32_t DetectAfter(const std::string& prefix, const std::string& bytes)
{
    TStringStream stream(prefix + bytes);
    stream.SetPosition(int64_t(prefix.size()));
    const int32_t answer = DetectStreamFormat(stream);
    EXPECT_EQ(stream.Position(), int64_t(prefix.size())) << "answer " << answer;
    return answer;
}

int32_t Detect(const std::string& bytes) { return DetectAfter("", bytes); }

std::string WriteFile(const std::string& name, const std::string& bytes)
{
    const std::string path = std::string(TEST_BINARY_DIR) + "/detect-" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

} // namespace

TEST_F(Detection, HeaderTestsNeedTheirBytes)
{
    FormatRow(ioPNG).Probe = FirstByteIs('\x89');
    const struct {
        const char* Name;
        std::string Bytes;
        int32_t Id;
    } cases[] = {
        {"JFIF header, 12 bytes", Padded("JFIF", 12), 0},
        {"JFIF header, 13 bytes", Padded("JFIF", 13), 3},
        {"JFIF without its zero", Padded("JFIFX", 13), 0},
        {"GIF, 13 bytes", Padded("GIF", 13), 0},
        {"GIF, 14 bytes", Padded("GIF89a", 14), 2},
        {"BM, 14 bytes", Padded("BM", 14), 0},
        {"BM, 15 bytes", Padded("BM", 15), 5},
        {"PCX version 5, 129 bytes", Padded(Bytes({0x0A, 0x05}), 129), 4},
        {"PCX version 6, 129 bytes", Padded(Bytes({0x0A, 0x06}), 129), 0},
        {"PCX version 5, 128 bytes", Padded(Bytes({0x0A, 0x05}), 128), 0},
        {"PCX and a zero, 5 bytes", Padded("PCX", 5), 4},
        {"PCX and a zero, 4 bytes", Padded("PCX", 4), 0},
        {"PCX2 header", Padded("PCX2", 13), 4},
        {"TIFF header", Padded("TIFF", 13), 1},
        {"JPEG after 149 bytes", std::string(149, 'x') + JpegStart, 3},
        {"JPEG after 150 bytes", std::string(150, 'x') + JpegStart, 0},
        {"JPEG cut after FF D8", Bytes({0xFF, 0xD8}), 0},
        {"8-byte PNG", Bytes({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}), 0},
        {"9-byte PNG", Bytes({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0}), 8},
        {"AVI", "RIFF" + Bytes({4, 0, 0, 0}) + "AVI LIST", 15},
        {"WAVE", "RIFF" + Bytes({4, 0, 0, 0}) + "WAVEfmt ", 0},
        {"empty", "", 0},
    };
    for (const auto& fixture : cases)
        EXPECT_EQ(Detect(fixture.Bytes), fixture.Id) << fixture.Name;
}

// The size tests count the whole stream; the bytes after the position must
// be there too, so a header cut by the end never matches.
TEST_F(Detection, BytesMissingAfterThePositionNeverMatch)
{
    EXPECT_EQ(DetectAfter(std::string(20, 'x'), "JFIF"), 0);
    EXPECT_EQ(DetectAfter(std::string(20, 'x'), "PCX2"), 0);
    EXPECT_EQ(DetectAfter(std::string(200, 'x'), Bytes({0x0A, 0x05})), 0);
    EXPECT_EQ(DetectAfter(std::string(20, 'x'), "RIFF1234AVI"), 0);
    EXPECT_EQ(DetectAfter(std::string(20, 'x'), Padded("BM", 15)), 5);
}

TEST_F(Detection, ProbeOrderIsPinned)
{
    std::vector<int32_t> expected(std::begin(DetectionProbeOrder), std::end(DetectionProbeOrder));
    expected.push_back(ioJPEG);
    expected.push_back(100);
    expected.push_back(ioRAW);

    const auto yes = [](TStream&) { return true; };
    for (int32_t id : DetectionProbeOrder)
        FormatRow(id).Probe = yes;
    FormatRow(ioRAW).Probe = yes;
    auto external = std::make_unique<TQkFileFormatInfo>();
    external->FileType = 100;
    external->TryFunction = [](TStream&, int32_t id) { return id == 100; };
    RegisterFileFormat(std::move(external));

    // Zeros match no header test; the JPEG start sits in the search window
    // until the search has had its turn.
    std::string bytes = std::string(140, '\0') + JpegStart + std::string(60, '\0');
    for (size_t step = 0; step < expected.size(); ++step) {
        EXPECT_EQ(Detect(bytes), expected[step]) << "step " << step;
        if (expected[step] == ioJPEG)
            bytes = std::string(300, '\0');
        else if (expected[step] == 100)
            UnregisterFileFormat(100);
        else
            FormatRow(expected[step]).Probe = nullptr;
    }
    EXPECT_EQ(Detect(bytes), 0);
}

TEST_F(Detection, DicomBeforeTiffAndCameraRawTiffGoesOn)
{
    FormatRow(ioTIFF).Probe = FirstByteIs('I');
    FormatRow(ioDICOM).Probe = [](TStream& stream) {
        std::string bytes(132, '\0');
        return stream.Read(bytes.data(), 132) == 132 && bytes.substr(128) == "DICM";
    };
    const std::string tiff = Padded("II*", 32);
    EXPECT_EQ(Detect(Padded(tiff, 128) + "DICM" + std::string(8, '\0')), ioDICOM);
    EXPECT_EQ(Detect(tiff), ioTIFF);
    CameraRawTiffProbe = FirstByteIs('I');
    FormatRow(ioRAW).Probe = FirstByteIs('I');
    EXPECT_EQ(Detect(tiff), ioRAW);
}

TEST_F(Detection, APositionIsRestoredWhenAProbeRaises)
{
    FormatRow(ioICO).Probe = [](TStream& stream) -> bool {
        stream.Seek(7, soCurrent);
        throw EReadError("Stream read error");
    };
    EXPECT_EQ(DetectAfter("abc", std::string(40, 'z')), 0);
}

TEST_F(Detection, FileContentAgainstItsExtension)
{
    FormatRow(ioPNG).Probe = FirstByteIs('P');
    FormatRow(ioICO).Probe = FirstByteIs('I');
    FormatRow(ioTIFF).Probe = FirstByteIs('T');
    const std::string png = WriteFile("png.jpg", Padded("P", 32));
    const std::string cursorIcon = WriteFile("icon.cur", Padded("I", 32));
    const std::string bitmapIcon = WriteFile("icon.bmp", Padded("I", 32));
    const std::string unknownIcon = WriteFile("icon.xyz", Padded("I", 32));
    const std::string nef = WriteFile("tiff.nef", Padded("T", 32));
    const std::string tif = WriteFile("tiff.tif", Padded("T", 32));

    EXPECT_EQ(DetectFileFormat(png, false), ioPNG);
    EXPECT_EQ(DetectFileFormat(png, true), 0);
    EXPECT_EQ(DetectFileFormat(cursorIcon, true), ioCUR);
    EXPECT_EQ(DetectFileFormat(bitmapIcon, true), ioBMP);
    EXPECT_EQ(DetectFileFormat(unknownIcon, true), 0);
    EXPECT_EQ(DetectFileFormat(unknownIcon, false), ioICO);
    EXPECT_EQ(DetectFileFormat(nef, true), ioRAW);
    EXPECT_EQ(DetectFileFormat(tif, true), ioTIFF);
    EXPECT_EQ(DetectFileFormat(std::string(TEST_BINARY_DIR) + "/missing.png", false), 0);
    EXPECT_EQ(DetectFileFormat("", false), 0);

    // An external entry's extension wins over any content.
    const std::string externalName = WriteFile("png.ext", Padded("P", 32));
    auto external = std::make_unique<TQkFileFormatInfo>();
    external->FileType = 100;
    external->Extensions = "EXT";
    RegisterFileFormat(std::move(external));
    EXPECT_EQ(DetectFileFormat(externalName, true), 100);
}

TEST_F(Detection, JpegStartSearch)
{
    TStringStream stream("ab" + JpegStart);
    stream.SetPosition(1);
    EXPECT_EQ(FindJpegSoi(stream, true), 2);
    EXPECT_EQ(FindJpegSoi(stream, false), -1);
    EXPECT_EQ(stream.Position(), 1);
    stream.SetPosition(2);
    EXPECT_EQ(FindJpegSoi(stream, false), 2);
}
