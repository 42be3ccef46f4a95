#pragma once
// The aborting flag and per-row progress of the filters, which may be
// called with a local progress record that has neither.

#include <atomic>
#include <cstdint>

#include "imaging/core/QkProgressReporter.h"
#include "imaging/core/QkSettings.h"

inline bool IsAborting(const TQkFilterProgress& progress) { return progress.Aborting && progress.Aborting->load(); }

inline void SetAborting(TQkFilterProgress& progress)
{
    if (progress.Aborting)
        *progress.Aborting = true;
}

// The record's aborting flag, or `local` for a record without one, so that
// writers can always hand a flag to SafeStreamWrite.
inline std::atomic<bool>& AbortingFlag(TQkFilterProgress& progress, std::atomic<bool>& local)
{
    return progress.Aborting ? *progress.Aborting : local;
}

// Reports rows-done x (100 / height), truncated, once per change.
class TQkRowProgress {
public:
    TQkRowProgress(TQkFilterProgress& progress, int32_t height)
        : FReporter(progress.Sender, &progress.OnProgress), FStep(height > 0 ? 100.0 / height : 0)
    {
        progress.Step = FStep;
    }
    void Report(int32_t rowsDone) { FReporter.Report(rowsDone * FStep); }

private:
    TQkProgressReporter FReporter;
    double FStep;
};
