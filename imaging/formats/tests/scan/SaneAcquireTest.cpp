#include <gtest/gtest.h>

#include <algorithm>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "imaging/core/tests/QkCommand.h"
#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/scan/QkScanDevice.h"
#include "imaging/formats/scan/QkWia.h"
#include "imaging/formats/tests/FormatsTestSupport.h"

namespace {

// A SANE configuration that offers only the test backend.
const std::string ConfigFolder = std::string(TEST_BINARY_DIR) + "/sane-config-" + std::to_string(getpid());

struct TPnm {
    std::string Magic;
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t MaxValue = 1;
    std::string Pixels;
};

TPnm ParsePnm(const std::string& bytes)
{
    TPnm pnm;
    std::istringstream in(bytes);
    in >> pnm.Magic;
    in >> std::ws;
    while (in.peek() == '#') {
        std::string comment;
        std::getline(in, comment);
    }
    in >> pnm.Width >> pnm.Height;
    if (pnm.Magic != "P4")
        in >> pnm.MaxValue;
    in.get();
    pnm.Pixels = bytes.substr(size_t(in.tellg()));
    return pnm;
}

// The image in the layout of scanimage's PNM data: 1 for black in P4, big
// endian words for 16 bits, red before blue.
// The bits of 1-bit row byte `i` that hold pixels: a bitmap's bits past the
// row's end are undefined, where the PNM file has zeros.
uint8_t PaddingMask(int32_t width, int32_t i)
{
    const int32_t pixels = std::min(8, width - 8 * i);
    return uint8_t(0xFF << (8 - pixels));
}

std::string AsPnmPixels(TQkBitmap& bitmap)
{
    std::string bytes;
    const int32_t width = bitmap.GetWidth();
    for (int32_t y = 0; y < bitmap.GetHeight(); ++y) {
        const uint8_t* row = bitmap.GetScanline(y);
        switch (bitmap.GetPixelFormat()) {
        case qk1g:
            for (int32_t i = 0; i < (width + 7) / 8; ++i)
                bytes.push_back(char(~row[i] & PaddingMask(width, i)));
            break;
        case qk8g: bytes.append(reinterpret_cast<const char*>(row), size_t(width)); break;
        case qk24RGB:
            for (int32_t x = 0; x < width; ++x)
                bytes += {char(row[3 * x + 2]), char(row[3 * x + 1]), char(row[3 * x])};
            break;
        default: {
            const int32_t words = bitmap.GetPixelFormat() == qk16g ? width : 3 * width;
            for (int32_t i = 0; i < words; ++i)
                bytes += {char(row[2 * i + 1]), char(row[2 * i])};
        }
        }
    }
    return bytes;
}

// scanimage writes whole device lines, the padding of a device that loses
// pixels at the end of each line included.
std::string WithoutPadding(const TPnm& pnm)
{
    const size_t samples = pnm.Magic == "P6" ? 3 : 1;
    const size_t bytes =
        pnm.Magic == "P4" ? size_t(pnm.Width + 7) / 8 : size_t(pnm.Width) * samples * (pnm.MaxValue > 255 ? 2 : 1);
    const size_t stride = pnm.Height > 0 ? pnm.Pixels.size() / size_t(pnm.Height) : 0;
    std::string pixels;
    for (int32_t y = 0; y < pnm.Height && stride >= bytes; ++y) {
        pixels += pnm.Pixels.substr(size_t(y) * stride, bytes);
        if (pnm.Magic == "P4")
            pixels.back() = char(pixels.back() & PaddingMask(pnm.Width, int32_t(bytes) - 1));
    }
    return pixels;
}

std::string ScanimageArguments(const std::vector<std::string>& options)
{
    std::string arguments;
    for (const std::string& option : options)
        arguments += " '--" + option + "'";
    return arguments;
}

class SaneAcquire : public FormatsTest {
protected:
    static void SetUpTestSuite()
    {
        std::filesystem::create_directories(ConfigFolder);
        std::ofstream(ConfigFolder + "/dll.conf") << "test\n";
        std::ofstream(ConfigFolder + "/test.conf") << "number_of_devices 2\n";
        setenv("SANE_CONFIG_DIR", ConfigFolder.c_str(), 1);
    }
    static void TearDownTestSuite() { std::filesystem::remove_all(ConfigFolder); }

    void SetUp() override
    {
        FormatsTest::SetUp();
        Renew();
    }
    void TearDown() override
    {
        io.reset();
        FormatsTest::TearDown();
    }

