#pragma once
// Images and Ghostscript renderings shared by the page writers' tests.

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "imaging/core/QkBitmap.h"
#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/ps/QkPdf.h"
#include "imaging/formats/ps/QkPostScript.h"
#include "imaging/formats/tests/FormatsTestSupport.h"
#include "imaging/formats/tests/OracleTestSupport.h"

// Asymmetric in both directions, so a flipped or shifted page shows, and
// smooth enough for JPEG to keep.
inline void FillRgb(TQkBitmap& bitmap, int32_t width, int32_t height)
{
    bitmap.Allocate(width, height, qk24RGB);
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* line = bitmap.GetScanline(y);
        for (int32_t x = 0; x < width; ++x) {
            line[3 * x + 2] = uint8_t(x * 255 / width);
            line[3 * x + 1] = uint8_t(y < height / 3 ? 250 : y * 255 / height);
            line[3 * x] = uint8_t(x < width / 4 ? 20 : 200);
        }
    }
}

inline void FillOneBit(TQkBitmap& bitmap, int32_t width, int32_t height)
{
    bitmap.Allocate(width, height, qk1g);
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* line = bitmap.GetScanline(y);
        for (int32_t x = 0; x < width; ++x) {
            const bool white = (x < 40 && y < 90) || (x / 13 + y / 7) % 3 == 0;
            if (white)
                line[x >> 3] |= uint8_t(0x80 >> (x & 7));
            else
                line[x >> 3] &= uint8_t(~(0x80 >> (x & 7)));
        }
    }
}

// The pixels of a binary portable map, after its four header fields.
inline std::string PortableMapPixels(const std::string& map)
{
    size_t position = 0;
    for (int fields = 0; fields < 4 && position < map.size(); ++position)
        if (map[position] == '\n')
            ++fields;
    return map.substr(position);
}

// Ghostscript's rendering at 72 dpi on an A4 page, as RGB bytes.
inline std::string GhostscriptRgb(const std::string& path)
{
    return PortableMapPixels(CommandOutput("gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=ppmraw -r72 -sPAPERSIZE=a4 "
                                           "-dFIXEDMEDIA -sOutputFile=- " +
                                           path));
}

inline double MeanError(const std::string& ours, const std::string& expected)
{
    double error = 0;
    for (size_t i = 0; i < expected.size(); ++i)
        error += std::abs(int(uint8_t(ours[i])) - int(uint8_t(expected[i])));
    return error / double(expected.size());
}

// Stands in for an operation that leaves a document open.
class TPendingDocumentIO : public TBrelvixIO {
public:
    TPendingDocumentIO() : TBrelvixIO(nullptr) {}
    void OpenPs(std::unique_ptr<TStream> stream, std::unique_ptr<TPsDocument> document)
    {
        psStream_ = std::move(stream);
        psDocument_ = std::move(document);
    }
    void OpenPdf(std::unique_ptr<TStream> stream, std::unique_ptr<TPdfDocument> document)
    {
        pdfStream_ = std::move(stream);
        pdfDocument_ = std::move(document);
    }
};

// A writer's output for one image.
template <typename TWriter>
std::string WrittenBy(TWriter writer, TQkBitmap& bitmap, TIOParamsVals& params)
{
    TMemoryStream stream;
    TQkFilterProgress progress;
    writer(stream, bitmap, params, progress);
    return {static_cast<const char*>(stream.Memory()), size_t(stream.Size())};
}

// Checks Ghostscript's rendering of a 100 x 50 RGB image on an A4 page: its
// first and last pixels at the corners of the 595 x 297 box at the top left,
// white below.
inline void ExpectTopLeftBox(const std::string& rendered, TQkBitmap& bitmap)
{
    ASSERT_EQ(rendered.size(), size_t(595 * 842 * 3));
    const auto pixelAt = [&](int x, int y) { return rendered.substr((size_t(y) * 595 + x) * 3, 3); };
    const uint8_t* first = bitmap.GetScanline(0);
    EXPECT_EQ(pixelAt(2, 2), std::string({char(first[2]), char(first[1]), char(first[0])}));
    const uint8_t* last = bitmap.GetScanline(49) + 3 * 99;
    EXPECT_EQ(pixelAt(592, 294), std::string({char(last[2]), char(last[1]), char(last[0])}));
    EXPECT_EQ(pixelAt(300, 299), std::string(3, char(255)));
}

// The page writers' tests keep their files in a folder of the process's
// own, removed after each suite.
class PageWriterTest : public FormatsTest {
protected:
    static std::string Folder() { return std::string(TEST_BINARY_DIR) + "/page-files-" + std::to_string(getpid()); }
    static void TearDownTestSuite() { std::filesystem::remove_all(Folder()); }
    static std::string SaveFile(const std::string& name, const std::string& content)
    {
        std::filesystem::create_directories(Folder());
        const std::string path = Folder() + "/" + name;
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

    TQkBitmap bitmap;
    TIOParamsVals params{nullptr};
};
