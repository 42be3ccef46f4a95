#pragma once
// Raises a progress event only when the percentage moved, so that loops can
// report after every row.

#include "imaging/core/QkSettings.h"

#include "platform/core/Types.h"

class TQkProgressReporter {
public:
    // Nothing is raised without an event or with an empty one.
    TQkProgressReporter(TObject* sender, const TQkProgressEvent* onProgress) : FSender(sender), FOnProgress(onProgress)
    {}
    // Reports Trunc(value).
    void Report(double value)
    {
        if (!FOnProgress || !*FOnProgress)
            return;
        const auto per = static_cast<int32_t>(Trunc(value));
        if (per == FLast)
            return;
        FLast = per;
        (*FOnProgress)(FSender, per);
    }

private:
    TObject* FSender;
    const TQkProgressEvent* FOnProgress;
    int32_t FLast = -1;
};
