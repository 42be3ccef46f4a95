// The batch's handlers, fed engine records directly, on a batch built from
// real rows; the engine's own notices wait in the queue until a test pumps
// them at its end.

#include "app/ConversionRun.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>

#include "ClipRow.h"
#include "ConversionTestSupport.h"
#include "app/FrmPress.h"
#include "app/Messages.h"
#include "app/tests/AppTestSupport.h"
#include "controls/TarqBmpBtn.h"
#include "controls/TarqProgressBar.h"
#include "platform/ui/Label.h"

using namespace conversion_test;

namespace {

struct TRow {
    TCusOutputOptions Settings;
    bool Checked = true;
    std::string Progress;
};

class TFakeHost : public TConversionHost {
public:
    int32_t RowCount() override { return static_cast<int32_t>(Rows.size()); }
    const TCusOutputOptions* RowToConvert(int32_t row) override
    {
        const TRow& r = Rows.at(row);
        return r.Checked && r.Settings.Valid && r.Settings.Saved ? &r.Settings : nullptr;
    }
    void SetRowProgress(int32_t row, const std::string& text) override { Rows.at(row).Progress = text; }
    void SaveSelectedRow() override { ++Saves; }
    void LockMainWindow() override { Locked = true; }
    void UnlockMainWindow() override { Locked = false; }

    std::vector<TRow> Rows;
    int32_t Saves = 0;
    bool Locked = false;
};

struct TBox {
    std::string Text;
    std::string Caption;
    uint32_t Flags;
};

TProgressInfo Report(int32_t task, int64_t current, int64_t duration, int32_t fps = 25)
{
    TProgressInfo info{};
    info.TaskIndex = task;
    info.Fps = fps;
    info.CurrentTime = current;
    info.Duration = duration;
    return info;
}

class ConversionRunTest : public AppUiTest {
protected:
    static void SetUpTestSuite()
    {
        LoadEngineLibraries();
        GenerateClip();
    }

    ConversionRunTest()
    {
        RestoreDefaultMessages();
        folder = MediaFolder + "run-" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + "/";
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        run.MessageBox = [this](const std::string& text, const std::string& caption, uint32_t flags) {
            boxes.push_back({text, caption, flags});
            return answer;
        };
        encoder.OnProgress = [this](TObject* sender, PProgressInfo info) { run.Progress(sender, info); };
        encoder.OnTerminate = [this](TObject* sender, const TTerminateInfo& info) { run.Terminate(sender, info); };
    }

    ~ConversionRunTest() override
    {
        if (run.Running())
            encoder.Stop(true);
        while (run.Running())
            CheckSynchronize(20);
        CloseProgressWindow();
        Pump();
    }

    void AddRow(const std::string& source = Clip)
    {
        TRow row;
        row.Settings = ClipRow(source, folder, 5);
        host.Rows.push_back(row);
    }

    void StartLongRun()
    {
        GenerateLongClip();
        AddRow(LongClip);
        run.Convert();
        ASSERT_TRUE(run.Running());
    }

    // Pause, then Cancel answered with Yes: the window goes at once and the
    // batch's last notices follow.
    void PauseAndCancel()
    {
        ASSERT_NE(FrmPress, nullptr);
        FrmPress->BtnPause->Click();
        answer = IDYES;
        FrmPress->BtnCancel->Click();
        EXPECT_EQ(FrmPress, nullptr);
        EXPECT_FALSE(host.Locked);
        PumpToEnd();
    }

    void PumpToEnd()
    {
        while (run.Running())
            CheckSynchronize(20);
    }

    void Feed(TProgressInfo info) { run.Progress(&encoder, &info); }
    void End(int32_t task, bool finished, bool exception)
    {
        run.Terminate(&encoder, TTerminateInfo{task, finished, exception, ""});
    }

    std::string folder;
    VIDArarozo encoder{nullptr};
    TFakeHost host;
    TConversionRun run{encoder, host};
    std::vector<TBox> boxes;
    int32_t answer = IDOK;
};

} // namespace

