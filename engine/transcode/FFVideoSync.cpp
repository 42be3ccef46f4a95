#include "engine/transcode/FFVideoSync.h"

#include <algorithm>

extern "C" {
#include <libavformat/avformat.h>
}

#include "engine/options/FFmpegOpt.h"
#include "platform/core/Types.h"

int32_t ResolveVideoSync(int32_t Method, int32_t FormatFlags)
{
    if (Method != VsyncAuto)
        return Method;
    if ((FormatFlags & AVFMT_VARIABLE_FPS) && (FormatFlags & AVFMT_NOTIMESTAMPS))
        return VsyncPassThrough;
    if (FormatFlags & AVFMT_VARIABLE_FPS)
        return VsyncVfr;
    return VsyncCfr;
}

TVideoCopies VideoFrameCopies(int32_t Method, double FramePts, double Delta, int64_t SyncOpts, int64_t FramesLeft,
                              double DtsErrorThreshold)
{
    TVideoCopies result;
    result.SyncOpts = SyncOpts;
    switch (Method) {
    case VsyncPassThrough:
    case VsyncDrop:
        result.SyncOpts = Round(FramePts);
        result.Copies = 1;
        break;
    case VsyncCfr:
        if (Delta < -1.1)
            result.Copies = 0;
        else if (Delta <= 1.1)
            result.Copies = 1;
        else
            result.Copies = Round(Delta);
        break;
    case VsyncVfr:
        if (Delta <= -0.6) {
            result.Copies = 0;
        } else {
            result.Copies = 1;
            if (Delta > 0.6)
                result.SyncOpts = Round(FramePts);
        }
        break;
    default: throw FFmpegException("Never occur");
    }
    result.Copies = std::min(result.Copies, std::max<int64_t>(FramesLeft, 0));
    if (result.Copies == 0) {
        result.Dropped = true;
    } else if (result.Copies > 1 && result.Copies > DtsErrorThreshold * 30) {
        result.Dropped = true;
        result.TooManyCopies = true;
    }
    return result;
}
