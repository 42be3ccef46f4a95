#include <gtest/gtest.h>

#include "imaging/formats/jpeg/QkJpeg.h"
#include "imaging/formats/jpeg/QkJpegDecompressor.h"
#include "imaging/formats/tests/jpeg/JpegFilesTest.h"

namespace {

// Every row, one call at a time, as the library gives them.
std::vector<uint8_t> DecodeRows(TJpegDecompressor& decompressor)
{
    decompressor.ReadHeader(true);
    decompressor.Start();
    const size_t rowBytes = size_t(decompressor.OutputWidth()) * size_t(decompressor.OutputComponents());
    std::vector<uint8_t> samples(rowBytes * decompressor.OutputHeight());
    while (decompressor.OutputScanline() < decompressor.OutputHeight()) {
        uint8_t* row = samples.data() + decompressor.OutputScanline() * rowBytes;
        decompressor.ReadScanlines(&row, 1);
    }
    decompressor.Finish();
    return samples;
}

struct TMemorySource {
    std::vector<uint8_t> Bytes;
    size_t Given = 0;
};

// Hands the file over in pieces of 100 bytes.
void GiveNextPiece(TJpegDecompressor& decompressor, void* context)
{
    auto& source = *static_cast<TMemorySource*>(context);
    const size_t count = std::min<size_t>(100, source.Bytes.size() - source.Given);
    decompressor.SetSourceBuffer(source.Bytes.data() + source.Given, count);
    source.Given += count;
}

TEST(JpegDecompressor, DecodesRowByRowFromAStreamOrTheCallersPieces)
{
    const std::vector<uint8_t> jpeg = Cjpeg("-sample 2x2");
    const std::string path = JpegFolder() + "/rows.jpg";
    WriteFileBytes(path, jpeg);
    int width = 0, height = 0;
    const std::vector<uint8_t> expected = NetpbmSamples(CommandOutput("djpeg -pnm " + path), width, height);

    TMemoryStream stream;
    WriteBytes(stream, jpeg);
    stream.SetPosition(0);
    TJpegDecompressor fromStream(stream);
    EXPECT_TRUE(DecodeRows(fromStream) == expected);

    TMemoryStream unused;
    TJpegDecompressor fromPieces(unused);
    TMemorySource source{jpeg};
    fromPieces.SetFillInput(GiveNextPiece, &source);
    EXPECT_TRUE(DecodeRows(fromPieces) == expected);
    EXPECT_EQ(source.Given, jpeg.size());
}

TEST(JpegDecompressor, RaisesTheLibrarysErrorText)
{
    TMemoryStream stream;
    WriteBytes(stream, {0xFF, 0xD8, 0xFF, 0xDA, 0, 2});
    stream.SetPosition(0);
    TJpegDecompressor decompressor(stream);
    EXPECT_THROW(decompressor.ReadHeader(true), EQkJpegException);
    try {
        decompressor.Start();
        FAIL() << "no exception";
    } catch (const EQkJpegException& error) {
        EXPECT_EQ(error.Message(), "Improper call to JPEG library in state ?");
    }
}

} // namespace
