#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imaging/core/QkSettings.h"
#include "imaging/core/QkStartup.h"

namespace {

std::vector<std::string> calls;

template <int Slot>
void RecordInit()
{
    calls.push_back("init" + std::to_string(Slot));
}

template <int Slot>
void RecordFinal()
{
    calls.push_back("final" + std::to_string(Slot));
}

template <int... Slots>
TLibraryHookTable RecorderTable(std::integer_sequence<int, Slots...>)
{
    return {{{"recorder", RecordInit<Slots + 1>, RecordFinal<Slots + 1>}...}};
}

// Swaps the hook table for recorders and restores it afterwards.
class StartupHooks : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = LibraryHooks();
        LibraryHooks() = RecorderTable(std::make_integer_sequence<int, LibraryHookCount>());
        calls.clear();
    }
    void TearDown() override { LibraryHooks() = saved_; }

    static std::vector<std::string> Expected(const char* kind, bool reverse)
    {
        std::vector<std::string> names;
        for (size_t slot = 1; slot <= LibraryHookCount; ++slot)
            names.push_back(kind + std::to_string(reverse ? LibraryHookCount + 1 - slot : slot));
        return names;
    }

private:
    TLibraryHookTable saved_;
};

TEST_F(StartupHooks, NestedCallsRunEachHookOnceInOrderAndReverse)
{
    LibraryStaticInit();
    LibraryStaticInit();
    EXPECT_EQ(calls, Expected("init", false));
    calls.clear();
    LibraryStaticFinal();
    EXPECT_TRUE(calls.empty());
    EXPECT_TRUE(LibraryStarted());
    LibraryStaticFinal();
    EXPECT_EQ(calls, Expected("final", true));
    EXPECT_FALSE(LibraryStarted());
}

TEST_F(StartupHooks, FinalWithoutInitDoesNothingAndInitAfterFinalRunsAgain)
{
    LibraryStaticFinal();
    EXPECT_TRUE(calls.empty());
    LibraryStaticInit();
    LibraryStaticFinal();
    LibraryStaticFinal();
    calls.clear();
    LibraryStaticInit();
    EXPECT_EQ(calls, Expected("init", false));
    LibraryStaticFinal();
}

TEST(Startup, HooksSetTheDocumentedSettings)
{
    GrayWeightRed = 1;
    DialogsBackgroundStyle = 2;
    ProcessorCoreCountCache = 5;
    MemoryThresholdOverride = 77;
    RowBlocksAllowed = false;
    QuantizerQuality = 50;
    TemporaryDirectory = "/somewhere";
    ColorManagementEnabled = true;
    DefaultDpiX = 72;
    // Without the formats' start-up no codec registers, and stale ones go.
    GifLzwDecoderHook = [](TStream&, int32_t, int32_t, bool, std::span<uint8_t>) { return true; };
    TiffLzwEncoderHook = [](const uint8_t*, int64_t, TStream&, TTiffLzwEncodeStatePtr&, std::atomic<bool>&) {};
    LibraryStaticInit();
    EXPECT_EQ(GrayWeightRed, 21);
    EXPECT_EQ(GrayWeightGreen, 71);
    EXPECT_EQ(GrayWeightBlue, 8);
    EXPECT_EQ(DialogsBackgroundStyle, 0);
    EXPECT_EQ(WindowsVersionCode, 9);
    EXPECT_TRUE(UnicodeFileNames);
    EXPECT_EQ(ProcessorCoreCountCache, -1);
    EXPECT_EQ(MemoryThresholdOverride, -1);
    EXPECT_TRUE(FileFallbackOnMemoryFailure);
    EXPECT_TRUE(RowBlocksAllowed);
    EXPECT_EQ(QuantizerMethod, -1);
    EXPECT_EQ(QuantizerQuality, -1);
    EXPECT_TRUE(TemporaryDirectory.empty());
    EXPECT_FALSE(FileExistsCompatibility);
    EXPECT_FALSE(ColorManagementEnabled);
    EXPECT_FALSE(GifLzwDecoderHook);
    EXPECT_FALSE(TiffLzwEncoderHook);
    EXPECT_EQ(DefaultDpiX, 300);
    EXPECT_EQ(DefaultDpiY, 300);
    EXPECT_EQ(ScreenDpiX, 96);
    EXPECT_EQ(ScreenDpiY, 96);
    EXPECT_EQ(CosineTable[0], 0);
    EXPECT_EQ(CosineTable[128], 64);
    EXPECT_EQ(CosineTable[255], 128);
    LibraryStaticFinal();
}

} // namespace
