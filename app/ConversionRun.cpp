#include "app/ConversionRun.h"

#include <algorithm>
#include <climits>
#include <numeric>

#include "app/ConversionTask.h"
#include "app/FrmPress.h"
#include "app/Messages.h"
#include "platform/core/Exceptions.h"
#include "platform/core/MainThread.h"
#include "platform/core/Strings.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"

namespace {

// The engine's notices are waited for this long at a time while a closing
// window lets a stopped batch finish.
constexpr uint32_t NoticeWaitMs = 20;

// 0..100 even when the time runs past the estimated duration or starts
// below 0; an unknown duration counts as done.
int64_t TaskPercent(const TProgressInfo& info)
{
    const int64_t current = info.CurrentTime;
    const int64_t duration = info.Duration;
    if (duration <= 0 || current >= duration)
        return 100;
    if (current <= 0)
        return 0;
    // Past this the product no longer fits; the duration is then huge too.
    if (current > INT64_MAX / 100)
        return current / (duration / 100);
    return current * 100 / duration;
}

// The name after the last "/".
std::string FileNamePart(const std::string& path) { return path.substr(path.rfind('/') + 1); }

} // namespace

TConversionRun::TConversionRun(TCustomEncoder& encoder, TConversionHost& host)
    : MessageBox(ShowMessageBox), encoder_(encoder), host_(host)
{}

void TConversionRun::Convert()
{
    host_.SaveSelectedRow();
    if (encoder_.Working()) {
        MessageBox(MS_InfoWait, MS_Info, MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (!AddTasks())
        return;
    if (taskRows_.empty()) {
        MessageBox(MS_InfoNoFile, MS_Info, MB_OK | MB_ICONINFORMATION);
        return;
    }
    Start();
}

// False when a row was refused: its line is in the box and nothing starts.
bool TConversionRun::AddTasks()
{
    encoder_.ClearTasks();
    const TJobEnvironment environment = MachineJobEnvironment(encoder_);
    std::string errors;
    taskRows_.assign(std::max(host_.RowCount(), 0), 0);
    for (int32_t row = 0; row < host_.RowCount(); ++row) {
        const TCusOutputOptions* settings = host_.RowToConvert(row);
        if (!settings)
            continue;
        const std::string error = AddConversionTask(encoder_, *settings, environment);
        if (!error.empty())
            errors += error + "\r\n";
        else
            taskRows_.at(encoder_.GetTaskCount() - 1) = row;
    }
    taskRows_.resize(encoder_.GetTaskCount());
    if (errors.empty())
        return true;
    MessageBox(errors, MS_Error, MB_OK | MB_ICONEXCLAMATION);
    return false;
}

void TConversionRun::Start()
{
    taskPercents_.assign(taskRows_.size(), 0);
    host_.LockMainWindow();
    ShowProgressWindow(*this);
    failedCount_ = 0;
    encoder_.SetThreadPriority(tpNormal);
    try {
        running_ = true;
        encoder_.StartTask(1);
    } catch (const std::exception& error) {
        running_ = false;
        MessageBox(error.what(), MS_Error, MB_OK | MB_ICONWARNING);
        CloseProgressWindow();
        host_.UnlockMainWindow();
    }
}

void TConversionRun::SetRowText(int32_t task, const std::string& text)
{
    const int32_t row = taskRows_[task];
    if (row >= 0 && row < host_.RowCount())
        host_.SetRowProgress(row, text);
}

std::string TConversionRun::OutputNameOf(int32_t task)
{
    if (task >= encoder_.GetTaskCount())
        return {};
    TOutputOptions output;
    encoder_.GetOutputOptions(task, 0, output);
    return FileNamePart(output.FileName);
}

void TConversionRun::Progress(TObject*, PProgressInfo info)
{
    const int32_t task = info->TaskIndex;
    if (task < 0 || task >= static_cast<int32_t>(taskPercents_.size()))
        return;
    const int64_t percent = TaskPercent(*info);
    taskPercents_[task] = percent;
    SetRowText(task, IntToStr(percent) + "%");
    UpdateProgress(AverageProgress(), OutputNameOf(task), IntToStr(info->Fps) + "FPS");
}

void TConversionRun::Terminate(TObject*, const TTerminateInfo& info)
{
    const int32_t task = info.TaskIndex;
    if (task < 0) {
        running_ = false;
        SetProgressPercent(100);
        ShowProgressDone(failedCount_);
        encoder_.ClearTasks();
        return;
    }
    if (task >= static_cast<int32_t>(taskPercents_.size()))
        return;
    if (info.Finished) {
        taskPercents_[task] = 100;
        SetRowText(task, "100%");
    }
    if (info.Exception) {
        ++failedCount_;
        SetRowText(task, MS_Error);
    }
}

int64_t TConversionRun::AverageProgress() const
{
    if (taskPercents_.empty())
        return 0;
    const int64_t sum = std::accumulate(taskPercents_.begin(), taskPercents_.end(), int64_t{0});
    return sum / static_cast<int64_t>(taskPercents_.size());
}

void TConversionRun::PauseRun() { encoder_.Pause(); }

void TConversionRun::ResumeRun() { encoder_.Resume(); }

void TConversionRun::CancelRun() { encoder_.Stop(true); }

void TConversionRun::EndRun() { host_.UnlockMainWindow(); }

void TConversionRun::CloseQuery(TObject*, bool& canClose)
{
    if (!running_)
        return;
    if (MessageBox(MS_InfoCancelTask, MS_Info, MB_YESNO | MB_ICONQUESTION) != IDYES) {
        canClose = false;
        return;
    }
    encoder_.Stop(true);
    // The rows still exist: let the stopped task's notices and the all-done
    // one write into them now rather than into a freed list later.
    while (running_)
        CheckSynchronize(NoticeWaitMs);
    CloseProgressWindow();
}
