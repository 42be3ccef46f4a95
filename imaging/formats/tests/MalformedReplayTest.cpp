#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "FormatsTestSupport.h"
#include "imaging/formats/fuzz/BmpIconFuzzInput.h"
#include "imaging/formats/fuzz/FiltersFuzzInput.h"
#include "imaging/formats/fuzz/FormatsFuzzInput.h"
#include "imaging/formats/fuzz/JpegPngFuzzInput.h"
#include "imaging/formats/fuzz/PsdFuzzInput.h"
#include "imaging/formats/fuzz/ReaderFuzzInput.h"
#include "imaging/formats/gif/QkGif.h"
#include "imaging/formats/j2k/QkJpeg2000.h"
#include "imaging/formats/jxr/QkHdPhoto.h"
#include "imaging/formats/targa/QkTarga.h"

namespace {

using FormatsMalformedInputs = FormatsTest;

// The format a broken filter file is named after; 0 for the other inputs.
int32_t FilterFileType(const std::string& name)
{
    const std::pair<const char*, int32_t> prefixes[] = {{"pnm-", ioPXM},
                                                        {"wbmp-", ioWBMP},
                                                        {"bmp-", ioBMP},
                                                        {"ico-", ioICO},
                                                        {"cur-", ioCUR}};
    for (const auto& [prefix, fileType] : prefixes)
        if (name.starts_with(prefix))
            return fileType;
    return 0;
}

} // namespace

// Inputs that once failed under the formats or filters fuzzers, and files
// built to break the filters, are read again as both fuzzers read them.
TEST_F(FormatsMalformedInputs, ReadSafely)
{
    const std::filesystem::path folder = std::filesystem::path(TEST_SOURCE_DIR) / "malformed";
    for (const auto& file : std::filesystem::directory_iterator(folder)) {
        SCOPED_TRACE(file.path().filename().string());
        std::ifstream in(file.path(), std::ios::binary);
        const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        ReadAsEveryFormat(bytes.data(), bytes.size());
        ReadAsFilter(bytes.data(), bytes.size());
        ReadAsBitmapOrIcon(bytes.data(), bytes.size());
        ReadAsJpegOrPng(bytes.data(), bytes.size());
        std::vector<uint8_t> request{0};
        request.insert(request.end(), bytes.begin(), bytes.end());
        for (uint8_t choice : {0, 1, 2})
            for (const TQkFormatReader& reader : {TQkFormatReader(ReadGifImage), TQkFormatReader(ReadTargaImage)}) {
                request[0] = choice;
                FuzzReader(reader, request.data(), request.size());
            }
        for (uint8_t choice : {0, 1, 2, 5, 9}) {
            request[0] = choice;
            ReadAsPsd(request.data(), request.size());
        }
        for (uint8_t choice : {0, 1, 2}) {
            request[0] = choice;
            FuzzReader(ReadJpeg2000Image, request.data(), request.size());
            FuzzReader(ReadHdPhotoImage, request.data(), request.size());
        }
    }
}

// The filters' broken files load through the component as their format:
// a bad header is refused, short data loads with what it has.
TEST_F(FormatsMalformedInputs, FilterFilesFailCleanly)
{
    const std::filesystem::path folder = std::filesystem::path(TEST_SOURCE_DIR) / "malformed";
    TBrelvixIO io(nullptr);
    for (const auto& file : std::filesystem::directory_iterator(folder)) {
        const std::string name = file.path().filename().string();
        const int32_t fileType = FilterFileType(name);
        if (fileType == 0)
            continue;
        std::ifstream in(file.path(), std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        io.LoadFromBuffer(bytes.data(), int64_t(bytes.size()), fileType);
        EXPECT_EQ(io.Aborting(), name.find("short") == std::string::npos) << name;
    }
}
