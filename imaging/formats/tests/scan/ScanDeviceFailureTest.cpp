#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "imaging/formats/scan/QkScanDevice.h"
#include "imaging/formats/scan/QkWia.h"
#include "imaging/formats/tests/FormatsTestSupport.h"

namespace {

// A device that fails at a chosen point. SANE's test backend can fail reads
// too, but cancelling its reader thread then races with the thread's exit and
// can deadlock inside the C library, so failed reads are shown here.
struct TFailingDevice : IQkScanDevice {
    TQkScanStatus StartStatus = ssGood;
    TQkScanStatus ReadStatus = ssGood;
    int32_t GoodReads = 0;
    int32_t* Cancels = nullptr;

    std::string SetOption(const std::string&, const std::string&) override { return {}; }
    TQkScanStatus Start() override { return StartStatus; }
    TQkScanStatus GetParameters(TQkScanFrameParams& params) override
    {
        params = {sfGray, true, 4, 4, 4, 8};
        return ssGood;
    }
    TQkScanStatus Read(uint8_t* buffer, int32_t maxLength, int32_t& length) override
    {
        if (GoodReads-- <= 0)
            return ReadStatus;
        length = std::min(maxLength, 4);
        std::fill(buffer, buffer + length, uint8_t(0x80));
        return ssGood;
    }
    void Cancel() override { ++*Cancels; }
    int32_t Resolution(bool) override { return 75; }
    std::string StatusText(TQkScanStatus status) override { return "status " + std::to_string(status); }
    bool FeederSelected() override { return false; }
};

struct TOneDeviceManager : IQkScanDeviceManager {
    TFailingDevice Device;
    std::vector<TQkScanDeviceInfo> Devices() override { return {{"fake:0", "Fake", "Failing", "flatbed scanner"}}; }
    std::unique_ptr<IQkScanDevice> Open(const std::string&, std::string&) override
    {
        return std::make_unique<TFailingDevice>(Device);
    }
};

} // namespace

TEST(ScanDeviceFailure, AFailedStartOrReadDeliversNothingAndCancels)
{
    const struct {
        const char* Name;
        TQkScanStatus Start, Read;
        int32_t GoodReads;
        const char* Error;
    } cases[] = {
        {"cover open at the start", ssCoverOpen, ssGood, 0, "status 8"},
        {"jammed on the first read", ssGood, ssJammed, 0, "status 6"},
        {"jammed after two lines", ssGood, ssJammed, 2, "status 6"},
        {"input/output error midway", ssGood, ssIOError, 3, "status 9"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        auto manager = std::make_unique<TOneDeviceManager>();
        int32_t cancels = 0;
        manager->Device.StartStatus = c.Start;
        manager->Device.ReadStatus = c.Read;
        manager->Device.GoodReads = c.GoodReads;
        manager->Device.Cancels = &cancels;
        TQkWia wia(nullptr, std::move(manager));
        wia.RefreshItems();
        int32_t delivered = 0;
        wia.TransferCallback = [&](TQkBitmap&, int32_t, int32_t) { ++delivered; };
        EXPECT_FALSE(wia.Acquire());
        EXPECT_EQ(wia.LastError, c.Error);
        EXPECT_EQ(delivered, 0);
        EXPECT_GE(cancels, 1);
    }
}
