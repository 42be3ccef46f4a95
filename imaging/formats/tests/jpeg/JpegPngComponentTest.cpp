#include <gtest/gtest.h>

#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/QkFormatDetection.h"
#include "imaging/formats/tests/FormatsTestSupport.h"
#include "imaging/formats/tests/jpeg/JpegFilesTest.h"

namespace {

class JpegPngComponent : public FormatsTest {};

TEST_F(JpegPngComponent, LoadsAndSavesByExtensionAndDetectsByContent)
{
    const std::string source = SourcePpm();
    for (const char* extension : {".jpg", ".png"}) {
        SCOPED_TRACE(extension);
        const std::string made = JpegFolder() + "/made" + extension;
        const std::string saved = JpegFolder() + "/saved" + extension;
        CommandOutput("convert " + source + " " + made);
        TBrelvixIO io(nullptr);
        io.LoadFromFile(made);
        ASSERT_FALSE(io.Aborting());
        EXPECT_EQ(io.Bitmap()->GetWidth(), 67);
        io.SaveToFile(saved);
        ASSERT_FALSE(io.Aborting());
        const int32_t type = std::string(extension) == ".jpg" ? ioJPEG : ioPNG;
        EXPECT_EQ(DetectFileFormat(made, false), type);
        EXPECT_EQ(DetectFileFormat(saved, false), type);
        // The JPEG is encoded again, so only the PNG keeps every pixel.
        const std::string metric = CommandOutput("compare -metric AE " + made + " " + saved + " null: 2>&1 || true");
        EXPECT_TRUE(type == ioJPEG || metric == "0") << metric;
    }
}

} // namespace