TEST_F(ConversionRunTest, ReportsSetRowsAndTheAverageOfEveryTask)
{
    AddRow();
    AddRow();
    AddRow();
    run.Convert();
    ASSERT_TRUE(boxes.empty());
    ASSERT_TRUE(run.Running());
    EXPECT_TRUE(host.Locked);
    EXPECT_EQ(host.Saves, 1);
    ASSERT_NE(FrmPress, nullptr);
    EXPECT_FALSE(FrmPress->BtnCancel->Enabled());

    Feed(Report(1, 500000, 1000000, 31));
    EXPECT_EQ(host.Rows[1].Progress, "50%");
    EXPECT_EQ(run.AverageProgress(), 16);
    EXPECT_EQ(FrmPress->ProgressBarTotal->Percent(), 16);
    EXPECT_EQ(FrmPress->LabelOutPut->Caption(), "clip_new002.mp4");
    EXPECT_EQ(FrmPress->LabelSpeed->Caption(), "31FPS");
    EXPECT_TRUE(FrmPress->LabelSpeedTitle->Visible());

    const std::tuple<int64_t, int64_t, const char*> reports[] = {
        {123, -1, "100%"}, // unknown duration
        {123, 0, "100%"},         {3000000, 1000000, "100%"}, // past the estimated duration
        {-400000, 1000000, "0%"}, {INT64_MAX / 2, INT64_MAX, "50%"}, {250000, 1000000, "25%"},
    };
    for (const auto& [current, duration, text] : reports) {
        Feed(Report(0, current, duration));
        EXPECT_EQ(host.Rows[0].Progress, text) << current << " of " << duration;
    }
    EXPECT_EQ(run.AverageProgress(), (25 + 50 + 0) / 3);

    Feed(Report(7, 1, 2));
    Feed(Report(-1, 1, 2));
    host.Rows.resize(1);
    Feed(Report(2, 1, 2));
    End(2, true, false);
    EXPECT_EQ(run.TaskPercents(), (std::vector<int64_t>{25, 50, 100}));
}

TEST_F(ConversionRunTest, FailedTasksShowErrorAndCountInTheCompletionText)
{
    for (int i = 0; i < 3; ++i)
        AddRow();
    run.Convert();
    End(0, true, true);
    End(1, false, true);
    End(2, false, false);
    EXPECT_EQ(host.Rows[0].Progress, "Error");
    EXPECT_EQ(host.Rows[1].Progress, "Error");
    EXPECT_EQ(host.Rows[2].Progress, "");
    End(2, false, true);
    EXPECT_EQ(run.FailedCount(), 3);
    PumpToEnd();
    ASSERT_NE(FrmPress, nullptr);
    EXPECT_EQ(FrmPress->LabelOutPut->Caption(), "Completed all the tasks. (3 Error)");
    EXPECT_EQ(FrmPress->ProgressBarTotal->Percent(), 100);
    EXPECT_FALSE(FrmPress->BtnPause->Visible());
    EXPECT_FALSE(FrmPress->LabelSpeed->Visible());
    EXPECT_EQ(FrmPress->BtnCancel->Caption(), "Ok");
    EXPECT_TRUE(FrmPress->BtnCancel->Enabled());
    EXPECT_FALSE(encoder.Working());

    FrmPress->BtnCancel->Click();
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(FrmPress, nullptr);
    EXPECT_FALSE(host.Locked);
}

TEST_F(ConversionRunTest, RealRunCompletesWithoutErrors)
{
    AddRow();
    run.Convert();
    PumpToEnd();
    EXPECT_EQ(host.Rows[0].Progress, "100%");
    ASSERT_NE(FrmPress, nullptr);
    EXPECT_EQ(FrmPress->LabelOutPut->Caption(), "Completed all the tasks. (0 Error)");
    EXPECT_TRUE(std::filesystem::exists(folder + "clip_new001.mp4"));
}

