// Building the task list: option records, failures of AddTask and SetOutput,
// the guards of a running list, the option-word rewriting and the properties.

#include <gtest/gtest.h>

#include "engine/tests/FakeJobs.h"
#include "engine/tests/FileIOTestSupport.h"
#include "platform/core/Properties.h"

namespace {

std::string MessageOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Exception& e) {
        return e.Message();
    }
    return "(no exception)";
}

TEST(OptionRecords, InitialisersResetEveryField)
{
    TInputOptions input;
    input.FileName = "a";
    input.Options = "-ss 1";
    input.Presets = "p";
    input.Reserved1 = 5;
    input.Reserved2 = 6;
    InitInputOptions(input);
    EXPECT_TRUE(input.FileName.empty() && input.Options.empty() && input.Presets.empty());
    EXPECT_EQ(input.Reserved1, 0);
    EXPECT_EQ(input.Reserved2, 0);

    TOutputOptions output;
    output.FileName = "b";
    output.AudioInputHook = output.AudioOutputHook = output.VideoInputHook = output.VideoOutputHook = true;
    output.FrameInputHook = output.FrameOutputHook = output.Join = true;
    output.VideoHookBitsPixel = 8;
    output.Reserved1 = 1;
    InitOutputOptions(output);
    EXPECT_TRUE(output.FileName.empty());
    EXPECT_FALSE(output.AudioInputHook || output.AudioOutputHook || output.VideoInputHook || output.VideoOutputHook ||
                 output.FrameInputHook || output.FrameOutputHook || output.Join);
    EXPECT_EQ(output.VideoHookBitsPixel, 32);
    EXPECT_EQ(output.Reserved1, 0);
}

