#include "engine/EncoderAvailable.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "engine/binding/FFLoad.h"

// CTest runs every test case in a process of its own, so this one sees the
// libraries unloaded; run together with the others it may come after a load.
TEST(EncoderAvailable, NothingBeforeTheLibrariesLoad)
{
    if (FFLoader.Loaded(libAVCodec))
        GTEST_SKIP() << "an earlier test of this process loaded the libraries";
    EXPECT_FALSE(EncoderAvailable("aac"));
}

TEST(EncoderAvailable, AsksTheLoadedLibrary)
{
    ASSERT_TRUE(FFLoader.LoadLibraries(AllLibraries)) << FFLoader.LastErrorText();
    EXPECT_TRUE(EncoderAvailable("aac"));
    EXPECT_TRUE(EncoderAvailable("mpeg4"));
    EXPECT_FALSE(EncoderAvailable("aac-no-such-encoder"));
    EXPECT_FALSE(EncoderAvailable(""));
    // Debian's FFmpeg is built without the AMR encoder; the probe must agree
    // with the ffmpeg tool's own list.
    const bool listed = std::system("ffmpeg -hide_banner -encoders 2>/dev/null | grep -q libopencore_amrnb") == 0;
    EXPECT_EQ(EncoderAvailable("libopencore_amrnb"), listed);
}