TEST_F(ConversionRunTest, PauseThenCancelThenNoLeavesTheBatchPaused)
{
    AddRow();
    run.Convert();
    ASSERT_NE(FrmPress, nullptr);
    FrmPress->BtnPause->Click();
    EXPECT_TRUE(encoder.Paused());
    EXPECT_TRUE(FrmPress->BtnCancel->Enabled());
    EXPECT_EQ(FrmPress->BtnPause->Caption(), "Resume");

    answer = IDNO;
    FrmPress->BtnCancel->Click();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, "Really want to cancel all the tasks?");
    EXPECT_EQ(boxes[0].Caption, "Information");
    EXPECT_EQ(boxes[0].Flags, static_cast<uint32_t>(MB_YESNO | MB_ICONQUESTION));
    ASSERT_NE(FrmPress, nullptr);
    EXPECT_TRUE(encoder.Paused());
    EXPECT_TRUE(host.Locked);

    FrmPress->BtnPause->Click();
    EXPECT_FALSE(encoder.Paused());
    EXPECT_FALSE(FrmPress->BtnCancel->Enabled());
    EXPECT_EQ(FrmPress->BtnPause->Caption(), "Pause");

    PauseAndCancel();
    EXPECT_FALSE(encoder.Working());
}

TEST_F(ConversionRunTest, NothingToConvertOrStillWorkingOnlyInforms)
{
    AddRow();
    host.Rows[0].Checked = false;
    AddRow();
    host.Rows[1].Settings.Saved = false;
    AddRow();
    host.Rows[2].Settings.Valid = false;
    run.Convert();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, "Please add and select video files.");
    EXPECT_EQ(boxes[0].Caption, "Information");
    EXPECT_FALSE(host.Locked);
    EXPECT_EQ(FrmPress, nullptr);

    host.Rows[0].Checked = true;
    run.Convert();
    ASSERT_TRUE(run.Running());
    run.Convert();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].Text, "Please wait for the last task to complete");
    EXPECT_EQ(boxes[1].Caption, "Information");
}

TEST_F(ConversionRunTest, RefusedRowsGiveOneBoxAndNoStart)
{
    AddRow(folder + "missing-1.avi");
    AddRow();
    AddRow(folder + "missing-2.avi");
    run.Convert();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Caption, "Error");
    EXPECT_EQ(boxes[0].Flags, static_cast<uint32_t>(MB_OK | MB_ICONEXCLAMATION));
    const std::string& text = boxes[0].Text;
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    const size_t firstEnd = text.find("\r\n");
    EXPECT_EQ(text.rfind("File open error: ", 0), 0u);
    EXPECT_EQ(text.find("File open error: ", firstEnd), firstEnd + 2);
    EXPECT_EQ(text.find("\r\n", firstEnd + 2), text.size() - 2);
    EXPECT_FALSE(run.Running());
    EXPECT_FALSE(host.Locked);
    EXPECT_FALSE(encoder.Working());
    EXPECT_EQ(encoder.GetTaskCount(), 1);
}

TEST_F(ConversionRunTest, ClosingMidRunAsksAndYesStopsFirst)
{
    StartLongRun();

    answer = IDNO;
    bool canClose = true;
    run.CloseQuery(nullptr, canClose);
    EXPECT_FALSE(canClose);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, "Really want to cancel all the tasks?");
    EXPECT_EQ(boxes[0].Flags, static_cast<uint32_t>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_TRUE(run.Running());

    answer = IDYES;
    canClose = true;
    run.CloseQuery(nullptr, canClose);
    EXPECT_TRUE(canClose);
    EXPECT_FALSE(run.Running());
    EXPECT_FALSE(encoder.Working());
    EXPECT_EQ(FrmPress, nullptr);
    EXPECT_FALSE(host.Rows[0].Progress.empty());
}

TEST_F(ConversionRunTest, CancelAfterTheFirstReportLeavesAPlayablePart)
{
    StartLongRun();
    while (host.Rows[0].Progress.empty())
        CheckSynchronize(20);
    PauseAndCancel();

    // Playable: the container is whole. How much of each stream it holds
    // depends on how far the engine got, so only the length is bounded.
    const std::string output = folder + "long_new001.mp4";
    const auto audio = Probe(output, "a:0");
    EXPECT_EQ(audio.count("codec_name") ? audio.at("codec_name") : "", "aac");
    const double seconds = FormatSeconds(output);
    EXPECT_GT(seconds, 0.0);
    EXPECT_LT(seconds, 20.0);
}
