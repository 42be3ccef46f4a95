// The encoder component opening real files: AddTask and SetOutput with
// their error texts, and a task whose inputs are joined.

#include "engine/tests/FileIOTestSupport.h"

#include "engine/FFEncode.h"

using namespace io_tests;

namespace {

// A task that opens a second input after its first, as a join task does.
class TTwoInputTask : public TFFmpeg {
public:
    explicit TTwoInputTask(std::string second) : second_(std::move(second)) {}
    int32_t OpenInput(const std::string& Options, const std::string& FileName, const std::string& Presets) override
    {
        const int32_t result = TFFmpeg::OpenInput(Options, FileName, Presets);
        if (result < 0 || second_.empty())
            return result;
        const int32_t second = TFFmpeg::OpenInput("", second_, "");
        return second < 0 ? second : result;
    }

private:
    std::string second_;
};

class TJoinEncoder : public VIDArarozo {
public:
    TJoinEncoder() : VIDArarozo(nullptr) {}
    std::string SecondInput;

protected:
    std::unique_ptr<TFFmpeg> CreateTask() override { return std::make_unique<TTwoInputTask>(SecondInput); }
};

class EncoderFilesTest : public FileIOTest {
protected:
    int32_t AddTask(const std::string& fileName, const std::string& options)
    {
        TInputOptions input;
        InitInputOptions(input);
        input.Options = options;
        return encoder.AddTask(fileName, &input);
    }
    int32_t SetOutput(int32_t task, const std::string& fileName, const std::string& options, bool join)
    {
        TOutputOptions output;
        InitOutputOptions(output);
        output.Options = options;
        output.Join = join;
        return encoder.SetOutput(task, fileName, &output);
    }
    TJoinEncoder encoder;
};

TEST_F(EncoderFilesTest, AddTaskAndSetOutputReportOpeningErrors)
{
    EXPECT_EQ(AddTask(AvFile, "-f nosuchformat"), AVERROR(EINVAL));
    EXPECT_EQ(encoder.LastErrorText, "Unknown input format: \"nosuchformat\"");
    EXPECT_EQ(AddTask(AvFile, "-c:v nosuchdecoder"), -1);
    EXPECT_EQ(encoder.LastErrorText, "Unknown decoder \"nosuchdecoder\"");
    EXPECT_EQ(encoder.GetTaskCount(), 0);

    ASSERT_EQ(AddTask(AvFile, "-ss 0.1"), 0) << encoder.LastErrorText;
    const std::string name = WorkFolder + "encoder.mkv";
    EXPECT_EQ(SetOutput(0, name, "-f nosuchmuxer", false), -1);
    EXPECT_EQ(encoder.LastErrorText, GetErrorText(name, AVERROR(EINVAL)));
    EXPECT_EQ(SetOutput(0, name, "-vn", false), 0) << encoder.LastErrorText;
    EXPECT_EQ(FileSizeOf(name), 0);
    encoder.ClearTasks();
    EXPECT_FALSE(FileExists(name)) << "the task's release deletes the output it never wrote";
}

TEST_F(EncoderFilesTest, JoinedTaskTakesNoSecondOutput)
{
    encoder.SecondInput = AvFile;
    ASSERT_EQ(AddTask(ShortAvFile, ""), 0) << encoder.LastErrorText;
    ASSERT_EQ(SetOutput(0, WorkFolder + "joined.mkv", "", true), 0) << encoder.LastErrorText;
    EXPECT_EQ(SetOutput(0, WorkFolder + "second.mkv", "", true), -1);
    EXPECT_EQ(encoder.LastErrorText, "Cannot join more than one output file.");
    EXPECT_EQ(SetOutput(0, WorkFolder + "second.mkv", "", false), -1) << "a joined task takes no output at all";
    EXPECT_FALSE(FileExists(WorkFolder + "second.mkv"));
}

TEST_F(EncoderFilesTest, JoinOfDifferentStreamsIsRefused)
{
    encoder.SecondInput = SmallVideoFile;
    ASSERT_EQ(AddTask(ShortAvFile, ""), 0) << encoder.LastErrorText;
    const std::string name = WorkFolder + "refused.mkv";
    EXPECT_EQ(SetOutput(0, name, "", true), -1);
    EXPECT_EQ(encoder.LastErrorText, "Cannot join files with diffrent steams state");
    EXPECT_FALSE(FileExists(name));
}

} // namespace
