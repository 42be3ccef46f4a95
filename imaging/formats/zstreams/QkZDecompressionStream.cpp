// The inflating stream: pulls zlib data from the source in 64 KB blocks and
// gives back what it read beyond the end of the data.

#include "imaging/formats/zstreams/QkZStreams.h"

#include <algorithm>
#include <climits>

namespace {

constexpr int64_t SkipBufferSize = 8192;

int Checked(int result)
{
    // A preset dictionary is never supplied: without this the caller would
    // loop on a result that never changes.
    if (result < 0 || result == Z_NEED_DICT)
        throw EZDecompressionError(ZlibErrorText(result));
    return result;
}

} // namespace

TZDecompressionStream::TZDecompressionStream(TStream& source) : TCustomZStream(source), FStreamStart(FStreamPos)
{
    FZRec.next_in = FBuffer;
    FZRec.avail_in = 0;
    Checked(inflateInit(&FZRec));
}

TZDecompressionStream::~TZDecompressionStream() { inflateEnd(&FZRec); }

int64_t TZDecompressionStream::Read(void* buffer, int64_t count)
{
    auto* output = static_cast<Bytef*>(buffer);
    int64_t remaining = std::max<int64_t>(count, 0);
    RestoreStreamPosition();
    while (remaining > 0 && !FEnded) {
        // zlib counts its output in 32 bits.
        const uInt piece = static_cast<uInt>(std::min<int64_t>(remaining, INT_MAX));
        FZRec.next_out = output;
        FZRec.avail_out = piece;
        while (FZRec.avail_out > 0 && !FEnded) {
            if (FZRec.avail_in == 0 && !FillInput())
                break;
            FEnded = Checked(inflate(&FZRec, Z_NO_FLUSH)) == Z_STREAM_END;
        }
        const uInt produced = piece - FZRec.avail_out;
        output += produced;
        remaining -= produced;
        if (produced < piece)
            break;
    }
    if (FEnded)
        GiveBackUnusedInput();
    return std::max<int64_t>(count, 0) - remaining;
}

bool TZDecompressionStream::FillInput()
{
    const int64_t got = FStream.Read(FBuffer, ZStreamBufferSize);
    if (got <= 0)
        return false;
    FZRec.next_in = FBuffer;
    FZRec.avail_in = static_cast<uInt>(got);
    RecordStreamPosition();
    DoProgress();
    return true;
}

// Leaves the source at the first byte after the zlib data, so that whatever
// follows it can be read next.
void TZDecompressionStream::GiveBackUnusedInput()
{
    if (FZRec.avail_in == 0)
        return;
    FStream.Seek(-static_cast<int64_t>(FZRec.avail_in), soCurrent);
    RecordStreamPosition();
    FZRec.avail_in = 0;
}

int64_t TZDecompressionStream::Write(const void*, int64_t) { throw EZDecompressionError("Invalid ZStream operation!"); }

int64_t TZDecompressionStream::Seek(int64_t offset, TSeekOrigin origin)
{
    const int64_t produced = static_cast<int64_t>(FZRec.total_out);
    if (origin == soBeginning && offset == 0)
        Restart();
    else if (origin == soCurrent && offset >= 0)
        Skip(offset);
    else if (origin == soBeginning && offset >= produced)
        Skip(offset - produced);
    else if (origin == soEnd && offset == 0)
        SkipToEnd();
    else
        throw EZDecompressionError("Invalid ZStream operation!");
    return static_cast<int64_t>(FZRec.total_out);
}

int64_t TZDecompressionStream::Size()
{
    const int64_t position = Position();
    const int64_t size = Seek(0, soEnd);
    Restart();
    Skip(position);
    return size;
}

// The data starts where the source stood at creation, which need not be
// the source's start.
void TZDecompressionStream::Restart()
{
    Checked(inflateReset(&FZRec));
    FZRec.next_in = FBuffer;
    FZRec.avail_in = 0;
    FEnded = false;
    FStream.SetPosition(FStreamStart);
    FStreamPos = FStreamStart;
}

void TZDecompressionStream::Skip(int64_t count)
{
    uint8_t scratch[SkipBufferSize];
    for (int64_t n = count / SkipBufferSize; n > 0; --n)
        ReadBuffer(scratch, SkipBufferSize);
    ReadBuffer(scratch, count % SkipBufferSize);
}

void TZDecompressionStream::SkipToEnd()
{
    uint8_t scratch[SkipBufferSize];
    while (Read(scratch, SkipBufferSize) != 0) {}
}
