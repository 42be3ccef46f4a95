#include <gtest/gtest.h>

#include "engine/FFmpeg.h"
#include "engine/binding/FFLoad.h"

namespace {

// Once a run finishes, writes ignore the abort flag (a stopped job still
// ends its files) while reads and time-outs keep their meaning.
TEST(FinishingStateTest, WritesIgnoreTheAbortFlagButNotTheirTimeOut)
{
    ASSERT_TRUE(FFLoader.LoadLibraries(AllLibraries)) << FFLoader.LastErrorText();
    TCustomFFmpeg job;
    const auto interrupted = [](const AVIOInterruptCB& callback) { return callback.callback(callback.opaque); };
    job.Aborted = true;
    EXPECT_EQ(interrupted(job.WriteInterruptCallback), 1);
    job.Finishing = true;
    EXPECT_EQ(interrupted(job.WriteInterruptCallback), 0);
    EXPECT_EQ(interrupted(job.ReadInterruptCallback), 1);
    job.WriteStartTime = 0; // a cancelled operation still ends
    EXPECT_EQ(interrupted(job.WriteInterruptCallback), 1);
}

} // namespace
