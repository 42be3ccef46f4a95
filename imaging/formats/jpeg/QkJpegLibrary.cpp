#include "imaging/formats/jpeg/QkJpegLibrary.h"

#include <string>

#include "imaging/formats/jpeg/QkJpeg.h"
#include "platform/core/Streams.h"

namespace {

void SetFlag(std::atomic<bool>* flag)
{
    if (flag)
        *flag = true;
}

void ErrorExit(j_common_ptr info)
{
    auto* errors = reinterpret_cast<TJpegErrorManager*>(info->err);
    SetFlag(errors->Aborting);
    std::longjmp(errors->Jump, 1);
}

void EmitMessage(j_common_ptr info, int level)
{
    if (level == -1)
        ++info->err->num_warnings;
}

void OutputMessage(j_common_ptr) {}

void FormatMessage(j_common_ptr, char* buffer) { buffer[0] = 0; }

void ResetErrors(j_common_ptr info)
{
    info->err->num_warnings = 0;
    info->err->msg_code = 0;
}

// Stream reads may raise; nothing may leave a library callback but a
// return, so a failing stream reads as one that ended.
int64_t ReadQuietly(TStream& stream, void* buffer, int64_t count)
{
    try {
        return stream.Read(buffer, count);
    } catch (...) {
        return 0;
    }
}

bool WriteQuietly(TStream& stream, const void* buffer, int64_t count)
{
    try {
        return stream.Write(buffer, count) == count;
    } catch (...) {
        return false;
    }
}

TJpegSource& SourceOf(j_decompress_ptr info) { return *reinterpret_cast<TJpegSource*>(info->src); }

void InitSource(j_decompress_ptr info) { SourceOf(info).StartOfFile = true; }

boolean FillInputBuffer(j_decompress_ptr info)
{
    TJpegSource& source = SourceOf(info);
    int64_t got = ReadQuietly(*source.Stream, source.Buffer.data(), JpegIoBufferSize);
    if (got <= 0) {
        if (source.StartOfFile)
            SetFlag(source.Aborting);
        source.Buffer[0] = 0xFF;
        source.Buffer[1] = JPEG_EOI;
        got = 2;
    }
    source.Pub.next_input_byte = source.Buffer.data();
    source.Pub.bytes_in_buffer = size_t(got);
    source.StartOfFile = false;
    return TRUE;
}

void SkipInputData(j_decompress_ptr info, long count)
{
    if (count <= 0)
        return;
    TJpegSource& source = SourceOf(info);
    while (size_t(count) > source.Pub.bytes_in_buffer) {
        count -= long(source.Pub.bytes_in_buffer);
        FillInputBuffer(info);
    }
    source.Pub.next_input_byte += count;
    source.Pub.bytes_in_buffer -= size_t(count);
}

void TermSource(j_decompress_ptr) {}

TJpegDestination& DestinationOf(j_compress_ptr info) { return *reinterpret_cast<TJpegDestination*>(info->dest); }

void InitDestination(j_compress_ptr info)
{
    TJpegDestination& destination = DestinationOf(info);
    destination.Pub.next_output_byte = destination.Buffer.data();
    destination.Pub.free_in_buffer = JpegIoBufferSize;
}

boolean EmptyOutputBuffer(j_compress_ptr info)
{
    TJpegDestination& destination = DestinationOf(info);
    if (!WriteQuietly(*destination.Stream, destination.Buffer.data(), JpegIoBufferSize))
        SetFlag(destination.Aborting);
    InitDestination(info);
    return TRUE;
}

void TermDestination(j_compress_ptr info)
{
    TJpegDestination& destination = DestinationOf(info);
    const size_t used = JpegIoBufferSize - destination.Pub.free_in_buffer;
    if (used > 0 && !WriteQuietly(*destination.Stream, destination.Buffer.data(), int64_t(used)))
        SetFlag(destination.Aborting);
}

} // namespace

void InitJpegErrors(TJpegErrorManager& errors, std::atomic<bool>* aborting)
{
    jpeg_std_error(&errors.Pub);
    errors.Pub.error_exit = ErrorExit;
    errors.Pub.emit_message = EmitMessage;
    errors.Pub.output_message = OutputMessage;
    errors.Pub.format_message = FormatMessage;
    errors.Pub.reset_error_mgr = ResetErrors;
    errors.Aborting = aborting;
}

std::string JpegErrorText(const TJpegErrorManager& errors) { return JpegMessageText(errors.Pub.msg_code); }

void SetJpegSource(jpeg_decompress_struct& info, TJpegSource& source, TStream& stream, std::atomic<bool>* aborting)
{
    source.Pub.init_source = InitSource;
    source.Pub.fill_input_buffer = FillInputBuffer;
    source.Pub.skip_input_data = SkipInputData;
    source.Pub.resync_to_restart = jpeg_resync_to_restart;
    source.Pub.term_source = TermSource;
    source.Pub.next_input_byte = nullptr;
    source.Pub.bytes_in_buffer = 0;
    source.Stream = &stream;
    source.Aborting = aborting;
    info.src = &source.Pub;
}

void SetJpegDestination(jpeg_compress_struct& info, TJpegDestination& destination, TStream& stream,
                        std::atomic<bool>* aborting)
{
    destination.Pub.init_destination = InitDestination;
    destination.Pub.empty_output_buffer = EmptyOutputBuffer;
    destination.Pub.term_destination = TermDestination;
    destination.Stream = &stream;
    destination.Aborting = aborting;
    info.dest = &destination.Pub;
}
