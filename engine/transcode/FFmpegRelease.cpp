// Closing a job's output file: its I/O, and the file itself when the job
// created it and wrote nothing into it.

#include "engine/UnicodeProtocol.h"
#include "engine/binding/AVFormatStubs.h"
#include "engine/options/OutputFileSupport.h"
#include "platform/core/Files.h"

extern "C" {
#include <libavformat/avformat.h>
}

void CloseOutputContext(AVFormatContext*& Context)
{
    if (!Context)
        return;
    if (!(Context->oformat->flags & AVFMT_NOFILE) && Context->pb) {
        CloseOutputIO(&Context->pb);
        const std::string fileName = FromFFmpegFileName(Context->url);
        if (FileSizeOf(fileName) == 0)
            DeleteFile(fileName);
    }
    av::avformat_free_context(Context);
    Context = nullptr;
}