TEST(HookWords, RewrittenOnlyAsWholeWordsBetweenBlanks)
{
    const struct {
        const char* written;
        const char* known;
    } cases[] = {
        {"-videoinputhook", "-VideoInputHook"},
        {"-vcodec mpeg4 -VIDEOOUTPUTHOOK -b:v 800k", "-vcodec mpeg4 -VideoOutputHook -b:v 800k"},
        {"-audioinputhook -audiooutputhook", "-AudioInputHook -AudioOutputHook"},
        {"-join -join", "-Join -join"},
        {"-join  -join", "-Join  -Join"},
        {"-frameinputhook\t-frameoutputhook", "-frameinputhook\t-frameoutputhook"},
        {"-frameoutputhook -join", "-FrameOutputHook -Join"},
        {"-x -join", "-x -Join"},
        {"-joined -videoinputhooks", "-joined -videoinputhooks"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NormaliseHookWords(c.written), c.known) << "from \"" << c.written << "\"";
}

class TaskList : public TJobTest {
protected:
    TFakeEncoder encoder;
};

TEST_F(TaskList, AddTaskFillsAnEmptyFileNameInTheCallersRecordAndInTheTasksCopy)
{
    TInputOptions options;
    InitInputOptions(options);
    options.Options = "-ss 2";
    const int32_t index = encoder.AddTask("clip.mkv", &options);
    ASSERT_EQ(index, 0);
    EXPECT_EQ(options.FileName, "clip.mkv");
    EXPECT_EQ(encoder.NextScript->LastInputOptions, "-ss 2");

    EXPECT_EQ(encoder.AddTask("other.mkv"), 1);
    EXPECT_EQ(encoder.NextScript->LastInputOptions, "");
    EXPECT_EQ(encoder.GetTaskCount(), 2);
}

TEST_F(TaskList, AddTaskFailureLeavesTheListUnchangedWithTheError)
{
    encoder.AddFakeTask();
    encoder.NextScript = std::make_shared<TFakeTaskScript>();
    encoder.NextScript->OpenInputResult = -5;
    encoder.NextScript->InputErrorText = "clip.mkv: I/O error";
    EXPECT_EQ(encoder.AddTask("clip.mkv"), -5);
    EXPECT_EQ(encoder.LastErrorText, "clip.mkv: I/O error");
    EXPECT_EQ(encoder.GetTaskCount(), 1);

    encoder.NextScript = std::make_shared<TFakeTaskScript>();
    encoder.NextScript->OpenInputRaises = true;
    encoder.NextScript->InputErrorText = "Unknown input format: \"xyz\"";
    EXPECT_EQ(encoder.AddTask("clip.mkv"), -1);
    EXPECT_EQ(encoder.LastErrorText, "Unknown input format: \"xyz\"");
    EXPECT_EQ(encoder.GetTaskCount(), 1);
}

TEST_F(TaskList, SetOutputFailures)
{
    ASSERT_EQ(encoder.AddTask("in.avi"), 0);
    auto script = encoder.NextScript;

    script->OpenOutputResult = -22;
    script->OutputErrorText = "Cannot join more than one output file.";
    TOutputOptions options;
    InitOutputOptions(options);
    options.Options = "-vcodec mpeg4";
    EXPECT_EQ(encoder.SetOutput(0, "out.mp4", &options), -22);
    EXPECT_EQ(encoder.LastErrorText, "Cannot join more than one output file.");
    TOutputOptions stored;
    encoder.GetOutputOptions(0, 0, stored);
    EXPECT_EQ(stored.Options, "") << "a failed output's record is cleared";

    // A raised error is reported once, even though the job's text already holds it.
    script->OpenOutputResult = 0;
    script->OpenOutputRaises = true;
    script->OutputErrorText = "Error configuring filters.";
    EXPECT_EQ(encoder.SetOutput(0, "out.mp4"), -1);
    EXPECT_EQ(encoder.LastErrorText, "Error configuring filters.");

    EXPECT_THROW(encoder.SetOutput(1, "out.mp4"), EListError);
    EXPECT_EQ(encoder.GetTaskCount(), 1);
}

TEST_F(TaskList, SetOutputStoresTheRecordAndPassesTheRewrittenWords)
{
    ASSERT_EQ(encoder.AddTask("in.avi"), 0);
    TOutputOptions options;
    InitOutputOptions(options);
    options.Options = "-videoinputhook -b:a 128k";
    options.VideoHookBitsPixel = 24;
    ASSERT_EQ(encoder.SetOutput(0, "out.mp4", &options), 0);

    EXPECT_EQ(encoder.NextScript->LastOutputOptions, "-VideoInputHook -b:a 128k");
    EXPECT_EQ(options.FileName, "out.mp4");
    TOutputOptions stored;
    encoder.GetOutputOptions(0, 0, stored);
    EXPECT_EQ(stored.FileName, "out.mp4");
    EXPECT_EQ(stored.VideoHookBitsPixel, 24);
}

TEST_F(TaskList, GuardsOfARunningList)
{
    auto task = encoder.AddFakeTask(2, true);
    encoder.StartTask(1);

    EXPECT_EQ(MessageOf([&] { encoder.AddTask("x"); }), "Cannot AddTask while working.");
    EXPECT_EQ(MessageOf([&] { encoder.SetOutput(0, "x"); }), "Cannot SetOutput while working.");
    EXPECT_EQ(MessageOf([&] { encoder.RemoveTask(0); }), "Cannot RemoveTask while working.");
    EXPECT_EQ(MessageOf([&] { encoder.StartTask(1); }), "Cannot StartTask while working.");
    EXPECT_EQ(MessageOf([&] { encoder.ClearTasks(); }), "Cannot ClearTasks while working.");

    task->Release();
    ASSERT_TRUE(PumpUntil([&] { return encoder.AllDone(); }));
    EXPECT_EQ(MessageOf([&] { encoder.AddTask("x"); }), "Cannot AddTask while working.");
    encoder.ClearTasks();
    EXPECT_EQ(encoder.GetTaskCount(), 0);
    EXPECT_EQ(encoder.AddTask("x"), 0);
}

TEST_F(TaskList, ProgressIntervalHasAFloorOf100AndReachesTheTasksInMicroseconds)
{
    const std::pair<int32_t, int32_t> cases[] = {{50, 100}, {100, 100}, {101, 101}, {-1, 100}};
    for (auto [set, stored] : cases) {
        encoder.SetProgressInterval(set);
        EXPECT_EQ(encoder.ProgressInterval(), stored) << "set " << set;
    }
    EXPECT_EQ(TFakeEncoder().ProgressInterval(), 500);

    auto task = encoder.AddFakeTask();
    encoder.SetProgressInterval(250);
    encoder.StartTask(0);
    EXPECT_EQ(task->ProgressIntervalUs, 250000);
}

TEST_F(TaskList, PreviewSwitchesSetTheirBitOnEveryTask)
{
    auto first = encoder.AddFakeTask();
    encoder.SetPreview(true);
    EXPECT_EQ(first->Job->PreviewFlags(), PreviewWindowFlag);
    encoder.SetPreviewBitmap(true);
    auto second = encoder.AddFakeTask();
    EXPECT_EQ(first->Job->PreviewFlags(), PreviewWindowFlag | PreviewBitmapFlag);
    EXPECT_EQ(second->Job->PreviewFlags(), PreviewWindowFlag | PreviewBitmapFlag);
    encoder.SetPreview(false);
    EXPECT_EQ(first->Job->PreviewFlags(), PreviewBitmapFlag);
    EXPECT_EQ(second->Job->PreviewFlags(), PreviewBitmapFlag);
}

TEST_F(TaskList, OutputSwitchesWireTheHookEvents)
{
    ASSERT_EQ(encoder.AddTask("in.avi"), 0);
    ASSERT_EQ(encoder.AddTask("in2.avi"), 1);
    TFFmpeg* task = encoder.NextScript->Job;
    TOutputOptions options;
    InitOutputOptions(options);
    options.VideoInputHook = true;
    options.FrameOutputHook = true;
    ASSERT_EQ(encoder.SetOutput(1, "out.mp4", &options), 0);
    EXPECT_TRUE(task->OnVideoInputHook && task->OnFrameOutputHook);
    EXPECT_FALSE(task->OnVideoOutputHook || task->OnFrameInputHook || task->OnAudioInputHook ||
                 task->OnAudioOutputHook);

    THookInfo seen{};
    encoder.OnVideoInputHook = [&](TObject*, PHookInfo info) {
        seen = *info;
        info->Update = false;
        info->StopHook = true;
    };
    bool update = true, stopHook = false;
    task->OnVideoInputHook(task, nullptr, 7, 280000, update, stopHook);
    EXPECT_EQ(seen.TaskIndex, 1);
    EXPECT_EQ(seen.FrameNumber, 7);
    EXPECT_EQ(seen.PTS, 280000);
    EXPECT_TRUE(seen.Update);
    EXPECT_FALSE(seen.StopHook);
    EXPECT_FALSE(update);
    EXPECT_TRUE(stopHook);
}

// An encoder of real jobs that keeps a pointer to the last one it made.
class TWatchedEncoder : public VIDArarozo {
public:
    TWatchedEncoder() : VIDArarozo(nullptr) {}
    TFFmpeg* LastTask = nullptr;

protected:
    std::unique_ptr<TFFmpeg> CreateTask() override
    {
        auto task = std::make_unique<TFFmpeg>();
        LastTask = task.get();
        return task;
    }
};

TEST_F(TaskList, AddTaskLetsTheTasksDecoderReadItsInput)
{
    io_tests::GenerateMedia();
    TWatchedEncoder watched;
    ASSERT_EQ(watched.AddTask(io_tests::SmallVideoFile), 0) << watched.LastErrorText;
    TFFDecoder* decoder = watched.LastTask->GetDecoder(0);
    EXPECT_EQ(decoder->FormatContext(), watched.LastTask->InputFile(0)->Ctx.get());
    EXPECT_FALSE(decoder->OwnsContext());
    EXPECT_EQ(decoder->VideoStreamCount(), 1);
}

TEST(EncoderProperties, PublishedByNameWithTheirDefaults)
{
    RegisterEncoderClasses();
    std::unique_ptr<TComponent> component(CreateComponentByClassName("VIDArarozo", nullptr));
    auto& encoder = dynamic_cast<VIDArarozo&>(*component);

    const std::pair<const char*, const char*> defaults[] = {
        {"Preview", "False"},           {"PreviewBitmap", "False"},           {"ProgressInterval", "500"},
        {"ThreadPriority", "tpNormal"}, {"TriggerEventInMainThread", "True"}, {"Version", "5.2"},
    };
    for (auto [name, text] : defaults) {
        EXPECT_EQ(GetPropText(encoder, name), text) << name;
        EXPECT_FALSE(IsStoredProp(encoder, *GetPropInfo(encoder, name))) << name;
    }

    SetPropText(encoder, "ProgressInterval", "50");
    SetPropText(encoder, "ThreadPriority", "tpLower");
    SetPropText(encoder, "TriggerEventInMainThread", "False");
    EXPECT_EQ(encoder.ProgressInterval(), 100);
    EXPECT_EQ(encoder.ThreadPriority(), tpLower);
    EXPECT_FALSE(encoder.TriggerEventInMainThread());

    bool called = false;
    SetEventProp(encoder, "OnTerminate", TTerminateEvent([&](TObject*, const TTerminateInfo&) { called = true; }));
    encoder.OnTerminate(&encoder, TTerminateInfo{});
    EXPECT_TRUE(called);
}

TEST_F(TaskList, RemoveTaskFreesTheTask)
{
    encoder.AddFakeTask();
    auto second = encoder.AddFakeTask();
    encoder.NextScript = nullptr;
    encoder.RemoveTask(0);
    EXPECT_EQ(encoder.GetTaskCount(), 1);
    EXPECT_EQ(second.use_count(), 2);
    encoder.RemoveTask(0);
    EXPECT_EQ(second.use_count(), 1);
    EXPECT_THROW(encoder.RemoveTask(0), EListError);
}

} // namespace
