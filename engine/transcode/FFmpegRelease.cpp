// Letting go of an output's context: closing its I/O, and deleting the file
// itself when the job created it and wrote nothing into it.

#include "engine/FFHandles.h"
#include "engine/UnicodeProtocol.h"
#include "engine/binding/AVFormatStubs.h"
#include "platform/core/Files.h"

extern "C" {
#include <libavformat/avformat.h>
}

void TOutputContextClose::operator()(AVFormatContext* Context) const
{
    if (!(Context->oformat->flags & AVFMT_NOFILE) && Context->pb) {
        CloseOutputIO(&Context->pb);
        const std::string fileName = FromFFmpegFileName(Context->url);
        if (FileSizeOf(fileName) == 0)
            DeleteFile(fileName);
    }
    av::avformat_free_context(Context);
}
