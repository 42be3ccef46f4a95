#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/binding/FFLoad.h"
#include "engine/decode/FrameHook.h"
#include "platform/core/DynamicLibrary.h"

namespace {

class FrameHookTest : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(FFLoader.LoadLibraries(DecoderLibraries)) << FFLoader.LastErrorText(); }

    ~FrameHookTest() override { FrameHookRelease(chain); }

    int32_t Add(std::vector<std::string> words)
    {
        std::vector<char*> argv;
        for (std::string& word : words)
            argv.push_back(word.data());
        return FrameHookAdd(chain, static_cast<int32_t>(argv.size()), argv.data());
    }

    // What each plug-in of the chain writes into a picture, in chain order.
    std::vector<int> Processed()
    {
        std::vector<int> values;
        for (TFrameHookEntry* entry = chain; entry; entry = entry->Next) {
            uint8_t pixel = 0;
            TFFPicture picture;
            picture.Data[0] = &pixel;
            entry->Process(entry->Context, &picture, 0, 1, 1, 0);
            values.push_back(pixel);
        }
        return values;
    }

    static int ReleasedCount(const char* plugin)
    {
        return *static_cast<int*>(GetLibrarySymbol(LoadDynamicLibrary(plugin), "ReleasedCount"));
    }

    TFrameHookEntry* chain = nullptr;
};

TEST(FrameHookArguments, SplitAtBarsOrBlanks)
{
    EXPECT_EQ(SplitFrameHookArguments("lib.so|a b|c"), (std::vector<std::string>{"lib.so", "a b", "c"}));
    EXPECT_EQ(SplitFrameHookArguments("lib.so a  b"), (std::vector<std::string>{"lib.so", "a", "b"}));
    std::string many = "lib.so";
    for (int i = 0; i < 80; ++i)
        many += " w";
    EXPECT_EQ(SplitFrameHookArguments(many).size(), 63u);
}

TEST_F(FrameHookTest, EachUseGetsItsOwnConfiguredContext)
{
    ASSERT_EQ(Add({FRAMEHOOK_PLUGIN}), 0);
    ASSERT_EQ(Add({FRAMEHOOK_PLUGIN, "x", "y"}), 0);
    EXPECT_EQ(Processed(), (std::vector<int>{1, 3}));

    uint8_t pixel = 0;
    TFFPicture picture;
    picture.Data[0] = &pixel;
    FrameHookProcess(chain, &picture, 0, 1, 1, 0);
    EXPECT_EQ(pixel, 3); // the last plug-in of the chain wrote last

    const int released = ReleasedCount(FRAMEHOOK_PLUGIN);
    FrameHookRelease(chain);
    EXPECT_EQ(chain, nullptr);
    EXPECT_EQ(ReleasedCount(FRAMEHOOK_PLUGIN), released + 2);
}

TEST_F(FrameHookTest, FailuresGiveTheirCodes)
{
    EXPECT_EQ(Add({}), -2);
    EXPECT_EQ(Add({"/nonexistent/plugin.so"}), -1);
    // Without Configure only a plug-in without arguments can be used.
    EXPECT_EQ(Add({FRAMEHOOK_PLUGIN_BARE}), 0);
    EXPECT_EQ(Add({FRAMEHOOK_PLUGIN_BARE, "x"}), -2);
    EXPECT_EQ(Add({FRAMEHOOK_PLUGIN, "!refused"}), -22);
    EXPECT_EQ(Processed(), (std::vector<int>{99}));
}

} // namespace