    // The test backend keeps options set on a device until the service
    // ends, which a new component with the only user brings about.
    void Renew()
    {
        io.reset();
        io = std::make_unique<TBrelvixIO>(nullptr);
        wia = io->GetWia();
        wia->RefreshItems();
    }
    bool Scan(const std::vector<std::string>& options)
    {
        wia->ScanOptions.Clear();
        for (const std::string& option : options)
            wia->ScanOptions.Add(option);
        io->Acquire();
        return !io->Aborting();
    }
    std::string Scanimage(const std::vector<std::string>& options)
    {
        return CommandOutput("SANE_CONFIG_DIR=" + ConfigFolder + " scanimage -d test:0 --format=pnm" +
                             ScanimageArguments(options));
    }

    std::unique_ptr<TBrelvixIO> io;
    TQkWia* wia = nullptr;
};

TEST_F(SaneAcquire, ItemsAreTheDevicesScanimageLists)
{
    const std::string listed = CommandOutput("SANE_CONFIG_DIR=" + ConfigFolder + " scanimage -f '%d %v %m %t%n'");
    std::string ours;
    for (const auto& item : wia->Items)
        ours +=
            item->Device.Name + " " + item->Device.Vendor + " " + item->Device.Model + " " + item->Device.Type + "\n";
    EXPECT_EQ(ours, listed);
    EXPECT_EQ(wia->Items.size(), 2u);
    EXPECT_EQ(wia->LastEvent, weTreeUpdated);
    int events = 0;
    wia->OnDeviceEvent = [&](TObject*) { ++events; };
    wia->RefreshItems();
    EXPECT_EQ(events, 0);
}

TEST_F(SaneAcquire, PagesEqualScanimagesOutput)
{
    const std::vector<std::vector<std::string>> cases = {
        {"mode=Color", "depth=8", "test-picture=Grid", "resolution=50"},
        {"mode=Gray", "depth=8", "test-picture=Color pattern", "resolution=40"},
        {"mode=Gray", "depth=1", "test-picture=Solid black", "resolution=30"},
        {"mode=Gray", "depth=1", "test-picture=Grid", "resolution=50"},
        {"mode=Color", "depth=16", "test-picture=Color pattern", "resolution=25"},
        {"mode=Gray", "depth=16", "test-picture=Grid", "resolution=25"},
        {"mode=Color", "three-pass=yes", "test-picture=Color pattern", "resolution=30"},
        {"mode=Gray", "hand-scanner=yes", "test-picture=Grid", "resolution=30"},
        {"mode=Color", "ppl-loss=7", "test-picture=Grid", "resolution=50"},
    };
    for (const std::vector<std::string>& options : cases) {
        SCOPED_TRACE(ScanimageArguments(options));
        Renew();
        ASSERT_TRUE(Scan(options)) << wia->LastError;
        const TPnm pnm = ParsePnm(Scanimage(options));
        EXPECT_EQ(io->Bitmap()->GetWidth(), pnm.Width);
        EXPECT_EQ(io->Bitmap()->GetHeight(), pnm.Height);
        EXPECT_EQ(io->Params().Width, pnm.Width);
        EXPECT_TRUE(AsPnmPixels(*io->Bitmap()) == WithoutPadding(pnm));
        const int32_t dpi = std::stoi(options.back().substr(options.back().find('=') + 1));
        EXPECT_EQ(io->Params().DpiX, dpi);
        EXPECT_EQ(io->Params().DpiY, dpi);
        EXPECT_EQ(io->AcquireCounter(), 1);
    }
    io->ResetCounter();
    EXPECT_EQ(io->AcquireCounter(), 0);
}

TEST_F(SaneAcquire, FeederBatchDeliversEveryPage)
{
    int delivered = 0;
    io->OnAcquireBitmap = [&](TObject*, TQkBitmap&, bool&) { ++delivered; };
    wia->ScanAllPages = true;
    ASSERT_TRUE(Scan({"source=Automatic Document Feeder", "resolution=10"})) << wia->LastError;
    EXPECT_EQ(delivered, 10);
    EXPECT_EQ(io->AcquireCounter(), 10);
}

TEST_F(SaneAcquire, FailuresDeliverNothing)
{
    struct Case {
        std::vector<std::string> options;
        const char* error;
    };
    const std::vector<Case> cases = {
        {{"no-such-option=1"}, "option no-such-option: no such option"},
        {{"mode=Sepia"}, "option mode: Invalid argument"},
        {{"resolution=fast"}, "option resolution: invalid value \"fast\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        Renew();
        int delivered = 0;
        io->OnAcquireBitmap = [&](TObject*, TQkBitmap&, bool&) { ++delivered; };
        EXPECT_FALSE(Scan(c.options));
        EXPECT_EQ(wia->LastError, c.error);
        EXPECT_EQ(delivered, 0);
        EXPECT_EQ(io->AcquireCounter(), 0);
    }
}

TEST_F(SaneAcquire, CancellingFromProgressDeliversNothing)
{
    int delivered = 0;
    io->OnAcquireBitmap = [&](TObject*, TQkBitmap&, bool&) { ++delivered; };
    int32_t firstPercent = -1;
    io->OnProgress = [&](TObject*, int32_t percent) {
        if (firstPercent < 0)
            firstPercent = percent;
        io->SetAborting(true);
    };
    EXPECT_FALSE(Scan({"resolution=200"}));
    EXPECT_LT(firstPercent, 100);
    EXPECT_EQ(delivered, 0);
    EXPECT_EQ(wia->LastError, "cancelled");
}

TEST_F(SaneAcquire, HandledImagesLeaveTheComponentAlone)
{
    io->Bitmap()->Allocate(3, 2, qk24RGB);
    io->OnAcquireBitmap = [](TObject*, TQkBitmap&, bool& handled) { handled = true; };
    ASSERT_TRUE(Scan({"resolution=50"}));
    EXPECT_EQ(io->Bitmap()->GetWidth(), 3);
    EXPECT_EQ(io->Params().Width, 0);
    EXPECT_EQ(io->AcquireCounter(), 1);
}

TEST_F(SaneAcquire, MissingLibraryLeavesNoDeviceManager)
{
    io.reset();
    const std::string kept = SaneLibraryName;
    SaneLibraryName = "libsane-missing.so.1";
    Renew();
    SaneLibraryName = kept;
    EXPECT_FALSE(wia->ServiceInitialized);
    EXPECT_EQ(wia->DeviceManager, nullptr);
    EXPECT_TRUE(wia->Items.empty());
    EXPECT_FALSE(Scan({}));
    EXPECT_EQ(wia->LastError, "no scanner service");
}

// The library's shut-down ends the service under a component that outlives
// it; a device open at that moment keeps scanning until it closes.
TEST_F(SaneAcquire, ShutDownEndsTheServiceOnceNoDeviceIsOpen)
{
    LibraryStaticFinal();
    LibraryStaticInit();
    wia->RefreshItems();
    EXPECT_TRUE(wia->Items.empty());
    wia->Items.push_back(std::make_unique<TQkWiaItem>());
    wia->Items.back()->Device.Name = "test:0";
    EXPECT_FALSE(Scan({"resolution=50"}));
    EXPECT_EQ(wia->LastError, "test:0: the scanner service has ended");
    Renew();
    EXPECT_EQ(wia->Items.size(), 2u);
    ASSERT_TRUE(Scan({"resolution=50"})) << wia->LastError;

    std::string error;
    std::unique_ptr<IQkScanDevice> device = wia->DeviceManager->Open("test:0", error);
    ASSERT_NE(device, nullptr) << error;
    LibraryStaticFinal();
    LibraryStaticInit();
    Renew();
    EXPECT_TRUE(wia->Items.empty());
    EXPECT_EQ(device->SetOption("resolution", "50"), "");
    ASSERT_EQ(device->Start(), ssGood);
    TQkScanFrameParams params;
    ASSERT_EQ(device->GetParameters(params), ssGood);
    std::vector<uint8_t> line(size_t(params.BytesPerLine));
    int32_t length = 0;
    EXPECT_EQ(device->Read(line.data(), params.BytesPerLine, length), ssGood);
    EXPECT_GT(length, 0);
    device.reset();
    Renew();
    EXPECT_EQ(wia->Items.size(), 2u);
    EXPECT_TRUE(Scan({"resolution=50"})) << wia->LastError;
}

TEST_F(SaneAcquire, OneWiaWhoseProgressStopsOnceAborting)
{
    EXPECT_EQ(io->GetWia(), wia);
    EXPECT_TRUE(wia->ProgressCallback(10));
    io->SetAborting(true);
    EXPECT_FALSE(wia->ProgressCallback(20));
}

} // namespace
