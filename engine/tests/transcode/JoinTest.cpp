// Joining the inputs of a task into one output.

#include "engine/tests/FileIOTestSupport.h"

using namespace io_tests;

namespace {

class JoinTest : public FileIOTest {};

TEST_F(JoinTest, EachFurtherInputGetsASegmentOfTheFirstOutputsStreams)
{
    ASSERT_EQ(job.Input(ShortAvFile), 0);
    ASSERT_EQ(job.Input(AvFile), 1);
    const std::string name = WorkFolder + "joined.mkv";
    ASSERT_EQ(job.Output(name, "-c:v mpeg4 -vf hflip", true), 0) << job.LastErrorText;
    EXPECT_TRUE(job.JoinMode);
    EXPECT_EQ(job.JoinStreamCount, 2);
    // Segment 1 takes the other file's video and its stereo audio.
    EXPECT_EQ(job.OutputStreamText(), "v:0 a:1 v:2 a:4");
    ASSERT_EQ(job.OutputFileCount(), 2);
    const TOutputFile* segment = job.OutputFile(1);
    EXPECT_EQ(segment->Ctx, job.OutputFile(0)->Ctx);
    EXPECT_EQ(segment->OstIndex, 2);
    const TOutputStream* first = job.OutputStream(0);
    const TOutputStream* copy = job.OutputStream(2);
    EXPECT_EQ(copy->FileIndex, 1);
    EXPECT_EQ(copy->St, first->St);
    EXPECT_EQ(copy->EncCtx, first->EncCtx);
    EXPECT_EQ(copy->AvFilter, "hflip");
    EXPECT_NE(copy->AvFilter.data(), first->AvFilter.data()) << "each segment owns its filter text";
    EXPECT_EQ(job.InputStream(3)->Discard, 1) << "the mono audio stays unused";
    EXPECT_EQ(job.Duration, job.InputFile(0)->Ctx->duration + job.InputFile(1)->Ctx->duration);

    EXPECT_EQ(job.Output(WorkFolder + "second.mkv"), -1);
    EXPECT_EQ(job.LastErrorText, "Cannot join more than one output file.");
    EXPECT_EQ(job.OutputFileCount(), 2);
    EXPECT_FALSE(FileExists(WorkFolder + "second.mkv"));
}

TEST_F(JoinTest, InputsWithOtherStreamTypesAreRefused)
{
    ASSERT_EQ(job.Input(ShortAvFile), 0);
    ASSERT_EQ(job.Input(SmallVideoFile), 1);
    const std::string name = WorkFolder + "refused.mkv";
    EXPECT_EQ(job.Output(name, "", true), -1);
    EXPECT_EQ(job.LastErrorText, "Cannot join files with diffrent steams state");
    EXPECT_FALSE(FileExists(name)) << "the empty output is deleted";
    EXPECT_EQ(job.OutputFileCount(), 0);
    EXPECT_EQ(job.OutputStreamCount(), 0);
    EXPECT_FALSE(job.JoinMode);
    EXPECT_EQ(job.JoinStreamCount, 0);

    ASSERT_EQ(job.Output(name, "-map 0:v -map 1:v", true), 0) << "maps of each file fill its segment";
    EXPECT_EQ(job.OutputStreamText(), "v:0 v:2");
}

TEST_F(JoinTest, JoinOfOneInputIsAPlainOutput)
{
    ASSERT_EQ(job.Input(ShortAvFile), 0);
    ASSERT_EQ(job.Output(WorkFolder + "single.mkv", "", true), 0);
    EXPECT_FALSE(job.JoinMode);
    EXPECT_EQ(job.OutputFileCount(), 1);
    ASSERT_EQ(job.Output(WorkFolder + "another.mkv", "", true), 1) << "without a join more outputs are allowed";
}

} // namespace
